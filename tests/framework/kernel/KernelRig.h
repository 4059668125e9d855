#pragma once
// A kernel on the fake back-end with an application and views that record what reaches them.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PDisplay.h"
#include "platform/PFailureInjection.h"
#include "platform/PMessage.h"
#include "platform/PWindow.h"
#include "support/KernelStartClock.h"
#include "support/RendererBitmaps.h"
#include "support/TestFolder.h"

// Every call of the application's slots, in order, as "name" or "name(args)".
class RecordingApp : public ApplicationBase {
 public:
  explicit RecordingApp(std::vector<std::string>* calls) : calls_(calls) {}
  ~RecordingApp() override {
    calls_->push_back(gKernel->GetRootView() != nullptr ? "deleted before views" : "deleted after views");
  }
  void LoadPreferences() override { calls_->push_back("5"); }
  void GetDisplayChoice(DisplayPreset* record) override {
    calls_->push_back("6");
    *record = preset;
  }
  void SavePreferences(const DisplayPreset* record) override {
    calls_->push_back("7");
    saved = record->ToBytes();
  }
  void StartApplication() override { calls_->push_back("8"); }
  void WillMinimize() override { calls_->push_back("9"); }
  void Reactivated() override { calls_->push_back("10"); }
  void HandleKey(uint8_t key, bool alt, bool keypad) override {
    calls_->push_back("11(" + std::to_string(key) + "," + std::to_string(alt) + "," + std::to_string(keypad) + ")");
  }
  void DoCommand(int32_t command) override { calls_->push_back("12(" + std::to_string(command) + ")"); }
  void DrawOverlay() override { ++overlays; }
  void Idle() override {
    ++idles;
    if (onIdle) onIdle();
  }
  void CloseRequested() override { calls_->push_back("close"); }

  DisplayPreset preset;
  std::array<uint8_t, DisplayPreset::kSize> saved{};
  int overlays = 0;
  int idles = 0;
  std::function<void()> onIdle;

 private:
  std::vector<std::string>* calls_;
};

// A view that records the mouse and tick calls it gets.
class RecordingView : public GView {
 public:
  explicit RecordingView(std::vector<std::string>* calls, std::string name) : calls_(calls), name_(std::move(name)) {}
  ~RecordingView() override {
    calls_->push_back(name_ + (gKernel->GetDirectDraw() != nullptr ? " deleted before display" : " deleted after display"));
  }
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t, uint8_t) override {
    calls_->push_back(name_ + " down(" + std::to_string(x) + "," + std::to_string(y) + "," +
                      std::to_string(doubleClick) + ")");
  }
  void Track(int32_t x, int32_t y, uint8_t inside, uint8_t flag) override {
    calls_->push_back(name_ + " track(" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(inside) +
                      "," + std::to_string(flag) + ")");
  }
  void MouseUp(int32_t, int32_t, uint8_t right) override { calls_->push_back(name_ + " up(" + std::to_string(right) + ")"); }
  void RightMouseDown(int32_t, int32_t) override { calls_->push_back(name_ + " right"); }
  void ClickOutside() override { calls_->push_back(name_ + " outside"); }
  void TickAction() override {
    calls_->push_back(name_ + " tick");
    if (onTick) onTick(this);
  }
  std::function<void(RecordingView*)> onTick;

 private:
  std::vector<std::string>* calls_;
  std::string name_;
};

inline PMessage Message(PMessageType type, uint32_t param = 0, int32_t x = 0, int32_t y = 0) {
  PMessage m;
  m.type = type;
  m.param = param;
  m.x = x;
  m.y = y;
  return m;
}

// A stored preset naming the usual display list's 3-D candidate of the given size: the
// primary driver, its one device, the default refresh rate.
inline DisplayPreset UsualPreset(uint32_t width, uint32_t height) {
  DisplayPreset p;
  p.use3DPreset = 1;
  p.driverIsPrimary = 1;
  p.deviceGuid = PDisplay::kDeviceGuid;
  p.width = width;
  p.height = height;
  return p;
}

// A kernel initialised on the fake back-end (a 1024 x 768 desktop unless told) in a fresh program
// folder, its log reset. The display list and failure plans are the usual ones again
// afterwards.
class KernelRig {
 public:
  explicit KernelRig(int32_t desktopWidth = 1024, int32_t desktopHeight = 768) : folder_(true) {
    GErrorLog::ResetForTests();
    CopyRendererBitmaps(folder_);
    auto backEnd = std::make_unique<PFakeBackEnd>();
    backEnd->SetDesktopSize(desktopWidth, desktopHeight);
    fake = backEnd.get();
    kernel = new GKernel();
    KernelStartClock clock;
    kernel->Init(std::move(backEnd), &ok);
  }
  ~KernelRig() {
    delete kernel;
    GErrorLog::ResetForTests();
    PFailureInjection::Reset();
    PDisplay::ResetOfferedDrivers();
  }
  // The kernel started with a recording application whose stored preset is the usual
  // display's 800 x 600: preferences read, display settled without a test, application
  // started; the loop is left to the test.
  RecordingApp* StartApp() {
    app = new RecordingApp(&calls);
    app->preset = UsualPreset(800, 600);
    kernel->StartWithoutLoop(app);
    return app;
  }
  std::string Log() const { return folder_.ReadFile("ERRORLOG.TXT"); }

  TestFolder folder_;
  PFakeBackEnd* fake = nullptr;
  GKernel* kernel = nullptr;
  RecordingApp* app = nullptr;
  bool ok = false;
  std::vector<std::string> calls;
};
