// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/document/Document.h"
#include "core/settings/Globals.h"
#include "core/store/Routines.h"
#include "core/store/StringList.h"
#include "core/store/IniStore.h"
#include "core/store/DiskStamp.h"

namespace velmora {

class Boxes;

// What the window does at fixed points of a load. The core runs the order of steps; the window
// fills in labels, pictures and panels. Every hook is optional.
class WorkspaceView {
public:
    virtual ~WorkspaceView() = default;
    virtual void ShowTitle(const std::string& /*text*/) {}
    virtual void ShowStatus(const std::string& /*text*/) {}
    // The category rows and NumberOfMain are final: label the buttons, fill the category grid.
    virtual void CategoryRowsBuilt() {}
    // Bitmap1File and Bitmap2File are final for this file type: (re)load the pictures.
    virtual void LoadPictures() {}
    // A document was loaded: captions, first row, entry list.
    virtual void ArrangeAfterLoad() {}
    // The hourglass pointer for a long operation; calls nest.
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
};

// The data behind the main window: settings, the stores of the current file type, the category
// rows and the catalogue of the document. The window owns one and delegates to it; tests and the
// command-line tool use it without any window.
class Workspace {
public:
    static constexpr int MainButtonCount = 10;
    static constexpr const char* SettingsFileName = "Velmedit.ini";
    static constexpr const char* BannerText = "halvek v3.2";
    static constexpr const char* UnknownCategory = "Unknown!";
    // The definition file's section that lists the categories, and the settings' own section.
    static constexpr const char* AllSections = "AllSections";
    static constexpr const char* GeneralSetup = "GeneralSetup";
    static constexpr const char* UnknownLine = "Unknown!=1,TheUnknown!";

    Workspace(Globals& globals, Boxes& boxes, WorkspaceView* view = nullptr);
    ~Workspace();

    Globals& G() { return m_globals; }
    const Globals& G() const { return m_globals; }
    void SetView(WorkspaceView* view) { m_view = view; }
    // Off: everything happens in memory only; the settings file and the definition file are not
    // written (a dry run of the command-line tool).
    void SetDiskWrites(bool enabled) { m_diskWrites = enabled; }

    // Start-up: ProgramDir from `workingDir`, the settings file read and rewritten, the file types
    // listed (StartUpSettings), then the load of the first file type.
    void StartUp(const std::string& workingDir);
    void StartUpSettings(const std::string& workingDir);
    void BeginToLoadBasicValue();
    void ReadProgBuffer(const IniStore& Ini, const std::string& ListSection = {},
                        const std::string& DefaultLineName = {}, const std::string& DefaultLineValue = {},
                        StringList* List = nullptr);
    void WriteProgBuffer(IniStore& Ini, const std::string& ListSection, bool WriteAll,
                         const StringList& List);

    // The file-type load and its steps.
    void BeginToLoadNONBASIC();
    void BeginLoadDefault_INI_file();
    void BeginSetupDefault_001file();
    void ReadCreate_001FilenameAndDefault();
    // The settings and categories of the definition store just loaded.
    void ReadDefinitionSettings();
    void BuildCategoryRows();
    void ArrangeButton();

    // Documents and their catalogue.
    void BeginCopyDefaultOrLoadINItoCurrentBuffer(const std::string& FileName, bool FromDefault);
    // A document put back from `bytes` (a recovery copy) under the name `FileName`, as a load of a
    // file holding them would read it; it counts as changed, with a fresh history. `loaded` is the
    // file as it was when the recovered document was first read from it.
    void LoadRecoveredDocument(const std::string& FileName, std::string bytes, const DiskStamp& loaded);
    // The definition file put back from `bytes` (a recovery copy) under the name `FileName`, with
    // the settings and categories it gives; `loaded` is the file as it was when it was first read.
    // A recovered document is loaded after it.
    void LoadRecoveredDefinition(const std::string& FileName, std::string bytes, const DiskStamp& loaded);
    void BuildCatalogue();
    void SelectUnknown();
    // The definition file read anew for the document as it stands, as a new definition written
    // from it asks: categories, settings and catalogue as the file gives them, the document's text
    // and modified state kept, the default copy left out of the definition. The history starts
    // afresh, since its edits refer to the definition store that goes.
    void LoadDefinitionKeepingDocument();
    // Why opening "Unknown!" again shows nothing new.
    static std::string UnknownHasNoWindowNotice();

    // Catalogue queries.
    void GetPages(const std::string& Category, StringList& Pages) const;
    void GetContentsOfAllPages(const std::string& Category, StringList& Keys) const;
    // A category of kind 0 lists entries in the document's own section, before the definition
    // file's list; the other kinds are listed by the definition file only.
    static bool DocumentListsEntries(int Kind) { return Kind == 0; }
    // The key names of the category's list lines, shown or not: those of the document's own list
    // (kind 0) and of the definition file's.
    void GetReadSection(int Kind, const std::string& Category, StringList& Numbers) const;
    // The entries of a category in list order: the document's own list (kind 0), then the
    // sections named by the definition file's list that this document holds. A list line with an
    // empty value names no entry.
    void GetReadSectionValuesOnly(int Kind, const std::string& Category, StringList& Values) const;
    // A list that is no category's, such as a list of allowed values: every value of the
    // document's section of that name, then of the definition file's.
    void GetListValues(const std::string& Name, StringList& Values) const;
    // The largest number of the category's list lines, at least 0.
    int64_t HighestListNumber(int Kind, const std::string& Category) const;
    // The numbers that new lines of the category's list get.
    ListNumbers NumbersOf(int Kind, const std::string& Category) const;

