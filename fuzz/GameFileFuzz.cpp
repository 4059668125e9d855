// Reads arbitrary bytes as a whole game file, plain or as e-mail text, into a headless
// battle's world with the unit tests' kinds: a refused file must leave the battle in play as
// it was, with no fault, leak or read out of bounds. An accepted file is written, read and
// written again: the two writes must give the same bytes.
//
// The first byte chooses: bit 0 lays the rest (exclusive or) over the harness's own valid
// file, so that the checks deep inside are reached, and appends what goes past its end; bit 1
// reads the bytes as an e-mail turn file (the text block around the game file).
//
// Everything is read and written in memory. The harness's battle stands on a small map. A refused file has left the battle in play as it
// was (which is checked), so the harness's own is read again only after an accepted one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/GameFile.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/units/records/UnitIds.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"
#include "FuzzSmallMap.h"
#include "FuzzTestUnits.h"

namespace {

struct FuzzWorld {
  FuzzWorld() {
    headless.New();
    Battle& battle = *headless.GetBattle();
    battle.setupPhase = 0;
    battle.currentTurn = 2;
    FuzzSmallMap::Use(battle);
    Unit* a = FuzzTestUnits::Place(new TestInfantry(), 0, 60.0f, 70.0f);
    Unit* b = FuzzTestUnits::Place(new TestVehicle(), 1, 260.0f, 180.0f);
    battle.AddUnitToMap(a, a->x, a->y);
    battle.AddUnitToMap(b, b->x, b->y);
    auto* group = new ReinforcementGroup();
    group->Init(false);
    group->arrivalTurn = 4;
    group->units.Append(FuzzTestUnits::Place(new TestInfantry(), 1, 0.0f, 0.0f));
    battle.reinforcements[1].Append(group);
    a->target = b;
    // The computer's groups, stored ahead of the battle, name a placed and a waiting unit.
    auto* computer = new GObjectGroup();
    computer->IObjectGroup();
    computer->SetOwnsMembers(true);
    auto* planned = new AIGroup();
    planned->Init();
    planned->Append(b);
    planned->Append(group->units.GetItem(0));
    computer->Append(planned);
    battle.aiGroups[1] = computer;
    battle.flags.Append(new VictoryFlag(40.0f, 300.0f, 0));
    battle.briefing[0] = "Axis";
    battle.briefing[2] = "Hold the crossroads.";
    settings.humanPlayers = 2;
    settings.sideToPlay = 1;
    settings.connectionType = 1;
    settings.gameName.Assign("Fuzz");
    settings.passwordDigest[0].Assign("digest");
    valid = WritePlain(battle);
    {
      GMemoryFile email(std::string(), GFile::kModeWriteEmail);
      GameFile::Write(email.File(), settings, &battle, nullptr);
      if (!email.File().Finish()) std::abort();
      validEmail = email.Bytes();
    }
    if (valid.empty() || validEmail.empty()) std::abort();
    // What the battle read from the valid file writes (it takes the game name as its title).
    GMemoryFile first(valid);
    if (!Read(first.File())) std::abort();
    kept = WritePlain(*headless.GetBattle());
  }

  std::string WritePlain(Battle& battle) {
    GMemoryFile out;
    GameFileSettings copy = settings;
    GameFile::Write(out.File(), copy, &battle, nullptr);
    if (out.File().HasError()) std::abort();
    return out.Bytes();
  }

  // Reads the file; an accepted battle becomes the one in play.
  bool Read(GFile& file) {
    GameFileSettings read = settings;
    Battle* battle = nullptr;
    Campaign* operation = nullptr;
    if (gameFile.Read(file, read, battle, operation) != GameFile::kAccepted) return false;
    // The game takes the file's name, which its battle carries as its title, as the program
    // does: the next write stores the two alike.
    settings.gameName = read.gameName;
    // The operation's own reader has a target of its own: an accepted one is let go here.
    delete operation;
    if (battle != nullptr) headless.MakeCurrentBattle(battle);
    return true;
  }

  FuzzFolder folder{"gamefilefuzz"};
  FuzzTestUnits units;
  HeadlessBattle headless;
  GameFileSettings settings;
  GameFile gameFile{headless.Host(), &headless, headless.Host().InPlay()};
  std::string valid;
  std::string validEmail;
  std::string kept;
  bool keptInPlay = false;  // the battle in play is the one read from kept
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorld& world = World();
  if (size == 0) return 0;
  const bool email = (data[0] & 2) != 0;
  const std::string input = FuzzInput(email ? world.validEmail : world.valid, data, size);

  // The battle in play before: the harness's own, which a refused file must leave as it was.
  if (!world.keptInPlay) {
    GMemoryFile in(world.kept);
    if (!world.Read(in.File())) std::abort();
    world.keptInPlay = true;
  }
  const Battle* before = world.headless.GetBattle();
  bool accepted = false;
  if (email) {
    // Unwrapped and decoded in memory, as the program does on disk.
    GMemoryFile in(input, GFile::kModeReadEmail);
    if (!in.File().HasError()) accepted = world.Read(in.File());
  } else {
    GMemoryFile in(input);
    accepted = world.Read(in.File());
  }
  if (!accepted) {
    if (world.headless.GetBattle() != before || world.WritePlain(*world.headless.GetBattle()) != world.kept)
      std::abort();
    return 0;
  }
  world.keptInPlay = false;
  Battle* battle = world.headless.GetBattle();
  if (battle == nullptr) return 0;
  GMemoryFile first;
  GameFile::Write(first.File(), world.settings, battle, nullptr);
  if (first.File().HasError()) return 0;  // a battle the id scheme cannot store
  const std::string firstBytes = first.Bytes();
  GMemoryFile again(firstBytes);
  if (!world.Read(again.File())) std::abort();
  if (world.WritePlain(*world.headless.GetBattle()) != firstBytes) std::abort();
  return 0;
}
