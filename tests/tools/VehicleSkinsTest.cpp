// The vehicles' skins as the build draws them: every texture number a vehicle model names has a
// skin in the paint of the army of the vehicles the model depicts and a whitewashed snow form;
// the bands carry the light the renderer does not; the running gear carries track links on its
// left half and tyre tread on its right; and any twenty model slots' textures fit the loader's budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "BitmapCatalogue.h"
#include "BitmapRecipes.h"
#include "BuiltTextures.h"
#include "ModelContract.h"
#include "ModelSource.h"
#include "platform/PBitmapFile.h"
#include "support/TestFolder.h"

namespace {

// The records of a table source: each record's keys and values.
std::vector<std::map<std::string, std::string>> Records(const std::string& table) {
  std::vector<std::map<std::string, std::string>> records;
  std::ifstream in(std::string(TARVANE_DATA_DIR) + "/tables/" + table);
  std::string line;
  while (std::getline(in, line)) {
    const size_t equals = line.find(" = ");
    if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    if (key == "record") records.emplace_back();
    if (!records.empty()) records.back()[key] = line.substr(equals + 3);
  }
  return records;
}

std::vector<int32_t> Numbers(const std::string& text) {
  std::vector<int32_t> out;
  std::istringstream in(text);
  for (int32_t n = 0; in >> n;) out.push_back(n);
  return out;
}

// Each vehicle model's texture numbers (entries 1 to 16, zeros left out).
std::vector<std::vector<int32_t>> ModelTextures() {
  std::vector<std::vector<int32_t>> models;
  for (auto& record : Records("vehicle_models.txt")) {
    std::vector<int32_t> numbers = Numbers(record["textures"]);
    for (int32_t n : Numbers(record["extra_textures"])) numbers.push_back(n);
    numbers.erase(std::remove(numbers.begin(), numbers.end(), 0), numbers.end());
    models.push_back(numbers);
  }
  return models;
}

// The vehicles each slot's source depicts: the names its header's depicts lines give.
std::map<int32_t, std::vector<std::string>> SlotDepictions() {
  std::vector<ModelContract> contracts;
  std::string text, error;
  EXPECT_TRUE(ReadModelFile(TARVANE_MODEL_DIR "/contract.txt", text));
  EXPECT_TRUE(ReadModelContracts(text, "contract.txt", contracts, error)) << error;
  std::map<int32_t, std::vector<std::string>> depicted;
  for (const ModelContract& c : contracts) {
    EXPECT_TRUE(ReadModelFile(std::string(TARVANE_MODEL_DIR "/") + ModelSourceName(c), text)) << ModelSourceName(c);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      const std::string head = "depicts \"";
      const size_t end = line.find('"', head.size());
      if (line.compare(0, head.size(), head) != 0 || end == std::string::npos) continue;
      for (const int32_t slot : c.slots) depicted[slot].push_back(line.substr(head.size(), end - head.size()));
    }
  }
  return depicted;
}

std::string Unquoted(const std::string& text) {
  return text.size() >= 2 && text.front() == '"' && text.back() == '"' ? text.substr(1, text.size() - 2) : text;
}

// The army of each model: the nationality of most of the classes it depicts (classes 0-61
// German, 62-131 American, 132-221 British and Commonwealth), or, where it depicts none of its
// classes, of most of the classes that use it; empty for a model no fighting class uses. A tie
// goes to the army of the vehicle the slot depicts first. A class still waiting for a shape of
// its own draws on the nearest slot in that slot's paint: a skin has one paint, the depicted
// vehicle's.
std::map<int32_t, std::string> ModelArmies() {
  const std::map<int32_t, std::vector<std::string>> depictions = SlotDepictions();
  std::map<int32_t, std::map<std::string, int32_t>> votes, depictedVotes;
  std::map<int32_t, std::string> firstDepicted;
  for (auto& record : Records("vehicles.txt")) {
    const int32_t index = std::stoi(record["record"]);
    if (index > 221) continue;
    const int32_t model = std::stoi(record["model"]);
    const std::string army = index <= 61 ? "german" : index <= 131 ? "us" : "british";
    votes[model][army]++;
    const auto slot = depictions.find(model);
    if (slot == depictions.end()) continue;
    for (const std::string& vehicle : slot->second)
      if (NamesDepictedVehicle(Unquoted(record["name"]), vehicle) || NamesDepictedVehicle(Unquoted(record["short_name"]), vehicle)) {
        depictedVotes[model][army]++;
        if (vehicle == slot->second.front()) firstDepicted.emplace(model, army);
        break;
      }
  }
  std::map<int32_t, std::string> armies;
  for (const auto& [model, all] : votes) {
    const auto depicted = depictedVotes.find(model);
    const std::map<std::string, int32_t>& count = depicted != depictedVotes.end() ? depicted->second : all;
    const auto first = firstDepicted.find(model);
    std::string best = first != firstDepicted.end() ? first->second : "";
    for (const char* army : {"german", "us", "british"})
      if (count.count(army) != 0 && (best.empty() || count.at(army) > count.at(best))) best = army;
    armies[model] = best;
  }
  return armies;
}

