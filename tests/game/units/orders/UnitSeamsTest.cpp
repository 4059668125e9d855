// The unit at the seams of play and in the player's set-up: the orders snapshot, leaving the
// battlefield, the resets and moves between battles, the result values, placing and turning
// during set-up, the bridge codes as they act on a unit, and the rating factor of the cost.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/FineTerrain.h"
#include "game/units/SetUpRig.h"

// ---- Orders snapshot ----

TEST(UnitSeams, SnapshotDropsADeadTargetAndCopiesTheOrders) {
  SetUpRig rig;
  Foot enemy;
  enemy.alive = 0;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.target = &enemy;
  unit.areaFire = 1;
  unit.targetX = 12.0f;
  unit.targetY = 34.0f;
  unit.flagBytes[Unit::kSmokeFireFlag] = 1;
  unit.firingTimer = 3.0f;
  unit.level = 1.0f;  // open ground: back to the ground
  unit.AddWaypoint(150.0f, 160.0f, kOrderMove, true);
  unit.waypoints[0].x = 155.0f;
  unit.SnapshotOrders();
  EXPECT_EQ(unit.target, nullptr);
  EXPECT_EQ(unit.ordersPhaseTarget, nullptr);
  EXPECT_EQ(unit.flagBytes[Unit::kOrdersAreaFireFlag], 1);
  EXPECT_EQ(unit.flagBytes[Unit::kOrdersSmokeFireFlag], 1);
  EXPECT_FLOAT_EQ(unit.ordersPhaseTargetX, 12.0f);
  EXPECT_FLOAT_EQ(unit.ordersPhaseTargetY, 34.0f);
  EXPECT_FLOAT_EQ(unit.firingTimer, 0.0f);
  EXPECT_FLOAT_EQ(unit.orderedWaypoints[0].x, 155.0f);
  EXPECT_FLOAT_EQ(unit.level, 0.0f);
  // The target-absent flag keeps a dead target; a level below the ground stays.
  unit.target = &enemy;
  unit.flagBytes[Unit::kTargetAbsentFlag] = 1;
  unit.level = -1.0f;
  unit.SnapshotOrders();
  EXPECT_EQ(unit.target, &enemy);
  EXPECT_EQ(unit.ordersPhaseTarget, &enemy);
  EXPECT_FLOAT_EQ(unit.level, -1.0f);
}

// ---- Leaving the battlefield and the result values ----

TEST(UnitSeams, LeavingThroughOwnExitScoresAndEveryShooterLetsGo) {
  SetUpRig rig;
  Foot unit;
  Foot shooter;
  shooter.side = 1;
  rig.Join(unit);
  rig.Join(shooter);
  shooter.target = &unit;
  unit.men = 10;
  unit.losses = 3;
  unit.countsForPoints = 1;
  unit.identificationLevel = 3;
  unit.AddWaypoint(150.0f, 160.0f, kOrderMove, true);
  rig.OpenWestExit(1, true);  // the Allied side index's exit, where the unit stands
  rig.world.Battle().selectedUnit = &unit;
  unit.Unit::LeaveBattlefield(false);
  EXPECT_EQ(unit.status, 2);
  EXPECT_EQ(unit.losses, 3);  // kept, not the whole strength
  EXPECT_EQ(unit.alive, 0);
  EXPECT_EQ(unit.identificationLevel, 0);
  EXPECT_EQ(unit.waypointCount, 0);
  EXPECT_EQ(unit.stateChanged, 0);
  EXPECT_EQ(shooter.target, nullptr);
  EXPECT_EQ(rig.world.Battle().selectedUnit, nullptr);
  EXPECT_EQ(rig.screen.mapRefreshes, 1);
  bool counted = false;
  EXPECT_FLOAT_EQ(unit.GetPointValue(counted), 212.0f);
  EXPECT_TRUE(counted);
  // Elsewhere, or without counting for points: status 1.
  Foot other;
  other.countsForPoints = 1;
  rig.OpenWestExit(1, false);
  other.Unit::LeaveBattlefield(false);
  EXPECT_EQ(other.status, 1);
  EXPECT_FLOAT_EQ(other.GetPointValue(counted), 212.0f);
  EXPECT_FALSE(counted);
  Foot uncounted;
  rig.OpenWestExit(1, true);
  uncounted.Unit::LeaveBattlefield(false);
  EXPECT_EQ(uncounted.status, 1);
  EXPECT_FLOAT_EQ(uncounted.GetPointValue(counted), 0.0f);
}

