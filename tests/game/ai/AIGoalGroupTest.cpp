// The computer player's objectives: building them from flags, exits and an operation's front,
// merging, values and the goal operations.
#include "game/ai/AIGoalGroup.h"

#include <gtest/gtest.h>

#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "support/RandomDraws.h"

namespace {

// A unit that may leave the map but can stand nowhere else: no route reaches an edge.
class StuckInfantry : public TestInfantry {
 public:
  bool CanStandAt(float, float, bool) override { return false; }
};

// A unit that may stand anywhere the path finder asks about.
class WalkingInfantry : public TestInfantry {
 public:
  bool CanStandAt(float, float, bool) override { return true; }
};

struct Objectives {
  Objectives() : battle(rig.Fresh()) {
    battle.flags.DeleteAll(true);
    context.battle = &battle;
  }
  VictoryFlag* AddFlag(float x, float y, int32_t type) {
    auto* flag = new VictoryFlag(x, y, type);
    battle.flags.Append(flag);
    return flag;
  }
  // Builds the side's list afresh.
  const GObjectGroup& Build(int32_t side) {
    context.side = side;
    context.defender = battle.attacker != side && battle.attacker != 2;
    delete battle.aiObjectives[static_cast<size_t>(side)];
    battle.aiObjectives[static_cast<size_t>(side)] = nullptr;
    AIOperational::SetUpObjectives(context);
    return *battle.aiObjectives[static_cast<size_t>(side)];
  }
  AIGoalGroup& Goal(int32_t k) { return *context.Goal(k); }
  float Width() const { return battle.map->size.worldWidth; }
  float Height() const { return battle.map->size.worldHeight; }

  BattleTestRig rig;
  Battle& battle;
  AIPlanContext context;
};

}  // namespace

TEST(AIGoalGroup, FlagsStrictlyCloserThan125mMergeAtTheirPointsWeightedMean) {
  Objectives o;
  o.battle.attacker = 0;
  o.AddFlag(1000.0f, 1000.0f, 0);
  VictoryFlag* large = o.AddFlag(1124.0f, 1000.0f, 1);
  SeedRandom(9);
  const GObjectGroup& merged = o.Build(0);
  EXPECT_EQ(RandomState(), StateAfter(9, [] {
              Random(4);
              Random(4);
            }));
  ASSERT_EQ(merged.Count(), 1);
  EXPECT_EQ(o.Goal(0).Count(), 2);
  EXPECT_FLOAT_EQ(o.Goal(0).centreX, 1093.0f);
  EXPECT_FLOAT_EQ(o.Goal(0).centreY, 1000.0f);
  EXPECT_FLOAT_EQ(o.Goal(0).value, 1.0f * o.Goal(0).GetEdgeFactor(o.context));

  large->x = 1125.0f;
  ASSERT_EQ(o.Build(0).Count(), 2);
  EXPECT_FLOAT_EQ(o.Goal(0).value, 0.25f * o.Goal(0).GetEdgeFactor(o.context));
  EXPECT_FLOAT_EQ(o.Goal(1).value, 0.75f * o.Goal(1).GetEdgeFactor(o.context));

  // Three in a row, 100 and 90 m apart: the first pair merges (centre 1075), and the third,
  // 115 m from that centre, joins it.
  large->x = 1100.0f;
  o.AddFlag(1190.0f, 1000.0f, 0);
  ASSERT_EQ(o.Build(0).Count(), 1);
  EXPECT_EQ(o.Goal(0).Count(), 3);
  EXPECT_FLOAT_EQ(o.Goal(0).centreX, (100.0f * 1000.0f + 300.0f * 1100.0f + 100.0f * 1190.0f) / 500.0f);
}

