// The unit at the seams of play: the orders snapshot when an orders phase begins, leaving
// the battlefield, the resets and moves between the battles of an operation, and what a unit
// is worth to the score, to holding victory flags and to the operation's front line.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/InanimateServices.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// The operation's services; fatal outside an operation.
UnitOrderHost& OperationHost(int32_t line) {
  UnitOrderHost* host = GetUnitOrderHost();
  if (host == nullptr || !host->InOperation()) FatalError(line, "Unit.cpp");
  return *host;
}

}  // namespace

void Unit::SnapshotOrders() {
  DropBurstIfIdle();
  firingTimer = 0.0f;
  if (target != nullptr && target->alive == 0 && flagBytes[kTargetAbsentFlag] == 0) target = nullptr;
  ordersPhaseTarget = target;
  flagBytes[kOrdersAreaFireFlag] = areaFire;
  ordersPhaseTargetX = targetX;
  ordersPhaseTargetY = targetY;
  flagBytes[kOrdersSmokeFireFlag] = flagBytes[kSmokeFireFlag];
  SnapshotWaypoints();
  if (IsVehicle()) ResetForOrdersPhase();
  if (level > 0.0f) {
    const Map* map = UnitBattleMap();
    // Buildings and bridges (types 31 and above) keep the unit on its level.
    if (map == nullptr || map->TerrainTypeAt(x, y) < 31) level = 0.0f;
  }
}

void Unit::LeaveBattlefield(bool /*ownExit*/) {
  // Which exit the unit took is decided by the battle's exit test at its position.
  UnitOrderHost* host = GetUnitOrderHost();
  status = 1;
  if (!HasSurrendered()) {
    if (countsForPoints != 0 && host != nullptr && host->IsExitFor(GetSideIndex(), x, y)) status = 2;
  } else if (host == nullptr ||
             !(host->IsExitFor(1 - GetSideIndex(), x, y) || host->IsOwnEdgeFor(1 - GetSideIndex(), x, y))) {
    // Prisoners led off through their captors' exit edge or own edge stay prisoners, counted
    // for the captors; led off any other way they are marked captured. Only infantry can be.
    if (!IsInfantry()) FatalError(__LINE__, "Unit.cpp");
    MarkCaptured();
  }
  if (host != nullptr) host->Deselect(*this);
  waypointCount = 0;
  speed = 0.0f;
  const int32_t keptLosses = losses;
  Eliminate();
  losses = keptLosses;
  stateChanged = 0;
  identificationLevel = 0;
  GetUnitScreen().RefreshMap();
  DropAsTargetOfAll(false, true, false);
}

void Unit::ResetBetweenBattles() {
  withdraw = 0;
  flagBytes[kTargetAbsentFlag] = 0;
  flagBytes[kHoldFlag] = 0;
  lastMovingSlice = 0;
  incomingFire = 0;
  ResetSliceCounter();
  nextActionSlice = kNoActionSlice;
  activityCodes = {2, 2, 2};
  for (auto& extras : activityExtras) extras = {0, 0, 0};
  // An immobile gun or vehicle keeps what the enemy knew of it.
  if (CanMove() || (IsInfantry() && !HasMainWeaponOfType23(false))) identificationLevel = 0;
  ClearMovementAndFire();
  ordersPhaseTarget = nullptr;
  ResetAimTime();
  RandomizeSliceCounter();
  lossesCountedByMorale = static_cast<int16_t>(losses);
}

bool Unit::UpdateLinksBetweenBattles(GGroup& /*goingOn*/) { return false; }

void Unit::PrepareForNextBattle() {
  OperationHost(__LINE__);
  target = nullptr;
  orderedTarget = nullptr;
  ordersPhaseTarget = nullptr;
  fanaticState = 0;
  setupZone = IsAxis() ? 4 : 1;
}

