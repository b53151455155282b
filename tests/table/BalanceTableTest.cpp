// SPDX-License-Identifier: GPL-3.0-or-later
// The table of a category: its rows and columns from the catalogue, its cells as the store reads
// them, followed columns and the sort.

#include <gtest/gtest.h>

#include "TableFixture.h"
#include "core/table/TableNumbers.h"
#include "core/values/ValueKinds.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

class BalanceTableTest : public TableFixture, public ::testing::Test {
protected:
    void SetUp() override { LoadArmy(); }
};

std::vector<std::string> Codes(const BalanceTable& table, const std::vector<size_t>& order) {
    std::vector<std::string> codes;
    for (size_t row : order) codes.push_back(table.Row(row).Code);
    return codes;
}

TEST_F(BalanceTableTest, RowsAndCellsComeFromTheCatalogueAsTheStoreReadsThem) {
    const BalanceTable table(workspace, "infantry", BalanceTable::PageColumns(workspace, "InfantryMain"));
    EXPECT_EQ(table.Category(), "Infantry");
    // Name is not repeated when the page begins with it.
    ASSERT_EQ(table.ColumnCount(), 4u);
    EXPECT_EQ(table.Columns()[0].Key, "Name");
    ASSERT_EQ(Codes(table, {0, 1, 2, 3}), (std::vector<std::string>{"E1", "E2", "E3", "E4"}));
    EXPECT_EQ(table.Cell(0, 1).Value, "100");  // without its comment
    EXPECT_EQ(table.Cell(1, 1).Value, "300");  // "COST = 300" is the key Cost
    EXPECT_TRUE(table.Cell(1, 1).Present);
    EXPECT_FALSE(table.Cell(1, 2).Present);  // E2 has no Speed
    EXPECT_EQ(table.RowOf("E3"), std::optional<size_t>(2));
    EXPECT_THROW(BalanceTable(workspace, "Tanks", {}), IniError);
}

TEST_F(BalanceTableTest, FollowedColumnsReadTheNamedEntry) {
    const BalanceTable table = Infantry();
    ASSERT_EQ(table.Columns()[3].Id(), "Primary:Damage");
    EXPECT_EQ(table.Cell(0, 3).Value, "15");
    EXPECT_EQ(table.Cell(1, 3).Value, "80");
    EXPECT_EQ(table.Cell(1, 3).Target, "Rocket");
    EXPECT_EQ(table.Cell(1, 3).MoreTargets, 1u);
    EXPECT_FALSE(table.Cell(2, 3).Present);  // E3 names no weapon
    EXPECT_FALSE(table.PlaceOf(2, 3).has_value());
    EXPECT_EQ(table.PlaceOf(0, 3)->Code, "M60");
    EXPECT_EQ(table.PlaceOf(0, 3)->Key, "Damage");
    // E1, E2 (second item) and E4 name the M60.
    EXPECT_EQ(table.SharingCount(0, 3), 3u);
    EXPECT_EQ(BalanceTable::FollowedCategories(workspace, "Infantry", "primary"), std::vector<std::string>{"Weapons"});
    EXPECT_TRUE(BalanceTable::FollowedCategories(workspace, "Infantry", "Cost").empty());
    std::vector<std::string> choosable;
    for (const TableColumn& column : BalanceTable::ChoosableColumns(workspace, "Infantry")) choosable.push_back(column.Id());
    EXPECT_EQ(choosable, (std::vector<std::string>{"Name", "Cost", "Speed", "Primary", "Primary:Name", "Primary:Damage"}));
    EXPECT_EQ(TableColumn::FromId(" Primary : Damage ").Id(), "Primary:Damage");
    EXPECT_THROW(TableColumn::FromId("Primary:"), IniError);
    EXPECT_THROW(TableColumn::FromId("a=b"), IniError);
}

TEST_F(BalanceTableTest, SortsNumbersAsNumbersAndTextAsText) {
    const BalanceTable table = Infantry();
    // 20 < 100 < 300 < 1000, which text order would not give.
    EXPECT_EQ(Codes(table, table.SortedRows(1, false)), (std::vector<std::string>{"E3", "E1", "E2", "E4"}));
    EXPECT_EQ(Codes(table, table.SortedRows(1, true)), (std::vector<std::string>{"E4", "E2", "E1", "E3"}));
    // "slow" comes after the numbers and the empty value first, whichever way.
    EXPECT_EQ(Codes(table, table.SortedRows(2, false)), (std::vector<std::string>{"E2", "E1", "E4", "E3"}));
    EXPECT_EQ(Codes(table, table.SortedRows(2, true)), (std::vector<std::string>{"E2", "E4", "E1", "E3"}));
    EXPECT_EQ(Codes(table, table.SortedRows(std::nullopt, true)), (std::vector<std::string>{"E4", "E3", "E2", "E1"}));
}

