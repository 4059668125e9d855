// The battle's unit-list services: main nationality, kind-5 vehicles, the old files'
// ammunition upgrade, purchased forces, computer-player groups and force enlargement.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/AIGroup.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"
#include "game/battle/ReinforcementSettings.h"
#include "game/units/tables/UnitCodes.h"

namespace {

// Each slot's settings marked by side and slot.
class FakeSettings : public ReinforcementSettings {
 public:
  void CopyReinforcementSettings(ReinforcementGroup& group, int32_t side, int32_t slot) const override {
    group.arrivalTurn = 100 + slot;
    group.entryX = static_cast<float>(side);
  }
};

// Test kinds with a purchase cost by class index.
std::array<float, 8> gCosts{};

class CostInfantry : public TestInfantry {
 public:
  float GetPurchaseCost() const override { return gCosts[static_cast<size_t>(classIndex & 7)]; }
};

class CostVehicle : public TestVehicle {
 public:
  float GetPurchaseCost() const override { return gCosts[static_cast<size_t>(classIndex & 7)]; }
};

template <class Kind>
Unit* MakeCosted(int32_t classIndex, int32_t code, int32_t rating) {
  auto* unit = new Kind();
  unit->classIndex = classIndex;
  unit->Setup(0.0f, 0.0f, 0.0f, code, rating);
  return unit;
}

// Registers the costed kinds as the unit factory for the test's life.
class CostedKinds {
 public:
  CostedKinds() {
    gCosts.fill(0.0f);
    RegisterUnitMaker(0, MakeCosted<CostInfantry>);
    RegisterUnitMaker(1, MakeCosted<CostVehicle>);
  }
  ~CostedKinds() {
    RegisterUnitMaker(0, nullptr);
    RegisterUnitMaker(1, nullptr);
  }
  CostedKinds(const CostedKinds&) = delete;
  CostedKinds& operator=(const CostedKinds&) = delete;
};

Unit* Costed(int32_t kind, int32_t classIndex, int32_t sideIndex, float x, float y) {
  Unit* unit = CreateUnit(kind, classIndex, sideIndex == 0 ? 6 : 0, 2);
  unit->SetPosition(x, y);
  return unit;
}

int32_t SideCost(const Battle& battle, int32_t side) {
  int32_t total = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    if (battle.UnitAt(i)->GetSideIndex() == side) total += static_cast<int32_t>(battle.UnitAt(i)->GetPurchaseCost());
  }
  return total;
}

// The draws among at most three candidates.
int32_t gDraws = 0;
void CountDraw(int32_t n) { gDraws += n <= 3 ? 1 : 0; }

}  // namespace

TEST(BattleUnitLists, MainNationalityFoldsCodesAndSkipsBadOnes) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  EXPECT_EQ(battle.MainNationalityCode(0), 6);
  EXPECT_EQ(battle.MainNationalityCode(1), 0);
  for (int32_t i = 0; i < 3; ++i) {
    Unit* unit = BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f);
    unit->nationalityCode = 9;
    battle.PlaceUnitAt(unit, 100.0f, 100.0f);
  }
  EXPECT_EQ(battle.MainNationalityCode(0), 6);
  // Side 1: two of code 2 fold into code 0 and outweigh three of code 4 only together with 0's.
  const std::array<int32_t, 6> codes{2, 2, 4, 4, 4, 0};
  ReinforcementGroup& group = rig.AddGroup(1, 0, 5);
  for (int32_t code : codes) {
    Unit* unit = BattleTestRig::MakeUnit(0, 1, 0.0f, 0.0f);
    unit->nationalityCode = code;
    group.units.Append(unit);
  }
  EXPECT_EQ(battle.MainNationalityCode(1), 0);
  // A kind-5 vehicle does not count; a code out of range is skipped with a log line.
  auto* boat = static_cast<TestVehicle*>(BattleTestRig::MakeUnit(1, 1, 0.0f, 0.0f));
  boat->boat = true;
  boat->nationalityCode = 4;
  group.units.Append(boat);
  static_cast<Unit*>(group.units.GetItem(5))->nationalityCode = 25;
  EXPECT_EQ(battle.MainNationalityCode(1), 4);
  bool logged = false;
  for (const std::string& line : rig.logFolder.LogLines()) logged |= line == "Battle: nationality code out of range skipped: 25";
  EXPECT_TRUE(logged);

  EXPECT_TRUE(battle.SideHasBoat(1));
  EXPECT_FALSE(battle.SideHasBoat(0));
}

TEST(BattleUnitLists, OldFilesSpottersAmmunitionUpgraded) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  auto* spotter = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f));
  spotter->indirect = true;
  spotter->ammo[0] = 5;
  auto* empty = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 0, 120.0f, 100.0f));
  empty->indirect = true;
  empty->ammo[0] = 0;
  auto* rifles = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 0, 140.0f, 100.0f));
  rifles->ammo[0] = 5;
  battle.PlaceUnitAt(spotter, spotter->x, spotter->y);
  battle.PlaceUnitAt(empty, empty->x, empty->y);
  auto& group = rig.AddGroup(1, 0, 3);
  auto* waiting = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 1, 0.0f, 0.0f));
  waiting->indirect = true;
  waiting->ammo[0] = 2;
  group.units.Append(waiting);
  group.units.Append(rifles);
  battle.UpgradeOldUnitData();
  EXPECT_EQ(spotter->ammo[0], 23);
  EXPECT_EQ(empty->ammo[0], 0);
  EXPECT_EQ(waiting->ammo[0], 11);
  EXPECT_EQ(rifles->ammo[0], 5);
}

