// SPDX-License-Identifier: GPL-3.0-or-later
// The Edit menu and the views that follow the document: Undo and Redo, the caption's modified
// marker, the entry list after any change, and the entry an undo or redo touched brought into view.

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

#include "gui/category/CategoryWindow.h"
#include "gui/services/DocumentSignals.h"
#include "gui/widgets/FilterBox.h"
#include "core/settings/Globals.h"
#include "gui/widgets/QtText.h"
#include "core/store/Routines.h"
#include "gui/widgets/StringGrid.h"
#include "gui/main/MainWindow.h"
#include "core/store/TextCase.h"
#include "ui_MainWindow.h"

namespace velmora {

void MainWindow::BuildEditMenu() {
    auto* menu = new QMenu(QStringLiteral("&Edit"), this);
    menu->setObjectName(QStringLiteral("Edit1"));
    ui->MainMenu1->insertMenu(ui->Help1->menuAction(), menu);
    Undo1 = menu->addAction(QStringLiteral("Undo"));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = menu->addAction(QStringLiteral("Redo"));
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // The category windows, where the editing is done, take the keys too. A cell being typed in
    // keeps them for its own text.
    for (QAction* command : {Undo1, Redo1}) command->setShortcutContext(Qt::ApplicationShortcut);
    connect(Undo1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::Undo1Click>);
    connect(Redo1, &QAction::triggered, this, &MainWindow::Guarded<&MainWindow::Redo1Click>);

    DocumentSignals& news = *m_documentNews;
    connect(&news, &DocumentSignals::historyChanged, this, &MainWindow::ShowHistory);
    connect(&news, &DocumentSignals::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&news, &DocumentSignals::entriesChanged, this, &MainWindow::ShowCurrentCategory);
    connect(&news, &DocumentSignals::valueChanged, this, &MainWindow::ShowValueChange);
    connect(&news, &DocumentSignals::stepped, this, &MainWindow::ShowEditFocus);
    // A filter box with typing of its own takes Undo and Redo while it has the focus; the menu says
    // so as the focus moves and as typing begins.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
        if (auto* box = qobject_cast<FilterBox*>(now))
            connect(box, &FilterBox::undoOwnerChanged, this, &MainWindow::ShowHistory, Qt::UniqueConnection);
        ShowHistory();
    });
    ShowHistory();
}

namespace {

// The filter box with the focus when Undo and Redo are its own; none otherwise.
FilterBox* FilterOwningUndo() {
    auto* box = qobject_cast<FilterBox*>(QApplication::focusWidget());
    return box && box->OwnsUndo() ? box : nullptr;
}

}  // namespace

// A value being typed is committed first: it is the latest edit, and the one Undo takes back.
void MainWindow::Undo1Click() {
    if (FilterBox* box = FilterOwningUndo()) {
        box->undo();
        return;
    }
    CommitOpenEdits();
    if (m_workspace.Doc().CanUndo()) m_workspace.Doc().Undo();
}

void MainWindow::Redo1Click() {
    if (FilterBox* box = FilterOwningUndo()) {
        box->redo();
        return;
    }
    CommitOpenEdits();
    if (m_workspace.Doc().CanRedo()) m_workspace.Doc().Redo();
}

void MainWindow::ShowHistory() {
    if (const FilterBox* box = FilterOwningUndo()) {
        Undo1->setText(QStringLiteral("Undo Typing in Filter"));
        Undo1->setEnabled(box->isUndoAvailable());
        Redo1->setText(QStringLiteral("Redo Typing in Filter"));
        Redo1->setEnabled(box->isRedoAvailable());
        return;
    }
    const Document& document = m_workspace.Doc();
    Undo1->setText(ToCaption(document.UndoText()));
    Undo1->setEnabled(document.CanUndo());
    Redo1->setText(ToCaption(document.RedoText()));
    Redo1->setEnabled(document.CanRedo());
}

// The list of a category is a section too: a value written into it changes the entries listed.
void MainWindow::ShowValueChange(const std::string& Code, const std::string& /*Key*/) {
    const StringGrid& grid = *ui->CategoryGrid;
    if (NamesEqual(grid.Cells(0, grid.Row()), Code, m_globals.CaseSensitive)) ShowCurrentCategory();
}

// The category window of the edit, or else any open one that lists the entry, shows it; without
// one the main window's list does.
void MainWindow::ShowEditFocus(const EditFocus& Focus) {
    CategoryWindow* window = Focus.Category.empty() ? nullptr : FindCategoryWindow(Focus.Category);
    for (const CategoryWindowLine& line : m_categoryWindows)
        if (!window && line.Window && line.Window->ListsEntry(Focus.Code)) window = line.Window;
    if (window) {
        FocusAndShow(window);
        window->SelectEntry(Focus.Code, Focus.Key);
        return;
    }
    StringGrid& grid = *ui->CategoryGrid;
    const int row = IndexOfNoCase(grid.ColumnTexts(0), Focus.Category);
    if (row >= 0 && row != grid.Row()) grid.SetRow(row);  // refills the entry list
    QListWidget& list = *ui->ListBox2;
    for (int item = 0; item < list.count(); ++item) {
        if (ToBytes(list.item(item)->text()) != Focus.Code) continue;
        list.setCurrentRow(item);
        list.scrollToItem(list.item(item));
        break;
    }
}

}  // namespace velmora
