// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QPointer>
#include <QTableWidget>
#include <string>
#include <vector>

class QLineEdit;

namespace velmora {

class GridDelegate;
class GridSelectionModel;

// The grid of texts every window of the program shows: the category grid of the main window, the
// entry list and the value grid of a category window. Cells hold byte texts (Latin-1 at the widget)
// and one mark each, red or not; what belongs to a row besides (an entry's pictures) its window
// keeps, by row. Indexes are (column, row), column first.
//
// There is always exactly one current cell, and it is the selection (the whole row with
// `rowSelect`). Moving it, by a click, a key or code, runs the same steps: `selectCell` while the
// old cell is still current (and its editor still open), then the move (which closes the editor),
// then `selectionChangedByUserOrCode`. A move to the cell that is already current runs nothing.
// Columns below `fixedCols` are never current; only `editableCol` can be edited in place.
//
// Use the signals below, not QTableWidget's current-cell and selection signals, which this grid
// does not drive. Handlers run inside Qt's event handling and must not let an exception out.
//
// A text too long for its cell ends in "…" and shows whole in the cell's tooltip. The border
// between two columns can be dragged (a double-click on it fits the left column to its texts);
// with `stretchLastCol` the last column takes the room that is left. A grid without a horizontal
// scroll bar never scrolls sideways, so its first columns stay in view whatever cell is current.
class StringGrid : public QTableWidget {
    Q_OBJECT
    Q_PROPERTY(int fixedCols READ FixedCols WRITE SetFixedCols)
    Q_PROPERTY(int editableCol READ EditableCol WRITE SetEditableCol)
    Q_PROPERTY(bool rowSelect READ RowSelect WRITE SetRowSelect)
    Q_PROPERTY(bool redMarkWholeRow READ RedMarkWholeRow WRITE SetRedMarkWholeRow)
    Q_PROPERTY(bool stretchLastCol READ StretchLastCol WRITE SetStretchLastCol)

public:
    explicit StringGrid(QWidget* parent = nullptr);
    ~StringGrid() override;

    // Size. A count below 1 gives 1; cells of removed rows are dropped, added rows are empty.
    int RowCount() const { return rowCount(); }
    void SetRowCount(int count);
    int ColCount() const { return columnCount(); }
    void SetColCount(int count);

    // Cell content. An index outside the grid throws IniError("Grid index out of range").
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);
    // The red mark: a marked cell is drawn with red text (see RedMarkWholeRow).
    bool RedMarked(int col, int row) const;
    void SetRedMarked(int col, int row, bool red);
    // A note the cell's tooltip shows, below its whole text when that is cut; empty: none.
    std::string Tip(int col, int row) const;
    void SetTip(int col, int row, const std::string& text);
    // The mark of a value that does not fit its key's kind (MisfitIcon before the text).
    bool IsMarkedMisfit(int col, int row) const;
    void SetMisfitMark(int col, int row, bool marked);
    // The cell's background colour, as a mark of where its value comes from; an invalid colour:
    // the grid's own.
    QColor Shade(int col, int row) const;
    void SetShade(int col, int row, const QColor& colour);
    // The texts of one column, top to bottom.
    std::vector<std::string> ColumnTexts(int col) const;

    // The current cell. Setting it acts like the user's selection (see the class comment); a row
    // or column outside the grid, or a fixed column, throws IniError("Grid index out of range").
    int Row() const;
    int Col() const;
    void SetRow(int row) { SetCurrentCell(Col(), row); }
    void SetCol(int col) { SetCurrentCell(col, Row()); }
    void SetCurrentCell(int col, int row);

    // Scrolling by whole rows. SetTopRow clamps to what the grid can scroll to.
    int TopRow() const;
    void SetTopRow(int row);
    // The rows, from the top row on, that fit fully into the visible area.
    int VisibleRowCount() const;

    // The in-place editor of the current cell. Text typed into it is in the cell at every keystroke
    // (no signal of the grid reports that); closing it keeps the cell as it stands.
    bool IsEditorOpen() const;
    void OpenEditor();
    void CloseEditor();

