// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/FilterBox.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QTimer>
#include <algorithm>

#include "core/references/EntryTargets.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StringGrid.h"

namespace velmora {

namespace {

// The box layout that holds `widget`, searched from its parent's layout down.
QBoxLayout* LayoutHolding(QLayout* layout, QWidget& widget) {
    if (!layout) return nullptr;
    if (auto* box = qobject_cast<QBoxLayout*>(layout); box && box->indexOf(&widget) >= 0) return box;
    for (int i = 0; i < layout->count(); ++i)
        if (QBoxLayout* found = LayoutHolding(layout->itemAt(i)->layout(), widget)) return found;
    return nullptr;
}

}  // namespace

FilterBox::FilterBox(QWidget& list, int headerRows) : QLineEdit(list.parentWidget()) {
    setObjectName(list.objectName() + QStringLiteral("Filter"));
    setPlaceholderText(QStringLiteral("Filter"));
    setClearButtonEnabled(true);
    setToolTip(QStringLiteral("Shows the rows that contain this text; Esc shows all again"));
    connect(this, &QLineEdit::textChanged, this, [this] { Apply(true); });
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (m_typedSinceFocus) return;
        m_typedSinceFocus = true;
        emit undoOwnerChanged();
    });
    PlaceAbove(list, headerRows);
}

FilterBox* FilterBox::Above(StringGrid& grid, std::vector<int> columns, int headerRows) {
    auto* box = new FilterBox(grid, headerRows);  // owned through its Qt parent, the grid's parent
    box->m_grid = &grid;
    box->m_columns = std::move(columns);
    connect(&grid, &StringGrid::selectionChangedByUserOrCode, box, &FilterBox::ClearWhenSelectionHidden);
    box->WatchModel();
    return box;
}

FilterBox* FilterBox::Above(QListWidget& list) {
    auto* box = new FilterBox(list, 0);  // owned through its Qt parent, the list's parent
    box->m_list = &list;
    box->WatchModel();
    return box;
}

void FilterBox::PlaceAbove(QWidget& list, int headerRows) {
    QWidget* host = list.parentWidget();
    QBoxLayout* layout = host ? LayoutHolding(host->layout(), list) : nullptr;
    if (layout) layout->insertWidget(std::max(0, layout->indexOf(&list) - headerRows), this);
    setTabOrder(this, &list);
}

// A list refilled by its window is filtered again once the filling is over.
void FilterBox::WatchModel() {
    const QAbstractItemModel* model = m_grid ? m_grid->model() : m_list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &FilterBox::ApplySoon);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &FilterBox::ApplySoon);
    connect(model, &QAbstractItemModel::modelReset, this, &FilterBox::ApplySoon);
    connect(model, &QAbstractItemModel::dataChanged, this, &FilterBox::ApplySoon);
}

void FilterBox::ApplySoon() {
    if (text().isEmpty() || m_applyPending) return;
    m_applyPending = true;
    QTimer::singleShot(0, this, [this] {
        m_applyPending = false;
        Apply(false);
    });
}

std::vector<std::string> FilterBox::RowTexts(int row) const {
    std::vector<std::string> texts;
    if (m_grid) {
        for (int col : m_columns)
            if (col < m_grid->ColCount()) texts.push_back(m_grid->Cells(col, row));
    } else if (QListWidgetItem* item = m_list->item(row)) {
        texts.push_back(ToBytes(item->text()));
    }
    return texts;
}

void FilterBox::ApplyKeepingSelection() {
    Apply(false, true);
}

int FilterBox::FirstShownRow(int from) const {
    if (!m_grid) return -1;
    const int rows = m_grid->RowCount();
    for (int row = std::max(0, from); row < rows; ++row)
        if (!m_grid->isRowHidden(row)) return row;
    for (int row = std::min(from, rows) - 1; row >= 0; --row)
        if (!m_grid->isRowHidden(row)) return row;
    return -1;
}

void FilterBox::Apply(bool typing, bool keepSelection) {
    if (!m_grid && !m_list) return;
    const std::string filter = ToBytes(text());
    const int rows = m_grid ? m_grid->RowCount() : m_list->count();
    int firstShown = -1;
    for (int row = 0; row < rows; ++row) {
        const std::vector<std::string> texts = RowTexts(row);
        const bool shown = filter.empty() || std::any_of(texts.begin(), texts.end(), [&](const std::string& rowText) {
                               return PassesFilter(rowText, filter);
                           });
        if (m_grid)
            m_grid->setRowHidden(row, !shown);
        else
            m_list->setRowHidden(row, !shown);
        if (shown && firstShown < 0) firstShown = row;
    }

    if (m_grid && !keepSelection && firstShown >= 0 && m_grid->isRowHidden(m_grid->Row())) {
        if (typing)
            m_grid->SetRow(firstShown);  // runs the window's handlers: the entry shown is the one selected
        else
            clear();
    }
    if (m_list) {
        for (QListWidgetItem* item : m_list->selectedItems())
            if (item->isHidden()) item->setSelected(false);
        if (m_list->currentItem() && m_list->currentItem()->isHidden()) m_list->setCurrentRow(-1);
    }

    const bool anyShown = firstShown >= 0;
    if (anyShown != m_anyShown) {
        m_anyShown = anyShown;
        emit rowsShownChanged(anyShown);
    }
}

void FilterBox::ClearWhenSelectionHidden() {
    if (m_grid && m_grid->isRowHidden(m_grid->Row())) clear();
}

// Undo and Redo keys are left to the program's shortcuts (the document's history) unless the box
// holds typing of its own.
bool FilterBox::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && !m_typedSinceFocus) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::Key_Y)) {
            event->ignore();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void FilterBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    m_typedSinceFocus = false;
    emit undoOwnerChanged();
}

void FilterBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace velmora
