// The large battle (150 units a side on a 250-tile map), saved after its set-up GO and a turn
// and loaded into a fresh battle, computes its next turn exactly as the game never broken off:
// the same draws, the same units and the same digest. Its shells leave craters in woods that
// the units walk through, which a small battle seldom does. One turn: the whole suite runs
// under the sanitizers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "LargeBattleWorld.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/units/Unit.h"

namespace {

struct TurnRecord {
  uint32_t generator = 0;
  std::vector<std::string> units;
  uint32_t digest = 0;
};

TurnRecord PlayTurn(HeadlessBattle& headless, uint16_t seed) {
  headless.Go(seed);
  TurnRecord record;
  record.generator = RandomState();
  const Battle& battle = *headless.GetBattle();
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    GMemoryFile memory;
    battle.UnitAt(i)->Write(memory.File());
    record.units.push_back(memory.Bytes());
  }
  headless.NextTurn();
  record.digest = headless.Digest();
  return record;
}

}  // namespace

TEST(SavedGameTurn, TheLargeBattleReloadedComputesItsNextTurnAsTheUnbrokenOne) {
  LargeBattleWorld world("reload");
  std::string saved;
  uint32_t generatorAtSave = 0;
  TurnRecord unbroken;
  {
    HeadlessBattle headless;
    ASSERT_TRUE(LargeBattleWorld::Load(headless));
    SeedRandom(5);
    headless.Go(5);
    PlayTurn(headless, 10);
    ASSERT_TRUE(headless.SaveBytes(saved));
    generatorAtSave = RandomState();
    unbroken = PlayTurn(headless, 20);
  }
  HeadlessBattle headless;
  ASSERT_TRUE(headless.LoadBytes(saved));
  SeedRandom(generatorAtSave);
  const TurnRecord reloaded = PlayTurn(headless, 20);
  EXPECT_EQ(reloaded.generator, unbroken.generator);
  ASSERT_EQ(reloaded.units.size(), unbroken.units.size());
  for (size_t i = 0; i < unbroken.units.size(); ++i) EXPECT_TRUE(reloaded.units[i] == unbroken.units[i]) << "unit " << i;
  EXPECT_EQ(reloaded.digest, unbroken.digest);
}
