// The packet record's stored form.
#include "game/battle/Packet.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/units/tables/InfantryAnimation.h"
#include "game/units/tables/InfantryData.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/records/UnitIds.h"

namespace {

bool gHeldLogged = false;

#if defined(__SANITIZE_ADDRESS__)
#define TARVANE_PACKETS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVANE_PACKETS_FROM_HEAP 1
#endif
#endif

#ifndef TARVANE_PACKETS_FROM_HEAP
// The packets' memory: blocks of packets never given back, and the packets free in them. Any
// thread may make or drop a packet, so both go under one lock.
class PacketStore {
 public:
  void* Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (free_ == nullptr) Grow();
    FreeSlot* slot = free_;
    free_ = slot->next;
    return slot;
  }
  void Give(void* memory) {
    const std::lock_guard<std::mutex> lock(mutex_);
    auto* slot = static_cast<FreeSlot*>(memory);
    slot->next = free_;
    free_ = slot;
  }

 private:
  struct FreeSlot {
    FreeSlot* next;
  };
  static constexpr size_t kPerBlock = 1024;
  static constexpr size_t kSlot = (sizeof(Packet) + alignof(Packet) - 1) / alignof(Packet) * alignof(Packet);
  static_assert(sizeof(FreeSlot) <= kSlot && alignof(FreeSlot) <= alignof(Packet));

  void Grow() {
    blocks_.push_back(std::make_unique<Slot[]>(kPerBlock));
    Slot* block = blocks_.back().get();
    for (size_t i = kPerBlock; i-- > 0;) {
      auto* slot = reinterpret_cast<FreeSlot*>(block[i].bytes);
      slot->next = free_;
      free_ = slot;
    }
  }

  struct Slot {
    alignas(Packet) unsigned char bytes[kSlot];
  };
  std::mutex mutex_;
  std::vector<std::unique_ptr<Slot[]>> blocks_;
  FreeSlot* free_ = nullptr;
};

PacketStore& Store() {
  // Never destroyed: a packet may be dropped while the program's statics are torn down.
  static PacketStore* store = new PacketStore;
  return *store;
}
#endif

uint8_t Bit(bool on, int32_t bit) { return static_cast<uint8_t>(on ? (1u << bit) : 0u); }
uint8_t Field(uint8_t byte, int32_t low, uint32_t mask) { return static_cast<uint8_t>((byte >> low) & mask); }

// A unit id of the current battle: 0 is none (refused when a unit is required); an id
// without a unit is refused.
Unit* ReadUnit(GFile& file, bool required) {
  const int16_t id = ReadObjectRef(file);
  if (id == 0) {
    if (required) file.SetError();
    return nullptr;
  }
  Unit* unit = UnitFromId(id);
  if (unit == nullptr) file.SetError();
  return unit;
}

// The weapon-slot count of an infantry unit's class, -1 for a unit without infantry services.
int32_t WeaponSlots(const Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  return infantry != nullptr ? infantry->GetClassData().WeaponSlotCount() : -1;
}

// A squad or a leader keeps all three activity entries; other infantry only the first.
bool KeepsAllEntries(const Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  if (infantry == nullptr) return true;
  return infantry->IsSquad() || infantry->GetClassData().LeaderLevel() != 0;
}

int8_t PacketSignedByte(GFile& file) { return file.ReadByte(); }

// A place on the ground (metres) as the battle stores one: finite and within a bound far
// beyond any map, as for the units' own places, so that the replay's tiles, blocks and
// distances worked out from it stay in range.
bool IsStoredPlace(float x, float y) {
  constexpr float kLimit = 100000.0f;
  return std::isfinite(x) && std::isfinite(y) && std::fabs(x) <= kLimit && std::fabs(y) <= kLimit;
}

}  // namespace

void Packet::WriteHeld(GFile& file, float value, float factor) {
  if (std::isnan(value)) {
    file.WriteU16(0);
    return;
  }
  const double rounded = GFile::RoundScaled(value, factor);
  if (rounded <= -32769.0 || rounded >= 32768.0) {
    if (!gHeldLogged) {
      GErrorLog::LogValue("Packet field out of range, held at", rounded < 0.0 ? -32768 : 32767);
      gHeldLogged = true;
    }
    file.WriteU16(rounded < 0.0 ? 0x8000u : 0x7FFFu);
    return;
  }
  file.WriteScaled(value, factor);
}

