// SPDX-License-Identifier: GPL-3.0-or-later
#include <map>
#include <random>
#include <string>
#include <vector>

#include "WorkspaceFixture.h"
#include "core/values/LiveValueCheck.h"
#include "core/values/ValueCheck.h"
#include "core/references/References.h"
#include "core/store/TextCase.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

constexpr const char* Definition =
    "[AllSections]\n"
    "Infantry=0,InfPage\n"
    "Vehicles=0,VehPage\n"
    "Weapons=1,WeapPage\n"
    "Levels=0,LevPage\n"
    "[InfPage]\nCost=price\nSensors=sees hidden units\nWeapon=the weapon\nAimed=the weapon ~@Weapons@~\nRate=\n"
    "[VehPage]\nCost=\nRate=\n"
    "[WeapPage]\nDamage=\n"
    "[LevPage]\nRate=\nCost=\n"
    "[Weapons]\n1=RIFLE\n2=LASER\n";

// A category of `count` entries PREFIX1..PREFIXn whose keys hold `values` (a "%" in a value stands
// for the entry's number), with `changes` ("CODE Key" -> value; "" leaves the key out) on top.
std::string CategoryText(const std::string& category, const std::string& prefix, int count,
                    const std::map<std::string, std::string>& values,
                    const std::map<std::string, std::string>& changes = {}) {
    std::string list = "[" + category + "]\n";
    std::string sections;
    for (int i = 1; i <= count; ++i) {
        const std::string code = prefix + std::to_string(i);
        list += std::to_string(i) + "=" + code + "\n";
        sections += "[" + code + "]\n";
        for (auto [key, value] : values) {
            const auto change = changes.find(code + " " + key);
            if (change != changes.end()) value = change->second;
            if (const size_t at = value.find('%'); at != std::string::npos) value.replace(at, 1, std::to_string(i));
            if (!value.empty()) sections += key + "=" + value + "\n";
        }
    }
    return list + sections;
}

const std::map<std::string, std::string> Soldier = {
    {"Cost", "1%0"}, {"Sensors", "yes"}, {"Weapon", "RIFLE"}, {"Aimed", "LASER"}};

class ValueCheckTest : public WorkspaceFixture {
protected:
    // Keys enough that no page lists for a section to fit no category: "Unknown!" collects it.
    static constexpr const char* NoPageKeys = "Odd1=1\nOdd2=2\nOdd3=3\nOdd4=4\nOdd5=5\n";
    static constexpr const char* WeaponSections = "[RIFLE]\nDamage=1\n[LASER]\nDamage=2\n";

    // `defaults`: the default copy, none when empty.
    void Open(const std::string& document, const std::string& pins = {}, const std::string& defaults = {}) {
        Write("Rules.001", std::string(Definition) + pins);
        if (!defaults.empty()) Write("Rules.INI", defaults + WeaponSections);
        Start();
        Write("doc.ini", document + WeaponSections);
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    }

    static Texts Findings(const ValueCheck& check) {
        Texts found;
        for (const ValueFinding& finding : check.Findings())
            found.push_back(finding.SectionName + " " + finding.Key + "=" + finding.Value + ": " + finding.Reason);
        return found;
    }

    // The findings with their severities first.
    // Takes the key's line out of the entry, as one edit; nothing when it has none.
    void RemoveKeyLine(const std::string& code, const std::string& key) {
        const IniStore& store = workspace.Doc().Store();
        const int section = store.IndexOfSection(code);
        if (section < 0) return;
        const long line = store.SectionAt(static_cast<size_t>(section)).IndexOfKey(key);
        if (line < 0) return;
        auto edit = workspace.Doc().BeginEdit("Delete", {}, false);
        edit->RemoveLine(StoreOf::Document, static_cast<size_t>(section), static_cast<size_t>(line));
        ASSERT_TRUE(workspace.Doc().Commit(std::move(edit)));
    }

    static Texts Graded(const ValueCheck& check) {
        Texts found;
        for (const ValueFinding& finding : check.Findings())
            found.push_back(std::string(SeverityText(finding.Severity)) + " | " + finding.SectionName + " " +
                            finding.Key + "=" + finding.Value + ": " + finding.Reason);
        return found;
    }
};

