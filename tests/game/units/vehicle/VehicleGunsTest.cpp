// Vehicle fire control: usable machine guns, gun arcs and ranges, machine-gun firepower, the
// machine-gun step and its target test, and the hit and sighting modifiers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/units/TestUnit.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr float kX = 500.0f;
constexpr float kY = 500.0f;

// A point at the distance along a compass heading (0 along x, 90 along y) from the vehicle.
void PointAt(float heading, float distance, float& px, float& py) {
  px = kX + distance * static_cast<float>(std::cos(heading * 0.017453292519943295));
  py = kY + distance * static_cast<float>(std::sin(heading * 0.017453292519943295));
}

// A vehicle whose target evaluation prefers the nearest candidate and whose ground allows a
// set speed.
class ScoringVehicle : public Vehicle {
 public:
  float EvaluateCandidateTarget(Unit* candidate, bool) override {
    ++evaluated;
    return 1000.0f - DistanceTo(*candidate);
  }
  float GetTerrainMobility() const override { return mobility; }
  int32_t evaluated = 0;
  float mobility = 0.2f;
};

// The vehicle rig with 34 small-arms entries (firepower 10 at every range, 300 m reach) and a
// crew of four in every class.
class GunsRig : public VehicleRig {
 public:
  GunsRig() : kept_(gSmallArms), smallArms_(34 * SmallArmsData::kSize) {
    for (int32_t i = 0; i < 34; ++i) {
      uint8_t* e = smallArms_.data() + static_cast<size_t>(i) * SmallArmsData::kSize;
      const float ten = 10.0f;
      for (int32_t k = 0; k < 11; ++k) std::memcpy(e + 28 + 4 * k, &ten, 4);
      const int16_t range = 300;
      std::memcpy(e + 72, &range, 2);
    }
    gSmallArms = DataTable<SmallArmsData>(smallArms_.data(), static_cast<uint32_t>(smallArms_.size()));
    for (int32_t c = 0; c < 4; ++c) Class(c)[56] = 4;
  }
  ~GunsRig() {
    gSmallArms = kept_;
    world.TakeBackLent();
  }
  GunsRig(const GunsRig&) = delete;
  GunsRig& operator=(const GunsRig&) = delete;

  // A vehicle of the class at the centre, facing 0, of the Axis side, its groups full.
  std::unique_ptr<ScoringVehicle> Make(int32_t cls) {
    auto v = std::make_unique<ScoringVehicle>();
    v->SetClass(cls, 0, 2, kX, kY, 0.0f);
    v->side = 1;
    v->machineGunAmmo = {50, 50, 50};
    v->machineGunRefireTimers = {0.0f, 0.0f, 0.0f};
    return v;
  }
  // An identified Allied vehicle at the heading and distance, joined to the battle.
  Vehicle& Enemy(float heading, float distance) {
    auto v = std::make_unique<Vehicle>();
    float px = 0.0f, py = 0.0f;
    PointAt(heading, distance, px, py);
    v->SetClass(3, 0, 2, px, py, 0.0f);
    v->side = 0;
    v->identificationLevel = 4;
    Join(*v);
    owned_.push_back(std::move(v));
    return *owned_.back();
  }
  void Join(Unit& u) { world.Lend(&u); }
  void SmallArmsFlag(int32_t index, int8_t flag) {
    smallArms_[static_cast<size_t>(index) * SmallArmsData::kSize + 80] = static_cast<uint8_t>(flag);
  }

 private:
  DataTable<SmallArmsData> kept_;
  std::vector<uint8_t> smallArms_;
  std::vector<std::unique_ptr<Vehicle>> owned_;
};

}  // namespace

