// Distances, lines of sight through the map's visibility cache, bearings and arcs, whether the
// unit may fire at its target now, and the terrain under a unit with its name.
#include <algorithm>
#include <cmath>

#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/FineTerrain.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"

namespace {

const Map& RequiredMap() {
  const Map* map = UnitBattleMap();
  if (map == nullptr) FatalError(__LINE__, "UnitSight.cpp");
  return *map;
}

float Distance3(float x0, float y0, float z0, float x1, float y1, float z1) {
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float dz = z1 - z0;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The angle into 0..360 by whole turns.
float WrapDegrees(float a) {
  if (a < 0.0f) a += 360.0f * std::ceil(-a / 360.0f);
  if (a >= 360.0f) a -= 360.0f * std::floor(a / 360.0f);
  return a >= 360.0f ? 0.0f : a;
}

}  // namespace

float Unit::DistanceTo(const Unit& other) const {
  return Distance3(x, y, GetBaseHeight(), other.x, other.y, other.GetBaseHeight());
}

float Unit::DistanceToPoint(float px, float py) const {
  return Distance3(x, y, GetBaseHeight(), px, py, RequiredMap().ElevationAt(px, py));
}

bool Unit::LineOfSightTo(const Unit& other, float* visibility) const {
  Map& map = const_cast<Map&>(RequiredMap());
  bool seen = false;
  float cached = 0.0f;
  if (map.CachedVisibility(this, &other, seen, &cached)) {
    if (visibility != nullptr) *visibility = cached;
    return seen;
  }
  float v = 0.0f;
  float distance = 0.0f;
  const bool traced = map.TraceLine(false, true, false, x, y, GetBaseHeight(), other.x, other.y, other.GetBaseHeight(),
                                    v, distance);
  seen = traced && v > 0.0f;
  map.StoreVisibility(this, &other, seen, v, false, false, false);
  if (visibility != nullptr) *visibility = v;
  return seen;
}

bool Unit::TraceSightToPoint(float px, float py) const {
  const Map& map = RequiredMap();
  float v = 0.0f;
  float distance = 0.0f;
  const bool traced = map.TraceLine(false, true, false, x, y, GetBaseHeight(), px, py, map.SurfaceHeightAt(px, py), v,
                                    distance);
  return traced && v > 0.0f;
}

bool Unit::CanTargetPoint(float px, float py) {
  if (TraceSightToPoint(px, py)) return true;
  if (movementFlag != 0 || GetMainWeaponType() != 4) return false;
  MapUnitView* reference = nullptr;
  return RequiredMap().FindUnitNear(px, py, false, reference);
}

bool Unit::CanTargetUnit(Unit* other) { return other != nullptr && LineOfSightTo(*other); }

float Unit::VisibilityFromPoint(float px, float py, float pz, bool sure) {
  const Map& map = RequiredMap();
  float v = 0.0f;
  float distance = 0.0f;
  if (sure) {
    const bool traced = map.TraceLine(false, true, false, px, py, pz + 10.0f, x, y, GetBaseHeight(), v, distance);
    return traced && v > 0.0f ? 1.0f : 0.0f;
  }
  map.TraceLine(false, true, false, px, py, pz, x, y, GetBaseHeight(), v, distance);
  v = std::max(v, 0.3f);
  return (v - 0.3f) * 0.4f + 0.72f;
}

bool Unit::CanFireAtTarget(int32_t& kindOut) {
  const int32_t kind = ChooseAmmo(target);
  kindOut = kind;
  if (kind == kNoAmmo) {
    if (flagBytes[kSmokeFireFlag] != 0) {
      flagBytes[kSmokeFireFlag] = 0;
      areaFire = 0;
      gUnitStateChanged = 1;
    }
    return false;
  }
  if (target != nullptr) {
    if (target->alive == 0 && flagBytes[kTargetAbsentFlag] == 0) return false;
    if (!target->IsIdentified()) return false;
    if (!LineOfSightTo(*target)) return false;
    if (!IsInRange(DistanceTo(*target), 1, 1.0f)) return false;
    if (target->HasSurrendered()) return false;
    if (CanUseSmallArmsAt(target) && IsBuildingTerrain(target->GetTerrainHere())) return false;
    if (target->IsAirplane()) {
      // Only small arms, the arcing guns and the fire that needs no aim at the aircraft (the
      // artillery's and the blast's) can be turned on an aircraft overhead: the scatter of the
      // others has no form for a target in the air.
      int32_t weapon = 0;
      int32_t type = 0;
      QueryWeapon(0, weapon, type);
      if (type != 0 && type != 2 && type != 3 && type != 5 && type != 7) return false;
    }
  } else {
    if (areaFire == 0) return false;
    if (!HasMainWeaponOfType5()) {
      if (!CanTargetPoint(targetX, targetY)) return false;
      if (!IsInRange(DistanceToPoint(targetX, targetY), 1, 1.0f)) return false;
    }
  }
  // Friendly fire: high explosive is not thrown at a point where our own soft units stand.
  if (firingBytes[kMachineGunMode] == 0 && kind == 0 && HasMainWeapon() && !HasMainWeaponOfType5()) {
    float px = 0.0f;
    float py = 0.0f;
    GetTargetPosition(px, py, nullptr);
    const MapBattleServices* battle = UnitBattle();
    const int32_t count = battle != nullptr ? battle->GetUnitCount() : 0;
    for (int32_t i = 0; i < count; ++i) {
      const Unit* other = UnitOfView(battle->GetUnit(i));
      if (other == nullptr || other == this || other->alive == 0 || other->side != side) continue;
      if (!other->IsInfantry() && !other->IsVehicle()) continue;
      if (other->IsArmored()) continue;
      const float dx = other->x - px;
      const float dy = other->y - py;
      if (std::fabs(dx) < 20.0f && std::fabs(dy) < 20.0f && dx * dx + dy * dy <= 400.0f) return false;
    }
  }
  return true;
}

bool Unit::IsPointInArc(float heading, float halfArc, float px, float py) const {
  return AngleToPoint(heading, px, py, true) <= halfArc;
}

float Unit::AngleToPoint(float heading, float px, float py, bool absolute) const {
  float a = heading - HeadingDegrees(px - x, py - y);
  while (a > 180.0f) a -= 360.0f;
  while (a < -180.0f) a += 360.0f;
  return absolute ? std::fabs(a) : a;
}

float Unit::RelativeBearingTo(float px, float py, bool turret, bool fold) const {
  const float from = turret && IsVehicle() ? GetWeaponFacing() : facing;
  float a = WrapDegrees(HeadingDegrees(px - x, py - y) - from);
  if (fold && a >= 180.0f) a = 360.0f - a;
  return a;
}

bool Unit::IsCloseTo(const Unit& other) const {
  if (!IsInfantry()) return true;
  if (other.IsVehicle()) return false;
  const float d = DistanceTo(other);
  return d <= (other.target == this ? 100.0f : 20.0f);
}

int32_t Unit::GetTerrainHere() const {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) return 0;
  const int32_t t = map->TerrainTypeAt(x, y);
  if (level < 0.0f && t >= 36 && t <= 39) {
    // Under a bridge: the road or the ground below it.
    if (t == 39) return 9;
    return battle->IsSnowGround() ? 27 : 25;
  }
  return t;
}

