// Who rides on a vehicle, which gun it fires, the class queries and the display of tracks
// and turret between slices.
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/DataFlags.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

int32_t TransportClassOf(const Unit* unit) {
  const InfantryServices* infantry = unit->AsInfantry();
  return infantry != nullptr ? infantry->GetClassData().ClassCode() : 0;
}

bool InSetupPhase() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr && battle->IsSetupPhase();
}

}  // namespace

float Vehicle::PassengerWeight(const Unit* unit) {
  if (unit == nullptr) return 0.0f;
  switch (TransportClassOf(unit)) {
    case 4: return 0.5f;
    case 5: return 1.0f;
    case 6: return 1.4f;
    case 7: return 1.5f;
    case 8: return 2.5f;
    case 9: return 5.0f;
    case 10: return 15.0f;
    default: return 0.0f;
  }
}

void Vehicle::AddPassenger(Unit* unit) {
  if (passengers[0] == nullptr) {
    passengers[0] = unit;
  } else if (passengers[1] == nullptr) {
    passengers[1] = unit;
  } else {
    FatalError(867, "Vehicle");
  }
  unit->stateChanged = InSetupPhase() ? 0 : 1;
}

void Vehicle::RemovePassenger(Unit* unit) {
  if (unit != nullptr && passengers[0] == unit) {
    passengers[0] = nullptr;
  } else if (unit != nullptr && passengers[1] == unit) {
    passengers[1] = nullptr;
  } else {
    FatalError(882, "Vehicle");
  }
  unit->stateChanged = 1;
}

bool Vehicle::CanCarry(const Unit* unit, bool boardNow, bool allowHeavy) const {
  if (alive == 0 || !CanMove() || unit == nullptr || !unit->IsInfantry() || unit->HasSurrendered()) return false;
  const VehicleData record = TrueClass();
  const int32_t t = TransportClassOf(unit);
  // The class's room is asked first, of an empty vehicle: the riders are only looked for
  // when it could take the unit at all.
  if (!ClassTakesRider(record, t, unit->GetMenPresent(), {nullptr, nullptr}, allowHeavy)) return false;
  std::array<const Unit*, 2> candidates{passengers[0], passengers[1]};
  // A rider asked again (placed anew in the set-up) does not crowd itself out.
  for (const Unit*& c : candidates) {
    if (c == unit) c = nullptr;
  }
  if (!boardNow) {
    // A rider with a move order is leaving; units on their way to board count instead.
    for (const Unit*& c : candidates) {
      if (c != nullptr && c->HasMoveOrder()) c = nullptr;
    }
    if (candidates[0] == nullptr || candidates[1] == nullptr) CollectBoardingUnits(unit, candidates);
  }
  if (!ClassTakesRider(record, t, unit->GetMenPresent(), candidates, allowHeavy)) return false;
  if (!boardNow) return true;
  return (waypointCount == 0 || commandDelay > 0.0f) && DistanceTo(*unit) <= 5.0f;
}

bool Vehicle::ClassTakesRider(const VehicleData& record, int32_t transportClass, int32_t men,
                              const std::array<const Unit*, 2>& riders, bool allowHeavy) {
  const int32_t capacity = record.TransportClass();
  if (capacity == 0) return false;
  const int32_t t = transportClass;
  if (t > capacity || (t > 8 && !allowHeavy)) return false;
  const int32_t places = record.PassengerPlaces();
  const int32_t taken = (riders[0] != nullptr ? 1 : 0) + (riders[1] != nullptr ? 1 : 0);
  if (men < 7) {
    if (places != 1 && places != 2) FatalError(824, "Vehicle");
    if (places == 1 && taken > 0) return false;
    if (places == 2) {
      if (taken == 2) return false;
      for (const Unit* c : riders) {
        if (c == nullptr) continue;
        if (men > 2 && c->GetMenPresent() > 6) return false;
        if (t > 3 && TransportClassOf(c) > 3) return false;
      }
    }
    return true;
  }
  if (places < 2 || taken == 2) return false;
  for (const Unit* c : riders) {
    if (c != nullptr && c->GetMenPresent() > 2) return false;
  }
  return true;
}

