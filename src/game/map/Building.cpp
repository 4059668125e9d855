#include "game/map/Building.h"

#include <algorithm>
#include <cmath>

#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "game/map/Distance.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapPacket.h"
#include "game/map/MapScaled.h"
#include "game/map/MapUnitView.h"

namespace {

constexpr const char* kBuildingSource = "BuildingWallCrater";

// Floor-plan row of every building and bridge type: strength and whether it is tall.
struct TypeEntry {
  int32_t type;
  float strength;
  bool tall;
};
constexpr TypeEntry kTypes[] = {
    {31, 150.0f, false},  {32, 230.0f, false},  {33, 320.0f, true},   {34, 650.0f, true},
    {36, 400.0f, false},  {37, 700.0f, false},  {38, 20000.0f, true}, {39, 20000.0f, true},
    {40, 20000.0f, false}, {41, 20000.0f, false}, {42, 20000.0f, true}, {46, 650.0f, true},
};
constexpr float kOtherStrength = 650.0f;

const TypeEntry* EntryOf(int32_t type) {
  for (const TypeEntry& e : kTypes)
    if (e.type == type) return &e;
  return nullptr;
}

}  // namespace

void Building::Setup(int32_t newType, float height, bool isDiagonal, const Corner (&footprint)[4]) {
  type = newType;
  const TypeEntry* e = EntryOf(newType);
  tall = e != nullptr && e->tall;
  for (int32_t i = 0; i < 4; ++i) corners[i] = footprint[i];
  baseHeight = height - 0.05f;
  damage = 0.0f;
  diagonal = isDiagonal;
  displayMark = 1;
  joinX = 1;
  joinY = 1;
  destroyed = 0;
  tileX = TruncateToInt32(TruncateToInt32((corners[0].x + corners[2].x) * 0.5f)) / 20;
  tileY = TruncateToInt32(TruncateToInt32((corners[0].y + corners[2].y) * 0.5f)) / 20;
  textures = Textures{};
}

GObject* Building::CopyItself() const {
  auto* copy = new Building(*this);
  copy->ChooseTextures(false);
  return copy;
}

Building::Graphics& Building::Graphics::operator=(const Graphics& other) {
  if (this != &other) Release();
  return *this;
}

Building::Graphics::~Graphics() { Release(); }

void Building::Graphics::Release() {
  static constexpr int32_t kOrder[kCount] = {kRoof, kExtra, 0, 1, 2};
  for (int32_t i : kOrder) SafeDelete(handle[i]);
}

void Building::LoadGraphics() {
  const int32_t numbers[Graphics::kCount] = {textures.wall[0], textures.wall[1], textures.wall[2], textures.roof,
                                             textures.extra};
  const bool any = std::any_of(std::begin(numbers), std::end(numbers), [](int32_t n) { return n > 0; });
  if (!any) return;
  if (gGraph3D != nullptr) gGraph3D->SetMipmapsWanted(true);
  for (int32_t i = 0; i < Graphics::kCount; ++i) {
    if (numbers[i] > 0 && graphics.handle[i] == nullptr) graphics.handle[i] = GGraphicFactory::NewGraphic(numbers[i]);
  }
  if (gGraph3D != nullptr) gGraph3D->SetMipmapsWanted(false);
}

void Building::ChooseTextures(bool choose) {
  const bool snow = map_->IsSnowGround();
  if (choose) {
    switch (type) {
      case 31: {
        const int32_t r = Random(4);
        wallVariant = r < 3 ? 12 + 3 * r : 46;
        break;
      }
      case 33:
        wallVariant = 30 + 3 * Random(2);
        break;
      case 34: case 38: case 39: case 42:
        wallVariant = 21 + 3 * Random(3);
        break;
      case kTowerBuilding:
        wallVariant = 37;
        break;
      default:
        wallVariant = 3 * Random(4);
        break;
    }
    roofNumber = static_cast<uint16_t>(snow ? 1200 : 1200 + RandomOneTo(2));
  }
  textures = Textures{};
  graphics.Release();
  if (IsBridge()) {
    textures.wall[2] = 613;
    const bool light = type == 36 || type == 40;
    textures.wall[0] = light ? 392 : 390;
    textures.wall[1] = light ? 393 : 391;
    return;
  }
  textures.roof = roofNumber;
  const int32_t base = snow ? 860 : 300;
  for (int32_t i = 0; i < 3; ++i) textures.wall[i] = base + wallVariant + i;
  if (type == kTowerBuilding) textures.extra = snow ? 896 : 336;
}

