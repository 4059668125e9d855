// The weapon models as compiled and as drawn on the recording renderer: every model's counts
// and data layout, the order of its matrix steps, the matrix it leaves, culling, and the
// elevation of a dead crew's gun.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/models/InfantryModelDraw.h"
#include "game/models/WeaponModelCounts.h"
#include "game/models/WeaponModelData.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

struct Walk {
  int32_t triangles = 0, vertices = 0, fans = 0, strips = 0, tris = 0, inlines = 0, binds = 0;
  int32_t xyzFloats = 0, uvFloats = 0;
  int32_t elevate = -1, flash = -1, recoil = -1, turnBack = -1, firstRestore = -1;
};

Walk WalkModel(int32_t m) {
  const WeaponModelData& data = WeaponModelData::kModels[m];
  Walk w;
  for (int32_t i = 0; i < data.stepCount; ++i) {
    const int32_t op = data.steps[2 * i];
    const int32_t n = data.steps[2 * i + 1];
    switch (op) {
      case WeaponModelData::kBind: ++w.binds; break;
      case WeaponModelData::kFan:
      case WeaponModelData::kStrip:
        ++(op == WeaponModelData::kFan ? w.fans : w.strips);
        w.triangles += n;
        w.vertices += n + 2;
        w.xyzFloats += 3 * (n + 2);
        w.uvFloats += 2 * (n + 2);
        break;
      case WeaponModelData::kTriangle:
        ++w.tris;
        ++w.triangles;
        w.vertices += 3;
        w.xyzFloats += 9;
        w.uvFloats += 6;
        break;
      case WeaponModelData::kInline: ++w.inlines; ++w.triangles; w.vertices += 3; break;
      case WeaponModelData::kElevate: w.elevate = i; break;
      case WeaponModelData::kFlash: w.flash = i; break;
      case WeaponModelData::kRecoil: w.recoil = i; break;
      case WeaponModelData::kTurnBack: w.turnBack = i; break;
      case WeaponModelData::kRestore: if (w.firstRestore < 0) w.firstRestore = i; break;
      default: break;
    }
  }
  return w;
}

TEST(InfantryModelDraw, CompiledModelsMeetTheirCountsAndLayout) {
  Walk total;
  for (int32_t m = 0; m < InfantryModelDraw::kModels; ++m) {
    const WeaponModelCounts& row = kWeaponModelCounts[m];
    const WeaponModelData& data = WeaponModelData::kModels[m];
    const Walk w = WalkModel(m);
    EXPECT_EQ(w.triangles, row.triangles) << m;
    EXPECT_EQ(w.vertices, row.vertices) << m;
    EXPECT_EQ(w.fans, row.fans) << m;
    EXPECT_EQ(w.strips, row.strips) << m;
    EXPECT_EQ(w.tris, row.triangleSteps) << m;
    EXPECT_EQ(w.inlines, row.inlineTriangles) << m;
    EXPECT_EQ(w.binds, row.binds) << m;
    // The block: vertex arrays, then texture coordinates, then the constants.
    EXPECT_EQ(data.uvStart, w.xyzFloats) << m;
    EXPECT_EQ(data.scalarStart - data.uvStart, w.uvFloats) << m;
    EXPECT_EQ(data.blockSize - data.scalarStart, 7 + 15 * w.inlines) << m;
    // The pivot's negation follows it; the muzzle lies ahead of the pivot.
    const float* s = data.block + data.scalarStart;
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(s[3 + i], -s[i]) << m;
    EXPECT_GT(s[6], s[1]) << m;
    // The flash follows the elevation and comes before the recoil; 7, 8, 9 and 22 have neither.
    const bool fires = m != 7 && m != 8 && m != 9 && m != 22;
    ASSERT_GE(w.elevate, 0) << m;
    if (fires) {
      EXPECT_GT(w.flash, w.elevate) << m;
      EXPECT_EQ(w.recoil, w.flash + 1) << m;
    } else {
      EXPECT_EQ(w.flash, -1) << m;
      EXPECT_EQ(w.recoil, -1) << m;
    }
    // The turned-back group closes before the elevation.
    const bool twoGroups = std::strcmp(row.layout, "two groups") == 0;
    EXPECT_EQ(w.turnBack >= 0, twoGroups) << m;
    if (twoGroups) {
      EXPECT_LT(w.firstRestore, w.elevate) << m;
    }
    total.triangles += w.triangles;
    total.vertices += w.vertices;
    total.fans += w.fans;
    total.strips += w.strips;
    total.tris += w.tris;
    total.inlines += w.inlines;
  }
  EXPECT_EQ(total.triangles, 4421);
  EXPECT_EQ(total.vertices, 8139);
  EXPECT_EQ(total.fans, 1553);
  EXPECT_EQ(total.strips, 96);
  EXPECT_EQ(total.tris, 195);
  EXPECT_EQ(total.inlines, 15);
}

