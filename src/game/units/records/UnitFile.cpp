// The unit's stored form (slots 2 and 3): the head of every unit record in scenarios, saved
// games, e-mail turns and the orders exchange. Each kind writes and reads its own part after it.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/Unit.h"
#include "game/units/records/RefuseRecord.h"
#include "game/units/records/UnitIds.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr int32_t kWrittenVersion = 4;
constexpr int32_t kZeroBytes = 20;
constexpr int16_t kLastLeaderName = 546;
constexpr int32_t kLastNationality = 18;
constexpr int32_t kLastIdentificationLevel = 4;
constexpr int32_t kLastStatus = 2;
constexpr int32_t kLastFatigueLevel = 4;
constexpr int32_t kLastShotCounter = 4;
constexpr float kStoredFiringTimerLimit = 10.0f;

uint8_t Bit(int32_t value, int32_t bit) { return static_cast<uint8_t>(value != 0 ? 1u << bit : 0u); }
uint8_t Field(int32_t value, int32_t width, int32_t shift) {
  return static_cast<uint8_t>((static_cast<uint32_t>(value) & ((1u << width) - 1u)) << shift);
}
int32_t Take(uint8_t byte, int32_t width, int32_t shift) {
  return static_cast<int32_t>((byte >> shift) & ((1u << width) - 1u));
}
// A scaled value held at the 16-bit limits instead of wrapping (a long set-up saved midway
// stays a set-up, a great fatigue stays great).
void WriteSaturated(GFile& file, float value, float scale) {
  const float low = -32768.0f / scale;
  const float high = 32767.0f / scale;
  file.WriteScaled(std::isnan(value) ? 0.0f : std::clamp(value, low, high), scale);
}

uint8_t Flag(uint8_t byte, int32_t bit) { return static_cast<uint8_t>((byte >> bit) & 1u); }

bool IsStoredMoveMode(int32_t mode) {
  switch (mode) {
    case -1: case 1: case 2: case 3: case 4: case 5: case 7: case 9: return true;
    default: return false;
  }
}

// A stored place on the ground (metres): finite and within a bound far beyond any map, so
// that everything the battle works out from it (tiles, blocks, distances) stays in range.
bool IsStoredPosition(float x, float y) {
  constexpr float kLimit = 100000.0f;
  return std::isfinite(x) && std::isfinite(y) && std::fabs(x) <= kLimit && std::fabs(y) <= kLimit;
}

// Refuses the record: one log line naming the check, the file's error flag raised.
int32_t FileVersion() {
  MapAppServices* app = UnitApp();
  return app != nullptr ? app->GetFileVersion() : kWrittenVersion;
}

}  // namespace

bool Unit::IsStoredClassIndex(int32_t index) const {
  switch (kind) {
    case kInfantry: return gInfantryClasses.IsValid(index);
    case kVehicle: return gVehicleClasses.IsValid(index);
    // The object kinds 0..6 and 8..10.
    case kInanimate: return index >= 0 && index <= 10 && index != 7;
    default: return index >= 0;
  }
}

