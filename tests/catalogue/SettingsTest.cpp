// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and the settings file: what a first start writes, how odd values are read and
// rewritten, which file type comes first, and the overrides a definition file carries.

#include <filesystem>

#include "WorkspaceFixture.h"
#include "core/store/Routines.h"
#include "core/store/IniStore.h"

namespace velmora::testing {
namespace {

const std::string Sep(1, DirSeparator());

class SettingsTest : public WorkspaceFixture {
protected:
    // The settings file as a store, read back from disk.
    std::string WrittenSetting(const std::string& key) {
        IniStore written(folder.File("Velmedit.ini"));
        return written.ReadString("GeneralSetup", key, "<missing>");
    }
};

TEST_F(SettingsTest, FirstStartWritesEveryKeyWithItsDefaultInOrder) {
    Start();

    const std::string expected =
        "\r\n"
        "[GeneralSetup]\r\n"
        "Title=VELMORA EDIT\r\n"
        "BitmapDir=Bitmap" + Sep + "\r\n"
        "Bitmap1File=Bitmap1.bmp\r\n"
        "Bitmap2File=Bitmap2.bmp\r\n"
        "VariantAllowed=4\r\n"
        "NumberOfMain=10\r\n"
        "TheGameExeIs=Pyre.exe\r\n"
        "GameDirectory=C:\\Kelvane\\Pyre\\\r\n"
        "AllowedShowAll=1\r\n"
        "Case_Sensitive=1\r\n"
        "CheckDoubleSection=1\r\n"
        "UpdateUnknown001=1\r\n"
        "SizeOfBuffer=16384\r\n"
        "\r\n"
        "[FilesToEdit]\r\n"
        "Rules.ini=1\r\n";
    EXPECT_EQ(Read("Velmedit.ini"), expected);
    EXPECT_EQ(workspace.FilesToEdit().Texts(), std::vector<std::string>{"Rules.ini=1"});
    EXPECT_EQ(workspace.FileToEdit(), "Rules.ini");
    EXPECT_EQ(globals.DefaultFileName, folder.Dir() + "Rules.INI");
    EXPECT_EQ(workspace.Doc().FileName(), "Untitle.ini");
    // Nothing to collect in an empty document: no box, no definition file.
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_FALSE(folder.Exists("Rules.001"));

    // A second start reads what the first wrote and writes the same bytes again.
    Globals again;
    Workspace second(again, boxes);
    second.StartUp(folder.Dir());
    EXPECT_EQ(Read("Velmedit.ini"), expected);
}

TEST_F(SettingsTest, BadNumbersKeepTheCurrentValueAndAreRewrittenNormalised) {
    Write("Velmedit.ini",
          "[GeneralSetup]\n"
          "NumberOfMain=0x0C\n"
          "VariantAllowed=abc\n"
          "SizeOfBuffer=12abc\n"
          "Case_Sensitive=yes\n"
          "AllowedShowAll=-1\n"
          "CheckDoubleSection=0\n"
          "Title=My Title ; shown on top\n");
    Start();

    EXPECT_EQ(globals.VariantAllowed, 4);
    EXPECT_EQ(globals.SizeOfBuffer, 16384);
    EXPECT_TRUE(globals.CaseSensitive);
    EXPECT_TRUE(globals.AllowedShowAll);
    EXPECT_FALSE(globals.CheckDoubleSection);
    EXPECT_EQ(globals.TitleText, "My Title");

    EXPECT_EQ(WrittenSetting("NumberOfMain"), "12");
    EXPECT_EQ(WrittenSetting("VariantAllowed"), "4");
    EXPECT_EQ(WrittenSetting("SizeOfBuffer"), "16384");
    EXPECT_EQ(WrittenSetting("Case_Sensitive"), "1");
    EXPECT_EQ(WrittenSetting("AllowedShowAll"), "1");
    EXPECT_EQ(WrittenSetting("CheckDoubleSection"), "0");
    EXPECT_EQ(WrittenSetting("Title"), "My Title");
    // Keys already in the file keep their places; the missing ones follow.
    EXPECT_EQ(Read("Velmedit.ini").find("[GeneralSetup]\r\nNumberOfMain=12\r\nVariantAllowed=4\r\n"), 0u);
}

struct FlagCase {
    const char* text;
    bool value;
    const char* written;
};

class CaseFlagTest : public SettingsTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(CaseFlagTest, IsReadAsANumberAndWrittenAsOneOrZero) {
    Write("Velmedit.ini", std::string("[GeneralSetup]\nCase_Sensitive=") + GetParam().text + "\n");
    Start();
    EXPECT_EQ(globals.CaseSensitive, GetParam().value);
    EXPECT_EQ(WrittenSetting("Case_Sensitive"), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Texts, CaseFlagTest,
                         ::testing::Values(FlagCase{"2", true, "1"}, FlagCase{"yes", true, "1"},
                                           FlagCase{"0", false, "0"}, FlagCase{"0x0", false, "0"},
                                           FlagCase{"", true, "1"}));

TEST_F(SettingsTest, DirectoriesAreCompletedAndWrittenBackComplete) {
    Write("Velmedit.ini", "[GeneralSetup]\nGameDirectory=C:\\Games\nBitmapDir=\n");
    Start();
    EXPECT_EQ(globals.GameDirectory, "C:\\Games" + Sep);
    EXPECT_EQ(globals.BitmapDir, Sep);
    EXPECT_EQ(WrittenSetting("GameDirectory"), "C:\\Games" + Sep);
    EXPECT_EQ(WrittenSetting("BitmapDir"), Sep);
    // A Windows folder is shown as the settings give it, never glued onto the program folder.
    EXPECT_EQ(workspace.GameCopyFileName(), "C:\\Games" + Sep + workspace.FileToEdit());
}

TEST_F(SettingsTest, GameCopyOfARelativeGameDirectoryLiesBelowTheProgramFolder) {
    Write("Velmedit.ini", "[GeneralSetup]\nGameDirectory=game/\n");
    Start();
    EXPECT_EQ(globals.GameDirectory, "game/");  // kept as the settings give it
    EXPECT_EQ(workspace.GameCopyFileName(), folder.Dir() + "game/Rules.ini");

    const std::string absolute = CompleteDir(folder.File("elsewhere"));
    globals.GameDirectory = absolute;
    EXPECT_EQ(workspace.GameCopyFileName(), absolute + "Rules.ini");
}

TEST_F(SettingsTest, GameProgramLineNamesTheDefinitionFileThatChoseTheProgram) {
    Write("Velmedit.ini",
          "[GeneralSetup]\nGameDirectory=game/\nTheGameExeIs=Pyre.sh\n"
          "[FilesToEdit]\nRules.ini=1\nArt.ini=1\nMaps.ini=1\n");
    Write("Rules.001", "[GeneralSetup]\nTitle=Rules\n");
    Write("Art.001", "[GeneralSetup]\nTheGameExeIs=Other.sh\n");
    const std::string elsewhere = CompleteDir(folder.File("elsewhere"));
    Write("Maps.001", "[GeneralSetup]\nGameDirectory=" + elsewhere + "\n");
    Start();
    EXPECT_EQ(workspace.GameProgramLine(), "Program: " + folder.Dir() + "game/Pyre.sh");

    workspace.ChooseFileType("Art.ini");
    workspace.BeginToLoadNONBASIC();
    EXPECT_EQ(workspace.GameProgramLine(), "Program: " + folder.Dir() + "game/Other.sh (set by Art.001)");

    workspace.ChooseFileType("Maps.ini");
    workspace.BeginToLoadNONBASIC();
    EXPECT_EQ(workspace.GameProgramLine(), "Program: " + elsewhere + "Pyre.sh (set by Maps.001)");
}

TEST_F(SettingsTest, FirstListedFileTypeIsLoadedAndTheListIsWrittenBack) {
    Write("Velmedit.ini",
          "[FilesToEdit]\n"
          "Art.ini=1\n"
          "Rules.ini=7 ; kept\n"
          "ART.INI=2\n");
    Write("Art.001", "[GeneralSetup]\nTitle=Art Title\n");
    Start();

    EXPECT_EQ(workspace.FileToEdit(), "Art.ini");
    EXPECT_EQ(globals.DefaultFileName, folder.Dir() + "Art.INI");
    EXPECT_EQ(globals.TitleText, "Art Title");
    EXPECT_EQ(workspace.FilesToEdit().Count(), 3u);
    EXPECT_EQ(workspace.FilesToEdit().Name(1), "Rules.ini");
    // A name listed twice is written with its first line's value, where the first line stands.
    EXPECT_NE(Read("Velmedit.ini").find("[FilesToEdit]\r\nART.INI=1\r\nRules.ini=7 ; kept\r\nART.INI=2\r\n"),
              std::string::npos);
}

TEST_F(SettingsTest, FileTypeLinesWithoutEqualsAreSkippedAndKeptAsTheyStand) {
    Write("Velmedit.ini", "[FilesToEdit]\nArt.ini\nRules.ini=1\n");
    Start();
    EXPECT_EQ(workspace.FileToEdit(), "Rules.ini");
    EXPECT_EQ(workspace.FilesToEdit().Texts(), std::vector<std::string>{"Rules.ini=1"});
    EXPECT_EQ(Read("Velmedit.ini").find("[FilesToEdit]\r\nArt.ini\r\nRules.ini=1\r\n\r\n[GeneralSetup]"), 0u);

    // With no line that names a file type, the default one is used and written after them.
    Write("Velmedit.ini", "[FilesToEdit]\nArt.ini\n");
    Start();
    EXPECT_EQ(workspace.FileToEdit(), "Rules.ini");
    EXPECT_EQ(Read("Velmedit.ini").find("[FilesToEdit]\r\nArt.ini\r\nRules.ini=1\r\n\r\n[GeneralSetup]"), 0u);
}

TEST_F(SettingsTest, DefinitionFileOverridesHoldOnlyWhileItsTypeIsLoaded) {
    Write("Velmedit.ini",
          "[GeneralSetup]\nTitle=Main Title\nVariantAllowed=2\n"
          "[FilesToEdit]\nRules.ini=1\nArt.ini=1\n");
    Write("Rules.001", "[GeneralSetup]\nTitle=Other\nVariantAllowed=zz\nCase_Sensitive=0\n");
    Start();
    EXPECT_EQ(globals.TitleText, "Other");
    EXPECT_EQ(view.events.back(), "status:halvek v3.2");
    EXPECT_NE(std::find(view.events.begin(), view.events.end(), "title:Other"), view.events.end());
    EXPECT_EQ(globals.VariantAllowed, 2);  // bad text in the definition file keeps the settings' value
    EXPECT_FALSE(globals.CaseSensitive);

    view.events.clear();
    workspace.ChooseFileType("Art.ini");
    workspace.BeginToLoadNONBASIC();
    EXPECT_EQ(globals.TitleText, "Main Title");
    EXPECT_EQ(view.events.back(), "title:Main Title");
    EXPECT_TRUE(globals.CaseSensitive);
    // The settings file is written at start-up only.
    EXPECT_EQ(WrittenSetting("Title"), "Main Title");
}

TEST_F(SettingsTest, StartUpAsksTheWindowInOrderAndLeavesNoBusyPointer) {
    Write("Rules.INI", "[A]\nx=1\n");
    Start();
    auto at = [&](const std::string& event) {
        return std::find(view.events.begin(), view.events.end(), event) - view.events.begin();
    };
    EXPECT_EQ(at("title:wait a moment... please"), 0);
    EXPECT_LT(at("rows"), at("pictures"));
    EXPECT_LT(at("pictures"), at("layout"));
    EXPECT_LT(at("layout"), at("title:VELMORA EDIT"));
    EXPECT_EQ(view.events.back(), "status:halvek v3.2");
    EXPECT_EQ(view.busyDepth, 0);
}

TEST_F(SettingsTest, SettingsFileThatCannotBeWrittenIsReportedAndTheStartGoesOn) {
    std::filesystem::create_directory(folder.Path() / "Velmedit.ini");
    Start();
    EXPECT_EQ(boxes.TextsOf(BoxKind::Error),
              std::vector<std::string>{"Cannot create file " + folder.Dir() + "Velmedit.ini: it is a folder"});
    EXPECT_EQ(workspace.FileToEdit(), "Rules.ini");
    EXPECT_EQ(workspace.CategoryRows(), std::vector<std::string>{"Unknown!"});
}

TEST_F(SettingsTest, WithoutDiskWritesNothingIsWritten) {
    Write("Rules.INI", "[A]\nx=1\n");
    workspace.SetDiskWrites(false);
    Start();
    EXPECT_FALSE(folder.Exists("Velmedit.ini"));
    EXPECT_FALSE(folder.Exists("Rules.001"));
    // The lines exist in memory, but the notice of a write that does not happen is not shown.
    EXPECT_EQ(boxes.TextsOf(BoxKind::Notice), std::vector<std::string>{});
    EXPECT_EQ(DefinitionLines("Unknown!"), std::vector<std::string>{"1=A"});
}

}  // namespace
}  // namespace velmora::testing
