// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace velmora {

class Boxes;
class ModCommands;
class CategoryWindowList;
class DiskChanges;
class DocumentLayers;
struct Globals;
class ProgramFolderChoice;
class RecoveryKeeper;
class Workspace;

// The commands that write the document or replace it: the File menu (New, Open, Save, Save As,
// New Definition, Program Folder), the menu of file types and the switch to another, and the
// question about unsaved changes that every command replacing the document asks first. A value
// still being typed in a category window is committed before a command reads the document.
class DocumentCommands {
  public:
    // What the commands ask of the window they belong to.
    class Host {
      public:
        // Closes every window that reads the stores; run before anything replaces them.
        virtual void CloseCategoryWindows() = 0;
        // The caption and the file-name panel show the document's name and state.
        virtual void SetBannerCaption() = 0;
        // Starts on the settings of `workingDir` as at start-up, the title asking to wait meanwhile.
        virtual void StartInProgramFolder(const std::string& workingDir) = 0;
        // Offers the recovery copies of the document just opened from `documentFile`.
        virtual void OfferRecoveriesOf(const std::string& documentFile) = 0;
        // The status line says `text`.
        virtual void ShowStatus(const std::string& text) = 0;

      protected:
        ~Host() = default;
    };

    // Everything given outlives the commands; `window` is the Qt parent of the file-type menu.
    DocumentCommands(QWidget& window, Workspace& workspace, Globals& globals, Boxes& boxes,
                     CategoryWindowList& windows, DiskChanges& diskChanges, RecoveryKeeper& recovery,
                     Host& host);

    // Enables "Program Folder…", which asks for another folder through `choice`, makes it the
    // working directory and starts on it as at start-up. `choice` outlives the commands.
    void SetProgramFolderChoice(ProgramFolderChoice* choice) { m_folderChoice = choice; }
    // While `mod` has a mod open, the question about unsaved changes and the save cover every kind,
    // and the file-type menu shows another kind instead of loading it. `mod` outlives the commands.
    void SetModCommands(ModCommands* mod) { m_mod = mod; }

    // The layers over the document: a save writes every changed file of the stack together, and
    // an unsaved layer counts as an unsaved document. `layers` outlives the commands.
    void SetLayers(DocumentLayers* layers) { m_layers = layers; }

    void New1Click();
    void Open1Click();
    void Save1ClickMenu();
    void SaveAs1ClickMenu();
    // Writes a new definition file for the current file type from the document and, when the user
    // agrees, loads it for the open document, which stays as it is.
    void NewDefinition1Click();
    // Another program folder: the document is saved or dropped first, since the load of the new
    // folder replaces it, and the choice is remembered only once the folder could be entered.
    void ProgramFolder1Click();
    // The close question: whether the window may close.
    void MyFormCloseQuery(bool& CanClose);

    // True when the caller may drop the document: it was saved, or the user chose not to.
    bool ModifiedSavedOrDontCare();
    bool Save1Click();
    bool SaveAs1Click(const std::string& ProposedName);
    // Writes the document under `Name` (Save As: a new name it keeps from then on), changed or not,
    // with the definition file when its lists changed (both or neither); its history is then clean.
    bool WriteDocument(const std::string& Name);
    // True when a name may not be saved to directly ("Save" becomes "Save As").
    bool IsDefaultFileOrUntitleNew(const std::string& Name);
    // Asks before `Name` is overwritten; false when the user declines.
    bool FileExistOK(const std::string& Name);
    // Opens the document `Name` after the question about unsaved changes, and offers its recovery
    // copies.
    void OpenProcess(const std::string& Name);
    // As OpenProcess; throws IniError "Cannot open file" when `Name` is not a file.
    void OpenExistingDocument(const std::string& Name);

    // The menu of the file types the settings list, built anew for each program folder; it marks
    // the type being edited.
    void BuildFileTypeMenu();
    void MarkCurrentFileType();
    void PopUpFileTypes(const QPoint& at);

  private:
    bool ModIsOpen() const;
    // A command that replaces the document ends the mod first, and lets the kinds read beside a
    // file go: the kind shown stays alone.
    void LeaveMod();
    // Whether the document or a layer over it holds changes no save wrote.
    bool Unsaved() const;
    // The files the question about unsaved changes names: "Rules.ini", "Rules.ini, Duel.ini".
    std::string UnsavedNames() const;
    // Another document came after the question about unsaved changes: the layers' edits it gave up
    // are read away from their files.
    void DropLayerEdits();
    // Asks before a save overwrites a changed layer that another program changed on disk.
    bool OverwriteChangedLayerOK();
    void CreatePopUpMenuItemList(const std::string& Caption);
    void SwitchFileType(QAction* MenuItem);

    Workspace& m_workspace;
    Globals& m_globals;
    Boxes& m_boxes;
    CategoryWindowList& m_windows;
    DiskChanges& m_diskChanges;
    RecoveryKeeper& m_recovery;
    Host& m_host;
    ProgramFolderChoice* m_folderChoice = nullptr;
    ModCommands* m_mod = nullptr;
    DocumentLayers* m_layers = nullptr;
    QMenu* FileTypeMenu;  // owned through its Qt parent, the window
};

}  // namespace velmora
