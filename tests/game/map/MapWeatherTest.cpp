// Rain and snow on the recording device with a fake clock: when the pass draws, how many
// particles a block holds, their sizes, the falling cycle over long uptimes, the set remade
// after the counter wraps, the game's generator untouched, and the map's far edge.
#include "OverGroundRig.h"
#include "framework/core/Quorl.h"
#include "platform/PClock.h"

namespace {

struct WeatherWorld : OverGroundWorld {
  uint64_t now = 1000;
  explicit WeatherWorld(int32_t tiles = 40) : OverGroundWorld(tiles) {
    PClock::SetFake([this] { return now; });
    maps.app.options[12] = 2;
    battle.weather = 2;
    Place(1, 400.0f, 400.0f, 0.0f);
  }
  ~WeatherWorld() { PClock::SetFake(nullptr); }
  // Triangles the pass hands the renderer.
  int64_t Frame() {
    r->ResetTriangleCounts();
    map->DrawWeather();
    return Given();
  }
  // Only the camera's block (5, 5) in view.
  void OneBlock() {
    SetStates(0);
    map->terrain.blockViewState.At(5, 5) = 2;
  }
};

}  // namespace

TEST(MapWeather, DrawsOnlyInRainOrSnowWithItsOptionBelowLevelFour) {
  WeatherWorld w;
  w.OneBlock();
  EXPECT_EQ(w.Frame(), 500);  // 250 streaks of two triangles
  w.maps.app.options[12] = 1;
  EXPECT_EQ(w.Frame(), 250);
  w.battle.weather = 5;
  EXPECT_EQ(w.Frame(), 250);  // 250 flakes at Partial
  w.maps.app.options[12] = 2;
  EXPECT_EQ(w.Frame(), 500);

  w.maps.app.options[12] = 0;
  EXPECT_EQ(w.Frame(), 0);
  w.maps.app.options[12] = 2;
  for (int32_t weather : {0, 1, 3, 4}) {
    w.battle.weather = weather;
    EXPECT_EQ(w.Frame(), 0) << weather;
  }
  w.battle.weather = 5;
  w.Place(4, 400.0f, 400.0f, 0.0f);
  w.OneBlock();
  EXPECT_EQ(w.Frame(), 0);
  w.Place(3, 400.0f, 400.0f, 0.0f);
  w.OneBlock();
  w.r->SetPickMode(1, 0, -1, &w.device);
  EXPECT_EQ(w.Frame(), 0);
  w.r->SetPickMode(0, 0, -1, nullptr);
  // Every block within two of the camera's, 25 in all.
  w.SetStates(2);
  EXPECT_EQ(w.Frame(), 25 * 500);
}

TEST(MapWeather, SizesByDistanceAndTheCycleInSixtyFourBits) {
  EXPECT_FLOAT_EQ(Map::WeatherParticleSize(80.0f, 0.0f, false, 1), 0.13f);
  EXPECT_FLOAT_EQ(Map::WeatherParticleSize(0.0f, 90.0f, true, 1), 0.13f);
  EXPECT_FLOAT_EQ(Map::WeatherParticleSize(70.0f, 70.0f, true, 1), 0.13f);
  EXPECT_FLOAT_EQ(Map::WeatherParticleSize(40.0f, 0.0f, false, 1), 0.13f * std::pow(0.5f, 0.85f));
  EXPECT_FLOAT_EQ(Map::WeatherParticleSize(0.0f, 40.0f, false, 0), 0.13f * std::pow(0.5f, 0.5f));
  EXPECT_FLOAT_EQ(Map::WeatherParticleSize(20.0f, 0.0f, true, 2), 0.13f * std::pow(0.25f, 1.3f));
  EXPECT_FLOAT_EQ(Map::WeatherParticleSize(20.0f, 0.0f, true, 0), 0.13f * std::pow(0.25f, 0.8f));

  EXPECT_EQ(Map::WeatherElapsed(1234, true, 30.0f), 1234);
  EXPECT_EQ(Map::WeatherElapsed(1234, false, 30.0f), 12340 % 12000);
  EXPECT_EQ(Map::WeatherElapsed(1000, true, 60.0f), 500);
  // Five days of uptime: rain's tenfold time passes 32 bits and still runs on.
  EXPECT_EQ(Map::WeatherElapsed(432000001u, false, 30.0f), 10);
}

TEST(MapWeather, TheSetIsMadeOnceFromThePresentationsGeneratorAndAgainAfterAWrap) {
  WeatherWorld w;
  SeedRandom(4242u);
  const uint32_t game = RandomState();
  for (int32_t n = 0; n < 200; ++n) {
    w.now += 16;
    w.Frame();
  }
  EXPECT_EQ(RandomState(), game);
  EXPECT_EQ(w.map->overGround.particleStart, 1016u);
  const auto first = w.map->overGround.particles;
  for (const Map::WeatherParticle& p : first) {
    EXPECT_GE(p.x, 0.0f);
    EXPECT_LT(p.x, 80.0f);
    EXPECT_GE(p.phase, 0);
    EXPECT_LT(p.phase, 12000);
  }
  w.now = 500;  // the tick counter wrapped
  w.Frame();
  EXPECT_EQ(w.map->overGround.particleStart, 500u);
  EXPECT_NE(w.map->overGround.particles[0].x, first[0].x);
}

TEST(MapWeather, TheLastBlockOfAMapReachingPastItsEdgeDrawsOnlyWhatLiesOnIt) {
  // 62 tiles: 1240 m, the last block reaching to 1280 m.
  WeatherWorld w(62);
  w.Place(1, 1235.0f, 600.0f, 0.0f);
  w.SetStates(0);
  w.map->terrain.blockViewState.At(15, 7) = 2;
  w.Frame();
  int32_t inside = 0;
  for (int32_t n = 0; n < 250; ++n) inside += w.map->overGround.particles[static_cast<size_t>(n)].x < 40.0f;
  EXPECT_EQ(w.Frame(), 2 * inside);
  EXPECT_LT(inside, 250);
}