    // File names of the current file type, each the file that is there under another letter case
    // when the configured name is missing (platform::ExistingFileName).
    std::string DefinitionFileName() const;   // ProgramDir + FileToEdit with ".001"
    std::string GameCopyFileName() const;     // GameDirectory (relative: to ProgramDir) + FileToEdit
    std::string GameProgramFileName() const;  // GameDirectory (relative: to ProgramDir) + GameExe
    // The game program as the "Run the Game" question names it: "Program: " and its full path, and
    // " (set by <definition file>)" when the definition file of the current type overrides the
    // settings' game folder or program. Definition files pass between modders, so the user sees
    // what a file from someone else would start.
    std::string GameProgramLine() const;
    // The message when the game program cannot be started: its full path and the reason, the
    // platform's `reason` unless the file is missing.
    std::string GameStartFailure(const std::string& reason) const;

    // The file type being edited: its name in [FilesToEdit], e.g. "Rules.ini".
    const std::string& FileToEdit() const { return m_fileToEdit; }
    // Chooses the file type that the next file-type load (BeginToLoadNONBASIC) loads.
    void ChooseFileType(std::string fileType) { m_fileToEdit = std::move(fileType); }
    // The [FilesToEdit] lines, in menu order.
    const StringList& FilesToEdit() const { return m_filesToEdit; }
    // The [AllSections] lines, "Unknown!" ensured; row by row the category names and kinds.
    const StringList& CategoryList() const { return m_categoryList; }
    const std::vector<std::string>& CategoryRows() const { return m_categoryRows; }
    const std::vector<int>& CategoryKinds() const { return m_categoryKinds; }
    // The categories that `lines` (as [AllSections] holds them) give, in place of the definition
    // file's: for a definition store put in by hand, without a settings file.
    void UseCategoryList(StringList lines);
    // The settings file and the file type's default copy; null before they are loaded.
    const IniStore* SettingsIni() const { return m_settingsIni.get(); }
    const IniStore* DefaultIni() const { return m_defaultIni.get(); }
    // The default copy replaced by `store`, as though the file type's default file held it.
    void UseDefaultCopy(std::unique_ptr<IniStore> store) { m_defaultIni = std::move(store); }
    // The document's and the definition's files as they were last read or written, to tell when
    // another program changed them (Exists false: not read from a file).
    const DiskStamp& DocumentStamp() const { return m_documentStamp; }
    const DiskStamp& DefinitionStamp() const { return m_definitionStamp; }
    // The definition file as it now stands on disk is what the editor knows of it: the editor
    // itself has just written it where NoteWritten did not hear of it.
    void RestampDefinition();
    // The editor itself has just written `content` to `fileName`: when that is the document's or
    // the definition's file, its stamp becomes that of the bytes written, so that the editor's own
    // write is never taken for another program's change. Every write of the editor tells it.
    void NoteWritten(const std::string& fileName, std::string_view content);
    // The document as it stands in memory, unsaved changes included, written to `fileName` (the
    // game's copy, a backup); the document keeps its own name and state.
    void WriteDocumentCopy(const std::string& fileName);

    // Everything this workspace holds of the file type it has loaded (the settings it was loaded
    // with, the file type, its categories, default copy, stamps and document) and what `other`
    // holds of its own change places: a session keeps one workspace per kind of file and shows
    // one kind at a time in the window's. Each keeps its own globals object, view, disk writes
    // and observers; the stores follow the letter case of the globals they now belong to.
    void ExchangeKind(Workspace& other);

    // The document being edited, owning the document's and the definition file's stores: every
    // change of them after a load goes through it. Each load of a document starts its history
    // afresh.
    Document& Doc() { return m_document; }
    const Document& Doc() const { return m_document; }

private:
    std::unique_ptr<IniStore> NewStore(const std::string& fileName) const;
    std::string GameDirectoryPath() const;

    Globals& m_globals;
    Boxes& m_boxes;
    WorkspaceView* m_view;
    std::string m_fileToEdit;
    StringList m_filesToEdit;
    StringList m_categoryList;
    std::vector<int> m_categoryKinds;
    std::vector<std::string> m_categoryRows;
    std::unique_ptr<IniStore> m_settingsIni;
    std::unique_ptr<IniStore> m_defaultIni;
    DiskStamp m_documentStamp;
    DiskStamp m_definitionStamp;
    bool m_diskWrites = true;
    Document m_document;
};

// Puts the banner back into the status panel however the scope is left; does nothing without a view.
class BannerOnExit {
public:
    explicit BannerOnExit(WorkspaceView* view) : m_view(view) {}
    ~BannerOnExit();
    BannerOnExit(const BannerOnExit&) = delete;
    BannerOnExit& operator=(const BannerOnExit&) = delete;
    BannerOnExit(BannerOnExit&&) = delete;
    BannerOnExit& operator=(BannerOnExit&&) = delete;

private:
    WorkspaceView* m_view;
};

}  // namespace velmora
