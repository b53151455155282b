// SPDX-License-Identifier: GPL-3.0-or-later
// The main window itself: its parts and the controls wired to them, start-up, what the workspace
// and the parts ask of it, the category windows it opens and the background.

#include "gui/main/MainWindow.h"
#include "gui/main/ModCheckOffer.h"
#include "gui/main/RecoveryKeeper.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <algorithm>

#include "gui/category/CategoryWindow.h"
#include "core/boxes/Boxes.h"
#include "gui/changes/ChangesWindow.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/ElidingLabel.h"
#include "gui/services/DocumentSignals.h"
#include "core/settings/Globals.h"
#include "gui/widgets/QtText.h"
#include "gui/find/ResultsWindow.h"
#include "gui/widgets/ScrollingPanels.h"
#include "core/store/Routines.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/TabOrder.h"
#include "gui/main/CategoryPanel.h"
#include "gui/main/DocumentDrops.h"
#include "gui/main/EditCommands.h"
#include "gui/main/HelpMenu.h"
#include "gui/main/LayerCommands.h"
#include "gui/main/RecentFilesMenu.h"
#include "gui/main/TitlePanel.h"
#include "gui/find/FindController.h"
#include "core/layers/LayerStack.h"
#include "core/references/EntryTargets.h"
#include "core/session/DocumentLayers.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"
#include "core/store/TextCase.h"
#include "ui_MainWindow.h"

