// The infantry operations later work gives: riding, firepower and sighting, the links
// between battles, movement over terrain, figures, cost, the slice update, and the
// reactions to danger, fire and close assault. Each stops the program until then.
#include "framework/core/Quorl.h"
#include "game/units/Infantry.h"

namespace {

constexpr const char* kFile = "Infantry";

}  // namespace

void Infantry::TryDismount() { FatalError(__LINE__, kFile); }
void Infantry::StartWeaponSetUp() { FatalError(__LINE__, kFile); }
bool Infantry::FollowBoardingTarget() { FatalError(__LINE__, kFile); }
bool Infantry::SyncPositionWithLinkedUnit(bool) { FatalError(__LINE__, kFile); }
float Infantry::FirepowerAt(float, int32_t*, bool, bool) { FatalError(__LINE__, kFile); }
float Infantry::RunUnitPass(bool, Unit*) { FatalError(__LINE__, kFile); }
float Infantry::GetSightingRange(const Unit&) { FatalError(__LINE__, kFile); }
bool Infantry::IsDirectionWatched(int32_t, float, float, float, float, float) { FatalError(__LINE__, kFile); }
bool Infantry::UpdateLinksBetweenBattles() { FatalError(__LINE__, kFile); }
float Infantry::TerrainMoveRate(int32_t) const { FatalError(__LINE__, kFile); }
int32_t Infantry::GetFigureCountAtLevel(int32_t) const { FatalError(__LINE__, kFile); }
int32_t Infantry::GetFigureKindAtLevel(int32_t, int32_t) const { FatalError(__LINE__, kFile); }
float Infantry::GetUnitCost() const { FatalError(__LINE__, kFile); }
void Infantry::DirectFireStep() { FatalError(__LINE__, kFile); }
bool Infantry::SpreadOut(bool, Unit*) { FatalError(__LINE__, kFile); }
bool Infantry::CloseAssault(Unit*) { FatalError(__LINE__, kFile); }
