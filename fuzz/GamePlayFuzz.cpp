// Reads arbitrary bytes as the decoded content of a game file (a scenario or saved game), as
// the program opens one for play: the file is stored in the game file form (its first 1,024
// bytes as they are, the rest coded), prepared for play, one frame of its battle is drawn on
// the software device, and one turn is computed headless with the orders the file holds.
// A file the readers accept must play: nothing may end the program, fault, leak or read out
// of bounds.
//
// The first byte chooses: bit 0 lays the rest (exclusive or) over the decoded content of one
// of the build's game files, so that mutations reach the map, battle, units and operation
// deep inside it, and appends what goes past its end; bits 1 to 4 choose that file (the test
// saved game, then the shipped scenarios and operations in name order, leaving out those of
// more than 40 units, whose turn takes seconds under the sanitizers). With bit 0 clear the
// rest is the content as it stands.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 120;
constexpr int32_t kMostUnits = 40;

// The decoded content of a game file.
std::string Decoded(const std::string& path) {
  GFile file;
  if (!file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                  GFile::kModeReadGameFile))
    return {};
  std::string bytes(file.GetSize(), '\0');
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
  return file.HasError() ? std::string() : bytes;
}

struct PlayWorld {
  PlayWorld() : screen(kWidth, kHeight, PPixelFormat::kRGB565), device(&screen, 1), host(&device, &screen, true),
                renderer(&host) {
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    GGraphicHost::SetCurrent(nullptr);
    if (!renderer.Init3D()) std::abort();
    GGraphicHost::SetCurrent(&textures);
    VehicleDraw::Install();
    InfantryModelDraw::Install();
    unitContext.emplace(UnitContext{.draw = &unitHost});
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(TARVANE_SCENARIO_DIR)) {
      const std::string ext = entry.path().extension().string();
      if (ext == ".wrb" || ext == ".wrc") files.push_back(PPath::ToProgram(entry.path().string()));
    }
    std::sort(files.begin(), files.end());
    files.insert(files.begin(), PPath::ToProgram(TARVANE_TEST_GAMES_DIR "/Saved Games/Test Saved Game.wrb"));
    for (const std::string& file : files) {
      const std::string content = Decoded(file);
      if (content.empty()) std::abort();
      HeadlessBattle headless;
      if (!LoadGameFileForPlay(headless, file)) std::abort();
      if (headless.GetBattle()->UnitCount() <= kMostUnits) bases.push_back(content);
    }
  }

  // Stores the content as a game file and plays it: a frame and the turn (after the set-up
  // GO when the battle is in its set-up phase). The file is coded and decoded in memory.
  void Play(const std::string& content) {
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
    if (!LoadGameFileForPlay(headless, file.File())) return;
    Battle& battle = *headless.GetBattle();
    DrawFrame(battle);
    if (battle.IsSetupPhase()) headless.Go(1);
    if (!battle.IsOver()) headless.Go(2);
  }

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
    gGraph3D = &renderer;
    unitHost.map = &map;
    map.display.drawState = 2;
    renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    renderer.RenderEnd();
    unitHost.map = nullptr;
    gGraph3D = nullptr;
  }

  GKernel kernel;
  PSurface screen;
  PSoft3DDevice device;
  GGraph3DHost host;
  GGraph3D renderer;
  StandInTextureHost textures{8};
  MapUnitDrawHost unitHost;
  std::optional<UnitContextScope> unitContext;
  std::vector<std::string> bases;
};

PlayWorld& World() {
  static FuzzFolder folder("gameplay");  // the program folder, where the error log goes
  static PlayWorld* world = new PlayWorld();  // kept to the end of the program with its renderer
  return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PlayWorld& world = World();
  if (size == 0) return 0;
  const std::string& base = world.bases[((data[0] >> 1) & 15) % world.bases.size()];
  world.Play(FuzzInput(base, data, size));
  return 0;
}
