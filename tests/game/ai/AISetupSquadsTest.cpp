// The computer's first turn on a small battle of the built-in tables: the groups it forms in
// either posture, where its units end up, the leaders beside their squads, platoons kept to
// their zones, and the same set-up from the same seed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/map/Map.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "support/TestFolder.h"

namespace {

int32_t FindClass(bool squad, int32_t leaderLevel) {
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData c = gInfantryClasses[i];
    if ((c.IsSquad() != 0) != squad || c.LeaderLevel() != leaderLevel) continue;
    if (squad && c.MainWeapon() != Infantry::kNoWeapon) continue;
    return i;
  }
  return -1;
}

struct SquadsRig {
  SquadsRig() {
    Hack::LoadTables();
    Infantry::Register();
    headless.New();
    squadClass = FindClass(true, 0);
    leaderClass = FindClass(false, 1);
    Battle& battle = B();
    battle.edgeOwner[0] = 2;
    battle.edgeOwner[1] = 0;  // side 0 holds the North, side 1 the South
    battle.edgeOwner[2] = 2;
    battle.edgeOwner[3] = 1;
    auto& tiles = battle.map->terrain.tiles;
    // Side 0's zones: 4 in the north-west, 5 in the north-east; side 1's zone 1 in the south.
    for (int32_t x = 0; x < tiles.Width(); ++x) {
      for (int32_t y = 0; y < tiles.Height(); ++y) {
        uint8_t zone = 0;
        if (y >= tiles.Height() - 8) zone = x < tiles.Width() / 2 ? 4 : 5;
        if (y < 6) zone = 1;
        tiles.At(x, y).zone = zone;
      }
    }
    context.battle = &battle;
    context.side = 0;
    headless.Host().options[11] = 1;
  }
  ~SquadsRig() {
    for (int32_t kind = 0; kind < 4; ++kind) {
      RegisterUnitMaker(kind, nullptr);
      RegisterBlankUnitMaker(kind, nullptr);
    }
  }
  Battle& B() { return *headless.GetBattle(); }

  Infantry* Add(int32_t classIndex, int32_t sideIndex, float x, float y, int32_t zone, int32_t letter, int32_t number) {
    auto* unit = new Infantry();
    unit->Init(classIndex, sideIndex == 0 ? 6 : 0, 2, x, y, 45.0f);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    unit->setupZone = zone;
    unit->SetDesignation(letter, number);
    B().PlaceUnitAt(unit, x, y);
    return unit;
  }
  // A platoon of three squads (numbers 1 to 3) under a level-1 leader, all of the zone, spread
  // over the map's middle so that the set-up has to move them.
  Infantry* Platoon(int32_t sideIndex, int32_t zone, int32_t letter, float x) {
    Infantry* leader = Add(leaderClass, sideIndex, x, 300.0f, zone, letter, 0);
    for (int32_t n = 1; n <= 3; ++n) {
      Infantry* squad = Add(squadClass, sideIndex, x + 30.0f * static_cast<float>(n), 350.0f, zone, letter, n);
      squad->platoonLeader = leader;
    }
    return leader;
  }
  void Build(bool defender) {
    B().attacker = defender ? 1 : 0;
    context.defender = defender;
    B().setupPhase = 1;
    AIOperational::BuildGroups(context);
  }
  // How many of the side's groups hold the unit.
  int32_t GroupsHolding(const Unit* unit) const {
    int32_t n = 0;
    const Battle& battle = *context.battle;
    for (int32_t g = 0; g < battle.AIGroupCount(0); ++g) n += battle.AIGroupAt(0, g)->Contains(unit) ? 1 : 0;
    return n;
  }

  DataTablesRig tables;
  TestFolder logFolder{true};
  HeadlessBattle headless;
  AIPlanContext context;
  int32_t squadClass = -1;
  int32_t leaderClass = -1;
};

