// SPDX-License-Identifier: GPL-3.0-or-later
// What the document tells its views. A view that follows only the notices must show what a fresh
// read shows after every edit, undo and redo of every kind of command; a command cannot forget to
// tell, since the notices come from the edit's own changes.

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "EntriesFixture.h"
#include "core/document/Document.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/entries/ValueEdits.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

constexpr const char* RulesDefinition =
    "[AllSections]\n"
    "Infantry=0,Body\n"
    "Weapons=1,Gun\n"
    "[Body]\n"
    "Name=\n"
    "Armor=\n"
    "Primary=Weapons\n"
    "Image=\n"
    "[Gun]\n"
    "Damage=\n"
    "Image=\n"
    "[Weapons]\n"
    "1=GUN\n"
    "2=ROCKET\n";

constexpr const char* RulesDocument =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "3=E3\n"
    "\n"
    "[E1]\n"
    "Name=Rifleman\n"
    "Primary=GUN\n"
    "Image=E1\n"
    "\n"
    "[E2]\n"
    "name=Grenadier\n"
    "Primary = GUN, ROCKET ; both\n"
    "ARMOR = wood\n"
    "\n"
    "[E3]\n"
    "Armor=steel\n"
    "\n"
    "[GUN]\n"
    "Damage=10\n"
    "Image=GUN\n"
    "\n"
    "[ROCKET]\n"
    "Damage=40\n";

// Every value of the document as ReadString gives it, by section and key (letter case ignored),
// the first section of a name only.
using Values = std::map<std::pair<std::string, std::string>, std::string>;

std::pair<std::string, std::string> Place(std::string_view code, std::string_view key) {
    return {FoldCase(std::string(code)), FoldCase(std::string(key))};
}

Values FreshRead(const IniStore& store) {
    Values values;
    StringList sections;
    store.ReadSections(sections);
    for (const StringItem& section : sections) {
        StringList keys;
        store.ReadSection(section.text, keys);
        for (const StringItem& key : keys)
            values.try_emplace(Place(section.text, key.text), store.ReadString(section.text, key.text, ""));
    }
    return values;
}

// A view of all values that reads only what the notices name.
class FollowingView : public DocumentObserver {
public:
    explicit FollowingView(const Document& document) : m_document(document) {}

    Values values;
    size_t valueNotices = 0;

    void ValueChanged(const std::string& code, const std::string& key) override {
        ++valueNotices;
        const IniStore& store = m_document.Store();
        const auto place = Place(code, key);
        const std::string missing("\x01");
        const std::string value = store.ReadString(code, key, missing);
        if (value == missing)
            values.erase(place);
        else
            values[place] = value;
    }
    void EntriesChanged() override { values = FreshRead(m_document.Store()); }

private:
    const Document& m_document;
};

class EditNoticesTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override {
        Load(RulesDocument, RulesDefinition);
        workspace.UseDefaultCopy(
            std::make_unique<IniStore>(folder.File("document.ini"), &globals.CaseSensitive));
    }
};

TEST_F(EditNoticesTest, AViewFollowingTheNoticesShowsWhatTheDocumentHolds) {
    Document& document = workspace.Doc();
    FollowingView view(document);
    view.values = FreshRead(document.Store());
    document.AddObserver(view);

    const std::vector<std::string> codes{"E1", "E2", "E3", "E4", "GUN", "ROCKET", "e1"};
    const std::vector<std::string> keys{"Name", "Armor", "Primary", "Image", "Damage", "armor"};
    const std::vector<std::string> items{"GUN", "ROCKET", "wood", "steel", "E1", "X"};
    std::mt19937 random(24);
    const auto pick = [&random](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
    };
    ScriptedEdits script(workspace);
    size_t edits = 0;
    for (int step = 0; step < 500; ++step) {
        const std::string code = pick(codes);
        const std::string key = pick(keys);
        const std::string category = code == "GUN" || code == "ROCKET" ? "Weapons" : "Infantry";
        const std::string newCode = pick(codes) + std::to_string(step % 3);
        std::string line;
        const size_t before = document.History().Index();
        try {
            switch (std::uniform_int_distribution<int>(0, 10)(random)) {
                case 0: line = "set\t" + code + "\t" + key + "\t" + pick(items); break;
                case 1: line = "duplicate\t" + category + "\t" + code + "\t" + newCode; break;
                case 2: line = "rename\t" + category + "\t" + code + "\t" + newCode; break;
                case 3: line = "rename-all\t" + category + "\t" + code + "\t" + newCode; break;
                case 4: line = "replace\t" + key + "\t" + pick(items) + "\t" + pick(items); break;
                case 5: line = "delete\t" + category + "\t" + code; break;
                case 6: line = "revert\t" + code + (step % 2 ? "\t" + key : std::string()); break;
                case 7: {  // the find window's set in the selected entries
                    const std::string other = pick(codes);
                    const std::string value = pick(items);
                    line = "(set in " + code + ", " + other + ") " + key + "=" + value;
                    CommitRewrites(document, "Set " + key, {}, SetValueRewrites(workspace, {code, other}, key, value));
                    break;
                }
                case 8: line = "undo"; break;
                case 9:
                case 10: line = "redo"; break;
            }
            if (line.front() != '(') script.Run(line);
        } catch (const IniError&) {
            // A command the document refuses changes nothing and tells nothing.
        }
        if (document.History().Index() != before) ++edits;
        ASSERT_EQ(view.values, FreshRead(document.Store())) << "step " << step << ": " << line;
    }
    // The run did edit, and values were told one by one rather than all afresh each time. (A script
    // line that changes nothing is a step of the script but none of the document's history.)
    EXPECT_GT(edits, 60U);
    EXPECT_GT(view.valueNotices, 30U);
    document.RemoveObserver(view);
}

