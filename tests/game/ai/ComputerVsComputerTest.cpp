// Two computer players against each other over ten turns, headless: every plan leaves legal
// orders and the same run gives the same plans and draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"

namespace {

class FieldSquad : public TestInfantry {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
  float VisibilityFromPoint(float, float, float, bool) override { return 0.4f; }
  bool IsMainWeaponUsable() const override { return true; }
};

class FieldVehicle : public TestVehicle {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
  float VisibilityFromPoint(float, float, float, bool) override { return 0.5f; }
  bool IsMainWeaponUsable() const override { return true; }
  // Plate alike at every hit location (nine of them when the threat is weighed).
  void AssessHit(int32_t, Unit*, bool threatMode, float, bool, float* armour, float* weight, float* ratio,
                 int32_t& count, float) override {
    count = threatMode ? 9 : 6;
    for (int32_t k = 0; k < count; ++k) {
      armour[k] = armored ? 60.0f : 8.0f;
      weight[k] = 1.0f / static_cast<float>(count);
      ratio[k] = 1.0f;
    }
  }
};

// What every plan leaves, folded into one value per plan, and the faults found.
struct PlanLog {
  std::vector<uint32_t> digests;
  std::vector<uint32_t> ordersDigests;
  std::vector<std::string> faults;
  int32_t movers = 0;    // units left with a move order, over all plans
  int32_t areaFire = 0;  // units left firing at an area, over all plans
  int32_t sentGroups = 0;  // groups sent to an objective, over all plans
  int64_t takenAhead = 0;  // route answers taken from searches made ahead on workers
  int64_t askedAhead = 0;  // route searches handed to the workers ahead of their need
};

uint32_t Fold(uint32_t h, uint32_t v) { return (h ^ v) * 16777619u; }
uint32_t Bits(float f) {
  uint32_t u = 0;
  std::memcpy(&u, &f, sizeof(u));
  return u;
}

// Checks a side's orders and groups right after its plan, and records its digest.
class CheckingPlanner : public AIOperational {
 public:
  explicit CheckingPlanner(PlanLog& log) : log_(log) {}
  void PlanTurn(Battle& battle, int32_t side, ComputerPlayerHost& host) override {
    AIOperational::PlanTurn(battle, side, host);
    Check(battle, side);
  }

 private:
  void Fault(const char* what, int32_t index) {
    log_.faults.push_back(std::string(what) + " " + std::to_string(index));
  }
  void Check(Battle& battle, int32_t side) {
    const Map& map = *battle.map;
    uint32_t h = 2166136261u;
    for (int32_t k = 0; k < battle.UnitCount(); ++k) {
      Unit& unit = *battle.UnitAt(k);
      if (unit.GetSideIndex() != side) continue;
      if (unit.waypointCount < 0 || unit.waypointCount > Unit::kMaxWaypoints) Fault("waypoint count", k);
      for (int32_t w = 0; w < unit.waypointCount && w < Unit::kMaxWaypoints; ++w) {
        const Waypoint& p = unit.WaypointAt(w);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !map.IsOnMap(p.x, p.y)) Fault("waypoint", k);
        h = Fold(Fold(h, Bits(p.x)), Bits(p.y));
      }
      if (unit.target != nullptr) {
        if (!unit.target->IsAlive() || !unit.IsEnemy(*unit.target)) Fault("target", k);
        h = Fold(h, static_cast<uint32_t>(battle.units.IndexOf(unit.target)));
      }
      if (unit.areaFire != 0) {
        if (!std::isfinite(unit.targetX) || !map.IsOnMap(unit.targetX, unit.targetY)) Fault("area target", k);
        h = Fold(Fold(h, Bits(unit.targetX)), Bits(unit.targetY));
      }
      h = Fold(h, static_cast<uint32_t>(unit.flagBytes[Unit::kHoldFlag]));
      if (unit.HasMoveOrder()) ++log_.movers;
      if (unit.areaFire != 0) ++log_.areaFire;
    }
    std::set<const Unit*> seen;
    const GObjectGroup* goals = battle.aiObjectives[static_cast<size_t>(side)];
    const int32_t goalCount = goals != nullptr ? goals->Count() : 0;
    for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) {
      const AIGroup& group = *battle.AIGroupAt(side, g);
      const int32_t mode = group.mode;
      const bool named = (mode >= AIGroup::kSentBase && mode - AIGroup::kSentBase < goalCount) ||
                         (mode >= AIGroup::kHoldingBase && mode < AIGroup::kSentBase && mode - AIGroup::kHoldingBase < goalCount);
      if (!(mode >= 0 && mode <= 4) && !named) Fault("group mode", mode);
      h = Fold(h, static_cast<uint32_t>(mode));
      if (mode >= AIGroup::kSentBase) ++log_.sentGroups;
      for (int32_t i = 0; i < group.Count(); ++i) {
        if (!seen.insert(group.UnitAt(i)).second) Fault("unit twice", g);
        h = Fold(h, static_cast<uint32_t>(battle.units.IndexOf(group.UnitAt(i))));
      }
    }
    log_.digests.push_back(Fold(h, RandomState()));
    log_.ordersDigests.push_back(AIOperational::OrdersDigest(battle));
  }
  PlanLog& log_;
};

