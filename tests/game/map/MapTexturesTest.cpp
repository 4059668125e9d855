// The battlefield textures: the load pass's bitmaps in their order and slots, the lazy slots,
// figure prototypes, binding, and the release of everything including the buildings'.
#include <algorithm>
#include <set>
#include <vector>

#include "MapTestRig.h"
#include "framework/core/GGroup.h"
#include "framework/media/GGraph3DTexture.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"
#include "game/map/Building.h"

namespace {

// The graphics host, recording every bitmap asked for and the renderer's red multiplier at
// that moment. Unless told to make the files (a small grey square each, made when first
// asked for), every bitmap is excluded, so that each request reaches the host.
class RecordingGraphicsHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    firstLoads.push_back(number);
    float scale[3] = {1.0f, 1.0f, 1.0f};
    if (gGraph3D != nullptr) gGraph3D->GetColorScale(scale);
    redScale.push_back(scale[0]);
    if (!makeFiles) return true;
    WriteSolid(number, 8, 8, 0x808080);
    return false;
  }
  bool makeFiles = false;
  std::vector<int32_t> firstLoads;
  std::vector<float> redScale;
};

struct TextureWorld {
  RecordingGraphicsHost host;
  MapRig rig;
  FakeBattle& battle = rig.app.MakeBattle();
  std::unique_ptr<Map> map;

  // Autumn, clear, dawn, firm ground; one wood tile (13, shape 0), one stream tile (type 9 road
  // on it) and two buildings.
  TextureWorld() {
    battle.season = 2;
    battle.weather = 0;
    battle.timeOfDay = 1;
    battle.ground = 3;
    map = rig.Build(6, 6, [](Map& m) {
      m.terrain.tiles.At(1, 1).code = 62;
      m.terrain.tiles.At(4, 4).code = 62;
    });
    MapTile& wood = map->terrain.tiles.At(2, 2);
    wood.terrain = 13;
    wood.shape = 0;
    MapTile& water = map->terrain.tiles.At(3, 3);
    water.road = 9;
    water.roadShape = 1;
    host.firstLoads.clear();
  }
  std::vector<int32_t> Slots(int32_t first, int32_t count) const {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < count; ++i) out.push_back(map->SlotNumber(first + i));
    return out;
  }
};

using V = std::vector<int32_t>;

}  // namespace

