// Drawing of buildings, bridges, walls and craters in the battlefield view, on the recording
// device: what is drawn where, with which render states, the pick hand-over and the damage
// label.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "MapTestRig.h"
#include "framework/core/GGroup.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/MapObjectList.h"
#include "game/map/Wall.h"

namespace {

using Draw = PRecording3DDevice::Call;

// A 6 x 6 tile map seen from 30 m south of tile (2, 3) and 25 m up, on the recording device
// (translucent triangles drawn at once). Every block is wholly in view until a test says not.
struct DrawWorld {
  RecordingRig rig;
  MapRig maps;
  FakeBattle& battle = maps.app.MakeBattle();
  std::unique_ptr<Map> map = maps.Default(6, 6);
  float ground = map->ElevationAt(50.0f, 70.0f);

  explicit DrawWorld(bool sortIndependent = true) : rig(sortIndependent) {
    gGraph3D = rig.r.get();
    rig.r->LookAt(50.0f, 40.0f, ground + 25.0f, 50.0f, 70.0f, ground, 0.0f, 0.0f, 1.0f);
    map->terrain.blockViewState.Fill(2);
    map->camera.viewLevel[0] = 2;
    map->camera.x[0] = 50.0f;
    map->camera.y[0] = 40.0f;
    map->camera.bearing[0] = 3.14159265f / 2.0f;
    map->camera.height = ground + 25.0f;
    rig.device.ClearCalls();
  }
  ~DrawWorld() { gGraph3D = nullptr; }

  // A building of the type on tile (2, 3), a square 9.6 m a side, owned by the map.
  Building& Add(int32_t type) {
    auto* b = new Building(*map);
    const MapCorner c[4] = {{45.2f, 74.8f}, {54.8f, 74.8f}, {54.8f, 65.2f}, {45.2f, 65.2f}};
    b->Setup(type, ground, false, c);
    map->objects.buildings->Append(b);
    return *b;
  }
  std::vector<const Draw*> Draws() const { return rig.device.Draws(); }
  // Whether any vertex drawn lies where the world point projects.
  bool Drawn(float x, float y, float z) const {
    float sx = x;
    float sy = y;
    if (!rig.r->ProjectToScreen(&sx, &sy, z, false)) return false;
    for (const Draw* d : Draws()) {
      for (int32_t i = 0; i < d->count; ++i) {
        if (std::fabs(d->X(i) - sx) < 0.02f && std::fabs(d->Y(i) - sy) < 0.02f) return true;
      }
    }
    return false;
  }
  int32_t Vertices() const {
    int32_t n = 0;
    for (const Draw* d : Draws()) n += d->count;
    return n;
  }
};

}  // namespace

TEST(MapBuildingDraw, BlocksOutOfViewAndTinyBuildingsDrawNothingAndClippingComesBack) {
  DrawWorld w;
  Building& b = w.Add(31);
  w.map->terrain.blockViewState.Fill(0);
  b.Draw();
  EXPECT_TRUE(w.Draws().empty());
  w.map->terrain.blockViewState.Fill(2);
  b.Draw();
  EXPECT_FALSE(w.Draws().empty());
  EXPECT_TRUE(w.rig.r->Clipping());
  // Far away at a near view level: too small to see.
  w.rig.device.ClearCalls();
  w.map->camera.y[0] = -3000.0f;
  b.Draw();
  EXPECT_TRUE(w.Draws().empty());
  w.map->camera.viewLevel[0] = 4;
  b.Draw();
  EXPECT_FALSE(w.Draws().empty());
  EXPECT_TRUE(w.rig.r->Clipping());
}

TEST(MapBuildingDraw, LowBuildingWholeCutAwayAndTranslucent) {
  DrawWorld w;
  Building& b = w.Add(31);
  const float g = b.baseHeight;
  b.Draw();
  EXPECT_TRUE(w.Drawn(45.2f, 65.2f, g + 3.6f));
  EXPECT_TRUE(w.Drawn(50.0f, 74.8f, g + 6.0f));  // the ridge
  EXPECT_FALSE(w.Drawn(45.2f, 65.2f, g + 0.9f));

  // Marked for cut-away: 0.9 m walls and no roof from view level 2.
  w.rig.device.ClearCalls();
  b.displayMark = 0;
  b.Draw();
  EXPECT_TRUE(w.Drawn(45.2f, 65.2f, g + 0.9f));
  EXPECT_FALSE(w.Drawn(45.2f, 65.2f, g + 3.6f));
  EXPECT_FALSE(w.Drawn(50.0f, 74.8f, g + 6.0f));
  // Below level 2 the roof is back.
  w.rig.device.ClearCalls();
  w.map->camera.viewLevel[0] = 1;
  b.Draw();
  EXPECT_TRUE(w.Drawn(50.0f, 74.8f, g + 6.0f));

}

