// SPDX-License-Identifier: GPL-3.0-or-later
// Unsaved work survives the program: the recovery file keeps every file of the session with the
// kind of file and program folder it was open under, belongs to the copy of the program that
// writes it, a damaged one is refused rather than put back, and a file another program changed is
// told from one merely touched.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>

#include "WorkspaceFixture.h"
#include "core/saving/DocumentSave.h"
#include "core/recovery/RecoveryFile.h"
#include "core/entries/EntryOperations.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "support/SourceFolder.h"

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

// Moves the file's time on, as a later write by another program would.
void Touch(const std::string& file) {
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
}

std::string Hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

Recovery SessionOf(const std::string& definition) {
    Recovery recovery;
    recovery.SavedAt = 1765200000;
    recovery.FileType = "Art.ini";
    recovery.ProgramFolder = "/games/pyre/";
    recovery.Kept = std::string(Recovery::KeptOnReload);
    // Bytes as a document may hold them: CR LF, a NUL, Latin-1, no line end at the end; a field's
    // own line end and a name of a later field inside them.
    recovery.Files.push_back({std::string(Recovery::DocumentRole), "/games/pyre/mods/doc 1.ini",
                              {true, 10, 1234, 0xabcdef}, std::string("[A]\r\nK=2\n\xe9t\xe9\0x\nend 3\n", 21)});
    recovery.Files.push_back({std::string(Recovery::DefinitionRole), "/games/pyre/Art.001", {}, definition});
    return recovery;
}

void ExpectSame(const Recovery& read, const Recovery& written) {
    EXPECT_EQ(read.SavedAt, written.SavedAt);
    EXPECT_EQ(read.FileType, written.FileType);
    EXPECT_EQ(read.ProgramFolder, written.ProgramFolder);
    EXPECT_EQ(read.Kept, written.Kept);
    ASSERT_EQ(read.Files.size(), written.Files.size());
    for (size_t i = 0; i < read.Files.size(); ++i) {
        EXPECT_EQ(read.Files[i].Role, written.Files[i].Role);
        EXPECT_EQ(read.Files[i].Path, written.Files[i].Path);
        EXPECT_EQ(read.Files[i].Loaded, written.Files[i].Loaded);
        EXPECT_EQ(read.Files[i].Bytes, written.Files[i].Bytes);
    }
}

TEST(RecoveryFileTest, ASessionComesBackAsWritten) {
    const Recovery written = SessionOf("[ObjectArt]\r\n1=GRUNT\r\n");
    const std::string text = RenderRecovery(written);
    ExpectSame(ParseRecovery(text), written);
    EXPECT_EQ(ParseRecovery(text).Document().Path, "/games/pyre/mods/doc 1.ini");

    // Fields and files a later version adds are passed over, wherever they stand.
    const std::string body = text.substr(0, text.rfind("end 16\n"));
    std::string later = body;
    later.insert(later.find("file 8\ndocument\n"), "layers 3\na,b\n");
    later += "file 5\nlayer\npath 8\n/l/a.ini\nbytes 3\nx=1\nshade 1\n0\n";
    later += "end 16\n" + Hex(HashOfBytes(later)) + "\n";
    const Recovery read = ParseRecovery(later);
    ExpectSame(Recovery{read.SavedAt, read.FileType, read.ProgramFolder, read.Kept,
                        {read.Files[0], read.Files[1]}},
               written);
    ASSERT_EQ(read.Files.size(), 3u);
    EXPECT_EQ(read.Files[2].Role, "layer");

    // A copy of one document in the format before, as a modder may have one when they upgrade.
    const std::string bytes = "[A]\r\nK=7\r\n";
    const std::string first = "VelmoraEdit recovery 1\npath 8\n/doc.ini\nloaded 1 10 99 " + Hex(0x1234) +
                              "\nsaved 42\nbytes 10 " + Hex(HashOfBytes(bytes)) + "\n" + bytes;
    const Recovery old = ParseRecovery(first);
    EXPECT_EQ(old.SavedAt, 42);
    EXPECT_EQ(old.FileType, "");
    ASSERT_EQ(old.Files.size(), 1u);
    EXPECT_EQ(old.Document().Path, "/doc.ini");
    EXPECT_EQ(old.Document().Loaded, (DiskStamp{true, 10, 99, 0x1234}));
    EXPECT_EQ(old.Document().Bytes, bytes);
    EXPECT_EQ(old.File(Recovery::DefinitionRole), nullptr);
}

