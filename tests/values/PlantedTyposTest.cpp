// SPDX-License-Identifier: GPL-3.0-or-later
// Typos a modder makes, planted through the document a dozen of each kind, in the sample
// installation and in the generated rules document: the value check finds every spoilt number
// and yes/no, the check of references every misspelt code.
#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "RulesGenerator.h"
#include "WorkspaceFixture.h"
#include "core/values/ValueCheck.h"
#include "core/references/References.h"
#include "core/store/Routines.h"
#include "core/catalogue/ValueRules.h"
#include "support/SourceFolder.h"

namespace velmora::testing {
namespace {

constexpr size_t Dozen = 12;

struct Planted {
    std::string category;
    std::string code;
    std::string key;
    std::string typo;
    // A learned kind's counts, which take one typo only: "CATEGORY KEY", or "KEY" for a kind
    // learned from all categories. Empty for a pinned kind.
    std::string counts;
};

std::string LetterInNumber(std::string value) {
    value.back() = 'O';
    return value;
}
std::string DoubledPoint(std::string value) {
    const size_t point = value.find('.');
    return point == std::string::npos ? value + "..5" : value.insert(point, ".");
}
std::string BrokenYesNo(const std::string& value) { return value.substr(0, value.size() - 1); }  // "ye", "n", "tru"

class PlantedTyposTest : public WorkspaceFixture {
protected:
    // Opens `document` in the program folder, watched by the value check.
    void Open(const std::string& document) {
        Start();
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File(document), false);
        check = std::make_unique<ValueCheck>(workspace);
        workspace.Doc().AddObserver(*check);
    }
    void TearDown() override {
        if (check) workspace.Doc().RemoveObserver(*check);
    }

    std::string ValueOf(const std::string& code, const std::string& key) const {
        return std::string(ComparableValue(workspace.Doc().Store().ReadString(code, key, "")));
    }

    // Typos in values of keys of one of `kinds`, taken in turn from every category. A learned kind
    // takes one typo per category, and only where its values all fit and are enough for one typo
    // to stay within the 5% a kind allows; a pinned kind takes any number.
    std::vector<Planted> Choose(const std::vector<KindOf>& kinds, const std::function<std::string(std::string)>& typo) {
        std::vector<std::vector<Planted>> perCategory;
        const KindLearner& learner = check->Learner();
        for (size_t c = 0; c < learner.Categories().size(); ++c) {
            std::vector<Planted>& choices = perCategory.emplace_back();
            const std::string& category = learner.Categories()[c].Name;
            for (const KeyKind& kind : check->KindsOf(c)) {
                const KindCount& count = kind.Count;
                if (std::find(kinds.begin(), kinds.end(), count.Kind.Of) == kinds.end()) continue;
                if (!kind.Pinned && (count.Fit != count.Values || count.Values < 20)) continue;
                for (const std::string& code : learner.Categories()[c].Entries) {
                    const std::string value = ValueOf(code, kind.Key);
                    if (value.empty() || !FitsPlainKind(count.Kind.Of, value)) continue;
                    const std::string counts =
                        kind.Pinned ? "" : count.AcrossCategories ? FoldCase(kind.Key) : category + " " + FoldCase(kind.Key);
                    choices.push_back({category, code, kind.Key, typo(value), counts});
                    if (!kind.Pinned) break;
                }
            }
        }
        return RoundRobin(perCategory);
    }

    // Misspelt codes in reference keys, taken in turn from every category.
    std::vector<Planted> ChooseCodes() {
        std::vector<std::vector<Planted>> perCategory;
        for (size_t row = 0; row < workspace.CategoryRows().size(); ++row) {
            std::vector<Planted>& choices = perCategory.emplace_back();
            StringList entries;
            workspace.GetReadSectionValuesOnly(workspace.CategoryKinds()[row], workspace.CategoryRows()[row],
                                               entries);
            for (const ReferenceKey& key : ReferenceKeysOf(workspace, row))
                for (const StringItem& entry : entries) {
                    const std::vector<std::string> items = ValueItems(ValueOf(entry.text, key.Key));
                    if (items.empty()) continue;
                    choices.push_back(
                        {workspace.CategoryRows()[row], entry.text, key.Key, items.front() + "Q", {}});
                }
        }
        return RoundRobin(perCategory);
    }

    // The choices taken in turn from every category.
    static std::vector<Planted> RoundRobin(const std::vector<std::vector<Planted>>& perCategory) {
        std::vector<Planted> inTurn;
        for (size_t turn = 0, taken = 1; taken > 0; ++turn) {
            taken = 0;
            for (const auto& choices : perCategory)
                if (turn < choices.size()) {
                    inTurn.push_back(choices[turn]);
                    ++taken;
                }
        }
        return inTurn;
    }

