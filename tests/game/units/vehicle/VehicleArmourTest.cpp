// Vehicle armour: the facing a point sees, the elevation over a tilted hull, the slope factor,
// the effective armour with quality, skirts and hardness, and hull down.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr float kX = 500.0f;
constexpr float kY = 500.0f;

// A point at the distance along a bearing from the hull's facing 0.
void PointAt(float bearing, float distance, float& px, float& py) {
  px = kX + distance * static_cast<float>(std::cos(bearing * 0.017453292519943295));
  py = kY + distance * static_cast<float>(std::sin(bearing * 0.017453292519943295));
}

std::unique_ptr<Vehicle> Make(int32_t classIndex, int32_t code = 0) {
  auto v = std::make_unique<Vehicle>();
  v->SetClass(classIndex, code, 2, kX, kY, 0.0f);
  return v;
}

void Plate(VehicleRig& rig, int32_t cls, int32_t part, int32_t facing, int16_t thickness, int16_t slope) {
  rig.PutI16(cls, ArmourLayout::PlateOffset(part, facing), thickness);
  rig.PutI16(cls, ArmourLayout::PlateOffset(part, facing) + 2, slope);
}

ArmourRequest Aim(float bearing, int32_t part, int32_t facing, int32_t ammo) {
  ArmourRequest r;
  PointAt(bearing, 100.0f, r.x, r.y);
  r.part = part;
  r.facing = facing;
  r.calibre = 75.0f;
  r.ammoKind = ammo;
  r.expectedValues = true;
  return r;
}

}  // namespace

TEST(VehicleArmour, FacingAndSideShareByBearing) {
  VehicleRig rig;
  auto v = Make(1);
  struct Case {
    float bearing;
    int32_t facing;
    float share;
  };
  const Case cases[] = {{0.0f, 0, 0.0f},   {20.0f, 0, 0.0f},   {20.1f, 0, 0.1f / 30.0f}, {35.0f, 0, 0.5f},
                        {70.01f, 1, 1.0f}, {109.99f, 1, 1.0f},  {150.0f, 2, 1.0f / 3.0f}, {160.0f, 2, 0.0f},
                        {-35.0f, 0, 0.5f}, {-150.0f, 2, 1.0f / 3.0f}};
  for (const Case& c : cases) {
    float px = 0.0f, py = 0.0f;
    PointAt(c.bearing, 200.0f, px, py);
    float share = -1.0f;
    EXPECT_EQ(v->GetArmorFacingFrom(px, py, false, true, &share), c.facing) << c.bearing;
    EXPECT_NEAR(share, c.share, 1e-4) << c.bearing;
  }
  // Without allowSide: the half-plane decides.
  float px = 0.0f, py = 0.0f;
  PointAt(90.0f, 200.0f, px, py);
  float share = -1.0f;
  EXPECT_EQ(v->GetArmorFacingFrom(px, py, false, false, &share), 0);
  EXPECT_EQ(share, 0.0f);
  PointAt(90.1f, 200.0f, px, py);
  EXPECT_EQ(v->GetArmorFacingFrom(px, py, false, false), 2);
  // The turret's direction counts only with a turret.
  v->turretOffset = 180.0f;
  PointAt(0.0f, 200.0f, px, py);
  EXPECT_EQ(v->GetArmorFacingFrom(px, py, true, true), 0);
  rig.PutI32(2, 80, 2);
  rig.Class(2)[ArmourLayout::kTurretArmourPresent] = 1;
  auto turreted = Make(2);
  turreted->turretOffset = 180.0f;
  EXPECT_EQ(turreted->GetArmorFacingFrom(px, py, true, true), 2);
  EXPECT_EQ(turreted->GetArmorFacingFrom(px, py, false, true), 0);
}

TEST(VehicleArmour, SideChoiceIsDrawnWithoutTheOut) {
  VehicleRig rig;
  auto v = Make(1);
  float px = 0.0f, py = 0.0f;
  PointAt(35.0f, 200.0f, px, py);
  SeedRandom(77);
  int32_t sides = 0;
  for (int32_t i = 0; i < 100000; ++i) sides += v->GetArmorFacingFrom(px, py, false, true) == 1 ? 1 : 0;
  EXPECT_NEAR(sides / 100000.0, 0.5, 0.01);
  // With the out nothing is drawn.
  const uint32_t state = RandomState();
  float share = 0.0f;
  v->GetArmorFacingFrom(px, py, false, true, &share);
  EXPECT_EQ(RandomState(), state);
}

