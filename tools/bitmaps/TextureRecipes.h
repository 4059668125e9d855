#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "BitmapCatalogue.h"

// The recipes that draw the battlefield's 3-D textures: terrain bands, tile pieces, trees,
// sky, building walls and roofs, bridge sides, fire and smoke, effects and markers, unit
// badges and flags, equipment, faces, uniforms, obstacles and running gear. Every texture
// depends only on its row, so the rows can be drawn on several threads at once.
class TextureRecipes {
 public:
  // How far in from the bitmap's edges the map lays the corners of a tile piece of any
  // ground but the raised ways, and the outer edges of a terrain band's square; such
  // textures are drawn to fill that window.
  static constexpr double kPieceInset = 0.012;
  // Whether the recipe is one of these.
  static bool Known(const std::string& recipe);
  // Whether the row's arguments are the recipe's own with valid values and the recipe has
  // what it needs; otherwise false with the reason.
  static bool Check(const BitmapCatalogue::Row& row, std::string& reason);
  // The row's texture as 0x00RRGGBB pixels, rows from the top. The renderer maps v = 0 to
  // the bottom row, so whatever stands on the ground is drawn standing on the bottom row.
  static std::vector<uint32_t> Draw(const BitmapCatalogue::Row& row);
};
