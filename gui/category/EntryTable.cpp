// SPDX-License-Identifier: GPL-3.0-or-later
// All entries of the category side by side: the switch to the balance table and back, which keeps
// the selected entry, what the table shows kept across a reload, and the window's menus of the table.

#include <QScrollArea>
#include "gui/category/CategoryWindow.h"
#include "gui/table/BalanceTableModel.h"
#include "gui/table/BalanceTableView.h"
#include "gui/table/TableMenus.h"
#include "gui/table/TableSwitch.h"
#include "gui/widgets/StringGrid.h"
#include "gui/services/WindowHost.h"
#include "gui/widgets/FilterBox.h"
#include "ui_CategoryWindow.h"

namespace velmora {

void CategoryWindow::SetUpTable() {
    if (m_tableSwitch != nullptr) return;
    TableSwitch::Hooks hooks;
    hooks.makeTable = [this](QWidget* parent) {
        auto* table = new BalanceTableView(m_main.Work(), m_main.DocumentNews(), m_boxes, m_main.UserSettings(),
                                           m_categoryName, parent);
        // The table marks the values that do not fit their keys, and its commits get the note too.
        BalanceTableModel& model = table->Model();
        model.SetValueCheck(&m_main.Values());
        connect(&model, &BalanceTableModel::valueCommitted, this,
                [this](const std::string& code, const std::string& key) {
                    RunEventHandler(m_boxes, [&] { NoteCommittedValue(code, key); });
                });
        return table;
    };
    hooks.currentEntry = [this] { return ui->EntryGrid->Cells(EntryCodeCol, ui->EntryGrid->Row()); };
    hooks.selectEntry = [this](const std::string& code) { SelectEntry(code, {}); };
    hooks.beforeSwitch = [this] { CommitOpenEdit(); };
    hooks.rowFilter = m_entryFilter;
    // Below the window's title every one-entry control lies in the panels' scroll area.
    auto* oneEntry = findChild<QScrollArea*>(QStringLiteral("PanelsScroll"));
    if (oneEntry == nullptr) return;  // the window was built without its panels
    m_tableSwitch =
        new TableSwitch(*this, *ui->CategoryLayout, *oneEntry, *ui->Panel1Layout, std::move(hooks));
    AddTableMenus(*this, *ui->CategoryLayout, *m_tableSwitch);
}

std::optional<TableState> CategoryWindow::ShownTable() const {
    if (m_tableSwitch == nullptr || !m_tableSwitch->ShowsAllEntries()) return std::nullopt;
    return m_tableSwitch->Table()->State();
}

void CategoryWindow::ShowTable(const TableState& state) {
    if (m_tableSwitch == nullptr) return;  // the window was built without its panels
    m_tableSwitch->ShowAllEntries(true);
    if (BalanceTableView* table = m_tableSwitch->Table()) table->ShowState(state);
}

}  // namespace velmora
