// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing values by section and key: the lookup rules, inline comments, duplicate
// sections and keys, and the operations that fill lists.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniStore.h"

namespace velmora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ReadStringTest : public StoreTest {};

TEST_F(ReadStringTest, ValueLosesInlineCommentButEmptyValueIsNotDefault) {
    auto store = LoadLines({"[S]", "Name=Foo ; x", "Empty=", "OnlyComment=;x", "Spaced= a b ", "Eq=x=y"});
    EXPECT_EQ(store->ReadString("S", "Name", "dflt"), "Foo");
    EXPECT_EQ(store->ReadString("S", "OnlyComment", "dflt"), "");
    EXPECT_EQ(store->ReadString("S", "Empty", "dflt"), "");
    EXPECT_EQ(store->ReadString("S", "Spaced", "dflt"), "a b");
    EXPECT_EQ(store->ReadString("S", "Eq", "dflt"), "x=y");
    EXPECT_EQ(store->ReadString("S", "Missing", "dflt"), "dflt");
    EXPECT_EQ(store->ReadString("Missing", "Name", " keep  me "), " keep  me ");

    StringList lines;
    store->ReadSectionValues("S", lines);
    EXPECT_EQ(lines[0], "Name=Foo ; x");
}

TEST_F(ReadStringTest, KeysMatchWithoutRegardToCaseInBothModes) {
    bool caseSensitive = true;
    auto store = LoadLines({"[General]", "Name = Foo ; the name", "\xC9t\xE9=latin"}, &caseSensitive);
    EXPECT_EQ(store->ReadString("General", "name", ""), "Foo");
    EXPECT_EQ(store->ReadString("General", "NAME", ""), "Foo");
    EXPECT_EQ(store->ReadString("General", "\xE9t\xC9", ""), "latin");
    caseSensitive = false;
    EXPECT_EQ(store->ReadString("general", "nAmE", ""), "Foo");
}

TEST_F(ReadStringTest, PlainLinesAreNeverFoundAsKeys) {
    auto store = LoadLines({"[S]", "orphan line", "=nameless"});
    EXPECT_EQ(store->ReadString("S", "orphan line", "dflt"), "dflt");
    EXPECT_EQ(store->ReadString("S", "", "dflt"), "nameless");
}

TEST_F(ReadStringTest, SectionCaseFollowsTheFlagEachTimeItIsRead) {
    bool caseSensitive = true;
    auto store = LoadLines({"[Alpha]", "k=1", "[ALPHA]", "k=2"}, &caseSensitive);
    EXPECT_EQ(store->ReadString("alpha", "k", "none"), "none");
    EXPECT_EQ(store->ReadString("ALPHA", "k", "none"), "2");
    EXPECT_FALSE(store->SectionExists("alpha"));
    EXPECT_EQ(store->IndexOfSection("ALPHA"), 1);

    caseSensitive = false;
    EXPECT_FALSE(store->CaseSensitive());
    EXPECT_EQ(store->ReadString("alpha", "k", "none"), "1");
    EXPECT_EQ(store->ReadString("ALPHA", "k", "none"), "1");
    EXPECT_TRUE(store->SectionExists("alpha"));
    EXPECT_EQ(store->IndexOfSection("ALPHA"), 0);

    caseSensitive = true;
    EXPECT_EQ(store->ReadString("ALPHA", "k", "none"), "2");

    store->SetCaseSensitiveFlag(nullptr);
    EXPECT_TRUE(store->CaseSensitive());
    EXPECT_EQ(store->ReadString("alpha", "k", "none"), "none");
}

TEST_F(ReadStringTest, CaseInsensitiveSectionsFoldLatinLetters) {
    bool caseSensitive = false;
    auto store = LoadLines({"[Caf\xE9]", "k=1"}, &caseSensitive);
    EXPECT_EQ(store->ReadString("CAF\xC9", "k", "none"), "1");
    EXPECT_EQ(store->IndexOfSection("caf\xE9"), 0);
}

TEST(StripCommentTest, CutsAtFirstSemicolonAndTrimsOnlyThen) {
    EXPECT_EQ(IniStore::StripComment("Foo ; x"), "Foo");
    EXPECT_EQ(IniStore::StripComment(";x"), "");
    EXPECT_EQ(IniStore::StripComment("  abc ;x"), "abc");
    EXPECT_EQ(IniStore::StripComment("Foo "), "Foo ");
    EXPECT_EQ(IniStore::StripComment("  abc  "), "  abc  ");
    EXPECT_EQ(IniStore::StripComment("a;b;c"), "a");
}

