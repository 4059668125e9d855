// The battlefield's fire and smoke: flames on burning tiles (along a standing building's walls,
// on the ground otherwise, as a flame box in the high views), the shared flame box of burning
// vehicles, and the smoke columns of burning tiles and vehicles and the lying smoke clouds.
//
// Flicker and drifting puffs draw from the presentation's generator only, so the game's
// generator never depends on what is shown. Both passes walk the map's list of burning tiles,
// never the whole grid.
#include <algorithm>
#include <cmath>

#include "framework/core/GGroup.h"
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Building.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapUnitView.h"
#include "game/map/SmokeCloud.h"
#include "game/units/vehicle/Vehicle.h"

float Map::fireFrameClock = 0.0f;

namespace {

constexpr int32_t kHighViews = 4;  // view levels 4 and above look down from above
constexpr int32_t kPatterns = 29;
constexpr int32_t kPuffSets = 13;
constexpr int32_t kPuffs = 12;
constexpr float kTop = 0.988f;  // the texture's usable top edge
constexpr int32_t kSmokeOption = 15;
constexpr int32_t kHighQualitySmoke = 2;

// The flame box of the high views by kind of fire 1..3: radius, height, height factor.
struct TopFlames {
  float radius;
  float height;
  float factor;
};
constexpr TopFlames kTopFlames[3] = {{6.5f, 5.0f, 0.5f}, {13.0f, 12.0f, 0.9f}, {10.0f, 5.0f, 0.1f}};

float Uniform(float range) { return GRandom::Presentation().RandomFloatTimes(range); }

float TileCentre(int32_t tile) { return (static_cast<float>(tile) + 0.5f) * Map::kTileSize; }

// One more half metre away from the tile centre in each coordinate.
float Outward(float v) { return v < 0.0f ? v - 0.5f : v + 0.5f; }

// A flame quad from a ground point (x, y, z) up to an outer point at the top, then over to
// the middle: the pattern the ground and wall flames share.
void FlameQuad(GGraph3D& g, float x, float y, float base, float ox, float oy, float top, float mox, float moy,
               float mx, float my) {
  g.DrawTexturedQuad(x, y, base, kTop, 0.25f, ox, oy, top, kTop, kTop, mox, moy, top, 0.0f, kTop, mx, my, base, 0.0f,
                     0.0f);
}

}  // namespace

void Map::DrawBurningTiles() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  // The animation runs at about nine frames a second whatever the frame rate.
  const float rate = std::max(app_->GetFrameRate(), 1.0f);
  fireFrameClock += 9.0f / rate + 0.3f;
  while (fireFrameClock >= 18.0f) fireFrameClock -= 18.0f;
  display.animatedFrame = static_cast<int32_t>(fireFrameClock);
  SetAnimatedTexture();

  const int32_t level = GetViewLevel();
  for (int32_t key : burningTiles) {
    const int32_t x = key / size.tilesY;
    const int32_t y = key % size.tilesY;
    const int32_t kind = fire.state.GetU8(x, y);
    const int32_t state = BlockViewState(x, y);
    if (kind == 0 || state == 0) continue;
    if (state == 2) g->SetClipping(false);
    const float cx = TileCentre(x);
    const float cy = TileCentre(y);
    if (level < kHighViews) {
      g->SetBackfaceCulling(false);
      g->PushMatrix();
      g->TranslateXY(cx, cy);
      const int32_t p = (x * y + x + y) % kPatterns;
      const Building* building = kind == 3 ? nullptr : FindBuildingAtTile(x, y);
      if (building == nullptr || building->destroyed) {
        for (int32_t i = DrawTables::kRecordColumns - 1; i >= 0; --i) {
          const DrawTables::Record& r = display.tables.records[p][i];
          const float x0 = r.offsets[0], y0 = r.offsets[1], x1 = r.offsets[2], y1 = r.offsets[3];
          const float mx = (x0 + x1) * 0.5f;
          const float my = (y0 + y1) * 0.5f;
          const float h = (Uniform(0.4f) + 0.8f) * r.size;
          const float z0 = ElevationAt(cx + x0, cy + y0);
          const float z1 = ElevationAt(cx + x1, cy + y1);
          FlameQuad(*g, x0, y0, z0, x0, y0, z0 + h, mx, my, mx, my);
          FlameQuad(*g, x1, y1, z1, x1, y1, z1 + h, mx, my, mx, my);
        }
      } else {
        const float z = ElevationAt(cx, cy);
        const float scale = kind == 2 ? 2.0f : 1.0f;
        for (int32_t i = 0; i < DrawTables::kRecordColumns; ++i) {
          const DrawTables::Record& r = display.tables.records[p][i];
          const int32_t c = display.tables.recordVariant[p][i] & 3;
          const MapCorner& from = building->corners[c];
          const MapCorner& to = building->corners[(c + 1) & 3];
          const float fx = from.x - cx, fy = from.y - cy;
          const float dx = to.x - from.x, dy = to.y - from.y;
          const float ta = r.offsets[0] * 0.05f + 0.5f;
          const float tb = r.offsets[1] * 0.05f + 0.5f;
          const float ax = fx + dx * ta, ay = fy + dy * ta;
          const float bx = fx + dx * tb, by = fy + dy * tb;
          const float aox = Outward(ax), aoy = Outward(ay);
          const float box = Outward(bx), boy = Outward(by);
          const float mx = (ax + bx) * 0.5f, my = (ay + by) * 0.5f;
          const float mox = (aox + box) * 0.5f, moy = (aoy + boy) * 0.5f;
          const float base = scale * r.phase + z;
          const float top = (Uniform(0.4f) + 0.8f) * scale * (r.size + 0.5f) + base;
          FlameQuad(*g, ax, ay, base, aox, aoy, top, mox, moy, mx, my);
          FlameQuad(*g, bx, by, base, box, boy, top, mox, moy, mx, my);
        }
      }
      g->PopMatrix();
      g->SetBackfaceCulling(true);
    } else {
      const TopFlames& t = kTopFlames[(kind - 1) % 3];
      DrawFlameBox(cx, cy, t.radius, t.height, t.factor, false);
    }
    g->SetClipping(true);
  }
}

