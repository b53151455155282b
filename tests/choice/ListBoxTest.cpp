// SPDX-License-Identifier: GPL-3.0-or-later
// What the list box does with the items: its order, where it opens, and the answer it gives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/choice/ChoiceLists.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

TEST(ChosenValue, JoinsTheValuesOfTheSelectedItemsInListOrder) {
    std::vector<ChoiceItem> items = {
        {"AP", true}, {"HE = high explosive", false}, {" Fire =   E1,E2", true}, {"Super", true}};
    EXPECT_EQ(ChosenValue(items), "AP,Fire,Super");
}

TEST(ChosenValue, NothingSelectedGivesAnEmptyAnswer) {
    EXPECT_EQ(ChosenValue({{"AP", false}, {"HE", false}}), "");
    EXPECT_EQ(ChosenValue({}), "");
}

TEST(ChosenValue, ItemWithoutEqualsSignIsTakenWhole) {
    EXPECT_EQ(ValuePart(" two words "), " two words ");
    EXPECT_EQ(ValuePart("a=b=c"), "a");
    EXPECT_EQ(ValuePart("=   E1"), "");
}

TEST(SortNoCase, OrdersWithoutRegardToCaseAndKeepsDuplicatesInTheirOrder) {
    Texts items = {"b", "A", "a", "B", "\xE9t\xE9", "\xC9T\xC9", "a", "Zulu"};
    SortNoCase(items);
    EXPECT_EQ(items, (Texts{"A", "a", "a", "b", "B", "Zulu", "\xE9t\xE9", "\xC9T\xC9"}));
    EXPECT_TRUE(LessNoCase("abc", "ABCD"));
    EXPECT_FALSE(LessNoCase("ABC", "abc"));
}

TEST(PositionOfCurrentValue, PrefersAWholeItemThenTheValueOfAnOthersItem) {
    Texts items = {"Blue=   B", "heavy=   A,C", "Yes"};
    EXPECT_EQ(PositionOfCurrentValue(items, "yes"), 2);
    EXPECT_EQ(PositionOfCurrentValue(items, "HEAVY"), 1);
    EXPECT_EQ(PositionOfCurrentValue(items, "Green"), -1);
    EXPECT_EQ(PositionOfCurrentValue(items, ""), -1);
    EXPECT_EQ(PositionOfCurrentValue({"x=   A", "X"}, "x"), 1);
}

}  // namespace
}  // namespace velmora::testing
