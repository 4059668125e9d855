// The computer player spreads squads that would bunch where the enemy sees them.
#include <gtest/gtest.h>

#include <vector>

#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/BattleTestRig.h"
#include "game/units/ports/UnitCellSearch.h"

namespace {

class ExposedSquad : public TestInfantry {
 public:
  ExposedSquad() { squad = true; }
  float VisibilityFromPoint(float, float, float, bool) override { return exposure; }
  int32_t GetSpeedClass() const override { return 2; }
  float exposure = 0.5f;
};

class CountingSearch : public UnitCellSearch {
 public:
  bool Defending() const override { return false; }
  CountingSearch() { UnitCellSearch::Install(this); }
  ~CountingSearch() override { UnitCellSearch::Install(nullptr); }
  bool FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) override {
    EXPECT_TRUE(extend);
    EXPECT_TRUE(noBaseline);
    calls.push_back(&unit);
    return false;
  }
  std::vector<Unit*> calls;
};

struct Rig {
  Rig() {
    Battle& battle = rig.Fresh();
    context.battle = &battle;
    context.side = 0;
  }
  Battle& B() { return rig.B(); }
  ExposedSquad* Add(int32_t sideIndex, float x, float y) {
    auto* unit = new ExposedSquad();
    unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(unit, x, y);
    return unit;
  }
  static void MoveTo(Unit& unit, float x, float y) {
    unit.waypointCount = 1;
    unit.WaypointAt(0).x = x;
    unit.WaypointAt(0).y = y;
    unit.WaypointAt(0).moveMode = 3;
  }
  BattleTestRig rig;
  AIPlanContext context;
};

}  // namespace

TEST(AICrowding, ThresholdsAndOneTurnsReach) {
  EXPECT_NEAR(AIOperational::CrowdingThreshold(0.0f), 5.2668f, 1e-5f);
  EXPECT_NEAR(AIOperational::CrowdingThreshold(0.5f), 0.78779f, 1e-5f);
  EXPECT_NEAR(AIOperational::CrowdingThreshold(1.0f), 0.11783f, 1e-5f);
  EXPECT_NEAR(AIOperational::TurnReach(1), 40.257f, 1e-3f);
  EXPECT_NEAR(AIOperational::TurnReach(2), 67.095f, 1e-3f);
  EXPECT_NEAR(AIOperational::TurnReach(3), 147.609f, 1e-3f);
  EXPECT_NEAR(AIOperational::TurnReach(4), 214.704f, 1e-3f);
  EXPECT_NEAR(AIOperational::TurnReach(0), 40.257f, 1e-3f);
}

TEST(AICrowding, TheMoverHandledFirstStopsAndTheStanderThenStands) {
  Rig rig;
  CountingSearch search;
  auto* stander = rig.Add(0, 400.0f, 400.0f);
  auto* mover = rig.Add(0, 350.0f, 400.0f);
  Rig::MoveTo(*mover, 400.0f, 400.0f);
  AIOperational::RelieveInfantryCrowding(rig.context);
  // Movers come first: it loses its orders, and the stander is then alone.
  EXPECT_EQ(mover->waypointCount, 0);
  EXPECT_TRUE(search.calls.empty());
  EXPECT_EQ(stander->waypointCount, 0);
}

TEST(AICrowding, TwoStandersBothSearchWhileStillTogether) {
  Rig rig;
  CountingSearch search;
  auto* a = rig.Add(0, 400.0f, 400.0f);
  auto* b = rig.Add(0, 404.0f, 400.0f);
  AIOperational::RelieveInfantryCrowding(rig.context);
  EXPECT_EQ(search.calls, (std::vector<Unit*>{a, b}));
  // Hidden, a pair is no crowd; an enemy squad is never counted.
  search.calls.clear();
  a->exposure = b->exposure = 0.0f;
  AIOperational::RelieveInfantryCrowding(rig.context);
  EXPECT_TRUE(search.calls.empty());
  a->exposure = b->exposure = 0.5f;
  b->side = a->side == 0 ? 1 : 0;
  AIOperational::RelieveInfantryCrowding(rig.context);
  EXPECT_TRUE(search.calls.empty());
}

TEST(AICrowding, ALongMoveNeitherCountsNorReacts) {
  Rig rig;
  CountingSearch search;
  auto* stander = rig.Add(0, 400.0f, 400.0f);
  auto* far = rig.Add(0, 300.0f, 400.0f);
  Rig::MoveTo(*far, 400.0f, 400.0f);  // 100 m: beyond one turn at speed class 2
  AIOperational::RelieveInfantryCrowding(rig.context);
  EXPECT_EQ(far->waypointCount, 1);
  EXPECT_TRUE(search.calls.empty());
  // Partway (between 8 and 25 m) counts a share: 17 m apart gives 8/17, below 0.788.
  far->x = 380.0f;
  Rig::MoveTo(*far, 383.0f, 400.0f);
  AIOperational::RelieveInfantryCrowding(rig.context);
  EXPECT_EQ(far->waypointCount, 1);
  EXPECT_TRUE(search.calls.empty());
  (void)stander;
}
