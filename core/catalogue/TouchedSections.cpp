// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue/TouchedSections.h"

#include <algorithm>

#include "core/store/Routines.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"

namespace velmora {

void TouchedSections::Clear() {
    m_codes.clear();
    m_everything = false;
}

std::optional<std::vector<size_t>> TouchedSections::SectionsToRead(const Workspace& workspace) const {
    if (m_everything || !workspace.Doc().HasDocument()) return std::nullopt;
    const IniStore& document = workspace.Doc().Store();
    const bool caseSensitive = workspace.G().CaseSensitive;
    const size_t limit = document.SectionCount() / 10;
    std::vector<size_t> positions;
    for (const std::string& code : m_codes) {
        for (size_t row = 0; row < workspace.CategoryRows().size(); ++row)
            if (Workspace::DocumentListsEntries(workspace.CategoryKinds()[row]) &&
                NamesEqual(code, workspace.CategoryRows()[row], caseSensitive))
                return std::nullopt;
        // The news names a section by its own name, so the exact name finds it and its namesakes.
        for (const size_t position : document.SectionsNamedExactly(code)) positions.push_back(position);
        if (positions.size() > limit) return std::nullopt;
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

}  // namespace velmora
