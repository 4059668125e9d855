#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the map makes of every terrain code the editor paints, for the terrain sheet's
// pictures. A map is made through the editor's import path with each used code on a tile of
// its own and open ground between, written and read back with every set-up pass; each tile
// then gives the fine terrain of its 2 m cells and the buildings, bridges and walls on it, so
// the palette shows a code as the battle map will hold it.
class TerrainSheet {
 public:
  static constexpr int32_t kCodes = 704;
  static constexpr int32_t kCells = 10;  // 2 m cells along one side of a 20 m tile

  // A building, bridge piece or wall segment standing on the tile: its fine type and its
  // corners in tile-local metres (0..20, x eastward, y northward).
  struct Shape {
    int32_t type = 0;
    bool wall = false;
    bool tall = false;
    float x[4] = {};
    float y[4] = {};
  };

  struct Tile {
    bool used = false;
    int16_t terrain = -1;  // the code's terrain byte, road byte and fire state
    int16_t road = 0;
    uint8_t fire = 0;
    uint8_t rotation = 0;  // quarter turns of the ground's piece, as the map drew it
    // Fine terrain type of each cell: row 0 the northmost, column 0 the westmost.
    uint8_t fine[kCells][kCells] = {};
    std::vector<Shape> shapes;
  };

  // Makes the map in a scratch file of that name (removed again). False, with a reason, when
  // the map cannot be made, written or read back.
  bool Make(const std::string& scratchPath, std::string& error);
  const Tile& At(int32_t code) const { return tiles_[static_cast<size_t>(code)]; }

  // Made once per process in the system's temporary folder; a failure stops the tool.
  static const TerrainSheet& Shared();

 private:
  std::vector<Tile> tiles_;
};
