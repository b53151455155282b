// SPDX-License-Identifier: GPL-3.0-or-later
// A mod open as a whole: the sample's rules, art and sound files together, names checked across
// them, a change of code reaching every kind, and the save writing them together.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/catalogue/Workspace.h"
#include "core/document/Document.h"
#include "core/references/ModReferences.h"
#include "core/saving/ModSave.h"
#include "core/scripts/ScriptedEdits.h"
#include "core/session/LiveModCheck.h"
#include "core/session/ModCheck.h"
#include "core/session/ModSession.h"
#include "core/values/LiveValueCheck.h"
#include "core/values/ValueCheck.h"
#include "support/ScriptedBoxes.h"
#include "support/SourceFolder.h"
#include "support/TempFolder.h"

namespace velmora::testing {
namespace {

constexpr const char* Mod = "mods/cinderfall/";

std::string WithCrLf(const std::string& text) {
    std::string crlf;
    for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

class ModTest : public ::testing::Test {
protected:
    ModTest() { folder.CopyTree(SourceFolder("samples")); }

    std::string ModFile(const std::string& name) const { return std::string(Mod) + name; }
    void Open() { session.OpenMod(folder.Dir(), folder.File(Mod)); }
    // `from` replaced by `to` in the file, once; their line ends are the sample's, CR LF.
    void Plant(const std::string& file, std::string from, std::string to) {
        from = WithCrLf(from);
        to = WithCrLf(to);
        std::string text = folder.Read(file);
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        folder.Write(file, text.replace(at, from.size(), to));
    }
    // The number of the line of `file` that reads `line`.
    size_t LineOf(const std::string& file, const std::string& line) const {
        const std::string text = folder.Read(file);
        const size_t at = text.find("\n" + line + "\r\n");
        return at == std::string::npos ? 0 : static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n')) + 2;
    }
    static std::string ReadSample(const std::string& name) {
        TempFolder copy;
        copy.CopyTree(SourceFolder("samples"));
        return copy.Read(name);
    }
    Workspace& Kind(const std::string& fileType) { return *session.Find(fileType)->Work; }

    TempFolder folder;
    ScriptedBoxes boxes;
    ModSession session{boxes, false};
};

TEST_F(ModTest, OpensEveryKindFromTheModFolderElseReadOnlyFromTheGameOrDefaultCopy) {
    Open();
    ASSERT_EQ(session.Count(), 3u);
    for (size_t i = 0; i < session.Count(); ++i) EXPECT_FALSE(session.At(i).ReadOnly()) << i;
    EXPECT_EQ(CheckMod(session.Workspaces()).Findings.size(), 0u);
    EXPECT_TRUE(CheckMod(session.Workspaces()).Warnings.empty());

    // Without its art and sound files, the mod reads the game's art and the default sound copy.
    std::filesystem::remove(folder.Path() / Mod / "Art.ini");
    std::filesystem::remove(folder.Path() / Mod / "Sound.ini");
    Open();
    EXPECT_EQ(session.Find("art.ini")->From, ModSession::Origin::GameCopy);
    EXPECT_EQ(session.Find("Sound.ini")->From, ModSession::Origin::DefaultCopy);
    EXPECT_EQ(session.Writable(), std::vector<Workspace*>{&Kind("Rules.ini")});
    EXPECT_TRUE(Kind("Sound.ini").Doc().Store().IndexOfSection("TankSelect") >= 0);
    // The mod's new art is missing now: its rules name it in vain.
    const ModCheckResult result = CheckMod(session.Workspaces());
    ASSERT_EQ(result.Findings.size(), 2u);
    EXPECT_EQ(result.Findings[0].Value, "ZEALOT");
    EXPECT_EQ(result.Findings[1].Value, "ZealotSelect");

    // One file opened alone: the other kinds come from the game's copy or the default copy.
    session.OpenFile(folder.Dir(), std::string("Rules.ini"), folder.File(ModFile("Rules.ini")));
    EXPECT_FALSE(session.Find("Rules.ini")->ReadOnly());
    EXPECT_EQ(session.Find("Art.ini")->From, ModSession::Origin::GameCopy);
}

TEST_F(ModTest, FindsTheDanglingNamesOfEveryKindAtTheirFileAndLine) {
    Plant(ModFile("Rules.ini"), "Image=ZEALOT\n", "Image=ZEALOTX\n");
    Plant(ModFile("Rules.ini"), "VoiceSelect=GruntSelect\n", "VoiceSelect=GruntSelekt\n");
    Plant(ModFile("Rules.ini"), "CrushSound=Squish\n", "CrushSound=Squash\n");
    Plant(ModFile("Art.ini"), "zealicon\nTeamColored=yes\nMoveTable=MTFLAME\n", "zealicon\nTeamColored=yes\nMoveTable=MTFLAMEX\n");
    // A kind nobody lists is named, not taken for a dangling name.
    Plant("Rules.001", "KillScore=Score awarded to the player who destroys the unit.",
          "KillScore=Score awarded to the player who destroys the unit. ~@Music:*@~");
    Open();
    const ModCheckResult result = CheckMod(session.Workspaces());

    struct Expected {
        std::string file, entry, key, line;
    };
    const std::vector<Expected> expected = {
        {"Rules.ini", "GRUNT", "VoiceSelect", "VoiceSelect=GruntSelekt"},
        {"Rules.ini", "ZEALOT", "Image", "Image=ZEALOTX"},
        {"Rules.ini", "TANKL", "CrushSound", "CrushSound=Squash"},
        {"Art.ini", "ZEALOT", "MoveTable", "MoveTable=MTFLAMEX"},
    };
    ASSERT_EQ(result.Findings.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ModFinding& finding = result.Findings[i];
        EXPECT_EQ(finding.Level, Severity::WillCrash) << i;
        EXPECT_EQ(finding.File, expected[i].file);
        EXPECT_EQ(finding.Entry, expected[i].entry);
        EXPECT_EQ(finding.Key, expected[i].key);
        EXPECT_EQ(finding.Line, LineOf(ModFile(expected[i].file), expected[i].line)) << expected[i].line;
    }
    EXPECT_EQ(result.Findings[1].Reason, "ZEALOTX is not a section of Art.ini: the game finds nothing by that name");
    EXPECT_TRUE(result.WillCrash());
    ASSERT_EQ(result.Warnings.size(), 1u);
    EXPECT_NE(result.Warnings[0].find("~@Music:*@~ names no kind of file (the kinds are Rules, Art, Sound)"),
              std::string::npos);
}

// Check References over a mod: the dangling names of every kind and the double listings of each
// kind, each with the kind it stands in.
TEST_F(ModTest, CheckReferencesCoversEveryKind) {
    Plant(ModFile("Sound.ini"), "3=Clang\n", "3=Clang\n4=Crunch\n");
    Plant(ModFile("Art.ini"), "zealicon\nTeamColored=yes\nMoveTable=MTFLAME\n", "zealicon\nTeamColored=yes\nMoveTable=MTFLAMEX\n");
    Open();
    const ModReferenceFindings found = CheckModReferences(session.Workspaces());
    ASSERT_EQ(found.Dangling.size(), 1u);
    EXPECT_EQ(found.Dangling[0].Kind, &Kind("Art.ini"));
    EXPECT_EQ(found.Dangling[0].Item.Item, "MTFLAMEX");
    EXPECT_EQ(found.Dangling[0].FileLine, LineOf(ModFile("Art.ini"), "MoveTable=MTFLAMEX"));
    ASSERT_EQ(found.Doubles.size(), 1u);
    EXPECT_EQ(found.Doubles[0].Kind, &Kind("Sound.ini"));
    EXPECT_EQ(found.Doubles[0].Listing.Code, "Crunch");
    EXPECT_EQ(found.Doubles[0].Listing.Times, 2u);
}

// Ten faults of ten sorts, across the rules, the art and the sound file: the check finds each at
// its file and line with its severity, and nothing else.
TEST_F(ModTest, FindsExactlyTheTenPlantedFaults) {
    struct Planted {
        std::string file, from, to, line;  // `line`: the text of the line the finding stands at
        Severity level;
    };
    const std::vector<Planted> planted = {
        // a name that points at nothing within the rules
        {"Rules.ini", "Prerequisite=MUSTER,FORGE\nStrength=75", "Prerequisite=MUSTER,FORGEX\nStrength=75",
         "Prerequisite=MUSTER,FORGEX", Severity::WillCrash},
        // an art section, a sound entry the rules name in vain
        {"Rules.ini", "Image=ZEALOT\n", "Image=ZEALOTX\n", "Image=ZEALOTX", Severity::WillCrash},
        {"Rules.ini", "CrushSound=Squish\n", "CrushSound=Squash\n", "CrushSound=Squash", Severity::WillCrash},
        // a value of the wrong kind
        {"Rules.ini", "Cost=3000\n", "Cost=3OOO\n", "Cost=3OOO", Severity::LikelyWrong},
        // a pinned list one item short, and one with an item of the wrong kind
        {"Rules.ini", "ArmorPercent=100,30,40,80,100,60,50\n", "ArmorPercent=100,30,40,80,100,60\n",
         "ArmorPercent=100,30,40,80,100,60", Severity::LikelyWrong},
        {"Rules.ini", "ArmorPercent=100,150,120,50,30,70,20\n", "ArmorPercent=100,150,120,50,30,70,2O\n",
         "ArmorPercent=100,150,120,50,30,70,2O", Severity::LikelyWrong},
        // a weapon without the warhead every weapon needs: the finding stands at its header
        {"Rules.ini", "[AUTOCAN]\nDamage=10\nFireDelay=10\nRange=5\nProjectile=BULLET\nWarhead=SMALLARM\n",
         "[AUTOCAN]\nDamage=10\nFireDelay=10\nRange=5\nProjectile=BULLET\n", "[AUTOCAN]", Severity::WillCrash},
        // a section that is no entry of the list the key is pinned to
        {"Rules.ini", "Primary=LONGRIFL\n", "Primary=SMALLARM\n", "Primary=SMALLARM", Severity::WillCrash},
        // a name the art file points at within itself
        {"Art.ini", "zealicon\nTeamColored=yes\nMoveTable=MTFLAME\n", "zealicon\nTeamColored=yes\nMoveTable=MTFLAMX\n",
         "MoveTable=MTFLAMX", Severity::WillCrash},
        // a number out of its pinned range
        {"Sound.ini", "Volume=75\n", "Volume=175\n", "Volume=175", Severity::LikelyWrong},
    };
    for (const Planted& fault : planted) Plant(ModFile(fault.file), fault.from, fault.to);
    Open();
    const ModCheckResult result = CheckMod(session.Workspaces());
    EXPECT_TRUE(result.Warnings.empty());

    std::vector<std::string> expected;
    for (const Planted& fault : planted) {
        const size_t line = LineOf(ModFile(fault.file), fault.line);
        ASSERT_NE(line, 0u) << fault.line;
        expected.push_back(fault.file + ":" + std::to_string(line) + " " + std::string(SeverityText(fault.level)));
    }
    std::vector<std::string> found;
    for (const ModFinding& finding : result.Findings)
        found.push_back(finding.File + ":" + std::to_string(finding.Line) + " " +
                        std::string(SeverityText(finding.Level)));
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(FindingsSummary(result), "6 will crash, 4 likely wrong");
    EXPECT_EQ(FindingsSummary({}), "No problems found");
    ModCheckResult notes;
    for (const Severity level : {Severity::Note, Severity::WillCrash, Severity::Note})
        notes.Findings.emplace_back().Level = level;
    EXPECT_EQ(FindingsSummary(notes), "1 will crash, 2 notes");
}

// The live check follows the edits of every kind: a change of code in the art leaves the rules'
// name of it dangling, a sound's volume out of its range is found, and their undos take both back.
TEST_F(ModTest, TheLiveCheckFollowsTheEditsOfEveryKind) {
    Open();
    struct Counter : LiveModCheck::Listener {
        int changes = 0;
        bool gone = false;
        void ModCheckChanged() override { ++changes; }
        void ModCheckGone() override { gone = true; }
    } listener;
    LiveModCheck& check = session.Check();
    check.AddListener(listener);
    EXPECT_TRUE(check.Result().Findings.empty());

    ScriptedEdits art(Kind("Art.ini"));
    art.Run("rename\tObjectArt\tGRUNT\tGRUNTART");
    ScriptedEdits sound(Kind("Sound.ini"));
    sound.Run("set\tClang\tVolume\t175");
    EXPECT_GE(listener.changes, 2);
    std::vector<std::string> found;
    for (const ModFinding& finding : check.Result().Findings)
        found.push_back(finding.File + " " + finding.Entry + " " + finding.Key + " " +
                        std::string(SeverityText(finding.Level)) + " " + std::to_string(finding.Kind));
    EXPECT_EQ(found, (std::vector<std::string>{"Rules.ini GRUNT Image will crash 0",
                                               "Sound.ini Clang Volume likely wrong 2"}));

    sound.Run("undo");
    ASSERT_EQ(check.Result().Findings.size(), 1u);
    art.Run("undo");
    EXPECT_TRUE(check.Result().Findings.empty());

    Open();
    EXPECT_TRUE(listener.gone);
}

// With the other kinds at hand, a key whose sources are in them is a code of them, counted against
// their names; alone, it stays text.
TEST_F(ModTest, AKeyOfAnotherKindsSourcesIsACodeOfThem) {
    Plant(ModFile("Rules.ini"), "Image=ZEALOT\n", "Image=ZEALOTX\n");
    Open();
    const Workspace& rules = Kind("Rules.ini");
    const ValueCheck withKinds(rules, session.Workspaces());
    const size_t infantry = static_cast<size_t>(withKinds.Learner().CategoryIndex("InfantryTypes"));
    const KeyKind image = withKinds.KindOf(infantry, "Image");
    EXPECT_EQ(KindText(image.Count.Kind), "code of Art sections");
    EXPECT_EQ(image.Count.Fit, 2u);
    EXPECT_EQ(image.Count.Values, 3u);
    EXPECT_EQ(KindText(withKinds.KindOf(infantry, "VoiceSelect").Count.Kind), "code of Sound:Voices");
    EXPECT_EQ(KindText(withKinds.KindOf(infantry, "BuiltBy").Count.Kind), "codes of Factions");
    // The dangling name is the reference check's: the value check adds no finding of its own.
    EXPECT_EQ(withKinds.Findings().size(), 0u);
    EXPECT_EQ(KindText(ValueCheck(rules).KindOf(infantry, "Image").Count.Kind), "text");
    // The session's own value check of the kind sees the others too.
    EXPECT_EQ(KindText(session.Find("Rules.ini")->Models->Values().KindIn("InfantryTypes", "Image")),
              "code of Art sections");
}

TEST_F(ModTest, AChangeOfCodeRewritesTheOtherKindsAndTheSaveWritesThemTogether) {
    Open();
    Workspace& art = Kind("Art.ini");
    Workspace& rules = Kind("Rules.ini");
    ScriptedEdits edits(art);
    edits.ReachKinds(session.WorkspacesToEdit(), session.Writable());
    edits.Run("rename-all\tObjectArt\tZEALOT\tZEALART");
    EXPECT_EQ(rules.Doc().Store().ReadString("ZEALOT", "Image", ""), "ZEALART");
    EXPECT_GE(art.Doc().Store().IndexOfSection("ZEALART"), 0);
    // The rules' own entry of that code is no art name: it is named, not changed.
    const std::vector<std::string> notes = edits.TakeNotes();
    EXPECT_NE(std::find(notes.begin(), notes.end(), "Rules.ini: not changed: [InfantryTypes] 6=ZEALOT"), notes.end());

    edits.Run("undo");
    EXPECT_EQ(rules.Doc().Store().ReadString("ZEALOT", "Image", ""), "ZEALOT");
    EXPECT_LT(art.Doc().Store().IndexOfSection("ZEALART"), 0);
    EXPECT_FALSE(rules.Doc().Modified());
    edits.Run("redo");

    EXPECT_EQ(SaveMod(session.Writable()), 2u);
    EXPECT_NE(folder.Read(ModFile("Rules.ini")).find("Image=ZEALART\r\n"), std::string::npos);
    EXPECT_NE(folder.Read(ModFile("Art.ini")).find("[ZEALART]\r\n"), std::string::npos);
    EXPECT_FALSE(rules.Doc().Modified());
    EXPECT_FALSE(art.Doc().Modified());
    // The sound kind had nothing to write and was left as it was.
    EXPECT_EQ(folder.Read(ModFile("Sound.ini")), ReadSample(ModFile("Sound.ini")));
    EXPECT_EQ(CheckMod(session.Workspaces()).Findings.size(), 0u);
}

TEST_F(ModTest, AReadOnlyKindKeepsItsLinesWhenACodeItNamesChanges) {
    // The game's art names the rules' soldiers; the mod has no art file of its own.
    std::filesystem::remove(folder.Path() / Mod / "Art.ini");
    Plant("Art.001", "[ArtGeneral]\n", "[ArtGeneral]\nOwner=Soldier drawn with this art. ~@Rules:InfantryTypes@~\n");
    Plant("game/Art.ini", "BuildIcon=gruntico\n", "BuildIcon=gruntico\nOwner=GRUNT\n");
    Open();
    Workspace& art = Kind("Art.ini");
    ASSERT_EQ(art.Doc().Store().ReadString("GRUNT", "Owner", ""), "GRUNT");
    ScriptedEdits edits(Kind("Rules.ini"));
    edits.ReachKinds(session.WorkspacesToEdit(), session.Writable());
    edits.Run("rename-all\tInfantryTypes\tGRUNT\tGRUNTY");
    EXPECT_EQ(art.Doc().Store().ReadString("GRUNT", "Owner", ""), "GRUNT");
    EXPECT_FALSE(art.Doc().Modified());
    const std::vector<std::string> notes = edits.TakeNotes();
    EXPECT_NE(std::find(notes.begin(), notes.end(), "Art.ini (read-only): not changed: [GRUNT] Owner=GRUNT"),
              notes.end());
    // The same art in the mod folder is rewritten with the rules.
    folder.Write(ModFile("Art.ini"), folder.Read("game/Art.ini"));
    Open();
    ScriptedEdits again(Kind("Rules.ini"));
    again.ReachKinds(session.WorkspacesToEdit(), session.Writable());
    again.Run("rename-all\tInfantryTypes\tGRUNT\tGRUNTY");
    EXPECT_EQ(Kind("Art.ini").Doc().Store().ReadString("GRUNT", "Owner", ""), "GRUNTY");
}

}  // namespace
}  // namespace velmora::testing
