// The computer player's first turn: wings along the front, the attacker's group count, goals by
// distance, merging the closest groups, and the outlook grid.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "support/RandomDraws.h"

namespace {

struct SetupRig {
  SetupRig() : battle(rig.Fresh()) {
    context.battle = &battle;
    context.side = 0;
    list.Init();
    list.SetOwnsMembers(false);
    battle.edgeOwner[0] = 1;  // the enemy holds the West, the side the East: the front runs along y
    battle.edgeOwner[1] = 2;
    battle.edgeOwner[2] = 0;
    battle.edgeOwner[3] = 2;
  }
  ~SetupRig() {
    for (AIGroup* group : groups) delete group;
  }
  Unit* AddUnit(float x, float y) {
    units.emplace_back(BattleTestRig::MakeUnit(1, 0, x, y));
    list.Append(units.back().get());
    return units.back().get();
  }
  AIGroup* NewGroup(float cx, float cy) {
    auto* group = new AIGroup();
    group->Init();
    group->centreX = cx;
    group->centreY = cy;
    groups.push_back(group);
    return group;
  }
  void AddGoals(const std::vector<std::pair<float, float>>& points) {
    auto* goals = new GObjectGroup();
    goals->Init();
    goals->SetOwnsMembers(true);
    for (const auto& [x, y] : points) {
      auto* flag = new VictoryFlag(x, y, 0);
      battle.flags.Append(flag);
      auto* goal = new AIGoalGroup();
      goal->InitFromFlag(flag);
      goals->Append(goal);
    }
    delete battle.aiObjectives[0];
    battle.aiObjectives[0] = goals;
  }

  BattleTestRig rig;
  Battle& battle;
  AIPlanContext context;
  std::vector<std::unique_ptr<Unit>> units;
  GGroup list;
  std::vector<AIGroup*> groups;
};

uint32_t StateAfter(uint32_t seed, int32_t n, int32_t draws) {
  return ::StateAfter(seed, [n, draws] {
    for (int32_t i = 0; i < draws; ++i) Random(n);
  });
}

// The wing each of nine units (by rising y) lands in with two groups: 'L' low, 'H' high.
std::string Wings(const std::vector<float>& ys) {
  SetupRig r;
  std::vector<Unit*> made;
  // Appended in reverse so that the sort, not the list order, decides.
  for (auto it = ys.rbegin(); it != ys.rend(); ++it) made.insert(made.begin(), r.AddUnit(100.0f, *it));
  AIGroup* table[2] = {r.NewGroup(0, 0), r.NewGroup(0, 0)};
  AIOperational::DistributeUnits(r.context, r.list, table, 2, 12);
  EXPECT_EQ(r.list.Count(), 0);
  EXPECT_EQ(table[0]->Count() + table[1]->Count(), 9);
  std::string wings;
  for (Unit* unit : made) wings += table[1]->Contains(unit) ? 'L' : table[0]->Contains(unit) ? 'H' : '?';
  return wings;
}

}  // namespace

TEST(AISetupGroups, NineUnitsSplitIntoWingsByIndexAndThePlaceAlongTheFront) {
  // The map is 800 m: 0.667 of it is 533.6 m, 0.333 is 266.4 m.
  EXPECT_EQ(Wings({10, 20, 30, 100, 110, 120, 700, 710, 720}), "LLLLLLHHH");
  EXPECT_EQ(Wings({600, 610, 620, 630, 640, 650, 700, 710, 720}), "LLLHHHHHH");
  EXPECT_EQ(Wings({10, 20, 30, 300, 310, 320, 330, 340, 350}), "LLLLHHHHH");
  EXPECT_EQ(Wings({1, 2, 3, 4, 5, 6, 7, 8, 9}), "LLLLLLHHH");
}