TEST(MapLoadTextures, AutumnDawnLoadsEverySlotInOrderAndKeepsTheLinkAliveTwice) {
  TextureWorld w;
  w.map->LoadTextures(false);
  using S = Map::Slot;
  Map& map = *w.map;
  EXPECT_EQ(w.Slots(S::kKindGroupDetailed + 6, 2), (V{446, 447}));
  EXPECT_EQ(w.Slots(S::kKindGroupGraphics, 6), V(6, 0));
  EXPECT_EQ(map.SlotNumber(S::kDetailedTerrain + 11), 5111);
  EXPECT_EQ(w.Slots(S::kSingles, 8), (V{1503, 672, 1300, 1208, 1217, 1217, 1210, 1209}));
  EXPECT_EQ(w.Slots(S::kSet, 4), (V{1212, 1213, 1214, 1215}));
  EXPECT_EQ(w.Slots(S::kGround, 26), (V{500, 501, 502, 503, 504, 501, 542, 513, 544, 515, 516, 517, 504,
                                        501, 512, 513, 514, 515, 516, 517, 504, 501, 512, 513, 514, 515}));
  for (int32_t n = 0; n < Map::kHeightBands; ++n) {
    const bool used = std::count(std::begin(map.display.heightBand), std::end(map.display.heightBand), n) > 0;
    EXPECT_EQ(map.SlotNumber(S::kHeightBands + n), used ? 1500 + n : 0) << n;
  }
  EXPECT_EQ(w.Slots(S::kPair1800, 2), (V{1800, 1801}));
  EXPECT_EQ(w.Slots(S::kFeatures, 3), (V{671, 612, 625}));
  // Plain ground (type 0) has no piece; the wood and the stream each have theirs.
  EXPECT_EQ(map.SlotNumber(S::kTiles + 91), 691);
  EXPECT_EQ(map.SlotNumber(S::kTiles + 14), 614);
  int32_t tiles = 0;
  for (int32_t i = 0; i < Map::kTileTextures; ++i) tiles += map.SlotNumber(S::kTiles + i) != 0 ? 1 : 0;
  EXPECT_EQ(tiles, 2);
  EXPECT_EQ(map.SlotNumber(S::kTen + 9), 1729);
  EXPECT_EQ(w.Slots(S::kEffects, 3), (V{1204, 1205, 1206}));
  EXPECT_EQ(map.SlotNumber(S::kAnimated), 1700);
  EXPECT_EQ(map.SlotNumber(S::kAnimated + 17), 1717);
  EXPECT_EQ(map.SlotNumber(S::kTexture2020), 2020);
  EXPECT_EQ(w.Slots(S::kExtraEffects, 2), (V{0, 0}));
  EXPECT_EQ(map.SlotNumber(S::kTexture10049), 10049);
  // The test renderer's largest texture is 256: the small sky.
  EXPECT_EQ(map.SlotNumber(S::kSky), 1437);
  EXPECT_EQ(w.rig.app.keepAlives, 2);

  // The bitmaps asked for, in the order of the pass.
  ASSERT_EQ(map.objects.buildings->Count(), 2);
  V expected = {446, 447};
  for (int32_t n = 0; n < 12; ++n) expected.push_back(5100 + n);
  expected.insert(expected.end(), {1503, 672, 1300, 1208, 1217, 1217, 1210, 1209, 1212, 1213, 1214, 1215});
  expected.insert(expected.end(), {500, 501, 502, 503, 504, 501, 542, 513, 544, 515, 516, 517, 504, 501, 512,
                                   513, 514, 515, 516, 517, 504, 501, 512, 513, 514, 515});
  for (int32_t n = 0; n < Map::kHeightBands; ++n) {
    if (map.SlotNumber(S::kHeightBands + n) != 0) expected.push_back(1500 + n);
  }
  expected.insert(expected.end(), {1800, 1801, 671, 612, 625, 691, 614});
  for (int32_t b = 0; b < 2; ++b) {
    const Building& building = *static_cast<Building*>(map.objects.buildings->GetItem(b));
    expected.insert(expected.end(), {building.textures.wall[0], building.textures.wall[1], building.textures.wall[2],
                                     building.textures.roof});
  }
  for (int32_t n = 0; n < 10; ++n) expected.push_back(1720 + n);
  expected.insert(expected.end(), {1204, 1205, 1206});
  for (int32_t n = 0; n < 18; ++n) expected.push_back(1700 + n);
  expected.insert(expected.end(), {2020, 10049, 1437});
  EXPECT_EQ(w.host.firstLoads, expected);

  // Both buildings chose and loaded their textures between the tile textures and the ten.
  auto* building = static_cast<Building*>(map.objects.buildings->GetItem(0));
  EXPECT_NE(building->graphics.handle[0], nullptr);
  EXPECT_NE(building->graphics.handle[Building::Graphics::kRoof], nullptr);
}

TEST(MapLoadTextures, SnowNightAndAWideRendererChooseTheirBitmaps) {
  TextureWorld w;
  w.battle.ground = 7;
  w.battle.timeOfDay = 2;
  w.battle.weather = 3;
  w.host.renderer.maxSide = 2048;
  w.map->LoadTextures(false);
  using S = Map::Slot;
  EXPECT_EQ(w.Slots(S::kSingles, 8), (V{810, 672, 1300, 1218, 1219, 1219, 1210, 1209}));
  EXPECT_EQ(w.Slots(S::kGround + 20, 6), (V{516, 517, 0, 0, 0, 0}));
  EXPECT_EQ(w.Slots(S::kFeatures, 3), (V{971, 842, 842}));
  // The wood on snow: base 53 and the snow offset 197.
  EXPECT_EQ(w.map->SlotNumber(S::kTiles + 53), 600 + 53 + 197);
  // Night in bad weather, snow sky, the full-size graphic.
  EXPECT_EQ(w.map->SlotNumber(S::kSky), 1414);
  int32_t bands = 0;
  for (int32_t n = 0; n < Map::kHeightBands; ++n) {
    const int32_t number = w.map->SlotNumber(S::kHeightBands + n);
    if (number != 0) {
      EXPECT_EQ(number, 800 + n);
      ++bands;
    }
  }
  EXPECT_GT(bands, 0);

  // A downsampled display takes the small sky even on a wide renderer.
  w.map->ReleaseGraphics();
  w.host.renderer.level = 2;
  w.map->LoadTextures(false);
  EXPECT_EQ(w.map->SlotNumber(S::kSky), 1444);
}