void Unit::Write(GFile& file) const {
  // Writing brings the unit itself into its stored shape: no command delay in the editor or
  // the set-up phase, and the facing within one turn.
  Unit& self = const_cast<Unit&>(*this);
  MapBattleServices* battle = UnitBattle();
  if (IsEditorOpen() || (battle != nullptr && battle->IsSetupPhase())) self.commandDelay = 0.0f;
  // A facing that is not a number stays as it is (it stores as 0); an endless loop it is not.
  if (facing >= 360.0f || facing < 0.0f) {
    self.facing = std::isfinite(facing) ? std::fmod(facing, 360.0f) : facing;
    if (self.facing < 0.0f) self.facing += 360.0f;
    if (self.facing >= 360.0f) self.facing -= 360.0f;
  }

  file.WriteByte(static_cast<uint8_t>(kind));
  file.WriteByte(Bit(alive, 7) | Bit(immobilized, 6) | Bit(areaFire, 5) | Bit(flagBytes[kSmokeFireFlag], 4) |
                 Bit(flagBytes[kHoldFlag], 3) | Bit(flagBytes[kSpareOrderFlag], 2) | Bit(withdraw, 1) |
                 Bit(countsForPoints, 0));
  file.WriteByte(Field(losses, 4, 4) | Bit(flagBytes[kTargetAbsentFlag], 3) | Field(pendingDelaySteps, 3, 0));
  file.WriteByte(Field(rating, 4, 4) | Field(ammoKind, 4, 0));
  file.WriteByte(Bit(hidden, 7) | Bit(side, 6) | Field(setupZone, 3, 3) | Field(identificationLevel, 3, 0));
  file.WriteByte(Field(status, 2, 6) | Field(fatigueLevel, 3, 3) | Field(shotCounter, 3, 0));
  file.WriteByte(Bit(movementFlag, 7) | Field(ratingAdjustment, 2, 5) | Bit(hiddenSecond, 4) |
                 Bit(firingBytes[kLaidWhileMoving], 3) | Field(firingBytes[kSpottingPasses], 3, 0));
  file.WriteByte(Bit(knockedOut, 6) | Field(fanaticState, 2, 4) | Field(lossesCountedByMorale, 4, 0));
  file.WriteFloat(x);
  file.WriteFloat(y);
  file.WriteScaled(facing, 90.0f);
  file.WriteScaled(level, 10000.0f);
  file.WriteScaled(suppression, 10.0f);
  file.WriteU16Array(ammo.data(), kAmmoKinds);
  file.WriteScaled(commandDelay, 20.0f);
  if (hidden != 0) {
    file.WriteFloat(lastSeenX);
    file.WriteFloat(lastSeenY);
  }
  if ((identificationLevel & 7) <= 1) {
    file.WriteByte(static_cast<uint8_t>(positionErrorX));
    file.WriteByte(static_cast<uint8_t>(positionErrorY));
  }
  file.WriteU16(static_cast<uint16_t>(burst));
  file.WriteByte(static_cast<uint8_t>(nationalityCode));
  WriteSaturated(file, fatigue, 10.0f);
  file.WriteU16(static_cast<uint16_t>(classIndex));
  if (areaFire != 0) {
    file.WriteFloat(targetX);
    file.WriteFloat(targetY);
  }
  const uint8_t ordersCode = flagBytes[kOrdersAreaFireFlag] == 0 ? 0 : (flagBytes[kOrdersSmokeFireFlag] == 0 ? 1 : 2);
  file.WriteByte(ordersCode);
  if (ordersCode != 0) {
    file.WriteFloat(ordersPhaseTargetX);
    file.WriteFloat(ordersPhaseTargetY);
  }
  file.WriteU16(designation);
  file.WriteU16(static_cast<uint16_t>(sliceCount));
  file.WriteScaled(speed, 500.0f);
  file.WriteScaled(turnRate, 1000.0f);
  file.WriteScaled(firingTimer, 500.0f);
  file.WriteScaled(aimTime, 50.0f);
  WriteSaturated(file, reloadState, 50.0f);
  file.WriteU16(static_cast<uint16_t>(spottingValue));
  file.WriteU16(static_cast<uint16_t>(countdown));
  if (leaderName == -1 && customName == nullptr) {
    // No name to keep: an empty one is stored rather than the saving stopped.
    GErrorLog::LogValue("Unit.cpp: custom leader name missing, written empty", designation);
    GString15 empty;
    file.WriteU16(static_cast<uint16_t>(leaderName));
    empty.Write(file);
  } else {
    file.WriteU16(static_cast<uint16_t>(leaderName));
    if (leaderName == -1) customName->Write(file);
  }
  if (HasMainWeaponOfType23(false)) {
    file.WriteScaled(gunElevation, 200.0f);
    file.WriteScaled(goalGunElevation, 200.0f);
  }
  if (waypointCount < 0 || waypointCount > kMaxWaypoints) FatalError(__LINE__, "Unit.cpp");
  file.WriteByte(static_cast<uint8_t>(waypointCount));
  for (int32_t i = waypointCount - 1; i >= 0; --i) {
    const Waypoint& point = waypoints[static_cast<size_t>(i)];
    file.WriteFloat(point.x);
    file.WriteFloat(point.y);
    file.WriteByte(Field(point.moveMode + 1, 4, 4) | Field(point.pointKind + 1, 4, 0));
    file.WriteByte(Bit(point.upperLevel, 1) | Bit(point.flags, 0));
    const OrderedWaypoint& ordered = orderedWaypoints[static_cast<size_t>(i)];
    file.WriteFloat(ordered.x);
    file.WriteFloat(ordered.y);
    file.WriteByte(ordered.upperLevel != 0 ? 1 : 0);
  }
  WriteUnitID(file, target);
  WriteUnitID(file, orderedTarget);
  WriteUnitID(file, ordersPhaseTarget);
  killRecord.Write(file);
  file.WriteU32(static_cast<uint32_t>(nextActionSlice));
  file.WriteZeros(kZeroBytes);
  file.WriteByte(0);
}

