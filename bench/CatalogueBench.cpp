// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of what opening the editor on a big game costs: the whole file-type load (settings,
// default copy, definition file, category rows, the untitled document and its catalogue), then
// loading the generated 100,000-line document, building its catalogue and collecting what no
// category claims. Compared with the bare cost of reading and splitting the document's file.
//
// Then the worst case of the unknown-section pass: a document whose 150,000 sections (about
// 2.3 MB) no category claims, run as "velmora-ini catalogue DIR DOC" runs it, and the same at ten
// times the size; each against the floor of reading and splitting its file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "core/boxes/FirstButtonBoxes.h"
#include "GeneratedInstallation.h"
#include "ReadSplitFloor.h"
#include "RulesGenerator.h"
#include "core/catalogue/CatalogueText.h"
#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"

namespace velmora::bench {
namespace {

namespace fs = std::filesystem;

void ReadAndSplit(const std::string& path) {
    const std::string text = ReadWhole(path);
    auto lines = SplitLines(text);
    benchmark::DoNotOptimize(lines.data());
}

void BM_DocumentReadSplitFloor(benchmark::State& state) {
    const auto& installation = GeneratedInstallation::Get();
    for (auto _ : state) ReadAndSplit(installation.document);
}
BENCHMARK(BM_DocumentReadSplitFloor)->Unit(benchmark::kMillisecond);

// Start-up on the installation, then the document opened and its unknown sections collected.
// The definition file is not rewritten here (UpdateUnknown001=0), so every run starts alike.
void BM_FileTypeLoadAndDocument(benchmark::State& state) {
    const auto& installation = GeneratedInstallation::Get();
    FirstButtonBoxes boxes;
    for (auto _ : state) {
        Globals globals;
        Workspace workspace(globals, boxes);
        workspace.SetDiskWrites(false);
        workspace.StartUp(installation.folder.string());
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(installation.document, false);
        workspace.SelectUnknown();
        benchmark::DoNotOptimize(workspace.CategoryList().Count());
    }
}
BENCHMARK(BM_FileTypeLoadAndDocument)->Unit(benchmark::kMillisecond);

// A program folder with a definition file of 40 categories and a small default copy, and beside
// it, per size, a document of sections that fit none of the categories and are listed nowhere.
class UnclaimedInstallation {
public:
    static UnclaimedInstallation& Get() {
        static UnclaimedInstallation installation;
        return installation;
    }

    ~UnclaimedInstallation() {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    // Starts in the program folder and opens the document, as "velmora-ini catalogue DIR DOC"
    // does before it collects the unknown sections; nothing is written to disk.
    void Open(Workspace& workspace, const std::string& document) const {
        workspace.SetDiskWrites(false);
        workspace.StartUpSettings(m_folder.string());
        workspace.BeginToLoadNONBASIC();
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(document, false);
    }

    // The document of `sections` unclaimed sections, written on first use.
    const std::string& Document(size_t sections) {
        auto [it, isNew] = m_documents.try_emplace(sections);
        if (isNew) {
            it->second = (m_folder / ("Unclaimed" + std::to_string(sections) + ".ini")).string();
            std::string text;
            text.reserve(sections * 17);
            for (size_t i = 0; i < sections; ++i) text += "[U" + std::to_string(i) + "]\r\nq=1\r\n";
            RulesGenerator::WriteFile(it->second, text);
        }
        return it->second;
    }

private:
    UnclaimedInstallation() {
        std::random_device seed;
        m_folder = fs::temp_directory_path() / ("velmora-unclaimed-bench-" + std::to_string(seed()));
        fs::create_directories(m_folder);
        RulesShape shape;
        shape.sectionCount = 300;
        RulesGenerator generator(shape);
        RulesGenerator::WriteFile(m_folder / "Rules.001", generator.DefinitionText());
        RulesGenerator::WriteFile(m_folder / "Rules.INI", generator.DefaultText());
        RulesGenerator::WriteFile(m_folder / "Velmedit.ini", "[FilesToEdit]\r\nRules.ini=1\r\n");
    }

    fs::path m_folder;
    std::map<size_t, std::string> m_documents;
};

// Takes the catalogue text as a terminal would, without keeping it.
class DiscardingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

void BM_UnclaimedReadSplitFloor(benchmark::State& state) {
    const std::string& document = UnclaimedInstallation::Get().Document(static_cast<size_t>(state.range(0)));
    for (auto _ : state) ReadAndSplit(document);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(document)));
}
BENCHMARK(BM_UnclaimedReadSplitFloor)->Arg(150000)->Arg(1500000)->Unit(benchmark::kMillisecond);

// "velmora-ini catalogue DIR DOC": start-up, the document opened, its unknown sections collected,
// every category and entry written out.
void BM_UnclaimedCatalogue(benchmark::State& state) {
    auto& installation = UnclaimedInstallation::Get();
    const std::string& document = installation.Document(static_cast<size_t>(state.range(0)));
    FirstButtonBoxes boxes;
    DiscardingBuffer discard;
    std::ostream out(&discard);
    for (auto _ : state) {
        Globals globals;
        Workspace workspace(globals, boxes);
        installation.Open(workspace, document);
        workspace.SelectUnknown();
        WriteCatalogueText(workspace, out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(document)));
}
BENCHMARK(BM_UnclaimedCatalogue)->Arg(150000)->Arg(1500000)->Unit(benchmark::kMillisecond);

// The unknown-section pass alone, on the document already loaded and sorted.
void BM_UnclaimedUnknownPass(benchmark::State& state) {
    auto& installation = UnclaimedInstallation::Get();
    const std::string& document = installation.Document(static_cast<size_t>(state.range(0)));
    FirstButtonBoxes boxes;
    for (auto _ : state) {
        state.PauseTiming();
        auto globals = std::make_unique<Globals>();
        auto workspace = std::make_unique<Workspace>(*globals, boxes);
        installation.Open(*workspace, document);
        state.ResumeTiming();
        workspace->SelectUnknown();
        state.PauseTiming();
        workspace.reset();
        globals.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UnclaimedUnknownPass)->Arg(150000)->Arg(1500000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
