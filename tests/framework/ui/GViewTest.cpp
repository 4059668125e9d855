#include <gtest/gtest.h>

#include "UiRig.h"
#include "framework/core/GString255.h"
#include "framework/ui/GDismissView.h"
#include "framework/ui/GLabel.h"

namespace {

class GViewTest : public UiRig {};

TEST_F(GViewTest, PlacementTakesParentSizeCentresAndClips) {
  ProbeView parent;
  parent.Place(nullptr, 100, 50, 400, 300);
  EXPECT_EQ(parent.GetParent(), Root());
  EXPECT_EQ(parent.Bounds(), (GRect{100, 50, 500, 350}));

  auto* full = new ProbeView;
  full->Place(&parent, -1, -1, 0, 0);
  EXPECT_EQ(full->Bounds(), parent.Bounds());

  // Any negative x centres horizontally only; the division truncates.
  auto* centred = new ProbeView;
  centred->Place(&parent, -5, 10, 101, 20);
  EXPECT_EQ(centred->Bounds(), (GRect{100 + 149, 60, 100 + 149 + 101, 80}));
  auto* vertical = new ProbeView;
  vertical->Place(&parent, 7, -1, 10, 100);
  EXPECT_EQ(vertical->Bounds(), (GRect{107, 150, 117, 250}));

  auto* partly = new ProbeView;
  partly->Place(&parent, 350, 280, 100, 100);
  EXPECT_EQ(partly->Bounds(), (GRect{450, 330, 500, 350}));
  auto* outside = new ProbeView;
  outside->Place(&parent, 450, 20, 30, 30);
  EXPECT_TRUE(outside->Bounds().IsEmpty());
  EXPECT_FALSE(outside->ContainsPoint(outside->Bounds().left, outside->Bounds().top));
  EXPECT_EQ(parent.GetChildCount(), 5);
  EXPECT_TRUE(parent.IsAncestorOf(outside));
  EXPECT_TRUE(Root()->IsAncestorOf(outside));
  EXPECT_FALSE(outside->IsAncestorOf(nullptr));
}

TEST_F(GViewTest, ChildOutsideItsParentGetsNoInputAndDrawsNothing) {
  auto& log = log_;
  auto* parent = new ProbeView(&log, "parent");
  parent->Place(nullptr, 0, 0, 100, 100);
  parent->SetBackColor(Rgb(255, 0, 0));
  auto* outside = new ProbeView(&log, "outside");
  outside->Place(parent, 150, 10, 30, 30);
  outside->SetBackColor(Rgb(0, 255, 0));
  RedrawAll();
  // The clipped rectangle lies on the parent's right edge and is empty: nothing of the
  // child's colour shows anywhere.
  int green = 0;
  for (uint16_t p : Snapshot()) green += p == Rgb(0, 255, 0);
  EXPECT_EQ(green, 0);
  Click(100, 20);
  Click(160, 20);
  for (const std::string& line : log) EXPECT_EQ(line.rfind("outside", 0), std::string::npos) << line;
}

TEST_F(GViewTest, RemovingTheFirstOfThreeChildrenMovesTheLastIntoItsPlace) {
  auto& log = log_;
  auto* parent = new ProbeView(&log, "parent");
  parent->Place(nullptr, 0, 0, 200, 200);
  auto* first = new ProbeView(&log, "first");
  auto* second = new ProbeView(&log, "second");
  auto* third = new ProbeView(&log, "third");
  first->Place(parent, 10, 10, 50, 50);
  second->Place(parent, 20, 20, 50, 50);
  third->Place(parent, 30, 30, 50, 50);
  EXPECT_EQ(parent->FindChildAt(35, 35), third);
  delete first;
  ASSERT_EQ(parent->GetChildCount(), 2);
  EXPECT_EQ(parent->GetChild(0), third);
  EXPECT_EQ(parent->GetChild(1), second);
  // The second now lies on top and is hit first.
  Click(40, 40);
  EXPECT_EQ(log.back(), "second down 20,20");
  Click(75, 75);
  EXPECT_EQ(log.back(), "third down 45,45");
  // Outside every child the parent gets the click in its own coordinates.
  Click(150, 5);
  EXPECT_EQ(log.back(), "parent down 150,5");
}

TEST_F(GViewTest, DisabledChildSwallowsMouseDownAndMove) {
  auto& log = log_;
  auto* parent = new ProbeView(&log, "parent");
  parent->Place(nullptr, 0, 0, 200, 200);
  auto* child = new ProbeView(&log, "child");
  child->Place(parent, 50, 50, 50, 50);
  Move(10, 10);
  EXPECT_EQ(GView::GetHoverView(), parent);
  child->SetEnabled(0);
  EXPECT_FALSE(child->IsEnabled());
  log.clear();
  Click(60, 60);
  Move(60, 60);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(GView::GetHoverView(), parent);
  child->SetEnabled(1);
  Move(61, 62);
  EXPECT_EQ(GView::GetHoverView(), child);
  EXPECT_EQ(log, (std::vector<std::string>{"parent left", "child moved 11,12"}));
  // A disabled parent disables its children and takes nothing itself.
  parent->SetEnabled(0);
  log.clear();
  Click(60, 60);
  Click(10, 10);
  EXPECT_TRUE(log.empty());
  delete child;
  EXPECT_EQ(GView::GetHoverView(), nullptr);
}

TEST_F(GViewTest, TicksFollowTheIntervalAcrossTheCounterWrap) {
  auto* never = new ProbeView;
  never->Place(nullptr, 0, 0, 10, 10);
  auto* always = new ProbeView;
  always->Place(nullptr, 0, 0, 10, 10);
  always->SetTickInterval(0);
  auto* every100 = new ProbeView;
  every100->Place(always, 0, 0, 10, 10);
  every100->SetTickInterval(100);
  for (uint32_t now : {0u, 50u, 99u, 100u, 150u, 199u, 200u}) Root()->Tick(now);
  EXPECT_EQ(never->ticks, 0);
  EXPECT_EQ(always->ticks, 7);
  EXPECT_EQ(every100->ticks, 2);  // at 100 and 200 (the last tick counts from 0)
  // Near the top of the 32-bit counter and past its wrap.
  Root()->Tick(0xFFFFFFC0u);
  EXPECT_EQ(every100->ticks, 3);
  Root()->Tick(0x00000010u);  // 80 ms later
  EXPECT_EQ(every100->ticks, 3);
  Root()->Tick(0x00000030u);  // 112 ms later
  EXPECT_EQ(every100->ticks, 4);
}

TEST_F(GViewTest, VisibilityAndEnablingInvalidateAsDescribed) {
  auto* parent = new ProbeView;
  parent->Place(nullptr, 0, 0, 100, 100);
  auto* child = new ProbeView;
  child->Place(parent, 10, 10, 20, 20);
  Redraw();
  ASSERT_EQ(DirtyCount(), 0);
  child->SetVisible(0);
  EXPECT_TRUE(IsDirty(parent));
  EXPECT_FALSE(child->IsVisible());
  Redraw();
  child->SetVisible(0);
  EXPECT_EQ(DirtyCount(), 0);
  child->SetVisible(1);
  EXPECT_TRUE(IsDirty(child));
  Redraw();
  // A hidden parent hides its child: nothing of it is recorded.
  parent->SetVisible(0);
  Redraw();
  child->Invalidate();
  child->SetEnabled(0);
  EXPECT_EQ(DirtyCount(), 0);
  parent->SetVisible(1);
  Redraw();
  child->SetEnabled(1);
  EXPECT_TRUE(IsDirty(child));
}

TEST_F(GViewTest, DeletingAParentDeletesEveryChildOnce) {
  auto& log = log_;
  auto* parent = new ProbeView(&log, "parent");
  parent->Place(nullptr, 0, 0, 100, 100);
  auto* a = new ProbeView(&log, "a");
  a->Place(parent, 0, 0, 10, 10);
  auto* b = new ProbeView(&log, "b");
  b->Place(a, 0, 0, 5, 5);
  (new ProbeView(&log, "c"))->Place(parent, 20, 0, 10, 10);
  const int32_t before = Root()->GetChildCount();
  delete parent;
  EXPECT_EQ(log, (std::vector<std::string>{"parent deleted", "a deleted", "b deleted", "c deleted"}));
  EXPECT_EQ(Root()->GetChildCount(), before - 1);
  EXPECT_TRUE(IsDirty(Root()));

  auto* holder = new ProbeView(&log, "holder");
  holder->Place(nullptr, 0, 0, 10, 10);
  (new ProbeView(&log, "d"))->Place(holder, 0, 0, 5, 5);
  log.clear();
  holder->DeleteChildren();
  EXPECT_EQ(log, (std::vector<std::string>{"d deleted"}));
  EXPECT_EQ(holder->GetChildren(), nullptr);
}

TEST_F(GViewTest, DrawTextAlignsClampsAndClipsToTheView) {
  GString255 text;
  text.Assign("HHHH");
  const int32_t width = TextWidth(text.CStr(), 0);
  ASSERT_GT(width, 8);
  const uint16_t white = Rgb(255, 255, 255);
  auto columns = [&](int32_t y0, int32_t y1) {
    std::pair<int32_t, int32_t> span{10000, -1};
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = 0; x < Back().Width(); ++x)
        if (Pixel(x, y) == white) {
          span.first = std::min(span.first, x);
          span.second = std::max(span.second, x);
        }
    return span;
  };
  auto* view = new ProbeView;
  view->Place(nullptr, 100, 100, 200, 40);
  RedrawAll();
  kernel_->SetDrawToFront(false);

