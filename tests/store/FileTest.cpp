// SPDX-License-Identifier: GPL-3.0-or-later
// Loading and writing files: missing files and folders, paths that are folders, a write that
// fails part-way, and what a save keeps of the file it replaces (permissions, symbolic links).

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreTestSupport.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// Makes every write of UpdateFile fail part-way while it lives.
class WriteFault {
public:
    WriteFault() { platform::SetWriteFaultForTesting([] { return true; }); }
    ~WriteFault() { platform::SetWriteFaultForTesting({}); }
    WriteFault(const WriteFault&) = delete;
    WriteFault& operator=(const WriteFault&) = delete;
    WriteFault(WriteFault&&) = delete;
    WriteFault& operator=(WriteFault&&) = delete;
};

// Makes the steps of every write fail with the error number the function gives while it lives.
class StepFault {
public:
    explicit StepFault(std::function<int(platform::WriteStep, std::string_view)> fault) {
        platform::SetStepFaultForTesting(std::move(fault));
    }
    ~StepFault() { platform::SetStepFaultForTesting({}); }
    StepFault(const StepFault&) = delete;
    StepFault& operator=(const StepFault&) = delete;
    StepFault(StepFault&&) = delete;
    StepFault& operator=(StepFault&&) = delete;
};

// Runs UpdateFile and gives the text of the error it raised; empty when it raised none.
std::string UpdateFileError(IniStore& store) {
    try {
        store.UpdateFile();
    } catch (const IniError& error) {
        return error.what();
    }
    return {};
}

class FileTest : public StoreTest {};

TEST_F(FileTest, MissingFileLoadsEmptyAndSavesAnEmptyFile) {
    const std::string path = m_folder.File("missing.ini");
    IniStore store(path);
    EXPECT_EQ(store.SectionCount(), 0u);
    EXPECT_FALSE(fs::exists(path));
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "");

    IniStore unnamed("");
    EXPECT_EQ(unnamed.SectionCount(), 0u);
}

TEST_F(FileTest, SaveReplacesTheWholeOldFile) {
    auto store = LoadLines({"[A]", "a=1", "Longer=a value that makes the old file longer than the new one",
                            "; long comment that makes the old file longer than the new one"});
    store->EraseSection("A");
    store->WriteString("B", "b", "2");
    store->UpdateFile();
    EXPECT_EQ(ReadBytes(store->FileName()),
              CrLf({"", "[B]", "b=2", "; long comment that makes the old file longer than the new one"}));
    EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("store.ini"));
}

TEST_F(FileTest, FolderGivenAsFileLoadsEmptyAndCannotBeSaved) {
    const std::string path = m_folder.File("rules.ini");
    fs::create_directory(path);
    IniStore store(path);
    EXPECT_EQ(store.SectionCount(), 0u);
    store.WriteString("A", "a", "1");
    EXPECT_EQ(UpdateFileError(store), "Cannot create file " + path + ": it is a folder");
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_TRUE(fs::is_empty(path));
    EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("rules.ini"));

    store.Rename(path, true);
    EXPECT_EQ(store.SectionCount(), 0u);
}

TEST_F(FileTest, MissingFolderCannotBeSavedInto) {
    const std::string path = m_folder.File("nowhere/rules.ini");
    IniStore store(path);
    store.WriteString("A", "a", "1");
    EXPECT_EQ(UpdateFileError(store), "Cannot create file " + path + ": the folder " + m_folder.File("nowhere") +
                                          " does not exist");
    EXPECT_FALSE(fs::exists(m_folder.Path() / "nowhere"));
    EXPECT_EQ(store.ReadString("A", "a", ""), "1");
}

TEST_F(FileTest, FailedWriteLeavesOldFileAndNoTemporaryFile) {
    const std::string original = "[A]\na = 1\n; old tail";
    auto store = Load(original);
    store->WriteString("A", "a", "2");
    const std::string rendered = store->RenderText();
    {
        WriteFault fault;
        EXPECT_EQ(UpdateFileError(*store), "Cannot create file " + store->FileName() + ": the disk is full");
    }
    EXPECT_EQ(ReadBytes(store->FileName()), original);
    EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("store.ini"));
    EXPECT_EQ(store->RenderText(), rendered);

    store->UpdateFile();
    EXPECT_EQ(ReadBytes(store->FileName()), rendered);
}

