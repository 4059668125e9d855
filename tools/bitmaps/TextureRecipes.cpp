#include "TextureRecipes.h"

#include <stb/stb_perlin.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <map>
#include <set>

#include "BitmapRecipes.h"
#include "Painter.h"
#include "TileMasks.h"

namespace {

using Colour = Painter::Colour;
using Row = BitmapCatalogue::Row;

// --- arguments ------------------------------------------------------------------------

struct ArgumentRule {
  std::set<std::string> words;  // the values allowed; empty: a whole number from low to high
  int32_t low = 0;
  int32_t high = 0;
};
struct TextureRecipe {
  const char* name;
  std::map<std::string, ArgumentRule> args;
  std::set<std::string> needed;
};

const std::set<std::string> kYes = {"yes"};
const std::set<std::string> kGrounds = {"road",  "main-road", "track",   "marsh", "wheat", "field",
                                        "rough", "water",     "ice",     "woods", "woods-bare",
                                        "pavement", "brush",  "trees",   "trees-bare", "rubble", "ford"};
const std::set<std::string> kTreeLooks = {"pine", "broadleaf", "evergreen", "autumn", "bare",
                                          "willow", "snow-pine", "snow-broadleaf"};
const std::set<std::string> kBuilds = {"stone", "brick", "limestone", "dark-brick", "plaster", "ochre",
                                       "timber", "farmhouse", "townhouse", "rendered", "hall", "church"};
const std::set<std::string> kVehicleArmies = {"german", "us", "british", "canadian"};
const std::set<std::string> kCloths = {"field-grey", "field-grey-late", "smock",       "pea-dot",    "olive-early",
                                       "olive-late", "khaki",           "khaki-dark", "olive-green", "earth-brown"};

const TextureRecipe kTextureRecipes[] = {
    {"band", {{"season", {{"summer", "summer-dry", "snow", "snow-thaw"}}}, {"level", {{}, 0, 19}}}, {"season", "level"}},
    {"piece", {{"ground", {kGrounds}}, {"road", {{}, 0, TileMasks::kRoads - 1}}, {"shape", {{}, 0, TileMasks::kShapes - 1}},
               {"snow", {kYes}}}, {"ground"}},
    {"tree", {{"form", {{"near", "far"}}}, {"look", {kTreeLooks}}}, {"form", "look"}},
    {"sky", {{"season", {{"summer", "autumn", "snow"}}}, {"sky", {{"clear-day", "overcast", "dusk", "night", "overcast-night"}}}},
     {"season", "sky"}},
    {"wall", {{"build", {kBuilds}}, {"face", {{"front", "side", "back", "tower"}}}, {"storeys", {{}, 1, 2}},
              {"gable", {{}, 50, 90}}, {"snow", {kYes}}}, {"build", "face"}},
    {"roof", {{"look", {{"tile", "slate", "snow"}}}}, {"look"}},
    {"bridge", {{"build", {{"stone", "girder"}}}, {"state", {{"intact", "wrecked"}}}}, {"build", "state"}},
    {"fire", {{"frame", {{}, 0, 17}}}, {"frame"}},
    {"puff", {{"frame", {{}, 0, 9}}}, {"frame"}},
    {"smoke", {{"form", {{"cloud", "column", "puff"}}}}, {"form"}},
    {"flame", {{"variant", {{}, 0, 2}}}, {"variant"}},
    {"flash", {}, {}},
    {"fragment", {{"variant", {{}, 0, 3}}}, {"variant"}},
    {"gun-wheel", {}, {}},
    {"marker", {{"what", {{"north", "reinforcement", "reference", "ambush"}}}, {"group", {{}, 1, 9}}}, {"what"}},
    {"exit", {{"side", {{"own", "other"}}}}, {"side"}},
    {"lines", {}, {}},
    {"crater", {{"age", {{"fresh", "lasting"}}}, {"snow", {kYes}}}, {"age"}},
    {"badge", {{"owner", {{}, 0, 5}}}, {"owner"}},
    {"flag", {{"owner", {{}, 0, 7}}}, {"owner"}},
    {"equipment", {{"item", {{}, 0, 14}}}, {"item"}},
    {"face", {{"variant", {{}, 0, 11}}}, {"variant"}},
    {"uniform", {{"part", {{"headgear", "torso", "arm", "legs", "belt"}}}, {"cloth", {kCloths}}, {"snow", {kYes}}},
     {"part", "cloth"}},
    {"obstacle", {{"what", {{"wire", "mines", "tank-mines"}}}}, {"what"}},
    {"gear", {{"pattern", {{"track", "track-wide", "wheel"}}}, {"ground", {{"dry", "wet", "snow"}}}}, {"pattern", "ground"}},
    {"skin", {{"army", {{"german", "us", "british"}}}, {"part", {{}, 0, 16}}, {"snow", {kYes}}}, {"army", "part"}},
    {"vehicle-skin", {{"army", {kVehicleArmies}}, {"part", {{}, 0, 15}}, {"snow", {kYes}}}, {"army", "part"}},
    {"vehicle-detail", {{"what", {{"hatch", "grille", "road-wheel", "insignia"}}}, {"army", {kVehicleArmies}},
                        {"snow", {kYes}}}, {"what", "army"}},
};

const TextureRecipe* Find(const std::string& name) {
  for (const TextureRecipe& r : kTextureRecipes)
    if (name == r.name) return &r;
  return nullptr;
}

std::string Arg(const Row& row, const char* name, const std::string& otherwise = "") {
  auto it = row.args.find(name);
  return it == row.args.end() ? otherwise : it->second;
}

int32_t Int(const Row& row, const char* name, int32_t otherwise) {
  auto it = row.args.find(name);
  return it == row.args.end() ? otherwise : std::atoi(it->second.c_str());
}

bool Snow(const Row& row) { return Arg(row, "snow") == "yes"; }

// --- drawing helpers --------------------------------------------------------------------

// A small deterministic generator for the placement of leaves, stones and bricks.
class Dice {
 public:
  explicit Dice(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / 16777216.0;
  }
  double Range(double a, double b) { return a + (b - a) * Next(); }

 private:
  uint32_t state_;
};

double Noise(double x, double y, double z, int32_t wrapX, int32_t wrapY) {
  return stb_perlin_noise3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), wrapX, wrapY, 0);
}

// Fractal noise over the unit square that repeats across both edges: octave o has
// base x 2^o cells each way (at most 256), so opposite edges meet.
double Tiled(double u, double v, int32_t base, int32_t octaves, double z) {
  double sum = 0, amp = 1, norm = 0;
  int32_t f = base;
  for (int32_t o = 0; o < octaves; ++o) {
    sum += amp * Noise(u * f, v * f, z + o * 1.37, f, f);
    norm += amp;
    amp *= 0.5;
    f = std::min(f * 2, 256);
  }
  return sum / norm;
}

// The same repeating only across u (the sky around the four walls).
double TiledAcross(double u, double y, int32_t base, int32_t octaves, double z) {
  double sum = 0, amp = 1, norm = 0;
  int32_t f = base;
  for (int32_t o = 0; o < octaves; ++o) {
    sum += amp * Noise(u * f, y * f, z + o * 1.37, f, 0);
    norm += amp;
    amp *= 0.5;
    f = std::min(f * 2, 256);
  }
  return sum / norm;
}

uint32_t Pack(Colour c, double alpha = 1.0) {
  auto ch = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v * 255.0), 0L, 255L)); };
  return ch(alpha) << 24 | ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
}

Colour Mix(Colour a, Colour b, double t) { return Painter::Mix(a, b, std::clamp(t, 0.0, 1.0)); }
Colour Shade(Colour c, double f) { return Painter::Shade(c, f); }

// A texture drawn texel by texel: f(x, y, u, v) gives colour and coverage.
template <typename F>
void EachTexel(Painter& p, F f) {
  std::vector<uint32_t> argb(static_cast<size_t>(p.Width()) * p.Height());
  for (int32_t y = 0; y < p.Height(); ++y)
    for (int32_t x = 0; x < p.Width(); ++x) {
      double alpha = 1.0;
      const Colour c = f(x, y, (x + 0.5) / p.Width(), (y + 0.5) / p.Height(), alpha);
      argb[static_cast<size_t>(y) * p.Width() + x] = Pack(c, alpha);
    }
  p.SetArgb(argb);
}

void Fill(cairo_t* cr, Colour c, double alpha = 1.0) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
  cairo_fill(cr);
}

void Stroke(cairo_t* cr, Colour c, double width, double alpha = 1.0) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
  cairo_set_line_width(cr, width);
  cairo_stroke(cr);
}

// --- terrain bands ----------------------------------------------------------------------

// One 80 m square of ground for an elevation band: lowland meadow to upland heath, or snow
// that thins to rock and bare earth up high. Every octave repeats across the edges.
// The map lays the square's four tiles at 0.012, 0.25, 0.5, 0.75 and 0.988 of the bitmap,
// so the outer tiles are drawn squeezed into their shorter share: the square's edges fall
// where the map puts them, and squares side by side meet without a jump.
void Band(Painter& p, const Row& row) {
  constexpr double kInset = TextureRecipes::kPieceInset;
  auto onSquare = [](double t) {
    if (t < 0.25) return (t - kInset) * 0.25 / (0.25 - kInset);
    if (t > 0.75) return 0.75 + (t - 0.75) * 0.25 / (0.25 - kInset);
    return t;
  };
  const std::string season = Arg(row, "season");
  const double t = Int(row, "level", 0) / 19.0;
  const double z = Int(row, "level", 0) * 3.1 + (season.size() * 0.7);
  const bool snow = season == "snow" || season == "snow-thaw";
  Colour low{0.25, 0.37, 0.13}, high{0.46, 0.44, 0.27}, patch{0.38, 0.33, 0.18};
  if (season == "summer-dry") low = {0.40, 0.42, 0.19}, high = {0.56, 0.50, 0.31}, patch = {0.50, 0.40, 0.22};
  if (season == "snow") low = {0.85, 0.87, 0.91}, high = {0.93, 0.94, 0.97}, patch = {0.42, 0.40, 0.36};
  if (season == "snow-thaw") low = {0.80, 0.82, 0.84}, high = {0.90, 0.91, 0.94}, patch = {0.34, 0.36, 0.22};
  const Colour base = Mix(low, high, t);
  EachTexel(p, [&](int32_t, int32_t, double texelU, double texelV, double&) {
    const double u = onSquare(texelU), v = onSquare(texelV);
    const double large = Tiled(u, v, 2, 4, z);
    const double fine = Tiled(u, v, 32, 3, z + 11.0);
    const double grain = Noise(u * 256, v * 256, z + 5.5, 256, 256);
    Colour c = base;
    if (snow) {
      // Bare ground shows through where the cover is thin, more of it on the heights.
      const double bare = large + fine * 0.25 - (season == "snow-thaw" ? 0.05 : 0.32) + t * 0.2;
      if (bare > 0) c = Mix(c, Mix(patch, Shade(patch, 0.7), fine + 0.5), std::min(1.0, bare * 4));
      c = Mix(c, {0.70, 0.76, 0.88}, std::max(0.0, -fine) * 0.6);  // blue hollows
      c = Shade(c, 1.0 + grain * 0.04);
    } else {
      c = Mix(c, patch, std::max(0.0, large * 1.6 + t * 0.2 - 0.15));
      c = Mix(c, Shade(base, 1.25), std::max(0.0, -large) * 0.8);
      c = Shade(c, 1.0 + fine * 0.35 + grain * 0.10);
    }
    return c;
  });
}

// --- tile pieces ------------------------------------------------------------------------

