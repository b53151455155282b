// SPDX-License-Identifier: GPL-3.0-or-later
// What the category window shows as the selection or the document changes: the selected entry in
// every part, an edit's value where it shows, the entry an operation leaves selected, the memo and
// which grid's headers are active.

#include <optional>

#include "core/catalogue/Workspace.h"
#include "core/entries/EntryOperations.h"
#include "core/session/DocumentLayers.h"
#include "core/settings/Globals.h"
#include "core/store/IniStore.h"
#include "core/store/TextCase.h"
#include "gui/category/CategoryWindow.h"
#include "gui/category/EntryActions.h"
#include "gui/category/EntryList.h"
#include "gui/category/EntryPictures.h"
#include "gui/category/ValuePages.h"
#include "gui/services/WindowHost.h"
#include "gui/widgets/QtText.h"
#include "ui_CategoryWindow.h"

namespace velmora {

void CategoryWindow::FocusEntryRow(int Row) {
    m_entries->FocusEntryRow(Row);
}

void CategoryWindow::RefillEntryGrid() {
    m_entries->RefillEntryGrid();
    m_pictures->LoadRows(m_entries->Codes(), m_main.Work().Doc().Store());
}

// After an entry operation or a refilling the selected row may still be the row it was (a change
// of code keeps its row, deleting the first row selects the new first row), while the entry on it
// has changed: every part shows it as written now, and so shows no entry that no longer exists.
void CategoryWindow::ShowSelectedEntry() {
    const std::string code = m_entries->SelectedCode();
    if (!code.empty()) m_pictures->ShowTheImage(m_entries->Row());
    m_values->ShowEntry(code);
    GetLabelCodeAndName();
    ShowEntryInMemo();
}

void CategoryWindow::ShowEntriesAfresh() {
    const std::string code = m_entries->SelectedCode();
    const int row = m_entries->Row();
    RefillEntryGrid();
    m_values->RefreshOtherKeys();
    m_entries->SelectAgain(code, row);
    ShowSelectedEntry();
}

void CategoryWindow::ShowValueChange(const std::string& Code, const std::string& Key) {
    // A change of the category's own list, or of a line without a key name, which no row shows.
    if (Key.empty() || NamesEqual(Code, m_categoryName, m_globals.CaseSensitive)) {
        ShowEntriesAfresh();
        return;
    }
    const std::string upperKey = FoldCase(Key);
    const bool isName = upperKey == "NAME";
    const bool isImage = upperKey == "IMAGE";
    // An entry listed more than once shows on each of its rows.
    if (isName) m_entries->ShowNameOf(Code);
    if (isImage) {
        // What the document now holds is shown, as it reads back: text from a ";" on is the line's
        // comment.
        const std::string written = m_main.Work().Doc().Store().ReadString(Code, Key, "");
        for (const int row : m_entries->RowsOfEntry(Code)) m_pictures->ChangeTheImage(row, written);
    }
    m_values->ShowValueChange(Code, Key);

    if (!NamesEqual(m_entries->SelectedCode(), Code, m_globals.CaseSensitive)) return;
    if (isName) {
        GetLabelCodeAndName();
        if (MemoSource == Part::Entries) ShowEntryInMemo();
    }
    if (isImage) m_pictures->ShowTheImage(m_entries->Row());
}

std::string CategoryWindow::SelectedCode() const {
    return m_entries->SelectedCode();
}

bool CategoryWindow::ListsEntry(const std::string& Code) const {
    return m_entries->RowOfEntry(Code) >= 0;
}

int CategoryWindow::PageIndex() const {
    return m_values->PageIndex();
}

void CategoryWindow::ShowPageIndex(int Index) {
    m_values->ShowPageIndex(Index);
}

void CategoryWindow::SelectEntry(const std::string& Code, const std::string& Key) {
    const int row = m_entries->RowOfEntry(Code);
    if (row < 0) return;
    FocusEntryRow(row);
    if (!Key.empty()) m_values->SelectKey(Key);
}

bool CategoryWindow::ShowEntryKey(int EntryRow, const std::string& Key) {
    m_entries->ClearFilter();
    FocusEntryRow(EntryRow);
    return Key.empty() || m_values->ShowKey(Key);
}

void CategoryWindow::GetLabelCodeAndName() {
    ui->Label2->setText(ToQString(m_entries->SelectedCode()));
    ui->Label3->setText(ToQString(m_entries->SelectedName()));
}

void CategoryWindow::ShowEntryInMemo() {
    ShowInMemo(m_entries->SelectedCode() + "\n" + m_entries->SelectedName(), Part::Entries);
}

void CategoryWindow::ShowInMemo(const std::string& text, Part source) {
    MemoSource = source;
    const QString shown = ToQString(text);
    if (ui->Memo1->toPlainText() == shown) return;
    ui->Memo1->clear();
    ui->Memo1->setPlainText(shown);
}

// The headers of the grid that got the focus last are shown active, the other grid's passive.
void CategoryWindow::MakeGridActive(Part grid) {
    if (ActiveGrid == grid) return;
    if (ActiveGrid == Part::Entries) m_entries->ShowHeadersActive(false);
    if (ActiveGrid == Part::Values) m_values->ShowHeaderActive(false);
    ActiveGrid = grid;
    if (grid == Part::Entries) m_entries->ShowHeadersActive(true);
    if (grid == Part::Values) m_values->ShowHeaderActive(true);
}

// ---------------------------------------------------------------------------------------------
// Entry operations: the entry an operation leaves is selected and shown as it now stands.

void CategoryWindow::DuplicateButtonClick() {
    DuplicateOrEditAction(true);
}

void CategoryWindow::EntryGridDoubleClick() {
    DuplicateOrEditAction(false);
}

void CategoryWindow::DuplicateOrEditAction(bool IsDuplicate) {
    m_main.Layers().RefuseAddedEntry(m_entries->SelectedCode());
    const std::optional<std::string> code = m_actions->DuplicateOrChangeCode(
        IsDuplicate, {m_entries->SelectedCode(), m_entries->SelectedName()}, m_entries->Codes());
    if (!code) return;
    FocusEntryRow(IndexOfNoCase(m_entries->Codes(), *code));
    ShowSelectedEntry();
}

void CategoryWindow::DeleteButton() {
    const int row = m_entries->Row();
    m_main.Layers().RefuseAddedEntry(m_entries->SelectedCode());
    if (!m_actions->DeleteEntry(m_entries->SelectedCode(), static_cast<size_t>(m_entries->RowCount()))) return;
    FocusEntryRow(row == 0 ? 0 : row - 1);
    ShowSelectedEntry();
}

}  // namespace velmora
