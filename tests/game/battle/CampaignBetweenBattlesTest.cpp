// Between the battles of an operation: the front line, the end test and the result, the
// operation's lines on the results screen, and the steps of the between-battle pipeline.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/BattleKeyHost.h"
#include "game/battle/BattleResults.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"
#include "game/battle/CampaignUnitHost.h"
#include "framework/core/GMemoryFile.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

// Infantry whose ground takes it anywhere, so that it can be placed.
class MobileSquad : public TestInfantry {
 public:
  float GetTerrainMobility() const override { return 1.0f; }
};

Unit* MakeTestVehicle(int32_t classIndex, int32_t code, int32_t) {
  auto* unit = new TestVehicle();
  unit->classIndex = classIndex;
  unit->Setup(0.0f, 0.0f, 0.0f, code, 2);
  return unit;
}

// An operation on a fresh operation map (80 x 80 tiles by default), played through the
// headless player, which holds the battle in play.
struct OperationRig {
  OperationRig() : campaign(std::make_unique<Campaign>(rig.headless.Host(), &rig.headless)) {
    rig.headless.Host().InPlay().SetCampaign(campaign.get());
    campaign->SetUp(nullptr);
  }
  ~OperationRig() {
    rig.headless.MakeCurrentBattle(nullptr);
    rig.headless.Host().InPlay().SetCampaign(nullptr);
  }
  Campaign& C() { return *campaign; }
  Battle& StartBattle() {
    auto* battle = new Battle(rig.headless.Host());
    rig.headless.MakeCurrentBattle(battle);
    C().SetUpBattle(*battle);
    return *battle;
  }
  // A test unit of the operation: infantry of men men, or a vehicle.
  TestInfantry* Squad(int32_t side, float x, float y, int32_t men, int32_t losses) {
    auto* unit = new MobileSquad();
    unit->Setup(x, y, 0.0f, side == 0 ? 6 : 0, 2);
    unit->side = static_cast<uint8_t>(1 - side);
    unit->men = men;
    unit->losses = losses;
    unit->squad = true;
    C().units.Append(unit);
    return unit;
  }
  TestVehicle* Vehicle(int32_t side, float x, float y) {
    auto* unit = static_cast<TestVehicle*>(BattleTestRig::MakeUnit(1, side, x, y));
    unit->men = 4;
    C().units.Append(unit);
    return unit;
  }

  BattleTestRig rig;
  std::unique_ptr<Campaign> campaign;
};

// Deletes a side's reinforcement groups with their units.
void DropGroups(Campaign& c, int32_t side) {
  for (int32_t i = 0; i < c.reinforcements[side].Count(); ++i) c.GroupAt(side, i)->DeleteUnits();
  c.reinforcements[side].DeleteAll(true);
}

// The level a front line gives, with the map's width in tiles.
int32_t LevelAt(Campaign& c, int32_t width, int32_t front) {
  c.map->size.tilesX = width;
  c.frontLine = front;
  return c.GetResultLevel();
}

}  // namespace

TEST(CampaignFront, TheFrontFollowsTheUnitsThatPushIt) {
  OperationRig r;
  // No units: the battle map's middle (tile 30) is the front; moved 1.6 times in general.
  r.StartBattle();
  r.C().UpdateFrontLine();
  EXPECT_EQ(r.C().frontLine, 30);
  r.C().frontLine = 5;
  r.StartBattle();
  r.C().UpdateFrontLine();
  EXPECT_EQ(r.C().frontLine, 5 + 40);
  r.C().frontLine = 5;
  r.C().operationType = 2;
  r.StartBattle();
  r.C().UpdateFrontLine();
  EXPECT_EQ(r.C().frontLine, 30);

  // An attacker's squad far forward pulls the mean with weight 10 x 1.9; a defender's squad
  // behind it would pull the front forward too, so it is left out of the mean.
  r.C().operationType = 1;
  r.C().frontLine = 30;
  Battle& battle = r.StartBattle();
  Unit* forward = BattleTestRig::MakeUnit(0, 1, 1000.0f, 300.0f);
  static_cast<TestInfantry*>(forward)->men = 10;
  battle.units.Append(forward);
  Unit* behind = BattleTestRig::MakeUnit(0, 0, 1100.0f, 300.0f);
  static_cast<TestInfantry*>(behind)->men = 10;
  battle.units.Append(behind);
  r.C().UpdateFrontLine();
  // mean = (6 + 19 x 1000) / 19.01 = 999.8 m: tile 50, 20 past 30, x 1.6 = 32.
  EXPECT_EQ(r.C().frontLine, 62);
}

