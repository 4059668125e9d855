#include "game/units/fire/WeaponFormulas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/core/LittleEndian.h"
#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

// A weapons table of 105 records held by the test; the formulas read it through gWeapons.
class TestWeapons {
 public:
  TestWeapons() : bytes_(WeaponData::kSize * 105, 0) { Publish(); }
  ~TestWeapons() { gWeapons = {}; }
  uint8_t* At(int32_t weapon, int32_t offset) { return &bytes_[WeaponData::kSize * weapon + offset]; }
  void Int(int32_t weapon, int32_t offset, int32_t v) { StoreLE32(At(weapon, offset), static_cast<uint32_t>(v)); }
  void Float(int32_t weapon, int32_t offset, float v) { StoreLEFloat(At(weapon, offset), v); }
  void Byte(int32_t weapon, int32_t offset, uint8_t v) { *At(weapon, offset) = v; }
  void Flags(int32_t weapon, uint16_t v) { StoreLE16(At(weapon, 92), v); }
  // A gun of type 2 and calibre d with kind k's mass and muzzle velocity.
  void Gun(int32_t weapon, int32_t type, float calibre, int32_t shotType) {
    Int(weapon, 0, type);
    Float(weapon, 4, calibre);
    Int(weapon, 56, shotType);
  }
  void Kind(int32_t weapon, int32_t kind, float mass, float velocity) {
    Float(weapon, 8 + 4 * kind, mass);
    Float(weapon, 28 + 4 * kind, velocity);
  }
  void Publish() { gWeapons = {bytes_.data(), static_cast<uint32_t>(bytes_.size())}; }

 private:
  std::vector<uint8_t> bytes_;
};

// The drag model stepped again here, apart from the program's code.
struct Flight {
  float time;
  float velocity;
  int steps;
};
Flight Fly(float calibre, float mass, float velocity, float k, float range) {
  const float drag = 0.01f * calibre * calibre / mass * k;
  Flight f{0.0f, velocity, 0};
  float s = 0.0f;
  while (f.time < 999.0f && s < range * 100.0f) {
    f.time += 0.01f;
    s += f.velocity;
    f.velocity -= drag * f.velocity * f.velocity;
    ++f.steps;
  }
  return f;
}

// The armour-piercing penetration without variation and without shatter, apart from the program.
float ApPenetration(float calibre, float mass, float velocityMs, float F, int hardness) {
  const float V = velocityMs * 3.28f;
  const float d = calibre / 25.4f;
  const float B = static_cast<float>(hardness);
  const float Q = 531.1f - 160.0f * std::log10(d) - B;
  const float P = (17.2f - 1240.0f / Q) / std::sqrt(B);
  const float S = std::sqrt(mass * V * V / (B * 1632.0f * d * d * d));
  return F * d * (S - P);
}

class WeaponFormulas : public testing::Test {
 protected:
  WeaponFormulas() {
    // 0: a 75 mm gun firing capped ballistic-capped shot (15 lb at 619 m/s) and HE.
    w.Gun(0, 2, 75.0f, 4);
    w.Kind(0, 1, 15.0f, 619.0f);
    w.Kind(0, 0, 14.6f, 463.0f);
    w.Float(0, 52, 0.1f);
    // 1: plain shot (code 0), tungsten with the sub-calibre flag.
    w.Gun(1, 2, 57.0f, 0);
    w.Kind(1, 1, 6.3f, 853.0f);
    w.Kind(1, 2, 3.1f, 1219.0f);
    w.Byte(1, 60, 1);
    // 2: a capped round (code 3) fast enough to shatter; 3: the same with code 4.
    w.Gun(2, 2, 76.2f, 3);
    w.Kind(2, 1, 17.0f, 884.0f);
    w.Gun(3, 2, 76.2f, 4);
    w.Kind(3, 1, 17.0f, 884.0f);
    // 4: a launcher of hollow charge; 5: a gun whose shot type is not hollow charge.
    w.Gun(4, 1, 88.0f, 5);
    w.Kind(4, 3, 7.2f, 110.0f);
    w.Float(4, 48, 160.0f);
    w.Gun(5, 2, 75.0f, 4);
    w.Kind(5, 3, 9.0f, 450.0f);
    // 6: a mortar; 7: artillery; 8: a round that stops in the air.
    w.Gun(6, 4, 81.0f, 0);
    w.Kind(6, 0, 7.0f, 200.0f);
    w.Float(6, 52, 0.18f);
    w.Gun(7, 5, 105.0f, 0);
    w.Kind(7, 0, 33.0f, 470.0f);
    w.Float(7, 52, 0.14f);
    w.Gun(8, 3, 300.0f, 0);
    w.Kind(8, 0, 0.001f, 100.0f);
    // 94 and 95: the close-assault weapons; 101 the charge that strikes by its blast.
    w.Gun(94, 2, 60.0f, 2);
    w.Kind(94, 1, 3.7f, 90.0f);
    w.Gun(95, 2, 100.0f, 2);
    w.Kind(95, 1, 13.2f, 450.0f);
    w.Gun(101, 1, 200.0f, 5);
    w.Kind(101, 0, 10.0f, 10.0f);
    w.Float(101, 52, 0.3f);
    w.Publish();
    SeedRandom(77);
  }
  TestWeapons w;
};

}  // namespace

