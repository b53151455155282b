// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "core/table/BalanceTable.h"
#include "entries/EntriesFixture.h"

namespace velmora::testing {

// A small army: infantry whose Primary names a weapon, with comments, a key spelt in other
// letters, an absent key and a value that names two weapons.
constexpr const char* TableDefinition =
    "[AllSections]\n"
    "Infantry=0,InfantryMain\n"
    "Weapons=0,WeaponMain\n"
    "[InfantryMain]\n"
    "Name=\n"
    "Cost=\n"
    "Speed=\n"
    "Primary=~@Weapons@~\n"
    "[WeaponMain]\n"
    "Name=\n"
    "Damage=\n";

constexpr const char* TableDocument =
    "[Infantry]\n"
    "1=E1\n"
    "2=E2\n"
    "3=E3\n"
    "4=E4\n"
    "\n"
    "[Weapons]\n"
    "1=M60\n"
    "2=Rocket\n"
    "\n"
    "[E1]\n"
    "Name=Rifleman\n"
    "Cost=100 ; cheap\n"
    "Speed=4.5\n"
    "Primary=M60\n"
    "\n"
    "[E2]\n"
    "Name=Rocketeer\n"
    "COST = 300\n"
    "Primary=Rocket, M60\n"
    "\n"
    "[E3]\n"
    "Name=Engineer\n"
    "Cost=20\n"
    "Speed=slow\n"
    "\n"
    "[E4]\n"
    "Name=Gunner\n"
    "Cost=1000\n"
    "Speed=6\n"
    "Primary=M60\n"
    "\n"
    "[M60]\n"
    "Name=Machine gun\n"
    "Damage=15\n"
    "\n"
    "[Rocket]\n"
    "Name=Rocket\n"
    "Damage=80\n";

class TableFixture : public EntriesFixture {
protected:
    void LoadArmy() { Load(TableDocument, TableDefinition); }
    std::string DocumentText() const { return workspace.Doc().Store().RenderText(); }
    BalanceTable Infantry(std::vector<TableColumn> columns = {{"Cost", {}}, {"Speed", {}}, {"Primary", "Damage"}}) const {
        return BalanceTable(workspace, "Infantry", columns);
    }
};

}  // namespace velmora::testing
