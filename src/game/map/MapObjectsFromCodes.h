#pragma once
#include <cstdint>

#include "game/map/MapCorner.h"

// The tables that turn tile codes into buildings, bridges and walls, kept as data so that
// tests can read them against their definitions. Footprints are four corners in metres:
// building footprints relative to the tile centre, wall pieces to the tile's low corner.
namespace MapObjectTables {

using Corner = MapCorner;

// Building codes 59..90: a footprint before turning, its diagonal flag and building type.
struct BuildingShape {
  Corner corners[4];
  bool diagonal;
  int32_t type;
};
constexpr int32_t kBuildingShapeCount = 8;
extern const BuildingShape kBuildingShapes[kBuildingShapeCount];
// Index into kBuildingShapes and the turn 0..3 of a building code 59..90.
int32_t BuildingShapeOf(int32_t code);
int32_t BuildingTurnOf(int32_t code);
// Turn 0 (x, y), 1 (y, -x), 2 (-x, -y), 3 (-y, x).
Corner TurnCorner(Corner c, int32_t turn);

// Bridge codes 91..98: odd codes run along x, even along y.
extern const Corner kBridgeAlongX[4];
extern const Corner kBridgeAlongY[4];
extern const Corner kRampLowX[4];
extern const Corner kRampHighX[4];
extern const Corner kRampHighY[4];
extern const Corner kRampLowY[4];
int32_t BridgeTypeOf(int32_t code);
// The ramp type of a bridge type 36..39; -1 for any other.
int32_t RampTypeOf(int32_t bridgeType);

// Wall index 0..29: layout and quarter turns.
struct WallEntry {
  int32_t layout;
  int32_t quarter;
};
constexpr int32_t kWallEntryCount = 30;
extern const WallEntry kWallEntries[kWallEntryCount];

struct WallPiece {
  uint8_t thick;
  uint8_t isLong;
  Corner corners[4];
};
extern const WallPiece kStraight;
extern const WallPiece kDiagonal;
extern const Corner kHalfEast[4];
extern const Corner kHalfWest[4];
extern const Corner kHalfSouth[4];
extern const Corner kHalfNorthWest[4];
extern const Corner kHalfSouthEast[4];
extern const Corner kHalfSouthWest[4];
extern const Corner kHalfSouthEastReordered[4];
// The pieces of a layout in order; their count (0 for a layout that has none).
int32_t WallLayoutPieces(int32_t layout, WallPiece (&pieces)[3]);
// Wall type (28 bocage, 29 wall, 30 hedge) and index of a wall code; false for codes that are
// no wall. Codes 130 and 161 between the ranges give index -1.
bool DecodeWallCode(int32_t code, int32_t& wallType, int32_t& index);

}  // namespace MapObjectTables