TEST(BattleUnitLists, PurchasedUnitsMakeGroupsWithTheirSlotsSettings) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  FakeSettings settings;
  std::array<GGroup, 6> side0;
  std::array<GGroup, 6> side1;
  std::array<GGroup*, 6> lists0{};
  std::array<GGroup*, 6> lists1{};
  for (size_t i = 0; i < 6; ++i) {
    side0[i].IGroup();
    side1[i].IGroup();
    lists0[i] = &side0[i];
    lists1[i] = &side1[i];
  }
  side0[0].Append(BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f));
  side1[0].Append(BattleTestRig::MakeUnit(1, 1, 300.0f, 300.0f));
  side0[1].Append(BattleTestRig::MakeUnit(0, 0, 0.0f, 0.0f));
  side0[3].Append(BattleTestRig::MakeUnit(0, 0, 0.0f, 0.0f));
  side0[3].Append(BattleTestRig::MakeUnit(0, 0, 0.0f, 0.0f));
  rig.AddGroup(0, 1, 7);
  rig.AddGroup(1, 1, 8);
  battle.TakePurchasedUnits(lists0.data(), lists1.data(), false, &settings);

  EXPECT_EQ(battle.UnitCount(), 2);
  // Named in order: the units on the map, then the groups' units.
  EXPECT_EQ(battle.UnitAt(1)->designation, 1);
  ASSERT_EQ(battle.reinforcements[0].Count(), 2);
  EXPECT_EQ(battle.GroupAt(0, 0)->arrivalTurn, 100);
  EXPECT_EQ(battle.GroupAt(0, 0)->units.Count(), 1);
  EXPECT_EQ(battle.GroupAt(0, 1)->arrivalTurn, 102);
  EXPECT_EQ(battle.GroupAt(0, 1)->units.Count(), 2);
  EXPECT_EQ(static_cast<Unit*>(battle.GroupAt(0, 1)->units.GetItem(1))->designation, 4);
  // Side 1's lists were given: its old group is gone and no slot of it was filled.
  EXPECT_EQ(battle.reinforcements[1].Count(), 0);
  for (GGroup& list : side0) EXPECT_EQ(list.Count(), 0);

  // With keepReinforcements only the "On Map" units join.
  side1[0].Append(BattleTestRig::MakeUnit(0, 1, 320.0f, 300.0f));
  side1[2].Append(BattleTestRig::MakeUnit(0, 1, 0.0f, 0.0f));
  battle.TakePurchasedUnits(nullptr, lists1.data(), true, &settings);
  EXPECT_EQ(battle.UnitCount(), 3);
  EXPECT_EQ(battle.reinforcements[0].Count(), 2);
  EXPECT_EQ(battle.reinforcements[1].Count(), 0);
  EXPECT_EQ(side1[2].Count(), 1);
  side1[2].DeleteAll(true);

  // In an operation the naming gives the side's zone code unless it is 7.
  Campaign operation(rig.headless.Host());
  rig.headless.Host().InPlay().SetCampaign(&operation);
  battle.UnitAt(1)->setupZone = 7;
  battle.TakePurchasedUnits(nullptr, nullptr, true, nullptr);
  rig.headless.Host().InPlay().SetCampaign(nullptr);
  EXPECT_EQ(battle.UnitAt(0)->setupZone, 4);
  EXPECT_EQ(battle.UnitAt(1)->setupZone, 7);
  EXPECT_EQ(battle.UnitAt(2)->setupZone, 1);
}

TEST(BattleUnitLists, AIGroupsOfTheUnitsSide) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  GGroup list;
  list.IGroup();
  list.SetOwnsMembers(false);
  battle.AddUnitToAIGroups(list);
  EXPECT_TRUE(battle.aiGroups[0] == nullptr && battle.aiGroups[1] == nullptr);
  Unit* unit = BattleTestRig::MakeUnit(0, 0, 10.0f, 10.0f);
  battle.PlaceUnitAt(unit, 10.0f, 10.0f);
  list.Append(unit);
  // A side without a list gets no group.
  battle.AddUnitToAIGroups(list);
  EXPECT_TRUE(battle.aiGroups[0] == nullptr && battle.aiGroups[1] == nullptr);
  battle.aiGroups[0] = new GObjectGroup();
  battle.aiGroups[0]->IObjectGroup();
  battle.attacker = 1;
  battle.AddUnitToAIGroups(list);
  ASSERT_EQ(battle.AIGroupCount(0), 1);
  EXPECT_EQ(battle.AIGroupAt(0, 0)->UnitAt(0), unit);
  // Side 0 defends: the arrivals are a free group of a defending side.
  EXPECT_EQ(battle.AIGroupAt(0, 0)->mode, 4);
}

