// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "../entries/EntriesFixture.h"
#include "core/layers/EffectiveValues.h"
#include "core/layers/LayeredSave.h"
#include "core/recovery/RecoveryFile.h"
#include "core/references/FindIndex.h"
#include "core/session/DocumentLayers.h"
#include "core/session/OpenDocument.h"
#include "core/store/IniError.h"
#include "core/values/LiveValueCheck.h"

namespace velmora::testing::layered {
namespace {

constexpr std::string_view Rules = "[InfantryTypes]\r\n1=GRUNT\r\n[GRUNT]\r\nName=Grunt\r\nCost=100\r\n";
constexpr std::string_view Definition = "[AllSections]\r\nInfantryTypes=0,InfGeneral\r\n";
constexpr std::string_view Mode = "[GRUNT]\r\nCost=150\r\n";
constexpr std::string_view Map = "[Basic]\r\nName=Ridge\r\n[GRUNT]\r\nCost=200\r\n[Waypoints]\r\n0=1234\r\n";

// Counts what the views are told.
struct Views : DocumentObserver {
    int refreshes = 0;
    void EntriesChanged() override { ++refreshes; }
};

class DocumentLayersTest : public EntriesFixture, public ::testing::Test {
protected:
    void SetUp() override {
        Load(Rules, Definition);
        folder.Write("mode.ini", Mode);
        folder.Write("ridge.map", Map);
        workspace.Doc().AddObserver(views);
    }
    void TearDown() override { workspace.Doc().RemoveObserver(views); }

    DocumentLayers layers{workspace};
    Views views;
};

TEST_F(DocumentLayersTest, EveryChangeOfTheStackIsToldAndTheShownValueFollowsIt) {
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "100");
    layers.Add(folder.File("mode.ini"));
    layers.Add(folder.File("ridge.map"));
    EXPECT_EQ(views.refreshes, 2);
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "200");
    layers.Move(1, 0);  // the mode now reads over the map
    EXPECT_EQ(views.refreshes, 3);
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "150");
    EXPECT_EQ(layers.FileName(2), "mode.ini");
    layers.Remove(1);
    EXPECT_EQ(views.refreshes, 4);
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "200");
    // An edit of a layer is read at once, not from what the values knew before it.
    ASSERT_TRUE(layers.Write(1, "GRUNT", "Cost", "250"));
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "250");
    workspace.Doc().Undo();
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "200");
    // The name the game shows for an entry is the one that wins.
    EXPECT_EQ(layers.EntryName("GRUNT"), "Grunt");
    ASSERT_TRUE(layers.Write(1, "GRUNT", "Name", "Ridge Grunt"));
    EXPECT_EQ(layers.EntryName("GRUNT"), "Ridge Grunt");
}

// A change of the stack leaves the document's own stores as they are: the models derived from
// them keep what they know, while the views read afresh.
TEST_F(DocumentLayersTest, AChangeOfTheStackLeavesTheDocumentsModelsAsTheyAre) {
    OpenDocument models(workspace);
    models.TakeIndex(std::make_unique<FindIndex>(workspace));
    models.Layers().Add(folder.File("mode.ini"));
    EXPECT_EQ(views.refreshes, 1);
    ASSERT_TRUE(models.IndexSectionsToRead().has_value());
    EXPECT_TRUE(models.IndexSectionsToRead()->empty());
}

