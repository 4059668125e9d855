// What the action phase and the replay do to the map's objects: fire on tiles, blasts on
// buildings, impact craters and their revealing, the replay's building and crater packets,
// and the turn-start snapshot the replay starts from.
//
// Packets arrive from the other machine (TCP/IP or e-mail turns) as well as from this one's
// own action: a replayed packet whose building or crater is missing, or whose point is not
// on the map, is logged and skipped so that the replay goes on.
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/Distance.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapPacket.h"
#include "game/map/MapUnitView.h"

namespace {

constexpr const char* kObjectsSource = "Map";

// Ground conditions 0..8: the factor on a fire chance outside buildings.
constexpr float kGroundFireFactor[9] = {2.5f, 1.2f, 1.0f, 0.8f, 0.8f, 0.6f, 0.8f, 0.8f, 0.6f};
constexpr int32_t kRainWeather = 2;
constexpr int32_t kSummer = 1;

// The factor of a fine type on a fire chance; 0 for types that cannot burn.
float TypeFireFactor(int32_t type, int32_t season) {
  switch (type) {
    case 13: case 14: case 15: case 21: case 22: case 23:
      return 0.3f;
    case 16:
      return season == kSummer ? 1.75f : 0.75f;
    case 17:
      return 1.75f;
    case 31: case 33:
      return 3.0f;
    case 32: case 34: case 35:
      return 1.2f;
    default:
      return 0.0f;
  }
}

bool IsFinite(float v) { return std::isfinite(v); }

}  // namespace

void Map::Record(const MapPacket& packet) const {
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle != nullptr && !battle->IsNoRecord()) battle->RecordPacket(packet);
}

// ---- Fire ----

int32_t Map::BurningAt(float x, float y) const {
  const int32_t tx = TruncateToInt32(x * 0.05f);
  const int32_t ty = TruncateToInt32(y * 0.05f);
  if (!fire.state.IsValidIndex(tx, ty)) return 0;
  return fire.state.GetU8(tx, ty);
}

bool Map::BurningAheadOnly(float x, float y, float aheadX, float aheadY) const {
  if (TruncateToInt32(x * 0.05f) == TruncateToInt32(aheadX * 0.05f) &&
      TruncateToInt32(y * 0.05f) == TruncateToInt32(aheadY * 0.05f)) {
    return false;
  }
  return BurningAt(x, y) == 0 && BurningAt(aheadX, aheadY) != 0;
}

void Map::TryIgnite(float chance, float x, float y) {
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  const int32_t type = TerrainTypeAt(x, y);
  if (type < 31) {
    const int32_t ground = battle->GetGroundCondition();
    if (ground >= 0 && ground <= 8) chance *= kGroundFireFactor[ground];
    if (battle->GetWeather() == kRainWeather) chance *= 0.6f;
  }
  const float factor = TypeFireFactor(type, battle->GetSeason());
  if (factor == 0.0f) return;
  chance *= factor;
  if (RandomFloat() < chance) IgniteTile(x, y, true);
}

void Map::IgniteTile(float x, float y, bool record) {
  const int32_t tx = TruncateToInt32(x * 0.05f);
  const int32_t ty = TruncateToInt32(y * 0.05f);
  if (!IsFinite(x) || !IsFinite(y) || !fire.state.IsValidIndex(tx, ty) || fire.state.GetU8(tx, ty) != 0) return;
  const float cx = (static_cast<float>(tx) + 0.5f) * 20.0f;
  const float cy = (static_cast<float>(ty) + 0.5f) * 20.0f;
  const int32_t type = TerrainTypeAt(cx, cy);
  uint8_t value = 3;
  if (type == 31 || type == 32 || type == 33) value = 1;
  else if (type == 34 || type == 35) value = 2;
  SetTileBurning(tx, ty, value);
  InvalidateVisibilityNear(cx, cy, 14.142f);
  if (!record) return;
  MapPacket packet;
  packet.kind = MapPacket::kTileIgnites;
  packet.x = x;
  packet.y = y;
  Record(packet);
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle != nullptr) battle->StartTileFire(tx, ty);
  PostFireSound(tx, ty);
}

// ---- Buildings ----

