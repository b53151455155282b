// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class TMemIniFile;
class Workspace;

// What the find index reads of a workspace, copied in one quick pass: every section's name and
// lines as stored, and the entries each category lists. The copy owns all its texts, so an index
// can be made from it on another thread while the document goes on changing.
class FindSource {
public:
    struct Section {
        uint32_t nameStart;  // into the names
        uint32_t nameEnd;
        uint32_t firstLine;  // the number of its first line among all lines
        uint32_t lineCount;
    };
    struct Line {
        std::string_view raw;  // as the store holds it
        bool asRead;           // read from the file, so seen trimmed by lookups
    };

    explicit FindSource(const Workspace& workspace);
    FindSource(const FindSource&) = delete;
    FindSource& operator=(const FindSource&) = delete;

    bool CaseSensitive() const { return m_caseSensitive; }
    // The store the copy was made of, as an identity only: never read through it on another thread.
    const TMemIniFile* Origin() const { return m_origin; }
    const std::vector<Section>& Sections() const { return m_sections; }
    std::string_view NameOf(const Section& section) const {
        return std::string_view(m_names).substr(section.nameStart, section.nameEnd - section.nameStart);
    }
    // Line `line` of all lines, counted over the sections in order.
    Line LineAt(size_t line) const {
        const uint32_t start = m_lineStarts[line] & ~AsReadBit;
        const uint32_t end = m_lineStarts[line + 1] & ~AsReadBit;
        return {std::string_view(m_text).substr(start, end - start), (m_lineStarts[line] & AsReadBit) != 0};
    }
    // The category rows, and per row the codes its list names, in list order.
    const std::vector<std::string>& Categories() const { return m_categories; }
    const std::vector<std::vector<std::string>>& Members() const { return m_members; }

private:
    // A line's start in the text, with whether it was read from the file in the top bit: four
    // bytes a line, so that the copy of a big document is written quickly. One more entry ends the
    // last line.
    static constexpr uint32_t AsReadBit = uint32_t{1} << 31;

    const TMemIniFile* m_origin = nullptr;
    bool m_caseSensitive = false;
    std::string m_names;
    std::string m_text;
    std::vector<uint32_t> m_lineStarts;
    std::vector<Section> m_sections;
    std::vector<std::string> m_categories;
    std::vector<std::vector<std::string>> m_members;
};

}  // namespace velmora
