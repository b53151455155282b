// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/compare/ChangeRows.h"

#include "core/store/TextCase.h"

namespace velmora {

namespace {

constexpr const char* NoneText = "(none)";
constexpr const char* EntryText = "(entry)";

}  // namespace

std::array<std::string, ChangeColumnCount> ChangeRowTexts(const Difference& difference) {
    std::array<std::string, ChangeColumnCount> cells{
        std::string(difference.Section()), std::string(difference.Key()),
        std::string(difference.ReferenceValue()), std::string(difference.DocumentValue())};
    switch (difference.Kind()) {
        case DifferenceKind::ChangedValue:
            break;
        case DifferenceKind::KeyOnlyInDocument:
            cells[ReferenceColumn] = NoneText;
            break;
        case DifferenceKind::KeyOnlyInReference:
            cells[DocumentColumn] = NoneText;
            break;
        case DifferenceKind::SectionOnlyInDocument:
            cells[ReferenceColumn] = NoneText;
            cells[DocumentColumn] = EntryText;
            break;
        case DifferenceKind::SectionOnlyInReference:
            cells[ReferenceColumn] = EntryText;
            cells[DocumentColumn] = NoneText;
            break;
    }
    return cells;
}

bool ChangeRowPasses(const Difference& difference, std::string_view filter) {
    filter = TrimView(filter);
    if (filter.empty()) return true;
    return FoldCase(DifferenceText(difference)).find(FoldCase(filter)) != std::string::npos;
}

}  // namespace velmora
