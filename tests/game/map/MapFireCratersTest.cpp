// Fire on tiles, impact craters and their revealing, the replay's crater packets, the map
// lookups, and the turn-start snapshot the replay starts from.
#include <cmath>
#include <limits>

#include "MapTestRig.h"
#include "framework/core/Quorl.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/FineTerrain.h"
#include "game/map/MapObjectList.h"
#include "game/map/SmokeCloud.h"

namespace {

int CellType(const Map& map, int i, int j) { return FineTerrain::TypeOf(map.terrain.fineGrid.At(i, j)); }

void FillTile(Map& map, int tx, int ty, int type) {
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      uint16_t& cell = map.terrain.fineGrid.At(tx * 10 + i, ty * 10 + j);
      cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
    }
  }
}

Crater* CraterAt(const GGroup* list, int index) { return static_cast<Crater*>(list->GetItem(index)); }

class MapAction : public ::testing::Test {
 protected:
  void SetUp() override {
    battle = &rig.app.MakeBattle();
    battle->slice = 200;
  }
  FakeUnit& AddUnit(int kind, int side, float x, float y) {
    battle->units.push_back(std::make_unique<FakeUnit>(kind, side, x, y));
    battle->units.back()->map = map.get();
    return *battle->units.back();
  }
  // Whether TryIgnite with the chance set the tile burning, from the same generator state.
  bool Ignites(float chance, float x, float y) {
    map->fire.state.Zero();
    SeedRandom(11);
    map->TryIgnite(chance, x, y);
    return map->BurningAt(x, y) != 0;
  }
  static float FirstDraw() {
    SeedRandom(11);
    return RandomFloat();
  }
  int Count(int8_t kind) const {
    int n = 0;
    for (const MapPacket& p : battle->packets) n += p.kind == kind;
    return n;
  }
  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
};

}  // namespace

// ---- Fire ----

TEST_F(MapAction, IgnitionChancesScaleByGroundWeatherSeasonAndType) {
  map = rig.Default(5, 5);
  const float r = FirstDraw();
  ASSERT_GT(r, 0.0f);
  struct Case {
    int type;
    int ground;
    int weather;
    int season;
    float factor;
  };
  const Case cases[] = {
      {14, 4, 2, 1, 0.144f},  // woods in mud and rain
      {31, 0, 0, 1, 3.0f},    // light building: the ground does not count
      {16, 2, 0, 1, 1.75f},   // wheat in summer
      {16, 2, 0, 2, 0.75f},
      {17, 5, 0, 0, 0.6f * 1.75f},
      {34, 8, 2, 3, 1.2f},
      {23, 1, 0, 0, 1.2f * 0.3f},
  };
  for (const Case& c : cases) {
    FillTile(*map, 2, 2, c.type);
    battle->ground = c.ground;
    battle->weather = c.weather;
    battle->season = c.season;
    EXPECT_TRUE(Ignites(r / c.factor * 1.001f, 50.0f, 50.0f)) << c.type;
    EXPECT_FALSE(Ignites(r / c.factor * 0.999f, 50.0f, 50.0f)) << c.type;
  }
  // Open ground, roads, water and walls never burn and draw nothing.
  for (int type : {0, 8, 9, 25, 29, 30, 36}) {
    FillTile(*map, 2, 2, type);
    map->fire.state.Zero();
    const uint32_t state = RandomState();
    map->TryIgnite(1000.0f, 50.0f, 50.0f);
    EXPECT_EQ(map->BurningAt(50.0f, 50.0f), 0) << type;
    EXPECT_EQ(RandomState(), state) << type;
  }
}

