// The computer player's turn driver, its progress meter and the upkeep of its groups.
#include "game/ai/AIOperational.h"

#include <gtest/gtest.h>

#include "framework/core/Quorl.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIProgressMeter.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"

namespace {

class CapturableInfantry : public TestInfantry {
 public:
  bool HasBeenCaptured() const override { return captured; }
  bool captured = false;
};

Unit* Place(Battle& battle, Unit* unit, int32_t side, float x) {
  unit->Setup(x, 100.0f, 0.0f, side == 0 ? 6 : 0, 2);
  unit->side = static_cast<uint8_t>(1 - side);
  battle.PlaceUnitAt(unit, x, 100.0f);
  return unit;
}

AIGroup* AddGroup(Battle& battle, int32_t side, int32_t mode) {
  if (battle.aiGroups[side] == nullptr) {
    battle.aiGroups[side] = new GObjectGroup();
    battle.aiGroups[side]->IObjectGroup();
  }
  auto* group = new AIGroup();
  group->Init();
  group->mode = mode;
  battle.aiGroups[side]->Append(group);
  return group;
}

}  // namespace

TEST(AIProgressMeter, FillsExactlyAndRedrawsForThePlayersSide) {
  HeadlessHost host;
  host.currentSide = 1;
  {
    AIProgressMeter meter(host);
    meter.Open();
    EXPECT_EQ(host.meterOpened, 1);
    EXPECT_EQ(host.screenRedraws, 2);
    EXPECT_EQ(meter.FillRight(), 21);  // only the frame
    meter.SetSteps(16);
    meter.Advance();
    meter.AdvanceSteps(3);
    EXPECT_EQ(meter.FillRight(), 98);
    EXPECT_EQ(host.screenRedraws, 4);
    EXPECT_EQ(host.currentSide, 1);  // flipped for the redraw only

    // A count set part way adds to what the bar shows.
    meter.SetSteps(12);
    for (int32_t i = 0; i < 12; ++i) meter.Advance();
    EXPECT_EQ(meter.Progress(), 1.0f);
  }
  EXPECT_EQ(host.meterClosed, 1);

  // Twelve, nineteen and twenty-three steps fill the bar to its right edge, and no further.
  for (int32_t n : {12, 19, 23, 27}) {
    AIProgressMeter meter(host);
    meter.Open();
    meter.SetSteps(n);
    for (int32_t i = 0; i < n; ++i) meter.Advance();
    EXPECT_EQ(meter.FillRight(), 329) << n;
    meter.Advance();
    EXPECT_EQ(meter.FillRight(), 329) << n;
    EXPECT_EQ(host.meterProgress, 1.0f) << n;
  }
}

TEST(AIOperational, ReleaseChanceRisesWithTheTurns) {
  EXPECT_FLOAT_EQ(AIOperational::ReleaseChance(1, false), 0.18f);
  EXPECT_NEAR(AIOperational::ReleaseChance(2, false), 0.3522, 1e-6);
  EXPECT_NEAR(AIOperational::ReleaseChance(5, false), 0.748420, 1e-6);
  EXPECT_NEAR(AIOperational::ReleaseChance(10, false), 0.979008, 1e-6);
  EXPECT_EQ(AIOperational::ReleaseChance(22, false), 0.99999994f);
  for (int32_t turn : {23, 28, 29, 40}) EXPECT_EQ(AIOperational::ReleaseChance(turn, false), 1.0f) << turn;
  EXPECT_EQ(AIOperational::ReleaseChance(1, true), 1.0f);
}

