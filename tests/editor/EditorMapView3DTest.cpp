// The map editor's visit to the battle screen (command 137) and GO back: the battle is shown
// with its flags as markers, comes back with what was moved there, and a scenario only looked
// at saves to the same bytes as before the visit.
#include <gtest/gtest.h>

#include <string>

#include "EditorRig.h"
#include "editor/EditorMapPreview.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/Campaign.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/Unit.h"

namespace {

int32_t CountMarkers(Battle& battle, int32_t kind) {
  int32_t count = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    auto* object = dynamic_cast<Inanimate*>(battle.UnitAt(i));
    if (object != nullptr && object->GetKind() == kind) ++count;
  }
  return count;
}

Inanimate* FirstMarker(Battle& battle, int32_t kind) {
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    auto* object = dynamic_cast<Inanimate*>(battle.UnitAt(i));
    if (object != nullptr && object->GetKind() == kind) return object;
  }
  return nullptr;
}

// A battle with a bought Axis unit and two large flags, saved as "Ridge".
std::string MakeAndSave(EditorRig& rig) {
  EditorState& state = *rig.State();
  rig.App().DoCommand(105);
  Unit* unit = state.MakeUnit(0, 0, true);
  state.PurchaseList(state.GetSide(), state.GetArrivalSlot()).Append(unit);
  rig.App().DoCommand(158);
  rig.App().DoCommand(104);
  rig.App().DoCommand(127);
  rig.App().DoCommand(121);
  rig.Choose("Ridge");
  rig.App().DoCommand(102);
  return rig.shell.folder.ReadFile("Saved Games/Ridge.wrb");
}

}  // namespace

TEST(EditorMapView3D, TheVisitShowsTheBattleAndGoComesBackWithNothingLost) {
  EditorRig rig;
  LinkAllBitmaps(rig.shell.folder);
  EditorState& state = *rig.State();
  const std::string kept = MakeAndSave(rig);
  ASSERT_FALSE(kept.empty());
  ASSERT_EQ(state.modified, 0);

  rig.App().DoCommand(106);
  ASSERT_NE(state.mapView, nullptr);
  rig.App().DoCommand(137);
  ASSERT_TRUE(state.IsBattleViewOpen());
  Battle* shown = rig.App().GetBattle();
  ASSERT_NE(shown, nullptr);
  EXPECT_NE(shown->Screen().views.root, nullptr);
  EXPECT_EQ(state.screenView->IsVisible(), 0);
  EXPECT_EQ(rig.App().GetSideToPlay(), 1);
  EXPECT_EQ(CountMarkers(*shown, Inanimate::kLargeFlagMarker), 2);
  // The map editor's grids now go into the map read back.
  EXPECT_EQ(state.mapView->GetMap(), shown->map);
  // The editor's keys wait while the battle screen is up.
  const int8_t level = state.elevationLevel;
  rig.App().DoCommand(139);
  state.HandleElevationKey('+', false);
  EXPECT_EQ(state.elevationLevel, level);

  rig.App().DoCommand(9);
  EXPECT_FALSE(state.IsBattleViewOpen());
  Battle* back = rig.App().GetBattle();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Screen().views.root, nullptr);
  EXPECT_EQ(state.screenView->IsVisible(), 1);
  EXPECT_EQ(rig.App().GetSideToPlay(), 2);
  EXPECT_EQ(back->flags.Count(), 2);
  EXPECT_EQ(CountMarkers(*back, Inanimate::kLargeFlagMarker), 0);
  EXPECT_EQ(state.mapView->GetMap(), back->map);

  rig.App().DoCommand(136);
  rig.Choose("Ridge");
  rig.Type("y");
  rig.App().DoCommand(102);
  EXPECT_EQ(state.modified, 0);
  EXPECT_TRUE(rig.shell.folder.ReadFile("Saved Games/Ridge.wrb") == kept);
}

TEST(EditorMapView3D, WhatIsMovedInTheBattleScreenStaysMoved) {
  EditorRig rig;
  LinkAllBitmaps(rig.shell.folder);
  EditorState& state = *rig.State();
  MakeAndSave(rig);
  rig.App().DoCommand(106);
  rig.App().DoCommand(137);
  Battle* shown = rig.App().GetBattle();
  ASSERT_NE(shown, nullptr);
  Inanimate* marker = FirstMarker(*shown, Inanimate::kLargeFlagMarker);
  ASSERT_NE(marker, nullptr);
  marker->x = 123.0f;
  marker->y = 77.0f;
  Unit* unit = nullptr;
  for (int32_t i = 0; i < shown->UnitCount() && unit == nullptr; ++i)
    if (dynamic_cast<Inanimate*>(shown->UnitAt(i)) == nullptr) unit = shown->UnitAt(i);
  ASSERT_NE(unit, nullptr);
  unit->x = 210.0f;
  unit->y = 190.0f;
  rig.App().DoCommand(9);
  Battle* back = rig.App().GetBattle();
  ASSERT_NE(back, nullptr);
  bool found = false;
  for (int32_t i = 0; i < back->flags.Count(); ++i)
    found = found || (back->FlagAt(i)->x == 123.0f && back->FlagAt(i)->y == 77.0f);
  EXPECT_TRUE(found);
  EXPECT_EQ(unit->x, 210.0f);
  EXPECT_EQ(unit->y, 190.0f);

  // A second visit starts from where the first one left things.
  rig.App().DoCommand(137);
  ASSERT_TRUE(state.IsBattleViewOpen());
  EXPECT_EQ(CountMarkers(*rig.App().GetBattle(), Inanimate::kLargeFlagMarker), 2);
  rig.App().DoCommand(9);
  EXPECT_FALSE(state.IsBattleViewOpen());
  rig.App().DoCommand(136);
  EXPECT_EQ(rig.App().GetBattle()->flags.Count(), 2);
}

TEST(EditorMapView3D, AnOperationIsShownThroughABattleMadeForTheVisit) {
  EditorRig rig;
  LinkAllBitmaps(rig.shell.folder);
  EditorState& state = *rig.State();
  rig.App().DoCommand(114);
  ASSERT_NE(rig.App().GetCampaign(), nullptr);
  ASSERT_EQ(rig.App().GetBattle(), nullptr);
  rig.App().DoCommand(106);
  rig.App().DoCommand(137);
  ASSERT_TRUE(state.IsBattleViewOpen());
  ASSERT_NE(rig.App().GetBattle(), nullptr);
  EXPECT_NE(rig.App().GetBattle()->Screen().views.root, nullptr);
  rig.App().DoCommand(9);
  EXPECT_FALSE(state.IsBattleViewOpen());
  // The battle made for the visit is gone; the grids go into the operation's map again.
  EXPECT_EQ(rig.App().GetBattle(), nullptr);
  ASSERT_NE(rig.App().GetCampaign(), nullptr);
  EXPECT_EQ(state.mapView->GetMap(), rig.App().GetCampaign()->map);
  rig.App().DoCommand(136);
  EXPECT_EQ(state.mapView, nullptr);
}
