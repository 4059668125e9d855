#include "game/units/Unit.h"

#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/DataFlags.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitCellSearch.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/fire/WeaponFormulas.h"

// Operations whose base bodies belong to other parts of the unit code stop here until those
// land; each stops with this file's name and its own line. (The view and identification,
// sight queries, slice step, suppression and spotting slots 31, 60, 63, 64, 65, 68, 87, 108,
// 109, 127 and 143 are in UnitView.cpp, UnitSight.cpp and UnitAction.cpp; the orders, turn
// start and route slots 30, 35, 37, 57, 67, 90, 91 and 138 in UnitOrders.cpp and
// UnitRoutes.cpp; slot 36, targets, in UnitTargets.cpp; the resupply and set-up zone slots 20
// and 27 in UnitPlacement.cpp; leaving the battlefield and the operation slots 15, 18, 21 and
// 112 in UnitSeams.cpp.) Who replaces which:
//   appearance: slots 5, 132
//   unit markers: slot 126
//   the computer player: slots 120 and 122 (through UnitCellSearch)


Unit::Unit() {
  // Constructed empty: no texture is freed here.
  ReleaseTextures(false);
  activityCodes = {2, 2, 2};
  for (auto& extras : activityExtras) extras = {0, 0, 0};
  firingBytes[kCreationMark] = 1;
}

Unit::Unit(const Unit& other) : GBoundingBox(other), MapUnitView(other) { *this = other; }

Unit::~Unit() {
  ReleaseAppearance();
  SafeDelete(customName);
}

Unit& Unit::operator=(const Unit& other) {
  if (this == &other) return *this;
  GBoundingBox::operator=(other);
  target = other.target;
  ordersPhaseTarget = other.ordersPhaseTarget;
  orderedTarget = other.orderedTarget;
  targetId = other.targetId;
  orderedTargetId = other.orderedTargetId;
  ordersPhaseTargetId = other.ordersPhaseTargetId;
  referenceKeys = other.referenceKeys;
  exchangeIndex = other.exchangeIndex;
  x = other.x;
  y = other.y;
  facing = other.facing;
  gunElevation = other.gunElevation;
  goalGunElevation = other.goalGunElevation;
  nextActionSlice = other.nextActionSlice;
  level = other.level;
  losses = other.losses;
  lossesCountedByMorale = other.lossesCountedByMorale;
  suppression = other.suppression;
  alive = other.alive;
  immobilized = other.immobilized;
  knockedOut = other.knockedOut;
  stateChanged = other.stateChanged;
  boxSelection = other.boxSelection;
  areaFire = other.areaFire;
  flagBytes = other.flagBytes;
  countsForPoints = other.countsForPoints;
  ratingAdjustment = other.ratingAdjustment;
  ammo = other.ammo;
  sliceCounter = other.sliceCounter;
  pendingDelaySteps = other.pendingDelaySteps;
  commandDelay = other.commandDelay;
  sliceCount = other.sliceCount;
  identificationLevel = other.identificationLevel;
  hidden = other.hidden;
  hiddenSecond = other.hiddenSecond;
  lastSeenX = other.lastSeenX;
  lastSeenY = other.lastSeenY;
  positionErrorX = other.positionErrorX;
  positionErrorY = other.positionErrorY;
  burst = other.burst;
  lastMovingSlice = other.lastMovingSlice;
  setupZone = other.setupZone;
  leaderName = other.leaderName;
  incomingFire = other.incomingFire;
  // The copy owns its own name.
  if (other.customName != nullptr) {
    CustomName() = *other.customName;
  } else {
    SafeDelete(customName);
  }
  status = other.status;
  noAppearanceReset = other.noAppearanceReset;
  withdraw = other.withdraw;
  fanaticState = other.fanaticState;
  fatigue = other.fatigue;
  aimTime = other.aimTime;
  rating = other.rating;
  killRecord = other.killRecord;  // its own list
  kind = other.kind;
  // New handles on the same bitmaps.
  ReleaseTextures(true);
  for (int32_t set = 0; set < kTextureSets; ++set) {
    for (int32_t i = 0; i < kTexturesPerSet; ++i) {
      const GGraphic* source = other.textures[set][i];
      if (source == nullptr) continue;
      auto* handle = new GGraphic();
      if (handle->Load(source->GetKind(), source->GetNumber(), 0, true)) {
        textures[set][i] = handle;
      } else {
        delete handle;
      }
    }
  }
  appearanceVariants = other.appearanceVariants;
  nationalityCode = other.nationalityCode;
  fatigueLevel = other.fatigueLevel;
  ammoKind = other.ammoKind;
  side = other.side;
  movementFlag = other.movementFlag;
  routeTries = other.routeTries;
  routeStamp = other.routeStamp;
  shotCounter = other.shotCounter;
  targetX = other.targetX;
  targetY = other.targetY;
  ordersPhaseTargetX = other.ordersPhaseTargetX;
  ordersPhaseTargetY = other.ordersPhaseTargetY;
  waypointCount = other.waypointCount;
  for (int32_t i = 0; i < kWaypointEntries; ++i) {
    waypoints[i] = other.waypoints[i];
    orderedWaypoints[i] = other.orderedWaypoints[i];
  }
  classIndex = other.classIndex;
  activityCodes = other.activityCodes;
  activityExtras = other.activityExtras;
  designation = other.designation;
  speed = other.speed;
  turnRate = other.turnRate;
  firingTimer = other.firingTimer;
  reloadState = other.reloadState;
  spottingValue = other.spottingValue;
  countdown = other.countdown;
  firingBytes = other.firingBytes;
  return *this;
}

