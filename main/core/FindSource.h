// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class Workspace;

// What the find index reads of a workspace, copied in one quick pass: every section's name and
// lines as stored, and the entries each category lists. The copy owns all its texts, so an index
// can be made from it on another thread while the document goes on changing.
class FindSource {
public:
    struct Section {
        std::string_view name;
        uint32_t firstLine;  // into Lines()
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
    const std::vector<Section>& Sections() const { return m_sections; }
    const std::vector<Line>& Lines() const { return m_lines; }
    // The category rows, and per row the codes its list names, in list order.
    const std::vector<std::string>& Categories() const { return m_categories; }
    const std::vector<std::vector<std::string>>& Members() const { return m_members; }

private:
    bool m_caseSensitive = false;
    // Blocks of copied text; the texts below are views into them, and a deque never moves a block.
    std::deque<std::string> m_blocks;
    std::vector<Section> m_sections;
    std::vector<Line> m_lines;
    std::vector<std::string> m_categories;
    std::vector<std::vector<std::string>> m_members;
};

}  // namespace velmora
