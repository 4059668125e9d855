// The vehicle in one 25 ms slice of the action phase: its stun timers, abandoning a stranded
// wreck, the target review, the decision between driving, halting, turning the hull and
// traversing the turret, the main gun, the machine guns, the close-defence weapon and the
// turret's own movement.
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/records/Shot.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/vehicle/VehicleHeadings.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/SliceTimer.h"

namespace {

constexpr int32_t kCloseDefenceWeapon = 93;
constexpr int32_t kCloseDefenceInterval = 1199;
constexpr uint16_t kTurretHoldSlices = 6800;

}  // namespace

std::array<Vehicle::CostMemo, 8> Vehicle::gCostMemo{};
int32_t Vehicle::gCostMemoNext = 0;

// ---- The slice ----

void Vehicle::UpdateSlice(int32_t slice) {
  // 1. Timers. The gun crew recovers only while somebody besides the driver is aboard.
  const bool wasStunned = gunCrewStunTimer != 0.0f || driverStunTimer != 0.0f;
  if (gunCrewStunTimer != 0.0f && GetMenPresent() >= 2) CountDown(gunCrewStunTimer);
  CountDown(driverStunTimer);
  if (wasStunned != (gunCrewStunTimer != 0.0f || driverStunTimer != 0.0f)) gUnitStateChanged = 1;
  const bool wasMoving = speed != 0.0f || turnRate != 0.0f;
  bool fired = false;
  turnStep = ComputeTurnStep();

  // 2. A stranded vehicle with nothing left to fight with (no working gun and no machine gun
  // that can fire) is abandoned now and then.
  if (!CanMove() && (gunDestroyed != 0 || !HasMainWeapon()) && !CanFireAnyMG(false) && Random(1800) == 0) {
    BailOutAndEnd(false);
    CoastToStop();
  } else {
    UpdateSliceActions(slice, fired);
  }

  // 13. The tail: turret, engine sound, activity.
  AdvanceTurret();
  const bool moving = speed != 0.0f || turnRate != 0.0f;
  if (slice == 0 || moving != wasMoving) {
    PostMotionSound(moving);
    if (HasMainWeapon()) sliceCount = 1200;
  }
  if (fired) {
    SetMovingActivity();
  } else {
    SetActivity(2);
  }

  // 14. A halted gun keeps its turret on a target that threatens it.
  if (IsMoving()) {
    turretHold = 0;
    return;
  }
  if (target != nullptr && IsArmored(false) && HasHeavyWeapon(false) && target->HasMainWeaponOfType123() &&
      target->IsInRange(target->DistanceTo(*this), 0, 1.3f)) {
    turretHold = kTurretHoldSlices;
    turretToRest = 0;
    return;
  }
  if (turretHold > 0) {
    --turretHold;
  } else if (CanMove()) {
    turretToRest = 1;
  }
}