void Unit::ClearMovementAndFire() {
  waypointCount = 0;
  target = nullptr;
  orderedTarget = nullptr;
  areaFire = 0;
  speed = 0.0f;
  turnRate = 0.0f;
  reloadState = 0.0f;
  countdown = 0;
  burst = 0;
  spottingValue = 0;
  firingBytes[kSpottingPasses] = 0;
  pendingDelaySteps = 0;
  commandDelay = 0.0f;
  suppression = 0.0f;
  shotCounter = 0;
  flagBytes[kSmokeFireFlag] = 0;
  hidden = 0;
  hiddenSecond = 0;
  aimTime = 0.0f;
}

void Unit::Setup(float px, float py, float newFacing, int32_t code, int32_t newRating) {
  x = px;
  y = py;
  facing = newFacing;
  nationalityCode = code;
  rating = newRating;
  side = GetKindGroup() == 0 ? 1 : 0;
  alive = 1;
  countsForPoints = 1;
  status = 0;
  fatigueLevel = 0;
  fatigue = 0.0f;
  ClearMovementAndFire();
  level = 0.0f;
  immobilized = 0;
  losses = 0;
  flagBytes[kHoldFlag] = 0;
  identificationLevel = 0;
  ammoKind = 0;
  VehicleServices* vehicle = AsVehicle();
  ComputeDefaultAmmo(ammo.data(), vehicle != nullptr ? vehicle->GetSecondAmmo() : nullptr, GetAmmoMixRow());
  if (noAppearanceReset == 0) {
    ResetAimTime();
    RandomizeSliceCounter();
    UpdateAnimation();
  }
}

// ---- Base bodies, in slot order ----

// Slots 2 and 3, the stored form, are in UnitFile.cpp; slots 8, 13, 19, 71 and 72, the
// reference remapping, in UnitReferences.cpp.
// Slot 5 is in UnitAppearance.cpp.
void Unit::ReleaseAppearance() { ReleaseTextures(true); }

