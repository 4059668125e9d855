// The object passes on the recording device: set-up zone outlines by side, their segments and
// thickness; victory flags, their size, height and cloth; the buildings' occupancy marks;
// walls by kind; landmark names kept on the screen.
#include <algorithm>
#include <string>

#include "OverGroundRig.h"
#include "framework/core/GGroup.h"
#include "game/map/Building.h"
#include "game/map/FineTerrain.h"
#include "game/map/Landmark.h"
#include "game/map/Wall.h"

namespace {

// Triangles the pass hands the renderer.
template <class F>
int64_t Triangles(OverGroundWorld& w, F&& pass) {
  w.r->ResetTriangleCounts();
  w.device.ClearCalls();
  pass();
  return w.Given();
}

// The colour of a coloured draw's first vertex as (r, g, b) bytes.
std::array<int32_t, 3> ColourOf(const PRecording3DDevice::Call& d) {
  const uint32_t c = d.Colour(0);
  return {static_cast<int32_t>((c >> 16) & 0xFF), static_cast<int32_t>((c >> 8) & 0xFF),
          static_cast<int32_t>(c & 0xFF)};
}

// An infantry unit that marks the building it stands in as occupied.
class Occupant : public FakeUnit {
 public:
  using FakeUnit::FakeUnit;
  void MarkOccupiedBuildings(Map& map) override { map.MarkBuildingAt(x, y, true); }
};

}  // namespace

TEST(MapZoneOutlines, EachSideSeesItsOwnZonesAndTheEditorAll) {
  OverGroundWorld w;
  auto zone = [&w](int32_t x, int32_t y, int32_t z) { w.map->terrain.tiles.At(x, y).zone = static_cast<uint8_t>(z); };
  zone(2, 2, 4);
  zone(3, 2, 4);  // a neighbour of the same zone: no segment between them
  zone(5, 5, 1);
  zone(6, 6, 99);
  // Level 4: thick, two quads a segment.
  auto outlines = [&w] { return Triangles(w, [&w] { w.map->DrawZoneOutlines(); }) / 4; };
  EXPECT_EQ(outlines(), 6);
  w.maps.app.currentSide = 1;
  EXPECT_EQ(outlines(), 4);
  w.maps.app.editorOpen = true;
  EXPECT_EQ(outlines(), 14);
  // The meeting value shows in the editor in grey: it is the first tile drawn.
  EXPECT_EQ(ColourOf(*w.Draws()[0]), (std::array<int32_t, 3>{127, 127, 127}));

  // Pick mode draws nothing.
  w.r->SetPickMode(1, 0, -1, &w.device);
  EXPECT_EQ(outlines(), 0);
  w.r->SetPickMode(0, 0, -1, nullptr);
}

TEST(MapZoneOutlines, SegmentsLieInsideTheTileAndThickenWithTheLevel) {
  OverGroundWorld w;
  w.map->terrain.tiles.At(3, 2).zone = 5;
  const float z = w.map->ElevationAt(78.0f, 42.0f);
  Triangles(w, [&w] { w.map->DrawZoneOutlines(); });
  // The side towards x + 1 runs at x = 78 from y = 42 to 58, 0.8 m high, its top 0.9 m wide.
  EXPECT_TRUE(w.Drawn(78.0f, 42.0f, z));
  EXPECT_TRUE(w.Drawn(78.0f, 58.0f, z + 0.8f));
  EXPECT_TRUE(w.Drawn(78.9f, 42.9f, z + 0.8f));
  EXPECT_EQ(ColourOf(*w.Draws()[0]), (std::array<int32_t, 3>{0, 0, 0}));
  w.Place(5, 80.0f, 80.0f, 1.5707963f);
  Triangles(w, [&w] { w.map->DrawZoneOutlines(); });
  EXPECT_TRUE(w.Drawn(79.2f, 43.2f, z + 0.8f));

  // Snow ground's colours; a thin outline, one quad a segment, where it looks small.
  w.map->terrain.tiles.At(3, 2).zone = 2;
  w.maps.app.currentSide = 1;
  w.battle.ground = 7;
  Triangles(w, [&w] { w.map->DrawZoneOutlines(); });
  EXPECT_EQ(ColourOf(*w.Draws()[0]), (std::array<int32_t, 3>{229, 221, 229}));
}

TEST(MapZoneOutlines, ThinWhereTheyLookSmallBelowLevelFour) {
  OverGroundWorld far(60);
  far.map->terrain.tiles.At(50, 50).zone = 4;
  far.Place(1, 40.0f, 40.0f, 0.785398f);
  ASSERT_LT(far.map->PerspectiveScaleAt(1018.0f, 1002.0f, 15.0f), 0.04f);
  EXPECT_EQ(Triangles(far, [&far] { far.map->DrawZoneOutlines(); }), 4 * 2);
}

