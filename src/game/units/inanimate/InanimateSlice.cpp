// The inanimate object in the action phase: the slice step, the minefield's mine test, the
// ambush marker's watch and the spotting of obstacles.
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr int32_t kFogOfWarOption = 10;
// A unit sets a minefield off only within this of its centre on both axes.
constexpr float kMineReach = 10.0f;
constexpr float kAmbushReach = 30.0f;

bool IsMinefield(int32_t objectKind) {
  return objectKind == Inanimate::kPersonnelMines || objectKind == Inanimate::kTankMines ||
         objectKind == Inanimate::kMineChain;
}

}  // namespace

void Inanimate::StepSlice(int32_t) {
  gUnitStateChanged = stateChanged;
  stateChanged = 0;
  if (IsMinefield(classIndex) && alive != 0) {
    const MapBattleServices* battle = UnitBattle();
    if (battle != nullptr && battle->GetCurrentSlice() % kMineTestSlices == 0) {
      const int32_t count = battle->GetUnitCount();
      for (int32_t i = 0; i < count; ++i) {
        MapUnitView* view = battle->GetUnit(i);
        // The 10 m box first: most units of the battle are far away.
        if (view == nullptr || std::fabs(view->GetX() - x) > kMineReach || std::fabs(view->GetY() - y) > kMineReach) {
          continue;
        }
        if (Unit* unit = dynamic_cast<Unit*>(view)) TestMine(*unit);
      }
    }
  }
  UpdateSlice(sliceCounter);
  UpdateSpotting();
  if (gUnitStateChanged != 0) MakeStatePacket();
  gUnitStateChanged = 0;
  sliceCounter += 1;
}

float Inanimate::MineChance(const Unit& victim) const {
  if (victim.alive == 0 || !victim.IsMoving() || victim.HasSurrendered() || victim.IsInanimate() ||
      victim.IsAirplane()) {
    return 0.0f;
  }
  if (std::fabs(victim.x - x) > kMineReach || std::fabs(victim.y - y) > kMineReach) return 0.0f;
  float p = 0.0f;
  if (classIndex == kPersonnelMines) {
    if (!victim.IsInfantry()) return 0.0f;
    const float v = victim.speed;
    float e = v - 0.02348325f;
    if (e < 0.0f) e = 0.0f;
    p = (v + e) * 0.5f * 0.16f * std::sqrt(static_cast<float>(victim.GetMenPresent())) * (1.0f / 3.0f);
  } else {
    if (classIndex != kTankMines && classIndex != kMineChain) FatalError(234, kInanimateFile);
    if (!victim.IsVehicle()) return 0.0f;
    p = std::fabs(victim.speed) * 0.05f;
    if (classIndex == kMineChain) {
      const VehicleServices* vehicle = victim.AsVehicle();
      const bool buttoned = vehicle != nullptr && vehicle->IsButtoned();
      if (!buttoned && victim.speed >= 0.0f && victim.waypointCount > 0 && victim.WaypointAt(0).moveMode == 1) {
        p *= 0.1f;
      }
    }
  }
  p *= 4.0f;
  if (identificationLevel > 0) p *= 0.5f;
  return p;
}