void Map::BlastBuildings(float size, float x, float y) {
  const float half = size * 0.5f;
  // A collapse never adds or removes buildings, so the list may be walked by index.
  for (int32_t i = 0; i < objects.buildings->Count(); ++i) {
    static_cast<Building*>(objects.buildings->GetItem(i))->TakeHit(half, x, y);
  }
}

void Map::CollapseBuildingAt(float x, float y, int32_t argument) {
  Building* building = FindBuildingAt(x, y);
  if (building == nullptr) {
    GErrorLog::LogError("Map: a building collapse where no building stands, skipped");
    return;
  }
  building->Collapse(false, true, argument);
}

void Map::ApplyBuildingStatePacket(const MapPacket& packet) {
  Building* building = FindBuildingAt(packet.x, packet.y);
  if (building == nullptr) {
    GErrorLog::LogError("Map: a building state where no building stands, skipped");
    return;
  }
  building->damage = packet.size;
  building->destroyed = packet.flag;
}

// ---- Craters ----

Crater* Map::FindMarkerAt(const GGroup* list, float x, float y) {
  if (list == nullptr) return nullptr;
  for (int32_t i = 0; i < list->Count(); ++i) {
    auto* crater = static_cast<Crater*>(list->GetItem(i));
    if (crater->SquareContains(x, y)) return crater;
  }
  return nullptr;
}

int32_t Map::CraterStateAt(float x, float y) const {
  if (FindMarkerAt(objects.craters, x, y) != nullptr) return 2;
  if (FindMarkerAt(objects.craterMarks, x, y) != nullptr) return 1;
  return 0;
}

void Map::AddImpactCrater(float x, float y, float blast, bool lasting, bool wide) {
  if (!IsOnMap(x, y)) return;
  const int32_t type = TerrainTypeAt(x, y);
  if (!IsTypeInClass(type, wide)) return;
  lasting = lasting || blast * 0.0013f + RandomFloat() > 1.05f;
  float size = std::pow(blast, 0.6f) * 0.168f;
  if (wide && !IsTypeInClass(type, false)) size *= 0.6f;
  if (!(size > 0.2f) || (!lasting && CraterStateAt(x, y) == 2)) return;
  if (lasting && CraterStateAt(x, y) == 1) {
    MapPacket removed;
    removed.kind = MapPacket::kCraterRemoved;
    removed.delay = 4;
    removed.x = x;
    removed.y = y;
    Record(removed);
    RemoveTemporaryCrater(removed);
  }
  MapPacket made;
  made.kind = MapPacket::kCrater;
  made.delay = 4;
  made.x = x;
  made.y = y;
  made.size = size;
  made.flag = lasting ? 1 : 0;
  made.rotation = RandomFloatTimes(360.0f);
  made.depth = RandomFloatTimes(0.1f) - 0.05f;
  Record(made);
  ApplyCraterPacket(made);
}

void Map::ApplyCraterPacket(const MapPacket& packet) {
  const bool sound = IsFinite(packet.x) && IsFinite(packet.y) && IsOnMap(packet.x, packet.y) && IsFinite(packet.size) &&
                     packet.size >= 0.0f && IsFinite(packet.rotation) && IsFinite(packet.depth);
  if (!sound) {
    GErrorLog::LogError("Map: a crater packet off the map or with a value that is not a number, skipped");
    return;
  }
  auto* crater = new Crater(this);
  crater->Init(packet.x, packet.y, packet.size, packet.flag != 0, packet.rotation, packet.depth);
  if (crater->lasting) {
    objects.craters->Append(crater);
    IndexLastingCrater(*crater);
  } else {
    objects.craterMarks->Append(crater);
  }
}

void Map::RemoveTemporaryCrater(const MapPacket& packet) {
  Crater* crater = FindMarkerAt(objects.craterMarks, packet.x, packet.y);
  if (crater == nullptr) {
    GErrorLog::LogError("Map: a temporary crater removed where there is none, skipped");
    return;
  }
  objects.craterMarks->Remove(crater, true);
}

void Map::RevealCrater(float x, float y) {
  Crater* crater = FindMarkerAt(objects.craters, x, y);
  if (crater == nullptr) {
    GErrorLog::LogError("Map: a crater revealed where there is none, skipped");
    return;
  }
  crater->revealed = 1;
}

