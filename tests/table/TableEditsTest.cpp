// SPDX-License-Identifier: GPL-3.0-or-later
// The edits of the table: each is one edit of the document whose undo gives back the bytes, and
// a refused one changes nothing.

#include <gtest/gtest.h>

#include "TableFixture.h"
#include "core/table/TableCsv.h"
#include "core/table/TableEdits.h"
#include "core/document/Document.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

class TableEditsTest : public TableFixture, public ::testing::Test {
protected:
    void SetUp() override {
        LoadArmy();
        before = DocumentText();
    }
    Document& Doc() { return workspace.Doc(); }
    std::vector<size_t> Rows() const { return {0, 1, 2, 3}; }
    // Undo brings back the document as loaded, byte for byte.
    void ExpectUndoneExactly() {
        Doc().Undo();
        EXPECT_EQ(DocumentText(), before);
    }

    std::string before;
};

TEST_F(TableEditsTest, CellCommitsFollowTheGridsRules) {
    BalanceTable table = Infantry();
    EXPECT_FALSE(CommitCell(Doc(), table, 0, 1, "  100 "));  // reads so already: the comment stays
    EXPECT_FALSE(CommitCell(Doc(), table, 1, 2, ""));        // an absent key stays absent
    EXPECT_THROW(CommitCell(Doc(), table, 0, 1, "1\n2"), IniError);
    EXPECT_THROW(CommitCell(Doc(), table, 2, 3, "50"), IniError);  // E3 names no weapon
    EXPECT_EQ(DocumentText(), before);
    EXPECT_FALSE(Doc().CanUndo());

    ASSERT_TRUE(CommitCell(Doc(), table, 1, 2, " 7 "));
    EXPECT_EQ(Doc().UndoText(), "Undo Change of Speed");
    EXPECT_EQ(workspace.Doc().Store().ReadString("E2", "Speed", ""), "7");
    ExpectUndoneExactly();

    // A followed cell writes to the weapon, which every row naming it then shows.
    ASSERT_TRUE(CommitCell(Doc(), table, 3, 3, "20"));
    EXPECT_EQ(Doc().UndoText(), "Undo Change of M60 Damage");
    table.Rebuild();
    EXPECT_EQ(table.Cell(0, 3).Value, "20");
    ExpectUndoneExactly();
}

TEST_F(TableEditsTest, PasteIsOneEditAndABlockThatDoesNotFitChangesNothing) {
    const BalanceTable table = Infantry();
    const std::vector<size_t> shown = table.SortedRows(1, false);  // E3, E1, E2, E4
    const std::vector<CellWrite> writes = PasteWrites(table, shown, 1, 1, "110\t5\r\n310\t6\r\n");
    ASSERT_EQ(writes.size(), 4u);
    ASSERT_TRUE(CommitChanges(Doc(), table.Category(), PasteText(writes.size()),
                              PlanChanges(table, workspace.Doc().Store(), writes)));
    EXPECT_EQ(Doc().UndoText(), "Undo Paste 4 values");
    EXPECT_EQ(workspace.Doc().Store().ReadString("E1", "Cost", ""), "110");
    EXPECT_EQ(workspace.Doc().Store().ReadString("E2", "Speed", ""), "6");
    ExpectUndoneExactly();

    EXPECT_THROW(PasteWrites(table, shown, 3, 1, "1\n2\n"), IniError);     // one row left
    EXPECT_THROW(PasteWrites(table, shown, 0, 3, "1\t2\n"), IniError);     // one column left
    EXPECT_THROW(PasteWrites(table, shown, 0, 1, "1\t2\n3\n"), IniError);  // not rectangular
    EXPECT_THROW(PasteWrites(table, shown, 0, 1, "\r\n"), IniError);
    // Two values for the one M60: refused whole.
    EXPECT_THROW(PlanChanges(table, workspace.Doc().Store(), PasteWrites(table, Rows(), 0, 3, "1\n\n\n2")), IniError);
    EXPECT_EQ(DocumentText(), before);
    EXPECT_EQ(CopyBlock(table, {0, 1}, {1, 2}), "100\t4.5\n300\t\n");
}

