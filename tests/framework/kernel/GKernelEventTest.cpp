#include <gtest/gtest.h>

#include <algorithm>

#include "KernelRig.h"
#include "platform/PKey.h"

namespace {

bool Has(const std::vector<std::string>& calls, const std::string& s) {
  return std::find(calls.begin(), calls.end(), s) != calls.end();
}

class KernelEventTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.ok);
    rig.StartApp();
    rig.calls.clear();
  }
  GKernel& kernel() { return *rig.kernel; }
  KernelRig rig;
};

}  // namespace

TEST_F(KernelEventTest, ALeftDownOutsideAModalViewCallsItsClickOutsideAndHoldsNoButton) {
  auto* modal = new RecordingView(&rig.calls, "modal");
  modal->PlaceModal(nullptr, 100, 100, 50, 50);
  kernel().WindowProc(Message(PMessageType::kLeftDown, 0, 10, 10));
  EXPECT_EQ(rig.calls, std::vector<std::string>{"modal outside"});
  EXPECT_FALSE(kernel().IsLeftButtonDown());

  // Inside, the modal view takes the click and the button is held until its up.
  kernel().WindowProc(Message(PMessageType::kLeftDown, 0, 110, 120));
  EXPECT_TRUE(Has(rig.calls, "modal down(10,20,0)"));
  EXPECT_TRUE(kernel().IsLeftButtonDown());
  kernel().WindowProc(Message(PMessageType::kLeftUp, 0, 110, 120));
  EXPECT_FALSE(kernel().IsLeftButtonDown());
  delete modal;
  EXPECT_EQ(kernel().GetTopModalView(), nullptr);
}

TEST_F(KernelEventTest, ARightDownWhileTheLeftIsHeldIsIgnored) {
  auto* view = new RecordingView(&rig.calls, "view");
  view->Place(nullptr, 0, 0, 200, 200);
  view->SetTracking();
  kernel().WindowProc(Message(PMessageType::kLeftDown, 0, 5, 6));
  EXPECT_EQ(kernel().GetMouseTracker(), view);
  rig.calls.clear();

  kernel().WindowProc(Message(PMessageType::kRightDown, 0, 7, 8));
  EXPECT_TRUE(rig.calls.empty());
  EXPECT_FALSE(kernel().IsRightButtonDown());
  // The right button's up only clears its own flag; the left up reaches the tracker.
  kernel().WindowProc(Message(PMessageType::kRightUp, 0, 7, 8));
  EXPECT_TRUE(rig.calls.empty());
  EXPECT_EQ(kernel().GetMouseTracker(), view);
  kernel().WindowProc(Message(PMessageType::kLeftUp, 0, 7, 8));
  EXPECT_EQ(rig.calls, std::vector<std::string>{"view up(0)"});
  EXPECT_EQ(kernel().GetMouseTracker(), nullptr);
  EXPECT_FALSE(kernel().IsLeftButtonDown());
}

TEST_F(KernelEventTest, AQuickSecondRightClickIsARightClick) {
  auto* view = new RecordingView(&rig.calls, "view");
  view->Place(nullptr, 0, 0, 200, 200);
  view->SetTracking();
  kernel().WindowProc(Message(PMessageType::kRightDown, 0, 5, 6));
  kernel().WindowProc(Message(PMessageType::kRightUp, 0, 5, 6));
  rig.calls.clear();
  kernel().WindowProc(Message(PMessageType::kRightDoubleClick, 0, 5, 6));
  EXPECT_TRUE(kernel().IsRightButtonDown());
  // No double-click byte for the right button; the tracker hears of the right click.
  EXPECT_TRUE(Has(rig.calls, "view down(5,6,0)"));
  EXPECT_TRUE(Has(rig.calls, "view right"));
  kernel().WindowProc(Message(PMessageType::kRightUp, 0, 5, 6));
  EXPECT_TRUE(Has(rig.calls, "view up(1)"));
}

TEST_F(KernelEventTest, EscapeReachesTheKeyHandlerEvenWithAFocusView) {
  auto* field = new RecordingView(&rig.calls, "field");
  field->Place(nullptr, 0, 0, 50, 20);
  kernel().SetFocusChainMember(field, true);
  kernel().FocusView(field);
  ASSERT_EQ(kernel().GetFocusView(), field);
  EXPECT_EQ(kernel().WindowProc(Message(PMessageType::kChar, kKeyEscape)), GKernel::kHandled);
  EXPECT_TRUE(Has(rig.calls, "11(27,0,0)"));
}

