// The feature steps of the random map generator: buildings, grain fields, enclosures of stone
// walls or hedges, water and marsh, brush and rough patches, and woods. Each step takes only
// tiles the earlier ones left, so the order of the steps decides what wins.
#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapTables.h"
#include "framework/core/PortableMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"

namespace {

constexpr int32_t kFirstBuilding = 59;
constexpr int32_t kLastBuilding = 90;
constexpr uint8_t kMarsh = 12;
constexpr uint8_t kGrain = 16;
constexpr uint8_t kBrush = 17;
constexpr uint8_t kRough = 18;
constexpr uint8_t kWater = 25;
constexpr int32_t kHedgeBase = 31;

// Settings by map type: Town, Village, Farmland, Rural.
constexpr int32_t kSpread[4] = {2, 1, 3, 4};
constexpr float kSiteAnywhere[4] = {0.5f, 0.5f, 0.75f, 0.95f};
constexpr double kGrainFactor[4] = {0.000003125, 0.0000125, 0.00003125, 0.00000390625};
constexpr float kGrainPolar[4] = {1.0f, 1.0f, 0.0f, 0.0f};
constexpr double kEnclosureDivisor[4] = {75.0, 75.0, 50.0, 800.0};
constexpr double kWaterFactor[4] = {0.0000125, 1.0 / 60000.0, 0.00002, 1.0 / 36000.0};
constexpr float kWaterGrowth[4] = {0.25f, 0.5f, 0.7f, 0.85f};
constexpr double kPatchFactor[4] = {0.00000625, 1.0 / 120000.0, 0.00001, 1.0 / 52000.0};
constexpr float kPatchGrowth[4] = {0.5f, 0.55f, 0.65f, 0.82f};
constexpr float kWoodsGrowth[4] = {0.65f, 0.75f, 0.85f, 0.95f};

void Require(bool ok, int32_t line) {
  if (!ok) FatalError(line, "RandomMapFeatures.cpp");
}

int32_t Trunc(double v) { return static_cast<int32_t>(v); }

// An angle of 0-360 degrees in radians.
float DrawAngle() {
  return static_cast<float>(static_cast<double>(RandomFloatTimes(360.0f)) * 0.017453292519444445);
}

struct Point {
  int32_t x;
  int32_t y;
};

Point PolarPoint(int32_t cx, int32_t cy, float angle, float t) {
  return {static_cast<int32_t>(static_cast<float>(cx) + PortableCosF(angle) * t),
          static_cast<int32_t>(static_cast<float>(cy) + PortableSinF(angle) * t)};
}

bool IsBuilding(int32_t code) { return code >= kFirstBuilding && code <= kLastBuilding; }

}  // namespace

bool RandomMapGenerator::IsFree(int32_t x, int32_t y) const {
  const MapTile& tile = map_.terrain.tiles.At(x, y);
  return tile.code == 0 && tile.roadCode == 0;
}

bool RandomMapGenerator::HasRoadNeighbour(int32_t x, int32_t y) const {
  for (int32_t d = 0; d < RandomMapTables::kDirections; ++d) {
    const int32_t nx = x + RandomMapTables::DirectionX(d);
    const int32_t ny = y + RandomMapTables::DirectionY(d);
    if (map_.terrain.tiles.Contains(nx, ny) && map_.terrain.tiles.At(nx, ny).roadCode != 0) return true;
  }
  return false;
}

int32_t RandomMapGenerator::ScatterRadius() const {
  const int32_t side = std::max(w_, h_);
  return Trunc(static_cast<double>(Trunc(side * 0.7072135785007072)) * 1.25);
}

bool RandomMapGenerator::FindBuildingSite(int32_t radius, int32_t& x, int32_t& y) {
  int32_t attempts = 0;
  bool good = false;
  do {
    ++siteAttempts_;
    if (RandomFloat() < kSiteAnywhere[params_.mapType]) {
      x = Random(w_ - 2) + 1;
      y = Random(h_ - 2) + 1;
    } else {
      const float angle = DrawAngle();
      const float t = RandomFloatTimes(static_cast<float>(radius));
      const Point p = PolarPoint(centreX_, centreY_, angle, t);
      x = p.x;
      y = p.y;
    }
    x = std::clamp(x, 1, w_ - 2);
    y = std::clamp(y, 1, h_ - 2);
    good = IsFree(x, y);
    // Before the 500th attempt nine sites in ten must stand beside a road.
    if (good && attempts < 500 && Random(10) != 0) good = HasRoadNeighbour(x, y);
    ++attempts;
  } while (!good && attempts < 1000);
  return good;
}

