// SPDX-License-Identifier: GPL-3.0-or-later
// Input no one would write on purpose: random bytes, NUL bytes, huge files and huge lines. The
// store must neither crash nor lose its footing: what it writes reads back to the same text.

#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniStore.h"

namespace velmora::test {
namespace {

using namespace std::string_literals;

class RobustnessTest : public StoreTest {
protected:
    // Saves the store, loads what was saved and checks that it renders the same bytes again.
    void ExpectStableRendering(IniStore& store) {
        const std::string first = store.RenderText();
        const std::string path = m_folder.File("saved-" + std::to_string(m_saves++) + ".ini");
        store.Rename(path, false);
        store.UpdateFile();
        ASSERT_EQ(ReadBytes(path), first);
        IniStore reloaded(path);
        EXPECT_TRUE(reloaded.RenderText() == first) << "rendering changed after a reload";
    }

    // Every lookup a caller might make on a section of unusual text.
    static void TouchEverySection(IniStore& store) {
        StringList names;
        store.ReadSections(names);
        for (size_t i = 0; i < names.Count(); ++i) {
            StringList lines;
            store.ReadSectionValues(names[i], lines);
            for (size_t j = 0; j < lines.Count(); ++j) {
                (void)store.ReadString(names[i], lines.Name(j), "");
                (void)store.ReadInteger(names[i], lines.Name(j), 0);
            }
            StringList values;
            store.ReadSectionValuesOnly(names[i], values);
        }
    }

    int m_saves = 0;
};

std::string RandomBytes(uint32_t seed, size_t size, bool withNul) {
    std::mt19937 random(seed);
    // Line breaks, brackets, "=" and ";" are what the parse reacts to; give them a fair share.
    const std::string_view special = "\r\n[];= \t";
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        uint32_t pick = random() % 4;
        byte = pick == 0 ? special[random() % special.size()] : static_cast<char>(random() % 256);
        if (!withNul && byte == '\0') byte = 'z';
    }
    return bytes;
}

TEST_F(RobustnessTest, RandomBytesRenderStably) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        auto store = Load(RandomBytes(seed, 64 * 1024, seed > 8));
        TouchEverySection(*store);
        ExpectStableRendering(*store);
    }
}

TEST_F(RobustnessTest, NulBytesAreOrdinaryBytes) {
    // Everything after a NUL is kept: a file in the store's own form comes back whole.
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "\r\n[S" + std::to_string(i) + "]\r\nk=v" + std::to_string(i) + "\r\n";
    text.insert(text.find("k=v1000\r\n") + 9, "note=a\0b\r\n"s);
    auto big = Load(text);
    EXPECT_EQ(big->SectionCount(), 2000u);
    EXPECT_TRUE(big->RenderText() == text) << "bytes after the NUL were lost";
    EXPECT_EQ(big->ReadString("S1999", "k", ""), "v1999");

    // Inside a line a NUL stays; at either end of a line it is trimmed like a blank.
    auto lines = Load("\0[A]\0\r\nk=1\0 2\r\n\0[B\0C]\r\n"s);
    ASSERT_EQ(lines->SectionCount(), 2u);
    EXPECT_EQ(lines->ReadString("A", "k", ""), "1\0 2"s);
    EXPECT_EQ(lines->SectionAt(1).Name(), "B\0C"s);
    ExpectStableRendering(*lines);

    auto afterMark = Load("\xEF\xBB\xBF\0[A]"s);
    EXPECT_TRUE(afterMark->HasByteOrderMark());
    EXPECT_EQ(afterMark->SectionCount(), 1u);
    ExpectStableRendering(*afterMark);
}

TEST_F(RobustnessTest, MarkBytesAfterLeadingBlanksStayText) {
    // Only the first bytes of a file can be a byte-order mark; the same bytes after a blank are
    // text of the first line, and a save must not turn them into a mark (nor the line into a header).
    auto store = Load(" \xEF\xBB\xBF[A]\r\na=1\r\n"s);
    EXPECT_FALSE(store->HasByteOrderMark());
    EXPECT_EQ(store->SectionCount(), 0u);
    ExpectStableRendering(*store);
    IniStore reloaded(store->FileName());
    EXPECT_EQ(reloaded.SectionCount(), 0u);
    EXPECT_FALSE(reloaded.HasByteOrderMark());
}

TEST_F(RobustnessTest, LinesOfAMegabyteEach) {
    const std::string big(1 << 20, 'v');
    const std::string text = CrLf({"preamble " + big, "; " + big, "[" + big + "]", "Key=" + big, big, "K2=x", ""}) +
                             "[Last]\r\nTail=" + big;  // the last line has no line end
    auto store = Load(text);
    ASSERT_EQ(store->SectionCount(), 2u);
    EXPECT_EQ(store->SectionAt(0).Name(), big);
    EXPECT_EQ(store->ReadString(big, "Key", "").size(), big.size());
    EXPECT_EQ(store->ReadString("Last", "Tail", ""), big);
    EXPECT_EQ(store->RenderText(), text + "\r\n");
    ExpectStableRendering(*store);
}

TEST_F(RobustnessTest, LongRunsOfLineBreaksAndEmptyHeaders) {
    auto breaks = Load(std::string(100000, '\r'));
    EXPECT_EQ(breaks->SectionCount(), 0u);
    ExpectStableRendering(*breaks);

    std::string headers;
    for (int i = 0; i < 20000; ++i) headers += "[\n";
    auto empties = Load(headers);
    EXPECT_EQ(empties->SectionCount(), 20000u);
    EXPECT_EQ(empties->IndexOfSection(""), 0);
    ExpectStableRendering(*empties);
}

TEST_F(RobustnessTest, FileOfManyReadBuffersComesBackByteForByte) {
    // Written in the form the store writes, so the saved file must equal it. Four megabytes span
    // dozens of the reader's buffers and tens of thousands of lines; more shows nothing new and
    // only slows every run under the sanitizers (a big document's speed is measured in bench/).
    std::string text;
    text.reserve(5u << 20);
    size_t section = 0;
    while (text.size() < (4u << 20)) {
        text += section % 10 == 0 ? "; group " + std::to_string(section / 10) + "\r\n" : "\r\n";
        text += "[Unit" + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 20; ++key)
            text += "Key" + std::to_string(key) + "=value " + std::to_string(section * 31 + key) + " ; note\r\n";
        ++section;
    }
    auto store = Load(text);
    ASSERT_EQ(store->SectionCount(), section);
    const std::string last = "Unit" + std::to_string(section - 1);
    EXPECT_EQ(store->ReadString(last, "key19", ""), "value " + std::to_string((section - 1) * 31 + 19));
    EXPECT_EQ(store->ReadInteger("Unit0", "Key0", -1), -1);

    const std::string path = m_folder.File("saved.ini");
    store->Rename(path, false);
    store->UpdateFile();
    EXPECT_TRUE(ReadBytes(path) == text) << "saved file differs from the loaded one";
}

}  // namespace
}  // namespace velmora::test
