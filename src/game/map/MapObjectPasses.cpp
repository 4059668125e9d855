// The smaller passes of the battlefield frame over what stands on the map: set-up zone
// outlines, victory flags, buildings with their occupancy marks, walls, craters and landmark
// names.
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapUnitView.h"
#include "game/map/Wall.h"

namespace {

// Zone colours by value 1..6, on ordinary ground and on snow.
constexpr float kZoneColour[2][6][3] = {
    {{1, 0, 0}, {1, 1, 1}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}, {1, 1, 0.08f}},
    {{1, 0, 0}, {0.9f, 0.87f, 0.9f}, {0, 0, 1}, {0, 1, 0}, {0, 0, 0}, {1, 1, 0.08f}},
};
// The inset of an outline from its tile's edge, its height, and the look of a flag.
constexpr float kZoneInset = 2.0f;
constexpr float kZoneHeight = 0.8f;
constexpr float kFlagSize[8] = {1.0f, 1.0f, 1.25f, 1.6f, 1.3f, 1.85f, 2.8f, 3.7f};
constexpr float kPoleTop = 7.5f;
constexpr float kPole = 0.12f;
// Walls, hedges and bocage in drawing order, and their textures among the feature slots.
constexpr int32_t kWallKinds[3] = {29, 30, 28};
constexpr int32_t kWallTexture[3] = {0, 1, 2};
// Landmark names in the view's yellow on snow, else light blue.
constexpr uint8_t kNameSnow[3] = {255, 255, 0};
constexpr uint8_t kNameGround[3] = {100, 225, 255};
constexpr int32_t kNameFont = 0;

bool gFlagClothLogged = false;

bool IsDirtRoadTerrain(int32_t type) { return type >= 31 && type <= 35; }

// Whether the side to play (or the editor) has the zone outlined.
bool ZoneShown(int32_t zone, bool editor, int32_t side) {
  if (zone == 0) return false;
  if (editor) return true;
  if (side == 0) return zone >= 4 && zone <= 6;
  return zone >= 1 && zone <= 3;
}

}  // namespace

void Map::DrawZoneOutlines() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || g->IsPickMode()) return;
  const bool editor = app_->IsEditorOpen();
  const int32_t side = app_->GetCurrentSide() == 1 ? 1 : 0;
  const int32_t snow = IsSnowGround() ? 1 : 0;
  const int32_t level = GetViewLevel();
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  const MapGrid<MapTile>& tiles = terrain.tiles;
  for (int32_t i = tiles.Width() - 1; i >= 0; --i) {
    for (int32_t j = tiles.Height() - 1; j >= 0; --j) {
      const int32_t zone = tiles.At(i, j).zone;
      if (!ZoneShown(zone, editor, side) || BlockViewState(i, j) == 0) continue;
      // Values past the colour table (where both sides' zones meet) show in the editor in grey.
      if (zone >= 1 && zone <= 6) {
        const float* c = kZoneColour[snow][zone - 1];
        g->SetColor(c[0], c[1], c[2]);
      } else {
        g->SetColor(0.5f, 0.5f, 0.5f);
      }
      const float x0 = static_cast<float>(i) * kTileSize + kZoneInset;
      const float y0 = static_cast<float>(j) * kTileSize + kZoneInset;
      const float x1 = static_cast<float>(i + 1) * kTileSize - kZoneInset;
      const float y1 = static_cast<float>(j + 1) * kTileSize - kZoneInset;
      auto differs = [&](int32_t a, int32_t b) { return !tiles.Contains(a, b) || tiles.At(a, b).zone != zone; };
      bool measured = false;
      bool thick = false;
      auto segment = [&](float ax, float ay, float bx, float by) {
        if (!measured) {
          measured = true;
          thick = level >= 4 || PerspectiveScaleAt(ax, ay, ElevationAt(ax, ay)) >= 0.04f;
        }
        DrawZoneSegment(thick, ax, ay, bx, by);
      };
      if (differs(i + 1, j)) segment(x1, y0, x1, y1);
      if (differs(i - 1, j)) segment(x0, y0, x0, y1);
      if (differs(i, j + 1)) segment(x0, y1, x1, y1);
      if (differs(i, j - 1)) segment(x0, y0, x1, y0);
    }
  }
  g->SetBackfaceCulling(culling);
}

void Map::DrawZoneSegment(bool thick, float x0, float y0, float x1, float y1) const {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const float z0 = ElevationAt(x0, y0);
  const float z1 = ElevationAt(x1, y1);
  const float t0 = z0 + kZoneHeight;
  const float t1 = z1 + kZoneHeight;
  g->DrawColouredQuad(x0, y0, z0, x0, y0, t0, x1, y1, t1, x1, y1, z1);
  if (!thick) return;
  const int32_t level = GetViewLevel();
  const float w = level >= 4 ? static_cast<float>(level - 1) * 0.3f : 0.3f;
  g->DrawColouredQuad(x0, y0, t0, x0 + w, y0 + w, t0, x1 + w, y1 + w, t1, x1, y1, t1);
}

