// Squads of the built-in tables fighting inside a whole battle: hits reach the squad's own
// damage rules through the shot step, and a seeded turn of twenty squads computes alike twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/GDynamicArray.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/BattleServices.h"
#include "game/battle/BattleShot.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/Packet.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/ShotObserver.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/map/TraceLineCounter.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/records/Shot.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "support/TestFolder.h"

namespace {

// The first rifle squad of the tables: a squad class of eight men or more, no crew weapon,
// small arms reaching 300 m.
int32_t FindRifleSquad() {
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData c = gInfantryClasses[i];
    if (c.IsSquad() == 0 || c.MainWeapon() != Infantry::kNoWeapon || c.Men() < 8 || c.LeaderLevel() != 0) continue;
    const int32_t arms = c.SlotSmallArms(0);
    if (!gSmallArms.IsValid(arms) || gSmallArms[arms].MaxRange() < 300) continue;
    return i;
  }
  return -1;
}

struct InfantryBattleRig {
  InfantryBattleRig() {
    Hack::LoadTables();
    Infantry::Register();
    headless.New();
    squadClass = FindRifleSquad();
  }
  ~InfantryBattleRig() {
    for (int32_t kind = 0; kind < 4; ++kind) {
      RegisterUnitMaker(kind, nullptr);
      RegisterBlankUnitMaker(kind, nullptr);
    }
  }
  Battle& B() { return *headless.GetBattle(); }

  // A squad of a side index (0 Axis) on the battle's map, facing the other side.
  Infantry* AddSquad(int32_t sideIndex, float x, float y) {
    auto* squad = new Infantry();
    squad->Init(squadClass, sideIndex == 0 ? 6 : 0, 2, x, y, sideIndex == 0 ? 90.0f : 270.0f);
    squad->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(squad, x, y);
    return squad;
  }
  // Ten squads a side in two lines 150 m apart, from one seed.
  std::vector<Infantry*> TwoLines(uint32_t seed) {
    SeedRandom(seed);
    std::vector<Infantry*> squads;
    for (int32_t i = 0; i < 10; ++i) {
      const auto dx = static_cast<float>(i) * 30.0f;
      squads.push_back(AddSquad(0, 250.0f + dx, 300.0f));
      squads.push_back(AddSquad(1, 250.0f + dx, 450.0f));
    }
    return squads;
  }

  DataTablesRig tables;
  TestFolder logFolder{true};
  HeadlessBattle headless;
  int32_t squadClass = -1;
};

int32_t MenLost(const std::vector<Infantry*>& squads) {
  int32_t lost = 0;
  for (const Infantry* s : squads) lost += s->losses;
  return lost;
}

}  // namespace

TEST(InfantryBattle, BlastAndSmallArmsHitsReachTheSquadsOwnDamage) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Battle& battle = rig.B();
  Infantry* target = rig.AddSquad(1, 400.0f, 400.0f);
  Infantry* firer = rig.AddSquad(0, 400.0f, 300.0f);
  SeedRandom(77);
  battle.currentSlice = 10;

  // A heavy blast right on the squad: casualties and shock, no stop.
  BattleShot blast;
  blast.kind = 0;
  blast.storedStrength = 100.0f;
  blast.shooter = firer;
  blast.side = firer->side;
  blast.startX = firer->x;
  blast.startY = firer->y;
  blast.startZ = firer->GetBaseHeight();
  blast.impactX = target->x + 1.0f;
  blast.impactY = target->y;
  blast.impactZ = target->GetBaseHeight();
  const float calm = target->suppression;
  battle.StepShot(blast);

  EXPECT_GT(target->suppression, calm);

  // A small-arms burst at point-blank range from a full squad: with the close-range dice it
  // takes men over a few bursts.
  const int32_t before = target->GetMenPresent();
  for (int32_t i = 0; i < 40 && target->IsAlive() && target->GetMenPresent() == before; ++i) {
    BattleShot burst;
    burst.fromUnit = true;
    burst.shooter = firer;
    burst.round.shooter = firer;
    burst.round.targetUnit = target;
    burst.round.smallArms = 1;
    burst.round.firepower = 400.0f;
    burst.round.closeRangeBonus = 35;
    burst.startX = target->x;
    burst.startY = target->y - 5.0f;
    burst.startZ = target->GetBaseHeight() + 1.0f;
    battle.StepShot(burst);
  }
  EXPECT_LT(target->GetMenPresent(), before);
}

