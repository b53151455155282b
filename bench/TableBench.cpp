// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the balance table on the generated 100,000-line document: a category of 3,000 entries
// drawn from all categories, shown with 40 columns. Building the table (goal: under 100 ms), a
// sort (under 30 ms), a paste and an adjust of 1,000 cells each as one edit, with its undo (under
// 100 ms), and the CSV export and import of the whole table (under 200 ms each). On the tenfold
// document (ten times a real mod file): an adjust and a paste of 10,000 cells with the value check
// following them as in the program, each edit and each undo under 200 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/boxes/FirstButtonBoxes.h"
#include "RulesGenerator.h"
#include "core/table/BalanceTable.h"
#include "core/table/TableCsv.h"
#include "core/table/TableEdits.h"
#include "core/table/TableNumbers.h"
#include "core/catalogue/TouchedSections.h"
#include "core/document/Document.h"
#include "core/values/LiveValueCheck.h"
#include "GeneratedInstallation.h"
#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"
#include "core/store/TextCase.h"

namespace velmora::bench {
namespace {

namespace fs = std::filesystem;

constexpr const char* BigCategory = "BenchUnits";
constexpr size_t BigCategorySize = 3000;
constexpr size_t ColumnCount = 40;

// The generated installation with one more category (kind 1) listing 3,000 sections of the
// document, opened as the editor opens it. Its columns: the first 40 keys of all pages.
struct OpenTable {
    RulesGenerator generator;
    fs::path folder;
    Globals globals;
    FirstButtonBoxes boxes;
    Workspace workspace{globals, boxes};
    std::vector<TableColumn> columns;

