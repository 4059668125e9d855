#include "TerrainSheet.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "framework/core/GGroup.h"
#include "game/map/Building.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapMask.h"
#include "game/map/TerrainCodeTable.h"
#include "game/map/Wall.h"
#include "MapFiles.h"
#include "ReferenceMapApp.h"

namespace {

// The editor's import block: 250 x 250 codes (int16, column by column), then levels, then zones.
constexpr int32_t kBlockSide = 250;
constexpr size_t kBlockLevels = 125000;
constexpr size_t kBlockBytes = 250000;
constexpr int32_t kColumns = 16;
constexpr int32_t kRows = TerrainSheet::kCodes / kColumns;

// Each code's tile, with a ring of tiles of its own around it.
int32_t TileX(int32_t code) { return 1 + 3 * (code % kColumns); }
int32_t TileY(int32_t code) { return 1 + 3 * (code / kColumns); }

// The ring: terrain that takes its shape from its neighbours (marsh, trees, woods, pines,
// grain, brush, water) is ringed by the same terrain, so the tile shows it as a field of it
// looks rather than as a lone patch; everything else by open ground.
int32_t RingCode(int32_t terrain) {
  const bool shaped = (terrain >= 12 && terrain <= 17) || terrain == 25 || terrain == 27;
  return shaped ? std::max(TerrainCodeTable::FindTerrainCode(terrain, 0, 0), 0) : 0;
}

void PutCode(std::vector<uint8_t>& block, int32_t x, int32_t y, int32_t code) {
  const int16_t value = static_cast<int16_t>(code);
  std::memcpy(&block[static_cast<size_t>(x * kBlockSide + y) * 2], &value, sizeof value);
}

template <typename T>
void CollectShape(const T& piece, int32_t type, bool wall, bool tall, float originX, float originY,
                  std::vector<TerrainSheet::Shape>& shapes) {
  TerrainSheet::Shape shape;
  shape.type = type;
  shape.wall = wall;
  shape.tall = tall;
  for (int32_t i = 0; i < 4; ++i) {
    shape.x[i] = piece.corners[i].x - originX;
    shape.y[i] = piece.corners[i].y - originY;
  }
  shapes.push_back(shape);
}

}  // namespace

bool TerrainSheet::Make(const std::string& scratchPath, std::string& error) {
  tiles_.assign(kCodes, Tile{});
  std::vector<uint8_t> block(kBlockBytes, 0);
  for (int32_t code = 0; code < kCodes; ++code) {
    Tile& tile = tiles_[static_cast<size_t>(code)];
    tile.used = TerrainCodeTable::IsUsed(code);
    if (!tile.used) continue;
    uint8_t fire = 0;
    TerrainCodeTable::DecodeTerrainCode(code, tile.terrain, tile.road, fire);
    tile.fire = fire;
    for (int32_t dx = -1; dx <= 1; ++dx)
      for (int32_t dy = -1; dy <= 1; ++dy)
        PutCode(block, TileX(code) + dx, TileY(code) + dy, dx == 0 && dy == 0 ? code : RingCode(tile.terrain));
  }
  for (size_t i = 0; i < kBlockSide * kBlockSide; ++i) block[kBlockLevels + i] = 2;

  ReferenceMapApp app;
  {
    Map map(app);
    if (!map.NewMap(static_cast<float>(3 * kColumns) * 20.0f, static_cast<float>(3 * kRows) * 20.0f,
                    block.data())) {
      error = "the terrain sheet's map could not be made from the terrain code table";
      return false;
    }
    if (!MapFiles::Write(map, scratchPath)) {
      error = "cannot write " + scratchPath;
      return false;
    }
  }
  Map map(app);
  {
    const bool read = MapFiles::Read(map, scratchPath);
    std::remove(scratchPath.c_str());
    if (!read) {
      error = "the terrain sheet's map was refused when read back";
      return false;
    }
  }
  for (int32_t code = 0; code < kCodes; ++code) {
    Tile& tile = tiles_[static_cast<size_t>(code)];
    if (!tile.used) continue;
    const int32_t tx = TileX(code), ty = TileY(code);
    // Pavement lies whole in the fine grid; its ground is drawn in its shape, which the
    // picture shows with open ground beside it.
    const MapTile& onMap = map.terrain.tiles.At(tx, ty);
    tile.rotation = onMap.rotation;
    const bool pavement = tile.terrain >= 47 && tile.terrain <= 58 && onMap.shape >= 0 && onMap.shape < MapMask::kShapeCount;
    for (int32_t row = 0; row < kCells; ++row)
      for (int32_t column = 0; column < kCells; ++column) {
        const int32_t j = kCells - 1 - row;
        int32_t type = FineTerrain::TypeOf(map.terrain.fineGrid.At(tx * kCells + column, ty * kCells + j));
        if (pavement && !kShapeMasks[onMap.shape].Covers(onMap.rotation, onMap.mirrored != 0, column, j))
          type = FineTerrain::kOpenGround;
        tile.fine[row][column] = static_cast<uint8_t>(type);
      }
  }
  const float halfTile = 10.0f;
  GGroup* buildings = map.objects.buildings;
  for (int32_t i = 0; buildings != nullptr && i < buildings->Count(); ++i) {
    const auto* building = static_cast<const Building*>(buildings->GetItem(i));
    for (int32_t code = 0; code < kCodes; ++code) {
      Tile& tile = tiles_[static_cast<size_t>(code)];
      if (!tile.used || building->tileX != TileX(code) || building->tileY != TileY(code)) continue;
      CollectShape(*building, building->type, false, building->tall != 0, building->CentreX() - halfTile,
                   building->CentreY() - halfTile, tile.shapes);
    }
  }
  GGroup* walls = map.objects.walls;
  for (int32_t i = 0; walls != nullptr && i < walls->Count(); ++i) {
    const auto* wall = static_cast<const Wall*>(walls->GetItem(i));
    float cx = 0, cy = 0;
    for (const auto& c : wall->corners) {
      cx += c.x * 0.25f;
      cy += c.y * 0.25f;
    }
    const int32_t wx = static_cast<int32_t>(cx / 20.0f), wy = static_cast<int32_t>(cy / 20.0f);
    if (wx % 3 != 1 || wy % 3 != 1) continue;
    const int32_t code = wy / 3 * kColumns + wx / 3;
    if (code < 0 || code >= kCodes || !tiles_[static_cast<size_t>(code)].used) continue;
    CollectShape(*wall, wall->StampedType(), true, false, static_cast<float>(wx) * 20.0f,
                 static_cast<float>(wy) * 20.0f, tiles_[static_cast<size_t>(code)].shapes);
  }
  return true;
}

const TerrainSheet& TerrainSheet::Shared() {
  static const TerrainSheet sheet = [] {
    TerrainSheet made;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tarvane-terrain-sheet-" + std::to_string(getpid()) + ".map"))
            .string();
    std::string error;
    if (!made.Make(path, error)) {
      std::fprintf(stderr, "terrain sheet: %s\n", error.c_str());
      std::exit(1);
    }
    return made;
  }();
  return sheet;
}
