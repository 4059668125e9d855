#include "framework/ui/GView.h"

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"

GView::GView() : backColor_(gBlackPixel) {}

int32_t GView::GetChildCount() const { return children_ != nullptr ? children_->Count() : 0; }

GView* GView::GetChild(int32_t index) const {
  if (children_ == nullptr) FatalError(__LINE__, "GView");
  return static_cast<GView*>(children_->GetItem(index));
}

void GView::ClipRect(GRect& r) const {
  if (r.left < rect_.left) r.left = rect_.left;
  if (r.top < rect_.top) r.top = rect_.top;
  if (r.right > rect_.right) r.right = rect_.right;
  if (r.bottom > rect_.bottom) r.bottom = rect_.bottom;
  if (r.left > r.right) r.left = r.right;
  if (r.top > r.bottom) r.top = r.bottom;
}

bool GView::IsAncestorOf(const GView* v) const {
  if (children_ == nullptr) return false;
  if (v == nullptr) return true;
  for (const GView* p = v->parent_; p != nullptr; p = p->parent_) {
    if (p == this) return true;
  }
  return false;
}

bool GView::IsVisible() const {
  for (const GView* v = this; v != nullptr; v = v->parent_) {
    if (!v->visible_) return false;
  }
  return true;
}

bool GView::IsEnabled() const {
  for (const GView* v = this; v != nullptr; v = v->parent_) {
    if (!v->enabled_) return false;
  }
  return true;
}