// The slots no fighting class draws, each in the paint of the army that fielded the vehicle it
// depicts.
const std::map<int32_t, std::string> kUnusedSlotArmies = {{6, "us"},      {25, "us"},     {34, "us"},     {60, "german"},
                                                          {83, "german"}, {85, "german"}, {93, "german"}};

std::string Arg(const BitmapCatalogue::Row& row, const std::string& name) {
  auto it = row.args.find(name);
  return it == row.args.end() ? "" : it->second;
}

bool PowerOfTwo(int32_t v) { return v >= 16 && v <= 256 && (v & (v - 1)) == 0; }

struct Mean {
  double r = 0, g = 0, b = 0;
  double Light() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

// The mean colour of the rows [top, bottom) of a picture, as 0-255 channels.
Mean RowsMean(const PBitmapFile::Image& image, int32_t top, int32_t bottom, int32_t left = 0, int32_t right = -1) {
  if (right < 0) right = image.width;
  Mean m;
  double n = 0;
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = left; x < right; ++x) {
      const uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
      m.r += p >> 16 & 255;
      m.g += p >> 8 & 255;
      m.b += p & 255;
      ++n;
    }
  m.r /= n;
  m.g /= n;
  m.b /= n;
  return m;
}

// The mean colour of band b (0 top, 1 sides, 2 front and rear, 3 underside): v = 0 is the
// bottom row, so band b lies b quarters up from the foot.
Mean BandMean(const PBitmapFile::Image& image, int32_t band) {
  const int32_t quarter = image.height / 4;
  return RowsMean(image, image.height - (band + 1) * quarter, image.height - band * quarter);
}

// A model of each army: the Panzer IV, the Sherman, the Cromwell and the Ram Kangaroo.
const std::map<std::string, int32_t> kArmyModels = {{"german", 63}, {"us", 3}, {"british", 41}, {"canadian", 50}};

}  // namespace

TEST(VehicleSkinsTest, EveryNumberAModelNamesHasASkinInItsArmysPaintAndASnowForm) {
  const std::vector<std::vector<int32_t>> models = ModelTextures();
  const std::map<int32_t, std::string> armies = ModelArmies();
  ASSERT_EQ(models.size(), 99u);
  std::set<int32_t> named;
  for (size_t m = 0; m < models.size(); ++m)
    for (int32_t number : models[m]) {
      SCOPED_TRACE(number);
      named.insert(number);
      EXPECT_GE(number, 4100);
      EXPECT_LE(number, 4899);
      const BitmapCatalogue::Row* row = Catalogue().Find(number);
      const BitmapCatalogue::Row* snow = Catalogue().Find(number + 10000);
      ASSERT_NE(row, nullptr);
      ASSERT_NE(snow, nullptr);
      EXPECT_TRUE(row->texture);
      EXPECT_TRUE(PowerOfTwo(row->width) && PowerOfTwo(row->height)) << row->width << "x" << row->height;
      EXPECT_EQ(snow->width, row->width);
      EXPECT_EQ(snow->height, row->height);
      EXPECT_EQ(snow->recipe, row->recipe);
      EXPECT_EQ(Arg(*snow, "snow"), "yes");
      EXPECT_EQ(Arg(*row, "snow"), "");
      EXPECT_EQ(Arg(*snow, "army"), Arg(*row, "army"));
      if (row->recipe != "vehicle-skin") continue;
      EXPECT_EQ(Arg(*snow, "part"), Arg(*row, "part"));
      const int32_t slot = static_cast<int32_t>(m);
      const std::string army = armies.count(slot) != 0             ? armies.at(slot)
                               : kUnusedSlotArmies.count(slot) != 0 ? kUnusedSlotArmies.at(slot)
                                                                    : "";
      if (!army.empty()) {
        // Canadian paint is for the British and Commonwealth classes Canada built.
        const std::string painted = Arg(*row, "army") == "canadian" ? "british" : Arg(*row, "army");
        EXPECT_EQ(painted, army) << "model " << m;
      }
    }
  // No vehicle skin sits in the models' block without a model naming it.
  for (const BitmapCatalogue::Row& row : Catalogue().Rows())
    if (row.recipe == "vehicle-skin" && row.number < 10000) {
      EXPECT_EQ(named.count(row.number), 1u) << row.number;
    }
}

