#include "game/battle/screen/EphemeralShot.h"

#include <cmath>

#include "framework/core/GRandom.h"
#include "framework/media/GGraph3D.h"
#include "game/battle/screen/EffectView.h"
#include "game/battle/screen/EphemeralBurst.h"
#include "game/battle/screen/ShotModels.h"
#include "game/map/Heading.h"

namespace {

// The effect codes as data: projectiles, spacing between them (x D), speed factor, size, arc coefficient
// (x D x D / speed squared) and the least squared horizontal distance before drawing (0:
// always).
struct CodeRow {
  int32_t count;
  float spacing;
  float speed;
  float size;
  float arc;
  float least;
};

constexpr CodeRow kRows[EphemeralShot::kCodes] = {
    {1, 0.0f, 1.0f, 0.2f, 0.00305f, 10.0f},          // 0
    {1, 0.0f, 1.0f, 0.2f * 0.7f, 0.00305f, 0.0f},    // 1: smoke trail
    {1, 0.0f, 1.0f, 0.2f * 0.7f, 0.00305f, 0.0f},    // 2
    {1, 0.0f, 1.0f, 0.2f, 0.0f, 0.0f},               // 3
    {1, 0.0f, 1.0f, 0.2f * 0.5f, 0.0f, 0.0f},        // 4
    {4, 0.166666f, 2.0f, 0.2f, 0.00305f, 10.0f},     // 5
    {1, 0.0f, 1.0f, 0.2f * 0.7f, 0.01525f, 0.0f},    // 6
    {1, 0.0f, 1.0f, 0.2f, 0.0f, 0.0f},               // 7: falls from 600 m
    {1, 0.0f, 1.0f, 0.075f, 0.00305f, 0.0f},         // 8
    {1, 0.0f, 1.0f, 0.0625f, 0.00305f, 0.0f},        // 9
    {1, 0.0f, 1.0f, 0.075f, 0.00305f, 0.0f},         // 10
    {0, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f},               // 11: flame jet
    {1, 0.0f, 1.0f, 0.2f * 0.5f, 0.00915f, 0.0f},    // 12
    {1, 0.0f, 1.0f, 0.2f, 0.0f, 0.0f},               // 13
    {1, 1.0f, 1.0f, 0.0875f, 0.00305f, 7.0f},        // 14
    {2, 0.545454f / 1.0f, 2.2f, 0.0875f, 0.00305f, 7.0f},  // 15 and above: code - 13 tracers
    {3, 0.545454f / 2.0f, 2.2f, 0.0875f, 0.00305f, 7.0f},
    {4, 0.545454f / 3.0f, 2.2f, 0.0875f, 0.00305f, 7.0f},
    {5, 0.545454f / 4.0f, 2.2f, 0.0875f, 0.00305f, 7.0f},
    {6, 0.545454f / 5.0f, 2.2f, 0.0875f, 0.00305f, 7.0f},
};

bool ValidCode(int32_t code) { return code >= 0 && code < EphemeralShot::kCodes; }

float Spacing(const CodeRow& row) { return row.spacing; }

float Arc(const CodeRow& row, int32_t duration) {
  const float d = static_cast<float>(duration) / row.speed;
  return row.arc * d * d;
}

}  // namespace

int32_t EphemeralShot::ProjectileCount() const { return ValidCode(code) ? kRows[code].count : 0; }

float EphemeralShot::ProjectileSize(int32_t viewLevel) const {
  if (!ValidCode(code)) return 0.0f;
  return kRows[code].size * (viewLevel >= 3 ? 1.5f : 1.0f);
}

bool EphemeralShot::ProjectileAt(int32_t slice, int32_t i, float sx, float sy, float sz, float* x, float* y,
                                 float* z) const {
  if (i < 0 || i >= ProjectileCount() || duration == 0) return false;
  const CodeRow& row = kRows[code];
  const float back = static_cast<float>(i * duration) * Spacing(row);
  const auto own = static_cast<int32_t>(static_cast<float>(slice) - back);
  const float f = static_cast<float>(ElapsedFraction(own)) * row.speed;
  if (!(f > 0.0f && f <= 1.0f)) return false;
  const float dx = (targetX - sx) * f;
  const float dy = (targetY - sy) * f;
  if (row.least > 0.0f && dx * dx + dy * dy < row.least) return false;
  const float te = targetZ + (raised ? 1.5f : 0.0f);
  const float ts = sz + muzzleHeight;
  if (code == 7) {
    *x = targetX;
    *y = targetY;
    *z = ts + (te - ts) * f + (1.0f - f) * 600.0f;
  } else {
    *x = sx + dx;
    *y = sy + dy;
    *z = ts + (te - ts) * f + (0.25f - (0.5f - f) * (0.5f - f)) * Arc(row, duration);
  }
  return true;
}

