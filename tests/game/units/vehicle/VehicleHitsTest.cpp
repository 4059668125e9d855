// Shell hits, damage, crew losses, blast and mines on vehicles.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/TestInfantry.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr float kX = 500.0f;
constexpr float kY = 500.0f;

std::unique_ptr<Vehicle> Make(int32_t classIndex) {
  auto v = std::make_unique<Vehicle>();
  v->SetClass(classIndex, 0, 2, kX, kY, 0.0f);
  return v;
}

// A turreted class with turret armour, crew 5, armoured all round.
void Tank(VehicleRig& rig, int32_t cls) {
  rig.PutI32(cls, 80, 2);
  rig.Class(cls)[ArmourLayout::kTurretArmourPresent] = 1;
  rig.Class(cls)[56] = 5;
  for (int32_t facing = 0; facing < 3; ++facing) {
    for (int32_t part = 0; part < 3; ++part) rig.PutI16(cls, ArmourLayout::PlateOffset(part, facing), 50);
  }
}

// Crews that bail out need no appearance once the battle is over; every test starts from one
// seed.
void Quiet(VehicleRig& rig) {
  rig.world.Battle().endState[0] = 2;  // a side surrendered: the battle is over
  SeedRandom(17);
}

}  // namespace

TEST(VehicleHits, LocationDrawsAndShares) {
  VehicleRig rig;
  Quiet(rig);
  Tank(rig, 1);
  auto v = Make(1);
  SeedRandom(1234);
  const int32_t expected[10] = {1, 2, 1, 5, 2, 0, 0, 1, 2, 1};
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(v->ChooseHitLocation(false, false, 0.0f, true, 0.5f), expected[i]) << i;
  EXPECT_EQ(RandomState(), 0x1F48DEFCu);

  // Hull down without turret armour: the upper hull 94 times in 100, else the gun.
  auto open = Make(2);
  int32_t counts[7] = {};
  for (int32_t i = 0; i < 100000; ++i) ++counts[open->ChooseHitLocation(false, true, 0.0f, true, 0.5f)];
  EXPECT_NEAR(counts[1] / 100000.0, 0.94, 0.005);
  EXPECT_EQ(counts[1] + counts[6], 100000);
  // A gun turned away is never hit; a track hit from dead ahead is kept half the time.
  for (int32_t i = 0; i < 2000; ++i) EXPECT_NE(v->ChooseHitLocation(false, false, 0.0f, false, 0.5f), 6);
  int32_t tracks[2] = {};
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t i = 0; i < 40000; ++i) tracks[side] += v->ChooseHitLocation(false, false, side, true, 0.5f) == 5;
  }
  EXPECT_NEAR(static_cast<double>(tracks[0]) / tracks[1], 0.5, 0.05);
}

TEST(VehicleHitsDeathTest, TurretWithoutTurretArmourIsFatal) {
  VehicleRig rig(false);
  Tank(rig, 1);
  auto v = Make(1);
  rig.Class(1)[ArmourLayout::kTurretArmourPresent] = 0;
  EXPECT_DEATH(v->ChooseHitLocation(false, false, 0.0f, true, 0.5f), "Vehicle line 3635");
  EXPECT_DEATH(v->KnockOutChance(0, 4), "Vehicle line 4084");
  EXPECT_DEATH(v->ApplySystemDamage(7, nullptr), "Vehicle line 4379");
  EXPECT_DEATH(v->RollSystemDamage(1.0f, 4, 1.0f, false, nullptr), "Vehicle line 4398");
}

