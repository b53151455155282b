// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"

namespace velmora::testing {

// The document and the definition file read into `workspace` from the files named, as a load puts
// them in, with the category rows of the definition file's [AllSections]. No catalogue is made.
inline void LoadStores(Workspace& workspace, const std::string& documentFile, const std::string& definitionFile) {
    const bool* caseSensitive = &workspace.G().CaseSensitive;
    workspace.Doc().Load(StoreOf::Document, std::make_unique<IniStore>(documentFile, caseSensitive));
    workspace.Doc().Load(StoreOf::Definition, std::make_unique<IniStore>(definitionFile, caseSensitive));
    StringList categories;
    workspace.Doc().Definition().ReadSectionValues(Workspace::AllSections, categories);
    workspace.UseCategoryList(std::move(categories));
}

}  // namespace velmora::testing
