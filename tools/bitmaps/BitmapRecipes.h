#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "BitmapCatalogue.h"

class Painter;

// The recipes that draw the catalogue's pictures: panel, background, button, picture-button,
// icon, word, portrait, emblem, sheet and strip-icons, and the 3-D textures of TextureRecipes.
// font-tool rows name the font tool, which draws them itself.
class BitmapRecipes {
 public:
  // Whether the row's recipe is known and its arguments are the recipe's own with valid
  // values; otherwise false with the reason.
  static bool Check(const BitmapCatalogue::Row& row, std::string& reason);
  // Whether this tool draws the row (every recipe but font-tool).
  static bool Draws(const BitmapCatalogue::Row& row) { return row.recipe != "font-tool"; }
  // The row's picture as 0x00RRGGBB pixels, rows from the top. The catalogue gives the faces
  // that panels showing buttons in their normal state share with the buttons' own pictures.
  static std::vector<uint32_t> Draw(const BitmapCatalogue::Row& row, const BitmapCatalogue& catalogue);
  // The vehicle marking of an army (german, us, british, canadian, polish, french) on its
  // paint colour, filling the rectangle; the badges and flags of the textures share it.
  static void DrawEmblem(Painter& p, const std::string& army, double x, double y, double w, double h);
};
