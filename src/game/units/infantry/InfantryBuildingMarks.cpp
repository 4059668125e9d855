// What an infantry unit tells the building pass: the buildings it stands in and, for the
// selected unit giving orders, those its waypoints lead into.
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/OrderState.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr int32_t kRubble = 19;

bool IsDirtRoadTerrain(int32_t type) { return type >= 31 && type <= 35; }

}  // namespace

void Infantry::MarkOccupiedBuildings(Map& map) {
  if (IsAlive() && GetIdentificationLevel() >= 2) {
    const int32_t type = map.TerrainTypeAt(x, y);
    if (IsDirtRoadTerrain(type) || type == kRubble) map.MarkBuildingAt(x, y, GetLevel() == 1.0f);
  }
  const MapBattleServices* battle = UnitBattle();
  const MapAppServices* app = UnitApp();
  if (battle == nullptr || app == nullptr || battle->GetSelectedUnit() != this) return;
  if (app->GetInputMode() == InputModes::kReplay || !IsCommandable()) return;
  for (int32_t n = 0; n < GetWaypointCount(); ++n) {
    float px = 0.0f;
    float py = 0.0f;
    bool upper = false;
    GetWaypoint(n, px, py, upper);
    if (IsDirtRoadTerrain(map.TerrainTypeAt(px, py))) map.MarkBuildingAt(px, py, upper);
  }
}
