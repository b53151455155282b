// SPDX-License-Identifier: GPL-3.0-or-later
// A store line holds its text in its own bits or through a record of its store: a text too long
// for its length field, at an address out of its reach, or with a comment block. Every form
// reads, writes, moves and comes back alike.

#include <cstdint>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniStore.h"
#include "core/store/LineBits.h"

namespace velmora::test {
namespace {

using ::testing::ElementsAre;

// Longer than a line's own length field holds on a 64-bit build.
const std::string kLong(20000, 'x');
const std::string kLonger(30000, 'y');

class LineFormsTest : public StoreTest {};

TEST_F(LineFormsTest, OverLongTextsReadWriteMoveAndComeBackWhole) {
    auto store =
        LoadLines({"[A]", "  Long = " + kLong + " ; note", "; about b", "b=" + kLong, "c=1", "[B]", "d=2"});
    const std::string asRead = store->RenderText();
    EXPECT_EQ(store->ReadString("A", "Long", ""), kLong);
    const IniSection& a = store->SectionAt(0);
    EXPECT_EQ(a.LineAt(0).Raw(), "  Long = " + kLong + " ; note");
    EXPECT_TRUE(a.LineAt(0).IsAsRead());
    EXPECT_EQ(a.LineAt(0).CommentBlock(), nullptr);
    EXPECT_EQ(a.Strings(0), "Long=" + kLong + " ; note");
    ASSERT_NE(a.CommentsOf(1), nullptr);
    EXPECT_THAT(*a.CommentsOf(1), ElementsAre("; about b"));

    // Taken out and put back elsewhere, a line writes the same bytes there, its comments along.
    IniSection::Line taken = store->TakeLine(0, 1);
    store->PutLine(1, 0, taken);
    EXPECT_EQ(store->RenderText(),
              CrLf({"[A]", "  Long = " + kLong + " ; note", "c=1", "[B]", "; about b", "b=" + kLong, "d=2"}));
    store->PutLine(0, 1, store->TakeLine(1, 0));
    EXPECT_EQ(store->RenderText(), asRead);

    // An exchange, as undo makes it, gives back the very line.
    IniSection::Line written = store->WrittenLine("Long=" + kLonger);
    store->ExchangeLine(0, 0, written);
    EXPECT_EQ(store->ReadString("A", "Long", ""), kLonger);
    EXPECT_FALSE(store->SectionAt(0).LineAt(0).IsAsRead());
    store->ExchangeLine(0, 0, written);
    EXPECT_EQ(store->RenderText(), asRead);

    // A write keeps the line's comment block, long text or short.
    store->WriteString("A", "b", kLonger);
    store->WriteString("A", "c", kLong);
    const std::string afterWrites = CrLf(
        {"[A]", "  Long = " + kLong + " ; note", "; about b", "b=" + kLonger, "c=" + kLong, "[B]", "d=2"});
    EXPECT_EQ(store->RenderText(), afterWrites);
    EXPECT_EQ(store->CloneAs("copy.ini")->RenderText(), afterWrites);
}

// The fallback a 64-bit build needs when an address is out of the bits' reach (a tagged pointer,
// a wider address space) cannot be met with real memory here; the texts are never read.
TEST(LineBitsTest, AddressesOutOfReachGoThroughARecordAndRecordsFitAnywhere) {
    if constexpr (sizeof(void*) == 8) {
        using Bits = LineBits<8>;
        const auto at = [](uint64_t address) {
            return reinterpret_cast<const char*>(static_cast<uintptr_t>(address));
        };
        const char* highest = at(0x0000'ffff'ffff'ffff);
        ASSERT_TRUE(Bits::Fits(highest, Bits::MaxOwnSize));
        const Bits own = Bits::Own(highest, Bits::MaxOwnSize, true);
        EXPECT_EQ(own.Text(), highest);
        EXPECT_EQ(own.Size(), Bits::MaxOwnSize);
        EXPECT_TRUE(own.IsAsRead());
        EXPECT_FALSE(own.IsKept());
        EXPECT_FALSE(Bits::Fits(highest, Bits::MaxOwnSize + 1));
        EXPECT_FALSE(Bits::Fits(at(0x0001'0000'0000'0000), 1));
        EXPECT_FALSE(Bits::Fits(at(0xb400'7fff'1234'5678), 1));

        struct alignas(8) Record {
            char bytes[8];
        };
        const auto* record = reinterpret_cast<const Record*>(static_cast<uintptr_t>(0xfff0'7fff'0000'1008));
        const Bits kept = Bits::Kept(record, false);
        EXPECT_TRUE(kept.IsKept());
        EXPECT_FALSE(kept.IsAsRead());
        EXPECT_EQ(kept.KeptRecord<Record>(), record);

        // The store's side: such a text is made a line through a record and reads back as given.
        LineRecords records;
        const std::string_view far(at(0xb400'7fff'1234'5678), 7);
        const IniSection::Line line = records.Make(far, false, nullptr);
        EXPECT_EQ(line.Raw().data(), far.data());
        EXPECT_EQ(line.Raw().size(), far.size());
        EXPECT_FALSE(line.IsAsRead());
        EXPECT_EQ(line.CommentBlock(), nullptr);
        EXPECT_EQ(records.Retext(line, far, true).Raw().data(), far.data());
    } else {
        GTEST_SKIP() << "a 32-bit build holds plain pointers";
    }
}

}  // namespace
}  // namespace velmora::test
