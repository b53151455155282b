// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of finding and reference safety on the generated 100,000-line document, opened as the
// editor opens it: the find index built once per document and one keystroke's search in it (goal:
// under 30 ms), the usages of a code with the rewrites of a change of code, the rewrites of a
// replace over every section, and the check of every reference key (goal: under 100 ms).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/boxes/FirstButtonBoxes.h"
#include "GeneratedInstallation.h"
#include "core/references/FindIndex.h"
#include "core/settings/Globals.h"
#include "core/references/References.h"
#include "core/catalogue/Workspace.h"

namespace velmora::bench {
namespace {

// The generated document opened in a started editor, its unknown sections collected.
struct OpenDocument {
    Globals globals;
    FirstButtonBoxes boxes;
    Workspace workspace{globals, boxes};

    static const OpenDocument& Get() {
        static const std::unique_ptr<OpenDocument> open(new OpenDocument);
        return *open;
    }

private:
    OpenDocument() {
        const GeneratedInstallation& installation = GeneratedInstallation::Get();
        workspace.SetDiskWrites(false);
        workspace.StartUp(installation.folder.string());
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(installation.document, false);
        workspace.SelectUnknown();
    }
};

const FindIndex& Index() {
    static const FindIndex index(OpenDocument::Get().workspace);
    return index;
}

void BM_FindIndexBuild(benchmark::State& state) {
    const Workspace& workspace = OpenDocument::Get().workspace;
    for (auto _ : state) {
        const FindIndex index(workspace);
        benchmark::DoNotOptimize(index.RowCount());
    }
    state.counters["rows"] = static_cast<double>(Index().RowCount());
}
BENCHMARK(BM_FindIndexBuild)->Unit(benchmark::kMillisecond);

// What the user types, keystroke by keystroke: the first letter finds nearly every row, a weapon
// name a few hundred; the last is the whole word.
const std::vector<std::string> Keystrokes = {"h", "ho", "hover", "hovermissile", "gapowr"};

void BM_FindKeystroke(benchmark::State& state) {
    const FindIndex& index = Index();
    const std::string& text = Keystrokes[static_cast<size_t>(state.range(0))];
    const bool wholeWords = state.range(1) != 0;
    size_t hits = 0;
    for (auto _ : state) {
        const std::vector<FindIndex::Row> rows = index.Find(text, wholeWords);
        hits = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetLabel(text + (wholeWords ? " (whole words)" : ""));
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_FindKeystroke)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0}})
    ->Args({4, 1})
    ->Unit(benchmark::kMillisecond);

// The question before a change of code: the usages of a building that hundreds of lines name, and
// the lines the answer Yes would rewrite. Letter case counted (the default) and ignored.
void BM_UsagesAndRenameRewrites(benchmark::State& state) {
    const IniStore& document = OpenDocument::Get().workspace.Doc().Store();
    const bool caseSensitive = state.range(0) != 0;
    size_t lines = 0;
    for (auto _ : state) {
        const std::vector<Usage> usages = FindUsages(document, "GAPOWR", caseSensitive);
        const std::vector<LineRewrite> rewrites = RenameRewrites(usages, "GAPOWR", "GAPOWER", caseSensitive);
        lines = rewrites.size();
        benchmark::DoNotOptimize(rewrites.data());
    }
    state.SetLabel(caseSensitive ? "letter case counts" : "letter case ignored");
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_UsagesAndRenameRewrites)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// "replace Primary M60 M61" over every section.
void BM_ReplaceRewrites(benchmark::State& state) {
    const IniStore& document = OpenDocument::Get().workspace.Doc().Store();
    size_t lines = 0;
    for (auto _ : state) {
        const std::vector<LineRewrite> rewrites = ReplaceRewrites(document, "Primary", "M60", "M61", true);
        lines = rewrites.size();
        benchmark::DoNotOptimize(rewrites.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ReplaceRewrites)->Unit(benchmark::kMillisecond);

// Check References: every dangling item, and the entries listed twice.
void BM_CheckReferences(benchmark::State& state) {
    const Workspace& workspace = OpenDocument::Get().workspace;
    size_t dangling = 0;
    size_t doubles = 0;
    for (auto _ : state) {
        const std::vector<DanglingItem> items = FindDanglingItems(workspace);
        const std::vector<DoubleListing> listings = FindDoubleListings(workspace);
        dangling = items.size();
        doubles = listings.size();
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["dangling"] = static_cast<double>(dangling);
    state.counters["listed twice"] = static_cast<double>(doubles);
}
BENCHMARK(BM_CheckReferences)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
