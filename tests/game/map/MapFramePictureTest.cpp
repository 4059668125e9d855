// The battlefield frame drawn on the software device: a small hill map with a test texture
// per slot gives the same pixels at one and two drawing threads and on every run; the first
// reference map with the build's battlefield textures shows sky over ground at three view
// levels (kept as BMP files when TARVANE_BATTLEFIELD_PICTURE names a path prefix).
#include <cstdlib>
#include <string>

#include "MapTestRig.h"
#include "ReferenceMaps.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"
#include "framework/core/GRandom.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "game/map/MapTree.h"
#include "platform/PClock.h"
#include "platform/PPath.h"
#include "support/PixelHash.h"

namespace {

// Bitmaps made on first request: a two-colour check of 16 x 16 texels whose colours follow
// from the bitmap's number, so that every slot shows a texture of its own.
class TestTextureHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    const auto n = static_cast<uint32_t>(number);
    const uint32_t a = (n * 2654435761u) & 0xFFFFFFu;
    const uint32_t b = (a ^ 0x404040u) & 0xFFFFFFu;
    std::vector<uint32_t> pixels(256);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x) pixels[static_cast<size_t>(y * 16 + x)] = ((x / 4 + y / 4) & 1) ? a : b;
    WriteBitmap(number, 16, 16, pixels);
    return false;
  }
};

// The build's own bitmaps, read from the folder the build drew them into.
class ContentTextureHost : public GraphicsTestHost {
 public:
  ContentTextureHost() { hasRenderer = true; renderer.maxSide = 1024; }
  bool GetBaseFolder(std::string& out, bool) override {
    out = PPath::ToProgram(std::string(TARVANE_BITMAP_DIR) + "/../");
    return false;
  }
};

struct PictureRig {
  PSurface screen;
  PSoft3DDevice device;
  GGraph3DHost host;
  std::unique_ptr<RendererProbe> r;
  PictureRig(int32_t w, int32_t h, int32_t threads)
      : screen(w, h, PPixelFormat::kRGB565), device(&screen, threads), host(&device, &screen, true) {
    r = std::make_unique<RendererProbe>(&host);
    r->Init3D();
    gGraph3D = r.get();
  }
  ~PictureRig() { gGraph3D = nullptr; }
  void Frame(Map& map) {
    r->RenderBegin();
    map.Invalidate();
    map.Draw();
    r->RenderEnd();
  }
};

void Place(Map& map, int32_t level, float x, float y, float bearing) {
  map.camera.viewLevel[0] = level;
  map.camera.x[0] = x;
  map.camera.y[0] = y;
  map.camera.bearing[0] = bearing;
}

// The hill map at level 1 from its south edge and at level 5 over its centre.
uint64_t HillPictureHash(int32_t threads) {
  PictureRig rig(320, 240, threads);  // made before the bitmaps' host: the renderer needs no fonts
  TestTextureHost textures;
  MapRig maps;
  maps.app.MakeBattle();
  maps.app.screenWidth = 320;
  maps.app.viewWidth = 320;
  maps.app.viewHeight = 240;
  maps.app.options[41] = 1;
  maps.app.options[9] = 1;
  auto map = maps.Build(16, 16, [](Map& m) {
    for (int32_t x = 0; x < 16; ++x) {
      for (int32_t y = 0; y < 16; ++y) {
        const int32_t d = std::abs(x - 8) + std::abs(y - 9);
        m.terrain.tileHeight.At(x, y) = Levels(static_cast<float>(std::max(0, 6 - d)));
      }
    }
  });
  map->LoadTextures(false);
  uint64_t h = 0;
  Place(*map, 1, 160.0f, 20.0f, 1.5707963f);
  rig.Frame(*map);
  h ^= PixelHash(rig.screen, rig.device);
  Place(*map, 5, 160.0f, 160.0f, 1.5707963f);
  rig.Frame(*map);
  h = h * 31u + PixelHash(rig.screen, rig.device);
  return h;
}

