// Buildings, bridges and walls made from tile codes and stamped into the fine grid; the
// footprint test; the stored building record; damage, collapse and what it does to units.
#include <cmath>
#include <set>
#include <utility>

#include "MapTestRig.h"
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/Distance.h"
#include "game/map/FineTerrain.h"
#include "game/map/Wall.h"

namespace {

Building* BuildingAt(const Map& map, int index) { return static_cast<Building*>(map.objects.buildings->GetItem(index)); }
Wall* WallAt(const Map& map, int index) { return static_cast<Wall*>(map.objects.walls->GetItem(index)); }
int CellType(const Map& map, int i, int j) { return FineTerrain::TypeOf(map.terrain.fineGrid.At(i, j)); }

// A map of w x h flat tiles with the codes placed.
std::unique_ptr<Map> WithCodes(MapRig& rig, int w, int h, std::vector<std::tuple<int, int, int>> codes) {
  return rig.Build(w, h, [&](Map& m) {
    for (auto [x, y, code] : codes) m.terrain.tiles.At(x, y).code = static_cast<uint8_t>(code);
  });
}

Bytes WriteBuilding(MapRig& rig, const Building& b) {
  {
    auto file = rig.files.Open("b.bin", GFile::kModeWrite);
    b.Write(*file);
  }
  return rig.files.Get("b.bin");
}

}  // namespace

// ---- Objects from tile codes ----

TEST(MapBuildingsFromCodes, Code62MakesOneTurnedLightBuildingWithItsRecord) {
  MapRig rig;
  auto map = WithCodes(rig, 5, 5, {{2, 3, 62}});
  ASSERT_EQ(map->objects.buildings->Count(), 1);
  const Building& b = *BuildingAt(*map, 0);
  EXPECT_EQ(b.type, 31);
  EXPECT_EQ(b.tileX, 2);
  EXPECT_EQ(b.tileY, 3);
  EXPECT_FALSE(b.tall);
  const float expected[4][2] = {{45.2f, 74.8f}, {54.8f, 74.8f}, {54.8f, 65.2f}, {45.2f, 65.2f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(b.corners[i].x, expected[i][0], 1e-4f);
    EXPECT_NEAR(b.corners[i].y, expected[i][1], 1e-4f);
  }
  EXPECT_FLOAT_EQ(b.baseHeight, map->terrain.tileHeight.At(2, 3) - 0.05f);
  EXPECT_EQ(WriteBuilding(rig, b), (Bytes{0x00, 0x02, 0x00, 0x03, 0x00, 0x00, 0x03, 0x00}));
  EXPECT_EQ(map->FindBuildingAtTile(2, 3), &b);
  EXPECT_EQ(map->FindBuildingAtTile(3, 3), nullptr);
}

TEST(MapBuildingsFromCodes, FullTileCodesDifferOnlyInCornerOrder) {
  MapRig rig;
  auto map = WithCodes(rig, 6, 3, {{0, 1, 83}, {1, 1, 84}, {2, 1, 85}, {3, 1, 86}, {4, 1, 87}});
  ASSERT_EQ(map->objects.buildings->Count(), 5);
  std::set<std::pair<float, float>> first;
  for (const auto& c : BuildingAt(*map, 0)->corners) first.insert({c.x, c.y});
  for (int i = 1; i < 4; ++i) {
    const Building& b = *BuildingAt(*map, i);
    EXPECT_EQ(b.type, 34);
    std::set<std::pair<float, float>> corners;
    for (const auto& c : b.corners) corners.insert({c.x - 20.0f * static_cast<float>(i), c.y});
    EXPECT_EQ(corners, first) << i;
    // The first corner moves round the square with the turn.
    EXPECT_FALSE(b.corners[0].x - 20.0f * static_cast<float>(i) == BuildingAt(*map, 0)->corners[0].x &&
                 b.corners[0].y == BuildingAt(*map, 0)->corners[0].y);
  }
  EXPECT_EQ(BuildingAt(*map, 4)->type, 46);
  EXPECT_TRUE(BuildingAt(*map, 4)->tall);
}

TEST(MapBuildingsFromCodes, ALoneBridgeHasTwoRampsAndTwoInARowShareNone) {
  MapRig rig;
  auto lone = WithCodes(rig, 3, 3, {{0, 1, 91}});
  ASSERT_EQ(lone->objects.buildings->Count(), 3);
  EXPECT_EQ(BuildingAt(*lone, 0)->type, 36);
  EXPECT_EQ(BuildingAt(*lone, 1)->type, 40);
  EXPECT_EQ(BuildingAt(*lone, 2)->type, 40);
  // The low ramp first, reaching 18 m past the map edge.
  EXPECT_FLOAT_EQ(BuildingAt(*lone, 1)->corners[2].x, -18.0f);
  EXPECT_FLOAT_EQ(BuildingAt(*lone, 2)->corners[2].x, 38.0f);
  EXPECT_TRUE(Map::IsBridgeCode(91));
  EXPECT_TRUE(Map::IsBridgeCode(98));
  EXPECT_TRUE(Map::IsBridgeCode(91 + 256));
  EXPECT_FALSE(Map::IsBridgeCode(99));

  auto pair = WithCodes(rig, 3, 3, {{0, 1, 91}, {1, 1, 91}});
  ASSERT_EQ(pair->objects.buildings->Count(), 4);
  int decks = 0;
  int ramps = 0;
  for (int i = 0; i < 4; ++i) (BuildingAt(*pair, i)->type == 36 ? decks : ramps) += 1;
  EXPECT_EQ(decks, 2);
  EXPECT_EQ(ramps, 2);

  // Along y: the high-y ramp before the low-y one; other bridge types give their ramps.
  auto alongY = WithCodes(rig, 3, 3, {{1, 1, 96}});
  ASSERT_EQ(alongY->objects.buildings->Count(), 3);
  EXPECT_EQ(BuildingAt(*alongY, 0)->type, 38);
  EXPECT_TRUE(BuildingAt(*alongY, 0)->tall);
  EXPECT_EQ(BuildingAt(*alongY, 1)->type, 42);
  EXPECT_FLOAT_EQ(BuildingAt(*alongY, 1)->corners[2].y, 58.0f);
  EXPECT_FLOAT_EQ(BuildingAt(*alongY, 2)->corners[2].y, 2.0f);
}

TEST(MapBuildingsFromCodes, CodesThatMakeNothing) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(100.0f, 100.0f, nullptr));
  auto read = rig.Read(rig.Write(map));
  read->MakeBuildings(1, 1, 99);
  read->MakeBuildings(1, 1, 58);
  read->MakeWalls(1, 1, 99);
  read->MakeWalls(1, 1, 192);
  read->MakeWalls(1, 1, 255);
  EXPECT_EQ(read->objects.buildings->Count(), 0);
  EXPECT_EQ(read->objects.walls->Count(), 0);
}