void Building::Write(GFile& file) const {
  file.WriteU16(static_cast<uint16_t>(tileX));
  file.WriteU16(static_cast<uint16_t>(tileY));
  // Bridges are strong enough to take more damage than 16 bits hold at this scale.
  WriteMapScaled(file, damage, 20.0f);
  file.WriteByte(static_cast<uint8_t>((destroyed ? kFlagDestroyed : 0) | (joinY ? kFlagJoinY : 0) | (joinX ? kFlagJoinX : 0)));
  file.WriteByte(0);
}

void Building::RestoreState(bool apply, bool isDestroyed, float newDamage, bool newJoinY, bool newJoinX) {
  damage = newDamage;
  // A destroyed building has no joins: a later record naming the same building (a damaged
  // file) must not give it joins that the next save would store and the next read drop.
  joinY = destroyed ? 0 : newJoinY;
  joinX = destroyed ? 0 : newJoinX;
  if (!apply) {
    if (isDestroyed) {
      destroyed = 1;
      joinX = 0;
      joinY = 0;
    }
    return;
  }
  if (!isDestroyed) {
    if (!joinX || !joinY) {
      StampFootprint();
      StampJoins();
    }
    return;
  }
  destroyed = 0;
  Collapse(false, false, 0);
}

bool Building::Contains(float x, float y, bool lenient) const {
  return ContainsWithTerrain(x, y, lenient, IsBridge() ? 0 : map_->TerrainTypeAt(x, y));
}

Building::Box Building::BridgeBox() const {
  const float minX = std::trunc(std::min(std::trunc(std::min(corners[0].x, corners[1].x)), corners[2].x));
  const float maxX = std::trunc(std::max(std::trunc(std::max(corners[0].x, corners[1].x)), corners[2].x));
  const float minY = std::trunc(std::min(std::trunc(std::min(corners[0].y, corners[1].y)), corners[2].y));
  const float maxY = std::trunc(std::max(std::trunc(std::max(corners[0].y, corners[1].y)), corners[2].y));
  return {minX - 1.5f, maxX + 1.5f, minY - 1.5f, maxY + 1.5f};
}

bool Building::ContainsWithTerrain(float x, float y, bool lenient, int32_t terrainType) const {
  if (IsBridge()) return BridgeBox().Holds(x, y);
  if (terrainType != kRubble && !IsBuildingTerrain(terrainType)) return false;
  const bool wide = lenient && (type == 34 || type == kTowerBuilding) && !destroyed;
  if (!wide) return tileX == TileOf(x) && tileY == TileOf(y);
  const bool inX = tileX == TileOf(x) || tileX == TileOf(x + 1.1f) || tileX == TileOf(x - 1.1f);
  const bool inY = tileY == TileOf(y) || tileY == TileOf(y + 1.1f) || tileY == TileOf(y - 1.1f);
  return inX && inY;
}

float Building::GetStrength() const {
  const TypeEntry* e = EntryOf(type);
  return e != nullptr ? e->strength : kOtherStrength;
}

void Building::PullTowardCentre(float& x, float& y) const {
  auto pull = [](float& value, float centre) {
    const float d = centre - value;
    const float step = std::min(std::fabs(d), 1.3f);
    if (d > 0.0f) value += step;
    else value -= step;
  };
  pull(x, CentreX());
  pull(y, CentreY());
}

