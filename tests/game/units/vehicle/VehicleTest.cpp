// The vehicle: construction and class set-up, identity and names, passengers and weapons,
// terrain speed, obstruction, corner cutting and ground tilt.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/units/TestInfantry.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr int32_t kAlliedCode = 0;  // kind group 1: the viewer's enemy
constexpr int32_t kAxisCode = 6;    // kind group 0: the viewer's own

std::unique_ptr<Vehicle> MakeVehicle(int32_t classIndex, int32_t code = kAlliedCode, float px = 100.0f, float py = 100.0f) {
  auto vehicle = std::make_unique<Vehicle>();
  vehicle->SetClass(classIndex, code, 2, px, py, 0.0f);
  return vehicle;
}

std::string NameAt(Vehicle& vehicle, int32_t level) {
  vehicle.identificationLevel = level;
  GString63 text;
  vehicle.GetDisplayName(text);
  return text.CStr();
}

void SetMen(TestInfantry& unit, int32_t men, int32_t transportClass) {
  unit.men = men;
  unit.record[112] = static_cast<uint8_t>(transportClass);
}

}  // namespace

// ---- Construction and class set-up ----

TEST(VehicleSetUp, ConstructionDrawsNineValuesInOrder) {
  VehicleRig rig(false);
  SeedRandom(4242);
  const float offset1 = -6.0f - static_cast<float>(Random(6));
  float offset2 = offset1 + static_cast<float>(5 + Random(4));
  if (Random(2) == 0) offset2 = -offset2;
  std::array<int32_t, 3> phases{};
  std::array<float, 3> rates{};
  for (int32_t i = 2; i >= 0; --i) {
    phases[static_cast<size_t>(i)] = Random(10000);
    rates[static_cast<size_t>(i)] = RandomFloatTimes(1.3f) + 0.5f;
  }
  const uint32_t after = RandomState();
  SeedRandom(4242);
  Vehicle vehicle;
  EXPECT_EQ(RandomState(), after);
  EXPECT_EQ(vehicle.drawingOffsets[0], offset1);
  EXPECT_EQ(vehicle.drawingOffsets[1], offset2);
  EXPECT_EQ(vehicle.animationPhases, phases);
  EXPECT_EQ(vehicle.animationRates, rates);
  EXPECT_EQ(vehicle.kind, Unit::kVehicle);
  EXPECT_EQ(vehicle.smallArmsInUse, 33);
  EXPECT_EQ(vehicle.hitReportValue, -1);
  EXPECT_EQ(vehicle.AsVehicle(), &vehicle);
  // Phases run on by frame time and wrap at 10000.
  vehicle.animationPhases = {9990, 0, 10};
  vehicle.animationRates = {1.0f, 0.5f, 2.0f};
  vehicle.AdvanceAnimation(20.0f);
  EXPECT_EQ(vehicle.animationPhases, (std::array<int32_t, 3>{10, 10, 50}));
}

TEST(VehicleSetUp, NationalityButtonsRadiusAndTurret) {
  VehicleRig rig;
  // Kind 6: buttoned and immobilized.
  rig.PutI32(1, 112, 6);
  auto pillbox = MakeVehicle(1);
  EXPECT_EQ(pillbox->buttoned, 1);
  EXPECT_EQ(pillbox->immobilized, 1);
  EXPECT_FALSE(pillbox->CanMove());
  // Nationality: each group's fixed code, unless the class keeps the caller's.
  const int32_t codes[6][2] = {{6, 9}, {0, 2}, {3, 5}, {12, 13}, {14, 16}, {17, 18}};
  for (const auto& c : codes) EXPECT_EQ(MakeVehicle(2, c[0])->nationalityCode, c[1]) << c[0];
  rig.PutI16(3, 212, 0x2000);
  EXPECT_EQ(MakeVehicle(3, 7)->nationalityCode, 7);
  // Radius in [1.0, 1.5) x (size + 0.8); a gun to the rear turns the turret to 180.
  for (int32_t i = 0; i < 50; ++i) {
    const float radius = MakeVehicle(2)->sizeFactor;
    EXPECT_GE(radius, 3.8f);
    EXPECT_LT(radius, 3.8f * 1.5f);
  }
  rig.PutI16(4, 84, -30);
  EXPECT_EQ(MakeVehicle(4)->turretOffset, 180.0f);
  EXPECT_EQ(MakeVehicle(2)->turretOffset, 0.0f);
  // Models 6 and 46 are deeper.
  rig.PutI32(5, 256, 46);
  EXPECT_GT(MakeVehicle(5)->GBoundingBox::hy, MakeVehicle(2)->GBoundingBox::hy);
}

