// The map's stored form: Read (with every set-up pass, in order) and Write.
//
// Every field of a stream is checked before it is trusted. A failed check raises the file's
// error flag, logs one line naming the check and makes Read answer false; the caller refuses
// the file and deletes the map.
#include <cmath>
#include <cstdint>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapScaled.h"
#include "game/map/SmokeCloud.h"

namespace {

constexpr const char* kSource = "Map.cpp";

// Smallest stored building record: tile x, tile y, damage, flags and the skipped-byte count.
constexpr uint32_t kMinBuildingRecord = 8;
// Fixed bytes between the tile size and the tile data: two cameras, the height scale and the
// fire grid's header.
constexpr uint32_t kFixedHead = 7 + 7 + 2 + 14;
// Fixed bytes after the zones: four empty lists (owns byte and count) and the landmark byte.
constexpr uint32_t kFixedTail = 4 * 5 + 1;

bool Refuse(GFile& file, const char* check) {
  file.SetError();
  GErrorLog::LogError(check);
  return false;
}

// Codes no later pass can build: 8, 9 and 10 are not terrain a tile may hold, 130 and 161 lie
// between the wall, hedge and bocage ranges.
bool IsForbiddenCode(uint8_t code) { return (code >= 8 && code <= 10) || code == 130 || code == 161; }

bool IsValidViewLevel(int32_t level) { return (level >= 0 && level <= 7) || level == Map::kViewLevelUnset; }

// A stored list count is trusted only when the bytes left could hold that many records.
bool CountFits(GFile& file, uint32_t count, uint32_t recordSize) { return count <= file.BytesLeft() / recordSize; }

// The default set-up zone of a tile column: side 0 on the left quarter, side 1 on the right.
uint8_t DefaultZone(int32_t x, int32_t tilesX) {
  if (x <= tilesX / 4) return 1;
  if (x > 3 * tilesX / 4) return 4;
  return 0;
}

}  // namespace

bool Map::IsFresh() const {
  MapBattleServices* operation = app_->GetOperation();
  return operation == nullptr || operation->GetMap() != this;
}

int32_t Map::StoredLevel(float height) const {
  float v = height / (size.heightScale * 3.0f);
  double level = v >= 0.0f ? std::trunc(static_cast<double>(v) + 0.1) : std::trunc(static_cast<double>(v) - 0.1);
  if (std::isnan(level)) return 0;
  if (level > 127.0) return 127;
  if (level < -128.0) return -128;
  return static_cast<int32_t>(level);
}

void Map::SizeGrids() {
  int32_t w = size.tilesX;
  int32_t h = size.tilesY;
  fire.stateAtTurnStart.Init(1, w, h);
  fire.stateAtTurnStart.Zero();
  terrain.vertexHeight.Init(w + 1, h + 1);
  terrain.lodTileHeight.Init(w, h);
  terrain.lodVertexHeight.Init(w + 1, h + 1);
  terrain.tileHeight.Init(w, h);
  terrain.tiles.Init(w, h);
}

