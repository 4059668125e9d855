// The unit in the action phase: the viewer's view, sight and terrain queries, the slice step,
// suppression, spotting and sound packets.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "framework/core/GObjectGroup.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/Map.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"
#include "game/units/Unit.h"
#include "support/TestFolder.h"

namespace {

// A world with the default 800 m map; the viewer is the Axis (side byte 1).
struct ActionRig {
  ActionRig() {
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    world.Battle().currentSlice = 100;
  }
  Map& GetMap() { return *world.Battle().map; }
  void Join(Unit& unit) { world.Lend(&unit); }
  TestFolder folder{true};
  TestUnitWorld world;
};

// An infantry unit whose step operations count their calls.
class StepProbe : public TestInfantry {
 public:
  void UpdateMorale() override { ++moraleCalls; }
  void ReactToDanger() override { ++dangerCalls; }
  void UpdateSpotting() override { ++spottingCalls; }
  void UpdateFatigue() override { ++fatigueCalls; }
  void OnTimedAction() override { ++timedCalls; }
  void StepIdle() override { ++idleCalls; }
  void UpdateSlice(int32_t) override { ++sliceCalls; }
  int32_t moraleCalls = 0;
  int32_t dangerCalls = 0;
  int32_t spottingCalls = 0;
  int32_t fatigueCalls = 0;
  int32_t timedCalls = 0;
  int32_t idleCalls = 0;
  int32_t sliceCalls = 0;
};

void SetMen(TestInfantry& unit, int16_t men) {
  unit.record[54] = static_cast<uint8_t>(men & 0xFF);
  unit.record[55] = static_cast<uint8_t>((men >> 8) & 0xFF);
  unit.men = men;
}

// A seed whose first float draw is at least p (so no chance of p or less fires).
uint32_t SeedMissing(float p) {
  for (uint32_t seed = 1;; ++seed) {
    SeedRandom(seed);
    if (RandomFloat() >= p) {
      SeedRandom(seed);
      return seed;
    }
  }
}

// The generator state after the given float draws from the seed.
uint32_t StateAfterFloats(uint32_t seed, int32_t floats) {
  SeedRandom(seed);
  for (int32_t i = 0; i < floats; ++i) RandomFloat();
  const uint32_t state = RandomState();
  SeedRandom(seed);
  return state;
}

}  // namespace

// ---- Identification and the viewer's view ----

TEST(UnitView, MoraleBandsAreInclusiveFrom500Down) {
  TestInfantry unit;
  const float values[] = {500.0f, 330.0f, 200.0f, 100.0f, 60.0f, 30.0f, 10.0f, 9.99f};
  const int32_t bands[] = {7, 6, 5, 4, 3, 2, 1, 0};
  for (int32_t i = 0; i < 8; ++i) {
    unit.suppression = values[i];
    EXPECT_EQ(unit.GetBand(), bands[i]) << values[i];
  }
  unit.suppression = std::nanf("");
  EXPECT_EQ(unit.GetBand(), 0);
}

TEST(UnitView, IdentificationLevelCommandAndTheControlSide) {
  ActionRig rig;
  TestInfantry enemy;  // side byte 0: Allied, the viewer's enemy
  enemy.identificationLevel = 2;
  EXPECT_EQ(enemy.GetIdentificationLevel(false), 2);
  EXPECT_FALSE(enemy.IsCommandable());
  // Surrendered, the enemy counts as the viewer's own.
  enemy.surrendered = true;
  EXPECT_EQ(enemy.GetIdentificationLevel(false), 4);
  EXPECT_TRUE(enemy.IsCommandable());
  enemy.surrendered = false;
  // Hidden flags: the first only when not ignored, the second always.
  enemy.hidden = 1;
  EXPECT_EQ(enemy.GetIdentificationLevel(false), 0);
  EXPECT_EQ(enemy.GetIdentificationLevel(true), 2);
  enemy.hidden = 0;
  enemy.hiddenSecond = 1;
  EXPECT_EQ(enemy.GetIdentificationLevel(true), 0);
  EXPECT_FALSE(enemy.IsIdentified());
  enemy.hiddenSecond = 0;
  // The other side asked for: the enemy is its own unit, and the viewer is restored.
  EXPECT_EQ(enemy.GetIdentificationLevelFor(false, false), 4);
  EXPECT_EQ(enemy.GetIdentificationLevelFor(true, false), 2);
  EXPECT_EQ(enemy.GetIdentificationLevel(false), 2);
  EXPECT_EQ(Unit::gViewerOverride, -1);
  // Battle over and editor: everything known; left the battlefield: nothing, even in the editor.
  rig.world.Battle().endState[0] = 2;  // a side surrendered: the battle is over
  EXPECT_EQ(enemy.GetIdentificationLevel(false), 4);
  EXPECT_FALSE(enemy.IsCommandable());
  rig.world.Battle().endState[0] = 0;
  rig.world.app.editorOpen = true;
  EXPECT_EQ(enemy.GetIdentificationLevel(false), 4);
  EXPECT_TRUE(enemy.IsCommandable());
  enemy.status = 1;
  EXPECT_EQ(enemy.GetIdentificationLevel(false), 0);
  rig.world.app.editorOpen = false;

  TestInfantry own;
  own.side = 1;
  own.identificationLevel = 1;
  EXPECT_EQ(own.GetIdentificationLevel(false), 4);
  EXPECT_FALSE(own.IsIdentified());  // shown at 4, yet not identified
  EXPECT_TRUE(own.IsCommandable());
  own.suppression = 200.0f;  // Panic
  EXPECT_FALSE(own.IsCommandable());
  own.suppression = 199.0f;
  rig.world.app.ordersLocked = true;
  EXPECT_FALSE(own.IsCommandable());
  rig.world.app.ordersLocked = false;
  own.alive = 0;
  EXPECT_FALSE(own.IsCommandable());
  TestAirplane plane;
  plane.side = 1;
  EXPECT_FALSE(plane.IsCommandable());
}

