// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QAction;
class QMenuBar;

namespace velmora {

class Boxes;
class CategoryWindowList;
class DocumentSignals;
class ModCommands;
class Workspace;

// The Edit menu: Undo and Redo of the document's history, named after the step they take, for
// the main window and the category windows alike. A filter box with typing of its own takes them
// while it has the focus.
class EditCommands : public QObject {
    Q_OBJECT

  public:
    // Puts the Edit menu into `menus` before the menu of `before`. Everything given outlives the
    // commands; the menu is owned through its Qt parent, the menu bar.
    EditCommands(QMenuBar& menus, QAction* before, Workspace& workspace, DocumentSignals& news,
                 CategoryWindowList& windows, Boxes& boxes);

    // While `mod` has a mod open, Undo and Redo take the latest step of any kind, showing its kind
    // first. `mod` outlives the commands.
    void SetModCommands(ModCommands* mod);

  private:
    void Undo1Click();
    void Step(bool redo);
    void Redo1Click();
    // The commands say which step they take, and are enabled when there is one.
    void ShowHistory();

    Workspace& m_workspace;
    CategoryWindowList& m_windows;
    Boxes& m_boxes;
    ModCommands* m_mod = nullptr;
    QAction* Undo1 = nullptr;  // owned through the Edit menu
    QAction* Redo1 = nullptr;
};

}  // namespace velmora
