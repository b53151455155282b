// SPDX-License-Identifier: GPL-3.0-or-later
// Unsaved work survives the program: the recovery file keeps a document's bytes with the file's
// stamp, a damaged one is refused rather than put back, and a file another program changed is
// told from one merely touched.

#include <chrono>
#include <filesystem>

#include "WorkspaceFixture.h"
#include "core/catalogue/DocumentSave.h"
#include "core/catalogue/RecoveryFile.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

// Moves the file's time on, as a later write by another program would.
void Touch(const std::string& file) {
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
}

TEST(RecoveryFileTest, RecordAndBytesComeBackAsWritten) {
    TempFolder folder;
    folder.Write("doc.ini", "[A]\r\nK=1\r\n");
    const RecoveryRecord record{folder.File("doc.ini"), TakeDiskStamp(folder.File("doc.ini")), 1765200000};
    // Bytes as a document may hold them: CR LF, a NUL, Latin-1, no line end at the end.
    const std::string bytes("[A]\r\nK=2\r\n\xe9t\xe9\0x", 15);
    const std::string dir = folder.File("recovery");
    const std::string file = RecoveryFileName(dir, record.DocumentPath);

    WriteRecoveryFile(file, record, bytes);
    ASSERT_EQ(RecoveryFiles(dir), std::vector<std::string>{file});
    const Recovery read = ReadRecoveryFile(file);
    EXPECT_EQ(read.Record.DocumentPath, record.DocumentPath);
    EXPECT_EQ(read.Record.Loaded, record.Loaded);
    EXPECT_TRUE(read.Record.Loaded.Exists);
    EXPECT_EQ(read.Record.Loaded.Size, 10u);
    EXPECT_EQ(read.Record.SavedAt, record.SavedAt);
    EXPECT_EQ(read.Bytes, bytes);

    // Each document has a file of its own, and a kept copy does not replace the live one.
    EXPECT_NE(RecoveryFileName(dir, folder.File("other.ini")), file);
    const std::string kept = KeptRecoveryFileName(dir, record.DocumentPath, 7);
    WriteRecoveryFile(kept, record, "x");
    EXPECT_NE(KeptRecoveryFileName(dir, record.DocumentPath, 7), kept);
    EXPECT_EQ(RecoveryFiles(dir).size(), 2u);

    RemoveRecoveryFile(file);
    RemoveRecoveryFile(file);  // already gone: nothing
    EXPECT_EQ(RecoveryFiles(dir), std::vector<std::string>{kept});
}

TEST(RecoveryFileTest, ACopyCutShortOrChangedIsRefused) {
    const RecoveryRecord record{"doc.ini", {}, 1};
    const std::string good = RenderRecovery(record, "[A]\r\nK=2\r\n");
    ASSERT_EQ(ParseRecovery(good).Bytes, "[A]\r\nK=2\r\n");

    std::string changed = good;
    changed[changed.size() - 3] = '3';
    for (const std::string& bad : {good.substr(0, good.size() - 1), good + "x", changed, good.substr(0, 30)})
        EXPECT_THROW(ParseRecovery(bad), IniError) << bad;
    EXPECT_THROW(ParseRecovery("[A]\r\nK=1\r\n"), IniError);

    TempFolder folder;
    folder.Write("recovery-1.velrec", good.substr(0, good.size() - 4));
    try {
        ReadRecoveryFile(folder.File("recovery-1.velrec"));
        FAIL() << "a damaged file was read";
    } catch (const IniError& error) {
        EXPECT_NE(std::string(error.what()).find("recovery-1.velrec"), std::string::npos) << error.what();
    }
}

