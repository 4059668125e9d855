// Reads arbitrary bytes as the decoded content of a game file (a scenario or saved game), as
// the program opens one for play: the file is stored in the game file form (its first 1,024
// bytes as they are, the rest coded), prepared for play, one frame of its battle is drawn on
// the software device, and one turn is computed headless with the orders the file holds.
// A file the readers accept must play: nothing may end the program, fault, leak or read out
// of bounds.
//
// The first byte chooses: bit 0 lays the rest (exclusive or) over the decoded content of one
// of the games the target knows, so that mutations reach the map, battle, units and operation
// deep inside it, and appends what goes past its end; bits 1 to 4 choose that game (the small
// games of FuzzSmallGames.h, then the build's test saved game). With bit 0 clear the rest is
// the content as it stands; the seed corpus holds the small games so. The shipped scenarios
// are left out: at some forty units a side a turn of theirs takes a second in the fuzz build,
// against a tenth of one for the small games.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/GamePlayPath.h"
#include "platform/PPath.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"
#include "FuzzSmallGames.h"

namespace {

struct PlayWorld {
  PlayWorld() {
    // The small games first, then the build's test saved game.
    for (FuzzSmallGames::Game& game : FuzzSmallGames::Make()) bases.push_back(std::move(game.content));
    bases.push_back(GamePlayPath::Decoded(PPath::ToProgram(TARVANE_TEST_GAMES_DIR "/Saved Games/Test Saved Game.wrb")));
    for (const std::string& content : bases) {
      if (content.empty() || !path.Play(content)) std::abort();
    }
  }

  GamePlayPath path;
  std::vector<std::string> bases;
};

PlayWorld& World() {
  static FuzzFolder folder("gameplay");  // the program folder, where the error log goes
  static PlayWorld* world = new PlayWorld();  // kept to the end of the program with its renderer
  return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PlayWorld& world = World();
  if (size == 0) return 0;
  const std::string& base = world.bases[((data[0] >> 1) & 15) % world.bases.size()];
  world.path.Play(FuzzInput(base, data, size));
  return 0;
}