Colour GroundColour(const std::string& ground, bool snow, double u, double v, double seed, bool edge) {
  const double n = Tiled(u, v, 4, 4, seed);
  const double fine = Noise(u * 128, v * 128, seed + 2.5, 128, 128);
  const double mid = Tiled(u, v, 16, 2, seed + 7.0);
  Colour c{0.5, 0.5, 0.5};
  if (ground == "road") c = Mix({0.52, 0.48, 0.40}, {0.44, 0.40, 0.33}, n + 0.5);
  if (ground == "main-road") c = Mix({0.40, 0.40, 0.38}, {0.32, 0.32, 0.31}, n + 0.5);
  if (ground == "track") {
    // Two wheel ruts along the way through grass and mud, seen as darker patches.
    c = Mix({0.46, 0.38, 0.26}, {0.36, 0.29, 0.20}, n + 0.5);
    if (mid > 0.15) c = Mix(c, {0.33, 0.38, 0.18}, 0.6);
  }
  if (ground == "pavement") {
    const double bx = std::fmod(u * 40 + (std::fmod(std::floor(v * 40), 2.0) * 0.5), 1.0), by = std::fmod(v * 40, 1.0);
    c = Mix({0.50, 0.49, 0.46}, {0.40, 0.39, 0.37}, n + 0.5);
    if (bx < 0.12 || by < 0.14) c = Shade(c, 0.62);
  }
  if (ground == "marsh") {
    c = Mix({0.28, 0.33, 0.16}, {0.36, 0.36, 0.20}, n + 0.5);
    if (mid > 0.18) c = Mix({0.20, 0.26, 0.24}, {0.26, 0.32, 0.32}, fine + 0.5);  // pools
  }
  if (ground == "wheat") {
    c = Mix({0.78, 0.66, 0.32}, {0.66, 0.54, 0.24}, n + 0.5);
    if (std::fmod(v * 48, 1.0) < 0.3) c = Shade(c, 0.84);  // the drill rows
  }
  if (ground == "field") {
    c = Mix({0.42, 0.33, 0.22}, {0.50, 0.42, 0.28}, n + 0.5);
    if (std::fmod(v * 40, 1.0) < 0.35) c = Shade(c, 0.78);  // furrows
  }
  if (ground == "rough") {
    c = Mix({0.44, 0.42, 0.30}, {0.36, 0.36, 0.22}, n + 0.5);
    if (fine > 0.3) c = Mix({0.55, 0.53, 0.50}, {0.40, 0.40, 0.38}, mid + 0.5);  // stones
  }
  if (ground == "water") c = Mix({0.20, 0.28, 0.30}, {0.28, 0.38, 0.40}, n + 0.5 + fine * 0.3);
  if (ground == "ice") c = Mix({0.70, 0.78, 0.84}, {0.82, 0.88, 0.92}, n + 0.5 + (fine > 0.35 ? -0.6 : 0.0));
  if (ground == "ford") {
    c = Mix({0.30, 0.37, 0.36}, {0.42, 0.46, 0.42}, n + 0.5);
    if (fine > 0.25) c = {0.52, 0.50, 0.45};
  }
  if (ground == "woods" || ground == "trees") {
    const bool dense = ground == "woods";
    c = Mix(dense ? Colour{0.16, 0.24, 0.09} : Colour{0.26, 0.36, 0.14}, {0.30, 0.28, 0.14}, n + 0.4);
    if (mid > (dense ? -0.05 : 0.12)) c = Mix(c, {0.12, 0.20, 0.07}, 0.5 + fine * 0.4);  // undergrowth
  }
  if (ground == "woods-bare" || ground == "trees-bare") {
    c = Mix({0.36, 0.27, 0.16}, {0.44, 0.34, 0.20}, n + 0.5);  // leaf litter
    if (mid > 0.15) c = Mix(c, {0.24, 0.28, 0.14}, 0.5);
  }
  if (ground == "brush") {
    c = Mix({0.30, 0.34, 0.15}, {0.38, 0.40, 0.20}, n + 0.5);
    if (mid > 0.0) c = Mix(c, {0.18, 0.26, 0.10}, 0.5 + fine * 0.5);
  }
  if (ground == "rubble") {
    c = Mix({0.50, 0.46, 0.40}, {0.38, 0.34, 0.30}, n + 0.5);
    if (fine > 0.2) c = Mix({0.55, 0.30, 0.22}, {0.62, 0.60, 0.56}, mid + 0.5);
    if (fine < -0.35) c = {0.22, 0.20, 0.18};
  }
  c = Shade(c, 1.0 + fine * 0.12);
  if (snow && ground != "ice") {
    // Snow lies on everything; roads show their wheel tracks and woods their shadows.
    const bool way = ground == "road" || ground == "main-road" || ground == "track" || ground == "pavement";
    Colour white = Mix({0.86, 0.88, 0.92}, {0.95, 0.96, 0.98}, n + 0.5);
    if (way) white = Mix(white, {0.62, 0.60, 0.58}, std::max(0.0, mid) * 1.4);
    const double cover = way ? 0.82 : 0.88;
    c = Mix(c, white, cover + fine * 0.08);
  }
  if (edge) c = Shade(c, 0.82);
  return c;
}

// A tile piece in orientation 0: u along x and v along y from the tile's south-west corner.
// The renderer puts v = 0 on the bottom row, so the tile's north edge (mask row 0) is the
// top row and mask column c the c-th tenth from the left: the mask reads as it is drawn.
// The mask's cells are blended between their centres, so a staircase of cells becomes a
// slanting edge, and a little noise roughens it (less for a made road than for woods); at
// the centre of every cell the blend is the cell itself and the noise too small to turn it,
// so each 2 m cell shows exactly what the fine grid has there.
// The map lays a piece of any ground but the three raised ways (road, main road, track) with
// its corners pulled in to 0.012 and 0.988 of the bitmap, so such a piece is drawn into that
// window: the tile's edges fall on the window's, and a piece laid beside itself meets its
// own noise across the tile edge instead of jumping by the width of the margin.
void Piece(Painter& p, const Row& row) {
  const std::string ground = Arg(row, "ground");
  const bool raisedWay = ground == "road" || ground == "main-road" || ground == "track";
  constexpr double kInset = TextureRecipes::kPieceInset;
  auto onTile = [raisedWay](double t) { return raisedWay ? t : (t - kInset) / (1.0 - 2.0 * kInset); };
  const bool isRoad = row.args.count("road") != 0;
  const int32_t mask = isRoad ? Int(row, "road", 0) : Int(row, "shape", 0);
  const bool snow = Snow(row);
  const double seed = row.number * 0.173;
  const double roughness = isRoad ? 0.18 : 0.42;
  auto cell = [&](int32_t r, int32_t c) {
    r = std::clamp(r, 0, 9);
    c = std::clamp(c, 0, 9);
    return (isRoad ? TileMasks::RoadCell(mask, r, c) : TileMasks::ShapeCell(mask, r, c)) ? 1.0 : 0.0;
  };
  // The blended mask at a point (across and down in tile widths from the top-left corner).
  auto cover = [&](double across, double down) {
    const double x = across * 10 - 0.5, y = down * 10 - 0.5;
    const int32_t c = static_cast<int32_t>(std::floor(x)), r = static_cast<int32_t>(std::floor(y));
    const double fx = x - c, fy = y - r;
    return (cell(r, c) * (1 - fx) + cell(r, c + 1) * fx) * (1 - fy) + (cell(r + 1, c) * (1 - fx) + cell(r + 1, c + 1) * fx) * fy;
  };
  EachTexel(p, [&](int32_t, int32_t, double texelU, double texelDown, double& alpha) {
    const double u = onTile(texelU), down = onTile(texelDown);
    const double value = cover(u, down) + std::clamp(Tiled(u, down, 8, 3, seed + 20.0), -0.5, 0.5) * roughness;
    if (value <= 0.5) {
      alpha = 0;
      return Colour{0, 0, 0};
    }
    // A darker verge along the edge of a made way.
    return GroundColour(ground, snow, u, down, seed, isRoad && value < 0.62);
  });
}

// --- trees ------------------------------------------------------------------------------

struct TreeColours {
  Colour leaf, light, dark;
  bool leaves;
  bool snow;
};

TreeColours TreeLook(const std::string& look) {
  if (look == "pine") return {{0.12, 0.24, 0.12}, {0.22, 0.36, 0.18}, {0.06, 0.14, 0.07}, true, false};
  if (look == "broadleaf") return {{0.22, 0.38, 0.12}, {0.38, 0.52, 0.18}, {0.11, 0.22, 0.06}, true, false};
  if (look == "evergreen") return {{0.14, 0.28, 0.12}, {0.26, 0.40, 0.18}, {0.07, 0.16, 0.07}, true, false};
  if (look == "autumn") return {{0.66, 0.38, 0.10}, {0.86, 0.62, 0.18}, {0.44, 0.18, 0.06}, true, false};
  if (look == "willow") return {{0.46, 0.52, 0.22}, {0.62, 0.66, 0.30}, {0.28, 0.34, 0.12}, true, false};
  if (look == "snow-pine") return {{0.12, 0.22, 0.14}, {0.92, 0.94, 0.97}, {0.06, 0.12, 0.08}, true, true};
  if (look == "snow-broadleaf") return {{0.30, 0.24, 0.18}, {0.93, 0.94, 0.97}, {0.18, 0.14, 0.10}, false, true};
  return {{0.34, 0.27, 0.20}, {0.46, 0.38, 0.28}, {0.20, 0.15, 0.11}, false, false};  // bare
}

void Branches(cairo_t* cr, Dice& dice, double x, double y, double length, double angle, double width, int32_t depth,
              Colour bark, bool snow) {
  const double ex = x + std::cos(angle) * length, ey = y - std::sin(angle) * length;
  cairo_move_to(cr, x, y);
  cairo_line_to(cr, ex, ey);
  Stroke(cr, bark, width);
  if (snow && depth < 4 && width > 1.2) {
    cairo_move_to(cr, x, y - width * 0.5);
    cairo_line_to(cr, ex, ey - width * 0.5);
    Stroke(cr, {0.93, 0.94, 0.97}, std::max(1.0, width * 0.5));
  }
  if (depth == 0) return;
  const int32_t forks = depth > 2 ? 3 : 2;
  for (int32_t k = 0; k < forks; ++k) {
    const double turn = (k - (forks - 1) / 2.0) * dice.Range(0.35, 0.6) + dice.Range(-0.12, 0.12);
    Branches(cr, dice, ex, ey, length * dice.Range(0.62, 0.78), angle + turn, std::max(0.8, width * 0.66), depth - 1,
             bark, snow);
  }
}

// A billboard tree standing on the bottom edge (the renderer puts v = 0 on a bitmap's bottom
// row, so pictures stand in their bitmaps as they stand on screen).
void NearTree(Painter& p, const std::string& look, uint32_t seed) {
  cairo_t* cr = p.Cr();
  const double w = p.Width(), h = p.Height();
  const TreeColours tc = TreeLook(look);
  Dice dice(seed);
  const Colour bark{0.26, 0.19, 0.13};
  const bool pine = look == "pine" || look == "snow-pine";
  // The trunk reaches the ground line at the bottom.
  const double trunkW = w * (pine ? 0.07 : 0.09);
  const double trunkTop = tc.leaves ? h * 0.35 : h * 0.62;
  cairo_move_to(cr, w / 2 - trunkW, h);
  cairo_line_to(cr, w / 2 - trunkW * 0.45, trunkTop);
  cairo_line_to(cr, w / 2 + trunkW * 0.45, trunkTop);
  cairo_line_to(cr, w / 2 + trunkW, h);
  cairo_close_path(cr);
  Fill(cr, bark);
  cairo_rectangle(cr, w / 2 + trunkW * 0.1, trunkTop + h * 0.05, trunkW * 0.5, h - trunkTop - h * 0.05);
  Fill(cr, Shade(bark, 0.7));
  if (pine) {
    // Tiers of drooping boughs narrowing to the top.
    const int32_t tiers = 7;
    for (int32_t i = 0; i < tiers; ++i) {
      const double f = static_cast<double>(i) / tiers;
      const double top = h * (0.03 + f * 0.62), bottom = top + h * 0.2;
      const double half = w * (0.12 + f * 0.36);
      cairo_move_to(cr, w / 2, top);
      for (int32_t k = 0; k <= 8; ++k) {
        const double x = w / 2 + half * (k / 4.0 - 1.0);
        cairo_line_to(cr, x, bottom - (k % 2) * h * 0.03 + dice.Range(-2, 2));
      }
      cairo_close_path(cr);
      Fill(cr, Mix(tc.dark, tc.leaf, 0.4 + f * 0.4));
      cairo_move_to(cr, w / 2, top);
      cairo_line_to(cr, w / 2 - half * 0.85, bottom - h * 0.02);
      cairo_line_to(cr, w / 2 - half * 0.2, bottom - h * 0.05);
      cairo_close_path(cr);
      Fill(cr, tc.snow ? tc.light : Mix(tc.leaf, tc.light, 0.6));
    }
    return;
  }
  if (!tc.leaves) {
    Branches(cr, dice, w / 2, trunkTop + h * 0.02, h * 0.13, M_PI / 2, trunkW * 0.9, 5, bark, tc.snow);
    return;
  }
  Branches(cr, dice, w / 2, h * 0.5, h * 0.16, M_PI / 2, trunkW, 3, bark, false);
  // A lumpy crown of leaf clusters, lit from the upper left.
  const bool column = look == "evergreen";
  const bool drooping = look == "willow";
  // The crown keeps clear of the top edge, where the quad ends.
  const double cx = w / 2, cy = h * (column ? 0.40 : 0.40);
  const double rx = w * (column ? 0.30 : 0.40), ry = h * (column ? 0.28 : 0.24);
  for (int32_t pass = 0; pass < 3; ++pass) {
    const Colour c = pass == 0 ? tc.dark : pass == 1 ? tc.leaf : tc.light;
    const int32_t clusters = pass == 2 ? 26 : 60;
    for (int32_t k = 0; k < clusters; ++k) {
      const double a = dice.Range(0, 2 * M_PI), r = std::sqrt(dice.Next());
      double x = cx + std::cos(a) * r * rx, y = cy + std::sin(a) * r * ry;
      if (pass == 2) x -= rx * 0.25, y -= ry * 0.25;
      const double size = w * dice.Range(0.06, 0.12) * (pass == 2 ? 0.7 : 1.0);
      cairo_arc(cr, x, y, size, 0, 2 * M_PI);
      Fill(cr, Mix(c, tc.dark, dice.Range(0, 0.25)));
    }
  }
  if (drooping) {
    // Long strands hanging from the crown's rim.
    for (int32_t k = 0; k < 40; ++k) {
      const double a = dice.Range(0.15, M_PI - 0.15);
      const double x = cx + std::cos(a) * rx * dice.Range(0.6, 1.0), y = cy + std::sin(a) * ry * 0.4;
      cairo_move_to(cr, x, y);
      cairo_curve_to(cr, x + dice.Range(-3, 3), y + ry * 0.3, x + dice.Range(-4, 4), y + ry * 0.6, x, y + ry * dice.Range(0.6, 0.9));
      Stroke(cr, Mix(tc.leaf, tc.light, dice.Next()), dice.Range(2.0, 3.5));
    }
  }
}

