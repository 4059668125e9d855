#include "Pictogram.h"

#include <cmath>

namespace {

const char* const kNames[] = {"man",        "squad",     "gun",      "mortar",     "tank",       "truck",
                              "ammunition", "clock",     "flag",     "wheel",      "track",      "binoculars",
                              "grenade",    "hatch",     "warning",  "arrow-up",   "arrow-down", "arrow-left",
                              "arrow-right", "turn-left", "turn-right", "forward",  "back",       "left",
                              "right",      "up",        "down",     "box",        "box-lit",    "paint",
                              "elevation",  "zone",      "go",       "bars",       "restart",    "rewind",
                              "pause",      "fast-forward"};

void Figure(cairo_t* cr, double cx, double top, double s) {
  // Head, body, legs and arms of a standing soldier, s = height / 16.
  cairo_arc(cr, cx, top + 2.2 * s, 1.8 * s, 0, 2 * M_PI);
  cairo_fill(cr);
  cairo_move_to(cr, cx - 2.2 * s, top + 4.6 * s);
  cairo_line_to(cr, cx + 2.2 * s, top + 4.6 * s);
  cairo_line_to(cr, cx + 1.8 * s, top + 10 * s);
  cairo_line_to(cr, cx + 2.0 * s, top + 15.5 * s);
  cairo_line_to(cr, cx + 0.6 * s, top + 15.5 * s);
  cairo_line_to(cr, cx, top + 10.5 * s);
  cairo_line_to(cr, cx - 0.6 * s, top + 15.5 * s);
  cairo_line_to(cr, cx - 2.0 * s, top + 15.5 * s);
  cairo_line_to(cr, cx - 1.8 * s, top + 10 * s);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.1 * s);
  cairo_move_to(cr, cx - 2.0 * s, top + 5 * s);
  cairo_line_to(cr, cx - 3.2 * s, top + 9.5 * s);
  cairo_move_to(cr, cx + 2.0 * s, top + 5 * s);
  cairo_line_to(cr, cx + 4.5 * s, top + 3 * s);  // the rifle held up
  cairo_stroke(cr);
}

