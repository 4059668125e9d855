// The kernel's view bookkeeping: modal and dirty views, keyboard focus, default buttons.
#include "framework/kernel/GViewRegistry.h"

#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GView.h"

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

namespace {

// A group that only refers to its members.
GObjectGroup* NewReferenceGroup() {
  auto* group = new GObjectGroup();
  group->Init();
  group->SetOwnsMembers(false);
  return group;
}

}  // namespace

GViewRegistry::GViewRegistry()
    : modalViews_(NewReferenceGroup()),
      dirtyViews_(NewReferenceGroup()),
      focusChain_(NewReferenceGroup()),
      // The buttons belong to their parent views and take themselves out as they go.
      defaultButtons_(NewReferenceGroup()) {}

GViewRegistry::~GViewRegistry() {
  focusView_ = nullptr;
  SafeDelete(dirtyViews_);
  SafeDelete(modalViews_);
  SafeDelete(focusChain_);
  SafeDelete(defaultButtons_);
}

// ---- View bookkeeping ----

void GViewRegistry::InvalidateView2D(GView* view) {
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

void GViewRegistry::Forget(GView* view) {
  if (view == nullptr) return;
  if (modalViews_ != nullptr && modalViews_->Contains(view)) modalViews_->Remove(view, false);
  if (dirtyViews_ != nullptr && dirtyViews_->Contains(view)) dirtyViews_->Remove(view, false);
  // A view that goes away leaves no pointer behind that a later message or idle pass would
  // follow.
  if (focusView_ == view) focusView_ = nullptr;
  if (focusChain_ != nullptr && focusChain_->Contains(view)) focusChain_->Remove(view, false);
  if (defaultButtons_ != nullptr && defaultButtons_->Contains(view)) defaultButtons_->Remove(view, false);
}

void GViewRegistry::PushModalView(GView* view) {
  if (modalViews_ != nullptr && view != nullptr) modalViews_->Append(view);
}

GView* GViewRegistry::GetTopModalView() const {
  if (modalViews_ == nullptr || modalViews_->Count() == 0) return nullptr;
  return static_cast<GView*>(modalViews_->GetItem(modalViews_->Count() - 1));
}

GGroup* GViewRegistry::GetFocusChain() const { return focusChain_; }
GGroup* GViewRegistry::GetDirtyViews() const { return dirtyViews_; }
GGroup* GViewRegistry::GetModalViews() const { return modalViews_; }

// ---- Keyboard focus ----

bool GViewRegistry::CanTakeFocus(GView* view) const {
  if (view == nullptr || focusChain_ == nullptr || !focusChain_->Contains(view)) return false;
  if (!view->IsVisible() || !view->IsEnabled()) return false;
  return InsideModal(GetTopModalView(), view);
}

void GViewRegistry::SetFocusView(GView* view) {
  if (focusView_ != nullptr) SetSelected(focusView_, false);
  focusView_ = view;
  if (focusView_ != nullptr) SetSelected(focusView_, true);
}

void GViewRegistry::FocusView(GView* view) {
  if (view == nullptr || view == focusView_ || !CanTakeFocus(view)) return;
  view->Invalidate();
  if (focusView_ != nullptr) focusView_->Invalidate();
  SetFocusView(view);
}

void GViewRegistry::FocusNext() {
  if (focusView_ == nullptr || focusChain_ == nullptr || focusChain_->Count() == 0) return;
  const int32_t at = focusChain_->IndexOf(focusView_);
  const int32_t next = (at + 1) % focusChain_->Count();
  FocusView(static_cast<GView*>(focusChain_->GetItem(next)));
}

void GViewRegistry::SetFocusChainMember(GView* view, bool add) {
  if (focusChain_ == nullptr || view == nullptr) return;
  if (view == focusView_) focusView_ = nullptr;
  if (add) {
    if (!focusChain_->Contains(view)) focusChain_->Append(view);
  } else if (focusChain_->Contains(view)) {
    focusChain_->Remove(view, false);
  }
}

void GViewRegistry::UpdateFocus() {
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

void GViewRegistry::AddDefaultButton(GButton* button) {
  if (defaultButtons_ != nullptr && button != nullptr) defaultButtons_->InsertAt(button, 0);
}

void GViewRegistry::RemoveDefaultButton(GButton* button) {
  if (defaultButtons_ != nullptr && button != nullptr && defaultButtons_->Contains(button))
    defaultButtons_->Remove(button, false);
}

GButton* GViewRegistry::FindDefaultButton() const {
  if (defaultButtons_ == nullptr) return nullptr;
  const GView* modal = GetTopModalView();
  for (int32_t i = 0; i < defaultButtons_->Count(); ++i) {
    GButton* button = static_cast<GButton*>(defaultButtons_->GetItem(i));
    if (button->IsVisible() && button->IsEnabled() && InsideModal(modal, button)) return button;
  }
  return nullptr;
}
