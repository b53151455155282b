// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "../entries/EntriesFixture.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerEdit.h"
#include "core/layers/LayerReferences.h"
#include "core/layers/LayerStack.h"
#include "core/layers/LayeredSave.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora::testing {
namespace {

constexpr std::string_view Rules =
    "[InfantryTypes]\r\n1=GRUNT\r\n2=TORCH\r\n"
    "[GRUNT]\r\nName=Grunt\r\nCost=100\r\nStrength=125\r\nSpeed=4\r\n"
    "[TORCH]\r\nCost=300\r\n"
    "[General]\r\nTempo=5\r\n";
constexpr std::string_view Definition = "[AllSections]\r\nInfantryTypes=0,InfGeneral\r\n";
constexpr std::string_view Mode =
    "; a game mode\r\n[GRUNT]\r\nCost=150   ; dearer\r\nSpeed=4\r\n\r\n[General]\r\nTempo=6\r\n";

// A map: its own data, one section the rules have, and a unit its list adds.
std::string Map(const std::string& data) {
    return "[Basic]\r\nName=Small Map\r\n[IsoMapPack5]\r\n1=" + data + "\r\n2=" + data +
           "\r\n[InfantryTypes]\r\n3=ZEAL\r\n[GRUNT]\r\nCost=200\r\n[ZEAL]\r\nCost=400\r\n"
           "[Waypoints]\r\n0=1234\r\n";
}

class LayersTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override {
        Load(Rules, Definition);
        folder.Write("mode.ini", Mode);
        folder.Write("small.map", Map(std::string(6000, 'x')));
        stack.Add(folder.File("mode.ini"));
        stack.Add(folder.File("small.map"));
    }

    std::string Winner(const std::string& section, const std::string& key) {
        const ValueChain chain = ChainOf(stack, section, key);
        return chain.Empty() ? std::string("-") : chain.Winner().FileName + ":" + chain.Winner().Value;
    }

    LayerStack stack{workspace};
};

TEST_F(LayersTest, TheLastFileThatSetsAKeyWinsAndTheChainSaysOverWhom) {
    EXPECT_EQ(Winner("GRUNT", "Strength"), "document.ini:125");
    EXPECT_EQ(Winner("General", "Tempo"), "mode.ini:6");
    EXPECT_EQ(Winner("GRUNT", "Cost"), "small.map:200");
    EXPECT_EQ(ChainOf(stack, "GRUNT", "Cost").Provenance(),
              "200, from small.map line 9; overrides 150 from mode.ini line 3");
    EXPECT_EQ(ChainOf(stack, "GRUNT", "Cost").ChainText(),
              "document.ini 100 <- mode.ini 150 <- small.map 200");
    // A unit only the map has, named by the map's own list, and the map's data, which is no entry.
    EXPECT_EQ(ChainOf(stack, "ZEAL", "Cost").Provenance(), "400, from small.map line 11");
    EXPECT_EQ(Winner("Basic", "Name"), "-");
    EXPECT_EQ(Winner("IsoMapPack5", "1"), "-");
    EXPECT_EQ(KeysOf(stack, "GRUNT"), (std::vector<std::string>{"Name", "Cost", "Strength", "Speed"}));

    // Speed is set twice to the same value: an override, but no conflict.
    auto keysOf = [](const std::vector<EntryOverrides>& entries) {
        std::string text;
        for (const EntryOverrides& entry : entries)
            for (const KeyOverride& key : entry.Keys) text += entry.Code + "." + key.Key + " ";
        return text;
    };
    EXPECT_EQ(keysOf(OverridesOf(stack, true)), "GRUNT.Cost General.Tempo ");
    EXPECT_EQ(keysOf(OverridesOf(stack, false)), "GRUNT.Cost GRUNT.Speed General.Tempo ");

    stack.Move(1, 0);
    EXPECT_EQ(Winner("GRUNT", "Cost"), "mode.ini:150");
    stack.Remove(1);
    EXPECT_EQ(Winner("GRUNT", "Cost"), "small.map:200");
    EXPECT_EQ(Winner("General", "Tempo"), "document.ini:5");
}

TEST_F(LayersTest, AnEditInALayerChangesThatFileAloneInItsOwnOrderAndUndoPutsItBack) {
    Document& document = workspace.Doc();
    ASSERT_TRUE(SetLayerValue(stack, 0, "GRUNT", "Strength", "130"));
    ASSERT_TRUE(document.SetValue("GRUNT", "Speed", "5"));
    ASSERT_TRUE(SetLayerValue(stack, 0, "TORCH", "Cost", "350"));
    ASSERT_TRUE(SetLayerValue(stack, 0, "GRUNT", "Cost", "175"));
    EXPECT_FALSE(SetLayerValue(stack, 0, "GRUNT", "Cost", "175"));
    EXPECT_EQ(document.UndoText(), "Undo Change of Cost in mode.ini");
    EXPECT_EQ(Winner("TORCH", "Cost"), "mode.ini:350");
    EXPECT_EQ(stack.ChangedLayers(), std::vector<size_t>{0});

    const std::string edited =
        "; a game mode\r\n[GRUNT]\r\nCost=175   ; dearer\r\nStrength=130\r\nSpeed=4\r\n"
        "\r\n[TORCH]\r\nCost=350\r\n\r\n[General]\r\nTempo=6\r\n";
    EXPECT_EQ(stack.Layer(0).Store().RenderText(), edited);
    SaveStack(stack);
    EXPECT_EQ(folder.Read("mode.ini"), edited);
    EXPECT_EQ(folder.Read("small.map"), Map(std::string(6000, 'x')));
    EXPECT_NE(folder.Read("document.ini"), Rules);  // its own edit went with it
    EXPECT_FALSE(document.Modified());
    EXPECT_TRUE(stack.ChangedLayers().empty());

    // Undo steps back through the layer's and the document's edits in the order they were made.
    for (int step = 0; step < 4; ++step) document.Undo();
    EXPECT_EQ(stack.Layer(0).Store().RenderText(), Mode);
    EXPECT_EQ(document.Store().RenderText(), Rules);
    EXPECT_EQ(stack.ChangedLayers(), std::vector<size_t>{0});
    document.Redo();
    EXPECT_EQ(Winner("GRUNT", "Strength"), "mode.ini:130");
    EXPECT_THROW(SetLayerValue(stack, 0, "GRUNT", "Cost", "1\x01"), IniError);
}

