// SPDX-License-Identifier: GPL-3.0-or-later
// Layers in the editor, on the sample mod with its game mode and map: the value that wins and its
// mark, an edit in a layer, the Conflicts window and a save of every changed file.

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "core/session/DocumentLayers.h"
#include "gui/find/ConflictsWindow.h"
#include "gui/table/BalanceTableModel.h"
#include "gui/widgets/LayerColours.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

using H = CategoryWindowHarness;

int RowOfKey(const StringGrid& grid, const std::string& key) {
    for (int row = 0; row < grid.RowCount(); ++row)
        if (grid.Cells(1, row) == key) return row;
    return -1;
}

}  // namespace

class LayersTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    // The mod's rules open, the game mode and the map over them, HAULER's window open.
    CategoryWindow* OpenHaulerOverLayers() {
        h->StartOnSample();
        h->boxes.EnqueueFileName(h->folder.File("mods/Cinderfall.ini"));
        if (!h->Trigger("Open1")) return nullptr;
        for (const char* layer : {"mods/Duel.ini", "maps/Ridge.map"}) {
            h->boxes.EnqueueFileName(h->folder.File(layer));
            if (!h->Trigger("AddLayer1")) return nullptr;
        }
        h->TakeShown();  // the file dialogs
        h->window->OpenEntryTarget({"HAULER", "Cost", {}});
        return h->WindowOf("VehicleTypes");
    }

    void Type(CategoryWindow* window, int row, const QString& text) {
        StringGrid& values = H::ValueGrid(window);
        // Offscreen, no window manager gives the window the activation back from another.
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window);
        if (values.Row() != row) H::ClickCell(values, 2, row);
        values.setFocus();
        QTRY_VERIFY(values.hasFocus());
        QTest::keyClicks(&values, text.left(1));
        QVERIFY(values.IsEditorOpen());
        QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

  private slots:
    void theWindowShowsTheWinnerAndAnEditGoesIntoTheFileChosen() {
        CategoryWindow* hauler = OpenHaulerOverLayers();
        QVERIFY(hauler);
        const std::string map = h->folder.Read("maps/Ridge.map");
        const std::string mod = h->folder.Read("mods/Cinderfall.ini");
        StringGrid& values = H::ValueGrid(hauler);
        const int cost = RowOfKey(values, "Cost");
        const int name = RowOfKey(values, "Name");
        QVERIFY(cost >= 0 && name >= 0);
        QCOMPARE(values.Cells(2, cost), std::string("1100"));
        QCOMPARE(values.Shade(2, cost), LayerColour(1));
        // Where the value comes from first, then the default copy's value it differs from.
        const std::string tip = values.Tip(2, cost);
        QCOMPARE(Latin1(tip.substr(0, tip.find('\n'))),
                 QString("1100, from Ridge.map line 31; overrides 1000 from Duel.ini line 9"));
        QVERIFY(values.IsDrawnRed(2, cost));
        QCOMPARE(values.Shade(2, name), QColor());
        QCOMPARE(H::In<QLabel>(hauler, "LegendOf1").text(), QString("Duel.ini"));

        // "Edit in:" the game mode: the name goes into its [HAULER], and shows in its colour.
        auto& editIn = H::In<QComboBox>(hauler, "EditIn");
        QTest::keyClick(&editIn, Qt::Key_Down);
        QCOMPARE(editIn.currentText(), QString("Duel.ini"));
        Type(hauler, name, "Duel Hauler");
        QTRY_COMPARE(values.Cells(2, name), std::string("Duel Hauler"));
        QCOMPARE(values.Shade(2, name), LayerColour(0));
        h->window->Work().Doc().Undo();
        QCOMPARE(values.Cells(2, name), std::string("Ore Hauler"));
        h->window->Work().Doc().Redo();

        // The Conflicts window lists the cost three files set, and opens it for an edit in the map.
        QVERIFY(h->Trigger("Conflicts1"));
        auto* conflicts = h->window->findChild<ConflictsWindow*>(QStringLiteral("ConflictsWindow"));
        QVERIFY(conflicts && conflicts->isVisible());
        QAbstractItemModel& rows = *conflicts->View().model();
        int row = 0;
        while (row < rows.rowCount() && rows.index(row, 1).data().toString() != "Cost") ++row;
        QVERIFY(row < rows.rowCount());
        QCOMPARE(rows.index(row, 2).data().toString(),
                 QString("Cinderfall.ini 1400 <- Duel.ini 1000 <- Ridge.map 1100"));
        QCOMPARE(rows.index(row, 3).data().toString(), QString("Ridge.map 1100"));
        // It follows the edits: the name the mode now sets otherwise than the rules is a conflict.
        QCOMPARE(rows.match(rows.index(0, 2), Qt::DisplayRole, "Cinderfall.ini Ore Hauler <- Duel.ini Duel Hauler").size(), 1);
        conflicts->View().setCurrentIndex(rows.index(row, 0));
        QTest::keyClick(&conflicts->View(), Qt::Key_Return);
        QCOMPARE(editIn.currentText(), QString("Ridge.map"));
        Type(hauler, cost, "1200");
        QTRY_COMPARE(values.Cells(2, cost), std::string("1200"));

        // One save writes both layers; the rules and every other line of the map stay as they were.
        QVERIFY(h->Trigger("Save1"));
        std::string edited = map;
        edited.replace(edited.find("Cost=1100"), 9, "Cost=1200");
        QCOMPARE(h->folder.Read("maps/Ridge.map"), edited);
        QVERIFY(h->folder.Read("mods/Duel.ini").find("[HAULER]\r\nName=Duel Hauler\r\nCost=1000 ; a cheaper hauler for a fast start\r\n") !=
                std::string::npos);
        QCOMPARE(h->folder.Read("mods/Cinderfall.ini"), mod);
        QCOMPARE(h->TakeShown(), QStringList());

        // An unsaved edit of a layer alone is asked about on closing, as the document's is.
        h->window->Layers().Write(1, "HAULER", "Name", "Hauler");
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(!h->window->close());
        QVERIFY(h->TakeShown().join("\n").contains("Save changes"));
    }

    // A unit only the map's list adds: listed after the mod's own in the map's colour, its values
    // read from the map, and changed only there.
    void anEntryTheMapAddsIsListedAndChangedOnlyInTheMap() {
        QVERIFY(OpenHaulerOverLayers());
        h->window->OpenEntryTarget({"GRUNT", "Cost", {}});
        CategoryWindow* window = h->WindowOf("InfantryTypes");
        QVERIFY(window);
        StringGrid& entries = H::EntryList(window);
        const int ridger = entries.RowCount() - 1;
        QCOMPARE(entries.Cells(0, ridger), std::string("RIDGER"));
        QCOMPARE(entries.Cells(1, ridger), std::string("Ridge Runner"));
        QCOMPARE(entries.Shade(0, ridger), LayerColour(1));
        QCOMPARE(entries.Tip(0, ridger), std::string("added by Ridge.map"));
        H::ClickCell(entries, 0, ridger);
        StringGrid& values = H::ValueGrid(window);
        const int cost = RowOfKey(values, "Cost");
        QVERIFY(cost >= 0);
        QCOMPARE(values.Cells(2, cost), std::string("200"));

        const std::string map = h->folder.Read("maps/Ridge.map");
        Type(window, cost, "250");  // "Edit in:" still names the mod's rules
        QVERIFY(h->TakeShown().join("\n").contains("added by Ridge.map"));
        QCOMPARE(values.Cells(2, cost), std::string("200"));
        H::In<QPushButton>(window, "Duplicate").click();
        QVERIFY(h->TakeShown().join("\n").contains("RIDGER is added by Ridge.map"));
        // The table of all entries lists it last too, marked as the list marks it.
        BalanceTableModel table(h->window->Work(), "InfantryTypes", nullptr);
        table.SetLayers(&h->window->Layers(), {});
        const QModelIndex code = table.index(table.rowCount() - 1, 0);
        QCOMPARE(code.data().toString(), QString("RIDGER"));
        QCOMPARE(code.data(Qt::ToolTipRole).toString(), QString("added by Ridge.map"));
        QCOMPARE(table.index(code.row(), 1).data().toString(), QString("Ridge Runner"));

        H::In<QComboBox>(window, "EditIn").setCurrentIndex(2);
        Type(window, cost, "250");
        QTRY_COMPARE(values.Cells(2, cost), std::string("250"));
        QVERIFY(h->Trigger("Save1"));
        std::string edited = map;
        edited.replace(edited.find("Cost=200"), 8, "Cost=250");
        QCOMPARE(h->folder.Read("maps/Ridge.map"), edited);
    }

    // The list of layers reorders and removes them, and the open window follows.
    void theLayerListReordersAndRemovesWhatTheWindowShows() {
        CategoryWindow* hauler = OpenHaulerOverLayers();
        QVERIFY(hauler);
        StringGrid& values = H::ValueGrid(hauler);
        const int cost = RowOfKey(values, "Cost");
        QVERIFY(h->Trigger("Layers1"));
        auto* list = h->window->findChild<QListWidget*>(QStringLiteral("LayerList"));
        QVERIFY(list && list->isVisible());
        list->setCurrentRow(1);
        QVERIFY(h->Click("LayerUp"));  // the mode now reads over the map
        QCOMPARE(list->item(1)->text(), QString("Duel.ini"));
        QCOMPARE(values.Cells(2, cost), std::string("1000"));
        QCOMPARE(values.Shade(2, cost), LayerColour(1));
        QCOMPARE(H::In<QComboBox>(hauler, "EditIn").itemText(2), QString("Duel.ini"));

        // A layer with unsaved edits goes only when the user agrees to lose them.
        h->window->Layers().Write(2, "HAULER", "Cost", "900");
        list->setCurrentRow(1);
        h->boxes.EnqueueAnswer(BoxAnswer::No);
        QVERIFY(h->Click("LayerRemove"));
        QCOMPARE(list->count(), 2);
        h->boxes.EnqueueAnswer(BoxAnswer::Yes);
        QVERIFY(h->Click("LayerRemove"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(values.Cells(2, cost), std::string("1100"));
        QCOMPARE(h->TakeShown().size(), 2);
    }
};

VELMORA_GUI_TEST(LayersTest)
#include "LayersTest.moc"