Unit* Packet::OwnerUnit() const {
  switch (kind) {
    case kUnitState:
      return state.unit;
    case kFire:
      return fire.shooter;
    case kSound:
      return sound.source;
    case kHitReport:
      return hit.vehicle;
    default:
      return nullptr;
  }
}

void Packet::Write(GFile& file) const {
  if (kind < 0 || kind > kLastKind) {
    // A programmer's slip: nothing is written and the caller refuses the file.
    GErrorLog::LogValue("Packet of unknown kind not written:", kind);
    file.SetError();
    return;
  }
  file.WriteByte(static_cast<uint8_t>(kind));
  file.WriteU16(static_cast<uint16_t>(timeSlice));
  file.WriteFloat(x);
  file.WriteFloat(y);
  WriteHeld(file, z, 3.0f);
  switch (kind) {
    case kUnitState:
      WriteUnitState(file);
      break;
    case kFire:
      WriteUnitID(file, fire.shooter);
      WriteUnitID(file, fire.target);
      WriteHeld(file, fire.targetX, 3.0f);
      WriteHeld(file, fire.targetY, 3.0f);
      WriteHeld(file, fire.targetZ, 3.0f);
      WriteHeld(file, fire.blast, 50.0f);
      file.WriteU16(static_cast<uint16_t>(fire.count));
      file.WriteByte(static_cast<uint8_t>(fire.effectCode));
      WriteHeld(file, fire.speed, 1000.0f);
      file.WriteByte(Bit(fire.firstFlag != 0, 3) | Bit(fire.noFlight != 0, 2) | Bit(fire.thirdFlag != 0, 1) |
                     Bit(fire.alwaysVisible != 0, 0));
      file.WriteZeros(8);
      break;
    case kSound:
      WriteUnitID(file, sound.source);
      file.WriteU16(sound.number);
      file.WriteByte(static_cast<uint8_t>(sound.soundKind));
      WriteHeld(file, sound.parameter, 1000.0f);
      for (const auto& side : sound.position) {
        for (float v : side) WriteHeld(file, v, 3.0f);
      }
      file.WriteByte(Bit(sound.looped != 0, 2) | Bit(sound.audible[0] != 0, 1) | Bit(sound.audible[1] != 0, 0));
      file.WriteZeros(8);
      break;
    case kSmokePlaced:
      file.WriteU16(static_cast<uint16_t>(smoke.startSlice));
      file.WriteU16(static_cast<uint16_t>(smoke.lifetime));
      WriteHeld(file, smoke.radius, 100.0f);
      file.WriteZeros(8);
      break;
    case kCrater:
      WriteHeld(file, crater.size, 50.0f);
      WriteHeld(file, crater.rotation, 50.0f);
      WriteHeld(file, crater.tilt, 200.0f);
      file.WriteByte(crater.lasting);
      file.WriteZeros(8);
      break;
    case kBuildingState:
      file.WriteFloat(building.damage);
      file.WriteByte(building.destroyed);
      file.WriteZeros(7);
      break;
    case kHitReport:
      WriteUnitID(file, hit.vehicle);
      file.WriteByte(static_cast<uint8_t>(hit.part));
      file.WriteByte(static_cast<uint8_t>(hit.facing));
      file.WriteByte(static_cast<uint8_t>(hit.menLost));
      for (size_t i : {0u, 1u, 2u, 3u, 5u}) file.WriteByte(hit.flags[i] != 0 ? 1 : 0);
      file.WriteByte(Bit(hit.flags[4] != 0, 1) | Bit(hit.flags[6] != 0, 0));
      file.WriteZeros(8);
      break;
    case kSmokeUpdate:
      file.WriteU16(static_cast<uint16_t>(smoke.lifetime));
      file.WriteZeros(8);
      break;
    default:  // kinds 3, 4, 6, 8 and 9: the head alone
      break;
  }
}

