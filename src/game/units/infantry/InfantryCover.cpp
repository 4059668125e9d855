// Infantry under fire: the reaction by morale band, the search for cover within 60 m and the
// withdrawal toward the side's nearest own map edge.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapUnitView.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"

namespace {

float Distance(float x0, float y0, float x1, float y1) { return std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0)); }

// The side owning a map edge: the battle's, or in a world without one the edges the sides
// come from by default (side 0 the north edge, side 1 the south edge).
int32_t EdgeSide(int32_t edge) {
  const UnitServices* services = GetUnitServices();
  if (services != nullptr) return services->GetEdgeSide(edge);
  return edge == 1 ? 0 : (edge == 3 ? 1 : 2);
}

}  // namespace

void Infantry::ReactToFire(bool forced, bool targetSeen, float threatX, float threatY) {
  const int32_t band = forced ? 6 : GetBand();
  if (band == 4 && ((target != nullptr && !IsCloseTo(*target)) || areaFire != 0)) ClearOrderState(false);
  if (band >= 5) {
    ClearOrderState(false);
    if (firingTimer > 0.0f && HasAnyAmmo()) firingTimer = std::max(firingTimer, GetAimTimeFor(true, false));
    boardingTarget = nullptr;
  }
  const int32_t speedClass = GetSpeedClass();
  if (!HasSurrendered() &&
      (band >= 6 || (band == 5 && (!IsConcealed(true, targetSeen, threatX, threatY) || Data().MainWeapon() == 92)))) {
    if (speedClass >= 2 && CanMove()) {
      RetreatTowardFriendlyEdge(true, true);
      return;
    }
    if (band >= 6 && HasHeavyWeapon(true)) {
      if (band == 6 && losses * 2 <= GetFullStrength()) return;
      MaybeVoiceSound(1, 75, 0.0f, 0.5f);
      Unit* crew = BailOutCrew(false);
      if (crew != nullptr && GetUnitOrderHost() == nullptr) delete crew;
    }
    return;
  }
  if (speedClass < 2) return;
  if (band >= 1 && waypointCount > 0 && WaypointAt(0).moveMode == kSneak) {
    waypointCount = 0;
    stateChanged = 1;
  } else if (band < 3) {
    if (!HasMoveOrder()) {
      SeekCover(false, targetSeen, threatX, threatY);
    } else {
      commandDelay = std::min(commandDelay, std::max(50.0f - suppression, 0.0f));
    }
  } else if (!(band == 3 && HasMoveOrder() && IsMoving() && WaypointAt(0).moveMode == kRun)) {
    SeekCover(true, targetSeen, threatX, threatY);
  }
}

bool Infantry::PathReachesClearCell(float x0, float y0, float x1, float y1) const {
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  const int32_t n = static_cast<int32_t>(std::floor(0.05f * Distance(x0, y0, x1, y1) + 0.99f + 0.5f));
  for (int32_t i = 0; i <= n; ++i) {
    const float t = n > 0 ? static_cast<float>(i) / static_cast<float>(n) : 0.0f;
    if (map->IsConcealingAt(x0 + t * (x1 - x0), y0 + t * (y1 - y0), true)) return true;
  }
  return false;
}

bool Infantry::RouteReachesCover() const {
  const int32_t speedClass = GetSpeedClass();
  const float length = speedClass == 3 ? 30.0f : (speedClass == 4 ? 50.0f : 20.0f);
  float left = length;
  float fromX = x;
  float fromY = y;
  for (int32_t i = 0; i < waypointCount && left > 0.0f; ++i) {
    const Waypoint& w = WaypointAt(i);
    if (w.moveMode == Waypoint::kRotateTo) continue;
    const float leg = Distance(fromX, fromY, w.x, w.y);
    float toX = w.x;
    float toY = w.y;
    if (leg > left) {
      toX = fromX + (w.x - fromX) * left / leg;
      toY = fromY + (w.y - fromY) * left / leg;
    }
    if (PathReachesClearCell(fromX, fromY, toX, toY)) return true;
    left -= leg;
    fromX = w.x;
    fromY = w.y;
  }
  return false;
}

