// The busy battlefield's replay: the large battle on the reference map with fires, smoke and
// craters, its first minute computed headless, played back on the software device with a
// stand-in picture for every texture, rain at Full and smoke at High Quality. The frame at
// slice 1200 draws the same pixels at one, two and four drawing threads, and drawing the replay
// frame by frame leaves the packets, the effects and the game's generator as the same replay
// played without drawing leaves them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BusyFrameScene.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "game/battle/Ephemeral.h"
#include "platform/PClock.h"
#include "support/PixelHash.h"

namespace {

constexpr int32_t kFrameWidth = 320;
constexpr int32_t kFrameHeight = 240;
constexpr int32_t kLevels[] = {1, 2, 3, 5};

uint64_t gNow = 5000;

class BusyFrameReplay : public ::testing::Test {
 protected:
  void SetUp() override { PClock::SetFake([] { return gNow; }); }
  void TearDown() override {
    gGraph3D = nullptr;
    PClock::SetFake(nullptr);
  }

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

  // The replay from its start, with no effect left over from before.
  static void Restart(Battle& battle) {
    battle.StartReplay();
    battle.DeleteReplayEffects();
    battle.replayState = Replay::kPlaying;
  }

  static std::string PacketBytes(const Battle& battle) {
    GMemoryFile memory;
    battle.WritePackets(memory.File());
    return memory.Bytes();
  }
};

TEST_F(BusyFrameReplay, TheFrameAtSlice1200DrawsTheSamePixelsAtOneTwoAndFourThreads) {
  Scene scene(kFrameWidth, kFrameHeight);
  ASSERT_TRUE(scene.loaded);
  Battle& battle = *scene.headless.GetBattle();
  Map& map = *battle.map;
  // Each count of threads starts from the same replay state, drawing state (the camera's
  // blend, the puffs of smoke, the fires' animation) and presentation draws; two first rounds
  // make what is made once (the rain's particles) and settle the rest.
  const Map::DrawTables tables = map.display.tables;
  const Map::Frame frame = map.frame;
  const float fireClock = Map::fireFrameClock;
  std::vector<uint64_t> hashes;
  std::vector<int64_t> triangles;
  for (int32_t threads : {1, 1, 1, 2, 4}) {
    SetBusyFrame(scene, map, 2, threads);
    GRandom::Presentation().Seed(67);
    map.display.tables = tables;
    map.frame = frame;
    Map::fireFrameClock = fireClock;
    Restart(battle);
    battle.SeekReplay(1200);
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
  Scene scene(kFrameWidth, kFrameHeight);
  ASSERT_TRUE(scene.loaded);
  Battle& battle = *scene.headless.GetBattle();
  Map& map = *battle.map;
  SetBusyFrame(scene, map, 2, 2);
  struct Played {
    std::vector<int32_t> effectEnds;  // each frame's effects' ends, in order, 0 between frames
    int32_t frames = 0;
    int64_t triangles = 0;
    uint32_t generator = 0;
    std::string packets;
  };
  // The replay on the fake clock, 10 slices a frame (a quarter second) to its end, drawn or not.
  auto play = [&](bool drawn) {
    Played played;
    Restart(battle);
    SeedRandom(67);
    while (battle.replayState != Replay::kPaused && played.frames < 400) {
      gNow += 250;
      battle.ReplayStep();
      if (drawn) {
        LookAtBusiestGround(battle, map, kLevels[played.frames % 4]);
        played.triangles += Draw(scene, map);
      }
      for (const auto& effect : battle.replay.effects) played.effectEnds.push_back(effect->End());
      played.effectEnds.push_back(0);
      ++played.frames;
    }
    played.generator = RandomState();
    played.packets = PacketBytes(battle);
    return played;
  };
  const std::string recorded = PacketBytes(battle);
  const Played headless = play(false);
  const Played drawn = play(true);
  // The whole minute was played (the forces close in, still out of each other's reach).
  EXPECT_GE(headless.frames, 240);
  EXPECT_LT(headless.frames, 400);
  EXPECT_GT(drawn.triangles, 0);
  EXPECT_EQ(drawn.frames, headless.frames);
  EXPECT_TRUE(drawn.effectEnds == headless.effectEnds);
  EXPECT_EQ(drawn.generator, headless.generator);
  EXPECT_TRUE(drawn.packets == recorded);
  EXPECT_TRUE(headless.packets == recorded);
}

}  // namespace
