// The model slots on the recording renderer: which slots share a routine, the variant
// argument, and the routines' contract (culling, matrix depth, footprint, data, turret).
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/models/ModelDrawContext.h"
#include "game/models/VehicleModelProgram.h"
#include "game/models/VehicleModelTable.h"

namespace {

struct TableRig {
  TableRig() {
    gGraph3D = rig.r.get();
    ModelDrawContext::Current() = ModelDrawContext{};
  }
  ~TableRig() {
    gGraph3D = nullptr;
    ModelDrawContext::Current() = ModelDrawContext{};
  }
  TableRig(const TableRig&) = delete;
  TableRig& operator=(const TableRig&) = delete;
  // Triangles one slot draws, checking that it leaves culling on and the matrix as found.
  int64_t Slot(int32_t slot, int32_t drawVariant = 0) {
    const int32_t depth = rig.r->Depth();
    rig.r->ResetTriangleCounts();
    rig.r->SetBackfaceCulling(false);
    VehicleModelTable::Draw(slot, false, drawVariant);
    EXPECT_EQ(rig.r->Depth(), depth) << slot;
    // A routine switches culling on at its end, but the box model of slots 94 and 95.
    EXPECT_EQ(rig.r->IsBackfaceCulling(), VehicleModelTable::RoutineOf(slot) >= 0 && slot != 94 && slot != 95)
        << slot;
    return rig.r->FrameTriangles().given;
  }
  RecordingRig rig;
};

TEST(VehicleModelTable, NinetyNineSlotsNameNinetyThreeRoutines) {
  std::set<int32_t> routines;
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) routines.insert(VehicleModelTable::RoutineOf(slot));
  EXPECT_EQ(routines.size(), 93u);
  EXPECT_EQ(*routines.begin(), 0);
  EXPECT_EQ(*routines.rbegin(), 92);
  const int32_t shared[][3] = {{4, 5, 5}, {31, 32, 33}, {68, 69, 69}, {94, 95, 95}, {96, 97, 97}};
  for (const auto& group : shared) {
    EXPECT_EQ(VehicleModelTable::RoutineOf(group[0]), VehicleModelTable::RoutineOf(group[1]));
    EXPECT_EQ(VehicleModelTable::RoutineOf(group[0]), VehicleModelTable::RoutineOf(group[2]));
  }
  EXPECT_NE(VehicleModelTable::RoutineOf(3), VehicleModelTable::RoutineOf(4));
  EXPECT_NE(VehicleModelTable::RoutineOf(5), VehicleModelTable::RoutineOf(6));
  EXPECT_NE(VehicleModelTable::RoutineOf(98), VehicleModelTable::RoutineOf(97));
  EXPECT_EQ(VehicleModelTable::RoutineOf(-1), -1);
  EXPECT_EQ(VehicleModelTable::RoutineOf(99), -1);
}

TEST(VehicleModelTable, VariantArgumentBySlotAndDrawValue) {
  EXPECT_TRUE(VehicleModelTable::VariantFor(63, 1));
  EXPECT_FALSE(VehicleModelTable::VariantFor(63, 2));
  EXPECT_FALSE(VehicleModelTable::VariantFor(63, 0));
  for (int32_t slot : {66, 68, 69, 70}) {
    EXPECT_TRUE(VehicleModelTable::VariantFor(slot, 2)) << slot;
    EXPECT_TRUE(VehicleModelTable::VariantFor(slot, -1)) << slot;
    EXPECT_FALSE(VehicleModelTable::VariantFor(slot, 0)) << slot;
  }
  EXPECT_FALSE(VehicleModelTable::VariantFor(67, 1));
  EXPECT_FALSE(VehicleModelTable::VariantFor(62, 1));

  // Slot 63's variant part (four fans, 20 triangles) is drawn for the value 1 only; slot 70's
  // (18 triangles) for any value but 0.
  TableRig t;
  const int64_t plain63 = t.Slot(63, 0);
  EXPECT_EQ(t.Slot(63, 1), plain63 + 20);
  EXPECT_EQ(t.Slot(63, 2), plain63);
  const int64_t plain70 = t.Slot(70, 0);
  EXPECT_EQ(t.Slot(70, 3), plain70 + 18);
}