    static OpenTable& Get() {
        static const std::unique_ptr<OpenTable> open(new OpenTable);
        return *open;
    }
    ~OpenTable() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

private:
    OpenTable() {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("velmora-table-bench-" + std::to_string(seed()));
        fs::create_directories(folder);
        std::vector<std::string> members;
        std::vector<std::string> keys;
        for (size_t category = 0; category < generator.Categories().size(); ++category) {
            for (const std::string& code : generator.Categories()[category].members)
                if (members.size() < BigCategorySize) members.push_back(code);
            for (const std::string& key : generator.CategoryKeys(category))
                if (keys.size() < ColumnCount && IndexOfNoCase(keys, key) < 0) keys.push_back(key);
        }
        // Its pages are those of every category, so that each column is a key it knows.
        std::string line = std::string(BigCategory) + "=1";
        for (const GeneratedCategory& category : generator.Categories())
            for (const std::string& page : category.pages) line += "," + page;
        std::string definition = generator.DefinitionText();
        definition.insert(definition.find("[AllSections]\r\n") + 15, line + "\r\n");
        definition += "\r\n[" + std::string(BigCategory) + "]\r\n";
        for (size_t i = 0; i < members.size(); ++i) definition += std::to_string(i + 1) + "=" + members[i] + "\r\n";
        RulesGenerator::WriteFile(folder / "Mod.ini", generator.RulesText());
        RulesGenerator::WriteFile(folder / "Rules.001", definition);
        RulesGenerator::WriteFile(folder / "Rules.INI", generator.DefaultText());
        RulesGenerator::WriteFile(folder / "Velmedit.ini",
                                  "[GeneralSetup]\r\nUpdateUnknown001=0\r\nCheckDoubleSection=0\r\n"
                                  "\r\n[FilesToEdit]\r\nRules.ini=1\r\n");
        workspace.SetDiskWrites(false);
        workspace.StartUp(folder.string());
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer((folder / "Mod.ini").string(), false);
        for (const std::string& key : keys) columns.push_back({key, {}});
    }
};

BalanceTable Table() { return BalanceTable(OpenTable::Get().workspace, BigCategory, OpenTable::Get().columns); }

// The column with the most numbers, for the sort and the adjust.
size_t NumericColumn(const BalanceTable& table) {
    size_t best = 1;
    size_t bestCount = 0;
    for (size_t column = 1; column < table.ColumnCount(); ++column) {
        size_t count = 0;
        for (size_t row = 0; row < table.RowCount(); ++row)
            count += ParseDecimal(table.Cell(row, column).Value) ? 1 : 0;
        if (count > bestCount) {
            best = column;
            bestCount = count;
        }
    }
    return best;
}

void BM_TableBuild(benchmark::State& state) {
    OpenTable::Get();  // the installation and its load are not timed
    for (auto _ : state) {
        const BalanceTable table = Table();
        benchmark::DoNotOptimize(table.RowCount());
    }
    const BalanceTable table = Table();
    state.counters["rows"] = static_cast<double>(table.RowCount());
    state.counters["columns"] = static_cast<double>(table.ColumnCount());
}
BENCHMARK(BM_TableBuild)->Unit(benchmark::kMillisecond);

void BM_TableSort(benchmark::State& state) {
    const BalanceTable table = Table();
    const size_t column = state.range(0) == 0 ? NumericColumn(table) : 0;  // 0: the names, as text
    for (auto _ : state) benchmark::DoNotOptimize(table.SortedRows(column, true));
}
BENCHMARK(BM_TableSort)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 100 rows by 10 columns of new values, committed and undone.
void BM_TablePasteAndUndo(benchmark::State& state) {
    Document& document = OpenTable::Get().workspace.Doc();
    const BalanceTable table = Table();
    std::string block;
    for (size_t row = 0; row < 100; ++row)
        for (size_t column = 0; column < 10; ++column) block += std::to_string(row * 7 + column) + (column < 9 ? "\t" : "\n");
    for (auto _ : state) {
        const std::vector<CellWrite> writes = PasteWrites(table, table.CatalogueOrder(), 500, 1, block);
        if (!CommitChanges(document, BigCategory, PasteText(writes.size()), PlanChanges(table, document.Store(), writes))) {
            state.SkipWithError("nothing pasted");
            break;
        }
        document.Undo();
    }
}
BENCHMARK(BM_TablePasteAndUndo)->Unit(benchmark::kMillisecond);

void BM_TableAdjustAndUndo(benchmark::State& state) {
    Document& document = OpenTable::Get().workspace.Doc();
    const BalanceTable table = Table();
    // 1,000 cells that hold numbers, row by row.
    std::vector<std::pair<size_t, size_t>> cells;
    for (size_t row = 0; row < table.RowCount() && cells.size() < 1000; ++row)
        for (size_t column = 1; column < table.ColumnCount() && cells.size() < 1000; ++column)
            if (ParseDecimal(table.Cell(row, column).Value)) cells.emplace_back(row, column);
    for (auto _ : state) {
        const AdjustPlan plan = AdjustWrites(table, cells, AdjustOperation::MultiplyBy, "1.1");
        const std::vector<TableChange> changes = PlanChanges(table, document.Store(), plan.Writes);
        if (!CommitChanges(document, BigCategory, AdjustText(changes.size()), changes)) {
            state.SkipWithError("nothing to adjust");
            break;
        }
        document.Undo();
        state.counters["changed"] = static_cast<double>(changes.size());
    }
}
BENCHMARK(BM_TableAdjustAndUndo)->Unit(benchmark::kMillisecond);

void BM_TableExport(benchmark::State& state) {
    const BalanceTable table = Table();
    for (auto _ : state) benchmark::DoNotOptimize(TableCsv(table, table.CatalogueOrder()));
    state.counters["bytes"] = static_cast<double>(TableCsv(table, table.CatalogueOrder()).size());
}
BENCHMARK(BM_TableExport)->Unit(benchmark::kMillisecond);

// Reading the exported file back and matching it: nothing to change, every cell compared.
void BM_TableImport(benchmark::State& state) {
    const Workspace& workspace = OpenTable::Get().workspace;
    const BalanceTable table = Table();
    const std::string file = TableCsv(table, table.CatalogueOrder());
    for (auto _ : state) benchmark::DoNotOptimize(PlanImport(workspace, BigCategory, ReadCsv(file)).Changes.size());
}
BENCHMARK(BM_TableImport)->Unit(benchmark::kMillisecond);

// The tenfold document opened as the editor opens it, with what follows its edits in the program:
// the value check, learned once, and the sections touched, gathered for the find index and the
// comparison. The table is its largest category with every key of its pages as a column.
struct TenfoldTable : DocumentObserver {
    Globals globals;
    FirstButtonBoxes boxes;
    Workspace workspace{globals, boxes};
    std::unique_ptr<LiveValueCheck> values;
    TouchedSections touched;
    std::string category;

