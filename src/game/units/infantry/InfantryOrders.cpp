// Infantry move orders and the vehicle a squad is to board, a crew keeping up with its
// vehicle before it appears, the late appearance of a crew, and the men who come back
// between the battles of an operation.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// Added to the appearance slice once the unit has appeared: it never falls due again.
constexpr int32_t kAppeared = 100000;

}  // namespace

// ---- Move orders ----

void Infantry::AddWaypoint(float px, float py, int32_t orderCode, bool noMenu, bool replaceFirst, bool capDelay,
                           bool chain) {
  AddWaypointToVehicle(px, py, orderCode, nullptr, noMenu, replaceFirst, capDelay, chain);
}

void Infantry::AddWaypointToVehicle(float px, float py, int32_t orderCode, Unit* vehicle, bool noMenu,
                                    bool replaceFirst, bool capDelay, bool chain) {
  // The battle has no mount option, so a Run order to a vehicle stays a Run order.
  if (vehicle != nullptr && IsMountOrder(orderCode)) {
    // Boarding replaces the route: one waypoint, on the vehicle.
    waypointCount = std::min(waypointCount, 1);
    replaceFirst = true;
    px = vehicle->x;
    py = vehicle->y;
  } else {
    vehicle = nullptr;
  }
  Unit::AddWaypoint(px, py, orderCode, noMenu, replaceFirst, capDelay, chain);
  boardingTarget = waypointCount > 0 ? vehicle : nullptr;
}

void Infantry::CancelMoveOrders() {
  Unit::CancelMoveOrders();
  boardingTarget = nullptr;
}

// ---- Losses and the men who return ----

int32_t Infantry::GetBattleLosses() const {
  if (parentUnit != nullptr) return -GetMenPresent();
  const int32_t start = lossesCountedByMorale;
  if (linkedHalf == nullptr) return losses - start;
  // Each half counts its own half of the squad: the second half the smaller one.
  const auto half = [this](int32_t n) { return splitFlag != 0 ? n / 2 : (n + 1) / 2; };
  return losses - (half(GetFullStrength()) - half(start));
}

int32_t Infantry::ReturnMen(bool randomized) {
  if (alive == 0 || parentUnit != nullptr) return 0;
  const int32_t lost = GetBattleLosses();
  int32_t n = randomized ? static_cast<int32_t>(static_cast<float>(lost) * RandomFloatTimes(0.4f) + 0.49f) : 0;
  bool movable = false;
  bool typeOne = false;
  if (IsCrewedWeapon(movable, typeOne) && movable && linkedHalf == nullptr) {
    n = std::max(n, losses - 2);
    if (!typeOne) n = std::max(n, 2 - GetMenPresent());
  }
  if (n <= 0) return 0;
  if (n > losses) FatalError(2870, kInfantryFile);
  int32_t kept = losses - n;
  // A split half stays a half: the other half's men are never its own to get back.
  if (linkedHalf != nullptr) kept = std::max(kept, std::min(losses, (Data().Men() + 1) / 2));
  const int32_t returned = losses - kept;
  if (Data().MenCheck() == 0) {
    losses = kept;
    return returned;
  }
  // Each man is given his slot while he is still counted missing, so the draw always has
  // men to choose among.
  for (int32_t i = 0; i < returned; ++i) {
    ReturnManToSlot();
    --losses;
  }
  return returned;
}

// ---- A crew and its vehicle ----

void Infantry::FollowCrewedVehicle() {
  if (parentUnit == nullptr || !parentUnit->IsVehicle() || !parentUnit->IsMoving()) return;
  x = parentUnit->x;
  y = parentUnit->y;
}

void Infantry::ScheduleAppearance() {
  if (nextActionSlice == kNoActionSlice || nextActionSlice >= kAppeared) return;
  const MapBattleServices* battle = UnitBattle();
  const int32_t now = battle != nullptr ? battle->GetCurrentSlice() : 0;
  const int32_t due = nextActionSlice;
  Appear();
  gPacketMark = {true, -9999, due - now, UnitStatePacket::kAlive};
  MakeStatePacket();
  gPacketMark = {};
  stateChanged = 0;
}

bool Infantry::Appear() {
  if (alive != 0) return false;
  alive = 1;
  nextActionSlice += kAppeared;
  stateChanged = 1;
  if (parentUnit == nullptr) FatalError(1999, kInfantryFile);
  const Unit& parent = *parentUnit;
  const VehicleServices* vehicle = parent.IsVehicle() ? parent.AsVehicle() : nullptr;
  const float distance = vehicle != nullptr && vehicle->IsEmplacement() ? 3.5f : 3.0f;
  float bearing = 0.0f;
  if (HasMoveOrder()) {
    const Waypoint& first = WaypointAt(0);
    bearing = std::atan2(first.y - parent.y, first.x - parent.x);
  } else {
    bearing = RandomFloatTimes(360.0f) * GMath::kRadiansPerDegree;
  }
  float px = parent.x + distance * std::cos(bearing);
  float py = parent.y + distance * std::sin(bearing);
  MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr || !map->IsOnMap(px, py) || !CanStandAt(px, py, true)) {
    px = parent.x;
    py = parent.y;
  }
  SetPosition(px, py);
  // The enemy infantry close by that see the crew jump out are startled.
  const int32_t count = battle != nullptr ? battle->GetUnitCount() : 0;
  for (int32_t i = 0; i < count; ++i) {
    auto* other = UnitOfView(battle->GetUnit(i));
    if (other == nullptr || other == this || !other->IsInfantry() || other->alive == 0 || !other->IsEnemy(*this)) {
      continue;
    }
    if (other->DistanceTo(*this) < kStartleRange && other->LineOfSightTo(*this)) other->countdown = kStartledDelay;
  }
  return true;
}
