// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of what the find and Changes windows do on the user-interface thread, on the generated
// document opened as the editor opens it: the copies of the texts the find index and the
// comparison are made from (both made on a thread of their own), the comparison taken up when it
// is handed back, and one keystroke of the Changes filter box over 80,000 differences. Goals on a document ten times a big real mod
// (VELMORA_BENCH_SECTIONS=47000): opening Find or Changes under 100 ms, a keystroke under 16 ms.
// The keystroke of the find window itself is BM_FindKeystroke.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/boxes/FirstButtonBoxes.h"
#include "GeneratedInstallation.h"
#include "HeapInUse.h"
#include "RulesGenerator.h"
#include "core/compare/ChangeRows.h"
#include "core/compare/ChangesSource.h"
#include "core/compare/LiveComparison.h"
#include "core/compare/Comparison.h"
#include "core/references/FindIndex.h"
#include "core/references/References.h"
#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"

namespace velmora::bench {
namespace {

constexpr size_t DifferenceCount = 80000;

// A program folder with a generated document of VELMORA_BENCH_SECTIONS object sections (5,000,
// about 100,000 lines, unless told), opened in a started editor.
struct SizedDocument {
    std::filesystem::path folder;
    Globals globals;
    FirstButtonBoxes boxes;
    std::unique_ptr<Workspace> workspace;

    static const SizedDocument& Get() {
        static const SizedDocument open;
        return open;
    }

