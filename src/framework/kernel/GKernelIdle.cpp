// The kernel's idle chain and frame update: screen edges, the views' tick pass with deferred
// deletion, the application's idle step, keyboard focus and default buttons, the frame with
// its frame-rate meter, the sound step and the surface restore.
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/GKernel.h"
#include "framework/kernel/GKernelRenderer.h"
#include "framework/kernel/GKernelSound.h"
#include "framework/kernel/GViewRegistry.h"
#include "framework/media/GGraphicsStore.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundWaitHandles.h"
#include "framework/ui/GButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"
#include "platform/PDisplay.h"


// ---- The frame ----

void GKernel::UpdateScreen() {
  if (!active_) return;
  GGroup* const dirtyViews = GetDirtyViews();
  const bool anyDirty = dirtyViews != nullptr && dirtyViews->Count() > 0;
  if (!anyDirty && !is3D_) return;

  const uint32_t now = TickCount();
  frameTime_ = now - lastFrameTick_;
  lastFrameTick_ = now;
  if (measureFrameRate_) MeasureFrameRate(now);
  inFrameUpdate_ = 1;
  const bool started = HasApplicationStarted();

  if (is3D_) {
    if (!renderer_ || !renderer_->IsReady()) FatalError(4806, "GKernel");
    const bool ok = renderer_->RenderBegin();
    if (ok) {
      if (rootView_ != nullptr) rootView_->DrawAll();
      if (separateCard_) {
        int32_t x = 0;
        int32_t y = 0;
        GetCursorPos(x, y);
        renderer_->DrawCursor(x, y);
      }
    }
    if (started && application_ != nullptr) application_->DrawOverlay();
    if (ok) renderer_->RenderEnd();
    else RestoreAllSurfaces();
  } else {
    // Views invalidated while the frame is drawn wait for the next one: the walk goes over
    // the members as they stood.
    std::vector<GView*> views;
    GRect bounds{32767, 32767, -32767, -32767};
    if (dirtyViews != nullptr) {
      for (int32_t i = 0; i < dirtyViews->Count(); ++i) {
        GView* view = static_cast<GView*>(dirtyViews->GetItem(i));
        views.push_back(view);
        const GRect& r = view->Bounds();
        if (r.left < bounds.left) bounds.left = r.left;
        if (r.top < bounds.top) bounds.top = r.top;
        if (r.right > bounds.right) bounds.right = r.right;
        if (r.bottom > bounds.bottom) bounds.bottom = r.bottom;
      }
    }
    // Each view's outermost drawing copies its rectangle to the front surface; the screen
    // then shows their bounding rectangle once.
    for (GView* view : views) view->DrawAll();
    if (!bounds.IsEmpty() && display_ != nullptr) display_->PresentArea(bounds);
    if (started && application_ != nullptr) application_->DrawOverlay();
  }
  if (dirtyViews != nullptr) dirtyViews->DeleteAll(false);
  inFrameUpdate_ = 0;
}

void GKernel::MeasureFrameRate(uint32_t now) {
  const int32_t i = frameRingIndex_;
  if (i < 0 || i > 5) FatalError(4914, "GKernel");
  if (frameStamps_[i] != 0) {
    // Two frames in the same millisecond give no rate; the last one stands.
    const uint32_t span = now - frameStamps_[i];
    if (span > 0) framesPerSecond_ = static_cast<float>(6000.0 / static_cast<double>(span));
  } else if (i > 0 && frameStamps_[0] < now) {
    framesPerSecond_ = static_cast<float>(i * 1000.0 / static_cast<double>(now - frameStamps_[0]));
  }
  frameStamps_[i] = now;
  frameRingIndex_ = i >= 5 ? 0 : i + 1;
}

void GKernel::ClearScreen(bool eraseRootChildren) {
  if (rootView_ == nullptr) return;
  if (eraseRootChildren) rootView_->DeleteChildren();
  GView* blank = new GView();
  blank->Place(rootView_, -1, -1, rootView_->Width(), rootView_->Height());
  blank->Invalidate();
  UpdateScreen();
  SafeDelete(blank);
}

// ---- The tick pass ----

void GKernel::TickViews() {
  deferredDeletions_ = new GObjectGroup();
  deferredDeletions_->Init();
  ticking_ = 1;
  if (rootView_ != nullptr) rootView_->Tick(TickCount());
  ticking_ = 0;
  // One by one: a view deleted with a queued parent leaves the queue (ForgetView) before its
  // turn, so no view is deleted twice.
  while (GObject* view = deferredDeletions_->PopFirst()) delete view;
  SafeDelete(deferredDeletions_);

  if (application_ != nullptr) application_->Idle();

  const int32_t request = GetDisplayRequest();
  if (request > 0) {
    FinishDisplaySetUp((request & 1) != 0, request >= kAccept3D);
    SetDisplayRequest(kNoDisplayRequest);
  }
}

