// AI groups and the objectives: garrisons at secured goals, the order of the candidates to
// stay, the choice of a goal, and the per-turn sending of free groups.
#include "game/ai/AIGroupGoals.h"

#include <gtest/gtest.h>

#include "framework/core/Quorl.h"
#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "support/RandomDraws.h"

namespace {

// A battle with side-0 units, goals and groups made by hand.
struct Groups {
  Groups() : battle(rig.Fresh()) {
    battle.flags.DeleteAll(true);
    battle.setupPhase = 0;
    context.battle = &battle;
    context.side = 0;
    battle.aiGroups[0] = new GObjectGroup();
    battle.aiGroups[0]->IObjectGroup();
    battle.aiObjectives[0] = new GObjectGroup();
    battle.aiObjectives[0]->IObjectGroup();
    split.IObjectGroup();
  }
  Unit* AddUnit(float x, float y, int32_t kind = 0) {
    Unit* unit = BattleTestRig::MakeUnit(kind, 0, x, y);
    unit->countsForPoints = 0;
    unit->ammo[0] = 5;
    battle.PlaceUnitAt(unit, x, y);
    return unit;
  }
  // A goal of one flag; held by side 0 when secured is asked.
  AIGoalGroup* AddGoal(float x, float y, float value, bool held) {
    auto* flag = new VictoryFlag(x, y, 0);
    flag->contested = held ? 0 : 1;
    flag->holder = 0;
    battle.flags.Append(flag);
    auto* goal = new AIGoalGroup();
    goal->InitFromFlag(flag);
    goal->value = value;
    battle.aiObjectives[0]->Append(goal);
    return goal;
  }
  AIGroup* AddGroup(int32_t mode) {
    auto* group = new AIGroup();
    group->Init();
    group->mode = mode;
    battle.aiGroups[0]->Append(group);
    return group;
  }
  // Units up to a side total of n alive.
  void FillSide(int32_t n) {
    int32_t count = 0;
    for (int32_t i = 0; i < battle.UnitCount(); ++i) count += battle.UnitAt(i)->GetSideIndex() == 0 ? 1 : 0;
    for (; count < n; ++count) AddUnit(700.0f, 700.0f);
  }

  BattleTestRig rig;
  Battle& battle;
  AIPlanContext context;
  GObjectGroup split;
};

}  // namespace

TEST(AIGroupGoals, GarrisonCandidatesRankInfantryNearAndShakenFirst) {
  Groups g;
  g.context.defender = true;
  auto order = [&](const Unit* a, const Unit* b) {
    return AIGroupGoals::CompareGarrisonCandidates(g.context, *a, *b, 100.0f, 100.0f);
  };
  auto* armed = static_cast<TestInfantry*>(g.AddUnit(100.0f, 100.0f));
  armed->mainWeapon = true;
  // One loss (18) makes up for 36 m defending (0.5 a metre) or 180 m attacking (0.1).
  auto* hurt = static_cast<TestInfantry*>(g.AddUnit(136.0f, 100.0f));
  hurt->mainWeapon = true;
  hurt->losses = 1;
  EXPECT_EQ(order(armed, hurt), 0);
  g.context.defender = false;
  EXPECT_EQ(order(armed, hurt), 1);
  hurt->SetPosition(280.0f, 100.0f);
  EXPECT_EQ(order(armed, hurt), 0);
  g.context.defender = true;
  EXPECT_EQ(order(armed, hurt), -1);
  // Without a main weapon: 15000 less 3 a round of its first ammunition.
  Unit* unarmed = g.AddUnit(100.0f, 100.0f);
  unarmed->ammo[0] = 1666;
  EXPECT_EQ(order(unarmed, armed), -1);
  unarmed->ammo[0] = 1667;
  EXPECT_EQ(order(unarmed, armed), 1);
  // Other units: 0 armed, 50 unarmed; exit-eligible ones and vehicles on roads last.
  auto* vehicle = static_cast<TestVehicle*>(g.AddUnit(100.0f, 100.0f, 1));
  Unit* armedVehicle = g.AddUnit(100.0f, 100.0f, 1);
  static_cast<TestVehicle*>(armedVehicle)->mainWeapon = true;
  EXPECT_EQ(order(vehicle, armedVehicle), -1);
  EXPECT_EQ(order(armed, vehicle), -1);
  armed->countsForPoints = 1;
  EXPECT_EQ(order(armed, vehicle), 1);
  MapGrid<uint16_t>& fine = g.battle.map->terrain.fineGrid;
  uint16_t& cell = fine.At(50, 50);  // the 2 m cell under (100, 100)
  cell = static_cast<uint16_t>((36 << FineTerrain::kTypeShift) | (cell & ((1 << FineTerrain::kTypeShift) - 1)));
  EXPECT_EQ(order(armed, vehicle), -1);  // -100000 on a road is below -50000 for leaving
}

