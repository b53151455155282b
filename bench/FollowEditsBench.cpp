// SPDX-License-Identifier: GPL-3.0-or-later
// What one value edit costs the views that follow the document, on the generated 100,000-line
// document (argument 0) and on one ten times the size of a real mod file (argument 1): the find
// index and the comparison with the default copy brought up to date from the edit's news (goal:
// under 16 ms each on the larger one) and the Changes window's grouping of the rows, beside the
// rebuilds they replace; and the usages and Check References lists brought up to date.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/boxes/FirstButtonBoxes.h"
#include "GeneratedInstallation.h"
#include "core/compare/Comparison.h"
#include "core/compare/DifferenceCategories.h"
#include "core/document/Document.h"
#include "core/references/FindIndex.h"
#include "core/references/FollowedRows.h"
#include "core/references/References.h"
#include "core/settings/Globals.h"
#include "core/compare/LiveComparison.h"
#include "core/catalogue/TouchedSections.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"

namespace velmora::bench {
namespace {

// A generated document opened in a started editor, with the views that follow it and one value
// of an entry in the middle of the document to edit back and forth.
struct FollowedDocument : DocumentObserver {
    Globals globals;
    FirstButtonBoxes boxes;
    Workspace workspace{globals, boxes};
    std::unique_ptr<FindIndex> index;
    std::unique_ptr<LiveComparison> comparison;
    TouchedSections touched;
    std::pair<std::string, std::string> value;
    std::string referenceValue;
    bool flip = false;

    static FollowedDocument& Get(int64_t size) {
        static const std::unique_ptr<FollowedDocument> documents[2] = {
            std::unique_ptr<FollowedDocument>(new FollowedDocument(GeneratedInstallation::Get())),
            std::unique_ptr<FollowedDocument>(new FollowedDocument(GeneratedInstallation::Tenfold()))};
        return *documents[size];
    }

    // The edit of the value, its news gathered: to one the default copy lacks and back to the
    // default's, so that a row of the comparison comes and goes each time (the costlier case).
    void Edit() {
        flip = !flip;
        workspace.Doc().SetValue(value.first, value.second, flip ? "1234" : referenceValue);
    }

    void ValueChanged(const std::string& code, const std::string& /*key*/) override { touched.Add(code); }
    void EntriesChanged() override { touched.AddEverything(); }