TEST_F(MapAction, IgnitingATileRecordsItOnceAndSetsItsFireByType) {
  map = rig.Default(5, 5);
  FillTile(*map, 1, 1, 14);
  FillTile(*map, 2, 1, 32);
  FillTile(*map, 3, 1, 35);
  map->IgniteTile(25.0f, 27.0f, true);
  ASSERT_EQ(battle->packets.size(), 1u);
  EXPECT_EQ(battle->packets[0].kind, MapPacket::kTileIgnites);
  EXPECT_EQ(battle->packets[0].x, 25.0f);
  EXPECT_EQ(battle->packets[0].y, 27.0f);
  ASSERT_EQ(battle->tileFires.size(), 1u);
  EXPECT_EQ(battle->tileFires[0], (std::array<int32_t, 2>{1, 1}));
  EXPECT_EQ(map->BurningAt(30.0f, 30.0f), 3);
  map->IgniteTile(30.0f, 30.0f, true);
  EXPECT_EQ(battle->packets.size(), 1u);
  EXPECT_EQ(battle->tileFires.size(), 1u);
  // The replay sets tiles burning without recording.
  map->IgniteTile(50.0f, 30.0f, false);
  map->IgniteTile(70.0f, 30.0f, false);
  EXPECT_EQ(map->BurningAt(50.0f, 30.0f), 1);
  EXPECT_EQ(map->BurningAt(70.0f, 30.0f), 2);
  EXPECT_EQ(battle->packets.size(), 1u);
  // Off the map or not a number: nothing.
  map->IgniteTile(-30.0f, 30.0f, true);
  map->IgniteTile(std::numeric_limits<float>::quiet_NaN(), 30.0f, true);
  EXPECT_EQ(map->BurningAt(-30.0f, 30.0f), 0);
  EXPECT_EQ(battle->packets.size(), 1u);
}

TEST_F(MapAction, BlastsReachEveryBuildingAtHalfTheirSize) {
  map = rig.Build(4, 4, [](Map& m) {
    m.terrain.tiles.At(1, 1).code = 60;
    m.terrain.tiles.At(3, 3).code = 60;
  });
  SeedRandom(4);
  const float part = RandomFloatTimes(50.0f);
  SeedRandom(4);
  map->BlastBuildings(100.0f, 30.0f, 30.0f);
  auto* near = map->FindBuildingAtTile(1, 1);
  EXPECT_FLOAT_EQ(near->damage, (part + 50.0f) * 0.5f);
  EXPECT_EQ(map->FindBuildingAtTile(3, 3)->damage, 0.0f);
}

// ---- Craters ----

TEST_F(MapAction, BigBlastsAlwaysLastAndSmallOnesNeverUnlessForced) {
  map = rig.Default(10, 10);
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    SeedRandom(seed);
    map->AddImpactCrater(10.0f + 9.0f * static_cast<float>(seed), 50.0f, 808.0f, false, false);
    SeedRandom(seed);
    map->AddImpactCrater(10.0f + 9.0f * static_cast<float>(seed), 150.0f, 38.0f, false, false);
  }
  EXPECT_EQ(map->objects.craters->Count(), 20);
  EXPECT_EQ(map->objects.craterMarks->Count(), 20);
  map->AddImpactCrater(50.0f, 100.0f, 38.0f, true, false);
  EXPECT_EQ(map->objects.craters->Count(), 21);
  // A size of 0.2 m or less leaves nothing.
  map->AddImpactCrater(50.0f, 180.0f, 0.5f, true, false);
  EXPECT_EQ(map->objects.craters->Count(), 21);
  // Off the map, or where no crater can show: nothing.
  map->AddImpactCrater(-5.0f, 10.0f, 800.0f, true, false);
  FillTile(*map, 8, 8, 25);
  map->AddImpactCrater(170.0f, 170.0f, 800.0f, true, true);
  EXPECT_EQ(map->objects.craters->Count(), 21);
}

TEST_F(MapAction, ALastingImpactReplacesATemporaryCraterWithKind8ThenKind7) {
  map = rig.Default(5, 5);
  map->AddImpactCrater(50.0f, 50.0f, 38.0f, false, false);
  ASSERT_EQ(map->objects.craterMarks->Count(), 1);
  EXPECT_EQ(map->CraterStateAt(50.0f, 50.0f), 1);
  battle->packets.clear();
  SeedRandom(8);
  const float rotation = RandomFloatTimes(360.0f);
  const float depth = RandomFloatTimes(0.1f) - 0.05f;
  SeedRandom(8);
  map->AddImpactCrater(50.0f, 50.0f, 100.0f, true, false);
  ASSERT_EQ(battle->packets.size(), 2u);
  EXPECT_EQ(battle->packets[0].kind, MapPacket::kCraterRemoved);
  EXPECT_EQ(battle->packets[0].delay, 4);
  const MapPacket& made = battle->packets[1];
  EXPECT_EQ(made.kind, MapPacket::kCrater);
  EXPECT_EQ(made.delay, 4);
  EXPECT_EQ(made.flag, 1);
  EXPECT_FLOAT_EQ(made.size, std::pow(100.0f, 0.6f) * 0.168f);
  EXPECT_EQ(made.rotation, rotation);
  EXPECT_EQ(made.depth, depth);
  EXPECT_EQ(map->objects.craterMarks->Count(), 0);
  EXPECT_EQ(map->CraterStateAt(50.0f, 50.0f), 2);
  // A temporary impact where a lasting crater lies makes nothing.
  battle->packets.clear();
  map->AddImpactCrater(50.0f, 50.0f, 38.0f, false, false);
  EXPECT_TRUE(battle->packets.empty());
  // Wide: on a road the crater is smaller.
  FillTile(*map, 3, 3, 9);
  map->AddImpactCrater(70.0f, 70.0f, 100.0f, true, true);
  ASSERT_FALSE(battle->packets.empty());
  EXPECT_FLOAT_EQ(battle->packets.back().size, std::pow(100.0f, 0.6f) * 0.168f * 0.6f);
}