namespace velmora {

MainWindow::MainWindow(Globals& globals, Boxes& boxes, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::MainWindow>()),
      m_globals(globals),
      m_boxes(boxes),
      m_session(globals, boxes, this),
      m_workspace(m_session.Work()),
      m_documentNews(std::make_unique<DocumentSignals>(m_workspace.Doc())),
      m_recovery(std::make_unique<RecoveryKeeper>(m_workspace)) {
    ui->setupUi(this);
    // The layout keeps the window at its designed size or more, as much more as the captions need;
    // below the title the panels scroll on a screen too small for them.
    ScrollWhenSmall(*ui->MainLayout, 1);
    FitCaptions({ui->Load1, ui->Apply1, ui->BackupButton, ui->Button1});
    move(66, 4);

    // Names and texts from files are shown as they are, never read as markup, and whole in a
    // tooltip when they do not fit.
    for (QLabel* panel : std::initializer_list<QLabel*>{ui->Panel6, ui->Panel1, ui->Panel5})
        panel->setTextFormat(Qt::PlainText);
    TipWhenCut({ui->Panel6, ui->Panel1, ui->Panel5, ui->Button2});
    // The status line keeps both ends of a long text: which file, and where the work went.
    ui->Panel5->SetElideMode(Qt::ElideMiddle);

    // The panels keep the silver face of the design; the tiled background shows around them.
    const QColor face = palette().color(QPalette::Window);
    for (QLabel* panel : {ui->Panel1, ui->Panel2, ui->Panel3, ui->Panel4}) {
        QPalette colours = panel->palette();
        colours.setColor(QPalette::Window, face);
        panel->setPalette(colours);
        panel->setAutoFillBackground(true);
    }
    centralWidget()->setAutoFillBackground(true);
    ui->Panel6->setContextMenuPolicy(Qt::CustomContextMenu);

    ui->New1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    ui->Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ui->Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // The category windows, where the editing is done, take the document's keys too; a modal
    // dialog or box still blocks them.
    for (QAction* command : {ui->New1, ui->Open1, ui->Save1})
        command->setShortcutContext(Qt::ApplicationShortcut);

    m_changesWindow = new ChangesWindow(*this, m_session.Current().Comparison(), m_globals, m_boxes);
    m_changesWindow->AddMenuCommands(*ui->File1, ui->NewDefinition1);
    MakeParts();
    ConnectControls();
    m_finding = std::make_unique<FindController>(
        *this, m_session.Current(), m_boxes, *m_documentNews,
        [this](const EntryTarget& target) { OpenEntryTarget(target); });
    QMenu& search = m_finding->AddSearchMenu(*menuBar(), ui->Help1->menuAction());
    m_modCheck = new ModCheckOffer(*this, m_session, m_boxes,
                                   [this](const std::string& fileType, const std::string& code, const std::string& key) {
                                       return ShowKindEntryAt(fileType, code, key);
                                   });
    m_modCheck->AddTo(search);
    m_finding->SetOpenTargetIn([this](const EntryTarget& target, size_t file) { OpenEntryTargetIn(target, file); });
    m_finding->OfferUsagesOn(*ui->ListBox2);
    m_entryFilter = FilterBox::Above(*ui->ListBox2);
    m_editCommands = std::make_unique<EditCommands>(*ui->MainMenu1, ui->Help1->menuAction(), m_workspace,
                                                    *m_documentNews, *m_categoryWindows, m_boxes);
    m_editCommands->SetModCommands(m_mod.get());
    FollowDocument();
    // Tab follows the layout: the title's arrow first, then the game buttons, the pages and the
    // entry panel; the form lists the arrow last, and the entry filter is made after the form.
    TabInOrder({ui->Button3, ui->Load1, ui->Apply1, ui->BackupButton, ui->Button1, ui->PageControl1,
                ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3, ui->SpeedButton4, ui->SpeedButton5,
                ui->SpeedButton6, ui->SpeedButton7, ui->SpeedButton8, ui->SpeedButton9, ui->SpeedButton10,
                ui->CategoryGrid, ui->Button2, m_entryFilter, ui->ListBox2});
    SetUpRecovery();
}

MainWindow::~MainWindow() {
    m_session.OnKindStep({});  // the keeper it tells goes first
    // The focus moves while the widgets go; the Edit menu no longer follows it then.
    m_editCommands.reset();
    m_places.RememberMainWindow(*this);
    m_categoryWindows->RememberPlaces();
    // The category windows read the stores this window owns, which go before the windows' Qt
    // parent would free them: they go first, without running any of their handlers.
    m_categoryWindows->FreeAll();
    // So do the results windows, which read the workspace whenever they come to the front.
    qDeleteAll(findChildren<ResultsWindow*>(QString(), Qt::FindDirectChildrenOnly));
}

void MainWindow::MakeParts() {
    // The parts see this window only through what they ask of it.
    DocumentCommands::Host& documentHost = *this;
    RecoveryOffer::Host& recoveryHost = *this;
    GameActions::Host& gameHost = *this;
    CategoryPanel::Host& panelHost = *this;
    m_title = std::make_unique<TitlePanel>(*ui->Panel6, *ui->MainLayout, *centralWidget());
    m_categories = std::make_unique<CategoryPanel>(
        CategoryPanel::Controls{{ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3, ui->SpeedButton4,
                                 ui->SpeedButton5, ui->SpeedButton6, ui->SpeedButton7, ui->SpeedButton8,
                                 ui->SpeedButton9, ui->SpeedButton10},
                                *ui->CategoryGrid,
                                *ui->ListBox2,
                                *ui->Button2},
        m_workspace, *m_documentNews, m_globals, m_boxes, panelHost);
    m_categoryWindows = std::make_unique<CategoryWindowList>(*this, m_globals, m_boxes, m_places);
    m_diskChanges = new DiskChanges(m_workspace, m_boxes, *m_categoryWindows, *m_recovery, *this, this);
    m_documents = std::make_unique<DocumentCommands>(*this, m_workspace, m_globals, m_boxes, *m_categoryWindows,
                                                     *m_diskChanges, *m_recovery, documentHost);
    m_recoveryOffer =
        std::make_unique<RecoveryOffer>(m_workspace, m_globals, m_boxes, *m_recovery, *m_documents, recoveryHost);
    m_gameActions = std::make_unique<GameActions>(m_workspace, m_globals, m_boxes, *m_documents, gameHost);
    m_recentFiles = std::make_unique<RecentFilesMenu>(*ui->RecentFiles1, m_globals, m_boxes, *m_documents);
    m_drops = std::make_unique<DocumentDrops>(*this, m_boxes, *m_documents);
    m_help = std::make_unique<HelpMenu>(*ui->MainMenu1, m_boxes);
    ModCommands::Host& modHost = *this;
    m_mod = std::make_unique<ModCommands>(m_session, m_boxes, *m_categoryWindows, *m_documents, *m_recovery,
                                          modHost);
    m_documents->SetModCommands(m_mod.get());
    // A save writes the layers' edits with the document; Add Layer and Layers come before New
    // Definition.
    m_documents->SetLayers(&m_session.Current().Layers());
    m_layerCommands = new LayerCommands(*this, m_session.Current().Layers(), m_boxes);
    m_layerCommands->AddMenuCommands(*ui->File1, ui->NewDefinition1);
}

void MainWindow::ConnectControls() {
    connect(ui->Panel6, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_documents->PopUpFileTypes(ui->Panel6->mapToGlobal(at)); });
    connect(ui->Button3, &QPushButton::clicked, this, &MainWindow::Guarded<&MainWindow::Bclick>);