TEST(InfantryBattle, TwentySquadsFightATurnAlikeTwiceFromOneSeed) {
  uint32_t digest[2] = {0, 0};
  uint32_t state[2] = {0, 0};
  int32_t lost[2] = {0, 0};
  int32_t packets[2] = {0, 0};
  int32_t shots[2] = {0, 0};
  int32_t identified[2] = {0, 0};
  for (int32_t run = 0; run < 2; ++run) {
    InfantryBattleRig rig;
    ASSERT_GE(rig.squadClass, 0);
    std::vector<Infantry*> squads = rig.TwoLines(4321);
    rig.B().ComputeAction(true);
    // The record, played to its end, leaves every squad as the action did.
    rig.B().FinishRecord();
    state[run] = RandomState();
    digest[run] = rig.headless.Digest();
    lost[run] = MenLost(squads);
    packets[run] = rig.B().packets.Count();
    shots[run] = rig.B().shotsRun;
    for (const Infantry* q : squads) identified[run] += q->identificationLevel;
  }
  EXPECT_EQ(digest[0], digest[1]);
  EXPECT_EQ(state[0], state[1]);
  EXPECT_EQ(lost[0], lost[1]);
  EXPECT_EQ(packets[0], packets[1]);
  EXPECT_EQ(shots[0], shots[1]);
  // The two lines in the open 150 m apart make each other out and trade fire: the squads'
  // aim and fire timers pace it at a burst every few seconds, each from the squad's own
  // rounds, and in the open men fall fast.
  EXPECT_EQ(identified[0], 80);
  EXPECT_EQ(shots[0], 312);
  EXPECT_EQ(lost[0], 109);
}

TEST(InfantryBattle, TheSquadSeesTheShotsKindSourceAndSecondImpact) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  auto* squad = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 1, 200.0f, 200.0f));
  auto* firer = static_cast<TestInfantry*>(BattleTestRig::MakeUnit(0, 0, 200.0f, 100.0f));
  battle.PlaceUnitAt(squad, squad->x, squad->y);
  battle.PlaceUnitAt(firer, firer->x, firer->y);
  squad->side = 0;
  firer->side = 1;

  // A stored blast with no unit behind it: kind 0, its second value as the extra dice, no
  // source to turn toward.
  BattleShot blast;
  blast.kind = 0;
  blast.storedStrength = 60.0f;
  blast.storedAux = 3;
  blast.side = 1;
  blast.startX = blast.impactX = 202.0f;
  blast.startY = blast.impactY = 200.0f;
  blast.startZ = blast.impactZ = squad->GetBaseHeight();
  battle.ApplyBlast(blast);
  ASSERT_EQ(squad->damageCalls, 1);
  EXPECT_EQ(squad->lastShotKind, 0);
  EXPECT_EQ(squad->lastExtraRolls, 3);
  EXPECT_EQ(squad->lastSourceFlag, 0);
  EXPECT_EQ(squad->lastSecondImpact, 0);
  EXPECT_GT(squad->lastDamage, 0.0f);
  EXPECT_LT(squad->lastDamage, 60.0f);  // the falloff over the spread-out squad

  // Small arms from a unit: kind 2, the close-range bonus as the extra dice, the firer as the
  // source; the firer's own side is spared.
  BattleShot burst;
  burst.fromUnit = true;
  burst.shooter = firer;
  burst.round.shooter = firer;
  burst.round.targetUnit = squad;
  burst.round.smallArms = 1;
  burst.round.firepower = 100.0f;
  burst.round.closeRangeBonus = 12;
  burst.startX = firer->x;
  burst.startY = firer->y;
  burst.startZ = firer->GetBaseHeight() + 1.0f;
  // Facing the firer first, then side on.
  float front = 0.0f;
  for (float f : {0.0f, 90.0f, 180.0f, 270.0f}) {
    if (squad->AngleToPoint(f, firer->x, firer->y, true) < squad->AngleToPoint(front, firer->x, firer->y, true)) {
      front = f;
    }
  }
  squad->facing = front;
  battle.StepShot(burst);
  ASSERT_EQ(squad->damageCalls, 2);
  EXPECT_EQ(squad->lastShotKind, 2);
  EXPECT_EQ(squad->lastExtraRolls, 12);
  EXPECT_EQ(squad->lastSourceFlag, 1);
  // At most a fifth of the firepower head on (less when partly hidden)...
  const float headOn = squad->lastDamage;
  EXPECT_GT(headOn, 0.0f);
  EXPECT_LE(headOn, 20.0f);
  // ...and half as much again caught side on.
  squad->facing = front + 90.0f;
  battle.StepShot(burst);
  EXPECT_FLOAT_EQ(squad->lastDamage, headOn * 1.5f);
  EXPECT_EQ(firer->damageCalls, 0);
}