TEST(UnitView, ShownPositionStaysOnTheMapAndUsesTheLastSeenPlace) {
  ActionRig rig;
  const Map& map = rig.GetMap();
  TestInfantry enemy;
  enemy.identificationLevel = 1;
  enemy.SetPosition(5.0f, map.size.worldHeight - 5.0f);
  enemy.positionErrorX = -40;
  enemy.positionErrorY = 40;
  float px = 0.0f;
  float py = 0.0f;
  float pz = -1.0f;
  EXPECT_FALSE(enemy.GetShownPosition(px, py, &pz));
  EXPECT_EQ(px, 0.0f);
  EXPECT_EQ(py, map.size.worldHeight);
  EXPECT_EQ(pz, map.ElevationAt(px, py));
  // Identified: the true place.
  enemy.identificationLevel = 2;
  enemy.GetShownPosition(px, py, nullptr);
  EXPECT_EQ(px, 5.0f);
  // A lost contact: the last seen place, for the enemy only.
  enemy.hidden = 1;
  enemy.lastSeenX = 300.0f;
  enemy.lastSeenY = 310.0f;
  EXPECT_TRUE(enemy.UsesLastSeenPosition());
  EXPECT_TRUE(enemy.GetShownPosition(px, py, nullptr));
  EXPECT_EQ(px, 300.0f);
  EXPECT_EQ(py, 310.0f);
  EXPECT_FALSE(enemy.GetShownPositionFor(false, px, py, nullptr));
  EXPECT_EQ(px, 5.0f);
}

TEST(UnitView, DroppingAsTargetClearsTheFiringUnits) {
  ActionRig rig;
  TestInfantry gone;
  TestInfantry rifle;
  TestAirplane plane;
  TestInfantry planner;
  rifle.target = &gone;
  rifle.areaFire = 1;
  plane.target = &gone;
  planner.ordersPhaseTarget = &gone;
  for (Unit* unit : {static_cast<Unit*>(&gone), static_cast<Unit*>(&rifle), static_cast<Unit*>(&plane),
                     static_cast<Unit*>(&planner)}) {
    rig.Join(*unit);
  }
  gone.DropAsTargetOfAll(false, false, false);
  EXPECT_EQ(rifle.target, nullptr);
  EXPECT_EQ(rifle.areaFire, 0);
  EXPECT_EQ(rifle.stateChanged, 1);
  EXPECT_EQ(plane.target, &gone);  // airplanes keep theirs unless asked
  EXPECT_EQ(planner.ordersPhaseTarget, nullptr);
  gone.DropAsTargetOfAll(false, true, false);
  EXPECT_EQ(plane.target, nullptr);
}

// ---- Distances, sight and terrain ----

TEST(UnitSight, RatingBonusLinesOfSightAndVisibilityFromAPoint) {
  ActionRig rig;
  rig.world.Battle().computerBonus = 2;
  TestInfantry computer;  // Allied; the human plays the Axis
  computer.rating = 7;
  TestInfantry human;
  human.side = 1;
  human.rating = 7;
  EXPECT_EQ(computer.GetRating(), 8);
  EXPECT_EQ(human.GetRating(), 7);
  rig.world.app.humanPlayers = 2;
  EXPECT_EQ(computer.GetRating(), 7);

  TestInfantry a;
  TestInfantry b;
  a.SetPosition(100.0f, 100.0f);
  b.SetPosition(300.0f, 100.0f);
  rig.Join(a);
  rig.Join(b);
  float v = -1.0f;
  const bool seen = a.LineOfSightTo(b, &v);
  bool cachedSeen = false;
  float cached = -1.0f;
  ASSERT_TRUE(rig.GetMap().CachedVisibility(&a, &b, cachedSeen, &cached));
  EXPECT_EQ(cachedSeen, seen);
  EXPECT_EQ(cached, v);
  EXPECT_TRUE(seen);
  EXPECT_GT(v, 0.0f);
  float again = -1.0f;
  EXPECT_EQ(a.LineOfSightTo(b, &again), seen);
  EXPECT_EQ(again, v);
  EXPECT_TRUE(a.CanTargetUnit(&b));
  EXPECT_TRUE(a.TraceSightToPoint(300.0f, 300.0f));

  // Open ground: full view from a point, and the sure test sees it.
  EXPECT_FLOAT_EQ(b.VisibilityFromPoint(250.0f, 100.0f, rig.GetMap().ElevationAt(250.0f, 100.0f), false), 1.0f);
  EXPECT_EQ(b.VisibilityFromPoint(250.0f, 100.0f, rig.GetMap().ElevationAt(250.0f, 100.0f), true), 1.0f);
  EXPECT_FALSE(b.IsConcealed(false, true, 250.0f, 100.0f));
  EXPECT_FLOAT_EQ(a.DistanceTo(b), 200.0f);
}

TEST(UnitSight, FriendlyHighExplosiveRuleAtATargetPoint) {
  ActionRig rig;
  TestInfantry firer;
  firer.side = 1;
  firer.mainWeapon = true;
  firer.ammo[0] = 10;
  firer.areaFire = 1;
  firer.targetX = 400.0f;
  firer.targetY = 400.0f;
  firer.SetPosition(350.0f, 400.0f);
  TestInfantry friendInf;
  friendInf.side = 1;
  TestVehicle tank;
  tank.side = 1;
  tank.armored = true;
  tank.SetPosition(405.0f, 400.0f);
  rig.Join(firer);
  rig.Join(friendInf);
  rig.Join(tank);
  int32_t kind = -1;
  friendInf.SetPosition(419.9f, 400.0f);
  EXPECT_FALSE(firer.CanFireAtTarget(kind));
  EXPECT_EQ(kind, 0);
  friendInf.SetPosition(420.5f, 400.0f);
  EXPECT_TRUE(firer.CanFireAtTarget(kind));  // the armoured vehicle 5 m off never stops it
  // Without high explosive left: no ammunition, smoke fire dropped.
  firer.ammo[0] = 0;
  firer.flagBytes[Unit::kSmokeFireFlag] = 1;
  gUnitStateChanged = 0;
  EXPECT_FALSE(firer.CanFireAtTarget(kind));
  EXPECT_EQ(kind, Unit::kNoAmmo);
  EXPECT_EQ(firer.areaFire, 0);
  EXPECT_EQ(gUnitStateChanged, 1);
  gUnitStateChanged = 0;
  // A target unit must be identified and in sight.
  TestInfantry enemy;
  enemy.SetPosition(450.0f, 400.0f);
  rig.Join(enemy);
  firer.ammo[0] = 10;
  firer.target = &enemy;
  EXPECT_FALSE(firer.CanFireAtTarget(kind));
  enemy.identificationLevel = 2;
  EXPECT_TRUE(firer.CanFireAtTarget(kind));
  enemy.surrendered = true;
  EXPECT_FALSE(firer.CanFireAtTarget(kind));
}

