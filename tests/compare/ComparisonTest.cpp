// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "compare/CompareSupport.h"
#include "core/compare/DifferenceCategories.h"
#include "core/settings/Globals.h"
#include "core/catalogue/ValueRules.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "support/ScriptedBoxes.h"

namespace velmora::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(Comparison, ListsEveryKindInTheDocumentsOrderThenWhatItLacks) {
    const auto reference = StoreOf({"; top", "[General]", "Speed=5 ; fast", "Old=1", "Armor=light", "[GONE]", "x=1",
                                    "[GRUNT]", "Cost=100"});
    const auto document = StoreOf({"[General]", "Armor=heavy", "speed = 5 ; another note", "New=2", "[ADDED]", "y=2",
                                   "[GRUNT]", "Cost=100"});
    EXPECT_EQ(Listing(CompareStores(*document, *reference, true)),
              (Lines{"[General] Armor: light -> heavy", "[General] +New=2", "[General] -Old=1", "+[ADDED]", "-[GONE]"}));
}

// A later section or key of a name already seen is what no lookup reaches: it is not compared.
TEST(Comparison, ComparesTheFirstSectionAndKeyOfEachName) {
    const auto reference = StoreOf({"[A]", "k=1", "k=2", "[A]", "only=1"});
    const auto document = StoreOf({"[A]", "K=1", "k=9", "[A]", "k=7", "more=1"});
    EXPECT_EQ(Listing(CompareStores(*document, *reference, true)), Lines{});
}

TEST(Comparison, MatchesSectionsUnderTheCaseFlagAndKeysWithoutRegardToCase) {
    const auto reference = StoreOf({"[GRUNT]", "Cost=100"});
    const auto document = StoreOf({"[grunt]", "COST=100"});
    EXPECT_EQ(Listing(CompareStores(*document, *reference, true)), (Lines{"+[grunt]", "-[GRUNT]"}));
    EXPECT_EQ(Listing(CompareStores(*document, *reference, false)), Lines{});
}

// The Changes window, a revert and a patch read differences long after the comparison, when the
// stores compared were edited or are gone: a difference keeps its own texts, also when copied. The
// list comes at its exact length, with no room held for rows that never come.
TEST(Comparison, ADifferenceKeepsItsTextsAfterItsStoresAreGone) {
    std::vector<Difference> differences;
    {
        const auto reference = StoreOf({"[GRUNT]", "Cost=100", "Old=1 ; kept", "[GONE]"});
        const auto document = StoreOf({"[GRUNT]", "Cost = 120 ; dearer", "New="});
        differences = CompareStores(*document, *reference, true);
        document->WriteString("GRUNT", "Cost", "5");
    }
    EXPECT_EQ(differences.capacity(), differences.size());
    EXPECT_EQ(Listing(differences),
              (Lines{"[GRUNT] Cost: 100 -> 120", "[GRUNT] +New=", "[GRUNT] -Old=1", "-[GONE]"}));
    const Difference& changed = differences[0];
    EXPECT_EQ(changed.Key(), "Cost");
    EXPECT_EQ(changed.ReferenceValue(), "100");
    EXPECT_EQ(changed.DocumentValue(), "120");
    EXPECT_EQ((std::vector<size_t>{changed.DocumentSection(), changed.DocumentLine(),
                                   changed.ReferenceSection(), changed.ReferenceLine()}),
              (std::vector<size_t>{0, 0, 0, 0}));
    const Difference& gone = differences[3];
    EXPECT_EQ(gone.Kind(), DifferenceKind::SectionOnlyInReference);
    EXPECT_EQ(gone.DocumentSection(), Difference::None);
    EXPECT_EQ(gone.ReferenceSection(), 1u);
    EXPECT_EQ(gone.Key(), "");

    Difference copy = differences[2];
    differences.clear();
    differences.shrink_to_fit();
    EXPECT_EQ(DifferenceText(copy), "[GRUNT] -Old=1");
    EXPECT_EQ(copy.ReferenceLine(), 1u);
    EXPECT_EQ(copy, Difference(DifferenceKind::KeyOnlyInReference, "GRUNT", "Old", "1", "",
                               Difference::Place{0}, Difference::Place{0, 1}));
    EXPECT_NE(copy, Difference(DifferenceKind::KeyOnlyInReference, "GRUNT", "Old", "2", "",
                               Difference::Place{0}, Difference::Place{0, 1}));
    EXPECT_EQ(Difference(), Difference(DifferenceKind::ChangedValue, "", "", "", "", {}, {}));
    for (const size_t length : {254, 255, 70000}) {
        const std::string list(length, 'x');
        const Difference longValue(DifferenceKind::ChangedValue, "GRUNT", "List", "y", list,
                                   Difference::Place{0, 2}, Difference::Place{0, 3});
        const Difference longCopy = longValue;
        EXPECT_EQ(longCopy.DocumentValue(), list);
        EXPECT_EQ(DifferenceText(longCopy), "[GRUNT] List: y -> " + list);
        EXPECT_EQ(longCopy, longValue);
    }
    // A place beyond what a store can hold is refused rather than cut short to another line.
    EXPECT_THROW(Difference(DifferenceKind::ChangedValue, "S", "K", "1", "2",
                            Difference::Place{0, size_t{1} << 32}, Difference::Place{0, 0}),
                 IniError);
}

