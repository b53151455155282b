// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/entries/EntryOperations.h"

#include <algorithm>

#include "core/document/TextRules.h"
#include "core/catalogue/Workspace.h"
#include "core/store/MessageText.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

// The list line of `code` in the list section at `section`: the first line whose own value names
// it. A list may give one number twice, and each of the two lines names its own entry.
long ListLineOf(const IniStore& store, size_t section, std::string_view code) {
    const IniSection& lines = store.SectionAt(section);
    std::string_view name;
    for (size_t line = 0; line < lines.Count(); ++line)
        if (IniStore::ListedName(lines.LineAt(line), name) && name == code) return static_cast<long>(line);
    return -1;
}

}  // namespace

std::string CutCode(std::string_view code) { return std::string(code.substr(0, MaxCodeLength)); }
std::string CutName(std::string_view name, std::string_view startName) {
    return std::string(name.substr(0, NameLengthLimit(startName)));
}

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
        if (name != "-") proposal.Name = prefix + std::string(name);
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
    return Escaped(newCode) +
           "\r\nCode is not valid.\r\n"
           "A code may not be empty, begin or end with a blank, or hold \"]\", \";\", \"=\" or \",\".";
}

std::string DeleteSingleNotice() { return "Can not delete single member"; }
std::string DeleteCaption() { return "Delete Item"; }
std::string DeleteQuestion(std::string_view code, size_t stillNaming) {
    std::string question = "Really want to delete " + std::string(code) + " ?";
    if (stillNaming == 1) question += "\r\n1 line will still name it.";
    if (stillNaming > 1) question += "\r\n" + std::to_string(stillNaming) + " lines will still name it.";
    return question;
}

std::string ChangeReferencesQuestion(size_t count, std::string_view oldCode, std::string_view newCode) {
    return "Also change the " + Counted(count, "reference", "references") + " to " + std::string(oldCode) + " into " +
           std::string(newCode) + "?";
}

std::string NotChangedText(const LineRewrite& line) {
    return "not changed: [" + line.SectionName + "] " + line.OldText;
}

bool CodeIsUsable(std::string_view code) {
    return !code.empty() && !IsBlank(static_cast<unsigned char>(code.front())) &&
           !IsBlank(static_cast<unsigned char>(code.back())) &&
           code.find_first_of("];=,") == std::string_view::npos &&
           std::none_of(code.begin(), code.end(), [](char c) { return IsRefusedByte(static_cast<unsigned char>(c)); });
}

EntryOperations::EntryOperations(Workspace& workspace, std::string category, int kind)
    : m_workspace(workspace), m_category(std::move(category)), m_kind(kind) {}

bool EntryOperations::CodeIsTaken(std::string_view newCode, const std::vector<std::string>& entryCodes) const {
    return IndexOfNoCase(entryCodes, newCode) >= 0 || m_workspace.Doc().Store().IndexOfSection(newCode) >= 0;
}

std::string EntryOperations::NewCodeRefusal(const std::string& newCode,
                                            const std::vector<std::string>& entryCodes) const {
    // A C1 control character reads back, but is as little a letter of a code as the others.
    if (!CodeIsUsable(newCode) || FirstControlCharacter(newCode) != std::string_view::npos)
        return CodeNotValidNotice(newCode);
    if (CodeIsTaken(newCode, entryCodes)) return CodeTakenNotice(newCode);
    return {};
}

CodeAndName EntryOperations::DuplicateProposal(std::string_view code, std::string_view name,
                                               const std::vector<std::string>& entryCodes) const {
    return ProposeDuplicate(code, name, [&](std::string_view proposed) { return CodeIsTaken(proposed, entryCodes); });
}

// The list line a change of code renames itself is the code's own in the category's list section
// of the document, as RenameListLines finds it.
std::vector<Usage> EntryOperations::UsagesOutsideListLine(const std::string& Code) const {
    const IniStore& store = m_workspace.Doc().Store();
    std::vector<Usage> usages = FindUsages(store, Code, m_workspace.G().CaseSensitive);
    const int list = store.IndexOfSection(m_category);
    if (list >= 0) {
        const long line = ListLineOf(store, static_cast<size_t>(list), Code);
        const LinePlace own{static_cast<size_t>(list), static_cast<size_t>(line)};
        if (line >= 0) std::erase_if(usages, [&](const Usage& usage) { return usage.Place == own; });
    }
    return usages;
}