TEST_F(WeaponFormulas, StrikingVelocityMatchesTheDragModelStepForStep) {
  // Kind 1 of shot type 4 takes k = 4e-7; plain shot of kind 1 6.3e-7; tungsten 4.6e-7 and the
  // sub-calibre diameter.
  struct Case {
    int weapon, kind;
    float calibre, mass, velocity, k;
  } cases[] = {{0, 1, 75.0f, 15.0f, 619.0f, 4e-7f}, {1, 1, 57.0f, 6.3f, 853.0f, 6.3e-7f},
               {1, 2, 57.0f * 0.571f, 3.1f, 1219.0f, 4.6e-7f}, {0, 0, 75.0f, 14.6f, 463.0f, 4e-7f}};
  for (const Case& c : cases) {
    for (float range : {0.0f, 100.0f, 1000.0f, 2500.0f}) {
      float v = -1.0f;
      int32_t steps = -1;
      const float t = StrikingVelocity(c.weapon, c.kind, range, &v, &steps);
      const Flight f = Fly(c.calibre, c.mass, c.velocity, c.k, range);
      EXPECT_EQ(steps, f.steps) << c.weapon << " " << c.kind << " " << range;
      EXPECT_NEAR(t, f.time, 1e-4f);
      EXPECT_NEAR(v, f.velocity, 1e-4f);
    }
  }
  // Worked by hand: drag 0.01 x 75 x 75 / 15 x 4e-7 = 1.5e-6, so about 0.57 m/s a step; 100 m
  // takes 17 steps of about 6.1 m and leaves about 609.4 m/s.
  int32_t steps = 0;
  float v = 0;
  const float t = StrikingVelocity(0, 1, 100.0f, &v, &steps);
  EXPECT_EQ(steps, 17);
  EXPECT_NEAR(t, 0.17f, 1e-5f);
  EXPECT_NEAR(v, 609.37f, 0.01f);
}

TEST_F(WeaponFormulas, TheKeptFlightFollowsTheRecordAndTheRange) {
  float v = 0.0f;
  int32_t steps = 0;
  const float near = StrikingVelocity(0, 1, 100.0f, &v, &steps);
  const float far = StrikingVelocity(0, 1, 1000.0f, nullptr);
  EXPECT_EQ(StrikingVelocity(0, 1, 100.0f, nullptr), near);
  EXPECT_GT(far, near);
  // The same weapon and range asked again after its record changed: the new round's flight.
  w.Kind(0, 1, 15.0f, 900.0f);
  float faster = 0.0f;
  StrikingVelocity(0, 1, 100.0f, &faster);
  EXPECT_GT(faster, v);
}

TEST_F(WeaponFormulas, StrikingVelocityStopsWhenTheRoundHasNoSpeedLeft) {
  float v = 1.0f;
  int32_t steps = 0;
  const float t = StrikingVelocity(8, 0, 1000.0f, &v, &steps);
  EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(steps, 1);
  EXPECT_NEAR(t, 0.01f, 1e-6f);
}

