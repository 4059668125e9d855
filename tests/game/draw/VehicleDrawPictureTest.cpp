// Vehicles and weapon models as a picture: five vehicles (three modelled, the two low-detail
// bodies) with their shadows, and the 23 weapon models in rows, on the software device at
// 320 x 240 with test textures. The picture is the same at one and two drawing threads and
// leaves the game's generator alone. With TARVANE_SAVE_PICTURES set it is kept as a BMP file.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"
#include "game/draw/VehicleDraw.h"
#include "game/models/InfantryModelDraw.h"
#include "game/models/ModelDrawContext.h"
#include "game/units/VehicleRig.h"
#include "platform/PBitmapFile.h"
#include "support/PixelHash.h"

namespace {

// Each picture number a muted colour of its own with a darker band.
class ColourTextureHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    std::vector<uint32_t> pixels(16 * 16);
    const uint32_t hash = static_cast<uint32_t>(number) * 2654435761u;
    const uint32_t colour = 0x404030u + ((hash >> 8) & 0x3F3F3Fu);
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x) pixels[static_cast<size_t>(y * 16 + x)] = (y / 4) % 2 == 0 ? colour : (colour >> 1) & 0x7F7F7Fu;
    WriteBitmap(number, 16, 16, pixels);
    return false;
  }
};

uint64_t DrawAt(int32_t threads, const char* save) {
  PSurface screen(320, 240, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, threads);
  GGraph3DHost host(&device, &screen);
  RendererProbe r(&host);
  gGraph3D = &r;
  r.Init3D();
  ColourTextureHost textures;
  VehicleRig rig;
  std::array<GGraphic*, 17> weaponTextures{};
  for (size_t i = 0; i < weaponTextures.size(); ++i)
    weaponTextures[i] = GGraphicFactory::NewGraphic(7000 + static_cast<int32_t>(i));

  r.RenderBegin();
  r.SetProjection(0, 0, 320, 240, 60.0f, 0.5f, 1000.0f);
  const Map& map = rig.GetMap();
  const float ground = map.ElevationAt(100.0f, 100.0f);
  r.LookAt(100.0f, 70.0f, ground + 18.0f, 100.0f, 100.0f, ground, 0.0f, 0.0f, 1.0f);
  // Back row: five vehicles, the last two far enough for the low-detail bodies.
  const int32_t categories[5] = {0, 10, 6, 0, 6};
  const float details[5] = {10.0f, 10.0f, 10.0f, 1.0f, 1.0f};
  std::vector<std::unique_ptr<Vehicle>> vehicles;
  for (int32_t k = 0; k < 5; ++k) {
    rig.PutI32(1 + k, 60, categories[k]);
    rig.PutI32(1 + k, 256, 10 * k);
    auto v = std::make_unique<Vehicle>();
    v->SetClass(1 + k, 0, 0, 84.0f + 8.0f * static_cast<float>(k), 104.0f, 60.0f + 20.0f * static_cast<float>(k));
    v->turretOffset = -30.0f + 15.0f * static_cast<float>(k);
    if (!v->IsCurrentSide()) v->side = static_cast<uint8_t>(1 - v->side);
    for (int32_t t = 0; t < 17; ++t) v->textures[2][static_cast<size_t>(t)] = GGraphicFactory::NewGraphic(6000 + 20 * k + t);
    vehicles.push_back(std::move(v));
  }
  // From here on only drawing: the game's generator must not move.
  const uint32_t generator = RandomState();
  for (int32_t k = 0; k < 5; ++k) {
    Vehicle* v = vehicles[static_cast<size_t>(k)].get();
    const float scale = 0.9f;
    r.PushMatrix();
    r.Translate(v->x, v->y, map.ElevationAt(v->x, v->y));
    r.RotateZ(v->facing - 90.0f);
    r.Scale(scale * 10.0f, scale * 10.0f, scale * 10.0f);
    VehicleDraw::Draw(*v, false, details[k]);
    r.PopMatrix();
    VehicleDraw::DrawShadow(*v, scale * 10.0f, false);
  }
  // Front rows: the 23 weapon models, twelve and eleven.
  InfantryModelDraw::State& state = InfantryModelDraw::Published();
  state = InfantryModelDraw::State{};
  state.textures = weaponTextures.data();
  state.elevation = 15.0f;
  state.facing = 30.0f;
  for (int32_t m = 0; m < InfantryModelDraw::kModels; ++m) {
    const float px = 80.0f + 3.6f * static_cast<float>(m % 12) + (m >= 12 ? 1.8f : 0.0f);
    const float py = m < 12 ? 94.0f : 89.0f;
    r.PushMatrix();
    r.Translate(px, py, map.ElevationAt(px, py));
    r.RotateZ(200.0f);
    r.Scale(18.0f, 18.0f, 18.0f);
    InfantryModelDraw::Draw(m, false);
    r.PopMatrix();
  }
  state = InfantryModelDraw::State{};
  r.RenderEnd();
  gGraph3D = nullptr;
  EXPECT_EQ(RandomState(), generator);
  for (GGraphic* g : weaponTextures) delete g;
  if (save != nullptr) PBitmapFile::WriteSurface(screen, std::string(save) + "vehicles.bmp");
  ModelDrawContext::Current() = ModelDrawContext{};
  return PixelHash(screen, device);
}

TEST(VehicleDrawPicture, VehiclesAndWeaponModelsTheSameAtOneAndTwoThreads) {
  const char* save = std::getenv("TARVANE_SAVE_PICTURES");
  const uint64_t one = DrawAt(1, save);
  EXPECT_EQ(DrawAt(2, nullptr), one);
}

}  // namespace
