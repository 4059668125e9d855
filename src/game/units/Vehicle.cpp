// The vehicle's drawing slot: the presentation's installed drawer draws it (VehicleDrawer).
#include "game/units/Vehicle.h"
#include "game/units/VehicleDrawer.h"

void Vehicle::Draw(bool) {
  VehicleDrawer* drawer = GetVehicleDrawer();
  if (drawer != nullptr) drawer->DrawVehicle(*this, drawClip != 0, drawSize);
}
