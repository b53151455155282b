// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/table/BalanceTableView.h"

#include <QKeyEvent>
#include <QAbstractItemDelegate>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/widgets/PageControl.h"
#include "core/table/TableFiles.h"
#include "gui/table/BalanceTableModel.h"
#include "core/boxes/Boxes.h"
#include "core/catalogue/Workspace.h"
#include "gui/services/DocumentSignals.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"
#include "core/store/IniError.h"
#include "core/store/StringList.h"
#include "gui/table/ColumnChooser.h"

namespace velmora {

namespace {

// The table files the dialogs offer: CSV, and workbooks where this build has them.
std::string TableFilter(bool opening) {
    if (!WorkbooksSupported()) return "CSV files (*.csv)|*.csv|All files (*.*)|*.*";
    return std::string(opening ? "Table files (*.csv;*.xlsx)|*.csv;*.xlsx|" : "") +
           "CSV files (*.csv)|*.csv|Workbooks (*.xlsx)|*.xlsx|All files (*.*)|*.*";
}
constexpr int FixedColumns = 2;  // Code and Name

QTableView* NewTableView(const char* name, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                          QAbstractItemView::EditKeyPressed);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    return view;
}

// The program's palette with every role set: a palette with none set would still take the
// window's.
QPalette ProgramPalette() {
    QPalette plain;
    const QPalette& program = QApplication::palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group)
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto which = static_cast<QPalette::ColorGroup>(group);
            const auto what = static_cast<QPalette::ColorRole>(role);
            plain.setBrush(which, what, program.brush(which, what));
        }
    return plain;
}

}  // namespace

BalanceTableView::BalanceTableView(Workspace& workspace, const DocumentSignals& news, Boxes& boxes,
                                   QSettings* settings, const std::string& category, QWidget* parent)
    : QWidget(parent), m_workspace(workspace), m_boxes(boxes), m_columnMemory(settings, category), m_category(category) {
    setObjectName(QStringLiteral("BalanceTable"));
    // The window's own colours and background picture are for its one-entry controls.
    setPalette(ProgramPalette());
    setAutoFillBackground(true);
    StringList pages;
    workspace.GetPages(category, pages);
    for (const auto& page : pages) m_pages.push_back(page.text);
    m_model = new BalanceTableModel(workspace, category, this);

    // The pages' tabs wrap into rows across the whole width, as the one-entry pages' tabs do.
    m_pageTabs = new RowsTabBar(this);
    m_pageTabs->setObjectName(QStringLiteral("TablePages"));
    for (const std::string& page : m_pages) m_pageTabs->addTab(ToQString(page));
    auto* adjust = new QPushButton(QStringLiteral("Adjust values..."), this);
    adjust->setObjectName(QStringLiteral("AdjustValues"));
    auto* columns = new QPushButton(QStringLiteral("Columns..."), this);
    columns->setObjectName(QStringLiteral("ChooseColumns"));
    m_fixed = NewTableView("TableFixed", this);
    m_values = NewTableView("TableValues", this);
    PairViews();
    LayOut({columns, adjust});

    // Copy and Paste of blocks, before the view's own copy of one cell.
    for (QTableView* view : {m_fixed, m_values}) view->installEventFilter(this);
    connect(adjust, &QPushButton::clicked, this, &BalanceTableView::AskAdjust);
    connect(columns, &QPushButton::clicked, this, &BalanceTableView::ChooseColumns);
    connect(m_pageTabs, &QTabBar::currentChanged, this, &BalanceTableView::ShowPage);
    FollowModelAndDocument(news);
    ShowPage(0);
}

// Code and Name in one view, the values in the other: one model, one selection, one sort, and
// the rows scrolled together. Code and Name stay where they are while the values scroll sideways.
void BalanceTableView::PairViews() {
    m_fixed->setModel(m_model);
    m_values->setModel(m_model);
    // The table opens in the catalogue's order; a header click sorts.
    for (QTableView* view : {m_fixed, m_values}) {
        view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
        view->setSortingEnabled(true);
    }
    m_fixed->setSelectionModel(m_values->selectionModel());
    m_fixed->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fixed->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    connect(m_values->verticalScrollBar(), &QScrollBar::valueChanged, m_fixed->verticalScrollBar(), &QScrollBar::setValue);
    connect(m_fixed->verticalScrollBar(), &QScrollBar::valueChanged, m_values->verticalScrollBar(), &QScrollBar::setValue);
    // Each view sorts by a click on its own header; both mark the one sort.
    for (QTableView* view : {m_fixed, m_values})
        connect(view->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
                &BalanceTableView::ShowSortIndicator);
}

