#pragma once
// The way a game file goes from the game list into play, without a window: its decoded
// content is stored in the game file form in memory (the first 1,024 bytes as they are, the
// rest coded) and read back, prepared for play with the program's unit kinds, one frame of its
// battle is drawn on the software device (small, with a stand-in picture for every texture),
// and one turn is computed headless with the orders the file holds (after the set-up GO when the
// battle is in its set-up phase). The fuzz target that plays game files and the tests' search
// of damaged saved games both go this way.
//
// Made once the program folder is set; it loads the unit tables and keeps the renderer, the
// unit drawing host and the current graphic host while it lives.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/BusyFrameHosts.h"
#include "app/HeadlessGameFile.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/draw/VehicleDraw.h"
#include "game/map/Map.h"
#include "game/models/InfantryModelDraw.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

class GamePlayPath {
 public:
  static constexpr int32_t kWidth = 160;
  static constexpr int32_t kHeight = 120;

  GamePlayPath()
      : screen_(kWidth, kHeight, PPixelFormat::kRGB565), device_(&screen_, 1), host_(&device_, &screen_, true),
        renderer_(&host_) {
    kernel_.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    Airplane::Register();
    // The renderer takes no fonts from the stand-in pictures.
    GGraphicHost::SetCurrent(nullptr);
    if (!renderer_.Init3D()) std::abort();
    GGraphicHost::SetCurrent(&textures_);
    VehicleDraw::Install();
    InfantryModelDraw::Install();
    unitContext_.emplace(UnitContext{.draw = &unitHost_});
  }
  ~GamePlayPath() {
    unitContext_.reset();
    GGraphicHost::SetCurrent(nullptr);
    Hack::FreeTables();
  }
  GamePlayPath(const GamePlayPath&) = delete;
  GamePlayPath& operator=(const GamePlayPath&) = delete;

  // The decoded content of a game file on disk (program path); empty when it cannot be read.
  static std::string Decoded(const std::string& path) {
    GFile file;
    if (!file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                    GFile::kModeReadGameFile))
      return {};
    std::string bytes(file.GetSize(), '\0');
    if (!bytes.empty()) file.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
    return file.HasError() ? std::string() : bytes;
  }

  // Plays the content; false when the readers refused it.
  bool Play(const std::string& content) {
    std::string stored;
    {
      GMemoryFile file(std::string(), GFile::kModeWriteGameFile);
      if (!content.empty()) file.File().Write(content.data(), static_cast<int32_t>(content.size()));
      if (!file.File().Finish()) std::abort();
      stored = file.Bytes();
    }
    GMemoryFile file(stored, GFile::kModeReadGameFile);
    HeadlessBattle headless;
    headless.SetHost(std::make_unique<ScreenHost>(kWidth, kHeight));
    if (!LoadGameFileForPlay(headless, file.File())) return false;
    Battle& battle = *headless.GetBattle();
    DrawFrame(battle);
    if (battle.IsSetupPhase()) headless.Go(1);
    if (!battle.IsOver()) headless.Go(2);
    return true;
  }

 private:
  // One frame of the battlefield, the camera over the first unit.
  void DrawFrame(Battle& battle) {
    Map& map = *battle.map;
    if (battle.UnitCount() > 0) {
      const Unit& unit = *battle.UnitAt(0);
      for (int32_t side = 0; side < 2; ++side) {
        map.camera.viewLevel[side] = 2;
        map.camera.x[side] = unit.x - Map::kOrbitDistance[2];
        map.camera.y[side] = unit.y;
      }
    }
    gGraph3D = &renderer_;
    unitHost_.map = &map;
    map.display.drawState = 2;
    renderer_.RenderBegin();
    map.Invalidate();
    map.Draw();
    renderer_.RenderEnd();
    unitHost_.map = nullptr;
    gGraph3D = nullptr;
  }

  GKernel kernel_;
  PSurface screen_;
  PSoft3DDevice device_;
  GGraph3DHost host_;
  GGraph3D renderer_;
  StandInTextureHost textures_{8};
  MapUnitDrawHost unitHost_;
  std::optional<UnitContextScope> unitContext_;
};
