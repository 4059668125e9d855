#pragma once
#include <filesystem>
#include <system_error>
// The application started by the kernel on the fake back-end (its main screen up), with or without a battle on a fresh
// map, its battle screen and editor replaced by recording ones.
#include <filesystem>
#include <memory>
#include <system_error>
#include <string>
#include <vector>

#include "app/BattleScreenSeam.h"
#include "app/EditorSeam.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PDisplay.h"
#include "support/KernelStartClock.h"
#include "support/RendererBitmaps.h"
#include "support/ScreenBitmaps.h"
#include "support/TestFolder.h"

// Every picture the build made, linked into the test's program folder.
inline void LinkAllBitmaps(const TestFolder& folder) {
  namespace fs = std::filesystem;
  const fs::path built = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "BMP";
  const fs::path into = fs::path(folder.Native()) / "BMP";
  std::error_code error;
  fs::create_directories(into, error);
  for (const fs::directory_entry& entry : fs::directory_iterator(built, error)) {
    if (!fs::exists(into / entry.path().filename())) fs::create_symlink(entry.path(), into / entry.path().filename(), error);
  }
}

class RecordingScreen : public BattleScreenSeam {
 public:
  void HandleKey(uint8_t key, bool alt, bool) override { keys.push_back(std::string(alt ? "alt+" : "") + char(key)); }
  bool HasMapMenuOpen() const override { return menuOpen; }
  void ShowViewMessage(const GString& text) override {
    if (text.Length() > 0) messages.push_back(text.CStr());
  }
  bool HasMapView() const override { return mapView; }
  bool IsMapViewVisible() const override { return mapView; }
  void SetMapViewEnabled(bool on) override { enabled = on; }
  bool IsButtonPanelVisible() const override { return panelVisible; }
  int32_t PlayBalance() const override { return balance; }
  bool TakePlayBalanceNotice(int32_t side) override {
    const bool was = balanceNotice[side & 1];
    balanceNotice[side & 1] = false;
    return was;
  }
  void SetMapDrawState(int32_t state) override { drawState = state; }

  std::vector<std::string> keys;
  std::vector<std::string> messages;
  bool menuOpen = false;
  bool mapView = true;
  bool enabled = true;
  bool panelVisible = false;
  int32_t balance = 25;
  bool balanceNotice[2] = {};
  int32_t drawState = -1;
};

class RecordingEditor : public EditorSeam {
 public:
  void DoCommand(int32_t command) override { commands.push_back(command); }
  void HandleElevationKey(uint8_t key, bool) override { keys.push_back(key); }
  bool IsBattleViewOpen() const override { return battleView; }
  bool IsTwoPlayer() const override { return false; }
  bool HidesSquadSuffix() const override { return false; }
  std::vector<int32_t> commands;
  std::vector<uint8_t> keys;
  bool battleView = false;
};

// A test application whose start sees Shift as the test says and plays no movie, on a stored
// 3-D display of the test's size.
class TestApplication : public WRApplication {
 public:
  TestApplication(int32_t width, int32_t height) : width_(width), height_(height) {}
  void GetDisplayChoice(DisplayPreset* record) override {
    *record = DisplayPreset{};
    record->use3DPreset = 1;
    record->driverIsPrimary = 1;
    record->deviceGuid = PDisplay::kDeviceGuid;
    record->width = static_cast<uint32_t>(width_);
    record->height = static_cast<uint32_t>(height_);
  }
  bool shiftHeld = false;
  int32_t movieTries = 0;

 protected:
  bool IsShiftHeld() const override { return shiftHeld; }
  bool PlayOpeningMovie() override {
    ++movieTries;
    return false;
  }

 private:
  int32_t width_;
  int32_t height_;
};

class ShellRig {
 public:
  explicit ShellRig(bool withBattle, int32_t width = 640, int32_t height = 480, bool shiftAtStart = false) {
    GErrorLog::ResetForTests();
    CopyRendererBitmaps(folder);
    CopyScreenBitmaps(folder);
    auto backEnd = std::make_unique<PFakeBackEnd>();
    backEnd->SetDesktopSize(1024, 768);
    fake = backEnd.get();
    bool ok = false;
    kernel = std::make_unique<GKernel>();
    kernel->Init(std::move(backEnd), &ok);
    EXPECT_TRUE(ok);
    // The kernel owns the application from here on.
    app = new TestApplication(width, height);
    app->shiftHeld = shiftAtStart;
    kernel->StartWithoutLoop(app);
    app->SetBattleScreen(&screen);
    if (withBattle) {
      auto* battle = new Battle(*app);
      battle->SetUp(nullptr);
      app->SetBattle(battle);
    }
  }
  ~ShellRig() {
    End();
    GErrorLog::ResetForTests();
  }
  // The kernel ends and deletes the application.
  void End() {
    kernel.reset();
    app = nullptr;
  }
  TestFolder folder{true};
  KernelStartClock clock;
  RecordingScreen screen;
  RecordingEditor editor;
  PFakeBackEnd* fake = nullptr;
  std::unique_ptr<GKernel> kernel;
  TestApplication* app = nullptr;
};