void Vehicle::UpdateSliceActions(int32_t slice, bool& fired) {
  // 3. Target review, while the gun crew is fit. A soft, gunless target that is moving (or
  // passed while this vehicle moves) is reconsidered with the forced choice; a different
  // answer leaves the vehicle without a target for now.
  if (gunCrewStunTimer == 0.0f) {
    ChooseTarget(false);
    if (aimTime >= 0.2f && aimTime < 0.225f && reloadState == 0.0f && target != nullptr &&
        (IsMoving() || target->IsMoving()) && !target->IsArmored(true) && !target->HasMainWeaponOfType23(false) &&
        HasMainWeaponOfType23(true)) {
      const int32_t keptReview = sliceCount;
      Unit* const keptTarget = target;
      const int16_t keptDetail = shotCounter;
      const float keptAim = aimTime;
      target = nullptr;
      ChooseTarget(true);
      if (target == keptTarget) {
        shotCounter = keptDetail;
        aimTime = keptAim;
      } else {
        target = nullptr;
      }
      sliceCount = keptReview;
    }
  }

  // 4. The hull follows the ground while the vehicle moves.
  if ((speed != 0.0f || turnRate != 0.0f) && slice % 10 == 0) OrientToGround();

  // 5. Decision.
  float tx = 0.0f;
  float ty = 0.0f;
  bool hasPosition = GetTargetPosition(tx, ty, nullptr);
  int32_t moveState = GetMoveState();
  if (gunDestroyed != 0 && moveState == 2) {
    waypointCount = 0;
    countdown = 0;
    moveState = 1;
  }
  int32_t fireState = GetFireState(moveState);
  int32_t action = ChooseAction(fireState, moveState);
  if (moveState == 2 && action == 2 && target != nullptr && HasTurret() &&
      RelativeBearingToUnit(*target, true, true) > 90.0f) {
    target = nullptr;
    fireState = GetFireState(moveState);
    action = ChooseAction(fireState, moveState);
    gUnitStateChanged = 1;
    hasPosition = GetTargetPosition(tx, ty, nullptr);
  }

  // 6. Driving.
  if ((immobilized == 0 && bogged == 0 && driverStunTimer == 0.0f) || speed == 0.0f) {
    if (action == 1 || action == 4) {
      MoveAlongWaypoints();
    } else {
      if (speed != 0.0f) {
        speed = 0.0f;
        gUnitStateChanged = 1;
      }
      if (hasPosition && NeedsHullTurn(action)) {
        TurnToward(tx, ty, TrueClass().TraverseLimit(0) < 0);
      } else if (turnRate != 0.0f) {
        turnRate = 0.0f;
        gUnitStateChanged = 1;
      }
      UpdateBogging();
    }
  } else {
    CoastToStop();
  }

  // 7. Machine guns.
  UpdateMachineGuns();

  // 8. A stunned gun crew does nothing more.
  if (gunCrewStunTimer != 0.0f) return;

  // 9. Turret.
  if (firingTimer == 0.0f) {
    if (action == 0 || action == 1 || gunDestroyed != 0 || !hasPosition) {
      if (gunDestroyed != 0 || ((speed != 0.0f || turnRate != 0.0f) && CanMove())) turretToRest = 1;
      if (turretToRest != 0) {
        ReturnTurretToRest();
      } else if (turretRate != 0.0f) {
        if (target != nullptr || areaFire != 0) FatalError(6874, "Vehicle");
        turretRate = 0.0f;
        gUnitStateChanged = 1;
      }
    } else {
      TrackTargetWithTurret(tx, ty);
    }
  }

  // 10. Reload.
  if (reloadState > 0.0f) {
    CountDown(reloadState);
    if (reloadState == 0.0f && HasMainWeapon()) gUnitStateChanged = 1;
  }

  // 11. Main gun: everything lined up.
  if ((target != nullptr || areaFire != 0) && turnRate == 0.0f && mainGunClearance != 0 && gunDestroyed == 0 &&
      reloadState == 0.0f && HasMainWeapon() && hasPosition && IsPointInArc(GunDirection(), 0.4f, tx, ty) &&
      (target == nullptr || !target->IsInanimate())) {
    UpdateGunElevation();
    if (IsMoving()) firingBytes[kLaidWhileMoving] = 1;
    int32_t kind = kNoAmmo;
    if (aimTime == 0.0f && CanFireAtTarget(kind) && IsMainWeaponUsable()) {
      FireAtTarget(kind);
      firingBytes[kLaidWhileMoving] = 0;
      UseAmmo(kind);
      fired = true;
      const bool spent = ammo[0] == 0 && ammo[1] == 0 && ammo[2] == 0 && ammo[3] == 0;
      if ((target != nullptr && spent) || (flagBytes[kSmokeFireFlag] != 0 && ammo[4] == 0)) ClearOrderState(false);
    }
  }

  // 12. Close defence: a check every 1,200 slices.
  if (TrueClass().SmokeEquipment() == 3) {
    ++closeDefenceCounter;
    if (closeDefenceCounter > kCloseDefenceInterval) {
      closeDefenceCounter = 0;
      if (Random(100) < 15 * GetRating() + 15) FireCloseDefenceWeapon();
    }
  }
}

// ---- The decision table ----

int32_t Vehicle::GetMoveState() {
  if (!CanMove() || driverStunTimer != 0.0f) return 0;
  if (waypointCount <= 0 || commandDelay > 0.0f) return 1;
  const Waypoint& first = waypoints[0];
  if (waypointCount == 1 && first.moveMode == Waypoint::kRotateTo && target != nullptr && reloadState < 0.1f &&
      IsPointInArc(GunDirection(), 5.0f, target->x, target->y)) {
    return 1;
  }
  if (first.moveMode == 2) {
    if (gunDestroyed != 0) {
      waypointCount = 0;
      countdown = 0;
      return 1;
    }
    return 2;
  }
  return 3;
}

