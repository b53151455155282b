// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
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

enum class TableFormat { Csv, Workbook };

// Whether this build reads and writes .xlsx workbooks: the Windows build lacks their libraries.
bool WorkbooksSupported();
// The format a file's name asks for: a workbook for ".xlsx" in any letter case, else CSV.
TableFormat FormatOfName(std::string_view fileName);

// The table's rows of `rowOrder` written to `fileName` as CSV (TableCsv) or as a workbook
// (TableXlsx), never leaving a half-written file. Throws IniError for a workbook in a build without
// them.
void WriteTableFile(const BalanceTable& table, const std::vector<size_t>& rowOrder, const std::string& fileName,
                    TableFormat format);

// What importing the table file `fileName` into the category would change (PlanImport): a
// workbook when the file is a zip archive, else CSV. Throws IniError when the file cannot be read
// or is refused, saying what it is when it is a spreadsheet's file of another kind.
TableImport ReadTableFile(const Workspace& workspace, const std::string& category, const std::string& fileName);

}  // namespace velmora