TEST(CampaignFront, TheOperationEndsByLengthThrowBackOrBreakthrough) {
  OperationRig r;
  Campaign& c = r.C();
  c.lastTurn = 10;
  c.currentTurn = 1;
  c.frontLine = 0;
  EXPECT_FALSE(c.IsOver());  // battle 1: only the length counts
  c.currentTurn = 2;
  EXPECT_TRUE(c.IsOver());   // thrown back: 10 m <= 280 m
  c.frontLine = 13;
  EXPECT_TRUE(c.IsOver());   // 270 m
  c.frontLine = 14;
  EXPECT_FALSE(c.IsOver());  // 290 m
  c.frontLine = 66;          // 1330 m >= 1600 - 280
  EXPECT_TRUE(c.AttackerBrokeThrough());
  EXPECT_TRUE(c.IsOver());
  c.operationType = 2;
  EXPECT_FALSE(c.IsOver());
  c.currentTurn = 11;
  EXPECT_TRUE(c.IsOver());
  c.frontLine = 65;
  EXPECT_FALSE(c.AttackerBrokeThrough());
}

TEST(CampaignFront, ResultLevels) {
  OperationRig r;
  Campaign& c = r.C();
  // "Assault", expected 70, no man's land 10 m on a 201-tile map: the progress is F / 2.
  c.noMansLand = 10;
  c.operationType = 1;
  EXPECT_EQ(LevelAt(c, 201, 150), 1);   // 75
  EXPECT_EQ(LevelAt(c, 201, 160), 2);   // 80
  EXPECT_EQ(LevelAt(c, 201, 105), -1);  // 52.5
  EXPECT_EQ(LevelAt(c, 201, 119), -1);  // 59.5
  EXPECT_EQ(LevelAt(c, 201, 120), 0);   // 60
  EXPECT_EQ(LevelAt(c, 201, 201), 4);   // broke through
  // "Advance" with a breakthrough: by how early it came.
  c.operationType = 0;
  c.lastTurn = 10;
  c.currentTurn = 5;
  EXPECT_EQ(LevelAt(c, 201, 201), 4);
  c.currentTurn = 6;
  EXPECT_EQ(LevelAt(c, 201, 201), 3);
  EXPECT_EQ(LevelAt(c, 201, 0), -4);    // thrown back
  // "Destroy": the weighted losses against the allowed ratio.
  c.operationType = 2;
  c.lossTally[0][0] = 10;
  c.lossTally[1][0] = 10;
  EXPECT_EQ(LevelAt(c, 201, 100), 0);
  c.lossTally[0][5] = 1;  // the Axis defender lost a vehicle too: q = 10 / 25
  EXPECT_EQ(LevelAt(c, 201, 100), 3);
  for (int16_t& count : c.lossTally[0]) count = 0;
  EXPECT_EQ(LevelAt(c, 201, 100), -4);  // no defender losses
  // The Axis attacking without defender losses: -4 for the Axis is 4 for the Allies.
  c.attacker = 0;
  c.lossTally[0][0] = 10;
  c.lossTally[1][0] = 0;
  EXPECT_EQ(LevelAt(c, 201, 100), 4);
  // A surrender in the battle in play decides, unsigned.
  Battle& battle = r.StartBattle();
  battle.endState[0] = 2;
  EXPECT_EQ(LevelAt(c, 201, 100), 4);
  battle.endState[0] = 0;
  battle.endState[1] = 2;
  EXPECT_EQ(LevelAt(c, 201, 100), -4);
}

