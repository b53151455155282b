// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/StringGrid.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>
#include <cstdlib>

#include "gui/widgets/ByteTextField.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/QtText.h"
#include "core/store/IniError.h"
#include "core/store/TextCase.h"
#include "gui/widgets/MisfitMark.h"

namespace velmora {

namespace {
const QColor RedText(255, 0, 0);

// One part of `colour` to nine of `base`: on a light base, red on it keeps a contrast of 3 to 1 or
// more, whatever the colour.
QColor PaleTint(const QColor& colour, const QColor& base) {
    return QColor((colour.red() + 9 * base.red()) / 10, (colour.green() + 9 * base.green()) / 10,
                  (colour.blue() + 9 * base.blue()) / 10);
}

// How near a column border the pointer grabs it, and the narrowest a column can be dragged to
// (the last column keeps that much room too).
constexpr int BorderGrip = 3;
constexpr int NarrowestColumn = 12;

}  // namespace

// Draws the red and fixed cells and gives the grid its line editor. The editor writes into the
// cell itself at every keystroke, so the delegate never writes editor data back.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        // The cell always holds exactly what the editor shows, and a saved file what the cell holds.
        TakeByteTextOnly(*editor);
        m_grid->EditorCreated(editor, index);
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        // Rewriting an unchanged text would move the user's cursor to the end.
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text) line->setText(text);
    }

    void setModelData(QWidget* /*editor*/, QAbstractItemModel* /*model*/,
                      const QModelIndex& /*index*/) const override {}

    // A cell whose text is cut shows it whole in its tooltip, and a cell's note below it; a cell
    // that shows all and has no note has none.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget* widget = cell.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect textArea = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
        // The margin the style leaves on each side of an item's text.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        QStringList tip;
        if (cell.fontMetrics.horizontalAdvance(cell.text) > textArea.width() - 2 * margin) tip << cell.text;
        const QString note = index.data(Qt::ToolTipRole).toString();
        if (!note.isEmpty()) tip << note;
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QToolTip::showText(event->globalPos(), PlainToolTip(tip.join(QLatin1Char('\n'))), view->viewport(),
                           option.rect);
        return true;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!(option.state & QStyle::State_Selected) || index.column() < m_grid->FixedCols() ||
            !m_grid->IsDrawnRed(index.column(), index.row()))
            return;
        // A selected row is edged as a whole: its inner cells only above and below.
        const QRect edge = option.rect.adjusted(1, 1, -1, -1);
        const bool rows = m_grid->RowSelect();
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
        painter->drawLine(edge.topLeft(), edge.topRight());
        painter->drawLine(edge.bottomLeft(), edge.bottomRight());
        if (!rows || index.column() == m_grid->FixedCols()) painter->drawLine(edge.topLeft(), edge.bottomLeft());
        if (!rows || index.column() == m_grid->columnCount() - 1) painter->drawLine(edge.topRight(), edge.bottomRight());
        painter->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() < m_grid->FixedCols()) {
            option->backgroundBrush = option->palette.button();
            option->state &= ~QStyle::State_Selected;
        }
        if (m_grid->IsDrawnRed(index.column(), index.row())) {
            option->palette.setColor(QPalette::Text, RedText);
            option->palette.setColor(QPalette::HighlightedText, RedText);
            // Red is hard to read on the strong selection colour: a selected red value lies on a
            // pale tint of it, nearly as readable as on a plain cell, edged in the selection colour
            // (see paint) and bold.
            if (option->state & QStyle::State_Selected) {
                option->palette.setColor(QPalette::Highlight, PaleTint(option->palette.color(QPalette::Highlight),
                                                                       option->palette.color(QPalette::Base)));
                option->font.setBold(true);
            }
        }
    }

    // The handlers the grid's signals run may show a box, during which the editor can be closed
    // and deleted. What would show a dialog is therefore queued, and an event whose editor is gone
    // by the time its handler returns is consumed here rather than delivered to it.
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object != m_grid->m_editor) return QStyledItemDelegate::eventFilter(object, event);
        const QPointer<QObject> editor(object);
        switch (event->type()) {
            case QEvent::KeyPress: {
                const bool handled = m_grid->EditorKeyPress(static_cast<QKeyEvent*>(event));
                return handled || !editor;
            }
            case QEvent::MouseButtonDblClick:
                // The editor takes its double-click (it selects a word) before the grid reports it.
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                    m_grid->ReportDoubleClickLater();
                return false;
            case QEvent::ContextMenu:
                // A right click on the editor is one on its cell: the grid's menu, never the editor's.
                if (m_grid->contextMenuPolicy() != Qt::CustomContextMenu) return false;
                m_grid->RequestContextMenuLater(m_grid->m_editor->mapTo(
                    m_grid->viewport(), static_cast<QContextMenuEvent*>(event)->pos()));
                return true;
            case QEvent::FocusIn:
                m_grid->EnterFocus();
                return !editor;
            case QEvent::FocusOut:
                // Focus moving to the grid itself (a click on another cell) keeps the editor open,
                // so the move that follows still sees the edit in progress.
                if (m_grid->Contains(QApplication::focusWidget())) return false;
                if (!m_grid->EditorFocusOut()) return !editor;
                return QStyledItemDelegate::eventFilter(object, event);
            default:
                return QStyledItemDelegate::eventFilter(object, event);
        }
    }

