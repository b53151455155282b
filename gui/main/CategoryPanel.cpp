// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's categories, as buttons and as a grid, and the entries of the selected one.

#include "gui/main/CategoryPanel.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>

#include "core/layers/LayerStack.h"
#include "core/session/DocumentLayers.h"
#include "core/settings/Globals.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "gui/services/DocumentSignals.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/LayerColours.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StringGrid.h"

namespace velmora {

CategoryPanel::CategoryPanel(const Controls& controls, const Workspace& workspace, DocumentSignals& news,
                             const Globals& globals, Boxes& boxes, Host& host)
    : MainButtons(controls.Buttons),
      m_grid(controls.Grid),
      m_entries(controls.Entries),
      m_editButton(controls.EditButton),
      m_workspace(workspace),
      m_globals(globals),
      m_boxes(boxes),
      m_host(host) {
    for (int k = 0; k < Workspace::MainButtonCount; ++k) {
        QToolButton* button = MainButtons[static_cast<size_t>(k)];
        TipWhenCut({button});
        connect(button, &QToolButton::clicked, this,
                [this, k] { RunEventHandler(m_boxes, [this, k] { MainButtonClicked(k); }); });
        // The buttons take the focus, so that a modder gets to the categories from the keyboard.
        button->setFocusPolicy(Qt::StrongFocus);
        button->installEventFilter(this);  // double-clicks and Enter
    }
    connect(&m_grid, &StringGrid::selectionChangedByUserOrCode, this,
            [this] { RunEventHandler(m_boxes, [this] { CategoryGridClicked(); }); });
    connect(&m_grid, &StringGrid::gridDoubleClicked, this,
            [this] { RunEventHandler(m_boxes, [this] { DoubleClick1(); }); });
    connect(&m_grid, &StringGrid::keyPressed, this, [this](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            RunEventHandler(m_boxes, [this] { DoubleClick1(); });
    });
    connect(&m_editButton, &QAbstractButton::clicked, this,
            [this] { RunEventHandler(m_boxes, [this] { DoubleClick2(); }); });
    m_entries.viewport()->installEventFilter(this);  // double-clicks

    connect(&news, &DocumentSignals::entriesChanged, this, &CategoryPanel::ShowCurrentCategory);
    connect(&news, &DocumentSignals::valueChanged, this, &CategoryPanel::ShowValueChange);
}

bool CategoryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        for (int k = 0; k < Workspace::MainButtonCount; ++k) {
            if (watched != MainButtons[static_cast<size_t>(k)] ||
                (key != Qt::Key_Return && key != Qt::Key_Enter))
                continue;
            // Enter on a button selects its category and opens it, as a double-click does.
            RunEventHandler(m_boxes, [this, k] {
                PressButton(k);
                AllButtonClick(k);
                AllButtonDoubleClick(k);
            });
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == m_entries.viewport()) {
            RunEventHandler(m_boxes, [this] { DoubleClick2(); });
            return false;  // the list still handles its own double-click
        }
        for (int k = 0; k < Workspace::MainButtonCount; ++k) {
            if (watched != MainButtons[static_cast<size_t>(k)]) continue;
            RunEventHandler(m_boxes, [this, k] { AllButtonDoubleClick(k); });
            return true;  // a button would take the second click as another press and toggle again
        }
    }
    return QObject::eventFilter(watched, event);
}

void CategoryPanel::ShowRows() {
    const std::vector<std::string>& rows = m_workspace.CategoryRows();
    {
        // Filling is not a selection: the grid's handlers must not run on a half-built grid.
        const QSignalBlocker blocker(m_grid);
        m_grid.SetRowCount(static_cast<int>(rows.size()));
        for (int row = 0; row < m_grid.RowCount(); ++row)
            m_grid.SetCells(0, row,
                            row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)] : "");
    }
    ArrangeButton();
}

void CategoryPanel::ShowFirstRow() {
    const QSignalBlocker blocker(m_grid);
    m_grid.SetRow(0);
    m_grid.SetTopRow(0);
}

void CategoryPanel::ArrangeButton() {
    for (int k = 0; k < Workspace::MainButtonCount; ++k) {
        m_buttonCaptions[static_cast<size_t>(k)].clear();
        MainButtons[static_cast<size_t>(k)]->setText(QString());
    }
    const std::vector<std::string>& rows = m_workspace.CategoryRows();
    const int labelled = std::min({m_globals.NumberOfMain, static_cast<int32_t>(Workspace::MainButtonCount),
                                   static_cast<int32_t>(rows.size())});
    for (int k = 0; k < labelled; ++k) {
        m_buttonCaptions[static_cast<size_t>(k)] = rows[static_cast<size_t>(k)];
        MainButtons[static_cast<size_t>(k)]->setText(ToCaption(m_buttonCaptions[static_cast<size_t>(k)]));
    }
    // A button without a category would only un-highlight the current one.
    for (int k = 0; k < Workspace::MainButtonCount; ++k)
        MainButtons[static_cast<size_t>(k)]->setVisible(k < labelled);
}

