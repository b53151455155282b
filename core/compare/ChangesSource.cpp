// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/ChangesSource.h"

#include <limits>

#include "core/catalogue/Workspace.h"

namespace velmora {

ChangesSource::ChangesSource(const Workspace& workspace, const IniStore& reference)
    : ChangesSource(workspace, reference, StoreTexts::Sliced{}) {
    Continue(std::numeric_limits<size_t>::max());
}

ChangesSource::ChangesSource(const Workspace& workspace, const IniStore& reference, StoreTexts::Sliced)
    : m_workspace(workspace),
      m_referenceStore(reference),
      m_document(workspace.Doc().Store(), StoreTexts::Sliced{}),
      m_reference(reference, StoreTexts::Sliced{}) {
    DifferenceCategories::StartLists(workspace, m_lists);
}

bool ChangesSource::Continue(size_t lines) {
    size_t read = 0;
    while (m_listsRead < m_lists.rows.size() && read < lines)
        read += 1 + DifferenceCategories::ReadListRow(m_workspace, m_referenceStore, m_listsRead++, m_lists);
    if (read >= lines) return false;
    // The reference done within the budget, the document goes on with what is left of it.
    if (!m_reference.Done() && !m_reference.Continue(lines - read)) return false;
    return m_document.Continue(lines - read);
}

ChangesSource::Compared ChangesSource::Compare() const {
    Compared compared;
    compared.differences = CompareCopies(m_document, m_reference, m_lists.caseSensitive);
    compared.categories = std::make_unique<DifferenceCategories>(m_lists);
    compared.groups = compared.categories->GroupsOf(compared.differences.differences);
    return compared;
}

}  // namespace velmora