void Unit::ComputeDefaultAmmo(uint16_t* counts, uint16_t* second, int32_t row) {
  (void)second;  // the vehicle's override fills its second array
  int32_t weapon = WeaponData::kNone;
  int32_t load = 0;
  if (const InfantryServices* infantry = AsInfantry()) {
    weapon = infantry->GetClassData().MainWeapon();
    load = infantry->GetClassData().AmmoLoad();
  } else if (const VehicleServices* vehicle = AsVehicle()) {
    weapon = vehicle->GetClassData(0).MainWeapon();
    load = vehicle->GetClassData(0).AmmoLoad();
  }
  if (weapon == WeaponData::kNone || HasMainWeaponOfType5()) {
    for (int32_t k = 1; k < kAmmoKinds; ++k) counts[k] = 0;
    counts[0] = static_cast<uint16_t>(load);
    return;
  }
  if (row < 0 || row >= WeaponData::kMixRows) FatalError(__LINE__, "Unit.cpp");
  const WeaponData record = gWeapons[weapon];
  const bool hollow = record.ShotType() == WeaponData::kShotHollowCharge;
  const auto roundShare = [load](int32_t percent) {
    return static_cast<int32_t>(static_cast<float>(load) * static_cast<float>(percent) * 0.01f + 0.5f);
  };
  int32_t p1 = record.MixPercent(row, 0);
  if (p1 > 0 && p1 < 100) p1 = std::clamp(p1 + Random(21) - 10, 1, 99);
  if (p1 < 100 && hollow) {
    const int32_t cap = 50 + Random(11);
    if (roundShare(p1) > cap && load > 0) p1 = cap * 100 / load;
  }
  const int32_t c1 = roundShare(p1);
  if (c1 > 255) FatalError(__LINE__, "Unit.cpp");
  int32_t kinds[kAmmoKinds] = {0, 0, 0, 0, 0};
  if (hollow) {
    kinds[3] = c1;
  } else {
    kinds[1] = c1;
  }
  int32_t p4 = record.MixPercent(row, 1);
  if (p4 > 0 && p4 < 100) p4 = std::clamp(p4 + Random(11) - 5, 1, 99);
  kinds[4] = roundShare(p4);
  if (kinds[4] > 255) FatalError(__LINE__, "Unit.cpp");
  const int32_t availability = AdjustCountForDate(record.MixCount(row), side == 1, GetKindGroup() == 1 ? 1 : 0, UnitGameDate());
  int32_t special = 0;
  switch (availability) {
    case 1: special = Random(8) - 5; break;
    case 2: special = Random(6) - 2; break;
    case 3: special = Random(8) - 1; break;
    case 4: special = Random(9); break;
    default: break;
  }
  special = std::clamp(special, 0, std::max(kinds[1], 0));
  kinds[2] = special;
  kinds[1] -= special;
  const int32_t rest = kinds[1] + kinds[2] + kinds[3] + kinds[4];
  if (rest > 255) FatalError(__LINE__, "Unit.cpp");
  kinds[0] = load - rest;
  if (kinds[0] > 255) FatalError(__LINE__, "Unit.cpp");
  if ((record.Flags() & WeaponFlag::kDateRule) != 0 && UnitGameDate() < 4409) {
    kinds[1] += kinds[0];
    kinds[0] = 0;
  }
  for (int32_t k = 0; k < kAmmoKinds; ++k) counts[k] = static_cast<uint16_t>(kinds[k]);
}