bool Inanimate::TestMine(Unit& victim) {
  if (victim.alive == 0 || !victim.IsMoving() || victim.HasSurrendered() || victim.IsInanimate() ||
      victim.IsAirplane()) {
    return false;
  }
  if (std::fabs(victim.x - x) > kMineReach || std::fabs(victim.y - y) > kMineReach) return false;
  if (classIndex == kPersonnelMines ? !victim.IsInfantry() : !victim.IsVehicle()) return false;
  const float p = MineChance(victim);
  if (!(RandomFloat() < p)) return false;

  const bool personnel = classIndex == kPersonnelMines;
  const bool identified = identificationLevel > 0;
  UnitFirePacket packet;
  const MapBattleServices* battle = UnitBattle();
  packet.slice = static_cast<int16_t>(battle != nullptr ? battle->GetCurrentSlice() : 0);
  packet.shooter = this;
  packet.targetUnit = &victim;
  packet.targetX = victim.x;
  packet.targetY = victim.y;
  packet.targetZ = victim.GetBaseHeight();
  packet.blastValue = personnel ? 4.0f : 13.0f;
  packet.speedFactor = 0.0f;
  if (UnitServices* services = GetUnitServices()) services->RecordFirePacket(packet);
  NewExplosionPacket(1, personnel ? 97 : 104, 1, victim.x, victim.y);
  if (victim.IsInfantry()) {
    if (auto* infantry = dynamic_cast<Infantry*>(&victim)) infantry->TakeSingleCasualty(identified);
    // The voice request stays with the minefield, where the voice routine says nothing.
    MaybeVoiceSound(9, 80, 0.0f, 3.0f);
  } else if (auto* vehicle = dynamic_cast<Vehicle*>(&victim)) {
    // The vehicle's own rule: a soft vehicle is destroyed, an armoured one loses its tracks
    // and some of its crew, known field or not.
    vehicle->SetOffMine();
  }
  if (identificationLevel == 0) {
    identificationLevel = 4;
    revealedThisTurn = 1;
    gUnitStateChanged = 1;
  }
  return true;
}

void Inanimate::UpdateSlice(int32_t) {
  if (classIndex != kAmbushMarker || sliceCounter % kAmbushWatchSlices != 0) return;
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    // The cheap tests through the map's view first: side, kind and a 30 m box.
    const MapUnitView* view = battle->GetUnit(i);
    if (view == nullptr || !view->IsAlive() || view->GetSideByte() == side) continue;
    const int32_t otherKind = view->GetUnitKind();
    if (otherKind == kInanimate || otherKind == kAirplane) continue;
    if (std::fabs(view->GetX() - x) >= kAmbushReach || std::fabs(view->GetY() - y) >= kAmbushReach) continue;
    const Unit* other = dynamic_cast<const Unit*>(view);
    if (other == nullptr || other->alive == 0 || !IsEnemy(*other) || !other->IsIdentified() ||
        other->HasSurrendered() || other->IsAirplane() || other->IsInanimate()) {
      continue;
    }
    if (!(DistanceTo(*other) < kAmbushReach)) continue;
    // An enemy walked into the ambush: the units aiming at the marker choose again.
    DropAsTargetOfAll(false, true, true);
    return;
  }
}

void Inanimate::UpdateSpotting() {
  if (identificationLevel == 4) return;
  const MapAppServices* app = UnitApp();
  if (app == nullptr || app->GetOption(kFogOfWarOption) == 0) {
    identificationLevel = 4;
    return;
  }
  float range = 0.0f;
  if (classIndex == kRoadblock || classIndex == kWire) {
    range = kObstacleSpottingRange;
  } else if (classIndex == kMineChain) {
    range = kMineChainSpottingRange;
  } else {
    return;
  }
  spottingValue -= 1;
  if (spottingValue > 0) return;
  ResetSpotTimer();
  if (firingBytes[kSpottingPasses] != 0) {
    firingBytes[kSpottingPasses] = static_cast<uint8_t>(firingBytes[kSpottingPasses] - 1);
    return;
  }
  firingBytes[kSpottingPasses] = 2;
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const Unit* other = UnitOfView(battle->GetUnit(i));
    if (other == nullptr || !IsEnemy(*other) || other->IsInanimate() || other->IsAirplane() || !other->CanFight()) {
      continue;
    }
    const VehicleServices* vehicle = other->IsVehicle() ? other->AsVehicle() : nullptr;
    const float reach = vehicle != nullptr && vehicle->IsButtoned() ? range * 0.1f : range;
    if (DistanceTo(*other) > reach || !other->LineOfSightTo(*this)) continue;
    identificationLevel = 4;
    gUnitStateChanged = 1;
    return;
  }
}
