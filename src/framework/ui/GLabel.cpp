#include "framework/ui/GLabel.h"

GLabel::GLabel() = default;

void GLabel::InitWithText(GView* parent, int32_t x, int32_t y, int32_t width, const char* text) {
  Place(parent, x, y, width, kHeight);
  if (text != nullptr) {
    GString255 copy;
    copy.Assign(text);
    SetText(&copy);
  }
}

void GLabel::InitWithResource(GView* parent, int32_t x, int32_t y, int32_t width, int16_t stringId) {
  Place(parent, x, y, width, kHeight);
  SetTextResource(stringId);
}

void GLabel::SetText(const GString* text) {
  if (text == nullptr) text_.Clear();
  else text_.AssignString(*text);
  Invalidate();
}

void GLabel::SetTextResource(int16_t id) {
  GString255 text;
  text.LoadResource(static_cast<uint32_t>(static_cast<uint16_t>(id)));
  SetText(&text);
}

int32_t GLabel::AnchorX() const {
  if (alignment_ < 0) return 1;
  if (alignment_ == 0) return Width() / 2;
  return Width() - 1;
}

void GLabel::Draw() {
  if (fill_) GView::Draw();
  const int32_t x = AnchorX();
  if (shadow_) {
    DrawText(&text_, x, 13, alignment_, font_, shadowColour_[0], shadowColour_[1], shadowColour_[2]);
    DrawText(&text_, x - 1, 12, alignment_, font_, colour_[0], colour_[1], colour_[2]);
  } else {
    DrawText(&text_, x, 12, alignment_, font_, colour_[0], colour_[1], colour_[2]);
  }
}
