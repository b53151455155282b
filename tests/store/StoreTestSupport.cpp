// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoreTestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace velmora::test {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string CrLf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> Texts(const StringList& list) { return list.Texts(); }

std::unique_ptr<IniStore> StoreTest::Load(std::string_view bytes, const bool* caseSensitive,
                                          std::string_view fileName) {
    std::string path = m_folder.File(fileName);
    WriteBytes(path, bytes);
    return std::make_unique<IniStore>(path, caseSensitive);
}

std::unique_ptr<IniStore> StoreTest::LoadLines(std::initializer_list<std::string_view> lines,
                                               const bool* caseSensitive) {
    return Load(CrLf(lines), caseSensitive);
}

}  // namespace velmora::test
