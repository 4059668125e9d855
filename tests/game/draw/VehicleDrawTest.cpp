// The vehicle's picture on the recording renderer: what each identification level shows, the
// low-detail bodies and when they stand in for the model, flames, the crew's look angles and
// the shadow under the hull.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/draw/VehicleDraw.h"
#include "game/models/ModelDrawContext.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr int32_t kShownClass = 20;  // the class an enemy shows at level 3
constexpr int32_t kBroadClass = 21;  // and below
constexpr int64_t kModelBox = 445;  // the model of slot 0, in triangles
constexpr int64_t kBodyA = 76;
constexpr int64_t kBodyB = 48;

struct DrawWorld {
  DrawWorld() {
    gGraph3D = r.r.get();
    ModelDrawContext::Current() = ModelDrawContext{};
    tank = std::make_unique<Vehicle>();
    tank->SetClass(1, 0, 0, 100.0f, 100.0f, 0.0f);
    tank->apparentClass = kShownClass;
    tank->broadClass = kBroadClass;
    if (!tank->IsCurrentSide()) tank->side = static_cast<uint8_t>(1 - tank->side);
  }
  ~DrawWorld() {
    gGraph3D = nullptr;
    ModelDrawContext::Current() = ModelDrawContext{};
  }
  DrawWorld(const DrawWorld&) = delete;
  DrawWorld& operator=(const DrawWorld&) = delete;

  int64_t Triangles(const std::function<void()>& draw) {
    const int32_t depth = r.r->Depth();
    r.r->ResetTriangleCounts();
    draw();
    EXPECT_EQ(r.r->Depth(), depth);
    EXPECT_TRUE(r.r->IsBackfaceCulling());
    return r.r->FrameTriangles().given;
  }
  int64_t Draw(float detail) {
    return Triangles([&] { VehicleDraw::Draw(*tank, false, detail); });
  }
  // The vehicle becomes the other side's, seen at an identification level.
  void Enemy(int32_t level) {
    if (tank->IsCurrentSide()) tank->side = static_cast<uint8_t>(1 - tank->side);
    tank->identificationLevel = level;
  }

  VehicleRig rig;
  RecordingRig r;
  std::unique_ptr<Vehicle> tank;
};

TEST(VehicleDraw, WhatEachIdentificationLevelShows) {
  DrawWorld w;
  const ModelDrawContext& context = ModelDrawContext::Current();
  w.tank->turretOffset = 40.0f;
  w.tank->gunElevation = 7.0f;
  // The tracks: the vehicle keeps the -x side's phase first, the models take the +x side's
  // (the speed plus 0.22 times the turn rate) first.
  w.rig.PutI32(1, 112, VehicleData::kKindTracked);
  w.tank->speed = 2.0f;
  w.tank->turnRate = 1.0f;
  w.tank->AdvanceTracks(1.0f);
  EXPECT_GT(w.tank->trackPhases[1], w.tank->trackPhases[0]);
  // Own vehicle: the true class's set and its real angles.
  w.Draw(10.0f);
  EXPECT_EQ(context.trackScroll0, w.tank->trackPhases[1]);
  EXPECT_EQ(context.trackScroll1, w.tank->trackPhases[0]);
  EXPECT_EQ(context.textures, w.tank->textures[2].data());
  EXPECT_EQ(context.vehicle, w.tank.get());
  EXPECT_FLOAT_EQ(context.turretAngle, 40.0f);
  EXPECT_FLOAT_EQ(context.gunElevation, 7.0f);
  EXPECT_FLOAT_EQ(context.turretTilt, 0.0f);
  // Levels 0 and 1: turret ahead and gun level whatever the vehicle does.
  for (int32_t level : {0, 1}) {
    w.Enemy(level);
    w.Draw(10.0f);
    EXPECT_EQ(context.textures, w.tank->textures[0].data()) << level;
    EXPECT_FLOAT_EQ(context.turretAngle, 0.0f) << level;
    EXPECT_FLOAT_EQ(context.gunElevation, 0.0f) << level;
  }
  w.Enemy(3);
  w.Draw(10.0f);
  EXPECT_EQ(context.textures, w.tank->textures[1].data());
  EXPECT_FLOAT_EQ(context.turretAngle, 40.0f);
  // Knocked out at level 2: the knocked-out gun; the turret tilts only when eliminated.
  w.Enemy(2);
  w.tank->alive = 0;
  w.tank->abandoned = 1;
  w.Draw(10.0f);
  EXPECT_FLOAT_EQ(context.gunElevation, w.tank->KnockedOutGunElevation());
  EXPECT_FLOAT_EQ(context.turretTilt, 0.0f);
  w.tank->abandoned = 0;
  w.Draw(10.0f);
  EXPECT_FLOAT_EQ(context.turretTilt, w.tank->KnockedOutTurretTilt());
  w.Enemy(1);
  w.Draw(10.0f);
  EXPECT_FLOAT_EQ(context.turretTilt, 0.0f);
  EXPECT_FLOAT_EQ(context.gunElevation, 0.0f);
  // The knocked-out values lie in their ranges for every designation.
  for (uint16_t d = 0; d < 200; ++d) {
    w.tank->designation = d;
    const float e = w.tank->KnockedOutGunElevation();
    const float t = std::fabs(w.tank->KnockedOutTurretTilt());
    EXPECT_TRUE(e <= -6.0f && e >= -11.0f) << d;
    EXPECT_TRUE(t >= 5.0f && t <= 8.0f) << d;
  }
}