int32_t RandomMapGenerator::DrawBuildingCode() {
  const int32_t type = params_.mapType;
  for (;;) {
    const int32_t r = Random(1000);
    int32_t code = 0;
    if (r < 15) code = Random(4) + 87;
    else if (r < 35 && type == 1) code = Random(4) + 83;
    else code = Random(21) + 59;
    if (code < 67 || code > 74) return code;
    // Tall light buildings: always in towns, sometimes in villages and farmland, never in
    // rural country.
    if (type == 0) return code;
    if (type == 1 && Random(3) == 0) return code;
    if (type == 2 && Random(6) == 0) return code;
  }
}

void RandomMapGenerator::Buildings() {
  const double side = meanSide_;
  int32_t n = 0;
  switch (params_.mapType) {
    case 0: n = Trunc(side * (1.0 / 13.0)); break;
    case 1: n = Trunc(side * (1.0 / 15.0)); break;
    case 2: n = Trunc(side * (1.0 / 70.0)); break;
    default: n = Trunc(side * static_cast<double>(RandomFloat()) * (1.0 / 140.0)); break;
  }
  const int32_t radius = Trunc(kSpread[params_.mapType] * std::sqrt(static_cast<double>(n)));
  for (int32_t i = 0; i < n; ++i) {
    int32_t x = 0;
    int32_t y = 0;
    // A map with no room left gets no further buildings.
    if (!FindBuildingSite(radius, x, y)) return;
    map_.terrain.tiles.At(x, y).code = static_cast<uint8_t>(DrawBuildingCode());
    ++buildingsPlaced_;
  }
}

void RandomMapGenerator::LevelBuildingGroups() {
  // Touching buildings at different levels cannot both stand level: the map reader would drop
  // one. Each 8-connected group takes the median level of its tiles (the lower middle one of
  // an even count).
  const auto& tiles = map_.terrain.tiles;
  auto& heights = map_.terrain.tileHeight;
  std::vector<uint8_t> seen(static_cast<size_t>(w_) * static_cast<size_t>(h_), 0);
  auto index = [&](int32_t x, int32_t y) { return static_cast<size_t>(y) * static_cast<size_t>(w_) + static_cast<size_t>(x); };
  std::vector<Point> group;
  std::vector<float> levels;
  for (int32_t x = 0; x < w_; ++x) {
    for (int32_t y = 0; y < h_; ++y) {
      if (seen[index(x, y)] != 0 || !IsBuilding(tiles.At(x, y).code)) continue;
      group.clear();
      group.push_back({x, y});
      seen[index(x, y)] = 1;
      for (size_t next = 0; next < group.size(); ++next) {
        const Point at = group[next];
        for (int32_t d = 0; d < RandomMapTables::kDirections; ++d) {
          const int32_t nx = at.x + RandomMapTables::DirectionX(d);
          const int32_t ny = at.y + RandomMapTables::DirectionY(d);
          if (!tiles.Contains(nx, ny) || seen[index(nx, ny)] != 0 || !IsBuilding(tiles.At(nx, ny).code)) continue;
          seen[index(nx, ny)] = 1;
          group.push_back({nx, ny});
        }
      }
      if (group.size() < 2) continue;
      levels.clear();
      for (const Point& p : group) levels.push_back(heights.At(p.x, p.y));
      std::sort(levels.begin(), levels.end());
      const float median = levels[(levels.size() - 1) / 2];
      for (const Point& p : group) heights.At(p.x, p.y) = median;
    }
  }
}

