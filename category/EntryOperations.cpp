#include "category/EntryOperations.h"


#include "main/Workspace.h"
#include "store/StringList.h"
#include "store/TextCase.h"
#include "store/mIniGue.h"

namespace velmora {

std::string CutCode(std::string_view code) { return std::string(code.substr(0, MaxCodeLength)); }
std::string CutName(std::string_view name) { return std::string(name.substr(0, MaxNameLength)); }

std::string StorableValue(std::string_view value) {
    return Trim(value);
}

CodeAndName ProposeDuplicate(std::string_view code, std::string_view name,
                             const std::function<bool(std::string_view)>& isTaken) {
    CodeAndName proposal;
    // A free code always comes: the taken codes are finitely many, and the proposals of counters
    // with the same number of digits all differ.
    for (unsigned long long counter = 1;; ++counter) {
        std::string prefix = "D";
        prefix += std::to_string(counter);
        proposal.Code = CutCode(prefix + std::string(code));
        if (name != "-") proposal.Name = CutName(prefix + std::string(name));
        if (!isTaken(proposal.Code)) return proposal;
    }
}

std::string ChangeCodeWarning() {
    return "It's not recommended to change the Code in the Game.\r\n"
           "To change the Name and other parameters use the Right table.";
}

std::string CodeTakenNotice(std::string_view newCode) {
    return std::string(newCode) + "\r\nCode already exist.\r\nTo change Name use the Right table.";
}

std::string CodeNotValidNotice(std::string_view newCode) {
    return std::string(newCode) +
           "\r\nCode is not valid.\r\n"
           "A code may not be empty, begin or end with a blank, or hold \"]\", \";\", \"=\" or \",\".";
}

std::string DeleteSingleNotice() { return "Can not delete single member"; }
std::string DeleteCaption() { return "Delete Item"; }
std::string DeleteQuestion(std::string_view code) { return "Really want to delete " + std::string(code) + " ?"; }

bool CodeIsUsable(std::string_view code) {
    return !code.empty() && !IsBlank(static_cast<unsigned char>(code.front())) &&
           !IsBlank(static_cast<unsigned char>(code.back())) &&
           code.find_first_of("];=,") == std::string_view::npos;
}

EntryOperations::EntryOperations(Workspace& workspace, std::string category, int kind)
    : m_workspace(workspace), m_category(std::move(category)), m_kind(kind) {}

bool EntryOperations::CodeIsTaken(std::string_view newCode, const std::vector<std::string>& entryCodes) const {
    return IndexOfNoCase(entryCodes, newCode) >= 0 || m_workspace.DocumentIni->IndexOfSection(newCode) >= 0;
}

CodeAndName EntryOperations::DuplicateProposal(std::string_view code, std::string_view name,
                                               const std::vector<std::string>& entryCodes) const {
    return ProposeDuplicate(code, name, [&](std::string_view proposed) { return CodeIsTaken(proposed, entryCodes); });
}

void EntryOperations::CopyAndWriteDuplicate(const std::string& OldCode, const std::string& NewCode,
                                            const std::string& NewName, bool IsDuplicate) {
    TMemIniFile& document = *m_workspace.DocumentIni;
    if (IsDuplicate)
        WriteListLine(NewCode);
    else
        RenameListLines(OldCode, NewCode);

    // The copy's lines keep their text as read, so that a change of code rewrites no more than
    // its header and what this operation writes.
    document.DuplicateSection(OldCode, NewCode);
    if (document.ValueExists(NewCode, "Name")) document.WriteString(NewCode, "Name", StorableValue(NewName));
    // The copy stands directly before the old section, so erasing the old one leaves the renamed
    // entry where it stood.
    if (!IsDuplicate) document.EraseSection(OldCode);
    m_workspace.G().DocumentModified = true;

    if (IsDuplicate) GiveCopyThePicture(OldCode, NewCode);
}

void EntryOperations::WriteDeleteToBuffer(const std::string& Code) {
    if (Code.empty()) return;
    m_workspace.DocumentIni->FindKeyOfValue(m_category, Code, true);
    m_workspace.DefinitionIni->FindKeyOfValue(m_category, Code, true);
    m_workspace.DocumentIni->EraseSection(Code);
    m_workspace.G().DocumentModified = true;
}

// A new number goes past every number of the category's list sections, so the line lands at the
// end of the list section of the store that keeps the category's list.
void EntryOperations::WriteListLine(const std::string& NewCode) {
    const int64_t number = m_workspace.NumbersOf(m_kind, m_category).Next();
    TMemIniFile& list = m_kind != 0 ? *m_workspace.DefinitionIni : *m_workspace.DocumentIni;
    list.WriteString(m_category, std::to_string(number), NewCode);
}

// The list line keeps its number and its place; both stores are renamed whatever the kind, since
// a category of kind 0 lists entries in both.
void EntryOperations::RenameListLines(const std::string& OldCode, const std::string& NewCode) {
    for (TMemIniFile* list : {m_workspace.DocumentIni.get(), m_workspace.DefinitionIni.get()}) {
        const std::string key = list->FindKeyOfValue(m_category, OldCode, false);
        if (!key.empty()) list->WriteString(m_category, key, NewCode);
    }
}

// A copy of an entry without a picture of its own shows the copied entry's picture, when the
// category has an "Image" key at all.
void EntryOperations::GiveCopyThePicture(const std::string& OldCode, const std::string& NewCode) {
    TMemIniFile& document = *m_workspace.DocumentIni;
    if (!TrimView(document.ReadString(OldCode, "Image", "")).empty()) return;
    TStringList keys;
    m_workspace.GetContentsOfAllPages(m_category, keys);
    if (keys.IndexOfNoCase("Image") >= 0) document.WriteString(NewCode, "Image", OldCode);
}

}  // namespace velmora