bool Unit::TerrainQuery(bool strict) const { return Map::IsConcealingType(GetTerrainHere(), strict); }

bool Unit::IsConcealed(bool strict, bool checkView, float px, float py) {
  if (TerrainQuery(strict)) return true;
  if (!checkView) return false;
  return VisibilityFromPoint(px, py, RequiredMap().ElevationAt(px, py), false) < 0.45f;
}

bool Unit::HoldsAtLastWaypoint() const {
  // The hide order holds the unit wherever it is.
  if (flagBytes[kHoldFlag] != 0) return true;
  return waypointCount >= 1 && WaypointAt(waypointCount - 1).flags != 0;
}

void Unit::TerrainText(GString& text, int32_t type, float px, float py, bool topFloor) {
  uint32_t id;
  if (type >= 1 && type <= 3) {
    id = 5602;
  } else if (type >= 5 && type <= 7) {
    id = 5600;
  } else if (type == 8 || type == 9) {
    id = 5603;
  } else if (type == 33) {
    id = topFloor ? 5606 : 5531;
  } else if (type == 34) {
    id = topFloor ? 5606 : 5532;
  } else if (type == 35) {
    id = 5532;
  } else if (type >= 36 && type <= 42) {
    id = 5604;
  } else if (type == 43 || type == 44) {
    id = 5605;
  } else {
    id = static_cast<uint32_t>(5500 + type);
  }
  text.AppendResource(id);
  if (type < 31 || type > 42) return;
  const Map* map = UnitBattleMap();
  const Building* building = map != nullptr ? map->FindBuildingAt(px, py) : nullptr;
  if (building == nullptr) return;
  const float damage = building->GetDamageFraction();
  if (damage > 0.5f) text.AppendChar('*');
  if (damage > 0.75f) text.AppendChar('*');
}

void Unit::AppendTerrainText(GString& text) const { TerrainText(text, GetTerrainHere(), x, y, level == 1.0f); }

void Unit::AppendTerrainTextAt(GString& text, float px, float py, bool topFloor) const {
  const Map* map = UnitBattleMap();
  if (map == nullptr) return;
  int32_t t = map->TerrainTypeAt(px, py);
  if (IsCurrentSide() && t >= 4 && t <= 7) {
    // The obstacle's own unit: when the viewer has not seen it, the ground around is named.
    const MapBattleServices* battle = UnitBattle();
    const Unit* obstacle = nullptr;
    for (int32_t i = 0; i < battle->GetUnitCount() && obstacle == nullptr; ++i) {
      const Unit* other = UnitOfView(battle->GetUnit(i));
      if (other == nullptr || !other->IsInanimate()) continue;
      const float dx = other->x - px;
      const float dy = other->y - py;
      if (dx * dx + dy * dy <= 50.0f * 50.0f) obstacle = other;
    }
    if (obstacle != nullptr && obstacle->GetIdentificationLevel(false) == 0) {
      static constexpr int32_t kDirections[4][2] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};
      bool found = false;
      for (float d = 2.0f; !found && d <= 1000.0f; d += 2.0f) {
        for (const auto& dir : kDirections) {
          const int32_t type = map->TerrainTypeAt(px + d * static_cast<float>(dir[0]), py + d * static_cast<float>(dir[1]));
          if (type < 4 || type > 7) {
            t = type;
            found = true;
            break;
          }
        }
      }
    }
  }
  TerrainText(text, t, px, py, topFloor);
}

float Unit::ExposureFrom(const Unit& viewer, bool sure) {
  const float seen = VisibilityFromPoint(viewer.x, viewer.y, viewer.GetBaseHeight(), sure);
  return std::isfinite(seen) ? std::clamp(seen, 0.0f, 1.0f) : 0.0f;
}