void Map::DrawVictoryFlags() {
  if (gGraph3D == nullptr || FrameOption(42) == 0 || app_->IsEditorOpen()) return;
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  const int32_t count = battle->GetFlagCount();
  for (int32_t n = 0; n < count; ++n) {
    MapFlagView flag;
    if (battle->GetFlagView(n, flag)) DrawVictoryFlag(flag);
  }
}

void Map::DrawVictoryFlag(const MapFlagView& flag) const {
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) FatalError(__LINE__, "Map");
  GGraph3D* g = gGraph3D;
  if (g == nullptr || (flag.type != 0 && flag.type != 1)) return;
  if (!std::isfinite(flag.x) || !std::isfinite(flag.y)) return;
  if (GetBlockViewState(TruncateToInt32(flag.x * 0.0125f), TruncateToInt32(flag.y * 0.0125f)) == 0) return;
  const int32_t level = GetViewLevel();
  g->PushMatrix();
  const float ground = ElevationAt(flag.x, flag.y);
  if (app_->IsEditorOpen()) {
    g->TranslateZ(ground);
  } else {
    g->Translate(flag.x, flag.y, ground);
  }
  const int32_t type = TerrainTypeAt(flag.x, flag.y);
  if (IsDirtRoadTerrain(type)) g->TranslateZ(type >= 33 ? 9.0f : 3.0f);
  if (flag.type == 1) g->Scale(1.75f, 1.75f, 1.75f);
  const float size = level >= 0 && level < 8 ? kFlagSize[level] : 1.0f;
  if (size > 1.0f) g->Scale(size, size, size);

  const int32_t side = app_->GetCurrentSide() == 1 ? 1 : 0;
  if (level < 4) {
    const float heading = std::atan2(frame.eyeY - flag.y, frame.eyeX - flag.x) * GMath::kDegreesPerRadian;
    g->RotateZ(heading + 90.0f);
    if (flag.hidden) {
      g->SetColor(0.8f, 0.5f, 0.0f);
    } else {
      g->SetColor(0.7f, 0.7f, 0.7f);
    }
    // Three faces of a square post, then its cap.
    const float pole[24] = {kPole,  -kPole, kPoleTop, kPole,  -kPole, 0.0f, -kPole, -kPole, kPoleTop,
                            -kPole, -kPole, 0.0f,     -kPole, kPole,  kPoleTop, -kPole, kPole,  0.0f,
                            kPole,  kPole,  kPoleTop, kPole,  kPole,  0.0f};
    g->DrawColouredStrip(true, 6, pole);
    g->DrawColouredQuad(kPole, -kPole, kPoleTop, -kPole, -kPole, kPoleTop, -kPole, kPole, kPoleTop, kPole, kPole,
                        kPoleTop);
  } else {
    // Seen from high up the cloth lies flat and faces the sky.
    g->TranslateZ(3.6f);
    g->RotateX(-90.0f);
    g->Translate(-3.61f, 0.0f, -5.45f);
  }

  int32_t cloth;
  if (battle->CanSeeHiddenObjectives(side) && flag.hidden && (!flag.chosen || flag.contested)) {
    cloth = flag.chosen ? flag.owner : 7;
  } else {
    cloth = flag.contested ? 6 : flag.owner;
  }
  if (cloth < 0 || cloth >= kFlagTextures) {
    if (!gFlagClothLogged) {
      gFlagClothLogged = true;
      GErrorLog::LogValue("Map: victory flag owner without a flag texture, drawn contested: ", cloth);
    }
    cloth = 6;
  }
  g->SetColor(1.0f, 1.0f, 1.0f);
  if (BindOverGroundTexture(kFlagTextureBase + cloth)) {
    g->DrawTexturedQuad(0.12f, 0.0f, 7.35f, 0.012f, 0.988f, 7.34f, 0.0f, 7.35f, 0.988f, 0.988f, 7.34f, 0.0f, 3.55f, 0.988f,
                        0.012f, 0.12f, 0.0f, 3.55f, 0.012f, 0.012f);
  }
  g->PopMatrix();
}

