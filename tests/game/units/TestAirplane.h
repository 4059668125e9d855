#pragma once
#include "game/units/ports/AirplaneServices.h"
#include "game/units/TestUnit.h"

// An airplane for tests.
class TestAirplane : public TestUnit, public AirplaneServices {
 public:
  TestAirplane() { kind = kAirplane; }

  AirplaneServices* AsAirplane() override { return this; }
  float DamageFactor() const override { return damageFactor; }

  float damageFactor = 1.0f;
};
