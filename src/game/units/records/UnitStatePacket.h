#pragma once
#include <array>
#include <cstdint>

class Unit;

// The snapshot of a unit's visible state recorded for the replay (packet kind 0): made by
// Unit::MakeStatePacket in the slice something visible changed, put back by
// Unit::ApplyStatePacket when the replay reaches that slice. The battle keeps it in its packet
// record and stored form.
struct UnitStatePacket {
  static constexpr int8_t kKind = 0;
  // Life codes.
  static constexpr int32_t kRevived = 0;
  static constexpr int32_t kAlive = 1;
  static constexpr int32_t kDead = 2;

  int8_t kind = kKind;
  int16_t slice = 0;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;  // the unit's base height
  Unit* unit = nullptr;
  int32_t lifeCode = kAlive;
  float facing = 0.0f;
  float speed = 0.0f;
  float turnRate = 0.0f;
  float suppression = 0.0f;
  float lastSeenX = 0.0f;
  float lastSeenY = 0.0f;
  float level = 0.0f;
  int16_t gunElevation = 0;      // x 200
  int16_t goalGunElevation = 0;  // x 200
  int8_t positionErrorX = 0;
  int8_t positionErrorY = 0;
  Unit* target = nullptr;
  float targetX = 0.0f;
  float targetY = 0.0f;
  std::array<int16_t, 3> durations{};  // milliseconds, per activity entry
  std::array<int8_t, 3> codes{};
  std::array<int8_t, 3> variants{};
  int16_t aim = 0;  // aim timer x 10
  std::array<uint16_t, 5> ammo{};
  // The state bits, each kept to its width.
  uint8_t reloading = 0;            // 1 bit
  uint8_t losses = 0;               // 5 bits
  uint8_t identificationLevel = 0;  // 3 bits
  uint8_t status = 0;               // 2 bits
  uint8_t hidden = 0;
  uint8_t targetAbsent = 0;
  uint8_t hiddenSecond = 0;
  uint8_t hold = 0;
  uint8_t bailedOut = 0;
  uint8_t immobilized = 0;
  uint8_t smokeFire = 0;
  uint8_t areaFire = 0;

  // ---- What the kinds add (WriteStateExtras / ReadStateExtras): two unit references (a
  // vehicle's passengers), and a vehicle's turret, flags and machine-gun groups ----
  std::array<Unit*, 2> extraUnits{};
  float turretAngle = 0.0f;
  float turretRate = 0.0f;
  uint8_t sightBlocking = 0;  // 1 bit
  uint8_t gunDestroyed = 0;   // 1 bit
  uint8_t vehicleFlags = 0;   // bit 0 bogged, bit 1 buttoned, bit 2 a stun timer runs
  std::array<uint8_t, 3> machineGunGroups{};

  // ---- Infantry (extraUnits: its carrier and the vehicle it is to board) ----
  Unit* leader = nullptr;
  std::array<uint8_t, 4> menPerSlot{};
  uint8_t moveState = 0;      // 4 bits: 0, 3..7
  uint8_t fatigueLevel = 0;   // 3 bits: 0..4
  uint8_t fallingFigure = 0;  // 2 bits: 0 none, else 1 + the index of the figure shown falling
  uint8_t specialShots = 0;   // 3 bits
  uint8_t charges = 0;        // 2 bits
  uint8_t surrendered = 0;
  uint8_t released = 0;
  uint8_t routed = 0;
  // ---- Airplane: its state 0..6 ----
  int8_t airplaneState = 0;
};
