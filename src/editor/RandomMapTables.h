#pragma once
#include <array>
#include <cstdint>

// The random map generator's fixed tables: the eight directions, hill amplitudes, the road
// settings of each map type, the road pieces by neighbour mask, the diagonal joins that get
// closed and the town pavement by connected sides. Every lookup tests its index.
class RandomMapTables {
 public:
  static constexpr int32_t kDirections = 8;
  static constexpr int32_t kMapTypes = 4;
  static constexpr int32_t kHilliness = 5;
  static constexpr int32_t kPieces = 50;
  static constexpr uint8_t kDirtRoad = 8;
  static constexpr uint8_t kPavedRoad = 9;
  static constexpr int32_t kFirstDirtByte = 45;
  static constexpr int32_t kFirstPavedByte = 96;
  static constexpr uint8_t kPavement = 1;
  static constexpr int32_t kFirstTownBuilding = 83;

  // Step (dx, dy) of direction 0-7: 0 is +y, counting toward +x.
  static int32_t DirectionX(int32_t direction);
  static int32_t DirectionY(int32_t direction);
  // Hill amplitude A of hilliness 0-4.
  static float HillAmplitude(int32_t hilliness);
  // Divisor of the edge road count of map type 0-3.
  static int32_t EdgeRoadDivisor(int32_t mapType);
  // The road piece 1-50 of a reduced neighbour mask, 0 for none.
  static int32_t PieceOfMask(int32_t reducedMask);
  // The reduced mask of piece 1-50.
  static int32_t MaskOfPiece(int32_t piece);
  // Clears each diagonal bit that has an orthogonal bit beside it.
  static int32_t ReduceMask(int32_t mask);
  // The terrain code of a pavement tile by its 4-bit mask of connected sides.
  static int32_t PavementTerrain(int32_t sides);
  // The full neighbour mask that closes a diagonal join, and the cell it sets, for 0-7.
  static int32_t ClosingMask(int32_t index);
  static int32_t ClosingDx(int32_t index);
  static int32_t ClosingDy(int32_t index);

  // Enclosure shapes 0-16: size along x and y, and the stone wall piece (100-129, 0 for an
  // empty cell) at row 0 to sy - 1 and column 0 to sx - 1, unrotated.
  static constexpr int32_t kShapes = 17;
  static constexpr int32_t kFirstWallPiece = 100;
  static constexpr int32_t kLastWallPiece = 129;
  static int32_t ShapeSizeX(int32_t shape);
  static int32_t ShapeSizeY(int32_t shape);
  static int32_t ShapePiece(int32_t shape, int32_t row, int32_t column);
  // The wall piece that stands in place of piece 100-129 after 0-3 quarter turns.
  static int32_t RotatePiece(int32_t piece, int32_t quarterTurns);
};
