#pragma once
#include <array>
#include <cstdint>

#include "framework/media/GBoundingBox.h"
#include "game/map/MapPathUnit.h"
#include "game/map/MapUnitView.h"
#include "game/units/Waypoint.h"

class Map;
struct PathPoints;

// The abstract unit of the battle: infantry, vehicle, inanimate object or airplane. So far it
// holds what the map reads of a unit (kind, side, position, presence); the unit model grows
// its fields and its numbered virtual operations here.
class Unit : public GBoundingBox, public MapUnitView, public MapPathUnit {
 public:
  Unit() = default;
  ~Unit() override = default;

  int32_t GetUnitKind() const override { return kind; }
  int32_t GetSideByte() const override { return side; }
  float GetX() const override { return x; }
  float GetY() const override { return y; }
  float GetZ() const override { return z; }
  bool IsPresent() const override { return present != 0; }
  int32_t GetInanimateKind() const override;
  // The identification level comes with the unit model; until then no unit is identified.
  bool IsIdentified() const override { return false; }

  // ---- Routes ----

  static constexpr int32_t kMaxWaypoints = 50;
  // The weapon type of no main weapon.
  static constexpr int32_t kNoWeaponType = -1;
  // The cost grid the unit's routes are searched on: 0 here (inanimate objects, aircraft);
  // infantry and vehicles answer by the rules below.
  int32_t GetMoveClass() const override { return 0; }
  // Infantry: a crew weapon (main weapon of type 2 or 3) moves on class 1; otherwise a speed
  // class above 1 moves on class 0, the slower on class 1.
  static int32_t InfantryMoveClass(int32_t mainWeaponType, int32_t speedClass);
  // Vehicles by the kind code of their class record: kinds 1 to 3 on class 3, kind 4 on
  // class 2, any other kind on class 4.
  static int32_t VehicleMoveClass(int32_t kindCode);
  // The placement test; until the unit classes bring theirs, any point will do.
  bool CanStandAt(float x, float y, int32_t mapTest) const override;
  // Makes the unit's waypoints the route's points (at most 50; a longer record is cut to 50
  // in place), heights from the map, the last one the route's end.
  void SetPathWaypoints(PathPoints& points, int32_t moveMode, const Map& map);

  bool IsInfantry() const { return kind == kInfantry; }
  bool IsVehicle() const { return kind == kVehicle; }
  bool IsInanimate() const { return kind == kInanimate; }
  bool IsAirplane() const { return kind == kAirplane; }
  // The side byte is 1 for the Axis; the side index of per-side tables is 1 - the byte.
  bool IsAxis() const { return side == 1; }
  int32_t GetSideIndex() const { return 1 - side; }

  uint8_t kind = kInfantry;
  uint8_t side = 0;
  uint8_t present = 1;
  std::array<Waypoint, kMaxWaypoints> waypoints{};
  int32_t waypointCount = 0;
};
