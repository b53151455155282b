// SPDX-License-Identifier: GPL-3.0-or-later
// How a file is held (sections, comment blocks, text kept outside the sections) and the
// operations that change the store as a whole: inserting a section, copying, renaming, reloading
// and replacing the content.

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniStore.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::string> Copy(const CommentLines& block) {
    return std::vector<std::string>(block.begin(), block.end());
}

std::vector<std::string> Copy(const CommentLines* block) {
    return block ? Copy(*block) : std::vector<std::string>();
}

class HeldTextTest : public StoreTest {};

TEST_F(HeldTextTest, CommentsAttachToTheHeaderOrLineThatFollowsThem) {
    auto store = LoadLines({"; rules", "[General]", "Name = Foo ; the name", "  Speed=5", "", "; infantry", "[E1]",
                            "Cost=100", "orphan line", "[Broken", "x=1", "; trailing"});
    ASSERT_EQ(store->SectionCount(), 3u);
    const IniSection& general = store->SectionAt(0);
    EXPECT_EQ(general.Name(), "General");
    EXPECT_THAT(Copy(general.LeadingComments()), ElementsAre("; rules"));
    ASSERT_EQ(general.Count(), 2u);
    EXPECT_EQ(general.Strings(0), "Name=Foo ; the name");
    EXPECT_EQ(general.Strings(1), "Speed=5");
    EXPECT_EQ(general.CommentsOf(1), nullptr);

    const IniSection& infantry = store->SectionAt(1);
    EXPECT_THAT(Copy(infantry.LeadingComments()), ElementsAre("", "; infantry"));
    ASSERT_EQ(infantry.Count(), 2u);
    EXPECT_EQ(infantry.Strings(1), "orphan line");

    const IniSection& broken = store->SectionAt(2);
    EXPECT_EQ(broken.Name(), "Broken");
    EXPECT_EQ(broken.LeadingComments(), nullptr);
    EXPECT_THAT(Copy(store->Trailing()), ElementsAre("; trailing"));
    EXPECT_THAT(store->Preamble(), IsEmpty());
    EXPECT_FALSE(store->HasByteOrderMark());
    EXPECT_EQ(store->ReadString("General", "name", "x"), "Foo");
}

TEST_F(HeldTextTest, PreambleIsKeptButNoLookupSeesIt) {
    auto store = LoadLines({"; notes", "version 3", "; between", "", "loose=line", "; above first", "[First]", "a=1"});
    EXPECT_THAT(Copy(store->Preamble()), ::testing::IsSupersetOf({"; notes", "version 3", "loose=line"}));
    ASSERT_EQ(store->SectionCount(), 1u);
    EXPECT_THAT(Copy(store->SectionAt(0).LeadingComments()), ElementsAre("; above first"));
    EXPECT_EQ(store->ReadString("", "loose", "none"), "none");
    StringList names;
    store->ReadSections(names);
    EXPECT_THAT(Texts(names), ElementsAre("First"));

    store->WriteString("First", "b", "2");
    store->EraseSection("First");
    EXPECT_EQ(store->RenderText(), CrLf({"; notes", "version 3", "; between", "", "loose=line"}));
}

TEST_F(HeldTextTest, ByteOrderMarkIsSetAsideAndDoesNotHideTheFirstHeader) {
    auto store = Load("\xEF\xBB\xBF[General]\r\nName=Foo\r\n");
    EXPECT_TRUE(store->HasByteOrderMark());
    EXPECT_EQ(store->ReadString("General", "Name", ""), "Foo");
    EXPECT_THAT(store->Preamble(), IsEmpty());
    EXPECT_EQ(store->RenderText(), "\xEF\xBB\xBF" + CrLf({"[General]", "Name=Foo"}));
}

