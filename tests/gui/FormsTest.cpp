// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QDialog>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "GuiTestMain.h"
#include "gui/widgets/StringGrid.h"
#include "ui_CategoryWindow.h"
#include "ui_ValueChoiceDialog.h"
#include "ui_MainWindow.h"
#include "ui_CodeNameDialog.h"

using velmora::StringGrid;

namespace {

QStringList Missing(const QWidget& root, const QStringList& names) {
    QStringList missing;
    for (const QString& name : names)
        if (!root.findChild<QObject*>(name)) missing << name;
    return missing;
}

// The named widgets in the order Tab visits them, starting at `first`.
QStringList TabOrder(QWidget* first, const QStringList& names) {
    QStringList order;
    QWidget* widget = first;
    do {
        if (names.contains(widget->objectName()) && !order.contains(widget->objectName()))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first && order.size() < names.size());
    return order;
}

QStringList TabTitles(const QTabWidget& pages) {
    QStringList titles;
    for (int i = 0; i < pages.count(); ++i) titles << pages.tabText(i);
    return titles;
}

}  // namespace

class FormsTest : public QObject {
    Q_OBJECT

private slots:
    void mainWindow() {
        QMainWindow window;
        Ui::MainWindow ui;
        ui.setupUi(&window);
        QStringList names = {"Panel6",         "Button3", "Panel1",       "Panel2",   "Load1",
                             "Apply1",         "Button1", "BackupButton", "Panel3",   "PageControl1",
                             "CategoryGrid",    "Panel4",  "Button2",      "ListBox2", "Panel5",
                             "MainMenu1",      "New1",    "Open1",        "Save1",    "SaveAs1",
                             "NewDefinition1", "ProgramFolder1", "Exit1"};
        for (int k = 1; k <= 10; ++k) names << QStringLiteral("SpeedButton%1").arg(k);
        QCOMPARE(Missing(window, names), QStringList());

        QCOMPARE(window.windowTitle(), QStringLiteral("Velmora Edit Main Window"));
        QCOMPARE(ui.Button3->parentWidget(), ui.Panel6);
        QCOMPARE(ui.Load1->text(), QStringLiteral("Load Game's Data"));
        QCOMPARE(TabTitles(*ui.PageControl1), QStringList({"MAIN", "ALL"}));
        QCOMPARE(ui.PageControl1->currentIndex(), 0);
        QVERIFY(ui.SpeedButton4->isCheckable());
        QCOMPARE(ui.SpeedButton4->focusPolicy(), Qt::NoFocus);
        QCOMPARE(ui.CategoryGrid->ColCount(), 1);

        QStringList menu;
        for (QAction* action : ui.File1->actions())
            menu << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(ui.File1->title(), QStringLiteral("&File"));
        QCOMPARE(menu, QStringList({"&New", "&Open...", "Open &Recent", "&Save", "Save &As…", "-",
                                    "New Definition from Document…", "Program Folder\u2026", "-", "E&xit"}));
        QStringList help;
        for (QAction* action : ui.Help1->actions()) help << action->text();
        QCOMPARE(help, QStringList({"&Keyboard Shortcuts", "&About Velmora Edit"}));

        // As laid out: the title's arrow, the game buttons left to right, the pages, the entry panel.
        const QStringList tabs = {"Button3",      "Load1",       "Apply1",  "BackupButton", "Button1",
                                  "PageControl1", "CategoryGrid", "Button2", "ListBox2"};
        QCOMPARE(TabOrder(ui.Button3, tabs), tabs);
    }

    void categoryWindow() {
        QWidget window;
        Ui::CategoryWindow ui;
        ui.setupUi(&window);
        QCOMPARE(
            Missing(window, {"Panel1",       "Panel5",      "Button4",   "Button2",     "Button3", "Panel6",
                             "Panel7",       "EntryGrid", "Duplicate", "Delete",      "Panel2",  "Label1",
                             "Label2",       "Label3",      "Label6",    "Panel3",      "Image1",  "Image2",
                             "PageControl1", "TabSheet1",   "Panel8",    "ValueGrid", "Memo1"}),
            QStringList());
        QCOMPARE(TabTitles(*ui.PageControl1), QStringList({"t1"}));
        QCOMPARE(ui.Panel8->text(), QStringLiteral("_"));
        QCOMPARE(ui.Memo1->toPlainText(), QStringLiteral("0 "));
        QVERIFY(ui.Memo1->isReadOnly());

        QCOMPARE(ui.EntryGrid->RowCount(), 1200);
        QCOMPARE(ui.EntryGrid->ColCount(), 2);
        QVERIFY(ui.EntryGrid->RowSelect());
        QVERIFY(ui.EntryGrid->RedMarkWholeRow());
        QCOMPARE(ui.EntryGrid->EditableCol(), -1);
        QCOMPARE(ui.ValueGrid->ColCount(), 3);
        QCOMPARE(ui.ValueGrid->FixedCols(), 1);
        QCOMPARE(ui.ValueGrid->EditableCol(), 2);
        QCOMPARE(ui.ValueGrid->Col(), 1);
        QCOMPARE(ui.ValueGrid->rowHeight(0), 20);
    }

    void choiceDialog() {
        QDialog dialog;
        Ui::ValueChoiceDialog ui;
        ui.setupUi(&dialog);
        QCOMPARE(Missing(dialog, {"Panel1", "Panel2", "ListBox1", "Label1", "OKButton", "CancelButton",
                                  "ValuesButton"}),
                 QStringList());
        QCOMPARE(ui.ListBox1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(ui.OKButton->text(), QStringLiteral("&OK"));
        const QStringList tabs = {"ListBox1", "CancelButton", "OKButton", "ValuesButton"};
        QCOMPARE(TabOrder(ui.ListBox1, tabs), tabs);

        // Enter in the list is OK, Esc is Cancel.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        ui.ListBox1->setFocus();
        QTest::keyClick(ui.ListBox1, Qt::Key_Return);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(ui.ListBox1, Qt::Key_Escape);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void codeAndNameDialog() {
        QDialog dialog;
        Ui::CodeNameDialog ui;
        ui.setupUi(&dialog);
        QCOMPARE(Missing(dialog, {"Label1", "Label2", "Edit1", "Edit2", "OKButton1", "CancelButton2"}),
                 QStringList());
        QCOMPARE(ui.Edit1->text(), QStringLiteral("Edit1"));
        const QStringList tabs = {"Edit1", "Edit2", "OKButton1", "CancelButton2"};
        QCOMPARE(TabOrder(ui.Edit1, tabs), tabs);
        // Enter in a field presses OK.
        QVERIFY(ui.OKButton1->isDefault() && !ui.CancelButton2->isDefault());
    }
};

VELMORA_GUI_TEST(FormsTest)
#include "FormsTest.moc"
