// SPDX-License-Identifier: GPL-3.0-or-later
// Finding on a copy of the sample installation, driven through the windows: the find window and
// the results that open their entries at the key, the filter boxes with type-ahead, Find Usages
// and Check References and Check Values. The rules behind them are tested in the core.

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <random>
#include <regex>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "core/entries/ValueEdits.h"
#include "core/references/FindIndex.h"
#include "gui/widgets/FilterBox.h"
#include "gui/widgets/QtText.h"
#include "gui/find/ResultsWindow.h"
#include "gui/find/FindWindow.h"

using namespace velmora;
using namespace velmora::testing;

namespace {

// Grid rows of the sample: 0 InfantryTypes, 1 VehicleTypes, 2 AircraftTypes, 3 BuildingTypes,
// 4 Weapons, ...
using H = CategoryWindowHarness;

// The open results window of that object name, with its table.
QTableView* ResultsOf(const MainWindow& main, const char* name) {
    auto* window = main.findChild<ResultsWindow*>(QLatin1String(name));
    return window && window->isVisible() ? &window->View() : nullptr;
}

// Column `col` of a results table, top to bottom.
QStringList ResultColumn(const QTableView& view, int col) {
    QStringList texts;
    for (int row = 0; row < view.model()->rowCount(); ++row)
        texts << view.model()->index(row, col).data().toString();
    return texts;
}

// The code and the key a category window shows as selected.
QString Selected(const CategoryWindow* window) {
    const StringGrid& entries = H::EntryList(window);
    const StringGrid& values = H::ValueGrid(window);
    return Latin1(entries.Cells(0, entries.Row()) + " " + values.Cells(1, values.Row()));
}

QStringList ShownCodes(const StringGrid& grid) {
    QStringList codes;
    for (int row = 0; row < grid.RowCount(); ++row)
        if (!grid.isRowHidden(row)) codes << Latin1(grid.Cells(0, row));
    return codes;
}

}  // namespace

class FindingTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

  private slots:
    void findShowsMatchesAsTypedAndOpensTheEntryAtTheKey() {
        h->StartOnSample();
        QVERIFY(h->Trigger("Find1"));
        QTableView* results = ResultsOf(*h->window, "FindWindow");
        QVERIFY(results);
        auto* text = h->Find<QLineEdit>("FindText");
        QTRY_VERIFY(text->hasFocus());
        // Typed before the index is made, the search runs once it is.
        QTest::keyClicks(text, "rockets");
        QTRY_COMPARE(ResultColumn(*results, 1), QStringList({"TANKH", "BIKE", "FALCON", "ROCKETS"}));
        QCOMPARE(ResultColumn(*results, 3), QStringList({"Secondary", "Primary", "Primary", ""}));

        // Whole words: "rocket" is only part of a word, here and in "rocket1".
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(results->model()->rowCount(), 5);
        h->Find<QCheckBox>("WholeWords")->setChecked(true);
        QCOMPARE(results->model()->rowCount(), 0);
        h->Find<QCheckBox>("WholeWords")->setChecked(false);
        QTest::keyClick(text, 's');

        // Enter on a result opens its entry in its category window, on the key's page and row.
        results->setCurrentIndex(results->model()->index(2, 0));
        QTest::keyClick(results, Qt::Key_Return);
        const CategoryWindow* aircraft = h->WindowOf("AircraftTypes");
        QVERIFY(aircraft);
        QCOMPARE(Selected(aircraft), QString("FALCON Primary"));
        // Enter in the search text opens the current result too; the open window follows.
        results->setCurrentIndex(results->model()->index(0, 0));
        QTest::keyClick(text, Qt::Key_Return);
        QVERIFY(h->WindowOf("VehicleTypes"));
        QCOMPARE(Selected(h->WindowOf("VehicleTypes")), QString("TANKH Secondary"));
        QVERIFY(h->TakeShown().isEmpty());
    }

    // The index is made away from the windows as soon as a document is shown: an edit made
    // meanwhile is searched all the same, and another document opened afterwards is searched
    // instead of the one before.
    void findSearchesTheDocumentAsItStandsOnceItsIndexIsMade() {
        h->StartOnSample();
        auto* find = h->window->findChild<FindWindow*>(QStringLiteral("FindWindow"));
        QVERIFY(find && !find->isVisible());
        h->Edit("GRUNT", "Armor", "zincplate");
        QVERIFY(h->Trigger("Find1"));
        QTest::keyClicks(h->Find<QLineEdit>("FindText"), "zincplate");
        QTableView* results = ResultsOf(*h->window, "FindWindow");
        QTRY_COMPARE(ResultColumn(*results, 1), QStringList({"GRUNT"}));

        h->boxes.EnqueueAnswer(BoxAnswer::No);  // the unsaved change is dropped
        QVERIFY(h->Trigger("New1"));
        QVERIFY(find->Preparing());
        QTRY_VERIFY(!find->Preparing());
        QCOMPARE(results->model()->rowCount(), 0);
        QVERIFY(h->TakeShown().size() == 1);
    }

    // The results follow edits, undos and redos section by section: after each they are the rows
    // a fresh search finds, and a selected row of an entry left alone stays selected.
    void findResultsFollowEditsAsAFreshSearchFindsThem() {
        h->StartOnSample();
        QVERIFY(h->Trigger("Find1"));
        QTRY_VERIFY(!h->Find<FindWindow>("FindWindow")->Preparing());
        QTest::keyClicks(h->Find<QLineEdit>("FindText"), "rocket");
        QTableView* results = ResultsOf(*h->window, "FindWindow");
        QVERIFY(results);
        const auto shown = [results] {
            QStringList rows;
            for (int row = 0; row < results->model()->rowCount(); ++row)
                rows << ResultColumn(*results, 1)[row] + " " + ResultColumn(*results, 3)[row] + "=" +
                            ResultColumn(*results, 4)[row];
            return rows;
        };
        Workspace& work = h->window->Work();
        const auto fresh = [&work] {
            const FindIndex index(work);
            QStringList rows;
            for (const FindIndex::Row row : index.Find("rocket", false))
                rows << Latin1(std::string(index.Code(row)) + " " + std::string(index.Key(row)) + "=" +
                               std::string(index.Value(row)));
            return rows;
        };
        QCOMPARE(shown(), fresh());
        QVERIFY(shown().size() > 2);
        results->selectRow(1);
        const QString kept = shown()[1];
        const std::string keptCode = ToBytes(ResultColumn(*results, 1)[1]);

        Document& document = work.Doc();
        std::vector<std::string> codes;
        for (size_t s = 0; s < document.Store().SectionCount(); ++s)
            if (document.Store().SectionAt(s).Name() != keptCode) codes.emplace_back(document.Store().SectionAt(s).Name());
        const std::vector<std::string> keys = {"Primary", "Secondary", "Name", "Armor"};
        const std::vector<std::string> values = {"ROCKETS", "rocket pod", "Rifle", "2"};
        std::mt19937 dice(20261209);
        for (int step = 0; step < 60; ++step) {
            const uint32_t action = dice() % 4;
            if (action == 2 && document.CanUndo())
                document.Undo();
            else if (action == 3 && document.CanRedo())
                document.Redo();
            else
                document.SetValue(codes[dice() % codes.size()], keys[dice() % keys.size()],
                                  values[dice() % values.size()]);
            QTRY_COMPARE(shown(), fresh());
            const QModelIndexList selected = results->selectionModel()->selectedRows();
            QCOMPARE(selected.size(), 1);
            QCOMPARE(shown()[selected[0].row()], kept);
        }
    }

    // Escape first clears the search text, then closes the window.
    void escapeClearsTheSearchThenClosesFind() {
        h->StartOnSample();
        QVERIFY(h->Trigger("Find1"));
        auto* text = h->Find<QLineEdit>("FindText");
        QTRY_VERIFY(text->hasFocus());
        QTest::keyClicks(text, "rockets");
        QWidget* find = text->window();
        QTest::keyClick(text, Qt::Key_Escape);
        QCOMPARE(text->text(), QString());
        QVERIFY(find->isVisible());
        QTest::keyClick(text, Qt::Key_Escape);
        QVERIFY(!find->isVisible());
    }

    // Find opens over the main window, never past the screen's edge, even when the main window
    // lies at the edge and is narrower than Find.
    void findOpensOverItsOwnerInsideTheScreen() {
        h->StartOnSample();
        const QRect screen = h->window->screen()->availableGeometry();
        h->window->move(screen.topLeft());
        QVERIFY(h->Trigger("Find1"));
        QWidget* find = h->Find<QLineEdit>("FindText")->window();
        QVERIFY(screen.contains(find->frameGeometry()));
        QVERIFY(find->frameGeometry().intersects(h->window->frameGeometry()));
    }

    void filterBoxesNarrowTheListsAndKeepTheSelectionShown() {
        h->StartOnSample();
        CategoryWindow* vehicles = h->Open(1, 1);
        QVERIFY(vehicles);
        StringGrid& entries = H::EntryList(vehicles);
        auto& filter = H::In<FilterBox>(vehicles, "EntryGridFilter");
        QTest::keyClicks(&filter, "carr");  // a name matches as a code does
        QCOMPARE(ShownCodes(entries), QStringList({"EMBCAR"}));
        QCOMPARE(H::LabelText(vehicles, "Label2"), QString("EMBCAR"));

        // While nothing shows, nothing acts on the entry the filter hides.
        QTest::keyClicks(&filter, "zz");
        QCOMPARE(ShownCodes(entries), QStringList());
        QVERIFY(!H::In<QPushButton>(vehicles, "Delete").isEnabled());
        QTest::keyClick(&filter, Qt::Key_Escape);
        QCOMPARE(filter.text(), QString());
        QCOMPARE(ShownCodes(entries).size(), entries.RowCount());
        QVERIFY(H::In<QPushButton>(vehicles, "Delete").isEnabled());

        // Type-ahead selects the first code that starts with the letters.
        entries.setFocus();
        QTest::keyClicks(&entries, "bi");
        QCOMPARE(Latin1(entries.Cells(0, entries.Row())), QString("BIKE"));
        QCOMPARE(H::LabelText(vehicles, "Label2"), QString("BIKE"));

        // An entry chosen by code is never hidden: the filter makes way.
        QTest::keyClicks(&filter, "tank");
        entries.SetRow(2);
        QCOMPARE(filter.text(), QString());

        // The main window's list: a selection that the filter hides is dropped.
        auto* list = h->Find<QListWidget>("ListBox2");
        h->Grid().SetRow(1);
        list->setCurrentRow(4);
        QTest::keyClicks(h->Find<FilterBox>("ListBox2Filter"), "tank");
        QCOMPARE(list->item(0)->isHidden(), false);
        QCOMPARE(list->item(2)->isHidden(), true);
        QVERIFY(list->selectedItems().isEmpty());
    }

    void usagesAndCheckReferencesListRowsThatOpenTheirEntries() {
        h->StartOnSample();
        h->Edit("TANKL", "Primary", "NOSUCHGUN");
        CategoryWindow* weapons = h->Open(4);
        QVERIFY(weapons);
        StringGrid& entries = H::EntryList(weapons);
        const auto rockets = static_cast<int>(Column(entries, 0).indexOf("ROCKETS"));
        QVERIFY(rockets >= 0);
        entries.SetRow(rockets);
        auto& usagesAction = H::In<QAction>(weapons, "EntryUsages");
        usagesAction.trigger();
        QTableView* usages = ResultsOf(*h->window, "UsagesWindow");
        QVERIFY(usages);
        QCOMPARE(ResultColumn(*usages, 0), QStringList({"TANKH", "BIKE", "FALCON"}));
        QCOMPARE(ResultColumn(*usages, 2), QStringList({"ROCKETS", "ROCKETS", "ROCKETS"}));
        // A click opens the usage.
        QTest::mouseClick(usages->viewport(), Qt::LeftButton, {}, usages->visualRect(usages->model()->index(1, 0)).center());
        QVERIFY(h->WindowOf("VehicleTypes"));
        QCOMPARE(Selected(h->WindowOf("VehicleTypes")), QString("BIKE Primary"));

        // From the value grid: the usages of the code the value names.
        const CategoryWindow* vehicles = h->WindowOf("VehicleTypes");
        H::In<QAction>(vehicles, "ValueUsages").trigger();
        QCOMPARE(ResultColumn(*usages, 0), QStringList({"TANKH", "BIKE", "FALCON"}));

        QVERIFY(h->Trigger("CheckReferences1"));
        QTableView* check = ResultsOf(*h->window, "CheckReferencesWindow");
        QVERIFY(check);
        const auto planted = static_cast<int>(ResultColumn(*check, 4).indexOf("NOSUCHGUN"));
        QVERIFY(planted >= 0);
        QCOMPARE(ResultColumn(*check, 1)[planted], QString("TANKL"));
        QTest::mouseClick(check->viewport(), Qt::LeftButton, {},
                          check->visualRect(check->model()->index(planted, 0)).center());
        QCOMPARE(Selected(h->WindowOf("VehicleTypes")), QString("TANKL Primary"));

        // The open lists follow the document: an undo takes the planted item away, an edit adds a
        // usage.
        h->window->Work().Doc().Undo();
        QTRY_COMPARE(ResultColumn(*check, 4).indexOf("NOSUCHGUN"), -1);
        h->Edit("TANKL", "Primary", "ROCKETS");
        QTRY_COMPARE(ResultColumn(*usages, 0), QStringList({"TANKL", "TANKH", "BIKE", "FALCON"}));
        QVERIFY(h->TakeShown().isEmpty());
    }

    // With a mod open, Check References lists every kind, each row named by its file; it stays
    // open across kinds, follows their edits and leads into the row's kind.
    void checkReferencesWithAModOpenCoversEveryKind() {
        h->StartOnSample();
        h->boxes.EnqueueFileName(h->folder.File("mods/cinderfall"));
        QVERIFY(h->Trigger("OpenModFolder1"));
        h->TakeShown();
        QVERIFY(h->ChooseFileType(QStringLiteral("Art.ini")));
        h->Edit("ZEALOT", "MoveTable", "MTFLAMEX");
        QVERIFY(h->ChooseFileType(QStringLiteral("Rules.ini")));
        QVERIFY(h->Trigger("CheckReferences1"));
        QTableView* check = ResultsOf(*h->window, "CheckReferencesWindow");
        QVERIFY(check);
        QCOMPARE(ResultColumn(*check, 4), QStringList({"MTFLAMEX"}));
        QVERIFY(ResultColumn(*check, 0)[0].startsWith("Art.ini: "));

        h->Edit("GRUNT", "Image", "NOSUCHART");
        QTRY_COMPARE(ResultColumn(*check, 4), QStringList({"NOSUCHART", "MTFLAMEX"}));
        QTest::mouseClick(check->viewport(), Qt::LeftButton, {},
                          check->visualRect(check->model()->index(1, 1)).center());
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Art.ini"));
        QTRY_VERIFY(ResultsOf(*h->window, "CheckReferencesWindow"));
        QTRY_COMPARE(ResultColumn(*check, 4), QStringList({"NOSUCHART", "MTFLAMEX"}));
        const auto* window = h->window->findChild<CategoryWindow*>();
        QVERIFY(window);
        QCOMPARE(Selected(window), QString("ZEALOT MoveTable"));
        QVERIFY(h->TakeShown().isEmpty());
    }

    // With a mod open, Find searches every kind, each row named by its file; the rows follow an edit
    // of a kind not shown, stay across a change of the kind shown, and a row leads into its kind.
    void findWithAModOpenSearchesEveryKind() {
        h->StartOnSample();
        h->boxes.EnqueueFileName(h->folder.File("mods/cinderfall"));
        QVERIFY(h->Trigger("OpenModFolder1"));
        h->TakeShown();
        QVERIFY(h->Trigger("Find1"));
        QTest::keyClicks(h->Find<QLineEdit>("FindText"), "zealotsel");
        QTableView* results = ResultsOf(*h->window, "FindWindow");
        QVERIFY(results);
        QTRY_COMPARE(ResultColumn(*results, 1), QStringList({"ZEALOT", "Voices", "ZealotSelect"}));
        QCOMPARE(ResultColumn(*results, 0), QStringList({"Rules.ini: InfantryTypes", "Sound.ini", "Sound.ini: Voices"}));

        Document& sound = h->window->Session()->KindWork("Sound.ini")->Doc();
        sound.SetValue("ZealotSelect", "Volume", "zealotselect");
        QTRY_COMPARE(ResultColumn(*results, 1), QStringList({"ZEALOT", "Voices", "ZealotSelect", "ZealotSelect"}));
        QVERIFY(h->ChooseFileType(QStringLiteral("Art.ini")));
        QTRY_COMPARE(ResultColumn(*results, 1), QStringList({"ZEALOT", "Voices", "ZealotSelect", "ZealotSelect"}));

        results->setCurrentIndex(results->model()->index(3, 0));
        QTest::keyClick(results, Qt::Key_Return);
        QCOMPARE(h->Text("Panel1"), QStringLiteral("Sound.ini"));
        const auto* window = h->window->findChild<CategoryWindow*>();
        QVERIFY(window);
        QCOMPARE(Selected(window), QString("ZealotSelect Volume"));
        QVERIFY(h->TakeShown().isEmpty());
    }

    // An open category window shows what a set in the selected entries wrote, and what its undo
    // put back. A cell that shows another value than the document holds is put right before its
    // editor opens, so that Enter never writes back what the user did not see.
    void categoryWindowsFollowEditsOfManyEntries() {
        h->StartOnSample();
        CategoryWindow* vehicles = h->Open(1, 1);
        QVERIFY(vehicles);
        QCOMPARE(H::LabelText(vehicles, "Label2"), QStringLiteral("TANKH"));
        StringGrid& values = H::ValueGrid(vehicles);
        const auto cost = static_cast<int>(Column(values, 1).indexOf("Cost"));
        QVERIFY(cost >= 0);
        Document& document = h->window->Work().Doc();
        const auto stored = [&] { return document.Store().ReadString("TANKH", "Cost", ""); };
        const std::string before = stored();
        QCOMPARE(values.Cells(2, cost), before);

        QVERIFY(CommitRewrites(document, "Set Cost", {},
                               SetValueRewrites(h->window->Work(), {"TANKL", "TANKH"}, "Cost", "150")));
        QVERIFY(stored() != before);
        QCOMPARE(values.Cells(2, cost), stored());
        document.Undo();
        QCOMPARE(values.Cells(2, cost), before);

        values.SetCells(2, cost, "999");  // as a view that missed its news would show it
        values.setFocus();
        values.SetCurrentCell(2, cost);
        QTest::keyClick(&values, Qt::Key_Return);
        QVERIFY(values.IsEditorOpen());
        QCOMPARE(values.Cells(2, cost), before);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(stored(), before);
        QVERIFY(document.CanRedo());
    }

    // In a filter box Ctrl+Z takes back the box's own typing while it has some since it got the
    // focus, and the document's last edit otherwise; the Edit menu names which.
    void undoInAFilterBoxIsTheDocumentsUntilTheBoxIsTypedIn() {
        h->StartOnSample();
        CategoryWindow* vehicles = h->Open(1, 1);
        QVERIFY(vehicles);
        Document& document = h->window->Work().Doc();
        const std::string before = document.Store().ReadString("TANKH", "Strength", "");
        h->Edit("TANKH", "Strength", "1");
        auto& filter = H::In<FilterBox>(vehicles, "EntryGridFilter");
        filter.setFocus();
        QTRY_VERIFY(filter.hasFocus());
        const auto* undo = h->window->findChild<QAction*>(QStringLiteral("Undo1"));
        QVERIFY(undo);
        QCOMPARE(undo->text(), QStringLiteral("Undo Change of Strength"));
        QTest::keyClick(&filter, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document.Store().ReadString("TANKH", "Strength", ""), before);

        filter.setFocus();  // the undo showed its entry, in the entry list
        QTRY_VERIFY(filter.hasFocus());
        QCOMPARE(undo->text(), QStringLiteral("Undo"));  // the document's, with nothing left to undo
        QTest::keyClicks(&filter, "tank");
        QCOMPARE(undo->text(), QStringLiteral("Undo Typing in Filter"));
        QTest::keyClick(&filter, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(filter.text() != QStringLiteral("tank"));
        QVERIFY(document.CanRedo());
        QCOMPARE(document.Store().ReadString("TANKH", "Strength", ""), before);
    }

    // Check Values lists a value that does not fit its key's kind, opens it, and follows the undo.
    void checkValuesListsMisfitsThatOpenTheirEntriesAndFollowsEdits() {
        h->StartOnSample();
        h->Edit("TANKH", "Cost", "12O0");
        QVERIFY(h->Trigger("CheckValues1"));
        QTableView* check = ResultsOf(*h->window, "CheckValuesWindow");
        QVERIFY(check);
        QCOMPARE(ResultColumn(*check, 1), QStringList({"TANKH"}));
        QCOMPARE(ResultColumn(*check, 4),
                 QStringList({"expected a whole number (pinned); 4 of 5 VehicleTypes entries have one"}));
        QCOMPARE(ResultColumn(*check, 5), QStringList({"likely wrong"}));
        QTest::mouseClick(check->viewport(), Qt::LeftButton, {}, check->visualRect(check->model()->index(0, 0)).center());
        QCOMPARE(Selected(h->WindowOf("VehicleTypes")), QString("TANKH Cost"));
        h->window->Work().Doc().Undo();
        QTRY_COMPARE(check->model()->rowCount(), 0);
        QVERIFY(h->TakeShown().isEmpty());
    }

    // A value of a key that no page lists opens on the window's "Other keys" page, at its row,
    // where it is typed over like any other.
    void checkValuesOpensAKeyNoPageListsWhereItCanBeChanged() {
        h->CopySample();
        const std::string definition = h->folder.Read("Rules.001");
        h->folder.Write("Rules.001", std::regex_replace(definition, std::regex("\\[ValueKinds\\]\\r?\\n"),
                                                        "[ValueKinds]\nThreatLevel=whole number\n"));
        h->Start();
        h->TakeShown();
        h->Edit("TANKH", "ThreatLevel", "4O");
        QVERIFY(h->Trigger("CheckValues1"));
        QTableView* check = ResultsOf(*h->window, "CheckValuesWindow");
        QVERIFY(check);
        QCOMPARE(ResultColumn(*check, 2), QStringList({"ThreatLevel"}));
        QTest::mouseClick(check->viewport(), Qt::LeftButton, {}, check->visualRect(check->model()->index(0, 0)).center());
        CategoryWindow* vehicles = h->WindowOf("VehicleTypes");
        QVERIFY(vehicles);
        QCOMPARE(Selected(vehicles), QString("TANKH ThreatLevel"));
        const QTabWidget& pages = H::Pages(vehicles);
        QCOMPARE(pages.tabText(pages.currentIndex()), QString("Other keys"));
        QVERIFY(H::Memo(vehicles).startsWith("No page of the category lists this key"));

        StringGrid& values = H::ValueGrid(vehicles);
        QTRY_VERIFY(values.hasFocus());
        QTest::keyClicks(&values, "4");
        QVERIFY(values.IsEditorOpen());
        QTest::keyClicks(QApplication::focusWidget(), "0");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(h->window->Work().Doc().Store().ReadString("TANKH", "ThreatLevel", ""), std::string("40"));
        QTRY_COMPARE(check->model()->rowCount(), 0);
        QVERIFY(h->TakeShown().isEmpty());
    }

    // Replace and set act on the selected results after showing what will change, each as one
    // edit, and the results follow.
    void findWindowEditsTheSelectedResults() {
        h->StartOnSample();
        QVERIFY(h->Trigger("Find1"));
        QTableView* results = ResultsOf(*h->window, "FindWindow");
        QVERIFY(results);
        QTest::keyClicks(h->Find<QLineEdit>("FindText"), "rockets");
        QTRY_COMPARE(ResultColumn(*results, 1), QStringList({"TANKH", "BIKE", "FALCON", "ROCKETS"}));
        const IniStore& document = h->window->Work().Doc().Store();
        const std::string before = document.RenderText();

        results->selectionModel()->select(QItemSelection(results->model()->index(0, 0), results->model()->index(2, 4)),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        h->Find<QLineEdit>("SetKey")->setText("Armor");
        h->Find<QLineEdit>("SetValue")->setText("flesh");
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QTest::mouseClick(h->Find<QPushButton>("SetButton"), Qt::LeftButton);
        const QStringList shown = h->TakeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].startsWith("Plain | Set Armor | 3 lines will change:\r\nTANKH: "));
        for (const char* code : {"TANKH", "BIKE", "FALCON"})
            QCOMPARE(document.ReadString(code, "Armor", ""), std::string("flesh"));
        h->window->Work().Doc().Undo();
        QCOMPARE(document.RenderText(), before);

        results->selectionModel()->select(results->model()->index(0, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        h->Find<QLineEdit>("ReplaceText")->setText("MISSILES");
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QTest::mouseClick(h->Find<QPushButton>("ReplaceButton"), Qt::LeftButton);
        QCOMPARE(h->TakeShown(), QStringList("Plain | Replace | 1 line will change:\r\n"
                                             "TANKH: Secondary=ROCKETS  ->  Secondary=MISSILES | OK,Cancel"));
        QCOMPARE(document.ReadString("TANKH", "Secondary", ""), std::string("MISSILES"));
        QTRY_COMPARE(ResultColumn(*results, 1), QStringList({"BIKE", "FALCON", "ROCKETS"}));
    }
};

VELMORA_GUI_TEST(FindingTest)
#include "FindingTest.moc"