TEST(AISetupGroups, ThirdAndFourthGroupsTakeTheWingsOuterUnits) {
  SetupRig r;
  for (int32_t i = 0; i < 9; ++i) r.AddUnit(100.0f, 700.0f + static_cast<float>(i));  // all high but 0..2
  AIGroup* table[4] = {r.NewGroup(0, 0), r.NewGroup(0, 0), r.NewGroup(0, 0), r.NewGroup(0, 0)};
  AIOperational::DistributeUnits(r.context, r.list, table, 3, 12);
  // High wing 6: (6 + 1) / 3 = 2 of its lowest go to group 2; low wing 3: (3 + 1) / 3 = 1, its last.
  EXPECT_EQ(table[0]->Count(), 4);
  EXPECT_EQ(table[1]->Count(), 2);
  ASSERT_EQ(table[2]->Count(), 3);
  EXPECT_FLOAT_EQ(table[2]->UnitAt(0)->y, 704.0f);
  EXPECT_FLOAT_EQ(table[2]->UnitAt(1)->y, 703.0f);
  EXPECT_FLOAT_EQ(table[2]->UnitAt(2)->y, 702.0f);

  SetupRig four;
  for (int32_t i = 0; i < 9; ++i) four.AddUnit(100.0f, 700.0f + static_cast<float>(i));
  AIGroup* table4[4] = {four.NewGroup(0, 0), four.NewGroup(0, 0), four.NewGroup(0, 0), four.NewGroup(0, 0)};
  AIOperational::DistributeUnits(four.context, four.list, table4, 4, 12);
  EXPECT_EQ(table4[2]->Count(), 3);  // ceil(6 / 2)
  EXPECT_EQ(table4[3]->Count(), 1);  // floor(3 / 2)
  EXPECT_EQ(table4[0]->Count(), 3);
  EXPECT_EQ(table4[1]->Count(), 2);
  EXPECT_FLOAT_EQ(table4[3]->UnitAt(0)->y, 702.0f);
}

TEST(AISetupGroups, AnEmptyCategoryLeavesTheListAlone) {
  SetupRig r;
  r.AddUnit(10.0f, 10.0f);  // a test vehicle is no leader
  AIGroup* table[1] = {r.NewGroup(0, 0)};
  AIOperational::DistributeUnits(r.context, r.list, table, 1, 5);
  EXPECT_EQ(r.list.Count(), 1);
  EXPECT_EQ(table[0]->Count(), 0);
}

TEST(AISetupGroups, AttackerGroupCountDrawsOnlyWhereLeftToChance) {
  const int32_t noDraw[] = {0, 1, 6};
  for (int32_t m : noDraw) {
    SeedRandom(5);
    EXPECT_EQ(AIOperational::AttackerGroupCount(m), m == 6 ? 2 : 1);
    EXPECT_EQ(RandomState(), StateAfter(5, 1, 0));
  }
  const int32_t draws[][2] = {{2, 4}, {3, 3}, {4, 2}, {5, 3}, {7, 4}, {12, 4}};
  for (const auto& [m, n] : draws) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
      SeedRandom(seed);
      const int32_t v = Random(n);
      int32_t expected = 0;
      switch (m) {
        case 2: expected = v <= 2 ? 1 : 2; break;
        case 3: expected = v <= 1 ? 1 : 2; break;
        case 4: expected = v == 0 ? 1 : 2; break;
        case 5: expected = v == 1 ? 1 : 2; break;
        default: expected = v <= 2 ? 2 : 3; break;
      }
      SeedRandom(seed);
      EXPECT_EQ(AIOperational::AttackerGroupCount(m), expected) << m << " " << seed;
      EXPECT_EQ(RandomState(), StateAfter(seed, n, 1));
    }
  }
}

