// SPDX-License-Identifier: GPL-3.0-or-later
// The OTHERS list: the values the entries of a category hold for a key, with their users.

#include <string>
#include <vector>

#include "ChoiceFixture.h"
#include "core/choice/ChoiceLists.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

class OthersListTest : public ChoiceFixture {};

TEST_F(OthersListTest, GroupsValuesWithoutRegardToCaseKeepingTheFirstSpelling) {
    Load("[A]\nArmor=Yes\n"
         "[B]\narmor=  yes \n"
         "[C]\nArmor=No\n"
         "[D]\nArmor=YES ; heavy\n",
         "");
    EXPECT_EQ(BuildOthersList({"A", "B", "C", "D"}, "ARMOR", workspace.Doc().Store()),
              (Texts{"Yes=   A,B,D", "No=   C"}));
}

TEST_F(OthersListTest, EntriesWithoutAValueAreNotUsers) {
    // Blank value, comment only, no such key, no section at all.
    Load("[A]\nArmor=   \n"
         "[B]\nArmor=; none\n"
         "[C]\nCost=5\n"
         "[E]\nArmor=Light\n",
         "");
    EXPECT_EQ(BuildOthersList({"A", "B", "C", "Gone", "E"}, "Armor", workspace.Doc().Store()),
              (Texts{"Light=   E"}));
    EXPECT_TRUE(BuildOthersList({"A", "B"}, "Armor", workspace.Doc().Store()).empty());
}

TEST_F(OthersListTest, UsersFollowTheEntryOrderGiven) {
    Load("[A]\nArmor=X\n[B]\nArmor=Y\n[C]\nArmor=X\n", "");
    EXPECT_EQ(BuildOthersList({"C", "B", "A"}, "Armor", workspace.Doc().Store()), (Texts{"X=   C,A", "Y=   B"}));
}

TEST_F(OthersListTest, ChoosingAnOthersItemGivesItsValueAlone) {
    Load("[A]\nArmor=Heavy\n[B]\nArmor=heavy\n", "");
    Texts items = BuildOthersList({"A", "B"}, "Armor", workspace.Doc().Store());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(ChosenValue({{items[0], true}}), "Heavy");
}

}  // namespace
}  // namespace velmora::testing
