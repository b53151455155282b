// SPDX-License-Identifier: GPL-3.0-or-later
#include "main/core/FindSource.h"

#include <algorithm>
#include <limits>

#include "main/core/Workspace.h"
#include "store/IniError.h"
#include "store/StringList.h"
#include "store/mIniGue.h"

namespace velmora {

namespace {

// Texts are copied into blocks of this size at least, so that a big document costs a few
// allocations rather than one per line.
constexpr size_t BlockSize = size_t{1} << 20;

}  // namespace

FindSource::FindSource(const Workspace& workspace) : m_caseSensitive(workspace.G().CaseSensitive) {
    const TMemIniFile& document = *workspace.DocumentIni;
    auto copy = [this](std::string_view text) {
        if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < text.size()) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(std::max(BlockSize, text.size()));
        }
        std::string& block = m_blocks.back();
        const size_t at = block.size();
        block.append(text);  // within the reserved room: earlier views stay valid
        return std::string_view(block).substr(at, text.size());
    };

    m_sections.reserve(document.SectionCount());
    for (size_t s = 0; s < document.SectionCount(); ++s) {
        const GueTStringList& section = document.SectionAt(s);
        if (m_lines.size() + section.Count() >= std::numeric_limits<uint32_t>::max())
            throw IniError("The document is too large to search");
        m_sections.push_back({copy(section.Name()), static_cast<uint32_t>(m_lines.size()),
                              static_cast<uint32_t>(section.Count())});
        for (size_t l = 0; l < section.Count(); ++l) {
            const GueTStringList::Line& line = section.LineAt(l);
            m_lines.push_back({copy(line.Raw()), line.IsAsRead()});
        }
    }

    m_categories = workspace.CategoryRows;
    m_members.resize(m_categories.size());
    TStringList entries;
    for (size_t row = 0; row < m_categories.size(); ++row) {
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds[row], m_categories[row], entries);
        m_members[row].reserve(entries.Count());
        for (const StringItem& code : entries) m_members[row].push_back(code.text);
    }
}

}  // namespace velmora
