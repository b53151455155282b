// SPDX-License-Identifier: GPL-3.0-or-later
// Building the catalogue of a document: claims by list and by fitting keys, new list numbers,
// the duplicate warning, and the unknown-section pass with the definition file it writes.

#include "WorkspaceFixture.h"
#include "core/store/Routines.h"
#include "core/store/IniError.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

const std::string CatalogueSep(1, DirSeparator());

class CatalogueTest : public WorkspaceFixture {
protected:
    // Starts on an empty untitled document, then loads `text` as the document, as Open does.
    void StartAndOpen(const std::string& text) {
        Start();
        Write("doc.ini", text);
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    }
    // Starts with `text` as the default copy, so the untitled document of the start holds it. (A
    // document without the sections a list names drops those lines, so lists are tested here.)
    void StartWithDefault(const std::string& text) {
        Write("Rules.INI", text);
        Start();
    }
};

// ---------------------------------------------------------------------------------------------
// Fitting

constexpr const char* InfantryDefinition =
    "[AllSections]\n"
    "Infantry=0,InfGeneral,InfWeapons\n"
    "Soldiers=1,InfGeneral\n"
    "Big=1,BigPage\n"
    "[InfGeneral]\nName=the unit's name\nCost=credits\n"
    "[InfWeapons]\nPrimary=\nSecondary=\n";

std::string BigPage() {
    std::string page = "[BigPage]\n";
    for (int i = 1; i <= 20; ++i) page += "K" + std::to_string(i) + "=\n";
    return page;
}

std::string Section(const std::string& name, int known, int foreign) {
    std::string text = "[" + name + "]\n";
    for (int i = 1; i <= known; ++i) text += "K" + std::to_string(i) + "=1\n";
    for (int i = 1; i <= foreign; ++i) text += "Foreign" + std::to_string(i) + "=1\n";
    return text;
}

TEST_F(CatalogueTest, SectionsJoinTheFirstCategoryTheyFitWithinTheTolerance) {
    Write("Rules.001", std::string(InfantryDefinition) + BigPage());
    StartAndOpen(
        "[FITS]\nName=Rifle\nCost=100\nPrimary=M16\nImage=gi\n"     // one foreign key, three known
        "[THREEFOREIGN]\nName=x\nA1=\nA2=\nA3=\n"                  // three foreign, one known
        "[BOTH]\nName=y\nCost=5\n"                                   // fits Infantry and Soldiers
        + Section("SIXOFTWENTYSIX", 20, 6) + Section("FOUROFTWENTYFOUR", 20, 4) +
        "[EMPTY]\n");

    EXPECT_EQ(DefinitionLines("Infantry"), (Texts{"1=FITS", "2=BOTH"}));
    EXPECT_EQ(DefinitionLines("Soldiers"), Texts{});
    EXPECT_EQ(DefinitionLines("Big"), Texts{"1=FOUROFTWENTYFOUR"});
    EXPECT_EQ(Unclaimed(), (Texts{"THREEFOREIGN", "SIXOFTWENTYSIX", "EMPTY"}));
    EXPECT_FALSE(workspace.Doc().Modified());
    EXPECT_FALSE(globals.UnknownSelected);
    EXPECT_EQ(workspace.Doc().FileName(), folder.File("doc.ini"));
}

// ---------------------------------------------------------------------------------------------
// Duplicates

constexpr const char* TankDefinition =
    "[AllSections]\nTanks=1,TankPage\n"
    "[TankPage]\nName=\nSpeed=\n"
    "[Tanks]\n1=E1\n2=E2\n";

constexpr const char* TwoOfEach =
    "[E1]\nName=first\nSpeed=1\n"
    "[E2]\nName=first\nSpeed=1\n"
    "[E1]\nName=second\nSpeed=2\n"
    "[E2]\nName=second\nSpeed=2\n";