TEST(UnitSight, BearingsArcsAndCloseness) {
  ActionRig rig;
  TestInfantry unit;
  unit.SetPosition(100.0f, 100.0f);
  unit.facing = 0.0f;
  EXPECT_FLOAT_EQ(unit.RelativeBearingTo(100.0f, 0.0f, false, false), 270.0f);
  EXPECT_FLOAT_EQ(unit.RelativeBearingTo(100.0f, 0.0f, false, true), 90.0f);
  EXPECT_FLOAT_EQ(unit.AngleToPoint(0.0f, 100.0f, 200.0f, false), -90.0f);
  EXPECT_TRUE(unit.IsPointInArc(90.0f, 10.0f, 100.0f, 200.0f));
  EXPECT_FALSE(unit.IsPointInArc(0.0f, 10.0f, 100.0f, 200.0f));
  TestInfantry other;
  other.SetPosition(150.0f, 100.0f);
  EXPECT_FALSE(unit.IsCloseTo(other));  // 50 m
  other.target = &unit;
  EXPECT_TRUE(unit.IsCloseTo(other));   // it aims at us: 100 m
  TestVehicle tank;
  EXPECT_FALSE(unit.IsCloseTo(tank));
  EXPECT_TRUE(tank.IsCloseTo(unit));
}

TEST(UnitSight, TerrainUnderTheUnitAndItsName) {
  ActionRig rig;
  Map& map = rig.GetMap();
  map.FillTileCells(10, 10, 39, map.ElevationAt(210.0f, 210.0f));
  TestInfantry unit;
  unit.SetPosition(210.0f, 210.0f);
  EXPECT_EQ(unit.GetTerrainHere(), 39);
  unit.level = -1.0f;
  EXPECT_EQ(unit.GetTerrainHere(), 9);
  map.FillTileCells(11, 10, 37, map.ElevationAt(230.0f, 210.0f));
  unit.SetPosition(230.0f, 210.0f);
  EXPECT_EQ(unit.GetTerrainHere(), 25);
  rig.world.Battle().groundCondition = 7;
  EXPECT_EQ(unit.GetTerrainHere(), 27);

  GString63 text;
  Unit::TerrainText(text, 0, 0.0f, 0.0f, false);
  EXPECT_STREQ(text.CStr(), "open ground");
  text.Clear();
  Unit::TerrainText(text, 33, 0.0f, 0.0f, true);
  EXPECT_STREQ(text.CStr(), "top floor");
  text.Clear();
  Unit::TerrainText(text, 43, 0.0f, 0.0f, false);
  EXPECT_STREQ(text.CStr(), "wrecked bridge");
  // A light building damaged past three quarters carries two stars.
  map.MakeBuildings(2, 3, 62);
  ASSERT_EQ(map.objects.buildings->Count(), 1);
  auto* building = static_cast<Building*>(map.objects.buildings->GetItem(0));
  building->damage = 0.8f * building->GetStrength();
  map.FillTileCells(2, 3, 31, map.ElevationAt(50.0f, 70.0f));
  const float bx = 50.0f;
  const float by = 70.0f;
  ASSERT_EQ(map.FindBuildingAt(bx, by), building);
  text.Clear();
  Unit::TerrainText(text, 31, bx, by, false);
  EXPECT_STREQ(text.CStr(), "light building**");
  building->damage = 0.6f * building->GetStrength();
  text.Clear();
  Unit::TerrainText(text, 31, bx, by, false);
  EXPECT_STREQ(text.CStr(), "light building*");

  // A roadblock of the enemy's that the viewer has not seen is not named.
  map.FillTileCells(20, 20, 4, map.ElevationAt(410.0f, 410.0f));
  TestUnit* none = nullptr;
  (void)none;
  TestInanimate roadblock;
  roadblock.SetPosition(410.0f, 410.0f);
  rig.Join(roadblock);
  TestInfantry viewer;
  viewer.side = 1;
  text.Clear();
  viewer.AppendTerrainTextAt(text, 410.0f, 410.0f, false);
  EXPECT_STREQ(text.CStr(), "open ground");
  roadblock.identificationLevel = 2;
  text.Clear();
  viewer.AppendTerrainTextAt(text, 410.0f, 410.0f, false);
  EXPECT_STREQ(text.CStr(), "roadblock");
}

// ---- The slice step ----

TEST(UnitStep, MoraleEvery160SlicesAndTheGunElevation) {
  ActionRig rig;
  StepProbe unit;
  unit.SetPosition(100.0f, 100.0f);
  unit.suppression = 50.0f;
  for (int32_t slice = 0; slice <= 2400; ++slice) unit.StepSlice(slice);
  EXPECT_EQ(unit.moraleCalls, 16);
  EXPECT_EQ(unit.spottingCalls, 2401);
  EXPECT_EQ(unit.fatigueCalls, 2401);
  EXPECT_EQ(unit.sliceCalls, 2401);
  EXPECT_EQ(unit.sliceCounter, 2401);
  EXPECT_EQ(unit.sliceCount, 2401);

  StepProbe calm;
  calm.SetPosition(100.0f, 100.0f);
  calm.gunElevation = 10.0f;
  calm.goalGunElevation = 0.0f;
  calm.countdown = 5000;
  rig.world.statePackets.clear();
  int32_t reachedAt = -1;
  for (int32_t slice = 0; slice < 100; ++slice) {
    calm.StepSlice(slice);
    if (reachedAt < 0 && calm.gunElevation == 0.0f) reachedAt = slice + 1;
  }
  EXPECT_EQ(calm.moraleCalls, 0);
  EXPECT_EQ(reachedAt, 67);
  EXPECT_EQ(rig.world.statePackets.size(), 1u);  // only the slice the goal was reached
  // The facing turns and wraps.
  calm.facing = 359.0f;
  calm.turnRate = 2.0f;
  calm.StepSlice(0);
  EXPECT_FLOAT_EQ(calm.facing, 1.0f);
}