TEST(AIGoalGroup, AbsorbCentresFlagsWorthNothingAtTheirPlainMean) {
  Objectives o;
  o.battle.attacker = 0;
  o.context.side = 0;
  VictoryFlag* a = o.AddFlag(100.0f, 200.0f, 0);
  VictoryFlag* b = o.AddFlag(160.0f, 260.0f, 0);
  // Dynamic flags that are not the chosen one are worth nothing to the attacker.
  a->dynamic = b->dynamic = 1;
  AIGoalGroup first;
  first.InitFromFlag(a);
  AIGoalGroup second;
  second.InitFromFlag(b);
  float best = AIGoalGroup::kMergeDistance;
  AIGoalGroup* x = nullptr;
  AIGoalGroup* y = nullptr;
  GObjectGroup goals;
  goals.IObjectGroup();
  goals.SetOwnsMembers(false);
  goals.Append(&first);
  goals.Append(&second);
  first.FindNearestPartner(1, goals, best, x, y);
  EXPECT_EQ(x, &first);
  EXPECT_EQ(y, &second);
  EXPECT_EQ(first.distances.Count(), 1);
  first.FindNearestPartner(1, goals, best, x, y);  // measured once per flag count
  EXPECT_EQ(first.distances.Count(), 1);
  first.Absorb(o.context, second);
  EXPECT_EQ(first.distances.Count(), 0);
  EXPECT_FLOAT_EQ(first.centreX, 130.0f);
  EXPECT_FLOAT_EQ(first.centreY, 230.0f);
  goals.DeleteAll(false);

  // With no points anywhere every goal is worth 0, never a division by 0.
  o.AddFlag(500.0f, 500.0f, 0)->dynamic = 1;
  const GObjectGroup& built = o.Build(0);
  for (int32_t k = 0; k < built.Count(); ++k) EXPECT_EQ(o.Goal(k).value, 0.0f);
}

TEST(AIGoalGroup, ACentreFlagIsAddedOnlyByTheFirstSidesBuild) {
  Objectives o;
  o.battle.attacker = 0;
  SeedRandom(4);
  o.Build(0);
  EXPECT_EQ(RandomState(), StateAfter(4, [] {
              RandomFloatTimes(100.0f);
              RandomFloatTimes(100.0f);
              Random(4);
            }));
  ASSERT_EQ(o.battle.flags.Count(), 1);
  EXPECT_EQ(o.battle.FlagAt(0)->type, 2);
  EXPECT_EQ(o.battle.FlagAt(0)->x, o.Width() * 0.5f);
  EXPECT_EQ(o.battle.FlagAt(0)->y, o.Height() * 0.5f);
  EXPECT_EQ(o.Goal(0).FlagAt(0), o.battle.FlagAt(0));

  // The other side takes the battle's flags as they are, even with none.
  o.battle.flags.DeleteAll(true);
  o.Build(1);
  EXPECT_EQ(o.battle.flags.Count(), 0);
}

