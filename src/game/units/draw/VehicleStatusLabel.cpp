// The vehicle's warning label: for a knocked-out vehicle how it ended, for one of the side to
// play what keeps it from moving and what is left of its gun and ammunition.
#include "framework/core/GString63.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr int32_t kMainAmmoKinds = 4;  // the fifth kind does not count towards the label

}  // namespace

void Vehicle::DrawStatusLabel() {
  UnitDrawHost* host = GetUnitDrawHost();
  if (host == nullptr) return;
  GString63 first;
  GString63 second;
  int32_t firstCode = 0;
  int32_t secondCode = 0;
  if (alive == 0) {
    first.LoadResource(abandoned != 0 ? 1131 : 1130);
  } else {
    if (!IsCurrentSide()) return;
    firstCode = 1;
    if (immobilized != 0 && !IsEmplacement()) {
      first.LoadResource(1450);
    } else if (bogged != 0) {
      first.LoadResource(1451);
    }
    if (gunDestroyed != 0) {
      second.LoadResource(1452);
    } else if (HasMainWeaponIn(0)) {
      int32_t total = 0;
      for (int32_t k = 0; k < kMainAmmoKinds; ++k) total += ammo[static_cast<size_t>(k)];
      if (total == 0) {
        second.LoadResource(1141);
      } else if (total <= TrueClass().AmmoLoad() / 4) {
        second.LoadResource(1142);
        secondCode = 2;
      }
    }
  }
  host->DrawLabelLines(first.CStr(), firstCode, second.CStr(), secondCode, x, y, GetBaseHeight());
}
