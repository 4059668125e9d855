// New maps from the editor and the operation, set-up zones, height rescaling and the table
// of height bands that the terrain textures are chosen by.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/map/Map.h"
#include "game/map/MapObjectList.h"
#include "game/map/TerrainCodeTable.h"

namespace {

// Parts of an imported terrain block of 250 x 250 tiles, each indexed x x 250 + y.
constexpr int32_t kBlockSide = 250;
constexpr size_t kBlockLevels = 125000;
constexpr size_t kBlockZones = 187500;

int16_t BlockCode(const uint8_t* block, int32_t x, int32_t y) {
  int16_t code;
  std::memcpy(&code, block + static_cast<size_t>(x * kBlockSide + y) * 2, sizeof code);
  return code;
}

// Tiles along a side of the given metres; 0 when outside 1..250.
int32_t TilesFor(float metres) {
  double tiles = (static_cast<double>(metres) + 1.0) * 0.05;
  if (!(tiles >= 1.0 && tiles < Map::kMaxTiles + 1.0)) return 0;
  return static_cast<int32_t>(tiles);
}

}  // namespace

bool Map::NewMap(float widthMetres, float heightMetres, const void* blockData) {
  const int32_t w = TilesFor(widthMetres);
  const int32_t h = TilesFor(heightMetres);
  if (w == 0 || h == 0) return false;
  const auto* block = static_cast<const uint8_t*>(blockData);
  if (block != nullptr) {
    // Every code must be one in use before anything changes: a code outside the table is
    // the decoder's fatal error, and an unused one stands for no tile.
    for (int32_t x = 0; x < w; ++x) {
      for (int32_t y = 0; y < h; ++y) {
        if (!TerrainCodeTable::IsUsed(BlockCode(block, x, y))) return false;
      }
    }
  }
  size.worldWidth = widthMetres;
  size.worldHeight = heightMetres;
  size.tilesX = w;
  size.tilesY = h;
  terrain.tiles.Init(w, h);
  terrain.tileHeight.Init(w, h);
  fire.state.Init(1, w, h);
  fire.state.Zero();
  // A new map is written before it is read back with every pass: its lists exist, empty.
  CreateObjectLists();
  const float level = size.heightScale * 3.0f;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      MapTile& tile = terrain.tiles.At(x, y);
      if (block == nullptr) {
        tile.zone = static_cast<uint8_t>(x <= w / 4 ? 1 : (x > 3 * w / 4 ? 4 : 0));
        tile.code = 0;
        tile.codeAsRead = 0;
        tile.roadCode = 0;
        terrain.tileHeight.At(x, y) = level * 2.0f;
        continue;
      }
      size_t at = static_cast<size_t>(x * kBlockSide + y);
      int16_t terrainCode = 0;
      int16_t road = 0;
      uint8_t fireType = 0;
      TerrainCodeTable::DecodeTerrainCode(BlockCode(block, x, y), terrainCode, road, fireType);
      tile.zone = block[kBlockZones + at];
      tile.code = static_cast<uint8_t>(terrainCode);
      tile.codeAsRead = tile.code;
      tile.roadCode = static_cast<uint8_t>(road);
      fire.state.SetU8(x, y, fireType);
      terrain.tileHeight.At(x, y) = level * static_cast<float>(static_cast<int8_t>(block[kBlockLevels + at]));
    }
  }
  RebuildBurningTiles();
  return true;
}

void Map::PaintZone(int32_t x, int32_t y, bool side1, bool merge) {
  if (!terrain.tiles.Contains(x, y)) return;
  uint8_t& zone = terrain.tiles.At(x, y).zone;
  if (zone == 0) zone = side1 ? 4 : 1;
  else if (merge && ((zone == 1 && side1) || (zone == 4 && !side1))) zone = kZoneBoth;
}

void Map::PromoteZoneRect(bool side1, int32_t x0, int32_t x1, int32_t yEnd, int32_t y0) {
  const uint8_t from = side1 ? 4 : 1;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, terrain.tiles.Width());
  yEnd = std::min(yEnd, terrain.tiles.Height());
  for (int32_t x = x0; x < x1; ++x) {
    for (int32_t y = y0; y < yEnd; ++y) {
      uint8_t& zone = terrain.tiles.At(x, y).zone;
      if (zone == from) zone = static_cast<uint8_t>(from + 1);
    }
  }
}

void Map::ScaleHeights(float factor) {
  for (int32_t y = 0; y < terrain.tileHeight.Height(); ++y)
    for (int32_t x = 0; x < terrain.tileHeight.Width(); ++x) terrain.tileHeight.At(x, y) *= factor;
}

void Map::BuildHeightBands() {
  float lowest = 9.0e20f;
  float highest = -9.0e20f;
  for (int32_t x = 0; x < terrain.tileHeight.Width(); ++x) {
    for (int32_t y = 0; y < terrain.tileHeight.Height(); ++y) {
      lowest = std::min(lowest, terrain.tileHeight.At(x, y));
      highest = std::max(highest, terrain.tileHeight.At(x, y));
    }
  }
  auto band = [&](float height) {
    float v = (height / size.heightScale + 3.01f) * (1.0f / 3.0f);
    return static_cast<int32_t>(std::clamp(std::trunc(v), -1000.0f, 1000.0f));
  };
  const int32_t low = band(lowest);
  const int32_t high = band(highest);
  const int32_t mid = (low + high) / 2;
  const int32_t span = std::min((high - low) * 2, kHeightBands - 1);
  int32_t start = mid - span / 2;
  if (start < 0) start = 0;
  if (start + span > kHeightBands - 1) start = kHeightBands - 1 - span;
  float cur = static_cast<float>(start) + 0.01f;
  float step = high > low ? static_cast<float>(span) / static_cast<float>(high - low) : 0.0f;
  for (int32_t i = 0; i < kHeightBands; ++i) {
    if (i <= low) {
      display.heightBand[i] = start;
    } else {
      if (i <= high) cur += step;
      display.heightBand[i] = static_cast<int32_t>(cur);
    }
  }
}
