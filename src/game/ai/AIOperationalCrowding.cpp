#include <cmath>
#include <cstdint>

#include "framework/core/GObjectGroup.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/Battle.h"
#include "game/map/Distance.h"
#include "game/units/Unit.h"

namespace {

// Steady movers first, then the farther from their destinations; standers after movers.
int32_t CompareCrowding(GObject* a, GObject* b, void*) {
  const Unit& ua = *static_cast<Unit*>(a);
  const Unit& ub = *static_cast<Unit*>(b);
  const bool ableA = ua.CanFight() && ua.CanMove();
  const bool ableB = ub.CanFight() && ub.CanMove();
  if (ableA != ableB) return ableA ? -1 : 1;
  const bool movingA = ua.HasMoveOrder();
  const bool movingB = ub.HasMoveOrder();
  if (movingA != movingB) return movingA ? -1 : 1;
  if (!movingA) return 0;
  float ax = 0.0f;
  float ay = 0.0f;
  float bx = 0.0f;
  float by = 0.0f;
  ua.GetLastWaypoint(ax, ay);
  ub.GetLastWaypoint(bx, by);
  const float da = ua.DistanceToPoint(ax, ay);
  const float db = ub.DistanceToPoint(bx, by);
  return da < db ? 1 : (da > db ? -1 : 0);
}

}  // namespace

void AIOperational::GetPlannedPoint(const Unit& unit, float* x, float* y) {
  if (unit.HasMoveOrder()) {
    unit.GetLastWaypoint(*x, *y);
  } else {
    *x = unit.x;
    *y = unit.y;
  }
}

float AIOperational::TurnReach(int32_t speedClass) {
  float v = 1.5f;
  switch (speedClass) {
    case 2: v = 2.5f; break;
    case 3: v = 5.5f; break;
    case 4: v = 8.0f; break;
    default: break;
  }
  return v * 0.4473f * 60.0f;
}

float AIOperational::CrowdingThreshold(float exposure) { return std::exp(exposure * -3.7999f) * 5.2668f; }

void AIOperational::RelieveInfantryCrowding(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  GObjectGroup list;
  list.Init();
  list.SetOwnsMembers(false);
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    Unit* unit = battle.UnitAt(k);
    if (!unit->IsAlive() || !unit->IsInfantry() || unit->GetSideIndex() != context.side) continue;
    if (unit->HasMoveOrder()) {
      float wx = 0.0f;
      float wy = 0.0f;
      unit->GetLastWaypoint(wx, wy);
      // An order longer than one turn's move does not end near anyone this turn.
      if (!(unit->DistanceToPoint(wx, wy) <= TurnReach(unit->GetSpeedClass()))) continue;
    }
    list.Append(unit);
  }
  list.QuickSort(CompareCrowding, nullptr);

  for (int32_t i = 0; i < list.Count(); ++i) {
    Unit& unit = *static_cast<Unit*>(list.GetItem(i));
    float x = 0.0f;
    float y = 0.0f;
    GetPlannedPoint(unit, &x, &y);
    float crowding = 0.0f;
    for (int32_t k = 0; k < list.Count(); ++k) {
      if (k == i) continue;
      float ox = 0.0f;
      float oy = 0.0f;
      GetPlannedPoint(*static_cast<Unit*>(list.GetItem(k)), &ox, &oy);
      const float d = Distance(ox, oy, x, y);
      if (d < 25.0f) crowding += d <= 8.0f ? 1.0f : (25.0f - d) * (1.0f / 17.0f);
    }
    const float exposure = unit.ExposureAt(x, y, false, true);
    if (crowding < CrowdingThreshold(exposure)) continue;
    if (unit.HasMoveOrder()) {
      unit.CancelMoveOrders();
    } else {
      unit.FindBestNearbyCell(true, true);
    }
  }
  list.DeleteAll(false);
}