TEST(MapWallsFromCodes, JunctionLayoutQuarterTurnsThicknessAndHeight) {
  MapRig rig;
  // Index 12: layout 5, no turn: the straight piece, then the east half, flags (0, 0).
  auto map = WithCodes(rig, 3, 3, {{1, 1, 112}});
  ASSERT_EQ(map->objects.walls->Count(), 2);
  EXPECT_EQ(WallAt(*map, 0)->type, 29);
  EXPECT_TRUE(WallAt(*map, 0)->isLong);
  EXPECT_FALSE(WallAt(*map, 1)->thick);
  EXPECT_FALSE(WallAt(*map, 1)->isLong);
  EXPECT_FLOAT_EQ(WallAt(*map, 0)->corners[0].x, 29.25f);
  EXPECT_FLOAT_EQ(WallAt(*map, 1)->corners[1].x, 40.0f);
  EXPECT_FLOAT_EQ(WallAt(*map, 0)->height, 0.99f);

  Wall wall(*map);
  const Wall::Corner corners[4] = {{0, 0}, {20, 0}, {20, 20}, {0, 20}};
  wall.Init(30, false, false, corners);
  wall.RotateQuarter(2);
  EXPECT_FLOAT_EQ(wall.corners[0].x, 20.0f);
  EXPECT_FLOAT_EQ(wall.corners[0].y, 20.0f);
  EXPECT_FLOAT_EQ(wall.corners[1].x, 0.0f);
  EXPECT_FLOAT_EQ(wall.corners[1].y, 20.0f);
  wall.RotateQuarter(1);
  EXPECT_FLOAT_EQ(wall.corners[0].x, 20.0f);
  EXPECT_FLOAT_EQ(wall.corners[0].y, 0.0f);

  // Bocage stands 4.5 m high: its box is 4.5 m taller than the ground under it.
  auto bocage = WithCodes(rig, 3, 3, {{1, 1, 162}});
  ASSERT_EQ(bocage->objects.walls->Count(), 1);
  const Wall& b = *WallAt(*bocage, 0);
  EXPECT_EQ(b.type, 28);
  EXPECT_FLOAT_EQ(b.height, 4.5f);
  EXPECT_FLOAT_EQ(b.hz, 4.5f * 0.5263157894736842f);
  EXPECT_EQ(CellType(*bocage, 15, 12), 28);
  EXPECT_EQ(CellType(*bocage, 14, 12), 0);
}