bool SameTransform(const GTransform& a, const GTransform& b) { return std::memcmp(a.m, b.m, sizeof a.m) == 0; }

TEST(InfantryModelDraw, EveryRoutineOnTheRenderer) {
  RecordingRig rig;
  gGraph3D = rig.r.get();
  InfantryModelDraw::State& state = InfantryModelDraw::Published();
  state = InfantryModelDraw::State{};
  state.elevation = 12.0f;
  state.facing = 70.0f;
  for (int32_t m = 0; m < InfantryModelDraw::kModels; ++m) {
    rig.r->SetBackfaceCulling(true);
    const int32_t depth = rig.r->Depth();
    const GTransform before = rig.r->Top();
    rig.r->ResetTriangleCounts();
    InfantryModelDraw::Draw(m, m % 2 == 0);
    EXPECT_EQ(rig.r->FrameTriangles().given, kWeaponModelCounts[m].triangles) << m;
    EXPECT_TRUE(rig.r->IsBackfaceCulling()) << m;
    EXPECT_EQ(rig.r->Depth(), depth) << m;
    // Grouped models leave the matrix as found; the open layout leaves it elevated.
    const bool open = std::strcmp(kWeaponModelCounts[m].layout, "open") == 0;
    EXPECT_EQ(SameTransform(rig.r->Top(), before), !open) << m;
    rig.r->Top() = before;
  }
  // An index outside 0..22 draws nothing.
  rig.r->ResetTriangleCounts();
  InfantryModelDraw::Draw(23, false);
  InfantryModelDraw::Draw(-1, false);
  EXPECT_EQ(rig.r->FrameTriangles().given, 0);
  // The open layout at elevation 0 and without a firing unit stays where it began.
  state.elevation = 0.0f;
  const GTransform before = rig.r->Top();
  InfantryModelDraw::Draw(2, false);
  EXPECT_TRUE(SameTransform(rig.r->Top(), before));
  state = InfantryModelDraw::State{};
  gGraph3D = nullptr;
}

TEST(InfantryModelDraw, ADeadCrewsGunPointsDown) {
  Vehicle unit;
  unit.gunElevation = 25.0f;
  EXPECT_FLOAT_EQ(InfantryModelDraw::ElevationOf(unit), 25.0f);
  unit.alive = 0;
  EXPECT_FLOAT_EQ(InfantryModelDraw::ElevationOf(unit), -10.0f);
}

}  // namespace

namespace {

TEST(InfantryModelDraw, EveryDrawKindHasItsOwnRoutine) {
  bool used[InfantryModelDraw::kModels] = {};
  for (int32_t kind = 0; kind < InfantryModelDraw::kModels; ++kind) {
    const int32_t routine = InfantryModelDraw::RoutineForKind(kind);
    ASSERT_GE(routine, 0) << kind;
    ASSERT_LT(routine, InfantryModelDraw::kModels) << kind;
    EXPECT_FALSE(used[routine]) << kind;
    used[routine] = true;
  }
  EXPECT_EQ(InfantryModelDraw::RoutineForKind(0), 17);
  EXPECT_EQ(InfantryModelDraw::RoutineForKind(6), 0);
  EXPECT_EQ(InfantryModelDraw::RoutineForKind(22), 4);
  EXPECT_EQ(InfantryModelDraw::RoutineForKind(24), -1);
  EXPECT_EQ(InfantryModelDraw::RoutineForKind(-1), -1);
}

}  // namespace

