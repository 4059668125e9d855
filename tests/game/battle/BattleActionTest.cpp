// The action phase and shots: the slice loop and its periodic work counted, the tail of late
// shots, smoke, tree bursts, blasts, the danger spread, the quiet counters and a whole turn
// run twice from one seed.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/BattleShot.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Packet.h"
#include "game/battle/QuietReplayScreen.h"
#include "game/map/Map.h"
#include "game/map/SmokeCloud.h"
#include "game/units/records/Shot.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/units/ports/UnitServices.h"

namespace {

// An infantry unit that counts its slice steps and tail steps and can act at one slice.
class CountingUnit : public TestInfantry {
 public:
  void StepSlice(int32_t slice) override {
    ++steps;
    if (slice == actAt && act) act(slice);
  }
  void RefreshTarget(bool inTail) override { ++(inTail ? tailSteps : afterLastSlice); }
  void ApplyShock(int32_t) override { ++shocks; }

  int32_t steps = 0;
  int32_t afterLastSlice = 0;
  int32_t tailSteps = 0;
  int32_t shocks = 0;
  int32_t actAt = -1;
  std::function<void(int32_t)> act;
};

CountingUnit* AddCounting(Battle& battle, int32_t sideIndex, float x, float y) {
  auto* unit = new CountingUnit();
  unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
  unit->side = static_cast<uint8_t>(1 - sideIndex);
  battle.PlaceUnitAt(unit, x, y);
  return unit;
}

int32_t CountKind(const Battle& battle, int32_t kind, int32_t* slice = nullptr) {
  int32_t n = 0;
  for (int32_t i = 0; i < battle.packets.Count(); ++i) {
    const auto* p = static_cast<const Packet*>(battle.packets.GetItem(i));
    if (p->kind != kind) continue;
    ++n;
    if (slice != nullptr) *slice = p->timeSlice;
  }
  return n;
}

GGroup& Clouds(Battle& battle) { return *battle.map->objects.smallObjects; }

}  // namespace

TEST(BattleAction, CountsEverySliceAndThePeriodicWork) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  CountingUnit* a = AddCounting(battle, 0, 100.0f, 100.0f);
  CountingUnit* b = AddCounting(battle, 1, 300.0f, 100.0f);
  ASSERT_NE(battle.map->objects.smallObjects, nullptr);
  Clouds(battle).Append(new SmokeCloud(50.0f, 50.0f, 0, 90000, 7.0f));
  Clouds(battle).Append(new SmokeCloud(60.0f, 50.0f, 0, 100, 7.0f));
  battle.ComputeAction(true);
  // The short-lived cloud ages 40 slices at 39, 79 and 119 and clears at 119.
  int32_t cleared = 0;
  EXPECT_EQ(CountKind(battle, Packet::kSmokeCleared, &cleared), 1);
  EXPECT_EQ(cleared, 119);
  for (const CountingUnit* unit : {a, b}) {
    EXPECT_EQ(unit->steps, 2401);
    EXPECT_EQ(unit->afterLastSlice, 1);
    EXPECT_EQ(unit->tailSteps, 0);
  }
  EXPECT_EQ(battle.keepAlivePasses, 60);
  EXPECT_EQ(battle.unitDisplayPasses, 15);
  EXPECT_EQ(battle.craterVisibilityPasses, 10);
  EXPECT_EQ(battle.sliceBeforeSort, 2401);
  // The other cloud outlives the turn: its update packet follows every sorted packet.
  int32_t slice = 0;
  EXPECT_EQ(CountKind(battle, Packet::kSmokeUpdate, &slice), 1);
  EXPECT_EQ(slice, 120);
  EXPECT_EQ(battle.computingAction, 0);
  // The record stands at its start, its first slice played; with no screen no replay runs.
  EXPECT_EQ(battle.replay.previous, 0);
  EXPECT_EQ(battle.replayState, Replay::kStopped);
}

