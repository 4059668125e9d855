// Where an infantry unit's figures sit on the renderer: the figure scale for everyone, and a
// rider's smaller figures placed on its carrier's seats by the places taken.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/InfantryValuesRig.h"
#include "game/units/TestVehicle.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"

namespace {

constexpr float kFigure = 0.012990149669349194f;

// One vehicle class (index 3) whose model (index 1) has the seat values 2.0, 3.0 and 0.5.
class SeatTables {
 public:
  SeatTables()
      : keptClasses_(gVehicleClasses), keptModels_(gVehicleModels), classes_(VehicleData::kSize * 4),
        models_(VehicleModelData::kSize * 2) {
    const int32_t model = 1;
    std::memcpy(classes_.data() + 3 * VehicleData::kSize + 256, &model, 4);
    const float seats[3] = {2.0f, 3.0f, 0.5f};
    std::memcpy(models_.data() + VehicleModelData::kSize + 52, seats, sizeof seats);
    gVehicleClasses = DataTable<VehicleData>(classes_.data(), static_cast<uint32_t>(classes_.size()));
    gVehicleModels = DataTable<VehicleModelData>(models_.data(), static_cast<uint32_t>(models_.size()));
  }
  ~SeatTables() {
    gVehicleClasses = keptClasses_;
    gVehicleModels = keptModels_;
  }
  SeatTables(const SeatTables&) = delete;
  SeatTables& operator=(const SeatTables&) = delete;

 private:
  DataTable<VehicleData> keptClasses_;
  DataTable<VehicleModelData> keptModels_;
  std::vector<uint8_t> classes_;
  std::vector<uint8_t> models_;
};

struct Placed {
  float scale;
  float tx, ty, tz;
};

Placed Place(SoftRig& rig, Infantry& squad, float scale) {
  rig.r->PushMatrix();
  rig.r->LoadIdentity();
  squad.ApplyModelScale(scale);
  const GTransform& m = rig.r->CurrentTransform();
  Placed p{scale, m.m[3][0], m.m[3][1], m.m[3][2]};
  if (p.tx == 0.0f && p.ty == 0.0f && p.tz == 0.0f) p = {scale, m.m[0][3], m.m[1][3], m.m[2][3]};
  EXPECT_FLOAT_EQ(m.m[0][0], scale);
  EXPECT_FLOAT_EQ(m.m[2][2], scale);
  rig.r->PopMatrix();
  return p;
}

}  // namespace

TEST(InfantryAppearance, FiguresAreScaledAndRidersSitOnTheirCarriersSeats) {
  InfantryValuesRig f;
  SeatTables tables;
  SoftRig rig;
  gGraph3D = rig.r.get();
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  auto other = f.rig.Make(InfantryRig::kSquad, 6);
  // On foot: only the figure scale, whatever the distance scale was.
  Placed p = Place(rig, *squad, 2.0f);
  EXPECT_FLOAT_EQ(p.scale, 2.0f * kFigure);
  EXPECT_EQ(p.tx, 0.0f);
  EXPECT_EQ(p.ty, 0.0f);

  // Riding alone: 0.9 smaller, raised onto the seat, in the middle.
  TestVehicle carrier;
  carrier.classIndex = 3;
  carrier.passengers = {squad.get(), nullptr};
  squad->carrier = &carrier;
  EXPECT_EQ(squad->RiderSide(), 0.0f);
  p = Place(rig, *squad, 2.0f);
  EXPECT_FLOAT_EQ(p.scale, 2.0f * 0.9f * kFigure);
  EXPECT_FLOAT_EQ(p.tx, 0.0f);
  EXPECT_FLOAT_EQ(p.ty, 2.0f * -2.08f * 2.0f);
  EXPECT_FLOAT_EQ(p.tz, 2.0f * 1.76f * 3.0f);
  // Two riders: the first to one side, the second to the other; alone in the second place,
  // in the middle.
  carrier.passengers = {squad.get(), other.get()};
  EXPECT_EQ(squad->RiderSide(), -1.0f);
  other->carrier = &carrier;
  EXPECT_EQ(other->RiderSide(), 1.0f);
  p = Place(rig, *other, 1.0f);
  EXPECT_FLOAT_EQ(p.tx, 0.48f);
  carrier.passengers = {nullptr, other.get()};
  EXPECT_EQ(other->RiderSide(), 0.0f);
  // A towed gun rides behind, along y by the third seat value.
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, InfantryRig::kGunWeapon);
  ASSERT_TRUE(other->IsTowedGun());
  p = Place(rig, *other, 1.0f);
  EXPECT_FLOAT_EQ(p.tx, 0.0f);
  EXPECT_FLOAT_EQ(p.ty, 5.0f * 0.5f);
  EXPECT_FLOAT_EQ(p.tz, 0.0f);
  // A carrier of no known class: no seat offsets, still the rider's scale.
  carrier.classIndex = 99;
  p = Place(rig, *other, 1.0f);
  EXPECT_FLOAT_EQ(p.scale, 0.9f * kFigure);
  EXPECT_EQ(p.ty, 0.0f);
  gGraph3D = nullptr;
}

namespace {

// Every bitmap asked for, in order; none exists, so each snow form falls back.
class RecordingGraphics : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    asked.push_back(number);
    return true;
  }
  std::vector<int32_t> asked;
};

class TextureHost : public ScreenlessDrawHost {
 public:
  void EnsureInfantryTexture(int32_t n) override { textures.push_back(n); }
  std::vector<int32_t> textures;
};

