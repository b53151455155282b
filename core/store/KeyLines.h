// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string_view>

#include "core/store/IniStore.h"

namespace velmora {

// Calls `visit(line, key, value)` for each key line of a section: its position in the section, its
// key name and the text after its first "=", comment included, as lookups see them. Plain lines
// and lines with an empty key name are left out: no lookup reaches them by a key.
template <class Visit>
void ForEachKeyLine(const IniSection& section, Visit visit) {
    for (size_t i = 0; i < section.Count(); ++i) {
        const IniSection::Line& line = section.LineAt(i);
        std::string_view key;
        if (!line.KeyName(key) || key.empty()) continue;
        visit(i, key, line.ValueText());
    }
}

}  // namespace velmora