TEST(UnitSeams, SurrenderedInfantryLedOffIsCaptured) {
  SetUpRig rig;
  Foot prisoner;
  prisoner.surrendered = true;
  prisoner.countsForPoints = 1;
  rig.OpenWestExit(0, true);  // the other side's exit holds: not captured
  prisoner.Unit::LeaveBattlefield(false);
  EXPECT_EQ(prisoner.status, 1);
  EXPECT_FALSE(prisoner.captured);
  Foot taken;
  taken.surrendered = true;
  rig.OpenWestExit(0, false);
  taken.Unit::LeaveBattlefield(false);
  EXPECT_TRUE(taken.captured);
  EXPECT_FALSE(taken.surrendered);
}

TEST(UnitSeams, CasualtyValueByLosses) {
  SetUpRig rig;
  Foot squad;
  squad.men = 10;
  squad.losses = 5;
  EXPECT_FLOAT_EQ(squad.GetCasualtyValue(), 50.0f);
  squad.alive = 0;  // destroyed on the battlefield: the whole cost
  EXPECT_FLOAT_EQ(squad.GetCasualtyValue(), 100.0f);
  squad.status = 1;  // left it: by the men present again
  EXPECT_FLOAT_EQ(squad.GetCasualtyValue(), 50.0f);
  Foot crewless;  // no full strength: nothing
  EXPECT_FLOAT_EQ(crewless.GetCasualtyValue(), 0.0f);
}

TEST(UnitSeams, FlagInfluenceByDistanceSightAndKind) {
  SetUpRig rig;
  const uint8_t flags[2] = {0, 1};  // the caller's bytes per side index
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.identificationLevel = 2;
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(130.0f, 100.0f, flags), 100.0f);
  EXPECT_NEAR(unit.FlagInfluenceAt(155.0f, 100.0f, flags), 50.0f, 1e-3f);
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(180.0f, 100.0f, flags), 0.0f);
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(180.5f, 100.0f, flags), 0.0f);
  // No sight to any of the five points: times 0.6; one of them is enough.
  unit.seesAll = false;
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(130.0f, 100.0f, flags), 60.0f);
  unit.seenX = 130.0f;
  unit.seenY = 80.0f;
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(130.0f, 100.0f, flags), 100.0f);
  // Little known and the caller's byte for the side clear: 0.001, even at 80 m.
  Foot hidden;
  hidden.side = 1;
  Place(hidden, 100.0f, 100.0f);
  EXPECT_FLOAT_EQ(hidden.FlagInfluenceAt(180.0f, 100.0f, flags), 0.001f);
  EXPECT_FLOAT_EQ(hidden.FlagInfluenceAt(180.5f, 100.0f, flags), 0.0f);
  // Who holds nothing.
  unit.surrendered = true;
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(130.0f, 100.0f, flags), 0.0f);
  unit.surrendered = false;
  unit.captured = true;
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(130.0f, 100.0f, flags), 0.0f);
  unit.captured = false;
  unit.indirect = true;
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(130.0f, 100.0f, flags), 0.0f);
  unit.indirect = false;
  unit.suppression = 1.0e6f;  // cannot fight
  EXPECT_FLOAT_EQ(unit.FlagInfluenceAt(130.0f, 100.0f, flags), 0.0f);
  Tank unarmed;
  Place(unarmed, 100.0f, 100.0f);
  unarmed.identificationLevel = 2;
  EXPECT_FLOAT_EQ(unarmed.FlagInfluenceAt(130.0f, 100.0f, flags), 0.0f);
  unarmed.mainWeapon = true;
  EXPECT_FLOAT_EQ(unarmed.FlagInfluenceAt(130.0f, 100.0f, flags), 100.0f);
  Placer<TestInanimate> object;
  Place(object, 100.0f, 100.0f);
  object.identificationLevel = 2;
  EXPECT_FLOAT_EQ(object.FlagInfluenceAt(130.0f, 100.0f, flags), 0.0f);
}