// A block keeps the line ends it was read with: each of its lines is one the file has, split as
// the file is, and a copy of the block to another place or store writes the same lines.
TEST_F(HeldTextTest, CommentBlocksOfMixedLineEndsReadCopyAndWriteLineForLine) {
    const std::string bytes =
        "; top\r\r\n; pre\n[A]\r; one\r\r; three\r\nk=1\n\n\r\n;x\n\rv=2\r\n[B]\r\n; tail\r\r";
    auto store = Load(bytes);
    const std::string written = CrLf({"; top", "", "; pre", "[A]", "; one", "", "; three", "k=1", "", "",
                                      ";x", "", "v=2", "[B]", "; tail", ""});
    EXPECT_EQ(store->RenderText(), written);
    const IniSection& a = store->SectionAt(0);
    EXPECT_THAT(Copy(a.LeadingComments()), ElementsAre("; top", "", "; pre"));
    EXPECT_THAT(Copy(a.CommentsOf(0)), ElementsAre("; one", "", "; three"));
    EXPECT_THAT(Copy(a.CommentsOf(1)), ElementsAre("", "", ";x", ""));
    EXPECT_EQ(a.CommentsOf(1)->size(), 4u);
    EXPECT_THAT(Copy(store->Trailing()), ElementsAre("; tail", ""));
    StringList lines;
    store->GetStrings(lines);
    EXPECT_EQ(lines.Count(), 16u);

    EXPECT_EQ(store->CloneAs("")->RenderText(), written);

    // Taken into another store line by line, section by section, as a revert does.
    auto other = LoadLines({});
    other->PutSection(0, other->SectionAsRead(a.Name(), a.Header(), *a.LeadingComments()));
    other->PutLine(0, 0, other->LineAsRead(a.LineAt(0).Raw(), *a.CommentsOf(0)));
    other->PutLine(0, 1, other->LineAsRead(a.LineAt(1).Raw(), std::vector<std::string>{"", "", ";x", ""}));
    EXPECT_EQ(other->RenderText(),
              CrLf({"; top", "", "; pre", "[A]", "; one", "", "; three", "k=1", "", "", ";x", "", "v=2"}));
}

TEST_F(HeldTextTest, BlocksOfOnlyBlankLinesAreKeptWhole) {
    auto store = Load("\r\n[A]\r\n\r\r\nk=1\r\n\n");
    EXPECT_EQ(store->RenderText(), CrLf({"", "[A]", "", "", "k=1", ""}));
    EXPECT_THAT(Copy(store->SectionAt(0).LeadingComments()), ElementsAre(""));
    EXPECT_THAT(Copy(store->Trailing()), ElementsAre(""));
    EXPECT_THAT(store->Preamble(), IsEmpty());

    auto other = LoadLines({"[B]"});
    other->PutSection(1, other->SectionAsRead("C", "", std::vector<std::string>{""}));
    other->PutLine(1, 0, other->LineAsRead("c=1", std::vector<std::string>{"", ""}));
    other->PutLine(1, 1, other->LineAsRead("d=1", CommentLines()));
    EXPECT_EQ(other->RenderText(), CrLf({"[B]", "", "[C]", "", "", "c=1", "d=1"}));
    EXPECT_EQ(other->SectionAt(1).CommentsOf(1), nullptr);
}

// A section keeps its name as the part of its header that spells it, or on its own when it has no
// header or the header does not spell it; every form reads, writes, is found and copies alike.
TEST_F(HeldTextTest, SectionNamesFromHeadersOfEveryFormAndFromElsewhere) {
    auto store = LoadLines({"  [ Spaced ] ; note", "a=1", "[Open ; half", "[]", "[x] ;x"});
    EXPECT_EQ(store->SectionAt(0).Name(), "Spaced");
    EXPECT_EQ(store->SectionAt(0).Header(), "  [ Spaced ] ; note");
    EXPECT_EQ(store->SectionAt(1).Name(), "Open");
    EXPECT_EQ(store->SectionAt(2).Name(), "");
    EXPECT_EQ(store->SectionAt(3).Name(), "x");

    store->PutSection(4, store->SectionAsRead("Other", "[Shown] ; as read", std::vector<std::string>{}));
    store->PutSection(5, store->SectionAsRead("note", "[Spaced] ; note", std::vector<std::string>{}));
    store->PutSection(6, store->NewSection("Added"));
    store->WriteString("Written", "k", "v");
    store->DuplicateSection("Spaced", "Copy");
    const std::vector<std::string> names = {"Copy",  "Spaced", "Open",  "",       "x",
                                            "Other", "note",   "Added", "Written"};
    const std::string written = CrLf({"", "[Copy]", "a=1", "  [ Spaced ] ; note", "a=1", "[Open ; half", "[]",
                                      "[x] ;x", "[Shown] ; as read", "[Spaced] ; note", "", "[Added]", "",
                                      "[Written]", "k=v"});
    auto copy = store->CloneAs("");
    for (const IniStore* held : {store.get(), copy.get()}) {
        EXPECT_EQ(held->RenderText(), written);
        ASSERT_EQ(held->SectionCount(), names.size());
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(held->SectionAt(i).Name(), names[i]) << i;
            EXPECT_EQ(held->IndexOfSection(names[i]), static_cast<int>(i)) << i;
        }
        EXPECT_EQ(held->SectionAt(5).Header(), "[Shown] ; as read");
        EXPECT_TRUE(held->SectionAt(7).Header().empty());
    }
    EXPECT_EQ(copy->ReadString("note", "missing", "none"), "none");
}

