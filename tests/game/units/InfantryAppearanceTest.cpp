// Where an infantry unit's figures sit on the renderer: the figure scale for everyone, and a
// rider's smaller figures placed on its carrier's seats by the places taken.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/media/RendererRig.h"
#include "game/units/Hack.h"
#include "game/units/InfantryValuesRig.h"
#include "game/units/TestVehicle.h"

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
