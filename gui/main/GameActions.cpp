// SPDX-License-Identifier: GPL-3.0-or-later
// The four game buttons: load the game's copy of the current file type, write the document into
// the game's folder, write a backup of it, and start the game.

#include "gui/main/GameActions.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

#include "core/boxes/Boxes.h"
#include "core/catalogue/Workspace.h"
#include "core/settings/Globals.h"
#include "core/store/PlatformFile.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "gui/main/DocumentCommands.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

constexpr const char* BackupFilter = "Backup file (*.bak)|*.bak|All files (*.*)|*.*";

}  // namespace

GameActions::GameActions(Workspace& workspace, const Globals& globals, Boxes& boxes,
                         DocumentCommands& documents, Host& host)
    : m_workspace(workspace), m_globals(globals), m_boxes(boxes), m_documents(documents), m_host(host) {}

void GameActions::LoadGameClick() {
    const std::string path = m_workspace.GameCopyFileName();
    if (platform::IsRegularFile(path))
        m_documents.OpenProcess(path);
    else
        m_boxes.Notice(path + " not exist");
}

void GameActions::ApplyGameClick() {
    const std::string& fileToEdit = m_workspace.FileToEdit();
    m_boxes.Notice("This will apply current " + ExtractFileName(m_workspace.Doc().FileName()) + "\r\n" +
                   "to the Game in " + fileToEdit + "\r\n" + "You may save your work first." + "\r\n" +
                   "This will create " + fileToEdit + " in your game directory" + "\r\n" +
                   "or ask to override it, if it already exist.");
    if (!m_documents.ModifiedSavedOrDontCare()) return;
    const std::string path = m_workspace.GameCopyFileName();
    if (!m_documents.FileExistOK(path) || !m_workspace.Doc().HasDocument()) return;
    // The document as it is in memory, unsaved changes included; it keeps its own name and state.
    m_workspace.WriteDocumentCopy(path);
}

void GameActions::BackupFileClick() {
    CreateBackupFileNow(m_globals.BackupExt);
}

void GameActions::CreateBackupFileNow(const std::string& Extension) {
    std::string name = ChangeFileExt(m_workspace.Doc().FileName(), Extension);
    for (;;) {
        std::optional<std::string> chosen = m_boxes.SaveFileName(BackupFilter, name);
        if (!chosen) return;
        name = *chosen;
        if (EqualsNoCase(name, m_workspace.Doc().FileName())) {
            m_boxes.Notice("Can not create file: " + name + "\r\n" +
                           "the file is the same name with the current file.");
            return;
        }
        // Refusing to overwrite asks for another name.
        if (m_documents.FileExistOK(name)) {
            if (m_workspace.Doc().HasDocument()) m_workspace.WriteDocumentCopy(name);
            return;
        }
    }
}

void GameActions::RunGameClick() {
    const BoxAnswer answer =
        m_boxes.Plain("Run the Game",
                      "This will run the Game, and minimize or close the windows.\r\n"
                      "Your work might be lost, save it first.\r\n\r\nContinue?\r\n\r\n" +
                          m_workspace.GameProgramLine(),
                      true);
    if (answer != BoxAnswer::Ok) return;
    if (!m_documents.ModifiedSavedOrDontCare()) return;
    // The windows go only once the game runs: a program that cannot start leaves them as they were,
    // with the reason in front of the user.
    if (!StartGameProgram(m_workspace.GameProgramFileName())) return;
    MinimizeApplication();
    m_host.CloseCategoryWindows();
}

void GameActions::MinimizeApplication() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) window->showMinimized();
}

// The game runs on its own: the editor neither waits for it nor keeps hold of it. It starts in
// its own folder, where a game looks for its data files.
bool GameActions::StartGameProgram(const std::string& programFile) {
    const QString program =
        ToQString(platform::PathText(platform::ToPath(programFile)).value_or(programFile));
    QProcess game;
    game.setProgram(program);
    game.setWorkingDirectory(QFileInfo(program).absolutePath());
    qint64 pid = 0;
    if (game.startDetached(&pid)) return true;
    m_boxes.Error(m_workspace.GameStartFailure(ToBytes(game.errorString())));
    return false;
}

}  // namespace velmora