void EphemeralShot::Draw(int32_t slice, EffectView& view) {
  if (!ValidCode(code)) return;
  if (shooter != nullptr && !shownToBoth && !view.IsViewersSide(*shooter)) return;
  if (duration == 0) return;
  float sx = originX;
  float sy = originY;
  float sz = originZ;
  if (!fixedSource && shooter != nullptr) view.ShooterPoint(*shooter, &sx, &sy, &sz);
  if (code == kFlameCode) {
    DrawFlame(slice, view, sx, sy, sz);
    return;
  }
  GGraph3D& g = *gGraph3D;
  const CodeRow& row = kRows[code];
  const float size = ProjectileSize(view.ViewLevel());
  const bool axisTracer = !fixedSource && shooter != nullptr && view.IsAxis(*shooter);
  for (int32_t i = row.count - 1; i >= 0; --i) {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    if (!ProjectileAt(slice, i, sx, sy, sz, &x, &y, &z)) continue;
    g.PushMatrix();
    g.Translate(x, y, z);
    g.RotateZ(heading);
    const float f =
        static_cast<float>(ElapsedFraction(static_cast<int32_t>(static_cast<float>(slice) -
                                                                static_cast<float>(i * duration) * Spacing(row)))) *
        row.speed;
    switch (code) {
      case 8:
      case 9:
        g.SetColor(0.1f, 0.1f, 0.1f);
        g.RotateY(f * 360.0f);
        g.Scale(size, size, size);
        ShotModels::DrawB();
        if (code == 9) ShotModels::DrawRod();
        break;
      case 10:
        g.SetColor(0.6f, 0.5f, 0.3f);
        g.RotateXY(f * 120.0f, f * 360.0f);
        g.Scale(size * 3.0f, size, size * 3.0f);
        ShotModels::DrawSlab();
        break;
      case 6:
      case 12:
        g.SetColor(0.15f, 0.19f, 0.17f);
        g.Scale(size, size, size);
        g.RotateY(90.0f);
        ShotModels::DrawB();
        break;
      default:
        if (code >= 14) {
          if (std::fabs(sz - targetZ) > 5.0f)
            g.RotateY(HeadingDegrees(std::hypot(targetX - sx, targetY - sy), sz - targetZ));
          g.Scale(size * 18.0f, size, size);
          if (axisTracer) {
            g.SetColor(1.0f, 0.5f, 0.4f);
          } else {
            g.SetColor(1.0f, 0.85f, 0.3f);
          }
        } else {
          if (code == 7) g.RotateY(90.0f);
          g.Scale(size, size, size);
          if (code == 1 || code == 2 || code == 7) {
            g.SetColor(0.15f, 0.19f, 0.17f);
          } else {
            g.SetColor(0.91f, 0.78f, 0.33f);
          }
        }
        ShotModels::DrawA();
        break;
    }
    g.PopMatrix();
    if (code == 1) {
      const bool high = view.ElevationAt(sx, sy) + 50.0f < sz;
      DrawTrail(f, sx, sy, sz, targetZ + (raised ? 1.5f : 0.0f), high, view);
    }
  }
}

