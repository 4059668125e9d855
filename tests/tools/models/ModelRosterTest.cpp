// Every authored model source held to the data tables as the build compiles them: the vehicle
// classes drawn by its slots are vehicles it depicts, every texture entry its routine binds is set
// in each slot's model record and names a row of the bitmap catalogue, and every crew place of the
// record stands on one of its hatches. Templates wait for their models.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

#include "datatables/DataTableCompiler.h"
#include "ModelContract.h"
#include "ModelSource.h"
#include "game/units/VehicleData.h"
#include "game/units/VehicleModelData.h"

namespace {

std::string ReadWhole(const std::string& path) {
  std::string text;
  EXPECT_TRUE(ReadModelFile(path, text)) << path;
  return text;
}

std::vector<uint8_t> Records(const std::string& file) {
  std::vector<uint8_t> out;
  for (const auto& table : DataTableCompiler::Tables()) {
    if (file != table.file) continue;
    const std::string path = std::string(TARVANE_DATA_DIR) + "/tables/" + table.file;
    std::string error;
    EXPECT_TRUE(DataTableCompiler::CompileTable(table, ReadWhole(path), path, out, error)) << error;
  }
  return out;
}

std::set<int32_t> CatalogueRows() {
  std::set<int32_t> rows;
  std::istringstream in(ReadWhole(TARVANE_DATA_DIR "/bitmaps.txt"));
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) rows.insert(std::stoi(line));
  return rows;
}

// A class names a depicted vehicle when its name or short name is the depicted name, or begins
// with it as whole words ("M10 GMC (late)" is an "M10 GMC").
bool Names(std::string_view name, const std::string& depicted) {
  return name.substr(0, depicted.size()) == depicted && (name.size() == depicted.size() || name[depicted.size()] == ' ');
}

// The texture number of a binding entry in a model record, 0 where it is empty: 0 the running
// gear (always set), 1-5 the five textures, 6-16 the further ones the record counts.
int32_t EntryTexture(const VehicleModelData& m, int32_t entry) {
  if (entry == 0) return 4020;
  if (entry <= VehicleModelData::kBaseTextures) return m.Texture(entry - 1);
  const int32_t extra = entry - 1 - VehicleModelData::kBaseTextures;
  return extra < m.ExtraTextureCount() ? m.ExtraTexture(extra) : 0;
}

// What the tables ask of one authored source, as a list of faults.
std::vector<std::string> TableFaults(const ModelContract& c, const ModelSourceInfo& info,
                                     const std::vector<uint8_t>& classes, const std::vector<uint8_t>& models,
                                     const std::set<int32_t>& rows) {
  std::vector<std::string> faults;
  const std::string name = ModelSourceName(c);
  std::set<int32_t> entries;
  for (const ContractGroup& g : c.groups)
    if (g.entry >= 0) entries.insert(g.entry);
  if (!c.strips.empty()) entries.insert(0);
  char buffer[160];
  for (const int32_t slot : c.slots) {
    const std::string where = name + ": slot " + std::to_string(slot) + ": ";
    for (size_t k = 0; k + VehicleData::kSize <= classes.size(); k += VehicleData::kSize) {
      const VehicleData v(classes.data() + k);
      if (v.ModelIndex() != slot) continue;
      bool depicted = false;
      for (const ModelDepiction& d : info.depicts) depicted = depicted || Names(v.Name(), d.name) || Names(v.ShortName(), d.name);
      if (!depicted)
        faults.push_back(where + "class " + std::to_string(k / VehicleData::kSize) + " \"" + std::string(v.Name()) +
                         "\" is not a vehicle it depicts");
    }
    const VehicleModelData m(models.data() + static_cast<size_t>(slot) * VehicleModelData::kSize);
    for (const int32_t e : entries) {
      const int32_t texture = EntryTexture(m, e);
      if (texture == 0) faults.push_back(where + "entry " + std::to_string(e) + " is bound but not set");
      else if (rows.count(texture) == 0)
        faults.push_back(where + "entry " + std::to_string(e) + " names bitmap " + std::to_string(texture) +
                         ", not a catalogue row");
    }
    // The crew drawing places a figure at its place's x, y and z in model units (turned with the
    // turret about the place's pivot, which leaves it where it is at turret angle 0).
    for (int32_t i = 0; i < m.CrewPlaces(); ++i) {
      const float x = m.CrewValue(i, 0), y = m.CrewValue(i, 1), z = m.CrewValue(i, 2);
      bool on = false;
      for (const ModelHatch& h : info.hatches) on = on || std::hypot(x - h.x, y - h.y, z - h.z) <= 0.002f;
      if (!on) {
        std::snprintf(buffer, sizeof buffer, "crew place %d at (%.4f, %.4f, %.4f) stands on no hatch", i,
                      static_cast<double>(x), static_cast<double>(y), static_cast<double>(z));
        faults.push_back(where + buffer);
      }
    }
  }
  return faults;
}