    FollowedDocument(const FollowedDocument&) = delete;
    FollowedDocument& operator=(const FollowedDocument&) = delete;

private:
    explicit FollowedDocument(const GeneratedInstallation& installation) {
        workspace.SetDiskWrites(false);
        workspace.StartUp(installation.folder.string());
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(installation.document, false);
        // An entry's value that the default copy has too: an edit of a list is read whole, as it
        // changes what the categories hold, and a section only the document has is not compared.
        const auto& keys = installation.generator.ExistingKeys();
        const std::vector<std::string> lists = installation.generator.DocumentListSections();
        size_t pick = keys.size() / 2;
        while (std::find(lists.begin(), lists.end(), keys[pick].first) != lists.end() ||
               !workspace.DefaultIni()->ValueExists(keys[pick].first, keys[pick].second))
            ++pick;
        value = keys[pick];
        referenceValue = workspace.DefaultIni()->ReadString(value.first, value.second, "");
        workspace.Doc().AddObserver(*this);
        index = std::make_unique<FindIndex>(workspace);
        comparison = std::make_unique<LiveComparison>(workspace.Doc().Store(), *workspace.DefaultIni(),
                                                      globals.CaseSensitive);
    }
};

void Describe(benchmark::State& state, const FollowedDocument& document) {
    state.SetLabel(state.range(0) == 0 ? "100,000 lines" : "tenfold real size");
    state.counters["sections"] = static_cast<double>(document.workspace.Doc().Store().SectionCount());
}

void BM_FindIndexFollowsEdit(benchmark::State& state) {
    FollowedDocument& document = FollowedDocument::Get(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        document.Edit();
        state.ResumeTiming();
        document.index->Update(document.workspace, document.touched);
        document.touched.Clear();
    }
    Describe(state, document);
}
BENCHMARK(BM_FindIndexFollowsEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ComparisonFollowsEdit(benchmark::State& state) {
    FollowedDocument& document = FollowedDocument::Get(state.range(0));
    size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document.Edit();
        state.ResumeTiming();
        const Workspace& workspace = document.workspace;
        const auto changed = document.comparison->Update(workspace.Doc().Store(), document.touched.SectionsToRead(workspace));
        document.touched.Clear();
        rows = changed ? changed->size() : SIZE_MAX;
        benchmark::DoNotOptimize(rows);
    }
    Describe(state, document);
    state.counters["differences"] = static_cast<double>(document.comparison->Differences().size());
}
BENCHMARK(BM_ComparisonFollowsEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The usages and Check References windows brought up to date after an edit: the usages of the
// edited entry's code, the dangling items and the entries listed twice.
void BM_ResultsFollowEdit(benchmark::State& state) {
    FollowedDocument& document = FollowedDocument::Get(state.range(0));
    const Workspace& workspace = document.workspace;
    const std::string code = document.value.first;
    const bool caseSensitive = document.globals.CaseSensitive;
    FollowedRows<Usage> usages;
    usages.Renew([&] { return FindUsages(workspace.Doc().Store(), code, caseSensitive); });
    auto check = std::make_unique<ReferenceCheck>(workspace);
    for (auto _ : state) {
        state.PauseTiming();
        document.Edit();
        state.ResumeTiming();
        const std::optional<std::vector<size_t>> sections = document.touched.SectionsToRead(workspace);
        document.touched.Clear();
        usages.Follow(
            sections, [&] { return FindUsages(workspace.Doc().Store(), code, caseSensitive); },
            [&](const std::vector<size_t>& in) { return std::optional(FindUsagesIn(workspace.Doc().Store(), code, caseSensitive, in)); });
        if (!sections || !check->Follow(*sections)) check = std::make_unique<ReferenceCheck>(workspace);
    }
    Describe(state, document);
    state.counters["dangling"] = static_cast<double>(check->DanglingItems().size());
}
BENCHMARK(BM_ResultsFollowEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The Changes window's grouping of the rows by category after an edit, its catalogue kept.
void BM_DifferenceGroupsAfterEdit(benchmark::State& state) {
    const FollowedDocument& document = FollowedDocument::Get(state.range(0));
    const DifferenceCategories categories(document.workspace, *document.workspace.DefaultIni());
    for (auto _ : state) benchmark::DoNotOptimize(categories.GroupsOf(document.comparison->Differences()).data());
    Describe(state, document);
}
BENCHMARK(BM_DifferenceGroupsAfterEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same groups followed from the rows an edit changed, as the window now keeps them.
void BM_DifferenceGroupsFollowEdit(benchmark::State& state) {
    FollowedDocument& document = FollowedDocument::Get(state.range(0));
    const Workspace& workspace = document.workspace;
    const DifferenceCategories categories(workspace, *workspace.DefaultIni());
    std::vector<DifferenceCategories::Group> groups = categories.GroupsOf(document.comparison->Differences());
    for (auto _ : state) {
        state.PauseTiming();
        document.Edit();
        const std::optional<std::vector<size_t>> sections = document.touched.SectionsToRead(workspace);
        document.touched.Clear();
        const std::optional<std::vector<ChangedRows>> changed = document.comparison->Update(workspace.Doc().Store(), sections);
        state.ResumeTiming();
        if (changed)
            categories.FollowGroups(groups, document.comparison->Differences(), *changed);
        else
            groups = categories.GroupsOf(document.comparison->Differences());
    }
    Describe(state, document);
}
BENCHMARK(BM_DifferenceGroupsFollowEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// What the windows did after every edit before they followed its news.
void BM_FindIndexRebuild(benchmark::State& state) {
    const FollowedDocument& document = FollowedDocument::Get(state.range(0));
    for (auto _ : state) {
        const FindIndex index(document.workspace);
        benchmark::DoNotOptimize(index.RowCount());
    }
    Describe(state, document);
}
BENCHMARK(BM_FindIndexRebuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ComparisonRebuild(benchmark::State& state) {
    const FollowedDocument& document = FollowedDocument::Get(state.range(0));
    for (auto _ : state) {
        const Workspace& workspace = document.workspace;
        const auto differences =
            CompareStores(workspace.Doc().Store(), *workspace.DefaultIni(), document.globals.CaseSensitive);
        benchmark::DoNotOptimize(differences.data());
    }
    Describe(state, document);
}
BENCHMARK(BM_ComparisonRebuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