bool Map::Read(GFile* stream) {
  GErrorLog::LogFileLine(1114, kSource);
  bool fresh = IsFresh();
  if (stream != nullptr) {
    // Step 2, with the size checked before anything is allocated.
    GFile& file = *stream;
    int32_t tilesX = static_cast<int16_t>(file.ReadU16());
    int32_t tilesY = static_cast<int16_t>(file.ReadU16());
    if (file.HasError()) return Refuse(file, "Map refused: the file ends before the map's size");
    if (tilesX < 1 || tilesX > kMaxTiles || tilesY < 1 || tilesY > kMaxTiles) {
      return Refuse(file, "Map refused: tiles across or down outside 1..250");
    }
    uint32_t tiles = static_cast<uint32_t>(tilesX * tilesY);
    if (file.BytesLeft() < kFixedHead + tiles * 4 + (tiles + 1) / 2 + kFixedTail) {
      return Refuse(file, "Map refused: the file is too short for its tiles");
    }
    size.tilesX = tilesX;
    size.tilesY = tilesY;
  } else if (size.tilesX < 1 || size.tilesX > kMaxTiles || size.tilesY < 1 || size.tilesY > kMaxTiles) {
    FatalError(1120, kSource);
  }
  const int32_t w = size.tilesX;
  const int32_t h = size.tilesY;
  // Step 3.
  size.worldWidth = static_cast<float>(w) * kTileSize;
  size.worldHeight = static_cast<float>(h) * kTileSize;
  // Step 4.
  objects.landmarks.IObjectGroup();
  SizeGrids();
  // Step 5.
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      MapTile& tile = terrain.tiles.At(x, y);
      tile.terrain = 0;
      tile.road = 0;
      for (auto& corner : tile.roadEnds)
        for (uint8_t& end : corner) end = 0;
      tile.zone = DefaultZone(x, w);
    }
  }
  // Step 6.
  CreateObjectLists();
  SafeDelete(terrain.storedCode);
  SafeDelete(terrain.storedRoadCode);
  terrain.storedCode = new GDynamicArray;
  terrain.storedCode->Init(1, w, h);
  terrain.storedCode->Zero();
  terrain.storedRoadCode = new GDynamicArray;
  terrain.storedRoadCode->Init(1, w, h);
  terrain.storedRoadCode->Zero();
  // Steps 7 and 8.
  if (stream != nullptr) {
    if (!ReadTiles(*stream)) return false;
  } else {
    BuildDefaultTiles();
  }
  // Step 9. The corners are computed for every map, the operation's own included: levelling
  // must never see a corner grid that holds nothing.
  GErrorLog::LogFileLine(1251, kSource);
  ComputeVertexHeights();
  // Step 10.
  ApplyRoadCodes();
  ApplyTerrainCodes();
  // Step 11.
  GErrorLog::LogFileLine(1257, kSource);
  ResetDisplayLists();
  // Step 12. The height table serves the queries of every map, built grid or not.
  GErrorLog::LogFileLine(1281, kSource);
  BuildHeightTable();
  if (fresh) {
    BuildHeightPyramids();
    BuildFineGrid();
    MarkSteepEdges();
    StampMapObjects();
  }
  // Step 13.
  StampRoadEnds();
  // Step 14.
  GErrorLog::LogFileLine(1290, kSource);
  SafeDelete(terrain.storedCode);
  SafeDelete(terrain.storedRoadCode);
  // Step 15.
  if (stream != nullptr && !ReadObjectLists(*stream, fresh)) return false;
  IndexCraters();
  // Step 16.
  for (GObjectGroup& group : objects.trees) group.IObjectGroup();
  for (int32_t x = w - 1; x >= 0; --x) {
    for (int32_t y = h - 1; y >= 0; --y) {
      int32_t type = terrain.tiles.At(x, y).terrain;
      bool wooded = type == 13 || type == 14 || type == 15 || type == 21 || type == 22 || type == 23;
      if (wooded || (type == 12 && Random(3) == 0)) ScatterTrees(x, y, type);
    }
  }
  // Steps 17 and 18.
  InitDrawTables();
  ComputeEdgeMinHeights();
  RebuildBurningTiles();
  // Step 19.
  GErrorLog::LogFileLine(1448, kSource);
  return true;
}

void Map::SetUpStandIn() {
  if (size.tilesX < 1 || size.tilesX > kMaxTiles || size.tilesY < 1 || size.tilesY > kMaxTiles) {
    FatalError(1120, kSource);
  }
  size.worldWidth = static_cast<float>(size.tilesX) * kTileSize;
  size.worldHeight = static_cast<float>(size.tilesY) * kTileSize;
  objects.landmarks.IObjectGroup();
  CreateObjectLists();
  ResetDisplayLists();
  for (GObjectGroup& group : objects.trees) group.IObjectGroup();
  // The draws of the default map's read, in its order: flat tiles of code 0 take none in the
  // terrain and road passes and grow no trees, which leaves the pyramids' ground variation
  // (fresh maps only) and the drawing tables.
  if (IsFresh()) DrawGroundVariation();
  InitDrawTables();
}

void Map::ResetDisplayLists() {
  display.messageWindow = nullptr;
  SafeDelete(display.oneShotSounds);
  SafeDelete(display.loopedSounds);
  display.oneShotSounds = new GGroup;
  display.oneShotSounds->IGroup();
  display.loopedSounds = new GGroup;
  display.loopedSounds->IGroup();
  display.pairVisibility = nullptr;
  int32_t screenWidth = app_->GetScreenWidth();
  display.detailTier = screenWidth <= 699 ? 0 : (screenWidth <= 899 ? 1 : 2);
}

