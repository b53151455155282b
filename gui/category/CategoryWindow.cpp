// SPDX-License-Identifier: GPL-3.0-or-later
// The category window and its wiring: the form, the parts made over its controls and connected to
// one another and to the document's news, the table of all entries, filling, the window buttons
// and closing.

#include "gui/category/CategoryWindow.h"

#include <QCloseEvent>
#include <QScrollArea>
#include <algorithm>

#include "core/catalogue/Workspace.h"
#include "core/settings/Globals.h"
#include "core/store/TextCase.h"
#include "gui/category/EntryActions.h"
#include "gui/category/EntryList.h"
#include "gui/category/EntryPictures.h"
#include "gui/category/LayerBar.h"
#include "gui/category/ValueNote.h"
#include "gui/category/ValuePages.h"
#include "gui/services/DocumentSignals.h"
#include "gui/services/WindowHost.h"
#include "gui/services/WindowPlaces.h"
#include "gui/table/BalanceTableModel.h"
#include "gui/table/BalanceTableView.h"
#include "gui/table/TableMenus.h"
#include "gui/table/TableSwitch.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/ScrollingPanels.h"
#include "gui/widgets/StringGrid.h"
#include "gui/widgets/TabOrder.h"
#include "ui_CategoryWindow.h"

namespace velmora {

namespace {

constexpr int FirstValueRows = 20;
constexpr int MinValueRows = 10;

}  // namespace

CategoryWindow::CategoryWindow(WindowHost& MainWin, const Globals& globals, Boxes& boxes)
    : QWidget(&MainWin.HostWidget(), Qt::Window),
      ui(std::make_unique<Ui::CategoryWindow>()),
      m_main(MainWin),
      m_globals(globals),
      m_boxes(boxes),
      m_valueCheck(MainWin.Values()) {
    ui->setupUi(this);
    // The layout keeps the window at its designed size or more, as much more as the captions need;
    // below the title the panels scroll on a screen too small for them. The main window places it.
    ScrollWhenSmall(*ui->CategoryLayout, 1);
    FitCaptions({ui->Button4, ui->Button2, ui->Button3, ui->Duplicate, ui->Delete});

    // Names and texts from files are shown as they are, never read as markup, and whole in a
    // tooltip when they do not fit.
    for (QLabel* label : std::initializer_list<QLabel*>{ui->Panel1, ui->Panel5, ui->Panel8, ui->Label2,
                                                        ui->Label3})
        label->setTextFormat(Qt::PlainText);
    TipWhenCut({ui->Panel1, ui->Panel8, ui->Label2, ui->Label3});
    MakeParts();
    ConnectParts();
    ConnectButtons();
}

CategoryWindow::~CategoryWindow() {
    // The controls are destroyed after this window's own members; a control that loses the focus
    // or its pages on the way must not call back into what is already gone.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void CategoryWindow::MakeParts() {
    Workspace& work = m_main.Work();
    m_entries = std::make_unique<EntryList>(*ui->EntryGrid, *ui->Panel6, *ui->Panel7, work, m_globals, m_boxes);
    m_values = std::make_unique<ValuePages>(
        ValuePages::Controls{*ui->PageControl1, *ui->Panel8, *ui->ValueGrid, *this}, work, m_valueCheck, m_globals,
        m_boxes, [this] { return m_entries->Codes(); });
    m_pictures = std::make_unique<EntryPictures>(*ui->Image1, *ui->Image2, m_globals, m_boxes);
    m_values->ListKindsOf(m_main.Session());
    m_actions = std::make_unique<EntryActions>(*this, work, m_boxes, m_main.Session());
    m_valueNote = std::make_unique<ValueNote>(*this, *ui->CategoryLayout, work, m_valueCheck);
    // Below the title: where edits go, and whose colour marks which layer.
    m_layerBar = new LayerBar(m_main.Layers(), this);
    ui->CategoryLayout->insertWidget(1, m_layerBar);
    m_values->UseLayers(m_main.Layers(), [this] { return m_layerBar->Target(); });
    m_entries->UseLayers(m_main.Layers());
}

void CategoryWindow::EditIn(size_t file) {
    m_layerBar->SetTarget(file);
}

size_t CategoryWindow::EditTarget() const {
    return m_layerBar->Target();
}

void CategoryWindow::ConnectParts() {
    const EntryList* entries = m_entries.get();
    connect(entries, &EntryList::selectionChanged, this, &CategoryWindow::Guarded<&CategoryWindow::ShowSelectedEntry>);
    connect(entries, &EntryList::changeCodeWanted, this,
            &CategoryWindow::Guarded<&CategoryWindow::EntryGridDoubleClick>);
    connect(entries, &EntryList::focusEntered, this, [this] { MakeGridActive(Part::Entries); });
    // While no entry shows, nothing may act on the one the filter hides.
    connect(entries, &EntryList::anyRowShown, this, [this](bool any) {
        for (QWidget* control : std::initializer_list<QWidget*>{ui->Duplicate, ui->Delete}) control->setEnabled(any);
        m_values->SetEnabled(any);
    });

    const ValuePages* values = m_values.get();
    connect(values, &ValuePages::focusEntered, this, [this] { MakeGridActive(Part::Values); });
    connect(values, &ValuePages::keyDescribed, this,
            [this](const std::string& description) { ShowInMemo(description, Part::Values); });
    connect(values, &ValuePages::valueCommitted, this, [this](const std::string& code, const std::string& key) {
        RunEventHandler(m_boxes, [&] { m_valueNote->NoteCommittedValue(code, key); });
    });
    const auto findUsages = [this](const std::string& code) {
        RunEventHandler(m_boxes, [&] { m_main.FindUsages(code); });
    };
    connect(entries, &EntryList::usagesWanted, this, findUsages);
    connect(values, &ValuePages::usagesWanted, this, findUsages);
}

void CategoryWindow::ConnectButtons() {
    connect(ui->Button4, &QPushButton::clicked, this, &CategoryWindow::Guarded<&CategoryWindow::MainWindowButton>);
    connect(ui->Button2, &QPushButton::clicked, this, &CategoryWindow::Guarded<&CategoryWindow::NextFocusOnly>);
    connect(ui->Button3, &QPushButton::clicked, this, &CategoryWindow::Guarded<&CategoryWindow::NextFocusAndShow>);
    connect(ui->Duplicate, &QPushButton::clicked, this,
            &CategoryWindow::Guarded<&CategoryWindow::DuplicateButtonClick>);
    connect(ui->Delete, &QPushButton::clicked, this, &CategoryWindow::Guarded<&CategoryWindow::DeleteButton>);
}

// Whichever window made a change, this one shows what the document now holds.
void CategoryWindow::FollowTheDocument() {
    const DocumentSignals& news = m_main.DocumentNews();
    // A change of the layers comes as one of the entries: the bar reads the stack before the rest.
    connect(&news, &DocumentSignals::entriesChanged, m_layerBar, &LayerBar::Refresh);
    connect(&news, &DocumentSignals::entriesChanged, this,
            &CategoryWindow::Guarded<&CategoryWindow::ShowEntriesAfresh>);
    connect(&news, &DocumentSignals::valueChanged, this, [this](const std::string& code, const std::string& key) {
        RunEventHandler(m_boxes, [&] { ShowValueChange(code, key); });
    });
    const auto refreshNote = [this] { RunEventHandler(m_boxes, [this] { m_valueNote->RefreshValueNote(); }); };
    connect(&news, &DocumentSignals::valueChanged, this, refreshNote);
    connect(&news, &DocumentSignals::entriesChanged, this, refreshNote);
    // An undo or redo of a value committed here is that commit again: a misfit gets its note back.
    connect(&news, &DocumentSignals::stepped, this, [this](const EditFocus& focus) {
        if (focus.Key.empty() || !NamesEqual(focus.Category, m_categoryName, m_globals.CaseSensitive)) return;
        RunEventHandler(m_boxes, [&] { m_valueNote->NoteCommittedValue(focus.Code, focus.Key); });
    });
}

void CategoryWindow::SetUpTable() {
    if (m_tableSwitch != nullptr) return;
    TableSwitch::Hooks hooks;
    hooks.makeTable = [this](QWidget* parent) {
        auto* table = new BalanceTableView(m_main.Work(), m_main.DocumentNews(), m_boxes, m_main.UserSettings(),
                                           m_categoryName, parent);
        // The table marks the values that do not fit their keys, and its commits get the note too.
        BalanceTableModel& model = table->Model();
        model.SetValueCheck(&m_valueCheck);
        model.SetLayers(&m_main.Layers(), [this] { return m_layerBar->Target(); });
        connect(&model, &BalanceTableModel::valueCommitted, this,
                [this](const std::string& code, const std::string& key) {
                    RunEventHandler(m_boxes, [&] { m_valueNote->NoteCommittedValue(code, key); });
                });
        return table;
    };
    hooks.currentEntry = [this] { return m_entries->SelectedCode(); };
    hooks.selectEntry = [this](const std::string& code) { SelectEntry(code, {}); };
    hooks.beforeSwitch = [this] { CommitOpenEdit(); };
    hooks.rowFilter = &m_entries->Filter();
    // Below the window's title every one-entry control lies in the panels' scroll area.
    auto* oneEntry = findChild<QScrollArea*>(QStringLiteral("PanelsScroll"));
    if (oneEntry == nullptr) return;  // the window was built without its panels
    m_tableSwitch = new TableSwitch(*this, *ui->CategoryLayout, *oneEntry, *ui->Panel1Layout, std::move(hooks));
    AddTableMenus(*this, *ui->CategoryLayout, *m_tableSwitch);
}

std::optional<TableState> CategoryWindow::ShownTable() const {
    if (m_tableSwitch == nullptr || !m_tableSwitch->ShowsAllEntries()) return std::nullopt;
    return m_tableSwitch->Table()->State();
}

void CategoryWindow::ShowTable(const TableState& state) {
    if (m_tableSwitch == nullptr) return;  // the window was built without its panels
    m_tableSwitch->ShowAllEntries(true);
    if (BalanceTableView* table = m_tableSwitch->Table()) table->ShowState(state);
}

void CategoryWindow::CommitOpenEdit() {
    m_values->CommitOpenEdit();
    if (m_tableSwitch != nullptr && m_tableSwitch->Table() != nullptr) m_tableSwitch->Table()->CommitOpenEdit();
}

void CategoryWindow::SetBackgroundTile(const Picture& Bitmap2) {
    if (!Bitmap2 || Bitmap2->isNull()) return;
    QPalette colours = palette();
    colours.setBrush(QPalette::Window, QBrush(*Bitmap2));
    setPalette(colours);
}

void CategoryWindow::SetPictureBackground(const Picture& Bitmap1) {
    m_pictures->SetBackground(Bitmap1);
}

void CategoryWindow::FillAndShow(const CategoryToShow& shown) {
    hide();  // nothing shows until the window is complete

    m_tag = shown.Number;
    m_categoryName = shown.Name;
    ui->Panel5->setText(QString::number(shown.Number));
    ui->Panel1->setText(ToQString(shown.Name));
    setWindowTitle(ToQString(shown.Name));

    m_entries->ShowCategory(shown.Name, shown.Kind);
    m_pictures->LoadRows(m_entries->Codes(), m_main.Work().Doc().Store());
    m_actions->ShowCategory(shown.Name, shown.Kind);
    GetLabelCodeAndName();
    if (!m_entries->SelectedCode().empty()) m_pictures->ShowTheImage(m_entries->Row());
    m_values->MakePages(shown.Name, shown.Pages, m_entries->SelectedCode());
    FollowTheDocument();
    SetUpTable();
    FollowLayoutWithTab();

    // A new window comes to the front with the focus, as a window the user opens does.
    show();
    // A window opened for the first time shows 20 rows of values; however many rows of tabs there
    // are, a window shows at least 10.
    ShowValueRows(m_sizeRemembered ? MinValueRows : FirstValueRows);
    raise();
    activateWindow();
    FocusEntryRow(shown.EntryRow);
}

// Tab goes top to bottom, left to right: the title bar's switch, the window buttons, the entry
// column, the pages and the memo. The filter box and the switch are made after the form's controls.
void CategoryWindow::FollowLayoutWithTab() {
    ui->Memo1->setTabChangesFocus(true);  // it only shows text: Tab goes on to the next control
    TabInOrder({findChild<QWidget*>(QStringLiteral("AllEntriesButton")), ui->Button4, ui->Button2, ui->Button3,
                &m_entries->Filter(), ui->EntryGrid, ui->Duplicate, ui->Delete, ui->PageControl1, ui->ValueGrid,
                ui->Memo1});
}

void CategoryWindow::ShowValueRows(int rows) {
    const int missing = m_values->HeightShort(rows);
    QSize wanted = size();
    // A window opened for the first time is as wide as its filled layout is designed.
    if (!m_sizeRemembered) wanted.setWidth(std::max(width(), sizeHint().width()));
    if (missing > 0) wanted.setHeight(height() + missing);
    if (wanted == size()) return;
    resize(wanted);
    WindowPlaces::KeepOnScreen(*this, m_main.HostWidget());
}

void CategoryWindow::MainWindowButton() {
    m_main.FocusAndShow(&m_main.HostWidget());
}

void CategoryWindow::NextFocusOnly() {
    m_main.NextFocusAndOpen(this, false);
}

void CategoryWindow::NextFocusAndShow() {
    m_main.NextFocusAndOpen(this, true);
}

void CategoryWindow::closeEvent(QCloseEvent* event) {
    RunEventHandler(m_boxes, [this] { FormClose(); });
    event->accept();
}

void CategoryWindow::FormClose() {
    m_main.CategoryWindowClosed(this);
    m_pictures->FreeRowPictures();
}

}  // namespace velmora
