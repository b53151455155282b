// SPDX-License-Identifier: GPL-3.0-or-later
// A definition file written from a document: which sections become lists and groups, their names,
// pages and value sources, and that the catalogue reads the file back as it was planned.

#include <algorithm>

#include "WorkspaceFixture.h"
#include "core/scaffold/DefinitionScaffold.h"
#include "core/store/IniError.h"
#include "core/store/IniStore.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

std::unique_ptr<IniStore> Store(const std::string& text) {
    auto store = std::make_unique<IniStore>(std::string());
    StringList lines;
    lines.Add(text);
    store->SetStrings(lines);
    return store;
}

DefinitionScaffold Scaffold(const std::string& text) {
    return ScaffoldDefinition(*Store(text), 4);
}

// "Name kind: entry,entry" per category.
Texts Categories(const DefinitionScaffold& scaffold) {
    Texts lines;
    for (const ScaffoldCategory& category : scaffold.Categories) {
        std::string line = category.Name + " " + std::to_string(category.Kind) + ":";
        for (size_t i = 0; i < category.Entries.size(); ++i) line += (i ? "," : " ") + category.Entries[i];
        lines.push_back(line);
    }
    return lines;
}

const ScaffoldCategory& CategoryNamed(const DefinitionScaffold& scaffold, const std::string& name) {
    auto found = std::find_if(scaffold.Categories.begin(), scaffold.Categories.end(),
                              [&name](const ScaffoldCategory& category) { return category.Name == name; });
    if (found == scaffold.Categories.end()) throw std::logic_error("no category " + name);
    return *found;
}

// The page line of `key` in a category, "" when no page has it.
std::string PageLine(const ScaffoldCategory& category, const std::string& key) {
    for (const ScaffoldPage& page : category.Pages)
        for (const std::string& line : page.Lines)
            if (line.compare(0, key.size() + 1, key + "=") == 0) return line;
    return {};
}

TEST(ScaffoldTest, AListSectionHasThreeLinesMostlyNumberedAndHalfNamingSections) {
    const DefinitionScaffold scaffold = Scaffold(
        "[Three]\n1=A\n2=B\n3=C\n"
        "[Two]\n1=A\n2=B\n"
        "[Numbered80]\n1=A\n2=B\n3=C\n4=D\nX=A\n"
        "[Numbered75]\n1=A\n2=B\n3=C\nX=A\n"
        "[Naming50]\n1=A\n2=none\n3=B ; comment\n4=nothing\n"
        "[Naming33]\n1=A\n2=none\n3=nothing\n"
        "[A]\nK=1\n[B]\nK=1\n[C]\nK=1\n[D]\nK=1\n");

    // Entries are the values that name sections, in list order, a name listed twice twice.
    EXPECT_EQ(Categories(scaffold), (Texts{"Three 0: A,B,C", "Numbered80 0: A,B,C,D,A", "Naming50 0: A,B"}));
    // The lists claim their sections and themselves; the other numbered sections are left over.
    EXPECT_EQ(scaffold.SectionCount, 10u);
    EXPECT_EQ(scaffold.UnknownCount, 3u);
}

TEST(ScaffoldTest, ReferencedSectionsAreGroupedByTheKeysThatNameThem) {
    const DefinitionScaffold scaffold = Scaffold(
        "[Unit1]\nPrimary=W1\nSecondary=W2\nProjectile=P1 ; note\nImage=Unit1\n"
        "[Unit2]\nPrimary=W2, W3\nDeathWeapon=W4\nKeyB=X3\n"
        "[Unit3]\nOccupyWeapon=W4,,W5\nKeyA=X1,X2,X3\nKeyB=X3,Y1,Y2\n"
        "[W1]\nDamage=1\n[W2]\nDamage=1\n[W3]\nDamage=1\n[W4]\nDamage=1\n[W5]\nDamage=1\n"
        "[P1]\nSpeed=1\n"
        "[X1]\nValue=1\n[X2]\nValue=1\n[X3]\nValue=1\n[Y1]\nValue=1\n[Y2]\nValue=1\n"
        "[Projectiles]\nNote=1\n"
        "[Short]\n1=S1\n2=S2\n"
        "[S1]\nSx=1\n[S2]\nSx=1\n");

    EXPECT_EQ(Categories(scaffold), (Texts{
                                        // Primary and Secondary share W2: one group, named after Primary.
                                        "Primaries 1: W1,W2,W3",
                                        // The last word two of its keys share, which is no key itself.
                                        "Weapons 1: W4,W5",
                                        // "Projectiles" is a section of the document.
                                        "Projectiles2 1: P1",
                                        // KeyA and KeyB share one of three: two groups; X3 goes
                                        // where it is named most often.
                                        "KeyAs 1: X1,X2",
                                        "KeyBs 1: X3,Y1,Y2",
                                        // A numbered section too short for a list names its lines.
                                        "Shorts 1: S1,S2",
                                    }));
    // Unit1's own Image names no other section; the units and the odd sections stay unknown.
    EXPECT_EQ(scaffold.UnknownCount, 5u);
}