TEST(BattleAction, TheScreenStartsTheReplayOnceTheRecordStandsAtItsStart) {
  // The screen is told after the action, and starts its replay as the program's screen does:
  // a computed action plays, one received waits paused. Neither draws from the game's
  // generator, so the check value logged after the action is the headless battle's. Before
  // it the screen hides its GO strip and its light and follows the computing every 40 slices.
  struct StartingScreen : QuietReplayScreen {
    void HideGoStrip() override { strip += told == 0 ? "hidden " : "late "; }
    void SetBlinkIndicator(bool on) override { strip += on ? "on " : "off "; }
    void ShowProgress(int32_t slice) override {
      ++progressShown;
      lastProgress = slice;
    }
    void ActionStarted(Battle& battle, bool play) override {
      ++told;
      played = play;
      computingThen = battle.computingAction;
      previousThen = battle.replay.previous;
      const uint32_t generator = RandomState();
      battle.BeginReplay(play);
      generatorMoved = RandomState() != generator;
    }
    int32_t told = 0;
    std::string strip;
    int32_t progressShown = 0;
    int32_t lastProgress = -1;
    bool played = false;
    uint8_t computingThen = 1;
    int32_t previousThen = -2;
    bool generatorMoved = true;
  };
  for (const bool compute : {true, false}) {
    BattleTestRig rig;
    Battle& battle = rig.Fresh();
    StartingScreen screen;
    battle.replayScreen = &screen;
    CountingUnit* a = AddCounting(battle, 0, 100.0f, 100.0f);
    SeedRandom(4321);
    battle.ComputeAction(compute);
    EXPECT_EQ(a->steps, compute ? 2401 : 0);
    EXPECT_EQ(screen.told, 1);
    EXPECT_EQ(screen.strip, "hidden off ");
    EXPECT_EQ(screen.progressShown, compute ? 62 : 0);
    EXPECT_EQ(screen.lastProgress, compute ? 2399 : -1);
    EXPECT_EQ(screen.played, compute);
    EXPECT_EQ(screen.computingThen, 0);
    EXPECT_EQ(screen.previousThen, compute ? 0 : -1);
    EXPECT_FALSE(screen.generatorMoved);
    EXPECT_EQ(battle.replayState, compute ? Replay::kPlaying : Replay::kPaused);
    EXPECT_EQ(battle.App().GetInputMode(), InputModes::kReplay);
    battle.replayScreen = nullptr;
  }
}

TEST(BattleAction, ASmokeUpdateAloneTakesTheSliceAfterTheTurn) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  Clouds(battle).Append(new SmokeCloud(50.0f, 50.0f, 0, 90000, 7.0f));
  battle.ComputeAction(true);
  int32_t slice = 0;
  EXPECT_EQ(battle.packets.Count(), 1);
  EXPECT_EQ(CountKind(battle, Packet::kSmokeUpdate, &slice), 1);
  EXPECT_EQ(slice, 2401);
}

TEST(BattleAction, TheTailTakesInLateSmokeAndDropsShotsDueAt4800) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  CountingUnit* a = AddCounting(battle, 0, 100.0f, 100.0f);
  a->actAt = 2400;
  a->act = [&battle](int32_t) {
    battle.PlaceSmokeAt(200.0f, 200.0f, 14.0f);
    BattleShot* never = battle.NewShot(0, 0, 4800 - battle.currentSlice, 1, false);
    never->kind = 0;
  };
  battle.ComputeAction(true);
  // Smoke placed at 2400 lands at 2550; its visibility event (2551) ran in the tail, the
  // shot due at 4800 never did.
  int32_t slice = 0;
  EXPECT_EQ(CountKind(battle, Packet::kSmokePlaced, &slice), 1);
  EXPECT_EQ(slice, 2550);
  EXPECT_EQ(battle.shotsRun, 1);
  EXPECT_EQ(a->tailSteps, 4800 - 2401);
  EXPECT_EQ(battle.shots.Count(), 0);
  EXPECT_EQ(battle.laterShots.Count(), 0);
}

