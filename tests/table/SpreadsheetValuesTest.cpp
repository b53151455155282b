// SPDX-License-Identifier: GPL-3.0-or-later
// Values through a spreadsheet: what a table file keeps from its reading, and how a cell read back
// compares with the document's value.

#include <gtest/gtest.h>

#include "core/table/SpreadsheetValues.h"

namespace velmora::testing {
namespace {

TEST(SpreadsheetValuesTest, WhatASpreadsheetWouldReadOtherwiseIsProtected) {
    for (const char* value : {"=1+1", "+5", "-x", "@x", "0,255,255", "007", "12345678901234567890", "1e3", "1/2",
                              "1:30", "Jan 5", "50%", "120mm", "1234567890123456", ".5x"})
        EXPECT_TRUE(NeedsProtection(value)) << value;
    for (const char* value : {"", "100", "-5", "4.5", "-0.25", "0", "123456789012345", "0.000001", "Rifleman", "none",
                              "yes", "CINDER,HOLLOW", "'x", "M60", "E1"})
        EXPECT_FALSE(NeedsProtection(value)) << value;
    EXPECT_EQ(Protected("Caf\xE9 \"q\""), "=\"Caf\xE9 \"\"q\"\"\"");
    EXPECT_EQ(Unprotected(Protected("=\"x\"")), "=\"x\"");
    EXPECT_EQ(Unprotected("=\"a\"b\""), std::nullopt);  // a formula of its own, not a protection
    EXPECT_EQ(Unprotected("=1+1"), std::nullopt);
}

TEST(SpreadsheetValuesTest, ACellReadBackAsTheSameValueChangesNothing) {
    const auto same = [](std::string_view value, std::string_view cell) {
        const CellComparison compared = CompareCell(value, cell);
        return compared.Reading == CellReading::Same && compared.Value == value;
    };
    EXPECT_TRUE(same("true", "TRUE"));
    EXPECT_TRUE(same("1.0", "1"));
    EXPECT_TRUE(same("0.50", " 0.5 "));
    EXPECT_TRUE(same(".5", "0.5"));  // the game writes decimals so
    EXPECT_TRUE(same("007", "7"));
    EXPECT_TRUE(same("50%", "50.00%"));
    EXPECT_TRUE(same("007", "=\"007\""));
    EXPECT_TRUE(same("=\"x\"", "=\"x\""));  // a value that looks protected, read back as the spreadsheet shows it
    EXPECT_TRUE(same("", ""));

    const auto changed = [](std::string_view value, std::string_view cell) {
        const CellComparison compared = CompareCell(value, cell);
        return compared.Reading == CellReading::Changed ? compared.Value : "(not changed)";
    };
    EXPECT_EQ(changed("yes", "TRUE"), "TRUE");
    EXPECT_EQ(changed("100", "110"), "110");
    EXPECT_EQ(changed("100", "=\"0110\""), "0110");
    EXPECT_EQ(changed("4.5", ""), "");
    EXPECT_EQ(changed("", "0"), "0");
    EXPECT_EQ(changed("1,2", "1,3"), "1,3");
}

TEST(SpreadsheetValuesTest, WhatASpreadsheetMakesOfAValueReadAsANumberIsMangled) {
    const auto mangled = [](std::string_view value, std::string_view cell) {
        return CompareCell(value, cell).Reading == CellReading::Mangled;
    };
    EXPECT_TRUE(mangled("0,255,255", "255255"));
    EXPECT_TRUE(mangled("12345678901234567890", "1.23456789012346E+019"));
    EXPECT_TRUE(mangled("12345678901234567890", "12345678901234600000"));
    EXPECT_TRUE(mangled("1e3", "1000"));
    EXPECT_TRUE(mangled("50%", "0.5"));
    EXPECT_FALSE(mangled("0,255,255", "255256"));
    EXPECT_FALSE(mangled("12345678901234567890", "1.23456789012347E+019"));
    EXPECT_FALSE(mangled("Jan 5", "1"));
}

}  // namespace
}  // namespace velmora::testing