TEST_F(KernelEventTest, KeypadDigitsAreToldFromMainKeyboardDigits) {
  PMessage five = Message(PMessageType::kChar, '5');
  kernel().WindowProc(five);
  five.keys.SetDown(kKeyPad0 + 5, true);
  kernel().WindowProc(five);
  PMessage comma = Message(PMessageType::kChar, ',');
  comma.keys.SetDown(kKeyPadDecimal, true);
  kernel().WindowProc(comma);
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"11(53,0,0)", "11(53,0,1)", "11(44,0,0)"}));
}

TEST_F(KernelEventTest, TabMovesTheFocusAlongTheChainAndWraps) {
  auto* first = new RecordingView(&rig.calls, "first");
  first->Place(nullptr, 0, 0, 50, 20);
  auto* second = new RecordingView(&rig.calls, "second");
  second->Place(nullptr, 0, 30, 50, 20);
  kernel().SetFocusChainMember(first, true);
  kernel().SetFocusChainMember(second, true);
  kernel().UpdateFocus();
  ASSERT_EQ(kernel().GetFocusView(), first);
  kernel().WindowProc(Message(PMessageType::kChar, kKeyTab));
  EXPECT_EQ(kernel().GetFocusView(), second);
  kernel().WindowProc(Message(PMessageType::kChar, kKeyTab));
  EXPECT_EQ(kernel().GetFocusView(), first);
  // A hidden member is passed over; with none able to take it the focus goes.
  second->SetVisible(0);
  kernel().WindowProc(Message(PMessageType::kChar, kKeyTab));
  EXPECT_EQ(kernel().GetFocusView(), first);
  first->SetEnabled(0);
  kernel().UpdateFocus();
  EXPECT_EQ(kernel().GetFocusView(), nullptr);
}

TEST_F(KernelEventTest, ArrowKeyDownsReachTheApplicationAsCodesOneToFour) {
  for (uint32_t key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown})
    EXPECT_EQ(kernel().WindowProc(Message(PMessageType::kKeyDown, key)), GKernel::kHandled);
  EXPECT_EQ(kernel().WindowProc(Message(PMessageType::kKeyDown, kKeyA)), GKernel::kDefaultHandling);
  EXPECT_EQ(rig.calls, (std::vector<std::string>{"11(1,0,0)", "11(2,0,0)", "11(3,0,0)", "11(4,0,0)"}));
  kernel().WindowProc(Message(PMessageType::kSysChar, 'q'));
  EXPECT_EQ(rig.calls.back(), "11(113,1,0)");
}

TEST_F(KernelEventTest, WithATrackerAndNoMessageEachPassSendsItAMove) {
  auto* view = new RecordingView(&rig.calls, "view");
  view->Place(nullptr, 100, 100, 50, 50);
  kernel().SetMouseTracker(view);
  kernel().SetCursorPos(120, 130);
  rig.calls.clear();
  kernel().DoEvent();
  kernel().DoEvent();
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "view track(20,30,1,0)"), 2);
  kernel().SetMouseTracker(nullptr);
}

TEST_F(KernelEventTest, MessagesThatNeedNoRedrawSkipTheNextIdleChain) {
  const int idles = rig.app->idles;
  rig.fake->ScriptMessage(Message(PMessageType::kKeyUp, kKeyA));
  kernel().DoEvent();
  EXPECT_EQ(rig.app->idles, idles);
  kernel().DoEvent();
  EXPECT_EQ(rig.app->idles, idles + 1);
}