// The notices of a value edit name each (entry, key) it changed, also on undo and redo.
TEST_F(EditNoticesTest, AnEditOfManyValuesNamesEachOfThem) {
    struct Recorder : DocumentObserver {
        std::vector<std::pair<std::string, std::string>> told;
        int entriesChanged = 0;
        void ValueChanged(const std::string& code, const std::string& key) override { told.emplace_back(code, key); }
        void EntriesChanged() override { ++entriesChanged; }
    } recorder;
    Document& document = workspace.Doc();
    document.AddObserver(recorder);
    const std::vector<LineRewrite> rewrites = SetValueRewrites(workspace, {"E1", "E2", "E3"}, "Armor", "iron");
    ASSERT_TRUE(CommitRewrites(document, "Set Armor", {}, rewrites));
    document.Undo();
    document.Redo();
    const std::vector<std::pair<std::string, std::string>> once{{"E1", "Armor"}, {"E2", "ARMOR"}, {"E3", "Armor"}};
    std::vector<std::pair<std::string, std::string>> thrice;
    for (int i = 0; i < 3; ++i) thrice.insert(thrice.end(), once.begin(), once.end());
    EXPECT_EQ(recorder.told, thrice);
    EXPECT_EQ(recorder.entriesChanged, 0);
    document.RemoveObserver(recorder);
}

// A line without a key moves the lines after it: its insert, removal or replacement names the
// entry, with an empty key, also on undo and redo.
TEST_F(EditNoticesTest, AnEditOfALineWithoutAKeyNamesItsEntry) {
    struct Recorder : DocumentObserver {
        std::vector<std::pair<std::string, std::string>> told;
        void ValueChanged(const std::string& code, const std::string& key) override {
            told.emplace_back(code, key);
        }
        void EntriesChanged() override { told.emplace_back("entries", ""); }
    } recorder;
    Document& document = workspace.Doc();
    document.AddObserver(recorder);
    auto edit = document.BeginEdit("Insert", {{}, "E3", {}}, false);
    edit->InsertLine(StoreOf::Document, 3, 0, "plain words");
    document.Commit(std::move(edit));
    document.Undo();
    document.Redo();
    edit = document.BeginEdit("Replace", {{}, "E3", {}}, false);
    edit->ReplaceLine(StoreOf::Document, 3, 0, "Cost=5");
    document.Commit(std::move(edit));
    edit = document.BeginEdit("Remove", {{}, "E3", {}}, false);
    edit->ReplaceLine(StoreOf::Document, 3, 0, "plain again");
    edit->RemoveLine(StoreOf::Document, 3, 0);
    document.Commit(std::move(edit));
    using Told = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(
        recorder.told,
        (Told{{"E3", ""}, {"E3", ""}, {"E3", ""}, {"E3", ""}, {"E3", "Cost"}, {"E3", ""}, {"E3", "Cost"}}));
    document.RemoveObserver(recorder);
}

// An undo names the entry as it stands after the undo: the old code of a change of code, the
// source of a duplicate. A redo names the entry the edit made.
TEST_F(EditNoticesTest, TheFocusOfAStepIsTheEntryAsItThenStands) {
    struct Recorder : DocumentObserver {
        std::vector<std::string> codes;
        void Stepped(const EditFocus& focus) override { codes.push_back(focus.Code); }
    } recorder;
    Document& document = workspace.Doc();
    document.AddObserver(recorder);
    ScriptedEdits script(workspace);
    script.Run("rename\tInfantry\tE1\tE9");
    script.Run("duplicate\tInfantry\tE2\tE8");
    for (const char* line : {"undo", "undo", "redo"}) script.Run(line);
    EXPECT_EQ(recorder.codes, (std::vector<std::string>{"E2", "E1", "E9"}));
    document.RemoveObserver(recorder);
}

}  // namespace
}  // namespace velmora::testing
