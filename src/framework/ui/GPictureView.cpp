#include "framework/ui/GPictureView.h"

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"

GPictureView::GPictureView() = default;

GPictureView::~GPictureView() { SafeDelete(graphic_); }

void GPictureView::Init(GView* parent, int32_t x, int32_t y, int16_t bitmapNumber) {
  InitOfKind(0, parent, x, y, bitmapNumber);
}

void GPictureView::InitKind1(GView* parent, int32_t x, int32_t y, int16_t bitmapNumber) {
  InitOfKind(1, parent, x, y, bitmapNumber);
}

void GPictureView::InitOfKind(int32_t kind, GView* parent, int32_t x, int32_t y, int16_t bitmapNumber) {
  SafeDelete(graphic_);
  graphic_ = new GGraphic;
  graphic_->Load(kind, bitmapNumber, 0, false);
  if (graphic_->GetStub() == nullptr) {
    // An excluded bitmap, or one the loading pass will load again: the view takes one pixel
    // and shows nothing.
    Place(parent, x, y, 1, 1);
    return;
  }
  GRect bounds;
  graphic_->GetBounds(bounds);
  Place(parent, x, y, bounds.Width(), bounds.Height());
}

void GPictureView::Draw() {
  if (graphic_ == nullptr) FatalError(1111, "GView");
  if (graphic_->GetStub() == nullptr) return;
  DrawGraphic(graphic_, 0, 0);
}
