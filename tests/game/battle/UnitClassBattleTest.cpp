// The unit classes' own rules inside a whole battle of the built-in tables: a mine under a
// vehicle, a vehicle stopping short of the mines the one ahead set off, the aircraft's arrival by the battle's length, vehicles on the two levels of a
// bridge, and who may lay an ambush.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/TablesBattleRig.h"
#include "game/map/Map.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/vehicle/Vehicle.h"
#include "support/TestFolder.h"

namespace {

struct ClassBattleRig : TablesBattleRig {
  ClassBattleRig() : TablesBattleRig({&Inanimate::Register, &Airplane::Register}) {}
  Map& M() { return *B().map; }

  // The first ground vehicle class (kinds 0..4) that moves, armoured or not.
  static int32_t FindVehicleClass(bool armoured) {
    for (int32_t i = 0; i < gVehicleClasses.Count() && i < 222; ++i) {
      const VehicleData c = gVehicleClasses[i];
      if (c.KindCode() < 0 || c.KindCode() > 4 || c.MaxSpeed() <= 0) continue;
      if ((c.MainArmour() > 0) == armoured) return i;
    }
    return -1;
  }
  Vehicle* AddVehicle(int32_t classIndex, int32_t sideIndex, float x, float y, float facing) {
    auto* vehicle = new Vehicle();
    vehicle->SetClass(classIndex, sideIndex == 0 ? 6 : 0, 2, x, y, facing);
    vehicle->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(vehicle, x, y);
    return vehicle;
  }
  // Sets the 2 m cells of the rectangle to the terrain type, keeping their heights.
  void Paint(float x0, float y0, float x1, float y1, int32_t type) {
    for (auto cx = static_cast<int32_t>(x0 / 2.0f); cx <= static_cast<int32_t>(x1 / 2.0f); ++cx) {
      for (auto cy = static_cast<int32_t>(y0 / 2.0f); cy <= static_cast<int32_t>(y1 / 2.0f); ++cy) {
        uint16_t& cell = M().terrain.fineGrid.At(cx, cy);
        cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
      }
    }
  }
  static void DriveTo(Vehicle& vehicle, float x, float y) {
    Waypoint& point = vehicle.WaypointAt(0);
    point = Waypoint{};
    point.x = x;
    point.y = y;
    point.moveMode = 3;
    point.pointKind = 1;
    vehicle.waypointCount = 1;
  }

};

}  // namespace

TEST(UnitClassBattle, AKnownAntitankMineDestroysASoftVehicleAndTakesAnArmouredOnesTracks) {
  ClassBattleRig rig;
  const int32_t soft = ClassBattleRig::FindVehicleClass(false);
  const int32_t armoured = ClassBattleRig::FindVehicleClass(true);
  ASSERT_GE(soft, 0);
  ASSERT_GE(armoured, 0);
  for (const bool armour : {false, true}) {
    auto* field = new Inanimate();
    field->Init(Inanimate::kTankMines, 1, 400.0f, 400.0f, 0.0f);
    field->identificationLevel = 4;  // known: half the chance, still sure at this speed
    rig.B().PlaceUnitAt(field, 400.0f, 400.0f);
    Vehicle* vehicle = rig.AddVehicle(armour ? armoured : soft, 0, 402.0f, 401.0f, 90.0f);
    vehicle->speed = 10.0f;
    SeedRandom(3);
    rig.B().currentSlice = 0;
    field->StepSlice(0);
    if (armour) {
      EXPECT_TRUE(vehicle->IsAlive());
      EXPECT_EQ(vehicle->immobilized, 1);
    } else {
      EXPECT_FALSE(vehicle->IsAlive());
    }
    field->alive = 0;  // the next vehicle meets only its own field
  }
}

TEST(UnitClassBattle, AVehicleStopsShortOfTheMinefieldTheVehicleAheadSetOff) {
  // Two tanks driving east side by side, the second 40 m behind the first and ordered to a
  // point inside an unknown antitank field. Played from seeds until the first sets it off.
  bool wentOff = false;
  for (uint32_t seed = 1; seed <= 40 && !wentOff; ++seed) {
    ClassBattleRig rig;
    const int32_t tank = ClassBattleRig::FindVehicleClass(true);
    ASSERT_GE(tank, 0);
    rig.Paint(200.0f, 380.0f, 600.0f, 420.0f, 0);
    auto* field = new Inanimate();
    field->Init(Inanimate::kTankMines, 1, 400.0f, 400.0f, 0.0f);
    rig.B().PlaceUnitAt(field, 400.0f, 400.0f);
    Vehicle* ahead = rig.AddVehicle(tank, 0, 370.0f, 396.0f, 0.0f);
    Vehicle* behind = rig.AddVehicle(tank, 0, 330.0f, 406.0f, 0.0f);
    ClassBattleRig::DriveTo(*ahead, 560.0f, 396.0f);
    ClassBattleRig::DriveTo(*behind, 400.0f, 406.0f);
    rig.headless.Host().SetHideOption(1);  // fog of war: the field is not known beforehand
    rig.B().setupPhase = 0;
    SeedRandom(seed);
    rig.headless.Go(static_cast<uint16_t>(seed));
    // Only a field the first tank set off counts (the second may set off one the first passed).
    if (field->revealedThisTurn == 0 || (ahead->immobilized == 0 && ahead->IsAlive())) continue;
    wentOff = true;
    // The second stopped before the field, its way into it dropped.
    EXPECT_LT(behind->x, 388.0f) << "seed " << seed;
    EXPECT_GT(behind->x, 340.0f) << "seed " << seed;
    EXPECT_EQ(behind->waypointCount, 0) << "seed " << seed;
  }
  EXPECT_TRUE(wentOff);
}

