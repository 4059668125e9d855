#pragma once
#include <cstdint>

// The small fixed shapes of a gun's fire: the flash model of coloured fans, the two crossed
// flash quads a unit draws at its muzzle, and the smoke puff after the shot. Each is drawn
// through the renderer (gGraph3D) at the current transform; the barrel points along +Y and
// up is +Z. The unit's muzzle flash and the battlefield's effects draw with them.
class MuzzleFlashModel {
 public:
  static constexpr int32_t kFans = 65;
  static constexpr int32_t kTriangles = 2;

  // The flash model: 65 coloured fans of 2 to 6 triangles and two single triangles, back-face
  // culling off while it draws (its state is restored); clip is passed to every fan.
  static void Draw(bool clip);
  // The triangles of fan i (2..6).
  static int32_t FanTriangles(int32_t fan);
  // Two textured quads crossed along the barrel, from the muzzle out to y = 1 and 0.5 wide,
  // with the bound texture.
  static void DrawCrossedQuads();
  // A puff 0.04 across (the flash model's order of size): two crossed octagonal fans in the
  // current colour.
  static constexpr float kPuffRadius = 0.02f;
  static void DrawSmokePuff();
};
