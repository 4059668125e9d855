#pragma once
#include <string>
#include <vector>

#include "ModelContract.h"
#include "game/models/VehicleModelProgram.h"

// Checks a model record against its routine's contract by drawing it into a ModelCallLog at draw
// values 0, with the variant drawn and left out, and with test track offsets. Returns an empty
// string, or the first fault as "routine R: stage S, group G: rule: figures".
std::string ValidateModel(const ModelContract& contract, const ModelProgram& program);

// What models must share: the ten strips of the routines of slots 82 to 85, and of 86 to 89, equal
// value for value, and the stages or fan sizes a contract names with shares or sizes-as. programs
// follow the contracts. Returns an empty string or the fault.
std::string ValidateSharing(const std::vector<ModelContract>& contracts, const std::vector<ModelProgram>& programs);