TEST_F(MapAction, WithoutRecordingCratersAreHiddenAndOwnedByThePlacingSide) {
  map = rig.Default(5, 5);
  battle->noRecord = true;
  battle->placingSide = 1;
  map->AddImpactCrater(50.0f, 50.0f, 900.0f, false, false);
  EXPECT_TRUE(battle->packets.empty());
  ASSERT_EQ(map->objects.craters->Count(), 1);
  const Crater& c = *CraterAt(map->objects.craters, 0);
  EXPECT_TRUE(c.hidden);
  EXPECT_TRUE(c.ownerAxis);
  EXPECT_FALSE(c.revealed);
  battle->placingSide = 0;
  map->AddImpactCrater(20.0f, 20.0f, 900.0f, false, false);
  EXPECT_FALSE(CraterAt(map->objects.craters, 1)->ownerAxis);
}

TEST_F(MapAction, AStoredCraterFollowsTheGroundOfTheMapItIsReadInto) {
  map = rig.Default(15, 15);
  FillTile(*map, 6, 10, 14);
  const Bytes record = {0x08, 0x42, 0xC8, 0, 0, 0x43, 0x48, 0, 0, 0x00, 0x96, 0x11, 0x94, 0xFF, 0xF7};
  rig.files.Put("c.bin", record);
  auto file = rig.files.Open("c.bin", GFile::kModeRead);
  Crater crater(map.get());
  crater.Read(*file);
  EXPECT_FALSE(file->HasError());
  EXPECT_TRUE(crater.lasting);
  EXPECT_FALSE(crater.hidden);
  EXPECT_EQ(crater.x, 100.0f);
  EXPECT_EQ(crater.y, 200.0f);
  EXPECT_FLOAT_EQ(crater.radius, 1.5f);
  EXPECT_FLOAT_EQ(crater.rotation, 90.0f);
  EXPECT_FLOAT_EQ(crater.depthOffset, -0.045f);
  EXPECT_FLOAT_EQ(crater.heights[0], map->ElevationAt(100.0f, 200.0f) - 0.045f);
  EXPECT_TRUE(crater.flat);
  EXPECT_FALSE(crater.mixedGround);
  float cx = 0.0f, cy = 0.0f;
  crater.CornerAt(1, cx, cy);
  EXPECT_NEAR(cx, 101.5f, 1e-4f);
  EXPECT_NEAR(cy, 198.5f, 1e-4f);
  // The same record in woods: mixed ground.
  Bytes inWoods = record;
  inWoods[1] = 0x43;
  inWoods[2] = 0x02;  // x = 130
  rig.files.Put("w.bin", inWoods);
  auto woods = rig.files.Open("w.bin", GFile::kModeRead);
  Crater other(map.get());
  other.Read(*woods);
  EXPECT_EQ(other.x, 130.0f);
  EXPECT_TRUE(other.mixedGround);
  // Written back: the same bytes.
  {
    auto out = rig.files.Open("o.bin", GFile::kModeWrite);
    crater.Write(*out);
  }
  EXPECT_EQ(rig.files.Get("o.bin"), record);
}

