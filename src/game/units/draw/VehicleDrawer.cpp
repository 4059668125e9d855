#include "game/units/draw/VehicleDrawer.h"

namespace {
VehicleDrawer* gDrawer = nullptr;
}  // namespace

VehicleDrawer* GetVehicleDrawer() { return gDrawer; }
void SetVehicleDrawer(VehicleDrawer* drawer) { gDrawer = drawer; }