namespace {

// The gun's plan: its triangles that rise above the ground (a firing platform or a trail's
// spade lying flat may be stood on), seen from above, in figure units.
struct PlanTriangle {
  float x[3];
  float y[3];
};

std::vector<PlanTriangle> RaisedPlan(int32_t routine) {
  constexpr float kFigureUnits = 20000.0f / 9.0f;
  constexpr float kGround = 12.0f;
  const WeaponModelData& data = WeaponModelData::kModels[routine];
  std::vector<PlanTriangle> plan;
  auto add = [&plan](const float* a, const float* b, const float* c) {
    if (std::max({a[2], b[2], c[2]}) * kFigureUnits < kGround) return;
    plan.push_back({{a[0] * kFigureUnits, b[0] * kFigureUnits, c[0] * kFigureUnits},
                    {a[1] * kFigureUnits, b[1] * kFigureUnits, c[1] * kFigureUnits}});
  };
  const float* xyz = data.block;
  const float* inlineValues = data.block + data.scalarStart + WeaponModelData::kFirstInline;
  for (int32_t i = 0; i < data.stepCount; ++i) {
    const int32_t op = data.steps[2 * i];
    const int32_t n = data.steps[2 * i + 1];
    if (op == WeaponModelData::kFan || op == WeaponModelData::kStrip) {
      for (int32_t t = 0; t < n; ++t) {
        if (op == WeaponModelData::kFan) add(xyz, xyz + 3 * (t + 1), xyz + 3 * (t + 2));
        else add(xyz + 3 * t, xyz + 3 * (t + 1), xyz + 3 * (t + 2));
      }
      xyz += 3 * (n + 2);
    } else if (op == WeaponModelData::kTriangle) {
      add(xyz, xyz + 3, xyz + 6);
      xyz += 9;
    } else if (op == WeaponModelData::kInline) {
      add(inlineValues, inlineValues + 5, inlineValues + 10);
      inlineValues += WeaponModelData::kInlineValues;
    }
  }
  return plan;
}

// Whether a triangle of the plan reaches into the rectangle: a point of its edges, or a point
// of the rectangle inside it (upright parts such as a shield are edges in plan).
bool Reaches(const PlanTriangle& t, float x0, float y0, float x1, float y1) {
  for (int32_t e = 0; e < 3; ++e) {
    const int32_t f = (e + 1) % 3;
    for (int32_t s = 0; s <= 200; ++s) {
      const float k = static_cast<float>(s) / 200.0f;
      const float x = t.x[e] + (t.x[f] - t.x[e]) * k;
      const float y = t.y[e] + (t.y[f] - t.y[e]) * k;
      if (x >= x0 && x <= x1 && y >= y0 && y <= y1) return true;
    }
  }
  for (float y = y0; y <= y1; y += 2.0f) {
    for (float x = x0; x <= x1; x += 2.0f) {
      float side[3];
      for (int32_t e = 0; e < 3; ++e) {
        const int32_t f = (e + 1) % 3;
        side[e] = (t.x[f] - t.x[e]) * (y - t.y[e]) - (t.y[f] - t.y[e]) * (x - t.x[e]);
      }
      if ((side[0] >= 0 && side[1] >= 0 && side[2] >= 0) || (side[0] <= 0 && side[1] <= 0 && side[2] <= 0)) return true;
    }
  }
  return false;
}

// A gun crew's man stands beside his piece, where its offsets put him (the model and the
// offsets share one scale): the ground he takes, his arms' span across and a stride deep,
// holds no part of the gun. Mortar crews stand behind a mortar of their own.
TEST(InfantryModelDraw, AGunCrewsManStandsBesideHisGunNotInIt) {
  DataTablesRig tables;
  Hack::LoadTables();
  std::set<int32_t> kinds;
  for (int32_t i = 0; i < gWeapons.Count(); ++i) {
    const WeaponData w = gWeapons[i];
    if (w.Type() != 4 && w.DrawKind() >= 0 && w.DrawKind() < InfantryModelDraw::kModels) kinds.insert(w.DrawKind());
  }
  ASSERT_GE(kinds.size(), 15u);
  for (const int32_t kind : kinds) {
    SCOPED_TRACE(kind);
    const WeaponDrawData place = gWeaponDraws[kind];
    const float x = place.Offset(0);
    const float y = place.Offset(1);
    const std::vector<PlanTriangle> plan = RaisedPlan(InfantryModelDraw::RoutineForKind(kind));
    EXPECT_TRUE(std::none_of(plan.begin(), plan.end(), [x, y](const PlanTriangle& t) {
      return Reaches(t, x - 24.0f, y - 16.0f, x + 24.0f, y + 16.0f);
    })) << "a man at " << x << ", " << y;
  }
}

}  // namespace
