// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/references/EntryCategories.h"
#include "core/references/References.h"
#include "core/store/NameIndex.h"

namespace velmora {

class IniSection;
class IniStore;
class TouchedSections;
class Workspace;

// Letters (ASCII and Latin-1), digits and "_": what a whole word may not touch.
bool IsWordByte(unsigned char c);

// The search of the find window over a whole document: every section's code and every key line's
// key name and value (as the grid shows it, without the comment), found without regard to letter
// case. The index folds what it searches, with the entry's category and name, into a few flat
// blocks of consecutive sections: each block is one folded text and the offsets of its rows, so a
// keystroke's search is one pass over a few large buffers. Key names, which a document repeats in
// every entry, are folded once for the whole index, and a row names its key by number. What a row
// shows is read from the text the document loaded, which the index shares; only what edits wrote
// is copied. It is built once per document and follows the edits after that: Update reads again
// only the sections an edit touched, and splices them into their block (a small one, so an edit
// moves little).
class FindIndex {
public:
    // A section's code (row 0 of the section) or one of its lines (line l is row l + 1). Rows stay
    // valid until the next Update.
    struct Row {
        uint32_t section;
        uint32_t row;
        bool operator==(const Row&) const = default;
    };

    explicit FindIndex(const Workspace& workspace);
    // An index made a slice at a time on the thread that edits the workspace (Continue), so that a
    // big document is indexed between a window's events without a copy of its lines: the document
    // must stand unchanged from the first slice to the last. Seal then finishes it, on any thread;
    // it is read once sealed.
    struct Sliced {};
    FindIndex(const Workspace& workspace, Sliced);
    // Reads the category lists a row at a time and then whole sections, until at least `lines`
    // more (a listed name, a line) are read; true once the whole document is read.
    bool Continue(size_t lines);
    // Gives back what the blocks hold beyond their size.
    void Seal();

    // Brings the index up to the workspace's document after edits, undos or redos that touched
    // `touched`: those sections are read again, or the whole document when the news asks for it
    // (TouchedSections::SectionsToRead) or when it is no longer the document the index was built on.
    void Update(const Workspace& workspace, const TouchedSections& touched);
    // True while the workspace's document is the one the index was built on, in the same shape.
    bool Follows(const Workspace& workspace) const;
    // Reads the sections at `sections` again, from the document it Follows.
    void Reread(const std::vector<size_t>& sections);

    // The rows whose code, key name or value contains `text` (letter case ignored), in document
    // order. With `wholeWords`, only where the text has no letter, digit or "_" right before or
    // after it within the same field. No row for an empty text.
    std::vector<Row> Find(std::string_view text, bool wholeWords) const;
    // Find made a slice at a time, so that a search of a big document fits between a window's
    // events: Continue searches whole sections for about `budget`. The index must not change
    // from the first slice to the last.
    class Search {
    public:
        Search(const FindIndex& index, std::string_view text, bool wholeWords);
        // True once every section is searched; microseconds::max() searches them all.
        bool Continue(std::chrono::microseconds budget);
        bool Done() const { return m_next >= m_index.m_blocks.size(); }
        // What Find gives, once done.
        std::vector<Row> Take() { return std::move(m_found); }

    private:
        const FindIndex& m_index;
        std::string m_needle;
        bool m_wholeWords;
        std::vector<uint8_t> m_keyHits;  // per key, 1 when it holds the needle
        size_t m_next = 0;  // the next block
        std::vector<Row> m_found;
    };

    // The rows of the sections at `sections` (in order) that Find gives, in document order.
    std::vector<Row> FindIn(const std::vector<size_t>& sections, std::string_view text, bool wholeWords) const;

    // The rows a search can find: every section's code and key lines.
    size_t RowCount() const { return m_rowCount; }
    // A row stands either for a section's code (the key and the value are empty) or for one of
    // its lines; a line without "=" has an empty key and value, and no search finds it.
    bool IsCodeRow(Row row) const { return row.row == 0; }
    // The line of a line's row; for a code row, the section with line 0.
    LinePlace Place(Row row) const;
    // The first category that lists the section's name, empty when none does.
    std::string_view Category(Row row) const;
    std::string_view Code(Row row) const;
    // The section's "Name" value, empty when it has none.
    std::string_view Name(Row row) const;
    std::string_view Key(Row row) const;
    std::string_view Value(Row row) const;

    // True when both indexes hold the same rows with the same texts, categories and places.
    bool operator==(const FindIndex& other) const;

private:
    static constexpr uint32_t NoRow = UINT32_MAX;
    static constexpr uint32_t NoCategory = EntryCategories::None;
    static constexpr uint32_t NoKey = UINT32_MAX;
    // The key of a line without "=": never a number of the folded keys, so never a hit.
    static constexpr uint32_t PlainKey = UINT32_MAX - 1;
    // Small enough that splicing an edited section moves little, large enough that a search runs
    // over long buffers.
    static constexpr size_t SectionsPerBlock = 256;