// The crew weapons' pictures have snow forms 10000 above, drawn by the same recipe in the same
// size, army and part: the plain picture's steel under a whitewash, so lighter texel by texel
// (bar the odd bright rivet) and much lighter as a whole.
TEST(VehicleSkinsTest, EveryCrewWeaponPictureHasAWhitewashedSnowForm) {
  std::set<int32_t> numbers;
  for (auto& record : Records("weapon_draws.txt"))
    for (int32_t n : Numbers(record["textures"])) numbers.insert(n);
  ASSERT_EQ(numbers.size(), 72u);
  for (int32_t number : numbers) {
    SCOPED_TRACE(number);
    const BitmapCatalogue::Row* row = Catalogue().Find(number);
    const BitmapCatalogue::Row* snow = Catalogue().Find(number + 10000);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(snow, nullptr);
    EXPECT_EQ(snow->recipe, row->recipe);
    EXPECT_EQ(snow->width, row->width);
    EXPECT_EQ(snow->height, row->height);
    EXPECT_TRUE(snow->texture);
    EXPECT_EQ(Arg(*snow, "army"), Arg(*row, "army"));
    EXPECT_EQ(Arg(*snow, "part"), Arg(*row, "part"));
    EXPECT_EQ(Arg(*snow, "snow"), "yes");
    EXPECT_EQ(Arg(*row, "snow"), "");
    const PBitmapFile::Image plain = Picture(number), white = Picture(number + 10000);
    ASSERT_EQ(plain.pixels.size(), white.pixels.size());
    auto light = [](uint32_t p) { return 0.299 * (p >> 16 & 255) + 0.587 * (p >> 8 & 255) + 0.114 * (p & 255); };
    size_t lighter = 0;
    for (size_t i = 0; i < plain.pixels.size(); ++i) lighter += light(white.pixels[i]) >= light(plain.pixels[i]) ? 1 : 0;
    EXPECT_GE(lighter * 100, plain.pixels.size() * 97);
    EXPECT_GT(RowsMean(white, 0, white.height).Light(), RowsMean(plain, 0, plain.height).Light() + 60.0);
  }
}

// The textures of one model slot as the loader counts them (width x 2 x height each): its own
// numbers, in the larger of their plain and snow forms, and the heaviest running-gear picture.
TEST(VehicleSkinsTest, AnyTwentySlotsTexturesFitSixMebibytes) {
  auto bytes = [](int32_t number) -> int64_t {
    const BitmapCatalogue::Row* row = Catalogue().Find(number);
    return row == nullptr ? 0 : static_cast<int64_t>(row->width) * 2 * row->height;
  };
  int64_t gear = 0;
  for (int32_t n = 4020; n <= 4028; ++n) {
    ASSERT_GT(bytes(n), 0) << n;
    gear = std::max(gear, bytes(n));
  }
  std::vector<int64_t> slots;
  for (const std::vector<int32_t>& numbers : ModelTextures()) {
    int64_t total = gear;
    for (int32_t n : std::set<int32_t>(numbers.begin(), numbers.end())) total += std::max(bytes(n), bytes(n + 10000));
    slots.push_back(total);
  }
  std::sort(slots.rbegin(), slots.rend());
  ASSERT_GE(slots.size(), 20u);
  int64_t heaviest = 0;
  for (size_t i = 0; i < 20; ++i) heaviest += slots[i];
  EXPECT_LE(heaviest, 6ll * 1024 * 1024);
}

