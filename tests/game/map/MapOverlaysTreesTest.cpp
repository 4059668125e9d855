// Overlays and trees on the recording device: the orientation table, raised layers and edge
// strips, woods thinned far off, far blocks, pick mode; the tree groups by "Tree Display",
// thinning, billboards and crowns, and the bucketed walk against the thirteen plain walks.
#include <vector>

#include "OverGroundRig.h"
#include "framework/core/GRandom.h"
#include "game/map/MapTree.h"

namespace {

using Uv = std::pair<float, float>;
using Uvs = std::vector<Uv>;

// A wood piece on tile (x, y): terrain type 13, shape 0, turned and mirrored as given.
MapTile& Wood(Map& map, int32_t x, int32_t y, int32_t rotation, bool mirrored) {
  MapTile& tile = map.terrain.tiles.At(x, y);
  tile.terrain = 13;
  tile.shape = 0;
  tile.rotation = static_cast<uint8_t>(rotation);
  tile.mirrored = mirrored ? 1 : 0;
  return tile;
}

MapTree* AddTree(Map& map, int32_t group, float x, float y, int32_t kind, float size = 6.0f) {
  auto* tree = new MapTree;
  tree->x = x;
  tree->y = y;
  tree->baseHeight = map.ElevationAt(x, y) - 0.2f;
  tree->height = size;
  tree->variant = static_cast<uint8_t>(kind);
  map.objects.trees[group].Append(tree);
  return tree;
}

// The screen distance between two vertices of a draw.
float Span(const PRecording3DDevice::Call& d, int32_t a, int32_t b) {
  return std::hypot(d.X(a) - d.X(b), d.Y(a) - d.Y(b));
}

}  // namespace

TEST(MapOverlays, OrientationRowsInsetOnTheGroundAndExactWhenRaised) {
  OverGroundWorld w;
  MapTile& tile = Wood(*w.map, 1, 1, 1, true);  // k = 5
  w.map->DrawOverlays();
  auto draws = w.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(OverGroundWorld::Uvs(*draws[0]),
            (Uvs{{0.012f, 0.012f}, {0.988f, 0.012f}, {0.988f, 0.988f}, {0.012f, 0.988f}}));

  // A road piece (type 9) above it is raised: exact corners, row 2 here.
  tile.road = 9;
  tile.roadShape = 1;
  tile.roadRotation = 2;
  w.device.ClearCalls();
  w.map->DrawOverlays();
  draws = w.Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(OverGroundWorld::Uvs(*draws[1]), (Uvs{{1, 1}, {1, 0}, {0, 0}, {0, 1}}));
  // Lifted by the raised lift over the layer below: level 4 lifts 0.5, raised 0.5 x 0.3 x 2.
  EXPECT_TRUE(w.Drawn(20.0f, 20.0f, w.map->terrain.flatHeight[0].At(1, 1) + 0.5f));
  EXPECT_TRUE(w.Drawn(20.0f, 20.0f, w.map->terrain.flatHeight[0].At(1, 1) + 0.8f));
}

TEST(MapOverlays, EdgeStripsBindTheirKindsTextureAndLayerOneNeedsAType) {
  OverGroundWorld w;
  MapTile& tile = w.map->terrain.tiles.At(2, 2);
  const int32_t strip[3] = {25, 12, 71};
  for (int32_t kind = 0; kind < 3; ++kind) {
    for (auto& corner : tile.roadEnds) corner[0] = corner[1] = corner[2] = 0;
    tile.roadEnds[1][kind] = 1;
    GGraph3DTexture* texture = w.SlotTexture(Map::Slot::kTiles + strip[kind]);
    w.device.ClearCalls();
    w.map->DrawOverlays();
    auto draws = w.Draws();
    ASSERT_EQ(draws.size(), 1u) << kind;
    EXPECT_EQ(w.r->BoundTexture(), texture) << kind;
    EXPECT_EQ(OverGroundWorld::Uvs(*draws[0]), (Uvs{{1, 0}, {0, 0}, {0, 1}, {1, 1}}));
  }
  // A wood piece with a strip and no road: the piece and the strip only.
  Wood(*w.map, 2, 2, 0, false);
  w.device.ClearCalls();
  w.map->DrawOverlays();
  EXPECT_EQ(w.Draws().size(), 2u);
}

