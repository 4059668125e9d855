// The model slots on the recording renderer: which slots share a routine, the variant
// argument, and the stand-in routines' contract (culling, matrix depth, footprint, turret).
#include <gtest/gtest.h>

#include <set>

#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/models/ModelDrawContext.h"
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
    // A routine switches culling on at its end; no routine leaves it as it was.
    EXPECT_EQ(rig.r->IsBackfaceCulling(), VehicleModelTable::RoutineOf(slot) >= 0) << slot;
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

  // Slot 63 draws four more fans of two with variant value 1 only.
  TableRig t;
  const int64_t plain = t.Slot(63, 0);
  EXPECT_EQ(t.Slot(63, 1), plain + 8);
  EXPECT_EQ(t.Slot(63, 2), plain);
  EXPECT_EQ(t.Slot(66, 1), plain);
}

TEST(VehicleModelTable, StandInsKeepTheRoutineContract) {
  TableRig t;
  ModelDrawContext& context = ModelDrawContext::Current();
  // Every slot draws the same box, leaves culling on and the matrix as it found it.
  const int64_t box = t.Slot(0);
  EXPECT_EQ(box, 5 * 2 + 5 * 2 + 2 * 2);
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) {
    context.footprint[0] = ModelDrawContext::kNoFootprint;
    EXPECT_EQ(t.Slot(slot), box) << slot;
    // Slots 94 to 98 publish no footprint; every other slot publishes the hull's.
    EXPECT_EQ(context.HasFootprint(), slot < 94) << slot;
  }
  context.footprint[0] = ModelDrawContext::kNoFootprint;
  t.Slot(10);
  EXPECT_FLOAT_EQ(context.footprint[0], -0.045f);
  EXPECT_FLOAT_EQ(context.footprint[3], 0.09f);
  // An index outside 0..98 draws nothing and publishes nothing.
  context.footprint[0] = ModelDrawContext::kNoFootprint;
  EXPECT_EQ(t.Slot(99), 0);
  EXPECT_EQ(t.Slot(-1), 0);
  EXPECT_EQ(t.Slot(120), 0);
  EXPECT_FALSE(context.HasFootprint());
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
    VehicleModelTable::Draw(1, false, 0);
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