TEST_F(ValueCheckTest, ValuesThatMostOfTheirKeysValuesDoNotFit) {
    Open(CategoryText("Infantry", "I", 20, Soldier,
                 {{"I3 Sensors", "ye"}, {"I5 Weapon", "LASR"}, {"I5 Aimed", "LASR ;a comment"}, {"I7 Cost", "12O"},
                  {"I8 Weapon", "none"}, {"I9 Weapon", "NONE"}}));
    const ValueCheck check(workspace);
    EXPECT_EQ(Findings(check), (Texts{"I3 Sensors=ye: expected yes or no; 19 of 20 Infantry entries have one",
                                      "I5 Weapon=LASR: expected a code of Weapons; 19 of 20 Infantry entries have one",
                                      "I7 Cost=12O: expected a whole number; 19 of 20 Infantry entries have one"}));
    // A key whose value sources the definition file names is left to the check of references.
    const std::vector<DanglingItem> dangling = FindDanglingItems(workspace);
    ASSERT_EQ(dangling.size(), 1U);
    EXPECT_EQ(dangling[0].SectionName + " " + dangling[0].Key, "I5 Aimed");
}

TEST_F(ValueCheckTest, UnderNinetyFivePercentTheKeyIsText) {
    Open(CategoryText("Infantry", "I", 20, Soldier, {{"I3 Cost", "12O"}, {"I4 Cost", "lots"}}));
    const ValueCheck check(workspace);
    EXPECT_EQ(Findings(check), Texts{});
    EXPECT_EQ(KindText(check.KindOf(0, "Cost").Count.Kind), "text");
    EXPECT_EQ(KindText(check.KindOf(0, "Sensors").Count.Kind), "yes/no");
}

TEST_F(ValueCheckTest, FewValuesInACategoryAreJudgedOnAllCategories) {
    // One Rate among the soldiers: the twenty of the vehicles decide.
    std::map<std::string, std::string> soldier = Soldier;
    soldier["Rate"] = "";
    Open(CategoryText("Infantry", "I", 20, soldier, {{"I1 Rate", "3O"}}) +
         CategoryText("Vehicles", "V", 20, {{"Cost", "9%"}, {"Rate", "%"}}));
    const ValueCheck check(workspace);
    EXPECT_EQ(Findings(check),
              Texts{"I1 Rate=3O: expected a whole number; 20 of 21 entries of all categories have one"});
}

TEST_F(ValueCheckTest, PinnedKindsWinAndUnreadablePinsAreReported) {
    Open(CategoryText("Infantry", "I", 20, Soldier, {{"I2 Cost", "1.5"}, {"I7 Cost", "12O"}}),
         "[ValueKinds]\nCost=decimal ;prices may be fractions\nSensors=whle number\nWeapon=code of Nowhere\n"
         "cost=whole number\nInfantry=entries need Cost\nInfantry=entries need Sensors\n");
    const ValueCheck check(workspace);
    // The first line of a key wins; a second one is reported, not left out without a word.
    EXPECT_EQ(Findings(check),
              Texts{"I7 Cost=12O: expected a decimal number (pinned); 19 of 20 Infantry entries have one"});
    EXPECT_EQ(check.Problems(),
              (Texts{"[ValueKinds] Sensors=whle number: no such kind",
                     "[ValueKinds] Weapon=code of Nowhere: no category Nowhere",
                     "[ValueKinds] cost=whole number: cost is pinned already by an earlier line, which wins",
                     "[ValueKinds] Infantry=entries need Sensors: Infantry is pinned already by an earlier line, which wins"}));
}