int32_t Vehicle::GetFireState(int32_t moveState) {
  if (gunDestroyed != 0) return 0;
  if (areaFire != 0) return 1;
  if (target == nullptr) return 0;
  // A target with a heavy weapon: a gun, or infantry with an anti-tank weapon.
  const bool heavyTarget = target->HasMainWeaponOfType123();
  const bool considered = ((gunCrewStunTimer == 0.0f && HasHeavyWeapon(false) && moveState == 1 && heavyTarget) ||
                           (moveState == 2 && (heavyTarget || target->IsArmored(true))));
  if (!considered) return 1;
  const int32_t kind = ChooseAmmo(target);
  if (kind == kNoAmmo) return 1;
  if (!HasTurret() && target->IsArmored(false)) {
    if (TargetCost(*target) > 50.0f) return 2;
  }
  // The chance is that of a halted gun: the speed is put back at once.
  const float keptSpeed = speed;
  speed = 0.0f;
  const float effect = AITargeting::WeaponEffect(*this, target, kind, false, true, false, 0, 1);
  speed = keptSpeed;
  return effect >= 0.15f ? 2 : 1;
}

float Vehicle::TargetCost(Unit& other) {
  // The price of a vehicle depends on its class, nationality code, rating and rate of fire
  // only; a turretless gun asks it every slice, so the last few answers are kept.
  const VehicleServices* services = other.AsVehicle();
  if (services == nullptr) return other.GetPurchaseCost();
  const int32_t classKey = services->GetClassIndex();
  for (const CostMemo& memo : gCostMemo) {
    if (memo.used && memo.classIndex == classKey && memo.nationalityCode == other.nationalityCode &&
        memo.rating == other.rating && memo.date == UnitGameDate() && memo.rateOfFire == other.GetRateOfFire()) {
      return memo.cost;
    }
  }
  CostMemo& slot = gCostMemo[gCostMemoNext];
  gCostMemoNext = (gCostMemoNext + 1) % static_cast<int32_t>(gCostMemo.size());
  slot.used = true;
  slot.classIndex = classKey;
  slot.nationalityCode = other.nationalityCode;
  slot.rating = other.rating;
  slot.date = UnitGameDate();
  slot.rateOfFire = other.GetRateOfFire();
  slot.cost = other.GetPurchaseCost();
  return slot.cost;
}

int32_t Vehicle::ChooseAction(int32_t fireState, int32_t moveState) const {
  switch (fireState) {
    case 0:
      switch (moveState) {
        case 0:
        case 1: return 0;
        case 2:
        case 3: return 1;
        default: FatalError(6658, "Vehicle");
      }
    case 1:
      switch (moveState) {
        case 0: return 2;
        case 1: return 3;
        case 2:
        case 3: return MachineGunHaltTarget() ? 2 : 4;
        default: FatalError(6687, "Vehicle");
      }
    case 2:
      switch (moveState) {
        case 0: return 2;
        case 1:
        case 2: return 5;
        case 3: return 4;
        default: FatalError(6691, "Vehicle");
      }
    default: FatalError(6645, "Vehicle");
  }
}

bool Vehicle::MachineGunHaltTarget() const {
  // A gunless vehicle under move mode 1 halts to fight a squad its machine guns reach.
  if (waypointCount <= 0 || waypoints[0].moveMode != 1) return false;
  if (HasMainWeapon() || !CanFireAnyMG(false) || target == nullptr || !target->IsInfantry()) return false;
  const InfantryServices* infantry = target->AsInfantry();
  if (infantry == nullptr || !infantry->IsSquad() || !target->CanFight()) return false;
  const float d = DistanceTo(*target);
  return d > 40.0f && d <= 125.0f && IsPointInArc(facing, 30.0f, target->x, target->y);
}

bool Vehicle::CanFightFromHalt() const {
  const VehicleData record = TrueClass();
  if (CanFireBowMG() > 0 || HasTurret()) return true;
  // A hull thick in front and thin behind fights facing the enemy.
  if (record.ArmourThickness(2, 0) > 14 && record.ArmourThickness(2, 2) < 11.5f) return true;
  if (HasMainWeapon() && mainGunClearance != 0) return true;
  if (CanFireCoaxialMG(true) > 0) return true;
  return target != nullptr && target->HasMainWeaponOfType123() && record.MainArmour() > 20;
}