TEST(VehicleSetUpDeathTest, TurretWithoutTurretRecordIsFatal) {
  VehicleRig rig(false);
  rig.PutI32(1, 80, 2);
  EXPECT_DEATH(MakeVehicle(1), "Vehicle");
  rig.Class(1)[124] = 1;
  EXPECT_TRUE(MakeVehicle(1)->HasTurret());
}

// ---- Identity, names and textures ----

TEST(VehicleIdentity, TrucksPillboxesAndTheOwnSide) {
  VehicleRig rig;
  rig.PutI32(1, 60, 9);
  auto truck = MakeVehicle(1);
  EXPECT_EQ(truck->apparentCategory, 9);
  EXPECT_EQ(truck->apparentClass, 203);
  EXPECT_EQ(truck->broadClass, 223);
  for (int32_t level = 0; level <= 3; ++level) EXPECT_EQ(NameAt(*truck, level), "Truck?") << level;
  rig.PutI32(2, 60, 20);
  EXPECT_EQ(NameAt(*MakeVehicle(2), 3), "Truck?");
  rig.PutI32(3, 60, 39);
  std::memcpy(rig.Class(3) + 35, "Bunker", 7);
  std::memcpy(rig.Class(3), "Concrete bunker", 16);
  auto bunker = MakeVehicle(3);
  EXPECT_EQ(NameAt(*bunker, 3), "Bunker");
  EXPECT_EQ(NameAt(*bunker, 2), "Pillbox?");
  EXPECT_EQ(NameAt(*bunker, 4), "Bunker");
  bunker->identificationLevel = 4;
  GString63 text;
  bunker->GetDisplayName(text, true);
  EXPECT_STREQ(text.CStr(), "Concrete bunker");
  // Levels pick the record: true class, apparent class, broad class.
  bunker->identificationLevel = 1;
  EXPECT_EQ(bunker->GetClassData(1).Bytes(), rig.Class(222));
  EXPECT_EQ(bunker->GetClassData(0).Bytes(), rig.Class(3));
  // The own side always sees the true category.
  rig.PutI32(4, 60, 11);
  for (int32_t i = 0; i < 20; ++i) {
    auto own = MakeVehicle(4, kAxisCode);
    own->identificationLevel = 0;
    EXPECT_EQ(own->GetCategory(), 11);
  }
}

TEST(VehicleIdentity, ShermansAreMistakenByTheDate) {
  VehicleRig rig;
  rig.PutI32(1, 60, 11);
  SeedRandom(99);
  for (int32_t date : {4411, 4412}) {
    rig.world.app.date = date;
    std::array<int32_t, 40> counts{};
    for (int32_t i = 0; i < 10000; ++i) {
      Vehicle vehicle;
      vehicle.classIndex = 1;
      vehicle.ChooseApparentClass();
      ++counts[static_cast<size_t>(vehicle.apparentCategory)];
    }
    EXPECT_EQ(counts[11] + counts[13] + counts[16], 10000);
    EXPECT_NEAR(counts[11] / 10000.0, 6.0 / 8.0, 0.02);
    if (date == 4411) {
      EXPECT_EQ(counts[16], 0);
    } else {
      EXPECT_NEAR(counts[16] / 10000.0, 1.0 / 8.0, 0.015);
    }
  }
  // Exact outcomes at the bounds and the date-dependent classes.
  EXPECT_EQ(Vehicle::ApparentCategoryFor(11, 6, 4411), 13);
  EXPECT_EQ(Vehicle::ApparentCategoryFor(11, 7, 4412), 16);
  EXPECT_EQ(Vehicle::ApparentCategoryFor(15, 10, 4412), 16);
  EXPECT_EQ(Vehicle::ApparentCategoryFor(15, 11, 4401), 18);
  EXPECT_EQ(Vehicle::ApparentCategoryFor(34, 0, 4401), 23);
  EXPECT_EQ(Vehicle::ApparentCategoryFor(10, 0, 4401), 10);
  EXPECT_EQ(Vehicle::CategoryDrawBound(24), 24);
  EXPECT_EQ(Vehicle::ApparentClassFor(12, 4501), 10);
  EXPECT_EQ(Vehicle::ApparentClassFor(12, 4502), 35);
  EXPECT_EQ(Vehicle::ApparentClassFor(16, 4412), 34);
  EXPECT_EQ(Vehicle::ApparentClassFor(39, 4412), 207);
  EXPECT_EQ(Vehicle::BroadClassOf(38), 224);
  EXPECT_EQ(Vehicle::BroadClassOf(40), 225);  // logged, falls back to tank
}

