// A squad splitting into two halves and the halves rejoining.
#include <algorithm>
#include <cmath>
#include <memory>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/records/KillRecord.h"

namespace {

// Terrain on whose upper floor a split-off half may stand.
bool IsDirtRoadInTreesTerrain(int32_t code) { return code == 33 || code == 34; }

}  // namespace

Infantry* Infantry::Split() {
  if (!CanSplit()) FatalError(4592, kInfantryFile);
  auto half = std::make_unique<Infantry>();
  *half = *this;
  half->killRecord = KillRecord();
  half->leaderName = static_cast<int16_t>(secondLeaderName);
  half->secondLeaderName = 0;
  half->linkedHalf = this;
  linkedHalf = half.get();
  splitFlag = 1;
  half->splitFlag = 0;

  // Three metres off on each axis, then jostled until the spot will do.
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  half->x += Random(2) == 0 ? 3.0f : -3.0f;
  half->y += Random(2) == 0 ? 3.0f : -3.0f;
  auto fits = [&] {
    return half->CanStandAt(half->x, half->y, true) && map != nullptr && map->IsOnMap(half->x, half->y) &&
           (half->level <= 0.0f || IsDirtRoadInTreesTerrain(half->GetTerrainHere()));
  };
  for (int32_t tries = 1; tries < 300 && !fits(); ++tries) {
    if (tries % 20 == 0) {
      half->x = x;
      half->y = y;
    }
    half->x += RandomFloatTimes(2.0f) - 1.0f;
    half->y += RandomFloatTimes(2.0f) - 1.0f;
  }
  if (!half->CanStandAt(half->x, half->y, true)) {
    half->x = x;
    half->y = y;
  }
  if (half->level > 0.0f && !IsDirtRoadInTreesTerrain(half->GetTerrainHere())) half->level = 0.0f;

  half->hidden = 0;
  half->hiddenSecond = 0;
  half->positionErrorX = static_cast<int8_t>(std::lround(positionErrorX + RandomFloatTimes(20.0f) - 10.0f));
  half->positionErrorY = static_cast<int8_t>(std::lround(positionErrorY + RandomFloatTimes(20.0f) - 10.0f));
  half->waypointCount = 0;

  // Odd slot counts give the extra man to each half in turn, this squad first.
  bool parentFirst = true;
  for (size_t s = 0; s < menInSlot.size(); ++s) {
    const int32_t m = menInSlot[s];
    int32_t given = m / 2;
    if (m % 2 != 0) {
      if (!parentFirst) ++given;
      parentFirst = !parentFirst;
    }
    half->menInSlot[s] = static_cast<uint8_t>(given);
    menInSlot[s] = static_cast<uint8_t>(m - given);
  }
  const int32_t present = GetMenPresent();
  losses += present / 2;
  half->losses += present / 2 + present % 2;
  if (antitankCount > 0) {
    half->antitankCount = static_cast<uint8_t>(antitankCount / 2);
    antitankCount = static_cast<uint8_t>(antitankCount - half->antitankCount);
  }
  if (chargeCount > 0) {
    half->chargeCount = static_cast<uint8_t>(chargeCount / 2);
    chargeCount = static_cast<uint8_t>(chargeCount - half->chargeCount);
  }
  stateChanged = 1;
  half->stateChanged = 1;
  // The battle owns the half once it takes it; otherwise the caller does.
  Infantry* made = half.release();
  UnitServices* services = GetUnitServices();
  if (services != nullptr) services->InsertUnitAfter(made, this);
  return made;
}

void Infantry::RedirectReferencesToHalf(Unit& unit, const Unit& from, Unit& to) {
  for (Unit** reference : {&unit.target, &unit.ordersPhaseTarget, &unit.orderedTarget}) {
    if (*reference == &from) {
      *reference = &to;
      unit.stateChanged = 1;
    }
  }
  VehicleServices* vehicle = unit.AsVehicle();
  if (vehicle != nullptr && (vehicle->GetPassenger(0) == &from || vehicle->GetPassenger(1) == &from)) {
    vehicle->RemovePassenger(const_cast<Unit*>(&from));
  }
}

void Infantry::Rejoin() {
  Infantry* o = linkedHalf != nullptr ? dynamic_cast<Infantry*>(linkedHalf) : nullptr;
  if (o == nullptr) FatalError(4702, kInfantryFile);
  MapBattleServices* battle = UnitBattle();
  if (battle != nullptr) {
    const int32_t count = battle->GetUnitCount();
    for (int32_t i = 0; i < count; ++i) {
      Unit* u = UnitOfView(battle->GetUnit(i));
      if (u != nullptr) RedirectReferencesToHalf(*u, *o, *this);
    }
  }
  const int32_t own = GetMenPresent();
  const int32_t other = o->GetMenPresent();
  const float f = own + other > 0 ? static_cast<float>(own) / static_cast<float>(own + other) : 1.0f;
  const float g = 1.0f - f;
  losses = losses + o->losses - Data().Men();
  ammo[0] = static_cast<uint16_t>(std::lround(static_cast<float>(ammo[0]) * f + static_cast<float>(o->ammo[0]) * g));
  if (fanaticState == 1 || o->fanaticState == 1) {
    fanaticState = 1;
  } else if (fanaticState == 0 || o->fanaticState == 0) {
    fanaticState = 0;
  }
  SetSuppression(f * suppression + g * o->suppression, false);
  identificationLevel = std::max(identificationLevel, o->identificationLevel);
  if (hidden == 0 && o->hidden != 0) {
    lastSeenX = o->lastSeenX;
    lastSeenY = o->lastSeenY;
    positionErrorX = o->positionErrorX;
    positionErrorY = o->positionErrorY;
  }
  const bool firstHidden = hidden != 0 || o->hidden != 0;
  const bool secondHidden = (hiddenSecond != 0 || o->hiddenSecond != 0) && !firstHidden;
  hidden = firstHidden ? 1 : 0;
  hiddenSecond = secondHidden ? 1 : 0;
  lastMovingSlice = std::min(lastMovingSlice, o->lastMovingSlice);
  fatigue = f * fatigue + g * o->fatigue;
  fatigueLevel = FatigueLevelOf(fatigue);
  antitankCount = static_cast<uint8_t>(std::min(antitankCount + o->antitankCount, 3));
  chargeCount = static_cast<uint8_t>(std::min(chargeCount + o->chargeCount, 3));
  killRecord.Merge(o->killRecord);
  int32_t total = 0;
  for (size_t s = 0; s < menInSlot.size(); ++s) {
    menInSlot[s] = static_cast<uint8_t>(menInSlot[s] + o->menInSlot[s]);
    total += menInSlot[s];
  }
  const int32_t present = GetMenPresent();
  for (size_t s = 0; s < menInSlot.size() && present < total;) {
    if (menInSlot[s] > 0) {
      --menInSlot[s];
      --total;
    } else {
      ++s;
    }
  }
  UnitServices* services = GetUnitServices();
  if (services != nullptr) services->ReplaceInAIGroups(o->GetSideIndex(), o, this);
  linkedHalf = nullptr;
  stateChanged = 1;
}

bool Infantry::RejoinLinkedHalf() {
  if (linkedHalf == nullptr || dynamic_cast<Infantry*>(linkedHalf) == nullptr) return false;
  Rejoin();
  return true;
}