TEST_F(ValueCheckTest, EditsKeepTheLearningUpToDate) {
    Open(CategoryText("Infantry", "I", 20, Soldier) + CategoryText("Vehicles", "V", 5, {{"Cost", "9%"}}));
    ValueCheck check(workspace);
    workspace.Doc().AddObserver(check);
    workspace.Doc().SetValue("I1", "Cost", "12O");
    EXPECT_EQ(check.Findings().size(), 1U);
    EXPECT_EQ(check.Misfit("I1", "Cost", "12O"),
              "expected a whole number; 19 of 20 Infantry entries have one");
    workspace.Doc().Undo();
    EXPECT_EQ(Findings(check), Texts{});
    // Of five vehicle prices, one no longer a number makes the key text: nothing to flag.
    workspace.Doc().SetValue("V1", "Cost", "cheap");
    EXPECT_EQ(Findings(check), Texts{});
    EXPECT_EQ(KindText(check.KindOf(1, "Cost").Count.Kind), "text");
    workspace.Doc().RemoveObserver(check);
}

// An edit of many values (a table's adjust or paste) is counted again a key at a time: the live
// check then knows what a check learned afresh knows, after the edit and after its undo.
TEST_F(ValueCheckTest, AnEditOfManyValuesLeavesTheLearningAsAFreshOne) {
    Open(CategoryText("Infantry", "I", 20, Soldier) + CategoryText("Vehicles", "V", 5, {{"Cost", "9%"}}));
    LiveValueCheck live(workspace);
    const auto kinds = [](const ValueCheck& check) {
        Texts texts;
        for (size_t category = 0; category < check.Learner().Categories().size(); ++category)
            for (const KeyKind& kind : check.KindsOf(category))
                texts.push_back(FoldCase(kind.Key) + " " + KindText(kind.Count.Kind) + " " +
                                std::to_string(kind.Count.Fit) + "/" + std::to_string(kind.Count.Values));
        return texts;
    };
    const Texts loaded = kinds(live.Check());
    auto edit = workspace.Doc().BeginEdit("Adjust", {}, false);
    for (int i = 1; i <= 12; ++i) edit->WriteValue(StoreOf::Document, "I" + std::to_string(i), "COST", "x");
    for (int i = 1; i <= 5; ++i) edit->WriteValue(StoreOf::Document, "V" + std::to_string(i), "Cost", "2.5");
    edit->WriteValue(StoreOf::Document, "I3", "Sensors", "no");
    ASSERT_TRUE(workspace.Doc().Commit(std::move(edit)));
    EXPECT_EQ(kinds(live.Check()), kinds(ValueCheck(workspace)));
    EXPECT_EQ(KindText(live.KindIn("Infantry", "Cost")), "text");
    workspace.Doc().Undo();
    EXPECT_EQ(kinds(live.Check()), loaded);
}

// The check the windows ask is learned once per load and kept up by the edits, undo included.
TEST_F(ValueCheckTest, TheLiveCheckFollowsEditsAndLoads) {
    Open(CategoryText("Infantry", "I", 20, Soldier) + CategoryText("Vehicles", "V", 5, {{"Cost", "9%"}}));
    LiveValueCheck live(workspace);
    EXPECT_EQ(live.Misfit("I1", "Cost", "110"), std::nullopt);
    workspace.Doc().SetValue("I1", "Cost", "12O");
    EXPECT_EQ(live.Misfit("I1", "Cost", "12O"), "expected a whole number; 19 of 20 Infantry entries have one");
    EXPECT_EQ(live.Check().Findings().size(), 1U);
    workspace.Doc().Undo();
    EXPECT_EQ(Findings(live.Check()), Texts{});
    EXPECT_EQ(KindChoices(live.KindIn("infantry", "Sensors")), (Texts{"yes", "no"}));
    EXPECT_EQ(KindChoices(live.KindIn("Infantry", "Cost")), Texts{});

    // Another document loaded: its prices are no numbers, so nothing is flagged any more.
    Write("other.ini", CategoryText("Infantry", "I", 20, {{"Cost", "cheap%"}}));
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("other.ini"), false);
    EXPECT_EQ(live.Misfit("I1", "Cost", "12O"), std::nullopt);
    EXPECT_EQ(KindText(live.KindIn("Infantry", "Cost")), "text");
}