// A crown seen from straight above, centred in the square.
void FarTree(Painter& p, const std::string& look, uint32_t seed) {
  cairo_t* cr = p.Cr();
  const double w = p.Width();
  const TreeColours tc = TreeLook(look);
  Dice dice(seed);
  const double c = w / 2, r = w * 0.46;
  if (!tc.leaves) {
    for (int32_t k = 0; k < 9; ++k)
      Branches(cr, dice, c, c, r * 0.45, k * 2 * M_PI / 9 + dice.Range(-0.2, 0.2), 3.0, 2, {0.30, 0.23, 0.16}, tc.snow);
    return;
  }
  const bool pine = look == "pine" || look == "snow-pine";
  for (int32_t pass = 0; pass < 3; ++pass) {
    const Colour col = pass == 0 ? tc.dark : pass == 1 ? tc.leaf : tc.light;
    const int32_t n = pine ? 48 : 40;
    for (int32_t k = 0; k < n; ++k) {
      const double a = dice.Range(0, 2 * M_PI), d = std::sqrt(dice.Next()) * r * (pass == 0 ? 0.86 : 0.7);
      double x = c + std::cos(a) * d, y = c + std::sin(a) * d;
      if (pass == 2) x -= r * 0.15, y -= r * 0.15;
      if (pine) {
        cairo_move_to(cr, c + (x - c) * 0.1, c + (y - c) * 0.1);
        cairo_line_to(cr, x + dice.Range(-4, 4), y + dice.Range(-4, 4));
        Stroke(cr, col, w * 0.07);
      } else {
        cairo_arc(cr, x, y, w * dice.Range(0.07, 0.13), 0, 2 * M_PI);
        Fill(cr, col);
      }
    }
  }
}

// --- sky --------------------------------------------------------------------------------

// A wall of the sky box: the bottom row is the horizon (v = 0.01 at the floor) and the top
// row the top of the wall; it repeats across u, so the four walls meet without a seam.
void Sky(Painter& p, const Row& row) {
  const std::string season = Arg(row, "season"), sky = Arg(row, "sky");
  Colour horizon{0.78, 0.84, 0.90}, zenith{0.30, 0.48, 0.76};
  double cloud = 0.15, cloudiness = -0.05;
  Colour cloudColour{0.97, 0.97, 0.98}, cloudShade{0.70, 0.72, 0.76};
  if (sky == "overcast") horizon = {0.70, 0.71, 0.72}, zenith = {0.52, 0.54, 0.57}, cloud = 0.9, cloudiness = 0.6,
    cloudColour = {0.74, 0.75, 0.77}, cloudShade = {0.50, 0.52, 0.55};
  if (sky == "dusk") horizon = {0.95, 0.62, 0.36}, zenith = {0.24, 0.26, 0.46}, cloudColour = {0.92, 0.56, 0.44},
    cloudShade = {0.40, 0.30, 0.36};
  if (sky == "night") horizon = {0.10, 0.13, 0.22}, zenith = {0.02, 0.03, 0.08}, cloudColour = {0.16, 0.18, 0.26},
    cloudShade = {0.06, 0.07, 0.12};
  if (sky == "overcast-night") horizon = {0.11, 0.11, 0.13}, zenith = {0.05, 0.05, 0.06}, cloud = 0.9,
    cloudiness = 0.6, cloudColour = {0.13, 0.13, 0.15}, cloudShade = {0.06, 0.06, 0.07};
  if (season == "autumn") horizon = Mix(horizon, {0.80, 0.74, 0.62}, 0.25), zenith = Mix(zenith, horizon, 0.15);
  if (season == "snow") horizon = Mix(horizon, {0.88, 0.90, 0.94}, 0.3), zenith = Mix(zenith, {0.62, 0.66, 0.72}, 0.3);
  const bool night = sky == "night";
  const double z = row.number * 0.37;
  const double aspect = static_cast<double>(p.Height()) / p.Width();
  EachTexel(p, [&](int32_t x, int32_t y, double u, double down, double&) {
    const double v = 1.0 - down;  // height up the wall
    Colour c = Mix(horizon, zenith, std::pow(v, 0.6));
    // Clouds thin and flatten toward the horizon.
    const double n = TiledAcross(u, v * aspect, 8, 5, z) + cloudiness;
    const double amount = std::clamp((n + 0.1) * 3.0, 0.0, 1.0) * std::min(1.0, 0.25 + v * 2.0);
    if (amount > 0) {
      const double lit = TiledAcross(u, v * aspect + 0.01, 16, 2, z + 9.0);
      c = Mix(c, Mix(cloudShade, cloudColour, 0.6 + lit), amount * (0.6 + cloud * 0.4));
    }
    if (night && amount < 0.2 && v > 0.08) {
      const uint32_t hash = static_cast<uint32_t>(x * 73856093) ^ static_cast<uint32_t>(y * 19349663);
      if (hash % 611 == 0) c = Mix(c, {0.95, 0.95, 0.9}, 0.8);
    }
    if (v < 0.04) c = Mix(c, horizon, 1.0 - v / 0.04);  // haze where the sky meets the land
    return c;
  });
}

// --- buildings --------------------------------------------------------------------------

struct Material {
  Colour wall, joint, trim, frame;
  int32_t pattern;  // 0 smooth render, 1 stone courses, 2 brick, 3 timber frame
};

Material MaterialOf(const std::string& build) {
  if (build == "stone") return {{0.56, 0.54, 0.50}, {0.40, 0.38, 0.35}, {0.62, 0.60, 0.56}, {0.30, 0.24, 0.18}, 1};
  if (build == "limestone") return {{0.72, 0.66, 0.52}, {0.56, 0.50, 0.40}, {0.78, 0.74, 0.62}, {0.34, 0.30, 0.24}, 1};
  if (build == "brick") return {{0.58, 0.30, 0.22}, {0.66, 0.62, 0.56}, {0.70, 0.66, 0.58}, {0.24, 0.26, 0.22}, 2};
  if (build == "dark-brick") return {{0.42, 0.22, 0.17}, {0.50, 0.47, 0.42}, {0.60, 0.56, 0.50}, {0.18, 0.20, 0.18}, 2};
  if (build == "plaster") return {{0.84, 0.81, 0.72}, {0.70, 0.66, 0.58}, {0.60, 0.58, 0.54}, {0.28, 0.32, 0.26}, 0};
  if (build == "ochre") return {{0.78, 0.64, 0.40}, {0.62, 0.50, 0.32}, {0.86, 0.82, 0.72}, {0.30, 0.22, 0.16}, 0};
  if (build == "timber") return {{0.86, 0.82, 0.70}, {0.70, 0.66, 0.56}, {0.30, 0.20, 0.13}, {0.30, 0.20, 0.13}, 3};
  if (build == "farmhouse") return {{0.80, 0.76, 0.66}, {0.66, 0.62, 0.54}, {0.36, 0.26, 0.18}, {0.20, 0.30, 0.22}, 3};
  if (build == "townhouse") return {{0.62, 0.58, 0.52}, {0.46, 0.43, 0.40}, {0.74, 0.72, 0.66}, {0.22, 0.22, 0.22}, 1};
  if (build == "rendered") return {{0.74, 0.72, 0.66}, {0.58, 0.56, 0.52}, {0.84, 0.82, 0.78}, {0.22, 0.26, 0.30}, 0};
  if (build == "hall") return {{0.64, 0.38, 0.28}, {0.70, 0.66, 0.60}, {0.78, 0.74, 0.66}, {0.20, 0.20, 0.20}, 2};
  return {{0.62, 0.60, 0.55}, {0.46, 0.44, 0.40}, {0.70, 0.68, 0.62}, {0.20, 0.16, 0.12}, 1};  // church
}

void Masonry(Painter& p, const Material& m, double x0, double y0, double x1, double y1, uint32_t seed) {
  cairo_t* cr = p.Cr();
  p.Grain(x0, y0, x1 - x0, y1 - y0, m.wall, m.pattern == 0 ? 0.10 : 0.16, 6.0, static_cast<int32_t>(seed));
  Dice dice(seed);
  if (m.pattern == 1 || m.pattern == 2) {
    const double course = m.pattern == 2 ? 3.0 : 6.0, unit = m.pattern == 2 ? 8.0 : 14.0;
    int32_t k = 0;
    for (double y = y1; y > y0; y -= course, ++k) {
      const double shift = (k % 2) * unit / 2 + (m.pattern == 1 ? dice.Range(0, unit) : 0.0);
      for (double x = x0 - unit + shift; x < x1; x += m.pattern == 1 ? unit * dice.Range(0.7, 1.3) : unit) {
        cairo_rectangle(cr, x + 0.5, y - course + 0.5, (m.pattern == 1 ? unit * 0.9 : unit) - 1.0, course - 1.0);
        Fill(cr, Shade(m.wall, dice.Range(0.86, 1.1)), 0.55);
      }
      cairo_move_to(cr, x0, y);
      cairo_line_to(cr, x1, y);
      Stroke(cr, m.joint, 0.8, 0.8);
    }
  }
  if (m.pattern == 3) {
    // Dark beams: posts, a rail at mid height and braces.
    for (double x = x0 + 2; x < x1; x += 21) {
      cairo_rectangle(cr, x, y0, 3, y1 - y0);
      Fill(cr, m.trim);
    }
    for (double y : {y0 + 1.0, (y0 + y1) / 2, y1 - 3.0}) {
      cairo_rectangle(cr, x0, y, x1 - x0, 3);
      Fill(cr, m.trim);
    }
    for (double x = x0 + 2; x + 21 < x1; x += 42) {
      cairo_move_to(cr, x + 2, (y0 + y1) / 2 + 2);
      cairo_line_to(cr, x + 22, y1 - 2);
      Stroke(cr, m.trim, 2.5);
    }
  }
  // Weathering: a darker foot and streaks.
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y1 - 14, 0, y1);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.2, 0.18, 0.12, 0);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.2, 0.18, 0.12, 0.45);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, x0, y1 - 14, x1 - x0, 14);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void Window(Painter& p, const Material& m, double x, double y, double w, double h, bool snow, bool arched) {
  cairo_t* cr = p.Cr();
  cairo_rectangle(cr, x - 1.5, y - 1.5, w + 3, h + 3);
  Fill(cr, m.trim);
  if (arched) {
    cairo_move_to(cr, x, y + h);
    cairo_line_to(cr, x, y + w / 2);
    cairo_arc(cr, x + w / 2, y + w / 2, w / 2, M_PI, 2 * M_PI);
    cairo_line_to(cr, x + w, y + h);
    cairo_close_path(cr);
  } else {
    cairo_rectangle(cr, x, y, w, h);
  }
  Fill(cr, {0.10, 0.12, 0.14});
  cairo_rectangle(cr, x + w * 0.12, y + h * 0.1, w * 0.3, h * 0.3);
  Fill(cr, {0.42, 0.48, 0.52}, 0.5);  // a glint of sky in the glass
  cairo_move_to(cr, x + w / 2, y);
  cairo_line_to(cr, x + w / 2, y + h);
  cairo_move_to(cr, x, y + h * 0.45);
  cairo_line_to(cr, x + w, y + h * 0.45);
  Stroke(cr, m.frame, 1.2);
  if (!arched) {  // shutters
    cairo_rectangle(cr, x - w * 0.45 - 1.5, y, w * 0.45, h);
    cairo_rectangle(cr, x + w + 1.5, y, w * 0.45, h);
    Fill(cr, m.frame);
  }
  cairo_rectangle(cr, x - 2.5, y + h + 1.5, w + 5, 2);
  Fill(cr, snow ? Colour{0.94, 0.95, 0.97} : Shade(m.trim, 0.8));
}

