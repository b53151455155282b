// SPDX-License-Identifier: GPL-3.0-or-later
// The main window itself: start-up, the file-type menu, the category buttons and grid, the entry
// list and the background.

#include "gui/main/MainWindow.h"
#include "gui/main/RecoveryKeeper.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QSignalBlocker>
#include <QToolButton>
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
#include "core/store/TextCase.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/TabOrder.h"
#include "gui/find/FindController.h"
#include "core/references/EntryTargets.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"
#include "ui_MainWindow.h"

namespace velmora {

MainWindow::MainWindow(Globals& globals, Boxes& boxes, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::MainWindow>()),
      m_globals(globals),
      m_boxes(boxes),
      m_session(globals, boxes, this),
      m_workspace(m_session.Work()),
      m_documentNews(std::make_unique<DocumentSignals>(m_workspace.Doc())) {
    ui->setupUi(this);
    // The layout keeps the window at its designed size or more, as much more as the captions need;
    // below the title the panels scroll on a screen too small for them.
    ScrollWhenSmall(*ui->MainLayout, 1);
    FitCaptions({ui->Load1, ui->Apply1, ui->BackupButton, ui->Button1});
    move(66, 4);
    MainButtons = {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3, ui->SpeedButton4, ui->SpeedButton5,
                   ui->SpeedButton6, ui->SpeedButton7, ui->SpeedButton8, ui->SpeedButton9, ui->SpeedButton10};

    // Names and texts from files are shown as they are, never read as markup, and whole in a
    // tooltip when they do not fit.
    for (QLabel* panel : std::initializer_list<QLabel*>{ui->Panel6, ui->Panel1, ui->Panel5})
        panel->setTextFormat(Qt::PlainText);
    TipWhenCut({ui->Panel6, ui->Panel1, ui->Panel5, ui->Button2});
    // The status line keeps both ends of a long text: which file, and where the work went.
    ui->Panel5->SetElideMode(Qt::ElideMiddle);
    for (QToolButton* button : MainButtons) TipWhenCut({button});

    // The panels keep the silver face of the design; the tiled background shows around them.
    const QColor face = palette().color(QPalette::Window);
    for (QLabel* panel : {ui->Panel1, ui->Panel2, ui->Panel3, ui->Panel4}) {
        QPalette colours = panel->palette();
        colours.setColor(QPalette::Window, face);
        panel->setPalette(colours);
        panel->setAutoFillBackground(true);
    }
    centralWidget()->setAutoFillBackground(true);
    centralWidget()->installEventFilter(this);  // its width, for the title lying over it

    FileTypeMenu = new QMenu(this);
    FileTypeMenu->setObjectName(QStringLiteral("FileTypeMenu"));
    ui->Panel6->setContextMenuPolicy(Qt::CustomContextMenu);

    m_designedTitleHeight = ui->Panel6->minimumHeight();

    ui->New1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    ui->Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ui->Save1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    // The category windows, where the editing is done, take the document's keys too; a modal
    // dialog or box still blocks them.
    for (QAction* command : {ui->New1, ui->Open1, ui->Save1})
        command->setShortcutContext(Qt::ApplicationShortcut);
    setAcceptDrops(true);  // a document dropped on the window is opened

    m_changesWindow = new ChangesWindow(*this, m_session.Current().Comparison(), m_globals, m_boxes);
    m_changesWindow->AddMenuCommands(*ui->File1, ui->NewDefinition1);
    ConnectControls();
    m_finding = std::make_unique<FindController>(
        *this, m_session.Current(), m_boxes, *m_documentNews,
        [this](const EntryTarget& target) { OpenEntryTarget(target); });
    m_finding->AddSearchMenu(*menuBar(), ui->Help1->menuAction());
    m_finding->OfferUsagesOn(*ui->ListBox2);
    m_entryFilter = FilterBox::Above(*ui->ListBox2);
    BuildEditMenu();
    // Tab follows the layout: the title's arrow first, then the game buttons, the pages and the
    // entry panel; the form lists the arrow last, and the entry filter is made after the form.
    TabInOrder({ui->Button3, ui->Load1, ui->Apply1, ui->BackupButton, ui->Button1, ui->PageControl1,
                ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3, ui->SpeedButton4, ui->SpeedButton5,
                ui->SpeedButton6, ui->SpeedButton7, ui->SpeedButton8, ui->SpeedButton9, ui->SpeedButton10,
                ui->CategoryGrid, ui->Button2, m_entryFilter, ui->ListBox2});
    SetUpRecovery();
    SetUpDiskWatch();
}

MainWindow::~MainWindow() {
    // The focus moves while the widgets go; this window no longer follows it then.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    RememberWindowPlaces();
    // The category windows read the stores this window owns, which go before the windows' Qt
    // parent would free them: they go first, without running any of their handlers.
    m_categoryWindows.clear();
    qDeleteAll(findChildren<CategoryWindow*>(QString(), Qt::FindDirectChildrenOnly));
    // So do the results windows, which read the workspace whenever they come to the front.
    qDeleteAll(findChildren<ResultsWindow*>(QString(), Qt::FindDirectChildrenOnly));
}

void MainWindow::ConnectControls() {
    connect(ui->Panel6, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FileTypeMenu->popup(ui->Panel6->mapToGlobal(at)); });
    connect(ui->Button3, &QPushButton::clicked, this, &MainWindow::Guarded<&MainWindow::Bclick>);

