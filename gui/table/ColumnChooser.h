// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <vector>

#include "core/table/BalanceTable.h"

class QListWidget;
class QListWidgetItem;
class QTreeWidget;

namespace velmora {

// The balance table's column chooser: the keys of the category on the left, each key that names
// entries with the keys it can follow beneath it ("Primary › Damage"), the columns shown on the
// right in their order. Add, Remove, Up and Down change the columns shown; Page's Keys brings back
// the page's own. Code and Name always stay, so they are not offered.
class ColumnChooser final : public QDialog {
    Q_OBJECT

public:
    ColumnChooser(const std::vector<TableColumn>& choosable, const std::vector<TableColumn>& shown,
                  std::vector<TableColumn> pageColumns, QWidget* parent);

    // The columns shown, in order, as the user left them.
    std::vector<TableColumn> Shown() const;

private:
    void AddSelected();
    void RemoveSelected();
    void MoveSelected(int step);
    void ShowColumns(const std::vector<TableColumn>& columns);
    // The item of the column added; none when it is shown already or always.
    QListWidgetItem* AddColumn(const TableColumn& column);

    std::vector<TableColumn> m_pageColumns;
    QTreeWidget* m_keys;    // owned through its Qt parent, as are the other controls
    QListWidget* m_shown;
};

}  // namespace velmora
