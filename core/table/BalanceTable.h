// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmora {

class Workspace;

// A column of the table: the value of `Key` in each entry, or, when `Follow` is set, the value of
// `Follow` in the entry that the row's `Key` names ("Primary:Damage": the damage of the weapon
// named in Primary).
struct TableColumn {
    std::string Key;
    std::string Follow;

    bool Followed() const { return !Follow.empty(); }
    // How files and the command line name the column: "Cost", "Primary:Damage".
    std::string Id() const;
    // The column a name of Id() stands for, blanks around its parts trimmed. Throws IniError for
    // an empty key or one holding "=".
    static TableColumn FromId(std::string_view id);
};

struct TableCell {
    std::string Value;  // as the store reads it: without its comment, trimmed
    bool Present = false;  // the entry has a line of the key
    // A followed cell: the first code the row's value names (empty: none), and how many more.
    std::string Target;
    size_t MoreTargets = 0;
};

struct TableRow {
    std::string Code;
    std::vector<TableCell> Cells;  // one per column
};

// Where a cell's value lives: the entry and key that a write of the cell changes.
struct CellPlace {
    std::string Code;
    std::string Key;
};

// The entries of one category side by side: one row per entry in the catalogue's order, one
// column per chosen key. The first column is always the entry's Name: the constructor puts it
// first, and leaves out a Name among the chosen columns. The table is a picture of
// the document when it was built; Rebuild reads it again after an edit.
class BalanceTable {
public:
    // Throws IniError when the workspace has no category `category`.
    BalanceTable(const Workspace& workspace, std::string category, const std::vector<TableColumn>& columns);

    // The keys of the page `page` (a section of the definition file) as columns.
    static std::vector<TableColumn> PageColumns(const Workspace& workspace, std::string_view page);
    // The keys of every page of the category, each once, in page order.
    static std::vector<TableColumn> CategoryColumns(const Workspace& workspace, std::string_view category);
    // The categories whose entries the key's value names, from the value sources of its
    // description on the category's pages; empty when the key names none.
    static std::vector<std::string> FollowedCategories(const Workspace& workspace, std::string_view category,
                                                       std::string_view key);
    // What a column chooser offers: every key of the category (CategoryColumns, then the keys its
    // entries hold that no page lists, OtherKeysOf), each key that names entries followed by the
    // columns that follow it into every key of the categories it names.
    static std::vector<TableColumn> ChoosableColumns(const Workspace& workspace, std::string_view category);

    void Rebuild();
    // Entries listed after the category's own (those a layer over the document adds), each a row
    // from the next Rebuild on; the document holds none of their cells.
    void SetAddedCodes(std::vector<std::string> codes) { m_addedCodes = std::move(codes); }

    const std::string& Category() const { return m_category; }
    const std::vector<TableColumn>& Columns() const { return m_columns; }
    size_t RowCount() const { return m_rows.size(); }
    size_t ColumnCount() const { return m_columns.size(); }
    const TableRow& Row(size_t row) const { return m_rows[row]; }
    const TableCell& Cell(size_t row, size_t column) const { return m_rows[row].Cells[column]; }
    // Every row, in the catalogue's order.
    std::vector<size_t> CatalogueOrder() const;
    // The row of the entry `code` (as the document compares names); none when it is not listed.
    std::optional<size_t> RowOf(std::string_view code) const;

    // The column showing `column` (key names compared without regard to letter case).
    std::optional<size_t> ColumnOf(const TableColumn& column) const;
    // The place a write of the cell changes; no value for a followed cell whose row names no entry.
    std::optional<CellPlace> PlaceOf(size_t row, size_t column) const;
    // For a followed cell: how many rows name its target in the column's key.
    size_t SharingCount(size_t row, size_t column) const;

    // The rows in the order of the column's values (`column` none: of the codes): empty ones first,
    // then the numbers by their value (a percent by its number), then the other texts without
    // regard to letter case; equal values keep the catalogue's order.
    std::vector<size_t> SortedRows(std::optional<size_t> column, bool descending) const;

private:
    const Workspace& m_workspace;
    std::string m_category;
    int m_kind = 0;
    std::vector<TableColumn> m_columns;
    std::vector<TableRow> m_rows;
    std::vector<std::string> m_addedCodes;
    // Per followed column: how many rows name each code (as the document compares names).
    std::vector<std::unordered_map<std::string, size_t>> m_shares;
};

// The rows of `texts` sorted as BalanceTable::SortedRows sorts a column.
std::vector<size_t> SortOrder(const std::vector<std::string_view>& texts, bool descending);

}  // namespace velmora