private:
    StringGrid* m_grid;
};

// Routes every change of the current index, whoever asks for it, through the grid.
class GridSelectionModel : public QItemSelectionModel {
public:
    GridSelectionModel(QAbstractItemModel* model, StringGrid* grid)
        : QItemSelectionModel(model, grid), m_grid(grid) {}

    // The grid is going away: its base classes may still reset the model, and those calls must
    // no longer reach the grid's own code.
    void Detach() { m_grid = nullptr; }

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override {
        if (m_grid)
            m_grid->MoveCurrent(index);
        else
            QItemSelectionModel::setCurrentIndex(index, command);
    }
    void clear() override {
        QItemSelectionModel::clear();
        if (m_grid) m_grid->EnsureCurrentCell();
    }
    void reset() override {
        QItemSelectionModel::reset();
        if (m_grid) m_grid->EnsureCurrentCell();
    }
    void clearCurrentIndex() override {
        QItemSelectionModel::clearCurrentIndex();
        if (m_grid) m_grid->EnsureCurrentCell();
    }

    // The move itself: the current cell becomes the selection.
    void MoveTo(const QModelIndex& index) {
        SelectionFlags command = ClearAndSelect;
        if (m_grid->RowSelect()) command |= Rows;
        QItemSelectionModel::setCurrentIndex(index, command);
    }

private:
    StringGrid* m_grid;
};

StringGrid::StringGrid(QWidget* parent)
    : QTableWidget(parent), m_delegate(new GridDelegate(this)), m_selection(nullptr) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setMinimumSectionSize(1);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerItem);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    viewport()->setMouseTracking(true);  // the pointer shows where a column border can be dragged
    setEditTriggers(SelectedClicked | EditKeyPressed | AnyKeyPressed);
    setItemDelegate(m_delegate);

    QItemSelectionModel* previous = selectionModel();
    m_selection = new GridSelectionModel(model(), this);
    setSelectionModel(m_selection);
    delete previous;

    connect(model(), &QAbstractItemModel::rowsInserted, this, &StringGrid::EnsureCurrentCell);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &StringGrid::EnsureCurrentCell);
    connect(model(), &QAbstractItemModel::columnsInserted, this, &StringGrid::EnsureCurrentCell);
    connect(model(), &QAbstractItemModel::columnsRemoved, this, &StringGrid::EnsureCurrentCell);
    connect(model(), &QAbstractItemModel::modelReset, this, &StringGrid::EnsureCurrentCell);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col) {
        if (col + 1 < columnCount()) FitLastColumn();
    });
}

StringGrid::~StringGrid() {
    m_selection->Detach();
    disconnect(model(), nullptr, this, nullptr);
    // An editor still open goes with the viewport, after this grid's own members: on its way it
    // no longer reports to the grid.
    if (m_editor) m_editor->removeEventFilter(m_delegate);
}

void StringGrid::SetRowCount(int count) {
    const QSignalBlocker blocker(this);
    setRowCount(std::max(1, count));
    EnsureCurrentCell();
    UpdateScrollRange();
}

void StringGrid::SetColCount(int count) {
    const QSignalBlocker blocker(this);
    setColumnCount(std::max(1, count));
    EnsureCurrentCell();
    UpdateScrollRange();
    FitLastColumn();
}

// Qt lays out added or removed rows later; the top row and scrolling must reflect them at once.
void StringGrid::UpdateScrollRange() {
    executeDelayedItemsLayout();
    updateGeometries();
}

void StringGrid::CheckCell(int col, int row) const {
    if (col < 0 || col >= columnCount() || row < 0 || row >= rowCount())
        throw IniError("Grid index out of range");
}

QTableWidgetItem* StringGrid::ItemForWriting(int col, int row) {
    if (QTableWidgetItem* existing = item(row, col)) return existing;
    setItem(row, col, new QTableWidgetItem());
    return item(row, col);
}

