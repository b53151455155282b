// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

class BalanceTable;
class Document;
class IniStore;
class Workspace;

// The edits of the balance table. Each gathers what the user asked for as cell writes, turns them
// into the changes of the document they make (checked, without the ones that change nothing) and
// commits those as one edit: one undo takes a whole paste, adjust or import back.

// The user's value for a cell of the table.
struct CellWrite {
    size_t Row = 0;
    size_t Column = 0;
    std::string Value;
};

// A value of the document that an edit changes: `Key` of entry `Code` from `Old` to `New`.
struct TableChange {
    std::string Code;
    std::string Key;
    std::string Old;
    std::string New;
};

// The changes `writes` make to `document`. A value is written as a saved file gives it back
// (blanks trimmed); a value that already reads so changes nothing, and neither does an empty value
// for a cell without an entry to write to, or for a followed cell whose row names an entry the
// document lacks ("none"). A followed cell follows its row's reference as the writes leave it; when
// they change the reference, a followed value left as the row showed it writes nothing. Throws
// IniError, naming the cell, for a value that RefuseValue refuses, a followed value whose row names
// no entry (before or after its writes), and two different values for one place (even when one of
// them is the document's).
std::vector<TableChange> PlanChanges(const BalanceTable& table, const IniStore& document,
                                     const std::vector<CellWrite>& writes);

// The changes as one edit named `text`; false, and nothing done, when there are none.
bool CommitChanges(Document& document, const std::string& category, std::string text,
                   const std::vector<TableChange>& changes);

// Typing in a cell: "Change of Cost", or for a followed cell "Change of M60 Damage".
bool CommitCell(Document& document, const BalanceTable& table, size_t row, size_t column, std::string_view value);

// The writes of a tab-separated block (a spreadsheet's copy) pasted with its first value on the
// cell at position `firstRow` of `rowOrder` (the rows as shown) and column `firstColumn`. Throws
// IniError saying why when the block is empty, not rectangular or does not fit the table.
std::vector<CellWrite> PasteWrites(const BalanceTable& table, const std::vector<size_t>& rowOrder, size_t firstRow,
                                   size_t firstColumn, std::string_view block);
// A paste onto the selected cells `selection`, each given as its position in `rowOrder` and its
// column: a block goes with its first value on the selection's top-left cell, wherever the user
// clicked last, and one value goes into every selected cell. Throws IniError when nothing is
// selected, and as the form above.
std::vector<CellWrite> PasteWrites(const BalanceTable& table, const std::vector<size_t>& rowOrder,
                                   const std::vector<std::pair<size_t, size_t>>& selection, std::string_view block);
// "Paste 24 values".
std::string PasteText(size_t count);
// A rectangle of cells as tab-separated text, one line per row, as a spreadsheet pastes it.
std::string CopyBlock(const BalanceTable& table, const std::vector<size_t>& rows, const std::vector<size_t>& columns);

enum class AdjustOperation { SetTo, Add, MultiplyBy };

struct AdjustPlan {
    std::vector<CellWrite> Writes;
    size_t LeftAlone = 0;  // cells that hold no number (or have no entry to write to)
};

// Set to `operand`, add it or multiply by it. Whole numbers stay whole and decimals keep their
// count of decimals, rounded half away from zero; a value whose number does not change is not
// written (".5" multiplied by 1 stays ".5"). Throws IniError when the operand of an addition
// or multiplication is no number, or a result is too large.
AdjustPlan AdjustWrites(const BalanceTable& table, const std::vector<std::pair<size_t, size_t>>& cells,
                        AdjustOperation operation, std::string_view operand);
// "Adjust 24 values".
std::string AdjustText(size_t count);
// What the user is told after an adjust: how many changed, and how many were left alone.
std::string AdjustSummary(size_t changed, size_t leftAlone);

// What an import of a table file would do: the changes, the cells left out as a spreadsheet
// mangled them, and the codes and keys it did not know.
struct TableImport {
    std::vector<std::string> Columns;  // the known columns, as the file names them
    std::vector<TableChange> Changes;
    std::vector<TableChange> Mangled;  // Code: the row's, Key: the column's; Old: the document's, New: the cell
    std::vector<std::string> UnknownCodes;
    std::vector<std::string> UnknownKeys;
};

// Matches `records` (a header "Code,Name,key…" and one record per entry, as ReadCsv gives them)
// with the category's entries by code and its keys by name. Unknown codes and keys are listed,
// never guessed. Each cell is compared with the document's value as CompareCell does: one read back
// the same changes nothing, one a spreadsheet mangled is listed and left out, a protected one is
// taken for its text. Throws IniError for a file without a "Code" column first, or a value refused
// as PlanChanges refuses it, two different values for one place included.
TableImport PlanImport(const Workspace& workspace, const std::string& category,
                       const std::vector<std::vector<std::string>>& records);
// The same of records read one at a time (CsvRecords): `nextRecord` puts the next one, the header
// first, into its argument and says false after the last.
using RecordSource = std::function<bool(std::vector<std::string>&)>;
TableImport PlanImport(const Workspace& workspace, const std::string& category, const RecordSource& nextRecord);
// "Import 24 values".
std::string ImportText(size_t count);
// The count of changes and the first `shown` of them, "CODE Key: OLD -> NEW", those that empty a
// value listed apart; then the cells left out as mangled, and the first unknown codes and keys with
// a count of the others.
std::string ImportPreview(const TableImport& import, size_t shown = 30);

}  // namespace velmora