// A level of difficulty holds a value or two of keys the units use otherwise: "Rate=1.0" where the
// units' rates are whole, "Cost=80%" where their prices are. The levels' own values decide their
// kind, and the kinds written for the definition file do not claim those keys for the units' kinds.
TEST_F(ValueCheckTest, ACategoryOfFewValuesKeepsTheKindItsOwnValuesShow) {
    std::map<std::string, std::string> soldier = Soldier;
    soldier["Rate"] = "%";
    Open(CategoryText("Infantry", "I", 20, soldier) + CategoryText("Vehicles", "V", 20, {{"Cost", "9%"}, {"Rate", "%"}}) +
         "[Levels]\n1=Easy\n2=Hard\n[Easy]\nRate=1.0\nCost=80%\n[Hard]\nRate=3O\n");
    const ValueCheck check(workspace);
    EXPECT_EQ(Findings(check),
              Texts{"Hard Rate=3O: expected a decimal number; 41 of 42 entries of all categories have one"});
    EXPECT_EQ(KindText(check.KindOf(3, "Cost").Count.Kind), "percent");
    EXPECT_EQ(KindText(check.KindOf(0, "Cost").Count.Kind), "whole number");
    EXPECT_EQ(PinLines(check.Learner()), (Texts{"Aimed=code of Weapons", "Sensors=yes/no", "Weapon=code of Weapons"}));
}

// Whole numbers but for a decimal or two make a key of decimals; a value left empty, and a
// section no category lists, are never judged.
TEST_F(ValueCheckTest, SomeDecimalsAmongWholeNumbersAndEmptyValuesAreNoMisfits) {
    std::map<std::string, std::string> soldier = Soldier;
    soldier["Rate"] = "%";
    Open(CategoryText("Infantry", "I", 40, soldier,
                      {{"I4 Rate", "1.5"}, {"I6 Cost", " "}, {"I6 Sensors", " ;left to the game"}}) +
         "[Z1]\nCost=12O\nSensors=ye\n" + NoPageKeys);
    const ValueCheck check(workspace);
    ASSERT_TRUE(check.Learner().ListedIn("Z1").empty());
    EXPECT_EQ(Findings(check), Texts{});
    EXPECT_EQ(KindText(check.KindOf(0, "Rate").Count.Kind), "decimal");
    EXPECT_EQ(KindText(check.KindOf(0, "Cost").Count.Kind), "whole number");
    EXPECT_EQ(check.Misfit("I6", "Cost", ""), std::nullopt);
    EXPECT_EQ(check.Misfit("Z1", "Cost", "12O"), std::nullopt);
}

TEST_F(ValueCheckTest, ACodeOfKeyHoldingTwoCodesIsAMisfit) {
    Open(CategoryText("Infantry", "I", 40, Soldier, {{"I3 Weapon", "RIFLE,LASER"}}));
    const ValueCheck check(workspace);
    EXPECT_EQ(Findings(check),
              Texts{"I3 Weapon=RIFLE,LASER: expected a code of Weapons; 39 of 40 Infantry entries have one"});
}

// The list line of a new entry, typed into its category's list, has the entry checked at once.
TEST_F(ValueCheckTest, AnEntryListedByAnEditOfItsListIsCheckedAtOnce) {
    Open(CategoryText("Infantry", "I", 20, Soldier) + "[NEWBIE]\nCost=12O\n" + NoPageKeys);
    LiveValueCheck live(workspace);
    ValueCheck watching(workspace);
    workspace.Doc().AddObserver(watching);
    EXPECT_EQ(Findings(live.Check()), Texts{});
    workspace.Doc().SetValue("Infantry", "21", "NEWBIE");
    const Texts expected{"NEWBIE Cost=12O: expected a whole number; 20 of 21 Infantry entries have one"};
    EXPECT_EQ(Findings(live.Check()), expected);
    EXPECT_EQ(Findings(watching), expected);
    workspace.Doc().Undo();
    EXPECT_EQ(Findings(live.Check()), Texts{});
    EXPECT_EQ(Findings(watching), Texts{});
    workspace.Doc().RemoveObserver(watching);
}

