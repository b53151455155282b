// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "core/table/BalanceTable.h"

class QSettings;

namespace velmora {

// What the user made of the balance table's columns, kept in the program's settings per category
// and page tab: the columns chosen for the tab, in their order, and each column's width by its
// name, so a width survives a change of the columns around it. Without settings nothing is kept.
class TableColumnMemory {
public:
    TableColumnMemory(QSettings* settings, std::string category);

    // The columns chosen for the page; none when the page shows its own keys. A name that is
    // no column any more (an edited settings file) is left out.
    std::optional<std::vector<TableColumn>> Chosen(const std::string& page) const;
    // None: the page shows its own keys again.
    void SetChosen(const std::string& page, const std::optional<std::vector<TableColumn>>& columns);

    // The width the user gave the column on the page; none when the user gave none.
    std::optional<int> Width(const std::string& page, const TableColumn& column) const;
    void SetWidth(const std::string& page, const TableColumn& column, int width);

private:
    QString Key(const std::string& page, const char* what) const;

    QSettings* m_settings;
    std::string m_category;
};

}  // namespace velmora
