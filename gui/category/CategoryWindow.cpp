// SPDX-License-Identifier: GPL-3.0-or-later
// The category window itself: its filling from the stores, the pages, the selection in both grids,
// the memo, the header highlighting, the pictures of the selected entry, the window buttons and
// closing.

#include "gui/category/CategoryWindow.h"

#include <QAction>

#include <QCloseEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/category/EntryPictures.h"
#include "core/catalogue/OtherKeys.h"
#include "gui/widgets/PageControl.h"
#include "core/choice/ChoiceLists.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/ScrollingPanels.h"
#include "gui/services/WindowPlaces.h"
#include "gui/services/DocumentSignals.h"
#include "core/settings/Globals.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StringGrid.h"
#include "core/catalogue/ValueRules.h"
#include "core/catalogue/Workspace.h"
#include "gui/services/WindowHost.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "gui/widgets/TabOrder.h"
#include "gui/widgets/FilterBox.h"
#include "core/values/LiveValueCheck.h"
#include "ui_CategoryWindow.h"

namespace velmora {

namespace {

// The two picture areas: the entry's picture above, its icon below.
constexpr QSize PictureArea(117, 71);
constexpr QSize IconArea(117, 79);

constexpr int EntryCodeWidth = 85;
constexpr int MarkerWidth = 12;

const QColor ActiveHeaderFace(0, 0, 0);
const QColor ActiveHeaderText(255, 255, 0);
const QColor PassiveHeaderFace(192, 192, 192);
const QColor PassiveHeaderText(0, 0, 0);

void ShowPicture(QLabel& area, const QImage& picture) {
    if (picture.isNull())
        area.clear();
    else
        area.setPixmap(QPixmap::fromImage(picture));
}

// What the memo says of a key on the "Other keys" page.
constexpr const char* OtherKeyDescription =
    "No page of the category lists this key; an entry of it holds the key, and here it can be changed.";

// Rows of the grid's height that fit fully into its visible area, wherever it is scrolled.
int FittingRows(const StringGrid& grid) {
    return std::max(1, grid.viewport()->height() / std::max(1, grid.rowHeight(0)));
}

}  // namespace

CategoryWindow::CategoryWindow(WindowHost& MainWin, const Globals& globals, Boxes& boxes)
    : QWidget(&MainWin.HostWidget(), Qt::Window),
      ui(std::make_unique<Ui::CategoryWindow>()),
      m_main(MainWin),
      m_globals(globals),
      m_boxes(boxes) {
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
    for (QLabel* area : {ui->Image1, ui->Image2}) area->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The first page exists from the start and shows the section of its caption until pages are
    // made from the category's page list.
    m_pageNames = {ToBytes(ui->PageControl1->tabText(0))};
    m_pageRows = {0};

    ConnectControls();
    SetUpFinding();
}

CategoryWindow::~CategoryWindow() {
    // The controls are destroyed after this window's own members; a control that loses the focus
    // or its pages on the way must not call back into what is already gone.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void CategoryWindow::ConnectControls() {
    StringGrid* entries = ui->EntryGrid;
    StringGrid* values = ui->ValueGrid;

    connect(entries, &StringGrid::selectionChangedByUserOrCode, this,
            &CategoryWindow::Guarded<&CategoryWindow::ShowSelectedEntry>);
    connect(entries, &StringGrid::gridDoubleClicked, this,
            &CategoryWindow::Guarded<&CategoryWindow::EntryGridDoubleClick>);
    connect(entries, &StringGrid::focusEntered, this,
            &CategoryWindow::Guarded<&CategoryWindow::OnEnterEntryGrid>);

    connect(values, &StringGrid::selectCell, this, [this](int col, int row) {
        RunEventHandler(m_boxes, [this, col, row] { ValueCellMoving(col, row); });
    });
    connect(values, &StringGrid::selectionChangedByUserOrCode, this,
            &CategoryWindow::Guarded<&CategoryWindow::ValueRowSelected>);
    connect(values, &StringGrid::editorOpening, this, [this](int /*col*/, int row) {
        RunEventHandler(m_boxes, [this, row] { ShowStoredValueIfStale(row); });
    });
    connect(values, &StringGrid::gridDoubleClicked, this,
            &CategoryWindow::Guarded<&CategoryWindow::DoubleClickValueGrid>);
    connect(values, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        RunEventHandler(m_boxes, [this, position] { ValueGridContextMenu(position); });
    });
    connect(values, &StringGrid::keyPressed, this,
            [this](int key) { RunEventHandler(m_boxes, [this, key] { FormKeyPress(key); }); });
    // The keyboard's ways to the choice dialog and to a change of code.
    auto* chooseValue = new QAction(QStringLiteral("Pick a value"), values);  // owned by the grid
    chooseValue->setObjectName(QStringLiteral("ChooseValue"));
    chooseValue->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    chooseValue->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    values->addAction(chooseValue);
    connect(chooseValue, &QAction::triggered, this,
            &CategoryWindow::Guarded<&CategoryWindow::DoubleClickValueGrid>);
    auto* changeCode = new QAction(QStringLiteral("Change Code"), entries);  // owned by the grid
    changeCode->setObjectName(QStringLiteral("ChangeCode"));
    changeCode->setShortcut(QKeySequence(Qt::Key_F2));
    changeCode->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    entries->addAction(changeCode);
    connect(changeCode, &QAction::triggered, this,
            &CategoryWindow::Guarded<&CategoryWindow::EntryGridDoubleClick>);
    connect(values, &StringGrid::focusLeft, this, &CategoryWindow::Guarded<&CategoryWindow::ValueGridLeft>);
    connect(values, &StringGrid::focusEntered, this,
            &CategoryWindow::Guarded<&CategoryWindow::OnEnterValueGrid>);

