#pragma once

class Vehicle;

// The vehicle's picture on the battlefield belongs to the presentation, above the unit code:
// it installs a drawer here, and Vehicle::Draw hands the vehicle to it with the clip flag and
// apparent size the unit drawing driver set. With none installed a vehicle draws nothing.
class VehicleDrawer {
 public:
  virtual ~VehicleDrawer() = default;
  virtual void DrawVehicle(Vehicle& vehicle, bool clip, float detail) = 0;
  // The shadow under the hull, in map coordinates (outside the vehicle's matrix), with the
  // scale the model was drawn with.
  virtual void DrawVehicleShadow(Vehicle& /*vehicle*/, float /*scale*/, bool /*clip*/) {}
};

VehicleDrawer* GetVehicleDrawer();
void SetVehicleDrawer(VehicleDrawer* drawer);