void Packet::Read(GFile& file) {
  const int8_t k = file.ReadByte();
  if (k < 0 || k > kLastKind) {
    file.SetError();
    return;
  }
  kind = k;
  timeSlice = static_cast<int16_t>(file.ReadU16());
  x = file.ReadFloat();
  y = file.ReadFloat();
  z = file.ReadScaled(3.0f);
  if (!IsStoredPlace(x, y)) {
    GErrorLog::LogError("Packet refused: a place that is not on the ground");
    file.SetError();
    return;
  }
  switch (kind) {
    case kUnitState:
      ReadUnitState(file);
      break;
    case kFire: {
      fire.shooter = ReadUnit(file, false);
      fire.target = ReadUnit(file, false);
      fire.targetX = file.ReadScaled(3.0f);
      fire.targetY = file.ReadScaled(3.0f);
      fire.targetZ = file.ReadScaled(3.0f);
      fire.blast = file.ReadScaled(50.0f);
      fire.count = static_cast<int16_t>(file.ReadU16());
      fire.effectCode = PacketSignedByte(file);
      fire.speed = file.ReadScaled(1000.0f);
      const uint8_t flags = static_cast<uint8_t>(file.ReadByte());
      fire.firstFlag = Field(flags, 3, 1);
      fire.noFlight = Field(flags, 2, 1);
      fire.thirdFlag = Field(flags, 1, 1);
      fire.alwaysVisible = Field(flags, 0, 1);
      file.Skip(8);
      break;
    }
    case kSound: {
      sound.source = ReadUnit(file, false);
      sound.number = file.ReadU16();
      sound.soundKind = PacketSignedByte(file);
      sound.parameter = file.ReadScaled(1000.0f);
      for (auto& side : sound.position) {
        for (float& v : side) v = file.ReadScaled(3.0f);
      }
      const uint8_t flags = static_cast<uint8_t>(file.ReadByte());
      sound.looped = Field(flags, 2, 1);
      sound.audible[0] = Field(flags, 1, 1);
      sound.audible[1] = Field(flags, 0, 1);
      file.Skip(8);
      break;
    }
    case kSmokePlaced:
      smoke.startSlice = static_cast<int16_t>(file.ReadU16());
      smoke.lifetime = static_cast<int16_t>(file.ReadU16());
      smoke.radius = file.ReadScaled(100.0f);
      file.Skip(8);
      break;
    case kCrater:
      crater.size = file.ReadScaled(50.0f);
      crater.rotation = file.ReadScaled(50.0f);
      crater.tilt = file.ReadScaled(200.0f);
      crater.lasting = file.ReadByte() != 0 ? 1 : 0;
      file.Skip(8);
      break;
    case kBuildingState:
      building.damage = file.ReadFloat();
      if (!std::isfinite(building.damage)) file.SetError();
      building.destroyed = file.ReadByte() != 0 ? 1 : 0;
      file.Skip(7);
      break;
    case kHitReport: {
      hit.vehicle = ReadUnit(file, true);
      if (hit.vehicle != nullptr && !hit.vehicle->IsVehicle()) file.SetError();
      hit.part = PacketSignedByte(file);
      hit.facing = PacketSignedByte(file);
      hit.menLost = PacketSignedByte(file);
      for (size_t i : {0u, 1u, 2u, 3u, 5u}) hit.flags[i] = file.ReadByte() != 0 ? 1 : 0;
      const uint8_t packed = static_cast<uint8_t>(file.ReadByte());
      hit.flags[4] = Field(packed, 1, 1);
      hit.flags[6] = Field(packed, 0, 1);
      file.Skip(8);
      break;
    }
    case kSmokeUpdate:
      smoke.lifetime = static_cast<int16_t>(file.ReadU16());
      file.Skip(8);
      break;
    default:
      break;
  }
}

