// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

// What a value counts as a number, everywhere in the editor (the value kinds, the table's sort and
// arithmetic): an optional sign, then digits with at most one "." among them, at least one digit.
// "12", "-3", "+2", "1.5", ".5" and "5." are numbers, as the game reads them; "." alone, "1e3",
// "1,5", " 5" and "5%" are not.
struct NumberText {
    bool Negative = false;
    std::string_view Whole;     // the digits before the point; may be empty (".5")
    std::string_view Fraction;  // the digits after it; empty without a point or after "5."
};

// The parts of `text`; none when it is no number.
std::optional<NumberText> ReadNumberText(std::string_view text);
inline bool IsNumberText(std::string_view text) { return ReadNumberText(text).has_value(); }
// The value of any text that NumberText counts as a number, however long (for sorting and ranges).
std::optional<long double> NumberOf(std::string_view text);

}  // namespace velmora