TEST_F(FileTest, FailedWriteOfANewFileLeavesNothing) {
    const std::string path = m_folder.File("new.ini");
    IniStore store(path);
    store.WriteString("A", "a", "1");
    WriteFault fault;
    EXPECT_EQ(UpdateFileError(store), "Cannot create file " + path + ": the disk is full");
    EXPECT_TRUE(fs::is_empty(m_folder.Path()));
}

TEST_F(FileTest, NamesAreBytesWithEitherSeparator) {
    // Names come from settings files and dialogs as Latin-1 bytes, with "\\" or "/" between folders.
    fs::create_directory(m_folder.Path() / "sub");
    const std::string name = "caf\xE9 \xC6.ini";
    const std::string backslashed = m_folder.Dir() + "sub\\" + name;
    const std::string slashed = m_folder.Dir() + "sub/" + name;

    platform::WriteWholeFile(backslashed, "[A]\r\n");
    EXPECT_TRUE(platform::IsRegularFile(slashed));
    EXPECT_EQ(platform::ReadWholeFile(slashed), "[A]\r\n");
    EXPECT_THAT(platform::RegularFileNames(m_folder.Dir() + "sub"), ElementsAre(name));
    platform::WriteWholeFile(slashed, "[B]\r\n");
    EXPECT_EQ(platform::ReadWholeFile(backslashed), "[B]\r\n");
    EXPECT_EQ(platform::RegularFileNames(m_folder.Dir() + "sub").size(), 1u);
}

TEST_F(FileTest, AFailedSaveSaysWhy) {
    auto store = LoadLines({"[A]", "a=1"});
    const std::string original = ReadBytes(store->FileName());
    store->WriteString("A", "a", "2");
    struct Case {
        platform::WriteStep step;
        int error;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {platform::WriteStep::CreateTemporary, EACCES,
         "the folder " + m_folder.Path().string() + " may not be written to (permission denied)"},
        {platform::WriteStep::CreateTemporary, EROFS, "the disk is read-only"},
        {platform::WriteStep::Write, ENOSPC, "the disk is full"},
        {platform::WriteStep::Replace, EACCES, "the new text could not take its place (rename failed: permission denied)"},
    };
    for (const Case& failure : cases) {
        const StepFault fault(
            [&failure](platform::WriteStep step, std::string_view) { return step == failure.step ? failure.error : 0; });
        EXPECT_EQ(UpdateFileError(*store), "Cannot create file " + store->FileName() + ": " + failure.reason);
        EXPECT_EQ(ReadBytes(store->FileName()), original);
        EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("store.ini"));
    }
}

TEST_F(FileTest, AnOldContentThatCannotBePutBackIsKeptAndNamed) {
    const std::string first = m_folder.File("first.ini");
    const std::string second = m_folder.File("second.ini");
    WriteBytes(first, "old first");
    WriteBytes(second, "old second");
    const StepFault fault([](platform::WriteStep step, std::string_view name) {
        const bool ofSecond = name.ends_with("second.ini");
        return (step == platform::WriteStep::Replace && ofSecond) || step == platform::WriteStep::PutBack ? EACCES : 0;
    });
    try {
        platform::WriteFilesTogether({{first, "new first"}, {second, "new second"}});
        FAIL() << "the save went through";
    } catch (const IniError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file " + second + ": the new text could not take its place (rename failed: permission "
                  "denied). " + first + " was already replaced, and its old content could not be put back (permission "
                  "denied): it is kept as " + first + ".~old");
    }
    EXPECT_EQ(ReadBytes(first), "new first");
    EXPECT_EQ(ReadBytes(first + ".~old"), "old first");
    EXPECT_EQ(ReadBytes(second), "old second");
    EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("first.ini", "first.ini.~old", "second.ini"));
}