TEST(MapBuildingDraw, WithOption17AndBlendingACutAwayBuildingIsWholeAndTranslucent) {
  // Translucent faces wait for the end of the frame, each with its alpha.
  DrawWorld w(false);
  Building& b = w.Add(31);
  b.displayMark = 0;
  w.maps.app.options[17] = 1;
  w.maps.app.canBlend = true;
  b.Draw();
  // Of the four walls and, at view level 2, the two roof planes, the camera faces the south
  // wall and both planes; the gables are opaque.
  EXPECT_EQ(w.rig.r->AlphaBytes(), 3u);
  EXPECT_EQ(w.rig.r->Colour() >> 24, 255u);
  // Without blending the same building is cut away again, all opaque.
  w.maps.app.canBlend = false;
  DrawWorld opaque(false);
  Building& c = opaque.Add(31);
  c.displayMark = 0;
  opaque.maps.app.options[17] = 1;
  c.Draw();
  EXPECT_EQ(opaque.rig.r->AlphaBytes(), 0u);
  EXPECT_FALSE(opaque.Drawn(45.2f, 65.2f, c.baseHeight + 3.6f));
}

TEST(MapBuildingDraw, InPickModeTranslucentWallsAreLeftOut) {
  // The same cut-away building in pick mode, opaque and then translucent, from view level 4
  // (no roof either way): the translucent one has only its inside faces.
  size_t counts[2] = {};
  for (int translucent = 0; translucent < 2; ++translucent) {
    DrawWorld w;
    Building& b = w.Add(31);
    b.displayMark = 0;
    w.map->camera.viewLevel[0] = 4;
    w.maps.app.options[17] = static_cast<int8_t>(translucent);
    w.maps.app.canBlend = true;
    w.rig.r->SetPickMode(2, 0, -1, &w.rig.device);
    b.Draw();
    counts[translucent] = static_cast<size_t>(w.rig.r->PrimitiveCounter());
    EXPECT_EQ(w.map->GetPickedBuilding(), nullptr);
    w.rig.r->SetPickMode(0, 0, -1, nullptr);
    EXPECT_TRUE(w.rig.r->Clipping());
  }
  EXPECT_GT(counts[0], 0u);
  EXPECT_LT(counts[1], counts[0]);
}

TEST(MapBuildingDraw, RubbleHeapIsOneStripAndATopQuadNeverLabelled) {
  DrawWorld w;
  Building& b = w.Add(31);
  b.destroyed = 1;
  b.damage = b.GetStrength();
  w.maps.app.options[13] = 1;
  b.Draw();
  const auto draws = w.Draws();
  ASSERT_GE(draws.size(), 2u);
  EXPECT_EQ(draws[0]->type, P3DPrimitive::kTriangleStrip);
  EXPECT_EQ(draws[0]->count, 10);
  const float g = b.baseHeight;
  EXPECT_TRUE(w.Drawn(45.2f, 74.8f, g));
  EXPECT_TRUE(w.Drawn(45.2f + 9.6f * 0.2f, 74.8f - 9.6f * 0.2f, g + 0.24f));
  EXPECT_FALSE(w.Drawn(45.2f, 74.8f, g + 3.6f));
  EXPECT_TRUE(w.maps.app.texts.empty());
}