TEST(AIGroupGoals, ASecuredGoalGetsAGarrisonOfTheBestCandidates) {
  for (bool defender : {true, false}) {
    SCOPED_TRACE(defender);
    Groups g;
    g.context.defender = defender;
    AIGoalGroup* goal = g.AddGoal(400.0f, 400.0f, 0.5f, true);
    g.AddGoal(100.0f, 700.0f, 0.5f, false);  // some goal still open
    AIGroup* sent = g.AddGroup(10005);
    Unit* leaver = g.AddUnit(450.0f, 400.0f);  // nearest, but may leave the map
    leaver->countsForPoints = 1;
    Unit* second = g.AddUnit(500.0f, 400.0f);
    Unit* third = g.AddUnit(550.0f, 400.0f);
    Unit* far = g.AddUnit(700.0f, 400.0f);
    for (Unit* unit : {far, third, leaver, second}) sent->Append(unit);
    g.FillSide(20);  // needs trunc(20 x 0.5 x 0.3 + 0.99) = 3; 2 stay (half of 4)
    for (int32_t i = 0; i < g.battle.aiObjectives[0]->Count(); ++i) g.context.Goal(i)->UpdateSecured(g.context);
    ASSERT_TRUE(goal->secured);
    AIGroupGoals::LeaveGarrison(g.context, *sent, g.split);
    ASSERT_EQ(g.split.Count(), 1);
    auto* stay = static_cast<AIGroup*>(g.split.GetItem(0));
    ASSERT_EQ(stay->Count(), 2);
    EXPECT_EQ(stay->UnitAt(0), second);
    EXPECT_EQ(stay->UnitAt(1), third);
    EXPECT_EQ(stay->mode, defender ? 5 : 10005);
    EXPECT_EQ(sent->mode, defender ? 4 : 0);
    ASSERT_EQ(sent->Count(), 2);
    EXPECT_EQ(sent->UnitAt(0), far);
    EXPECT_EQ(sent->UnitAt(1), leaver);
    g.split.DeleteAll(true);
  }
}

