// SPDX-License-Identifier: GPL-3.0-or-later
// The codes proposed for a copy and the codes an entry may not take.

#include <string>
#include <vector>

#include "EntriesFixture.h"
#include "core/entries/EntryOperations.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/IniError.h"
#include "core/store/StringList.h"

namespace velmora::testing {
namespace {

using Codes = std::vector<std::string>;

constexpr std::string_view CodedDefinition =
    "[AllSections]\n"
    "Infantry=1,InfGeneral\n"
    "[InfGeneral]\n"
    "Name=\n"
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n";

constexpr std::string_view CodedDocument =
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
    void SetUp() override { Load(CodedDocument, CodedDefinition); }

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

// Only the code is cut: a name the file holds is not the user's typing, and stays whole.
TEST(DuplicateProposal, CutsTheCodeButKeepsTheName) {
    auto nothingTaken = [](std::string_view) { return false; };
    CodeAndName proposal = ProposeDuplicate("ABCDEFGHIJKLMNOPQRS", std::string(40, 'n'), nothingTaken);
    EXPECT_EQ(proposal.Code, "D1ABCDEFGHIJKLMNOPQR");
    EXPECT_EQ(proposal.Name, "D1" + std::string(40, 'n'));
    EXPECT_EQ(CutCode("123456789012345678901"), "12345678901234567890");
}

TEST(CutName, HoldsTypedTextToFortyButKeepsALongerStartingName) {
    const std::string held = "Allied American Airforce Command Headquarters";
    EXPECT_EQ(CutName(held, held), held);
    EXPECT_EQ(CutName(held + "!", held), held);
    EXPECT_EQ(CutName(held, "Rifleman"), held.substr(0, MaxNameLength));
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

// A code is usable exactly when a duplicate under it, saved and read again, is listed under that
// code and stands in a section of that name.
TEST_F(CodeChoiceTest, UsableCodesAreTheOnesThatReadBackAfterASave) {
    for (const std::string code : {"NEW", "N E W", "[N", "N~W#1", "\xC4N", " N", "N ", "\tN", "N]W", "N;W"}) {
        SCOPED_TRACE("code \"" + code + "\"");
        Load(CodedDocument, CodedDefinition);
        operations.DuplicateOrChangeCode("E1", code, "New", true);
        workspace.Doc().StoreForLoad(StoreOf::Document).UpdateFile();
        workspace.Doc().StoreForLoad(StoreOf::Definition).UpdateFile();
        Load();

        StringList listed;
        workspace.Doc().Definition().ReadSectionValuesOnly("Infantry", listed);
        const int copied = workspace.Doc().Store().IndexOfSection("E1") - 1;
        ASSERT_GE(copied, 0);
        const bool readsBack = listed.Count() == 3 && listed[2] == code &&
                               workspace.Doc().Store().SectionAt(static_cast<size_t>(copied)).Name() == code;
        EXPECT_EQ(CodeIsUsable(code), readsBack);
    }
    // An empty code reads back, but no delete reaches it (see below).
    EXPECT_FALSE(CodeIsUsable(""));
}

// Other entries name an entry by its code in their values: the value choice dialog takes an item up
// to its first "=" (ROCK=ETS would be picked as ROCK), and a comma list splits at every ",". Such a
// code reads back after a save, yet no value could refer to it.
TEST(CodeIsUsable, RefusesCodesThatAValueCannotNameWhole) {
    for (const char* code : {"ROCK=ETS", "ROCK,ETS", "=", ","}) EXPECT_FALSE(CodeIsUsable(code)) << code;
    EXPECT_TRUE(CodeIsUsable("ROCK-ETS"));
}

TEST(CodeNotValidNotice, NamesTheCodeAndTheRule) {
    EXPECT_EQ(CodeNotValidNotice("A]B"),
              "A]B\r\nCode is not valid.\r\n"
              "A code may not be empty, begin or end with a blank, or hold \"]\", \";\", \"=\" or \",\".");
}

// A saved file read back gives the document as it was written, blanks typed around the name
// included.
TEST_F(CodeChoiceTest, TheCopysNameIsWrittenAsASavedFileGivesItBack) {
    operations.DuplicateOrChangeCode("E1", "D1E1", " D1 Rifleman\t ", true);
    EXPECT_EQ(workspace.Doc().Store().ReadString("D1E1", "Name", ""), "D1 Rifleman");
    workspace.Doc().StoreForLoad(StoreOf::Document).UpdateFile();
    EXPECT_EQ(IniStore(folder.File("document.ini")).RenderText(), workspace.Doc().Store().RenderText());
}

// The command line keeps an untouched long name through a change of code, as the window does.
TEST_F(CodeChoiceTest, ChangeOfCodeKeepsALongNameTheFileHolds) {
    const std::string longName = "Allied American Airforce Command Headquarters";
    workspace.Doc().StoreForLoad(StoreOf::Document).WriteString("E1", "Name", longName);
    ScriptedEdits edits(workspace);
    edits.Run("rename\tInfantry\tE1\tE9\t" + longName);
    EXPECT_EQ(workspace.Doc().Store().ReadString("E9", "Name", ""), longName);
    // Longer still is refused, never cut.
    EXPECT_THROW(edits.Run("rename\tInfantry\tE9\tE8\t" + longName + " North"), IniError);
    EXPECT_EQ(workspace.Doc().Store().ReadString("E9", "Name", ""), longName);
}

TEST_F(CodeChoiceTest, DeletingAnEmptyCodeWritesNothing) {
    const std::string before = workspace.Doc().Store().RenderText();
    operations.DeleteEntry("");
    EXPECT_EQ(workspace.Doc().Store().RenderText(), before);
    EXPECT_FALSE(workspace.Doc().Modified());
}

}  // namespace
}  // namespace velmora::testing
