// SPDX-License-Identifier: GPL-3.0-or-later
// The list of recent documents: newest first, each file once however it was named, eight at most,
// and files that are gone dropped.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings/RecentFiles.h"
#include "support/TempFolder.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

TEST(RecentFilesTest, NewestFirstEachFileOnceAndEightAtMost) {
    TempFolder folder;
    const fs::path startedIn = fs::current_path();
    fs::current_path(folder.Path());

    RecentFiles recent;
    for (int i = 1; i <= 9; ++i) recent.Add(folder.File("doc" + std::to_string(i) + ".ini"));
    ASSERT_EQ(recent.Names().size(), RecentFiles::MaxCount);
    EXPECT_EQ(recent.Names().front(), folder.File("doc9.ini"));
    EXPECT_EQ(recent.Names().back(), folder.File("doc2.ini"));

    // A name relative to the working directory is the same file as its full path.
    recent.Add("./doc5.ini");
    EXPECT_EQ(recent.Names().front(), folder.File("doc5.ini"));
    EXPECT_EQ(recent.Names().size(), RecentFiles::MaxCount);
    EXPECT_EQ(std::count(recent.Names().begin(), recent.Names().end(), folder.File("doc5.ini")), 1);

    // A remembered list keeps its order.
    EXPECT_EQ(RecentFiles(recent.Names()).Names(), recent.Names());
    fs::current_path(startedIn);
}

TEST(RecentFilesTest, FilesThatAreGoneAreDropped) {
    TempFolder folder;
    folder.Write("kept.ini", "[A]\r\n");
    RecentFiles recent({folder.File("gone.ini"), folder.File("kept.ini"), ""});
    EXPECT_EQ(recent.Names().size(), 2u);
    EXPECT_TRUE(recent.DropMissing());
    EXPECT_EQ(recent.Names(), std::vector<std::string>{folder.File("kept.ini")});
    EXPECT_FALSE(recent.DropMissing());
}

}  // namespace
}  // namespace velmora::testing