TEST(VehicleDraw, LowDetailBodiesStandInForTheModelBelowDetail2_5) {
  DrawWorld w;
  const ModelDrawContext& context = ModelDrawContext::Current();
  // Category 10 has no body: the model at any detail.
  w.rig.PutI32(1, 60, 10);
  EXPECT_EQ(w.Draw(2.49f), kModelBox);
  EXPECT_TRUE(context.HasFootprint());
  // Category 0: the turreted body and no footprint; at 2.5 the model again.
  w.rig.PutI32(1, 60, 0);
  EXPECT_EQ(w.Draw(2.49f), kBodyB);
  EXPECT_FALSE(context.HasFootprint());
  EXPECT_EQ(w.Draw(2.5f), kModelBox);
  // Category 6: the open body.
  w.rig.PutI32(1, 60, 6);
  EXPECT_EQ(w.Draw(0.1f), kBodyA);
  // A category outside 0..39 (from a damaged file) draws the open body instead of failing.
  w.rig.PutI32(1, 60, 45);
  EXPECT_EQ(w.Draw(0.1f), kBodyA);
  w.rig.PutI32(1, 60, -3);
  EXPECT_EQ(w.Draw(0.1f), kBodyA);
  // A true class of kind 6, or a shown class 46, keeps the model.
  w.rig.PutI32(1, 60, 0);
  w.rig.PutI32(1, 112, VehicleData::kKindEmplacement);
  EXPECT_EQ(w.Draw(0.1f), kModelBox);
  w.rig.PutI32(1, 112, VehicleData::kKindTracked);
  w.Enemy(3);
  w.tank->apparentCategory = 0;
  w.tank->apparentClass = 46;
  EXPECT_EQ(w.Draw(0.1f), kModelBox);
  // A model index outside 0..98 draws no model and publishes no footprint.
  w.rig.PutI32(46, 256, 120);
  EXPECT_EQ(w.Draw(10.0f), 0);
  EXPECT_FALSE(context.HasFootprint());
}

