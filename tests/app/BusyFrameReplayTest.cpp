// The busy battlefield's replay: the large battle on the reference map with fires, smoke and
// craters, the forces facing each other across the middle, its first minute (a minute of
// fighting) computed headless once for every test, played back on the software device with a
// stand-in picture for every texture, rain at Full and smoke at High Quality. The frame at
// slice 1200 draws the same pixels at one, two and four drawing threads, and drawing the replay
// frame by frame leaves the packets, the effects, the sounds heard and the game's generator as
// the same replay played without drawing leaves them.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "BusyFrameScene.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "game/battle/Ephemeral.h"
#include "game/battle/Packet.h"
#include "game/battle/QuietReplayScreen.h"
#include "game/map/MapObjectList.h"
#include "game/units/infantry/Infantry.h"
#include "platform/PClock.h"
#include "support/PixelHash.h"

namespace {

constexpr int32_t kFrameWidth = 320;
constexpr int32_t kFrameHeight = 240;
constexpr int32_t kLevels[] = {1, 2, 3, 5};

uint64_t gNow = 5000;

// The battle screen's share of the replay that the test watches: the sounds started.
class SoundCountingScreen : public QuietReplayScreen {
 public:
  SoundCountingScreen() : QuietReplayScreen(17) {}
  void StartSoundEvent(const Packet& packet) override {
    ++started;
    numbers = numbers * 31u + packet.sound.number;
  }
  int32_t started = 0;
  uint32_t numbers = 0;  // the sounds' numbers in the order started
};

class BusyFrameReplay : public ::testing::Test {
 protected:
  // The battle and its minute, computed once: the turn takes most of the tests' time.
  static void SetUpTestSuite() {
    PClock::SetFake([] { return gNow; });
    scene_ = std::make_unique<Scene>(kFrameWidth, kFrameHeight);
    PClock::SetFake(nullptr);
  }
  static void TearDownTestSuite() { scene_.reset(); }
  void SetUp() override { PClock::SetFake([] { return gNow; }); }
  void TearDown() override {
    gGraph3D = nullptr;
    PClock::SetFake(nullptr);
  }

  static std::unique_ptr<Scene> scene_;

  // One frame drawn whole; the triangles it sent to the device.
  static int64_t Draw(Scene& scene, Map& map) {
    scene.renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    const int64_t sent = scene.renderer.FrameTriangles().sent;
    scene.renderer.RenderEnd();
    scene.device.Settle();
    return sent;
  }

  // The replay from its start, with no effect left over from before, nor a sound that the
  // seeks before queued (the battle screen would have taken them at its next frame).
  static void Restart(Battle& battle) {
    ReplayScreen* screen = battle.replayScreen;
    battle.replayScreen = nullptr;
    battle.FlushSoundEvents();
    battle.replayScreen = screen;
    battle.StartReplay();
    battle.DeleteReplayEffects();
    battle.replayState = Replay::kPlaying;
  }

  // One squad's key-frame animation: where each figure is in its cycle and its pose.
  struct KeyFrames {
    decltype(Infantry::figureKey) key{};
    decltype(Infantry::figureNextKeyTime) nextKeyTime{};
    decltype(Infantry::figurePose) pose{};
    decltype(Infantry::poseRate) rate{};
  };

  // The squads' key frames, unit by unit: kept the first time, put back every time after.
  static void KeepKeyFrames(const Battle& battle, std::vector<KeyFrames>& kept) {
    const bool first = kept.empty();
    if (first) kept.resize(static_cast<size_t>(battle.UnitCount()));
    ASSERT_EQ(kept.size(), static_cast<size_t>(battle.UnitCount()));
    for (int32_t i = 0; i < battle.UnitCount(); ++i) {
      auto* squad = dynamic_cast<Infantry*>(battle.UnitAt(i));
      if (squad == nullptr) continue;
      KeyFrames& k = kept[static_cast<size_t>(i)];
      if (first) {
        k = {squad->figureKey, squad->figureNextKeyTime, squad->figurePose, squad->poseRate};
      } else {
        squad->figureKey = k.key;
        squad->figureNextKeyTime = k.nextKeyTime;
        squad->figurePose = k.pose;
        squad->poseRate = k.rate;
      }
    }
  }

