// The battle screen's map services: the crater under a point, crater reveal, landmarks,
// set-up zones, the trace's square counter and box collection, the burning-tile list and the
// fire sounds.
#include <string>

#include "MapTestRig.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/MapObjectList.h"
#include "game/map/SmokeCloud.h"

namespace {

class MapScreenServices : public ::testing::Test {
 protected:
  void SetUp() override {
    battle = &rig.app.MakeBattle();
    battle->slice = 100;
    map = rig.Default(20, 20);
  }
  void TearDown() override { Map::hiddenCraterSwitch = 0; }
  Crater& AddCrater(float x, float y, float radius, uint8_t hidden, uint8_t ownerAxis) {
    auto* crater = new Crater(map.get());
    crater->x = x;
    crater->y = y;
    crater->radius = radius;
    crater->lasting = 1;
    crater->hidden = hidden;
    crater->ownerAxis = ownerAxis;
    map->objects.craters->Append(crater);
    return *crater;
  }
  int Count(int8_t kind) const {
    int n = 0;
    for (const MapPacket& p : battle->packets) n += p.kind == kind;
    return n;
  }
  // The burning tiles as a scan of the grid finds them, in drawing order.
  std::vector<int32_t> Scan() const {
    std::vector<int32_t> keys;
    for (int32_t x = map->size.tilesX - 1; x >= 0; --x)
      for (int32_t y = map->size.tilesY - 1; y >= 0; --y)
        if (map->fire.state.GetU8(x, y) != 0) keys.push_back(x * map->size.tilesY + y);
    return keys;
  }
  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
};

TEST_F(MapScreenServices, CraterLookupHonoursTheHiddenSwitchAndCopiesTheHiddenByte) {
  Crater& hidden = AddCrater(100.0f, 100.0f, 3.0f, 1, 0);  // made by the Allies, hidden
  Crater& open = AddCrater(101.0f, 100.0f, 3.0f, 0, 0);
  // Edges count; the first match in list order wins.
  EXPECT_EQ(map->FindCraterAt(103.0f, 97.0f), &hidden);
  EXPECT_EQ(map->lastCraterHidden, 1);
  EXPECT_EQ(map->FindCraterAt(103.5f, 100.0f), &open);
  EXPECT_EQ(map->lastCraterHidden, 0);
  EXPECT_EQ(map->FindCraterAt(104.5f, 100.0f), nullptr);
  // With the switch on, the Axis to play passes over the Allies' hidden crater...
  Map::hiddenCraterSwitch = 1;
  rig.app.currentSide = 0;
  EXPECT_EQ(map->FindCraterAt(100.0f, 100.0f), &open);
  // ...the Allies see their own, and anyone a revealed one.
  rig.app.currentSide = 1;
  EXPECT_EQ(map->FindCraterAt(100.0f, 100.0f), &hidden);
  rig.app.currentSide = 0;
  hidden.revealed = 1;
  EXPECT_EQ(map->FindCraterAt(100.0f, 100.0f), &hidden);
}

TEST_F(MapScreenServices, CraterRevealAllRecordsNothingAndUnitsRevealWhereTheyStand) {
  rig.app.options[10] = 1;  // fog of war: the crater's own test fails without a spotter
  Crater& a = AddCrater(100.0f, 100.0f, 3.0f, 1, 0);
  Crater& b = AddCrater(300.0f, 300.0f, 3.0f, 1, 0);
  map->UpdateCraterVisibility();
  EXPECT_FALSE(a.revealed);
  EXPECT_EQ(Count(MapPacket::kCraterRevealed), 0);
  // An identified unit standing in a crater reveals it, whatever its side.
  battle->units.push_back(std::make_unique<FakeUnit>(MapUnitView::kVehicle, 0, 301.0f, 299.0f));
  battle->units.back()->canFight = false;
  map->UpdateCraterVisibility();
  EXPECT_FALSE(b.revealed);
  battle->units.back()->identified = true;
  map->UpdateCraterVisibility();
  EXPECT_TRUE(b.revealed);
  EXPECT_FALSE(a.revealed);
  EXPECT_EQ(Count(MapPacket::kCraterRevealed), 1);
  // The revealed crater is not tested again.
  map->UpdateCraterVisibility();
  EXPECT_EQ(Count(MapPacket::kCraterRevealed), 1);
  map->UpdateCraterVisibility(true);
  EXPECT_TRUE(a.revealed);
  EXPECT_EQ(Count(MapPacket::kCraterRevealed), 1);
}

TEST_F(MapScreenServices, LandmarksAreOnePerTileCutAndRemovedByAnEmptyName) {
  GString63 name;
  GString63 out;
  name.Assign("");
  map->SetLandmark(3, 4, name);
  EXPECT_EQ(map->objects.landmarks.Count(), 0);
  name.Assign("Hill 112");
  map->SetLandmark(3, 4, name);
  name.Assign("Le Mesnil");
  map->SetLandmark(3, 4, name);
  map->SetLandmark(4, 3, name);
  ASSERT_EQ(map->objects.landmarks.Count(), 2);
  map->GetLandmarkNameAt(3, 4, out);
  EXPECT_STREQ(out.CStr(), "Le Mesnil");
  map->GetLandmarkNameAt(5, 5, out);
  EXPECT_EQ(out.Length(), 0);
  name.Clear();
  map->SetLandmark(3, 4, name);
  ASSERT_EQ(map->objects.landmarks.Count(), 1);
  map->GetLandmarkNameAt(4, 3, out);
  EXPECT_STREQ(out.CStr(), "Le Mesnil");
  GString255 longName;
  longName.Assign(std::string(80, 'x').c_str());
  map->SetLandmark(1, 1, longName);
  map->GetLandmarkNameAt(1, 1, out);
  EXPECT_EQ(out.Length(), 63);
}

TEST_F(MapScreenServices, ZoneRectanglesAreClippedToTheGrid) {
  map->SetZoneRect(0, 0, 20, 0, 20);
  map->SetZoneRect(4, 5, 5, 0, 20);  // x0 = x1: nothing
  EXPECT_EQ(map->terrain.tiles.At(5, 3).zone, 0);
  map->SetZoneRect(4, -10, 2, 18, 400);
  EXPECT_EQ(map->terrain.tiles.At(0, 18).zone, 4);
  EXPECT_EQ(map->terrain.tiles.At(1, 19).zone, 4);
  EXPECT_EQ(map->terrain.tiles.At(2, 19).zone, 0);
  EXPECT_EQ(map->terrain.tiles.At(1, 17).zone, 0);
  FakeUnit unit(MapUnitView::kInfantry, 0, 39.9f, 379.0f);
  EXPECT_EQ(map->ZoneOfUnit(unit), 4);
  unit.x = -0.5f;  // truncation: still column 0
  EXPECT_EQ(map->ZoneOfUnit(unit), 4);
  unit.x = -20.0f;
  EXPECT_EQ(map->ZoneOfUnit(unit), 0);
  unit.x = 20.0f;
  unit.y = 400.0f;
  EXPECT_EQ(map->ZoneOfUnit(unit), 0);
}

TEST_F(MapScreenServices, SquareCounterAndBoxCollectionOfTheTrace) {
  SmokeCloud near(100.0f, 100.0f, 150, 400, 5.0f);
  SmokeCloud far(200.0f, 100.0f, 50, 400, 5.0f);
  Map::squarePointX = 105.0f;
  Map::squarePointY = 95.0f;
  Map::squareCount = 0;
  Map::CountSquaresAt(near);
  Map::CountSquaresAt(far);
  EXPECT_EQ(Map::squareCount, 1);
  Map::squarePointX = 105.1f;
  Map::CountSquaresAt(near);
  EXPECT_EQ(Map::squareCount, 1);

  std::vector<const SmokeCloud*> found;
  auto collect = [&] {
    found.clear();
    map->CollectObjectsInBox(near, 100.0f, 90.0f, 200.0f, 100.0f, found);
    map->CollectObjectsInBox(far, 100.0f, 90.0f, 200.0f, 100.0f, found);
    return found.size();
  };
  EXPECT_EQ(collect(), 2u);  // not computing: every cloud counts
  battle->computing = true;  // slice 100: the near cloud starts at 150
  ASSERT_EQ(collect(), 1u);
  EXPECT_EQ(found[0], &far);
  battle->overrideSet = true;
  EXPECT_EQ(collect(), 2u);
  map->CollectObjectsInBox(far, 100.0f, 100.5f, 200.0f, 110.0f, found);
  EXPECT_EQ(found.size(), 2u);
}

TEST_F(MapScreenServices, TheBurningListFollowsEveryChangeOfTheGridInDrawingOrder) {
  EXPECT_TRUE(map->burningTiles.empty());
  EXPECT_EQ(map->BurningAt(-0.5f, 10.0f), 0);
  map->IgniteTile(5.0f, 5.0f, false);
  EXPECT_NE(map->BurningAt(-0.5f, 10.0f), 0);  // tile (0, 0)
  SeedRandom(5);
  for (int i = 0; i < 60; ++i) {
    const float y = RandomFloatTimes(400.0f);  // one draw a statement: the same fires from every compiler
    map->IgniteTile(RandomFloatTimes(400.0f), y, false);
  }
  EXPECT_EQ(map->burningTiles, Scan());
  map->SaveTurnStartState();
  map->IgniteTile(395.0f, 395.0f, false);
  map->SetTileBurning(0, 0, 0);
  EXPECT_EQ(map->burningTiles, Scan());
  map->RestoreTurnStartState({});
  EXPECT_EQ(map->burningTiles, Scan());
  // A stored map brings its fires along.
  auto copy = rig.Read(rig.Write(*map));
  EXPECT_EQ(copy->burningTiles, map->burningTiles);
}

TEST_F(MapScreenServices, FireSoundsAreRecordedOnlyWhileTheActionIsComputed) {
  map->IgniteTile(50.0f, 70.0f, false);
  map->IgniteTile(150.0f, 70.0f, false);
  // Opening the screen or rewinding the replay: the sounds start at once, no packet is made
  // and the game's generator does not move.
  SeedRandom(77);
  const uint32_t before = RandomState();
  for (int i = 0; i < 3; ++i) map->ReapplyFires();
  EXPECT_EQ(RandomState(), before);
  EXPECT_TRUE(battle->packets.empty());
  ASSERT_EQ(rig.app.startedSounds.size(), 6u);
  EXPECT_EQ(rig.app.startedSounds[0].x, 150.0f);  // drawing order: x descending

  battle->computing = true;
  map->ReapplyFires();
  ASSERT_EQ(battle->packets.size(), 2u);
  for (const MapPacket& p : battle->packets) {
    EXPECT_EQ(p.kind, MapPacket::kSound);
    EXPECT_EQ(p.sound.number, 300);
    EXPECT_EQ(p.sound.kind, 5);
    EXPECT_EQ(p.sound.looped, 1);
    EXPECT_EQ(p.sound.source, nullptr);
    EXPECT_EQ(p.sound.parameter, 0.0f);
    EXPECT_GE(p.delay, -40);
    EXPECT_LE(p.delay, -1);
    for (int side = 0; side < 2; ++side) {
      EXPECT_EQ(p.sound.audible[side], 1);
      EXPECT_EQ(p.sound.position[side][0], p.x);
      EXPECT_EQ(p.sound.position[side][1], 70.0f);
      EXPECT_EQ(p.sound.position[side][2], map->ElevationAt(p.x, 70.0f));
    }
  }
  EXPECT_EQ(battle->packets[1].x, 50.0f);
  EXPECT_NE(RandomState(), before);
  // A tile set burning by the action posts its sound as well.
  map->IgniteTile(250.0f, 250.0f, true);
  EXPECT_EQ(Count(MapPacket::kSound), 3);
  EXPECT_EQ(rig.app.startedSounds.size(), 6u);
}

}  // namespace