TEST(VehicleHits, KnockOutFireAndImmobilisationChances) {
  EXPECT_NEAR(Vehicle::KnockOutChanceFor(30.0f, 10.0f, 1, false, false), 0.546955f, 1e-5);
  EXPECT_NEAR(Vehicle::KnockOutChanceFor(30.0f, 10.0f, 2, false, false), 0.410217f, 1e-5);
  EXPECT_EQ(Vehicle::KnockOutChanceFor(30.0f, 10.0f, 0, false, false), 0.95f);
  EXPECT_NEAR(Vehicle::KnockOutChanceFor(80.0f, 0.0f, 1, true, false), 0.068096f, 1e-5);
  EXPECT_NEAR(Vehicle::KnockOutChanceFor(30.0f, 10.0f, 3, false, true) / Vehicle::KnockOutChanceFor(30.0f, 10.0f, 3, false, false),
              1.3f / 0.85f, 1e-4);

  VehicleRig rig;
  Quiet(rig);
  rig.PutI32(1, 68, 5);  // a main weapon
  auto v = Make(1);
  EXPECT_NEAR(v->PenetrationFireChance(0.5f), 0.225f, 1e-6);
  rig.PutI16(1, 212, 0x1);
  EXPECT_NEAR(v->PenetrationFireChance(0.5f), 0.525f, 1e-6);
  rig.PutI16(1, 212, 0x201);
  EXPECT_NEAR(v->PenetrationFireChance(0.5f), 0.4725f, 1e-6);
  rig.PutI32(1, 68, 104);
  EXPECT_NEAR(v->PenetrationFireChance(0.5f), 0.23625f, 1e-6);

  const float expected[6] = {3.0f, 2.5f, 2.0f, 1.5f, 0.0f, 0.0f};
  for (int32_t kind = 0; kind < 6; ++kind) {
    rig.PutI32(1, 112, kind);
    EXPECT_FLOAT_EQ(v->ImmobilizationFactor(0.1f, true), 0.1f * expected[kind]) << kind;
  }
  rig.PutI32(1, 112, 4);
  EXPECT_EQ(v->ImmobilizationFactor(0.1f, false), 0.1f);
}

TEST(VehicleHits, SystemDamageSetsFlagsOnce) {
  VehicleRig rig;
  Quiet(rig);
  auto v = Make(1);
  v->waypointCount = 3;
  VehicleStrike::Flags flags;
  v->ApplySystemDamage(5, &flags);
  EXPECT_EQ(v->immobilized, 1);
  EXPECT_EQ(v->waypointCount, 0);
  EXPECT_TRUE(flags.immobilized);
  EXPECT_EQ(v->wasHit, 1);
  VehicleStrike::Flags again;
  v->ApplySystemDamage(5, &again);
  EXPECT_FALSE(again.immobilized);
  v->ApplySystemDamage(6, &flags);
  EXPECT_EQ(v->gunDestroyed, 1);
  EXPECT_TRUE(flags.gunDestroyed);
}

TEST(VehicleHits, ArmourDeflectsAnApShellAndClosesTheRicochet) {
  VehicleRig rig;
  Quiet(rig);
  Tank(rig, 1);
  for (int32_t part = 0; part < 3; ++part) rig.PutI16(1, ArmourLayout::PlateOffset(part, 0), 300);
  auto v = Make(1);
  // Weapon 3: a 75 mm gun firing armour-piercing shot.
  auto* w = const_cast<uint8_t*>(gWeapons[3].Bytes());
  const int32_t type = 2;
  const float calibre = 75.0f, mass = 6.8f, velocity = 790.0f;
  std::memcpy(w, &type, 4);
  std::memcpy(w + 4, &calibre, 4);
  std::memcpy(w + 12, &mass, 4);
  std::memcpy(w + 32, &velocity, 4);
  VehicleStrike shot;
  shot.weapon = 3;
  shot.ammoKind = 1;
  shot.startX = kX + 300.0f;
  shot.startY = kY;
  SeedRandom(5);
  v->ResolveHit(shot, 1, 0);
  EXPECT_FALSE(shot.flags.penetrated);
  EXPECT_TRUE(shot.packetStruck);
  EXPECT_TRUE(shot.ricochetPackets);
  EXPECT_EQ(shot.flags.ricochet, !shot.flags.brokeUp);
  EXPECT_EQ(v->passengersMustLeave, 1);
  EXPECT_EQ(v->alive, 1);
}

