// Infantry under fire and in danger: the reaction by morale band, the cover search, the
// withdrawal to the side's own edge, jumping aside, surrender and rescue, and the state
// packets.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/Quorl.h"
#include "game/units/InfantryRig.h"
#include "game/units/TestVehicle.h"

namespace {

// Infantry that can cross every cell (the movement rate over terrain comes later).
// Its speed class as the class record gives it (the movement rules come later).
class WalkingInfantry : public Infantry {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
  int32_t GetSpeedClass() const override {
    if (!CanMove()) return 0;
    return surrendered != 0 || released != 0 ? 4 : Data().SpeedClass();
  }
};

class MovingVehicle : public TestVehicle {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
};

constexpr int32_t kWoods = 2;  // a type that conceals

struct CoverRig : InfantryRig {
  static constexpr int32_t kGunCrew = 22;
  CoverRig() {
    UseMap();
    SetClass(kGunCrew, false, 0, {4});
    Put32(Class(kGunCrew) + 56, kGunWeapon);
    Put32(Class(kGunCrew) + 108, 1);
  }
  ~CoverRig() { world.TakeBackLent(); }
  Map& GetMap() { return *world.Battle().map; }
  // Fills the square of side size metres from (x0, y0) with the terrain type.
  void Paint(float x0, float y0, float size, int32_t type) {
    for (float px = x0; px < x0 + size; px += 2.0f) {
      for (float py = y0; py < y0 + size; py += 2.0f) {
        uint16_t& cell = GetMap().terrain.fineGrid.At(static_cast<int32_t>(px / 2.0f), static_cast<int32_t>(py / 2.0f));
        cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
      }
    }
  }
  std::unique_ptr<WalkingInfantry> Walker(int32_t classIndex = kSquad, float px = 200.0f, float py = 200.0f) {
    auto unit = std::make_unique<WalkingInfantry>();
    unit->Init(classIndex, 0, 2, px, py, 0.0f);
    unit->fanaticState = 1;
    unit->side = 0;  // side index 1: the south edge is its own
    return unit;
  }
};

}  // namespace

TEST(InfantryCover, PathReachesClearCellSamplesTheLine) {
  CoverRig rig;
  auto unit = rig.Walker();
  // 30 m: round(1.5 + 0.99) = 2 steps, so the points at 0, 15 and 30 m.
  rig.Paint(114.0f, 100.0f, 2.0f, kWoods);
  EXPECT_TRUE(unit->PathReachesClearCell(100.0f, 100.0f, 130.0f, 100.0f));
  rig.Paint(114.0f, 100.0f, 2.0f, 0);
  rig.Paint(110.0f, 100.0f, 2.0f, kWoods);
  EXPECT_FALSE(unit->PathReachesClearCell(100.0f, 100.0f, 130.0f, 100.0f));
  EXPECT_TRUE(unit->PathReachesClearCell(100.0f, 100.0f, 110.0f, 100.0f));
}

