// The map's stored form: the new map, golden bytes of the default map, round trips, and the
// refusal of damaged files.
#include <bit>
#include <cmath>
#include <cstring>

#include "MapTestRig.h"
#include "framework/core/GObjectGroup.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapScaled.h"
#include "game/map/SmokeCloud.h"

namespace {

void Append(Bytes& b, std::initializer_list<uint8_t> bytes) { b.insert(b.end(), bytes); }
void AppendN(Bytes& b, size_t n, uint8_t value) { b.insert(b.end(), n, value); }

// The default map's stored form, field by field.
Bytes GoldenDefaultMap() {
  Bytes b;
  Append(b, {0x00, 0x28, 0x00, 0x28});
  for (int i = 0; i < 2; ++i) Append(b, {0, 0, 0, 0, 0, 0, 0x63});
  Append(b, {0x03, 0x41});
  Append(b, {0x00, 0x00, 0x06, 0x40, 0x00, 0x01, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x00});
  AppendN(b, 1600, 0);
  for (int i = 0; i < 1600; ++i) Append(b, {0x06, 0x00, 0x00});
  AppendN(b, 180, 0x44);
  AppendN(b, 400, 0x00);
  AppendN(b, 220, 0x11);
  for (int i = 0; i < 4; ++i) Append(b, {0x01, 0x00, 0x00, 0x00, 0x00});
  Append(b, {0x00});
  return b;
}

// Offset of a tile's three data bytes in a stored map of w x h tiles.
size_t TileOffset(int32_t w, int32_t h, int32_t x, int32_t y) {
  size_t order = static_cast<size_t>(w - 1 - x) * static_cast<size_t>(h) + static_cast<size_t>(h - 1 - y);
  return 4 + 14 + 2 + 14 + static_cast<size_t>(w * h) + order * 3;
}

TEST(MapConstruction, NewMapIs40By40WithNoGridsAndUnsetCameras) {
  MapRig rig;
  Map map(rig.app);
  EXPECT_EQ(map.size.tilesX, 40);
  EXPECT_EQ(map.size.tilesY, 40);
  EXPECT_EQ(map.camera.viewLevel[0], 99);
  EXPECT_EQ(map.camera.viewLevel[1], 99);
  EXPECT_EQ(std::bit_cast<uint32_t>(map.size.heightScale), 0x3F555555u);
  EXPECT_EQ(map.display.drawState, 2);
  EXPECT_FALSE(map.objects.writeTurnStart);
  EXPECT_FALSE(map.terrain.tiles.IsSized());
  EXPECT_FALSE(map.terrain.tileHeight.IsSized());
  EXPECT_FALSE(map.fire.state.HasBlock());
  EXPECT_EQ(map.objects.buildings, nullptr);
  EXPECT_EQ(map.objects.cratersAtTurnStart, nullptr);
  EXPECT_EQ(rig.app.cameraResets, 1);
  EXPECT_EQ(rig.app.options[41], 1);
  EXPECT_EQ(map.display.viewScale, 1.0f);
  EXPECT_EQ(map.display.viewRange, 50.0f);
}

TEST(MapGolden, DefaultMapWritesTheFieldTableExactly) {
  MapRig rig;
  auto map = rig.Default();
  Bytes bytes = rig.Write(*map);
  EXPECT_EQ(bytes.size(), 7255u);
  EXPECT_EQ(bytes, GoldenDefaultMap());
  // The default map: every tile at 15 m with the default column zones.
  EXPECT_EQ(map->terrain.tileHeight.At(17, 3), 15.0f);
  EXPECT_EQ(map->size.worldWidth, 800.0f);
}

TEST(MapGolden, LargestDefaultMapHasTheSizeOfItsFields) {
  MapRig rig;
  auto map = rig.Default(250, 250);
  EXPECT_EQ(rig.Write(*map).size(), 281305u);
}

TEST(MapRoundTrip, HeightsRoundToTheNearestLevelWithinATenth) {
  MapRig rig;
  auto map = rig.Build(2, 2, [](Map& m) {
    m.terrain.tileHeight.At(1, 1) = Levels(1.95f);
    m.terrain.tileHeight.At(1, 0) = Levels(-1.95f);
    m.terrain.tileHeight.At(0, 1) = Levels(3.0f);
    m.terrain.tileHeight.At(0, 0) = Levels(2.85f);  // more than a tenth below: truncated
  });
  Bytes bytes = rig.Write(*map);
  EXPECT_EQ(bytes[TileOffset(2, 2, 1, 1)], 0x02);
  EXPECT_EQ(bytes[TileOffset(2, 2, 1, 0)], 0xFE);
  EXPECT_EQ(bytes[TileOffset(2, 2, 0, 1)], 0x03);
  EXPECT_EQ(bytes[TileOffset(2, 2, 0, 0)], 0x02);
  // Read back at the stored height scale, 0.833.
  EXPECT_EQ(map->terrain.tileHeight.At(1, 1), 2.0f * (0.833f * 3.0f));
  EXPECT_EQ(map->terrain.tileHeight.At(1, 0), -2.0f * (0.833f * 3.0f));
}

TEST(MapRoundTrip, LevelsOutsideTheByteAreClampedNotWrapped) {
  MapRig rig;
  Map map(rig.app);
  ASSERT_TRUE(map.NewMap(40.0f, 20.0f, nullptr));
  map.terrain.tileHeight.At(0, 0) = Levels(200.0f);
  map.terrain.tileHeight.At(1, 0) = Levels(-300.0f);
  EXPECT_EQ(map.StoredLevel(Levels(200.0f)), 127);
  EXPECT_EQ(map.StoredLevel(Levels(-300.0f)), -128);
  Bytes bytes = rig.Write(map);
  EXPECT_EQ(bytes[TileOffset(2, 1, 0, 0)], 0x7F);
  EXPECT_EQ(bytes[TileOffset(2, 1, 1, 0)], 0x80);
}

TEST(MapRoundTrip, ScaledFieldsSaturate) {
  EXPECT_EQ(SaturateScaled(1.26f, 100.0f), 126);
  EXPECT_EQ(SaturateScaled(-1.26f, 100.0f), -126);
  EXPECT_EQ(SaturateScaled(-0.045f, 200.0f), -9);
  EXPECT_EQ(SaturateScaled(400.0f, 100.0f), 32767);
  EXPECT_EQ(SaturateScaled(-400.0f, 100.0f), -32768);
  EXPECT_EQ(SaturateScaled(std::nanf(""), 1.0f), 0);
  EXPECT_EQ(SaturateScaled(1e30f, 1.0f), 32767);
  MapRig rig;
  auto map = rig.Default(2, 2);
  map->camera.x[1] = 20000.0f;  // x 3 is past 16 bits
  Bytes bytes = rig.Write(*map);
  EXPECT_EQ(bytes[4], 0x7F);
  EXPECT_EQ(bytes[5], 0xFF);
}

TEST(MapRoundTrip, IceIsStoredAsWaterAndReadAsIceOnlyOnSnow) {
  MapRig rig;
  auto edit = [](Map& m) {
    m.terrain.tiles.At(0, 0).code = 27;
    m.terrain.tiles.At(1, 0).code = 16;
    m.terrain.tiles.At(2, 0).code = 25;
  };
  Map source(rig.app);
  ASSERT_TRUE(source.NewMap(60.0f, 20.0f, nullptr));
  edit(source);
  Bytes bytes = rig.Write(source);
  EXPECT_EQ(bytes[TileOffset(3, 1, 0, 0) + 1], 25);
  auto dry = rig.Read(bytes);
  EXPECT_EQ(dry->terrain.tiles.At(0, 0).code, 25);
  EXPECT_EQ(dry->terrain.tiles.At(1, 0).code, 16);
  EXPECT_EQ(dry->terrain.tiles.At(1, 0).terrain, 16);
  rig.app.MakeBattle().ground = 7;
  auto snow = rig.Read(bytes);
  EXPECT_EQ(snow->terrain.tiles.At(0, 0).code, 27);
  EXPECT_EQ(snow->terrain.tiles.At(0, 0).terrain, 27);
  EXPECT_EQ(snow->terrain.tiles.At(1, 0).code, 0);
  EXPECT_EQ(snow->terrain.tiles.At(2, 0).code, 27);
  EXPECT_EQ(rig.Write(*snow)[TileOffset(3, 1, 0, 0) + 1], 25);
}

TEST(MapRoundTrip, WithoutABattleTheOperationsGroundDecidesSnow) {
  MapRig rig;
  Map source(rig.app);
  ASSERT_TRUE(source.NewMap(40.0f, 20.0f, nullptr));
  source.terrain.tiles.At(0, 0).code = 45;
  source.terrain.tiles.At(1, 0).code = 12;
  Bytes bytes = rig.Write(source);
  rig.app.MakeOperation().ground = 6;
  auto map = rig.Read(bytes);
  EXPECT_EQ(map->terrain.tiles.At(0, 0).code, 27);
  EXPECT_EQ(map->terrain.tiles.At(1, 0).code, 27);
  rig.app.MakeBattle().ground = 5;  // a battle in play overrides the operation
  auto mud = rig.Read(bytes);
  EXPECT_EQ(mud->terrain.tiles.At(0, 0).code, 45);
  EXPECT_EQ(mud->terrain.tiles.At(0, 0).terrain, 26);
}

TEST(MapRoundTrip, ZonesTakeTwoTilesAByteAndKeepFourBits) {
  MapRig rig;
  auto map = rig.Default(3, 5);
  Bytes bytes = rig.Write(*map);
  // 15 tiles: 8 zone bytes, the last one holding tile (0, 0) alone.
  size_t zones = TileOffset(3, 5, 0, 0) + 3;
  EXPECT_EQ(bytes[zones + 7], 0x10);
  EXPECT_EQ(bytes.size(), zones + 8 + 21);
  map->terrain.tiles.At(1, 2).zone = 99;
  auto back = rig.Read(rig.Write(*map));
  EXPECT_EQ(back->terrain.tiles.At(1, 2).zone, 3);
  EXPECT_EQ(back->terrain.tiles.At(0, 0).zone, 1);
  EXPECT_EQ(back->terrain.tiles.At(2, 4).zone, 0);
}

TEST(MapRoundTrip, HeightScaleReadsBackInThousandths) {
  MapRig rig;
  auto map = rig.Read(GoldenDefaultMap());
  EXPECT_EQ(map->size.heightScale, 0.833f);
  EXPECT_EQ(map->terrain.tileHeight.At(0, 0), 6.0f * (0.833f * 3.0f));
}

TEST(MapRoundTrip, WriteReadWriteGivesTheSameBytes) {
  MapRig rig;
  auto map = rig.Build(9, 7, [](Map& m) {
    for (int32_t x = 0; x < 9; ++x)
      for (int32_t y = 0; y < 7; ++y) m.terrain.tileHeight.At(x, y) = Levels(static_cast<float>((x * 7 + y * 3) % 11 - 2));
    m.terrain.tiles.At(2, 3).code = 14;
    m.terrain.tiles.At(4, 4).code = 25;
    m.terrain.tiles.At(5, 1).roadCode = 100;
    m.terrain.tiles.At(6, 6).zone = 5;
    m.fire.state.SetU8(3, 3, 2);
    m.camera.x[0] = 120.0f;
    m.camera.bearing[1] = 1.5f;
    m.camera.viewLevel[0] = 3;
    m.objects.landmarks.Append(new Landmark(4, 5, "Hill 112"));
    auto* crater = new Crater;
    crater->x = 33.5f;
    crater->y = 61.25f;
    crater->radius = 1.5f;
    crater->rotation = 45.0f;
    crater->depthOffset = -0.05f;
    crater->lasting = 1;
    crater->hidden = 1;
    crater->ownerAxis = 1;
    m.objects.craters->Append(crater);
    auto* mark = new Crater(*crater);
    mark->lasting = 0;
    m.objects.craterMarks->Append(mark);
    m.objects.smallObjects->Append(new SmokeCloud(100.0f, 80.0f, 240, 1600, 7.0f));
  });
  Bytes first = rig.Write(*map);
  auto again = rig.Read(first);
  EXPECT_EQ(rig.Write(*again), first);
  ASSERT_EQ(again->objects.landmarks.Count(), 1);
  auto* landmark = static_cast<Landmark*>(again->objects.landmarks.GetItem(0));
  EXPECT_STREQ(landmark->name.CStr(), "Hill 112");
  EXPECT_EQ(landmark->tileY, 5);
  ASSERT_EQ(again->objects.craters->Count(), 1);
  auto* crater = static_cast<Crater*>(again->objects.craters->GetItem(0));
  EXPECT_EQ(crater->x, 33.5f);
  EXPECT_EQ(crater->radius, 1.5f);
  EXPECT_EQ(crater->rotation, 45.0f);
  EXPECT_EQ(crater->depthOffset, -0.05f);
  EXPECT_TRUE(crater->lasting && crater->hidden && crater->ownerAxis && !crater->revealed);
  ASSERT_EQ(again->objects.smallObjects->Count(), 1);
  auto* cloud = static_cast<SmokeCloud*>(again->objects.smallObjects->GetItem(0));
  EXPECT_EQ(cloud->lifetime, 1600);
  EXPECT_EQ(cloud->radius, 7.0f);
  EXPECT_EQ(again->fire.state.GetU8(3, 3), 2);
  EXPECT_EQ(again->camera.viewLevel[0], 3);
  EXPECT_EQ(again->terrain.tiles.At(6, 6).zone, 5);
}

TEST(MapRecords, SmokeCloudAndCraterStoredForms) {
  MapRig rig;
  {
    auto file = rig.files.Open("r.bin", GFile::kModeWrite);
    SmokeCloud(1.0f, -2.5f, 7, 0x01020304, 0.5f).Write(*file);
    Crater crater;
    crater.x = 1.0f;
    crater.y = 2.0f;
    crater.radius = 400.0f;  // x 100 saturates
    crater.rotation = -1.0f;
    crater.lasting = 1;
    crater.revealed = 1;
    crater.Write(*file);
  }
  Bytes expected = {0x3F, 0x80, 0, 0, 0xC0, 0x20, 0, 0, 0, 0, 0, 7, 1, 2, 3, 4, 0x3F, 0, 0, 0,
                    0x0A, 0x3F, 0x80, 0, 0, 0x40, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xCE, 0, 0};
  EXPECT_EQ(rig.files.Get("r.bin"), expected);
  SmokeCloud cloud(3.0f, 4.0f, 5, 6, 7.0f);
  std::unique_ptr<GObject> copy(cloud.CopyItself());
  auto* c = static_cast<SmokeCloud*>(copy.get());
  EXPECT_EQ(c->x, 3.0f);
  EXPECT_EQ(c->startSlice, 5);
  EXPECT_EQ(c->radius, 7.0f);
}

TEST(MapRecords, ObjectListCopiesItsMembers) {
  MapObjectList list;
  list.IGroup();
  auto* crater = new Crater;
  crater->x = 5.0f;
  list.Append(crater);
  std::unique_ptr<GObject> copy(list.CopyItself());
  auto* other = static_cast<MapObjectList*>(copy.get());
  ASSERT_EQ(other->Count(), 1);
  EXPECT_NE(other->GetItem(0), crater);
  EXPECT_EQ(static_cast<Crater*>(other->GetItem(0))->x, 5.0f);
}

TEST(MapRoundTrip, TurnStartWriteUsesTheCopiesAndClearsTheFlag) {
  MapRig rig;
  auto map = rig.Default(2, 2);
  map->objects.buildingsAtTurnStart = new GGroup;
  map->objects.buildingsAtTurnStart->IGroup();
  map->objects.cratersAtTurnStart = static_cast<GGroup*>(map->objects.craters->CopyItself());
  map->objects.craterMarksAtTurnStart = static_cast<GGroup*>(map->objects.craterMarks->CopyItself());
  map->objects.smallObjectsAtTurnStart = new GGroup;
  map->objects.smallObjectsAtTurnStart->IGroup();
  map->objects.smallObjectsAtTurnStart->Append(new SmokeCloud(1.0f, 1.0f, 0, 40, 3.0f));
  map->fire.state.SetU8(0, 0, 3);
  map->objects.writeTurnStart = true;
  Bytes turnStart = rig.Write(*map);
  EXPECT_FALSE(map->objects.writeTurnStart);
  Bytes live = rig.Write(*map);
  EXPECT_EQ(turnStart.size(), live.size() + SmokeCloud::kStoredSize);
  auto back = rig.Read(turnStart);
  EXPECT_EQ(back->fire.state.GetU8(0, 0), 0);
  EXPECT_EQ(back->objects.smallObjects->Count(), 1);
}

// ---- Refusals ----

class MapRefusal : public ::testing::Test {
 protected:
  void ExpectRefused(const Bytes& bytes, const char* logged) {
    bool ok = true;
    rig.Read(bytes, &ok);
    EXPECT_FALSE(ok);
    auto lines = rig.Log();
    bool found = false;
    for (const auto& line : lines) found = found || line.find(logged) != std::string::npos;
    EXPECT_TRUE(found) << "no log line with: " << logged;
  }
  MapRig rig;
};

TEST_F(MapRefusal, TileCountsOutsideOneTo250) {
  for (int16_t tiles : {int16_t{0}, int16_t{-5}, int16_t{300}}) {
    Bytes bytes = GoldenDefaultMap();
    bytes[0] = static_cast<uint8_t>(static_cast<uint16_t>(tiles) >> 8);
    bytes[1] = static_cast<uint8_t>(tiles);
    ExpectRefused(bytes, "outside 1..250");
  }
}

TEST_F(MapRefusal, AFileCutAnywhere) {
  auto map = rig.Build(3, 2, [](Map& m) {
    m.objects.landmarks.Append(new Landmark(1, 1, "Ford"));
    auto* crater = new Crater;
    crater->x = 10.0f;
    crater->y = 10.0f;
    m.objects.craters->Append(crater);
    m.objects.smallObjects->Append(new SmokeCloud(5.0f, 5.0f, 1, 2, 3.0f));
  });
  Bytes whole = rig.Write(*map);
  for (size_t n = 0; n < whole.size(); ++n) {
    bool ok = true;
    rig.Read(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)), &ok);
    EXPECT_FALSE(ok) << "cut at " << n;
  }
}