// A wall face: the wall from the ground up to the gable line (when given) and
// the gable triangle above it, windows in rows by storey and a door in the front.
void Wall(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const Material m = MaterialOf(Arg(row, "build"));
  const std::string face = Arg(row, "face");
  const bool snow = Snow(row);
  const double w = p.Width(), h = p.Height();
  const int32_t gable = Int(row, "gable", 0);
  const double top = gable > 0 ? h * (1.0 - gable / 100.0) : 0.0;  // where the wall meets the gable
  const int32_t storeys = Int(row, "storeys", 1);
  const bool church = Arg(row, "build") == "church";
  const uint32_t seed = static_cast<uint32_t>(row.number);
  // Above the wall line, outside the gable: the shadow under the eaves (never shown).
  cairo_rectangle(cr, 0, 0, w, h);
  Fill(cr, Shade(m.wall, 0.45));
  Masonry(p, m, 0, top, w, h, seed);
  if (gable > 0) {
    cairo_save(cr);
    cairo_move_to(cr, 0, top);
    cairo_line_to(cr, w / 2, 0);
    cairo_line_to(cr, w, top);
    cairo_close_path(cr);
    cairo_clip(cr);
    Material gm = m;
    if (m.pattern == 3) gm.pattern = 0;
    Masonry(p, gm, 0, 0, w, top + 1, seed + 7);
    cairo_restore(cr);
    cairo_move_to(cr, 0, top);
    cairo_line_to(cr, w / 2, 0);
    cairo_line_to(cr, w, top);
    Stroke(cr, snow ? Colour{0.94, 0.95, 0.97} : Shade(m.trim, 0.7), 3);
    if (face != "tower") Window(p, m, w / 2 - 5, top * 0.45, 10, top * 0.3, snow, church);  // loft
  }
  const double wallH = h - top;
  const double storeyH = wallH / storeys;
  const bool door = face == "front";
  for (int32_t s = 0; s < storeys; ++s) {
    const double floorY = h - storeyH * (s + 1);
    const int32_t windows = face == "side" ? 3 : 2;
    for (int32_t k = 0; k < windows; ++k) {
      const double cx = w * (k + 0.5) / windows;
      if (door && s == 0 && windows == 2) {
        // Door in the middle, windows either side.
        const double x = k == 0 ? w * 0.2 : w * 0.8;
        Window(p, m, x - 7, floorY + storeyH * 0.22, 14, storeyH * (church ? 0.6 : 0.42), snow, church);
        continue;
      }
      Window(p, m, cx - 7, floorY + storeyH * 0.22, 14, storeyH * (church ? 0.6 : 0.42), snow, church);
    }
    if (door && s == 0) {
      const double dw = church ? 22 : 16, dh = storeyH * 0.72;
      cairo_rectangle(cr, w / 2 - dw / 2 - 2, h - dh - 2, dw + 4, dh + 2);
      Fill(cr, m.trim);
      cairo_rectangle(cr, w / 2 - dw / 2, h - dh, dw, dh);
      Fill(cr, Shade(m.frame, 0.9));
      cairo_move_to(cr, w / 2, h - dh);
      cairo_line_to(cr, w / 2, h);
      Stroke(cr, Shade(m.frame, 0.5), 1);
    }
  }
  if (snow) {
    // Drift along the foot and on the wall top.
    cairo_rectangle(cr, 0, h - 5, w, 5);
    Fill(cr, {0.92, 0.93, 0.96});
  }
}

// Roof covering that repeats both ways: courses run across u, a v of 2 spans the pitch.
void Roof(Painter& p, const Row& row) {
  const std::string look = Arg(row, "look");
  const bool slate = look == "slate", snow = look == "snow";
  const double rows = slate ? 16 : 10, across = slate ? 12 : 10;
  const Colour base = slate ? Colour{0.30, 0.32, 0.36} : Colour{0.62, 0.28, 0.18};
  EachTexel(p, [&](int32_t, int32_t, double u, double v, double&) {
    const double cv = v * rows, r = std::floor(cv), fv = cv - r;
    const double cu = u * across + (static_cast<int32_t>(r) % 2) * 0.5, k = std::floor(cu), fu = cu - k;
    const double tileN = Noise(k * 0.37 + 0.5, r * 0.53 + 0.5, row.number * 0.1, 0, 0);
    Colour c = Shade(base, 1.0 + tileN * 0.35 + (1.0 - fv) * 0.12);
    if (fv < 0.12 || fu < 0.05) c = Shade(c, 0.55);
    c = Shade(c, 1.0 + Tiled(u, v, 16, 2, row.number) * 0.15);
    if (snow) {
      const Colour white = Mix({0.86, 0.88, 0.93}, {0.96, 0.97, 0.99}, Tiled(u, v, 4, 3, 3.0) + 0.5);
      c = Mix(white, Shade(c, 0.8), fv < 0.1 && Tiled(u, v, 8, 2, 5.0) > 0.15 ? 0.7 : 0.0);
    }
    return c;
  });
}

// A bridge's side from the stream bed (bottom row) to the deck (top row).
void Bridge(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const double w = p.Width(), h = p.Height();
  const bool wrecked = Arg(row, "state") == "wrecked";
  Dice dice(static_cast<uint32_t>(row.number));
  if (Arg(row, "build") == "stone") {
    Masonry(p, MaterialOf("stone"), 0, 0, w, h, static_cast<uint32_t>(row.number));
    cairo_move_to(cr, w * 0.18, h);
    cairo_curve_to(cr, w * 0.18, h * 0.3, w * 0.82, h * 0.3, w * 0.82, h);
    cairo_close_path(cr);
    Fill(cr, {0.08, 0.09, 0.10});
    cairo_move_to(cr, w * 0.18, h);
    cairo_curve_to(cr, w * 0.18, h * 0.3, w * 0.82, h * 0.3, w * 0.82, h);
    Stroke(cr, {0.70, 0.68, 0.62}, 3);
    cairo_rectangle(cr, 0, 0, w, h * 0.1);
    Fill(cr, {0.64, 0.62, 0.58});
  } else {
    cairo_rectangle(cr, 0, 0, w, h);
    Fill(cr, {0.14, 0.15, 0.16});
    const Colour steel{0.36, 0.38, 0.36};
    for (double y : {h * 0.06, h * 0.86}) {
      cairo_rectangle(cr, 0, y, w, h * 0.1);
      Fill(cr, steel);
    }
    for (double x = 0; x < w; x += w / 4) {
      cairo_move_to(cr, x, h * 0.9);
      cairo_line_to(cr, x + w / 8, h * 0.12);
      cairo_line_to(cr, x + w / 4, h * 0.9);
      Stroke(cr, steel, 4);
    }
    for (double x = 4; x < w; x += 8) {
      p.Rivet(x, h * 0.11, 1.2, steel);
      p.Rivet(x, h * 0.91, 1.2, steel);
    }
  }
  if (wrecked) {
    // A broken span: scorched, cracked and torn open.
    cairo_move_to(cr, w * 0.35, 0);
    for (int32_t k = 0; k < 8; ++k) cairo_line_to(cr, w * dice.Range(0.4, 0.75), h * k / 7.0);
    cairo_line_to(cr, w * 0.3, h);
    cairo_close_path(cr);
    Fill(cr, {0.06, 0.06, 0.06});
    for (int32_t k = 0; k < 5; ++k) {
      cairo_arc(cr, dice.Range(0, w), dice.Range(0, h), dice.Range(6, 14), 0, 2 * M_PI);
      Fill(cr, {0.10, 0.09, 0.08}, 0.45);
    }
  }
}

// --- fire, smoke and effects ------------------------------------------------------------

Colour FireRamp(double heat) {
  if (heat < 0.33) return Mix({0.45, 0.06, 0.02}, {0.85, 0.25, 0.04}, heat / 0.33);
  if (heat < 0.66) return Mix({0.85, 0.25, 0.04}, {1.0, 0.62, 0.12}, (heat - 0.33) / 0.33);
  return Mix({1.0, 0.62, 0.12}, {1.0, 0.93, 0.62}, (heat - 0.66) / 0.34);
}

// Flames rising from the bottom edge. frames frames of a loop: the noise
// climbs one whole period over the loop, so the last frame leads back into the first.
void Flames(Painter& p, int32_t frame, int32_t frames, double seed) {
  const double phase = static_cast<double>(frame) / frames;
  EachTexel(p, [&](int32_t, int32_t, double u, double v, double& alpha) {
    const double up = 1.0 - v;  // 0 at the ground
    const double n = Tiled(u, v + phase, 4, 3, seed);
    const double width = 0.42 * (1.0 - up * 0.75) + n * 0.12;
    const double heat = 1.0 - std::abs(u - 0.5) / std::max(0.01, width) - up * 0.55 + n * 0.5;
    if (heat < 0.15) {
      alpha = 0;
      return Colour{0, 0, 0};
    }
    return FireRamp(std::min(1.0, heat));
  });
}

// A round puff of smoke; grow 0..1 makes it larger, thinner and paler.
void Puff(Painter& p, double grow, double seed, Colour dark, Colour light) {
  EachTexel(p, [&](int32_t, int32_t, double u, double v, double& alpha) {
    const double dx = u - 0.5, dy = v - 0.5, d = std::sqrt(dx * dx + dy * dy) * 2;
    const double radius = 0.45 + grow * 0.5;
    const double n = Tiled(u, v, 4, 4, seed);
    const double density = 1.0 - d / radius + n * 0.7 - grow * 0.35;
    if (density < 0.05) {
      alpha = 0;
      return Colour{0, 0, 0};
    }
    return Mix(Mix(dark, light, grow * 0.6), light, std::clamp(0.5 - dy * 1.2 + n, 0.0, 1.0));
  });
}

// The puff a smoke column is built of: the column draws a dozen of them, each turned about
// the line of sight by its own angle and larger the higher it has risen, so each must be
// round; darker and denser than a lying cloud's, as the smoke of a fire is.
void ColumnPuff(Painter& p, double seed) { Puff(p, 0.15, seed, {0.13, 0.12, 0.11}, {0.46, 0.45, 0.44}); }

void Flash(Painter& p) {
  cairo_t* cr = p.Cr();
  const double w = p.Width(), c = w / 2;
  for (int32_t pass = 0; pass < 2; ++pass) {
    cairo_move_to(cr, c + w * 0.48, c);
    for (int32_t k = 1; k <= 16; ++k) {
      const double a = k * M_PI / 8, r = (k % 2 ? 0.16 : (k % 4 ? 0.34 : 0.48)) * w * (pass ? 0.55 : 1.0);
      cairo_line_to(cr, c + std::cos(a) * r, c + std::sin(a) * r);
    }
    cairo_close_path(cr);
    Fill(cr, pass ? Colour{1.0, 0.96, 0.75} : Colour{1.0, 0.62, 0.16});
  }
}

void FlameJet(Painter& p, int32_t variant) {
  EachTexel(p, [&](int32_t, int32_t, double u, double v, double& alpha) {
    const double n = Tiled(u, v, 4, 4, 50.0 + variant * 7.0);
    const double dx = u - 0.5, dy = v - 0.5;
    const double heat = 1.0 - std::sqrt(dx * dx * 1.4 + dy * dy * 1.4) * 2.1 + n * 0.8;
    if (heat < 0.1) {
      alpha = 0;
      return Colour{0, 0, 0};
    }
    return FireRamp(std::min(1.0, heat * 1.1));
  });
}

