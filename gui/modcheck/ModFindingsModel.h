// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>

namespace velmora {

struct ModCheckResult;
struct ModFinding;

// The rows of Check the Mod: one finding a row, its severity, file, line, entry, key, value and
// reason. It reads the findings where the core's live check keeps them and holds none of its own;
// Show() is called whenever the check has judged afresh.
class ModFindingsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { SeverityColumn, FileColumn, LineColumn, EntryColumn, KeyColumn, ValueColumn, ReasonColumn, Columns };

    using QAbstractTableModel::QAbstractTableModel;

    // The findings to show from now on; none for an empty list.
    void Show(const ModCheckResult* result);
    // The finding of `row`; null for a row it does not hold.
    const ModFinding* FindingAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const ModCheckResult* m_result = nullptr;
    int m_rows = 0;  // as of the last Show: the view was told of no other count
};

}  // namespace velmora