    connect(ui->New1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::New1Click>);
    connect(ui->Open1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::Open1Click>);
    connect(ui->Save1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::Save1ClickMenu>);
    connect(ui->SaveAs1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::SaveAs1ClickMenu>);
    connect(ui->NewDefinition1, &QAction::triggered, this,
            &MainWindow::Guarded<&MainWindow::NewDefinition1Click>);
    connect(ui->Exit1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::Exit1Click>);
    connect(ui->ProgramFolder1, &QAction::triggered, this,
            &MainWindow::Guarded<&MainWindow::ProgramFolder1Click>);
    ui->ProgramFolder1->setEnabled(false);  // until the program gives the choice of a folder
    connect(ui->File1, &QMenu::aboutToShow, this, &MainWindow::Guarded<&MainWindow::ShowRecentFiles>);
    connect(ui->KeyboardShortcuts1, &QAction::triggered, this,
            &MainWindow::Guarded<&MainWindow::KeyboardShortcuts1Click>);
    connect(ui->About1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::About1Click>);

    connect(ui->Load1, &QPushButton::clicked, this, &MainWindow::Guarded<&MainWindow::LoadGameClick>);
    connect(ui->Apply1, &QPushButton::clicked, this, &MainWindow::Guarded<&MainWindow::ApplyGameClick>);
    connect(ui->BackupButton, &QPushButton::clicked, this,
            &MainWindow::Guarded<&MainWindow::BackupFileClick>);
    connect(ui->Button1, &QPushButton::clicked, this, &MainWindow::Guarded<&MainWindow::RunGameClick>);