void Packet::WriteUnitState(GFile& file) const {
  const Unit* unit = state.unit;
  if (unit == nullptr) {
    GErrorLog::LogError("Unit state packet without a unit not written");
    file.SetError();
    return;
  }
  const bool infantry = unit->IsInfantry();
  const bool vehicle = unit->IsVehicle();
  WriteUnitID(file, unit);
  WriteUnitID(file, state.target);
  WriteHeld(file, state.facing, 90.0f);
  WriteHeld(file, state.speed, 10000.0f);
  WriteHeld(file, state.turnRate, 1000.0f);
  file.WriteU16(static_cast<uint16_t>(state.gunElevation));
  file.WriteU16(static_cast<uint16_t>(state.goalGunElevation));
  if (infantry || vehicle) {
    if (extras.linked[0] != nullptr || extras.linked[1] != nullptr) {
      file.WriteByte(1);
      WriteUnitID(file, extras.linked[0]);
      WriteUnitID(file, extras.linked[1]);
    } else {
      file.WriteByte(0);
    }
  }
  file.WriteByte(static_cast<uint8_t>(((state.lifeCode & 3) << 6) | Bit(vehicle && extras.sightBlocking != 0, 5) |
                                      (state.losses & 31)));
  file.WriteByte(Bit(state.hidden != 0, 7) | Bit(state.smokeFire != 0, 6) | Bit(state.hiddenSecond != 0, 5) |
                 Bit(state.immobilized != 0, 4) | Bit(vehicle && extras.gunDestroyed != 0, 3) |
                 (state.identificationLevel & 7));
  if (state.hidden != 0) {
    WriteHeld(file, state.lastSeenX, 3.0f);
    WriteHeld(file, state.lastSeenY, 3.0f);
  }
  if (state.identificationLevel == 1) {
    file.WriteByte(static_cast<uint8_t>(state.positionErrorX));
    file.WriteByte(static_cast<uint8_t>(state.positionErrorY));
  }
  if (unit->IsAirplane()) {
    file.WriteByte(extras.airplaneByte);
  } else {
    WriteHeld(file, state.level, 10000.0f);
    if (infantry || vehicle) file.WriteU16(static_cast<uint16_t>(state.aim));
    if (infantry) {
      WriteHeld(file, state.suppression, 10.0f);
      WriteUnitID(file, extras.leader);
      const int32_t slots = WeaponSlots(*unit);
      if (slots < 0 || slots > 4) {
        GErrorLog::LogValue("Unit state packet: weapon-slot count out of range", slots);
        file.SetError();
        return;
      }
      for (int32_t i = 0; i < slots; ++i) file.WriteByte(extras.menPerSlot[static_cast<size_t>(i)]);
      file.WriteByte(
          static_cast<uint8_t>(Bit(extras.routed != 0, 7) | ((extras.fatigue & 7) << 4) | (extras.moveState & 15)));
      file.WriteByte(static_cast<uint8_t>(Bit(extras.surrendered != 0, 6) | Bit(extras.released != 0, 5) |
                                          ((extras.fallingFigure & 3) << 3) | (extras.specialShots & 7)));
      const int32_t entries = KeepsAllEntries(*unit) ? 3 : 1;
      for (int32_t e = entries - 1; e >= 0; --e) {
        const size_t i = static_cast<size_t>(e);
        file.WriteU16(static_cast<uint16_t>(state.durations[i]));
        file.WriteByte(static_cast<uint8_t>(state.codes[i]));
        file.WriteByte(static_cast<uint8_t>(state.variants[i]));
      }
    } else if (vehicle) {
      WriteHeld(file, extras.turretAngle, 90.0f);
      WriteHeld(file, extras.turretRate, 1000.0f);
      file.WriteByte(static_cast<uint8_t>(state.codes[0]));
      for (int32_t g = 2; g >= 0; --g) file.WriteByte(extras.gunGroups[static_cast<size_t>(g)]);
    }
  }
  if (unit->HasMainWeapon()) {
    for (uint16_t count : state.ammo) file.WriteU16(count);
  } else {
    file.WriteU16(state.ammo[0]);
  }
  uint8_t byte3 = Bit(state.bailedOut != 0, 7) | static_cast<uint8_t>((state.status & 3) << 5) |
                  Bit(state.hold != 0, 2) | Bit(state.targetAbsent != 0, 1) | Bit(state.areaFire != 0, 0);
  if (infantry) byte3 |= static_cast<uint8_t>((extras.demolition & 3) << 3);
  if (vehicle) byte3 |= Bit(extras.bogged != 0, 4) | Bit(extras.buttoned != 0, 3);
  file.WriteByte(byte3);
  file.WriteByte(Bit(state.reloading != 0, 0) | Bit(vehicle && extras.timerRunning != 0, 1));
  if (state.areaFire != 0) {
    file.WriteFloat(state.targetX);
    file.WriteFloat(state.targetY);
  }
  file.WriteZeros(16);
}

