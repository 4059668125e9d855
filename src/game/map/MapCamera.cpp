// The camera, the selection and the small questions drawing asks of the map: the view state
// of blocks and footprints, texture indices of tiles, the tint of water textures and the
// apparent size of things at a distance.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GView.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapUnitView.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292519444445f;
// A 1024-pixel screen shows a thing of 20 units at 1 m: the screen width over 51.2.
constexpr float kApparentSizeDivisor = 51.2f;
constexpr float kBlockSize = 80.0f;

int32_t SideIndex(const MapAppServices& app) { return app.GetCurrentSide() == 1 ? 1 : 0; }

}  // namespace

void Map::SelectUnit(MapUnitView* unit) {
  if (unit == camera.selectedUnit || (unit != nullptr && unit->GetIdentificationLevel() < 2)) unit = nullptr;
  camera.selectedUnit = unit;
  Invalidate();
  app_->RefreshBattleScreen();
}

void Map::AimCamera(float x, float y) {
  const float z = ElevationAt(x, y);
  float sx = x;
  float sy = y;
  if (gGraph3D != nullptr && gGraph3D->ProjectToScreen(&sx, &sy, z, false)) return;
  const int32_t side = SideIndex(*app_);
  if (camera.viewLevel[side] <= 3) {
    camera.bearing[side] = HeadingDegrees(x - camera.x[side], y - camera.y[side]) * kDegreesToRadians;
  } else {
    camera.x[side] = x;
    camera.y[side] = y;
  }
  Invalidate();
  app_->RefreshBattleScreen();
}

void Map::OrdersMenuKey(int32_t key) {
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr || battle->GetSelectedUnit() == nullptr) {
    // A key press with nothing selected: no menu to open.
    app_->Beep();
    return;
  }
  if (camera.openMenu == nullptr) {
    camera.openMenu = app_->OpenUnitOrdersMenu(false);
  } else if (!app_->OrdersMenuTakesKey(camera.openMenu, key)) {
    app_->Beep();
    SafeDelete(camera.openMenu);
  }
}

void Map::SetViewVisible(bool visible) {
  if (auto* view = dynamic_cast<GView*>(display.battleView)) view->SetVisible(visible ? 1 : 0);
}

void Map::SetSelectionCorner(float x, float y) {
  camera.selectionCorners[1][0] = static_cast<int32_t>(x);
  camera.selectionCorners[1][1] = static_cast<int32_t>(y);
  app_->SetInputMode(10);
  if (MapBattleServices* battle = app_->GetBattleOrOperation()) battle->SetSelectionDrag(true);
}

void Map::GetSelectionRect(int32_t rect[4]) const {
  const int32_t(&c)[2][2] = camera.selectionCorners;
  rect[0] = std::min(c[0][0], c[1][0]);
  rect[1] = std::min(c[0][1], c[1][1]);
  rect[2] = std::max(c[0][0], c[1][0]);
  rect[3] = std::max(c[0][1], c[1][1]);
}

int32_t Map::GetBlockViewState(int32_t blockX, int32_t blockY) const {
  return terrain.blockViewState.GetOr(blockX, blockY, 0);
}

int32_t Map::BlockViewState(int32_t tileX, int32_t tileY) const {
  if (tileX < 0 || tileY < 0) return 0;
  return GetBlockViewState(tileX / 4, tileY / 4);
}

int32_t Map::FootprintViewState(float x, float y, float r) const {
  // The distinct block indices along one axis, lowest first (at most three).
  auto blocksAlong = [r](float c, int32_t out[3]) {
    const float samples[3] = {c - r, c, c + r};
    int32_t n = 0;
    for (float s : samples) {
      const auto b = static_cast<int32_t>(s * (1.0f / kBlockSize));
      if (std::find(out, out + n, b) != out + n) continue;
      if (n == 3) FatalError(2469, "Map.cpp");
      out[n++] = b;
    }
    return n;
  };
  int32_t bx[3];
  int32_t by[3];
  const int32_t nx = blocksAlong(x, bx);
  const int32_t ny = blocksAlong(y, by);
  const int32_t first = GetBlockViewState(bx[0], by[0]);
  if (first == 1) return 1;
  for (int32_t i = 0; i < nx; ++i) {
    for (int32_t j = 0; j < ny; ++j) {
      if (GetBlockViewState(bx[i], by[j]) != first) return 1;
    }
  }
  return first;
}

