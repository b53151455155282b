// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the INI parser through a file, as the program reads every INI file,
// and aborts when a store does not write back the bytes it read (line ends aside) or does not
// render the same text after its own output is loaded again.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "core/store/IniStore.h"

namespace {

namespace fs = std::filesystem;

// One file per fuzzing process, rewritten for every input.
const std::string& ScratchFile() {
    static const std::string path = [] {
        std::random_device seed;
        return (fs::temp_directory_path() / ("velmora-fuzz-" + std::to_string(seed()) + ".ini")).string();
    }();
    // Registered after `path` exists, so it runs before `path` is destroyed.
    static const bool removedAtExit = std::atexit([] {
        std::error_code ignored;
        fs::remove(ScratchFile(), ignored);
    }) == 0;
    (void)removedAtExit;
    return path;
}

void Overwrite(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

[[noreturn]] void Mismatch(const char* what, const std::string& first, const std::string& second) {
    std::fprintf(stderr, "%s: %zu bytes, then %zu bytes\n", what, first.size(), second.size());
    std::abort();
}

// The bytes with every line end (CR LF, a lone CR, a lone LF) made CR LF, and one after a last
// line that has none: what a store that changed nothing must write. A byte-order mark is no line.
std::string WithCrLf(std::string_view bytes) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8 + 2);
    if (bytes.substr(0, mark.size()) == mark) {
        text.append(mark);
        bytes.remove_prefix(mark.size());
    }
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        text.append(bytes.substr(start, i - start)).append("\r\n");
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) text.append(bytes.substr(start)).append("\r\n");
    return text;
}

// The lookups a caller makes; they must cope with whatever names and lines the parse produced.
void ReadEverything(velmora::IniStore& store) {
    velmora::StringList names;
    store.ReadSections(names);
    for (size_t i = 0; i < names.Count() && i < 64; ++i) {
        velmora::StringList lines;
        store.ReadSectionValues(names[i], lines);
        for (size_t j = 0; j < lines.Count() && j < 64; ++j) (void)store.ReadInteger(names[i], lines.Name(j), 0);
        velmora::StringList values;
        store.ReadSectionValuesOnly(names[i], values);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = ScratchFile();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Overwrite(path, input);

    velmora::IniStore first(path);
    ReadEverything(first);
    const std::string rendered = first.RenderText();
    if (rendered != WithCrLf(input))
        Mismatch("a line was not written back as read", WithCrLf(input), rendered);

    auto copy = first.CloneAs(path);
    if (copy->RenderText() != rendered) Mismatch("copy renders differently", rendered, copy->RenderText());

    Overwrite(path, rendered);
    velmora::IniStore second(path);
    const std::string again = second.RenderText();
    if (again != rendered) Mismatch("rendering changed after a reload", rendered, again);
    return 0;
}