TEST(AIGroupGoals, AGarrisonIsLeftOnlyWhenEnoughAreNearAndShaken) {
  Groups g;
  g.context.defender = true;
  g.AddGoal(400.0f, 400.0f, 0.5f, true);
  AIGroup* sent = g.AddGroup(10005);
  std::vector<Unit*> units;
  for (float x : {420.0f, 440.0f, 460.0f, 700.0f}) units.push_back(g.AddUnit(x, 400.0f));
  for (Unit* unit : units) sent->Append(unit);
  g.FillSide(20);
  g.context.Goal(0)->UpdateSecured(g.context);

  // Half of them near (0.5 of the movable): nothing changes.
  units[2]->SetPosition(650.0f, 400.0f);
  AIGroupGoals::LeaveGarrison(g.context, *sent, g.split);
  EXPECT_EQ(sent->mode, 10005);
  EXPECT_EQ(g.split.Count(), 0);
  // Near enough but steady (morale state 50 and above): nothing changes either.
  units[2]->SetPosition(460.0f, 400.0f);
  for (Unit* unit : units) unit->suppression = 50.0f;
  units[0]->suppression = 10.0f;
  AIGroupGoals::LeaveGarrison(g.context, *sent, g.split);
  EXPECT_EQ(sent->mode, 10005);
  // Fewer movable units than needed: the group holds the goal itself.
  for (Unit* unit : units) unit->immobilized = 1;
  units[0]->immobilized = 0;
  AIGroupGoals::LeaveGarrison(g.context, *sent, g.split);
  EXPECT_EQ(sent->mode, 5);
  EXPECT_EQ(sent->Count(), 4);
  // Another group holding it already: the sent group is freed.
  sent->mode = 10005;
  g.AddGroup(5);
  AIGroupGoals::LeaveGarrison(g.context, *sent, g.split);
  EXPECT_EQ(sent->mode, 4);
  // An attacker with every goal secured keeps going: nothing to leave behind for.
  g.context.defender = false;
  sent->mode = 10005;
  AIGroupGoals::LeaveGarrison(g.context, *sent, g.split);
  EXPECT_EQ(sent->mode, 10005);
  EXPECT_EQ(g.split.Count(), 0);
}

TEST(AIGroupGoals, ChooseGoalWeighsValueDistanceAndTargets) {
  Groups g;
  AIGoalGroup* worthless = g.AddGoal(110.0f, 100.0f, 0.0f, false);
  AIGoalGroup* secured = g.AddGoal(120.0f, 100.0f, 1.0f, true);
  AIGoalGroup* near = g.AddGoal(200.0f, 100.0f, 0.5f, false);
  AIGoalGroup* targeted = g.AddGoal(100.0f, 250.0f, 0.5f, false);
  secured->UpdateSecured(g.context);
  targeted->targeted = true;  // 150 m counts as 375 m
  AIGroup* group = g.AddGroup(0);
  Unit* moving = g.AddUnit(300.0f, 300.0f);
  Unit* reference = g.AddUnit(100.0f, 100.0f);
  group->Append(moving);
  group->Append(reference);
  EXPECT_EQ(group->GetReferenceUnit(), reference);  // the last, while all can move
  moving->immobilized = 1;
  EXPECT_EQ(group->GetReferenceUnit(), moving);  // the first that cannot move
  moving->immobilized = 0;

  SeedRandom(8);
  AIGroupGoals::ChooseGoal(g.context, *group, true);
  EXPECT_EQ(RandomState(), StateAfterDraws(8, 2));  // the targeted goal, then the near one
  EXPECT_EQ(group->mode, 10007);
  EXPECT_FALSE(near->targeted);
  AIGroupGoals::ChooseGoal(g.context, *group, false);
  EXPECT_TRUE(near->targeted);
  EXPECT_FALSE(worthless->targeted || secured->targeted);
  // A fixed goal is never marked, nor by a group sent to it.
  near->targeted = false;
  near->fixed = true;
  AIGroupGoals::ChooseGoal(g.context, *group, false);
  AIGroupGoals::MarkGoalTargeted(g.context, *group);
  EXPECT_FALSE(near->targeted);
  // Nothing eligible: the mode stays and nothing is drawn.
  near->value = targeted->value = 0.0f;
  group->mode = 4;
  const uint32_t before = RandomState();
  AIGroupGoals::ChooseGoal(g.context, *group, false);
  EXPECT_EQ(group->mode, 4);
  EXPECT_EQ(RandomState(), before);
}

