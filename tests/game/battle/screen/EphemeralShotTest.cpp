// Shots in flight and the flame jet: where the projectiles are at given slices, who sees them,
// how many triangles each model and each flame phase gives, and that nothing draws from the
// game's generator.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/Quorl.h"
#include "game/battle/screen/EphemeralShot.h"
#include "game/battle/screen/FakeEffectView.h"

namespace {

struct ShotRig : ::testing::Test {
  ShotRig() {
    gGraph3D = rig.r.get();
    rig.r->LoadIdentity();
  }
  ~ShotRig() override { gGraph3D = nullptr; }

  // The triangles one drawing gives.
  int64_t Triangles(EphemeralShot& shot, int32_t slice) {
    rig.r->ResetTriangleCounts();
    shot.Draw(slice, view);
    EXPECT_EQ(rig.r->Depth(), 0);
    return rig.r->FrameTriangles().given;
  }

  RecordingRig rig;
  FakeEffectView view{*rig.r};
  int shooterTag = 0;  // stands for a unit: the fake view only compares its address
  const Unit* Shooter() const { return reinterpret_cast<const Unit*>(&shooterTag); }
};

constexpr int64_t kModelA = 14;  // fan of 4, strip of 8, one quad

TEST_F(ShotRig, TracerBurstPositionsAtGivenSlices) {
  EphemeralShot shot;
  shot.code = 19;
  shot.start = 1000;
  shot.duration = 44;
  shot.fixedSource = false;
  shot.shooter = Shooter();
  shot.shownToBoth = true;
  shot.targetX = 440.0f;
  ASSERT_EQ(shot.ProjectileCount(), 6);
  auto xs = [&](int32_t slice) {
    std::vector<float> out;
    for (int32_t i = 0; i < 6; ++i) {
      float x = 0.0f;
      float y = 0.0f;
      float z = 0.0f;
      if (shot.ProjectileAt(slice, i, 0.0f, 0.0f, 0.0f, &x, &y, &z)) out.push_back(x);
    }
    return out;
  };
  const std::vector<float> at1010 = xs(1010);
  ASSERT_EQ(at1010.size(), 2u);
  EXPECT_NEAR(at1010[0], 220.0f, 1e-3f);
  EXPECT_NEAR(at1010[1], 110.0f, 1e-3f);
  const std::vector<float> at1019 = xs(1019);
  ASSERT_EQ(at1019.size(), 4u);
  const float expected[] = {418.0f, 308.0f, 198.0f, 88.0f};
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(at1019[i], expected[i], 1e-3f);
  EXPECT_EQ(Triangles(shot, 1010), 2 * kModelA);
  // The Axis colour of the last tracer drawn.
  view.axis = true;
  shot.Draw(1010, view);
  EXPECT_EQ(rig.r->Colour() & 0xFFFFFFu, (0xFFu << 16) | (0x7Fu << 8) | 0x66u);
}

TEST_F(ShotRig, WhoSeesAShot) {
  EphemeralShot shot;
  shot.code = 3;
  shot.start = 0;
  shot.duration = 40;
  shot.targetX = 100.0f;
  EXPECT_EQ(Triangles(shot, 20), kModelA);  // no shooter: always drawn
  shot.shooter = Shooter();
  EXPECT_EQ(Triangles(shot, 20), 0);  // hidden, not the viewer's side
  view.viewersUnit = Shooter();
  EXPECT_EQ(Triangles(shot, 20), kModelA);
  view.viewersUnit = nullptr;
  shot.shownToBoth = true;
  EXPECT_EQ(Triangles(shot, 20), kModelA);
  shot.duration = 0;
  EXPECT_EQ(Triangles(shot, 0), 0);
  EXPECT_EQ(Triangles(shot, 20), 0);
  shot.duration = 40;
  shot.code = 20;  // outside the table: nothing
  EXPECT_EQ(Triangles(shot, 20), 0);
  shot.code = -1;
  EXPECT_EQ(Triangles(shot, 20), 0);
}

TEST_F(ShotRig, BombFallsOntoTheTargetAndSizesGrowFromLevelThree) {
  EphemeralShot shot;
  shot.code = 7;
  shot.start = 0;
  shot.duration = 100;
  shot.targetX = 50.0f;
  shot.targetY = 60.0f;
  shot.targetZ = 5.0f;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  ASSERT_TRUE(shot.ProjectileAt(1, 0, 0.0f, 0.0f, 10.0f, &x, &y, &z));
  EXPECT_EQ(x, 50.0f);
  EXPECT_EQ(y, 60.0f);
  EXPECT_NEAR(z, 10.0f - 0.05f + 0.99f * 600.0f, 1e-3f);
  ASSERT_TRUE(shot.ProjectileAt(100, 0, 0.0f, 0.0f, 10.0f, &x, &y, &z));
  EXPECT_NEAR(z, 5.0f, 1e-4f);
  EXPECT_FALSE(shot.ProjectileAt(0, 0, 0.0f, 0.0f, 10.0f, &x, &y, &z));
  EXPECT_FALSE(shot.ProjectileAt(101, 0, 0.0f, 0.0f, 10.0f, &x, &y, &z));
  EXPECT_FLOAT_EQ(shot.ProjectileSize(2), 0.2f);
  EXPECT_FLOAT_EQ(shot.ProjectileSize(3), 0.3f);
  // An arc: 0.00305 x D x D / 4 above the straight line at mid-flight.
  shot.code = 0;
  ASSERT_TRUE(shot.ProjectileAt(50, 0, 0.0f, 0.0f, 0.0f, &x, &y, &z));
  EXPECT_NEAR(z, 0.00305f * 100.0f * 100.0f * 0.25f + 2.5f, 1e-3f);
}

TEST_F(ShotRig, RocketTrailFromHighOrCloudFromLow) {
  EphemeralShot shot;
  shot.code = 1;
  shot.start = 0;
  shot.duration = 100;
  shot.targetX = 300.0f;
  shot.originZ = 60.0f;  // more than 50 m above the ground
  const int64_t high = Triangles(shot, 50);
  // Puffs of 8 triangles from q = 0.2 below f = 0.5 in steps of 0.016: 19 of them.
  EXPECT_EQ(high, kModelA + 19 * 8);
  EXPECT_EQ(rig.r->Colour() >> 24, 0xFFu);
  shot.originZ = 40.0f;
  // Behind the muzzle: q below 0.025 in steps of 0.002, 13 puffs.
  EXPECT_EQ(Triangles(shot, 50), kModelA + 13 * 8);
}

TEST_F(ShotRig, FlamePhasesAndBed) {
  EphemeralShot flame;
  flame.code = EphemeralShot::kFlameCode;
  flame.start = 0;
  flame.duration = 30;
  flame.targetX = 40.0f;
  flame.LengthenFlame();
  EXPECT_EQ(flame.duration, 120);  // ends at start + 120 drawn or not
  EXPECT_EQ(flame.flameArrival, 30);
  flame.LengthenFlame();
  EXPECT_EQ(flame.duration, 120);  // once only
  EXPECT_EQ(Triangles(flame, 13), 9 * 16);
  EXPECT_EQ(view.bedBinds, 0);
  view.detail = 0.25f;
  EXPECT_EQ(Triangles(flame, 40), 20 * 16 + 4 * 2);
  EXPECT_EQ(view.bedBinds, 1);
  EXPECT_FLOAT_EQ(view.bedZ, 0.5f);  // lifted by twice the detail factor
  EXPECT_TRUE(rig.r->IsBackfaceCulling());
  EXPECT_EQ(Triangles(flame, 100), 14 * 16 + 4 * 2);
  EXPECT_EQ(flame.duration, 120);  // drawing leaves the end alone
  // A long flame keeps twice its flight.
  EphemeralShot longer;
  longer.code = EphemeralShot::kFlameCode;
  longer.duration = 90;
  longer.LengthenFlame();
  EXPECT_EQ(longer.duration, 180);
}

TEST_F(ShotRig, FlameOnItsAimPointStaysFinite) {
  EphemeralShot flame;
  flame.code = EphemeralShot::kFlameCode;
  flame.duration = 30;
  flame.LengthenFlame();
  rig.device.ClearCalls();
  // The aim point is jittered by up to 0.4 m; a source on the target sees d near or at 0.
  for (int32_t s = 0; s < 120; ++s) {
    view.random.Seed(static_cast<uint32_t>(s));
    rig.r->LoadIdentity();
    flame.Draw(s, view);
    const auto& m = rig.r->Top().m;
    for (const auto& row : m)
      for (float v : row) EXPECT_TRUE(std::isfinite(v));
  }
  for (const auto* d : rig.device.Draws())
    for (int32_t i = 0; i < d->count; ++i) EXPECT_TRUE(std::isfinite(d->X(i)) && std::isfinite(d->Y(i)));
}

TEST_F(ShotRig, ShotsLeaveTheGameGeneratorAlone) {
  const uint32_t before = RandomState();
  EphemeralShot trail;
  trail.code = 1;
  trail.duration = 100;
  trail.targetX = 300.0f;
  trail.originZ = 60.0f;
  EphemeralShot flame;
  flame.code = EphemeralShot::kFlameCode;
  flame.duration = 30;
  flame.targetX = 20.0f;
  flame.LengthenFlame();
  for (int32_t s = 0; s < 120; ++s) {
    trail.Draw(s, view);
    flame.Draw(s, view);
  }
  EXPECT_EQ(RandomState(), before);
}

}  // namespace
