#pragma once
#include <cmath>
#include <cstdint>

#include "framework/core/GDynamicArray.h"

// Small helpers of the computer player's planning that sit with the map.

// True for the terrain types 36 to 44: the dirt and paved joins, paved roads and pavement.
inline bool IsPavedTerrain(int32_t type) { return type >= 36 && type <= 44; }

// x to the power y, through the double-precision power and narrowed back, the same on every
// machine.
inline float FloatPow(float x, float y) {
  return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y)));
}

// The element of a grid at (column, row), or null outside it.
inline uint8_t* GetGridCellSafe(GDynamicArray& grid, int32_t column, int32_t row) {
  return grid.IsValidIndex(row, column) ? grid.ElementPtr(row, column) : nullptr;
}