bool Asked(const std::vector<int32_t>& asked, int32_t number) {
  return std::find(asked.begin(), asked.end(), number) != asked.end();
}

}  // namespace

TEST(InfantryAppearance, UniformFigureAndWeaponPictures) {
  InfantryValuesRig f;
  RecordingGraphics graphics;
  TextureHost host;
  const UnitContextScope drawing(UnitContext{.draw = &host});
  auto squad = f.rig.Make(InfantryRig::kSquad, 4);
  graphics.asked.clear();
  squad->PrepareAppearance();
  // Code 4's head entry is -1: nothing loaded, the slot empty; its other five from 5000 + n.
  EXPECT_EQ(squad->GetTexture(0, 1), nullptr);
  EXPECT_TRUE(Asked(graphics.asked, 5051));
  EXPECT_TRUE(Asked(graphics.asked, 5054));
  EXPECT_FALSE(Asked(graphics.asked, 4999));
  // Row 1 comes from the kind group's first code, into slots 18-23 (set 1, 1..6).
  const int32_t groupRow = Infantry::UniformRow(KindGroupFirstCode(squad->GetKindGroup()), 4406);
  EXPECT_EQ(groupRow, KindGroupFirstCode(squad->GetKindGroup()));
  // Figure kind 0 of group 0 asks textures 8 and 6; with weapon 92, 10 as well.
  auto first = f.rig.Make(InfantryRig::kSquad, KindGroupFirstCode(0));
  ASSERT_EQ(first->GetKindGroup(), 0);
  host.textures.clear();
  first->PrepareAppearance();
  std::array<int32_t, 3> textures{};
  ASSERT_EQ(first->FigureTextures(0, textures), 2);
  EXPECT_EQ(textures[0], 8);
  EXPECT_EQ(textures[1], 6);
  EXPECT_TRUE(Asked(host.textures, 8));
  EXPECT_TRUE(Asked(host.textures, 6));
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, 92);
  ASSERT_EQ(first->FigureTextures(0, textures), 3);
  EXPECT_EQ(textures[2], 10);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, Infantry::kNoWeapon);

  // From December 1944 codes 0 and 1 wear their late rows: code 0 takes row 19.
  EXPECT_EQ(Infantry::UniformRow(0, 4412), 19);
  EXPECT_EQ(Infantry::UniformRow(1, 4501), 20);
  EXPECT_EQ(Infantry::UniformRow(0, 4411), 0);
  EXPECT_EQ(Infantry::UniformRow(2, 4412), 2);
  f.Battle().date = 4412;
  squad->nationalityCode = 0;
  graphics.asked.clear();
  squad->PrepareAppearance();
  for (const int32_t n : {5000, 5041, 5042, 5043, 5044}) EXPECT_TRUE(Asked(graphics.asked, n)) << n;

  // On snow the snow form is tried first.
  f.Battle().groundCondition = 7;
  graphics.asked.clear();
  squad->PrepareAppearance();
  const auto snowAt = std::find(graphics.asked.begin(), graphics.asked.end(), 15041);
  const auto plainAt = std::find(graphics.asked.begin(), graphics.asked.end(), 5041);
  ASSERT_NE(snowAt, graphics.asked.end());
  EXPECT_LT(snowAt, plainAt);

  // The weapon's pictures, last first, into slots 34 + i (set 2), the snow form first; a
  // number of 0 gives none; draw kind 24 loads nothing.
  const DataTable<WeaponDrawData> keptDraws = gWeaponDraws;
  std::vector<uint8_t> draws(WeaponDrawData::kSize * WeaponDrawData::kCount);
  uint8_t* entry = draws.data() + 3 * WeaponDrawData::kSize;
  InfantryRig::Put16(entry + 12, 3);
  InfantryRig::Put16(entry + 14, 700);
  InfantryRig::Put16(entry + 16, 0);
  InfantryRig::Put16(entry + 18, 702);
  gWeaponDraws = DataTable<WeaponDrawData>(draws.data(), static_cast<uint32_t>(draws.size()));
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, InfantryRig::kGunWeapon);
  InfantryRig::Put32(f.rig.Weapon(InfantryRig::kGunWeapon) + 108, 3);
  f.Battle().groundCondition = 7;
  graphics.asked.clear();
  squad->PrepareAppearance();
  const auto snow702 = std::find(graphics.asked.begin(), graphics.asked.end(), 10702);
  const auto plain702 = std::find(graphics.asked.begin(), graphics.asked.end(), 702);
  const auto snow700 = std::find(graphics.asked.begin(), graphics.asked.end(), 10700);
  ASSERT_NE(snow700, graphics.asked.end());
  EXPECT_LT(snow702, plain702);
  EXPECT_LT(plain702, snow700);
  EXPECT_NE(squad->GetTexture(2, 0), nullptr);
  EXPECT_EQ(squad->GetTexture(2, 1), nullptr);
  EXPECT_NE(squad->GetTexture(2, 2), nullptr);
  InfantryRig::Put32(f.rig.Weapon(InfantryRig::kGunWeapon) + 108, WeaponData::kNoDrawKind);
  squad->ReleaseTextures(true);
  graphics.asked.clear();
  squad->PrepareAppearance();
  EXPECT_FALSE(Asked(graphics.asked, 700));
  EXPECT_EQ(squad->GetTexture(2, 0), nullptr);
  gWeaponDraws = keptDraws;
  f.Battle().groundCondition = 3;
}
