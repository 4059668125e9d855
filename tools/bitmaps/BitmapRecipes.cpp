#include "BitmapRecipes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "Painter.h"
#include "Pictogram.h"
#include "TerrainSheet.h"
#include "TextureRecipes.h"
#include "game/map/Building.h"

namespace {

using Colour = Painter::Colour;
using Row = BitmapCatalogue::Row;

const Colour kOlive{0.33, 0.36, 0.21};
const Colour kKhaki{0.64, 0.59, 0.40};
const Colour kSteel{0.40, 0.43, 0.45};
const Colour kRed{0.52, 0.14, 0.11};
const Colour kDark{0.16, 0.17, 0.13};
const Colour kPaper{0.84, 0.80, 0.65};
const Colour kCream{0.93, 0.89, 0.74};
const Colour kInk{0.10, 0.10, 0.08};

struct RecipeArguments {
  const char* recipe;
  std::set<std::string> args;
};
const RecipeArguments kRecipes[] = {
    {"panel", {"style", "tone", "title", "buttons"}},
    {"background", {"style", "title"}},
    {"button", {"label", "icon", "tone", "emblem", "state"}},
    {"picture-button", {"icon", "state", "label"}},
    {"icon", {"icon", "tone", "label", "level", "style"}},
    {"word", {"label"}},
    {"portrait", {"figure", "army"}},
    {"emblem", {"army"}},
    {"sheet", {}},
    {"strip-icons", {"set"}},
    {"font-tool", {"face"}},
};
const std::set<std::string> kPanelStyles = {"unit",   "overview", "frame",     "header",    "camera",
                                            "strip",  "replay",   "lamp",      "network",   "editor",
                                            "filler", "briefing", "dialog",    "save",      "list-head",
                                            "list-row", "list-foot", "helpline", "plate"};
const std::set<std::string> kBackgroundStyles = {"main", "editor", "purchase", "plate", "options", "loading"};
const std::set<std::string> kArmies = {"german", "us", "british", "canadian", "polish", "french"};
const std::set<std::string> kStates = {"normal", "pressed", "hover", "disabled", "lit"};
const std::set<std::string> kIconStyles = {"stick"};
constexpr int32_t kFigures = 27;

std::string Arg(const Row& row, const char* name, const std::string& otherwise = "") {
  auto it = row.args.find(name);
  return it == row.args.end() ? otherwise : it->second;
}

Colour ToneOf(const Row& row, const Colour& otherwise) {
  Colour c = otherwise;
  const std::string tone = Arg(row, "tone");
  if (!tone.empty()) Painter::Tone(tone, c);
  return c;
}

// The bright ink of a pictogram of a tone, for art on the dark plates of the panels.
Colour Ink(const Colour& tone) { return Painter::Mix(tone, {1, 1, 0.9}, 0.45); }

// --- buttons --------------------------------------------------------------------------

enum class State { kNormal, kPressed, kDisabled, kHover, kLit };

State StateOf(const std::string& s) {
  if (s == "pressed") return State::kPressed;
  if (s == "disabled") return State::kDisabled;
  if (s == "hover") return State::kHover;
  if (s == "lit") return State::kLit;
  return State::kNormal;
}

void Emblem(Painter& p, const std::string& army, double x, double y, double w, double h);
void Disc(cairo_t* cr, double cx, double cy, double r, Colour c);
void Roundel(cairo_t* cr, double cx, double cy, double r);

// One face of a button: a bevelled plate with its caption, pictogram or emblem. Pressed is
// one pixel down, darker and sunk; disabled greyed; hover and lit brighter with a light rim.
void ButtonFace(Painter& p, double x, double y, double w, double h, Colour base, const std::string& label,
                const std::string& icon, const std::string& emblem, State state, int32_t seed) {
  cairo_t* cr = p.Cr();
  cairo_save(cr);
  cairo_rectangle(cr, x, y, w, h);
  cairo_clip(cr);
  Colour face = base;
  Colour ink = kCream;
  if (state == State::kPressed) face = Painter::Shade(base, 0.78);
  if (state == State::kDisabled) {
    const double grey = (base.r + base.g + base.b) / 3.0;
    face = Painter::Mix(base, {grey, grey, grey}, 0.8);
    ink = Painter::Mix({grey, grey, grey}, {0.75, 0.75, 0.72}, 0.5);
  }
  if (state == State::kHover || state == State::kLit) {
    face = Painter::Mix(base, {1, 0.95, 0.7}, 0.18);
    ink = {1.0, 0.93, 0.55};
  }
  const double depth = std::max(1.0, std::min(3.0, std::floor(std::min(w, h) / 10.0)));
  p.Grain(x, y, w, h, face, state == State::kDisabled ? 0.04 : 0.10, 14.0, seed);
  p.Bevel(x, y, w, h, depth, state == State::kPressed);
  if (state == State::kHover || state == State::kLit) {
    p.SetColour({1, 0.9, 0.5}, 0.9);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, x + depth + 0.5, y + depth + 0.5, w - 2 * depth - 1, h - 2 * depth - 1);
    cairo_stroke(cr);
  }
  // Pressed art moves one pixel down and right.
  const double off = state == State::kPressed ? 1.0 : 0.0;
  const double ix = x + depth + 1 + off, iy = y + depth + 1 + off;
  const double iw = w - 2 * depth - 2, ih = h - 2 * depth - 2;
  double textX = ix + iw / 2.0, textW = iw - 2;
  if (!emblem.empty()) {
    const double eh = label.empty() ? ih : ih * 0.62;
    const double ew = std::min(iw, eh * 1.6);
    Emblem(p, emblem, ix + (iw - ew) / 2, iy + 1, ew, eh - 2);
    if (state == State::kDisabled) {
      p.SetColour(face, 0.6);
      cairo_rectangle(cr, ix, iy, iw, eh);
      cairo_fill(cr);
    }
    if (!label.empty())
      p.Text(label, textX, iy + eh + (ih - eh) / 2.0, std::min(18.0, (ih - eh) * 0.8), textW, ink,
             Painter::Face::kSansBold, 0, true, state != State::kDisabled);
  } else if (!icon.empty()) {
    if (label.empty()) {
      const double side = std::min(iw, ih) * 0.86;
      Pictogram::Draw(cr, icon, ix + (iw - side) / 2, iy + (ih - side) / 2, side, ink);
    } else if (ih > 60) {  // a tall button: the pictogram above the caption
      const double side = ih * 0.5;
      Pictogram::Draw(cr, icon, ix + (iw - side) / 2, iy + ih * 0.1, side, ink);
      p.Text(label, textX, iy + ih * 0.8, std::min(16.0, ih * 0.16), textW, ink, Painter::Face::kSansBold, 0, true,
             state != State::kDisabled);
    } else {
      const double side = ih * 0.8;
      Pictogram::Draw(cr, icon, ix + 2, iy + (ih - side) / 2, side, ink);
      textX = ix + side + 4 + (iw - side - 4) / 2.0;
      textW = iw - side - 6;
      p.Text(label, textX, iy + ih / 2.0, std::min(18.0, ih * 0.6), textW, ink, Painter::Face::kSansBold, 0, true,
             state != State::kDisabled);
    }
  } else if (!label.empty()) {
    p.Text(label, textX, iy + ih / 2.0, std::min(22.0, ih * 0.6), textW, ink, Painter::Face::kSansBold, 0, true,
           state != State::kDisabled);
  }
  cairo_restore(cr);
}