TEST(RecoveryFileTest, ACopyCutShortOrChangedIsRefused) {
    const std::string good = RenderRecovery(SessionOf("[ObjectArt]\r\n1=GRUNT\r\n"));
    ASSERT_NO_THROW(ParseRecovery(good));

    std::string changed = good;
    changed[changed.find("1=GRUNT")] = '2';
    for (const std::string& bad : {good.substr(0, good.size() - 1), good + "x", changed, good.substr(0, 60),
                                   good.substr(0, good.rfind("end "))})
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

// A recovery file is the work of the copy of the program that holds it: no other copy offers it,
// writes over it or deletes it until that copy is gone, however it ended.
TEST(RecoveryClaimTest, AFileBelongsToTheCopyThatHoldsIt) {
    TempFolder folder;
    const std::string dir = folder.File("recovery");
    const std::string document = folder.File("doc.ini");
    Recovery session = SessionOf("[A]\r\n");
    std::unique_ptr<RecoveryClaim> first = RecoveryClaim::TakeNew(dir, document);
    ASSERT_TRUE(first);
    const std::string file = first->FileName();
    EXPECT_EQ(file, RecoveryFileName(dir, document));
    first->Write(session);
    EXPECT_EQ(RecoveryFiles(dir), std::vector<std::string>{file});  // the lock beside it is no copy

    // Another copy can neither take it nor write its own copy of the same document over it.
    EXPECT_FALSE(RecoveryClaim::Take(file));
    std::unique_ptr<RecoveryClaim> second = RecoveryClaim::TakeNew(dir, document);
    ASSERT_TRUE(second);
    EXPECT_NE(second->FileName(), file);
    second->Write(SessionOf("[B]\r\n"));
    second->Remove();
    EXPECT_EQ(ReadRecoveryFile(file).Files[1].Bytes, "[A]\r\n");

    // Let go (the program ended), it is there for the next copy to offer, and then to delete.
    first.reset();
    std::unique_ptr<RecoveryClaim> later = RecoveryClaim::Take(file);
    ASSERT_TRUE(later);
    EXPECT_EQ(ReadRecoveryFile(file).Files[1].Bytes, "[A]\r\n");
    later->Remove();
    later->Remove();  // already gone: nothing
    EXPECT_TRUE(RecoveryFiles(dir).empty());
}

#ifndef _WIN32
// The hold of a program killed outright is let go by the system.
TEST(RecoveryClaimTest, AKilledHolderLetsGo) {
    TempFolder folder;
    const std::string file = folder.File("recovery-1.velrec");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::unique_ptr<RecoveryClaim> claim = RecoveryClaim::Take(file);
        const char held = claim ? '1' : '0';
        if (write(ready[1], &held, 1) != 1) _exit(1);
        for (;;) pause();
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, '1');
    EXPECT_FALSE(RecoveryClaim::Take(file));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_TRUE(RecoveryClaim::Take(file));
}
#endif