TEST(MapOverlays, DistantWoodPiecesGiveWayToTreesButTheirRoadsStay) {
  OverGroundWorld w(40);
  w.maps.app.options[2] = 1;
  w.Place(0, 10.0f, 400.0f, 0.0f);
  for (int32_t x : {2, 38}) {
    MapTile& tile = Wood(*w.map, x, 20, 0, false);
    tile.road = 9;
    tile.roadShape = 1;
    tile.roadEnds[0][0] = 1;
  }
  ASSERT_LT(w.map->PerspectiveScaleAt(770.0f, 410.0f, 15.0f), 0.045f);
  ASSERT_GT(w.map->PerspectiveScaleAt(50.0f, 410.0f, 15.0f), 0.045f);
  w.map->DrawOverlays();
  EXPECT_EQ(w.Draws().size(), 4u);  // near: piece, strip, road; far: road
  // Without trees shown every piece stays.
  w.maps.app.options[2] = 0;
  w.device.ClearCalls();
  w.map->DrawOverlays();
  EXPECT_EQ(w.Draws().size(), 6u);
}

TEST(MapOverlays, FarBlocksDrawBorderTilesFlatAndTheRestAsFansOnTheSecondGrids) {
  OverGroundWorld w;
  for (int32_t x = 0; x < 4; ++x)
    for (int32_t y = 0; y < 4; ++y) Wood(*w.map, x, y, 0, false);
  w.map->overGround.farBlocks.Init(2, 2);
  w.map->overGround.farBlocks.At(0, 0) = 1;
  w.map->terrain.lodVertexHeight.At(1, 1) = 7.0f;
  w.SetStates(0);
  w.map->terrain.blockViewState.At(0, 0) = 2;
  w.map->DrawOverlays();
  int32_t quads = 0;
  int32_t fans = 0;
  for (const auto* d : w.Draws()) {
    quads += d->count == 4;
    fans += d->count == 6;
  }
  EXPECT_EQ(quads, 8);  // the border tiles but the corners
  EXPECT_EQ(fans, 8);
  EXPECT_TRUE(w.Drawn(20.0f, 20.0f, 7.5f));
}