TEST(InfantryBattle, CyclingPassesAHalfSquadWhoseDeadFiguresNoLongerShow) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Infantry* whole = rig.AddSquad(0, 300.0f, 300.0f);
  Infantry* half = rig.AddSquad(0, 320.0f, 300.0f);
  Infantry* next = rig.AddSquad(0, 340.0f, 300.0f);
  half->parentUnit = whole;
  half->alive = 0;
  ASSERT_TRUE(half->HidesDeadFigure());
  Battle& b = rig.B();
  b.SelectUnit(whole);
  b.SelectNextOwnUnit(true);
  EXPECT_EQ(b.selectedUnit, next);
  // Selected when it went, it is dropped before the next key.
  b.selectedUnit = half;
  b.DropUnshowableSelection();
  EXPECT_EQ(b.selectedUnit, nullptr);
  // A dead squad of its own still shows and may be picked.
  half->parentUnit = nullptr;
  b.SelectUnit(whole);
  b.SelectNextOwnUnit(true);
  EXPECT_EQ(b.selectedUnit, half);
}

namespace {

struct AdvanceRecord {
  std::string packets;
  // The sight pairs kept at the end of the action, entry by entry.
  std::string sightPairs;
  std::string stored;
  uint32_t generator = 0;
  int64_t traces = 0;
  int32_t lost = 0;
  int32_t shots = 0;
};

// The battle two runs played: its packets, stored form, generator and fighting, all alike.
void ExpectSameBattle(const AdvanceRecord& run, const AdvanceRecord& reference) {
  EXPECT_EQ(run.packets, reference.packets);
  EXPECT_EQ(run.stored, reference.stored);
  EXPECT_EQ(run.generator, reference.generator);
  EXPECT_EQ(run.lost, reference.lost);
  EXPECT_EQ(run.shots, reference.shots);
}

// Ten squads a side 400 m apart, every other one advancing on the enemy, through one turn and
// its replay; target choice passes over candidates whose sight lines would lapse unread, or not,
// and weighs candidates beyond its weapons' reach in full, or not.
AdvanceRecord AdvanceAndFight(bool passOverLapsedLines, bool passOverBeyondReach = true) {
  const bool kept = AITargeting::gPassOverLapsedLines;
  const bool keptReach = AITargeting::gPassOverBeyondReach;
  AITargeting::gPassOverLapsedLines = passOverLapsedLines;
  AITargeting::gPassOverBeyondReach = passOverBeyondReach;
  InfantryBattleRig rig;
  AdvanceRecord record;
  if (rig.squadClass < 0) return record;
  SeedRandom(2468);
  std::vector<Infantry*> squads;
  for (int32_t i = 0; i < 10; ++i) {
    const float x = 250.0f + static_cast<float>(i) * 30.0f;
    Infantry* south = rig.AddSquad(0, x, 250.0f);
    Infantry* north = rig.AddSquad(1, x, 650.0f);
    if (i % 2 == 1) {
      south->AddWaypoint(x, 430.0f, kOrderFastMove, true);
      north->AddWaypoint(x, 470.0f, kOrderFastMove, true);
    }
    squads.push_back(south);
    squads.push_back(north);
  }
  const int64_t traced = TraceLineCounter::calls;
  rig.B().ComputeAction(true);
  record.traces = TraceLineCounter::calls - traced;
  if (const auto* pairs = static_cast<const GDynamicArray*>(rig.B().GetMap()->display.pairVisibility)) {
    record.sightPairs.resize(static_cast<size_t>(pairs->Count()) * 4);
    pairs->CopyDataTo(record.sightPairs.data());
  }
  GMemoryFile packets;
  rig.B().WritePackets(packets.File());
  record.packets = packets.Bytes();
  rig.B().FinishRecord();
  record.generator = RandomState();
  rig.headless.SaveBytes(record.stored);
  record.lost = MenLost(squads);
  record.shots = rig.B().shotsRun;
  AITargeting::gPassOverLapsedLines = kept;
  AITargeting::gPassOverBeyondReach = keptReach;
  return record;
}

}  // namespace

