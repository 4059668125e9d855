// The headless battle's orders blocks: a side's orders recorded as a block and played again.
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/units/Unit.h"

namespace {

// The orders a unit carries from the orders phase into the action.
void CopyOrders(const Unit& from, Unit& to) {
  to.waypointCount = from.waypointCount;
  to.waypoints = from.waypoints;
  to.orderedWaypoints = from.orderedWaypoints;
  to.target = from.target;
  to.orderedTarget = from.orderedTarget;
  to.ordersPhaseTarget = from.ordersPhaseTarget;
  to.targetX = from.targetX;
  to.targetY = from.targetY;
  to.ordersPhaseTargetX = from.ordersPhaseTargetX;
  to.ordersPhaseTargetY = from.ordersPhaseTargetY;
  to.areaFire = from.areaFire;
  to.flagBytes = from.flagBytes;
  to.facing = from.facing;
}

bool SameUnit(const Unit& a, const Unit& b) {
  return a.kind == b.kind && a.classIndex == b.classIndex && a.side == b.side && a.designation == b.designation;
}

}  // namespace

bool HeadlessBattle::WriteOrders(std::string& out) {
  if (!battle_) return false;
  // Making a file draws its temporary name from the generator; the game's draws stay as they
  // were.
  const uint32_t generator = RandomState();
  GMemoryFile memory;
  battle_->WriteOrders(memory.File());
  SeedRandom(generator);
  if (memory.File().HasError()) return false;
  out = memory.Bytes();
  return true;
}

bool HeadlessBattle::TakeOrders(int32_t side, const std::string& bytes) {
  if (!battle_ || side < 0 || side > 1) return false;
  Battle& battle = *battle_;
  const int32_t before = battle.UnitCount();
  const uint16_t seed = battle.sharedSeed;
  const int32_t ends[2] = {battle.endState[0], battle.endState[1]};
  // Reading units draws from the generator; orders given this way leave it as orders given
  // unit by unit do.
  const uint32_t generator = RandomState();
  GMemoryFile memory(bytes);
  const bool read = battle.ReadOrders(memory.File(), true);
  SeedRandom(generator);
  if (!read) return false;
  // The block's units stand in the order of the battle's own: the one with exchange index e
  // is the counterpart of unit count - 1 - e.
  const int32_t count = battle.UnitCount() - before;
  bool matches = count == before;
  for (int32_t i = 0; matches && i < count; ++i) {
    const Unit& fresh = *battle.UnitAt(before + i);
    const int32_t own = count - 1 - fresh.exchangeIndex;
    matches = own >= 0 && own < before && SameUnit(fresh, *battle.UnitAt(own));
  }
  if (matches) {
    for (int32_t i = 0; i < count; ++i) {
      const Unit& fresh = *battle.UnitAt(before + i);
      if (fresh.GetSideIndex() == side) CopyOrders(fresh, *battle.UnitAt(count - 1 - fresh.exchangeIndex));
    }
    // Only the sending side's end flag is its to give.
    battle.endState[1 - side] = ends[1 - side];
  } else {
    battle.sharedSeed = seed;
    battle.endState[0] = ends[0];
    battle.endState[1] = ends[1];
  }
  while (battle.UnitCount() > before) battle.units.RemoveAt(battle.UnitCount() - 1, true);
  return matches;
}