void Fragment(Painter& p, int32_t variant) {
  cairo_t* cr = p.Cr();
  const double w = p.Width();
  Dice dice(static_cast<uint32_t>(variant + 77));
  const Colour tones[4] = {{0.24, 0.22, 0.20}, {0.36, 0.28, 0.20}, {0.30, 0.31, 0.30}, {0.46, 0.40, 0.32}};
  cairo_move_to(cr, w / 2 + w * 0.4, w / 2);
  for (int32_t k = 1; k < 7; ++k) {
    const double a = k * M_PI / 3.5, r = w * dice.Range(0.18, 0.46);
    cairo_line_to(cr, w / 2 + std::cos(a) * r, w / 2 + std::sin(a) * r);
  }
  cairo_close_path(cr);
  Fill(cr, tones[variant]);
  cairo_move_to(cr, w * 0.3, w * 0.35);
  cairo_line_to(cr, w * 0.6, w * 0.3);
  Stroke(cr, Shade(tones[variant], 1.6), 1.5);
}

void GunWheel(Painter& p) {
  cairo_t* cr = p.Cr();
  const double c = p.Width() / 2.0, r = c - 1;
  cairo_arc(cr, c, c, r, 0, 2 * M_PI);
  Fill(cr, {0.10, 0.10, 0.10});
  cairo_arc(cr, c, c, r * 0.8, 0, 2 * M_PI);
  Fill(cr, {0.34, 0.36, 0.28});
  cairo_arc(cr, c, c, r * 0.68, 0, 2 * M_PI);
  Fill(cr, {0.22, 0.23, 0.18});
  for (int32_t k = 0; k < 12; ++k) {
    const double a = k * M_PI / 6;
    cairo_move_to(cr, c, c);
    cairo_line_to(cr, c + std::cos(a) * r * 0.7, c + std::sin(a) * r * 0.7);
    Stroke(cr, {0.42, 0.44, 0.34}, 3);
  }
  cairo_arc(cr, c, c, r * 0.18, 0, 2 * M_PI);
  Fill(cr, {0.30, 0.31, 0.26});
  p.Rivet(c, c, r * 0.08, {0.5, 0.5, 0.45});
}

// Standing markers: a pole with the marker's sign on it.
void Marker(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const double w = p.Width(), h = p.Height();
  const std::string what = Arg(row, "what");
  const Colour pole{0.40, 0.30, 0.20};
  cairo_rectangle(cr, w / 2 - w * 0.05, h * 0.12, w * 0.1, h * 0.88);
  Fill(cr, pole);
  if (what == "north") {
    // A white arrow pointing up with a bar across: the far side of the field.
    cairo_move_to(cr, w / 2, 0);
    cairo_line_to(cr, w * 0.95, h * 0.28);
    cairo_line_to(cr, w * 0.65, h * 0.28);
    cairo_line_to(cr, w * 0.65, h * 0.5);
    cairo_line_to(cr, w * 0.35, h * 0.5);
    cairo_line_to(cr, w * 0.35, h * 0.28);
    cairo_line_to(cr, w * 0.05, h * 0.28);
    cairo_close_path(cr);
    Fill(cr, {0.95, 0.93, 0.86});
    cairo_move_to(cr, w * 0.4, h * 0.46);
    cairo_line_to(cr, w * 0.4, h * 0.32);
    cairo_line_to(cr, w * 0.6, h * 0.46);
    cairo_line_to(cr, w * 0.6, h * 0.32);
    Stroke(cr, {0.55, 0.10, 0.08}, 3);
    return;
  }
  if (what == "reference") {
    // A surveyor's stake in red and white bands.
    for (int32_t k = 0; k < 6; ++k) {
      cairo_rectangle(cr, w / 2 - w * 0.08, h * (0.1 + k * 0.13), w * 0.16, h * 0.13);
      Fill(cr, k % 2 ? Colour{0.95, 0.95, 0.92} : Colour{0.75, 0.12, 0.10});
    }
    return;
  }
  // A pennant: blue for a reinforcement group, dark green for an ambush.
  const Colour cloth = what == "ambush" ? Colour{0.20, 0.32, 0.16} : Colour{0.16, 0.28, 0.60};
  cairo_move_to(cr, w / 2 + w * 0.05, h * 0.12);
  cairo_line_to(cr, w * 0.98, h * 0.24);
  cairo_line_to(cr, w / 2 + w * 0.05, h * 0.36);
  cairo_close_path(cr);
  Fill(cr, cloth);
  cairo_move_to(cr, w / 2 + w * 0.1, h * 0.24);
  cairo_line_to(cr, w * 0.8, h * 0.24);
  Stroke(cr, {0.95, 0.93, 0.86}, 2);
  cairo_arc(cr, w / 2, h * 0.11, w * 0.07, 0, 2 * M_PI);
  Fill(cr, {0.8, 0.7, 0.2});
  // A numbered group's marker: one white band across the pole per group number.
  const int32_t group = Int(row, "group", 0);
  for (int32_t k = 0; k < group; ++k) {
    cairo_rectangle(cr, w / 2 - w * 0.16, h * 0.40 + k * h * 0.05, w * 0.32, h * 0.032);
    Fill(cr, {0.95, 0.93, 0.86});
  }
}

// Exit band: stripes with chevrons pointing away from the map (v grows outward, up the
// bitmap).
void Exit(Painter& p, const Row& row) {
  const bool own = Arg(row, "side") == "own";
  const Colour a = own ? Colour{0.24, 0.46, 0.20} : Colour{0.62, 0.14, 0.10}, b{0.90, 0.88, 0.78};
  EachTexel(p, [&](int32_t, int32_t, double u, double down, double&) {
    const double v = 1.0 - down;
    const double chevron = std::fmod(v * 2 - std::abs(u - 0.5) * 1.2 + 2.0, 1.0);
    Colour c = chevron < 0.4 ? a : Mix(a, b, 0.85);
    return Shade(c, 1.0 - v * 0.3 + Tiled(u, v, 8, 2, 3.0) * 0.1);
  });
}

// The order and command line styles: 32 bands, each 1/32 of the height, one colour each.
void Lines(Painter& p) {
  static const Colour kStyles[32] = {
      {0.20, 0.85, 0.25}, {0.95, 0.85, 0.20}, {0.95, 0.55, 0.15}, {0.30, 0.60, 0.95}, {0.85, 0.30, 0.85},
      {0.20, 0.85, 0.85}, {0.95, 0.95, 0.95}, {0.55, 0.95, 0.30}, {0.95, 0.70, 0.55}, {0.60, 0.60, 0.95},
      {0.75, 0.75, 0.30}, {0.40, 0.80, 0.60}, {0.95, 0.40, 0.40}, {0.25, 0.45, 0.95}, {0.35, 0.85, 0.95},
      {0.95, 0.95, 0.40}, {0.95, 0.20, 0.20}, {0.20, 0.95, 0.20}, {0.95, 0.60, 0.10}, {0.30, 0.30, 0.95},
      {0.90, 0.90, 0.90}, {0.60, 0.40, 0.20}, {0.70, 0.20, 0.70}, {0.50, 0.90, 0.90}, {0.55, 0.05, 0.05},
      {0.90, 0.15, 0.10}, {0.95, 0.80, 0.10}, {0.75, 0.75, 0.75}, {0.40, 0.70, 0.30}, {0.30, 0.50, 0.70},
      {0.80, 0.50, 0.30}, {0.60, 0.60, 0.60}};
  EachTexel(p, [&](int32_t, int32_t y, double u, double, double&) {
    const int32_t band = std::clamp(y * 32 / p.Height(), 0, 31);
    // The ridge (u near 1) bright, the sides (u near 0) darker, for a raised look.
    return Shade(kStyles[band], 0.6 + 0.4 * u);
  });
}

void Crater(Painter& p, const Row& row) {
  const bool fresh = Arg(row, "age") == "fresh", snow = Snow(row);
  EachTexel(p, [&](int32_t, int32_t, double u, double v, double& alpha) {
    const double dx = u - 0.5, dy = v - 0.5;
    const double n = Tiled(u, v, 4, 3, row.number * 0.3);
    const double d = std::sqrt(dx * dx + dy * dy) * 2 + n * 0.18;
    if (d > 0.98) {
      alpha = 0;
      return Colour{0, 0, 0};
    }
    Colour earth = fresh ? Colour{0.20, 0.17, 0.14} : Colour{0.36, 0.30, 0.22};
    if (d > 0.62) earth = Mix(fresh ? Colour{0.36, 0.30, 0.22} : Colour{0.42, 0.40, 0.26}, earth, (0.98 - d) * 2);
    earth = Shade(earth, 1.0 + dx * 0.5 - dy * 0.5 + n * 0.3);  // lit rim on one side
    if (snow && d > 0.7) earth = Mix(earth, {0.80, 0.80, 0.80}, (d - 0.7) * 2.5);
    return earth;
  });
}

// --- units ------------------------------------------------------------------------------

const char* kArmies[6] = {"german", "us", "british", "canadian", "polish", "french"};

void Badge(Painter& p, const Row& row) { BitmapRecipes::DrawEmblem(p, kArmies[Int(row, "owner", 0)], 0, 0, p.Width(), p.Height()); }

void VictoryFlag(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const int32_t owner = Int(row, "owner", 0);
  const double w = p.Width(), h = p.Height();
  if (owner < 6) {
    BitmapRecipes::DrawEmblem(p, kArmies[owner], 0, 0, w, h);
    return;
  }
  p.Grain(0, 0, w, h, owner == 6 ? Colour{0.86, 0.84, 0.76} : Colour{0.40, 0.40, 0.38}, 0.12, 6, owner);
  if (owner == 6) {  // contested: split between the two sides' colours
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, w, 0);
    cairo_line_to(cr, 0, h);
    cairo_close_path(cr);
    Fill(cr, {0.42, 0.45, 0.41});
    cairo_move_to(cr, w, 0);
    cairo_line_to(cr, 0, h);
    Stroke(cr, {0.9, 0.9, 0.86}, 3);
  } else {  // not yet seen: a plain cloth with a border
    cairo_rectangle(cr, 3, 3, w - 6, h - 6);
    Stroke(cr, {0.2, 0.2, 0.2}, 2);
  }
  p.Bevel(0, 0, w, h, 1, false);
}

// Textures of carried items: wood and steel weapons, webbing, packs and the radio.
void Equipment(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const int32_t item = Int(row, "item", 0);
  const double w = p.Width(), h = p.Height();
  static const Colour kBase[15] = {{0.26, 0.24, 0.22}, {0.20, 0.20, 0.20}, {0.18, 0.19, 0.20}, {0.42, 0.44, 0.38},
                                   {0.24, 0.25, 0.24}, {0.36, 0.35, 0.22}, {0.34, 0.24, 0.15}, {0.56, 0.50, 0.34},
                                   {0.40, 0.42, 0.38}, {0.30, 0.32, 0.22}, {0.28, 0.30, 0.24}, {0.50, 0.46, 0.32},
                                   {0.30, 0.28, 0.24}, {0.32, 0.34, 0.22}, {0.26, 0.28, 0.20}};
  p.Grain(0, 0, w, h, kBase[item], 0.18, 5, item * 11);
  const bool weapon = item == 0 || item == 2 || item == 4 || item == 12;
  if (weapon) {
    // A stock of wood along the lower half and the steel above it.
    cairo_rectangle(cr, 0, h * 0.55, w, h * 0.45);
    Fill(cr, {0.42, 0.26, 0.14});
    for (double y = h * 0.6; y < h; y += 4) {
      cairo_move_to(cr, 0, y);
      cairo_curve_to(cr, w * 0.3, y + 2, w * 0.6, y - 2, w, y + 1);
      Stroke(cr, {0.30, 0.18, 0.10}, 0.8);
    }
  } else if (item == 10) {
    // The radio's face: dials and a handset hook.
    for (double x : {w * 0.22, w * 0.46, w * 0.7}) {
      cairo_arc(cr, x, h * 0.3, w * 0.08, 0, 2 * M_PI);
      Fill(cr, {0.1, 0.1, 0.1});
    }
    cairo_rectangle(cr, w * 0.15, h * 0.6, w * 0.7, h * 0.15);
    Fill(cr, {0.16, 0.17, 0.14});
  } else {
    // Webbing straps and stitched pouch edges.
    for (double y = h * 0.2; y < h; y += h * 0.3) {
      cairo_rectangle(cr, 0, y, w, h * 0.08);
      Fill(cr, Shade(kBase[item], 0.75));
    }
    cairo_rectangle(cr, 2, 2, w - 4, h - 4);
    cairo_set_dash(cr, std::vector<double>{2.0, 2.0}.data(), 2, 0);
    Stroke(cr, Shade(kBase[item], 1.4), 0.8);
    cairo_set_dash(cr, nullptr, 0, 0);
  }
}

