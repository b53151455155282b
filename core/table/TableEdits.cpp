// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/TableEdits.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "core/entries/EntryOperations.h"
#include "core/table/BalanceTable.h"
#include "core/table/SpreadsheetValues.h"
#include "core/table/TableNumbers.h"
#include "core/document/Document.h"
#include "core/store/Routines.h"
#include "core/document/TextRules.h"
#include "core/catalogue/Workspace.h"
#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

constexpr size_t ListedNames = 20;  // unknown codes or keys named in a preview; the rest are counted

std::string CellName(const BalanceTable& table, size_t row, size_t column) {
    return Escaped(table.Row(row).Code + " " + table.Columns()[column].Id());
}

std::string CountedValues(std::string_view verb, size_t count) {
    return std::string(verb) + " " + Counted(count, "value", "values");
}

std::vector<std::string> SplitAt(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        pieces.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return pieces;
        start = end + 1;
    }
}

// Where a cell's write goes; no value when nowhere. A followed cell follows the reference as its
// row will stand after the writes (`newReferences`: the values the writes give the row's keys), so
// that a row changing its Primary and Primary:Damage gives the new weapon the damage. When the
// reference changes, a followed value that still reads as the row showed it is the old weapon's,
// which the user left alone: it goes nowhere. Throws IniError for a value that no entry can take.
std::optional<CellPlace> TargetOf(const BalanceTable& table, const IniStore& document, const CellWrite& write,
                                  const std::string& value,
                                  const std::unordered_map<std::string, std::string>& newReferences) {
    const TableColumn& column = table.Columns()[write.Column];
    std::optional<CellPlace> place = table.PlaceOf(write.Row, write.Column);
    const auto reference = newReferences.find(std::to_string(write.Row) + "=" + FoldCase(column.Key));
    if (column.Followed() && reference != newReferences.end()) {
        const std::vector<std::string> items = ValueItems(reference->second);
        const std::string target = items.empty() ? std::string() : items.front();
        const TableCell& shown = table.Cell(write.Row, write.Column);
        if (!NamesEqual(target, shown.Target, document.CaseSensitive())) {
            if (value == shown.Value) return std::nullopt;
            if (target.empty() || document.IndexOfSection(target) < 0)
                throw IniError(CellName(table, write.Row, write.Column) + ": the row's " + Escaped(column.Key) + " becomes \"" +
                               Escaped(reference->second) + "\", which names no entry to take \"" + Escaped(value) + "\".");
            place = CellPlace{target, column.Follow};
        }
    }
    if (!place) {
        if (value.empty()) return std::nullopt;
        throw IniError(CellName(table, write.Row, write.Column) + ": " + Escaped(table.Row(write.Row).Code) +
                       " names no entry in " + Escaped(column.Key) + ".");
    }
    // A followed value goes to the entry named; a write by name would make that entry up.
    // An empty cell of a row naming nothing ("none") changes nothing.
    if (column.Followed() && document.IndexOfSection(place->Code) < 0) {
        if (value.empty()) return std::nullopt;
        throw IniError(CellName(table, write.Row, write.Column) + ": the document has no entry " + Escaped(place->Code) + ".");
    }
    return place;
}

}  // namespace

std::vector<TableChange> PlanChanges(const BalanceTable& table, const IniStore& document,
                                     const std::vector<CellWrite>& writes) {
    const bool caseSensitive = document.CaseSensitive();
    // The values written to keys that followed columns follow, which decide where those go: only
    // they are looked up, so a big import keeps no others.
    std::unordered_set<std::string> followedKeys;
    for (const TableColumn& column : table.Columns())
        if (column.Followed()) followedKeys.insert(FoldCase(column.Key));
    std::vector<bool> namesTargets(table.ColumnCount());
    for (size_t column = 0; column < table.ColumnCount(); ++column)
        namesTargets[column] = !table.Columns()[column].Followed() && followedKeys.contains(FoldCase(table.Columns()[column].Key));
    std::unordered_map<std::string, std::string> newReferences;  // "row=KEY" -> the value written
    for (const CellWrite& write : writes)
        if (namesTargets[write.Column])
            newReferences[std::to_string(write.Row) + "=" + FoldCase(table.Columns()[write.Column].Key)] =
                StorableValue(write.Value);
    std::vector<TableChange> changes;
    // The write that gives each place its value first, changed or not: a second, different value
    // is a conflict.
    std::unordered_map<std::string, size_t> firstWriteOfPlace;
    for (size_t w = 0; w < writes.size(); ++w) {
        const CellWrite& write = writes[w];
        const std::string value = StorableValue(write.Value);
        const std::optional<CellPlace> place = TargetOf(table, document, write, value, newReferences);
        if (!place) continue;
        // The value as the document now reads it, not as the table was built.
        std::string old = document.ReadString(place->Code, place->Key, "");
        try {
            RefuseValue(place->Key, value, old);
        } catch (const IniError& refusal) {
            throw IniError(CellName(table, write.Row, write.Column) + ": " + refusal.what() + ".");
        }
        const auto [at, isNew] = firstWriteOfPlace.emplace(NameKey(place->Code, caseSensitive) + "=" + FoldCase(place->Key), w);
        if (!isNew) {
            const std::string first = StorableValue(writes[at->second].Value);
            if (first != value)
                throw IniError(Escaped(place->Code + " " + place->Key) + " is given two values: \"" +
                               Escaped(first) + "\" and \"" + Escaped(value) + "\".");
            continue;
        }
        if (old == value) continue;
        changes.push_back({place->Code, place->Key, std::move(old), value});
    }
    return changes;
}

