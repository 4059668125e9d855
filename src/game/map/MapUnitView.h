#pragma once
#include <cstdint>

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
  // Identified (identification level 2 or more): the other side knows what the unit is.
  virtual bool IsIdentified() const = 0;
};
