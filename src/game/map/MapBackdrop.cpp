// What lies around the playable map: the sky walls, the ground plane below the lowest
// terrain, the marker far past the north edge, the skirts that close the terrain at the edges
// the eye looks past, and the bands of each side's exit edge.
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"

namespace {

constexpr float kBackdropHalf = 9999.0f;  // the sky box and the ground plane, metres
constexpr float kSkyTop = 4200.0f;
constexpr float kExitBandWidth = 13.0f;

}  // namespace

void Map::DrawBackdrop() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const float floor = size.heightScale * -3.0f - 1.0f;
  const float w = size.worldWidth;
  const float d = size.worldHeight;
  const int32_t level = GetViewLevel();
  g->SetBackfaceCulling(false);
  g->SetNoZWrite(true);

  // The sky walls: up to level 3, and at level 4 while the blend from level 3 runs.
  if (level < 4 || (level == 4 && frame.levelBlend != 0.0f && frame.previousLevel == 3)) {
    BindSlot(Slot::kSky);
    constexpr float k = kBackdropHalf;
    // The corners round the box; each wall runs from its left corner (u 1) to its right (u 0)
    // as seen from inside.
    const float corners[5][2] = {{-k, k}, {k, k}, {k, -k}, {-k, -k}, {-k, k}};
    for (int32_t n = 0; n < 4; ++n) {
      const float* a = corners[n];
      const float* b = corners[n + 1];
      g->DrawTexturedQuad(a[0], a[1], floor, 1.0f, 0.01f, a[0], a[1], kSkyTop, 1.0f, 1.0f, b[0], b[1], kSkyTop, 0.0f,
                          1.0f, b[0], b[1], floor, 0.0f, 0.01f);
    }
  }

  // The ground plane: whole, or with the map rectangle left open when the horizon is unlimited.
  BindSlot(Slot::kSingles);
  auto groundQuad = [g, floor](float x0, float y0, float x1, float y1) {
    g->DrawTexturedQuad(x0, y0, floor, 0.0f, 0.0f, x0, y1, floor, 0.0f, 1.0f, x1, y1, floor, 1.0f, 1.0f, x1, y0,
                        floor, 1.0f, 0.0f);
  };
  constexpr float k = kBackdropHalf;
  if (FrameOption(9) != 0) {
    groundQuad(-k, -k, k, k);
  } else {
    groundQuad(-k, -k, k, 0.0f);
    groundQuad(-k, d, k, k);
    groundQuad(-k, 0.0f, 0.0f, d);
    groundQuad(w, 0.0f, k, d);
  }
  g->SetNoZWrite(false);
  g->SetBackfaceCulling(true);
  if (g->IsPickMode()) return;

  // The marker far past the north edge: standing at low levels, lying flat from high up.
  const bool fog = g->SetFog(false);
  g->SetBackfaceCulling(false);
  BindSlot(Slot::kTexture10049);
  const float mx = w * 0.5f;
  if (level < 4) {
    const float y = d + 500.0f;
    g->DrawTexturedQuad(mx - 12.0f, y, 10.0f, 0.0f, 0.0f, mx - 12.0f, y, 58.0f, 0.0f, 1.0f, mx + 12.0f, y, 58.0f, 1.0f,
                        1.0f, mx + 12.0f, y, 10.0f, 1.0f, 0.0f);
  } else {
    g->DrawTexturedQuad(mx - 12.0f, d + 50.0f, 1.0f, 0.0f, 0.0f, mx - 12.0f, d + 74.0f, 1.0f, 0.0f, 1.0f, mx + 12.0f,
                        d + 74.0f, 1.0f, 1.0f, 1.0f, mx + 12.0f, d + 50.0f, 1.0f, 1.0f, 0.0f);
  }
  g->SetBackfaceCulling(true);
  g->SetFog(fog);

  // The skirts under the edges the eye stands beyond (or within 2 m of).
  if (IsSnowGround()) {
    g->SetColor(0.45f, 0.45f, 0.5f);
  } else {
    g->SetColor(0.14f, 0.2f, 0.0f);
  }
  const MapGrid<float>& V = terrain.vertexHeight;
  const int32_t tx = size.tilesX;
  const int32_t ty = size.tilesY;
  auto skirtAlongY = [&](int32_t column, float x) {
    for (int32_t j = ty - 1; j >= 0; --j) {
      const float y0 = static_cast<float>(j) * kTileSize;
      const float y1 = y0 + kTileSize;
      g->DrawColouredQuad(x, y0, floor, x, y0, V.GetOr(column, j, floor), x, y1, V.GetOr(column, j + 1, floor), x, y1,
                          floor);
    }
  };
  auto skirtAlongX = [&](int32_t row, float y) {
    for (int32_t i = tx - 1; i >= 0; --i) {
      const float x0 = static_cast<float>(i) * kTileSize;
      const float x1 = x0 + kTileSize;
      g->DrawColouredQuad(x0, y, floor, x0, y, V.GetOr(i, row, floor), x1, y, V.GetOr(i + 1, row, floor), x1, y,
                          floor);
    }
  };
  // Seen from outside the map: both faces count.
  g->SetBackfaceCulling(false);
  if (frame.eyeX < 2.0f) skirtAlongY(0, 0.0f);
  if (frame.eyeX > w - 2.0f) skirtAlongY(tx, w);
  if (frame.eyeY < 2.0f) skirtAlongX(0, 0.0f);
  if (frame.eyeY > d - 2.0f) skirtAlongX(ty, d);
  g->SetBackfaceCulling(true);

  // The exit bands, own side's first.
  if (FrameOption(43) == 0 || app_->IsEditorOpen()) return;
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  const int32_t side = app_->GetCurrentSide() == 1 ? 1 : 0;
  if (battle->HasExitZone(side)) DrawExitZone(battle->GetExitEdge(side), true);
  if (battle->HasExitZone(1 - side)) DrawExitZone(battle->GetExitEdge(1 - side), false);
}