TEST(VehicleGuns, WhichMachineGunsMayFire) {
  GunsRig rig;
  rig.PutI32(0, 88, 10);  // bow gun
  rig.PutI32(0, 92, 12);  // coaxial guns, two
  rig.Class(0)[96] = 2;
  rig.PutI32(0, 100, 14);  // flexible guns, two
  rig.Class(0)[104] = 2;
  auto v = rig.Make(0);
  EXPECT_EQ(v->CanFireBowMG(), 1);
  EXPECT_EQ(v->CanFireCoaxialMG(true), 2);
  EXPECT_EQ(v->CanFireFlexibleMG(true), 2);

  // The bow gun: one loss, dug in, or its group empty.
  v->losses = 1;
  EXPECT_EQ(v->CanFireBowMG(), 0);
  EXPECT_EQ(v->CanFireFlexibleMG(true), 1);  // two guns after one loss
  v->losses = 0;
  v->emplaced = 1;
  EXPECT_EQ(v->CanFireBowMG(), 0);
  v->emplaced = 0;
  v->machineGunAmmo[0] = 0;
  EXPECT_EQ(v->CanFireBowMG(), 0);
  EXPECT_EQ(v->CanFireCoaxialMG(false), 0);
  v->machineGunAmmo[0] = 50;

  // The coaxial gun with its gunner stunned, even with no target at all.
  v->gunCrewStunTimer = 0.5f;
  EXPECT_EQ(v->CanFireCoaxialMG(true), 0);
  EXPECT_EQ(v->CanFireCoaxialMG(false), 2);
  v->gunCrewStunTimer = 0.0f;
  v->gunDestroyed = 1;
  EXPECT_EQ(v->CanFireCoaxialMG(false), 0);
  v->gunDestroyed = 0;

  // The flexible gun behind closed hatches: only a remote mount fires.
  v->buttoned = 1;
  EXPECT_EQ(v->CanFireFlexibleMG(true), 0);
  EXPECT_EQ(v->CanFireFlexibleMG(false), 2);
  rig.Class(0)[105] = 1;
  EXPECT_EQ(v->CanFireFlexibleMG(true), 2);

  // A heavy flexible gun keeps both guns after the first loss.
  rig.PutI32(0, 100, 30);
  v->losses = 1;
  EXPECT_EQ(v->CanFireFlexibleMG(true), 2);
  v->losses = 2;
  EXPECT_EQ(v->CanFireFlexibleMG(true), 1);
}

