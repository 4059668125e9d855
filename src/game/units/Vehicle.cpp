// The vehicle's drawing slot and its shadow: the presentation's installed drawer draws them
// (VehicleDrawer).
#include "game/units/Vehicle.h"
#include "game/units/VehicleDrawer.h"

void Vehicle::Draw(bool) {
  VehicleDrawer* drawer = GetVehicleDrawer();
  if (drawer != nullptr) drawer->DrawVehicle(*this, drawClip != 0, drawSize);
}

void Vehicle::DrawShadow(float scale, bool clip) {
  VehicleDrawer* drawer = GetVehicleDrawer();
  if (drawer != nullptr) drawer->DrawVehicleShadow(*this, scale, clip);
}