    connect(ui->PageControl1, &QTabWidget::currentChanged, this,
            &CategoryWindow::Guarded<&CategoryWindow::SwitchPage>);
    connect(entries->horizontalHeader(), &QHeaderView::sectionResized, this,
            &CategoryWindow::FitEntryHeaders);

    connect(ui->Button4, &QPushButton::clicked, this,
            &CategoryWindow::Guarded<&CategoryWindow::MainWindowButton>);
    connect(ui->Button2, &QPushButton::clicked, this,
            &CategoryWindow::Guarded<&CategoryWindow::NextFocusOnly>);
    connect(ui->Button3, &QPushButton::clicked, this,
            &CategoryWindow::Guarded<&CategoryWindow::NextFocusAndShow>);
    connect(ui->Duplicate, &QPushButton::clicked, this,
            &CategoryWindow::Guarded<&CategoryWindow::DuplicateButtonClick>);
    connect(ui->Delete, &QPushButton::clicked, this, &CategoryWindow::Guarded<&CategoryWindow::DeleteButton>);
}

// Whichever window made a change, this one shows what the document now holds.
void CategoryWindow::FollowTheDocument() {
    const DocumentSignals& news = m_main.DocumentNews();
    connect(&news, &DocumentSignals::entriesChanged, this,
            &CategoryWindow::Guarded<&CategoryWindow::ShowEntriesAfresh>);
    connect(&news, &DocumentSignals::valueChanged, this, [this](const std::string& code, const std::string& key) {
        RunEventHandler(m_boxes, [&] { ShowValueChange(code, key); });
    });
    connect(&news, &DocumentSignals::valueChanged, this,
            &CategoryWindow::Guarded<&CategoryWindow::RefreshValueNote>);
    connect(&news, &DocumentSignals::entriesChanged, this,
            &CategoryWindow::Guarded<&CategoryWindow::RefreshValueNote>);
    // An undo or redo of a value committed here is that commit again: a misfit gets its note back.
    connect(&news, &DocumentSignals::stepped, this, [this](const EditFocus& focus) {
        if (focus.Key.empty() || !NamesEqual(focus.Category, m_categoryName, m_globals.CaseSensitive)) return;
        RunEventHandler(m_boxes, [&] { NoteCommittedValue(focus.Code, focus.Key); });
    });
}