    DocumentCommands& documents = *m_documents;
    Handle(ui->New1, &QAction::triggered, [&documents] { documents.New1Click(); });
    Handle(ui->Open1, &QAction::triggered, [&documents] { documents.Open1Click(); });
    auto* openMod = new QAction(QStringLiteral("Open &Mod Folder…"), this);
    openMod->setObjectName(QStringLiteral("OpenModFolder1"));
    ui->File1->insertAction(ui->RecentFiles1->menuAction(), openMod);
    Handle(openMod, &QAction::triggered, [this] { m_mod->OpenModFolderClick(); });
    Handle(ui->Save1, &QAction::triggered, [&documents] { documents.Save1ClickMenu(); });
    Handle(ui->SaveAs1, &QAction::triggered, [&documents] { documents.SaveAs1ClickMenu(); });
    Handle(ui->NewDefinition1, &QAction::triggered, [&documents] { documents.NewDefinition1Click(); });
    connect(ui->Exit1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::Exit1Click>);
    Handle(ui->ProgramFolder1, &QAction::triggered, [&documents] { documents.ProgramFolder1Click(); });
    ui->ProgramFolder1->setEnabled(false);  // until the program gives the choice of a folder
    Handle(ui->File1, &QMenu::aboutToShow, [this] { m_recentFiles->ShowRecentFiles(); });
    Handle(ui->KeyboardShortcuts1, &QAction::triggered, [this] { m_help->KeyboardShortcuts1Click(); });
    Handle(ui->About1, &QAction::triggered, [this] { m_help->About1Click(); });

    GameActions& game = *m_gameActions;
    Handle(ui->Load1, &QPushButton::clicked, [&game] { game.LoadGameClick(); });
    Handle(ui->Apply1, &QPushButton::clicked, [&game] { game.ApplyGameClick(); });
    Handle(ui->BackupButton, &QPushButton::clicked, [&game] { game.BackupFileClick(); });
    Handle(ui->Button1, &QPushButton::clicked, [&game] { game.RunGameClick(); });

    ui->Button3->setShortcut(QKeySequence(QStringLiteral(">")));
}

// ---------------------------------------------------------------------------------------------
// Start-up

void MainWindow::StartInFolder(const std::string& workingDir) {
    ShowTitle("wait a moment... please");
    m_title->ShowLoading();
    show();
    // The load runs before the event loop; let the window appear first so the user sees it waiting.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    LoadProgramFolder(workingDir);
}

