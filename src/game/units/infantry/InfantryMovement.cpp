// Infantry moving along its waypoints: climbing into and out of the upper floor, the step of
// one slice at the speed the ground allows, arrival, the load a weakened gun team leaves
// behind, the turning rate, the unit's height, the upper-floor order, and squads that crowd
// each other spreading out.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"

namespace {

// One climb or descent of a floor takes 400 slices.
constexpr float kClimbStep = 0.0025f;

int32_t TileOf(float v) { return static_cast<int32_t>(std::lround(v * 0.05f)); }

// The share of the full load a crew keeps per man lost, by the class's men.
float ShedPerMan(int32_t men) {
  if (men <= 2) return 0.65f;
  switch (men) {
    case 3: return 0.45f;
    case 4: return 0.31f;
    case 5: return 0.24f;
    case 6: return 0.19f;
    default: return 0.15f;
  }
}

}  // namespace

void Infantry::ShedAmmunition() {
  bool movable = false;
  bool typeOne = false;
  if (losses <= 0 || !IsCrewedWeapon(movable, typeOne) || !movable) return;
  const float factor = std::max(1.0f - static_cast<float>(losses) * ShedPerMan(Data().Men()), 0.0f);
  const int32_t cap = static_cast<int32_t>(std::floor(static_cast<float>(Data().AmmoLoad()) * factor + 0.5f));
  int32_t total = 0;
  for (const uint16_t count : ammo) total += count;
  if (total <= cap) return;
  for (uint16_t& count : ammo) {
    const float kept = std::floor(static_cast<float>(count) * static_cast<float>(cap) / static_cast<float>(total) + 0.5f);
    count = static_cast<uint16_t>(std::clamp(kept, 0.0f, 65535.0f));
  }
}

void Infantry::MoveAlongWaypoints() {
  int32_t weapon = kNoWeapon;
  int32_t weaponKind = 0;
  QueryWeaponGrade(weapon, weaponKind, 0);
  const bool packsWeapon = weapon != kNoWeapon && weaponKind != 1 && weaponKind != 5 && weaponKind != 6 && weaponKind != 7;
  if (firingTimer != 0.0f && packsWeapon && reloadState >= 0.0f) {
    const int32_t speedClass = GetSpeedClass();
    reloadState = std::max(reloadState, speedClass == 1 ? 45.0f : (speedClass == 2 ? 25.0f : 15.0f));
  }
  if (waypointCount == 0) return;
  Waypoint& wp = waypoints[0];
  const Map* map = UnitBattleMap();
  bool arrived = false;
  if (wp.moveMode == Waypoint::kRotateTo) {
    wp.x = x;
    wp.y = y;
    arrived = true;
  } else {
    if (UnitServices* services = GetUnitServices()) services->AddFireCounter(GetSideIndex(), 1);
    movementFlag = 1;
    if (level > 0.0f && (wp.upperLevel == 0 || TileOf(x) != TileOf(wp.x) || TileOf(y) != TileOf(wp.y))) {
      level = std::max(level - kClimbStep, 0.0f);
      gUnitStateChanged = 1;
      return;
    }
    const UnitServices* services = GetUnitServices();
    gMinefieldLookAhead = activityState != kSneak && sliceCounter % 40 == 0 &&
                          !(services != nullptr && services->IsRevealedAntipersonnelMinefieldAt(x, y));
    float impliedLevel = level;
    const float mobility = GetTerrainMobility(&impliedLevel);
    gMinefieldLookAhead = false;
    if (waypointCount == 0) return;
    if (impliedLevel != level && (impliedLevel < 0.0f || level < 0.0f)) {
      level = impliedLevel;
      x = gLookAheadX;
      y = gLookAheadY;
      gUnitStateChanged = 1;
    }
    if (speed != mobility) {
      flagBytes[kHoldFlag] = 0;
      speed = mobility;
      gUnitStateChanged = 1;
    }
    Waypoint& first = waypoints[0];
    const float dx = first.x - x;
    const float dy = first.y - y;
    arrived = 0.9f * (dx * dx + dy * dy) <= speed * speed;
    if (!arrived && mobility == 0.0f && map != nullptr && map->BurningAt(first.x, first.y) != 0) {
      arrived = true;
      first.x = x;
      first.y = y;
      if (level < 1.0f) first.upperLevel = 0;
    }
    if (!arrived) {
      if (mobility == 0.0f && turnRate == 0.0f) {
        FindRoute(false, false, true);
      } else {
        if (turnRate == 0.0f) {
          float heading = std::atan2(dy, dx) / GMath::kRadiansPerDegree;
          if (first.moveMode == Waypoint::kReverse) heading += 180.0f;
          while (heading < 0.0f) heading += 360.0f;
          while (heading >= 360.0f) heading -= 360.0f;
          facing = heading;
        }
        x += std::cos(facing * GMath::kRadiansPerDegree) * speed;
        y += std::sin(facing * GMath::kRadiansPerDegree) * speed;
        ShedAmmunition();
      }
      CheckPathAhead();
      return;
    }
  }
  Waypoint& reached = waypoints[0];
  if (level < 1.0f && reached.upperLevel != 0 && GetTerrainHere() != 19) {
    level = std::min(level + kClimbStep, 1.0f);
    gUnitStateChanged = 1;
    return;
  }
  if (reached.pointKind == 1 && waypointCount > 1) CapDelayByRating(false);
  if (reached.flags != 0) {
    if (waypointCount != 1) FatalError(__LINE__, kInfantryFile);
    flagBytes[kHoldFlag] = 1;
  }
  x = reached.x;
  y = reached.y;
  for (int32_t i = 1; i < waypointCount; ++i) waypoints[static_cast<size_t>(i - 1)] = waypoints[static_cast<size_t>(i)];
  waypointCount -= 1;
  if (waypointCount == 0) {
    Unit* neighbour = nullptr;
    if (FindCrowdingNeighbour(x, y, level, neighbour)) SpreadOut(true, neighbour);
  }
  gUnitStateChanged = 1;
  CheckPathAhead();
}

