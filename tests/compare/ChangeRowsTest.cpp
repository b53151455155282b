// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "compare/CompareSupport.h"
#include "core/compare/ChangeRows.h"
#include "core/catalogue/ValueRules.h"

namespace velmora::testing {
namespace {

// The tooltip names the value the red mark compared with: its comment and blanks are not part of
// it, and a key the reference lacks is told apart from an empty value.
TEST(ChangeRows, ReferenceValueTipNamesTheComparedValue) {
    const auto reference = StoreOf({"[GRUNT]", "Cost= 100 ; cheap", "Tier=", "[grunt]", "Speed=4"});
    EXPECT_EQ(ReferenceValueTip(*reference, "GRUNT", "cost"), "default: 100");
    EXPECT_EQ(ReferenceValueTip(*reference, "GRUNT", "Tier"), "default: ");
    EXPECT_EQ(ReferenceValueTip(*reference, "GRUNT", "Speed"), "default: (none)");
    EXPECT_EQ(ReferenceValueTip(*reference, "TORCH", "Cost"), "default: (none)");
}

TEST(ChangeRows, FilterFindsAnyPartOfTheLineWithoutRegardToCase) {
    const auto reference = StoreOf({"[GRUNT]", "Cost=100", "Armor=light", "[GONE]", "x=1"});
    const auto document = StoreOf({"[GRUNT]", "Cost=120", "[NEW]", "y=2"});
    const std::vector<Difference> differences = CompareStores(*document, *reference, true);
    ASSERT_EQ(Listing(differences), (std::vector<std::string>{"[GRUNT] Cost: 100 -> 120", "[GRUNT] -Armor=light",
                                                             "+[NEW]", "-[GONE]"}));
    auto passing = [&](std::string_view filter) {
        std::vector<std::string> lines;
        for (const Difference& difference : differences)
            if (ChangeRowPasses(difference, filter)) lines.push_back(DifferenceText(difference));
        return lines;
    };
    EXPECT_EQ(passing("  grunt "), (std::vector<std::string>{"[GRUNT] Cost: 100 -> 120", "[GRUNT] -Armor=light"}));
    EXPECT_EQ(passing("LIGHT"), std::vector<std::string>{"[GRUNT] -Armor=light"});
    EXPECT_EQ(passing("-> 120"), std::vector<std::string>{"[GRUNT] Cost: 100 -> 120"});
    EXPECT_EQ(passing(" ").size(), differences.size());

    // A side without the key or the entry says so; the other side shows what it holds.
    EXPECT_EQ(ChangeRowTexts(differences[1]), (std::array<std::string, ChangeColumnCount>{"GRUNT", "Armor", "light", "(none)"}));
    EXPECT_EQ(ChangeRowTexts(differences[2]), (std::array<std::string, ChangeColumnCount>{"NEW", "", "(none)", "(entry)"}));
}

}  // namespace
}  // namespace velmora::testing
