// The codes proposed for a copy and the codes an entry may not take.

#include <string>
#include <vector>

#include "EntriesFixture.h"
#include "category/EntryOperations.h"

namespace velmora::testing {
namespace {

using Codes = std::vector<std::string>;

constexpr std::string_view Definition =
    "[AllSections]\n"
    "Infantry=1,InfGeneral\n"
    "[InfGeneral]\n"
    "Name=\n"
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n";

constexpr std::string_view Document =
    "[General]\n"
    "Speed=5\n"
    "[E1]\n"
    "Name=Rifleman\n"
    "[E2]\n"
    "Cost=200\n"
    "[D2E1]\n"
    "Cost=1\n";

class CodeChoiceTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override { Load(Document, Definition); }

    EntryOperations operations{workspace, "Infantry", 1};
    const Codes entries{"E1", "E2"};
};

TEST(DuplicateProposal, CountsUpPastTakenCodesIgnoringCase) {
    const Codes taken{"d1e1", "D2E1"};
    auto isTaken = [&](std::string_view code) {
        for (const auto& t : taken)
            if (EqualsNoCase(t, code)) return true;
        return false;
    };
    CodeAndName proposal = ProposeDuplicate("E1", "Rifleman", isTaken);
    EXPECT_EQ(proposal.Code, "D3E1");
    EXPECT_EQ(proposal.Name, "D3Rifleman");
}

TEST(DuplicateProposal, IsCutToTheLengthsOfCodesAndNames) {
    auto nothingTaken = [](std::string_view) { return false; };
    CodeAndName proposal = ProposeDuplicate("ABCDEFGHIJKLMNOPQRS", std::string(40, 'n'), nothingTaken);
    EXPECT_EQ(proposal.Code, "D1ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(proposal.Name, "D1" + std::string(38, 'n'));
    EXPECT_EQ(CutCode("123456789012345678901"), "12345678901234567890");
}

TEST(DuplicateProposal, EntryWithoutNameGetsAnEmptyName) {
    int asked = 0;
    CodeAndName proposal = ProposeDuplicate("E1", "-", [&](std::string_view) { return ++asked < 3; });
    EXPECT_EQ(proposal.Code, "D3E1");
    EXPECT_EQ(proposal.Name, "");
}

TEST_F(CodeChoiceTest, CodeOfTheListIsTakenWhateverItsCase) {
    EXPECT_TRUE(operations.CodeIsTaken("E2", entries));
    // A change that only alters the case of the entry's own code.
    EXPECT_TRUE(operations.CodeIsTaken("e1", entries));
    EXPECT_FALSE(operations.CodeIsTaken("GI", entries));
}

TEST_F(CodeChoiceTest, CodeNamingASectionOutsideTheCategoryIsTaken) {
    EXPECT_TRUE(operations.CodeIsTaken("General", entries));
    // Sections are found as the store finds them: exactly, unless names ignore case.
    EXPECT_FALSE(operations.CodeIsTaken("GENERAL", entries));
    globals.CaseSensitive = false;
    EXPECT_TRUE(operations.CodeIsTaken("GENERAL", entries));
}

TEST_F(CodeChoiceTest, ProposalSkipsCodesOfTheListAndOfTheDocument) {
    // D1E1 is free; with it listed, D2E1 is next but names a section of the document.
    EXPECT_EQ(operations.DuplicateProposal("E1", "Rifleman", entries).Code, "D1E1");
    CodeAndName proposal = operations.DuplicateProposal("E1", "Rifleman", {"E1", "E2", "D1E1"});
    EXPECT_EQ(proposal.Code, "D3E1");
    EXPECT_EQ(proposal.Name, "D3Rifleman");
}

TEST_F(CodeChoiceTest, DeletingAnEmptyCodeWritesNothing) {
    const std::string before = workspace.DocumentIni->RenderText();
    operations.WriteDeleteToBuffer("");
    EXPECT_EQ(workspace.DocumentIni->RenderText(), before);
    EXPECT_FALSE(globals.DocumentModified);
}

}  // namespace
}  // namespace velmora::testing
