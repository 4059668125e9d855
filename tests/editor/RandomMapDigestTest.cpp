#include <gtest/gtest.h>

#include "RandomMapTestRig.h"
#include "Sha256.h"
#include "game/map/Landmark.h"

namespace {

Bytes GenerateBytes(MapRig& rig, uint32_t seed, const RandomMapParams& params) {
  Map map(rig.app);
  SeedRandom(seed);
  RandomMapGenerator::Generate(map, params);
  return rig.Write(map);
}

// One seed and one set of parameters give one map, on every machine and in every build: the
// stored bytes of three maps are pinned. (CTest runs these again with glibc's FMA paths off.)
TEST(RandomMapDigest, PinnedMapsGiveTheirBytes) {
  MapRig rig;
  struct Case {
    uint32_t seed;
    RandomMapParams params;
    const char* digest;
  };
  const Case cases[] = {
      {1944, Params(2000.0f, 1200.0f, 1, 2, 0, 2), "f45c953efda5f00ad67b26f1d31e95cac890beaa31117fe187c9d6420560675c"},
      {1945, Params(5000.0f, 5000.0f, 0, 4, -1, 3), "181e807bcc48fe29e193f928665286b04f3b6122e5c051e53e53b2caadb36d64"},
      {1946, Params(800.0f, 800.0f, 3, 0, -1, 0), "2a4a804944a207cd153bf65235903c4d4e82e85d7f857eec886c39beb5cfdba8"},
  };
  for (const Case& c : cases) {
    const Bytes bytes = GenerateBytes(rig, c.seed, c.params);
    EXPECT_EQ(Sha256::Hex(bytes.data(), bytes.size()), c.digest) << c.params.mapType;
  }
}

TEST(RandomMapDigest, TheSameSeedGivesTheSameBytesAndAnOldMapLeavesNothing) {
  MapRig rig;
  const RandomMapParams params = Params(1600.0f, 2400.0f, 2, 3, 3, 1);
  const Bytes first = GenerateBytes(rig, 77, params);
  // The same map object, holding another generated map first, gives the same bytes again.
  Map map(rig.app);
  SeedRandom(5);
  RandomMapGenerator::Generate(map, Params(5000.0f, 5000.0f, 0, 4));
  map.objects.landmarks.Append(new Landmark(4, 5, "Hill 112"));
  SeedRandom(77);
  RandomMapGenerator::Generate(map, params);
  EXPECT_EQ(map.objects.landmarks.Count(), 0);
  EXPECT_EQ(rig.Write(map), first);
  const Bytes other = GenerateBytes(rig, 78, params);
  EXPECT_NE(other, first);
}

}  // namespace
