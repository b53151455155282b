// SPDX-License-Identifier: GPL-3.0-or-later
// Scripted edits as a user's shell hands them over: text that would break the file is refused
// with its reason and leaves the document as it was, and every line is one step of undo.

#include <string>

#include "EntriesFixture.h"
#include "core/document/Document.h"
#include "core/entries/EntryOperations.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"

namespace velmora::testing {
namespace {

constexpr const char* ScriptedDefinition =
    "[AllSections]\n"
    "Infantry=0,Body\n"
    "[Body]\n"
    "Name=\n"
    "Cost=\n"
    "Primary=\n";

constexpr const char* ScriptedDocument =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "447=\n"
    "\n"
    "[E1]\n"
    "Name=Rifleman\n"
    "Cost=100\n"
    "Primary=M60\n"
    "\n"
    "[E2]\n"
    "Cost=50\n";

class ScriptedEditsTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override { Load(ScriptedDocument, ScriptedDefinition); }

    std::string Texts() const {
        return workspace.Doc().Store().RenderText() + workspace.Doc().Definition().RenderText();
    }
    std::string Value(const std::string& code, const std::string& key) const {
        return workspace.Doc().Store().ReadString(code, key, "(none)");
    }
    // The reason `line` is refused with; the document and its history must stay as they were.
    std::string Refusal(const std::string& line) {
        const std::string before = Texts();
        const size_t edits = workspace.Doc().History().Count();
        std::string reason = "(not refused)";
        try {
            edits_.Run(line);
        } catch (const IniError& error) {
            reason = error.what();
        }
        EXPECT_EQ(Texts(), before) << line;
        EXPECT_EQ(workspace.Doc().History().Count(), edits) << line;
        return reason;
    }