  // Left from x, centred on x, ending at x; a negative x starts at 0.
  view->DrawText(&text, 50, 20, -1, 0, 255, 255, 255);
  const auto left = columns(100, 140);
  kernel_->FillRect(GRect{0, 0, 799, 599}, 0);
  view->DrawText(&text, 50, 20, 0, 0, 255, 255, 255);
  const auto centre = columns(100, 140);
  kernel_->FillRect(GRect{0, 0, 799, 599}, 0);
  view->DrawText(&text, 50, 20, 1, 0, 255, 255, 255);
  const auto right = columns(100, 140);
  kernel_->FillRect(GRect{0, 0, 799, 599}, 0);
  view->DrawText(&text, -20, 20, -1, 0, 255, 255, 255);
  const auto clamped = columns(100, 140);
  EXPECT_EQ(centre.first - left.first, -(width / 2));
  EXPECT_EQ(right.first - left.first, -width);
  EXPECT_EQ(clamped.first - left.first, -50);

  // A text running past the view's right edge is cut there; above and below likewise.
  kernel_->FillRect(GRect{0, 0, 799, 599}, 0);
  view->DrawText(&text, 190, 20, -1, 0, 255, 255, 255);
  EXPECT_LE(columns(0, 600).second, 299);
  EXPECT_GE(columns(0, 600).second, 290);
  auto* strip = new ProbeView;
  strip->Place(nullptr, 100, 300, 200, 5);
  kernel_->FillRect(GRect{0, 0, 799, 599}, 0);
  strip->DrawText(&text, 10, 4, -1, 0, 255, 255, 255);
  EXPECT_EQ(columns(0, 300).second, -1);
  EXPECT_EQ(columns(305, 600).second, -1);
  EXPECT_NE(columns(300, 305).second, -1);
  // Nothing for a null text.
  kernel_->FillRect(GRect{0, 0, 799, 599}, 0);
  view->DrawText(nullptr, 10, 10, -1, 0, 255, 255, 255);
  EXPECT_EQ(columns(0, 600).second, -1);
}

