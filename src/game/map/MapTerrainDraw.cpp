// The ground of the battlefield: every 80 m block in view, drawn as one quad where it is flat,
// else through its 40 m squares down to single tiles (a fan of four triangles round the tile
// centre), and far blocks seen from low down as one coarse fan.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"

namespace {

constexpr int16_t kMixedTerrain = -999;
constexpr int32_t kSquareTiles[3] = {1, 2, 4};
constexpr float kSquareSide[3] = {20.0f, 40.0f, 80.0f};
// A terrain texture spans 4 x 4 tiles; its outer edges are pulled in by a little.
constexpr float kEdge[5] = {0.012f, 0.25f, 0.5f, 0.75f, 0.988f};
// A far block is one fan when it looks smaller than this.
constexpr float kFarBlockScale = 0.034f;
constexpr float kFarBlockDistance = 400.0f;

}  // namespace

bool Map::UsesTerrainTexture(int32_t id) const {
  for (int32_t slot : display.heightBand) {
    if (slot == id) return true;
  }
  return false;
}

int32_t Map::HeightBandOf(float height) const {
  const float band = std::trunc((height / size.heightScale + 3.01f) / 3.0f);
  if (!(band >= 0.0f && band < static_cast<float>(kHeightBands))) FatalError(__LINE__, "Map");
  return static_cast<int32_t>(band);
}

void Map::BindHeightTexture(float height) const {
  const int32_t slot = display.heightBand[HeightBandOf(height)];
  if (slot < 0 || slot >= kHeightBands) FatalError(__LINE__, "Map");
  BindSlot(Slot::kHeightBands + slot);
}

void Map::BuildTileFan(int32_t i, int32_t j, float* vertices, bool noCentre, bool secondGrids) const {
  const MapGrid<float>& centres = secondGrids ? terrain.lodTileHeight : terrain.tileHeight;
  const MapGrid<float>& corners = secondGrids ? terrain.lodVertexHeight : terrain.vertexHeight;
  const float x = static_cast<float>(i) * kTileSize;
  const float y = static_cast<float>(j) * kTileSize;
  float* out = vertices;
  auto put = [&out](float px, float py, float pz) {
    out[0] = px;
    out[1] = py;
    out[2] = pz;
    out += 3;
  };
  if (!noCentre) put(x + 10.0f, y + 10.0f, centres.At(i, j));
  put(x, y, corners.At(i, j));
  put(x, y + kTileSize, corners.At(i, j + 1));
  put(x + kTileSize, y + kTileSize, corners.At(i + 1, j + 1));
  put(x + kTileSize, y, corners.At(i + 1, j));
  put(x, y, corners.At(i, j));
}

void Map::DrawTerrain() {
  const MapGrid<uint8_t>& states = terrain.blockViewState;
  const MapGrid<int16_t>& blocks = terrain.flatHeight[2];
  frame.farFans = 0;
  frame.blocksTested = 0;
  // The overlay pass draws a far block's tiles on the coarse fan's heights.
  overGround.farBlocks.Init(states.Width(), states.Height());
  for (int32_t i = states.Width() - 1; i >= 0; --i) {
    for (int32_t j = states.Height() - 1; j >= 0; --j) {
      ++frame.blocksTested;
      const int32_t s = states.At(i, j);
      if (s == 0 || !blocks.Contains(i, j)) continue;
      // A block reaching past the map's edge is drawn through the squares it holds.
      const bool whole = (i + 1) * 4 <= size.tilesX && (j + 1) * 4 <= size.tilesY;
      if (blocks.At(i, j) == kMixedTerrain || !whole) {
        DrawTerrainQuadtree(2, i, j, s == 1);
      } else {
        DrawFlatSquare(2, i, j, s == 1);
      }
    }
  }
}

