#include "editor/RandomMapTables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

// The tables as the generator's design prints them.
const char* const kPieceText =
    "1: 17, 2: 68, 3: 34, 4: 136, 5: 33, 6: 132, 7: 18, 8: 72, 9: 9, 10: 36, 11: 144, 12: 66, 13: 19, "
    "14: 145, 15: 25, 16: 49, 17: 196, 18: 70, 19: 100, 20: 76, 21: 51, 22: 153, 23: 204, 24: 102, "
    "25: 21, 26: 81, 27: 69, 28: 84, 29: 85, 30: 137, 31: 140, 32: 200, 33: 152, 34: 35, 35: 38, "
    "36: 98, 37: 50, 38: 162, 39: 42, 40: 138, 41: 168, 42: 170, 43: 20, 44: 5, 45: 65, 46: 80, "
    "47: 160, 48: 40, 49: 10, 50: 130";
const char* const kPavementText = "58, 58, 58, 52, 58, 47, 49, 53, 58, 51, 48, 56, 50, 55, 54, 57";

TEST(RandomMapTables, PiecesFollowTheirPrintedListBothWays) {
  std::istringstream in(kPieceText);
  int32_t piece = 0;
  int32_t mask = 0;
  char colon = 0;
  char comma = 0;
  int32_t read = 0;
  while (in >> piece >> colon >> mask) {
    ++read;
    EXPECT_EQ(RandomMapTables::MaskOfPiece(piece), mask) << piece;
    EXPECT_EQ(RandomMapTables::PieceOfMask(mask), piece) << mask;
    in >> comma;
  }
  EXPECT_EQ(read, 50);
  int32_t withPiece = 0;
  for (int32_t m = 0; m < 256; ++m) withPiece += RandomMapTables::PieceOfMask(m) != 0 ? 1 : 0;
  EXPECT_EQ(withPiece, 50);
  // Straight roads along y and x, and the two diagonals.
  EXPECT_EQ(RandomMapTables::PieceOfMask(1 | 16), 1);
  EXPECT_EQ(RandomMapTables::PieceOfMask(4 | 64), 2);
}

TEST(RandomMapTables, ReducedMasksNeverGiveTheUnreachablePieces) {
  // Pieces 13-24 and 30-37 have a diagonal beside an orthogonal, which reduction drops.
  std::set<int32_t> reachable;
  for (int32_t m = 0; m < 256; ++m) reachable.insert(RandomMapTables::PieceOfMask(RandomMapTables::ReduceMask(m)));
  for (int32_t p = 1; p <= 50; ++p) {
    const bool unreachable = (p >= 13 && p <= 24) || (p >= 30 && p <= 37);
    EXPECT_EQ(reachable.count(p) == 0, unreachable) << p;
  }
  EXPECT_EQ(RandomMapTables::ReduceMask(255), 1 | 4 | 16 | 64);
  EXPECT_EQ(RandomMapTables::ReduceMask(2 | 8 | 32 | 128), 2 | 8 | 32 | 128);
  EXPECT_EQ(RandomMapTables::ReduceMask(1 | 2), 1);
  EXPECT_EQ(RandomMapTables::ReduceMask(4 | 8), 4);
  EXPECT_EQ(RandomMapTables::ReduceMask(16 | 32), 16);
  EXPECT_EQ(RandomMapTables::ReduceMask(64 | 128), 64);
}

TEST(RandomMapTables, PavementDirectionsClosingJoinsAndSettings) {
  std::istringstream in(kPavementText);
  int32_t code = 0;
  char comma = 0;
  for (int32_t sides = 0; sides < 16; ++sides) {
    ASSERT_TRUE(in >> code);
    EXPECT_EQ(RandomMapTables::PavementTerrain(sides), code) << sides;
    in >> comma;
  }
  const int32_t dx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  const int32_t dy[8] = {1, 1, 0, -1, -1, -1, 0, 1};
  for (int32_t d = 0; d < 8; ++d) {
    EXPECT_EQ(RandomMapTables::DirectionX(d), dx[d]);
    EXPECT_EQ(RandomMapTables::DirectionY(d), dy[d]);
    // Direction d + 4 is the opposite.
    EXPECT_EQ(RandomMapTables::DirectionX((d + 4) % 8), -dx[d]);
  }
  const int32_t masks[8] = {146, 74, 41, 164, 73, 37, 148, 82};
  const int32_t cx[8] = {0, 1, 0, -1, 0, -1, 0, 1};
  const int32_t cy[8] = {1, 0, -1, 0, -1, 0, 1, 0};
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(RandomMapTables::ClosingMask(i), masks[i]);
    EXPECT_EQ(RandomMapTables::ClosingDx(i), cx[i]);
    EXPECT_EQ(RandomMapTables::ClosingDy(i), cy[i]);
  }
  EXPECT_FLOAT_EQ(RandomMapTables::HillAmplitude(0), 0.0f);
  EXPECT_FLOAT_EQ(RandomMapTables::HillAmplitude(4), 4.4f);
  EXPECT_EQ(RandomMapTables::EdgeRoadDivisor(0), 600);
  EXPECT_EQ(RandomMapTables::EdgeRoadDivisor(3), 1200);
}

TEST(RandomMapTablesDeathTest, IndexesOutsideTheTablesAreFatal) {
  EXPECT_DEATH(RandomMapTables::PieceOfMask(256), "");
  EXPECT_DEATH(RandomMapTables::PavementTerrain(16), "");
  EXPECT_DEATH(RandomMapTables::DirectionX(8), "");
  EXPECT_DEATH(RandomMapTables::HillAmplitude(5), "");
}

}  // namespace
