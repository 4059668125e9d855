// The vehicle across turns and battles: turn start and end, the seams between battles and
// machine-gun resupply in an operation, whether it can move and engage a point, its hatches,
// its engine sounds, and a wreck that rolls to a stop and burns.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/vehicle/VehicleHeadings.h"

Unit* Vehicle::gUnitInWay = nullptr;

namespace {

constexpr int32_t kIdleEngineSound = 133;
constexpr int32_t kHatchOpenSound = 701;
constexpr int32_t kHatchCloseSound = 702;
constexpr int16_t kEngineStartKind = 12;
constexpr int16_t kEngineStopKind = 3;
constexpr int32_t kCloseDefenceSpread = 1200;
constexpr float kBrakePerSlice = 0.000375f;
constexpr float kWreckTurnDecay = 0.988f;

// Cap and addition of the machine-gun groups for supply settings 0..5, as shares of the full
// load.
constexpr float kGroupCap[6] = {1.0f, 1.0f, 1.0f, 0.75f, 0.5f, 0.33f};
constexpr float kGroupAddition[6] = {1.0f, 0.75f, 0.6f, 0.5f, 0.33f, 0.25f};

// The application's current side index; side 2 (none) counts as 0.
int32_t CurrentSideIndex() {
  const MapAppServices* app = UnitApp();
  const int32_t side = app != nullptr ? app->GetCurrentSide() : 0;
  return side == 0 || side == 1 ? side : 0;
}

}  // namespace

bool Vehicle::IsDestroyedInPlace() const { return alive == 0 && knockedOut == 0; }

void Vehicle::CountLosses() {
  if (alive == 0) {
    lossesFinal = 1;
  } else {
    losses = 0;
  }
}

bool Vehicle::HasAnyAmmo() const {
  if (CanFireAnyMG()) return true;
  if (gunDestroyed != 0) return false;
  return Unit::HasAnyAmmo();
}

void Vehicle::ResupplyAmmo() {
  Unit::ResupplyAmmo();
  const UnitOrderHost* host = GetUnitOrderHost();
  const int32_t setting = host != nullptr ? host->GetSupplySetting(GetSideIndex()) : 0;
  if (setting < 0 || setting > 5) FatalError(7026, "Vehicle");
  const VehicleData record = TrueClass();
  for (int32_t i = kMachineGuns - 1; i >= 0; --i) {
    const auto full = static_cast<float>(record.Extra(i));
    const auto cap = static_cast<int32_t>(full * kGroupCap[setting]);
    const auto addition = static_cast<int32_t>(full * kGroupAddition[setting]);
    uint8_t& count = machineGunAmmo[static_cast<size_t>(i)];
    const int32_t fresh = std::min(cap, count + addition);
    if (fresh > count) count = static_cast<uint8_t>(fresh);
  }
}

void Vehicle::ComputeDefaultAmmo(uint16_t* counts, uint16_t* second, int32_t row) {
  Unit::ComputeDefaultAmmo(counts, second, row);
  if (second == nullptr) return;
  const VehicleData record = TrueClass();
  for (int32_t i = kMachineGuns - 1; i >= 0; --i) machineGunAmmo[static_cast<size_t>(i)] = record.Extra(i);
}

void Vehicle::ResetBetweenBattles() {
  Unit::ResetBetweenBattles();
  mainGunClearance = 0;
  turningOnTheMove = 0;
  gunCrewStunTimer = 0.0f;
  driverStunTimer = 0.0f;
  turretRate = 0.0f;
  turretOffset = TrueClass().TraverseLimit(0) < 0 ? 180.0f : 0.0f;
}

bool Vehicle::CanMove() const { return Unit::CanMove() && bogged == 0 && emplaced == 0; }

bool Vehicle::CanMoveNow() {
  const uint8_t kept = bogged;
  bogged = 0;
  const bool movable = CanMove();
  bogged = kept;
  return movable;
}