TEST(BattleShots, ShotsMadeDuringTheDuePassWaitInTheSecondList) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.currentSlice = 10;
  BattleShot* due = battle.NewShot(1, 2, 0, 1, false);
  due->kind = 0;  // strength 0: a blast with nothing near
  EXPECT_EQ(due->creatorA, 1);
  EXPECT_EQ(due->creatorB, 2);
  EXPECT_EQ(due->dueSlice, 10);
  battle.NewShot(0, 0, 5, 1, false);
  battle.inDueShotPass = true;
  battle.NewShot(0, 0, 1, 1, false);
  battle.inDueShotPass = false;
  EXPECT_EQ(battle.shots.Count(), 2);
  EXPECT_EQ(battle.laterShots.Count(), 1);
  battle.RunDueShots();
  EXPECT_EQ(battle.shotsRun, 1);
  EXPECT_EQ(battle.shots.Count(), 2);
  EXPECT_EQ(battle.laterShots.Count(), 0);
}

TEST(BattleShots, AUnitsRoundIsCarriedByTheBattleInPlay) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  Unit* firer = BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f);
  Unit* aimed = BattleTestRig::MakeUnit(1, 1, 200.0f, 100.0f);
  battle.PlaceUnitAt(firer, 100.0f, 100.0f);
  battle.PlaceUnitAt(aimed, 200.0f, 100.0f);
  battle.currentSlice = 40;
  Shot round;
  round.shooter = firer;
  round.targetUnit = aimed;
  round.dueSlice = 45;
  round.fireType = 2;
  round.side = 1;
  round.impactX = 190.0f;
  GetUnitServices()->FileShot(round);
  round.hit = 1;
  GetUnitServices()->FileShot(round);
  GetUnitServices()->AddFireCounter(0, 3000);
  ASSERT_EQ(battle.shots.Count(), 2);
  const auto* missed = static_cast<const BattleShot*>(battle.shots.GetItem(0));
  const auto* hit = static_cast<const BattleShot*>(battle.shots.GetItem(1));
  EXPECT_EQ(missed->dueSlice, 45);
  EXPECT_EQ(missed->kind, 2);
  EXPECT_EQ(missed->impactX, 190.0f);
  EXPECT_EQ(missed->target, nullptr);
  EXPECT_EQ(hit->target, aimed);
  EXPECT_EQ(battle.activityCount[0], 3000);
}

TEST(BattleShots, SmokeLateInTheTurnAndFixedSmoke) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    battle.packets.DeleteAll(true);
    Clouds(battle).DeleteAll(true);
    battle.laterShots.DeleteAll(true);
    SeedRandom(seed);
    battle.currentSlice = 2000;
    battle.PlaceSmokeAt(100.0f, 100.0f, 14.0f);
    ASSERT_EQ(battle.packets.Count(), 1);
    const auto* p = static_cast<const Packet*>(battle.packets.GetItem(0));
    EXPECT_EQ(p->kind, Packet::kSmokePlaced);
    EXPECT_EQ(p->timeSlice, 2300);
    const int32_t life = (p->smoke.lifetime - 300) / 40;
    EXPECT_EQ((p->smoke.lifetime - 300) % 40, 0);
    EXPECT_GE(life, 112);
    EXPECT_LE(life, 207);
    EXPECT_EQ(Clouds(battle).Count(), 1);
    ASSERT_EQ(battle.laterShots.Count(), 1);
    const auto* event = static_cast<const BattleShot*>(battle.laterShots.GetItem(0));
    EXPECT_EQ(event->visibilityEvent, 1);
    EXPECT_EQ(event->dueSlice, 2301);
    EXPECT_EQ(event->impactZ, 14.0f);

    battle.packets.DeleteAll(true);
    battle.currentSlice = 0;
    battle.PlaceSmokeAt(100.0f, 100.0f, 0.0f);
    const auto* fixed = static_cast<const Packet*>(battle.packets.GetItem(0));
    EXPECT_EQ(fixed->timeSlice, 400);
    EXPECT_EQ(fixed->smoke.radius, 7.0f);
    const int32_t fixedLife = (fixed->smoke.lifetime - 400) / 40;
    EXPECT_GE(fixedLife, 42);
    EXPECT_LE(fixedLife, 77);
  }
  // Off the map nothing is placed.
  battle.packets.DeleteAll(true);
  battle.PlaceSmokeAt(-5.0f, 100.0f, 3.0f);
  EXPECT_EQ(battle.packets.Count(), 0);
}

