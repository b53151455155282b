// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/TableNumbers.h"

#include <algorithm>
#include <limits>

#include "core/store/IniError.h"
#include "core/store/NumberText.h"

namespace velmora {

namespace {

constexpr size_t MaxDigits = 18;  // 10^18 - 1 fits an int64_t with room for a sum

[[noreturn]] void TooLarge() { throw IniError("The result is too large to be written exactly."); }

int64_t Power10(unsigned exponent) {
    if (exponent > MaxDigits) TooLarge();
    int64_t power = 1;
    for (unsigned i = 0; i < exponent; ++i) power *= 10;
    return power;
}

int64_t CheckedMultiply(int64_t a, int64_t b) {
    if (a != 0 && b != 0 && (a > 0 ? a : -a) > std::numeric_limits<int64_t>::max() / (b > 0 ? b : -b)) TooLarge();
    return a * b;
}

// `units` divided by `divisor`, rounded half away from zero.
int64_t DivideRounded(int64_t units, int64_t divisor) {
    int64_t quotient = units / divisor;
    const int64_t rest = units % divisor;
    if ((rest < 0 ? -rest : rest) * 2 >= divisor) quotient += units < 0 ? -1 : 1;
    return quotient;
}

}  // namespace

std::optional<DecimalNumber> ParseDecimal(std::string_view text) {
    const std::optional<NumberText> parts = ReadNumberText(text);
    if (!parts || parts->Whole.size() + parts->Fraction.size() > MaxDigits) return std::nullopt;
    DecimalNumber number;
    for (char c : parts->Whole) number.Units = number.Units * 10 + (c - '0');
    for (char c : parts->Fraction) number.Units = number.Units * 10 + (c - '0');
    number.Decimals = static_cast<unsigned>(parts->Fraction.size());
    if (parts->Negative) number.Units = -number.Units;
    return number;
}

std::string FormatDecimal(const DecimalNumber& number) {
    const uint64_t magnitude =
        number.Units < 0 ? static_cast<uint64_t>(-(number.Units + 1)) + 1 : static_cast<uint64_t>(number.Units);
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= number.Decimals) digits.insert(0, number.Decimals + 1 - digits.size(), '0');
    if (number.Decimals > 0) digits.insert(digits.size() - number.Decimals, ".");
    return number.Units < 0 ? "-" + digits : digits;
}

DecimalNumber AddDecimal(const DecimalNumber& value, const DecimalNumber& amount) {
    const unsigned scale = std::max(value.Decimals, amount.Decimals);
    const int64_t a = CheckedMultiply(value.Units, Power10(scale - value.Decimals));
    const int64_t b = CheckedMultiply(amount.Units, Power10(scale - amount.Decimals));
    if ((b > 0 && a > std::numeric_limits<int64_t>::max() - b) || (b < 0 && a < std::numeric_limits<int64_t>::min() - b))
        TooLarge();
    return {DivideRounded(a + b, Power10(scale - value.Decimals)), value.Decimals};
}

DecimalNumber MultiplyDecimal(const DecimalNumber& value, const DecimalNumber& factor) {
    return {DivideRounded(CheckedMultiply(value.Units, factor.Units), Power10(factor.Decimals)), value.Decimals};
}

bool EqualDecimals(std::string_view a, std::string_view b) {
    std::optional<DecimalNumber> first = ParseDecimal(a);
    std::optional<DecimalNumber> second = ParseDecimal(b);
    if (!first || !second) return false;
    // Without the zeros that end a fraction, one value has one spelling.
    for (DecimalNumber* number : {&*first, &*second})
        while (number->Decimals > 0 && number->Units % 10 == 0) {
            number->Units /= 10;
            --number->Decimals;
        }
    return first->Units == second->Units && first->Decimals == second->Decimals;
}

}  // namespace velmora
