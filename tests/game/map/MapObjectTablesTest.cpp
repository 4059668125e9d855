// The tables that turn tile codes into buildings, bridges and walls, read against their
// definitions: footprints, turning, ramps, the wall index and the wall layouts.
#include <gtest/gtest.h>

#include <vector>

#include "game/map/MapObjectsFromCodes.h"

using namespace MapObjectTables;

namespace {

void ExpectCorners(const Corner (&actual)[4], std::vector<Corner> expected, const char* what) {
  ASSERT_EQ(expected.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(actual[i].x, expected[static_cast<size_t>(i)].x) << what << " corner " << i;
    EXPECT_FLOAT_EQ(actual[i].y, expected[static_cast<size_t>(i)].y) << what << " corner " << i;
  }
}

}  // namespace

TEST(MapObjectTables, BuildingCodesChooseShapeTypeAndDiagonalFlag) {
  struct Row {
    std::vector<int> codes;
    int type;
    bool diagonal;
    std::vector<Corner> corners;
  };
  const std::vector<Corner> diamond = {{0, -7.07107f}, {-7.07107f, 0}, {0, 7.07107f}, {7.07107f, 0}};
  const std::vector<Corner> square = {{-4.8f, -4.8f}, {-4.8f, 4.8f}, {4.8f, 4.8f}, {4.8f, -4.8f}};
  const std::vector<Corner> full = {{-10, -10}, {-10, 10}, {10, 10}, {10, -10}};
  const std::vector<Row> rows = {
      {{59, 61, 63, 65}, 31, true, diamond},
      {{60, 62, 64, 66}, 31, false, square},
      {{67, 69, 71, 73}, 33, true, {{-1.3f, -10}, {-10, -1.3f}, {1.3f, 10}, {10, 1.3f}}},
      {{68, 70, 72, 74}, 33, false, {{-10, -6.15f}, {-10, 6.15f}, {6.0f, 6.15f}, {6.0f, -6.15f}}},
      {{75, 77, 79, 81}, 32, true, diamond},
      {{76, 78, 80, 82}, 32, false, square},
      {{83, 84, 85, 86}, 34, false, full},
      {{87, 88, 89, 90}, 46, false, full},
  };
  for (const Row& row : rows) {
    for (int code : row.codes) {
      const BuildingShape& shape = kBuildingShapes[BuildingShapeOf(code)];
      EXPECT_EQ(shape.type, row.type) << code;
      EXPECT_EQ(shape.diagonal, row.diagonal) << code;
      ExpectCorners(shape.corners, row.corners, "building");
    }
  }
}

TEST(MapObjectTables, TurningByCode) {
  const std::vector<std::vector<int>> byTurn = {{59, 60, 67, 68, 75, 76, 83, 87},
                                                {61, 62, 69, 70, 77, 78, 84, 88},
                                                {63, 64, 71, 72, 79, 80, 85, 89},
                                                {65, 66, 73, 74, 81, 82, 86, 90}};
  for (int turn = 0; turn < 4; ++turn)
    for (int code : byTurn[static_cast<size_t>(turn)]) EXPECT_EQ(BuildingTurnOf(code), turn) << code;
  const Corner p{2.0f, 3.0f};
  const Corner expected[4] = {{2, 3}, {3, -2}, {-2, -3}, {-3, 2}};
  for (int turn = 0; turn < 4; ++turn) {
    EXPECT_EQ(TurnCorner(p, turn).x, expected[turn].x);
    EXPECT_EQ(TurnCorner(p, turn).y, expected[turn].y);
  }
}

TEST(MapObjectTables, BridgePiecesRampsAndTypes) {
  ExpectCorners(kBridgeAlongX, {{-10, -4.5f}, {-10, 4.5f}, {10, 4.5f}, {10, -4.5f}}, "along x");
  ExpectCorners(kBridgeAlongY, {{-4.5f, 10}, {4.5f, 10}, {4.5f, -10}, {-4.5f, -10}}, "along y");
  ExpectCorners(kRampLowX, {{-10, 4.5f}, {-10, -4.5f}, {-28, -4.5f}, {-28, 4.5f}}, "low x");
  ExpectCorners(kRampHighX, {{10, -4.5f}, {10, 4.5f}, {28, 4.5f}, {28, -4.5f}}, "high x");
  ExpectCorners(kRampHighY, {{4.5f, 10}, {-4.5f, 10}, {-4.5f, 28}, {4.5f, 28}}, "high y");
  ExpectCorners(kRampLowY, {{-4.5f, -10}, {4.5f, -10}, {4.5f, -28}, {-4.5f, -28}}, "low y");
  const int types[8] = {36, 36, 37, 37, 38, 38, 39, 39};
  for (int code = 91; code <= 98; ++code) EXPECT_EQ(BridgeTypeOf(code), types[code - 91]);
  EXPECT_EQ(RampTypeOf(36), 40);
  EXPECT_EQ(RampTypeOf(37), 41);
  EXPECT_EQ(RampTypeOf(38), 42);
  EXPECT_EQ(RampTypeOf(39), 42);
  EXPECT_EQ(RampTypeOf(40), -1);
}

