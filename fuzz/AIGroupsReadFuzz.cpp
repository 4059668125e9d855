// Reads arbitrary bytes as the computer player's groups section into a fixed battle of the
// unit tests' kinds, and resolves what was read. A refused section must leave the battle's
// lists as they were; an accepted one must store the same bytes back once read again. No
// fault, no leak, no read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/core/GMemoryFile.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/units/records/UnitIds.h"
#include "FuzzFolder.h"
#include "FuzzTestUnits.h"

namespace {

struct FuzzWorld {
  FuzzWorld() {
    headless.New();
    Battle& battle = *headless.GetBattle();
    battle.setupPhase = 0;
    for (int32_t i = 0; i < 4; ++i) {
      Unit* unit = FuzzTestUnits::Place(new TestInfantry(), i % 2, 300.0f + 20.0f * static_cast<float>(i), 310.0f);
      battle.AddUnitToMap(unit, unit->x, unit->y);
    }
    Install(battle);
  }

  // The lists every input starts from: side 0 one group of mode 7 with unit 1.
  void Install(Battle& battle) {
    battle.DeleteAIGroups();
    auto* list = new GObjectGroup();
    list->IObjectGroup();
    auto* group = new AIGroup();
    group->Init();
    group->mode = 7;
    group->Append(battle.UnitAt(0));
    list->Append(group);
    battle.aiGroups[0] = list;
  }

  static std::string Written(const Battle& battle) {
    GMemoryFile out;
    battle.WriteAIGroups(out.File());
    return out.Bytes();
  }

  FuzzFolder folder{"aigroupsfuzz"};
  FuzzTestUnits units;
  HeadlessBattle headless;
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorld& world = World();
  Battle& battle = *world.headless.GetBattle();
  const std::string before = FuzzWorld::Written(battle);
  GMemoryFile in(std::string(reinterpret_cast<const char*>(data), size));
  bool read = battle.ReadAIGroups(in.File());
  if (read) read = battle.ResolveAIGroups(in.File());
  const std::string after = FuzzWorld::Written(battle);
  if (!read) {
    if (after != before || !in.File().HasError()) std::abort();
  } else {
    // What was read stores the same bytes when read again.
    GMemoryFile again(after);
    if (!battle.ReadAIGroups(again.File()) || !battle.ResolveAIGroups(again.File())) std::abort();
    if (FuzzWorld::Written(battle) != after) std::abort();
    world.Install(battle);
  }
  return 0;
}