bool CommitChanges(Document& document, const std::string& category, std::string text,
                   const std::vector<TableChange>& changes) {
    if (changes.empty()) return false;
    const IniStore& store = document.Store();
    // A write into a section the document lacks adds it, and a new section may show in a list.
    bool newSection = false;
    for (const TableChange& change : changes) newSection = newSection || store.IndexOfSection(change.Code) < 0;
    const TableChange& first = changes.front();
    std::unique_ptr<StoreEdit> edit = document.BeginEdit(
        std::move(text), {category, first.Code, changes.size() == 1 ? first.Key : std::string()}, newSection);
    // Each value goes in as every value writer writes it, keeping the rest of its line.
    for (const TableChange& change : changes) edit->WriteValue(StoreOf::Document, change.Code, change.Key, change.New);
    return document.Commit(std::move(edit));
}

bool CommitCell(Document& document, const BalanceTable& table, size_t row, size_t column, std::string_view value) {
    const std::vector<TableChange> changes =
        PlanChanges(table, document.Store(), {CellWrite{row, column, std::string(value)}});
    if (changes.empty()) return false;
    const TableColumn& which = table.Columns()[column];
    const std::string text = which.Followed() ? "Change of " + changes.front().Code + " " + which.Follow
                                              : "Change of " + which.Key;
    return CommitChanges(document, table.Category(), text, changes);
}

