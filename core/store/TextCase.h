// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Letter case of the single-byte texts the game files are written in: the ASCII letters and the
// Latin-1 letters (0xE0-0xFE except 0xF7 fold onto 0xC0-0xDE). Every comparison "without regard
// to letter case" in the program goes through these helpers.
unsigned char UpperByte(unsigned char c);
std::string FoldCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// A hash of the text as FoldCase gives it, without making the folded copy.
uint64_t HashNoCase(std::string_view text);
// Position of the first text equal to `text` without regard to letter case; -1 when none.
int IndexOfNoCase(const std::vector<std::string>& texts, std::string_view text);

// True for the bytes that trimming removes: every byte from 0 to 32.
inline bool IsBlank(unsigned char c) { return c <= 32; }
std::string_view TrimView(std::string_view text);
std::string_view TrimLeftView(std::string_view text);
std::string_view TrimRightView(std::string_view text);
inline std::string Trim(std::string_view text) { return std::string(TrimView(text)); }

}  // namespace velmora
