// The computer's fortifications at set-up: tile weights with the edge correction, the draws
// per object, zones, taken cells and the spacing from the side's units.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"
#include "support/RandomDraws.h"

namespace {

class StandingObject : public TestInanimate {
 public:
  bool CanStandAt(float, float, bool) override { return stand; }
  bool stand = true;
};

struct FortRig {
  FortRig() : battle(rig.Fresh()) {
    context.battle = &battle;
    context.side = 0;
    for (int32_t& owner : battle.edgeOwner) owner = 2;
    // A fresh map gives its outer quarters to the sides: here only a test's own zones count.
    Zone(0, 0, battle.map->terrain.tiles.Width() - 1, battle.map->terrain.tiles.Height() - 1, 0);
  }
  StandingObject* Object(int32_t kind, int32_t zone) {
    auto* object = new StandingObject();
    object->Setup(5.0f, 5.0f, 0.0f, 6, 2);
    object->side = 1;
    object->objectKind = kind;
    object->setupZone = zone;
    units.emplace_back(object);
    return object;
  }
  void Zone(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t zone) {
    for (int32_t x = x0; x <= x1; ++x)
      for (int32_t y = y0; y <= y1; ++y) battle.map->terrain.tiles.At(x, y).zone = zone;
  }
  uint8_t ZoneUnder(const Unit& unit) const {
    return battle.map->terrain.tiles.At(static_cast<int32_t>(unit.x * 0.05f), static_cast<int32_t>(unit.y * 0.05f)).zone;
  }

  BattleTestRig rig;
  Battle& battle;
  AIPlanContext context;
  std::vector<std::unique_ptr<Unit>> units;
};

}  // namespace

TEST(AISetupFortifications, WeightsLeanAwayFromTheOwnEdgeWithTheRoundedSlope) {
  FortRig r;
  ASSERT_TRUE(r.battle.map->NewMap(700.0f, 700.0f, nullptr));
  StandingObject* roadblock = r.Object(0, 4);
  const int32_t open = AIOperational::FortificationWeight(r.context, 10, 24, *roadblock);
  EXPECT_EQ(open, 1000);
  r.battle.edgeOwner[1] = 0;  // own North
  r.battle.edgeOwner[3] = 1;  // enemy South
  // y = 490 m is 0.7 of the height: 1000 x (1 - 0.3 x 1.66667) truncates to 499.
  EXPECT_EQ(AIOperational::FortificationWeight(r.context, 10, 24, *roadblock), 499);
  // Towards the own edge the weight falls: y = 690 m keeps 1 - (410 / 700) x 1.66667.
  EXPECT_EQ(AIOperational::FortificationWeight(r.context, 10, 34, *roadblock), 23);
  EXPECT_EQ(AIOperational::FortificationWeight(r.context, 10, 5, *roadblock), 1000);
  r.battle.edgeOwner[3] = 2;  // South nobody's: halfway back to 1
  EXPECT_EQ(AIOperational::FortificationWeight(r.context, 10, 24, *roadblock), 749);
  roadblock->stand = false;
  EXPECT_EQ(AIOperational::FortificationWeight(r.context, 10, 24, *roadblock), 1);
}

TEST(AISetupFortifications, ObjectsTakeDistinctCellsOfTheirZoneKeptApartFromUnits) {
  FortRig r;
  r.Zone(10, 10, 13, 13, 4);  // 16 tiles of zone 4
  r.Zone(20, 20, 21, 21, 5);  // 4 of zone 5
  // A vehicle of the side on tile (10, 10): its tile and neighbours are taken for roadblocks.
  std::unique_ptr<Unit> vehicle(BattleTestRig::MakeUnit(1, 0, 205.0f, 205.0f));
  r.battle.units.Append(vehicle.get());
  GGroup objects;
  objects.Init();
  objects.SetOwnsMembers(false);
  StandingObject* a = r.Object(0, 4);
  StandingObject* b = r.Object(0, 4);
  StandingObject* wire = r.Object(1, 5);
  StandingObject* marker = r.Object(3, 4);
  StandingObject* trp = r.Object(2, 6);  // no tile of zone 6: a target reference point goes anywhere
  for (Unit* o : std::vector<Unit*>{a, marker, wire, b, trp}) objects.Append(o);
  SeedRandom(11);
  AIOperational::PlaceAllFortifications(r.context, objects);
  r.battle.units.RemoveObject(vehicle.get(), false);
  // Roadblocks: 20 cells, each object 20 jitters and 2 position draws; wire 20 + 1 + 2; the
  // target reference point 20 + 2.
  EXPECT_EQ(RandomState(), StateAfterDraws(11, 2 * 22 + 23 + 22));
  ASSERT_EQ(objects.Count(), 1);
  EXPECT_EQ(objects.GetItem(0), marker);
  EXPECT_FLOAT_EQ(marker->x, 5.0f);
  EXPECT_EQ(r.ZoneUnder(*a), 4);
  EXPECT_EQ(r.ZoneUnder(*b), 4);
  EXPECT_EQ(r.ZoneUnder(*wire), 5);
  EXPECT_NE(r.ZoneUnder(*trp), 0);
  const auto tile = [](const Unit* u) { return std::pair(static_cast<int>(u->x / 20), static_cast<int>(u->y / 20)); };
  EXPECT_NE(tile(a), tile(b));
  for (const Unit* o : {a, b}) {
    EXPECT_FALSE(tile(o).first <= 11 && tile(o).second <= 11) << tile(o).first << "," << tile(o).second;
    const float cx = (static_cast<float>(tile(o).first) + 0.5f) * 20.0f;
    EXPECT_LE(std::fabs(o->x - cx), 2.0f);
  }
}
