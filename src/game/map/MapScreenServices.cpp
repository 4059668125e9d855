// The small services of the map that the battle screen, the battle and the line trace read:
// the crater under a point, landmarks, set-up zones, the square counter and box collection
// of the trace, the list of burning tiles kept beside the fire grid, and the fire sounds.
//
// Landmark names and zone rectangles come from stored games and the editor: names are cut
// to their capacity and rectangles clipped to the grid.
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapPacket.h"
#include "game/map/MapUnitView.h"
#include "game/map/SmokeCloud.h"

uint8_t Map::hiddenCraterSwitch = 0;
float Map::squarePointX = 0.0f;
float Map::squarePointY = 0.0f;
int32_t Map::squareCount = 0;

namespace {

constexpr uint16_t kFireSound = 300;
constexpr int16_t kFireSoundKind = 5;

}  // namespace

// ---- Craters ----

Crater* Map::FindCraterAt(float x, float y) {
  if (objects.craters == nullptr) return nullptr;
  const uint8_t hiddenSide = app_->GetCurrentSide() == 0 ? 1 : 0;
  for (int32_t i = 0; i < objects.craters->Count(); ++i) {
    auto* crater = static_cast<Crater*>(objects.craters->GetItem(i));
    if (std::fabs(crater->x - x) > crater->radius || std::fabs(crater->y - y) > crater->radius) continue;
    // A crater hidden from the side to play is passed over while the switch is on; the side
    // that made it sees it.
    const bool seen = hiddenCraterSwitch == 0 || crater->hidden == 0 || crater->revealed != 0 ||
                      crater->ownerAxis == hiddenSide;
    if (!seen) continue;
    lastCraterHidden = crater->hidden;
    return crater;
  }
  return nullptr;
}

void Map::UpdateCraterVisibility(bool revealAll) {
  if (objects.craters == nullptr) return;
  const int32_t n = objects.craters->Count();
  if (revealAll) {
    for (int32_t i = 0; i < n; ++i) static_cast<Crater*>(objects.craters->GetItem(i))->revealed = 1;
    return;
  }
  bool stillHidden = false;
  for (int32_t i = 0; i < n; ++i) {
    auto* crater = static_cast<Crater*>(objects.craters->GetItem(i));
    if (!crater->lasting || crater->revealed) continue;
    crater->TryReveal();
    if (!crater->revealed) stillHidden = true;
  }
  if (!stillHidden) return;
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  const uint8_t saved = hiddenCraterSwitch;
  hiddenCraterSwitch = 0;
  for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
    const MapUnitView* unit = battle->GetUnit(i);
    if (unit == nullptr || !unit->IsIdentified()) continue;
    Crater* crater = FindCraterAt(unit->GetX(), unit->GetY());
    if (crater != nullptr && !crater->revealed) crater->Reveal();
  }
  hiddenCraterSwitch = saved;
}

// ---- Landmarks ----

namespace {

Landmark* LandmarkOn(const GObjectGroup& landmarks, int32_t tileX, int32_t tileY) {
  for (int32_t i = 0; i < landmarks.Count(); ++i) {
    auto* landmark = static_cast<Landmark*>(landmarks.GetItem(i));
    if (landmark->tileX == tileX && landmark->tileY == tileY) return landmark;
  }
  return nullptr;
}

}  // namespace

void Map::GetLandmarkNameAt(int32_t tileX, int32_t tileY, GString& name) const {
  const Landmark* landmark = LandmarkOn(objects.landmarks, tileX, tileY);
  if (landmark == nullptr) {
    name.Clear();
  } else {
    name = landmark->name;
  }
}

void Map::SetLandmark(int32_t tileX, int32_t tileY, const GString& name) {
  Landmark* landmark = LandmarkOn(objects.landmarks, tileX, tileY);
  if (name.Length() == 0) {
    if (landmark != nullptr) objects.landmarks.Remove(landmark, true);
    return;
  }
  if (landmark == nullptr) {
    landmark = new Landmark(tileX, tileY, "");
    objects.landmarks.Append(landmark);
  }
  landmark->name = name;  // cut to its 63 characters
}

// ---- Set-up zones ----

