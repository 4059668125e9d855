// The movement state an infantry unit takes each slice and the speed the ground lets it
// make. Both run for every infantry unit in every slice: no allocation, two terrain point
// queries and two burning tests per speed query.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"

bool Infantry::gMinefieldLookAhead = false;
float Infantry::gLookAheadX = 0.0f;
float Infantry::gLookAheadY = 0.0f;

namespace {

// Miles per hour to metres per slice.
constexpr float kMphToMetresPerSlice = 0.4473f;
constexpr float kSliceSeconds = 0.025f;

// The terrain's factor on the speed; speedClass 1 is the one the rough codes stop.
float TerrainSpeedFactor(int32_t t, int32_t speedClass, int32_t mainWeaponType) {
  switch (t) {
    case 0: return 1.0f;
    case 8: case 9: case 11: case 36: case 37: case 38: case 39: case 40: case 41: case 42: return 1.111f;
    case 10: case 13: return 0.8f;
    case 1: case 16: return 0.7f;
    case 2: case 14: case 15: case 17: return 0.6f;
    case 3: case 18: case 27: return 0.4f;
    case 20: return 0.3f;
    case 21: return 0.3f * 0.8f;
    case 22: case 23: return 0.3f * 0.6f;
    case 4: case 19: return speedClass == 1 ? 0.0f : 0.286f;
    case 12: case 26: case 29: case 30: return speedClass == 1 ? 0.0f : 0.2f;
    case 5: case 6: case 7: return speedClass == 1 ? 0.0f : 0.035f;
    case 28: return speedClass == 1 ? 0.0f : 0.025f;
    case 31: case 32: case 33: case 34: return mainWeaponType == 2 || mainWeaponType == 3 ? 0.0f : 0.5f;
    case 24: case 25: case 35: case 43: case 44: return 0.0f;
    default: FatalError(3654, kInfantryFile);
  }
}

}  // namespace

int32_t Infantry::GetSpeedClass() const {
  if (!CanMove()) return 0;
  if (surrendered != 0 || released != 0) return 4;
  return Data().SpeedClass();
}

bool Infantry::IsNearAimPoint(float px, float py) const {
  const float dx = px - aimPoint[0];
  const float dy = py - aimPoint[1];
  return dx * dx + dy * dy <= 10000.0f;
}

int32_t Infantry::ChooseMoveState(bool testBlocked) const {
  const int32_t band = GetBand();
  const bool blocked = testBlocked && boardingTarget != nullptr && boardingTarget->IsMoving();
  const bool hideOrder = flagBytes[kHoldFlag] != 0;
  int32_t m = kStationary;
  if (!hideOrder && !blocked && CanMove() && commandDelay == 0.0f && waypointCount > 0) {
    m = waypoints[0].moveMode;
    if (m == Waypoint::kRotateTo) m = kStationary;
    if (m != kStationary && m != kMove && m != kSneak && m != kRun && m != kHiding && m != kCrawl) {
      FatalError(__LINE__, kInfantryFile);
    }
    // Cover only matters from band 1 up; below it the terrain is not read.
    const bool covered = band >= 1 && TerrainQuery(true);
    if (m == kRun && fatigueLevel > 2) m = kMove;
    if (m == kSneak && fatigueLevel > 3) m = kMove;
    const bool fast = fatigueLevel < 3 && GetSpeedClass() == 4;
    if (band >= 1 && !covered && m == kMove && fast) m = kRun;
    if (band >= 2 && !covered && (m == kMove || m == kSneak)) m = fast ? kRun : kCrawl;
    if (band >= 3 && (m == kMove || m == kSneak)) m = fast ? kRun : kCrawl;
    if (band >= 4) {
      if (m == kStationary) {
        if (target == nullptr) {
          const MapBattleServices* battle = UnitBattle();
          const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
          if (map == nullptr || map->BurningAt(x, y) == 0) m = kHiding;
        }
      } else {
        m = fast && !covered ? kRun : kCrawl;
      }
    }
    if (band >= 5) {
      const MapBattleServices* battle = UnitBattle();
      const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
      const bool burning = map != nullptr && map->BurningAt(x, y) != 0;
      if (!covered || band >= 6 || burning) {
        m = GetSpeedClass() == 4 ? kRun : kMove;
      } else {
        m = kHiding;
      }
    }
  } else {
    const bool noTarget = target == nullptr;
    const bool hide = hideOrder || band >= 5 || (band == 4 && noTarget) ||
                      (noTarget && areaFire == 0 && suppression > 0.0f && reloadState >= 0.0f) ||
                      (commandDelay != 0.0f && noTarget && areaFire == 0 &&
                       (activityState == kHiding || activityState == kCrawl));
    m = hide ? kHiding : kStationary;
  }
  if (surrendered != 0) {
    if (m == kHiding) m = kStationary;
    if (m == kCrawl) m = kMove;
  }
  return m;
}