// A candidate refused without a line of sight (out of range or of the chooser's arc) is passed
// over untraced while one of the two moves: the packets, the draws, the stored battle and the
// fighting are the same as when every such line is traced, and fewer lines are traced (riflemen
// fire on the move at any range, so fewer candidates lapse than when only the halted fired).
TEST(InfantryBattle, PassingOverLapsedSightLinesChangesNothingButTheTraces) {
  const AdvanceRecord traced = AdvanceAndFight(false);
  const AdvanceRecord passed = AdvanceAndFight(true);
  ASSERT_FALSE(traced.packets.empty());
  ExpectSameBattle(passed, traced);
  // The lines meet and fight; some candidates are out of reach or arc some of the turn.
  EXPECT_GT(traced.shots, 0);
  EXPECT_GT(traced.lost, 0);
  EXPECT_LT(passed.traces, traced.traces) << passed.traces << " of " << traced.traces;
}

// A candidate beyond the chooser's reach is refused without being weighed, but looked at exactly
// where the filter would look: the same lines are traced, the same sight pairs kept, and the
// battle is the same.
TEST(InfantryBattle, CandidatesBeyondReachAreLookedAtAsBeforeAndChangeNothing) {
  const AdvanceRecord weighed = AdvanceAndFight(true, false);
  const AdvanceRecord skipped = AdvanceAndFight(true, true);
  ASSERT_FALSE(weighed.sightPairs.empty());
  EXPECT_TRUE(skipped.sightPairs == weighed.sightPairs);
  EXPECT_EQ(skipped.traces, weighed.traces);
  ExpectSameBattle(skipped, weighed);
  EXPECT_GT(weighed.shots, 0);
}

// A split half never has its lines passed over: rejoining its partner at the next turn it takes
// the earlier of their last moving slices, which could bring a lapsed entry back into use.
TEST(InfantryBattle, ASplitHalfStillTracesTheLinesItWouldPassOver) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Infantry* chooser = rig.AddSquad(0, 300.0f, 100.0f);
  Infantry* partner = rig.AddSquad(0, 310.0f, 100.0f);
  Infantry* behind = rig.AddSquad(1, 300.0f, 400.0f);
  behind->identificationLevel = 2;
  rig.B().currentSlice = 50;
  chooser->LineOfSightTo(*partner);  // the first store makes the pair grid
  ASSERT_GT(rig.B().map->VisibilityCacheSize(), 0);
  // Moving away from the enemy: it is out of the chooser's arc.
  chooser->activityState = Infantry::kMove;
  chooser->facing = 270.0f;
  chooser->lastMovingSlice = 50;
  const auto traces = [chooser] {
    const int64_t before = TraceLineCounter::calls;
    chooser->ChooseTarget(true);
    return TraceLineCounter::calls - before;
  };
  EXPECT_EQ(traces(), 0);
  chooser->linkedHalf = partner;
  EXPECT_EQ(traces(), 1);
  EXPECT_EQ(chooser->target, nullptr);
  chooser->linkedHalf = nullptr;
}

// ---- The battle as played: flags, exits, arrivals and command ----

namespace {

// The first leader class of the tables able to command squads (level 2 or more).
int32_t FindCompanyLeader() {
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    if (gInfantryClasses[i].LeaderLevel() >= 2) return i;
  }
  return -1;
}

}  // namespace

