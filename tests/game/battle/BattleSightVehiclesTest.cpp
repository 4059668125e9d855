// The vehicles a sight line gathers: the battle's direct walk of its unit group gives exactly
// what the walk through GetUnit gives, in the same order, over a random battle.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/battle/BattleTestRig.h"
#include "game/map/SightUnitList.h"

namespace {

// A test vehicle whose sight-blocking flag the test sets.
class BlockingVehicle : public TestVehicle {
 public:
  bool BlocksSight() const override { return blocks; }
  bool blocks = false;
};

uint32_t Next(uint32_t& v) {
  v = v * 1664525u + 1013904223u;
  return v >> 8;
}

float Metres(uint32_t& v, float span) { return static_cast<float>(Next(v) % 100000u) * 0.00001f * span; }

std::vector<const MapUnitView*> Collect(const MapBattleServices& battle, bool direct, float x0, float y0, float x1,
                                        float y1) {
  SightUnitList list;
  if (direct) battle.CollectSightVehicles(list, x0, y0, x1, y1);
  else battle.MapBattleServices::CollectSightVehicles(list, x0, y0, x1, y1);
  return list.Members();
}

TEST(BattleSightVehicles, DirectWalkEqualsTheWalkThroughEveryUnit) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  uint32_t v = 2024u;
  int32_t blocking = 0;
  for (int32_t i = 0; i < 240; ++i) {
    const float x = Metres(v, 1000.0f);
    const float y = Metres(v, 1000.0f);
    const int32_t kind = static_cast<int32_t>(Next(v) % 4u);
    Unit* unit = nullptr;
    if (kind == 3) {
      auto* vehicle = new BlockingVehicle();
      vehicle->Setup(x, y, 0.0f, 0, 2);
      vehicle->blocks = Next(v) % 3u != 0u;
      blocking += vehicle->blocks ? 1 : 0;
      unit = vehicle;
    } else {
      unit = BattleTestRig::MakeUnit(kind, static_cast<int32_t>(i & 1), x, y);
    }
    battle.units.Append(unit);
  }
  ASSERT_GT(blocking, 20);
  // Units standing exactly on a box's edges count.
  const Unit* edge = battle.UnitAt(battle.UnitCount() - 1);
  int64_t found = 0;
  for (int32_t k = 0; k < 400; ++k) {
    float x0 = Metres(v, 1100.0f) - 50.0f;
    float y0 = Metres(v, 1100.0f) - 50.0f;
    float x1 = x0 + Metres(v, 600.0f);
    float y1 = y0 + Metres(v, 600.0f);
    if (k == 0) {
      x0 = x1 = edge->x;
      y0 = y1 = edge->y;
    }
    const std::vector<const MapUnitView*> direct = Collect(battle, true, x0, y0, x1, y1);
    EXPECT_EQ(direct, Collect(battle, false, x0, y0, x1, y1)) << "box " << k;
    found += static_cast<int64_t>(direct.size());
  }
  EXPECT_GT(found, 400);
  // The vehicles were listed once for all those boxes. Moved, taken out, put back, reordered
  // or joined by a new vehicle, the group is listed again once and still agrees.
  EXPECT_EQ(battle.SightVehicleListings(), 1);
  auto agree = [&](int64_t listings, const char* what) {
    for (int32_t k = 0; k < 20; ++k) {
      const float x0 = Metres(v, 900.0f);
      const float y0 = Metres(v, 900.0f);
      EXPECT_EQ(Collect(battle, true, x0, y0, x0 + 300.0f, y0 + 300.0f),
                Collect(battle, false, x0, y0, x0 + 300.0f, y0 + 300.0f))
          << what;
    }
    EXPECT_EQ(battle.SightVehicleListings(), listings) << what;
  };
  for (int32_t i = 0; i < battle.UnitCount(); i += 3) battle.UnitAt(i)->x += 150.0f;
  agree(1, "moved");
  Unit* taken = battle.UnitAt(5);
  battle.units.RemoveAt(5, false);
  agree(2, "taken out");
  battle.units.Append(taken);
  agree(3, "put back at the end");
  battle.units.Swap(0, battle.UnitCount() - 1);
  agree(4, "reordered");
  auto* joined = new BlockingVehicle();
  joined->Setup(450.0f, 450.0f, 0.0f, 0, 2);
  joined->blocks = true;
  battle.units.Append(joined);
  agree(5, "joined");
  EXPECT_EQ(Collect(battle, true, 449.0f, 449.0f, 451.0f, 451.0f).back(), joined);
  // The flag is read at each call: a vehicle that stops blocking leaves the list.
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    if (auto* vehicle = dynamic_cast<BlockingVehicle*>(battle.UnitAt(i))) vehicle->blocks = false;
  }
  EXPECT_TRUE(Collect(battle, true, -100.0f, -100.0f, 2000.0f, 2000.0f).empty());
}

}  // namespace