// A fresh vehicle's groups hold its class's full loads, so its bow and coaxial guns fire from
// the start; a class without loads starts empty. Only the set-up fills them: the default-load
// computation that resupply runs leaves the groups alone.
TEST(VehicleGuns, AFreshVehicleStartsWithItsClassLoads) {
  GunsRig rig;
  rig.PutI32(1, 88, 14);  // bow gun, group 0
  rig.PutI32(1, 92, 26);  // coaxial gun, group 1
  rig.Class(1)[96] = 1;
  rig.Class(1)[106] = 120;
  rig.Class(1)[107] = 9;
  auto v = std::make_unique<Vehicle>();
  v->SetClass(1, 0, 2, kX, kY, 0.0f);
  EXPECT_EQ(v->machineGunAmmo, (std::array<uint8_t, 3>{120, 9, 0}));
  EXPECT_EQ(v->CanFireBowMG(), 1);
  EXPECT_EQ(v->CanFireCoaxialMG(false), 1);

  std::array<uint16_t, Unit::kAmmoKinds> counts{};
  v->machineGunAmmo = {3, 4, 5};
  v->ComputeDefaultAmmo(counts.data(), nullptr, 0);
  EXPECT_EQ(v->machineGunAmmo, (std::array<uint8_t, 3>{3, 4, 5}));

  // The same guns on a class that gives no loads stay silent.
  rig.PutI32(2, 88, 14);
  auto empty = std::make_unique<Vehicle>();
  empty->SetClass(2, 0, 2, kX, kY, 0.0f);
  EXPECT_EQ(empty->machineGunAmmo, (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(empty->CanFireBowMG(), 0);
}

TEST(VehicleGuns, GunArcsAndRanges) {
  GunsRig rig;
  rig.PutI16(0, 84, -10);  // a gun pointing back: 10 one side, 15 the other of the rear
  rig.PutI16(0, 86, -15);
  auto v = rig.Make(0);
  struct Case {
    float heading;
    bool covered;
    bool narrow;
  };
  const Case cases[] = {{180.0f, true, false}, {189.0f, true, false},  {191.0f, false, false},
                        {166.0f, true, false}, {164.0f, false, false}, {0.0f, false, false},
                        {184.0f, true, true},  {186.0f, false, true},  {173.0f, true, true},
                        {171.0f, false, true}};
  for (const Case& c : cases) {
    float px = 0.0f, py = 0.0f;
    PointAt(c.heading, 100.0f, px, py);
    EXPECT_EQ(v->IsPointInGunArc(px, py, c.narrow), c.covered) << c.heading << " narrow " << c.narrow;
  }
  // A turret covers every point.
  rig.PutI32(1, 80, 2);
  rig.Class(1)[124] = 1;  // the turret record
  auto turreted = rig.Make(1);
  float px = 0.0f, py = 0.0f;
  PointAt(90.0f, 100.0f, px, py);
  EXPECT_TRUE(turreted->IsPointInGunArc(px, py, true));

  // No gun and no machine gun: never in range.
  auto bare = rig.Make(2);
  for (float d : {0.0f, 5.0f, 100.0f, 5000.0f}) EXPECT_FALSE(bare->IsInRange(d, 0, 1.0f)) << d;

  // A gun of type 2 keeps 8 m clear however short its table's minimum.
  rig.PutI32(2, 68, 40);
  rig.SetWeaponType(40, 2);
  rig.SetWeaponF32(40, 96, 1.0f);
  rig.SetWeaponF32(40, 100, 1500.0f);
  float lo = 0.0f, hi = 0.0f;
  bare->GetMainGunRange(lo, hi);
  EXPECT_FLOAT_EQ(lo, 8.0f);
  EXPECT_FLOAT_EQ(hi, 1500.0f);
  EXPECT_FALSE(bare->IsInRange(7.9f, 0, 1.0f));
  EXPECT_TRUE(bare->IsInRange(8.0f, 0, 1.0f));
  EXPECT_TRUE(bare->IsInRange(1800.0f, 0, 1.2f));
  // A bow gun brings the minimum to 0 and reaches no farther than the gun.
  rig.PutI32(2, 88, 5);
  EXPECT_TRUE(bare->IsInRange(2.0f, 0, 1.0f));
  EXPECT_FALSE(bare->IsInRange(1501.0f, 0, 1.0f));
  // While a machine gun chooses, only the machine guns count.
  bare->machineGunFiring = 1;
  EXPECT_FALSE(bare->IsInRange(301.0f, 0, 1.0f));
  EXPECT_TRUE(bare->IsInRange(300.0f, 0, 1.0f));
}

TEST(VehicleGuns, FirepowerClassOfTheGunInUse) {
  GunsRig rig;
  auto v = rig.Make(0);
  const int32_t index[] = {13, 14, 24, 25, Vehicle::kNoSmallArms};
  const int32_t expected[] = {0, 1, 1, 2, 1};
  for (size_t i = 0; i < 5; ++i) {
    v->smallArmsInUse = index[i];
    int32_t out = -1;
    EXPECT_FLOAT_EQ(v->FirepowerAt(100.0f, &out, true, false), 10.0f) << index[i];
    EXPECT_EQ(out, expected[i]) << index[i];
  }
  // The rate of fire: the burst interval over a minute.
  v->burstValue = 6.0f;
  EXPECT_FLOAT_EQ(v->FirepowerAt(100.0f, 0), 1.0f);
}

TEST(VehicleGuns, BurstSizeAndInterval) {
  SeedRandom(7);
  int32_t four = 0;
  int32_t five = 0;
  for (int32_t i = 0; i < 100000; ++i) {
    const int32_t k = Vehicle::HeavyBurstUnits(100.0f, 100);
    four += k == 4 ? 1 : 0;
    five += k == 5 ? 1 : 0;
  }
  EXPECT_EQ(four + five, 100000);
  EXPECT_NEAR(static_cast<double>(five) / 100000.0, 0.075, 0.003);
  // Up close at least one unit; never more than is left.
  EXPECT_EQ(Vehicle::HeavyBurstUnits(0.0f, 10), 1);
  EXPECT_EQ(Vehicle::HeavyBurstUnits(400.0f, 3), 3);

  EXPECT_NEAR(Vehicle::CloseBurstFactor(100.0f), 0.7588f, 1e-5f);
  EXPECT_NEAR(Vehicle::CloseBurstFactor(50.0f), 0.5183f, 1e-5f);
  EXPECT_FLOAT_EQ(Vehicle::CloseBurstFactor(10.0f), 0.35f);
}

TEST(VehicleGuns, MachineGunStepSharesTheLastRounds) {
  GunsRig rig;
  rig.PutI32(0, 92, 12);  // two coaxial guns of group 0
  rig.Class(0)[96] = 2;
  auto v = rig.Make(0);
  rig.Join(*v);
  v->machineGunAmmo[0] = 1;
  Vehicle& enemy = rig.Enemy(0.0f, 100.0f);
  v->UpdateMachineGuns();
  EXPECT_EQ(rig.world.firePackets.size(), 1u);
  EXPECT_EQ(v->machineGunAmmo[0], 0);
  EXPECT_EQ(v->smallArmsInUse, Vehicle::kNoSmallArms);
  EXPECT_EQ(v->machineGunFiring, 0);
  // Without a gun of its own the vehicle takes the machine gun's target.
  EXPECT_EQ(v->target, &enemy);
  EXPECT_EQ(v->areaFire, 0);
  // The next burst comes after the coaxial interval, shortened for the range.
  const float timer = v->machineGunRefireTimers[1];
  EXPECT_GE(timer, 10.0f * 0.8f * Vehicle::CloseBurstFactor(100.0f) - 1e-4f);
  EXPECT_LE(timer, 10.0f * 1.2f * Vehicle::CloseBurstFactor(100.0f) + 1e-4f);
  // No ammunition left: nothing more is fired, however long the vehicle waits.
  for (int32_t s = 0; s < 400; ++s) v->UpdateMachineGuns();
  EXPECT_EQ(rig.world.firePackets.size(), 1u);
}

TEST(VehicleGuns, HeavyBowGunFiresOnlyStanding) {
  GunsRig rig;
  rig.PutI32(0, 88, 30);  // a heavy bow gun
  auto v = rig.Make(0);
  rig.Join(*v);
  rig.Enemy(0.0f, 100.0f);
  v->speed = 0.2f;
  for (int32_t s = 0; s < 100; ++s) v->UpdateMachineGuns();
  EXPECT_TRUE(rig.world.firePackets.empty());
  EXPECT_EQ(v->machineGunRefireTimers[0], 0.0f);
  v->speed = 0.0f;
  v->UpdateMachineGuns();
  EXPECT_EQ(rig.world.firePackets.size(), 1u);
  const uint8_t left = v->machineGunAmmo[2];
  EXPECT_TRUE(left == 46 || left == 45) << static_cast<int32_t>(left);  // 4 units, now and then 5
  EXPECT_GT(v->machineGunRefireTimers[0], 7.0f * 0.8f - 1e-4f);  // no shortening up close
}

TEST(VehicleGuns, WithoutATargetTheGunLooksAgainEverySecond) {
  GunsRig rig;
  rig.PutI32(0, 88, 10);
  auto v = rig.Make(0);
  rig.Join(*v);
  rig.Enemy(180.0f, 100.0f);  // behind the bow gun's arc
  v->UpdateMachineGuns();
  EXPECT_FLOAT_EQ(v->machineGunRefireTimers[0], 1.0f);
  EXPECT_EQ(v->evaluated, 0);
  EXPECT_TRUE(rig.world.firePackets.empty());
}

TEST(VehicleGuns, MachineGunTargetTest) {
  GunsRig rig;
  auto v = rig.Make(0);
  rig.Join(*v);
  Vehicle& enemy = rig.Enemy(10.0f, 100.0f);
  EXPECT_TRUE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 300.0f, true, false, false));
  EXPECT_FALSE(v->IsMGCandidate(enemy, 0.0f, 5.0f, 300.0f, false, false, false));    // outside the arc
  EXPECT_FALSE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 90.0f, false, false, false));    // not closer than the range
  // The reach is the full distance to the last bit.
  const float d = v->DistanceTo(enemy);
  EXPECT_FALSE(v->IsMGCandidate(enemy, 0.0f, 22.5f, d, false, false, false));
  EXPECT_TRUE(v->IsMGCandidate(enemy, 0.0f, 22.5f, std::nextafter(d, 1000.0f), false, false, false));
  EXPECT_FALSE(v->IsMGCandidate(*v, 0.0f, 360.0f, 300.0f, false, false, false));     // itself
  enemy.identificationLevel = 1;
  EXPECT_FALSE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 300.0f, false, false, false));
  enemy.identificationLevel = 4;
  // Dug in, the vehicle is hull down from everybody: its bow gun holds fire, the others not.
  v->emplaced = 1;
  EXPECT_FALSE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 300.0f, true, false, false));
  EXPECT_TRUE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 300.0f, false, false, false));
  v->emplaced = 0;
  // A heavy gun spares an enemy with a friend within 20 m of it.
  auto friendly = rig.Make(1);
  friendly->x = enemy.x + 15.0f;
  friendly->y = enemy.y;
  rig.Join(*friendly);
  EXPECT_FALSE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 300.0f, false, true, false));
  EXPECT_TRUE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 300.0f, false, false, false));
  friendly->x = enemy.x + 25.0f;
  EXPECT_TRUE(v->IsMGCandidate(enemy, 0.0f, 22.5f, 300.0f, false, true, false));
}