TEST(CampaignResults, TheOperationsLinesOnTheResultsScreen) {
  EXPECT_EQ(BattleResults::BattlesComplete(2, 10), "2 battles complete out of 10");
  EXPECT_EQ(BattleResults::BattlesComplete(1, 10), "1 battle complete out of 10");
  // Night every 4th battle from slot 0: battle 4 is the night battle.
  EXPECT_EQ(BattleResults::NightfallLine(3, 10, 4, 0), "One more battle before nightfall");
  EXPECT_EQ(BattleResults::NightfallLine(4, 10, 4, 0), "Night is falling");
  EXPECT_EQ(BattleResults::NightfallLine(1, 10, 4, 0), "3 battles before nightfall");
  EXPECT_EQ(BattleResults::NightfallLine(5, 7, 4, 0), "");
  EXPECT_EQ(BattleResults::NightfallLine(1, 10, 0, 0), "");

  OperationRig r;
  Campaign& c = r.C();
  c.lastTurn = 5;
  c.currentTurn = 2;
  Battle& battle = r.StartBattle();
  battle.ShowResults(false, false);
  EXPECT_EQ(c.currentTurn, 3);
  EXPECT_EQ(battle.results.resultLine, "2 battles complete out of 5");
  EXPECT_NE(battle.results.FindLabel("One more battle before nightfall"), nullptr);
  // A review counts nothing and moves nothing.
  c.frontLine = 12;
  battle.ShowResults(true, false);
  EXPECT_EQ(c.currentTurn, 3);
  EXPECT_EQ(c.frontLine, 12);

  // The last battle: the operation's result. No units moved the front from 30 (620 m): an
  // "Assault" progress of 27.5% is -3 for the Allied attacker.
  c.frontLine = 30;
  c.lastTurn = 3;
  Battle& last = r.StartBattle();
  last.ShowResults(false, false);
  EXPECT_TRUE(last.results.operationOver);
  EXPECT_EQ(last.results.resultLine, "OPERATION RESULT: Axis Major Victory");
  EXPECT_EQ(last.results.buttons.size(), 2u);
}

TEST(CampaignPipeline, DepletedSquadsMergeUntilNoPairIsLeft) {
  OperationRig r;
  Campaign& c = r.C();
  TestInfantry* first = r.Squad(1, 100.0f, 100.0f, 10, 7);
  TestInfantry* second = r.Squad(1, 120.0f, 100.0f, 10, 7);
  TestInfantry* third = r.Squad(1, 140.0f, 100.0f, 10, 7);
  TestInfantry* alone = r.Squad(1, 160.0f, 100.0f, 10, 8);
  alone->SetDesignation(2, 1);  // another letter: no partner
  for (TestInfantry* squad : {first, second, third}) squad->SetDesignation(1, 1);
  third->lossesCountedByMorale = 5;
  first->lossesCountedByMorale = 6;
  c.MergeDepletedSquads();
  // The last squad took the first (3 + 3 men); then the second took the last (3 + 6).
  ASSERT_EQ(c.units.Count(), 2);
  EXPECT_EQ(c.UnitAt(0), second);
  EXPECT_EQ(c.UnitAt(1), alone);
  EXPECT_EQ(second->GetMenPresent(), 9);
  EXPECT_EQ(second->losses, 1);
  EXPECT_EQ(alone->losses, 8);
  EXPECT_EQ(alone->lossesCountedByMorale, 0);

  // The losses at battle start keep the battle's losses d: u 7 - 5, p 7 - 6; u's losses 7 - 3.
  OperationRig s;
  TestInfantry* p = s.Squad(0, 100.0f, 100.0f, 10, 7);
  TestInfantry* u = s.Squad(0, 120.0f, 100.0f, 10, 7);
  p->lossesCountedByMorale = 6;
  u->lossesCountedByMorale = 5;
  s.C().MergeDepletedSquads();
  ASSERT_EQ(s.C().units.Count(), 1);
  EXPECT_EQ(u->losses, 4);
  EXPECT_EQ(u->lossesCountedByMorale, 1);

  // A larger partner's men would take the loss count below 0: it is held at 0.
  OperationRig t;
  TestInfantry* big = t.Squad(0, 100.0f, 100.0f, 20, 4);
  TestInfantry* small = t.Squad(0, 120.0f, 100.0f, 10, 6);
  t.C().MergeDepletedSquads();
  ASSERT_EQ(t.C().units.Count(), 1);
  EXPECT_EQ(t.C().UnitAt(0), small);
  EXPECT_EQ(small->losses, 0);
  (void)big;

  // A riding partner leaves its carrier; one that rides nothing merges all the same.
  OperationRig v;
  TestVehicle* truck = v.Vehicle(0, 90.0f, 100.0f);
  TestInfantry* rider = v.Squad(0, 100.0f, 100.0f, 10, 7);
  TestInfantry* depleted = v.Squad(0, 120.0f, 100.0f, 10, 7);
  truck->passengers[1] = rider;
  rider->passenger = true;
  rider->carrier = truck;
  v.C().MergeDepletedSquads();
  EXPECT_EQ(truck->passengers[1], nullptr);
  ASSERT_EQ(v.C().units.Count(), 2);
  EXPECT_EQ(depleted->GetMenPresent(), 6);
  OperationRig w;
  TestInfantry* stray = w.Squad(0, 100.0f, 100.0f, 10, 7);
  TestInfantry* other = w.Squad(0, 120.0f, 100.0f, 10, 7);
  stray->passenger = true;
  w.C().MergeDepletedSquads();
  ASSERT_EQ(w.C().units.Count(), 1);
  EXPECT_EQ(other->GetMenPresent(), 6);
}

