// Reads arbitrary bytes as a stored operation through a headless player, with the unit tests'
// kinds and class tables of blank records: an operation that is refused must leave the one in
// play as it was (writing the same bytes), and there must be no fault, no leak and no read out
// of bounds. An operation that is accepted starts its first battle.
//
// An input whose first byte is odd is not read as it is: the rest is laid (exclusive or) over
// the end of a valid operation (its own part and the map before it), and whatever goes past
// its end is appended, so that the operation's own checks are reached as often as the base's.
//
// A refused operation has left the one in play as it was (which is checked), so the valid
// operation is read again only after an accepted one, in the same run: a run then frees as
// many blocks as it takes, and libFuzzer does not run it a second time to look for a leak.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMemoryFile.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/records/UnitIds.h"
#include "platform/PPath.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"
#include "FuzzSmallMap.h"
#include "FuzzTestUnits.h"

namespace {

struct FuzzWorld {
  FuzzWorld() {
    valid = MakeValidOperation();
    if (!headless.LoadOperationBytes(valid) || !headless.SaveOperationBytes(kept)) std::abort();
  }

  std::string MakeValidOperation() {
    Campaign campaign(headless.Host(), &headless);
    if (!campaign.SetUp(nullptr)) std::abort();
    FuzzSmallMap::Use(campaign);
    campaign.units.Append(FuzzTestUnits::Place(new TestInfantry(), 1, 60.0f, 70.0f));
    campaign.units.Append(FuzzTestUnits::Place(new TestVehicle(), 0, 260.0f, 180.0f));
    auto* group = new ReinforcementGroup();
    group->Init(true);
    group->units.Append(FuzzTestUnits::Place(new TestInfantry(), 0, 0.0f, 0.0f));
    campaign.reinforcements[0].Append(group);
    GMemoryFile out;
    campaign.Write(out.File());
    if (out.File().HasError()) std::abort();
    return out.Bytes();
  }

  FuzzFolder folder{"operationfuzz"};
  FuzzTestUnits units;
  HeadlessBattle headless;
  std::string valid;
  std::string kept;  // what the valid operation writes once read
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorld& world = World();
  if (size == 0) return 0;
  // Mutations are laid over the last bytes: the operation's part and the end of the map.
  const size_t start = world.valid.size() > 256 ? world.valid.size() - 256 : 0;
  const std::string input = FuzzInput(world.valid, data, size, start);

  const Campaign* before = world.headless.GetCampaign();
  const Battle* battle = world.headless.GetBattle();
  if (!world.headless.LoadOperationBytes(input)) {
    if (world.headless.GetCampaign() != before || world.headless.GetBattle() != battle) std::abort();
    std::string still;
    if (!world.headless.SaveOperationBytes(still) || still != world.kept) std::abort();
    return 0;
  }
  if (world.headless.GetCampaign() == nullptr || world.headless.GetBattle() == nullptr) std::abort();
  if (!world.headless.LoadOperationBytes(world.valid)) std::abort();
  return 0;
}