TEST(UnitSeams, ForceCentroidAndControlArea) {
  SetUpRig rig;
  Foot light;
  Place(light, 100.0f, 200.0f);
  light.strength = 2.0f;
  float sum = 0.0f;
  float weight = 0.0f;
  light.AddToForceCentroid(true, sum, weight, false);
  light.AddToForceCentroid(false, sum, weight, true);
  EXPECT_FLOAT_EQ(weight, 2.0f + 3.8f);
  EXPECT_FLOAT_EQ(sum, 200.0f + 760.0f);
  light.surrendered = true;
  light.AddToForceCentroid(true, sum, weight, false);
  EXPECT_FLOAT_EQ(weight, 5.8f);

  rig.Operation().map = new Map(rig.world.app);
  Map& operationMap = *rig.Operation().map;
  ASSERT_TRUE(operationMap.Read(nullptr));
  for (int32_t ty = 0; ty < operationMap.terrain.tiles.Height(); ++ty) {
    for (int32_t tx = 0; tx < operationMap.terrain.tiles.Width(); ++tx) operationMap.terrain.tiles.At(tx, ty).zone = 0;
  }
  const auto zone = [&](int32_t tx, int32_t ty) { return operationMap.terrain.tiles.At(tx, ty).zone; };
  Foot strong;  // radius 2 at 7.5
  strong.strength = 7.5f;
  Place(strong, 210.0f, 210.0f);  // tile (10, 10)
  strong.PaintControlArea();
  EXPECT_EQ(zone(8, 8), 1);
  EXPECT_EQ(zone(12, 12), 1);
  EXPECT_EQ(zone(13, 10), 0);
  Foot middling;  // radius 1 at 2.5, the Axis's zone
  middling.side = 1;
  middling.strength = 2.5f;
  Place(middling, 410.0f, 410.0f);
  middling.PaintControlArea();
  EXPECT_EQ(zone(19, 19), 4);
  EXPECT_EQ(zone(21, 21), 4);
  EXPECT_EQ(zone(22, 20), 0);
  Foot weak;  // its own tile only
  weak.strength = 2.4f;
  Place(weak, 610.0f, 610.0f);
  weak.PaintControlArea();
  EXPECT_EQ(zone(30, 30), 1);
  EXPECT_EQ(zone(31, 30), 0);
  Foot none;  // no strength, no paint
  none.strength = 0.0f;
  Place(none, 710.0f, 710.0f);
  none.PaintControlArea();
  EXPECT_EQ(zone(35, 35), 0);
}

TEST(UnitSeams, KindAndClass) {
  SetUpRig rig;
  Foot foot;
  foot.classIndex = 7;
  int32_t cls = -1;
  EXPECT_EQ(foot.GetKindAndClass(&cls), 0);
  EXPECT_EQ(cls, 7);
  Tank tank;
  tank.classIndex = 3;
  EXPECT_EQ(tank.GetKindAndClass(&cls), 1);
  EXPECT_EQ(cls, 3);
  TestInanimate object;
  object.objectKind = 9;
  EXPECT_EQ(object.GetKindAndClass(&cls), 2);
  EXPECT_EQ(cls, 9);
  EXPECT_EQ(object.GetKindAndClass(nullptr), 2);
}

// ---- Between battles ----

