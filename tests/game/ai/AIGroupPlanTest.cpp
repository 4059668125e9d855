// The computer player's plan of one group's turn: its rounds by mode and their draws.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIGroupPlan.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/UnitPlan.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/ports/UnitCellSearch.h"

namespace {

// A tank seen a little from everywhere: fast, it scores 5.5 and 3.0 with nothing to do; at
// speed class 1 it scores 0 and 0.
class PlanTank : public TestVehicle {
 public:
  PlanTank() {
    armored = true;
    mainWeapon = true;
    type23 = true;
    turret = true;
    // Its trial target choice would name a leader: one draw the plan does not make.
    makesTrialCopies = false;
  }
  float VisibilityFromPoint(float, float, float, bool) override { return 0.3f; }
  float GetTerrainMobility() const override { return 1.0f; }
  int32_t GetSpeedClass() const override { return speedClass; }
  bool IsMainWeaponUsable() const override { return true; }
  bool CanFireAnyMachineGun() const override { return machineGun; }
  int32_t speedClass = 4;
  bool machineGun = false;
};

// Records the withdrawals its group's mode asks for.
class WithdrawingInfantry : public TestInfantry {
 public:
  void WithdrawIfIdle(bool flag) override { calls.push_back(flag); }
  std::vector<bool> calls;
};

// Counts the searches a unit's slot 120 hands on, and says each one ordered a move.
class CountingSearch : public UnitCellSearch {
 public:
  bool Defending() const override { return false; }
  CountingSearch() { UnitCellSearch::Install(this); }
  ~CountingSearch() override { UnitCellSearch::Install(nullptr); }
  bool FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) override {
    calls.push_back(&unit);
    extends.push_back(extend);
    noBaselines.push_back(noBaseline);
    return orders;
  }
  bool orders = true;
  std::vector<Unit*> calls;
  std::vector<bool> extends;
  std::vector<bool> noBaselines;
};

std::vector<int32_t> gDraws;
void Record(int32_t n) { gDraws.push_back(n); }

struct Rig {
  Rig() {
    Battle& battle = rig.Fresh();
    battle.attacker = 0;
    context.battle = &battle;
    context.side = 0;
    group.Init();
  }
  ~Rig() {
    SetRandomBoundObserver(nullptr);
    delete B().aiObjectives[0];
    B().aiObjectives[0] = nullptr;
  }
  Battle& B() { return rig.B(); }
  template <class T>
  T* Add(int32_t sideIndex, float x, float y, bool member = true) {
    auto* unit = new T();
    unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(unit, x, y);
    if (member) group.Append(unit);
    return unit;
  }
  // One goal for side 0 with its centre at the point.
  void AddGoal(float x, float y) {
    auto* goals = new GObjectGroup();
    goals->IObjectGroup();
    B().aiObjectives[0] = goals;
    auto* flag = new VictoryFlag(x, y, 0);
    B().flags.Append(flag);
    auto* goal = new AIGoalGroup();
    goal->InitFromFlag(flag);
    goals->Append(goal);
  }
  static void GiveWaypoint(Unit& unit) {
    unit.waypointCount = 1;
    unit.WaypointAt(0).x = unit.x + 50.0f;
    unit.WaypointAt(0).y = unit.y;
    unit.WaypointAt(0).moveMode = 3;
  }
  void Paint(float x0, float y0, float x1, float y1, int32_t type) {
    for (int32_t cx = static_cast<int32_t>(x0 * 0.5f); cx < static_cast<int32_t>(x1 * 0.5f); ++cx) {
      for (int32_t cy = static_cast<int32_t>(y0 * 0.5f); cy < static_cast<int32_t>(y1 * 0.5f); ++cy) {
        B().map->terrain.fineGrid.At(cx, cy) = static_cast<uint16_t>(type << 10 | 100);
      }
    }
  }
  AIGoalGroup* Goal() { return context.Goal(0); }
  void PlanCountingDraws() {
    gDraws.clear();
    SetRandomBoundObserver(Record);
    AIOperational::PlanGroup(context, group);
    SetRandomBoundObserver(nullptr);
  }
  BattleTestRig rig;
  AIPlanContext context;
  AIGroup group;
};

