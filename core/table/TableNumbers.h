// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/store/NumberText.h"

namespace velmora {

// A number as a value writes it (what NumberText counts as one: "-1.50", ".5", "5."), held exactly
// as `Units` of 10^-Decimals ("-1.50" is -150 with 2 decimals, ".5" 5 with 1, "5." 5 with none).
struct DecimalNumber {
    int64_t Units = 0;
    unsigned Decimals = 0;
};

// No value for anything else, blanks included, and for numbers of more than 18 digits. Two texts
// are equal as numbers when both read and their values are: "0.5", ".5" and "0.50".
std::optional<DecimalNumber> ParseDecimal(std::string_view text);
// The number with its count of decimals; never "-0".
std::string FormatDecimal(const DecimalNumber& number);

// Arithmetic that keeps the kind of the first number: the result has the decimals of `value`,
// rounded half away from zero. Throws IniError when the result is too large to be held exactly.
DecimalNumber AddDecimal(const DecimalNumber& value, const DecimalNumber& amount);
DecimalNumber MultiplyDecimal(const DecimalNumber& value, const DecimalNumber& factor);

// Whether both texts are numbers that ParseDecimal reads, of one value however written ("1.0" and
// "1", "0.50" and "0.5", "007" and "7").
bool EqualDecimals(std::string_view a, std::string_view b);

}  // namespace velmora
