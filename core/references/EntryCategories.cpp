// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/EntryCategories.h"

#include <limits>

#include "core/store/IniError.h"

namespace velmora {

void EntryCategories::Add(std::string_view name, uint32_t row) {
    if (RowOf(name) != None) return;
    if (m_names.size() + name.size() >= std::numeric_limits<uint32_t>::max())
        throw IniError("The category lists are too large to search");
    m_names.append(name);
    m_ends.push_back(static_cast<uint32_t>(m_names.size()));
    m_rows.push_back(row);
    const auto entry = static_cast<uint32_t>(m_rows.size() - 1);
    const auto nameAt = [this](uint32_t e) { return NameAt(e); };
    if (m_caseSensitive)
        m_exact.Add(name, entry, nameAt);
    else
        m_folded.Add(name, entry, nameAt);
}

uint32_t EntryCategories::RowOf(std::string_view name) const {
    const auto nameAt = [this](uint32_t e) { return NameAt(e); };
    const uint32_t entry = m_caseSensitive ? m_exact.Find(name, nameAt) : m_folded.Find(name, nameAt);
    return entry == NameIndex<false>::kNone ? None : m_rows[entry];
}

void EntryCategories::ShrinkToFit() {
    m_names.shrink_to_fit();
    m_ends.shrink_to_fit();
    m_rows.shrink_to_fit();
}

std::string_view EntryCategories::NameAt(uint32_t entry) const {
    const uint32_t start = entry == 0 ? 0 : m_ends[entry - 1];
    return std::string_view(m_names).substr(start, m_ends[entry] - start);
}

}  // namespace velmora