bool Map::FindUnitNear(float x, float y, bool /*flag*/, MapUnitView*& unit) const {
  unit = nullptr;
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return false;
  for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
    MapUnitView* candidate = battle->GetUnit(i);
    if (candidate == nullptr || candidate->GetUnitKind() != MapUnitView::kInanimate || candidate->GetInanimateKind() != 2) {
      continue;
    }
    // Measured from the point on the ground to the marker's base: on a slope a marker close
    // on the map may still lie out of reach.
    if (candidate->DistanceToPoint(x, y) <= 20.0f) {
      unit = candidate;
      return true;
    }
  }
  return false;
}

// ---- The turn-start snapshot ----

namespace {

template <class List>
void ReplaceWithCopy(GGroup*& target, const List* source) {
  SafeDelete(target);
  target = static_cast<GGroup*>(source->CopyItself());
}

}  // namespace

void Map::SaveTurnStartState() {
  for (int32_t x = 0; x < size.tilesX; ++x)
    for (int32_t y = 0; y < size.tilesY; ++y) fire.stateAtTurnStart.SetU8(x, y, fire.state.GetU8(x, y));
  ReplaceWithCopy(objects.buildingsAtTurnStart, objects.buildings);
  ReplaceWithCopy(objects.cratersAtTurnStart, objects.craters);
  ReplaceWithCopy(objects.craterMarksAtTurnStart, objects.craterMarks);
  ReplaceWithCopy(objects.smallObjectsAtTurnStart, objects.smallObjects);
}

void Map::RestoreTurnStartState(std::span<const MapPacket> packets) {
  if (objects.buildingsAtTurnStart == nullptr) FatalError(1801, kObjectsSource);
  if (objects.cratersAtTurnStart == nullptr) FatalError(1802, kObjectsSource);
  if (objects.craterMarksAtTurnStart == nullptr) FatalError(1803, kObjectsSource);
  if (objects.smallObjectsAtTurnStart == nullptr) FatalError(1804, kObjectsSource);
  for (int32_t x = 0; x < size.tilesX; ++x)
    for (int32_t y = 0; y < size.tilesY; ++y) fire.state.SetU8(x, y, fire.stateAtTurnStart.GetU8(x, y));
  RebuildBurningTiles();
  pickedBuilding_ = nullptr;
  SafeDelete(objects.buildings);
  objects.buildings = static_cast<GGroup*>(objects.buildingsAtTurnStart->CopyItself());
  auto craterCopy = [](GGroup* list) {
    auto* copy = dynamic_cast<MapObjectList*>(list->CopyItself());
    if (copy == nullptr) FatalError(1812, kObjectsSource);
    return copy;
  };
  SafeDelete(objects.craters);
  objects.craters = craterCopy(objects.cratersAtTurnStart);
  SafeDelete(objects.craterMarks);
  objects.craterMarks = craterCopy(objects.craterMarksAtTurnStart);
  SafeDelete(objects.smallObjects);
  objects.smallObjects = static_cast<GGroup*>(objects.smallObjectsAtTurnStart->CopyItself());
  IndexCraters();
  for (const MapPacket& packet : packets) {
    if (packet.kind != MapPacket::kBuildingCollapse) continue;
    Building* building = FindBuildingAt(packet.x, packet.y);
    if (building == nullptr) {
      GErrorLog::LogError("Map: a building collapse where no building stands, skipped");
      continue;
    }
    if (!building->destroyed) building->StampFootprint();
  }
}

void Map::DeleteSounds(bool keepLooped) {
  if (display.oneShotSounds != nullptr) display.oneShotSounds->DeleteAll(true);
  if (!keepLooped && display.loopedSounds != nullptr) display.loopedSounds->DeleteAll(true);
}

void Map::OpenPictureView() {
  if (pictureView_ != nullptr) return;
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  constexpr int32_t kWidth = 620;
  constexpr int32_t kHeight = 335;
  int32_t width = 0;
  int32_t height = 0;
  battle->GetBattlefieldViewSize(width, height);
  // Centred across, two thirds of the way down the height the view leaves free.
  const int32_t left = (width - kWidth) / 2;
  const int32_t top = (height - kHeight) * 2 / 3;
  pictureView_ = battle->NewPictureView(left, top, kWidth, kHeight);
}
