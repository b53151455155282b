// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's ways of a desktop program: the user's own settings with the recent files and
// the places of the windows, documents dropped on the window or named on the command line, and
// the Help menu.

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStringList>
#include <QUrl>

#include "gui/category/CategoryWindow.h"
#include "core/boxes/Boxes.h"
#include "core/settings/Globals.h"
#include "gui/widgets/QtText.h"
#include "gui/main/MainWindow.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"
#include "ui_MainWindow.h"

namespace velmora {

namespace {

constexpr const char* RecentFilesKey = "RecentFiles";

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

std::string NativeName(const QString& fileName) {
    return ToBytes(QDir::toNativeSeparators(fileName));
}

void KeepRecentFiles(QSettings* settings, const RecentFiles& recent) {
    if (!settings) return;
    QStringList names;
    for (const std::string& name : recent.Names()) names << ToQString(name);
    settings->setValue(QLatin1String(RecentFilesKey), names);
}

// The one local file a drag carries; empty for anything else.
QString DraggedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().front();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

}  // namespace

void MainWindow::SetUserSettings(QSettings* settings) {
    m_userSettings = settings;
    m_places.SetSettings(settings);
    if (!settings) return;
    std::vector<std::string> names;
    for (const QString& name : settings->value(QLatin1String(RecentFilesKey)).toStringList())
        names.push_back(ToBytes(name));
    m_recentFiles = RecentFiles(names);
    m_places.RestoreMainWindow(*this);
}

void MainWindow::OpenExistingDocument(const std::string& Name) {
    if (!platform::IsRegularFile(Name)) throw IniError::CannotOpen(Name);
    OpenProcess(Name);
}

// ---------------------------------------------------------------------------------------------
// Recent files

// The document as it stands on disk, after a load or a save; the fresh copy of the default copy
// is on no disk yet.
void MainWindow::RememberRecentFile() {
    const std::string& name = m_workspace.Doc().FileName();
    if (name.empty() || EqualsNoCase(name, m_globals.UntitledName) || !platform::IsRegularFile(name))
        return;
    m_recentFiles.Add(name);
    KeepRecentFiles(m_userSettings, m_recentFiles);
}

void MainWindow::ShowRecentFiles() {
    if (m_recentFiles.DropMissing()) KeepRecentFiles(m_userSettings, m_recentFiles);
    QMenu& menu = *ui->RecentFiles1;
    menu.clear();
    int number = 0;
    for (const std::string& name : m_recentFiles.Names()) {
        QAction* item = menu.addAction(QStringLiteral("&%1 ").arg(++number) + ToCaption(name));
        connect(item, &QAction::triggered, this,
                [this, name] { RunEventHandler(m_boxes, [this, &name] { OpenExistingDocument(name); }); });
    }
    menu.menuAction()->setEnabled(!menu.isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Documents dropped on the window

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString file = DraggedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    // The question about unsaved changes waits until the drop has ended.
    const std::string name = NativeName(file);
    QMetaObject::invokeMethod(
        this, [this, name] { RunEventHandler(m_boxes, [this, &name] { OpenExistingDocument(name); }); },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------
// Places of the windows

void MainWindow::RememberWindowPlaces() {
    m_places.RememberMainWindow(*this);
    for (const CategoryWindowLine& line : m_categoryWindows)
        if (line.Window) m_places.RememberCategoryWindow(*line.Window, line.Name);
}

// ---------------------------------------------------------------------------------------------
// Help

void MainWindow::KeyboardShortcuts1Click() {
    std::string lines = "Main window\r\n";
    for (const QAction* menu : ui->MainMenu1->actions()) {
        const QKeySequence mnemonic = QKeySequence::mnemonic(menu->text());
        if (!mnemonic.isEmpty())
            lines += ToBytes(mnemonic.toString(QKeySequence::NativeText)) + ": the " + MenuText(*menu) + " menu\r\n";
        if (menu->menu()) ListShortcuts(*menu->menu(), lines);
    }
    lines += "Double-click a category or an entry, Enter on a category: open the category window\r\n"
             ">: the menu of the kinds of file to edit\r\n\r\n";
    m_boxes.Plain("Keyboard Shortcuts", lines + WindowKeys, false);
}

void MainWindow::About1Click() {
    m_boxes.Plain("About Velmora Edit",
                  std::string("Velmora Edit ") + VELMORA_VERSION +
                      "\r\nAn editor for the INI rules files of a strategy game.\r\n\r\nBuilt with Qt " +
                      QT_VERSION_STR + ", running on Qt " + qVersion() +
                      ".\r\n\r\nLicensed under the GNU General Public License, version 3.",
                  false);
}

}  // namespace velmora
