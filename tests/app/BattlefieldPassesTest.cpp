// The battlefield frame's passes one by one over the test scenario (800 m, its men drawn with
// their figures) on the software device: from every bearing at view level 2 the ground sends
// its blocks to the device, also after the men were drawn, and the men stand in the frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/BusyFrameHosts.h"
#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GFile.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GraphicsTestHost.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/draw/VehicleDraw.h"
#include "game/map/Map.h"
#include "game/models/InfantryModelDraw.h"
#include "game/units/Hack.h"
#include "game/units/Inanimate.h"
#include "game/units/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/UnitDrawHost.h"
#include "game/units/Vehicle.h"
#include "platform/PBitmapFile.h"
#include "platform/PClock.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

bool Load(HeadlessBattle& headless, const std::string& native) {
  const std::string path = PPath::ToProgram(native);
  auto handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (handle == nullptr) return false;
  GFile file;
  if (!file.IFile(std::move(handle), path.c_str(), GFile::kModeReadGameFile)) return false;
  GameFile gameFile{headless.Host(), &headless, [&headless](BattleBase* base) {
                      headless.Host().battle =
                          base != nullptr ? static_cast<MapBattleServices*>(base) : headless.GetBattle();
                    }};
  GameFileSettings settings;
  Battle* battle = nullptr;
  Campaign* operation = nullptr;
  if (gameFile.Read(file, settings, battle, operation) != GameFile::kAccepted || battle == nullptr) return false;
  delete operation;
  headless.MakeCurrentBattle(battle);
  battle->ComputeVisibility();
  battle->PrepareForPlay();
  return true;
}

// The scenario's world on the software device, with a stand-in picture for every texture.
struct PassWorld {
  PSurface screen{kWidth, kHeight, PPixelFormat::kRGB565};
  PSoft3DDevice device{&screen, 1};
  GGraph3DHost host{&device, &screen, true};
  GGraph3D renderer{&host};
  std::unique_ptr<StandInTextureHost> textures;
  GKernel kernel;
  MapUnitDrawHost unitHost;
  UnitDrawHost* previousUnitHost = nullptr;
  std::unique_ptr<HeadlessBattle> headless;
  Battle* battle = nullptr;

  PassWorld() {
    PClock::SetFake([] { return uint64_t{5000}; });
    renderer.Init3D();  // before the bitmaps' host: the renderer takes no fonts from stand-ins
    textures = std::make_unique<StandInTextureHost>(16);
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    VehicleDraw::Install();
    InfantryModelDraw::Install();
    previousUnitHost = GetUnitDrawHost();
    SetUnitDrawHost(&unitHost);
    headless = std::make_unique<HeadlessBattle>();
    headless->SetHost(std::make_unique<ScreenHost>(kWidth, kHeight));
    const bool loaded = Load(*headless, std::string(TARVANE_TEST_GAMES_DIR) + "/Scenarios/Test Scenario.wrb");
    battle = headless->GetBattle();
    if (!loaded || battle == nullptr || battle->map == nullptr) {
      battle = nullptr;
      return;
    }
    unitHost.map = battle->map;
    gGraph3D = &renderer;
    EXPECT_TRUE(battle->LoadTextures(false));
    headless->Host().options[2] = 2;
    headless->Host().options[4] = 2;
    headless->Host().options[9] = 2;
    battle->map->display.drawState = 2;
  }
  ~PassWorld() {
    gGraph3D = nullptr;
    headless.reset();
    SetUnitDrawHost(previousUnitHost);
    Hack::FreeTables();
    PClock::SetFake(nullptr);
  }
  PassWorld(const PassWorld&) = delete;
  PassWorld& operator=(const PassWorld&) = delete;

  void Place(int32_t level, float x, float y, float bearing) {
    Map& map = *battle->map;
    for (int32_t side = 0; side < 2; ++side) {
      map.camera.viewLevel[side] = level;
      map.camera.bearing[side] = bearing;
      map.camera.x[side] = x;
      map.camera.y[side] = y;
    }
  }
  // Triangles given to the renderer and sent to the device by one pass.
  template <class F>
  GGraph3D::TriangleCounts Pass(F&& pass) {
    renderer.ResetTriangleCounts();
    pass();
    return renderer.FrameTriangles();
  }
  void Save(const std::string& name) {
    if (const char* save = std::getenv("TARVANE_SAVE_PICTURES")) PBitmapFile::WriteSurface(screen, save + name);
  }
};

}  // namespace

TEST(BattlefieldPasses, TheGroundIsSentFromEveryBearingAlsoAfterTheMen) {
  PassWorld w;
  ASSERT_NE(w.battle, nullptr);
  Map& map = *w.battle->map;
  ASSERT_EQ(map.size.worldWidth, 800.0f);
  // The camera point at the map's centre: the eye 92.1 m behind it and 55 m up. Looking
  // south the men of the scenario are in view and drawn before the ground; the frames after
  // keep whatever render state they left.
  int64_t menTriangles = 0;
  for (float bearing : {1.5707964f, -1.5707964f, 0.7f, 0.0f, 3.1415927f}) {
    w.Place(2, 400.0f, 400.0f, bearing);
    w.renderer.RenderBegin();
    map.Invalidate();
    map.SetupCamera();
    map.UpdateViewCulling();
    w.Pass([&map] { map.DrawBackdrop(); });
    menTriangles += w.Pass([&map] { map.DrawUnits(); }).sent;
    const GGraph3D::TriangleCounts ground = w.Pass([&map] { map.DrawTerrain(); });
    w.renderer.RenderEnd();
    w.device.Settle();
    EXPECT_GE(ground.given, 52) << bearing;
    // A few triangles of the blocks at the view's edge may fall outside it, never most.
    EXPECT_GT(ground.sent, ground.given * 3 / 4) << bearing;
  }
  EXPECT_GT(menTriangles, 0);
}

TEST(BattlefieldPasses, TheMenOfTheStartViewAreDrawnAtLevelsOneToThree) {
  // Each side's start view looks over its own men from behind them. Their blocks are only
  // partly in view from low down, so whether they are drawn rests on their own boxes.
  PassWorld w;
  ASSERT_NE(w.battle, nullptr);
  Map& map = *w.battle->map;
  for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = -1;
  w.battle->SetStartViews();
  for (int32_t level : {1, 2, 3}) {
    for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = level;
    w.renderer.RenderBegin();
    map.Invalidate();
    map.SetupCamera();
    map.UpdateViewCulling();
    w.Pass([&map] { map.DrawBackdrop(); });
    const GGraph3D::TriangleCounts men = w.Pass([&map] { map.DrawUnits(); });
    w.Pass([&map] { map.DrawTerrain(); });
    w.renderer.RenderEnd();
    w.device.Settle();
    EXPECT_GT(men.sent, 100) << level;
    w.Save("start-view-level" + std::to_string(level) + ".bmp");
  }
  // A box out of view still keeps a man out of the frame: looking away from them, none is sent.
  w.Place(2, 400.0f, 400.0f, 1.5707964f);
  w.renderer.RenderBegin();
  map.Invalidate();
  map.SetupCamera();
  map.UpdateViewCulling();
  EXPECT_EQ(w.Pass([&map] { map.DrawUnits(); }).given, 0);
  w.renderer.RenderEnd();
  w.device.Settle();
}
