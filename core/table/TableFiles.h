// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/table/BalanceTable.h"
#include "core/table/TableEdits.h"

namespace velmora {

class Workspace;

// The columns asked for by name: the keys of the category's page `page`, or the columns `ids`
// ("Cost", "Primary:Damage"), or without either every key of the category's pages. Throws IniError
// for a page that is not the category's.
std::vector<TableColumn> ChosenColumns(const Workspace& workspace, const std::string& category,
                                       const std::optional<std::string>& page,
                                       const std::optional<std::vector<std::string>>& ids);

// The table's rows of `rowOrder` written to `fileName` as CSV, never leaving a half-written file.
void WriteTableFile(const BalanceTable& table, const std::vector<size_t>& rowOrder, const std::string& fileName);

// What importing the CSV file `fileName` into the category would change (PlanImport). Throws
// IniError when the file cannot be read or is refused.
TableImport ReadTableFile(const Workspace& workspace, const std::string& category, const std::string& fileName);

}  // namespace velmora