TEST(VehicleArmour, ElevationIsCorrectedByTheHullsPitch) {
  VehicleRig rig(false);
  auto v = Make(1);
  v->hullPitch = 5.0f;
  const float base = v->HullHeight();
  EXPECT_NEAR(v->GetElevationFromHull(kX + 100.0f, kY, base + 10.0f), 0.7106f, 1e-3);
  EXPECT_NEAR(v->GetElevationFromHull(kX - 100.0f, kY, base + 10.0f), 10.7106f, 1e-3);
  // Roll raises the left side.
  v->hullPitch = 0.0f;
  v->hullRoll = 5.0f;
  EXPECT_NEAR(v->GetElevationFromHull(kX, kY + 100.0f, base + 10.0f), 0.7106f, 1e-3);
  // Between two faces the rise runs in a straight line: half the pitch and half the roll at
  // 45 degrees, where a sine would give 0.7071 of each.
  v->hullPitch = 10.0f;
  v->hullRoll = 4.0f;
  EXPECT_NEAR(v->GetElevationFromHull(kX + 100.0f, kY + 100.0f, base), -7.0f, 1e-3);
  EXPECT_NEAR(v->GetElevationFromHull(kX - 100.0f, kY - 100.0f, base), 7.0f, 1e-3);
  EXPECT_NEAR(v->GetElevationFromHull(kX + 100.0f, kY - 100.0f, base), -3.0f, 1e-3);
}

TEST(VehicleArmour, SlopeMultiplierCurves) {
  EXPECT_NEAR(SlopeMultiplier(75.0f, 30.0f, 1.0f, false), 1.246427f, 1e-5);
  EXPECT_NEAR(SlopeMultiplier(75.0f, 45.0f, 1.0f, false), 1.794272f, 1e-5);
  EXPECT_NEAR(SlopeMultiplier(75.0f, 60.0f, 1.0f, false), 2.742327f, 1e-5);
  EXPECT_NEAR(SlopeMultiplier(75.0f, 70.0f, 1.0f, false), 4.242327f, 1e-5);
  EXPECT_NEAR(SlopeMultiplier(0.0f, 40.0f, 1.0f, false), 1.841694f, 1e-5);
  EXPECT_NEAR(SlopeMultiplier(75.0f, 40.0f, 3.0f, false), 1.841694f, 1e-5);
  EXPECT_NEAR(SlopeMultiplier(75.0f, 60.0f, 1.0f, true), 2.0f, 1e-5);
  EXPECT_EQ(SlopeMultiplier(75.0f, 0.0f, 1.0f, false), 1.0f);
  EXPECT_GE(SlopeMultiplier(0.0f, 0.0f, 1.0f, false), 1.0f);
  EXPECT_EQ(SlopeMultiplier(75.0f, 95.0f, 1.0f, true), 1.0f);
}

TEST(VehicleArmour, ExpectedArmourOfSlopedAndSkirtedPlates) {
  VehicleRig rig(false);
  Plate(rig, 3, 1, 0, 80, 55);
  Plate(rig, 3, 1, 1, 40, 0);
  auto v = Make(3);
  ArmourOutcome out;
  EXPECT_NEAR(v->ComputePenetration(Aim(0.0f, 1, 0, 1), &out), 197.473f, 2e-3);
  EXPECT_NEAR(out.ratio, 80.0f / 75.0f, 1e-5);
  EXPECT_GT(out.slopeFactor, 2.4f);
  rig.PutI32(3, ArmourLayout::kQuality, 2);
  EXPECT_NEAR(v->ComputePenetration(Aim(0.0f, 1, 0, 1)), 172.816f, 2e-3);
  rig.PutI32(3, ArmourLayout::kQuality, 0);

  rig.PutI32(3, ArmourLayout::kSkirts, 1);
  EXPECT_NEAR(v->ComputePenetration(Aim(90.0f, 1, 1, 3)), 110.263f, 2e-3);
  EXPECT_NEAR(v->ComputePenetration(Aim(60.0f, 1, 1, 3)), 164.269f, 2e-3);
  EXPECT_NEAR(v->ComputePenetration(Aim(90.0f, 1, 1, 1)), 43.0f, 1e-4);
  EXPECT_NEAR(v->ComputePenetration(Aim(90.0f, 1, 1, 0)), 80.0f, 1e-4);
  // Without slope the horizontal angle still lengthens the stand-off: 2 m x 1.9.
  ArmourRequest flat = Aim(0.0f, 1, 1, 3);
  flat.useSlope = false;
  EXPECT_NEAR(v->ComputePenetration(flat), 40.0f / (0.68f - 0.15f * 3.8f) + 5.0f, 1e-2);
  // Skirts of code 5 cover a side hull too rarely to count in expected values.
  rig.PutI32(3, ArmourLayout::kSkirts, 5);
  Plate(rig, 3, 2, 1, 30, 0);
  EXPECT_NEAR(v->ComputePenetration(Aim(90.0f, 2, 1, 3)), 30.0f, 1e-4);

  // Top plates ignore slope, quality, skirts and facing.
  rig.PutI16(3, ArmourLayout::kTop + 2, 12);
  rig.PutI32(3, ArmourLayout::kQuality, 3);
  EXPECT_EQ(v->ComputePenetration(Aim(90.0f, 4, 2, 0), &out), 12.0f);
  EXPECT_EQ(out.ratio, 0.0f);
  EXPECT_EQ(out.hardness, 320 * 9 / 10 + 35);  // German rule for 12 mm, reduced quality
}

