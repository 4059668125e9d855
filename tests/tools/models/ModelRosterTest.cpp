// Every authored model source held to the data tables as the build compiles them: the vehicle
// classes drawn by its slots are vehicles it depicts, every texture entry its routine binds is set
// in each slot's model record and names a row of the bitmap catalogue, and every crew place of the
// record stands on one of its hatches. Templates wait for their models.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "datatables/DataTableCompiler.h"
#include "ModelContract.h"
#include "ModelSource.h"
#include "game/units/tables/VehicleData.h"
#include "game/units/tables/VehicleModelData.h"

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

// The texture number of a binding entry in a model record, 0 where it is empty: 0 the running
// gear (always set), 1-5 the five textures, 6-16 the further ones the record counts.
int32_t EntryTexture(const VehicleModelData& m, int32_t entry) {
  if (entry == 0) return 4020;
  if (entry <= VehicleModelData::kBaseTextures) return m.Texture(entry - 1);
  const int32_t extra = entry - 1 - VehicleModelData::kBaseTextures;
  return extra < m.ExtraTextureCount() ? m.ExtraTexture(extra) : 0;
}

// The texture entries a routine binds: its groups' (and the running gear's entry 0), or the
// entry set a first-half block gives.
std::set<int32_t> BoundEntries(const ModelContract& c) {
  std::set<int32_t> entries(c.entries.begin(), c.entries.end());
  for (const ContractGroup& g : c.groups)
    if (g.entry >= 0) entries.insert(g.entry);
  if (!c.strips.empty()) entries.insert(0);
  return entries;
}

// Every bound entry of one slot's model record set and naming a catalogue row.
void EntryFaults(const std::string& where, const std::set<int32_t>& entries, const VehicleModelData& m,
                 const std::set<int32_t>& rows, std::vector<std::string>& faults) {
  for (const int32_t e : entries) {
    const int32_t texture = EntryTexture(m, e);
    if (texture == 0) faults.push_back(where + "entry " + std::to_string(e) + " is bound but not set");
    else if (rows.count(texture) == 0)
      faults.push_back(where + "entry " + std::to_string(e) + " names bitmap " + std::to_string(texture) +
                       ", not a catalogue row");
  }
}

// Where the crew drawing stands place i's figure, in model units, with the turret at 0 and the
// hatches open: the figure is moved by 0.04 times the place's x, y and z.
struct CrewStand {
  float x, y, z;
};
CrewStand CrewStandOf(const VehicleModelData& m, int32_t i) {
  return {0.04f * m.CrewValue(i, 0), 0.04f * m.CrewValue(i, 1), 0.04f * m.CrewValue(i, 2)};
}

// The pictures a model maps whole onto a face: hatches, grilles, road wheels and insignia.
constexpr int32_t kFirstDetail = 4891;
constexpr int32_t kLastDetail = 4899;