TEST(UnitSeams, ResetBetweenBattlesKeepsAnImmobileGunsIdentification) {
  SetUpRig rig;
  Foot gun;
  gun.mobile = false;
  gun.type23 = true;
  gun.identificationLevel = 3;
  gun.suppression = 50.0f;
  gun.losses = 4;
  gun.waypointCount = 2;
  gun.flagBytes[Unit::kHoldFlag] = 1;
  gun.nextActionSlice = 7;
  gun.activityCodes = {5, 6, 7};
  gun.ResetBetweenBattles();
  EXPECT_EQ(gun.identificationLevel, 3);
  EXPECT_FLOAT_EQ(gun.suppression, 0.0f);
  EXPECT_EQ(gun.waypointCount, 0);
  EXPECT_EQ(gun.flagBytes[Unit::kHoldFlag], 0);
  EXPECT_EQ(gun.nextActionSlice, Unit::kNoActionSlice);
  EXPECT_EQ(gun.activityCodes[1], 2);
  EXPECT_EQ(gun.lossesCountedByMorale, 4);
  Foot rifles;  // immobile infantry without a gun still drops to 0
  rifles.mobile = false;
  rifles.identificationLevel = 3;
  rifles.ResetBetweenBattles();
  EXPECT_EQ(rifles.identificationLevel, 0);
  Tank tank;  // a mobile unit drops to 0
  tank.identificationLevel = 4;
  tank.ResetBetweenBattles();
  EXPECT_EQ(tank.identificationLevel, 0);
  Tank wreck;  // an immobile vehicle keeps it
  wreck.mobile = false;
  wreck.identificationLevel = 4;
  wreck.ResetBetweenBattles();
  EXPECT_EQ(wreck.identificationLevel, 4);

  Foot a;
  Foot axis;
  axis.side = 1;
  Foot enemy;
  a.target = &enemy;
  a.fanaticState = 2;
  a.PrepareForNextBattle();
  axis.PrepareForNextBattle();
  EXPECT_EQ(a.target, nullptr);
  EXPECT_EQ(a.fanaticState, 0);
  EXPECT_EQ(a.setupZone, 1);
  EXPECT_EQ(axis.setupZone, 4);
}

TEST(UnitSeams, KeepOnMapBringsAMobileUnitBackInside) {
  SetUpRig rig;
  Foot left;
  left.status = 1;
  Place(left, -50.0f, 100.0f);
  EXPECT_TRUE(left.KeepOnMapBetweenBattles());  // gone: nothing to do
  EXPECT_FLOAT_EQ(left.x, -50.0f);
  Foot stuck;
  stuck.mobile = false;
  Place(stuck, -50.0f, 100.0f);
  EXPECT_FALSE(stuck.KeepOnMapBetweenBattles());
  Foot off;
  Place(off, -50.0f, 900.0f);
  SeedRandom(4);
  const float backX = RandomFloatTimes(50.0f) + 10.0f;
  const float backY = 800.0f - (RandomFloatTimes(50.0f) + 10.0f);
  SeedRandom(4);
  EXPECT_TRUE(off.KeepOnMapBetweenBattles());
  EXPECT_FLOAT_EQ(off.x, backX);
  EXPECT_FLOAT_EQ(off.y, backY);
  EXPECT_EQ(rig.screen.panelRefreshes, 1);
  // On the map in a later battle: a crowded unit is placed anew.
  rig.Operation().currentTurn = 2;
  Foot neighbour;
  Place(neighbour, 300.0f, 300.0f);
  rig.Join(neighbour);
  Foot crowded;
  Place(crowded, 300.0f, 300.0f);
  rig.Join(crowded);
  crowded.setupZone = 1;
  rig.PaintAll(1);
  EXPECT_TRUE(crowded.KeepOnMapBetweenBattles());
  EXPECT_TRUE(std::fabs(crowded.x - 300.0f) >= 10.0f || std::fabs(crowded.y - 300.0f) >= 10.0f);
}

