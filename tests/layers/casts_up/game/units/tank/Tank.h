#pragma once
#include "game/units/vehicle/Vehicle.h"

// A unit class two steps down from the base, found through its parent.
class Tank final : public Vehicle {};