// A file nobody holds is an ended session's work, or one that cannot be read and that the start
// said it keeps: a new copy goes to a name of its own and leaves it as it is.
TEST(RecoveryClaimTest, ANewCopyNeverTakesTheNameOfAFileThatLiesThere) {
    TempFolder folder;
    const std::string dir = folder.File("recovery");
    const std::string document = folder.File("doc.ini");
    fs::create_directories(dir);
    const std::string damaged = RecoveryFileName(dir, document);
    folder.Write("recovery/" + fs::path(damaged).filename().string(), "VelmoraEdit recovery 2\ncut");

    const std::unique_ptr<RecoveryClaim> claim = RecoveryClaim::TakeNew(dir, document);
    EXPECT_NE(claim->FileName(), damaged);
    claim->Write(SessionOf("[A]\r\n"));
    claim->Remove();
    EXPECT_EQ(folder.Read("recovery/" + fs::path(damaged).filename().string()), "VelmoraEdit recovery 2\ncut");

    // Copies set aside at the same time each get a name of their own.
    const std::unique_ptr<RecoveryClaim> kept = RecoveryClaim::TakeNew(dir, document, 7);
    kept->Write(SessionOf("[A]\r\n"));
    const std::unique_ptr<RecoveryClaim> keptToo = RecoveryClaim::TakeNew(dir, document, 7);
    EXPECT_NE(keptToo->FileName(), kept->FileName());
    EXPECT_NE(kept->FileName(), damaged);
}

