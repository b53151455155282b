// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of layers over a generated rules document of real size (about 1.7 MB) and of ten times
// that: a game-mode file that changes a value in every fortieth entry, and a map of about 2 MB
// (20 MB at ten times) whose own data is long lines, with a list that adds units, the units, and
// overrides of its own, some the mode's too. Timed: reading both layers onto the stack, and that
// with the list of conflicts; the workspace's document is read once.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "GeneratedInstallation.h"
#include "core/boxes/FirstButtonBoxes.h"
#include "core/catalogue/Workspace.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerStack.h"
#include "core/settings/Globals.h"

namespace velmora::bench {
namespace {

struct LayeredInstallation {
    const GeneratedInstallation& installation;
    Globals globals;
    FirstButtonBoxes boxes{nullptr};
    Workspace workspace{globals, boxes};
    std::string mode;
    std::string map;
    size_t layerBytes = 0;

    static LayeredInstallation& Get(int64_t scale) {
        if (scale == 1) {
            static LayeredInstallation real(GeneratedInstallation::Get(), 1);
            return real;
        }
        static LayeredInstallation tenfold(GeneratedInstallation::Tenfold(), 10);
        return tenfold;
    }

private:
    LayeredInstallation(const GeneratedInstallation& generated, size_t scale) : installation(generated) {
        const std::filesystem::path& folder = installation.folder;
        const bool* caseSensitive = &workspace.G().CaseSensitive;
        workspace.Doc().Load(StoreOf::Document,
                             std::make_unique<IniStore>(installation.document, caseSensitive));
        workspace.Doc().Load(StoreOf::Definition,
                             std::make_unique<IniStore>((folder / "Rules.001").string(), caseSensitive));
        StringList categories;
        workspace.Doc().Definition().ReadSectionValues(Workspace::AllSections, categories);
        workspace.UseCategoryList(std::move(categories));

        const auto& keys = installation.generator.ExistingKeys();
        std::string modeText = "; a game mode\r\n";
        std::string mapOverrides;
        std::string lastSection;
        for (size_t i = 0; i < keys.size(); i += 40) {
            const auto& [section, key] = keys[i];
            if (section != lastSection) modeText += "\r\n[" + section + "]\r\n";
            lastSection = section;
            modeText += key + "=" + std::to_string(i) + "\r\n";
            // Every other one the map sets again: half of them to the mode's value.
            if (i % 80 == 0)
                mapOverrides +=
                    "[" + section + "]\r\n" + key + "=" + std::to_string(i % 160 == 0 ? i : i + 1) + "\r\n";
        }
        mode = (folder / ("Mode" + std::to_string(scale) + ".ini")).string();
        RulesGenerator::WriteFile(mode, modeText);

        std::string mapText = "[Basic]\r\nName=Generated Map\r\n[Map]\r\nSize=0,0,200,200\r\n";
        const std::string list = installation.generator.DocumentListSections().front();
        mapText += "[" + list + "]\r\n";
        for (size_t unit = 0; unit < 20 * scale; ++unit)
            mapText += std::to_string(90000 + unit) + "=MAPUNIT" + std::to_string(unit) + "\r\n";
        for (size_t unit = 0; unit < 20 * scale; ++unit)
            mapText += "[MAPUNIT" + std::to_string(unit) +
                       "]\r\nName=Map Unit\r\nCost=" + std::to_string(unit) + "\r\n";
        mapText += mapOverrides + "[Waypoints]\r\n";
        for (size_t point = 0; point < 100 * scale; ++point)
            mapText += std::to_string(point) + "=" + std::to_string(point * 1013) + "\r\n";
        mapText += "[IsoMapPack5]\r\n";
        const std::string data(1900, 'Q');
        for (size_t line = 1; line <= 1000 * scale; ++line)
            mapText += std::to_string(line) + "=" + data + "\r\n";
        map = (folder / ("Map" + std::to_string(scale) + ".map")).string();
        RulesGenerator::WriteFile(map, mapText);
        layerBytes = modeText.size() + mapText.size();
    }
};

// Argument: 1 for a real-size document, 10 for ten times that.
void BM_AddLayers(benchmark::State& state) {
    LayeredInstallation& layered = LayeredInstallation::Get(state.range(0));
    Workspace& workspace = layered.workspace;
    for (auto _ : state) {
        LayerStack stack(workspace);
        stack.Add(layered.mode);
        stack.Add(layered.map);
        benchmark::DoNotOptimize(stack.Count());
    }
    state.counters["layerMB"] = static_cast<double>(layered.layerBytes) / 1e6;
}
BENCHMARK(BM_AddLayers)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_AddLayersAndListConflicts(benchmark::State& state) {
    LayeredInstallation& layered = LayeredInstallation::Get(state.range(0));
    Workspace& workspace = layered.workspace;
    size_t conflicts = 0;
    for (auto _ : state) {
        LayerStack stack(workspace);
        stack.Add(layered.mode);
        stack.Add(layered.map);
        conflicts = 0;
        for (const EntryOverrides& entry : OverridesOf(stack, true)) conflicts += entry.Keys.size();
    }
    state.counters["conflicts"] = static_cast<double>(conflicts);
}
BENCHMARK(BM_AddLayersAndListConflicts)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::bench