bool Infantry::SeekCover(bool forced, bool hasThreat, float threatX, float threatY) {
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  if (IsConcealed(true, hasThreat, threatX, threatY)) return false;
  if (!forced && RandomFloatTimes(50.0f) > suppression) return false;
  if (waypointCount > 0 && RouteReachesCover()) return false;
  float bestScore = forced ? 9e20f : 20.0f;
  bool found = false;
  float bestX = 0.0f;
  float bestY = 0.0f;
  float aimX = 0.0f;
  float aimY = 0.0f;
  float aimZ = 0.0f;
  const bool targetSeen = GetTargetPosition(aimX, aimY, &aimZ) && TraceSightToPoint(aimX, aimY);
  float threatBearing = 0.0f;
  float freeRadius = 0.0f;
  float threatSight = 0.0f;
  if (hasThreat) {
    threatBearing = RelativeBearingTo(threatX, threatY, false, false);
    const float d = DistanceToPoint(threatX, threatY);
    freeRadius = d >= 100.0f ? 20.0f : (d > 30.0f ? d * 0.2f : 6.0f);
    // The unit's visibility from the threat where it stands now: the same for every spot.
    threatSight = VisibilityFromPoint(threatX, threatY, map->ElevationAt(threatX, threatY), false);
  }
  const float ownX = x;
  const float ownY = y;
  for (float px = ownX - 60.0f; px < ownX + 61.0f; px += 5.0f) {
    for (float py = ownY - 60.0f; py < ownY + 61.0f; py += 5.0f) {
      if (!map->IsOnMap(px, py) || !map->IsConcealingAt(px, py, false)) continue;
      const float d = Distance(ownX, ownY, px, py);
      if (hasThreat && d > freeRadius &&
          std::fabs(AngleToPoint(facing + threatBearing, px, py, true)) <= 65.0f) {
        continue;
      }
      if (!CanStandAt(px, py, true)) continue;
      float e = ExposureAt(px, py, false, true);
      if (hasThreat) e = (e + threatSight) * 0.5f;
      float score = (d + 10.0f) * e * (0.75f + RandomFloatTimes(0.5f));
      x = px;
      y = py;
      if (!IsMainWeaponUsable()) {
        score *= forced ? 2.0f : 3.0f;
      } else if (targetSeen && !forced) {
        float clear = 0.0f;
        float reach = 0.0f;
        if (!map->TraceLine(false, false, false, px, py, GetBaseHeight(), aimX, aimY, aimZ, clear, reach) ||
            clear <= 0.0f) {
          score *= 2.25f;
        }
      }
      x = ownX;
      y = ownY;
      if (score < bestScore) {
        bestScore = score;
        bestX = px;
        bestY = py;
        found = true;
      }
    }
  }
  if (!found) return false;
  commandDelay = 0.0f;
  AddWaypoint(bestX, bestY, kOrderFastMove, true, true);
  if (alive != 0) MaybeVoiceSound(Random(2) == 0 ? 1 : 0, 60, 0.0f, 0.25f);
  return true;
}

bool Infantry::FindRetreatSpot(float& outX, float& outY, bool mayLeaveMap, float firstRadius, float lastRadius,
                               const RetreatDirections& directions) const {
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  for (float r = firstRadius; r <= lastRadius + 0.1f; r += 10.0f) {
    for (size_t k = 0; k < directions.cosines.size(); ++k) {
      const float px = x + r * directions.cosines[k];
      const float py = y + r * directions.sines[k];
      const bool onMap = map->IsOnMap(px, py);
      if (!onMap && !mayLeaveMap) continue;
      if (!map->IsConcealingAt(px, py, false)) continue;
      if (!const_cast<Infantry*>(this)->CanStandAt(px, py, true)) continue;
      if (IsDirectionWatched(side, r, x, y, px, py)) continue;
      outX = px;
      outY = py;
      return true;
    }
  }
  return false;
}

void Infantry::RetreatTowardFriendlyEdge() { RetreatTowardFriendlyEdge(false, false); }

void Infantry::WithdrawIfIdle(bool flag) {
  if (GetBand() >= 5 || HasMoveOrder() || !CanMove()) return;
  if (!flag && TerrainQuery(true)) return;
  // A prisoner is led away toward the side that took it.
  const uint8_t ownSide = side;
  if (HasSurrendered()) side = static_cast<uint8_t>(ownSide == 0 ? 1 : 0);
  RetreatTowardFriendlyEdge(flag, false);
  side = ownSide;
}