TEST(BattleAsPlayed, ASquadTakingTheFlagTakesTheScore) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Battle& battle = rig.B();
  ASSERT_EQ(battle.flags.Count(), 1);  // the new battle's large flag at the map's centre
  const VictoryFlag& flag = *battle.FlagAt(0);
  Infantry* axis = rig.AddSquad(0, flag.x + 10.0f, flag.y);
  rig.AddSquad(1, flag.x, flag.y + 400.0f);
  float share[2] = {};
  battle.ComputeScoreShares(false, &share[0], &share[1]);
  EXPECT_EQ(flag.contested, 0);
  EXPECT_EQ(flag.holder, 0);
  EXPECT_GT(share[0], 0.5f);
  EXPECT_EQ(share[1], 0.0f);
  // Driven off, the squad leaves the flag to nobody and the score with it.
  axis->SetPosition(flag.x - 300.0f, flag.y);
  battle.ComputeScoreShares(false, &share[0], &share[1]);
  EXPECT_EQ(flag.contested, 1);
  EXPECT_EQ(share[0], 0.0f);
}

TEST(BattleAsPlayed, AUnitLeavingByItsExitEdgeScores) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Battle& battle = rig.B();
  battle.flags.DeleteAll(true);
  battle.exitScoring[0] = 1;
  battle.exitEdge[0] = 2;  // the Axis leave east
  const float width = battle.map->size.worldWidth;
  Infantry* out = rig.AddSquad(0, width - 5.0f, 300.0f);
  Infantry* west = rig.AddSquad(0, 5.0f, 300.0f);
  rig.AddSquad(1, 300.0f, 600.0f);
  float share[2] = {};
  battle.ComputeScoreShares(false, &share[0], &share[1]);
  EXPECT_EQ(share[0], 0.0f);  // the exit points are the other side's until earned

  out->SetPosition(width + 1.0f, 300.0f);
  out->LeaveBattlefield(false);
  west->SetPosition(-1.0f, 300.0f);
  west->LeaveBattlefield(false);
  EXPECT_EQ(out->status, 2);
  EXPECT_EQ(west->status, 1);  // not its exit edge: gone, and no points
  battle.ComputeScoreShares(false, &share[0], &share[1]);
  EXPECT_GT(share[0], 0.0f);
  EXPECT_LT(share[0], 1.0f);
}

TEST(BattleAsPlayed, ReinforcementsOfAGroupNeverShareAPoint) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Battle& battle = rig.B();
  auto* group = new ReinforcementGroup();
  group->Init(false);
  group->arrivalTurn = 2;
  group->chance = 1.0f;
  group->entryX = 100.0f;
  group->entryY = 100.0f;
  for (int32_t i = 0; i < 6; ++i) {
    auto* squad = new Infantry();
    squad->Init(rig.squadClass, 0, 2, 0.0f, 0.0f, 0.0f);
    squad->side = 0;
    group->units.Append(squad);
  }
  battle.reinforcements[1].Append(group);
  battle.currentTurn = 2;
  battle.BringReinforcements();
  ASSERT_EQ(battle.UnitCount(), 6);
  const float cx = battle.map->size.worldWidth * 0.5f;
  const float cy = battle.map->size.worldHeight * 0.5f;
  for (int32_t i = 0; i < 6; ++i) {
    const Unit& a = *battle.UnitAt(i);
    EXPECT_LT(a.DistanceToPoint(100.0f, 100.0f), 400.0f) << i;
    // Facing the map's centre.
    const float bearing = std::atan2(cy - a.y, cx - a.x) * 57.29578f;
    EXPECT_NEAR(a.facing, bearing < 0.0f ? bearing + 360.0f : bearing, 0.01f) << i;
    for (int32_t j = i + 1; j < 6; ++j) {
      const Unit& b = *battle.UnitAt(j);
      EXPECT_FALSE(a.x == b.x && a.y == b.y) << i << " " << j;
    }
  }
}

TEST(BattleAsPlayed, ASquadOutOfItsLeadersReachLosesCommand) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  const int32_t leaderClass = FindCompanyLeader();
  ASSERT_GE(leaderClass, 0);
  Battle& battle = rig.B();
  auto* leader = new Infantry();
  leader->Init(leaderClass, 6, 2, 300.0f, 300.0f, 90.0f);
  leader->side = 1;
  battle.PlaceUnitAt(leader, 300.0f, 300.0f);
  Infantry* near = rig.AddSquad(0, 320.0f, 300.0f);
  Infantry* far = rig.AddSquad(0, 300.0f, 900.0f);
  // The screen opens (headless: the battle is prepared): a squad in reach is taken over.
  battle.RefreshUnitDisplays();
  EXPECT_EQ(near->commandingLeader, leader);
  EXPECT_EQ(far->commandingLeader, nullptr);
  // During the action the search runs again: the squad that moved away loses its leader.
  near->SetPosition(300.0f, 1200.0f);
  rig.headless.Go(1);  // the set-up GO
  rig.headless.Go(2);  // the first action
  EXPECT_EQ(near->commandingLeader, nullptr);
}

