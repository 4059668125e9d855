#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class Map;

// The map editor's copy of the map: per 20 m tile a terrain code, an elevation level and a
// set-up zone byte, in one block of three planes of 250 x 250 cells (cell (x, y) is element
// x x 250 + y of each plane). The block is the form Map::NewMap imports. Only the cells below
// the current width and height belong to the map; the others keep what they hold, so a
// shrink followed by a grow gives the old cells back.
class EditorMapGrids {
 public:
  static constexpr int32_t kSide = 250;
  static constexpr size_t kBytes = 250000;
  static constexpr size_t kLevelsAt = 125000;
  static constexpr size_t kZonesAt = 187500;
  // The level of every new or outside cell.
  static constexpr int8_t kFlatLevel = 6;
  static constexpr int8_t kLowestToolLevel = -1;
  static constexpr int8_t kHighestToolLevel = 18;

  EditorMapGrids();

  // Cell access; a cell outside 0..249 is a programmer error (fatal).
  int16_t Code(int32_t x, int32_t y) const;
  int8_t Level(int32_t x, int32_t y) const;
  uint8_t Zone(int32_t x, int32_t y) const;
  void SetCode(int32_t x, int32_t y, int16_t code);
  void SetLevel(int32_t x, int32_t y, int8_t level);
  void SetZone(int32_t x, int32_t y, uint8_t zone);
  const uint8_t* Block() const { return block_.data(); }

  // Fills every cell from the map (code 0, level 6, zone 0 outside it) and gives the map's
  // size in tiles.
  void FillFrom(const Map& map, int32_t& width, int32_t& height);
  // Re-lays the cells for a size change made with Shift held: the map grows or shrinks at its
  // low edge. Only the first change that applies is made, the width before the height. Cells
  // uncovered at the low edge take code 0 and level 6 and keep their zone bytes.
  void ShiftForResize(int32_t oldWidth, int32_t oldHeight, int32_t newWidth, int32_t newHeight);
  // Every cell, inside the map or not, one level up (at most 18) or down (at least -1).
  void RaiseLower(bool raise);
  // Rebuilds the map from the grids at the given size in tiles; false when the map refuses.
  bool CommitTo(Map& map, int32_t width, int32_t height) const;

  // Tiles along a side of so many metres: trunc((metres + 1) x 0.05).
  static int32_t TilesFor(double metres);
  // The tile's height as a signed level, as the map stores it; 0 off the map.
  static int32_t TileHeightLevel(const Map& map, int32_t x, int32_t y);
  // The terrain code of a map tile: the code as read on snow ground while the tile holds its
  // snow form. A combination the code table lacks falls back, with a log line naming the
  // tile, to the same terrain and road unburnt, then to the terrain alone, then to code 0.
  static int16_t CodeOfTile(const Map& map, int32_t x, int32_t y);

 private:
  size_t Index(int32_t x, int32_t y) const;
  void CopyCell(int32_t toX, int32_t toY, int32_t fromX, int32_t fromY);
  void ClearCell(int32_t x, int32_t y);

  std::vector<uint8_t> block_;
};
