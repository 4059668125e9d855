// A vehicle's machine guns in the weapon effect and in target choice, and the threat of a
// squad's special anti-tank weapons, with the test kinds and the real data tables.
#include <gtest/gtest.h>

#include <cstring>

#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/Hack.h"
#include "game/units/TablesWorldRig.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/tables/WeaponData.h"

namespace {

using GunRig = TablesWorldRig;

constexpr int32_t kNone = 33;

// A vehicle whose three machine guns are set by the test; while the machine-gun mode flag is
// set its weapon queries answer for the gun in use (small arms), and its firepower notes the
// gun and flags it was asked with.
class Gunned : public TestVehicle {
 public:
  Gunned() {
    side = 1;
    identificationLevel = 2;
    SetPosition(200.0f, 200.0f);
    SetGuns(kNone, kNone, 0, kNone, 0);
    smallArmsEntry = kNone;
  }
  void SetGuns(int32_t bow, int32_t coaxial, uint8_t coaxialCount, int32_t flexible, uint8_t flexibleCount) {
    std::memcpy(record.data() + 88, &bow, 4);
    std::memcpy(record.data() + 92, &coaxial, 4);
    record[96] = coaxialCount;
    std::memcpy(record.data() + 100, &flexible, 4);
    record[104] = flexibleCount;
  }
  int32_t CanFireBowMG() const override { return bowFree; }
  int32_t CanFireCoaxialMG(bool) const override { return coaxialFree; }
  int32_t CanFireFlexibleMG(bool) const override { return flexibleFree; }
  void SetSmallArmsEntry(int32_t entry) override { smallArmsEntry = entry; }
  bool IsHullDownFrom(const Unit&) const override { return hullDown; }
  bool IsMainWeaponUsable() const override { return true; }
  void QueryWeapon(int32_t selector, int32_t& weapon, int32_t& type) const override {
    if (firingBytes[kMachineGunMode] != 0) {
      weapon = 104;
      type = 0;
      return;
    }
    TestVehicle::QueryWeapon(selector, weapon, type);
  }
  float FirepowerAt(float, int32_t) override {
    ++firepowerCalls;
    entrySeen = smallArmsEntry;
    modeSeen = firingBytes[kMachineGunMode];
    coaxialFlagSeen = AITargeting::gEvaluatingCoaxialMG;
    return 60.0f;
  }
  int32_t bowFree = 0;
  int32_t coaxialFree = 0;
  int32_t flexibleFree = 0;
  bool hullDown = false;
  int32_t firepowerCalls = 0;
  int32_t entrySeen = -1;
  uint8_t modeSeen = 0;
  bool coaxialFlagSeen = false;
};

// A tank of 30 mm all round whose hit locations are the vehicle rule's.
class Plated : public TestVehicle {
 public:
  float ComputePenetration(const ArmourRequest&, ArmourOutcome* outcome) const override {
    if (outcome != nullptr) *outcome = ArmourOutcome{};
    return 30.0f;
  }
  void AssessHit(int32_t viewMode, Unit* shooter, bool threat, float h, bool hullDown, float* armour, float* weight,
                 float* ratio, int32_t& count, float calibre) override {
    AITargeting::AssessVehicleHit(*this, viewMode, *shooter, threat, h, hullDown, armour, weight, ratio, count,
                                  calibre);
  }
};

// The first small-arms entry in [from, to) reaching at least the range.
int32_t FindArms(int32_t from, int32_t to, int32_t range) {
  for (int32_t i = from; i < to && i < gSmallArms.Count(); ++i) {
    if (gSmallArms[i].MaxRange() >= range) return i;
  }
  return -1;
}

}  // namespace

TEST(MachineGunEffect, TheFirstQualifyingGunScoresAndIsPutBack) {
  GunRig rig;
  const int32_t rifle = FindArms(0, 14, 300);
  const int32_t heavy = FindArms(25, 29, 300);
  ASSERT_GE(rifle, 0);
  ASSERT_GE(heavy, 0);
  Gunned gun;
  TestInfantry squad;
  squad.side = 0;
  squad.SetPosition(300.0f, 200.0f);
  rig.Join(gun);
  rig.Join(squad);

  // No gun free and no main weapon: nothing.
  gun.SetGuns(rifle, rifle, 1, heavy, 1);
  EXPECT_EQ(AITargeting::VehicleWeaponEffect(gun, &squad, 0, false, false, false, 0, 1), 0.0f);
  EXPECT_EQ(gun.firepowerCalls, 0);

  // The coaxial gun first among guns of equal standing, scored in machine-gun mode.
  gun.bowFree = 1;
  gun.coaxialFree = 1;
  gun.flexibleFree = 1;
  gun.smallArmsEntry = kNone;
  const float soft = AITargeting::VehicleWeaponEffect(gun, &squad, 0, false, false, false, 0, 1);
  EXPECT_GT(soft, 0.0f);
  EXPECT_EQ(gun.entrySeen, rifle);
  EXPECT_EQ(gun.modeSeen, 1);
  EXPECT_EQ(gun.smallArmsEntry, kNone);  // put back
  EXPECT_EQ(gun.firingBytes[Unit::kMachineGunMode], 0);

  // Against armour the heavy flexible gun comes before the rifle-calibre ones.
  Gunned tank;
  tank.side = 0;
  tank.armored = true;
  tank.SetPosition(300.0f, 200.0f);
  rig.Join(tank);
  AITargeting::VehicleWeaponEffect(gun, &tank, 0, false, false, false, 0, 1);
  EXPECT_EQ(gun.entrySeen, heavy);
  // A gun that does not reach is passed over.
  squad.SetPosition(200.0f + static_cast<float>(gSmallArms[rifle].MaxRange()) + 5.0f, 200.0f);
  gun.entrySeen = -1;
  const float far = AITargeting::VehicleWeaponEffect(gun, &squad, 0, false, false, false, 0, 1);
  if (gSmallArms[heavy].MaxRange() > gSmallArms[rifle].MaxRange() + 5) {
    EXPECT_EQ(gun.entrySeen, heavy);
  } else {
    EXPECT_EQ(far, 0.0f);
  }

  // Already in machine-gun mode: the gun in use alone, no other is put in.
  squad.SetPosition(300.0f, 200.0f);
  gun.firingBytes[Unit::kMachineGunMode] = 1;
  gun.smallArmsEntry = heavy;
  AITargeting::VehicleWeaponEffect(gun, &squad, 0, false, false, false, 0, 1);
  EXPECT_EQ(gun.entrySeen, heavy);
  EXPECT_EQ(gun.smallArmsEntry, heavy);
}

