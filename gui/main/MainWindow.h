// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <optional>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "gui/services/GeneralHandler.h"
#include "gui/widgets/Pictures.h"
#include "core/settings/RecentFiles.h"
#include "gui/services/WindowHost.h"
#include "gui/services/WindowPlaces.h"
#include "core/catalogue/Workspace.h"
#include "core/session/EditingSession.h"

class QAction;
class QMenu;
class QSettings;
class QToolButton;

namespace Ui {
class MainWindow;
}

namespace velmora {

class Boxes;
class DiskWatch;
enum class DiskFinding;
struct EntryTarget;
struct Recovery;
class RecoveryClaim;
class RecoveryKeeper;
class FilterBox;
class FindController;
class DocumentSignals;
class LiveValueCheck;
struct EditFocus;
struct Globals;
class ProgramFolderChoice;
class ChangesWindow;
class CategoryWindow;

// The program's one permanent window: the title and file-name panels, the game buttons, the
// categories of the current file type as buttons (page "MAIN") and as a grid (page "ALL"), the
// entries of the selected category, the File menu and the menu of file types. It owns the editing
// session (the workspace's settings, stores and catalogue, and the models derived from the
// document) and the pictures; the data work is the session's, the window runs the commands and
// shows the results.
//
// The operations are spread over ten files: this window's own (MainWindow.cpp), the open category
// windows (CategoryWindowList.cpp), the document commands of the File menu (DocumentCommands.cpp),
// the Edit menu and the views that follow the document (EditCommands.cpp), the game buttons
// (GameActions.cpp), the desktop's ways (DesktopHabits.cpp: recent files, files dropped on the
// window or named on the command line, the places of the windows, the Help menu), the recovery copy
// (RecoveryCommands.cpp, with its RecoveryKeeper) and the files changed on disk by other programs
// (ChangesOnDisk.cpp, told by the window's DiskWatch). Finding (the Search menu, usages and the
// checks, with their windows) is a part of its own, the window's FindController.
class MainWindow : public QMainWindow, public WorkspaceView, public WindowHost {
    Q_OBJECT

public:
    // `globals` and `boxes` belong to the program (or the test) and outlive the window.
    MainWindow(Globals& globals, Boxes& boxes, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: shows the window at once with the title panel asking to wait, reads (or creates)
    // the settings file in `workingDir`, builds the file-type menu and loads the first file type.
    void StartInFolder(const std::string& workingDir);
    // Enables File, "Program Folder…", which asks for another folder through `choice`, makes it
    // the working directory and starts on it as at start-up. `choice` outlives the window.
    void SetProgramFolderChoice(ProgramFolderChoice* choice);
    // The user's own settings, where the recent files and the places of the windows are kept;
    // without them (the default) nothing is remembered. Given before StartInFolder shows the
    // window; `settings` outlives the window.
    void SetUserSettings(QSettings* settings);
    // The user's own settings; none in a run that keeps nothing (tests).
    QSettings* UserSettings() const override { return m_userSettings; }
    // Opens the document `Name` through Open's question about unsaved changes. Throws IniError
    // "Cannot open file" when it is not a file.
    void OpenExistingDocument(const std::string& Name);

    // Recovery of unsaved work (RecoveryCommands.cpp). The folder of the recovery files; without
    // one (the default, as in tests) no copy is kept.
    void SetRecoveryFolder(const std::string& dir);
    // Offers the recovery files of the folder that no running copy of the program holds, as one
    // list: restore, discard or compare one, or ask again at the next start.
    void OfferRecoveries();
    RecoveryKeeper& RecoveryCopies();

    QWidget& HostWidget() override { return *this; }
    Workspace& Work() override { return m_workspace; }
    const Workspace& Work() const override { return m_workspace; }
    // The pictures of the current file type (none when absent or invalid).
    const Picture& Bitmap1() const { return m_bitmap1; }
    const Picture& Bitmap2() const { return m_bitmap2; }

    // The shared document questions and operations, also used by the category windows.
    bool ModifiedSavedOrDontCare();
    bool Save1Click();
    bool SaveAs1Click(const std::string& ProposedName);
    // Writes the document under `Name` (Save As: a new name it keeps from then on), changed or not,
    // with the definition file when its lists changed (both or neither); its history is then clean.
    bool WriteDocument(const std::string& Name);
    bool IsDefaultFileOrUntitleNew(const std::string& Name);
    bool FileExistOK(const std::string& Name) override;
    void OpenProcess(const std::string& Name);
    void SetBannerCaption();
    // Restores the form when it is minimised and gives it the focus.
    void FocusAndShow(QWidget* Form) override;

    // The open category windows, one line each, in ascending order of their category numbers; at
    // most one per category name (letter case ignored). The windows are owned through their Qt
    // parent, this window.
    struct CategoryWindowLine {
        std::string Name;  // the category name, also the window's caption
        QPointer<CategoryWindow> Window;
    };
    const std::vector<CategoryWindowLine>& CategoryWindows() const { return m_categoryWindows; }
    // From a category window's buttons: OpenNew opens the first of the main categories that has
    // no window yet; otherwise, or when all have one, the window after `Window` gets the focus.
    void NextFocusAndOpen(CategoryWindow* Window, bool OpenNew) override;
    // From a category window that is closing: its line goes, and the window is freed once closed.
    void CategoryWindowClosed(CategoryWindow* Window) override;
    // Opens the category window of `Category` (or brings it forward) at the entry `Code`, and at
    // its key `Key` unless that is empty. False when the category has no window or does not list
    // the entry, or no page lists the key; the window then shows as much as it has.
    bool ShowEntryAt(const std::string& Category, const std::string& Code, const std::string& Key) override;
    // Closes every open category window; run before anything replaces a store.
    void CloseCategoryWindows();
    // The document's news as Qt signals; the category windows follow the document through them.
    DocumentSignals& DocumentNews() override { return *m_documentNews; }
    // The kinds of value the document's keys take, and the values that do not fit them.
    LiveValueCheck& Values() override;

    // The usages of `Code` in their window (the FindController's); opening the entry a row of the
    // find, usages or check results leads to, in its category window at the key.
    void FindUsages(const std::string& Code) override;
    void OpenEntryTarget(const EntryTarget& Target);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What the workspace asks of the window during a load.
    void ShowTitle(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void CategoryRowsBuilt() override;
    void LoadPictures() override;
    void ArrangeAfterLoad() override;
    void BeginBusy() override;
    void EndBusy() override;

    // Categories and entries (MainWindow.cpp).
    void ConnectControls();
    void ArrangeButton();
    void MainButtonClicked(int index);
    void AllButtonClick(int index);
    void AllButtonDoubleClick(int index);
    void PressButton(int index);
    void CategoryGridClicked();
    void ShowCurrentCategory();
    void DoubleClick1();
    void DoubleClick2();
    void OpenDbl2Click(int EntryIndex);

    // Category windows (CategoryWindowList.cpp).
    void OpenCategoryWindow(int row, int entryIndex);
    CategoryWindow* FindCategoryWindow(const std::string& Name) const;
    void SortCategoryWindows();
    void TileBackground();
    void SetTitleHeight(int height);
    // The file-type menu marks the type being edited.
    void MarkCurrentFileType();

    // The desktop's ways (DesktopHabits.cpp).
    void RememberRecentFile();
    void ShowRecentFiles();
    void RememberWindowPlaces();
    void KeyboardShortcuts1Click();
    void About1Click();

    // The settings, the file-type menu and the first file type of a program folder (MainWindow.cpp).
    void LoadProgramFolder(const std::string& workingDir);
    void BuildFileTypeMenu();
    void CreatePopUpMenuItemList(const std::string& Caption);
    void Bclick();

    // Recovery copies (RecoveryCommands.cpp).
    void SetUpRecovery();
    // The recovery files of `documentFile` only, when it is given.
    void OfferRecoveriesOf(const std::optional<std::string>& documentFile);
    // Opens the session a recovery file holds, in its program folder and kind of file, and makes
    // the file the session's copy; with `compare`, the Changes window then compares it with the
    // document's file on disk.
    void RestoreRecovery(std::shared_ptr<RecoveryClaim> claim, const Recovery& recovery, bool compare);

    // Files changed on disk (ChangesOnDisk.cpp). The watch follows the files of the document now
    // loaded; it tells of each file through its handler.
    void SetUpDiskWatch();
    void WatchFiles();
    void DocumentOnDisk(DiskFinding finding, const std::string& why);
    void DefinitionOnDisk(DiskFinding finding, const std::string& why);
    // The document counts as unsaved only because its file went from the disk.
    bool UnsavedOnlyForDeletion() const;
    // The document (or, with `definitionOnly`, the definition file) read again from disk; the open
    // category windows come back at their entry and page.
    void ReloadKeepingWindows(bool definitionOnly);
    // Whether a save may go ahead: the files it writes are as they were read, or the user agrees
    // to overwrite another program's change.
    bool OverwriteChangedFileOK();

    // Document commands (DocumentCommands.cpp).
    void New1Click();
    void Open1Click();
    void Save1ClickMenu();
    void SaveAs1ClickMenu();
    // Writes a new definition file for the current file type from the document and, when the user
    // agrees, loads it for the open document, which stays as it is.
    void NewDefinition1Click();
    void Exit1Click();
    void MyFormCloseQuery(bool& CanClose);
    void CommitOpenEdits();
    void SwitchFileType(QAction* MenuItem);
    void ProgramFolder1Click();

    // The Edit menu and the views that follow the document (EditCommands.cpp).
    void BuildEditMenu();
    void Undo1Click();
    void Redo1Click();
    void ShowHistory();
    void ShowValueChange(const std::string& Code, const std::string& Key);
    void ShowEditFocus(const EditFocus& Focus);

    // Game actions (GameActions.cpp).
    void LoadGameClick();
    void ApplyGameClick();
    void BackupFileClick();
    void CreateBackupFileNow(const std::string& Extension);
    void RunGameClick();
    void MinimizeApplication();
    // False, after saying why, when the program does not start.
    bool StartGameProgram(const std::string& programFile);

    // A handler without arguments, run through the general handler; connected as a slot.
    template <void (MainWindow::*Handler)()>
    void Guarded() {
        RunEventHandler(m_boxes, [this] { (this->*Handler)(); });
    }

    std::unique_ptr<Ui::MainWindow> ui;
    Globals& m_globals;
    Boxes& m_boxes;
    // The session's models observe its document before the views do: they are told of an edit
    // before the views that read them.
    EditingSession m_session;
    Workspace& m_workspace;  // the session's
    // Goes before the workspace's document, which it observes.
    std::unique_ptr<DocumentSignals> m_documentNews;
    // After the workspace, whose document it copies; it finishes its writes before it goes.
    std::unique_ptr<RecoveryKeeper> m_recovery;
    DiskWatch* m_diskWatch = nullptr;  // owned through its Qt parent, this window
    // The document's change count when it was marked unsaved because its file went.
    std::optional<uint64_t> m_unsavedForDeletion;
    QAction* Undo1 = nullptr;  // owned through the Edit menu
    QAction* Redo1 = nullptr;
    ProgramFolderChoice* m_folderChoice = nullptr;
    QMenu* FileTypeMenu;  // owned through its Qt parent, the window
    std::array<QToolButton*, Workspace::MainButtonCount> MainButtons{};
    // The category names the buttons carry, as bytes (the widgets show them with "&" escaped).
    std::array<std::string, Workspace::MainButtonCount> m_buttonCaptions;
    Picture m_bitmap1;
    Picture m_bitmap2;
    std::vector<CategoryWindowLine> m_categoryWindows;
    ChangesWindow* m_changesWindow;  // owned through its Qt parent, this window
    int m_designedTitleHeight = 0;
    QSettings* m_userSettings = nullptr;
    RecentFiles m_recentFiles;
    WindowPlaces m_places;
    // Goes before the session, whose models its windows read.
    std::unique_ptr<FindController> m_finding;
    FilterBox* m_entryFilter = nullptr;  // owned through its Qt parent
};

}  // namespace velmora