    // A row's place in the folded text, which holds the searched fields with letter case folded:
    // for the code row "code\n", for a key row "value\n", for a plain line "\n". Every line has a
    // row, so that its place in the section need not be kept. A key row's key is searched in the
    // index's folded keys, which hold each key name once however many rows have it: `key` is its
    // number there (NoKey for the code row, PlainKey for a plain line). `start` counts from the
    // block's start; the row ends where the next one starts, so that is not kept. The fields as
    // shown are not copied where the document's loaded text holds them: `shown` is where the row's
    // code, or its key line as read, stands in that text (with BorrowedBit, in the text the
    // document borrowed); with OwnBit, where its code or "key\nvalue" stands in the block's own
    // text, for what edits wrote (0 for a plain line).
    struct RowText {
        uint32_t start;
        uint32_t shown;
        uint32_t key;
    };
    static_assert(sizeof(RowText) == 12, "a document has about a million rows");
    static constexpr uint32_t OwnBit = uint32_t{1} << 31;
    static constexpr uint32_t BorrowedBit = uint32_t{1} << 30;
    struct SectionSpan {
        uint32_t firstRow = 0;     // its code row in the block's rows
        uint32_t rowCount = 0;
        uint32_t nameRow = NoRow;  // the row of the "Name" key, counted within the section
        uint32_t category = NoCategory;
        bool operator==(const SectionSpan&) const = default;
    };
    struct Block {
        std::string folded;
        // The rows of its sections, then one that starts where the folded text ends, so that every
        // row ends where the next one starts.
        std::vector<RowText> rows{RowText{0, 0, NoKey}};
        std::vector<SectionSpan> sections;
        // The shown fields of rows the loaded text does not hold; `ownInUse` of its bytes still
        // belong to a row (spliced sections leave theirs behind until the text is compacted).
        std::string own;
        size_t ownInUse = 0;
        // Where row `r` ends: its final "\n".
        size_t EndOf(size_t r) const { return rows[r + 1].start - 1; }
    };
    // One section read on its own: starts count from the start of its text, and own offsets from
    // the start of its own text.
    struct SectionText {
        std::string text;
        std::vector<RowText> rows;  // the code row first, then one per line
        size_t plainRows = 0;
        uint32_t nameRow = NoRow;
        uint32_t category = NoCategory;
        std::string own;
    };

    // A section from its name and its lines as stored: `lineAt(l)` gives line l's raw text and
    // whether it was read from the file.
    template <class LineAt>
    SectionText ReadSection(std::string_view name, size_t lineCount, const LineAt& lineAt);
    SectionText ReadSection(const IniSection& section);
    // The number of `key` among the folded keys, which it joins when new.
    uint32_t KeyNumber(std::string_view key);
    // True for a number among the folded keys, false for NoKey and PlainKey.
    static bool IsNumbered(uint32_t key) { return key < PlainKey; }
    std::string_view FoldedKey(uint32_t key) const;
    // Per key, 1 when it holds `needle` (folded) as Find looks for it.
    std::vector<uint8_t> KeysHolding(std::string_view needle, bool wholeWords) const;
    // Puts `read` in place of section `s`, which is the last of its block while the index is built.
    void Splice(size_t s, SectionText read);
    // Gives back what a block holds beyond its size.
    static void Seal(Block& block);
    void SealBlocks();
    // True when the hit at `at` has no letter, digit or "_" right before or after it.
    static bool IsWholeWord(std::string_view folded, size_t at, size_t length);
    // Adds the rows of sections [first, last) of block `b` that hold `needle` (folded) to `found`:
    // in their code or value, or in a key `keyHits` marks.
    void FindInBlock(size_t b, size_t first, size_t last, std::string_view needle, bool wholeWords,
                     const std::vector<uint8_t>& keyHits, std::vector<Row>& found) const;
    const Block& BlockOf(Row row) const { return m_blocks[row.section / SectionsPerBlock]; }
    const SectionSpan& SpanOf(Row row) const { return BlockOf(row).sections[row.section % SectionsPerBlock]; }
    size_t RowInBlock(Row row) const { return SpanOf(row).firstRow + row.row; }
    // Where `field` (a view into a line of the document) stands in the loaded text, with OwnBit
    // when it is not there and is appended to `own` instead.
    uint32_t ShownPlace(std::string_view field, std::string& own) const;
    uint32_t LinePlaceInLoaded(std::string_view raw, bool asRead) const;
    // The shared text a `shown` without OwnBit points into, and the place there.
    std::string_view SharedShown(uint32_t shown) const;
    void CompactOwn(Block& block) const;
    // The length of what row `r` keeps in the block's own text.
    size_t OwnLength(const Block& block, size_t r) const;
    bool SameRows(const Block& block, const FindIndex& other, const Block& otherBlock) const;
    // The row's code, or its key and value, as shown.
    std::string_view ShownCode(Row row) const;
    std::pair<std::string_view, std::string_view> ShownKeyAndValue(Row row) const;

    // The workspace a sliced index is read from until it is read, and how far it is read.
    const Workspace* m_reading = nullptr;
    size_t m_rowsRead = 0;
    size_t m_sectionsRead = 0;
    const IniStore* m_document = nullptr;
    // The text the document loaded, and the text it borrowed, shared with it: most rows show their
    // fields from there.
    std::shared_ptr<const std::string> m_loaded;
    std::shared_ptr<const std::string> m_borrowed;
    bool m_caseSensitive = false;
    std::vector<Block> m_blocks;
    size_t m_sectionCount = 0;
    size_t m_rowCount = 0;
    std::vector<std::string> m_categories;
    EntryCategories m_categoryOf{m_caseSensitive};
    // Each key name once, folded, followed by "\n"; each ends where the next starts. Keys stay when
    // the rows that had them go: a document has few.
    std::string m_foldedKeys;
    std::vector<uint32_t> m_keyStarts{0};
    NameIndex<true> m_keyNumbers;
};

}  // namespace velmora