void BalanceTableView::LayOut(std::initializer_list<QPushButton*> buttons) {
    // The window's filter box joins the bar at its start while the table shows (UseFilter).
    m_bar = new QHBoxLayout;
    m_bar->addStretch(1);
    for (QPushButton* button : buttons) m_bar->addWidget(button);
    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(m_fixed);
    body->addWidget(m_values, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pageTabs);
    layout->addLayout(m_bar);
    layout->addLayout(body, 1);
}

void BalanceTableView::FollowModelAndDocument(const DocumentSignals& news) {
    // A box must not open inside the cell editor's commit, which the box's focus change re-enters.
    connect(m_model, &BalanceTableModel::editRefused, this, [this](const std::string& reason) { m_boxes.Error(reason); },
            Qt::QueuedConnection);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (int column = 0; column < m_model->columnCount(); ++column) {
            m_fixed->setColumnHidden(column, column >= FixedColumns);
            m_values->setColumnHidden(column, column < FixedColumns);
        }
    });
    connect(&news, &DocumentSignals::valueChanged, this, &BalanceTableView::RefreshSoon);
    connect(&news, &DocumentSignals::entriesChanged, this, &BalanceTableView::RefreshSoon);
    connect(m_values->horizontalHeader(), &QHeaderView::sectionResized, this, &BalanceTableView::RememberWidth);
}

BalanceTableView::~BalanceTableView() = default;

