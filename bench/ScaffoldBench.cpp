// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of "New Definition from Document" on the generated 100,000-line document: finding its
// lists and references, planning the claims and pages, and rendering the definition file, on a
// document already in memory (the load is timed in the store's benchmarks).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "RulesGenerator.h"
#include "core/scaffold/DefinitionScaffold.h"
#include "core/store/StringList.h"
#include "core/store/IniStore.h"

namespace velmora::bench {
namespace {

const IniStore& ScaffoldDocument() {
    static const std::unique_ptr<IniStore> document = [] {
        auto store = std::make_unique<IniStore>(std::string());
        StringList lines;
        lines.Add(RulesGenerator().RulesText());  // the store splits it into lines as it splits a file
        store->SetStrings(lines);
        return store;
    }();
    return *document;
}

void BM_ScaffoldDefinition(benchmark::State& state) {
    const IniStore& document = ScaffoldDocument();
    for (auto _ : state) {
        const DefinitionScaffold scaffold = ScaffoldDefinition(document, 4);
        const std::string text = DefinitionText(scaffold, StringList());
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["sections"] = static_cast<double>(document.SectionCount());
}
BENCHMARK(BM_ScaffoldDefinition)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