TEST(ScaffoldTest, PagesHoldTheMostUsedKeysFirstTwentyFiveEachUnderFreeNames) {
    std::string document = "[List]\n1=E1\n2=E2\n3=E3\n[List1]\nOther=1\n[E1]\n";
    for (int k = 1; k <= 25; ++k) document += "K" + std::to_string(100 + k) + "=v" + std::to_string(k) + "\n";
    document += "Twice=x\nMost=7\n";
    document += "[E2]\nMost=5\nmost=9\nTwice=y\n[E3]\nMost=5\nTilde=a~b\n";
    const DefinitionScaffold scaffold = Scaffold(document);

    const ScaffoldCategory& list = CategoryNamed(scaffold, "List");
    ASSERT_EQ(list.Pages.size(), 2u);
    // [List1] is a section of the document.
    EXPECT_EQ(list.Pages[0].Name, "List2");
    EXPECT_EQ(list.Pages[1].Name, "List3");
    ASSERT_EQ(list.Pages[0].Lines.size(), 25u);
    EXPECT_EQ(list.Pages[0].Lines[0], "Most=used by 3 of 3; e.g. 5");
    EXPECT_EQ(list.Pages[0].Lines[1], "Twice=used by 2 of 3; e.g. x");
    EXPECT_EQ(list.Pages[0].Lines[2], "K101=used by 1 of 3; e.g. v1");
    EXPECT_EQ(list.Pages[1].Lines, (Texts{"K124=used by 1 of 3; e.g. v24", "K125=used by 1 of 3; e.g. v25",
                                          "Tilde=used by 1 of 3"}));
}

TEST(ScaffoldTest, KeysWhoseItemsNameEntriesGetTheirCategoriesAsValueSources) {
    const DefinitionScaffold scaffold = Scaffold(
        "[Units]\n1=U1\n2=U2\n3=U3\n4=U4\n5=U5\n6=U6\n7=U7\n8=U8\n9=U9\n10=U10\n"
        "[U1]\nWeapon=W1\nGun=W1\nPistol=W1\nTwo=W1\nMixed=W1,U2\n"
        "[U2]\nWeapon=W2\nGun=W2\nPistol=W2\nTwo=W2\nMixed=U3\n"
        "[U3]\nWeapon=W3\nGun=W3\nPistol=W3\nTwo=W1\nMixed=W2\n"
        "[U4]\nWeapon=W1\nGun=W1\nPistol=W1\nTwo=W2\n"
        "[U5]\nWeapon=W2\nGun=W2\nPistol=W2\nTwo=W1\n"
        "[U6]\nWeapon=W3\nGun=W3\nPistol=W3\nTwo=W2\n"
        "[U7]\nWeapon=W1\nGun=W1\nPistol=W1\nTwo=W1\n"
        "[U8]\nWeapon=W2\nGun=W2\nPistol=W2\nTwo=W2\n"
        "[U9]\nWeapon=W3\nGun=W3\nPistol=none\nTwo=W1\n"
        "[U10]\nWeapon=W1\nGun=none\nPistol=none\nTwo=W2\n"
        "[W1]\nDamage=1\n[W2]\nDamage=2\n[W3]\nDamage=3\n");

    EXPECT_EQ(Categories(scaffold),
              (Texts{"Units 0: U1,U2,U3,U4,U5,U6,U7,U8,U9,U10", "Weapons 1: W1,W2,W3"}));
    const ScaffoldCategory& units = CategoryNamed(scaffold, "Units");
    EXPECT_EQ(PageLine(units, "Weapon"), "Weapon=used by 10 of 10; e.g. W1 ~@Weapons@~");
    EXPECT_EQ(PageLine(units, "Gun"), "Gun=used by 10 of 10; e.g. W1 ~@Weapons@~");  // 9 of 10 items
    EXPECT_EQ(PageLine(units, "Pistol"), "Pistol=used by 10 of 10; e.g. W1");        // 8 of 10
    EXPECT_EQ(PageLine(units, "Two"), "Two=used by 10 of 10; e.g. W1");              // two codes only
    EXPECT_EQ(PageLine(units, "Mixed"), "Mixed=used by 3 of 10; e.g. W1,U2 ~@Units,Weapons@~");
}