TEST_F(CatalogueTest, ASecondCopyOfAListedSectionWarnsAndIgnoreSilencesTheRest) {
    Write("Rules.001", TankDefinition);
    boxes.EnqueueAnswer(BoxAnswer::Ignore);
    StartWithDefault(TwoOfEach);

    EXPECT_EQ(boxes.TextsOf(BoxKind::Warning),
              Texts{"E1 in Tanks reveals more than once. Only one can be processed."});
    EXPECT_EQ(boxes.Shown().back().buttons, (Texts{"OK", "&Ignore"}));
    EXPECT_FALSE(globals.CheckDoubleSection);
    // Both copies are listed, each under its own number.
    EXPECT_EQ(DefinitionLines("Tanks"), (Texts{"1=E1", "2=E2", "3=E1", "4=E2"}));
    EXPECT_TRUE(Unclaimed().empty());

    // The next file-type load warns again.
    boxes.EnqueueAnswer(BoxAnswer::Ok);
    boxes.EnqueueAnswer(BoxAnswer::Ok);
    workspace.BeginToLoadNONBASIC();
    EXPECT_EQ(boxes.TextsOf(BoxKind::Warning).size(), 3u);
    EXPECT_TRUE(globals.CheckDoubleSection);
}

TEST_F(CatalogueTest, AnsweringOkKeepsWarningForEachCopy) {
    Write("Rules.001", TankDefinition);
    boxes.EnqueueAnswer(BoxAnswer::Ok);
    boxes.EnqueueAnswer(BoxAnswer::Ok);
    StartWithDefault(TwoOfEach);

    EXPECT_EQ(boxes.TextsOf(BoxKind::Warning).size(), 2u);
    EXPECT_TRUE(globals.CheckDoubleSection);
    EXPECT_EQ(boxes.PendingAnswers(), 0u);
}

TEST_F(CatalogueTest, NoWarningWhenCheckDoubleSectionIsOff) {
    Write("Velmedit.ini", "[GeneralSetup]\nCheckDoubleSection=0\n");
    Write("Rules.001", TankDefinition);
    StartWithDefault(TwoOfEach);
    EXPECT_TRUE(boxes.TextsOf(BoxKind::Warning).empty());
    EXPECT_EQ(DefinitionLines("Tanks").size(), 4u);
}

// ---------------------------------------------------------------------------------------------
// List sections and numbering

TEST_F(CatalogueTest, KindZeroNumbersContinueAboveTheDocumentsOwnList) {
    Write("Rules.001",
          "[AllSections]\nInfantryTypes=0,InfPage\n"
          "[InfPage]\nName=\nCost=\n");
    std::string document = "[InfantryTypes]\n";
    for (int i = 1; i <= 12; ++i) document += std::to_string(i) + "=I" + std::to_string(i) + "\n";
    for (int i = 1; i <= 12; ++i) document += "[I" + std::to_string(i) + "]\nOwnKey=1\n";
    document += "[NEWA]\nName=a\nCost=1\n[NEWB]\nName=b\n";
    StartAndOpen(document);

    EXPECT_EQ(DefinitionLines("InfantryTypes"), (Texts{"13=NEWA", "14=NEWB"}));
    EXPECT_EQ(workspace.HighestListNumber(0, "InfantryTypes"), 14);
    Texts entries = Entries(0, "InfantryTypes");
    ASSERT_EQ(entries.size(), 14u);
    EXPECT_EQ(entries.front(), "I1");
    EXPECT_EQ(entries.back(), "NEWB");
    // The list section and every section it names are claimed by the category.
    EXPECT_TRUE(Unclaimed().empty());
}

TEST_F(CatalogueTest, KindZeroListLinesOfEarlierLoadsClaimTheirSectionsAgain) {
    Write("Rules.001",
          "[AllSections]\nInfantryTypes=0,InfPage\n"
          "[InfPage]\nName=\nCost=\n");
    const std::string document =
        "[InfantryTypes]\n1=I1\n[I1]\nName=i\n[NEWA]\nName=a\nCost=1\n[X]\nq=1\n";
    Write("Rules.INI", document);
    Write("doc.ini", document);
    Start();
    const std::string written = Read("Rules.001");
    ASSERT_NE(written.find("[InfantryTypes]\r\n2=NEWA\r\n"), std::string::npos) << written;

    // Later starts and the same document opened twice find nothing new and warn of nothing.
    Globals again;
    Workspace second(again, boxes, &view);
    second.StartUp(folder.Dir());
    for (int load = 0; load < 2; ++load) {
        second.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
        second.SelectUnknown();
    }
    EXPECT_TRUE(boxes.TextsOf(BoxKind::Warning).empty());
    EXPECT_EQ(boxes.TextsOf(BoxKind::Notice).size(), 1u);  // the first start's only
    EXPECT_EQ(Read("Rules.001"), written);
    StringList entries;
    second.GetReadSectionValuesOnly(0, "InfantryTypes", entries);
    EXPECT_EQ(entries.Texts(), (Texts{"I1", "NEWA"}));
}

