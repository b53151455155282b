// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/NameIndex.h"

namespace velmora {

// The first category row that lists each entry, as the main window finds entries: for the find
// index to show beside the entry's rows, and for the Changes window to group differences by. A document lists tens of thousands of entries: their names
// are kept in one text and found through a table of small slots, not a string and a node apiece.
class EntryCategories {
public:
    static constexpr uint32_t None = UINT32_MAX;

    explicit EntryCategories(bool caseSensitive) : m_caseSensitive(caseSensitive) {}

    // Lists `name` under category row `row`, unless an earlier row lists it already.
    void Add(std::string_view name, uint32_t row);
    // The row that lists `name` first; None when none does.
    uint32_t RowOf(std::string_view name) const;
    // Gives back what the growth left beyond the names held.
    void ShrinkToFit();

private:
    std::string_view NameAt(uint32_t entry) const;

    bool m_caseSensitive;
    std::string m_names;
    std::vector<uint32_t> m_ends;  // of each entry's name in m_names
    std::vector<uint32_t> m_rows;  // each entry's category row
    // The entries by name, as letter case counts or not.
    NameIndex<false> m_exact;
    NameIndex<true> m_folded;
};

}  // namespace velmora