TEST(VehicleIdentity, DesignationsAndTextureNumbers) {
  VehicleRig rig;
  auto first = MakeVehicle(1);
  auto second = MakeVehicle(1);
  auto axis = MakeVehicle(1, kAxisCode);
  first->AssignDesignation();
  second->AssignDesignation();
  axis->AssignDesignation();
  EXPECT_EQ(first->designation, 'V' * 256 + 1);
  EXPECT_EQ(second->designation, 'V' * 256 + 2);
  EXPECT_EQ(axis->designation, 'V' * 256 + 1);
  // A new battle counts from 1 again.
  Unit::ResetNamingState();
  second->AssignDesignation();
  EXPECT_EQ(second->designation, 'V' * 256 + 1);
  // Base textures by kind, flag, snow and damp ground.
  rig.PutI32(1, 112, 2);
  EXPECT_EQ(Vehicle::BaseTextureNumber(VehicleData(rig.Class(1)), false, 0), 4026);
  EXPECT_EQ(Vehicle::BaseTextureNumber(VehicleData(rig.Class(2)), false, 2), 4020);
  EXPECT_EQ(Vehicle::BaseTextureNumber(VehicleData(rig.Class(2)), false, 3), 4021);
  EXPECT_EQ(Vehicle::BaseTextureNumber(VehicleData(rig.Class(2)), true, 7), 4022);
  rig.PutI16(2, 212, 0x1000);
  EXPECT_EQ(Vehicle::BaseTextureNumber(VehicleData(rig.Class(2)), false, 0), 4023);
}

// ---- Passengers and weapons ----

TEST(VehiclePassengers, PlacesMenAndBoarding) {
  VehicleRig rig;
  auto vehicle = MakeVehicle(1);
  TestInfantry squad, team, other;
  for (TestInfantry* u : {&squad, &team, &other}) u->Setup(101.0f, 100.0f, 0.0f, kAlliedCode, 2);
  SetMen(squad, 8, 5);
  SetMen(team, 2, 3);
  SetMen(other, 4, 4);
  // Capacity 0 never carries.
  rig.PutI32(2, 200, 0);
  EXPECT_FALSE(MakeVehicle(2)->CanCarry(&team, false, false));
  // 7 men or more: only an empty two-place vehicle or one with at most 2 men aboard.
  EXPECT_TRUE(vehicle->CanCarry(&squad, false, false));
  vehicle->AddPassenger(&other);
  EXPECT_FALSE(vehicle->CanCarry(&squad, false, false));
  vehicle->RemovePassenger(&other);
  vehicle->AddPassenger(&team);
  EXPECT_TRUE(vehicle->CanCarry(&squad, false, false));
  vehicle->RemovePassenger(&team);
  // A big rider aboard: a second of more than 2 men is refused, a team accepted.
  vehicle->AddPassenger(&squad);
  EXPECT_FALSE(vehicle->CanCarry(&other, false, false));
  EXPECT_TRUE(vehicle->CanCarry(&team, false, false));
  // A rider with a move order does not count while planning.
  squad.waypointCount = 1;
  EXPECT_TRUE(vehicle->CanCarry(&other, false, false));
  EXPECT_FALSE(vehicle->CanCarry(&other, true, false));
  squad.waypointCount = 0;
  vehicle->RemovePassenger(&squad);
  // Boarding now: within 5 m, standing or still waiting out its delay.
  EXPECT_TRUE(vehicle->CanCarry(&team, true, false));
  team.x = 106.0f;
  EXPECT_FALSE(vehicle->CanCarry(&team, true, false));
  team.x = 101.0f;
  vehicle->waypointCount = 1;
  EXPECT_FALSE(vehicle->CanCarry(&team, true, false));
  vehicle->commandDelay = 2.0f;
  EXPECT_TRUE(vehicle->CanCarry(&team, true, false));
  // Heavy loads need permission; a transport class above the capacity never boards.
  SetMen(other, 4, 9);
  rig.PutI32(1, 200, 10);
  EXPECT_FALSE(vehicle->CanCarry(&other, false, false));
  EXPECT_TRUE(vehicle->CanCarry(&other, false, true));
  EXPECT_EQ(Vehicle::PassengerWeight(&other), 5.0f);
  EXPECT_EQ(Vehicle::PassengerWeight(nullptr), 0.0f);
}

