// Passes of the 2 m fine grid and the scattered trees, in the places where Read runs them.
// The fine grid itself (its cells, stamping, steep edges and road links) and the trees come
// with the fine-grid subject; until then these passes leave the grid empty and draw nothing.
#include "game/map/Map.h"

void Map::BuildFineGrid() {}

void Map::MarkSteepEdges() {}

void Map::FinishFineGrid() {}

void Map::StampRoadEnds() {
  for (int32_t x = 0; x < size.tilesX; ++x) {
    for (int32_t y = 0; y < size.tilesY; ++y) {
      MapTile& tile = terrain.tiles.At(x, y);
      if (tile.code >= 83 && tile.code <= 90) continue;
      for (int32_t kind = 0; kind < MapTile::kRoadKinds; ++kind) MarkRoadEnds(y, x, tile, kind);
    }
  }
  // The links between the marked corners are painted into the fine grid with the grid.
}

void Map::ScatterTrees(int32_t /*x*/, int32_t /*y*/, int32_t /*terrainType*/) {}