void RandomMapGenerator::GrainFields() {
  const double side = meanSide_;
  int32_t n = Trunc(side * side * kGrainFactor[params_.mapType]);
  n = Trunc(n * static_cast<double>(RandomFloat()));
  const int32_t r2 = ScatterRadius();
  auto& tiles = map_.terrain.tiles;
  for (int32_t field = 0; field < n; ++field) {
    for (int32_t attempt = 0; attempt < 300; ++attempt) {
      int32_t x = 0;
      int32_t y = 0;
      if (RandomFloat() < kGrainPolar[params_.mapType]) {
        const float angle = DrawAngle();
        const float t = static_cast<float>(r2) * (RandomFloatTimes(0.5f) + 0.5f);
        const Point p = PolarPoint(centreX_, centreY_, angle, t);
        x = p.x;
        y = p.y;
      } else {
        x = Random(w_ - 1);
        y = Random(h_ - 1);
      }
      const int32_t ax = Random(9) + 1;
      const int32_t bx = Random(9) + 1;
      const int32_t ay = Random(9) + 1;
      const int32_t by = Random(9) + 1;
      const int32_t sx = std::min(ax, bx);
      const int32_t sy = std::min(ay, by);
      // A corner past the far edge leaves an empty rectangle, which covers nothing.
      const int32_t x0 = std::max(x - 1, 0);
      const int32_t x1 = std::min(x0 + sx, w_ - 1);
      const int32_t y0 = std::max(y - 1, 0);
      const int32_t y1 = std::min(y0 + sy, h_ - 1);
      bool good = true;
      for (int32_t tx = x0; tx <= x1 && good; ++tx) {
        for (int32_t ty = y0; ty <= y1 && good; ++ty) {
          const MapTile& tile = tiles.At(tx, ty);
          good = (tile.code == 0 || tile.code == kGrain) && tile.roadCode == 0;
        }
      }
      if (!good) continue;
      for (int32_t tx = x0; tx <= x1; ++tx) {
        for (int32_t ty = y0; ty <= y1; ++ty) tiles.At(tx, ty).code = kGrain;
      }
      break;
    }
  }
}

void RandomMapGenerator::Enclosures() {
  int32_t n = Trunc(static_cast<double>(meanSide_) * (1.0 / kEnclosureDivisor[params_.mapType]));
  n = Trunc(n * static_cast<double>(RandomFloatTimes(0.5f) + 0.5f));
  auto& tiles = map_.terrain.tiles;
  for (int32_t enclosure = 0; enclosure < n; ++enclosure) {
    for (int32_t attempt = 0; attempt < 300; ++attempt) {
      const int32_t k = Random(RandomMapTables::kShapes);
      const int32_t x = Random(w_ - 1);
      const int32_t y = Random(h_ - 1);
      const int32_t q = Random(4);
      int32_t sx = RandomMapTables::ShapeSizeX(k);
      int32_t sy = RandomMapTables::ShapeSizeY(k);
      if (q == 1 || q == 3) std::swap(sx, sy);
      const int32_t x0 = std::max(x - 1, 0);
      const int32_t y0 = std::max(y - 1, 0);
      const int32_t x1 = x0 + sx - 1;
      const int32_t y1 = y0 + sy - 1;
      if (x1 > w_ - 1 || y1 > h_ - 1) continue;
      bool good = true;
      for (int32_t tx = x0; tx <= x1 && good; ++tx) {
        for (int32_t ty = y0; ty <= y1 && good; ++ty) good = IsFree(tx, ty);
      }
      if (!good) continue;
      const int32_t base = Random(2) == 0 ? 0 : kHedgeBase;
      for (int32_t tx = x0; tx <= x1; ++tx) {
        for (int32_t ty = y0; ty <= y1; ++ty) {
          int32_t row = 0;
          int32_t column = 0;
          switch (q) {
            case 0: row = y1 - ty; column = tx - x0; break;
            case 1: row = x1 - tx; column = y1 - ty; break;
            case 2: row = ty - y0; column = x1 - tx; break;
            default: row = tx - x0; column = ty - y0; break;
          }
          const int32_t piece = RandomMapTables::ShapePiece(k, row, column);
          if (piece == 0) continue;
          tiles.At(tx, ty).code = static_cast<uint8_t>(base + RandomMapTables::RotatePiece(piece, q));
        }
      }
      break;
    }
  }
}

void RandomMapGenerator::Water() {
  const double side = meanSide_;
  int32_t n = Trunc(side * side * kWaterFactor[params_.mapType]);
  n = Trunc(n * 0.7);
  const auto u = static_cast<double>(RandomFloat());
  n = Trunc(n * u * u);
  const float growth = kWaterGrowth[params_.mapType];
  auto& tiles = map_.terrain.tiles;
  for (int32_t body = 0; body < n; ++body) {
    int32_t x = Random(w_);
    int32_t y = Random(h_);
    const uint8_t code = Random(4) == 0 ? kWater : kMarsh;
    for (;;) {
      if (!IsFree(x, y)) break;
      tiles.At(x, y).code = code;
      // A step that would leave the map stays put.
      switch (Random(4)) {
        case 0: if (y < h_ - 1) ++y; break;
        case 1: if (x < w_ - 1) ++x; break;
        case 2: if (y > 0) --y; break;
        default: if (x > 0) --x; break;
      }
      if (!(RandomFloat() < growth)) break;
    }
  }
}