TEST(MapWallsFromCodes, AThickWallCoversOneMoreCellInMinusXAndMinusY) {
  MapRig rig;
  auto Cells = [&](bool thick) {
    auto map = rig.Default(4, 4);
    auto* wall = new Wall(*map);
    const Wall::Corner corners[4] = {{30.5f, 20.5f}, {30.5f, 40.5f}, {32.5f, 40.5f}, {32.5f, 20.5f}};
    wall->Init(29, thick, true, corners);
    wall->Stamp();
    delete wall;
    std::set<std::pair<int, int>> cells;
    for (int i = 0; i < 40; ++i)
      for (int j = 0; j < 40; ++j)
        if (CellType(*map, i, j) == 29) cells.insert({i, j});
    return cells;
  };
  auto thin = Cells(false);
  auto thick = Cells(true);
  ASSERT_FALSE(thin.empty());
  EXPECT_EQ(thin.begin()->first, 16);
  EXPECT_EQ(thick.begin()->first, thin.begin()->first - 1);
  int thinMinY = 99, thickMinY = 99;
  for (auto [i, j] : thin) thinMinY = std::min(thinMinY, j);
  for (auto [i, j] : thick) thickMinY = std::min(thickMinY, j);
  EXPECT_EQ(thickMinY, thinMinY - 1);
  for (auto cell : thin) EXPECT_TRUE(thick.count(cell));
}

TEST(MapWallsFromCodes, AWallSplitsWhereTheGroundUnderItsMiddleIsUneven) {
  MapRig rig;
  auto map = rig.Default(4, 4);
  Wall wall(*map);
  const Wall::Corner corners[4] = {{20, 20}, {20, 40}, {21, 40}, {21, 20}};
  wall.Init(29, false, false, corners);
  wall.UpdateBounds();
  GGroup halves;
  halves.IGroup();
  wall.SplitIfUneven(halves);
  EXPECT_EQ(halves.Count(), 0);
  // Lower the ground under the middle by 0.11 m at the corners' level: it splits.
  wall.groundHeights[0] += 0.2f;
  wall.groundHeights[2] += 0.2f;
  wall.SplitIfUneven(halves);
  ASSERT_EQ(halves.Count(), 1);
  auto* half = static_cast<Wall*>(halves.GetItem(0));
  EXPECT_FLOAT_EQ(half->corners[0].y, 30.0f);
  EXPECT_FLOAT_EQ(half->corners[3].y, 30.0f);
  EXPECT_FLOAT_EQ(wall.corners[1].y, 30.0f);
  EXPECT_FLOAT_EQ(wall.corners[2].y, 30.0f);
  // Within 0.1 m below the mean nothing happens.
  Wall level(*map);
  level.Init(29, false, false, corners);
  level.UpdateBounds();
  level.groundHeights[0] += 0.1f;
  level.groundHeights[2] += 0.1f;
  level.SplitIfUneven(halves);
  EXPECT_EQ(halves.Count(), 1);
}

// ---- Stamps ----

TEST(MapBuildingStamps, TallBuildingsFillTheirTileAndJoinAlongY) {
  MapRig rig;
  auto lone = WithCodes(rig, 4, 4, {{1, 1, 83}});
  for (int i = 10; i < 20; ++i)
    for (int j = 10; j < 20; ++j) EXPECT_EQ(CellType(*lone, i, j), 34) << i << "," << j;
  EXPECT_EQ(CellType(*lone, 9, 10), 0);

  auto joined = WithCodes(rig, 4, 4, {{1, 1, 83}, {1, 2, 88}});
  // The strip runs from 2.1 m inside the lower building to the shared edge, which the
  // upper building's first row of cells samples.
  for (int i = 10; i < 20; ++i) {
    EXPECT_EQ(CellType(*joined, i, 18), 34) << i;
    EXPECT_EQ(CellType(*joined, i, 19), 35) << i;
    EXPECT_EQ(CellType(*joined, i, 20), 35) << i;
    EXPECT_EQ(CellType(*joined, i, 21), 34) << i;
  }
  // A light building stamps two triangles of its corners moved back by 1 m.
  auto light = WithCodes(rig, 4, 4, {{1, 1, 60}});
  EXPECT_EQ(CellType(*light, 15, 15), 31);
  EXPECT_EQ(CellType(*light, 12, 12), 0);
  EXPECT_EQ(CellType(*light, 13, 13), 31);
  EXPECT_EQ(CellType(*light, 16, 16), 31);
  EXPECT_EQ(CellType(*light, 17, 16), 0);
}

TEST(MapBuildingStamps, BridgesStampTheirTypeAtDeckHeight) {
  MapRig rig;
  auto map = WithCodes(rig, 3, 3, {{1, 1, 91}});
  EXPECT_EQ(CellType(*map, 15, 15), 36);
  const float deck = Levels(2) - 0.05f + 3.0f * 2.0f * Map::kDefaultHeightScale;
  EXPECT_NEAR(map->CodeToHeight(map->terrain.fineGrid.At(15, 15) & 0x3FF), deck, 0.06f);
  EXPECT_EQ(CellType(*map, 5, 15), 40);
}

// ---- Footprint test and small operations ----

