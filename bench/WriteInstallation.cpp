// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a program folder for trying the editor on a big game by hand or from a script:
// `velmora_write_installation FOLDER [SECTIONS]` puts the settings, the generated definition file
// (Rules.001), default copy (Rules.INI) and document (Mod.ini) of SECTIONS object sections
// (5,000 unless told) into FOLDER. Start the editor with `--program-dir FOLDER FOLDER/Mod.ini`.

#include <cstdio>
#include <filesystem>
#include <string>

#include "GeneratedInstallation.h"
#include "RulesGenerator.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER [SECTIONS]\n", argv[0]);
        return 2;
    }
    velmora::bench::RulesShape shape;
    try {
        if (argc == 3) shape.sectionCount = std::stoul(argv[2]);
    } catch (const std::exception&) {
        std::fprintf(stderr, "%s: SECTIONS must be a number, not %s\n", argv[0], argv[2]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const velmora::bench::RulesGenerator generator(shape);
    velmora::bench::GeneratedInstallation::WriteFolder(folder, generator);
    std::printf("%s: %zu object sections, Mod.ini %.1f MB\n", folder.string().c_str(), shape.sectionCount,
                static_cast<double>(std::filesystem::file_size(folder / "Mod.ini")) / 1e6);
    return 0;
}