// What the tables ask of one authored source, as a list of faults.
std::vector<std::string> TableFaults(const ModelContract& c, const ModelSourceInfo& info,
                                     const std::vector<uint8_t>& classes, const std::vector<uint8_t>& models,
                                     const std::set<int32_t>& rows) {
  std::vector<std::string> faults;
  const std::string name = ModelSourceName(c);
  const std::set<int32_t> entries = BoundEntries(c);
  char buffer[160];
  for (const int32_t slot : c.slots) {
    const std::string where = name + ": slot " + std::to_string(slot) + ": ";
    for (size_t k = 0; k + VehicleData::kSize <= classes.size(); k += VehicleData::kSize) {
      const VehicleData v(classes.data() + k);
      if (v.ModelIndex() != slot) continue;
      bool depicted = false;
      for (const ModelDepiction& d : info.depicts)
        depicted = depicted || NamesDepictedVehicle(v.Name(), d.name) || NamesDepictedVehicle(v.ShortName(), d.name);
      if (!depicted)
        faults.push_back(where + "class " + std::to_string(k / VehicleData::kSize) + " \"" + std::string(v.Name()) +
                         "\" is not a vehicle it depicts");
    }
    const VehicleModelData m(models.data() + static_cast<size_t>(slot) * VehicleModelData::kSize);
    EntryFaults(where, entries, m, rows, faults);
    // A detail picture is drawn whole on a face: an entry naming one lays no face in bands.
    for (const int32_t e : entries) {
      const int32_t texture = EntryTexture(m, e);
      const auto faces = info.entryFaces.find(e);
      const int32_t banded = faces == info.entryFaces.end() ? 0 : faces->second[1];
      if (texture >= kFirstDetail && texture <= kLastDetail && banded > 0)
        faults.push_back(where + "entry " + std::to_string(e) + " names detail picture " + std::to_string(texture) +
                         " but lays " + std::to_string(banded) + " faces in bands");
    }
    // Each crew place stands on a hatch of the source as the crew drawing places it, turns with
    // the turret exactly when its hatch is on the turret (about the turret's pivot), and faces
    // the hatch's way.
    const float pivot = c.turretPivot.axes != 0 ? c.turretPivot.p[1] : 0.0f;
    for (int32_t i = 0; i < m.CrewPlaces(); ++i) {
      const CrewStand at = CrewStandOf(m, i);
      const ModelHatch* on = nullptr;
      for (const ModelHatch& h : info.hatches)
        if (on == nullptr && std::hypot(at.x - h.x, at.y - h.y, at.z - h.z) <= 0.002f) on = &h;
      if (on == nullptr) {
        std::snprintf(buffer, sizeof buffer, "crew place %d at (%.4f, %.4f, %.4f) stands on no hatch", i,
                      static_cast<double>(at.x), static_cast<double>(at.y), static_cast<double>(at.z));
        faults.push_back(where + buffer);
        continue;
      }
      const int32_t kind = m.CrewKind(i);
      const bool turns = kind == 0 || kind == 1 || kind == 4 || kind == 5 || kind == 8;
      const std::string place = "crew place " + std::to_string(i) + " on the " + on->name + " hatch: ";
      if (kind < 0 || kind > 9) faults.push_back(where + place + "kind " + std::to_string(kind) + " outside 0..9");
      else if (turns != on->turret)
        faults.push_back(where + place + "kind " + std::to_string(kind) + (turns ? " turns" : " stays") +
                         " but the hatch is on the " + (on->turret ? "turret" : "hull"));
      if (std::fabs(m.CrewValue(i, 4) - (on->turret ? pivot : 0.0f)) > 1e-5f)
        faults.push_back(where + place + "turns about the wrong pivot");
      if (std::fabs(m.CrewValue(i, 3) - on->heading) > 0.5f) faults.push_back(where + place + "faces away from it");
    }
  }
  return faults;
}

// The running gear a routine draws, read off its contract: none (neither strips nor track values:
// the box and the boat), tracks (the four pieces of two loops, five with a split run, or track
// values), a half-track (a front wheel and a run a side: ten strips) or wheels (twelve to thirty
// treads). A tank towing a two-wheeled trailer also draws ten strips; its footprint is over 9 m.
enum class Gear { kNone, kWheels, kHalfTrack, kTracks };

Gear GearOf(const ModelContract& c) {
  const size_t strips = c.strips.empty() ? static_cast<size_t>(c.stripCount) : c.strips.size();
  bool trackValues = false;
  for (const ContractGroup& g : c.groups) trackValues = trackValues || g.singleKind == SingleKind::kTrackValues;
  if (strips == 0) return trackValues ? Gear::kTracks : Gear::kNone;
  if (strips <= 5) return Gear::kTracks;
  if (strips == 10) {
    const bool towing = c.hasFootprint && (c.footprint[3] - c.footprint[1]) * 28.867f > 9.0f;
    return towing ? Gear::kTracks : Gear::kHalfTrack;
  }
  return Gear::kWheels;
}

bool HasTurretStage(const ModelContract& c) {
  bool turret = c.stagePrimitives[1] > 0;
  for (const ContractGroup& g : c.groups) turret = turret || g.stage == ModelStage::kTurret;
  return turret;
}

