// What an infantry unit marks for the building pass: the building it stands in, by floor,
// only when the viewer has identified it, and the buildings the selected unit's waypoints
// lead into.
#include <gtest/gtest.h>

#include "framework/core/GGroup.h"
#include "game/map/Building.h"
#include "game/map/FineTerrain.h"
#include "game/units/InfantryRig.h"

namespace {

struct MarksRig : InfantryRig {
  Building* house = nullptr;
  std::unique_ptr<Infantry> squad;
  MarksRig() {
    UseMap();
    Map& map = *world.Battle().map;
    // A light building (31) on tile (5, 5), its cells stamped with its type.
    house = new Building(map);
    const MapCorner corners[4] = {{100.0f, 100.0f}, {100.0f, 120.0f}, {120.0f, 120.0f}, {120.0f, 100.0f}};
    house->Setup(31, map.ElevationAt(110.0f, 110.0f), false, corners);
    map.objects.buildings->Append(house);
    for (int32_t cx = 50; cx < 60; ++cx) {
      for (int32_t cy = 50; cy < 60; ++cy) {
        uint16_t& cell = map.terrain.fineGrid.At(cx, cy);
        cell = static_cast<uint16_t>((31 << 10) | (cell & FineTerrain::kHeightMask));
      }
    }
    squad = Make(kSquad, 6);
    squad->x = 110.0f;
    squad->y = 110.0f;
  }
  Map& TheMap() { return *world.Battle().map; }
};

}  // namespace

TEST(InfantryBuildingMarks, TheBuildingUnderAnIdentifiedSquadByFloor) {
  MarksRig rig;
  ASSERT_EQ(rig.TheMap().TerrainTypeAt(110.0f, 110.0f), 31);
  ASSERT_GE(rig.squad->GetIdentificationLevel(), 2);
  rig.squad->MarkOccupiedBuildings(rig.TheMap());
  EXPECT_EQ(rig.house->displayMark, 0);  // on the ground floor: cut away
  rig.house->displayMark = 1;
  rig.squad->level = 1.0f;
  rig.squad->MarkOccupiedBuildings(rig.TheMap());
  EXPECT_EQ(rig.house->displayMark, 2);  // upstairs: occupied

  // Outside the building, or dead, nothing is marked.
  rig.house->displayMark = 1;
  rig.squad->x = 150.0f;
  rig.squad->MarkOccupiedBuildings(rig.TheMap());
  rig.squad->x = 110.0f;
  rig.squad->alive = 0;
  rig.squad->MarkOccupiedBuildings(rig.TheMap());
  EXPECT_EQ(rig.house->displayMark, 1);
}

TEST(InfantryBuildingMarks, TheSelectedSquadsWaypointsMarkWhileOrdersAreGiven) {
  MarksRig rig;
  Infantry& squad = *rig.squad;
  squad.x = 300.0f;  // in the open
  squad.waypointCount = 1;
  squad.WaypointAt(0).x = 110.0f;
  squad.WaypointAt(0).y = 110.0f;
  squad.WaypointAt(0).upperLevel = 1;
  ASSERT_TRUE(squad.IsCommandable());
  squad.MarkOccupiedBuildings(rig.TheMap());
  EXPECT_EQ(rig.house->displayMark, 1);  // not selected
  rig.world.Battle().selectedUnit = &squad;
  rig.world.app.inputMode = InputModes::kReplay;  // replaying
  squad.MarkOccupiedBuildings(rig.TheMap());
  EXPECT_EQ(rig.house->displayMark, 1);
  rig.world.app.inputMode = InputModes::kNoPick;
  squad.MarkOccupiedBuildings(rig.TheMap());
  EXPECT_EQ(rig.house->displayMark, 2);
  squad.WaypointAt(0).upperLevel = 0;
  squad.MarkOccupiedBuildings(rig.TheMap());
  EXPECT_EQ(rig.house->displayMark, 0);
  rig.world.Battle().selectedUnit = nullptr;
}
