// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/FindSource.h"

#include <limits>

#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/IniStore.h"

namespace velmora {

FindSource::FindSource(const Workspace& workspace) : FindSource(workspace, StoreTexts::Sliced{}) {
    Continue(std::numeric_limits<size_t>::max());
}

FindSource::FindSource(const Workspace& workspace, StoreTexts::Sliced)
    : m_workspace(workspace),
      m_texts(workspace.Doc().Store(), StoreTexts::Sliced{}),
      m_caseSensitive(workspace.G().CaseSensitive),
      m_categories(workspace.CategoryRows()) {
    m_members.reserve(m_categories.size());
}

bool FindSource::Continue(size_t lines) {
    size_t read = 0;
    StringList entries;
    while (m_members.size() < m_categories.size() && read < lines) {
        const size_t row = m_members.size();
        m_workspace.GetReadSectionValuesOnly(m_workspace.CategoryKinds()[row], m_categories[row], entries);
        std::vector<std::string>& members = m_members.emplace_back();
        members.reserve(entries.Count());
        for (const StringItem& code : entries) members.push_back(code.text);
        read += 1 + members.size();
    }
    if (read >= lines) return false;
    return m_texts.Continue(lines - read);
}

}  // namespace velmora
