// SPDX-License-Identifier: GPL-3.0-or-later
// References between entries: the items of a value with their places, the usages of a code, the
// rewrites that keep references whole, the dangling-item rule and the find index.

#include <tuple>

#include "WorkspaceFixture.h"
#include "core/references/EntryCategories.h"
#include "core/references/EntryTargets.h"
#include "core/references/FindIndex.h"
#include "core/references/References.h"
#include "core/store/Routines.h"
#include "core/entries/ValueEdits.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

// ---------------------------------------------------------------------------------------------
// Items and their rewrite

TEST(ValueItemsTest, ItemsAreViewsThatKnowWhereTheyStand) {
    const std::string_view value = "A, ROCKETS ,B ;note, C";
    std::vector<std::pair<std::string, size_t>> items;
    ForEachValueItem(value, [&](std::string_view item) { items.emplace_back(item, item.data() - value.data()); });
    EXPECT_EQ(items, (std::vector<std::pair<std::string, size_t>>{{"A", 0}, {"ROCKETS", 3}, {"B", 12}}));
    EXPECT_EQ(ValueItems("A, B ,,C ;note"), (Texts{"A", "B", "C"}));
    EXPECT_EQ(ValueItems(" , ;x,y"), Texts{});
}

TEST(ValueItemsTest, ReplaceKeepsBlanksOtherItemsAndTheComment) {
    EXPECT_EQ(ReplaceItems("A, ROCKETS ,B ;note", "ROCKETS", "RKT", true), "A, RKT ,B ;note");
    EXPECT_EQ(ReplaceItems("ROCKETS,X,ROCKETS", "ROCKETS", "RKT", true), "RKT,X,RKT");
    // Only whole items count, and never text in the comment.
    EXPECT_EQ(ReplaceItems("ROCKETSX, XROCKETS ;ROCKETS", "ROCKETS", "RKT", true), std::nullopt);
    // Letter case follows the flag.
    EXPECT_EQ(ReplaceItems("rockets", "ROCKETS", "RKT", true), std::nullopt);
    EXPECT_EQ(ReplaceItems("rockets", "ROCKETS", "RKT", false), "RKT");
}

// ---------------------------------------------------------------------------------------------
// Usages and rewrites on a plain store

class UsagesTest : public ::testing::Test {
protected:
    UsagesTest() : document("") {
        document.SetStrings(StringList{
            "[Weapons]", "1=ROCKETS", "2=RIFLE",
            "[ROCKETS]", "Damage=35",
            "[TANKH]", "Primary=HEAVYGUN", "Secondary=A, ROCKETS ,B ;note", "Note=ROCKETSX ;ROCKETS",
            "ROCKETS", "=ROCKETS", "PRIMARY=ROCKETS",
            "[BIKE]", "Primary=rockets"});
    }

    std::vector<std::tuple<std::string, size_t, std::string>> UsagesOf(std::string_view code, bool caseSensitive) {
        std::vector<std::tuple<std::string, size_t, std::string>> found;
        for (const Usage& usage : FindUsages(document, code, caseSensitive)) {
            EXPECT_EQ(document.SectionAt(usage.Place.Section).Name(), usage.SectionName);
            EXPECT_EQ(document.SectionAt(usage.Place.Section).Strings(usage.Place.Line), usage.Text);
            found.emplace_back(usage.SectionName, usage.Place.Line, usage.Text);
        }
        return found;
    }

    IniStore document;
};

TEST_F(UsagesTest, KeyLinesNamingTheCodeInDocumentOrderListsIncluded) {
    // Not the section's own header, a longer item, a comment, a plain line or a line without key.
    using Lines = std::vector<std::tuple<std::string, size_t, std::string>>;
    EXPECT_EQ(UsagesOf("ROCKETS", true), (Lines{{"Weapons", 0, "1=ROCKETS"},
                                             {"TANKH", 1, "Secondary=A, ROCKETS ,B ;note"},
                                             {"TANKH", 5, "PRIMARY=ROCKETS"}}));
    EXPECT_EQ(UsagesOf("ROCKETS", false).size(), 4u);
    EXPECT_EQ(std::get<2>(UsagesOf("ROCKETS", false).back()), "Primary=rockets");
    EXPECT_TRUE(UsagesOf("", false).empty());

    const std::vector<Usage> usages = FindUsages(document, "ROCKETS", true);
    EXPECT_EQ(usages[1].Key(), "Secondary");
    EXPECT_EQ(usages[1].Value(), "A, ROCKETS ,B ;note");
}