TEST(MapBuildingDraw, DamageLabelsByFractionOptionAndInputMode) {
  DrawWorld w;
  Building& b = w.Add(31);
  w.maps.app.options[13] = 1;
  const float strength = b.GetStrength();
  struct Case {
    float fraction;
    int32_t mode;
    const char* text;
  };
  const Case cases[] = {{0.5f, 0, nullptr}, {0.75f, 0, "Damaged"}, {0.8f, 0, "Heavily Damaged"}, {0.8f, 5, nullptr}};
  for (const Case& c : cases) {
    w.maps.app.texts.clear();
    w.maps.app.inputMode = c.mode;
    b.damage = strength * c.fraction;
    b.Draw();
    if (c.text == nullptr) {
      EXPECT_TRUE(w.maps.app.texts.empty()) << c.fraction;
      continue;
    }
    ASSERT_EQ(w.maps.app.texts.size(), 1u) << c.fraction;
    const auto& t = w.maps.app.texts[0];
    EXPECT_EQ(t.text, c.text);
    EXPECT_EQ(t.highlight, c.fraction <= 0.75f);
    EXPECT_FLOAT_EQ(t.x, 50.0f);
    EXPECT_FLOAT_EQ(t.y, 70.0f);
    EXPECT_FLOAT_EQ(t.z, w.map->SurfaceHeightAt(50.0f, 70.0f) + 6.0f);
  }
  w.maps.app.texts.clear();
  w.maps.app.options[13] = 0;
  b.Draw();
  EXPECT_TRUE(w.maps.app.texts.empty());
}

TEST(MapBuildingDraw, BridgeDecksTallRoofsAndTheTower) {
  DrawWorld w;
  const float hs = w.map->size.heightScale;
  Building& low = w.Add(36);
  const float g = low.baseHeight;
  low.Draw();
  EXPECT_TRUE(w.Drawn(45.2f, 74.8f, g + 6.0f * hs));
  w.map->objects.buildings->RemoveAt(0, true);
  w.rig.device.ClearCalls();
  Building& high = w.Add(38);
  high.Draw();
  EXPECT_TRUE(w.Drawn(45.2f, 74.8f, g + 12.0f * hs));
  EXPECT_FALSE(w.Drawn(45.2f, 74.8f, g + 6.0f * hs));
  w.map->objects.buildings->RemoveAt(0, true);

  w.rig.device.ClearCalls();
  Building& tower = w.Add(46);
  tower.Draw();
  // T = ((c0 + c1) x 2 + c2 + c3) / 6: x 50, y 71.6.
  const float tx = 50.0f;
  const float ty = (74.8f * 4.0f + 65.2f * 2.0f) * 0.16667f;
  EXPECT_TRUE(w.Drawn(tx - 1.8f, ty - 1.8f, g + 10.8f));
  EXPECT_TRUE(w.Drawn(tx - 1.8f, ty - 1.8f, g + 16.8f));
  EXPECT_TRUE(w.Drawn(tx, ty - 1.8f, g + 20.3f));
  EXPECT_TRUE(w.Drawn(45.2f, 65.2f, g + 7.2f));
  w.map->objects.buildings->RemoveAt(0, true);

  w.rig.device.ClearCalls();
  Building& hipped = w.Add(34);
  hipped.Draw();
  EXPECT_TRUE(w.Drawn(45.2f, 65.2f, g + 9.6f));
  EXPECT_TRUE(w.Drawn(45.2f + 2.4f, 65.2f + 2.4f, g + 12.0f));
  // Marked for the inside view: walls at 0.125 and the upper floor at 6 m.
  w.rig.device.ClearCalls();
  hipped.displayMark = 0;
  hipped.Draw();
  EXPECT_TRUE(w.Drawn(45.2f, 65.2f, g + 9.6f * 0.125f));
  EXPECT_TRUE(w.Drawn(45.2f, 65.2f, g + 6.0f));
  EXPECT_FALSE(w.Drawn(45.2f, 65.2f, g + 9.6f));
}

TEST(MapWallDraw, FiveQuadsOnlyForItsOwnType) {
  DrawWorld w;
  Wall wall(*w.map);
  const MapCorner c[4] = {{44.0f, 70.0f}, {56.0f, 70.0f}, {56.0f, 69.0f}, {44.0f, 69.0f}};
  wall.Init(29, false, true, c);
  wall.UpdateBounds();
  w.rig.r->SetBackfaceCulling(false);
  wall.Draw(30);
  EXPECT_TRUE(w.Draws().empty());
  wall.Draw(29);
  EXPECT_EQ(w.Vertices(), 5 * 4);
  EXPECT_TRUE(w.Drawn(44.0f, 70.0f, wall.groundHeights[0] + wall.height));
  // Out of the view box: nothing.
  w.rig.device.ClearCalls();
  w.rig.r->LookAt(50.0f, 40.0f, w.ground + 25.0f, 50.0f, 10.0f, w.ground, 0.0f, 0.0f, 1.0f);
  wall.Draw(29);
  EXPECT_TRUE(w.Draws().empty());
}

