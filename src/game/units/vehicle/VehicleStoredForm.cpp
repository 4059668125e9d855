// The vehicle's block of a unit record (slots 2 and 3), written right after the unit's part,
// and its two carried-unit references (slots 8, 13, 71 and 72): packed ids in files, identity
// keys in the orders exchange, dropped when their units leave a group.
#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GGroup.h"
#include "game/units/tables/Hack.h"
#include "game/units/records/RefuseRecord.h"
#include "game/units/records/UnitIds.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr int32_t kVehicleReservedBytes = 5;
constexpr int32_t kLastCategory = 39;
constexpr int32_t kFirstBroadClass = 222;
constexpr int32_t kLastBroadClass = 225;
constexpr int32_t kTurretLimitRaw = 16200;  // 180 degrees at scale 90
constexpr float kTimerScale = 50.0f;
constexpr float kSizeScale = 100.0f;
constexpr float kTurretScale = 90.0f;
constexpr float kRateScale = 1000.0f;

uint8_t StoredBit(uint8_t value, int32_t bit) { return static_cast<uint8_t>(value != 0 ? 1u << bit : 0u); }
uint8_t StoredFlag(uint8_t byte, int32_t bit) { return static_cast<uint8_t>((byte >> bit) & 1u); }

// Refuses the record: one log line naming the check, the file's error flag raised.
// A vehicle drives forward, hunts, moves fast, reverses or pauses; the other modes are on foot.
bool IsVehicleMoveMode(int32_t mode) { return mode == -1 || mode == 1 || mode == 2 || mode == 3 || mode == 9; }

int16_t ReadI16(GFile& file) { return static_cast<int16_t>(file.ReadU16()); }

}  // namespace

void Vehicle::Write(GFile& file) const {
  Unit::Write(file);
  // Writing brings the live turret offset into its stored range too.
  Vehicle& self = const_cast<Vehicle&>(*this);
  self.turretOffset = WrapTurretAngle(turretOffset);

  file.WriteU32(0);
  file.WriteByte(0);
  file.WriteByte(StoredBit(lossesFinal, 1) | StoredBit(turretToRest, 0));
  file.WriteU16(turretHold);
  file.WriteByte(StoredBit(abandoned, 7) | StoredBit(gunDestroyed, 6) | StoredBit(burning, 5) | StoredBit(emplaced, 4) | StoredBit(bogged, 3) |
                 StoredBit(turningOnTheMove, 2) | StoredBit(buttoned, 1) | StoredBit(mainGunClearance, 0));
  // A scenario saved in the editor lets each load draw what the enemy believes anew. The classes
  // that load replaces are written as the true ones, so that saving, loading and saving again
  // gives the same bytes whatever the last draw was.
  const bool editor = IsEditorOpen();
  file.WriteByte(editor ? 0xFF : static_cast<uint8_t>(apparentCategory));
  file.WriteU16(static_cast<uint16_t>(editor ? classIndex : apparentClass));
  file.WriteU16(static_cast<uint16_t>(editor ? GetBroadClass(false) : broadClass));
  file.WriteScaled(gunCrewStunTimer, kTimerScale);
  file.WriteScaled(driverStunTimer, kTimerScale);
  file.WriteScaled(sizeFactor, kSizeScale);
  file.WriteScaled(burstValue, kTimerScale);
  file.WriteScaled(turretOffset, kTurretScale);
  file.WriteScaled(turretRate, kRateScale);
  for (float timer : machineGunRefireTimers) file.WriteScaled(timer, kTimerScale);
  for (int32_t i = kMachineGuns - 1; i >= 0; --i) file.WriteByte(machineGunAmmo[static_cast<size_t>(i)]);
  WriteUnitID(file, passengers[0]);
  WriteUnitID(file, passengers[1]);
}

