// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/table/SpreadsheetValues.h"

#include <array>
#include <charconv>

#include "core/table/TableNumbers.h"
#include "core/store/TextCase.h"
#include "core/values/ValueKinds.h"

namespace velmora {

namespace {

constexpr size_t SpreadsheetDigits = 15;  // the significant digits a spreadsheet's number keeps

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
    for (char c : text)
        if (!IsDigit(c)) return false;
    return !text.empty();
}

// The number a spreadsheet reads in `text` written as digits with an optional sign, point and
// exponent ("1e3", "1.23456789012346E+019"); none for anything else.
std::optional<double> SpreadsheetNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const size_t mark = text.find_first_of("eE");
    std::string_view mantissa = text.substr(0, mark);
    if (mark != std::string_view::npos) {
        std::string_view exponent = text.substr(mark + 1);
        if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) exponent.remove_prefix(1);
        if (!AllDigits(exponent)) return std::nullopt;
    }
    if (!mantissa.empty() && mantissa.front() == '-') mantissa.remove_prefix(1);
    const size_t point = mantissa.find('.');
    const std::string_view whole = mantissa.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || (!whole.empty() && !AllDigits(whole)) ||
        (!fraction.empty() && !AllDigits(fraction)))
        return std::nullopt;
    double number = 0;
    // from_chars reads the same in every locale, where the C library's reading follows its decimal mark.
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (fault != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

// Whether two numbers agree in the significant digits a spreadsheet keeps.
bool SameInSpreadsheet(double a, double b) {
    const auto digits = [](double number) {
        std::array<char, 32> text{};
        const auto written = std::to_chars(text.data(), text.data() + text.size(), number == 0 ? 0.0 : number,
                                           std::chars_format::scientific, static_cast<int>(SpreadsheetDigits - 1));
        return std::string(text.data(), written.ptr);
    };
    return digits(a) == digits(b);
}

// The number a spreadsheet reads in a document's value: a percent as its fraction, a list of
// numbers joined by commas as one number grouped in thousands ("0,255,255" is 255255).
std::optional<double> SpreadsheetReading(std::string_view value) {
    if (IsPercent(value)) {
        const std::optional<double> number = SpreadsheetNumber(value.substr(0, value.size() - 1));
        return number ? std::optional(*number / 100) : std::nullopt;
    }
    if (value.find(',') == std::string_view::npos) return SpreadsheetNumber(value);
    std::string digits;
    for (size_t start = 0;;) {
        const size_t comma = value.find(',', start);
        const std::string_view piece = value.substr(start, comma - start);
        if (!AllDigits(piece)) return std::nullopt;
        digits += piece;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return SpreadsheetNumber(digits);
}

bool SameValue(std::string_view value, std::string_view cell) {
    if (value == cell || EqualDecimals(value, cell)) return true;
    if (IsPercent(value) && IsPercent(cell))
        return EqualDecimals(value.substr(0, value.size() - 1), cell.substr(0, cell.size() - 1));
    return IsYesNo(value) && IsYesNo(cell) && EqualsNoCase(value, cell);
}

}  // namespace

bool IsPlainNumber(std::string_view value) {
    if (!ParseDecimal(value) || value.front() == '+') return false;
    if (value.front() == '-') value.remove_prefix(1);
    const size_t point = value.find('.');
    const std::string_view whole = value.substr(0, point);
    if (whole.size() > 1 && whole.front() == '0') return false;
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : value.substr(point + 1);
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    std::string digits = std::string(whole) + std::string(fraction);
    const size_t first = digits.find_first_not_of('0');
    return first == std::string::npos || digits.size() - first <= SpreadsheetDigits;
}

bool NeedsProtection(std::string_view value) {
    if (value.empty() || IsPlainNumber(value)) return false;
    if (std::string_view("=+-@.").find(value.front()) != std::string_view::npos || IsDigit(value.front())) return true;
    // A code such as "M60" stays text; "Jan 5" may be a date.
    bool digit = false;
    bool joint = false;
    for (char c : value) {
        digit = digit || IsDigit(c);
        joint = joint || std::string_view(" /-:.,").find(c) != std::string_view::npos;
    }
    return digit && joint;
}

std::string Protected(std::string_view value) {
    std::string formula = "=\"";
    for (char c : value) {
        if (c == '"') formula += '"';
        formula += c;
    }
    return formula + '"';
}

std::optional<std::string> Unprotected(std::string_view cell) {
    if (cell.size() < 3 || !cell.starts_with("=\"") || cell.back() != '"') return std::nullopt;
    const std::string_view quoted = cell.substr(2, cell.size() - 3);
    std::string text;
    for (size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == '"') {
            // Inside the formula's text a quote is doubled; a single one ends it early.
            if (i + 1 >= quoted.size() || quoted[i + 1] != '"') return std::nullopt;
            ++i;
        }
        text += quoted[i];
    }
    return text;
}

CellComparison CompareCell(std::string_view documentValue, std::string_view cell) {
    const std::string_view text = TrimView(cell);
    if (SameValue(documentValue, text)) return {CellReading::Same, std::string(documentValue)};
    if (std::optional<std::string> inner = Unprotected(text)) {
        if (SameValue(documentValue, *inner)) return {CellReading::Same, std::string(documentValue)};
        return {CellReading::Changed, std::move(*inner)};
    }
    const std::optional<double> cellNumber = SpreadsheetNumber(text);
    const std::optional<double> valueNumber = cellNumber ? SpreadsheetReading(documentValue) : std::nullopt;
    if (valueNumber && SameInSpreadsheet(*cellNumber, *valueNumber)) return {CellReading::Mangled, std::string(text)};
    return {CellReading::Changed, std::string(text)};
}

}  // namespace velmora
