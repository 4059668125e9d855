// The computer player's area fire: cell scores, thresholds and the choice of a cell.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"
#include "game/units/ExposureCounter.h"

namespace {

// A mortar team that sees every point when asked to.
class FireTeam : public TestInfantry {
 public:
  FireTeam() { indirect = true; }
  // Setup clears what the unit knows of itself.
  void Ready() {
    men = 3;
    ammo[0] = 30;
  }
  bool CanSeePoint(float, float) const override { return sees; }
  bool CanTargetPoint(float, float) override { return true; }
  bool sees = true;
};

class Known : public TestVehicle {
 public:
  void Ready() { identificationLevel = 2; }
  float VisibilityFromPoint(float, float, float, bool) override { return 0.33f; }
};

std::vector<int32_t> gDraws;
void Record(int32_t n) { gDraws.push_back(n); }

struct Rig {
  Rig() {
    Battle& battle = rig.Fresh();
    battle.attacker = 0;
    // Side 0 holds the West edge.
    for (int32_t& owner : battle.edgeOwner) owner = 2;
    battle.edgeOwner[0] = 0;
    battle.edgeOwner[2] = 1;
    context.battle = &battle;
    context.side = 0;
  }
  ~Rig() { SetRandomBoundObserver(nullptr); }
  Battle& B() { return rig.B(); }
  template <class T>
  T* Add(int32_t sideIndex, float x, float y) {
    auto* unit = new T();
    unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    unit->Ready();
    B().PlaceUnitAt(unit, x, y);
    return unit;
  }
  // A new plan: nothing is kept from the last one.
  void NewPlan() {
    AIPlanContext fresh;
    fresh.battle = &B();
    fresh.side = 0;
    context = fresh;
  }
  int32_t Score(float x, float y, int16_t* behind = nullptr) {
    return AIOperational::ScoreFireCell(context, x, y, 0, behind);
  }
  BattleTestRig rig;
  AIPlanContext context;
};

}  // namespace

TEST(AIAreaFire, ThresholdsByTurnAmmunitionAndLosses) {
  float f = 0.0f;
  EXPECT_EQ(AIOperational::AreaFireBase(4, 5, 20, &f), 18);
  EXPECT_GT(f, 0.0f);
  FireTeam team;
  team.Ready();
  EXPECT_EQ(AIOperational::AreaFireThreshold(18, f, team), 23);
  // Plenty of rounds never lowers it below half the base.
  team.ammo[0] = 200;
  EXPECT_EQ(AIOperational::AreaFireThreshold(18, f, team), 9);
  team.ammo[0] = 30;
  team.losses = 1;
  EXPECT_EQ(AIOperational::AreaFireThreshold(18, f, team), 5);
  // Few fire units: the base stays at 30 or more before the turn's factor.
  EXPECT_EQ(AIOperational::AreaFireBase(9, 0, 20, nullptr), 30);
  EXPECT_EQ(AIOperational::AreaFireBase(1, 0, 20, nullptr), 55);
  // From turn 16 of 20 every threshold is 1.
  for (int32_t turn : {16, 20}) {
    EXPECT_EQ(AIOperational::AreaFireBase(4, turn, 20, &f), 0);
    team.losses = 0;
    EXPECT_EQ(AIOperational::AreaFireThreshold(0, f, team), 1);
    team.losses = 3;
    EXPECT_EQ(AIOperational::AreaFireThreshold(0, f, team), 1);
  }
}

TEST(AIAreaFire, CellScoresStretchAcrossTheFrontAndPenaliseOwnUnits) {
  Rig rig;
  auto* enemy = rig.Add<Known>(1, 500.0f, 400.0f);
  enemy->purchaseCost = 0.0f;
  EXPECT_EQ(rig.Score(400.0f, 400.0f), 1);  // w = 0.040384 at 100 m, x 20
  const float w = std::pow(1.05263f - 100.0f * 0.0052632f, 5.0f);
  EXPECT_NEAR(w, 0.040384f, 1e-6f);
  // The same 100 m along the front counts 250 m.
  enemy->x = 400.0f;
  enemy->y = 500.0f;
  EXPECT_EQ(rig.Score(400.0f, 400.0f), 0);
  // Unidentified or gone: nothing.
  enemy->x = 400.0f;
  enemy->y = 400.0f;
  EXPECT_EQ(rig.Score(400.0f, 400.0f), 20);
  enemy->immobilized = 1;
  EXPECT_EQ(rig.Score(400.0f, 400.0f), 1);
  enemy->identificationLevel = 1;
  EXPECT_EQ(rig.Score(400.0f, 400.0f), 0);
  enemy->identificationLevel = 2;
  enemy->immobilized = 0;
  enemy->x = 500.0f;
  enemy->y = 400.0f;
  // An own unit within 10 m leaves -49.
  auto* own = rig.Add<Known>(0, 405.0f, 400.0f);
  EXPECT_EQ(rig.Score(400.0f, 400.0f), -49);
  own->alive = 0;

  // Beyond the cell from the West edge: the behind value, by visibility.
  enemy->purchaseCost = 100.0f;
  rig.NewPlan();
  int16_t behind = -1;
  rig.Score(400.0f, 400.0f, &behind);
  // 100 x 0.33 (no class 2 to 4 weapon) x 0.33 (no target) x w, + 0.4, halved.
  const int32_t h = static_cast<int32_t>(w * (100.0f * 0.33f * 0.33f) + 0.4f);
  EXPECT_EQ(behind, static_cast<int16_t>(h / 2));
  rig.B().visibilityRange = 100.0f;
  rig.Score(400.0f, 400.0f, &behind);
  EXPECT_EQ(behind, 0);
  // On the near side nothing lies behind.
  rig.B().visibilityRange = 6000.0f;
  enemy->x = 300.0f;
  rig.Score(400.0f, 400.0f, &behind);
  EXPECT_EQ(behind, 0);
}

