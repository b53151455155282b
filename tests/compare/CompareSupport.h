// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/compare/Comparison.h"
#include "core/store/StringList.h"
#include "core/store/IniStore.h"

namespace velmora::testing {

// A store holding the lines, read as a file of them would be.
inline std::unique_ptr<IniStore> StoreOf(std::initializer_list<std::string> lines,
                                         const bool* caseSensitive = nullptr) {
    auto store = std::make_unique<IniStore>(std::string(), caseSensitive);
    store->SetStrings(StringList(lines));
    return store;
}

inline std::vector<std::string> Listing(const std::vector<Difference>& differences) {
    std::vector<std::string> lines;
    for (const Difference& difference : differences) lines.push_back(DifferenceText(difference));
    return lines;
}

}  // namespace velmora::testing
