// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/store/IniStore.h"
#include "support/TempFolder.h"

namespace velmora::test {

using velmora::testing::TempFolder;

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
// The names in a folder, sorted, so that a leftover file shows up in a comparison.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);
// Lines joined with CR LF after each one, the way the store writes them.
std::string CrLf(std::initializer_list<std::string_view> lines);
std::vector<std::string> Texts(const StringList& list);

// Base of the store tests: a temporary folder and stores loaded from texts written into it.
class StoreTest : public ::testing::Test {
protected:
    // Writes `bytes` to a file of the test's folder and loads a store from it.
    std::unique_ptr<IniStore> Load(std::string_view bytes, const bool* caseSensitive = nullptr,
                                   std::string_view fileName = "store.ini");
    std::unique_ptr<IniStore> LoadLines(std::initializer_list<std::string_view> lines,
                                        const bool* caseSensitive = nullptr);

    TempFolder m_folder;
};

}  // namespace velmora::test
