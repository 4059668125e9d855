#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TableTextureNumbers.h"
#include "BuiltTextures.h"
#include "BitmapCatalogue.h"
#include "BitmapRecipes.h"
#include "TextureRecipes.h"
#include "TileMasks.h"
#include "framework/media/RendererRig.h"
#include "platform/PBitmapFile.h"
#include "support/TestFolder.h"

// The battlefield's textures as the build draws them: every number the battle's loaders ask
// for has its row and file, tile pieces follow their masks, terrain bands wrap, a billboard
// tree and a sky wall stand the right way up on the software device, and one battle's
// textures fit the video memory.

namespace {

void AddRange(std::set<int32_t>& s, int32_t first, int32_t last) {
  for (int32_t n = first; n <= last; ++n) s.insert(n);
}

// Tree slots 0..25 by ground and season (0 spring, 1 summer, 2 autumn, 3 winter).
std::vector<int32_t> TreeSlots(bool snow, int32_t season) {
  if (snow)
    return {532, 531, 528, 529, 530, 531, 532, 531, 526, 527, 526, 527, 544, 517, 532, 531, 526, 527, 526, 527, 516, 517};
  std::vector<int32_t> slots = {500, 501, 502, 503, 504, 501};
  std::vector<int32_t> middle;
  if (season == 2) middle = {542, 513, 544, 515, 516, 517, 504, 501, 512, 513, 514, 515, 516, 517, 504, 501};
  else if (season == 3) middle = {508, 509, 522, 523, 534, 525, 518, 525, 534, 535, 536, 507, 538, 539, 540, 511};
  else middle = {534, 525, 506, 507, 510, 511, 518, 525, 534, 535, 536, 507, 538, 539, 540, 511};
  slots.insert(slots.end(), middle.begin(), middle.end());
  for (int32_t n : {512, 513, 514, 515}) slots.push_back(n);
  return slots;
}

// The tile pieces on snow ground: 600 + index + the snow table's second value for every
// type and shape that can lie on snow.
std::set<int32_t> SnowPieces() {
  std::set<int32_t> s;
  for (int32_t shape = 0; shape <= 14; ++shape) s.insert(600 + 13 + shape + 217);  // roads (types 8, 9)
  for (int32_t shape = 0; shape <= 12; ++shape) s.insert(600 + 59 + shape + 300);  // track
  for (int32_t index : {13, 31, 19, 23, 18}) s.insert(600 + index + 217);          // pavement
  for (int32_t shape = 0; shape <= 5; ++shape) {
    s.insert(600 + 28 + shape);        // marsh keeps its piece
    s.insert(600 + 53 + shape + 197);  // trees, woods, pines
    s.insert(600 + 97 + shape);        // wheat field keeps its piece
    s.insert(600 + 79 + shape + 300);  // brush
    s.insert(600 + 41 + shape + 179);  // water and ice
  }
  for (int32_t n : {600 + 40 + 209, 672, 673}) s.insert(n);  // rough, rubble, ford
  return s;
}

const std::vector<std::vector<int32_t>> kUniformTable = {
    {0, 1, 2, 3, 4, 2},       {0, 6, 7, 8, 9, 62},      {55, 56, 2, 3, 4, 2},     {10, 11, 12, 13, 14, 12},
    {-1, 51, 52, 53, 54, 52}, {-1, 36, 12, 13, 39, 12}, {15, 16, 17, 18, 19, 17}, {15, 21, 22, 23, 24, 22},
    {15, 26, 27, 28, 29, 27}, {30, 31, 32, 33, 33, 32}, {30, 46, 47, 48, 49, 60}, {15, 16, 17, 18, 19, 61},
    {10, 11, 12, 13, 14, 12}, {-1, 36, 12, 13, 39, 12}, {10, 11, 12, 13, 14, 12}, {10, 51, 52, 53, 54, 52},
    {-1, 36, 12, 13, 39, 12}, {0, 1, 2, 3, 4, 2},       {55, 56, 2, 3, 4, 2},     {0, 41, 42, 43, 44, 42},
    {0, 66, 67, 68, 69, 63}};

std::set<int32_t> WallVariants() { return {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 37, 46}; }

// Every texture number the battle's loaders ask for.
std::set<int32_t> TextureNumbers() {
  std::set<int32_t> s;
  AddRange(s, 800, 819);
  AddRange(s, 1470, 1489);
  AddRange(s, 1500, 1519);
  AddRange(s, 1550, 1569);
  AddRange(s, 600, 702);
  const std::set<int32_t> snow = SnowPieces();
  s.insert(snow.begin(), snow.end());
  for (bool onSnow : {false, true})
    for (int32_t season = 0; season < 4; ++season)
      for (int32_t n : TreeSlots(onSnow, season)) s.insert(n);
  AddRange(s, 1400, 1414);
  AddRange(s, 1430, 1444);
  for (int32_t v : WallVariants())
    for (int32_t f = 0; f < 3; ++f) {
      s.insert(300 + v + f);
      s.insert(860 + v + f);
    }
  for (int32_t n : {336, 896, 1200, 1201, 1202, 390, 391, 392, 393, 1208, 1209, 1210, 1217, 1218, 1219, 1222, 1223, 1300,
                    1800, 1801, 2020, 10049, 1211, 1220, 1221, 1224, 1225, 10039})
    s.insert(n);
  AddRange(s, 10040, 10048);
  AddRange(s, 1204, 1206);
  AddRange(s, 1212, 1215);
  AddRange(s, 1700, 1717);
  AddRange(s, 1720, 1729);
  AddRange(s, 400, 405);
  AddRange(s, 440, 447);
  AddRange(s, 1900, 1914);
  AddRange(s, 5100, 5111);
  AddRange(s, 4020, 4028);
  for (int32_t n : TableTextureNumbers()) s.insert(n);
  // The snow forms of the vehicle skins and the crew weapons' pictures, and the pictures the
  // model sources map whole onto a face.
  for (int32_t n : TableTextureNumbers()) s.insert(n + 10000);
  AddRange(s, 4891, 4899);
  AddRange(s, 14891, 14899);
  for (const auto& row : kUniformTable)
    for (int32_t n : row)
      if (n >= 0) {
        s.insert(5000 + n);
        s.insert(15000 + n);
      }
  return s;
}

bool PowerOfTwo(int32_t v) { return v >= 16 && v <= 256 && (v & (v - 1)) == 0; }

int RunTool(const std::string& arguments, std::string& errors, const TestFolder& scratch) {
  const std::string errorFile = scratch.Native() + "stderr.txt";
  const int status =
      std::system((std::string(TARVANE_MAKE_BITMAPS) + " " + arguments + " 2>" + errorFile).c_str());
  std::ifstream in(errorFile);
  errors.assign((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(BattlefieldTexturesTest, EveryTextureNumberHasATextureRowAndItsFileAtItsSize) {
  const std::set<int32_t> wanted = TextureNumbers();
  EXPECT_EQ(wanted.size(), 2161u);
  for (int32_t number : wanted) {
    SCOPED_TRACE(number);
    const BitmapCatalogue::Row* row = Catalogue().Find(number);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->texture);
    if (number >= 1400 && number <= 1414) {
      EXPECT_EQ(row->width, 1024);
      EXPECT_EQ(row->height, 256);
    } else {
      EXPECT_TRUE(PowerOfTwo(row->width) && PowerOfTwo(row->height)) << row->width << "x" << row->height;
    }
    if (number >= 1430 && number <= 1444) {
      EXPECT_EQ(row->width, 256);
      EXPECT_EQ(row->height, 64);
    }
    const PBitmapFile::Image image = Picture(number);
    EXPECT_EQ(image.width, row->width);
    EXPECT_EQ(image.height, row->height);
  }
  // And no texture row the loaders do not ask for.
  for (const auto& row : Catalogue().Rows()) {
    if (row.texture) {
      EXPECT_EQ(wanted.count(row.number), 1u) << row.number;
    }
  }
}

TEST(BattlefieldTexturesTest, RoadAndTerrainPiecesShowTheirMaskAtEveryCellCentre) {
  int32_t pieces = 0;
  for (const auto& row : Catalogue().Rows()) {
    if (row.recipe != "piece") continue;
    SCOPED_TRACE(row.number);
    ++pieces;
    const bool road = row.args.count("road") != 0;
    const int32_t mask = std::atoi(row.args.at(road ? "road" : "shape").c_str());
    const PBitmapFile::Image image = Picture(row.number);
    ASSERT_EQ(image.width, row.width);
    // The cell at offset i along x and j along y is mask row 9 - j, column i; the renderer
    // puts v = 0 (the tile's south edge) on the bottom row, so mask row r is the r-th tenth
    // of the bitmap from the top.
    for (int32_t r = 0; r < 10; ++r)
      for (int32_t c = 0; c < 10; ++c) {
        const int32_t x = (2 * c + 1) * image.width / 20, y = (2 * r + 1) * image.height / 20;
        const bool shown = image.pixels[static_cast<size_t>(y) * image.width + x] != 0xFF00FF;
        const bool set = road ? TileMasks::RoadCell(mask, r, c) : TileMasks::ShapeCell(mask, r, c);
        EXPECT_EQ(shown, set) << "mask row " << r << ", column " << c;
      }
  }
  EXPECT_EQ(pieces, 103 + 48);
}

namespace {

// Whether the ground under the two edges of the window the map samples (0.012 and 0.988 of
// the bitmap, read between the two nearest lines of texels as the renderer's filter reads
// them) is the same: it differs by less than half of what two neighbouring lines differ on
// average.
bool MeetsAcrossTheWindow(const PBitmapFile::Image& image, bool columns) {
  const int32_t n = columns ? image.width : image.height;
  const int32_t along = columns ? image.height : image.width;
  auto channel = [&](int32_t line, int32_t k, int shift) {
    const size_t i = columns ? static_cast<size_t>(k) * image.width + line : static_cast<size_t>(line) * image.width + k;
    return static_cast<double>(image.pixels[i] >> shift & 255);
  };
  // A channel at a fractional line position.
  auto at = [&](double position, int32_t k, int shift) {
    const auto line = static_cast<int32_t>(std::floor(position));
    const double f = position - line;
    return channel(line, k, shift) * (1 - f) + channel(line + 1, k, shift) * f;
  };
  const double low = TextureRecipes::kPieceInset * n - 0.5;
  const double high = (1.0 - TextureRecipes::kPieceInset) * n - 0.5;
  double across = 0;
  for (int32_t k = 0; k < along; ++k)
    for (int shift : {0, 8, 16}) across += std::abs(at(low, k, shift) - at(high, k, shift));
  across /= 3.0 * along;
  double neighbours = 0;
  for (int32_t k = 0; k + 1 < n; ++k) neighbours += LineDifference(image, k, k + 1, columns);
  return across < neighbours / (n - 1) * 0.5;
}

}  // namespace

TEST(BattlefieldTexturesTest, TerrainBandsAndSkyWallsWrapWithNoVisibleEdge) {
  int32_t bands = 0;
  for (const auto& row : Catalogue().Rows()) {
    if (row.recipe != "band") continue;
    SCOPED_TRACE(row.number);
    ++bands;
    const PBitmapFile::Image image = Picture(row.number);
    // The map lays the square from 0.012 to 0.988 of the bitmap: what lies under those two
    // lines is the same ground.
    for (bool columns : {false, true}) EXPECT_TRUE(MeetsAcrossTheWindow(image, columns)) << columns;
  }
  EXPECT_EQ(bands, 80);
  // The sky walls meet around the box: their left and right edges likewise.
  int32_t skies = 0;
  for (const auto& row : Catalogue().Rows()) {
    if (row.recipe != "sky") continue;
    SCOPED_TRACE(row.number);
    ++skies;
    const PBitmapFile::Image image = Picture(row.number);
    EXPECT_LE(LineDifference(image, 0, image.width - 1, true), InteriorDifference(image, true) * 1.1);
  }
  EXPECT_EQ(skies, 30);
}

// A piece the map lays with its corners pulled in meets itself across the tile edge, in both
// directions, where its ground covers the whole tile (the raised ways are laid to the
// bitmap's edges instead).
TEST(BattlefieldTexturesTest, InsetPiecesMeetThemselvesAtTheWindowEdges) {
  int32_t pieces = 0;
  for (const auto& row : Catalogue().Rows()) {
    if (row.recipe != "piece" || row.args.count("shape") == 0 || row.args.at("shape") != "0") continue;
    const std::string& ground = row.args.at("ground");
    if (ground == "road" || ground == "main-road" || ground == "track") continue;
    SCOPED_TRACE(row.number);
    ++pieces;
    const PBitmapFile::Image image = Picture(row.number);
    for (bool columns : {false, true}) EXPECT_TRUE(MeetsAcrossTheWindow(image, columns)) << columns;
  }
  EXPECT_GT(pieces, 10);
}

// A texture that does not repeat fails the same measure: a ramp from top to bottom, and a
// window cut out of a band that ends in the middle of a patch.
TEST(BattlefieldTexturesTest, TheWrapMeasureSeesASeam) {
  PBitmapFile::Image ramp;
  ramp.width = ramp.height = 64;
  for (int32_t y = 0; y < 64; ++y)
    for (int32_t x = 0; x < 64; ++x) ramp.pixels.push_back(static_cast<uint32_t>(y * 4) * 0x010101u);
  EXPECT_GT(LineDifference(ramp, 0, 63, false), InteriorDifference(ramp, false) * 1.1);
  PBitmapFile::Image cut = Picture(1470);
  cut.height = 192;
  cut.pixels.resize(static_cast<size_t>(cut.width) * cut.height);
  EXPECT_GT(LineDifference(cut, 0, 191, false), InteriorDifference(cut, false) * 1.1);
}

namespace {

int32_t Differing(const PBitmapFile::Image& a, const PBitmapFile::Image& b) {
  int32_t n = 0;
  for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

int32_t Covered(const PBitmapFile::Image& a) {
  int32_t n = 0;
  for (uint32_t p : a.pixels) n += p != 0xFF00FF;
  return n;
}

}  // namespace

// The 18 fire frames are a loop: the last leads into the first no more abruptly than one frame
// into the next. The ten smoke puff frames grow.
TEST(BattlefieldTexturesTest, FireFramesLoopAndSmokePuffsGrow) {
  std::vector<PBitmapFile::Image> fire;
  for (int32_t i = 0; i < 18; ++i) fire.push_back(Picture(1700 + i));
  int32_t most = 0;
  for (int32_t i = 0; i + 1 < 18; ++i) {
    const int32_t step = Differing(fire[i], fire[i + 1]);
    EXPECT_GT(step, 0) << i;  // it moves
    most = std::max(most, step);
  }
  EXPECT_LE(Differing(fire[17], fire[0]), most);
  int32_t previous = 0;
  for (int32_t i = 0; i < 10; ++i) {
    const int32_t covered = Covered(Picture(1720 + i));
    EXPECT_GT(covered, previous) << i;
    previous = covered;
  }
}

// The puffs of smoke columns and lying clouds are drawn turned about the line of sight by
// each puff's own angle, so each picture is round: as much smoke in its top half as in its
// bottom half and in its left half as in its right (a picture widening upwards would make
// every puff a wedge and the column a funnel).
TEST(BattlefieldTexturesTest, SmokePuffsAreRound) {
  for (int32_t number : {1800, 1801, 1210}) {
    SCOPED_TRACE(number);
    const PBitmapFile::Image image = Picture(number);
    int32_t top = 0, bottom = 0, left = 0, right = 0;
    for (int32_t y = 0; y < image.height; ++y) {
      for (int32_t x = 0; x < image.width; ++x) {
        if (image.pixels[static_cast<size_t>(y * image.width + x)] == 0xFF00FF) continue;
        (2 * y < image.height ? top : bottom) += 1;
        (2 * x < image.width ? left : right) += 1;
      }
    }
    ASSERT_GT(top + bottom, image.width * image.height / 8);
    EXPECT_NEAR(top, bottom, (top + bottom) / 8);
    EXPECT_NEAR(left, right, (left + right) / 8);
  }
}

// The heaviest battle: every tile piece and building variant of its ground, counted as the
// loader counts (width x 2 x height), fits 16 MiB.
TEST(BattlefieldTexturesTest, OneBattlesTexturesFitSixteenMebibytes) {
  const int64_t budget = 16ll * 1024 * 1024;
  int64_t heaviest = 0;
  for (bool snow : {false, true})
    for (int32_t season = 0; season < 4; ++season)
      for (int32_t bandSet = 0; bandSet < 2; ++bandSet) {
        std::set<int32_t> s = {snow ? 810 : 1503, 672, 1300, snow ? 1218 : 1208, snow ? 1219 : 1217, 1210, 1209,
                               1800, 1801, snow ? 971 : 671, snow ? 842 : 612, snow ? 842 : 625, 1204, 1205, 1206,
                               2020, 1222, 1223, 10049, 446, 447, 1400};
        AddRange(s, 1212, 1215);
        AddRange(s, 1700, 1717);
        AddRange(s, 1720, 1729);
        AddRange(s, 5100, 5111);
        for (int32_t n : TreeSlots(snow, season)) s.insert(n);
        const int32_t band = snow ? (bandSet ? 1470 : 800) : (bandSet ? 1550 : 1500);
        AddRange(s, band, band + 19);
        if (snow) {
          const std::set<int32_t> pieces = SnowPieces();
          s.insert(pieces.begin(), pieces.end());
        } else {
          AddRange(s, 600, 702);
        }
        for (int32_t v : WallVariants())
          for (int32_t f = 0; f < 3; ++f) s.insert((snow ? 860 : 300) + v + f);
        s.insert(snow ? 896 : 336);
        for (int32_t n : {390, 391, 392, 393, 613}) s.insert(n);
        if (snow) s.insert(1200);
        else s.insert({1201, 1202});
        int64_t bytes = 0;
        for (int32_t n : s) {
          const BitmapCatalogue::Row* row = Catalogue().Find(n);
          ASSERT_NE(row, nullptr) << n;
          bytes += static_cast<int64_t>(row->width) * 2 * row->height;
        }
        heaviest = std::max(heaviest, bytes);
      }
  EXPECT_LE(heaviest, budget);
  std::printf("heaviest battle: %lld bytes of textures\n", static_cast<long long>(heaviest));
}

namespace {

// A bitmap as the graphics store makes a texture of it: ARGB1555, magenta transparent.
std::unique_ptr<PSurface> Texture(int32_t number) {
  const PBitmapFile::Image image = Picture(number);
  auto texture = std::make_unique<PSurface>(image.width, image.height, PPixelFormat::kARGB1555);
  PSurface& surface = *texture;
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x) {
      const uint32_t rgb = image.pixels[static_cast<size_t>(y) * image.width + x];
      surface.Row16(y)[x] =
          rgb == 0xFF00FF ? 0 : static_cast<uint16_t>(PBitmapFile::ToPixel(rgb, PPixelFormat::kARGB1555) | 0x8000);
    }
  return texture;
}

struct Rgb {
  int r, g, b;
};

Rgb ScreenColour(const SoftRig& rig, int32_t x, int32_t y) {
  const uint16_t p = rig.screen.Row16(y)[x];
  return {(p >> 11 & 31) * 255 / 31, (p >> 5 & 63) * 255 / 63, (p & 31) * 255 / 31};
}

Rgb TextureColour(const PBitmapFile::Image& image, int32_t x, int32_t y) {
  const uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
  return {static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255), static_cast<int>(p & 255)};
}

int Brightness(Rgb c) { return c.r + c.g + c.b; }

}  // namespace

// Drawn as the tree pass and the backdrop draw them (z up, v = 0 at the ground), the
// billboard has its trunk at its foot and its crown above, and the sky wall its horizon at
// the foot and the deeper sky above.
TEST(BattlefieldTexturesTest, ATreeBillboardAndASkyWallStandUprightOnTheSoftwareDevice) {
  SoftRig rig(64, 48);
  rig.r->SetBackfaceCulling(false);
  const auto tree = Texture(506);  // summer broadleaf
  FakeGraphic treeGraphic(tree.get());
  rig.r->RenderBegin();
  rig.r->LookAt(0, -1.5f, 0.5f, 0, 0, 0.5f, 0, 0, 1);
  rig.r->SetTexture(&treeGraphic);
  rig.r->DrawTexturedQuad(-0.5f, 0, 0, 0, 0, -0.5f, 0, 1, 0, 0.995f, 0.5f, 0, 1, 1, 0.995f, 0.5f, 0, 0, 1, 0);
  rig.r->RenderEnd();
  // The quad spans rows 13 to 35: near its foot the trunk (brown, red above blue), near its
  // top the leaves (green above red).
  const Rgb trunk = ScreenColour(rig, 32, 33), crown = ScreenColour(rig, 32, 19);
  EXPECT_GT(trunk.r, trunk.b);
  EXPECT_GE(trunk.r, trunk.g);
  EXPECT_GT(crown.g, crown.r);
  EXPECT_GT(crown.g, crown.b);
  // Both pictures are written as the program writes a screen, into a folder of the test's own.
  TestFolder pictures;
  EXPECT_TRUE(PBitmapFile::WriteSurface(rig.screen, pictures.Native() + "render-tree.bmp"));

  SoftRig sky(64, 48);
  sky.r->SetBackfaceCulling(false);
  // A clear summer day, in the small form when the device takes no 1024-wide texture (as the
  // loader chooses it).
  const int32_t number = sky.r->GetMaxTextureSize() >= 1024 ? 1400 : 1430;
  const auto wall = Texture(number);
  FakeGraphic wallGraphic(wall.get());
  sky.r->RenderBegin();
  sky.r->LookAt(0, 0, 0.2f, 0, 1, 0.2f, 0, 0, 1);
  sky.r->SetTexture(&wallGraphic);
  // One wall 10 ahead, from the floor at 0 up to 4; u runs 1 to 0 along it, v from 0.01 at
  // the floor to 1.0 at the top.
  sky.r->DrawTexturedQuad(-10, 10, 0, 1, 0.01f, -10, 10, 4, 1, 1, 10, 10, 4, 0, 1, 10, 10, 0, 0, 0.01f);
  sky.r->RenderEnd();
  const PBitmapFile::Image image = Picture(number);
  // Screen row 24 looks at 0.04 m above the floor, v 0.02: the horizon, 2% up the bitmap.
  const Rgb horizon = TextureColour(image, image.width / 2, image.height * 49 / 50),
            zenith = TextureColour(image, image.width / 2, 0);
  // The wall spans rows 12 to 24.
  const Rgb foot = ScreenColour(sky, 32, 24), top = ScreenColour(sky, 32, 12);
  EXPECT_NEAR(foot.r, horizon.r, 16);
  EXPECT_NEAR(foot.g, horizon.g, 16);
  EXPECT_NEAR(foot.b, horizon.b, 16);
  EXPECT_GT(Brightness(foot), Brightness(top));  // paler at the horizon
  EXPECT_GT(Brightness(horizon), Brightness(zenith));
  EXPECT_TRUE(PBitmapFile::WriteSurface(sky.screen, pictures.Native() + "render-sky.bmp"));
}

TEST(BattlefieldTexturesTest, BadRecipeArgumentsAreRefusedWithTheirReason) {
  const struct {
    const char* row;
    const char* reason;
  } cases[] = {
      {"1 256x256 tex band season=spring level=3", "argument season='spring' is not a value recipe 'band' knows"},
      {"1 256x256 tex band season=summer level=20", "argument level='20' is not a value recipe 'band' knows"},
      {"1 256x256 tex band season=summer", "recipe 'band' needs level"},
      {"1 128x128 tex key piece ground=lava shape=0", "argument ground='lava' is not a value recipe 'piece' knows"},
      {"1 128x128 tex key piece ground=road road=15", "argument road='15' is not a value recipe 'piece' knows"},
      {"1 128x128 tex key piece ground=marsh shape=7", "argument shape='7' is not a value recipe 'piece' knows"},
      {"1 128x128 tex key piece ground=road", "a piece is drawn from either a road or a shape mask"},
      {"1 128x128 tex key piece ground=road road=1 shape=1", "a piece is drawn from either a road or a shape mask"},
      {"1 128x128 tex wall build=castle face=front", "argument build='castle' is not a value recipe 'wall' knows"},
      {"1 128x128 tex wall build=stone face=front variant=3", "recipe 'wall' has no argument 'variant'"},
      {"1 64x64 tex uniform part=boots cloth=khaki", "argument part='boots' is not a value recipe 'uniform' knows"},
      {"1 1024x256 tex sky season=spring sky=night", "argument season='spring' is not a value recipe 'sky' knows"},
      {"1 64x64 2d fire frame=1", "recipe 'fire' draws textures: the use must be tex"},
  };
  for (const auto& c : cases) {
    BitmapCatalogue catalogue;
    ASSERT_TRUE(catalogue.Parse(std::string("# T\n") + c.row + " | L | p\n", "t.txt")) << catalogue.Error();
    std::string reason;
    EXPECT_FALSE(BitmapRecipes::Check(catalogue.Rows()[0], reason)) << c.row;
    EXPECT_EQ(reason, c.reason);
  }
  // The tool stops with the file, the line and the reason, and writes nothing.
  TestFolder scratch;
  const std::string catalogue = scratch.Native() + "bitmaps.txt";
  std::ofstream(catalogue) << "# Terrain\n1500 256x256 tex band season=summer level=0 | L | p\n"
                              "1501 256x256 tex band season=winter level=1 | L | p\n";
  const std::string folder = scratch.Native() + "BMP";
  std::filesystem::create_directories(folder);
  std::string errors;
  EXPECT_EQ(RunTool(catalogue + " " + folder, errors, scratch), 1);
  const std::string expected = "/bitmaps.txt:3: argument season='winter' is not a value recipe 'band' knows\n";
  ASSERT_GE(errors.size(), expected.size()) << errors;
  EXPECT_EQ(errors.substr(errors.size() - expected.size()), expected);
  EXPECT_EQ(errors.find('\n'), errors.size() - 1);
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}