void CategoryWindow::ShowValueRows(int rows) {
    const StringGrid& grid = *ui->ValueGrid;
    const int rowHeight = std::max(1, grid.verticalHeader()->defaultSectionSize());
    const int missing = rows - grid.viewport()->height() / rowHeight;
    QSize wanted = size();
    // A window opened for the first time is as wide as its filled layout is designed.
    if (!m_sizeRemembered) wanted.setWidth(std::max(width(), sizeHint().width()));
    if (missing > 0) wanted.setHeight(height() + missing * rowHeight);
    if (wanted == size()) return;
    resize(wanted);
    WindowPlaces::KeepOnScreen(*this, m_main.HostWidget());
}

void CategoryWindow::SetBackgroundTile(const Picture& Bitmap2) {
    if (!Bitmap2 || Bitmap2->isNull()) return;
    QPalette colours = palette();
    colours.setBrush(QPalette::Window, QBrush(*Bitmap2));
    setPalette(colours);
}

void CategoryWindow::SetPictureBackground(const Picture& Bitmap1) {
    m_pictureBackground = Bitmap1 && !Bitmap1->isNull() ? Bitmap1 : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Opening

const IniStore& CategoryWindow::DocumentStore() const { return m_main.Work().Doc().Store(); }

const IniStore& CategoryWindow::DefinitionStore() const { return m_main.Work().Doc().Definition(); }

const IniStore& CategoryWindow::DefaultStore() const { return *m_main.Work().DefaultIni(); }

void CategoryWindow::FillAndShow(const CategoryToShow& shown) {
    hide();  // nothing shows until the window is complete

    CategoryKind = shown.Kind;
    KeyDescriptions.clear();
    m_tag = shown.Number;
    m_categoryName = shown.Name;

    ui->Panel5->setText(QString::number(shown.Number));
    ui->Panel1->setText(ToQString(shown.Name));
    setWindowTitle(ToQString(shown.Name));

    // The code column's designed width; the name column takes the rest. The user may move the
    // border between them, and a later filling keeps it where the user left it.
    ui->EntryGrid->setColumnWidth(EntryCodeCol, EntryCodeWidth);
    RefillEntryGrid();
    ui->EntryGrid->horizontalScrollBar()->setValue(0);
    GetLabelCodeAndName();
    CreatePageControl(shown.Pages);
    ui->ValueGrid->setColumnWidth(MarkCol, MarkerWidth);
    SwitchPage();  // hidden still: the value grid does not take the focus
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
                m_entryFilter, ui->EntryGrid, ui->Duplicate, ui->Delete, ui->PageControl1, ui->ValueGrid,
                ui->Memo1});
}

// ---------------------------------------------------------------------------------------------
// The entry list

void CategoryWindow::RefillEntryGrid() {
    StringGrid& grid = *ui->EntryGrid;
    StringList codes;
    m_main.Work().GetReadSectionValuesOnly(CategoryKind, m_categoryName, codes);

    FreeRowPictures();
    const int count = static_cast<int>(codes.Count());
    grid.SetRowCount(count);

    // The picture files are looked at here, once per filling; selecting an entry only draws.
    const PictureFiles files(m_globals, m_boxes);
    const int rows = grid.RowCount();
    m_rowPictures.clear();
    m_rowPictures.resize(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        if (row >= count) {  // the one empty row of a category without entries
            grid.SetCells(EntryCodeCol, row, std::string());
            grid.SetCells(EntryNameCol, row, std::string());
            continue;
        }
        const std::string& code = codes[static_cast<size_t>(row)];
        std::unique_ptr<EntryPictures>& pictures = m_rowPictures[static_cast<size_t>(row)];
        grid.SetCells(EntryCodeCol, row, code);
        pictures = LoadEntryPictures(code, DocumentStore(), files);
        grid.SetCells(EntryNameCol, row, DocumentStore().ReadString(code, "Name", "-"));
        if (EntryIsRed(DefaultStore(), code)) grid.SetRedMarked(EntryCodeCol, row, true);
    }
}

