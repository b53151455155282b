// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "gui/table/BalanceTableView.h"
#include "gui/widgets/Pictures.h"

namespace velmora {

class Boxes;
class CategoryWindow;
struct Globals;
class WindowHost;
class WindowPlaces;

// One open category window: its category name, also the window's caption, and the window.
struct CategoryWindowLine {
    std::string Name;
    QPointer<CategoryWindow> Window;
};

// Where an open category window stands, to open it again there after its stores were replaced:
// its category, the entry selected (by its code), the page and the table shown, and the file of the
// stack its edits go into ("Edit in:", numbered as CategoryWindow::EditIn takes it).
struct CategoryWindowPlace {
    std::string Category;
    std::string Code;
    int Page = 0;
    std::optional<TableState> Table;
    size_t EditIn = 0;
};

// The main window's open category windows, one line each, in ascending order of their category
// numbers; at most one per category name (letter case ignored). The list opens a window (or brings
// an open one forward), steps through them for their buttons, keeps their places and closes them.
// The windows are owned through their Qt parent, the host's widget.
class CategoryWindowList {
  public:
    // `host`, `globals`, `boxes` and `places` outlive the list.
    CategoryWindowList(WindowHost& host, const Globals& globals, Boxes& boxes, WindowPlaces& places);

    const std::vector<CategoryWindowLine>& Lines() const { return m_lines; }
    CategoryWindow* Find(const std::string& Name) const;
    // The window of `category`, or else the first that lists the entry `code`; none when no
    // window shows it.
    CategoryWindow* Showing(const std::string& category, const std::string& code) const;

    // Opens the window of `category`, row `row` of the workspace's categories, at the entry
    // `entryIndex` (-1: none), over the file type's pictures; or brings its open window forward
    // and selects that entry in it.
    void Open(int row, const std::string& category, int entryIndex, const Picture& background,
              const Picture& tile);
    // The window after `Window` gets the focus; after the last, the first.
    void FocusNext(const CategoryWindow* Window);
    // A window that is closing: its line goes, and the window is freed once closed.
    void Closed(CategoryWindow* Window);
    // Closes every window; run before anything replaces a store.
    void CloseAll();
    // Frees every window at once, without running any of their handlers: for the end of the
    // host, whose stores they read.
    void FreeAll();

    // A value typed in a category window is committed when its grid loses the focus, which a
    // command run by its key from that window never takes: commands that read the document
    // commit it first.
    void CommitOpenEdits();
    void RememberPlaces();

    // Where every open window stands, in the list's order.
    std::vector<CategoryWindowPlace> Places() const;
    // Opens the windows of `places` again where they stood, as far as the workspace now has their
    // categories and entries.
    void Reopen(const std::vector<CategoryWindowPlace>& places);

  private:
    void Sort();

    WindowHost& m_host;
    const Globals& m_globals;
    Boxes& m_boxes;
    WindowPlaces& m_places;
    std::vector<CategoryWindowLine> m_lines;
};

}  // namespace velmora