std::string StringGrid::Cells(int col, int row) const {
    CheckCell(col, row);
    const QTableWidgetItem* cell = item(row, col);
    return cell ? ToBytes(cell->text()) : std::string();
}

void StringGrid::SetCells(int col, int row, const std::string& text) {
    CheckCell(col, row);
    const QSignalBlocker blocker(this);
    ItemForWriting(col, row)->setText(ToQString(text));
}

bool StringGrid::RedMarked(int col, int row) const {
    CheckCell(col, row);
    const QTableWidgetItem* cell = item(row, col);
    return cell && cell->data(Qt::UserRole).toBool();
}

void StringGrid::SetRedMarked(int col, int row, bool red) {
    CheckCell(col, row);
    if (!red && !item(row, col)) return;
    const QSignalBlocker blocker(this);
    ItemForWriting(col, row)->setData(Qt::UserRole, red);
}

std::string StringGrid::Tip(int col, int row) const {
    CheckCell(col, row);
    const QTableWidgetItem* cell = item(row, col);
    return cell ? ToBytes(cell->toolTip()) : std::string();
}

void StringGrid::SetTip(int col, int row, const std::string& text) {
    CheckCell(col, row);
    if (text.empty() && !item(row, col)) return;
    const QSignalBlocker blocker(this);
    ItemForWriting(col, row)->setToolTip(ToQString(text));
}

bool StringGrid::IsMarkedMisfit(int col, int row) const {
    CheckCell(col, row);
    const QTableWidgetItem* cell = item(row, col);
    return cell && !cell->data(Qt::DecorationRole).isNull();
}

void StringGrid::SetMisfitMark(int col, int row, bool marked) {
    if (marked == IsMarkedMisfit(col, row)) return;
    const QSignalBlocker blocker(this);
    ItemForWriting(col, row)->setData(Qt::DecorationRole, marked ? QVariant(MisfitIcon()) : QVariant());
}

QColor StringGrid::Shade(int col, int row) const {
    CheckCell(col, row);
    const QTableWidgetItem* cell = item(row, col);
    return cell && cell->background().style() != Qt::NoBrush ? cell->background().color() : QColor();
}

void StringGrid::SetShade(int col, int row, const QColor& colour) {
    CheckCell(col, row);
    if (!colour.isValid() && !item(row, col)) return;
    const QSignalBlocker blocker(this);
    ItemForWriting(col, row)->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
}

std::vector<std::string> StringGrid::ColumnTexts(int col) const {
    CheckCell(col, 0);
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row) texts.push_back(Cells(col, row));
    return texts;
}

int StringGrid::Row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : 0;
}

int StringGrid::Col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_fixedCols;
}

void StringGrid::SetCurrentCell(int col, int row) {
    if (col < m_fixedCols || col >= columnCount() || row < 0 || row >= rowCount())
        throw IniError("Grid index out of range");
    MoveCurrent(model()->index(row, col));
}

void StringGrid::MoveCurrent(const QModelIndex& index) {
    if (!index.isValid() || index.column() < m_fixedCols) return;
    if (index == currentIndex()) {
        m_selection->MoveTo(index);  // keeps the selection on the current cell
        return;
    }
    const QPersistentModelIndex target(index);
    emit selectCell(index.column(), index.row());
    if (!target.isValid()) return;
    m_selection->MoveTo(target);  // the view closes an open editor here
    emit selectionChangedByUserOrCode();
}

void StringGrid::MoveCurrentSilently(const QModelIndex& index) {
    m_selection->MoveTo(index);
}

void StringGrid::EnsureCurrentCell() {
    if (!m_selection || rowCount() == 0 || columnCount() <= m_fixedCols) return;
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? std::clamp(current.row(), 0, rowCount() - 1) : 0;
    const int col =
        current.isValid() ? std::clamp(current.column(), m_fixedCols, columnCount() - 1) : m_fixedCols;
    MoveCurrentSilently(model()->index(row, col));
}

int StringGrid::TopRow() const {
    return verticalScrollBar()->value();
}

void StringGrid::SetTopRow(int row) {
    UpdateScrollRange();
    verticalScrollBar()->setValue(std::max(0, row));
}

int StringGrid::VisibleRowCount() const {
    const int height = viewport()->height();
    int used = 0;
    int count = 0;
    for (int row = TopRow(); row < rowCount(); ++row) {
        used += rowHeight(row);
        if (used > height) break;
        ++count;
    }
    return count;
}

bool StringGrid::IsEditorOpen() const {
    return m_editor && m_editorIndex.isValid() && state() == EditingState;
}