TEST(UnitStep, DangerCountdownTimersAndShock) {
  ActionRig rig;
  SeedRandom(7);
  StepProbe unit;
  unit.SetPosition(100.0f, 100.0f);
  std::set<int32_t> seen;
  for (int32_t i = 0; i < 400; ++i) {
    unit.countdown = 1;
    const int32_t before = unit.dangerCalls;
    unit.StepSlice(0);
    EXPECT_EQ(unit.dangerCalls, before + 1);
    EXPECT_GE(unit.countdown, 80);
    EXPECT_LE(unit.countdown, 239);
    seen.insert(unit.countdown);
  }
  EXPECT_GT(seen.size(), 50u);
  unit.commandDelay = 0.03f;
  unit.firingTimer = 0.02f;
  unit.incomingFire = 20;
  unit.burst = 1;
  unit.StepSlice(0);
  EXPECT_FLOAT_EQ(unit.commandDelay, 0.005f);
  EXPECT_EQ(unit.firingTimer, 0.0f);
  EXPECT_EQ(unit.incomingFire, 5);
  EXPECT_EQ(unit.burst, 0);
  unit.StepSlice(0);
  EXPECT_EQ(unit.incomingFire, 0);
  EXPECT_EQ(unit.commandDelay, 0.0f);
}

TEST(UnitStep, OffTheMapAbsentUnitsAndQuietSteps) {
  ActionRig rig;
  TestAirplane plane;
  plane.SetPosition(-10.0f, 100.0f);
  TestInfantry walker;
  walker.SetPosition(-10.0f, 100.0f);
  for (int32_t slice = 0; slice < 5; ++slice) {
    plane.StepSlice(slice);
    walker.StepSlice(slice);
  }
  EXPECT_EQ(plane.leaveCalls, 0);
  EXPECT_EQ(walker.leaveCalls, 5);

  StepProbe away;
  away.SetPosition(100.0f, 100.0f);
  away.alive = 0;
  away.identificationLevel = 4;
  away.nextActionSlice = 999999;
  for (int32_t slice = 0; slice < 10; ++slice) away.StepSlice(slice);
  EXPECT_EQ(away.idleCalls, 10);
  EXPECT_EQ(away.timedCalls, 0);
  EXPECT_EQ(away.spottingCalls, 0);  // fully known: not evaluated
  away.nextActionSlice = 12;
  away.identificationLevel = 3;
  away.StepSlice(10);  // counter 10: 11 < 12
  EXPECT_EQ(away.idleCalls, 11);
  away.StepSlice(11);  // counter 11: 12 reaches it
  EXPECT_EQ(away.timedCalls, 1);
  EXPECT_EQ(away.spottingCalls, 2);
  EXPECT_EQ(away.sliceCalls, 0);

  // Nothing visible changes: no packet; a pending change is recorded once.
  rig.world.statePackets.clear();
  StepProbe still;
  still.SetPosition(100.0f, 100.0f);
  still.countdown = 5000;
  for (int32_t slice = 0; slice < 50; ++slice) still.StepSlice(slice);
  EXPECT_TRUE(rig.world.statePackets.empty());
  still.MarkStateChanged();
  still.StepSlice(50);
  still.StepSlice(51);
  EXPECT_EQ(rig.world.statePackets.size(), 1u);
  EXPECT_EQ(still.stateChanged, 0);
  // The last moving slice follows the counter while moving.
  still.speed = 1.0f;
  still.StepSlice(52);
  EXPECT_EQ(still.lastMovingSlice, still.sliceCounter);
}

// ---- Suppression and recovery ----

TEST(UnitMorale, RecoveryStepsInSinglePrecision) {
  ActionRig rig;
  TestInfantry unit;
  SetMen(unit, 10);
  unit.rating = 2;
  unit.fanaticState = 1;
  const float p = 0.0666667f * 0.13f * (0.67f * 2.0f + 1.0f);
  unit.suppression = 100.0f;
  SeedMissing(p);
  unit.UpdateMorale();
  EXPECT_NEAR(unit.suppression, 91.3333f, 0.0001f);
  EXPECT_EQ(unit.suppression, 100.0f - 8.666671f);
  // Half strength: b = 0.4.
  unit.men = 5;
  unit.suppression = 100.0f;
  SeedMissing(p);
  unit.UpdateMorale();
  EXPECT_NEAR(100.0f - unit.suppression, 3.4667f, 0.0001f);
  // Crippled, rating 0: b held at 0.2.
  unit.rating = 0;
  unit.men = 0;
  unit.suppression = 100.0f;
  SeedMissing(0.0666667f * 0.13f);
  unit.UpdateMorale();
  EXPECT_NEAR(100.0f - unit.suppression, 0.2f * 8.666671f, 0.0001f);
  // A weak side recovers slower; a fanatical unit counts it at least one half.
  unit.rating = 2;
  unit.men = 10;
  rig.world.Battle().strengthRatio[0] = rig.world.Battle().strengthRatio[1] = 0.25f;
  unit.suppression = 100.0f;
  SeedMissing(p);
  unit.UpdateMorale();
  EXPECT_NEAR(100.0f - unit.suppression, 8.666671f * 0.3247f, 0.001f);
  unit.fanaticState = 2;
  unit.suppression = 100.0f;
  SeedMissing(2.0f * p * 0.6065f);
  unit.UpdateMorale();
  EXPECT_NEAR(100.0f - unit.suppression, 8.666671f * 0.6065f, 0.001f);
  rig.world.Battle().strengthRatio[0] = rig.world.Battle().strengthRatio[1] = 1.0f;
  // A surrendered unit is held at 200.
  unit.surrendered = true;
  unit.suppression = 450.0f;
  SeedMissing(0.07f);
  unit.UpdateMorale();
  EXPECT_EQ(unit.suppression, 200.0f);
  unit.surrendered = false;
  // A class with no men left to count rates as full strength, never not-a-number.
  unit.fanaticState = 1;
  unit.lossesCountedByMorale = 10;
  unit.suppression = 100.0f;
  SeedMissing(p);
  unit.UpdateMorale();
  EXPECT_EQ(unit.suppression, 100.0f - 8.666671f);
  // Nothing to recover: no draw.
  unit.suppression = 0.0f;
  SeedRandom(3);
  const uint32_t before = RandomState();
  unit.UpdateMorale();
  EXPECT_EQ(RandomState(), before);
}

