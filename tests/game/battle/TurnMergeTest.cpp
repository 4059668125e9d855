// A turn received over the link merged into the battle: the opponent's units take the
// received orders and the own side's stay, new units join, an action's packets replace the
// battle's, and a turn that does not fit leaves the battle exactly as it was.
#include "game/battle/TurnMerge.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/PacketList.h"
#include "game/battle/Packet.h"

namespace {

struct MergeRig {
  BattleTestRig rig;
  std::string start;
  Unit* a = nullptr;  // side 0
  Unit* b = nullptr;  // side 1
  MergeRig() {
    rig.Fresh();
    a = BattleTestRig::MakeUnit(0, 0, 300.0f, 310.0f);
    b = BattleTestRig::MakeUnit(1, 1, 420.0f, 380.5f);
    a->designation = 1;
    b->designation = 2;
    rig.B().PlaceUnitAt(a, a->x, a->y);
    rig.B().PlaceUnitAt(b, b->x, b->y);
    a->target = b;
    start = rig.Save();
  }
  // The turn as the other machine sends it, with a byte 0 (no packets) or 1 and the packets.
  std::string Turn(bool withPackets) {
    std::string block;
    EXPECT_TRUE(rig.headless.WriteOrders(block));
    GMemoryFile tail;
    TurnMerge::WriteTail(rig.B(), tail.File(), withPackets);
    return block + tail.Bytes();
  }
  void Reload() {
    ASSERT_TRUE(rig.headless.LoadBytes(start));
    a = rig.B().UnitAt(0);
    b = rig.B().UnitAt(1);
  }
  bool Merge(const std::string& turn, bool allSides, int32_t ownSide) {
    GMemoryFile file(turn);
    const uint32_t generator = RandomState();
    const bool merged = TurnMerge::Merge(rig.B(), file.File(), allSides, false, ownSide);
    EXPECT_EQ(RandomState(), generator);
    return merged;
  }
};

TEST(TurnMerge, OpponentUnitsTakeTheTurnOwnUnitsStay) {
  MergeRig m;
  m.a->x = 111.0f;  // the sender moved both; only side 1 is its to give
  m.b->x = 222.0f;
  m.b->target = m.a;
  m.rig.B().sharedSeed = 4321;  // the seed the drawing machine sends with its orders
  const std::string turn = m.Turn(false);
  m.Reload();
  m.rig.B().sharedSeed = 7;
  Unit* b = m.b;
  ASSERT_TRUE(m.Merge(turn, false, 0));
  // The machine that does not draw the seed plays the sender's for the next action.
  EXPECT_EQ(m.rig.B().sharedSeed, 4321);
  EXPECT_EQ(m.rig.headless.Host().exchange.lastSharedSeed, 4321);
  ASSERT_EQ(m.rig.B().UnitCount(), 2);
  EXPECT_EQ(m.rig.B().UnitAt(1), b);  // overwritten in place
  EXPECT_EQ(b->x, 222.0f);
  EXPECT_EQ(b->target, m.a);
  EXPECT_EQ(m.a->x, 300.0f);
  EXPECT_EQ(m.a->target, b);
  // Both sides; the machine that draws the seed keeps its own.
  m.Reload();
  m.rig.B().sharedSeed = 7;
  m.rig.headless.Host().exchange.seedDrawing = true;
  ASSERT_TRUE(m.Merge(turn, true, 0));
  EXPECT_EQ(m.rig.B().UnitAt(0)->x, 111.0f);
  EXPECT_EQ(m.rig.B().sharedSeed, 7);
}

TEST(TurnMerge, NewUnitsJoinAndPacketsReplace) {
  MergeRig m;
  Unit* c = BattleTestRig::MakeUnit(0, 1, 500.0f, 500.0f);
  c->designation = 3;
  m.rig.B().PlaceUnitAt(c, c->x, c->y);
  // The quiet-turn counters only the computing machine counts travel with its action.
  m.rig.B().quietTurns[0] = 2;
  m.rig.B().quietTurns[1] = 5;
  const std::string turn = m.Turn(true);
  m.Reload();
  ASSERT_EQ(m.rig.B().quietTurns[1], 0);
  m.rig.B().packets.Append(new Packet);
  ASSERT_TRUE(m.Merge(turn, true, 1)) << [&] {
    std::string all;
    for (const std::string& l : m.rig.logFolder.LogLines()) all += l + "\n";
    return all;
  }();
  EXPECT_EQ(m.rig.B().UnitCount(), 3);
  // The joined unit is counted for its side until the battle's looks are made again.
  EXPECT_EQ(m.rig.B().missingGraphics[0], 0);
  EXPECT_EQ(m.rig.B().missingGraphics[1], 1);
  EXPECT_EQ(m.rig.B().packets.Count(), 0);
  EXPECT_EQ(m.rig.B().quietTurns[0], 2);
  EXPECT_EQ(m.rig.B().quietTurns[1], 5);
  // Orders without an action leave the counters as they are.
  m.rig.B().quietTurns[0] = 1;
  const std::string orders = m.Turn(false);
  ASSERT_TRUE(m.Merge(orders, false, 0));
  EXPECT_EQ(m.rig.B().quietTurns[0], 1);
  EXPECT_EQ(m.rig.B().quietTurns[1], 5);
  // Units it already holds are overwritten: nothing more to load.
  EXPECT_EQ(m.rig.B().missingGraphics[1], 1);
}

TEST(TurnMerge, TurnThatDoesNotFitLeavesTheBattle) {
  MergeRig m;
  // The opponent's unit refers to a unit of the own side that this machine does not hold.
  Unit* ghost = BattleTestRig::MakeUnit(0, 0, 50.0f, 50.0f);
  ghost->designation = 9;
  m.rig.B().PlaceUnitAt(ghost, ghost->x, ghost->y);
  m.b->target = ghost;
  m.b->x = 5.0f;
  const std::string bad = m.Turn(false);
  m.Reload();
  const std::string before = m.rig.Save();
  EXPECT_FALSE(m.Merge(bad, false, 0));
  EXPECT_EQ(m.rig.Save(), before);
  // Every cut of a good turn is refused or merged whole, never half.
  MergeRig good;
  good.b->x = 7.0f;
  const std::string turn = good.Turn(true);
  for (size_t cut = 0; cut < turn.size(); cut += 3) {
    good.Reload();
    const std::string was = good.rig.Save();
    if (!good.Merge(turn.substr(0, cut), false, 0)) {
      EXPECT_EQ(good.rig.Save(), was) << cut;
    }
  }
}

}  // namespace
