#pragma once
#include <string>

#include "ModelContract.h"
#include "game/models/VehicleModelProgram.h"

// Checks a model record against its routine's contract by drawing it into a ModelCallLog at draw
// values 0, with the variant drawn and left out, and with test track offsets. Returns an empty
// string, or the first fault as "routine R: stage S, group G: rule: figures".
std::string ValidateModel(const ModelContract& contract, const ModelProgram& program);
