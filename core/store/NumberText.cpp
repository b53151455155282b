// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store/NumberText.h"

#include <algorithm>

namespace velmora {

std::optional<NumberText> ReadNumberText(std::string_view text) {
    NumberText number;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        number.Negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const size_t point = text.find('.');
    number.Whole = text.substr(0, point);
    if (point != std::string_view::npos) number.Fraction = text.substr(point + 1);
    const auto allDigits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    // A second point falls in the fraction, which then is no run of digits.
    if (!allDigits(number.Whole) || !allDigits(number.Fraction)) return std::nullopt;
    if (number.Whole.empty() && number.Fraction.empty()) return std::nullopt;
    return number;
}

std::optional<long double> NumberOf(std::string_view text) {
    const std::optional<NumberText> parts = ReadNumberText(text);
    if (!parts) return std::nullopt;
    // Digit by digit: the C library's reading follows the locale's decimal mark.
    long double number = 0;
    for (char c : parts->Whole) number = number * 10 + (c - '0');
    long double place = 1;
    for (char c : parts->Fraction) {
        place /= 10;
        number += (c - '0') * place;
    }
    return parts->Negative ? -number : number;
}

}  // namespace velmora