TEST(CampaignPipeline, SupplyIsTracedToTheOwnEdgeAndTheCutOffArePulledBack) {
  OperationRig r;
  Campaign& c = r.C();
  Map& map = *c.map;
  // An Axis wall across the whole map at tile column 40; the Allies attack from the West and
  // their set-up zone is painted over the first 20 columns, as the pipeline paints it (the
  // placement a pull-back ends with looks for the unit's own zone, whatever the generator's
  // state).
  for (int32_t x = 0; x < map.size.tilesX; ++x) {
    for (int32_t y = 0; y < map.size.tilesY; ++y) map.terrain.tiles.At(x, y).zone = x == 40 ? 4 : (x < 20 ? 1 : 0);
  }
  TestInfantry* home = r.Squad(1, 210.0f, 300.0f, 10, 0);      // tile 10
  TestInfantry* forward = r.Squad(1, 510.0f, 300.0f, 10, 0);   // tile 25: in supply, outside the area
  TestInfantry* beyond = r.Squad(1, 1010.0f, 300.0f, 10, 0);   // tile 50: behind the wall
  TestInfantry* defender = r.Squad(0, 1210.0f, 300.0f, 10, 0);
  c.TraceSupply();
  EXPECT_TRUE(c.inSupply.Contains(home));
  EXPECT_TRUE(c.inSupply.Contains(forward));
  EXPECT_TRUE(c.cutOff.Contains(beyond));
  EXPECT_TRUE(c.inSupply.Contains(defender));

  // The attacker's area with the gap ends at tile 30 - 10 = 20 (400 m).
  CampaignUnitHost host(c);
  c.operationType = 2;  // "Destroy": the units in supply stay
  c.PullBackUnits();
  EXPECT_LE(beyond->x, 400.0f);
  EXPECT_FLOAT_EQ(forward->x, 510.0f);
  EXPECT_FLOAT_EQ(home->x, 210.0f);
  EXPECT_FLOAT_EQ(defender->x, 1210.0f);
  c.operationType = 1;
  c.PullBackUnits();
  EXPECT_LE(forward->x, 400.0f);
  EXPECT_FLOAT_EQ(defender->x, 1210.0f);
}

TEST(CampaignPipeline, TheWeatherWorksOnTheGround) {
  SeedRandom(11);
  const uint32_t before = RandomState();
  EXPECT_EQ(Campaign::EvolveGround(2, 5, 5, 4), 5);  // Rain on Deep Mud
  EXPECT_EQ(Campaign::EvolveGround(0, 3, 3, 0), 3);  // Clear without night
  EXPECT_EQ(Campaign::EvolveGround(4, 1, 1, 4), 2);  // Thick Fog on Dry
  EXPECT_EQ(Campaign::EvolveGround(1, 1, 1, 4), 1);
  EXPECT_EQ(RandomState(), before);
  // Snow on Dry without night: p = 0.15, one draw.
  for (uint32_t seed = 1; seed < 40; ++seed) {
    SeedRandom(seed);
    const float draw = RandomFloat();
    SeedRandom(seed);
    EXPECT_EQ(Campaign::EvolveGround(5, 1, 1, 0), draw < 0.15f ? 6 : 1);
  }
  // Rain every 3rd battle: p = 0.6.
  for (uint32_t seed = 1; seed < 20; ++seed) {
    SeedRandom(seed);
    const float draw = RandomFloat();
    SeedRandom(seed);
    EXPECT_EQ(Campaign::EvolveGround(2, 2, 2, 3), draw < 0.6f ? 3 : 2);
  }
}

