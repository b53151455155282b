// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/TextCase.h"

namespace velmora {

// The platform's own directory separator ("\" on Windows, "/" elsewhere).
char DirSeparator();
// True when the text ends with "\" or "/".
bool IsCompleteDir(std::string_view dir);
// Appends the platform's separator unless the text already ends with "\" or "/"; "" gives it alone.
std::string CompleteDir(std::string_view dir);
// `text` on one line: each line break (CR LF, CR or LF) becomes one blank. A box's text is several
// lines; a reason on a terminal is one.
std::string OneLine(std::string_view text);
// The file name part of a path: what follows its last "/", "\" or ":".
std::string ExtractFileName(std::string_view path);
// Replaces the extension of the file name part (from its last "." on) or appends one.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

// Section names compare exactly when caseSensitive is true, else without regard to letter case.
bool NamesEqual(std::string_view a, std::string_view b, bool caseSensitive);
// A name as the NamesEqual rule compares it, for hash sets and maps: as it stands when caseSensitive
// is true, else upper-cased.
std::string NameKey(std::string_view name, bool caseSensitive);
// The text before the first ";" trimmed at both ends, or the text unchanged when it has no ";".
std::string StripComment(std::string_view text);
// The items of a value: the value without its ";" comment, cut at every ",", each piece trimmed of
// blanks; empty pieces are not items. "A, B ,,C ;note" gives A, B and C.
std::vector<std::string> ValueItems(std::string_view value);
// Calls visit(item) for each item of the value, in order, without copying: each item is a view into
// `value`, so where it stands is item.data() - value.data(). A rewrite can thus replace an item and
// keep the blanks, the other items and the comment around it.
template <typename Visit>
void ForEachValueItem(std::string_view value, Visit&& visit) {
    // Trimming the text before the ";" first would change no item: each piece is trimmed anyway.
    const std::string_view text = value.substr(0, value.find(';'));
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = TrimView(text.substr(start, comma - start));
        if (!item.empty()) visit(item);
        start = comma + 1;
    }
}

// Splits a comma list: items end at a comma or a blank; a quoted item runs to its closing quote
// (a doubled quote stands for one); blanks around the separating comma are skipped.
std::vector<std::string> SplitCommaList(std::string_view text);
// The number at the start of a text: blanks, an optional sign, then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X". Reading stops at the first character that does not fit;
// a text that does not start with a number reads as 0. Clamped to the 64-bit range, or to the
// 32-bit range by ReadLeadingNumber.
int64_t ReadLeadingNumber64(std::string_view text);
int32_t ReadLeadingNumber(std::string_view text);

// The numbers of a list's lines (read from the start of each key name) and the numbers new lines
// get: one above the largest present. Only when the largest 64-bit number is present does a new
// line get the lowest positive number that no line holds. So no number is ever given twice, and
// no line's key is ever the text of a number given.
class ListNumbers {
public:
    explicit ListNumbers(const std::vector<std::string>& keyNames);
    // The largest number present, at least 0.
    int64_t Highest() const { return m_highest; }
    int64_t Next();

private:
    int64_t m_highest = 0;
    std::vector<int64_t> m_present;  // every number, for the lines past the 64-bit edge
    bool m_sorted = false;
};

}  // namespace velmora
