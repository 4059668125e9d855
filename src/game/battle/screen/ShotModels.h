#pragma once
#include <array>
#include <cstdint>

// The small coloured models of shots in flight and the trail's puff, x along the line of fire,
// as fans (centre first), strips and quads of points (x, y, z). Fans and strips of 4 and 8
// triangles.
class ShotModels {
 public:
  using Fan = std::array<float, 6 * 3>;
  using Strip = std::array<float, 10 * 3>;
  using Quad = std::array<float, 4 * 3>;

  // A: a pointed projectile, 6 long, 2 by 2 in section.
  static constexpr Fan kATip{3, 0, 0, 0, -1, 1, 0, 1, 1, 0, 1, -1, 0, -1, -1, 0, -1, 1};
  static constexpr Strip kABody{-3, -1, 1, 0, -1, 1, -3, -1, -1, 0, -1, -1, -3, 1, -1,
                                0,  1,  -1, -3, 1, 1, 0, 1,  1,  -3, -1, 1, 0,  -1, 1};
  static constexpr Quad kABase{-3, 1, -1, -3, 1, 1, -3, -1, 1, -3, -1, -1};
  // B: a body pointed at both ends, 4 long.
  static constexpr Fan kBFront{2, 0, 0, 1, -1, 1, 1, 1, 1, 1, 1, -1, 1, -1, -1, 1, -1, 1};
  static constexpr Fan kBBack{-2, 0, 0, -1, -1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1, -1, -1};
  static constexpr Strip kBBody{-1, -1, 1, 1, -1, 1, -1, -1, -1, 1, -1, -1, -1, 1, -1,
                                1,  1,  -1, -1, 1, 1, 1, 1,  1,  -1, -1, 1, 1,  -1, 1};
  // The rod behind B.
  static constexpr Strip kRod{-5,   -0.4f, 0.4f, -1, -0.4f, 0.4f,  -5,   -0.4f, -0.4f, -1,
                              -0.4f, -0.4f, -5,  0.4f, -0.4f, -1,   0.4f, -0.4f, -5,    0.4f,
                              0.4f,  -1,    0.4f, 0.4f, -5,   -0.4f, 0.4f, -1,   -0.4f, 0.4f};
  // The slab's two end faces (its sides are B's strip).
  static constexpr Quad kSlabFront{1, -1, 1, 1, 1, 1, 1, 1, -1, 1, -1, -1};
  static constexpr Quad kSlabBack{-1, -1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1};
  // The trail's puff: two fans of 4 about the local z axis.
  static constexpr Fan kPuffTop{0, 0, 1, 1, -1, 0, -1, -1, 0, -1, 1, 0, 1, 1, 0, 1, -1, 0};
  static constexpr Fan kPuffBottom{0, 0, -1, 1, 1, 0, -1, 1, 0, -1, -1, 0, 1, -1, 0, 1, 1, 0};

  // Each draws in the current colour at the current transform.
  static void DrawA();
  static void DrawB();
  static void DrawRod();
  static void DrawSlab();
  static void DrawPuff();
};
