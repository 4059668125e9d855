#include "MapTestWorld.h"

#include <cmath>
#include <vector>

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/SmokeCloud.h"

void FakeBattle::AddUnitOfEveryKind() {
  const int32_t kinds[4] = {MapUnitView::kInfantry, MapUnitView::kVehicle, MapUnitView::kInanimate,
                            MapUnitView::kAirplane};
  for (int32_t i = 0; i < 4; ++i) {
    units.push_back(std::make_unique<FakeUnit>(kinds[i], i & 1, 30.0f + 20.0f * static_cast<float>(i), 50.0f));
  }
}

FakeBattle& FakeApp::MakeBattle() {
  battle = std::make_unique<FakeBattle>();
  battle->frameLog = &frameLog;
  return *battle;
}

void FakeBattle::DrawUnits(float scale, float infantryExponent, float vehicleExponent) {
  unitPasses.push_back({scale, infantryExponent, vehicleExponent});
  if (frameLog != nullptr) {
    const long long given = gGraph3D != nullptr ? static_cast<long long>(gGraph3D->FrameTriangles().given) : 0;
    frameLog->push_back("units@" + std::to_string(given));
  }
}

void FakeBattle::DrawEffects(Map& /*map*/) {
  if (frameLog != nullptr) {
    const long long given = gGraph3D != nullptr ? static_cast<long long>(gGraph3D->FrameTriangles().given) : 0;
    frameLog->push_back("effects@" + std::to_string(given));
  }
}

void FakeApp::SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) {
  projection = {fieldOfView, nearPlane, farPlane};
  if (gGraph3D != nullptr) gGraph3D->SetProjection(0, 0, viewWidth, viewHeight, fieldOfView, nearPlane, farPlane);
}

void FakeApp::LogFrame(const std::string& what) {
  const long long given = gGraph3D != nullptr ? static_cast<long long>(gGraph3D->FrameTriangles().given) : 0;
  frameLog.push_back(what + "@" + std::to_string(given));
}

FakeBattle& FakeApp::MakeOperation() {
  operation = std::make_unique<FakeBattle>();
  return *operation;
}

float FakeUnit::DistanceToPoint(float px, float py) const {
  // The point on the ground under it when the unit knows its map, else at the unit's height.
  const float dz = map != nullptr ? z - map->ElevationAt(px, py) : 0.0f;
  return std::sqrt((x - px) * (x - px) + (y - py) * (y - py) + dz * dz);
}

void FakeUnit::TakeCasualties(int32_t count, float chance) {
  // Each man is lost at the chance; the unit is gone with its last man.
  for (int32_t i = 0; i < count; ++i) {
    if (RandomFloat() < chance) --men;
  }
  if (men <= 0) alive = false;
}

void PaintRouteWorld(Map& map, int32_t tiles, uint32_t seed) {
  map.NewMap(static_cast<float>(tiles) * 20.0f, static_cast<float>(tiles) * 20.0f, nullptr);
  uint32_t v = seed;
  auto next = [&v](uint32_t n) {
    v = v * 1664525u + 1013904223u;
    return (v >> 8) % n;
  };
  // A few lakes and woods as blobs of tiles, hills as a sum of two slow waves.
  struct Blob {
    int32_t x, y, r, code;
  };
  std::vector<Blob> blobs;
  const int32_t blobCount = tiles * tiles / 400 + 2;
  const int32_t codes[4] = {25, 14, 13, 16};
  for (int32_t i = 0; i < blobCount; ++i) {
    blobs.push_back({static_cast<int32_t>(next(static_cast<uint32_t>(tiles))),
                     static_cast<int32_t>(next(static_cast<uint32_t>(tiles))),
                     static_cast<int32_t>(next(4)) + 1, codes[next(4)]});
  }
  const int32_t roadStep = static_cast<int32_t>(next(8)) + 12;
  for (int32_t x = 0; x < tiles; ++x) {
    for (int32_t y = 0; y < tiles; ++y) {
      const int32_t level = ((x * 7) / 13 + (y * 5) / 11) % 9 - 2;
      map.terrain.tileHeight.At(x, y) = static_cast<float>(level) * 2.5f;
      MapTile& tile = map.terrain.tiles.At(x, y);
      for (const Blob& b : blobs) {
        if ((x - b.x) * (x - b.x) + (y - b.y) * (y - b.y) <= b.r * b.r) tile.code = static_cast<uint8_t>(b.code);
      }
      if (tile.code == 0 && next(23) == 0) tile.code = 20;
      if (x % roadStep == 5 && tile.code != 25) tile.roadCode = 96;
    }
  }
}
// ---- A busy battlefield for sight lines ----