void Unit::DrawStatusLabel() {}
int32_t Unit::GetMoveClass() const { return 0; }
bool Unit::IsCrewServed() const { return true; }
bool Unit::IsDestroyedInPlace() const { return false; }
void Unit::StampFootprint() {}
void Unit::SetPosition(float newX, float newY) {
  x = newX;
  y = newY;
}
void Unit::CountLosses() {}
int32_t Unit::GetAmmoMixRow() const { return 0; }
int32_t Unit::GetPurchaseCode() const { return 5; }
void Unit::ApplyTimedAction() {}
bool Unit::HasAnyAmmo() const {
  if (alive == 0) return false;
  for (uint16_t count : ammo) {
    if (count != 0) return true;
  }
  return false;
}
float Unit::GetStrengthValue() const { return 0.0f; }
void Unit::AssignDesignation() { designation = gDesignationCounter++; }
int32_t Unit::GetEffectiveRating(int32_t) const { return rating; }
bool Unit::IsActive() const { return alive != 0 && status == 0; }
bool Unit::CanMove() const { return immobilized == 0; }
bool Unit::CanMoveNow() { return CanMove(); }
bool Unit::IsRegularUnit() const { return true; }
void Unit::ApplyShock(int32_t) {}
int32_t Unit::GetSpeedClass() const { return CanMove() ? 4 : 0; }
bool Unit::CanBeSelected() const { return true; }
int32_t Unit::GetMenPresent() const { return 0; }
int32_t Unit::GetPortraitIndex() const { return 0; }
bool Unit::IsArmored(bool) const { return false; }
bool Unit::IsPassenger(bool) const { return false; }
bool Unit::IsLinked() const { return true; }
void Unit::UpdateLink() {}
void Unit::FollowLink() {}
bool Unit::HasSurrendered() const { return false; }
bool Unit::HasBeenCaptured() const { return false; }
void Unit::NotifyChanged() {}
bool Unit::CanChangePosture() const { return false; }
bool Unit::CanUseSmallArmsAt(const Unit*) const { return false; }
void Unit::InsertWaypoint(int32_t, float, float) {}
int32_t Unit::GetBattleLosses() const { return 0; }
bool Unit::HasNonGunWeapon() const { return false; }
float Unit::GetWeaponFacing() const { return facing; }

float Unit::GetBaseHeight() const {
  MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) FatalError(__LINE__, "Unit.cpp");
  float height = map->ElevationAt(x, y, mapMemo);
  if (level < 0.0f) {
    const int32_t type = map->TerrainTypeAt(x, y, mapMemo);
    if (type == 36 || type == 37) height -= 6.0f * map->size.heightScale;
    if (type == 38 || type == 39) height -= 12.0f * map->size.heightScale;
  }
  return height;
}

bool Unit::CanSeePoint(float, float) const { return false; }
bool Unit::CanEngagePoint(float, float, int32_t) const { return false; }
float Unit::GetAimFactor() const { return 1.0f; }
void Unit::QueryWeapon(int32_t, int32_t& weapon, int32_t& type) const {
  weapon = WeaponData::kNone;
  type = 0;
}
bool Unit::HasMainWeaponOfType5() const { return false; }
bool Unit::HasWeapon92() const { return false; }
bool Unit::ReactToUnit(Unit*) { return false; }

int32_t Unit::ChooseAmmo(const Unit* targetUnit) const {
  if (targetUnit != nullptr && targetUnit->IsArmored()) {
    const VehicleServices* vehicle = targetUnit->IsVehicle() ? targetUnit->AsVehicle() : nullptr;
    if (vehicle == nullptr || !vehicle->IsEmplacement()) {
      for (int32_t k : {2, 1, 3}) {
        if (ammo[k] != 0) return k;
      }
    }
  }
  if (ammo[0] != 0) return 0;
  if (ammo[3] != 0) return 3;
  if (ammo[1] != 0 && areaFire == 0) return 1;
  return kNoAmmo;
}

bool Unit::CanToggleButtoned(bool& flag) const {
  flag = false;
  return false;
}
void Unit::ReactToSuppressionBand(int32_t) {}
// A unit with no weapons of its own does no harm; the kinds give their own firepower.
float Unit::FirepowerAt(float, int32_t) { return 0.0f; }

void Unit::AdjustHitChances(const Unit&, float&, float&) const {}

void Unit::AdjustChancesOfBeingHit(const Unit&, float&, float&) const {}
void Unit::GetRangeBounds(int32_t, float, float& low, float& high) const {
  low = 0.0f;
  high = -1.0f;
}
bool Unit::HasMainWeaponOfType123() const { return false; }
bool Unit::HasMainWeapon() const { return false; }
bool Unit::IsOutOfMainAmmo() const { return false; }
bool Unit::IsNearLinkedPoint(float, float) const { return false; }
int32_t Unit::GetFastestMoveCode() const {
  return GetSpeedClass() == 4 && fatigueLevel < 3 ? kOrderRun : kOrderFastMove;
}
void Unit::StepIdle() {}
void Unit::UpdateSlice(int32_t) {}
void Unit::ReactToDanger() {}
bool Unit::HasMainWeaponOfType23(bool) const { return false; }
// Slots 93 and 94, the state packets, are in UnitStatePackets.cpp.
void Unit::DropBurstIfIdle() {}
bool Unit::IsHoldingPosition() const { return flagBytes[kHoldFlag] != 0; }
bool Unit::IsPointInFireArc(float, float) const { return true; }

