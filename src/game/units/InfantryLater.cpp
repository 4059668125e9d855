// The infantry operations later work gives: the unit pass over other units and the links
// between battles. Each stops the program until then.
#include "framework/core/Quorl.h"
#include "game/units/Infantry.h"

namespace {

constexpr const char* kFile = "Infantry";

}  // namespace

float Infantry::RunUnitPass(bool, Unit*) { FatalError(__LINE__, kFile); }
bool Infantry::UpdateLinksBetweenBattles() { FatalError(__LINE__, kFile); }