void Map::BuildDefaultTiles() {
  fire.state.Init(1, size.tilesX, size.tilesY);
  fire.state.Zero();
  terrain.tileHeight.Fill(kDefaultTileHeight);
}

bool Map::ReadTiles(GFile& file) {
  const int32_t w = size.tilesX;
  const int32_t h = size.tilesY;
  // Cameras: side 1 first.
  for (int32_t side = 1; side >= 0; --side) {
    camera.x[side] = file.ReadScaled(3.0f);
    camera.y[side] = file.ReadScaled(3.0f);
    camera.bearing[side] = file.ReadScaled(50.0f);
    camera.viewLevel[side] = file.ReadByte();
    if (!IsValidViewLevel(camera.viewLevel[side])) return Refuse(file, "Map refused: a camera view level outside 0..7 and 99");
  }
  float scale = file.ReadScaled(1000.0f);
  if (file.HasError()) return Refuse(file, "Map refused: the file ends in the cameras");
  if (!std::isfinite(scale) || scale <= 0.0f) return Refuse(file, "Map refused: a height scale not above 0");
  size.heightScale = scale;
  // The fire grid: its header must describe exactly this map, its values kinds of fire.
  fire.state.Read(file);
  if (file.HasError()) return Refuse(file, "Map refused: a damaged fire grid");
  int32_t rows = 0;
  int32_t columns = 0;
  fire.state.GetDimensions(rows, columns);
  if (fire.state.Count() != w * h || rows != w || columns != h) {
    return Refuse(file, "Map refused: a fire grid of another size than the map");
  }
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      if (fire.state.GetU8(x, y) > 3) return Refuse(file, "Map refused: a fire state outside 0..3");
    }
  }
  // Tile data.
  const bool snow = IsSnowGround();
  const float level = size.heightScale * 3.0f;
  for (int32_t x = w - 1; x >= 0; --x) {
    for (int32_t y = h - 1; y >= 0; --y) {
      int8_t stored = file.ReadByte();
      uint8_t code = static_cast<uint8_t>(file.ReadByte());
      uint8_t road = static_cast<uint8_t>(file.ReadByte());
      if (IsForbiddenCode(code)) return Refuse(file, "Map refused: a tile with terrain code 8, 9, 10, 130 or 161");
      // Each level is drawn in the ground colour of its height band: a level above the highest
      // band (18) has no colour, and no map is made with one. Below, level -2 still falls in
      // the lowest band (its band value rounds toward zero), level -3 and lower in none.
      if (stored > kHeightBands - 2) return Refuse(file, "Map refused: a ground level above 18");
      if (stored < -2) return Refuse(file, "Map refused: a ground level below -2");
      terrain.tiles.At(x, y).codeAsRead = code;
      if (snow) {
        if (code == 12 || code == 25 || code == 45 || code == 46) code = 27;
        else if (code == 16) code = 0;
      }
      terrain.tileHeight.At(x, y) = static_cast<float>(stored) * level;
      terrain.storedCode->SetU8(x, y, code);
      terrain.storedRoadCode->SetU8(x, y, road);
    }
  }
  if (file.HasError()) return Refuse(file, "Map refused: the file ends in the tile data");
  // Zones, two tiles a byte, high nibble first.
  int32_t index = 0;
  uint8_t byte = 0;
  for (int32_t x = w - 1; x >= 0; --x) {
    for (int32_t y = h - 1; y >= 0; --y) {
      if ((index & 1) == 0) {
        byte = static_cast<uint8_t>(file.ReadByte());
        terrain.tiles.At(x, y).zone = static_cast<uint8_t>(byte >> 4);
      } else {
        terrain.tiles.At(x, y).zone = static_cast<uint8_t>(byte & 0x0F);
      }
      ++index;
    }
  }
  if (file.HasError()) return Refuse(file, "Map refused: the file ends in the zones");
  return true;
}

