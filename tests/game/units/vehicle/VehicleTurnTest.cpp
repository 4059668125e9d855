// The vehicle across turns and battles: turn start and end, resupply, movement and engagement
// answers, hatches, engine sounds and wrecks.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/units/SetUpRig.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr int32_t kModelSound = 150;

// The vehicle rig with a table of two vehicle models (engine sound 150, two hatch men) and an
// operation in play, answered to the units by the battle layer's order host.
class TurnRig : public VehicleRig {
 public:
  TurnRig() : keptModels_(gVehicleModels), models_(2 * VehicleModelData::kSize) {
    for (size_t m = 0; m < 2; ++m) {
      const int16_t sound = kModelSound;
      std::memcpy(models_.data() + m * VehicleModelData::kSize, &sound, 2);
      models_[m * VehicleModelData::kSize + 2] = 2;
    }
    gVehicleModels = DataTable<VehicleModelData>(models_.data(), static_cast<uint32_t>(models_.size()));
    world.MakeOperation();
    context_.emplace(UnitContext{.orders = &world.Orders()});
    world.Battle().currentSlice = 0;
  }
  ~TurnRig() {
    context_.reset();
    gVehicleModels = keptModels_;
  }
  TurnRig(const TurnRig&) = delete;
  TurnRig& operator=(const TurnRig&) = delete;

  // An Allied vehicle (the viewer's enemy) of class 0 at (100, 100) facing 90.
  std::unique_ptr<Vehicle> Make() {
    auto vehicle = std::make_unique<Vehicle>();
    vehicle->SetClass(0, 0, 2, 100.0f, 100.0f, 90.0f);
    vehicle->identificationLevel = 2;
    return vehicle;
  }
  void Armour() {
    PutI16(0, 140, 50);
    PutI16(0, 168, 10);
    PutI16(0, 170, 10);
  }

  Campaign& Operation() { return *world.Operation(); }

 private:
  DataTable<VehicleModelData> keptModels_;
  std::vector<uint8_t> models_;
  std::optional<UnitContextScope> context_;
};

}  // namespace

TEST(VehicleTurn, ResupplyByTheSupplySetting) {
  TurnRig rig;
  rig.Class(0)[106] = 120;
  rig.Class(0)[107] = 60;
  auto vehicle = rig.Make();
  const int32_t expected[6] = {120, 100, 82, 70, 49, 39};
  for (int32_t setting = 0; setting < 6; ++setting) {
    rig.Operation().supply[1] = setting;
    vehicle->machineGunAmmo = {10, 60, 7};
    vehicle->ResupplyAmmo();
    EXPECT_EQ(vehicle->machineGunAmmo[0], expected[setting]) << setting;
    EXPECT_EQ(vehicle->machineGunAmmo[1], 60) << setting;  // a full group stays full
    EXPECT_EQ(vehicle->machineGunAmmo[2], 7) << setting;   // a group without load is left alone
  }
  // Above a third of the load at setting 5 nothing is added.
  vehicle->machineGunAmmo[0] = 45;
  vehicle->ResupplyAmmo();
  EXPECT_EQ(vehicle->machineGunAmmo[0], 45);
}

TEST(VehicleTurnDeathTest, SupplySettingOutsideItsRangeIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        TurnRig rig;
        auto vehicle = rig.Make();
        rig.Operation().supply[1] = 6;
        vehicle->ResupplyAmmo();
      },
      "Vehicle");
}

