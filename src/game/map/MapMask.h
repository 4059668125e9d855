#pragma once
#include <cstdint>

// A 10 x 10 mask of the cells of one tile: which cells take a tile's terrain (the shape
// masks) or its road (the road masks). Rows are kept as text, '#' set and '.' clear, row 0
// first, so the tables read as they are drawn.
class MapMask {
 public:
  static constexpr int32_t kSide = 10;
  static constexpr int32_t kShapeCount = 7;
  static constexpr int32_t kRoadCount = 15;
  // The road-end mask: the ten cells nearest one corner.
  static constexpr int32_t kRoadEnd = 12;

  static constexpr int32_t kRoadPieceCount = 56;

  // The fine road type (8 dirt, 9 paved, 10 railway) and the road piece of a tile's road
  // byte: 45-94 dirt, 96-151 paved, 153-202 railway, the piece counted from each first byte.
  // False for a byte that holds no road.
  static bool DecodeRoadCode(int32_t code, int32_t& type, int32_t& piece);

  bool IsSet(int32_t row, int32_t column) const { return rows[row][column] == '#'; }
  // Whether the mask, turned and mirrored as a tile's piece is, covers offset (i, j) of the
  // tile (i along x, j along y).
  bool Covers(int32_t rotation, bool mirrored, int32_t i, int32_t j) const;

  const char* rows[kSide];
};

// A road piece: the road mask it takes (kRoadMasks), turned by quarter turns and mirrored.
struct RoadPiece {
  int16_t shape;
  uint8_t rotation;
  uint8_t mirrored;
};

// Where offset (i, j) of a tile (i along x, j along y) falls in a mask turned by rotation
// quarter turns and mirrored when mirror is set.
struct MaskCell {
  int32_t row;
  int32_t column;
};
MaskCell PatternCell(int32_t rotation, bool mirror, int32_t i, int32_t j);

// Which cells of a tile take its terrain: 0 all, 1 to 5 the shapes of terrain pieces that
// meet their neighbours, 6 the round patch of rough ground.
extern const MapMask kShapeMasks[MapMask::kShapeCount];
// The cells a road covers within its tile, by road shape; 12 is the road-end mask.
extern const MapMask kRoadMasks[MapMask::kRoadCount];
// The road pieces by index, as road bytes name them through MapMask::DecodeRoadCode.
extern const RoadPiece kRoadPieces[MapMask::kRoadPieceCount];