TEST(VehiclePassengersDeathTest, ThirdPassengerAndStrangerAreFatal) {
  VehicleRig rig(false);
  auto vehicle = MakeVehicle(1);
  TestInfantry a, b, c;
  vehicle->AddPassenger(&a);
  vehicle->AddPassenger(&b);
  EXPECT_DEATH(vehicle->AddPassenger(&c), "Vehicle");
  EXPECT_DEATH(vehicle->RemovePassenger(&c), "Vehicle");
  EXPECT_DEATH(vehicle->ToggleDugIn(), "Vehicle");  // not armoured, no gun
}

TEST(VehicleWeapons, MainGunMachineGunsThreatAndSpotting) {
  VehicleRig rig;
  rig.PutI32(1, 68, 7);
  rig.PutI32(1, 88, 3);  // a bow machine gun
  rig.PutI16(1, 140, 50);
  rig.SetWeaponType(7, 2);
  auto tank = MakeVehicle(1);
  auto softTarget = MakeVehicle(2);
  auto armouredTarget = MakeVehicle(1);
  softTarget->alive = 0;
  armouredTarget->alive = 0;
  // A machine gun counts only with rounds in its group: without them the main gun finishes
  // even a soft target.
  EXPECT_EQ(tank->ChooseMainGun(softTarget.get(), false, false), 1);
  tank->machineGunAmmo[0] = 20;
  EXPECT_EQ(tank->ChooseMainGun(softTarget.get(), false, false), 0);
  EXPECT_EQ(tank->ChooseMainGun(armouredTarget.get(), false, false), 1);
  EXPECT_EQ(tank->ChooseMainGun(softTarget.get(), true, false), 1);
  tank->gunDestroyed = 1;
  EXPECT_EQ(tank->ChooseMainGun(armouredTarget.get(), false, false), 0);
  // Weapons of the shot under way.
  int32_t weapon = 0, type = 0;
  EXPECT_EQ(tank->QueryShotWeapon(weapon, type, 0, false), 0);
  EXPECT_EQ(weapon, 7);
  EXPECT_EQ(type, 2);
  for (int32_t k : {29, 30, 31}) {
    tank->smallArmsInUse = k;
    EXPECT_EQ(tank->QueryShotWeapon(weapon, type, 0, true), 0);
    EXPECT_EQ(weapon, 58 + k - 29);
    EXPECT_EQ(type, 6);
  }
  tank->smallArmsInUse = 25;
  EXPECT_EQ(tank->QueryShotWeapon(weapon, type, 0, true), 2);
  EXPECT_EQ(weapon, 104);
  tank->smallArmsInUse = 20;
  EXPECT_EQ(tank->QueryShotWeapon(weapon, type, 0, true), 1);
  tank->smallArmsInUse = 40;
  EXPECT_DEATH(tank->QueryShotWeapon(weapon, type, 0, true), "Vehicle");
  // The gun is its heavy weapon, and it fights in the computer player's plans.
  EXPECT_TRUE(tank->HasMainWeaponOfType123());
  EXPECT_EQ(tank->GetInfantryRoleCode(), 4);
  // Threat sizes; an emplacement adds 10.
  EXPECT_EQ(tank->GetStrengthValue(), 20.0f);
  EXPECT_EQ(softTarget->GetStrengthValue(), 5.0f);
  rig.PutI16(2, 140, 5);
  EXPECT_EQ(softTarget->GetStrengthValue(), 10.0f);
  rig.PutI32(2, 112, 6);
  EXPECT_EQ(softTarget->GetStrengthValue(), 20.0f);
  EXPECT_EQ(softTarget->GetInfantryRoleCode(), 0);  // kind 6 has no role
  // Spotting: buttoned waits 240 longer (a signed count), not for kind 6.
  tank->buttoned = 1;
  SeedRandom(5);
  const int32_t open = static_cast<int16_t>(Random(2 * 2 * 40 + 1));
  SeedRandom(5);
  EXPECT_EQ(tank->RollSpotting(), open - 240);
  softTarget->buttoned = 1;
  SeedRandom(5);
  EXPECT_EQ(softTarget->RollSpotting(), open);
  // Digging in: riders get off; a dug-in vehicle cannot move.
  TestInfantry rider;
  tank->AddPassenger(&rider);
  tank->ToggleDugIn();
  EXPECT_EQ(tank->emplaced, 1);
  EXPECT_EQ(tank->GetPassenger(0), nullptr);
  EXPECT_FALSE(tank->CanMove());
  EXPECT_EQ(tank->GetInfantryRoleCode(), 0);
}

