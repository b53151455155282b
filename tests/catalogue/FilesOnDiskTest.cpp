// SPDX-License-Identifier: GPL-3.0-or-later
// The files on disk against what the editor knows of them: a load clears what a killed save left.

#include <chrono>
#include <filesystem>

#include "WorkspaceFixture.h"
#include "core/store/PlatformFile.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

class FilesOnDiskTest : public WorkspaceFixture {};

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

}  // namespace
}  // namespace velmora::testing