bool Vehicle::NeedsHullTurn(int32_t action) {
  if (speed != 0.0f) FatalError(6495, "Vehicle");
  float tx = 0.0f;
  float ty = 0.0f;
  if (!GetTargetPosition(tx, ty, nullptr)) FatalError(6497, "Vehicle");
  if (!CanFightFromHalt() || !CanMove() || firingTimer > 0.0f || (waypointCount > 0 && commandDelay > 0.0f)) {
    return false;
  }
  const bool turning = turnRate != 0.0f;
  if (action == 3 || (action == 5 && !HasTurret())) {
    if (!IsPointInGunArc(tx, ty, turning)) return true;
    float arc = GetTurretStep() * (turning ? 2.75f : 3.25f) * 40.0f;
    if (arc > 17.5f && (areaFire != 0 || (target != nullptr && target->IsInfantry())) &&
        DistanceToPoint(tx, ty) < 250.0f && CanFireBowMG() > 0) {
      arc = 17.5f;
    }
    if (!IsPointInArc(facing, arc, tx, ty)) return true;
    const int32_t bow = TrueClass().BowMachineGun();
    return bow != kNoSmallArms && bow > 28 && CanFireBowMG() > 0 && (target == nullptr || !target->IsAirplane()) &&
           DistanceToPoint(tx, ty) < 150.0f;
  }
  if (action == 5) {
    if (reloadState < 0.5f && IsPointInArc(GunDirection(), 5.0f, tx, ty)) return false;
    return !IsPointInArc(facing, turning ? 12.5f : 15.0f, tx, ty);
  }
  return false;
}

// ---- The turret ----

float Vehicle::GunDirection() const { return Normalize360(facing + turretOffset); }

void Vehicle::TrackTargetWithTurret(float px, float py) {
  const VehicleData record = TrueClass();
  const float left = static_cast<float>(record.TraverseLimit(0));
  const float right = static_cast<float>(record.TraverseLimit(1));
  // A turretless gun without traverse limits is fixed: only the hull aims it.
  if (!HasTurret() && left == 0.0f && right == 0.0f) {
    if (turretRate != 0.0f) {
      turretRate = 0.0f;
      gUnitStateChanged = 1;
    }
    return;
  }
  const float direction = GunDirection();
  const float step = GetTurretStep();
  float rate = 0.0f;
  if (IsPointInArc(direction, step, px, py)) {
    if (!IsPointInArc(direction, 0.03f, px, py)) AimTurretAt(px, py);
    if (turretRate != 0.0f) {
      turretRate = 0.0f;
      gUnitStateChanged = 1;
    }
    return;
  }
  const float d = direction - HeadingDegrees(px - x, py - y);
  rate = step;
  if ((d < -180.0f || d > 0.0f) && d <= 180.0f) rate = -rate;
  if (!HasTurret() && (std::fabs(left) >= 90.0f || std::fabs(right) >= 90.0f) && d != 0.0f) {
    // A wide turretless gun swings through the side where its arc lies.
    const float a = AngleToPoint(facing, px, py, false);
    if ((a < 0.0f) != (turretOffset > 0.0f)) {
      const bool reverse = left < 0.0f ? (a < 0.0f) == (rate > 0.0f) : (a < 0.0f) != (rate > 0.0f);
      if (reverse) rate = -rate;
    }
  }
  const float next = turretOffset + rate;
  const bool allowed = left == 0.0f || (left > 0.0f && -right <= next && next <= left) ||
                       (left < 0.0f && (next >= right + 180.0f || next <= -180.0f - left));
  if (!allowed) rate = 0.0f;
  if (rate != turretRate) {
    turretRate = rate;
    gUnitStateChanged = 1;
  }
}

void Vehicle::AimTurretAt(float px, float py) {
  float offset = HeadingDegrees(px - x, py - y) - facing;
  if (offset > 180.0f) offset -= 360.0f;
  if (offset <= -180.0f) offset += 360.0f;
  turretOffset = offset;
  gUnitStateChanged = 1;
}

void Vehicle::ReturnTurretToRest() {
  const float rest = TrueClass().TraverseLimit(0) < 0 ? 180.0f : 0.0f;
  if (turretOffset == rest && turretRate == 0.0f) return;
  const float step = GetTurretStep();
  if (std::fabs(turretOffset - rest) > step) {
    const bool negative = rest == 0.0f ? turretOffset > 0.0f : turretOffset < 0.0f;
    turretRate = negative ? -step : step;
  } else {
    turretOffset = rest;
    turretRate = 0.0f;
  }
  gUnitStateChanged = 1;
}

