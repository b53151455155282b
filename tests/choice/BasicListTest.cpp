// SPDX-License-Identifier: GPL-3.0-or-later
// The BASIC list: the values a key's sources allow, from categories and from plain sections.

#include <string>
#include <vector>

#include "ChoiceFixture.h"
#include "core/choice/ChoiceLists.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

constexpr std::string_view Definition =
    "[AllSections]\n"
    "Infantry=0,InfGeneral\n"
    "Warheads=2,WhGeneral\n"
    "[Infantry]\n"
    "20=E9\n"
    "[Warheads]\n"
    "1=AP\n"
    "2=HE ; high explosive\n"
    "3=GONE\n"
    "[Colors]\n"
    "1=Green\n";

constexpr std::string_view Document =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "[Warheads]\n"
    "1=DocumentOnly\n"
    "[Colors]\n"
    "1=Red\n"
    "a plain line\n"
    "2=Blue ; sky\n"
    "3=Red\n"
    "[Empty]\n"
    "no value here\n"
    "[E9]\n"
    "[AP]\n"
    "[HE]\n";

class BasicListTest : public ChoiceFixture {
protected:
    void SetUp() override { Load(Document, Definition); }
};

TEST(ValueSources, TheTextBetweenTheFirstMarkers) {
    EXPECT_EQ(ValueSourcesOf("Main weapon. ~@Weapons, Other@~ ~@More@~"), "Weapons, Other");
    // A key with a start marker names sources, possibly none.
    EXPECT_EQ(ValueSourcesOf("An end @~ before ~@Sides the start."), "");
    EXPECT_EQ(ValueSourcesOf("No end ~@Sides"), "");
    EXPECT_EQ(ValueSourcesOf("No marker @~"), std::nullopt);
}

TEST(ValueSources, SplitAtEveryCommaKeepingEmptyNames) {
    EXPECT_EQ(SplitValueSources(" Colors , Infantry,,Empty "), (Texts{"Colors", "Infantry", "", "Empty"}));
    EXPECT_EQ(SplitValueSources("Colors"), (Texts{"Colors"}));
    EXPECT_EQ(SplitValueSources(""), (Texts{""}));
}

TEST_F(BasicListTest, CategoryOfKindZeroGivesDocumentListThenDefinitionList) {
    BasicList list = BuildBasicList("Infantry", workspace);
    EXPECT_EQ(list.Items, (Texts{"E1", "E2", "E9"}));
    EXPECT_TRUE(list.MissingSources.empty());
}

TEST_F(BasicListTest, CategoryOfOtherKindReadsOnlyTheDefinitionFile) {
    // GONE, which this document does not hold, is not one of the category's entries here.
    EXPECT_EQ(BuildBasicList("Warheads", workspace).Items, (Texts{"AP", "HE"}));
}

TEST_F(BasicListTest, CategoryIsRecognisedWithoutRegardToCase) {
    // With section names compared without regard to case, a source spelled differently still
    // reaches the sections; only the category match keeps the document's section out.
    globals.CaseSensitive = false;
    EXPECT_EQ(BuildBasicList("WARHEADS", workspace).Items, (Texts{"AP", "HE"}));
}

TEST_F(BasicListTest, PlainSectionGivesDocumentValuesThenDefinitionValues) {
    // Comments are stripped, plain lines give nothing, duplicates stay.
    EXPECT_EQ(BuildBasicList("Colors", workspace).Items, (Texts{"Red", "Blue", "Red", "Green"}));
}

TEST_F(BasicListTest, SourcesAreReadInOrderAndKeepDuplicatesAcrossSources) {
    EXPECT_EQ(BuildBasicList("Warheads, Colors ,Warheads", workspace).Items,
              (Texts{"AP", "HE", "Red", "Blue", "Red", "Green", "AP", "HE"}));
}

TEST_F(BasicListTest, SourcesGivingNoValueAreReportedInOrder) {
    BasicList list = BuildBasicList("Missing, Colors,,Empty", workspace);
    EXPECT_EQ(list.Items, (Texts{"Red", "Blue", "Red", "Green"}));
    EXPECT_EQ(list.MissingSources, (Texts{"Missing", "", "Empty"}));
    EXPECT_EQ(MissingSourceNotice("Missing"), "Missing stated in Velmedit.sis not found");
}

TEST_F(BasicListTest, EmptyCategoryListIsReported) {
    Load(Document, "[AllSections]\nArmour=1,ArmGeneral\n");
    BasicList list = BuildBasicList("Armour", workspace);
    EXPECT_TRUE(list.Items.empty());
    EXPECT_EQ(list.MissingSources, (Texts{"Armour"}));
}

}  // namespace
}  // namespace velmora::testing