constexpr int32_t kFloatDraw = 10000000;

}  // namespace

TEST(AIGroupPlan, FreeGroupOrdersOnlyItsFirstHalfAndNeverAHeldUnit) {
  Rig rig;
  CountingSearch search;
  std::vector<PlanTank*> tanks;
  for (int32_t k = 0; k < 5; ++k) {
    tanks.push_back(rig.Add<PlanTank>(0, 300.0f + 40.0f * static_cast<float>(k), 300.0f));
    Rig::GiveWaypoint(*tanks.back());
    tanks.back()->commandDelay = 7.0f;
  }
  // Held units rank last whatever they score.
  tanks[0]->flagBytes[Unit::kHoldFlag] = 1;
  tanks[1]->flagBytes[Unit::kHoldFlag] = 1;
  rig.group.mode = AIGroup::kDefendingFree;
  rig.PlanCountingDraws();
  // Scores above 3 search without a draw; 5 records: the first 2 by rank.
  EXPECT_TRUE(gDraws.empty());
  ASSERT_EQ(search.calls.size(), 2u);
  for (size_t k = 0; k < 2; ++k) {
    EXPECT_NE(search.calls[k], tanks[0]);
    EXPECT_NE(search.calls[k], tanks[1]);
    EXPECT_TRUE(search.extends[k]);
    EXPECT_FALSE(search.noBaselines[k]);
  }
  // The searched keep the orders the search gave; the rest have theirs cancelled.
  int32_t kept = 0;
  for (PlanTank* tank : tanks) {
    const bool searched = tank == search.calls[0] || tank == search.calls[1];
    EXPECT_EQ(tank->waypointCount, searched ? 1 : 0);
    EXPECT_EQ(tank->commandDelay, 0.0f);
    EXPECT_EQ(tank->pendingDelaySteps, searched ? 0 : 1);
    kept += searched ? 1 : 0;
  }
  EXPECT_EQ(kept, 2);
}

TEST(AIGroupPlan, LowScoresDrawOnlyWhatTheirTestsNeed) {
  Rig rig;
  CountingSearch search;
  auto* slow = rig.Add<PlanTank>(0, 300.0f, 300.0f);
  slow->speedClass = 1;
  auto* slow2 = rig.Add<PlanTank>(0, 340.0f, 300.0f);
  slow2->speedClass = 1;
  rig.group.mode = AIGroup::kDefendingFree;
  rig.PlanCountingDraws();
  // Two records, limit 1: scoreA 0 draws once and fails; the second is past the limit.
  EXPECT_EQ(gDraws, std::vector<int32_t>{kFloatDraw});
  EXPECT_TRUE(search.calls.empty());
}

TEST(AIGroupPlan, OneUnitGoalGroupHasALimitOfOneAndDrawsOncePerRound) {
  Rig rig;
  CountingSearch search;
  rig.AddGoal(900.0f, 900.0f);
  auto* slow = rig.Add<PlanTank>(0, 300.0f, 300.0f);
  slow->speedClass = 1;
  Rig::GiveWaypoint(*slow);
  rig.group.mode = AIGroup::kSentBase;
  rig.PlanCountingDraws();
  // First round (index 0 within the limit of 1), second round, the forward test of step 9.
  EXPECT_EQ(gDraws, (std::vector<int32_t>{kFloatDraw, kFloatDraw, kFloatDraw}));
  EXPECT_TRUE(search.calls.empty());
  EXPECT_EQ(slow->waypointCount, 0);
  EXPECT_FALSE(rig.context.exitGoal);
}

