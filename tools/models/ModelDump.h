#pragma once
#include <string>

#include "ModelRecord.h"

// A compiled model as JSON, for reading and comparing models: its slot, then its steps in drawing
// order, each with its operation, its figures (triangles, texture entry, strip side and sign,
// constants) and, for a primitive, its positions and texture coordinates.
std::string DumpModelJson(const ModelRecord& record, int32_t slot);
