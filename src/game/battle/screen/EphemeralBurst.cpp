#include "game/battle/screen/EphemeralBurst.h"

#include <cmath>

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/battle/screen/EffectView.h"
#include "game/map/Heading.h"
#include "game/units/draw/MuzzleFlashModel.h"

namespace {

constexpr double kDegToRad = 0.017453292519444445;
constexpr int32_t kSmokeHighQuality = 2;

// The fragments' look by burst type: column picked at random from nine.
constexpr int8_t kTextureKinds[3][9] = {
    {0, 0, 0, 0, 1, 1, 1, 2, 3},
    {2, 2, 2, 2, 2, 2, 3, 3, 3},
    {2, 2, 2, 2, 2, 2, 2, 2, 2},
};

}  // namespace

EphemeralBurst::EphemeralBurst(int32_t type) : burstType(type) {
  if (type < 0 || type > 2) FatalError(606, "Ephemeral");
  bounds.Set(0.0f, 0.0f, -5.5f, 11.0f, 11.0f, 11.0f);
}

EphemeralBurst* EphemeralBurst::NewDustCloud(float x, float y, float groundZ, bool large, int32_t start,
                                             GRandom& random) {
  auto* b = new EphemeralBurst(1);
  b->originX = x;
  b->originY = y;
  b->originZ = groundZ;
  b->raised = true;
  b->size = 20.0f * (large ? 4.5f : 3.0f);
  b->dust = true;
  b->start = start;
  b->duration = static_cast<int32_t>((random.RandomFloatTimes(2.0f) + 7.0f + (large ? 1.5f : 0.0f)) * 40.0f);
  b->SetupElements(random);
  return b;
}

int32_t EphemeralBurst::ElementCountFor(int32_t duration) {
  // In double: float gives other counts at durations such as 10, 20, 30.
  const auto k = static_cast<int32_t>(static_cast<double>(duration) * 0.18867924528301888);
  const double kd = static_cast<double>(k);
  return static_cast<int32_t>(kd * (kd * 0.12));
}

bool EphemeralBurst::IsSizeValid(float s) { return std::isfinite(s) && s >= 0.0f && s <= kMaxSize; }

void EphemeralBurst::SetupElements(GRandom& random) {
  const float d = static_cast<float>(duration);
  const float s1 = d * 0.1225f;
  int32_t count = ElementCountFor(duration);
  if (dust) count = static_cast<int32_t>(static_cast<double>(count) * 0.6);
  if (count > kMaxElements) count = kMaxElements;
  if (count < 0) count = 0;
  elementCount = count;
  const float s2 = d * 0.012f;
  for (int32_t i = count - 1; i >= 0; --i) {
    const auto u = static_cast<size_t>(i);
    const int8_t kind = kTextureKinds[burstType][random.Random(9)];
    textureKind[u] = kind;
    float r = 0.0f;
    if (dust) {
      r = random.RandomFloatTimes(0.35f) + 0.65f;
    } else {
      r = random.RandomFloat();
      if (kind == 2) r *= burstType == 2 ? 0.75f : 0.4f;
    }
    halfSize[u] = (s2 * r + 0.1f) * 0.25f;
    const float a = random.RandomFloatTimes(6.2831855f);
    const auto e = static_cast<float>(static_cast<double>(random.RandomFloatTimes(70.0f) + 20.0f) * kDegToRad);
    const float v = (random.RandomFloatTimes(0.65f) + 0.35f) * s1 * (1.0f - r * 0.6f);
    float* vel = &velocity[u * 3];
    vel[0] = std::cos(a) * std::cos(e) * v;
    vel[1] = std::sin(a) * std::cos(e) * v;
    vel[2] = std::sin(e) * v;
    if (burstType != 0 && random.Random(2) == 0) vel[2] = -vel[2];
    if (burstType == 2) vel[2] -= 10.0f;
    rotation[u * 2] = random.RandomFloatTimes(360.0f);
    rotation[u * 2 + 1] = random.RandomFloatTimes(360.0f);
    spin[u * 2] = 70.0f - random.RandomFloatTimes(140.0f);
    spin[u * 2 + 1] = 70.0f - random.RandomFloatTimes(140.0f);
  }
  puffCount = count / 25;
  if (puffCount < 1) puffCount = 1;
  if (puffCount > kMaxPuffs) puffCount = kMaxPuffs;
  for (int32_t j = puffCount - 1; j >= 0; --j) {
    const auto u = static_cast<size_t>(j);
    puffGrowth[u] = random.RandomFloatTimes(1.0f) + 1.0f;
    float reach = 0.0f;
    float radius = 1.5f;
    float startFraction = 0.05f;
    if (j != 0) {
      reach = random.RandomFloatTimes(size * 0.08f);
      radius = random.RandomFloatTimes(1.0f) + 0.5f;
      startFraction = random.RandomFloatTimes(0.11f) + 0.05f;
    }
    puffRadius[u] = radius * size * 0.075f;
    puffStart[u] = startFraction;
    const auto a = static_cast<float>(static_cast<double>(random.RandomFloatTimes(360.0f)) * kDegToRad);
    const auto e = static_cast<float>(static_cast<double>(random.RandomFloatTimes(360.0f)) * kDegToRad);
    puffOffset[u * 3] = std::cos(a) * std::cos(e) * reach;
    puffOffset[u * 3 + 1] = std::sin(a) * std::cos(e) * reach;
    puffOffset[u * 3 + 2] = std::sin(e) * 0.6f * reach;
  }
}

