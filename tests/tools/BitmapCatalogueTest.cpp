#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "BitmapCatalogue.h"
#include "BitmapCatalogueTable.h"
#include "TableTextureNumbers.h"
#include "platform/PBitmapFile.h"
#include "support/TestFolder.h"

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return "";
  std::string bytes(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

const BitmapCatalogue& Catalogue() {
  static BitmapCatalogue catalogue;
  static bool loaded = catalogue.Load(TARVANE_BITMAP_CATALOGUE);
  EXPECT_TRUE(loaded) << catalogue.Error();
  return catalogue;
}

bool Decode(const std::string& path, PBitmapFile::Image& image) {
  const std::string bytes = ReadBytes(path);
  return !bytes.empty() && PBitmapFile::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image);
}

// Runs make_bitmaps with the arguments; its exit status and what it wrote to stderr.
int RunTool(const std::string& arguments, std::string& errors, const TestFolder& scratch) {
  const std::string errorFile = scratch.Native() + "stderr.txt";
  const std::string command = std::string(TARVANE_MAKE_BITMAPS) + " " + arguments + " 2>" + errorFile;
  const int status = std::system(command.c_str());
  errors = ReadBytes(errorFile);
  std::filesystem::remove(errorFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A 64-bit FNV-1a digest of each file of a folder, by name.
std::map<std::string, uint64_t> Digests(const std::string& folder) {
  std::map<std::string, uint64_t> out;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".bmp") != 0) continue;
    const std::string bytes = ReadBytes(entry.path().string());
    uint64_t h = 1469598103934665603ull;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size(); ++i) h = (h ^ p[i]) * 1099511628211ull;
    out[name] = h;
  }
  return out;
}

bool InKeyCell(uint32_t p) { return (p >> 16 & 255) >= 248 && (p & 255) >= 248 && (p >> 8 & 255) < 8; }

}  // namespace

TEST(BitmapCatalogueTest, HasEveryInterfaceNumberAndTheFontRowsEachWithItsLoader) {
  const auto& rows = Catalogue().Rows();
  EXPECT_EQ(rows.size(), 2403u);
  std::set<int32_t> fonts;
  int32_t interface = 0, textures = 0;
  for (const auto& row : rows) {
    EXPECT_FALSE(row.loadedBy.empty()) << row.number;
    EXPECT_FALSE(row.section.empty()) << row.number;
    if (row.recipe == "font-tool")
      fonts.insert(row.number);
    else if (row.texture)
      ++textures;
    else
      ++interface;
  }
  EXPECT_EQ(interface, 238);
  EXPECT_EQ(textures, 2161);
  EXPECT_EQ(fonts, (std::set<int32_t>{30000, 30001, 30002, 30010}));
  // The blocks set aside for the data tables hold a skin for exactly the numbers the vehicle
  // models and the crew weapons name, and the pictures models map whole onto a face; the
  // reinforcement markers' block is full.
  std::set<int32_t> named = TableTextureNumbers();
  EXPECT_EQ(named.size(), 773u);
  // The detail pictures the tables name are drawn by their own recipe: the two hatches, both
  // armies' grilles and road wheels, the US star and the German cross.
  size_t detailNamed = 0;
  for (int32_t n = 4891; n <= 4899; ++n) detailNamed += named.erase(n);
  EXPECT_EQ(detailNamed, 8u);
  std::set<int32_t> skins;
  int32_t markers = 0, details = 0;
  for (const auto& row : rows) {
    if (row.number >= 4100 && row.number <= 4999) {
      if (row.recipe == "vehicle-detail") {
        ++details;
        continue;
      }
      EXPECT_EQ(row.recipe, row.number < 4900 ? "vehicle-skin" : "skin") << row.number;
      skins.insert(row.number);
    }
    markers += row.number >= 10040 && row.number <= 10048 ? 1 : 0;
  }
  EXPECT_EQ(skins, named);
  EXPECT_EQ(details, 9);
  EXPECT_EQ(markers, 9);
  // Sizes fixed by the screens that place them.
  const std::map<int32_t, std::pair<int32_t, int32_t>> fixed = {
      {10019, {272, 748}}, {10013, {273, 39}}, {11240, {260, 20}}, {1000, {365, 84}}, {1001, {365, 84}},
      {2009, {640, 90}},   {2008, {182, 90}},  {2010, {93, 90}},   {2014, {93, 90}},  {2011, {50, 30}},
      {2012, {51, 15}},    {2013, {51, 15}},   {11112, {80, 90}},  {11113, {96, 90}}, {11114, {192, 90}},
      {11150, {140, 480}}, {10037, {52, 36}},  {11000, {640, 480}}, {11001, {800, 600}}, {11002, {1024, 768}}};
  for (const auto& [number, size] : fixed) {
    const BitmapCatalogue::Row* row = Catalogue().Find(number);
    ASSERT_NE(row, nullptr) << number;
    EXPECT_EQ(row->width, size.first) << number;
    EXPECT_EQ(row->height, size.second) << number;
  }
  for (int32_t n = 1600; n <= 1634; ++n) {
    ASSERT_NE(Catalogue().Find(n), nullptr) << n;
    EXPECT_EQ(Catalogue().Find(n)->width, 160);
    EXPECT_EQ(Catalogue().Find(n)->height, 20);
  }
}