TEST_F(UsagesTest, RenameRewritesExactlyTheMatchingItems) {
    std::vector<Usage> usages = FindUsages(document, "ROCKETS", false);
    usages.erase(usages.begin());  // the list line: the change of code writes it itself
    const std::vector<LineRewrite> rewrites = RenameRewrites(usages, "ROCKETS", "RKT", false);
    ASSERT_EQ(rewrites.size(), 3u);
    EXPECT_EQ(rewrites[0].SectionName, "TANKH");
    EXPECT_EQ(rewrites[0].Place, (LinePlace{2, 1}));
    EXPECT_EQ(rewrites[0].OldText, "Secondary=A, ROCKETS ,B ;note");
    EXPECT_EQ(rewrites[0].NewText, "Secondary=A, RKT ,B ;note");
    EXPECT_EQ(rewrites[1].NewText, "PRIMARY=RKT");
    EXPECT_EQ(rewrites[2].NewText, "Primary=RKT");
    // Nothing here writes the store.
    EXPECT_EQ(document.ReadString("TANKH", "Secondary", ""), "A, ROCKETS ,B");
}

TEST_F(UsagesTest, ReplaceRewritesTheKeyInEverySection) {
    const std::vector<LineRewrite> rewrites = ReplaceRewrites(document, "primary", "ROCKETS", "RKT", true);
    ASSERT_EQ(rewrites.size(), 1u);  // not Secondary; "rockets" only ignoring case
    EXPECT_EQ(rewrites[0].Place, (LinePlace{2, 5}));
    EXPECT_EQ(rewrites[0].NewText, "PRIMARY=RKT");
    EXPECT_EQ(ReplaceRewrites(document, "Primary", "ROCKETS", "RKT", false).size(), 2u);
}

TEST_F(UsagesTest, ANewItemThatWouldNotReadBackAsItselfIsRefused) {
    const std::vector<Usage> usages = FindUsages(document, "ROCKETS", true);
    for (const char* bad : {"", " RKT", "A,B", "RKT;x", "R\nK"}) {
        EXPECT_THROW(RenameRewrites(usages, "ROCKETS", bad, true), IniError) << bad;
        EXPECT_THROW(ReplaceRewrites(document, "Primary", "ROCKETS", bad, true), IniError) << bad;
    }
    EXPECT_NO_THROW(RenameRewrites(usages, "ROCKETS", "R=K]T", true));
}

// ---------------------------------------------------------------------------------------------
// The dangling-item rule on a workspace

constexpr const char* ReferenceDefinition =
    "[AllSections]\n"
    "Infantry=0,InfGeneral\n"
    "Weapons=1,WeapPage\n"
    "Buildings=0,BldPage\n"
    "[InfGeneral]\n"
    "Name=the name\n"
    "Primary=Main weapon ~@Weapons@~\n"
    "Prerequisite=Needed first ~@buildings, PrereqGroups@~\n"
    "Armor=Armor class ~@ArmorTypes@~\n"
    "Broken=no end marker ~@Weapons\n"
    "[WeapPage]\nDamage=\n"
    "[BldPage]\nPower=\n"
    "[Weapons]\n1=M60\n2=LASER\n"
    "[PrereqGroups]\n1=ANYPOWER\n"
    "[ArmorTypes]\n1=flesh\n";

constexpr const char* ReferenceDocument =
    "[Infantry]\n1=GI\n2=E1\n3=GI\n"
    "[Buildings]\n1=POWR\n2=PLANNED\n"
    "[General]\nSpeed=1\n"
    "[M60]\nDamage=1\n"
    "[POWR]\nPower=100\n"
    "[GI]\nName=Rifleman\nPrimary=m60, LASER ,General ;BLASTER\n"
    "Prerequisite=POWR,PLANNED,anyPower,CASTLE\nArmor=junk\nBroken=NOPE\nPrimary=SECONDLINE\n"
    "[E1]\nPrimary=M60,BLASTER\n"
    "[LONER]\nPrimary=BLASTER\nSpeed=1\n";  // fits no category: one key of Infantry, one foreign

class DanglingTest : public WorkspaceFixture {
protected:
    void Open() {
        Write("Rules.001", ReferenceDefinition);
        Start();
        Write("doc.ini", ReferenceDocument);
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    }

