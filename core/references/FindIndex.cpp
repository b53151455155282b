// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/FindIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "core/store/LineText.h"
#include "core/catalogue/TouchedSections.h"

namespace velmora {
namespace {

constexpr char Separator = '\n';  // no stored line holds one, so no field does

// A text a field can hold: one with a separator would cross from a field into the next.
bool Searchable(std::string_view needle) {
    return !needle.empty() && needle.find(Separator) == std::string_view::npos;
}

// The first place of `needle` in `text` from `from` on. A single byte is looked for with memchr.
// Where SSE2 is there (every x86-64), a longer needle is looked for 16 places at a time by its
// first and last bytes together, which few places share, and each such place is compared whole.
size_t FindNeedle(std::string_view text, std::string_view needle, size_t from) {
    const size_t length = needle.size();
    if (from >= text.size() || length > text.size() - from) return std::string_view::npos;
    if (length == 1) {
        const void* at = std::memchr(text.data() + from, needle.front(), text.size() - from);
        return at == nullptr ? std::string_view::npos : static_cast<size_t>(static_cast<const char*>(at) - text.data());
    }
#if defined(__SSE2__) || defined(_M_X64)
    constexpr size_t Width = 16;
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    size_t at = from;
    for (; at + length - 1 + Width <= text.size(); at += Width) {
        const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
        const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at + length - 1));
        auto candidates = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
        for (; candidates != 0; candidates &= candidates - 1) {
            const size_t place = at + static_cast<size_t>(std::countr_zero(candidates));
            if (std::memcmp(text.data() + place + 1, needle.data() + 1, length - 2) == 0) return place;
        }
    }
    return text.find(needle, at);
#else
    return text.find(needle, from);
#endif
}

// The loaded text when rows can point into it with the offsets a row holds.
std::shared_ptr<const std::string> Shareable(std::shared_ptr<const std::string> loaded, uint32_t limit) {
    return loaded && loaded->size() < limit ? std::move(loaded) : nullptr;
}

}  // namespace

bool IsWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

FindIndex::FindIndex(const Workspace& workspace) : FindIndex(workspace, Sliced{}) {
    Continue(std::numeric_limits<size_t>::max());
    Seal();
}

FindIndex::FindIndex(const Workspace& workspace, Sliced)
    : m_reading(&workspace),
      m_document(workspace.Doc().StoreOrNull(StoreOf::Document)),
      m_caseSensitive(workspace.G().CaseSensitive) {
    m_loaded = Shareable(workspace.Doc().Store().LoadedText(), BorrowedBit);
    m_borrowed = Shareable(workspace.Doc().Store().BorrowedText(), BorrowedBit);
    m_categories = workspace.CategoryRows();
}

bool FindIndex::Continue(size_t lines) {
    if (m_reading == nullptr) return true;
    const Workspace& workspace = *m_reading;
    size_t read = 0;
    // Each name belongs to the first category that lists it, as the main window finds entries:
    // every list is read before any section.
    StringList entries;
    for (; m_rowsRead < m_categories.size() && read < lines; ++m_rowsRead) {
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[m_rowsRead], m_categories[m_rowsRead],
                                           entries);
        for (const StringItem& code : entries) m_categoryOf.Add(code.text, static_cast<uint32_t>(m_rowsRead));
        read += 1 + entries.Count();
    }
    const IniStore& document = workspace.Doc().Store();
    for (; m_sectionsRead < document.SectionCount() && read < lines; ++m_sectionsRead) {
        const IniSection& section = document.SectionAt(m_sectionsRead);
        Splice(m_sectionsRead, ReadSection(section));
        read += 1 + section.Count();
    }
    if (m_rowsRead < m_categories.size() || m_sectionsRead < document.SectionCount()) return false;
    m_reading = nullptr;
    return true;
}

void FindIndex::Seal() {
    m_categoryOf.ShrinkToFit();
    SealBlocks();
}

