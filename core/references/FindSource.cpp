// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/FindSource.h"

#include "core/catalogue/Workspace.h"
#include "core/store/IniError.h"
#include "core/store/StringList.h"
#include "core/store/mIniGue.h"

namespace velmora {

FindSource::FindSource(const Workspace& workspace)
    : m_origin(workspace.Doc().StoreOrNull(StoreOf::Document)), m_caseSensitive(workspace.G().CaseSensitive) {
    const TMemIniFile& document = workspace.Doc().Store();
    auto offset = [](const std::string& text) {
        if (text.size() >= AsReadBit) throw IniError("The document is too large to search");
        return static_cast<uint32_t>(text.size());
    };
    m_sections.reserve(document.SectionCount());
    for (size_t s = 0; s < document.SectionCount(); ++s) {
        const GueTStringList& section = document.SectionAt(s);
        const uint32_t nameStart = offset(m_names);
        m_names.append(section.Name());
        m_sections.push_back({nameStart, offset(m_names), static_cast<uint32_t>(m_lineStarts.size()),
                              static_cast<uint32_t>(section.Count())});
        for (size_t l = 0; l < section.Count(); ++l) {
            const GueTStringList::Line& line = section.LineAt(l);
            m_lineStarts.push_back(offset(m_text) | (line.IsAsRead() ? AsReadBit : 0));
            m_text.append(line.Raw());
        }
    }
    m_lineStarts.push_back(offset(m_text));

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