TEST(CampaignPipeline, RecoveredVehiclesComeBackAsReinforcements) {
  OperationRig r;
  Campaign& c = r.C();
  c.nightEvery = 0;
  c.recovery[1] = 1;
  c.currentTurn = 3;
  TestVehicle* wreck = r.Vehicle(1, 300.0f, 300.0f);
  wreck->leaderName = 23;
  RegisterUnitMaker(1, MakeTestVehicle);
  int32_t made = 0;
  for (uint32_t seed = 1; seed < 60; ++seed) {
    SeedRandom(seed);
    c.ScheduleRecoveredVehicle(*wreck);
  }
  for (int32_t i = 0; i < c.reinforcements[1].Count(); ++i) {
    const ReinforcementGroup* group = c.GroupAt(1, i);
    EXPECT_GE(group->arrivalTurn, 3 + 8);
    EXPECT_LE(group->arrivalTurn, 3 + 12);
    EXPECT_FLOAT_EQ(group->chance, 0.7125f);
    ASSERT_EQ(group->units.Count(), 1);
    EXPECT_TRUE(static_cast<Unit*>(group->units.GetItem(0))->IsVehicle());
    // The same commander comes back with it.
    EXPECT_EQ(static_cast<Unit*>(group->units.GetItem(0))->leaderName, 23);
    ++made;
  }
  EXPECT_GT(made, 20);  // p = 0.625
  EXPECT_LT(made, 59);
  RegisterUnitMaker(1, nullptr);

  // A setting out of range recovers nothing and draws nothing.
  DropGroups(c, 1);
  c.recovery[1] = 7;
  const uint32_t before = RandomState();
  c.ScheduleRecoveredVehicle(*wreck);
  EXPECT_EQ(RandomState(), before);
  EXPECT_EQ(c.reinforcements[1].Count(), 0);
  c.recovery[1] = 1;

  // Without night nothing is ever recovered.
  DropGroups(c, 1);
  wreck->alive = 0;
  c.inSupply.Append(wreck);
  c.RecoverVehicles();
  EXPECT_TRUE(c.units.Contains(wreck));
  EXPECT_EQ(c.reinforcements[1].Count(), 0);
  // With a night battle just fought the wreck is taken away for recovery.
  c.nightEvery = 3;
  c.currentTurn = 4;  // battle 3 was at night
  c.RecoverVehicles();
  EXPECT_FALSE(c.units.Contains(wreck));
  EXPECT_EQ(c.inSupply.Count(), 0);
}

namespace {

// Real vehicles of class 0 (a plain tracked class) while the table lives.
class OneVehicleClass {
 public:
  OneVehicleClass() : kept_(gVehicleClasses), bytes_(VehicleData::kSize) {
    const int32_t tracked = 4;
    std::memcpy(bytes_.data() + 112, &tracked, 4);
    gVehicleClasses = DataTable<VehicleData>(bytes_.data(), static_cast<uint32_t>(bytes_.size()));
  }
  ~OneVehicleClass() { gVehicleClasses = kept_; }
  OneVehicleClass(const OneVehicleClass&) = delete;
  OneVehicleClass& operator=(const OneVehicleClass&) = delete;
  // A dead Allied vehicle of the operation at a point.
  static Vehicle* Wreck(Campaign& c, float x, float y) {
    auto* vehicle = new Vehicle();
    vehicle->x = x;
    vehicle->y = y;
    vehicle->side = 0;
    vehicle->alive = 0;
    c.units.Append(vehicle);
    c.inSupply.Append(vehicle);
    return vehicle;
  }

 private:
  DataTable<VehicleData> kept_;
  std::vector<uint8_t> bytes_;
};

}  // namespace