void RandomMapGenerator::LevelWater() {
  const auto& tiles = map_.terrain.tiles;
  auto& heights = map_.terrain.tileHeight;
  constexpr int32_t kDx[4] = {0, 0, 1, -1};
  constexpr int32_t kDy[4] = {1, -1, 0, 0};
  bool changed = true;
  while (changed) {
    changed = false;
    ++waterPasses_;
    for (int32_t x = w_ - 1; x >= 0; --x) {
      for (int32_t y = h_ - 1; y >= 0; --y) {
        const uint8_t code = tiles.At(x, y).code;
        if (code != kMarsh && code != kWater) continue;
        const float h = heights.At(x, y);
        for (int32_t s = 0; s < 4; ++s) {
          const int32_t nx = x + kDx[s];
          const int32_t ny = y + kDy[s];
          if (!tiles.Contains(nx, ny) || tiles.At(nx, ny).code != code || !(heights.At(nx, ny) > h)) continue;
          heights.At(nx, ny) = h;
          changed = true;
        }
      }
    }
  }
}

void RandomMapGenerator::Patches() {
  const double side = meanSide_;
  int32_t n = Trunc(side * side * kPatchFactor[params_.mapType]);
  float growth = kPatchGrowth[params_.mapType];
  if (Random(4) == 0) growth = (growth + 1.0f) * 0.5f;
  if (Random(8) == 0) n = Trunc(n * static_cast<double>(RandomFloatTimes(8.0f)));
  n = Trunc(n * static_cast<double>(RandomFloat()) * 2.0);
  auto& tiles = map_.terrain.tiles;
  for (int32_t patch = 0; patch < n; ++patch) {
    const uint8_t code = Random(2) == 0 ? kBrush : kRough;
    int32_t x = Random(w_);
    int32_t y = Random(h_);
    for (;;) {
      if (!IsFree(x, y)) break;
      tiles.At(x, y).code = code;
      for (int32_t step = 0; step < 2; ++step) {
        const int32_t d = Random(8);
        x += RandomMapTables::DirectionX(d);
        y += RandomMapTables::DirectionY(d);
      }
      if (!tiles.Contains(x, y)) break;
      if (!(RandomFloat() < growth)) break;
    }
  }
}

void RandomMapGenerator::Woods() {
  const double side = meanSide_;
  int32_t e = Trunc(side * side * 0.00005);
  e = Trunc(e * static_cast<double>(RandomFloatTimes(0.4f) + 0.8f));
  double shares[3] = {};
  switch (params_.treeCoverage) {
    case 0:
      e = Trunc(e * 0.2);
      shares[0] = 0.1; shares[1] = 0.2; shares[2] = 0.7;
      break;
    case 1:
      shares[0] = 0.2; shares[1] = 0.3; shares[2] = 0.5;
      break;
    case 2:
      e = e * 3;
      shares[0] = 0.2; shares[1] = 0.3; shares[2] = 0.5;
      break;
    case 3:
      e = e * 7;
      shares[0] = 0.4; shares[1] = 0.4; shares[2] = 0.2;
      break;
    default: Require(false, __LINE__);
  }
  woodsCount_ = e;
  const int32_t r2 = ScatterRadius();
  const float typeGrowth = kWoodsGrowth[params_.mapType];
  constexpr uint8_t kKinds[3] = {15, 14, 13};  // tall pines, woods, scattered trees
  auto& tiles = map_.terrain.tiles;
  for (int32_t kind = 0; kind < 3; ++kind) {
    const uint8_t code = kKinds[kind];
    const int32_t count = Trunc(e * shares[kind]);
    for (int32_t clump = 0; clump < count; ++clump) {
      const float angle = DrawAngle();
      const float first = RandomFloat();
      const float second = RandomFloat();
      const Point p = PolarPoint(centreX_, centreY_, angle, static_cast<float>(r2) * std::max(first, second));
      const float growth = Random(15) == 0 ? 0.95f : typeGrowth;
      int32_t x = p.x;
      int32_t y = p.y;
      if (x < 0 || x >= w_) x = Random(w_);
      if (y < 0 || y >= h_) y = Random(h_);
      for (;;) {
        // Woods run over roads and over their own kind, never over anything else.
        MapTile& tile = tiles.At(x, y);
        if (tile.code != 0 && tile.code != code) break;
        tile.code = code;
        const int32_t d = Random(8);
        x += RandomMapTables::DirectionX(d);
        y += RandomMapTables::DirectionY(d);
        if (!tiles.Contains(x, y)) break;
        if (!(RandomFloat() < growth)) break;
      }
    }
  }
}