TEST(BattleShots, TreeBurstsDrawNothingOverOpenGroundOrWhenAlreadySet) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  BattleShot shot;
  shot.impactX = 100.0f;
  shot.impactY = 100.0f;
  for (int32_t kind = 0; kind <= 8; ++kind) {
    shot.kind = kind;
    shot.treeBurst = 0;
    shot.impactZ = 1.0f;
    SeedRandom(77);
    EXPECT_FALSE(battle.CheckTreeBurst(shot)) << kind;
    EXPECT_EQ(RandomState(), 77u);
    EXPECT_EQ(shot.impactZ, 1.0f);
  }
  shot.kind = 5;
  shot.treeBurst = 1;
  SeedRandom(77);
  EXPECT_TRUE(battle.CheckTreeBurst(shot));
  EXPECT_EQ(RandomState(), 77u);
  EXPECT_EQ(shot.impactZ, 7.0f);
  // Other kinds never burst, even with the byte set.
  shot.kind = 3;
  EXPECT_FALSE(battle.CheckTreeBurst(shot));
}

TEST(BattleShots, AFirePacketShowsItsShotsLandingAndTheirTreeBurst) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  Unit* firer = BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f);
  Unit* other = BattleTestRig::MakeUnit(0, 1, 300.0f, 100.0f);
  battle.PlaceUnitAt(firer, 100.0f, 100.0f);
  battle.PlaceUnitAt(other, 300.0f, 100.0f);
  battle.currentSlice = 200;
  auto file = [&battle](Unit* shooter) {
    Shot round;
    round.shooter = shooter;
    round.fireType = 5;
    round.dueSlice = 260;
    round.impactX = 150.0f;
    round.impactY = 120.0f;
    round.impactZ = 1.0f;
    battle.FileUnitShot(round);
    return static_cast<BattleShot*>(battle.shots.GetItem(battle.shots.Count() - 1));
  };
  BattleShot* foreign = file(other);
  BattleShot* own = file(firer);
  UnitFirePacket record;
  record.slice = 230;
  record.shooter = firer;
  record.x = 100.0f;
  record.y = 100.0f;
  record.count = 30;
  record.effectCode = 7;
  record.landed = 1;
  record.impactX = 150.0f;
  record.impactY = 120.0f;
  record.impactZ = 1.0f;
  const Packet* packet = battle.RecordUnitFire(record);
  EXPECT_EQ(packet->kind, Packet::kFire);
  EXPECT_EQ(packet->timeSlice, 230);
  EXPECT_EQ(packet->fire.shooter, firer);
  EXPECT_EQ(packet->fire.targetX, 150.0f);
  EXPECT_EQ(packet->fire.targetY, 120.0f);
  EXPECT_EQ(packet->fire.count, 30);
  // Only the firer's own shot is shown by it, and a later packet links nothing filed before.
  EXPECT_EQ(own->firePacket, packet);
  EXPECT_EQ(foreign->firePacket, nullptr);
  EXPECT_NE(battle.RecordUnitFire(record), packet);
  EXPECT_EQ(own->firePacket, packet);
  // Unlanded, the packet runs to its target unit.
  record.landed = 0;
  record.targetUnit = other;
  EXPECT_EQ(battle.RecordUnitFire(record)->fire.targetX, 300.0f);
  // A tree burst lifts the shown end once, as it lifts the shot.
  own->treeBurst = 1;
  EXPECT_TRUE(battle.CheckTreeBurst(*own));
  EXPECT_EQ(packet->fire.targetZ, 7.0f);
  EXPECT_EQ(packet->fire.firstFlag, 1);
}

