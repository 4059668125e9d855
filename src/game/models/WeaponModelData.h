#pragma once
#include <cstdint>

// The compiled weapon models (generated from data/weapon_models by make_weapon_models). Each
// model is a list of steps, two int16 each (operation, argument), and one block of floats:
// every vertex array (x, y, z) of its fans, strips and triangles back to back in drawing
// order, then every texture-coordinate array (u, v) in the same order, then its constants:
// the pivot, the negated pivot, the muzzle distance and the inline triangles' 15 values each.
struct WeaponModelData {
  enum Op : int16_t {
    kBind = 0,       // argument: texture slot 0..16
    kFan = 1,        // argument: triangles
    kStrip = 2,      // argument: triangles
    kTriangle = 3,
    kInline = 4,
    kSave = 5,
    kRestore = 6,
    kTurnBack = 7,
    kElevate = 8,
    kFlash = 9,
    kRecoil = 10,
  };
  static constexpr int32_t kPivot = 0;         // scalar offsets
  static constexpr int32_t kNegatedPivot = 3;
  static constexpr int32_t kMuzzle = 6;
  static constexpr int32_t kFirstInline = 7;
  static constexpr int32_t kInlineValues = 15;

  const int16_t* steps;
  int32_t stepCount;  // operations (pairs)
  const float* block;
  int32_t blockSize;
  int32_t uvStart;
  int32_t scalarStart;

  static const WeaponModelData kModels[23];
};