TEST_F(MapRefusal, FireGridOfAnotherShapeOrWithUnknownFires) {
  Bytes bytes = GoldenDefaultMap();
  bytes[4 + 14 + 2 + 9] = 0x50;  // columns 80 instead of 40
  ExpectRefused(bytes, "fire grid");
  bytes = GoldenDefaultMap();
  bytes[4 + 14 + 2 + 14 + 77] = 4;
  ExpectRefused(bytes, "fire state");
}

TEST_F(MapRefusal, BadCamerasAndHeightScale) {
  Bytes bytes = GoldenDefaultMap();
  bytes[10] = 8;
  ExpectRefused(bytes, "view level");
  bytes = GoldenDefaultMap();
  bytes[18] = 0;
  bytes[19] = 0;
  ExpectRefused(bytes, "height scale");
  bytes[18] = 0xFF;
  ExpectRefused(bytes, "height scale");
}

TEST_F(MapRefusal, TerrainCodesNoPassCanBuild) {
  for (uint8_t code : {uint8_t{8}, uint8_t{9}, uint8_t{10}, uint8_t{130}, uint8_t{161}}) {
    Bytes bytes = GoldenDefaultMap();
    bytes[TileOffset(40, 40, 7, 9) + 1] = code;
    ExpectRefused(bytes, "terrain code");
  }
}