// The differences and the red marks come from one rule, so they agree value for value.
TEST(Comparison, ChangedValuesAreExactlyTheRedValues) {
    struct Case {
        const char* document;
        const char* reference;  // null: the reference lacks the key
        bool caseSensitive;
        bool red;
    } cases[] = {
        {"5", "5 ; the note differs", true, false},
        {"5 ;x", "5", true, false},
        {" 5 ", "5", true, false},
        {"light", "Light", true, true},
        {"light", "Light", false, false},
        {"6", "5", false, true},
        {"", nullptr, true, false},
        {"1", nullptr, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.document) + " / " + (c.reference ? c.reference : "(none)"));
        IniStore document(""), reference("");
        document.WriteString("E", "K", c.document);
        reference.WriteString("E", "Other", "0");
        if (c.reference) reference.WriteString("E", "K", c.reference);
        const std::string value = document.ReadString("E", "K", "");
        EXPECT_EQ(ValueIsRed(reference, "E", "K", value, c.caseSensitive), c.red);
        bool changed = false;
        for (const Difference& difference : CompareStores(document, reference, c.caseSensitive))
            changed |= difference.Kind() == DifferenceKind::ChangedValue;
        // A key the reference lacks is listed as new whatever its value; only the changed ones count here.
        if (c.reference) {
            EXPECT_EQ(changed, c.red);
        }
    }
    IniStore reference("");
    reference.WriteString("GRUNT", "Cost", "1");
    EXPECT_FALSE(EntryIsRed(reference, "GRUNT"));
    EXPECT_TRUE(EntryIsRed(reference, "TORCH"));
}

TEST(Comparison, PatchCarriesChangedAndNewLinesAndNewSectionsInTheDocumentsText) {
    const auto reference =
        StoreOf({"[Gameplay]", "Speed=5", "Fog=yes", "[Sides]", "1=Ember", "2=Ash", "[GONE]", "x=1"});
    const auto document = StoreOf({"; rules of play", "[Gameplay]", "; about speed", "Speed=6 ; faster", "Fog=yes",
                                   "Extra=1", "[Sides]", "1=Ember", "[NEW] ; a note", "; first", "a=1", "Fog=no"});
    const std::vector<Difference> differences = CompareStores(*document, *reference, true);
    // [Sides] only lacks a key and [GONE] is gone: a patch cannot carry that, and lists them in a
    // comment ahead of the rest.
    EXPECT_EQ(PatchRemovals(differences), (std::vector<std::string>{"[Sides] 2=Ash", "[GONE]"}));
    EXPECT_EQ(PatchText(*document, differences),
              "; removed: [Sides] 2=Ash\r\n; removed: [GONE]\r\n\r\n"
              "; rules of play\r\n[Gameplay]\r\n; about speed\r\nSpeed=6 ; faster\r\nExtra=1\r\n"
              "[NEW] ; a note\r\n; first\r\na=1\r\nFog=no\r\n");
    EXPECT_EQ(PatchText(*document, {}), "");
}

TEST(Comparison, GroupsDifferencesByTheCategoryOfTheirSection) {
    Globals globals;
    ScriptedBoxes boxes;
    Workspace workspace(globals, boxes);
    workspace.UseCategoryList({"InfantryTypes=0", "Weapons=1", Workspace::UnknownLine});
    workspace.Doc().Load(StoreOf::Document, StoreOf({"[InfantryTypes]", "1=GRUNT", "[GRUNT]", "Cost=1", "[RIFLE]",
                                                     "Damage=2", "[Gameplay]", "Fog=yes", "[Stray]", "a=1"}));
    workspace.Doc().Load(StoreOf::Definition,
                         StoreOf({"[Weapons]", "1=RIFLE", "2=OLDGUN", "[Unknown!]", "1=Gameplay"}));
    const auto reference = StoreOf({"[InfantryTypes]", "1=GRUNT", "2=TORCH", "[TORCH]", "[OLDGUN]"});
    const DifferenceCategories categories(workspace, *reference);

    EXPECT_EQ(categories.CategoryOf("GRUNT"), "InfantryTypes");
    EXPECT_EQ(categories.CategoryOf("InfantryTypes"), "InfantryTypes");  // the list section itself
    EXPECT_EQ(categories.CategoryOf("RIFLE"), "Weapons");
    EXPECT_EQ(categories.CategoryOf("OLDGUN"), "Weapons");         // gone, still in the definition file's list
    EXPECT_EQ(categories.CategoryOf("TORCH"), "InfantryTypes");    // gone, still in the reference's own list
    EXPECT_EQ(categories.CategoryOf("Gameplay"), "Unknown!");
    EXPECT_EQ(categories.CategoryOf("Stray"), "Unknown!");
    EXPECT_EQ(categories.CategoryOf("grunt"), "Unknown!");  // the letter-case flag is on

    std::vector<Difference> differences;
    for (const char* section : {"Stray", "RIFLE", "GRUNT", "OLDGUN"})
        differences.emplace_back(DifferenceKind::SectionOnlyInDocument, section, "", "", "",
                                 Difference::Place{0}, Difference::Place{});
    const std::vector<DifferenceCategories::Group> groups = categories.GroupsOf(differences);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].Category, "InfantryTypes");
    EXPECT_EQ(groups[0].Rows, std::vector<size_t>{2});
    EXPECT_EQ(groups[1].Category, "Weapons");
    EXPECT_EQ(groups[1].Rows, (std::vector<size_t>{1, 3}));
    EXPECT_EQ(groups[2].Category, "Unknown!");
    EXPECT_EQ(groups[2].Rows, std::vector<size_t>{0});
}

}  // namespace
}  // namespace velmora::testing
