// The map editor's grids: filling them from the map, re-laying them for a size change,
// raising the whole map and turning them back into the map.
#include "editor/EditorMapGrids.h"

#include <algorithm>
#include <cstring>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/TerrainCodeTable.h"

namespace {

constexpr const char* kMapGridsSource = "EditorMapGrids";

}  // namespace

EditorMapGrids::EditorMapGrids() : block_(kBytes, 0) {
  std::fill(block_.begin() + kLevelsAt, block_.begin() + kZonesAt, static_cast<uint8_t>(kFlatLevel));
}

size_t EditorMapGrids::Index(int32_t x, int32_t y) const {
  if (x < 0 || x >= kSide || y < 0 || y >= kSide) FatalError(__LINE__, kMapGridsSource);
  return static_cast<size_t>(x) * kSide + static_cast<size_t>(y);
}

int16_t EditorMapGrids::Code(int32_t x, int32_t y) const {
  int16_t code;
  std::memcpy(&code, block_.data() + Index(x, y) * 2, sizeof code);
  return code;
}

int8_t EditorMapGrids::Level(int32_t x, int32_t y) const {
  return static_cast<int8_t>(block_[kLevelsAt + Index(x, y)]);
}

uint8_t EditorMapGrids::Zone(int32_t x, int32_t y) const { return block_[kZonesAt + Index(x, y)]; }

void EditorMapGrids::SetCode(int32_t x, int32_t y, int16_t code) {
  std::memcpy(block_.data() + Index(x, y) * 2, &code, sizeof code);
}

void EditorMapGrids::SetLevel(int32_t x, int32_t y, int8_t level) {
  block_[kLevelsAt + Index(x, y)] = static_cast<uint8_t>(level);
}

void EditorMapGrids::SetZone(int32_t x, int32_t y, uint8_t zone) { block_[kZonesAt + Index(x, y)] = zone; }

int32_t EditorMapGrids::TilesFor(double metres) {
  const double tiles = (metres + 1.0) * 0.05;
  if (!(tiles > 0.0)) return 0;
  return static_cast<int32_t>(std::min(tiles, static_cast<double>(kSide)));
}

int32_t EditorMapGrids::TileHeightLevel(const Map& map, int32_t x, int32_t y) {
  if (!map.terrain.tileHeight.Contains(x, y)) return 0;
  return map.StoredLevel(map.terrain.tileHeight.At(x, y));
}

int16_t EditorMapGrids::CodeOfTile(const Map& map, int32_t x, int32_t y) {
  const MapTile& tile = map.terrain.tiles.At(x, y);
  const int32_t terrain = tile.CodeToStore();
  const int32_t road = tile.roadCode;
  const int32_t fire = map.BurningAt((static_cast<float>(x) + 0.5f) * Map::kTileSize,
                                     (static_cast<float>(y) + 0.5f) * Map::kTileSize);
  int32_t code = TerrainCodeTable::FindTerrainCode(terrain, road, fire);
  if (code >= 0) return static_cast<int16_t>(code);
  GErrorLog::LogValue("Map editor: no terrain code for the tile at column", x);
  GErrorLog::LogValue("Map editor: no terrain code for the tile at row", y);
  code = TerrainCodeTable::FindTerrainCode(terrain, road, 0);
  if (code < 0) code = TerrainCodeTable::FindTerrainCode(terrain, 0, 0);
  return static_cast<int16_t>(std::max(code, 0));
}

