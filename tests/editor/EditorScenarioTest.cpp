// A scenario made in the editor through its commands (parameters, map, briefings), saved,
// opened again: the file holds what was made, and passing it through the map editor and
// saving it over itself gives the same bytes.
#include <gtest/gtest.h>

#include <string>

#include "EditorRig.h"
#include "editor/EditorMapGrids.h"
#include "editor/EditorMapPreview.h"
#include "framework/core/GString63.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/map/TerrainCodeTable.h"

namespace {

void Type(GTextEntry* entry, const char* text) {
  GString63 name;
  name.Assign(text);
  entry->Clear();
  entry->AppendText(&name);
}

}  // namespace

TEST(EditorScenario, MadeSavedAndOpenedAgainHoldsWhatWasMade) {
  EditorRig rig;
  EditorState& state = *rig.State();
  const std::string overall = "Hold the ridge.\r\nThe Allies attack at dawn.\r\n";
  const std::string allied = "Take Hill 112.\r\n";
  rig.shell.folder.WriteFile("BriefingOverall.txt", overall);
  rig.shell.folder.WriteFile("BriefingAllied.txt", allied);

  // Parameters: January 1945, Allied attacker, no small and two large static flags, -300.
  rig.App().DoCommand(104);
  PopupAt(state.screenView, 130, 50)->SetCurrentItem(7);
  PopupAt(state.screenView, 130, 200)->SetCurrentItem(1);
  rig.App().DoCommand(127);
  for (int32_t i = 0; i < 30; ++i) rig.App().DoCommand(132);
  Type(state.descriptionEntry, "A ridge held by the Axis");
  rig.App().DoCommand(121);

  // The map: 60 x 40 tiles, woods, a road, a hill, an Allied zone strip, a landmark.
  rig.App().DoCommand(106);
  for (int32_t i = 0; i < 5; ++i) rig.App().DoCommand(146);
  EditorMapGrids& grids = state.mapView->Grids();
  const int16_t woods = static_cast<int16_t>(TerrainCodeTable::FindTerrainCode(14, 0, 0));
  const int16_t road = static_cast<int16_t>(TerrainCodeTable::FindTerrainCode(0, 45, 0));
  ASSERT_GE(woods, 0);
  ASSERT_GE(road, 0);
  for (int32_t x = 2; x <= 8; ++x)
    for (int32_t y = 2; y <= 6; ++y) grids.SetCode(x, y, woods);
  for (int32_t x = 0; x < 60; ++x) grids.SetCode(x, 20, road);
  grids.SetLevel(30, 30, 9);
  for (int32_t y = 0; y < 40; ++y) grids.SetZone(6, y, 2);
  state.NameLandmark(30, 30);
  Type(dynamic_cast<GTextEntry*>(state.nameEntry), "Hill 112");
  rig.App().DoCommand(156);
  rig.App().DoCommand(136);

  // Briefings: overall and Allied, the Axis one cancelled.
  rig.App().DoCommand(107);
  rig.Choose("BriefingOverall.txt");
  rig.Cancel();
  rig.Choose("BriefingAllied.txt");
  rig.App().DoCommand(119);

  rig.Choose("Ridge");
  rig.App().DoCommand(102);
  ASSERT_EQ(state.modified, 0);
  const std::string kept = rig.shell.folder.ReadFile("Saved Games/Ridge.wrb");
  ASSERT_FALSE(kept.empty());

  // Opened again: the battle read from the file.
  rig.App().DoCommand(112);
  rig.Choose("Ridge");
  rig.App().DoCommand(116);
  Battle& battle = *rig.App().GetBattle();
  EXPECT_EQ(battle.date, 4501);
  EXPECT_EQ(battle.season, 3);
  EXPECT_EQ(battle.attacker, 1);
  EXPECT_EQ(battle.bonusPoints[0], 0);
  EXPECT_EQ(battle.bonusPoints[1], 300);
  ASSERT_EQ(battle.flags.Count(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(battle.FlagAt(i)->type, 1);
    EXPECT_EQ(battle.FlagAt(i)->dynamic, 0);
  }
  EXPECT_STREQ(battle.title.CStr(), "A ridge held by the Axis");
  const Map& map = *battle.map;
  EXPECT_EQ(map.size.tilesX, 60);
  EXPECT_EQ(map.size.tilesY, 40);
  EXPECT_EQ(EditorMapGrids::CodeOfTile(map, 5, 4), woods);
  EXPECT_EQ(EditorMapGrids::CodeOfTile(map, 45, 20), road);
  EXPECT_EQ(EditorMapGrids::TileHeightLevel(map, 30, 30), 9);
  EXPECT_EQ(map.terrain.tiles.At(6, 17).zone, 2);
  GString63 landmark;
  map.GetLandmarkNameAt(30, 30, landmark);
  EXPECT_STREQ(landmark.CStr(), "Hill 112");
  EXPECT_EQ(battle.briefing[2], overall);
  EXPECT_EQ(battle.briefing[0], "");
  EXPECT_EQ(battle.briefing[1], allied);

  // Through the map editor and saved over itself: the same bytes.
  rig.App().DoCommand(106);
  rig.App().DoCommand(136);
  rig.Choose("Ridge");
  rig.Type("y");
  rig.App().DoCommand(102);
  EXPECT_EQ(state.modified, 0);
  EXPECT_TRUE(rig.shell.folder.ReadFile("Saved Games/Ridge.wrb") == kept);
}
