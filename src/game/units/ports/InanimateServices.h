#pragma once
#include <cstdint>

// What the shared unit code asks of an inanimate object beyond the numbered operations.
// Reached through Unit::AsInanimate; the inanimate class implements it.
class InanimateServices {
 public:
  virtual ~InanimateServices() = default;

  // The object kind 0..10 (2 = target reference point).
  virtual int32_t GetKind() const = 0;
  // A minefield that went off and was revealed during the current action phase.
  virtual bool IsRevealedThisTurn() const { return false; }
};