TEST(VehicleWeapons, OpenTopsAndRecordsByLevel) {
  VehicleRig rig(false);
  rig.PutI32(1, 60, 9);  // a truck: always taken for one
  rig.PutI16(1, 168, 10);
  rig.PutI16(1, 170, 10);
  auto closed = MakeVehicle(1);
  EXPECT_EQ(closed->GetOpenTopState(0), 0);
  rig.PutI16(1, 170, 0);
  EXPECT_EQ(closed->GetOpenTopState(0), 1);
  rig.PutI16(1, 168, 0);
  EXPECT_EQ(closed->GetOpenTopState(0), 2);
  // Mode 1 takes the cached level: the broad class below 3, the apparent class at 3.
  rig.PutI16(223, 168, 10);
  rig.PutI16(223, 170, 10);
  closed->identificationLevel = 0;
  EXPECT_EQ(closed->GetOpenTopState(1), 0);
  closed->identificationLevel = 3;
  EXPECT_EQ(closed->GetClassData(1).Bytes(), rig.Class(closed->apparentClass));
  closed->identificationLevel = 4;
  EXPECT_EQ(closed->GetOpenTopState(1), 2);
}

TEST(VehicleDisplay, TracksCounterRotateAndTurretWraps) {
  VehicleRig rig(false);
  auto tank = MakeVehicle(1);
  tank->turnRate = 1.0f;
  tank->speed = 0.0f;
  tank->AdvanceTracks(1.0f);
  EXPECT_LT(tank->trackSpeeds[0], 0.0f);
  EXPECT_GT(tank->trackSpeeds[1], 0.0f);
  tank->speed = 0.1f;
  tank->AdvanceTracks(1.0f);
  EXPECT_EQ(tank->trackSpeeds[0], 0.0f);
  EXPECT_GT(tank->trackSpeeds[1], 0.0f);
  rig.PutI32(2, 112, 1);
  auto truck = MakeVehicle(2);
  truck->turnRate = 1.0f;
  truck->AdvanceTracks(1.0f);
  EXPECT_EQ(truck->trackSpeeds[0], truck->trackSpeeds[1]);
  EXPECT_EQ(Vehicle::WrapTurretAngle(270.0f), -90.0f);
  EXPECT_EQ(Vehicle::WrapTurretAngle(-200.0f), 160.0f);
  tank->turretRate = 100.0f;
  tank->AdvanceTurret(2);
  EXPECT_EQ(tank->turretOffset, -160.0f);
}

TEST(VehicleDisplay, StatePacketsCarryTheVehicleAndRefuseBadValues) {
  VehicleRig rig;
  auto tank = MakeVehicle(1);
  TestInfantry rider;
  tank->AddPassenger(&rider);
  tank->turretOffset = -45.0f;
  tank->turretRate = 0.5f;
  tank->buttoned = 1;
  tank->driverStunTimer = 1.0f;
  tank->gunDestroyed = 1;
  tank->machineGunAmmo = {1, 2, 3};
  const UnitStatePacket packet = tank->MakeStatePacket();
  EXPECT_EQ(packet.vehicleFlags, 6);
  auto copy = MakeVehicle(1);
  copy->ApplyStatePacket(packet);
  EXPECT_EQ(copy->GetPassenger(0), &rider);
  EXPECT_EQ(copy->turretOffset, -45.0f);
  EXPECT_EQ(copy->turretRate, 0.5f);
  EXPECT_EQ(copy->buttoned, 1);
  EXPECT_EQ(copy->stateFlag6, 1);
  EXPECT_EQ(copy->gunDestroyed, 1);
  EXPECT_EQ(copy->machineGunAmmo, (std::array<uint8_t, 3>{1, 2, 3}));
  // A replayed packet with a non-finite turret or a vehicle as passenger.
  UnitStatePacket bad = packet;
  bad.turretAngle = std::nanf("");
  bad.turretRate = INFINITY;
  bad.extraUnits = {tank.get(), &rider};
  copy->ApplyStatePacket(bad);
  EXPECT_EQ(copy->turretOffset, -45.0f);
  EXPECT_EQ(copy->turretRate, 0.5f);
  EXPECT_EQ(copy->GetPassenger(0), nullptr);
  EXPECT_EQ(copy->GetPassenger(1), &rider);
}

