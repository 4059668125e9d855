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

}  // namespace

TEST(MapFramePicture, HillMapPixelsArePinnedAtOneAndTwoThreads) {
  const uint64_t one = HillPictureHash(1);
  EXPECT_EQ(one, HillPictureHash(2));
  EXPECT_EQ(one, HillPictureHash(1));
  EXPECT_EQ(one, 6362717763628084246u);
}

TEST(MapFramePicture, FirstReferenceMapShowsSkyOverGround) {
  PictureRig rig(1024, 768, 2);
  ContentTextureHost textures;
  MapRig maps;
  maps.app.MakeBattle();
  maps.app.screenWidth = 1024;
  maps.app.options[41] = 1;
  maps.app.options[9] = 2;
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
