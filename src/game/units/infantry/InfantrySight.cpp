// How visible an infantry unit is from a point, how far an observer sees it, whether enemies
// watch a direction, and the small turn-start and floor-level steps.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"

namespace {

// How much of a man each fine terrain type leaves visible, codes 0..44.
constexpr float kConcealment[45] = {
    0.75f, 0.45f, 0.24f, 0.15f, 0.7f, 1.0f,  0.76f, 0.76f, 0.9f, 1.0f, 1.0f, 1.0f, 0.65f, 0.33f, 0.18f,
    0.18f, 0.6f,  0.53f, 0.28f, 0.24f, 0.75f, 0.33f, 0.18f, 0.18f, 1.0f, 1.0f, 1.0f, 1.0f, 0.75f, 0.95f,
    0.75f, 0.2f,  0.12f, 0.2f,  0.12f, 1.0f,  1.0f,  1.0f,  1.0f,  1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};

float BearingDegrees(float fromX, float fromY, float toX, float toY) {
  return std::atan2(toY - fromY, toX - fromX) * GMath::kDegreesPerRadian;
}

// The difference of two bearings folded into 0..180.
float FoldedDifference(float a, float b) {
  float d = std::fmod(std::fabs(a - b), 360.0f);
  if (d > 180.0f) d = 360.0f - d;
  return d;
}

}  // namespace

float Infantry::TerrainConcealment(int32_t terrain) {
  if (terrain < 0 || terrain >= 45) return 1.0f;
  return kConcealment[terrain];
}

float Infantry::VisibilityFromPoint(float px, float py, float pz, bool byPosture, bool fromAbove, bool halfTerrain,
                                    int32_t viewMode) const {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) FatalError(__LINE__, kInfantryFile);
  const int32_t t = GetTerrainHere();
  const float h = GetBaseHeight();
  const float eye = fromAbove ? pz + 10.0f : pz;
  float e = 0.0f;
  float distance = 0.0f;
  if (!map->TraceLine(false, true, false, px, py, eye, x, y, h, e, distance) || e == 0.0f) return 0.0f;
  if (IsPassenger()) return fromAbove ? 1.5f : 1.0f;
  float concealment = TerrainConcealment(t);
  if (fromAbove) {
    if (t == 19) {
      concealment = (2.0f * concealment + 1.0f) * 0.33333f;
    } else if (t < 31 || t > 35) {
      concealment = (concealment + 1.0f) * 0.5f;
    }
    return 1.7f * concealment + 0.005f;
  }
  float v = (std::max(e, 0.3f) - 0.3f) * 0.4f + 0.72f;
  if (viewMode != 0 && viewMode != 7 && t >= 1 && t <= 3) {
    const float dx = px - x;
    const float dy = py - y;
    if (dx * dx + dy * dy < 9.0f && map->HasCraterAt(px, py)) {
      concealment = 1.0f;
    } else if (halfTerrain) {
      concealment = (concealment + 1.0f) * 0.5f;
    }
  }
  switch (map->FirstObstacleAlong(px, py, eye, x, y, h)) {
    case 28: concealment = std::min(concealment * 0.9f, 0.3f); break;
    case 29:
      concealment = activityState == kHiding || activityState == kCrawl ? 0.0f : std::min(concealment, 0.3f);
      break;
    case 30: concealment = std::min(concealment * 0.95f, 0.6f); break;
    default: break;
  }
  if (byPosture) {
    float posture = 1.7f;
    switch (activityState) {
      case kHiding: posture = 0.7f; break;
      case kStationary:
      case kCrawl: posture = 1.0f; break;
      case kSneak: posture = 1.7f; break;
      case kMove: posture = 2.0f; break;
      case kRun: posture = 2.1f; break;
      default: FatalError(__LINE__, kInfantryFile);
    }
    v *= posture;
  }
  return v * concealment + 0.005f;
}

float Infantry::GetSightingRange(const Unit& observer) const {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) FatalError(__LINE__, kInfantryFile);
  bool seen = false;
  if (map->CachedVisibility(&observer, this, seen) && !seen) return 0.0f;
  const int32_t level = identificationLevel >= 2 ? 2 : 0;
  const float v = VisibilityFromPoint(observer.x, observer.y, observer.GetBaseHeight(), false, false, true, level);
  if (v == 0.0f) return 0.0f;
  float range = 0.0f;
  switch (activityState) {
    case kMove:
    case kRun: range = 810.7f * v - 19.36f * v * v + 85.58f; break;
    case kSneak:
    case kCrawl: range = 316.4f * v + 442.9f * v * v + 6.214f; break;
    case kHiding: range = 168.8f * v + 276.8f * v * v - 2.696f; break;
    default:
      if (activityState != kStationary) FatalError(5069, kInfantryFile);
      range = 252.0f * v + 375.2f * v * v + 1.61f;
  }
  // The battle's time of day: 2 night, 1 dawn or dusk.
  const int32_t condition = battle->GetTimeOfDay();
  if (condition == 2) range *= 0.333333f;
  if (condition == 1) range *= 0.666667f;
  range *= 1.1414f - 0.1f * std::sqrt(static_cast<float>(GetEffectiveRating(2)));
  if (Data().MainWeapon() == 92) range *= 0.4f;
  return std::max(range, 10.0f);
}

bool Infantry::IsDirectionWatched(int32_t sideByte, float radius, float x0, float y0, float x1, float y1) {
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return false;
  const float bearing = BearingDegrees(x0, y0, x1, y1);
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const Unit* unit = UnitOfView(battle->GetUnit(i));
    if (unit == nullptr || unit->alive == 0 || unit->side == sideByte) continue;
    if (unit->DistanceToPoint(x0, y0) >= radius + 80.0f) continue;
    if (FoldedDifference(bearing, BearingDegrees(x0, y0, unit->x, unit->y)) <= 45.0f) return true;
  }
  return false;
}

void Infantry::BeginTurn() {
  if (alive != 0 && IsArtillerySpotter()) {
    keptAreaFirePoint = areaFire != 0 ? std::array<float, 2>{targetX, targetY} : std::array<float, 2>{999999.0f, 999999.0f};
  }
  Unit::BeginTurn();
}