TEST(VehicleDraw, LowDetailBodiesOfBothSides) {
  DrawWorld w;
  ModelDrawContext& context = ModelDrawContext::Current();
  context.vehicle = w.tank.get();
  w.r.device.ClearCalls();
  EXPECT_EQ(w.Triangles([] { VehicleDraw::DrawLowDetailVehicleA(false); }), kBodyA);
  // Body A's dark interior: sixteen untextured fans in their order (its closing triangle lies
  // outside this rig's view).
  std::vector<int32_t> dark;
  for (const auto* call : w.r.device.Draws())
    if (call->format == kP3DColouredFormat) dark.push_back(call->count - 2);
  EXPECT_EQ(dark, (std::vector<int32_t>{2, 2, 2, 4, 2, 4, 2, 2, 4, 3, 2, 2, 2, 2, 2, 2}));
  // Body B leaves its size scaling on the caller's matrix: Axis 0.9 S, Allied 0.8 S across.
  const float size = w.tank->TrueClass().Size();
  for (uint8_t side : {0, 1}) {
    w.tank->side = side;
    w.r.r->PushMatrix();
    const GTransform before = w.r.r->Top();
    EXPECT_EQ(w.Triangles([] { VehicleDraw::DrawLowDetailVehicleB(false); }), kBodyB);
    const GTransform after = w.r.r->Top();
    w.r.r->PopMatrix();
    const float factor = w.tank->IsAxis() ? 0.9f : 0.8f;
    EXPECT_NEAR(after.m[0][0] / before.m[0][0], factor * size, 1e-4f) << static_cast<int>(side);
  }
  // Body-to-category table: the three kinds of row and every category 0..39 has one.
  EXPECT_EQ(VehicleDraw::LowDetailBodyFor(31), VehicleDraw::Body::kA);
  EXPECT_EQ(VehicleDraw::LowDetailBodyFor(34), VehicleDraw::Body::kB);
  EXPECT_EQ(VehicleDraw::LowDetailBodyFor(39), VehicleDraw::Body::kNone);
  int32_t counts[3] = {};
  for (int32_t c = 0; c <= 39; ++c) ++counts[static_cast<int>(VehicleDraw::LowDetailBodyFor(c))];
  EXPECT_EQ(counts[0], 7);
  EXPECT_EQ(counts[1], 10);
  EXPECT_EQ(counts[2], 23);
}

TEST(VehicleDraw, BurningVehiclesFlameEvenWithoutAModel) {
  DrawWorld w;
  w.rig.PutI32(1, 256, 120);
  EXPECT_EQ(w.Draw(10.0f), 0);
  w.tank->burning = 1;
  const uint32_t seed = RandomState();
  EXPECT_GT(w.Draw(10.0f), 0);
  EXPECT_GT(w.Draw(1.0f), kBodyB);
  // Drawing never moves the game's generator.
  EXPECT_EQ(RandomState(), seed);
}

TEST(VehicleDraw, CrewPlacesByKindHatchesAndTurret) {
  // Buttoned (or seen below level 3): only kinds 4 to 9 show, and 4, 5 and 9 sit lower.
  for (int32_t kind = 0; kind <= 9; ++kind) {
    const VehicleDraw::CrewPlace hidden = VehicleDraw::PlaceFor(kind, true, true, 0.0f);
    const VehicleDraw::CrewPlace open = VehicleDraw::PlaceFor(kind, false, true, 0.0f);
    EXPECT_EQ(hidden.shown, kind >= 4) << kind;
    EXPECT_EQ(hidden.lowered, kind == 4 || kind == 5 || kind == 9) << kind;
    EXPECT_TRUE(open.shown) << kind;
    EXPECT_FALSE(open.lowered) << kind;
    // Kinds 0, 1, 4, 5 and 8 turn with a turret, or without one when they have a pivot.
    const bool turning = kind == 0 || kind == 1 || kind == 4 || kind == 5 || kind == 8;
    EXPECT_EQ(open.turns, turning) << kind;
    EXPECT_FALSE(VehicleDraw::PlaceFor(kind, false, false, 0.0f).turns) << kind;
    EXPECT_EQ(VehicleDraw::PlaceFor(kind, false, false, 0.02f).turns, turning) << kind;
  }
}