void CategoryWindow::FreeRowPictures() {
    StringGrid& grid = *ui->EntryGrid;
    for (int row = 0; row < grid.RowCount(); ++row) grid.SetRedMarked(EntryCodeCol, row, false);
    // The rows keep their places, empty, so that a row number stays a valid index.
    for (std::unique_ptr<EntryPictures>& pictures : m_rowPictures) pictures.reset();
}

void CategoryWindow::GetLabelCodeAndName() {
    const StringGrid& entries = *ui->EntryGrid;
    ui->Label2->setText(ToQString(entries.Cells(EntryCodeCol, entries.Row())));
    ui->Label3->setText(ToQString(entries.Cells(EntryNameCol, entries.Row())));
}

void CategoryWindow::ShowSelectedEntry() {
    FillValueGridValues();
    GetLabelCodeAndName();
    RefreshMemo(ui->EntryGrid);
}

int CategoryWindow::RowOfEntry(const std::string& Code) const {
    const StringGrid& entries = *ui->EntryGrid;
    for (int row = 0; row < entries.RowCount(); ++row)
        if (!Code.empty() && NamesEqual(entries.Cells(EntryCodeCol, row), Code, m_globals.CaseSensitive)) return row;
    return -1;
}

bool CategoryWindow::ListsEntry(const std::string& Code) const {
    return RowOfEntry(Code) >= 0;
}

std::string CategoryWindow::SelectedCode() const {
    const StringGrid& entries = *ui->EntryGrid;
    return entries.Row() >= 0 && entries.Row() < entries.RowCount() ? entries.Cells(EntryCodeCol, entries.Row())
                                                                     : std::string();
}

int CategoryWindow::PageIndex() const {
    return ui->PageControl1->currentIndex();
}

void CategoryWindow::ShowPageIndex(int Index) {
    if (Index >= 0 && Index < ui->PageControl1->count()) ui->PageControl1->setCurrentIndex(Index);
}

void CategoryWindow::SelectEntry(const std::string& Code, const std::string& Key) {
    const int row = RowOfEntry(Code);
    if (row < 0) return;
    FocusEntryRow(row);
    if (Key.empty()) return;
    StringGrid& values = *ui->ValueGrid;
    for (int keyRow = 0; keyRow < values.RowCount(); ++keyRow) {
        if (!EqualsNoCase(values.Cells(KeyCol, keyRow), Key)) continue;
        values.SetRow(keyRow);
        values.setFocus(Qt::OtherFocusReason);
        return;
    }
}