TEST(BitmapCatalogueTest, TheLinkedTableHoldsTheCatalogueRows) {
  const auto& rows = Catalogue().Rows();
  ASSERT_EQ(kBitmapCatalogueSize, rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(kBitmapCatalogue[i].number, rows[i].number);
    EXPECT_EQ(kBitmapCatalogue[i].width, rows[i].width);
    EXPECT_EQ(kBitmapCatalogue[i].height, rows[i].height);
    EXPECT_EQ(kBitmapCatalogue[i].strip, rows[i].strip);
    EXPECT_EQ(kBitmapCatalogue[i].key, rows[i].key);
  }
}

// Every row's file is in the build's folder, decodes, has the row's size; strip heights
// divide into their frames; keyed pictures hold magenta (a keyed texture such as a tile
// piece may cover its whole square) and no other picture has a pixel that a 16-bit screen
// would take for the key.
TEST(BitmapCatalogueTest, EveryRowHasItsFileOfItsSizeAndKeyRule) {
  const std::map<int32_t, int32_t> frames = {{11101, 2}, {11103, 2}, {11200, 3}, {11201, 3}, {11203, 3},
                                             {11204, 3}, {11230, 3}, {11231, 3}, {10026, 3}, {10027, 3}};
  for (const auto& [number, count] : frames) {
    const BitmapCatalogue::Row* row = Catalogue().Find(number);
    ASSERT_NE(row, nullptr) << number;
    EXPECT_EQ(BitmapCatalogue::FrameCount(row->strip), count) << number;
  }
  int32_t keyed = 0;
  for (const auto& row : Catalogue().Rows()) {
    SCOPED_TRACE(row.number);
    PBitmapFile::Image image;
    ASSERT_TRUE(Decode(std::string(TARVANE_BITMAP_DIR) + "/" + std::to_string(row.number) + ".bmp", image));
    EXPECT_EQ(image.width, row.width);
    EXPECT_EQ(image.height, row.height);
    if (row.strip >= 0) {
      EXPECT_EQ(image.height % BitmapCatalogue::FrameCount(row.strip), 0);
    }
    bool magenta = false, keyCell = false;
    for (uint32_t p : image.pixels) {
      magenta = magenta || p == 0xFF00FF;
      keyCell = keyCell || (InKeyCell(p) && p != 0xFF00FF);
    }
    if (row.key) {
      ++keyed;
      if (!row.texture) {
        EXPECT_TRUE(magenta);
      }
      EXPECT_FALSE(keyCell);  // a pixel is exact magenta or plainly art
    } else {
      EXPECT_FALSE(magenta || keyCell);
    }
  }
  EXPECT_GE(keyed, 1);
}

// A second run of the tool gives the same bytes as the build's run, and writes the review
// sheet too.
TEST(BitmapCatalogueTest, TheToolGivesByteIdenticalFoldersOnEveryRun) {
  TestFolder scratch;
  const std::string folder = scratch.Native() + "BMP";
  std::filesystem::create_directories(folder);
  std::string errors;
  ASSERT_EQ(RunTool(std::string(TARVANE_BITMAP_CATALOGUE) + " " + folder, errors, scratch), 0) << errors;
  const auto built = Digests(TARVANE_BITMAP_DIR);
  const auto again = Digests(folder);
  ASSERT_EQ(again.size(), 2402u);  // 238 pictures, 2161 textures and the three sheets
  for (const auto& [name, digest] : again) {
    ASSERT_EQ(built.count(name), 1u) << name;
    EXPECT_EQ(built.at(name), digest) << name;
  }
  PBitmapFile::Image sheet;
  EXPECT_TRUE(Decode(folder + "/contact-ui.bmp", sheet));
  EXPECT_TRUE(Decode(folder + "/contact-textures.bmp", sheet));
  EXPECT_TRUE(Decode(folder + "/contact-skins.bmp", sheet));
}