void MainWindow::LoadProgramFolder(const std::string& workingDir) {
    const bool loaded = RunEventHandler(m_boxes, [this, &workingDir] {
        m_workspace.StartUpSettings(workingDir);
        m_documents->BuildFileTypeMenu();
        m_workspace.BeginToLoadNONBASIC();
    });

    // A load that failed part-way leaves the window usable, and no longer asking to wait.
    if (!loaded) ShowTitle(m_globals.TitleText);
    m_title->ShowLoaded();
    ShowStatus(Workspace::BannerText);
}

void MainWindow::StartInProgramFolder(const std::string& workingDir) {
    m_title->ShowLoading();
    LoadProgramFolder(workingDir);
}

void MainWindow::SetProgramFolderChoice(ProgramFolderChoice* choice) {
    m_documents->SetProgramFolderChoice(choice);
    ui->ProgramFolder1->setEnabled(choice != nullptr);
}

void MainWindow::SetUserSettings(QSettings* settings) {
    m_userSettings = settings;
    m_places.SetSettings(settings);
    m_recentFiles->UseSettings(settings);
    if (settings) m_places.RestoreMainWindow(*this);
}

void MainWindow::OpenExistingDocument(const std::string& Name) {
    m_documents->OpenExistingDocument(Name);
}

void MainWindow::OpenProcess(const std::string& Name) {
    m_documents->OpenProcess(Name);
}

void MainWindow::OpenModFolder(const std::string& dir) {
    RunEventHandler(m_boxes, [this, &dir] { m_mod->OpenMod(dir); });
}

bool MainWindow::ShowKindEntryAt(const std::string& fileType, const std::string& Code, const std::string& Key) {
    if (m_session.ModOpen())
        m_mod->ShowKind(fileType);
    else if (!EqualsNoCase(fileType, m_workspace.FileToEdit()))
        return false;
    if (!FindEntryListing(m_workspace, Code) && !Layers().Stack().AddedListingOf(Code)) return false;
    OpenEntryTarget({Code, Key, {}});
    return true;
}

// The kind shown was exchanged in the workspace: what a load of it would show, without a load.
// Its "Unknown!" entries were collected when it was opened, or are still to be.
void MainWindow::KindShown() {
    const bool unknownSelected = m_globals.UnknownSelected;
    m_documents->BuildFileTypeMenu();
    ShowTitle(m_globals.TitleText);
    CategoryRowsBuilt();
    LoadPictures();
    ArrangeAfterLoad();
    m_globals.UnknownSelected = unknownSelected;
    m_modCheck->KindsChanged();
}

void MainWindow::OpenModAsked(const std::string& dir) {
    m_mod->OpenAsked(dir);
}

void MainWindow::ShowModKind(const std::string& fileType) {
    m_mod->ShowKind(fileType);
}

void MainWindow::ModSaved() {
    m_diskChanges->WatchFiles();
    SetBannerCaption();
}

// The copies of the document named are offered as it opens, and then left out of the offer of all
// the others: a copy put off with Not Now is not asked about again at once.
void MainWindow::OpenAtStart(const std::string& documentFile) {
    std::string offered;
    if (!documentFile.empty())
        RunEventHandler(m_boxes, [&] {
            m_documents->OpenExistingDocument(documentFile);
            offered = documentFile;
        });
    RunEventHandler(m_boxes, [&] { m_recoveryOffer->OfferAll(offered); });
}

void MainWindow::AddLayersAtStart(const std::vector<std::string>& files) {
    if (!files.empty()) m_layerCommands->AddLayers(files);
}

bool MainWindow::FileExistOK(const std::string& Name) {
    return m_documents->FileExistOK(Name);
}