class InsertSectionTest : public StoreTest {};

TEST_F(InsertSectionTest, NewClaimedSectionStandsBeforeTheCommentsOfItsSuccessor) {
    auto store = LoadLines({"[A]", "a=1", "; about B", "[B]", "b=1"});
    StringList lines{"x=1", "plain", "Spaced = kept"};
    lines.Item(1).comments = std::make_shared<const CommentBlock>(CommentBlock{"; about plain", ""});
    store->InsertSection("B", "New", lines);

    EXPECT_EQ(store->RenderText(), CrLf({"[A]", "a=1", "", "[New]", "x=1", "; about plain", "", "plain",
                                         "Spaced = kept", "; about B", "[B]", "b=1"}));
    ASSERT_EQ(store->IndexOfSection("New"), 1);
    EXPECT_EQ(store->SectionAt(1).Occupied, 1);
    EXPECT_EQ(store->SectionAt(2).Occupied, 0);
    EXPECT_EQ(store->ReadString("New", "x", ""), "1");
    EXPECT_EQ(store->IndexOfSection("B"), 2);
}

TEST_F(InsertSectionTest, MissingSuccessorChangesNothing) {
    auto store = LoadLines({"[A]", "a=1"});
    const std::string before = store->RenderText();
    store->InsertSection("Missing", "New", StringList{"x=1"});
    EXPECT_EQ(store->RenderText(), before);
    EXPECT_EQ(store->SectionCount(), 1u);
    EXPECT_FALSE(store->SectionExists("New"));
}

TEST_F(InsertSectionTest, GoesBeforeTheFirstOfDuplicatesAndIgnoresExistingNames) {
    auto store = LoadLines({"; top", "[A]", "a=1", "[A]", "a=2"});
    store->InsertSection("A", "A", StringList{"a=0"});
    EXPECT_EQ(store->RenderText(), CrLf({"", "[A]", "a=0", "; top", "[A]", "a=1", "[A]", "a=2"}));
    EXPECT_EQ(store->ReadString("A", "a", ""), "0");
    EXPECT_EQ(store->SectionCount(), 3u);
}

TEST_F(InsertSectionTest, SuccessorIsFoundByTheCaseRule) {
    bool caseSensitive = false;
    auto store = LoadLines({"[Alpha]", "a=1"}, &caseSensitive);
    store->InsertSection("ALPHA", "Before", StringList{});
    EXPECT_EQ(store->RenderText(), CrLf({"", "[Before]", "[Alpha]", "a=1"}));
}

class CloneAsTest : public StoreTest {};

TEST_F(CloneAsTest, CopyRendersTheSameTextWithFreshFlagsAndTouchesNoFile) {
    auto source = Load("\xEF\xBB\xBF" + CrLf({"preamble line", "; top", "[A]", "; c", "a=1 ; x", "[A] ;second", "[B]", "plain",
                                              "; end"}));
    source->SectionAt(0).Occupied = 1;
    source->SectionAt(2).Occupied = 1;
    const std::string text = source->RenderText();

    const std::string existing = m_folder.File("existing.ini");
    WriteBytes(existing, "[Other]\r\n");
    const std::string missingFolder = m_folder.File("nowhere/copy.ini");

    auto copy = source->CloneAs(existing);
    auto secondCopy = source->CloneAs(missingFolder);
    EXPECT_EQ(copy->FileName(), existing);
    EXPECT_EQ(secondCopy->FileName(), missingFolder);
    EXPECT_EQ(copy->RenderText(), text);
    EXPECT_TRUE(copy->HasByteOrderMark());
    ASSERT_EQ(copy->SectionCount(), 3u);
    for (size_t i = 0; i < copy->SectionCount(); ++i) EXPECT_EQ(copy->SectionAt(i).Occupied, 0) << i;
    EXPECT_EQ(source->SectionAt(0).Occupied, 1);
    EXPECT_EQ(ReadBytes(existing), "[Other]\r\n");
    EXPECT_FALSE(fs::exists(m_folder.Path() / "nowhere"));
    EXPECT_EQ(source->FileName(), m_folder.File("store.ini"));

    copy->WriteString("A", "a", "2");
    EXPECT_EQ(source->RenderText(), text);
    source.reset();  // the copy must own every byte it holds
    EXPECT_EQ(secondCopy->RenderText(), text);
    EXPECT_EQ(secondCopy->ReadString("A", "a", ""), "1");
}