void Map::DrawExitZone(int32_t edge, bool ownSide) {
  if (edge < 0 || edge > 3) FatalError(__LINE__, "Map");
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const float base = terrain.edgeMinHeight[edge];
  float inner = base;
  float outer = base + 13.0f;
  if (GetViewLevel() >= 4) inner = outer = base + 0.5f;
  BindSlot(Slot::kExtraEffects + (ownSide ? 0 : 1));
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  const float w = size.worldWidth;
  const float d = size.worldHeight;
  constexpr float b = kExitBandWidth;
  // One repeat of the texture per 40 m along the edge; v from 0 at the map to 1 outside.
  const float u = (edge == 0 || edge == 2 ? d : w) * 0.5f * 0.05f;
  switch (edge) {
    case 0:
      g->DrawTexturedQuad(0.0f, 0.0f, inner, 0.0f, 0.0f, -b, 0.0f, outer, 0.0f, 1.0f, -b, d, outer, u, 1.0f, 0.0f, d,
                          inner, u, 0.0f);
      break;
    case 1:
      g->DrawTexturedQuad(0.0f, d, inner, 0.0f, 0.0f, 0.0f, d + b, outer, 0.0f, 1.0f, w, d + b, outer, u, 1.0f, w, d,
                          inner, u, 0.0f);
      break;
    case 2:
      g->DrawTexturedQuad(w, 0.0f, inner, 0.0f, 0.0f, w + b, 0.0f, outer, 0.0f, 1.0f, w + b, d, outer, u, 1.0f, w, d,
                          inner, u, 0.0f);
      break;
    default:
      g->DrawTexturedQuad(0.0f, 0.0f, inner, 0.0f, 0.0f, 0.0f, -b, outer, 0.0f, 1.0f, w, -b, outer, u, 1.0f, w, 0.0f,
                          inner, u, 0.0f);
      break;
  }
  g->SetBackfaceCulling(culling);
}
