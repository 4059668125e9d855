#pragma once
#include <cstdint>

// A unit as the path finder sees it: the side it plans for, the cost grid its routes are
// searched on and whether it may stand at the destination. The unit model implements it;
// tests supply fakes.
class MapPathUnit {
 public:
  virtual ~MapPathUnit() = default;

  // 1 for the Axis, 0 for the Allies.
  virtual int32_t GetSideByte() const = 0;
  // 0 and 1 on foot, 2 to 4 vehicles.
  virtual int32_t GetMoveClass() const = 0;
  // The placement test at a point in metres; mapTest also asks the ground to allow it.
  virtual bool CanStandAt(float x, float y, bool mapTest) = 0;
};