TEST_F(MapRefusal, ListCountsPastTheFileAndObjectsOffTheMap) {
  Bytes golden = GoldenDefaultMap();
  const size_t lists = golden.size() - 21;
  Bytes bytes = golden;
  for (size_t i = 1; i < 5; ++i) bytes[lists + 5 + i] = 0xFF;  // crater count 0xFFFFFFFF
  ExpectRefused(bytes, "more craters");
  bytes = golden;
  for (size_t i = 1; i < 5; ++i) bytes[lists + i] = 0xFF;
  ExpectRefused(bytes, "more building records");
  bytes = golden;
  bytes[lists + 15 + 4] = 1;  // one smoke cloud, at NaN
  bytes.pop_back();
  Append(bytes, {0x7F, 0xC0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ExpectRefused(bytes, "smoke cloud off the map");
  bytes = golden;
  bytes[lists + 5 + 4] = 1;  // one crater, beyond the map's width (800 m)
  Bytes crater = {8, 0x44, 0x48, 0, 0, 0x41, 0x20, 0, 0, 0, 100, 0, 0, 0, 0};
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(lists + 10), crater.begin(), crater.end());
  ExpectRefused(bytes, "crater off the map");
  bytes = golden;
  bytes.back() = 2;
  ExpectRefused(bytes, "landmark flag");
  bytes = golden;
  bytes.back() = 1;
  Append(bytes, {1, 0, 0, 0, 5});
  ExpectRefused(bytes, "more landmarks");
}

TEST(MapBuildingRecords, ARecordWithoutItsBuildingIsLoggedAndSkipped) {
  MapRig rig;
  Bytes bytes = GoldenDefaultMap();
  const size_t lists = bytes.size() - 21;
  bytes[lists + 4] = 2;
  // Two records: one damaged (applied: no building there), one plain (dropped), each with
  // two bytes to skip.
  Bytes records = {0, 3, 0, 4, 0, 40, 0, 2, 0xAA, 0xBB, 0, 5, 0, 6, 0, 0, 0, 2, 0xCC, 0xDD};
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(lists + 5), records.begin(), records.end());
  auto map = rig.Read(bytes);
  EXPECT_EQ(map->objects.buildings->Count(), 0);
  int logged = 0;
  for (const auto& line : rig.Log()) logged += line.find("building record without a building") != std::string::npos;
  EXPECT_EQ(logged, 1);
}