// Every unit of side 0 stands in its zone, faces away from the North edge and is in exactly
// one group; none is left parked.
void ExpectSetUp(SquadsRig& rig) {
  Battle& battle = rig.B();
  int32_t checked = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    if (unit->GetSideIndex() != 0) continue;
    ++checked;
    EXPECT_LT(unit->x, AIOperational::kParkOffset) << i;
    EXPECT_TRUE(unit->CanDeployAt(unit->x, unit->y)) << i << " at " << unit->x << ", " << unit->y;
    EXPECT_FLOAT_EQ(unit->facing, 270.0f) << i;
    EXPECT_EQ(rig.GroupsHolding(unit), 1) << i;
  }
  EXPECT_EQ(checked, 12);
}

}  // namespace

TEST(AISetupSquads, BothPosturesPlaceEveryUnitInItsZoneAndInOneGroup) {
  for (const bool defender : {true, false}) {
    SquadsRig rig;
    ASSERT_GE(rig.squadClass, 0);
    ASSERT_GE(rig.leaderClass, 0);
    rig.Platoon(0, 4, 'A', 100.0f);
    rig.Platoon(0, 5, 'B', 500.0f);
    rig.Platoon(0, 4, 'C', 250.0f);
    SeedRandom(7);
    rig.Build(defender);
    ExpectSetUp(rig);
  }
}

TEST(AISetupSquads, TheSameSeedGivesTheSameSetUp) {
  std::vector<float> first;
  uint32_t firstState = 0;
  for (int32_t run = 0; run < 2; ++run) {
    SquadsRig rig;
    rig.Platoon(0, 4, 'A', 100.0f);
    rig.Platoon(0, 5, 'B', 500.0f);
    SeedRandom(11);
    rig.Build(false);
    std::vector<float> places;
    Battle& battle = rig.B();
    for (int32_t i = 0; i < battle.UnitCount(); ++i) {
      places.push_back(battle.UnitAt(i)->x);
      places.push_back(battle.UnitAt(i)->y);
      places.push_back(battle.UnitAt(i)->facing);
    }
    for (int32_t g = 0; g < battle.AIGroupCount(0); ++g) places.push_back(static_cast<float>(battle.AIGroupAt(0, g)->Count()));
    if (run == 0) {
      first = places;
      firstState = RandomState();
    } else {
      EXPECT_EQ(places, first);
      EXPECT_EQ(RandomState(), firstState);
    }
  }
}

TEST(AISetupSquads, AParkedLeaderWhoseTriesFailIsPlacedInItsZone) {
  SquadsRig rig;
  // The squads stand in zone 4 in the west; the leader's zone 5 lies more than 60 m away, so
  // no try beside them can pass its zone test.
  Infantry* leader = rig.Platoon(0, 5, 'A', 20.0f);
  for (int32_t i = 0; i < rig.B().UnitCount(); ++i) {
    Unit* unit = rig.B().UnitAt(i);
    if (unit != leader) unit->SetPosition(unit->x, 780.0f);
  }
  GDynamicArray grid;
  const auto& tiles = rig.B().map->terrain.tiles;
  grid.Init(2, tiles.Height(), tiles.Width());
  grid.Zero();
  rig.context.defender = false;

  // Not parked: it goes back to where it stood.
  leader->SetPosition(30.0f, 300.0f);
  SeedRandom(3);
  EXPECT_FALSE(AIOperational::PlaceLeaderWithSquads(rig.context, *leader, grid));
  EXPECT_FLOAT_EQ(leader->x, 30.0f);
  EXPECT_FLOAT_EQ(leader->y, 300.0f);

  // Parked: it would spend the battle off the map; it takes a place in its zone instead.
  AIOperational::ParkUnit(*leader);
  ASSERT_GE(leader->x, AIOperational::kParkOffset);
  EXPECT_FALSE(AIOperational::PlaceLeaderWithSquads(rig.context, *leader, grid));
  EXPECT_LT(leader->x, AIOperational::kParkOffset);
  EXPECT_TRUE(leader->CanDeployAt(leader->x, leader->y));
  EXPECT_EQ(rig.B().map->terrain.tiles.At(static_cast<int32_t>(leader->x * 0.05f), static_cast<int32_t>(leader->y * 0.05f)).zone, 5);
}

