// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the comparison of two generated rules documents of about 100,000 lines each: the
// document against its default copy (a tenth of the values and a fiftieth of the sections
// differ), against an identical copy, and the patch of the differences. The stores are loaded once;
// only the comparison is timed.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "RulesGenerator.h"
#include "core/compare/Comparison.h"
#include "core/store/StringList.h"
#include "core/store/IniStore.h"

namespace velmora::bench {
namespace {

std::unique_ptr<IniStore> StoreOf(const std::string& text) {
    auto store = std::make_unique<IniStore>(std::string());
    StringList lines;
    lines.Add(text);
    store->SetStrings(lines);
    return store;
}

struct ComparedStores {
    static const ComparedStores& Get() {
        static const ComparedStores stores;
        return stores;
    }

    std::unique_ptr<IniStore> document;
    std::unique_ptr<IniStore> defaults;
    std::unique_ptr<IniStore> copy;
    size_t lineCount = 0;

private:
    ComparedStores() {
        const RulesGenerator generator;
        const std::string text = generator.RulesText();
        for (char c : text) lineCount += c == '\n';
        document = StoreOf(text);
        defaults = StoreOf(generator.DefaultText());
        copy = document->CloneAs("");
    }
};

// Argument 0: against the default copy; 1: against an identical copy.
void BM_CompareStores(benchmark::State& state) {
    const auto& stores = ComparedStores::Get();
    const IniStore& reference = state.range(0) == 0 ? *stores.defaults : *stores.copy;
    size_t differences = 0;
    for (auto _ : state) {
        auto found = CompareStores(*stores.document, reference, true);
        differences = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["lines"] = static_cast<double>(stores.lineCount);
    state.counters["differences"] = static_cast<double>(differences);
}
BENCHMARK(BM_CompareStores)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CompareStoresIgnoringCase(benchmark::State& state) {
    const auto& stores = ComparedStores::Get();
    for (auto _ : state) benchmark::DoNotOptimize(CompareStores(*stores.document, *stores.defaults, false).data());
}
BENCHMARK(BM_CompareStoresIgnoringCase)->Unit(benchmark::kMillisecond);

void BM_PatchText(benchmark::State& state) {
    const auto& stores = ComparedStores::Get();
    const auto differences = CompareStores(*stores.document, *stores.defaults, true);
    for (auto _ : state) benchmark::DoNotOptimize(PatchText(*stores.document, differences).data());
}
BENCHMARK(BM_PatchText)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