float Infantry::GetTurnStep() const {
  const int32_t band = GetBand();
  float rate;
  const int32_t weapon = Data().MainWeapon();
  if (HasMoveOrder()) {
    rate = HasHeavyWeapon(false) ? 10.0f : (band >= 5 ? 100.0f : 75.0f);
  } else if (weapon != kNoWeapon && gWeapons.IsValid(weapon) &&
             (gWeapons[weapon].Type() == 2 || gWeapons[weapon].Type() == 3 || gWeapons[weapon].Type() == 4)) {
    const WeaponData record = gWeapons[weapon];
    if (record.Type() == 4) {
      rate = 10.0f;
    } else {
      const int32_t mount = static_cast<int8_t>(record.Value62());
      const int32_t n = Data().ClassCode();
      if (mount == 2) {
        const float f = static_cast<float>(n);
        rate = 0.333f * f * f - 8.33f * f + 58.0f;
      } else {
        switch (n) {
          case 2: case 3: rate = 10.0f; break;
          case 4: rate = 9.0f; break;
          case 5: rate = 4.0f; break;
          case 6: case 7: rate = 2.5f; break;
          case 8: rate = 1.5f; break;
          case 9: rate = 0.7f; break;
          default: rate = 0.5f; break;
        }
        if (mount != 0) rate *= 3.0f;
      }
    }
  } else if (band >= 5) {
    rate = 60.0f;
  } else {
    const int32_t speedClass = GetSpeedClass();
    rate = speedClass < 3 ? 10.0f : (speedClass == 3 ? 20.0f : 30.0f);
  }
  return rate * 0.025f;
}

float Infantry::GetBaseHeight() const {
  // Without a map (tests of records and packets) the unit's own height serves.
  const Map* map = UnitBattleMap();
  if (map != nullptr && level >= 0.0f) return map->ElevationAt(x, y, mapMemo) + 6.0f * level;
  return Unit::GetBaseHeight();
}

void Infantry::OrderUpperFloor(bool up) {
  if (!up) return;
  const MapBattleServices* battle = UnitBattle();
  if (battle != nullptr && battle->IsSetupPhase()) {
    level = 1.0f;
    return;
  }
  if (waypointCount == 0) FatalError(__LINE__, kInfantryFile);
  Waypoint& last = waypoints[static_cast<size_t>(waypointCount - 1)];
  last.height += 6.0f;
  last.upperLevel = 1;
}

float Infantry::GetPersonalSpace() const {
  float space;
  if (IsSquad()) {
    const int32_t men = GetMenPresent();
    space = men < 8 ? static_cast<float>(men) * 8.0f * 0.125f : 8.0f;
  } else {
    space = 4.0f;
  }
  if (!IsBuildingTerrain(GetTerrainHere())) space *= 0.6667f;
  return space;
}