TEST(BattleEnlarge, SideGrowsByItsShareNeverPastTheTarget) {
  BattleTestRig rig;
  CostedKinds kinds;
  Battle& battle = rig.Fresh();
  gCosts = {0.0f, 250.0f, 60.0f, 35.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  for (int32_t i = 0; i < 4; ++i) battle.PlaceUnitAt(Costed(1, 1, 1, 300.0f + 30.0f * i, 300.0f), 300.0f + 30.0f * i, 300.0f);
  battle.PlaceUnitAt(Costed(0, 2, 1, 400.0f, 300.0f), 400.0f, 300.0f);
  battle.PlaceUnitAt(Costed(0, 3, 1, 420.0f, 300.0f), 420.0f, 300.0f);
  battle.PlaceUnitAt(Costed(0, 2, 0, 100.0f, 100.0f), 100.0f, 100.0f);
  ASSERT_EQ(SideCost(battle, 1), 1095);
  SeedRandom(5);
  battle.EnlargeForce(20);
  EXPECT_EQ(battle.forceEnlargement, 20);
  EXPECT_EQ(battle.enlargementFlags[0], 1);
  EXPECT_EQ(battle.enlargementFlags[1], 1);
  const int32_t grown = SideCost(battle, 1);
  EXPECT_GT(grown, 1095);
  EXPECT_LE(grown, 1314);
  // The draws stop only when nothing more fits: less than the cheapest unit is left.
  EXPECT_GT(grown + 35, 1314);
  EXPECT_EQ(SideCost(battle, 0), 60);
  // Every unit is named again, in order.
  for (int32_t i = 0; i < battle.UnitCount(); ++i) EXPECT_EQ(battle.UnitAt(i)->designation, i) << i;

  // A negative value enlarges side 0.
  battle.EnlargeForce(-100);
  EXPECT_EQ(SideCost(battle, 0), 120);
  EXPECT_EQ(SideCost(battle, 1), grown);
  // 0 stores the value and does nothing else.
  const int32_t count = battle.UnitCount();
  battle.EnlargeForce(0);
  EXPECT_EQ(battle.forceEnlargement, 0);
  EXPECT_EQ(battle.UnitCount(), count);
}

TEST(BattleEnlarge, CandidatesWorthNothingEndAfterThreeHundredDraws) {
  BattleTestRig rig;
  CostedKinds kinds;
  Battle& battle = rig.Fresh();
  gCosts[1] = 500.0f;
  battle.PlaceUnitAt(Costed(0, 1, 1, 300.0f, 300.0f), 300.0f, 300.0f);
  // The side's worth lies in a squad, which is never a candidate; the others cost nothing.
  static_cast<TestInfantry*>(battle.UnitAt(0))->squad = true;
  for (int32_t i = 0; i < 3; ++i) battle.PlaceUnitAt(Costed(1, 0, 1, 200.0f, 200.0f + 20.0f * i), 200.0f, 200.0f + 20.0f * i);
  gDraws = 0;
  SetRandomBoundObserver(CountDraw);
  battle.EnlargeUnitList(battle.units, 1, 50);
  SetRandomBoundObserver(nullptr);
  EXPECT_EQ(battle.UnitCount(), 4);
  EXPECT_EQ(gDraws, 300);
}

TEST(BattleEnlarge, DrawnLeaderBringsHisSubordinates) {
  BattleTestRig rig;
  CostedKinds kinds;
  Battle& battle = rig.Fresh();
  gCosts[1] = 100.0f;  // the leader, worth 400 with his men
  auto* leader = static_cast<TestInfantry*>(Costed(0, 1, 1, 300.0f, 300.0f));
  leader->SetRecord(104, 0, 1);
  battle.PlaceUnitAt(leader, 300.0f, 300.0f);
  for (int32_t i = 0; i < 2; ++i) {
    auto* man = static_cast<TestInfantry*>(Costed(0, 2, 1, 320.0f + 20.0f * i, 300.0f));
    man->leader = leader;
    battle.PlaceUnitAt(man, man->x, man->y);
  }
  SeedRandom(11);
  EXPECT_EQ(battle.EnlargeUnitList(battle.units, 1, 400), 3);
  ASSERT_EQ(battle.UnitCount(), 6);
  Unit* copy = battle.UnitAt(3);
  EXPECT_EQ(copy->classIndex, 1);
  for (int32_t i = 4; i < 6; ++i) {
    EXPECT_EQ(battle.UnitAt(i)->classIndex, 2);
    EXPECT_EQ(static_cast<TestInfantry*>(battle.UnitAt(i))->leader, copy) << i;
  }
}

TEST(BattleUnitLists, UnitsWaitingToJoinAreFreedWithTheBattle) {
  // A crew that bailed out in the last slice waits outside the unit list; a battle closed before
  // it joins deletes it (the leak checker of the sanitizer build sees it otherwise).
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  const int32_t before = battle.UnitCount();
  battle.AddUnitLater(BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f));
  EXPECT_EQ(battle.UnitCount(), before);
}
