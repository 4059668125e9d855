#pragma once
// Test units that can move anywhere on the test map (the bare test kinds have no speed).
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"

class Walker : public TestInfantry {
 public:
  int32_t GetSpeedClass() const override { return 3; }
  bool CanMoveNow() override { return true; }
  bool CanStandAt(float, float, bool) override { return true; }
};

class Driver : public TestVehicle {
 public:
  bool CanMoveNow() override { return true; }
  bool CanStandAt(float, float, bool) override { return true; }
};