TEST(BattleShots, DangerSpreadsWithDistance) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  Unit* far = BattleTestRig::MakeUnit(0, 0, 126.0f, 100.0f);
  Unit* near = BattleTestRig::MakeUnit(0, 1, 105.0f, 100.0f);
  Unit* object = BattleTestRig::MakeUnit(2, 1, 100.0f, 100.0f);
  battle.PlaceUnitAt(far, 126.0f, 100.0f);
  battle.PlaceUnitAt(near, 105.0f, 100.0f);
  battle.PlaceUnitAt(object, 100.0f, 100.0f);
  near->incomingFire = 1500;
  battle.SpreadIntensityNearPoint(1000, 100.0f, 100.0f);
  EXPECT_EQ(far->incomingFire, 600);
  EXPECT_EQ(near->incomingFire, 1500);  // never lowered
  EXPECT_EQ(object->incomingFire, 0);
  battle.SpreadIntensityNearPoint(100000, 100.0f, 100.0f);
  EXPECT_EQ(near->incomingFire, 20000);
}

TEST(BattleShots, StrengthByKind) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  Unit* firer = BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f);
  battle.PlaceUnitAt(firer, 100.0f, 100.0f);
  firer->rating = 5;
  BattleShot shot;
  shot.kind = 7;
  shot.shooter = firer;
  shot.startX = shot.impactX = 100.0f;
  shot.startY = shot.impactY = 100.0f;
  float extra = 5.0f;
  EXPECT_FLOAT_EQ(shot.GetStrength(false, &extra), 928.0f);
  EXPECT_EQ(extra, 0.0f);
  shot.kind = 0;
  shot.storedStrength = 12.5f;
  shot.storedAux = 3;
  EXPECT_EQ(shot.GetStrength(false, &extra), 12.5f);
  EXPECT_EQ(extra, 3.0f);
}

TEST(BattleShots, BlastRadiusKindSevenAndHitReports) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  CountingUnit* atRadius = AddCounting(battle, 1, 125.0f, 100.0f);
  CountingUnit* twice = AddCounting(battle, 1, 150.0f, 100.0f);
  CountingUnit* beyond = AddCounting(battle, 1, 151.0f, 100.0f);
  BattleShot shot;
  shot.kind = 0;  // a stored blast of radius 25
  shot.storedStrength = 100.0f;
  shot.side = 1;  // Axis fire on Allied units
  shot.impactX = shot.startX = 100.0f;
  shot.impactY = shot.startY = 100.0f;
  shot.impactZ = shot.startZ = atRadius->GetBaseHeight();
  battle.ApplyBlast(shot);
  EXPECT_EQ(atRadius->damageCalls, 1);
  EXPECT_EQ(atRadius->shocks, 0);
  EXPECT_EQ(twice->damageCalls, 0);
  EXPECT_EQ(twice->shocks, 1);
  EXPECT_EQ(beyond->damageCalls + beyond->shocks, 0);

  // Kind 7: infantry with no men present takes nothing (no division by zero).
  CountingUnit* empty = AddCounting(battle, 1, 300.0f, 300.0f);
  BattleShot stab;
  stab.kind = 7;
  stab.shooter = atRadius;
  stab.side = 1;
  stab.startX = stab.impactX = 300.0f;
  stab.startY = stab.impactY = 300.0f;
  stab.startZ = stab.impactZ = empty->GetBaseHeight();
  empty->men = 0;
  battle.ApplyBlast(stab);
  EXPECT_EQ(empty->damageCalls, 0);
  empty->men = 4;
  battle.ApplyBlast(stab);
  EXPECT_EQ(empty->damageCalls, 1);

  // A kind-4 burst on an armoured unit: one hit report ten slices on.
  Unit* tank = BattleTestRig::MakeUnit(1, 1, 400.0f, 400.0f);
  battle.PlaceUnitAt(tank, 400.0f, 400.0f);
  static_cast<TestVehicle*>(tank)->armored = true;
  static_cast<TestVehicle*>(tank)->emplacement = true;
  battle.currentSlice = 500;
  BattleShot burst;
  burst.kind = 4;
  burst.weapon = -1;
  burst.side = 1;
  burst.impactX = 401.0f;
  burst.impactY = 400.0f;
  battle.StepShot(burst);
  int32_t slice = 0;
  EXPECT_EQ(CountKind(battle, Packet::kHitReport, &slice), 1);
  EXPECT_EQ(slice, 510);
  EXPECT_EQ(static_cast<TestVehicle*>(tank)->damageCalls, 1);
}