class WriteStringTest : public StoreTest {};

TEST_F(WriteStringTest, ReplacesFirstLineOfKeyKeepingItsCommentBlock) {
    auto store = LoadLines({"[S]", "; about cost", "Cost=100 ; old", "Other=1"});
    store->WriteString("S", "cost", "5");
    EXPECT_EQ(store->RenderText(), CrLf({"[S]", "; about cost", "cost=5", "Other=1"}));
    EXPECT_EQ(store->ReadString("S", "COST", ""), "5");
}

TEST_F(WriteStringTest, AppendsMissingKeyAndMissingSectionAtTheEnd) {
    auto store = LoadLines({"[A]", "x=1", "; note", "[B]", "y=2"});
    store->WriteString("A", "New", " raw ; value ");
    store->WriteString("C", "z", "3");
    EXPECT_EQ(store->RenderText(),
              CrLf({"[A]", "x=1", "New= raw ; value ", "; note", "[B]", "y=2", "", "[C]", "z=3"}));
    EXPECT_EQ(store->ReadString("C", "z", ""), "3");
    EXPECT_EQ(store->SectionAt(2).Occupied, 0);
}

TEST_F(WriteStringTest, SectionCaseDecidesBetweenExistingAndNewSection) {
    bool caseSensitive = true;
    auto store = LoadLines({"[A]", "k=1"}, &caseSensitive);
    store->WriteString("a", "k", "2");
    EXPECT_EQ(store->RenderText(), CrLf({"[A]", "k=1", "", "[a]", "k=2"}));

    caseSensitive = false;
    auto other = LoadLines({"[A]", "k=1"}, &caseSensitive);
    other->WriteString("a", "k", "2");
    EXPECT_EQ(other->RenderText(), CrLf({"[A]", "k=2"}));
}

TEST_F(WriteStringTest, NewSectionsAreFoundByLaterLookups) {
    bool caseSensitive = false;
    auto store = LoadLines({"[A]", "k=1"}, &caseSensitive);
    EXPECT_FALSE(store->SectionExists("Fresh"));
    store->WriteString("Fresh", "k", "2");
    EXPECT_TRUE(store->SectionExists("FRESH"));
    caseSensitive = true;
    EXPECT_EQ(store->ReadString("Fresh", "k", ""), "2");
    EXPECT_EQ(store->ReadString("FRESH", "k", "none"), "none");
}

class DuplicateTest : public StoreTest {};

TEST_F(DuplicateTest, OnlyTheFirstOfTwoSectionsIsReachedByName) {
    auto store = LoadLines({"[A]", "x=1", "[A]", "x=2", "y=2"});
    StringList names;
    store->ReadSections(names);
    EXPECT_THAT(Texts(names), ElementsAre("A", "A"));
    EXPECT_EQ(store->ReadString("A", "x", ""), "1");
    EXPECT_EQ(store->ReadString("A", "y", "none"), "none");

    store->WriteString("A", "x", "9");
    store->DeleteKey("A", "y");  // the first [A] has no y: nothing changes
    EXPECT_EQ(store->RenderText(), CrLf({"[A]", "x=9", "[A]", "x=2", "y=2"}));

    store->EraseSection("A");
    EXPECT_EQ(store->ReadString("A", "x", ""), "2");
    EXPECT_EQ(store->ReadString("A", "y", ""), "2");
    EXPECT_EQ(store->SectionCount(), 1u);
}

TEST_F(DuplicateTest, OnlyTheFirstOfTwoKeysIsReachedButBothAreListed) {
    auto store = LoadLines({"[B]", "Cost=1", "cost=2", "Other=3"});
    EXPECT_EQ(store->ReadString("B", "COST", ""), "1");

    StringList names;
    store->ReadSection("B", names);
    EXPECT_THAT(Texts(names), ElementsAre("Cost", "cost", "Other"));
    StringList values;
    store->ReadSectionValuesOnly("B", values);
    EXPECT_THAT(Texts(values), ElementsAre("1", "1", "3"));

    store->WriteString("B", "COST", "7");
    EXPECT_EQ(store->RenderText(), CrLf({"[B]", "COST=7", "cost=2", "Other=3"}));
    store->DeleteKey("B", "cost");
    EXPECT_EQ(store->RenderText(), CrLf({"[B]", "cost=2", "Other=3"}));
    EXPECT_EQ(store->ReadString("B", "Cost", ""), "2");
}