std::vector<std::string> EntryOperations::KeysNamingThisCategory() const {
    std::vector<std::string> keys;
    const int own = IndexOfNoCase(m_workspace.CategoryRows(), m_category);
    if (own < 0 || !m_workspace.Doc().HasDefinition()) return keys;
    for (size_t row = 0; row < m_workspace.CategoryRows().size(); ++row)
        for (const ReferenceKey& key : ReferenceKeysOf(m_workspace, row))
            if (std::find(key.CategoryRows.begin(), key.CategoryRows.end(), static_cast<size_t>(own)) !=
                key.CategoryRows.end())
                keys.push_back(FoldCase(key.Key));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

CodeChangeRewrites EntryOperations::ReferenceRewrites(const std::string& OldCode, const std::string& NewCode) const {
    const std::vector<std::string> referenceKeys = KeysNamingThisCategory();
    std::vector<Usage> references;
    std::vector<Usage> others;
    for (Usage& usage : UsagesOutsideListLine(OldCode)) {
        const bool isList = IndexOfNoCase(m_workspace.CategoryRows(), usage.SectionName) >= 0;
        const bool isReference =
            std::binary_search(referenceKeys.begin(), referenceKeys.end(), FoldCase(std::string(usage.Key())));
        (isList || isReference ? references : others).push_back(std::move(usage));
    }
    const bool caseSensitive = m_workspace.G().CaseSensitive;
    return {RenameRewrites(references, OldCode, NewCode, caseSensitive),
            RenameRewrites(others, OldCode, NewCode, caseSensitive)};
}

size_t EntryOperations::LinesStillNaming(const std::string& Code) const {
    std::vector<Usage> usages = UsagesOutsideListLine(Code);
    const int own = m_workspace.Doc().Store().IndexOfSection(Code);
    if (own >= 0)
        std::erase_if(usages, [&](const Usage& usage) { return usage.Place.Section == static_cast<size_t>(own); });
    return usages.size();
}

void EntryOperations::DuplicateOrChangeCode(const std::string& OldCode, const std::string& NewCode,
                                            const std::optional<std::string>& NewName, bool IsDuplicate,
                                            const std::vector<LineRewrite>& References) {
    Document& document = m_workspace.Doc();
    std::unique_ptr<StoreEdit> edit = document.BeginEdit(
        (IsDuplicate ? "Duplicate " : "Change Code of ") + OldCode, {m_category, NewCode, {}}, true);
    edit->SetCodeAfterUndo(OldCode);
    // First, while every place is still the one they were found at; the copy below then takes the
    // entry's own rewritten lines with it.
    AddRewrites(*edit, References);
    if (IsDuplicate)
        WriteListLine(*edit, NewCode);
    else
        RenameListLines(*edit, OldCode, NewCode);

    const int old = document.Store().IndexOfSection(OldCode);
    if (old >= 0) {
        // The copy's lines keep their text as read, so that a change of code rewrites no more than
        // its header and what this operation writes. It stands directly before the old section, so
        // removing the old one leaves the renamed entry where it stood.
        const auto copy = static_cast<size_t>(old);
        edit->InsertCopyOfSection(StoreOf::Document, copy, copy, NewCode);
        if (NewName && document.Store().SectionAt(copy).IndexOfKey("Name") >= 0)
            edit->WriteValue(StoreOf::Document, copy, "Name", StorableValue(*NewName));
        if (!IsDuplicate) edit->RemoveSection(StoreOf::Document, copy + 1);
    }
    if (IsDuplicate) GiveCopyThePicture(*edit, OldCode, NewCode);
    document.Commit(std::move(edit));
}

std::string EntryOperations::DeleteRefusal(size_t entryCount) {
    return entryCount < 2 ? DeleteSingleNotice() : std::string();
}

void EntryOperations::DeleteEntry(const std::string& Code) {
    if (Code.empty()) return;
    Document& document = m_workspace.Doc();
    std::unique_ptr<StoreEdit> edit = document.BeginEdit("Delete " + Code, {m_category, Code, {}}, true);
    RemoveListLine(*edit, StoreOf::Document, Code);
    RemoveListLine(*edit, StoreOf::Definition, Code);
    const int section = document.Store().IndexOfSection(Code);
    if (section >= 0) edit->RemoveSection(StoreOf::Document, static_cast<size_t>(section));
    document.Commit(std::move(edit));
}

void EntryOperations::RemoveListLine(StoreEdit& edit, StoreOf store, const std::string& Code) {
    const IniStore& list = edit.Store(store);
    const int section = list.IndexOfSection(m_category);
    if (section < 0) return;
    const long line = ListLineOf(list, static_cast<size_t>(section), Code);
    if (line >= 0) edit.RemoveLine(store, static_cast<size_t>(section), static_cast<size_t>(line));
}

// A new number goes past every number of the category's list sections, so the line lands at the
// end of the list section of the store that keeps the category's list.
void EntryOperations::WriteListLine(StoreEdit& edit, const std::string& NewCode) {
    const int64_t number = m_workspace.NumbersOf(m_kind, m_category).Next();
    const StoreOf list = Workspace::DocumentListsEntries(m_kind) ? StoreOf::Document : StoreOf::Definition;
    edit.WriteValue(list, m_category, std::to_string(number), NewCode);
}

// The list line keeps its number and its place; both stores are renamed whatever the kind, since
// a category of kind 0 lists entries in both. The line written is the one that names the code: a
// list may give one number twice, and a write by number would rename the other entry.
void EntryOperations::RenameListLines(StoreEdit& edit, const std::string& OldCode, const std::string& NewCode) {
    for (StoreOf store : {StoreOf::Document, StoreOf::Definition}) {
        const IniStore& list = edit.Store(store);
        const int section = list.IndexOfSection(m_category);
        if (section < 0) continue;
        const long line = ListLineOf(list, static_cast<size_t>(section), OldCode);
        if (line >= 0) edit.WriteValueOfLine(store, static_cast<size_t>(section), static_cast<size_t>(line), NewCode);
    }
}

// A copy of an entry without a picture of its own shows the copied entry's picture, when the
// category has an "Image" key at all.
// An entry listed without a section of its own gets one for the picture, at the document's end.
void EntryOperations::GiveCopyThePicture(StoreEdit& edit, const std::string& OldCode, const std::string& NewCode) {
    if (!TrimView(edit.Store(StoreOf::Document).ReadString(OldCode, "Image", "")).empty()) return;
    StringList keys;
    m_workspace.GetContentsOfAllPages(m_category, keys);
    if (keys.IndexOfNoCase("Image") >= 0) edit.WriteValue(StoreOf::Document, NewCode, "Image", OldCode);
}

}  // namespace velmora
