// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of a mod opened as a whole and checked: a generated mod of four kinds of file (rules,
// art, sound and AI, about 3 MB together, as a big real mod) and one ten times larger. Opening the
// mod folder and its check together: goal under 1 s, and under 10 s at ten times the size. The
// counters give the findings per severity. Beside them, the rules opened alone as the editor opens
// a file, with (1) and without (0) the other kinds read beside it, the value check learned once.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "RulesGenerator.h"
#include "core/boxes/FirstButtonBoxes.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"
#include "core/document/Document.h"
#include "core/session/EditingSession.h"
#include "core/session/LiveModCheck.h"
#include "core/session/ModCheck.h"
#include "core/session/ModSession.h"
#include "core/settings/Globals.h"
#include "core/values/LiveValueCheck.h"

namespace velmora::bench {
namespace {

// A program folder of four kinds, each with its generated definition file and default copy, and
// a mod folder holding the four documents. The rules' and the AI's `Image` and `Cameo` name art
// sections. Written once per run and size, removed at the end.
class GeneratedMod {
public:
    static const GeneratedMod& Get(size_t scale) {
        static const GeneratedMod base(1);
        static const GeneratedMod tenfold(10);
        return scale == 1 ? base : tenfold;
    }
    ~GeneratedMod() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    GeneratedMod(const GeneratedMod&) = delete;
    GeneratedMod& operator=(const GeneratedMod&) = delete;

    std::string ProgramDir() const { return m_folder.string(); }
    std::string ModDir() const { return (m_folder / "mod").string(); }
    uintmax_t Bytes() const { return m_bytes; }

private:
    explicit GeneratedMod(size_t scale) {
        std::random_device seed;
        m_folder = std::filesystem::temp_directory_path() / ("velmora-mod-bench-" + std::to_string(seed()));
        std::filesystem::create_directories(m_folder / "mod");
        struct KindShape {
            const char* name;
            size_t sections;
            uint32_t seed;
        };
        const KindShape kinds[] = {{"Rules", 5000, 20240611}, {"Art", 2000, 7}, {"Sound", 1000, 11}, {"AI", 1000, 13}};
        std::string files;
        for (const KindShape& kind : kinds) {
            RulesShape shape;
            shape.seed = kind.seed;
            shape.sectionCount = kind.sections * scale;
            const RulesGenerator generator(shape);
            std::string definition = generator.DefinitionText();
            if (std::string(kind.name) != "Art") NameArt(definition);
            const std::string document = generator.RulesText();
            RulesGenerator::WriteFile(m_folder / (std::string(kind.name) + ".001"), definition);
            RulesGenerator::WriteFile(m_folder / (std::string(kind.name) + ".INI"), generator.DefaultText());
            RulesGenerator::WriteFile(m_folder / "mod" / (std::string(kind.name) + ".ini"), document);
            m_bytes += document.size();
            files += std::string(kind.name) + ".ini=1\r\n";
        }
        RulesGenerator::WriteFile(m_folder / "Velmedit.ini",
                                  "[GeneralSetup]\r\nUpdateUnknown001=0\r\nCheckDoubleSection=0\r\n"
                                  "\r\n[FilesToEdit]\r\n" + files);
    }

    static void NameArt(std::string& definition) {
        for (const char* key : {"Image", "Cameo"}) {
            const std::string line = std::string("\r\n") + key + "=" + key + " of the object";
            for (size_t at = definition.find(line); at != std::string::npos; at = definition.find(line, at + 1))
                definition.insert(at + line.size(), " ~@Art:*@~");
        }
    }

    std::filesystem::path m_folder;
    uintmax_t m_bytes = 0;
};

void BM_OpenAndCheckMod(benchmark::State& state) {
    const GeneratedMod& mod = GeneratedMod::Get(static_cast<size_t>(state.range(0)));
    FirstButtonBoxes boxes;
    ModCheckResult result;
    for (auto _ : state) {
        ModSession session(boxes, false);
        session.OpenMod(mod.ProgramDir(), mod.ModDir());
        result = CheckMod(session.Workspaces());
        benchmark::DoNotOptimize(result.Findings.data());
    }
    size_t counts[3] = {0, 0, 0};
    for (const ModFinding& finding : result.Findings) ++counts[static_cast<size_t>(finding.Level)];
    state.counters["MB"] = static_cast<double>(mod.Bytes()) / 1e6;
    state.counters["will_crash"] = static_cast<double>(counts[0]);
    state.counters["likely_wrong"] = static_cast<double>(counts[1]);
    state.counters["note"] = static_cast<double>(counts[2]);
}
BENCHMARK(BM_OpenAndCheckMod)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// What Check the Mod costs after one edit of a value, as its window asks it after each keystroke:
// the edited kind's value findings judged again, the names across kinds found again.
void BM_FollowModEdit(benchmark::State& state) {
    const GeneratedMod& mod = GeneratedMod::Get(static_cast<size_t>(state.range(0)));
    FirstButtonBoxes boxes;
    ModSession session(boxes, false);
    session.OpenMod(mod.ProgramDir(), mod.ModDir());
    LiveModCheck& check = session.Check();
    benchmark::DoNotOptimize(check.Result().Findings.data());
    // The first key of the rules' last section.
    Document& rules = session.At(0).Work->Doc();
    const IniSection& section = rules.Store().SectionAt(rules.Store().SectionCount() - 1);
    const std::string code(section.Name());
    std::string_view keyName;
    for (size_t i = 0; i < section.Count() && keyName.empty(); ++i) section.LineAt(i).KeyName(keyName);
    const std::string key(keyName);
    int value = 0;
    for (auto _ : state) {
        rules.SetValue(code, key, std::to_string(++value % 2));
        benchmark::DoNotOptimize(check.Result().Findings.data());
    }
    state.counters["findings"] = static_cast<double>(check.Result().Findings.size());
}
BENCHMARK(BM_FollowModEdit)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_OpenFileAlone(benchmark::State& state) {
    const GeneratedMod& mod = GeneratedMod::Get(1);
    const bool beside = state.range(0) != 0;
    FirstButtonBoxes boxes;
    for (auto _ : state) {
        Globals globals;
        EditingSession session(globals, boxes);
        session.Work().SetDiskWrites(false);
        session.Work().StartUp(mod.ProgramDir());
        if (beside) benchmark::DoNotOptimize(session.ReadKindsBeside());
        session.Work().BeginCopyDefaultOrLoadINItoCurrentBuffer(mod.ModDir() + "/Rules.ini", false);
        benchmark::DoNotOptimize(&session.Current().Values().Check());
    }
}
BENCHMARK(BM_OpenFileAlone)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace
}  // namespace velmora::bench