TEST(UnitSeams, KeepOnMapWithoutALandingStepLeavesThePoint) {
  SetUpRig rig;
  // A one-tile map: put back 10 to 60 m inside its far edge, a point can lie beyond the near
  // one, where no step of 20 m reaches the map.
  ASSERT_TRUE(rig.GetMap().NewMap(20.0f, 20.0f, nullptr));
  // A seed whose put-back point lies more than 20 m beyond the near edge.
  uint32_t seed = 1;
  float backX = 0.0f;
  for (;; ++seed) {
    SeedRandom(seed);
    backX = 20.0f - (RandomFloatTimes(50.0f) + 10.0f);
    if (backX < -20.5f) break;
  }
  Foot unit;
  unit.refuseAll = true;
  Place(unit, 30.0f, 10.0f);
  SeedRandom(seed);
  EXPECT_FALSE(unit.KeepOnMapBetweenBattles());
  EXPECT_FLOAT_EQ(unit.x, backX);  // every step missed the map: the point stayed
  EXPECT_FLOAT_EQ(unit.y, 10.0f);
}

// ---- Set-up: placing and turning ----

TEST(UnitSeams, PlacementRefusedBeepsUnlessQuietAndChangesNothing) {
  SetUpRig rig;
  rig.PaintAll(1);
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.refuseFromX = 500.0f;
  EXPECT_FALSE(unit.PlaceOrFace(600.0f, 100.0f, true, nullptr));
  EXPECT_EQ(rig.world.app.beeps, 1);
  EXPECT_FLOAT_EQ(unit.x, 100.0f);
  rig.SetQuiet(true);
  EXPECT_FALSE(unit.PlaceOrFace(600.0f, 100.0f, true, nullptr));
  EXPECT_EQ(rig.world.app.beeps, 1);
  rig.SetQuiet(false);
  EXPECT_FALSE(unit.PlaceOrFace(-5.0f, 100.0f, true, nullptr));  // off the map
  EXPECT_TRUE(unit.PlaceOrFace(200.0f, 150.0f, true, nullptr));
  EXPECT_FLOAT_EQ(unit.x, 200.0f);
  EXPECT_FLOAT_EQ(unit.y, 150.0f);
  EXPECT_EQ(rig.panel.panelRedraws, 1);  // the squads looked for their leaders again
  // In a later battle of an operation only a unit that can move may be placed again.
  rig.Operation().currentTurn = 2;
  unit.mobile = false;
  EXPECT_FALSE(unit.CanPlaceAt(210.0f, 150.0f, nullptr));
  unit.mobile = true;
  // The ground taken: refused off the raised-level codes.
  unit.groundTaken = true;
  unit.nonGun = true;
  EXPECT_FALSE(unit.CanPlaceAt(210.0f, 150.0f, nullptr));
  unit.groundTaken = false;
  // A vehicle's linked units must be able to deploy there too.
  Tank tank;
  Foot towed;
  towed.setupZone = 4;
  tank.linked[1] = &towed;
  EXPECT_FALSE(tank.CanPlaceAt(210.0f, 150.0f, nullptr));
  towed.setupZone = 1;
  EXPECT_TRUE(tank.PlaceOrFace(210.0f, 150.0f, true, nullptr));
  EXPECT_EQ(tank.hullDownClears, 1);
}

TEST(UnitSeams, TurningOntoAnInvalidPlaceRestoresTheFacing) {
  SetUpRig rig;
  Foot unit;
  Place(unit, 100.0f, 100.0f);
  unit.facing = 45.0f;
  EXPECT_TRUE(unit.PlaceOrFace(100.0f, 200.0f, false, nullptr));
  EXPECT_NEAR(unit.facing, 90.0f, 1e-3f);
  EXPECT_EQ(rig.world.app.beeps, 0);
  unit.refuseAll = true;
  EXPECT_TRUE(unit.PlaceOrFace(0.0f, 100.0f, false, nullptr));
  EXPECT_NEAR(unit.facing, 90.0f, 1e-3f);
  EXPECT_EQ(rig.world.app.beeps, 1);
  EXPECT_EQ(unit.passengerSyncs, 2);
}