    ScriptedEdits edits_{workspace};
};

TEST_F(ScriptedEditsTest, ControlCharactersAndCharactersBeyondLatin1AreRefusedWithTheReason) {
    EXPECT_EQ(Refusal("set\tE1\tPrimary\tM6\r0"), "the value may not hold a line break");
    EXPECT_EQ(Refusal(std::string("set\tE1\tPrimary\tM6") + '\0' + "0"), "the value may not hold a NUL byte");
    EXPECT_EQ(Refusal("set\tE1\tPrimary\tM60\x1b"), "the value may not hold the control character 0x1B");
    EXPECT_EQ(Refusal("duplicate\tInfantry\tE1\tE1\rX"), "the code may not hold a line break");
    EXPECT_EQ(Refusal("duplicate\tInfantry\tE1\tE3\tRi\nfle"), "the name may not hold a line break");
    EXPECT_EQ(Refusal(std::string("replace\tPrimary\tM60\tM") + '\0'), "the item may not hold a NUL byte");
    EXPECT_EQ(Refusal("set\tE1\tName\tGI \xE2\x82\xAC"),
              "\"\xE2\x82\xAC\" is not a Latin-1 character, and a rules file holds no other");
    EXPECT_EQ(Refusal("set\tE1\tName\tGI \xE9"), "the text is not UTF-8 (byte 16)");

    // The windows' commit and the find window's set go by the same rule.
    EXPECT_THROW(workspace.Doc().SetValue("E1", "Primary", "M6\n0"), IniError);

    // UTF-8 that Latin-1 can hold is written in Latin-1.
    edits_.Run("set\tE1\tName\tJos\xC3\xA9");
    EXPECT_EQ(Value("E1", "Name"), "Jos\xE9");
}

// A refusal quotes what the script gave with its control bytes escaped, for a terminal or a box to
// show them and not act on them; counted things are named one or many as their count says.
TEST_F(ScriptedEditsTest, RefusalsShowControlBytesEscapedAndCountsTheirNouns) {
    EXPECT_EQ(Refusal("set\tE\x1b[2J1\tCost\t5"), "no entry E\\x1B[2J1");
    EXPECT_EQ(Refusal("delete\tInfan\rtry\tE1"), "no category Infan\\rtry");
    EXPECT_EQ(Refusal("fr\x1b" "ob"), "unknown command fr\\x1Bob");
    // A tab and Latin-1 letters stay; DEL and the C1 controls are escaped too.
    EXPECT_EQ(Escaped("a\tb\n\x7f\x85\xe9"), "a\tb\\n\\x7F\\x85\xe9");
    EXPECT_EQ(ChangeReferencesQuestion(1, "E1", "E9"), "Also change the 1 reference to E1 into E9?");
    EXPECT_EQ(ChangeReferencesQuestion(2, "E1", "E9"), "Also change the 2 references to E1 into E9?");
}

TEST_F(ScriptedEditsTest, KeysThatWouldReadBackAsSomethingElseAreRefusedAndBlanksAroundAKeyGo) {
    EXPECT_EQ(Refusal("set\tE1\t;Primary\tX"), "the key may not begin with \";\": the line would be a comment");
    EXPECT_EQ(Refusal("set\tE1\t[Evil]\tX"),
              "the key may not begin with \"[\": the line would be a section header");
    EXPECT_EQ(Refusal("set\tE1\t \tX"), "the key may not be empty");

    edits_.Run("set\tE1\t Primary \tX");
    EXPECT_EQ(Value("E1", "Primary"), "X");
    EXPECT_EQ(workspace.Doc().Store().SectionAt(1).Count(), 3u);  // no second Primary line
}

TEST_F(ScriptedEditsTest, EveryLineThatSucceedsIsOneStepOfUndoEvenWhenItChangesNothing) {
    edits_.Run("set\tE1\tCost\t9");
    edits_.Run("set\tE1\tPrimary\tM60");  // already so
    edits_.Run(" \t ");                   // a blank line is no command and no step
    edits_.Run("undo");
    EXPECT_EQ(Value("E1", "Cost"), "9");
    edits_.Run("undo");
    EXPECT_EQ(Value("E1", "Cost"), "100");
    EXPECT_EQ(Refusal("undo"), "Nothing to undo");
    edits_.Run("redo");
    edits_.Run("redo");
    EXPECT_EQ(Value("E1", "Cost"), "9");
    EXPECT_EQ(Refusal("redo"), "Nothing to redo");

    // A set on a missing entry is no step at all.
    EXPECT_EQ(Refusal("set\tNOPE\tCost\t1"), "no entry NOPE");
    edits_.Run("undo");
    edits_.Run("undo");
    EXPECT_EQ(Refusal("undo"), "Nothing to undo");
}

TEST_F(ScriptedEditsTest, OverlongCodesAndNamesAndANameWithoutANameKeyAreRefusedNotCut) {
    EXPECT_EQ(Refusal("duplicate\tInfantry\tE1\tABCDEFGHIJKLMNOPQRSTU"), "the code is longer than 20 characters");
    EXPECT_EQ(Refusal("rename\tInfantry\tE1\tE3\t" + std::string(41, 'n')), "the name is longer than 40 characters");
    EXPECT_EQ(Refusal("duplicate\tInfantry\tE2\tE3\tGrenadier"),
              "E2 has no Name key to take the name; leave the name out");

    edits_.Run("duplicate\tInfantry\tE1\tABCDEFGHIJKLMNOPQRST\t" + std::string(40, 'n'));
    EXPECT_EQ(Value("ABCDEFGHIJKLMNOPQRST", "Name"), std::string(40, 'n'));

    // The same limits hold a set or a replace: a name grown past 40, a list line's code past 20.
    EXPECT_EQ(Refusal("replace\tName\tRifleman\t" + std::string(41, 'n')),
              "E1 Name: the name is longer than 40 characters.");
    EXPECT_EQ(Refusal("set\tInfantry\t1\tABCDEFGHIJKLMNOPQRSTU"), "the code is longer than 20 characters");
    EXPECT_EQ(Refusal("replace\t2\tE2\tABCDEFGHIJKLMNOPQRSTU"), "the code is longer than 20 characters");
    EXPECT_EQ(Refusal("set\tE1\tCost\t1\xC2\x85"), "the value may not hold the control character 0x85");
}

TEST_F(ScriptedEditsTest, AListLineWithoutACodeIsNoEntry) {
    StringList entries;
    workspace.GetReadSectionValuesOnly(KindOf("Infantry"), "Infantry", entries);
    EXPECT_EQ(entries.Texts(), (std::vector<std::string>{"E1", "E2"}));
    EXPECT_EQ(Refusal("delete\tInfantry\t"), "no entry  in Infantry");
    EXPECT_EQ(Refusal("duplicate\tInfantry\t\tNEWB"), "no entry  in Infantry");
}

}  // namespace
}  // namespace velmora::testing