TEST_F(CatalogueTest, ListLinesOfSectionsADocumentLacksStayInTheFileButOutOfItsViews) {
    const std::string definition =
        "[AllSections]\nTanks=1,TankPage\n"
        "[TankPage]\nName=\n"
        "[Tanks]\n1=HTNK\n7=GONE ; hand-kept\n8=HTNK\n9=htnk\n"
        "[Unknown!]\n1=OLD\n2=ALSOGONE\n";
    Write("Rules.001", definition);
    StartWithDefault("[HTNK]\nName=Heavy\n[GONE]\nName=g\n[OLD]\nq=1\n[ALSOGONE]\nq=1\n");
    EXPECT_EQ(Entries(1, "Tanks"), (Texts{"HTNK", "GONE", "HTNK"}));

    // A modder's partial file: only some of the sections, and two new ones.
    Write("part.ini", "[HTNK]\nName=Heavier\n[T2]\nName=t\n[NEWU]\nq=1\n");
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("part.ini"), false);
    workspace.SelectUnknown();
    // Names in a list match exactly: 9=htnk is not HTNK's line. 8=HTNK stays, its section is only claimed.
    EXPECT_EQ(Entries(1, "Tanks"), (Texts{"HTNK", "HTNK", "T2"}));
    EXPECT_EQ(Entries(1, "Unknown!"), Texts{"NEWU"});
    EXPECT_EQ(Read("Rules.001"),
              "[AllSections]\r\nTanks=1,TankPage\r\nUnknown!=1,TheUnknown!\r\n"
              "[TankPage]\r\nName=\r\n"
              "[Tanks]\r\n1=HTNK\r\n7=GONE ; hand-kept\r\n8=HTNK\r\n9=htnk\r\n10=T2\r\n"
              "[Unknown!]\r\n1=OLD\r\n2=ALSOGONE\r\n3=NEWU\r\n"
              "\r\n[GeneralSetup]\r\nTitle=VELMORA EDIT\r\nBitmapDir=Bitmap" + CatalogueSep + "\r\n"
              "Bitmap1File=Bitmap1.bmp\r\nBitmap2File=Bitmap2.bmp\r\nVariantAllowed=4\r\nNumberOfMain=2\r\n");

    // The next document sees the lines again.
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer("Untitle.ini", true);
    EXPECT_EQ(Entries(1, "Tanks"), (Texts{"HTNK", "GONE", "HTNK"}));
    EXPECT_EQ(Entries(1, "Unknown!"), (Texts{"OLD", "ALSOGONE"}));
}

TEST_F(CatalogueTest, TwoListLinesOfOneNumberEachNameTheirOwnSection) {
    Write("Rules.001", "[AllSections]\nTanks=1,TankPage\n[Tanks]\n1=GONE\n1=B\n");
    StartWithDefault("[B]\nName=b\n[X]\nq=1\n");
    EXPECT_EQ(Entries(1, "Tanks"), Texts{"B"});
    EXPECT_EQ(Entries(1, "Unknown!"), Texts{"X"});
    EXPECT_NE(Read("Rules.001").find("[Tanks]\r\n1=GONE\r\n1=B\r\n"), std::string::npos);
}

TEST_F(CatalogueTest, ListNumbersPastThe32BitEdgeCountOnAndNeverOverwriteALine) {
    Write("Rules.001",
          "[AllSections]\nTanks=1,TankPage\n"
          "[TankPage]\nName=\n"
          "[Tanks]\n99999999999=A\n"
          "[Unknown!]\n2147483646=U\n");
    StartWithDefault("[A]\nName=a\n[B]\nName=b\n[C]\nName=c\n[U]\nx=1\n[V]\nx=1\n[W]\nx=1\n");
    EXPECT_EQ(DefinitionLines("Tanks"), (Texts{"99999999999=A", "100000000000=B", "100000000001=C"}));
    EXPECT_EQ(DefinitionLines("Unknown!"), (Texts{"2147483646=U", "2147483647=V", "2147483648=W"}));
    EXPECT_EQ(workspace.HighestListNumber(1, "Tanks"), 100000000001);

    // A later start reads the numbers it wrote and goes on above them.
    Write("Rules.INI", "[A]\nName=a\n[B]\nName=b\n[C]\nName=c\n[U]\nx=1\n[V]\nx=1\n[W]\nx=1\n[Z]\nx=1\n");
    Start();
    EXPECT_EQ(DefinitionLines("Unknown!"), (Texts{"2147483646=U", "2147483647=V", "2147483648=W", "2147483649=Z"}));
    EXPECT_EQ(Entries(1, "Unknown!"), (Texts{"U", "V", "W", "Z"}));
}