TEST(MapBuildingFootprint, BridgeExtentAndTallBuildingLeniency) {
  MapRig rig;
  auto map = WithCodes(rig, 5, 5, {{2, 1, 91}, {1, 3, 83}, {2, 3, 83}, {3, 1, 64}});
  const Building& deck = *map->FindBuildingAtTile(2, 1);
  EXPECT_TRUE(deck.Contains(40.0f - 1.5f, 30.0f, false));
  // The extent runs over whole metres: y from 25 to 34 (the corners lie at 25.5 and 34.5).
  EXPECT_TRUE(deck.Contains(60.0f + 1.5f, 23.5f, false));
  EXPECT_FALSE(deck.Contains(61.6f, 30.0f, false));
  EXPECT_TRUE(deck.Contains(50.0f, 35.5f, false));
  EXPECT_FALSE(deck.Contains(50.0f, 35.6f, false));

  Building& tall = *map->FindBuildingAtTile(1, 3);
  // 0.5 m into the tall neighbour: inside only when lenient.
  EXPECT_TRUE(tall.Contains(40.5f, 70.0f, true));
  EXPECT_FALSE(tall.Contains(40.5f, 70.0f, false));
  EXPECT_FALSE(tall.Contains(41.5f, 70.0f, true));
  tall.destroyed = 1;
  EXPECT_FALSE(tall.Contains(40.5f, 70.0f, true));
  tall.destroyed = 0;

  const Building& light = *map->FindBuildingAtTile(3, 1);
  EXPECT_TRUE(light.Contains(70.0f, 30.0f, true));
  // Off the tile, or on it where the ground is no building: outside.
  EXPECT_FALSE(light.Contains(80.5f, 30.0f, true));
  ASSERT_EQ(CellType(*map, 30, 10), 0);
  EXPECT_FALSE(light.Contains(61.0f, 21.0f, true));
  EXPECT_EQ(map->FindBuildingAt(70.0f, 30.0f), &light);
  EXPECT_EQ(map->FindBuildingAt(5.0f, 5.0f), nullptr);
}

// The building at a point is found through an index by tile; it must give what a search of
// the whole list in order gives, also after the list changes behind the index's back.
TEST(MapBuildingFootprint, FindingByTileAgreesWithASearchOfTheWholeList) {
  MapRig rig;
  auto map = WithCodes(rig, 6, 6, {{2, 1, 91}, {3, 1, 91}, {1, 3, 83}, {2, 3, 83}, {3, 3, 64}, {4, 4, 62}, {0, 0, 60}});
  auto search = [&map](float x, float y) -> Building* {
    Building* bridge = nullptr;
    for (int32_t i = 0; i < map->objects.buildings->Count(); ++i) {
      Building* b = BuildingAt(*map, i);
      if (!b->Contains(x, y, false)) continue;
      if (!b->IsBridge()) return b;
      if (bridge == nullptr) bridge = b;
    }
    return bridge;
  };
  auto agreeEverywhere = [&]() {
    int found = 0;
    for (float y = -3.0f; y < 123.0f; y += 0.75f) {
      for (float x = -3.0f; x < 123.0f; x += 0.75f) {
        Building* expected = search(x, y);
        ASSERT_EQ(map->FindBuildingAt(x, y), expected) << x << ", " << y;
        found += expected != nullptr ? 1 : 0;
      }
    }
    EXPECT_GT(found, 100);
  };
  agreeEverywhere();
  GGroup& list = *map->objects.buildings;
  ASSERT_GE(list.Count(), 7);
  // Reordered with the count unchanged, then one taken out, then put back at the end.
  list.Swap(0, list.Count() - 1);
  agreeEverywhere();
  GObject* taken = list.GetItem(2);
  list.RemoveAt(2, false);
  agreeEverywhere();
  list.Append(taken);
  agreeEverywhere();
  // One member put in another's place, two exchanged through the locked block, and the list
  // given up for a copy of itself (other members, another list).
  GObject* first = list.GetItem(0);
  list.ReplaceAt(0, list.GetItem(3), false);
  agreeEverywhere();
  list.ReplaceAt(0, first, false);
  GObject** members = list.Lock();
  std::swap(members[1], members[4]);
  list.Unlock();
  agreeEverywhere();
  GGroup* copy = static_cast<GGroup*>(list.CopyItself());
  delete map->objects.buildings;
  map->objects.buildings = copy;
  agreeEverywhere();
}

TEST(MapBuildingFootprint, PullTowardCentreStepsAtMost1Point3PerAxis) {
  MapRig rig;
  auto map = WithCodes(rig, 3, 3, {{1, 1, 83}});
  const Building& b = *BuildingAt(*map, 0);
  float x = 30.0f, y = 30.0f;
  b.PullTowardCentre(x, y);
  EXPECT_EQ(x, 30.0f);
  EXPECT_EQ(y, 30.0f);
  x = 30.5f;
  y = 29.5f;
  b.PullTowardCentre(x, y);
  EXPECT_EQ(x, 30.0f);
  EXPECT_EQ(y, 30.0f);
  x = 21.0f;
  y = 39.0f;
  b.PullTowardCentre(x, y);
  EXPECT_FLOAT_EQ(x, 22.3f);
  EXPECT_FLOAT_EQ(y, 37.7f);
}