TEST(ScaffoldTest, KeysWhoseValuesNameAnotherKindsSectionsGetThatKindAsTheirSource) {
    std::string units = "[Units]\n";
    std::string sections;
    for (int i = 1; i <= 20; ++i) {
        const std::string code = "U" + std::to_string(i);
        units += std::to_string(i) + "=" + code + "\n";
        // Art names: the unit's own code for most, none for one, a typo for one; a voice for every
        // fourth; a few plain words that happen to be art sections.
        const std::string image = i == 7 ? "none" : i == 9 ? "U9ART" : code;
        sections += "[" + code + "]\nImage=" + image + "\nCost=" + std::to_string(i * 10) + "\n";
        if (i % 4 == 0) sections += "Voice=V" + std::to_string(i) + "\n";
        sections += std::string("Move=") + (i % 3 == 0 ? "fly" : "walk") + "\n";
    }
    const std::unique_ptr<IniStore> rules = Store(units + sections);
    std::string artText = "[fly]\nFrames=2\n";
    for (int i = 1; i <= 20; ++i) artText += "[U" + std::to_string(i) + "]\nFrames=1\n";
    const std::unique_ptr<IniStore> art = Store(artText);
    std::string soundText;
    for (int i = 4; i <= 20; i += 4) soundText += "[V" + std::to_string(i) + "]\nVolume=80\n";
    const std::unique_ptr<IniStore> sound = Store(soundText);

    const DefinitionScaffold scaffold = ScaffoldDefinition(*rules, 4, {{"Art", art.get()}, {"Sound", sound.get()}});
    const ScaffoldCategory& category = CategoryNamed(scaffold, "Units");
    // 18 of 19 codes are art sections: 95% of 20 values with the "none".
    EXPECT_EQ(PageLine(category, "Image"), "Image=used by 20 of 20; e.g. U1 ~@Art:*@~");
    EXPECT_EQ(PageLine(category, "Voice"), "Voice=used by 5 of 20; e.g. V4 ~@Sound:*@~");
    EXPECT_EQ(PageLine(category, "Move"), "Move=used by 20 of 20; e.g. walk");  // 6 of 20 only
    EXPECT_EQ(PageLine(category, "Cost"), "Cost=used by 20 of 20; e.g. 10");
    // Alone, the document can only take the art's names for its own units of the same codes.
    EXPECT_EQ(PageLine(CategoryNamed(Scaffold(units + sections), "Units"), "Image"),
              "Image=used by 20 of 20; e.g. U1 ~@Units@~");
}