TEST(UnitMorale, SuddenRecoveryShoutAndBandChange) {
  ActionRig rig;
  TestInfantry unit;
  SetMen(unit, 10);
  unit.rating = 2;
  unit.fanaticState = 1;
  unit.suppression = 150.0f;  // Pinned
  // Find a seed whose first float fires the roll.
  uint32_t seed = 1;
  for (;; ++seed) {
    SeedRandom(seed);
    if (RandomFloat() < 0.02f) break;
  }
  SeedRandom(seed);
  gUnitStateChanged = 0;
  rig.world.soundPackets.clear();
  unit.UpdateMorale();
  EXPECT_LT(unit.suppression, 0.5f * 150.0f);
  EXPECT_EQ(gUnitStateChanged, 1);
  // The relief shout always sounds when the group has a voice for it.
  EXPECT_EQ(rig.world.soundPackets.size(), 1u);
  gUnitStateChanged = 0;
}

TEST(UnitMorale, SetSuppressionDecidesFanaticsOnce) {
  ActionRig rig;
  rig.world.Battle().fanaticism[0] = rig.world.Battle().fanaticism[1] = 4;  // chance 0.5 either side
  TestInfantry unit;
  unit.rating = 2;
  uint32_t fanaticSeed = 1;
  for (;; ++fanaticSeed) {
    SeedRandom(fanaticSeed);
    if (RandomFloat() < 0.5f) break;
  }
  SeedRandom(fanaticSeed);
  unit.suppression = 150.0f;
  unit.SetSuppression(250.0f, false);
  EXPECT_EQ(unit.fanaticState, 2);
  EXPECT_EQ(unit.suppression, 199.0f);
  const uint32_t after = RandomState();
  unit.SetSuppression(250.0f, false);  // crossing again: no new roll, held again
  EXPECT_EQ(RandomState(), after);
  EXPECT_EQ(unit.suppression, 199.0f);
  unit.SetSuppression(250.0f, true);
  EXPECT_EQ(unit.suppression, 250.0f);
  // Exactly 200 before is no crossing.
  TestInfantry other;
  other.suppression = 200.0f;
  other.SetSuppression(300.0f, false);
  EXPECT_EQ(other.fanaticState, 0);
  EXPECT_EQ(RandomState(), after);
  // Setting 0: the low chance of 0.02 + 0.01 r.
  rig.world.Battle().fanaticism[0] = rig.world.Battle().fanaticism[1] = 0;
  other.suppression = 0.0f;
  SeedMissing(0.04f);
  other.SetSuppression(210.0f, false);
  EXPECT_EQ(other.fanaticState, 1);
  EXPECT_EQ(other.suppression, 210.0f);
}

// ---- Spotting ----

TEST(UnitSpotting, FogOffOptionOneAndTheCountdown) {
  ActionRig rig;
  TestInfantry unit;
  unit.SetPosition(100.0f, 100.0f);
  unit.spottingValue = 300;
  unit.hidden = 1;
  unit.UpdateSpotting();
  EXPECT_EQ(unit.identificationLevel, 4);
  EXPECT_EQ(unit.hidden, 0);

  rig.world.app.options[10] = 1;
  TestInfantry seen;
  seen.SetPosition(100.0f, 100.0f);
  seen.spottingValue = 3;
  seen.bestEnemy = 1;
  seen.UpdateSpotting();
  seen.UpdateSpotting();
  EXPECT_EQ(seen.identificationLevel, 0);
  EXPECT_EQ(seen.bestEnemyCalls, 0);
  seen.UpdateSpotting();
  EXPECT_EQ(seen.identificationLevel, 4);
  EXPECT_GE(seen.spottingValue, 160);
  EXPECT_LE(seen.spottingValue, 319);
  EXPECT_EQ(seen.firingBytes[Unit::kSpottingPasses], 2);
  // Away from the field the next look comes 400..559 slices later.
  seen.alive = 0;
  for (int32_t i = 0; i < 50; ++i) {
    seen.ResetSpotTimer();
    EXPECT_GE(seen.spottingValue, 400);
    EXPECT_LE(seen.spottingValue, 559);
  }
}

TEST(UnitSpotting, PartialPassesOnlyLowerAndLostContacts) {
  ActionRig rig;
  rig.world.app.options[10] = 2;
  TestInfantry unit;
  unit.SetPosition(100.0f, 100.0f);
  unit.identificationLevel = 3;
  unit.firingBytes[Unit::kSpottingPasses] = 2;  // partial
  unit.spottingValue = 1;
  unit.bestEnemy = 1;
  unit.UpdateSpotting();
  EXPECT_EQ(unit.identificationLevel, 1);
  unit.bestEnemy = 3;
  unit.spottingValue = 1;
  unit.UpdateSpotting();  // partial: the rise waits
  EXPECT_EQ(unit.identificationLevel, 1);
  EXPECT_EQ(unit.firingBytes[Unit::kSpottingPasses], 0);
  unit.spottingValue = 1;
  unit.UpdateSpotting();  // full
  EXPECT_EQ(unit.identificationLevel, 3);

  // Level 1 nobody sees: gone without a marker.
  TestInfantry faint;
  faint.SetPosition(100.0f, 100.0f);
  faint.identificationLevel = 1;
  faint.spottingValue = 1;
  gUnitStateChanged = 0;
  faint.UpdateSpotting();
  EXPECT_EQ(faint.identificationLevel, 0);
  EXPECT_EQ(faint.hidden, 0);
  EXPECT_EQ(gUnitStateChanged, 1);
  // Level 2: a marker where it was last seen; a partial pass at level 0 stops early.
  TestInfantry known;
  known.SetPosition(120.0f, 130.0f);
  known.identificationLevel = 2;
  known.spottingValue = 1;
  known.UpdateSpotting();
  EXPECT_EQ(known.hidden, 1);
  EXPECT_EQ(known.identificationLevel, 2);
  EXPECT_EQ(known.lastSeenX, 120.0f);
  EXPECT_EQ(known.lastSeenY, 130.0f);
  // The relaxed look on the next full pass picks it up as a second-flag contact.
  known.firingBytes[Unit::kSpottingPasses] = 0;
  known.spottingValue = 1;
  known.bestEnemyRelaxed = 1;
  known.UpdateSpotting();
  EXPECT_EQ(known.hidden, 0);
  EXPECT_EQ(known.hiddenSecond, 1);
  // Seen again: both flags go.
  known.bestEnemy = 2;
  known.spottingValue = 1;
  known.UpdateSpotting();
  EXPECT_EQ(known.hiddenSecond, 0);
  // A surrendered unit lost from sight drops to 0.
  TestInfantry prisoner;
  prisoner.surrendered = true;
  prisoner.identificationLevel = 3;
  prisoner.spottingValue = 1;
  prisoner.UpdateSpotting();
  EXPECT_EQ(prisoner.identificationLevel, 0);
  EXPECT_EQ(prisoner.hidden, 0);
  // A passenger is never evaluated.
  TestInfantry rider;
  rider.passenger = true;
  rider.spottingValue = 1;
  rider.bestEnemy = 4;
  rider.UpdateSpotting();
  EXPECT_EQ(rider.bestEnemyCalls, 0);
  EXPECT_EQ(rider.spottingValue, 1);
}

