// Where a unit may start and how it is put there: resupply between battles, the set-up zone
// test, the spacing, the ring search and its three modes, lining up along an edge, moving
// back into an area, and the exposure at a point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/units/SetUpRig.h"
#include "support/RandomDraws.h"

namespace {

// The generator's state after the given number of ring draws from the seed.
// The number of rings of a search (as the search counts them, in float).
int32_t Rings(float maxRadius, float step) {
  int32_t n = 0;
  for (float r = 0.01f; r < maxRadius + 1.0f; r += step) ++n;
  return n;
}

}  // namespace

// ---- Resupply ----

TEST(UnitPlacement, ResupplyGivesEachSettingsCapAndAddition) {
  SetUpRig rig;
  // Full load 100, all of it kind 0 (no weapon): a fresh load is {100, 0, 0, 0, 0}.
  const int32_t expected[6] = {100, 75, 55, 40, 25, 12};
  for (int32_t setting = 0; setting < 6; ++setting) {
    Foot unit;
    unit.SetRecord(104, 100);
    rig.Operation().supply[1] = setting;  // the Allied side index
    unit.ResupplyAmmo();
    EXPECT_EQ(unit.ammo[0], expected[setting]) << "setting " << setting;
  }
  // The cap holds against the addition: setting 3 from 60 stays at the cap of 75.
  Foot capped;
  capped.SetRecord(104, 100);
  capped.ammo[0] = 60;
  rig.Operation().supply[1] = 3;
  capped.ResupplyAmmo();
  EXPECT_EQ(capped.ammo[0], 75);
}

TEST(UnitPlacement, ResupplyRaisesOnlyLowerCountsAndRedrawsAnOverfullLoad) {
  SetUpRig rig;
  rig.Operation().supply[1] = 5;
  Foot kept;
  kept.SetRecord(104, 100);
  kept.ammo[0] = 40;  // 40 per cent left, above the setting's cap of 33
  kept.ResupplyAmmo();
  EXPECT_EQ(kept.ammo[0], 40);

  rig.Operation().supply[1] = 3;
  Foot raised;
  raised.SetRecord(104, 100);
  raised.ammo[4] = 7;
  raised.ResupplyAmmo();  // goal min(75, 7 + 40) = 47
  EXPECT_EQ(raised.ammo[0], 47);
  EXPECT_EQ(raised.ammo[4], 7);

  rig.Operation().supply[1] = 0;
  Foot overfull;
  overfull.SetRecord(104, 100);
  overfull.ammo[0] = 90;
  overfull.ammo[4] = 5;
  overfull.ResupplyAmmo();  // 100 + 5 exceeds the load: a fresh default load
  EXPECT_EQ(overfull.ammo[0], 100);
  EXPECT_EQ(overfull.ammo[4], 0);

  Foot empty;  // a load of 0 changes nothing
  empty.ammo[2] = 3;
  empty.ResupplyAmmo();
  EXPECT_EQ(empty.ammo[2], 3);
  EXPECT_EQ(empty.ammo[0], 0);

  TestInanimate object;  // only infantry and vehicles take part
  object.ammo[0] = 1;
  object.ResupplyAmmo();
  EXPECT_EQ(object.ammo[0], 1);

  Tank tank;  // the Axis side index reads its own setting
  tank.side = 1;
  tank.SetRecord(104, 50);
  rig.Operation().supply[0] = 4;
  tank.ResupplyAmmo();
  EXPECT_EQ(tank.ammo[0], 12);  // min(25, 0 + 12)
}

// ---- The set-up zone test ----