namespace {

// The moments (seconds from the order) at which the spotter's battery fired, over whole
// turns played as the game plays them, after the player picked a point in sight for it.
class BatteryRounds final : public ShotObserver {
 public:
  BatteryRounds(const Battle& battle, const Unit& spotter) : battle_(battle), spotter_(spotter) {}
  void ShotFiled(const Shot& shot) override {
    if (shot.shooter != &spotter_) return;
    EXPECT_EQ(shot.fireType, 5);
    times.push_back(60.0f * static_cast<float>(turn) + static_cast<float>(battle_.currentSlice) / 40.0f);
  }
  int32_t turn = 0;
  std::vector<float> times;

 private:
  const Battle& battle_;
  const Unit& spotter_;
};

std::vector<float> CallBattery(int32_t rating, int32_t& ammoLeft) {
  InfantryBattleRig rig;
  Battle& battle = rig.B();
  battle.setupPhase = 0;
  // The German observer of the tables with his 10.5 cm field battery, and an enemy squad far
  // out of reach so that the battle goes on.
  SeedRandom(31);
  auto* spotter = new Infantry();
  spotter->Init(11, 6, rating, 300.0f, 150.0f, 90.0f);
  spotter->side = 1;
  battle.PlaceUnitAt(spotter, spotter->x, spotter->y);
  rig.AddSquad(1, 1500.0f, 1500.0f);
  EXPECT_TRUE(spotter->IsArtillerySpotter());
  EXPECT_TRUE(spotter->LineOfSightToPoint(300.0f, 800.0f));
  // The player's order: the spotter selected, a point of open ground 650 m off picked.
  battle.selectedUnit = spotter;
  battle.map->orders.hovered = nullptr;
  battle.map->orders.pickX = 300.0f;
  battle.map->orders.pickY = 800.0f;
  battle.SetTargetFromPick();
  EXPECT_EQ(spotter->areaFire, 1);
  BatteryRounds rounds(battle, *spotter);
  rig.headless.Host().Services().SetShotObserver(&rounds);
  for (; rounds.turn < 4 && !battle.IsOver(); ++rounds.turn) {
    rig.headless.Go(static_cast<uint16_t>(40 + rounds.turn));
    rig.headless.NextTurn();
  }
  rig.headless.Host().Services().SetShotObserver(nullptr);
  ammoLeft = spotter->ammo[0];
  EXPECT_EQ(spotter->areaFire, 0) << "the fire mission ends with the rounds";
  return rounds.times;
}

}  // namespace

TEST(InfantryBattle, AnObserversBatteryRangesInThenFiresItsBarrageAfterItsRatingsDelay) {
  // A regular observer calls his light battery in 120 s, a crack one (rating 4) in 84 s; the
  // wait varies by a fifth either way. One ranging round as the wait passes a minute and one
  // as it passes half a minute, then the rest of the battery's 32 rounds at once.
  for (const auto& [rating, delay] : {std::pair<int32_t, float>{2, 120.0f}, {4, 84.0f}}) {
    int32_t ammoLeft = -1;
    const std::vector<float> times = CallBattery(rating, ammoLeft);
    ASSERT_EQ(static_cast<int32_t>(times.size()), 32) << rating;
    EXPECT_EQ(ammoLeft, 0);
    const float barrage = times[2];
    EXPECT_GE(barrage, delay * 0.8f) << rating;
    EXPECT_LE(barrage, delay * 1.2f) << rating;
    EXPECT_NEAR(times[0], barrage - 59.5f, 0.25f) << rating;
    EXPECT_NEAR(times[1], barrage - 29.5f, 0.25f) << rating;
    EXPECT_NEAR(times.back(), barrage, 0.25f) << rating;
  }
}

