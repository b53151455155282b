// SPDX-License-Identifier: GPL-3.0-or-later
// The Changes window's wiring: the menu opens it on a fresh comparison, its rows lead to the
// category windows, its reference can be chosen, and its patch goes to disk the safe way. What
// differs and what a patch holds is tested in the core.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QItemSelectionModel>
#include <QTreeView>

#include "CategoryWindowHarness.h"
#include "GuiTestMain.h"
#include "gui/changes/ChangesWindow.h"
#include "core/compare/Comparison.h"
#include "core/entries/EntryOperations.h"
#include "core/document/Document.h"
#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/PlatformFile.h"
#include "gui/changes/ChangesModel.h"

namespace velmora::testing {

class ChangesWindowTest : public HarnessTest<CategoryWindowHarness> {
    Q_OBJECT

    ChangesWindow& Changes() const { return *h->Find<ChangesWindow>("ChangesWindow"); }
    QTreeView& Tree() const { return *Changes().findChild<QTreeView*>(QStringLiteral("ChangesTree")); }
    QAbstractItemModel& Rows() const { return *Tree().model(); }
    QModelIndex Row(int group, int row) const { return Rows().index(row, 0, Rows().index(group, 0)); }
    void Select(const QModelIndex& index) const {
        Tree().selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString Status() const { return Changes().findChild<QLabel*>(QStringLiteral("StatusPanel"))->text(); }
    // Waits for the comparison under way, made on a thread of its own, to be shown.
    bool ComparisonShown() const {
        return QTest::qWaitFor([this] { return !Changes().Comparing(); });
    }

    // The tree as shown: each group's caption, then the cells of its rows, if open, joined by "|".
    QStringList Shown() const {
        QStringList lines;
        for (int g = 0; g < Rows().rowCount(); ++g) {
            const QModelIndex group = Rows().index(g, 0);
            lines << group.data().toString();
            if (!Tree().isExpanded(group)) continue;
            for (int r = 0; r < Rows().rowCount(group); ++r) {
                QStringList cells;
                for (int c = 0; c < Rows().columnCount(group); ++c) cells << Rows().index(r, c, group).data().toString();
                lines << cells.join(QLatin1Char('|'));
            }
        }
        return lines;
    }

    void DoubleClick(const QModelIndex& index) const {
        Tree().scrollTo(index);
        const QPoint at = Tree().visualRect(index).center();
        // A double-click counts on the row its first press went to.
        QTest::mousePress(Tree().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(Tree().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Tree().viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void ComparesListsFiltersAndOpensTheEntryAtItsKey() {
        h->StartOnSample();
        h->Edit("GRUNT", "Armor", "plate");
        h->Edit("Gameplay", "OreValue", "30");
        QVERIFY(!Changes().isVisible());
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(ComparisonShown());
        QVERIFY(Changes().isVisible());
        QVERIFY(Changes().screen()->availableGeometry().contains(Changes().frameGeometry()));
        QCOMPARE(Shown(), (QStringList{"InfantryTypes (1)", "GRUNT|Armor|flesh|plate", "Unknown! (1)",
                                       "Gameplay|OreValue|25|30"}));
        QCOMPARE(Status(), QStringLiteral("2 differences."));

        auto& filter = *Changes().findChild<QLineEdit*>(QStringLiteral("FilterEdit"));
        filter.setText(QStringLiteral("ORE"));
        QTRY_COMPARE(Shown(), (QStringList{"Unknown! (1)", "Gameplay|OreValue|25|30"}));
        QCOMPARE(Status(), QStringLiteral("1 of 2 differences shown."));
        // "Unknown!" has no window: the row says so and opens nothing.
        DoubleClick(Row(0, 0));
        QVERIFY(Status().contains(QStringLiteral("has no window")));
        QVERIFY(h->window->CategoryWindows().empty());
        filter.clear();
        QTRY_COMPARE(Rows().rowCount(), 2);

        // A selected group stands for its rows, for the commands on the selection.
        Select(Rows().index(1, 0));
        Select(Row(0, 0));
        QStringList selected;
        for (const Difference& difference : Changes().SelectedDifferences())
            selected << Latin1(DifferenceText(difference));
        QCOMPARE(selected, (QStringList{"[GRUNT] Armor: flesh -> plate", "[Gameplay] OreValue: 25 -> 30"}));

        // The key is on the category's second page.
        DoubleClick(Row(0, 0));
        CategoryWindow* child = h->WindowOf("InfantryTypes");
        QVERIFY(child);
        QCOMPARE(h->LabelText(child, "Label2"), QStringLiteral("GRUNT"));
        QCOMPARE(h->Pages(child).currentIndex(), 1);
        StringGrid& values = h->ValueGrid(child);
        QCOMPARE(Latin1(values.Cells(1, values.Row())), QStringLiteral("Armor"));
        QVERIFY(values.IsDrawnRed(2, values.Row()));
        QCOMPARE(values.Tip(2, values.Row()), std::string("default: flesh"));
        // A value that is not red has no note; the default's comment is not part of its value.
        QCOMPARE(values.Tip(2, 0), std::string());
        h->Edit("GRUNT", "Cost", "120");
        h->ClickTab(child, 0);
        child->ShowEntriesAfresh();
        QCOMPARE(values.Tip(2, 1), std::string("default: 100"));
        QVERIFY(h->TakeShown().isEmpty());
    }

    void ChoosesTheReferenceAndTellsWhenItCannotBeRead() {
        h->StartOnSample();
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(ComparisonShown());
        QCOMPARE(Status(), QStringLiteral("No differences."));
        auto& choice = *Changes().findChild<QComboBox*>(QStringLiteral("ReferenceBox"));

        // The game's copy, found as Load Game's Data finds it.
        choice.setCurrentIndex(1);
        emit choice.activated(1);
        QVERIFY(ComparisonShown());
        QVERIFY(Changes().findChild<QLabel*>(QStringLiteral("ReferencePanel"))->text().endsWith(QStringLiteral("game/Rules.ini")));
        QVERIFY(Changes().Reference());

        // A file that is not there: said in a box and in the window, and nothing is listed.
        const std::string missing = h->folder.Dir() + "missing.ini";
        h->boxes.EnqueueFileName(missing);
        choice.setCurrentIndex(2);
        emit choice.activated(2);
        QVERIFY(h->TakeShown().last().contains(" | Cannot open file " + Latin1(missing) + " | "));
        QCOMPARE(Status(), "Cannot open file " + Latin1(missing));
        QCOMPARE(Rows().rowCount(), 0);
        QVERIFY(!Changes().Reference());

        // Called off, the dialog leaves the reference as it was.
        choice.setCurrentIndex(0);
        emit choice.activated(0);
        QVERIFY(ComparisonShown());
        h->boxes.EnqueueFileName(std::nullopt);
        choice.setCurrentIndex(2);
        emit choice.activated(2);
        QCOMPARE(choice.currentIndex(), 0);
        QCOMPARE(Status(), QStringLiteral("No differences."));
    }

    void SavesThePatchAndNeverOverAFileItIsMadeFrom() {
        h->StartOnSample();
        h->Edit("GRUNT", "Cost", "120");
        const std::string patch = h->folder.Dir() + "grunt-changes.ini";
        h->boxes.EnqueueFileName(patch);
        QVERIFY(h->Trigger("SaveChanges1"));
        QVERIFY(h->TakeShown().first().startsWith(QStringLiteral("SaveFile")));
        const std::optional<std::string> written = platform::ReadWholeFile(patch);
        QVERIFY(written);
        QCOMPARE(Latin1(*written),
                 QStringLiteral("\r\n; ---- Infantry ----\r\n[GRUNT]\r\nCost=120 ; cheap and plentiful\r\n"));

        // The default copy is refused; a folder that does not exist fails with a box and no file.
        const std::optional<std::string> defaults = platform::ReadWholeFile(h->globals.DefaultFileName);
        h->boxes.EnqueueFileName(h->globals.DefaultFileName);
        QVERIFY(h->Trigger("SaveChanges1"));
        QVERIFY(h->TakeShown().last().contains(QStringLiteral("it is the reference itself")));
        QCOMPARE(platform::ReadWholeFile(h->globals.DefaultFileName), defaults);
        const std::string nowhere = h->folder.Dir() + "no-such-folder/changes.ini";
        h->boxes.EnqueueFileName(nowhere);
        QVERIFY(h->Trigger("SaveChanges1"));
        QVERIFY(h->TakeShown().last().startsWith(QStringLiteral("Error")));
        QVERIFY(!platform::IsRegularFile(nowhere));
    }

    // Revert puts the reference back for the selected rows, Revert Entry for their entries; each is
    // one edit, and the list follows the document through the edits and their undo.
    void RevertsRowsAndEntriesAsOneEditEach() {
        h->StartOnSample();
        h->Edit("GRUNT", "Armor", "plate");
        h->Edit("GRUNT", "Cost", "120");
        h->Edit("Gameplay", "OreValue", "30");
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(ComparisonShown());
        QCOMPARE(Status(), QStringLiteral("3 differences."));
        const Document& document = h->window->Work().Doc();
        auto click = [this](const char* button) {
            QTest::mouseClick(Changes().findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        };

        Select(Row(1, 0));
        click("RevertButton");
        QCOMPARE(document.Store().ReadString("Gameplay", "OreValue", ""), std::string("25"));
        QCOMPARE(document.UndoText(), std::string("Undo Revert Gameplay OreValue"));
        QCOMPARE(Status(), QStringLiteral("2 differences."));

        Select(Row(0, 1));
        click("RevertEntryButton");
        QCOMPARE(document.UndoText(), std::string("Undo Revert GRUNT"));
        QCOMPARE(document.Store().ReadString("GRUNT", "Armor", ""), std::string("flesh"));
        QTRY_COMPARE(Status(), QStringLiteral("No differences."));

        // Undone from the main window, the GRUNT rows come back once the edits pause.
        QVERIFY(h->Trigger("Undo1"));
        QCOMPARE(document.Store().ReadString("GRUNT", "Cost", ""), std::string("120"));
        QTRY_COMPARE(Status(), QStringLiteral("2 differences."));
        click("RevertButton");  // nothing selected
        QCOMPARE(Status(), QStringLiteral("Select the changes to revert."));
        QCOMPARE(document.UndoText(), std::string("Undo Revert Gameplay OreValue"));
        QVERIFY(h->TakeShown().isEmpty());
    }

    // Revert Entry on a new entry takes its list line along; a patch that cannot carry a delete
    // says so before it is written.
    void RevertEntryOfADuplicateTakesItsListLineAndThePatchNamesItsRemovals() {
        h->StartOnSample();
        Workspace& work = h->window->Work();
        EntryOperations(work, "InfantryTypes", 0)
            .DuplicateOrChangeCode("GRUNT", "GRUNT2", std::nullopt, true);
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(ComparisonShown());
        const QModelIndexList rows =
            Rows().match(Rows().index(0, 0), Qt::DisplayRole, QStringLiteral("GRUNT2"), -1, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(rows.size(), 1);
        Select(rows.front());
        QTest::mouseClick(Changes().findChild<QPushButton*>(QStringLiteral("RevertEntryButton")), Qt::LeftButton);
        StringList listed;
        work.GetListValues("InfantryTypes", listed);
        QCOMPARE(listed.IndexOfNoCase("GRUNT2"), -1);
        QCOMPARE(work.Doc().Store().IndexOfSection("GRUNT2"), -1);
        QTRY_COMPARE(Status(), QStringLiteral("No differences."));

        EntryOperations(work, "InfantryTypes", 0).DeleteEntry("TORCH");
        const std::string patch = h->folder.Dir() + "torch-changes.ini";
        h->boxes.EnqueueFileName(patch);
        h->boxes.EnqueueAnswer(BoxAnswer::Cancel);
        QVERIFY(h->Trigger("SaveChanges1"));
        QVERIFY(h->TakeShown().last().contains(QStringLiteral("2 removals")));
        QVERIFY(!platform::IsRegularFile(patch));
        h->boxes.EnqueueFileName(patch);
        h->boxes.EnqueueAnswer(BoxAnswer::Ok);
        QVERIFY(h->Trigger("SaveChanges1"));
        QVERIFY(platform::ReadWholeFile(patch).value_or("").starts_with("; removed: [InfantryTypes] 2=TORCH\r\n"));
    }

    // The selection follows its rows, not their places, through the comparison after an edit.
    void TheSelectionFollowsItsRowsThroughAnEdit() {
        h->StartOnSample();
        h->Edit("GRUNT", "Armor", "plate");
        h->Edit("TORCH", "Cost", "120");
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(ComparisonShown());
        QCOMPARE(Shown().mid(0, 3), (QStringList{"InfantryTypes (2)", "GRUNT|Armor|flesh|plate", "TORCH|Cost|300|120"}));
        Select(Row(0, 1));
        h->Edit("GRUNT", "Cost", "130");  // a row before the selected one
        QTRY_COMPARE(Status(), QStringLiteral("3 differences."));
        QCOMPARE(Changes().SelectedDifferences().size(), size_t{1});
        QCOMPARE(Changes().SelectedDifferences().front().Section(), std::string_view("TORCH"));
    }

    // A group's rows are handed to the view only once it is opened; its caption counts them all.
    void AGroupsRowsAreMadeWhenItIsOpened() {
        std::vector<Difference> differences;
        DifferenceCategories::Group group{"Vehicles", {}};
        for (size_t i = 0; i < 3000; ++i) {
            differences.emplace_back(DifferenceKind::ChangedValue, "TANK" + std::to_string(i), "Cost", "",
                                     "1", Difference::Place{}, Difference::Place{});
            group.Rows.push_back(i);
        }
        const std::vector<DifferenceCategories::Group> groups{group};
        ChangesModel model;
        model.Show(&differences, &groups, "");
        const QModelIndex vehicles = model.index(0, 0);
        QCOMPARE(vehicles.data().toString(), QStringLiteral("Vehicles (3000)"));
        QVERIFY(model.hasChildren(vehicles));
        QCOMPARE(model.rowCount(vehicles), 0);
        model.fetchMore(vehicles);
        QCOMPARE(model.rowCount(vehicles), 3000);
        QCOMPARE(model.index(2999, 0, vehicles).data().toString(), QStringLiteral("TANK2999"));
        QCOMPARE(model.DifferenceOf(model.index(2999, 0, vehicles)), std::optional<size_t>(2999));

        model.Show(&differences, &groups, "tank29");
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Vehicles (111 of 3000)"));
        QCOMPARE(model.ShownCount(), size_t{111});
    }

    // The comparison with the default copy is made as soon as a document is shown, away from the
    // windows, and kept up with the edits, shown or not: Compare… opens on it. A comparison asked
    // for says so at once, and an edit made meanwhile is in the list it then shows.
    void ComparesOnAThreadOfItsOwnAndCatchesUpWithEditsMeanwhile() {
        h->StartOnSample();
        QVERIFY(!Changes().isVisible());
        QVERIFY(ComparisonShown());
        QVERIFY(Changes().Reference());
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(!Changes().Comparing());
        QCOMPARE(Status(), QStringLiteral("No differences."));

        QTest::mouseClick(Changes().findChild<QPushButton*>(QStringLiteral("RefreshButton")), Qt::LeftButton);
        QVERIFY(Changes().Comparing());
        QCOMPARE(Status(), QStringLiteral("Comparing…"));
        QCOMPARE(Rows().rowCount(), 0);
        h->Edit("GRUNT", "Armor", "plate");
        QVERIFY(ComparisonShown());
        QCOMPARE(Shown(), (QStringList{"InfantryTypes (1)", "GRUNT|Armor|flesh|plate"}));

        Changes().close();
        h->Edit("GRUNT", "Cost", "120");
        QTRY_COMPARE(Status(), QStringLiteral("2 differences."));
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(!Changes().Comparing());
        QCOMPARE(Status(), QStringLiteral("2 differences."));
    }

    void ComparesAgainWhenAnotherDocumentIsOpened() {
        h->StartOnSample();
        h->Edit("GRUNT", "Cost", "120");
        QVERIFY(h->Trigger("Compare1"));
        QVERIFY(ComparisonShown());
        QCOMPARE(Status(), QStringLiteral("1 difference."));
        h->boxes.EnqueueAnswer(BoxAnswer::No);  // the unsaved change is dropped
        QVERIFY(h->Trigger("New1"));
        QTRY_COMPARE(Status(), QStringLiteral("No differences."));
    }
};

}  // namespace velmora::testing

VELMORA_GUI_TEST(velmora::testing::ChangesWindowTest)
#include "ChangesWindowTest.moc"