void Vehicle::AdvanceTurret() {
  turretOffset += turretRate;
  if (turretOffset > 180.0f) turretOffset -= 360.0f;
  if (turretOffset < -180.0f) turretOffset += 360.0f;
  const VehicleData record = TrueClass();
  const float left = static_cast<float>(record.TraverseLimit(0));
  const float right = static_cast<float>(record.TraverseLimit(1));
  if (left == 0.0f) return;
  float clamp = 0.0f;
  if (left > 0.0f) {
    if (turretOffset > left) {
      clamp = left;
    } else if (turretOffset < -right) {
      clamp = -right;
    }
  } else {
    if (turretOffset >= 0.0f && turretOffset < right + 180.0f) {
      clamp = right + 180.0f;
    } else if (turretOffset > -180.0f - left && turretOffset <= 0.0f) {
      clamp = -180.0f - left;
    }
  }
  if (clamp != 0.0f && clamp != turretOffset) {
    turretOffset = clamp;
    turretRate = 0.0f;
    gUnitStateChanged = 1;
  }
}

// ---- Bogging and close defence ----

void Vehicle::UpdateBogging() {
  if (bogged == 0 || immobilized != 0) return;
  if (!(RandomFloat() < 0.00055f)) return;
  if (Random(3) == 0) {
    immobilized = 1;
    NewSoundPacket(18);
    CancelMoveOrders();
  } else {
    bogged = 0;
  }
  gUnitStateChanged = 1;
}

bool Vehicle::IsCloseDefenceTarget(const Unit& candidate) const {
  return &candidate != this && candidate.alive != 0 && candidate.IsIdentified() && candidate.IsInfantry() &&
         !candidate.HasSurrendered() && IsEnemy(candidate) && DistanceTo(candidate) <= 25.0f;
}

void Vehicle::PostLauncherSound() { NewGunfireSoundPacket(4, 39, 0.0f); }

void Vehicle::FireCloseDefenceWeapon() {
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  Unit* found = nullptr;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count && found == nullptr; ++i) {
    auto* unit = UnitOfView(battle->GetUnit(i));
    if (unit != nullptr && IsCloseDefenceTarget(*unit)) found = unit;
  }
  if (found == nullptr) return;
  // The launcher is worked from inside: the hatches close first, when they can.
  bool closed = false;
  if (buttoned == 0 && CanToggleButtoned(closed)) ToggleButtoned();
  if (buttoned == 0) return;
  PostLauncherSound();
  UnitFirePacket packet;
  packet.slice = static_cast<int16_t>(battle->GetCurrentSlice());
  packet.x = x;
  packet.y = y;
  packet.z = GetBaseHeight();
  packet.targetUnit = found;
  packet.shooter = this;
  packet.blastValue = WeaponBlastValue(kCloseDefenceWeapon, 0);
  packet.originShown = IsIdentified() ? 1 : 0;
  packet.count = 80;
  packet.effectCode = 12;
  packet.speedFactor = 1.0f;
  // The bomb lands around the target but never on the vehicle itself.
  float ix = 0.0f;
  float iy = 0.0f;
  DrawCloseDefenceImpact(found->x, found->y, x, y, ix, iy);
  const Map* map = UnitBattleMap();
  const float iz = map != nullptr ? map->ElevationAt(ix, iy) : 0.0f;
  packet.landed = 1;
  packet.impactX = ix;
  packet.impactY = iy;
  packet.impactZ = iz;
  Shot shot;
  shot.shooter = this;
  shot.targetUnit = found;
  shot.dueSlice = battle->GetCurrentSlice() + 80;
  shot.side = side;
  shot.fireType = 4;
  shot.weapon = kCloseDefenceWeapon;
  shot.ammoKind = 0;
  shot.shooterX = x;
  shot.shooterY = y;
  shot.shooterZ = packet.z;
  shot.targetX = found->x;
  shot.targetY = found->y;
  shot.impactX = ix;
  shot.impactY = iy;
  shot.impactZ = iz;
  if (UnitServices* services = GetUnitServices()) {
    services->RecordFirePacket(packet);
    services->FileShot(shot);
  }
  NewExplosionPacket(80, kCloseDefenceWeapon, 0, ix, iy);
}

void Vehicle::DrawCloseDefenceImpact(float targetX, float targetY, float ownX, float ownY, float& outX, float& outY) {
  do {
    outX = targetX + RandomFloatTimes(20.0f) - 10.0f;
    outY = targetY + RandomFloatTimes(20.0f) - 10.0f;
  } while (std::fabs(outX - ownX) <= 4.0f && std::fabs(outY - ownY) <= 4.0f);
}
