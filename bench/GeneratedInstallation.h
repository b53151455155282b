// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "RulesGenerator.h"

namespace velmora::bench {

// A program folder with settings, the generated definition file and default copy, and beside them
// the generated 100,000-line document. Written once per run of the benchmarks, removed at the end.
// The definition file is never rewritten (UpdateUnknown001=0), so every run starts alike.
struct GeneratedInstallation {
    RulesGenerator generator;
    std::filesystem::path folder;
    std::string document;

    static const GeneratedInstallation& Get() {
        static const GeneratedInstallation installation;
        return installation;
    }

    // The same at ten times the size of a real mod file: about 47,000 sections, 18 MB.
    static const GeneratedInstallation& Tenfold() {
        static const GeneratedInstallation installation(TenfoldShape());
        return installation;
    }

    // Writes the settings, the definition file, the default copy and the document Mod.ini of
    // `generator` into `folder`, which exists.
    static void WriteFolder(const std::filesystem::path& folder, const RulesGenerator& generator) {
        RulesGenerator::WriteFile(folder / "Mod.ini", generator.RulesText());
        RulesGenerator::WriteFile(folder / "Rules.001", generator.DefinitionText());
        RulesGenerator::WriteFile(folder / "Rules.INI", generator.DefaultText());
        RulesGenerator::WriteFile(folder / "Velmedit.ini",
                                  "[GeneralSetup]\r\nUpdateUnknown001=0\r\nCheckDoubleSection=0\r\n"
                                  "\r\n[FilesToEdit]\r\nRules.ini=1\r\n");
    }

    ~GeneratedInstallation() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

private:
    static RulesShape TenfoldShape() {
        RulesShape shape;
        shape.sectionCount = 47000;
        shape.duplicateSections = 120;
        shape.duplicateKeys = 400;
        return shape;
    }

    explicit GeneratedInstallation(RulesShape shape = {}) : generator(shape) {
        std::random_device seed;
        folder = std::filesystem::temp_directory_path() / ("velmora-generated-bench-" + std::to_string(seed()));
        std::filesystem::create_directories(folder);
        document = (folder / "Mod.ini").string();
        WriteFolder(folder, generator);
    }
};

}  // namespace velmora::bench