TEST_F(MapAction, CratersShowTheGroundAroundThemButNotOnStructures) {
  map = rig.Default(6, 6);
  FillTile(*map, 1, 1, 14);
  FillTile(*map, 2, 1, 13);
  FillTile(*map, 3, 1, 8);
  FillTile(*map, 4, 1, 36);
  FillTile(*map, 1, 3, 31);
  for (float x : {30.0f, 50.0f, 70.0f, 90.0f, 30.0f}) {
    MapPacket p;
    p.kind = MapPacket::kCrater;
    p.x = x;
    p.y = x == 30.0f && map->objects.craters->Count() == 4 ? 70.0f : 30.0f;
    p.size = 4.0f;
    p.flag = 1;
    map->ApplyCraterPacket(p);
  }
  EXPECT_EQ(map->TerrainTypeAt(30.0f, 30.0f), 3);
  EXPECT_EQ(map->TerrainTypeAt(50.0f, 30.0f), 2);
  EXPECT_EQ(map->TerrainTypeAt(70.0f, 30.0f), 1);
  EXPECT_EQ(map->TerrainTypeAt(90.0f, 30.0f), 36);
  EXPECT_EQ(map->TerrainTypeAt(30.0f, 70.0f), 31);
}

TEST_F(MapAction, RevealingHiddenCraters) {
  map = rig.Default(20, 20);
  battle->noRecord = true;
  battle->placingSide = 0;  // made by the Allies
  map->AddImpactCrater(200.0f, 200.0f, 900.0f, true, false);
  map->AddImpactCrater(100.0f, 100.0f, 900.0f, true, false);
  battle->noRecord = false;
  // Fog of war off: every lasting crater is revealed at its first try.
  map->UpdateCraterVisibility();
  EXPECT_TRUE(CraterAt(map->objects.craters, 0)->revealed);
  EXPECT_TRUE(CraterAt(map->objects.craters, 1)->revealed);
  ASSERT_EQ(Count(MapPacket::kCraterRevealed), 2);
  EXPECT_EQ(battle->packets[0].delay, 4);
  EXPECT_EQ(battle->packets[0].x, 200.0f);

  // Fog of war on: a fighting Axis unit must see it from below the spotting radius.
  rig.app.options[10] = 1;
  Crater& c = *CraterAt(map->objects.craters, 0);
  c.revealed = 0;
  battle->packets.clear();
  FakeUnit& friendUnit = AddUnit(MapUnitView::kInfantry, 0, 210.0f, 200.0f);
  FakeUnit& axis = AddUnit(MapUnitView::kInfantry, 1, 320.0f, 200.0f);  // exactly 120 m
  map->UpdateCraterVisibility();
  EXPECT_FALSE(c.revealed);
  axis.canFight = false;
  axis.x = 300.0f;
  map->UpdateCraterVisibility();
  EXPECT_FALSE(c.revealed);
  axis.canFight = true;
  axis.sees = false;
  map->UpdateCraterVisibility();
  EXPECT_FALSE(c.revealed);
  axis.sees = true;
  battle->visibilityClass = 2;  // the radius shrinks to 40 m
  map->UpdateCraterVisibility();
  EXPECT_FALSE(c.revealed);
  battle->visibilityClass = 0;
  map->UpdateCraterVisibility();
  EXPECT_TRUE(c.revealed);
  EXPECT_EQ(Count(MapPacket::kCraterRevealed), 1);
  EXPECT_EQ(friendUnit.stateChanges, 0);
  // In woods the radius is 20 m.
  FillTile(*map, 10, 10, 14);
  c.revealed = 0;
  EXPECT_FLOAT_EQ(c.SpottingRadius(), 20.0f);
}

TEST_F(MapAction, ReplayedCraterPacketsWithoutTheirCraterOrOffTheMapAreLoggedAndSkipped) {
  map = rig.Default(5, 5);
  rig.Log();
  MapPacket p;
  p.x = 50.0f;
  p.y = 50.0f;
  map->RevealCrater(50.0f, 50.0f);
  map->RemoveTemporaryCrater(p);
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -1.0f, 100.0f}) {
    MapPacket made;
    made.kind = MapPacket::kCrater;
    made.x = bad;
    made.y = 50.0f;
    made.size = 2.0f;
    made.flag = 1;
    map->ApplyCraterPacket(made);
  }
  EXPECT_EQ(map->objects.craters->Count(), 0);
  EXPECT_EQ(rig.Log().size(), 6u);
  // With their craters, they apply.
  p.kind = MapPacket::kCrater;
  p.size = 2.0f;
  map->ApplyCraterPacket(p);
  p.flag = 1;
  map->ApplyCraterPacket(p);
  map->RemoveTemporaryCrater(p);
  map->RevealCrater(50.5f, 50.5f);
  EXPECT_EQ(map->objects.craterMarks->Count(), 0);
  EXPECT_TRUE(CraterAt(map->objects.craters, 0)->revealed);
}

// ---- Lookups ----

