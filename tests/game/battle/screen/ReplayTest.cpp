// The replay on a fake clock: which packets play when, its end, seeking and the controls, the
// effects, the sounds of each frame and the ricochets.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/screen/EphemeralBurst.h"
#include "game/battle/screen/EphemeralShot.h"
#include "game/battle/Packet.h"
#include "game/battle/ReplayScreen.h"
#include "game/map/Map.h"
#include "game/map/MapPacket.h"
#include "game/map/SmokeCloud.h"
#include "platform/PClock.h"

namespace {

class FakeScreen : public ReplayScreen {
 public:
  void ActionStarted(Battle&, bool) override {}
  void HideGoStrip() override {}
  void ShowGoStrip() override {}
  void ShowProgress(int32_t) override {}
  void ReplayForSecondViewer() override {}
  void PlaySound(int32_t number, int32_t priority) override {
    calls.push_back("sound " + std::to_string(number) + " " + std::to_string(priority));
  }
  void SetBlinkIndicator(bool on) override { calls.push_back(on ? "blink on" : "blink off"); }
  void ShowGoButton(bool shown) override { goShown = shown; }
  void ShowSeconds(int32_t s) override { seconds = s; }
  void SetCameraCounter(int32_t) override {}
  bool IsShiftDown() const override { return shift; }
  void SetSoundPhase(int32_t phase) override { calls.push_back("phase " + std::to_string(phase)); }
  void StartSoundEvent(const Packet& packet) override { started.push_back(static_cast<int>(packet.x)); }
  void InvalidateInfoPanel() override {}
  void PreloadSounds(int32_t count, const uint16_t* numbers, const uint8_t*) override {
    preloaded.assign(numbers, numbers + count);
  }
  int32_t GetSoundChannelCount() const override { return 17; }

  std::vector<std::string> calls;
  std::vector<int> started;
  std::vector<uint16_t> preloaded;
  bool goShown = false;
  bool shift = false;
  int32_t seconds = -1;
};

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PClock::SetFake([this] { return now; });
    battle = &rig.Fresh();
    battle->replayScreen = &screen;
    battle->replayState = Replay::kPlaying;
    unit = BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f);
    battle->PlaceUnitAt(unit, unit->x, unit->y);
  }
  void TearDown() override { PClock::SetFake(nullptr); }

  // A one-shot sound the viewing side hears, tagged in x.
  Packet* Sound(int32_t slice, int tag, bool looped = false, Unit* source = nullptr) {
    battle->currentSlice = slice;
    Packet* p = battle->NewPacket(0);
    p->kind = Packet::kSound;
    p->x = static_cast<float>(tag);
    p->sound.audible[0] = 1;
    p->sound.looped = looped ? 1 : 0;
    p->sound.source = source;
    p->sound.number = static_cast<uint16_t>(tag);
    return p;
  }
  Packet* Fire(int32_t slice, int32_t count, int16_t code) {
    battle->currentSlice = slice;
    Packet* p = battle->NewPacket(0);
    p->kind = Packet::kFire;
    p->fire.count = count;
    p->fire.effectCode = code;
    p->fire.speed = 1.0f;
    p->fire.blast = 1.0f;
    p->fire.targetX = 50.0f;
    return p;
  }
  // Runs frames every 25 ms up to ms after now, handing the sounds over each frame.
  void RunFor(uint64_t ms) {
    for (uint64_t t = 0; t < ms; t += 25) {
      now += 25;
      battle->ReplayStep();
      battle->FlushSoundEvents();
    }
  }

  uint64_t now = 100000;
  BattleTestRig rig;
  FakeScreen screen;
  Battle* battle = nullptr;
  Unit* unit = nullptr;
};

}  // namespace

