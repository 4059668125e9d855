#include "framework/core/GFuzzySet.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/ExposureCounter.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitCellSearch.h"
#include "game/units/ports/VehicleServices.h"

namespace {
UnitCellSearch* gCellSearch = nullptr;
}  // namespace

UnitCellSearch* UnitCellSearch::Installed() { return gCellSearch; }
void UnitCellSearch::Install(UnitCellSearch* search) { gCellSearch = search; }
bool UnitCellSearch::PlanDefends() { return gCellSearch != nullptr && gCellSearch->Defending(); }

int64_t Unit::gTrialCopies = 0;
int64_t ExposureCounter::calls = 0;

bool Unit::FindBestNearbyCell(bool extend, bool noBaseline) {
  UnitCellSearch* search = UnitCellSearch::Installed();
  const bool ordered = search != nullptr && search->FindBestNearbyCell(*this, extend, noBaseline);
  // A carrier's riders look for their own places, anywhere near, and the carrier waits for
  // them to get off.
  if (const VehicleServices* vehicle = AsVehicle()) {
    Unit* riders[2] = {vehicle->GetPassenger(0), vehicle->GetPassenger(1)};
    if (riders[0] != nullptr || riders[1] != nullptr) {
      for (Unit* rider : riders) {
        if (rider != nullptr) rider->FindBestNearbyCell(true, true);
      }
      pendingDelaySteps = 1;
    }
  }
  return ordered;
}

void Unit::EvaluateTargetChoice(GFuzzySet& attack, float weight, bool specialWeapon) {
  waypointCount = 0;
  speed = 0.0f;
  movementFlag = 0;
  ChooseTarget(true);
  if (target == nullptr) {
    attack.SetMember(0, 1.0f, 0);
    return;
  }
  const float k = specialWeapon ? 2.0f : 1.0f;
  const float v = GetFireFactor(DistanceTo(*target)) * k * weight;
  AITargeting::FuzzifyAttackEffect(attack, *this, *target, ChooseAmmo(target), false, false, false, v);
}
