// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the INI store on a generated rules document of about 100,000 lines: loading and
// writing against the bare cost of reading, splitting and writing the same bytes, lookups, and
// the three claiming passes that build a catalogue.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "ReadSplitFloor.h"
#include "RulesGenerator.h"
#include "core/store/IniStore.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace velmora::bench {
namespace {

namespace fs = std::filesystem;

// The generated files, written once per run into a folder of their own.
class BenchFiles {
public:
    static const BenchFiles& Get() {
        static const BenchFiles files;
        return files;
    }

    RulesGenerator generator;
    fs::path folder;
    std::string rules;
    std::string definition;
    std::string output;
    size_t lineCount = 0;

    ~BenchFiles() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

private:
    BenchFiles() {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("velmora-bench-" + std::to_string(seed()));
        fs::create_directories(folder);
        rules = (folder / "Rules.ini").string();
        definition = (folder / "Rules.001").string();
        output = (folder / "Saved.ini").string();
        const std::string text = generator.RulesText();
        for (char c : text) lineCount += c == '\n';
        RulesGenerator::WriteFile(rules, text);
        RulesGenerator::WriteFile(definition, generator.DefinitionText());
        RulesGenerator::WriteFile(folder / "Rules.INI", generator.DefaultText());
    }
};

void SetCounters(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(files.rules)));
    state.counters["lines"] = static_cast<double>(files.lineCount);
}

void BM_ReadSplitFloor(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    for (auto _ : state) {
        std::string text = ReadWhole(files.rules);
        auto lines = SplitLines(text);
        benchmark::DoNotOptimize(lines.data());
    }
    SetCounters(state);
}
BENCHMARK(BM_ReadSplitFloor)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    for (auto _ : state) {
        IniStore store(files.rules);
        benchmark::DoNotOptimize(store.SectionCount());
    }
    SetCounters(state);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// Writes the lines with CR LF into a new file; with `durable`, also flushes it to the device
