// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/BalanceTable.h"

#include <algorithm>
#include <unordered_map>

#include "core/table/TableNumbers.h"
#include "core/choice/ChoiceLists.h"
#include "core/catalogue/OtherKeys.h"
#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

constexpr char FollowMark = ':';

// The description of `key` on the category's pages, as the value grid reads it: the text after
// the first "=" of the key's line in the page section.
std::optional<std::string> DescriptionOf(const Workspace& workspace, std::string_view category, std::string_view key) {
    StringList pages;
    workspace.GetPages(std::string(category), pages);
    for (const auto& page : pages) {
        const int section = workspace.Doc().Definition().IndexOfSection(page.text);
        if (section < 0) continue;
        const IniSection& lines = workspace.Doc().Definition().SectionAt(static_cast<size_t>(section));
        const long line = lines.IndexOfKey(key);
        if (line >= 0) return std::string(TrimLeftView(lines.LineAt(static_cast<size_t>(line)).ValueText()));
    }
    return std::nullopt;
}

const IniSection* SectionOf(const IniStore& store, std::string_view name) {
    const int section = store.IndexOfSection(name);
    return section < 0 ? nullptr : &store.SectionAt(static_cast<size_t>(section));
}

}  // namespace

std::string TableColumn::Id() const {
    return Followed() ? Key + FollowMark + Follow : Key;
}

TableColumn TableColumn::FromId(std::string_view id) {
    const size_t mark = id.find(FollowMark);
    TableColumn column;
    column.Key = Trim(id.substr(0, mark));
    if (mark != std::string_view::npos) {
        column.Follow = Trim(id.substr(mark + 1));
        if (column.Follow.empty() || column.Follow.find('=') != std::string::npos)
            throw IniError("\"" + Escaped(id) + "\" names no key to follow.");
    }
    if (column.Key.empty() || column.Key.find('=') != std::string::npos)
        throw IniError("\"" + Escaped(id) + "\" cannot be a key: a key may not be empty or hold \"=\".");
    return column;
}

BalanceTable::BalanceTable(const Workspace& workspace, std::string category, const std::vector<TableColumn>& columns)
    : m_workspace(workspace), m_category(std::move(category)) {
    const int row = IndexOfNoCase(workspace.CategoryRows(), m_category);
    if (row < 0 || static_cast<size_t>(row) >= workspace.CategoryKinds().size())
        throw IniError("There is no category " + Escaped(m_category) + ".");
    m_category = workspace.CategoryRows()[static_cast<size_t>(row)];
    m_kind = workspace.CategoryKinds()[static_cast<size_t>(row)];
    // The entry's name always comes first, as the entry list shows it next to the code, and once.
    m_columns.push_back({"Name", {}});
    for (const TableColumn& column : columns)
        if (column.Followed() || !EqualsNoCase(column.Key, "Name")) m_columns.push_back(column);
    Rebuild();
}

std::vector<TableColumn> BalanceTable::PageColumns(const Workspace& workspace, std::string_view page) {
    StringList keys;
    workspace.Doc().Definition().ReadSection(page, keys);
    std::vector<TableColumn> columns;
    for (const auto& key : keys)
        if (!key.text.empty()) columns.push_back({key.text, {}});
    return columns;
}

std::vector<TableColumn> BalanceTable::CategoryColumns(const Workspace& workspace, std::string_view category) {
    StringList keys;
    workspace.GetContentsOfAllPages(std::string(category), keys);
    std::vector<TableColumn> columns;
    std::vector<std::string> seen;
    for (const auto& key : keys) {
        if (key.text.empty() || IndexOfNoCase(seen, key.text) >= 0) continue;
        seen.push_back(key.text);
        columns.push_back({key.text, {}});
    }
    return columns;
}

