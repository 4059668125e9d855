// Map objects made from tile codes: buildings, bridge pieces, walls, hedges and bocage, and
// the stored building state applied to them. The objects themselves come with the buildings
// and walls subject; until then the codes make none and every building record finds no
// building to restore.
#include "framework/core/GErrorLog.h"
#include "game/map/Map.h"

void Map::MakeBridgePieces(int32_t /*x*/, int32_t /*y*/, int32_t /*code*/) {}

void Map::MakeBuildings(int32_t /*x*/, int32_t /*y*/, int32_t /*code*/) {}

void Map::MakeWalls(int32_t /*x*/, int32_t /*y*/, int32_t /*code*/) {}

GObject* Map::FindBuildingAtTile(int32_t /*x*/, int32_t /*y*/) const { return nullptr; }

void Map::ApplyBuildingRecord(int32_t x, int32_t y, float /*damage*/, uint8_t /*flags*/, bool /*inside*/) {
  if (FindBuildingAtTile(x, y) == nullptr) {
    // A record naming a tile without a building is a damaged file, not a reason to stop.
    GErrorLog::LogValue("Map: building record without a building, skipped; tile x", x);
    return;
  }
}