TEST_F(DocumentLayersTest, AnEditOfALayerIsUnsavedUntilTheSaveWritesItsFile) {
    layers.Add(folder.File("mode.ini"));
    layers.Add(folder.File("ridge.map"));
    EXPECT_FALSE(layers.Unsaved());
    ASSERT_TRUE(layers.Write(2, "GRUNT", "Cost", "210"));
    EXPECT_TRUE(layers.Unsaved());
    EXPECT_EQ(layers.UnsavedFiles(), std::vector<std::string>{"ridge.map"});
    // Another program's change of a layer the save would write is found before the save.
    EXPECT_EQ(LayerChangedOnDisk(layers.Stack()), std::nullopt);
    folder.Write("ridge.map", std::string(Map) + "; changed elsewhere\r\n");
    EXPECT_EQ(LayerChangedOnDisk(layers.Stack()), folder.File("ridge.map"));
    folder.Write("ridge.map", Map);
    layers.Save();
    EXPECT_FALSE(layers.Unsaved());
    EXPECT_EQ(folder.Read("ridge.map"), "[Basic]\r\nName=Ridge\r\n[GRUNT]\r\nCost=210\r\n[Waypoints]\r\n0=1234\r\n");
    EXPECT_EQ(folder.Read("document.ini"), Rules);
    EXPECT_EQ(folder.Read("mode.ini"), Mode);

    // Save As writes the document under its new name with the changed layer, in one save.
    ASSERT_TRUE(layers.Write(1, "GRUNT", "Cost", "160"));
    layers.SaveAs(folder.File("copy.ini"));
    EXPECT_FALSE(layers.Unsaved());
    EXPECT_EQ(folder.Read("copy.ini"), Rules);
    EXPECT_EQ(folder.Read("mode.ini"), "[GRUNT]\r\nCost=160\r\n");
    EXPECT_EQ(workspace.Doc().FileName(), folder.File("copy.ini"));
    // Undoing a saved layer edit makes that layer unsaved again.
    workspace.Doc().Undo();
    EXPECT_TRUE(layers.Unsaved());
}

TEST_F(DocumentLayersTest, TheValuesThatWinAreJudgedWhereverTheyComeFrom) {
    Load(Rules, std::string(Definition) + "[ValueKinds]\r\nCost=whole number\r\n");
    folder.Write("mode.ini", "[GRUNT]\r\nCost=15O\r\n");  // overridden by the map: not the game's
    folder.Write("ridge.map", "[Basic]\r\nName=Ridge\r\n[GRUNT]\r\nCost=2OO\r\n");
    layers.Add(folder.File("mode.ini"));
    layers.Add(folder.File("ridge.map"));
    LiveValueCheck values(workspace);
    const std::vector<LayerValueFinding> findings = layers.Misfits(values);
    ASSERT_EQ(findings.size(), 1U);
    EXPECT_EQ(findings[0].FileName, "ridge.map");
    EXPECT_EQ(findings[0].Line, 4U);
    EXPECT_EQ(findings[0].Category, "InfantryTypes");
    EXPECT_EQ(findings[0].Value, "2OO");
    EXPECT_NE(findings[0].Reason.find("whole number"), std::string::npos);
}

// The message of the IniError `write` throws; empty when it throws none.
template <typename Write>
std::string Refusal(Write write) {
    try {
        write();
    } catch (const IniError& error) {
        return error.what();
    }
    return {};
}

TEST_F(DocumentLayersTest, AnEntryOnlyALayerListsIsShownFromItAndEditedOnlyWhereTheGameKnowsIt) {
    folder.Write("scout.map",
                 "[InfantryTypes]\r\n1=GRUNT\r\n2=SCOUT\r\n[SCOUT]\r\nName=Scout\r\nCost=300\r\n");
    layers.Add(folder.File("mode.ini"));
    layers.Add(folder.File("scout.map"));
    const std::vector<AddedEntry> added = layers.Stack().AddedEntries("InfantryTypes");
    ASSERT_EQ(added.size(), 1U);
    EXPECT_EQ(added[0].Code, "SCOUT");
    EXPECT_EQ(added[0].Layer, 1U);
    EXPECT_EQ(layers.Stack().AddedBy("SCOUT"), 1U);
    EXPECT_EQ(layers.Stack().AddedBy("GRUNT"), std::nullopt);
    EXPECT_EQ(layers.ShownValue("SCOUT", "Cost"), "300");

    // The document and the mode read before the map names the unit: neither gets a section of it.
    EXPECT_NE(Refusal([&] { layers.Write(0, "SCOUT", "Cost", "350"); }).find("added by scout.map"),
              std::string::npos);
    EXPECT_NE(Refusal([&] { layers.Write(1, "SCOUT", "Cost", "350"); }).find("\"Edit in:\""),
              std::string::npos);
    EXPECT_LT(workspace.Doc().Store().IndexOfSection("SCOUT"), 0);
    EXPECT_LT(layers.Stack().Layer(0).Store().IndexOfSection("SCOUT"), 0);
    EXPECT_FALSE(layers.Unsaved());
    ASSERT_TRUE(layers.Write(2, "SCOUT", "Cost", "350"));
    EXPECT_EQ(layers.ShownValue("SCOUT", "Cost"), "350");

    EXPECT_NE(Refusal([&] { layers.RefuseAddedEntry("SCOUT"); }).find("scout.map"), std::string::npos);
    EXPECT_EQ(Refusal([&] { layers.RefuseAddedEntry("GRUNT"); }), "");
    // Under the mode the map still adds the unit, and the mode may now change it.
    layers.Move(1, 0);
    EXPECT_EQ(layers.Stack().AddedBy("SCOUT"), 0U);
    EXPECT_TRUE(layers.Write(2, "SCOUT", "Cost", "360"));
    // Without the map the unit is gone from the category.
    layers.Remove(0);
    EXPECT_TRUE(layers.Stack().AddedEntries("InfantryTypes").empty());
}