TEST(AIGoalGroup, ExitObjectiveStandsAtTheBestEdgePointOrInwardOfTheEnemysExit) {
  Objectives o;
  o.battle.attacker = 0;
  o.battle.exitScoring[0] = 1;
  o.battle.exitEdge[0] = 2;  // East
  Unit* other = BattleTestRig::MakeUnit(0, 0, 200.0f, 300.0f);
  other->countsForPoints = 0;  // may not leave: not the mover
  o.battle.PlaceUnitAt(other, 200.0f, 300.0f);
  Unit* stuck = new StuckInfantry();
  stuck->Setup(100.0f, 100.0f, 0.0f, 6, 2);
  stuck->side = 1;
  stuck->countsForPoints = 1;
  o.battle.PlaceUnitAt(stuck, 100.0f, 100.0f);

  // Nothing reaches the edge: the middle point, no jitter drawn, and no centre flag.
  SeedRandom(21);
  ASSERT_EQ(o.Build(0).Count(), 1);
  EXPECT_EQ(RandomState(), StateAfter(21, [] {
              RandomFloatTimes(100.0f);
              RandomFloatTimes(100.0f);
            }));
  EXPECT_EQ(o.battle.flags.Count(), 0);
  AIGoalGroup& exit = o.Goal(0);
  EXPECT_TRUE(exit.fixed);
  EXPECT_EQ(exit.FlagAt(0)->type, 3);
  EXPECT_EQ(exit.centreX, o.Width());
  EXPECT_EQ(exit.centreY, static_cast<float>(6.0 * 0.08333333333333333 * o.Height()));
  EXPECT_EQ(exit.value, 0.0f);  // no flag carries points
  exit.UpdateSecured(o.context);
  EXPECT_FALSE(exit.secured);  // an exit is never secured

  // The enemy must leave over the West edge: the objective moves inward, across its way.
  o.battle.exitScoring[0] = 0;
  o.battle.exitScoring[1] = 1;
  o.battle.exitEdge[1] = 0;
  SeedRandom(5);
  ASSERT_EQ(o.Build(0).Count(), 1);
  SeedRandom(5);
  const float r = 0.35f + RandomFloatTimes(0.3f);
  EXPECT_EQ(o.Goal(0).centreX, 0.35f * o.Width());
  const auto middle = static_cast<float>(6.0 * 0.08333333333333333 * o.Height());
  EXPECT_EQ(o.Goal(0).centreY, r * middle + (1.0f - r) * 0.5f * o.Height());
  EXPECT_EQ(o.Goal(0).FlagAt(0)->type, 2);
}

TEST(AIGoalGroup, EdgeFactorRisesTowardsTheEnemysEdgeUpToTwo) {
  Objectives o;
  o.context.side = 0;
  const int32_t owners[4] = {0, 2, 1, 2};  // own West, enemy East, North and South nobody's
  for (int32_t e = 0; e < 4; ++e) o.battle.edgeOwner[e] = owners[e];
  VictoryFlag* flag = o.AddFlag(0.0f, 100.0f, 0);
  AIGoalGroup goal;
  goal.InitFromFlag(flag);
  const float w = o.Width();
  auto at = [&](float x, float y) {
    goal.centreX = x;
    goal.centreY = y;
    return goal.GetEdgeFactor(o.context);
  };
  EXPECT_FLOAT_EQ(at(0.75f * w, 100.0f), 1.5f);
  EXPECT_FLOAT_EQ(at(w, 700.0f), 2.0f);
  EXPECT_FLOAT_EQ(at(2.0f * w, 100.0f), 2.0f);  // off the map: held at 2
  EXPECT_FLOAT_EQ(at(0.25f * w, 100.0f), 1.0f);
  // The other side sees it the other way round, and North against South multiplies in.
  o.context.side = 1;
  o.battle.edgeOwner[1] = 1;
  o.battle.edgeOwner[3] = 0;
  EXPECT_FLOAT_EQ(at(0.25f * w, 0.375f * o.Height()), 1.5f * 1.25f);
  EXPECT_FLOAT_EQ(at(0.25f * w, 0.25f * o.Height()), 2.0f);
  EXPECT_FLOAT_EQ(at(0.75f * w, 0.75f * o.Height()), 1.0f);
  Campaign operation(o.battle.App());
  o.context.operation = &operation;
  EXPECT_EQ(at(0.0f, 0.0f), 1.0f);
}

