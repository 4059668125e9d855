// Lines and labels over the terrain: movement paths and target lines as low ridges that
// follow the ground, and label texts the battlefield view draws above a world point.
#include <algorithm>
#include <cmath>
#include <utility>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"

namespace {

constexpr float kCoordinateLimit = 25000.0f;
constexpr float kStep = 5.0f;
constexpr int32_t kMaxSteps = 3000;
constexpr float kBand = 0.03125f;
constexpr float kRidgeU = 0.96f;
constexpr float kSideU = 0.04f;

struct Point {
  float x, y, z;
};

}  // namespace

void Map::SetLineStyle(int32_t style) {
  overGround.lineBound = BindOverGroundTexture(kLineTexture);
  overGround.lineTop = static_cast<float>(style) * kBand + 0.001f;
  overGround.lineBottom = static_cast<float>(style) * kBand + kBand - 0.001f;
}

void Map::DrawTerrainLine(bool textured, bool wide, float x0, float y0, float z0, float x1, float y1, float z1) {
  GGraph3D* g = gGraph3D;
  overGround.lineSteps = 0;
  if (g == nullptr) return;
  const float given[6] = {x0, y0, z0, x1, y1, z1};
  for (float v : given) {
    if (!std::isfinite(v)) return;
  }
  Point a{std::clamp(x0, -kCoordinateLimit, kCoordinateLimit), std::clamp(y0, -kCoordinateLimit, kCoordinateLimit),
          std::clamp(z0, -kCoordinateLimit, kCoordinateLimit)};
  Point e{std::clamp(x1, -kCoordinateLimit, kCoordinateLimit), std::clamp(y1, -kCoordinateLimit, kCoordinateLimit),
          std::clamp(z1, -kCoordinateLimit, kCoordinateLimit)};
  // The walk runs toward larger values of the main axis.
  const bool alongX = std::fabs(e.x - a.x) > std::fabs(e.y - a.y);
  auto main = [alongX](const Point& p) { return alongX ? p.x : p.y; };
  if (main(e) < main(a)) std::swap(a, e);
  const bool high = GetViewLevel() >= 4;
  const float lift = high ? 0.7f : 0.4f;
  const float clearance = high ? 0.4f : 0.2f;
  a.z += lift;
  e.z += lift;
  const float cross = std::remainder(std::atan2(e.y - a.y, e.x - a.x) * GMath::kDegreesPerRadian + 90.0f, 360.0f);
  const float w = wide ? 1.0f : 0.5f;
  const float sx = w * std::cos(cross * GMath::kRadiansPerDegree);
  const float sy = w * std::sin(cross * GMath::kRadiansPerDegree);
  const float r = w * 0.5f;
  const float vTop = overGround.lineTop;
  const float vBottom = overGround.lineBottom;

  auto segment = [&](const Point& p, const Point& q) {
    // Without its texture a line keeps the current colour rather than another texture.
    if (textured && overGround.lineBound) {
      g->DrawTexturedQuad(p.x, p.y, p.z + r, kRidgeU, vTop, p.x - sx, p.y - sy, p.z, kSideU, vTop, q.x - sx, q.y - sy,
                          q.z, kSideU, vBottom, q.x, q.y, q.z + r, kRidgeU, vBottom);
      g->DrawTexturedQuad(p.x + sx, p.y + sy, p.z, kSideU, vTop, p.x, p.y, p.z + r, kRidgeU, vTop, q.x, q.y, q.z + r,
                          kRidgeU, vBottom, q.x + sx, q.y + sy, q.z, kSideU, vBottom);
    } else {
      g->DrawColouredQuad(p.x, p.y, p.z + r, p.x - sx, p.y - sy, p.z, q.x - sx, q.y - sy, q.z, q.x, q.y, q.z + r);
      g->DrawColouredQuad(p.x + sx, p.y + sy, p.z, p.x, p.y, p.z + r, q.x, q.y, q.z + r, q.x + sx, q.y + sy, q.z);
    }
  };
  auto distance = [](const Point& p, const Point& q) {
    const float dx = q.x - p.x;
    const float dy = q.y - p.y;
    const float dz = q.z - p.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  };

  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  int32_t steps = 0;
  bool finished = false;
  // A segment ends wherever the straight line would dip below the ground's clearance.
  while (!finished && distance(a, e) >= kStep && main(e) - main(a) > 0.1f) {
    const float scale = kStep / distance(a, e);
    const Point step{(e.x - a.x) * scale, (e.y - a.y) * scale, (e.z - a.z) * scale};
    Point p = a;
    for (;;) {
      p.x += step.x;
      p.y += step.y;
      p.z += step.z;
      ++steps;
      if (main(p) >= main(e) || steps > kMaxSteps) {
        segment(a, e);
        finished = true;
        break;
      }
      const float ground = ElevationAt(p.x, p.y);
      if (p.z - ground < clearance) {
        p.z = ground + lift;
        segment(a, p);
        a = p;
        break;
      }
    }
  }
  if (!finished && distance(a, e) > 0.0f) segment(a, e);
  overGround.lineSteps = steps;
  g->SetBackfaceCulling(culling);
}

void Map::DrawTextAt(const char* text1, int32_t code1, const char* text2, int32_t code2, float x, float y,
                     float z) const {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
  const float anchor = z + 2.0f + static_cast<float>(FrameOption(4)) * 0.5f;
  // A point behind the eye has no place on the screen.
  float cx = x;
  float cy = y;
  float cz = anchor;
  g->TransformToCamera(&cx, &cy, &cz);
  if (!(cz > 0.0f)) return;
  float sx = x;
  float sy = y;
  g->ProjectToScreen(&sx, &sy, anchor, false);
  app_->Battlefield().DrawLabelAt(TruncateToInt32(sx), TruncateToInt32(sy), text1, code1, text2, code2);
}