TEST(VehicleDamage, KnockOutsBailOutAndEnd) {
  VehicleRig rig;
  Quiet(rig);
  Tank(rig, 1);
  rig.PutI32(2, 112, 5);  // a boat
  rig.Class(2)[56] = 2;
  // A boat that burns only stays knocked out, and ends although nobody can bail out.
  auto boat = Make(2);
  boat->ApplyDamage(false, true, true, 0.0f, false, false, 1.0f);
  EXPECT_EQ(boat->burning, 0);
  EXPECT_EQ(boat->knockedOut, 1);
  EXPECT_EQ(boat->alive, 0);
  // A knocked-out tank with nobody left ends at once.
  auto empty = Make(1);
  empty->losses = 5;
  empty->ApplyDamage(true, false, false, 0.0f, false, false, 1.0f);
  EXPECT_EQ(empty->alive, 0);

  // One flaking casualty never bails out by chance; losing the second man does.
  auto tank = Make(1);
  tank->ApplyDamage(false, false, false, 1.0f, true, true, 0.5f);
  EXPECT_EQ(tank->losses, 1);
  EXPECT_EQ(tank->alive, 1);
  EXPECT_EQ(tank->gunCrewStunTimer, 30.0f);
  EXPECT_EQ(tank->driverStunTimer, 0.0f);
  tank->ApplyDamage(false, false, false, 1.0f, false, true, 0.5f);
  EXPECT_EQ(tank->alive, 0);

  auto rated = Make(1);
  EXPECT_NEAR(rated->BailOutChance(0.2f, false), 0.35777f, 1e-5);
  EXPECT_NEAR(rated->BailOutChance(0.2f, true), 0.65777f, 1e-5);
  rated->immobilized = 1;
  EXPECT_NEAR(rated->BailOutChance(0.2f, false), 0.50777f, 1e-5);

  // Grazed and unhurt: the hatches stay open and nobody is lost.
  auto grazed = Make(1);
  grazed->ApplyDamage(false, false, false, 0.0f, false, false, 1.0f);
  EXPECT_EQ(grazed->buttoned, 0);
  EXPECT_EQ(grazed->losses, 0);
  EXPECT_EQ(grazed->wasHit, 1);
}

TEST(VehicleDamage, PassengersTakeQuietCasualties) {
  VehicleRig rig;
  Quiet(rig);
  Tank(rig, 1);
  rig.Class(1)[205] = 1;  // riders under armour
  auto v = Make(1);
  struct Rider : TestInfantry {
    void TakeQuietCasualties(float chance) override { chances.push_back(chance); }
    std::vector<float> chances;
  } a, b;
  v->passengers = {&a, &b};
  v->ApplyDamage(false, false, false, 0.25f, false, false, 0.0f);
  EXPECT_EQ(a.chances, std::vector<float>{0.25f});
  EXPECT_EQ(b.chances, std::vector<float>{0.25f});
  // A single roll spares them.
  v->ApplyDamage(false, false, false, 0.25f, false, true, 0.0f);
  EXPECT_EQ(a.chances.size(), 1u);
  v->passengers = {};
}

TEST(VehicleDamage, BlastShockAndMines) {
  VehicleRig rig;
  Quiet(rig);
  rig.PutI16(1, 212, 0);
  auto soft = Make(1);  // no armour
  EXPECT_NEAR(soft->UnarmouredKnockOutChance(50.0f, 1), 0.35f, 1e-6);
  rig.PutI16(1, 212, 0x400);
  EXPECT_NEAR(soft->UnarmouredKnockOutChance(50.0f, 1), 0.175f, 1e-6);
  rig.PutI16(1, 212, 0);
  rig.PutI32(1, 112, 5);
  EXPECT_NEAR(soft->UnarmouredKnockOutChance(50.0f, 1), 0.07f, 1e-6);
  EXPECT_NEAR(soft->UnarmouredKnockOutChance(50.0f, 0), 0.0175f, 1e-6);
  EXPECT_NEAR(soft->UnarmouredKnockOutChance(50.0f, 7), 0.0175f, 1e-6);
  rig.PutI32(1, 112, 4);

  EXPECT_NEAR(soft->CrewShockChance(362.5f, 0, false, false), 0.5f, 1e-6);
  EXPECT_NEAR(soft->CrewShockChance(362.5f, 0, true, false), 0.25f, 1e-6);
  EXPECT_NEAR(soft->CrewShockChance(362.5f, 0, false, true), 0.6f, 1e-6);
  EXPECT_NEAR(soft->CrewShockChance(2000.0f, 4, false, false), 0.8f, 1e-6);
  soft->buttoned = 1;
  EXPECT_EQ(soft->CrewShockChance(362.5f, 0, false, false), 0.0f);

  // A blast 1 m off counts as 3 m.
  VehicleStrike near;
  near.weapon = 3;
  near.ammoKind = 0;
  near.currentX = kX + 1.0f;
  near.currentY = kY;
  VehicleStrike three = near;
  three.currentX = kX + 3.0f;
  EXPECT_EQ(soft->BlastValueAt(near), soft->BlastValueAt(three));

  // A mine under a 50 t tank immobilises it; each man is lost with 0.12.
  Tank(rig, 2);
  rig.PutI16(2, 54, 50);
  auto tank = Make(2);
  SeedRandom(3);
  tank->SetOffMine();
  EXPECT_EQ(tank->immobilized, 1);
}

