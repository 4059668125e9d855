#pragma once
#include <cstdint>

#include "game/models/VehicleModelProgram.h"

// The 93 vehicle model records, one a routine in the order of the slots they first serve, made
// by make_vehicle_models from data/models/contract.txt.
struct VehicleModelGeometry {
  static constexpr int32_t kCount = 93;
  static const ModelProgram kRoutines[kCount];
};
