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
    ChangesSource(const Workspace& workspace, const TMemIniFile& reference);
    ChangesSource(const ChangesSource&) = delete;
    ChangesSource& operator=(const ChangesSource&) = delete;

    struct Compared {
        ComparedCopies differences;
        std::unique_ptr<DifferenceCategories> categories;
        std::vector<DifferenceCategories::Group> groups;  // of the differences
    };
    // The differences of the copies, grouped by category. On one thread at a time.
    Compared Compare() const;

private:
    StoreTexts m_document;
    StoreTexts m_reference;
    DifferenceCategories::Lists m_lists;
};

}  // namespace velmora