void Vehicle::BeginTurn() {
  Unit::BeginTurn();
  smallArmsInUse = kNoSmallArms;
  reRouted = 0;
  passengersMustLeave = 0;
  closeDefenceCounter = Random(kCloseDefenceSpread);
  if (alive == 0 && burning != 0) NewSoundPacket(5);
  // A vehicle still rolling from the last turn goes on along its facing before it turns to its
  // first point: a point one slice's travel ahead (behind when reversing) is put in front.
  if (speed == 0.0f || waypointCount <= 0 || turningOnTheMove != 0) return;
  const Waypoint first = waypoints[0];
  const int32_t count = std::min(waypointCount + 1, kMaxWaypoints);
  for (int32_t i = count - 1; i >= 1; --i) waypoints[static_cast<size_t>(i)] = waypoints[static_cast<size_t>(i - 1)];
  waypointCount = count;
  const float reach = first.moveMode == Waypoint::kReverse ? -std::fabs(speed) : std::fabs(speed);
  Waypoint& inserted = waypoints[0];
  inserted = first;
  inserted.x = x + std::cos(facing * GMath::kRadiansPerDegree) * reach;
  inserted.y = y + std::sin(facing * GMath::kRadiansPerDegree) * reach;
  inserted.pointKind = 0;
  inserted.flags = 0;
}

bool Vehicle::CanEngagePoint(float px, float py, int32_t mode) const {
  if (!TraceSightToPoint(px, py)) return false;
  const float distance = DistanceToPoint(px, py);
  if (distance <= 50.0f) return true;
  if (!HasMainWeaponIn(mode)) return false;
  return distance <= gWeapons[GetClassData(mode).MainWeapon()].MaxRange();
}

void Vehicle::CancelMoveOrders() {
  Unit::CancelMoveOrders();
  turningOnTheMove = 0;
}

void Vehicle::RefreshTarget(bool onlyIfChanged) {
  Unit::RefreshTarget(onlyIfChanged);
  turningOnTheMove = speed != 0.0f && turnRate != 0.0f ? 1 : 0;
}

void Vehicle::StepIdle() {
  if (speed != 0.0f || turnRate != 0.0f) CoastToStop();
  if (burning != 0) {
    // Only the sight-line cache changes: the smoke of the wreck hides what lay behind it.
    if (const Map* map = UnitBattleMap()) const_cast<Map*>(map)->InvalidateVisibilityNear(x, y, sizeFactor);
  }
}

void Vehicle::CoastToStop() {
  gUnitInWay = nullptr;
  const float limit = TerrainMobility(nullptr);
  const float braking = TrueClass().KindCode() == VehicleData::kKindTracked ? 1.4f : 1.0f;
  float magnitude = std::fabs(speed) - braking * kBrakePerSlice;
  if (magnitude < 0.0f) {
    magnitude = 0.0f;
    turnRate = 0.0f;
  }
  magnitude = std::min(magnitude, limit);
  const float newSpeed = speed < 0.0f ? -magnitude : magnitude;
  if (newSpeed != speed) {
    speed = newSpeed;
    gUnitStateChanged = 1;
  }
  if (turnRate != 0.0f) {
    turnRate *= kWreckTurnDecay;
    gUnitStateChanged = 1;
  }
  if (gUnitInWay != nullptr && speed != 0.0f && gUnitInWay->IsVehicle() &&
      static_cast<Vehicle*>(gUnitInWay)->CollisionKind(*this) == 1) {
    PushUnitAside(*gUnitInWay);
  }
  x += std::cos(facing * GMath::kRadiansPerDegree) * speed;
  y += std::sin(facing * GMath::kRadiansPerDegree) * speed;
  facing = Normalize360(facing + turnRate);
}

void Vehicle::PushUnitAside(Unit& other) {
  const float distance = 2.0f * std::fabs(speed);
  float a = RelativeBearingToUnit(other, false, false);
  if (speed >= 0.0f) {
    a = std::clamp(a, 35.0f, 325.0f);
  } else if (a > 145.0f && a <= 180.0f) {
    a = 145.0f;
  } else if (a > 180.0f && a < 215.0f) {
    a = 215.0f;
  }
  const float radians = (a + facing) * GMath::kRadiansPerDegree;
  const float nx = other.x + distance * std::cos(radians);
  const float ny = other.y + distance * std::sin(radians);
  const Map* map = UnitBattleMap();
  if (map == nullptr || !map->IsOnMap(nx, ny)) return;
  other.SetPosition(nx, ny);
  other.stateChanged = 1;
  if (other.alive != 0 && IsEnemy(other)) other.sliceCount = 1200;
}

bool Vehicle::CanToggleButtoned(bool& outButtoned) const {
  outButtoned = buttoned != 0;
  const VehicleData record = TrueClass();
  const int32_t exposed = gVehicleModels[record.ModelIndex()].HatchCount();
  const auto flexibleGuns = static_cast<int8_t>(record.ThirdCount());
  if (buttoned != 0 && losses >= 1 && losses + 1 > flexibleGuns) return false;
  return exposed != 0;
}

