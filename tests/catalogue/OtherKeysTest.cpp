// SPDX-License-Identifier: GPL-3.0-or-later
// The keys a category's entries hold that no page of it lists: where the category window shows
// them, and what the table's column chooser offers beside the page keys.

#include <string>
#include <vector>

#include "WorkspaceFixture.h"
#include "core/catalogue/OtherKeys.h"
#include "core/table/BalanceTable.h"

namespace velmora::testing {
namespace {

using Texts = std::vector<std::string>;

class OtherKeysTest : public WorkspaceFixture {
protected:
    void SetUp() override {
        Write("Rules.001",
              "[AllSections]\nInfantry=0,Main\nWeapons=1,Gun\n"
              "[Main]\nName=\nCost=\nPrimary=~@Weapons@~\n"
              "[Gun]\nDamage=\n"
              "[Weapons]\n1=M60\n");
        Start();
        Write("doc.ini",
              "[Infantry]\n1=E1\n2=E2\n"
              "[E1]\nName=Rifleman\nCost=100\n; Veteran=yes\nAmmo=5\nPrimary=M60\n"
              "[E2]\nAMMO=3\nDecloakToFire=no\nCOST=50\n"
              "[M60]\nDamage=15\nROF=20\n"
              "[LOOSE]\nStray=1\n");
        workspace.BeginCopyDefaultOrLoadINItoCurrentBuffer(folder.File("doc.ini"), false);
    }
};

TEST_F(OtherKeysTest, KeysNoPageListsAreOfferedBesideThePageKeys) {
    // Each once, as first spelled, in list order; comments and page keys in other letters are none.
    EXPECT_EQ(OtherKeysOf(workspace, "infantry"), (Texts{"Ammo", "DecloakToFire"}));
    EXPECT_EQ(OtherKeysOf(workspace, "Weapons"), Texts{"ROF"});
    EXPECT_EQ(OtherKeysOf(workspace, "Tanks"), Texts{});

    Texts choosable;
    for (const TableColumn& column : BalanceTable::ChoosableColumns(workspace, "Infantry")) choosable.push_back(column.Id());
    EXPECT_EQ(choosable, (Texts{"Name", "Cost", "Primary", "Primary:Damage", "Primary:ROF", "Ammo", "DecloakToFire"}));
}

}  // namespace
}  // namespace velmora::testing