int32_t Vehicle::PassengerCapacityCode(const VehicleData& record) {
  // Any infantry class of the table at full strength, aboard the empty vehicle in the battle.
  int32_t code = 0;
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData infantry = gInfantryClasses[i];
    if (!ClassTakesRider(record, infantry.ClassCode(), infantry.Men(), {nullptr, nullptr}, false)) continue;
    if (infantry.IsSquad() != 0) return 2;
    code = 1;
  }
  return code;
}

void Vehicle::CollectBoardingUnits(const Unit* asking, std::array<const Unit*, 2>& candidates) const {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const auto* squad = dynamic_cast<const Infantry*>(UnitOfView(battle->GetUnit(i)));
    // The unit asking is not its own fellow passenger: a squad on its way would else refuse
    // itself when it arrives.
    if (squad == nullptr || squad == asking || squad->alive == 0 || squad->boardingTarget != this) continue;
    if (candidates[0] == nullptr) {
      candidates[0] = squad;
    } else if (candidates[1] == nullptr) {
      candidates[1] = squad;
    }
  }
}

void Vehicle::SyncPassengers() {
  for (Unit* rider : passengers) {
    if (auto* squad = dynamic_cast<Infantry*>(rider)) squad->SyncPositionWithLinkedUnit(false);
  }
}

// The heavy guns and launchers are put aboard in the set-up only.
bool Vehicle::ReactToUnit(Unit* other) {
  return other != nullptr && other->IsInfantry() && CanCarry(other, false, InSetupPhase());
}

int32_t Vehicle::GetOpenTopState(int32_t mode) const {
  const VehicleData record = GetClassData(mode);
  const int16_t a = record.TopArmour(0);
  const int16_t b = record.TopArmour(1);
  if (a > 0 && b > 0) return 0;
  if (a < 1 && b < 1) return 2;
  return 1;
}

bool Vehicle::IsArmored(bool flag) const { return IsArmoredIn(flag ? 1 : 0); }

int32_t Vehicle::QueryShotWeapon(int32_t& weapon, int32_t& type, int32_t mode, bool machineGunShot) const {
  if (!machineGunShot) {
    weapon = GetClassData(mode).MainWeapon();
    type = weapon == kNoWeapon ? 0 : gWeapons[weapon].Type();
    return 0;
  }
  const int32_t k = smallArmsInUse;
  if (k == kNoSmallArms || (k >= 0 && k < 29)) {
    weapon = kNoWeapon;
    type = 0;
    if (k >= 25) return 2;
    if (k >= 14 && k <= 24) return 1;
    return 0;
  }
  if (k >= 29 && k <= 31) {
    weapon = 58 + (k - 29);
    type = 6;
    return 0;
  }
  FatalError(1676, "Vehicle");
}

void Vehicle::QueryWeapon(int32_t selector, int32_t& weapon, int32_t& type) const {
  // A machine gun answers while it fires and while target choice scores it.
  QueryShotWeapon(weapon, type, selector, machineGunFiring != 0 || firingBytes[kMachineGunMode] != 0);
}

int32_t Vehicle::ChooseMainGun(const Unit* newTarget, bool flagA, bool flagB) const {
  if (!HasMainWeaponIn(0) || gunDestroyed != 0 || (newTarget == nullptr && areaFire == 0)) return 0;
  if (flagA || flagB) return 1;
  if (newTarget != nullptr && newTarget->IsVehicle() && newTarget->alive != 0) return 1;
  if (!CanFireAnyMG()) return 1;
  if (newTarget == nullptr || newTarget->alive != 0) return 0;
  // A dead target: the machine guns finish a soft vehicle, the main gun an armoured one.
  return newTarget->IsVehicle() && !newTarget->IsArmored(false) ? 0 : 1;
}