TEST(AIGoalGroup, SecuredAdjustedValueEnoughUnitsAndZones) {
  Objectives o;
  o.context.side = 0;
  VictoryFlag* a = o.AddFlag(300.0f, 300.0f, 0);
  VictoryFlag* b = o.AddFlag(310.0f, 300.0f, 0);
  auto* goals = new GObjectGroup();
  goals->IObjectGroup();
  o.battle.aiObjectives[0] = goals;
  auto* goal = new AIGoalGroup();
  goal->InitFromFlag(a);
  goal->Append(b);
  goals->Append(new AIGoalGroup());
  static_cast<AIGoalGroup*>(goals->GetItem(0))->InitFromFlag(b);
  goals->Append(goal);  // index 1
  goal->value = 0.5f;

  // Held by side 0 (holder 0) and not contested; side 1 holds a flag with any other holder.
  a->contested = b->contested = 0;
  a->holder = b->holder = 0;
  goal->targeted = true;
  goal->UpdateSecured(o.context);
  EXPECT_TRUE(goal->secured);
  EXPECT_FALSE(goal->targeted);
  goal->UpdateAdjustedValue(o.context);
  EXPECT_EQ(goal->adjustedValue, 0.0f);
  b->holder = 3;
  goal->UpdateSecured(o.context);
  EXPECT_FALSE(goal->secured);
  goal->UpdateAdjustedValue(o.context);
  EXPECT_EQ(goal->adjustedValue, 0.5f * 1.33f);
  b->contested = 1;
  goal->UpdateAdjustedValue(o.context);
  EXPECT_EQ(goal->adjustedValue, 0.5f * 0.67f);

  // PickUnheldFlag draws once per try: a (held) may be drawn and dropped before b.
  SeedRandom(3);
  EXPECT_EQ(goal->PickUnheldFlag(o.context), b);
  a->contested = 1;
  EXPECT_NE(goal->PickUnheldFlag(o.context), nullptr);
  a->contested = b->contested = 0;
  b->holder = 0;
  const uint32_t before = RandomState();
  EXPECT_EQ(goal->PickUnheldFlag(o.context), nullptr);
  const uint32_t after = RandomState();
  SeedRandom(before);
  Random(2);
  Random(1);
  EXPECT_EQ(after, RandomState());

  // HasEnoughUnits: total 5, value 0.4 needs 1 and is halfway at 1; needed 3 halfway at 2.
  goal->value = 0.4f;
  AIGroup stale;
  AIGroup* holder = &stale;
  bool halfway = true;
  EXPECT_FALSE(goal->HasEnoughUnits(o.context, 5, &holder, &halfway));
  EXPECT_EQ(holder, nullptr);
  EXPECT_FALSE(halfway);
  o.battle.aiGroups[0] = new GObjectGroup();
  o.battle.aiGroups[0]->IObjectGroup();
  auto* group = new AIGroup();
  group->Init();
  group->mode = 5 + 1;
  o.battle.aiGroups[0]->Append(group);
  Unit* unit = BattleTestRig::MakeUnit(0, 0, 300.0f, 300.0f);
  o.battle.PlaceUnitAt(unit, 300.0f, 300.0f);
  group->Append(unit);
  EXPECT_TRUE(goal->HasEnoughUnits(o.context, 5, &holder, &halfway));
  EXPECT_EQ(holder, group);
  EXPECT_TRUE(halfway);
  goal->value = 1.0f;  // 5 x 0.5 + 0.99: 3
  EXPECT_FALSE(goal->HasEnoughUnits(o.context, 5, nullptr, &halfway));
  EXPECT_FALSE(halfway);
  group->Append(unit);
  EXPECT_FALSE(goal->HasEnoughUnits(o.context, 5, nullptr, &halfway));
  EXPECT_TRUE(halfway);

  // SurveyZones reads tiles tx - 10 up to but not including tx + 10, held inside the map.
  MapGrid<MapTile>& tiles = o.battle.map->terrain.tiles;
  for (int32_t x = 0; x < tiles.Width(); ++x) {
    for (int32_t y = 0; y < tiles.Height(); ++y) tiles.At(x, y).zone = 0;
  }
  goal->centreX = 15.5f * 20.0f;
  goal->centreY = 15.5f * 20.0f;
  tiles.At(5, 5).zone = 4;    // first tile read
  tiles.At(25, 15).zone = 5;  // one past the last
  tiles.At(24, 24).zone = 6;  // last tile read
  goal->SurveyZones(o.context);
  EXPECT_TRUE(goal->zonePresent[0]);
  EXPECT_FALSE(goal->zonePresent[1]);
  EXPECT_TRUE(goal->zonePresent[2]);
  EXPECT_TRUE(goal->nearOwnZone);
  o.context.side = 1;  // zones 1, 2, 3
  goal->SurveyZones(o.context);
  EXPECT_FALSE(goal->nearOwnZone);
  tiles.At(39, 39).zone = 1;  // the last tile of the map is never read
  tiles.At(38, 38).zone = 2;
  goal->centreX = goal->centreY = 39.5f * 20.0f;
  goal->SurveyZones(o.context);
  EXPECT_FALSE(goal->zonePresent[0]);
  EXPECT_TRUE(goal->zonePresent[1]);
}

