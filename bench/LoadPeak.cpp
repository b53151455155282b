// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the memory a load takes. `velmora_loadpeak --write FILE [SECTIONS]` writes the
// generated rules document (5,000 object sections unless told); `velmora_loadpeak FILE` loads it and prints the process's resident memory before the
// load, its peak, and the file's size. The two steps run as separate processes so that the
// generator's own memory does not count.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "RulesGenerator.h"
#include "core/store/IniStore.h"

namespace {

// A field of /proc/self/status in kB; -1 where there is no such file.
long StatusKiloBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::stol(line.substr(length + 1));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--write") == 0) {
        velmora::bench::RulesShape shape;
        if (argc == 4) shape.sectionCount = std::stoul(argv[3]);
        velmora::bench::RulesGenerator generator(shape);
        velmora::bench::RulesGenerator::WriteFile(argv[2], generator.RulesText());
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s --write FILE [SECTIONS] | %s FILE\n", argv[0], argv[0]);
        return 2;
    }
    const auto before = static_cast<double>(StatusKiloBytes("VmRSS"));
    if (before < 0) {
        std::printf("memory not measured: no /proc/self/status on this system\n");
        return 0;
    }
    velmora::IniStore store(argv[1]);
    const auto peak = static_cast<double>(StatusKiloBytes("VmHWM"));
    const auto after = static_cast<double>(StatusKiloBytes("VmRSS"));
    const auto size = static_cast<double>(std::filesystem::file_size(argv[1]));
    std::printf("file %.1f MB, %zu sections\n", size / 1e6, store.SectionCount());
    std::printf("resident before load %.1f MB, after load %.1f MB, peak %.1f MB\n", before / 1e3, after / 1e3,
                peak / 1e3);
    std::printf("peak above start %.1f MB = %.2f x file size; held after load %.2f x file size\n",
                (peak - before) / 1e3, (peak - before) * 1e3 / size,
                (after - before) * 1e3 / size);
    return 0;
}