TEST(InfantryBattle, InfantrySmokeLandsShortOfTheTargetItSees) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Infantry* firer = rig.AddSquad(0, 300.0f, 300.0f);
  Infantry* enemy = rig.AddSquad(1, 300.0f, 450.0f);
  enemy->identificationLevel = 4;
  enemy->facing = 270.0f;  // toward the firer
  firer->ammo[4] = 4;
  firer->ammoKind = 4;
  SeedRandom(5);
  AITargeting::ChooseTarget(*firer, true);
  ASSERT_EQ(firer->areaFire, 1);
  // The screen goes down 8 m in front of the enemy, between it and the firer.
  EXPECT_NEAR(firer->targetX, 300.0f, 0.01f);
  EXPECT_NEAR(firer->targetY, 442.0f, 0.01f);
}

// Wire set up on the ground a squad is ordered over enters the ground at the set-up GO: the
// squad crosses it at the wire's pace, its twin in the open at its own. Saved after the GO and
// read back, the battle has the same ground (the wire stamped once, not twice over).
TEST(BattleAsPlayed, WireSetUpInASquadsWaySlowsItByTheWiresFactor) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  Inanimate::Register();
  Battle& battle = rig.B();
  ASSERT_EQ(battle.setupPhase, 1);
  // Three wires side by side: a field 18 m across x and 20 m along y around (300, 300).
  for (float x : {294.0f, 300.0f, 306.0f}) {
    auto* wire = new Inanimate();
    wire->Init(Inanimate::kWire, 0, x, 300.0f, 0.0f);
    battle.PlaceUnitAt(wire, x, 300.0f);
  }
  Infantry* wired = rig.AddSquad(0, 300.0f, 299.0f);
  Infantry* open = rig.AddSquad(0, 500.0f, 299.0f);
  rig.headless.Go(11);
  ASSERT_EQ(battle.setupPhase, 0);
  const MapGrid<uint16_t>& grid = battle.map->terrain.fineGrid;
  const std::vector<uint16_t> stamped(grid.Data(), grid.Data() + grid.Width() * grid.Height());
  std::string saved;
  ASSERT_TRUE(rig.headless.SaveBytes(saved));

  wired->AddWaypoint(300.0f, 307.0f, kOrderFastMove, true);
  open->AddWaypoint(500.0f, 500.0f, kOrderFastMove, true);
  rig.headless.Go(12);
  const float inWire = std::hypot(wired->x - 300.0f, wired->y - 299.0f);
  const float inOpen = std::hypot(open->x - 500.0f, open->y - 299.0f);
  ASSERT_GT(inOpen, 30.0f);
  // Through the minute the squad in the wire makes a few metres where its twin makes ninety,
  // and its pace ends at the wire's factor of the twin's.
  EXPECT_LT(inWire / inOpen, 0.07f) << inWire << " m in the wire, " << inOpen << " m in the open";
  EXPECT_NEAR(wired->speed / open->speed, 0.035f, 0.001f);

  ASSERT_TRUE(rig.headless.LoadBytes(saved));
  const MapGrid<uint16_t>& fine = std::as_const(*rig.B().map).terrain.fineGrid;
  EXPECT_TRUE(std::equal(stamped.begin(), stamped.end(), fine.Data(), fine.Data() + fine.Width() * fine.Height()));
}

// A saved battle reads back with each squad's figures in the posture of its state: the squad
// ordered to hide is drawn hiding, the one beside it standing.
TEST(InfantryBattle, ASquadSavedHidingIsReadBackHiding) {
  InfantryBattleRig rig;
  ASSERT_GE(rig.squadClass, 0);
  rig.AddSquad(0, 300.0f, 300.0f)->flagBytes[Unit::kHoldFlag] = 1;
  rig.AddSquad(0, 340.0f, 300.0f);
  std::string stored;
  ASSERT_TRUE(rig.headless.SaveBytes(stored));
  ASSERT_TRUE(rig.headless.LoadBytes(stored));
  std::vector<int32_t> postures;
  for (int32_t i = 0; i < rig.B().units.Count(); ++i) {
    const auto* squad = dynamic_cast<const Infantry*>(rig.B().UnitAt(i));
    if (squad == nullptr) continue;
    for (int32_t posture : squad->figurePosture) EXPECT_EQ(posture, squad->flagBytes[Unit::kHoldFlag] != 0 ? 5 : 2);
    postures.push_back(squad->figurePosture[0]);
  }
  EXPECT_EQ(postures, (std::vector<int32_t>{5, 2}));
}