TEST(AIGoalGroup, AnOperationsFrontFlagsAreDrawnInOrderAndHeldInsideTheMap) {
  Objectives o;
  Campaign operation(o.battle.App());
  operation.attackerEdge = 0;  // West
  operation.frontLine = 10;    // 200 m
  operation.noMansLand = 400;
  o.context.operation = &operation;
  o.battle.attacker = 0;
  o.battle.setupPhase = 1;
  SeedRandom(31);
  const GObjectGroup& goals = o.Build(0);
  // Replay: n, then per flag its depth, its place across and its constructor's two draws.
  SeedRandom(31);
  const int32_t n = Random(3) == 0 ? 2 : 3;
  ASSERT_EQ(o.battle.flags.Count(), n);
  ASSERT_EQ(goals.Count(), n);
  for (int32_t k = 1; k <= n; ++k) {
    const float f = k == n ? 2.5f + RandomFloatTimes(1.0f) : 0.75f + RandomFloatTimes(1.0f);
    float across = RandomFloatTimes(o.Height());
    if (k == n) across = across * 0.5f + 0.25f * o.Height();
    RandomFloatTimes(100.0f);
    RandomFloatTimes(100.0f);
    const VictoryFlag& flag = *o.battle.FlagAt(k - 1);
    EXPECT_EQ(flag.type, 2);
    EXPECT_EQ(flag.x, std::min(200.0f + 400.0f * f, o.Width() - 10.0f)) << k;
    EXPECT_EQ(flag.y, std::clamp(across, 10.0f, o.Height() - 10.0f)) << k;
    EXPECT_EQ(o.Goal(k - 1).FlagAt(0), &flag);
    EXPECT_EQ(o.Goal(k - 1).GetEdgeFactor(o.context), 1.0f);
  }
  EXPECT_EQ(o.battle.FlagAt(n - 1)->x, o.Width() - 10.0f);  // 1200 m and more: held inside

  // The defender's three lie at 0.75 of the depth, spread across, also held inside the map;
  // the second side's build adds none.
  o.battle.flags.DeleteAll(true);
  delete o.battle.aiObjectives[0];
  o.battle.aiObjectives[0] = nullptr;
  operation.attackerEdge = 1;  // North: the front runs along x, the depth goes south
  operation.frontLine = 2;     // 40 m - 300 m
  ASSERT_EQ(o.Build(1).Count(), 3);
  for (int32_t k = 0; k < 3; ++k) {
    EXPECT_EQ(o.battle.FlagAt(k)->y, 10.0f);
    EXPECT_EQ(o.battle.FlagAt(k)->x, static_cast<float>((2 * k + 1) * 0.16666666666666666 * o.Width()));
  }
  ASSERT_EQ(o.Build(0).Count(), 3);
  EXPECT_EQ(o.battle.flags.Count(), 3);
  // Outside the set-up phase nothing is added, yet every flag is a goal.
  o.battle.setupPhase = 0;
  o.battle.DeleteAIGroups();
  EXPECT_EQ(o.Build(1).Count(), 3);
  EXPECT_EQ(o.battle.flags.Count(), 3);
}