    static TenfoldTable& Get() {
        static const std::unique_ptr<TenfoldTable> open(new TenfoldTable);
        return *open;
    }
    ~TenfoldTable() override { workspace.Doc().RemoveObserver(*this); }
    TenfoldTable(const TenfoldTable&) = delete;
    TenfoldTable& operator=(const TenfoldTable&) = delete;

    BalanceTable Table() const {
        return BalanceTable(workspace, category, BalanceTable::CategoryColumns(workspace, category));
    }

    void ValueChanged(const std::string& code, const std::string& /*key*/) override { touched.Add(code); }
    void EntriesChanged() override { touched.AddEverything(); }

private:
    TenfoldTable() {
        const GeneratedInstallation& installation = GeneratedInstallation::Tenfold();
        workspace.SetDiskWrites(false);
        workspace.StartUp(installation.folder.string());
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(installation.document, false);
        size_t largest = 0;
        for (const GeneratedCategory& generated : installation.generator.Categories())
            if (generated.members.size() > largest) {
                largest = generated.members.size();
                category = generated.name;
            }
        values = std::make_unique<LiveValueCheck>(workspace);
        values->Check();
        workspace.Doc().AddObserver(*this);
    }
};

constexpr size_t TenfoldCells = 10000;

// Up to 10,000 cells of the table that hold numbers, row by row, as a selection of whole columns
// gives them.
std::vector<std::pair<size_t, size_t>> NumberCells(const BalanceTable& table) {
    std::vector<std::pair<size_t, size_t>> cells;
    for (size_t column = 1; column < table.ColumnCount() && cells.size() < TenfoldCells; ++column)
        for (size_t row = 0; row < table.RowCount() && cells.size() < TenfoldCells; ++row)
            if (ParseDecimal(table.Cell(row, column).Value)) cells.emplace_back(row, column);
    return cells;
}

// One edit of the tenfold table and its undo; argument 0 times the edit (planned and committed),
// 1 its undo.
template <class Plan>
void TimeEditAndUndo(benchmark::State& state, const Plan& plan) {
    TenfoldTable& open = TenfoldTable::Get();
    Document& document = open.workspace.Doc();
    const BalanceTable table = open.Table();
    const bool timeUndo = state.range(0) == 1;
    size_t changed = 0;
    for (auto _ : state) {
        if (timeUndo) state.PauseTiming();
        const std::vector<TableChange> changes = PlanChanges(table, document.Store(), plan(table));
        changed = changes.size();
        if (!CommitChanges(document, open.category, "Edit of the table", changes)) {
            state.SkipWithError("nothing changed");
            break;
        }
        if (timeUndo) state.ResumeTiming(); else state.PauseTiming();
        document.Undo();
        open.touched.Clear();
        if (!timeUndo) state.ResumeTiming();
    }
    state.SetLabel(timeUndo ? "undo" : "edit");
    state.counters["cells"] = static_cast<double>(changed);
    state.counters["rows"] = static_cast<double>(table.RowCount());
}

void BM_TenfoldAdjust(benchmark::State& state) {
    TimeEditAndUndo(state, [](const BalanceTable& table) {
        return AdjustWrites(table, NumberCells(table), AdjustOperation::MultiplyBy, "1.1").Writes;
    });
}
BENCHMARK(BM_TenfoldAdjust)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A block of new values over the first columns, 10,000 values in all. An entry listed twice shows
// on two rows, which a paste may not give two values: the block covers each entry's first row.
void BM_TenfoldPaste(benchmark::State& state) {
    TimeEditAndUndo(state, [](const BalanceTable& table) {
        std::vector<size_t> rows;
        std::unordered_set<std::string> codes;
        for (size_t row = 0; row < table.RowCount(); ++row)
            if (codes.insert(FoldCase(table.Row(row).Code)).second) rows.push_back(row);
        const size_t width = std::min(table.ColumnCount() - 1, TenfoldCells / rows.size() + 1);
        const size_t height = std::min(rows.size(), TenfoldCells / width);
        std::string block;
        for (size_t row = 0; row < height; ++row)
            for (size_t column = 0; column < width; ++column)
                block += std::to_string(row * 7 + column + 1) + (column + 1 < width ? "\t" : "\n");
        return PasteWrites(table, rows, 0, 1, block);
    });
}
BENCHMARK(BM_TenfoldPaste)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
