#include <gtest/gtest.h>

#include <algorithm>

#include "KernelRig.h"
#include "framework/core/GGroup.h"
#include "framework/kernel/GKernelSound.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/SoundTestSupport.h"
#include "platform/PAudioDevice.h"
#include "platform/PClock.h"

namespace {

uint64_t gNow = 0;

class FakeClock {
 public:
  FakeClock() {
    gNow = 1000;
    PClock::SetFake([] { return gNow; });
  }
  ~FakeClock() { PClock::SetFake(nullptr); }
};

class RecordingSound : public GKernelSound {
 public:
  bool IsEnabled() const override { return true; }
  void Update() override { ++updates; }
  void UpdateLoopingChannels() override { ++loopSteps; }
  int updates = 0;
  int loopSteps = 0;
};

}  // namespace

TEST(KernelFrameRateTest, FramesEvery20MsGiveFifty) {
  GKernel kernel;
  EXPECT_FLOAT_EQ(kernel.GetFrameRate(), 8.0f);
  kernel.MeasureFrameRate(1000);
  EXPECT_FLOAT_EQ(kernel.GetFrameRate(), 8.0f);  // one frame tells nothing
  for (uint32_t i = 1; i <= 5; ++i) {
    kernel.MeasureFrameRate(1000 + 20 * i);  // i x 1000 / (i x 20)
    EXPECT_FLOAT_EQ(kernel.GetFrameRate(), 50.0f);
  }
  for (uint32_t i = 6; i <= 20; ++i) {
    kernel.MeasureFrameRate(1000 + 20 * i);  // 6000 / 120
    EXPECT_FLOAT_EQ(kernel.GetFrameRate(), 50.0f);
  }
}

TEST(KernelFrameRateTest, FramesWithNoTimeBetweenThemLeaveTheRate) {
  GKernel kernel;
  // Seven frames in one millisecond: the seventh finds its stamp six frames back at the same
  // time, which gives no rate (and no division by zero).
  for (int i = 0; i < 7; ++i) kernel.MeasureFrameRate(700);
  EXPECT_FLOAT_EQ(kernel.GetFrameRate(), 8.0f);
  kernel.MeasureFrameRate(760);  // 6000 / (760 - 700)
  EXPECT_FLOAT_EQ(kernel.GetFrameRate(), 100.0f);
}

TEST(KernelIdleSoundTest, TheFullUpdateRunsOnlyAfterMoreThan332Ms) {
  FakeClock clock;
  GKernel kernel;
  auto sound = std::make_unique<RecordingSound>();
  RecordingSound* s = sound.get();
  kernel.InstallSound(std::move(sound));
  kernel.IdleSound();  // 1000 ms since the start value 0
  EXPECT_EQ(s->updates, 1);
  gNow = 1332;
  kernel.IdleSound();
  EXPECT_EQ(s->updates, 1);
  gNow = 1333;
  kernel.IdleSound();
  EXPECT_EQ(s->updates, 2);
  // A clock that went back runs the update at once.
  gNow = 10;
  kernel.IdleSound();
  EXPECT_EQ(s->updates, 3);
  EXPECT_EQ(s->loopSteps, 4);
}

// The kernel's sound step is the only timer of the sound manager's full update.
TEST(KernelIdleSoundTest, TheSoundManagerFinishesOneShotsOnlyAtTheThirdOfASecond) {
  FakeClock clock;
  soundtest::SoundFixture fixture;
  GKernel kernel;
  kernel.InstallSound(std::make_unique<GKernelSound>());
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(700, soundtest::Wave(soundtest::Pattern(100)));
  kernel.IdleSound();  // the first call updates
  m.PlaySound(700, 1);
  m.GetDevice()->Advance(100);
  gNow += 332;
  kernel.IdleSound();
  EXPECT_EQ(m.GetOneShotCount(), 1);
  gNow += 1;
  kernel.IdleSound();
  EXPECT_EQ(m.GetOneShotCount(), 0);
}

TEST(KernelIdleTest, FramesAreTimedAndDrawnOnlyWhileSomethingIsDirty) {
  KernelRig rig;
  rig.StartApp();
  FakeClock clock;
  // Draw what the start-up left dirty.
  rig.kernel->UpdateScreen();
  const int overlays = rig.app->overlays;
  gNow = 1020;
  rig.kernel->UpdateScreen();
  EXPECT_EQ(rig.app->overlays, overlays);  // nothing dirty, no frame
  rig.kernel->GetRootView()->Invalidate();
  rig.kernel->UpdateScreen();
  EXPECT_EQ(rig.app->overlays, overlays + 1);
  EXPECT_EQ(rig.kernel->GetFrameTick(), 1020u);
  EXPECT_EQ(rig.kernel->GetDirtyViews()->Count(), 0);
  gNow = 1050;
  rig.kernel->GetRootView()->Invalidate();
  rig.kernel->UpdateScreen();
  EXPECT_EQ(rig.kernel->GetFrameTime(), 30u);
  // An inactive program draws nothing.
  rig.kernel->SetActive(false);
  rig.kernel->GetRootView()->Invalidate();
  rig.kernel->UpdateScreen();
  EXPECT_EQ(rig.app->overlays, overlays + 2);
  rig.kernel->SetActive(true);
}

