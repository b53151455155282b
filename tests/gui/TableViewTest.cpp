// SPDX-License-Identifier: GPL-3.0-or-later
// The category window's "all entries" on a copy of the sample: the switch and back, a sort by a
// header click, typing, a pasted block and its undo, a paste onto a selection, a value being typed when the page changes,
// the sort and the whole table kept across a change of columns and a reload, the export through
// the File menu, and a followed column added with the chooser of the View menu.

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopeGuard>
#include <QSettings>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "gui/table/BalanceTableModel.h"
#include "gui/table/BalanceTableView.h"
#include "gui/table/ColumnChooser.h"
#include "gui/table/TableSwitch.h"
#include "core/store/PlatformFile.h"
#include "core/table/TableFiles.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

int ColumnOf(const QAbstractItemModel& model, const QString& header) {
    for (int column = 0; column < model.columnCount(); ++column)
        if (model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() == header) return column;
    return -1;
}

QString Cell(const QTableView& view, int row, int column) {
    return view.model()->index(row, column).data().toString();
}

}  // namespace

class TableViewTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    using H = CategoryWindowHarness;

    void Finish() override { QCOMPARE(h->TakeShown(), QStringList()); }

    // The InfantryTypes window at its entry TORCH, switched to all entries by its Ctrl+T action.
    BalanceTableView* OpenTable(CategoryWindow*& window) {
        h->StartOnSample();
        int row = 0;
        while (row < h->Grid().RowCount() && h->Grid().Cells(0, row) != "InfantryTypes") ++row;
        window = h->Open(row, 1);
        if (!window) return nullptr;
        QAction& allEntries = window->Switch()->Action();
        if (allEntries.shortcut() != QKeySequence(Qt::CTRL | Qt::Key_T)) return nullptr;
        allEntries.trigger();
        return window->Switch()->Table();
    }

