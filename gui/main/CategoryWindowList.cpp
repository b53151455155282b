// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's open category windows: opening one for a category (or bringing it forward),
// the order in which the category windows' buttons step through them, and closing them.

#include <algorithm>
#include <utility>

#include "gui/category/CategoryWindow.h"
#include "core/settings/Globals.h"
#include "gui/find/FindController.h"
#include "core/store/Routines.h"
#include "gui/widgets/StringGrid.h"
#include "gui/main/MainWindow.h"
#include "core/store/TextCase.h"
#include "ui_MainWindow.h"

namespace velmora {

// Opens the category window of grid row `row` at entry `entryIndex` (-1: none), or brings an open
// one forward and selects that entry in it.
void MainWindow::OpenCategoryWindow(int row, int entryIndex) {
    const std::string category = ui->CategoryGrid->Cells(0, row);
    if (CategoryWindow* open = FindCategoryWindow(category)) {
        FocusAndShow(open);
        if (entryIndex >= 0) open->FocusEntryRow(entryIndex);
        return;
    }
    Workspace& work = m_workspace;
    // Nothing to show when a start-up failed before the stores and rows were complete.
    if (!work.Doc().HasStores() || !work.DefaultIni() ||
        static_cast<size_t>(row) >= work.CategoryKinds().size())
        return;

    auto* window = new CategoryWindow(*this, m_globals, m_boxes);  // owned through its Qt parent, this window
    std::vector<const QWidget*> openWindows;
    for (const CategoryWindowLine& line : m_categoryWindows) openWindows.push_back(line.Window);
    window->SetSizeRemembered(m_places.PlaceCategoryWindow(*window, category, *this, openWindows));
    window->SetBackgroundTile(m_bitmap2);
    window->SetPictureBackground(m_bitmap1);
    m_categoryWindows.push_back({category, window});

    std::vector<std::string> pages =
        SplitCommaList(work.Doc().Definition().ReadString(Workspace::AllSections, category, ""));
    try {
        window->FillAndShow({std::move(pages), row + 1, category,
                             work.CategoryKinds()[static_cast<size_t>(row)], std::max(0, entryIndex)});
    } catch (...) {
        // A window that failed part-way stays open as far as it got, in its place in the order.
        SortCategoryWindows();
        throw;
    }
    SortCategoryWindows();
}

CategoryWindow* MainWindow::FindCategoryWindow(const std::string& Name) const {
    for (const CategoryWindowLine& line : m_categoryWindows)
        if (line.Window && EqualsNoCase(line.Name, Name)) return line.Window;
    return nullptr;
}

void MainWindow::SortCategoryWindows() {
    std::stable_sort(m_categoryWindows.begin(), m_categoryWindows.end(),
                     [](const CategoryWindowLine& a, const CategoryWindowLine& b) {
                         return (a.Window ? a.Window->Tag() : 0) < (b.Window ? b.Window->Tag() : 0);
                     });
}

void MainWindow::FocusAndShow(QWidget* Form) {
    if (Form->isMinimized()) Form->showNormal();
    Form->show();
    Form->raise();
    Form->activateWindow();
}

void MainWindow::NextFocusAndOpen(CategoryWindow* Window, bool OpenNew) {
    if (OpenNew) {
        StringGrid& grid = *ui->CategoryGrid;
        const int mainRows = std::min(m_globals.NumberOfMain, grid.RowCount());
        for (int row = 0; row < mainRows; ++row) {
            if (FindCategoryWindow(grid.Cells(0, row))) continue;
            grid.SetRow(row);
            OpenDbl2Click(0);
            return;
        }
    }
    if (m_categoryWindows.empty()) return;
    size_t next = 0;
    for (size_t i = 0; i < m_categoryWindows.size(); ++i) {
        if (m_categoryWindows[i].Window != Window) continue;
        next = i + 1 < m_categoryWindows.size() ? i + 1 : 0;
        break;
    }
    if (CategoryWindow* target = m_categoryWindows[next].Window) FocusAndShow(target);
}

void MainWindow::CategoryWindowClosed(CategoryWindow* Window) {
    m_places.RememberCategoryWindow(*Window, Window->CategoryName());
    std::erase_if(m_categoryWindows,
                  [Window](const CategoryWindowLine& line) { return !line.Window || line.Window == Window; });
    Window->setAttribute(Qt::WA_DeleteOnClose);
}

bool MainWindow::ShowEntryAt(const std::string& Category, const std::string& Code, const std::string& Key) {
    // "Unknown!" has no window.
    if (NamesEqual(Category, Workspace::UnknownCategory, m_globals.CaseSensitive)) return false;
    const StringGrid& grid = *ui->CategoryGrid;
    int row = 0;
    while (row < grid.RowCount() && !EqualsNoCase(grid.Cells(0, row), Category)) ++row;
    if (static_cast<size_t>(row) >= m_workspace.CategoryKinds().size()) return false;
    StringList entries;
    m_workspace.GetReadSectionValuesOnly(m_workspace.CategoryKinds()[static_cast<size_t>(row)], Category,
                                         entries);
    int entry = -1;
    for (size_t i = 0; i < entries.Count() && entry < 0; ++i)
        if (NamesEqual(entries[i], Code, m_globals.CaseSensitive)) entry = static_cast<int>(i);
    OpenCategoryWindow(row, entry);
    CategoryWindow* window = FindCategoryWindow(Category);
    return window && entry >= 0 && window->ShowEntryKey(entry, Key);
}

void MainWindow::CloseCategoryWindows() {
    // Usages and problems found in the document that goes would lead into the one that comes.
    m_finding->CloseResults();
    while (!m_categoryWindows.empty()) {
        const QPointer<CategoryWindow> first = m_categoryWindows.front().Window;
        if (first) first->close();
        // A window whose close did not take its line out must still not outlive the stores.
        if (!m_categoryWindows.empty() && m_categoryWindows.front().Window == first) {
            m_categoryWindows.erase(m_categoryWindows.begin());
            if (first) first->deleteLater();
        }
    }
}

}  // namespace velmora
