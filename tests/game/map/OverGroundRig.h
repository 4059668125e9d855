#pragma once
// The passes over the ground on the recording device: a flat default map in a battle, the
// camera placed, block view states set by hand, test textures on demand, and helpers that read
// the draws' texture coordinates back. Every tree, flag and line texture is there.
#include <array>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "MapTestRig.h"
#include "framework/media/GGraph3DTexture.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"

// Every bitmap asked for is an 8 x 8 square of one colour.
class SolidTextureHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    WriteSolid(number, 8, 8, 0x406080);
    return false;
  }
};

struct OverGroundWorld {
  // Made after the renderer, which then loads no fonts from it.
  std::unique_ptr<SolidTextureHost> textures;
  PSurface screen{1024, 768, PPixelFormat::kRGB565};
  PRecording3DDevice device;
  GGraph3DHost host{&device, &screen};
  std::unique_ptr<RendererProbe> r;
  MapRig maps;
  FakeBattle& battle = maps.app.MakeBattle();
  std::unique_ptr<Map> map;

  explicit OverGroundWorld(int32_t tiles = 8) {
    P3DCaps caps;
    caps.fog = true;
    caps.translucentSortIndependent = true;
    device.SetCaps(caps);
    r = std::make_unique<RendererProbe>(&host);
    r->Init3D();
    textures = std::make_unique<SolidTextureHost>();
    maps.app.screenWidth = 1024;
    maps.app.options[41] = 1;
    map = maps.Default(tiles, tiles);
    // No set-up zones unless a test paints them.
    for (int32_t x = 0; x < tiles; ++x)
      for (int32_t y = 0; y < tiles; ++y) map->terrain.tiles.At(x, y).zone = 0;
    gGraph3D = r.get();
    for (int32_t n = 0; n < Map::kOverGroundTextures; ++n) OverGroundTexture(n);
    Place(4, static_cast<float>(tiles) * 10.0f, static_cast<float>(tiles) * 10.0f, 1.5707963f);
  }
  ~OverGroundWorld() { gGraph3D = nullptr; }

  // Places the side's camera, sets the view up and marks every block with the state.
  void Place(int32_t level, float x, float y, float bearing, uint8_t state = 2) {
    map->camera.viewLevel[0] = level;
    map->camera.x[0] = x;
    map->camera.y[0] = y;
    map->camera.bearing[0] = bearing;
    r->LoadIdentity();
    map->SetupCamera();
    SetStates(state);
    device.ClearCalls();
  }
  void SetStates(uint8_t state) {
    MapGrid<uint8_t>& states = map->terrain.blockViewState;
    for (int32_t i = 0; i < states.Width(); ++i)
      for (int32_t j = 0; j < states.Height(); ++j) states.At(i, j) = state;
  }
  // A texture in a slot of the map, or among the over-ground textures; returns it.
  GGraph3DTexture* SlotTexture(int32_t slot) {
    GObject*& handle = map->display.textureSlots[static_cast<size_t>(slot)];
    if (handle == nullptr) handle = GGraphicFactory::NewTextureGraphic(9000 + slot, GGraphicFactory::kNormalDetail);
    return dynamic_cast<GGraph3DTexture*>(handle);
  }
  GGraph3DTexture* OverGroundTexture(int32_t index) {
    map->SetOverGroundTexture(index, GGraphicFactory::NewTextureGraphic(9500 + index, GGraphicFactory::kNormalDetail));
    return dynamic_cast<GGraph3DTexture*>(map->display.textureSlots[static_cast<size_t>(Map::OverGroundSlot(index))]);
  }
  std::vector<const PRecording3DDevice::Call*> Draws() const { return device.Draws(); }
  int64_t Given() const { return r->FrameTriangles().given; }
  // The texture coordinates of a draw, v as the map gave it.
  static std::vector<std::pair<float, float>> Uvs(const PRecording3DDevice::Call& d) {
    std::vector<std::pair<float, float>> out;
    for (int32_t i = 0; i < d.count; ++i) out.emplace_back(d.U(i), -d.V(i));
    return out;
  }
  // Whether a drawn vertex lies where the world point projects.
  bool Drawn(float x, float y, float z, float tolerance = 0.05f) const {
    float sx = x;
    float sy = y;
    r->ProjectToScreen(&sx, &sy, z, false);
    for (const auto* d : device.Draws()) {
      for (int32_t i = 0; i < d->count; ++i) {
        if (std::fabs(d->X(i) - sx) < tolerance && std::fabs(d->Y(i) - sy) < tolerance) return true;
      }
    }
    return false;
  }
};
