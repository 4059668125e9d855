// What the units ask of the battle, answered by the battle in play as the program answers it:
// the ground under a vehicle, a minefield found this turn, a flag a squad sees, the edges the
// sides own, a split squad's new half and an ambush marker joining the unit group.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/TablesBattleRig.h"
#include "game/map/Map.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/vehicle/Vehicle.h"
#include "support/TestFolder.h"

namespace {

// A new battle with the built-in tables and every unit kind registered.
struct PlayRig : TablesBattleRig {
  PlayRig() : TablesBattleRig({&Inanimate::Register}) {}

  // The first full rifle squad of the tables (eight men or more, no crew weapon, no leader);
  // with ambush, the first such squad whose class may lay an ambush (the demolition kind).
  Infantry* AddSquad(int32_t sideIndex, float x, float y, bool ambush = false) {
    int32_t squadClass = -1;
    for (int32_t i = 0; i < gInfantryClasses.Count() && squadClass < 0; ++i) {
      const InfantryData c = gInfantryClasses[i];
      if (c.IsSquad() != 0 && c.MainWeapon() == Infantry::kNoWeapon && c.Men() >= 8 && c.LeaderLevel() == 0 &&
          (!ambush || c.Demolition() != 0)) {
        squadClass = i;
      }
    }
    auto* squad = new Infantry();
    squad->Init(squadClass, sideIndex == 0 ? 6 : 0, 2, x, y, 0.0f);
    squad->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(squad, x, y);
    return squad;
  }
  // The first tracked ground vehicle (kind code 4) of the tables, facing east.
  Vehicle* AddTank(float x, float y) {
    int32_t tankClass = -1;
    for (int32_t i = 0; i < gVehicleClasses.Count() && tankClass < 0; ++i) {
      if (gVehicleClasses[i].KindCode() == VehicleData::kKindTracked && gVehicleClasses[i].Weight() > 0) tankClass = i;
    }
    auto* tank = new Vehicle();
    tank->SetClass(tankClass, 0, 2, x, y, 0.0f);
    tank->side = 1;
    B().PlaceUnitAt(tank, x, y);
    return tank;
  }
  // The fine-grid terrain type under a point.
  void PaintTerrain(float x, float y, int32_t type) {
    uint16_t& cell = B().map->terrain.fineGrid.At(static_cast<int32_t>(x / 2.0f), static_cast<int32_t>(y / 2.0f));
    cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
  }

};

}  // namespace

TEST(UnitServicesInPlay, DeepSnowSlowsAVehicleAndMinefieldsFoundThisTurnStopUnitsShort) {
  PlayRig rig;
  Battle& battle = rig.B();
  battle.setupPhase = 0;
  Vehicle* tank = rig.AddTank(100.0f, 100.0f);
  rig.PaintTerrain(100.0f, 100.0f, 0);
  tank->waypointCount = 1;
  tank->WaypointAt(0) = Waypoint{300.0f, 100.0f, 0.0f, 3, 0, 0, 0};
  // From rest, on open ground (softness 0): dry ground is class 1, deep snow class 4.
  const auto mobility = [&](int32_t ground) {
    battle.groundCondition = ground;
    return tank->TerrainMobility(nullptr);
  };
  const float p = tank->GroundPressure();
  const float dry = std::exp(-((p + 1.9f) / 20.0f) * ((p + 1.9f) / 20.0f));
  const float deepSnow = std::exp(-((p + 1.0f) / 11.0f) * ((p + 1.0f) / 11.0f));
  EXPECT_NEAR(mobility(8) / mobility(1), deepSnow / dry, 1e-4f);
  EXPECT_NEAR(Vehicle::gGroundFactor, dry, 1e-6f);
  battle.groundCondition = 1;

  // An antitank field that went off this turn 15 m ahead: the tank stops short of it, and the
  // waypoints inside it go.
  auto* field = new Inanimate();
  field->Init(5, 0, 115.0f, 100.0f, 0.0f);
  battle.PlaceUnitAt(field, 115.0f, 100.0f);
  tank->speed = 0.3f;
  tank->waypointCount = 3;
  tank->WaypointAt(0) = Waypoint{112.0f, 100.0f, 0.0f, 3, 0, 0, 0};
  tank->WaypointAt(1) = Waypoint{120.0f, 100.0f, 0.0f, 3, 0, 0, 0};
  tank->WaypointAt(2) = Waypoint{100.0f, 160.0f, 0.0f, 3, 0, 0, 0};
  Vehicle::gWayAheadCheck = true;
  EXPECT_GT(tank->TerrainMobility(nullptr), 0.0f);  // not yet found
  field->revealedThisTurn = 1;
  EXPECT_EQ(tank->TerrainMobility(nullptr), 0.0f);
  Vehicle::gWayAheadCheck = false;
  ASSERT_EQ(tank->waypointCount, 1);
  EXPECT_EQ(tank->WaypointAt(0).y, 160.0f);

  // A squad walking east stops short of an antipersonnel field found this turn just ahead.
  Infantry* squad = rig.AddSquad(0, 300.0f, 300.0f);
  rig.PaintTerrain(300.0f, 300.0f, 0);
  auto* mines = new Inanimate();
  mines->Init(4, 0, 312.0f, 300.0f, 0.0f);
  battle.PlaceUnitAt(mines, 312.0f, 300.0f);
  squad->waypointCount = 3;
  squad->waypoints[0] = Waypoint{310.0f, 300.0f, 0.0f, 3, 0, 0, 0};
  squad->waypoints[1] = Waypoint{315.0f, 300.0f, 0.0f, 3, 0, 0, 0};
  squad->waypoints[2] = Waypoint{300.0f, 360.0f, 0.0f, 3, 0, 0, 0};
  Infantry::gMinefieldLookAhead = true;
  EXPECT_GT(squad->GetTerrainMobility(nullptr), 0.0f);
  mines->revealedThisTurn = 1;
  EXPECT_EQ(squad->GetTerrainMobility(nullptr), 0.0f);
  Infantry::gMinefieldLookAhead = false;
  ASSERT_EQ(squad->waypointCount, 1);
  EXPECT_EQ(squad->waypoints[0].y, 360.0f);
}