void Map::DrawFlameBox(float x, float y, float radius, float height, float topFactor, bool attached) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const int32_t level = GetViewLevel();
  const float r = radius;
  float r2 = 0.95f * r;
  if (level < kHighViews) r2 *= Uniform(0.15f) + 0.925f;
  const float rt = (r + r2) * 0.48f;
  const float e[4] = {ElevationAt(x - r, y - r), ElevationAt(x + r, y - r), ElevationAt(x - r, y + r),
                      ElevationAt(x + r, y + r)};
  float lo = std::min(std::min(e[0], e[1]), std::min(e[2], e[3]));
  float hi = std::max(std::max(e[0], e[1]), std::max(e[2], e[3]));
  if (attached) {
    hi -= lo;
    lo = 0.0f;
  } else {
    g->PushMatrix();
    g->TranslateXY(x, y);
  }
  if (level >= kHighViews) {
    const float top = height * topFactor + hi;
    g->DrawTexturedQuad(-rt, -0.01f, top, 0.0f, 0.0f, -rt, rt, top, 0.0f, kTop, rt, rt, top, 1.0f, kTop, rt, -0.01f,
                        top, 1.0f, 0.0f);
    g->DrawTexturedQuad(-rt, -rt, top, 0.0f, kTop, -rt, 0.01f, top, 0.0f, 0.0f, rt, 0.01f, top, -1.0f, 0.0f, rt, -rt,
                        top, -1.0f, kTop);
  } else {
    const float h = height * (Uniform(0.2f) + 0.9f);
    if (attached) lo += 0.2f * h;
    const float top = h + hi;
    // Per quad: bottom start, top start, top end, bottom end as (x, y) in units of the radius
    // (bottom) or the pulled-in radius (top); the second four run their texture backwards.
    struct Side {
      float bs[2], ts[2], te[2], be[2];
    };
    static constexpr Side kSides[8] = {
        {{0, -1}, {0, -1}, {1, -1}, {1, -1}},   {{1, 0}, {1, 0}, {1, 1}, {1, 1}},
        {{0, 1}, {0, 1}, {-1, 1}, {-1, 1}},     {{-1, 0}, {-1, 0}, {-1, -1}, {-1, -1}},
        {{-1, -1}, {-1, -1}, {0, -1}, {0, -1}}, {{1, -1}, {1, -1}, {1, 0}, {1, 0}},
        {{1, 1}, {1, 1}, {0, 1}, {0, 1}},       {{-1, 1}, {-1, 1}, {-1, 0}, {-1, 0}},
    };
    for (int32_t i = 0; i < 8; ++i) {
      const Side& s = kSides[i];
      const float u = i < 4 ? 1.0f : -1.0f;
      g->DrawTexturedQuad(s.bs[0] * r, s.bs[1] * r, lo, 0.0f, 0.0f, s.ts[0] * r2, s.ts[1] * r2, top, 0.2f * u, kTop,
                          s.te[0] * r2, s.te[1] * r2, top, 0.8f * u, kTop, s.be[0] * r, s.be[1] * r, lo, u, 0.0f);
    }
  }
  if (!attached) g->PopMatrix();
}

void Map::DrawSmoke() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  g->SetBackfaceCulling(false);
  const int32_t ms = std::max(app_->GetFrameTime(), 0);
  const float k = std::min(static_cast<float>(ms) * 0.001f, 1.0f);
  DrawTables& t = display.tables;
  // The puffs drift by the frame's time and move up one place each second.
  for (int32_t i = 0; i < kPuffSets; ++i) {
    for (int32_t j = 0; j < kPuffs; ++j) {
      t.stepPairs[i][j][0] += (Uniform(4.0f) - 2.0f) * k;
      t.stepPairs[i][j][1] += (Uniform(4.0f) - 2.0f) * k;
      t.stepValues[i][j] += (Uniform(8.0f) - 4.0f) * static_cast<float>(12 - j * 11 / 12) * k;
    }
    t.steps[i] += ms;
    if (t.steps[i] > 1000) {
      for (int32_t j = kPuffs - 1; j > 0; --j) {
        t.stepPairs[i][j][0] = t.stepPairs[i][j - 1][0];
        t.stepPairs[i][j][1] = t.stepPairs[i][j - 1][1];
        t.stepValues[i][j] = t.stepValues[i][j - 1];
      }
      t.stepPairs[i][0][0] = Uniform(1.0f) - 0.5f;
      t.stepPairs[i][0][1] = -Uniform(1.0f);
      t.stepValues[i][0] = Uniform(360.0f);
      t.steps[i] %= 1000;
    }
  }
  for (int32_t key : burningTiles) {
    const int32_t x = key / size.tilesY;
    const int32_t y = key % size.tilesY;
    const int32_t kind = fire.state.GetU8(x, y);
    if (kind == 0 || BlockViewState(x, y) == 0) continue;
    DrawSmokeColumn(-1, TileCentre(x), TileCentre(y), kind == 1 ? 4.0f : 8.0f, false, true);
  }
  if (MapBattleServices* battle = app_->GetBattleOrOperation()) {
    for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
      const Unit* unit = UnitOfView(battle->GetUnit(i));
      const Vehicle* vehicle = unit != nullptr ? unit->AsVehicleUnit() : nullptr;
      if (vehicle == nullptr || vehicle->burning == 0) continue;
      DrawSmokeColumn(i, vehicle->GetX(), vehicle->GetY(), vehicle->sizeFactor, false, true);
    }
  }
  if (objects.smallObjects != nullptr) {
    for (int32_t i = 0; i < objects.smallObjects->Count(); ++i) {
      const auto* cloud = static_cast<const SmokeCloud*>(objects.smallObjects->GetItem(i));
      DrawSmokeColumn(-1, cloud->x, cloud->y, cloud->radius, true, false);
    }
  }
  if (app_->GetOption(kSmokeOption) == kHighQualitySmoke) g->SetAlpha(1.0f);
  g->SetBackfaceCulling(true);
}

void Map::DrawSmokeColumn(int32_t id, float x, float y, float size, bool lowered, bool column) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || !IsOnMap(x, y)) return;
  if (BlockViewState(TruncateToInt32(x * 0.05f), TruncateToInt32(y * 0.05f)) == 0) return;
  const int32_t p = (id >= 0 ? id : TruncateToInt32(x * y + x + y)) % kPuffSets;
  BindSlot(Slot::kPair1800 + (column ? 1 : 0));
  const int32_t level = GetViewLevel();
  const float heading = level < kHighViews ? HeadingDegrees(frame.eyeX - x, frame.eyeY - y) : 0.0f;
  g->PushMatrix();
  g->Translate(x, y, ElevationAt(x, y));
  const float rise = std::sqrt(size) * 16.6f * (column ? 1.0f : 0.5f);
  const float growth = column ? 1.0f : 2.0f;
  int32_t n = column ? 12 : 6;
  const float base = lowered ? -1.0f : 2.0f;
  const bool highQuality = app_->GetOption(kSmokeOption) == kHighQualitySmoke;
  if (!highQuality) n /= 2;
  const DrawTables& tables = display.tables;
  for (int32_t j = n - 1; j >= 0; --j) {
    // Fast smoke keeps its first drawn puff still; the rest move with the set's timer.
    const bool shifted = highQuality || j != n - 1;
    const float t = (shifted ? static_cast<float>(tables.steps[p]) * 0.001f + static_cast<float>(j)
                             : static_cast<float>(j)) *
                    (1.0f / 12.0f);
    const float q = (t * growth * 0.85f + 0.15f) * size * 2.0f;
    const float hz = t * rise + base;
    const float w = level >= kHighViews ? -5.0f * t : 5.0f * t;
    if (highQuality) g->SetAlpha(column ? 0.9f - 0.9f * t : 0.6f - 1.2f * t);
    g->PushMatrix();
    if (level >= kHighViews) {
      g->TranslateZ(8.0f);
      g->RotateX(-55.0f);
    } else {
      g->RotateZ(heading + 90.0f);
    }
    g->TranslateXZ(tables.stepPairs[p][j][0] * size * 0.3f, tables.stepPairs[p][j][1] * size * 0.25f + hz);
    g->ScaleZ(1.4f);
    g->RotateY(tables.stepValues[p][j]);
    g->DrawTexturedQuad(-q, w, -q, 0.0f, 0.0f, -q, w, q, 0.0f, 1.0f, q, w, q, 1.0f, 1.0f, q, w, -q, 1.0f, 0.0f);
    g->PopMatrix();
  }
  g->PopMatrix();
}
