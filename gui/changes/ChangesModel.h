// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractItemModel>
#include <optional>
#include <string>
#include <vector>

#include "core/compare/Comparison.h"
#include "core/compare/DifferenceCategories.h"

namespace velmora {

// The rows of the Changes window: a row per category group, captioned with its count, and under
// it a row per difference that passes the filter. A group's rows are handed to the view only when
// it is first expanded (canFetchMore/fetchMore), and a row's texts are made only when it is drawn,
// so a comparison of 80,000 differences costs its groups, not its rows, until they are looked at.
class ChangesModel : public QAbstractItemModel {
    Q_OBJECT

public:
    using QAbstractItemModel::QAbstractItemModel;

    // Shows the groups of `differences` whose rows pass `filter` (see ChangeRowPasses); both
    // vectors must stay unchanged until the next Show. Null for an empty list.
    void Show(const std::vector<Difference>* differences, const std::vector<DifferenceCategories::Group>* groups,
              const std::string& filter);

    // The rows shown, in all groups, fetched or not.
    size_t ShownCount() const { return m_shownCount; }
    // The position in the groups given to Show of the group a row belongs to (or is).
    size_t GroupOf(const QModelIndex& index) const;
    // The position in the differences of a difference row; none for a group row.
    std::optional<size_t> DifferenceOf(const QModelIndex& index) const;
    // The differences a shown group stands for, in list order: all that pass the filter.
    const std::vector<size_t>& RowsOfGroup(int shownGroup) const;
    // Where the difference stands now, its group fetched first; invalid when it is not shown.
    QModelIndex IndexOfDifference(size_t difference);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct ShownGroup {
        size_t group;
        // The positions in the differences of the rows that pass the filter; without a filter,
        // the group's own rows are shown and not copied.
        std::vector<size_t> filtered;
        bool all = false;
        bool fetched = false;
    };
    // A difference row's internal id is its shown group's position plus one; a group row's is 0.
    static constexpr quintptr GroupRowId = 0;

    const ShownGroup* GroupAt(const QModelIndex& index) const;
    const std::vector<size_t>& RowsOf(const ShownGroup& shown) const {
        return shown.all ? (*m_groups)[shown.group].Rows : shown.filtered;
    }

    const std::vector<Difference>* m_differences = nullptr;
    const std::vector<DifferenceCategories::Group>* m_groups = nullptr;
    std::vector<ShownGroup> m_shown;
    size_t m_shownCount = 0;
};

}  // namespace velmora