void Vehicle::Read(GFile& file) {
  Unit::Read(file);
  if (file.HasError()) return;
  file.Skip(kVehicleReservedBytes);
  const auto flagsA = static_cast<uint8_t>(file.ReadByte());
  lossesFinal = StoredFlag(flagsA, 1);
  turretToRest = StoredFlag(flagsA, 0);
  turretHold = file.ReadU16();
  const auto flagsB = static_cast<uint8_t>(file.ReadByte());
  abandoned = StoredFlag(flagsB, 7);
  gunDestroyed = StoredFlag(flagsB, 6);
  burning = StoredFlag(flagsB, 5);
  emplaced = StoredFlag(flagsB, 4);
  bogged = StoredFlag(flagsB, 3);
  turningOnTheMove = StoredFlag(flagsB, 2);
  buttoned = StoredFlag(flagsB, 1);
  mainGunClearance = StoredFlag(flagsB, 0);
  const int32_t category = file.ReadByte();
  const int32_t shownClass = ReadI16(file);
  const int32_t shownBroadClass = ReadI16(file);
  const int16_t gunCrewStun = ReadI16(file);
  const int16_t driverStun = ReadI16(file);
  const int16_t size = ReadI16(file);
  const int16_t burstRaw = ReadI16(file);
  const int16_t turretRaw = ReadI16(file);
  turretRate = file.ReadScaled(kRateScale);
  std::array<int16_t, kMachineGuns> timers{};
  for (int16_t& timer : timers) timer = ReadI16(file);
  for (int32_t i = kMachineGuns - 1; i >= 0; --i) machineGunAmmo[static_cast<size_t>(i)] = static_cast<uint8_t>(file.ReadByte());
  // The carried units stay packed ids until the references are remapped.
  passengers = {nullptr, nullptr};
  passengerIds[0] = ReadObjectRef(file);
  passengerIds[1] = ReadObjectRef(file);
  if (file.HasError()) return;

  if (category < -1 || category > kLastCategory) return RefuseRecord(file, "Vehicle", "apparent category", category);
  if (!gVehicleClasses.IsValid(shownClass)) return RefuseRecord(file, "Vehicle", "apparent class", shownClass);
  if (shownBroadClass < kFirstBroadClass || shownBroadClass > kLastBroadClass) return RefuseRecord(file, "Vehicle", "broad class", shownBroadClass);
  if (gunCrewStun < 0) return RefuseRecord(file, "Vehicle", "gun-crew stun timer", gunCrewStun);
  if (driverStun < 0) return RefuseRecord(file, "Vehicle", "driver stun timer", driverStun);
  if (burstRaw < 0) return RefuseRecord(file, "Vehicle", "burst value", burstRaw);
  for (int16_t timer : timers) {
    if (timer < 0) return RefuseRecord(file, "Vehicle", "machine-gun timer", timer);
  }
  if (turretRaw < -kTurretLimitRaw || turretRaw > kTurretLimitRaw) return RefuseRecord(file, "Vehicle", "turret offset", turretRaw);
  if (size <= 0) return RefuseRecord(file, "Vehicle", "size factor", size);
  for (int32_t i = 0; i < waypointCount; ++i) {
    const int32_t mode = waypoints[static_cast<size_t>(i)].moveMode;
    if (!IsVehicleMoveMode(mode)) return RefuseRecord(file, "Vehicle", "waypoint move mode", mode);
  }
  if (passengerIds[0] != 0 && passengerIds[0] == passengerIds[1]) return RefuseRecord(file, "Vehicle", "carried units", passengerIds[0]);

  apparentCategory = category;
  apparentClass = shownClass;
  broadClass = shownBroadClass;
  gunCrewStunTimer = static_cast<float>(gunCrewStun) / kTimerScale;
  driverStunTimer = static_cast<float>(driverStun) / kTimerScale;
  sizeFactor = static_cast<float>(size) / kSizeScale;
  burstValue = static_cast<float>(burstRaw) / kTimerScale;
  turretOffset = static_cast<float>(turretRaw) / kTurretScale;
  for (size_t i = 0; i < timers.size(); ++i) machineGunRefireTimers[i] = static_cast<float>(timers[i]) / kTimerScale;

  AdjustBoundingBox();
  if (apparentCategory == -1) ChooseApparentClass();
  OrientToGround();
  // What the action reads but the file does not keep starts afresh, so that a game reloaded
  // and the game that went on after the battle's own pass through this form continue alike.
  reRouted = 0;
  wasHit = 0;
  passengersMustLeave = 0;
  machineGunFiring = 0;
  smallArmsInUse = kNoSmallArms;
  closeDefenceCounter = 0;
  turnStep = 0.0f;
  // The last unit to hit it is not kept either: a kill in a later turn is credited to nobody.
  lastFirer = nullptr;
}

bool Vehicle::RemapReferences(MapBattleServices* battle) {
  bool ok = Unit::RemapReferences(battle);
  for (size_t i = 0; i < passengers.size(); ++i) {
    const int16_t id = passengerIds[i];
    Unit* unit = UnitFromId(battle, id);
    if (id != 0 && unit == nullptr) {
      GErrorLog::LogValue("Vehicle: no unit of packed id", id);
      ok = false;
    } else if (unit != nullptr && (!unit->IsInfantry() || unit == this)) {
      GErrorLog::LogValue("Vehicle: a carried unit that is not infantry, packed id", id);
      unit = nullptr;
      ok = false;
    }
    passengers[i] = unit;
  }
  passengerIds = {};
  return ok;
}

void Vehicle::DropDeadReferences(GGroup& group) {
  Unit::DropDeadReferences(group);
  for (Unit*& rider : passengers) {
    if (rider != nullptr && !group.Contains(rider)) rider = nullptr;
  }
}

void Vehicle::ReferencesToIds() {
  Unit::ReferencesToIds();
  for (size_t i = 0; i < passengers.size(); ++i) {
    passengerKeys[i] = passengers[i] != nullptr ? passengers[i]->PackedIdentity() : 0;
    passengers[i] = nullptr;
  }
}

bool Vehicle::IdsToReferences(MapBattleServices* battle) {
  bool ok = Unit::IdsToReferences(battle);
  if (battle == nullptr) battle = UnitBattle();
  for (size_t i = 0; i < passengers.size(); ++i) {
    passengers[i] = FindUnitByIdentity(battle, passengerKeys[i]);
    if (passengerKeys[i] != 0 && passengers[i] == nullptr) {
      GErrorLog::LogValue("Vehicle: link error, no unit of identity", static_cast<int32_t>(passengerKeys[i]));
      ok = false;
    }
  }
  passengerKeys = {};
  return ok;
}
