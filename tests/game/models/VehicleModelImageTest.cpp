// Every slot's compiled model drawn on the software device from far above (all but orthographic,
// 1,000 pixels a model unit): the hull stage covers its footprint to a pixel, and the barrel ends
// within 2 pixels of the flash point at turret angles 0, 90 and 180; and seen from the side the
// whole model stands on the ground row.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraph3DTexture.h"
#include "game/models/VehicleModelProgram.h"
#include "game/models/VehicleModelTable.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

constexpr int32_t kSide = 640;        // pixels, about the model's origin
constexpr float kPerUnit = 1000.0f;   // pixels a model unit
constexpr float kFar = 100.0f;        // the eye's height
constexpr uint16_t kBlank = 0x0000;

class White : public GGraph3DTexture {
 public:
  White() : surface_(8, 8, PPixelFormat::kARGB1555) {
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 8; ++x) surface_.Row16(y)[x] = 0xffff;
  }
  const PSurface* GetTexture() const override { return &surface_; }

 private:
  PSurface surface_;
};

// Forwards a model's drawing to the renderer, keeping only the part asked for: the hull stage
// (what comes before the first push), the barrel (what comes after the flash), or a small
// triangle centred on the flash point; or all of it.
enum class Part { kHull, kBarrel, kFlashPoint, kAll };

struct Picker {
  GGraph3D* g;
  Part part;
  bool pushed = false;
  bool flashed = false;

  bool Drawing() const {
    return part == Part::kAll || (part == Part::kHull ? !pushed : part == Part::kBarrel && flashed);
  }
  void SetBackfaceCulling(bool on) { g->SetBackfaceCulling(on); }
  void DrawTexturedStrip(bool clip, int32_t n, const float* xyz, const float* uv) {
    if (Drawing()) g->DrawTexturedStrip(clip, n, xyz, uv);
  }
  void DrawTexturedFan(bool clip, int32_t n, const float* xyz, const float* uv) {
    if (Drawing()) g->DrawTexturedFan(clip, n, xyz, uv);
  }
  void DrawTexturedTriangleArray(const float* p, const float* uv) {
    if (Drawing()) g->DrawTexturedTriangleArray(p, uv);
  }
  void DrawTexturedTriangle(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2, float u2,
                            float v2, float x3, float y3, float z3, float u3, float v3) {
    if (Drawing()) g->DrawTexturedTriangle(x1, y1, z1, u1, v1, x2, y2, z2, u2, v2, x3, y3, z3, u3, v3);
  }
  void DrawTexturedQuad(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2, float u2,
                        float v2, float x3, float y3, float z3, float u3, float v3, float x4, float y4, float z4,
                        float u4, float v4) {
    if (Drawing()) g->DrawTexturedQuad(x1, y1, z1, u1, v1, x2, y2, z2, u2, v2, x3, y3, z3, u3, v3, x4, y4, z4, u4, v4);
  }
  void SetColor(float r, float gr, float b) { g->SetColor(r, gr, b); }
  void DrawColouredFan(bool clip, int32_t n, const float* xyz) {
    if (Drawing()) g->DrawColouredFan(clip, n, xyz);
  }
  void PushMatrix() {
    pushed = true;
    g->PushMatrix();
  }
  void PopMatrix() { g->PopMatrix(); }
  void Translate(float x, float y, float z) { g->Translate(x, y, z); }
  void TranslateY(float y) { g->TranslateY(y); }
  void TranslateXY(float x, float y) { g->TranslateXY(x, y); }
  void TranslateYZ(float y, float z) { g->TranslateYZ(y, z); }
  void RotateX(float a) { g->RotateX(a); }
  void RotateY(float a) { g->RotateY(a); }
  void RotateZ(float a) { g->RotateZ(a); }
  // The host's calls.
  void DrawMuzzleFlash(float, float x, float y, float z) {
    flashed = true;
    if (part != Part::kFlashPoint) return;
    const float d = 0.002f;
    g->DrawTexturedTriangle(x - d, y - d, z, 0, 0, x + d, y - d, z, 0, 0, x, y + 2 * d, z, 0, 0);
  }
  void TranslateRecoil(float) {}
};

struct Picture {
  PSurface screen{kSide, kSide, PPixelFormat::kRGB565};
  PSoft3DDevice device{&screen, 1};
  GGraph3DHost host{&device, &screen};
  GGraph3D g{&host};
  White white;

  Picture() {
    gGraph3D = &g;
    g.Init3D();
  }
  ~Picture() { gGraph3D = nullptr; }

