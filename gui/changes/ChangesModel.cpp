// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/changes/ChangesModel.h"

#include "core/compare/ChangeRows.h"
#include "gui/widgets/CutTextTips.h"
#include "gui/widgets/QtText.h"

namespace velmora {

void ChangesModel::Show(const std::vector<Difference>* differences,
                        const std::vector<DifferenceCategories::Group>* groups, const std::string& filter) {
    beginResetModel();
    m_differences = groups ? differences : nullptr;
    m_groups = differences ? groups : nullptr;
    m_shown.clear();
    m_shownCount = 0;
    if (m_groups) {
        for (size_t g = 0; g < m_groups->size(); ++g) {
            ShownGroup shown{g, {}, filter.empty()};
            if (!shown.all)
                for (const size_t row : (*m_groups)[g].Rows)
                    if (ChangeRowPasses((*m_differences)[row], filter)) shown.filtered.push_back(row);
            const size_t rows = RowsOf(shown).size();
            if (rows == 0) continue;
            m_shownCount += rows;
            m_shown.push_back(std::move(shown));
        }
    }
    endResetModel();
}

const ChangesModel::ShownGroup* ChangesModel::GroupAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return nullptr;
    const size_t shown = index.internalId() == GroupRowId ? static_cast<size_t>(index.row()) : index.internalId() - 1;
    return shown < m_shown.size() ? &m_shown[shown] : nullptr;
}

size_t ChangesModel::GroupOf(const QModelIndex& index) const {
    const ShownGroup* group = GroupAt(index);
    return group ? group->group : SIZE_MAX;
}

std::optional<size_t> ChangesModel::DifferenceOf(const QModelIndex& index) const {
    const ShownGroup* group = GroupAt(index);
    if (!group || index.internalId() == GroupRowId || static_cast<size_t>(index.row()) >= RowsOf(*group).size())
        return std::nullopt;
    return RowsOf(*group)[static_cast<size_t>(index.row())];
}

const std::vector<size_t>& ChangesModel::RowsOfGroup(int shownGroup) const {
    return RowsOf(m_shown.at(static_cast<size_t>(shownGroup)));
}

QModelIndex ChangesModel::IndexOfDifference(size_t difference) {
    for (size_t g = 0; g < m_shown.size(); ++g) {
        const std::vector<size_t>& rows = RowsOf(m_shown[g]);
        for (size_t r = 0; r < rows.size(); ++r) {
            if (rows[r] != difference) continue;
            const QModelIndex group = index(static_cast<int>(g), 0);
            if (canFetchMore(group)) fetchMore(group);
            return index(static_cast<int>(r), 0, group);
        }
    }
    return {};
}

QModelIndex ChangesModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= ChangeColumnCount) return {};
    if (!parent.isValid())
        return static_cast<size_t>(row) < m_shown.size() ? createIndex(row, column, GroupRowId) : QModelIndex();
    if (parent.internalId() != GroupRowId || row >= rowCount(parent)) return {};
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex ChangesModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == GroupRowId) return {};
    return createIndex(static_cast<int>(child.internalId() - 1), 0, GroupRowId);
}

int ChangesModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(m_shown.size());
    if (parent.internalId() != GroupRowId || parent.column() != 0) return 0;
    const ShownGroup* group = GroupAt(parent);
    return group && group->fetched ? static_cast<int>(RowsOf(*group).size()) : 0;
}

int ChangesModel::columnCount(const QModelIndex& /*parent*/) const {
    return ChangeColumnCount;
}

bool ChangesModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) return !m_shown.empty();
    return parent.internalId() == GroupRowId && parent.column() == 0;  // a shown group has rows
}

bool ChangesModel::canFetchMore(const QModelIndex& parent) const {
    const ShownGroup* group = parent.isValid() && parent.internalId() == GroupRowId ? GroupAt(parent) : nullptr;
    return group && !group->fetched;
}

void ChangesModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    ShownGroup& group = m_shown[static_cast<size_t>(parent.row())];
    const QModelIndex first = index(parent.row(), 0);
    beginInsertRows(first, 0, static_cast<int>(RowsOf(group).size()) - 1);
    group.fetched = true;
    endInsertRows();
}

QVariant ChangesModel::data(const QModelIndex& index, int role) const {
    const ShownGroup* group = GroupAt(index);
    if (!group || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    if (index.internalId() == GroupRowId) {
        if (index.column() != EntryColumn || role != Qt::DisplayRole) return {};
        const DifferenceCategories::Group& all = (*m_groups)[group->group];
        std::string count = std::to_string(RowsOf(*group).size());
        if (RowsOf(*group).size() != all.Rows.size()) count += " of " + std::to_string(all.Rows.size());
        return ToQString(all.Category + " (" + count + ")");
    }
    const std::optional<size_t> position = DifferenceOf(index);
    if (!position) return {};
    const Difference& difference = (*m_differences)[*position];
    if (role == Qt::ToolTipRole)
        return index.column() == EntryColumn ? PlainToolTip(ToQString(DifferenceText(difference))) : QVariant();
    return ToQString(ChangeRowTexts(difference)[static_cast<size_t>(index.column())]);
}

QVariant ChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const Headers[ChangeColumnCount] = {"Entry", "Key", "Reference", "Document"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ChangeColumnCount)
        return {};
    return QString::fromLatin1(Headers[section]);
}

}  // namespace velmora