TEST(AIAreaFire, FireUnitsTakeTheBestCellOrDropTheirFire) {
  Rig rig;
  rig.B().currentTurn = 25;
  rig.B().lastTurn = 30;
  auto* a = rig.Add<FireTeam>(0, 100.0f, 420.0f);
  auto* b = rig.Add<FireTeam>(0, 100.0f, 300.0f);
  auto* noRounds = rig.Add<FireTeam>(0, 100.0f, 200.0f);
  noRounds->ammo[0] = 0;
  rig.Add<Known>(1, 420.0f, 420.0f);
  const int32_t cells = ((rig.B().map->size.tilesX + 1) / 2) * ((rig.B().map->size.tilesY + 1) / 2);
  gDraws.clear();
  SetRandomBoundObserver(Record);
  AIOperational::PlanAreaFire(rig.context);
  SetRandomBoundObserver(nullptr);
  EXPECT_EQ(gDraws.size(), static_cast<size_t>(2 * cells));
  for (Unit* unit : {static_cast<Unit*>(a), static_cast<Unit*>(b)}) {
    EXPECT_EQ(unit->areaFire, 1);
    EXPECT_FLOAT_EQ(unit->targetX, 420.0f);
    EXPECT_FLOAT_EQ(unit->targetY, 420.0f);
  }
  EXPECT_EQ(noRounds->areaFire, 0);

  // A target within 20 m of the best cell is kept.
  a->targetX = 435.0f;
  a->targetY = 405.0f;
  AIOperational::PlanAreaFire(rig.context);
  EXPECT_FLOAT_EQ(a->targetX, 435.0f);
  EXPECT_FLOAT_EQ(a->targetY, 405.0f);

  // With no enemy known every cell is worth nothing: the fire stops.
  rig.B().UnitAt(rig.B().UnitCount() - 1)->alive = 0;
  AIOperational::PlanAreaFire(rig.context);
  EXPECT_EQ(a->areaFire, 0);
  EXPECT_EQ(b->areaFire, 0);
}

TEST(AIAreaFire, NoFireUnitDrawsNothing) {
  Rig rig;
  rig.Add<Known>(1, 420.0f, 420.0f);
  auto* riding = rig.Add<FireTeam>(0, 100.0f, 420.0f);
  riding->passenger = true;
  gDraws.clear();
  SetRandomBoundObserver(Record);
  AIOperational::PlanAreaFire(rig.context);
  SetRandomBoundObserver(nullptr);
  EXPECT_TRUE(gDraws.empty());
  EXPECT_EQ(riding->areaFire, 0);
}

TEST(AIAreaFire, APlanKeepsCostsAndExposuresWherePeopleStand) {
  Rig rig;
  const int64_t computed = AIPlanContext::gComputedValues;
  const int64_t cached = AIPlanContext::gCachedValues;
  auto* enemy = rig.Add<Known>(1, 500.0f, 400.0f);
  enemy->purchaseCost = 30.0f;
  EXPECT_EQ(rig.context.PurchaseCost(*enemy), 30.0f);
  enemy->purchaseCost = 40.0f;  // nothing in a plan does this: the kept value answers
  EXPECT_EQ(rig.context.PurchaseCost(*enemy), 30.0f);
  const int64_t calls = ExposureCounter::calls;
  const float here = rig.context.OwnExposure(*enemy);
  EXPECT_EQ(rig.context.OwnExposure(*enemy), here);
  EXPECT_EQ(ExposureCounter::calls - calls, 1);
  // Moved for a trial, it is asked afresh.
  enemy->x = 520.0f;
  rig.context.OwnExposure(*enemy);
  EXPECT_EQ(ExposureCounter::calls - calls, 2);
  EXPECT_EQ(AIPlanContext::gComputedValues - computed, 3);
  EXPECT_EQ(AIPlanContext::gCachedValues - cached, 2);
  // Switched off, every use computes.
  AIPlanContext::gUseCaches = false;
  EXPECT_EQ(rig.context.PurchaseCost(*enemy), 40.0f);
  rig.context.OwnExposure(*enemy);
  EXPECT_EQ(ExposureCounter::calls - calls, 3);
  AIPlanContext::gUseCaches = true;
  // The next plan starts afresh.
  rig.NewPlan();
  EXPECT_EQ(rig.context.PurchaseCost(*enemy), 40.0f);
}
