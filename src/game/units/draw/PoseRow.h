#pragma once
// Rows of an infantry figure's pose table: the joints a pose sets, its height and tilt.
#include <cstdint>

enum PoseRow : int32_t {
  kHipSpread1 = 0, kHipSpread2, kHipSwing1, kKnee1, kHipSwing2, kKnee2,
  kShoulderRoll1, kShoulderSwing1, kShoulderTurn1, kElbow1,
  kShoulderRoll2, kShoulderSwing2, kShoulderTurn2, kElbow2,
  kItemTwist, kItemSwing, kItemTurn, kHeadTurn, kHeight, kBodyTilt
};