  static std::string PacketBytes(const Battle& battle) {
    GMemoryFile memory;
    battle.WritePackets(memory.File());
    return memory.Bytes();
  }
};

std::unique_ptr<Scene> BusyFrameReplay::scene_;

TEST_F(BusyFrameReplay, TheFrameAtSlice1200DrawsTheSamePixelsAtOneTwoAndFourThreads) {
  Scene& scene = *scene_;
  ASSERT_TRUE(scene.loaded);
  Battle& battle = *scene.headless.GetBattle();
  Map& map = *battle.map;
  // Each count of threads starts from the same replay state, drawing state (the camera's
  // blend, the puffs of smoke, the fires' animation, the soldiers' key frames) and
  // presentation draws; two first rounds make what is made once (the rain's particles) and
  // settle the rest. The key frames are put back after the replay has restored the units: a
  // frame starts at most one resting figure of each squad drawn, so a squad seen at one
  // level only would start another figure every round.
  const Map::DrawTables tables = map.display.tables;
  const Map::Frame frame = map.frame;
  const float fireClock = Map::fireFrameClock;
  std::vector<uint64_t> hashes;
  std::vector<int64_t> triangles;
  std::vector<KeyFrames> keyFrames;
  for (int32_t threads : {1, 1, 1, 2, 4}) {
    SetBusyFrame(scene, map, 2, threads);
    GRandom::Presentation().Seed(67);
    map.display.tables = tables;
    map.frame = frame;
    Map::fireFrameClock = fireClock;
    Restart(battle);
    battle.SeekReplay(1200);
    KeepKeyFrames(battle, keyFrames);
    uint64_t hash = 0;
    int64_t sent = 0;
    for (int32_t level : kLevels) {
      LookAtBusiestGround(battle, map, level);
      sent += Draw(scene, map);
      hash = hash * 31u + PixelHash(scene.screen, scene.device);
    }
    hashes.push_back(hash);
    triangles.push_back(sent);
  }
  hashes.erase(hashes.begin(), hashes.begin() + 2);
  triangles.erase(triangles.begin(), triangles.begin() + 2);
  EXPECT_GT(triangles[0], 0);
  EXPECT_EQ(triangles[1], triangles[0]);
  EXPECT_EQ(triangles[2], triangles[0]);
  EXPECT_EQ(hashes[1], hashes[0]);
  EXPECT_EQ(hashes[2], hashes[0]);
}

TEST_F(BusyFrameReplay, AReplayDrawnFrameByFrameEndsAsOnePlayedHeadless) {
  Scene& scene = *scene_;
  ASSERT_TRUE(scene.loaded);
  Battle& battle = *scene.headless.GetBattle();
  Map& map = *battle.map;
  SetBusyFrame(scene, map, 2, 2);
  // The minute is one of fighting: rounds fired and landed, craters blown, vehicles hit, and
  // the battle heard.
  std::array<int32_t, Packet::kLastKind + 1> kinds{};
  for (int32_t i = 0; i < battle.packets.Count(); ++i) ++kinds[static_cast<const Packet*>(battle.packets.GetItem(i))->kind];
  EXPECT_GT(battle.shotsRun, 100);
  EXPECT_GT(kinds[Packet::kFire], 100);
  EXPECT_GT(kinds[Packet::kCrater], 10);
  EXPECT_GT(kinds[Packet::kHitReport], 1);
  EXPECT_GT(kinds[Packet::kSound], 900);
  struct Played {
    std::vector<int32_t> effectEnds;  // each frame's effects' ends, in order, 0 between frames
    int32_t frames = 0;
    int64_t triangles = 0;
    int32_t cratersAtStart = 0;  // lasting and temporary ones on the map
    int32_t craters = 0;         // the same at the end
    int32_t sounds = 0;
    int32_t effects = 0;  // the shots' effects alive, summed over the frames
    uint32_t soundNumbers = 0;
    uint32_t generator = 0;
    std::string packets;
  };
  // The replay on the fake clock, 10 slices a frame (a quarter second) to its end, drawn or
  // not, its sounds handed over each frame as the battle screen takes them.
  auto play = [&](bool drawn) {
    Played played;
    SoundCountingScreen heard;
    battle.replayScreen = &heard;
    auto craters = [&map] { return map.objects.craters->Count() + map.objects.craterMarks->Count(); };
    Restart(battle);
    played.cratersAtStart = craters();
    SeedRandom(67);
    while (battle.replayState != Replay::kPaused && played.frames < 400) {
      gNow += 250;
      battle.ReplayStep();
      battle.FlushSoundEvents();
      if (drawn) {
        LookAtBusiestGround(battle, map, kLevels[played.frames % 4]);
        played.triangles += Draw(scene, map);
      }
      played.effects += static_cast<int32_t>(battle.replay.effects.size());
      for (const auto& effect : battle.replay.effects) played.effectEnds.push_back(effect->End());
      played.effectEnds.push_back(0);
      ++played.frames;
    }
    battle.replayScreen = nullptr;
    played.craters = craters();
    played.sounds = heard.started;
    played.soundNumbers = heard.numbers;
    played.generator = RandomState();
    played.packets = PacketBytes(battle);
    return played;
  };
  const std::string recorded = PacketBytes(battle);
  const Played headless = play(false);
  const Played drawn = play(true);
  // The whole minute was played, its sounds heard and its craters made.
  EXPECT_GE(headless.frames, 240);
  EXPECT_LT(headless.frames, 400);
  EXPECT_GT(headless.sounds, 100);
  EXPECT_GT(headless.effects, 100);
  EXPECT_GT(headless.craters, headless.cratersAtStart + 10);
  EXPECT_GT(drawn.triangles, 0);
  EXPECT_EQ(drawn.frames, headless.frames);
  EXPECT_TRUE(drawn.effectEnds == headless.effectEnds);
  EXPECT_EQ(drawn.sounds, headless.sounds);
  EXPECT_EQ(drawn.soundNumbers, headless.soundNumbers);
  EXPECT_EQ(drawn.cratersAtStart, headless.cratersAtStart);
  EXPECT_EQ(drawn.craters, headless.craters);
  EXPECT_EQ(drawn.generator, headless.generator);
  EXPECT_TRUE(drawn.packets == recorded);
  EXPECT_TRUE(headless.packets == recorded);
}

}  // namespace