TEST(MapTrace, ReadLogsItsStages) {
  MapRig rig;
  rig.Default(4, 4);
  auto lines = rig.Log();
  std::vector<std::string> expected = {"Map.cpp 1114", "Map.cpp 1251", "Map.cpp 1257",
                                       "Map.cpp 1281", "Map.cpp 1290", "Map.cpp 1448",
                                       "Map.cpp 101"};
  EXPECT_EQ(lines, expected);
}

}  // namespace

TEST(MapRoundTrip, SnowGroundWritesTheCodesAsReadWhileTilesHoldTheirSnowForm) {
  MapRig rig;
  Map source(rig.app);
  ASSERT_TRUE(source.NewMap(100.0f, 20.0f, nullptr));
  const uint8_t codes[5] = {12, 16, 45, 46, 25};
  for (int32_t x = 0; x < 5; ++x) source.terrain.tiles.At(x, 0).code = codes[x];
  const Bytes bytes = rig.Write(source);
  rig.app.MakeBattle().ground = 7;
  auto snow = rig.Read(bytes);
  // Play sees ice and open ground...
  EXPECT_EQ(snow->terrain.tiles.At(0, 0).terrain, 27);
  EXPECT_EQ(snow->terrain.tiles.At(1, 0).code, 0);
  EXPECT_EQ(snow->terrain.tiles.At(2, 0).code, 27);
  // ...and the stored form keeps marsh, grain and both fords.
  EXPECT_EQ(rig.Write(*snow), bytes);
  // A tile changed since it was read stores its new code; ice made in play stores as water.
  snow->terrain.tiles.At(0, 0).code = 14;
  snow->terrain.tiles.At(1, 0).code = 27;
  const Bytes changed = rig.Write(*snow);
  EXPECT_EQ(changed[TileOffset(5, 1, 0, 0) + 1], 14);
  EXPECT_EQ(changed[TileOffset(5, 1, 1, 0) + 1], 25);
}