    // Makes the first dozen of the choices through the document, each value spoilt once. A typo
    // that would turn its key's learned kind into text (the default copy's own odd values may
    // leave a kind too little room) is undone and the next choice taken.
    std::vector<Planted> Plant(const std::vector<Planted>& choices) {
        std::vector<Planted> planted;
        for (const Planted& p : choices) {
            if (planted.size() == Dozen) break;
            const std::string value = FoldCase(p.code + " " + p.key);
            if (m_spoiltValues.count(value) != 0 || (!p.counts.empty() && m_spoiltKeys.count(p.counts) != 0)) continue;
            workspace.Doc().SetValue(p.code, p.key, p.typo, p.category);
            if (!p.counts.empty()) {
                const size_t category = static_cast<size_t>(check->Learner().CategoryIndex(p.category));
                if (check->KindOf(category, p.key).Count.Kind.Of == KindOf::Text) {
                    workspace.Doc().Undo();
                    continue;
                }
                m_spoiltKeys.insert(p.counts);
            }
            m_spoiltValues.insert(value);
            planted.push_back(p);
        }
        EXPECT_EQ(planted.size(), Dozen);
        return planted;
    }

    // Plants a dozen typos of every kind and checks that each is found by the check that owns it.
    void PlantAndFindAll() {
        const std::vector<Planted> values[] = {
            Plant(Choose({KindOf::WholeNumber}, LetterInNumber)),
            Plant(Choose({KindOf::WholeNumber, KindOf::Decimal}, DoubledPoint)),
            Plant(Choose({KindOf::YesNo}, BrokenYesNo)),
        };
        const std::vector<Planted> codes = Plant(ChooseCodes());

        std::set<std::string> foundValues;
        for (const ValueFinding& finding : check->Findings()) foundValues.insert(finding.SectionName + " " + finding.Key);
        std::set<std::string> foundCodes;
        for (const DanglingItem& item : FindDanglingItems(workspace)) foundCodes.insert(item.SectionName + " " + item.Key);
        for (const auto& planted : values)
            for (const Planted& p : planted)
                EXPECT_EQ(foundValues.count(p.code + " " + p.key), 1U) << p.code << " " << p.key << "=" << p.typo;
        for (const Planted& p : codes)
            EXPECT_EQ(foundCodes.count(p.code + " " + p.key), 1U) << p.code << " " << p.key << "=" << p.typo;
        EXPECT_EQ(foundValues.size(), 3 * Dozen) << "only the planted values are found";
    }

    std::unique_ptr<ValueCheck> check;

private:
    std::set<std::string> m_spoiltValues;  // "CODE KEY", one typo each
    std::set<std::string> m_spoiltKeys;    // the counts of learned kinds that took a typo
};

TEST_F(PlantedTyposTest, AllFoundInTheSample) {
    folder.CopyTree(SourceFolder("samples"));
    Open("Rules.INI");
    EXPECT_EQ(check->Findings().size(), 0U) << "the pristine sample";
    PlantAndFindAll();
}

// The sample's definition file pins rules that its pristine rules keep; a fault planted against
// each is found, at its entry and key, with the severity it has for the game.
TEST_F(PlantedTyposTest, PinnedRulesOfTheSampleFindTheirFaults) {
    folder.CopyTree(SourceFolder("samples"));
    Open("Rules.INI");
    EXPECT_EQ(check->Problems(), std::vector<std::string>{});
    ASSERT_EQ(check->Findings().size(), 0U) << "the pristine sample";
    const std::vector<std::vector<std::string>> faults = {
        {"GRUNT", "Primary", "SMALLARM"},               // a warhead where a weapon is listed
        {"TANKL", "TechTier", "-2"},                    // below the range
        {"RIFLE", "Warhead", "BULLET"},                 // a projectile where a warhead is listed
        {"TORCHJET", "Projectile", ""},                 // a needed key left empty
        {"SCORCH", "ArmorPercent", "100,150,120,50,30,70"},  // an armor class short
        {"BLAST", "EdgeDamage", "1.5"},                 // above the range
    };
    for (const auto& fault : faults) workspace.Doc().SetValue(fault[0], fault[1], fault[2]);
    std::vector<std::string> found;
    for (const ValueFinding& finding : check->Findings())
        found.push_back(std::string(SeverityText(finding.Severity)) + " " + finding.SectionName + " " + finding.Key);
    EXPECT_EQ(found, (std::vector<std::string>{"will crash GRUNT Primary", "likely wrong TANKL TechTier",
                                               "will crash RIFLE Warhead", "will crash TORCHJET Projectile",
                                               "likely wrong SCORCH ArmorPercent", "likely wrong BLAST EdgeDamage"}));
}

TEST_F(PlantedTyposTest, AllFoundInTheGeneratedDocument) {
    const bench::RulesGenerator generator;
    Write("Mod.ini", generator.RulesText());
    Write("Rules.001", generator.DefinitionText());
    Write("Rules.INI", generator.DefaultText());
    Write("Velmedit.ini", "[GeneralSetup]\r\nUpdateUnknown001=0\r\nCheckDoubleSection=0\r\n\r\n[FilesToEdit]\r\nRules.ini=1\r\n");
    Open("Mod.ini");
    PlantAndFindAll();
}

}  // namespace
}  // namespace velmora::testing