TEST(VehicleArmour, HardnessByClassRuleAndTable) {
  VehicleRig rig(false);
  auto hardness = [&](int32_t cls, int32_t quality, int32_t code, int32_t date) {
    Plate(rig, cls, 1, 0, 45, 0);
    rig.PutI32(cls, ArmourLayout::kQuality, quality);
    rig.world.app.date = date;
    auto v = Make(cls, code);
    ArmourOutcome out;
    v->ComputePenetration(Aim(0.0f, 1, 0, 1), &out);
    return out.hardness;
  };
  EXPECT_EQ(hardness(10, 0, 0, 4406), 275);
  EXPECT_EQ(hardness(10, 1, 0, 4406), 249);
  EXPECT_EQ(hardness(100, 0, 0, 4406), 292);
  EXPECT_EQ(hardness(150, 0, 0, 4412), 301);
  EXPECT_EQ(hardness(150, 0, 0, 4503), 257);
  rig.PutI32(11, 112, 6);
  EXPECT_EQ(hardness(11, 0, 0, 4406), 220);
  // The computation class takes the German rule on the Allied side only.
  EXPECT_EQ(hardness(226, 0, 0, 4406), 275);
  EXPECT_EQ(hardness(226, 0, 6, 4406), 301);

  // A table value wins; a negative one marks a face-hardened plate.
  rig.Class(12)[ArmourLayout::kHardnessGiven] = 1;
  rig.PutI16(12, ArmourLayout::kHardness + 2 * ArmourLayout::PlateIndex(1, 0), -400);
  Plate(rig, 12, 1, 0, 45, 0);
  auto v = Make(12);
  ArmourOutcome out;
  const uint32_t state = RandomState();
  ArmourRequest drawn = Aim(0.0f, 1, 0, 1);
  drawn.expectedValues = false;
  v->ComputePenetration(drawn, &out);
  EXPECT_EQ(out.hardness, 400);
  EXPECT_TRUE(out.faceHardened);
  EXPECT_EQ(RandomState(), state);
}

