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
#include "framework/media/GGraphicsStore.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundWaitHandles.h"
#include "framework/ui/GButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"
#include "platform/PDisplay.h"

namespace {

// Whether view lies in the top modal view's subtree (the modal view itself included), or
// there is no modal view.
bool InsideModal(const GView* modal, const GView* view) {
  return modal == nullptr || modal == view || modal->IsAncestorOf(view);
}

void SetSelected(GView* view, bool selected) {
  if (auto* entry = dynamic_cast<GTextEntry*>(view)) entry->SetSelected(selected ? 1 : 0);
}

}  // namespace

// ---- The frame ----

void GKernel::UpdateScreen() {
  if (!active_) return;
  const bool anyDirty = dirtyViews_ != nullptr && dirtyViews_->Count() > 0;
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
    if (dirtyViews_ != nullptr) {
      for (int32_t i = 0; i < dirtyViews_->Count(); ++i) {
        GView* view = static_cast<GView*>(dirtyViews_->GetItem(i));
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
  if (dirtyViews_ != nullptr) dirtyViews_->DeleteAll(false);
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

// ---- View bookkeeping ----

void GKernel::InvalidateView2D(GView* view) {
  if (dirtyViews_ == nullptr || view == nullptr) return;
  for (int32_t i = 0; i < dirtyViews_->Count(); ++i) {
    const GView* member = static_cast<const GView*>(dirtyViews_->GetItem(i));
    if (member == view || member->IsAncestorOf(view)) return;
  }
  for (int32_t i = dirtyViews_->Count() - 1; i >= 0; --i) {
    GView* member = static_cast<GView*>(dirtyViews_->GetItem(i));
    if (view->IsAncestorOf(member)) dirtyViews_->RemoveAt(i, false);
  }
  dirtyViews_->Append(view);
}

void GKernel::ForgetView(GView* view) {
  if (view == nullptr) return;
  if (modalViews_ != nullptr && modalViews_->Contains(view)) modalViews_->Remove(view, false);
  if (dirtyViews_ != nullptr && dirtyViews_->Contains(view)) dirtyViews_->Remove(view, false);
  // A view that goes away leaves no pointer behind that a later message or idle pass would
  // follow.
  if (tracker_ == view) tracker_ = nullptr;
  if (focusView_ == view) focusView_ = nullptr;
  if (focusChain_ != nullptr && focusChain_->Contains(view)) focusChain_->Remove(view, false);
  if (defaultButtons_ != nullptr && defaultButtons_->Contains(view)) defaultButtons_->Remove(view, false);
}

void GKernel::PushModalView(GView* view) {
  if (modalViews_ != nullptr && view != nullptr) modalViews_->Append(view);
}

GView* GKernel::GetTopModalView() const {
  if (modalViews_ == nullptr || modalViews_->Count() == 0) return nullptr;
  return static_cast<GView*>(modalViews_->GetItem(modalViews_->Count() - 1));
}

GGroup* GKernel::GetFocusChain() const { return focusChain_; }
GGroup* GKernel::GetDirtyViews() const { return dirtyViews_; }
GGroup* GKernel::GetModalViews() const { return modalViews_; }

// ---- Keyboard focus ----

bool GKernel::CanTakeFocus(GView* view) const {
  if (view == nullptr || focusChain_ == nullptr || !focusChain_->Contains(view)) return false;
  if (!view->IsVisible() || !view->IsEnabled()) return false;
  return InsideModal(GetTopModalView(), view);
}

void GKernel::SetFocusView(GView* view) {
  if (focusView_ != nullptr) SetSelected(focusView_, false);
  focusView_ = view;
  if (focusView_ != nullptr) SetSelected(focusView_, true);
}

void GKernel::FocusView(GView* view) {
  if (view == nullptr || view == focusView_ || !CanTakeFocus(view)) return;
  view->Invalidate();
  if (focusView_ != nullptr) focusView_->Invalidate();
  SetFocusView(view);
}

void GKernel::FocusNext() {
  if (focusView_ == nullptr || focusChain_ == nullptr || focusChain_->Count() == 0) return;
  const int32_t at = focusChain_->IndexOf(focusView_);
  const int32_t next = (at + 1) % focusChain_->Count();
  FocusView(static_cast<GView*>(focusChain_->GetItem(next)));
}

void GKernel::SetFocusChainMember(GView* view, bool add) {
  if (focusChain_ == nullptr || view == nullptr) return;
  if (view == focusView_) focusView_ = nullptr;
  if (add) {
    if (!focusChain_->Contains(view)) focusChain_->Append(view);
  } else if (focusChain_->Contains(view)) {
    focusChain_->Remove(view, false);
  }
}

void GKernel::UpdateFocus() {
  if (focusChain_ == nullptr) return;
  const int32_t count = focusChain_->Count();
  if (focusView_ == nullptr && count == 0) return;
  GView* const old = focusView_;
  GView* focus = focusView_;
  if (focus == nullptr) focus = static_cast<GView*>(focusChain_->GetItem(0));
  if (!CanTakeFocus(focus)) {
    GView* const start = focus;
    // Every member is tried at most once, also when the walk starts outside the chain.
    GView* found = nullptr;
    for (int32_t step = 0; step < count; ++step) {
      const int32_t at = focusChain_->IndexOf(focus);
      focus = static_cast<GView*>(focusChain_->GetItem((at + 1) % count));
      if (focus == start) break;
      if (CanTakeFocus(focus)) {
        found = focus;
        break;
      }
    }
    focus = found;
  }
  if (focus == old) return;
  if (old != nullptr && focusChain_->Contains(old)) old->Invalidate();
  if (focus != nullptr) focus->Invalidate();
  SetFocusView(focus);
}

// ---- Default buttons ----

void GKernel::AddDefaultButton(GButton* button) {
  if (defaultButtons_ != nullptr && button != nullptr) defaultButtons_->InsertAt(button, 0);
}

void GKernel::RemoveDefaultButton(GButton* button) {
  if (defaultButtons_ != nullptr && button != nullptr && defaultButtons_->Contains(button))
    defaultButtons_->Remove(button, false);
}

GButton* GKernel::FindDefaultButton() const {
  if (defaultButtons_ == nullptr) return nullptr;
  const GView* modal = GetTopModalView();
  for (int32_t i = 0; i < defaultButtons_->Count(); ++i) {
    GButton* button = static_cast<GButton*>(defaultButtons_->GetItem(i));
    if (button->IsVisible() && button->IsEnabled() && InsideModal(modal, button)) return button;
  }
  return nullptr;
}

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
