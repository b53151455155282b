// SPDX-License-Identifier: GPL-3.0-or-later
// The files on disk against what the editor knows of them: the editor's own writes are never taken
// for another program's change, a load clears what a killed save left, and a text that another
// program has not finished writing is told from a finished one.

#include <chrono>
#include <filesystem>

#include "WorkspaceFixture.h"
#include "core/saving/DocumentSave.h"
#include "core/store/DiskStamp.h"
#include "core/store/PlatformFile.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

class FilesOnDiskTest : public WorkspaceFixture {};

TEST_F(FilesOnDiskTest, EveryWriteOfTheEditorLeavesTheStampsAsWritten) {
    // The start lists a section no category claims and updates the definition file.
    Write("Rules.001", "[AllSections]\r\n");
    Write("Rules.INI", "[Mystery]\r\nx=1\r\n");
    Start();
    ASSERT_EQ(boxes.TextsOf(BoxKind::Notice).size(), 1u);
    EXPECT_EQ(ChangeOnDisk(workspace.DefinitionStamp(), folder.File("Rules.001")), DiskChange::None);

    // So does the collection of a document's unclaimed sections, and a save after a duplicate.
    Write("doc.ini", "[Other]\r\ny=1\r\n");
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    workspace.SelectUnknown();
    EXPECT_FALSE(FileChangedSinceRead(workspace, true));
    ASSERT_TRUE(workspace.Doc().SetValue("Other", "y", "2"));
    SaveDocument(workspace);
    EXPECT_FALSE(FileChangedSinceRead(workspace, true));

    // A copy of the document written over its own file (it was opened from the game's folder).
    ASSERT_TRUE(workspace.Doc().SetValue("Other", "y", "3"));
    workspace.WriteDocumentCopy(folder.File("doc.ini"));
    EXPECT_FALSE(FileChangedSinceRead(workspace, true));

    // Another program's write is told, each file by its own stamp.
    Write("doc.ini", "[Other]\r\ny=444\r\n");
    EXPECT_EQ(FileChangedSinceRead(workspace, true), folder.File("doc.ini"));
    EXPECT_EQ(ChangeOnDisk(workspace.DefinitionStamp(), folder.File("Rules.001")), DiskChange::None);
}

TEST_F(FilesOnDiskTest, ALoadRemovesWhatAKilledSaveLeftBesideItsFiles) {
    Write("mods/doc.ini", "[A]\r\nK=1\r\n");
    Write("mods/doc.ini.~4711.tmp", "[A]\r\nK=");
    Write("Rules.001.~815.tmp", "[AllSec");
    const auto old = fs::file_time_type::clock::now() - platform::StaleTemporaryAge - std::chrono::seconds(5);
    for (const char* left : {"mods/doc.ini.~4711.tmp", "Rules.001.~815.tmp"}) fs::last_write_time(folder.File(left), old);
    Start();
    EXPECT_FALSE(folder.Exists("Rules.001.~815.tmp"));
    EXPECT_TRUE(folder.Exists("mods/doc.ini.~4711.tmp"));  // in a folder not read yet
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("mods/doc.ini"), false);
    EXPECT_FALSE(folder.Exists("mods/doc.ini.~4711.tmp"));
    EXPECT_TRUE(folder.Exists("mods/doc.ini"));
}

TEST(CutShortTest, ATextEndingInTheMiddleOfALineLooksUnfinished) {
    TempFolder folder;
    const std::string file = folder.File("doc.ini");
    EXPECT_FALSE(LooksCutShort(file));  // no file at all
    for (const char* finished : {"[A]\r\nK=1\r\n", "[A]\nK=1\n", "\r"}) {
        folder.Write("doc.ini", finished);
        EXPECT_FALSE(LooksCutShort(file)) << finished;
    }
    for (const char* unfinished : {"", "[A]\r\nK=", "[A]\r\nK=1"}) {
        folder.Write("doc.ini", unfinished);
        EXPECT_TRUE(LooksCutShort(file)) << unfinished;
    }
}

TEST(DiskStampTest, AFileReadInPiecesStampsAsItsWholeBytes) {
    TempFolder folder;
    std::string bytes;
    for (int i = 0; bytes.size() < 200'000; ++i)
        bytes += "[S" + std::to_string(i) + "]\r\nK=\xE9" + std::to_string(i) + "\r\n";
    folder.Write("doc.ini", bytes);
    const DiskStamp stamp = TakeDiskStamp(folder.File("doc.ini"));
    EXPECT_TRUE(stamp.Exists);
    EXPECT_EQ(stamp.Size, bytes.size());
    EXPECT_EQ(stamp.Hash, HashOfBytes(bytes));
    EXPECT_FALSE(TakeDiskStamp(folder.File("none.ini")).Exists);
}

}  // namespace
}  // namespace velmora::testing