TEST(BitmapCatalogueTest, MalformedRowsAreRefusedWithTheirLine) {
  const std::string head = "# Section\n";
  const std::string good = "10 20x10 2d panel | Loader | purpose\n";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"10 20x10 2d panel | Loader\n", "x.txt:2: a row has three columns separated by '|'"},
      {"0 20x10 2d panel | L | p\n", "x.txt:2: number '0' is not between 1 and 32767"},
      {"32768 20x10 2d panel | L | p\n", "x.txt:2: number '32768' is not between 1 and 32767"},
      {"1x 20x10 2d panel | L | p\n", "x.txt:2: number '1x' is not between 1 and 32767"},
      {"10 20 2d panel | L | p\n", "x.txt:2: size '20' is not WxH with both sides from 1 to 4096"},
      {"10 0x10 2d panel | L | p\n", "x.txt:2: size '0x10' is not WxH with both sides from 1 to 4096"},
      {"10 20x-1 2d panel | L | p\n", "x.txt:2: size '20x-1' is not WxH with both sides from 1 to 4096"},
      {"10 20x10 3d panel | L | p\n", "x.txt:2: use '3d' is neither 2d nor tex"},
      {"10 20x10 2d strip:7 button | L | p\n", "x.txt:2: strip style '7' is not 0 to 6"},
      {"10 20x10 2d strip:2 button | L | p\n", "x.txt:2: height 10 does not divide into the 3 frames of strip style 2"},
      {"10 20x10 2d key | L | p\n", "x.txt:2: the recipe is missing"},
      {"10 20x10 2d panel title=\"OK | L | p\n", "x.txt:2: a quoted text is not closed"},
      {"10 20x10 2d panel tone | L | p\n", "x.txt:2: argument 'tone' is not name=value"},
      {"10 20x10 2d panel | | p\n", "x.txt:2: the code that loads the bitmap is missing"},
      {good, "x.txt:3: number 10 is repeated without 'shared'"},
      {"9 20x10 2d panel | L | p\n", "x.txt:3: number 9 is not above the section's previous row"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    BitmapCatalogue catalogue;
    const std::string text = c.error.find(":3:") != std::string::npos ? head + good + c.text : head + c.text;
    EXPECT_FALSE(catalogue.Parse(text, "x.txt"));
    EXPECT_EQ(catalogue.Error(), c.error);
  }
  // Shared rows still may not repeat; the same number in another section is no repeat of order.
  BitmapCatalogue shared;
  EXPECT_FALSE(shared.Parse("10 20x10 2d shared panel | L | p\n# Other\n10 20x10 2d shared panel | L | p\n", "x.txt"));
  EXPECT_EQ(shared.Error(), "x.txt:3: number 10 is shared: its uses belong in one row");
  BitmapCatalogue ok;
  EXPECT_TRUE(ok.Parse(head + good + "# Other\n5 40x20 tex strip:0 key shared button label=\"A B\" | L | p\n", "x.txt"))
      << ok.Error();
  ASSERT_EQ(ok.Rows().size(), 2u);
  EXPECT_EQ(ok.Rows()[1].args.at("label"), "A B");
  EXPECT_TRUE(ok.Rows()[1].texture && ok.Rows()[1].key && ok.Rows()[1].shared);
  EXPECT_EQ(ok.Rows()[1].strip, 0);
  EXPECT_EQ(ok.Rows()[1].section, "Other");
}

// Unknown recipes and arguments stop the tool before it writes anything.
TEST(BitmapCatalogueTest, TheToolStopsOnABadRowAndWritesNothing) {
  TestFolder scratch;
  const std::string folder = scratch.Native() + "out";
  std::filesystem::create_directories(folder);
  const struct {
    std::string row;
    std::string error;
  } cases[] = {
      {"12 20x10 2d sketch | L | p", "data/bitmaps.txt:3: unknown recipe 'sketch'"},
      {"12 20x10 2d panel colour=red | L | p", "data/bitmaps.txt:3: recipe 'panel' has no argument 'colour'"},
      {"12 20x10 2d icon icon=kettle | L | p",
       "data/bitmaps.txt:3: argument icon='kettle' is not a value recipe 'icon' knows"},
      {"12 20x10 2d strip:3 button | L | p", "data/bitmaps.txt:3: height 10 does not divide into the 3 frames of strip style 3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    const std::string catalogue =
        scratch.WriteFile("data/bitmaps.txt", "# Test\n10 20x10 2d panel | L | p\n" + c.row + "\n");
    std::string errors;
    EXPECT_EQ(RunTool(catalogue + " " + folder, errors, scratch), 1);
    EXPECT_EQ(errors, c.error + "\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
  }
  // The table mode checks the same way; a good catalogue gives its table.
  std::string errors;
  const std::string catalogue = scratch.WriteFile("data/bitmaps.txt", "# Test\n10 20x10 2d strip:0 key panel | L | p\n");
  ASSERT_EQ(RunTool("--table " + catalogue + " " + folder + "/table.cpp", errors, scratch), 0) << errors;
  EXPECT_NE(ReadBytes(folder + "/table.cpp").find("{10, 20, 10, 0, true},"), std::string::npos);
  EXPECT_NE(ReadBytes(folder + "/table.cpp").find("kBitmapCatalogueSize = 1;"), std::string::npos);
}