// ---- Movement ----

TEST(VehicleMovement, TerrainSpeedBoatsAndEmplacements) {
  VehicleRig rig;
  auto tank = MakeVehicle(1);
  Vehicle::gFullCheck = 0.0f;
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), 0.1956937f);
  EXPECT_EQ(tank->GetTerrainMobility(), tank->TerrainMobility(nullptr));
  float level = -1.0f;
  tank->TerrainMobility(&level);
  EXPECT_EQ(level, 0.0f);
  // Roads, impassable ground and the soft ground divided by the size.
  rig.SetTerrain(100.0f, 100.0f, 9);
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), 25.0f * 0.4473f * 0.025f);
  rig.SetTerrain(100.0f, 100.0f, 13);
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), 25.0f * 0.4473f * 0.025f * 0.3f / 3.0f);
  rig.SetTerrain(100.0f, 100.0f, 3);
  EXPECT_EQ(tank->TerrainMobility(nullptr), 0.0f);
  // A boat needs riders.
  rig.PutI32(2, 112, 5);
  auto boat = MakeVehicle(2);
  rig.SetTerrain(100.0f, 100.0f, 25);
  const float water = 25.0f * 0.4473f * 0.025f;
  EXPECT_FLOAT_EQ(boat->TerrainMobility(nullptr), water * 0.0001f);
  TestInfantry rider;
  SetMen(rider, 2, 4);
  boat->AddPassenger(&rider);
  EXPECT_FLOAT_EQ(boat->TerrainMobility(nullptr), water * 10.0f / 10.5f);
  // An emplacement stands on listed ground in set-up and never moves in battle.
  rig.PutI32(3, 112, 6);
  auto pillbox = MakeVehicle(3);
  rig.world.Battle().setupPhase = true;
  rig.SetTerrain(100.0f, 100.0f, 14);
  EXPECT_EQ(pillbox->TerrainMobility(nullptr), 0.0001f);
  rig.SetTerrain(100.0f, 100.0f, 25);
  EXPECT_EQ(pillbox->TerrainMobility(nullptr), 0.0f);
  rig.world.Battle().setupPhase = false;
  rig.SetTerrain(100.0f, 100.0f, 14);
  EXPECT_EQ(pillbox->TerrainMobility(nullptr), 0.0f);
  EXPECT_EQ(tank->GroundPressure(), 0.0f + 10.0f * 0.025f);
  rig.PutI32(4, 112, 0);
  EXPECT_EQ(MakeVehicle(4)->GroundPressure(), 16.25f);
}

TEST(VehicleMovement, MoveClassByKind) {
  // Wheeled and half-tracked kinds plan on grid 3, tracked ones on grid 2 (walls, hedges and
  // wire among trees are crossed), boats, emplacements and anything else on grid 4.
  VehicleRig rig;
  const int32_t want[7] = {4, 3, 3, 3, 2, 4, 4};
  for (int32_t kind = 0; kind < 7; ++kind) {
    rig.PutI32(kind + 1, 112, kind);
    EXPECT_EQ(MakeVehicle(kind + 1)->GetMoveClass(), want[kind]) << "kind " << kind;
  }
}

