#include "game/battle/BattleCanonicalPass.h"

#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/Unit.h"

namespace {

bool Refresh(Unit& unit) {
  GMemoryFile out;
  unit.Write(out.File());
  if (out.File().HasError()) return false;
  GMemoryFile in(out.Bytes());
  in.File().ReadByte();  // the kind byte, which ReadUnit takes
  unit.Read(in.File());
  return !in.File().HasError();
}

template <class F>
void ForEachUnit(Battle& battle, F f) {
  for (int32_t i = 0; i < battle.units.Count(); ++i) f(*battle.UnitAt(i));
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t g = 0; g < battle.reinforcements[side].Count(); ++g) {
      ReinforcementGroup* group = battle.GroupAt(side, g);
      for (int32_t i = 0; i < group->units.Count(); ++i) f(*static_cast<Unit*>(group->units.GetItem(i)));
    }
  }
}

}  // namespace

bool BattleCanonicalPass::Run(Battle& battle) {
  const uint32_t generator = RandomState();
  bool ok = true;
  ForEachUnit(battle, [&](Unit& unit) { ok = Refresh(unit) && ok; });
  // References are ids while the units are read; every unit exists again before they resolve.
  ForEachUnit(battle, [&](Unit& unit) { ok = unit.RemapReferences(&battle) && ok; });
  // The computer player's objectives are not stored: the next plan builds them again.
  battle.ForgetAIObjectives();
  SeedRandom(generator);
  return ok;
}