TEST(UnitPlacement, DeployZonesBySideAndZone) {
  SetUpRig rig;
  rig.PaintAll(0);
  Foot allied;
  Foot axis;
  axis.side = 1;
  Place(allied, 100.0f, 100.0f);
  auto& tiles = rig.GetMap().terrain.tiles;
  tiles.At(2, 2).zone = 2;
  tiles.At(3, 2).zone = 4;
  tiles.At(4, 2).zone = 99;
  EXPECT_TRUE(allied.CanDeployAt(45.0f, 45.0f));   // tile (2, 2), zone 2
  EXPECT_FALSE(allied.CanDeployAt(65.0f, 45.0f));  // zone 4
  EXPECT_FALSE(allied.CanDeployAt(85.0f, 45.0f));  // both sides' zone counts as the Axis's
  EXPECT_FALSE(allied.CanDeployAt(5.0f, 5.0f));    // no zone
  EXPECT_FALSE(axis.CanDeployAt(45.0f, 45.0f));
  EXPECT_TRUE(axis.CanDeployAt(65.0f, 45.0f));
  EXPECT_TRUE(axis.CanDeployAt(85.0f, 45.0f));
  // A surrendered unit counts as the other side's.
  allied.surrendered = true;
  EXPECT_TRUE(allied.CanDeployAt(65.0f, 45.0f));
  allied.surrendered = false;
  // Negative coordinates and tiles off the map are refused.
  tiles.At(0, 0).zone = 1;
  EXPECT_TRUE(allied.CanDeployAt(0.0f, 0.0f));
  EXPECT_FALSE(allied.CanDeployAt(-0.5f, 5.0f));
  EXPECT_FALSE(allied.CanDeployAt(5.0f, 800.0f));
  // Other zones take only their own code.
  allied.setupZone = 4;
  EXPECT_TRUE(allied.CanDeployAt(65.0f, 45.0f));
  EXPECT_FALSE(allied.CanDeployAt(85.0f, 45.0f));
  // Zone 7 only at the unit's own point.
  allied.setupZone = 7;
  EXPECT_TRUE(allied.CanDeployAt(100.0f, 100.0f));
  EXPECT_FALSE(allied.CanDeployAt(100.0f, 100.5f));
  // Everything in the editor.
  rig.world.app.editorOpen = true;
  EXPECT_TRUE(allied.CanDeployAt(-5.0f, -5.0f));
}

// ---- Spacing ----

TEST(UnitPlacement, SpacingIsStrictlyInsideOnBothAxes) {
  SetUpRig rig;
  Foot a;
  Foot b;
  Place(a, 100.0f, 100.0f);
  Place(b, 200.0f, 200.0f);
  rig.Join(a);
  rig.Join(b);
  EXPECT_FALSE(a.IsCrowdedAt(100.0f, 100.0f));  // never too close to itself
  EXPECT_TRUE(a.IsCrowdedAt(209.99f, 209.99f));
  EXPECT_FALSE(a.IsCrowdedAt(210.0f, 210.0f));
  EXPECT_FALSE(a.IsCrowdedAt(200.0f, 210.0f));  // inside on one axis only
  Tank t;
  Place(t, 300.0f, 300.0f);
  rig.Join(t);
  EXPECT_TRUE(t.IsCrowdedAt(214.9f, 185.1f));  // 15 m for a vehicle
  EXPECT_FALSE(t.IsCrowdedAt(215.0f, 200.0f));
  // A dead unit counts only while slot 38 holds for it.
  b.alive = 0;
  EXPECT_TRUE(a.IsCrowdedAt(205.0f, 205.0f));
  b.regular = false;
  EXPECT_FALSE(a.IsCrowdedAt(205.0f, 205.0f));
}

// ---- Ring search and the three modes ----

TEST(UnitPlacement, SearchMovesAwayFromANeighbourAndFailsAtTheLastCandidate) {
  SetUpRig rig;
  Foot other;
  Place(other, 400.0f, 400.0f);
  rig.Join(other);
  Foot unit;
  Place(unit, 400.0f, 400.0f);
  rig.Join(unit);
  SeedRandom(7);
  EXPECT_TRUE(unit.SearchPlacement(false, 400.0f, 400.0f, 200.0f, 10.0f, 1));
  EXPECT_TRUE(std::fabs(unit.x - 400.0f) >= 10.0f || std::fabs(unit.y - 400.0f) >= 10.0f);
  // Mode 0 ignores the neighbour: the first candidate, 0.01 m off.
  EXPECT_TRUE(unit.SearchPlacement(false, 400.0f, 400.0f, 200.0f, 10.0f, 0));
  EXPECT_NEAR(unit.x, 400.0f, 0.011f);
  EXPECT_NEAR(unit.y, 400.0f, 0.011f);

  // Nothing accepted: false, at the last candidate, one start angle drawn per ring.
  unit.refuseAll = true;
  SeedRandom(11);
  EXPECT_FALSE(unit.SearchPlacement(false, 400.0f, 400.0f, 30.0f, 10.0f, 0));
  EXPECT_EQ(RandomState(), StateAfterDraws(11, Rings(30.0f, 10.0f)));
  const float r = std::hypot(unit.x - 400.0f, unit.y - 400.0f);
  EXPECT_NEAR(r, 30.01f, 0.01f);
  // Candidates stay 5 m inside the map.
  SeedRandom(3);
  EXPECT_FALSE(unit.SearchPlacement(false, 1.0f, 1.0f, 20.0f, 10.0f, 0));
  EXPECT_GE(unit.x, 5.0f);
  EXPECT_GE(unit.y, 5.0f);
}