void GKernel::DeleteViewLater(GView* view) {
  if (!ticking_) FatalError(4995, "GKernel");
  if (deferredDeletions_ == nullptr) FatalError(4997, "GKernel");
  if (view != nullptr && !deferredDeletions_->Contains(view)) deferredDeletions_->Append(view);
}

// ---- View bookkeeping, served by the view registry ----

void GKernel::InvalidateView2D(GView* view) {
  if (views_) views_->InvalidateView2D(view);
}

void GKernel::ForgetView(GView* view) {
  if (view == nullptr) return;
  if (views_) views_->Forget(view);
  if (deferredDeletions_ != nullptr) deferredDeletions_->RemoveObject(view, false);
  // A view that goes away leaves no pointer behind that a later message would follow.
  if (tracker_ == view) tracker_ = nullptr;
}

void GKernel::PushModalView(GView* view) {
  if (views_) views_->PushModalView(view);
}

GView* GKernel::GetTopModalView() const { return views_ ? views_->GetTopModalView() : nullptr; }
GGroup* GKernel::GetFocusChain() const { return views_ ? views_->GetFocusChain() : nullptr; }
GGroup* GKernel::GetDirtyViews() const { return views_ ? views_->GetDirtyViews() : nullptr; }
GGroup* GKernel::GetModalViews() const { return views_ ? views_->GetModalViews() : nullptr; }
GView* GKernel::GetFocusView() const { return views_ ? views_->GetFocusView() : nullptr; }
bool GKernel::CanTakeFocus(GView* view) const { return views_ && views_->CanTakeFocus(view); }

void GKernel::SetFocusView(GView* view) {
  if (views_) views_->SetFocusView(view);
}

void GKernel::FocusView(GView* view) {
  if (views_) views_->FocusView(view);
}

void GKernel::FocusNext() {
  if (views_) views_->FocusNext();
}

void GKernel::SetFocusChainMember(GView* view, bool add) {
  if (views_) views_->SetFocusChainMember(view, add);
}

void GKernel::UpdateFocus() {
  if (views_) views_->UpdateFocus();
}

void GKernel::AddDefaultButton(GButton* button) {
  if (views_) views_->AddDefaultButton(button);
}

void GKernel::RemoveDefaultButton(GButton* button) {
  if (views_) views_->RemoveDefaultButton(button);
}

GButton* GKernel::FindDefaultButton() const { return views_ ? views_->FindDefaultButton() : nullptr; }

// ---- Screen edge, sound and surfaces ----

void GKernel::TrackScreenEdge(int32_t x, int32_t y) {
  if (!active_) {
    screenEdgeX_ = 0;
    screenEdgeY_ = 0;
    return;
  }
  const int32_t marginX = separateCard_ ? 2 : 1;
  const int32_t marginY = separateCard_ ? 3 : 1;
  screenEdgeX_ = x < 1 ? -1 : (x < screenWidth_ - marginX ? 0 : 1);
  screenEdgeY_ = y < 1 ? -1 : (y < screenHeight_ - marginY ? 0 : 1);
}

void GKernel::IdleSound() {
  if (!sound_) return;
  const uint32_t now = TickCount();
  if (now < lastSoundUpdate_ || now - lastSoundUpdate_ > GSoundManager::kUpdateIntervalMs - 1) {
    lastSoundUpdate_ = now;
    sound_->Update();
  }
  sound_->UpdateLoopingChannels();
}

void GKernel::SetWaitHandles(GSoundChannel* owner, PSignal* const* pair) {
  GSoundWaitHandles::Global().Set(owner, pair);
}

int32_t GKernel::GetWaitHandleCount() const { return GSoundWaitHandles::Global().Count(); }

void GKernel::RestoreAllSurfaces() {
  if (graphicsStore_) graphicsStore_->ReloadAll();
  if (display_ != nullptr) {
    const PResult result = display_->RestoreAllSurfaces();
    if (result != PResult::kOk) {
      GErrorLog::LogValue("RestoreAllSurfaces Error = ", PResultCode(result));
      FatalError(6388, "GKernel");
    }
  }
  if (rootView_ != nullptr) rootView_->Invalidate();
}
