#pragma once
#include <cstdint>

// The key timing of the soldier figures' animation cycles: for each figure kind (0..11 the
// class records' kinds, 12 surrendered, 13 out of action, 14 dead) and posture (0..9) the
// number of keys in the cycle (2..18) and each key's duration in milliseconds (at least 2).
// The values come from data/animation/timing.txt, compiled at build time; the key poses, the
// 20 joint angles of every key in the order the figure drawing reads them, from
// data/animation/poses.txt.
class InfantryAnimation {
 public:
  static constexpr int32_t kKinds = 15;
  static constexpr int32_t kPostures = 10;
  static constexpr int32_t kMaxKeys = 18;
  static constexpr int32_t kJoints = 20;
  static constexpr int32_t kSurrenderedKind = 12;
  static constexpr int32_t kOutOfActionKind = 13;
  static constexpr int32_t kDeadKind = 14;

  static const int32_t kKeyCount[kKinds][kPostures];
  static const int32_t kKeyDuration[kKinds][kPostures][kMaxKeys];
  static const float kKeyPose[kKinds][kPostures][kMaxKeys][kJoints];
};