void Unit::Eliminate() {
  if (alive == 0) return;
  alive = 0;
  target = nullptr;
  areaFire = 0;
  waypointCount = 0;
  stateChanged = 1;
  hidden = 0;
  hiddenSecond = 0;
  goalGunElevation = gunElevation;
  if (identificationLevel == 1) identificationLevel = 0;
  losses = GetFullStrength();
}

bool Unit::IsAtRest() const { return true; }
void Unit::OnTimedAction() {}

bool Unit::WantsToFire() const {
  if (flagBytes[kHoldFlag] != 0) return false;
  if (HasSurrendered()) return false;
  if (HasMainWeaponOfType5() && areaFire != 0) return false;
  if (waypointCount > 0 && WaypointAt(waypointCount - 1).flags != 0) return false;
  return true;
}

float Unit::GetPurchaseCost() const { return 0.0f; }
bool Unit::CanSplit() const { return false; }
void Unit::AssessHit(int32_t, Unit*, bool, float, bool, float*, float*, float*, int32_t& count, float) { count = 0; }
float Unit::VisibilityTo(const Unit*) const { return 0.0f; }
void Unit::SyncPassengers() {}
void Unit::CheckLeaveMap() {}
void Unit::UpdateDamageEffects() {}
void Unit::UpdateFatigue() {}
void Unit::Halt() {
  if (speed != 0.0f) stateChanged = 1;
  speed = 0.0f;
}
bool Unit::CanFireMainWeapon(bool) const { return false; }
bool Unit::IsWaitingForLink() const { return false; }
void Unit::UpdateAnimation() {}
void Unit::WithdrawIfIdle(bool) {}

int32_t Unit::GetInfantryRoleCode() const {
  if (!IsInfantry() || HasMainWeaponOfType23(false) || !CanMove()) return 0;
  if (HasMainWeaponOfType23(true)) return UnitCellSearch::PlanDefends() ? 0 : 1;
  if (CanFireMainWeapon(false)) return 2;
  if (HasMainWeaponOfType5()) return 4;
  return 3;
}

bool Unit::IsMainWeaponUsable() const { return false; }
bool Unit::FindUnitNearPoint(float, float, float, Unit**) { return false; }
bool Unit::RatePosition(float, float) { return false; }
// Slot 126 is in UnitMarkers.cpp.
void Unit::OrientToGround() {}
float Unit::GetHullTilt() const { return 0.0f; }

void Unit::RandomizeSliceCounter() {
  const int32_t r = GetRating();
  const int32_t m = r <= 2 ? 2 * r : r + 2;
  sliceCount = Random(40 * m + 1);
}

void Unit::GetActivityCodes(int32_t& first, int32_t& second, int32_t& count) const {
  first = 0;
  second = 1;
  count = 2;
}
// Slot 132 is in UnitAppearance.cpp.
float Unit::GetTurnStep() const { return 0.0f; }
void Unit::WriteStateExtras(UnitStatePacket&) const {}
void Unit::ReadStateExtras(const UnitStatePacket&) {}
void Unit::SetMovingActivity() { SetActivity(speed == 0.0f ? 3 : 4); }
void Unit::Embark(Unit*) {}
void Unit::MoveAlongWaypoints() {}
float Unit::GetRateOfFireTime(int32_t, int32_t) const { return 0.1f; }
float Unit::GetAimTime(int32_t, int32_t) const { return 0.1f; }
float Unit::GetTerrainMobility() const { return 0.0f; }
float Unit::GetFireFactor(float) const { return 1.0f; }