void Poly(cairo_t* cr, std::initializer_list<double> xy) {
  bool first = true;
  for (auto it = xy.begin(); it != xy.end(); it += 2) {
    if (first)
      cairo_move_to(cr, *it, *(it + 1));
    else
      cairo_line_to(cr, *it, *(it + 1));
    first = false;
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

void Arrow(cairo_t* cr, double angle) {
  cairo_save(cr);
  cairo_translate(cr, 8, 8);
  cairo_rotate(cr, angle);
  Poly(cr, {0, -7, 6.5, 0, 2.5, 0, 2.5, 7, -2.5, 7, -2.5, 0, -6.5, 0});
  cairo_restore(cr);
}

void Turn(cairo_t* cr, bool left) {
  cairo_save(cr);
  if (left) {
    cairo_translate(cr, 16, 0);
    cairo_scale(cr, -1, 1);
  }
  cairo_set_line_width(cr, 2.4);
  cairo_arc(cr, 8, 9, 5.2, M_PI * 0.95, M_PI * 1.85);
  cairo_stroke(cr);
  Poly(cr, {15.2, 4.2, 11.0, 1.6, 10.0, 7.6});
  cairo_restore(cr);
}

void Tank(cairo_t* cr) {
  cairo_rectangle(cr, 1, 9, 14, 4.5);  // hull and tracks
  cairo_fill(cr);
  cairo_rectangle(cr, 4.5, 5.5, 6.5, 3.5);  // turret
  cairo_fill(cr);
  cairo_rectangle(cr, 11, 6.5, 5, 1.3);  // gun
  cairo_fill(cr);
}

}  // namespace

bool Pictogram::Known(const std::string& name) {
  for (const char* n : kNames)
    if (name == n) return true;
  return false;
}

void Pictogram::Draw(cairo_t* cr, const std::string& name, double x, double y, double side, Painter::Colour ink,
                     int level) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, side / 16.0, side / 16.0);
  cairo_set_source_rgb(cr, ink.r, ink.g, ink.b);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  if (name == "man") {
    Figure(cr, 7, 0.3, 1.0);
  } else if (name == "squad") {
    Figure(cr, 4, 2.5, 0.82);
    Figure(cr, 12, 2.5, 0.82);
    Figure(cr, 8, 0.3, 0.95);
  } else if (name == "gun") {
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, 1, 12.5);
    cairo_line_to(cr, 15, 6);  // barrel
    cairo_stroke(cr);
    Poly(cr, {3, 8, 9, 6, 9, 11, 3, 12});  // shield
    cairo_arc(cr, 6, 13, 2.6, 0, 2 * M_PI);
    cairo_set_line_width(cr, 1.3);
    cairo_stroke(cr);
    cairo_move_to(cr, 6, 13);
    cairo_line_to(cr, 1, 15.5);
    cairo_stroke(cr);
  } else if (name == "mortar") {
    cairo_set_line_width(cr, 2.6);
    cairo_move_to(cr, 5, 13);
    cairo_line_to(cr, 11, 2);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, 9, 6.5);
    cairo_line_to(cr, 13, 14);
    cairo_stroke(cr);
    cairo_rectangle(cr, 1.5, 13, 8, 2);
    cairo_fill(cr);
  } else if (name == "tank") {
    Tank(cr);
  } else if (name == "truck") {
    cairo_rectangle(cr, 1, 4, 9, 7.5);
    cairo_fill(cr);
    Poly(cr, {10.5, 6.5, 13.5, 6.5, 15.5, 9, 15.5, 11.5, 10.5, 11.5});
    cairo_arc(cr, 4, 13, 2.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, 12.5, 13, 2.2, 0, 2 * M_PI);
    cairo_fill(cr);
  } else if (name == "ammunition") {
    for (int i = 0; i < 3; ++i) {
      const double cx = 3.5 + i * 4.5;
      cairo_rectangle(cr, cx - 1.5, 6, 3, 9);
      cairo_fill(cr);
      cairo_move_to(cr, cx - 1.5, 6);
      cairo_curve_to(cr, cx - 1.5, 2, cx + 1.5, 2, cx + 1.5, 6);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
  } else if (name == "clock") {
    cairo_set_line_width(cr, 1.6);
    cairo_arc(cr, 8, 8, 6.3, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_move_to(cr, 8, 8);
    cairo_line_to(cr, 8, 3.5);
    cairo_move_to(cr, 8, 8);
    cairo_line_to(cr, 11.5, 9.5);
    cairo_stroke(cr);
  } else if (name == "flag") {
    cairo_set_line_width(cr, 1.4);
    cairo_move_to(cr, 3, 15.5);
    cairo_line_to(cr, 3, 1);
    cairo_stroke(cr);
    Poly(cr, {3.7, 1.5, 14.5, 3.5, 11.5, 5.8, 14.5, 8.2, 3.7, 9.5});
  } else if (name == "wheel") {
    cairo_set_line_width(cr, 2.2);
    cairo_arc(cr, 8, 8, 6, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.1);
    for (int i = 0; i < 6; ++i) {
      const double a = i * M_PI / 3;
      cairo_move_to(cr, 8, 8);
      cairo_line_to(cr, 8 + 5.5 * std::cos(a), 8 + 5.5 * std::sin(a));
    }
    cairo_stroke(cr);
    cairo_arc(cr, 8, 8, 1.8, 0, 2 * M_PI);
    cairo_fill(cr);
  } else if (name == "track") {
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 3.5, 4.5);
    cairo_line_to(cr, 12.5, 4.5);
    cairo_arc(cr, 12.5, 8.5, 4, -M_PI / 2, M_PI / 2);
    cairo_line_to(cr, 3.5, 12.5);
    cairo_arc(cr, 3.5, 8.5, 4, M_PI / 2, M_PI * 1.5);
    cairo_close_path(cr);
    cairo_stroke(cr);
    for (int i = 0; i < 4; ++i) {
      cairo_arc(cr, 3.5 + i * 3, 8.5, 1.3, 0, 2 * M_PI);
      cairo_fill(cr);
    }
  } else if (name == "binoculars") {
    cairo_arc(cr, 4.5, 10, 3.5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_arc(cr, 11.5, 10, 3.5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, 2, 3, 5, 7);
    cairo_fill(cr);
    cairo_rectangle(cr, 9, 3, 5, 7);
    cairo_fill(cr);
    cairo_rectangle(cr, 6, 5, 4, 3);
    cairo_fill(cr);
  } else if (name == "grenade") {
    cairo_arc(cr, 8, 10, 5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, 6, 2.5, 4, 3.5);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, 10, 3.5);
    cairo_line_to(cr, 13.5, 6);
    cairo_stroke(cr);
  } else if (name == "hatch") {
    cairo_set_line_width(cr, 1.8);
    cairo_arc(cr, 8, 9, 6, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_arc(cr, 8, 9, 3.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_rectangle(cr, 6.5, 1, 3, 3);
    cairo_fill(cr);
  } else if (name == "warning") {
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, 8, 1.2);
    cairo_line_to(cr, 15.2, 14.8);
    cairo_line_to(cr, 0.8, 14.8);
    cairo_close_path(cr);
    cairo_stroke(cr);
    cairo_rectangle(cr, 7.1, 5.5, 1.8, 5.2);
    cairo_fill(cr);
    cairo_rectangle(cr, 7.1, 11.8, 1.8, 1.8);
    cairo_fill(cr);
  } else if (name == "arrow-up" || name == "forward") {
    Arrow(cr, 0);
  } else if (name == "arrow-right" || name == "right") {
    Arrow(cr, M_PI / 2);
  } else if (name == "arrow-down" || name == "back") {
    Arrow(cr, M_PI);
  } else if (name == "arrow-left" || name == "left") {
    Arrow(cr, -M_PI / 2);
  } else if (name == "turn-left" || name == "turn-right") {
    Turn(cr, name == "turn-left");
  } else if (name == "up" || name == "down") {
    // Camera height: a figure of a camera post with an arrow up or down beside it.
    cairo_rectangle(cr, 2, 14, 7, 1.6);
    cairo_fill(cr);
    cairo_rectangle(cr, 4.7, 4, 1.6, 10);
    cairo_fill(cr);
    cairo_rectangle(cr, 2.5, 2, 6, 3.5);
    cairo_fill(cr);
    if (name == "up")
      Poly(cr, {12.5, 2, 16, 7, 14, 7, 14, 14, 11, 14, 11, 7, 9, 7});
    else
      Poly(cr, {12.5, 14, 16, 9, 14, 9, 14, 2, 11, 2, 11, 9, 9, 9});
  } else if (name == "box" || name == "box-lit") {
    cairo_set_line_width(cr, 1.5);
    cairo_rectangle(cr, 3, 3, 10, 10);
    cairo_stroke(cr);
    if (name == "box-lit") {
      cairo_rectangle(cr, 5.5, 5.5, 5, 5);
      cairo_fill(cr);
    }
  } else if (name == "paint") {
    cairo_save(cr);
    cairo_translate(cr, 8, 8);
    cairo_rotate(cr, M_PI / 4);
    cairo_rectangle(cr, -1.2, -8, 2.4, 8);
    cairo_fill(cr);
    Poly(cr, {-2.8, 0, 2.8, 0, 2.2, 6, 0, 8, -2.2, 6});
    cairo_restore(cr);
  } else if (name == "elevation") {
    Poly(cr, {0.5, 14.5, 6, 4, 9, 9, 11, 6, 15.5, 14.5});
  } else if (name == "zone") {
    cairo_set_line_width(cr, 1.4);
    const double dashes[] = {2.0, 1.6};
    cairo_set_dash(cr, dashes, 2, 0);
    cairo_rectangle(cr, 2, 2, 12, 12);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_rectangle(cr, 5, 5, 6, 6);
    cairo_fill(cr);
  } else if (name == "go") {
    Poly(cr, {3, 1.5, 14.5, 8, 3, 14.5});
  } else if (name == "bars") {
    for (int i = 0; i < 8; ++i) {
      const double h = 3 + i * 1.6;
      cairo_rectangle(cr, 0.5 + i * 1.95, 15.5 - h, 1.5, h);
      if (i < level)
        cairo_fill(cr);
      else {
        cairo_set_line_width(cr, 0.5);
        cairo_stroke(cr);
      }
    }
  } else if (name == "restart") {
    cairo_rectangle(cr, 2, 3, 2.2, 10);
    cairo_fill(cr);
    Poly(cr, {14, 3, 14, 13, 5, 8});
  } else if (name == "rewind") {
    Poly(cr, {8, 3, 8, 13, 1, 8});
    Poly(cr, {15, 3, 15, 13, 8, 8});
  } else if (name == "pause") {
    cairo_rectangle(cr, 4, 3, 3, 10);
    cairo_fill(cr);
    cairo_rectangle(cr, 9, 3, 3, 10);
    cairo_fill(cr);
  } else if (name == "fast-forward") {
    Poly(cr, {1, 3, 1, 13, 8, 8});
    Poly(cr, {8, 3, 8, 13, 15, 8});
  }
  cairo_restore(cr);
}