// The frames of a strip style, top to bottom.
std::vector<State> Frames(int32_t style) {
  switch (style) {
    case 0:
    case 1:
      return {State::kNormal, State::kPressed};
    case 2:
      return {State::kNormal, State::kPressed, State::kDisabled};
    case 3:
      return {State::kNormal, State::kPressed, State::kHover};
    case 4:
      return {State::kNormal, State::kPressed, State::kDisabled, State::kHover};
    case 6:
      return {State::kPressed};  // shown only while pressed
    default:
      return {State::kNormal};
  }
}

void Button(Painter& p, const Row& row) {
  const Colour base = ToneOf(row, kOlive);
  const std::string label = Arg(row, "label"), icon = Arg(row, "icon"), emblem = Arg(row, "emblem");
  if (row.strip < 0) {
    ButtonFace(p, 0, 0, row.width, row.height, base, label, icon, emblem, StateOf(Arg(row, "state", "normal")),
               row.number);
    return;
  }
  const std::vector<State> frames = Frames(row.strip);
  const int32_t fh = row.height / static_cast<int32_t>(frames.size());
  for (size_t i = 0; i < frames.size(); ++i)
    ButtonFace(p, 0, static_cast<double>(i) * fh, row.width, fh, base, label, icon, emblem, frames[i], row.number);
}

void PictureButton(Painter& p, const Row& row) {
  ButtonFace(p, 0, 0, row.width, row.height, kSteel, Arg(row, "label"), Arg(row, "icon"), "",
             StateOf(Arg(row, "state", "normal")), row.number);
}

// A picture button's face as its parent panel shows it in the normal state.
void NormalFaceOf(Painter& p, const BitmapCatalogue& catalogue, int32_t number, double x, double y) {
  const Row* face = catalogue.Find(number);
  if (face == nullptr) return;
  ButtonFace(p, x, y, face->width, face->height, kSteel, Arg(*face, "label"), Arg(*face, "icon"), "", State::kNormal,
             face->number);
}

// --- emblems --------------------------------------------------------------------------

void Star(cairo_t* cr, double cx, double cy, double r) {
  for (int i = 0; i < 10; ++i) {
    const double a = -M_PI / 2 + i * M_PI / 5;
    const double rr = i % 2 == 0 ? r : r * 0.38;
    if (i == 0)
      cairo_move_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
    else
      cairo_line_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

// The vehicle marking of an army on its paint colour.
void Emblem(Painter& p, const std::string& army, double x, double y, double w, double h) {
  cairo_t* cr = p.Cr();
  const bool german = army == "german";
  const Colour paint = german ? Colour{0.42, 0.45, 0.41} : army == "us" || army == "french" ? Colour{0.36, 0.36, 0.20}
                                                                                           : Colour{0.38, 0.37, 0.24};
  p.Grain(x, y, w, h, paint, 0.14, 9.0, static_cast<int32_t>(army.size()) * 13);
  p.Bevel(x, y, w, h, 1, false);
  const double cx = x + w / 2, cy = y + h / 2, r = std::min(w, h) * 0.42;
  if (german) {
    // The straight-armed cross, black with a white edge.
    const double arm = r * 0.36;
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.93);
    cairo_rectangle(cr, cx - arm - 1.2, cy - r - 1.2, 2 * arm + 2.4, 2 * r + 2.4);
    cairo_rectangle(cr, cx - r - 1.2, cy - arm - 1.2, 2 * r + 2.4, 2 * arm + 2.4);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.06, 0.06, 0.06);
    cairo_rectangle(cr, cx - arm, cy - r, 2 * arm, 2 * r);
    cairo_rectangle(cr, cx - r, cy - arm, 2 * r, 2 * arm);
    cairo_fill(cr);
    return;
  }
  if (army == "british") {
    // The roundel, as the game list's flag of a British force shows it.
    Roundel(cr, cx, cy, r * 1.1);
    return;
  }
  // The Allied white star, ringed, with the army's own flash beside it.
  const double sx = army == "us" ? cx : x + w * 0.36;
  cairo_set_source_rgb(cr, 0.93, 0.93, 0.88);
  cairo_set_line_width(cr, std::max(1.0, r * 0.12));
  cairo_arc(cr, sx, cy, r, 0, 2 * M_PI);
  cairo_stroke(cr);
  Star(cr, sx, cy, r * 0.86);
  if (army == "us") return;
  const double fx = x + w * 0.68, fw = w * 0.24, fh = h * 0.6, fy = cy - fh / 2;
  std::vector<Colour> bands;
  if (army == "canadian") bands = {{0.75, 0.12, 0.1}, {0.93, 0.93, 0.9}, {0.75, 0.12, 0.1}};
  if (army == "polish") bands = {{0.93, 0.93, 0.9}, {0.8, 0.1, 0.15}};
  if (army == "french") bands = {{0.15, 0.2, 0.6}, {0.93, 0.93, 0.9}, {0.8, 0.12, 0.12}};
  const bool across = army != "polish";
  for (size_t i = 0; i < bands.size(); ++i) {
    p.SetColour(bands[i]);
    const double n = static_cast<double>(bands.size());
    if (across)
      cairo_rectangle(cr, fx + fw * i / n, fy, fw / n + 0.3, fh);
    else
      cairo_rectangle(cr, fx, fy + fh * i / n, fw, fh / n + 0.3);
    cairo_fill(cr);
  }
}

// --- panels ---------------------------------------------------------------------------

void Rivets(Painter& p, double w, double h, Colour base, double inset) {
  for (double x : {inset, w - inset})
    for (double y : {inset, h - inset}) p.Rivet(x, y, 2.0, base);
}

void Well(Painter& p, double x, double y, double w, double h, Colour base) {
  p.Grain(x, y, w, h, Painter::Shade(base, 0.55), 0.06, 10.0, static_cast<int32_t>(x * 7 + y));
  p.Bevel(x, y, w, h, 1, true);
}