TEST(VehicleGuns, ObjectTargetsGetNoMachineGunFire) {
  GunsRig rig;
  rig.PutI32(0, 88, 10);
  auto v = rig.Make(0);
  rig.Join(*v);
  rig.Enemy(0.0f, 100.0f);
  auto object = rig.Make(1);
  object->kind = Unit::kInanimate;
  v->target = object.get();
  for (int32_t s = 0; s < 10; ++s) v->UpdateMachineGuns();
  EXPECT_TRUE(rig.world.firePackets.empty());
  EXPECT_EQ(v->objectTargetLogged, 1);
  EXPECT_EQ(v->target, object.get());
}


TEST(VehicleGuns, HitChancesOfAVehicle) {
  GunsRig rig;
  auto v = rig.Make(0);
  auto shooter = rig.Make(1);
  shooter->side = 0;
  PointAt(100.0f, 200.0f, shooter->x, shooter->y);
  struct Chances {
    float first = 1.0f;
    float second = 1.0f;
  };
  auto adjust = [&](const Unit& from) {
    Chances c;
    v->AdjustChancesOfBeingHit(from, c.first, c.second);
    return c;
  };
  // Closed hatches, an unidentified vehicle at bearing 100.
  v->buttoned = 1;
  shooter->identificationLevel = 0;
  Chances c = adjust(*shooter);
  EXPECT_FLOAT_EQ(c.first, 0.4f);
  EXPECT_FLOAT_EQ(c.second, 0.2f);
  // Identified it sees the flank: x0.4 from 90; the vehicle's own target aims unhindered.
  shooter->identificationLevel = 4;
  EXPECT_FLOAT_EQ(adjust(*shooter).first, 0.4f);
  v->target = shooter.get();
  EXPECT_FLOAT_EQ(adjust(*shooter).first, 1.0f);
  v->target = nullptr;

  // Open hatches on an armoured vehicle: the crew shows itself.
  v->buttoned = 0;
  rig.PutI16(0, 140, 50);
  c = adjust(*shooter);
  EXPECT_FLOAT_EQ(c.first, 6.0f);
  EXPECT_FLOAT_EQ(c.second, 0.9f);
  TestUnit infantry;
  infantry.side = 0;
  infantry.x = shooter->x;
  infantry.y = shooter->y;
  EXPECT_FLOAT_EQ(adjust(infantry).first, 3.0f);
  infantry.flagBytes[Unit::kHoldFlag] = 1;  // hiding
  EXPECT_FLOAT_EQ(adjust(infantry).first, 1.5f);
  // Unarmoured without a gun the crew is not exposed: flank shots are harder.
  rig.PutI16(0, 140, 0);
  EXPECT_FLOAT_EQ(adjust(*shooter).first, 0.7f);

  // Moving along waypoints of mode 3 halves the second chance.
  v->waypointCount = 1;
  v->waypoints[0].moveMode = 3;
  EXPECT_FLOAT_EQ(adjust(*shooter).second, 0.9f * 0.5f);
  v->waypointCount = 0;

  // At the full speed the ground allows, with two men aboard: x0.2.
  rig.Class(0)[56] = 2;
  v->buttoned = 1;
  v->target = shooter.get();
  v->speed = v->mobility;
  EXPECT_NEAR(adjust(*shooter).first, 0.2f, 1e-6f);
  v->speed = 0.5f * v->mobility;
  EXPECT_NEAR(adjust(*shooter).first, 0.6f, 1e-6f);
  // Faster than the ground allows, or on ground that stops it, the factor stays at its least.
  v->speed = 3.0f * v->mobility;
  EXPECT_NEAR(adjust(*shooter).first, 0.2f, 1e-6f);
  v->mobility = 0.0f;
  EXPECT_NEAR(adjust(*shooter).first, 0.2f, 1e-6f);
  // Three more men steady the crew's driving less: t 0.6.
  rig.Class(0)[56] = 5;
  EXPECT_NEAR(adjust(*shooter).first, 0.4f, 1e-6f);
}