TEST(MachineGunChoice, TheCoaxialGunIsWeighedAgainstSoftTargetsOnlyForReal) {
  GunRig rig;
  const int32_t rifle = FindArms(0, 14, 300);
  ASSERT_GE(rifle, 0);
  Gunned chooser;
  chooser.mainWeapon = true;
  chooser.answersWeapon = true;
  chooser.weaponId = 0;
  chooser.weaponType = 2;
  chooser.ammo = {20, 0, 0, 0, 0};
  chooser.firingBytes[Unit::kMachineGunMode] = 0;
  chooser.SetGuns(kNone, rifle, 1, kNone, 0);
  chooser.coaxialFree = 1;
  TestVehicle truck;
  truck.side = 0;
  truck.identificationLevel = 2;
  truck.SetPosition(260.0f, 200.0f);
  rig.Join(chooser);
  rig.Join(truck);

  // Scored for real: the coaxial gun is put in use with both flags, then all is put back.
  chooser.EvaluateCandidateTarget(&truck, true);
  EXPECT_GT(chooser.firepowerCalls, 0);
  EXPECT_EQ(chooser.entrySeen, rifle);
  EXPECT_EQ(chooser.modeSeen, 1);
  EXPECT_TRUE(chooser.coaxialFlagSeen);
  EXPECT_FALSE(AITargeting::gEvaluatingCoaxialMG);
  EXPECT_EQ(chooser.firingBytes[Unit::kMachineGunMode], 0);
  EXPECT_EQ(chooser.smallArmsEntry, kNone);

  // Not for a mere look, nor against armour.
  chooser.firepowerCalls = 0;
  chooser.EvaluateCandidateTarget(&truck, false);
  EXPECT_EQ(chooser.firepowerCalls, 0);
  truck.armored = true;
  chooser.EvaluateCandidateTarget(&truck, true);
  EXPECT_EQ(chooser.firepowerCalls, 0);

  // Without a main weapon: the flexible gun when the coaxial cannot fire, the bow gun only
  // when it is not hull down from the target.
  truck.armored = false;
  chooser.mainWeapon = false;
  chooser.coaxialFree = 0;
  chooser.SetGuns(rifle, kNone, 0, rifle, 1);
  chooser.flexibleFree = 1;
  chooser.EvaluateCandidateTarget(&truck, false);
  EXPECT_EQ(chooser.entrySeen, rifle);
  EXPECT_FALSE(chooser.coaxialFlagSeen);
  chooser.flexibleFree = 0;
  chooser.bowFree = 1;
  chooser.hullDown = true;
  chooser.firepowerCalls = 0;
  EXPECT_EQ(chooser.EvaluateCandidateTarget(&truck, false), 0.0f);
  EXPECT_EQ(chooser.firepowerCalls, 0);
}

TEST(WeaponEffect, ASquadsAntitankWeaponsThreatenArmourWithinTheirReach) {
  GunRig rig;
  // An Axis squad with two special anti-tank weapons reaching 100 m.
  class Tankhunters : public TestInfantry {
   public:
    int32_t GetAntitankCount() const override { return count; }
    float GetAntitankRange() const override { return 100.0f; }
    int32_t count = 2;
  } squad;
  squad.side = 1;
  squad.SetPosition(100.0f, 100.0f);
  Plated tank;
  tank.armored = true;
  tank.side = 0;
  tank.SetPosition(220.0f, 100.0f);  // 120 m: within the reach and 40 m more
  rig.Join(squad);
  rig.Join(tank);
  const float armed = AITargeting::WeaponEffect(squad, &tank, 0, true, false, false, 0, 1);
  squad.count = 0;
  const float bare = AITargeting::WeaponEffect(squad, &tank, 0, true, false, false, 0, 1);
  EXPECT_GT(armed, bare);
  // Only the threat estimate counts them, and only within reach.
  const float plain = AITargeting::WeaponEffect(squad, &tank, 0, false, false, false, 0, 1);
  squad.count = 2;
  EXPECT_EQ(AITargeting::WeaponEffect(squad, &tank, 0, false, false, false, 0, 1), plain);
  tank.SetPosition(245.0f, 100.0f);  // 145 m
  const float beyond = AITargeting::WeaponEffect(squad, &tank, 0, true, false, false, 0, 1);
  squad.count = 0;
  EXPECT_EQ(beyond, AITargeting::WeaponEffect(squad, &tank, 0, true, false, false, 0, 1));
}
