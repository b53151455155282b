// SPDX-License-Identifier: GPL-3.0-or-later
// The small text routines the catalogue and the settings are built on.

#include <gtest/gtest.h>

#include <limits>

#include "core/store/Routines.h"

namespace velmora {
namespace {

using Items = std::vector<std::string>;

TEST(PathTexts, CompleteDirAddsTheSeparatorOnlyWhenMissing) {
    const std::string sep(1, DirSeparator());
    EXPECT_EQ(CompleteDir("Bitmap"), "Bitmap" + sep);
    EXPECT_EQ(CompleteDir("C:\\Games"), "C:\\Games" + sep);
    EXPECT_EQ(CompleteDir("C:\\Games\\"), "C:\\Games\\");
    EXPECT_EQ(CompleteDir("game/"), "game/");
    EXPECT_EQ(CompleteDir(""), sep);
}

TEST(PathTexts, FileNameAndExtension) {
    EXPECT_EQ(ExtractFileName("C:\\Games\\Rules.ini"), "Rules.ini");
    EXPECT_EQ(ExtractFileName("mods/my.rules.ini"), "my.rules.ini");
    EXPECT_EQ(ExtractFileName("C:Rules.ini"), "Rules.ini");
    EXPECT_EQ(ExtractFileName("dir/"), "");

    EXPECT_EQ(ChangeFileExt("Rules.ini", ".001"), "Rules.001");
    EXPECT_EQ(ChangeFileExt("Rules", ".INI"), "Rules.INI");
    EXPECT_EQ(ChangeFileExt("a.b/Rules", ".001"), "a.b/Rules.001");  // a dot in a folder is no extension
    EXPECT_EQ(ChangeFileExt("my.rules.ini", ".001"), "my.rules.001");
}

TEST(NameRules, NamesEqualFollowsTheCaseFlag) {
    EXPECT_FALSE(NamesEqual("unknown!", "Unknown!", true));
    EXPECT_TRUE(NamesEqual("unknown!", "Unknown!", false));
    EXPECT_TRUE(NamesEqual("E1", "E1", true));
    EXPECT_FALSE(NamesEqual("E1", "E10", false));
}

TEST(NameRules, StripCommentTrimsOnlyWhenItCuts) {
    EXPECT_EQ(StripComment("  abc ;x"), "abc");
    EXPECT_EQ(StripComment("  abc  "), "  abc  ");
    EXPECT_EQ(StripComment(";x"), "");
    EXPECT_EQ(StripComment("a;b;c"), "a");
}

TEST(CommaList, SplitsAtCommasAndBlanks) {
    EXPECT_EQ(SplitCommaList("1,Page A"), (Items{"1", "Page", "A"}));
    EXPECT_EQ(SplitCommaList("0,InfGeneral,InfWeapons"), (Items{"0", "InfGeneral", "InfWeapons"}));
    EXPECT_EQ(SplitCommaList("  1 , A ,B"), (Items{"1", "A", "B"}));
    EXPECT_EQ(SplitCommaList("\t\x01" "1,A"), (Items{"1", "A"}));
}

TEST(CommaList, QuotesKeepBlanksAndCommas) {
    EXPECT_EQ(SplitCommaList("1,\"Page A\""), (Items{"1", "Page A"}));
    EXPECT_EQ(SplitCommaList("\"a,b\",c"), (Items{"a,b", "c"}));
    EXPECT_EQ(SplitCommaList("\"say \"\"hi\"\"\""), (Items{"say \"hi\""}));
    EXPECT_EQ(SplitCommaList("\"\",x"), (Items{"", "x"}));
}

TEST(CommaList, MalformedListsGiveWhatTheRulesGive) {
    EXPECT_EQ(SplitCommaList(""), Items{});
    EXPECT_EQ(SplitCommaList("   "), Items{});
    EXPECT_EQ(SplitCommaList("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(SplitCommaList(",a"), (Items{"", "a"}));
    EXPECT_EQ(SplitCommaList("a,"), (Items{"a"}));
    // A quote that never closes takes the rest of the text, nothing of it lost.
    EXPECT_EQ(SplitCommaList("1,\"Page A, B"), (Items{"1", "Page A, B"}));
    EXPECT_EQ(SplitCommaList("\""), (Items{""}));
    EXPECT_EQ(SplitCommaList("\"ab\"cd"), (Items{"ab", "cd"}));
    // A NUL is a character of code 32 or below like a blank: it ends an item, and the list goes on.
    EXPECT_EQ(SplitCommaList(std::string_view("1,A\0,B", 7)), (Items{"1", "A", "B"}));
}

TEST(LeadingNumber, DecimalAndHexadecimalForms) {
    EXPECT_EQ(ReadLeadingNumber("12"), 12);
    EXPECT_EQ(ReadLeadingNumber("  +7"), 7);
    EXPECT_EQ(ReadLeadingNumber("-3"), -3);
    EXPECT_EQ(ReadLeadingNumber("0x1F"), 31);
    EXPECT_EQ(ReadLeadingNumber("0X1f"), 31);
    EXPECT_EQ(ReadLeadingNumber("$ff"), 255);
    EXPECT_EQ(ReadLeadingNumber("x10"), 16);
    EXPECT_EQ(ReadLeadingNumber("X10"), 16);
    EXPECT_EQ(ReadLeadingNumber("007"), 7);
}

TEST(LeadingNumber, StopsAtTheFirstCharacterThatDoesNotFit) {
    EXPECT_EQ(ReadLeadingNumber("12abc"), 12);
    EXPECT_EQ(ReadLeadingNumber("5,Page"), 5);
    EXPECT_EQ(ReadLeadingNumber("0xZ"), 0);
    EXPECT_EQ(ReadLeadingNumber("abc"), 0);
    EXPECT_EQ(ReadLeadingNumber(""), 0);
    EXPECT_EQ(ReadLeadingNumber("-"), 0);
    EXPECT_EQ(ReadLeadingNumber("1 2"), 1);
}

TEST(LeadingNumber, HugeNumbersAreClampedTo32Bits) {
    constexpr int32_t max = std::numeric_limits<int32_t>::max();
    constexpr int32_t min = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(ReadLeadingNumber("2147483647"), max);
    EXPECT_EQ(ReadLeadingNumber("2147483648"), max);
    EXPECT_EQ(ReadLeadingNumber("99999999999999999999999999999999"), max);
    EXPECT_EQ(ReadLeadingNumber("-2147483648"), min);
    EXPECT_EQ(ReadLeadingNumber("-99999999999999999999999"), min);
    EXPECT_EQ(ReadLeadingNumber("0xFFFFFFFFFFFFFFFFFFFF"), max);
}

TEST(ListNumbersTest, NewNumbersCountOnIn64BitsAndAreNeverGivenTwice) {
    ListNumbers past32({"5", "2147483647", "line without number"});
    EXPECT_EQ(past32.Highest(), 2147483647);
    EXPECT_EQ(past32.Next(), 2147483648);
    EXPECT_EQ(past32.Next(), 2147483649);

    // At the 64-bit edge the lowest free positive number is given, and then the next free one.
    ListNumbers edge({"9223372036854775806", "1"});
    EXPECT_EQ(edge.Next(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(edge.Next(), 2);
    EXPECT_EQ(edge.Next(), 3);
    ListNumbers beyond({"99999999999999999999", "3", "1", "-4", "0x2"});
    EXPECT_EQ(beyond.Highest(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(beyond.Next(), 4);
    EXPECT_EQ(beyond.Next(), 5);
}

}  // namespace
}  // namespace velmora