TEST(UnitServicesInPlay, ASquadInTheOpenHoldsAFlagItSeesWithItsWholeWeight) {
  PlayRig rig;
  rig.B().setupPhase = 0;
  Infantry* squad = rig.AddSquad(0, 300.0f, 300.0f);
  squad->identificationLevel = 2;
  const uint8_t flags[2] = {0, 0};
  ASSERT_TRUE(squad->LineOfSightToPoint(320.0f, 300.0f));
  EXPECT_FLOAT_EQ(squad->FlagInfluenceAt(320.0f, 300.0f, flags), squad->GetPurchaseCost());
  EXPECT_FLOAT_EQ(squad->FlagInfluenceAt(355.0f, 300.0f, flags), squad->GetPurchaseCost() * 25.0f * 0.02f);
}

TEST(UnitServicesInPlay, AWithdrawingSquadHeadsForItsOwnEdge) {
  PlayRig rig;
  Battle& battle = rig.B();
  battle.setupPhase = 0;
  // The Axis holds the west edge, the Allies the east; north and south belong to neither.
  battle.edgeOwner[0] = 0;
  battle.edgeOwner[1] = 2;
  battle.edgeOwner[2] = 1;
  battle.edgeOwner[3] = 2;
  const float midX = battle.map->size.worldWidth * 0.5f;
  const float midY = battle.map->size.worldHeight * 0.5f;
  Infantry* axis = rig.AddSquad(0, midX, midY);
  Infantry* allied = rig.AddSquad(1, midX, midY + 40.0f);
  SeedRandom(3);
  ASSERT_TRUE(axis->RetreatTowardFriendlyEdge(true, false));
  ASSERT_TRUE(allied->RetreatTowardFriendlyEdge(true, false));
  const Waypoint& west = axis->WaypointAt(axis->waypointCount - 1);
  const Waypoint& east = allied->WaypointAt(allied->waypointCount - 1);
  EXPECT_LT(west.x, midX - 20.0f);
  EXPECT_GT(std::fabs(west.x - midX), std::fabs(west.y - midY));
  EXPECT_GT(east.x, midX + 20.0f);
  EXPECT_GT(std::fabs(east.x - midX), std::fabs(east.y - midY - 40.0f));
}

TEST(UnitServicesInPlay, ASplitSquadsHalvesAndAnAmbushMarkerJoinTheBattle) {
  PlayRig rig;
  Battle& battle = rig.B();
  battle.setupPhase = 0;
  Infantry* first = rig.AddSquad(0, 200.0f, 200.0f, true);
  Infantry* squad = rig.AddSquad(0, 300.0f, 200.0f);
  Infantry* last = rig.AddSquad(0, 400.0f, 200.0f);
  const int32_t men = squad->GetMenPresent();
  ASSERT_TRUE(squad->CanSplit());
  SeedRandom(9);
  Infantry* half = squad->Split();

  // Both halves are in the battle, the new one right after its parent, with every man.
  ASSERT_EQ(battle.UnitCount(), 4);
  EXPECT_EQ(battle.UnitAt(0), first);
  EXPECT_EQ(battle.UnitAt(1), squad);
  EXPECT_EQ(battle.UnitAt(2), half);
  EXPECT_EQ(battle.UnitAt(3), last);
  EXPECT_EQ(squad->GetMenPresent() + half->GetMenPresent(), men);
  EXPECT_EQ(squad->GetMenPresent(), (men + 1) / 2);

  // An ambush point: the marker joins the unit group numbered past the scenario's units, is
  // the squad's target, and goes with the battle into its stored form.
  Unit::gDesignationCounter = 5;
  first->flagBytes[Unit::kAmbushFlag] = 1;
  first->SetTarget(nullptr, 230.0f, 200.0f, false, false);
  ASSERT_EQ(battle.UnitCount(), 5);
  Unit* marker = battle.UnitAt(4);
  ASSERT_TRUE(marker->IsInanimate());
  EXPECT_EQ(marker->GetInanimateKind(), Inanimate::kAmbushMarker);
  EXPECT_EQ(first->target, marker);
  EXPECT_EQ(marker->designation, 10000);
  std::string saved;
  ASSERT_TRUE(rig.headless.SaveBytes(saved));
  ASSERT_TRUE(rig.headless.LoadBytes(saved));
  Battle& loaded = rig.B();
  ASSERT_EQ(loaded.UnitCount(), 5);
  EXPECT_EQ(loaded.UnitAt(0)->target, loaded.UnitAt(4));
  // At the next turn a marker still held stays.
  loaded.RemoveEliminatedUnits();
  EXPECT_EQ(loaded.UnitCount(), 5);
}
