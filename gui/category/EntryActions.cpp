// SPDX-License-Identifier: GPL-3.0-or-later
// The entry operations of the category window: duplicate, change of code and delete, with their
// questions; the writes themselves are the core's (core/entries/EntryOperations.h).

#include <QSignalBlocker>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "core/entries/EntryOperations.h"
#include "gui/category/CategoryWindow.h"
#include "gui/dialogs/CodeNameDialog.h"
#include "core/boxes/Boxes.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StringGrid.h"
#include "core/catalogue/Workspace.h"
#include "gui/services/WindowHost.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "ui_CategoryWindow.h"

namespace velmora {

// After an entry operation the selected row may still be the row it was (a change of code keeps its
// row, deleting the first row selects the new first row), while the entry on it has changed: the
// value grid, the panel and the memo show it as written now. The memo would otherwise keep the
// code and name of an entry that no longer exists.
void CategoryWindow::ShowEntryAfresh() {
    MemoSource = nullptr;
    ShowSelectedEntry();
}

// The selected entry stays selected by its code wherever its row went, and the filter stays. When
// it is gone, the row it stood on (or the last) is selected, or the first the filter shows.
void CategoryWindow::ShowEntriesAfresh() {
    StringGrid& entries = *ui->EntryGrid;
    const std::string code = entries.Cells(EntryCodeCol, entries.Row());
    const int oldRow = entries.Row();
    RefillEntryGrid();
    RefreshOtherKeys();
    m_entryFilter->ApplyKeepingSelection();
    int row = RowOfEntry(code);
    if (row < 0) row = std::min(oldRow, entries.RowCount() - 1);
    if (entries.isRowHidden(row)) row = m_entryFilter->FirstShownRow(row);
    {
        // The entry is shown afresh below, once.
        const QSignalBlocker blocker(entries);
        if (row >= 0 && row != entries.Row()) entries.SetRow(row);
    }
    ShowEntryAfresh();
}

void CategoryWindow::DuplicateButtonClick() {
    DuplicateOrEditAction(true);
}

void CategoryWindow::EntryGridDoubleClick() {
    DuplicateOrEditAction(false);
}

void CategoryWindow::DuplicateOrEditAction(bool IsDuplicate) {
    // The dialog serves this one operation and goes with it, whichever way the operation ends.
    const auto dialog = std::make_unique<CodeNameDialog>(this);
    std::string NewCode;
    std::string NewName;
    if (!AskCodeAndName(*dialog, IsDuplicate, NewCode, NewName)) return;

    const std::string OldCode = ToBytes(ui->Label2->text());
    EntryOperations operations(m_main.Work(), m_categoryName, CategoryKind);
    std::vector<LineRewrite> references;
    if (!IsDuplicate) {
        const std::optional<std::vector<LineRewrite>> chosen =
            AskReferences(operations.ReferenceRewrites(OldCode, NewCode), OldCode, NewCode);
        if (!chosen) return;
        references = *chosen;
    }
    operations.DuplicateOrChangeCode(OldCode, NewCode, NewName, IsDuplicate, references);
    FocusEntryRow(IndexOfNoCase(ui->EntryGrid->ColumnTexts(EntryCodeCol), NewCode));
    ShowEntryAfresh();
}

// The references are rewritten on Yes; the other lines naming the code are listed as not changed,
// each with a box that includes it. None on Cancel.
std::optional<std::vector<LineRewrite>> CategoryWindow::AskReferences(CodeChangeRewrites Rewrites,
                                                                      const std::string& OldCode,
                                                                      const std::string& NewCode) {
    std::vector<LineRewrite>& chosen = Rewrites.References;
    if (chosen.empty() && Rewrites.Others.empty()) return chosen;
    const std::string question = ChangeReferencesQuestion(chosen.size(), OldCode, NewCode);
    std::vector<std::string> choices;
    for (const LineRewrite& other : Rewrites.Others) choices.push_back(NotChangedText(other));
    std::vector<bool> ticked;
    const BoxAnswer answer =
        choices.empty() ? m_boxes.Confirm(question) : m_boxes.ConfirmWithChoices(question, choices, ticked);
    if (answer == BoxAnswer::Cancel) return std::nullopt;
    if (answer != BoxAnswer::Yes) return std::vector<LineRewrite>();
    for (size_t i = 0; i < ticked.size() && i < Rewrites.Others.size(); ++i)
        if (ticked[i]) chosen.push_back(Rewrites.Others[i]);
    return chosen;
}

bool CategoryWindow::AskCodeAndName(CodeNameDialog& Dialog, bool IsDuplicate, std::string& NewCode,
                                    std::string& NewName) {
    const std::string code = ToBytes(ui->Label2->text());
    const std::string name = ToBytes(ui->Label3->text());
    const EntryOperations operations(m_main.Work(), m_categoryName, CategoryKind);
    const std::vector<std::string> entryCodes = ui->EntryGrid->ColumnTexts(EntryCodeCol);

    // A refusal asks again with what the user typed, and a change of code is warned about again.
    CodeAndName proposal = IsDuplicate ? operations.DuplicateProposal(code, name, entryCodes) : CodeAndName{code, name};
    // The name as it started, which the name's limit is measured from.
    const std::string startName = proposal.Name;
    for (;;) {
        if (IsDuplicate) {
            Dialog.SetCaption("Duplicate " + code + "/" + name);
        } else {
            m_boxes.Notice(ChangeCodeWarning());
            Dialog.SetCaption("EDIT CODE");
        }
        Dialog.SetCode(proposal.Code);
        Dialog.SetName(proposal.Name);
        // An entry without a name gets none, so there is nothing to type.
        Dialog.SetNameEnabled(DocumentStore().ValueExists(code, "Name"));

        if (Dialog.exec() != QDialog::Accepted) return false;
        NewCode = CutCode(Dialog.Code());
        NewName = CutName(Dialog.Name(), startName);
        const std::string refusal = operations.NewCodeRefusal(NewCode, entryCodes);
        if (refusal.empty()) return true;
        m_boxes.Notice(refusal);
        proposal = {Dialog.Code(), Dialog.Name()};
    }
}

void CategoryWindow::DeleteButton() {
    StringGrid& entries = *ui->EntryGrid;
    if (const std::string refusal = EntryOperations::DeleteRefusal(static_cast<size_t>(entries.RowCount()));
        !refusal.empty()) {
        m_boxes.Notice(refusal);
        return;
    }
    const int Row = entries.Row();
    const std::string code = entries.Cells(EntryCodeCol, Row);
    EntryOperations operations(m_main.Work(), m_categoryName, CategoryKind);
    if (m_boxes.Plain(DeleteCaption(), DeleteQuestion(code, operations.LinesStillNaming(code)), true) !=
        BoxAnswer::Ok)
        return;

    operations.DeleteEntry(code);
    FocusEntryRow(Row == 0 ? 0 : Row - 1);
    ShowEntryAfresh();
}

}  // namespace velmora