// A paste goes from the selection's top-left cell, whichever cell was clicked last, and a block
// that ends on the last row and column fits. One value fills the whole selection.
TEST_F(TableEditsTest, PasteStartsAtTheSelectionsTopLeftAndOneValueFillsIt) {
    const BalanceTable table = Infantry();
    const std::vector<size_t> shown = {3, 2, 1, 0};
    const std::vector<CellWrite> block =
        PasteWrites(table, shown, {{2, 2}, {0, 2}, {1, 2}, {2, 3}}, "1\t2\n3\t4\n5\t6");
    ASSERT_EQ(block.size(), 6u);
    EXPECT_EQ(block.front().Row, 3u);
    EXPECT_EQ(block.front().Column, 2u);
    EXPECT_EQ(block.back().Row, 1u);
    EXPECT_EQ(block.back().Column, 3u);

    const std::vector<CellWrite> toTheEnd = PasteWrites(table, shown, {{2, 2}}, "1\t2\n3\t4\n");
    ASSERT_EQ(toTheEnd.size(), 4u);
    EXPECT_EQ(toTheEnd.back().Row, 0u);
    EXPECT_EQ(toTheEnd.back().Column, table.ColumnCount() - 1);

    const std::vector<CellWrite> filled = PasteWrites(table, shown, {{3, 1}, {0, 1}, {1, 2}}, "7\r\n");
    ASSERT_EQ(filled.size(), 3u);
    for (const CellWrite& write : filled) EXPECT_EQ(write.Value, "7");
    EXPECT_EQ(filled[0].Row, 0u);
    EXPECT_EQ(filled[2].Column, 2u);
    EXPECT_THROW(PasteWrites(table, shown, {}, "7"), IniError);
}

// A row that changes a reference and a column following it writes the followed value into the
// entry the reference names after the change; left as the row showed it, it writes nothing.
TEST_F(TableEditsTest, AFollowedCellFollowsTheReferenceItsRowIsGiven) {
    const auto changesOf = [&](const std::string& row) {
        return PlanImport(workspace, "Infantry", ReadCsv("Code,Primary,Primary:Damage\n" + row + "\n")).Changes;
    };
    std::vector<TableChange> changes = changesOf("E1,Rocket,99");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].Code, "Rocket");
    EXPECT_EQ(changes[1].New, "99");
    changes = changesOf("E1,Rocket,15");  // the M60's damage, as exported
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Key, "Primary");
    changes = changesOf("E3,M60,40");  // E3 named no weapon before
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].Code, "M60");
    EXPECT_THROW(changesOf("E1,none,99"), IniError);
    EXPECT_EQ(changesOf("E1,none,15").size(), 1u);

    // Pasted, the same: the damage goes to the rocket, and the M60 that E4 uses keeps its own.
    const BalanceTable table = Infantry({{"Primary", {}}, {"Primary", "Damage"}});
    ASSERT_TRUE(CommitChanges(Doc(), table.Category(), "Paste",
                              PlanChanges(table, Doc().Store(), PasteWrites(table, Rows(), 0, 1, "Rocket\t99"))));
    EXPECT_EQ(Doc().Store().ReadString("Rocket", "Damage", ""), "99");
    EXPECT_EQ(Doc().Store().ReadString("M60", "Damage", ""), "15");
    ExpectUndoneExactly();
}