int32_t Map::GetViewLevel() const { return camera.viewLevel[SideIndex(*app_)]; }

int32_t Map::TileTextureIndex(const MapTile& tile, int32_t layer, int32_t* second) const {
  if (layer != 0 && layer != 1) FatalError(2087, "Map.cpp");
  const int32_t type = layer == 0 ? tile.terrain : tile.road;
  const int32_t shape = layer == 0 ? tile.shape : tile.roadShape;
  if (second != nullptr) *second = 0;
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  const int32_t season = battle != nullptr ? battle->GetSeason() : 1;
  if (!IsSnowGround()) {
    int32_t base = -1;
    switch (type) {
      case 8: base = 0; break;
      case 9: base = 13; break;
      case 10: base = 59; break;
      case 11: base = 74; break;
      case 12: base = 28; break;
      case 13: base = season >= 2 ? 91 : 85; break;
      case 14:
      case 15: base = season >= 2 ? 53 : 47; break;
      case 16: base = season == 1 ? 34 : 97; break;
      case 17: base = 79; break;
      case 18: base = 40; break;
      case 19: base = 72; break;
      case 25: base = 41; break;
      case 26: base = 73; break;
      default: return -1;
    }
    return base + shape;
  }
  // Snow ground: many types share the snow pieces, which lie at their own bitmap offset.
  int32_t base = -1;
  int32_t offset = 0;
  switch (type) {
    case 8:
    case 9: base = 13; offset = 217; break;
    case 10: base = 59; offset = 300; break;
    case 11: {
      static constexpr int32_t kPavedShapes[5] = {13, 31, 19, 23, 18};
      if (shape < 0 || shape > 4) FatalError(2089, "Map.cpp");
      if (second != nullptr) *second = 217;
      return kPavedShapes[shape];
    }
    case 12: base = 28; break;
    case 13:
    case 14:
    case 15: base = 53; offset = 197; break;
    case 16: base = 97; break;
    case 17: base = 79; offset = 300; break;
    case 18: base = 40; offset = 209; break;
    case 19: base = 72; break;
    case 25:
    case 27: base = 41; offset = 179; break;
    case 26: base = 73; break;
    default: return -1;
  }
  if (second != nullptr) *second = offset;
  return base + shape;
}

bool Map::TintWaterTexture(float previousScale[3], int32_t kind) const {
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr || gGraph3D == nullptr || IsSnowGround() || (kind != 8 && kind != 9)) return false;
  const int32_t condition = battle->GetGroundCondition();
  if (condition < 2 || condition > 5) return false;
  const float k = 0.9f - static_cast<float>(condition - 2) * 0.1f;
  float scale[3];
  gGraph3D->GetColorScale(scale);
  for (float& s : scale) s *= k;
  gGraph3D->SwapColorScale(scale, previousScale);
  return true;
}

float Map::PerspectiveScaleAt(float x, float y, float z) const {
  const int32_t side = SideIndex(*app_);
  const float a = -camera.bearing[side];
  float depth = std::fabs((x - camera.x[side]) * std::cos(a) - (y - camera.y[side]) * std::sin(a));
  depth = std::max(depth, std::fabs(camera.height - z));
  const float zoom = camera.zoom > 0.0f ? camera.zoom : 1.0f;
  depth = std::max(depth / zoom, 0.0001f);
  return static_cast<float>(app_->GetScreenWidth()) / kApparentSizeDivisor / depth;
}

float Map::DetailFactorAt(float x, float y) const {
  if (GetViewLevel() > 3) return 0.5f;
  const float s = std::clamp(PerspectiveScaleAt(x, y, 0.0f), 0.024f, 0.2f);
  return 0.023f / s;
}

float Map::CameraDistance(float x, float y, float z, float* zoom) const {
  const int32_t side = SideIndex(*app_);
  const float dx = x - camera.x[side];
  const float dy = y - camera.y[side];
  const float dz = z - camera.height;
  if (zoom != nullptr) *zoom = camera.zoom;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}