TEST(VehicleModelTable, EverySlotKeepsTheRoutineContract) {
  TableRig t;
  ModelDrawContext& context = ModelDrawContext::Current();
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) {
    context.footprint = {ModelDrawContext::kNoFootprint, 0.5f, 0.5f, 0.5f};
    EXPECT_GT(t.Slot(slot), 0) << slot;
    // Slots 94, 95 and 98 publish no footprint; every other slot publishes the hull's.
    const bool none = slot == 94 || slot == 95 || slot == 98;
    EXPECT_EQ(context.HasFootprint(), !none) << slot;
  }
  context.footprint[0] = ModelDrawContext::kNoFootprint;
  t.Slot(36);
  EXPECT_EQ(context.footprint, (std::array<float, 4>{-0.053f, -0.091f, 0.052f, 0.101f}));
  // Slots 94 and 95 keep the last model's values beside the mark.
  context.footprint[0] = ModelDrawContext::kNoFootprint;
  t.Slot(94);
  EXPECT_EQ(context.footprint, (std::array<float, 4>{ModelDrawContext::kNoFootprint, -0.091f, 0.052f, 0.101f}));
  // An index outside 0..98 draws nothing and publishes nothing.
  EXPECT_EQ(t.Slot(99), 0);
  EXPECT_EQ(t.Slot(-1), 0);
  EXPECT_EQ(t.Slot(120), 0);
  EXPECT_FALSE(context.HasFootprint());
}

TEST(VehicleModelTable, DrawsLeaveTheModelDataAsTheyFoundIt) {
  // The track offsets shift copies: after 10,000 draws with offsets every record holds the same
  // bits.
  TableRig t;
  ModelDrawContext& context = ModelDrawContext::Current();
  const ModelProgram& program = VehicleModelTable::Program(VehicleModelTable::RoutineOf(46));
  const std::vector<float> uvs(program.uvs, program.uvs + program.uvCount);
  const std::vector<float> positions(program.positions, program.positions + program.positionCount);
  for (int32_t i = 0; i < 10000; ++i) {
    context.trackScroll0 = 0.37f * static_cast<float>(i % 97);
    context.trackScroll1 = -1.3f * static_cast<float>(i % 89);
    VehicleModelTable::Draw(46, false, 0);
  }
  EXPECT_EQ(std::memcmp(uvs.data(), program.uvs, uvs.size() * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(positions.data(), program.positions, positions.size() * sizeof(float)), 0);
  EXPECT_EQ(t.rig.r->Depth(), 0);
}

TEST(VehicleModelTable, EverySlotHalfOffScreenOnTheSoftwareDevice) {
  // Unclipped batches reaching past the screen's edge are the device's to cut: every slot,
  // drawn half off the left edge with clip 0, lights pixels and stays within the surface.
  SoftRig rig(96, 64);
  gGraph3D = rig.r.get();
  ModelDrawContext::Current() = ModelDrawContext{};
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) {
    for (int32_t y = 0; y < rig.screen.Height(); ++y) std::memset(rig.screen.Row16(y), 0, 2u * 96u);
    rig.r->RenderBegin();
    rig.r->SetProjection(0, 0, 96, 64, 90.0f, 0.01f, 100.0f);
    rig.r->LookAt(0.33f, -0.1f, 0.35f, 0.33f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    VehicleModelTable::Draw(slot, false, 1);
    rig.r->RenderEnd();
    EXPECT_GT(rig.Lit(), 0) << slot;
    EXPECT_EQ(rig.r->Depth(), 0) << slot;
  }
  gGraph3D = nullptr;
}

TEST(VehicleModelTable, TurretAndGunTurnOnlyTheirParts) {
  // The same model with the turret turned draws its hull where it was and its turret elsewhere:
  // the device receives different vertices, the same triangle count, and the matrix returns.
  TableRig t;
  ModelDrawContext& context = ModelDrawContext::Current();
  t.rig.r->LookAt(0.0f, -0.5f, 0.3f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  auto frame = [&t]() {
    t.rig.device.ClearCalls();
    t.rig.r->RenderBegin();
    VehicleModelTable::Draw(36, false, 0);
    t.rig.r->RenderEnd();
    std::vector<float> xs;
    for (const auto& call : t.rig.device.Calls()) {
      if (call.kind != PRecording3DDevice::Kind::kDrawPrimitive) continue;
      for (int32_t i = 0; i < call.count; ++i) xs.push_back(call.X(i));
    }
    return xs;
  };
  const std::vector<float> straight = frame();
  context.turretAngle = 90.0f;
  const std::vector<float> turned = frame();
  context.turretAngle = 0.0f;
  context.gunElevation = 20.0f;
  const std::vector<float> raised = frame();
  context.gunElevation = 0.0f;
  EXPECT_EQ(frame(), straight);
  EXPECT_NE(turned, straight);
  EXPECT_NE(raised, straight);
  EXPECT_EQ(t.rig.r->Depth(), 0);
}

}  // namespace