TEST(MapCraterDraw, FanOrQuadAndHiddenCratersByTheViewingSide) {
  DrawWorld w;
  Crater crater(w.map.get());
  crater.Init(50.0f, 70.0f, 4.0f, true, 0.0f, 0.0f);
  crater.Rebuild();
  ASSERT_TRUE(crater.flat);
  crater.Draw();
  EXPECT_EQ(w.Vertices(), 4);
  EXPECT_TRUE(w.Drawn(48.0f, 68.0f, crater.heights[1] + w.map->DetailFactorAt(50.0f, 70.0f) * 0.5f));

  w.rig.device.ClearCalls();
  crater.flat = 0;
  crater.heights[0] -= 1.0f;
  crater.Draw();
  // Clipped, the fan reaches the device as its four triangles.
  int32_t triangles = 0;
  for (const Draw* d : w.Draws()) triangles += d->type == P3DPrimitive::kTriangleList ? d->count / 3 : d->count - 2;
  EXPECT_EQ(triangles, 4);
  EXPECT_TRUE(w.Drawn(50.0f, 70.0f, crater.heights[0] + 0.2f));

  // Made by the Allies while hidden: the Allies see it, the Axis only once revealed.
  crater.hidden = 1;
  crater.ownerAxis = 0;
  w.maps.app.currentSide = 1;
  w.rig.device.ClearCalls();
  crater.Draw();
  EXPECT_FALSE(w.Draws().empty());
  w.maps.app.currentSide = 0;
  w.map->camera.viewLevel[0] = 2;
  w.rig.device.ClearCalls();
  crater.Draw();
  EXPECT_TRUE(w.Draws().empty());
  crater.revealed = 1;
  crater.Draw();
  EXPECT_FALSE(w.Draws().empty());
}

// ---- A picture of every building type, bridges, walls and craters ----

namespace {

// A graphics host that paints each bitmap when first asked for: a colour of its own number,
// lighter toward the top, with a dark frame so that the faces' edges show.
class PaintingHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    const auto n = static_cast<uint32_t>(number);
    const uint32_t r = 60 + (n * 37u) % 160u;
    const uint32_t g = 60 + (n * 71u) % 160u;
    const uint32_t b = 60 + (n * 113u) % 160u;
    std::vector<uint32_t> pixels(16 * 16);
    for (uint32_t y = 0; y < 16; ++y) {
      for (uint32_t x = 0; x < 16; ++x) {
        const bool frame = x == 0 || y == 0 || x == 15 || y == 15;
        const uint32_t k = frame ? 4 : 16 - y / 2;  // rows from the top: the top is lighter
        pixels[y * 16 + x] = ((r * k / 16) << 16) | ((g * k / 16) << 8) | (b * k / 16);
      }
    }
    WriteBitmap(number, 16, 16, pixels);
    return false;
  }
};

struct PictureWorld {
  SoftRig rig{640, 480};
  PaintingHost host;
  MapRig maps;
  FakeBattle& battle = maps.app.MakeBattle();
  std::unique_ptr<Map> map = maps.Default(12, 8);