TEST(UnitClassBattle, AnAircraftsArrivalFollowsTheBattlesLengthAndBadWeatherGroundsItOnTheFirstTurnOnly) {
  // 200 waiting aircraft at the start of turn 2: three in forty arrive in a battle of 40 turns
  // or more, three in ten in one of ten turns; bad weather grounds none after the first turn.
  auto arrivals = [](int32_t lastTurn, int32_t weather, int32_t& grounded) {
    ClassBattleRig rig;
    rig.B().lastTurn = lastTurn;
    rig.B().currentTurn = 2;
    rig.B().weather = weather;
    std::vector<Airplane*> aircraft;
    for (int32_t i = 0; i < 200; ++i) {
      auto* airplane = new Airplane();
      airplane->Initialize(1, 2);
      airplane->side = 0;
      rig.B().PlaceUnitAt(airplane, 0.0f, 0.0f);
      aircraft.push_back(airplane);
    }
    SeedRandom(17);
    rig.B().setupPhase = 0;
    rig.headless.Go(21);
    int32_t came = 0;
    grounded = 0;
    for (const Airplane* airplane : aircraft) {
      if (airplane->state == Airplane::kGone) ++grounded;
      if (airplane->state != Airplane::kWaiting && airplane->state != Airplane::kGone) ++came;
    }
    return came;
  };
  int32_t grounded = 0;
  const int32_t longBattle = arrivals(60, 0, grounded);
  const int32_t shortBattle = arrivals(10, 0, grounded);
  EXPECT_LT(longBattle, 25);
  EXPECT_GT(shortBattle, 40);
  arrivals(10, 2, grounded);
  EXPECT_EQ(grounded, 0);
}

TEST(UnitClassBattle, VehiclesKeepToTheLevelsOfABridge) {
  ClassBattleRig rig;
  const int32_t tank = ClassBattleRig::FindVehicleClass(true);
  ASSERT_GE(tank, 0);
  // A road north along x = 300 passing under a bridge (y 396..404), and a bridge over water
  // (y 496..504) right across the map.
  rig.Paint(290.0f, 200.0f, 310.0f, 450.0f, 9);
  rig.Paint(290.0f, 396.0f, 310.0f, 404.0f, 39);
  rig.Paint(0.0f, 496.0f, rig.M().size.worldWidth - 2.0f, 504.0f, 38);
  rig.B().setupPhase = 0;
  // Under the bridge on the road, driving out: it comes back up to the ground.
  Vehicle* under = rig.AddVehicle(tank, 0, 300.0f, 405.5f, 90.0f);
  under->level = -1.0f;
  ClassBattleRig::DriveTo(*under, 300.0f, 440.0f);
  under->speed = 0.2f;
  float level = -5.0f;
  EXPECT_GT(under->TerrainMobility(&level), 0.0f);
  EXPECT_EQ(level, 0.0f);
  // Driving on under the bridge it stays below.
  under->y = 399.0f;
  EXPECT_GT(under->TerrainMobility(&level), 0.0f);
  EXPECT_EQ(level, -1.0f);
  // From the bank the span over the water is water: no vehicle drives onto it.
  Vehicle* bank = rig.AddVehicle(tank, 0, 200.0f, 495.8f, 90.0f);
  ClassBattleRig::DriveTo(*bank, 200.0f, 540.0f);
  bank->speed = 0.2f;
  EXPECT_EQ(bank->TerrainMobility(&level), 0.0f);
}

TEST(UnitClassBattle, OnlyAnArmedUnitOrAnAmbushClassLaysAnAmbush) {
  ClassBattleRig rig;
  int32_t plain = -1;
  int32_t sappers = -1;
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData c = gInfantryClasses[i];
    if (c.MainWeapon() != Infantry::kNoWeapon || c.Men() < 2 || c.SpeedClass() < 2) continue;
    if (c.Demolition() == 0 && plain < 0) plain = i;
    if (c.Demolition() != 0 && sappers < 0) sappers = i;
  }
  ASSERT_GE(plain, 0);
  ASSERT_GE(sappers, 0);
  auto squadOf = [&rig](int32_t classIndex, float x) {
    auto* squad = new Infantry();
    squad->Init(classIndex, 6, 2, x, 300.0f, 90.0f);
    squad->side = 1;
    rig.B().PlaceUnitAt(squad, x, 300.0f);
    return squad;
  };
  Infantry* riflemen = squadOf(plain, 300.0f);
  Infantry* engineers = squadOf(sappers, 340.0f);
  EXPECT_FALSE(riflemen->CanPlaceAmbush(300.0f, 340.0f));
  EXPECT_TRUE(engineers->CanPlaceAmbush(340.0f, 340.0f));
}