TEST_F(MapAction, LookupsOfTargetPointsMarkersAndPictureView) {
  map = rig.Default(5, 5);
  FakeUnit& tank = AddUnit(MapUnitView::kVehicle, 0, 50.0f, 50.0f);
  FakeUnit& far = AddUnit(MapUnitView::kInanimate, 0, 80.0f, 50.0f);
  far.inanimateKind = 2;
  far.map = map.get();
  far.z = map->ElevationAt(80.0f, 50.0f);  // standing on the flat ground
  FakeUnit& mine = AddUnit(MapUnitView::kInanimate, 0, 55.0f, 50.0f);
  mine.inanimateKind = 4;
  MapUnitView* found = &tank;
  EXPECT_FALSE(map->FindUnitNear(50.0f, 50.0f, false, found));
  EXPECT_EQ(found, nullptr);
  far.x = 70.9f;  // 20.9 m: 20 in whole squared metres... 436 -> 20.88, still beyond
  EXPECT_FALSE(map->FindUnitNear(50.0f, 50.0f, false, found));
  far.x = 70.0f;
  EXPECT_TRUE(map->FindUnitNear(50.0f, 50.0f, true, found));
  EXPECT_EQ(found, &far);
  // Measured in three dimensions: the same marker 15 m up a rise is out of reach.
  far.z = map->ElevationAt(70.0f, 50.0f) + 15.0f;
  EXPECT_FALSE(map->FindUnitNear(50.0f, 50.0f, true, found));
  far.x = 60.0f;
  EXPECT_TRUE(map->FindUnitNear(50.0f, 50.0f, true, found));

  map->OpenPictureView();
  map->OpenPictureView();
  ASSERT_EQ(battle->pictureViews.size(), 1u);
  EXPECT_EQ(battle->pictureViews[0], (std::array<int32_t, 4>{90, 110, 620, 335}));

  Building* picked = reinterpret_cast<Building*>(&tank);
  map->SetPickedBuilding(picked);
  EXPECT_EQ(map->GetPickedBuilding(), picked);
  map->SetPickedBuilding(nullptr);
  EXPECT_EQ(Map::FindMarkerAt(nullptr, 1.0f, 1.0f), nullptr);
}

// ---- Turn-start snapshot ----

TEST_F(MapAction, RestoringTheTurnStartUndoesFireCollapseAndCraters) {
  map = rig.Build(4, 4, [](Map& m) { m.terrain.tiles.At(1, 1).code = 83; });
  for (auto& u : battle->units) u->map = map.get();
  map->IgniteTile(70.0f, 70.0f, false);
  map->objects.smallObjects->Append(new SmokeCloud(5.0f, 5.0f, 0, 100, 3.0f));
  map->SaveTurnStartState();
  // The action: a fire, a collapse and a crater.
  map->IgniteTile(10.0f, 10.0f, true);
  Building& b = *map->FindBuildingAtTile(1, 1);
  b.damage = 700.0f;
  b.TakeHit(10.0f, 30.0f, 30.0f);
  ASSERT_TRUE(b.destroyed);
  EXPECT_EQ(CellType(*map, 15, 15), Building::kRubble);
  map->AddImpactCrater(50.0f, 10.0f, 900.0f, true, false);
  map->objects.smallObjects->DeleteAll(true);
  std::vector<MapPacket> packets = battle->packets;

  // Saved during the orders phase: the turn-start set, and the flag is cleared.
  map->SetWriteAlternate();
  Bytes turnStart = rig.Write(*map);
  EXPECT_FALSE(map->objects.writeTurnStart);
  auto atStart = rig.Read(turnStart);
  EXPECT_EQ(atStart->BurningAt(10.0f, 10.0f), 0);
  EXPECT_EQ(atStart->BurningAt(70.0f, 70.0f), 3);
  EXPECT_FALSE(atStart->FindBuildingAtTile(1, 1)->destroyed);
  EXPECT_EQ(atStart->objects.craters->Count(), 0);
  EXPECT_EQ(atStart->objects.smallObjects->Count(), 1);

  map->RestoreTurnStartState(packets);
  EXPECT_EQ(map->BurningAt(10.0f, 10.0f), 0);
  EXPECT_EQ(map->BurningAt(70.0f, 70.0f), 3);
  EXPECT_EQ(map->objects.craters->Count(), 0);
  EXPECT_EQ(map->objects.smallObjects->Count(), 1);
  EXPECT_EQ(map->CraterStateAt(50.0f, 10.0f), 0);
  Building& again = *map->FindBuildingAtTile(1, 1);
  EXPECT_FALSE(again.destroyed);
  for (int i = 10; i < 20; ++i) EXPECT_EQ(CellType(*map, i, 14), 34) << i;
  // The replay collapses it again at its slice.
  int collapses = 0;
  for (const MapPacket& p : packets) {
    if (p.kind == MapPacket::kBuildingCollapse) {
      map->CollapseBuildingAt(p.x, p.y, 0);
      ++collapses;
    }
    if (p.kind == MapPacket::kTileIgnites) map->IgniteTile(p.x, p.y, false);
    if (p.kind == MapPacket::kCrater) map->ApplyCraterPacket(p);
  }
  EXPECT_EQ(collapses, 1);
  EXPECT_EQ(CellType(*map, 15, 15), Building::kRubble);
  EXPECT_EQ(map->BurningAt(10.0f, 10.0f), 3);
  EXPECT_EQ(map->CraterStateAt(50.0f, 10.0f), 2);
  // A collapse packet whose building is gone is logged and skipped.
  rig.Log();
  MapPacket stray;
  stray.kind = MapPacket::kBuildingCollapse;
  stray.x = 75.0f;
  stray.y = 75.0f;
  map->SaveTurnStartState();
  map->RestoreTurnStartState(std::span<const MapPacket>(&stray, 1));
  EXPECT_EQ(rig.Log().size(), 1u);
}