// What a save killed half-way left: a temporary file beside its target, never to be renamed.
class LeftoverTest : public StoreTest {
protected:
    void Leave(const std::string& name, bool stale) {
        const fs::path path = m_folder.Path() / name;
        WriteBytes(path, "half a file");
        if (stale)
            fs::last_write_time(path, fs::file_time_type::clock::now() - platform::StaleTemporaryAge - std::chrono::seconds(5));
    }
};

TEST_F(LeftoverTest, AWriteRemovesTheStaleTemporaryFilesOfItsFolder) {
    auto store = LoadLines({"[A]", "a=1"});
    Leave("store.ini.~123456.tmp", true);
    Leave("other.ini.~7.tmp", true);
    Leave("store.ini.~99.tmp", false);      // a write under way now
    Leave("store.ini.~old", true);          // an old content kept by a failed save: the user's
    Leave("store.ini.~12.tmp.bak", true);   // not a name of ours
    Leave("notes.~x1.tmp", true);
    store->UpdateFile();
    EXPECT_THAT(FolderEntries(m_folder.Path()),
                ElementsAre("notes.~x1.tmp", "store.ini", "store.ini.~12.tmp.bak", "store.ini.~99.tmp", "store.ini.~old"));
}

#ifndef _WIN32

TEST_F(LeftoverTest, ATemporaryFileThatAWriteHoldsStays) {
    auto store = LoadLines({"[A]", "a=1"});
    Leave("store.ini.~5.tmp", true);
    const std::string held = m_folder.File("store.ini.~5.tmp");
    const int descriptor = open(held.c_str(), O_RDONLY);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(flock(descriptor, LOCK_EX), 0);
    store->UpdateFile();
    EXPECT_TRUE(fs::exists(held));
    close(descriptor);
    store->UpdateFile();
    EXPECT_FALSE(fs::exists(held));
}

TEST_F(FileTest, SaveKeepsPermissionBits) {
    auto store = LoadLines({"[A]", "a=1"});
    const auto modes = {fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                        fs::perms::owner_all | fs::perms::group_read | fs::perms::others_exec};
    for (fs::perms mode : modes) {
        fs::permissions(store->FileName(), mode, fs::perm_options::replace);
        store->WriteString("A", "a", std::to_string(static_cast<int>(mode)));
        store->UpdateFile();
        EXPECT_EQ(fs::status(store->FileName()).permissions(), mode);
        EXPECT_EQ(IniStore(store->FileName()).ReadString("A", "a", ""),
                  std::to_string(static_cast<int>(mode)));
    }
}

