// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/category/EntryList.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "core/catalogue/ValueRules.h"
#include "core/catalogue/Workspace.h"
#include "core/layers/LayerStack.h"
#include "core/session/DocumentLayers.h"
#include "core/settings/Globals.h"
#include "core/store/IniStore.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "gui/category/HeaderLook.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/LayerColours.h"
#include "gui/widgets/StringGrid.h"

namespace velmora {

namespace {

constexpr int EntryCodeWidth = 85;

// Rows of the grid's height that fit fully into its visible area, wherever it is scrolled.
int FittingRows(const StringGrid& grid) {
    return std::max(1, grid.viewport()->height() / std::max(1, grid.rowHeight(0)));
}

}  // namespace

EntryList::EntryList(StringGrid& grid, QLabel& codeHeader, QLabel& nameHeader, const Workspace& work,
                     const Globals& globals, Boxes& boxes)
    : m_grid(grid), m_codeHeader(codeHeader), m_nameHeader(nameHeader), m_work(work),
      m_globals(globals), m_boxes(boxes) {
    // The window shows a newly selected entry before the filter looks at the selection.
    connect(&grid, &StringGrid::selectionChangedByUserOrCode, this, &EntryList::selectionChanged);
    connect(&grid, &StringGrid::gridDoubleClicked, this, &EntryList::changeCodeWanted);
    connect(&grid, &StringGrid::focusEntered, this, &EntryList::focusEntered);
    connect(grid.horizontalHeader(), &QHeaderView::sectionResized, this, &EntryList::FitEntryHeaders);
    AddChangeCodeAction();
    // The box stands above the code and name headers, which stay with their grid.
    m_filter = FilterBox::Above(grid, {EntryCodeCol, EntryNameCol}, 1);
    connect(m_filter, &FilterBox::rowsShownChanged, this, &EntryList::anyRowShown);
    AddUsagesAction();
    grid.SetTypeAheadCol(EntryCodeCol);
    // The code column's designed width; the name column takes the rest. The user may move the
    // border between them, and a later filling keeps it where the user left it.
    grid.setColumnWidth(EntryCodeCol, EntryCodeWidth);
}

void EntryList::AddChangeCodeAction() {
    auto* changeCode = new QAction(QStringLiteral("Change Code"), &m_grid);  // owned by the grid
    changeCode->setObjectName(QStringLiteral("ChangeCode"));
    changeCode->setShortcut(QKeySequence(Qt::Key_F2));
    changeCode->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_grid.addAction(changeCode);
    connect(changeCode, &QAction::triggered, this, &EntryList::changeCodeWanted);
}

void EntryList::AddUsagesAction() {
    auto* usages = new QAction(QStringLiteral("Find &Usages"), &m_grid);  // owned by the grid
    usages->setObjectName(QStringLiteral("EntryUsages"));
    usages->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F12));
    usages->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_grid.addAction(usages);
    connect(usages, &QAction::triggered, this, [this] {
        if (const std::string code = SelectedCode(); !code.empty()) emit usagesWanted(code);
    });
    m_grid.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_grid, &QWidget::customContextMenuRequested, this, [this, usages](const QPoint& at) {
        const int row = m_grid.rowAt(at.y());
        RunEventHandler(m_boxes, [this, row] {
            if (row >= 0 && row != m_grid.Row()) m_grid.SetRow(row);
        });
        QMenu menu;
        menu.addAction(usages);
        menu.exec(m_grid.viewport()->mapToGlobal(at));
    });
}

void EntryList::ShowCategory(const std::string& category, int kind) {
    m_category = category;
    m_kind = kind;
    RefillEntryGrid();
    m_grid.horizontalScrollBar()->setValue(0);
}

