// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/settings/RecentFiles.h"

class QMenu;
class QSettings;

namespace velmora {

class Boxes;
class DocumentCommands;
struct Globals;

// The File menu's list of the documents opened or saved last, kept in the user's own settings;
// a document chosen from it opens through the question about unsaved changes.
class RecentFilesMenu {
  public:
    // Fills `menu` when asked to. Everything given outlives the menu's keeper.
    RecentFilesMenu(QMenu& menu, const Globals& globals, Boxes& boxes, DocumentCommands& documents);

    // Where the list is kept, and read from now; without settings (the default) nothing is
    // remembered.
    void UseSettings(QSettings* settings);
    // The document as it stands on disk, after a load or a save, becomes the newest; the fresh copy
    // of the default copy is on no disk yet.
    void RememberRecentFile(const std::string& name);
    // Fills the menu, without the files that have gone since.
    void ShowRecentFiles();

  private:
    void Keep();

    QMenu& m_menu;
    const Globals& m_globals;
    Boxes& m_boxes;
    DocumentCommands& m_documents;
    QSettings* m_settings = nullptr;
    RecentFiles m_recentFiles;
};

}  // namespace velmora