TEST(MapOverlays, NothingInPickModeTheTransformRestoredAndBadIndicesLoggedOnce) {
  OverGroundWorld w;
  Wood(*w.map, 1, 1, 0, false).shape = 200;  // past the table
  Wood(*w.map, 3, 3, 0, false).shape = 90;
  Wood(*w.map, 5, 5, 0, false);
  const GTransform before = w.r->Top();
  const int32_t depth = w.r->Depth();
  w.map->DrawOverlays();
  EXPECT_EQ(w.Draws().size(), 1u);
  EXPECT_EQ(w.r->Depth(), depth);
  for (int32_t i = 0; i < 4; ++i)
    for (int32_t j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(w.r->Top().m[i][j], before.m[i][j]);
  w.map->DrawOverlays();
  int32_t lines = 0;
  for (const std::string& line : w.textures->folder.LogLines())
    lines += line.find("overlay texture index") != std::string::npos;
  EXPECT_LE(lines, 1);

  w.r->SetPickMode(1, 0, -1, &w.device);
  w.device.ClearCalls();
  w.map->DrawOverlays();
  EXPECT_TRUE(w.Draws().empty());
  w.r->SetPickMode(0, 0, -1, nullptr);
}

TEST(MapTrees, TreeDisplayChoosesTheGroupsAndThinsDistantWoods) {
  OverGroundWorld w(40);
  w.Place(2, 400.0f, 400.0f, 0.0f);
  for (int32_t g = 0; g < 3; ++g) AddTree(*w.map, g, 500.0f + 10.0f * static_cast<float>(g), 400.0f, 4);
  auto drawn = [&w](int32_t display) {
    w.maps.app.options[2] = static_cast<int8_t>(display);
    w.device.ClearCalls();
    w.map->DrawTrees();
    return w.Draws().size();
  };
  EXPECT_EQ(drawn(0), 0u);
  EXPECT_EQ(drawn(1), 1u);
  EXPECT_EQ(drawn(2), 2u);
  EXPECT_EQ(drawn(3), 3u);
}

TEST(MapTrees, DistantWoodsShowEveryOtherTreeTwiceAsWideBelowFullDisplay) {
  // Two trees of one group beyond 707 m: at display 2 the odd one goes, the even one doubles.
  OverGroundWorld far(60);
  far.Place(2, 100.0f, 100.0f, 0.785398f);
  AddTree(*far.map, 0, 800.0f, 800.0f, 2);
  AddTree(*far.map, 0, 801.0f, 800.0f, 2);
  far.maps.app.options[2] = 3;
  far.map->DrawTrees();
  auto draws = far.Draws();
  ASSERT_EQ(draws.size(), 2u);
  const float full = Span(*draws[0], 0, 3);
  far.maps.app.options[2] = 2;
  far.device.ClearCalls();
  far.map->DrawTrees();
  draws = far.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_NEAR(Span(*draws[0], 0, 3) / full, 2.0f, 0.01f);
}

TEST(MapTrees, TallAndMirroredBillboardsAndCrownsFromLevelFour) {
  OverGroundWorld w(40);
  w.maps.app.options[2] = 3;
  w.Place(1, 300.0f, 400.0f, 0.0f);
  MapTree* tree = AddTree(*w.map, 0, 400.0f, 400.0f, 7);
  w.map->DrawTrees();
  auto draws = w.Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(OverGroundWorld::Uvs(*draws[0]), (Uvs{{0, 0}, {0, 0.995f}, {1, 0.995f}, {1, 0}}));
  const float height = Span(*draws[0], 0, 1);
  tree->pine = 1;
  tree->mirrored = true;
  w.device.ClearCalls();
  w.map->DrawTrees();
  draws = w.Draws();
  EXPECT_NEAR(Span(*draws[0], 0, 1) / height, 2.0f, 0.05f);
  EXPECT_EQ(draws[0]->U(2), -1.0f);

  // Level 3 blending from 2: still billboards; from level 4: crowns 1.5 m above the base.
  w.Place(3, 300.0f, 400.0f, 0.0f);
  w.map->frame.previousLevel = 2;
  w.map->frame.levelBlend = 0.5f;
  w.map->DrawTrees();
  EXPECT_EQ(-w.Draws()[0]->V(1), 0.995f);
  w.map->frame.previousLevel = 4;
  w.device.ClearCalls();
  w.map->DrawTrees();
  EXPECT_EQ(-w.Draws()[0]->V(1), 1.0f);
  w.map->frame.levelBlend = 0.0f;
  w.Place(4, 400.0f, 400.0f, 0.0f);
  w.map->DrawTrees();
  ASSERT_EQ(w.Draws().size(), 1u);
  EXPECT_EQ(OverGroundWorld::Uvs(*w.Draws()[0]), (Uvs{{0, 0}, {0, 1}, {1, 1}, {1, 0}}));
  EXPECT_TRUE(w.Drawn(397.0f, 397.0f, tree->baseHeight + 1.5f, 0.2f));
}

TEST(MapTrees, BucketedPassSendsWhatThirteenPlainWalksSend) {
  OverGroundWorld w(40);
  w.Place(2, 200.0f, 150.0f, 0.6f);
  GRandom random(77u);
  for (int32_t n = 0; n < 600; ++n) {
    // Drawn last argument first, one draw a statement: the same trees from every compiler.
    const float size = 4.0f + random.RandomFloatTimes(4.0f);
    const int32_t kind = random.Random(13);
    const float y = random.RandomFloatTimes(800.0f);
    const float x = random.RandomFloatTimes(800.0f);
    MapTree* tree = AddTree(*w.map, random.Random(3), x, y, kind, size);
    tree->pine = static_cast<uint8_t>(random.Random(2));
    tree->mirrored = random.Random(2) != 0;
  }
  // Some blocks out of view, and the eye far enough off for thinning.
  for (int32_t i = 0; i < 10; ++i) w.map->terrain.blockViewState.At(i, 3) = 0;
  w.map->frame.eyeX = -600.0f;
  w.map->frame.eyeY = -300.0f;
  for (int32_t display : {2, 3}) {
    w.maps.app.options[2] = static_cast<int8_t>(display);
    w.device.ClearCalls();
    w.map->DrawTrees();
    std::vector<std::vector<uint8_t>> bucketed;
    for (const auto* d : w.Draws()) bucketed.push_back(d->vertices);
    EXPECT_EQ(w.map->overGround.treesVisited, display == 2 ? w.map->objects.trees[0].Count() + w.map->objects.trees[1].Count() : 600);

    w.device.ClearCalls();
    const bool culling = w.r->IsBackfaceCulling();
    w.r->SetBackfaceCulling(false);
    for (int32_t k = 12; k >= 0; --k) {
      w.map->BindOverGroundTexture(2 * k);
      for (int32_t g = 0; g < display; ++g) {
        for (int32_t n = 0; n < w.map->objects.trees[g].Count(); ++n) {
          const auto* tree = static_cast<const MapTree*>(w.map->objects.trees[g].GetItem(n));
          if (tree->variant != k) continue;
          Map::TreeRef ref{tree, n, static_cast<int32_t>(tree->x * 0.0125f), static_cast<int32_t>(tree->y * 0.0125f)};
          if (w.map->GetBlockViewState(ref.blockX, ref.blockY) == 0) continue;
          w.map->DrawTreeBillboard(ref, display);
        }
      }
    }
    w.r->SetBackfaceCulling(culling);
    const auto plain = w.Draws();
    ASSERT_EQ(bucketed.size(), plain.size()) << display;
    const size_t draws = plain.size();
    for (size_t i = 0; i < draws; ++i) EXPECT_EQ(bucketed[i], plain[i]->vertices) << i;
    EXPECT_GT(draws, 50u);
  }
}
