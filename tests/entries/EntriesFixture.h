// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"
#include "support/LoadedStores.h"
#include "support/ScriptedBoxes.h"
#include "support/TempFolder.h"

namespace velmora::testing {

// A workspace on a document and a definition file in a folder of the test's own, with the
// category rows of the definition file's [AllSections].
class EntriesFixture {
protected:
    void Load() {
        LoadStores(workspace, folder.File("document.ini"), folder.File("definition.ini"));
        workspace.Doc().Restart(false);
    }
    void Load(std::string_view document, std::string_view definition) {
        folder.Write("document.ini", document);
        folder.Write("definition.ini", definition);
        Load();
    }
    int KindOf(const std::string& category) const {
        for (size_t row = 0; row < workspace.CategoryRows().size(); ++row)
            if (EqualsNoCase(workspace.CategoryRows()[row], category)) return workspace.CategoryKinds()[row];
        ADD_FAILURE() << "no category " << category;
        return 0;
    }

    TempFolder folder;
    Globals globals;
    ScriptedBoxes boxes;
    Workspace workspace{globals, boxes};
};

}  // namespace velmora::testing
