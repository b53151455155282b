// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/ChangesSource.h"

#include "core/catalogue/Workspace.h"

namespace velmora {

ChangesSource::ChangesSource(const Workspace& workspace, const TMemIniFile& reference,
                             std::shared_ptr<const StoreTexts> referenceCopy)
    : m_document(workspace.Doc().Store()),
      m_reference(referenceCopy && referenceCopy->Origin() == &reference ? std::move(referenceCopy)
                                                                           : std::make_shared<const StoreTexts>(reference)),
      m_lists(DifferenceCategories::ReadLists(workspace, reference)) {}

ChangesSource::Compared ChangesSource::Compare() const {
    Compared compared;
    compared.differences = CompareCopies(m_document, *m_reference, m_lists.caseSensitive);
    compared.categories = std::make_unique<DifferenceCategories>(m_lists);
    compared.groups = compared.categories->GroupsOf(compared.differences.differences);
    return compared;
}

}  // namespace velmora
