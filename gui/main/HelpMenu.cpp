// SPDX-License-Identifier: GPL-3.0-or-later
// The Help menu: the keyboard shortcuts, and what the program is.

#include "gui/main/HelpMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <string>

#include "core/boxes/Boxes.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

// The keys of the windows that no menu lists, as the user meets them.
constexpr const char* WindowKeys =
    "Category window\r\n"
    "Enter: edit the selected value; Enter again keeps the edit\r\n"
    "Escape: put the stored value back\r\n"
    "Tab, Shift+Tab: the next, the previous control\r\n"
    "Double-click or right-click a value, Shift+F10, the Menu key: pick it from its lists\r\n"
    "Double-click an entry, F2: change its code and name\r\n"
    "Letters typed in the entry list: the first code that starts with them\r\n"
    "Shift+F12 on an entry, or on a value that names one: find its usages\r\n"
    "Ctrl+F: the find window; Escape in a filter box: every row again\r\n"
    "\r\n"
    "Value choice dialog\r\n"
    "Enter, double-click: OK\r\n"
    "Escape: Cancel\r\n"
    "Alt+S: switch between the BASIC and the OTHERS values\r\n"
    "\r\n"
    "Code and name dialog\r\n"
    "Enter, Alt+O: OK\r\n"
    "Escape, Alt+C: Cancel";

// A menu text as the user reads it: without its accelerator mark.
std::string MenuText(const QAction& action) {
    QString text = action.text();
    text.remove(QLatin1Char('&'));
    return ToBytes(text);
}

// One line per command of the menu (and its submenus) that has a shortcut.
void ListShortcuts(const QMenu& menu, std::string& lines) {
    for (const QAction* action : menu.actions()) {
        if (action->menu()) ListShortcuts(*action->menu(), lines);
        for (const QKeySequence& key : action->shortcuts())
            lines += ToBytes(key.toString(QKeySequence::NativeText)) + ": " + MenuText(*action) + "\r\n";
    }
}

}  // namespace

HelpMenu::HelpMenu(const QMenuBar& menus, Boxes& boxes) : m_menus(menus), m_boxes(boxes) {}

void HelpMenu::KeyboardShortcuts1Click() {
    std::string lines = "Main window\r\n";
    for (const QAction* menu : m_menus.actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(menu->text());
        if (!mnemonic.isEmpty())
            lines += ToBytes(mnemonic.toString(QKeySequence::NativeText)) + ": the " + MenuText(*menu) +
                     " menu\r\n";
        if (menu->menu()) ListShortcuts(*menu->menu(), lines);
    }
    lines +=
        "Double-click a category or an entry, Enter on a category: open the category window\r\n"
        ">: the menu of the kinds of file to edit\r\n\r\n";
    m_boxes.Plain("Keyboard Shortcuts", lines + WindowKeys, false);
}

void HelpMenu::About1Click() {
    m_boxes.Plain("About Velmora Edit",
                  std::string("Velmora Edit ") + VELMORA_VERSION +
                      "\r\nAn editor for the INI rules files of a strategy game.\r\n\r\nBuilt with Qt " +
                      QT_VERSION_STR + ", running on Qt " + qVersion() +
                      ".\r\n\r\nLicensed under the GNU General Public License, version 3.",
                  false);
}

}  // namespace velmora