TEST(CampaignPipeline, WrecksOnFireOrOnTheEnemysGroundAreWrittenOff) {
  OperationRig r;
  Campaign& c = r.C();
  OneVehicleClass vehicles;
  c.map->SetZoneRect(1, 0, 80, 0, 80);   // Allied ground
  c.map->SetZoneRect(4, 40, 80, 0, 80);  // Axis ground from x = 800 m
  Vehicle* burning = OneVehicleClass::Wreck(c, 300.0f, 300.0f);
  burning->burning = 1;
  Vehicle* behind = OneVehicleClass::Wreck(c, 310.0f, 300.0f);
  Vehicle* beyond = OneVehicleClass::Wreck(c, 900.0f, 300.0f);
  Vehicle* abandoned = OneVehicleClass::Wreck(c, 320.0f, 300.0f);
  abandoned->abandoned = 1;
  Vehicle* running = OneVehicleClass::Wreck(c, 910.0f, 300.0f);
  running->alive = 1;
  // A gun team on the enemy's ground is lost; one on its own ground, or a squad, is not.
  TestInfantry* gunThere = r.Squad(1, 920.0f, 300.0f, 4, 4);
  TestInfantry* gunHere = r.Squad(1, 330.0f, 300.0f, 4, 4);
  TestInfantry* squadThere = r.Squad(1, 930.0f, 300.0f, 4, 4);
  for (TestInfantry* unit : {gunThere, gunHere, squadThere}) unit->alive = 0;
  gunThere->type234 = true;
  gunHere->type234 = true;
  SeedRandom(2);
  const uint32_t before = RandomState();
  c.MarkLostWrecks();
  EXPECT_EQ(RandomState(), before);
  // The fire is out and the wreck is written off, not lost on the enemy's ground.
  EXPECT_EQ(burning->burning, 0);
  EXPECT_EQ(burning->abandoned, 1);
  EXPECT_EQ(burning->knockedOut, 0);
  EXPECT_EQ(behind->abandoned, 0);
  EXPECT_EQ(behind->knockedOut, 0);
  EXPECT_EQ(beyond->abandoned, 1);
  EXPECT_EQ(beyond->knockedOut, 1);
  EXPECT_EQ(abandoned->knockedOut, 0);
  EXPECT_EQ(running->abandoned, 0);
  EXPECT_EQ(running->knockedOut, 0);
  EXPECT_EQ(gunThere->knockedOut, 1);
  EXPECT_EQ(gunHere->knockedOut, 0);
  EXPECT_EQ(squadThere->knockedOut, 0);

  // After a night battle only the wreck that was neither burning nor written off is taken
  // away for recovery (the setting recovers nothing, so no vehicle comes back).
  c.nightEvery = 3;
  c.currentTurn = 4;
  c.recovery[1] = 4;
  c.RecoverVehicles();
  EXPECT_FALSE(c.units.Contains(behind));
  for (Vehicle* kept : {burning, beyond, abandoned, running}) EXPECT_TRUE(c.units.Contains(kept));
  EXPECT_EQ(c.reinforcements[1].Count(), 0);
}

TEST(CampaignPipeline, LossesAreSettledBeforeTheNextBattle) {
  OperationRig r;
  Campaign& c = r.C();
  OneVehicleClass vehicles;
  Vehicle* wreck = OneVehicleClass::Wreck(c, 300.0f, 300.0f);
  wreck->losses = 3;
  Vehicle* running = OneVehicleClass::Wreck(c, 310.0f, 300.0f);
  running->alive = 1;
  running->losses = 2;
  EXPECT_EQ(wreck->GetBattleLosses(), 3);
  c.ResetUnits();
  // The wreck's crew and the wreck itself count in the battle it was lost in, and only
  // there; the running vehicle's crew is made good.
  EXPECT_EQ(wreck->GetBattleLosses(), 0);
  EXPECT_EQ(running->losses, 0);
  EXPECT_EQ(running->GetBattleLosses(), 0);
  Battle next(r.rig.headless.Host());
  next.TallyUnitResult(*wreck);
  EXPECT_EQ(next.results.losses[1][BattleResults::kVehicles], 0);
  EXPECT_EQ(next.results.losses[1][BattleResults::kCasualties], 0);
}

namespace {

// A unit whose discard test answers as told and remembers the units it was given.
class Discardable : public MobileSquad {
 public:
  bool UpdateLinksBetweenBattles(GGroup& goingOn) override {
    seen = &goingOn;
    return discard;
  }
  GGroup* seen = nullptr;
  bool discard = false;
};

}  // namespace

TEST(CampaignPipeline, TheUnitsOwnDiscardTestDecides) {
  OperationRig r;
  Campaign& c = r.C();
  auto* kept = new Discardable();
  auto* dropped = new Discardable();
  dropped->discard = true;
  for (Discardable* unit : {kept, dropped}) {
    unit->Setup(100.0f, 100.0f, 0.0f, 0, 2);
    c.units.Append(unit);
    c.cutOff.Append(unit);
  }
  c.DiscardUnits();
  EXPECT_EQ(kept->seen, &c.units);  // the operation's units are those that go on
  EXPECT_TRUE(c.units.Contains(kept));
  EXPECT_EQ(c.units.Count(), 1);
  EXPECT_EQ(c.cutOff.Count(), 1);
}

