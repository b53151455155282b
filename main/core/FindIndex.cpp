// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/core/FindIndex.h"

#include <limits>
#include <unordered_map>

#include "main/core/FindSource.h"
#include "main/core/Routines.h"
#include "main/core/Workspace.h"
#include "store/IniError.h"
#include "store/TextCase.h"
#include "store/mIniGue.h"

namespace velmora {
namespace {

constexpr char Separator = '\n';  // no stored line holds one, so no field does

}  // namespace

bool IsWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

FindIndex::FindIndex(const Workspace& workspace) : FindIndex(FindSource(workspace)) {}

FindIndex::FindIndex(const FindSource& source) {
    const bool caseSensitive = source.CaseSensitive();

    // Each name belongs to the first category that lists it, as the main window finds entries.
    m_categories = source.Categories();
    std::unordered_map<std::string, uint32_t> categoryOf;
    for (size_t row = 0; row < source.Members().size(); ++row)
        for (const std::string& code : source.Members()[row])
            categoryOf.try_emplace(NameKey(code, caseSensitive), static_cast<uint32_t>(row));

    auto offset = [this] {
        if (m_text.size() >= std::numeric_limits<uint32_t>::max()) throw IniError("The document is too large to search");
        return static_cast<uint32_t>(m_text.size());
    };
    m_sections.reserve(source.Sections().size());
    for (size_t s = 0; s < source.Sections().size(); ++s) {
        const FindSource::Section& section = source.Sections()[s];
        const auto sectionIndex = static_cast<uint32_t>(s);
        const auto category = categoryOf.find(NameKey(source.NameOf(section), caseSensitive));
        SectionInfo info{static_cast<Row>(m_rows.size()), NoLine,
                         category == categoryOf.end() ? NoCategory : category->second};

        const uint32_t codeStart = offset();
        m_text.append(source.NameOf(section));
        m_rows.push_back({sectionIndex, NoLine, codeStart, offset(), offset()});
        m_text += Separator;

        for (uint32_t l = 0; l < section.lineCount; ++l) {
            const FindSource::Line stored = source.LineAt(section.firstLine + l);
            // Seen as lookups see it: the key before the first "=", the value after it.
            const GueTStringList::Line line(stored.raw, stored.asRead, nullptr);
            std::string_view key;
            if (!line.KeyName(key)) continue;
            // The first "Name" key is the entry's name, as a lookup finds it.
            if (info.nameRow == NoLine && EqualsNoCase(key, "Name")) info.nameRow = static_cast<Row>(m_rows.size());
            const uint32_t start = offset();
            m_text.append(key);
            const uint32_t split = offset();
            m_text += Separator;
            m_text.append(TMemIniFile::StripCommentView(line.ValueText()));
            m_rows.push_back({sectionIndex, l, start, split, offset()});
            m_text += Separator;
        }
        m_sections.push_back(info);
    }
    m_folded = FoldCase(m_text);
}

std::vector<FindIndex::Row> FindIndex::Find(std::string_view text, bool wholeWords) const {
    std::vector<Row> found;
    if (text.empty()) return found;
    const std::string needle = FoldCase(text);
    const std::string_view haystack = m_folded;
    size_t row = 0;
    size_t from = 0;
    while (from < haystack.size()) {
        const size_t at = haystack.find(needle, from);
        if (at == std::string_view::npos) break;
        while (m_rows[row].end < at) ++row;
        if (Accepts(m_rows[row], at, needle.size(), wholeWords)) {
            found.push_back(static_cast<Row>(row));
            from = m_rows[row].end + 1;  // one hit per row
        } else {
            from = at + 1;
        }
    }
    return found;
}

// A hit counts when it lies within one field (the code, the key or the value) of its row.
bool FindIndex::Accepts(const RowText& row, size_t at, size_t length, bool wholeWords) const {
    if (at >= row.end || at == row.split) return false;
    const size_t fieldStart = at < row.split ? row.start : row.split + 1;
    const size_t fieldEnd = at < row.split ? row.split : row.end;
    if (at + length > fieldEnd) return false;
    if (!wholeWords) return true;
    const auto byteAt = [this](size_t i) { return static_cast<unsigned char>(m_folded[i]); };
    return (at == fieldStart || !IsWordByte(byteAt(at - 1))) &&
           (at + length == fieldEnd || !IsWordByte(byteAt(at + length)));
}

std::string_view FindIndex::TextOf(uint32_t from, uint32_t to) const {
    return std::string_view(m_text).substr(from, to - from);
}

LinePlace FindIndex::Place(Row row) const {
    const RowText& text = m_rows[row];
    return {text.section, IsCodeRow(row) ? 0 : text.line};
}

std::string_view FindIndex::Category(Row row) const {
    const uint32_t category = m_sections[m_rows[row].section].category;
    return category == NoCategory ? std::string_view() : std::string_view(m_categories[category]);
}

std::string_view FindIndex::Code(Row row) const {
    const RowText& code = m_rows[m_sections[m_rows[row].section].codeRow];
    return TextOf(code.start, code.end);
}

std::string_view FindIndex::Name(Row row) const {
    const Row nameRow = m_sections[m_rows[row].section].nameRow;
    return nameRow == NoLine ? std::string_view() : Value(nameRow);
}

std::string_view FindIndex::Key(Row row) const {
    return IsCodeRow(row) ? std::string_view() : TextOf(m_rows[row].start, m_rows[row].split);
}

std::string_view FindIndex::Value(Row row) const {
    return IsCodeRow(row) ? std::string_view() : TextOf(m_rows[row].split + 1, m_rows[row].end);
}

}  // namespace velmora
