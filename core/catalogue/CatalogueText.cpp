// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/CatalogueText.h"

#include <string>

#include "core/catalogue/Workspace.h"

namespace velmora {

void WriteCatalogueText(const Workspace& workspace, std::ostream& out) {
    // Lines are gathered and written in large pieces: a category may hold every section of the file.
    std::string text;
    auto flushIfLarge = [&] {
        if (text.size() < (1u << 16)) return;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    };
    StringList entries;
    for (size_t row = 0; row < workspace.CategoryRows().size(); ++row) {
        const std::string& category = workspace.CategoryRows()[row];
        const int kind = workspace.CategoryKinds()[row];
        workspace.GetReadSectionValuesOnly(kind, category, entries);
        text += '[' + category + "] kind=" + std::to_string(kind) + " entries=" + std::to_string(entries.Count()) + '\n';
        for (size_t i = 0; i < entries.Count(); ++i) {
            if (i + IniStore::LookAhead < entries.Count())
                workspace.Doc().Store().PrefetchSection(entries[i + IniStore::LookAhead]);
            const std::string& code = entries[i];
            const std::string name = workspace.Doc().Store().ReadString(code, "Name", "");
            text += code;
            text += '=';
            text += name.empty() ? "-" : name;
            text += '\n';
            flushIfLarge();
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace velmora