TEST(CampaignPipeline, ReservesByStrengthRatioThenByChance) {
  OperationRig r;
  Campaign& c = r.C();
  c.attacker = 1;
  SeedRandom(3);
  const uint32_t before = RandomState();
  // The attacker's thresholds 1.8, 1.4, 1.0; the defender's 2.0, 3.0, 4.0: no draw.
  EXPECT_TRUE(c.ReleaseReserve(1, 0, 17.0f, 10.0f, 0.0f));
  EXPECT_TRUE(c.ReleaseReserve(0, 0, 21.0f, 10.0f, 0.0f));
  EXPECT_TRUE(c.ReleaseReserve(0, 2, 41.0f, 10.0f, 0.0f));
  // A defender with nothing left: its reserve comes, the attacker's does not by the ratio.
  EXPECT_TRUE(c.ReleaseReserve(0, 2, 5.0f, 0.0f, 0.0f));
  EXPECT_FALSE(c.ReleaseReserve(1, 0, 5.0f, 0.0f, 1.0f));
  // A small reserve never comes by chance.
  EXPECT_FALSE(c.ReleaseReserve(1, 0, 19.0f, 10.0f, 14.0f));
  EXPECT_EQ(RandomState(), before);
  // A strong reserve: chance 1.0, 0.75, 0.5 by depth; both sides at 0 also draw.
  for (uint32_t seed = 1; seed < 30; ++seed) {
    for (int32_t k = 0; k < 3; ++k) {
      SeedRandom(seed);
      const float draw = RandomFloat();
      SeedRandom(seed);
      static constexpr float kChance[3] = {1.0f, 0.75f, 0.5f};
      EXPECT_EQ(c.ReleaseReserve(1, k, 19.0f, 10.0f, 15.0f), draw < kChance[k]);
      SeedRandom(seed);
      EXPECT_EQ(c.ReleaseReserve(0, k, 0.0f, 0.0f, 0.0f), draw < kChance[k]);
    }
  }

  // Only the first reserve of a side is examined per call.
  for (int32_t g = 0; g < 2; ++g) {
    auto* group = new ReinforcementGroup();
    group->Init(true);
    group->arrivalTurn = -1;
    group->units.Append(BattleTestRig::MakeUnit(0, 0, 0.0f, 0.0f));
    c.reinforcements[0].Append(group);
  }
  c.BringReinforcements();
  EXPECT_EQ(c.reinforcements[0].Count(), 1);
  EXPECT_EQ(c.units.Count(), 1);
  c.BringReinforcements();
  EXPECT_EQ(c.reinforcements[0].Count(), 0);
  EXPECT_EQ(c.units.Count(), 2);
}

namespace {

// A stored three-battle operation with squads of both sides, one Axis squad beyond the first
// battle's window.
std::string ThreeBattleOperation(BattleTestRig& rig, int32_t nightEvery = 0, int32_t openingSlot = 0) {
  Campaign campaign(rig.headless.Host(), &rig.headless);
  rig.headless.Host().InPlay().SetCampaign(&campaign);
  campaign.SetUp(nullptr);
  campaign.lastTurn = 3;
  campaign.nightEvery = nightEvery;
  campaign.openingSlot = openingSlot;
  const float spots[][3] = {{1, 100.0f, 300.0f}, {1, 160.0f, 700.0f}, {1, 300.0f, 1000.0f},
                            {0, 800.0f, 400.0f}, {0, 950.0f, 900.0f}, {0, 1450.0f, 600.0f}};
  int32_t number = 1;
  for (const auto& spot : spots) {
    auto* squad = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, static_cast<int32_t>(spot[0]), spot[1], spot[2]));
    squad->men = 10;
    squad->losses = number % 3;
    squad->squad = true;
    squad->SetDesignation(1, number++);
    campaign.units.Append(squad);
  }
  GMemoryFile out;
  campaign.Write(out.File());
  rig.headless.Host().InPlay().SetCampaign(nullptr);
  EXPECT_FALSE(out.File().HasError());
  return out.Bytes();
}

// Plays the operation through: each battle ends at once, its results count, the pipeline
// runs and the next battle starts. With saveAfter, the operation is saved after that
// battle's pipeline and the game goes on from the reloaded bytes. The digests after each
// results and each pipeline.
std::vector<uint32_t> PlayThrough(BattleTestRig& rig, const std::string& bytes, int32_t saveAfter) {
  std::vector<uint32_t> digests;
  SeedRandom(77);
  EXPECT_TRUE(rig.headless.LoadOperationBytes(bytes));
  for (int32_t n = 1; n <= 5; ++n) {
    Battle* battle = rig.headless.GetBattle();
    if (battle == nullptr) break;
    battle->currentTurn = battle->lastTurn + 1;
    battle->CheckForEnd(false);
    digests.push_back(rig.headless.Digest());
    EXPECT_TRUE(rig.headless.AdvanceOperation(static_cast<uint16_t>(100 + n)));
    EXPECT_EQ(rig.headless.GetBattle(), nullptr);
    digests.push_back(rig.headless.Digest());
    if (n == saveAfter) {
      std::string saved;
      EXPECT_TRUE(rig.headless.SaveOperationBytes(saved));
      const uint32_t generator = RandomState();
      SeedRandom(generator);
      EXPECT_TRUE(rig.headless.LoadOperationBytes(saved));
    } else if (!rig.headless.StartNextOperationBattle()) {
      break;
    }
  }
  return digests;
}

}  // namespace

