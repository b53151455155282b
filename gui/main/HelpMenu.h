// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QMenuBar;

namespace velmora {

class Boxes;

// The Help menu: the keyboard shortcuts of every window, read from the menus as they are, and
// what the program is.
class HelpMenu {
  public:
    // `menus` is the main window's menu bar; it and `boxes` outlive the menu.
    HelpMenu(const QMenuBar& menus, Boxes& boxes);

    void KeyboardShortcuts1Click();
    void About1Click();

  private:
    const QMenuBar& m_menus;
    Boxes& m_boxes;
};

}  // namespace velmora