FindIndex::SectionText FindIndex::ReadSection(const IniSection& section) {
    return ReadSection(section.Name(), section.Count(), [&section](size_t l) {
        const IniSection::Line& line = section.LineAt(l);
        return std::pair{line.Raw(), line.IsAsRead()};
    });
}

template <class LineAt>
FindIndex::SectionText FindIndex::ReadSection(std::string_view name, size_t lineCount, const LineAt& lineAt) {
    SectionText read;
    auto offset = [&read] {
        if (read.text.size() >= std::numeric_limits<uint32_t>::max()) throw IniError("The document is too large to search");
        return static_cast<uint32_t>(read.text.size());
    };
    read.category = m_categoryOf.RowOf(name);

    read.text.append(name);
    read.rows.push_back({0, ShownPlace(name, read.own), NoKey});
    read.text += Separator;

    for (size_t l = 0; l < lineCount; ++l) {
        const auto [raw, asRead] = lineAt(l);
        // Seen as lookups see it: the key before the first "=", the value after it.
        std::string_view key;
        if (!KeyNameOfLine(raw, asRead, key)) {
            // A plain line's row holds an empty field and a key no search finds.
            read.rows.push_back({offset(), 0, PlainKey});
            read.text += Separator;
            ++read.plainRows;
            continue;
        }
        // The first "Name" key is the entry's name, as a lookup finds it.
        if (read.nameRow == NoRow && EqualsNoCase(key, "Name")) read.nameRow = static_cast<uint32_t>(read.rows.size());
        const std::string_view value = IniStore::StripCommentView(ValueTextOfLine(raw, asRead));
        uint32_t shown = LinePlaceInLoaded(raw, asRead);
        if (shown == OwnBit) {
            shown = ShownPlace({}, read.own);
            read.own.append(key);
            read.own += Separator;
            read.own.append(value);
        }
        read.rows.push_back({offset(), shown, KeyNumber(key)});
        read.text.append(value);
        read.text += Separator;
    }
    return read;
}

uint32_t FindIndex::KeyNumber(std::string_view key) {
    const auto keyAt = [this](uint32_t k) { return FoldedKey(k); };
    const uint32_t known = m_keyNumbers.Find(key, keyAt);
    if (known != NameIndex<true>::kNone) return known;
    if (m_foldedKeys.size() + key.size() + 1 >= std::numeric_limits<uint32_t>::max())
        throw IniError("The document is too large to search");
    const auto number = static_cast<uint32_t>(m_keyStarts.size() - 1);
    m_foldedKeys += FoldCase(key);
    m_foldedKeys += Separator;
    m_keyStarts.push_back(static_cast<uint32_t>(m_foldedKeys.size()));
    m_keyNumbers.Add(key, number, keyAt);
    return number;
}

std::string_view FindIndex::FoldedKey(uint32_t key) const {
    const uint32_t start = m_keyStarts[key];
    return std::string_view(m_foldedKeys).substr(start, m_keyStarts[key + 1] - 1 - start);
}

std::vector<uint8_t> FindIndex::KeysHolding(std::string_view needle, bool wholeWords) const {
    std::vector<uint8_t> holding(m_keyStarts.size() - 1, 0);
    size_t key = 0;
    for (size_t at = FindNeedle(m_foldedKeys, needle, 0); at != std::string_view::npos;) {
        while (m_keyStarts[key + 1] <= at) ++key;
        if (!wholeWords || IsWholeWord(m_foldedKeys, at, needle.size())) {
            holding[key] = 1;
            at = FindNeedle(m_foldedKeys, needle, m_keyStarts[key + 1]);
        } else {
            at = FindNeedle(m_foldedKeys, needle, at + 1);
        }
    }
    return holding;
}