TEST(VehicleGuns, FortificationOutsideItsArcIsHardlyHit) {
  GunsRig rig;
  rig.PutI32(0, 112, VehicleData::kKindEmplacement);
  rig.PutI16(0, 84, 45);
  rig.PutI16(0, 86, 45);
  auto v = rig.Make(0);
  auto shooter = rig.Make(1);
  shooter->side = 0;
  PointAt(100.0f, 200.0f, shooter->x, shooter->y);
  float first = 1.0f, second = 1.0f;
  v->AdjustChancesOfBeingHit(*shooter, first, second);
  EXPECT_EQ(first, 0.0f);
  EXPECT_FLOAT_EQ(second, 0.2f);
  // Inside the arc its crew counts as exposed: x6.
  PointAt(30.0f, 200.0f, shooter->x, shooter->y);
  first = 1.0f;
  second = 1.0f;
  v->AdjustChancesOfBeingHit(*shooter, first, second);
  EXPECT_FLOAT_EQ(first, 6.0f);
  EXPECT_FLOAT_EQ(second, 0.9f);
}

// A burst is scaled by what its target is, never by the firing vehicle's own hatches.
TEST(VehicleGuns, ABurstAtAVehicleIsScaledByTheVehicleItHits) {
  GunsRig rig;
  auto target = rig.Make(0);
  auto firer = rig.Make(1);
  firer->side = 0;
  PointAt(100.0f, 200.0f, firer->x, firer->y);
  target->buttoned = 1;
  firer->buttoned = 1;
  firer->identificationLevel = 0;
  firer->target = target.get();
  const float d = firer->DistanceToPoint(target->x, target->y);
  float first = firer->FirepowerAt(d, 0);
  float second = static_cast<float>(firer->CloseRangeBonus(d));
  target->AdjustChancesOfBeingHit(*firer, first, second);
  UnitFirePacket record;
  int32_t flight = 20;
  int32_t due = 60;
  firer->ResolveShot(&record, 0, 104, 1, 6, flight, due, target->x, target->y, target->GetBaseHeight());
  ASSERT_EQ(rig.world.FiledShots().size(), 1u);
  const Shot burst = rig.world.FiledShots()[0];
  EXPECT_FLOAT_EQ(burst.firepower, first);
  EXPECT_EQ(burst.closeRangeBonus, static_cast<int32_t>(second));
  EXPECT_FLOAT_EQ(burst.firepower, firer->FirepowerAt(d, 0) * 0.4f);  // unseen, from the flank
}

TEST(VehicleGuns, SeenValue) {
  GunsRig rig;
  auto v = rig.Make(0);
  auto observer = rig.Make(1);
  PointAt(0.0f, 150.0f, observer->x, observer->y);
  float sight = 0.0f;
  ASSERT_TRUE(observer->LineOfSightTo(*v, &sight));
  ASSERT_FLOAT_EQ(sight, 1.0f);
  EXPECT_NEAR(v->VisibilityTo(observer.get()), 2499.5f, 0.01f);
  v->speed = 0.1f;
  EXPECT_NEAR(v->VisibilityTo(observer.get()), 4249.15f, 0.01f);
  v->speed = 0.0f;
  rig.world.Battle().visibilityClass = 2;
  EXPECT_NEAR(v->VisibilityTo(observer.get()), 2499.5f * 0.6f, 0.01f);
  rig.world.Battle().visibilityClass = 0;
  v->emplaced = 1;  // hull down from everybody
  EXPECT_NEAR(v->VisibilityTo(observer.get()), 2499.5f * 0.6f, 0.01f);
}