void EphemeralBurst::Draw(int32_t slice, EffectView& view) {
  const auto t = static_cast<float>(ElapsedFraction(slice));
  if (!(t >= 0.0f)) return;
  GGraph3D& g = *gGraph3D;
  GRandom& random = view.Random();
  const bool highQuality = view.SmokeOption() == kSmokeHighQuality;
  g.PushMatrix();
  const float h = raised ? originZ + 1.5f : originZ;
  g.Translate(originX, originY, h);

  float f = t;
  if (dust) {
    if (t > 0.0f) f = t * 0.93f + 0.07f;
  } else {
    f = t * 5.3f;
    if (highQuality) f *= 1.25f;
  }
  if (f <= 1.0f) {
    float s = size * f * 57.6f;
    if (!dust) s *= 0.6f;
    g.PushMatrix();
    g.Scale(s, s, dust ? s * 0.5f : s);
    const auto turnZ = static_cast<float>(random.Random(360));
    const auto turnX = static_cast<float>(random.Random(360));
    g.RotateZX(turnZ, turnX);
    bool partly = false;
    if (bounds.IsVisible(&partly)) {
      const float p = std::pow(1.0f - f, 1.5f);
      float alpha = p / (2.0f - p);
      if (dust) {
        alpha *= 0.5f;
        const float b = random.RandomFloatTimes(0.2f) + 0.8f;
        const float gr = random.RandomFloatTimes(0.2f) + 0.8f;
        g.SetColor(1.0f, gr, b);
      } else {
        const float gg = random.Random(2) == 0 ? f : (f + 1.0f) * 0.5f;
        const float bb = random.Random(2) == 0 ? f * 0.5f : (f + 1.0f) * 0.25f;
        g.SetColor(1.0f, 0.499f + bb, gg);
        if (highQuality) alpha *= 0.3f;
      }
      g.SetAlpha(alpha);
      MuzzleFlashModel::Draw(partly);
      g.SetAlpha(1.0f);
    }
    g.PopMatrix();
  }

  if (t <= 1.0f) {
    g.SetBackfaceCulling(false);
    const float ts = static_cast<float>(slice - start) * 0.025f;
    for (int32_t i = elementCount - 1; i >= 0; --i) {
      const auto u = static_cast<size_t>(i);
      const float* vel = &velocity[u * 3];
      const float z = (vel[2] - ts * 4.9f) * ts;
      if (!(z > -15.0f)) continue;
      g.PushMatrix();
      g.Translate(vel[0] * ts, vel[1] * ts, z);
      g.RotateYX(rotation[u * 2] + spin[u * 2] * ts, rotation[u * 2 + 1] + spin[u * 2 + 1] * ts);
      view.BindEffectTexture(textureKind[u]);
      const float hs = halfSize[u];
      if (textureKind[u] == 2) {
        g.DrawTexturedTriangle(-hs, -0.864f * hs, 0.0f, 0.0f, 0.0f, 0.0f, 0.864f * hs, 0.0f, 0.5f, 1.0f, hs,
                               -0.864f * hs, 0.0f, 1.0f, 0.0f);
      } else {
        g.DrawTexturedQuad(-hs, -hs, 0.0f, 0.0f, 0.0f, -hs, hs, 0.0f, 0.0f, 1.0f, hs, hs, 0.0f, 1.0f, 1.0f, hs, -hs,
                           0.0f, 1.0f, 0.0f);
      }
      g.PopMatrix();
    }
    const float t2 = t * 1.5f;
    if (highQuality && t2 <= 1.0f) {
      for (int32_t j = puffCount - 1; j >= 0; --j) {
        const auto u = static_cast<size_t>(j);
        if (!(puffStart[u] <= t2)) continue;
        const float p = (t2 - puffStart[u]) / (1.0f - puffStart[u]) * puffGrowth[u];
        if (p > 1.0f) continue;
        const float k = p + 1.0f;
        const float* off = &puffOffset[u * 3];
        float z = k * 2.3f * off[2];
        if (view.ViewLevel() >= 4) z += 1.5f;
        g.PushMatrix();
        g.Translate(k * off[0], k * off[1], z);
        const float dx = view.EyeX() - originX - k * off[0];
        const float dy = view.EyeY() - originY - k * off[1];
        g.RotateZX(HeadingDegrees(dx, dy) - 90.0f, HeadingDegrees(std::sqrt(dx * dx + dy * dy), view.EyeHeight() - h - z));
        g.RotateY(rotation[u * 2] + spin[u * 2] * 0.5f * p);
        const float w = (p * 1.5f + 0.5f) * puffRadius[u];
        int32_t frame = static_cast<int32_t>(std::pow(p, 0.7f) * 10.0f);
        if (frame >= 10) frame = 9;
        if (frame < 0) FatalError(811, "Ephemeral");
        g.SetAlpha(1.0f - p * 0.98f);
        view.BindSmokeTexture(frame);
        g.DrawTexturedQuad(-w, 0.0f, w, 0.0f, 1.0f, w, 0.0f, w, 1.0f, 1.0f, w, 0.0f, -w, 1.0f, 0.0f, -w, 0.0f, -w, 0.0f,
                           0.0f);
        g.PopMatrix();
      }
      g.SetAlpha(1.0f);
    }
    g.SetBackfaceCulling(true);
  }
  g.PopMatrix();
}