TEST(AIOperational, EveryPathRestoresTheScreenAndTheMap) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  AIOperational planner;
  Unit* a = Place(battle, new TestInfantry(), 1, 100.0f);
  // Far enough apart that neither crowds the other.
  Unit* b = Place(battle, new TestInfantry(), 1, 160.0f);
  Place(battle, new TestInfantry(), 0, 300.0f);
  host.currentSide = 0;
  battle.attacker = 0;  // side 1 defends

  struct Case {
    int32_t setup;
    int32_t lists;  // 0 none, 1 empty, 2 with a group
  };
  for (Case c : {Case{1, 0}, Case{0, 0}, Case{0, 1}, Case{0, 2}}) {
    battle.DeleteAIGroups();
    battle.setupPhase = static_cast<uint8_t>(c.setup);
    if (c.lists >= 1) {
      battle.aiGroups[1] = new GObjectGroup();
      battle.aiGroups[1]->IObjectGroup();
    }
    if (c.lists == 2) {
      // Units that cannot take part: their plan withdraws the idle and draws nothing.
      AIGroup* group = AddGroup(battle, 1, AIGroup::kCannotTakePart);
      group->Append(a);
      group->Append(b);
    }
    host.screenRedraws = host.rootInvalidations = host.meterOpened = host.meterClosed = 0;
    host.meterProgress = -1.0f;
    const uint32_t before = RandomState();
    planner.PlanTurn(battle, 1, host);
    SCOPED_TRACE(c.setup * 10 + c.lists);
    EXPECT_EQ(host.currentSide, 0);
    EXPECT_EQ(battle.map->display.drawState, 2);
    EXPECT_TRUE(battle.map->IsVisibilityCacheEnabled());
    EXPECT_EQ(host.meterOpened, 1);
    EXPECT_EQ(host.meterClosed, 1);
    EXPECT_EQ(host.rootInvalidations, 1);
    if (c.lists == 2) {
      // Two plannable units, a step each in their group's plan: 8 of 8 steps. A defender
      // draws once for the hold release.
      EXPECT_FLOAT_EQ(host.meterProgress, 1.0f);
      EXPECT_EQ(host.screenRedraws, 2 + 4 + 2 + 2);
      const uint32_t after = RandomState();
      SeedRandom(before);
      Random(4);  // the side's objectives: one draw for the battle's one flag
      RandomFloat();
      EXPECT_EQ(after, RandomState());
    } else if (c.setup == 1) {
      // The set-up forms the side's groups and places its units, redrawing as its meter
      // moves.
      EXPECT_NE(battle.aiGroups[1], nullptr);
      EXPECT_GE(host.screenRedraws, 4);
    } else {
      EXPECT_EQ(host.screenRedraws, 4);
      const uint32_t after = RandomState();
      SeedRandom(before);
      Random(4);
      EXPECT_EQ(after, RandomState());
    }
  }
}

TEST(AIOperational, ADefenderDrawsOnceForTheHoldReleaseAnAttackerNever) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  AIOperational planner;
  battle.setupPhase = 0;
  battle.currentTurn = 30;  // the release is certain
  Unit* unit = Place(battle, new TestInfantry(), 1, 100.0f);
  unit->flagBytes[Unit::kHoldFlag] = 1;
  AddGroup(battle, 1, AIGroup::kCannotTakePart)->Append(unit);

  battle.attacker = 1;
  // The side's objectives are built (with draws of their own) before the turns measured here.
  AIPlanContext context;
  context.battle = &battle;
  context.side = 1;
  AIOperational::SetUpObjectives(context);
  SeedRandom(77);
  planner.PlanTurn(battle, 1, host);
  EXPECT_EQ(RandomState(), 77u);
  EXPECT_EQ(unit->flagBytes[Unit::kHoldFlag], 1);

  battle.attacker = 0;
  SeedRandom(77);
  planner.PlanTurn(battle, 1, host);
  const uint32_t after = RandomState();
  SeedRandom(77);
  RandomFloat();
  EXPECT_EQ(after, RandomState());
  EXPECT_EQ(unit->flagBytes[Unit::kHoldFlag], 0);
}

TEST(AIOperational, CatchAllGroupTakesSurrenderedEnemiesAndCapturedUnits) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.setupPhase = 0;
  auto* own = static_cast<CapturableInfantry*>(Place(battle, new CapturableInfantry(), 0, 100.0f));
  auto* grouped = static_cast<CapturableInfantry*>(Place(battle, new CapturableInfantry(), 0, 120.0f));
  auto* enemy = static_cast<TestInfantry*>(Place(battle, new TestInfantry(), 1, 300.0f));
  auto* fighting = Place(battle, new TestInfantry(), 1, 320.0f);
  auto* riding = static_cast<TestInfantry*>(Place(battle, new TestInfantry(), 0, 140.0f));
  riding->passenger = true;
  Place(battle, BattleTestRig::MakeUnit(2, 0, 0.0f, 0.0f), 0, 160.0f);  // an object
  enemy->surrendered = true;
  AIGroup* group = AddGroup(battle, 0, 0);
  group->Append(grouped);

  AIPlanContext context;
  context.battle = &battle;
  context.side = 0;
  AIOperational::UpdateCatchAllGroup(context);
  ASSERT_EQ(battle.AIGroupCount(0), 2);
  AIGroup* catchAll = battle.AIGroupAt(0, 1);
  EXPECT_EQ(catchAll->mode, 3);
  ASSERT_EQ(catchAll->Count(), 2);
  EXPECT_EQ(catchAll->UnitAt(0), own);
  EXPECT_EQ(catchAll->UnitAt(1), enemy);
  EXPECT_FALSE(catchAll->Contains(fighting));
  EXPECT_EQ(group->Count(), 1);

  // A captured unit leaves its group for the catch-all.
  grouped->captured = true;
  AIOperational::UpdateCatchAllGroup(context);
  EXPECT_EQ(group->Count(), 0);
  EXPECT_TRUE(catchAll->Contains(grouped));

  // Side 1's view: its own units and no surrendered enemy; a captured enemy is dropped.
  context.side = 1;
  AIGroup* other = AddGroup(battle, 1, 0);
  other->Append(fighting);
  other->Append(enemy);
  AIOperational::UpdateCatchAllGroup(context);
  ASSERT_EQ(battle.AIGroupCount(1), 1);  // nobody to take: the new catch-all is deleted
  AIOperational::UpdateCatchAllGroup(context);
  EXPECT_EQ(battle.AIGroupCount(1), 1);
}

