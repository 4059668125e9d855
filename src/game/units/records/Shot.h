#pragma once
#include <cstdint>

class Unit;

// A round or burst in flight: the battle carries it until its slice falls due and then works
// out its effect. The firing code fills it and hands it over through UnitServices::FileShot.
struct Shot {
  Unit* shooter = nullptr;
  Unit* targetUnit = nullptr;
  // The slice the effect falls due.
  int32_t dueSlice = 0;
  // The shooter's side byte (1 Axis).
  uint8_t side = 0;
  int32_t fireType = 0;
  int32_t weapon = 0;
  int32_t ammoKind = 0;
  uint8_t airplaneTarget = 0;
  float shooterX = 0.0f;
  float shooterY = 0.0f;
  float shooterZ = 0.0f;
  float targetX = 0.0f;
  float targetY = 0.0f;
  float targetZ = 0.0f;
  float impactX = 0.0f;
  float impactY = 0.0f;
  float impactZ = 0.0f;
  // Small arms: the firepower at the range and the close-range bonus.
  float firepower = 0.0f;
  int32_t closeRangeBonus = 0;
  // A shell that hit its armoured target, and the hit quality.
  uint8_t hit = 0;
  float hitQuality = 0.0f;
  // Small arms (the kind-2 effect), area fire, and the 3-in-4 mark of light indirect fire.
  uint8_t smallArms = 0;
  uint8_t areaFire = 0;
  uint8_t marked = 0;
  // As the battle works the hit out on a unit: the shot's kind 0..8 (0 a fixed-strength
  // explosion, 1-5 and 8 weapon fire, 6 a weak blast, 7 a blast falling with distance), the
  // flag of its source object (set: a blast from behind turns infantry toward it) and its
  // second impact flag (set: a fixed-strength or falling blast can knock out a crew weapon).
  int32_t kind = 0;
  uint8_t sourceFlag = 0;
  uint8_t secondImpact = 0;
};
