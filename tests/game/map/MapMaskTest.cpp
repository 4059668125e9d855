// The shape and road masks of the fine grid, checked against the rows as they are printed in
// the terrain tables ("xN" repeats a row), and their orientation on a tile.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "game/map/MapMask.h"

namespace {

// "###....###, ########## x9" -> ten rows.
std::vector<std::string> Expand(const std::string& printed) {
  std::vector<std::string> rows;
  std::stringstream in(printed);
  std::string part;
  while (std::getline(in, part, ',')) {
    std::stringstream words(part);
    std::string row;
    std::string repeat;
    words >> row >> repeat;
    int count = repeat.empty() ? 1 : std::stoi(repeat.substr(1));
    for (int i = 0; i < count; ++i) rows.push_back(row);
  }
  return rows;
}

void ExpectMask(const MapMask& mask, const std::string& printed, int index) {
  std::vector<std::string> rows = Expand(printed);
  ASSERT_EQ(rows.size(), 10u) << "mask " << index;
  for (int r = 0; r < 10; ++r) {
    ASSERT_EQ(rows[r].size(), 10u) << "mask " << index;
    EXPECT_EQ(std::string(mask.rows[r]), rows[r]) << "mask " << index << " row " << r;
  }
}

const char* const kPrintedShapes[MapMask::kShapeCount] = {
    "########## x10",
    "###....###, ########## x9",
    "###......., #######..., ########.., #########. x4, ########## x3",
    "###....###, ########## x8, ###....###",
    ".........., ...####..., ..######.., .########. x4, ########## x3",
    ".........., ...####..., ..######.., .########. x4, ..######.., ...####..., ..........",
    "...####..., ..######.., .########., ########## x4, .########., ..######.., ...####...",
};

const char* const kPrintedRoads[MapMask::kRoadCount] = {
    "..######.. x10",
    ".....#####, ....######, ...#######, ..########, .#########, #########., ########.., #######..., ######...., #####.....",
    "..######.. x4, .#######.., ########.. x2, #######..., ######...., #####.....",
    "..######## x5, ..#######., ..######.. x4",
    "..######## x4, .#########, #########., ########.. x4",
    "..######.. x2, ..######## x6, ..######.. x2",
    "..######.. x2, ########## x6, ..#####... x2",
    "..######## x4, .#########, #########., ########.., #######..., ######...., #####.....",
    "####..####, ########## x3, .#########, .########., ########.., #######..., ######...., #####.....",
    "####..####, ########## x3, .########. x2, ########## x3, ####..####",
    ".......... x2, ..######## x6, ..######.. x2",
    "#####....., ######.... x3, .#####.... x2, ######.... x3, #####.....",
    ".......... x6, #........., ##........, ###......., ####......",
    "...####... x2, ########## x6, .......... x2",
    "...####... x2, ########## x6, ...####... x2",
};

TEST(MapMasks, ShapeMasksReadAsPrinted) {
  for (int i = 0; i < MapMask::kShapeCount; ++i) ExpectMask(kShapeMasks[i], kPrintedShapes[i], i);
}

TEST(MapMasks, RoadMasksReadAsPrinted) {
  for (int i = 0; i < MapMask::kRoadCount; ++i) ExpectMask(kRoadMasks[i], kPrintedRoads[i], i);
}

TEST(MapMasks, PatternCellTurnsAndMirrorsOffsets) {
  // Offset (i, j) = (2, 7): rows 9 - j, 9 - i, j, i; columns i, 9 - j, 9 - i, j.
  const int rows[4] = {2, 7, 7, 2};
  const int columns[4] = {2, 2, 7, 7};
  for (int r = 0; r < 4; ++r) {
    MaskCell plain = PatternCell(r, false, 2, 7);
    EXPECT_EQ(plain.row, rows[r]) << r;
    EXPECT_EQ(plain.column, columns[r]) << r;
    // The mirror takes the column of the rotation two quarter turns on.
    MaskCell mirrored = PatternCell(r, true, 2, 7);
    EXPECT_EQ(mirrored.row, rows[r]) << r;
    EXPECT_EQ(mirrored.column, columns[(r + 2) % 4]) << r;
  }
  // Rotations above 3 read as 3.
  EXPECT_EQ(PatternCell(7, false, 2, 7).row, 2);
  EXPECT_EQ(PatternCell(7, false, 2, 7).column, 7);
}

TEST(MapMasks, RoadEndMaskCoversTheTenCellsNearestItsCorner) {
  // Corners: 0 low x low y, 1 low x high y, 2 high x high y, 3 high x low y.
  const MapMask& end = kRoadMasks[MapMask::kRoadEnd];
  for (int s = 0; s < 4; ++s) {
    int covered = 0;
    for (int i = 0; i < 10; ++i) {
      for (int j = 0; j < 10; ++j) {
        int di = (s == 0 || s == 1) ? i : 9 - i;
        int dj = (s == 0 || s == 3) ? j : 9 - j;
        bool near = di + dj <= 3;
        EXPECT_EQ(end.Covers(s, false, i, j), near) << "corner " << s << " at " << i << ", " << j;
        covered += end.Covers(s, false, i, j) ? 1 : 0;
      }
    }
    EXPECT_EQ(covered, 10) << s;
  }
}

// Tiles as they lie on the map, drawn with y growing upward: the top row is j = 9, the left
// column i = 0. Worked out by turning the printed picture a quarter clockwise per rotation,
// after flipping it left to right when mirrored.
struct Oriented {
  int rotation;
  bool mirrored;
  const char* rows[10];
};

const Oriented kRoad1[] = {
  // road mask 1, rotation 0
  {0, false, {
    ".....#####",
    "....######",
    "...#######",
    "..########",
    ".#########",
    "#########.",
    "########..",
    "#######...",
    "######....",
    "#####.....",
  }},
  // road mask 1, rotation 1
  {1, false, {
    "#####.....",
    "######....",
    "#######...",
    "########..",
    "#########.",
    ".#########",
    "..########",
    "...#######",
    "....######",
    ".....#####",
  }},
  // road mask 1, rotation 2
  {2, false, {
    ".....#####",
    "....######",
    "...#######",
    "..########",
    ".#########",
    "#########.",
    "########..",
    "#######...",
    "######....",
    "#####.....",
  }},
  // road mask 1, rotation 3
  {3, false, {
    "#####.....",
    "######....",
    "#######...",
    "########..",
    "#########.",
    ".#########",
    "..########",
    "...#######",
    "....######",
    ".....#####",
  }},
  // road mask 1, rotation 0, mirrored
  {0, true, {
    "#####.....",
    "######....",
    "#######...",
    "########..",
    "#########.",
    ".#########",
    "..########",
    "...#######",
    "....######",
    ".....#####",
  }},
  // road mask 1, rotation 1, mirrored
  {1, true, {
    ".....#####",
    "....######",
    "...#######",
    "..########",
    ".#########",
    "#########.",
    "########..",
    "#######...",
    "######....",
    "#####.....",
  }},
  // road mask 1, rotation 2, mirrored
  {2, true, {
    "#####.....",
    "######....",
    "#######...",
    "########..",
    "#########.",
    ".#########",
    "..########",
    "...#######",
    "....######",
    ".....#####",
  }},
  // road mask 1, rotation 3, mirrored
  {3, true, {
    ".....#####",
    "....######",
    "...#######",
    "..########",
    ".#########",
    "#########.",
    "########..",
    "#######...",
    "######....",
    "#####.....",
  }},
};

const Oriented kShape2[] = {
  // shape mask 2, rotation 0
  {0, false, {
    "###.......",
    "#######...",
    "########..",
    "#########.",
    "#########.",
    "#########.",
    "#########.",
    "##########",
    "##########",
    "##########",
  }},
  // shape mask 2, rotation 1
  {1, false, {
    "##########",
    "##########",
    "##########",
    "#########.",
    "#########.",
    "#########.",
    "#########.",
    "########..",
    "#######...",
    "###.......",
  }},
  // shape mask 2, rotation 2
  {2, false, {
    "##########",
    "##########",
    "##########",
    ".#########",
    ".#########",
    ".#########",
    ".#########",
    "..########",
    "...#######",
    ".......###",
  }},
  // shape mask 2, rotation 3
  {3, false, {
    ".......###",
    "...#######",
    "..########",
    ".#########",
    ".#########",
    ".#########",
    ".#########",
    "##########",
    "##########",
    "##########",
  }},
  // shape mask 2, rotation 0, mirrored
  {0, true, {
    ".......###",
    "...#######",
    "..########",
    ".#########",
    ".#########",
    ".#########",
    ".#########",
    "##########",
    "##########",
    "##########",
  }},
  // shape mask 2, rotation 1, mirrored
  {1, true, {
    "###.......",
    "#######...",
    "########..",
    "#########.",
    "#########.",
    "#########.",
    "#########.",
    "##########",
    "##########",
    "##########",
  }},
  // shape mask 2, rotation 2, mirrored
  {2, true, {
    "##########",
    "##########",
    "##########",
    "#########.",
    "#########.",
    "#########.",
    "#########.",
    "########..",
    "#######...",
    "###.......",
  }},
  // shape mask 2, rotation 3, mirrored
  {3, true, {
    "##########",
    "##########",
    "##########",
    ".#########",
    ".#########",
    ".#########",
    ".#########",
    "..########",
    "...#######",
    ".......###",
  }},
};

void ExpectOriented(const MapMask& mask, const Oriented& expected, const char* name) {
  for (int r = 0; r < 10; ++r) {
    for (int i = 0; i < 10; ++i) {
      int j = 9 - r;
      EXPECT_EQ(mask.Covers(expected.rotation, expected.mirrored, i, j), expected.rows[r][i] == '#')
          << name << " rotation " << expected.rotation << (expected.mirrored ? " mirrored" : "") << " at " << i
          << ", " << j;
    }
  }
}

TEST(MapMasks, RoadMaskOneUnderEveryRotationAndMirror) {
  for (const Oriented& o : kRoad1) ExpectOriented(kRoadMasks[1], o, "road 1");
}

TEST(MapMasks, ShapeMaskTwoUnderEveryRotationAndMirror) {
  for (const Oriented& o : kShape2) ExpectOriented(kShapeMasks[2], o, "shape 2");
}

}  // namespace