std::vector<std::string> BalanceTable::FollowedCategories(const Workspace& workspace, std::string_view category,
                                                          std::string_view key) {
    std::vector<std::string> categories;
    const std::optional<std::string> description = DescriptionOf(workspace, category, key);
    if (!description) return categories;
    const std::optional<std::string> sources = ValueSourcesOf(*description);
    if (!sources) return categories;
    for (const std::string& source : SplitValueSources(*sources)) {
        const int row = CategoryRowOfSource(source, workspace);
        if (row >= 0) categories.push_back(workspace.CategoryRows()[static_cast<size_t>(row)]);
    }
    return categories;
}

namespace {

// The keys of the category's pages, then those its entries hold besides.
std::vector<TableColumn> EveryKeyOf(const Workspace& workspace, std::string_view category) {
    std::vector<TableColumn> columns = BalanceTable::CategoryColumns(workspace, category);
    for (std::string& key : OtherKeysOf(workspace, category)) columns.push_back({std::move(key), {}});
    return columns;
}

}  // namespace

std::vector<TableColumn> BalanceTable::ChoosableColumns(const Workspace& workspace, std::string_view category) {
    std::vector<TableColumn> choosable;
    for (const TableColumn& column : EveryKeyOf(workspace, category)) {
        choosable.push_back(column);
        // A key naming entries of several categories offers each key of theirs once.
        std::vector<std::string> seen;
        for (const std::string& named : FollowedCategories(workspace, category, column.Key))
            for (const TableColumn& followed : EveryKeyOf(workspace, named)) {
                if (IndexOfNoCase(seen, followed.Key) >= 0) continue;
                seen.push_back(followed.Key);
                choosable.push_back({column.Key, followed.Key});
            }
    }
    return choosable;
}

void BalanceTable::Rebuild() {
    const IniStore& document = m_workspace.Doc().Store();
    const bool caseSensitive = document.CaseSensitive();
    StringList codes;
    m_workspace.GetReadSectionValuesOnly(m_kind, m_category, codes);
    for (const std::string& code : m_addedCodes) codes.Add(code);

    // Each row's section is walked once: every key line is looked up among the columns' keys,
    // and the first line of a key is the one the store reads.
    std::unordered_map<std::string, size_t> slotOfKey;
    std::vector<size_t> slotOfColumn;
    for (const TableColumn& column : m_columns)
        slotOfColumn.push_back(slotOfKey.emplace(FoldCase(column.Key), slotOfKey.size()).first->second);
    std::vector<const IniSection::Line*> lineOfSlot(slotOfKey.size());
    std::vector<std::unordered_map<std::string, size_t>> shares(m_columns.size());

    m_rows.clear();
    m_rows.reserve(codes.Count());
    for (const auto& code : codes) {
        TableRow& row = m_rows.emplace_back();
        row.Code = code.text;
        row.Cells.resize(m_columns.size());
        std::fill(lineOfSlot.begin(), lineOfSlot.end(), nullptr);
        if (const IniSection* section = SectionOf(document, code.text)) {
            std::string_view name;
            for (size_t line = 0; line < section->Count(); ++line) {
                const IniSection::Line& found = section->LineAt(line);
                if (!found.KeyName(name)) continue;
                const auto slot = slotOfKey.find(FoldCase(name));
                if (slot != slotOfKey.end() && lineOfSlot[slot->second] == nullptr) lineOfSlot[slot->second] = &found;
            }
        }
        for (size_t column = 0; column < m_columns.size(); ++column) {
            const IniSection::Line* line = lineOfSlot[slotOfColumn[column]];
            if (line == nullptr) continue;
            TableCell& cell = row.Cells[column];
            if (!m_columns[column].Followed()) {
                cell.Value = IniStore::StripComment(line->ValueText());
                cell.Present = true;
                continue;
            }
            const std::vector<std::string> items = ValueItems(line->ValueText());
            if (items.empty()) continue;
            cell.Target = items.front();
            cell.MoreTargets = items.size() - 1;
            for (const std::string& item : items) ++shares[column][NameKey(item, caseSensitive)];
            if (const IniSection* target = SectionOf(document, cell.Target)) {
                const long at = target->IndexOfKey(m_columns[column].Follow);
                if (at >= 0) {
                    cell.Value = IniStore::StripComment(target->LineAt(static_cast<size_t>(at)).ValueText());
                    cell.Present = true;
                }
            }
        }
    }
    m_shares = std::move(shares);
}