TEST_F(WeaponFormulas, PenetrationOfATestGunAtThreeRanges) {
  for (float range : {100.0f, 1000.0f, 2500.0f}) {
    const Flight f = Fly(75.0f, 15.0f, 619.0f, 4e-7f, range);
    bool shattered = true;
    const float pen = WeaponPenetration(false, range, 0, 1, false, 250, 0.5f, &shattered);
    EXPECT_NEAR(pen, ApPenetration(75.0f, 15.0f, f.velocity, 19.6f, 250), 1e-4f) << range;
    EXPECT_FALSE(shattered);
  }
  // Published figures of the 75 mm M61: about 100 mm near the muzzle, about 85 mm at 1000 m.
  EXPECT_NEAR(WeaponPenetration(false, 100.0f, 0, 1, false, 250, 0.5f, nullptr), 97.0f, 4.0f);
  EXPECT_NEAR(WeaponPenetration(false, 1000.0f, 0, 1, false, 250, 0.5f, nullptr), 84.0f, 6.0f);
  // Plain shot against soft armour takes F = 21.6; tungsten 22.4 with the flag.
  const Flight plain = Fly(57.0f, 6.3f, 853.0f, 6.3e-7f, 500.0f);
  EXPECT_NEAR(WeaponPenetration(false, 500.0f, 1, 1, false, 250, 0.1f, nullptr),
              ApPenetration(57.0f, 6.3f, plain.velocity, 21.6f, 250), 1e-4f);
  const Flight apds = Fly(57.0f * 0.571f, 3.1f, 1219.0f, 4.6e-7f, 500.0f);
  EXPECT_NEAR(WeaponPenetration(false, 500.0f, 1, 2, false, 250, 0.1f, nullptr),
              ApPenetration(57.0f * 0.571f, 3.1f, apds.velocity, 22.4f, 250), 1e-4f);
}

TEST_F(WeaponFormulas, SpecialCasesOfPenetration) {
  EXPECT_EQ(WeaponPenetration(true, 500.0f, 97, 1, false, 250, 1.0f, nullptr), 9999.0f);
  EXPECT_EQ(WeaponPenetration(false, 50.0f, 99, 0, true, 300, 1.0f, nullptr), 9999.0f);
  // Hardness 500 acts as 450.
  EXPECT_EQ(WeaponPenetration(false, 300.0f, 0, 1, false, 500, 0.5f, nullptr),
            WeaponPenetration(false, 300.0f, 0, 1, false, 450, 0.5f, nullptr));
  // Hollow charge: the record's penetration, varied by 0.85 + 0.3 R.
  EXPECT_EQ(WeaponPenetration(false, 100.0f, 4, 3, false, 250, 1.0f, nullptr), 160.0f);
  SeedRandom(5);
  const float r = RandomFloat();
  SeedRandom(5);
  EXPECT_FLOAT_EQ(WeaponPenetration(true, 100.0f, 4, 3, false, 250, 1.0f, nullptr), 160.0f * (0.85f + 0.3f * r));
  // Mortars: high explosive only; other kinds 0.01. Artillery and weapon 101 by their charge.
  EXPECT_FLOAT_EQ(WeaponPenetration(false, 100.0f, 6, 0, false, 250, 1.0f, nullptr), std::sqrt(0.18f * 7.0f) * 11.3f);
  EXPECT_FLOAT_EQ(WeaponPenetration(false, 100.0f, 6, 1, false, 250, 1.0f, nullptr), 0.01f);
  EXPECT_FLOAT_EQ(WeaponPenetration(false, 100.0f, 7, 0, false, 250, 1.0f, nullptr), std::sqrt(0.14f * 33.0f) * 9.75f);
  EXPECT_FLOAT_EQ(WeaponPenetration(false, 5.0f, 101, 3, false, 250, 1.0f, nullptr), std::sqrt(0.3f * 10.0f) * 9.75f);
  // High explosive from a gun: the explosive term plus the shot's penetration raised.
  const float ap = WeaponPenetration(false, 200.0f, 0, 0, false, 250, 1.0f, nullptr);
  EXPECT_GT(ap, std::sqrt(0.1f * 14.6f) * 13.8f);
  // Close assault: mode 0 gives 0.1; modes 1 and 2 fire weapons 94 and 95, never below 0.1.
  EXPECT_EQ(SpecialWeaponPenetration(0, 0.0f, false, 250, 1.0f, nullptr), 0.1f);
  EXPECT_GE(SpecialWeaponPenetration(1, 0.0f, false, 250, 1.0f, nullptr), 0.1f);
  EXPECT_GT(SpecialWeaponPenetration(2, 0.0f, false, 250, 1.0f, nullptr),
            SpecialWeaponPenetration(1, 0.0f, false, 250, 1.0f, nullptr));
}

