#pragma once
// A view host of the test's own, 800 x 600 and drawing nothing, so that views can be placed,
// tracked and made modal without a kernel. It records the mouse tracker.
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"

class PlainViewHost : public GViewHost {
 public:
  PlainViewHost() : previous_(GViewHost::Current()) {
    GViewHost::SetCurrent(this);
    root = new GView;
    root->Place(nullptr, 0, 0, 800, 600);
  }
  ~PlainViewHost() override {
    delete root;
    GViewHost::SetCurrent(previous_);
  }
  PlainViewHost(const PlainViewHost&) = delete;
  PlainViewHost& operator=(const PlainViewHost&) = delete;
  int32_t GetScreenWidth() const override { return 800; }
  int32_t GetScreenHeight() const override { return 600; }
  bool Is3D() const override { return false; }
  bool IsDrawing() const override { return false; }
  bool IsTicking() const override { return false; }
  bool IsQuitting() const override { return false; }
  void Beep() override {}
  GView* GetRootView() const override { return root; }
  void ForgetView(GView* view) override {
    if (tracker == view) tracker = nullptr;
  }
  void PushModalView(GView*) override {}
  void InvalidateView2D(GView*) override {}
  void SetMouseTracker(GView* view) override { tracker = view; }
  void GetCursorPos(int32_t& x, int32_t& y) const override { x = y = 0; }
  void SetCursorPos(int32_t, int32_t) override {}
  void DoApplicationCommand(int32_t) override {}
  void SetFocusChainMember(GView*, bool) override {}
  void FocusView(GView*) override {}
  GView* GetFocusView() const override { return nullptr; }
  void AddDefaultButton(GButton*) override {}
  void RemoveDefaultButton(GButton*) override {}
  PSurface* GetDrawingSurface() const override { return nullptr; }
  void Blit(PSurface*, int32_t, int32_t, const GRect*) override {}
  void CopyRectToFront(const GRect&) override {}
  void FillRect(const GRect&, uint16_t) override {}
  void FrameRect(const GRect&, uint16_t) override {}
  void DrawLine(int32_t, int32_t, int32_t, int32_t, uint16_t, int16_t) override {}
  uint32_t RGBToPixel(int32_t, int32_t, int32_t) const override { return 0; }
  const PFont& SelectFont(int32_t) const override { return *font_; }
  int32_t MeasureIn3D(const char*, size_t length, int32_t) const override { return static_cast<int32_t>(length); }

  GView* root = nullptr;
  GView* tracker = nullptr;

 private:
  GViewHost* previous_;
  const PFont* font_ = nullptr;
};