void MainWindow::Exit1Click() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A query that fails (a save that cannot write) keeps the window, and the document, open.
    bool canClose = false;
    RunEventHandler(m_boxes, [this, &canClose] { m_documents->MyFormCloseQuery(canClose); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

// ---------------------------------------------------------------------------------------------
// Recovery copies

void MainWindow::SetUpRecovery() {
    // Said in the status line at every copy that fails, so that the user never takes the work for
    // kept; the box comes once, until a copy is written again.
    connect(m_recovery.get(), &RecoveryKeeper::failed, this, [this](const QString& text, bool again) {
        ShowStatus(ToBytes(text));
        if (!again) m_boxes.Error(ToBytes(text));
    });
    const DocumentSignals& news = *m_documentNews;
    connect(&news, &DocumentSignals::historyChanged, m_recovery.get(), &RecoveryKeeper::DocumentChanged);
    connect(&news, &DocumentSignals::modifiedChanged, m_recovery.get(), &RecoveryKeeper::DocumentChanged);
    // A change of the stack is a change of the entries: the layers' files are watched as they stand.
    connect(&news, &DocumentSignals::entriesChanged, m_diskChanges, [this] {
        RunEventHandler(m_boxes, [this] { m_diskChanges->LayersMayHaveChanged(); });
    });
    // The copy holds the layers' edits, and the kinds of a mod not shown keep copies of their own.
    m_recovery->SetLayers(&m_session.Current().Layers());
    m_recovery->FollowKinds(&m_session);
    m_session.OnKindStep([keeper = m_recovery.get()](const std::string& kind) { keeper->KindStepped(kind); });
}

void MainWindow::SetRecoveryFolder(const std::string& dir) {
    m_recovery->SetFolder(dir);
}

RecoveryKeeper& MainWindow::RecoveryCopies() {
    return *m_recovery;
}

void MainWindow::OfferRecoveries() {
    m_recoveryOffer->OfferAll();
}

void MainWindow::OfferRecoveriesOf(const std::string& documentFile) {
    m_recoveryOffer->OfferFor(documentFile);
}

void MainWindow::CompareWithFile(const std::string& fileName) {
    m_changesWindow->ShowAndCompareWithFile(fileName);
}

// The menu opens under its button, wherever the pointer is: the button may be pressed with ">".
void MainWindow::Bclick() {
    m_documents->PopUpFileTypes(ui->Button3->mapToGlobal(QPoint(0, ui->Button3->height())));
}

// ---------------------------------------------------------------------------------------------
// What the workspace asks of the window

void MainWindow::ShowTitle(const std::string& text) {
    m_title->ShowTitle(text);
}

void MainWindow::ShowStatus(const std::string& text) {
    ui->Panel5->setText(ToQString(text));
}

void MainWindow::CategoryRowsBuilt() {
    m_categories->ShowRows();
    m_documents->MarkCurrentFileType();
}

void MainWindow::LoadPictures() {
    m_bitmap1 = LoadBitmapFile(m_globals, m_boxes, m_globals.Bitmap1File);
    m_bitmap2 = LoadBitmapFile(m_globals, m_boxes, m_globals.Bitmap2File);
    TileBackground();
}

void MainWindow::ArrangeAfterLoad() {
    m_changesWindow->DocumentReplaced();
    m_finding->DocumentReplaced();
    m_diskChanges->WatchFiles();
    m_globals.UnknownSelected = false;
    ShowStatus(Workspace::BannerText);
    SetBannerCaption();
    m_categories->ShowFirstRow();
    if (isVisible() && isEnabled()) {
        activateWindow();
        m_categories->ShowCurrentCategory();
    }
}

void MainWindow::BeginBusy() {
    HourglassPointer::Begin();
}

void MainWindow::EndBusy() {
    HourglassPointer::End();
}

void MainWindow::SetBannerCaption() {
    // "[*]" is where the caption shows that the document has changes to save.
    const Document& document = m_workspace.Doc();
    // A kind of a mod read from the game's or the default copy says so: it is never saved.
    const std::string readOnly = m_mod ? m_mod->ReadOnlyNote(m_workspace.FileToEdit()) : std::string();
    setWindowTitle(ToQString(document.FileName() + readOnly) + QStringLiteral("[*]"));
    setWindowModified(document.Modified());
    ui->Panel1->setText(ToQString(ExtractFileName(document.FileName()) + readOnly));
    if (readOnly.empty()) m_recentFiles->RememberRecentFile(document.FileName());
}

// ---------------------------------------------------------------------------------------------
// The category windows

void MainWindow::OpenDbl2Click(int EntryIndex) {
    const HourglassPointer hourglass;
    const BannerOnExit banner(this);

    const int row = m_categories->Row();
    const std::string category = m_categories->Category(row);
    if (NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive)) {
        // "Unknown!" has no window: opening it collects the unclaimed sections, once per document.
        if (!m_globals.UnknownSelected && m_workspace.Doc().HasStores()) {
            m_workspace.SelectUnknown();
            m_categories->ShowCurrentCategory();
        } else {
            m_boxes.Notice(Workspace::UnknownHasNoWindowNotice());
        }
        return;
    }
    OpenCategoryWindow(row, EntryIndex);
}

LiveValueCheck& MainWindow::Values() {
    return m_session.Current().Values();
}

DocumentLayers& MainWindow::Layers() {
    return m_session.Current().Layers();
}

void MainWindow::FindUsages(const std::string& Code) {
    m_finding->FindUsages(Code);
}

void MainWindow::OpenEntryTarget(const EntryTarget& Target) {
    if (!Target.Kind.empty() && !EqualsNoCase(Target.Kind, m_workspace.FileToEdit())) {
        if (!m_session.ModOpen() && m_session.ReadOnly(Target.Kind))
            throw IniError(Escaped(Target.Kind) + " is read beside " +
                           ExtractFileName(m_workspace.Doc().FileName()) +
                           ", read-only: open it as a file of its own to edit it.");
        if (!ShowKindEntryAt(Target.Kind, Target.Section, Target.Key))
            throw IniError("\"" + Escaped(Target.Section) + "\" is no entry of any category of " + Escaped(Target.Kind) + ".");
        return;
    }
    const std::optional<EntryListing> listing = FindEntryListing(m_workspace, Target.Section);
    if (!listing) {
        // An entry a layer adds (a map's own unit) is edited in that layer.
        const std::optional<AddedListing> added = Layers().Stack().AddedListingOf(Target.Section);
        if (!added || !ShowEntryAt(added->Category, Target.Section, Target.Key))
            throw IniError("\"" + Escaped(Target.Section) + "\" is no entry of any category.");
        if (CategoryWindow* window = FindCategoryWindow(added->Category)) window->EditIn(added->Layer + 1);
        return;
    }
    const int row = static_cast<int>(listing->CategoryRow);
    const int entry = static_cast<int>(listing->EntryIndex);
    const std::string category = ui->CategoryGrid->Cells(0, row);
    if (NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive)) {
        // "Unknown!" has no window: its entries are shown in this window's list.
        ui->CategoryGrid->SetRow(row);
        m_entryFilter->clear();
        ui->ListBox2->setCurrentRow(entry);
        FocusAndShow(this);
        return;
    }
    OpenCategoryWindow(row, entry);
    if (CategoryWindow* window = FindCategoryWindow(category)) window->ShowEntryKey(entry, Target.Key);
}

