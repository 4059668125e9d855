#pragma once
#include <cstdint>

#include "game/units/ports/InanimateServices.h"
#include "game/units/TestUnit.h"

// An inanimate object for tests.
class TestInanimate : public TestUnit, public InanimateServices {
 public:
  TestInanimate() { kind = kInanimate; }

  InanimateServices* AsInanimate() override { return this; }
  int32_t GetKind() const override { return objectKind; }
  bool IsRevealedThisTurn() const override { return revealedThisTurn; }

  int32_t objectKind = 0;
  bool revealedThisTurn = false;
};