TEST(VehicleDamage, HitReportsOutOfRangeAreIgnored) {
  VehicleRig rig;
  Quiet(rig);
  auto v = Make(1);
  Vehicle::HitReport report{2, 1};
  EXPECT_TRUE(v->SetHitReport(report, 1, 120));
  EXPECT_EQ(v->lastHit.part, 2);
  EXPECT_EQ(v->hitFacing, 1);
  EXPECT_EQ(v->hitReportValue, 120);
  for (auto bad : {Vehicle::HitReport{7, 0}, Vehicle::HitReport{-1, 0}}) {
    EXPECT_FALSE(v->SetHitReport(bad, 1, 200));
  }
  EXPECT_FALSE(v->SetHitReport(report, 3, 200));
  EXPECT_EQ(v->hitReportValue, 120);
}

TEST(VehicleDamage, UnarmouredVehiclesUnderFire) {
  VehicleRig rig;
  Quiet(rig);
  rig.PutI16(1, 212, 0x400);  // soft
  rig.Class(1)[56] = 2;
  TestInfantry firer;
  VehicleStrike shot;
  shot.fireKind = 7;
  shot.shooter = &firer;
  // Fire kind 7 never knocks out; a soft vehicle's crew is out of its reach.
  auto truck = Make(1);
  truck->TakeStrikeDamage(1000.0f, 0, shot);
  EXPECT_EQ(truck->alive, 1);
  EXPECT_EQ(truck->losses, 0);
  // Strong fire of another kind always knocks it out, and the firer's record counts the kill,
  // unidentified below level 4.
  shot.fireKind = 1;
  truck->TakeStrikeDamage(1000.0f, 0, shot);
  EXPECT_EQ(truck->alive, 0);
  EXPECT_EQ(truck->knockedOut, 1);
  ASSERT_EQ(firer.killRecord.VehicleEntryCount(), 1);
  // A second end counts nothing more.
  truck->Eliminate();
  EXPECT_EQ(firer.killRecord.VehicleEntryCount(), 1);
}

TEST(VehicleHits, LocatingAHitFromAhead) {
  VehicleRig rig;
  Quiet(rig);
  Tank(rig, 1);
  auto v = Make(1);
  VehicleStrike shot;
  shot.ammoKind = 1;
  shot.startX = kX + 400.0f;
  shot.startY = kY;
  shot.strength = 10.0f;
  SeedRandom(21);
  int32_t seen[7] = {};
  for (int32_t i = 0; i < 400; ++i) {
    int32_t facing = -1;
    bool resolve = false;
    const int32_t location = v->LocateHit(shot, facing, resolve);
    ++seen[location];
    EXPECT_EQ(resolve, location <= 2);
    if (resolve) {
      EXPECT_EQ(facing, 0);
    }
    v->immobilized = 0;
    v->gunDestroyed = 0;
  }
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], 0);
  EXPECT_GT(seen[5] + seen[6], 0);
  EXPECT_EQ(seen[3] + seen[4], 0);
}