TEST(AIGoalGroup, EachSideValuesTheFlagsAsItSeesThem) {
  Objectives o;
  for (int32_t e = 0; e < 4; ++e) o.battle.edgeOwner[e] = 2;
  o.battle.attacker = 0;
  o.battle.autoObjective = 0;  // the attacker chooses
  for (int32_t i = 0; i < 3; ++i) o.AddFlag(100.0f + 300.0f * static_cast<float>(i), 400.0f, 0)->dynamic = 1;
  SeedRandom(12);
  o.Build(0);
  float sum = 0.0f;
  for (int32_t k = 0; k < o.battle.aiObjectives[0]->Count(); ++k) {
    AIGoalGroup& goal = o.Goal(k);
    EXPECT_EQ(goal.value, goal.FlagAt(0)->chosen != 0 ? 1.0f : 0.0f);
    sum += goal.value;
  }
  EXPECT_EQ(sum, 1.0f);  // the chosen flag always has its goal
  o.Build(1);
  ASSERT_EQ(o.battle.aiObjectives[1]->Count(), 3);
  for (int32_t k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(o.Goal(k).value, 1.0f / 3.0f);
  // The lists are the sides' own: side 0's is untouched by side 1's build.
  EXPECT_NE(o.battle.aiObjectives[0], o.battle.aiObjectives[1]);
}

TEST(AIGoalGroup, AStandAloneBuildDrawsOncePerFlagAndReplaysTheSame) {
  Objectives o;
  o.battle.attacker = 0;
  // Dynamic flags: only the chosen one is worth anything to the attacker, so the others are
  // taken by the draws alone (and the first two, 80 m apart, merge when both are).
  const float xs[4] = {100.0f, 180.0f, 500.0f, 700.0f};
  for (float x : xs) o.AddFlag(x, 300.0f, 0)->dynamic = 1;
  o.battle.FlagAt(2)->chosen = 1;
  struct Goal {
    int32_t flags;
    float x, y, value;
  };
  auto build = [&] {
    SeedRandom(2024);
    const GObjectGroup& goals = o.Build(0);
    std::vector<Goal> out;
    for (int32_t k = 0; k < goals.Count(); ++k) {
      out.push_back({o.Goal(k).Count(), o.Goal(k).centreX, o.Goal(k).centreY, o.Goal(k).value});
    }
    return out;
  };
  const std::vector<Goal> first = build();
  EXPECT_EQ(RandomState(), StateAfter(2024, [] {
              for (int32_t i = 0; i < 4; ++i) Random(4);
            }));
  const std::vector<Goal> second = build();
  ASSERT_EQ(first.size(), second.size());
  for (size_t k = 0; k < first.size(); ++k) {
    EXPECT_EQ(first[k].flags, second[k].flags);
    EXPECT_EQ(first[k].x, second[k].x);
    EXPECT_EQ(first[k].y, second[k].y);
    EXPECT_EQ(first[k].value, second[k].value);
  }
}

TEST(AIGoalGroup, TheExitPointIsTheNearestReachableOneWithJitterDrawnPerRoute) {
  Objectives o;
  o.battle.attacker = 0;
  o.battle.exitScoring[0] = 1;
  o.battle.exitEdge[0] = 3;  // South
  Unit* mover = new WalkingInfantry();
  mover->Setup(200.0f, 30.0f, 0.0f, 6, 2);
  mover->side = 1;
  o.battle.PlaceUnitAt(mover, 200.0f, 30.0f);
  SeedRandom(40);
  ASSERT_EQ(o.Build(0).Count(), 1);
  EXPECT_FLOAT_EQ(o.Goal(0).centreX, static_cast<float>(3.0 * 0.08333333333333333 * o.Width()));
  EXPECT_EQ(o.Goal(0).centreY, 0.0f);
  // On the open map all thirteen routes are found (the corners too, the ends being held inside
  // the map), and each draws its jitter; then the flag.
  EXPECT_EQ(RandomState(), StateAfter(40, [] {
              for (int32_t i = 0; i < 13; ++i) RandomFloatTimes(0.2f);
              RandomFloatTimes(100.0f);
              RandomFloatTimes(100.0f);
            }));
}