// A soldier's face seen from the front, the whole texture: twelve of them, varied in skin,
// brows, nose, mouth, stubble and a helmet's shadow.
void Face(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const int32_t n = Int(row, "variant", 0);
  const double w = p.Width(), h = p.Height();
  Dice dice(static_cast<uint32_t>(n * 31 + 5));
  static const Colour kSkins[4] = {{0.86, 0.68, 0.56}, {0.78, 0.60, 0.46}, {0.90, 0.74, 0.62}, {0.70, 0.52, 0.38}};
  const Colour skin = kSkins[n % 4];
  p.Grain(0, 0, w, h, skin, 0.06, 8, n);
  // Shading under the brim and at the sides.
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h * 0.35);
  cairo_pattern_add_color_stop_rgba(g, 0, 0.2, 0.12, 0.08, 0.55);
  cairo_pattern_add_color_stop_rgba(g, 1, 0.2, 0.12, 0.08, 0);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, 0, 0, w, h * 0.35);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  const double eyeY = h * dice.Range(0.38, 0.44), spread = w * dice.Range(0.17, 0.21);
  const Colour brow = n % 3 == 0 ? Colour{0.55, 0.40, 0.22} : Colour{0.22, 0.15, 0.10};
  for (int32_t side = -1; side <= 1; side += 2) {
    const double ex = w / 2 + side * spread;
    cairo_save(cr);
    cairo_translate(cr, ex, eyeY);
    cairo_scale(cr, w * 0.08, h * 0.035);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    Fill(cr, {0.95, 0.93, 0.88});
    cairo_arc(cr, ex, eyeY, w * 0.03, 0, 2 * M_PI);
    Fill(cr, n % 4 == 2 ? Colour{0.25, 0.40, 0.55} : Colour{0.25, 0.18, 0.12});
    cairo_move_to(cr, ex - w * 0.1, eyeY - h * dice.Range(0.06, 0.09));
    cairo_line_to(cr, ex + w * 0.1, eyeY - h * dice.Range(0.06, 0.09));
    Stroke(cr, brow, h * dice.Range(0.02, 0.04));
  }
  // Nose shadow and mouth.
  const double noseW = w * dice.Range(0.05, 0.09);
  cairo_move_to(cr, w / 2, eyeY + h * 0.02);
  cairo_line_to(cr, w / 2 - noseW, eyeY + h * 0.2);
  cairo_line_to(cr, w / 2 + noseW, eyeY + h * 0.2);
  Fill(cr, Shade(skin, 0.78));
  const double mouthY = eyeY + h * dice.Range(0.28, 0.33), mouthW = w * dice.Range(0.12, 0.18);
  cairo_move_to(cr, w / 2 - mouthW, mouthY);
  cairo_curve_to(cr, w / 2 - mouthW / 2, mouthY + h * dice.Range(-0.02, 0.02), w / 2 + mouthW / 2, mouthY, w / 2 + mouthW,
                 mouthY);
  Stroke(cr, {0.50, 0.26, 0.22}, h * 0.025);
  if (n % 3 == 1) {  // stubble
    cairo_rectangle(cr, w * 0.2, mouthY - h * 0.05, w * 0.6, h - mouthY);
    Fill(cr, {0.25, 0.20, 0.16}, 0.22);
  }
  if (n >= 6) {  // a chin strap
    cairo_move_to(cr, w * 0.04, eyeY);
    cairo_curve_to(cr, w * 0.1, h * 1.3, w * 0.9, h * 1.3, w * 0.96, eyeY);
    Stroke(cr, {0.30, 0.22, 0.14}, h * 0.03);
  }
}

// The cloth of each army, kept well away from the faces' pinks and tans in hue and value:
// German field grey (grey-green, later a browner grey), the paratroops' green-brown smock,
// the Waffen SS's pea-dot camouflage, American olive drab (the early wool an olive, the later
// a greener one), British and Canadian khaki serge (a brown, far darker than skin and browner
// than the Americans'), their denim, jungle olive green and the Volkssturm's earth brown.
Colour ClothColour(const std::string& cloth) {
  if (cloth == "field-grey") return {0.40, 0.43, 0.38};
  if (cloth == "field-grey-late") return {0.42, 0.41, 0.33};
  if (cloth == "smock") return {0.40, 0.40, 0.24};
  if (cloth == "pea-dot") return {0.46, 0.41, 0.28};
  if (cloth == "olive-early") return {0.35, 0.34, 0.22};
  if (cloth == "olive-late") return {0.29, 0.31, 0.19};
  if (cloth == "khaki") return {0.42, 0.35, 0.22};
  if (cloth == "khaki-dark") return {0.35, 0.29, 0.18};
  if (cloth == "olive-green") return {0.28, 0.32, 0.20};
  return {0.37, 0.30, 0.20};  // earth-brown
}

// The webbing worn over the cloth: British and Canadian pale green blanco, American khaki
// web, German black leather.
Colour WebbingColour(const std::string& cloth) {
  if (cloth == "khaki" || cloth == "khaki-dark") return {0.56, 0.57, 0.42};
  if (cloth == "olive-early" || cloth == "olive-late" || cloth == "olive-green") return {0.55, 0.50, 0.34};
  return {0.13, 0.11, 0.09};
}

// One part of a uniform as the figure wears it: woven cloth with the part's seams, pockets
// and buttons, the webbing, gaiters and boots, or the helmet's paint and net, in contrasts
// strong enough to read at a distance. Snow forms are white oversuits over the same cut.
void Uniform(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const std::string part = Arg(row, "part"), cloth = Arg(row, "cloth");
  const bool snow = Snow(row);
  const double w = p.Width(), h = p.Height();
  const Colour base = snow ? Colour{0.88, 0.89, 0.90} : ClothColour(cloth);
  // A twill weave: fine diagonal ribs over a little mottle, so the cloth never reads as skin.
  EachTexel(p, [&](int32_t x, int32_t y, double u, double v, double&) {
    const double rib = ((x + y) % 3 == 0) ? 0.9 : 1.03;
    return Shade(base, rib * (1.0 + Tiled(u, v, 4, 3, row.number * 0.31) * 0.16));
  });
  if (cloth == "smock" && !snow) {
    // Blotches of a camouflage smock in brown and green.
    EachTexel(p, [&](int32_t, int32_t, double u, double v, double&) {
      const double a = Tiled(u, v, 4, 3, 1.0), b = Tiled(u, v, 4, 3, 9.0);
      Colour c = base;
      if (a > 0.1) c = {0.36, 0.26, 0.16};
      if (b > 0.15) c = {0.24, 0.32, 0.16};
      return Shade(c, 1.0 + Noise(u * 64, v * 64, 3.0, 64, 64) * 0.1);
    });
  }
  if (cloth == "pea-dot" && !snow) {
    // The Waffen SS's pattern: clusters of small dots in brown and two greens on tan.
    EachTexel(p, [&](int32_t x, int32_t y, double u, double v, double&) {
      const double a = Tiled(u, v, 6, 2, 3.0), b = Tiled(u, v, 6, 2, 7.0), c = Tiled(u, v, 6, 2, 11.0);
      const bool dot = ((x * 7 + y * 13) % 5 < 3) && ((x + 2 * y) % 3 != 0);
      Colour col = base;
      if (dot && a > 0.08) col = {0.38, 0.26, 0.16};
      if (dot && b > 0.12) col = {0.30, 0.36, 0.20};
      if (dot && c > 0.16) col = {0.18, 0.24, 0.14};
      return Shade(col, 1.0 + Noise(u * 64, v * 64, 5.0, 64, 64) * 0.08);
    });
  }
  const Colour seam = Shade(base, 0.62), metal{0.62, 0.58, 0.40};
  const Colour web = snow ? Colour{0.76, 0.76, 0.74} : WebbingColour(cloth);
  const bool commonwealth = cloth == "khaki" || cloth == "khaki-dark";
  if (part == "headgear") {
    // Painted steel with a rim, under a net.
    const Colour paint = snow ? Colour{0.92, 0.92, 0.92} : Shade(base, 0.88);
    p.Grain(0, 0, w, h, paint, 0.08, 10, row.number + 3);
    cairo_rectangle(cr, 0, h * 0.82, w, h * 0.18);
    Fill(cr, Shade(paint, 0.65));
    const double mesh = commonwealth ? 6.0 : 10.0;
    for (double x = -h; x < w; x += mesh) {
      cairo_move_to(cr, x, 0);
      cairo_line_to(cr, x + h * 0.8, h * 0.8);
      cairo_move_to(cr, x + h * 0.8, 0);
      cairo_line_to(cr, x, h * 0.8);
      Stroke(cr, Shade(paint, 0.7), 0.8, commonwealth ? 0.8 : 0.4);
    }
  } else if (part == "torso") {
    // Front seam and buttons, two breast pockets with flaps and buttons, a dark collar.
    cairo_move_to(cr, w / 2, 0);
    cairo_line_to(cr, w / 2, h);
    Stroke(cr, seam, 1.6);
    for (double y = h * 0.15; y < h; y += h * 0.2) {
      cairo_arc(cr, w / 2 + 3, y, 1.8, 0, 2 * M_PI);
      Fill(cr, snow ? Colour{0.7, 0.7, 0.7} : metal);
    }
    for (double x : {w * 0.1, w * 0.62}) {
      cairo_rectangle(cr, x, h * 0.2, w * 0.28, h * 0.24);
      Fill(cr, Shade(base, 0.9));
      cairo_rectangle(cr, x, h * 0.2, w * 0.28, h * 0.24);
      Stroke(cr, seam, 1.4);
      cairo_rectangle(cr, x - 1, h * 0.17, w * 0.28 + 2, h * 0.08);
      Fill(cr, Shade(base, 0.76));  // the flap
      cairo_arc(cr, x + w * 0.14, h * 0.22, 1.5, 0, 2 * M_PI);
      Fill(cr, snow ? Colour{0.7, 0.7, 0.7} : metal);
    }
    cairo_rectangle(cr, 0, 0, w, h * 0.08);
    Fill(cr, Shade(base, 0.7));  // collar
    // Braces of the webbing over both shoulders, thin and toned into the cloth: the far
    // figures wrap the whole picture round a few pixels and must not take a brace for the coat.
    for (double x : {w * 0.25, w * 0.72}) {
      cairo_rectangle(cr, x, 0, w * 0.04, h);
      Fill(cr, Mix(base, web, 0.55));
    }
  } else if (part == "arm") {
    // The sleeve's seam, an elbow crease and a buttoned cuff.
    cairo_move_to(cr, 0, h * 0.5);
    cairo_line_to(cr, w, h * 0.5);
    Stroke(cr, seam, 1.2, 0.8);
    cairo_move_to(cr, w * 0.2, h * 0.5);
    cairo_line_to(cr, w * 0.8, h * 0.55);
    Stroke(cr, Shade(base, 0.75), 0.8, 0.6);
    cairo_rectangle(cr, 0, h * 0.86, w, h * 0.14);
    Fill(cr, Shade(base, 0.72));  // cuff
  } else if (part == "legs") {
    // A side seam, a thigh pocket (the battledress's large map pocket), a knee crease, then
    // gaiters or anklets above the boots.
    cairo_move_to(cr, w * 0.5, 0);
    cairo_line_to(cr, w * 0.5, h * 0.7);
    Stroke(cr, seam, 1.2);
    const double pocketH = commonwealth ? h * 0.24 : h * 0.16;
    cairo_rectangle(cr, w * 0.58, h * 0.2, w * 0.32, pocketH);
    Fill(cr, Shade(base, 0.88));
    cairo_rectangle(cr, w * 0.58, h * 0.2, w * 0.32, pocketH);
    Stroke(cr, seam, 1.4);
    cairo_move_to(cr, 0, h * 0.47);
    cairo_line_to(cr, w, h * 0.49);
    Stroke(cr, Shade(base, 0.78), 0.8, 0.6);
    const bool gaiters = cloth != "field-grey" && cloth != "field-grey-late" && cloth != "smock" && cloth != "pea-dot";
    if (gaiters) {
      cairo_rectangle(cr, 0, h * 0.72, w, h * 0.14);
      Fill(cr, web);
      for (double y = h * 0.75; y < h * 0.86; y += h * 0.05) {
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, w, y);
        Stroke(cr, Shade(web, 0.7), 0.7);  // the straps
      }
      cairo_rectangle(cr, 0, h * 0.86, w, h * 0.14);
    } else {
      cairo_rectangle(cr, 0, h * 0.72, w, h * 0.28);  // the marching boots' shafts
    }
    Fill(cr, snow ? Colour{0.80, 0.80, 0.80} : Colour{0.16, 0.12, 0.09});
  } else {  // belt and lower torso
    // The belt and its pouches are a small part of the picture: the far figures, drawn with
    // it over the whole lower body, still read as the cloth.
    cairo_rectangle(cr, 0, h * 0.22, w, h * 0.1);
    Fill(cr, web);
    cairo_rectangle(cr, 0, h * 0.22, w, h * 0.1);
    Stroke(cr, Shade(web, 0.6), 0.8);
    cairo_rectangle(cr, w / 2 - 4, h * 0.21, 8, h * 0.12);
    Fill(cr, metal);
    // Ammunition pouches on the belt, the jacket's skirt below it.
    for (double x : {w * 0.14, w * 0.72}) {
      cairo_rectangle(cr, x, h * 0.32, w * 0.14, h * 0.14);
      Fill(cr, commonwealth || snow ? web : Shade(web, 1.3));
      cairo_rectangle(cr, x, h * 0.32, w * 0.14, h * 0.04);
      Fill(cr, Shade(commonwealth || snow ? web : Shade(web, 1.3), 0.7));
    }
    cairo_move_to(cr, 0, h * 0.8);
    cairo_line_to(cr, w, h * 0.8);
    Stroke(cr, seam, 1.2);
  }
}