bool Map::ReadObjectLists(GFile& file, bool fresh) {
  // Buildings: the records of the buildings the tile codes made.
  objects.buildings->Read(file);
  objects.buildings->SetOwnsMembers(true);
  uint32_t count = file.ReadU32();
  if (file.HasError()) return Refuse(file, "Map refused: the file ends before the buildings");
  if (!CountFits(file, count, kMinBuildingRecord)) return Refuse(file, "Map refused: more building records than the file holds");
  for (uint32_t i = 0; i < count; ++i) {
    int32_t x = static_cast<int16_t>(file.ReadU16());
    int32_t y = static_cast<int16_t>(file.ReadU16());
    float damage = file.ReadScaled(20.0f);
    uint8_t flags = static_cast<uint8_t>(file.ReadByte());
    uint8_t skipped = static_cast<uint8_t>(file.ReadByte());
    if (file.HasError() || skipped > file.BytesLeft()) return Refuse(file, "Map refused: the file ends in a building record");
    file.Skip(skipped);
    if (damage > 0.0f || (flags & 0x04) != 0) {
      bool inside = fresh && terrain.tiles.Contains(x, y);
      ApplyBuildingRecord(i, x, y, damage, flags, inside);
    }
  }
  // Lasting craters and temporary marks.
  for (MapObjectList* list : {objects.craters, objects.craterMarks}) {
    list->Read(file);
    list->SetOwnsMembers(true);
    count = file.ReadU32();
    if (file.HasError()) return Refuse(file, "Map refused: the file ends before a crater list");
    if (!CountFits(file, count, Crater::kStoredSize)) return Refuse(file, "Map refused: more craters than the file holds");
    for (uint32_t i = 0; i < count; ++i) {
      auto* crater = new Crater(this);
      crater->Read(file);
      bool placed = !file.HasError() && std::isfinite(crater->x) && std::isfinite(crater->y) && IsOnMap(crater->x, crater->y);
      if (!placed) {
        delete crater;
        return Refuse(file, "Map refused: a crater off the map");
      }
      list->Append(crater);
    }
  }
  // Smoke clouds.
  objects.smallObjects->Read(file);
  objects.smallObjects->SetOwnsMembers(true);
  count = file.ReadU32();
  if (file.HasError()) return Refuse(file, "Map refused: the file ends before the smoke list");
  if (!CountFits(file, count, SmokeCloud::kStoredSize)) return Refuse(file, "Map refused: more smoke clouds than the file holds");
  for (uint32_t i = 0; i < count; ++i) {
    auto* cloud = new SmokeCloud;
    cloud->Read(file);
    bool placed = !file.HasError() && std::isfinite(cloud->x) && std::isfinite(cloud->y) && IsOnMap(cloud->x, cloud->y);
    if (!placed) {
      delete cloud;
      return Refuse(file, "Map refused: a smoke cloud off the map");
    }
    objects.smallObjects->Append(cloud);
  }
  // Landmarks.
  uint8_t present = static_cast<uint8_t>(file.ReadByte());
  if (file.HasError()) return Refuse(file, "Map refused: the file ends before the landmarks");
  if (present > 1) return Refuse(file, "Map refused: a landmark flag other than 0 or 1");
  if (present == 1) {
    objects.landmarks.Read(file);
    objects.landmarks.SetOwnsMembers(true);
    count = file.ReadU32();
    if (file.HasError()) return Refuse(file, "Map refused: the file ends before the landmark list");
    if (!CountFits(file, count, Landmark::kMinStoredSize)) return Refuse(file, "Map refused: more landmarks than the file holds");
    for (uint32_t i = 0; i < count; ++i) {
      auto* landmark = new Landmark;
      landmark->Read(file);
      if (file.HasError()) {
        delete landmark;
        return Refuse(file, "Map refused: the file ends in a landmark");
      }
      objects.landmarks.Append(landmark);
    }
  }
  return true;
}

void Map::InitDrawTables() {
  DrawTables& t = display.tables;
  for (int32_t i = 0; i < DrawTables::kSteps; ++i) {
    t.steps[i] = i * 1000 / DrawTables::kSteps;
    for (int32_t j = 0; j < DrawTables::kStepEntries; ++j) {
      t.stepPairs[i][j][0] = 0.0f;
      t.stepPairs[i][j][1] = 0.0f;
      t.stepValues[i][j] = 0.0f;
    }
  }
  for (int32_t i = DrawTables::kRecordRows - 1; i >= 0; --i) {
    for (int32_t j = DrawTables::kRecordColumns - 1; j >= 0; --j) {
      DrawTables::Record& r = t.records[i][j];
      for (int32_t k = 3; k >= 0; --k) r.offsets[k] = RandomFloatTimes(20.0f) - 10.0f;
      r.size = RandomFloatTimes(3.5f) + 0.5f;
      r.phase = RandomFloatTimes(3.0f);
      t.recordVariant[i][j] = static_cast<uint8_t>(Random(4));
    }
  }
}

