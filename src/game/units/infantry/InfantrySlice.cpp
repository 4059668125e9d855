// The infantry unit's own step of each 25 ms slice: target choice, the withdraw order, riding,
// the movement state with turning and moving, the firing step, the figures' activity and the
// voices. It runs for every squad in every slice, so it allocates nothing beyond the packets
// and shots it makes and asks the map only point questions.
#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/Hack.h"

namespace {

const Map* SliceMap() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? battle->GetMap() : nullptr;
}

// The units of the battle, each given to the visitor in list order.
template <class Visit>
void ForEachUnit(Visit visit) {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    Unit* other = UnitOfView(battle->GetUnit(i));
    if (other != nullptr) visit(*other);
  }
}

// Kept between calls so that the friendly pick allocates only when the battle grows.
std::vector<Unit*>& FriendlyCandidates() {
  static std::vector<Unit*> candidates;
  return candidates;
}

}  // namespace

bool Infantry::gRangingRound = false;

void Infantry::UpdateSlice(int32_t) {
  const bool wasMoving = activityState != kStationary && activityState != kHiding;
  DecrementTimer(timer);
  const int32_t band = GetBand();
  const bool mayAct = band < 5 && surrendered == 0 && released == 0;
  if (mayAct && reloadState >= 0.0f) {
    Unit* before = target;
    ChooseTarget(false);
    const MapBattleServices* battle = UnitBattle();
    if (battle != nullptr && battle->GetTimeOfDay() == 2 && target != nullptr && Data().MainWeapon() == kNoWeapon &&
        Random(3600) == 0 && RandomFloat() < std::exp(-0.3632f * static_cast<float>(GetEffectiveRating(1)))) {
      PickFriendlyTarget();
    }
    if (before != nullptr && target == nullptr && !before->IsInanimate() && IsSquad()) MaybeVoiceSound(2, 35, 0.0f, 1.5f);
  }
  if (withdraw != 0) {
    AddSuppression(20.0f, false);
    const int32_t r = GetEffectiveRating(3);
    if (Random(220) < (8 - r) * (8 - r)) {
      SetSuppression(std::max(suppression + 50.0f, 220.0f), false);
      if (Random(2) == 0) ReactToFire(false, false, 0.0f, 0.0f);
    }
    withdraw = 0;
  }
  // A squad ordered to board keeps walking to the vehicle and boards once beside it.
  bool boarded = false;
  if (carrier == nullptr && boardingTarget != nullptr) {
    FollowBoardingTarget();
    if (boardingTarget != nullptr && DistanceTo(*boardingTarget) <= kBoardingReach) boarded = EmbarkOnBoardingTarget();
  }
  if (SyncPositionWithLinkedUnit(true) || boarded) {
    activityState = kStationary;
  } else {
    const int32_t state = ChooseMoveState(true);
    activityState = state;
    const bool rotating = waypointCount > 0 && waypoints[0].moveMode == Waypoint::kRotateTo;
    if (state == kMove || state == kSneak || state == kRun || state == kCrawl || rotating) {
      if (waypointCount == 0) FatalError(__LINE__, kInfantryFile);
      if (firingTimer == 0.0f || speed != 0.0f) {
        if (TurnToward(waypoints[0].x, waypoints[0].y, false)) {
          MoveAlongWaypoints();
        } else {
          SettleLevel();
        }
      }
      if (firingTimer != 0.0f && speed == 0.0f) StopTurning();
    } else if (state == kHiding) {
      StopTurning();
      SettleLevel();
    } else if (state == kStationary) {
      SettleLevel();
      float px = 0.0f;
      float py = 0.0f;
      if (firingTimer == 0.0f && (waypointCount == 0 || commandDelay > 0.0f) && GetTargetPosition(px, py, nullptr)) {
        TurnToward(px, py, false);
      } else {
        StopTurning();
      }
    } else {
      FatalError(__LINE__, kInfantryFile);
    }
    if (mayAct) FiringStep();
  }
  if (firingTimer != 0.0f) {
    SetMovingActivity();
  } else if (IsPassenger()) {
    SetActivity(2);
  } else {
    switch (activityState) {
      case kStationary: SetActivity(2); break;
      case kMove: case kSneak: SetActivity(0); break;
      case kRun: SetActivity(speed != 0.0f ? 1 : 0); break;
      case kHiding: SetActivity(5); break;
      case kCrawl: SetActivity(7); break;
      default: FatalError(__LINE__, kInfantryFile); SetActivity(0); break;
    }
  }
  if (surrendered == 0) {
    if (!wasMoving && activityState != kStationary && activityState != kHiding) {
      MaybeVoiceSound(0, 65, 0.1f, 2.0f);
    } else {
      const float chance = activityState == kRun ? 0.0008f : (activityState == kMove ? 0.0002f : 0.0f);
      if (chance != 0.0f) {
        if (RandomFloat() <= chance) MaybeVoiceSound(0, 100, 0.0f, 0.0f);
      } else if ((activityState == kStationary || activityState == kHiding) && Random(7200) == 0 && CanFight()) {
        MaybeVoiceSound(12, 100, 0.0f, 0.0f);
      }
    }
    if (!HasMoveOrder() && Random(160) == 0 && CanFight()) {
      Unit* neighbour = nullptr;
      if (FindCrowdingNeighbour(x, y, level, neighbour)) SpreadOut(true, neighbour);
    }
  }
  if (reloadState < 0.0f && !HasHeavyWeapon(true)) {
    reloadState = 0.0f;
    gUnitStateChanged = 1;
  }
  if (routed == 0 && (surrendered != 0 || band >= 6)) {
    routed = 1;
    gUnitStateChanged = 1;
  }
  if (areaFire != 0 && IsArtillerySpotter() && sliceCounter % 40 == 0) gUnitStateChanged = 1;
}

