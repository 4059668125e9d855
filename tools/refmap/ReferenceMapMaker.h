#pragma once
#include <cstdint>
#include <string>
#include <vector>

class Map;

// Our own generator of the reference battle maps the map benchmark and the regression guards
// load: hills from integer value noise, a river with bridges and fords, villages of buildings
// and pavement on level ground, roads of the three kinds joining them, fields of every kind
// of vegetation edged by walls, hedges and bocage. Integer arithmetic only, so one seed gives
// the same bytes on every machine and build. The busy variant adds fires, smoke and craters.
class ReferenceMapMaker {
 public:
  // What was placed, written as the summary beside the map.
  struct Summary {
    int32_t tiles = 0;
    int32_t byCode[256] = {};  // tiles by stored terrain code
    int32_t roadTiles[3] = {};  // by fine road type 8, 9, 10
    int32_t bridges = 0;        // whole bridges (runs of bridge tiles)
    int32_t bridgeTiles = 0;
    int32_t ramps = 0;
    int32_t fordTiles = 0;
    int32_t buildings = 0;
    int32_t wallTiles = 0;   // walls, hedges and bocage together
    int32_t fires = 0;
    int32_t smokeClouds = 0;
    int32_t lastingCraters = 0;
    int32_t temporaryCraters = 0;
    // Entries of the building list: building pieces, bridge decks and ramps.
    int32_t BuildingListSize() const { return buildings + bridgeTiles + ramps; }
    std::string Text(const std::string& name) const;
  };

  ReferenceMapMaker(uint32_t seed, int32_t tiles, bool busy) : seed_(seed), tiles_(tiles), busy_(busy) {}

  // Writes the map to path and checks that it reads back and writes the same bytes. False
  // with error set when a file cannot be written or the check fails.
  bool Make(const std::string& path);
  const Summary& GetSummary() const { return summary_; }
  const std::string& Error() const { return error_; }

 private:
  struct Tile {
    int8_t level = 0;
    uint8_t code = 0;
    uint8_t road = 0;
    bool reserved = false;  // river, village or road: no field, wall or other feature
  };
  Tile& At(int32_t x, int32_t y) { return grid_[static_cast<size_t>(y) * static_cast<size_t>(tiles_) + static_cast<size_t>(x)]; }
  uint32_t Hash(int32_t a, int32_t b, int32_t salt) const;
  int32_t ValueNoise(int32_t x, int32_t y, int32_t spacing, int32_t salt) const;
  uint32_t Next();
  void MakeHeights();
  void MakeRiver();
  void MakeVillages();
  void MakeRoads();
  void LayRoad(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t kind);
  void MakeFields();
  void AddBusyObjects(Map& map);
  void Count();

  uint32_t seed_;
  int32_t tiles_;
  bool busy_;
  uint64_t state_ = 0;
  std::vector<Tile> grid_;
  std::vector<int32_t> riverX_;  // first river tile of each row, -1 without a river
  struct Village {
    int32_t x;
    int32_t y;
    int32_t size;
  };
  std::vector<Village> villages_;
  Summary summary_;
  std::string error_;
};