void Packet::ReadUnitState(GFile& file) {
  state = UnitStatePacket{};
  extras = StateExtras{};
  Unit* unit = ReadUnit(file, true);
  if (unit == nullptr) return;
  state.unit = unit;
  state.slice = timeSlice;
  state.x = x;
  state.y = y;
  state.z = z;
  const bool infantry = unit->IsInfantry();
  const bool vehicle = unit->IsVehicle();
  state.target = ReadUnit(file, false);
  state.facing = file.ReadScaled(90.0f);
  state.speed = file.ReadScaled(10000.0f);
  state.turnRate = file.ReadScaled(1000.0f);
  state.gunElevation = static_cast<int16_t>(file.ReadU16());
  state.goalGunElevation = static_cast<int16_t>(file.ReadU16());
  if (infantry || vehicle) {
    if (file.ReadByte() == 1) {
      extras.linked[0] = ReadUnit(file, false);
      extras.linked[1] = ReadUnit(file, false);
    }
  }
  const uint8_t byte1 = static_cast<uint8_t>(file.ReadByte());
  state.lifeCode = Field(byte1, 6, 3);
  // 0 is the unit's return to the field (every opening packet of a turn, a crew that bailed
  // out), 1 alive, 2 eliminated; the recorder writes no 3.
  if (state.lifeCode > UnitStatePacket::kDead) file.SetError();
  if (vehicle) extras.sightBlocking = Field(byte1, 5, 1);
  state.losses = Field(byte1, 0, 31);
  const uint8_t byte2 = static_cast<uint8_t>(file.ReadByte());
  state.hidden = Field(byte2, 7, 1);
  state.smokeFire = Field(byte2, 6, 1);
  state.hiddenSecond = Field(byte2, 5, 1);
  state.immobilized = Field(byte2, 4, 1);
  if (vehicle) extras.gunDestroyed = Field(byte2, 3, 1);
  state.identificationLevel = Field(byte2, 0, 7);
  if (state.identificationLevel > 4) file.SetError();
  if (state.hidden != 0) {
    state.lastSeenX = file.ReadScaled(3.0f);
    state.lastSeenY = file.ReadScaled(3.0f);
  }
  if (state.identificationLevel == 1) {
    state.positionErrorX = PacketSignedByte(file);
    state.positionErrorY = PacketSignedByte(file);
  }
  if (unit->IsAirplane()) {
    extras.airplaneByte = static_cast<uint8_t>(file.ReadByte());
    state.airplaneState = static_cast<int8_t>(extras.airplaneByte);
  } else {
    state.level = file.ReadScaled(10000.0f);
    if (infantry || vehicle) state.aim = static_cast<int16_t>(file.ReadU16());
    if (infantry) {
      state.suppression = file.ReadScaled(10.0f);
      extras.leader = ReadUnit(file, false);
      const int32_t slots = WeaponSlots(*unit);
      if (slots < 0 || slots > 4) {
        file.SetError();
        return;
      }
      for (int32_t i = 0; i < slots; ++i)
        extras.menPerSlot[static_cast<size_t>(i)] = static_cast<uint8_t>(file.ReadByte());
      const uint8_t i1 = static_cast<uint8_t>(file.ReadByte());
      extras.routed = Field(i1, 7, 1);
      extras.fatigue = Field(i1, 4, 7);
      extras.moveState = Field(i1, 0, 15);
      const uint8_t i2 = static_cast<uint8_t>(file.ReadByte());
      extras.surrendered = Field(i2, 6, 1);
      extras.released = Field(i2, 5, 1);
      extras.fallingFigure = Field(i2, 3, 3);
      extras.specialShots = Field(i2, 0, 7);
      for (size_t i = 0; i < 3; ++i) {
        state.durations[i] = 1;
        state.codes[i] = 0;
        state.variants[i] = 0;
      }
      const int32_t entries = KeepsAllEntries(*unit) ? 3 : 1;
      for (int32_t e = entries - 1; e >= 0; --e) {
        const size_t i = static_cast<size_t>(e);
        state.durations[i] = static_cast<int16_t>(file.ReadU16());
        state.codes[i] = PacketSignedByte(file);
        state.variants[i] = PacketSignedByte(file);
        // A squad's activity chooses the poses its figures are drawn in.
        if (state.codes[i] < 0 || state.codes[i] >= InfantryAnimation::kPostures) file.SetError();
      }
    } else if (vehicle) {
      extras.turretAngle = file.ReadScaled(90.0f);
      extras.turretRate = file.ReadScaled(1000.0f);
      state.codes[0] = PacketSignedByte(file);
      for (int32_t g = 2; g >= 0; --g) extras.gunGroups[static_cast<size_t>(g)] = static_cast<uint8_t>(file.ReadByte());
    }
  }
  if (unit->HasMainWeapon()) {
    for (uint16_t& count : state.ammo) count = file.ReadU16();
  } else {
    state.ammo[0] = file.ReadU16();
  }
  const uint8_t byte3 = static_cast<uint8_t>(file.ReadByte());
  state.bailedOut = Field(byte3, 7, 1);
  state.status = Field(byte3, 5, 3);
  state.hold = Field(byte3, 2, 1);
  state.targetAbsent = Field(byte3, 1, 1);
  state.areaFire = Field(byte3, 0, 1);
  if (infantry) extras.demolition = Field(byte3, 3, 3);
  if (vehicle) {
    extras.bogged = Field(byte3, 4, 1);
    extras.buttoned = Field(byte3, 3, 1);
  }
  const uint8_t byte4 = static_cast<uint8_t>(file.ReadByte());
  state.reloading = Field(byte4, 0, 1);
  if (vehicle) extras.timerRunning = Field(byte4, 1, 1);
  if (state.areaFire != 0) {
    state.targetX = file.ReadFloat();
    state.targetY = file.ReadFloat();
    if (!IsStoredPlace(state.targetX, state.targetY)) file.SetError();
  }
  file.Skip(16);
  if (vehicle) {
    // The vehicle puts back what the snapshot carries: its passengers, turret and flags.
    state.extraUnits = {extras.linked[0], extras.linked[1]};
    state.sightBlocking = extras.sightBlocking;
    state.gunDestroyed = extras.gunDestroyed;
    state.turretAngle = extras.turretAngle;
    state.turretRate = extras.turretRate;
    state.vehicleFlags = static_cast<uint8_t>((extras.bogged != 0 ? 1 : 0) | (extras.buttoned != 0 ? 2 : 0) |
                                              (extras.timerRunning != 0 ? 4 : 0));
    state.machineGunGroups = extras.gunGroups;
  }
  if (infantry) {
    // The unit puts back what the snapshot carries.
    state.extraUnits = {extras.linked[0], extras.linked[1]};
    state.leader = extras.leader;
    state.menPerSlot = extras.menPerSlot;
    state.moveState = extras.moveState;
    state.fatigueLevel = extras.fatigue;
    state.fallingFigure = extras.fallingFigure;
    state.specialShots = extras.specialShots;
    state.charges = extras.demolition;
    state.surrendered = extras.surrendered;
    state.released = extras.released;
    state.routed = extras.routed;
  }
}

