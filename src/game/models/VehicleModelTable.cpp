#include "game/models/VehicleModelTable.h"

#include <array>
#include <cmath>

#include "framework/media/GGraph3D.h"
#include "game/models/ModelDrawContext.h"
#include "game/units/Vehicle.h"

namespace {

// Slot -> routine: a slot that shares the routine of an earlier slot names that slot.
constexpr int32_t SharedWith(int32_t slot) {
  switch (slot) {
    case 5: return 4;
    case 32: case 33: return 31;
    case 69: return 68;
    case 95: return 94;
    case 97: return 96;
    default: return slot;
  }
}

constexpr std::array<int8_t, VehicleModelTable::kSlots> MakeRoutines() {
  std::array<int8_t, VehicleModelTable::kSlots> routines{};
  int32_t next = 0;
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) {
    const int32_t owner = SharedWith(slot);
    routines[static_cast<size_t>(slot)] = static_cast<int8_t>(owner == slot ? next++ : routines[static_cast<size_t>(owner)]);
  }
  return routines;
}

constexpr std::array<int8_t, VehicleModelTable::kSlots> kRoutineOf = MakeRoutines();
static_assert(kRoutineOf[98] == VehicleModelTable::kRoutines - 1);

constexpr int32_t kVariantGroupRoutine = kRoutineOf[63];
// The routines of slots 94 to 98 publish no footprint.
constexpr int32_t kFirstFootlessRoutine = kRoutineOf[94];

// Texture slots of the stand-in's parts.
constexpr int32_t kHullTexture = 0;
constexpr int32_t kTrackTexture = 1;
constexpr int32_t kTurretTexture = 2;
constexpr int32_t kGunTexture = 3;
constexpr int32_t kVariantTexture = 11;

// The stand-in box in model units before the class size: hull, turret, gun, pivot, muzzle.
constexpr float kHull[6] = {-0.045f, -0.09f, 0.0f, 0.045f, 0.09f, 0.04f};
constexpr float kTurret[6] = {-0.03f, -0.035f, 0.04f, 0.03f, 0.035f, 0.065f};
constexpr float kGun[6] = {-0.004f, 0.03f, 0.05f, 0.004f, 0.14f, 0.056f};
constexpr float kPivot[3] = {0.0f, 0.03f, 0.053f};
constexpr float kMuzzleY = 0.14f;

// Fan of two triangles over one face of a box: 0 top, 1 left, 2 right, 3 front, 4 back.
void DrawFace(const float* b, int32_t face, bool clip, float vScroll) {
  const float x0 = b[0], y0 = b[1], z0 = b[2], x1 = b[3], y1 = b[4], z1 = b[5];
  float p[12] = {};
  auto put = [&p](int32_t i, float px, float py, float pz) {
    p[3 * i] = px;
    p[3 * i + 1] = py;
    p[3 * i + 2] = pz;
  };
  switch (face) {
    case 0: put(0, x0, y0, z1); put(1, x1, y0, z1); put(2, x1, y1, z1); put(3, x0, y1, z1); break;
    case 1: put(0, x0, y0, z0); put(1, x0, y0, z1); put(2, x0, y1, z1); put(3, x0, y1, z0); break;
    case 2: put(0, x1, y0, z0); put(1, x1, y1, z0); put(2, x1, y1, z1); put(3, x1, y0, z1); break;
    case 3: put(0, x0, y1, z0); put(1, x0, y1, z1); put(2, x1, y1, z1); put(3, x1, y1, z0); break;
    default: put(0, x0, y0, z0); put(1, x1, y0, z0); put(2, x1, y0, z1); put(3, x0, y0, z1); break;
  }
  const float uv[8] = {0.0f, vScroll, 1.0f, vScroll, 1.0f, 1.0f + vScroll, 0.0f, 1.0f + vScroll};
  gGraph3D->DrawTexturedFan(clip, 2, p, uv);
}

float ClassScale(const ModelDrawContext& context) {
  if (context.vehicle == nullptr) return 1.0f;
  const float size = context.vehicle->TrueClass().Size();
  return std::isfinite(size) && size > 0.0f ? 0.9f * size : 1.0f;
}

}  // namespace

int32_t VehicleModelTable::RoutineOf(int32_t slot) {
  return slot >= 0 && slot < kSlots ? kRoutineOf[static_cast<size_t>(slot)] : -1;
}

bool VehicleModelTable::TakesVariant(int32_t slot) {
  return slot == 63 || slot == 66 || slot == 68 || slot == 69 || slot == 70;
}

bool VehicleModelTable::VariantFor(int32_t slot, int32_t drawVariant) {
  if (slot == 63) return drawVariant == 1;
  return TakesVariant(slot) && drawVariant != 0;
}

void VehicleModelTable::Draw(int32_t slot, bool clip, int32_t drawVariant) {
  const int32_t routine = RoutineOf(slot);
  if (routine < 0) return;
  DrawStandIn(routine, clip, VariantFor(slot, drawVariant));
}

void VehicleModelTable::DrawStandIn(int32_t routine, bool clip, bool variant) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  ModelDrawContext& context = ModelDrawContext::Current();
  g->SetBackfaceCulling(false);
  const float k = ClassScale(context);
  if (routine < kFirstFootlessRoutine) context.footprint = {kHull[0] * k, kHull[1] * k, kHull[3] * k, kHull[4] * k};
  g->PushMatrix();
  g->Scale(k, k, k);
  context.Bind(kHullTexture);
  DrawFace(kHull, 0, clip, 0.0f);
  DrawFace(kHull, 3, clip, 0.0f);
  DrawFace(kHull, 4, clip, 0.0f);
  // The hull's sides carry the tracks, which run with the track offsets.
  context.Bind(kTrackTexture);
  DrawFace(kHull, 1, clip, context.trackScroll0);
  DrawFace(kHull, 2, clip, context.trackScroll1);
  if (variant && routine == kVariantGroupRoutine) {
    context.Bind(kVariantTexture);
    for (int32_t face = 0; face < 4; ++face) DrawFace(kHull, face, clip, 0.0f);
  }
  g->PushMatrix();
  g->RotateZ(context.turretAngle);
  if (context.turretTilt != 0.0f) g->RotateY(context.turretTilt);
  context.Bind(kTurretTexture);
  for (int32_t face = 0; face < 5; ++face) DrawFace(kTurret, face, clip, 0.0f);
  g->Translate(kPivot[0], kPivot[1], kPivot[2]);
  g->RotateX(context.gunElevation);
  g->Translate(-kPivot[0], -kPivot[1], -kPivot[2]);
  if (context.vehicle != nullptr) {
    context.vehicle->DrawMuzzleFlash(1.0f, kPivot[0], kMuzzleY, kPivot[2]);
    context.vehicle->TranslateRecoil(-0.012f);
  }
  context.Bind(kGunTexture);
  DrawFace(kGun, 0, clip, 0.0f);
  DrawFace(kGun, 1, clip, 0.0f);
  g->PopMatrix();
  g->PopMatrix();
  g->SetBackfaceCulling(true);
}
