#include "game/units/draw/MuzzleFlashModel.h"

#include <array>
#include <cmath>

#include "framework/media/GGraph3D.h"

namespace {

constexpr int32_t kMaxFanPoints = 8;
constexpr float kFlashPi = 3.14159265f;

// One fan of the flash: its points (centre first) and colour.
struct Fan {
  int32_t triangles = 0;
  std::array<float, kMaxFanPoints * 3> xyz{};
  float r = 1.0f;
  float g = 1.0f;
  float b = 1.0f;
};

// The flash's fans, built once from a fixed rule: petals at 13 turns about the barrel and five
// lengths along it, each a fan from a point on the barrel's line spread over an arc; the
// longer petals are redder. Coordinates are of the order of 0.01.
const std::array<Fan, MuzzleFlashModel::kFans>& Fans() {
  static const std::array<Fan, MuzzleFlashModel::kFans> fans = [] {
    std::array<Fan, MuzzleFlashModel::kFans> out{};
    for (int32_t i = 0; i < MuzzleFlashModel::kFans; ++i) {
      Fan& fan = out[static_cast<size_t>(i)];
      fan.triangles = MuzzleFlashModel::FanTriangles(i);
      const int32_t ring = i / 13;
      const float turn = static_cast<float>(i % 13) * (2.0f * kFlashPi / 13.0f);
      const float base = 0.004f * static_cast<float>(ring);
      const float length = 0.012f + 0.006f * static_cast<float>(ring);
      const float spread = 0.004f + 0.0015f * static_cast<float>(4 - ring);
      fan.xyz[0] = 0.0f;
      fan.xyz[1] = base;
      fan.xyz[2] = 0.0f;
      for (int32_t p = 0; p <= fan.triangles; ++p) {
        const float t = static_cast<float>(p) / static_cast<float>(fan.triangles) - 0.5f;
        const float along = base + length * (1.0f - 0.6f * t * t);
        const float side = spread * t * 2.0f;
        const float out1 = 0.006f * static_cast<float>(ring + 1) * 0.25f;
        const auto at = static_cast<size_t>(3 * (p + 1));
        fan.xyz[at] = std::cos(turn) * out1 - std::sin(turn) * side;
        fan.xyz[at + 1] = along;
        fan.xyz[at + 2] = std::sin(turn) * out1 + std::cos(turn) * side;
      }
      fan.r = 1.0f;
      fan.g = 0.95f - 0.12f * static_cast<float>(ring);
      fan.b = 0.7f - 0.16f * static_cast<float>(ring);
    }
    return out;
  }();
  return fans;
}

// The white-hot core: two triangles crossed at the muzzle.
constexpr std::array<float, 18> kCore{-0.004f, 0.0f, 0.0f, 0.004f, 0.0f, 0.0f, 0.0f, 0.016f, 0.0f,
                                      0.0f, 0.0f, -0.004f, 0.0f, 0.0f, 0.004f, 0.0f, 0.016f, 0.0f};

}  // namespace

int32_t MuzzleFlashModel::FanTriangles(int32_t fan) { return 2 + fan % 5; }

void MuzzleFlashModel::Draw(bool clip) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  for (const Fan& fan : Fans()) {
    g->SetColor(fan.r, fan.g, fan.b);
    g->DrawColouredFan(clip, fan.triangles, fan.xyz.data());
  }
  g->SetColor(1.0f, 1.0f, 0.9f);
  g->DrawColouredTriangleArray(kCore.data());
  g->DrawColouredTriangleArray(kCore.data() + 9);
  g->SetBackfaceCulling(culling);
}

void MuzzleFlashModel::DrawCrossedQuads() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  g->DrawTexturedQuad(-0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f, 0.5f, 1.0f, 0.0f, 1.0f, 0.0f,
                      -0.5f, 1.0f, 0.0f, 0.0f, 0.0f);
  g->DrawTexturedQuad(0.0f, 0.0f, -0.5f, 0.0f, 1.0f, 0.0f, 0.0f, 0.5f, 1.0f, 1.0f, 0.0f, 1.0f, 0.5f, 1.0f, 0.0f, 0.0f,
                      1.0f, -0.5f, 0.0f, 0.0f);
  g->SetBackfaceCulling(culling);
}

void MuzzleFlashModel::DrawSmokePuff() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  // Octagons in the XZ and YZ planes, centred on the origin, of the flash model's order of
  // size: a vehicle model's unit is some 29 m, so the puff the drawing scales by 11.5 grows to
  // about 13 m over a tank's gun, and to about 2 m over a small gun's 300-unit figure size.
  std::array<float, 30> first{};
  std::array<float, 30> second{};
  for (int32_t p = 0; p <= 8; ++p) {
    const float a = static_cast<float>(p % 8) * (kFlashPi / 4.0f);
    const auto at = static_cast<size_t>(3 * (p + 1));
    first[at] = kPuffRadius * std::cos(a);
    first[at + 2] = kPuffRadius * std::sin(a);
    second[at + 1] = kPuffRadius * std::cos(a);
    second[at + 2] = kPuffRadius * std::sin(a);
  }
  g->DrawColouredFan(true, 8, first.data());
  g->DrawColouredFan(true, 8, second.data());
  g->SetBackfaceCulling(culling);
}