void Packet::SetUnitState(const UnitStatePacket& unitState) {
  kind = kUnitState;
  state = unitState;
  timeSlice = unitState.slice;
  x = unitState.x;
  y = unitState.y;
  z = unitState.z;
  extras.linked[0] = unitState.extraUnits[0];
  extras.linked[1] = unitState.extraUnits[1];
  extras.leader = unitState.leader;
  extras.menPerSlot = unitState.menPerSlot;
  extras.moveState = unitState.moveState;
  extras.fatigue = unitState.fatigueLevel;
  extras.fallingFigure = unitState.fallingFigure;
  extras.specialShots = unitState.specialShots;
  extras.demolition = unitState.charges;
  extras.surrendered = unitState.surrendered;
  extras.released = unitState.released;
  extras.routed = unitState.routed;
  extras.sightBlocking = unitState.sightBlocking;
  extras.gunDestroyed = unitState.gunDestroyed;
  extras.turretAngle = unitState.turretAngle;
  extras.turretRate = unitState.turretRate;
  extras.bogged = (unitState.vehicleFlags & 1) != 0 ? 1 : 0;
  extras.buttoned = (unitState.vehicleFlags & 2) != 0 ? 1 : 0;
  extras.timerRunning = (unitState.vehicleFlags & 4) != 0 ? 1 : 0;
  extras.gunGroups = unitState.machineGunGroups;
  // An airplane's state rides in its one byte.
  extras.airplaneByte = static_cast<uint8_t>(unitState.airplaneState);
}

void* Packet::operator new(std::size_t size) {
#ifndef TARVANE_PACKETS_FROM_HEAP
  if (size == sizeof(Packet)) return Store().Take();
#endif
  return ::operator new(size);
}

void Packet::operator delete(void* memory, [[maybe_unused]] std::size_t size) noexcept {
  if (memory == nullptr) return;
#ifndef TARVANE_PACKETS_FROM_HEAP
  if (size == sizeof(Packet)) {
    Store().Give(memory);
    return;
  }
#endif
  // The unsized form: not every compiler declares the sized one by default.
  ::operator delete(memory);
}