TEST(AISetupGroups, GoalsByDistanceAndTheNearestGoal) {
  SetupRig r;
  float d = 0.0f;
  EXPECT_EQ(AIOperational::NearestGoal(r.context, 0, 0, &d), nullptr);
  EXPECT_FLOAT_EQ(d, 9e20f);
  r.AddGoals({{500, 500}, {100, 100}, {300, 300}});
  AIGoalGroup* nearest = AIOperational::NearestGoal(r.context, 90, 100, &d);
  EXPECT_EQ(nearest, r.context.Goal(1));
  EXPECT_FLOAT_EQ(d, 10.0f);
  std::unique_ptr<GObjectGroup> sorted(AIOperational::GoalsByDistance(r.context, 90, 100));
  ASSERT_EQ(sorted->Count(), 3);
  EXPECT_EQ(sorted->GetItem(0), r.context.Goal(1));
  EXPECT_EQ(sorted->GetItem(1), r.context.Goal(2));
  EXPECT_EQ(sorted->GetItem(2), r.context.Goal(0));
  EXPECT_EQ(r.context.Objectives()->Count(), 3);
}

TEST(AISetupGroups, MergingJoinsTheNearestPairAndSetsEveryMode) {
  SetupRig r;
  GObjectGroup list;
  list.Init();
  list.SetOwnsMembers(true);
  AIGroup* solo = r.NewGroup(10, 10);
  r.groups.clear();  // the list owns it now
  list.Append(solo);
  AIOperational::MergeClosestGroups(r.context, list);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(solo->mode, AIGroup::kDefendingFree);
  r.AddGoals({{400, 400}});
  AIOperational::MergeClosestGroups(r.context, list);
  EXPECT_EQ(solo->mode, AIGroup::kSentBase);

  Unit* a = r.AddUnit(100, 100);
  Unit* b = r.AddUnit(120, 100);
  auto* far = new AIGroup();
  far->Init();
  far->Append(r.AddUnit(700, 700));
  far->UpdateCentre();
  auto* near = new AIGroup();
  near->Init();
  near->Append(b);
  near->UpdateCentre();
  solo->Append(a);
  solo->UpdateCentre();
  list.Append(far);
  list.Append(near);
  r.AddGoals({{400, 400}, {500, 500}});
  AIOperational::MergeClosestGroups(r.context, list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetItem(0), solo);
  EXPECT_EQ(solo->Count(), 2);
  EXPECT_FLOAT_EQ(solo->centreX, 110.0f);
  EXPECT_EQ(solo->mode, AIGroup::kDefendingFree);
  EXPECT_EQ(far->mode, AIGroup::kDefendingFree);
}

TEST(AISetupOutlook, RingsOffTheMapScoreFiftyAndNoEnemyEdgeScoresNothing) {
  SetupRig r;
  auto& tiles = r.battle.map->terrain.tiles;
  tiles.At(0, 20).zone = 4;
  tiles.At(5, 5).zone = 1;  // the other side's zone stays 0
  GDynamicArray grid;
  grid.Init(2, tiles.Height(), tiles.Width());
  AIOperational::BuildOutlookGrid(r.context, grid);
  // The enemy holds the West: every sample from the first column falls off the map.
  EXPECT_EQ(grid.GetU16(20, 0), 0x3232);
  EXPECT_EQ(grid.GetU16(5, 5), 0);

  r.battle.edgeOwner[0] = 2;
  AIOperational::BuildOutlookGrid(r.context, grid);
  EXPECT_EQ(grid.GetU16(20, 0), 0);
}

TEST(AISetupOutlook, ShortVisibilityDrawsTheFarRingIn) {
  SetupRig r;
  r.battle.edgeOwner[0] = 2;
  r.battle.edgeOwner[2] = 1;  // the enemy holds the East
  const bool mask[16] = {false, false, true, true, true, true, true};
  // From x = 490 m on the 800 m flat map: far ring at 500 and 1000 m lies off the map.
  EXPECT_EQ(AIOperational::TileOutlook(r.context, 24, 20, mask), (50 << 8) | 100);
  // At 400 m visibility the far ring samples at 300 m (all on) and 400 m (two of five on).
  r.battle.visibilityRange = 400.0f;
  EXPECT_EQ(AIOperational::TileOutlook(r.context, 24, 20, mask), (91 << 8) | 100);
}
