#include "game/units/Unit.h"

// Only inanimate units have an inanimate kind; their class answers it.
int32_t Unit::GetInanimateKind() const { return -1; }