TEST(AIGroupPlan, GoalGroupWithNoUsableUnitStillDrawsItsForwardTest) {
  Rig rig;
  rig.AddGoal(900.0f, 900.0f);
  auto* dead = rig.Add<PlanTank>(0, 300.0f, 300.0f);
  dead->alive = 0;
  Rig::GiveWaypoint(*dead);
  auto* enemy = rig.Add<PlanTank>(1, 500.0f, 300.0f);
  Rig::GiveWaypoint(*enemy);
  rig.group.mode = AIGroup::kSentBase;
  rig.PlanCountingDraws();
  // No record: the count ratio is not taken, but its draw is made.
  EXPECT_EQ(gDraws, std::vector<int32_t>{kFloatDraw});
  EXPECT_EQ(dead->waypointCount, 1);
  EXPECT_EQ(enemy->waypointCount, 1);
}

TEST(AIGroupPlan, ModesZeroAndOneCancelEveryUsableUnitsOrders) {
  for (int32_t mode : {AIGroup::kFree, AIGroup::kPlacement}) {
    Rig rig;
    auto* tank = rig.Add<PlanTank>(0, 300.0f, 300.0f);
    auto* prisoner = rig.Add<TestInfantry>(1, 320.0f, 300.0f);
    prisoner->surrendered = true;
    auto* enemy = rig.Add<TestInfantry>(1, 340.0f, 300.0f);
    auto* panicked = rig.Add<TestInfantry>(0, 360.0f, 300.0f);
    panicked->suppression = 1000.0f;
    auto* rider = rig.Add<TestInfantry>(0, 380.0f, 300.0f);
    rider->passenger = true;
    for (Unit* unit : std::vector<Unit*>{tank, prisoner, enemy, panicked, rider}) Rig::GiveWaypoint(*unit);
    rig.group.mode = mode;
    rig.PlanCountingDraws();
    EXPECT_TRUE(gDraws.empty());
    EXPECT_EQ(tank->waypointCount, 0);
    EXPECT_EQ(prisoner->waypointCount, 0);
    EXPECT_EQ(enemy->waypointCount, 1);
    EXPECT_EQ(panicked->waypointCount, 1);
    EXPECT_EQ(rider->waypointCount, 1);
  }
}

TEST(AIGroupPlan, HeldArmourKeepsFiringAndItsRidersLookForAPlace) {
  Rig rig;
  CountingSearch search;
  auto* tank = rig.Add<PlanTank>(0, 300.0f, 300.0f);
  auto* rider = rig.Add<TestInfantry>(0, 300.0f, 300.0f, false);
  tank->passengers[1] = rider;
  auto* enemy = rig.Add<PlanTank>(1, 500.0f, 320.0f, false);
  tank->target = enemy;
  rig.group.mode = AIGroup::kFree;
  AIOperational::PlanGroup(rig.context, rig.group);
  // Without a machine gun it fires from where it stands: no waypoint.
  EXPECT_EQ(tank->waypointCount, 0);
  ASSERT_EQ(search.calls.size(), 1u);
  EXPECT_EQ(search.calls[0], rider);
  EXPECT_TRUE(search.extends[0]);
  EXPECT_TRUE(search.noBaselines[0]);
  EXPECT_EQ(tank->pendingDelaySteps, 1);

  tank->machineGun = true;
  AIOperational::PlanGroup(rig.context, rig.group);
  ASSERT_EQ(tank->waypointCount, 1);
  EXPECT_FLOAT_EQ(tank->WaypointAt(0).x, 500.0f);
  EXPECT_FLOAT_EQ(tank->WaypointAt(0).y, 320.0f);
  EXPECT_EQ(tank->WaypointAt(0).moveMode, Unit::MoveModeOfOrder(kOrderRotate));
}

