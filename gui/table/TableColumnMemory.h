// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/table/BalanceTable.h"

class QSettings;

namespace velmora {

// What the user made of the balance table's columns, per page tab of the category: the columns
// chosen for the tab, in their order, and each column's width by its name, so a width survives a
// change of the columns around it. Kept for as long as the table lives, and in the program's
// settings, when there are any, for the next time.
class TableColumnMemory {
public:
    TableColumnMemory(QSettings* settings, std::string category);

    // The columns chosen for the page; none when the page shows its own keys. A name that is
    // no column (a settings file edited by hand) is left out.
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
    // What this table was told, by page; a page not here is read from the settings.
    std::map<std::string, std::optional<std::vector<TableColumn>>> m_chosen;
    std::map<std::string, std::map<std::string, int>> m_widths;
};

}  // namespace velmora