bool Infantry::IsCrowdingCandidate(const Unit& other) const {
  if (&other == this || !other.IsInfantry() || other.alive == 0 || IsEnemy(other)) return false;
  const auto& infantry = static_cast<const Infantry&>(other);
  return infantry.carrier == nullptr && infantry.boardingTarget == nullptr && !other.HasMoveOrder();
}

bool Infantry::FindCrowdingNeighbour(float px, float py, float floor, Unit*& neighbour) {
  neighbour = nullptr;
  if (alive == 0 || HasMoveOrder() || carrier != nullptr || boardingTarget != nullptr || !CanMove()) return false;
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return false;
  float best = 8.0f;
  const float mine = GetPersonalSpace();
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* other = UnitOfView(battle->GetUnit(i));
    if (other == nullptr || !IsCrowdingCandidate(*other) || other->level != floor) continue;
    const float dx = other->x - px;
    const float dy = other->y - py;
    if (std::fabs(dx) > 8.0f || std::fabs(dy) > 8.0f) continue;
    const float d = std::sqrt(dx * dx + dy * dy);
    const float theirs = static_cast<const Infantry*>(other)->GetPersonalSpace();
    if (d < best && (d < mine || d < theirs)) {
      best = d;
      neighbour = other;
    }
  }
  return neighbour != nullptr;
}

bool Infantry::FindUnitNearPoint(float px, float py, float atLevel, Unit** found) {
  Unit* neighbour = nullptr;
  const bool crowded = FindCrowdingNeighbour(px, py, atLevel, neighbour);
  if (found != nullptr) *found = neighbour;
  return crowded;
}

bool Infantry::FindSpreadSpot(Unit& other, int32_t terrain, float radius, float& outX, float& outY) {
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  static constexpr float kTurns[8] = {0.0f, 45.0f, -45.0f, 90.0f, -90.0f, 135.0f, -135.0f, 180.0f};
  const float keptX = other.x;
  const float keptY = other.y;
  const float homeX = x;
  const float homeY = y;
  bool found = false;
  other.x = 9000000.0f;
  other.y = 9000000.0f;
  for (int32_t d = 1; d <= 24 && !found; ++d) {
    for (const float turn : kTurns) {
      const float a = (facing + turn) * GMath::kRadiansPerDegree;
      const float px = homeX + static_cast<float>(d) * std::cos(a);
      const float py = homeY + static_cast<float>(d) * std::sin(a);
      const float ox = px - keptX;
      const float oy = py - keptY;
      if (std::sqrt(ox * ox + oy * oy) <= radius || !map->IsOnMap(px, py)) continue;
      if (terrain == -1 ? !CanStandAt(px, py, true) : map->TerrainTypeAt(px, py) != terrain) continue;
      Unit* crowd = nullptr;
      if (FindCrowdingNeighbour(px, py, level, crowd)) continue;
      outX = px;
      outY = py;
      found = true;
      break;
    }
  }
  other.x = keptX;
  other.y = keptY;
  return found;
}

bool Infantry::SpreadOut(bool mayPushOther, Unit* other) {
  if (other == nullptr || !other->IsInfantry()) return false;
  auto& neighbour = static_cast<Infantry&>(*other);
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  float radius = std::max(GetPersonalSpace(), neighbour.GetPersonalSpace());
  float px = 0.0f;
  float py = 0.0f;
  if (!FindSpreadSpot(*other, map->TerrainTypeAt(x, y), radius, px, py)) {
    if (!mayPushOther) {
      radius = DistanceTo(*other) + 1.0f;
      if (!FindSpreadSpot(*other, map->TerrainTypeAt(x, y), radius, px, py)) return false;
    } else {
      if (neighbour.SpreadOut(false, this)) return true;
      if (!FindSpreadSpot(*other, -1, radius, px, py)) return false;
    }
  }
  if (waypointCount > 0) CancelMoveOrders();
  const int32_t order = flagBytes[kHoldFlag] != 0 && GetSpeedClass() == 4
                            ? kOrderSneak
                            : (suppression < 50.0f ? kOrderFastMove : kOrderCrawl);
  AddWaypoint(px, py, order);
  const int32_t spotTerrain = map->TerrainTypeAt(px, py);
  if (level > 0.0f && (spotTerrain == 33 || spotTerrain == 34) && waypointCount > 0) {
    waypoints[static_cast<size_t>(waypointCount - 1)].upperLevel = 1;
  }
  return true;
}