namespace {

// Where `view` stands in `text`, when it lies within it.
std::optional<uint32_t> PlaceIn(const std::shared_ptr<const std::string>& text, std::string_view view) {
    const std::less_equal<const char*> notAfter;
    if (!text || !notAfter(text->data(), view.data()) || !notAfter(view.data() + view.size(), text->data() + text->size()))
        return std::nullopt;
    return static_cast<uint32_t>(view.data() - text->data());
}

}  // namespace

uint32_t FindIndex::ShownPlace(std::string_view field, std::string& own) const {
    if (!field.empty()) {
        if (const std::optional<uint32_t> place = PlaceIn(m_loaded, field)) return *place;
        if (const std::optional<uint32_t> place = PlaceIn(m_borrowed, field)) return *place | BorrowedBit;
    }
    if (own.size() + field.size() >= OwnBit) throw IniError("The document is too large to search");
    const auto place = static_cast<uint32_t>(own.size()) | OwnBit;
    own.append(field);
    return place;
}

// A line as read that is a whole line of the loaded or the borrowed text, so that it is read again
// from there; OwnBit otherwise.
uint32_t FindIndex::LinePlaceInLoaded(std::string_view raw, bool asRead) const {
    if (!asRead || raw.empty()) return OwnBit;
    const auto wholeLineOf = [&raw](const std::shared_ptr<const std::string>& text) {
        const std::optional<uint32_t> place = PlaceIn(text, raw);
        const size_t end = place ? *place + raw.size() : 0;
        return place && (end == text->size() || (*text)[end] == '\r' || (*text)[end] == '\n') ? place : std::nullopt;
    };
    if (const std::optional<uint32_t> place = wholeLineOf(m_loaded)) return *place;
    if (const std::optional<uint32_t> place = wholeLineOf(m_borrowed)) return *place | BorrowedBit;
    return OwnBit;
}

std::string_view FindIndex::SharedShown(uint32_t shown) const {
    return (shown & BorrowedBit) != 0 ? std::string_view(*m_borrowed).substr(shown & ~BorrowedBit)
                                      : std::string_view(*m_loaded).substr(shown);
}

// A code as shown, or "key\nvalue", each as long as folded.
size_t FindIndex::OwnLength(const Block& block, size_t r) const {
    const RowText& row = block.rows[r];
    const size_t field = block.EndOf(r) - row.start;
    return IsNumbered(row.key) ? FoldedKey(row.key).size() + 1 + field : field;
}

void FindIndex::CompactOwn(Block& block) const {
    std::string own;
    own.reserve(block.ownInUse);
    for (size_t r = 0; r + 1 < block.rows.size(); ++r) {
        RowText& row = block.rows[r];
        if ((row.shown & OwnBit) == 0) continue;
        const size_t from = row.shown & ~OwnBit;
        row.shown = static_cast<uint32_t>(own.size()) | OwnBit;
        own.append(block.own, from, OwnLength(block, r));
    }
    block.own = std::move(own);
}