void Infantry::FiringStep() {
  if (target != nullptr && target->IsInanimate() && reloadState >= 0.0f) {
    // An ambush marker: hold fire until an enemy comes.
    if (target->GetInanimateKind() != 3) FatalError(__LINE__, kInfantryFile);
    return;
  }
  if (reloadState < 0.0f) {
    if (!HasHeavyWeapon(true)) {
      reloadState = 0.0f;
      return;
    }
    if (GetBand() >= 4) return;
    float left = -reloadState;
    const int32_t minutesBefore = static_cast<int32_t>(std::lround(left / 60.0f));
    DecrementTimer(left);
    reloadState = -left;
    if (static_cast<int32_t>(std::lround(left / 60.0f)) != minutesBefore) gUnitStateChanged = 1;
    return;
  }
  if (IsArtillerySpotter()) {
    if (areaFire != 0) AreaFireStep();
    return;
  }
  if (activityState == kSneak || (waypointCount > 0 && waypoints[0].moveMode == kSneak)) return;
  if (activityState != kCrawl) FireSpecialWeapon();
  const bool stationary = IsStationary();
  const float halfArc = stationary ? 1.0f : 25.0f;
  const bool hasWeapon = Data().MainWeapon() != kNoWeapon;
  float px = 0.0f;
  float py = 0.0f;
  const bool hasPoint = GetTargetPosition(px, py, nullptr);
  const bool inArc = hasPoint && IsPointInArc(facing, halfArc, px, py);
  if (reloadState > 0.0f && (inArc || !hasPoint) && (stationary || !hasWeapon)) {
    DecrementTimer(reloadState);
    if (reloadState == 0.0f && hasWeapon) gUnitStateChanged = 1;
    if (aimTime == 99.0f && reloadState == 0.0f) {
      aimTime = 1.0f;
      gUnitStateChanged = 1;
    }
  }
  if (inArc) {
    CloseAssault();
    if (activityState != kCrawl && (stationary || !hasWeapon)) {
      if (stationary || FirepowerAt(DistanceToPoint(px, py), nullptr, false, false) > 0.0f) DirectFireStep();
    }
    ThrowAtTarget();
  }
  if (Data().Demolition() != 0) ClearMines();
}

void Infantry::DirectFireStep() {
  if (reloadState != 0.0f) return;
  UpdateGunElevation();
  if (firingTimer != 0.0f) firingInProgress = 1;
  int32_t kindUsed = kNoAmmo;
  if (aimTime == 0.0f && CanFireAtTarget(kindUsed) && IsMainWeaponUsable()) {
    FireAtTarget(kindUsed);
    firingInProgress = 0;
    UseAmmo(kindUsed);
  }
}

void Infantry::AreaFireStep() {
  if (reloadState > 0.0f) {
    DecrementTimer(reloadState);
    return;
  }
  const int32_t n = static_cast<int32_t>(std::lround(aimTime)) / 30;
  if (activityState == kHiding || !IsStationary() || !LineOfSightToPoint(targetX, targetY)) aimTime += 0.0125f;
  DecrementTimer(aimTime);
  firingInProgress = 0;
  int32_t kindUsed = kNoAmmo;
  if (aimTime == 0.0f) {
    if (!CanFireAtTarget(kindUsed)) return;
    for (int32_t round = 0; round < 4; ++round) {
      FireAtTarget(kindUsed);
      UseAmmo(0);
      if (ammo[0] == 0) break;
    }
    return;
  }
  const int32_t weapon = Data().MainWeapon();
  const int32_t field = gWeapons.IsValid(weapon) ? gWeapons[weapon].CostClass(1) : 0;
  if (field == 3 || !(n == 1 || (n == 2 && field != 2))) return;
  if (static_cast<int32_t>(std::lround(aimTime)) / 30 >= n) return;
  if (!CanFireAtTarget(kindUsed) || !LineOfSightToPoint(targetX, targetY)) return;
  const Map* map = SliceMap();
  MapUnitView* near = nullptr;
  if (map != nullptr && map->FindUnitNear(targetX, targetY, IsAxis(), near)) return;
  gRangingRound = true;
  FireAtTarget(kindUsed);
  gRangingRound = false;
  UseAmmo(0);
}

bool Infantry::CollectFriendlyTarget(Unit& candidate, const Infantry& unit) {
  if (candidate.side != unit.side || !candidate.IsInfantry() || candidate.alive == 0 || &candidate == &unit) {
    return false;
  }
  if (unit.target == nullptr || unit.DistanceTo(candidate) <= 75.0f || candidate.DistanceTo(*unit.target) >= 150.0f) {
    return false;
  }
  return unit.LineOfSightTo(candidate);
}

void Infantry::PickFriendlyTarget() {
  std::vector<Unit*>& candidates = FriendlyCandidates();
  candidates.clear();
  ForEachUnit([&](Unit& other) {
    if (CollectFriendlyTarget(other, *this)) candidates.push_back(&other);
  });
  if (candidates.empty()) return;
  target = candidates[static_cast<size_t>(Random(static_cast<int32_t>(candidates.size())))];
  shotCounter = 0;
}

bool Infantry::CanFireAtTarget(int32_t& kindOut) {
  if (!Unit::CanFireAtTarget(kindOut)) return false;
  if (target == nullptr || !target->IsArmored(true)) return true;
  const VehicleServices* vehicle = target->AsVehicle();
  if (vehicle == nullptr || !vehicle->IsButtoned()) return true;
  int32_t weapon = kNoWeapon;
  int32_t weaponKind = 0;
  const int32_t grade = QueryWeaponGrade(weapon, weaponKind, 0);
  return !(weapon == kNoWeapon && grade == 0);
}
