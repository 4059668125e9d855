#pragma once
#include <cstdint>

// Where a unit's command lines are drawn: the map drawing implements it over the terrain.
class CommandLineCanvas {
 public:
  virtual ~CommandLineCanvas() = default;
  // Line styles of command lines: to the commanding leader, to the platoon leader.
  static constexpr int32_t kCommandingStyle = 13;
  static constexpr int32_t kPlatoonStyle = 14;

  virtual void SetLineStyle(int32_t style) = 0;
  // A line over the terrain between two points at their base heights.
  virtual void DrawTerrainLine(int32_t layer, int32_t mode, float x0, float y0, float z0, float x1, float y1, float z1) = 0;
};