void FindIndex::Splice(size_t s, SectionText read) {
    if (s == m_sectionCount) {  // a section after the last, while the index is built
        if (s % SectionsPerBlock == 0) {
            // A full block gives back the slack of its growth now: held until the end, the slack
            // of every block would stand at once.
            if (!m_blocks.empty()) Seal(m_blocks.back());
            m_blocks.emplace_back();
        }
        // With no rows yet, before the block's last row, which starts at the end of its text.
        Block& last = m_blocks.back();
        last.sections.push_back({static_cast<uint32_t>(last.rows.size() - 1), 0, NoRow, NoCategory});
        ++m_sectionCount;
    }
    Block& block = m_blocks[s / SectionsPerBlock];
    const size_t at = s % SectionsPerBlock;
    SectionSpan& span = block.sections[at];
    const size_t firstRow = span.firstRow;
    const size_t oldRowsEnd = firstRow + span.rowCount;
    const size_t start = block.rows[firstRow].start;
    const size_t oldLength = block.rows[oldRowsEnd].start - start;
    if (block.folded.size() - oldLength + read.text.size() >= std::numeric_limits<uint32_t>::max() ||
        block.own.size() + read.own.size() >= OwnBit)
        throw IniError("The document is too large to search");

    size_t oldPlainRows = 0;
    for (size_t row = firstRow; row < oldRowsEnd; ++row) {
        if ((block.rows[row].shown & OwnBit) != 0) block.ownInUse -= OwnLength(block, row);
        if (block.rows[row].key == PlainKey) ++oldPlainRows;
    }
    block.folded.replace(start, oldLength, FoldCase(read.text));
    const auto ownShift = static_cast<uint32_t>(block.own.size());
    for (RowText& row : read.rows) {
        row.start += static_cast<uint32_t>(start);
        if ((row.shown & OwnBit) != 0) row.shown += ownShift;
    }
    block.own += read.own;
    block.ownInUse += read.own.size();
    const auto oldRows = block.rows.begin() + static_cast<std::ptrdiff_t>(firstRow);
    const auto newRows = block.rows.erase(oldRows, oldRows + span.rowCount);
    block.rows.insert(newRows, read.rows.begin(), read.rows.end());
    m_rowCount = m_rowCount - (span.rowCount - oldPlainRows) + (read.rows.size() - read.plainRows);

    // What follows in the block moves by the difference (unsigned arithmetic wraps back correctly).
    const auto textShift = static_cast<uint32_t>(read.text.size() - oldLength);
    const auto rowShift = static_cast<uint32_t>(read.rows.size() - span.rowCount);
    span.rowCount = static_cast<uint32_t>(read.rows.size());
    span.nameRow = read.nameRow;
    span.category = read.category;
    for (size_t later = at + 1; later < block.sections.size(); ++later)
        block.sections[later].firstRow += rowShift;
    for (size_t row = firstRow + span.rowCount; row < block.rows.size(); ++row)
        block.rows[row].start += textShift;
    // What edits left behind of the own text is let go once it outweighs what rows still show.
    if (block.own.size() > 2 * block.ownInUse + 4096) CompactOwn(block);
}

// Appending grows the buffers by doubling; a built index keeps only what it holds.
void FindIndex::Seal(Block& block) {
    block.own.shrink_to_fit();
    block.folded.shrink_to_fit();
    block.rows.shrink_to_fit();
    block.sections.shrink_to_fit();
}

void FindIndex::SealBlocks() {
    for (Block& block : m_blocks) Seal(block);
}

void FindIndex::Update(const Workspace& workspace, const TouchedSections& touched) {
    const std::optional<std::vector<size_t>> sections = touched.SectionsToRead(workspace);
    if (sections && Follows(workspace))
        Reread(*sections);
    else
        *this = FindIndex(workspace);
}

// Positions only mean the same sections in the store the index was built on, as it was built.
bool FindIndex::Follows(const Workspace& workspace) const {
    return workspace.Doc().StoreOrNull(StoreOf::Document) == m_document && m_document != nullptr &&
           m_document->SectionCount() == m_sectionCount && workspace.G().CaseSensitive == m_caseSensitive;
}

void FindIndex::Reread(const std::vector<size_t>& sections) {
    for (const size_t s : sections) Splice(s, ReadSection(m_document->SectionAt(s)));
}

std::vector<FindIndex::Row> FindIndex::Find(std::string_view text, bool wholeWords) const {
    Search search(*this, text, wholeWords);
    search.Continue(std::chrono::microseconds::max());
    return search.Take();
}

FindIndex::Search::Search(const FindIndex& index, std::string_view text, bool wholeWords)
    : m_index(index), m_needle(FoldCase(text)), m_wholeWords(wholeWords) {
    if (Searchable(m_needle))
        m_keyHits = index.KeysHolding(m_needle, wholeWords);
    else
        m_next = index.m_blocks.size();
}

