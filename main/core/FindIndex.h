// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "main/core/References.h"

namespace velmora {

class FindSource;
class Workspace;

// Letters (ASCII and Latin-1), digits and "_": what a whole word may not touch.
bool IsWordByte(unsigned char c);

// The search of the find window over a whole document: every section's code and every key line's
// key name and value (as the grid shows it, without the comment), found without regard to letter
// case. The index copies what it searches, with the entry's category and name, so one keystroke's
// search is one pass over a flat text; it is built once per document and stays as it was built
// when the document changes afterwards (build a new one then).
class FindIndex {
public:
    using Row = uint32_t;

    explicit FindIndex(const Workspace& workspace);
    // The index of a copy of the workspace, which may be made on any thread.
    explicit FindIndex(const FindSource& source);

    // The rows whose code, key name or value contains `text` (letter case ignored), in document
    // order. With `wholeWords`, only where the text has no letter, digit or "_" right before or
    // after it within the same field. No row for an empty text.
    std::vector<Row> Find(std::string_view text, bool wholeWords) const;

    size_t RowCount() const { return m_rows.size(); }
    // A row stands either for a section's code (the key and the value are empty) or for one of
    // its key lines.
    bool IsCodeRow(Row row) const { return m_rows[row].line == NoLine; }
    // The line of a key row; for a code row, the section with line 0.
    LinePlace Place(Row row) const;
    // The first category that lists the section's name, empty when none does.
    std::string_view Category(Row row) const;
    std::string_view Code(Row row) const;
    // The section's "Name" value, empty when it has none.
    std::string_view Name(Row row) const;
    std::string_view Key(Row row) const;
    std::string_view Value(Row row) const;

private:
    static constexpr uint32_t NoLine = UINT32_MAX;
    static constexpr uint32_t NoCategory = UINT32_MAX;

    // Offsets into m_text and m_folded, which hold the same bytes up to letter case: for a key row
    // "key\nvalue\n", for a code row "code\n". `split` is the "\n" after the key, or `end` for a
    // code row; `end` is the row's final "\n".
    struct RowText {
        uint32_t section;
        uint32_t line;
        uint32_t start;
        uint32_t split;
        uint32_t end;
    };
    struct SectionInfo {
        Row codeRow;
        Row nameRow;  // NoLine when the section has no "Name" key
        uint32_t category;
    };

    bool Accepts(const RowText& row, size_t at, size_t length, bool wholeWords) const;
    std::string_view TextOf(uint32_t from, uint32_t to) const;

    std::string m_text;
    std::string m_folded;
    std::vector<RowText> m_rows;
    std::vector<SectionInfo> m_sections;
    std::vector<std::string> m_categories;
};

}  // namespace velmora