    ~SizedDocument() {
        workspace.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

private:
    SizedDocument() {
        RulesShape shape;
        if (const char* sections = std::getenv("VELMORA_BENCH_SECTIONS")) shape.sectionCount = std::stoul(sections);
        const RulesGenerator generator(shape);
        std::random_device seed;
        folder = std::filesystem::temp_directory_path() / ("velmora-views-bench-" + std::to_string(seed()));
        std::filesystem::create_directories(folder);
        GeneratedInstallation::WriteFolder(folder, generator);
        workspace = std::make_unique<Workspace>(globals, boxes);
        workspace->SetDiskWrites(false);
        workspace->StartUp(folder.string());
        workspace->BeginCopyDefaultOrLoadINItoCurrentBuffer((folder / "Mod.ini").string(), false);
    }
};

// 80,000 changed values: the document's key lines from the first on, a section's lines at a time,
// the reference's value one digit longer.
const std::vector<Difference>& Differences() {
    static const std::vector<Difference> differences = [] {
        std::vector<Difference> made;
        const IniStore& document = SizedDocument::Get().workspace->Doc().Store();
        for (size_t s = 0; s < document.SectionCount() && made.size() < DifferenceCount; ++s) {
            const IniSection& section = document.SectionAt(s);
            for (size_t l = 0; l < section.Count() && made.size() < DifferenceCount; ++l) {
                std::string_view key;
                if (!section.LineAt(l).KeyName(key)) continue;
                const std::string_view value = section.LineAt(l).ValueText();
                made.emplace_back(DifferenceKind::ChangedValue, section.Name(), key, std::string(value) + "0",
                                  value, Difference::Place{}, Difference::Place{});
            }
        }
        return made;
    }();
    return differences;
}

// The part of opening Find on the windows' thread: the index read from the document, a step of
// some 5,000 lines (or list entries) at a time between events, as many steps as fit in a few
// milliseconds.
void BM_FindIndexRead(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    for (auto _ : state) {
        FindIndex read(workspace, FindIndex::Sliced{});
        while (!read.Continue(5000)) {
        }
        benchmark::DoNotOptimize(read.RowCount());
    }
    state.counters["sections"] = static_cast<double>(workspace.Doc().Store().SectionCount());
}
BENCHMARK(BM_FindIndexRead)->Unit(benchmark::kMillisecond);

// The first of those steps, which reads the biggest lists.
void BM_FindIndexReadStep(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    for (auto _ : state) {
        FindIndex read(workspace, FindIndex::Sliced{});
        benchmark::DoNotOptimize(read.Continue(5000));
    }
}
BENCHMARK(BM_FindIndexReadStep)->Unit(benchmark::kMillisecond);

// Keystrokes in Find on this document, "a", "ar", "arm": the whole search, which the window runs a
// few milliseconds at a time between events.
void BM_FindKeystrokeOnIt(benchmark::State& state) {
    static const FindIndex index(*SizedDocument::Get().workspace);
    const std::string text = std::string("arm").substr(0, static_cast<size_t>(state.range(0)));
    size_t hits = 0;
    for (auto _ : state) {
        hits = index.Find(text, false).size();
        benchmark::DoNotOptimize(hits);
    }
    state.SetLabel(text);
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_FindKeystrokeOnIt)->DenseRange(1, 3)->Unit(benchmark::kMillisecond);

// The whole index, and what it holds once sealed.
void BM_FindIndexOnIt(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    for (auto _ : state) {
        const FindIndex index(workspace);
        benchmark::DoNotOptimize(index.RowCount());
    }
    const size_t before = HeapInUse();
    const auto index = std::make_unique<FindIndex>(workspace);
    state.counters["index MB"] = static_cast<double>(HeapInUse() - before) / 1e6;
}
BENCHMARK(BM_FindIndexOnIt)->Unit(benchmark::kMillisecond);

// Opening Changes, the part on the windows' thread before the comparison: the copy of the
// document, the reference and the catalogue's lists it is made from.
void BM_ChangesSourceCopy(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    for (auto _ : state) {
        const ChangesSource source(workspace, *workspace.DefaultIni());
        benchmark::DoNotOptimize(&source);
    }
    state.counters["sections"] = static_cast<double>(workspace.Doc().Store().SectionCount());
}
BENCHMARK(BM_ChangesSourceCopy)->Unit(benchmark::kMillisecond);

// Opening Changes copies the same way: the first step, the first lists and the rows they hold.
void BM_ChangesSourceSlice(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    for (auto _ : state) {
        ChangesSource source(workspace, *workspace.DefaultIni(), StoreTexts::Sliced{});
        benchmark::DoNotOptimize(source.Continue(5000));
    }
}
BENCHMARK(BM_ChangesSourceSlice)->Unit(benchmark::kMillisecond);

// The comparison and its grouping, made from the copy on a thread of its own, for comparison.
void BM_ChangesFromCopy(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    const ChangesSource source(workspace, *workspace.DefaultIni());
    size_t differences = 0;
    for (auto _ : state) {
        const ChangesSource::Compared compared = source.Compare();
        differences = compared.differences.differences.size();
    }
    state.counters["differences"] = static_cast<double>(differences);
}
BENCHMARK(BM_ChangesFromCopy)->Unit(benchmark::kMillisecond);

// Opening Changes, the part on the windows' thread once the comparison is handed back: the live
// comparison takes it up, and each group's rows that pass the (empty) filter are taken, as the
// list's model takes them.
void BM_ChangesTakenUp(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    const ChangesSource::Compared compared = ChangesSource(workspace, *workspace.DefaultIni()).Compare();
    for (auto _ : state) {
        state.PauseTiming();
        ComparedCopies handed = compared.differences;
        state.ResumeTiming();
        const LiveComparison comparison(workspace.Doc().Store(), *workspace.DefaultIni(),
                                        workspace.G().CaseSensitive, std::move(handed));
        size_t shown = 0;
        for (const auto& group : compared.groups)
            for (const size_t row : group.Rows) shown += ChangeRowPasses(comparison.Differences()[row], "") ? 1 : 0;
        benchmark::DoNotOptimize(shown);
    }
    state.counters["differences"] = static_cast<double>(compared.differences.differences.size());
    // What the kept comparison holds: its differences, copied here as the thread's copy hands them.
    const size_t before = HeapInUse();
    ComparedCopies handed = compared.differences;
    const auto comparison = std::make_unique<LiveComparison>(workspace.Doc().Store(), *workspace.DefaultIni(),
                                                             workspace.G().CaseSensitive, std::move(handed));
    state.counters["comparison MB"] = static_cast<double>(HeapInUse() - before) / 1e6;
}
BENCHMARK(BM_ChangesTakenUp)->Unit(benchmark::kMillisecond);

// What the usages and Check References windows do after each edit while they are open: the
// whole document searched again.
void BM_UsagesRefill(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    size_t lines = 0;
    for (auto _ : state) lines = FindUsages(workspace.Doc().Store(), "GAPOWR", workspace.G().CaseSensitive).size();
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_UsagesRefill)->Unit(benchmark::kMillisecond);

void BM_CheckReferencesRefill(benchmark::State& state) {
    const Workspace& workspace = *SizedDocument::Get().workspace;
    size_t rows = 0;
    for (auto _ : state) rows = FindDanglingItems(workspace).size() + FindDoubleListings(workspace).size();
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_CheckReferencesRefill)->Unit(benchmark::kMillisecond);

// One keystroke in the Changes window's filter box: every row tested, a screenful's texts made.
void BM_ChangeFilterKeystroke(benchmark::State& state) {
    const std::vector<Difference>& differences = Differences();
    size_t passed = 0;
    for (auto _ : state) {
        passed = 0;
        for (const Difference& difference : differences) {
            if (!ChangeRowPasses(difference, "armor")) continue;
            if (++passed <= 40) benchmark::DoNotOptimize(ChangeRowTexts(difference).data());
        }
    }
    state.counters["passed"] = static_cast<double>(passed);
}
BENCHMARK(BM_ChangeFilterKeystroke)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