void Obstacle(Painter& p, const Row& row) {
  cairo_t* cr = p.Cr();
  const std::string what = Arg(row, "what");
  const double w = p.Width(), h = p.Height();
  Dice dice(static_cast<uint32_t>(row.number));
  if (what == "wire") {
    // Coils of barbed wire between pickets.
    for (double x : {w * 0.1, w * 0.9}) {
      cairo_rectangle(cr, x - 2, h * 0.2, 4, h * 0.8);
      Fill(cr, {0.32, 0.26, 0.18});
    }
    for (int32_t k = 0; k < 7; ++k) {
      const double cx = w * (0.12 + k * 0.126);
      cairo_save(cr);
      cairo_translate(cr, cx, h * 0.62);
      cairo_scale(cr, w * 0.1, h * 0.32);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      Stroke(cr, {0.22, 0.20, 0.18}, 1.6);
      for (int32_t b = 0; b < 4; ++b) {
        const double a = dice.Range(0, 2 * M_PI);
        const double bx = cx + std::cos(a) * w * 0.1, by = h * 0.62 + std::sin(a) * h * 0.32;
        cairo_move_to(cr, bx - 2, by - 2);
        cairo_line_to(cr, bx + 2, by + 2);
        Stroke(cr, {0.22, 0.20, 0.18}, 1.2);
      }
    }
    return;
  }
  // Mines on disturbed earth, seen from above.
  EachTexel(p, [&](int32_t, int32_t, double u, double v, double& alpha) {
    const double d = std::max(std::abs(u - 0.5), std::abs(v - 0.5)) * 2 + Tiled(u, v, 4, 2, 4.0) * 0.15;
    if (d > 0.95) alpha = 0;
    return Mix({0.36, 0.28, 0.20}, {0.46, 0.38, 0.26}, Tiled(u, v, 8, 3, 2.0) + 0.5);
  });
  const bool tank = what == "tank-mines";
  for (int32_t k = 0; k < (tank ? 4 : 9); ++k) {
    const double x = tank ? w * (0.3 + (k % 2) * 0.4) : w * (0.2 + (k % 3) * 0.3);
    const double y = tank ? h * (0.3 + (k / 2) * 0.4) : h * (0.2 + (k / 3) * 0.3);
    const double r = tank ? w * 0.13 : w * 0.06;
    cairo_arc(cr, x + 1, y + 1, r, 0, 2 * M_PI);
    Fill(cr, {0.1, 0.08, 0.06}, 0.6);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    Fill(cr, tank ? Colour{0.34, 0.36, 0.30} : Colour{0.30, 0.32, 0.24});
    cairo_arc(cr, x, y, r * 0.35, 0, 2 * M_PI);
    Fill(cr, {0.55, 0.55, 0.50});
  }
}

// Running gear that repeats along v, one repeat to 0.457 m of run: track links on u 0 to 0.5
// (narrow steel links, wide chevron links, or the rubber-padded band of a half-track) and a
// tyre's tread on u 0.5 to 1, so a vehicle with both draws them from one picture; dust, mud or
// packed snow in the gaps and grooves.
void Gear(Painter& p, const Row& row) {
  const std::string pattern = Arg(row, "pattern"), ground = Arg(row, "ground");
  const Colour dirt = ground == "dry" ? Colour{0.50, 0.44, 0.34} : ground == "wet" ? Colour{0.24, 0.20, 0.15}
                                                                                   : Colour{0.88, 0.89, 0.92};
  const Colour steel{0.31, 0.30, 0.28}, rubber{0.12, 0.12, 0.12};
  const double z = row.number * 0.2;
  EachTexel(p, [&](int32_t, int32_t, double u, double down, double&) {
    const double v = 1.0 - down;
    const double n = Tiled(u, down, 8, 2, z);
    Colour c;
    bool groove;
    if (u < 0.5) {
      // Three links a repeat (a 152 mm pitch), across the track's width.
      const double across = u / 0.5, f = std::fmod(v * 3.0, 1.0), side = std::abs(across - 0.5);
      groove = f < 0.07 || f > 0.93;  // the gap over the pin
      if (pattern == "wheel") {
        // Rubber pads on steel links, a steel rim either side.
        const bool pad = side < 0.40 && f > 0.14 && f < 0.86;
        c = pad ? Shade(rubber, 1.0 + n * 0.25) : Shade(steel, 1.05 + n * 0.3);
      } else if (pattern == "track-wide") {
        // A chevron grouser across a wide cast link.
        const double bar = std::fmod(f + side * 0.35 + 1.0, 1.0);
        c = Shade(steel, bar > 0.42 && bar < 0.60 ? 1.45 : 0.95 + n * 0.3);
        groove = groove || (bar > 0.62 && bar < 0.70);
      } else {
        // A straight grouser across a narrow link, its end connectors bright with wear.
        c = Shade(steel, f > 0.42 && f < 0.58 ? 1.45 : side > 0.43 ? 1.25 : 0.95 + n * 0.3);
        groove = groove || (side < 0.06 && (f < 0.3 || f > 0.7));
      }
    } else {
      // Tyre tread: chevron lugs eight to a repeat, rounded shoulders.
      const double across = (u - 0.5) / 0.5, side = std::abs(across - 0.5);
      const double lug = std::fmod(v * 8.0 + side * 1.2, 1.0);
      groove = lug < 0.38 && side > 0.05 && side < 0.44;
      c = Shade(rubber, (side > 0.44 ? 0.8 : 1.0) + n * 0.25);
    }
    if (groove) c = Mix(Shade(c, 0.5), dirt, 0.7 + n * 0.3);
    else if (ground != "dry" && n > 0.15) c = Mix(c, dirt, 0.45);
    else if (ground == "dry" && n > 0.3) c = Mix(c, dirt, 0.3);
    return c;
  });
}

// The painted steel of a crew-served gun in its army's colours, as one repeating sheet: the
// base paint with baked light across v (lighter above, darker below), weathering, panel seams
// and rivet rows placed by the part, the German dark yellow with green and brown patches; on
// snow ground a worn whitewash over it.
void Skin(Painter& p, const Row& row) {
  const std::string army = Arg(row, "army");
  const int32_t part = Int(row, "part", 0);
  const bool snow = Snow(row);
  const Colour base = army == "german" ? Colour{0.62, 0.55, 0.36} : army == "british" ? Colour{0.30, 0.33, 0.22}
                                                                                     : Colour{0.32, 0.33, 0.21};
  const Colour green{0.22, 0.29, 0.17};
  const Colour brown{0.38, 0.26, 0.16};
  const double seams = 2 + part % 3;  // seams across u
  EachTexel(p, [&](int32_t x, int32_t y, double u, double v, double&) {
    const double z = (row.number % 10000) * 0.37;  // the snow form keeps the plain form's paint
    Colour c = base;
    if (army == "german") {
      const double patch = Tiled(u, v, 2, 3, z);
      if (patch > 0.22) c = green;
      else if (patch < -0.25) c = brown;
    }
    // Light from above: the sheet's top rows are the upper faces.
    c = Shade(c, 1.12 - 0.28 * v);
    const double grain = Tiled(u, v, 8, 3, z + 5.0);
    c = Shade(c, 1.0 + grain * 0.12);
    // Seams and rivet rows.
    const double su = std::fmod(u * seams, 1.0);
    if (su < 0.025 || su > 0.975) c = Shade(c, 0.7);
    if (std::abs(su - 0.06) < 0.02 && (y / 3) % 3 == 0 && x % 2 == 0) c = Shade(c, 1.25);
    // Wear: dust low down, bare edges here and there.
    const double wear = Tiled(u, v, 4, 2, z + 9.0);
    if (v > 0.7) c = Mix(c, Colour{0.45, 0.40, 0.32}, (v - 0.7) * 1.2 + wear * 0.2);
    if (snow) {
      const double wash = Tiled(u, v, 4, 3, z + 13.0);
      c = Mix(c, Colour{0.88, 0.89, 0.90}, wash > -0.35 ? 0.82 : 0.25);
    }
    return c;
  });
}

// --- vehicle skins ----------------------------------------------------------------------

// A vehicle's paint: German dark yellow (camouflaged with green and red-brown), US olive drab,
// British and Canadian greens.
Colour VehiclePaint(const std::string& army) {
  if (army == "german") return {0.66, 0.58, 0.37};
  if (army == "british") return {0.27, 0.31, 0.21};
  if (army == "canadian") return {0.31, 0.35, 0.22};
  return {0.36, 0.35, 0.21};
}

