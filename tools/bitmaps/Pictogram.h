#pragma once
#include <cairo.h>

#include <string>

#include "Painter.h"

// The interface's vector pictograms, each drawn on a 16 x 16 grid scaled to the square of
// the given side with its top-left corner at (x, y): man, squad, gun, mortar, tank, truck,
// ammunition, clock, flag, wheel, track, binoculars, grenade, hatch, warning, the arrows and
// camera moves, the replay controls, the editor's tools and the bars of a level.
class Pictogram {
 public:
  static bool Known(const std::string& name);
  // level is used by "bars" (0 to 8 bars lit).
  static void Draw(cairo_t* cr, const std::string& name, double x, double y, double side, Painter::Colour ink,
                   int level = 0);
};