TEST(AIGroupGoals, AnAttackersFreeGroupsAreAllSentNearestFirst) {
  Groups g;
  g.battle.attacker = 0;
  AIGoalGroup* west = g.AddGoal(100.0f, 400.0f, 0.5f, false);
  AIGoalGroup* east = g.AddGoal(700.0f, 400.0f, 0.5f, false);
  AIGroup* onWay = g.AddGroup(10006);  // already sent east: east counts 2.5 times as far
  onWay->Append(g.AddUnit(650.0f, 400.0f));
  AIGroup* a = g.AddGroup(0);
  a->Append(g.AddUnit(600.0f, 400.0f));
  AIGroup* b = g.AddGroup(0);
  b->Append(g.AddUnit(150.0f, 400.0f));
  AIGroup* empty = g.AddGroup(0);
  empty->Append(g.AddUnit(400.0f, 400.0f));
  empty->UnitAt(0)->alive = 0;  // dropped this turn: the group stays free, without a goal

  AIOperational::AssignObjectives(g.context);
  ASSERT_EQ(g.battle.AIGroupCount(0), 4);
  EXPECT_EQ(empty->mode, 0);
  EXPECT_TRUE(east->targeted);
  EXPECT_TRUE(west->targeted);
  // b (50 m from the west goal) chooses first and takes it; a, 500 m from the west goal and
  // 100 m (counted 250) from the targeted east one, then goes east.
  EXPECT_EQ(b->mode, 10005);
  EXPECT_EQ(a->mode, 10006);
  EXPECT_EQ(onWay->mode, 10006);
}

TEST(AIGroupGoals, ADefenderSendsFreeGroupsWhileTheDemandHolds) {
  for (float value : {0.5f, 0.25f / 0.67f}) {
    SCOPED_TRACE(value);
    Groups g;
    g.battle.attacker = 1;
    g.context.defender = true;
    g.battle.currentTurn = 1;
    g.battle.lastTurn = 10;
    g.AddGoal(100.0f, 100.0f, 0.0f, false);
    AIGoalGroup* goal = g.AddGoal(400.0f, 400.0f, value, false);
    g.AddGoal(700.0f, 700.0f, 0.0f, false);
    AIGroup* farGroup = g.AddGroup(4);
    farGroup->Append(g.AddUnit(100.0f, 400.0f));
    AIGroup* nearGroup = g.AddGroup(4);
    nearGroup->Append(g.AddUnit(350.0f, 400.0f));
    AIGroup* holder = g.AddGroup(5 + 1);
    Unit* holding = g.AddUnit(400.0f, 410.0f);
    holder->Append(holding);
    AIOperational::AssignObjectives(g.context);
    if (value == 0.5f) {
      // 2 x (1/3 + 0.1) x 0.335 x 4 = 1.16133: the nearest free group goes, with the holder's units.
      EXPECT_FLOAT_EQ(goal->adjustedValue, 0.335f);
      EXPECT_EQ(nearGroup->mode, 10006);
      EXPECT_EQ(farGroup->mode, 4);
      ASSERT_EQ(g.battle.AIGroupCount(0), 2);
      ASSERT_EQ(nearGroup->Count(), 2);
      EXPECT_EQ(nearGroup->UnitAt(1), holding);
    } else {
      // 0.25: a demand of 0.86667 stops the walk.
      EXPECT_FLOAT_EQ(goal->adjustedValue, 0.25f);
      EXPECT_EQ(nearGroup->mode, 4);
      EXPECT_EQ(farGroup->mode, 4);
      EXPECT_EQ(g.battle.AIGroupCount(0), 3);
    }
  }
}