void Vehicle::SetTarget(Unit* newTarget, float px, float py, bool smoke, bool noOrdered) {
  Unit::SetTarget(newTarget, px, py, smoke, noOrdered);
  mainGunClearance = static_cast<uint8_t>(ChooseMainGun(target, smoke, noOrdered));
  turretHold = 0;
  if (mainGunClearance == 0) ResetAimTime();
  // The machine guns were chosen against a living target or an area although the main gun
  // could fire: in play (not while the computer gives orders or the action is computed) the
  // screen asks the player whether the main gun joins in.
  if (mainGunClearance != 0 || smoke || noOrdered || !HasMainWeaponIn(0) || gunDestroyed != 0) return;
  if ((target == nullptr && areaFire == 0) || (target != nullptr && target->alive == 0)) return;
  const MapBattleServices* battle = UnitBattle();
  if (battle != nullptr && battle->IsSetupPhase()) return;
  UnitOrderHost* host = GetUnitOrderHost();
  if (host != nullptr && !host->IsQuiet()) GetUnitScreen().AskVehicleQuestion(*this);
}

void Vehicle::RandomizeSliceCounter() { sliceCount = RollSpotting(); }

// Whether a gun can fire now (its crew, hatches and ammunition group), not merely whether the
// class mounts one: the guns are small-arms entries, where 33 and not 104 means none.
bool Vehicle::CanFireAnyMG(bool checkTarget) const { return AnyMGUsable(checkTarget); }

float Vehicle::GetStrengthValue() const {
  float size = 5.0f;
  if (IsArmoredIn(0)) size = HasMainWeaponIn(0) ? 20.0f : 10.0f;
  if (IsEmplacement()) size += 10.0f;
  return size;
}

namespace {

float VariedSeconds(float seconds, bool vary) { return vary ? seconds * (0.8f + RandomFloatTimes(0.4f)) : seconds; }

}  // namespace

float Vehicle::GetRateOfFireTime(int32_t mode, int32_t selector) const {
  const bool flag = selector != 0;
  const int32_t weapon = GetClassData(0).MainWeapon();
  const bool fresh = burst == 0 && !flag;
  float t = 0.0f;
  if (weapon != kNoWeapon && gWeapons.IsValid(weapon) && fresh && gWeapons[weapon].Type() == 4) {
    t = 6.0f;
  } else {
    t = fresh ? 4.5f : 2.5f;
  }
  return VariedSeconds(t, mode != 0);
}

float Vehicle::GetAimTime(int32_t mode, int32_t /*selector*/) const {
  const VehicleData record = GetClassData(0);
  const int32_t weapon = record.MainWeapon();
  if (weapon == kNoWeapon || !gWeapons.IsValid(weapon)) return 0.0f;
  int32_t r = GetRating();
  if ((record.Flags() & VehicleFlag::kSlowRateOfFire) != 0) r -= 3;
  if ((record.Flags() & VehicleFlag::kCheaper) != 0) r -= 1;
  const WeaponData w = gWeapons[weapon];
  float t = AimTime(weapon, w.Type(), w.Mass(0), static_cast<float>(r));
  // An open fighting compartment lays its gun a little faster.
  if (record.TopArmour(0) == 0) t *= 0.9f;
  return VariedSeconds(t, mode != 0);
}

int32_t Vehicle::RollSpotting() const {
  const int32_t r = GetRating();
  const int32_t n = r < 3 ? 2 * r : r + 2;
  int32_t roll = static_cast<int16_t>(Random(n * 40 + 1));
  if (buttoned != 0 && !IsEmplacement()) roll -= 240;
  return roll;
}

void Vehicle::ToggleDugIn() {
  if (!IsArmoredIn(0) || !HasHeavyWeapon(false)) FatalError(528, "Vehicle");
  emplaced = emplaced != 0 ? 0 : 1;
  if (emplaced == 0) return;
  // The riders dismount where they are.
  passengers = {nullptr, nullptr};
}

bool Vehicle::HasHeavyWeapon(bool withIndirect) const {
  const int32_t weapon = TrueClass().MainWeapon();
  if (weapon == kNoWeapon) return false;
  const int32_t c = gWeapons[weapon].Type();
  return c == 2 || c == 3 || (withIndirect && c == 4);
}