// Each rule a definition file may pin finds its fault, with the severity it has for the game; a
// code that names nothing is left to the check of references where the key names its sources.
TEST_F(ValueCheckTest, PinnedRulesFindTheirFaults) {
    std::map<std::string, std::string> soldier = Soldier;
    soldier["Spread"] = "1,2,%";
    Open(CategoryText("Infantry", "I", 40, soldier,
                      {{"I3 Sensors", "ye"}, {"I4 Cost", "9000"}, {"I5 Spread", "1, 2"}, {"I6 Spread", "1,x,3"},
                       {"I7 Aimed", "PLASMA"}, {"I8 Aimed", "NOTHING"}, {"I9 Sensors", ""}, {"I10 Weapon", "LASR"},
                       {"I11 Weapon", "RIFLE,LASER"}, {"I12 Cost", "-"}}) +
             "[PLASMA]\nDamage=3\n" + NoPageKeys,
         "[ValueKinds]\nCost=whole number 50..5000 ;a price\nSpread=3 whole number values\nAimed=listed\n"
         "Infantry=entries need Cost, Sensors\n");
    const ValueCheck check(workspace);
    EXPECT_EQ(check.Problems(), Texts{});
    EXPECT_EQ(Graded(check),
              (Texts{"likely wrong | I3 Sensors=ye: expected yes or no; 38 of 39 Infantry entries have one",
                     "likely wrong | I4 Cost=9000: expected a whole number from 50 to 5000 (pinned)",
                     "likely wrong | I5 Spread=1, 2: expected 3 whole number values (pinned); it has 2",
                     "likely wrong | I6 Spread=1,x,3: expected 3 whole number values (pinned); x is not a whole number",
                     "will crash | I7 Aimed=PLASMA: PLASMA is a section but no entry of Weapons",
                     "will crash | I9 Sensors=: Infantry entries need Sensors (pinned)",
                     "will crash | I10 Weapon=LASR: expected a code of Weapons; 38 of 40 Infantry entries have one",
                     "likely wrong | I11 Weapon=RIFLE,LASER: expected a code of Weapons; 38 of 40 Infantry entries have one",
                     "likely wrong | I12 Cost=-: expected a whole number (pinned); 39 of 40 Infantry entries have one"}));
    // The grid asks the same rules of a value being typed.
    EXPECT_EQ(check.Misfit("I1", "Cost", "+20"), "expected a whole number from 50 to 5000 (pinned)");
    EXPECT_EQ(check.Misfit("I1", "Spread", "4,5,6 ;wide"), std::nullopt);
}

TEST_F(ValueCheckTest, UnreadableRulesAreReportedAndLeftOut) {
    Open(CategoryText("Infantry", "I", 20, Soldier, {{"I4 Cost", "9000"}}),
         "[ValueKinds]\nCost=whole number 5..1\nSpread=three values\nRange=2 codes of Weapons values\n"
         "Sensors=yes/no 0..1\nNowhere=entries need Cost\nInfantry=entries need ,\nWeapon=listed\n"
         "Rate=decimal 0..x\n");
    const ValueCheck check(workspace);
    EXPECT_EQ(check.Problems(),
              (Texts{"[ValueKinds] Cost=whole number 5..1: no range 5..1",
                     "[ValueKinds] Spread=three values: expected a count, a plain kind and \"values\"",
                     "[ValueKinds] Range=2 codes of Weapons values: expected a count, a plain kind and \"values\"",
                     "[ValueKinds] Sensors=yes/no 0..1: a range needs a number kind",
                     "[ValueKinds] Nowhere=entries need Cost: no category Nowhere",
                     "[ValueKinds] Infantry=entries need ,: no keys named",
                     "[ValueKinds] Rate=decimal 0..x: no range 0..x",
                     "[ValueKinds] Weapon=listed: no page names a category as the source of its values"}));
    EXPECT_EQ(Findings(check), Texts{});
}

