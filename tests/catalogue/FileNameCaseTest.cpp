// SPDX-License-Identifier: GPL-3.0-or-later
// Files of an installation whose names are spelt in another letter case than the settings give
// them, as games installed through a compatibility layer often have: they are found and used, and
// a file that does not exist in any spelling is made under the configured name.

#include "WorkspaceFixture.h"
#include "core/store/PlatformFile.h"
#include "core/store/IniStore.h"

namespace velmora::testing {
namespace {

class FileNameCaseTest : public WorkspaceFixture {
  protected:
    void SetUp() override {
        if (platform::FileNamesIgnoreCase())
            GTEST_SKIP() << "this file system finds names in any letter case";
        Write("Velmedit.ini", "[GeneralSetup]\nGameDirectory=game/\nTheGameExeIs=Pyre.sh\n");
    }
};

TEST_F(FileNameCaseTest, FilesOfTheInstallationAreFoundUnderAnyLetterCase) {
    Write("rules.ini", "[GRUNT]\nName=Grunt\n");
    Write("RULES.001", "[AllSections]\nInfantry=1,Page\n[Page]\nName=name\n[Infantry]\n1=GRUNT\n");
    Write("game/RULES.INI", "[GRUNT]\nName=Game's grunt\n");
    Write("game/pyre.SH", "#!/bin/sh\n");
    Start();

    EXPECT_EQ(globals.DefaultFileName, folder.Dir() + "rules.ini");
    EXPECT_EQ(workspace.Doc().Store().ReadString("GRUNT", "Name", ""), "Grunt");
    EXPECT_EQ(workspace.DefinitionFileName(), folder.Dir() + "RULES.001");
    EXPECT_EQ(workspace.CategoryRows(), (std::vector<std::string>{"Infantry", "Unknown!"}));
    EXPECT_EQ(Entries(1, "Infantry"), std::vector<std::string>{"GRUNT"});
    EXPECT_EQ(workspace.GameCopyFileName(), folder.Dir() + "game/RULES.INI");
    EXPECT_EQ(workspace.GameProgramFileName(), folder.Dir() + "game/pyre.SH");
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(FileNameCaseTest, ExactNameWinsThenTheFirstInByteOrder) {
    Write("game/rules.ini", "");
    Write("game/Rules.INI", "");
    Write("game/RULES.INI", "");
    Start();
    EXPECT_EQ(workspace.GameCopyFileName(), folder.Dir() + "game/RULES.INI");
    Write("game/Rules.ini", "");
    EXPECT_EQ(workspace.GameCopyFileName(), folder.Dir() + "game/Rules.ini");

    // Path texts of Windows settings reach into the folder too; a folder is never taken for a file.
    Write("pictures/tile.BMP", "");
    EXPECT_EQ(platform::ExistingFileName(folder.Dir() + "pictures\\Tile.bmp"),
              folder.Dir() + "pictures\\tile.BMP");
    std::filesystem::create_directory(folder.Path() / "game" / "pyre.sh");
    EXPECT_EQ(platform::ExistingFileName(folder.Dir() + "game/Pyre.sh"), folder.Dir() + "game/Pyre.sh");
}

TEST_F(FileNameCaseTest, DefinitionFileIsUpdatedWhereItIsAndANewOneGetsTheConfiguredName) {
    Write("Rules.INI", "[LOOSE]\nx=1\n");
    Write("rules.001", "[AllSections]\n");
    Start();
    EXPECT_EQ(boxes.Shown().size(), 1u);  // the notice of the unknown-section pass, which writes the file
    EXPECT_NE(Read("rules.001").find("[Unknown!]\r\n1=LOOSE\r\n"), std::string::npos);
    EXPECT_FALSE(folder.Exists("Rules.001"));

    std::filesystem::remove(folder.Path() / "rules.001");
    workspace.BeginToLoadNONBASIC();
    EXPECT_NE(Read("Rules.001").find("[Unknown!]\r\n1=LOOSE\r\n"), std::string::npos);
    EXPECT_FALSE(folder.Exists("rules.001"));
}

}  // namespace
}  // namespace velmora::testing