namespace {

// The values of a tab-separated block, a line each. Throws IniError when it is empty or not
// rectangular.
std::vector<std::vector<std::string>> BlockValues(std::string_view block) {
    // A spreadsheet ends its copy with a line break; Windows ones with "\r\n".
    while (!block.empty() && (block.back() == '\n' || block.back() == '\r')) block.remove_suffix(1);
    if (block.empty()) throw IniError("There is nothing to paste.");
    std::vector<std::vector<std::string>> values;
    for (std::string& line : SplitAt(block, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        values.push_back(SplitAt(line, '\t'));
    }
    const size_t width = values.front().size();
    for (const auto& line : values)
        if (line.size() != width)
            throw IniError("The block cannot be pasted: its rows do not all have " + Counted(width, "value", "values") + ".");
    return values;
}

std::vector<CellWrite> BlockWrites(const BalanceTable& table, const std::vector<size_t>& rowOrder, size_t firstRow,
                                   size_t firstColumn, std::vector<std::vector<std::string>> values) {
    const size_t width = values.front().size();
    const size_t rowsLeft = firstRow < rowOrder.size() ? rowOrder.size() - firstRow : 0;
    const size_t columnsLeft = firstColumn < table.ColumnCount() ? table.ColumnCount() - firstColumn : 0;
    if (values.size() > rowsLeft)
        throw IniError("The block of " + Counted(values.size(), "row", "rows") + " does not fit: from here the table has " +
                       Counted(rowsLeft, "row", "rows") + ".");
    if (width > columnsLeft)
        throw IniError("The block of " + Counted(width, "column", "columns") + " does not fit: from here the table has " +
                       Counted(columnsLeft, "column", "columns") + ".");
    std::vector<CellWrite> writes;
    writes.reserve(values.size() * width);
    for (size_t line = 0; line < values.size(); ++line)
        for (size_t column = 0; column < width; ++column)
            writes.push_back({rowOrder[firstRow + line], firstColumn + column, std::move(values[line][column])});
    return writes;
}

}  // namespace

std::vector<CellWrite> PasteWrites(const BalanceTable& table, const std::vector<size_t>& rowOrder, size_t firstRow,
                                   size_t firstColumn, std::string_view block) {
    return BlockWrites(table, rowOrder, firstRow, firstColumn, BlockValues(block));
}

std::vector<CellWrite> PasteWrites(const BalanceTable& table, const std::vector<size_t>& rowOrder,
                                   const std::vector<std::pair<size_t, size_t>>& selection, std::string_view block) {
    if (selection.empty()) throw IniError("Choose the cell where the block's first value goes.");
    std::vector<std::vector<std::string>> values = BlockValues(block);
    if (values.size() == 1 && values.front().size() == 1) {
        std::vector<CellWrite> writes;
        for (const auto& [position, column] : selection)
            if (position < rowOrder.size() && column < table.ColumnCount())
                writes.push_back({rowOrder[position], column, values.front().front()});
        return writes;
    }
    size_t top = selection.front().first;
    size_t left = selection.front().second;
    for (const auto& [position, column] : selection) {
        top = std::min(top, position);
        left = std::min(left, column);
    }
    return BlockWrites(table, rowOrder, top, left, std::move(values));
}

std::string PasteText(size_t count) { return CountedValues("Paste", count); }

std::string CopyBlock(const BalanceTable& table, const std::vector<size_t>& rows, const std::vector<size_t>& columns) {
    std::string text;
    for (size_t row : rows) {
        for (size_t column = 0; column < columns.size(); ++column) {
            if (column > 0) text += '\t';
            text += table.Cell(row, columns[column]).Value;
        }
        text += '\n';
    }
    return text;
}

AdjustPlan AdjustWrites(const BalanceTable& table, const std::vector<std::pair<size_t, size_t>>& cells,
                        AdjustOperation operation, std::string_view operand) {
    std::optional<DecimalNumber> amount;
    if (operation != AdjustOperation::SetTo) {
        amount = ParseDecimal(TrimView(operand));
        if (!amount) throw IniError("\"" + Escaped(operand) + "\" is not a number.");
    }
    AdjustPlan plan;
    for (const auto& [row, column] : cells) {
        if (!table.PlaceOf(row, column)) {
            ++plan.LeftAlone;
            continue;
        }
        if (operation == AdjustOperation::SetTo) {
            plan.Writes.push_back({row, column, std::string(operand)});
            continue;
        }
        const std::optional<DecimalNumber> value = ParseDecimal(table.Cell(row, column).Value);
        if (!value) {
            ++plan.LeftAlone;
            continue;
        }
        const DecimalNumber result =
            operation == AdjustOperation::Add ? AddDecimal(*value, *amount) : MultiplyDecimal(*value, *amount);
        // A number that stays the same keeps the modder's spelling (".5", "5.", "+5").
        if (result.Units == value->Units) continue;
        plan.Writes.push_back({row, column, FormatDecimal(result)});
    }
    return plan;
}

std::string AdjustText(size_t count) { return CountedValues("Adjust", count); }

std::string AdjustSummary(size_t changed, size_t leftAlone) {
    std::string text = std::to_string(changed) + (changed == 1 ? " value changed." : " values changed.");
    if (leftAlone == 1) text += " 1 cell holds no number and was left alone.";
    if (leftAlone > 1) text += " " + std::to_string(leftAlone) + " cells hold no number and were left alone.";
    return text;
}

TableImport PlanImport(const Workspace& workspace, const std::string& category,
                       const std::vector<std::vector<std::string>>& records) {
    size_t next = 0;
    return PlanImport(workspace, category, [&records, &next](std::vector<std::string>& record) {
        if (next == records.size()) return false;
        record = records[next++];
        return true;
    });
}

TableImport PlanImport(const Workspace& workspace, const std::string& category, const RecordSource& nextRecord) {
    std::vector<std::string> header;
    if (!nextRecord(header) || header.empty() || !EqualsNoCase(TrimView(header.front()), "Code"))
        throw IniError("The table file does not begin with a \"Code\" column.");
    TableImport import;

    // The keys the category's pages know, and for a followed key those of the categories it names.
    const std::vector<TableColumn> known = BalanceTable::CategoryColumns(workspace, category);
    const auto isKnown = [](const std::vector<TableColumn>& columns, std::string_view key) {
        if (EqualsNoCase(key, "Name")) return true;
        for (const TableColumn& column : columns)
            if (EqualsNoCase(column.Key, key)) return true;
        return false;
    };
    std::vector<TableColumn> columns;
    std::vector<std::optional<TableColumn>> knownOfField(header.size());
    for (size_t field = 1; field < header.size(); ++field) {
        const std::string id = Trim(Unprotected(TrimView(header[field])).value_or(header[field]));
        std::optional<TableColumn> column;
        try {
            column = TableColumn::FromId(id);
        } catch (const IniError&) {
        }
        bool found = column && isKnown(known, column->Key);
        if (found && column->Followed()) {
            found = false;
            for (const std::string& target : BalanceTable::FollowedCategories(workspace, category, column->Key))
                found = found || isKnown(BalanceTable::CategoryColumns(workspace, target), column->Follow);
        }
        if (!found) {
            import.UnknownKeys.push_back(id.empty() ? "(no name)" : id);
            continue;
        }
        columns.push_back(*column);
        knownOfField[field] = std::move(column);
        import.Columns.push_back(id);
    }
    const BalanceTable table(workspace, category, columns);
    std::vector<std::optional<size_t>> columnOfField(header.size());
    for (size_t field = 1; field < header.size(); ++field)
        if (knownOfField[field]) columnOfField[field] = table.ColumnOf(*knownOfField[field]);

    const bool caseSensitive = workspace.Doc().Store().CaseSensitive();
    std::unordered_map<std::string, size_t> rowOfCode;
    for (size_t row = 0; row < table.RowCount(); ++row) rowOfCode.emplace(NameKey(table.Row(row).Code, caseSensitive), row);
    std::vector<CellWrite> writes;
    // A cell read back the same is written once: another write of the same value to the same cell
    // (an entry listed again) would change nothing of the plan, and a big file lists many.
    std::vector<bool> sameWritten(table.RowCount() * table.ColumnCount());
    std::vector<std::string> fields;
    for (size_t record = 1; nextRecord(fields); ++record) {
        const std::string code =
            fields.empty() ? std::string() : Trim(Unprotected(TrimView(fields.front())).value_or(fields.front()));
        const auto row = rowOfCode.find(NameKey(code, caseSensitive));
        if (row == rowOfCode.end()) {
            import.UnknownCodes.push_back(code.empty() ? "(no code, record " + std::to_string(record + 1) + ")" : code);
            continue;
        }
        for (size_t field = 1; field < fields.size() && field < header.size(); ++field) {
            if (!columnOfField[field]) continue;
            const size_t column = *columnOfField[field];
            const std::string& value = table.Cell(row->second, column).Value;
            // A cell read back the same is written as the document spells it, so that a conflicting
            // value for its place is still caught.
            CellComparison cell = CompareCell(value, fields[field]);
            if (cell.Reading == CellReading::Mangled) {
                import.Mangled.push_back({table.Row(row->second).Code, table.Columns()[column].Id(), value, cell.Value});
                continue;
            }
            if (cell.Reading == CellReading::Same) {
                const size_t place = row->second * table.ColumnCount() + column;
                if (sameWritten[place]) continue;
                sameWritten[place] = true;
            }
            writes.push_back({row->second, column, std::move(cell.Value)});
        }
    }
    import.Changes = PlanChanges(table, workspace.Doc().Store(), writes);
    return import;
}

std::string ImportText(size_t count) { return CountedValues("Import", count); }

std::string ImportPreview(const TableImport& import, size_t shown) {
    const auto listChanges = [shown](std::string& text, const std::vector<const TableChange*>& changes, bool emptied) {
        for (size_t i = 0; i < changes.size() && i < shown; ++i) {
            const TableChange& change = *changes[i];
            text += "\n" + change.Code + " " + change.Key + ": " + change.Old + (emptied ? "" : " -> " + change.New);
        }
        if (changes.size() > shown) text += "\n... and " + std::to_string(changes.size() - shown) + " more";
    };
    // A blank cell empties its value: listed apart, as it is easily done without meaning it.
    std::vector<const TableChange*> written;
    std::vector<const TableChange*> emptied;
    for (const TableChange& change : import.Changes) (change.New.empty() ? emptied : written).push_back(&change);
    const size_t count = import.Changes.size();
    std::string text = std::to_string(count) + (count == 1 ? " change" : " changes");
    text += count == 0 ? "." : ":";
    listChanges(text, written, false);
    if (!emptied.empty()) {
        text += "\nOf these, " + std::to_string(emptied.size()) + (emptied.size() == 1 ? " empties a value" : " empty a value") +
                " whose cell is blank:";
        listChanges(text, emptied, true);
    }
    if (!import.Mangled.empty()) {
        std::vector<const TableChange*> mangled;
        for (const TableChange& change : import.Mangled) mangled.push_back(&change);
        text += "\nLeft out, as a spreadsheet changed them on its own (" + std::to_string(mangled.size()) + "):";
        listChanges(text, mangled, false);
    }
    const auto list = [&text](const char* title, const std::vector<std::string>& names) {
        if (names.empty()) return;
        text += std::string("\n") + title;
        for (size_t i = 0; i < names.size() && i < ListedNames; ++i) text += (i == 0 ? " " : ", ") + names[i];
        if (names.size() > ListedNames) text += " and " + std::to_string(names.size() - ListedNames) + " more";
    };
    list("Unknown codes, left out:", import.UnknownCodes);
    list("Unknown keys, left out:", import.UnknownKeys);
    return text;
}

}  // namespace velmora