TEST(BattleAction, QuietCountersByActivity) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  rig.headless.Host().currentSide = 0;
  battle.quietTurns[0] = 3;
  battle.quietTurns[1] = 3;
  battle.activityCount[0] = 7499;
  battle.activityCount[1] = 9999;
  battle.UpdateQuietCounters();
  EXPECT_EQ(battle.quietTurns[0], 4);
  EXPECT_EQ(battle.quietTurns[1], 4);
  battle.activityCount[0] = 7500;
  battle.activityCount[1] = 10000;
  battle.UpdateQuietCounters();
  EXPECT_EQ(battle.quietTurns[0], 0);
  EXPECT_EQ(battle.quietTurns[1], 0);
  // Two humans: both sides' limit is 7,500.
  rig.headless.Host().humanPlayers = 2;
  battle.activityCount[1] = 7500;
  battle.quietTurns[1] = 2;
  battle.UpdateQuietCounters();
  EXPECT_EQ(battle.quietTurns[1], 0);
}

namespace {

struct TurnRecord {
  uint32_t digest = 0;
  int32_t packets = 0;
  int32_t turn = 0;
  std::string log;
};

TurnRecord PlayTurns(int32_t turns) {
  BattleTestRig rig;
  SeedRandom(7);
  rig.Fresh();
  rig.Populate();
  TurnRecord record;
  // A scripted unit: smoke at a drawn point and a blast near the others each turn.
  Battle& battle = rig.B();
  CountingUnit* script = AddCounting(battle, 0, 400.0f, 400.0f);
  script->actAt = 1000;
  script->act = [&battle](int32_t) {
    const float strength = RandomFloatTimes(14.0f);  // drawn before the place
    battle.PlaceSmokeAt(100.0f + RandomFloatTimes(300.0f), 150.0f, strength);
    BattleShot* blast = battle.NewShot(0, 0, 200, 1, false);
    blast->kind = 0;
    blast->storedStrength = 50.0f;
    blast->impactX = blast->startX = 120.0f;
    blast->impactY = blast->startY = 130.0f;
  };
  // Strength on both sides, so that the new turns do not end the battle.
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    auto* unit = static_cast<TestUnit*>(battle.UnitAt(i));
    if (unit->men == 0) unit->men = 2;
    unit->purchaseCost = 30.0f;
  }
  rig.headless.Go(1);  // the set-up GO
  EXPECT_EQ(rig.B().setupPhase, 0);
  for (int32_t turn = 0; turn < turns; ++turn) {
    rig.headless.Go(1234);
    record.packets += rig.B().packets.Count();
    rig.headless.NextTurn();
  }
  record.digest = rig.headless.Digest();
  record.turn = rig.B().IsOver() ? -1 : rig.B().currentTurn;
  GErrorLog::Close();
  record.log = rig.logFolder.ReadFile("ERRORLOG.TXT");
  return record;
}

}  // namespace

TEST(BattleAction, HeadlessTurnsAreTheSameEveryTime) {
  const TurnRecord first = PlayTurns(2);
  const TurnRecord second = PlayTurns(2);
  EXPECT_EQ(first.digest, second.digest);
  EXPECT_EQ(first.packets, second.packets);
  const std::string& log = first.log;
  const size_t setup = log.find("RndCheckSetup = ");
  const size_t seed = log.find("Action seed = 1234");
  EXPECT_LT(setup, seed);
  const size_t checkA = log.find("RndCheckA = ");
  const size_t count = log.find("Number of packets = ");
  const size_t size = log.find("Each packet has size = 136");
  const size_t memory = log.find("Total memory (K) = ");
  // Preloading the action's sounds is the replay screen's: no headless turn does it.
  EXPECT_EQ(log.find("reloading sounds"), std::string::npos);
  const size_t checkB = log.find("RndCheckB = ");
  ASSERT_NE(seed, std::string::npos) << log;
  EXPECT_LT(seed, checkA);
  EXPECT_LT(checkA, count);
  EXPECT_LT(count, size);
  EXPECT_LT(size, memory);
  EXPECT_LT(memory, checkB);
  EXPECT_NE(checkB, std::string::npos);
  // The generator's check value for the seed, the same on every machine.
  EXPECT_NE(log.find("RndCheckA = 179048"), std::string::npos);
  // Golden: every build (plain, sanitizer, unoptimised) computes these turns alike.
  EXPECT_EQ(first.digest, 3942555848u);
  // Each turn: every unit's opening state packet and the scripted unit's state changes, with
  // the smoke and the blast's packets.
  EXPECT_EQ(first.packets, 19);
  EXPECT_EQ(first.turn, 3);
}