void Vehicle::ToggleButtoned() {
  bool closed = false;
  if (!CanToggleButtoned(closed)) FatalError(2717, "Vehicle");
  const VehicleModelData model = gVehicleModels[TrueClass().ModelIndex()];
  const int32_t top = GetOpenTopState(2);
  const bool hatchTurret = HasTurret() && (model.Value4() == 2 || model.Value8() == 2);
  UnitServices* services = GetUnitServices();
  const bool computing = services != nullptr && services->IsComputingAction();
  if (IsArmored(false) && (top == 0 || (top == 1 && hatchTurret))) {
    if (computing) {
      NewSoundPacket(7);
    } else if (services != nullptr) {
      UnitSoundPacket packet;
      packet.slice = static_cast<int16_t>(UnitBattleSlice());
      packet.sound = static_cast<int16_t>(buttoned != 0 ? kHatchOpenSound : kHatchCloseSound);
      packet.soundKind = 7;
      packet.unit = this;
      const int32_t side = CurrentSideIndex();
      const Map* map = UnitBattleMap();
      packet.sidePosition[static_cast<size_t>(side)] = {x, y, map != nullptr ? GetBaseHeight() : 0.0f};
      packet.audible[static_cast<size_t>(side)] = 1;
      services->PlaySoundAtOnce(packet);
    }
  }
  buttoned = buttoned != 0 ? 0 : 1;
  // Within the action the slice's flag files the state packet; outside it the unit's own.
  if (computing) {
    gUnitStateChanged = 1;
  } else {
    stateChanged = 1;
  }
  GetUnitScreen().RefreshMap();
}

int32_t Vehicle::EngineSoundFor(int32_t sideIndex, int32_t mode, bool moving) const {
  if (GetIdentificationLevelFor(sideIndex == 0, false) == 0) return 0;
  if (!moving) return kIdleEngineSound;
  return gVehicleModels[GetClassData(mode).ModelIndex()].Sound();
}

void Vehicle::PostMotionSound(bool moving) {
  if (alive == 0 || immobilized != 0 || IsBoat()) return;
  UnitServices* services = GetUnitServices();
  const int32_t current = CurrentSideIndex();
  const int32_t sides[2] = {current, 1 - current};
  const int32_t modes[2] = {2, 1};
  for (int32_t i = 0; i < 2; ++i) {
    const int32_t side = sides[i];
    const bool identified = GetIdentificationLevelFor(side == 0, false) >= 2;
    const int32_t sound = EngineSoundFor(side, modes[i], moving);
    if ((sliceCounter <= 0 && !identified) || sound == 0) continue;
    const int32_t delay = sliceCounter == 0 ? Random(40) : 0;
    UnitSoundPacket packet;
    packet.slice = static_cast<int16_t>(UnitBattleSlice() + delay + gSoundDelay);
    packet.sound = static_cast<int16_t>(sound);
    packet.soundKind = moving ? kEngineStartKind : kEngineStopKind;
    packet.attached = 1;
    packet.unit = this;
    auto& at = packet.sidePosition[static_cast<size_t>(side)];
    GetShownPositionFor(side == 0, at[0], at[1], &at[2]);
    packet.audible[static_cast<size_t>(side)] = 1;
    if (services != nullptr) services->RecordSoundPacket(packet);
  }
}

float Vehicle::GetModelDrop() const {
  if (emplaced != 0) return 0.042f;
  return bogged != 0 ? 0.011f : 0.0f;
}

void Vehicle::PlayMotionSound() {
  if (alive == 0 || immobilized != 0 || IsBoat()) return;
  const bool idle = !IsMoving();
  const int32_t side = CurrentSideIndex();
  const int32_t sound = EngineSoundFor(side, 2, !idle);
  if (sound == 0) return;
  UnitSoundPacket packet;
  packet.slice = static_cast<int16_t>(UnitBattleSlice());
  packet.sound = static_cast<int16_t>(sound);
  packet.soundKind = idle ? kEngineStopKind : kEngineStartKind;
  packet.attached = 1;
  packet.unit = this;
  auto& at = packet.sidePosition[static_cast<size_t>(side)];
  GetShownPositionFor(side == 0, at[0], at[1], &at[2]);
  packet.audible[static_cast<size_t>(side)] = 1;
  if (UnitServices* services = GetUnitServices()) services->PlaySoundAtOnce(packet);
}