TEST_F(ReplayTest, NewPacketSlicesAndTheLastSlice) {
  EXPECT_EQ(battle->LastPacketSlice(false), 2400);
  EXPECT_EQ(battle->LastPacketSlice(true), 2400);
  battle->currentSlice = 20;
  EXPECT_EQ(battle->NewPacket(-50)->timeSlice, 0);
  EXPECT_EQ(battle->NewPacket(-20)->timeSlice, 0);
  EXPECT_EQ(battle->NewPacket(5)->timeSlice, 25);
  EXPECT_EQ(battle->LastPacketSlice(true), 25);
  EXPECT_EQ(battle->LastPacketSlice(false), 2400);
  battle->currentSlice = 2500;
  battle->NewPacket(0);
  EXPECT_EQ(battle->LastPacketSlice(false), 2500);
}

TEST_F(ReplayTest, APacketPlaysOnceInItsSliceAndSeekingSkipsOneShots) {
  Packet* atCurrent = Sound(10, 1);
  Packet* atPrevious = Sound(9, 2);
  Packet* looped = Sound(10, 3, true, unit);
  battle->replay.previous = 9;
  battle->replay.current = 10;
  battle->PlayPacket(*atCurrent);
  battle->PlayPacket(*atPrevious);
  EXPECT_EQ(battle->replay.soundEvents, (std::vector<Packet*>{atCurrent}));
  battle->replay.soundEvents.clear();
  battle->replay.seeking = true;
  battle->PlayPacket(*atCurrent);
  battle->PlayPacket(*looped);
  EXPECT_EQ(battle->replay.soundEvents, (std::vector<Packet*>{looped}));
  // The other side's sound is not queued.
  atCurrent->sound.audible[0] = 0;
  atCurrent->sound.looped = 1;
  battle->PlayPacket(*atCurrent);
  EXPECT_EQ(battle->replay.soundEvents.size(), 1u);
  battle->replay.soundEvents.clear();
}

TEST_F(ReplayTest, TheClockPlaysEveryPacketOnceInOrder) {
  std::vector<int> expected;
  for (int s = 0; s <= 40; ++s) {
    Sound(s, 2 * s);
    Sound(s, 2 * s + 1);
    expected.push_back(2 * s);
    expected.push_back(2 * s + 1);
  }
  battle->StartReplay();
  battle->ReplayStep();  // slice 0
  battle->FlushSoundEvents();
  RunFor(1000);
  EXPECT_EQ(battle->GetReplaySlice(), 40);
  RunFor(25);
  EXPECT_EQ(screen.started, expected);
  EXPECT_EQ(screen.seconds, 1);
}

TEST_F(ReplayTest, AnEmptyListEndsAt2410) {
  battle->StartReplay();
  now += 2409 * 25;
  battle->ReplayStep();
  EXPECT_EQ(battle->replayState, Replay::kPlaying);
  now += 25;
  battle->ReplayStep();
  EXPECT_EQ(battle->GetReplaySlice(), 2410);
  EXPECT_EQ(battle->replayState, Replay::kPaused);
  EXPECT_EQ(screen.calls, (std::vector<std::string>{"sound 128 25", "blink on"}));
  EXPECT_TRUE(screen.goShown);
  // Paused, the replay does not move.
  now += 5000;
  battle->ReplayStep();
  EXPECT_EQ(battle->GetReplaySlice(), 2410);
}

TEST_F(ReplayTest, AFrameThatJumpsPastTheEndStillPlaysTheLastPackets) {
  // The unit's opening state, and its state at the action's end 92 m on.
  UnitStatePacket state = unit->MakeStatePacket();
  state.slice = 0;
  battle->currentSlice = 0;
  battle->RecordUnitState(state);
  state.slice = 2401;
  state.y = 192.0f;
  battle->currentSlice = 2401;
  battle->RecordUnitState(state);
  Sound(2401, 7);
  battle->StartReplay();
  battle->ReplayStep();
  EXPECT_FLOAT_EQ(unit->y, 100.0f);
  // One frame, then the clock moves on by two minutes before the next (the program waited).
  RunFor(25);
  now += 120000;
  battle->ReplayStep();
  battle->FlushSoundEvents();
  EXPECT_EQ(battle->replayState, Replay::kPaused);
  EXPECT_FLOAT_EQ(unit->y, 192.0f);
  EXPECT_EQ(screen.started, std::vector<int>{7});
}

