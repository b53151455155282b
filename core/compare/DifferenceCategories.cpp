// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/DifferenceCategories.h"

#include <algorithm>

#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

void Append(const StringList& names, std::string& to) {
    for (const StringItem& name : names) to.append(name.text).push_back('\n');
}

size_t CountNames(std::string_view names) {
    return static_cast<size_t>(std::count(names.begin(), names.end(), '\n'));
}

}  // namespace

DifferenceCategories::Lists DifferenceCategories::ReadLists(const Workspace& workspace,
                                                            const IniStore& reference) {
    Lists lists;
    StartLists(workspace, lists);
    for (size_t row = 0; row < lists.rows.size(); ++row) ReadListRow(workspace, reference, row, lists);
    return lists;
}

void DifferenceCategories::StartLists(const Workspace& workspace, Lists& lists) {
    lists.caseSensitive = workspace.G().CaseSensitive;
    lists.rows = workspace.CategoryRows();
    lists.entries.assign(lists.rows.size(), {});
    lists.named.assign(lists.rows.size(), {});
}

size_t DifferenceCategories::ReadListRow(const Workspace& workspace, const IniStore& reference, size_t row,
                                         Lists& lists) {
    StringList names;
    workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[row], lists.rows[row], names);
    Append(names, lists.entries[row]);
    // What the document lacks is named only by the lists that outlive it.
    workspace.GetListValues(lists.rows[row], names);
    Append(names, lists.named[row]);
    if (workspace.CategoryKinds()[row] == 0) {
        reference.ReadSectionValuesOnly(lists.rows[row], names);
        Append(names, lists.named[row]);
    }
    return CountNames(lists.entries[row]) + CountNames(lists.named[row]);
}

DifferenceCategories::DifferenceCategories(const Workspace& workspace, const IniStore& reference)
    : DifferenceCategories(ReadLists(workspace, reference)) {}

DifferenceCategories::DifferenceCategories(const Lists& lists)
    : m_rows(lists.rows), m_rowOfSection(lists.caseSensitive) {
    const size_t categories = m_rows.size();
    m_unknownRow = categories;
    for (size_t row = 0; row < categories; ++row)
        if (m_rows[row] == Workspace::UnknownCategory) m_unknownRow = row;
    if (m_unknownRow == categories) m_rows.emplace_back(Workspace::UnknownCategory);

    for (size_t row = 0; row < categories; ++row) ClaimAll(lists.entries[row], row);
    for (size_t row = 0; row < categories; ++row) m_rowOfSection.Add(m_rows[row], static_cast<uint32_t>(row));
    for (size_t row = 0; row < categories; ++row) ClaimAll(lists.named[row], row);
    m_rowOfSection.ShrinkToFit();
}

void DifferenceCategories::ClaimAll(std::string_view names, size_t row) {
    for (size_t start = 0, end = 0; (end = names.find('\n', start)) != std::string_view::npos; start = end + 1)
        m_rowOfSection.Add(names.substr(start, end - start), static_cast<uint32_t>(row));
}

size_t DifferenceCategories::RowOf(std::string_view section) const {
    const uint32_t row = m_rowOfSection.RowOf(section);
    return row == EntryCategories::None ? m_unknownRow : row;
}

const std::string& DifferenceCategories::CategoryOf(std::string_view section) const { return m_rows[RowOf(section)]; }

std::vector<DifferenceCategories::Group> DifferenceCategories::GroupsOf(const std::vector<Difference>& differences) const {
    // Counted first, so that each group's rows take their exact size.
    std::vector<uint32_t> categoryOf(differences.size());
    std::vector<size_t> counts(m_rows.size(), 0);
    for (size_t i = 0; i < differences.size(); ++i) ++counts[categoryOf[i] = static_cast<uint32_t>(RowOf(differences[i].Section()))];
    std::vector<std::vector<size_t>> rowsOfCategory(m_rows.size());
    for (size_t row = 0; row < m_rows.size(); ++row) rowsOfCategory[row].reserve(counts[row]);
    for (size_t i = 0; i < differences.size(); ++i) rowsOfCategory[categoryOf[i]].push_back(i);
    std::vector<Group> groups;
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (!rowsOfCategory[row].empty()) groups.push_back({m_rows[row], std::move(rowsOfCategory[row])});
    return groups;
}

void DifferenceCategories::FollowGroups(std::vector<Group>& groups, const std::vector<Difference>& differences,
                                        const std::vector<ChangedRows>& changed) const {
    // Each stretch in the list before the update: the rows it removed, [oldFirst, oldEnd).
    struct Stretch {
        size_t oldFirst;
        size_t oldEnd;
        long shift;  // of the rows after it, this stretch's and those before it together
    };
    std::vector<Stretch> stretches;
    long shift = 0;
    for (const ChangedRows& stretch : changed) {
        const auto oldFirst = static_cast<size_t>(static_cast<long>(stretch.First) - shift);
        shift += static_cast<long>(stretch.Inserted) - static_cast<long>(stretch.Removed);
        stretches.push_back({oldFirst, oldFirst + stretch.Removed, shift});
    }

    // The rows that stay, moved to where they now stand, by category row.
    std::vector<std::vector<size_t>> rowsOfCategory(m_rows.size());
    size_t row = 0;
    for (Group& group : groups) {
        while (row < m_rows.size() && m_rows[row] != group.Category) ++row;
        if (row == m_rows.size()) {
            // Not a group of these categories: sorted again whole.
            groups = GroupsOf(differences);
            return;
        }
        std::vector<size_t>& kept = rowsOfCategory[row];
        kept.reserve(group.Rows.size());
        size_t s = 0;
        long before = 0;
        for (const size_t position : group.Rows) {
            // The stretches wholly before the row (one that only inserted, at or before it) move it.
            for (; s < stretches.size() && stretches[s].oldEnd <= position; ++s) before = stretches[s].shift;
            if (s < stretches.size() && stretches[s].oldFirst <= position) continue;  // removed
            kept.push_back(static_cast<size_t>(static_cast<long>(position) + before));
        }
        ++row;
    }
    // The new rows, sorted into their categories and merged in among the rows kept.
    std::vector<std::vector<size_t>> added(m_rows.size());
    for (const ChangedRows& stretch : changed)
        for (size_t position = stretch.First; position < stretch.First + stretch.Inserted; ++position)
            added[RowOf(differences[position].Section())].push_back(position);
    for (size_t r = 0; r < m_rows.size(); ++r) {
        if (added[r].empty()) continue;
        std::vector<size_t>& rows = rowsOfCategory[r];
        const auto middle = static_cast<long>(rows.size());
        rows.insert(rows.end(), added[r].begin(), added[r].end());
        std::inplace_merge(rows.begin(), rows.begin() + middle, rows.end());
    }
    groups.clear();
    for (size_t r = 0; r < m_rows.size(); ++r)
        if (!rowsOfCategory[r].empty()) groups.push_back({m_rows[r], std::move(rowsOfCategory[r])});
}

}  // namespace velmora