bool FindIndex::Search::Continue(std::chrono::microseconds budget) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    while (!Done()) {
        const Block& block = m_index.m_blocks[m_next];
        m_index.FindInBlock(m_next, 0, block.sections.size(), m_needle, m_wholeWords, m_keyHits, m_found);
        ++m_next;
        if (!Done() && budget != std::chrono::microseconds::max() &&
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start) >= budget)
            return false;
    }
    return true;
}

std::vector<FindIndex::Row> FindIndex::FindIn(const std::vector<size_t>& sections, std::string_view text,
                                              bool wholeWords) const {
    std::vector<Row> found;
    const std::string needle = FoldCase(text);
    if (!Searchable(needle)) return found;
    const std::vector<uint8_t> keyHits = KeysHolding(needle, wholeWords);
    for (const size_t s : sections)
        if (s < m_sectionCount)
            FindInBlock(s / SectionsPerBlock, s % SectionsPerBlock, s % SectionsPerBlock + 1, needle,
                        wholeWords, keyHits, found);
    return found;
}

void FindIndex::FindInBlock(size_t b, size_t first, size_t last, std::string_view needle, bool wholeWords,
                            const std::vector<uint8_t>& keyHits, std::vector<Row>& found) const {
    const Block& block = m_blocks[b];
    const std::vector<RowText>& rows = block.rows;
    const size_t endRow = last < block.sections.size() ? block.sections[last].firstRow : rows.size() - 1;
    const std::string_view haystack = std::string_view(block.folded).substr(0, rows[endRow].start);
    // The first hit from `from` on that counts.
    const auto nextHit = [&](size_t from) {
        size_t at = FindNeedle(haystack, needle, from);
        while (at != std::string_view::npos && wholeWords && !IsWholeWord(block.folded, at, needle.size()))
            at = FindNeedle(haystack, needle, at + 1);
        return at;
    };
    size_t section = first;
    const auto add = [&](size_t row) {
        while (section + 1 < last && block.sections[section + 1].firstRow <= row) ++section;
        found.push_back({static_cast<uint32_t>(b * SectionsPerBlock + section),
                         static_cast<uint32_t>(row - block.sections[section].firstRow)});
    };
    size_t row = block.sections[first].firstRow;
    if (std::find(keyHits.begin(), keyHits.end(), 1) != keyHits.end()) {
        // Some keys hold the text: every row is looked at, its key and whether a hit lies in it.
        for (size_t at = nextHit(rows[row].start); row < endRow; ++row) {
            const size_t next = rows[row + 1].start;
            const bool hit = at < next;
            if (hit) at = nextHit(next);  // one hit per row
            if (hit || (IsNumbered(rows[row].key) && keyHits[rows[row].key] != 0)) add(row);
        }
        return;
    }
    for (size_t at = nextHit(rows[row].start); at != std::string_view::npos;
         at = nextHit(rows[row + 1].start)) {
        // Hits come in order: the row is close by when they are many, found by halving when few.
        // The last row starts past every hit, so no step passes it.
        for (int step = 0; step < 8 && rows[row + 1].start <= at; ++step) ++row;
        if (rows[row + 1].start <= at) {
            const auto startsBy = [at](const RowText& r) { return r.start <= at; };
            const auto here = rows.begin() + static_cast<std::ptrdiff_t>(row);
            const auto next = std::partition_point(here, rows.end(), startsBy);
            row = static_cast<size_t>(next - rows.begin()) - 1;
        }
        add(row);  // one hit per row
    }
}

// A hit of a text without separators lies within one field (the code, the key or the value), and
// a separator stands before and after each field, the block's start before the first.
bool FindIndex::IsWholeWord(std::string_view folded, size_t at, size_t length) {
    return (at == 0 || !IsWordByte(static_cast<unsigned char>(folded[at - 1]))) &&
           !IsWordByte(static_cast<unsigned char>(folded[at + length]));
}