int32_t Vehicle::GetInfantryRoleCode() const {
  if (IsEmplacement() || !CanMove()) return 0;
  return HasMainWeapon() || CanFireAnyMG(false) ? 4 : 0;
}

float Vehicle::WrapTurretAngle(float angle) {
  float a = std::fmod(angle, 360.0f);
  if (a > 180.0f) a -= 360.0f;
  if (a < -180.0f) a += 360.0f;
  return a;
}

void Vehicle::AdvanceTurret(int32_t elapsedSlices) {
  if (alive == 0 || elapsedSlices <= 0) return;
  turretOffset = WrapTurretAngle(turretOffset + static_cast<float>(elapsedSlices) * turretRate);
}

void Vehicle::AdvanceTracks(float scale) {
  float left = speed;
  float right = speed;
  if (turnRate != 0.0f && TrueClass().KindCode() == VehicleData::kKindTracked) {
    left = speed - 0.22f * turnRate;
    right = speed + 0.22f * turnRate;
    // A track may not run against the hull's direction of travel; at rest both run free.
    if (speed > 0.0f) {
      if (left < 0.0f) left = 0.0f;
      if (right < 0.0f) right = 0.0f;
    } else if (speed < 0.0f) {
      if (left > 0.0f) left = 0.0f;
      if (right > 0.0f) right = 0.0f;
    }
  }
  trackSpeeds[0] = left * 0.44f * scale;
  trackSpeeds[1] = right * 0.44f * scale;
  for (int32_t i = 1; i >= 0; --i) {
    float& phase = trackPhases[static_cast<size_t>(i)];
    phase = std::fmod(phase + trackSpeeds[static_cast<size_t>(i)], 100.0f);
  }
}

void Vehicle::WriteStateExtras(UnitStatePacket& packet) const {
  packet.extraUnits = passengers;
  packet.sightBlocking = burning != 0 ? 1 : 0;
  packet.gunDestroyed = gunDestroyed != 0 ? 1 : 0;
  packet.turretAngle = turretOffset;
  packet.turretRate = turretRate;
  packet.vehicleFlags = static_cast<uint8_t>((bogged != 0 ? 1 : 0) | (buttoned != 0 ? 2 : 0) |
                                             (gunCrewStunTimer != 0.0f || driverStunTimer != 0.0f ? 4 : 0));
  packet.machineGunGroups = machineGunAmmo;
}

void Vehicle::ReadStateExtras(const UnitStatePacket& packet) {
  for (size_t i = 0; i < passengers.size(); ++i) {
    Unit* rider = packet.extraUnits[i];
    passengers[i] = rider != nullptr && rider->IsInfantry() ? rider : nullptr;
  }
  burning = packet.sightBlocking != 0 ? 1 : 0;
  gunDestroyed = packet.gunDestroyed != 0 ? 1 : 0;
  if (std::isfinite(packet.turretAngle)) turretOffset = WrapTurretAngle(packet.turretAngle);
  if (std::isfinite(packet.turretRate)) turretRate = packet.turretRate;
  bogged = (packet.vehicleFlags & 1) != 0 ? 1 : 0;
  buttoned = (packet.vehicleFlags & 2) != 0 ? 1 : 0;
  stateFlag6 = (packet.vehicleFlags & 4) != 0 ? 1 : 0;
  machineGunAmmo = packet.machineGunGroups;
  recordedTurret = turretOffset;
}

void Vehicle::AdvanceBy(int32_t slice, int32_t now) {
  const int32_t elapsed = now - sliceCounter;
  if (slice == now) AdvanceTurret(elapsed);
  Unit::AdvanceBy(slice, now);
  if (slice != now) return;
  for (int32_t i = 1; i >= 0; --i) {
    if (auto* rider = dynamic_cast<Infantry*>(passengers[static_cast<size_t>(i)])) rider->SyncPositionWithLinkedUnit(false);
  }
  if (alive != 0 && elapsed > 0) AdvanceTracks(static_cast<float>(elapsed));
}

void Vehicle::RestoreRecordedState() {
  if (!recordedDisplay.valid) return;
  Unit::RestoreRecordedState();
  turretOffset = recordedTurret;
}