TEST_F(ReplayTest, TheReplayEndsOnTheRecordedStateHoweverTheFramesFell) {
  // A unit that moves on from its opening state with no packet after it: frames between
  // packets carry it on at its recorded speed, and past the action's end it stands where its
  // last packet put it, as the headless battle and the other machine have it.
  UnitStatePacket state = unit->MakeStatePacket();
  state.slice = 0;
  state.facing = 90.0f;
  state.speed = 0.01f;
  battle->currentSlice = 0;
  battle->RecordUnitState(state);
  battle->StartReplay();
  battle->ReplayStep();
  RunFor(2390 * 25);
  EXPECT_GT(unit->y, 120.0f);
  // The program waited: the next frame comes long after the end.
  now += 120000;
  battle->ReplayStep();
  EXPECT_EQ(battle->replayState, Replay::kPaused);
  EXPECT_FLOAT_EQ(unit->y, 100.0f);
}

TEST_F(ReplayTest, ForwardBackRestartAndPause) {
  Sound(2400, 1);
  battle->StartReplay();
  battle->ReplayStep();
  battle->SeekReplay(1000);
  EXPECT_EQ(battle->GetReplaySlice(), 1001);
  screen.shift = true;
  ASSERT_TRUE(battle->ReplayControl(Replay::kForward));
  EXPECT_EQ(battle->replay.previous, 1081);
  screen.shift = false;
  battle->ReplayControl(Replay::kForward);
  EXPECT_EQ(battle->replay.previous, 1482);
  battle->ReplayControl(Replay::kBack);
  EXPECT_EQ(battle->replay.previous, 1083);
  EXPECT_EQ(battle->GetReplaySlice(), 1084);

  // Forward from 2350 stops at 2410 and clears the effects.
  battle->SeekReplay(2349);
  Packet* fire = Fire(2350, 5000, 13);
  fire->fire.target = unit;
  fire->fire.shooter = unit;  // codes from 13 start from their shooter
  battle->PlayPacket(*fire);
  ASSERT_EQ(battle->replay.effects.size(), 1u);
  battle->ReplayControl(Replay::kForward);
  EXPECT_TRUE(battle->replay.effects.empty());
  EXPECT_EQ(battle->replay.previous, 2410);
  EXPECT_EQ(battle->replayState, Replay::kPaused);
  battle->ReplayControl(Replay::kForward);  // already at the end: nothing
  EXPECT_EQ(battle->replay.previous, 2410);

  // Back below slice 2 restarts; the state stays.
  battle->replayState = Replay::kPlaying;
  battle->SeekReplay(300);
  battle->ReplayControl(Replay::kBack);
  EXPECT_EQ(battle->replay.previous, -1);
  EXPECT_EQ(battle->GetReplaySlice(), 0);
  EXPECT_EQ(battle->replayState, Replay::kPlaying);

  // Pause at 900, wait 10 s, play: the replay goes on from 900.
  battle->SeekReplay(899);
  EXPECT_EQ(battle->GetReplaySlice(), 900);
  battle->ReplayControl(Replay::kPaused);
  EXPECT_EQ(battle->replayState, Replay::kPaused);
  now += 10000;
  battle->ReplayStep();
  battle->ReplayControl(Replay::kPlaying);
  EXPECT_EQ(battle->replayState, Replay::kPlaying);
  battle->ReplayStep();
  EXPECT_EQ(battle->GetReplaySlice(), 900);
  EXPECT_FALSE(screen.goShown);

  EXPECT_FALSE(battle->ReplayControl(16));
  EXPECT_FALSE(battle->ReplayControl(10));
}