TEST(VehicleTurn, BeginTurnResetsAndInsertsTheContinuationPoint) {
  TurnRig rig;
  auto vehicle = rig.Make();
  vehicle->speed = 0.2f;
  vehicle->waypointCount = 1;
  vehicle->waypoints[0] = {300.0f, 100.0f, 0.0f, 3, 1, 1, 1};
  vehicle->reRouted = vehicle->passengersMustLeave = 1;
  vehicle->smallArmsInUse = 4;
  vehicle->commandDelay = 0.0f;
  SeedRandom(31);
  const int32_t counter = Random(1200);
  const uint32_t after = RandomState();
  SeedRandom(31);
  vehicle->BeginTurn();
  EXPECT_EQ(RandomState(), after);  // one draw beyond the unit's
  EXPECT_EQ(vehicle->closeDefenceCounter, counter);
  EXPECT_EQ(vehicle->reRouted + vehicle->passengersMustLeave, 0);
  EXPECT_EQ(vehicle->smallArmsInUse, 33);
  ASSERT_EQ(vehicle->waypointCount, 2);
  const Waypoint& first = vehicle->waypoints[0];
  EXPECT_EQ(first.x, 100.0f);
  EXPECT_FLOAT_EQ(first.y, 100.2f);
  EXPECT_EQ(first.moveMode, 3);
  EXPECT_EQ(first.pointKind, 0);
  EXPECT_EQ(first.flags, 0);
  EXPECT_EQ(vehicle->waypoints[1].x, 300.0f);

  // Reversing: behind the vehicle. A full list loses its last point.
  vehicle->waypointCount = 50;
  for (int32_t i = 0; i < 50; ++i) vehicle->waypoints[static_cast<size_t>(i)] = {static_cast<float>(i), 0.0f, 0.0f, -1, 1, 0, 0};
  vehicle->BeginTurn();
  EXPECT_EQ(vehicle->waypointCount, 50);
  EXPECT_FLOAT_EQ(vehicle->waypoints[0].y, 99.8f);
  EXPECT_EQ(vehicle->waypoints[0].moveMode, -1);
  EXPECT_EQ(vehicle->waypoints[1].x, 0.0f);
  EXPECT_EQ(vehicle->waypoints[49].x, 48.0f);

  // Turning on the move at turn end: nothing is inserted.
  vehicle->turnRate = 1.0f;
  vehicle->RefreshTarget(false);
  EXPECT_EQ(vehicle->turningOnTheMove, 1);
  vehicle->waypointCount = 1;
  vehicle->BeginTurn();
  EXPECT_EQ(vehicle->waypointCount, 1);
  vehicle->turnRate = 0.0f;
  vehicle->RefreshTarget(false);
  EXPECT_EQ(vehicle->turningOnTheMove, 0);
  vehicle->turningOnTheMove = 1;
  vehicle->CancelMoveOrders();
  EXPECT_EQ(vehicle->turningOnTheMove, 0);

  // A burning wreck posts its fire sound.
  vehicle->alive = 0;
  vehicle->burning = 1;
  rig.world.soundPackets.clear();
  vehicle->BeginTurn();
  ASSERT_EQ(rig.world.soundPackets.size(), 1u);
  EXPECT_EQ(rig.world.soundPackets[0].soundKind, 5);
}

TEST(VehicleTurn, SeamsLossesAmmunitionAndMovement) {
  TurnRig rig;
  rig.PutI16(0, 84, -30);  // a gun pointing to the rear
  auto vehicle = rig.Make();
  vehicle->mainGunClearance = vehicle->turningOnTheMove = 1;
  vehicle->gunCrewStunTimer = vehicle->driverStunTimer = 3.0f;
  vehicle->turretRate = 2.0f;
  vehicle->turretOffset = 20.0f;
  vehicle->ResetBetweenBattles();
  EXPECT_EQ(vehicle->mainGunClearance + vehicle->turningOnTheMove, 0);
  EXPECT_EQ(vehicle->gunCrewStunTimer + vehicle->driverStunTimer + vehicle->turretRate, 0.0f);
  EXPECT_EQ(vehicle->turretOffset, 180.0f);

  vehicle->losses = 2;
  vehicle->CountLosses();
  EXPECT_EQ(vehicle->losses, 0);
  EXPECT_EQ(vehicle->lossesFinal, 0);
  EXPECT_FALSE(vehicle->IsDestroyedInPlace());
  vehicle->alive = 0;
  vehicle->CountLosses();
  EXPECT_EQ(vehicle->lossesFinal, 1);
  EXPECT_TRUE(vehicle->IsDestroyedInPlace());
  vehicle->knockedOut = 1;
  EXPECT_FALSE(vehicle->IsDestroyedInPlace());
  vehicle->alive = 1;

  // Ammunition: a machine gun is enough; a destroyed gun leaves none; else the shells count.
  vehicle->ammo = {0, 3, 0, 0, 0};
  EXPECT_TRUE(vehicle->HasAnyAmmo());
  vehicle->gunDestroyed = 1;
  EXPECT_FALSE(vehicle->HasAnyAmmo());
  rig.PutI32(0, 88, 2);
  EXPECT_FALSE(vehicle->HasAnyAmmo());  // a mounted gun with no rounds is no ammunition
  vehicle->machineGunAmmo[0] = 5;
  EXPECT_TRUE(vehicle->HasAnyAmmo());

  // Bogged: cannot move, could once freed. Emplaced: neither.
  vehicle->bogged = 1;
  EXPECT_FALSE(vehicle->CanMove());
  EXPECT_TRUE(vehicle->CanMoveNow());
  EXPECT_EQ(vehicle->bogged, 1);
  vehicle->bogged = 0;
  vehicle->emplaced = 1;
  EXPECT_FALSE(vehicle->CanMove());
  EXPECT_FALSE(vehicle->CanMoveNow());
}