TEST(UnitPlacement, CheckPlacementTriesTheModesInOrder) {
  SetUpRig rig;
  rig.PaintAll(0);
  // Open ground conceals nothing, so mode 2 walks all its rings before mode 1 succeeds.
  Tank tank;
  Place(tank, 400.0f, 400.0f);
  SeedRandom(5);
  EXPECT_TRUE(tank.CheckPlacement(400.0f, 400.0f, false, false, true));
  EXPECT_EQ(RandomState(), StateAfterDraws(5, Rings(150.0f, 4.0f) + 1));
  EXPECT_EQ(rig.screen.panelRefreshes, 1);
  EXPECT_EQ(tank.passengerSyncs, 1);
  // Without vehicle first, or for infantry, mode 1 comes first.
  SeedRandom(5);
  EXPECT_TRUE(tank.CheckPlacement(400.0f, 400.0f, false, false, false));
  EXPECT_EQ(RandomState(), StateAfterDraws(5, 1));
  Foot foot;
  SeedRandom(5);
  EXPECT_TRUE(foot.CheckPlacement(400.0f, 400.0f, false, false, true));
  EXPECT_EQ(RandomState(), StateAfterDraws(5, 1));
  // With every ring refused by the zone test, modes 1 and 0 both walk theirs.
  SeedRandom(5);
  EXPECT_FALSE(foot.CheckPlacement(400.0f, 400.0f, true, false, false));
  EXPECT_EQ(RandomState(), StateAfterDraws(5, Rings(200.0f, 10.0f) + Rings(400.0f, 3.0f)));
  // Facing the middle of the map.
  Place(foot, 100.0f, 400.0f);
  EXPECT_TRUE(foot.CheckPlacement(100.0f, 400.0f, false, true, false));
  EXPECT_LT(std::min(foot.facing, 360.0f - foot.facing), 0.01f);
  // A passenger is refused and stays put.
  foot.passenger = true;
  Place(foot, 50.0f, 60.0f);
  EXPECT_FALSE(foot.CheckPlacement(400.0f, 400.0f, false, false, false));
  EXPECT_FLOAT_EQ(foot.x, 50.0f);
}

// ---- Along an edge ----

TEST(UnitPlacement, EdgeLinesStartAtTheirCornersAndFaceInward) {
  SetUpRig rig;
  struct Case {
    int32_t edge;
    float depth, x, y, facing;
  };
  const Case cases[] = {{0, 0.0f, 5.0f, 5.0f, 0.0f},     {1, 0.0f, 5.0f, 795.0f, 270.0f},
                        {2, 0.0f, 795.0f, 795.0f, 180.0f}, {3, 0.0f, 795.0f, 5.0f, 90.0f},
                        {0, 20.0f, 25.0f, 5.0f, 180.0f},  {3, 20.0f, 795.0f, 25.0f, 270.0f}};
  for (const Case& c : cases) {
    Foot unit;
    EXPECT_TRUE(unit.PlaceAlongEdge(c.edge, c.depth));
    EXPECT_FLOAT_EQ(unit.x, c.x) << "edge " << c.edge;
    EXPECT_FLOAT_EQ(unit.y, c.y) << "edge " << c.edge;
    EXPECT_FLOAT_EQ(unit.facing, c.facing) << "edge " << c.edge;
  }
}

