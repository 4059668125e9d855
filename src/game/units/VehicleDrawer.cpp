#include "game/units/VehicleDrawer.h"

namespace {
VehicleDrawer* gDrawer = nullptr;
}  // namespace

VehicleDrawer* GetVehicleDrawer() { return gDrawer; }
void SetVehicleDrawer(VehicleDrawer* drawer) { gDrawer = drawer; }
