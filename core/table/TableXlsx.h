// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class BalanceTable;

// The balance table as an .xlsx workbook and back. Built only where the workbook libraries are
// (WorkbooksSupported in TableFiles.h says whether); the table files reach it through TableFiles.

// The rows of `rowOrder` as a workbook of one sheet: the header "Code, Name, key…" and one row per
// entry, the header and the codes kept in view. A plain number (IsPlainNumber) is stored as a
// number, every other value as text, so that no spreadsheet reads it as anything else. Throws
// IniError for a value longer than a cell holds and a table larger than a sheet.
std::string TableXlsx(const BalanceTable& table, const std::vector<size_t>& rowOrder);

// The rows of the workbook's first sheet as ReadCsv gives a CSV file's records: its first row with
// a value is the header, rows without values are skipped, each value is Latin-1 bytes. A number is
// written as a spreadsheet shows it (15 significant digits, no exponent), a yes/no cell as TRUE or
// FALSE, a formula as its result. Reads at most a bounded size of each part. Throws IniError saying
// what is wrong with a file that is no workbook, a damaged or oversized one, malformed XML, a
// character outside Latin-1 and a value right of the header's last column.
std::vector<std::vector<std::string>> ReadXlsx(std::string_view file);

}  // namespace velmora
