#include "app/ResourceLabel.h"

void ResourceLabel::Init(GView* parent, int32_t x, int32_t y, int16_t bitmapNumber, int32_t defaultId) {
  GPictureView::Init(parent, x, y, bitmapNumber);
  defaultId_ = defaultId;
  Show(0);
}

void ResourceLabel::Draw() {
  GPictureView::Draw();
  DrawText(&text_, Width() / 2, Height() / 2 + 4, 0, 0, 255, 255, 255);
}

void ResourceLabel::SetDefault(int32_t id) {
  defaultId_ = id;
  Show(0);
}

void ResourceLabel::Show(int32_t id) {
  const int32_t shown = id != 0 ? id : defaultId_;
  if (shown == shownId_ && text_.Length() > 0) return;
  shownId_ = shown;
  text_.LoadResource(static_cast<uint32_t>(shown));
  Invalidate();
}