uint8_t Map::ZoneOfUnit(const MapUnitView& unit) const {
  const int32_t tx = TruncateToInt32(unit.GetX() * 0.05f);
  const int32_t ty = TruncateToInt32(unit.GetY() * 0.05f);
  if (!terrain.tiles.Contains(tx, ty)) return 0;
  return terrain.tiles.At(tx, ty).zone;
}

void Map::SetZoneRect(uint8_t zone, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, terrain.tiles.Width());
  y1 = std::min(y1, terrain.tiles.Height());
  for (int32_t x = x0; x < x1; ++x)
    for (int32_t y = y0; y < y1; ++y) terrain.tiles.At(x, y).zone = zone;
}

// ---- The line trace's steps over the smoke clouds ----

void Map::CountSquaresAt(const SmokeCloud& cloud) {
  if (std::fabs(squarePointX - cloud.x) <= cloud.radius && std::fabs(squarePointY - cloud.y) <= cloud.radius) {
    ++squareCount;
  }
}

void Map::CollectObjectsInBox(const SmokeCloud& cloud, float minX, float minY, float maxX, float maxY,
                              std::vector<const SmokeCloud*>& target) const {
  if (!(minX <= cloud.x && cloud.x <= maxX && minY <= cloud.y && cloud.y <= maxY)) return;
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  const bool exists = battle == nullptr || battle->IsOverrideSet() || !battle->IsComputingAction() ||
                      cloud.startSlice <= battle->GetCurrentSlice();
  if (exists) target.push_back(&cloud);
}

// ---- The burning tiles ----

namespace {

// Drawing order: x descending, then y descending; with the key x * tilesY + y that is the
// keys in descending order.
bool DrawnBefore(int32_t a, int32_t b) { return a > b; }

}  // namespace

void Map::SetTileBurning(int32_t tileX, int32_t tileY, uint8_t kind) {
  if (!fire.state.IsValidIndex(tileX, tileY)) return;
  fire.state.SetU8(tileX, tileY, kind);
  const int32_t key = tileX * size.tilesY + tileY;
  auto at = std::lower_bound(burningTiles.begin(), burningTiles.end(), key, DrawnBefore);
  const bool listed = at != burningTiles.end() && *at == key;
  if (kind != 0 && !listed) burningTiles.insert(at, key);
  if (kind == 0 && listed) burningTiles.erase(at);
}

void Map::RebuildBurningTiles() {
  burningTiles.clear();
  if (!fire.state.HasBlock()) return;
  for (int32_t x = size.tilesX - 1; x >= 0; --x) {
    for (int32_t y = size.tilesY - 1; y >= 0; --y) {
      if (fire.state.IsValidIndex(x, y) && fire.state.GetU8(x, y) != 0) burningTiles.push_back(x * size.tilesY + y);
    }
  }
}

void Map::ReapplyFires() {
  // The list may not change while the sounds start, but a copy costs little and is safe.
  const std::vector<int32_t> tiles = burningTiles;
  for (int32_t key : tiles) PostFireSound(key / size.tilesY, key % size.tilesY);
}

void Map::PostFireSound(int32_t tileX, int32_t tileY) {
  MapPacket event;
  event.kind = MapPacket::kSound;
  event.x = (static_cast<float>(tileX) + 0.5f) * kTileSize;
  event.y = (static_cast<float>(tileY) + 0.5f) * kTileSize;
  event.z = ElevationAt(event.x, event.y);
  event.sound.number = kFireSound;
  event.sound.kind = kFireSoundKind;
  event.sound.looped = 1;
  event.sound.parameter = 0.0f;  // no camera shake
  for (int32_t side = 0; side < 2; ++side) {
    event.sound.position[side][0] = event.x;
    event.sound.position[side][1] = event.y;
    event.sound.position[side][2] = event.z;
    event.sound.audible[side] = 1;
  }
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle != nullptr && battle->IsComputingAction()) {
    // Heard from 1 to 40 slices before now, so a fire of the turn's start is due at once.
    event.delay = -(1 + Random(40));
    Record(event);
    return;
  }
  app_->Battlefield().StartMapSound(*this, event);
}

void Map::SetAnimatedTexture() const {
  const int32_t frame = display.animatedFrame;
  if (frame < 0 || frame > 17) FatalError(8546, "Map");
  BindSlot(Slot::kAnimated + frame);
}