// Long sections are looked up through an index; it must give the first line of a repeated key,
// as the scan of a short section does, and follow the lines that are added and removed.
TEST_F(DuplicateTest, TheFirstOfARepeatedKeyIsReachedInALongSection) {
    std::string text = "[Long]\r\n";
    for (int i = 0; i < 40; ++i) {
        if (i == 5) text += "Cost=1\r\n";
        if (i == 30) text += "COST=2\r\n";
        text += "K" + std::to_string(i) + "=v\r\n";
    }
    auto store = Load(text);
    EXPECT_EQ(store->ReadString("Long", "cost", ""), "1");
    StringList values;
    store->ReadSectionValuesOnly("Long", values);
    ASSERT_EQ(values.Count(), 42u);
    EXPECT_EQ(values[5], "1");
    EXPECT_EQ(values[31], "1");
    EXPECT_EQ(store->FindKeyOfValue("Long", "2", false), "");

    store->WriteString("Long", "New", "n");
    store->WriteString("Long", "cost", "3");
    store->ReadSectionValues("Long", values);
    EXPECT_EQ(values[5], "cost=3");
    EXPECT_EQ(values[31], "COST=2");
    EXPECT_EQ(values[42], "New=n");
    EXPECT_EQ(store->ReadString("Long", "NEW", ""), "n");

    store->DeleteKey("Long", "Cost");
    EXPECT_EQ(store->ReadString("Long", "cost", ""), "2");
    store->DeleteKey("Long", "Cost");
    EXPECT_EQ(store->ReadString("Long", "cost", "none"), "none");
    EXPECT_EQ(store->ReadString("Long", "K39", ""), "v");
}

// A section added while names compare exactly may differ from an older one only in letter case;
// once the flag is off again, the older one is still the first of that name.
TEST_F(DuplicateTest, ASectionAddedWhileCaseCountsDoesNotHideTheFirstOfItsName) {
    bool caseSensitive = false;
    auto store = LoadLines({"[Alpha]", "k=1"}, &caseSensitive);
    EXPECT_EQ(store->IndexOfSection("ALPHA"), 0);

    caseSensitive = true;
    store->WriteString("ALPHA", "k", "2");
    EXPECT_EQ(store->IndexOfSection("ALPHA"), 1);

    caseSensitive = false;
    EXPECT_EQ(store->IndexOfSection("ALPHA"), 0);
    EXPECT_EQ(store->ReadString("alpha", "k", ""), "1");
}

class RemoveTest : public StoreTest {};

TEST_F(RemoveTest, EraseSectionTakesItsCommentsAlong) {
    auto store = LoadLines({"; top", "[A]", "a=1", "; about B", "[B]", "; about b", "b=1", "[C]", "c=1"});
    store->EraseSection("B");
    EXPECT_EQ(store->RenderText(), CrLf({"; top", "[A]", "a=1", "[C]", "c=1"}));
    store->EraseSection("Missing");
    store->EraseSection("A");
    EXPECT_EQ(store->RenderText(), CrLf({"[C]", "c=1"}));
    EXPECT_FALSE(store->SectionExists("A"));
}

TEST_F(RemoveTest, DeleteKeyTakesItsCommentBlockAlong) {
    auto store = LoadLines({"[A]", "a=1", "; about b", "", "B=2", "c=3"});
    store->DeleteKey("A", "b");
    store->DeleteKey("A", "missing");
    store->DeleteKey("Missing", "a");
    EXPECT_EQ(store->RenderText(), CrLf({"[A]", "a=1", "c=3"}));
}

class ListingTest : public StoreTest {};

