#include "game/ui/ResourceLabel.h"

ResourceLabel::ResourceLabel(GView* parent, int32_t left, int32_t top, int16_t pictureNumber,
                             int16_t defaultStringId) {
  Init(parent, left, top, pictureNumber);
  shownId_ = -1;
  SetStringId(defaultStringId);
}

void ResourceLabel::SetStringId(int16_t id) {
  defaultId_ = id;
  ShowStringId(id);
}

void ResourceLabel::ShowStringId(int16_t id) {
  if (id == 0) id = defaultId_;
  if (id == shownId_) return;
  shownId_ = id;
  if (id != 0) {
    text_.LoadResource(static_cast<uint16_t>(id));
    ++loads_;
  }
  Invalidate();
}

void ResourceLabel::Draw() {
  GPictureView::Draw();
  DrawShadowedText(&text_, Width() / 2, 12, 0, 2, 255, 255, 255, 100, 0, 0, 0);
}
