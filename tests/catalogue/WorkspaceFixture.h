// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/Globals.h"
#include "core/catalogue/Workspace.h"
#include "support/ScriptedBoxes.h"
#include "support/TempFolder.h"

namespace velmora::testing {

// Records what the core asked the window to do, in order.
class RecordingView : public WorkspaceView {
public:
    void ShowTitle(const std::string& text) override { events.push_back("title:" + text); }
    void ShowStatus(const std::string& text) override { events.push_back("status:" + text); }
    void CategoryRowsBuilt() override { events.push_back("rows"); }
    void LoadPictures() override { events.push_back("pictures"); }
    void ArrangeAfterLoad() override { events.push_back("layout"); }
    void BeginBusy() override { ++busyDepth; }
    void EndBusy() override { --busyDepth; }

    std::vector<std::string> events;
    int busyDepth = 0;
};

// A program folder of its own, fresh global state, scripted boxes and a workspace on them.
class WorkspaceFixture : public ::testing::Test {
protected:
    void Write(std::string_view name, std::string_view text) { folder.Write(name, text); }
    std::string Read(std::string_view name) { return folder.Read(name); }
    void Start() { workspace.StartUp(folder.Dir()); }

    // The lines of a section of the definition file in memory, as stored.
    std::vector<std::string> DefinitionLines(const std::string& section) {
        StringList lines;
        workspace.Doc().Definition().ReadSectionValues(section, lines);
        return lines.Texts();
    }
    std::vector<std::string> Entries(int kind, const std::string& category) {
        StringList values;
        workspace.GetReadSectionValuesOnly(kind, category, values);
        return values.Texts();
    }
    // Names of the document's sections that no category claimed.
    std::vector<std::string> Unclaimed() {
        std::vector<std::string> names;
        for (size_t i = 0; i < workspace.Doc().Store().SectionCount(); ++i)
            if (workspace.Doc().Store().SectionAt(i).Occupied == 0)
                names.emplace_back(workspace.Doc().Store().SectionAt(i).Name());
        return names;
    }

    TempFolder folder;
    Globals globals;
    ScriptedBoxes boxes;
    RecordingView view;
    Workspace workspace{globals, boxes, &view};
};

}  // namespace velmora::testing