TEST_F(DocumentLayersTest, UnsavedEditsOfTheLayersGoWhenTheUserGivesUpTheWork) {
    layers.Add(folder.File("mode.ini"));
    layers.Add(folder.File("ridge.map"));
    ASSERT_TRUE(layers.Write(1, "GRUNT", "Cost", "175"));
    ASSERT_TRUE(layers.Write(2, "GRUNT", "Cost", "225"));
    std::filesystem::remove(folder.File("ridge.map"));
    const int before = views.refreshes;
    // The map's file went: it cannot be read again, and leaves rather than keep the stale edit.
    EXPECT_EQ(layers.DropUnsavedEdits(), std::vector<std::string>{"ridge.map"});
    EXPECT_EQ(views.refreshes, before + 1);
    ASSERT_EQ(layers.Stack().Count(), 1U);
    EXPECT_TRUE(layers.Stack().ChangedLayers().empty());
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "150");
}

TEST_F(DocumentLayersTest, ARecoveryCopyPutsTheStackBackWithItsUnsavedEdits) {
    layers.Add(folder.File("mode.ini"));
    layers.Add(folder.File("ridge.map"));
    ASSERT_TRUE(layers.Write(2, "GRUNT", "Cost", "225"));
    SessionCopy session = SessionToRecover(workspace, 0);
    layers.AddToCopy(session);
    for (size_t i = 0; i < session.Stores.size(); ++i)
        if (session.Stores[i]) session.Copy.Files[i].Bytes = session.Stores[i]->RenderText();
    const Recovery copy = ParseRecovery(RenderRecovery(session.Copy));
    // Only the changed layer's bytes are kept; the other is read from its file again.
    ASSERT_EQ(copy.Files.size(), 3U);
    EXPECT_EQ(copy.Files[1].Role, Recovery::LayerOnDiskRole);
    EXPECT_TRUE(copy.Files[1].Bytes.empty());
    EXPECT_EQ(copy.Files[2].Role, Recovery::LayerRole);

    layers.Remove(1);
    layers.Remove(0);
    folder.Write("mode.ini", "[GRUNT]\r\nCost=155\r\n");
    EXPECT_TRUE(layers.Restore(copy).empty());
    ASSERT_EQ(layers.Stack().Count(), 2U);
    EXPECT_EQ(layers.FileName(2), "ridge.map");
    EXPECT_EQ(layers.Stack().ChangedLayers(), std::vector<size_t>{1});
    EXPECT_EQ(layers.ShownValue("GRUNT", "Cost"), "225");
    EXPECT_EQ(layers.Stack().Layer(0).Store().ReadString("GRUNT", "Cost", ""), "155");
    // Restored edits are unsaved work: the save writes them, and a check of the disk still knows
    // the file as the crashed session read it.
    EXPECT_EQ(LayerChangedOnDisk(layers.Stack()), std::nullopt);
    layers.Save();
    EXPECT_TRUE(layers.Stack().ChangedLayers().empty());
    EXPECT_EQ(folder.Read("ridge.map"), "[Basic]\r\nName=Ridge\r\n[GRUNT]\r\nCost=225\r\n[Waypoints]\r\n0=1234\r\n");
}

}  // namespace
}  // namespace velmora::testing::layered