double Ramp(double a, double b, double x) {
  const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// The light baked into each band of a skin, the renderer having none: top, sides, front and
// rear, underside.
constexpr double kBandLight[4] = {1.16, 0.92, 0.76, 0.50};
const Colour kWhitewash{0.83, 0.84, 0.82};

// One texture entry of a vehicle model, in the bands its faces are mapped into by their
// normals: from v = 0 (the bottom row) up the top, the sides, the front and rear and the
// underside, a quarter each. u spans 4 m and each band 1 m whatever the picture's size, so
// seams, rivets and camouflage keep their scale. part is the entry less one: 0 and 1 the hull,
// 2 and 3 the turret and gun, 4 the barrel (a plain tube), 5 on the fittings. The snow form
// (snow=yes, numbered 10000 above) is the same paint under a worn whitewash.
void VehicleSkin(Painter& p, const Row& row) {
  const std::string army = Arg(row, "army");
  const int32_t part = Int(row, "part", 0);
  const bool snow = Snow(row);
  const bool german = army == "german";
  const bool barrel = part == 4;
  const Colour paint = VehiclePaint(army);
  const Colour green{0.25, 0.31, 0.19}, brown{0.40, 0.24, 0.15}, dust{0.47, 0.42, 0.33};
  const Colour primer = german ? Colour{0.45, 0.24, 0.17} : Colour{0.24, 0.23, 0.21};
  const int32_t width = p.Width();
  const double texel = 4.0 / width;  // metres a texel across
  // Plate seams on whole columns, a whole number of them to the 4 m repeat, so the picture
  // wraps; rivet rows 6 cm beside them.
  static const int32_t kSeams[7] = {4, 5, 3, 4, 0, 6, 5};
  const int32_t seams = kSeams[std::min(part, 6)];
  std::vector<int32_t> seamColumns;
  for (int32_t k = 0; k < seams; ++k)
    seamColumns.push_back(static_cast<int32_t>(std::floor((k + part * 0.37) * width / seams)) % width);
  const int32_t rivetColumn = std::max(2, static_cast<int32_t>(std::lround(0.06 / texel)));
  const double z = (row.number % 10000) * 0.37;  // the snow form keeps the plain form's paint
  EachTexel(p, [&](int32_t x, int32_t, double u, double down, double&) {
    const double v = 1.0 - down;
    const int32_t band = std::min(3, static_cast<int32_t>(v * 4.0));
    const double t = v * 4.0 - band;  // metres across the band
    // Camouflage and whitewash come from one pattern turned round u band by band, so each band
    // holds as much of them as the others and only the light tells the bands apart.
    const double turned = u + band * 0.37 - std::floor(u + band * 0.37), across = t * 0.25;
    Colour c = paint;
    if (german) {
      // Sprayed patches with soft edges.
      const double g = Ramp(0.04, 0.09, Tiled(turned, across, 4, 2, z));
      const double b = Ramp(0.13, 0.18, Tiled(turned, across, 4, 2, z + 21.7)) * (1.0 - g);
      c = Mix(Mix(c, green, g), brown, b);
    }
    const double grain = Tiled(u, down, 16, 2, z + 5.0);
    c = Shade(c, 1.0 + grain * (barrel ? 0.04 : 0.08));
    // Plate seams, lit on one side and shadowed on the other, with rivet rows beside them
    // (German hulls are welded: bolts on the decks only).
    int32_t nearest = width;  // columns to the nearest seam, signed
    for (int32_t column : seamColumns) {
      int32_t d = x - column;
      if (d > width / 2) d -= width;
      if (d < -width / 2) d += width;
      if (std::abs(d) < std::abs(nearest)) nearest = d;
    }
    const double seam = std::abs(nearest) * texel;  // metres
    if (nearest == 0) c = Shade(c, 0.68);
    else if (std::abs(nearest) == 1) c = Shade(c, nearest > 0 ? 1.12 : 0.86);
    if (band == 0 && (part == 0 || part == 3) && std::abs(t - 0.5) < 0.5 * texel) c = Shade(c, 0.62);
    if ((!german || band == 0) && std::abs(nearest) == rivetColumn) {
      const double r = std::fmod(t / 0.15 + 0.5, 1.0) * 0.15;
      const double d = std::min(r, 0.15 - r);
      if (d < 0.6 * texel) c = Shade(c, 1.3);
      else if (d < 1.4 * texel && r > 0.075) c = Shade(c, 0.75);
    }
    // Wear: chipped paint showing the primer, more along the seams; rain streaks down the
    // upright faces; dust thrown up on the underside and the ends.
    const double chip = Tiled(u, down, 32, 1, z + 9.0) + (seam < 0.08 ? 0.12 : 0.0) + (part >= 5 ? 0.06 : 0.0);
    const bool chipped = !barrel && chip > 0.58;
    if (chipped) c = Mix(c, primer, 0.8);
    if (band == 1 || band == 2) c = Shade(c, 1.0 - 0.08 * std::max(0.0, Noise(u * 32.0, t * 1.5, z + 3.0, 32, 0)));
    if (band == 3) c = Mix(c, dust, 0.35 + 0.2 * grain);
    if (band == 2) c = Mix(c, dust, 0.10 + 0.15 * std::max(0.0, grain));
    if (snow) {
      // Whitewash brushed on in strokes along u, thin at the seams and worn through in places.
      const double stroke = Noise(u * 8.0, down * 32.0, z + 17.0, 8, 32) * 0.2;
      const double cover = Tiled(turned, across, 8, 3, z + 13.0) + stroke - (seam < 0.04 ? 0.12 : 0.0) - (chipped ? 0.3 : 0.0);
      c = Mix(c, Shade(kWhitewash, 1.0 + grain * 0.05), Ramp(-0.36, -0.2, cover) * 0.94);
    }
    return Shade(c, kBandLight[band]);
  });
}

// A picture a model maps whole onto one face: a round hatch or an engine grille (seen from
// above, lit as a top), a road wheel or the army's marking (seen from the side). The snow form
// whitewashes the paint but leaves the marking clear, as crews did.
void VehicleDetail(Painter& p, const Row& row) {
  const std::string what = Arg(row, "what"), army = Arg(row, "army");
  const bool snow = Snow(row);
  const double w = p.Width(), h = p.Height(), cx = w / 2, cy = h / 2, r = std::min(w, h) / 2;
  const double light = what == "hatch" || what == "grille" ? kBandLight[0] : kBandLight[1];
  const Colour coat = Shade(snow ? kWhitewash : VehiclePaint(army), light);
  const Colour steel{0.30, 0.29, 0.27}, rubber{0.11, 0.11, 0.11}, white{0.93, 0.93, 0.90};
  const int32_t seed = row.number % 10000;
  cairo_t* cr = p.Cr();
  p.Grain(0, 0, w, h, coat, 0.08, w / 6.0, seed);
  if (snow) {
    // The paint showing through the worn whitewash at the edges.
    Dice dice(static_cast<uint32_t>(seed));
    for (int32_t k = 0; k < 10; ++k) {
      const double a = dice.Range(0, 2 * M_PI), d = dice.Range(0.8, 1.0) * r;
      cairo_arc(cr, cx + std::cos(a) * d, cy + std::sin(a) * d, dice.Range(0.04, 0.1) * r, 0, 2 * M_PI);
      Fill(cr, Shade(VehiclePaint(army), light));
    }
  }
  auto disc = [&](double radius, Colour c) {
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    Fill(cr, c);
  };
  auto bolts = [&](double radius, int32_t count, double size, Colour c) {
    for (int32_t k = 0; k < count; ++k) {
      const double a = 2 * M_PI * k / count;
      cairo_arc(cr, cx + std::cos(a) * radius, cy + std::sin(a) * radius, size, 0, 2 * M_PI);
      Fill(cr, c);
    }
  };
  if (what == "hatch") {
    disc(r * 0.86, Shade(coat, 0.55));  // the gap round the lid
    disc(r * 0.80, coat);
    cairo_arc(cr, cx, cy, r * 0.74, M_PI * 0.75, M_PI * 1.75);  // lit upper-left rim
    Stroke(cr, Shade(coat, 1.15), r * 0.06);
    cairo_arc(cr, cx, cy, r * 0.74, M_PI * 1.75, M_PI * 2.75);
    Stroke(cr, Shade(coat, 0.8), r * 0.06);
    cairo_rectangle(cr, cx - r * 0.5, cy + r * 0.72, r, r * 0.2);  // hinge
    Fill(cr, Shade(steel, light));
    cairo_rectangle(cr, cx - r * 0.25, cy - r * 0.12, r * 0.5, r * 0.1);  // handle
    Fill(cr, Shade(steel, light * 1.2));
    bolts(r * 0.92, 12, r * 0.035, Shade(coat, 1.25));
  } else if (what == "grille") {
    cairo_rectangle(cr, w * 0.08, h * 0.08, w * 0.84, h * 0.84);
    Fill(cr, {0.06, 0.06, 0.05});
    const int32_t slats = 7;
    for (int32_t k = 0; k < slats; ++k) {
      const double y = h * (0.1 + 0.8 * (k + 0.15) / slats), t = h * 0.8 / slats * 0.62;
      cairo_rectangle(cr, w * 0.1, y, w * 0.8, t);
      Fill(cr, Shade(coat, 0.85));
      cairo_rectangle(cr, w * 0.1, y, w * 0.8, std::max(1.0, t * 0.25));
      Fill(cr, Shade(coat, 1.12));
    }
    for (double x : {0.08, 0.92})
      for (double y : {0.08, 0.92}) {
        cairo_arc(cr, w * x, h * y, r * 0.05, 0, 2 * M_PI);
        Fill(cr, Shade(coat, 1.25));
      }
  } else if (what == "road-wheel") {
    cairo_rectangle(cr, 0, 0, w, h);
    Fill(cr, Shade(rubber, light));
    disc(r * 0.98, Shade(rubber, light * 1.2));
    disc(r * 0.80, Shade(coat, 0.85));
    disc(r * 0.66, coat);
    cairo_arc(cr, cx, cy, r * 0.72, 0, 2 * M_PI);  // the dished ring
    Stroke(cr, Shade(coat, 0.7), r * 0.04);
    bolts(r * 0.56, 12, r * 0.035, Shade(coat, 1.25));
    disc(r * 0.24, Shade(steel, light * 1.1));
    bolts(r * 0.15, 8, r * 0.03, Shade(steel, light * 1.6));
  } else {
    // The marking: the German cross, black edged with white; the Allies' white star, ringed
    // on US vehicles.
    if (army == "german") {
      const double arm = r * 0.22, reach = r * 0.78;
      for (const auto& [grow, colour] : {std::pair<double, Colour>{r * 0.08, white}, {0.0, Colour{0.06, 0.06, 0.06}}}) {
        cairo_rectangle(cr, cx - arm - grow, cy - reach - grow, 2 * (arm + grow), 2 * (reach + grow));
        cairo_rectangle(cr, cx - reach - grow, cy - arm - grow, 2 * (reach + grow), 2 * (arm + grow));
        Fill(cr, colour);
      }
    } else {
      const double outer = army == "us" ? r * 0.70 : r * 0.86;
      for (int32_t k = 0; k < 10; ++k) {
        const double a = -M_PI / 2 + M_PI * k / 5, d = k % 2 == 0 ? outer : outer * 0.382;
        if (k == 0) cairo_move_to(cr, cx + std::cos(a) * d, cy + std::sin(a) * d);
        else cairo_line_to(cr, cx + std::cos(a) * d, cy + std::sin(a) * d);
      }
      cairo_close_path(cr);
      Fill(cr, white);
      if (army == "us") {
        cairo_arc(cr, cx, cy, r * 0.84, 0, 2 * M_PI);
        Stroke(cr, white, r * 0.08);
      }
    }
  }
}

}  // namespace

bool TextureRecipes::Known(const std::string& recipe) { return Find(recipe) != nullptr; }

bool TextureRecipes::Check(const BitmapCatalogue::Row& row, std::string& reason) {
  const TextureRecipe* recipe = Find(row.recipe);
  if (recipe == nullptr) {
    reason = "unknown recipe '" + row.recipe + "'";
    return false;
  }
  if (!row.texture) {
    reason = "recipe '" + row.recipe + "' draws textures: the use must be tex";
    return false;
  }
  for (const auto& [name, value] : row.args) {
    auto rule = recipe->args.find(name);
    if (rule == recipe->args.end()) {
      reason = "recipe '" + row.recipe + "' has no argument '" + name + "'";
      return false;
    }
    bool ok;
    if (!rule->second.words.empty()) {
      ok = rule->second.words.count(value) != 0;
    } else {
      char* end = nullptr;
      const long v = std::strtol(value.c_str(), &end, 10);
      ok = !value.empty() && *end == '\0' && v >= rule->second.low && v <= rule->second.high;
    }
    if (!ok) {
      reason = "argument " + name + "='" + value + "' is not a value recipe '" + row.recipe + "' knows";
      return false;
    }
  }
  for (const std::string& name : recipe->needed)
    if (row.args.count(name) == 0) {
      reason = "recipe '" + row.recipe + "' needs " + name;
      return false;
    }
  if (row.recipe == "piece" && row.args.count("road") == row.args.count("shape")) {
    reason = "a piece is drawn from either a road or a shape mask";
    return false;
  }
  return true;
}

std::vector<uint32_t> TextureRecipes::Draw(const BitmapCatalogue::Row& row) {
  Painter p(row.width, row.height);
  const std::string& r = row.recipe;
  const std::string form = Arg(row, "form");
  if (r == "band") Band(p, row);
  if (r == "piece") Piece(p, row);
  if (r == "tree" && form == "near") NearTree(p, Arg(row, "look"), static_cast<uint32_t>(row.number));
  if (r == "tree" && form == "far") FarTree(p, Arg(row, "look"), static_cast<uint32_t>(row.number));
  if (r == "sky") Sky(p, row);
  if (r == "wall") Wall(p, row);
  if (r == "roof") Roof(p, row);
  if (r == "bridge") Bridge(p, row);
  if (r == "fire") Flames(p, Int(row, "frame", 0), 18, 3.3);
  if (r == "puff") Puff(p, Int(row, "frame", 0) / 9.0, 12.0, {0.30, 0.29, 0.28}, {0.72, 0.71, 0.70});
  if (r == "smoke" && form == "column") ColumnPuff(p, 21.0);
  if (r == "smoke" && form != "column")
    Puff(p, form == "cloud" ? 0.3 : 0.1, form == "cloud" ? 30.0 : 40.0, {0.26, 0.25, 0.24}, {0.66, 0.65, 0.64});
  if (r == "flame") FlameJet(p, Int(row, "variant", 0));
  if (r == "flash") Flash(p);
  if (r == "fragment") Fragment(p, Int(row, "variant", 0));
  if (r == "gun-wheel") GunWheel(p);
  if (r == "marker") Marker(p, row);
  if (r == "exit") Exit(p, row);
  if (r == "lines") Lines(p);
  if (r == "crater") Crater(p, row);
  if (r == "badge") Badge(p, row);
  if (r == "flag") VictoryFlag(p, row);
  if (r == "equipment") Equipment(p, row);
  if (r == "face") Face(p, row);
  if (r == "uniform") Uniform(p, row);
  if (r == "obstacle") Obstacle(p, row);
  if (r == "gear") Gear(p, row);
  if (r == "skin") Skin(p, row);
  if (r == "vehicle-skin") VehicleSkin(p, row);
  if (r == "vehicle-detail") VehicleDetail(p, row);
  return p.Pixels(row.key);
}