void EditorMapGrids::FillFrom(const Map& map, int32_t& width, int32_t& height) {
  // Every cell as outside the map first, in whole planes; then the map's own cells.
  std::fill(block_.begin(), block_.begin() + kLevelsAt, static_cast<uint8_t>(0));
  std::fill(block_.begin() + kLevelsAt, block_.begin() + kZonesAt, static_cast<uint8_t>(kFlatLevel));
  std::fill(block_.begin() + kZonesAt, block_.end(), static_cast<uint8_t>(0));
  const bool sized = map.terrain.tiles.IsSized();
  const int32_t across = sized ? std::min(map.terrain.tiles.Width(), kSide) : 0;
  const int32_t down = sized ? std::min(map.terrain.tiles.Height(), kSide) : 0;
  for (int32_t x = across - 1; x >= 0; --x) {
    for (int32_t y = down - 1; y >= 0; --y) {
      SetCode(x, y, CodeOfTile(map, x, y));
      SetLevel(x, y, static_cast<int8_t>(TileHeightLevel(map, x, y)));
      SetZone(x, y, map.terrain.tiles.At(x, y).zone);
    }
  }
  width = TilesFor(map.size.worldWidth);
  height = TilesFor(map.size.worldHeight);
}

void EditorMapGrids::CopyCell(int32_t toX, int32_t toY, int32_t fromX, int32_t fromY) {
  SetCode(toX, toY, Code(fromX, fromY));
  SetLevel(toX, toY, Level(fromX, fromY));
  SetZone(toX, toY, Zone(fromX, fromY));
}

void EditorMapGrids::ClearCell(int32_t x, int32_t y) {
  SetCode(x, y, 0);
  SetLevel(x, y, kFlatLevel);
}

void EditorMapGrids::ShiftForResize(int32_t oldWidth, int32_t oldHeight, int32_t newWidth, int32_t newHeight) {
  // Content moving up is copied from the top down, content moving down from the bottom up, so
  // each shift is safe in place.
  if (newWidth > oldWidth) {
    const int32_t d = newWidth - oldWidth;
    for (int32_t x = newWidth - 1; x >= d; --x)
      for (int32_t y = newHeight - 1; y >= 0; --y) CopyCell(x, y, x - d, y);
    for (int32_t x = d - 1; x >= 0; --x)
      for (int32_t y = newHeight - 1; y >= 0; --y) ClearCell(x, y);
  } else if (newWidth < oldWidth) {
    const int32_t d = oldWidth - newWidth;
    for (int32_t x = 0; x < newWidth; ++x)
      for (int32_t y = newHeight - 1; y >= 0; --y) CopyCell(x, y, x + d, y);
  } else if (newHeight > oldHeight) {
    const int32_t d = newHeight - oldHeight;
    for (int32_t y = newHeight - 1; y >= d; --y)
      for (int32_t x = newWidth - 1; x >= 0; --x) CopyCell(x, y, x, y - d);
    for (int32_t y = d - 1; y >= 0; --y)
      for (int32_t x = newWidth - 1; x >= 0; --x) ClearCell(x, y);
  } else {
    const int32_t d = oldHeight - newHeight;
    for (int32_t y = 0; y < newHeight; ++y)
      for (int32_t x = newWidth - 1; x >= 0; --x) CopyCell(x, y, x, y + d);
  }
}

void EditorMapGrids::RaiseLower(bool raise) {
  // What each of the 256 level bytes becomes, then every cell through the table.
  uint8_t moves[256];
  for (int32_t byte = 0; byte < 256; ++byte) {
    const int32_t level = static_cast<int8_t>(byte);
    const int32_t moved = raise ? std::min<int32_t>(level + 1, kHighestToolLevel)
                                : std::max<int32_t>(level - 1, kLowestToolLevel);
    // A level outside the tool's range is kept on the side it lies.
    moves[byte] = static_cast<uint8_t>(static_cast<int8_t>(raise ? std::max(moved, level) : std::min(moved, level)));
  }
  uint8_t* const levels = block_.data() + kLevelsAt;
  for (size_t i = 0; i < kZonesAt - kLevelsAt; ++i) levels[i] = moves[levels[i]];
}

bool EditorMapGrids::CommitTo(Map& map, int32_t width, int32_t height) const {
  return map.NewMap(static_cast<float>(width) * Map::kTileSize, static_cast<float>(height) * Map::kTileSize,
                    block_.data());
}