// ---- Over the ground: woods, overlays, set-up zones, flags, rain and lines ----
uint64_t OverGroundPictureHash(int32_t threads) {
  PictureRig rig(320, 240, threads);
  TestTextureHost textures;
  uint64_t now = 5000;
  PClock::SetFake([&now] { return now; });
  GRandom::Presentation().Seed(2024u);  // the rain's particle set
  MapRig maps;
  FakeBattle& battle = maps.app.MakeBattle();
  battle.weather = 2;
  battle.setupPhase = true;
  maps.app.screenWidth = 320;
  maps.app.viewWidth = 320;
  maps.app.viewHeight = 240;
  maps.app.options[41] = 1;
  maps.app.options[2] = 3;
  maps.app.options[12] = 2;
  maps.app.options[42] = 1;
  auto map = maps.Build(16, 16);
  for (int32_t x = 0; x < 16; ++x) {
    for (int32_t y = 0; y < 16; ++y) {
      MapTile& tile = map->terrain.tiles.At(x, y);
      tile.zone = y < 4 ? 4 : 0;
      if (x >= 9 && y >= 6 && y < 11) {
        tile.terrain = 13;
        tile.shape = 0;
        tile.rotation = static_cast<uint8_t>((x + y) & 3);
      }
      if (x == 5) {
        tile.road = 9;
        tile.roadShape = 1;
      }
    }
  }
  map->LoadTextures(false);
  for (int32_t n = 0; n < Map::kOverGroundTextures; ++n)
    map->SetOverGroundTexture(n, GGraphicFactory::NewTextureGraphic(7000 + n, GGraphicFactory::kNormalDetail));
  GRandom random(99u);
  for (int32_t n = 0; n < 120; ++n) {
    auto* tree = new MapTree;
    tree->x = 185.0f + random.RandomFloatTimes(130.0f);
    tree->y = 125.0f + random.RandomFloatTimes(95.0f);
    tree->baseHeight = map->ElevationAt(tree->x, tree->y) - 0.2f;
    tree->height = 5.0f + random.RandomFloatTimes(3.0f);
    tree->variant = static_cast<uint8_t>(random.Random(13));
    map->objects.trees[n % 3].Append(tree);
  }
  MapFlagView flag;
  flag.x = 160.0f;
  flag.y = 150.0f;
  flag.type = 1;
  battle.flags.push_back(flag);
  uint64_t h = 0;
  for (int32_t level : {1, 4}) {
    Place(*map, level, 160.0f, 20.0f, 1.5707963f);
    rig.r->RenderBegin();
    map->Invalidate();
    map->Draw();
    map->SetLineStyle(3);
    map->DrawTerrainLine(true, level == 4, 60.0f, 60.0f, map->ElevationAt(60.0f, 60.0f), 250.0f, 180.0f,
                         map->ElevationAt(250.0f, 180.0f));
    rig.r->RenderEnd();
    h = h * 31u + PixelHash(rig.screen, rig.device);
    if (const char* keep = std::getenv("TARVANE_BATTLEFIELD_PICTURE"); keep != nullptr && threads == 1)
      PBitmapFile::WriteSurface(rig.screen, std::string(keep) + "over" + std::to_string(level) + ".bmp");
    now += 40;
  }
  PClock::SetFake(nullptr);
  return h;
}

}  // namespace

TEST(MapFramePicture, OverGroundPixelsArePinnedAtOneAndTwoThreads) {
  const uint64_t one = OverGroundPictureHash(1);
  EXPECT_EQ(one, OverGroundPictureHash(2));
  EXPECT_EQ(one, OverGroundPictureHash(1));
  EXPECT_EQ(one, 13930666976628722921u);
}

TEST(MapFramePicture, HillMapPixelsArePinnedAtOneAndTwoThreads) {
  const uint64_t one = HillPictureHash(1);
  EXPECT_EQ(one, HillPictureHash(2));
  EXPECT_EQ(one, HillPictureHash(1));
  EXPECT_EQ(one, 13121084035416173239u);
}

TEST(MapFramePicture, FirstReferenceMapShowsSkyOverGround) {
  PictureRig rig(1024, 768, 2);
  ContentTextureHost textures;
  MapRig maps;
  maps.app.MakeBattle();
  maps.app.screenWidth = 1024;
  maps.app.options[41] = 1;
  maps.app.options[9] = 2;
  maps.app.options[2] = 3;  // every tree, in the load pass's own tree textures
  auto map = LoadReferenceMap(maps.app, "ref250");
  ASSERT_NE(map, nullptr);
  map->LoadTextures(false);
  const char* keep = std::getenv("TARVANE_BATTLEFIELD_PICTURE");
  for (int32_t level : {1, 3, 5}) {
    Place(*map, level, 2500.0f, 2500.0f, 1.0f);
    rig.Frame(*map);
    // Not one colour: the frame drew textured ground.
    const uint16_t first = rig.screen.Row16(700)[0];
    int32_t differing = 0;
    for (int32_t x = 0; x < 1024; x += 8) differing += rig.screen.Row16(700)[x] != first;
    EXPECT_GT(differing, 10) << level;
    if (keep != nullptr) PBitmapFile::WriteSurface(rig.screen, std::string(keep) + std::to_string(level) + ".bmp");
  }
}