TEST(VehicleSkinsTest, BandsCarryTheirLightAndArmiesReadAsTheirPaint) {
  // Every skin and snow form: the top brightest, then the sides, the front and rear, the
  // underside darkest, each clearly; and the picture wraps across u, the pair of columns across
  // its edge no outlier above the neighbours inside (a tenth of slack, as any pair may happen to
  // be the largest).
  int32_t skins = 0;
  for (const BitmapCatalogue::Row& row : Catalogue().Rows()) {
    if (row.recipe != "vehicle-skin") continue;
    SCOPED_TRACE(row.number);
    ++skins;
    const PBitmapFile::Image image = Picture(row.number);
    ASSERT_EQ(image.width, row.width);
    ASSERT_EQ(image.height, row.height);
    for (int32_t band = 0; band < 3; ++band)
      EXPECT_GT(BandMean(image, band).Light(), BandMean(image, band + 1).Light() * 1.1) << "band " << band;
    // A seam stands well above the interior's texel-to-texel noise; the margin allows for it.
    EXPECT_LE(LineDifference(image, 0, image.width - 1, true), InteriorDifference(image, true) * 1.2);
  }
  EXPECT_EQ(skins, 2 * 693);
  for (const auto& [army, model] : kArmyModels) {
    for (int32_t number : {4100 + 8 * model, 4100 + 8 * model + 3}) {
      SCOPED_TRACE(army + " " + std::to_string(number));
      const BitmapCatalogue::Row* row = Catalogue().Find(number);
      ASSERT_NE(row, nullptr);
      EXPECT_EQ(Arg(*row, "army"), army);
      const PBitmapFile::Image image = Picture(number);
      const Mean sides = BandMean(image, 1);
      if (army == "german") {
        // Dark yellow under its green and brown: red above green, both well above blue.
        EXPECT_GT(sides.r, sides.g);
        EXPECT_GT(sides.g, sides.b + 25);
      } else if (army == "us") {
        // Olive drab: red and green close, blue low.
        EXPECT_NEAR(sides.r, sides.g, 10);
        EXPECT_GT(sides.g, sides.b + 20);
      } else {
        // The Commonwealth greens: green leads.
        EXPECT_GT(sides.g, sides.r + 5);
        EXPECT_GT(sides.g, sides.b + 20);
      }
    }
  }
  // The paints tell the armies apart.
  const Mean german = BandMean(Picture(4100 + 8 * kArmyModels.at("german")), 1),
             us = BandMean(Picture(4100 + 8 * kArmyModels.at("us")), 1);
  EXPECT_GT(german.Light(), us.Light() + 10);
}

TEST(VehicleSkinsTest, SnowFormsAreWhitewashWithThePaintShowingThrough) {
  for (int32_t number : {4100, 4103, 4100 + 8 * 45, 4100 + 8 * 68 + 1, 4100 + 8 * 80 + 5, 4891, 4894}) {
    SCOPED_TRACE(number);
    const PBitmapFile::Image plain = Picture(number), snow = Picture(number + 10000);
    ASSERT_EQ(plain.pixels.size(), snow.pixels.size());
    EXPECT_GT(RowsMean(snow, 0, snow.height).Light(), RowsMean(plain, 0, plain.height).Light() + 40);
    // Some texels keep the paint as it was, most do not.
    size_t kept = 0;
    for (size_t i = 0; i < plain.pixels.size(); ++i) {
      int32_t most = 0;
      for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(static_cast<int>(plain.pixels[i] >> shift & 255) -
                                       static_cast<int>(snow.pixels[i] >> shift & 255)));
      kept += most <= 24 ? 1 : 0;
    }
    EXPECT_GT(kept, plain.pixels.size() / 100);
    EXPECT_LT(kept, plain.pixels.size() / 2);
  }
}

TEST(VehicleSkinsTest, RunningGearCarriesLinksOnTheLeftHalfAndTreadOnTheRight) {
  for (int32_t number = 4020; number <= 4028; ++number) {
    SCOPED_TRACE(number);
    const PBitmapFile::Image image = Picture(number);
    const int32_t half = image.width / 2;
    const Mean links = RowsMean(image, 0, image.height, 0, half), tread = RowsMean(image, 0, image.height, half, image.width);
    // Steel links (or a half-track's steel-rimmed pads) against black rubber, but on snow,
    // which packs both.
    if (number % 3 != 2) {
      EXPECT_GT(links.Light(), tread.Light() + 8);
    }
    // The picture repeats along v: its first and last rows join as neighbours inside do.
    EXPECT_LE(LineDifference(image, 0, image.height - 1, false), InteriorDifference(image, false) * 1.1);
  }
  // Three links to a repeat: the left half's rows vary with a period of a third of the height.
  const PBitmapFile::Image track = Picture(4020);
  const int32_t third = track.height / 3;
  double same = 0, shifted = 0;
  for (int32_t y = 0; y + third < track.height; ++y) {
    same += std::abs(RowsMean(track, y, y + 1, 0, track.width / 2).Light() -
                     RowsMean(track, y + third, y + third + 1, 0, track.width / 2).Light());
    shifted += std::abs(RowsMean(track, y, y + 1, 0, track.width / 2).Light() -
                        RowsMean(track, y + third / 2, y + third / 2 + 1, 0, track.width / 2).Light());
  }
  EXPECT_LT(same, shifted);
  // Snow packs the gear white.
  EXPECT_GT(RowsMean(Picture(4022), 0, 64).Light(), RowsMean(Picture(4020), 0, 64).Light() + 20);
}

