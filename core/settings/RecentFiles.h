// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

// The documents the user opened or saved last, newest first: full paths, each file once, at most
// MaxCount. Files that no longer exist are dropped before the list is shown.
class RecentFiles {
public:
    static constexpr size_t MaxCount = 8;

    RecentFiles() = default;
    // A list as it was remembered, held to the same rules (each file once, MaxCount at most).
    explicit RecentFiles(const std::vector<std::string>& names);

    // `fileName` (made absolute against the working directory) becomes the newest.
    void Add(const std::string& fileName);
    // Drops the names that no longer name a file; true when any went.
    bool DropMissing();
    const std::vector<std::string>& Names() const { return m_names; }

private:
    std::vector<std::string> m_names;
};

}  // namespace velmora