TEST(MapBuildingFootprint, StrengthsAndTextureDrawsInOrder) {
  MapRig rig;
  auto map = WithCodes(rig, 3, 3, {{1, 1, 62}});
  Building b = *BuildingAt(*map, 0);
  const std::pair<int, float> strengths[] = {{31, 150}, {32, 230}, {33, 320}, {34, 650}, {36, 400}, {37, 700},
                                             {38, 20000}, {40, 20000}, {42, 20000}, {43, 650}, {46, 650}};
  for (auto [type, strength] : strengths) {
    b.type = type;
    EXPECT_EQ(b.GetStrength(), strength) << type;
  }
  b.type = 31;
  SeedRandom(77);
  const int r = Random(4);
  const int roof = 1200 + RandomOneTo(2);
  SeedRandom(77);
  b.ChooseTextures(true);
  EXPECT_EQ(b.wallVariant, r < 3 ? 12 + 3 * r : 46);
  EXPECT_EQ(b.roofNumber, roof);
  EXPECT_EQ(b.textures.wall[1], 300 + b.wallVariant + 1);
  EXPECT_EQ(b.textures.roof, roof);
  // The tower building draws no variant: only the roof.
  b.type = 46;
  SeedRandom(5);
  const int roof46 = 1200 + RandomOneTo(2);
  SeedRandom(5);
  b.ChooseTextures(true);
  EXPECT_EQ(b.wallVariant, 37);
  EXPECT_EQ(b.roofNumber, roof46);
  EXPECT_EQ(b.textures.extra, 336);
  // A copy keeps the variants and draws nothing.
  const uint32_t state = RandomState();
  std::unique_ptr<GObject> copy(b.CopyItself());
  EXPECT_EQ(RandomState(), state);
  EXPECT_EQ(static_cast<Building*>(copy.get())->roofNumber, roof46);
}

// ---- Stored records ----

TEST(MapBuildingRecords, DamageSaturatesAndRecordsRestoreOnRead) {
  MapRig rig;
  auto map = WithCodes(rig, 4, 4, {{1, 1, 95}, {2, 2, 83}, {0, 3, 60}});
  Building& bridge = *map->FindBuildingAtTile(1, 1);
  bridge.damage = 5000.0f;
  EXPECT_EQ(WriteBuilding(rig, bridge), (Bytes{0x00, 0x01, 0x00, 0x01, 0x7F, 0xFF, 0x03, 0x00}));
  Building& tall = *map->FindBuildingAtTile(2, 2);
  tall.damage = 100.0f;
  tall.Collapse(false, false, 0);
  Building& light = *map->FindBuildingAtTile(0, 3);
  light.damage = 12.5f;
  Bytes first = rig.Write(*map);
  auto back = rig.Read(first);
  EXPECT_FLOAT_EQ(back->FindBuildingAtTile(1, 1)->damage, 1638.35f);
  const Building& tallBack = *back->FindBuildingAtTile(2, 2);
  EXPECT_TRUE(tallBack.destroyed);
  EXPECT_FALSE(tallBack.joinX);
  EXPECT_EQ(CellType(*back, 25, 25), Building::kRubble);
  EXPECT_FLOAT_EQ(back->FindBuildingAtTile(0, 3)->damage, 12.5f);
  EXPECT_FALSE(back->FindBuildingAtTile(0, 3)->destroyed);
  EXPECT_EQ(rig.Write(*back), first);
}

TEST(MapBuildingRecords, RestoreStateWithoutApplyingOnlySetsTheFields) {
  MapRig rig;
  auto map = WithCodes(rig, 3, 3, {{1, 1, 83}});
  Building& b = *BuildingAt(*map, 0);
  b.RestoreState(false, true, 30.0f, true, true);
  EXPECT_TRUE(b.destroyed);
  EXPECT_FALSE(b.joinX);
  EXPECT_FALSE(b.joinY);
  EXPECT_EQ(b.damage, 30.0f);
  EXPECT_EQ(CellType(*map, 15, 15), 34);
}

// Two records of one building, the first destroying it and the second with joins: the
// building stays destroyed without joins, so saving and loading again gives the same bytes.
TEST(MapBuildingRecords, ALaterRecordGivesNoJoinsToADestroyedBuilding) {
  MapRig rig;
  auto map = WithCodes(rig, 3, 3, {{1, 1, 83}});
  Building& b = *BuildingAt(*map, 0);
  b.RestoreState(true, true, 30.0f, true, true);
  b.RestoreState(true, false, 40.0f, true, true);
  EXPECT_TRUE(b.destroyed);
  EXPECT_FALSE(b.joinX);
  EXPECT_FALSE(b.joinY);
  EXPECT_EQ(b.damage, 40.0f);
  const Bytes first = rig.Write(*map);
  EXPECT_EQ(rig.Write(*rig.Read(first)), first);
}