TEST(AIGroupPlan, ModesTwoAndThreeWithdrawIdleUnits) {
  for (int32_t mode : {AIGroup::kCannotTakePart, AIGroup::kCatchAll}) {
    Rig rig;
    auto* a = rig.Add<WithdrawingInfantry>(0, 300.0f, 300.0f);
    auto* b = rig.Add<WithdrawingInfantry>(0, 340.0f, 300.0f);
    b->alive = 0;
    rig.group.mode = mode;
    rig.PlanCountingDraws();
    EXPECT_TRUE(gDraws.empty());
    EXPECT_EQ(a->calls, std::vector<bool>{mode == AIGroup::kCatchAll});
    EXPECT_TRUE(b->calls.empty());
  }
}

TEST(AIGroupPlan, GoalRoundSharesByKindOfUnit) {
  Rig rig;
  auto* squad = rig.Add<TestInfantry>(0, 300.0f, 300.0f);
  EXPECT_EQ(AIOperational::GoalRoundShare(*squad), 0.25f);
  squad->mainWeapon = true;
  EXPECT_EQ(AIOperational::GoalRoundShare(*squad), 0.5f);
  squad->indirect = true;
  EXPECT_EQ(AIOperational::GoalRoundShare(*squad), 0.64f);
  squad->SetRecord(104, 0, 1);
  EXPECT_EQ(AIOperational::GoalRoundShare(*squad), 0.45f);
  auto* truck = rig.Add<TestVehicle>(0, 300.0f, 300.0f);
  EXPECT_EQ(AIOperational::GoalRoundShare(*truck), 0.75f);
  // With 10 records an unarmoured vehicle is damped at indexes 0 to 6.
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(static_cast<float>(i) + 1.0f < 10.0f * AIOperational::GoalRoundShare(*truck), i <= 6) << i;
  }
  truck->armored = true;
  EXPECT_EQ(AIOperational::GoalRoundShare(*truck), 0.45f);
  truck->mainWeapon = true;
  EXPECT_EQ(AIOperational::GoalRoundShare(*truck), 0.35f);
  auto* object = rig.Add<TestVehicle>(0, 300.0f, 300.0f, false);
  object->kind = Unit::kInanimate;
  EXPECT_EQ(AIOperational::GoalRoundShare(*object), 0.25f);
  for (int32_t type : {8, 9, 36, 44}) EXPECT_TRUE(AIOperational::IsRoadOrWaterTerrain(type)) << type;
  for (int32_t type : {0, 7, 10, 35, 45}) EXPECT_FALSE(AIOperational::IsRoadOrWaterTerrain(type)) << type;
}

TEST(AIGroupPlan, EnemyThreatIsAStrongInfantryUnitWithin100Metres) {
  Rig rig;
  auto* unit = rig.Add<TestInfantry>(0, 500.0f, 500.0f);
  auto* enemy = rig.Add<TestInfantry>(1, 599.0f, 500.0f, false);
  enemy->men = 10;
  EXPECT_FALSE(AIOperational::EnemyThreatNear(rig.context, *unit));  // neither squad nor armed
  enemy->squad = true;
  EXPECT_TRUE(AIOperational::EnemyThreatNear(rig.context, *unit));
  enemy->losses = 6;
  EXPECT_FALSE(AIOperational::EnemyThreatNear(rig.context, *unit));
  enemy->losses = 5;
  EXPECT_TRUE(AIOperational::EnemyThreatNear(rig.context, *unit));
  // Within the square but beyond the circle.
  enemy->x = 580.0f;
  enemy->y = 580.0f;
  EXPECT_FALSE(AIOperational::EnemyThreatNear(rig.context, *unit));
  enemy->y = 560.0f;
  EXPECT_TRUE(AIOperational::EnemyThreatNear(rig.context, *unit));
  enemy->surrendered = true;
  EXPECT_FALSE(AIOperational::EnemyThreatNear(rig.context, *unit));
  enemy->surrendered = false;
  enemy->side = unit->side;
  EXPECT_FALSE(AIOperational::EnemyThreatNear(rig.context, *unit));
}

