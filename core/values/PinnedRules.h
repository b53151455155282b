// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/values/KindLearning.h"
#include "core/values/ValueKinds.h"

namespace velmora {

class IniStore;

// The definition file's section of pinned kinds and rules. The catalogue never reads it.
constexpr const char* ValueKindsSection = "ValueKinds";

// The numbers a pinned range allows; an open end allows any number on its side.
struct NumberRange {
    std::optional<long double> Low;
    std::optional<long double> High;
    std::string Text;  // as the pin writes it: "0..11"

    bool Holds(long double number) const { return (!Low || number >= *Low) && (!High || number <= *High); }
};

// A list of a fixed number of items, each of a plain kind (text allows any item).
struct ListPin {
    size_t Items = 0;
    KindOf ItemKind = KindOf::Text;
};

// What a definition file pins, by key name without regard to letter case, and the lines it could
// not read ("[ValueKinds] Cost=whle number: no such kind"). Its lines:
//   Key=KIND                  the key's kind ("whole number", "code of Armors")
//   Key=KIND LOW..HIGH        a number kind and the numbers it allows ("decimal 0..11", "whole number 1..")
//   Key=N KIND values         a list of N items of a plain kind ("11 percent values", "3 values")
//   Key=listed                each item is an entry of a category the key's value sources name
//   Category=entries need K1, K2   keys every entry of the category has
// The first line of a key wins, as everywhere else.
struct PinnedKinds {
    std::unordered_map<std::string, ValueKind> Kinds;
    std::unordered_map<std::string, NumberRange> Ranges;
    std::unordered_map<std::string, ListPin> Lists;
    std::unordered_map<std::string, std::string> Listed;  // to the line as a problem quotes it
    // The keys the entries of a category need, by the category's position in `categories`.
    std::unordered_map<size_t, std::vector<std::string>> Required;
    std::vector<std::string> Problems;
};
// `categories`: the names a code kind and a line of needed keys may name.
PinnedKinds ReadPinnedKinds(const IniStore& definition, const std::vector<KindCategory>& categories);

// The number a value of a number kind stands for ("50%" is 50); none for a value of no number kind.
std::optional<long double> NumberInValue(std::string_view value);

// What a list pin asks, as a finding quotes it: "11 percent values", "3 values".
std::string ListPinText(const ListPin& pin);

}  // namespace velmora