TEST_F(WeaponFormulas, ShatterRules) {
  // Code 3 at 884 m/s (2900 ft/s) against ratio 1.08 always shatters, without a draw.
  uint32_t before = RandomState();
  bool shattered = false;
  const float whole = WeaponPenetration(false, 100.0f, 2, 1, false, 250, 1.0f, &shattered);
  EXPECT_FALSE(shattered);
  const float broken = WeaponPenetration(false, 100.0f, 2, 1, false, 250, 1.08f, &shattered);
  EXPECT_TRUE(shattered);
  EXPECT_FLOAT_EQ(broken, whole / 1.14f);
  EXPECT_EQ(RandomState(), before);
  // Code 4: one draw either way; without variation it never stands.
  for (int i = 0; i < 50; ++i) {
    before = RandomState();
    WeaponPenetration(false, 100.0f, 3, 1, false, 250, 1.08f, &shattered);
    EXPECT_FALSE(shattered);
    SeedRandom(before);
    RandomFloat();
    const uint32_t afterOneDraw = RandomState();
    SeedRandom(before);
    WeaponPenetration(false, 100.0f, 3, 1, false, 250, 1.08f, &shattered);
    EXPECT_EQ(RandomState(), afterOneDraw);
  }
  // With variation about one time in ten (two draws a call: the shatter R and the variation).
  SeedRandom(2024);
  int count = 0;
  for (int i = 0; i < 4000; ++i) {
    WeaponPenetration(true, 100.0f, 3, 1, false, 250, 1.08f, &shattered);
    if (shattered) ++count;
  }
  EXPECT_GT(count, 300);
  EXPECT_LT(count, 500);
  // Plain shot: against face-hardened plate from ratio 0.5 at 1475 ft/s, divided by 1.35.
  const float soft = WeaponPenetration(false, 100.0f, 1, 1, true, 250, 0.49f, &shattered);
  EXPECT_FALSE(shattered);
  EXPECT_FLOAT_EQ(WeaponPenetration(false, 100.0f, 1, 1, true, 250, 0.5f, &shattered), soft / 1.35f);
  EXPECT_TRUE(shattered);
  const float homogeneous = WeaponPenetration(false, 100.0f, 1, 1, false, 250, 0.79f, &shattered);
  EXPECT_FALSE(shattered);
  EXPECT_FLOAT_EQ(WeaponPenetration(false, 100.0f, 1, 1, false, 250, 0.8f, &shattered), homogeneous / 1.22f);
}

TEST_F(WeaponFormulas, FragmentBlastAndHighExplosiveValues) {
  const float f = WeaponFragmentValue(7, 0);
  EXPECT_FLOAT_EQ(f, std::pow((1.0f - 1.6f * 0.14f) * 33.0f, 0.8f) * 12.0f);
  EXPECT_FLOAT_EQ(WeaponBlastValue(7, 0), std::pow(0.14f * 33.0f, 0.3f) * 21.0f);
  EXPECT_FLOAT_EQ(WeaponBlastValue(7, 1), 0.0f);
  // Kind 4 reads its charge as the float at offset 24.
  w.Float(7, 24, 20.0f);
  EXPECT_FLOAT_EQ(WeaponBlastValue(7, 4), std::pow(20.0f, 0.45f) * 1.8f / 1.8f);
  // High-explosive value: radius 105 x 0.04947 + 1 + 2 = 8.19 for artillery without the flag,
  // held to 8; with the flag 6.19, held to 5.5.
  float expect = f;
  ScaleByRangeFalloff(&expect, 8.0f, WeaponBlastValue(7, 0));
  expect = expect * 0.75f;
  EXPECT_EQ(WeaponHEValue(7, false), static_cast<int32_t>(expect + 0.5f)) << expect;
  expect = f;
  ScaleByRangeFalloff(&expect, 5.5f, WeaponBlastValue(7, 0));
  expect = expect * 0.75f;
  EXPECT_EQ(WeaponHEValue(7, true), static_cast<int32_t>(expect + 0.5f)) << expect;
  // Flamethrowers (type 6): calibre x 200; sniper rifles (type 7): 0.
  w.Gun(9, 6, 7.92f, 0);
  w.Gun(10, 7, 10.0f, 0);
  EXPECT_EQ(WeaponHEValue(9, false), static_cast<int32_t>(7.92f * 200.0f + 0.5f));
  EXPECT_EQ(WeaponHEValue(10, false), 0);
}