TEST(AIGroupPlan, GoalGroupDampsItsNearestAndSendsTheKeenForward) {
  Rig rig;
  CountingSearch search;
  search.orders = false;
  const float goalX = rig.B().map->size.worldWidth - 100.0f;
  rig.AddGoal(goalX, 400.0f);
  std::vector<PlanTank*> tanks;
  for (int32_t k = 0; k < 4; ++k) tanks.push_back(rig.Add<PlanTank>(0, 300.0f - 40.0f * static_cast<float>(k), 400.0f));
  rig.group.mode = AIGroup::kSentBase;
  AIOperational::PlanGroup(rig.context, rig.group);
  // The first half by rank searched in vain; 4 x 0.35 damps only the nearest, whose second
  // score then falls short of the chance (3.0 x 0.8 - 1.3 is above any draw).
  EXPECT_EQ(search.calls.size(), 2u);
  EXPECT_EQ(tanks[0]->waypointCount, 0);
  for (size_t k = 1; k < tanks.size(); ++k) {
    ASSERT_GT(tanks[k]->waypointCount, 0) << k;
    float x = 0.0f;
    float y = 0.0f;
    tanks[k]->GetLastWaypoint(x, y);
    EXPECT_GT(x, goalX - 130.0f) << k;
  }
}

TEST(AIGroupPlan, TheNearestSevenOfTenUnarmouredVehiclesAreDampedOffTheRoad) {
  Rig rig;
  rig.AddGoal(900.0f, 400.0f);
  for (int32_t k = 0; k < 10; ++k) rig.Add<TestVehicle>(0, 800.0f - 30.0f * static_cast<float>(k), 400.0f);
  // The third nearest stands on a road.
  rig.Paint(730.0f, 390.0f, 750.0f, 410.0f, 8);
  AIGroupPlan plan(rig.context, rig.group);
  plan.Collect();
  plan.goal = rig.Goal();
  for (int32_t i = 0; i < plan.plans.Count(); ++i) {
    plan.At(i)->scoreB = 1.0f;
    plan.At(i)->distance = plan.At(i)->unit->DistanceToPoint(900.0f, 400.0f);
  }
  plan.DampNearestSecondScores();
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(plan.At(i)->unit, rig.group.UnitAt(i));
    EXPECT_FLOAT_EQ(plan.At(i)->scoreB, i <= 6 && i != 2 ? 0.2f : 1.0f) << i;
  }
  // A fixed goal spares those within 150 m (the nearest two).
  for (int32_t i = 0; i < 10; ++i) plan.At(i)->scoreB = 1.0f;
  plan.goal->fixed = true;
  plan.DampNearestSecondScores();
  EXPECT_TRUE(rig.context.exitGoal);
  for (int32_t i = 0; i < 10; ++i) EXPECT_FLOAT_EQ(plan.At(i)->scoreB, i >= 3 && i <= 6 ? 0.2f : 1.0f) << i;
}