bool Unit::KeepOnMapBetweenBattles() {
  const UnitOrderHost& host = OperationHost(__LINE__);
  if (status != 0 || IsPassenger()) return true;
  const Map* map = UnitBattleMap();
  if (map == nullptr) FatalError(__LINE__, "Unit.cpp");
  const float width = map->size.worldWidth;
  const float height = map->size.worldHeight;
  const bool mobile = alive != 0 && CanMove();
  if (map->IsOnMap(x, y)) {
    if (mobile && host.GetOperationBattleNumber() > 1) CheckPlacement(x, y, true, false, false);
  } else {
    if (!mobile) return false;
    // Back inside the edge it crossed, 10 to 60 m in.
    if (x < 0.0f) x = RandomFloatTimes(50.0f) + 10.0f;
    else if (x >= width) x = width - (RandomFloatTimes(50.0f) + 10.0f);
    if (y < 0.0f) y = RandomFloatTimes(50.0f) + 10.0f;
    else if (y >= height) y = height - (RandomFloatTimes(50.0f) + 10.0f);
    for (int32_t round = 0; round < 1000 && !CanStandAt(x, y, true); ++round) {
      // A random step that lands on the map; when none of 100 does, the point stays.
      for (int32_t step = 0; step < 100; ++step) {
        const float nx = x + RandomFloatTimes(40.0f) - 20.0f;
        const float ny = y + RandomFloatTimes(40.0f) - 20.0f;
        if (map->IsOnMap(nx, ny)) {
          x = nx;
          y = ny;
          break;
        }
      }
    }
  }
  if (!map->IsOnMap(x, y) || !CanStandAt(x, y, true)) return false;
  SyncPassengers();
  SnapshotWaypoints();
  GetUnitScreen().RefreshUnitPanel();
  return true;
}

float Unit::GetPointValue(bool& counted) const {
  counted = status == 2;
  if (countsForPoints == 0) return 0.0f;
  return GetPurchaseCost() * 2.0f + 12.0f;
}

float Unit::GetCasualtyValue() const {
  const float cost = GetPurchaseCost();
  if (alive == 0 && status == 0) return cost;
  const int32_t full = GetFullStrength();
  if (full == 0) return 0.0f;
  return cost * (1.0f - static_cast<float>(GetMenPresent()) / static_cast<float>(full));
}

float Unit::FlagInfluenceAt(float px, float py, const uint8_t* sideFlags) const {
  if (IsAirplane() || IsInanimate() || !CanFight() || HasSurrendered() || HasBeenCaptured()) return 0.0f;
  if (HasMainWeaponOfType5()) return 0.0f;
  if (IsVehicle() && !HasMainWeapon() && !CanFireAnyMachineGun()) return 0.0f;
  const float dx = px - x;
  const float dy = py - y;
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d > 80.0f) return 0.0f;
  if (identificationLevel < 2 && sideFlags[GetSideIndex()] == 0) return 0.001f;
  float weight = GetPurchaseCost();
  if (d > 30.0f) weight *= (80.0f - d) * 0.02f;
  // Whether the unit sees the flag's ground: the flag's point or one 20 m from it.
  const bool seen = LineOfSightToPoint(px, py) || LineOfSightToPoint(px + 20.0f, py) ||
                    LineOfSightToPoint(px, py + 20.0f) || LineOfSightToPoint(px - 20.0f, py) ||
                    LineOfSightToPoint(px, py - 20.0f);
  if (!seen) weight *= 0.6f;
  return weight;
}

void Unit::AddToForceCentroid(bool useX, float& weightedSum, float& weight, bool heavy) const {
  if (alive == 0 || status != 0 || HasSurrendered() || !(IsInfantry() || IsVehicle())) return;
  float w = GetStrengthValue();
  if (heavy) w *= 1.9f;
  weightedSum += w * (useX ? x : y);
  weight += w;
}

void Unit::PaintControlArea() const {
  UnitOrderHost& host = OperationHost(__LINE__);
  if (alive == 0 || status != 0 || HasSurrendered()) return;
  const float strength = GetStrengthValue();
  if (strength <= 0.0f) return;
  Map* map = host.GetOperationMap();
  if (map == nullptr) return;
  const int32_t radius = strength >= 7.5f ? 2 : strength >= 2.5f ? 1 : 0;
  const auto tileX = static_cast<int32_t>(x * 0.05f);
  const auto tileY = static_cast<int32_t>(y * 0.05f);
  for (int32_t dx = -radius; dx <= radius; ++dx) {
    for (int32_t dy = -radius; dy <= radius; ++dy) map->PaintZone(tileX + dx, tileY + dy, IsAxis(), true);
  }
}

int32_t Unit::GetKindAndClass(int32_t* classOut) const {
  int32_t index = 0;
  switch (kind) {
    case kInfantry: {
      const InfantryServices* infantry = AsInfantry();
      index = infantry != nullptr ? infantry->GetTypeIndex() : classIndex;
      break;
    }
    case kVehicle: {
      const VehicleServices* vehicle = AsVehicle();
      index = vehicle != nullptr ? vehicle->GetClassIndex() : classIndex;
      break;
    }
    case kInanimate: {
      const InanimateServices* inanimate = const_cast<Unit*>(this)->AsInanimate();
      index = inanimate != nullptr ? inanimate->GetKind() : classIndex;
      break;
    }
    case kAirplane: index = 0; break;
    default: FatalError(__LINE__, "Unit.cpp");
  }
  if (classOut != nullptr) *classOut = index;
  return kind;
}
