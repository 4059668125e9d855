// Obstacles, mines and markers: the kind table, stored form and its checks, the map stamp and
// placement, the minefield's chance and what a mine going off records, spotting, the ambush
// marker's watch and release, and what the drawing shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/InfantryRig.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/UnitBytes.h"

namespace {

constexpr float kMph = 0.4473f * 0.025f;

std::unique_ptr<Inanimate> Make(int32_t kind, int32_t group, float x, float y, float facing = 0.0f) {
  auto object = std::make_unique<Inanimate>();
  object->Init(kind, group, x, y, facing);
  return object;
}

// The infantry world with the default 800 m map; the object tests join units to the battle.
struct ObjectRig {
  ObjectRig() { infantry.UseMap(); }
  Map& GetMap() { return *infantry.world.Battle().map; }
  TestUnitWorld& World() { return infantry.world; }
  void Join(Unit& unit) { World().Lend(&unit); }
  void SetTerrain(float px, float py, int32_t type) {
    uint16_t& cell = GetMap().terrain.fineGrid.At(static_cast<int32_t>(px / 2.0f), static_cast<int32_t>(py / 2.0f));
    cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
  }
  InfantryRig infantry;
};

TEST(InanimateKinds, TableFootprintAndBoxesFollowTheKind) {
  ObjectRig rig;
  auto roadblock = Make(Inanimate::kRoadblock, 0, 100.0f, 100.0f);
  EXPECT_FLOAT_EQ(roadblock->GetPurchaseCost(), 25.0f);
  EXPECT_FLOAT_EQ(roadblock->halfWidth, 4.0f);
  EXPECT_FLOAT_EQ(roadblock->halfDepth, 12.5f);
  EXPECT_FLOAT_EQ(roadblock->hx * 1.9f, 45.0f);
  EXPECT_FLOAT_EQ(roadblock->hy * 1.9f, 45.0f);
  EXPECT_FLOAT_EQ(roadblock->hz * 1.9f, 2.8f);
  EXPECT_EQ(roadblock->side, 1);
  EXPECT_EQ(roadblock->identificationLevel, 0);
  EXPECT_EQ(roadblock->GetKind(), 0);
  EXPECT_FALSE(roadblock->CanMove());
  for (int32_t kind : {8, 9, 10}) {
    auto marker = Make(kind, 1, 50.0f, 50.0f);
    EXPECT_EQ(marker->identificationLevel, 4);
    EXPECT_EQ(marker->side, 0);
    EXPECT_FLOAT_EQ(marker->GetPurchaseCost(), 0.0f);
    EXPECT_FLOAT_EQ(marker->hz * 1.9f, 25.0f);
  }
  EXPECT_FLOAT_EQ(Make(5, 0, 0.0f, 0.0f)->GetPurchaseCost(), 15.0f);
  EXPECT_FLOAT_EQ(Make(3, 0, 0.0f, 0.0f)->GetPurchaseCost(), 1.0f);
  EXPECT_FLOAT_EQ(roadblock->GetAirAttackValue(0), -1.0f);
}

TEST(InanimateKindsDeathTest, KindSevenIsFatal) {
  EXPECT_DEATH(Make(7, 0, 0.0f, 0.0f), "");
  EXPECT_DEATH(Make(11, 0, 0.0f, 0.0f), "");
  EXPECT_DEATH(
      {
        ObjectRig rig;
        auto object = Make(0, 0, 100.0f, 100.0f);
        object->classIndex = 7;
        object->StampFootprint();
      },
      "");
}

TEST(InanimateKinds, FootprintPointsTurnWithTheFacing) {
  auto wire = Make(Inanimate::kWire, 0, 200.0f, 300.0f, 90.0f);
  float xs[8];
  float ys[8];
  wire->GetFootprintPoints(xs, ys, true);
  // Turned a quarter: the 6 m width runs along y, the 20 m depth along x.
  EXPECT_NEAR(xs[0], 210.0f, 1e-3f);
  EXPECT_NEAR(ys[0], 297.0f, 1e-3f);
  EXPECT_NEAR(xs[2], 190.0f, 1e-3f);
  EXPECT_NEAR(ys[2], 303.0f, 1e-3f);
  EXPECT_NEAR(xs[4], 200.0f + (xs[0] - 200.0f + xs[3] - 200.0f) * 0.4f, 1e-3f);
}

TEST(InanimateStoredForm, RoadblockPartIsGoldenAndTheBoxSurvivesALoad) {
  ObjectRig rig;
  auto roadblock = Make(Inanimate::kRoadblock, 0, 100.0f, 100.0f, 30.0f);
  const std::string bytes = Write(*roadblock);
  ASSERT_GE(bytes.size(), 12u);
  EXPECT_EQ(Hex(bytes, bytes.size() - 12), "000000000000000001900" "4E2");
  Inanimate copy;
  ASSERT_TRUE(Read(bytes, copy));
  EXPECT_EQ(copy.GetKind(), 0);
  EXPECT_FLOAT_EQ(copy.halfWidth, 4.0f);
  EXPECT_FLOAT_EQ(copy.halfDepth, 12.5f);
  // Set as at initialisation: a turned roadblock stays in view at the screen's edges.
  EXPECT_FLOAT_EQ(copy.hx * 1.9f, 45.0f);
  EXPECT_FLOAT_EQ(copy.hy * 1.9f, 45.0f);
  EXPECT_FLOAT_EQ(copy.hz * 1.9f, 2.8f);
  EXPECT_EQ(Write(copy), bytes);
}

TEST(InanimateStoredForm, BadKindsAndSizesAreRefused) {
  ObjectRig rig;
  auto mines = Make(Inanimate::kTankMines, 0, 100.0f, 100.0f);
  const std::string good = Write(*mines);
  // The class index (the kind) is the record's u16 just before the orders code.
  for (int32_t kind : {7, 11, 200}) {
    auto bad = Make(Inanimate::kTankMines, 0, 100.0f, 100.0f);
    bad->classIndex = kind;
    Inanimate copy;
    EXPECT_FALSE(Read(Write(*bad), copy)) << kind;
  }
  for (int32_t kind : {0, 6, 8, 10}) {
    auto fine = Make(kind, 0, 100.0f, 100.0f);
    Inanimate copy;
    EXPECT_TRUE(Read(Write(*fine), copy)) << kind;
  }
  std::string zeroWidth = good;
  zeroWidth[good.size() - 4] = 0;
  zeroWidth[good.size() - 3] = 0;
  Inanimate copy;
  EXPECT_FALSE(Read(zeroWidth, copy));
  std::string negativeDepth = good;
  negativeDepth[good.size() - 2] = static_cast<char>(0xFF);
  Inanimate other;
  EXPECT_FALSE(Read(negativeDepth, other));
  Inanimate shortened;
  EXPECT_FALSE(Read(good.substr(0, good.size() - 1), shortened));
}

TEST(InanimateMap, StampWritesExactlyTheTwoTrianglesAndPlacementFollowsTheGround) {
  ObjectRig rig;
  Map& map = rig.GetMap();
  for (int32_t kind : {Inanimate::kRoadblock, Inanimate::kWire}) {
    rig.infantry.UseMap();
    Map& fresh = rig.GetMap();
    auto object = Make(kind, 0, 301.0f, 401.0f, 35.0f);
    object->StampFootprint();
    float xs[8];
    float ys[8];
    object->GetFootprintPoints(xs, ys, true);
    const Map::Point3 p0{xs[0], ys[0], 0.0f};
    const Map::Point3 p1{xs[1], ys[1], 0.0f};
    const Map::Point3 p2{xs[2], ys[2], 0.0f};
    const Map::Point3 p3{xs[3], ys[3], 0.0f};
    int32_t stamped = 0;
    for (int32_t cx = 130; cx < 170; ++cx) {
      for (int32_t cy = 180; cy < 220; ++cy) {
        const float px = static_cast<float>(cx) * 2.0f;
        const float py = static_cast<float>(cy) * 2.0f;
        const bool inside = Map::IsInTriangle(px, py, p0, p1, p2) || Map::IsInTriangle(px, py, p0, p3, p2);
        const int32_t type = fresh.terrain.fineGrid.At(cx, cy) >> 10;
        EXPECT_EQ(type == (kind == 0 ? 4 : 5), inside) << cx << "," << cy;
        stamped += inside ? 1 : 0;
      }
    }
    EXPECT_GT(stamped, 20);
  }
  (void)map;
  // Marker kinds and mines leave the ground alone.
  rig.infantry.UseMap();
  auto field = Make(Inanimate::kPersonnelMines, 0, 301.0f, 401.0f);
  const uint16_t before = rig.GetMap().terrain.fineGrid.At(150, 200);
  field->StampFootprint();
  EXPECT_EQ(rig.GetMap().terrain.fineGrid.At(150, 200), before);

  // Placement: water fails every kind but the markers; roads fail minefields.
  rig.SetTerrain(500.0f, 500.0f, 25);
  for (int32_t kind : {0, 1, 2, 3, 4, 5, 6}) EXPECT_FALSE(Make(kind, 0, 0, 0)->CanStandAt(500.0f, 500.0f, true)) << kind;
  for (int32_t kind : {8, 9, 10}) EXPECT_TRUE(Make(kind, 0, 0, 0)->CanStandAt(500.0f, 500.0f, true)) << kind;
  for (int32_t road : {9, 10, 11, 19}) {
    rig.SetTerrain(600.0f, 600.0f, road);
    EXPECT_FALSE(Make(4, 0, 0, 0)->CanStandAt(600.0f, 600.0f, true)) << road;
    EXPECT_FALSE(Make(5, 0, 0, 0)->CanStandAt(600.0f, 600.0f, true)) << road;
    EXPECT_TRUE(Make(6, 0, 0, 0)->CanStandAt(600.0f, 600.0f, true)) << road;
    EXPECT_TRUE(Make(0, 0, 0, 0)->CanStandAt(600.0f, 600.0f, true)) << road;
  }
  // Marsh (12) cannot take a stamp, but a reference point stands on it.
  rig.SetTerrain(700.0f, 200.0f, 12);
  EXPECT_FALSE(Make(0, 0, 0, 0)->CanStandAt(700.0f, 200.0f, true));
  EXPECT_TRUE(Make(2, 0, 0, 0)->CanStandAt(700.0f, 200.0f, true));
}

TEST(InanimateMines, ChanceFollowsSpeedMenAndKnowledge) {
  ObjectRig rig;
  auto tankField = Make(Inanimate::kTankMines, 1, 400.0f, 400.0f);
  TestVehicle truck;
  truck.side = 0;
  truck.x = 405.0f;
  truck.y = 395.0f;
  EXPECT_FLOAT_EQ(tankField->MineChance(truck), 0.0f);  // standing
  truck.speed = 0.2f;
  EXPECT_FLOAT_EQ(tankField->MineChance(truck), 0.04f);
  truck.speed = -0.2f;
  EXPECT_FLOAT_EQ(tankField->MineChance(truck), 0.04f);
  tankField->identificationLevel = 2;
  EXPECT_FLOAT_EQ(tankField->MineChance(truck), 0.02f);
  truck.x = 410.5f;
  EXPECT_FLOAT_EQ(tankField->MineChance(truck), 0.0f);  // outside the 10 m box

  TestInfantry squad;
  squad.men = 9;
  squad.x = 400.0f;
  squad.y = 400.0f;
  squad.speed = 3.5f * kMph;
  auto personnelField = Make(Inanimate::kPersonnelMines, 1, 400.0f, 400.0f);
  EXPECT_NEAR(personnelField->MineChance(squad), 0.0175342f, 1e-7f);
  EXPECT_FLOAT_EQ(personnelField->MineChance(truck), 0.0f);
  EXPECT_FLOAT_EQ(tankField->MineChance(squad), 0.0f);
  squad.surrendered = true;
  EXPECT_FLOAT_EQ(personnelField->MineChance(squad), 0.0f);

  // A daisy chain spares a crew that sees it coming at a walk.
  auto chain = Make(Inanimate::kMineChain, 1, 400.0f, 400.0f);
  truck.x = 400.0f;
  truck.speed = 0.2f;
  truck.waypointCount = 1;
  truck.WaypointAt(0).moveMode = 1;
  EXPECT_FLOAT_EQ(chain->MineChance(truck), 0.004f);
  truck.buttoned = true;
  EXPECT_FLOAT_EQ(chain->MineChance(truck), 0.04f);
}

TEST(InanimateMines, TestRunsEveryFourthSliceWithOneDrawPerUnitInTheBox) {
  ObjectRig rig;
  auto field = Make(Inanimate::kTankMines, 1, 400.0f, 400.0f);
  TestVehicle near;
  near.side = 0;
  near.x = 402.0f;
  near.y = 402.0f;
  near.speed = 0.01f;  // p = 0.002
  TestVehicle far;
  far.x = 500.0f;
  far.y = 400.0f;
  far.speed = 5.0f;
  TestInfantry walker;  // the wrong kind for antitank mines: no draw
  walker.x = 400.0f;
  walker.y = 400.0f;
  walker.speed = 0.1f;
  walker.men = 5;
  rig.Join(near);
  rig.Join(far);
  rig.Join(walker);
  rig.World().app.options[10] = 1;  // fog of war: the object's spotting draws nothing here
  field->identificationLevel = 4;
  for (int32_t slice : {4, 5, 6, 7, 8}) {
    rig.World().Battle().currentSlice = slice;
    SeedRandom(77);
    const uint32_t before = RandomState();
    field->StepSlice(slice);
    const uint32_t after = RandomState();
    SeedRandom(77);
    if (slice % 4 == 0) {
      RandomFloat();
      EXPECT_EQ(after, RandomState()) << slice;
    } else {
      EXPECT_EQ(after, before) << slice;
    }
  }
  EXPECT_TRUE(rig.World().firePackets.empty());
}

TEST(InanimateMines, AMineGoingOffTakesOneManAndRevealsTheField) {
  ObjectRig rig;
  auto field = Make(Inanimate::kPersonnelMines, 1, 400.0f, 400.0f);
  field->alive = 1;
  std::unique_ptr<Infantry> squad = rig.infantry.Make(InfantryRig::kSquad, 3);
  squad->side = 0;
  squad->SetPosition(403.0f, 398.0f);
  squad->speed = 30.0f * kMph * 10.0f;  // p far above 1
  rig.Join(*squad);
  rig.World().Battle().currentSlice = 8;
  const int32_t men = squad->GetMenPresent();
  SeedRandom(5);
  field->StepSlice(8);
  EXPECT_EQ(squad->GetMenPresent(), men - 1);
  ASSERT_EQ(rig.World().firePackets.size(), 1u);
  const UnitFirePacket& packet = rig.World().firePackets[0];
  EXPECT_EQ(packet.shooter, field.get());
  EXPECT_EQ(packet.targetUnit, squad.get());
  EXPECT_FLOAT_EQ(packet.blastValue, 4.0f);
  EXPECT_EQ(packet.slice, 8);
  EXPECT_FLOAT_EQ(packet.targetX, 403.0f);
  ASSERT_FALSE(rig.World().soundPackets.empty());
  EXPECT_EQ(rig.World().soundPackets[0].slice, 9);
  EXPECT_EQ(field->identificationLevel, 4);
  EXPECT_TRUE(field->IsRevealedThisTurn());
  bool stateRecorded = false;
  for (const UnitStatePacket& state : rig.World().statePackets) stateRecorded |= state.unit == field.get();
  EXPECT_TRUE(stateRecorded);
  field->BeginTurn();
  EXPECT_FALSE(field->IsRevealedThisTurn());

  // An antitank field under a vehicle: the heavier blast (what it does to a real vehicle is
  // the vehicle's own rule, played in the battle's tests).
  rig.World().firePackets.clear();
  auto tankField = Make(Inanimate::kTankMines, 1, 100.0f, 100.0f);
  TestVehicle jeep;
  jeep.side = 0;
  jeep.x = 100.0f;
  jeep.y = 100.0f;
  jeep.speed = 10.0f;
  EXPECT_TRUE(tankField->TestMine(jeep));
  ASSERT_EQ(rig.World().firePackets.size(), 1u);
  EXPECT_FLOAT_EQ(rig.World().firePackets[0].blastValue, 13.0f);
  // Aircraft, objects and surrendered units never set a field off.
  TestVehicle surrendered = jeep;
  surrendered.surrendered = true;
  surrendered.speed = 10.0f;
  EXPECT_FALSE(tankField->TestMine(surrendered));
  auto other = Make(Inanimate::kRoadblock, 0, 100.0f, 100.0f);
  other->speed = 10.0f;
  EXPECT_FALSE(tankField->TestMine(*other));
}

TEST(InanimateSpotting, FogOffShowsEverythingAndFogOnNeedsAnEyeInRange) {
  ObjectRig rig;
  auto roadblock = Make(Inanimate::kRoadblock, 1, 400.0f, 400.0f);
  rig.World().app.options[10] = 0;
  roadblock->StepSlice(0);
  EXPECT_EQ(roadblock->identificationLevel, 4);

  rig.World().app.options[10] = 1;
  TestVehicle crew;
  crew.side = 1;
  crew.buttoned = true;
  crew.x = 400.0f;
  crew.y = 500.0f;  // 100 m: beyond a buttoned crew's 120 m for a roadblock
  rig.Join(crew);
  auto fresh = Make(Inanimate::kRoadblock, 1, 400.0f, 400.0f);
  fresh->spottingValue = 1;
  fresh->UpdateSpotting();
  EXPECT_EQ(fresh->identificationLevel, 4);
  auto chain = Make(Inanimate::kMineChain, 1, 400.0f, 400.0f);
  chain->spottingValue = 1;
  chain->UpdateSpotting();
  EXPECT_EQ(chain->identificationLevel, 0);  // 12 m for a buttoned crew
  crew.buttoned = false;
  chain->spottingValue = 1;
  chain->firingBytes[Unit::kSpottingPasses] = 0;
  chain->UpdateSpotting();
  EXPECT_EQ(chain->identificationLevel, 4);
  auto field = Make(Inanimate::kTankMines, 1, 400.0f, 400.0f);
  field->spottingValue = 1;
  field->UpdateSpotting();
  EXPECT_EQ(field->identificationLevel, 0);
}

TEST(InanimateAmbush, WatchRetargetsOnceInFortySlicesAndDeletionLeavesNoReference) {
  ObjectRig rig;
  auto marker = Make(Inanimate::kAmbushMarker, 0, 400.0f, 400.0f);
  TestInfantry own;
  own.side = 1;
  own.x = 300.0f;
  own.y = 300.0f;
  own.target = marker.get();
  TestInfantry enemy;
  enemy.side = 0;
  enemy.identificationLevel = 4;
  enemy.x = 420.0f;
  enemy.y = 410.0f;  // 22 m
  rig.Join(own);
  rig.Join(enemy);
  marker->sliceCounter = 1;
  marker->UpdateSlice(1);
  EXPECT_EQ(own.target, marker.get());  // not a watch slice
  marker->sliceCounter = 40;
  marker->UpdateSlice(40);
  EXPECT_NE(own.target, marker.get());

  own.target = marker.get();
  own.orderedTarget = marker.get();
  own.ordersPhaseTarget = marker.get();
  enemy.x = 440.0f;  // 44 m: out of the watch
  marker->sliceCounter = 80;
  marker->UpdateSlice(80);
  EXPECT_EQ(own.target, marker.get());
  marker->ReleaseAsTargetOfAll();
  EXPECT_EQ(own.target, nullptr);
  EXPECT_EQ(own.orderedTarget, nullptr);
  EXPECT_EQ(own.ordersPhaseTarget, nullptr);
}

}  // namespace
