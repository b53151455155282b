// SPDX-License-Identifier: GPL-3.0-or-later
// Value editing in the category window: committing a value cell into the document, Escape, the
// keys of the value grid and the value choice dialog.
//
// The cell editor writes every keystroke into the cell, so the cell always holds what the user
// sees; typing alone never reaches the document. A value is written only when it is committed:
// before the current cell moves, when the grid loses the focus, on Enter (each with the editor
// open) and after the dialog's OK.

#include <QDialog>
#include <QLabel>
#include <QScopedValueRollback>
#include <optional>

#include "core/entries/EntryOperations.h"
#include "gui/category/CategoryWindow.h"
#include "core/choice/ChoiceLists.h"
#include "gui/dialogs/ValueChoiceDialog.h"
#include "gui/table/BalanceTableView.h"
#include "gui/table/TableSwitch.h"
#include "core/settings/Globals.h"
#include "gui/widgets/QtText.h"
#include "core/store/Routines.h"
#include "gui/widgets/StringGrid.h"
#include "core/catalogue/Workspace.h"
#include "gui/services/WindowHost.h"
#include "core/store/IniError.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "core/values/LiveValueCheck.h"
#include "ui_CategoryWindow.h"

namespace velmora {

namespace {

// The value a cell is compared with and put back to: the entry's stored value as the filling of
// the value column shows it. Without an entry (a category without entries) that is nothing,
// whatever the document holds.
std::string StoredValue(const IniStore& document, const std::string& code, const std::string& key) {
    return code.empty() ? std::string() : document.ReadString(code, key, "");
}

}  // namespace

void CategoryWindow::ValueCellMoving(int /*col*/, int /*row*/) {
    CommitOpenEdit();
}

void CategoryWindow::ValueGridLeft() {
    CommitOpenEdit();
    RememberPageRow();
}

void CategoryWindow::CommitOpenEdit() {
    if (ui->ValueGrid->IsEditorOpen()) CommitValueEdit();
    if (m_tableSwitch != nullptr && m_tableSwitch->Table() != nullptr) m_tableSwitch->Table()->CommitOpenEdit();
}

void CategoryWindow::FormKeyPress(int Key) {
    switch (Key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // With the editor closed, Enter only opens it (the grid does that).
            if (ui->ValueGrid->IsEditorOpen()) CommitValueEdit();
            break;
        case Qt::Key_Escape:
            CancelValueEdit();
            break;
        default:
            break;
    }
}

void CategoryWindow::CommitValueEdit() {
    StringGrid& grid = *ui->ValueGrid;
    const StringGrid& entries = *ui->EntryGrid;
    const int row = grid.Row();
    const std::string key = grid.Cells(KeyCol, row);
    const std::string cell = grid.Cells(ValueCol, row);
    const std::string value = StorableValue(cell);
    const std::string code = ToBytes(ui->Label2->text());
    const std::string stored = StoredValue(DocumentStore(), code, key);
    if (value == stored) {
        // Blanks typed at the ends change nothing a saved file would keep.
        if (cell != stored) grid.SetCells(ValueCol, row, stored);
        return;
    }

    // Without an entry (a category without entries shows one empty row) or without a key (a page
    // line without "="), a write would add a nameless section at the end of the document or a
    // nameless line to the entry: the cell shows the stored value again instead.
    const std::string entryCode = entries.Cells(EntryCodeCol, entries.Row());
    if (entryCode.empty() || key.empty()) {
        grid.SetCells(ValueCol, row, stored);
        return;
    }

    // Every view, this one included, shows the value from the document's news. The write comes
    // before anything that may show a box (a bad picture file): a commit that runs again
    // meanwhile, when the grid loses the focus to that box, then finds nothing to write.
    bool written = false;
    try {
        written = m_main.Work().Doc().SetValue(entryCode, key, value, m_categoryName);
    } catch (const IniError&) {
        // A refused value (too long a name, a control byte) must not stay on show as if stored.
        grid.SetCells(ValueCol, row, stored);
        throw;
    }
    if (written) NoteCommittedValue(entryCode, key);
}

void CategoryWindow::ShowStoredValueIfStale(int Row) {
    const StringGrid& grid = *ui->ValueGrid;
    const StringGrid& entries = *ui->EntryGrid;
    const std::string code = entries.Cells(EntryCodeCol, entries.Row());
    if (Row < 0 || Row >= grid.RowCount()) return;
    if (grid.Cells(ValueCol, Row) != StoredValue(DocumentStore(), code, grid.Cells(KeyCol, Row))) {
        if (code.empty())
            ui->ValueGrid->SetCells(ValueCol, Row, std::string());
        else
            ShowStoredValue(Row, code);
    }
}

void CategoryWindow::ShowValueChange(const std::string& Code, const std::string& Key) {
    // A change of the category's own list, or of a line without a key name, which no row shows.
    if (Key.empty() || NamesEqual(Code, m_categoryName, m_globals.CaseSensitive)) {
        ShowEntriesAfresh();
        return;
    }
    // A key no page lists may have come to the category's entries, or gone from them.
    if (m_pageKeys.count(FoldCase(Key)) == 0) RefreshOtherKeysSoon();
    StringGrid& entries = *ui->EntryGrid;
    const StringGrid& grid = *ui->ValueGrid;
    // What the document now holds is shown, as it reads back: text from a ";" on is the line's
    // comment.
    const std::string written = DocumentStore().ReadString(Code, Key, "");
    const std::string upperKey = FoldCase(Key);
    const bool isName = upperKey == "NAME";
    const bool isImage = upperKey == "IMAGE";
    // An entry listed more than once shows on each of its rows.
    if (isName || isImage)
        for (int entryRow = 0; entryRow < entries.RowCount(); ++entryRow) {
            if (!NamesEqual(entries.Cells(EntryCodeCol, entryRow), Code, m_globals.CaseSensitive)) continue;
            if (isName)
                entries.SetCells(EntryNameCol, entryRow, DocumentStore().ReadString(Code, "Name", "-"));
            else
                ChangeTheImage(entryRow, written);
        }

    if (!NamesEqual(entries.Cells(EntryCodeCol, entries.Row()), Code, m_globals.CaseSensitive)) return;
    // Another row of the page may show the same key, spelt in other letters: both read one line.
    for (int row = 0; row < grid.RowCount(); ++row)
        if (EqualsNoCase(grid.Cells(KeyCol, row), Key)) ShowStoredValue(row, Code);
    if (isName) {
        ui->Label3->setText(ToQString(entries.Cells(EntryNameCol, entries.Row())));
        if (MemoSource == &entries) {
            MemoSource = nullptr;
            RefreshMemo(&entries);
        }
    }
    if (isImage) ShowTheImage();
}

void CategoryWindow::CancelValueEdit() {
    StringGrid& grid = *ui->ValueGrid;
    const int row = grid.Row();
    const std::string stored =
        StoredValue(DocumentStore(), ToBytes(ui->Label2->text()), grid.Cells(KeyCol, row));
    if (grid.Cells(ValueCol, row) != stored) grid.SetCells(ValueCol, row, stored);
}

void CategoryWindow::DoubleClickValueGrid() {
    if (m_choosing) return;
    const QScopedValueRollback<bool> choosing(m_choosing, true);
    const StringGrid& grid = *ui->ValueGrid;
    const size_t row = static_cast<size_t>(grid.Row());
    const std::string description = row < KeyDescriptions.size() ? KeyDescriptions[row] : std::string();
    const std::optional<std::string> sources = ValueSourcesOf(description);
    const std::string key = grid.Cells(KeyCol, grid.Row());
    // A key without sources still offers what its kind of value allows: "yes" and "no".
    std::vector<std::string> kindValues =
        sources ? std::vector<std::string>() : KindChoices(m_main.Values().KindIn(m_categoryName, key));
    if (!sources && kindValues.empty() && !m_globals.AllowedShowAll) return;

    // One dialog for this use, gone when the operation ends, however it ends.
    ValueChoiceDialog dialog(this);
    const StringGrid& entries = *ui->EntryGrid;
    dialog.PrepareFor(sources.value_or(std::string()), grid.Cells(ValueCol, grid.Row()), key,
                      entries.Cells(EntryCodeCol, entries.Row()), entries.ColumnTexts(EntryCodeCol),
                      m_main.Work(), m_boxes, std::move(kindValues));
    if (dialog.exec() != QDialog::Accepted) return;
    InterpretModalResult(dialog.ChosenValue());
}

void CategoryWindow::ValueGridContextMenu(const QPoint& MousePos) {
    StringGrid& grid = *ui->ValueGrid;
    // A request on no row (below the last one, or from the keyboard) is for the current row.
    const int row = grid.rowAt(MousePos.y());
    if (row >= 0 && row != grid.Row()) grid.SetRow(row);  // commits an open edit, closes the editor
    // On the row being edited too: the dialog opens on the text typed so far.
    DoubleClickValueGrid();
}

void CategoryWindow::InterpretModalResult(const std::string& Text) {
    StringGrid& grid = *ui->ValueGrid;
    const int row = grid.Row();
    if (Text.empty() || Text == grid.Cells(ValueCol, row)) return;
    grid.SetCells(ValueCol, row, Text);
    CommitValueEdit();
}

}  // namespace velmora
