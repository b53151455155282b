// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <vector>

#include "core/compare/DifferenceCategories.h"
#include "core/compare/LiveComparison.h"
#include "core/store/StoreTexts.h"

namespace velmora {

class TMemIniFile;
class Workspace;

// What the Changes window's list is made from, copied in one quick pass on the thread that edits
// the stores: the document's and the reference's texts and the catalogue's lists. The comparison
// and its grouping by category are then worked out from the copy on a thread of its own.
class ChangesSource {
public:
    // `referenceCopy`, when it is a copy of `reference` (which is never edited), is taken instead
    // of another.
    ChangesSource(const Workspace& workspace, const TMemIniFile& reference,
                  std::shared_ptr<const StoreTexts> referenceCopy = nullptr);
    ChangesSource(const ChangesSource&) = delete;
    ChangesSource& operator=(const ChangesSource&) = delete;

    struct Compared {
        ComparedCopies differences;
        std::unique_ptr<DifferenceCategories> categories;
        std::vector<DifferenceCategories::Group> groups;  // of the differences
    };
    // The differences of the copies, grouped by category. On one thread at a time.
    Compared Compare() const;
    const std::shared_ptr<const StoreTexts>& ReferenceCopy() const { return m_reference; }

private:
    StoreTexts m_document;
    std::shared_ptr<const StoreTexts> m_reference;
    DifferenceCategories::Lists m_lists;
};

}  // namespace velmora
