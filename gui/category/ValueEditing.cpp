// SPDX-License-Identifier: GPL-3.0-or-later
// Value editing in the value grid: committing a value cell into the document, Escape, the keys of
// the grid and the value choice dialog.

#include <QAction>
#include <QDialog>
#include <QScopedValueRollback>
#include <optional>
#include <utility>

#include "core/catalogue/Workspace.h"
#include "core/choice/ChoiceLists.h"
#include "core/entries/EntryOperations.h"
#include "core/settings/Globals.h"
#include "core/store/IniError.h"
#include "core/store/IniStore.h"
#include "core/session/EditingSession.h"
#include "core/session/DocumentLayers.h"
#include "core/values/LiveValueCheck.h"
#include "gui/category/ValuePages.h"
#include "gui/dialogs/ValueChoiceDialog.h"
#include "gui/widgets/StringGrid.h"

namespace velmora {

// The keyboard's way to the choice dialog.
void ValuePages::AddChooseValueAction() {
    auto* chooseValue = new QAction(QStringLiteral("Pick a value"), &m_grid);  // owned by the grid
    chooseValue->setObjectName(QStringLiteral("ChooseValue"));
    chooseValue->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_F10), QKeySequence(Qt::Key_Menu)});
    chooseValue->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_grid.addAction(chooseValue);
    connect(chooseValue, &QAction::triggered, this, &ValuePages::Guarded<&ValuePages::DoubleClickValueGrid>);
}

void ValuePages::ValueCellMoving(int /*col*/, int /*row*/) {
    CommitOpenEdit();
}

void ValuePages::ValueGridLeft() {
    CommitOpenEdit();
    RememberPageRow();
}

void ValuePages::CommitOpenEdit() {
    if (m_grid.IsEditorOpen()) CommitValueEdit();
}

void ValuePages::FormKeyPress(int Key) {
    switch (Key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // With the editor closed, Enter only opens it (the grid does that).
            if (m_grid.IsEditorOpen()) CommitValueEdit();
            break;
        case Qt::Key_Escape:
            CancelValueEdit();
            break;
        default:
            break;
    }
}

void ValuePages::CommitValueEdit() {
    const int row = m_grid.Row();
    const std::string key = m_grid.Cells(KeyCol, row);
    const std::string cell = m_grid.Cells(ValueCol, row);
    const std::string value = StorableValue(cell);
    const std::string stored = ShownValueOf(key);
    if (value == stored) {
        // Blanks typed at the ends change nothing a saved file would keep.
        if (cell != stored) m_grid.SetCells(ValueCol, row, stored);
        return;
    }

    // Without an entry (a category without entries shows one empty row) or without a key (a page
    // line without "="), a write would add a nameless section at the end of the document or a
    // nameless line to the entry: the cell shows the stored value again instead.
    if (m_code.empty() || key.empty()) {
        m_grid.SetCells(ValueCol, row, stored);
        return;
    }

    // Every view, this one included, shows the value from the document's news. The write comes
    // before anything that may show a box (a bad picture file): a commit that runs again
    // meanwhile, when the grid loses the focus to that box, then finds nothing to write.
    bool written = false;
    const std::string code = m_code;
    try {
        written = m_layers ? m_layers->Write(m_editTarget ? m_editTarget() : 0, code, key, value, m_category)
                           : m_work.Doc().SetValue(code, key, value, m_category);
    } catch (const IniError&) {
        // A refused value (too long a name, a control byte) must not stay on show as if stored.
        m_grid.SetCells(ValueCol, row, stored);
        throw;
    }
    if (written) emit valueCommitted(code, key);
}

void ValuePages::ShowStoredValueIfStale(int Row) {
    if (Row < 0 || Row >= m_grid.RowCount()) return;
    if (m_grid.Cells(ValueCol, Row) != ShownValueOf(m_grid.Cells(KeyCol, Row))) {
        if (m_code.empty())
            m_grid.SetCells(ValueCol, Row, std::string());
        else
            ShowStoredValue(Row);
    }
}

void ValuePages::CancelValueEdit() {
    const int row = m_grid.Row();
    const std::string stored = ShownValueOf(m_grid.Cells(KeyCol, row));
    if (m_grid.Cells(ValueCol, row) != stored) m_grid.SetCells(ValueCol, row, stored);
}

void ValuePages::DoubleClickValueGrid() {
    if (m_choosing) return;
    const QScopedValueRollback<bool> choosing(m_choosing, true);
    const size_t row = static_cast<size_t>(m_grid.Row());
    const std::string description = row < KeyDescriptions.size() ? KeyDescriptions[row] : std::string();
    const std::optional<std::string> sources = ValueSourcesOf(description);
    const std::string key = m_grid.Cells(KeyCol, m_grid.Row());
    // A key without sources still offers what its kind of value allows: "yes" and "no".
    std::vector<std::string> kindValues =
        sources ? std::vector<std::string>() : KindChoices(m_values.KindIn(m_category, key));
    if (!sources && kindValues.empty() && !m_globals.AllowedShowAll) return;

    // One dialog for this use, gone when the operation ends, however it ends.
    ValueChoiceDialog dialog(&m_dialogParent);
    if (m_session) dialog.ListKinds(std::as_const(*m_session).Kinds());
    dialog.PrepareFor(sources.value_or(std::string()), m_grid.Cells(ValueCol, m_grid.Row()), key, m_code,
                      m_entryCodes(), m_work, m_boxes, std::move(kindValues));
    if (dialog.exec() != QDialog::Accepted) return;
    InterpretModalResult(dialog.ChosenValue());
}

void ValuePages::ValueGridContextMenu(const QPoint& MousePos) {
    // A request on no row (below the last one, or from the keyboard) is for the current row.
    const int row = m_grid.rowAt(MousePos.y());
    if (row >= 0 && row != m_grid.Row()) m_grid.SetRow(row);  // commits an open edit, closes the editor
    // On the row being edited too: the dialog opens on the text typed so far.
    DoubleClickValueGrid();
}

void ValuePages::InterpretModalResult(const std::string& Text) {
    const int row = m_grid.Row();
    if (Text.empty() || Text == m_grid.Cells(ValueCol, row)) return;
    m_grid.SetCells(ValueCol, row, Text);
    CommitValueEdit();
}

}  // namespace velmora
