// Reads arbitrary bytes as a stored battle through a headless battle, with the unit tests'
// kinds and class tables of blank records: a battle that is refused must leave the battle in
// play as it was, and there must be no fault, no leak and no read out of bounds. A battle that
// is accepted is saved, loaded and saved again: the two saves must give the same bytes.
//
// An input whose first byte is odd is not read as it is: the rest is laid (exclusive or) over
// a valid battle on a small map with units on it, targets between them and into the
// reinforcement groups, two flags, two groups a side and the purchase block, and whatever goes
// past its end is appended, so that the checks deep inside a battle are reached as often as
// the first.
//
// The battle is read in memory. A refused input has left the battle in play as it was (which
// is checked), so the valid battle is read again only after an accepted one.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/units/records/UnitIds.h"
#include "platform/PPath.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"
#include "FuzzSmallMap.h"
#include "FuzzTestUnits.h"

namespace {

struct FuzzWorld {
  FuzzWorld() {
    valid = MakeValidBattle();
    if (!headless.LoadBytes(valid) || !headless.SaveBytes(kept)) std::abort();
  }

  std::string MakeValidBattle() {
    headless.New();
    Battle& battle = *headless.GetBattle();
    FuzzSmallMap::Use(battle);
    Unit* a = FuzzTestUnits::Place(new TestInfantry(), 0, 60.0f, 70.0f);
    Unit* b = FuzzTestUnits::Place(new TestVehicle(), 1, 260.0f, 180.0f);
    battle.AddUnitToMap(a, a->x, a->y);
    battle.AddUnitToMap(b, b->x, b->y);
    battle.AddUnitToMap(FuzzTestUnits::Place(new TestInanimate(), 0, 290.0f, 30.0f), 290.0f, 30.0f);
    for (int32_t side = 0; side < 2; ++side) {
      for (int32_t g = 0; g < 2; ++g) {
        auto* group = new ReinforcementGroup();
        group->Init(false);
        group->arrivalTurn = 4 + g;
        for (int32_t i = 0; i <= g; ++i) {
          group->units.Append(FuzzTestUnits::Place(new TestInfantry(), side, 0.0f, 0.0f));
        }
        battle.reinforcements[side].Append(group);
      }
    }
    a->target = b;
    b->target = static_cast<Unit*>(battle.GroupAt(0, 1)->units.GetItem(1));
    battle.flags.Append(new VictoryFlag(40.0f, 300.0f, 0));
    battle.mustPurchase[0] = 1;
    battle.forceEnlargement = 15;
    std::string bytes;
    if (!headless.SaveBytes(bytes)) std::abort();
    return bytes;
  }

  FuzzFolder folder{"battlefuzz"};
  FuzzTestUnits units;
  HeadlessBattle headless;
  std::string valid;
  std::string kept;           // what the valid battle writes once read
  bool validInPlay = false;  // the battle in play is the valid one as read
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorld& world = World();
  if (size == 0) return 0;
  const std::string input = FuzzInput(world.valid, data, size);

  // The battle in play before, the valid one: a refused input must leave it as it was.
  if (!world.validInPlay && !world.headless.LoadBytes(world.valid)) std::abort();
  world.validInPlay = true;
  const Battle* before = world.headless.GetBattle();

  if (!world.headless.LoadBytes(input)) {
    if (world.headless.GetBattle() != before) std::abort();
    std::string still;
    if (!world.headless.SaveBytes(still) || still != world.kept) std::abort();
    return 0;
  }
  world.validInPlay = false;
  std::string first;
  if (!world.headless.SaveBytes(first)) return 0;  // a battle the id scheme cannot store
  if (!world.headless.LoadBytes(first)) std::abort();
  std::string second;
  if (!world.headless.SaveBytes(second) || second != first) {
    // Loading prepares play (flag holders); one more cycle must then be stable.
    std::string third;
    if (!world.headless.LoadBytes(second) || !world.headless.SaveBytes(third) || third != second) std::abort();
  }
  return 0;
}
