// SPDX-License-Identifier: GPL-3.0-or-later
// The table file: CSV as spreadsheets write it, in UTF-8, with the document's Latin-1 texts.

#include <gtest/gtest.h>

#include "TableFixture.h"
#include "core/table/TableCsv.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

using Records = std::vector<std::vector<std::string>>;

class TableCsvTest : public TableFixture, public ::testing::Test {
protected:
    void SetUp() override {
        Load("[Infantry]\n1=E1\n[E1]\nName=Caf\xE9, \"best\"\nCost=5\n", "[AllSections]\nInfantry=0,Main\n[Main]\nCost=\n");
    }
};

TEST_F(TableCsvTest, ExportKeepsFromASpreadsheetWhatItWouldReadAsSomethingElse) {
    Load("[Infantry]\n1=E1\n[E1]\nName=Rifleman\nCost=007\nColor=0,255,255\nSpeed=4.5\n",
         "[AllSections]\nInfantry=0,Main\n[Main]\nCost=\nColor=\nSpeed=\n");
    const BalanceTable table(workspace, "Infantry", BalanceTable::PageColumns(workspace, "Main"));
    EXPECT_EQ(TableCsv(table, {0}), "\xEF\xBB\xBF" "Code,Name,Cost,Color,Speed\r\nE1,Rifleman,\"=\"\"007\"\"\",\"=\"\"0,255,255\"\"\",4.5\r\n");
}

TEST_F(TableCsvTest, ExportQuotesWhatNeedsItAndWritesUtf8WithAMark) {
    const BalanceTable table(workspace, "Infantry", BalanceTable::PageColumns(workspace, "Main"));
    EXPECT_EQ(TableCsv(table, {0}), "\xEF\xBB\xBF" "Code,Name,Cost\r\nE1,\"Caf\xC3\xA9, \"\"best\"\"\",5\r\n");
    EXPECT_EQ(ReadCsv(TableCsv(table, {0})), (Records{{"Code", "Name", "Cost"}, {"E1", "Caf\xE9, \"best\"", "5"}}));
    EXPECT_EQ(TableTabs(table, {0}), "Code\tName\tCost\nE1\tCaf\xE9, \"best\"\t5\n");
}

TEST(ReadCsvTest, ReadsWithOrWithoutMarkAndRefusesWhatTheDocumentCannotHold) {
    EXPECT_EQ(ReadCsv("a,b\n\n\"x\",\n"), (Records{{"a", "b"}, {"x", ""}}));
    EXPECT_EQ(ReadCsv("\xEF\xBB\xBF" "a,b\r\n1,2"), (Records{{"a", "b"}, {"1", "2"}}));
    const auto refusal = [](std::string_view file) {
        try {
            ReadCsv(file);
        } catch (const IniError& error) {
            return std::string(error.what());
        }
        return std::string("read");
    };
    EXPECT_EQ(refusal("a,b\n1,x\xE2\x82\xAC"), "Line 2, column 4: the character U+20AC has no place in the document's texts (Latin-1).");
    EXPECT_EQ(refusal("a\n\xE9"), "Line 2, column 1: the file is not UTF-8 text.");
    EXPECT_EQ(refusal("a,b\n\"1\n2\",3\n"), "Line 2: a value may not hold a line break.");
    EXPECT_EQ(refusal("a,b\n\"1,2\n"), "Line 2: a value may not hold a line break.");
    EXPECT_EQ(refusal("a,b\n\"1,2"), "Line 2: a quoted value is not closed.");
    EXPECT_EQ(refusal("a,b\n1,2,3\n"), "Line 2 has 3 values; the header has 2 (values separated by \",\").");
    EXPECT_EQ(refusal("a;b\n1;2;3\n"), "Line 2 has 3 values; the header has 2 (values separated by \";\").");
    EXPECT_EQ(refusal(std::string("C\0o\0d\0e\0\r\0\n\0", 12)),
              "The file is UTF-16 text without a byte order mark, and a table file is read as UTF-8: save it as CSV in UTF-8.");
    EXPECT_EQ(refusal("\xFF\xFE" "C\0"), "The file is UTF-16 text, and a table file is read as UTF-8: save it as CSV in UTF-8.");
}

TEST(ReadCsvTest, TakesTheSeparatorTheHeaderUsesAndKeepsALastRowWithoutItsLineBreak) {
    // A spreadsheet set to a language with decimal commas saves with ";"; one of text, with tabs.
    EXPECT_EQ(ReadCsv("Code;Name;Color\r\nE1;\"a;b\";0,255,255\r\n"), (Records{{"Code", "Name", "Color"}, {"E1", "a;b", "0,255,255"}}));
    EXPECT_EQ(ReadCsv("Code\tCost\nE1\t5\n"), (Records{{"Code", "Cost"}, {"E1", "5"}}));
    EXPECT_EQ(ReadCsv("Code,Cost\r\nE1,5\r\nE2,"), (Records{{"Code", "Cost"}, {"E1", "5"}, {"E2", ""}}));
}

}  // namespace
}  // namespace velmora::testing