    // Options, also settable from the forms.
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int count);
    int EditableCol() const { return m_editableCol; }  // -1: no column is editable
    void SetEditableCol(int col) { m_editableCol = col; }
    bool RowSelect() const;
    void SetRowSelect(bool on);
    // On: a red mark in column 0 draws the whole row red. Off: only the marked cell is red.
    bool RedMarkWholeRow() const { return m_redMarkWholeRow; }
    void SetRedMarkWholeRow(bool on);

    // On: the last column takes the width the others leave (and always a sliver).
    bool StretchLastCol() const { return m_stretchLastCol; }
    void SetStretchLastCol(bool on);

    // Type-ahead: letters typed in quick succession select the first shown row whose text in this
    // column starts with them (letter case ignored). -1 (the default): typing selects nothing.
    int TypeAheadCol() const { return m_typeAheadCol; }
    void SetTypeAheadCol(int col) { m_typeAheadCol = col; }

    // Whether the cell is drawn with red text.
    bool IsDrawnRed(int col, int row) const;

    // Scrolls to the cell, never sideways when the grid has no horizontal scroll bar.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    // The current cell is about to move to (col, row); the old cell is still current.
    void selectCell(int col, int row);
    // The current cell has moved.
    void selectionChangedByUserOrCode();
    // The editor may be about to open on (col, row): a window puts the cell right first when what
    // it shows is no longer what it stands for, so that nothing stale is edited and written back.
    void editorOpening(int col, int row);
    // A key pressed in the grid or in its open editor, before either handles it.
    void keyPressed(int key);
    // A double-click with the left button anywhere in the grid or in its editor; from the editor it
    // comes once the event loop runs again. A right click on the editor comes the same way as the
    // grid's customContextMenuRequested (with a custom context-menu policy), and the editor shows
    // no menu of its own.
    void gridDoubleClicked();
    // The input focus came into the grid (or its editor) from elsewhere, or left it. Leaving is
    // reported while the editor is still open, so a pending edit can be committed.
    void focusEntered();
    void focusLeft();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void updateGeometries() override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyboardSearch(const QString& search) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;

private:
    friend class GridDelegate;
    friend class GridSelectionModel;

    // Every change of the current cell comes through here.
    void MoveCurrent(const QModelIndex& index);
    void MoveCurrentSilently(const QModelIndex& index);
    void EnsureCurrentCell();
    void UpdateScrollRange();
    void CheckCell(int col, int row) const;
    QTableWidgetItem* ItemForWriting(int col, int row);
    bool Contains(const QWidget* widget) const;
    void FocusNeighbour(bool next);
    void EnterFocus();
    void LeaveFocus();
    // The column whose right border lies at `x` of the viewport, give or take a few pixels; -1
    // when none there may be dragged (a fixed column's, or the last column's, which is the edge).
    int BorderColumnAt(int x) const;
    // Column `col` made `width` wide, kept within what leaves the last column some room.
    void ResizeColumnByUser(int col, int width);
    void FitLastColumn();

    // The delegate reports its editor's life and events here.
    void EditorCreated(QLineEdit* editor, const QModelIndex& index);
    void EditorTextEdited(const QString& text);
    bool EditorKeyPress(QKeyEvent* event);
    // False: the editor is no longer this grid's (a handler closed it).
    bool EditorFocusOut();
    // What the editor's double-click and right click ask for, once the events that brought them
    // have been delivered (a dialog they open closes the editor).
    void ReportDoubleClickLater();
    void RequestContextMenuLater(QPoint inViewport);

    GridDelegate* m_delegate;
    GridSelectionModel* m_selection;
    QPointer<QLineEdit> m_editor;
    QPersistentModelIndex m_editorIndex;
    const QEvent* m_keyInGrid = nullptr;  // the key event the grid is handling (also sent on to a new editor)
    int m_fixedCols = 0;
    int m_editableCol = -1;
    int m_draggedBorder = -1;  // the column whose right border the user is dragging
    bool m_redMarkWholeRow = false;
    bool m_stretchLastCol = false;
    bool m_focusWithin = false;
    int m_typeAheadCol = -1;
    QString m_typedAhead;  // the letters typed so far, while they follow each other quickly
    QElapsedTimer m_typedAheadTime;
};

}  // namespace velmora
