// SPDX-License-Identifier: GPL-3.0-or-later
// The context menu of a list item: its value, its users and the columns they fall into.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/choice/ChoiceLists.h"

namespace velmora::testing {
namespace {

// An OTHERS item used by the codes C1 to C<count>.
std::string ItemUsedBy(int count) {
    std::string item = "Heavy=   ";
    for (int i = 1; i <= count; ++i) item += (i > 1 ? ",C" : "C") + std::to_string(i);
    return item;
}

std::vector<std::string> Captions(const std::vector<PopupMenuEntry>& menu) {
    std::vector<std::string> captions;
    for (const auto& entry : menu) captions.push_back(entry.Caption);
    return captions;
}

// The numbers of the user pieces (1 = the first code) that begin a new column.
std::vector<int> ColumnStarts(const std::vector<PopupMenuEntry>& menu, int headerItems) {
    std::vector<int> starts;
    for (size_t i = 0; i < menu.size(); ++i)
        if (menu[i].BeginsColumn) starts.push_back(static_cast<int>(i) - headerItems + 1);
    return starts;
}

TEST(PopupMenu, OthersItemShowsValueHeaderThenItsUsers) {
    auto menu = PopupMenuContent(" Heavy =   E1,E2 , E3");
    EXPECT_EQ(Captions(menu), (std::vector<std::string>{"Heavy", "used by:", "-", "E1", "E2", "E3"}));
    EXPECT_EQ(ColumnStarts(menu, 3), std::vector<int>{});
}

TEST(PopupMenu, BasicItemIsSplitAtItsCommas) {
    EXPECT_EQ(Captions(PopupMenuContent("Red")), std::vector<std::string>{"Red"});
    EXPECT_EQ(Captions(PopupMenuContent("a, b ,c")), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(PopupMenu, HundredUsersShowTheFirst78InThreeColumns) {
    auto menu = PopupMenuContent(ItemUsedBy(100));
    ASSERT_EQ(menu.size(), 3u + 78u);
    EXPECT_EQ(menu[3].Caption, "C1");
    EXPECT_EQ(menu.back().Caption, "C78");
    EXPECT_EQ(ColumnStarts(menu, 3), (std::vector<int>{26, 52}));
}

TEST(PopupMenu, ColumnBreaksNeedAFurtherPiece) {
    EXPECT_EQ(ColumnStarts(PopupMenuContent(ItemUsedBy(26)), 3), std::vector<int>{});
    EXPECT_EQ(ColumnStarts(PopupMenuContent(ItemUsedBy(27)), 3), std::vector<int>{26});
    EXPECT_EQ(ColumnStarts(PopupMenuContent(ItemUsedBy(52)), 3), std::vector<int>{26});
    EXPECT_EQ(ColumnStarts(PopupMenuContent(ItemUsedBy(53)), 3), (std::vector<int>{26, 52}));
}

TEST(PopupMenu, TheFullMenuOpensNoFourthColumn) {
    for (int users : {78, 79}) {
        auto menu = PopupMenuContent(ItemUsedBy(users));
        EXPECT_EQ(menu.size(), 3u + 78u) << users;
        EXPECT_EQ(ColumnStarts(menu, 3), (std::vector<int>{26, 52})) << users;
    }
}

}  // namespace
}  // namespace velmora::testing
