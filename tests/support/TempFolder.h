// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora::testing {

// A fresh folder of its own for one test, removed with everything in it when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    TempFolder(TempFolder&&) = delete;
    TempFolder& operator=(TempFolder&&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as a directory text, ending with the platform's separator.
    std::string Dir() const;
    // The full path of `name` inside the folder, as a text.
    std::string File(std::string_view name) const;

    void Write(std::string_view name, std::string_view bytes) const;
    std::string Read(std::string_view name) const;
    bool Exists(std::string_view name) const;
    // Copies a whole folder tree into this folder.
    void CopyTree(const std::filesystem::path& from) const;

private:
    std::filesystem::path m_path;
};

}  // namespace velmora::testing
