// SPDX-License-Identifier: GPL-3.0-or-later
// The category window's part in finding: the filter box and type-ahead of the entry list, Find
// Usages from the entry list and the value grid, and showing an entry at a key for the results
// windows.

#include <QAction>
#include <QMenu>

#include "gui/category/CategoryWindow.h"
#include "core/boxes/Boxes.h"
#include "core/references/EntryTargets.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/StringGrid.h"
#include "core/catalogue/Workspace.h"
#include "gui/services/WindowHost.h"
#include "core/store/MessageText.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "ui_CategoryWindow.h"

namespace velmora {

void CategoryWindow::SetUpFinding() {
    StringGrid& entries = *ui->EntryGrid;
    // The box stands above the code and name headers, which stay with their grid.
    m_entryFilter = FilterBox::Above(entries, {EntryCodeCol, EntryNameCol}, 1);
    // While no entry shows, nothing may act on the one the filter hides.
    connect(m_entryFilter, &FilterBox::rowsShownChanged, this, [this](bool any) {
        for (QWidget* control : std::initializer_list<QWidget*>{ui->Duplicate, ui->Delete, ui->PageControl1})
            control->setEnabled(any);
    });
    entries.SetTypeAheadCol(EntryCodeCol);

    auto* entryUsages = new QAction(QStringLiteral("Find &Usages"), &entries);  // owned by the grid
    entryUsages->setObjectName(QStringLiteral("EntryUsages"));
    entryUsages->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F12));
    entryUsages->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    entries.addAction(entryUsages);
    connect(entryUsages, &QAction::triggered, this,
            &CategoryWindow::Guarded<&CategoryWindow::FindUsagesOfEntry>);
    entries.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&entries, &QWidget::customContextMenuRequested, this, [this, entryUsages](const QPoint& at) {
        StringGrid& grid = *ui->EntryGrid;
        const int row = grid.rowAt(at.y());
        RunEventHandler(m_boxes, [&grid, row] {
            if (row >= 0 && row != grid.Row()) grid.SetRow(row);
        });
        QMenu menu;
        menu.addAction(entryUsages);
        menu.exec(grid.viewport()->mapToGlobal(at));
    });

    // A right click in the value grid opens the choice dialog; the value's usages are a key away.
    auto* valueUsages = new QAction(QStringLiteral("Find Usages"), ui->ValueGrid);  // owned by the grid
    valueUsages->setObjectName(QStringLiteral("ValueUsages"));
    valueUsages->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F12));
    valueUsages->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ui->ValueGrid->addAction(valueUsages);
    connect(valueUsages, &QAction::triggered, this,
            &CategoryWindow::Guarded<&CategoryWindow::FindUsagesOfValue>);
}

void CategoryWindow::FindUsagesOfEntry() {
    const StringGrid& entries = *ui->EntryGrid;
    const std::string code = entries.Cells(EntryCodeCol, entries.Row());
    if (!code.empty()) m_main.FindUsages(code);
}

void CategoryWindow::FindUsagesOfValue() {
    const StringGrid& values = *ui->ValueGrid;
    const std::string value = values.Cells(ValueCol, values.Row());
    const std::optional<std::string> code = FirstItemNamingSection(DocumentStore(), value);
    if (!code) {
        m_boxes.Notice("No item of \"" + Escaped(value) + "\" names an entry of the document.");
        return;
    }
    m_main.FindUsages(*code);
}

bool CategoryWindow::ShowEntryKey(int EntryRow, const std::string& Key) {
    m_entryFilter->clear();
    FocusEntryRow(EntryRow);
    if (Key.empty()) return true;
    const auto show = [this](size_t page, size_t row) {
        m_pageRows[page] = static_cast<int>(row);
        const int index = static_cast<int>(page);
        if (ui->PageControl1->currentIndex() != index)
            ui->PageControl1->setCurrentIndex(index);  // shows the page on the row kept for it
        else
            ui->ValueGrid->SetRow(static_cast<int>(row));
        ui->ValueGrid->setFocus(Qt::OtherFocusReason);
        return true;
    };
    StringList keys;
    for (size_t page = 0; page < m_pageNames.size(); ++page) {
        if (static_cast<int>(page) == m_otherKeysPage) continue;
        DefinitionStore().ReadSection(m_pageNames[page], keys);
        for (size_t row = 0; row < keys.Count(); ++row)
            if (EqualsNoCase(keys[row], Key)) return show(page, row);
    }
    // A key no page lists shows on the page of the other keys, which the latest edits may not
    // have brought yet.
    RefreshOtherKeys();
    for (size_t row = 0; row < m_otherKeys.size(); ++row)
        if (EqualsNoCase(m_otherKeys[row], Key)) return show(static_cast<size_t>(m_otherKeysPage), row);
    return false;
}

}  // namespace velmora