TEST(VehicleTurn, EngagingAPoint) {
  TurnRig rig;
  auto vehicle = rig.Make();
  EXPECT_TRUE(vehicle->CanSeePoint(100.0f, 149.0f));
  EXPECT_FALSE(vehicle->CanSeePoint(100.0f, 160.0f));
  rig.PutI32(0, 68, 5);
  rig.SetWeaponF32(5, 100, 400.0f);
  EXPECT_TRUE(vehicle->CanSeePoint(100.0f, 500.0f));
  EXPECT_FALSE(vehicle->CanSeePoint(100.0f, 500.5f));
}

TEST(VehicleTurn, EngineSoundsBySideAndSlice) {
  TurnRig rig;
  auto vehicle = rig.Make();
  auto& packets = rig.world.soundPackets;
  // Slice 0, both sides identify it: two packets, one draw each, the viewer's side first.
  SeedRandom(5);
  const int32_t first = Random(40);
  const int32_t second = Random(40);
  const uint32_t after = RandomState();
  SeedRandom(5);
  vehicle->PostMotionSound(true);
  EXPECT_EQ(RandomState(), after);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].slice, first);
  EXPECT_EQ(packets[1].slice, second);
  EXPECT_EQ(packets[0].audible, (std::array<uint8_t, 2>{1, 0}));
  EXPECT_EQ(packets[1].audible, (std::array<uint8_t, 2>{0, 1}));
  for (const UnitSoundPacket& p : packets) {
    EXPECT_EQ(p.sound, kModelSound);
    EXPECT_EQ(p.soundKind, 12);
    EXPECT_EQ(p.unit, vehicle.get());
    EXPECT_EQ(p.attached, 1);
  }
  // Stopping: the idle engine. Unknown to the viewer's side: only its own side hears it.
  packets.clear();
  vehicle->identificationLevel = 0;
  vehicle->PostMotionSound(false);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].sound, 133);
  EXPECT_EQ(packets[0].soundKind, 3);
  EXPECT_EQ(packets[0].audible[1], 1);
  // Later in the turn a side that merely knows of it hears it, at once.
  packets.clear();
  vehicle->identificationLevel = 1;
  vehicle->sliceCounter = 7;
  rig.world.Battle().currentSlice = 7;
  const uint32_t state = RandomState();
  vehicle->PostMotionSound(true);
  EXPECT_EQ(RandomState(), state);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].slice, 7);
  // Dead, immobilized or a boat: silent.
  packets.clear();
  vehicle->immobilized = 1;
  vehicle->PostMotionSound(true);
  vehicle->PlayMotionSound();
  vehicle->immobilized = 0;
  rig.PutI32(0, 112, VehicleData::kKindBoat);
  vehicle->PostMotionSound(true);
  rig.PutI32(0, 112, VehicleData::kKindTracked);
  vehicle->alive = 0;
  vehicle->PostMotionSound(true);
  EXPECT_TRUE(packets.empty());
  // Playing at once records nothing for the replay.
  vehicle->alive = 1;
  vehicle->PlayMotionSound();
  EXPECT_TRUE(packets.empty());
  ASSERT_EQ(rig.world.immediateSounds.size(), 1u);
  EXPECT_EQ(rig.world.immediateSounds[0].sound, 133);
}