// The buttons form one group in which at most one is down and all may be up: a click toggles the
// button, and a button that goes down releases the others.
void CategoryPanel::MainButtonClicked(int index) {
    if (MainButtons[static_cast<size_t>(index)]->isChecked()) PressButton(index);
    AllButtonClick(index);
}

void CategoryPanel::PressButton(int index) {
    for (int k = 0; k < Workspace::MainButtonCount; ++k)
        MainButtons[static_cast<size_t>(k)]->setChecked(k == index);
}

void CategoryPanel::AllButtonClick(int index) {
    const std::string& caption = m_buttonCaptions[static_cast<size_t>(index)];
    if (caption.empty()) return;
    const int row = RowOf(caption);
    if (row >= m_grid.RowCount()) return;
    {
        // One refresh, below, rather than a second one from the grid's own handler.
        const QSignalBlocker blocker(m_grid);
        m_grid.SetRow(row);
    }
    ShowCurrentCategory();
}

void CategoryPanel::AllButtonDoubleClick(int index) {
    if (!m_buttonCaptions[static_cast<size_t>(index)].empty()) DoubleClick2();
}

void CategoryPanel::CategoryGridClicked() {
    ShowCurrentCategory();
}

void CategoryPanel::ShowCurrentCategory() {
    const int row = m_grid.Row();
    const std::string category = m_grid.Cells(0, row);
    m_editButton.setText(ToCaption("Edit: " + category));
    PressButton(row < Workspace::MainButtonCount ? row : -1);

    const QSignalBlocker blocker(m_entries);
    m_entries.clear();
    // Nothing to list when a start-up failed before the stores and rows were complete.
    const bool loaded =
        m_workspace.Doc().HasStores() && static_cast<size_t>(row) < m_workspace.CategoryKinds().size();
    if (!loaded) return;
    StringList entries;
    m_workspace.GetReadSectionValuesOnly(m_workspace.CategoryKinds()[static_cast<size_t>(row)], category,
                                         entries);
    for (const auto& entry : entries) m_entries.addItem(ToQString(entry.text));
    // After the document's own entries, those a layer adds, as the category window lists them.
    const DocumentLayers& layers = m_host.Layers();
    for (const AddedEntry& added : layers.Stack().AddedEntries(category)) {
        auto* item = new QListWidgetItem(ToQString(added.Code), &m_entries);  // owned by the list
        item->setBackground(LayerColour(added.Layer));
        item->setToolTip(ToQString("added by " + layers.FileName(added.Layer + 1)));
    }
    m_entries.setCurrentRow(-1);
}

void CategoryPanel::DoubleClick1() {
    m_host.OpenDbl2Click(-1);
}

void CategoryPanel::DoubleClick2() {
    const QList<QListWidgetItem*> selected = m_entries.selectedItems();
    m_host.OpenDbl2Click(selected.isEmpty() ? -1 : m_entries.row(selected.first()));
}

void CategoryPanel::ShowValueChange(const std::string& Code, const std::string& /*Key*/) {
    if (NamesEqual(m_grid.Cells(0, m_grid.Row()), Code, m_globals.CaseSensitive)) ShowCurrentCategory();
}

std::string CategoryPanel::Category(int row) const {
    return m_grid.Cells(0, row);
}

int CategoryPanel::Row() const {
    return m_grid.Row();
}

int CategoryPanel::RowOf(const std::string& category) const {
    int row = 0;
    while (row < m_grid.RowCount() && !EqualsNoCase(m_grid.Cells(0, row), category)) ++row;
    return row;
}

void CategoryPanel::SelectRow(int row) {
    m_grid.SetRow(row);
}

void CategoryPanel::ShowEntry(const std::string& category, const std::string& code) {
    const int row = IndexOfNoCase(m_grid.ColumnTexts(0), category);
    if (row >= 0 && row != m_grid.Row()) m_grid.SetRow(row);  // refills the entry list
    for (int item = 0; item < m_entries.count(); ++item) {
        if (ToBytes(m_entries.item(item)->text()) != code) continue;
        m_entries.setCurrentRow(item);
        m_entries.scrollToItem(m_entries.item(item));
        break;
    }
}

}  // namespace velmora