TEST(ScaffoldTest, TheSameDocumentGivesTheSameBytes) {
    const std::string document =
        "[Infantry]\n1=GI\n2=E1\n3=DOG\n"
        "[GI]\nName=G.I.\nPrimary=M60\nB=X1\n"
        "[E1]\nName=Conscript\nPrimary=Jaws\nA=X1,X2\n"
        "[DOG]\nPrimary=Bite\nC=X2\n"
        "[M60]\nDamage=1\n[Jaws]\nDamage=2\n[Bite]\nDamage=3\n[X1]\nZ=1\n[X2]\nZ=2\n";
    const std::string first = DefinitionText(ScaffoldDefinition(*Store(document), 4), StringList());
    const std::string second = DefinitionText(ScaffoldDefinition(*Store(document), 4), StringList());
    EXPECT_EQ(first, second);
    EXPECT_NE(first.find("[AllSections]\r\nInfantry=0,Infantry1\r\nPrimaries=1,Primaries1\r\n"),
              std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Read back by the catalogue

class ScaffoldReadBackTest : public WorkspaceFixture {};

TEST_F(ScaffoldReadBackTest, TheCatalogueClaimsTheSectionsAsPlanned) {
    const std::string document =
        "[General]\nSpeed=5\n"
        "[Infantry]\n1=GI\n2=E1\n3=DOG\n"
        "[GI]\nName=G.I.\nCost=200\nPrimary=M60\n"
        "[E1]\nName=Conscript\nCost=100\nPrimary=M60\n"
        "[DOG]\nName=Dog\nCost=200\nPrimary=Jaws\n"
        "[M60]\nDamage=15\nRange=5\nProjectile=Invisible\n"
        "[Jaws]\nDamage=100\nRange=1\nProjectile=Invisible\n"
        "[Invisible]\nArm=1\n"
        "[Spy]\nName=Spy\nCost=500\n"      // shaped like an infantry, which the game does not list
        "[Sniper]\nDamage=150\nRange=9\n"  // shaped like a weapon, which nothing names
        "[M60]\nDamage=20\n";              // a later section of a name, which no lookup reaches
    Write("Rules.INI", document);
    Write("Velmedit.ini", "[GeneralSetup]\nVariantAllowed=4\n");
    auto store = Store(document);
    const DefinitionScaffold scaffold = ScaffoldDefinition(*store, 4);
    WriteDefinitionFile(scaffold, folder.File("Rules.001"));
    EXPECT_EQ(scaffold.UnknownListed, (Texts{"Spy", "M60"}));
    EXPECT_EQ(scaffold.UnknownCount, 3u);

    // The untitled document of the start is the default copy, so the catalogue is this document's.
    Start();
    EXPECT_EQ(workspace.CategoryRows(), (Texts{"Infantry", "Primaries", "Projectiles", "Unknown!"}));
    EXPECT_EQ(Entries(0, "Infantry"), (Texts{"GI", "E1", "DOG"}));
    EXPECT_EQ(Entries(1, "Primaries"), (Texts{"M60", "Jaws", "Sniper"}));
    EXPECT_EQ(Entries(1, "Projectiles"), (Texts{"Invisible"}));
    EXPECT_EQ(Entries(1, "Unknown!"), (Texts{"Spy", "M60", "General"}));
    EXPECT_TRUE(boxes.TextsOf(BoxKind::Warning).empty());
}

TEST_F(ScaffoldReadBackTest, ANewDefinitionKeepsTheOldFileAndItsSettingsButTheTolerance) {
    const std::string old =
        "[GeneralSetup]\nTitle=My rules\nVariantAllowed=9\n[AllSections]\nOld=1,OldPage\n";
    Write("Rules.001", old);
    Write("Rules.INI", "[List]\n1=A\n2=B\n3=C\n[A]\nK=1\n[B]\nK=1\n[C]\nK=1\n");
    // The start does not rewrite the old file: an existing one is updated only when asked to.
    Write("Velmedit.ini", "[GeneralSetup]\nVariantAllowed=2\nUpdateUnknown001=0\n");
    Start();
    EXPECT_EQ(globals.VariantAllowed, 9);
    globals.VariantAllowed = 3;

    ReplaceDefinitionFile(workspace);
    EXPECT_EQ(Read("Rules.001.BAK"), old);
    const std::string written = Read("Rules.001");
    EXPECT_NE(
        written.find(
            "[GeneralSetup]\r\nTitle=My rules\r\nVariantAllowed=3\r\n\r\n[AllSections]\r\nList=0,List1\r\n"),
        std::string::npos);

    // A backup that cannot be written leaves the definition file as it was.
    const std::string before = Read("Rules.001");
    std::filesystem::remove(folder.Path() / "Rules.001.BAK");
    std::filesystem::create_directory(folder.Path() / "Rules.001.BAK");
    EXPECT_THROW(ReplaceDefinitionFile(workspace), IniError);
    EXPECT_EQ(Read("Rules.001"), before);
}

}  // namespace
}  // namespace velmora::testing
