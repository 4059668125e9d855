#pragma once
// The unit tests' world for a vehicle's movement: the battle answers the ground weight, the
// vehicles in the way (those a test lends to its unit group) and counts the moving slices; the
// world records the smoke the vehicles lay, as the battle places it. Free of any test
// framework, so that benchmarks can link it.
#include <vector>

#include "game/units/TestUnitWorld.h"
#include "game/units/vehicle/Vehicle.h"

class VehicleWorld : public TestUnitWorld {
 public:
  // ---- The vehicle in the action phase: smoke ----
  void CreateSmoke(float px, float py, float size) override {
    smokes.push_back({px, py, size});
    TestUnitWorld::CreateSmoke(px, py, size);
  }
  struct Smoke {
    float x, y, size;
  };
  std::vector<Smoke> smokes;
  // ---- End of the vehicle in the action phase ----
};