TEST(CampaignPipeline, AThreeBattleOperationPlaysThroughTheSameEveryTime) {
  BattleTestRig rig;
  const std::string bytes = ThreeBattleOperation(rig);
  const std::vector<uint32_t> first = PlayThrough(rig, bytes, -1);
  ASSERT_EQ(first.size(), 6u);
  Campaign* campaign = rig.headless.GetCampaign();
  ASSERT_NE(campaign, nullptr);
  EXPECT_TRUE(campaign->IsOver());
  EXPECT_EQ(campaign->currentTurn, 4);
  // Every squad came back to the operation; nothing is left in the lists.
  EXPECT_EQ(campaign->units.Count(), 6);
  EXPECT_EQ(campaign->inSupply.Count(), 0);
  EXPECT_EQ(campaign->cutOff.Count(), 0);
  EXPECT_FALSE(rig.headless.StartNextOperationBattle());

  EXPECT_EQ(PlayThrough(rig, bytes, -1), first);
  // A save between battles reloads and goes on as the unbroken game.
  EXPECT_EQ(PlayThrough(rig, bytes, 1), first);
}

namespace {

// The battle screen as far as the night question goes: the alerts it is asked to show.
class AlertLog : public BattleKeyHost {
 public:
  int32_t GetNetworkState() const override { return 0; }
  bool IsOrdersClockEnabled() const override { return false; }
  bool IsOrdersClockRunning() const override { return false; }
  bool IsPaused() const override { return false; }
  void SetPaused(bool) override {}
  void ToggleInfoBalloon() override {}
  void SaveGame() override {}
  void ShowAlert(int32_t alertCase) override { alerts.push_back(alertCase); }
  void SwitchSides() override {}
  bool HasBriefing(int32_t) const override { return false; }
  void ShowBriefing(int32_t) override {}
  bool HasBattlefieldView() const override { return true; }
  bool IsBattlefieldViewVisible() const override { return true; }
  std::vector<int32_t> alerts;
};

}  // namespace

TEST(CampaignNight, TheSideToPlayIsAskedAndANightNobodySeeksIsSkipped) {
  BattleTestRig rig;
  // Night every second battle from opening slot 1: the first battle is fought at night. The
  // Axis player (side 0, on this machine) may open it; the computer's Allies may not.
  const std::string bytes = ThreeBattleOperation(rig, 2, 1);
  for (const int32_t answer : {17, 18}) {
    SCOPED_TRACE(answer);
    ASSERT_TRUE(rig.headless.LoadOperationBytes(bytes));
    Campaign& operation = *rig.headless.GetCampaign();
    Battle& battle = *rig.headless.GetBattle();
    AlertLog screen;
    battle.keyHost = &screen;
    ASSERT_EQ(battle.timeOfDay, 2);
    EXPECT_EQ(operation.nightIntent[0], 0);
    EXPECT_EQ(operation.nightIntent[1], 1);
    // GO asks the question and goes no further.
    battle.DoCommand(9);
    EXPECT_EQ(screen.alerts, std::vector<int32_t>{18});
    EXPECT_EQ(operation.nightIntent[0], 1);
    EXPECT_NE(battle.setupPhase, 0);
    // Yes (command 17) seeks the night action and the battle begins; no (GO again) leaves
    // nobody seeking it, and the night battle is over before it began.
    battle.DoCommand(answer);
    EXPECT_EQ(screen.alerts.size(), 1u);
    EXPECT_EQ(battle.setupPhase, 0);
    if (answer == 17) {
      EXPECT_EQ(operation.nightIntent[0], 2);
      EXPECT_EQ(battle.currentTurn, 1);
      EXPECT_FALSE(battle.IsOver());
    } else {
      EXPECT_EQ(operation.nightIntent[0], 1);
      EXPECT_EQ(battle.currentTurn, battle.lastTurn + 1);
      EXPECT_TRUE(battle.IsOver());
      EXPECT_NE(rig.headless.GetResults(), nullptr);
    }
    battle.keyHost = nullptr;
  }
}
