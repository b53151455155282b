// SPDX-License-Identifier: GPL-3.0-or-later
// Edits that change many lines at once: a change of code that keeps the references to the entry,
// and the replace and set of the find window's selected results. Each is one edit that one undo
// takes back whole.

#include <string>
#include <vector>

#include "EntriesFixture.h"
#include "core/entries/EntryOperations.h"
#include "core/document/Document.h"
#include "core/entries/ValueEdits.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

constexpr const char* ReferencingDefinition =
    "[AllSections]\n"
    "Infantry=0,Body\n"
    "[Body]\n"
    "Name=\n"
    "Armor=\n"
    "Ally=Who fights beside the unit. ~@Infantry@~\n";

constexpr const char* ReferencingDocument =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "3=E3\n"
    "\n"
    "[E1]\n"
    "Name=Rifleman\n"
    "Self=E1\n"
    "\n"
    "[E2]\n"
    "name=Grenadier\n"
    "Ally = X, e1 ,E1 ; E1 again\n"
    "ARMOR = wood ; soft\n"
    "\n"
    "[E3]\n"
    "Ally=E1X\n";

class ReferenceEditsTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override { Load(ReferencingDocument, ReferencingDefinition); }

    std::string Texts() const {
        return workspace.Doc().Store().RenderText() + workspace.Doc().Definition().RenderText();
    }
    std::string DocumentText() const { return workspace.Doc().Store().RenderText(); }
    EntryOperations Operations() { return EntryOperations(workspace, "Infantry", 0); }
    // Where the line `text` of section `name` stands.
    LinePlace PlaceOf(const std::string& name, const std::string& text) const {
        const auto section = static_cast<size_t>(workspace.Doc().Store().IndexOfSection(name));
        const IniSection& lines = workspace.Doc().Store().SectionAt(section);
        for (size_t line = 0; line < lines.Count(); ++line)
            if (lines.LineAt(line).Raw() == text) return {section, line};
        ADD_FAILURE() << "no line " << text;
        return {};
    }
};

TEST_F(ReferenceEditsTest, ChangeOfCodeRewritesTheReferencesInTheSameEditAndOneUndoTakesAllBack) {
    const std::string original = Texts();
    EntryOperations operations = Operations();
    // The list line is the change of code's own; the items of a key whose sources name the
    // category are references. Only whole items equal to the code count, never the comment. A key
    // that is no reference (Self) merely names the code: it is offered, not changed.
    const CodeChangeRewrites rewrites = operations.ReferenceRewrites("E1", "E9");
    ASSERT_EQ(rewrites.References.size(), 1u);
    ASSERT_EQ(rewrites.Others.size(), 1u);
    EXPECT_EQ(NotChangedText(rewrites.Others[0]), "not changed: [E1] Self=E1");
    EXPECT_EQ(operations.LinesStillNaming("E1"), 1u);  // its own section goes with it

    operations.DuplicateOrChangeCode("E1", "E9", std::nullopt, false, rewrites.References);
    const std::string renamed = DocumentText();
    EXPECT_NE(renamed.find("1=E9\r\n"), std::string::npos);
    EXPECT_NE(renamed.find("[E9]\r\nName=Rifleman\r\nSelf=E1\r\n"), std::string::npos);
    EXPECT_NE(renamed.find("Ally = X, e1 ,E9 ; E1 again\r\n"), std::string::npos);  // case counts by default
    EXPECT_NE(renamed.find("Ally=E1X\r\n"), std::string::npos);
    EXPECT_EQ(workspace.Doc().History().Count(), 1u);

    workspace.Doc().Undo();
    EXPECT_EQ(Texts(), original);
}

TEST_F(ReferenceEditsTest, ReplaceAndSetChangeOnlyValuesOfTheChosenLines) {
    const std::string original = Texts();
    // Replace: letter case ignored, whole words when asked, never in the comment or a list line.
    EXPECT_EQ(ReplaceTextInValue(" E1X, e1 ; E1", "E1", "K", false), " KX, K ; E1");
    EXPECT_EQ(ReplaceTextInValue(" E1X, e1 ; E1", "E1", "K", true), " E1X, K ; E1");
    EXPECT_EQ(ReplaceTextInValue("abc", "x", "y", false), std::nullopt);
    const std::vector<LineRewrite> replaced =
        ReplaceTextRewrites(workspace,
                            {PlaceOf("Infantry", "1=E1"), PlaceOf("E2", "Ally = X, e1 ,E1 ; E1 again"),
                             PlaceOf("E3", "Ally=E1X")},
                            "E1", "K", true);
    ASSERT_EQ(replaced.size(), 1u);
    EXPECT_EQ(replaced[0].NewText, "Ally = X, K ,K ; E1 again");
    EXPECT_THROW(ReplaceTextRewrites(workspace, {}, "E1", "K;", false), IniError);

    // Set: the key's first line keeps its spelling, blanks and comment; a missing key is added;
    // a list section and an entry that already reads the value are left alone.
    const std::vector<LineRewrite> set =
        SetValueRewrites(workspace, {"E2", "E3", "Infantry", "E2", "NONE"}, "armor", " flesh ");
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[0].NewText, "ARMOR = flesh ; soft");
    EXPECT_EQ(set[1].OldText, "");
    EXPECT_EQ(set[1].NewText, "armor=flesh");
    EXPECT_THROW(SetValueRewrites(workspace, {"E2"}, "A=B", "x"), IniError);
    EXPECT_EQ(RewritesPreview(set, 1), "2 lines will change:\r\nE2: ARMOR = wood ; soft  ->  ARMOR = flesh ; soft"
                                       "\r\n... and 1 more");

    ASSERT_TRUE(CommitRewrites(workspace.Doc(), "Set armor", {}, set));
    EXPECT_NE(DocumentText().find("[E3]\r\nAlly=E1X\r\narmor=flesh\r\n"), std::string::npos);
    EXPECT_TRUE(SetValueRewrites(workspace, {"E2", "E3"}, "Armor", "flesh").empty());
    workspace.Doc().Undo();
    EXPECT_EQ(Texts(), original);
}

TEST_F(ReferenceEditsTest, ReplacingTextByItselfChangesNothingAndLeavesNoUndoStep) {
    const std::string original = Texts();
    // "e1" and "E1" differ only in letter case: of the two lines holding E1 only the one whose
    // bytes change counts, and a replace by the very same text counts none.
    const std::vector<LinePlace> places{PlaceOf("E1", "Self=E1"), PlaceOf("E2", "Ally = X, e1 ,E1 ; E1 again")};
    const std::vector<LineRewrite> toUpper = ReplaceTextRewrites(workspace, places, "e1", "E1", true);
    ASSERT_EQ(toUpper.size(), 1u);
    EXPECT_EQ(toUpper[0].NewText, "Ally = X, E1 ,E1 ; E1 again");
    EXPECT_TRUE(ReplaceRewrites(workspace.Doc().Store(), "Self", "E1", "E1", false).empty());

    // The edit itself drops a line written back as it stands, so nothing reaches the history.
    LineRewrite same{places[0], "E1", "Self=E1", "Self=E1"};
    EXPECT_FALSE(CommitRewrites(workspace.Doc(), "Replace", {}, {same}));
    EXPECT_FALSE(workspace.Doc().CanUndo());
    EXPECT_FALSE(workspace.Doc().Modified());
    EXPECT_EQ(Texts(), original);
}

}  // namespace
}  // namespace velmora::testing
