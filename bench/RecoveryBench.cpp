// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery copy of a document ten times the size of a real rules file (about 17 MB): the
// part the window does on its own thread (the bytes of the store) against the part a thread of
// its own does (hash, header and the safe write), and the stamp check before a save.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "RulesGenerator.h"
#include "core/store/DiskStamp.h"
#include "core/store/StoreRendering.h"
#include "core/recovery/RecoveryFile.h"
#include "core/store/IniStore.h"

namespace velmora::bench {
namespace {

namespace fs = std::filesystem;

class TenfoldDocument {
public:
    static const TenfoldDocument& Get() {
        static const TenfoldDocument document;
        return document;
    }

    fs::path folder;
    std::string file;
    std::unique_ptr<IniStore> store;

    ~TenfoldDocument() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

private:
    TenfoldDocument() {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("velmora-recovery-bench-" + std::to_string(seed()));
        fs::create_directories(folder);
        file = (folder / "Rules.ini").string();
        RulesShape shape;
        shape.sectionCount *= 10;
        const RulesGenerator generator(shape);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        const std::string text = generator.RulesText();
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        store = std::make_unique<IniStore>(file);
    }
};

void SetBytes(benchmark::State& state, size_t bytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

// The whole rendering at once, as a save does it: more than a frame for this document.
void BM_RecoveryBytesAtOnce(benchmark::State& state) {
    const auto& document = TenfoldDocument::Get();
    size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = document.store->RenderText();
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    SetBytes(state, size);
}
BENCHMARK(BM_RecoveryBytesAtOnce)->Unit(benchmark::kMillisecond);

// What the window does between two of its events while a copy is made: one slice of the
// rendering. The slices of one copy are timed in turn; a copy done starts the next.
void BM_RecoveryBytesOnWindowThread(benchmark::State& state) {
    const auto& document = TenfoldDocument::Get();
    auto rendering = std::make_unique<StoreRendering>(*document.store);
    for (auto _ : state) {
        if (rendering->Continue(StoreRendering::LinesPerSlice)) {
            state.PauseTiming();
            benchmark::DoNotOptimize(rendering->Take().data());
            rendering = std::make_unique<StoreRendering>(*document.store);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_RecoveryBytesOnWindowThread)->Unit(benchmark::kMillisecond);

// The rest of the window's part: joining the slices is done on the writing thread.
void BM_RecoveryJoinOnItsThread(benchmark::State& state) {
    const auto& document = TenfoldDocument::Get();
    for (auto _ : state) {
        state.PauseTiming();
        StoreRendering rendering(*document.store);
        rendering.Continue(std::numeric_limits<size_t>::max());
        state.ResumeTiming();
        benchmark::DoNotOptimize(rendering.Take().data());
    }
}
BENCHMARK(BM_RecoveryJoinOnItsThread)->Unit(benchmark::kMillisecond);

void BM_RecoveryWriteOnItsThread(benchmark::State& state) {
    const auto& document = TenfoldDocument::Get();
    Recovery recovery;
    recovery.SavedAt = 1;
    recovery.Files.push_back({std::string(Recovery::DocumentRole), document.file, TakeDiskStamp(document.file),
                              document.store->RenderText()});
    const auto claim = RecoveryClaim::TakeNew((document.folder / "recovery").string(), document.file);
    for (auto _ : state) claim->Write(recovery);
    SetBytes(state, recovery.Files.front().Bytes.size());
}
BENCHMARK(BM_RecoveryWriteOnItsThread)->Unit(benchmark::kMillisecond);

// The check before every save when nothing changed: size and time only.
void BM_StampCheckUnchanged(benchmark::State& state) {
    const auto& document = TenfoldDocument::Get();
    const DiskStamp stamp = TakeDiskStamp(document.file);
    for (auto _ : state) benchmark::DoNotOptimize(ChangeOnDisk(stamp, document.file));
}
BENCHMARK(BM_StampCheckUnchanged)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmora::bench