TEST(DiskStampTest, AChangeIsToldBySizeTimeAndBytes) {
    TempFolder folder;
    const std::string file = folder.File("doc.ini");
    folder.Write("doc.ini", "[A]\r\nK=1\r\n");
    const DiskStamp stamp = TakeDiskStamp(file);
    EXPECT_EQ(ChangeOnDisk(stamp, file), DiskChange::None);

    Touch(file);  // the same bytes written again
    EXPECT_EQ(ChangeOnDisk(stamp, file), DiskChange::None);

    folder.Write("doc.ini", "[A]\r\nK=2\r\n");  // the same size
    Touch(file);
    EXPECT_EQ(ChangeOnDisk(stamp, file), DiskChange::Changed);

    folder.Write("doc.ini", "[A]\r\nK=1\r\nL=1\r\n");
    EXPECT_EQ(ChangeOnDisk(stamp, file), DiskChange::Changed);

    fs::remove(file);
    EXPECT_EQ(ChangeOnDisk(stamp, file), DiskChange::Deleted);
    EXPECT_EQ(ChangeOnDisk(DiskStamp(), file), DiskChange::None);
    folder.Write("doc.ini", "new");
    EXPECT_EQ(ChangeOnDisk(DiskStamp(), file), DiskChange::Changed);
}

class RecoveryWorkspaceTest : public WorkspaceFixture {};

TEST_F(RecoveryWorkspaceTest, RestoreGivesTheRecoveredBytesAsAChangedDocument) {
    Start();
    Write("doc.ini", "; notes\r\n[A]\r\nK = 1 ; kept\r\n\r\n[B]\r\nL=2\r\n");
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    ASSERT_TRUE(workspace.Doc().SetValue("A", "K", "7"));
    const std::string edited = workspace.Doc().Store().RenderText();
    const RecoveryRecord record{folder.File("doc.ini"), workspace.DocumentStamp, 1};
    const std::string recoveryFile = RecoveryFileName(folder.File("recovery"), record.DocumentPath);
    WriteRecoveryFile(recoveryFile, record, edited);

    Globals laterGlobals;
    Workspace later(laterGlobals, boxes, nullptr);
    later.StartUp(folder.Dir());
    const Recovery recovery = ReadRecoveryFile(recoveryFile);
    EXPECT_FALSE(ChangedSinceRecovery(recovery.Record));
    later.LoadRecoveredDocument(recovery.Record.DocumentPath, recovery.Bytes, recovery.Record.Loaded);
    EXPECT_EQ(later.Doc().Store().RenderText(), edited);
    EXPECT_EQ(later.Doc().FileName(), folder.File("doc.ini"));
    EXPECT_TRUE(later.Doc().Modified());
    EXPECT_FALSE(later.Doc().CanUndo());

    // Saved, the file holds the edited bytes, and the next save finds nothing changed under it.
    SaveDocument(later);
    EXPECT_EQ(Read("doc.ini"), edited);
    EXPECT_FALSE(FileChangedSinceRead(later, true));
}

TEST_F(RecoveryWorkspaceTest, ASaveDoesNotOverwriteAnotherProgramsChangeUnasked) {
    Start();
    Write("doc.ini", "[A]\r\nK=1\r\n");
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    ASSERT_TRUE(workspace.Doc().SetValue("A", "K", "2"));
    EXPECT_NO_THROW(RefuseSaveOverChangedFile(workspace, true));

    Write("doc.ini", "[A]\r\nK=3\r\n");
    Touch(folder.File("doc.ini"));
    const Recovery recovery{{folder.File("doc.ini"), workspace.DocumentStamp, 1}, {}};
    EXPECT_TRUE(ChangedSinceRecovery(recovery.Record));
    EXPECT_NE(RestoreQuestion(recovery.Record, true).find("changed on disk"), std::string::npos);
    EXPECT_EQ(FileChangedSinceRead(workspace, false), folder.File("doc.ini"));
    try {
        RefuseSaveOverChangedFile(workspace, false);
        FAIL() << "the save was not refused";
    } catch (const IniError& error) {
        EXPECT_STREQ(error.what(), "the file changed on disk while editing");
    }
    EXPECT_EQ(Read("doc.ini"), "[A]\r\nK=3\r\n");

    // A file deleted under the document is written again without asking.
    fs::remove(folder.File("doc.ini"));
    EXPECT_FALSE(FileChangedSinceRead(workspace, false));
}

}  // namespace
}  // namespace velmora::testing
