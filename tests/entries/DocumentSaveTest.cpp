// SPDX-License-Identifier: GPL-3.0-or-later
// File, Save: the document and the definition file go to disk as one save, both or neither, and
// the definition file only when an edit changed its lists.

#include <filesystem>
#include <string>

#include "EntriesFixture.h"
#include "core/entries/EntryOperations.h"
#include "core/document/Document.h"
#include "core/saving/DocumentSave.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora::testing {
namespace {

constexpr const char* SavedDefinition =
    "[AllSections]\r\n"
    "Weapons=1,Gun\r\n"
    "[Gun]\r\n"
    "Damage=\r\n"
    "[Weapons]\r\n"
    "1=W1\r\n";

constexpr const char* SavedDocument =
    "[W1]\r\n"
    "Damage=10\r\n";

// Makes the rename into place of the file whose name ends in `suffix` fail while it lives.
class ReplaceFault {
public:
    explicit ReplaceFault(std::string suffix) {
        platform::SetReplaceFaultForTesting([suffix = std::move(suffix)](std::string_view name) {
            return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
        });
    }
    ~ReplaceFault() { platform::SetReplaceFaultForTesting({}); }
    ReplaceFault(const ReplaceFault&) = delete;
    ReplaceFault& operator=(const ReplaceFault&) = delete;
    ReplaceFault(ReplaceFault&&) = delete;
    ReplaceFault& operator=(ReplaceFault&&) = delete;
};

class DocumentSaveTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override { Load(SavedDocument, SavedDefinition); }

    void Duplicate() {
        EntryOperations(workspace, "Weapons", 1).DuplicateOrChangeCode("W1", "W2", std::nullopt, true);
    }
};

TEST_F(DocumentSaveTest, WritesTheDefinitionFileOnlyWhenItsListsChanged) {
    workspace.Doc().SetValue("W1", "Damage", "12");
    SaveDocument(workspace);
    EXPECT_EQ(folder.Read("document.ini"), "[W1]\r\nDamage=12\r\n");
    EXPECT_EQ(folder.Read("definition.ini"), SavedDefinition);

    Duplicate();
    SaveDocument(workspace);
    EXPECT_NE(folder.Read("document.ini").find("[W2]"), std::string::npos);
    EXPECT_NE(folder.Read("definition.ini").find("2=W2\r\n"), std::string::npos);
    EXPECT_FALSE(workspace.Doc().Modified());

    // Back past the save point, and a new edit in place of the undone one: the definition on disk
    // lists W2, the one in memory does not.
    workspace.Doc().Undo();
    workspace.Doc().SetValue("W1", "Damage", "13");
    EXPECT_TRUE(workspace.Doc().DefinitionChanged());
    SaveDocument(workspace);
    EXPECT_EQ(folder.Read("definition.ini").find("W2"), std::string::npos);
    workspace.Doc().SetValue("W1", "Damage", "14");
    EXPECT_FALSE(workspace.Doc().DefinitionChanged());
}

TEST_F(DocumentSaveTest, AFailedSecondFileLeavesBothFilesAsTheyWere) {
    Duplicate();
    {
        const ReplaceFault fault("definition.ini");
        EXPECT_THROW(SaveDocument(workspace), IniError);
    }
    EXPECT_EQ(folder.Read("document.ini"), SavedDocument);
    EXPECT_EQ(folder.Read("definition.ini"), SavedDefinition);
    EXPECT_TRUE(workspace.Doc().Modified());
    // No temporary or kept file is left beside them.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) ++files;
    EXPECT_EQ(files, 2u);

    // A definition file that cannot be written at all stops the save before the document changes.
    std::filesystem::remove(folder.Path() / "definition.ini");
    std::filesystem::create_directory(folder.Path() / "definition.ini");
    EXPECT_THROW(SaveDocument(workspace), IniError);
    EXPECT_EQ(folder.Read("document.ini"), SavedDocument);

    // A new document file goes again when the definition file fails after it.
    std::filesystem::remove(folder.Path() / "definition.ini");
    folder.Write("definition.ini", SavedDefinition);
    const ReplaceFault fault("definition.ini");
    EXPECT_THROW(WriteSaveTexts({"new", std::string("def")}, folder.File("new.ini"), folder.File("definition.ini")),
                 IniError);
    EXPECT_FALSE(folder.Exists("new.ini"));
}

// Save As takes the new name only once the files are written: a save that fails leaves the
// document under the name it had, so that the next save and the recovery copy still go there.
TEST_F(DocumentSaveTest, AFailedSaveAsKeepsTheOldName) {
    Duplicate();
    const std::string old = workspace.Doc().FileName();
    EXPECT_THROW(SaveDocumentAs(workspace, folder.File("missing/New.ini")), IniError);
    EXPECT_EQ(workspace.Doc().FileName(), old);
    EXPECT_TRUE(workspace.Doc().Modified());
    EXPECT_EQ(folder.Read("definition.ini"), SavedDefinition);

    SaveDocumentAs(workspace, folder.File("New.ini"));
    EXPECT_EQ(workspace.Doc().FileName(), folder.File("New.ini"));
    EXPECT_FALSE(workspace.Doc().Modified());
    EXPECT_NE(folder.Read("New.ini").find("[W2]"), std::string::npos);
    EXPECT_NE(folder.Read("definition.ini").find("2=W2\r\n"), std::string::npos);
    EXPECT_EQ(folder.Read("document.ini"), SavedDocument);
}

}  // namespace
}  // namespace velmora::testing