TEST(UnitSpotting, FirstContactOffsetAndTheTankWarning) {
  ActionRig rig;
  rig.world.app.options[10] = 2;
  TestInfantry unit;
  unit.SetPosition(100.0f, 100.0f);
  unit.spottingValue = 1;
  unit.bestEnemy = 1;
  SeedRandom(11);
  unit.UpdateSpotting();
  EXPECT_EQ(unit.identificationLevel, 1);
  // Countdown float, then the two offsets.
  SeedRandom(11);
  RandomFloat();
  const int32_t ex = Random(81) - 40;
  const int32_t ey = Random(81) - 40;
  EXPECT_EQ(unit.positionErrorX, ex);
  EXPECT_EQ(unit.positionErrorY, ey);

  // A tank seen only by vehicles: no shout and no draw beyond the countdown.
  TestVehicle tank;
  tank.armored = true;
  tank.SetPosition(200.0f, 200.0f);
  tank.spottingValue = 1;
  tank.bestEnemy = 3;
  TestVehicle watcher;
  watcher.side = 1;
  watcher.SetPosition(300.0f, 200.0f);
  rig.Join(tank);
  rig.Join(watcher);
  const uint32_t expected = StateAfterFloats(21, 1);
  tank.UpdateSpotting();
  EXPECT_EQ(RandomState(), expected);
  EXPECT_EQ(tank.identificationLevel, 3);
  EXPECT_TRUE(rig.world.soundPackets.empty());
  // With enemy infantry in sight, one of them is picked and may shout.
  TestVehicle tank2;
  tank2.armored = true;
  tank2.SetPosition(200.0f, 260.0f);
  tank2.spottingValue = 1;
  tank2.bestEnemy = 3;
  TestInfantry rifle;
  rifle.side = 1;
  rifle.SetPosition(260.0f, 260.0f);
  rig.Join(tank2);
  rig.Join(rifle);
  SeedRandom(5);
  tank2.UpdateSpotting();
  SeedRandom(5);
  RandomFloat();
  Random(1);
  const bool shouts = Random(100) < 75;
  EXPECT_EQ(rig.world.soundPackets.size(), shouts ? 1u : 0u);
}

TEST(UnitSpotting, EnemyIdentificationLevelByDistance) {
  ActionRig rig;
  TestInfantry s;
  s.SetPosition(100.0f, 400.0f);
  s.visibleFrom = 300.0f;
  TestInfantry o;
  o.side = 1;
  o.rating = 2;
  rig.Join(s);
  rig.Join(o);
  // R = 300, e7 = 210, hearing 100: on foot k = 0.19134.
  struct Case {
    float d;
    int32_t level;
  };
  auto levelAt = [&](float d) {
    o.SetPosition(100.0f + d, 400.0f);
    return s.EnemyIdentificationLevel(100.0f, 1.0f);
  };
  for (const Case& c : {Case{30.0f, 4}, Case{40.0f, 4}, Case{41.0f, 3}, Case{114.0f, 3}, Case{115.0f, 2},
                        Case{300.0f, 2}, Case{301.0f, 0}}) {
    EXPECT_EQ(levelAt(c.d), c.level) << c.d;
  }
  // A crouching observer: k x 0.4 (e7 k = 16.07, 2 R k = 45.92).
  o.posture = true;
  EXPECT_EQ(levelAt(16.0f), 4);
  EXPECT_EQ(levelAt(17.0f), 3);
  EXPECT_EQ(levelAt(45.0f), 3);
  EXPECT_EQ(levelAt(46.0f), 2);
  o.posture = false;
  // Vehicles: with a posture or a gun k = 0.5716 (4 up to 120); others 0.45 (4 up to 94).
  TestVehicle v;
  v.side = 1;
  v.rating = 2;
  rig.Join(v);
  o.alive = 0;
  auto vehicleAt = [&](float d) {
    v.SetPosition(100.0f + d, 400.0f);
    return s.EnemyIdentificationLevel(100.0f, 1.0f);
  };
  EXPECT_EQ(vehicleAt(94.0f), 4);
  EXPECT_EQ(vehicleAt(95.0f), 3);
  EXPECT_EQ(vehicleAt(300.0f), 3);
  v.type23 = true;
  EXPECT_EQ(vehicleAt(120.0f), 4);
  EXPECT_EQ(vehicleAt(121.0f), 3);
  v.type23 = false;
  v.alive = 0;
  o.alive = 1;
  // Night: no full identification beyond 100 m.
  rig.world.Battle().timeOfDay = 2;
  s.visibleFrom = 1000.0f;
  EXPECT_EQ(levelAt(120.0f), 3);
  rig.world.Battle().timeOfDay = 0;
  EXPECT_EQ(levelAt(120.0f), 4);
  // Hearing alone: level 1 inside the hearing range.
  s.visibleFrom = 0.0f;
  EXPECT_EQ(levelAt(90.0f), 1);
  EXPECT_EQ(levelAt(101.0f), 0);
  rig.world.Battle().weather = 2;  // hearing x 0.6
  EXPECT_EQ(levelAt(61.0f), 0);
  rig.world.Battle().weather = 0;
  // A level-1 contact is kept up to 1.2 x the hearing range.
  s.identificationLevel = 1;
  EXPECT_EQ(levelAt(119.0f), 1);
  EXPECT_EQ(levelAt(121.0f), 0);
  s.identificationLevel = 0;
  // A suppressed observer: both ranges x 0.18546 at 200 and above.
  s.visibleFrom = 300.0f;
  o.suppression = 199.0f;
  EXPECT_EQ(levelAt(55.0f), 2);
  EXPECT_EQ(levelAt(56.0f), 0);
  o.suppression = 0.0f;
  // A firing burst is heard up to 600 m; seen, its flash (250 m for an Allied small-arms
  // firer) widens the range, and a seasoned observer hears an infantry burst at level 3.
  s.burst = 5;
  s.visibleFrom = 0.0f;
  EXPECT_EQ(levelAt(550.0f), 1);
  EXPECT_EQ(levelAt(601.0f), 0);
  s.visibleFrom = 100.0f;
  EXPECT_EQ(levelAt(300.0f), 3);
  EXPECT_EQ(levelAt(349.0f), 3);
  o.rating = 1;
  EXPECT_EQ(levelAt(300.0f), 2);
  o.rating = 2;
  s.burst = 0;
  // A panicking or friendly observer counts for nothing; a single observer limits the look.
  s.visibleFrom = 300.0f;
  o.suppression = 250.0f;
  EXPECT_EQ(levelAt(30.0f), 0);
  o.suppression = 0.0f;
  EXPECT_EQ(s.EnemyIdentificationLevel(100.0f, 1.0f, &v), 0);
  EXPECT_EQ(s.EnemyIdentificationLevel(100.0f, 1.0f, &o), 4);
}

