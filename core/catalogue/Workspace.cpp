// SPDX-License-Identifier: GPL-3.0-or-later
// The file-type load and the catalogue of a document: which category claims which section, the
// numbered lists in the definition file, and the collection of what no category claims.

#include "core/catalogue/Workspace.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>
#include <utility>

#include "core/boxes/Boxes.h"
#include "core/store/Routines.h"
#include "core/store/MessageText.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"

namespace velmora {

namespace {

// The hourglass pointer of a long operation, put back on every way out.
class BusyPointer {
public:
    explicit BusyPointer(WorkspaceView* view) : m_view(view) {
        if (m_view) m_view->BeginBusy();
    }
    ~BusyPointer() {
        if (m_view) m_view->EndBusy();
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    BusyPointer(BusyPointer&&) = delete;
    BusyPointer& operator=(BusyPointer&&) = delete;

private:
    WorkspaceView* m_view;
};

}  // namespace

BannerOnExit::~BannerOnExit() {
    if (m_view) m_view->ShowStatus(Workspace::BannerText);
}

Workspace::Workspace(Globals& globals, Boxes& boxes, WorkspaceView* view)
    : m_globals(globals), m_boxes(boxes), m_view(view) {}

Workspace::~Workspace() = default;

void Workspace::ExchangeKind(Workspace& other) {
    if (&other == this) return;
    std::swap(m_globals, other.m_globals);
    std::swap(m_fileToEdit, other.m_fileToEdit);
    std::swap(m_filesToEdit, other.m_filesToEdit);
    std::swap(m_categoryList, other.m_categoryList);
    std::swap(m_categoryKinds, other.m_categoryKinds);
    std::swap(m_categoryRows, other.m_categoryRows);
    std::swap(m_settingsIni, other.m_settingsIni);
    std::swap(m_defaultIni, other.m_defaultIni);
    std::swap(m_documentStamp, other.m_documentStamp);
    std::swap(m_definitionStamp, other.m_definitionStamp);
    // The stores are handed over before the observers hear of them, already reading letter case
    // as their new workspace does.
    for (Workspace* work : {this, &other}) {
        const bool* caseSensitive = &work->m_globals.CaseSensitive;
        if (work->m_settingsIni) work->m_settingsIni->SetCaseSensitiveFlag(caseSensitive);
        if (work->m_defaultIni) work->m_defaultIni->SetCaseSensitiveFlag(caseSensitive);
    }
    for (Workspace* work : {this, &other}) {
        Document& stores = work == this ? other.m_document : m_document;
        for (StoreOf which : {StoreOf::Document, StoreOf::Definition})
            if (stores.StoreOrNull(which))
                stores.StoreForLoad(which).SetCaseSensitiveFlag(&work->m_globals.CaseSensitive);
    }
    m_document.Exchange(other.m_document);
}

std::unique_ptr<IniStore> Workspace::NewStore(const std::string& fileName) const {
    return std::make_unique<IniStore>(fileName, &m_globals.CaseSensitive);
}

std::string Workspace::DefinitionFileName() const {
    return platform::ExistingFileName(m_globals.ProgramDir + ChangeFileExt(m_fileToEdit, ".001"));
}

namespace {

// A folder given with a drive letter (C:\Games\) or as a share (\\host\) names a Windows
// folder wherever the settings are read; it is never a folder below the program folder.
bool IsRootedFolderText(const std::string& dir) {
    const bool drive = dir.size() >= 2 && std::isalpha(static_cast<unsigned char>(dir[0])) && dir[1] == ':';
    return drive || dir.starts_with("\\\\") || platform::ToPath(dir).has_root_path();
}

}  // namespace

std::string Workspace::GameDirectoryPath() const {
    const std::string& dir = m_globals.GameDirectory;
    if (IsRootedFolderText(dir)) return dir;
    return m_globals.ProgramDir + dir;
}

std::string Workspace::GameCopyFileName() const {
    return platform::ExistingFileName(GameDirectoryPath() + m_fileToEdit);
}

std::string Workspace::GameProgramFileName() const {
    return platform::ExistingFileName(GameDirectoryPath() + m_globals.GameExe);
}

std::string Workspace::GameStartFailure(const std::string& reason) const {
    const std::string program = GameProgramFileName();
    return "The game program could not be started:\r\n" + program + "\r\n" +
           (platform::IsRegularFile(program) ? reason : std::string("The file does not exist on this system."));
}

// ---------------------------------------------------------------------------------------------
// The file-type load

void Workspace::BeginToLoadNONBASIC() {
    m_categoryList.Clear();
    BeginLoadDefault_INI_file();
    BeginSetupDefault_001file();
    BeginCopyDefaultOrLoadINItoCurrentBuffer(m_globals.UntitledName, true);
    if (m_view) m_view->ShowStatus(BannerText);
    SelectUnknown();
    if (m_view) m_view->ShowTitle(m_globals.TitleText);
}

void Workspace::BeginLoadDefault_INI_file() {
    std::string fileName =
        platform::ExistingFileName(m_globals.ProgramDir + ChangeFileExt(m_fileToEdit, ".INI"));
    auto store = NewStore(fileName);
    m_globals.DefaultFileName = fileName;
    m_defaultIni = std::move(store);
    m_document.CountChange();  // a copy of the old one under way is started again
}

void Workspace::BeginSetupDefault_001file() {
    ReadCreate_001FilenameAndDefault();
    BuildCategoryRows();
    ArrangeButton();
    if (m_view) m_view->LoadPictures();
}

void Workspace::ReadCreate_001FilenameAndDefault() {
    // What a save that was killed half-way left beside it goes first.
    platform::RemoveStaleTemporaries(DefinitionFileName());
    m_document.Load(StoreOf::Definition, NewStore(DefinitionFileName()));
    m_definitionStamp = TakeDiskStamp(m_document.Definition().FileName());
    ReadDefinitionSettings();
}

void Workspace::ReadDefinitionSettings() {
    const IniStore& definition = m_document.Definition();
    // Settings go back to the settings file's values before this type's overrides apply.
    ReadProgBuffer(*m_settingsIni);
    ReadProgBuffer(definition, AllSections, UnknownCategory, "1,TheUnknown!", &m_categoryList);

    // Exactly one "Unknown!" category, always kind 1 with a page no section fits.
    int unknown = m_categoryList.IndexOfName(UnknownCategory);
    if (unknown >= 0)
        m_categoryList[static_cast<size_t>(unknown)] = UnknownLine;
    else
        m_categoryList.Add(std::string(UnknownLine));
}

void Workspace::BuildCategoryRows() {
    m_categoryRows.clear();
    m_categoryKinds.assign(m_categoryList.Count(), 0);
    for (size_t i = 0; i < m_categoryList.Count(); ++i) {
        std::vector<std::string> items = SplitCommaList(m_categoryList.Value(i));
        if (!items.empty()) m_categoryKinds[i] = ReadLeadingNumber(items.front());
        m_categoryRows.push_back(m_categoryList.Name(i));
    }
}

void Workspace::UseCategoryList(StringList lines) {
    m_categoryList = std::move(lines);
    BuildCategoryRows();
}

void Workspace::ArrangeButton() {
    int32_t& count = m_globals.NumberOfMain;
    if (count > 0) {
        int32_t rows = static_cast<int32_t>(std::min<size_t>(m_categoryRows.size(), MainButtonCount));
        count = std::min({count, static_cast<int32_t>(MainButtonCount), rows});
    }
    if (m_view) m_view->CategoryRowsBuilt();
}

// ---------------------------------------------------------------------------------------------
// Documents and their catalogue

void Workspace::BeginCopyDefaultOrLoadINItoCurrentBuffer(const std::string& FileName, bool FromDefault) {
    BusyPointer busy(m_view);
    BannerOnExit banner(m_view);

    // The new store is complete before anything of the current document is let go: a file that
    // cannot be read leaves the current document, its name and its catalogue as they were.
    std::unique_ptr<IniStore> document;
    if (!FromDefault) {
        platform::RemoveStaleTemporaries(FileName);
        document = NewStore(FileName);
        // A document is mostly the default copy with changes: what the two have in common is held once.
        if (m_defaultIni) document->ShareTextWith(*m_defaultIni);
    } else if (m_defaultIni) {
        document = m_defaultIni->CloneAs(FileName);
    } else {
        document = NewStore(std::string());
        document->Rename(FileName, false);
    }

    const DiskStamp stamp = FromDefault ? DiskStamp() : TakeDiskStamp(FileName);
    m_document.Load(StoreOf::Document, std::move(document));
    m_documentStamp = stamp;
    BuildCatalogue();
    m_globals.UnknownSelected = false;
    if (m_view) m_view->ArrangeAfterLoad();
}

void Workspace::LoadRecoveredDocument(const std::string& FileName, std::string bytes, const DiskStamp& loaded) {
    BusyPointer busy(m_view);
    BannerOnExit banner(m_view);
    std::unique_ptr<IniStore> document = NewStore(std::string());
    document->LoadText(std::move(bytes));
    document->Rename(FileName, false);
    if (m_defaultIni) document->ShareTextWith(*m_defaultIni);

    m_document.Load(StoreOf::Document, std::move(document));
    m_documentStamp = loaded;
    BuildCatalogue();
    m_globals.UnknownSelected = false;
    m_document.Restart(true);
    if (m_view) m_view->ArrangeAfterLoad();
}

void Workspace::LoadRecoveredDefinition(const std::string& FileName, std::string bytes, const DiskStamp& loaded) {
    BusyPointer busy(m_view);
    std::unique_ptr<IniStore> definition = NewStore(std::string());
    definition->LoadText(std::move(bytes));
    definition->Rename(FileName, false);
    m_categoryList.Clear();
    m_document.Load(StoreOf::Definition, std::move(definition));
    m_definitionStamp = loaded;
    ReadDefinitionSettings();
    BuildCategoryRows();
    ArrangeButton();
    if (m_view) m_view->LoadPictures();
}

void Workspace::LoadDefinitionKeepingDocument() {
    if (!m_document.HasDocument()) return;
    BusyPointer busy(m_view);
    BannerOnExit banner(m_view);
    const bool modified = m_document.Modified();
    // A fresh copy: the sections' claims of the old catalogue do not carry over.
    std::unique_ptr<IniStore> document = m_document.Store().CloneAs(m_document.FileName());
    m_categoryList.Clear();
    BeginSetupDefault_001file();
    m_document.Load(StoreOf::Document, std::move(document));
    BuildCatalogue();
    m_globals.UnknownSelected = false;
    m_document.Restart(modified);
    if (m_view) m_view->ArrangeAfterLoad();
}

void Workspace::BuildCatalogue() {
    BusyPointer busy(m_view);
    IniStore& document = m_document.StoreForLoad(StoreOf::Document);
    // The definition store is reached row by row: a file type whose load failed before it was
    // read has no rows either.

    // Listed sections first, so that a list always wins over a fit by keys: the document's own
    // list of a kind 0 category, then the definition file's list, which earlier loads extended.
    // The definition file's lists serve every document of this file type, so a line whose section
    // this document lacks stays; the document's views leave it out.
    for (size_t row = 0; row < m_categoryRows.size(); ++row) {
        const std::string& category = m_categoryRows[row];
        if (m_categoryKinds[row] == 0) document.MarkOccupiedListSection(category);
        StringList lines;
        m_document.Definition().ReadSectionValues(category, lines);
        document.MarkOccupiedListed(lines);
    }

    // Then every free section whose keys fit a category joins the earliest such category.
    SectionKeyMatcher matcher(document);
    for (size_t row = 0; row < m_categoryRows.size(); ++row) {
        const std::string& category = m_categoryRows[row];
        const int kind = m_categoryKinds[row];
        StringList keys;
        GetContentsOfAllPages(category, keys);
        StringList found;
        matcher.MarkOccupiedMatching(keys, found, m_globals.VariantAllowed);
        if (found.Empty()) continue;

        std::unordered_set<std::string> listed;
        if (m_globals.CheckDoubleSection) {
            StringList values;
            GetReadSectionValuesOnly(kind, category, values);
            for (const auto& value : values) listed.insert(FoldCase(value.text));
        }
        ListNumbers numbers = NumbersOf(kind, category);
        for (const auto& item : found) {
            const std::string& name = item.text;
            if (m_globals.CheckDoubleSection && listed.count(FoldCase(name)) != 0) {
                BoxAnswer answer = m_boxes.Warning(Escaped(name) + " in " + category +
                                                   " reveals more than once. Only one can be processed.");
                if (answer == BoxAnswer::Ignore) m_globals.CheckDoubleSection = false;
            }
            m_document.StoreForLoad(StoreOf::Definition).AppendString(category, std::to_string(numbers.Next()), name);
        }
    }
}

void Workspace::RestampDefinition() { m_definitionStamp = TakeDiskStamp(DefinitionFileName()); }

void Workspace::NoteWritten(const std::string& fileName, std::string_view content) {
    const std::string written = platform::AbsoluteName(fileName);
    if (m_document.HasDocument() && written == platform::AbsoluteName(m_document.Store().FileName()))
        m_documentStamp = StampOfWritten(fileName, content);
    if (m_document.HasDefinition() && written == platform::AbsoluteName(m_document.Definition().FileName()))
        m_definitionStamp = StampOfWritten(fileName, content);
}

void Workspace::WriteDocumentCopy(const std::string& fileName) {
    const std::string text = m_document.Store().RenderText();
    platform::WriteWholeFile(fileName, text);
    NoteWritten(fileName, text);
}

std::string Workspace::UnknownHasNoWindowNotice() {
    return std::string(UnknownCategory) +
           " has no window of its own: it lists the sections that no category claims, and they are "
           "already collected in the list beside it.";
}

void Workspace::SelectUnknown() {
    BusyPointer busy(m_view);

    const IniStore& document = m_document.Store();
    std::vector<std::string_view> unclaimed;
    for (size_t i = 0; i < document.SectionCount(); ++i) {
        const IniSection& section = document.SectionAt(i);
        if (section.Occupied == 0) unclaimed.push_back(section.Name());
    }

    if (!unclaimed.empty()) {
        ListNumbers numbers = NumbersOf(1, UnknownCategory);
        IniStore& definition = m_document.StoreForLoad(StoreOf::Definition);
        for (std::string_view name : unclaimed)
            definition.AppendString(UnknownCategory, std::to_string(numbers.Next()), name);

        const std::string& fileName = definition.FileName();
        if (!platform::IsRegularFile(fileName) || m_globals.UpdateUnknown001) {
            // A run that writes nothing to disk has nothing to announce.
            if (m_diskWrites)
                m_boxes.Notice(ExtractFileName(fileName) + " not exist or will be updated.\r\nUpdating will perform.");
            WriteProgBuffer(definition, AllSections, false, m_categoryList);
            if (m_diskWrites) {
                const std::string text = definition.RenderText();
                platform::WriteWholeFile(fileName, text);
                NoteWritten(fileName, text);
            }
        }
    }
    m_globals.UnknownSelected = true;
}

// ---------------------------------------------------------------------------------------------
// Catalogue queries

void Workspace::GetPages(const std::string& Category, StringList& Pages) const {
    std::vector<std::string> items = SplitCommaList(m_document.Definition().ReadString(AllSections, Category, ""));
    for (size_t i = 1; i < items.size(); ++i) Pages.Add(std::move(items[i]));
}

void Workspace::GetContentsOfAllPages(const std::string& Category, StringList& Keys) const {
    Keys.Clear();
    StringList pages;
    GetPages(Category, pages);
    StringList names;
    for (const auto& page : pages) {
        m_document.Definition().ReadSection(page.text, names);
        Keys.Append(names);
    }
}

void Workspace::GetReadSection(int Kind, const std::string& Category, StringList& Numbers) const {
    Numbers.Clear();
    if (DocumentListsEntries(Kind)) m_document.Store().ReadSection(Category, Numbers);
    StringList more;
    m_document.Definition().ReadSection(Category, more);
    Numbers.Append(more);
}

void Workspace::GetReadSectionValuesOnly(int Kind, const std::string& Category, StringList& Values) const {
    Values.Clear();
    // A list line with an empty value ("447=") names no entry.
    if (DocumentListsEntries(Kind)) {
        StringList listed;
        m_document.Store().ReadSectionValuesOnly(Category, listed);
        for (const StringItem& code : listed)
            if (!code.text.empty()) Values.Add(code);
    }
    // Each line of the definition file's list names its own section; a line whose section this
    // document lacks belongs to other documents of the file type and is not shown.
    const IniStore& definition = m_document.Definition();
    const int list = definition.IndexOfSection(Category);
    if (list < 0) return;
    const IniStore& document = m_document.Store();
    const IniSection& lines = definition.SectionAt(static_cast<size_t>(list));
    Values.Reserve(Values.Count() + lines.Count());
    std::string_view name;
    for (size_t i = 0; i < lines.Count(); ++i) {
        if (i + IniStore::LookAhead < lines.Count() &&
            IniStore::ListedName(lines.LineAt(i + IniStore::LookAhead), name))
            document.PrefetchSectionNamedExactly(name);
        if (IniStore::ListedName(lines.LineAt(i), name) && !name.empty() &&
            document.HasSectionNamedExactly(name))
            Values.Add(std::string(name));
    }
}

void Workspace::GetListValues(const std::string& Name, StringList& Values) const {
    m_document.Store().ReadSectionValuesOnly(Name, Values);
    StringList more;
    m_document.Definition().ReadSectionValuesOnly(Name, more);
    Values.Append(more);
}

int64_t Workspace::HighestListNumber(int Kind, const std::string& Category) const {
    return NumbersOf(Kind, Category).Highest();
}

ListNumbers Workspace::NumbersOf(int Kind, const std::string& Category) const {
    StringList names;
    GetReadSection(Kind, Category, names);
    return ListNumbers(names.Texts());
}

}  // namespace velmora