std::string_view FindIndex::ShownCode(Row row) const {
    const Block& block = BlockOf(row);
    const size_t r = RowInBlock({row.section, 0});
    const RowText& code = block.rows[r];
    const size_t length = block.EndOf(r) - code.start;
    if ((code.shown & OwnBit) != 0) return std::string_view(block.own).substr(code.shown & ~OwnBit, length);
    return SharedShown(code.shown).substr(0, length);
}

std::pair<std::string_view, std::string_view> FindIndex::ShownKeyAndValue(Row row) const {
    const Block& block = BlockOf(row);
    const size_t r = RowInBlock(row);
    const RowText& text = block.rows[r];
    if (text.key == PlainKey) return {};
    if ((text.shown & OwnBit) != 0) {
        const size_t keyLength = FoldedKey(text.key).size();
        const std::string_view own =
            std::string_view(block.own).substr(text.shown & ~OwnBit, OwnLength(block, r));
        return {own.substr(0, keyLength), own.substr(keyLength + 1)};
    }
    // The key line as read, read again as when the row was made.
    const std::string_view loaded = SharedShown(text.shown);
    const std::string_view raw = loaded.substr(0, loaded.find_first_of("\r\n"));
    std::string_view key;
    KeyNameOfLine(raw, true, key);
    return {key, IniStore::StripCommentView(ValueTextOfLine(raw, true))};
}

LinePlace FindIndex::Place(Row row) const {
    return {row.section, IsCodeRow(row) ? 0 : row.row - 1};
}

std::string_view FindIndex::Category(Row row) const {
    const uint32_t category = SpanOf(row).category;
    return category == NoCategory ? std::string_view() : std::string_view(m_categories[category]);
}

std::string_view FindIndex::Code(Row row) const { return ShownCode(row); }

std::string_view FindIndex::Name(Row row) const {
    const uint32_t nameRow = SpanOf(row).nameRow;
    return nameRow == NoRow ? std::string_view() : Value({row.section, nameRow});
}

std::string_view FindIndex::Key(Row row) const {
    return IsCodeRow(row) ? std::string_view() : ShownKeyAndValue(row).first;
}

std::string_view FindIndex::Value(Row row) const {
    return IsCodeRow(row) ? std::string_view() : ShownKeyAndValue(row).second;
}

// The same rows in the same places, with the same keys whatever their numbers.
bool FindIndex::SameRows(const Block& block, const FindIndex& other, const Block& otherBlock) const {
    if (block.folded != otherBlock.folded || block.sections != otherBlock.sections ||
        block.rows.size() != otherBlock.rows.size())
        return false;
    for (size_t r = 0; r < block.rows.size(); ++r) {
        const RowText& mine = block.rows[r];
        const RowText& theirs = otherBlock.rows[r];
        if (mine.start != theirs.start) return false;
        if (!IsNumbered(mine.key) || !IsNumbered(theirs.key)) {
            if (mine.key != theirs.key) return false;
        } else if (FoldedKey(mine.key) != other.FoldedKey(theirs.key)) {
            return false;
        }
    }
    return true;
}

bool FindIndex::operator==(const FindIndex& other) const {
    if (m_rowCount != other.m_rowCount || m_blocks.size() != other.m_blocks.size() ||
        m_categories != other.m_categories)
        return false;
    for (size_t b = 0; b < m_blocks.size(); ++b)
        if (!SameRows(m_blocks[b], other, other.m_blocks[b])) return false;
    // The same places; and each row shows the same texts, wherever they are kept.
    for (uint32_t s = 0; s < m_sectionCount; ++s)
        for (uint32_t r = 0; r < SpanOf({s, 0}).rowCount; ++r)
            if (Code({s, r}) != other.Code({s, r}) || Key({s, r}) != other.Key({s, r}) ||
                Value({s, r}) != other.Value({s, r}))
                return false;
    return true;
}

}  // namespace velmora