    for (int k = 0; k < Workspace::MainButtonCount; ++k) {
        connect(MainButtons[static_cast<size_t>(k)], &QToolButton::clicked, this,
                [this, k] { RunEventHandler(m_boxes, [this, k] { MainButtonClicked(k); }); });
        // The buttons take the focus, so that a modder gets to the categories from the keyboard.
        MainButtons[static_cast<size_t>(k)]->setFocusPolicy(Qt::StrongFocus);
        MainButtons[static_cast<size_t>(k)]->installEventFilter(this);  // double-clicks and Enter
    }
    connect(ui->CategoryGrid, &StringGrid::selectionChangedByUserOrCode, this,
            &MainWindow::Guarded<&MainWindow::CategoryGridClicked>);
    connect(ui->CategoryGrid, &StringGrid::gridDoubleClicked, this,
            &MainWindow::Guarded<&MainWindow::DoubleClick1>);
    connect(ui->CategoryGrid, &StringGrid::keyPressed, this, [this](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) RunEventHandler(m_boxes, [this] { DoubleClick1(); });
    });
    ui->Button3->setShortcut(QKeySequence(QStringLiteral(">")));
    connect(ui->Button2, &QPushButton::clicked, this, &MainWindow::Guarded<&MainWindow::DoubleClick2>);
    ui->ListBox2->viewport()->installEventFilter(this);  // double-clicks
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The title lying over the panels while a load runs spans the window whatever its width.
    if (event->type() == QEvent::Resize && watched == centralWidget() && ui->MainLayout->indexOf(ui->Panel6) < 0)
        ui->Panel6->resize(centralWidget()->width(), ui->Panel6->height());
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (int k = 0; k < Workspace::MainButtonCount; ++k) {
            if (watched != MainButtons[static_cast<size_t>(k)] || (key != Qt::Key_Return && key != Qt::Key_Enter))
                continue;
            // Enter on a button selects its category and opens it, as a double-click does.
            RunEventHandler(m_boxes, [this, k] {
                PressButton(k);
                AllButtonClick(k);
                AllButtonDoubleClick(k);
            });
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == ui->ListBox2->viewport()) {
            RunEventHandler(m_boxes, [this] { DoubleClick2(); });
            return false;  // the list still handles its own double-click
        }
        for (int k = 0; k < Workspace::MainButtonCount; ++k) {
            if (watched != MainButtons[static_cast<size_t>(k)]) continue;
            RunEventHandler(m_boxes, [this, k] { AllButtonDoubleClick(k); });
            return true;  // a button would take the second click as another press and toggle again
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Start-up

void MainWindow::StartInFolder(const std::string& workingDir) {
    ShowTitle("wait a moment... please");
    SetTitleHeight(4 * m_designedTitleHeight);
    show();
    // The load runs before the event loop; let the window appear first so the user sees it waiting.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    LoadProgramFolder(workingDir);
}

void MainWindow::LoadProgramFolder(const std::string& workingDir) {
    const bool loaded = RunEventHandler(m_boxes, [this, &workingDir] {
        m_workspace.StartUpSettings(workingDir);
        BuildFileTypeMenu();
        m_workspace.BeginToLoadNONBASIC();
    });

    // A load that failed part-way leaves the window usable, and no longer asking to wait.
    if (!loaded) ShowTitle(m_globals.TitleText);
    SetTitleHeight(m_designedTitleHeight);
    ShowStatus(Workspace::BannerText);
}

void MainWindow::SetProgramFolderChoice(ProgramFolderChoice* choice) {
    m_folderChoice = choice;
    ui->ProgramFolder1->setEnabled(choice != nullptr);
}

void MainWindow::BuildFileTypeMenu() {
    FileTypeMenu->clear();
    FileTypeMenu->addAction(QStringLiteral("Files to Edit:"))->setEnabled(false);  // a heading, not a choice
    FileTypeMenu->addSeparator();
    for (size_t i = 0; i < m_workspace.FilesToEdit().Count(); ++i)
        CreatePopUpMenuItemList(m_workspace.FilesToEdit().Name(i));
}

void MainWindow::CreatePopUpMenuItemList(const std::string& Caption) {
    QAction* item = FileTypeMenu->addAction(ToCaption(Caption));
    item->setData(QByteArray(Caption.data(), static_cast<qsizetype>(Caption.size())));
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, item] {
        RunEventHandler(m_boxes, [this, item] { SwitchFileType(item); });
        MarkCurrentFileType();  // a switch the user called off leaves the mark where it was
    });
}

void MainWindow::MarkCurrentFileType() {
    const std::string& current = m_workspace.FileToEdit();
    const QByteArray bytes(current.data(), static_cast<qsizetype>(current.size()));
    for (QAction* item : FileTypeMenu->actions())
        if (item->isCheckable()) item->setChecked(item->data().toByteArray() == bytes);
}

// The menu opens under its button, wherever the pointer is: the button may be pressed with ">".
void MainWindow::Bclick() {
    FileTypeMenu->popup(ui->Button3->mapToGlobal(QPoint(0, ui->Button3->height())));
}