    Texts Dangling() {
        Texts found;
        for (const DanglingItem& item : FindDanglingItems(workspace))
            found.push_back(item.Category + " " + item.SectionName + " " + item.Key + "=" + item.Value + " " +
                            item.Item);
        return found;
    }
};

TEST_F(DanglingTest, ItemsThatNameNothingTheKeyAllows) {
    Open();
    // m60: no section or entry of that letter case. LASER: listed, but no such section, so no entry.
    // General names a section; PLANNED is listed in Buildings; anyPower is a value of PrereqGroups.
    // Not: the comment, a key without a category source, the second Primary line, a non-entry.
    EXPECT_EQ(Dangling(), (Texts{"Infantry GI Primary=m60, LASER ,General m60",
                                 "Infantry GI Primary=m60, LASER ,General LASER",
                                 "Infantry GI Prerequisite=POWR,PLANNED,anyPower,CASTLE CASTLE",
                                 "Infantry E1 Primary=M60,BLASTER BLASTER"}));
    const std::vector<DanglingItem> items = FindDanglingItems(workspace);
    const IniStore& document = workspace.Doc().Store();
    EXPECT_EQ(document.SectionAt(items[0].Place.Section).Strings(items[0].Place.Line),
              "Primary=m60, LASER ,General ;BLASTER");

    const std::vector<ReferenceKey> keys = ReferenceKeysOf(workspace, 0);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1].Key, "Prerequisite");
    EXPECT_EQ(keys[1].CategoryRows, std::vector<size_t>{2});
    EXPECT_EQ(keys[1].OtherSources, Texts{"PrereqGroups"});
}

TEST_F(DanglingTest, WithoutLetterCaseAnEntryNamedInOtherLettersCounts) {
    Write("Velmedit.ini", "[GeneralSetup]\nCase_Sensitive=0\n[FilesToEdit]\nRules.ini=1\n");
    Open();
    ASSERT_FALSE(globals.CaseSensitive);
    EXPECT_EQ(Dangling().size(), 3u);
    EXPECT_EQ(Dangling().front(), "Infantry GI Primary=m60, LASER ,General LASER");
}

TEST_F(DanglingTest, EntriesListedTwiceAreReported) {
    Open();
    const std::vector<DoubleListing> doubles = FindDoubleListings(workspace);
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0].Category, "Infantry");
    EXPECT_EQ(doubles[0].Code, "GI");
    EXPECT_EQ(doubles[0].Times, 2u);
}

// ---------------------------------------------------------------------------------------------
// Find

TEST_F(DanglingTest, FindSearchesCodesKeysAndValuesWithoutLetterCase) {
    Open();
    const FindIndex index(workspace);
    auto rows = [&](std::string_view text, bool wholeWords) {
        Texts found;
        for (FindIndex::Row row : index.Find(text, wholeWords))
            found.push_back(std::string(index.Category(row)) + "|" + std::string(index.Code(row)) + "|" +
                            std::string(index.Name(row)) + "|" + std::string(index.Key(row)) + "|" +
                            std::string(index.Value(row)));
        return found;
    };

    // One row per line however often it matches; a code row for the section itself.
    EXPECT_EQ(rows("m60", false), (Texts{"Weapons|M60|||", "Infantry|GI|Rifleman|Primary|m60, LASER ,General",
                                         "Infantry|E1||Primary|M60,BLASTER"}));
    EXPECT_EQ(rows("prereq", false), (Texts{"Infantry|GI|Rifleman|Prerequisite|POWR,PLANNED,anyPower,CASTLE"}));
    EXPECT_EQ(rows("POWR", false).size(), 3u);  // a list line, a code, an item
    // Whole words: "60" is part of "M60"; "PLANNED" stands between commas.
    EXPECT_EQ(rows("60", true), Texts{});
    EXPECT_EQ(rows("planned", true).size(), 2u);
    // Never across the key and the value, never in a comment, nothing for nothing.
    EXPECT_EQ(rows("Primary\nm60", false), Texts{});
    EXPECT_EQ(rows("\n", true), Texts{});
    EXPECT_EQ(rows("BLASTER", false).size(), 2u);
    EXPECT_EQ(rows("", false), Texts{});

    const FindIndex::Row first = index.Find("rifleman", false).front();
    EXPECT_FALSE(index.IsCodeRow(first));
    EXPECT_EQ(workspace.Doc().Store().SectionAt(index.Place(first).Section).Strings(index.Place(first).Line),
              "Name=Rifleman");
}

