// The player's set-up: placing and turning units before the first shot; the raised level of
// the terrain codes that have one, the bridge codes as they act on a unit below them, and the
// rating factor of a unit's purchase cost.
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

int32_t SetUpTerrainAt(float px, float py) {
  const Map* map = UnitBattleMap();
  return map != nullptr ? map->TerrainTypeAt(px, py) : 0;
}

bool IsQuiet() {
  const UnitOrderHost* host = GetUnitOrderHost();
  return host != nullptr && host->IsQuiet();
}

// A refused placement or turn beeps unless the battle is quiet.
void WarnUnlessQuiet() {
  if (IsQuiet()) return;
  if (MapAppServices* app = UnitApp()) app->Battlefield().Beep();
}

bool IsBridgeFromBelow(int32_t terrain) { return terrain >= 36 && terrain <= 39; }
bool IsBridgeCode(int32_t terrain) { return terrain >= 36 && terrain <= 44; }

}  // namespace

bool Unit::CanPlaceAt(float px, float py, Unit* carrier) {
  if (!MayRedeploy()) return false;
  if (IsInfantry() && carrier != nullptr) {
    // Only a vehicle with room for the unit takes it aboard: boarding it must not fail then.
    const VehicleServices* vehicle = carrier->AsVehicle();
    return vehicle != nullptr && vehicle->CanCarry(this, false, true) && CanDeployAt(carrier->x, carrier->y);
  }
  const Map* map = UnitBattleMap();
  if (map == nullptr || !CanStandAt(px, py, true) || !map->IsOnMap(px, py)) return false;
  if (!CanDeployAt(px, py)) return false;
  if (FindUnitNearPoint(px, py, 0.0f, nullptr)) {
    // The ground is taken: only the raised level of a building with a free upper floor is left.
    if (!IsTwoLevelBuildingTerrain(map->TerrainTypeAt(px, py)) || !HasNonGunWeapon() || IsQuiet()) return false;
    if (FindUnitNearPoint(px, py, 1.0f, nullptr)) return false;
  }
  if (IsVehicle()) {
    for (int32_t i = 0; i < 2; ++i) {
      Unit* linked = GetLinkedUnit(i);
      if (linked != nullptr && !linked->CanDeployAt(px, py)) return false;
    }
  }
  return true;
}

bool Unit::PlaceOrFace(float px, float py, bool place, Unit* carrier) {
  UnitOrderHost* host = GetUnitOrderHost();
  if (!place) {
    const float oldFacing = facing;
    const float bearing = std::atan2(py - y, px - x) / GMath::kRadiansPerDegree;
    facing = bearing < 0.0f ? bearing + 360.0f : bearing;
    if (!CanStandAt(x, y, true)) {
      facing = oldFacing;
      WarnUnlessQuiet();
    }
    SyncPassengers();
    return true;
  }
  if (!CanPlaceAt(px, py, carrier)) {
    WarnUnlessQuiet();
    return false;
  }
  if (IsInfantry() && carrier != nullptr) {
    LeaveCarrierForPlacement();
    x = carrier->x;
    y = carrier->y;
    Embark(carrier);
    if (!IsCarried()) FatalError(__LINE__, "Unit.cpp");
  } else {
    if (IsInfantry()) LeaveCarrierForPlacement();
    x = px;
    y = py;
    if (IsTwoLevelBuildingTerrain(SetUpTerrainAt(px, py)) && HasNonGunWeapon() && !IsQuiet()) {
      if (FindUnitNearPoint(px, py, 0.0f, nullptr)) {
        level = 1.0f;
      } else if (FindUnitNearPoint(px, py, 1.0f, nullptr)) {
        level = 0.0f;
      } else if (host != nullptr) {
        GetUnitScreen().OpenWaypointMenu(*this);  // both levels free: the player chooses
      }
    }
  }
  SyncPassengers();
  if (host != nullptr) host->ReviewCommandingLeaders();
  if (IsVehicle()) ClearHullDown();
  return true;
}

void Unit::LeaveCarrierForPlacement() {
  level = 0.0f;
  if (IsCarried()) LeaveCarrier();
}

void Unit::ClampLevelAfterPlacement() {
  if (UnitBattleMap() != nullptr && level > 0.0f) level = 0.0f;
}

int32_t Unit::TerrainUnderfoot(int32_t terrain) const {
  if (!IsBridgeFromBelow(terrain)) return terrain;
  if (level >= 0.0f && IsBridgeCode(GetTerrainHere())) return terrain;
  if (terrain == 39) return 9;
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr && battle->IsSnowGround() ? 27 : 25;
}

float Unit::AdjustForLevelTerrain(float value, int32_t terrain, float* out) const {
  // The map's own code under the unit: below a bridge it is still the bridge, which is how a
  // unit under it comes back up to the ground when it drives out. Only the bridge codes are
  // tested, which craters never make or change: the grid's type answers without them.
  const Map* map = UnitBattleMap();
  const int32_t under = map != nullptr ? map->CellTypeAt(x, y, mapMemo) : 0;
  if (IsBridgeFromBelow(under)) {
    if (level < 0.0f) {
      if (!IsBridgeCode(terrain)) {
        if (out != nullptr) *out = 0.0f;
      } else if (terrain >= 40 && terrain <= 42) {
        value = 0.0f;
      }
    } else if (!IsBridgeCode(terrain)) {
      value = 0.0f;
    }
  } else if ((under < 36 || under > 42) && IsBridgeFromBelow(terrain)) {
    const bool firstBelow = waypointCount > 0 && IsBridgeFromBelow(SetUpTerrainAt(waypoints[0].x, waypoints[0].y));
    if (firstBelow) {
      value = 0.0f;
    } else if (out != nullptr) {
      *out = -1.0f;
    }
  }
  return value;
}

float Unit::AdjustCostForRating(float value) const {
  float g = ScaleByRating(1.0f);
  if (!IsInfantry() || g > 1.0f) {
    g *= g;
  } else if (g < 1.0f) {
    g = std::sqrt(g);
  }
  if (IsEditorOpen()) value *= 1.0f - 0.05f * static_cast<float>(ratingAdjustment);
  return value * g;
}