TEST(AIGroupPlan, SupportRoundDrawsOnlyForAnArmedLoneAdvance) {
  Rig rig;
  rig.AddGoal(900.0f, 400.0f);
  auto* lead = rig.Add<TestInfantry>(0, 400.0f, 400.0f);
  Rig::GiveWaypoint(*lead);
  auto* near1 = rig.Add<TestInfantry>(0, 420.0f, 400.0f);
  auto* near2 = rig.Add<TestInfantry>(0, 400.0f, 440.0f);
  auto* squad = rig.Add<TestInfantry>(0, 380.0f, 400.0f);
  squad->squad = true;
  auto* enemy = rig.Add<TestInfantry>(1, 600.0f, 400.0f, false);
  const auto run = [&](int32_t startingCount, float squadScore) {
    AIGroupPlan plan(rig.context, rig.group);
    plan.Collect();
    plan.goal = rig.Goal();
    plan.startingCount = startingCount;
    plan.plans.RemoveAt(0, true);  // the lead went forward
    plan.advanced.Append(lead);
    for (int32_t i = 0; i < plan.plans.Count(); ++i) plan.At(i)->scoreB = plan.At(i)->unit == squad ? squadScore : 0.0f;
    gDraws.clear();
    SetRandomBoundObserver(Record);
    plan.SupportRound();
    SetRandomBoundObserver(nullptr);
    EXPECT_EQ(rig.context.supportRadius, 60.0f);
    return plan.plans.Count();
  };
  // Without a target: only the chance of the squad within 60 m, which a score of 0 never wins.
  EXPECT_EQ(run(8, 0.0f), 3);
  EXPECT_EQ(gDraws, std::vector<int32_t>{kFloatDraw});
  EXPECT_EQ(lead->waypointCount, 1);
  // With a target, the count is drawn; 8 starters always reach 4 + Random (4), and with
  // two others within 60 m the lead stops.
  lead->target = enemy;
  EXPECT_EQ(run(8, 0.0f), 3);
  EXPECT_EQ(gDraws, (std::vector<int32_t>{kFloatDraw, 4}));
  EXPECT_EQ(lead->waypointCount, 0);
  // Three starters never do.
  Rig::GiveWaypoint(*lead);
  EXPECT_EQ(run(3, 0.0f), 3);
  EXPECT_EQ(lead->waypointCount, 1);
  // With only the squad within 60 m it goes on.
  near2->y = 480.0f;
  near1->x = 480.0f;
  EXPECT_EQ(run(8, 0.0f), 3);
  EXPECT_EQ(lead->waypointCount, 1);
  // A moving squad within 60 m: no support needed, nothing drawn.
  Rig::GiveWaypoint(*squad);
  EXPECT_EQ(run(8, 0.0f), 3);
  EXPECT_TRUE(gDraws.empty());
}

TEST(AIGroupPlan, StrongSquadsGoForwardOnlyWhileMostOfTheGroupStands) {
  Rig rig;
  rig.AddGoal(900.0f, 400.0f);
  auto* weak = rig.Add<TestInfantry>(0, 400.0f, 400.0f);
  weak->squad = true;
  weak->men = 4;
  rig.Add<TestVehicle>(0, 420.0f, 400.0f);
  AIGroupPlan plan(rig.context, rig.group);
  plan.Collect();
  plan.goal = rig.Goal();
  gDraws.clear();
  SetRandomBoundObserver(Record);
  plan.ForwardStrongSquads();
  SetRandomBoundObserver(nullptr);
  // 2 / 2 beats any threshold, but neither is a squad of more than four men.
  EXPECT_EQ(gDraws, std::vector<int32_t>{kFloatDraw});
  EXPECT_EQ(plan.plans.Count(), 2);
}

TEST(AIGroupPlan, OrdersDigestFollowsEveryOrderAndTheGroups) {
  Rig rig;
  auto* tank = rig.Add<PlanTank>(0, 300.0f, 300.0f, false);
  auto* enemy = rig.Add<PlanTank>(1, 500.0f, 300.0f, false);
  auto* groups = new GObjectGroup();
  groups->IObjectGroup();
  rig.B().aiGroups[0] = groups;
  auto* group = new AIGroup();
  group->Init();
  group->Append(tank);
  groups->Append(group);
  SeedRandom(5);
  const uint32_t base = AIOperational::OrdersDigest(rig.B());
  EXPECT_EQ(AIOperational::OrdersDigest(rig.B()), base);
  std::vector<uint32_t> seen{base};
  const auto changed = [&]() {
    const uint32_t d = AIOperational::OrdersDigest(rig.B());
    for (uint32_t v : seen) EXPECT_NE(d, v);
    seen.push_back(d);
  };
  Rig::GiveWaypoint(*tank);
  changed();
  tank->WaypointAt(0).x += 1.0f;
  changed();
  tank->target = enemy;
  changed();
  tank->areaFire = 1;
  changed();
  tank->flagBytes[Unit::kHoldFlag] = 1;
  changed();
  group->mode = AIGroup::kSentBase;
  changed();
  group->Append(enemy);
  changed();
  Random(2);
  changed();
}