TEST(AIOperational, AssignObjectivesSortsOutWhoCannotTakePart) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.setupPhase = 0;
  Unit* fit = Place(battle, new TestInfantry(), 0, 100.0f);
  Unit* stuck = Place(battle, new TestInfantry(), 0, 120.0f);
  Unit* empty = Place(battle, new TestInfantry(), 0, 140.0f);
  Unit* dead = Place(battle, new TestInfantry(), 0, 160.0f);
  Unit* held = Place(battle, new TestInfantry(), 0, 180.0f);
  auto* gaveUp = static_cast<TestInfantry*>(Place(battle, new TestInfantry(), 0, 200.0f));
  for (Unit* unit : {fit, stuck, empty, dead, held, static_cast<Unit*>(gaveUp)}) unit->ammo[0] = 5;
  stuck->immobilized = 1;
  stuck->waypointCount = 2;
  empty->ammo[0] = 0;
  empty->countsForPoints = 0;
  dead->alive = 0;
  gaveUp->surrendered = true;
  AIGroup* moving = AddGroup(battle, 0, 10005);
  for (Unit* unit : {fit, stuck, empty, dead, static_cast<Unit*>(gaveUp)}) moving->Append(unit);
  AddGroup(battle, 0, 0);  // empty: deleted
  AIGroup* catchAll = AddGroup(battle, 0, 3);
  catchAll->Append(held);
  held->alive = 0;  // the catch-all keeps its dead

  AIPlanContext context;
  context.battle = &battle;
  context.side = 0;
  AIOperational::AssignObjectives(context);
  ASSERT_EQ(battle.AIGroupCount(0), 3);
  EXPECT_EQ(battle.AIGroupAt(0, 0), moving);
  ASSERT_EQ(moving->Count(), 1);
  EXPECT_EQ(moving->UnitAt(0), fit);
  EXPECT_EQ(catchAll->Count(), 1);
  AIGroup* reserve = battle.AIGroupAt(0, 2);
  EXPECT_EQ(reserve->mode, 2);
  ASSERT_EQ(reserve->Count(), 2);
  EXPECT_EQ(reserve->UnitAt(0), stuck);
  EXPECT_EQ(reserve->UnitAt(1), empty);
  EXPECT_EQ(stuck->waypointCount, 0);

  // With nobody to hand over, no new reserve appears; the old one stays.
  AIOperational::AssignObjectives(context);
  EXPECT_EQ(battle.AIGroupCount(0), 3);
  battle.DeleteAIGroups();
  AddGroup(battle, 0, 0)->Append(fit);
  AIOperational::AssignObjectives(context);
  EXPECT_EQ(battle.AIGroupCount(0), 1);
}

TEST(AIOperational, HeadlessGoPlansTheComputerSidesOnly) {
  BattleTestRig rig;
  rig.Fresh();
  HeadlessHost& host = rig.headless.Host();
  AIOperational planner;
  ComputerPlayer::Install(&planner);
  // Nobody computer-played: no plan at the set-up GO.
  rig.headless.Go(5);
  EXPECT_EQ(host.meterOpened, 0);
  rig.Fresh();
  rig.headless.SetComputerPlayer(0, true);
  rig.headless.SetComputerPlayer(1, true);
  rig.headless.Go(5);
  EXPECT_EQ(host.meterOpened, 2);
  EXPECT_EQ(host.meterClosed, 2);
  ComputerPlayer::Install(nullptr);
}
