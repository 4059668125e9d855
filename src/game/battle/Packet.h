#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "framework/core/GObject.h"
#include "game/units/records/UnitStatePacket.h"

class GFile;
class Unit;

// One event of the computed action, stamped with the time slice at which the replay shows it:
// unit states, shots, sounds, burning tiles, buildings, smoke, craters and vehicle hit reports.
// The battle's packet list owns its packets; the stored form is big-endian, most values kept
// as scaled 16-bit integers and flags packed into bits.
//
// Reading resolves unit ids at once against the current battle and lets the unit's class
// choose the branches of a unit state, so the units must be in place first. Anything the
// reader cannot accept (an unknown kind, an id without a unit, a branch the unit's class does
// not have, a value out of its range) raises the file's error flag.
class Packet : public GObject {
 public:
  enum Kind : int8_t {
    kUnitState = 0,
    kFire = 1,
    kSound = 2,
    kTileIgnites = 3,
    kBuildingCollapse = 4,
    kSmokePlaced = 5,
    kSmokeCleared = 6,
    kCrater = 7,
    kCraterRemoved = 8,
    kCraterRevealed = 9,
    kBuildingState = 10,
    kHitReport = 11,
    kSmokeUpdate = 12,
  };
  static constexpr int32_t kLastKind = 12;
  // The size the action's statistics report for a packet, whatever its size in memory.
  static constexpr int32_t kNominalSize = 136;

  void Write(GFile& file) const override;
  void Read(GFile& file) override;

  // A turn makes and drops packets by the hundred thousand: they are carved from blocks kept
  // for the program's life and go back to a free list rather than to the heap. Under the
  // address sanitizer each comes from the heap, so that a packet used after its deletion is
  // still caught.
  static void* operator new(std::size_t size);
  static void operator delete(void* memory, std::size_t size) noexcept;

  // The class extras of a unit state that the unit model's snapshot does not carry.
  struct StateExtras {
    Unit* linked[2] = {};  // infantry: carrier and boarding target; vehicle: two passengers
    // Infantry.
    Unit* leader = nullptr;
    std::array<uint8_t, 4> menPerSlot{};
    uint8_t routed = 0;
    uint8_t fatigue = 0;    // 3 bits
    uint8_t moveState = 0;  // 4 bits
    uint8_t surrendered = 0;
    uint8_t released = 0;
    uint8_t fallingFigure = 0;  // 2 bits
    uint8_t specialShots = 0;   // 3 bits
    uint8_t demolition = 0;     // 2 bits
    // Vehicle.
    float turretAngle = 0.0f;
    float turretRate = 0.0f;
    std::array<uint8_t, 3> gunGroups{};
    uint8_t sightBlocking = 0;
    uint8_t gunDestroyed = 0;
    uint8_t bogged = 0;
    uint8_t buttoned = 0;
    uint8_t timerRunning = 0;
    // Airplane.
    uint8_t airplaneByte = 0;
  };

  struct Fire {
    Unit* shooter = nullptr;
    Unit* target = nullptr;
    float targetX = 0.0f;
    float targetY = 0.0f;
    float targetZ = 0.0f;
    float blast = 0.0f;
    int32_t count = 0;  // the fire effect's duration in slices
    int16_t effectCode = 0;
    float speed = 0.0f;
    uint8_t firstFlag = 0;
    uint8_t noFlight = 0;
    uint8_t thirdFlag = 0;
    uint8_t alwaysVisible = 0;
  };

  struct Sound {
    Unit* source = nullptr;
    uint16_t number = 0;
    int16_t soundKind = 0;
    float parameter = 0.0f;     // handed to the sound player
    float position[2][3] = {};  // where side 0 and side 1 hear it
    uint8_t audible[2] = {};
    uint8_t looped = 0;
  };

  struct Smoke {
    int32_t startSlice = 0;
    int32_t lifetime = 0;  // slices
    float radius = 0.0f;
  };

  struct Crater {
    float size = 0.0f;
    float rotation = 0.0f;
    float tilt = 0.0f;
    uint8_t lasting = 0;
  };

  struct BuildingState {
    float damage = 0.0f;
    uint8_t destroyed = 0;
  };

  // A shot's result on a vehicle: the vehicle hit, the part hit (0 turret, 1 upper hull, 2 lower
  // hull, 3 and 4 top, 5 running gear, 6 gun), the facing struck (0 front, 1 side, 2 rear), the
  // men lost and the seven flags of the battle's hit report.
  struct HitReport {
    Unit* vehicle = nullptr;
    int32_t part = 0;
    int32_t facing = 0;
    int32_t menLost = 0;
    std::array<uint8_t, 7> flags{};
  };

  // The common head.
  int8_t kind = kUnitState;
  int16_t timeSlice = 0;
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  // One payload per kind (kinds 3, 4, 6, 8 and 9 have none).
  UnitStatePacket state;   // kind 0; its unit, slice and position mirror the head
  StateExtras extras;      // kind 0
  Fire fire;               // kind 1
  Sound sound;             // kind 2
  Smoke smoke;             // kind 5; kind 12 keeps its remaining lifetime in smoke.lifetime
  Crater crater;           // kind 7
  BuildingState building;  // kind 10
  HitReport hit;           // kind 11

  // The unit the packet belongs to: the state's unit, the shooter, the sound's source, the
  // hit vehicle; null for the others.
  Unit* OwnerUnit() const;
  // A unit's snapshot becomes the kind-0 payload: the head, the state and the extras the
  // snapshot carries (linked units; infantry's leader, men per slot and state bits). Reading
  // a kind-0 packet of infantry puts those extras back into the state.
  void SetUnitState(const UnitStatePacket& unitState);

  // A scaled field: value x factor rounded, or held at -32768 or 32767 when the product leaves
  // the 16-bit range (logged once per run). Not a number stores 0.
  static void WriteHeld(GFile& file, float value, float factor);

 private:
  void WriteUnitState(GFile& file) const;
  void ReadUnitState(GFile& file);
};
