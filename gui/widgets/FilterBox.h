// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <vector>

class QEvent;
class QFocusEvent;
class QListWidget;

namespace velmora {

class StringGrid;

// The box above a list that narrows its rows to those whose texts contain what is typed (letter
// case ignored); Escape clears it. Rows are hidden, never removed, so a row number still names the
// same entry and every operation acts on the row the user sees selected:
// - as the user types, a selection the filter hides moves to the first row shown (in a grid) or is
//   dropped (in a list);
// - when code selects a row the filter hides, or the list is refilled so that its selection is
//   hidden, the box is cleared and every row shows again.
// While no row passes, `rowsShownChanged(false)` lets the window disable what would act on the
// hidden selection.
class FilterBox : public QLineEdit {
    Q_OBJECT

public:
    // A box placed above the list in the list's layout, filtering by the texts of `columns` (a grid)
    // or by the item texts (a list). `headerRows` layout rows directly above the list belong to it
    // (its headers) and stay with it, below the box. Owned by the list's parent.
    static FilterBox* Above(StringGrid& grid, std::vector<int> columns, int headerRows = 0);
    static FilterBox* Above(QListWidget& list);

    bool AnyRowShown() const { return m_anyShown; }
    // True while the box holds text the user typed since it got the focus: Undo and Redo are then
    // the box's own; otherwise they are the document's (the Edit menu's).
    bool OwnsUndo() const { return m_typedSinceFocus && hasFocus(); }
    // Filters a refilled list now, leaving its selection to the window, which keeps it by what the
    // row shows rather than by its number.
    void ApplyKeepingSelection();
    // The first row shown from `from` on, else before it; -1 when the filter shows none.
    int FirstShownRow(int from) const;

signals:
    void rowsShownChanged(bool any);
    // OwnsUndo changed.
    void undoOwnerChanged();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    FilterBox(QWidget& list, int headerRows);
    void PlaceAbove(QWidget& list, int headerRows);
    void WatchModel();
    // Hides the rows that do not pass. `typing`: the user changed the text (see the class comment).
    // `keepSelection`: the selection is left as it is.
    void Apply(bool typing, bool keepSelection = false);
    void ApplySoon();
    void ClearWhenSelectionHidden();
    std::vector<std::string> RowTexts(int row) const;

    QPointer<StringGrid> m_grid;
    QPointer<QListWidget> m_list;
    std::vector<int> m_columns;
    bool m_anyShown = true;
    bool m_applyPending = false;
    bool m_typedSinceFocus = false;
};

}  // namespace velmora
