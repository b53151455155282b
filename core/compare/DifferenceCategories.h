// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/compare/Comparison.h"
#include "core/compare/LiveComparison.h"
#include "core/references/EntryCategories.h"

namespace velmora {

class IniStore;
class Workspace;

// The catalogue's category of each section a difference names, by which the Changes window groups
// its rows: the first category, in row order, that lists the section as an entry; else the
// category whose list section it is; else, for a section the document lacks, the first category
// whose list names it in the definition file or, for a category of kind 0, in the reference's own
// list; else "Unknown!".
class DifferenceCategories {
public:
    // What the categories are worked out from, read from the workspace as it stands on the thread
    // that edits it; the working out can then run anywhere.
    struct Lists {
        bool caseSensitive = false;
        std::vector<std::string> rows;  // the category rows
        // Per row, the entries it lists, each followed by a line end (which no name holds): tens of
        // thousands of names in a big document, a few texts instead of a string apiece.
        std::vector<std::string> entries;
        // Per row, the names its list gives in the definition file and, for kind 0, the
        // reference's, as `entries` holds them.
        std::vector<std::string> named;
    };
    // `reference` is the store compared against.
    static Lists ReadLists(const Workspace& workspace, const IniStore& reference);
    // The lists with their rows named and none read yet: each is read by ReadListRow.
    static void StartLists(const Workspace& workspace, Lists& lists);
    // Reads category row `row`; gives the number of names read.
    static size_t ReadListRow(const Workspace& workspace, const IniStore& reference, size_t row,
                              Lists& lists);

    explicit DifferenceCategories(const Lists& lists);
    // Reads the workspace's catalogue as it stands.
    DifferenceCategories(const Workspace& workspace, const IniStore& reference);

    const std::string& CategoryOf(std::string_view section) const;

    // One group of rows: the category and the positions in `differences` of its rows, in order.
    struct Group {
        std::string Category;
        std::vector<size_t> Rows;
        bool operator==(const Group&) const = default;
    };
    // The differences grouped by category, the groups in the order of the category rows; a category
    // without differences has no group.
    std::vector<Group> GroupsOf(const std::vector<Difference>& differences) const;
    // `groups`, the groups of a list before an update replaced the stretches `changed` of it (as
    // LiveComparison::Update gives them), become the groups of the list now, `differences`: only
    // the new rows are sorted into categories, the others keep theirs.
    void FollowGroups(std::vector<Group>& groups, const std::vector<Difference>& differences,
                      const std::vector<ChangedRows>& changed) const;

private:
    // Claims each name of `names` (as Lists holds them) for `row`.
    void ClaimAll(std::string_view names, size_t row);
    size_t RowOf(std::string_view section) const;

    std::vector<std::string> m_rows;
    size_t m_unknownRow = 0;
    EntryCategories m_rowOfSection;  // the first row to claim each name
};

}  // namespace velmora