void Unit::Read(GFile& file) {
  const uint8_t b1 = static_cast<uint8_t>(file.ReadByte());
  alive = Flag(b1, 7);
  immobilized = Flag(b1, 6);
  areaFire = Flag(b1, 5);
  flagBytes[kSmokeFireFlag] = Flag(b1, 4);
  flagBytes[kHoldFlag] = Flag(b1, 3);
  flagBytes[kSpareOrderFlag] = Flag(b1, 2);
  withdraw = Flag(b1, 1);
  countsForPoints = Flag(b1, 0);
  const uint8_t b2 = static_cast<uint8_t>(file.ReadByte());
  losses = Take(b2, 4, 4);
  flagBytes[kTargetAbsentFlag] = Flag(b2, 3);
  pendingDelaySteps = Take(b2, 3, 0);
  const uint8_t b3 = static_cast<uint8_t>(file.ReadByte());
  rating = Take(b3, 4, 4);
  ammoKind = Take(b3, 4, 0);
  const uint8_t b4 = static_cast<uint8_t>(file.ReadByte());
  hidden = Flag(b4, 7);
  side = Flag(b4, 6);
  setupZone = Take(b4, 3, 3);
  identificationLevel = Take(b4, 3, 0);
  const uint8_t b5 = static_cast<uint8_t>(file.ReadByte());
  status = Take(b5, 2, 6);
  fatigueLevel = Take(b5, 3, 3);
  shotCounter = static_cast<int16_t>(Take(b5, 3, 0));
  const uint8_t b6 = static_cast<uint8_t>(file.ReadByte());
  movementFlag = Flag(b6, 7);
  ratingAdjustment = static_cast<int8_t>(Take(b6, 2, 5));
  hiddenSecond = Flag(b6, 4);
  firingBytes[kLaidWhileMoving] = Flag(b6, 3);
  firingBytes[kSpottingPasses] = static_cast<uint8_t>(Take(b6, 3, 0));
  const uint8_t b7 = static_cast<uint8_t>(file.ReadByte());
  knockedOut = Flag(b7, 6);
  fanaticState = Take(b7, 2, 4);
  lossesCountedByMorale = static_cast<int16_t>(Take(b7, 4, 0));
  if (identificationLevel > kLastIdentificationLevel) return RefuseRecord(file, "Unit.cpp", "identification level", identificationLevel);
  if (status > kLastStatus) return RefuseRecord(file, "Unit.cpp", "status", status);
  if (fatigueLevel > kLastFatigueLevel) return RefuseRecord(file, "Unit.cpp", "fatigue level", fatigueLevel);
  if (shotCounter > kLastShotCounter) return RefuseRecord(file, "Unit.cpp", "shot counter", shotCounter);
  if (ammoKind >= kAmmoKinds && ammoKind != kNoAmmo) return RefuseRecord(file, "Unit.cpp", "ammunition kind", ammoKind);

  x = file.ReadFloat();
  y = file.ReadFloat();
  if (!IsStoredPosition(x, y)) return RefuseRecord(file, "Unit.cpp", "position", 0);
  facing = file.ReadScaled(90.0f);
  level = file.ReadScaled(10000.0f);
  suppression = file.ReadScaled(10.0f);
  if (FileVersion() < 3) {
    for (auto& count : ammo) count = static_cast<uint8_t>(file.ReadByte());
  } else {
    file.ReadU16Array(ammo.data(), kAmmoKinds);
    // A count stored as a negative number is its magnitude.
    for (auto& count : ammo) {
      if (count > 32768) count = static_cast<uint16_t>(65536 - count);
    }
  }
  commandDelay = file.ReadScaled(20.0f);
  if (hidden != 0) {
    lastSeenX = file.ReadFloat();
    lastSeenY = file.ReadFloat();
    if (!IsStoredPosition(lastSeenX, lastSeenY)) return RefuseRecord(file, "Unit.cpp", "last seen position", 0);
  }
  if (identificationLevel <= 1) {
    positionErrorX = file.ReadByte();
    positionErrorY = file.ReadByte();
  } else {
    positionErrorX = 0;
    positionErrorY = 0;
  }
  burst = static_cast<int16_t>(file.ReadU16());
  nationalityCode = file.ReadByte();
  if (nationalityCode < 0 || nationalityCode > kLastNationality) return RefuseRecord(file, "Unit.cpp", "nationality code", nationalityCode);
  fatigue = file.ReadScaled(10.0f);
  classIndex = static_cast<int16_t>(file.ReadU16());
  if (!IsStoredClassIndex(classIndex)) return RefuseRecord(file, "Unit.cpp", "class index", classIndex);
  if (areaFire != 0) {
    targetX = file.ReadFloat();
    targetY = file.ReadFloat();
    if (!IsStoredPosition(targetX, targetY)) return RefuseRecord(file, "Unit.cpp", "area fire target", 0);
  }
  const uint8_t ordersCode = static_cast<uint8_t>(file.ReadByte());
  if (ordersCode == 0) {
    flagBytes[kOrdersAreaFireFlag] = 0;
    flagBytes[kOrdersSmokeFireFlag] = 0;
  } else {
    flagBytes[kOrdersAreaFireFlag] = 1;
    ordersPhaseTargetX = file.ReadFloat();
    ordersPhaseTargetY = file.ReadFloat();
    if (!IsStoredPosition(ordersPhaseTargetX, ordersPhaseTargetY)) return RefuseRecord(file, "Unit.cpp", "orders target", 0);
    flagBytes[kOrdersSmokeFireFlag] = ordersCode == 2 ? 1 : 0;
  }
  designation = file.ReadU16();
  // Stored in 16 bits; read back signed, so a buttoned vehicle's wait (below 0) is kept.
  sliceCount = static_cast<int16_t>(file.ReadU16());
  speed = file.ReadScaled(500.0f);
  turnRate = file.ReadScaled(1000.0f);
  firingTimer = file.ReadScaled(500.0f);
  if (firingTimer >= kStoredFiringTimerLimit) return RefuseRecord(file, "Unit.cpp", "firing timer x 500", static_cast<int32_t>(firingTimer * 500.0f));
  aimTime = file.ReadScaled(50.0f);
  reloadState = file.ReadScaled(50.0f);
  spottingValue = static_cast<int16_t>(file.ReadU16());
  countdown = static_cast<int16_t>(file.ReadU16());
  leaderName = static_cast<int16_t>(file.ReadU16());
  if (leaderName < -1 || leaderName > kLastLeaderName) return RefuseRecord(file, "Unit.cpp", "leader name", leaderName);
  if (leaderName == -1) {
    SafeDelete(customName);
    customName = new GString15();
    customName->Read(file);
  }
  if (HasMainWeaponOfType23(false)) {
    gunElevation = file.ReadScaled(200.0f);
    goalGunElevation = file.ReadScaled(200.0f);
  }
  const int32_t count = static_cast<uint8_t>(file.ReadByte());
  if (count > kMaxWaypoints) return RefuseRecord(file, "Unit.cpp", "waypoint count", count);
  waypointCount = count;
  for (int32_t i = count - 1; i >= 0; --i) {
    Waypoint& point = waypoints[static_cast<size_t>(i)];
    point.x = file.ReadFloat();
    point.y = file.ReadFloat();
    if (!IsStoredPosition(point.x, point.y)) return RefuseRecord(file, "Unit.cpp", "waypoint position", i);
    const uint8_t codes = static_cast<uint8_t>(file.ReadByte());
    point.moveMode = Take(codes, 4, 4) - 1;
    point.pointKind = Take(codes, 4, 0) - 1;
    if (!IsStoredMoveMode(point.moveMode)) return RefuseRecord(file, "Unit.cpp", "waypoint move mode", point.moveMode);
    if (point.pointKind < 0 || point.pointKind > Waypoint::kRouteEnd) return RefuseRecord(file, "Unit.cpp", "waypoint point kind", point.pointKind);
    const uint8_t bits = static_cast<uint8_t>(file.ReadByte());
    point.upperLevel = Flag(bits, 1);
    point.flags = Flag(bits, 0);
    OrderedWaypoint& ordered = orderedWaypoints[static_cast<size_t>(i)];
    ordered.x = file.ReadFloat();
    ordered.y = file.ReadFloat();
    if (!IsStoredPosition(ordered.x, ordered.y)) return RefuseRecord(file, "Unit.cpp", "ordered waypoint position", i);
    ordered.upperLevel = file.ReadByte() != 0 ? 1 : 0;
  }
  // The references stay packed ids until they are remapped.
  target = nullptr;
  orderedTarget = nullptr;
  ordersPhaseTarget = nullptr;
  targetId = ReadObjectRef(file);
  orderedTargetId = ReadObjectRef(file);
  ordersPhaseTargetId = ReadObjectRef(file);
  killRecord.Read(file);
  if (file.HasError()) return;
  nextActionSlice = static_cast<int32_t>(file.ReadU32());

  // Counts of kinds the main weapon has no ammunition of are cleared, whatever the file held.
  const uint8_t keptByte = firingBytes[kMachineGunMode];
  firingBytes[kMachineGunMode] = 0;
  const int32_t weapon = GetMainWeaponId();
  firingBytes[kMachineGunMode] = keptByte;
  if (weapon != WeaponData::kNone && gWeapons.IsValid(weapon)) {
    const WeaponData record = gWeapons[weapon];
    const int32_t type = record.Type();
    if (type >= 2 && type <= 4) {
      for (int32_t i = 0; i < kAmmoKinds; ++i) {
        if (!(record.Mass(i) > 0.0f)) ammo[static_cast<size_t>(i)] = 0;
      }
    }
  }

  file.Skip(kZeroBytes);
  const int32_t extension = file.ReadByte();
  if (extension < 0) return RefuseRecord(file, "Unit.cpp", "extension length", extension);
  if (extension > 0) file.Skip(extension);
  ForgetUnstoredState();
}

void Unit::ForgetUnstoredState() {
  // What the action reads but the file does not keep starts as a new unit's, so that a game
  // reloaded and the game that went on after the battle's own pass through this form continue
  // alike.
  if (hidden == 0) lastSeenX = lastSeenY = 0.0f;
  if (areaFire == 0) targetX = targetY = 0.0f;
  if (flagBytes[kOrdersAreaFireFlag] == 0) ordersPhaseTargetX = ordersPhaseTargetY = 0.0f;
  if (!HasMainWeaponOfType23(false)) gunElevation = goalGunElevation = 0.0f;
  for (int32_t i = std::max(waypointCount, 0); i < kWaypointEntries; ++i) {
    waypoints[static_cast<size_t>(i)] = Waypoint{};
    orderedWaypoints[static_cast<size_t>(i)] = OrderedWaypoint{};
  }
  sliceCounter = 0;
  lastMovingSlice = 0;
  routeTries = 0;
  routeStamp = 0;
  incomingFire = 0;
  activityCodes = {2, 2, 2};
  for (auto& extras : activityExtras) extras = {0, 0, 0};
}