TEST(MapVictoryFlags, LargeFlagsScaleAndClothLiesFlatFromLevelFour) {
  OverGroundWorld w;
  MapFlagView flag;
  flag.x = 60.0f;
  flag.y = 70.0f;
  flag.type = 1;
  const float ground = w.map->ElevationAt(60.0f, 70.0f);
  w.Place(6, 80.0f, 80.0f, 1.5707963f);
  w.map->DrawVictoryFlag(flag);
  auto draws = w.Draws();
  ASSERT_EQ(draws.size(), 1u);  // the cloth alone
  const float s = 1.75f * 2.8f;
  EXPECT_TRUE(w.Drawn(60.0f - 3.49f * s, 70.0f + 1.9f * s, ground + 3.6f * s, 0.1f));
  EXPECT_TRUE(w.Drawn(60.0f + 3.73f * s, 70.0f - 1.9f * s, ground + 3.6f * s, 0.1f));

  // Low down: pole, cap and cloth; the cloth stands 9 m up on terrain 33, 3 m on other dirt roads.
  w.Place(2, 80.0f, 80.0f, 1.5707963f);
  flag.type = 0;
  w.map->DrawVictoryFlag(flag);
  EXPECT_GT(w.Draws().size(), 2u);
  uint16_t& cell = w.map->terrain.fineGrid.At(30, 35);
  for (auto [type, up] : {std::pair{33, 9.0f}, std::pair{31, 3.0f}}) {
    cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
    ASSERT_EQ(w.map->TerrainTypeAt(60.0f, 70.0f), type);
    const float g = w.map->ElevationAt(60.0f, 70.0f);
    w.Place(4, 80.0f, 80.0f, 1.5707963f);
    w.map->DrawVictoryFlag(flag);
    EXPECT_TRUE(w.Drawn(60.0f - 3.49f * 1.3f, 70.0f + 1.9f * 1.3f, g + up + 3.6f * 1.3f, 0.1f)) << type;
  }
}

TEST(MapVictoryFlags, ClothByOwnerContestAndHiddenObjectives) {
  OverGroundWorld w;
  GGraph3DTexture* cloth[8];
  for (int32_t n = 0; n < 8; ++n) cloth[n] = w.OverGroundTexture(Map::kFlagTextureBase + n);
  w.maps.app.options[42] = 1;
  MapFlagView flag;
  flag.x = 60.0f;
  flag.y = 70.0f;
  flag.owner = 3;
  w.battle.flags.push_back(flag);
  auto shown = [&w] {
    w.device.ClearCalls();
    w.map->DrawVictoryFlags();
    return w.Draws().empty() ? nullptr : w.r->BoundTexture();
  };
  EXPECT_EQ(shown(), cloth[3]);
  w.battle.flags[0].contested = true;
  EXPECT_EQ(shown(), cloth[6]);
  // A hidden objective not chosen: cloth 7 to a side that may see them, else as usual.
  w.battle.flags[0].hidden = true;
  w.battle.flags[0].contested = false;
  EXPECT_EQ(shown(), cloth[3]);
  w.battle.seesHidden[0] = true;
  EXPECT_EQ(shown(), cloth[7]);
  w.battle.flags[0].chosen = true;
  EXPECT_EQ(shown(), cloth[3]);  // the chosen one, held: its holder's cloth
  w.battle.flags[0].contested = true;
  EXPECT_EQ(shown(), cloth[3]);

  // A damaged owner shows the contested cloth, logged once.
  w.battle.flags[0] = MapFlagView{};
  w.battle.flags[0].x = 60.0f;
  w.battle.flags[0].y = 70.0f;
  w.battle.flags[0].owner = 12;
  EXPECT_EQ(shown(), cloth[6]);
  EXPECT_EQ(shown(), cloth[6]);
  int32_t lines = 0;
  for (const std::string& line : w.textures->folder.LogLines()) lines += line.find("flag texture") != std::string::npos;
  EXPECT_LE(lines, 1);

  // No flags with the option off or an editor open, nor of other types.
  w.maps.app.options[42] = 0;
  EXPECT_EQ(shown(), nullptr);
  w.maps.app.options[42] = 1;
  w.maps.app.editorOpen = true;
  EXPECT_EQ(shown(), nullptr);
  w.maps.app.editorOpen = false;
  w.battle.flags[0].type = 2;
  EXPECT_EQ(shown(), nullptr);
}