void Map::DrawTerrainQuadtree(int32_t level, int32_t i, int32_t j, bool partly) {
  if (level != 1 && level != 2) FatalError(__LINE__, "Map");
  GGraph3D* g = gGraph3D;
  const int32_t side = app_->GetCurrentSide() == 1 ? 1 : 0;

  // A whole block far off in both directions, seen from low down, is one coarse fan.
  if (level == 2 && GetViewLevel() < 4 && FrameOption(9) != 0 && (i + 1) * 4 <= size.tilesX &&
      (j + 1) * 4 <= size.tilesY) {
    const float cx = static_cast<float>(i) * 80.0f + 40.0f;
    const float cy = static_cast<float>(j) * 80.0f + 40.0f;
    if (std::fabs(cx - camera.x[side]) > kFarBlockDistance && std::fabs(cy - camera.y[side]) > kFarBlockDistance &&
        PerspectiveScaleAt(cx, cy, 0.0f) < kFarBlockScale) {
      const MapGrid<float>& V = terrain.vertexHeight;
      const float centre = V.At(4 * i + 2, 4 * j + 2);
      BindHeightTexture(centre);
      const float x0 = static_cast<float>(i) * 80.0f;
      const float y0 = static_cast<float>(j) * 80.0f;
      const float x1 = x0 + 80.0f;
      const float y1 = y0 + 80.0f;
      const int32_t a0 = 4 * i;
      const int32_t b0 = 4 * j;
      const int32_t a1 = std::min(4 * i + 4, size.tilesX);
      const int32_t b1 = std::min(4 * j + 4, size.tilesY);
      const float fan[18] = {cx, cy, centre,       x1, y1, V.At(a1, b1), x1, y0, V.At(a1, b0),
                             x0, y0, V.At(a0, b0), x0, y1, V.At(a0, b1), x1, y1, V.At(a1, b1)};
      static constexpr float kUv[12] = {0.5f, 0.5f, 0.988f, 0.988f, 0.988f, 0.012f, 0.012f, 0.012f, 0.012f, 0.988f,
                                        0.988f, 0.988f};
      ++frame.farFans;
      if (overGround.farBlocks.Contains(i, j)) overGround.farBlocks.At(i, j) = 1;
      if (g != nullptr) g->DrawTexturedFan(partly, 4, fan, kUv);
      return;
    }
  }

  const MapGrid<int16_t>& children = terrain.flatHeight[level - 1];
  const int32_t n = kSquareTiles[level - 1];
  for (int32_t a = 0; a < 2; ++a) {
    for (int32_t b = 0; b < 2; ++b) {
      const int32_t ci = 2 * i + a;
      const int32_t cj = 2 * j + b;
      if (!children.Contains(ci, cj)) continue;
      const bool whole = (ci + 1) * n <= size.tilesX && (cj + 1) * n <= size.tilesY;
      if (children.At(ci, cj) != kMixedTerrain && whole) {
        DrawFlatSquare(level - 1, ci, cj, partly);
      } else if (level == 1) {
        DrawTerrainTile(ci, cj, partly);
      } else {
        DrawTerrainQuadtree(1, ci, cj, partly);
      }
    }
  }
}

void Map::DrawFlatSquare(int32_t level, int32_t i, int32_t j, bool partly) {
  if (level < 0 || level > 2) FatalError(__LINE__, "Map");
  GGraph3D* g = gGraph3D;
  const int32_t n = kSquareTiles[level];
  const int32_t ti = i * n;
  const int32_t tj = j * n;
  const float h = terrain.tileHeight.At(ti, tj);
  BindHeightTexture(h);
  const float x0 = static_cast<float>(ti) * kTileSize;
  const float y0 = static_cast<float>(tj) * kTileSize;
  const float x1 = x0 + kSquareSide[level];
  const float y1 = y0 + kSquareSide[level];
  const float ua = kEdge[ti % 4];
  const float ub = kEdge[ti % 4 + n];
  const float va = kEdge[tj % 4];
  const float vb = kEdge[tj % 4 + n];
  if (g == nullptr) return;
  if (!partly) g->SetClipping(false);
  g->DrawTexturedQuad(x0, y0, h, ua, va, x0, y1, h, ua, vb, x1, y1, h, ub, vb, x1, y0, h, ub, va);
  if (!partly) g->SetClipping(true);
}

void Map::DrawTerrainTile(int32_t i, int32_t j, bool partly) {
  float fan[18];
  BuildTileFan(i, j, fan, false, false);
  BindHeightTexture(fan[2]);
  const int32_t a = i % 4;
  const int32_t b = j % 4;
  const float uv[12] = {(static_cast<float>(a) + 0.5f) / 4.0f,
                        (static_cast<float>(b) + 0.5f) / 4.0f,
                        kEdge[a],
                        kEdge[b],
                        kEdge[a],
                        kEdge[b + 1],
                        kEdge[a + 1],
                        kEdge[b + 1],
                        kEdge[a + 1],
                        kEdge[b],
                        kEdge[a],
                        kEdge[b]};
  if (gGraph3D != nullptr) gGraph3D->DrawTexturedFan(partly, 4, fan, uv);
}
