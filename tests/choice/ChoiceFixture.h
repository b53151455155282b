// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"
#include "core/store/IniStore.h"
#include "support/LoadedStores.h"
#include "support/ScriptedBoxes.h"
#include "support/TempFolder.h"

namespace velmora::testing {

// A document and a definition file written into a folder of the test's own, loaded into a
// workspace with the category rows of the definition file's [AllSections].
class ChoiceFixture : public ::testing::Test {
protected:
    void Load(std::string_view document, std::string_view definition) {
        folder.Write("Rules.ini", document);
        folder.Write("Rules.001", definition);
        LoadStores(workspace, folder.File("Rules.ini"), folder.File("Rules.001"));
    }

    TempFolder folder;
    Globals globals;
    ScriptedBoxes boxes;
    Workspace workspace{globals, boxes};
};

}  // namespace velmora::testing
