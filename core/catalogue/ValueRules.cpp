// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/ValueRules.h"

#include "core/store/Routines.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

std::string_view ComparableValue(std::string_view value) {
    return TrimView(value.substr(0, value.find(';')));
}

bool ValuesDiffer(std::string_view documentValue, std::string_view referenceValue, bool caseSensitive) {
    return !NamesEqual(ComparableValue(documentValue), ComparableValue(referenceValue), caseSensitive);
}

bool ValueIsRed(const IniStore& reference, std::string_view code, std::string_view key,
                std::string_view documentValue, bool caseSensitive) {
    return ValuesDiffer(documentValue, reference.ReadString(code, key, ""), caseSensitive);
}

std::string ReferenceValueTip(const IniStore& reference, std::string_view code, std::string_view key) {
    if (!reference.ValueExists(code, key)) return "default: (none)";
    return "default: " + std::string(ComparableValue(reference.ReadString(code, key, "")));
}

bool EntryIsRed(const IniStore& reference, std::string_view code) { return !reference.SectionExists(code); }

}  // namespace velmora
