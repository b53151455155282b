// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <algorithm>
#include <iostream>

#include "core/table/BalanceTable.h"
#include "core/table/TableCsv.h"
#include "core/table/TableFiles.h"

namespace velmora::cli {

// The balance table of a category: tab-separated on stdout, or a file: CSV with --csv, a workbook
// with --xlsx.
int Table(const Arguments& args) {
    const StartArguments parsed = ParseStartArguments(args, {}, {"--page", "--keys", "--csv", "--xlsx"});
    if (parsed.places.size() != 3 || (parsed.Option("--page") && parsed.Option("--keys")) ||
        (parsed.Option("--csv") && parsed.Option("--xlsx")))
        throw UsageError();
    CommandContext context(parsed.places[0], parsed.fileType, {parsed.places[1]}, false);
    context.Load(parsed.places[1]);
    std::optional<std::vector<std::string>> ids;
    if (const auto keys = parsed.Option("--keys")) {
        ids.emplace();
        for (size_t start = 0; start <= keys->size();) {
            const size_t comma = std::min(keys->find(',', start), keys->size());
            ids->push_back(keys->substr(start, comma - start));
            start = comma + 1;
        }
    }
    const std::string& category = parsed.places[2];
    const BalanceTable table(context.workspace, category,
                             ChosenColumns(context.workspace, category, parsed.Option("--page"), ids));
    const std::vector<size_t> rows = table.CatalogueOrder();
    if (const auto csv = parsed.Option("--csv"))
        WriteTableFile(table, rows, *csv, TableFormat::Csv);
    else if (const auto workbook = parsed.Option("--xlsx"))
        WriteTableFile(table, rows, *workbook, TableFormat::Workbook);
    else
        std::cout << TableTabs(table, rows);
    return 0;
}

}  // namespace velmora::cli