TEST_F(GViewTest, ShapesAreClippedToTheView) {
  auto* view = new ProbeView;
  view->Place(nullptr, 100, 100, 50, 50);
  view->SetNoFill(1);
  RedrawAll();
  const uint16_t red = Rgb(255, 0, 0);
  kernel_->FillRect(GRect{0, 0, 799, 599}, 0);
  view->FillRect(GRect{-20, -20, 100, 100}, red);
  view->DrawLine(-30, 10, 200, 10, red, 1);
  int outside = 0;
  int inside = 0;
  for (int32_t y = 0; y < 600; ++y)
    for (int32_t x = 0; x < 800; ++x) {
      if (Pixel(x, y) != red) continue;
      // The kernel's fill takes the right and bottom edges as inside.
      if (x >= 100 && x <= 150 && y >= 100 && y <= 150) ++inside;
      else ++outside;
    }
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(inside, 51 * 51);
}

TEST_F(GViewTest, ModalViewsTakeClicksAndDismissViewsCloseOnAnyClick) {
  auto& log = log_;
  auto* below = new ProbeView(&log, "below");
  below->Place(nullptr, 0, 0, 400, 400);
  auto* modal = new ProbeView(&log, "modal");
  modal->PlaceModal(nullptr, 100, 100, 100, 100);
  EXPECT_EQ(kernel_->GetTopModalView(), modal);
  const int beeps = fake_->BeepCount();
  Click(10, 10);
  Click(110, 120);
  EXPECT_EQ(log, (std::vector<std::string>{"modal outside", "modal down 10,20"}));
  delete modal;
  EXPECT_EQ(kernel_->GetTopModalView(), nullptr);

  // The plain view beeps at a click outside it.
  auto* plain = new GView;
  plain->PlaceModal(nullptr, 100, 100, 100, 100);
  Click(10, 10);
  EXPECT_EQ(fake_->BeepCount(), beeps + 1);
  delete plain;

  auto* dismiss = new GDismissView;
  dismiss->PlaceModal(nullptr, 100, 100, 50, 50);
  const int32_t children = Root()->GetChildCount();
  Click(5, 5);
  EXPECT_EQ(Root()->GetChildCount(), children - 1);
  EXPECT_EQ(kernel_->GetTopModalView(), nullptr);
  dismiss = new GDismissView;
  dismiss->PlaceModal(nullptr, 100, 100, 50, 50);
  Click(120, 120);
  EXPECT_EQ(Root()->GetChildCount(), children - 1);
  EXPECT_EQ(fake_->BeepCount(), beeps + 1);
}

