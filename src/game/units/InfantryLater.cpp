// The infantry operations later work gives: riding, the unit pass over other units, the
// links between battles, the slice update, and the reactions to danger, fire and close
// assault. Each stops the program until then.
#include "framework/core/Quorl.h"
#include "game/units/Infantry.h"

namespace {

constexpr const char* kFile = "Infantry";

}  // namespace

void Infantry::TryDismount() { FatalError(__LINE__, kFile); }
void Infantry::StartWeaponSetUp() { FatalError(__LINE__, kFile); }
bool Infantry::FollowBoardingTarget() { FatalError(__LINE__, kFile); }
bool Infantry::SyncPositionWithLinkedUnit(bool) { FatalError(__LINE__, kFile); }
float Infantry::RunUnitPass(bool, Unit*) { FatalError(__LINE__, kFile); }
bool Infantry::UpdateLinksBetweenBattles() { FatalError(__LINE__, kFile); }
void Infantry::DirectFireStep() { FatalError(__LINE__, kFile); }
bool Infantry::SpreadOut(bool, Unit*) { FatalError(__LINE__, kFile); }
bool Infantry::CloseAssault(Unit*) { FatalError(__LINE__, kFile); }