TEST(AIGroupGoals, APlanFreesGroupsWhoseGoalTheRebuiltListLacks) {
  Groups g;
  g.battle.attacker = 1;  // side 0 defends
  delete g.battle.aiObjectives[0];
  g.battle.aiObjectives[0] = nullptr;  // as after a load: not stored
  g.battle.flags.Append(new VictoryFlag(400.0f, 400.0f, 1));
  const int32_t modes[6] = {10005 + 5, 5 + 7, -3, 10005, 5, 4};
  for (int32_t mode : modes) g.AddGroup(mode)->Append(g.AddUnit(300.0f, 300.0f));
  g.context.defender = true;
  AIOperational::SetUpObjectives(g.context);
  ASSERT_EQ(g.battle.aiObjectives[0]->Count(), 1);
  EXPECT_EQ(AIOperational::FreeGroupsWithoutGoal(g.context), 3);
  const int32_t expected[6] = {4, 4, 4, 10005, 5, 4};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(g.battle.AIGroupAt(0, i)->mode, expected[i]) << i;
  EXPECT_EQ(AIOperational::FreeGroupsWithoutGoal(g.context), 0);

  // The whole plan of an orders phase goes through with stale modes.
  for (int32_t i = 0; i < 6; ++i) g.battle.AIGroupAt(0, i)->mode = modes[i];
  delete g.battle.aiObjectives[0];
  g.battle.aiObjectives[0] = nullptr;
  AIOperational planner;
  planner.PlanTurn(g.battle, 0, g.rig.headless.Host());
  for (int32_t i = 0; i < g.battle.AIGroupCount(0); ++i) {
    const int32_t mode = g.battle.AIGroupAt(0, i)->mode;
    EXPECT_TRUE(mode == 2 || mode == 3 || mode == 4 || mode == 5 || mode == 10005) << mode;
  }
}

TEST(AIGroupGoals, AfterALoadTheObjectivesAreBuiltAgainAndStaleGoalsFreed) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.setupPhase = 0;
  battle.attacker = 1;  // side 0 defends
  Unit* a = BattleTestRig::MakeUnit(0, 0, 300.0f, 300.0f);
  Unit* b = BattleTestRig::MakeUnit(0, 0, 320.0f, 300.0f);
  battle.PlaceUnitAt(a, a->x, a->y);
  battle.PlaceUnitAt(b, b->x, b->y);
  battle.aiGroups[0] = new GObjectGroup();
  battle.aiGroups[0]->IObjectGroup();
  for (int32_t mode : {10005 + 3, 5}) {
    auto* group = new AIGroup();
    group->Init();
    group->mode = mode;
    group->Append(mode == 5 ? b : a);
    battle.aiGroups[0]->Append(group);
  }
  AIPlanContext context;
  context.battle = &battle;
  context.defender = true;
  AIOperational::SetUpObjectives(context);
  ASSERT_NE(battle.aiObjectives[0], nullptr);

  // The battle and, as the game file does, its AI groups after it.
  std::string bytes;
  ASSERT_TRUE(rig.headless.SaveBytes(bytes));
  GMemoryFile groups;
  battle.WriteAIGroups(groups.File());
  const std::string groupBytes = groups.Bytes();
  ASSERT_TRUE(rig.headless.LoadBytes(bytes));
  Battle& loaded = rig.B();
  GMemoryFile in(groupBytes);
  ASSERT_TRUE(loaded.ReadAIGroups(in.File()));
  ASSERT_TRUE(loaded.ResolveAIGroups(in.File()));
  EXPECT_EQ(loaded.aiObjectives[0], nullptr);  // never stored
  ASSERT_EQ(loaded.AIGroupCount(0), 2);
  AIOperational planner;
  planner.PlanTurn(loaded, 0, rig.headless.Host());
  ASSERT_NE(loaded.aiObjectives[0], nullptr);
  EXPECT_EQ(loaded.aiObjectives[0]->Count(), 1);  // the battle's one flag
  EXPECT_EQ(loaded.AIGroupAt(0, 0)->mode, 4);
  EXPECT_EQ(loaded.AIGroupAt(0, 1)->mode, 5);
  // One line for the plan; the next plan finds nothing to free and logs nothing.
  planner.PlanTurn(loaded, 0, rig.headless.Host());
  const std::string log = rig.logFolder.ReadFile("ERRORLOG.TXT");
  const std::string line = "groups freed whose objective is missing";
  const size_t at = log.find(line);
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_EQ(log.find(line, at + 1), std::string::npos);
}
