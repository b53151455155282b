// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempFolder.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace velmora::testing {

TempFolder::TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("velmora-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempFolder::Dir() const {
    std::string dir = m_path.string();
    return dir + static_cast<char>(fs::path::preferred_separator);
}

std::string TempFolder::File(std::string_view name) const { return (m_path / fs::path(name)).string(); }

void TempFolder::Write(std::string_view name, std::string_view bytes) const {
    fs::path file = m_path / fs::path(name);
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string TempFolder::Read(std::string_view name) const {
    std::ifstream in(m_path / fs::path(name), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + File(name));
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool TempFolder::Exists(std::string_view name) const { return fs::exists(m_path / fs::path(name)); }

void TempFolder::CopyTree(const fs::path& from) const {
    fs::copy(from, m_path, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

}  // namespace velmora::testing