TEST(KernelIdleTest, ATwoDFramePresentsTheUnionOfItsDirtyViewsOnce) {
  KernelRig rig;
  rig.StartApp();
  rig.kernel->UpdateScreen();
  auto* left = new RecordingView(&rig.calls, "left");
  left->Place(nullptr, 10, 20, 100, 50);
  auto* right = new RecordingView(&rig.calls, "right");
  right->Place(nullptr, 300, 5, 40, 200);
  rig.kernel->GetDirtyViews()->DeleteAll(false);
  left->Invalidate();
  right->Invalidate();
  const size_t areas = rig.fake->PresentedAreas().size();
  const int presents = rig.fake->PresentCount();
  rig.kernel->UpdateScreen();
  ASSERT_EQ(rig.fake->PresentedAreas().size(), areas + 1);
  EXPECT_EQ(rig.fake->PresentCount(), presents + 1);
  EXPECT_EQ(rig.fake->PresentedAreas().back(), (PRect{10, 5, 340, 205}));
  // Nothing dirty: nothing presented.
  rig.kernel->UpdateScreen();
  EXPECT_EQ(rig.fake->PresentCount(), presents + 1);
  delete left;
  delete right;
}

TEST(KernelIdleTest, TheDirtyGroupKeepsOnlyTopmostViews) {
  KernelRig rig;
  rig.StartApp();
  rig.kernel->UpdateScreen();
  auto* parent = new RecordingView(&rig.calls, "parent");
  parent->Place(nullptr, 0, 0, 100, 100);
  auto* child = new RecordingView(&rig.calls, "child");
  child->Place(parent, 0, 0, 10, 10);
  GGroup* dirty = rig.kernel->GetDirtyViews();
  dirty->DeleteAll(false);
  rig.kernel->InvalidateView2D(child);
  EXPECT_EQ(dirty->Count(), 1);
  rig.kernel->InvalidateView2D(parent);
  ASSERT_EQ(dirty->Count(), 1);
  EXPECT_EQ(dirty->GetItem(0), parent);
  rig.kernel->InvalidateView2D(child);
  EXPECT_EQ(dirty->Count(), 1);
  delete child;
  delete parent;
}

TEST(KernelIdleTest, AViewThatQueuesItselfDuringItsTickGoesAtTheEndOfThePass) {
  KernelRig rig;
  rig.StartApp();
  auto* view = new RecordingView(&rig.calls, "view");
  view->Place(nullptr, 0, 0, 10, 10);
  view->SetTickInterval(0);
  // A child queued after its parent goes with the parent, and only once.
  auto* child = new RecordingView(&rig.calls, "child");
  child->Place(view, 0, 0, 5, 5);
  bool aliveAfterQueueing = false;
  view->onTick = [&](RecordingView* v) {
    rig.kernel->DeleteViewLater(v);
    rig.kernel->DeleteViewLater(child);
    aliveAfterQueueing = rig.kernel->GetRootView()->GetChildCount() == 1;
  };
  rig.kernel->TickViews();
  EXPECT_TRUE(aliveAfterQueueing);
  EXPECT_EQ(rig.kernel->GetRootView()->GetChildCount(), 0);
  EXPECT_TRUE(std::find(rig.calls.begin(), rig.calls.end(), "view deleted before display") != rig.calls.end());
  EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "child deleted before display"), 1);
  EXPECT_FALSE(rig.kernel->IsTicking());
}

TEST(KernelIdleDeathTest, DeferredDeletionOutsideATickPassIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  KernelRig rig;
  GView* root = rig.kernel->GetRootView();
  EXPECT_EXIT(rig.kernel->DeleteViewLater(root), testing::ExitedWithCode(3), "ERROR: GKernel line 4995");
}

TEST(KernelIdleTest, ClearScreenShowsAnEmptyFrame) {
  KernelRig rig;
  rig.StartApp();
  rig.kernel->UpdateScreen();
  const int presents = rig.fake->PresentCount();
  rig.kernel->ClearScreen(false);
  EXPECT_GT(rig.fake->PresentCount(), presents);
  // The blank view is gone again.
  EXPECT_EQ(rig.kernel->GetRootView()->GetChildCount(), 0);
}
