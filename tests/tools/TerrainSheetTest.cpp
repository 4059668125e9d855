#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "BitmapCatalogue.h"
#include "BitmapRecipes.h"
#include "TerrainSheet.h"
#include "game/map/MapMask.h"
#include "game/map/TerrainCodeTable.h"
#include "support/TestFolder.h"

namespace {

constexpr int32_t kWidth = 272;
constexpr int32_t kHeight = 748;

std::vector<uint32_t> DrawSheet() {
  BitmapCatalogue catalogue;
  EXPECT_TRUE(catalogue.Parse("# Test\n10019 272x748 2d sheet | Test | terrain sheet\n", "test.txt"))
      << catalogue.Error();
  return BitmapRecipes::Draw(catalogue.Rows().at(0), catalogue);
}

const std::vector<uint32_t>& Sheet() {
  static const std::vector<uint32_t> sheet = DrawSheet();
  return sheet;
}

// The 16 x 16 picture of a code, one pixel into its 17-pixel cell.
std::vector<uint32_t> Picture(int32_t code) {
  std::vector<uint32_t> out;
  const int32_t x0 = code % 16 * 17 + 1, y0 = code / 16 * 17 + 1;
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) out.push_back(Sheet()[static_cast<size_t>(y0 + y) * kWidth + x0 + x]);
  return out;
}

// The pixel at the centre of 2 m cell (column i, row from the north r) of the picture.
uint32_t CellCentre(const std::vector<uint32_t>& picture, int32_t i, int32_t r) {
  const int32_t px = static_cast<int32_t>((i + 0.5) * 1.6), py = static_cast<int32_t>((r + 0.5) * 1.6);
  return picture[static_cast<size_t>(py) * 16 + px];
}

// A used code whose tile carries a road on ground (not a bridge).
bool IsRoadOnGround(int32_t code, int32_t& roadType, int32_t& piece) {
  int16_t terrain = 0, road = 0;
  uint8_t fire = 0;
  if (!TerrainCodeTable::IsUsed(code)) return false;
  TerrainCodeTable::DecodeTerrainCode(code, terrain, road, fire);
  if (terrain != 0 && terrain != 13 && terrain != 14 && terrain != 15) return false;
  return MapMask::DecodeRoadCode(road, roadType, piece);
}

}  // namespace

TEST(TerrainSheetTest, SheetHasItsSizeAndDrawsTheSameEveryTime) {
  ASSERT_EQ(Sheet().size(), static_cast<size_t>(kWidth * kHeight));
  EXPECT_EQ(DrawSheet(), Sheet());
}

// Each road piece shows road exactly on the 2 m cells its road mask covers: one colour per
// road kind, found on no cell the mask leaves clear in any road code.
TEST(TerrainSheetTest, RoadColourLiesExactlyOnEachPiecesMask) {
  std::map<int32_t, std::set<uint32_t>> onRoad;
  std::set<uint32_t> offRoad;
  int32_t codes = 0;
  for (int32_t code = 0; code < TerrainSheet::kCodes; ++code) {
    int32_t type = 0, piece = 0;
    if (!IsRoadOnGround(code, type, piece)) continue;
    ++codes;
    const std::vector<uint32_t> picture = Picture(code);
    const RoadPiece& p = kRoadPieces[piece];
    int32_t covered = 0;
    for (int32_t r = 0; r < 10; ++r)
      for (int32_t i = 0; i < 10; ++i) {
        const bool road = kRoadMasks[p.shape].Covers(p.rotation, p.mirrored != 0, i, 9 - r);
        covered += road ? 1 : 0;
        (road ? onRoad[type] : offRoad).insert(CellCentre(picture, i, r));
      }
    EXPECT_GT(covered, 0) << code;
  }
  // Dirt (4 groups of 56 less the 6 paved joins each), paved (4 x 50) and railway (32).
  EXPECT_EQ(codes, 4 * 50 + 4 * 6 + 4 * 50 + 32);
  ASSERT_EQ(onRoad.size(), 3u);
  for (const auto& [type, colours] : onRoad) {
    EXPECT_EQ(colours.size(), 1u) << "road type " << type;
    for (uint32_t c : colours) EXPECT_EQ(offRoad.count(c), 0u) << "road type " << type << " colour " << std::hex << c;
  }
}

TEST(TerrainSheetTest, EveryUsedCodeHasAPictureOfItsOwnAndUnusedOnesOneFill) {
  std::map<std::vector<uint32_t>, int32_t> seen;
  std::set<std::vector<uint32_t>> unused;
  int32_t used = 0;
  for (int32_t code = 0; code < TerrainSheet::kCodes; ++code) {
    const std::vector<uint32_t> picture = Picture(code);
    if (!TerrainCodeTable::IsUsed(code)) {
      unused.insert(picture);
      continue;
    }
    ++used;
    const auto [at, inserted] = seen.emplace(picture, code);
    EXPECT_TRUE(inserted) << "codes " << at->second << " and " << code << " look alike";
  }
  EXPECT_EQ(used, 621);
  ASSERT_EQ(unused.size(), 1u);
  const std::set<uint32_t> fill(unused.begin()->begin(), unused.begin()->end());
  EXPECT_EQ(fill.size(), 1u);
}

// The pictures come from the map itself: a building code's tile holds its building, a wall
// code its segments, a burning code its fire, and pavement keeps open ground beside its shape.
TEST(TerrainSheetTest, TilesCarryWhatTheMapMakesOfTheirCodes) {
  TerrainSheet sheet;
  std::string error;
  TestFolder folder;
  ASSERT_TRUE(sheet.Make(folder.Native() + "terrain-sheet-test.map", error)) << error;
  EXPECT_FALSE(sheet.At(11).used);
  EXPECT_EQ(sheet.At(0).terrain, 0);
  for (int32_t r = 0; r < 10; ++r)
    for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(sheet.At(0).fine[r][i], 0);
  // Woods ringed by woods fill the tile.
  EXPECT_EQ(sheet.At(3).fine[0][0], 14);
  EXPECT_EQ(sheet.At(3).fine[9][9], 14);
  for (int32_t code : {12, 16, 24, 32, 40}) {
    ASSERT_EQ(sheet.At(code).shapes.size(), 1u) << code;
    EXPECT_FALSE(sheet.At(code).shapes[0].wall);
  }
  EXPECT_GE(sheet.At(576).shapes.size(), 1u);
  for (const auto& shape : sheet.At(576).shapes) EXPECT_TRUE(shape.wall);
  for (int32_t k = 0; k < 4; ++k) {
    for (const auto& shape : sheet.At(44 + k).shapes) {
      for (int32_t c = 0; c < 4; ++c) {
        EXPECT_GE(shape.x[c], -10.0f);
        EXPECT_LE(shape.x[c], 30.0f);
      }
    }
  }
  EXPECT_EQ(sheet.At(53).fire, 1);
  EXPECT_EQ(sheet.At(59).fire, 2);
  EXPECT_EQ(sheet.At(60).fire, 3);
  int32_t open = 0, paved = 0;
  for (int32_t code = 370; code <= 381; ++code)
    for (int32_t r = 0; r < 10; ++r)
      for (int32_t i = 0; i < 10; ++i) (sheet.At(code).fine[r][i] == 11 ? paved : open) += 1;
  EXPECT_GT(open, 0);
  EXPECT_GT(paved, open);
}