// A pass that takes no message and draws nothing lets the next one wait for a message up to
// a frame time; a message, a view to draw again or a mouse tracker keeps the loop looking.
TEST_F(KernelEventTest, APassWithNothingToDoLetsTheNextOneWaitAFrameTime) {
  kernel().DoEvent();  // draws what the start left to draw
  kernel().DoEvent();
  EXPECT_EQ(kernel().IdleWaitMs(), GKernel::kIdleWaitMs);
  kernel().GetRootView()->Invalidate();
  kernel().DoEvent();
  EXPECT_EQ(kernel().IdleWaitMs(), 0u);
  kernel().DoEvent();
  EXPECT_EQ(kernel().IdleWaitMs(), GKernel::kIdleWaitMs);
  rig.fake->ScriptMessage(Message(PMessageType::kChar, 'x'));
  kernel().DoEvent();
  EXPECT_TRUE(Has(rig.calls, "11(120,0,0)"));  // taken in the waiting pass
  EXPECT_EQ(kernel().IdleWaitMs(), 0u);
  auto* view = new RecordingView(&rig.calls, "view");
  view->Place(nullptr, 0, 0, 50, 50);
  kernel().DoEvent();
  kernel().SetMouseTracker(view);
  kernel().DoEvent();
  EXPECT_EQ(kernel().IdleWaitMs(), 0u);
  kernel().SetMouseTracker(nullptr);
}

TEST_F(KernelEventTest, EnterPressesNoDefaultButtonOutsideTheModalView) {
  // No default button: Enter is a key for the application.
  kernel().WindowProc(Message(PMessageType::kChar, kKeyReturn));
  EXPECT_EQ(rig.calls, std::vector<std::string>{"11(13,0,0)"});
  EXPECT_EQ(kernel().FindDefaultButton(), nullptr);
}

TEST_F(KernelEventTest, ACloseRequestGoesToTheApplicationsQuitPath) {
  EXPECT_EQ(kernel().WindowProc(Message(PMessageType::kClose)), GKernel::kHandled);
  EXPECT_EQ(rig.calls, std::vector<std::string>{"close"});
  EXPECT_FALSE(kernel().IsQuitting());
}

TEST_F(KernelEventTest, DeactivationStopsTheFramesAndReactivationTellsTheApplication) {
  kernel().WindowProc(Message(PMessageType::kActivate, 0));
  EXPECT_FALSE(kernel().IsActive());
  kernel().TrackScreenEdge(0, 0);
  EXPECT_EQ(kernel().GetScreenEdgeX(), 0);
  // While inactive the pass still runs the idle chain when no message comes.
  const int idles = rig.app->idles;
  kernel().DoEvent();
  EXPECT_EQ(rig.app->idles, idles + 1);
  kernel().WindowProc(Message(PMessageType::kActivate, 1));
  EXPECT_TRUE(kernel().IsActive());
  EXPECT_EQ(rig.calls, std::vector<std::string>{"10"});
  kernel().TrackScreenEdge(0, 599);
  EXPECT_EQ(kernel().GetScreenEdgeX(), -1);
  EXPECT_EQ(kernel().GetScreenEdgeY(), 1);
}

TEST_F(KernelEventTest, OnlyTheOutermostPixelOfTheScreenScrolls) {
  // The battlefield view's edge scrolling reads these directions: one rule for both.
  const int32_t w = kernel().GetScreenWidth();
  const int32_t h = kernel().GetScreenHeight();
  int32_t dx = 9, dy = 9;
  kernel().TrackScreenEdge(1, 1);
  kernel().GetEdgeScroll(dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  kernel().TrackScreenEdge(w - 2, h - 2);
  kernel().GetEdgeScroll(dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 0);
  kernel().TrackScreenEdge(w - 1, 0);
  kernel().GetEdgeScroll(dx, dy);
  EXPECT_EQ(dx, 1);
  EXPECT_EQ(dy, -1);
  kernel().TrackScreenEdge(0, h - 1);
  kernel().GetEdgeScroll(dx, dy);
  EXPECT_EQ(dx, -1);
  EXPECT_EQ(dy, 1);
}

TEST(KernelEventBeforeStartTest, KeysGoToDefaultHandlingAndACloseQuitsAtOnce) {
  KernelRig rig;
  rig.app = new RecordingApp(&rig.calls);
  EXPECT_EQ(rig.kernel->WindowProc(Message(PMessageType::kChar, 'a')), GKernel::kDefaultHandling);
  EXPECT_EQ(rig.kernel->WindowProc(Message(PMessageType::kKeyDown, kKeyLeft)), GKernel::kDefaultHandling);
  EXPECT_EQ(rig.kernel->WindowProc(Message(PMessageType::kSysChar, 'q')), GKernel::kDefaultHandling);
  EXPECT_TRUE(rig.calls.empty());
  rig.kernel->WindowProc(Message(PMessageType::kClose));
  EXPECT_TRUE(rig.kernel->IsQuitting());
  delete rig.app;
}