void MainWindow::OpenEntryTargetIn(const EntryTarget& Target, size_t file) {
    OpenEntryTarget(Target);
    const std::optional<EntryListing> listing = FindEntryListing(m_workspace, Target.Section);
    std::string category;
    if (listing) {
        category = ui->CategoryGrid->Cells(0, static_cast<int>(listing->CategoryRow));
    } else if (const std::optional<AddedListing> added = Layers().Stack().AddedListingOf(Target.Section)) {
        // A file that reads before the layer that adds the entry does not know it.
        if (file <= added->Layer) return;
        category = added->Category;
    }
    if (CategoryWindow* window = category.empty() ? nullptr : FindCategoryWindow(category)) window->EditIn(file);
}

// ---------------------------------------------------------------------------------------------
// Background

void MainWindow::TileBackground() {
    QPalette background = centralWidget()->palette();
    if (m_bitmap1 && !m_bitmap1->isNull())
        background.setBrush(QPalette::Window, QBrush(*m_bitmap1));
    else
        background.setBrush(QPalette::Window, palette().brush(QPalette::Window));
    centralWidget()->setPalette(background);
    centralWidget()->update();
}

// ---------------------------------------------------------------------------------------------
// The views that follow the document

void MainWindow::FollowDocument() {
    DocumentSignals& news = *m_documentNews;
    connect(&news, &DocumentSignals::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&news, &DocumentSignals::stepped, this, &MainWindow::ShowEditFocus);
}