TEST_F(ReplayTest, FireEffectsLeaveImpactsAndSmokeFollowsItsPackets) {
  Packet* flying = Fire(10, 20, 8);
  flying->fire.thirdFlag = 1;
  Packet* still = Fire(10, 20, 2);
  still->fire.noFlight = 1;
  Packet* orphan = Fire(10, 20, 13);  // no target: skipped, logged
  battle->replay.previous = 9;
  battle->replay.current = 10;
  for (Packet* p : {flying, still, orphan}) battle->PlayPacket(*p);
  ASSERT_EQ(battle->replay.effects.size(), 2u);
  auto* effect = static_cast<EphemeralShot*>(battle->replay.effects[0].get());
  EXPECT_TRUE(effect->burst);
  EXPECT_FALSE(effect->shownToBoth);
  Ephemeral* left = effect->Step(30);
  ASSERT_NE(left, nullptr);
  auto* impact = static_cast<EphemeralBurst*>(left);
  EXPECT_EQ(impact->burstType, 2);
  EXPECT_EQ(impact->start, 110);    // end 30, plus 80 for code 8
  EXPECT_EQ(impact->duration, 50);  // (1 x 0.015 + 0.225) x 212
  EXPECT_FLOAT_EQ(impact->originX, 50.0f);
  EXPECT_EQ(effect->Step(31), nullptr);  // once only
  delete left;
  EXPECT_EQ(battle->replay.effects[1]->Step(40), nullptr);  // no flight, no impact

  ASSERT_NE(battle->map, nullptr);
  GGroup* smoke = battle->map->objects.smallObjects;
  ASSERT_NE(smoke, nullptr);
  const int32_t before = smoke->Count();
  Packet placed;
  placed.kind = Packet::kSmokePlaced;
  placed.timeSlice = 10;
  placed.x = 70.0f;
  placed.y = 80.0f;
  placed.smoke = {12, 900, 25.0f};
  battle->PlayPacket(placed);
  ASSERT_EQ(smoke->Count(), before + 1);
  Packet update = placed;
  update.kind = Packet::kSmokeUpdate;
  update.smoke.lifetime = 333;
  battle->PlayPacket(update);
  auto* cloud = static_cast<SmokeCloud*>(smoke->GetItem(before));
  EXPECT_EQ(cloud->lifetime, 333);
  EXPECT_EQ(cloud->startSlice, 0);
  Packet cleared = placed;
  cleared.kind = Packet::kSmokeCleared;
  battle->PlayPacket(cleared);
  EXPECT_EQ(smoke->Count(), before);
  // Again, with no cloud there: logged and skipped, and so is the update.
  battle->PlayPacket(cleared);
  battle->PlayPacket(update);
  EXPECT_EQ(smoke->Count(), before);
}

TEST_F(ReplayTest, SoundsOfAFrameKeepTheLastLoopOfEachUnit) {
  Unit* other = BattleTestRig::MakeUnit(1, 1, 10.0f, 10.0f);
  battle->PlaceUnitAt(other, other->x, other->y);
  Sound(5, 1, true, unit);
  Sound(5, 2, false, unit);
  Sound(5, 3, true, other);
  Sound(5, 4, true, unit);
  Sound(5, 5, true, nullptr);
  Sound(5, 6, true, nullptr);
  battle->replay.previous = 4;
  battle->replay.current = 5;
  for (int32_t i = 0; i < battle->packets.Count(); ++i)
    battle->PlayPacket(*static_cast<Packet*>(battle->packets.GetItem(i)));
  battle->FlushSoundEvents();
  EXPECT_EQ(screen.started, (std::vector<int>{2, 3, 4, 5, 6}));
  EXPECT_TRUE(battle->replay.soundEvents.empty());
  // The preload takes what the viewing side hears, in list order, up to 200.
  for (int i = 0; i < 250; ++i) Sound(6, 100 + i);
  battle->PreloadSounds();
  ASSERT_EQ(screen.preloaded.size(), 200u);
  EXPECT_EQ(screen.preloaded[0], 1);
  EXPECT_EQ(screen.preloaded[6], 100);
}

TEST_F(ReplayTest, TheNextTurnForgetsTheSoundsItsSeekQueuedWithTheirPackets) {
  // Leaving the replay early plays the rest at once, which queues the looped sounds for the
  // next frame; the packets go with the turn, and so must the sounds that pointed into them.
  Sound(100, 5, true, unit);
  Sound(200, 6, true, unit);
  battle->StartReplay();
  RunFor(50);
  EXPECT_TRUE(screen.started.empty());
  battle->NextTurn();
  EXPECT_EQ(battle->packets.Count(), 0);
  EXPECT_TRUE(battle->replay.soundEvents.empty());
  battle->FlushSoundEvents();
  EXPECT_TRUE(screen.started.empty());
}

