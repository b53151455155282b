// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/FindIndex.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "core/catalogue/TouchedSections.h"
#include "core/references/FindSource.h"

namespace velmora {
namespace {

constexpr char Separator = '\n';  // no stored line holds one, so no field does

}  // namespace

bool IsWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

FindIndex::FindIndex(const Workspace& workspace)
    : m_document(workspace.Doc().StoreOrNull(StoreOf::Document)), m_caseSensitive(workspace.G().CaseSensitive) {
    const IniStore& document = workspace.Doc().Store();

    // Each name belongs to the first category that lists it, as the main window finds entries.
    m_categories = workspace.CategoryRows();
    StringList entries;
    for (size_t row = 0; row < workspace.CategoryRows().size(); ++row) {
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[row], workspace.CategoryRows()[row],
                                           entries);
        for (const StringItem& code : entries)
            m_categoryOf.try_emplace(NameKey(code.text, m_caseSensitive), static_cast<uint32_t>(row));
    }

    m_sections.reserve(document.SectionCount());
    for (size_t s = 0; s < document.SectionCount(); ++s) {
        m_sections.push_back(ReadSection(document.SectionAt(s)));
        m_rowCount += m_sections.back().rows.size();
    }
}

FindIndex::FindIndex(const FindSource& source)
    : m_document(source.Origin()), m_caseSensitive(source.CaseSensitive()) {
    m_categories = source.Categories();
    for (size_t row = 0; row < source.Members().size(); ++row)
        for (const std::string& code : source.Members()[row])
            m_categoryOf.try_emplace(NameKey(code, m_caseSensitive), static_cast<uint32_t>(row));

    const StoreTexts& texts = source.Texts();
    m_sections.reserve(texts.SectionCount());
    for (size_t s = 0; s < texts.SectionCount(); ++s) {
        const StoreTexts::Section section = texts.SectionAt(s);
        m_sections.push_back(ReadSection(section.Name(), section.Count(), [&section](size_t l) {
            const StoreTexts::Line line = section.LineAt(l);
            return std::pair{line.Raw(), line.IsAsRead()};
        }));
        m_rowCount += m_sections.back().rows.size();
    }
}

FindIndex::SectionText FindIndex::ReadSection(const IniSection& section) const {
    return ReadSection(section.Name(), section.Count(), [&section](size_t l) {
        const IniSection::Line& line = section.LineAt(l);
        return std::pair{line.Raw(), line.IsAsRead()};
    });
}

template <class LineAt>
FindIndex::SectionText FindIndex::ReadSection(std::string_view name, size_t lineCount, const LineAt& lineAt) const {
    SectionText read;
    auto offset = [&read] {
        if (read.text.size() >= std::numeric_limits<uint32_t>::max()) throw IniError("The document is too large to search");
        return static_cast<uint32_t>(read.text.size());
    };
    const auto category = m_categoryOf.find(NameKey(name, m_caseSensitive));
    if (category != m_categoryOf.end()) read.category = category->second;

    read.text.append(name);
    read.rows.push_back({0, 0, offset(), offset()});
    read.text += Separator;

    for (size_t l = 0; l < lineCount; ++l) {
        const auto [raw, asRead] = lineAt(l);
        // Seen as lookups see it: the key before the first "=", the value after it.
        const IniSection::Line line(raw, asRead, nullptr);
        std::string_view key;
        if (!line.KeyName(key)) continue;
        // The first "Name" key is the entry's name, as a lookup finds it.
        if (read.nameRow == NoRow && EqualsNoCase(key, "Name")) read.nameRow = static_cast<uint32_t>(read.rows.size());
        const uint32_t start = offset();
        read.text.append(key);
        const uint32_t split = offset();
        read.text += Separator;
        read.text.append(IniStore::StripCommentView(line.ValueText()));
        read.rows.push_back({static_cast<uint32_t>(l), start, split, offset()});
        read.text += Separator;
    }
    read.folded = FoldCase(read.text);
    return read;
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
           m_document->SectionCount() == m_sections.size() && workspace.G().CaseSensitive == m_caseSensitive;
}

void FindIndex::Reread(const std::vector<size_t>& sections) {
    for (const size_t s : sections) {
        SectionText read = ReadSection(m_document->SectionAt(s));
        m_rowCount = m_rowCount - m_sections[s].rows.size() + read.rows.size();
        m_sections[s] = std::move(read);
    }
}