TEST_F(MapAction, DamagedAndCollapsedBuildingsAndCratersWriteReadAndWriteTheSame) {
  map = rig.Build(6, 6, [](Map& m) {
    m.terrain.tiles.At(1, 1).code = 83;
    m.terrain.tiles.At(1, 2).code = 84;
    m.terrain.tiles.At(3, 3).code = 62;
    m.terrain.tiles.At(4, 1).code = 95;
    m.terrain.tiles.At(2, 4).code = 112;
  });
  map->FindBuildingAtTile(1, 2)->Collapse(false, false, 0);
  map->FindBuildingAtTile(3, 3)->damage = 77.3f;
  map->FindBuildingAtTile(4, 1)->damage = 9000.0f;
  map->FindBuildingAtTile(4, 1)->Collapse(false, false, 0);
  for (int i = 0; i < 3; ++i) {
    MapPacket p;
    p.kind = MapPacket::kCrater;
    p.x = 20.0f + 30.0f * static_cast<float>(i);
    p.y = 100.0f;
    // Values between the stored form's steps: a crater is made as its stored form keeps it.
    p.size = 1.0137f + static_cast<float>(i);
    p.rotation = 45.0073f * static_cast<float>(i);
    p.depth = 0.0113f * static_cast<float>(i);
    p.flag = i != 1;
    map->ApplyCraterPacket(p);
  }
  Bytes first = rig.Write(*map);
  auto back = rig.Read(first);
  EXPECT_EQ(rig.Write(*back), first);
  EXPECT_TRUE(back->FindBuildingAtTile(1, 2)->destroyed);
  EXPECT_EQ(back->FindBuildingAtTile(4, 1)->type, 44);
  EXPECT_EQ(back->objects.craters->Count(), 2);
  EXPECT_EQ(back->objects.craterMarks->Count(), 1);
  // The craters read back are those the packets made, to the bit: the ground a loaded game's
  // units cross is the ground they crossed before the save.
  for (int32_t i = 0; i < back->objects.craters->Count(); ++i) {
    const auto* made = static_cast<const Crater*>(map->objects.craters->GetItem(i));
    const auto* read = static_cast<const Crater*>(back->objects.craters->GetItem(i));
    EXPECT_EQ(read->radius, made->radius) << i;
    EXPECT_EQ(read->rotation, made->rotation) << i;
    EXPECT_EQ(read->depthOffset, made->depthOffset) << i;
    for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(read->heights[k], made->heights[k]) << i << " " << k;
  }
}

TEST_F(MapAction, DeleteSoundsKeepsTheLoopedOnesWhenAsked) {
  map = rig.Default(2, 2);
  map->display.oneShotSounds->Append(new SmokeCloud);
  map->display.loopedSounds->Append(new SmokeCloud);
  map->DeleteSounds(true);
  EXPECT_EQ(map->display.oneShotSounds->Count(), 0);
  EXPECT_EQ(map->display.loopedSounds->Count(), 1);
  map->DeleteSounds(false);
  EXPECT_EQ(map->display.loopedSounds->Count(), 0);
}