// ---- Damage and collapse ----

class MapBuildingDamage : public ::testing::Test {
 protected:
  void SetUp() override { battle = &rig.app.MakeBattle(); }
  FakeUnit& AddUnit(int kind, int side, float x, float y) {
    battle->units.push_back(std::make_unique<FakeUnit>(kind, side, x, y));
    battle->units.back()->map = map.get();
    return *battle->units.back();
  }
  // The damage a hit of the amount adds after seeding with the seed.
  static float Added(uint32_t seed, float amount) {
    SeedRandom(seed);
    const float part = RandomFloatTimes(amount);
    return (part + amount) * 0.5f;
  }
  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
};

TEST_F(MapBuildingDamage, HitAmountsByDistanceBeforeTheRandomHalving) {
  map = WithCodes(rig, 5, 5, {{2, 2, 60}});
  Building& b = *BuildingAt(*map, 0);
  struct Case {
    float x;
    float y;
    float amount;
    float expected;
  };
  const Case cases[] = {
      {50.0f, 50.0f, 100.0f, 100.0f},          // inside: all of it
      {58.0f, 50.0f, 100.0f, 50.0f},           // outside within 10 m: half
      {70.0f, 50.0f, 400.0f, 200.0f - 80.0f},  // 20 m: half less 80
      {90.0f, 50.0f, 1000.0f, 500.0f - 240.0f},
  };
  for (const Case& c : cases) {
    b.damage = 0.0f;
    const float added = Added(9, c.expected);
    SeedRandom(9);
    b.TakeHit(c.amount, c.x, c.y);
    EXPECT_FLOAT_EQ(b.damage, added) << c.x;
  }
  b.damage = 0.0f;
  const uint32_t state = RandomState();
  b.TakeHit(100000.0f, 91.0f, 50.0f);
  b.TakeHit(100.0f, 75.0f, 50.0f);  // half less 120: nothing
  EXPECT_EQ(b.damage, 0.0f);
  EXPECT_EQ(RandomState(), state);
  // Distances count in whole squared metres: 0.9 m is 0 m.
  b.damage = 0.0f;
  b.TakeHit(0.0f, 50.9f, 50.0f);
  EXPECT_EQ(b.damage, 0.0f);
}

TEST_F(MapBuildingDamage, DamageEqualToTheStrengthDoesNotCollapse) {
  map = WithCodes(rig, 3, 3, {{1, 1, 60}});
  Building& b = *BuildingAt(*map, 0);
  b.damage = 150.0f;
  EXPECT_FALSE(b.TakeDamage(0.0f));
  EXPECT_FALSE(b.destroyed);
  EXPECT_TRUE(b.TakeDamage(0.1f));
  EXPECT_TRUE(b.destroyed);
  EXPECT_FALSE(b.TakeDamage(100.0f));
}

TEST_F(MapBuildingDamage, TwoHitsCollapseALightBuildingWithASoundThenACollapsePacket) {
  map = WithCodes(rig, 3, 3, {{1, 1, 60}});
  Building& b = *BuildingAt(*map, 0);
  FakeUnit& inside = AddUnit(MapUnitView::kVehicle, 0, 30.0f, 30.0f);
  battle->slice = 100;
  SeedRandom(3);
  b.TakeHit(200.0f, 30.0f, 30.0f);
  EXPECT_FALSE(b.destroyed);
  EXPECT_GE(b.damage, 100.0f);
  b.TakeHit(200.0f, 30.0f, 30.0f);
  EXPECT_TRUE(b.destroyed);
  ASSERT_EQ(battle->packets.size(), 2u);
  const MapPacket& sound = battle->packets[0];
  EXPECT_EQ(sound.kind, MapPacket::kSound);
  EXPECT_TRUE(sound.sound.number == 160 || sound.sound.number == 161);
  EXPECT_EQ(sound.sound.kind, 15);
  EXPECT_FLOAT_EQ(sound.sound.parameter, 0.8f);
  EXPECT_EQ(sound.sound.source, nullptr);
  for (int side = 0; side < 2; ++side) {
    EXPECT_EQ(sound.sound.position[side][0], 30.0f);
    EXPECT_EQ(sound.sound.position[side][1], 30.0f);
    EXPECT_FLOAT_EQ(sound.sound.position[side][2], map->ElevationAt(30.0f, 30.0f));
    EXPECT_EQ(sound.sound.audible[side], 1);
  }
  EXPECT_EQ(battle->packets[1].kind, MapPacket::kBuildingCollapse);
  EXPECT_EQ(battle->packets[1].x, 30.0f);
  EXPECT_EQ(battle->packets[1].y, 30.0f);
  EXPECT_EQ(battle->packets[1].delay, 0);
  EXPECT_TRUE(battle->collapses.empty());
  EXPECT_GT(inside.stateChanges, 0);
  EXPECT_EQ(CellType(*map, 15, 15), Building::kRubble);

  // The replay on a fresh map: the effect, and no unit touched.
  auto replay = WithCodes(rig, 3, 3, {{1, 1, 64}});
  battle->units.clear();
  battle->packets.clear();
  map = std::move(replay);
  FakeUnit& guest = AddUnit(MapUnitView::kInfantry, 0, 30.0f, 30.0f);
  guest.men = 4;
  map->CollapseBuildingAt(30.0f, 30.0f, 7);
  EXPECT_TRUE(BuildingAt(*map, 0)->destroyed);
  ASSERT_EQ(battle->collapses.size(), 1u);
  EXPECT_EQ(battle->collapses[0].argument, 7);
  EXPECT_FALSE(battle->collapses[0].tall);
  EXPECT_EQ(guest.stateChanges, 0);
  EXPECT_EQ(guest.men, 4);
  EXPECT_TRUE(battle->packets.empty());
  // A second collapse packet on the wreck does nothing.
  map->CollapseBuildingAt(30.0f, 30.0f, 7);
  EXPECT_EQ(battle->collapses.size(), 1u);
}