void Map::DrawBuildings() {
  GGroup* list = objects.buildings;
  if (list == nullptr) return;
  for (int32_t n = 0; n < list->Count(); ++n) {
    auto* building = static_cast<Building*>(list->GetItem(n));
    building->displayMark = building->hidden != 0 ? 0 : 1;
  }
  if (MapBattleServices* battle = app_->GetBattleOrOperation()) {
    const int32_t units = battle->GetUnitCount();
    for (int32_t n = 0; n < units; ++n) {
      MapUnitView* unit = battle->GetUnit(n);
      if (unit != nullptr && unit->IsInfantry()) unit->MarkOccupiedBuildings(*this);
    }
  }
  if (gGraph3D == nullptr) return;
  for (int32_t n = 0; n < list->Count(); ++n) static_cast<Building*>(list->GetItem(n))->Draw();
}

void Map::MarkBuildingAt(float x, float y, bool occupied) {
  GGroup* list = objects.buildings;
  if (list == nullptr) return;
  Building* found = nullptr;
  for (int32_t n = 0; n < list->Count() && found == nullptr; ++n) {
    auto* building = static_cast<Building*>(list->GetItem(n));
    if (building->Contains(x, y, true)) found = building;
  }
  for (int32_t n = 0; n < list->Count() && found == nullptr; ++n) {
    auto* building = static_cast<Building*>(list->GetItem(n));
    if (building->Contains(x, y, false)) found = building;
  }
  if (found == nullptr) return;
  if (!occupied) {
    found->displayMark = 0;
  } else if (found->displayMark == 1) {
    found->displayMark = 2;
  }
}

void Map::DrawWalls() {
  GGroup* list = objects.walls;
  if (list == nullptr || gGraph3D == nullptr) return;
  for (int32_t k = 0; k < 3; ++k) {
    BindSlot(Slot::kFeatures + kWallTexture[k]);
    for (int32_t n = 0; n < list->Count(); ++n) static_cast<const Wall*>(list->GetItem(n))->Draw(kWallKinds[k]);
  }
}

void Map::DrawCraters() {
  if (gGraph3D == nullptr) return;
  for (const GGroup* list : {static_cast<const GGroup*>(objects.craters), static_cast<const GGroup*>(objects.craterMarks)}) {
    if (list == nullptr) continue;
    for (int32_t n = 0; n < list->Count(); ++n) static_cast<const Crater*>(list->GetItem(n))->Draw();
  }
}

void Map::DrawLandmarks() {
  if (gGraph3D == nullptr || FrameOption(16) == 0) return;
  for (int32_t n = 0; n < objects.landmarks.Count(); ++n) DrawLandmarkName(*objects.landmarks.GetItem(n));
}

void Map::DrawLandmarkName(const GObject& object) {
  GGraph3D* g = gGraph3D;
  const auto& landmark = static_cast<const Landmark&>(object);
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  if (g == nullptr || battle == nullptr || BlockViewState(landmark.tileX, landmark.tileY) == 0) return;
  float x = (static_cast<float>(landmark.tileX) + 0.5f) * kTileSize;
  float y = (static_cast<float>(landmark.tileY) + 0.5f) * kTileSize;
  const float z = SurfaceHeightAt(x, y);
  if (!g->ProjectToScreen(&x, &y, z, false)) return;

  // Each name is measured once, and again only when it changes.
  auto cached = std::find_if(overGround.nameWidths.begin(), overGround.nameWidths.end(),
                             [&](const OverGround::NameWidth& w) { return w.landmark == &object; });
  if (cached == overGround.nameWidths.end() || cached->name != landmark.name.CStr()) {
    OverGround::NameWidth measured;
    measured.landmark = &object;
    measured.name = landmark.name.CStr();
    measured.width = g->TextWidth(landmark.name, kNameFont);
    if (cached == overGround.nameWidths.end()) {
      overGround.nameWidths.push_back(measured);
      cached = overGround.nameWidths.end() - 1;
    } else {
      *cached = measured;
    }
  }
  int32_t width = 0;
  int32_t height = 0;
  battle->GetBattlefieldViewSize(width, height);
  const int32_t half = cached->width / 2 + 10;
  const int32_t sx = std::clamp(TruncateToInt32(x), half, std::max(half, width - half));
  const int32_t sy = std::clamp(TruncateToInt32(y), 10, std::max(10, height - 10));
  g->WriteString3D(landmark.name, sx - 1, sy + 1, 0, kNameFont, 0, 0, 0);
  g->WriteString3D(landmark.name, sx - 1, sy - 1, 0, kNameFont, 0, 0, 0);
  g->WriteString3D(landmark.name, sx + 1, sy - 1, 0, kNameFont, 0, 0, 0);
  const uint8_t* c = IsSnowGround() ? kNameSnow : kNameGround;
  g->WriteString3D(landmark.name, sx, sy, 0, kNameFont, c[0], c[1], c[2]);
}