void Infantry::DecrementTimer(float& t) { t = t > 0.025f ? t - 0.025f : 0.0f; }

float Infantry::GetTerrainMobility() const {
  bool minefieldAhead = false;
  return TerrainSpeed(nullptr, minefieldAhead);
}

float Infantry::GetTerrainMobility(float* floorLevel) {
  bool minefieldAhead = false;
  const float s = TerrainSpeed(floorLevel, minefieldAhead);
  if (minefieldAhead) {
    // Every leading waypoint inside a revealed antipersonnel minefield goes at once.
    const UnitServices* services = GetUnitServices();
    int32_t drop = 0;
    while (drop < waypointCount) {
      const Waypoint& point = waypoints[static_cast<size_t>(drop)];
      if (!services->IsRevealedAntipersonnelMinefieldAt(point.x, point.y)) break;
      ++drop;
    }
    if (drop > 0) {
      std::copy(waypoints.begin() + drop, waypoints.begin() + waypointCount, waypoints.begin());
      waypointCount -= drop;
    }
  }
  return s;
}

float Infantry::TerrainSpeed(float* floorLevel, bool& minefieldAhead) const {
  minefieldAhead = false;
  if (floorLevel != nullptr) *floorLevel = level;
  const InfantryData data = Data();
  // The unit's own speed class: none when it cannot move, a prisoner's or a freed one's 4.
  const int32_t speedClass = GetSpeedClass();
  float s = 0.001f;
  if (speedClass == 1) {
    if (IsTypeClass9OrMore()) {
      s = 0.001f;
    } else {
      switch (data.ClassCode()) {
        case 4: s = 1.26f; break;
        case 5: s = 0.945f; break;
        case 6: s = 0.63f; break;
        case 7: s = 0.42f; break;
        case 8: s = 0.21f; break;
        case 9: s = 0.001f; break;
        default: s = 1.68f;
      }
    }
    if (activityState == kCrawl) s *= 0.2f;
  } else if (speedClass >= 2) {
    switch (activityState) {
      case kSneak: s = 2.1f; break;
      case kRun: s = speedClass == 2 ? 2.1f : speedClass == 3 ? 3.5f : speedClass == 4 ? 8.0f : 0.001f; break;
      case kCrawl: s = speedClass == 3 ? 0.9807f : speedClass == 4 ? 1.47f : 0.4893f; break;
      default: s = speedClass == 2 ? 2.1f : 3.5f;
    }
  }
  s = s * kMphToMetresPerSlice * kSliceSeconds;

  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) FatalError(__LINE__, kInfantryFile);
  const bool inMotion = movementFlag != 0;
  const float a = facing * 0.017453292519444445f;
  float lx = x;
  float ly = y;
  if (inMotion) {
    lx += 2.0f * s * std::cos(a);
    ly += 2.0f * s * std::sin(a);
  }
  gLookAheadX = lx;
  gLookAheadY = ly;
  const int32_t mapTerrain = map->TerrainTypeAt(lx, ly, mapMemo);
  const int32_t t = inMotion ? TerrainUnderfoot(mapTerrain) : mapTerrain;
  const int32_t weapon = data.MainWeapon();
  const int32_t weaponType = weapon == kNoWeapon ? -1 : GetMainWeaponType();
  s *= TerrainSpeedFactor(t, speedClass, weaponType);
  if (s > 0.0f && inMotion) s = AdjustForLevelTerrain(s, mapTerrain, floorLevel);
  if (map->BurningAheadOnly(x, y, lx, ly)) return 0.0f;
  const int32_t condition = battle->GetGroundCondition();
  if ((condition == 5 || condition == 7 || condition == 8) && IsGroundConditionTerrain(mapTerrain)) {
    s *= condition == 8 ? 0.25f : 0.5f;
  }
  if (gMinefieldLookAhead && s != 0.0f) {
    const UnitServices* services = GetUnitServices();
    const float reach = s * 1.5f * 40.0f;
    if (services != nullptr &&
        services->IsRevealedAntipersonnelMinefieldAt(x + reach * std::cos(a), y + reach * std::sin(a))) {
      s = 0.0f;
      minefieldAhead = true;
    }
  }
  return s;
}
