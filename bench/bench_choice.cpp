// SPDX-License-Identifier: GPL-3.0-or-later
// The OTHERS list of the value choice dialog on a big category: it is built while the user waits
// for the dialog, so it has to stay well under 10 ms for 3,000 entries.

#include <benchmark/benchmark.h>

#include <cctype>
#include <string>
#include <vector>

#include "core/choice/ChoiceLists.h"
#include "core/store/StringList.h"
#include "core/store/IniStore.h"

namespace velmora {
namespace {

constexpr int EntryCount = 3000;

// A document of `EntryCount` entries of a dozen keys each. The key "Armor" takes one of
// `distinctValues` values, spelled in changing letter case, and is left blank in every 50th entry.
struct Category {
    explicit Category(int distinctValues) : document("") {
        StringList lines;
        for (int i = 0; i < EntryCount; ++i) {
            const std::string code = std::string("E").append(std::to_string(i));
            codes.push_back(code);
            lines.Add("[" + code + "]");
            lines.Add("Name=Unit " + std::to_string(i));
            for (int key = 0; key < 10; ++key) lines.Add("Key" + std::to_string(key) + "=" + std::to_string(i % 7));
            std::string armor = i % 50 == 0 ? "" : "armor" + std::to_string(i % distinctValues);
            if (i % 3 == 0)
                for (char& c : armor) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            lines.Add("Armor=" + armor + (i % 4 == 0 ? " ; note" : ""));
        }
        document.SetStrings(lines);
    }

    IniStore document;
    std::vector<std::string> codes;
};

void BM_OthersList(benchmark::State& state) {
    const Category category(static_cast<int>(state.range(0)));
    size_t items = 0;
    for (auto _ : state) {
        std::vector<std::string> list = BuildOthersList(category.codes, "armor", category.document);
        SortNoCase(list);
        items = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["items"] = static_cast<double>(items);
}
// Most values repeat (the usual case), and every entry with a value of its own (the worst case).
BENCHMARK(BM_OthersList)->Arg(5)->Arg(EntryCount)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora
