// How an inanimate object looks on the map: the flat markers, the flag markers, the
// reinforcement marker's billboard, the minefield's sign, the low mounds of obstacles and
// the pictures each kind loads.
// Nothing here draws from the game's generator.
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr int32_t kFlagMarkerOption = 42;
constexpr float kBlockFactor = 0.0125f;
constexpr float kMoundLift = 1.4f;

GGraphic* SlotTexture(const Unit& unit, int32_t slot) {
  if (slot < 0 || slot >= Unit::kTextureSets * Unit::kTexturesPerSet) return nullptr;
  return unit.GetTexture(slot / Unit::kTexturesPerSet, slot % Unit::kTexturesPerSet);
}

// The view state of the 80 m block holding the point; 0 off the block grid.
int32_t BlockViewStateAt(const Map& map, float px, float py) {
  return map.GetBlockViewState(static_cast<int32_t>(px * kBlockFactor), static_cast<int32_t>(py * kBlockFactor));
}

}  // namespace

void Inanimate::Draw(bool pick) {
  (void)pick;
  GGraph3D* g = gGraph3D;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (g == nullptr || map == nullptr) return;
  switch (classIndex) {
    case kReferencePoint:
    case kAmbushMarker:
      DrawFlatQuad(2, GetBaseHeight() + map->DetailFactorAt(x, y) * 2.0f);
      return;
    case kLargeFlagMarker:
    case kSmallFlagMarker:
      DrawFlagMarker();
      return;
    case kReinforcementMarker:
      DrawSign(*map, MarkerSlot(), true);
      return;
    case kPersonnelMines:
    case kTankMines:
    case kMineChain:
      if (identificationLevel > 0 && BlockViewStateAt(*map, x, y) != 0) DrawSign(*map, 1, false);
      if (battle->IsSetupPhase()) DrawMound(*map, 0.3f);
      return;
    case kRoadblock:
    case kWire:
      DrawMound(*map, 1.0f);
      return;
    default: return;
  }
}

void Inanimate::DrawFlatQuad(int32_t slot, float height) {
  GGraph3D* g = gGraph3D;
  g->PushMatrix();
  g->TranslateZ(height);
  g->RotateZ(facing);
  if (GGraphic* texture = SlotTexture(*this, slot)) g->SetTexture(texture);
  const float w = halfWidth;
  const float d = halfDepth;
  g->DrawTexturedQuad(-w, -d, 0.0f, 0.0f, 0.0f, w, -d, 0.0f, 1.0f, 0.0f, w, d, 0.0f, 1.0f, 1.0f, -w, d, 0.0f, 0.0f,
                      1.0f);
  g->PopMatrix();
}

void Inanimate::DrawFlagMarker() {
  const MapAppServices* app = UnitApp();
  if (app == nullptr || app->GetOption(kFlagMarkerOption) == 0) return;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) return;
  // The marker shows as the flag it stands for: a temporary flag of its size at its place.
  MapFlagView flag;
  flag.x = x;
  flag.y = y;
  flag.type = classIndex == kLargeFlagMarker ? 1 : 0;
  // With an editor open the flag pass applies only the height: the marker places it.
  const bool place = app->IsEditorOpen() && gGraph3D != nullptr;
  if (place) {
    gGraph3D->PushMatrix();
    gGraph3D->TranslateXY(x, y);
  }
  map->DrawVictoryFlag(flag);
  if (place) gGraph3D->PopMatrix();
}

void Inanimate::DrawSign(const Map& map, int32_t slot, bool reinforcement) {
  GGraph3D* g = gGraph3D;
  const int32_t viewLevel = map.GetViewLevel();
  const float ground = map.ElevationAt(x, y);
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  g->PushMatrix();
  if (viewLevel < 4) {
    const MapAppServices* app = UnitApp();
    const int32_t side = app != nullptr ? (app->GetCurrentSide() & 1) : 0;
    g->TranslateZ(ground);
    g->RotateZ(HeadingDegrees(map.camera.x[side] - x, map.camera.y[side] - y) - 90.0f);
    if (reinforcement) {
      const float scale = viewLevel == 3 ? 5.0f : (viewLevel < 1 ? 2.0f : 3.0f);
      g->Scale(scale, scale, scale);
    }
  } else if (reinforcement) {
    g->TranslateZ(ground + 1.3f);
    g->RotateZ(180.0f);
    g->Scale(7.0f, 7.0f, 7.0f);
    g->RotateX(90.0f);
  } else {
    g->TranslateYZ(-2.0f, ground + 4.0f);
    g->RotateX(-90.0f);
    g->Scale(2.0f, 1.0f, 2.0f);
  }
  if (GGraphic* texture = SlotTexture(*this, slot)) g->SetTexture(texture);
  // A picture one unit wide and two high, standing on its bottom row.
  g->DrawTexturedQuad(-0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 0.0f, 2.0f, 1.0f, 1.0f,
                      -0.5f, 0.0f, 2.0f, 0.0f, 1.0f);
  g->PopMatrix();
  g->SetBackfaceCulling(culling);
}

void Inanimate::DrawMound(const Map& map, float alpha) {
  GGraph3D* g = gGraph3D;
  float xs[9];
  float ys[9];
  GetFootprintPoints(xs, ys, false);
  xs[8] = 0.0f;
  ys[8] = 0.0f;
  float zs[9];
  for (int32_t i = 0; i < 9; ++i) {
    const float px = x + xs[i];
    const float py = y + ys[i];
    zs[i] = map.ElevationAt(px, py) + map.DetailFactorAt(px, py);
    if (i == 4 || i == 5 || i == 8) zs[i] += kMoundLift;
  }
  GGraphic* texture = classIndex == kWire ? SlotTexture(*this, 0) : nullptr;
  if (classIndex >= kPersonnelMines) texture = SlotTexture(*this, 1);
  if (texture != nullptr) g->SetTexture(texture);
  g->SetAlpha(alpha);
  // The ridge runs through points 4, centre and 5; each corner and side point joins it.
  static constexpr int32_t kTriangles[8][3] = {{0, 6, 4}, {6, 1, 4}, {1, 5, 8}, {4, 1, 8},
                                               {2, 7, 5}, {7, 3, 5}, {3, 4, 8}, {5, 3, 8}};
  for (const auto& t : kTriangles) {
    float p[9];
    float uv[6];
    for (int32_t k = 0; k < 3; ++k) {
      const int32_t i = t[k];
      p[3 * k] = xs[i];
      p[3 * k + 1] = ys[i];
      p[3 * k + 2] = zs[i];
      uv[2 * k] = halfWidth > 0.0f ? xs[i] / (2.0f * halfWidth) + 0.5f : 0.5f;
      uv[2 * k + 1] = halfDepth > 0.0f ? ys[i] / (2.0f * halfDepth) + 0.5f : 0.5f;
    }
    if (texture != nullptr) {
      g->DrawTexturedTriangleArray(p, uv);
    } else {
      g->SetColor(0.42f, 0.33f, 0.22f);
      g->DrawColouredTriangleArray(p);
    }
  }
  g->SetAlpha(1.0f);
}

void Inanimate::PrepareAppearance() {
  Unit::PrepareAppearance();
  int32_t slot = -1;
  int32_t number = 0;
  switch (classIndex) {
    case kWire: slot = 0; number = 1211; break;
    case kReferencePoint: slot = 2; number = 1221; break;
    case kAmbushMarker: slot = 2; number = 1225; break;
    case kPersonnelMines: slot = 1; number = 1220; break;
    case kTankMines:
    case kMineChain: slot = 1; number = 1224; break;
    case kReinforcementMarker: {
      slot = MarkerSlot();
      number = 10039 - markerId;
      if (slot < 0) {
        // A marker id the texture table cannot hold: no picture, said once.
        static bool logged = false;
        if (!logged) {
          GErrorLog::LogValue("Inanimate: reinforcement marker id outside the texture table", markerId);
          logged = true;
        }
        return;
      }
      break;
    }
    default: return;
  }
  const int32_t set = slot / kTexturesPerSet;
  const int32_t index = slot % kTexturesPerSet;
  if (GGraphic* old = GetTexture(set, index)) delete old;
  SetTexture(set, index, GGraphicFactory::NewGraphic(number));
}