TEST_F(MapBuildingDamage, CollapsedBridgesBecomeWrecksAndClearTheirUnits) {
  map = WithCodes(rig, 4, 4, {{1, 1, 91}, {1, 3, 95}});
  Building& low = *map->FindBuildingAtTile(1, 1);
  FakeUnit& onDeck = AddUnit(MapUnitView::kVehicle, 1, 30.0f, 30.0f);
  FakeUnit& beside = AddUnit(MapUnitView::kInfantry, 1, 30.0f, 50.0f);
  low.Collapse(true, false, 0);
  EXPECT_EQ(low.type, 43);
  EXPECT_TRUE(low.destroyed);
  EXPECT_EQ(CellType(*map, 15, 15), 43);
  EXPECT_FALSE(onDeck.alive);
  EXPECT_TRUE(onDeck.burntOut);
  EXPECT_EQ(onDeck.x, 19998.0f);
  EXPECT_EQ(onDeck.y, 19998.0f);
  EXPECT_TRUE(beside.alive);
  Building& high = *map->FindBuildingAtTile(1, 3);
  high.Collapse(false, false, 0);
  EXPECT_EQ(high.type, 44);
  EXPECT_EQ(CellType(*map, 15, 35), 44);
  // Ramps: 40 becomes 43.
  Building& ramp = *BuildingAt(*map, 1);
  ASSERT_EQ(ramp.type, 40);
  ramp.Collapse(false, false, 0);
  EXPECT_EQ(ramp.type, 43);
}

TEST_F(MapBuildingDamage, CollapseEliminatesUpperFloorsHurtsTheGroundFloorAndLowersWaypoints) {
  map = WithCodes(rig, 4, 4, {{1, 1, 83}});
  Building& b = *BuildingAt(*map, 0);
  FakeUnit& upstairs = AddUnit(MapUnitView::kInfantry, 0, 30.0f, 30.0f);
  upstairs.level = 6.0f;
  FakeUnit& downstairs = AddUnit(MapUnitView::kInfantry, 0, 25.0f, 25.0f);
  downstairs.men = 100;
  downstairs.identified = true;
  FakeUnit& gunCrew = AddUnit(MapUnitView::kInfantry, 1, 35.0f, 35.0f);
  gunCrew.men = 100;
  gunCrew.weaponType23 = true;
  FakeUnit& walker = AddUnit(MapUnitView::kInfantry, 1, 70.0f, 70.0f);
  walker.waypoints = {{30.0f, 30.0f, 11.0f, true}, {50.0f, 30.0f, 11.0f, true}, {32.0f, 32.0f, 11.0f, false}};
  b.Collapse(true, false, 0);
  EXPECT_FALSE(upstairs.alive);
  EXPECT_EQ(upstairs.level, 0.0f);
  EXPECT_TRUE(downstairs.alive);
  EXPECT_LT(downstairs.men, 80);
  EXPECT_GT(downstairs.men, 20);
  EXPECT_TRUE(gunCrew.burntOut);
  EXPECT_EQ(gunCrew.bailOuts, 1);
  EXPECT_FALSE(walker.waypoints[0].upper);
  EXPECT_FLOAT_EQ(walker.waypoints[0].z, map->ElevationAt(30.0f, 30.0f));
  EXPECT_TRUE(walker.waypoints[1].upper);
  EXPECT_EQ(walker.waypoints[2].z, 11.0f);
  for (int i = 10; i < 20; ++i) EXPECT_EQ(CellType(*map, i, 12), Building::kRubble);
}