TEST(InfantryCover, SpotsTowardACloseThreatAreRefusedAndUnforcedSearchesAreChoosy) {
  CoverRig rig;
  auto unit = rig.Walker();
  unit->suppression = 45.0f;
  // Woods only beyond the threat 20 m east: nothing may be taken.
  rig.Paint(226.0f, 190.0f, 20.0f, kWoods);
  SeedRandom(5);
  EXPECT_FALSE(unit->SeekCover(true, true, 220.0f, 200.0f));
  EXPECT_EQ(unit->waypointCount, 0);
  // Woods 40 m south as well: a forced search takes it, an unforced one finds it too costly.
  rig.Paint(196.0f, 156.0f, 10.0f, kWoods);
  SeedRandom(5);
  EXPECT_FALSE(unit->SeekCover(false, true, 220.0f, 200.0f));
  SeedRandom(5);
  unit->commandDelay = 30.0f;
  ASSERT_TRUE(unit->SeekCover(true, true, 220.0f, 200.0f));
  ASSERT_EQ(unit->waypointCount, 1);
  EXPECT_LT(unit->WaypointAt(0).y, 170.0f);
  EXPECT_GE(unit->WaypointAt(0).x, 195.0f);
  EXPECT_LE(unit->WaypointAt(0).x, 206.0f);
  EXPECT_FLOAT_EQ(unit->commandDelay, 0.0f);
  // A unit already in cover stays.
  auto hidden = rig.Walker(InfantryRig::kSquad, 200.0f, 160.0f);
  EXPECT_FALSE(hidden->SeekCover(true, false, 0.0f, 0.0f));
  EXPECT_EQ(hidden->waypointCount, 0);
  // A route that soon reaches cover is kept.
  rig.Paint(196.0f, 170.0f, 6.0f, kWoods);
  auto walker = rig.Walker();
  walker->AddWaypoint(200.0f, 175.0f, kOrderFastMove);
  walker->AddWaypoint(200.0f, 150.0f, kOrderFastMove);
  EXPECT_TRUE(walker->RouteReachesCover());
  EXPECT_FALSE(walker->SeekCover(true, false, 0.0f, 0.0f));
  EXPECT_EQ(walker->waypointCount, 2);
}

TEST(InfantryCover, TheReactionByBand) {
  CoverRig rig;
  TestVehicle far;
  far.x = 600.0f;
  far.y = 200.0f;
  // Pinned: a far target is dropped.
  auto pinned = rig.Walker();
  pinned->target = &far;
  pinned->suppression = 150.0f;
  pinned->AddWaypoint(200.0f, 250.0f, kOrderFastMove);
  pinned->ReactToFire(false, false, 0.0f, 0.0f);
  EXPECT_EQ(pinned->target, nullptr);
  // A sneaking advance is dropped from band 1.
  auto sneaking = rig.Walker();
  sneaking->suppression = 15.0f;
  sneaking->AddWaypoint(200.0f, 250.0f, kOrderSneak);
  ASSERT_EQ(sneaking->WaypointAt(0).moveMode, Infantry::kSneak);
  sneaking->ReactToFire(false, false, 0.0f, 0.0f);
  EXPECT_EQ(sneaking->waypointCount, 0);
  // Below band 3 with a move order the delay shrinks to 50 - suppression.
  auto moving = rig.Walker();
  moving->suppression = 40.0f;
  moving->AddWaypoint(200.0f, 250.0f, kOrderFastMove);
  moving->commandDelay = 100.0f;
  moving->ReactToFire(false, false, 0.0f, 0.0f);
  EXPECT_FLOAT_EQ(moving->commandDelay, 10.0f);
  moving->suppression = 55.0f;
  moving->ReactToFire(false, false, 0.0f, 0.0f);
  EXPECT_FLOAT_EQ(moving->commandDelay, 0.0f);
  // Routed in the open: off toward the own (south) edge.
  rig.Paint(180.0f, 100.0f, 40.0f, kWoods);
  auto routed = rig.Walker();
  routed->suppression = 250.0f;
  routed->ReactToFire(false, false, 0.0f, 0.0f);
  ASSERT_EQ(routed->waypointCount, 1);
  EXPECT_LT(routed->WaypointAt(0).y, 150.0f);

  // A Broken gun crew that lost at most half stays; one that lost more leaves its gun.
  rig.world.Battle().endState[0] = 2;  // a side surrendered: the battle is over
  auto crew = rig.Walker(CoverRig::kGunCrew);
  crew->suppression = 400.0f;
  crew->losses = 2;
  crew->ReactToFire(false, false, 0.0f, 0.0f);
  EXPECT_EQ(crew->alive, 1);
  crew->losses = 3;
  crew->ReactToFire(false, false, 0.0f, 0.0f);
  EXPECT_EQ(crew->alive, 0);
  rig.world.Battle().endState[0] = 0;
}