// ---- Sound packets ----

TEST(UnitSounds, UnitSoundsExplosionsAndTheirDraws) {
  ActionRig rig;
  TestInfantry unit;
  unit.SetPosition(100.0f, 100.0f);
  unit.sliceCounter = 5;
  SeedRandom(9);
  const uint32_t before = RandomState();
  const UnitSoundPacket p20 = unit.NewSoundPacket(20);
  EXPECT_EQ(p20.soundKind, 19);
  EXPECT_EQ(p20.sound, 323);
  EXPECT_EQ(p20.slice, 100);
  EXPECT_EQ(RandomState(), before);
  EXPECT_EQ(p20.audible[0], 0);  // the Axis has not seen it
  EXPECT_EQ(p20.audible[1], 1);
  const UnitSoundPacket p19 = unit.NewSoundPacket(19);
  EXPECT_GE(p19.sound, 320);
  EXPECT_LE(p19.sound, 322);
  const UnitSoundPacket p18 = unit.NewSoundPacket(18);
  EXPECT_EQ(p18.slice, 120);
  EXPECT_GE(p18.sound, 311);
  EXPECT_LE(p18.sound, 312);
  const UnitSoundPacket p5 = unit.NewSoundPacket(5);
  EXPECT_EQ(p5.attached, 1);
  EXPECT_EQ(p5.unit, &unit);

  const UnitSoundPacket e97 = unit.NewExplosionPacket(3, 97, 0, 50.0f, 60.0f);
  EXPECT_EQ(e97.size, 0.0f);
  EXPECT_GE(e97.sound, 200);
  EXPECT_LE(e97.sound, 202);
  EXPECT_EQ(e97.soundKind, 9);
  EXPECT_EQ(e97.slice, 103);
  EXPECT_EQ(e97.audible[0], 1);
  EXPECT_EQ(e97.audible[1], 1);
  EXPECT_EQ(e97.sidePosition[0][2], rig.GetMap().ElevationAt(50.0f, 60.0f));
  SeedRandom(4);
  const UnitSoundPacket e104 = unit.NewExplosionPacket(0, 104, 0, 50.0f, 60.0f);
  EXPECT_FLOAT_EQ(e104.size, 0.84f);
  EXPECT_GE(e104.sound, 219);
  EXPECT_LE(e104.sound, 221);
  EXPECT_EQ(e104.soundKind, 13);
  SeedRandom(4);
  Random(3);
  const uint32_t oneDraw = RandomState();
  SeedRandom(4);
  unit.NewExplosionPacket(0, 104, 0, 50.0f, 60.0f);
  EXPECT_EQ(RandomState(), oneDraw);  // one draw: the sound number
  const UnitSoundPacket e99 = unit.NewExplosionPacket(0, 99, 0, 50.0f, 60.0f);
  EXPECT_EQ(e99.size, 0.0f);
  EXPECT_EQ(e99.soundKind, 13);
}

TEST(UnitSounds, GunfireOfAnUnseenFirerAndSquadWeapons) {
  DataTablesRig tables;
  Hack::LoadTables();
  ActionRig rig;
  rig.world.app.options[10] = 2;
  TestInfantry squad;  // Allied: the Axis has not seen it
  squad.SetPosition(300.0f, 300.0f);
  squad.record[62] = 1;  // one weapon slot
  squad.record[68] = 2;  // small-arms entry 2
  squad.record[84] = 4;  // four men
  ASSERT_TRUE(gSmallArms.IsValid(2));
  const float beyond = static_cast<float>(gSmallArms[2].MaxRange()) + 10.0f;
  for (int32_t i = 0; i < 40; ++i) {
    rig.world.soundPackets.clear();
    squad.NewGunfireSoundPacket(0, 104, beyond);
    ASSERT_EQ(rig.world.soundPackets.size(), 1u);
    const UnitSoundPacket& p = rig.world.soundPackets[0];
    EXPECT_GE(p.sound, 401);  // entry 1
    EXPECT_LE(p.sound, 405);
    EXPECT_EQ(p.soundKind, 10);
    EXPECT_EQ(p.slice, 124);
    // The Axis (entry 0) has not seen it: placed roughly and 200 m down.
    const auto& axis = p.sidePosition[0];
    EXPECT_LE(std::fabs(axis[0] - 300.0f), 100.0f);
    EXPECT_LE(std::fabs(axis[1] - 300.0f), 100.0f);
    EXPECT_FLOAT_EQ(axis[2], squad.GetBaseHeight() - 200.0f);
    EXPECT_EQ(p.sidePosition[1][0], 300.0f);  // its own side knows where it is
    EXPECT_EQ(p.audible[0], 1);
  }
  // Group 3 voices only in situation 3, and then sounds 500..510.
  TestInfantry quiet;
  quiet.nationalityCode = 0;
  for (int32_t code = 0; code < 40; ++code) {
    quiet.nationalityCode = code;
    if (quiet.GetKindGroup() == 3) break;
  }
  ASSERT_EQ(quiet.GetKindGroup(), 3);
  rig.world.soundPackets.clear();
  for (int32_t i = 0; i < 50; ++i) quiet.MaybeVoiceSound(2, 100, 0.0f, 1.5f);
  EXPECT_TRUE(rig.world.soundPackets.empty());
  for (int32_t i = 0; i < 200; ++i) quiet.MaybeVoiceSound(3, 100, 0.0f, 0.0f);
  EXPECT_GT(rig.world.soundPackets.size(), 40u);
  EXPECT_LT(rig.world.soundPackets.size(), 120u);
  for (const UnitSoundPacket& p : rig.world.soundPackets) {
    EXPECT_GE(p.sound, 500);
    EXPECT_LE(p.sound, 510);
    EXPECT_EQ(p.soundKind, 6);
    EXPECT_EQ(p.audible[0], 0);  // level 4 needed for situation 3
  }
  // A voice's draws: chance, number, delay (up to 2 s later).
  TestInfantry voiced;
  voiced.nationalityCode = quiet.nationalityCode == 0 ? 1 : 0;
  ASSERT_NE(voiced.GetKindGroup(), 3);
  SeedRandom(12);
  rig.world.soundPackets.clear();
  voiced.MaybeVoiceSound(14, 100, 0.0f, 2.0f);
  const uint32_t afterVoice = RandomState();
  SeedRandom(12);
  Random(100);
  Random(2);
  Random(81);
  EXPECT_EQ(RandomState(), afterVoice);
  ASSERT_EQ(rig.world.soundPackets.size(), 1u);
  EXPECT_GE(rig.world.soundPackets[0].slice, 100);
  EXPECT_LE(rig.world.soundPackets[0].slice, 180);
  // Out of the chance: one draw, nothing made.
  SeedRandom(12);
  rig.world.soundPackets.clear();
  voiced.MaybeVoiceSound(14, 0, 0.0f, 2.0f);
  EXPECT_TRUE(rig.world.soundPackets.empty());
}