template <class T>
T* Put(Battle& battle, int32_t sideIndex, float x, float y) {
  auto* unit = new T();
  unit->Setup(x, y, sideIndex == 0 ? 0.0f : 180.0f, sideIndex == 0 ? 6 : 0, 2);
  unit->side = static_cast<uint8_t>(1 - sideIndex);
  unit->men = 6;
  unit->purchaseCost = 60.0f;
  battle.PlaceUnitAt(unit, x, y);
  return unit;
}

// Each side's force in one group of the mode, facing the other across the map.
void Deploy(Battle& battle, int32_t sideIndex, int32_t mode) {
  const float width = battle.map->size.worldWidth;
  const float x0 = sideIndex == 0 ? 0.15f * width : 0.85f * width;
  auto* list = new GObjectGroup();
  list->IObjectGroup();
  battle.aiGroups[static_cast<size_t>(sideIndex)] = list;
  auto* group = new AIGroup();
  group->Init();
  group->mode = mode;
  list->Append(group);
  for (int32_t k = 0; k < 6; ++k) {
    auto* squad = Put<FieldSquad>(battle, sideIndex, x0 + static_cast<float>(k % 2) * 30.0f,
                                  120.0f + static_cast<float>(k) * 90.0f);
    squad->squad = true;
    squad->mainWeapon = true;
    squad->men = 9;
    group->Append(squad);
  }
  auto* mortar = Put<FieldSquad>(battle, sideIndex, x0 - 20.0f, 400.0f);
  mortar->indirect = true;
  mortar->ammo[0] = 25;
  group->Append(mortar);
  auto* tank = Put<FieldVehicle>(battle, sideIndex, x0, 300.0f);
  tank->armored = true;
  tank->mainWeapon = true;
  tank->type23 = true;
  group->Append(tank);
  auto* truck = Put<FieldVehicle>(battle, sideIndex, x0, 500.0f);
  group->Append(truck);
}

// The battle with its route searches on the given number of threads.
PlanLog RunBattle(int32_t attacker, int32_t threads = 1) {
  PlanLog log;
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.map->routes.ahead.SetThreads(threads);
  battle.setupPhase = 0;
  battle.currentTurn = 1;
  battle.lastTurn = 12;
  battle.attacker = attacker;
  const float width = battle.map->size.worldWidth;
  const float height = battle.map->size.worldHeight;
  for (float fy : {0.25f, 0.5f, 0.75f}) battle.flags.Append(new VictoryFlag(0.5f * width, fy * height, 0));
  Deploy(battle, 0, AIGroup::kFree);
  Deploy(battle, 1, attacker == 0 ? AIGroup::kDefendingFree : AIGroup::kFree);
  for (int32_t k = 0; k < battle.UnitCount(); ++k) battle.UnitAt(k)->identificationLevel = 2;

  CheckingPlanner planner(log);
  ComputerPlayer::Install(&planner);
  rig.headless.SetComputerPlayer(0, true);
  rig.headless.SetComputerPlayer(1, true);
  SeedRandom(1234);
  for (int32_t turn = 0; turn < 10 && !battle.IsOver(); ++turn) {
    rig.headless.Go(static_cast<uint16_t>(1234 + turn));
    if (battle.IsOver()) break;
    rig.headless.NextTurn();
  }
  ComputerPlayer::Install(nullptr);
  log.takenAhead = battle.map->routes.ahead.taken;
  log.askedAhead = battle.map->routes.ahead.asked;
  battle.map->routes.ahead.SetThreads(1);
  return log;
}

void ExpectLegalAndRepeatable(int32_t attacker) {
  const PlanLog first = RunBattle(attacker);
  EXPECT_TRUE(first.faults.empty()) << first.faults.front();
  // Both sides planned every turn, sent groups out, moved units and fired at areas.
  EXPECT_EQ(first.digests.size(), 20u);
  EXPECT_GT(first.sentGroups, 0);
  EXPECT_GT(first.movers, 0);
  EXPECT_GT(first.areaFire, 0);
  const PlanLog second = RunBattle(attacker);
  EXPECT_EQ(first.digests, second.digests);
  EXPECT_EQ(first.ordersDigests, second.ordersDigests);
  // The values a plan keeps change no order and no draw.
  AIPlanContext::gUseCaches = false;
  const PlanLog uncached = RunBattle(attacker);
  AIPlanContext::gUseCaches = true;
  EXPECT_EQ(first.digests, uncached.digests);
  EXPECT_EQ(first.ordersDigests, uncached.ordersDigests);
}

}  // namespace

TEST(ComputerVsComputer, AttackAgainstADefenceForTenTurns) { ExpectLegalAndRepeatable(0); }

TEST(ComputerVsComputer, MeetingEngagementForTenTurns) { ExpectLegalAndRepeatable(2); }

// Route searches made ahead on 2, 4 and 8 worker threads give every plan the same orders,
// groups and draws as searching one at a time. Searches are handed to the workers at every
// thread count above one; how many answers a worker finishes before the plan needs them
// depends on the machine's load, so that is not counted here (the plan benchmark reports it).
TEST(ComputerVsComputer, PlansAreTheSameOnOneTwoFourAndEightThreads) {
  const PlanLog one = RunBattle(0, 1);
  EXPECT_EQ(one.takenAhead, 0);
  ASSERT_EQ(one.digests.size(), 20u);
  for (int32_t threads : {2, 4, 8}) {
    const PlanLog many = RunBattle(0, threads);
    EXPECT_EQ(many.digests, one.digests) << threads;
    EXPECT_EQ(many.ordersDigests, one.ordersDigests) << threads;
    EXPECT_GT(many.askedAhead, 0) << threads;
  }
}
