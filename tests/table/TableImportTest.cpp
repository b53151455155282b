// SPDX-License-Identifier: GPL-3.0-or-later
// Importing a table file that went through a spreadsheet: what it rewrote on its own changes
// nothing or is left out, followed columns of rows naming nothing stay as they were, and a file
// that gives one place two values is refused.

#include <gtest/gtest.h>

#include "TableFixture.h"
#include "core/table/TableCsv.h"
#include "core/table/TableEdits.h"
#include "core/store/IniError.h"

namespace velmora::testing {
namespace {

// Values a spreadsheet reads as something else, and units whose weapon is none or gone.
constexpr const char* ImportDefinition =
    "[AllSections]\n"
    "Infantry=0,InfantryMain\n"
    "Weapons=0,WeaponMain\n"
    "[InfantryMain]\n"
    "Name=\n"
    "Cost=\n"
    "Speed=\n"
    "Color=\n"
    "Deploy=\n"
    "Primary=~@Weapons@~\n"
    "[WeaponMain]\n"
    "Damage=\n";

constexpr const char* ImportDocument =
    "[Infantry]\n1=E1\n2=E2\n3=E3\n4=E4\n"
    "[Weapons]\n1=M60\n"
    "[E1]\nName=Rifleman\nCost=100\nSpeed=0.50\nColor=0,255,255\nDeploy=true\nPrimary=M60\n"
    "[E2]\nName=Rocketeer\nCost=007\nSpeed=1.0\nColor=12345678901234567890\nPrimary=none\n"
    "[E3]\nName=Engineer\nCost=20\nDeploy=50%\nPrimary=GONE\n"
    "[E4]\nName=Gunner\nCost=1e3\nDeploy==1+1\nPrimary=M60\n"
    "[M60]\nDamage=15\n";

class TableImportTest : public TableFixture, public ::testing::Test {
protected:
    void SetUp() override { Load(ImportDocument, ImportDefinition); }
    TableImport Import(std::string_view csv) { return PlanImport(workspace, "Infantry", ReadCsv(csv)); }
    std::string Refusal(std::string_view csv) {
        try {
            Import(csv);
        } catch (const IniError& error) {
            return error.what();
        }
        return "imported";
    }
};

TEST_F(TableImportTest, AFileASpreadsheetGaveBackUntouchedChangesNothing) {
    const BalanceTable table = Infantry({{"Cost", {}}, {"Speed", {}}, {"Color", {}}, {"Deploy", {}}, {"Primary", {}},
                                         {"Primary", "Damage"}});
    const TableImport exported = Import(TableCsv(table, table.CatalogueOrder()));
    EXPECT_TRUE(exported.Changes.empty());
    EXPECT_TRUE(exported.Mangled.empty());

    // As a spreadsheet saves it with its default options: protections gone, numbers rewritten. The
    // weapons of E2 (none) and E3 (gone) have no damage to show.
    const TableImport saved = Import(
        "Code,Name,Cost,Speed,Color,Deploy,Primary,Primary:Damage\r\n"
        "E1,Rifleman,100,0.5,255255,TRUE,M60,15\r\n"
        "E2,Rocketeer,7,1,1.23456789012346E+019,,none,\r\n"
        "E3,Engineer,20,,,50.00%,GONE,\r\n"
        "E4,Gunner,1000,,,=1+1,M60,15.0\r\n");
    EXPECT_TRUE(saved.Changes.empty());
    EXPECT_EQ(ImportPreview(saved),
              "0 changes.\nLeft out, as a spreadsheet changed them on its own (3):\n"
              "E1 Color: 0,255,255 -> 255255\nE2 Color: 12345678901234567890 -> 1.23456789012346E+019\n"
              "E4 Cost: 1e3 -> 1000");

    EXPECT_EQ(Refusal("Code,Primary:Damage\nE2,5\n"), "E2 Primary:Damage: the document has no entry none.");
}

TEST_F(TableImportTest, TwoValuesForOnePlaceAreRefusedEvenWhenOneIsTheDocuments) {
    EXPECT_EQ(Refusal("Code,Cost\nE1,100\nE1,130\n"), "E1 Cost is given two values: \"100\" and \"130\".");
    EXPECT_EQ(Refusal("Code,Cost\nE1,100\nE1,100\nE1,130\n"), "E1 Cost is given two values: \"100\" and \"130\".");
    EXPECT_EQ(Refusal("Code,Cost,Cost\nE1,100,130\n"), "E1 Cost is given two values: \"100\" and \"130\".");
    EXPECT_EQ(Refusal("Code,Primary:Damage\nE1,15\nE4,20\n"), "M60 Damage is given two values: \"15\" and \"20\".");
    EXPECT_TRUE(Import("Code,Cost\nE1,100\nE1,100.0\n").Changes.empty());
}

TEST_F(TableImportTest, ThePreviewListsEmptiedValuesApartAndCountsTheUnknownBeyondTheFirst) {
    std::string csv = "Code,Cost,Speed,Deploy\nE1,120,,true\nE2,007,,\n";
    for (int unknown = 1; unknown <= 25; ++unknown) csv += "X" + std::to_string(unknown) + ",1,2,3\n";
    EXPECT_EQ(ImportPreview(Import(csv)),
              "3 changes:\nE1 Cost: 100 -> 120\nOf these, 2 empty a value whose cell is blank:\nE1 Speed: 0.50\n"
              "E2 Speed: 1.0\nUnknown codes, left out: X1, X2, X3, X4, X5, X6, X7, X8, X9, X10, X11, X12, X13, X14, "
              "X15, X16, X17, X18, X19, X20 and 5 more");
}

}  // namespace
}  // namespace velmora::testing