TEST(VehicleMovement, TrafficCapsAndAcceleration) {
  VehicleRig rig;
  auto tank = MakeVehicle(1);
  auto friendAhead = MakeVehicle(1, kAlliedCode, 102.0f, 100.0f);
  rig.world.Lend(friendAhead.get());
  tank->speed = 0.1f;
  // Head-on within 3 m: the friend stops it; a heavier enemy lets it push past.
  EXPECT_EQ(friendAhead->ObstructionGrade(*tank), 3);
  EXPECT_EQ(tank->TerrainMobility(nullptr), 0.0f);
  auto enemy = MakeVehicle(2, kAxisCode, 102.0f, 100.0f);
  rig.PutI16(2, 54, 5);
  rig.world.TakeBackLent();
  rig.world.Lend(enemy.get());
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 1);
  // Out of the way or behind: no obstacle.
  enemy->y = 104.0f;
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 0);
  enemy->y = 100.0f;
  enemy->x = 98.0f;
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 0);
  // A wreck or an immobile vehicle: crawl past one much heavier, push a lighter one.
  enemy->x = 102.0f;
  enemy->alive = 0;
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 1);
  rig.PutI16(2, 54, 20);
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 2);
  enemy->alive = 1;
  // An emplacement always stops it; one with a move order is no obstacle while the battle
  // is not computing, and is again while it computes.
  rig.PutI32(2, 112, 6);
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 3);
  rig.PutI32(2, 112, 4);
  enemy->waypointCount = 1;
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 0);
  rig.world.Battle().computingAction = 1;
  EXPECT_EQ(enemy->ObstructionGrade(*tank), 3);
  // The scratch flag skips vehicles with a move order in the walk.
  const Vehicle* found = nullptr;
  Unit* const list[] = {tank.get(), enemy.get()};
  EXPECT_EQ(Vehicle::BestObstruction(*tank, list, 2, &found), 3);
  EXPECT_EQ(found, enemy.get());
  tank->ignoreMovers = 1;
  EXPECT_EQ(Vehicle::BestObstruction(*tank, list, 2, &found), 0);
  EXPECT_EQ(found, nullptr);
  tank->ignoreMovers = 0;
  rig.world.Battle().computingAction = 0;
  enemy->waypointCount = 0;
  rig.world.TakeBackLent();
  // Ground weight with waypoints: the battle's weight for the vehicle's pressure on ground of
  // softness 0 scales the speed; on deep snow it is less than on dry ground.
  Vehicle::gFullCheck = 0.0f;
  tank->waypointCount = 1;
  tank->WaypointAt(0) = Waypoint{150.0f, 100.0f, 0.0f, 3, 0, 0, 0};
  const float dry = rig.world.Battle().GroundWeight(tank->GroundPressure(), 0);
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), dry * 0.1956937f);
  EXPECT_EQ(Vehicle::gGroundFactor, dry);
  rig.world.Battle().groundCondition = 8;
  const float snow = rig.world.Battle().GroundWeight(tank->GroundPressure(), 0);
  EXPECT_LT(snow, dry);
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), snow * 0.1956937f);
  EXPECT_EQ(Vehicle::gGroundFactor, snow);
  rig.world.Battle().groundCondition = 0;
  Vehicle::gFullCheck = 1.0f;
  // A route point caps at 0.27 x min(top, 40) mph; the gain from rest.
  tank->speed = 1.0f;
  tank->waypointCount = 1;
  tank->WaypointAt(0) = Waypoint{150.0f, 100.0f, 0.0f, -1, 0, 0, 0};
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), 0.27f * 25.0f * 0.4473f * 0.025f);
  rig.PutI16(1, 212, 0x100);
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), 0.8f * 0.1956937f * dry);
  tank->waypointCount = 0;
  tank->speed = 0.0f;
  EXPECT_FLOAT_EQ(tank->TerrainMobility(nullptr), 1.0f * 1.0f * (200.0f / 10.0f) * 3.75e-5f);
  // A burning tile ahead stops a vehicle outside the fire.
  tank->speed = 0.3f;
  tank->x = 119.9f;
  EXPECT_GT(tank->TerrainMobility(nullptr), 0.0f);
  rig.GetMap().IgniteTile(125.0f, 100.0f, false);
  ASSERT_NE(rig.GetMap().BurningAt(125.0f, 100.0f), 0);
  EXPECT_EQ(tank->TerrainMobility(nullptr), 0.0f);
  // Inside the burning tile it keeps moving.
  tank->x = 121.0f;
  EXPECT_GT(tank->TerrainMobility(nullptr), 0.0f);
}