TEST_F(MapBuildingDamage, AreaFireIntoTheRubbleStopsUnlessAnIdentifiedEnemyWasInside) {
  for (bool enemyInside : {false, true}) {
    map = WithCodes(rig, 4, 4, {{1, 1, 83}});
    battle->units.clear();
    FakeUnit& firer = AddUnit(MapUnitView::kVehicle, 0, 70.0f, 70.0f);
    firer.areaFire = true;
    firer.targetX = 30.0f;
    firer.targetY = 30.0f;
    FakeUnit& enemy = AddUnit(MapUnitView::kVehicle, 1, enemyInside ? 30.0f : 75.0f, 75.0f);
    enemy.identified = true;
    if (enemyInside) enemy.y = 30.0f;
    BuildingAt(*map, 0)->Collapse(true, false, 0);
    EXPECT_EQ(firer.areaFire, enemyInside) << enemyInside;
  }
}

TEST_F(MapBuildingDamage, BadlyDamagedBuildingsMayDriveInfantryOut) {
  map = WithCodes(rig, 4, 4, {{1, 1, 83}});
  Building& b = *BuildingAt(*map, 0);
  FakeUnit& inside = AddUnit(MapUnitView::kInfantry, 0, 30.0f, 30.0f);
  int retreats = 0;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    b.damage = 600.0f;
    SeedRandom(seed);
    b.TakeHit(0.5f, 30.0f, 30.0f);
    retreats = inside.retreats;
  }
  EXPECT_GT(retreats, 0);
  EXPECT_LT(retreats, 20);
  EXPECT_FALSE(b.destroyed);
}

TEST_F(MapBuildingDamage, ObjectsWorkOnTheMapThatOwnsThemNotTheBattles) {
  map = WithCodes(rig, 4, 4, {{1, 1, 60}});
  battle->map = rig.Default(4, 4);  // the battle's own map has no building
  Building& b = *BuildingAt(*map, 0);
  EXPECT_TRUE(b.Contains(30.0f, 30.0f, false));
  b.Collapse(false, false, 0);
  EXPECT_EQ(CellType(*map, 15, 15), Building::kRubble);
  EXPECT_EQ(CellType(*battle->map, 15, 15), 0);
}

TEST_F(MapBuildingDamage, ReplayedBuildingPacketsWithoutABuildingAreLoggedAndSkipped) {
  map = WithCodes(rig, 4, 4, {{1, 1, 60}});
  rig.Log();
  map->CollapseBuildingAt(70.0f, 70.0f, 0);
  MapPacket state;
  state.kind = MapPacket::kBuildingState;
  state.x = 70.0f;
  state.y = 70.0f;
  map->ApplyBuildingStatePacket(state);
  EXPECT_EQ(rig.Log().size(), 2u);
  state.x = 30.0f;
  state.y = 30.0f;
  state.size = 42.0f;
  state.flag = 1;
  map->ApplyBuildingStatePacket(state);
  EXPECT_EQ(BuildingAt(*map, 0)->damage, 42.0f);
  EXPECT_TRUE(BuildingAt(*map, 0)->destroyed);
}

TEST(MapDistance, CountsInWholeSquaredMetres) {
  EXPECT_EQ(Distance(0.0f, 0.0f, 0.9f, 0.0f), 0.0f);
  EXPECT_EQ(Distance(10.0f, 10.0f, 13.0f, 14.0f), 5.0f);
  EXPECT_EQ(Distance(0.0f, 0.0f, 1.5f, 0.0f), std::sqrt(2.0f));
  EXPECT_EQ(Distance(0.0f, 0.0f, -40.0f, 0.0f), 40.0f);
}

TEST_F(MapBuildingDamage, ABuildingWhereABridgeRampEndsKeepsItsRecordAndItsCollapse) {
  // The bridge on tile (1, 1) runs along x; its high ramp reaches onto tile (2, 1), which has
  // a building of its own (and so the same tile numbers and centre as the ramp).
  map = WithCodes(rig, 4, 3, {{1, 1, 91}, {2, 1, 83}});
  ASSERT_EQ(map->objects.buildings->Count(), 4);
  Building& ramp = *BuildingAt(*map, 2);
  Building& house = *BuildingAt(*map, 3);
  ASSERT_EQ(ramp.type, 40);
  ASSERT_EQ(ramp.tileX, 2);
  ASSERT_EQ(house.tileX, 2);
  EXPECT_EQ(map->FindBuildingAt(house.CentreX(), house.CentreY()), &house);
  EXPECT_EQ(map->FindBuildingAtTile(2, 1), &house);
  house.damage = 80.0f;
  ramp.damage = 5.0f;
  auto back = rig.Read(rig.Write(*map));
  EXPECT_EQ(BuildingAt(*back, 2)->damage, 5.0f);
  EXPECT_EQ(BuildingAt(*back, 3)->damage, 80.0f);
  // The replay of the house's collapse collapses the house, not the ramp.
  back->CollapseBuildingAt(house.CentreX(), house.CentreY(), 0);
  EXPECT_TRUE(BuildingAt(*back, 3)->destroyed);
  EXPECT_FALSE(BuildingAt(*back, 2)->destroyed);
  EXPECT_EQ(BuildingAt(*back, 2)->type, 40);
}