TEST(MapLoadTextures, WaterOnWetGroundLoadsDarkerAndTheScaleComesBack) {
  // The renderer comes first: it finds no graphics host for its fonts.
  RecordingRig rig;
  TextureWorld w;
  gGraph3D = rig.r.get();
  w.battle.ground = 5;
  const float base[3] = {0.5f, 1.0f, 1.0f};
  rig.r->SwapColorScale(base, nullptr);
  // Wood does not tint, the stream (road type 9) does; the pass ends on the scale it began with.
  w.battle.extraEffectTextures = true;
  w.map->LoadTextures(true);
  const auto& loads = w.host.firstLoads;
  const auto scaleOf = [&](int32_t number) {
    return w.host.redScale[static_cast<size_t>(std::find(loads.begin(), loads.end(), number) - loads.begin())];
  };
  EXPECT_FLOAT_EQ(scaleOf(691), 0.5f);
  EXPECT_FLOAT_EQ(scaleOf(614), 0.5f * 0.6f);
  EXPECT_FLOAT_EQ(scaleOf(1720), 1.0f);
  EXPECT_FLOAT_EQ(scaleOf(1500 + w.map->display.heightBand[0]), 0.5f);
  float now[3];
  rig.r->GetColorScale(now);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(now[i], base[i]);
  EXPECT_EQ(w.Slots(Map::Slot::kExtraEffects, 2), (V{1222, 1223}));
  gGraph3D = nullptr;
}