TEST_F(WeaponFormulas, SmallFactorsOnATableOfInputs) {
  EXPECT_EQ(RangeFalloff(200.0f), 0.0f);
  EXPECT_FLOAT_EQ(RangeFalloff(100.0f), 0.5f);
  EXPECT_FLOAT_EQ(RangeFalloff(0.0f), 1.0f);
  struct {
    float a, b, k;
  } kill[] = {{0.0f, 0.0f, 0.1f}, {1.0f, 0.0f, 0.8976f}, {0.5f, 0.5f, 0.5f * (0.849f * 0.25f - 0.0257f + 0.1f)}};
  for (const auto& c : kill) EXPECT_NEAR(KillChance(c.a, c.b), c.k, 1e-6f);
  // Aim time: mass 10 at rating 2 (no rating factor); type 4 x 0.7; slow aiming x 1.7; heavy 115.
  const float base = 2.831f + 0.3116f * 10.0f - 0.0005464f * 100.0f;
  EXPECT_FLOAT_EQ(AimTime(0, 2, 10.0f, 2.0f), base);
  EXPECT_FLOAT_EQ(AimTime(0, 4, 10.0f, 2.0f), base * 0.7f);
  EXPECT_FLOAT_EQ(AimTime(0, 6, 10.0f, 2.0f), 5.0f);
  w.Flags(0, 0x1);
  EXPECT_FLOAT_EQ(AimTime(0, 2, 10.0f, 2.0f), base * 1.7f);
  EXPECT_FLOAT_EQ(AimTime(0, 3, 200.0f, 0.0f), 115.0f * 1.3f * 0.6f);
  EXPECT_FLOAT_EQ(AimTime(0, 1, 200.0f, 4.0f), 115.0f * (1.0f - 0.3f) * 1.6f);
  // Angle factor and its sharper form in condition 2.
  EXPECT_EQ(AngleFactor(30.0f, 0), 1.0f);
  EXPECT_FLOAT_EQ(AngleFactor(90.0f, 0), 2.0f);
  EXPECT_EQ(AngleFactor(135.0f, 0), 3.0f);
  EXPECT_FLOAT_EQ(AngleFactor(90.0f, 2), 3.0f);
  EXPECT_FLOAT_EQ(LeaderCommandRange(2.0f, 1.0f), 0.9f * 100.0f);
  float armour = 120.0f;
  CapArmourForWeaponType(2, 0, &armour);
  EXPECT_EQ(armour, 80.0f);
  armour = 400.0f;
  CapArmourForWeaponType(8, 3, &armour);
  EXPECT_EQ(armour, 300.0f);
  armour = 400.0f;
  CapArmourForWeaponType(1, 3, &armour);
  EXPECT_EQ(armour, 400.0f);
  EXPECT_EQ(AdjustCountForDate(2, false, 1, 4408), 0);
  EXPECT_EQ(AdjustCountForDate(2, false, 1, 4409), 2);
  EXPECT_EQ(AdjustCountForDate(4, false, 0, 4501), 4);
  EXPECT_EQ(AdjustCountForDate(2, false, 0, 4501), 3);
  EXPECT_EQ(AdjustCountForDate(2, true, 0, 4501), 1);
  EXPECT_EQ(AdjustCountForDate(0, false, 0, 4501), 0);
  float v = 10.0f;
  ScaleByRangeFalloff(&v, 5.0f, 5.0f);
  EXPECT_EQ(v, 0.0f);
  v = 10.0f;
  ScaleByRangeFalloff(&v, 0.0f, 5.0f);
  EXPECT_EQ(v, 10.0f);
}