TEST(VehicleSkinsTest, RecipesDrawTheSameTexelsEachTimeAndRefuseBadArguments) {
  BitmapCatalogue catalogue;
  ASSERT_TRUE(catalogue.Parse("1 64x64 tex vehicle-skin army=french part=0 | a | b\n"
                              "2 64x64 tex vehicle-skin army=us part=16 | a | b\n"
                              "3 64x64 tex vehicle-skin army=us | a | b\n"
                              "4 64x64 tex vehicle-detail what=periscope army=us | a | b\n"
                              "5 64x64 2d vehicle-detail what=hatch army=us | a | b\n"
                              "4100 64x64 tex vehicle-skin army=german part=0 | a | b\n"
                              "4897 64x64 tex vehicle-detail what=insignia army=german | a | b\n"
                              "14100 64x64 tex vehicle-skin army=german part=0 snow=yes | a | b\n",
                              "t"))
      << catalogue.Error();
  const auto& rows = catalogue.Rows();
  ASSERT_EQ(rows.size(), 8u);
  std::string reason;
  const char* reasons[] = {"argument army='french' is not a value recipe 'vehicle-skin' knows",
                           "argument part='16' is not a value recipe 'vehicle-skin' knows",
                           "recipe 'vehicle-skin' needs part",
                           "argument what='periscope' is not a value recipe 'vehicle-detail' knows",
                           "recipe 'vehicle-detail' draws textures: the use must be tex"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_FALSE(BitmapRecipes::Check(rows[i], reason)) << rows[i].number;
    EXPECT_EQ(reason, reasons[i]);
  }
  for (size_t i = 5; i < 8; ++i) {
    EXPECT_TRUE(BitmapRecipes::Check(rows[i], reason)) << reason;
    EXPECT_EQ(BitmapRecipes::Draw(rows[i], catalogue), BitmapRecipes::Draw(rows[i], catalogue));
  }
  EXPECT_NE(BitmapRecipes::Draw(rows[5], catalogue), BitmapRecipes::Draw(rows[7], catalogue));
}

// The contact sheet drawn with the skins, as the game binds them: the same bytes on every run,
// and the light baked into the bands reaches the screen the right way up (slot 36, the second
// of sheet b: its hull seen from above is brighter than from the side).
TEST(VehicleSkinsTest, TheModelSheetInTheSkinsShowsTopsBrighterThanSides) {
  TestFolder folder;
  const std::string base = folder.Native() + "skin_sheet_";
  std::string sheets[2];
  for (int run = 0; run < 2; ++run) {
    const std::string dir = base + std::to_string(run);
    ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
    const std::string command = std::string("SDL_VIDEODRIVER=dummy ") + MODEL_SHEET + " " TARVANE_MODEL_DIR " " + dir +
                                " --textures " TARVANE_BITMAP_DIR " " TARVANE_DATA_DIR
                                "/tables --only models-b.bmp >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(dir + "/models-b.bmp", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    sheets[run] = bytes.str();
  }
  ASSERT_FALSE(sheets[0].empty());
  EXPECT_EQ(sheets[0], sheets[1]);
  PBitmapFile::Image image;
  ASSERT_TRUE(PBitmapFile::Decode(reinterpret_cast<const uint8_t*>(sheets[0].data()), sheets[0].size(), image));
  const uint32_t background = image.pixels[static_cast<size_t>(143 * image.width + 3 * 192 + 191)];
  // Mean light of the drawn pixels of a view cell, leaving out the magenta of entries the
  // tables leave empty.
  auto drawn = [&](int32_t view) {
    double sum = 0;
    int32_t count = 0;
    for (int32_t y = 20; y < 144; ++y)
      for (int32_t x = 0; x < 192; ++x) {
        const uint32_t p = image.pixels[static_cast<size_t>(y * image.width + (3 + view) * 192 + x)];
        const int32_t r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255;
        if (p == background || (r > 200 && b > 200 && g < 80)) continue;
        sum += 0.299 * r + 0.587 * g + 0.114 * b;
        ++count;
      }
    EXPECT_GT(count, 1000) << view;
    return sum / std::max(count, 1);
  };
  EXPECT_GT(drawn(2), drawn(0) * 1.15);
}
