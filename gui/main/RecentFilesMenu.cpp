// SPDX-License-Identifier: GPL-3.0-or-later
// The recent files: remembered in the user's settings, listed in the File menu, opened from there.

#include "gui/main/RecentFilesMenu.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QStringList>

#include "core/settings/Globals.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"
#include "gui/main/DocumentCommands.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

constexpr const char* RecentFilesKey = "RecentFiles";

}  // namespace

RecentFilesMenu::RecentFilesMenu(QMenu& menu, const Globals& globals, Boxes& boxes,
                                 DocumentCommands& documents)
    : m_menu(menu), m_globals(globals), m_boxes(boxes), m_documents(documents) {}

void RecentFilesMenu::UseSettings(QSettings* settings) {
    m_settings = settings;
    if (!settings) return;
    std::vector<std::string> names;
    for (const QString& name : settings->value(QLatin1String(RecentFilesKey)).toStringList())
        names.push_back(ToBytes(name));
    m_recentFiles = RecentFiles(names);
}

void RecentFilesMenu::Keep() {
    if (!m_settings) return;
    QStringList names;
    for (const std::string& name : m_recentFiles.Names()) names << ToQString(name);
    m_settings->setValue(QLatin1String(RecentFilesKey), names);
}

void RecentFilesMenu::RememberRecentFile(const std::string& name) {
    if (name.empty() || EqualsNoCase(name, m_globals.UntitledName) || !platform::IsRegularFile(name)) return;
    m_recentFiles.Add(name);
    Keep();
}

void RecentFilesMenu::ShowRecentFiles() {
    if (m_recentFiles.DropMissing()) Keep();
    m_menu.clear();
    int number = 0;
    for (const std::string& name : m_recentFiles.Names()) {
        QAction* item = m_menu.addAction(QStringLiteral("&%1 ").arg(++number) + ToCaption(name));
        QObject::connect(item, &QAction::triggered, item, [this, name] {
            RunEventHandler(m_boxes, [this, &name] { m_documents.OpenExistingDocument(name); });
        });
    }
    m_menu.menuAction()->setEnabled(!m_menu.isEmpty());
}

}  // namespace velmora
