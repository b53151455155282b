// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

#include "core/store/TextCase.h"

namespace velmora {

// How lookups see a stored line, written once for the store and for copies of its texts. Blanks
// cannot hold "=", so the first "=" of the trimmed line is the first "=" of the line as read, and a
// line as read (`asRead`) has its key name and value text trimmed; a line an operation wrote is
// seen exactly as written.

// The key name: the text before the first "=". False for a plain line, which has none.
inline bool KeyNameOfLine(std::string_view raw, bool asRead, std::string_view& name) {
    const size_t eq = raw.find('=');
    if (eq == std::string_view::npos) return false;
    name = asRead ? TrimView(raw.substr(0, eq)) : raw.substr(0, eq);
    return true;
}

// The text after the first "=", inline comment included; empty for a plain line.
inline std::string_view ValueTextOfLine(std::string_view raw, bool asRead) {
    const size_t eq = raw.find('=');
    if (eq == std::string_view::npos) return {};
    return asRead ? TrimView(raw.substr(eq + 1)) : raw.substr(eq + 1);
}

}  // namespace velmora
