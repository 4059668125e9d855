// Map objects made from tile codes: buildings and bridges (with their ramps), walls, hedges
// and bocage, their stamps into the fine grid, and the stored building state applied to
// them. The footprints and layouts below are part of the map format: the same code must
// always give the same objects.
#include "game/map/MapObjectsFromCodes.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/Map.h"
#include "game/map/Wall.h"

namespace MapObjectTables {

const BuildingShape kBuildingShapes[kBuildingShapeCount] = {
    // Light building, turned a quarter so it stands as a diamond.
    {{{0.0f, -7.07107f}, {-7.07107f, 0.0f}, {0.0f, 7.07107f}, {7.07107f, 0.0f}}, true, 31},
    {{{-4.8f, -4.8f}, {-4.8f, 4.8f}, {4.8f, 4.8f}, {4.8f, -4.8f}}, false, 31},
    {{{-1.3f, -10.0f}, {-10.0f, -1.3f}, {1.3f, 10.0f}, {10.0f, 1.3f}}, true, 33},
    {{{-10.0f, -6.15f}, {-10.0f, 6.15f}, {6.0f, 6.15f}, {6.0f, -6.15f}}, false, 33},
    {{{0.0f, -7.07107f}, {-7.07107f, 0.0f}, {0.0f, 7.07107f}, {7.07107f, 0.0f}}, true, 32},
    {{{-4.8f, -4.8f}, {-4.8f, 4.8f}, {4.8f, 4.8f}, {4.8f, -4.8f}}, false, 32},
    {{{-10.0f, -10.0f}, {-10.0f, 10.0f}, {10.0f, 10.0f}, {10.0f, -10.0f}}, false, 34},
    {{{-10.0f, -10.0f}, {-10.0f, 10.0f}, {10.0f, 10.0f}, {10.0f, -10.0f}}, false, 46},
};

// Codes 59..82 come in groups of eight: two shapes (odd, even code) under four turns; 83..90
// are four turns of one shape each.
int32_t BuildingShapeOf(int32_t code) {
  if (code >= 83) return code <= 86 ? 6 : 7;
  const int32_t group = (code - 59) / 8;
  return group * 2 + ((code - 59) & 1);
}

int32_t BuildingTurnOf(int32_t code) {
  if (code >= 83) return (code - 83) & 3;
  return ((code - 59) % 8) / 2;
}

Corner TurnCorner(Corner c, int32_t turn) {
  switch (turn) {
    case 1: return {c.y, -c.x};
    case 2: return {-c.x, -c.y};
    case 3: return {-c.y, c.x};
    default: return c;
  }
}

const Corner kBridgeAlongX[4] = {{-10.0f, -4.5f}, {-10.0f, 4.5f}, {10.0f, 4.5f}, {10.0f, -4.5f}};
const Corner kBridgeAlongY[4] = {{-4.5f, 10.0f}, {4.5f, 10.0f}, {4.5f, -10.0f}, {-4.5f, -10.0f}};
const Corner kRampLowX[4] = {{-10.0f, 4.5f}, {-10.0f, -4.5f}, {-28.0f, -4.5f}, {-28.0f, 4.5f}};
const Corner kRampHighX[4] = {{10.0f, -4.5f}, {10.0f, 4.5f}, {28.0f, 4.5f}, {28.0f, -4.5f}};
const Corner kRampHighY[4] = {{4.5f, 10.0f}, {-4.5f, 10.0f}, {-4.5f, 28.0f}, {4.5f, 28.0f}};
const Corner kRampLowY[4] = {{-4.5f, -10.0f}, {4.5f, -10.0f}, {4.5f, -28.0f}, {-4.5f, -28.0f}};

int32_t BridgeTypeOf(int32_t code) { return 36 + (code - 91) / 2; }

int32_t RampTypeOf(int32_t bridgeType) {
  switch (bridgeType) {
    case 36: return 40;
    case 37: return 41;
    case 38: case 39: return 42;
    default: return -1;
  }
}

const WallEntry kWallEntries[kWallEntryCount] = {
    {0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {2, 2}, {2, 3},
    {3, 0}, {3, 1}, {3, 2}, {3, 3}, {5, 0}, {5, 2}, {5, 3}, {5, 1},
    {6, 0}, {8, 0}, {8, 2}, {8, 1}, {8, 3}, {9, 0}, {10, 0}, {10, 3},
    {10, 2}, {10, 1}, {11, 1}, {11, 0}, {11, 3}, {11, 2},
};

namespace {
constexpr float a = 0.5303325f;
constexpr float b = 19.469667f;
constexpr float c = 20.530333f;
constexpr float d = 11.060665f;
constexpr float e = 8.939335f;
}  // namespace

const WallPiece kStraight = {0, 1, {{9.25f, 0.0f}, {9.25f, 20.0f}, {10.75f, 20.0f}, {10.75f, 0.0f}}};
const WallPiece kDiagonal = {1, 1, {{-a, a}, {b, c}, {c, b}, {a, -a}}};
const Corner kHalfEast[4] = {{10.75f, 10.75f}, {20.0f, 10.75f}, {20.0f, 9.25f}, {10.75f, 9.25f}};
const Corner kHalfWest[4] = {{9.25f, 9.25f}, {0.0f, 9.25f}, {0.0f, 10.75f}, {9.25f, 10.75f}};
const Corner kHalfSouth[4] = {{9.25f, 0.0f}, {9.25f, 10.75f}, {10.75f, 10.75f}, {10.75f, 0.0f}};
const Corner kHalfNorthWest[4] = {{a, c}, {10.0f, d}, {e, 10.0f}, {-a, b}};
const Corner kHalfSouthEast[4] = {{b, -a}, {10.0f, e}, {d, 10.0f}, {c, a}};
const Corner kHalfSouthWest[4] = {{-a, a}, {10.0f, d}, {10.0f, e}, {a, -a}};
const Corner kHalfSouthEastReordered[4] = {{10.0f, d}, {c, a}, {b, -a}, {10.0f, e}};

namespace {
WallPiece Piece(uint8_t thick, uint8_t isLong, const Corner (&corners)[4]) {
  WallPiece p{thick, isLong, {}};
  for (int32_t i = 0; i < 4; ++i) p.corners[i] = corners[i];
  return p;
}
}  // namespace

int32_t WallLayoutPieces(int32_t layout, WallPiece (&pieces)[3]) {
  switch (layout) {
    case 0:
      pieces[0] = kStraight;
      return 1;
    case 1:
      pieces[0] = kDiagonal;
      return 1;
    case 2:
      pieces[0] = WallPiece{1, 1, {{-a, a}, {9.25f, 20.0f}, {10.75f, 20.0f}, {a, -a}}};
      return 1;
    case 3:
      pieces[0] = WallPiece{1, 1, {{b, -a}, {9.25f, 20.0f}, {10.75f, 20.0f}, {c, a}}};
      return 1;
    case 5:
      pieces[0] = kStraight;
      pieces[1] = Piece(0, 0, kHalfEast);
      return 2;
    case 6:
      pieces[0] = kStraight;
      pieces[1] = Piece(0, 0, kHalfEast);
      pieces[2] = Piece(0, 0, kHalfWest);
      return 3;
    case 8:
      pieces[0] = kDiagonal;
      pieces[1] = Piece(1, 0, kHalfNorthWest);
      return 2;
    case 9:
      pieces[0] = kDiagonal;
      pieces[1] = Piece(1, 0, kHalfNorthWest);
      pieces[2] = Piece(1, 0, kHalfSouthEast);
      return 3;
    case 10:
      pieces[0] = Piece(1, 0, kHalfSouth);
      pieces[1] = Piece(1, 0, kHalfEast);
      return 2;
    case 11:
      pieces[0] = Piece(1, 0, kHalfSouthWest);
      pieces[1] = Piece(1, 0, kHalfSouthEastReordered);
      return 2;
    default:
      return 0;
  }
}

bool DecodeWallCode(int32_t code, int32_t& wallType, int32_t& index) {
  if (code >= 100 && code <= 129) {
    wallType = 29;
    index = code - 100;
  } else if (code >= 131 && code <= 160) {
    wallType = 30;
    index = code - 131;
  } else if (code >= 162 && code <= 191) {
    wallType = 28;
    index = code - 162;
  } else if (code == 130 || code == 161) {
    wallType = code == 130 ? 29 : 30;
    index = -1;
  } else {
    return false;
  }
  return true;
}

}  // namespace MapObjectTables

using namespace MapObjectTables;

bool Map::IsBridgeCode(int32_t code) {
  const uint8_t byte = static_cast<uint8_t>(code);
  return byte >= 91 && byte <= 98;
}

void Map::MakeBridgePieces(int32_t x, int32_t y, int32_t code) { MakeBuildings(x, y, code); }

void Map::MakeBuildings(int32_t x, int32_t y, int32_t code) {
  if (code < 59 || code > 98) return;
  Building::Corner pieces[3][4];
  int32_t types[3] = {};
  int32_t count = 1;
  bool diagonal = false;
  if (code <= 90) {
    const BuildingShape& shape = kBuildingShapes[BuildingShapeOf(code)];
    const int32_t turn = BuildingTurnOf(code);
    for (int32_t i = 0; i < 4; ++i) pieces[0][i] = TurnCorner(shape.corners[i], turn);
    diagonal = shape.diagonal;
    types[0] = shape.type;
  } else {
    const bool alongX = (code & 1) != 0;
    types[0] = BridgeTypeOf(code);
    const int32_t rampType = RampTypeOf(types[0]);
    auto copy = [](Corner (&to)[4], const Corner (&from)[4]) {
      for (int32_t i = 0; i < 4; ++i) to[i] = from[i];
    };
    copy(pieces[0], alongX ? kBridgeAlongX : kBridgeAlongY);
    auto needsRamp = [&](int32_t nx, int32_t ny) {
      return !terrain.tiles.Contains(nx, ny) || !IsBridgeCode(StoredCodeAt(nx, ny));
    };
    auto addRamp = [&](const Corner (&ramp)[4]) {
      if (rampType < 0) FatalError(911, "MapIO.cpp");
      copy(pieces[count], ramp);
      types[count] = rampType;
      ++count;
    };
    if (alongX) {
      if (needsRamp(x - 1, y)) addRamp(kRampLowX);
      if (needsRamp(x + 1, y)) addRamp(kRampHighX);
    } else {
      if (needsRamp(x, y + 1)) addRamp(kRampHighY);
      if (needsRamp(x, y - 1)) addRamp(kRampLowY);
    }
  }
  const float cx = (static_cast<float>(x) + 0.5f) * 20.0f;
  const float cy = (static_cast<float>(y) + 0.5f) * 20.0f;
  const float height = terrain.tileHeight.At(x, y);
  for (int32_t p = 0; p < count; ++p) {
    for (Building::Corner& corner : pieces[p]) {
      corner.x += cx;
      corner.y += cy;
    }
    auto* building = new Building(*this);
    building->Setup(types[p], height, p == 0 && diagonal, pieces[p]);
    objects.buildings->Append(building);
  }
}

void Map::MakeWalls(int32_t x, int32_t y, int32_t code) {
  int32_t wallType = 0;
  int32_t index = 0;
  if (!DecodeWallCode(code, wallType, index)) return;
  if (index < 0) FatalError(1206, "MapIO.cpp");
  if (index >= kWallEntryCount) FatalError(1276, "MapIO.cpp");
  const WallEntry& entry = kWallEntries[index];
  WallPiece pieces[3];
  const int32_t count = WallLayoutPieces(entry.layout, pieces);
  for (int32_t i = 0; i < count; ++i) {
    auto* wall = new Wall(*this);
    wall->Init(wallType, pieces[i].thick != 0, pieces[i].isLong != 0, pieces[i].corners);
    if (entry.quarter != 0) wall->RotateQuarter(entry.quarter);
    wall->Translate(x, y);
    objects.walls->Append(wall);
  }
}

Building* Map::FindBuildingAtTile(int32_t x, int32_t y) const {
  if (objects.buildings == nullptr) return nullptr;
  // A bridge's ramp counts on the tile it runs onto; a building of that tile comes first.
  Building* bridge = nullptr;
  for (int32_t i = 0; i < objects.buildings->Count(); ++i) {
    auto* building = static_cast<Building*>(objects.buildings->GetItem(i));
    if (building->tileX != x || building->tileY != y) continue;
    if (!building->IsBridge()) return building;
    if (bridge == nullptr) bridge = building;
  }
  return bridge;
}

Building* Map::FindBuildingAt(float x, float y) const {
  if (objects.buildings == nullptr || objects.buildings->Count() == 0) return nullptr;
  // A bridge's extent reaches 1.5 m past its pieces, and a ramp runs onto the next tile: a
  // building there is found before the bridge piece that overlaps it. The terrain at the
  // point is the same for every building: read it once, and only where a building may be.
  if (!objects.buildingIndex.MayHold(*objects.buildings, x, y)) return nullptr;
  return objects.buildingIndex.Find(*objects.buildings, x, y, TerrainTypeAt(x, y));
}

void Map::ApplyBuildingRecord(uint32_t index, int32_t x, int32_t y, float damage, uint8_t flags, bool inside) {
  Building* building = nullptr;
  if (index < static_cast<uint32_t>(objects.buildings->Count())) {
    auto* same = static_cast<Building*>(objects.buildings->GetItem(static_cast<int32_t>(index)));
    if (same->tileX == x && same->tileY == y) building = same;
  }
  if (building == nullptr) building = FindBuildingAtTile(x, y);
  if (building == nullptr) {
    // A record naming a tile without a building is a damaged file, not a reason to stop.
    GErrorLog::LogValue("Map: building record without a building, skipped; tile x", x);
    return;
  }
  building->RestoreState(inside, (flags & Building::kFlagDestroyed) != 0, damage, (flags & Building::kFlagJoinY) != 0,
                         (flags & Building::kFlagJoinX) != 0);
}