// The category shown beside an entry's rows: the first row listing its name, in the document's
// rule of letter case (Latin-1 letters too), for many names as for a few.
TEST(EntryCategoriesTest, TheFirstRowListingANameKeepsItInTheRuleOfLetterCase) {
    EntryCategories folded(false);
    folded.Add("GI", 0);
    folded.Add("gi", 1);
    folded.Add("Caf\xE9", 2);
    EXPECT_EQ(folded.RowOf("Gi"), 0u);
    EXPECT_EQ(folded.RowOf("CAF\xC9"), 2u);
    EXPECT_EQ(folded.RowOf("G"), EntryCategories::None);
    EXPECT_EQ(folded.RowOf("GI "), EntryCategories::None);

    EntryCategories exact(true);
    exact.Add("GI", 0);
    exact.Add("gi", 1);
    exact.Add("GI", 2);
    EXPECT_EQ(exact.RowOf("GI"), 0u);
    EXPECT_EQ(exact.RowOf("gi"), 1u);
    EXPECT_EQ(exact.RowOf("Gi"), EntryCategories::None);

    EntryCategories many(false);
    for (uint32_t round = 0; round < 2; ++round)
        for (uint32_t n = 0; n < 5000; ++n) many.Add("Unit" + std::to_string(n), n % 7 + round * 10);
    many.ShrinkToFit();
    for (uint32_t n = 0; n < 5000; ++n) ASSERT_EQ(many.RowOf("UNIT" + std::to_string(n)), n % 7) << n;
    EXPECT_EQ(many.RowOf("Unit5000"), EntryCategories::None);
}

// An entry listed by two categories belongs to the first category row, as the main window shows it;
// a line that holds the searched text twice is one result, and one line to replace.
TEST_F(DanglingTest, AnEntryOfTwoCategoriesIsFoundInTheFirstAndALineMatchedTwiceIsOneResult) {
    Write("Rules.001", ReferenceDefinition);
    Start();
    Write("doc.ini", "[Buildings]\n1=POWR\n2=GI\n[Infantry]\n1=GI\n[POWR]\nPower=1\n"
                     "[GI]\nName=Rifleman\nPrimary=M60,m60\n");
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    const FindIndex index(workspace);

    std::vector<FindIndex::Row> codes = index.Find("GI", true);
    std::erase_if(codes, [&](FindIndex::Row row) { return !index.IsCodeRow(row); });
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(index.Category(codes[0]), "Infantry");
    const std::optional<EntryListing> listing = FindEntryListing(workspace, "GI");
    ASSERT_TRUE(listing);
    EXPECT_EQ(workspace.CategoryRows()[listing->CategoryRow], "Infantry");

    const std::vector<FindIndex::Row> rows = index.Find("m60", false);
    ASSERT_EQ(rows.size(), 1u);
    const std::vector<LineRewrite> rewrites =
        ReplaceTextRewrites(workspace, {index.Place(rows[0])}, "M60", "LASER", false);
    ASSERT_EQ(rewrites.size(), 1u);
    EXPECT_EQ(rewrites[0].NewText, "Primary=LASER,LASER");
}

// Where a result leads: the first category listing the entry, at the entry's first place there; the
// code of a value for Find Usages; the filter of the lists.
TEST_F(DanglingTest, ResultsLeadToTheFirstListingOfAnEntry) {
    Open();
    auto listing = [&](std::string_view code) {
        const std::optional<EntryListing> found = FindEntryListing(workspace, code);
        return found ? std::to_string(found->CategoryRow) + "/" + std::to_string(found->EntryIndex) : "none";
    };
    EXPECT_EQ(listing("E1"), "0/1");
    EXPECT_EQ(listing("GI"), "0/0");  // listed twice: the first place
    EXPECT_EQ(listing("PLANNED"), "2/1");  // listed, though no section holds it
    EXPECT_EQ(listing("General"), "none");
    EXPECT_EQ(listing("e1"), "none");  // letter case counts with these settings

    const IniStore& document = workspace.Doc().Store();
    EXPECT_EQ(FirstItemNamingSection(document, "m60, LASER ,General ;M60"), "General");
    EXPECT_EQ(FirstItemNamingSection(document, "NOPE ;POWR"), std::nullopt);

    EXPECT_TRUE(PassesFilter("Rifleman", "FLEM"));
    EXPECT_TRUE(PassesFilter("Rifleman", ""));
    EXPECT_FALSE(PassesFilter("Rifleman", "rifle man"));
}

}  // namespace
}  // namespace velmora::testing
