// SPDX-License-Identifier: GPL-3.0-or-later
// Each folder under golden/ holds a document and a definition file, the entry operation to run on
// them (operation.ini) and the text both stores must hold afterwards. A missing expected file
// means that store must come out unchanged.

#include <algorithm>
#include <filesystem>
#include <string>

#include "EntriesFixture.h"
#include "core/entries/EntryOperations.h"
#include "support/GoldenCases.h"
#include "support/SourceFolder.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

// Line ends aside, which the store's own tests cover, so that the cases stay readable text.
std::string WithoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

class EntryWritesGoldenTest : public EntriesFixture, public ::testing::TestWithParam<std::string> {
protected:
    std::string ExpectedOrUnchanged(const char* expectedName, const char* inputName) {
        if (folder.Exists(expectedName)) return folder.Read(expectedName);
        return WithoutCarriageReturns(IniStore(folder.File(inputName)).RenderText());
    }
};

TEST_P(EntryWritesGoldenTest, StoresHoldTheExpectedText) {
    folder.CopyTree(fs::path(SourceFolder("tests/entries/golden")) / GetParam());
    Load();
    IniStore operation(folder.File("operation.ini"));
    auto field = [&](const char* key) { return operation.ReadString("Operation", key, ""); };
    const std::string action = field("Action");
    const std::string category = field("Category");
    ASSERT_TRUE(action == "Duplicate" || action == "ChangeCode" || action == "Delete") << action;

    EntryOperations operations(workspace, category, KindOf(category));
    if (action == "Delete")
        operations.DeleteEntry(field("OldCode"));
    else
        operations.DuplicateOrChangeCode(field("OldCode"), field("NewCode"), field("NewName"),
                                         action == "Duplicate");

    const std::string expectedDocument = ExpectedOrUnchanged("expected-document.ini", "document.ini");
    const std::string expectedDefinition = ExpectedOrUnchanged("expected-definition.ini", "definition.ini");
    EXPECT_EQ(WithoutCarriageReturns(workspace.Doc().Store().RenderText()), expectedDocument);
    EXPECT_EQ(WithoutCarriageReturns(workspace.Doc().Definition().RenderText()), expectedDefinition);
    EXPECT_TRUE(workspace.Doc().Modified());

    // The operation is one edit: undone, both stores give back the bytes they were read from, and
    // redone, the bytes of the operation.
    workspace.Doc().Undo();
    EXPECT_FALSE(workspace.Doc().CanUndo());
    EXPECT_EQ(workspace.Doc().Store().RenderText(), IniStore(folder.File("document.ini")).RenderText());
    EXPECT_EQ(workspace.Doc().Definition().RenderText(),
              IniStore(folder.File("definition.ini")).RenderText());
    EXPECT_FALSE(workspace.Doc().Modified());
    workspace.Doc().Redo();
    EXPECT_EQ(WithoutCarriageReturns(workspace.Doc().Store().RenderText()), expectedDocument);
    EXPECT_EQ(WithoutCarriageReturns(workspace.Doc().Definition().RenderText()), expectedDefinition);
}

VELMORA_GOLDEN_CASES(EntryWritesGoldenTest, SourceFolder("tests/entries/golden"));

}  // namespace
}  // namespace velmora::testing