TEST(AISetupSquads, PlatoonsNeverSwapAcrossZoneNumbers) {
  SquadsRig rig;
  // Platoon A's squads 2 and 3 stand far off; the nearer squads of platoon B (another zone)
  // would be swapped with them but for the zones.
  rig.Platoon(0, 4, 'A', 100.0f);
  rig.Platoon(0, 5, 'B', 105.0f);
  Battle& battle = rig.B();
  std::vector<std::pair<float, float>> before;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) before.emplace_back(battle.UnitAt(i)->x, battle.UnitAt(i)->y);
  rig.context.defender = false;
  AIOperational::OrderPlatoons(rig.context);
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    EXPECT_FLOAT_EQ(battle.UnitAt(i)->x, before[static_cast<size_t>(i)].first) << i;
    EXPECT_FLOAT_EQ(battle.UnitAt(i)->y, before[static_cast<size_t>(i)].second) << i;
  }
  // With one zone for both, the nearer squads of the other platoon trade places.
  for (int32_t i = 0; i < battle.UnitCount(); ++i) battle.UnitAt(i)->setupZone = 4;
  AIOperational::OrderPlatoons(rig.context);
  int32_t moved = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    moved += battle.UnitAt(i)->x != before[static_cast<size_t>(i)].first ? 1 : 0;
  }
  EXPECT_GT(moved, 0);
}

TEST(AISetupSquads, ASquadUnderItsOwnLeaderStaysAndAStrayOneTradesPlaces) {
  SquadsRig rig;
  Battle& battle = rig.B();
  Infantry* leader = rig.Add(rig.leaderClass, 0, 100.0f, 700.0f, 4, 'A', 0);
  Infantry* near = rig.Add(rig.squadClass, 0, 110.0f, 700.0f, 4, 'A', 1);
  Infantry* stray = rig.Add(rig.squadClass, 0, 700.0f, 100.0f, 4, 'A', 2);
  // A team (no squad, no leader) of the same zone in the leader's group.
  Infantry* other = rig.Add(FindClass(false, -1), 0, 120.0f, 710.0f, 4, 'B', 1);
  near->platoonLeader = leader;
  stray->platoonLeader = leader;
  rig.context.defender = true;
  battle.aiGroups[0] = new GObjectGroup();
  battle.aiGroups[0]->Init();
  battle.aiGroups[0]->SetOwnsMembers(true);
  auto group = [&battle](std::initializer_list<Unit*> members) {
    auto* g = new AIGroup();
    g->Init();
    for (Unit* unit : members) g->Append(unit);
    battle.aiGroups[0]->Append(g);
    return g;
  };
  AIGroup* leaders = group({leader, other});
  AIGroup* squads = group({near, stray});
  GGroup units;
  units.Init();
  units.SetOwnsMembers(false);
  for (Unit* unit : {static_cast<Unit*>(leader), static_cast<Unit*>(near), static_cast<Unit*>(stray),
                     static_cast<Unit*>(other)}) {
    units.Append(unit);
  }
  AIOperational::ReuniteSquadsWithLeaders(rig.context, units);
  // The squad in its leader's command stays where it stands and in its group.
  EXPECT_FLOAT_EQ(near->x, 110.0f);
  EXPECT_TRUE(squads->Contains(near));
  // The stray squad takes the place and the group of the team.
  EXPECT_FLOAT_EQ(stray->x, 120.0f);
  EXPECT_FLOAT_EQ(stray->y, 710.0f);
  EXPECT_FLOAT_EQ(other->x, 700.0f);
  EXPECT_TRUE(leaders->Contains(stray));
  EXPECT_TRUE(squads->Contains(other));
}