TEST_F(GViewTest, LabelsAnchorTheirTextByAlignment) {
  auto* panel = new ProbeView;
  panel->Place(nullptr, 0, 0, 300, 100);
  auto* left = new GLabel;
  left->InitWithText(panel, 0, 0, 100, "Wg");
  auto* right = new GLabel;
  right->InitWithText(panel, 0, 30, 100, "Wg");
  right->SetAlignment(1);
  auto* shadowed = new GLabel;
  shadowed->InitWithText(panel, 0, 60, 100, "Wg");
  shadowed->SetAlignment(1);
  shadowed->SetShadow(1);
  shadowed->SetShadowColor(255, 0, 0);
  EXPECT_EQ(left->Height(), 15);
  EXPECT_EQ(right->AnchorX(), 99);
  RedrawAll();
  const int32_t width = TextWidth("Wg", 0);
  const uint16_t white = Rgb(255, 255, 255);
  // The right-aligned text is the left one moved so that it ends at x = 99 (it starts at 1).
  for (int32_t y = 0; y < 15; ++y)
    for (int32_t x = 0; x < 100; ++x) {
      const int32_t from = x - (99 - width) + 1;
      const bool expected = from >= 0 && from < 100 && Pixel(from, y) == white;
      ASSERT_EQ(Pixel(x, 30 + y) == white, expected) << x << "," << y;
    }
  // With a shadow the text moves one pixel left; the shadow keeps x = 99, one row lower.
  for (int32_t y = 0; y < 15; ++y)
    for (int32_t x = 0; x < 99; ++x) {
      if (Pixel(x + 1, 30 + y) == white) {
        ASSERT_EQ(Pixel(x, 60 + y), white) << x << "," << y;
      }
    }
  int shadow = 0;
  for (int32_t y = 60; y < 75; ++y)
    for (int32_t x = 0; x < 100; ++x) shadow += Pixel(x, y) == Rgb(255, 0, 0);
  EXPECT_GT(shadow, 0);
}

}  // namespace

namespace {

class GView3DTest : public UiRig {};

TEST_F(GView3DTest, In3DModeTextAndPicksGoThroughTheRenderer) {
  std::vector<std::string> calls;
  GView::Renderer3D renderer;
  renderer.setViewport = [&](int32_t l, int32_t t, int32_t w, int32_t h) {
    calls.push_back("viewport " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(w) + "," +
                    std::to_string(h));
  };
  renderer.setProjection = [&](int32_t l, int32_t t, int32_t w, int32_t h, float fov, float n, float f) {
    calls.push_back("projection " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(w) + "," +
                    std::to_string(h) + "," + std::to_string(static_cast<int>(fov)) + "," +
                    std::to_string(static_cast<int>(n)) + "," + std::to_string(static_cast<int>(f)));
  };
  renderer.writeString = [&](const GString& text, int32_t x, int32_t y, int32_t align, int32_t font, uint8_t r,
                             uint8_t, uint8_t) {
    calls.push_back(std::string("text ") + text.CStr() + " " + std::to_string(x) + "," + std::to_string(y) + "," +
                    std::to_string(align) + "," + std::to_string(font) + "," + std::to_string(r));
  };
  renderer.pushMatrix = [&] { calls.push_back("push"); };
  renderer.popMatrix = [&] { calls.push_back("pop"); };
  renderer.beginPick = [&](int32_t x, int32_t y, int32_t w, int32_t h, float, float, float) {
    calls.push_back("pick " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
                    std::to_string(h));
  };
  renderer.finishPick = [&] { calls.push_back("finish"); };
  renderer.endPick = [&] { calls.push_back("end"); };
  GView::SetRenderer3D(renderer);

  auto* view = new ProbeView;
  view->Place(nullptr, 10, 20, 300, 200);
  kernel_->Set3DFlag(true);
  view->SetProjection(60.0f, 1.0f, 500.0f);
  GString255 text;
  text.Assign("Hi");
  view->DrawText(&text, 400, -3, 0, 1, 9, 0, 0);
  view->BeginPick(5, 6);
  view->NextPickPass();
  view->EndPick();
  kernel_->Set3DFlag(false);
  GView::SetRenderer3D(GView::Renderer3D());
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "projection 10,20,300,200,60,1,500",
                       "text Hi 309,20,0,1,9",
                       "viewport 10,20,300,200",
                       "push",
                       "pick 5,6,300,200",
                       "finish",
                       "end",
                       "projection 10,20,300,200,60,1,500",
                       "pop",
                   }));
  EXPECT_EQ(view->GetFieldOfView(), 60.0f);
}

}  // namespace
