#include "editor/RandomMapTables.h"

#include "framework/core/Quorl.h"

namespace {

constexpr int32_t kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kDy[8] = {1, 1, 0, -1, -1, -1, 0, 1};
constexpr float kAmplitude[5] = {0.0f, 0.8f, 1.6f, 2.7f, 4.4f};
constexpr int32_t kDivisor[4] = {600, 800, 1000, 1200};
// Piece n's reduced mask at index n - 1.
constexpr int32_t kPieceMasks[50] = {17,  68,  34, 136, 33,  132, 18,  72,  9,   36,  144, 66,  19,
                                     145, 25,  49, 196, 70,  100, 76,  51,  153, 204, 102, 21,  81,
                                     69,  84,  85, 137, 140, 200, 152, 35,  38,  98,  50,  162, 42,
                                     138, 168, 170, 20, 5,   65,  80,  160, 40,  10,  130};
constexpr int32_t kPavementCodes[16] = {58, 58, 58, 52, 58, 47, 49, 53, 58, 51, 48, 56, 50, 55, 54, 57};
constexpr int32_t kClosingMask[8] = {146, 74, 41, 164, 73, 37, 148, 82};
constexpr int32_t kClosingDx[8] = {0, 1, 0, -1, 0, -1, 0, 1};
constexpr int32_t kClosingDy[8] = {1, 0, -1, 0, -1, 0, 1, 0};

struct Shape {
  int32_t sx;
  int32_t sy;
  int32_t cells[16];  // row by row
};
constexpr Shape kShapeTable[17] = {
    {4, 1, {101, 101, 101, 101}},
    {3, 1, {101, 101, 101}},
    {2, 1, {101, 101}},
    {1, 1, {101}},
    {2, 2, {122, 101, 100, 0}},
    {4, 2, {0, 109, 107, 0, 102, 0, 0, 103}},
    {2, 1, {101, 107}},
    {3, 3, {122, 101, 125, 100, 0, 0, 123, 101, 124}},
    {1, 1, {103}},
    {2, 2, {103, 0, 0, 103}},
    {3, 3, {103, 0, 0, 0, 103, 0, 0, 0, 103}},
    {4, 4, {103, 0, 0, 0, 0, 103, 0, 0, 0, 0, 103, 0, 0, 0, 0, 103}},
    {3, 3, {103, 0, 102, 0, 119, 0, 0, 0, 103}},
    {3, 2, {0, 100, 0, 101, 114, 101}},
    {3, 2, {0, 127, 0, 102, 0, 103}},
    {2, 2, {122, 101, 100, 0}},
    {3, 2, {103, 0, 0, 0, 110, 0}},
};
// The piece after 1, 2 and 3 quarter turns, for pieces 100-129.
constexpr int32_t kRotated[30][3] = {
    {101, 100, 101}, {100, 101, 100}, {103, 102, 103}, {102, 103, 102}, {105, 106, 107}, {106, 107, 104},
    {107, 104, 105}, {104, 105, 106}, {109, 110, 111}, {110, 111, 108}, {111, 108, 109}, {108, 109, 110},
    {115, 113, 114}, {114, 112, 115}, {112, 115, 113}, {113, 114, 112}, {116, 116, 116}, {119, 118, 120},
    {120, 117, 119}, {118, 120, 117}, {117, 119, 118}, {121, 121, 121}, {125, 124, 123}, {122, 125, 124},
    {123, 122, 125}, {124, 123, 122}, {129, 128, 127}, {126, 129, 128}, {127, 126, 129}, {128, 127, 126},
};

struct PieceTable {
  std::array<uint8_t, 256> piece{};
  constexpr PieceTable() {
    for (int32_t i = 0; i < 50; ++i) piece[static_cast<size_t>(kPieceMasks[i])] = static_cast<uint8_t>(i + 1);
  }
};
constexpr PieceTable kPieceTable;

void Check(bool ok, int32_t line) {
  if (!ok) FatalError(line, "RandomMapTables.cpp");
}

}  // namespace

int32_t RandomMapTables::DirectionX(int32_t direction) {
  Check(direction >= 0 && direction < 8, __LINE__);
  return kDx[direction];
}

int32_t RandomMapTables::DirectionY(int32_t direction) {
  Check(direction >= 0 && direction < 8, __LINE__);
  return kDy[direction];
}

float RandomMapTables::HillAmplitude(int32_t hilliness) {
  Check(hilliness >= 0 && hilliness < kHilliness, __LINE__);
  return kAmplitude[hilliness];
}

int32_t RandomMapTables::EdgeRoadDivisor(int32_t mapType) {
  Check(mapType >= 0 && mapType < kMapTypes, __LINE__);
  return kDivisor[mapType];
}

int32_t RandomMapTables::PieceOfMask(int32_t reducedMask) {
  Check(reducedMask >= 0 && reducedMask < 256, __LINE__);
  return kPieceTable.piece[static_cast<size_t>(reducedMask)];
}

int32_t RandomMapTables::MaskOfPiece(int32_t piece) {
  Check(piece >= 1 && piece <= kPieces, __LINE__);
  return kPieceMasks[piece - 1];
}

int32_t RandomMapTables::ReduceMask(int32_t mask) {
  int32_t reduced = mask;
  if ((mask & (1 | 4)) != 0) reduced &= ~2;
  if ((mask & (4 | 16)) != 0) reduced &= ~8;
  if ((mask & (16 | 64)) != 0) reduced &= ~32;
  if ((mask & (64 | 1)) != 0) reduced &= ~128;
  return reduced;
}

int32_t RandomMapTables::PavementTerrain(int32_t sides) {
  Check(sides >= 0 && sides < 16, __LINE__);
  return kPavementCodes[sides];
}

int32_t RandomMapTables::ClosingMask(int32_t index) {
  Check(index >= 0 && index < 8, __LINE__);
  return kClosingMask[index];
}

int32_t RandomMapTables::ClosingDx(int32_t index) {
  Check(index >= 0 && index < 8, __LINE__);
  return kClosingDx[index];
}

int32_t RandomMapTables::ClosingDy(int32_t index) {
  Check(index >= 0 && index < 8, __LINE__);
  return kClosingDy[index];
}

int32_t RandomMapTables::ShapeSizeX(int32_t shape) {
  Check(shape >= 0 && shape < kShapes, __LINE__);
  return kShapeTable[shape].sx;
}

int32_t RandomMapTables::ShapeSizeY(int32_t shape) {
  Check(shape >= 0 && shape < kShapes, __LINE__);
  return kShapeTable[shape].sy;
}

int32_t RandomMapTables::ShapePiece(int32_t shape, int32_t row, int32_t column) {
  Check(shape >= 0 && shape < kShapes, __LINE__);
  const Shape& s = kShapeTable[shape];
  Check(row >= 0 && row < s.sy && column >= 0 && column < s.sx, __LINE__);
  return s.cells[row * s.sx + column];
}

int32_t RandomMapTables::RotatePiece(int32_t piece, int32_t quarterTurns) {
  Check(piece >= kFirstWallPiece && piece <= kLastWallPiece, __LINE__);
  Check(quarterTurns >= 0 && quarterTurns < 4, __LINE__);
  if (quarterTurns == 0) return piece;
  return kRotated[piece - kFirstWallPiece][quarterTurns - 1];
}