TEST(UnitSeams, InfantryPlacedOntoACarrierTakesItsPosition) {
  SetUpRig rig;
  rig.PaintAll(1);
  Tank carrier;
  Place(carrier, 300.0f, 320.0f);
  Tank oldCarrier;
  Foot unit;
  unit.carrier = &oldCarrier;
  unit.level = 1.0f;
  // A carrier with no room refuses the unit.
  EXPECT_FALSE(unit.CanPlaceAt(50.0f, 60.0f, &carrier));
  carrier.record[200] = 5;  // carries up to transport class 5
  EXPECT_TRUE(unit.PlaceOrFace(50.0f, 60.0f, true, &carrier));
  EXPECT_FLOAT_EQ(unit.x, 300.0f);
  EXPECT_FLOAT_EQ(unit.y, 320.0f);
  EXPECT_EQ(unit.carrier, &carrier);
  EXPECT_EQ(unit.carrierLeaves, 1);
  EXPECT_FLOAT_EQ(unit.level, 0.0f);
  // A carrier outside the unit's zone refuses it.
  unit.setupZone = 4;
  EXPECT_FALSE(unit.CanPlaceAt(50.0f, 60.0f, &carrier));
}

TEST(UnitSeams, RaisedLevelOfBuildingsWhenTheGroundIsTaken) {
  SetUpRig rig;
  rig.PaintAll(1);
  // Fine cells of type 33 (a building with an upper floor) from 200 to 210 m.
  auto& fine = rig.GetMap().terrain.fineGrid;
  for (int32_t cy = 100; cy < 105; ++cy) {
    for (int32_t cx = 100; cx < 105; ++cx) {
      uint16_t& cell = fine.At(cx, cy);
      cell = static_cast<uint16_t>((33 << FineTerrain::kTypeShift) | (cell & FineTerrain::kHeightMask));
    }
  }
  ASSERT_EQ(rig.GetMap().TerrainTypeAt(205.0f, 205.0f), 33);
  Foot unit;
  unit.nonGun = true;
  unit.groundTaken = true;
  EXPECT_TRUE(unit.PlaceOrFace(205.0f, 205.0f, true, nullptr));
  EXPECT_FLOAT_EQ(unit.level, 1.0f);
  unit.SnapshotOrders();  // on a structure the raised level stays
  EXPECT_FLOAT_EQ(unit.level, 1.0f);
  unit.groundTaken = false;
  unit.upperTaken = true;
  EXPECT_TRUE(unit.PlaceOrFace(205.0f, 205.0f, true, nullptr));
  EXPECT_FLOAT_EQ(unit.level, 0.0f);
  unit.upperTaken = false;  // both free: the player chooses from the waypoint menu
  EXPECT_TRUE(unit.PlaceOrFace(205.0f, 205.0f, true, nullptr));
  EXPECT_EQ(rig.screen.waypointMenus, 1);
  rig.SetQuiet(true);  // a quiet battle opens no menu
  EXPECT_TRUE(unit.PlaceOrFace(205.0f, 205.0f, true, nullptr));
  EXPECT_EQ(rig.screen.waypointMenus, 1);
  // Refused: both levels taken, a gun crew, or a quiet battle with the ground taken.
  unit.groundTaken = true;
  EXPECT_FALSE(unit.CanPlaceAt(205.0f, 205.0f, nullptr));
  rig.SetQuiet(false);
  unit.upperTaken = true;
  EXPECT_FALSE(unit.CanPlaceAt(205.0f, 205.0f, nullptr));
  unit.upperTaken = false;
  unit.nonGun = false;
  EXPECT_FALSE(unit.CanPlaceAt(205.0f, 205.0f, nullptr));
  EXPECT_FALSE(unit.CanPlaceAt(215.0f, 205.0f, nullptr));  // not a raised-level code
}

// ---- Level terrain and the cost ----

