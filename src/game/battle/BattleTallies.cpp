// The per-unit loss tallies of the results: men lost, units lost by kind, men captured and
// men still fit.
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

namespace {

int32_t CheckedSide(int32_t side, int32_t line) {
  if (side < 0 || side > 1) FatalError(line, "Battle");
  return side;
}

}  // namespace

void Battle::TallyUnitResult(const Unit& unit) {
  const int32_t side = CheckedSide(unit.GetSideIndex(), 5031);
  int32_t* losses = results.losses[side];
  losses[BattleResults::kCasualties] += unit.GetBattleLosses();
  if (!unit.IsAlive() && unit.status == 0 && unit.losses > unit.lossesCountedByMorale) {
    if (const VehicleServices* vehicle = unit.AsVehicle()) {
      if (!vehicle->IsLeftOutOfTallies()) {
        ++losses[vehicle->IsEmplacement() ? BattleResults::kPillboxes : BattleResults::kVehicles];
      }
    } else if (unit.IsAirplane()) {
      ++losses[BattleResults::kAirplanes];
    } else if (unit.IsInfantry()) {
      TallyGunOrMortar(unit, side);
    }
    return;
  }
  if (unit.HasSurrendered()) {
    losses[BattleResults::kCaptured] += unit.GetMenPresent();
    if (unit.IsInfantry()) TallyGunOrMortar(unit, side);
  } else {
    results.menOk[side] += unit.GetMenPresent();
  }
}

void Battle::TallyGunOrMortar(const Unit& unit, int32_t side) {
  int32_t* losses = results.losses[CheckedSide(side, 4926)];
  if (unit.HasMainWeaponOfType23(false)) {
    ++losses[BattleResults::kGuns];
  } else if (unit.HasMainWeaponOfType23(true)) {
    ++losses[BattleResults::kMortars];
  }
}
