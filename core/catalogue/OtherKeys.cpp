// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/OtherKeys.h"

#include <unordered_set>

#include "core/catalogue/Workspace.h"
#include "core/store/StringList.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

std::vector<std::string> OtherKeysOf(const Workspace& workspace, std::string_view category) {
    std::vector<std::string> keys;
    const int row = IndexOfNoCase(workspace.CategoryRows(), category);
    if (row < 0 || static_cast<size_t>(row) >= workspace.CategoryKinds().size() ||
        !workspace.Doc().HasStores())
        return keys;
    const std::string& name = workspace.CategoryRows()[static_cast<size_t>(row)];
    std::unordered_set<std::string> seen;  // folded: the page keys, then the keys met
    StringList listed;
    workspace.GetContentsOfAllPages(name, listed);
    for (const StringItem& key : listed) seen.insert(FoldCase(key.text));
    workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[static_cast<size_t>(row)], name, listed);
    const IniStore& document = workspace.Doc().Store();
    std::string_view key;
    for (const StringItem& code : listed) {
        const int at = document.IndexOfSection(code.text);
        if (at < 0) continue;
        const IniSection& section = document.SectionAt(static_cast<size_t>(at));
        for (size_t line = 0; line < section.Count(); ++line)
            if (section.LineAt(line).KeyName(key) && !key.empty() && seen.insert(FoldCase(key)).second)
                keys.emplace_back(key);
    }
    return keys;
}

}  // namespace velmora