// and renames it over the target, as a save that never leaves a half-written file must.
void WriteLines(const std::vector<std::string_view>& lines, const std::string& path, bool durable) {
    std::string text;
    for (std::string_view line : lines) text.append(line).append("\r\n");
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(durable ? temporary.c_str() : path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    if (durable) {
        std::fflush(file);
#ifdef _WIN32
        _commit(_fileno(file));
#else
        fsync(fileno(file));
#endif
    }
    std::fclose(file);
    if (durable) fs::rename(temporary, path);
}

void BM_ReadSplitWriteFloor(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    const bool durable = state.range(0) != 0;
    for (auto _ : state) {
        std::string text = ReadWhole(files.rules);
        WriteLines(SplitLines(text), files.output, durable);
    }
    SetCounters(state);
}
BENCHMARK(BM_ReadSplitWriteFloor)->ArgName("durable")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_UpdateFile(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    IniStore store(files.rules);
    store.Rename(files.output, false);
    for (auto _ : state) store.UpdateFile();
    SetCounters(state);
}
BENCHMARK(BM_UpdateFile)->Unit(benchmark::kMillisecond);

// What `velmora-ini format` does: load, then save as the editor saves; its floor is the durable
// read-split-write above.
void BM_Format(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    for (auto _ : state) {
        IniStore store(files.rules);
        store.Rename(files.output, false);
        store.UpdateFile();
    }
    SetCounters(state);
}
BENCHMARK(BM_Format)->Unit(benchmark::kMillisecond);

void BM_RenderText(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    IniStore store(files.rules);
    for (auto _ : state) benchmark::DoNotOptimize(store.RenderText());
    SetCounters(state);
}
BENCHMARK(BM_RenderText)->Unit(benchmark::kMillisecond);

// One lookup per iteration, of existing (section, key) pairs in random order; the argument
// says whether section names compare exactly (1) or without regard to case (0).
void BM_ReadString(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    const bool caseSensitive = state.range(0) != 0;
    IniStore store(files.rules, &caseSensitive);
    const auto& existing = files.generator.ExistingKeys();
    std::mt19937 random(7);
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int i = 0; i < 4096; ++i) pairs.push_back(existing[random() % existing.size()]);
    (void)store.ReadString(pairs[0].first, pairs[0].second, "");  // builds the lookup index
    size_t next = 0;
    for (auto _ : state) {
        const auto& [section, key] = pairs[next++ & 4095];
        benchmark::DoNotOptimize(store.ReadString(section, key, ""));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadString)->ArgName("case_sensitive")->Arg(1)->Arg(0);

// The first lookup after a load, which pays for whatever index the store builds.
void BM_FirstLookupAfterLoad(benchmark::State& state) {
    const auto& files = BenchFiles::Get();
    const auto& [section, key] = files.generator.ExistingKeys().back();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<IniStore>(files.rules);
        state.ResumeTiming();
        benchmark::DoNotOptimize(store->ReadString(section, key, ""));
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstLookupAfterLoad)->Unit(benchmark::kMicrosecond);

// A fresh copy of the document for each run of a claiming pass, since claims are never undone.
class ClaimingSetup {
public:
    ClaimingSetup() : m_document(BenchFiles::Get().rules) {
        const IniStore definition(BenchFiles::Get().definition);
        const auto& generator = BenchFiles::Get().generator;
        for (size_t c = 0; c < generator.Categories().size(); ++c) {
            const auto& category = generator.Categories()[c];
            StringList keys;
            for (const auto& key : generator.CategoryKeys(c)) keys.Add(key);
            m_keys.push_back(std::move(keys));
            if (category.kind == 0) {
                m_listSections.push_back(category.name);
            } else {
                StringList lines;
                definition.ReadSectionValues(category.name, lines);
                m_listed.push_back(std::move(lines));
            }
        }
    }

    std::unique_ptr<IniStore> Document() const { return m_document.CloneAs(""); }

    void ClaimLists(IniStore& document) const {
        for (const auto& name : m_listSections) document.MarkOccupiedListSection(name);
    }
    void ClaimListed(IniStore& document) const {
        for (const auto& lines : m_listed) document.MarkOccupiedListed(lines);
    }
    size_t ClaimMatching(IniStore& document) const {
        size_t found = 0;
        StringList names;
        for (const auto& keys : m_keys) {
            document.MarkOccupiedMatching(keys, names, 4);
            found += names.Count();
        }
        return found;
    }

private:
    IniStore m_document;
    std::vector<std::string> m_listSections;
    std::vector<StringList> m_listed;
    std::vector<StringList> m_keys;
};

// Runs `pass` on fresh copies; `prepare` runs untimed before it.
template <typename Prepare, typename Pass>
void RunClaims(benchmark::State& state, Prepare prepare, Pass pass) {
    static const ClaimingSetup setup;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = setup.Document();
        prepare(setup, *document);
        state.ResumeTiming();
        pass(setup, *document);
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
}

void Nothing(const ClaimingSetup&, IniStore&) {}

void BM_ClaimListSections(benchmark::State& state) {
    RunClaims(state, Nothing, [](const ClaimingSetup& setup, IniStore& document) {
        setup.ClaimLists(document);
    });
}
BENCHMARK(BM_ClaimListSections)->Unit(benchmark::kMicrosecond);

void BM_ClaimListed(benchmark::State& state) {
    RunClaims(state, Nothing, [](const ClaimingSetup& setup, IniStore& document) {
        setup.ClaimListed(document);
    });
}
BENCHMARK(BM_ClaimListed)->Unit(benchmark::kMicrosecond);

// Matching once per category (40) after the listed sections are claimed, as a catalogue does.
void BM_ClaimMatching(benchmark::State& state) {
    size_t found = 0;
    RunClaims(
        state,
        [](const ClaimingSetup& setup, IniStore& document) {
            setup.ClaimLists(document);
            setup.ClaimListed(document);
        },
        [&found](const ClaimingSetup& setup, IniStore& document) {
            found = setup.ClaimMatching(document);
        });
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_ClaimMatching)->Unit(benchmark::kMicrosecond);

// Matching with every section still free: the most work the pass can be given.
void BM_ClaimMatchingAllFree(benchmark::State& state) {
    size_t found = 0;
    RunClaims(state, Nothing, [&found](const ClaimingSetup& setup, IniStore& document) {
        found = setup.ClaimMatching(document);
    });
    state.counters["found"] = static_cast<double>(found);
}
BENCHMARK(BM_ClaimMatchingAllFree)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora::bench