namespace {

// A small generator of its own, so that building the map leaves the game's draws alone.
class SightMapRandom {
 public:
  explicit SightMapRandom(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  // [0, n)
  int32_t Below(int32_t n) { return static_cast<int32_t>(Next() % static_cast<uint32_t>(n)); }
  // [lo, hi)
  float Between(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(Next() & 0xFFFF) / 65536.0f; }

 private:
  uint32_t state_;
};

void FillCells(Map& map, int32_t cx, int32_t cy, int32_t w, int32_t h, int32_t type) {
  MapGrid<uint16_t>& grid = map.terrain.fineGrid;
  for (int32_t x = cx; x < cx + w; ++x) {
    for (int32_t y = cy; y < cy + h; ++y) {
      if (!grid.Contains(x, y)) continue;
      uint16_t& cell = grid.At(x, y);
      cell = static_cast<uint16_t>(type << FineTerrain::kTypeShift | FineTerrain::HeightCodeOf(cell));
    }
  }
}

}  // namespace

Map& BuildBusySightMap(FakeApp& app, uint32_t seed, int32_t tiles) {
  FakeBattle& battle = *app.battle;
  battle.map = std::make_unique<Map>(app);
  Map& map = *battle.map;
  map.size.tilesX = tiles;
  map.size.tilesY = tiles;
  map.Read(nullptr);
  SightMapRandom random(seed);
  MapGrid<uint16_t>& grid = map.terrain.fineGrid;
  const int32_t cells = grid.Width();
  const float metres = static_cast<float>(cells) * 2.0f;

  // Each place draws its parts last first (height before width, y before x): the busy map's
  // pinned answers were made from those draws.
  // Rolling hills: rounded bumps added to a plain at 5 m.
  struct Hill {
    float x, y, radius, height;
  };
  std::vector<Hill> hills;
  for (int32_t i = 0; i < 12; ++i) {
    hills.push_back({random.Between(0.0f, metres), random.Between(0.0f, metres), random.Between(150.0f, 500.0f),
                     random.Between(5.0f, 35.0f)});
  }
  for (int32_t x = 0; x < cells; ++x) {
    for (int32_t y = 0; y < grid.Height(); ++y) {
      const float px = static_cast<float>(x) * 2.0f;
      const float py = static_cast<float>(y) * 2.0f;
      float h = 5.0f;
      for (const Hill& hill : hills) {
        const float dx = px - hill.x;
        const float dy = py - hill.y;
        const float q = 1.0f - (dx * dx + dy * dy) / (hill.radius * hill.radius);
        if (q > 0.0f) h += hill.height * q;
      }
      grid.At(x, y) = map.HeightToCode(h);
    }
  }
  // Patches of vegetation.
  const int32_t patchTypes[] = {13, 14, 14, 15, 16, 17, 18, 19, 12, 21, 22};
  const int32_t patches = cells * cells / 4000;
  for (int32_t i = 0; i < patches; ++i) {
    const int32_t type = patchTypes[random.Below(static_cast<int32_t>(std::size(patchTypes)))];
    const int32_t h = 5 + random.Below(40);
    const int32_t w = 5 + random.Below(40);
    const int32_t y = random.Below(cells);
    const int32_t x = random.Below(cells);
    FillCells(map, x, y, w, h, type);
  }
  // Bocage hedges: long lines one cell thick.
  for (int32_t i = 0; i < cells / 25; ++i) {
    const int32_t length = 20 + random.Below(60);
    const bool across = random.Below(2) == 0;
    const int32_t y = random.Below(cells);
    const int32_t x = random.Below(cells);
    if (across) FillCells(map, x, y, length, 1, 28);
    else FillCells(map, x, y, 1, length, 28);
  }
  // Walls, hedges and buildings of every kind, with a bridge piece now and then.
  for (int32_t i = 0; i < cells / 5; ++i) {
    const int32_t x = random.Below(cells);
    const int32_t y = random.Below(cells);
    const int32_t kind = random.Below(8);
    if (kind < 5) {
      const int32_t h = 3 + random.Below(6);
      const int32_t w = 3 + random.Below(6);
      FillCells(map, x, y, w, h, 31 + kind);
    } else if (kind == 5) {
      FillCells(map, x, y, 1, 3, 36);
    } else {
      FillCells(map, x, y, 8, 1, 29 + (kind - 6));
    }
  }
  // Burning tiles of every kind.
  for (int32_t i = 0; i < tiles / 5; ++i) {
    const auto state = static_cast<uint8_t>(1 + random.Below(3));
    const int32_t column = random.Below(tiles);
    const int32_t row = random.Below(tiles);
    map.fire.state.SetU8(row, column, state);
  }
  // Smoke clouds, some of which have not started at the battle's slice.
  battle.slice = 60;
  for (int32_t i = 0; i < tiles / 4; ++i) {
    const float radius = random.Between(8.0f, 30.0f);
    const int32_t start = random.Below(120);
    const float y = random.Between(0.0f, metres);
    const float x = random.Between(0.0f, metres);
    map.objects.smallObjects->Append(new SmokeCloud(x, y, start, 200, radius));
  }
  // Sixty vehicles that block sight.
  for (int32_t i = 0; i < 60; ++i) {
    const float x = random.Between(0.0f, metres);
    const float y = random.Between(0.0f, metres);
    auto unit = std::make_unique<FakeUnit>(MapUnitView::kVehicle, i & 1, x, y, map.ElevationAt(x, y));
    unit->blocksSight = true;
    unit->vehicleSize = random.Between(2.0f, 4.0f);
    battle.units.push_back(std::move(unit));
  }
  return map;
}

std::vector<std::array<float, 6>> SightPairs(const Map& map, uint32_t seed, int32_t count) {
  SightMapRandom random(seed);
  std::vector<std::array<float, 6>> pairs;
  pairs.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const float x0 = random.Between(0.0f, map.size.worldWidth);
    const float y0 = random.Between(0.0f, map.size.worldHeight);
    const float x1 = random.Between(0.0f, map.size.worldWidth);
    const float y1 = random.Between(0.0f, map.size.worldHeight);
    pairs.push_back({x0, y0, map.ElevationAt(x0, y0), x1, y1, map.ElevationAt(x1, y1)});
  }
  return pairs;
}