// ---------------------------------------------------------------------------------------------
// What the workspace asks of the window

void MainWindow::ShowTitle(const std::string& text) {
    ui->Panel6->setText(ToQString(text));
}

void MainWindow::ShowStatus(const std::string& text) {
    ui->Panel5->setText(ToQString(text));
}

void MainWindow::CategoryRowsBuilt() {
    StringGrid& grid = *ui->CategoryGrid;
    const std::vector<std::string>& rows = m_workspace.CategoryRows();
    {
        // Filling is not a selection: the grid's handlers must not run on a half-built grid.
        const QSignalBlocker blocker(grid);
        grid.SetRowCount(static_cast<int>(rows.size()));
        for (int row = 0; row < grid.RowCount(); ++row)
            grid.SetCells(0, row, row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] : "");
    }
    ArrangeButton();
    MarkCurrentFileType();
}

void MainWindow::LoadPictures() {
    m_bitmap1 = LoadBitmapFile(m_globals, m_boxes, m_globals.Bitmap1File);
    m_bitmap2 = LoadBitmapFile(m_globals, m_boxes, m_globals.Bitmap2File);
    TileBackground();
}

void MainWindow::ArrangeAfterLoad() {
    m_changesWindow->DocumentReplaced();
    m_finding->DocumentReplaced();
    WatchFiles();
    m_globals.UnknownSelected = false;
    ShowStatus(Workspace::BannerText);
    SetBannerCaption();
    {
        // The first row is shown below, once, when the window can show it.
        const QSignalBlocker blocker(ui->CategoryGrid);
        ui->CategoryGrid->SetRow(0);
        ui->CategoryGrid->SetTopRow(0);
    }
    if (isVisible() && isEnabled()) {
        activateWindow();
        ShowCurrentCategory();
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
    setWindowTitle(ToQString(document.FileName()) + QStringLiteral("[*]"));
    setWindowModified(document.Modified());
    ui->Panel1->setText(ToQString(ExtractFileName(document.FileName())));
    RememberRecentFile();
}

// ---------------------------------------------------------------------------------------------
// Category buttons, grid and entry list

void MainWindow::ArrangeButton() {
    for (int k = 0; k < Workspace::MainButtonCount; ++k) {
        m_buttonCaptions[static_cast<size_t>(k)].clear();
        MainButtons[static_cast<size_t>(k)]->setText(QString());
    }
    const std::vector<std::string>& rows = m_workspace.CategoryRows();
    const int labelled = std::min({m_globals.NumberOfMain, static_cast<int32_t>(Workspace::MainButtonCount),
                                   static_cast<int32_t>(rows.size())});
    for (int k = 0; k < labelled; ++k) {
        m_buttonCaptions[static_cast<size_t>(k)] = rows[static_cast<size_t>(k)];
        MainButtons[static_cast<size_t>(k)]->setText(ToCaption(m_buttonCaptions[static_cast<size_t>(k)]));
    }
    // A button without a category would only un-highlight the current one.
    for (int k = 0; k < Workspace::MainButtonCount; ++k) MainButtons[static_cast<size_t>(k)]->setVisible(k < labelled);
}

// The buttons form one group in which at most one is down and all may be up: a click toggles the
// button, and a button that goes down releases the others.
void MainWindow::MainButtonClicked(int index) {
    if (MainButtons[static_cast<size_t>(index)]->isChecked()) PressButton(index);
    AllButtonClick(index);
}

void MainWindow::PressButton(int index) {
    for (int k = 0; k < Workspace::MainButtonCount; ++k)
        MainButtons[static_cast<size_t>(k)]->setChecked(k == index);
}

void MainWindow::AllButtonClick(int index) {
    const std::string& caption = m_buttonCaptions[static_cast<size_t>(index)];
    if (caption.empty()) return;
    StringGrid& grid = *ui->CategoryGrid;
    for (int row = 0; row < grid.RowCount(); ++row) {
        if (!EqualsNoCase(grid.Cells(0, row), caption)) continue;
        {
            // One refresh, below, rather than a second one from the grid's own handler.
            const QSignalBlocker blocker(grid);
            grid.SetRow(row);
        }
        ShowCurrentCategory();
        return;
    }
}

void MainWindow::AllButtonDoubleClick(int index) {
    if (!m_buttonCaptions[static_cast<size_t>(index)].empty()) DoubleClick2();
}

void MainWindow::CategoryGridClicked() {
    ShowCurrentCategory();
}

void MainWindow::ShowCurrentCategory() {
    const StringGrid& grid = *ui->CategoryGrid;
    const int row = grid.Row();
    const std::string category = grid.Cells(0, row);
    ui->Button2->setText(ToCaption("Edit: " + category));
    PressButton(row < Workspace::MainButtonCount ? row : -1);

    QListWidget& list = *ui->ListBox2;
    const QSignalBlocker blocker(list);
    list.clear();
    // Nothing to list when a start-up failed before the stores and rows were complete.
    const bool loaded = m_workspace.Doc().HasStores() &&
                        static_cast<size_t>(row) < m_workspace.CategoryKinds().size();
    if (!loaded) return;
    StringList entries;
    m_workspace.GetReadSectionValuesOnly(m_workspace.CategoryKinds()[static_cast<size_t>(row)], category,
                                         entries);
    for (const auto& entry : entries) list.addItem(ToQString(entry.text));
    list.setCurrentRow(-1);
}

void MainWindow::DoubleClick1() {
    OpenDbl2Click(-1);
}

void MainWindow::DoubleClick2() {
    const QList<QListWidgetItem*> selected = ui->ListBox2->selectedItems();
    OpenDbl2Click(selected.isEmpty() ? -1 : ui->ListBox2->row(selected.first()));
}

void MainWindow::OpenDbl2Click(int EntryIndex) {
    const HourglassPointer hourglass;
    const BannerOnExit banner(this);

    const int row = ui->CategoryGrid->Row();
    const std::string category = ui->CategoryGrid->Cells(0, row);
    if (NamesEqual(category, Workspace::UnknownCategory, m_globals.CaseSensitive)) {
        // "Unknown!" has no window: opening it collects the unclaimed sections, once per document.
        if (!m_globals.UnknownSelected && m_workspace.Doc().HasStores()) {
            m_workspace.SelectUnknown();
            ShowCurrentCategory();
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

void MainWindow::FindUsages(const std::string& Code) {
    m_finding->FindUsages(Code);
}

void MainWindow::OpenEntryTarget(const EntryTarget& Target) {
    const std::optional<EntryListing> listing = FindEntryListing(m_workspace, Target.Section);
    if (!listing) throw IniError("\"" + Escaped(Target.Section) + "\" is no entry of any category.");
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

// ---------------------------------------------------------------------------------------------
// Background and title

void MainWindow::TileBackground() {
    QPalette background = centralWidget()->palette();
    if (m_bitmap1 && !m_bitmap1->isNull())
        background.setBrush(QPalette::Window, QBrush(*m_bitmap1));
    else
        background.setBrush(QPalette::Window, palette().brush(QPalette::Window));
    centralWidget()->setPalette(background);
    centralWidget()->update();
}

// A taller title (while a load runs) lies over the panels below it, as a notice would, rather than
// making the window taller: it leaves the layout until it has its designed height again.
void MainWindow::SetTitleHeight(int height) {
    QBoxLayout& layout = *ui->MainLayout;
    const bool inLayout = layout.indexOf(ui->Panel6) >= 0;
    ui->Panel6->setFixedHeight(height);
    if (height == m_designedTitleHeight) {
        if (!inLayout) layout.insertWidget(0, ui->Panel6);
        layout.activate();  // the panels are in place before anything else is shown
        return;
    }
    if (inLayout) layout.removeWidget(ui->Panel6);
    ui->Panel6->setGeometry(0, 0, centralWidget()->width(), height);
    ui->Panel6->raise();
}

}  // namespace velmora