TEST_F(LayersTest, AMapWithLongDataLinesIsWrittenBackByteForByteAroundAnEdit) {
    const std::string data(20000, 'A');
    folder.Write("big.map", "; map\n" + Map(data));  // one line end the editor writes otherwise
    stack.Add(folder.File("big.map"));
    ASSERT_TRUE(SetLayerValue(stack, 2, "GRUNT", "Cost", "250"));
    SaveStack(stack);
    std::string expected = "; map\r\n" + Map(data);
    expected.replace(expected.find("Cost=200"), 8, "Cost=250");
    EXPECT_EQ(folder.Read("big.map"), expected);
    EXPECT_EQ(folder.Read("small.map"), Map(std::string(6000, 'x')));
    EXPECT_EQ(folder.Read("mode.ini"), Mode);
}

// Three files go to disk as one save: when the last cannot take its place, the others keep their
// old bytes and everything stays unsaved.
TEST_F(LayersTest, ASaveThatFailsOnOneFileLeavesEveryFileAsItWas) {
    ASSERT_TRUE(workspace.Doc().SetValue("GRUNT", "Speed", "5"));
    ASSERT_TRUE(SetLayerValue(stack, 0, "GRUNT", "Cost", "175"));
    ASSERT_TRUE(SetLayerValue(stack, 1, "GRUNT", "Cost", "250"));
    platform::SetReplaceFaultForTesting(
        [](std::string_view name) { return name.find("small.map") != std::string_view::npos; });
    EXPECT_THROW(SaveStack(stack), IniError);
    platform::SetReplaceFaultForTesting(nullptr);
    EXPECT_EQ(folder.Read("document.ini"), Rules);
    EXPECT_EQ(folder.Read("mode.ini"), Mode);
    EXPECT_EQ(stack.ChangedLayers(), (std::vector<size_t>{0, 1}));
    EXPECT_TRUE(workspace.Doc().Modified());
}

TEST_F(LayersTest, AFileCannotBeStackedTwiceNorOverItself) {
    EXPECT_THROW(stack.Add(folder.File("mode.ini")), IniError);
    EXPECT_THROW(stack.Add(folder.File("document.ini")), IniError);
    EXPECT_THROW(stack.Add(folder.File("missing.ini")), IniError);
    EXPECT_EQ(stack.Count(), 2U);
}

// A weapon the rules never define, named by a mode, is the game's crash; one a map adds as its own
// section, or a unit the map lists, is there once the game read the stack.
TEST_F(LayersTest, ANameALayerUsesMustExistSomewhereInTheStack) {
    Load("[InfantryTypes]\r\n1=GRUNT\r\n[GRUNT]\r\nPrimary=RIFLE\r\n[RIFLE]\r\nDamage=5\r\n",
         "[AllSections]\r\nInfantryTypes=0,InfGeneral\r\nWeapons=1,WeapBasic\r\n"
         "[InfGeneral]\r\nPrimary=Main weapon. ~@Weapons@~\r\nEscort=Who guards it. ~@InfantryTypes@~\r\n"
         "[WeapBasic]\r\nDamage=Damage.\r\n[Weapons]\r\n1=RIFLE\r\n");
    folder.Write("mode.ini", "[GRUNT]\r\nPrimary=LASER\r\nEscort=ZEAL\r\n");
    folder.Write("small.map",
                 "[InfantryTypes]\r\n2=ZEAL\r\n[ZEAL]\r\nPrimary=PLASMA\r\n[PLASMA]\r\nDamage=9\r\n");
    LayerStack layers(workspace);
    layers.Add(folder.File("mode.ini"));
    layers.Add(folder.File("small.map"));
    const std::vector<LayerDanglingItem> items = FindLayerDanglingItems(layers);
    ASSERT_EQ(items.size(), 1U);
    EXPECT_EQ(items[0].FileName + " " + std::to_string(items[0].Line) + " " + items[0].SectionName + " " +
                  items[0].Key + " " + items[0].Item,
              "mode.ini 2 GRUNT Primary LASER");
    // Without the map, the unit the mode names is missing too.
    layers.Remove(1);
    EXPECT_EQ(FindLayerDanglingItems(layers).size(), 2U);
}

}  // namespace
}  // namespace velmora::testing
