// SPDX-License-Identifier: GPL-3.0-or-later
// The passes that claim sections for categories: by a list section of the store, by a list kept
// in another store, and by fitting a category's key names.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniStore.h"

namespace velmora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<int> Claims(const IniStore& store) {
    std::vector<int> flags;
    for (size_t i = 0; i < store.SectionCount(); ++i) flags.push_back(store.SectionAt(i).Occupied);
    return flags;
}

class MatchingTest : public StoreTest {
protected:
    const StringList m_keys{"Name", "Cost", "Strength", "Armor", "Speed", "Sight"};
};

TEST_F(MatchingTest, SectionFitsWhileForeignKeysStayWithinToleranceAndMinority) {
    auto store = LoadLines({
        "[Fits10]", "Name=a", "Cost=1", "Strength=1", "Armor=x", "Speed=1", "Sight=1", "F1=1", "F2=1", "F3=1", "F4=1",
        "[Misses5]", "Name=a", "Cost=1", "Strength=1", "Armor=x", "Speed=1", "F1=1", "F2=1", "F3=1", "F4=1", "F5=1",
        "[Three]", "Name=a", "F1=1", "F2=1",
        "[Even]", "Name=a", "Cost=1", "F1=1", "F2=1",
        "[Empty]",
        "[Claimed]", "Name=a", "Cost=1",
        "[Mixed]", "NAME=a", "cost=1",
        "[Plain]", "Name=a", "orphan",
    });
    store->SectionAt(5).Occupied = 1;

    StringList found{"stale"};
    store->MarkOccupiedMatching(m_keys, found, 4);
    EXPECT_THAT(Texts(found), ElementsAre("Fits10", "Mixed"));
    EXPECT_THAT(Claims(*store), ElementsAre(1, 0, 0, 0, 0, 1, 1, 0));

    store->MarkOccupiedMatching(m_keys, found, 4);
    EXPECT_THAT(Texts(found), IsEmpty());
}

TEST_F(MatchingTest, FitRuleCountsPlainLinesAndHonoursTolerance) {
    auto store = LoadLines({"[Plain]", "Name=a", "orphan", "[OneForeign]", "Name=a", "Cost=1", "F1=1"});
    const IniSection& plain = store->SectionAt(0);
    const IniSection& oneForeign = store->SectionAt(1);
    EXPECT_FALSE(IniStore::SectionFitsKeys(plain, m_keys, 4));
    StringList withEmptyName = m_keys;
    withEmptyName.Add("");
    EXPECT_TRUE(IniStore::SectionFitsKeys(plain, withEmptyName, 4));
    EXPECT_TRUE(IniStore::SectionFitsKeys(oneForeign, m_keys, 1));
    EXPECT_FALSE(IniStore::SectionFitsKeys(oneForeign, m_keys, 0));
    EXPECT_FALSE(IniStore::SectionFitsKeys(oneForeign, StringList{}, 4));
}

class ListedTest : public StoreTest {};

TEST_F(ListedTest, EachLineClaimsTheFirstFreeSectionOfExactlyItsOwnName) {
    bool caseSensitive = false;
    auto document = LoadLines({"[E1]", "x=1", "[Taken]", "[E1]", "y=1", "[Lower]", "[HTNK]", "[B]", "[X]"},
                              &caseSensitive);
    document->SectionAt(1).Occupied = 1;
    // Two lines of one number each name their own section; lines without a key name none.
    const StringList lines{"1=E1 ; rifle", "2=GONE", "3=Taken", "4=lower", "5=E1", "6=E1", "7=HTNK",
                            "8=GONE", "8=B", "=X", "X"};

    document->MarkOccupiedListed(lines);

    EXPECT_THAT(Claims(*document), ElementsAre(1, 1, 1, 0, 1, 1, 0));
}

TEST_F(ListedTest, SecondSectionOfADuplicateNameStaysFreeForMatching) {
    auto document = LoadLines({"[E1]", "Name=a", "[E1]", "Name=b"});
    document->MarkOccupiedListed(StringList{"1=E1"});
    EXPECT_THAT(Claims(*document), ElementsAre(1, 0));

    StringList found;
    document->MarkOccupiedMatching(StringList{"Name"}, found, 4);
    EXPECT_THAT(Texts(found), ElementsAre("E1"));
    EXPECT_THAT(Claims(*document), ElementsAre(1, 1));
}

TEST_F(ListedTest, FreeSectionLookupTellsAbsentFromAllClaimed) {
    bool caseSensitive = false;
    auto store = LoadLines({"[A]", "[A]", "[a]"}, &caseSensitive);
    bool noneOccupied = false;
    EXPECT_EQ(store->IndexOfFreeSection("A", noneOccupied), 0);
    EXPECT_TRUE(noneOccupied);
    store->SectionAt(0).Occupied = 1;
    EXPECT_EQ(store->IndexOfFreeSection("A", noneOccupied), 1);
    EXPECT_FALSE(noneOccupied);
    store->SectionAt(1).Occupied = 1;
    EXPECT_EQ(store->IndexOfFreeSection("A", noneOccupied), -1);
    EXPECT_FALSE(noneOccupied);
    EXPECT_EQ(store->IndexOfFreeSection("a", noneOccupied), 2);
    EXPECT_TRUE(noneOccupied);
    EXPECT_EQ(store->IndexOfFreeSection("B", noneOccupied), -1);
    EXPECT_TRUE(noneOccupied);
}

class ListSectionTest : public StoreTest {};

TEST_F(ListSectionTest, ClaimsTheListAndTheFirstSectionOfEachNamedValue) {
    bool caseSensitive = false;
    auto store = LoadLines({"[InfantryTypes]", "1=E1", "2=Missing", "3=e2 ; engineer", "plain", "[E1]", "[E1]", "[E2]",
                            "[Free]"},
                           &caseSensitive);
    const std::string before = store->RenderText();
    store->SectionAt(3).Occupied = 1;
    store->MarkOccupiedListSection("infantrytypes");
    EXPECT_THAT(Claims(*store), ElementsAre(1, 1, 0, 1, 0));
    EXPECT_EQ(store->RenderText(), before);

    store->MarkOccupiedListSection("Absent");
    EXPECT_THAT(Claims(*store), ElementsAre(1, 1, 0, 1, 0));
}

TEST_F(ListSectionTest, CaseSensitiveLookupMissesOtherCase) {
    auto store = LoadLines({"[InfantryTypes]", "1=e1", "[E1]"});
    store->MarkOccupiedListSection("INFANTRYTYPES");
    EXPECT_THAT(Claims(*store), ElementsAre(0, 0));
    store->MarkOccupiedListSection("InfantryTypes");
    EXPECT_THAT(Claims(*store), ElementsAre(1, 0));
}

}  // namespace
}  // namespace velmora::test