void EphemeralShot::DrawTrail(float f, float sx, float sy, float sz, float te, bool high, EffectView& view) const {
  GGraph3D& g = *gGraph3D;
  GRandom& random = view.Random();
  g.SetColor(0.75f, 0.75f, 0.75f);
  constexpr float b = 0.5f;
  const float ts = sz + muzzleHeight;
  const float d = static_cast<float>(duration);
  const float arc = 0.00305f * d * d;
  const float wx = targetX - sx;
  const float wy = targetY - sy;
  const float wz = te - ts;
  // Puts a jittered puff at the point: z, then y, then x are moved.
  auto puff = [&](float px, float py, float pz, float jitter, float w) {
    g.PushMatrix();
    const float jz = (random.RandomFloat() * 2.0f - 1.0f) * jitter;
    const float jy = (random.RandomFloat() * 2.0f - 1.0f) * jitter;
    const float jx = (random.RandomFloat() * 2.0f - 1.0f) * jitter;
    g.Translate(px + jx, py + jy, pz + jz);
    const auto turnZ = static_cast<float>(random.Random(360));
    const auto turnX = static_cast<float>(random.Random(360));
    g.RotateZX(turnZ, turnX);
    g.Scale(w, w, w);
    ShotModels::DrawPuff();
    g.PopMatrix();
  };
  if (high) {
    for (float q = 0.2f; q < f; q += 0.016f) {
      const float a = q + 1.0f - f;
      const float alpha = (random.RandomFloat() * 0.4f + 0.3f) * a;
      g.SetAlpha(alpha);
      puff(sx + wx * q, sy + wy * q, ts + wz * q + (0.25f - (0.5f - q) * (0.5f - q)) * arc, (1.0f - alpha) * 0.03f,
           b * (1.5f - a));
    }
  } else {
    for (float q = 0.0f; q < f * 0.05f; q += 0.002f) {
      const float a = q + 1.0f - f * 0.5f;
      const float s = (random.RandomFloat() * 0.4f + 0.3f) * a;
      const float alpha = random.RandomFloat() * 0.2f + 0.05f;
      g.SetAlpha(alpha);
      puff(sx - wx * q, sy - wy * q, ts - wz * q - q * arc, (1.0f - s) * 0.03f,
           (1.5f - a) * (q * 40.0f + 1.0f) * b * 2.0f);
    }
  }
  g.SetAlpha(1.0f);
}

Ephemeral* EphemeralShot::Step(int32_t replaySlice) {
  if (burstLeft || End() > replaySlice) return nullptr;
  burstLeft = true;
  return MakeBurst(GRandom::Presentation());
}

EphemeralBurst* EphemeralShot::MakeBurst(GRandom& random) const {
  if (code >= kFirstFollowingCode || !burst || !EphemeralBurst::IsSizeValid(burstSize)) return nullptr;
  auto* b = new EphemeralBurst(secondBurst ? 2 : (raised ? 1 : 0));
  b->originX = targetX;
  b->originY = targetY;
  b->originZ = targetZ;
  b->size = burstSize;
  b->dust = false;
  b->raised = (code == 0 || code == 1 || code == 2 || code == 5) && raised;
  b->start = End() + ((code >= 8 && code <= 10) ? 80 : 0);
  b->duration = static_cast<int32_t>((burstSize * 0.015f + 0.225f) * 212.0f);
  b->SetupElements(random);
  return b;
}

void ShotModels::DrawA() {
  GGraph3D& g = *gGraph3D;
  g.DrawColouredFan(true, 4, kATip.data());
  g.DrawColouredStrip(true, 8, kABody.data());
  g.DrawColouredQuad(kABase[0], kABase[1], kABase[2], kABase[3], kABase[4], kABase[5], kABase[6], kABase[7], kABase[8],
                     kABase[9], kABase[10], kABase[11]);
}

void ShotModels::DrawB() {
  GGraph3D& g = *gGraph3D;
  g.DrawColouredFan(true, 4, kBFront.data());
  g.DrawColouredFan(true, 4, kBBack.data());
  g.DrawColouredStrip(true, 8, kBBody.data());
}

void ShotModels::DrawRod() { gGraph3D->DrawColouredStrip(true, 8, kRod.data()); }

void ShotModels::DrawSlab() {
  GGraph3D& g = *gGraph3D;
  g.DrawColouredStrip(true, 8, kBBody.data());
  for (const Quad* q : {&kSlabFront, &kSlabBack}) {
    const Quad& v = *q;
    g.DrawColouredQuad(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]);
  }
}

void ShotModels::DrawPuff() {
  gGraph3D->DrawColouredFan(true, 4, kPuffTop.data());
  gGraph3D->DrawColouredFan(true, 4, kPuffBottom.data());
}
