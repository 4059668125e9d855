#pragma once
#include <string>
#include <vector>

#include "ModelRecord.h"

// The C++ source of VehicleModelGeometry::kRoutines, one record a routine in routine order. Every
// float is written as a hexadecimal literal, so the program reads back the very bits the tool
// made.
std::string EmitVehicleModels(const std::vector<ModelRecord>& records);

// One float as a literal that reads back bit for bit (finite values only).
std::string FloatLiteral(float f);
