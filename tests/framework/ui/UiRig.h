#pragma once
// A started kernel on the fake back-end (2-D, 800 x 600) with an application that records the
// commands reaching it, a graphics host holding the test's bitmaps, and helpers that drive
// the kernel's window procedure as the event loop would.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/ui/GView.h"
#include "platform/PClock.h"
#include "platform/PDisplay.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PMessage.h"
#include "platform/PSurface.h"
#include "support/KernelStartClock.h"
#include "support/RendererBitmaps.h"

class CommandApp : public ApplicationBase {
 public:
  void DoCommand(int32_t command) override {
    commands.push_back(command);
    if (onCommand) onCommand(command);
  }
  // A stored choice of the usual display at 800 x 600: the display settles without a test.
  void GetDisplayChoice(DisplayPreset* record) override {
    *record = DisplayPreset{};
    record->use3DPreset = 1;
    record->driverIsPrimary = 1;
    record->deviceGuid = PDisplay::kDeviceGuid;
    record->width = 800;
    record->height = 600;
  }
  std::vector<int32_t> commands;
  std::function<void(int32_t)> onCommand;
};

// A view that records what reaches it.
class ProbeView : public GView {
 public:
  explicit ProbeView(std::vector<std::string>* log = nullptr, std::string name = "") : log_(log), name_(std::move(name)) {}
  ~ProbeView() override {
    if (log_ != nullptr) log_->push_back(name_ + " deleted");
  }
  void MouseDown(int32_t x, int32_t y, uint8_t, uint8_t, uint8_t) override {
    if (log_ != nullptr) log_->push_back(name_ + " down " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseMoved(int32_t x, int32_t y) override {
    if (log_ != nullptr) log_->push_back(name_ + " moved " + std::to_string(x) + "," + std::to_string(y));
  }
  void MouseLeft() override {
    if (log_ != nullptr) log_->push_back(name_ + " left");
  }
  void TickAction() override { ++ticks; }
  void ClickOutside() override {
    if (log_ != nullptr) log_->push_back(name_ + " outside");
  }
  int ticks = 0;

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

class UiRig : public testing::Test {
 protected:
  UiRig() {
    GErrorLog::ResetForTests();
    auto backEnd = std::make_unique<PFakeBackEnd>();
    backEnd->SetDesktopSize(1024, 768);
    fake_ = backEnd.get();
    CopyRendererBitmaps(host_.folder);
    kernel_ = std::make_unique<GKernel>();
    bool ok = false;
    {
      KernelStartClock clock;
      kernel_->Init(std::move(backEnd), &ok);
    }
    app_ = new CommandApp;
    kernel_->StartWithoutLoop(app_);
    EXPECT_TRUE(ok);
  }
  ~UiRig() override {
    kernel_.reset();
    PClock::SetFake(nullptr);
    GErrorLog::ResetForTests();
  }

  GView* Root() const { return kernel_->GetRootView(); }
  PSurface& Back() const { return *kernel_->GetBackBuffer(); }
  uint16_t Pixel(int32_t x, int32_t y) const { return Back().Row16(y)[x]; }
  uint16_t Rgb(int r, int g, int b) const { return static_cast<uint16_t>(kernel_->RGBToPixel(r, g, b)); }
  int32_t DirtyCount() const { return kernel_->GetDirtyViews() != nullptr ? kernel_->GetDirtyViews()->Count() : 0; }
  bool IsDirty(GView* v) const { return kernel_->GetDirtyViews() != nullptr && kernel_->GetDirtyViews()->Contains(v); }
  // Draws the dirty views now.
  void Redraw() { kernel_->UpdateScreen(); }
  // Draws the whole screen.
  void RedrawAll() {
    Root()->Invalidate();
    kernel_->UpdateScreen();
  }
  std::vector<uint16_t> Snapshot() const {
    std::vector<uint16_t> pixels;
    for (int32_t y = 0; y < Back().Height(); ++y)
      pixels.insert(pixels.end(), Back().Row16(y), Back().Row16(y) + Back().Width());
    return pixels;
  }

  void Send(PMessageType type, int32_t x = 0, int32_t y = 0, uint32_t param = 0) {
    PMessage m;
    m.type = type;
    m.x = x;
    m.y = y;
    m.param = param;
    kernel_->WindowProc(m);
  }
  void Down(int32_t x, int32_t y) { Send(PMessageType::kLeftDown, x, y); }
  void Move(int32_t x, int32_t y) { Send(PMessageType::kMouseMove, x, y); }
  void Up(int32_t x, int32_t y) { Send(PMessageType::kLeftUp, x, y); }
  void Click(int32_t x, int32_t y) {
    Down(x, y);
    Up(x, y);
  }
  void Char(uint8_t c) { Send(PMessageType::kChar, 0, 0, c); }
  const std::vector<int32_t>& Commands() const { return app_->commands; }

  // A fake millisecond clock the test moves by hand.
  void UseFakeClock(uint64_t start) {
    now_ = start;
    PClock::SetFake([this] { return now_; });
  }

  // Declared first, destroyed last: the graphics the views hold are given back to it.
  GraphicsTestHost host_;
  PFakeBackEnd* fake_ = nullptr;
  std::unique_ptr<GKernel> kernel_;
  CommandApp* app_ = nullptr;
  uint64_t now_ = 0;
  // What probe views record; it outlives the views the kernel deletes at the end.
  std::vector<std::string> log_;
};
