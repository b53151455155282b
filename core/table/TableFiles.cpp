// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/TableFiles.h"

#include "core/table/TableCsv.h"
#ifdef VELMORA_WORKBOOKS
#include "core/table/TableXlsx.h"
#endif
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
    StringList pages;
    workspace.GetPages(category, pages);
    for (const auto& known : pages)
        if (EqualsNoCase(known.text, *page)) return BalanceTable::PageColumns(workspace, known.text);
    throw IniError(Escaped(category) + " has no page " + Escaped(*page) + ".");
}

namespace {

constexpr std::string_view ZipMark = "PK\x03\x04";
constexpr std::string_view CompoundFileMark = "\xD0\xCF\x11\xE0";  // the workbooks before .xlsx

// The import of the file's records: a CSV file's read one at a time, as they are matched.
TableImport ImportOf(const Workspace& workspace, const std::string& category, std::string_view file) {
    if (file.starts_with(ZipMark)) {
#ifdef VELMORA_WORKBOOKS
        return PlanImport(workspace, category, ReadXlsx(file));
#else
        throw IniError("The file is a workbook (.xlsx), which this build of the program does not read: save it as CSV.");
#endif
    }
    if (file.starts_with(CompoundFileMark))
        throw IniError("The file is a workbook of an older kind (.xls): save it as .xlsx or as CSV.");
    CsvRecords records(file);
    return PlanImport(workspace, category, [&records](std::vector<std::string>& record) { return records.Next(record); });
}

}  // namespace

bool WorkbooksSupported() {
#ifdef VELMORA_WORKBOOKS
    return true;
#else
    return false;
#endif
}

TableFormat FormatOfName(std::string_view fileName) {
    constexpr std::string_view Suffix = ".xlsx";
    const bool workbook = fileName.size() >= Suffix.size() && EqualsNoCase(fileName.substr(fileName.size() - Suffix.size()), Suffix);
    return workbook ? TableFormat::Workbook : TableFormat::Csv;
}

void WriteTableFile(const BalanceTable& table, const std::vector<size_t>& rowOrder, const std::string& fileName,
                    TableFormat format) {
    if (format == TableFormat::Csv) {
        platform::WriteWholeFile(fileName, TableCsv(table, rowOrder));
        return;
    }
#ifdef VELMORA_WORKBOOKS
    platform::WriteWholeFile(fileName, TableXlsx(table, rowOrder));
#else
    throw IniError("This build of the program writes no .xlsx workbooks: write the table as CSV.");
#endif
}

TableImport ReadTableFile(const Workspace& workspace, const std::string& category, const std::string& fileName) {
    const std::optional<std::string> file = platform::ReadWholeFile(fileName);
    if (!file) throw IniError::CannotOpen(fileName);
    try {
        return ImportOf(workspace, category, *file);
    } catch (const IniError& error) {
        throw IniError(fileName + ": " + error.what());
    }
}

}  // namespace velmora
