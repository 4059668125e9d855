#pragma once
#include <cstdint>

class Map;

// A unit as the map sees it: what the map's passes and queries read of the battle's units.
// The unit model implements it; tests supply fakes.
class MapUnitView {
 public:
  // Unit kinds.
  static constexpr int32_t kInfantry = 0;
  static constexpr int32_t kVehicle = 1;
  static constexpr int32_t kInanimate = 2;
  static constexpr int32_t kAirplane = 3;

  virtual ~MapUnitView() = default;

  virtual int32_t GetUnitKind() const = 0;
  // 1 for the Axis, 0 for the Allies.
  virtual int32_t GetSideByte() const = 0;
  virtual float GetX() const = 0;
  virtual float GetY() const = 0;
  virtual float GetZ() const = 0;
  virtual bool IsPresent() const = 0;
  // The inanimate kind of an inanimate unit (2 = target reference point); -1 for others.
  virtual int32_t GetInanimateKind() const = 0;

  // ---- What a collapsing building and a hidden crater ask of a unit ----

  // Height above the ground: above 0 on an upper floor.
  virtual float GetLevel() const = 0;
  virtual void SetLevel(float level) = 0;
  virtual bool IsAlive() const = 0;
  virtual bool CanMove() const = 0;
  // Alive and not panicked, broken or routed.
  virtual bool CanFight() const = 0;
  virtual bool IsIdentified() const = 0;
  // How well the side in play knows the unit: 2 and above the unit may be selected.
  virtual int32_t GetIdentificationLevel() const { return 2; }
  // The fine type under the unit.
  virtual int32_t GetTerrainHere() const = 0;
  // A main weapon of type 2, 3 or 4 (asked with its flag set), of type 5.
  virtual bool HasMainWeaponOfType23(bool flag) const = 0;
  virtual bool HasMainWeaponOfType5() const = 0;
  virtual int32_t GetMenPresent() const = 0;
  virtual void MarkStateChanged() = 0;
  virtual void MarkBurntOut() = 0;
  virtual void Eliminate() = 0;
  virtual void SetPosition(float x, float y) = 0;
  // Infantry: withdraw toward the own map edge; roll count hits at the chance.
  virtual void RetreatTowardFriendlyEdge() = 0;
  virtual void TakeCasualties(int32_t count, float chance) = 0;
  virtual void BailOutCrew() = 0;
  // Area fire at a point, and stopping it.
  virtual bool IsAreaFiring(float& targetX, float& targetY) const = 0;
  virtual void StopAreaFire() = 0;
  // The stored waypoints: point, and whether it lies on an upper floor; lowering one to the
  // ground clears that and gives it the height.
  virtual int32_t GetWaypointCount() const = 0;
  virtual void GetWaypoint(int32_t index, float& x, float& y, bool& upperLevel) const = 0;
  virtual void LowerWaypoint(int32_t index, float z) = 0;
  // Whether the unit sees the point on the ground.
  virtual bool LineOfSightToPoint(float x, float y) const = 0;
  // The 3-D distance from the unit's base to the point on the ground, metres.
  virtual float DistanceToPoint(float x, float y) const = 0;

  // Whether the view is one of the battle's unit objects (the unit code's own class answers
  // yes): a cheaper test than a cast for the walks over the battle's units.
  virtual bool IsUnitObject() const { return false; }

  // ---- What sight lines and the visibility cache read of a unit ----

  // A vehicle whose state makes it block sight lines.
  virtual bool BlocksSight() const { return false; }
  // A vehicle's size in metres: the radius of the circle in which it hides a sight line. Only
  // a vehicle blocks sight, so only it answers; for any other unit 0 is the answer wanted.
  virtual float GetVehicleSize() const { return 0.0f; }
  // The last time slice in which the unit moved, -1 at the start of a turn.
  virtual int32_t GetLastMovingSlice() const { return -1; }

  // ---- What the battlefield camera reads of the unit the view is locked on ----
  // The facing the camera follows, degrees (a vehicle's turret angle).
  virtual float GetViewFacing() const { return 0.0f; }
  // Whether the unit keeps the view lock when dead.
  virtual bool CanStayInView() const { return true; }

  // ---- What the building pass asks of the unit ----
  // Marks the buildings the unit's soldiers stand in or are about to enter (Map::MarkBuildingAt);
  // units other than infantry mark none.
  virtual void MarkOccupiedBuildings(Map& /*map*/) {}
  // ---- End of the building pass ----

  bool IsInfantry() const { return GetUnitKind() == kInfantry; }
  bool IsVehicle() const { return GetUnitKind() == kVehicle; }
  bool IsAxis() const { return GetSideByte() == 1; }
  // The index of per-side tables: 0 Axis, 1 Allied.
  int32_t GetSideIndex() const { return 1 - GetSideByte(); }
};