TEST(UnitPlacement, EdgeLineStepsBySpacingWrapsInwardAndGivesUp) {
  SetUpRig rig;
  Foot first;
  Place(first, 5.0f, 5.0f);
  rig.Join(first);
  Foot second;
  EXPECT_TRUE(second.PlaceAlongEdge(0, 0.0f));
  EXPECT_FLOAT_EQ(second.y, 15.0f);  // one spacing along
  // A refused first row: the row wraps 16.5 m inward at the far end.
  Foot wrapped;
  wrapped.refuseFromX = 790.0f;
  EXPECT_TRUE(wrapped.PlaceAlongEdge(2, 0.0f));
  EXPECT_FLOAT_EQ(wrapped.x, 778.5f);
  EXPECT_FLOAT_EQ(wrapped.y, 795.0f);
  // Nowhere to stand: 500 tries, then the unit stays where it was.
  Foot nowhere;
  nowhere.refuseAll = true;
  Place(nowhere, 300.0f, 300.0f);
  EXPECT_FALSE(nowhere.PlaceAlongEdge(1, 0.0f));
  EXPECT_FLOAT_EQ(nowhere.x, 300.0f);
  EXPECT_FLOAT_EQ(nowhere.y, 300.0f);
}

// ---- Back into an area ----

TEST(UnitPlacement, MoveIntoAreaComesInByTheDrawnDistance) {
  SetUpRig rig;
  rig.PaintAll(1);
  Foot unit;
  Place(unit, 50.0f, 400.0f);
  unit.level = -1.0f;
  SeedRandom(9);
  const float d = RandomFloatTimes(80.0f) + 20.0f;
  SeedRandom(9);
  EXPECT_TRUE(unit.MoveIntoArea(200.0f, 100.0f, 600.0f, 700.0f));
  EXPECT_NEAR(unit.x, 200.0f + d, 0.011f);
  EXPECT_NEAR(unit.y, 400.0f, 0.011f);
  EXPECT_EQ(unit.setupZone, 1);
  EXPECT_FLOAT_EQ(unit.level, 0.0f);
  // Nearer the middle than d inside: the middle.
  Tank tank;
  tank.side = 1;
  Place(tank, 390.0f, 800.0f);
  rig.PaintAll(4);
  EXPECT_TRUE(tank.MoveIntoArea(380.0f, 0.0f, 420.0f, 780.0f));
  EXPECT_EQ(tank.setupZone, 4);
  EXPECT_NEAR(tank.x, 390.0f, 0.011f);
  EXPECT_GE(tank.y, 780.0f - 100.0f - 0.011f);
  EXPECT_LE(tank.y, 780.0f - 20.0f + 0.011f);
  // A unit inside is left alone.
  Place(unit, 300.0f, 300.0f);
  unit.setupZone = 0;
  EXPECT_FALSE(unit.MoveIntoArea(200.0f, 100.0f, 600.0f, 700.0f));
  EXPECT_EQ(unit.setupZone, 0);
}

TEST(UnitPlacement, MoveIntoAreaWithoutAPlaceRestoresTheUnit) {
  SetUpRig rig;
  Foot unit;
  unit.refuseAll = true;
  Place(unit, 50.0f, 400.0f);
  EXPECT_FALSE(unit.MoveIntoArea(200.0f, 100.0f, 600.0f, 700.0f));
  EXPECT_FLOAT_EQ(unit.x, 50.0f);
  EXPECT_FLOAT_EQ(unit.y, 400.0f);
  Foot passenger;
  passenger.passenger = true;
  Place(passenger, 50.0f, 400.0f);
  EXPECT_FALSE(passenger.MoveIntoArea(200.0f, 100.0f, 600.0f, 700.0f));
  EXPECT_EQ(passenger.setupZone, 0);
}

// ---- Exposure ----

TEST(UnitPlacement, ExposureAveragesFourPointsAndRestoresThePosition) {
  SetUpRig rig;
  Foot unit;
  Place(unit, 10.0f, 20.0f);
  EXPECT_FLOAT_EQ(unit.ExposureAt(300.0f, 300.0f, false, false), 0.1f);
  ASSERT_EQ(unit.seenFrom.size(), 1u);
  EXPECT_FLOAT_EQ(unit.seenFrom[0].fromX, 308.0f);
  EXPECT_FLOAT_EQ(unit.seenFrom[0].fromY, 304.0f);
  EXPECT_FLOAT_EQ(unit.seenFrom[0].unitX, 300.0f);  // evaluated as if standing there
  EXPECT_NEAR(unit.ExposureAt(300.0f, 300.0f, false, true), 0.25f, 1e-6f);
  EXPECT_EQ(unit.seenFrom.size(), 5u);
  EXPECT_FLOAT_EQ(unit.x, 10.0f);
  EXPECT_FLOAT_EQ(unit.y, 20.0f);
}