void Building::StampFootprint() const {
  const int32_t gridType = destroyed ? kRubble : (type == kTowerBuilding ? 34 : type);
  const float height = IsBridge() ? baseHeight + 3.0f * (tall ? 4.0f : 2.0f) * map_->size.heightScale : 0.0f;
  if (tall && !IsBridge() && type != 33) {
    map_->FillTileCells(tileX, tileY, gridType, height);
    return;
  }
  Map::Point3 p[4];
  for (int32_t i = 0; i < 4; ++i) p[i] = {corners[i].x - 1.0f, corners[i].y - 1.0f, 0.0f};
  map_->StampTriangle(p[0], p[1], p[2], gridType, height);
  map_->StampTriangle(p[0], p[3], p[2], gridType, height);
}

void Building::StampJoins() const {
  if ((type != 34 && type != kTowerBuilding) || destroyed) return;
  const float cx = CentreX();
  const float cy = CentreY();
  using P = Map::Point3;
  if (joinY && map_->TerrainTypeAt(cx, cy + 20.0f) == 34) {
    map_->StampTriangle(P{cx - 10.0f, cy + 7.9f}, P{cx - 10.0f, cy + 10.0f}, P{cx + 10.0f, cy + 10.0f}, kJoinStrip, 0.0f);
    map_->StampTriangle(P{cx - 10.0f, cy + 7.9f}, P{cx + 10.0f, cy + 7.9f}, P{cx + 10.0f, cy + 10.0f}, kJoinStrip, 0.0f);
  }
  if (joinX && map_->TerrainTypeAt(cx + 20.0f, cy) == 34) {
    map_->StampTriangle(P{cx + 7.9f, cy - 10.0f}, P{cx + 7.9f, cy + 10.0f}, P{cx + 10.0f, cy + 10.0f}, kJoinStrip, 0.0f);
    map_->StampTriangle(P{cx + 7.9f, cy - 10.0f}, P{cx + 10.0f, cy - 10.0f}, P{cx + 10.0f, cy + 10.0f}, kJoinStrip, 0.0f);
  }
}

// ---- Damage and collapse ----

template <class F>
void Building::ForEachUnit(F&& f) const {
  MapBattleServices* battle = map_->App().GetBattleOrOperation();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    MapUnitView* unit = battle->GetUnit(i);
    if (unit != nullptr) f(*unit);
  }
}

bool Building::ContainsUnit(const MapUnitView& unit) const {
  return Contains(unit.GetX(), unit.GetY(), unit.GetLevel() != 0.0f);
}

void Building::TakeHit(float amount, float x, float y) {
  const float d = Distance(CentreX(), CentreY(), x, y);
  if (d > 40.0f) return;
  if (!Contains(x, y, true)) amount = amount * 0.5f - std::max(d - 10.0f, 0.0f) * 8.0f;
  if (amount <= 0.0f) return;
  if (TakeDamage(amount)) {
    MapPacket packet;
    packet.kind = MapPacket::kBuildingCollapse;
    packet.x = CentreX();
    packet.y = CentreY();
    map_->Record(packet);
    return;
  }
  if (damage != 0.0f && Random(100) < 50) {
    const float f = GetDamageFraction();
    if (f >= 0.75f || (f >= 0.5f && amount * 1.4f + damage > GetStrength())) {
      ForEachUnit([this](MapUnitView& unit) { ThreatenOccupant(unit); });
    }
  }
}

bool Building::TakeDamage(float amount) {
  if (destroyed) return false;
  damage += (RandomFloatTimes(amount) + amount) * 0.5f;
  if (!(damage > GetStrength())) return false;
  Collapse(true, false, 0);
  MapPacket packet;
  packet.kind = MapPacket::kSound;
  packet.x = CentreX();
  packet.y = CentreY();
  packet.sound.number = static_cast<uint16_t>(160 + Random(2) + (tall ? 1 : 0));
  packet.sound.kind = 15;
  packet.sound.parameter = 0.8f;
  const float z = map_->ElevationAt(packet.x, packet.y);
  for (int32_t side = 0; side < 2; ++side) {
    packet.sound.position[side][0] = packet.x;
    packet.sound.position[side][1] = packet.y;
    packet.sound.position[side][2] = z;
    packet.sound.audible[side] = 1;
  }
  map_->Record(packet);
  return true;
}

