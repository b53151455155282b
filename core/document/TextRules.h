// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// What an edit may write into a line of a rules file, checked the same way whether the text comes
// from a window, a script or the find window. A line break would split the line in two, a NUL ends
// the text for the game, and the other control characters end an item of a comma list; a tab is
// an ordinary blank.

// True for the bytes no code, name, key or value may hold.
bool IsRefusedByte(unsigned char byte);

// Throws IniError naming `what` ("value", "code", "name", "key") and the first refused byte of
// `text`, as in "the value may not hold a line break".
void RefuseControlBytes(std::string_view text, std::string_view what);

// The key as it is looked up and written: `key` without the blanks at its ends. Throws IniError
// for a key that is empty, holds "=" or a refused byte, or begins with ";" (a comment line) or
// "[" (a section header).
std::string UsableKey(std::string_view key);

// The key line `line` with only its value's bytes replaced by `value`: the key as written, the
// blanks around "=" and the comment after the value stay. A `value` that holds ";" brings its own
// comment and replaces the old one.
std::string LineWithValue(std::string_view line, std::string_view value);

// `text` (UTF-8, as a terminal types it) in the single-byte characters of a rules file. Throws
// IniError for text that is not UTF-8 or holds a character above U+00FF.
std::string Latin1FromUtf8(std::string_view text);

}  // namespace velmora
