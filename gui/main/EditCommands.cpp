// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu: Undo and Redo, and what they say they would take back or do again.

#include "gui/main/EditCommands.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>

#include "core/catalogue/Workspace.h"
#include "gui/main/CategoryWindowList.h"
#include "gui/main/ModCommands.h"
#include "gui/services/DocumentSignals.h"
#include "gui/services/GeneralHandler.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/QtText.h"

namespace velmora {

namespace {

// The filter box with the focus when Undo and Redo are its own; none otherwise.
FilterBox* FilterOwningUndo() {
    auto* box = qobject_cast<FilterBox*>(QApplication::focusWidget());
    return box && box->OwnsUndo() ? box : nullptr;
}

}  // namespace

EditCommands::EditCommands(QMenuBar& menus, QAction* before, Workspace& workspace, DocumentSignals& news,
                           CategoryWindowList& windows, Boxes& boxes)
    : m_workspace(workspace), m_windows(windows), m_boxes(boxes) {
    auto* menu = new QMenu(QStringLiteral("&Edit"), &menus);
    menu->setObjectName(QStringLiteral("Edit1"));
    menus.insertMenu(before, menu);
    Undo1 = menu->addAction(QStringLiteral("Undo"));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = menu->addAction(QStringLiteral("Redo"));
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // The category windows, where the editing is done, take the keys too. A cell being typed in
    // keeps them for its own text.
    for (QAction* command : {Undo1, Redo1}) command->setShortcutContext(Qt::ApplicationShortcut);
    connect(Undo1, &QAction::triggered, this, [this] { RunEventHandler(m_boxes, [this] { Undo1Click(); }); });
    connect(Redo1, &QAction::triggered, this, [this] { RunEventHandler(m_boxes, [this] { Redo1Click(); }); });

    connect(&news, &DocumentSignals::historyChanged, this, &EditCommands::ShowHistory);
    // A filter box with typing of its own takes Undo and Redo while it has the focus; the menu says
    // so as the focus moves and as typing begins.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
        if (auto* box = qobject_cast<FilterBox*>(now))
            connect(box, &FilterBox::undoOwnerChanged, this, &EditCommands::ShowHistory,
                    Qt::UniqueConnection);
        ShowHistory();
    });
    ShowHistory();
}

void EditCommands::SetModCommands(ModCommands* mod) {
    m_mod = mod;
    ShowHistory();
}

void EditCommands::Undo1Click() {
    if (FilterBox* box = FilterOwningUndo()) {
        box->undo();
        return;
    }
    Step(false);
}

void EditCommands::Redo1Click() {
    if (FilterBox* box = FilterOwningUndo()) {
        box->redo();
        return;
    }
    Step(true);
}

// A value being typed is committed first: it is the latest edit, and the one Undo takes back. With
// a mod open the step may be another kind's, which is shown first.
void EditCommands::Step(bool redo) {
    m_windows.CommitOpenEdits();
    if (m_mod && m_mod->IsOpen()) {
        m_mod->Step(redo);
        return;
    }
    Document& document = m_workspace.Doc();
    if (redo && document.CanRedo()) document.Redo();
    if (!redo && document.CanUndo()) document.Undo();
}

void EditCommands::ShowHistory() {
    if (const FilterBox* box = FilterOwningUndo()) {
        Undo1->setText(QStringLiteral("Undo Typing in Filter"));
        Undo1->setEnabled(box->isUndoAvailable());
        Redo1->setText(QStringLiteral("Redo Typing in Filter"));
        Redo1->setEnabled(box->isRedoAvailable());
        return;
    }
    if (m_mod && m_mod->IsOpen()) {
        // The step of another kind says which kind it is in.
        const Document* undo = m_mod->StepDocument(false);
        const Document* redo = m_mod->StepDocument(true);
        const std::string undoKind = m_mod->OtherStepKind(false);
        const std::string redoKind = m_mod->OtherStepKind(true);
        Undo1->setText(ToCaption(undo ? undo->UndoText() + (undoKind.empty() ? "" : " in " + undoKind) : "Undo"));
        Undo1->setEnabled(undo && undo->CanUndo());
        Redo1->setText(ToCaption(redo ? redo->RedoText() + (redoKind.empty() ? "" : " in " + redoKind) : "Redo"));
        Redo1->setEnabled(redo && redo->CanRedo());
        return;
    }
    const Document& document = m_workspace.Doc();
    Undo1->setText(ToCaption(document.UndoText()));
    Undo1->setEnabled(document.CanUndo());
    Redo1->setText(ToCaption(document.RedoText()));
    Redo1->setEnabled(document.CanRedo());
}

}  // namespace velmora
