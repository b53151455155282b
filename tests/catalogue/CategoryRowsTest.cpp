// SPDX-License-Identifier: GPL-3.0-or-later
// The category rows a definition file gives: the built-in "Unknown!" row, kinds read from odd
// [AllSections] lines, and how many rows get a button.

#include <limits>

#include "WorkspaceFixture.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

class CategoryRowsTest : public WorkspaceFixture {};

TEST_F(CategoryRowsTest, WithoutAllSectionsOnlyUnknownRemains) {
    Write("Rules.001", "[InfGeneral]\nName=\n");
    Start();
    EXPECT_EQ(workspace.CategoryRows(), Texts{"Unknown!"});
    EXPECT_EQ(workspace.CategoryKinds(), std::vector<int>{1});
    EXPECT_EQ(workspace.CategoryList().Texts(), Texts{"Unknown!=1,TheUnknown!"});
    EXPECT_EQ(globals.NumberOfMain, 1);
}

TEST_F(CategoryRowsTest, AnUnknownLineStaysWhereItIsWithTheBuiltInValue) {
    Write("Rules.001",
          "[AllSections]\n"
          "Unknown!=5,Other\n"
          "Infantry=0,InfGeneral\n"
          "unknown!=3,Again\n");
    Start();
    EXPECT_EQ(workspace.CategoryRows(), (Texts{"Unknown!", "Infantry", "unknown!"}));
    EXPECT_EQ(workspace.CategoryList()[0], "Unknown!=1,TheUnknown!");
    EXPECT_EQ(workspace.CategoryList()[2], "unknown!=3,Again");
    EXPECT_EQ(workspace.CategoryKinds(), (std::vector<int>{1, 0, 3}));
}

TEST_F(CategoryRowsTest, AnUnknownLineInOtherLetterCaseIsReplacedNotAdded) {
    Write("Rules.001", "[AllSections]\nInfantry=0,InfGeneral\nUNKNOWN!=0\n");
    Start();
    EXPECT_EQ(workspace.CategoryRows(), (Texts{"Infantry", "Unknown!"}));
    EXPECT_EQ(workspace.CategoryKinds(), (std::vector<int>{0, 1}));
}

TEST_F(CategoryRowsTest, MalformedLinesGiveRowsAndKindsWithoutFailing) {
    Write("Rules.001",
          "[AllSections]\n"
          "NoComma\n"
          "Empty=\n"
          "Quoted=1,\"Page A, never closed\n"
          "Huge=99999999999999999999,BigPage\n"
          "Negative=-5,P\n"
          "Hex=0x10,P\n"
          "Word=tanks,P\n"
          "Missing=1,NoSuchPage,NorThis\n"
          "[BigPage]\nName=\nCost=\n");
    Write("Rules.INI", "[A]\nName=a\nCost=1\n[B]\nOther=1\n[Missing]\n1=B\n");
    Start();

    EXPECT_EQ(workspace.CategoryRows(),
              (Texts{"", "Empty", "Quoted", "Huge", "Negative", "Hex", "Word", "Missing", "Unknown!"}));
    EXPECT_EQ(workspace.CategoryKinds(),
              (std::vector<int>{0, 0, 1, std::numeric_limits<int32_t>::max(), -5, 16, 0, 1, 1}));
    StringList pages;
    workspace.GetPages("Quoted", pages);
    EXPECT_EQ(pages.Texts(), Texts{"Page A, never closed"});

    // A page list naming missing sections has no keys, so it claims nothing by fitting.
    StringList keys;
    workspace.GetContentsOfAllPages("Missing", keys);
    EXPECT_TRUE(keys.Empty());
    EXPECT_EQ(Entries(1, "Huge"), Texts{"A"});
    EXPECT_EQ(Entries(1, "Unknown!"), (Texts{"B", "Missing"}));
}

TEST_F(CategoryRowsTest, NumberOfMainIsLoweredToTheButtonsAndRowsThereAre) {
    std::string fifteen = "[AllSections]\n";
    for (int i = 1; i <= 14; ++i) fifteen += "Cat" + std::to_string(i) + "=1,P\n";
    Write("Velmedit.ini", "[GeneralSetup]\nNumberOfMain=12\n[FilesToEdit]\nRules.ini=1\nArt.ini=1\nMap.ini=1\n");
    Write("Rules.001", fifteen);
    Write("Art.001", "[AllSections]\nA=1,P\nB=1,P\n");
    Write("Map.001", "[GeneralSetup]\nNumberOfMain=0\n[AllSections]\nA=1,P\n");
    Start();
    EXPECT_EQ(workspace.CategoryRows().size(), 15u);
    EXPECT_EQ(globals.NumberOfMain, 10);

    workspace.ChooseFileType("Art.ini");
    workspace.BeginToLoadNONBASIC();
    EXPECT_EQ(globals.NumberOfMain, 3);

    view.events.clear();
    workspace.ChooseFileType("Map.ini");
    workspace.BeginToLoadNONBASIC();
    EXPECT_EQ(globals.NumberOfMain, 0);
    // The window still hears of the new rows, to clear its buttons.
    EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "rows"), 1);
}

}  // namespace
}  // namespace velmora::testing