void CategoryWindow::FocusEntryRow(int Row) {
    StringGrid& grid = *ui->EntryGrid;
    if (Row < 0) {
        grid.SetRow(0);
    } else {
        grid.SetRow(Row);
        // The selected entry becomes the last fully visible row, unless it is near the top.
        const int fitting = FittingRows(grid);
        if (grid.RowCount() > fitting) grid.SetTopRow(std::max(0, Row - fitting + 1));
    }
    grid.setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------------
// Pictures

void CategoryWindow::ChangeTheImage(int Row, const std::string& ImageName) {
    StringGrid& grid = *ui->EntryGrid;
    (void)grid.Cells(EntryNameCol, Row);  // a row that does not exist fails here
    if (m_rowPictures.size() < static_cast<size_t>(grid.RowCount()))
        m_rowPictures.resize(static_cast<size_t>(grid.RowCount()));
    std::unique_ptr<EntryPictures>& pictures = m_rowPictures[static_cast<size_t>(Row)];
    pictures =
        std::make_unique<EntryPictures>(LoadBitmapFile(m_globals, m_boxes, ImageName + ".bmp"), nullptr);
}

void CategoryWindow::ShowTheImage() {
    const size_t row = static_cast<size_t>(ui->EntryGrid->Row());
    const EntryPictures* pictures = row < m_rowPictures.size() ? m_rowPictures[row].get() : nullptr;
    const Picture none;
    ShowPicture(*ui->Image1,
                DrawPictureArea(m_pictureBackground, pictures ? pictures->EntryPicture : none, PictureArea));
    ShowPicture(*ui->Image2,
                DrawPictureArea(m_pictureBackground, pictures ? pictures->EntryIcon : none, IconArea));
}

// ---------------------------------------------------------------------------------------------
// Pages and the value grid

void CategoryWindow::CreatePageControl(const std::vector<std::string>& Pages) {
    QTabWidget& pages = *ui->PageControl1;
    pages.setTabPosition(QTabWidget::North);
    if (Pages.size() > 1) {
        m_pageNames[0] = Pages[1];
        pages.setTabText(0, ToCaption(Pages[1]));
        ui->TabSheet1->setObjectName(QStringLiteral("ts") + ToQString(Pages[1]));
        ui->Panel8->setText(ToQString(Pages[1]));
    }
    // Any text names a page: it is shown as its caption and read as a section name as it stands.
    for (size_t i = 2; i < Pages.size(); ++i) AddPage(Pages[i], QStringLiteral("ts") + ToQString(Pages[i]));
    StringList keys;
    m_main.Work().GetContentsOfAllPages(m_categoryName, keys);
    m_pageKeys.clear();
    for (const StringItem& key : keys) m_pageKeys.insert(FoldCase(key.text));
    RefreshOtherKeys();
}

void CategoryWindow::AddPage(const std::string& Caption, const QString& ObjectName) {
    auto* page = new QWidget(ui->PageControl1);  // owned through its Qt parent, the page set
    page->setObjectName(ObjectName);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ui->PageControl1->addTab(page, ToCaption(Caption));
    m_pageNames.push_back(Caption);
    m_pageRows.push_back(0);
}

void CategoryWindow::RefreshOtherKeys() {
    m_otherKeysPending = false;
    std::vector<std::string> keys = OtherKeysOf(m_main.Work(), m_categoryName);
    if (keys == m_otherKeys) return;
    m_otherKeys = std::move(keys);
    if (m_otherKeysPage < 0) {
        if (m_otherKeys.empty()) return;
        m_otherKeysPage = ui->PageControl1->count();
        AddPage(OtherKeysPage, QStringLiteral("tsOtherKeys"));
        return;
    }
    if (m_gridPage != m_otherKeysPage) return;
    // The page shown gets its rows again, the row of the same key kept where it can be.
    StringGrid& grid = *ui->ValueGrid;
    const std::string current = grid.Row() >= 0 && grid.Row() < grid.RowCount() ? grid.Cells(KeyCol, grid.Row()) : "";
    FillValueGridKeys();
    FillValueGridValues();
    int row = std::min(grid.Row(), grid.RowCount() - 1);
    for (int at = 0; at < grid.RowCount(); ++at)
        if (EqualsNoCase(grid.Cells(KeyCol, at), current)) row = at;
    if (row >= 0 && row != grid.Row()) grid.SetRow(row);
    MemoSource = nullptr;  // the descriptions were read again
    RefreshMemo(&grid);
}

void CategoryWindow::RefreshOtherKeysSoon() {
    if (m_otherKeysPending) return;
    m_otherKeysPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_otherKeysPending) RunEventHandler(m_boxes, [this] { RefreshOtherKeys(); });
    });
}

QWidget* CategoryWindow::GridPage() const {
    return ui->PageControl1->widget(m_gridPage);
}

const std::string& CategoryWindow::GridPageName() const {
    return m_pageNames[static_cast<size_t>(m_gridPage)];
}

