// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the value check on the generated 100,000-line document, opened as the editor opens it:
// the learning of every key's kind with the check of every value (goal: under 100 ms in Release),
// and what one value commit costs the learning afterwards.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/boxes/FirstButtonBoxes.h"
#include "GeneratedInstallation.h"
#include "core/values/LiveValueCheck.h"
#include "core/values/ValueCheck.h"
#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"

namespace velmora::bench {
namespace {

// The generated document opened in a started editor, its unknown sections collected.
struct OpenDocument {
    Globals globals;
    FirstButtonBoxes boxes;
    Workspace workspace{globals, boxes};

    static OpenDocument& Get() {
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

// Learning from the document and the default copy, then every value checked against its kind.
void BM_LearnAndCheckValues(benchmark::State& state) {
    const Workspace& workspace = OpenDocument::Get().workspace;
    size_t findings = 0;
    for (auto _ : state) {
        const ValueCheck check(workspace);
        const std::vector<ValueFinding> found = check.Findings();
        findings = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_LearnAndCheckValues)->Unit(benchmark::kMillisecond);

// A commit of one value: the learning counts that key of the entry's categories again.
void BM_RelearnAfterACommit(benchmark::State& state) {
    Workspace& workspace = OpenDocument::Get().workspace;
    ValueCheck check(workspace);
    const KindCategory& category = check.Learner().Categories().front();
    const std::string& code = category.Entries.front();
    for (auto _ : state) check.ValueChanged(code, "Cost");
    state.counters["entries"] = static_cast<double>(category.Entries.size());
}
BENCHMARK(BM_RelearnAfterACommit)->Unit(benchmark::kMicrosecond);

// What a value commit costs the windows: the kept check counts the key again, then a grid page of
// an entry is marked. The learning itself is done once, before the loop, as after a load.
void BM_MarkAPageAfterACommit(benchmark::State& state) {
    Workspace& workspace = OpenDocument::Get().workspace;
    LiveValueCheck live(workspace);
    const KindCategory& category = live.Check().Learner().Categories().front();
    const std::string& code = category.Entries.front();
    const std::vector<std::string> keys = live.Check().Learner().Keys(0);
    size_t marked = 0;
    for (auto _ : state) {
        live.ValueChanged(code, "Cost");
        marked = 0;
        for (const std::string& key : keys) marked += live.StoredMisfit(code, key).has_value() ? 1 : 0;
    }
    state.counters["keys"] = static_cast<double>(keys.size());
    state.counters["marked"] = static_cast<double>(marked);
}
BENCHMARK(BM_MarkAPageAfterACommit)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora::bench