bool Infantry::RetreatTowardFriendlyEdge(bool mayLeaveMap, bool panicked) {
  if (panicked && !mayLeaveMap) FatalError(__LINE__, "Infantry");
  const int32_t speedClass = GetSpeedClass();
  if (speedClass < 2) return false;
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  const int32_t ownSide = GetSideIndex();
  if (waypointCount == 1 && (WaypointAt(0).moveMode == kMove || WaypointAt(0).moveMode == kRun) &&
      commandDelay == 0.0f) {
    const Waypoint& w = WaypointAt(0);
    float bearing = std::atan2(w.y - y, w.x - x) / GMath::kRadiansPerDegree;
    if (bearing < 0.0f) bearing += 360.0f;
    if (EdgeSide(map->EdgeInDirection(x, y, bearing)) == ownSide && !IsDirectionWatched(side, 1.0f, x, y, w.x, w.y)) return true;
  }
  // The nearest edge of the unit's own side; a side without an edge cannot withdraw.
  int32_t edge = -1;
  float nearest = 10000000.0f;
  float a0 = 0.0f;
  float a1 = 0.0f;
  for (int32_t e = 0; e < 4; ++e) {
    if (EdgeSide(e) != ownSide) continue;
    float from = 0.0f;
    float to = 0.0f;
    float distance = 0.0f;
    map->EdgeBearings(x, y, e, from, to, distance);
    if (distance < nearest) {
      nearest = distance;
      edge = e;
      a0 = from * GMath::kRadiansPerDegree;
      a1 = to * GMath::kRadiansPerDegree;
    }
  }
  if (edge < 0) return false;
  const float m = (a0 + a1) * 0.5f;
  const float q1 = (m + a0) * 0.5f;
  const float q2 = (m + a1) * 0.5f;
  RetreatDirections toEdge;
  const std::array<float, 8> angles{m, (m + q1) * 0.5f, (m + q2) * 0.5f, q1, q2, (q1 + a0) * 0.5f, (q2 + a1) * 0.5f, a0};
  for (size_t k = 0; k < angles.size(); ++k) {
    toEdge.cosines[k] = std::cos(angles[k]);
    toEdge.sines[k] = std::sin(angles[k]);
  }
  auto randomDirections = [] {
    RetreatDirections d;
    for (size_t k = 0; k < d.cosines.size(); ++k) {
      const float a = RandomFloatTimes(360.0f) * GMath::kRadiansPerDegree;
      d.cosines[k] = std::cos(a);
      d.sines[k] = std::sin(a);
    }
    return d;
  };
  float spotX = 0.0f;
  float spotY = 0.0f;
  const float farLast =
      mayLeaveMap ? std::round(200.0f - 45.0f * std::sqrt(static_cast<float>(std::max(GetEffectiveRating(0), 0))))
                  : 200.0f;
  bool found = FindRetreatSpot(spotX, spotY, mayLeaveMap, mayLeaveMap && !panicked ? 40.0f : 20.0f, 90.0f, toEdge);
  if (!found) found = FindRetreatSpot(spotX, spotY, mayLeaveMap, mayLeaveMap ? 40.0f : 10.0f, 60.0f, randomDirections());
  if (!found) found = FindRetreatSpot(spotX, spotY, mayLeaveMap, 100.0f, farLast, toEdge);
  if (!found) found = FindRetreatSpot(spotX, spotY, mayLeaveMap, 70.0f, mayLeaveMap ? 101.0f : 150.0f, randomDirections());
  if (!found) {
    if (!mayLeaveMap) return false;
    if (panicked && GetBand() < 7) {
      SetSuppression(suppression * 1.1f, false);
      return false;
    }
    spotX = x + farLast * std::cos(m);
    spotY = y + farLast * std::sin(m);
  }
  waypointCount = 0;
  commandDelay = 0.0f;
  AddWaypoint(spotX, spotY, speedClass == 4 ? kOrderRun : kOrderFastMove, true);
  if (panicked && alive != 0) MaybeVoiceSound(1, 75, 0.0f, 0.5f);
  stateChanged = 1;
  return true;
}
