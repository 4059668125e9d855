#include "MapTestWorld.h"

#include <vector>

#include "framework/core/Quorl.h"

void FakeBattle::AddUnitOfEveryKind() {
  const int32_t kinds[4] = {MapUnitView::kInfantry, MapUnitView::kVehicle, MapUnitView::kInanimate,
                            MapUnitView::kAirplane};
  for (int32_t i = 0; i < 4; ++i) {
    units.push_back(std::make_unique<FakeUnit>(kinds[i], i & 1, 30.0f + 20.0f * static_cast<float>(i), 50.0f));
  }
}

FakeBattle& FakeApp::MakeBattle() {
  battle = std::make_unique<FakeBattle>();
  return *battle;
}

FakeBattle& FakeApp::MakeOperation() {
  operation = std::make_unique<FakeBattle>();
  return *operation;
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