std::vector<FindIndex::Row> FindIndex::Find(std::string_view text, bool wholeWords) const {
    Search search(*this, text, wholeWords);
    search.Continue(std::chrono::microseconds::max());
    return search.Take();
}

FindIndex::Search::Search(const FindIndex& index, std::string_view text, bool wholeWords)
    : m_index(index), m_needle(FoldCase(text)), m_wholeWords(wholeWords) {
    if (m_needle.empty()) m_next = index.m_sections.size();
}

bool FindIndex::Search::Continue(std::chrono::microseconds budget) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    // The clock is read once every so many sections, a small part of their search.
    constexpr size_t SectionsBetweenLooks = 256;
    while (!Done()) {
        const size_t last = std::min(m_next + SectionsBetweenLooks, m_index.m_sections.size());
        for (; m_next < last; ++m_next) m_index.FindInSection(m_next, m_needle, m_wholeWords, m_found);
        if (!Done() && budget != std::chrono::microseconds::max() &&
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start) >= budget)
            return false;
    }
    return true;
}

std::vector<FindIndex::Row> FindIndex::FindIn(const std::vector<size_t>& sections, std::string_view text,
                                              bool wholeWords) const {
    std::vector<Row> found;
    if (text.empty()) return found;
    const std::string needle = FoldCase(text);
    for (const size_t s : sections)
        if (s < m_sections.size()) FindInSection(s, needle, wholeWords, found);
    return found;
}

void FindIndex::FindInSection(size_t s, std::string_view needle, bool wholeWords, std::vector<Row>& found) const {
    const SectionText& section = m_sections[s];
    const std::string_view haystack = section.folded;
    size_t row = 0;
    size_t from = 0;
    while (from < haystack.size()) {
        const size_t at = haystack.find(needle, from);
        if (at == std::string_view::npos) break;
        while (section.rows[row].end < at) ++row;
        const RowText& hit = section.rows[row];
        if (Accepts(section, hit, at, needle.size(), wholeWords)) {
            found.push_back({static_cast<uint32_t>(s), static_cast<uint32_t>(row)});
            from = hit.end + 1;  // one hit per row
        } else {
            from = at + 1;
        }
    }
}

// A hit counts when it lies within one field (the code, the key or the value) of its row.
bool FindIndex::Accepts(const SectionText& section, const RowText& row, size_t at, size_t length,
                        bool wholeWords) const {
    if (at >= row.end || at == row.split) return false;
    const size_t fieldStart = at < row.split ? row.start : row.split + 1;
    const size_t fieldEnd = at < row.split ? row.split : row.end;
    if (at + length > fieldEnd) return false;
    if (!wholeWords) return true;
    const auto byteAt = [&section](size_t i) { return static_cast<unsigned char>(section.folded[i]); };
    return (at == fieldStart || !IsWordByte(byteAt(at - 1))) &&
           (at + length == fieldEnd || !IsWordByte(byteAt(at + length)));
}

std::string_view FindIndex::TextOf(const Row& row, uint32_t from, uint32_t to) const {
    return std::string_view(m_sections[row.section].text).substr(from, to - from);
}

LinePlace FindIndex::Place(Row row) const { return {row.section, RowOf(row).line}; }

std::string_view FindIndex::Category(Row row) const {
    const uint32_t category = m_sections[row.section].category;
    return category == NoCategory ? std::string_view() : std::string_view(m_categories[category]);
}

std::string_view FindIndex::Code(Row row) const {
    const RowText& code = m_sections[row.section].rows.front();
    return TextOf(row, code.start, code.end);
}

std::string_view FindIndex::Name(Row row) const {
    const uint32_t nameRow = m_sections[row.section].nameRow;
    return nameRow == NoRow ? std::string_view() : Value({row.section, nameRow});
}

std::string_view FindIndex::Key(Row row) const {
    return IsCodeRow(row) ? std::string_view() : TextOf(row, RowOf(row).start, RowOf(row).split);
}

std::string_view FindIndex::Value(Row row) const {
    return IsCodeRow(row) ? std::string_view() : TextOf(row, RowOf(row).split + 1, RowOf(row).end);
}

bool FindIndex::operator==(const FindIndex& other) const {
    return m_rowCount == other.m_rowCount && m_sections == other.m_sections && m_categories == other.m_categories;
}

}  // namespace velmora