void Map::ComputeEdgeMinHeights() {
  const int32_t w = size.tilesX;
  const int32_t h = size.tilesY;
  for (float& m : terrain.edgeMinHeight) m = 9.0e20f;
  for (int32_t y = 0; y < h; ++y) {
    terrain.edgeMinHeight[0] = std::fmin(terrain.edgeMinHeight[0], terrain.tileHeight.At(0, y));
    terrain.edgeMinHeight[2] = std::fmin(terrain.edgeMinHeight[2], terrain.tileHeight.At(w - 1, y));
  }
  for (int32_t x = 0; x < w; ++x) {
    terrain.edgeMinHeight[1] = std::fmin(terrain.edgeMinHeight[1], terrain.tileHeight.At(x, h - 1));
    terrain.edgeMinHeight[3] = std::fmin(terrain.edgeMinHeight[3], terrain.tileHeight.At(x, 0));
  }
}

void Map::Write(GFile& file) const {
  const bool turnStart = objects.writeTurnStart;
  if (turnStart) {
    if (objects.buildingsAtTurnStart == nullptr) FatalError(1371, "MapIO.cpp");
    if (objects.cratersAtTurnStart == nullptr) FatalError(1373, "MapIO.cpp");
    if (objects.craterMarksAtTurnStart == nullptr) FatalError(1375, "MapIO.cpp");
    if (objects.smallObjectsAtTurnStart == nullptr) FatalError(1377, "MapIO.cpp");
  }
  if (!terrain.tiles.IsSized() || objects.buildings == nullptr) FatalError(1365, "MapIO.cpp");
  const int32_t w = size.tilesX;
  const int32_t h = size.tilesY;
  file.WriteU16(static_cast<uint16_t>(w));
  file.WriteU16(static_cast<uint16_t>(h));
  for (int32_t side = 1; side >= 0; --side) {
    WriteMapScaled(file, camera.x[side], 3.0f);
    WriteMapScaled(file, camera.y[side], 3.0f);
    WriteMapScaled(file, camera.bearing[side], 50.0f);
    file.WriteByte(static_cast<uint8_t>(camera.viewLevel[side]));
  }
  WriteMapScaled(file, size.heightScale, 1000.0f);
  (turnStart ? fire.stateAtTurnStart : fire.state).Write(file);
  for (int32_t x = w - 1; x >= 0; --x) {
    for (int32_t y = h - 1; y >= 0; --y) {
      const MapTile& tile = terrain.tiles.At(x, y);
      file.WriteByte(static_cast<uint8_t>(static_cast<int8_t>(StoredLevel(terrain.tileHeight.At(x, y)))));
      file.WriteByte(tile.CodeToStore());
      file.WriteByte(tile.roadCode);
    }
  }
  int32_t index = 0;
  uint8_t byte = 0;
  for (int32_t x = w - 1; x >= 0; --x) {
    for (int32_t y = h - 1; y >= 0; --y) {
      uint8_t zone = terrain.tiles.At(x, y).zone;
      if ((index & 1) == 0) {
        byte = static_cast<uint8_t>(zone << 4);
      } else {
        file.WriteByte(static_cast<uint8_t>(byte | (zone & 0x0F)));
      }
      ++index;
    }
  }
  if ((index & 1) != 0) file.WriteByte(byte);
  (turnStart ? objects.buildingsAtTurnStart : objects.buildings)->Write(file);
  (turnStart ? objects.cratersAtTurnStart : objects.craters)->Write(file);
  (turnStart ? objects.craterMarksAtTurnStart : objects.craterMarks)->Write(file);
  (turnStart ? objects.smallObjectsAtTurnStart : objects.smallObjects)->Write(file);
  bool landmarks = objects.landmarks.Count() > 0;
  file.WriteByte(landmarks ? 1 : 0);
  if (landmarks) objects.landmarks.Write(file);
  objects.writeTurnStart = false;
}