TEST(UnitSeams, BridgeCodesActByLevel) {
  SetUpRig rig;
  Foot unit;
  unit.level = -1.0f;
  EXPECT_EQ(unit.TerrainUnderfoot(39), 9);
  EXPECT_EQ(unit.TerrainUnderfoot(36), 25);
  EXPECT_EQ(unit.TerrainUnderfoot(38), 25);
  EXPECT_EQ(unit.TerrainUnderfoot(40), 40);
  EXPECT_EQ(unit.TerrainUnderfoot(14), 14);
  rig.world.Battle().groundCondition = 7;
  EXPECT_EQ(unit.TerrainUnderfoot(37), 27);
  EXPECT_EQ(unit.TerrainUnderfoot(39), 9);
  // On the bridge itself the codes act as themselves.
  unit.level = 0.0f;
  unit.terrainHere = 41;
  EXPECT_EQ(unit.TerrainUnderfoot(37), 37);
  unit.level = -1.0f;
  EXPECT_EQ(unit.TerrainUnderfoot(37), 27);

  // Values on and under bridges, by the map's own code under the unit (under a bridge it is
  // still the bridge, so a unit driving out from under it comes back up).
  auto under = [&rig, &unit](int32_t type) {
    uint16_t& cell = rig.GetMap().terrain.fineGrid.At(static_cast<int32_t>(unit.x / 2.0f),
                                                       static_cast<int32_t>(unit.y / 2.0f));
    cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
  };
  unit.terrainHere = -1;
  float out = 5.0f;
  under(37);
  unit.level = 0.0f;
  EXPECT_FLOAT_EQ(unit.AdjustForLevelTerrain(2.0f, 0, &out), 0.0f);
  EXPECT_FLOAT_EQ(unit.AdjustForLevelTerrain(2.0f, 38, &out), 2.0f);
  unit.level = -1.0f;
  EXPECT_FLOAT_EQ(unit.AdjustForLevelTerrain(2.0f, 0, &out), 2.0f);
  EXPECT_FLOAT_EQ(out, 0.0f);
  EXPECT_FLOAT_EQ(unit.AdjustForLevelTerrain(2.0f, 41, &out), 0.0f);
  under(0);
  out = 5.0f;
  EXPECT_FLOAT_EQ(unit.AdjustForLevelTerrain(2.0f, 37, &out), 2.0f);
  EXPECT_FLOAT_EQ(out, -1.0f);
  under(40);  // on a bridge deck neither rule applies
  out = 5.0f;
  EXPECT_FLOAT_EQ(unit.AdjustForLevelTerrain(2.0f, 37, &out), 2.0f);
  EXPECT_FLOAT_EQ(out, 5.0f);
  under(0);

  unit.level = 1.0f;
  unit.ClampLevelAfterPlacement();
  EXPECT_FLOAT_EQ(unit.level, 0.0f);
  unit.level = -1.0f;
  unit.ClampLevelAfterPlacement();
  EXPECT_FLOAT_EQ(unit.level, -1.0f);
}

TEST(UnitSeams, CostByRating) {
  SetUpRig rig;
  Foot veteran;
  veteran.rating = 3;  // g = 1.1
  EXPECT_NEAR(veteran.AdjustCostForRating(100.0f), 121.0f, 1e-3f);
  Foot green;
  green.rating = 1;  // g = 0.9
  EXPECT_NEAR(green.AdjustCostForRating(100.0f), 94.8683f, 1e-3f);
  Tank tank;
  tank.rating = 1;
  EXPECT_NEAR(tank.AdjustCostForRating(100.0f), 81.0f, 1e-3f);
  Foot regular;
  regular.rating = 2;
  EXPECT_FLOAT_EQ(regular.AdjustCostForRating(100.0f), 100.0f);
  rig.world.app.editorOpen = true;
  veteran.ratingAdjustment = 2;
  EXPECT_NEAR(veteran.AdjustCostForRating(100.0f), 108.9f, 1e-3f);
}
