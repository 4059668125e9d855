#include "ReferenceMapMaker.h"

#include "MapFiles.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "ReferenceMapApp.h"
#include "framework/core/GFile.h"
#include "framework/core/GGroup.h"
#include "game/map/Crater.h"
#include "game/map/Map.h"
#include "game/map/MapObjectList.h"
#include "game/map/SmokeCloud.h"
#include "platform/PFile.h"

namespace {

// First road code of the fine road types 8, 9 and 10; + 0 a straight piece along y, + 1
// along x.
int32_t FirstRoadCode(int32_t type) { return type == 8 ? 45 : (type == 9 ? 96 : 153); }

int32_t RoadTypeOf(int32_t code) {
  if (code >= 45 && code <= 94) return 8;
  if (code >= 96 && code <= 151) return 9;
  if (code >= 153 && code <= 202) return 10;
  return 0;
}

bool IsWaterCode(int32_t code) { return code == 25 || code == 45 || code == 46 || (code >= 91 && code <= 98); }
bool IsBuildingCode(int32_t code) { return code >= 59 && code <= 90; }
bool IsBridgeCode(int32_t code) { return code >= 91 && code <= 98; }

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

uint32_t ReferenceMapMaker::Hash(int32_t a, int32_t b, int32_t salt) const {
  uint32_t h = seed_ * 0x9E3779B1u ^ static_cast<uint32_t>(salt) * 0x85EBCA77u;
  h ^= static_cast<uint32_t>(a) * 0xC2B2AE3Du;
  h = (h ^ (h >> 15)) * 0x27D4EB2Fu;
  h ^= static_cast<uint32_t>(b) * 0x165667B1u;
  h = (h ^ (h >> 13)) * 0x85EBCA77u;
  return h ^ (h >> 16);
}

// Bilinear value noise 0..1023 over a lattice of the given spacing in tiles.
int32_t ReferenceMapMaker::ValueNoise(int32_t x, int32_t y, int32_t spacing, int32_t salt) const {
  const int32_t ix = x / spacing;
  const int32_t iy = y / spacing;
  const int32_t fx = x % spacing;
  const int32_t fy = y % spacing;
  auto v = [&](int32_t i, int32_t j) { return static_cast<int32_t>(Hash(i, j, salt) & 1023u); };
  const int32_t top = v(ix, iy) * (spacing - fx) + v(ix + 1, iy) * fx;
  const int32_t bottom = v(ix, iy + 1) * (spacing - fx) + v(ix + 1, iy + 1) * fx;
  return (top * (spacing - fy) + bottom * fy) / (spacing * spacing);
}

uint32_t ReferenceMapMaker::Next() {
  // SplitMix64.
  state_ += 0x9E3779B97F4A7C15ull;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

// Rolling hills of levels 0..14, with raised plateaus whose edges make slopes and cliffs.
void ReferenceMapMaker::MakeHeights() {
  for (int32_t y = 0; y < tiles_; ++y) {
    for (int32_t x = 0; x < tiles_; ++x) {
      int32_t level = ValueNoise(x, y, 32, 1) * 9 / 1024 + ValueNoise(x, y, 8, 2) * 3 / 1024;
      if (ValueNoise(x, y, 24, 3) > 700) level += 6;
      At(x, y).level = static_cast<int8_t>(std::clamp(level, 0, 14));
    }
  }
}

// A river three tiles wide winding down the map in its valley, with eight bridges along x
// and four fords.
void ReferenceMapMaker::MakeRiver() {
  riverX_.assign(static_cast<size_t>(tiles_), -1);
  if (tiles_ < 32) return;
  for (int32_t y = 0; y < tiles_; ++y) {
    int32_t centre = tiles_ / 2 + (ValueNoise(y, 0, 40, 4) - 512) * (tiles_ / 5) / 512;
    int32_t first = std::clamp(centre - 1, 4, tiles_ - 7);
    riverX_[static_cast<size_t>(y)] = first;
    for (int32_t x = std::max(0, first - 3); x < std::min(tiles_, first + 6); ++x) {
      Tile& tile = At(x, y);
      int32_t distance = x < first ? first - x : (x > first + 2 ? x - first - 2 : 0);
      if (distance == 0) {
        tile.level = 0;
        tile.code = 25;
        tile.reserved = true;
      } else {
        tile.level = static_cast<int8_t>(std::min<int32_t>(tile.level, 2 * distance - 1));
      }
    }
  }
  for (int32_t i = 0; i < 8; ++i) {
    int32_t y = tiles_ * (2 * i + 1) / 16;
    for (int32_t k = 0; k < 3; ++k) At(riverX_[static_cast<size_t>(y)] + k, y).code = static_cast<uint8_t>(91 + 2 * (i % 3));
  }
  for (int32_t i = 0; i < 4; ++i) {
    int32_t y = tiles_ * (4 * i + 2) / 16;
    for (int32_t k = 0; k < 3; ++k) At(riverX_[static_cast<size_t>(y)] + k, y).code = static_cast<uint8_t>(45 + (i & 1));
  }
}

// Villages of 10 x 10 tiles on level ground away from the river: a paved street cross with a
// road, buildings on most other inner tiles, open ground round the edge.
void ReferenceMapMaker::MakeVillages() {
  if (tiles_ < 20) return;
  const int32_t wanted = std::max(1, tiles_ * tiles_ / 3500);
  for (int32_t attempt = 0; attempt < 2000 && static_cast<int32_t>(villages_.size()) < wanted; ++attempt) {
    const int32_t x0 = 2 + static_cast<int32_t>(Next() % static_cast<uint32_t>(tiles_ - 13));
    const int32_t y0 = 2 + static_cast<int32_t>(Next() % static_cast<uint32_t>(tiles_ - 13));
    bool free = true;
    for (int32_t y = std::max(0, y0 - 4); y < std::min(tiles_, y0 + 14) && free; ++y) {
      for (int32_t x = std::max(0, x0 - 4); x < std::min(tiles_, x0 + 14) && free; ++x) {
        if (At(x, y).reserved) free = false;
      }
    }
    if (!free) continue;
    const int8_t level = At(x0 + 5, y0 + 5).level;
    for (int32_t y = y0 - 1; y <= y0 + 10; ++y)
      for (int32_t x = x0 - 1; x <= x0 + 10; ++x) At(x, y).level = level;
    for (int32_t j = 0; j < 10; ++j) {
      for (int32_t i = 0; i < 10; ++i) {
        Tile& tile = At(x0 + i, y0 + j);
        tile.reserved = true;
        if (i == 0 || j == 0 || i == 9 || j == 9) continue;
        if (i == 5 || j == 5) {
          tile.code = 47;
          tile.road = static_cast<uint8_t>(FirstRoadCode(8) + (j == 5 && i != 5 ? 1 : 0));
        } else if (Next() % 100 < 72) {
          tile.code = static_cast<uint8_t>(59 + Next() % 32);
        } else {
          tile.code = static_cast<uint8_t>(47 + Next() % 12);
        }
      }
    }
    villages_.push_back({x0, y0, 10});
  }
}

// One straight run of road of a fine road type; water, bridges and buildings are left out,
// a tile that holds a road already keeps it.
void ReferenceMapMaker::LayRoad(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t type) {
  const int32_t dx = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
  const int32_t dy = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
  const int32_t code = FirstRoadCode(type) + (dx != 0 ? 1 : 0);
  for (int32_t x = x0, y = y0;; x += dx, y += dy) {
    Tile& tile = At(x, y);
    if (!IsWaterCode(tile.code) && !IsBuildingCode(tile.code) && tile.road == 0) {
      tile.road = static_cast<uint8_t>(code);
      tile.reserved = true;
    }
    if (x == x1 && y == y1) break;
  }
}

// Roads join each village to the next (across then down), and four long roads cross the
// map, two of them over bridges.
void ReferenceMapMaker::MakeRoads() {
  const int32_t types[3] = {9, 8, 10};
  for (size_t i = 1; i < villages_.size(); ++i) {
    const Village& a = villages_[i - 1];
    const Village& b = villages_[i];
    const int32_t type = types[i % 3];
    LayRoad(a.x + 5, a.y + 5, b.x + 5, a.y + 5, type);
    LayRoad(b.x + 5, a.y + 5, b.x + 5, b.y + 5, type);
  }
  if (tiles_ < 32) return;
  LayRoad(0, tiles_ * 3 / 16, tiles_ - 1, tiles_ * 3 / 16, 9);
  LayRoad(0, tiles_ * 11 / 16, tiles_ - 1, tiles_ * 11 / 16, 8);
  LayRoad(tiles_ / 5, 0, tiles_ / 5, tiles_ - 1, 10);
  LayRoad(tiles_ * 4 / 5, 0, tiles_ * 4 / 5, tiles_ - 1, 9);
}

// Fields: the tiles nearest each of a jittered lattice of seeds share one kind of ground;
// some edges between fields carry a wall, hedge or bocage.
void ReferenceMapMaker::MakeFields() {
  constexpr int32_t kCell = 7;
  // Kinds by weight: open 45, woods 12, scattered trees 6, pines 3, wheat 10, brush 5,
  // rough 2, marsh 2.
  constexpr int32_t kCodes[8] = {0, 14, 13, 15, 16, 17, 18, 12};
  constexpr int32_t kWeights[8] = {45, 12, 6, 3, 10, 5, 2, 2};
  auto fieldOf = [&](int32_t x, int32_t y) {
    const int32_t cx = x / kCell;
    const int32_t cy = y / kCell;
    int32_t best = 0;
    int32_t bestDistance = 1 << 30;
    for (int32_t j = cy - 1; j <= cy + 1; ++j) {
      for (int32_t i = cx - 1; i <= cx + 1; ++i) {
        const uint32_t h = Hash(i, j, 5);
        const int32_t sx = i * kCell + static_cast<int32_t>(h % kCell);
        const int32_t sy = j * kCell + static_cast<int32_t>((h >> 8) % kCell);
        const int32_t d = (sx - x) * (sx - x) + (sy - y) * (sy - y);
        if (d < bestDistance) {
          bestDistance = d;
          best = (j + 1) * 4096 + (i + 1);
        }
      }
    }
    return best;
  };
  auto kindOf = [&](int32_t field) {
    int32_t r = static_cast<int32_t>(Hash(field, 0, 6) % 85u);
    for (int32_t k = 0; k < 8; ++k) {
      if (r < kWeights[k]) return k;
      r -= kWeights[k];
    }
    return 0;
  };
  std::vector<int32_t> fields(grid_.size());
  for (int32_t y = 0; y < tiles_; ++y)
    for (int32_t x = 0; x < tiles_; ++x) fields[static_cast<size_t>(y * tiles_ + x)] = fieldOf(x, y);
  for (int32_t y = 0; y < tiles_; ++y) {
    for (int32_t x = 0; x < tiles_; ++x) {
      Tile& tile = At(x, y);
      if (tile.reserved) continue;
      const int32_t field = fields[static_cast<size_t>(y * tiles_ + x)];
      tile.code = static_cast<uint8_t>(kCodes[kindOf(field)]);
      // An edge toward the next field across or down.
      int32_t other = -1;
      int32_t index = 0;
      if (x + 1 < tiles_ && fields[static_cast<size_t>(y * tiles_ + x + 1)] != field && !At(x + 1, y).reserved) {
        other = fields[static_cast<size_t>(y * tiles_ + x + 1)];
        index = 1;
      } else if (y + 1 < tiles_ && fields[static_cast<size_t>((y + 1) * tiles_ + x)] != field && !At(x, y + 1).reserved) {
        other = fields[static_cast<size_t>((y + 1) * tiles_ + x)];
        index = 0;
      }
      if (other < 0) continue;
      const uint32_t edge = Hash(std::min(field, other), std::max(field, other), 7);
      if (edge % 100u >= 25u) continue;
      const int32_t first[3] = {100, 131, 162};
      tile.code = static_cast<uint8_t>(first[(edge >> 8) % 3u] + index);
    }
  }
}

void ReferenceMapMaker::AddBusyObjects(Map& map) {
  const int32_t w = tiles_;
  auto metres = [&]() { return static_cast<float>(10 + static_cast<int32_t>(Next() % static_cast<uint32_t>(w * 20 - 20))); };
  int32_t fires = 0;
  while (fires < 25) {
    const int32_t x = static_cast<int32_t>(Next() % static_cast<uint32_t>(w));
    const int32_t y = static_cast<int32_t>(Next() % static_cast<uint32_t>(w));
    if (IsWaterCode(At(x, y).code) || map.fire.state.GetU8(x, y) != 0) continue;
    map.fire.state.SetU8(x, y, static_cast<uint8_t>(1 + fires % 3));
    ++fires;
  }
  // Smoke that outlasts the first minute (a cloud loses 40 slices a second), thinning out over
  // the next two.
  for (int32_t i = 0; i < 30; ++i) {
    const float x = metres();
    const float y = metres();
    map.objects.smallObjects->Append(new SmokeCloud(x, y, i, 2400 + 80 * i, static_cast<float>(15 + i % 10)));
  }
  for (int32_t i = 0; i < 700; ++i) {
    const bool lasting = i < 500;
    auto* crater = new Crater(&map);
    const float x = metres();
    const float y = metres();
    const float size = static_cast<float>(3 + Next() % 10);
    const float degrees = static_cast<float>(Next() % 360);
    // Depth offsets of -2.5 .. 2.5 m in halves, negatives included.
    const float depth = static_cast<float>(static_cast<int32_t>(Next() % 11) - 5) * 0.5f;
    crater->Init(x, y, size, lasting, degrees, depth);
    (lasting ? map.objects.craters : map.objects.craterMarks)->Append(crater);
  }
  map.IndexCraters();
  summary_.fires = 25;
  summary_.smokeClouds = 30;
  summary_.lastingCraters = 500;
  summary_.temporaryCraters = 200;
}

void ReferenceMapMaker::Count() {
  summary_ = Summary();
  summary_.tiles = tiles_;
  for (int32_t y = 0; y < tiles_; ++y) {
    for (int32_t x = 0; x < tiles_; ++x) {
      const Tile& tile = At(x, y);
      ++summary_.byCode[tile.code];
      if (const int32_t type = RoadTypeOf(tile.road); type != 0) ++summary_.roadTiles[type - 8];
      if (IsBuildingCode(tile.code)) ++summary_.buildings;
      if (tile.code == 45 || tile.code == 46) ++summary_.fordTiles;
      if (tile.code >= 100) ++summary_.wallTiles;
      if (IsBridgeCode(tile.code)) {
        ++summary_.bridgeTiles;
        // A ramp at each end that has no bridge beyond it, as the map makes them.
        const bool alongX = (tile.code & 1) != 0;
        const int32_t ends[2][2] = {{alongX ? x - 1 : x, alongX ? y : y - 1}, {alongX ? x + 1 : x, alongX ? y : y + 1}};
        for (const auto& end : ends) {
          const bool inside = end[0] >= 0 && end[0] < tiles_ && end[1] >= 0 && end[1] < tiles_;
          if (!inside || !IsBridgeCode(At(end[0], end[1]).code)) ++summary_.ramps;
        }
        if (!(alongX ? x > 0 && IsBridgeCode(At(x - 1, y).code) : y > 0 && IsBridgeCode(At(x, y - 1).code))) {
          ++summary_.bridges;
        }
      }
    }
  }
}

std::string ReferenceMapMaker::Summary::Text(const std::string& name) const {
  struct Family {
    const char* name;
    int32_t first;
    int32_t last;
  };
  const Family families[] = {
      {"open_ground", 0, 0},  {"marsh", 12, 12},       {"scattered_trees", 13, 13}, {"woods", 14, 14},
      {"tall_pines", 15, 15}, {"wheat", 16, 16},       {"brush", 17, 17},           {"rough", 18, 18},
      {"water", 25, 25},      {"fords", 45, 46},       {"pavement", 47, 58},        {"buildings", 59, 90},
      {"bridges", 91, 98},    {"walls", 100, 129},     {"hedges", 131, 160},        {"bocage", 162, 191},
  };
  std::string text = "# " + name + ": what the reference map generator placed\n";
  auto line = [&](const std::string& key, int32_t value) { text += key + " " + std::to_string(value) + "\n"; };
  line("tiles_across", tiles);
  line("tiles_down", tiles);
  int32_t other = tiles * tiles;
  for (const Family& f : families) {
    int32_t n = 0;
    for (int32_t c = f.first; c <= f.last; ++c) n += byCode[c];
    other -= n;
    line("tiles_" + std::string(f.name), n);
  }
  line("tiles_other", other);
  line("road_tiles_type8", roadTiles[0]);
  line("road_tiles_type9", roadTiles[1]);
  line("road_tiles_type10", roadTiles[2]);
  line("bridges", bridges);
  line("bridge_decks", bridgeTiles);
  line("bridge_ramps", ramps);
  line("ford_tiles", fordTiles);
  line("building_pieces", buildings);
  line("building_list", BuildingListSize());
  line("wall_pieces", wallTiles);
  line("burning_tiles", fires);
  line("smoke_clouds", smokeClouds);
  line("lasting_craters", lastingCraters);
  line("temporary_craters", temporaryCraters);
  return text;
}

bool ReferenceMapMaker::Make(const std::string& path) {
  if (tiles_ < 1 || tiles_ > Map::kMaxTiles) {
    error_ = "map size outside 1..250 tiles";
    return false;
  }
  state_ = seed_;
  grid_.assign(static_cast<size_t>(tiles_ * tiles_), Tile());
  villages_.clear();
  MakeHeights();
  MakeRiver();
  MakeVillages();
  MakeRoads();
  MakeFields();
  Count();

  ReferenceMapApp app;
  {
    Map map(app);
    const float metres = static_cast<float>(tiles_) * Map::kTileSize;
    if (!map.NewMap(metres, metres, nullptr)) {
      error_ = "the map could not be made";
      return false;
    }
    const float level = map.size.heightScale * 3.0f;
    for (int32_t y = 0; y < tiles_; ++y) {
      for (int32_t x = 0; x < tiles_; ++x) {
        const Tile& t = At(x, y);
        map.terrain.tileHeight.At(x, y) = static_cast<float>(t.level) * level;
        MapTile& tile = map.terrain.tiles.At(x, y);
        tile.code = t.code;
        tile.roadCode = t.road;
      }
    }
    if (!MapFiles::Write(map, path)) {
      error_ = "cannot write " + path;
      return false;
    }
  }
  // Read back with every pass, which makes the building records the codes call for, and
  // written again: the stored form the game itself writes.
  {
    Map map(app);
    if (!MapFiles::Read(map, path)) {
      error_ = "the first draft of the map was refused";
      return false;
    }
    if (busy_) AddBusyObjects(map);
    if (!MapFiles::Write(map, path)) {
      error_ = "cannot write " + path;
      return false;
    }
  }
  // The file must read back whole and write the same bytes.
  const std::string check = path + ".check";
  bool same = false;
  {
    Map map(app);
    if (!MapFiles::Read(map, path)) {
      error_ = "the map was refused when read back";
      return false;
    }
    if (map.objects.buildings->Count() != summary_.BuildingListSize()) {
      error_ = "the building list does not hold every building, bridge deck and ramp placed";
      return false;
    }
    if (!MapFiles::Write(map, check)) {
      error_ = "cannot write " + check;
      return false;
    }
  }
  same = Slurp(path) == Slurp(check);
  std::remove(check.c_str());
  if (!same) {
    error_ = "the map does not write back the bytes it was read from";
    return false;
  }
  return true;
}