TEST(TableSortTest, NumbersKeepTheirOrderWhateverElseTheColumnHolds) {
    // A typo and the blank cells of entries without the key: the numbers still sort as numbers
    // (".5" among them), the texts after them, equal values in the catalogue's order.
    const std::vector<std::string_view> range = {"10", "e", "2", "", ".5", "-1", "Far", "2"};
    EXPECT_EQ(SortOrder(range, false), (std::vector<size_t>{3, 5, 4, 2, 7, 0, 1, 6}));
    EXPECT_EQ(SortOrder(range, true), (std::vector<size_t>{3, 0, 2, 7, 4, 5, 6, 1}));
    EXPECT_EQ(SortOrder({"10", "", "9"}, false), (std::vector<size_t>{1, 2, 0}));
    EXPECT_EQ(SortOrder({"100%", "150%", "30%", "5 %"}, false), (std::vector<size_t>{2, 0, 1, 3}));
}

// The table's numbers and the value kinds' decimals are one rule: what the game writes as ".5" or
// "5." is a number to both, and what one refuses the other refuses.
TEST(TableNumbersTest, AreWhatTheValueKindsCallDecimals) {
    for (const char* text : {"12", "-3", "+2", "1.5", ".5", "-.5", "5.", "0.50", "", ".", "-", "+.", "1.2.3", "1e3",
                             "1,5", " 5", "5 ", "5%", "0x10", "--1"}) {
        EXPECT_EQ(ParseDecimal(text).has_value(), IsDecimal(text)) << text;
        EXPECT_EQ(NumberOf(text).has_value(), IsDecimal(text)) << text;
        EXPECT_EQ(IsPercent(std::string(text) + "%"), IsDecimal(text)) << text;
    }
    EXPECT_EQ(ParseDecimal(".5")->Units, 5);
    EXPECT_EQ(ParseDecimal(".5")->Decimals, 1u);
    EXPECT_EQ(ParseDecimal("-.5")->Units, -5);
    EXPECT_EQ(ParseDecimal("5.")->Decimals, 0u);
    EXPECT_EQ(NumberOf(".25"), 0.25L);
    // What an adjust writes reads back as the same number, with its leading zero.
    for (const char* text : {"0.5", "-0.5", "0.05", "-0.05", "7", "1.50"}) {
        const DecimalNumber number = *ParseDecimal(text);
        EXPECT_EQ(FormatDecimal(MultiplyDecimal(number, *ParseDecimal("1"))), text);
        const std::optional<DecimalNumber> back = ParseDecimal(FormatDecimal(number));
        ASSERT_TRUE(back) << text;
        EXPECT_EQ(back->Units, number.Units) << text;
    }
}

TEST(TableNumbersTest, KeepTheKindOfTheValueAndRoundHalfAwayFromZero) {
    const auto adjust = [](const char* value, const char* operand, bool multiply) {
        const DecimalNumber a = *ParseDecimal(value);
        const DecimalNumber b = *ParseDecimal(operand);
        return FormatDecimal(multiply ? MultiplyDecimal(a, b) : AddDecimal(a, b));
    };
    EXPECT_EQ(adjust("7", "1.5", true), "11");
    EXPECT_EQ(adjust("-7", "1.5", true), "-11");
    EXPECT_EQ(adjust("0.50", "1", false), "1.50");
    EXPECT_EQ(adjust("10", "0.4", false), "10");
    EXPECT_EQ(adjust("2.675", "1", true), "2.675");
    EXPECT_EQ(adjust("1", "-1", false), "0");
    EXPECT_EQ(adjust("-4", "0.1", true), "0");  // never "-0"
    EXPECT_EQ(adjust("0.05", "-1", true), "-0.05");
    for (const char* text : {"", "1e3", "12a", "- 1", "1234567890123456789"}) EXPECT_FALSE(ParseDecimal(text)) << text;
    EXPECT_THROW(adjust("999999999999999999", "10", true), IniError);
    EXPECT_EQ(NumberOf("-2.25"), -2.25L);
}

}  // namespace
}  // namespace velmora::testing
