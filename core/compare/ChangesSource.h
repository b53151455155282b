// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <vector>

#include "core/compare/DifferenceCategories.h"
#include "core/compare/LiveComparison.h"
#include "core/store/StoreTexts.h"

namespace velmora {

class IniStore;
class Workspace;

// What the Changes window's list is made from, copied on the thread that edits the stores: the
// document's and the reference's texts and the catalogue's lists. The comparison and its grouping
// by category are then worked out from the copy on a thread of its own. A sliced copy takes the
// lists a category at a time and the texts a few sections at a time (Continue), the stores
// unchanged meanwhile.
class ChangesSource {
public:
    ChangesSource(const Workspace& workspace, const IniStore& reference);
    ChangesSource(const Workspace& workspace, const IniStore& reference, StoreTexts::Sliced);
    ChangesSource(const ChangesSource&) = delete;
    ChangesSource& operator=(const ChangesSource&) = delete;

    struct Compared {
        ComparedCopies differences;
        std::unique_ptr<DifferenceCategories> categories;
        std::vector<DifferenceCategories::Group> groups;  // of the differences
    };
    // Copies at least `lines` more lines (a list's name counting as one): the catalogue's lists,
    // the reference's texts, then the document's; true once all is copied.
    bool Continue(size_t lines);

    // The differences of the copies, grouped by category. On one thread at a time, once copied.
    Compared Compare() const;

private:
    // What the lists are read from, until they are read.
    const Workspace& m_workspace;
    const IniStore& m_referenceStore;
    StoreTexts m_document;
    StoreTexts m_reference;
    DifferenceCategories::Lists m_lists;
    size_t m_listsRead = 0;
};

}  // namespace velmora
