// The model interpreter over the compiled vehicle models, drawn into a call log: the box model of
// slots 94 and 95, the turret's tilt, the forms of articulation, flash and recoil, and the track
// offsets on the strips.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "game/models/VehicleModelProgram.h"
#include "game/models/VehicleModelTable.h"

namespace {

using Kind = ModelCallLog::Kind;

ModelCallLog Drawn(int32_t slot, const ModelDrawValues& values = {}, bool variant = false) {
  ModelCallLog log;
  RunModelProgram(VehicleModelTable::Program(VehicleModelTable::RoutineOf(slot)), log, &log, values, true, variant);
  return log;
}

std::vector<Kind> Kinds(const ModelCallLog& log, bool primitives) {
  std::vector<Kind> out;
  for (const auto& call : log.Calls()) {
    const bool primitive = call.kind == Kind::kStrip || call.kind == Kind::kFan || call.kind == Kind::kArray ||
                           call.kind == Kind::kValue || call.kind == Kind::kQuad || call.kind == Kind::kColouredFan;
    if (primitive == primitives) out.push_back(call.kind);
  }
  return out;
}

int32_t Count(const ModelCallLog& log, Kind kind) {
  int32_t n = 0;
  for (const auto& call : log.Calls()) n += call.kind == kind ? 1 : 0;
  return n;
}

// The current frame as the renderer keeps it: rows X, Y, Z and the origin O.
struct Frame {
  double m[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
  void Move(double x, double y, double z) {
    for (int i = 0; i < 3; ++i) m[3][i] += x * m[0][i] + y * m[1][i] + z * m[2][i];
  }
  void Turn(int a, int b, double degrees) {  // row a becomes c·a + s·b, row b becomes c·b - s·a
    const double r = degrees * 0.017453292, c = std::cos(r), s = std::sin(r);
    for (int i = 0; i < 3; ++i) {
      const double u = m[a][i], v = m[b][i];
      m[a][i] = c * u + s * v;
      m[b][i] = c * v - s * u;
    }
  }
  void Apply(const ModelCallLog::Call& call) {
    const auto& a = call.args;
    switch (call.kind) {
      case Kind::kTranslate: Move(a[0], a[1], a[2]); break;
      case Kind::kTranslateY: Move(0, a[0], 0); break;
      case Kind::kTranslateXY: Move(a[0], a[1], 0); break;
      case Kind::kTranslateYZ: Move(0, a[0], a[1]); break;
      case Kind::kRotateX: Turn(1, 2, a[0]); break;
      case Kind::kRotateY: Turn(2, 0, a[0]); break;
      case Kind::kRotateZ: Turn(0, 1, a[0]); break;
      default: break;
    }
  }
  std::array<double, 3> Map(double x, double y, double z) const {
    std::array<double, 3> p{};
    for (int i = 0; i < 3; ++i) p[static_cast<size_t>(i)] = x * m[0][i] + y * m[1][i] + z * m[2][i] + m[3][i];
    return p;
  }
};

// The frame of the first turret primitive.
Frame TurretFrame(const ModelCallLog& log) {
  Frame f;
  for (const auto& call : log.Calls()) {
    if (call.stage == ModelCallLog::Stage::kTurret && (call.kind == Kind::kFan || call.kind == Kind::kArray)) break;
    f.Apply(call);
  }
  return f;
}

TEST(VehicleModelProgram, BoxModelOfSlots94And95) {
  for (int32_t slot : {94, 95}) {
    std::array<float, 4> footprint{9999.0f, 0.1f, 0.2f, 0.3f};
    ModelDrawValues values;
    values.footprint = &footprint;
    values.turretAngle = 30.0f;
    const ModelCallLog log = Drawn(slot, values);
    const std::vector<Kind> want = {Kind::kBind, Kind::kQuad, Kind::kQuad, Kind::kQuad, Kind::kBind, Kind::kQuad,
                                    Kind::kQuad, Kind::kQuad, Kind::kQuad, Kind::kBind, Kind::kQuad, Kind::kPush,
                                    Kind::kRotateZ, Kind::kFlash, Kind::kPop};
    std::vector<Kind> got;
    for (const auto& call : log.Calls()) got.push_back(call.kind);
    EXPECT_EQ(got, want);
    const auto& calls = log.Calls();
    EXPECT_EQ(calls[0].n, 1);
    EXPECT_EQ(calls[4].n, 2);
    EXPECT_EQ(calls[9].n, 3);
    // Quad 1's first corner and quad 8's last, as drawn.
    EXPECT_EQ(calls[1].args[0], 0.064f);
    EXPECT_EQ(calls[1].args[1], 0.088f);
    EXPECT_EQ(calls[1].uvs[0], 0.2f);
    EXPECT_EQ(calls[10].args[9], 0.08f);
    EXPECT_EQ(calls[10].args[10], -0.08f);
    EXPECT_EQ(calls[12].args[0], 30.0f);
    EXPECT_EQ(calls[13].args, (std::vector<float>{1.0f, 0.0f, 0.04f, 0.025f}));
    // No culling call, no footprint: the first value keeps 9999, the others the last model's.
    EXPECT_EQ(footprint, (std::array<float, 4>{9999.0f, 0.1f, 0.2f, 0.3f}));
  }
}

TEST(VehicleModelProgram, TurretTiltsOnlyWhenTheTiltIsNotZero) {
  for (float tilt : {0.0f, -0.0f}) {
    ModelDrawValues values;
    values.turretTilt = tilt;
    EXPECT_EQ(Count(Drawn(36, values), Kind::kRotateY), 0);
  }
  ModelDrawValues values;
  values.turretTilt = 5.0f;
  // After the turn and before the first turret bind; slot 85 after its translation back, slot 59
  // before it.
  auto order = [&values](int32_t slot) {
    std::vector<Kind> kinds;
    const ModelCallLog log = Drawn(slot, values);
    for (const auto& call : log.Calls()) {
      if (call.kind == Kind::kPush || call.kind == Kind::kRotateZ || call.kind == Kind::kRotateY ||
          call.kind == Kind::kTranslateY || call.kind == Kind::kTranslateYZ || call.kind == Kind::kBind)
        if (call.stage != ModelCallLog::Stage::kHull || call.kind != Kind::kBind) kinds.push_back(call.kind);
      if (kinds.size() == 6) break;
    }
    return kinds;
  };
  EXPECT_EQ(order(36), (std::vector<Kind>{Kind::kPush, Kind::kRotateZ, Kind::kRotateY, Kind::kBind, Kind::kBind,
                                          Kind::kBind}));
  EXPECT_EQ(order(85), (std::vector<Kind>{Kind::kPush, Kind::kTranslateY, Kind::kRotateZ, Kind::kTranslateY,
                                          Kind::kRotateY, Kind::kBind}));
  EXPECT_EQ(order(59), (std::vector<Kind>{Kind::kPush, Kind::kTranslateYZ, Kind::kRotateZ, Kind::kRotateY,
                                          Kind::kTranslateYZ, Kind::kBind}));
  // Turrets about a pivot of their own, and mounts, never tilt.
  for (int32_t slot : {2, 16, 50, 58, 66, 67, 70, 73, 77, 78}) EXPECT_EQ(Count(Drawn(slot, values), Kind::kRotateY), 0) << slot;
}

TEST(VehicleModelProgram, TurretsTurnAboutTheirPivots) {
  ModelDrawValues values;
  values.turretAngle = 180.0f;
  // Slot 50 maps a turret point (x, y, z) to (-0.036 - x, 0.0712 - y, z).
  const Frame f50 = TurretFrame(Drawn(50, values));
  for (const auto& p : {std::array<double, 3>{0.0, 0.0, 0.05}, std::array<double, 3>{0.01, -0.02, 0.06}}) {
    const auto q = f50.Map(p[0], p[1], p[2]);
    EXPECT_NEAR(q[0], -0.036 - p[0], 1e-6);
    EXPECT_NEAR(q[1], 0.0712 - p[1], 1e-6);
    EXPECT_NEAR(q[2], p[2], 1e-6);
  }
  // Slot 85 turns about y = -0.033919: the origin goes to (0, -0.067838).
  const auto q85 = TurretFrame(Drawn(85, values)).Map(0, 0, 0);
  EXPECT_NEAR(q85[0], 0.0, 1e-6);
  EXPECT_NEAR(q85[1], -0.067838, 1e-6);
  // Slot 59 keeps the line x = 0, y = -0.03892 where it is, whatever the angle.
  for (float angle : {45.0f, 180.0f, -90.0f}) {
    values.turretAngle = angle;
    const auto q = TurretFrame(Drawn(59, values)).Map(0, -0.03892, 0.06);
    EXPECT_NEAR(q[0], 0.0, 1e-6) << angle;
    EXPECT_NEAR(q[1], -0.03892, 1e-6) << angle;
  }
}

TEST(VehicleModelProgram, FlashAndRecoil) {
  auto recoil = [](int32_t slot) {
    const ModelCallLog log = Drawn(slot);
    for (const auto& call : log.Calls())
      if (call.kind == Kind::kRecoil) return call.args[0];
    return 0.0f;
  };
  EXPECT_EQ(recoil(71), -0.02f);
  EXPECT_EQ(recoil(98), -0.015f);
  EXPECT_EQ(recoil(36), -0.012f);
  const ModelCallLog log45 = Drawn(45);
  EXPECT_EQ(Count(log45, Kind::kFlash), 0);
  EXPECT_EQ(Count(log45, Kind::kRecoil), 1);
  // Hull-only slots neither push nor call the vehicle.
  for (int32_t slot : {0, 1, 28, 29, 30, 31, 32, 33, 34, 49, 51, 52, 53, 54, 82, 86, 89, 90, 91, 96, 97}) {
    const ModelCallLog log = Drawn(slot);
    EXPECT_EQ(Count(log, Kind::kPush), 0) << slot;
    EXPECT_EQ(Count(log, Kind::kFlash) + Count(log, Kind::kRecoil), 0) << slot;
  }
  // Slot 36's flash point and the matrix it finds.
  const ModelCallLog log36 = Drawn(36);
  for (const auto& call : log36.Calls()) {
    if (call.kind != Kind::kFlash) continue;
    EXPECT_EQ(call.args, (std::vector<float>{1.0f, -0.002252104f, 0.15815791f, 0.071137466f}));
    EXPECT_EQ(call.depth, 1);
    EXPECT_EQ(call.stage, ModelCallLog::Stage::kGun);
  }
}

TEST(VehicleModelProgram, TrackOffsetsMoveTheirSidesStrips) {
  const ModelCallLog still = Drawn(46);
  ModelDrawValues values;
  values.trackScroll = {7.5f, 0.0f};  // the +x side's offset
  const ModelCallLog moved = Drawn(46, values);
  std::vector<int32_t> movedStrips, signs;
  int32_t strip = 0;
  for (size_t i = 0; i < still.Calls().size(); ++i) {
    const auto& a = still.Calls()[i];
    const auto& b = moved.Calls()[i];
    if (a.kind != Kind::kStrip) continue;
    ++strip;
    if (a.uvs == b.uvs) continue;
    movedStrips.push_back(strip);
    const int32_t sign = b.uvs[1] > a.uvs[1] ? 1 : -1;
    signs.push_back(sign);
    // Every drawn v is float(v + sign * s); u is untouched.
    for (size_t k = 0; k < a.uvs.size(); k += 2) {
      EXPECT_EQ(b.uvs[k], a.uvs[k]);
      const float want = sign > 0 ? a.uvs[k + 1] + 7.5f : a.uvs[k + 1] - 7.5f;
      EXPECT_EQ(std::memcmp(&b.uvs[k + 1], &want, sizeof want), 0);
    }
  }
  EXPECT_EQ(movedStrips, (std::vector<int32_t>{2, 3, 5, 8, 9}));
  EXPECT_EQ(signs, (std::vector<int32_t>{1, 1, 1, -1, -1}));
  // Slot 49's strips at -x stay with only the +x offset set; the -x offset moves only them.
  const ModelCallLog wheels = Drawn(49);
  const ModelCallLog plusOnly = Drawn(49, values);
  values.trackScroll = {0.0f, 3.25f};
  const ModelCallLog minusOnly = Drawn(49, values);
  for (size_t i = 0; i < wheels.Calls().size(); ++i) {
    const auto& a = wheels.Calls()[i];
    if (a.kind != Kind::kStrip) continue;
    const bool minusSide = a.args[0] < 0.0f;
    EXPECT_EQ(plusOnly.Calls()[i].uvs == a.uvs, minusSide) << i;
    EXPECT_EQ(minusOnly.Calls()[i].uvs == a.uvs, !minusSide) << i;
  }
}

TEST(VehicleModelProgram, VariantBlocksAndModel98) {
  const int32_t extra[][2] = {{63, 4}, {66, 2}, {68, 5}, {69, 5}, {70, 5}};
  for (const auto& e : extra) {
    const size_t plain = Kinds(Drawn(e[0], {}, false), true).size();
    EXPECT_EQ(Kinds(Drawn(e[0], {}, true), true).size(), plain + static_cast<size_t>(e[1])) << e[0];
  }
  // Model 98: black coloured fans first, track triangles whose v carries the side's offset, no
  // footprint, and the colour left black.
  std::array<float, 4> footprint{9999.0f, 0.0f, 0.0f, 0.0f};
  ModelDrawValues values;
  values.footprint = &footprint;
  values.trackScroll = {0.5f, 0.25f};
  const ModelCallLog log = Drawn(98, values);
  EXPECT_EQ(footprint[0], 9999.0f);
  EXPECT_EQ(Count(log, Kind::kColouredFan), 4);
  EXPECT_EQ(Count(log, Kind::kColour), 1);
  for (const auto& call : log.Calls())
    if (call.kind == Kind::kColour) {
      EXPECT_EQ(call.args, (std::vector<float>{0.0f, 0.0f, 0.0f}));
    }
  const ModelCallLog still = Drawn(98);
  int32_t shifted = 0;
  for (size_t i = 0; i < log.Calls().size(); ++i) {
    const auto& a = still.Calls()[i];
    const auto& b = log.Calls()[i];
    if (a.kind != Kind::kValue || a.uvs == b.uvs) continue;
    ++shifted;
    const float s = a.args[0] > 0.0f ? 0.5f : 0.25f;
    EXPECT_EQ(b.uvs[1], s + a.uvs[1]);
  }
  EXPECT_EQ(shifted, 32);
}

}  // namespace
