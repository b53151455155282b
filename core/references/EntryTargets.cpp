// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/references/EntryTargets.h"

#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

std::optional<EntryListing> FindEntryListing(const Workspace& workspace, std::string_view code) {
    const bool caseSensitive = workspace.G().CaseSensitive;
    StringList entries;
    for (size_t row = 0; row < workspace.CategoryRows().size() && row < workspace.CategoryKinds().size();
         ++row) {
        workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[row], workspace.CategoryRows()[row],
                                           entries);
        for (size_t index = 0; index < entries.Count(); ++index)
            if (NamesEqual(entries[index], code, caseSensitive)) return EntryListing{row, index};
    }
    return std::nullopt;
}

bool PassesFilter(std::string_view text, std::string_view filter) {
    return FoldCase(text).find(FoldCase(filter)) != std::string::npos;
}

std::optional<std::string> FirstItemNamingSection(const IniStore& document, std::string_view value) {
    std::optional<std::string> found;
    ForEachValueItem(value, [&](std::string_view item) {
        if (!found && document.SectionExists(item)) found = std::string(item);
    });
    return found;
}

}  // namespace velmora