TEST(VehicleMovement, CornerCutting) {
  VehicleRig rig(false);
  auto tank = MakeVehicle(1);
  tank->facing = 0.0f;
  tank->speed = 0.2f;
  tank->turnStep = 1.0f;
  tank->waypointCount = 2;
  tank->WaypointAt(0) = Waypoint{101.0f, 100.0f, 0.0f, 3, 0, 0, 0};
  tank->WaypointAt(1) = Waypoint{101.0f, 150.0f, 0.0f, 3, 0, 0, 0};
  // A zero turn step or a full reversal never cuts.
  tank->turnStep = 0.0f;
  EXPECT_FALSE(tank->TryCutCorner());
  tank->turnStep = 1.0f;
  tank->WaypointAt(1) = Waypoint{50.0f, 100.0f, 0.0f, 3, 0, 0, 0};
  EXPECT_FALSE(tank->TryCutCorner());
  // A right-angle turn 1 m ahead: the first waypoint goes, the speed is cut.
  tank->WaypointAt(1) = Waypoint{101.0f, 150.0f, 0.0f, 3, 0, 0, 0};
  EXPECT_TRUE(tank->TryCutCorner());
  EXPECT_EQ(tank->waypointCount, 1);
  EXPECT_EQ(tank->WaypointAt(0).y, 150.0f);
  EXPECT_LT(tank->speed, 0.2f);
  EXPECT_FALSE(tank->TryCutCorner());  // one waypoint left
  // Far away: no cut.
  tank->waypointCount = 2;
  tank->WaypointAt(0) = Waypoint{120.0f, 100.0f, 0.0f, 3, 0, 0, 0};
  tank->WaypointAt(1) = Waypoint{120.0f, 150.0f, 0.0f, 3, 0, 0, 0};
  EXPECT_FALSE(tank->TryCutCorner());
}

TEST(VehicleMovement, GroundTiltAndGunTilt) {
  VehicleRig rig;
  auto tank = MakeVehicle(1);
  tank->OrientToGround();
  EXPECT_EQ(tank->hullPitch, 0.0f);  // flat map
  EXPECT_EQ(tank->hullRoll, 0.0f);
  EXPECT_EQ(Vehicle::TiltAlongGun(10.0f, 0.0f, 0.0f), -10.0f);
  EXPECT_EQ(Vehicle::TiltAlongGun(10.0f, 0.0f, 180.0f), 10.0f);
  EXPECT_EQ(Vehicle::TiltAlongGun(0.0f, 4.0f, 90.0f), -4.0f);
  EXPECT_EQ(Vehicle::TiltAlongGun(0.0f, 4.0f, -90.0f), 4.0f);
  EXPECT_EQ(Vehicle::TiltAlongGun(0.0f, 0.0f, 500.0f), 0.0f);
  EXPECT_DEATH(Vehicle::TiltAlongGun(1.0f, 0.0f, 181.0f), "Vehicle");
  EXPECT_DEATH(Vehicle::TiltAlongGun(1.0f, 0.0f, -181.0f), "Vehicle");
  // A slope: pitch up the hill within 35 degrees, none on a road.
  Map& map = rig.GetMap();
  for (int32_t cx = 40; cx < 60; ++cx) {
    for (int32_t cy = 40; cy < 60; ++cy) {
      uint16_t& cell = map.terrain.fineGrid.At(cx, cy);
      cell = static_cast<uint16_t>((cell & 0xFC00) | map.HeightToCode(static_cast<float>(cx - 40)));
    }
  }
  tank->OrientToGround();
  EXPECT_GT(tank->hullPitch, 0.0f);
  EXPECT_LE(tank->hullPitch, 35.0f);
  EXPECT_GE(tank->hullRoll, -35.0f);
  EXPECT_LE(tank->hullRoll, 35.0f);
  // The gun's elevation takes the tilt along the gun; a turret angle past a half turn (as a
  // file may hold) gives the tilt of the same direction instead of stopping the program.
  tank->turretOffset = 135.0f;
  const float tilt = tank->GetTiltAlongGun();
  EXPECT_NE(tilt, 0.0f);
  EXPECT_EQ(tank->GetHullTilt(), tilt);
  tank->turretOffset = -225.0f;
  EXPECT_EQ(tank->GetTiltAlongGun(), tilt);
  tank->turretOffset = 0.0f;
  // The rules' road types are the structures, 31 and above: a bridge or a building lies level,
  // a plain road (8) tilts with the ground.
  rig.SetTerrain(100.0f, 100.0f, 8);
  tank->OrientToGround();
  EXPECT_GT(tank->hullPitch, 0.0f);
  rig.SetTerrain(100.0f, 100.0f, 36);
  tank->OrientToGround();
  EXPECT_EQ(tank->hullPitch, 0.0f);
  EXPECT_EQ(tank->hullRoll, 0.0f);
}