TEST(BattleCommands, OrderCodesWithoutAMenuAndTheSetUpTurn) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  battle.DoCommand(20);
  battle.DoCommand(51);
  GErrorLog::Close();
  EXPECT_NE(rig.logFolder.ReadFile("ERRORLOG.TXT").find("no orders menu open, ignored: 51"), std::string::npos);
  // Replay controls only while the replay shows.
  battle.replayState = Replay::kPlaying;
  battle.DoCommand(13);
  EXPECT_EQ(battle.replayState, Replay::kPlaying);

  // A battle stored in its set-up phase at a later turn is refused.
  // The writer refuses to store one, so the set-up byte (the first after the base) is set in
  // a stored turn-2 battle.
  battle.setupPhase = 0;
  battle.currentTurn = 2;
  std::string bytes = rig.Save();
  GMemoryFile base;
  battle.BattleBase::Write(base.File());
  const size_t at = base.Bytes().size();
  ASSERT_LT(at, bytes.size());
  ASSERT_EQ(bytes[at], 0);
  EXPECT_TRUE(rig.headless.LoadBytes(bytes));
  Battle* loaded = rig.headless.GetBattle();
  bytes[at] = 1;
  EXPECT_FALSE(rig.headless.LoadBytes(bytes));
  EXPECT_EQ(rig.headless.GetBattle(), loaded);
}

TEST(BattleCommands, TheSetUpGoComputesNothingAndEmptiesThePackets) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  CountingUnit* a = AddCounting(battle, 0, 100.0f, 100.0f);
  AddCounting(battle, 1, 900.0f, 100.0f);
  battle.ComputeStrengthRatios();
  battle.NewPacket(0);
  battle.DoCommand(9);
  EXPECT_EQ(battle.setupPhase, 0);
  EXPECT_EQ(battle.packets.Count(), 0);
  EXPECT_EQ(a->steps, 0);
  // The next GO computes the turn; the next-turn command leaves the replay.
  battle.DoCommand(9);
  EXPECT_EQ(a->steps, 2401);
  // Test units have no strength unless given some; with both ratios spent the new turn would
  // end the battle.
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    auto* unit = static_cast<TestUnit*>(battle.UnitAt(i));
    unit->men = 3;
    unit->purchaseCost = 40.0f;
  }
  battle.DoCommand(10);
  EXPECT_EQ(battle.currentTurn, 2);
  EXPECT_EQ(battle.packets.Count(), 0);
  EXPECT_EQ(battle.App().GetInputMode(), InputModes::kNoPick);
}

TEST(BattleAction, ASavedOrdersPhaseContinuesAsTheUnbrokenGame) {
  std::string saved;
  uint32_t unbroken[2] = {};
  {
    BattleTestRig rig;
    SeedRandom(7);
    rig.Fresh();
    rig.Populate();
    rig.headless.Go(1);
    rig.headless.Go(1234);
    rig.headless.NextTurn();
    ASSERT_TRUE(rig.headless.SaveBytes(saved));
    for (int32_t turn = 0; turn < 2; ++turn) {
      rig.headless.Go(static_cast<uint16_t>(99 + turn));
      rig.headless.NextTurn();
      unbroken[turn] = rig.headless.Digest();
    }
  }
  BattleTestRig rig;
  ASSERT_TRUE(rig.headless.LoadBytes(saved));
  for (int32_t turn = 0; turn < 2; ++turn) {
    rig.headless.Go(static_cast<uint16_t>(99 + turn));
    rig.headless.NextTurn();
    EXPECT_EQ(rig.headless.Digest(), unbroken[turn]) << turn;
  }
}
