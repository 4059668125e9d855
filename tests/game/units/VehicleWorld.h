#pragma once
// The unit tests' world with answers to the battle's questions of a vehicle's movement:
// a settable ground weight, the computing flag and
// the walk over a list of vehicles for the obstruction test. Free of any test framework, so
// that benchmarks can link it.
#include <array>
#include <vector>

#include "game/units/TestUnitWorld.h"
#include "game/units/vehicle/Vehicle.h"

class VehicleWorld : public TestUnitWorld {
 public:
  float GroundWeight(float pressure, int32_t softness) const override {
    lastPressure = pressure;
    lastSoftness = softness;
    return groundWeight;
  }
  bool IsComputingAction() const override { return computing; }
  int32_t FindBestVehicleNear(const Unit& mover, const Unit** found) const override {
    const Vehicle* best = nullptr;
    const int32_t grade = Vehicle::BestObstruction(static_cast<const Vehicle&>(mover), vehicles.data(),
                                                   static_cast<int32_t>(vehicles.size()), &best);
    *found = best;
    return grade;
  }

  // ---- The vehicle in the action phase: smoke, the cover-search byte, moving slices ----
  void CreateSmoke(float px, float py, float size) override { smokes.push_back({px, py, size}); }
  void SetCoverSearch(bool on) override {
    coverSearchOn = on;
    ++coverSearchCalls;
  }
  void CountMovingSlice(int32_t sideIndex) override { ++movingSlices.at(static_cast<size_t>(sideIndex & 1)); }
  struct Smoke {
    float x, y, size;
  };
  std::vector<Smoke> smokes;
  bool coverSearchOn = false;
  int32_t coverSearchCalls = 0;
  std::array<int32_t, 2> movingSlices{};
  // ---- End of the vehicle in the action phase ----
  float groundWeight = 1.0f;
  mutable float lastPressure = 0.0f;
  mutable int32_t lastSoftness = 0;
  bool computing = false;
  std::vector<Unit*> vehicles;
};
