// SPDX-License-Identifier: GPL-3.0-or-later
// Reverts of entries against the default copy keep the categories' lists in step: an entry that
// goes takes its list lines along, one that comes back is listed again, and a list line that
// comes back brings the section it names.

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "EntriesFixture.h"
#include "RulesGenerator.h"
#include "core/compare/Comparison.h"
#include "core/compare/EntryRevert.h"
#include "core/document/Document.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/store/IniError.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "support/LoadedStores.h"
#include "support/TempFolder.h"

namespace velmora::testing {
namespace {

using bench::GeneratedCategory;

// Infantry keeps its list in the document (kind 0), Weapons in the definition file (kind 1).
constexpr const char* RevertedDefinition =
    "[AllSections]\n"
    "Infantry=0,Body\n"
    "Weapons=1,Gun\n"
    "[Body]\n"
    "Name=\n"
    "Cost=\n"
    "[Gun]\n"
    "Damage=\n"
    "Range=\n"
    "[Weapons]\n"
    "1=W1\n"
    "2=W2\n";

constexpr const char* RevertedDocument =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "\n"
    "[E1]\n"
    "Name=Rifleman\n"
    "Cost=100\n"
    "\n"
    "[E2]\n"
    "Name=Grenadier\n"
    "Cost=150\n"
    "\n"
    "[W1]\n"
    "Damage=10\n"
    "Range=5\n"
    "\n"
    "[W2]\n"
    "Damage=20\n"
    "Range=6\n";

// The codes the lists of every category name, in the document's lists and the definition file's.
std::multiset<std::string> ListedCodes(const Workspace& workspace) {
    std::multiset<std::string> codes;
    for (size_t row = 0; row < workspace.CategoryRows().size(); ++row) {
        StringList values;
        workspace.GetListValues(workspace.CategoryRows()[row], values);
        for (const StringItem& value : values) codes.insert(value.text);
    }
    return codes;
}

// Every list line names a section of the document.
void ExpectNoListLineNamesNothing(const Workspace& workspace, const std::string& script) {
    for (const std::string& code : ListedCodes(workspace))
        EXPECT_GE(workspace.Doc().Store().IndexOfSection(code), 0) << code << " is listed without a section after\n"
                                                                  << script;
}

struct Pairing {
    const char* script;
    // The document is the default copy again, and the definition file as it was.
    bool restoresAll;
};

void PrintTo(const Pairing& pairing, std::ostream* out) { *out << pairing.script; }

class EntryRevertTest : public EntriesFixture, public ::testing::TestWithParam<Pairing> {
protected:
    void SetUp() override {
        Load(RevertedDocument, RevertedDefinition);
        workspace.UseDefaultCopy(workspace.Doc().Store().CloneAs(folder.File("default.ini")));
    }