// A list length most of a key's lists share is learned like a kind; a key taken out of an entry of
// the game's own that nearly every entry has is a note, while a new entry may leave any key out.
TEST_F(ValueCheckTest, LearnedListLengthsAndKeysTakenOut) {
    std::map<std::string, std::string> soldier = Soldier;
    soldier["Spread"] = "1,2,%";
    const std::string original = CategoryText("Infantry", "I", 40, soldier);
    std::string document = CategoryText("Infantry", "I", 40, soldier, {{"I2 Spread", "1,2"}, {"I3 Sensors", ""}});
    document.insert(document.find("[I1]"), "41=NEWBIE\n");
    Open(document + "[NEWBIE]\nCost=50\n", {}, original);
    const ValueCheck check(workspace);
    EXPECT_EQ(Graded(check),
              (Texts{"likely wrong | I2 Spread=1,2: expected 3 items; 39 of 40 Infantry entries have 3",
                     "note | I3 Sensors=: Sensors is in 39 of 41 Infantry entries and in the default copy of this one"}));
    EXPECT_EQ(check.Learner().LearnedLength(0, "Cost").Items, 0U) << "a single value is no list";
}

// Value edits, undos and redos, counted again key by key, leave the learning as a fresh one: with a
// default copy whose values differ, and an entry that two categories list.
TEST_F(ValueCheckTest, TheCountsKeptUpByEditsEqualAFreshLearning) {
    std::string document = CategoryText("Infantry", "I", 20, Soldier) + CategoryText("Vehicles", "V", 8, Soldier);
    document.insert(document.find("[Vehicles]\n") + 11, "9=I1\n");
    document += "[PLASMA]\nDamage=3\n" + std::string(NoPageKeys);
    Open(document, "[ValueKinds]\nCost=whole number 0..150\nWeapon=2 values\nAimed=listed\nVehicles=entries need Aimed\n",
         CategoryText("Infantry", "I", 20, Soldier, {{"I2 Cost", "cheap"}, {"I3 Sensors", "ye"}}) +
             CategoryText("Vehicles", "V", 8, Soldier, {{"V1 Cost", "1.5"}}));
    ASSERT_GE(workspace.DefaultIni()->IndexOfSection("I2"), 0);
    ValueCheck kept(workspace);
    Document& doc = workspace.Doc();
    doc.AddObserver(kept);
    const Texts codes{"I1", "I2", "I3", "V1", "V2"};
    const Texts keys{"Cost", "Sensors", "Weapon", "Rate", "Aimed"};
    const Texts values{"5", "1.5", "cheap", "ye", "yes", "RIFLE", "RIFLE,LASER", "", "7%", "100", "500", "PLASMA", "1,2,3"};
    std::mt19937 dice(7);
    const auto any = [&dice](const Texts& texts) { return texts[dice() % texts.size()]; };
    for (int step = 0; step < 150; ++step) {
        const auto roll = dice() % 10;
        if (roll == 0 && doc.CanUndo())
            doc.Undo();
        else if (roll == 1 && doc.CanRedo())
            doc.Redo();
        else if (roll == 2)
            RemoveKeyLine(any(codes), any(keys));
        else
            doc.SetValue(any(codes), any(keys), any(values));
        const ValueCheck fresh(workspace);
        ASSERT_EQ(Graded(kept), Graded(fresh)) << "step " << step;
        for (size_t c = 0; c < fresh.Learner().Categories().size(); ++c)
            for (const std::string& key : keys) {
                const KindCount learned = kept.KindOf(c, key).Count;
                const KindCount again = fresh.KindOf(c, key).Count;
                ASSERT_EQ(KindText(learned.Kind), KindText(again.Kind)) << "step " << step << " " << c << " " << key;
                ASSERT_EQ(learned.Fit, again.Fit) << "step " << step << " " << c << " " << key;
                ASSERT_EQ(learned.Values, again.Values) << "step " << step << " " << c << " " << key;
            }
        for (const std::string& key : keys)
            ASSERT_EQ(kept.Learner().LearnedAcross(key).Values, fresh.Learner().LearnedAcross(key).Values)
                << "step " << step << " " << key;
    }
    doc.RemoveObserver(kept);
}

}  // namespace
}  // namespace velmora::testing
