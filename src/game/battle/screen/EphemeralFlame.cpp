// The flame jet of a shot of code 11: a textured tube that widens from the nozzle to the
// target, grows out, stays and pulls away, with a bed of fire at the target once it has
// arrived.
#include <array>
#include <cmath>

#include "framework/core/GRandom.h"
#include "framework/media/GGraph3D.h"
#include "game/battle/screen/EffectView.h"
#include "game/battle/screen/EphemeralShot.h"

namespace {

constexpr float kDegToRad = 0.017453292f;
constexpr float kSegment = 0.05f;
constexpr float kEndRadiusLog = 2.9f;

// The fire bed: four 8 m panels about the centre, (x, y, z, u, v), raised at the inner edge.
constexpr float kBed[4][20] = {
    {-4, 8, 0, 0, 1, 4, 8, 0, 1, 1, 4, 0, 0.5f, 1, 0, -4, 0, 0.5f, 0, 0},
    {0, 4, 0.5f, 0, 0, 8, 4, 0, 0, 1, 8, -4, 0, 1, 1, 0, -4, 0.5f, 1, 0},
    {-4, 0, 0.5f, 1, 0, 4, 0, 0.5f, 0, 0, 4, -8, 0, 0, 1, -4, -8, 0, 1, 1},
    {-8, 4, 0, 1, 1, 0, 4, 0.5f, 1, 0, 0, -4, 0.5f, 0, 0, -8, -4, 0, 0, 1},
};

// The ring about a segment's centre: (y, z) in radii.
constexpr float kRing[9][2] = {{1, 1}, {0, 1.1f}, {-1, 1}, {-1.1f, 0}, {-1, -1}, {0, -1.1f}, {1, -1}, {1.1f, 0}, {1, 1}};

}  // namespace

void EphemeralShot::LengthenFlame() {
  if (flameStarted || duration <= 0) return;
  flameStarted = true;
  flameArrival = duration;
  duration = duration * 2 < 120 ? 120 : duration * 2;
}

void EphemeralShot::FlameWindow(int32_t e, float* back, float* front) const {
  const int32_t l = flameArrival > 0 ? flameArrival : 1;
  const auto lf = static_cast<float>(l);
  if (e < l) {
    *back = 0.0f;
    *front = static_cast<float>(e) / lf;
  } else if (e < duration - l) {
    *back = 0.0f;
    *front = 1.0f;
  } else {
    *back = 1.0f - static_cast<float>(duration - e) / lf;
    *front = 1.0f;
  }
}

void EphemeralShot::DrawFlame(int32_t slice, EffectView& view, float sx, float sy, float sz) {
  LengthenFlame();  // made long already by the battle; a stray one is set here once
  GGraph3D& g = *gGraph3D;
  GRandom& random = view.Random();
  const int32_t e = slice - start;
  float back = 0.0f;
  float front = 0.0f;
  FlameWindow(e, &back, &front);
  const float tx = random.RandomFloatTimes(0.8f) + targetX - 0.4f;
  const float ty = random.RandomFloatTimes(0.8f) + targetY - 0.4f;
  const float tz = targetZ;
  const float d = std::hypot(tx - sx, ty - sy);
  float nx = sx + std::cos(heading * kDegToRad);
  float ny = sy + std::sin(heading * kDegToRad);
  if (d > 0.0f) {
    nx = sx + (tx - sx) / d;
    ny = sy + (ty - sy) / d;
  }
  const float nz = sz + 1.1f;
  g.PushMatrix();
  g.TranslateXY(nx, ny);
  g.RotateZ(heading);
  view.BindRandomEffectTexture();
  const float ze = tz - std::exp(kEndRadiusLog) * 0.1f * 1.100000023841858f;
  float j = random.RandomFloatTimes(0.1f) - 0.05f;
  std::array<float, 18 * 3> xyz{};
  std::array<float, 18 * 2> uv{};
  for (float u = 0.0f; u < 0.975f; u += kSegment) {
    const float u1 = u + kSegment;
    float a = u;
    if (back != 0.0f && u < back) {
      if (u1 < back) continue;
      a = back;
    }
    float b = u1;
    if (front != 1.0f && u1 > front) {
      if (u > front) continue;
      b = front;
    }
    const float ra = 0.1f * std::exp(kEndRadiusLog * a);
    const float rb = 0.1f * std::exp(kEndRadiusLog * b);
    const float za = nz * (1.0f - a) + a * ze + 0.26f * d * a * (1.0f - a) + j;
    j = random.RandomFloatTimes(0.1f) - 0.05f;
    const float zb = nz * (1.0f - b) + b * ze + 0.26f * d * b * (1.0f - b) + j;
    for (size_t m = 0; m < 9; ++m) {
      const float v = static_cast<float>(m) / 8.0f;
      float* p = &xyz[m * 6];
      p[0] = a * d;
      p[1] = kRing[m][0] * ra;
      p[2] = za + kRing[m][1] * ra;
      p[3] = b * d;
      p[4] = kRing[m][0] * rb;
      p[5] = zb + kRing[m][1] * rb;
      float* t = &uv[m * 4];
      t[0] = a;
      t[1] = v;
      t[2] = b;
      t[3] = v;
    }
    g.DrawTexturedStrip(true, 16, xyz.data(), uv.data());
  }
  if (e > flameArrival + 4) {
    g.SetBackfaceCulling(false);
    g.PopMatrix();
    g.PushMatrix();
    g.Translate(tx, ty, tz + 2.0f * view.DetailFactorAt(tx, ty));
    g.RotateZ(heading);
    view.BindAnimatedFireTexture();
    for (const auto& q : kBed) {
      g.DrawTexturedQuad(q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], q[8], q[9], q[10], q[11], q[12], q[13], q[14],
                         q[15], q[16], q[17], q[18], q[19]);
    }
    g.SetBackfaceCulling(true);
  }
  g.PopMatrix();
}
