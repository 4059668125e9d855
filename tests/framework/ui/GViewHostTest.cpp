// Views on a host of the test's own, without a kernel: what a view asks of its host.
#include "framework/ui/GViewHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/GView.h"
#include "platform/PFont.h"
#include "platform/PSurface.h"

namespace {

class FakeViewHost : public GViewHost {
 public:
  FakeViewHost() : previous_(GViewHost::Current()) { GViewHost::SetCurrent(this); }
  ~FakeViewHost() override { GViewHost::SetCurrent(previous_); }

  int32_t GetScreenWidth() const override { return 320; }
  int32_t GetScreenHeight() const override { return 200; }
  bool Is3D() const override { return false; }
  bool IsDrawing() const override { return drawing; }
  bool IsTicking() const override { return false; }
  bool IsQuitting() const override { return false; }
  void Beep() override { calls.push_back("beep"); }
  GView* GetRootView() const override { return root; }
  void ForgetView(GView*) override { calls.push_back("forget"); }
  void PushModalView(GView*) override { calls.push_back("modal"); }
  void InvalidateView2D(GView* view) override { dirty.push_back(view); }
  void SetMouseTracker(GView*) override {}
  void GetCursorPos(int32_t& x, int32_t& y) const override { x = y = 0; }
  void SetCursorPos(int32_t x, int32_t y) override {
    calls.push_back("cursor " + std::to_string(x) + "," + std::to_string(y));
  }
  void DoApplicationCommand(int32_t command) override { calls.push_back("command " + std::to_string(command)); }
  void SetFocusChainMember(GView*, bool) override {}
  void FocusView(GView*) override {}
  GView* GetFocusView() const override { return nullptr; }
  void AddDefaultButton(GButton*) override {}
  void RemoveDefaultButton(GButton*) override {}
  PSurface* GetDrawingSurface() const override { return nullptr; }
  void Blit(PSurface*, int32_t, int32_t, const GRect*) override {}
  void CopyRectToFront(const GRect& r) override { copied.push_back(r); }
  void FillRect(const GRect& r, uint16_t) override { filled.push_back(r); }
  void FrameRect(const GRect&, uint16_t) override {}
  void DrawLine(int32_t, int32_t, int32_t, int32_t, uint16_t, int16_t) override {}
  uint32_t RGBToPixel(int32_t, int32_t, int32_t) const override { return 0; }
  const PFont& SelectFont(int32_t) const override { return *font_; }
  int32_t MeasureIn3D(const char*, size_t length, int32_t) const override { return static_cast<int32_t>(length); }

  GView* root = nullptr;
  bool drawing = false;
  std::vector<std::string> calls;
  std::vector<GView*> dirty;
  std::vector<GRect> filled;
  std::vector<GRect> copied;

 private:
  GViewHost* previous_;
  const PFont* font_ = nullptr;
};

TEST(GViewHost, AViewTreeRunsOnAnyHost) {
  FakeViewHost host;
  auto* root = new GView();
  root->Place(nullptr, 0, 0, 0, 0);  // no root view yet: this one covers the screen
  EXPECT_EQ(root->Bounds(), (GRect{0, 0, 320, 200}));
  host.root = root;
  auto* child = new GView();
  child->Place(nullptr, 10, 20, 50, 40);  // null parent: the host's root view
  EXPECT_EQ(child->GetParent(), root);
  EXPECT_EQ(child->Bounds(), (GRect{10, 20, 60, 60}));
  ASSERT_FALSE(host.dirty.empty());
  EXPECT_EQ(host.dirty.back(), child);  // a placed view asks to be drawn

  // Drawing fills in screen coordinates, clipped to the view; the outermost view is copied
  // to the front.
  host.drawing = true;
  child->DrawAll();
  host.drawing = false;
  ASSERT_EQ(host.filled.size(), 1u);
  EXPECT_EQ(host.filled[0], (GRect{10, 20, 60, 60}));
  ASSERT_EQ(host.copied.size(), 1u);
  EXPECT_EQ(host.copied[0], (GRect{10, 20, 60, 60}));

  // Commands climb past the root view to the host's application; a click outside a modal
  // view beeps; the root view takes the screen and centres the cursor.
  child->DoCommand(77);
  child->ClickOutside();
  host.root = nullptr;
  root->PlaceFullScreen();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"command 77", "beep", "cursor 160,100"}));
  host.calls.clear();
  delete root;  // and its child with it
  EXPECT_EQ(host.calls, (std::vector<std::string>{"forget", "forget"}));
}

TEST(GViewHost, TextsAreMeasuredByTheHostsRendererIn3D) {
  class Host3D : public FakeViewHost {
   public:
    bool Is3D() const override { return true; }
  } host;
  EXPECT_EQ(TextWidth("seven", 0), 5);
  EXPECT_EQ(TextWidth(nullptr, 0), 0);
}

}  // namespace
