#pragma once
#include <cstdint>

// What the squad drawing hands its figure routines for the man being drawn: which face and
// uniform he wears, which appearance record supplies the pictures, and the one-shot pose flags
// a crew position sets. Valid during one squad drawing; the pose flags are cleared at its end
// and whoever clears UseOwnFaceVariants sets it again.
struct InfantryDrawState {
  // Face picture 0..11 of the man being drawn.
  int32_t CurrentFaceVariant = 0;
  // Nationality code whose headgear, helmet colour, trousers and boots are drawn.
  int32_t CurrentUniformCode = 0;
  // 0: the unit's own record (fully identified or preset faces), 1: its kind group's.
  int32_t CurrentAppearanceIndex = 0;
  // Set: every man takes his face from the unit; clear: the caller set CurrentFaceVariant.
  uint8_t UseOwnFaceVariants = 1;
  // The legs are left out.
  uint8_t PoseHidesLegs = 0;
  // The arms, the carried item and the legs are left out.
  uint8_t PoseHidesArms = 0;
  // The carried item is the crew position's item whatever the man carries.
  uint8_t PoseForcesItem = 0;
};