class LinkTest : public StoreTest {
protected:
    void SetUp() override {
        fs::create_directory(m_folder.Path() / "data");
        fs::create_directory(m_folder.Path() / "links");
        m_target = m_folder.Path() / "data" / "real.ini";
        m_link = m_folder.Path() / "links" / "rules.ini";
        WriteBytes(m_target, "[A]\r\na=1\r\n");
        fs::permissions(m_target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
        fs::create_symlink(fs::path("..") / "data" / "real.ini", m_link);
    }

    fs::path m_target;
    fs::path m_link;
};

TEST_F(LinkTest, SaveThroughALinkWritesTheFileItPointsTo) {
    IniStore store(m_link.string());
    EXPECT_EQ(store.ReadString("A", "a", ""), "1");
    store.WriteString("A", "a", "2");
    store.UpdateFile();

    EXPECT_TRUE(fs::is_symlink(m_link));
    EXPECT_EQ(fs::read_symlink(m_link), fs::path("..") / "data" / "real.ini");
    EXPECT_EQ(ReadBytes(m_target), CrLf({"[A]", "a=2"}));
    EXPECT_EQ(fs::status(m_target).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_THAT(FolderEntries(m_folder.Path() / "data"), ElementsAre("real.ini"));
    EXPECT_THAT(FolderEntries(m_folder.Path() / "links"), ElementsAre("rules.ini"));
}

TEST_F(LinkTest, FailedSaveThroughALinkLeavesBothAlone) {
    IniStore store(m_link.string());
    store.WriteString("A", "a", "2");
    {
        WriteFault fault;
        EXPECT_EQ(UpdateFileError(store), "Cannot create file " + m_link.string() + ": the disk is full");
    }
    EXPECT_TRUE(fs::is_symlink(m_link));
    EXPECT_EQ(ReadBytes(m_target), "[A]\r\na=1\r\n");
    EXPECT_THAT(FolderEntries(m_folder.Path() / "data"), ElementsAre("real.ini"));
    EXPECT_THAT(FolderEntries(m_folder.Path() / "links"), ElementsAre("rules.ini"));
}

TEST_F(FileTest, FileTheUserMayNotWriteIsNotReplaced) {
    // A file made read-only to protect it stays as it is, as it would if it were written in place.
    auto store = LoadLines({"[A]", "a=1"});
    const std::string original = ReadBytes(store->FileName());
    fs::permissions(store->FileName(), fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
    if (access(store->FileName().c_str(), W_OK) == 0) GTEST_SKIP() << "file permissions do not bind this user";
    store->WriteString("A", "a", "2");
    EXPECT_EQ(UpdateFileError(*store),
              "Cannot create file " + store->FileName() + ": the file is read-only (permission denied)");
    EXPECT_EQ(ReadBytes(store->FileName()), original);
    EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("store.ini"));
}

TEST_F(FileTest, FolderWithoutWritePermissionKeepsTheOldFile) {
    auto store = LoadLines({"[A]", "a=1"});
    const std::string original = ReadBytes(store->FileName());
    fs::permissions(m_folder.Path(), fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    const bool bound = access(m_folder.Path().c_str(), W_OK) != 0;
    if (bound) {
        store->WriteString("A", "a", "2");
        EXPECT_EQ(UpdateFileError(*store), "Cannot create file " + store->FileName() + ": the folder " +
                                               m_folder.Path().string() + " may not be written to (permission denied)");
        EXPECT_EQ(ReadBytes(store->FileName()), original);
        EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("store.ini"));
    }
    fs::permissions(m_folder.Path(), fs::perms::owner_all, fs::perm_options::replace);
    if (!bound) GTEST_SKIP() << "folder permissions do not bind this user";
}

#else

TEST_F(FileTest, ReadOnlyFileIsNotReplaced) {
    auto store = LoadLines({"[A]", "a=1"});
    const std::string original = ReadBytes(store->FileName());
    fs::permissions(store->FileName(), fs::perms::owner_write, fs::perm_options::remove);
    store->WriteString("A", "a", "2");
    EXPECT_EQ(UpdateFileError(*store),
              "Cannot create file " + store->FileName() + ": the file is read-only (permission denied)");
    fs::permissions(store->FileName(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadBytes(store->FileName()), original);
    EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("store.ini"));
}

TEST_F(FileTest, FileHeldOpenByAnotherProgramKeepsItsText) {
    // The runtime opens files without sharing them for deletion, as most Windows programs do.
    auto store = LoadLines({"[A]", "a=1"});
    const std::string original = ReadBytes(store->FileName());
    std::FILE* holder = _wfopen(fs::path(store->FileName()).c_str(), L"rb");
    ASSERT_NE(holder, nullptr);
    store->WriteString("A", "a", "2");
    EXPECT_THAT(UpdateFileError(*store),
                ::testing::StartsWith("Cannot create file " + store->FileName() + ": the new text could not take "
                                      "its place (rename failed: "));
    std::fclose(holder);
    EXPECT_EQ(ReadBytes(store->FileName()), original);
    EXPECT_THAT(FolderEntries(m_folder.Path()), ElementsAre("store.ini"));

    store->UpdateFile();
    EXPECT_EQ(IniStore(store->FileName()).ReadString("A", "a", ""), "2");
}

#endif

}  // namespace
}  // namespace velmora::test