TEST(InfantryWithdrawal, TowardTheOwnEdge) {
  CoverRig rig;
  // A unit that cannot move never withdraws.
  auto gun = rig.Walker(CoverRig::kGunCrew);
  EXPECT_FALSE(gun->RetreatTowardFriendlyEdge(true, false));
  // A withdrawal under way toward the own edge goes on untouched.
  auto going = rig.Walker();
  going->AddWaypoint(200.0f, 120.0f, kOrderFastMove);
  going->commandDelay = 0.0f;
  EXPECT_TRUE(going->RetreatTowardFriendlyEdge(false, false));
  EXPECT_FLOAT_EQ(going->WaypointAt(0).y, 120.0f);
  // Nowhere to hide: staying on the map it fails; allowed to leave it makes for the middle
  // of the edge at the last radius, 200 - 45 sqrt(2) = 136 m.
  const float middle = rig.GetMap().size.worldWidth * 0.5f;
  auto open = rig.Walker(InfantryRig::kSquad, middle, 200.0f);
  EXPECT_FALSE(open->RetreatTowardFriendlyEdge(false, false));
  SeedRandom(8);
  ASSERT_TRUE(open->RetreatTowardFriendlyEdge(true, false));
  ASSERT_EQ(open->waypointCount, 1);
  EXPECT_NEAR(open->WaypointAt(0).x, middle, 0.5f);
  EXPECT_NEAR(open->WaypointAt(0).y, 64.0f, 0.5f);
  // Panicked below band 7, it only gets more shaken.
  auto panicked = rig.Walker();
  panicked->suppression = 100.0f;
  EXPECT_FALSE(panicked->RetreatTowardFriendlyEdge(true, true));
  EXPECT_NEAR(panicked->suppression, 110.0f, 1e-3f);
  // A side without an edge of its own cannot withdraw (and the program goes on).
  for (int32_t& owner : rig.world.Battle().edgeOwner) owner = 0;
  auto lost = rig.Walker();
  EXPECT_FALSE(lost->RetreatTowardFriendlyEdge(true, false));
  EXPECT_EQ(lost->waypointCount, 0);
}

TEST(InfantryWithdrawal, AnIdleUnitWithdrawsAndAPrisonerTowardItsCaptors) {
  CoverRig rig;
  const float middle = rig.GetMap().size.worldWidth * 0.5f;
  // With a move order it stays as ordered.
  auto busy = rig.Walker(InfantryRig::kSquad, middle, 200.0f);
  busy->AddWaypoint(middle + 30.0f, 200.0f, kOrderFastMove);
  busy->WithdrawIfIdle(true);
  ASSERT_EQ(busy->waypointCount, 1);
  EXPECT_FLOAT_EQ(busy->WaypointAt(0).x, middle + 30.0f);
  // Idle: makes for its own (south) edge.
  auto idle = rig.Walker(InfantryRig::kSquad, middle, 200.0f);
  SeedRandom(8);
  idle->WithdrawIfIdle(true);
  ASSERT_EQ(idle->waypointCount, 1);
  EXPECT_LT(idle->WaypointAt(0).y, 200.0f);
  // A prisoner is led toward the other side's edge, and keeps its own side.
  auto prisoner = rig.Walker(InfantryRig::kSquad, middle, 200.0f);
  prisoner->surrendered = 1;
  SeedRandom(8);
  prisoner->WithdrawIfIdle(true);
  ASSERT_EQ(prisoner->waypointCount, 1);
  EXPECT_GT(prisoner->WaypointAt(0).y, 200.0f);
  EXPECT_EQ(prisoner->side, 0);
  // Shaken past steadiness it does nothing.
  auto shaken = rig.Walker(InfantryRig::kSquad, middle, 200.0f);
  shaken->suppression = 250.0f;
  shaken->WithdrawIfIdle(true);
  EXPECT_EQ(shaken->waypointCount, 0);
}