TEST_F(ReplayTest, RicochetsAreVisibleFlightlessFirePackets) {
  Packet shot;
  shot.kind = Packet::kFire;
  shot.x = 0.0f;
  shot.fire.targetX = 300.0f;
  shot.fire.targetY = 400.0f;
  shot.fire.count = 50;
  battle->currentSlice = 100;
  SeedRandom(77);
  for (int round = 0; round < 20; ++round) {
    battle->packets.DeleteAll(true);
    battle->MakeRicochetPackets(shot, true);
    EXPECT_GE(battle->packets.Count(), 3);
    EXPECT_LE(battle->packets.Count(), 6);
    for (int32_t i = 0; i < battle->packets.Count(); ++i) {
      const auto* p = static_cast<const Packet*>(battle->packets.GetItem(i));
      EXPECT_EQ(p->kind, Packet::kFire);
      EXPECT_EQ(p->timeSlice, 100);
      EXPECT_EQ(p->fire.effectCode, 4);
      EXPECT_EQ(p->fire.count, 40);
      EXPECT_EQ(p->fire.alwaysVisible, 1);
      EXPECT_EQ(p->fire.noFlight, 1);
      EXPECT_EQ(p->fire.target, nullptr);
      EXPECT_FLOAT_EQ(p->x, 300.0f);
    }
  }
  battle->packets.DeleteAll(true);
  battle->MakeRicochetPackets(shot, false);
  ASSERT_EQ(battle->packets.Count(), 1);
  EXPECT_EQ(static_cast<const Packet*>(battle->packets.GetItem(0))->fire.effectCode, 3);
}

TEST_F(ReplayTest, ReplayingLeavesTheGameGeneratorAlone) {
  for (int s = 0; s < 2400; s += 37) {
    battle->currentSlice = s;
    Packet* state = battle->NewPacket(0);
    state->kind = Packet::kUnitState;
    state->state.unit = unit;
    state->state.lifeCode = 1;
    state->state.codes = {3, 8, 1};
    Fire(s, 30, 1);
    Sound(s, s);
  }
  SeedRandom(4242);
  const uint32_t before = RandomState();
  battle->StartReplay();
  RunFor(2000);
  battle->ReplayControl(Replay::kRestart);
  RunFor(500);
  battle->ReplayControl(Replay::kBack);
  battle->ReplayControl(Replay::kForward);
  battle->SeekReplay(2400);
  RunFor(1000);
  EXPECT_EQ(RandomState(), before);
}

TEST_F(ReplayTest, MapAndUnitEventsBecomePacketsAndTheStatisticsAreLogged) {
  battle->currentSlice = 300;
  MapPacket crater;
  crater.kind = MapPacket::kCrater;
  crater.delay = 4;
  crater.x = 10.0f;
  crater.size = 2.5f;
  crater.rotation = 90.0f;
  crater.depth = 0.04f;
  crater.flag = 1;
  battle->RecordPacket(crater);
  MapPacket sound;
  sound.kind = MapPacket::kSound;
  sound.delay = -400;
  sound.sound.source = unit;
  sound.sound.number = 300;
  sound.sound.kind = 5;
  sound.sound.audible[1] = 1;
  sound.sound.looped = 1;
  battle->RecordPacket(sound);
  UnitStatePacket state;
  state.slice = 301;
  state.unit = unit;
  state.x = 7.0f;
  battle->RecordUnitState(state);
  UnitSoundPacket shot;
  shot.slice = 310;
  shot.unit = unit;
  shot.sound = 401;
  shot.soundKind = 8;
  shot.audible = {1, 0};
  battle->RecordUnitSound(shot);
  ASSERT_EQ(battle->packets.Count(), 4);
  const auto at = [&](int32_t i) { return static_cast<const Packet*>(battle->packets.GetItem(i)); };
  EXPECT_EQ(at(0)->kind, Packet::kCrater);
  EXPECT_EQ(at(0)->timeSlice, 304);
  EXPECT_FLOAT_EQ(at(0)->crater.tilt, 0.04f);
  EXPECT_EQ(at(0)->crater.lasting, 1);
  EXPECT_EQ(at(1)->timeSlice, 0);
  EXPECT_EQ(at(1)->sound.source, unit);
  EXPECT_EQ(at(1)->sound.looped, 1);
  EXPECT_EQ(at(1)->sound.audible[1], 1);
  EXPECT_EQ(at(2)->kind, Packet::kUnitState);
  EXPECT_EQ(at(2)->timeSlice, 301);
  EXPECT_EQ(at(2)->state.unit, unit);
  EXPECT_FLOAT_EQ(at(2)->x, 7.0f);
  EXPECT_EQ(at(3)->timeSlice, 310);
  EXPECT_EQ(at(3)->sound.number, 401);
  EXPECT_FLOAT_EQ(at(3)->x, unit->x);

  for (int i = 0; i < 10; ++i) battle->NewPacket(0);
  battle->LogPacketStatistics();
  const std::vector<std::string> lines = rig.logFolder.LogLines();
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  EXPECT_NE(all.find("Number of packets ="), std::string::npos);
  EXPECT_NE(all.find("14"), std::string::npos);
  EXPECT_NE(all.find("Each packet has size ="), std::string::npos);
  EXPECT_NE(all.find("136"), std::string::npos);
  EXPECT_NE(all.find("Total memory (K) ="), std::string::npos);
}