void Panel(Painter& p, const Row& row, const BitmapCatalogue& catalogue) {
  cairo_t* cr = p.Cr();
  const std::string style = Arg(row, "style", "plate");
  const std::string title = Arg(row, "title");
  const Colour base = ToneOf(row, kOlive);
  const double w = row.width, h = row.height;
  const int32_t seed = row.number;
  if (style == "lamp") {
    const bool lit = Arg(row, "tone") == "red";
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(g, 0, lit ? 1.0 : 0.25, lit ? 0.55 : 0.08, lit ? 0.25 : 0.06);
    cairo_pattern_add_color_stop_rgb(g, 1, lit ? 0.75 : 0.16, lit ? 0.18 : 0.05, lit ? 0.08 : 0.04);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    p.Bevel(0, 0, w, h, 1, true);
    p.Text(title, w / 2, h / 2, 9, w - 4, lit ? Colour{1, 0.96, 0.8} : Colour{0.45, 0.2, 0.15},
           Painter::Face::kSansBold, 0, false, lit);
    return;
  }
  if (style == "frame") {
    p.Grain(0, 0, w, h, Painter::Shade(kOlive, 0.7), 0.06, 8, seed);
    p.SetColour(kKhaki);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    cairo_stroke(cr);
    p.Bevel(1, 1, w - 2, h - 2, 1, true);
    return;
  }
  if (style == "helpline") {
    Well(p, 0, 0, w, h, kDark);
    return;
  }
  const double depth = h >= 60 && w >= 60 ? 3 : h >= 18 ? 2 : 1;
  if (style == "list-head" || style == "list-row" || style == "list-foot") {
    // The list's head, rows and foot stack into one plate: only the outer edges are bevelled.
    const double above = style == "list-head" ? 0 : depth + 1, below = style == "list-foot" ? 0 : depth + 1;
    p.Grain(0, 0, w, h, base, 0.10, 18.0, 1);
    p.Bevel(0, -above, w, h + above + below, depth, false);
  } else {
    p.Plate(0, 0, w, h, base, depth, false, seed);
  }
  if (style == "header") {
    p.Text(title, w / 2 - 10, h / 2, 12, w - 30, kInk, Painter::Face::kSansBold, 0, true, false);
    Well(p, w - 20, 2, 18, h - 4, base);
  } else if (style == "unit" || style == "overview") {
    if (style == "unit") {
      Well(p, 0, 2, 58, 58, base);      // portrait
      Well(p, 58, 4, 124, 20, base);    // name
      Well(p, 104, 44, 256, 18, base);  // weapon line
      Well(p, 58, 66, 300, 16, base);   // terrain line
    } else {
      p.Text("TURN", 146, 10, 9, 40, kCream, Painter::Face::kSansBold, 0, true);
      p.Text("OF", 207, 10, 8, 20, kCream, Painter::Face::kSansBold, 0, true);
      Well(p, 110, 26, 145, 16, base);  // game name
      Well(p, 110, 47, 145, 34, base);  // date, weather, ground
      for (int k = 0; k < 2; ++k) {
        Well(p, 28 + 266 * k, 3, 56, 28, base);  // emblem
        Well(p, 40 + 266 * k, 48, 58, 32, base);  // percentages
      }
    }
    Rivets(p, w, h, base, 4);
  } else if (style == "camera") {
    for (int i = 0; i < 8; ++i) {
      static const int kX[4] = {7, 51, 95, 139};
      NormalFaceOf(p, catalogue, 2000 + i, kX[i < 3 ? i : i == 7 ? 3 : i - 3], i < 3 || i == 7 ? 6 : 48);
    }
  } else if (style == "network") {
    NormalFaceOf(p, catalogue, 2015, 7, 7);
  } else if (style == "replay") {
    static const char* kIcons[4] = {"restart", "rewind", "pause", "fast-forward"};
    static const int kX[4] = {7, 7, 51, 51}, kY[4] = {7, 41, 7, 41};
    for (int i = 0; i < 4; ++i)
      ButtonFace(p, kX[i], kY[i], 40, 30, kSteel, "", kIcons[i], "", State::kNormal, seed + i);
    Well(p, 7, 73, 51, 15, kDark);
    Well(p, 59, 73, 30, 15, kDark);
  } else if (style == "strip") {
    Well(p, 0, 6, 365, 84, base);
    p.SetColour(Painter::Shade(base, 0.5));
    cairo_rectangle(cr, 364, 0, 1, h);
    cairo_rectangle(cr, 546, 0, 1, h);
    cairo_fill(cr);
    for (double x : {4.0, 360.0, 636.0}) p.Rivet(x, 3, 1.6, base);
  } else if (style == "filler") {
    for (double y = 12; y < h - 6; y += 12) {
      p.SetColour(Painter::Shade(base, 0.6));
      cairo_rectangle(cr, 6, y, w - 12, 1);
      cairo_fill(cr);
      p.SetColour(Painter::Mix(base, {1, 1, 1}, 0.25));
      cairo_rectangle(cr, 6, y + 1, w - 12, 1);
      cairo_fill(cr);
    }
    Rivets(p, w, h, base, 5);
  } else if (style == "briefing") {
    Well(p, 5, 5, 130, 130, base);
    // Left of the page number (at x 61, y 144) and of the page count (at y 177).
    p.Text("PAGE", 32, 151, 11, 50, kInk, Painter::Face::kSansBold, 0, false, false);
    p.Text("OF", 32, 184, 11, 50, kInk, Painter::Face::kSansBold, 0, false, false);
    Well(p, 58, 141, 26, 21, kKhaki);
    Well(p, 58, 174, 26, 21, kKhaki);
    ButtonFace(p, 0, 260, 140, 46, kOlive, "< PAGE", "", "", State::kNormal, seed + 1);
    ButtonFace(p, 0, 313, 140, 46, kOlive, "PAGE >", "", "", State::kNormal, seed + 2);
    ButtonFace(p, 4, 422, 133, 58, kRed, "CONTINUE", "", "", State::kNormal, seed + 3);
  } else if (style == "dialog") {
    p.Grain(12, 12, w - 24, h - 24, kPaper, 0.08, 30, seed);
    p.Bevel(12, 12, w - 24, h - 24, 2, true);
    p.Grain(14, 42, w - 28, 48, kOlive, 0.08, 20, seed + 1);  // band under the heading labels at y 50 to 85
    Rivets(p, w, h, base, 6);
  } else if (style == "save") {
    p.Text(title, 110, h / 2, 18, 190, kInk, Painter::Face::kSansBold, 0, true, false);
    Well(p, 220, 37, 198, 22, kDark);
    Well(p, 514, 11, 118, 80, base);
    // The buttons' normal faces: in 3-D the buttons are picture buttons that show only their
    // pressed face over the panel. One button (save) in the middle, or two (save and close).
    const bool one = Arg(row, "buttons", "2") == "1";
    const int32_t faces[2] = {11251, 11252};
    const double ys[2] = {one ? 34.0 : 15.0, 53.0};
    for (int32_t i = 0; i < (one ? 1 : 2); ++i) {
      const Row* face = catalogue.Find(faces[i]);
      if (face == nullptr) continue;
      ButtonFace(p, 518, ys[i], face->width, face->height, ToneOf(*face, kOlive), Arg(*face, "label"), "", "",
                 State::kNormal, face->number);
    }
    Rivets(p, w, h, base, 5);
  } else if (style == "list-head") {
    p.Text("SCENARIOS AND SAVED GAMES", 16, 24, 16, 300, kCream, Painter::Face::kSansBold, -1, true);
    const bool narrow = w < 700;
    p.Text("NAME", 19, 56, 10, 80, kKhaki, Painter::Face::kSansBold, -1, false);
    p.Text("SIZE", narrow ? 205 : 225, 56, 10, 80, kKhaki, Painter::Face::kSansBold, -1, false);
    p.Text("TITLE", narrow ? 322 : 345, 56, 10, 80, kKhaki, Painter::Face::kSansBold, -1, false);
    p.Text("SIDES", w - 66, 56, 10, 60, kKhaki, Painter::Face::kSansBold, -1, false);
  } else if (style == "list-row") {
    p.SetColour(Painter::Shade(base, 0.6));
    cairo_rectangle(cr, 14, h - 1, w - 28, 1);
    cairo_fill(cr);
  } else if (style == "editor") {
    Well(p, 4, 20, w - 8, 24, base);
  }
  if (!title.empty() && style != "header" && style != "save")
    p.Text(title, w / 2, h / 2, std::min(28.0, h * 0.55), w - 16, kCream, Painter::Face::kSansBold, 0, true);
}

