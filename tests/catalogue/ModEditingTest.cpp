// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's session with a mod open: one kind shown at a time, the others kept with their
// edits, one history across them, and the save of every changed kind together.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "core/catalogue/Workspace.h"
#include "core/choice/ChoiceLists.h"
#include "core/references/ModReferences.h"
#include "core/saving/ModSave.h"
#include "core/scaffold/DefinitionScaffold.h"
#include "core/session/EditingSession.h"
#include "core/store/IniError.h"
#include "core/session/DocumentLayers.h"
#include "core/session/LiveModCheck.h"
#include "core/values/LiveValueCheck.h"
#include "core/values/ValueKinds.h"
#include "core/settings/Globals.h"
#include "core/store/IniStore.h"
#include "core/store/PlatformFile.h"
#include "support/ScriptedBoxes.h"
#include "support/SourceFolder.h"
#include "support/TempFolder.h"

namespace velmora::testing {
namespace {

class ModEditingTest : public ::testing::Test {
protected:
    ModEditingTest() {
        folder.CopyTree(SourceFolder("samples"));
        session.Work().StartUp(folder.Dir());
        session.OpenMod(folder.File("mods/cinderfall/"));
    }
    std::string Value(const std::string& kind, const std::string& code, const std::string& key) {
        return session.KindWork(kind)->Doc().Store().ReadString(code, key, "");
    }
    static std::string Joined(const std::vector<std::string>& kinds) {
        std::string text;
        for (const std::string& kind : kinds) text += (text.empty() ? "" : ",") + kind;
        return text.empty() ? "none" : text;
    }
    std::string NextUndo() const { return Joined(session.Steps().NextUndo()); }
    std::string NextRedo() const { return Joined(session.Steps().NextRedo()); }

