// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/values/PinnedRules.h"

#include <algorithm>
#include <charconv>

#include "core/store/IniStore.h"
#include "core/store/NumberText.h"
#include "core/store/Routines.h"
#include "core/store/TextCase.h"

namespace velmora {
namespace {

constexpr std::string_view NeedText = "entries need ";
constexpr std::string_view ValuesText = "values";

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsNumberKind(KindOf kind) {
    return kind == KindOf::WholeNumber || kind == KindOf::Decimal || kind == KindOf::Percent;
}

// "0..11", "1..", "..100": none when an end is no number or both are missing.
std::optional<NumberRange> ParseRange(std::string_view text) {
    const size_t dots = text.find("..");
    if (dots == std::string_view::npos) return std::nullopt;
    NumberRange range{{}, {}, std::string(text)};
    const std::string_view low = text.substr(0, dots);
    const std::string_view high = text.substr(dots + 2);
    if (!low.empty() && !(range.Low = NumberInValue(low))) return std::nullopt;
    if (!high.empty() && !(range.High = NumberInValue(high))) return std::nullopt;
    if (!range.Low && !range.High) return std::nullopt;
    if (range.Low && range.High && *range.Low > *range.High) return std::nullopt;
    return range;
}

// "11 percent values": the count, then a plain kind or nothing, then "values".
std::optional<ListPin> ParseListPin(std::string_view text) {
    if (!EndsNoCase(text, ValuesText)) return std::nullopt;
    text = TrimView(text.substr(0, text.size() - ValuesText.size()));
    const size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
    if (digits == 0) return std::nullopt;
    ListPin pin;
    if (std::from_chars(text.data(), text.data() + digits, pin.Items).ec != std::errc() || pin.Items == 0)
        return std::nullopt;
    const std::string_view kind = TrimView(text.substr(digits));
    if (!kind.empty()) {
        const std::optional<ValueKind> parsed = ParseKind(kind);
        if (!parsed || parsed->IsCode()) return std::nullopt;
        pin.ItemKind = parsed->Of;
    }
    return pin;
}

}  // namespace

std::optional<long double> NumberInValue(std::string_view value) {
    if (!value.empty() && value.back() == '%') value.remove_suffix(1);
    return NumberOf(value);
}

std::string ListPinText(const ListPin& pin) {
    const std::string kind = pin.ItemKind == KindOf::Text ? "" : KindText({pin.ItemKind, {}}) + " ";
    return std::to_string(pin.Items) + " " + kind + (pin.Items == 1 ? "value" : "values");
}

PinnedKinds ReadPinnedKinds(const IniStore& definition, const std::vector<KindCategory>& categories) {
    PinnedKinds pinned;
    const int at = definition.IndexOfSection(ValueKindsSection);
    if (at < 0) return pinned;
    const auto categoryNamed = [&](std::string_view name) {
        return std::find_if(categories.begin(), categories.end(),
                            [&](const KindCategory& c) { return EqualsNoCase(c.Name, name); });
    };
    const IniSection& section = definition.SectionAt(static_cast<size_t>(at));
    std::string_view key;
    for (size_t i = 0; i < section.Count(); ++i) {
        const IniSection::Line& line = section.LineAt(i);
        if (!line.KeyName(key) || key.empty()) continue;
        const std::string text = StripComment(line.ValueText());
        const std::string_view pin = TrimView(text);
        const std::string where = std::string("[") + ValueKindsSection + "] " + std::string(key) + "=" + text;
        const std::string folded = FoldCase(key);
        const bool needs = StartsNoCase(pin, NeedText);
        // A second line of a key would be left out without a word, and the modder would wonder why
        // the rule does not hold.
        if (needs ? pinned.Required.count(static_cast<size_t>(categoryNamed(key) - categories.begin())) != 0
                  : pinned.Kinds.count(folded) != 0 || pinned.Lists.count(folded) != 0 ||
                        pinned.Listed.count(folded) != 0) {
            pinned.Problems.push_back(where + ": " + std::string(key) + " is pinned already by an earlier line, which wins");
            continue;
        }
        if (needs) {
            const auto category = categoryNamed(key);
            std::vector<std::string> needed = ValueItems(pin.substr(NeedText.size()));
            if (category == categories.end()) {
                pinned.Problems.push_back(where + ": no category " + std::string(key));
            } else if (needed.empty()) {
                pinned.Problems.push_back(where + ": no keys named");
            } else {
                pinned.Required.try_emplace(static_cast<size_t>(category - categories.begin()), std::move(needed));
            }
            continue;
        }
        if (EqualsNoCase(pin, "listed")) {
            pinned.Listed.try_emplace(folded, where);
            continue;
        }
        if (EndsNoCase(pin, ValuesText)) {
            if (std::optional<ListPin> list = ParseListPin(pin))
                pinned.Lists.try_emplace(folded, *list);
            else
                pinned.Problems.push_back(where + ": expected a count, a plain kind and \"values\"");
            continue;
        }
        // A last word with ".." is the range of a number kind.
        std::string_view kindText = pin;
        std::optional<NumberRange> range;
        const size_t blank = pin.find_last_of(" \t");
        if (blank != std::string_view::npos && pin.substr(blank + 1).find("..") != std::string_view::npos) {
            kindText = TrimView(pin.substr(0, blank));
            range = ParseRange(pin.substr(blank + 1));
            if (!range) {
                pinned.Problems.push_back(where + ": no range " + std::string(pin.substr(blank + 1)));
                continue;
            }
        }
        std::optional<ValueKind> kind = ParseKind(kindText);
        if (!kind) {
            pinned.Problems.push_back(where + ": no such kind");
            continue;
        }
        if (range && !IsNumberKind(kind->Of)) {
            pinned.Problems.push_back(where + ": a range needs a number kind");
            continue;
        }
        if (kind->IsCode()) {
            const auto category = categoryNamed(kind->Category);
            if (category == categories.end()) {
                pinned.Problems.push_back(where + ": no category " + kind->Category);
                continue;
            }
            kind->Category = category->Name;
        }
        if (pinned.Kinds.try_emplace(folded, std::move(*kind)).second && range)
            pinned.Ranges.try_emplace(folded, std::move(*range));
    }
    return pinned;
}

}  // namespace velmora