TEST(VehicleTurn, Hatches) {
  TurnRig rig;
  rig.Armour();
  auto vehicle = rig.Make();
  vehicle->identificationLevel = 4;
  bool closed = true;
  EXPECT_TRUE(vehicle->CanToggleButtoned(closed));
  EXPECT_FALSE(closed);
  // Orders phase: the closing sound at once.
  vehicle->ToggleButtoned();
  EXPECT_EQ(vehicle->buttoned, 1);
  ASSERT_EQ(rig.world.immediateSounds.size(), 1u);
  EXPECT_EQ(rig.world.immediateSounds[0].sound, 702);
  EXPECT_TRUE(rig.world.soundPackets.empty());
  EXPECT_EQ(vehicle->stateChanged, 1);
  // While the action is computed: a kind-7 packet.
  rig.world.Battle().computingAction = 1;
  vehicle->stateChanged = 0;
  gUnitStateChanged = 0;
  vehicle->ToggleButtoned();
  EXPECT_EQ(gUnitStateChanged, 1);
  EXPECT_EQ(vehicle->stateChanged, 0);
  gUnitStateChanged = 0;
  EXPECT_EQ(vehicle->buttoned, 0);
  ASSERT_EQ(rig.world.soundPackets.size(), 1u);
  EXPECT_EQ(rig.world.soundPackets[0].soundKind, 7);
  EXPECT_EQ(rig.world.soundPackets[0].sound, 701);
  // Buttoned with losses beyond the flexible guns: the hatches stay shut.
  vehicle->buttoned = 1;
  vehicle->losses = 1;
  EXPECT_FALSE(vehicle->CanToggleButtoned(closed));
  EXPECT_TRUE(closed);
  rig.Class(0)[104] = 2;
  EXPECT_TRUE(vehicle->CanToggleButtoned(closed));
}

TEST(VehicleTurnDeathTest, TogglingHatchesThatMayNotOpenIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        TurnRig rig;
        auto vehicle = rig.Make();
        vehicle->buttoned = 1;
        vehicle->losses = 2;
        vehicle->ToggleButtoned();
      },
      "Vehicle");
}

TEST(VehicleTurn, AWreckCoastsToAStop) {
  for (int32_t kindCode : {1, VehicleData::kKindTracked}) {
    TurnRig rig;
    rig.PutI32(0, 112, kindCode);
    rig.PutI16(0, 110, 60);  // ground that allows more than the wreck's speed
    auto vehicle = rig.Make();
    vehicle->alive = 0;
    vehicle->burning = 1;
    vehicle->speed = 0.15f;
    vehicle->turnRate = 1.0f;
    vehicle->StepIdle();
    EXPECT_EQ(vehicle->turnRate, 0.988f);
    int32_t slices = 1;
    while (vehicle->speed != 0.0f && slices < 1000) {
      vehicle->StepIdle();
      ++slices;
    }
    EXPECT_EQ(slices, kindCode == 1 ? 400 : 286) << kindCode;
    EXPECT_EQ(vehicle->turnRate, 0.0f);
    // It rolled on ahead, its facing turning left.
    EXPECT_GT(vehicle->y, 110.0f);
    EXPECT_LT(vehicle->x, 100.0f);
  }
}

TEST(VehicleTurn, PushingAUnitAside) {
  TurnRig rig;
  auto vehicle = rig.Make();
  vehicle->speed = 0.5f;
  TestInfantry enemy;
  enemy.side = 1;
  enemy.x = 100.0f;
  enemy.y = 110.0f;  // dead ahead
  vehicle->PushUnitAside(enemy);
  // Pushed out to 35 degrees off the line, one metre away.
  EXPECT_NEAR(enemy.x, 100.0f + std::cos(125.0f * 3.14159265f / 180.0f), 1e-4);
  EXPECT_NEAR(enemy.y, 110.0f + std::sin(125.0f * 3.14159265f / 180.0f), 1e-4);
  EXPECT_EQ(enemy.stateChanged, 1);
  EXPECT_EQ(enemy.sliceCount, 1200);
  // Reversing, a unit right behind goes out to 145 degrees.
  vehicle->speed = -0.5f;
  TestInfantry friendly;
  friendly.side = vehicle->side;
  friendly.x = 100.0f;
  friendly.y = 90.0f;
  vehicle->PushUnitAside(friendly);
  EXPECT_NEAR(friendly.x, 100.0f + std::cos(235.0f * 3.14159265f / 180.0f), 1e-4);
  EXPECT_EQ(friendly.sliceCount, 0);
}