  PictureWorld() {
    gGraph3D = rig.r.get();
    maps.app.screenWidth = 640;
    map->terrain.blockViewState.Fill(1);
    map->camera.viewLevel[0] = 4;
    // Buildings on the second row of tiles, bridges and a ruin on the fourth.
    const int32_t types[] = {31, 32, 33, 34, 46, 31, 36, 38};
    const float ground = map->ElevationAt(100.0f, 60.0f);
    for (int32_t i = 0; i < 8; ++i) {
      const float x0 = 20.0f + static_cast<float>(i % 5) * 30.0f;
      const float y0 = i < 5 ? 40.0f : 90.0f;
      const float side = types[i] == 46 ? 14.0f : 9.6f;
      const MapCorner c[4] = {{x0, y0 + side}, {x0 + side, y0 + side}, {x0 + side, y0}, {x0, y0}};
      auto* b = new Building(*map);
      b->Setup(types[i], ground, false, c);
      if (i == 5) b->destroyed = 1;
      map->objects.buildings->Append(b);
    }
    const int32_t wallTypes[] = {28, 29, 30};
    for (int32_t i = 0; i < 3; ++i) {
      const float y = 20.0f + static_cast<float>(i) * 6.0f;
      const MapCorner c[4] = {{10.0f, y + 1.0f}, {40.0f, y + 1.0f}, {40.0f, y}, {10.0f, y}};
      auto* wall = new Wall(*map);
      wall->Init(wallTypes[i], false, true, c);
      wall->UpdateBounds();
      map->objects.walls->Append(wall);
    }
    for (int32_t i = 0; i < 3; ++i) {
      auto* crater = new Crater(map.get());
      crater->Init(140.0f + static_cast<float>(i) * 12.0f, 100.0f, 6.0f, i != 1, 30.0f * static_cast<float>(i), 0.0f);
      crater->Rebuild();
      if (i == 2) crater->flat = 0;
      map->objects.craters->Append(crater);
    }
    map->LoadTextures(false);
    rig.r->SetProjection(0, 0, 640, 480, 70.0f, 1.0f, 400.0f);
    rig.r->LookAt(100.0f, -45.0f, ground + 60.0f, 90.0f, 60.0f, ground, 0.0f, 0.0f, 1.0f);
  }
  ~PictureWorld() { gGraph3D = nullptr; }

  std::vector<uint16_t> Frame() {
    const P3DRect all{0, 0, 640, 480};
    rig.device.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0x00607080, 1.0f);
    for (int32_t i = 0; i < map->objects.walls->Count(); ++i) {
      auto* wall = static_cast<Wall*>(map->objects.walls->GetItem(i));
      map->BindSlot(Map::Slot::kSet + i % 4);
      wall->Draw(wall->type);
    }
    for (int32_t i = 0; i < map->objects.craters->Count(); ++i)
      static_cast<Crater*>(map->objects.craters->GetItem(i))->Draw();
    for (int32_t i = 0; i < map->objects.buildings->Count(); ++i)
      static_cast<Building*>(map->objects.buildings->GetItem(i))->Draw();
    rig.device.Settle();
    std::vector<uint16_t> pixels;
    for (int32_t y = 0; y < 480; ++y) pixels.insert(pixels.end(), rig.screen.Row16(y), rig.screen.Row16(y) + 640);
    return pixels;
  }
};

}  // namespace

TEST(MapObjectsPicture, EveryBuildingTypeBridgesWallsAndCratersDrawTheSameTwice) {
  PictureWorld w;
  const std::vector<uint16_t> first = w.Frame();
  const std::vector<uint16_t> second = w.Frame();
  EXPECT_EQ(first, second);
  const auto background = first.front();
  const auto drawn = std::count_if(first.begin(), first.end(), [&](uint16_t p) { return p != background; });
  EXPECT_GT(drawn, 640 * 480 / 20);
  // The picture for a person to look at, kept when TARVANE_SAVE_PICTURES names a path prefix.
  const char* save = std::getenv("TARVANE_SAVE_PICTURES");
  if (save == nullptr) return;
  std::vector<uint32_t> rgb(first.size());
  for (size_t i = 0; i < first.size(); ++i) {
    const uint32_t p = first[i];
    rgb[i] = ((p >> 11) << 19) | (((p >> 5) & 63) << 10) | ((p & 31) << 3);
  }
  const std::string bmp = PBitmapFile::Encode(rgb.data(), 640, 480);
  FILE* f = std::fopen((std::string(save) + "map_objects_picture.bmp").c_str(), "wb");
  if (f != nullptr) {
    std::fwrite(bmp.data(), 1, bmp.size(), f);
    std::fclose(f);
  }
}

TEST(MapBuildingDraw, AHitInPickModeHandsAnIntactBuildingToTheMapViewAndNeverARuin) {
  DrawWorld w;
  Building& b = w.Add(31);
  // The locating pass with the building's first primitive as the one under the mouse.
  w.rig.r->SetPickMode(2, 0, 1, &w.rig.device);
  b.Draw();
  EXPECT_EQ(w.map->GetPickedBuilding(), &b);

  w.map->SetPickedBuilding(nullptr);
  b.destroyed = 1;
  w.rig.r->SetPickMode(2, 0, 1, &w.rig.device);
  b.Draw();
  EXPECT_EQ(w.map->GetPickedBuilding(), nullptr);
  w.rig.r->SetPickMode(0, 0, -1, nullptr);
}