TEST(ModelRoster, AuthoredSourcesAgreeWithTheDataTables) {
  std::vector<ModelContract> all;
  std::string error;
  ASSERT_TRUE(ReadModelContracts(ReadWhole(TARVANE_MODEL_DIR "/contract.txt"), "contract.txt", all, error)) << error;
  const std::vector<uint8_t> classes = Records("vehicles.txt");
  const std::vector<uint8_t> models = Records("vehicle_models.txt");
  ASSERT_EQ(models.size(), 99u * VehicleModelData::kSize);
  const std::set<int32_t> rows = CatalogueRows();
  const ModelPartLoader load = ModelDirectoryLoader(TARVANE_MODEL_DIR);
  std::vector<std::string> faults;
  int32_t authored = 0;
  for (const ModelContract& c : all) {
    const std::string name = ModelSourceName(c);
    ModelRecord record;
    ModelSourceInfo info;
    ASSERT_EQ(CompileModelSource(ReadWhole(std::string(TARVANE_MODEL_DIR "/") + name), name, c, all, load, record, &info), "");
    if (info.isTemplate) continue;
    ++authored;
    for (const std::string& f : TableFaults(c, info, classes, models, rows)) faults.push_back(f);
  }
  EXPECT_GE(authored, 1);
  // Slot 36's routine draws a turreted, tracked tank destroyer with a long gun and binds sixteen
  // texture entries, but the vehicle table draws the VW Schwimmwagen with it and its model
  // record sets seven entries: the tables' slot and textures, not the model, have to change.
  const std::vector<std::string> known = {
      "036.model: slot 36: class 51 \"VW Schwimmwagen\" is not a vehicle it depicts",
      "036.model: slot 36: entry 8 is bound but not set",  "036.model: slot 36: entry 9 is bound but not set",
      "036.model: slot 36: entry 12 is bound but not set", "036.model: slot 36: entry 13 is bound but not set",
      "036.model: slot 36: entry 14 is bound but not set", "036.model: slot 36: entry 15 is bound but not set",
      "036.model: slot 36: entry 16 is bound but not set"};
  EXPECT_EQ(faults, known);
}

TEST(ModelRoster, EachCheckFindsItsFault) {
  // A routine of two slots binding entries 0, 1 and 7, its source depicting the "M10 GMC".
  ModelContract c;
  c.slots = {3, 4};
  c.strips = {{6, 0, 1}};
  c.groups = {ContractGroup{ModelStage::kHull, 1, false, 1, SingleKind::kNone, 0, {}},
              ContractGroup{ModelStage::kHull, 7, false, 1, SingleKind::kNone, 0, {}}};
  ModelSourceInfo info;
  info.depicts.push_back({"M10 GMC", 6.8f, 3.0f, 2.6f, 6, "", 3});
  info.hatches.push_back({"commander", 0.01f, -0.02f, 0.06f, 0.0f, true, 4});
  std::vector<uint8_t> classes(3 * VehicleData::kSize, 0), models(99 * VehicleModelData::kSize, 0);
  auto name = [&classes](size_t k, const char* text, int32_t model) {
    std::snprintf(reinterpret_cast<char*>(classes.data() + k * VehicleData::kSize), 35, "%s", text);
    std::memcpy(classes.data() + k * VehicleData::kSize + 256, &model, 4);
  };
  name(0, "M10 GMC (late)", 3);
  name(1, "M10GMC", 4);
  name(2, "Panther", 5);
  auto set16 = [&models](int32_t slot, int32_t offset, int16_t v) {
    std::memcpy(models.data() + static_cast<size_t>(slot) * VehicleModelData::kSize + static_cast<size_t>(offset), &v, 2);
  };
  auto setF = [&models](int32_t slot, int32_t offset, float v) {
    std::memcpy(models.data() + static_cast<size_t>(slot) * VehicleModelData::kSize + static_cast<size_t>(offset), &v, 4);
  };
  for (const int32_t slot : {3, 4}) {
    set16(slot, 64, 4100);  // entry 1
    set16(slot, 74, 2);     // two further textures: entries 6 and 7
    set16(slot, 76, 4105);
    set16(slot, 78, slot == 3 ? 4106 : 4199);
  }
  models[3 * VehicleModelData::kSize + 3] = 1;  // slot 3: one crew place on the hatch
  setF(3, 12, 0.011f);
  setF(3, 16, -0.021f);
  setF(3, 20, 0.0605f);
  models[4 * VehicleModelData::kSize + 3] = 1;  // slot 4: one 3 mm off it
  setF(4, 12, 0.013f);
  setF(4, 16, -0.021f);
  setF(4, 20, 0.062f);
  const std::set<int32_t> rows = {4020, 4100, 4105, 4106};
  EXPECT_EQ(TableFaults(c, info, classes, models, rows),
            (std::vector<std::string>{"003.model: slot 4: class 1 \"M10GMC\" is not a vehicle it depicts",
                                      "003.model: slot 4: entry 7 names bitmap 4199, not a catalogue row",
                                      "003.model: slot 4: crew place 0 at (0.0130, -0.0210, 0.0620) stands on no hatch"}));
  set16(4, 74, 1);
  EXPECT_EQ(TableFaults(c, info, classes, models, rows)[1], "003.model: slot 4: entry 7 is bound but not set");
}

}  // namespace