void CategoryWindow::SwitchPage() {
    const int index = ui->PageControl1->currentIndex();
    QWidget* page = ui->PageControl1->widget(index);
    if (!page || static_cast<size_t>(index) >= m_pageNames.size()) return;
    StringGrid& grid = *ui->ValueGrid;
    if (grid.parentWidget() != page) {
        page->layout()->addWidget(ui->Panel8);
        page->layout()->addWidget(&grid);
        // A widget moved into a shown page would appear only once the event loop runs.
        ui->Panel8->show();
        grid.show();
    }
    m_gridPage = index;
    ui->Panel8->setText(ToQString(GridPageName()));

    FillValueGridKeys();
    FillValueGridValues();
    grid.SetRow(std::min(m_pageRows[static_cast<size_t>(index)], grid.RowCount() - 1));
    grid.SetTopRow(0);
    RefreshMemo(&grid);
    if (isVisible()) grid.setFocus(Qt::OtherFocusReason);
}

void CategoryWindow::FillValueGridKeys() {
    const std::string& page = GridPageName();
    StringList keys;
    StringList lines;
    if (m_gridPage == m_otherKeysPage) {
        for (const std::string& key : m_otherKeys) {
            keys.Add(key);
            lines.Add(key + "=" + OtherKeyDescription);
        }
    } else {
        DefinitionStore().ReadSection(page, keys);
        DefinitionStore().ReadSectionValues(page, lines);
    }

    // Each line's description is final before the grid moves: a move shows it in the memo.
    KeyDescriptions.clear();
    for (const StringItem& line : lines) {
        const size_t equals = line.text.find('=');
        KeyDescriptions.push_back(
            equals == std::string::npos
                ? line.text
                : std::string(TrimLeftView(std::string_view(line.text).substr(equals + 1))));
    }
    if (KeyDescriptions.empty()) KeyDescriptions.emplace_back();

    StringGrid& grid = *ui->ValueGrid;
    grid.SetRowCount(static_cast<int>(keys.Count()));
    for (int row = 0; row < grid.RowCount(); ++row)
        grid.SetCells(KeyCol, row, static_cast<size_t>(row) < keys.Count() ? keys[static_cast<size_t>(row)] : "");
    if (grid.Col() != ValueCol) grid.SetCol(ValueCol);
    grid.horizontalScrollBar()->setValue(0);
    for (int row = 0; row < grid.RowCount(); ++row) {
        const bool hasSources = ValueSourcesOf(KeyDescriptions[static_cast<size_t>(row)]).has_value();
        grid.SetCells(MarkCol, row, hasSources ? ">" : "");
    }
}

void CategoryWindow::FillValueGridValues() {
    StringGrid& grid = *ui->ValueGrid;
    const StringGrid& entries = *ui->EntryGrid;
    const std::string code = entries.Cells(EntryCodeCol, entries.Row());
    if (code.empty()) {
        for (int row = 0; row < grid.RowCount(); ++row) {
            grid.SetCells(ValueCol, row, std::string());
            grid.SetRedMarked(ValueCol, row, false);
        }
        return;
    }
    ShowTheImage();
    for (int row = 0; row < grid.RowCount(); ++row) ShowStoredValue(row, code);
}

void CategoryWindow::ShowStoredValue(int Row, const std::string& Code) {
    StringGrid& grid = *ui->ValueGrid;
    const std::string key = grid.Cells(KeyCol, Row);
    const std::string value = DocumentStore().ReadString(Code, key, "");
    grid.SetCells(ValueCol, Row, value);
    const bool red = ValueIsRed(DefaultStore(), Code, key, value, m_globals.CaseSensitive);
    grid.SetRedMarked(ValueCol, Row, red);
    // A value that does not fit its key's kind carries a mark of its own, with the reason.
    const std::optional<std::string> misfit = m_main.Values().StoredMisfit(Code, key);
    grid.SetMisfitMark(ValueCol, Row, misfit.has_value());
    std::string tip = red ? ReferenceValueTip(DefaultStore(), Code, key) : std::string();
    if (misfit) tip += (tip.empty() ? "" : "\n") + *misfit;
    grid.SetTip(ValueCol, Row, tip);
}

