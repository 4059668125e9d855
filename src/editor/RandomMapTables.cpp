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