std::vector<size_t> BalanceTable::CatalogueOrder() const {
    std::vector<size_t> rows(m_rows.size());
    for (size_t row = 0; row < rows.size(); ++row) rows[row] = row;
    return rows;
}

std::optional<size_t> BalanceTable::RowOf(std::string_view code) const {
    const bool caseSensitive = m_workspace.Doc().Store().CaseSensitive();
    for (size_t row = 0; row < m_rows.size(); ++row)
        if (NamesEqual(m_rows[row].Code, code, caseSensitive)) return row;
    return std::nullopt;
}

std::optional<size_t> BalanceTable::ColumnOf(const TableColumn& column) const {
    for (size_t at = 0; at < m_columns.size(); ++at)
        if (EqualsNoCase(m_columns[at].Key, column.Key) && EqualsNoCase(m_columns[at].Follow, column.Follow)) return at;
    return std::nullopt;
}

std::optional<CellPlace> BalanceTable::PlaceOf(size_t row, size_t column) const {
    const TableColumn& which = m_columns.at(column);
    const TableRow& entry = m_rows.at(row);
    if (!which.Followed()) return CellPlace{entry.Code, which.Key};
    const TableCell& cell = entry.Cells[column];
    if (cell.Target.empty()) return std::nullopt;
    return CellPlace{cell.Target, which.Follow};
}

size_t BalanceTable::SharingCount(size_t row, size_t column) const {
    const TableCell& cell = Cell(row, column);
    if (!m_columns[column].Followed() || cell.Target.empty()) return 0;
    const auto found = m_shares[column].find(NameKey(cell.Target, m_workspace.Doc().Store().CaseSensitive()));
    return found == m_shares[column].end() ? 0 : found->second;
}

std::vector<size_t> BalanceTable::SortedRows(std::optional<size_t> column, bool descending) const {
    std::vector<std::string_view> texts;
    texts.reserve(m_rows.size());
    for (const TableRow& row : m_rows) texts.emplace_back(column ? row.Cells.at(*column).Value : row.Code);
    return SortOrder(texts, descending);
}

namespace {

// What a value sorts by: nothing (an entry without the key), a number ("30%" by its 30), or text.
enum class SortGroup { Empty, Number, Text };

std::optional<long double> SortNumberOf(std::string_view text) {
    if (!text.empty() && text.back() == '%') text.remove_suffix(1);
    return NumberOf(text);
}

}  // namespace

std::vector<size_t> SortOrder(const std::vector<std::string_view>& texts, bool descending) {
    std::vector<size_t> order(texts.size());
    for (size_t row = 0; row < order.size(); ++row) order[row] = row;
    std::vector<SortGroup> groups(texts.size(), SortGroup::Empty);
    std::vector<long double> numbers(texts.size(), 0);
    for (size_t row = 0; row < texts.size(); ++row) {
        if (texts[row].empty()) continue;
        const std::optional<long double> number = SortNumberOf(texts[row]);
        groups[row] = number ? SortGroup::Number : SortGroup::Text;
        if (number) numbers[row] = *number;
    }
    // Empty values first and the numbers before the texts whichever way the column is sorted, so
    // that a typo among numbers stays out of their way; a reverse order reverses each group.
    const auto less = [&](size_t a, size_t b) {
        if (groups[a] != groups[b]) return groups[a] < groups[b];
        if (descending) std::swap(a, b);
        switch (groups[a]) {
            case SortGroup::Number: return numbers[a] < numbers[b];
            case SortGroup::Text: return LessNoCase(texts[a], texts[b]);
            case SortGroup::Empty: break;
        }
        return false;
    };
    std::stable_sort(order.begin(), order.end(), less);
    return order;
}

}  // namespace velmora
