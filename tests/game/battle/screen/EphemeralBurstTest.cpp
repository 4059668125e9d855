// The burst effect: its set-up counts and spreads, the phases of its drawing slice by slice
// (flash, fragments, puffs), the renderer state it leaves, and that it never touches the
// game's generator.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/battle/screen/FakeEffectView.h"
#include "game/battle/screen/EphemeralBurst.h"

namespace {

using FakeView = FakeEffectView;

struct BurstRig : ::testing::Test {
  BurstRig() {
    gGraph3D = rig.r.get();
    rig.r->LoadIdentity();
  }
  ~BurstRig() override { gGraph3D = nullptr; }

  // A burst of the given life in front of the camera.
  static EphemeralBurst Make(int32_t type, int32_t start, int32_t duration, float size, bool dust, uint32_t seed) {
    EphemeralBurst b(type);
    b.start = start;
    b.duration = duration;
    b.originZ = -40.0f;
    b.size = size;
    b.dust = dust;
    GRandom random(seed);
    b.SetupElements(random);
    return b;
  }
  // Whether the flash showed: only the flash draws from the generator.
  bool Flashes(EphemeralBurst& b, int32_t slice) {
    const uint32_t before = view.random.State();
    b.Draw(slice, view);
    return view.random.State() != before;
  }

  RecordingRig rig;
  FakeView view{*rig.r};
};

TEST_F(BurstRig, ElementAndPuffCountsFollowTheDuration) {
  const int32_t durations[] = {47, 79, 100, 143, 244};
  const int32_t elements[] = {7, 23, 38, 81, 250};
  const int32_t puffs[] = {1, 1, 1, 3, 10};
  for (int i = 0; i < 5; ++i) {
    const EphemeralBurst b = Make(0, 0, durations[i], 1.0f, false, 3);
    EXPECT_EQ(b.elementCount, elements[i]) << durations[i];
    EXPECT_EQ(b.puffCount, puffs[i]) << durations[i];
  }
  const EphemeralBurst dust = Make(1, 0, 280, 90.0f, true, 3);
  EXPECT_EQ(dust.elementCount, 194);
  EXPECT_EQ(dust.puffCount, 7);
  // Counted in double: these are the durations where float would differ.
  EXPECT_EQ(EphemeralBurst::ElementCountFor(53), 12);
  EXPECT_EQ(EphemeralBurst::ElementCountFor(106), 48);
  EXPECT_EQ(EphemeralBurst::ElementCountFor(159), 107);
  // A lone puff sits at the centre from t2 = 0.05 with the base radius.
  const EphemeralBurst small = Make(0, 0, 47, 4.0f, false, 5);
  EXPECT_EQ(small.puffOffset[0], 0.0f);
  EXPECT_FLOAT_EQ(small.puffRadius[0], 1.5f * 4.0f * 0.075f);
  EXPECT_FLOAT_EQ(small.puffStart[0], 0.05f);
}

TEST_F(BurstRig, FragmentDirectionsAndLooksByType) {
  int32_t down = 0;
  int32_t total = 0;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    const EphemeralBurst zero = Make(0, 0, 244, 1.0f, false, seed);
    const EphemeralBurst one = Make(1, 0, 244, 1.0f, false, seed);
    const EphemeralBurst two = Make(2, 0, 244, 1.0f, false, seed);
    for (size_t i = 0; i < 250; ++i) {
      EXPECT_GT(zero.velocity[i * 3 + 2], 0.0f);
      EXPECT_NE(one.textureKind[i], 0);
      EXPECT_NE(one.textureKind[i], 1);
      down += one.velocity[i * 3 + 2] < 0.0f ? 1 : 0;
      ++total;
      // Type 2: triangles, thrown at 20..90 degrees up or down, then pushed down by 10 m/s.
      EXPECT_EQ(two.textureKind[i], 2);
      const float horizontal = std::hypot(two.velocity[i * 3], two.velocity[i * 3 + 1]);
      EXPECT_GE(std::fabs(two.velocity[i * 3 + 2] + 10.0f), horizontal * 0.36f);
    }
  }
  EXPECT_EQ(total, 10000);
  EXPECT_NEAR(down, 5000, 200);
}

TEST_F(BurstRig, FlashShowsInTheFirstPartOfTheLife) {
  EphemeralBurst b = Make(0, 1000, 100, 10.0f, false, 9);
  EXPECT_FALSE(Flashes(b, 999));
  EXPECT_TRUE(view.binds.empty());  // nothing at all before the start
  for (int32_t s = 1000; s <= 1018; ++s) EXPECT_TRUE(Flashes(b, s)) << s;
  EXPECT_FALSE(Flashes(b, 1019));
  EXPECT_FALSE(view.binds.empty());  // fragments still fly
  view.smoke = 2;
  EXPECT_TRUE(Flashes(b, 1015));
  EXPECT_FALSE(Flashes(b, 1016));

  EphemeralBurst dust = Make(1, 1000, 280, 90.0f, true, 9);
  for (int32_t s : {1000, 1100, 1279, 1280}) EXPECT_TRUE(Flashes(dust, s)) << s;
  EXPECT_FALSE(Flashes(dust, 1281));
  EXPECT_EQ(rig.r->Colour() >> 24, 0xFFu);
  EXPECT_EQ(rig.r->Depth(), 0);  // every push popped
}

