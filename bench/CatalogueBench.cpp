// Timing of what opening the editor on a big game costs: the whole file-type load (settings,
// default copy, definition file, category rows, the untitled document and its catalogue), then
// loading the generated 100,000-line document, building its catalogue and collecting what no
// category claims. Compared with the bare cost of reading and splitting the document's file.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "FirstButtonBoxes.h"
#include "RulesGenerator.h"
#include "main/Globals.h"
#include "main/Workspace.h"

namespace velmora::bench {
namespace {

namespace fs = std::filesystem;

// A program folder with settings, definition file and default copy, and the document beside it.
struct Installation {
    RulesGenerator generator;
    fs::path folder;
    std::string document;

    static const Installation& Get() {
        static const Installation installation;
        return installation;
    }

    ~Installation() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

private:
    Installation() {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("velmora-catalogue-bench-" + std::to_string(seed()));
        fs::create_directories(folder);
        document = (folder / "Mod.ini").string();
        RulesGenerator::WriteFile(document, generator.RulesText());
        RulesGenerator::WriteFile(folder / "Rules.001", generator.DefinitionText());
        RulesGenerator::WriteFile(folder / "Rules.INI", generator.DefaultText());
        RulesGenerator::WriteFile(folder / "Velmedit.ini",
                                  "[GeneralSetup]\r\nUpdateUnknown001=0\r\nCheckDoubleSection=0\r\n"
                                  "\r\n[FilesToEdit]\r\nRules.ini=1\r\n");
    }
};

void BM_DocumentReadSplitFloor(benchmark::State& state) {
    const auto& installation = Installation::Get();
    for (auto _ : state) {
        std::ifstream in(installation.document, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string_view> lines;
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r' && text[i] != '\n') continue;
            lines.emplace_back(text.data() + start, i - start);
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_DocumentReadSplitFloor)->Unit(benchmark::kMillisecond);

// Start-up on the installation, then the document opened and its unknown sections collected.
// The definition file is not rewritten here (UpdateUnknown001=0), so every run starts alike.
void BM_FileTypeLoadAndDocument(benchmark::State& state) {
    const auto& installation = Installation::Get();
    FirstButtonBoxes boxes;
    for (auto _ : state) {
        Globals globals;
        Workspace workspace(globals, boxes);
        workspace.SetDiskWrites(false);
        workspace.StartUp(installation.folder.string());
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(installation.document, false);
        workspace.SelectUnknown();
        benchmark::DoNotOptimize(workspace.CategoryList.Count());
    }
}
BENCHMARK(BM_FileTypeLoadAndDocument)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