TEST(VehicleDraw, CrewPlacesDrawnAsMenAllowAndFacesChecked) {
  DrawWorld w;
  // One model record with two crew places: kind 1 (in an open hatch) and kind 6 (on the hull).
  std::vector<uint8_t> model(VehicleModelData::kSize, 0);
  model[3] = 2;
  const int32_t kinds[2] = {1, 6};
  std::memcpy(model.data() + 4, &kinds[0], 4);
  std::memcpy(model.data() + 8, &kinds[1], 4);
  const DataTable<VehicleModelData> kept = gVehicleModels;
  gVehicleModels = DataTable<VehicleModelData>(model.data(), static_cast<uint32_t>(model.size()));
  w.rig.PutI32(1, 256, 0);
  w.tank->crewFaces = {3, 5, 0};
  InfantryDrawState& state = InfantryDraw::State();
  auto crew = [&w](int32_t level) {
    InfantryDraw::State().CurrentFaceVariant = -1;
    w.Triangles([&w, level] { VehicleDraw::DrawCrew(*w.tank, level, 1, false, 0.01f); });
    return InfantryDraw::State().CurrentFaceVariant;
  };
  // The place count is the lesser of the men present and the record's places.
  w.rig.Class(1)[56] = 1;
  EXPECT_EQ(crew(4), 3);
  w.rig.Class(1)[56] = 4;
  EXPECT_EQ(crew(4), 5);
  w.tank->losses = 4;
  EXPECT_EQ(crew(4), -1);
  w.tank->losses = 0;
  // Buttoned, or seen at level 2: the hatch place is skipped, the hull place still drawn.
  w.tank->buttoned = 1;
  w.tank->crewFaces = {3, 7, 0};
  EXPECT_EQ(crew(4), 7);
  w.tank->buttoned = 0;
  w.tank->crewFaces = {3, -1, 0};
  w.tank->crewLookTimers = {0, 0, 0};
  // A face outside 0..11 (bad data) is drawn as face 0 instead of stopping the program.
  EXPECT_EQ(crew(2), 0);
  w.tank->crewFaces = {3, 12, 0};
  EXPECT_EQ(crew(4), 0);
  EXPECT_EQ(state.UseOwnFaceVariants, 1);
  gVehicleModels = kept;
}

TEST(VehicleDraw, CrewLookAnglesSweepAndReturn) {
  EXPECT_FLOAT_EQ(VehicleDraw::LookAngle(0), -35.0f);
  EXPECT_FLOAT_EQ(VehicleDraw::LookAngle(3000), -35.0f);
  EXPECT_NEAR(VehicleDraw::LookAngle(4500), 0.0f, 1e-4f);
  EXPECT_FLOAT_EQ(VehicleDraw::LookAngle(6000), 35.0f);
  EXPECT_NEAR(VehicleDraw::LookAngle(9500), 0.0f, 1e-4f);
  EXPECT_NEAR(VehicleDraw::LookAngle(10000), -35.0f, 1e-4f);
}

TEST(VehicleDraw, ShadowUnderTheHull) {
  DrawWorld w;
  ModelDrawContext& context = ModelDrawContext::Current();
  auto shadow = [&w] { return w.Triangles([&w] { VehicleDraw::DrawShadow(*w.tank, 10.0f, false); }); };
  // No footprint: no shadow.
  EXPECT_EQ(shadow(), 0);
  context.footprint = {-0.1f, -0.2f, 0.1f, 0.2f};
  // Flat ground: one quad, and the alpha back at 1.
  EXPECT_EQ(shadow(), 2);
  EXPECT_FALSE(w.r.r->IsTranslucent());
  // Night, a vehicle on the lower level, a vehicle hull down everywhere: none.
  w.rig.world.Battle().timeOfDay = 2;
  EXPECT_EQ(shadow(), 0);
  w.rig.world.Battle().timeOfDay = 1;
  w.tank->level = -1.0f;
  EXPECT_EQ(shadow(), 0);
  w.tank->level = 0.0f;
  w.tank->emplaced = 1;
  EXPECT_EQ(shadow(), 0);
  w.tank->emplaced = 0;
  // Uneven ground: a fan of 8 triangles that follows it.
  for (int32_t dx = -2; dx <= 2; ++dx) {
    uint16_t& cell = w.rig.GetMap().terrain.fineGrid.At(50 + dx, 49);
    cell = static_cast<uint16_t>((cell & ~0x3FFu) | ((cell & 0x3FFu) + 40u));
  }
  ASSERT_NE(w.rig.GetMap().ElevationAt(100.0f, 98.5f), w.rig.GetMap().ElevationAt(100.0f, 101.5f));
  EXPECT_EQ(shadow(), 8);
  // At the map's corner the shadow still lands inside the map.
  w.tank->x = 0.0f;
  w.tank->y = 0.0f;
  EXPECT_EQ(shadow(), 2);
}

}  // namespace
