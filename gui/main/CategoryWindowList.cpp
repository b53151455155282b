// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's open category windows: opening one for a category (or bringing it forward),
// the order in which the category windows' buttons step through them, and closing them.

#include "gui/main/CategoryWindowList.h"

#include <QWidget>
#include <algorithm>
#include <utility>

#include "core/catalogue/Workspace.h"
#include "core/settings/Globals.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "gui/category/CategoryWindow.h"
#include "gui/services/WindowHost.h"
#include "gui/services/WindowPlaces.h"

namespace velmora {

CategoryWindowList::CategoryWindowList(WindowHost& host, const Globals& globals, Boxes& boxes,
                                       WindowPlaces& places)
    : m_host(host), m_globals(globals), m_boxes(boxes), m_places(places) {}

CategoryWindow* CategoryWindowList::Find(const std::string& Name) const {
    for (const CategoryWindowLine& line : m_lines)
        if (line.Window && EqualsNoCase(line.Name, Name)) return line.Window;
    return nullptr;
}

CategoryWindow* CategoryWindowList::Showing(const std::string& category, const std::string& code) const {
    if (CategoryWindow* window = category.empty() ? nullptr : Find(category)) return window;
    for (const CategoryWindowLine& line : m_lines)
        if (line.Window && line.Window->ListsEntry(code)) return line.Window;
    return nullptr;
}

void CategoryWindowList::Open(int row, const std::string& category, int entryIndex, const Picture& background,
                              const Picture& tile) {
    if (CategoryWindow* open = Find(category)) {
        m_host.FocusAndShow(open);
        if (entryIndex >= 0) open->FocusEntryRow(entryIndex);
        return;
    }
    const Workspace& work = m_host.Work();
    // Nothing to show when a start-up failed before the stores and rows were complete.
    if (!work.Doc().HasStores() || !work.DefaultIni() ||
        static_cast<size_t>(row) >= work.CategoryKinds().size())
        return;

    auto* window =
        new CategoryWindow(m_host, m_globals, m_boxes);  // owned through its Qt parent, the host's widget
    std::vector<const QWidget*> openWindows;
    for (const CategoryWindowLine& line : m_lines) openWindows.push_back(line.Window);
    window->SetSizeRemembered(
        m_places.PlaceCategoryWindow(*window, category, m_host.HostWidget(), openWindows));
    window->SetBackgroundTile(tile);
    window->SetPictureBackground(background);
    m_lines.push_back({category, window});

    std::vector<std::string> pages =
        SplitCommaList(work.Doc().Definition().ReadString(Workspace::AllSections, category, ""));
    try {
        window->FillAndShow({std::move(pages), row + 1, category,
                             work.CategoryKinds()[static_cast<size_t>(row)], std::max(0, entryIndex)});
    } catch (...) {
        // A window that failed part-way stays open as far as it got, in its place in the order.
        Sort();
        throw;
    }
    Sort();
}

void CategoryWindowList::Sort() {
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const CategoryWindowLine& a, const CategoryWindowLine& b) {
                         return (a.Window ? a.Window->Tag() : 0) < (b.Window ? b.Window->Tag() : 0);
                     });
}

void CategoryWindowList::FocusNext(const CategoryWindow* Window) {
    if (m_lines.empty()) return;
    size_t next = 0;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].Window != Window) continue;
        next = i + 1 < m_lines.size() ? i + 1 : 0;
        break;
    }
    if (CategoryWindow* target = m_lines[next].Window) m_host.FocusAndShow(target);
}

void CategoryWindowList::Closed(CategoryWindow* Window) {
    m_places.RememberCategoryWindow(*Window, Window->CategoryName());
    std::erase_if(m_lines,
                  [Window](const CategoryWindowLine& line) { return !line.Window || line.Window == Window; });
    Window->setAttribute(Qt::WA_DeleteOnClose);
}

void CategoryWindowList::CloseAll() {
    while (!m_lines.empty()) {
        const QPointer<CategoryWindow> first = m_lines.front().Window;
        if (first) first->close();
        // A window whose close did not take its line out must still not outlive the stores.
        if (!m_lines.empty() && m_lines.front().Window == first) {
            m_lines.erase(m_lines.begin());
            if (first) first->deleteLater();
        }
    }
}

std::vector<CategoryWindowPlace> CategoryWindowList::Places() const {
    std::vector<CategoryWindowPlace> places;
    for (const CategoryWindowLine& line : m_lines)
        if (line.Window)
            places.push_back({line.Name, line.Window->SelectedCode(), line.Window->PageIndex(),
                              line.Window->ShownTable(), line.Window->EditTarget()});
    return places;
}

void CategoryWindowList::Reopen(const std::vector<CategoryWindowPlace>& places) {
    for (const CategoryWindowPlace& place : places) {
        m_host.ShowEntryAt(place.Category, place.Code, std::string());
        if (CategoryWindow* window = Find(place.Category)) {
            // A file no longer in the stack gives the edits back to the document.
            window->EditIn(place.EditIn);
            window->ShowPageIndex(place.Page);
            if (place.Table) window->ShowTable(*place.Table);
        }
    }
}

void CategoryWindowList::FreeAll() {
    m_lines.clear();
    // Windows already closed and waiting to be freed are freed too.
    qDeleteAll(m_host.HostWidget().findChildren<CategoryWindow*>(QString(), Qt::FindDirectChildrenOnly));
}

void CategoryWindowList::CommitOpenEdits() {
    for (const CategoryWindowLine& line : m_lines)
        if (line.Window) line.Window->CommitOpenEdit();
}

void CategoryWindowList::RememberPlaces() {
    for (const CategoryWindowLine& line : m_lines)
        if (line.Window) m_places.RememberCategoryWindow(*line.Window, line.Name);
}

}  // namespace velmora