TEST(MapBuildingPass, MarksResetEveryFrameThenUnitsMarkWhatTheyOccupy) {
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  auto map = rig.Build(6, 6, [](Map& m) {
    m.terrain.tiles.At(1, 1).code = 62;
    m.terrain.tiles.At(4, 4).code = 62;
  });
  ASSERT_EQ(map->objects.buildings->Count(), 2);
  auto* a = static_cast<Building*>(map->objects.buildings->GetItem(0));
  auto* b = static_cast<Building*>(map->objects.buildings->GetItem(1));
  const bool aFirst = a->tileX == 1;
  Building* at11 = aFirst ? a : b;
  Building* at44 = aFirst ? b : a;
  at44->hidden = 1;
  auto unit = std::make_unique<Occupant>(MapUnitView::kInfantry, 0, 30.0f, 30.0f);
  battle.units.push_back(std::move(unit));
  battle.units.push_back(std::make_unique<Occupant>(MapUnitView::kVehicle, 0, 90.0f, 90.0f));
  at11->displayMark = 0;
  map->DrawBuildings();
  EXPECT_EQ(at11->displayMark, 2);
  EXPECT_EQ(at44->displayMark, 0);

  // Occupied leaves 0 at 0 and raises 1 to 2; not occupied clears.
  map->MarkBuildingAt(90.0f, 90.0f, true);
  EXPECT_EQ(at44->displayMark, 0);
  map->MarkBuildingAt(30.0f, 30.0f, true);
  EXPECT_EQ(at11->displayMark, 2);
  map->MarkBuildingAt(30.0f, 30.0f, false);
  EXPECT_EQ(at11->displayMark, 0);
  map->MarkBuildingAt(-5.0f, 30.0f, false);  // no building there: nothing
}

TEST(MapWallPass, KindsInTheOrderWallHedgeBocageEachWithItsTexture) {
  OverGroundWorld w;
  const int32_t kinds[3] = {28, 30, 29};
  for (int32_t n = 0; n < 3; ++n) {
    auto* wall = new Wall(*w.map);
    const float x = 30.0f + 30.0f * static_cast<float>(n);
    const MapCorner corners[4] = {{x, 60.0f}, {x, 80.0f}, {x + 1.0f, 80.0f}, {x + 1.0f, 60.0f}};
    wall->Init(kinds[n], false, false, corners);
    wall->height = 2.0f;
    wall->UpdateBounds();
    w.map->objects.walls->Append(wall);
  }
  const PSurface* texture[3];
  for (int32_t k = 0; k < 3; ++k) texture[k] = w.SlotTexture(Map::Slot::kFeatures + k)->GetTexture();
  w.map->DrawWalls();
  // Walls (29) with feature 0, hedges (30) with 1, bocage (28) with 2, in that order.
  std::vector<const PSurface*> bound;
  const PSurface* current = nullptr;
  for (const auto& call : w.device.Calls()) {
    if (call.kind == PRecording3DDevice::Kind::kSetTexture) current = call.texture;
    if (call.kind == PRecording3DDevice::Kind::kDrawPrimitive && (bound.empty() || bound.back() != current))
      bound.push_back(current);
  }
  EXPECT_EQ(bound, (std::vector<const PSurface*>{texture[0], texture[1], texture[2]}));
}

TEST(MapLandmarkNames, DrawnFourTimesKeptOnScreenAndShownByTheirOption) {
  OverGroundWorld w;
  w.maps.app.options[16] = 1;
  w.map->objects.landmarks.Append(new Landmark(0, 4, "Hill 112"));
  w.battle.viewWidth = 1024;
  w.battle.viewHeight = 768;
  const int32_t width = w.r->TextWidth("Hill 112", 8, 0);
  // Move the camera east until the name's point lies within its half width of the left edge.
  float x = 0.0f;
  float y = 0.0f;
  for (float cx = 10.0f; cx < 160.0f; cx += 0.5f) {
    w.Place(2, cx, -60.0f, 1.5707963f);
    x = 10.0f;
    y = 90.0f;
    if (w.r->ProjectToScreen(&x, &y, w.map->SurfaceHeightAt(10.0f, 90.0f), false) && x < static_cast<float>(width / 2 + 10))
      break;
  }
  ASSERT_LT(x, static_cast<float>(width / 2 + 10));
  ASSERT_GE(x, 0.0f);
  w.map->DrawLandmarks();
  ASSERT_EQ(w.r->QueuedTexts(), 4);
  const int32_t sx = width / 2 + 10;
  const auto sy = static_cast<int32_t>(y);
  const int32_t at[4][2] = {{sx - 1, sy + 1}, {sx - 1, sy - 1}, {sx + 1, sy - 1}, {sx, sy}};
  for (int32_t i = 0; i < 4; ++i) {
    const GQueuedText& text = w.r->QueuedText(i);
    EXPECT_EQ(text.x, at[i][0]) << i;
    EXPECT_EQ(text.y, at[i][1]) << i;
    EXPECT_EQ(text.alignment, 0);
    EXPECT_STREQ(text.text.CStr(), "Hill 112");
    const int32_t rgb = (text.red << 16) | (text.green << 8) | text.blue;
    EXPECT_EQ(rgb, i < 3 ? 0 : (100 << 16) | (225 << 8) | 255) << i;
  }
  EXPECT_EQ(w.map->overGround.nameWidths.size(), 1u);
  EXPECT_EQ(w.map->overGround.nameWidths[0].width, width);

  w.maps.app.options[16] = 0;
  w.map->DrawLandmarks();
  EXPECT_EQ(w.r->QueuedTexts(), 4);
}
