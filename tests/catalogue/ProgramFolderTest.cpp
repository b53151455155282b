// SPDX-License-Identifier: GPL-3.0-or-later
// The program folder of a start: the command-line options, the folder question on a first start
// with its offer of the sample, the remembered folder, and the change of the working directory.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings/ProgramFolder.h"
#include "core/store/IniError.h"
#include "support/ScriptedBoxes.h"
#include "support/TempFolder.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;

class MemoryInATest : public FolderMemory {
public:
    std::string Remembered() const override { return dir; }
    void Remember(const std::string& chosen) override { dir = chosen; }
    std::string dir;
};

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest() {
        sample.Write("Velmedit.ini", "[FilesToEdit]\r\nRules.ini=1\r\n");
        sample.Write("game/Rules.ini", "[A]\r\n");
        sample.Write("game/Pyre.sh", "#!/bin/sh\n");
        fs::permissions(sample.Path() / "game" / "Pyre.sh", fs::perms::owner_exec, fs::perm_options::add);
        fs::create_directory(home.Path() / "empty");
        fs::create_directory(home.Path() / "used");
        home.Write("used/notes.txt", "mine");
        fs::current_path(home.Path());
    }
    ~ProgramFolderTest() override { fs::current_path(m_startedIn); }

    std::optional<std::string> StartChoosing() {
        return StartProgramFolder({StartOptions::Folder::Remembered, {}, {}, {}, {}}, choice);
    }
    static std::string Here() { return fs::current_path().string(); }

    const fs::path m_startedIn = fs::current_path();
    TempFolder home;
    TempFolder sample;
    ScriptedBoxes boxes;
    MemoryInATest memory;
    ProgramFolderChoice choice{boxes, memory, sample.Path().string()};
};

TEST(StartOptionsTest, OptionsNameTheFolderAndTheDocumentAndAnythingElseIsAUsageError) {
    EXPECT_EQ(ParseStartOptions({}).folder, StartOptions::Folder::Working);
    EXPECT_EQ(ParseStartOptions({"--choose-program-dir"}).folder, StartOptions::Folder::Remembered);
    const StartOptions named = ParseStartOptions({"--program-dir", "C:\\Games\\Pyre"});
    EXPECT_EQ(named.folder, StartOptions::Folder::Named);
    EXPECT_EQ(named.namedDir, "C:\\Games\\Pyre");
    EXPECT_EQ(named.documentFile, "");
    // Where a start without options asks for the folder, an option still names it.
    EXPECT_EQ(ParseStartOptions({}, StartOptions::Folder::Remembered).folder, StartOptions::Folder::Remembered);
    EXPECT_EQ(ParseStartOptions({"--program-dir", "game"}, StartOptions::Folder::Remembered).folder,
              StartOptions::Folder::Named);

    // A document is named from the folder the start began in, before the start moves elsewhere.
    const std::string here = (fs::current_path() / "mods" / "Mine.ini").string();
    EXPECT_EQ(ParseStartOptions({"mods/Mine.ini"}).documentFile, here);
    const StartOptions both = ParseStartOptions({"--program-dir", "game", "./mods/../mods/Mine.ini"});
    EXPECT_EQ(both.namedDir, "game");
    EXPECT_EQ(both.documentFile, here);
    EXPECT_EQ(ParseStartOptions({"--choose-program-dir", "mods/Mine.ini"}).documentFile, here);
    const StartOptions mod = ParseStartOptions({"--program-dir", "game", "--mod", "mods/cinder"});
    EXPECT_EQ(mod.modFolder, (fs::current_path() / "mods" / "cinder").string());
    EXPECT_EQ(mod.documentFile, "");
    // Layers, as often as given, before the document or after it, in their order.
    const StartOptions layered =
        ParseStartOptions({"--program-dir", "game", "--layer", "mods/Duel.ini", "mods/Mine.ini", "--layer", "R.map"});
    EXPECT_EQ(layered.documentFile, here);
    EXPECT_EQ(layered.layerFiles, (std::vector<std::string>{(fs::current_path() / "mods" / "Duel.ini").string(),
                                                            (fs::current_path() / "R.map").string()}));
    // Over a mod, the layers go with it.
    const StartOptions modLayered = ParseStartOptions({"--layer", "mods/Duel.ini", "--mod", "m", "--layer", "R.map"});
    EXPECT_EQ(modLayered.modFolder, (fs::current_path() / "m").string());
    EXPECT_EQ(modLayered.layerFiles.size(), 2U);

    // A launcher that passes the desktop entry's field code through gives no document; a name that
    // only looks like one is still a document.
    const StartOptions passedThrough = ParseStartOptions({"--choose-program-dir", "%f"});
    EXPECT_EQ(passedThrough.folder, StartOptions::Folder::Remembered);
    EXPECT_EQ(passedThrough.documentFile, "");
    EXPECT_EQ(ParseStartOptions({"%U", "mods/Mine.ini", "%F"}).documentFile, here);
    EXPECT_EQ(ParseStartOptions({"%x"}).documentFile, (fs::current_path() / "%x").string());

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--program-dir"}, {"--program-dir", ""}, {"--choose-program-dir", "a.ini", "b.ini"}, {"--help"},
             {"a.ini", "b.ini"}, {"-a.ini"}, {"a.ini", "--choose-program-dir"}, {"--mod"},
             {"--mod", "m", "a.ini"}, {"--mod", "m", "--layer"}, {"--layer"}, {"a.ini", "--layer", ""}}) {
        try {
            ParseStartOptions(args);
            ADD_FAILURE() << "accepted " << args[0];
        } catch (const IniError& error) {
            EXPECT_STREQ(error.what(), StartUsage);
        }
    }
}