  // The drawn pixels of one part of a slot at a turret angle, as (column, row).
  // From above (+z, +y up on the screen), or from the right (+x, +y to the right, +z up).
  std::vector<std::pair<int32_t, int32_t>> Draw(int32_t slot, Part part, float turretAngle, bool side = false) {
    for (int32_t y = 0; y < kSide; ++y)
      for (int32_t x = 0; x < kSide; ++x) screen.Row16(y)[x] = kBlank;
    g.RenderBegin();
    g.SetProjection(0, 0, kSide, kSide, 2.0f * std::atan(0.5f * kSide / kPerUnit / kFar) * 57.2957795f, kFar - 1.0f,
                    kFar + 1.0f);
    if (side) {
      // Turned a little so that the bands of the running gear, edge-on from square to the side,
      // show their slopes and end faces.
      g.LookAt(kFar, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
      g.RotateZ(30.0f);
    } else {
      g.LookAt(0.0f, 0.0f, kFar, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    }
    g.SetColor(1.0f, 1.0f, 1.0f);
    g.SetTexture(&white);
    Picker picker{&g, part};
    std::array<float, 4> footprint{};
    ModelDrawValues values;
    values.turretAngle = turretAngle;
    values.footprint = &footprint;
    RunModelProgram(VehicleModelTable::Program(VehicleModelTable::RoutineOf(slot)), picker, &picker, values, false,
                    VehicleModelTable::VariantFor(slot, 1));
    g.RenderEnd();
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int32_t y = 0; y < kSide; ++y)
      for (int32_t x = 0; x < kSide; ++x)
        if (screen.Row16(y)[x] != kBlank) out.push_back({x, y});
    return out;
  }
};

bool HasFootprint(int32_t slot) {
  ModelCallLog log;
  std::array<float, 4> footprint{9999.0f, 0, 0, 0};
  ModelDrawValues values;
  values.footprint = &footprint;
  RunModelProgram(VehicleModelTable::Program(VehicleModelTable::RoutineOf(slot)), log, &log, values, false, true);
  return footprint[0] != 9999.0f;
}

TEST(VehicleModelImages, HullsCoverTheirFootprintsAndBarrelsEndOnTheFlash) {
  Picture picture;
  int32_t hulls = 0, barrels = 0;
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) {
    SCOPED_TRACE(slot);
    if (HasFootprint(slot)) {
      ++hulls;
      std::array<float, 4> footprint{};
      ModelDrawValues values;
      values.footprint = &footprint;
      ModelCallLog log;
      RunModelProgram(VehicleModelTable::Program(VehicleModelTable::RoutineOf(slot)), log, &log, values, false, true);
      // Pixel column c covers x from (c - 320) / 1000 to (c - 319) / 1000; rows grow to -y.
      int32_t x0 = kSide, x1 = -1, y0 = kSide, y1 = -1;
      for (const auto& [x, y] : picture.Draw(slot, Part::kHull, 0.0f)) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
      const float half = 0.5f * kSide;
      EXPECT_NEAR(static_cast<float>(x0), half + footprint[0] * kPerUnit, 1.0f);
      EXPECT_NEAR(static_cast<float>(x1 + 1), half + footprint[2] * kPerUnit, 1.0f);
      EXPECT_NEAR(static_cast<float>(y0), half - footprint[3] * kPerUnit, 1.0f);
      EXPECT_NEAR(static_cast<float>(y1 + 1), half - footprint[1] * kPerUnit, 1.0f);
    }
    for (float angle : {0.0f, 90.0f, 180.0f}) {
      const auto barrel = picture.Draw(slot, Part::kBarrel, angle);
      const auto flash = picture.Draw(slot, Part::kFlashPoint, angle);
      if (barrel.empty() || flash.empty()) break;
      if (angle == 0.0f) ++barrels;
      double fx = 0, fy = 0;
      for (const auto& [x, y] : flash) {
        fx += x + 0.5;
        fy += y + 0.5;
      }
      fx /= static_cast<double>(flash.size());
      fy /= static_cast<double>(flash.size());
      // The gun points along +y at 0 and to -x at +90; on screen +y is up.
      const double a = angle * 3.14159265358979 / 180.0;
      const double dx = -std::sin(a), dy = -std::cos(a);
      double reach = -1e9;
      for (const auto& [x, y] : barrel) reach = std::max(reach, (x + 0.5 - fx) * dx + (y + 0.5 - fy) * dy);
      EXPECT_NEAR(reach, 0.0, 2.0) << angle;
    }
  }
  EXPECT_GT(hulls, 90);
  EXPECT_GT(barrels, 40);
}

TEST(VehicleModelImages, SeenFromTheSideEveryModelStandsOnTheGroundRow) {
  // Seen level from the right, turned 30 degrees: row r covers z from (319 - r) / 1000 to
  // (320 - r) / 1000, so the ground row is 319, the lowest drawn row of a model whose lowest point
  // lies at z 0 (the routines' running gear reaches it within 0.0015, a pixel and a half).
  Picture picture;
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) {
    SCOPED_TRACE(slot);
    int32_t lowest = -1, top = kSide;
    for (const auto& [x, y] : picture.Draw(slot, Part::kAll, 0.0f, true)) {
      lowest = std::max(lowest, y);
      top = std::min(top, y);
    }
    EXPECT_GE(lowest, 318);
    EXPECT_LE(lowest, 319);
    EXPECT_LT(top, 300);  // and the model stands up from it
  }
}

}  // namespace