void EntryList::RefillEntryGrid() {
    StringList codes;
    m_work.GetReadSectionValuesOnly(m_kind, m_category, codes);
    const std::vector<AddedEntry> added =
        m_layers != nullptr ? m_layers->Stack().AddedEntries(m_category) : std::vector<AddedEntry>();
    for (int row = 0; row < m_grid.RowCount(); ++row) {
        m_grid.SetRedMarked(EntryCodeCol, row, false);
        m_grid.SetShade(EntryCodeCol, row, QColor());
        m_grid.SetTip(EntryCodeCol, row, std::string());
    }
    const int own = static_cast<int>(codes.Count());
    const int count = own + static_cast<int>(added.size());
    m_grid.SetRowCount(count);

    const IniStore& defaults = *m_work.DefaultIni();
    for (int row = 0; row < m_grid.RowCount(); ++row) {
        if (row >= count) {  // the one empty row of a category without entries
            m_grid.SetCells(EntryCodeCol, row, std::string());
            m_grid.SetCells(EntryNameCol, row, std::string());
            continue;
        }
        const AddedEntry* addedEntry = row < own ? nullptr : &added[static_cast<size_t>(row - own)];
        const std::string& code = addedEntry ? addedEntry->Code : codes[static_cast<size_t>(row)];
        m_grid.SetCells(EntryCodeCol, row, code);
        m_grid.SetCells(EntryNameCol, row, NameOf(code));
        if (addedEntry) {
            m_grid.SetShade(EntryCodeCol, row, LayerColour(addedEntry->Layer));
            m_grid.SetTip(EntryCodeCol, row, "added by " + m_layers->FileName(addedEntry->Layer + 1));
        } else if (EntryIsRed(defaults, code)) {
            m_grid.SetRedMarked(EntryCodeCol, row, true);
        }
    }
}

std::string EntryList::NameOf(const std::string& code) const {
    if (m_layers == nullptr) return m_work.Doc().Store().ReadString(code, "Name", "-");
    return m_layers->EntryName(code);
}

void EntryList::SelectAgain(const std::string& code, int row) {
    m_filter->ApplyKeepingSelection();
    int selected = RowOfEntry(code);
    if (selected < 0) selected = std::min(row, m_grid.RowCount() - 1);
    if (m_grid.isRowHidden(selected)) selected = m_filter->FirstShownRow(selected);
    // The window shows the entry afresh itself, once.
    const QSignalBlocker blocker(m_grid);
    if (selected >= 0 && selected != m_grid.Row()) m_grid.SetRow(selected);
}

void EntryList::FocusEntryRow(int Row) {
    if (Row < 0) {
        m_grid.SetRow(0);
    } else {
        m_grid.SetRow(Row);
        // The selected entry becomes the last fully visible row, unless it is near the top.
        const int fitting = FittingRows(m_grid);
        if (m_grid.RowCount() > fitting) m_grid.SetTopRow(std::max(0, Row - fitting + 1));
    }
    m_grid.setFocus(Qt::OtherFocusReason);
}

void EntryList::ClearFilter() {
    m_filter->clear();
}

int EntryList::Row() const {
    return m_grid.Row();
}

std::string EntryList::SelectedCode() const {
    const int row = m_grid.Row();
    return row >= 0 && row < m_grid.RowCount() ? m_grid.Cells(EntryCodeCol, row) : std::string();
}

std::string EntryList::SelectedName() const {
    const int row = m_grid.Row();
    return row >= 0 && row < m_grid.RowCount() ? m_grid.Cells(EntryNameCol, row) : std::string();
}

int EntryList::RowOfEntry(const std::string& Code) const {
    const std::vector<int> rows = RowsOfEntry(Code);
    return rows.empty() ? -1 : rows.front();
}

std::vector<int> EntryList::RowsOfEntry(const std::string& Code) const {
    std::vector<int> rows;
    for (int row = 0; row < m_grid.RowCount(); ++row)
        if (!Code.empty() && NamesEqual(m_grid.Cells(EntryCodeCol, row), Code, m_globals.CaseSensitive))
            rows.push_back(row);
    return rows;
}

std::vector<std::string> EntryList::Codes() const {
    return m_grid.ColumnTexts(EntryCodeCol);
}

int EntryList::RowCount() const {
    return m_grid.RowCount();
}

void EntryList::ShowNameOf(const std::string& Code) {
    for (const int row : RowsOfEntry(Code)) m_grid.SetCells(EntryNameCol, row, NameOf(Code));
}

// The "Code" header stands over the code column, wherever the user moved its border.
void EntryList::FitEntryHeaders() {
    m_codeHeader.setFixedWidth(m_grid.frameWidth() + m_grid.columnWidth(EntryCodeCol));
}

void EntryList::ShowHeadersActive(bool active) {
    ShowHeaderLook(m_codeHeader, active);
    ShowHeaderLook(m_nameHeader, active);
}

}  // namespace velmora