// Each vehicle class drawn by a routine of its own running gear (kinds 0-2 wheeled, 3 half-track,
// 4 tracked; kind 6, an emplacement, by the box, whose gun flash turns as a turret does), and a
// class with a turret (turret speed other than 5) by a routine with a turret stage.
std::vector<std::string> AssignmentFaults(const std::vector<ModelContract>& all, const std::vector<uint8_t>& classes) {
  std::vector<const ModelContract*> bySlot(99, nullptr);
  for (const ModelContract& c : all)
    for (const int32_t slot : c.slots) bySlot[static_cast<size_t>(slot)] = &c;
  static const char* const kGear[] = {"no running gear", "wheels", "a half-track", "tracks"};
  std::vector<std::string> faults;
  for (size_t k = 0; k + VehicleData::kSize <= classes.size(); k += VehicleData::kSize) {
    const VehicleData v(classes.data() + k);
    const std::string who = "class " + std::to_string(k / VehicleData::kSize) + " \"" + std::string(v.Name()) +
                            "\" on slot " + std::to_string(v.ModelIndex()) + ": ";
    const int32_t slot = v.ModelIndex();
    const ModelContract* c = slot >= 0 && slot < 99 ? bySlot[static_cast<size_t>(slot)] : nullptr;
    if (c == nullptr) {
      faults.push_back(who + "no routine draws the slot");
      continue;
    }
    const int32_t kind = v.KindCode();
    if (kind == 6) {
      if (c->form != ModelForm::kBox) faults.push_back(who + "an emplacement drawn by no box");
      continue;
    }
    const Gear wants = kind >= 0 && kind <= 2 ? Gear::kWheels
                       : kind == 3            ? Gear::kHalfTrack
                       : kind == 4            ? Gear::kTracks
                                              : Gear::kNone;
    if (wants == Gear::kNone) faults.push_back(who + "kind " + std::to_string(kind) + " has no running gear");
    else if (GearOf(*c) != wants)
      faults.push_back(who + "kind " + std::to_string(kind) + " drawn on " + kGear[static_cast<int32_t>(GearOf(*c))]);
    if (v.TurretSpeedClass() != 5 && !HasTurretStage(*c)) faults.push_back(who + "a turret drawn by no turret stage");
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
  int32_t authored = 0, crewed = 0, details = 0;
  for (const ModelContract& c : all) {
    const std::string name = ModelSourceName(c);
    ModelRecord record;
    ModelSourceInfo info;
    ASSERT_EQ(CompileModelSource(ReadWhole(std::string(TARVANE_MODEL_DIR "/") + name), name, c, all, load, record, &info), "");
    if (info.isTemplate) continue;
    ++authored;
    for (const std::string& f : TableFaults(c, info, classes, models, rows)) faults.push_back(f);
    for (const int32_t slot : c.slots) {
      const VehicleModelData m(models.data() + static_cast<size_t>(slot) * VehicleModelData::kSize);
      crewed += m.CrewPlaces() > 0 ? 1 : 0;
      for (const int32_t e : BoundEntries(c)) {
        const int32_t texture = EntryTexture(m, e);
        details += texture >= kFirstDetail && texture <= kLastDetail ? 1 : 0;
      }
    }
  }
  EXPECT_GE(authored, 1);
  // The checks are not empty: every slot authored so far shows its crew (86 of them), and some
  // draw detail pictures.
  EXPECT_GE(crewed, 86);
  EXPECT_GE(details, 2);
  // Classes no authored shape fits within the published-figure tolerances yet: each draws on the
  // nearest shape of its kind until a model of its own is made. A class that becomes depicted
  // leaves this list.
  // Some are drawn on running gear of another count of road wheels: the medium tank with six a side
  // (13) and the assault gun with eight (22) on their families' other chassis, the four-by-two and
  // four-by-four lorries (43, 199, 203, 204) on the six-by-six, and the light tractor's five (50)
  // on the light half-track's four.
  const std::set<int32_t> undepicted = {13, 22, 29, 31, 39, 43, 50, 51, 53, 54, 56, 60, 106, 107, 113, 117, 118, 119, 141, 142, 143, 186, 189, 195, 198, 199, 200, 202, 203, 204, 205, 220, 221};
  std::set<int32_t> seen;
  for (const std::string& f : faults) {
    const size_t at = f.find(": class ");
    const int32_t index = at == std::string::npos ? -1 : std::atoi(f.c_str() + at + 8);
    if (f.find("is not a vehicle it depicts") != std::string::npos && undepicted.count(index) != 0) {
      seen.insert(index);
    } else {
      ADD_FAILURE() << f;
    }
  }
  EXPECT_EQ(seen, undepicted);
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
  info.entryFaces[1] = {0, 12};
  info.entryFaces[7] = {1, 0};
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
  // Crew places as the drawing reads them: 0.04 times x, y and z is where the figure stands.
  models[3 * VehicleModelData::kSize + 3] = 1;  // slot 3: one crew place on the hatch
  setF(3, 12, 0.011f / 0.04f);
  setF(3, 16, -0.021f / 0.04f);
  setF(3, 20, 0.0605f / 0.04f);
  models[4 * VehicleModelData::kSize + 3] = 1;  // slot 4: one 3 mm off it
  setF(4, 12, 0.013f / 0.04f);
  setF(4, 16, -0.021f / 0.04f);
  setF(4, 20, 0.062f / 0.04f);
  const std::set<int32_t> rows = {4020, 4100, 4105, 4106, 4891, 4897};
  EXPECT_EQ(TableFaults(c, info, classes, models, rows),
            (std::vector<std::string>{"003.model: slot 4: class 1 \"M10GMC\" is not a vehicle it depicts",
                                      "003.model: slot 4: entry 7 names bitmap 4199, not a catalogue row",
                                      "003.model: slot 4: crew place 0 at (0.0130, -0.0210, 0.0620) stands on no hatch"}));
  set16(4, 74, 1);
  EXPECT_EQ(TableFaults(c, info, classes, models, rows)[1], "003.model: slot 4: entry 7 is bound but not set");
  // The same place stored in model units as written (without the drawing's 0.04) misses it.
  setF(3, 12, 0.011f);
  setF(3, 16, -0.021f);
  setF(3, 20, 0.0605f);
  EXPECT_EQ(TableFaults(c, info, classes, models, rows)[0],
            "003.model: slot 3: crew place 0 at (0.0004, -0.0008, 0.0024) stands on no hatch");
  // On the hatch, a place of a kind that stays on the hull, one that turns about a pivot the
  // turret does not have, and one facing away are each refused.
  setF(3, 12, 0.011f / 0.04f);
  setF(3, 16, -0.021f / 0.04f);
  setF(3, 20, 0.0605f / 0.04f);
  auto slot3 = [&] {
    std::vector<std::string> out;
    for (const std::string& f : TableFaults(c, info, classes, models, rows))
      if (f.rfind("003.model: slot 3: ", 0) == 0) out.push_back(f.substr(19));
    return out;
  };
  EXPECT_EQ(slot3(), std::vector<std::string>{});
  const int32_t hull = 6;
  std::memcpy(models.data() + 3 * VehicleModelData::kSize + 4, &hull, 4);
  setF(3, 28, 0.02f);
  setF(3, 24, 90.0f);
  EXPECT_EQ(slot3(), (std::vector<std::string>{"crew place 0 on the commander hatch: kind 6 stays but the hatch is on the turret",
                                               "crew place 0 on the commander hatch: turns about the wrong pivot",
                                               "crew place 0 on the commander hatch: faces away from it"}));
  // A detail picture on the entry whose one face is mapped whole is right; on the banded hull
  // entry it is refused.
  const int32_t turret = 0;
  std::memcpy(models.data() + 3 * VehicleModelData::kSize + 4, &turret, 4);
  setF(3, 28, 0.0f);
  setF(3, 24, 0.0f);
  set16(3, 78, 4891);
  EXPECT_EQ(slot3(), std::vector<std::string>{});
  set16(3, 64, 4897);
  EXPECT_EQ(slot3(), std::vector<std::string>{"entry 1 names detail picture 4897 but lays 12 faces in bands"});
}

TEST(ModelRoster, EverySlotSetsTheEntriesItsRoutineBinds) {
  std::vector<ModelContract> all;
  std::string error;
  ASSERT_TRUE(ReadModelContracts(ReadWhole(TARVANE_MODEL_DIR "/contract.txt"), "contract.txt", all, error)) << error;
  const std::vector<uint8_t> models = Records("vehicle_models.txt");
  ASSERT_EQ(models.size(), 99u * VehicleModelData::kSize);
  const std::set<int32_t> rows = CatalogueRows();
  std::vector<std::string> faults;
  size_t slots = 0;
  for (const ModelContract& c : all) {
    for (const int32_t slot : c.slots) {
      ++slots;
      const VehicleModelData m(models.data() + static_cast<size_t>(slot) * VehicleModelData::kSize);
      EntryFaults("slot " + std::to_string(slot) + ": ", BoundEntries(c), m, rows, faults);
    }
  }
  EXPECT_EQ(slots, 99u);
  EXPECT_EQ(faults, std::vector<std::string>{});
}

TEST(ModelRoster, EveryClassSitsOnASlotOfItsRunningGearAndTurret) {
  std::vector<ModelContract> all;
  std::string error;
  ASSERT_TRUE(ReadModelContracts(ReadWhole(TARVANE_MODEL_DIR "/contract.txt"), "contract.txt", all, error)) << error;
  // The reading of running gear off the contracts, on slots the vehicles name.
  std::map<int32_t, Gear> gear;
  std::map<int32_t, bool> turret;
  for (const ModelContract& c : all)
    for (const int32_t slot : c.slots) {
      gear[slot] = GearOf(c);
      turret[slot] = HasTurretStage(c);
    }
  EXPECT_EQ(gear[0], Gear::kHalfTrack);  // M3 half-track
  EXPECT_EQ(gear[6], Gear::kTracks);     // a tank and its trailer
  EXPECT_EQ(gear[46], Gear::kTracks);
  EXPECT_EQ(gear[17], Gear::kWheels);  // six wheels
  EXPECT_EQ(gear[31], Gear::kWheels);
  EXPECT_EQ(gear[49], Gear::kWheels);  // four
  EXPECT_EQ(gear[79], Gear::kWheels);  // eight
  EXPECT_EQ(gear[77], Gear::kTracks);  // the split run
  EXPECT_EQ(gear[98], Gear::kTracks);  // track values
  EXPECT_EQ(gear[92], Gear::kHalfTrack);
  EXPECT_EQ(gear[34], Gear::kNone);
  EXPECT_EQ(gear[94], Gear::kNone);
  EXPECT_TRUE(turret[2] && turret[48] && turret[63] && turret[85] && turret[98]);
  EXPECT_FALSE(turret[0] || turret[16] || turret[31] || turret[66] || turret[78] || turret[94]);
  const std::vector<uint8_t> classes = Records("vehicles.txt");
  ASSERT_EQ(classes.size(), 227u * VehicleData::kSize);
  EXPECT_EQ(AssignmentFaults(all, classes), std::vector<std::string>{});

  // Each rule finds its fault: a truck on a tank's slot, a tank on a half-track's, a pillbox on
  // a tank's, a turret on a casemate's, and a slot out of range.
  std::vector<uint8_t> bad(5 * VehicleData::kSize, 0);
  auto set = [&bad](size_t k, const char* name, int32_t kind, int32_t turretSpeed, int32_t model) {
    uint8_t* r = bad.data() + k * VehicleData::kSize;
    std::snprintf(reinterpret_cast<char*>(r), 35, "%s", name);
    std::memcpy(r + 112, &kind, 4);
    std::memcpy(r + 80, &turretSpeed, 4);
    std::memcpy(r + 256, &model, 4);
  };
  set(0, "Truck", 1, 5, 63);
  set(1, "Tank", 4, 2, 0);
  set(2, "Pillbox", 6, 5, 63);
  set(3, "Casemate", 4, 2, 66);
  set(4, "Lost", 4, 5, 99);
  EXPECT_EQ(AssignmentFaults(all, bad),
            (std::vector<std::string>{"class 0 \"Truck\" on slot 63: kind 1 drawn on tracks",
                                      "class 1 \"Tank\" on slot 0: kind 4 drawn on a half-track",
                                      "class 1 \"Tank\" on slot 0: a turret drawn by no turret stage",
                                      "class 2 \"Pillbox\" on slot 63: an emplacement drawn by no box",
                                      "class 3 \"Casemate\" on slot 66: a turret drawn by no turret stage",
                                      "class 4 \"Lost\" on slot 99: no routine draws the slot"}));
  set(2, "Pillbox", 6, 2, 95);  // a turning gun in a box is served by the box's flash
  set(3, "Casemate", 4, 5, 66);
  bad.resize(4 * VehicleData::kSize);
  EXPECT_EQ(AssignmentFaults(all, bad).size(), 3u);
}

}  // namespace