// The category window of the edit, or else any open one that lists the entry, shows it; without
// one the main window's list does.
void MainWindow::ShowEditFocus(const EditFocus& Focus) {
    if (CategoryWindow* window = m_categoryWindows->Showing(Focus.Category, Focus.Code)) {
        FocusAndShow(window);
        window->SelectEntry(Focus.Code, Focus.Key);
        return;
    }
    m_categories->ShowEntry(Focus.Category, Focus.Code);
}

void MainWindow::OpenCategoryWindow(int row, int entryIndex) {
    m_categoryWindows->Open(row, m_categories->Category(row), entryIndex, m_bitmap1, m_bitmap2);
}

CategoryWindow* MainWindow::FindCategoryWindow(const std::string& Name) const {
    return m_categoryWindows->Find(Name);
}

void MainWindow::FocusAndShow(QWidget* Form) {
    if (Form->isMinimized()) Form->showNormal();
    Form->show();
    Form->raise();
    Form->activateWindow();
}

void MainWindow::NextFocusAndOpen(CategoryWindow* Window, bool OpenNew) {
    if (OpenNew) {
        const int mainRows = std::min(m_globals.NumberOfMain, ui->CategoryGrid->RowCount());
        for (int row = 0; row < mainRows; ++row) {
            if (FindCategoryWindow(m_categories->Category(row))) continue;
            m_categories->SelectRow(row);
            OpenDbl2Click(0);
            return;
        }
    }
    m_categoryWindows->FocusNext(Window);
}

void MainWindow::CategoryWindowClosed(CategoryWindow* Window) {
    m_categoryWindows->Closed(Window);
}

bool MainWindow::ShowEntryAt(const std::string& Category, const std::string& Code, const std::string& Key) {
    // "Unknown!" has no window.
    if (NamesEqual(Category, Workspace::UnknownCategory, m_globals.CaseSensitive)) return false;
    const int row = m_categories->RowOf(Category);
    if (static_cast<size_t>(row) >= m_workspace.CategoryKinds().size()) return false;
    StringList entries;
    m_workspace.GetReadSectionValuesOnly(m_workspace.CategoryKinds()[static_cast<size_t>(row)], Category,
                                         entries);
    int entry = -1;
    for (size_t i = 0; i < entries.Count() && entry < 0; ++i)
        if (NamesEqual(entries[i], Code, m_globals.CaseSensitive)) entry = static_cast<int>(i);
    // The entries a layer adds follow the document's own in the window's list.
    const std::vector<AddedEntry> added = Layers().Stack().AddedEntries(Category);
    for (size_t i = 0; i < added.size() && entry < 0; ++i)
        if (NamesEqual(added[i].Code, Code, m_globals.CaseSensitive)) entry = static_cast<int>(entries.Count() + i);
    OpenCategoryWindow(row, entry);
    CategoryWindow* window = FindCategoryWindow(Category);
    return window && entry >= 0 && window->ShowEntryKey(entry, Key);
}

void MainWindow::CloseCategoryWindows() {
    // Usages and problems found in the document that goes would lead into the one that comes.
    m_finding->CloseResults();
    m_categoryWindows->CloseAll();
}

}  // namespace velmora