// A duplicate's lines share the comment blocks of the original's: a write to a line of either keeps
// the block, and the duplicate stays whole when the original goes.
TEST_F(CloneAsTest, DuplicatedSectionKeepsCommentBlocksThroughWritesAndTheOriginalsErase) {
    auto store = LoadLines({"[A]", "; about a", "a=1", "", "; about b", "b=2", "[Z]", "z=1"});
    store->DuplicateSection("A", "C");
    store->WriteString("C", "a", "9");
    store->WriteString("A", "b", "8");
    // The copy stands before its original.
    EXPECT_EQ(store->RenderText(), CrLf({"", "[C]", "; about a", "a=9", "", "; about b", "b=2", "[A]", "; about a",
                                         "a=1", "", "; about b", "b=8", "[Z]", "z=1"}));
    store->EraseSection("A");
    EXPECT_EQ(store->RenderText(), CrLf({"", "[C]", "; about a", "a=9", "", "; about b", "b=2", "[Z]", "z=1"}));
}

class ReloadTest : public StoreTest {};

TEST_F(ReloadTest, RenameWithoutReloadKeepsContentAndRedirectsWrites) {
    auto store = LoadLines({"[A]", "a=1"});
    const std::string original = ReadBytes(store->FileName());
    const std::string target = m_folder.File("renamed.ini");
    WriteBytes(target, "[Z]\r\nz=1\r\n");
    store->WriteString("A", "a", "2");
    store->Rename(target, false);
    EXPECT_EQ(store->FileName(), target);
    EXPECT_EQ(store->ReadString("A", "a", ""), "2");
    store->UpdateFile();
    EXPECT_EQ(ReadBytes(target), CrLf({"[A]", "a=2"}));
    EXPECT_EQ(ReadBytes(m_folder.File("store.ini")), original);
}

TEST_F(ReloadTest, RenameWithReloadReadsTheNewFileOrEmpties) {
    auto store = LoadLines({"[A]", "a=1"});
    store->SectionAt(0).Occupied = 1;
    const std::string other = m_folder.File("other.ini");
    WriteBytes(other, "[B]\r\nb=2\r\n");
    store->Rename(other, true);
    EXPECT_EQ(store->FileName(), other);
    EXPECT_FALSE(store->SectionExists("A"));
    EXPECT_EQ(store->ReadString("B", "b", ""), "2");
    EXPECT_EQ(store->SectionAt(0).Occupied, 0);

    store->Rename(m_folder.File("missing.ini"), true);
    EXPECT_EQ(store->SectionCount(), 0u);
    EXPECT_EQ(store->RenderText(), "");
    EXPECT_FALSE(fs::exists(m_folder.File("missing.ini")));
}

TEST_F(ReloadTest, LoadValuesDropsEditsAndClaims) {
    auto store = LoadLines({"[A]", "a=1"});
    store->WriteString("A", "a", "2");
    store->WriteString("B", "b", "3");
    store->SectionAt(0).Occupied = 1;
    store->LoadValues();
    EXPECT_EQ(store->RenderText(), CrLf({"[A]", "a=1"}));
    EXPECT_EQ(store->SectionAt(0).Occupied, 0);
    EXPECT_FALSE(store->SectionExists("B"));
}

TEST_F(ReloadTest, SetStringsParsesLinesAndGetStringsGivesTheWrittenLines) {
    auto store = LoadLines({"[Old]", "o=1"});
    store->SectionAt(0).Occupied = 1;
    store->SetStrings(StringList{"[A]", " k = v ", "   ; c", "[B", "plain"});
    EXPECT_FALSE(store->SectionExists("Old"));
    EXPECT_EQ(store->SectionAt(0).Occupied, 0);
    EXPECT_EQ(store->ReadString("A", "K", ""), "v");

    StringList lines{"stale"};
    store->GetStrings(lines);
    EXPECT_THAT(Texts(lines), ElementsAre("[A]", " k = v ", "   ; c", "[B", "plain"));
    EXPECT_EQ(store->RenderText(), CrLf({"[A]", " k = v ", "   ; c", "[B", "plain"}));

    store->Clear();
    EXPECT_EQ(store->SectionCount(), 0u);
    EXPECT_FALSE(store->SectionExists("A"));
}

}  // namespace
}  // namespace velmora::test