TEST(InfantryDanger, JumpingAsideFromATank) {
  CoverRig rig;
  auto squad = rig.Walker();
  MovingVehicle tank;
  tank.armored = true;
  tank.speed = 0.2f;  // 8 m a second: a threat within 40 m
  tank.x = 170.0f;
  tank.y = 200.0f;
  tank.facing = 0.0f;
  rig.world.Lend(&tank);
  squad->suppression = 70.0f;
  ASSERT_TRUE(Infantry::IsOverrunThreat(tank, *squad));
  SeedRandom(11);
  squad->ReactToDanger();
  ASSERT_EQ(squad->waypointCount, 1);
  const float dx = squad->WaypointAt(0).x - 200.0f;
  const float dy = squad->WaypointAt(0).y - 200.0f;
  EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 12.0f, 1e-3f);
  // Band 3: no clear spot in the first 20 tries, then any standable one will do, so the
  // suppression stays; from band 4 it rises to 240 anyway.
  EXPECT_FLOAT_EQ(squad->suppression, 70.0f);
  auto pinned = rig.Walker();
  pinned->suppression = 150.0f;
  pinned->ReactToDanger();
  EXPECT_EQ(pinned->waypointCount, 1);
  EXPECT_FLOAT_EQ(pinned->suppression, 240.0f);
  // Too far, off the line, or upstairs: nothing.
  for (int32_t variant = 0; variant < 3; ++variant) {
    auto other = rig.Walker();
    tank.x = variant == 0 ? 150.0f : 170.0f;
    tank.facing = variant == 1 ? 30.0f : 0.0f;
    if (variant == 2) other->level = 1.0f;
    other->ReactToDanger();
    EXPECT_EQ(other->waypointCount, 0) << variant;
  }
  // A gun that cannot move is left to the enemy.
  tank.x = 170.0f;
  tank.facing = 0.0f;
  tank.side = 1;
  rig.world.Battle().endState[0] = 2;  // a side surrendered: the battle is over
  auto gun = rig.Walker(CoverRig::kGunCrew);
  gun->ReactToDanger();
  EXPECT_EQ(gun->alive, 0);
  EXPECT_EQ(gun->knockedOut, 1);
  EXPECT_EQ(tank.killRecord.gunsDestroyed, 1);
  rig.world.Battle().endState[0] = 0;
}

TEST(InfantryDanger, SurrenderAndRescue) {
  CoverRig rig;
  auto squad = rig.Walker();
  squad->identificationLevel = 3;
  squad->suppression = 70.0f;
  // No enemy near: the balance is the men present.
  EXPECT_FLOAT_EQ(squad->ComputeSurrenderBalance(3).balance, 9.0f);
  auto enemy = rig.Walker(InfantryRig::kSquad, 200.0f, 240.0f);
  enemy->side = 1;
  enemy->target = squad.get();
  rig.world.Lend(enemy.get());
  // An enemy 40 m off weighs (75 - 40) / 70 = 0.5 of its men, over the divisor.
  Infantry::SurrenderBalance tally;
  tally.divisor = 1.0f;
  enemy->target = nullptr;
  Infantry::AddToSurrenderBalance(*enemy, *squad, tally);
  EXPECT_NEAR(tally.balance, -9.0f * 0.5f, 1e-3f);
  EXPECT_EQ(tally.capturer, nullptr);
  // Aiming at the squad from close by makes it the one to give up to.
  enemy->y = 215.0f;
  enemy->target = squad.get();
  Infantry::SurrenderBalance close;
  close.divisor = 0.1f;
  Infantry::AddToSurrenderBalance(*enemy, *squad, close);
  EXPECT_EQ(close.capturer, enemy.get());
  // Hopeless, nowhere to go: it gives up.
  squad->suppression = 150.0f;
  rig.world.Battle().strengthRatio[0] = rig.world.Battle().strengthRatio[1] = 0.05f;
  squad->ReactToDanger();
  ASSERT_EQ(squad->surrendered, 1);
  EXPECT_EQ(squad->ammo, (std::array<uint16_t, 5>{}));
  EXPECT_EQ(squad->identificationLevel, 4);
  EXPECT_EQ(enemy->killRecord.infantryCaptured, 9);
  // A fanatical unit never surrenders.
  auto fanatic = rig.Walker();
  fanatic->identificationLevel = 3;
  fanatic->suppression = 150.0f;
  fanatic->fanaticState = 2;
  fanatic->ReactToDanger();
  EXPECT_EQ(fanatic->surrendered, 0);

  // Friends close by free it once the enemy is gone.
  enemy->alive = 0;
  auto friends = rig.Walker(InfantryRig::kSquad, 200.0f, 185.0f);
  rig.world.Lend(friends.get());
  squad->suppression = 50.0f;
  for (uint32_t seed = 1; seed < 40 && squad->surrendered != 0; ++seed) {
    SeedRandom(seed);
    squad->ReactToDanger();
  }
  EXPECT_EQ(squad->surrendered, 0);
  EXPECT_EQ(squad->released, 1);
  EXPECT_FLOAT_EQ(squad->suppression, 0.0f);
}

