// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace velmora {

class Boxes;
class DocumentCommands;
struct Globals;
class Workspace;

// The four game buttons: load the game's copy of the current file type, write the document into
// the game's folder, write a backup of it, and start the game.
class GameActions {
  public:
    // What the game actions ask of the window they belong to.
    class Host {
      public:
        // Closes every window that reads the stores.
        virtual void CloseCategoryWindows() = 0;

      protected:
        ~Host() = default;
    };

    // Everything given outlives the actions.
    GameActions(Workspace& workspace, const Globals& globals, Boxes& boxes, DocumentCommands& documents,
                Host& host);

    void LoadGameClick();
    void ApplyGameClick();
    void BackupFileClick();
    // "Run the Game": asks, then starts the game program and minimises the editor.
    void RunGameClick();

  private:
    void CreateBackupFileNow(const std::string& Extension);
    static void MinimizeApplication();
    // False, after saying why, when the program does not start.
    bool StartGameProgram(const std::string& programFile);

    Workspace& m_workspace;
    const Globals& m_globals;
    Boxes& m_boxes;
    DocumentCommands& m_documents;
    Host& m_host;
};

}  // namespace velmora