TEST(MapObjectTables, WallIndexEntriesAndCodes) {
  const int expected[30][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {3, 0}, {3, 1},
                               {3, 2}, {3, 3}, {5, 0}, {5, 2}, {5, 3}, {5, 1}, {6, 0}, {8, 0}, {8, 2}, {8, 1},
                               {8, 3}, {9, 0}, {10, 0}, {10, 3}, {10, 2}, {10, 1}, {11, 1}, {11, 0}, {11, 3}, {11, 2}};
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(kWallEntries[i].layout, expected[i][0]) << i;
    EXPECT_EQ(kWallEntries[i].quarter, expected[i][1]) << i;
  }
  int type = 0;
  int index = 0;
  ASSERT_TRUE(DecodeWallCode(100, type, index));
  EXPECT_EQ(type, 29);
  EXPECT_EQ(index, 0);
  ASSERT_TRUE(DecodeWallCode(160, type, index));
  EXPECT_EQ(type, 30);
  EXPECT_EQ(index, 29);
  ASSERT_TRUE(DecodeWallCode(162, type, index));
  EXPECT_EQ(type, 28);
  EXPECT_EQ(index, 0);
  ASSERT_TRUE(DecodeWallCode(130, type, index));
  EXPECT_EQ(index, -1);
  ASSERT_TRUE(DecodeWallCode(161, type, index));
  EXPECT_EQ(index, -1);
  EXPECT_FALSE(DecodeWallCode(99, type, index));
  EXPECT_FALSE(DecodeWallCode(192, type, index));
  EXPECT_FALSE(DecodeWallCode(255, type, index));
}

TEST(MapObjectTables, WallLayouts) {
  const float a = 0.5303325f, b = 19.469667f, c = 20.530333f, d = 11.060665f, e = 8.939335f;
  const std::vector<Corner> S = {{9.25f, 0}, {9.25f, 20}, {10.75f, 20}, {10.75f, 0}};
  const std::vector<Corner> D = {{-a, a}, {b, c}, {c, b}, {a, -a}};
  const std::vector<Corner> E = {{10.75f, 10.75f}, {20, 10.75f}, {20, 9.25f}, {10.75f, 9.25f}};
  const std::vector<Corner> W = {{9.25f, 9.25f}, {0, 9.25f}, {0, 10.75f}, {9.25f, 10.75f}};
  const std::vector<Corner> Sh = {{9.25f, 0}, {9.25f, 10.75f}, {10.75f, 10.75f}, {10.75f, 0}};
  const std::vector<Corner> NW = {{a, c}, {10, d}, {e, 10}, {-a, b}};
  const std::vector<Corner> SE = {{b, -a}, {10, e}, {d, 10}, {c, a}};
  const std::vector<Corner> SW = {{-a, a}, {10, d}, {10, e}, {a, -a}};
  const std::vector<Corner> SE2 = {{10, d}, {c, a}, {b, -a}, {10, e}};
  struct P {
    int thick;
    int isLong;
    std::vector<Corner> corners;
  };
  const std::vector<std::pair<int, std::vector<P>>> layouts = {
      {0, {{0, 1, S}}},
      {1, {{1, 1, D}}},
      {2, {{1, 1, {{-a, a}, {9.25f, 20}, {10.75f, 20}, {a, -a}}}}},
      {3, {{1, 1, {{b, -a}, {9.25f, 20}, {10.75f, 20}, {c, a}}}}},
      {5, {{0, 1, S}, {0, 0, E}}},
      {6, {{0, 1, S}, {0, 0, E}, {0, 0, W}}},
      {8, {{1, 1, D}, {1, 0, NW}}},
      {9, {{1, 1, D}, {1, 0, NW}, {1, 0, SE}}},
      {10, {{1, 0, Sh}, {1, 0, E}}},
      {11, {{1, 0, SW}, {1, 0, SE2}}},
  };
  for (const auto& [layout, expected] : layouts) {
    WallPiece pieces[3];
    ASSERT_EQ(WallLayoutPieces(layout, pieces), static_cast<int>(expected.size())) << layout;
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(pieces[i].thick, expected[i].thick) << layout;
      EXPECT_EQ(pieces[i].isLong, expected[i].isLong) << layout;
      ExpectCorners(pieces[i].corners, expected[i].corners, "wall piece");
    }
  }
  WallPiece none[3];
  EXPECT_EQ(WallLayoutPieces(4, none), 0);
  EXPECT_EQ(WallLayoutPieces(7, none), 0);
}