void StringGrid::OpenEditor() {
    if (!IsEditorOpen()) edit(currentIndex(), AllEditTriggers, nullptr);
}

void StringGrid::CloseEditor() {
    if (IsEditorOpen()) closeEditor(m_editor, QAbstractItemDelegate::NoHint);
}

void StringGrid::SetFixedCols(int count) {
    m_fixedCols = std::max(0, count);
    EnsureCurrentCell();
    viewport()->update();
}

bool StringGrid::RowSelect() const {
    return selectionBehavior() == SelectRows;
}

void StringGrid::SetRowSelect(bool on) {
    setSelectionBehavior(on ? SelectRows : SelectItems);
    EnsureCurrentCell();
}

void StringGrid::SetStretchLastCol(bool on) {
    m_stretchLastCol = on;
    FitLastColumn();
}

// Runs whenever the visible area changes, a scroll bar coming or going included.
void StringGrid::updateGeometries() {
    QTableWidget::updateGeometries();
    FitLastColumn();
}

void StringGrid::FitLastColumn() {
    if (!m_stretchLastCol || columnCount() < 1) return;
    const int last = columnCount() - 1;
    int others = 0;
    for (int col = 0; col < last; ++col) others += columnWidth(col);
    const int width = std::max(NarrowestColumn, viewport()->width() - others);
    if (columnWidth(last) != width) setColumnWidth(last, width);
}

void StringGrid::SetRedMarkWholeRow(bool on) {
    m_redMarkWholeRow = on;
    viewport()->update();
}

bool StringGrid::IsDrawnRed(int col, int row) const {
    if (col < 0 || col >= columnCount() || row < 0 || row >= rowCount()) return false;
    const int markCol = m_redMarkWholeRow ? 0 : col;
    const QTableWidgetItem* cell = item(row, markCol);
    return cell && cell->data(Qt::UserRole).toBool();
}

bool StringGrid::Contains(const QWidget* widget) const {
    return widget && (widget == this || isAncestorOf(widget));
}

void StringGrid::EnterFocus() {
    if (m_focusWithin) return;
    m_focusWithin = true;
    emit focusEntered();
}

void StringGrid::LeaveFocus() {
    if (!m_focusWithin) return;
    m_focusWithin = false;
    emit focusLeft();
}

// Tab leaves the grid for the next control of the window, as it does when no editor is open.
void StringGrid::FocusNeighbour(bool next) {
    for (QWidget* widget = next ? nextInFocusChain() : previousInFocusChain(); widget && widget != this;
         widget = next ? widget->nextInFocusChain() : widget->previousInFocusChain()) {
        if (Contains(widget) || widget->window() != window()) continue;
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled()) {
            widget->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

bool StringGrid::event(QEvent* event) {
    // Keys the editor passes on reach the grid too; they were reported by the editor already.
    if (event->type() != QEvent::KeyPress || (m_editor && m_editor->hasFocus()))
        return QTableWidget::event(event);
    emit keyPressed(static_cast<QKeyEvent*>(event)->key());
    const QEvent* outer = m_keyInGrid;
    m_keyInGrid = event;
    const bool handled = QTableWidget::event(event);
    m_keyInGrid = outer;
    return handled;
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !IsEditorOpen() && Col() == m_editableCol) {
        OpenEditor();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

// Only the left button selects; the right one is left to the context menu. A press on a column
// border starts dragging it and selects nothing.
void StringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_draggedBorder = BorderColumnAt(event->position().toPoint().x());
    if (m_draggedBorder >= 0) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_draggedBorder >= 0) {
        if (event->button() == Qt::LeftButton) m_draggedBorder = -1;
        event->accept();
        return;
    }
    QTableWidget::mouseReleaseEvent(event);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    if (m_draggedBorder >= 0) {
        ResizeColumnByUser(m_draggedBorder, x - columnViewportPosition(m_draggedBorder));
        event->accept();
        return;
    }
    if (event->buttons() == Qt::NoButton) {
        if (BorderColumnAt(x) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
    QTableWidget::mouseMoveEvent(event);
}

// A double-click on a column border fits the column to its texts; it is no double-click on a cell.
void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const int border = BorderColumnAt(event->position().toPoint().x());
    if (border >= 0) {
        ResizeColumnByUser(border, sizeHintForColumn(border));
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
    emit gridDoubleClicked();
}

int StringGrid::BorderColumnAt(int x) const {
    for (int col = m_fixedCols; col + 1 < columnCount(); ++col) {
        const int border = columnViewportPosition(col) + columnWidth(col);
        if (std::abs(x - border) <= BorderGrip) return col;
    }
    return -1;
}

void StringGrid::ResizeColumnByUser(int col, int width) {
    int others = 0;
    for (int c = 0; c + 1 < columnCount(); ++c)
        if (c != col) others += columnWidth(c);
    const int widest = std::max(NarrowestColumn, viewport()->width() - others - NarrowestColumn);
    setColumnWidth(col, std::clamp(width, NarrowestColumn, widest));
}

void StringGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    const int sideways = horizontalScrollBar()->value();
    QTableWidget::scrollTo(index, hint);
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) horizontalScrollBar()->setValue(sideways);
}

void StringGrid::focusInEvent(QFocusEvent* event) {
    QTableWidget::focusInEvent(event);
    EnterFocus();
    // An editor kept open through a click on the grid takes the keys again.
    if (IsEditorOpen() && m_editor->isVisible()) m_editor->setFocus(Qt::OtherFocusReason);
}

void StringGrid::focusOutEvent(QFocusEvent* event) {
    QTableWidget::focusOutEvent(event);
    if (!Contains(QApplication::focusWidget())) LeaveFocus();
}

bool StringGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid() || index.column() != m_editableCol || index != currentIndex()) return false;
    if (!IsEditorOpen()) emit editorOpening(index.column(), index.row());
    return QTableWidget::edit(index, trigger, event);
}

void StringGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == m_editor) {
        m_editor = nullptr;
        m_editorIndex = QPersistentModelIndex();
    }
    // The grid never moves on to another cell by itself when an edit ends.
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::NoHint;
    QTableWidget::closeEditor(editor, hint);
}

void StringGrid::keyboardSearch(const QString& search) {
    if (m_typeAheadCol < 0 || m_typeAheadCol >= ColCount() || search.isEmpty()) return;
    const bool continued = m_typedAheadTime.isValid() &&
                           m_typedAheadTime.elapsed() < QApplication::keyboardInputInterval();
    m_typedAhead = continued ? m_typedAhead + search : search;
    m_typedAheadTime.start();
    const std::string typed = ToBytes(m_typedAhead);
    for (int row = 0; row < RowCount(); ++row) {
        if (isRowHidden(row)) continue;
        const std::string text = Cells(m_typeAheadCol, row);
        if (text.size() >= typed.size() && EqualsNoCase(std::string_view(text).substr(0, typed.size()), typed)) {
            SetRow(row);
            return;
        }
    }
}

void StringGrid::setSelection(const QRect& /*rect*/, QItemSelectionModel::SelectionFlags /*command*/) {}

QItemSelectionModel::SelectionFlags StringGrid::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* /*event*/) const {
    if (!index.isValid()) return QItemSelectionModel::NoUpdate;
    QItemSelectionModel::SelectionFlags command = QItemSelectionModel::ClearAndSelect;
    if (RowSelect()) command |= QItemSelectionModel::Rows;
    return command;
}

void StringGrid::EditorCreated(QLineEdit* editor, const QModelIndex& index) {
    m_editor = editor;
    m_editorIndex = index;
    connect(editor, &QLineEdit::textEdited, this, &StringGrid::EditorTextEdited);
}

void StringGrid::EditorTextEdited(const QString& text) {
    if (!m_editorIndex.isValid()) return;
    const QSignalBlocker blocker(this);
    ItemForWriting(m_editorIndex.column(), m_editorIndex.row())->setText(text);
}

bool StringGrid::EditorKeyPress(QKeyEvent* event) {
    // A key that opened the editor is sent on to it; it was reported by the grid already.
    if (event != m_keyInGrid) emit keyPressed(event->key());
    if (!IsEditorOpen()) return true;
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            CloseEditor();
            return true;
        case Qt::Key_Tab:
            FocusNeighbour(!(event->modifiers() & Qt::ShiftModifier));
            return true;
        case Qt::Key_Backtab:
            FocusNeighbour(false);
            return true;
        default:
            return false;  // the editor handles it; what it ignores goes on to the grid
    }
}

void StringGrid::ReportDoubleClickLater() {
    QMetaObject::invokeMethod(this, &StringGrid::gridDoubleClicked, Qt::QueuedConnection);
}

void StringGrid::RequestContextMenuLater(QPoint inViewport) {
    QMetaObject::invokeMethod(
        this, [this, inViewport] { emit customContextMenuRequested(inViewport); }, Qt::QueuedConnection);
}

bool StringGrid::EditorFocusOut() {
    QLineEdit* editor = m_editor;
    LeaveFocus();
    return editor && m_editor == editor;
}

}  // namespace velmora