// ---------------------------------------------------------------------------------------------
// The unknown-section pass

TEST_F(CatalogueTest, AFreshDefinitionFileListsUnknownThenSettingsThenCategories) {
    Write("Rules.INI", "[A]\nx=1\n[B]\ny=2\n[A]\nz=3\n");
    Start();

    EXPECT_EQ(boxes.TextsOf(BoxKind::Notice),
              Texts{"Rules.001 not exist or will be updated.\r\nUpdating will perform."});
    EXPECT_EQ(boxes.Shown().front().caption, "VelmoraEdit");
    EXPECT_EQ(Read("Rules.001"),
              "\r\n[Unknown!]\r\n1=A\r\n2=B\r\n3=A\r\n"
              "\r\n[GeneralSetup]\r\nTitle=VELMORA EDIT\r\nBitmapDir=Bitmap" + CatalogueSep + "\r\n"
              "Bitmap1File=Bitmap1.bmp\r\nBitmap2File=Bitmap2.bmp\r\nVariantAllowed=4\r\nNumberOfMain=1\r\n"
              "\r\n[AllSections]\r\nUnknown!=1,TheUnknown!\r\n");
    EXPECT_TRUE(globals.UnknownSelected);
    EXPECT_EQ(Entries(1, "Unknown!"), (Texts{"A", "B", "A"}));
}

TEST_F(CatalogueTest, AnExistingDefinitionFileKeepsItsTextAndGainsTheNewLines) {
    Write("Rules.001",
          "; categories of the rules file\n"
          "[AllSections]\n"
          "Tanks=1,TankPage ; vehicles\n"
          "\n; what a tank has\n"
          "[TankPage]\nName=its name\n"
          "[Unknown!]\n1=OLD\n2=GONE\n");
    Write("Rules.INI", "[OLD]\nq=1\n[NEW]\nq=2\n[T1]\nName=t\n");
    Start();

    EXPECT_EQ(Read("Rules.001"),
              "; categories of the rules file\r\n"
              "[AllSections]\r\n"
              "Tanks=1,TankPage ; vehicles\r\n"
              "Unknown!=1,TheUnknown!\r\n"
              "\r\n; what a tank has\r\n"
              "[TankPage]\r\nName=its name\r\n"
              "[Unknown!]\r\n1=OLD\r\n2=GONE\r\n3=NEW\r\n"
              "\r\n[Tanks]\r\n1=T1\r\n"
              "\r\n[GeneralSetup]\r\nTitle=VELMORA EDIT\r\nBitmapDir=Bitmap" + CatalogueSep + "\r\n"
              "Bitmap1File=Bitmap1.bmp\r\nBitmap2File=Bitmap2.bmp\r\nVariantAllowed=4\r\nNumberOfMain=2\r\n");
}

TEST_F(CatalogueTest, WithUpdateUnknown001OffAnExistingFileIsLeftAlone) {
    Write("Velmedit.ini", "[GeneralSetup]\nUpdateUnknown001=0\n");
    const std::string definition = "[AllSections]\nTanks=1,TankPage\n";
    Write("Rules.001", definition);
    Write("Rules.INI", "[A]\nx=1\n");
    Start();

    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(Read("Rules.001"), definition);
    EXPECT_EQ(DefinitionLines("Unknown!"), Texts{"1=A"});
    EXPECT_TRUE(globals.UnknownSelected);
}

TEST_F(CatalogueTest, WithUpdateUnknown001OffAMissingFileIsStillCreated) {
    Write("Velmedit.ini", "[GeneralSetup]\nUpdateUnknown001=0\n");
    Write("Rules.INI", "[A]\nx=1\n");
    Start();
    EXPECT_EQ(boxes.TextsOf(BoxKind::Notice).size(), 1u);
    EXPECT_TRUE(folder.Exists("Rules.001"));
}