TEST(RecoveryFileTest, TheQuestionSaysWhereWhenAndWhat) {
    Recovery recovery = SessionOf("[A]\r\n");
    recovery.Kept.clear();
    const std::string live = RecoveryDescription(recovery, {}, recovery.SavedAt + 60);
    EXPECT_TRUE(std::regex_search(live, std::regex("^/games/pyre/mods/doc 1\\.ini\r\nlast changed at "
                                                   "[0-9]{2}:[0-9]{2}, as Art\\.ini in the program folder "
                                                   "/games/pyre/$")))
        << live;
    EXPECT_EQ(RestoreQuestion({&recovery}),
              "VelmoraEdit closed before doc 1.ini was saved. Restore the unsaved changes?");

    Recovery kept = SessionOf("[A]\r\n");
    const std::string aside = RecoveryDescription(kept, {"doc 1.ini"}, kept.SavedAt + 3 * 86400);
    EXPECT_TRUE(std::regex_search(aside, std::regex("\r\nkept when the file was read again from disk on "
                                                    "[0-9]{4}-[0-9]{2}-[0-9]{2} at [0-9]{2}:[0-9]{2}, as Art")))
        << aside;
    EXPECT_NE(aside.find("\r\ndoc 1.ini has changed on disk since then."), std::string::npos) << aside;
    EXPECT_EQ(RestoreQuestion({&kept}),
              "Your changes to doc 1.ini were kept when the file was read again from disk. Restore them?");
    EXPECT_EQ(RestoreQuestion({&recovery, &kept}),
              "Unsaved changes of 2 documents were kept. Choose the changes to restore:");
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

class RecoveryWorkspaceTest : public WorkspaceFixture {
protected:
    // A program started on a copy of the sample game, with the mod open.
    void StartOnSample() {
        folder.CopyTree(SourceFolder("samples"));
        Start();
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(Mod(), false);
    }
    std::string Mod() const { return folder.File("mods/Cinderfall.ini"); }
};

// The copy holds the definition file with the document when an edit changed its lists, and a
// save after Restore writes the same bytes into both files as a save of the session would have.
TEST_F(RecoveryWorkspaceTest, ASaveAfterRestoreWritesWhatTheSessionWouldHave) {
    StartOnSample();
    const std::string documentBefore = Read("mods/Cinderfall.ini");
    const std::string definitionBefore = Read("Rules.001");
    EntryOperations(workspace, "Weapons", 1).DuplicateOrChangeCode("RIFLE", "D1RIFLE", std::nullopt, true);
    ASSERT_TRUE(workspace.Doc().SetValue("GRUNT", "Cost", "123"));
    const Recovery recovery = RecoveryOfSession(workspace, 1);
    ASSERT_NE(recovery.File(Recovery::DefinitionRole), nullptr);
    EXPECT_EQ(recovery.File(Recovery::DefinitionRole)->Path, folder.File("Rules.001"));
    EXPECT_EQ(recovery.Document().Path, Mod());

    SaveDocument(workspace);
    const std::string documentSaved = Read("mods/Cinderfall.ini");
    const std::string definitionSaved = Read("Rules.001");
    ASSERT_NE(definitionSaved.find("\r\n11=D1RIFLE\r\n"), std::string::npos);

    // The program was killed before that save: the files are as they were, and the next start
    // restores the copy.
    Write("mods/Cinderfall.ini", documentBefore);
    Write("Rules.001", definitionBefore);
    Globals laterGlobals;
    Workspace later(laterGlobals, boxes, nullptr);
    later.StartUp(folder.Dir());
    EXPECT_TRUE(ChangedSinceRecovery(recovery).empty());
    RestoreSession(later, recovery);
    EXPECT_EQ(later.Doc().FileName(), Mod());
    EXPECT_TRUE(later.Doc().Modified());
    EXPECT_FALSE(later.Doc().CanUndo());
    StringList weapons;
    later.GetReadSectionValuesOnly(1, "Weapons", weapons);
    EXPECT_NE(weapons.IndexOf("D1RIFLE"), -1);

    SaveDocument(later);
    EXPECT_EQ(Read("mods/Cinderfall.ini"), documentSaved);
    EXPECT_EQ(Read("Rules.001"), definitionSaved);
    EXPECT_FALSE(FileChangedSinceRead(later, true));
}

// The copy says which kind of file and program folder it was open under, and Restore opens it
// under them: an Art document with the Art categories, not under the kind the start opened.
TEST_F(RecoveryWorkspaceTest, ADocumentComesBackUnderItsKindOfFile) {
    StartOnSample();
    workspace.ChooseFileType("Art.ini");
    workspace.BeginToLoadNONBASIC();
    boxes.ClearRecord();
    Write("mods/ArtMod.ini", Read("Art.INI"));
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("mods/ArtMod.ini"), false);
    ASSERT_TRUE(workspace.Doc().SetValue("FIREBALL", "PlayRate", "99"));
    const Recovery recovery = RecoveryOfSession(workspace, 1);
    EXPECT_EQ(recovery.FileType, "Art.ini");
    EXPECT_EQ(recovery.ProgramFolder, folder.Dir());
    EXPECT_EQ(recovery.File(Recovery::DefinitionRole), nullptr);  // its lists are as saved

    Globals laterGlobals;
    Workspace later(laterGlobals, boxes, nullptr);
    later.StartUp(folder.Dir());
    ASSERT_EQ(later.FileToEdit(), "Rules.ini");
    RestoreSession(later, recovery);
    EXPECT_EQ(later.FileToEdit(), "Art.ini");
    EXPECT_EQ(later.CategoryRows(), workspace.CategoryRows());
    EXPECT_EQ(later.Doc().Store().RenderText(), workspace.Doc().Store().RenderText());
    EXPECT_EQ(later.Doc().Definition().FileName(), workspace.Doc().Definition().FileName());
    EXPECT_FALSE(later.Doc().DefinitionChanged());

    // A new document, never saved, comes back under the name that makes its save ask for one.
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(globals.UntitledName, true);
    workspace.Doc().Restart(true);
    const Recovery untitled = RecoveryOfSession(workspace, 1);
    EXPECT_EQ(untitled.Document().Path, platform::AbsoluteName(globals.UntitledName));
    RestoreSession(later, untitled);
    EXPECT_EQ(later.Doc().FileName(), laterGlobals.UntitledName);
}

TEST_F(RecoveryWorkspaceTest, ASaveDoesNotOverwriteAnotherProgramsChangeUnasked) {
    Start();
    Write("doc.ini", "[A]\r\nK=1\r\n");
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    ASSERT_TRUE(workspace.Doc().SetValue("A", "K", "2"));
    EXPECT_NO_THROW(RefuseSaveOverChangedFile(workspace, true));

    Write("doc.ini", "[A]\r\nK=3\r\n");
    Touch(folder.File("doc.ini"));
    EXPECT_EQ(ChangedSinceRecovery(RecoveryOfSession(workspace, 1)), std::vector<std::string>{"doc.ini"});
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