private slots:
    void switchesBackAndForthKeepingTheEntry() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        QVERIFY(table->isVisible());
        QVERIFY(!H::EntryList(w).isVisible());
        QCOMPARE(table->CurrentCode(), std::string("TORCH"));
        QCOMPARE(Cell(table->Values(), 0, 0), QStringLiteral("GRUNT"));

        table->SelectCode("SCOUT");
        QVERIFY(h->Click("AllEntriesButton"));
        QVERIFY(!table->isVisible());
        QVERIFY(H::EntryList(w).isVisible());
        QCOMPARE(H::LabelText(w, "Label2"), QStringLiteral("SCOUT"));
    }

    // A typed value that does not fit its key is written, marked with the reason, and noted.
    void marksAValueThatDoesNotFitItsKey() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        const QAbstractItemModel& model = *table->Values().model();
        const int cost = ColumnOf(model, QStringLiteral("Cost"));
        const auto grunt = [&] { return model.index(table->Model().RowOfCode("GRUNT"), cost); };
        QVERIFY(grunt().data(Qt::DecorationRole).isNull());
        QVERIFY(table->Values().model()->setData(grunt(), QStringLiteral("12O")));
        QTRY_VERIFY(!grunt().data(Qt::DecorationRole).isNull());
        QVERIFY(grunt().data(Qt::ToolTipRole).toString().contains(QStringLiteral("expected a whole number")));
        QVERIFY(H::In<QLabel>(w, "ValueNote").isVisible());
    }

    void sortsTypesPastesAndUndoes() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        QTableView& values = table->Values();
        const int cost = ColumnOf(*values.model(), QStringLiteral("Cost"));
        QVERIFY(cost > 1);

        // One click sorts by number (100 before 1000), a second reverses.
        QHeaderView& header = *values.horizontalHeader();
        const QPoint middle(header.sectionViewportPosition(cost) + header.sectionSize(cost) / 2, header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, middle);
        QCOMPARE(Cell(values, 0, 0), QStringLiteral("GRUNT"));
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, middle);
        QCOMPARE(Cell(values, values.model()->rowCount() - 1, 0), QStringLiteral("GRUNT"));

        // Typing commits one edit; the table shows the document's value.
        const int grunt = table->Model().RowOfCode("GRUNT");
        values.setCurrentIndex(values.model()->index(grunt, cost));
        QTest::keyClick(&values, Qt::Key_1);  // a key opens the cell's editor with it
        auto* editor = values.viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "25");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(Cell(values, table->Model().RowOfCode("GRUNT"), cost), QStringLiteral("125"));
        QCOMPARE(h->window->Work().Doc().UndoText(), std::string("Undo Change of Cost"));

        // A 2 x 2 block from the clipboard, then one undo takes it back whole.
        auto* filter =
            table->findChild<QLineEdit*>(QStringLiteral("EntryGridFilter"));  // the window's own box
        QVERIFY(filter && filter->isVisible());
        table->SelectCode("TORCH");
        filter->setText(QStringLiteral("o"));  // rows whose code or name holds "o"
        QVERIFY(values.model()->rowCount() < 5);
        QCOMPARE(table->CurrentCode(), std::string("TORCH"));  // the current cell stays on its entry
        filter->clear();
        values.sortByColumn(0, Qt::AscendingOrder);
        values.setCurrentIndex(values.model()->index(0, cost));
        QApplication::clipboard()->setText(QStringLiteral("1\t2\r\n3\t4\r\n"));
        QTest::keyClick(&values, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(h->window->Work().Doc().UndoText(), std::string("Undo Paste 4 values"));
        QTRY_COMPARE(Cell(values, 0, cost), QStringLiteral("1"));
        QVERIFY(h->Trigger("Undo1"));
        QTRY_COMPARE(Cell(values, table->Model().RowOfCode("GRUNT"), cost), QStringLiteral("125"));

        // A block too big is refused with the reason, and nothing changes. (The selection is set
        // whole: a key click of QTest can leave Ctrl held for setCurrentIndex.)
        values.selectionModel()->setCurrentIndex(values.model()->index(values.model()->rowCount() - 1, cost),
                                                 QItemSelectionModel::ClearAndSelect);
        table->PasteBlock("1\n2\n");
        QCOMPARE(h->TakeShown().size(), 1);
        QCOMPARE(h->window->Work().Doc().UndoText(), std::string("Undo Change of Cost"));
    }

    // Clicked top then shift-clicked two rows lower, the current cell is the lowest: a block still
    // goes from the top, and one value fills the selection.
    void pastesFromTheSelectionsTopLeft() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        QTableView& values = table->Values();
        const int cost = ColumnOf(*values.model(), QStringLiteral("Cost"));
        QVERIFY(cost > 1);
        const auto centre = [&](int row) { return values.visualRect(values.model()->index(row, cost)).center(); };
        QTest::mouseClick(values.viewport(), Qt::LeftButton, {}, centre(0));
        QTest::mouseClick(values.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2));
        QCOMPARE(values.currentIndex().row(), 2);
        QApplication::clipboard()->setText(QStringLiteral("7\n8\n9\n"));
        QTest::keyClick(&values, Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(Cell(values, 0, cost), QStringLiteral("7"));
        QCOMPARE(Cell(values, 2, cost), QStringLiteral("9"));

        const QItemSelection three(values.model()->index(0, cost), values.model()->index(2, cost));
        values.selectionModel()->select(three, QItemSelectionModel::ClearAndSelect);
        table->PasteBlock("5");
        QTRY_COMPARE(Cell(values, 0, cost), QStringLiteral("5"));
        QCOMPARE(Cell(values, 1, cost), QStringLiteral("5"));
        QCOMPARE(Cell(values, 2, cost), QStringLiteral("5"));
        QCOMPARE(h->window->Work().Doc().UndoText(), std::string("Undo Paste 3 values"));
    }

    // A click on another page's tab while a cell is being typed into writes the value first, as the
    // value grid does.
    void aValueBeingTypedIsCommittedWhenAnotherPageIsShown() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        QTableView& values = table->Values();
        const int cost = ColumnOf(*values.model(), QStringLiteral("Cost"));
        values.setCurrentIndex(values.model()->index(table->Model().RowOfCode("GRUNT"), cost));
        QTest::keyClick(&values, Qt::Key_7);
        auto* editor = values.viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "77");
        auto* pages = table->findChild<QTabBar*>(QStringLiteral("TablePages"));
        QVERIFY(pages && pages->count() > 1);
        QTest::mouseClick(pages, Qt::LeftButton, {}, TabPlace(*pages, 1).center());
        QCOMPARE(pages->currentIndex(), 1);
        QCOMPARE(h->window->Work().Doc().Store().ReadString("GRUNT", "Cost", ""), std::string("777"));
        QCOMPARE(h->window->Work().Doc().UndoText(), std::string("Undo Change of Cost"));
    }

    // Columns chosen anew keep the rows sorted by the key they were sorted by, wherever it went.
    void theSortFollowsItsKeyWhenTheColumnsChange() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        QTableView& values = table->Values();
        values.sortByColumn(ColumnOf(*values.model(), QStringLiteral("Cost")), Qt::DescendingOrder);
        QTimer::singleShot(0, this, [&] {
            auto* chooser = qobject_cast<ColumnChooser*>(QApplication::activeModalWidget());
            if (!chooser) return;
            auto* shown = chooser->findChild<QListWidget*>("ChooserShown");
            const QList<QListWidgetItem*> tier = shown->findItems(QStringLiteral("TechTier"), Qt::MatchExactly);
            if (tier.size() == 1) {
                shown->clearSelection();
                tier.front()->setSelected(true);
                QTest::mouseClick(chooser->findChild<QAbstractButton*>("ChooserUp"), Qt::LeftButton);  // before Cost
            }
            chooser->accept();
        });
        QVERIFY(h->Trigger("ChooseColumns1"));
        const int cost = ColumnOf(*values.model(), QStringLiteral("Cost"));
        QVERIFY(ColumnOf(*values.model(), QStringLiteral("TechTier")) < cost);
        QCOMPARE(values.horizontalHeader()->sortIndicatorSection(), cost);
        for (int row = 1; row < values.model()->rowCount(); ++row)
            QVERIFY(Cell(values, row - 1, cost).toInt() >= Cell(values, row, cost).toInt());
    }

    // The document read again after another program changed it: the window shows its table as it
    // was, on its page, sorted as it was, at the same entry.
    void aReloadKeepsTheTableAsItWas() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        const std::string doc = h->folder.File("doc.ini");
        h->boxes.EnqueueFileName(doc);
        QVERIFY(h->Trigger("SaveAs1"));
        h->TakeShown();
        auto* pages = table->findChild<QTabBar*>(QStringLiteral("TablePages"));
        pages->setCurrentIndex(2);
        const int speed = ColumnOf(*table->Values().model(), QStringLiteral("Speed"));
        table->Values().sortByColumn(speed, Qt::DescendingOrder);
        table->Values().setCurrentIndex(table->Model().index(table->Model().RowOfCode("SCOUT"), speed));

        std::string text = h->folder.Read("doc.ini");
        const size_t at = text.find("Cost=", text.find("[GRUNT]"));
        QVERIFY(at != std::string::npos);
        text.replace(at, text.find("\r\n", at) - at, "Cost=4321");
        h->folder.Write("doc.ini", text);
        QTRY_COMPARE(h->window->Work().Doc().Store().ReadString("GRUNT", "Cost", ""), std::string("4321"));

        CategoryWindow* again = h->WindowOf("InfantryTypes");
        QVERIFY(again && again->Switch() && again->Switch()->ShowsAllEntries());
        table = again->Switch()->Table();
        QCOMPARE(table->findChild<QTabBar*>(QStringLiteral("TablePages"))->currentIndex(), 2);
        QCOMPARE(ColumnOf(*table->Values().model(), QStringLiteral("Speed")), speed);
        QCOMPARE(table->Values().horizontalHeader()->sortIndicatorSection(), speed);
        QCOMPARE(table->Values().horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(table->CurrentCode(), std::string("SCOUT"));
        QCOMPARE(table->Values().currentIndex().column(), speed);
    }

    void exportsThroughTheFileDialog() {
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        const std::string file = h->folder.File("infantry.csv");
        h->boxes.EnqueueFileName(file);
        QVERIFY(h->Trigger("ExportTable1"));
        const QString workbooks = WorkbooksSupported() ? "Workbooks (*.xlsx)|*.xlsx|" : "";
        QCOMPARE(h->TakeShown(), QStringList() << "SaveFile | CSV files (*.csv)|*.csv|" + workbooks +
                                                      "All files (*.*)|*.* | InfantryTypes.csv");
        const std::optional<std::string> written = platform::ReadWholeFile(file);
        QVERIFY(written);
        QVERIFY(written->starts_with("\xEF\xBB\xBF" "Code,Name,"));
        if (!WorkbooksSupported()) return;

        // With rows filtered out the user is asked which to export; a workbook goes by its name and
        // comes back through Import Table as no change.
        table->Model().SetFilter("Grunt");
        const std::string workbook = h->folder.File("infantry.xlsx");
        h->boxes.EnqueueChoice(0);
        h->boxes.EnqueueFileName(workbook);
        QVERIFY(h->Trigger("ExportTable1"));
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0], QStringLiteral("Confirm | Confirm | The filter shows 1 of the 5 entries. Export the 1 shown, "
                                          "or all 5? | &Shown entries,&All entries,Cancel"));
        QVERIFY(platform::ReadWholeFile(workbook).value_or("").starts_with("PK\x03\x04"));
        h->boxes.EnqueueFileName(workbook);
        QVERIFY(h->Trigger("ImportTable1"));
        QCOMPARE(h->TakeShown(), QStringList() << "OpenFile | Table files (*.csv;*.xlsx)|*.csv;*.xlsx|CSV files (*.csv)|*.csv|"
                                                  "Workbooks (*.xlsx)|*.xlsx|All files (*.*)|*.* | InfantryTypes.csv"
                                               << "Notice | VelmoraEdit | 0 changes. | OK");
    }

    void choosesAFollowedColumnAndWritesTheNamedEntry() {
        QSettings settings(QString::fromStdString(h->folder.File("user-settings.ini")), QSettings::IniFormat);
        h->userSettings = &settings;
        const auto dropWindow = qScopeGuard([this] { h->window.reset(); });  // before the settings go
        CategoryWindow* w = nullptr;
        BalanceTableView* table = OpenTable(w);
        QVERIFY(table);
        // In the chooser: Primary › Damage, found under Primary, added at the end and moved up one.
        bool chosen = false;
        QTimer::singleShot(0, this, [&] {
            auto* chooser = qobject_cast<ColumnChooser*>(QApplication::activeModalWidget());
            if (!chooser) return;
            auto* keys = chooser->findChild<QTreeWidget*>("ChooserKeys");
            const QList<QTreeWidgetItem*> found =
                keys->findItems(QStringLiteral("Primary \u203A Damage"), Qt::MatchExactly | Qt::MatchRecursive);
            if (found.size() == 1 && found.front()->parent() && found.front()->parent()->text(0) == "Primary") {
                keys->setCurrentItem(found.front());
                QTest::mouseClick(chooser->findChild<QAbstractButton*>("ChooserAdd"), Qt::LeftButton);
                QTest::mouseClick(chooser->findChild<QAbstractButton*>("ChooserUp"), Qt::LeftButton);
                chosen = true;
            }
            chooser->accept();
        });
        QVERIFY(h->Trigger("ChooseColumns1"));
        QVERIFY(chosen);
        QVERIFY(!QApplication::activeModalWidget());
        QTableView& values = table->Values();
        const int damage = ColumnOf(*values.model(), QStringLiteral("Primary \u203A Damage"));
        QCOMPARE(damage, values.model()->columnCount() - 2);

        // GRUNT's RIFLE, which SCOUT fires too: the cell says so, and an edit writes the RIFLE.
        const QModelIndex grunt = values.model()->index(table->Model().RowOfCode("GRUNT"), damage);
        QCOMPARE(grunt.data().toString(), QStringLiteral("15"));
        QCOMPARE(grunt.data(Qt::ToolTipRole).toString(), QStringLiteral("RIFLE is used by 2 entries"));
        QVERIFY(values.model()->setData(grunt, QStringLiteral("18"), Qt::EditRole));
        QCOMPARE(h->window->Work().Doc().Store().ReadString("RIFLE", "Damage", ""), std::string("18"));
        QCOMPARE(h->window->Work().Doc().UndoText(), std::string("Undo Change of RIFLE Damage"));

        // The choice is kept for the category's page: a table made afresh shows it.
        BalanceTableView again(h->window->Work(), h->window->DocumentNews(), h->boxes, h->window->UserSettings(),
                               "InfantryTypes", nullptr);
        QCOMPARE(ColumnOf(*again.Values().model(), QStringLiteral("Primary \u203A Damage")), damage);
    }
};

VELMORA_GUI_TEST(TableViewTest)
#include "TableViewTest.moc"