TEST(VehicleArmour, ExpectedValuesDrawNothingAndRepeat) {
  VehicleRig rig(false);
  rig.PutI32(4, 80, 1);
  rig.Class(4)[ArmourLayout::kTurretArmourPresent] = 1;
  rig.Class(4)[ArmourLayout::kVariableFront] = 1;
  rig.PutI32(4, ArmourLayout::kSkirts, 2);
  Plate(rig, 4, 0, 0, 50, 10);
  auto v = Make(4);
  SeedRandom(9);
  ArmourOutcome a;
  ArmourOutcome b;
  const float first = v->ComputePenetration(Aim(10.0f, 0, 0, 1), &a);
  const float second = v->ComputePenetration(Aim(10.0f, 0, 0, 1), &b);
  EXPECT_EQ(RandomState(), 9u);
  EXPECT_EQ(first, second);
  EXPECT_EQ(a.hardness, b.hardness);
  // Drawn: the variable slope draws only on a front hit of the first armoured part, and the
  // skirt's stand-off and cover and the hardness spread follow.
  ArmourRequest drawn = Aim(10.0f, 0, 0, 1);
  drawn.expectedValues = false;
  std::vector<int32_t> bounds;
  static std::vector<int32_t>* sink = nullptr;
  sink = &bounds;
  SetRandomBoundObserver([](int32_t n) { sink->push_back(n); });
  v->ComputePenetration(drawn, &a);
  drawn.facing = 1;
  v->ComputePenetration(drawn);
  SetRandomBoundObserver(nullptr);
  ASSERT_GE(bounds.size(), 3u);
  EXPECT_EQ(bounds[0], 100);
  if (bounds[1] == 11) bounds.erase(bounds.begin() + 1);
  EXPECT_EQ(bounds[1], 2);  // the turret skirt's stand-off
  // The side skirts' stand-off is drawn for a side hull plate even where the code covers none.
  bounds.clear();
  drawn.part = 1;
  SetRandomBoundObserver([](int32_t n) { sink->push_back(n); });
  v->ComputePenetration(drawn);
  SetRandomBoundObserver(nullptr);
  EXPECT_EQ(bounds.size(), 1u);
}

TEST(VehicleArmourDeathTest, TurretPartWithoutTurretArmourIsFatal) {
  VehicleRig rig(false);
  auto v = Make(5);
  EXPECT_DEATH(v->ComputePenetration(Aim(0.0f, 0, 0, 1)), "Vehicle line 4601");
  EXPECT_DEATH(v->ComputePenetration(Aim(0.0f, 1, 3, 1)), "Vehicle line 4602");
}

TEST(VehicleArmour, HullDownFromPointsAndThePairCache) {
  VehicleRig rig;
  auto v = Make(1);
  auto other = Make(2);
  other->SetPosition(kX + 200.0f, kY);
  EXPECT_FALSE(v->IsHullDownFromPoint(kX + 200.0f, kY));
  v->emplaced = 1;
  EXPECT_TRUE(v->IsHullDownFromPoint(kX + 200.0f, kY));
  v->emplaced = 0;
  // A wall just ahead of the hull.
  for (float d = 6.0f; d <= 10.0f; d += 2.0f) {
    for (float w = -6.0f; w <= 6.0f; w += 2.0f) rig.SetTerrain(kX + d, kY + w, 29);
  }
  EXPECT_TRUE(v->IsHullDownFromPoint(kX + 200.0f, kY));
  EXPECT_FALSE(v->IsHullDownFromPoint(kX - 200.0f, kY));
  // A ridge astern blocks the ground line altogether: hull down from there too.
  for (float d = 96.0f; d <= 104.0f; d += 2.0f) {
    for (float w = -4.0f; w <= 4.0f; w += 2.0f) {
      uint16_t& cell = rig.GetMap().terrain.fineGrid.At(static_cast<int32_t>((kX - d) / 2.0f),
                                                          static_cast<int32_t>((kY + w) / 2.0f));
      cell = static_cast<uint16_t>(cell | 0x3FF);
    }
  }
  EXPECT_TRUE(v->IsHullDownFromPoint(kX - 200.0f, kY));
  EXPECT_FALSE(v->IsHullDownFromPoint(kX, kY - 200.0f));

  rig.world.Battle().currentSlice = 20;
  rig.world.Lend(v.get());
  rig.world.Lend(other.get());
  EXPECT_TRUE(v->IsHullDownFrom(*other));
  bool seen = false;
  bool known = false;
  bool hullDown = false;
  ASSERT_TRUE(rig.GetMap().CachedVisibility(other.get(), v.get(), seen, nullptr, &known, &hullDown));
  EXPECT_TRUE(seen);
  EXPECT_TRUE(known);
  EXPECT_TRUE(hullDown);
  // The reverse direction was stored too: the other stands in the open.
  ASSERT_TRUE(rig.GetMap().CachedVisibility(v.get(), other.get(), seen, nullptr, &known, &hullDown));
  EXPECT_TRUE(known);
  EXPECT_FALSE(hullDown);
  EXPECT_FALSE(other->IsHullDownFrom(*v));
  // A cached answer is read back without tracing again.
  for (float d = 6.0f; d <= 10.0f; d += 2.0f) {
    for (float w = -6.0f; w <= 6.0f; w += 2.0f) rig.SetTerrain(kX + d, kY + w, 0);
  }
  EXPECT_TRUE(v->IsHullDownFrom(*other));
}