TEST(MapLazyTextures, SlotsLoadOnceOnFirstNeedAndBindToTheRenderer) {
  RecordingRig rig;
  TextureWorld w;
  w.host.makeFiles = true;
  Map& map = *w.map;
  map.EnsureKindGroupGraphics(3);
  map.EnsureKindGroupGraphics(3);
  EXPECT_EQ(map.SlotNumber(Map::Slot::kKindGroupGraphics + 3), 403);
  EXPECT_EQ(map.SlotNumber(Map::Slot::kKindGroupDetailed + 3), 443);
  map.EnsureInfantryTexture(14);
  EXPECT_EQ(map.SlotNumber(Map::Slot::kInfantry + 14), 1914);
  EXPECT_EQ(w.host.firstLoads, (V{403, 443, 1914}));

  map.EnsureFigurePrototype(4);
  map.EnsureFigurePrototype(4);
  map.EnsureFigurePrototype(18);
  map.EnsureFigurePrototype(0);
  EXPECT_EQ(w.rig.app.figuresMade, (V{4, 18, 0}));
  // A figure is dressed when it is made, and again by the load pass.
  EXPECT_EQ(w.rig.app.figuresPrepared, (V{4, 18, 0}));
  map.PrepareFigurePrototypes();
  EXPECT_EQ(w.rig.app.figuresPrepared, (V{4, 18, 0, 18, 4, 0}));

  map.LoadTextures(true);
  gGraph3D = rig.r.get();
  map.BindTexture672();
  EXPECT_EQ(rig.r->BoundTexture(), dynamic_cast<GGraph3DTexture*>(map.display.textureSlots[Map::Slot::kRubble]));
  map.BindTexture1300();
  EXPECT_EQ(rig.r->BoundTexture(), dynamic_cast<GGraph3DTexture*>(map.display.textureSlots[Map::Slot::kTexture1300]));
  map.BindSetTexture(2);
  EXPECT_EQ(rig.r->BoundTexture(), dynamic_cast<GGraph3DTexture*>(map.display.textureSlots[Map::Slot::kSet + 2]));
  std::set<GGraph3DTexture*> effects;
  for (int i = 0; i < 30; ++i) {
    map.BindRandomEffectTexture();
    effects.insert(rig.r->BoundTexture());
  }
  EXPECT_EQ(effects.size(), 3u);
  // The passes over the ground draw with what the load pass loaded: the trees with the ground
  // textures (near 2k, far 2k + 1), the flag cloths with the kind groups' detailed textures,
  // the lines with 2020.
  auto boundNumber = [&rig] {
    const auto* bound = dynamic_cast<const GGraphic*>(rig.r->BoundTexture());
    return bound != nullptr ? bound->GetNumber() : -1;
  };
  V trees;
  for (int32_t k = 0; k < 3; ++k) {
    for (int32_t form = 0; form < 2; ++form) {
      EXPECT_TRUE(map.BindOverGroundTexture(2 * k + form));
      trees.push_back(boundNumber());
    }
  }
  EXPECT_EQ(trees, (V{500, 501, 502, 503, 504, 501}));
  EXPECT_TRUE(map.BindOverGroundTexture(Map::kFlagTextureBase + 3));
  EXPECT_EQ(boundNumber(), 443);
  EXPECT_TRUE(map.BindOverGroundTexture(Map::kFlagTextureBase + 7));
  EXPECT_EQ(boundNumber(), 447);
  EXPECT_FALSE(map.BindOverGroundTexture(Map::kFlagTextureBase + 0));  // no German unit prepared
  EXPECT_TRUE(map.BindOverGroundTexture(Map::kLineTexture));
  EXPECT_EQ(boundNumber(), 2020);
  gGraph3D = nullptr;

  // Release gives every texture back; the figures release their appearance, and the map
  // loads again.
  map.ReleaseGraphics();
  for (GObject* slot : map.display.textureSlots) EXPECT_EQ(slot, nullptr);
  auto* building = static_cast<Building*>(map.objects.buildings->GetItem(0));
  for (GGraphic* g : building->graphics.handle) EXPECT_EQ(g, nullptr);
  EXPECT_EQ(w.rig.app.figuresReleased.size(), 3u);
  map.LoadTextures(true);
  EXPECT_EQ(map.SlotNumber(Map::Slot::kSky), 1437);
}

TEST(MapLazyTexturesDeathTest, IndicesOutsideTheSlotsAreProgrammerErrors) {
  TextureWorld w;
  EXPECT_DEATH(w.map->EnsureKindGroupGraphics(6), "");
  EXPECT_DEATH(w.map->EnsureInfantryTexture(15), "");
  EXPECT_DEATH(w.map->EnsureFigurePrototype(19), "");
  EXPECT_DEATH(w.map->BindSetTexture(4), "");
  EXPECT_DEATH(w.map->EnsureInfantryTexture(-1), "");
}

TEST(MapBuildingTextures, ACopyLoadsItsOwnHandlesAndReleasesThemAlone) {
  TextureWorld w;
  w.map->LoadTextures(true);
  auto* building = static_cast<Building*>(w.map->objects.buildings->GetItem(0));
  std::unique_ptr<Building> copy(static_cast<Building*>(building->CopyItself()));
  EXPECT_EQ(copy->wallVariant, building->wallVariant);
  for (GGraphic* g : copy->graphics.handle) EXPECT_EQ(g, nullptr);
  copy->LoadGraphics();
  EXPECT_NE(copy->graphics.handle[0], nullptr);
  EXPECT_NE(copy->graphics.handle[0], building->graphics.handle[0]);
  *copy = *building;
  for (GGraphic* g : copy->graphics.handle) EXPECT_EQ(g, nullptr);
  EXPECT_NE(building->graphics.handle[0], nullptr);
}