TEST_F(WeaponFormulas, TerrainFactorsByTypeAndSeason) {
  const struct {
    int type;
    float summer, winter;
  } cases[] = {{2, 0.25f, 0.7f},  {6, 0.25f, 0.7f}, {13, 0.25f, 0.7f}, {21, 0.25f, 0.7f}, {3, 0.1f, 0.4f},
               {7, 0.1f, 0.4f},   {14, 0.1f, 0.4f}, {22, 0.1f, 0.4f},  {12, 0.8f, 0.8f},  {16, 0.8f, 0.8f},
               {18, 0.8f, 0.8f},  {19, 0.8f, 0.8f}, {28, 0.8f, 0.8f},  {30, 0.8f, 0.8f},  {17, 0.7f, 0.7f},
               {15, 0.1f, 0.1f},  {23, 0.1f, 0.1f}, {31, 0.1f, 0.1f},  {35, 0.1f, 0.1f},  {0, 1.0f, 1.0f},
               {36, 1.0f, 1.0f},  {44, 1.0f, 1.0f}};
  for (const auto& c : cases) {
    EXPECT_EQ(TerrainFactorForType(c.type, 0), c.summer) << c.type;
    EXPECT_EQ(TerrainFactorForType(c.type, 3), c.winter) << c.type;
  }
}

TEST(SmallArmsFirepower, InterpolatesByRangeAndStopsAtItsLimits) {
  uint8_t bytes[SmallArmsData::kSize] = {};
  const float values[11] = {40, 30, 24, 18, 12, 8, 5, 3, 1, 0.5f, 0.2f};
  for (int i = 0; i < 11; ++i) StoreLEFloat(bytes + 28 + 4 * i, values[i]);
  StoreLE16(bytes + 72, 2000);
  StoreLE32(bytes + 76, 2);
  const SmallArmsData entry(bytes);
  EXPECT_EQ(SmallArmsFirepowerAt(entry, 10.0f, 0), 40.0f);
  EXPECT_EQ(SmallArmsFirepowerAt(entry, 40.0f, 0), 40.0f);
  EXPECT_FLOAT_EQ(SmallArmsFirepowerAt(entry, 70.0f, 0), 35.0f);
  EXPECT_FLOAT_EQ(SmallArmsFirepowerAt(entry, 100.0f, 0), 30.0f);
  EXPECT_FLOAT_EQ(SmallArmsFirepowerAt(entry, 1500.0f, 0), 0.75f);
  EXPECT_EQ(SmallArmsFirepowerAt(entry, 1800.0f, 0), 0.0f);
  EXPECT_FLOAT_EQ(SmallArmsFirepowerAt(entry, 70.0f, 2), 17.5f);
  EXPECT_FLOAT_EQ(SmallArmsFirepowerAt(entry, 70.0f, 1), 35.0f * 0.7f);
  StoreLE16(bytes + 72, 500);
  EXPECT_EQ(SmallArmsFirepowerAt(entry, 500.0f, 0), 0.0f);
  StoreLE32(bytes + 76, 1);
  EXPECT_EQ(SmallArmsFirepowerAt(entry, 70.0f, 2), 0.0f);
  EXPECT_FLOAT_EQ(SmallArmsFirepowerAt(entry, 70.0f, 1), 35.0f * 0.4f);
  StoreLE32(bytes + 76, 0);
  EXPECT_EQ(SmallArmsFirepowerAt(entry, 70.0f, 1), 0.0f);
}

using WeaponFormulasDeathTest = WeaponFormulas;

TEST_F(WeaponFormulasDeathTest, HollowChargeFromAWeaponOfAnotherShotTypeIsLoggedAndFatal) {
  TestFolder folder(true);
  EXPECT_EXIT(WeaponPenetration(false, 100.0f, 5, 3, false, 250, 1.0f, nullptr),
              testing::ExitedWithCode(PSystem::kFatalExitStatus), "Unit\\.cpp");
  EXPECT_NE(folder.ReadFile("ERRORLOG.TXT").find("Weapon failing HEAT =  5"), std::string::npos);
  EXPECT_EXIT(WeaponPenetration(false, 100.0f, 0, 1, false, 80, 1.0f, nullptr),
              testing::ExitedWithCode(PSystem::kFatalExitStatus), "Unit\\.cpp");
  EXPECT_EXIT(WeaponPenetration(false, 100.0f, 4, 1, false, 250, 1.0f, nullptr),
              testing::ExitedWithCode(PSystem::kFatalExitStatus), "Unit\\.cpp");
  EXPECT_EXIT(StrikingVelocity(6, 0, 100.0f, nullptr), testing::ExitedWithCode(PSystem::kFatalExitStatus),
              "Unit\\.cpp");
}