bool BalanceTableView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            CopySelection();
            return true;
        }
        if (key->matches(QKeySequence::Paste)) {
            PasteBlock(ToBytes(QApplication::clipboard()->text()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BalanceTableView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pageTabs->updateGeometry();  // the tabs take as many rows as the new width needs
}

template <class Work>
void BalanceTableView::Guarded(Work&& work) {
    RunEventHandler(m_boxes, std::forward<Work>(work));
}

void BalanceTableView::ShowPage(int page) {
    Guarded([&] {
        CommitOpenEdit();  // the value typed belongs to the page it was typed on
        const std::string code = CurrentCode();
        const QScopedValueRollback<bool> restoring(m_restoringWidths, true);
        m_model->SetColumns(m_columnMemory.Chosen(PageName()).value_or(PageColumns(page)));
        for (size_t column = 0; column < m_model->Table().ColumnCount(); ++column)
            if (const std::optional<int> width = m_columnMemory.Width(PageName(), m_model->Table().Columns()[column]))
                m_values->setColumnWidth(static_cast<int>(column) + 1, *width);
        m_fixed->resizeColumnsToContents();
        m_fixed->setFixedWidth(m_fixed->columnWidth(0) + m_fixed->columnWidth(1) + 2 * m_fixed->frameWidth());
        ShowSortIndicator();
        SelectCode(code);
    });
}

void BalanceTableView::ShowSortIndicator() {
    const std::optional<TableSort>& sort = m_model->Sort();
    for (QTableView* view : {m_fixed, m_values}) {
        // The rows are sorted already: the header only shows it.
        const QSignalBlocker quiet(view->horizontalHeader());
        view->horizontalHeader()->setSortIndicator(m_model->SortColumn(), sort ? sort->Order : Qt::AscendingOrder);
    }
}

TableState BalanceTableView::State() const {
    const std::vector<TableColumn>& columns = m_model->Table().Columns();
    return {m_pageTabs->currentIndex(), std::vector<TableColumn>(columns.begin() + 1, columns.end()), m_model->Sort(),
            CurrentCode(), m_values->currentIndex().column()};
}

void BalanceTableView::ShowState(const TableState& state) {
    if (state.Page >= 0 && state.Page < m_pageTabs->count()) m_pageTabs->setCurrentIndex(state.Page);
    Guarded([&] {
        const std::vector<TableColumn>& shown = m_model->Table().Columns();
        std::vector<std::string> shownIds, wantedIds;
        for (size_t column = 1; column < shown.size(); ++column) shownIds.push_back(shown[column].Id());
        for (const TableColumn& column : state.Columns) wantedIds.push_back(column.Id());
        if (shownIds != wantedIds) m_model->SetColumns(state.Columns);
        m_model->SetSort(state.Sort);
        ShowSortIndicator();
        const int row = m_model->RowOfCode(state.Code);
        if (row >= 0 && state.Column >= FixedColumns && state.Column < m_model->columnCount())
            m_values->setCurrentIndex(m_model->index(row, state.Column));
        else
            SelectCode(state.Code);
    });
}

void BalanceTableView::CommitOpenEdit() {
    for (QTableView* view : {m_fixed, m_values}) {
        // The editor of the current cell, the only one the table opens.
        const QModelIndex cell = view->currentIndex();
        QWidget* editor = cell.isValid() ? view->indexWidget(cell) : nullptr;
        if (editor == nullptr) continue;
        // What the delegate says on Enter: the view writes the editor's text into the model.
        QAbstractItemDelegate* delegate = view->itemDelegateForIndex(cell);
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

std::string BalanceTableView::CurrentCode() const {
    const QModelIndex current = m_values->currentIndex();
    return current.isValid() ? m_model->Table().Row(m_model->RowBehind(current.row())).Code : std::string();
}

void BalanceTableView::SelectCode(const std::string& code) {
    const int row = m_model->RowOfCode(code);
    if (row < 0) return;
    const int column = std::max(m_values->currentIndex().column(), FixedColumns);
    m_values->setCurrentIndex(m_model->index(row, std::min(column, m_model->columnCount() - 1)));
}

// The rows are shown afresh; the current cell stays on its entry when that is still shown.
template <class Work>
void BalanceTableView::KeepingCurrent(Work&& work) {
    const std::string code = CurrentCode();
    const int column = m_values->currentIndex().column();
    std::forward<Work>(work)();
    const int row = m_model->RowOfCode(code);
    if (row >= 0 && column >= 0) m_values->setCurrentIndex(m_model->index(row, column));
}

// The document's news come one per edit; the table is read again once they are all in.
void BalanceTableView::RefreshSoon() {
    if (m_refreshPending) return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        Guarded([this] { KeepingCurrent([this] { m_model->Refresh(); }); });
    });
}

std::vector<TableColumn> BalanceTableView::PageColumns(int page) const {
    return page >= 0 && static_cast<size_t>(page) < m_pages.size()
               ? BalanceTable::PageColumns(m_workspace, m_pages[static_cast<size_t>(page)])
               : BalanceTable::CategoryColumns(m_workspace, m_category);
}

std::string BalanceTableView::PageName() const {
    const int page = m_pageTabs->currentIndex();
    return page >= 0 && static_cast<size_t>(page) < m_pages.size() ? m_pages[static_cast<size_t>(page)] : std::string();
}

// Only a width the user gave is kept: the table's own sizing while it shows a page is not.
void BalanceTableView::RememberWidth(int column, int /*oldWidth*/, int width) {
    const std::optional<size_t> which = BalanceTableModel::TableColumnOf(column);
    if (m_restoringWidths || column < FixedColumns || !which || *which >= m_model->Table().ColumnCount() || width <= 0)
        return;
    m_columnMemory.SetWidth(PageName(), m_model->Table().Columns()[*which], width);
}

void BalanceTableView::UseFilter(QLineEdit& box) {
    m_bar->insertWidget(0, &box, 1);
    box.show();
    if (m_filtering == &box) return;
    m_filtering = &box;
    connect(&box, &QLineEdit::textChanged, this,
            [this](const QString& text) { KeepingCurrent([&] { m_model->SetFilter(ToBytes(text)); }); });
    KeepingCurrent([&] { m_model->SetFilter(ToBytes(box.text())); });
}

void BalanceTableView::ChooseColumns() {
    CommitOpenEdit();
    const std::vector<TableColumn>& now = m_model->Table().Columns();
    const std::vector<TableColumn> pageColumns = PageColumns(m_pageTabs->currentIndex());
    ColumnChooser chooser(BalanceTable::ChoosableColumns(m_workspace, m_category),
                          std::vector<TableColumn>(now.begin() + 1, now.end()), pageColumns, this);  // without the Name
    if (chooser.exec() != QDialog::Accepted) return;
    Guarded([&] {
        const std::vector<TableColumn> chosen = chooser.Shown();
        std::vector<std::string> chosenIds, pageIds;
        for (const TableColumn& column : chosen) chosenIds.push_back(column.Id());
        for (const TableColumn& column : pageColumns) pageIds.push_back(column.Id());
        // The page's own keys again are no choice to keep: a key added to the page later shows.
        m_columnMemory.SetChosen(PageName(), chosenIds == pageIds ? std::nullopt : std::optional(chosen));
        ShowPage(m_pageTabs->currentIndex());
    });
}

std::vector<std::pair<size_t, size_t>> BalanceTableView::SelectedCells() const {
    std::vector<std::pair<size_t, size_t>> cells;
    for (const QModelIndex& index : m_values->selectionModel()->selectedIndexes())
        if (const auto column = BalanceTableModel::TableColumnOf(index.column()))
            cells.emplace_back(m_model->RowBehind(index.row()), *column);
    return cells;
}

void BalanceTableView::CopySelection() {
    Guarded([this] {
        const QModelIndexList selected = m_values->selectionModel()->selectedIndexes();
        if (selected.isEmpty()) return;
        int top = selected.front().row(), bottom = top, left = selected.front().column(), right = left;
        for (const QModelIndex& index : selected) {
            top = std::min(top, index.row());
            bottom = std::max(bottom, index.row());
            left = std::min(left, index.column());
            right = std::max(right, index.column());
        }
        std::vector<size_t> rows;
        for (int row = top; row <= bottom; ++row) rows.push_back(m_model->RowBehind(row));
        std::vector<size_t> columns;
        for (int column = std::max(left, 1); column <= right; ++column) columns.push_back(static_cast<size_t>(column - 1));
        QApplication::clipboard()->setText(ToQString(CopyBlock(m_model->Table(), rows, columns)));
    });
}

// The block goes to the selection's top-left cell, or fills it when it is one value; without a
// selection, to the current cell.
void BalanceTableView::PasteBlock(const std::string& block) {
    Guarded([&] {
        std::vector<std::pair<size_t, size_t>> selection;
        QModelIndexList selected = m_values->selectionModel()->selectedIndexes();
        if (selected.isEmpty() && m_values->currentIndex().isValid()) selected.push_back(m_values->currentIndex());
        for (const QModelIndex& index : selected)
            if (const auto column = BalanceTableModel::TableColumnOf(index.column()))
                selection.emplace_back(static_cast<size_t>(index.row()), *column);
        const BalanceTable& table = m_model->Table();
        const std::vector<CellWrite> writes = PasteWrites(table, m_model->ShownRows(), selection, block);
        CommitChanges(m_workspace.Doc(), table.Category(), PasteText(writes.size()),
                      PlanChanges(table, m_workspace.Doc().Store(), writes));
    });
}

void BalanceTableView::AdjustSelection(AdjustOperation operation, const std::string& operand) {
    Guarded([&] {
        const BalanceTable& table = m_model->Table();
        const AdjustPlan plan = AdjustWrites(table, SelectedCells(), operation, operand);
        const std::vector<TableChange> changes = PlanChanges(table, m_workspace.Doc().Store(), plan.Writes);
        CommitChanges(m_workspace.Doc(), table.Category(), AdjustText(changes.size()), changes);
        m_boxes.Notice(AdjustSummary(changes.size(), plan.LeftAlone));
    });
}

void BalanceTableView::AskAdjust() {
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Adjust values"));
    auto* operation = new QComboBox(&dialog);
    operation->addItems({QStringLiteral("Set to"), QStringLiteral("Add"), QStringLiteral("Multiply by")});
    auto* operand = new QLineEdit(&dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto* form = new QFormLayout(&dialog);
    form->addRow(operation, operand);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return;
    AdjustSelection(static_cast<AdjustOperation>(operation->currentIndex()), ToBytes(operand->text()));
}

void BalanceTableView::ExportTable() {
    Guarded([this] {
        const BalanceTable& table = m_model->Table();
        std::vector<size_t> rows = m_model->ShownRows();
        // The filter hides rows: the file takes those shown only when the user says so.
        if (rows.size() < table.RowCount()) {
            const std::string shown = std::to_string(rows.size());
            const std::string all = std::to_string(table.RowCount());
            const size_t choice = m_boxes.Choose("The filter shows " + shown + " of the " + all + " entries. Export the " +
                                                     shown + " shown, or all " + all + "?",
                                                 {"&Shown entries", "&All entries", "Cancel"});
            if (choice == 2) return;
            if (choice == 1) rows = table.CatalogueOrder();
        }
        const std::optional<std::string> name = m_boxes.SaveFileName(TableFilter(false), m_category + ".csv");
        if (name) WriteTableFile(table, rows, *name, FormatOfName(*name));
    });
}

void BalanceTableView::ImportTable() {
    Guarded([this] {
        const std::optional<std::string> name = m_boxes.OpenFileName(TableFilter(true), m_category + ".csv");
        if (!name) return;
        const TableImport import = ReadTableFile(m_workspace, m_category, *name);
        if (import.Changes.empty()) {
            m_boxes.Notice(ImportPreview(import));
            return;
        }
        if (m_boxes.Confirm(ImportPreview(import) + "\r\n\r\nMake these changes?") != BoxAnswer::Yes) return;
        CommitChanges(m_workspace.Doc(), m_category, ImportText(import.Changes.size()), import.Changes);
    });
}

}  // namespace velmora