TEST_F(ListingTest, ReadSectionNamesEveryLineAndEmptiesTheListFirst) {
    auto store = LoadLines({"[S]", "Name=Foo", "orphan", "=x", "Cost = 5"});
    StringList names{"stale"};
    store->ReadSection("S", names);
    EXPECT_THAT(Texts(names), ElementsAre("Name", "", "", "Cost"));
    store->ReadSection("Missing", names);
    EXPECT_THAT(Texts(names), IsEmpty());

    EXPECT_TRUE(store->ValueExists("S", "NAME"));
    EXPECT_TRUE(store->ValueExists("S", ""));  // the plain line's empty name
    EXPECT_FALSE(store->ValueExists("S", "orphan"));
    EXPECT_FALSE(store->ValueExists("Missing", "Name"));
}

TEST_F(ListingTest, ReadSectionsCarriesTheRecords) {
    auto store = LoadLines({"[A]", "[B]", "[A]"});
    store->SectionAt(1).Occupied = 1;
    StringList list{"stale"};
    store->ReadSections(list);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_THAT(Texts(list), ElementsAre("A", "B", "A"));
    for (size_t i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Item(i).section, &store->SectionAt(i));
    EXPECT_EQ(list.Item(1).section->Occupied, 1);
}

// Lines and comments are held as read; the copies are what lookups see, trimmed.
TEST_F(ListingTest, ReadSectionValuesCopiesLinesWithTheirCommentBlocks) {
    auto store = LoadLines({"[S]", "  ; one ", " \t", "  Name = Foo ; x  ", "  plain  ", "K\t= v"});
    StringList lines{"stale"};
    store->ReadSectionValues("S", lines);
    EXPECT_THAT(Texts(lines), ElementsAre("Name=Foo ; x", "plain", "K=v"));
    ASSERT_TRUE(lines.Item(0).comments);
    EXPECT_THAT(*lines.Item(0).comments, ElementsAre("; one", ""));
    EXPECT_TRUE(!lines.Item(1).comments || lines.Item(1).comments->empty());

    store->EraseSection("S");  // the copies belong to the caller
    EXPECT_EQ(lines[0], "Name=Foo ; x");
    EXPECT_THAT(*lines.Item(0).comments, ElementsAre("; one", ""));

    store->ReadSectionValues("S", lines);
    EXPECT_THAT(Texts(lines), IsEmpty());
}

TEST_F(ListingTest, ReadSectionValuesOnlySkipsLinesWithoutKey) {
    auto store = LoadLines({"[List]", "1=E1 ; first", "plain", "=E0", "2=E2", "3="});
    StringList values{"stale"};
    store->ReadSectionValuesOnly("List", values);
    EXPECT_THAT(Texts(values), ElementsAre("E1", "E2", ""));
    store->ReadSectionValuesOnly("Missing", values);
    EXPECT_THAT(Texts(values), IsEmpty());
}

class FindKeyOfValueTest : public StoreTest {};

TEST_F(FindKeyOfValueTest, ComparesCommentFreeValuesByteForByte) {
    auto store = LoadLines({"[InfantryTypes]", "1=e1", "2=E1 ; the rifleman", "3=E2"});
    EXPECT_EQ(store->FindKeyOfValue("InfantryTypes", "E1", false), "2");
    EXPECT_EQ(store->FindKeyOfValue("InfantryTypes", "e2", false), "");
    EXPECT_EQ(store->FindKeyOfValue("Missing", "E1", false), "");
}

TEST_F(FindKeyOfValueTest, RemoveDeletesTheFirstMatchWithItsComments) {
    auto store = LoadLines({"[List]", "1=E1", "; about two", "2=E2", "3=E2"});
    EXPECT_EQ(store->FindKeyOfValue("List", "E2", true), "");
    EXPECT_EQ(store->RenderText(), CrLf({"[List]", "1=E1", "3=E2"}));
    EXPECT_EQ(store->FindKeyOfValue("List", "E9", true), "");
    EXPECT_EQ(store->RenderText(), CrLf({"[List]", "1=E1", "3=E2"}));
}

TEST_F(FindKeyOfValueTest, SearchesTheFirstSectionOfTheStore) {
    auto store = LoadLines({"[First]", "7=GI", "[Second]", "1=GI"});
    EXPECT_EQ(store->FindKeyOfValue("First", "GI", false), "7");
    EXPECT_EQ(store->FindKeyOfValue("First", "GI", true), "");
    EXPECT_EQ(store->ReadString("First", "7", "gone"), "gone");
}

}  // namespace
}  // namespace velmora::test