TEST_F(BurstRig, FragmentsFallAndStopBelowFifteenMetres) {
  EphemeralBurst b = Make(0, 0, 100, 1.0f, false, 2);
  b.elementCount = 1;
  b.velocity[0] = 4.0f;
  b.velocity[1] = 0.0f;
  b.velocity[2] = 0.0f;
  b.raised = true;
  b.Draw(40, view);  // one second: 4 m out, 4.9 m down from 1.5 m above the origin
  ASSERT_EQ(view.binds.size(), 1u);
  EXPECT_FALSE(view.binds[0].culling);
  EXPECT_FLOAT_EQ(view.binds[0].x, 4.0f);
  EXPECT_NEAR(view.binds[0].z, -40.0f + 1.5f - 4.9f, 1e-4f);
  EXPECT_TRUE(rig.r->IsBackfaceCulling());
  view.binds.clear();
  b.Draw(69, view);  // 14.6 m down
  EXPECT_EQ(view.binds.size(), 1u);
  view.binds.clear();
  b.Draw(70, view);  // 15.006 m down
  EXPECT_TRUE(view.binds.empty());
  b.Draw(101, view);  // ended
  EXPECT_TRUE(view.binds.empty());
}

TEST_F(BurstRig, PuffsOnlyAtHighQualityWithFramesBelowTen) {
  EphemeralBurst b = Make(0, 0, 244, 20.0f, false, 4);
  for (int32_t s = 0; s <= 244; ++s) b.Draw(s, view);
  EXPECT_TRUE(view.frames.empty());
  view.smoke = 2;
  for (int32_t s = 0; s <= 244; ++s) b.Draw(s, view);
  ASSERT_FALSE(view.frames.empty());
  for (size_t i = 0; i < view.frames.size(); ++i) {
    EXPECT_GE(view.frames[i], 0);
    EXPECT_LE(view.frames[i], 9);
  }
  EXPECT_EQ(rig.r->Colour() >> 24, 0xFFu);
  // The lone-puff case: puff 0 of a small burst, p at slice s is (1.5 t - 0.05) / 0.95 x growth.
  FakeView one(*rig.r);
  one.smoke = 2;
  EphemeralBurst c = Make(0, 0, 47, 4.0f, false, 11);
  c.Draw(20, one);
  const float p = (static_cast<float>(20.0 / 47.0) * 1.5f - 0.05f) / 0.95f * c.puffGrowth[0];
  if (p <= 1.0f) {
    ASSERT_EQ(one.frames.size(), 1u);
    EXPECT_EQ(one.frames[0], static_cast<int32_t>(std::pow(p, 0.7f) * 10.0f) == 10 ? 9
                                                                                  : static_cast<int32_t>(std::pow(p, 0.7f) * 10.0f));
  } else {
    EXPECT_TRUE(one.frames.empty());
  }
}

TEST_F(BurstRig, NeverDrawsFromTheGameGenerator) {
  const uint32_t before = RandomState();
  view.smoke = 2;
  EphemeralBurst b = Make(1, 0, 244, 30.0f, false, 6);
  for (int32_t s = 0; s < 300; ++s) b.Draw(s, view);
  EXPECT_EQ(RandomState(), before);
}

TEST_F(BurstRig, DustCloudsOfCollapsingBuildings) {
  GRandom random(21);
  for (int n = 0; n < 50; ++n) {
    const bool large = n % 2 == 0;
    std::unique_ptr<EphemeralBurst> cloud(EphemeralBurst::NewDustCloud(10.0f, 20.0f, 3.0f, large, 500, random));
    EXPECT_TRUE(cloud->dust);
    EXPECT_TRUE(cloud->raised);
    EXPECT_EQ(cloud->burstType, 1);
    EXPECT_EQ(cloud->start, 500);
    EXPECT_FLOAT_EQ(cloud->size, large ? 90.0f : 60.0f);
    EXPECT_GE(cloud->duration, large ? 340 : 280);
    EXPECT_LT(cloud->duration, large ? 420 : 360);
    EXPECT_EQ(cloud->elementCount, static_cast<int32_t>(EphemeralBurst::ElementCountFor(cloud->duration) * 0.6 < 250
                                                            ? EphemeralBurst::ElementCountFor(cloud->duration) * 0.6
                                                            : 250));
  }
}

TEST(EphemeralBurstSize, RefusesSizesThatCouldNotBeABlast) {
  EXPECT_TRUE(EphemeralBurst::IsSizeValid(0.0f));
  EXPECT_TRUE(EphemeralBurst::IsSizeValid(1000.0f));
  EXPECT_FALSE(EphemeralBurst::IsSizeValid(-0.5f));
  EXPECT_FALSE(EphemeralBurst::IsSizeValid(1000.5f));
  EXPECT_FALSE(EphemeralBurst::IsSizeValid(std::nanf("")));
  EXPECT_FALSE(EphemeralBurst::IsSizeValid(INFINITY));
}

}  // namespace
