// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/DifferenceCategories.h"

#include "core/catalogue/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/mIniGue.h"

namespace velmora {

namespace {

void Append(const TStringList& names, std::vector<std::string>& to) {
    for (const StringItem& name : names) to.push_back(name.text);
}

}  // namespace

DifferenceCategories::Lists DifferenceCategories::ReadLists(const Workspace& workspace, const TMemIniFile& reference) {
    Lists lists;
    lists.caseSensitive = workspace.G().CaseSensitive;
    lists.rows = workspace.CategoryRows;
    const size_t categories = lists.rows.size();
    lists.entries.resize(categories);
    lists.named.resize(categories);
    TStringList names;
    for (size_t row = 0; row < categories; ++row) {
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds[row], lists.rows[row], names);
        Append(names, lists.entries[row]);
        // What the document lacks is named only by the lists that outlive it.
        workspace.GetListValues(lists.rows[row], names);
        Append(names, lists.named[row]);
        if (workspace.CategoryKinds[row] != 0) continue;
        reference.ReadSectionValuesOnly(lists.rows[row], names);
        Append(names, lists.named[row]);
    }
    return lists;
}

DifferenceCategories::DifferenceCategories(const Workspace& workspace, const TMemIniFile& reference)
    : DifferenceCategories(ReadLists(workspace, reference)) {}

DifferenceCategories::DifferenceCategories(const Lists& lists) : m_caseSensitive(lists.caseSensitive), m_rows(lists.rows) {
    const size_t categories = m_rows.size();
    m_unknownRow = categories;
    for (size_t row = 0; row < categories; ++row)
        if (m_rows[row] == Workspace::UnknownCategory) m_unknownRow = row;
    if (m_unknownRow == categories) m_rows.emplace_back(Workspace::UnknownCategory);

    for (size_t row = 0; row < categories; ++row)
        for (const std::string& name : lists.entries[row]) Claim(name, row);
    for (size_t row = 0; row < categories; ++row) Claim(m_rows[row], row);
    for (size_t row = 0; row < categories; ++row)
        for (const std::string& name : lists.named[row]) Claim(name, row);
}

std::string DifferenceCategories::KeyOf(std::string_view section) const {
    return m_caseSensitive ? std::string(section) : FoldCase(section);
}

void DifferenceCategories::Claim(std::string_view section, size_t row) { m_rowOfSection.try_emplace(KeyOf(section), row); }

size_t DifferenceCategories::RowOf(std::string_view section) const {
    const auto found = m_rowOfSection.find(KeyOf(section));
    return found == m_rowOfSection.end() ? m_unknownRow : found->second;
}

const std::string& DifferenceCategories::CategoryOf(std::string_view section) const { return m_rows[RowOf(section)]; }

std::vector<DifferenceCategories::Group> DifferenceCategories::GroupsOf(const std::vector<Difference>& differences) const {
    std::vector<std::vector<size_t>> rowsOfCategory(m_rows.size());
    for (size_t i = 0; i < differences.size(); ++i) rowsOfCategory[RowOf(differences[i].Section)].push_back(i);
    std::vector<Group> groups;
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (!rowsOfCategory[row].empty()) groups.push_back({m_rows[row], std::move(rowsOfCategory[row])});
    return groups;
}

}  // namespace velmora