    void RunScript(const std::string& script) {
        ScriptedEdits edits(workspace);
        for (size_t start = 0; start < script.size();) {
            const size_t end = script.find('\n', start);
            edits.Run(script.substr(start, end - start));
            start = end + 1;
        }
    }
};

TEST_P(EntryRevertTest, TakesTheListLinesAlongOrBringsThemBack) {
    const std::string document = workspace.Doc().Store().RenderText();
    const std::string definition = workspace.Doc().Definition().RenderText();
    const std::string script = GetParam().script;
    RunScript(script);
    ExpectNoListLineNamesNothing(workspace, script);
    if (GetParam().restoresAll) {
        EXPECT_EQ(workspace.Doc().Store().RenderText(), document) << script;
        // A weapon listed again goes to the end of its list; the lists name the same codes.
        StringList weapons;
        workspace.Doc().Definition().ReadSectionValuesOnly("Weapons", weapons);
        const std::vector<std::string> codes = weapons.Texts();
        EXPECT_EQ(std::multiset<std::string>(codes.begin(), codes.end()),
                  (std::multiset<std::string>{"W1", "W2"}))
            << script;
    }
    // Each revert is one step: undoing all of them gives the edits back, then the original.
    const size_t steps = workspace.Doc().History().Index();
    for (size_t i = 0; i < steps; ++i) workspace.Doc().Undo();
    EXPECT_EQ(workspace.Doc().Store().RenderText(), document);
    EXPECT_EQ(workspace.Doc().Definition().RenderText(), definition);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPairing, EntryRevertTest,
    ::testing::Values(
        // Per entry: the reverted entry and its list lines go or come back together.
        Pairing{"duplicate\tInfantry\tE1\tD1\nrevert\tD1\n", true},
        Pairing{"duplicate\tWeapons\tW1\tD1\nrevert\tD1\n", true},
        Pairing{"rename\tInfantry\tE1\tQQ1\nrevert\tQQ1\nrevert\tE1\n", true},
        // The old code comes back while the new one still holds its number: it gets the next one.
        Pairing{"rename\tInfantry\tE1\tQQ1\nrevert\tE1\nrevert\tQQ1\n", false},
        Pairing{"rename\tWeapons\tW1\tQQ1\nrevert\tQQ1\nrevert\tW1\n", true},
        Pairing{"delete\tInfantry\tE2\nrevert\tE2\n", true},
        Pairing{"delete\tWeapons\tW2\nrevert\tW2\n", true},
        // Per key: a list line put back brings its section; one taken away leaves the section
        // to the unknown ones, with no line naming nothing.
        Pairing{"delete\tInfantry\tE2\nrevert\tInfantry\t2\n", true},
        Pairing{"rename\tInfantry\tE1\tQQ1\nrevert\tInfantry\t1\nrevert\tQQ1\n", true},
        Pairing{"duplicate\tInfantry\tE1\tD1\nrevert\tInfantry\t3\n", false},
        Pairing{"duplicate\tInfantry\tE1\tD1\nset\tD1\tCost\t5\nrevert\tD1\n", true},
        Pairing{"set\tE1\tCost\t5\nrevert\tE1\tCost\n", true}));

// A deleted entry shows twice among the differences, as its section and as its list line; both
// reverted at once bring it back listed once.
TEST(EntryRevertRows, BothRowsOfADeletedEntryRevertedAtOnceListItOnce) {
    struct Loaded : EntriesFixture {
        Loaded() {
            Load(RevertedDocument, RevertedDefinition);
            workspace.UseDefaultCopy(workspace.Doc().Store().CloneAs(folder.File("default.ini")));
        }
        Workspace& Work() { return workspace; }
    } loaded;
    Workspace& workspace = loaded.Work();
    const std::string document = workspace.Doc().Store().RenderText();
    ScriptedEdits(workspace).Run("delete\tInfantry\tE2");
    const std::vector<Difference> both =
        CompareStores(workspace.Doc().Store(), *workspace.DefaultIni(), true);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_TRUE(RevertEntries(workspace, both, *workspace.DefaultIni(), "Infantry"));
    EXPECT_EQ(ListedCodes(workspace).count("E2"), 1u);
    EXPECT_EQ(workspace.Doc().Store().RenderText(), document);
}

// Random scripts of every command mixed with reverts of whole entries and of their keys, against
// a default copy that differs from the document: no list line comes to name nothing, and every
// entry a category had or got is listed while its section is there.
TEST(EntryRevertProperty, RandomScriptsWithRevertsKeepEveryEntryListedAndEveryListLineNamed) {
    bench::RulesShape shape;
    shape.sectionCount = 300;
    shape.categoryCount = 8;
    const bench::RulesGenerator generator(shape);
    TempFolder folder;
    folder.Write("document.ini", generator.RulesText());
    folder.Write("definition.ini", generator.DefinitionText());
    folder.Write("default.ini", generator.DefaultText());
    Globals globals;
    ScriptedBoxes boxes;
    Workspace workspace(globals, boxes);
    LoadStores(workspace, folder.File("document.ini"), folder.File("definition.ini"));
    workspace.UseDefaultCopy(std::make_unique<IniStore>(folder.File("default.ini"), &globals.CaseSensitive));
    workspace.Doc().Restart(false);

    auto hasSection = [&](const std::string& code) { return workspace.Doc().Store().IndexOfSection(code) >= 0; };
    // The generated definition file names a few sections the document never had; those may stay.
    // A section whose name repeats outlives a delete or change of code of the first: those are
    // left out of the entries checked.
    std::set<std::string> namingNothing;
    std::set<std::string> entries;
    std::vector<std::string> codes;  // every code seen, for reverts of what is gone
    std::multiset<std::string> sectionNames;
    for (size_t i = 0; i < workspace.Doc().Store().SectionCount(); ++i)
        sectionNames.insert(FoldCase(workspace.Doc().Store().SectionAt(i).Name()));
    // So is a code the lists name twice from the start.
    std::multiset<std::string> listedAtFirst;
    for (const std::string& code : ListedCodes(workspace)) listedAtFirst.insert(FoldCase(code));
    for (const std::string& code : ListedCodes(workspace)) {
        if (!hasSection(code))
            namingNothing.insert(FoldCase(code));
        else if (sectionNames.count(FoldCase(code)) == 1 && listedAtFirst.count(FoldCase(code)) == 1)
            entries.insert(FoldCase(code));
        codes.push_back(code);
    }
    std::vector<std::pair<std::string, std::string>> keys;
    for (const auto& key : generator.ExistingKeys())
        if (IndexOfNoCase(workspace.CategoryRows(), key.first) < 0) keys.push_back(key);

    std::mt19937 random(23);
    auto below = [&random](size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(random); };
    ScriptedEdits edits(workspace);
    size_t reverts = 0;
    for (int made = 0, newCodes = 0; made < 600; ++made) {
        const GeneratedCategory& category = generator.Categories()[below(generator.Categories().size())];
        const std::string code = codes[below(codes.size())];
        const std::string newCode = "N" + std::to_string(++newCodes);
        const auto& [section, key] = keys[below(keys.size())];
        std::string line;
        switch (below(11)) {
            case 0: line = "set\t" + section + "\t" + key + "\tv " + std::to_string(below(100)); break;
            case 1: line = "duplicate\t" + category.name + "\t" + code + "\t" + newCode; break;
            case 2: line = "rename\t" + category.name + "\t" + code + "\t" + newCode; break;
            case 3: line = "rename-all\t" + category.name + "\t" + code + "\t" + newCode; break;
            case 4: line = "replace\t" + key + "\t" + code + "\t" + newCode; break;
            case 5: line = "delete\t" + category.name + "\t" + code; break;
            case 6: line = "undo"; break;
            case 7: line = "redo"; break;
            case 8: line = "revert\t" + section + "\t" + key; break;
            default: line = "revert\t" + code; break;
        }
        try {
            edits.Run(line);
        } catch (const IniError&) {
            continue;  // refused: a missing entry, nothing to undo, no change to revert
        }
        reverts += line.rfind("revert", 0) == 0 ? 1 : 0;
        if (line.rfind("duplicate", 0) == 0 || line.rfind("rename", 0) == 0) {
            entries.insert(FoldCase(newCode));
            codes.push_back(newCode);
        }
    }
    EXPECT_GT(reverts, 50u);

    // Counted line by line: an entry listed twice is as wrong as one not listed.
    std::multiset<std::string> listedKeys;
    for (const std::string& code : ListedCodes(workspace)) {
        listedKeys.insert(FoldCase(code));
        if (!hasSection(code)) {
            EXPECT_EQ(namingNothing.count(FoldCase(code)), 1u) << code << " is listed without a section";
        }
    }
    for (const std::string& code : codes) {
        if (entries.count(FoldCase(code)) != 0 && hasSection(code)) {
            EXPECT_EQ(listedKeys.count(FoldCase(code)), 1u) << code << " has a section and is listed that many times";
        }
    }
}

}  // namespace
}  // namespace velmora::testing