TEST_F(ProgramFolderTest, StartWithoutOptionsStaysWhereItWasStarted) {
    EXPECT_EQ(StartProgramFolder({}, choice), Here());
    EXPECT_EQ(fs::current_path(), home.Path());
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(memory.dir, "");
}

TEST_F(ProgramFolderTest, NamedFolderIsEnteredAsItIsAndNotRemembered) {
    const std::string used = (home.Path() / "used").string();
    EXPECT_EQ(StartProgramFolder({StartOptions::Folder::Named, "used", {}, {}, {}}, choice), used);
    EXPECT_EQ(fs::current_path(), home.Path() / "used");
    EXPECT_EQ(memory.dir, "");

    try {
        StartProgramFolder({StartOptions::Folder::Named, "missing", {}, {}, {}}, choice);
        ADD_FAILURE() << "entered a missing folder";
    } catch (const IniError& error) {
        EXPECT_STREQ(error.what(), "Cannot open folder missing");
    }
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(ProgramFolderTest, FirstStartAsksCopiesTheSampleIntoAnEmptyFolderAndRemembersIt) {
    const std::string empty = (home.Path() / "empty").string();
    boxes.EnqueueFileName(empty);
    boxes.EnqueueAnswer(BoxAnswer::Yes);
    EXPECT_EQ(StartChoosing(), empty);

    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[0].kind, BoxKind::Folder);
    EXPECT_EQ(boxes.Shown()[0].caption, "Program Folder");
    EXPECT_EQ(boxes.Shown()[0].text, home.Path().string());  // the folder the desktop started it in
    EXPECT_EQ(boxes.TextsOf(BoxKind::Confirm),
              std::vector<std::string>{"The folder " + empty + " is empty.\r\n\r\nCopy the sample game into it?"});
    EXPECT_TRUE(fs::is_regular_file(home.Path() / "empty" / "Velmedit.ini"));
    EXPECT_TRUE(fs::is_regular_file(home.Path() / "empty" / "game" / "Rules.ini"));
#ifndef _WIN32
    // The stand-in game stays a program that "Run the Game" can start.
    EXPECT_NE(fs::status(home.Path() / "empty" / "game" / "Pyre.sh").permissions() & fs::perms::owner_exec,
              fs::perms::none);
#endif
    EXPECT_EQ(fs::current_path(), home.Path() / "empty");
    EXPECT_EQ(memory.dir, empty);

    // The next start goes there without a question, from wherever it is started.
    fs::current_path(home.Path());
    boxes.ClearRecord();
    EXPECT_EQ(StartChoosing(), empty);
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(fs::current_path(), home.Path() / "empty");
}

TEST_F(ProgramFolderTest, FolderWithFilesGetsNoOfferAndDeclinedSampleLeavesTheFolderEmpty) {
    const std::string used = (home.Path() / "used").string();
    boxes.EnqueueFileName(used);
    EXPECT_EQ(StartChoosing(), used);
    EXPECT_TRUE(boxes.TextsOf(BoxKind::Confirm).empty());
    EXPECT_FALSE(fs::exists(home.Path() / "used" / "Velmedit.ini"));

    memory.dir.clear();
    const std::string empty = (home.Path() / "empty").string();
    boxes.EnqueueFileName(empty);
    boxes.EnqueueAnswer(BoxAnswer::No);
    EXPECT_EQ(StartChoosing(), empty);
    EXPECT_TRUE(fs::is_empty(home.Path() / "empty"));
    EXPECT_EQ(memory.dir, empty);
}

TEST_F(ProgramFolderTest, MissingFolderOrCancelledOfferAsksAgainAndCancelStartsNothing) {
    const std::string missing = (home.Path() / "missing").string();
    const std::string empty = (home.Path() / "empty").string();
    boxes.EnqueueFileName(missing);
    boxes.EnqueueFileName(empty);
    boxes.EnqueueAnswer(BoxAnswer::Cancel);
    boxes.EnqueueFileName(std::nullopt);
    EXPECT_EQ(StartChoosing(), std::nullopt);

    EXPECT_EQ(boxes.TextsOf(BoxKind::Notice), std::vector<std::string>{"Cannot open folder " + missing});
    // Each question proposes the folder named last.
    EXPECT_EQ(boxes.TextsOf(BoxKind::Folder), (std::vector<std::string>{home.Path().string(), missing, empty}));
    EXPECT_TRUE(fs::is_empty(home.Path() / "empty"));
    EXPECT_EQ(fs::current_path(), home.Path());
    EXPECT_EQ(memory.dir, "");
}

TEST_F(ProgramFolderTest, RememberedFolderThatIsGoneIsAskedForAgain) {
    memory.dir = (home.Path() / "moved").string();
    const std::string used = (home.Path() / "used").string();
    boxes.EnqueueFileName(used);
    EXPECT_EQ(StartChoosing(), used);
    EXPECT_EQ(boxes.TextsOf(BoxKind::Folder).size(), 1u);
    EXPECT_EQ(memory.dir, used);
}

TEST_F(ProgramFolderTest, NoSampleInstalledMeansNoOffer) {
    ProgramFolderChoice withoutSample(boxes, memory, (home.Path() / "no-sample").string());
    const std::string empty = (home.Path() / "empty").string();
    boxes.EnqueueFileName(empty);
    EXPECT_EQ(withoutSample.Ask(home.Path().string()), empty);
    EXPECT_TRUE(boxes.TextsOf(BoxKind::Confirm).empty());
}

}  // namespace
}  // namespace velmora::testing
