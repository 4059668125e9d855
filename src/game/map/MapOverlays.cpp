// The overlay pass of the battlefield frame: each tile's two texture layers (terrain piece and
// road piece) and its road-end strips, laid just above the ground so they win the depth test.
#include "framework/core/GErrorLog.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"

namespace {

constexpr int16_t kMixed = -999;
// The corners' texture coordinates by orientation k (rotation, plus 4 when mirrored), in the
// fan's corner order (x, y), (x, y + 20), (x + 20, y + 20), (x + 20, y).
constexpr float kOrientation[8][4][2] = {
    {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, {{1, 0}, {0, 0}, {0, 1}, {1, 1}},
    {{1, 1}, {1, 0}, {0, 0}, {0, 1}}, {{0, 1}, {1, 1}, {1, 0}, {0, 0}},
    {{1, 0}, {1, 1}, {0, 1}, {0, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
    {{0, 1}, {0, 0}, {1, 0}, {1, 1}}, {{1, 1}, {0, 1}, {0, 0}, {1, 0}},
};
// A layer lying on the ground keeps its texture a little inside the bitmap's edge.
constexpr float kInsetLow = 0.012f;
constexpr float kInsetHigh = 0.988f;
// Woods thin out their ground piece where they look smaller than this, by view level 0..3.
constexpr float kWoodPieceScale[4] = {0.045f, 0.037f, 0.03f, 0.02f};
// The road-end strips' tile textures, by road kind (types 9, 8, 10).
constexpr int32_t kStripTexture[3] = {25, 12, 71};

bool gOverlayLogged = false;

// The fan's texture coordinates: the centre, the four corners of row k and the first again.
void FanCoordinates(int32_t k, bool exact, float uv[12]) {
  uv[0] = 0.5f;
  uv[1] = 0.5f;
  for (int32_t c = 0; c < 5; ++c) {
    for (int32_t a = 0; a < 2; ++a) {
      const float t = kOrientation[k][c % 4][a];
      uv[2 + 2 * c + a] = exact ? t : (t == 0.0f ? kInsetLow : kInsetHigh);
    }
  }
}

}  // namespace

void Map::DrawOverlays() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || g->IsPickMode()) return;
  const MapGrid<uint8_t>& states = terrain.blockViewState;
  const MapGrid<int16_t>& level0 = terrain.flatHeight[0];
  const int32_t level = GetViewLevel();
  const bool thinWoods = level < 4 && FrameOption(2) > 0;
  g->PushMatrix();
  for (int32_t bi = states.Width() - 1; bi >= 0; --bi) {
    for (int32_t bj = states.Height() - 1; bj >= 0; --bj) {
      const int32_t state = states.At(bi, bj);
      if (state == 0) continue;
      const bool partly = state == 1;
      const bool far = overGround.farBlocks.Contains(bi, bj) && overGround.farBlocks.At(bi, bj) != 0;
      const float lift = DetailFactorAt(static_cast<float>(bi) * 80.0f, static_cast<float>(bj) * 80.0f);
      const float raisedLift = lift * 0.3f * (level > 1 ? 2.0f : 1.0f);
      g->TranslateZ(lift);
      for (int32_t a = 3; a >= 0; --a) {
        for (int32_t b = 3; b >= 0; --b) {
          const int32_t i = 4 * bi + a;
          const int32_t j = 4 * bj + b;
          if (i >= size.tilesX || j >= size.tilesY || !terrain.tiles.Contains(i, j)) continue;
          const MapTile& tile = terrain.tiles.At(i, j);

          // The tile's shape: a flat quad, or a fan of four triangles round its centre.
          bool flat;
          if (!far) {
            flat = level0.Contains(i, j) && level0.At(i, j) != kMixed;
          } else {
            const bool edgeColumn = a == 0 || a == 3;
            const bool edgeRow = b == 0 || b == 3;
            flat = edgeColumn != edgeRow;
          }
          // A flat tile's corners and centre share the tile's height: the quad lies on the
          // ground the terrain pass drew, not on the whole-metre height the flat grids keep
          // (half a metre below it would hide the decal).
          float fan[18];
          BuildTileFan(i, j, fan, false, far);
          auto drawShape = [&](int32_t k, bool exact) {
            float uv[12];
            FanCoordinates(k, exact, uv);
            if (flat) {
              if (!partly) g->SetClipping(false);
              g->DrawTexturedQuad(fan[3], fan[4], fan[5], uv[2], uv[3], fan[6], fan[7], fan[8], uv[4], uv[5], fan[9],
                                  fan[10], fan[11], uv[6], uv[7], fan[12], fan[13], fan[14], uv[8], uv[9]);
              if (!partly) g->SetClipping(true);
            } else {
              g->DrawTexturedFan(partly, 4, fan, uv);
            }
          };

          for (int32_t layer = 0; layer < 2; ++layer) {
            const int32_t type = layer == 0 ? tile.terrain : tile.road;
            if (layer == 1 && type == 0) break;
            // Far from the eye a wood's ground piece and its strips give way to the trees.
            if (layer == 0 && thinWoods && type >= 13 && type <= 15 && level >= 0 &&
                PerspectiveScaleAt(fan[0], fan[1], fan[2]) < kWoodPieceScale[level]) {
              continue;
            }
            if (type != 0) {
              const int32_t index = TileTextureIndex(tile, layer);
              if (index >= kTileTextures || index < -1) {
                if (!gOverlayLogged) {
                  gOverlayLogged = true;
                  GErrorLog::LogValue("Map: overlay texture index outside the table, skipped: ", index);
                }
              } else if (index >= 0) {
                const bool raised = type >= 8 && type <= 10;
                BindSlot(Slot::kTiles + index);
                if (raised) g->TranslateZ(raisedLift);
                const bool mirrored = (layer == 0 ? tile.mirrored : tile.roadMirrored) != 0;
                const int32_t rotation = (layer == 0 ? tile.rotation : tile.roadRotation) & 3;
                drawShape(rotation + (mirrored ? 4 : 0), raised);
                if (raised) g->TranslateZ(-raisedLift);
              }
            }
            if (layer != 0) continue;
            bool lifted = false;
            for (int32_t edge = 0; edge < MapTile::kCorners; ++edge) {
              for (int32_t kind = 0; kind < MapTile::kRoadKinds; ++kind) {
                if (tile.roadEnds[edge][kind] == 0) continue;
                BindSlot(Slot::kTiles + kStripTexture[kind]);
                if (!lifted) {
                  lifted = true;
                  g->TranslateZ(raisedLift);
                }
                drawShape(edge, true);
              }
            }
            if (lifted) g->TranslateZ(-raisedLift);
          }
        }
      }
      g->TranslateZ(-lift);
    }
  }
  g->PopMatrix();
}