TEST_F(TableEditsTest, AdjustChangesNumbersAndCountsTheRest) {
    const BalanceTable table = Infantry();
    const std::vector<std::pair<size_t, size_t>> speeds = {{0, 2}, {1, 2}, {2, 2}, {3, 2}};
    const AdjustPlan plan = AdjustWrites(table, speeds, AdjustOperation::MultiplyBy, "1.5");
    EXPECT_EQ(plan.LeftAlone, 2u);  // E2 has none, E3 is "slow"
    const std::vector<TableChange> changes = PlanChanges(table, workspace.Doc().Store(), plan.Writes);
    ASSERT_TRUE(CommitChanges(Doc(), table.Category(), AdjustText(changes.size()), changes));
    EXPECT_EQ(Doc().UndoText(), "Undo Adjust 2 values");
    EXPECT_EQ(workspace.Doc().Store().ReadString("E1", "Speed", ""), "6.8");  // 6.75, one decimal kept
    EXPECT_EQ(workspace.Doc().Store().ReadString("E4", "Speed", ""), "9");
    EXPECT_EQ(AdjustSummary(2, 2), "2 values changed. 2 cells hold no number and were left alone.");
    ExpectUndoneExactly();

    EXPECT_THROW(AdjustWrites(table, speeds, AdjustOperation::Add, "ten"), IniError);
    EXPECT_EQ(AdjustWrites(table, speeds, AdjustOperation::SetTo, "3").Writes.size(), 4u);
}

// The game writes many values as ".5": they are numbers to adjust, and one that an adjust leaves
// the same keeps its spelling.
TEST_F(TableEditsTest, AdjustTakesNumbersWrittenWithoutALeadingZero) {
    ASSERT_TRUE(Doc().SetValue("E4", "Speed", ".5"));
    ASSERT_TRUE(Doc().SetValue("E3", "Speed", "0.5"));
    const BalanceTable table = Infantry();
    const std::vector<std::pair<size_t, size_t>> speeds = {{2, 2}, {3, 2}};
    const AdjustPlan doubled = AdjustWrites(table, speeds, AdjustOperation::MultiplyBy, "2");
    EXPECT_EQ(doubled.LeftAlone, 0u);
    ASSERT_EQ(doubled.Writes.size(), 2u);
    EXPECT_EQ(doubled.Writes[0].Value, "1.0");
    EXPECT_EQ(doubled.Writes[1].Value, "1.0");
    EXPECT_TRUE(AdjustWrites(table, speeds, AdjustOperation::MultiplyBy, "1").Writes.empty());
    EXPECT_TRUE(AdjustWrites(table, speeds, AdjustOperation::Add, "0.04").Writes.empty());  // rounds back to 0.5
    EXPECT_EQ(AdjustWrites(table, speeds, AdjustOperation::Add, ".1").Writes.front().Value, "0.6");
}

TEST_F(TableEditsTest, ExportThenImportChangesNothingAndAnEditedFileIsOneEdit) {
    const BalanceTable table = Infantry();
    const std::string csv = TableCsv(table, Rows());
    TableImport same = PlanImport(workspace, "Infantry", ReadCsv(csv));
    EXPECT_TRUE(same.Changes.empty());
    EXPECT_TRUE(same.UnknownCodes.empty());
    EXPECT_TRUE(same.UnknownKeys.empty());
    EXPECT_FALSE(CommitChanges(Doc(), "Infantry", ImportText(0), same.Changes));
    EXPECT_EQ(DocumentText(), before);

    const std::string edited =
        "Code,Cost,Armor,Primary:Damage,Primary:Range\n"
        "E1,120,x,15,9\n"
        "E9,1,2,3,4\n"
        "E2,300,,81,\n";
    const TableImport import = PlanImport(workspace, "Infantry", ReadCsv(edited));
    EXPECT_EQ(import.UnknownCodes, std::vector<std::string>{"E9"});
    EXPECT_EQ(import.UnknownKeys, (std::vector<std::string>{"Armor", "Primary:Range"}));
    ASSERT_EQ(import.Changes.size(), 2u);
    EXPECT_EQ(ImportPreview(import),
              "2 changes:\nE1 Cost: 100 -> 120\nRocket Damage: 80 -> 81\n"
              "Unknown codes, left out: E9\nUnknown keys, left out: Armor, Primary:Range");
    ASSERT_TRUE(CommitChanges(Doc(), "Infantry", ImportText(import.Changes.size()), import.Changes));
    EXPECT_EQ(Doc().UndoText(), "Undo Import 2 values");
    ExpectUndoneExactly();

    EXPECT_THROW(PlanImport(workspace, "Infantry", ReadCsv("Name,Cost\nx,1\n")), IniError);
}

}  // namespace
}  // namespace velmora::testing
