// SPDX-License-Identifier: GPL-3.0-or-later
// The document's edits and history: exact undo of every kind of edit, the clean point behind the
// modified flag, and what the observers are told.

#include <random>
#include <string>
#include <vector>

#include "EntriesFixture.h"
#include "RulesGenerator.h"
#include "core/entries/EntryOperations.h"
#include "core/document/Document.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/IniError.h"
#include "support/LoadedStores.h"

namespace velmora::testing {
namespace {

constexpr const char* EditedDefinition =
    "[AllSections]\n"
    "Infantry=0,Body\n"
    "[Body]\n"
    "Name=\n"
    "Cost=\n"
    "Image=\n";

constexpr const char* EditedDocument =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "\n"
    "; the rifleman\n"
    "[E1]\n"
    "name = Rifleman ; the first\n"
    "Cost=100\n"
    "\n"
    "[E2]\n"
    "Name=Grenadier\n";

class DocumentTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override { Load(EditedDocument, EditedDefinition); }

    std::string Texts() const {
        return workspace.Doc().Store().RenderText() + workspace.Doc().Definition().RenderText();
    }

    velmora::Document& doc() { return workspace.Doc(); }
};

TEST_F(DocumentTest, UndoPutsBackTheExactLineAndTheModifiedFlagFollowsTheCleanPoint) {
    const std::string original = Texts();
    // The commit replaces only the value: the key as written, the blanks around "=" and the note
    // after the value stay. Undo gives back the line as read.
    EXPECT_TRUE(doc().SetValue("E1", "Name", "Marksman"));
    EXPECT_NE(Texts().find("\r\nname = Marksman ; the first\r\n"), std::string::npos);
    EXPECT_EQ(workspace.Doc().Store().ReadString("E1", "Name", ""), "Marksman");
    EXPECT_EQ(doc().UndoText(), "Undo Change of Name");
    EXPECT_TRUE(workspace.Doc().Modified());
    doc().Undo();
    EXPECT_EQ(Texts(), original);
    EXPECT_FALSE(workspace.Doc().Modified());
    EXPECT_EQ(doc().RedoText(), "Redo Change of Name");

    // Saved after the redo: undoing past the save makes the document modified again.
    doc().Redo();
    doc().MarkSaved();
    EXPECT_FALSE(workspace.Doc().Modified());
    doc().Undo();
    EXPECT_TRUE(workspace.Doc().Modified());
    // A new edit drops the saved state from the history: no undo or redo reaches it again.
    EXPECT_TRUE(doc().SetValue("E2", "Cost", "5"));
    doc().Undo();
    EXPECT_TRUE(workspace.Doc().Modified());
    doc().Redo();
    EXPECT_TRUE(workspace.Doc().Modified());

    // A value the entry already holds, comment aside, writes nothing and makes no edit.
    const size_t edits = doc().History().Count();
    EXPECT_FALSE(doc().SetValue("E1", "NAME", "Rifleman"));
    EXPECT_EQ(doc().History().Count(), edits);
    EXPECT_THROW(doc().SetValue("E1", "", "x"), IniError);
}

TEST_F(DocumentTest, AValueCommitKeepsTheLayoutAndTheNoteOfItsLine) {
    Load("[Colors]\nLightGold=24,102,230\t\t; 0 is Orange\nLaserDuration = 12\nEmpty=   ; later\n", EditedDefinition);
    doc().SetValue("Colors", "LightGold", "1,2,3");
    doc().SetValue("Colors", "laserduration", "15");
    doc().SetValue("Colors", "Empty", "4");
    EXPECT_EQ(workspace.Doc().Store().RenderText(),
              "[Colors]\r\nLightGold=1,2,3\t\t; 0 is Orange\r\nLaserDuration = 15\r\nEmpty=4   ; later\r\n");
    // A value that brings a note of its own replaces the old note.
    doc().SetValue("Colors", "LightGold", "7 ; new");
    EXPECT_NE(workspace.Doc().Store().RenderText().find("LightGold=7 ; new\r\n"), std::string::npos);
    EXPECT_EQ(workspace.Doc().Store().ReadString("Colors", "LaserDuration", ""), "15");
}

TEST_F(DocumentTest, ANewDocumentStaysModifiedUntilSaved) {
    doc().Restart(true);
    EXPECT_TRUE(workspace.Doc().Modified());
    doc().SetValue("E2", "Cost", "5");
    doc().Undo();
    EXPECT_TRUE(workspace.Doc().Modified());
    doc().MarkSaved();
    EXPECT_FALSE(workspace.Doc().Modified());
    EXPECT_THROW(doc().Undo(), IniError);
}

// The edits refer to the store a load lets go: none of them may be undone into the new one, and the
// name the document is saved under is the new store's.
TEST_F(DocumentTest, ALoadDropsTheHistoryAndTheNameFollowsTheStore) {
    doc().SetValue("E2", "Cost", "5");
    ASSERT_TRUE(doc().Modified());
    doc().Load(StoreOf::Document,
               std::make_unique<IniStore>(folder.File("other.ini"), &globals.CaseSensitive));
    EXPECT_FALSE(doc().CanUndo());
    EXPECT_FALSE(doc().Modified());
    EXPECT_EQ(doc().FileName(), folder.File("other.ini"));
    doc().Rename(folder.File("saved.ini"));
    EXPECT_EQ(doc().Store().FileName(), folder.File("saved.ini"));
    EXPECT_EQ(doc().FileName(), folder.File("saved.ini"));

    velmora::Document empty;
    EXPECT_EQ(empty.FileName(), "");
    EXPECT_THROW(empty.Store(), IniError);
    EXPECT_THROW(empty.StoreForLoad(StoreOf::Definition), IniError);
    EXPECT_THROW(empty.Rename("x.ini"), IniError);
}

TEST_F(DocumentTest, AnEditThatFailsPartWayLeavesTheStoresAsTheyWere) {
    const std::string original = Texts();
    {
        auto edit = doc().BeginEdit("Broken", {}, true);
        edit->RemoveSection(StoreOf::Document, 1);
        edit->InsertLine(StoreOf::Definition, 0, 0, "3=E3");
        EXPECT_THROW(edit->RemoveLine(StoreOf::Document, 99, 0), IniError);
        EXPECT_THROW(edit->InsertLine(StoreOf::Document, 0, 99, "x=1"), IniError);
    }
    EXPECT_EQ(Texts(), original);
    EXPECT_FALSE(doc().CanUndo());
}

struct StepRecorder : DocumentObserver {
    std::vector<std::string> news;
    void ValueChanged(const std::string& code, const std::string& key) override { news.push_back("value " + code + " " + key); }
    void EntriesChanged() override { news.push_back("entries"); }
    void ModifiedChanged(bool modified) override { news.push_back(modified ? "modified" : "clean"); }
    void Stepped(const EditFocus& focus) override { news.push_back("step " + focus.Category + " " + focus.Code); }
};

TEST_F(DocumentTest, ObserversHearOfValuesEntriesStepsAndTheModifiedState) {
    StepRecorder recorder;
    doc().AddObserver(recorder);
    doc().SetValue("E2", "Cost", "5", "Infantry");
    EntryOperations(workspace, "Infantry", 0).DeleteEntry("E1");
    EXPECT_EQ(doc().UndoText(), "Undo Delete E1");
    doc().Undo();
    doc().Undo();
    doc().RemoveObserver(recorder);
    doc().Redo();
    EXPECT_EQ(recorder.news, (std::vector<std::string>{"value E2 Cost", "modified", "entries", "entries",
                                                       "step Infantry E1", "value E2 Cost", "step Infantry E2",
                                                       "clean"}));
}

// Random edits of every kind on the generated document, through the same commands as the command
// line: undoing them all gives back the bytes that were read, redoing them all the bytes of the
// edits.
TEST(DocumentHistory, ThousandRandomEditsUndoToTheOriginalAndRedoToTheResult) {
    const bench::RulesGenerator generator;
    TempFolder folder;
    folder.Write("document.ini", generator.RulesText());
    folder.Write("definition.ini", generator.DefinitionText());
    Globals globals;
    ScriptedBoxes boxes;
    Workspace workspace(globals, boxes);
    LoadStores(workspace, folder.File("document.ini"), folder.File("definition.ini"));
    workspace.Doc().Restart(false);
    auto texts = [&] { return workspace.Doc().Store().RenderText() + workspace.Doc().Definition().RenderText(); };
    const std::string original = texts();

    std::mt19937 random(7);
    auto below = [&random](size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(random); };
    ScriptedEdits edits(workspace);
    const auto& keys = generator.ExistingKeys();
    int made = 0;
    int newCodes = 0;
    while (made < 1000) {
        const size_t row = below(generator.Categories().size());
        const std::string category = generator.Categories()[row].name;
        StringList entries;
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[static_cast<size_t>(
                                               IndexOfNoCase(workspace.CategoryRows(), category))],
                                           category, entries);
        const std::string code = entries.Empty() ? std::string("none") : entries[below(entries.Count())];
        std::string line;
        switch (below(6)) {
            case 0:
            case 1: {
                const auto& [section, key] = keys[below(keys.size())];
                line = "set\t" + section + "\t" + key + "\tv " + std::to_string(below(1000));
                break;
            }
            case 2:
                line = "duplicate\t" + category + "\t" + code + "\tN" + std::to_string(++newCodes) + "\tNew one";
                break;
            case 3:
                line = "rename\t" + category + "\t" + code + "\tR" + std::to_string(++newCodes);
                break;
            case 4:
                line = "delete\t" + category + "\t" + code;
                break;
            default:
                // Now and then an undo, so that later edits drop what was undone.
                line = workspace.Doc().CanUndo() && made > 0 ? "undo" : "delete\t" + category + "\t" + code;
                break;
        }
        try {
            edits.Run(line);
        } catch (const IniError&) {
            continue;  // refused as the window would refuse it (a deleted entry, a single member)
        }
        if (line != "undo") ++made;
    }
    const std::string result = texts();
    const size_t count = workspace.Doc().History().Index();
    ASSERT_EQ(workspace.Doc().History().Count(), count);
    EXPECT_GT(count, 500u);  // most commands were edits, not refusals

    for (size_t i = 0; i < count; ++i) workspace.Doc().Undo();
    EXPECT_EQ(texts(), original);
    EXPECT_FALSE(workspace.Doc().Modified());
    for (size_t i = 0; i < count; ++i) workspace.Doc().Redo();
    EXPECT_EQ(texts(), result);
}

}  // namespace
}  // namespace velmora::testing
