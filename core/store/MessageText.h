// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// How a message shows what came from a file, a script or the user. Every message that quotes such
// bytes quotes them through Escaped, and every message that counts something names it through
// Counted.

// `text` with each control byte written as an escape: "\r", "\n" and "\x1B" (two hex digits) for
// the others, C1 controls (0x80 to 0x9F) and DEL included; a tab and every other byte as it is.
// A box then shows a stray carriage return instead of breaking its line there, and a terminal
// prints an escape sequence instead of obeying it.
std::string Escaped(std::string_view text);

// `count` and its noun: "1 entry", "0 entries", "12 entries".
std::string Counted(size_t count, std::string_view one, std::string_view many);

}  // namespace velmora
