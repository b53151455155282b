// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/FindSource.h"

#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/mIniGue.h"

namespace velmora {

FindSource::FindSource(const Workspace& workspace)
    : m_texts(workspace.Doc().Store()), m_caseSensitive(workspace.G().CaseSensitive) {
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
