// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/values/ValueKinds.h"

#include "core/store/NumberText.h"
#include "core/store/TextCase.h"

namespace velmora {
namespace {

constexpr std::string_view CodeOfText = "code of ";
constexpr std::string_view CodesOfText = "codes of ";

struct PlainName {
    KindOf kind;
    std::string_view text;
};
constexpr PlainName PlainNames[] = {{KindOf::YesNo, "yes/no"},     {KindOf::WholeNumber, "whole number"},
                                    {KindOf::Decimal, "decimal"},  {KindOf::Percent, "percent"},
                                    {KindOf::Text, "text"}};

}  // namespace

bool IsYesNo(std::string_view value) {
    return EqualsNoCase(value, "yes") || EqualsNoCase(value, "no") || EqualsNoCase(value, "true") ||
           EqualsNoCase(value, "false");
}

bool IsWholeNumber(std::string_view value) {
    return IsNumberText(value) && value.find('.') == std::string_view::npos;
}

bool IsDecimal(std::string_view value) { return IsNumberText(value); }

bool IsPercent(std::string_view value) {
    return !value.empty() && value.back() == '%' && IsDecimal(value.substr(0, value.size() - 1));
}

bool IsNoCode(std::string_view item) { return item.empty() || EqualsNoCase(item, "none"); }

bool FitsPlainKind(KindOf kind, std::string_view value) {
    switch (kind) {
        case KindOf::YesNo: return IsYesNo(value);
        case KindOf::WholeNumber: return IsWholeNumber(value);
        case KindOf::Decimal: return IsDecimal(value);
        case KindOf::Percent: return IsPercent(value);
        case KindOf::CodeOf:
        case KindOf::CodesOf:
        case KindOf::Text: return true;
    }
    return true;
}

std::vector<std::string> KindChoices(const ValueKind& kind) {
    if (kind.Of == KindOf::YesNo) return {"yes", "no"};
    return {};
}

std::string KindText(const ValueKind& kind) {
    if (kind.Of == KindOf::CodeOf) return std::string(CodeOfText) + kind.Category;
    if (kind.Of == KindOf::CodesOf) return std::string(CodesOfText) + kind.Category;
    for (const PlainName& name : PlainNames)
        if (name.kind == kind.Of) return std::string(name.text);
    return "text";
}

std::optional<ValueKind> ParseKind(std::string_view text) {
    text = TrimView(text);
    for (const PlainName& name : PlainNames)
        if (EqualsNoCase(text, name.text)) return ValueKind{name.kind, {}};
    for (const auto& [prefix, kind] : {std::pair{CodeOfText, KindOf::CodeOf}, std::pair{CodesOfText, KindOf::CodesOf}}) {
        if (text.size() <= prefix.size() || !EqualsNoCase(text.substr(0, prefix.size()), prefix)) continue;
        const std::string_view category = TrimView(text.substr(prefix.size()));
        if (!category.empty()) return ValueKind{kind, std::string(category)};
    }
    return std::nullopt;
}

std::string ExpectedText(const ValueKind& kind) {
    switch (kind.Of) {
        case KindOf::YesNo: return "yes or no";
        case KindOf::WholeNumber: return "a whole number";
        case KindOf::Decimal: return "a decimal number";
        case KindOf::Percent: return "a percentage";
        case KindOf::CodeOf: return "a code of " + kind.Category;
        case KindOf::CodesOf: return "codes of " + kind.Category;
        case KindOf::Text: break;
    }
    return "text";
}

}  // namespace velmora
