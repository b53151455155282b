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
#include "gui/main/CategoryPanel.h"
#include "gui/main/CategoryWindowList.h"
#include "gui/main/DiskChanges.h"
#include "gui/main/DocumentCommands.h"
#include "gui/main/GameActions.h"
#include "gui/main/ModCommands.h"
#include "gui/main/RecoveryOffer.h"
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
class DocumentDrops;
class DocumentLayers;
class LayerCommands;
class EditCommands;
struct EntryTarget;
class HelpMenu;
class RecentFilesMenu;
class RecoveryKeeper;
class TitlePanel;
class FilterBox;
class FindController;
class ModCheckOffer;
class DocumentSignals;
class LiveValueCheck;
struct EditFocus;
struct Globals;
class ProgramFolderChoice;
class ChangesWindow;
class CategoryWindow;

// The program's one permanent window: the title and file-name panels, the game buttons, the
// categories of the current file type as buttons (page "MAIN") and as a grid (page "ALL"), the
// entries of the selected category and the menus. It owns the workspace (settings, stores,
// catalogue), the pictures of the file type and the parts it is made of, each with a job of its
// own: the title (TitlePanel), the categories and the entries of the selected one (CategoryPanel),
// the open category windows (CategoryWindowList), the document commands with the menu of file
// types (DocumentCommands), the Edit menu (EditCommands), the game buttons (GameActions), the
// recovery copy (RecoveryKeeper) and its offer (RecoveryOffer), the files changed on disk by other
// programs (DiskChanges), the recent files (RecentFilesMenu), documents dropped on the window
// (DocumentDrops) and the Help menu (HelpMenu). The window wires its form's controls to them,
// answers what they ask of it through their Host interfaces and hands the file type's pictures to
// the category windows it opens. It owns the editing session (the workspace's settings, stores and
// catalogue, and the models derived from the document); finding (the Search menu, usages and the
// checks, with their windows) is a part of its own, the FindController.
class MainWindow : public QMainWindow,
                   public WorkspaceView,
                   public WindowHost,
                   private CategoryPanel::Host,
                   private DocumentCommands::Host,
                   private DiskChanges::Host,
                   private RecoveryOffer::Host,
                   private GameActions::Host,
                   private ModCommands::Host {
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
    // Opens the document `Name` after the question about unsaved changes.
    void OpenProcess(const std::string& Name);
    // Opens every kind of file of the program folder together, each from the mod folder `dir` when
    // it holds the kind's file, after the question about unsaved changes (File, "Open Mod Folder…");
    // a folder that cannot be read is said in a box, and what was open stays.
    void OpenModFolder(const std::string& dir);
    // Shows kind `fileType` of the open mod (the file-type menu's switch, the others kept open),
    // then the entry `Code` in its category window at `Key` (none: the entry as a whole). False
    // when no category lists the entry; without a mod, `fileType` must be the kind shown. For the
    // windows that lead to a spot anywhere in the mod.
    bool ShowKindEntryAt(const std::string& fileType, const std::string& Code, const std::string& Key);
    // The session: the kinds open, with their documents and models.
    EditingSession* Session() override { return &m_session; }
    // What a start offers once the window is up: the document named on the command line, if any,
    // opened with its recovery copies offered, then the recovery copies of every other document.
    void OpenAtStart(const std::string& documentFile);
    // Puts `files` over the document as layers, in the order given (VelmoraEdit --layer).
    void AddLayersAtStart(const std::vector<std::string>& files);

    // Recovery of unsaved work. The folder of the recovery files; without one (the default, as in
    // tests) no copy is kept.
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

    bool FileExistOK(const std::string& Name) override;
    // Restores the form when it is minimised and gives it the focus.
    void FocusAndShow(QWidget* Form) override;

    // The open category windows, one line each, in ascending order of their category numbers.
    const std::vector<CategoryWindowLine>& CategoryWindows() const { return m_categoryWindows->Lines(); }
    // From a category window's buttons: OpenNew opens the first of the main categories that has
    // no window yet; otherwise, or when all have one, the window after `Window` gets the focus.
    void NextFocusAndOpen(CategoryWindow* Window, bool OpenNew) override;
    // From a category window that is closing: its line goes, and the window is freed once closed.
    void CategoryWindowClosed(CategoryWindow* Window) override;
    // Opens the category window of `Category` (or brings it forward) at the entry `Code`, and at
    // its key `Key` unless that is empty. False when the category has no window or does not list
    // the entry, or no page lists the key; the window then shows as much as it has.
    bool ShowEntryAt(const std::string& Category, const std::string& Code, const std::string& Key) override;
    // Closes every open category window, and the results that would lead into them; run before
    // anything replaces a store.
    void CloseCategoryWindows() override;
    // The document's news as Qt signals; the category windows follow the document through them.
    DocumentSignals& DocumentNews() override { return *m_documentNews; }
    // The kinds of value the document's keys take, and the values that do not fit them.
    LiveValueCheck& Values() override;
    DocumentLayers& Layers() override;

    // The usages of `Code` in their window (the FindController's); opening the entry a row of the
    // find, usages or check results leads to, in its category window at the key.
    void FindUsages(const std::string& Code) override;
    void OpenEntryTarget(const EntryTarget& Target);
    // The same, with the category window's edits going into file `file` of the stack.
    void OpenEntryTargetIn(const EntryTarget& Target, size_t file);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What the workspace asks of the window during a load.
    void ShowTitle(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void CategoryRowsBuilt() override;
    void LoadPictures() override;
    void ArrangeAfterLoad() override;
    void BeginBusy() override;
    void EndBusy() override;

    // What the parts ask of the window.
    void SetBannerCaption() override;
    void StartInProgramFolder(const std::string& workingDir) override;
    // The settings, the file-type menu and the first file type of a program folder.
    void LoadProgramFolder(const std::string& workingDir) override;
    void OfferRecoveriesOf(const std::string& documentFile) override;
    void CompareWithFile(const std::string& fileName) override;
    void KindShown() override;
    void OpenModAsked(const std::string& dir) override;
    void ShowModKind(const std::string& fileType) override;
    void ModSaved() override;

    // The parts, and the window's controls wired to them.
    void MakeParts();
    void ConnectControls();
    void Bclick();
    void Exit1Click();
    void SetUpRecovery();
    // Runs `handler` through the general handler whenever `signal` of `sender` comes.
    template <class Sender, class Signal, class Handler>
    void Handle(Sender* sender, Signal signal, Handler handler) {
        connect(sender, signal, this, [this, handler] { RunEventHandler(m_boxes, handler); });
    }

    // The views that follow the document: the caption's modified marker, and the entry an undo or
    // redo touched brought into view.
    void FollowDocument();
    void ShowEditFocus(const EditFocus& Focus);
    void TileBackground();

    // Category windows. The window of the category panel's current row at the entry `EntryIndex`
    // (-1: none); "Unknown!", which has none, collects the sections no category claims.
    void OpenDbl2Click(int EntryIndex) override;
    // The window of grid row `row` at entry `entryIndex` (-1: none), opened or brought forward.
    void OpenCategoryWindow(int row, int entryIndex);
    CategoryWindow* FindCategoryWindow(const std::string& Name) const;


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
    Picture m_bitmap1;
    Picture m_bitmap2;
    std::unique_ptr<CategoryWindowList> m_categoryWindows;
    ChangesWindow* m_changesWindow;  // owned through its Qt parent, this window
    QSettings* m_userSettings = nullptr;
    WindowPlaces m_places;
    // Goes before the session, whose models its windows read.
    std::unique_ptr<FindController> m_finding;
    ModCheckOffer* m_modCheck = nullptr;  // owned through its Qt parent, this window
    FilterBox* m_entryFilter = nullptr;  // owned through its Qt parent

    // The parts, after the workspace and the document's news they use, so that they go first.
    std::unique_ptr<TitlePanel> m_title;
    std::unique_ptr<CategoryPanel> m_categories;
    DiskChanges* m_diskChanges = nullptr;  // owned through its Qt parent, this window, in whose tree its watch is
    std::unique_ptr<DocumentCommands> m_documents;
    std::unique_ptr<RecoveryOffer> m_recoveryOffer;
    std::unique_ptr<GameActions> m_gameActions;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<RecentFilesMenu> m_recentFiles;
    std::unique_ptr<DocumentDrops> m_drops;
    std::unique_ptr<HelpMenu> m_help;
    std::unique_ptr<ModCommands> m_mod;
    LayerCommands* m_layerCommands = nullptr;  // owned through its Qt parent, this window
};

}  // namespace velmora