namespace {

// A shot packet's effect: filled from the shooter's reading, a flame made long at once, and
// packets a peer or a damaged file could send making no effect at all.
TEST_F(ReplayTest, ShotEffectsFromPacketsAndTheirBadInput) {
  battle->replay.previous = 9;
  battle->replay.current = 10;
  Packet* shell = Fire(10, 40, 0);
  shell->fire.shooter = unit;
  shell->fire.blast = 30.0f;
  shell->fire.speed = 2.25f;
  shell->fire.firstFlag = 1;
  battle->PlayPacket(*shell);
  Packet* flame = Fire(10, 30, EphemeralShot::kFlameCode);
  battle->PlayPacket(*flame);
  ASSERT_EQ(battle->replay.effects.size(), 2u);
  const auto* shot = static_cast<EphemeralShot*>(battle->replay.effects[0].get());
  EXPECT_EQ(shot->shooter, unit);
  EXPECT_FLOAT_EQ(shot->burstSize, 30.0f);
  EXPECT_FLOAT_EQ(shot->muzzleHeight, 2.25f);
  EXPECT_TRUE(shot->raised);
  EXPECT_TRUE(shot->fixedSource);
  const auto* jet = static_cast<EphemeralShot*>(battle->replay.effects[1].get());
  EXPECT_EQ(jet->End(), 10 + 120);  // long from the start, drawn or not
  std::unique_ptr<Ephemeral> burst(battle->replay.effects[0]->Step(50));
  ASSERT_NE(burst, nullptr);
  EXPECT_EQ(static_cast<EphemeralBurst*>(burst.get())->burstType, 1);
  EXPECT_EQ(burst->duration, static_cast<int32_t>((30.0f * 0.015f + 0.225f) * 212.0f));

  const size_t before = battle->replay.effects.size();
  Packet* unknown = Fire(10, 40, 20);
  battle->PlayPacket(*unknown);
  Packet* negative = Fire(10, 40, -1);
  battle->PlayPacket(*negative);
  Packet* lost = Fire(10, 40, 0);
  lost->fire.targetY = std::nanf("");
  battle->PlayPacket(*lost);
  Packet* far = Fire(10, 40, 0);
  far->x = INFINITY;
  battle->PlayPacket(*far);
  EXPECT_EQ(battle->replay.effects.size(), before);
  EXPECT_TRUE(battle->replay.badCodeLogged);
  // A huge or broken blast flies but leaves no burst.
  for (float blast : {1001.0f, std::nanf("")}) {
    Packet* huge = Fire(10, 40, 0);
    huge->fire.blast = blast;
    battle->PlayPacket(*huge);
    EXPECT_EQ(battle->replay.effects.back()->Step(60), nullptr);
  }
}

}  // namespace
