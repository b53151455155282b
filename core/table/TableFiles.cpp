// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/TableFiles.h"

#include "core/table/TableCsv.h"
#include "core/catalogue/Workspace.h"
#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"

namespace velmora {

std::vector<TableColumn> ChosenColumns(const Workspace& workspace, const std::string& category,
                                       const std::optional<std::string>& page,
                                       const std::optional<std::vector<std::string>>& ids) {
    if (ids) {
        std::vector<TableColumn> columns;
        for (const std::string& id : *ids) columns.push_back(TableColumn::FromId(id));
        return columns;
    }
    if (!page) return BalanceTable::CategoryColumns(workspace, category);
    TStringList pages;
    workspace.GetPages(category, pages);
    for (const auto& known : pages)
        if (EqualsNoCase(known.text, *page)) return BalanceTable::PageColumns(workspace, known.text);
    throw IniError(Escaped(category) + " has no page " + Escaped(*page) + ".");
}

void WriteTableFile(const BalanceTable& table, const std::vector<size_t>& rowOrder, const std::string& fileName) {
    platform::WriteWholeFile(fileName, TableCsv(table, rowOrder));
}

TableImport ReadTableFile(const Workspace& workspace, const std::string& category, const std::string& fileName) {
    const std::optional<std::string> file = platform::ReadWholeFile(fileName);
    if (!file) throw IniError::CannotOpen(fileName);
    try {
        return PlanImport(workspace, category, ReadCsv(*file));
    } catch (const IniError& error) {
        throw IniError(fileName + ": " + error.what());
    }
}

}  // namespace velmora