TEST(UnitView, ShownTargetAndTargetPosition) {
  ActionRig rig;
  TestInfantry own;
  own.side = 1;
  own.targetX = 40.0f;
  own.targetY = 50.0f;
  own.areaFire = 1;
  own.flagBytes[Unit::kSmokeFireFlag] = 1;
  float px = 0.0f;
  float py = 0.0f;
  bool flag = false;
  EXPECT_TRUE(own.GetShownTarget(px, py, flag));
  EXPECT_EQ(px, 40.0f);
  EXPECT_TRUE(flag);
  float pz = -1.0f;
  EXPECT_TRUE(own.GetTargetPosition(px, py, &pz));
  EXPECT_EQ(pz, rig.GetMap().SurfaceHeightAt(40.0f, 50.0f));
  TestInfantry enemy;
  enemy.targetX = 10.0f;
  EXPECT_FALSE(enemy.GetShownTarget(px, py, flag));
  rig.world.app.inputMode = InputModes::kReplay;  // the replay shows every unit's target point
  enemy.identificationLevel = 2;
  EXPECT_FALSE(enemy.GetShownTarget(px, py, flag));
  EXPECT_EQ(px, 10.0f);
  EXPECT_FALSE(flag);
  own.target = &enemy;
  enemy.SetPosition(70.0f, 80.0f);
  EXPECT_TRUE(own.GetTargetPosition(px, py, &pz));
  EXPECT_EQ(px, 70.0f);
  EXPECT_EQ(pz, enemy.GetBaseHeight());
  own.target = nullptr;
  own.areaFire = 0;
  EXPECT_FALSE(own.GetTargetPosition(px, py, nullptr));
}

TEST(UnitMorale, VehicleCrewStrengthAndAttention) {
  ActionRig rig;
  TestVehicle tank;
  tank.record[56] = 4;  // crew of four
  tank.men = 2;
  tank.rating = 2;
  tank.fanaticState = 1;
  tank.suppression = 100.0f;
  SeedMissing(0.0666667f * 0.13f * 2.34f);
  tank.UpdateMorale();
  EXPECT_NEAR(100.0f - tank.suppression, 3.4667f, 0.0001f);
  // An observer's attention: its target seen at twice the range; shock dulls hearing.
  TestInfantry observer;
  TestInfantry other;
  float visual = 100.0f;
  float hearing = 100.0f;
  observer.target = &other;
  observer.incomingFire = 5000;
  observer.AdjustSpottingRanges(other, visual, hearing);
  EXPECT_EQ(visual, 200.0f);
  EXPECT_FLOAT_EQ(hearing, 50.0f);
  // Firing a burst at a point more than 50 m away halves the look elsewhere.
  observer.target = nullptr;
  observer.incomingFire = 0;
  observer.burst = 3;
  observer.areaFire = 1;
  observer.targetX = 60.0f;
  visual = 100.0f;
  observer.AdjustSpottingRanges(other, visual, hearing);
  EXPECT_EQ(visual, 50.0f);
  observer.suppression = 400.0f;
  visual = 100.0f;
  hearing = 100.0f;
  observer.burst = 0;
  observer.AdjustSpottingRanges(other, visual, hearing);
  EXPECT_NEAR(visual, 18.546f, 0.001f);
  EXPECT_NEAR(hearing, 18.546f, 0.001f);
}

TEST(UnitSounds, GunfireOfHeavyWeapons) {
  DataTablesRig tables;
  Hack::LoadTables();
  ActionRig rig;
  rig.world.app.options[10] = 2;
  // The first weapon with a report of its own.
  int32_t weapon = -1;
  for (int32_t i = 0; i < gWeapons.Count() && weapon < 0; ++i) {
    if (gWeapons[i].Sound() != 0) weapon = i;
  }
  ASSERT_GE(weapon, 0);
  TestInfantry gun;
  gun.SetPosition(200.0f, 200.0f);
  gun.identificationLevel = 2;
  gun.NewGunfireSoundPacket(4, weapon, 100.0f);
  ASSERT_EQ(rig.world.soundPackets.size(), 1u);
  const UnitSoundPacket& p = rig.world.soundPackets[0];
  EXPECT_EQ(p.sound, gWeapons[weapon].Sound());
  EXPECT_EQ(p.soundKind, 4);
  EXPECT_EQ(p.slice, 100);
  EXPECT_EQ(p.audible[0], 0);  // fire type 4 of a firer the Axis knows only at level 2
  EXPECT_EQ(p.audible[1], 1);
  EXPECT_EQ(p.sidePosition[0][0], 200.0f);  // identified: the true place
  gun.NewGunfireSoundPacket(6, weapon, 100.0f);
  EXPECT_EQ(rig.world.soundPackets[1].slice, 130);
  EXPECT_EQ(rig.world.soundPackets[1].soundKind, 16);
  EXPECT_EQ(rig.world.soundPackets[1].audible[0], 1);
}
