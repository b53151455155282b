// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

// Calls visit(line, key, valueText) for the first line of each key of a section (key names
// compared without regard to letter case), as the grid reads an entry's values. Sections are
// short, so a list of the keys met so far, by hash, is cheaper than the section's key index.
template <typename Visit>
void ForEachFirstKeyLine(const IniSection& section, Visit&& visit) {
    std::string_view name;
    std::vector<std::pair<uint64_t, std::string_view>> seen;
    for (size_t i = 0; i < section.Count(); ++i) {
        const IniSection::Line& line = section.LineAt(i);
        if (!line.KeyName(name) || name.empty()) continue;
        const uint64_t hash = HashNoCase(name);
        const bool again = std::any_of(seen.begin(), seen.end(), [&](const auto& key) {
            return key.first == hash && EqualsNoCase(key.second, name);
        });
        if (again) continue;
        seen.emplace_back(hash, name);
        visit(i, name, line.ValueText());
    }
}

}  // namespace velmora
