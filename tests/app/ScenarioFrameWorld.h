#pragma once
// The test scenario (800 m, six units with their figures) read through the headless battle
// with the real unit kinds, on the software device at 1024 x 768 with a stand-in picture for
// every texture; its frame's passes can be run one by one.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/BusyFrameHosts.h"
#include "app/HeadlessGameFile.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GraphicsTestHost.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/draw/VehicleDraw.h"
#include "game/map/Map.h"
#include "game/models/InfantryModelDraw.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PBitmapFile.h"
#include "platform/PClock.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"
#include "support/TestFolder.h"

inline constexpr int32_t kScenarioFrameWidth = 1024;
inline constexpr int32_t kScenarioFrameHeight = 768;

// A scenario read and prepared for play as the program opens it.
inline bool LoadScenario(HeadlessBattle& headless, const std::string& native) {
  return LoadGameFileForPlay(headless, PPath::ToProgram(native));
}

// The scenario's world, made afresh; battle is null when the scenario could not be read. Its
// program folder is a temporary folder of its own, so that the error log stays out of the build.
struct ScenarioFrameWorld {
  TestFolder folder{true};
  PSurface screen{kScenarioFrameWidth, kScenarioFrameHeight, PPixelFormat::kRGB565};
  PSoft3DDevice device{&screen, 1};
  GGraph3DHost host{&device, &screen, true};
  GGraph3D renderer{&host};
  std::unique_ptr<GraphicsTestHost> textures;
  GKernel kernel;
  MapUnitDrawHost unitHost;
  std::optional<UnitContextScope> unitContext;
  std::unique_ptr<HeadlessBattle> headless;
  Battle* battle = nullptr;

  // Every texture a stand-in picture of its own (a whole one when solid), or the pictures of a
  // folder of bitmaps.
  explicit ScenarioFrameWorld(const char* bitmapFolder = nullptr, bool solid = false) {
    PClock::SetFake([] { return uint64_t{5000}; });
    renderer.Init3D();  // before the bitmaps' host: the renderer takes no fonts from stand-ins
    if (bitmapFolder != nullptr) {
      textures = std::make_unique<FolderTextureHost>(bitmapFolder);
    } else {
      textures = std::make_unique<StandInTextureHost>(16, solid);
    }
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    VehicleDraw::Install();
    InfantryModelDraw::Install();
    unitContext.emplace(UnitContext{.draw = &unitHost});
    headless = std::make_unique<HeadlessBattle>();
    headless->SetHost(std::make_unique<ScreenHost>(kScenarioFrameWidth, kScenarioFrameHeight));
    const bool loaded = LoadScenario(*headless, std::string(TARVANE_TEST_GAMES_DIR) + "/Scenarios/Test Scenario.wrb");
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
  ~ScenarioFrameWorld() {
    gGraph3D = nullptr;
    headless.reset();
    unitContext.reset();
    Hack::FreeTables();
    PClock::SetFake(nullptr);
  }
  ScenarioFrameWorld(const ScenarioFrameWorld&) = delete;
  ScenarioFrameWorld& operator=(const ScenarioFrameWorld&) = delete;

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