void CategoryWindow::ValueRowSelected() {
    StringGrid& grid = *ui->ValueGrid;
    grid.horizontalScrollBar()->setValue(0);
    if (grid.Col() != ValueCol) grid.SetCol(ValueCol);  // a click on a key lands on its value
    RefreshMemo(&grid);
}

void CategoryWindow::RememberPageRow() {
    if (static_cast<size_t>(m_gridPage) < m_pageRows.size())
        m_pageRows[static_cast<size_t>(m_gridPage)] = ui->ValueGrid->Row();
}

// ---------------------------------------------------------------------------------------------
// The memo

void CategoryWindow::RefreshMemo(const StringGrid* Grid) {
    if (Grid == ui->ValueGrid) {
        const int row = Grid->Row();
        const QWidget* page = GridPage();
        if (row == MemoKeyRow && page == MemoKeyPage && MemoSource == Grid) return;
        MemoKeyRow = row;
        MemoKeyPage = page;
        MemoSource = Grid;
        const std::string description = static_cast<size_t>(row) < KeyDescriptions.size()
                                            ? KeyDescriptions[static_cast<size_t>(row)]
                                            : "";
        ui->Memo1->clear();
        ui->Memo1->setPlainText(ToQString(StripApprox(description)));
        return;
    }
    const StringGrid* entries = ui->EntryGrid;
    const int row = entries->Row();
    if (row == MemoEntryRow && MemoSource == entries) return;
    MemoEntryRow = row;
    MemoSource = entries;
    ui->Memo1->clear();
    ui->Memo1->setPlainText(ToQString(entries->Cells(EntryCodeCol, row) + "\n" + entries->Cells(EntryNameCol, row)));
}

std::string CategoryWindow::StripApprox(const std::string& Text) {
    const size_t first = Text.find('~');
    if (first == std::string::npos) return Text;
    const std::string_view rest = std::string_view(Text).substr(first + 1);
    const size_t second = rest.find('~');
    const std::string_view tail = second == std::string_view::npos ? rest : rest.substr(second + 1);
    return Text.substr(0, first).append(tail);
}

// ---------------------------------------------------------------------------------------------
// Header highlighting

// The "Code" header stands over the code column, wherever the user moved its border.
void CategoryWindow::FitEntryHeaders() {
    const StringGrid& entries = *ui->EntryGrid;
    ui->Panel6->setFixedWidth(entries.frameWidth() + entries.columnWidth(0));
}

void CategoryWindow::OnEnterEntryGrid() {
    MakeGridActive(ui->EntryGrid);
}

void CategoryWindow::OnEnterValueGrid() {
    MakeGridActive(ui->ValueGrid);
}

// The headers of the grid that got the focus last are shown active, the other grid's passive; a
// header keeps its design look until it first turns passive.
void CategoryWindow::MakeGridActive(StringGrid* Grid) {
    if (ActiveGrid == Grid) return;
    if (ActiveGrid) ShowHeadersActive(ActiveGrid, false);
    ActiveGrid = Grid;
    ShowHeadersActive(Grid, true);
}

void CategoryWindow::ShowHeadersActive(const StringGrid* Grid, bool active) {
    const std::vector<QLabel*> headers = Grid == ui->EntryGrid
                                             ? std::vector<QLabel*>{ui->Panel6, ui->Panel7}
                                             : std::vector<QLabel*>{ui->Panel8};
    for (QLabel* header : headers) {
        QPalette colours = header->palette();
        colours.setColor(QPalette::Window, active ? ActiveHeaderFace : PassiveHeaderFace);
        colours.setColor(QPalette::WindowText, active ? ActiveHeaderText : PassiveHeaderText);
        header->setPalette(colours);
        header->setAutoFillBackground(true);
        header->setFrameStyle(active ? QFrame::Panel | QFrame::Raised : QFrame::NoFrame);
        header->setLineWidth(active ? 2 : 0);
    }
}

// ---------------------------------------------------------------------------------------------
// Window buttons and closing

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
    FreeRowPictures();
}

}  // namespace velmora
