// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The kinds of value a key takes, as the game's own data shows them or a definition file's
// [ValueKinds] section pins them. A value is judged as the comparison sees it: without its ";"
// comment, blanks trimmed.
enum class KindOf { YesNo, WholeNumber, Decimal, Percent, CodeOf, CodesOf, Text };

struct ValueKind {
    KindOf Of = KindOf::Text;
    std::string Category;  // the category of a code kind; empty for the others

    bool IsCode() const { return Of == KindOf::CodeOf || Of == KindOf::CodesOf; }
    bool operator==(const ValueKind&) const = default;
};

// "yes", "no", "true" or "false", in any letter case.
bool IsYesNo(std::string_view value);
// A number as NumberText reads one, without a point: "-0", "+5"; not "5.".
bool IsWholeNumber(std::string_view value);
// A number as NumberText reads one: "1.", ".5", "12"; never "." alone.
bool IsDecimal(std::string_view value);
// A decimal followed at once by "%": "50%", "-2.5%"; "5 %" is not one.
bool IsPercent(std::string_view value);
// "none" in any letter case, or nothing: what a code kind allows besides codes.
bool IsNoCode(std::string_view item);

// Whether a value fits a kind that needs no look-up of codes. Code kinds and text answer true.
bool FitsPlainKind(KindOf kind, std::string_view value);

// The values the value choice dialog offers for a key of that kind when the key names no value
// sources: "yes" and "no" for yes/no, nothing for the others.
std::vector<std::string> KindChoices(const ValueKind& kind);

// The kind as [ValueKinds] writes it: "yes/no", "whole number", "decimal", "percent",
// "code of Armors", "codes of Armors", "text".
std::string KindText(const ValueKind& kind);
// The kind a [ValueKinds] line names, letter case and surrounding blanks ignored; no value for a
// text that names none.
std::optional<ValueKind> ParseKind(std::string_view text);
// What a finding says was expected: "yes or no", "a whole number", "codes of Armors".
std::string ExpectedText(const ValueKind& kind);

}  // namespace velmora
