// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// What an edit may write into a line of a rules file, checked the same way whether the text comes
// from a window, a script or the find window. A line break would split the line in two, a NUL ends
// the text for the game, and the other control characters end an item of a comma list; a tab is
// an ordinary blank.

// True for the bytes no code, name, key or value may hold, whatever stands around them: the
// control characters below the blank but the tab, and DEL.
bool IsRefusedByte(unsigned char byte);

// The position of the first control character of `text`, or npos: a byte IsRefusedByte refuses,
// or a C1 control character (U+0080 to U+009F, the bytes 0x80 to 0x9F of Latin-1 text). Two kinds
// of such bytes are none: those inside a well-formed UTF-8 character, since a rules file saved as
// UTF-8 holds them in ordinary letters ("\xD0\x9F"), and those that `kept` holds too, since a file
// in a Windows code page uses them as letters and punctuation ("\x92" for an apostrophe), and a
// value the file holds may be written back and edited.
size_t FirstControlCharacter(std::string_view text, std::string_view kept = {});

// Throws IniError naming `what` ("value", "code", "name", "key") and the first control character
// of `text` (FirstControlCharacter), as in "the value may not hold a line break".
void RefuseControlBytes(std::string_view text, std::string_view what, std::string_view kept = {});

// Longest entry code and entry name the user may give. The limits hold what the user types, not
// what the file already holds: a code or name that starts out longer (read from the file, or
// proposed from such a name) may stay as long as it started.
constexpr size_t MaxCodeLength = 20;
constexpr size_t MaxNameLength = 40;
size_t CodeLengthLimit(std::string_view startCode);
size_t NameLengthLimit(std::string_view startName);
// Throw IniError, "the code is longer than 20 characters", when `code` or `name` is longer than
// its limit from `start`.
void RefuseLongCode(std::string_view code, std::string_view start = {});
void RefuseLongName(std::string_view name, std::string_view start = {});

// The one check of every value writer (a commit of the grid or the table, a paste, an adjust, an
// import, a set or a replace): `value`, about to take the place of `old` as the value of `key`,
// may hold no control character (RefuseControlBytes, keeping those `old` holds), and the value of
// an entry's "Name" is a name, held to its length (RefuseLongName).
void RefuseValue(std::string_view key, std::string_view value, std::string_view old);

// The key as it is looked up and written: `key` without the blanks at its ends. Throws IniError
// for a key that is empty, holds "=" or a refused byte, or begins with ";" (a comment line) or
// "[" (a section header).
std::string UsableKey(std::string_view key);

// What every value writer keeps: the key line `line` with only its value's bytes replaced by
// `value`. The key as written (its letter case and indentation), the blanks around "=", the blanks
// after the value and the comment after it stay. A `value` that holds ";" brings its own comment
// and replaces the old one.
std::string LineWithValue(std::string_view line, std::string_view value);

// `text` (UTF-8, as a terminal types it) in the single-byte characters of a rules file. Throws
// IniError for text that is not UTF-8 or holds a character above U+00FF.
std::string Latin1FromUtf8(std::string_view text);

}  // namespace velmora
