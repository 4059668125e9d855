// Drawing of the map's objects in the 3-D battlefield view: walls, hedges and bocage, and
// craters. Buildings and bridges are drawn in BuildingDraw.cpp.
#include "framework/media/GGraph3D.h"
#include "game/map/Crater.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/Wall.h"

namespace {

// Things seen smaller than this are not drawn at the near view levels.
constexpr float kSmallestShown = 0.02f;

}  // namespace

void Wall::Draw(int32_t wallType) const {
  if (wallType != type || gGraph3D == nullptr || !IsVisible()) return;
  if (map_->GetViewLevel() < 4 &&
      map_->PerspectiveScaleAt(corners[0].x, corners[0].y, groundHeights[0]) < kSmallestShown) {
    return;
  }
  const float uLen = isLong ? 4.0f : 2.0f;
  const float uEnd = uLen * 0.33f;
  const bool plainTop = type == 29 || map_->IsSnowGround();
  const float vA = plainTop ? 1.0f : 0.95f;
  const float vB = plainTop ? 0.3f : 0.75f;
  const float top = plainTop ? height : height * 0.97f;
  const float h = height;
  const Corner* c = corners;
  const float* g = groundHeights;
  GGraph3D& r = *gGraph3D;
  r.DrawTexturedQuad(c[0].x, c[0].y, g[0] + top, 0.0f, vA, c[1].x, c[1].y, g[1] + top, uLen, vA, c[2].x, c[2].y,
                     g[2] + top, uLen, vB, c[3].x, c[3].y, g[3] + top, 0.0f, vB);
  r.DrawTexturedQuad(c[1].x, c[1].y, g[1], 0.0f, 0.0f, c[1].x, c[1].y, g[1] + h, 0.0f, 0.999f, c[0].x, c[0].y,
                     g[0] + h, uLen, 0.999f, c[0].x, c[0].y, g[0], uLen, 0.0f);
  r.DrawTexturedQuad(c[3].x, c[3].y, g[3], 0.0f, 0.0f, c[3].x, c[3].y, g[3] + h, 0.0f, 0.999f, c[2].x, c[2].y,
                     g[2] + h, uLen, 0.999f, c[2].x, c[2].y, g[2], uLen, 0.0f);
  r.DrawTexturedQuad(c[0].x, c[0].y, g[0], 0.0f, 0.0f, c[0].x, c[0].y, g[0] + h, 0.0f, 0.999f, c[3].x, c[3].y,
                     g[3] + h, uEnd, 0.999f, c[3].x, c[3].y, g[3], uEnd, 0.0f);
  r.DrawTexturedQuad(c[2].x, c[2].y, g[2], 0.0f, 0.0f, c[2].x, c[2].y, g[2] + h, 0.0f, 0.999f, c[1].x, c[1].y,
                     g[1] + h, uEnd, 0.999f, c[1].x, c[1].y, g[1], uEnd, 0.0f);
}

void Crater::Draw() const {
  if (map_ == nullptr || gGraph3D == nullptr) return;
  // A hidden crater shows to the side that made it until the other side spots it.
  const bool viewerAxis = map_->App().GetCurrentSide() == 0;
  if (hidden && !revealed && (ownerAxis != 0) != viewerAxis) return;
  if (map_->GetViewLevel() < 4 && map_->PerspectiveScaleAt(x, y, heights[0]) < kSmallestShown) return;
  GGraph3D& r = *gGraph3D;
  r.PushMatrix();
  r.TranslateXY(x, y);
  r.RotateZ(rotation);
  map_->BindSlot(lasting ? Map::Slot::kLastingCrater : Map::Slot::kTemporaryCrater);
  const float s = radius;
  if (!flat) {
    const float lift = mixedGround ? map_->DetailFactorAt(x, y) : 0.0f;
    const float centreLift = mixedGround ? lift * 1.5f : 0.2f;
    const float xyz[18] = {0.0f, 0.0f, heights[0] + centreLift, -s, -s, heights[1] + lift, -s, s, heights[2] + lift,
                           s,    s,    heights[3] + lift,       s,  -s, heights[4] + lift, -s, -s, heights[1] + lift};
    const float uv[12] = {0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f};
    r.DrawTexturedFan(true, 4, xyz, uv);
  } else {
    const float lift = map_->DetailFactorAt(x, y) * (mixedGround ? 1.8f : 0.5f);
    r.DrawTexturedQuad(-s, -s, heights[1] + lift, 0.0f, 0.0f, -s, s, heights[2] + lift, 0.0f, 1.0f, s, s,
                       heights[3] + lift, 1.0f, 1.0f, s, -s, heights[4] + lift, 1.0f, 0.0f);
  }
  r.PopMatrix();
}