void Background(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const std::string style = Arg(row, "style", "plate");
  const std::string title = Arg(row, "title");
  const double w = row.width, h = row.height;
  if (style == "main" || style == "loading") {
    p.Grain(0, 0, w, h, kOlive, 0.22, w / 9.0, 7);
    // Map-like grid lines and a dark edge.
    p.SetColour({0.85, 0.82, 0.6}, 0.10);
    const double step = std::round(w / 16.0);
    for (double x = step; x < w; x += step) cairo_rectangle(cr, x, 0, 1, h);
    for (double y = step; y < h; y += step) cairo_rectangle(cr, 0, y, w, 1);
    cairo_fill(cr);
    cairo_pattern_t* v = cairo_pattern_create_radial(w / 2, h / 2, std::min(w, h) * 0.3, w / 2, h / 2, w * 0.75);
    cairo_pattern_add_color_stop_rgba(v, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(v, 1, 0, 0, 0, 0.55);
    cairo_set_source(cr, v);
    cairo_paint(cr);
    cairo_pattern_destroy(v);
    const double scale = style == "main" ? w / 640.0 : w / 400.0 * 0.8;
    // The title on a khaki plate.
    const double pw = 420 * scale, ph = 96 * scale, px = (w - pw) / 2, py = style == "main" ? 80 * scale : 40 * scale;
    p.Plate(px, py, pw, ph, kKhaki, 3, false, 11);
    for (double rx : {px + 8, px + pw - 8})
      for (double ry : {py + 8, py + ph - 8}) p.Rivet(rx, ry, 2.5 * scale, kKhaki);
    std::string upper = title;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    p.Text(upper, w / 2, py + ph / 2, 64 * scale, pw - 40 * scale, kRed, Painter::Face::kSansBold, 0, true, true);
    if (style == "main") {
      p.Text("TACTICAL COMBAT  1944 - 1945", w / 2, py + ph + 22 * scale, 15 * scale, pw, kCream,
             Painter::Face::kSansBold, 0, false, true);
      // The band where the four buttons stand.
      p.SetColour({0, 0, 0}, 0.25);
      cairo_rectangle(cr, 0, h - 190 * scale, w, 150 * scale);
      cairo_fill(cr);
    }
    return;
  }
  const Colour base = style == "options" ? kPaper : kOlive;
  p.Plate(0, 0, w, h, base, 3, false, row.number);
  if (style == "options") {
    p.Grain(10, 70, w - 20, 60, kOlive, 0.08, 20, 3);  // band behind the heading label at y 100
    p.Bevel(10, 70, w - 20, 60, 2, true);
  }
  Rivets(p, w, h, base, 6);
  const Colour ink = style == "options" ? kRed : kCream;
  // The purchase screen's popups stand at y 30: its heading keeps above them.
  const double titleY = style == "options" ? 34 : style == "purchase" ? 14 : h / 2;
  const double titleSize = style == "purchase" ? 16 : std::min(30.0, h * 0.5);
  p.Text(title, w / 2, titleY, titleSize, w - 30, ink, Painter::Face::kSansBold, 0, true, true);
}

// --- icons, words, portraits ------------------------------------------------------------

void Icon(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const double w = row.width, h = row.height;
  if (!row.key) {  // a keyed icon is the pictogram alone on the key
    p.Grain(0, 0, w, h, Painter::Shade(kOlive, 0.55), 0.08, 6, row.number);
    if (w >= 8 && h >= 8) p.Bevel(0, 0, w, h, 1, false);
  }
  const Colour ink = Ink(ToneOf(row, kKhaki));
  const std::string icon = Arg(row, "icon"), label = Arg(row, "label");
  const int level = std::atoi(Arg(row, "level", "0").c_str());
  if (Arg(row, "style") == "stick") {  // a stick grenade lying across
    p.SetColour(ink);
    cairo_rectangle(cr, 2, h / 2 - 1.5, w * 0.62, 3);
    cairo_fill(cr);
    cairo_rectangle(cr, w * 0.62, h / 2 - h * 0.35, w * 0.34, h * 0.7);
    cairo_fill(cr);
    return;
  }
  const double side = std::min(w, h) - 2;
  if (icon == "bars") {  // a row of eight rising bars, level of them lit, across the badge
    const double step = (w - 6) / 8.0;
    for (int i = 0; i < 8; ++i) {
      const double bh = 3 + (h - 6) * i / 7.0;
      cairo_rectangle(cr, 3 + i * step + 0.5, h - 2 - bh, step - 1.5, bh);
      p.SetColour(i < level ? ink : Painter::Shade(ink, 0.35));
      cairo_fill(cr);
    }
    return;
  }
  if (label.empty()) {
    Pictogram::Draw(cr, icon, (w - side) / 2, (h - side) / 2, side, ink, level);
    return;
  }
  Pictogram::Draw(cr, icon, 1, (h - side) / 2, side, ink, level);
  p.Text(label, side + 2 + (w - side - 3) / 2, h / 2, h * 0.75, w - side - 4, ink, Painter::Face::kSansBold, 0, false,
         true);
}

void Word(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const double w = row.width, h = row.height;
  if (!row.key) {  // a keyed word is its letters alone
    p.Grain(0, 0, w, h, Painter::Shade(kOlive, 0.8), 0.08, 12, row.number);
    p.Bevel(0, 0, w, h, 1, false);
    p.SetColour(Painter::Shade(kOlive, 0.5));
    cairo_rectangle(cr, 0, h - 1, w, 1);
    cairo_fill(cr);
  }
  std::string upper = Arg(row, "label");
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  p.Text(upper, 6, h / 2, 11, 118, kCream, Painter::Face::kSansBold, -1, false, !row.key);
  if (!row.key) Well(p, w - 20, 0, 20, h, kOlive);  // under the box
}

void Portrait(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const double w = row.width, h = row.height;
  const int figure = std::atoi(Arg(row, "figure").c_str());
  const std::string army = Arg(row, "army");
  // Stable variety per figure from a small mixing of its number.
  auto vary = [&](int salt, int n) { return static_cast<int>((static_cast<unsigned>(figure) * 2654435761u + salt * 40503u) >> 7) % n; };
  const Colour sky = Painter::Mix({0.55, 0.58, 0.5}, {0.7, 0.66, 0.5}, vary(1, 5) / 5.0);
  if (!row.key) p.Grain(0, 0, w, h, sky, 0.12, 20, figure + 40);  // keyed: the bust alone
  const Colour uniform = army == "german"                    ? Colour{0.40, 0.43, 0.38}
                         : army == "us" || army == "french" ? Colour{0.42, 0.39, 0.24}
                                                             : Colour{0.47, 0.42, 0.27};
  static const Colour kSkin[5] = {{0.87, 0.70, 0.58}, {0.80, 0.62, 0.48}, {0.92, 0.76, 0.64}, {0.72, 0.54, 0.40},
                                  {0.85, 0.66, 0.52}};
  const Colour skin = kSkin[vary(2, 5)];
  const double cx = w / 2 + (vary(3, 5) - 2) * 0.6, faceW = w * (0.27 + vary(4, 4) * 0.012), faceH = h * 0.25;
  const double headY = h * 0.42;
  // Shoulders and collar.
  p.SetColour(uniform);
  cairo_move_to(cr, 0, h);
  cairo_curve_to(cr, 0, h * 0.72, w * 0.2, h * 0.68, cx - faceW * 0.6, h * 0.66);
  cairo_line_to(cr, cx + faceW * 0.6, h * 0.66);
  cairo_curve_to(cr, w * 0.8, h * 0.68, w, h * 0.72, w, h);
  cairo_close_path(cr);
  cairo_fill(cr);
  p.SetColour(Painter::Shade(uniform, 0.7));
  cairo_move_to(cr, cx - faceW * 0.55, h * 0.66);
  cairo_line_to(cr, cx, h * 0.82);
  cairo_line_to(cr, cx + faceW * 0.55, h * 0.66);
  cairo_close_path(cr);
  cairo_fill(cr);
  if (army == "german") {  // collar patches
    p.SetColour({0.2, 0.24, 0.18});
    cairo_rectangle(cr, cx - faceW * 0.95, h * 0.72, 5, 3);
    cairo_rectangle(cr, cx + faceW * 0.95 - 5, h * 0.72, 5, 3);
    cairo_fill(cr);
  }
  // Neck and face.
  p.SetColour(Painter::Shade(skin, 0.85));
  cairo_rectangle(cr, cx - faceW * 0.35, headY + faceH * 0.6, faceW * 0.7, h * 0.2);
  cairo_fill(cr);
  p.SetColour(Painter::Shade(skin, 0.9));  // ears
  for (double side : {-1.0, 1.0}) {
    cairo_save(cr);
    cairo_translate(cr, cx + side * faceW * 0.5, headY + faceH * 0.05);
    cairo_scale(cr, faceW * 0.1, faceH * 0.22);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  }
  // The face, lit from the upper left.
  cairo_pattern_t* light = cairo_pattern_create_radial(cx - faceW * 0.15, headY - faceH * 0.3, 1, cx, headY, faceH * 1.1);
  const Colour lit = Painter::Mix(skin, {1, 1, 1}, 0.12), shade = Painter::Shade(skin, 0.78);
  cairo_pattern_add_color_stop_rgb(light, 0, lit.r, lit.g, lit.b);
  cairo_pattern_add_color_stop_rgb(light, 1, shade.r, shade.g, shade.b);
  cairo_set_source(cr, light);
  cairo_save(cr);
  cairo_translate(cr, cx, headY);
  cairo_scale(cr, faceW / 2, faceH);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_fill(cr);
  cairo_pattern_destroy(light);
  // Eyes, brows, nose, mouth.
  p.SetColour({0.12, 0.1, 0.08});
  const double eyeY = headY - faceH * 0.1 + vary(5, 3) * 0.3;
  for (double side : {-1.0, 1.0}) {
    cairo_arc(cr, cx + side * faceW * 0.2, eyeY, 1.1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, cx + side * faceW * 0.08, eyeY - 2.6 - vary(6, 2) * 0.5);
    cairo_line_to(cr, cx + side * faceW * 0.34, eyeY - 2.4);
    cairo_stroke(cr);
  }
  p.SetColour(Painter::Shade(skin, 0.72));
  cairo_move_to(cr, cx, eyeY + 1);
  cairo_line_to(cr, cx - 1.5, eyeY + 5);
  cairo_line_to(cr, cx + 1, eyeY + 5);
  cairo_stroke(cr);
  p.SetColour({0.45, 0.22, 0.18});
  cairo_move_to(cr, cx - faceW * 0.17, headY + faceH * 0.52);
  cairo_line_to(cr, cx + faceW * 0.17, headY + faceH * 0.52 + (vary(7, 3) - 1) * 0.6);
  cairo_stroke(cr);
  if (vary(8, 4) == 0) {  // a moustache
    p.SetColour({0.3, 0.2, 0.12});
    cairo_rectangle(cr, cx - faceW * 0.2, headY + faceH * 0.36, faceW * 0.4, 1.6);
    cairo_fill(cr);
  }
  // Headgear by army: helmets for most, field caps and berets for some.
  const int kind = vary(9, 5);
  const double top = headY - faceH;
  if (army == "german") {
    p.SetColour({0.32, 0.35, 0.3});
    if (kind == 0) {  // field cap
      cairo_move_to(cr, cx - faceW * 0.55, top + faceH * 0.55);
      cairo_line_to(cr, cx - faceW * 0.45, top - 2);
      cairo_line_to(cr, cx + faceW * 0.5, top - 4);
      cairo_line_to(cr, cx + faceW * 0.55, top + faceH * 0.55);
      cairo_close_path(cr);
      cairo_fill(cr);
    } else {  // steel helmet with its flared skirt
      cairo_move_to(cr, cx - faceW * 0.72, headY + faceH * 0.05);
      cairo_line_to(cr, cx - faceW * 0.58, top + faceH * 0.45);
      cairo_curve_to(cr, cx - faceW * 0.6, top - faceH * 0.25, cx + faceW * 0.6, top - faceH * 0.25,
                     cx + faceW * 0.58, top + faceH * 0.45);
      cairo_line_to(cr, cx + faceW * 0.72, headY + faceH * 0.05);
      cairo_line_to(cr, cx + faceW * 0.5, top + faceH * 0.75);
      cairo_line_to(cr, cx - faceW * 0.5, top + faceH * 0.75);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
  } else if ((army == "british" || army == "canadian" || army == "polish") && kind != 0) {
    // The flat, wide-brimmed helmet.
    p.SetColour({0.36, 0.36, 0.24});
    cairo_save(cr);
    cairo_translate(cr, cx, top + faceH * 0.45);
    cairo_scale(cr, faceW * 0.8, faceH * 0.16);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, cx, top + faceH * 0.42);
    cairo_scale(cr, faceW * 0.5, faceH * 0.5);
    cairo_arc(cr, 0, 0, 1, M_PI, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  } else if (kind == 0 && army != "us") {  // beret
    p.SetColour(army == "polish" || army == "french" ? Colour{0.12, 0.12, 0.14} : Colour{0.5, 0.12, 0.12});
    cairo_save(cr);
    cairo_translate(cr, cx + faceW * 0.1, top + faceH * 0.3);
    cairo_scale(cr, faceW * 0.62, faceH * 0.3);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  } else {  // the round helmet with its chin strap
    p.SetColour({0.34, 0.34, 0.2});
    cairo_save(cr);
    cairo_translate(cr, cx, top + faceH * 0.55);
    cairo_scale(cr, faceW * 0.62, faceH * 0.7);
    cairo_arc(cr, 0, 0, 1, M_PI, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    cairo_rectangle(cr, cx - faceW * 0.64, top + faceH * 0.5, faceW * 1.28, 2.2);
    cairo_fill(cr);
    if (kind % 2 == 1) {
      p.SetColour({0.25, 0.2, 0.12});
      cairo_set_line_width(cr, 1);
      // The chin strap hanging loose beside the cheek.
      cairo_move_to(cr, cx - faceW * 0.58, top + faceH * 0.6);
      cairo_curve_to(cr, cx - faceW * 0.66, headY, cx - faceW * 0.6, headY + faceH * 0.5, cx - faceW * 0.5,
                     headY + faceH * 0.7);
      cairo_stroke(cr);
    }
  }
  if (!row.key) p.Bevel(0, 0, w, h, 1, true);
}

// --- sheets ---------------------------------------------------------------------------

// Colour of each fine terrain type as the terrain sheet shows it, 0xRRGGBB. Roads, tracks
// and pavement are solid colours no ground shade reaches, so a piece reads exactly.
constexpr uint32_t kFineColours[45] = {
    0x607A3E, 0x64584A, 0x5E5242, 0x584C3E, 0x5A5046, 0x6E6E5A, 0x5E6E46, 0x56664A,  // 0-7
    0x96764E, 0x807E78, 0x544C48, 0xA09C92, 0x4E6246, 0x547034, 0x3C5C2C, 0x305030,  // 8-15
    0xC4AA58, 0x687438, 0x7A7454, 0x786C62, 0x6E7046, 0x667E44, 0x466436, 0x3A5838,  // 16-23
    0x646058, 0x3A5C8C, 0x5C80A0, 0xC4D4E0, 0x2C4624, 0x96928A, 0x3A602C, 0x96543E,  // 24-31
    0x76685F, 0x844634, 0x605854, 0x6E645E, 0x84704F, 0x84704F, 0x84704F, 0x84704F,  // 32-39
    0x84704F, 0x84704F, 0x84704F, 0x5A5046, 0x5A5046,                                // 40-44
};

bool IsSolidType(int32_t type) { return type >= 8 && type <= 11; }

// A small stable hash of a pixel, for the grain of ground and the crowns of trees.
uint32_t PixelHash(int32_t x, int32_t y, int32_t salt) {
  uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
               static_cast<uint32_t>(salt) * 83492791u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return h ^ (h >> 15);
}

uint32_t Shaded(uint32_t rgb, int32_t delta) {
  auto channel = [&](int32_t shift) {
    return static_cast<uint32_t>(std::clamp(static_cast<int32_t>(rgb >> shift & 255) + delta, 0, 255)) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

// The picture of one used code, 16 x 16 pixels from (x0, y0) of the sheet: each pixel takes
// the fine type of the 2 m cell under it, grained, with tree crowns where trees grow. The
// grain depends on the place in the picture only, so two codes the map makes alike would
// show alike.
void PaintCodeCells(std::vector<uint32_t>& argb, int32_t width, int32_t x0, int32_t y0,
                    const TerrainSheet::Tile& tile) {
  for (int32_t py = 0; py < 16; ++py)
    for (int32_t px = 0; px < 16; ++px) {
      const int32_t type = tile.fine[py * 10 / 16][px * 10 / 16];
      uint32_t rgb = kFineColours[std::clamp(type, 0, 44)];
      if (!IsSolidType(type)) {
        const uint32_t h = PixelHash(px, py, type);
        rgb = Shaded(rgb, static_cast<int32_t>(h % 9) - 4);
        const bool trees = (type >= 13 && type <= 15) || (type >= 21 && type <= 23);
        const uint32_t density = type == 13 || type == 21 ? 5 : 8;
        if (trees && (h >> 8) % 16 < density) rgb = Shaded(rgb, -34);
        if (type == 16 && (px + py) % 3 == 0) rgb = Shaded(rgb, -18);
        if (type == 12 && (h >> 8) % 5 == 0) rgb = 0x4A6E86;
        if (type == 19 && (h >> 8) % 3 == 0) rgb = Shaded(rgb, 24);
      } else if (type == 11) {
        // Paving slabs, their joints laid the way the piece is turned.
        const int32_t along = tile.rotation % 2 == 0 ? py : px;
        if ((along + tile.rotation) % 4 == 0) rgb = Shaded(rgb, -14);
      }
      argb[static_cast<size_t>(y0 + py) * width + x0 + px] = 0xFF000000u | rgb;
    }
  // A ford's stones cross it along its way.
  if (tile.terrain == 45 || tile.terrain == 46) {
    for (int32_t k = 1; k < 16; k += 3) {
      const int32_t px = tile.terrain == 45 ? k : 7, py = tile.terrain == 45 ? 7 : k;
      for (int32_t d = 0; d < 2; ++d) argb[static_cast<size_t>(y0 + py + (tile.terrain == 45 ? d : 0)) * width + x0 + px + (tile.terrain == 45 ? 0 : d)] = 0xFFA8A49A;
    }
  }
}

Colour RgbColour(uint32_t rgb) { return {(rgb >> 16 & 255) / 255.0, (rgb >> 8 & 255) / 255.0, (rgb & 255) / 255.0}; }

void Flame(cairo_t* cr, double x, double y, double size) {
  cairo_move_to(cr, x, y);
  cairo_curve_to(cr, x - size * 0.6, y - size * 0.4, x - size * 0.2, y - size * 0.9, x, y - size * 1.3);
  cairo_curve_to(cr, x + size * 0.2, y - size * 0.9, x + size * 0.6, y - size * 0.4, x, y);
  cairo_close_path(cr);
}

// Terrain sheet 10019: the cell of code c is column c mod 16, row c / 16, its 16 x 16 picture
// one pixel in. A used code shows what the map makes of it; an unused one a dark fill.
void Sheet(Painter& p, const Row& row) {
  const TerrainSheet& sheet = TerrainSheet::Shared();
  const int32_t columns = row.width / 17, rows = row.height / 17;
  std::vector<uint32_t> argb(static_cast<size_t>(row.width) * row.height, 0xFF141410u);
  for (int32_t code = 0; code < columns * rows && code < TerrainSheet::kCodes; ++code) {
    const int32_t x0 = code % columns * 17 + 1, y0 = code / columns * 17 + 1;
    const TerrainSheet::Tile& tile = sheet.At(code);
    if (tile.used) {
      PaintCodeCells(argb, row.width, x0, y0, tile);
    } else {
      for (int32_t py = 0; py < 16; ++py)
        for (int32_t px = 0; px < 16; ++px) argb[static_cast<size_t>(y0 + py) * row.width + x0 + px] = 0xFF2A2824u;
    }
  }
  p.SetArgb(argb);
  cairo_t* cr = p.Cr();
  for (int32_t code = 0; code < columns * rows && code < TerrainSheet::kCodes; ++code) {
    const TerrainSheet::Tile& tile = sheet.At(code);
    if (!tile.used) continue;
    const double x0 = code % columns * 17 + 1, y0 = code / columns * 17 + 1;
    cairo_save(cr);
    cairo_rectangle(cr, x0, y0, 16, 16);
    cairo_clip(cr);
    // Metres to pixels: 0.8 pixel a metre, north up.
    auto at = [&](float mx, float my, double& px, double& py) {
      px = x0 + mx * 0.8;
      py = y0 + 16.0 - my * 0.8;
    };
    for (const TerrainSheet::Shape& shape : tile.shapes) {
      double px = 0, py = 0;
      for (int32_t i = 0; i < 4; ++i) {
        at(shape.x[i], shape.y[i], px, py);
        if (i == 0) cairo_move_to(cr, px, py);
        else cairo_line_to(cr, px, py);
      }
      cairo_close_path(cr);
      // A church (a tall building with a tower) has a slate roof of its own.
      const Colour fill = shape.type == Building::kTowerBuilding ? Colour{0.36, 0.40, 0.46}
                                                                 : RgbColour(kFineColours[std::clamp(shape.type, 0, 44)]);
      p.SetColour(shape.tall ? Painter::Shade(fill, 0.8) : fill);
      if (shape.wall) {
        cairo_set_line_width(cr, 1.0);
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
        continue;
      }
      cairo_fill_preserve(cr);
      p.SetColour(Painter::Shade(fill, 0.55));
      cairo_set_line_width(cr, 0.8);
      cairo_stroke(cr);
      // The front: a door midway along the first side, so each turn of a building reads.
      if (!Building::IsBridgeType(shape.type)) {
        double ax = 0, ay = 0, bx = 0, by = 0;
        at(shape.x[0], shape.y[0], ax, ay);
        at(shape.x[1], shape.y[1], bx, by);
        p.SetColour({0.12, 0.1, 0.09});
        cairo_rectangle(cr, (ax + bx) / 2 - 1.0, (ay + by) / 2 - 1.0, 2.0, 2.0);
        cairo_fill(cr);
      }
    }
    if (tile.fire != 0) {
      const int32_t count = tile.fire == 3 ? 3 : 2;
      for (int32_t i = 0; i < count; ++i) {
        const double fx = x0 + 4 + i * (8.0 / std::max(count - 1, 1)), fy = y0 + 13 - (i % 2) * 3;
        const double size = tile.fire == 2 ? 7.0 : 5.5;
        Flame(cr, fx, fy, size);
        cairo_set_source_rgb(cr, 0.92, 0.38, 0.08);
        cairo_fill(cr);
        Flame(cr, fx, fy - 0.5, size * 0.55);
        cairo_set_source_rgb(cr, 1.0, 0.85, 0.3);
        cairo_fill(cr);
      }
    }
    cairo_restore(cr);
  }
}

// The force icons of the game list, by icon number: 0 Canadian, 1 American, 2 German army,
// 3 French, 4 Polish, 5 British, 6 American airborne, 7 British airborne, 8 Waffen SS,
// 9 German paratroops, 10 Volkssturm, 11 German mountain troops, 12 Polish airborne.
constexpr int kForceIcons = 13;

void BalkenCross(cairo_t* cr, double cx, double cy, double r) {
  const double arm = r * 0.42;
  cairo_set_source_rgb(cr, 0.95, 0.95, 0.93);
  cairo_rectangle(cr, cx - arm, cy - r, 2 * arm, 2 * r);
  cairo_rectangle(cr, cx - r, cy - arm, 2 * r, 2 * arm);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  const double inner = arm * 0.62, len = r * 0.86;
  cairo_rectangle(cr, cx - inner, cy - len, 2 * inner, 2 * len);
  cairo_rectangle(cr, cx - len, cy - inner, 2 * len, 2 * inner);
  cairo_fill(cr);
}

void Disc(cairo_t* cr, double cx, double cy, double r, Colour c) {
  cairo_set_source_rgb(cr, c.r, c.g, c.b);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_fill(cr);
}

// The British roundel: red, white and blue rings inside a yellow rim.
void Roundel(cairo_t* cr, double cx, double cy, double r) {
  Disc(cr, cx, cy, r, {0.95, 0.8, 0.15});
  Disc(cr, cx, cy, r * 0.82, {0.12, 0.2, 0.55});
  Disc(cr, cx, cy, r * 0.58, {0.95, 0.95, 0.92});
  Disc(cr, cx, cy, r * 0.32, {0.8, 0.1, 0.12});
}

// A parachute canopy above the point, its rigging lines meeting there.
void Canopy(cairo_t* cr, double cx, double cy, double r, Colour c) {
  cairo_set_source_rgb(cr, c.r, c.g, c.b);
  cairo_arc(cr, cx, cy - r * 0.2, r, M_PI, 2 * M_PI);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_set_line_width(cr, 0.8);
  for (int k = -1; k <= 1; ++k) {
    cairo_move_to(cr, cx + k * r * 0.95, cy - r * 0.2);
    cairo_line_to(cr, cx, cy + r * 0.9);
  }
  cairo_stroke(cr);
}

void MapleLeaf(cairo_t* cr, double cx, double cy, double s) {
  static const double kLeaf[][2] = {{0, -1.0},    {0.18, -0.62}, {0.42, -0.72}, {0.34, -0.22}, {0.62, -0.42},
                                    {0.98, -0.34}, {0.86, -0.1},  {1.0, 0.06},   {0.5, 0.36},   {0.56, 0.56},
                                    {0.06, 0.48},  {0.06, 1.0},   {-0.06, 1.0},  {-0.06, 0.48}, {-0.56, 0.56},
                                    {-0.5, 0.36},  {-1.0, 0.06},  {-0.86, -0.1}, {-0.98, -0.34}, {-0.62, -0.42},
                                    {-0.34, -0.22}, {-0.42, -0.72}, {-0.18, -0.62}};
  for (size_t k = 0; k < std::size(kLeaf); ++k) {
    const double px = cx + kLeaf[k][0] * s, py = cy + kLeaf[k][1] * s;
    if (k == 0)
      cairo_move_to(cr, px, py);
    else
      cairo_line_to(cr, px, py);
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

void ForceIcon(Painter& p, int icon, double x, int side) {
  cairo_t* cr = p.Cr();
  static const Colour kGround[kForceIcons] = {
      {0.47, 0.42, 0.28}, {0.36, 0.36, 0.20}, {0.42, 0.45, 0.41}, {0.16, 0.24, 0.55}, {0.40, 0.38, 0.26},
      {0.47, 0.42, 0.28}, {0.30, 0.31, 0.18}, {0.45, 0.10, 0.16}, {0.36, 0.36, 0.28}, {0.43, 0.48, 0.55},
      {0.40, 0.36, 0.30}, {0.42, 0.45, 0.41}, {0.45, 0.10, 0.16}};
  const double s = side;
  cairo_save(cr);
  cairo_rectangle(cr, x, 0, s, s);
  cairo_clip(cr);
  p.Grain(x, 0, s, s, kGround[icon], 0.1, 6, icon);
  const double cx = x + s / 2.0, cy = s / 2.0;
  const Colour white{0.95, 0.95, 0.92};
  switch (icon) {
    case 0:  // a red maple leaf on a white square
      cairo_set_source_rgb(cr, 0.95, 0.95, 0.92);
      cairo_rectangle(cr, x + 3, 3, s - 6, s - 6);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 0.8, 0.08, 0.1);
      MapleLeaf(cr, cx, cy, s * 0.34);
      break;
    case 1:  // the white star in its ring
    case 6:  // the same under a parachute
      cairo_set_source_rgb(cr, white.r, white.g, white.b);
      if (icon == 1) {
        cairo_set_line_width(cr, 1.2);
        cairo_arc(cr, cx, cy, s * 0.4, 0, 2 * M_PI);
        cairo_stroke(cr);
        Star(cr, cx, cy + 0.3, s * 0.34);
      } else {
        Canopy(cr, cx, cy - s * 0.12, s * 0.36, white);
        Star(cr, cx, cy + s * 0.2, s * 0.24);
      }
      break;
    case 3:  // the cross of Lorraine, white on blue with a red edge
      cairo_set_source_rgb(cr, 0.8, 0.1, 0.12);
      cairo_rectangle(cr, x + s - 5, 0, 5, s);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, white.r, white.g, white.b);
      cairo_rectangle(cr, cx - 2.5, 3, 2.6, s - 6);
      cairo_rectangle(cr, cx - 5.0, 6, 7.6, 2.2);
      cairo_rectangle(cr, cx - 6.5, 10, 10.6, 2.2);
      cairo_fill(cr);
      break;
    case 4:  // the red and white chequer
    case 12: {  // the same under a parachute, on the airborne maroon
      const double top = icon == 4 ? 3.0 : 8.0, cell = icon == 4 ? (s - 6) / 4.0 : 2.75;
      const double left = icon == 4 ? x + 3.0 : cx - 2 * cell;
      for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
          if ((r + c) % 2 == 0)
            cairo_set_source_rgb(cr, 0.85, 0.08, 0.12);
          else
            cairo_set_source_rgb(cr, 0.96, 0.96, 0.94);
          cairo_rectangle(cr, left + c * cell, top + r * cell, cell, cell);
          cairo_fill(cr);
        }
      }
      if (icon == 12) Canopy(cr, cx, 6.5, s * 0.3, white);
      break;
    }
    case 5:  // the roundel: red, white, blue and a yellow rim
    case 7: {  // the same under a parachute on airborne maroon
      const double r = icon == 5 ? s * 0.42 : s * 0.28, y = icon == 5 ? cy : cy + s * 0.18;
      if (icon == 7) Canopy(cr, cx, cy - s * 0.16, s * 0.34, white);
      Roundel(cr, cx, y, r);
      break;
    }
    case 2:  // the cross on field grey
      BalkenCross(cr, cx, cy, s * 0.36);
      break;
    case 8: {  // the cross on a camouflage of dots and blotches
      static const double kSpots[][3] = {{3, 4, 2.6}, {15, 3, 2.2}, {4, 15, 2.4}, {16, 15, 2.8}, {10, 18, 1.8},
                                         {18, 9, 1.6}, {2, 10, 1.7}, {10, 2, 1.5}};
      for (const auto& spot : kSpots) {
        Disc(cr, x + spot[0], spot[1], spot[2], {0.48, 0.30, 0.16});
        Disc(cr, x + spot[0] + 1.2, spot[1] + 0.8, spot[2] * 0.45, {0.22, 0.28, 0.14});
      }
      BalkenCross(cr, cx, cy, s * 0.33);
      break;
    }
    case 9:  // the cross under a parachute, on Luftwaffe blue-grey
      Canopy(cr, cx, cy - s * 0.18, s * 0.34, white);
      BalkenCross(cr, cx, cy + s * 0.2, s * 0.24);
      break;
    case 10:  // the cross on the Volkssturm's yellow armband
      cairo_set_source_rgb(cr, 0.88, 0.74, 0.18);
      cairo_rectangle(cr, x, cy - 6, s, 12);
      cairo_fill(cr);
      cairo_set_source_rgb(cr, 0.08, 0.08, 0.08);
      cairo_rectangle(cr, x, cy - 7, s, 1.2);
      cairo_rectangle(cr, x, cy + 5.8, s, 1.2);
      cairo_fill(cr);
      BalkenCross(cr, cx, cy, s * 0.28);
      break;
    case 11: {  // the cross and the mountain troops' edelweiss
      BalkenCross(cr, cx - s * 0.12, cy - s * 0.1, s * 0.3);
      const double ex = x + s - 5.5, ey = s - 5.5;
      for (int k = 0; k < 6; ++k) {
        const double a = k * M_PI / 3;
        cairo_set_source_rgb(cr, 0.96, 0.96, 0.94);
        cairo_arc(cr, ex + 2.4 * std::cos(a), ey + 2.4 * std::sin(a), 1.5, 0, 2 * M_PI);
        cairo_fill(cr);
      }
      Disc(cr, ex, ey, 1.2, {0.9, 0.8, 0.2});
      break;
    }
    default: break;
  }
  p.Bevel(x, 0, s, s, 1, false);
  cairo_restore(cr);
}

void StripIcons(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  if (Arg(row, "set") == "zones") {
    static const Colour kZones[7] = {{120 / 255.0, 120 / 255.0, 120 / 255.0}, {1, 0, 0}, {1, 1, 1}, {0, 0, 1},
                                     {0, 1, 0},                              {0, 0, 0}, {1, 253 / 255.0, 21 / 255.0}};
    const int side = row.height;
    for (int i = 0; i < 7 && i * side < row.width; ++i) {
      const double x = i * side;
      p.Plate(x, 0, std::min<double>(side, row.width - x), side, kSteel, 2, false, i);
      p.SetColour(kZones[i]);
      cairo_rectangle(cr, x + 7, 7, side - 14, side - 14);
      cairo_fill(cr);
      p.Bevel(x + 7, 7, side - 14, side - 14, 1, true);
      const double lum = kZones[i].r * 0.3 + kZones[i].g * 0.6 + kZones[i].b * 0.1;
      p.Text(std::to_string(i), x + side / 2.0, side / 2.0, 12, side - 16, lum > 0.5 ? kInk : kCream,
             Painter::Face::kSansBold, 0, false, false);
    }
    return;
  }
  // Force flags, one 20 x 20 icon for each icon number of the game list's table: the German
  // forces show the cross, the Allied ones their own nation's mark.
  const int side = row.height;
  for (int i = 0; i * side < row.width && i < kForceIcons; ++i) ForceIcon(p, i, i * side, side);
}

}  // namespace

void BitmapRecipes::DrawEmblem(Painter& p, const std::string& army, double x, double y, double w, double h) {
  Emblem(p, army, x, y, w, h);
}

bool BitmapRecipes::Check(const BitmapCatalogue::Row& row, std::string& reason) {
  if (TextureRecipes::Known(row.recipe)) return TextureRecipes::Check(row, reason);
  const RecipeArguments* known = nullptr;
  for (const RecipeArguments& r : kRecipes)
    if (row.recipe == r.recipe) known = &r;
  if (known == nullptr) {
    reason = "unknown recipe '" + row.recipe + "'";
    return false;
  }
  for (const auto& [name, value] : row.args) {
    if (known->args.count(name) == 0) {
      reason = "recipe '" + row.recipe + "' has no argument '" + name + "'";
      return false;
    }
    bool ok = true;
    Painter::Colour unused;
    if (name == "tone") ok = Painter::Tone(value, unused);
    if (name == "icon") ok = Pictogram::Known(value);
    if (name == "army" || name == "emblem") ok = kArmies.count(value) != 0;
    if (name == "state") ok = kStates.count(value) != 0;
    if (name == "set") ok = value == "flags" || value == "zones";
    if (name == "figure" || name == "level") {
      char* end = nullptr;
      const long v = std::strtol(value.c_str(), &end, 10);
      ok = !value.empty() && *end == '\0' && v >= 0 && v <= (name == "figure" ? kFigures - 1 : 8);
    }
    if (name == "style") {
      if (row.recipe == "panel") ok = kPanelStyles.count(value) != 0;
      if (row.recipe == "background") ok = kBackgroundStyles.count(value) != 0;
      if (row.recipe == "icon") ok = kIconStyles.count(value) != 0;
    }
    if (!ok) {
      reason = "argument " + name + "='" + value + "' is not a value recipe '" + row.recipe + "' knows";
      return false;
    }
  }
  if (row.recipe == "portrait" && (row.args.count("figure") == 0 || row.args.count("army") == 0)) {
    reason = "a portrait needs figure and army";
    return false;
  }
  if (row.recipe == "emblem" && row.args.count("army") == 0) {
    reason = "an emblem needs army";
    return false;
  }
  if (row.recipe == "icon" && row.args.count("icon") == 0 && row.args.count("style") == 0) {
    reason = "an icon needs icon";
    return false;
  }
  if (row.recipe == "strip-icons" && row.args.count("set") == 0) {
    reason = "strip-icons needs set";
    return false;
  }
  return true;
}

std::vector<uint32_t> BitmapRecipes::Draw(const BitmapCatalogue::Row& row, const BitmapCatalogue& catalogue) {
  if (TextureRecipes::Known(row.recipe)) return TextureRecipes::Draw(row);
  Painter p(row.width, row.height);
  if (row.recipe == "panel") Panel(p, row, catalogue);
  if (row.recipe == "background") Background(p, row);
  if (row.recipe == "button") Button(p, row);
  if (row.recipe == "picture-button") PictureButton(p, row);
  if (row.recipe == "icon") Icon(p, row);
  if (row.recipe == "word") Word(p, row);
  if (row.recipe == "portrait") Portrait(p, row);
  if (row.recipe == "emblem") Emblem(p, Arg(row, "army"), 0, 0, row.width, row.height);
  if (row.recipe == "sheet") Sheet(p, row);
  if (row.recipe == "strip-icons") StripIcons(p, row);
  return p.Pixels(row.key);
}