TEST_F(CatalogueTest, NothingUnclaimedMeansNoNoticeAndNoWrite) {
    Write("Rules.001", TankDefinition);
    Write("Rules.INI", "[E1]\nName=a\n");
    Start();
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(Read("Rules.001"), TankDefinition);
    EXPECT_TRUE(globals.UnknownSelected);
}

TEST_F(CatalogueTest, TheUnknownPassOfAnOpenedDocumentContinuesTheNumbers) {
    Write("Rules.INI", "[A]\nx=1\n");
    StartAndOpen("[A]\nx=1\n[B]\nx=1\n");
    EXPECT_FALSE(globals.UnknownSelected);
    // Pass 1 already gave A back to "Unknown!"; only B is new.
    workspace.SelectUnknown();
    EXPECT_EQ(DefinitionLines("Unknown!"), (Texts{"1=A", "2=B"}));
    EXPECT_EQ(boxes.TextsOf(BoxKind::Notice).size(), 2u);
    EXPECT_EQ(view.busyDepth, 0);
}

// ---------------------------------------------------------------------------------------------
// Loading documents

// A regular file that exists and cannot be read by this process; empty when none can be made.
std::string UnreadableFile([[maybe_unused]] TempFolder& folder) {
#ifndef _WIN32
    if (geteuid() != 0) {
        folder.Write("locked.ini", "[X]\na=1\n");
        std::filesystem::permissions(folder.Path() / "locked.ini", std::filesystem::perms::none);
        return folder.File("locked.ini");
    }
#endif
#ifdef __linux__
    // Even the superuser cannot read this regular file from its start.
    return "/proc/self/mem";
#else
    return {};
#endif
}

TEST_F(CatalogueTest, ADocumentThatCannotBeReadLeavesTheCurrentOneLoaded) {
    const std::string unreadable = UnreadableFile(folder);
    if (unreadable.empty()) GTEST_SKIP() << "no unreadable file can be made here";
    Write("Rules.INI", "[A]\nx=1\n");
    Start();
    const IniStore* before = workspace.Doc().StoreOrNull(StoreOf::Document);
    workspace.Doc().Restart(true);  // a document with changes to save
    view.events.clear();

    try {
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(unreadable, false);
        FAIL() << "no error";
    } catch (const IniError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + unreadable);
    }
    EXPECT_EQ(workspace.Doc().StoreOrNull(StoreOf::Document), before);
    EXPECT_EQ(workspace.Doc().FileName(), "Untitle.ini");
    EXPECT_TRUE(workspace.Doc().Modified());
    EXPECT_TRUE(globals.UnknownSelected);
    EXPECT_EQ(view.busyDepth, 0);
    EXPECT_EQ(view.events, Texts{"status:halvek v3.2"});
}

TEST_F(CatalogueTest, MissingAndNonTextDocumentsLoadWithoutFailing) {
    Write("Rules.001", TankDefinition);
    Start();
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("absent.ini"), false);
    EXPECT_EQ(workspace.Doc().Store().SectionCount(), 0u);
    EXPECT_EQ(workspace.Doc().FileName(), folder.File("absent.ini"));

    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919 + 13) % 256);
    binary = "[E1]\nName=x\xff\xfe\n[\x01\x02]\n=\n" + binary;
    Write("binary.ini", binary);
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("binary.ini"), false);
    EXPECT_GE(workspace.Doc().Store().SectionCount(), 1u);
    EXPECT_EQ(view.busyDepth, 0);
}

TEST_F(CatalogueTest, ANewDocumentIsACopyOfTheDefaultCopyUnderTheGivenName) {
    Write("Rules.INI", "[A]\nx=1\n");
    Start();
    workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer("Untitle.ini", true);
    EXPECT_EQ(workspace.Doc().FileName(), "Untitle.ini");
    EXPECT_EQ(workspace.Doc().Store().RenderText(), workspace.DefaultIni()->RenderText());
    EXPECT_NE(workspace.Doc().StoreOrNull(StoreOf::Document), workspace.DefaultIni());
    // Claims belong to the document's own records.
    EXPECT_EQ(workspace.DefaultIni()->SectionAt(0).Occupied, 0);
    EXPECT_EQ(workspace.Doc().Store().SectionAt(0).Occupied, 1);
}

}  // namespace
}  // namespace velmora::testing