    TempFolder folder;
    ScriptedBoxes boxes;
    Globals globals;
    EditingSession session{globals, boxes};
};

TEST_F(ModEditingTest, KindsKeepTheirEditsAndOneHistoryTakesThemBackInOrder) {
    ASSERT_EQ(session.KindNames().size(), 3u);
    EXPECT_EQ(session.Work().FileToEdit(), "Rules.ini");
    EXPECT_EQ(session.Work().Doc().FileName(), folder.File("mods/cinderfall/Rules.ini"));

    session.Work().Doc().SetValue("GRUNT", "Cost", "130");
    session.ShowKind("art.ini");
    EXPECT_EQ(session.Work().FileToEdit(), "Art.ini");
    session.Work().Doc().SetValue("FIREBALL", "LastFrame", "20");
    session.ShowKind("Rules.ini");
    // The rules came back with their edit and its history; the art keeps its own while away.
    EXPECT_EQ(session.Work().Doc().Store().ReadString("GRUNT", "Cost", ""), "130");
    EXPECT_TRUE(session.Work().Doc().CanUndo());
    EXPECT_EQ(Value("Art.ini", "FIREBALL", "LastFrame"), "20");
    EXPECT_TRUE(session.KindWork("Art.ini")->Doc().Modified());

    // Undo takes the latest step of any kind, then the one before; Redo does them again.
    EXPECT_EQ(NextUndo(), "Art.ini");
    session.KindWork("Art.ini")->Doc().Undo();
    EXPECT_EQ(Value("Art.ini", "FIREBALL", "LastFrame"), "18");
    EXPECT_EQ(NextUndo(), "Rules.ini");
    EXPECT_EQ(NextRedo(), "Art.ini");
    session.Work().Doc().Undo();
    EXPECT_EQ(NextUndo(), "none");
    EXPECT_EQ(NextRedo(), "Rules.ini");
    session.Work().Doc().Redo();
    EXPECT_EQ(NextRedo(), "Art.ini");
    EXPECT_EQ(NextUndo(), "Rules.ini");

    // A new step in any kind ends what could be done again.
    session.ShowKind("Sound.ini");
    session.Work().Doc().SetValue("GruntSelect", "Volume", "50");
    EXPECT_EQ(NextUndo(), "Sound.ini");
    EXPECT_EQ(NextRedo(), "none");

    // A step may span kinds: Undo takes the joined edits first and the one it began with last,
    // Redo does them again in the order they were made.
    session.JoinNextStep();
    session.KindWork("Art.ini")->Doc().SetValue("FIREBALL", "LastFrame", "21");
    EXPECT_EQ(NextUndo(), "Art.ini,Sound.ini");
    session.KindWork("Art.ini")->Doc().Undo();
    session.Work().Doc().Undo();
    EXPECT_EQ(NextRedo(), "Sound.ini,Art.ini");
    EXPECT_EQ(NextUndo(), "Rules.ini");
    session.Work().Doc().Redo();
    session.KindWork("Art.ini")->Doc().Redo();
    EXPECT_EQ(NextUndo(), "Art.ini,Sound.ini");
    EXPECT_EQ(Value("Art.ini", "FIREBALL", "LastFrame"), "21");

    // A kind loaded afresh takes its steps out of the history.
    session.Work().BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("mods/cinderfall/Sound.ini"), false);
    EXPECT_EQ(NextUndo(), "Art.ini");
}

// A kind not shown, read again as another program left its file: its edits and their steps go,
// the other kinds keep theirs; the kind shown is read again by its window, never here.
TEST_F(ModEditingTest, AKindNotShownIsReadAgainAlone) {
    session.Work().Doc().SetValue("GRUNT", "Cost", "130");
    session.ShowKind("Art.ini");
    session.Work().Doc().SetValue("FIREBALL", "LastFrame", "20");
    session.ShowKind("Rules.ini");
    const std::string art = folder.Read("mods/cinderfall/Art.ini");
    const std::string from = "LastFrame=18";
    ASSERT_NE(art.find(from), std::string::npos);
    folder.Write("mods/cinderfall/Art.ini", std::string(art).replace(art.find(from), from.size(), "LastFrame=25"));

    session.ReadKindAgain("art.ini");
    EXPECT_EQ(Value("Art.ini", "FIREBALL", "LastFrame"), "25");
    EXPECT_FALSE(session.KindWork("Art.ini")->Doc().Modified());
    EXPECT_EQ(NextUndo(), "Rules.ini");
    EXPECT_EQ(Value("Rules.ini", "GRUNT", "Cost"), "130");
    EXPECT_THROW(session.ReadKindAgain("Rules.ini"), IniError);
    EXPECT_THROW(session.ReadKindAgain("Music.ini"), IniError);
}

TEST_F(ModEditingTest, SaveWritesEveryChangedKindAndDropsNoneOnClose) {
    session.Work().Doc().SetValue("GRUNT", "Cost", "130");
    session.ShowKind("Art.ini");
    session.Work().Doc().SetValue("FIREBALL", "LastFrame", "20");
    EXPECT_EQ(SaveMod(session.WritableKinds()), 2u);
    EXPECT_NE(folder.Read("mods/cinderfall/Rules.ini").find("Cost=130 ;"), std::string::npos);
    EXPECT_NE(folder.Read("mods/cinderfall/Art.ini").find("LastFrame=20\r\n"), std::string::npos);
    EXPECT_FALSE(session.KindWork("Rules.ini")->Doc().Modified());
    EXPECT_FALSE(session.Work().Doc().Modified());

    // Back to one document: the shown kind stays, the others go.
    session.CloseMod();
    EXPECT_EQ(session.Work().FileToEdit(), "Art.ini");
    EXPECT_EQ(session.Kinds().size(), 1u);
    EXPECT_EQ(session.KindWork("Rules.ini"), nullptr);
}

TEST_F(ModEditingTest, AKindSourceListsTheOtherKindsNamesForTheValueChoice) {
    BasicList list = BuildBasicList("Sound:Voices,Art:*,Artt:*", session.Work());
    EXPECT_EQ(list.MissingSources, (std::vector<std::string>{"Sound:Voices", "Art:*", "Artt:*"}));
    AddKindSourceValues(list, std::as_const(session).Kinds());
    EXPECT_EQ(list.MissingSources, std::vector<std::string>{"Artt:*"});
    ASSERT_GE(list.Items.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(list.Items.begin(), list.Items.begin() + 5),
              (std::vector<std::string>{"GruntSelect", "TorchSelect", "TankSelect", "HaulerSelect", "ZealotSelect"}));
    // Every section of the art file, in file order, follows.
    const IniStore& art = session.KindWork("Art.ini")->Doc().Store();
    EXPECT_EQ(list.Items.back(), std::string(art.SectionAt(art.SectionCount() - 1).Name()));
    EXPECT_NE(std::find(list.Items.begin(), list.Items.end(), "FIREBALL"), list.Items.end());
}

// The session's check of the mod sees every kind where it now stands: an edit of the kind shown,
// and again after another kind is shown. Layers, which go over one document, give way to a mod.
TEST_F(ModEditingTest, TheModCheckFollowsTheKindsAndAModTakesNoLayers) {
    ASSERT_NE(session.ModCheck(), nullptr);
    EXPECT_TRUE(session.ModCheck()->Result().Findings.empty());
    session.Work().Doc().SetValue("GRUNT", "Image", "NOSUCHART");
    ASSERT_EQ(session.ModCheck()->Result().Findings.size(), 1u);
    session.ShowKind("Sound.ini");
    ASSERT_EQ(session.ModCheck()->Result().Findings.size(), 1u);
    EXPECT_EQ(session.ModCheck()->Result().Findings[0].File, "Rules.ini");
    EXPECT_EQ(session.ModCheck()->Result().Findings[0].Value, "NOSUCHART");
    EXPECT_THROW(session.Current().Layers().Add(folder.File("mods/Duel.ini")), IniError);

    session.CloseMod();
    EXPECT_EQ(session.ModCheck(), nullptr);
    session.Current().Layers().Add(folder.File("mods/Duel.ini"));
    EXPECT_TRUE(session.Current().Layers().Any());
    session.OpenMod(folder.File("mods/cinderfall/"));
    EXPECT_FALSE(session.Current().Layers().Any());
}

// The value check of each kind reads the other kinds where they now are, the kind shown's too, also
// after the kinds changed places: a key of another kind's sources is a code of them.
TEST_F(ModEditingTest, EachKindsValueCheckSeesTheOtherKindsWhereverTheyAreShown) {
    const auto voiceKind = [this] {
        return KindText(session.KindModels("Rules.ini")->Values().KindIn("InfantryTypes", "VoiceSelect"));
    };
    EXPECT_EQ(voiceKind(), "code of Sound:Voices");
    session.ShowKind("Sound.ini");
    EXPECT_EQ(voiceKind(), "code of Sound:Voices");
    session.ShowKind("Rules.ini");
    EXPECT_EQ(voiceKind(), "code of Sound:Voices");
    session.CloseMod();
    EXPECT_EQ(KindText(session.Current().Values().KindIn("InfantryTypes", "VoiceSelect")), "text");
}

// New Definition from Document with a mod open takes the other kinds' sections as sources, as the
// scaffold of the command line does.
TEST_F(ModEditingTest, ANewDefinitionLearnsTheSourcesTheOtherKindsHold) {
    // The warheads' impact animations are all art sections.
    const std::regex animsOfArt("\nImpactAnims=[^\r\n]*~@Art:\\*@~\r\n");
    const auto written = [this] { return platform::ReadWholeFile(folder.File("Rules.001")).value_or(""); };
    ReplaceDefinitionFile(session.Work());
    EXPECT_EQ(written().find("~@Art:"), std::string::npos);
    ReplaceDefinitionFile(session.Work(), std::as_const(session).Kinds());
    EXPECT_TRUE(std::regex_search(written(), animsOfArt)) << written();
}

}  // namespace
}  // namespace velmora::testing