TEST(InfantryPackets, StateSurvivesAPacketAndBadValuesChangeNothing) {
  CoverRig rig;
  auto squad = rig.Walker();
  squad->activityState = Infantry::kCrawl;
  squad->fatigueLevel = 3;
  squad->antitankCount = 3;
  squad->chargeCount = 2;
  squad->surrendered = 1;
  squad->released = 1;
  squad->routed = 1;
  squad->menInSlot = {5, 2, 0, 0};
  const UnitStatePacket made = squad->MakeStatePacket();
  EXPECT_EQ(made.fallingFigure, 0);
  auto copy = rig.Walker();
  copy->ApplyStatePacket(made);
  EXPECT_EQ(copy->activityState, Infantry::kCrawl);
  EXPECT_EQ(copy->fatigueLevel, 3);
  EXPECT_EQ(copy->antitankCount, 3);
  EXPECT_EQ(copy->chargeCount, 2);
  EXPECT_EQ(copy->surrendered, 1);
  EXPECT_EQ(copy->released, 1);
  EXPECT_EQ(copy->routed, 1);
  EXPECT_EQ(copy->menInSlot, (std::array<uint8_t, 4>{5, 2, 0, 0}));

  UnitStatePacket bad = made;
  bad.moveState = 2;
  bad.fatigueLevel = 7;
  bad.menPerSlot = {200, 3, 0, 0};
  bad.fallingFigure = 3;
  copy->ApplyStatePacket(bad);
  EXPECT_EQ(copy->activityState, Infantry::kCrawl);
  EXPECT_EQ(copy->fatigueLevel, 4);
  EXPECT_EQ(copy->menInSlot, (std::array<uint8_t, 4>{0, 3, 0, 0}));

  // A figure flinches only when the viewer knows the unit fully.
  auto seen = rig.Walker();
  seen->identificationLevel = 4;
  seen->side = 1;
  Unit::gViewerOverride = 1;  // the Allied player watches
  seen->FlinchFigure(1);
  seen->identificationLevel = 3;
  seen->FlinchFigure(1);
  seen->identificationLevel = 4;
  seen->FlinchFigure(7);
  Unit::gViewerOverride = -1;
  EXPECT_FLOAT_EQ(seen->figurePose[19][1], 40.0f);
  EXPECT_FLOAT_EQ(seen->figurePose[2][1], -30.0f);
  EXPECT_FLOAT_EQ(seen->figurePose[4][1], -30.0f);
  EXPECT_FLOAT_EQ(seen->figurePose[19][0], 0.0f);
}
