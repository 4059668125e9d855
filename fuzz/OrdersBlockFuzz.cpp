// Reads arbitrary bytes as the other machine's orders block into a fixed battle, with the unit
// tests' kinds and class tables of blank records. A refused block must leave the battle as it
// was; an accepted one adds its units and nothing else, and once they are taken out again the
// battle must store the same bytes as before. No fault, no leak, no read out of bounds.
//
// An input whose first byte is odd is not read as it is: the rest is laid (exclusive or) over
// the battle's own orders block, and whatever goes past its end is appended, so that the
// checks on units, waypoints and ids are reached as often as the first bytes'.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/core/GMemoryFile.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/records/UnitIds.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"
#include "FuzzTestUnits.h"

namespace {

struct FuzzWorld {
  FuzzWorld() {
    headless.New();
    Battle& battle = *headless.GetBattle();
    Unit* a = FuzzTestUnits::Place(new TestInfantry(), 0, 300.0f, 310.0f);
    Unit* b = FuzzTestUnits::Place(new TestVehicle(), 1, 420.0f, 380.0f);
    battle.AddUnitToMap(a, a->x, a->y);
    battle.AddUnitToMap(b, b->x, b->y);
    auto* group = new ReinforcementGroup();
    group->Init(false);
    group->units.Append(FuzzTestUnits::Place(new TestInfantry(), 1, 0.0f, 0.0f));
    battle.reinforcements[1].Append(group);
    a->target = b;
    b->target = static_cast<Unit*>(group->units.GetItem(0));
    a->waypointCount = 2;
    a->WaypointAt(0) = Waypoint{320.0f, 300.0f, 0.0f, 3, 0, 0, 0};
    a->WaypointAt(1) = Waypoint{340.0f, 300.0f, 0.0f, 9, 0, 0, 1};
    battle.sharedSeed = 1234;
    if (!headless.WriteOrders(block) || !headless.SaveBytes(kept)) std::abort();
  }

  FuzzFolder folder{"ordersfuzz"};
  FuzzTestUnits units;
  HeadlessBattle headless;
  std::string block;
  std::string kept;
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorld& world = World();
  if (size == 0) return 0;
  const std::string input = FuzzInput(world.block, data, size);

  Battle& battle = *world.headless.GetBattle();
  const int32_t before = battle.UnitCount();
  GMemoryFile in(input);
  if (battle.ReadOrders(in.File(), false)) {
    // The block's units, its end flags and its seed are what it may change.
    while (battle.UnitCount() > before) battle.units.RemoveAt(battle.UnitCount() - 1, true);
    battle.endState[0] = battle.endState[1] = 0;
    battle.sharedSeed = 1234;
  } else if (battle.UnitCount() != before || battle.sharedSeed != 1234 || battle.endState[0] != 0 ||
             battle.endState[1] != 0) {
    std::abort();
  }
  std::string still;
  if (!world.headless.SaveBytes(still) || still != world.kept) std::abort();
  return 0;
}