void Building::Collapse(bool withUnits, bool withEffect, int32_t effectArg) {
  if (destroyed) return;
  if (IsBridge()) {
    type = type == 36 || type == 40 ? kWreckedBridge : kWreckedHighBridge;
  } else {
    destroyed = 1;
  }
  joinX = 0;
  joinY = 0;
  StampFootprint();
  destroyed = 1;
  if (withUnits) {
    identifiedInside_[0] = false;
    identifiedInside_[1] = false;
    if (IsBridge()) ForEachUnit([this](MapUnitView& unit) { ClearBridgeUnit(unit); });
    else ForEachUnit([this](MapUnitView& unit) { HitOccupant(unit); });
    if (!(identifiedInside_[0] && identifiedInside_[1])) {
      ForEachUnit([this](MapUnitView& unit) { CancelAreaFireInto(unit); });
    }
  }
  ForEachUnit([this](MapUnitView& unit) { LowerWaypointsInside(unit); });
  if (withEffect) {
    MapBattleServices* battle = map_->App().GetBattleOrOperation();
    if (battle == nullptr) FatalError(533, kBuildingSource);
    battle->AddCollapseEffect(CentreX(), CentreY(), tall != 0, effectArg);
  }
}

void Building::ThreatenOccupant(MapUnitView& unit) const {
  if (unit.IsInfantry() && unit.IsAlive() && unit.CanMove() && unit.GetTerrainHere() >= 31 && ContainsUnit(unit)) {
    unit.RetreatTowardFriendlyEdge();
  }
}

void Building::ClearBridgeUnit(MapUnitView& unit) const {
  const int32_t t = unit.GetTerrainHere();
  if (t != kWreckedBridge && t != kWreckedHighBridge) return;
  unit.MarkBurntOut();
  unit.Eliminate();
  unit.SetPosition(19998.0f, 19998.0f);
}

void Building::HitOccupant(MapUnitView& unit) {
  if (!ContainsUnit(unit)) {
    if (unit.GetLevel() > 0.0f && unit.GetTerrainHere() == kRubble) {
      unit.SetLevel(0.0f);
      unit.MarkStateChanged();
      unit.Eliminate();
    }
    return;
  }
  unit.MarkStateChanged();
  if (unit.HasMainWeaponOfType23(true)) unit.MarkBurntOut();
  if (unit.GetLevel() > 0.0f) {
    unit.SetLevel(0.0f);
    unit.MarkStateChanged();
    unit.Eliminate();
    return;
  }
  const int32_t side = unit.GetSideIndex() & 1;
  if (unit.IsInfantry()) {
    unit.TakeCasualties(unit.GetMenPresent(), 0.5f);
    if (!unit.IsAlive()) return;
    if (unit.HasMainWeaponOfType23(true)) unit.BailOutCrew();
    else if (unit.IsIdentified()) identifiedInside_[side] = true;
    return;
  }
  if (unit.IsIdentified()) identifiedInside_[side] = true;
}

void Building::CancelAreaFireInto(MapUnitView& unit) const {
  float tx = 0.0f;
  float ty = 0.0f;
  if (!unit.IsAreaFiring(tx, ty) || unit.HasMainWeaponOfType5()) return;
  const int32_t other = 1 - (unit.GetSideIndex() & 1);
  if (identifiedInside_[other] || !Contains(tx, ty, true)) return;
  unit.StopAreaFire();
  unit.MarkStateChanged();
}

void Building::LowerWaypointsInside(MapUnitView& unit) const {
  if (!unit.IsAlive()) return;
  const int32_t count = unit.GetWaypointCount();
  for (int32_t i = 0; i < count; ++i) {
    float x = 0.0f;
    float y = 0.0f;
    bool upper = false;
    unit.GetWaypoint(i, x, y, upper);
    if (!upper) continue;
    if (TruncateToInt32(x * 0.05f) != tileX || TruncateToInt32(y * 0.05f) != tileY) continue;
    unit.LowerWaypoint(i, map_->ElevationAt(x, y));
  }
}
