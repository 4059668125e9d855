#include "editor/EditorValueLabel.h"

#include "framework/core/GString255.h"
#include "framework/core/GString31.h"

void EditorValueLabel::Setup(GView* parent, int32_t x, int32_t y, int32_t width, int32_t value, const char* suffix) {
  // A plain placement: the label does not track the mouse and fires nothing.
  GView::Place(parent, x, y, width, kHeight);
  value_ = value;
  alignment_ = -1;
  colour_[0] = 200;
  colour_[1] = 200;
  colour_[2] = 255;
  if (suffix != nullptr) suffix_.Assign(suffix);
}

void EditorValueLabel::SetupWithResource(GView* parent, int32_t x, int32_t y, int32_t width, int32_t value,
                                         int16_t suffixId) {
  Setup(parent, x, y, width, value, nullptr);
  GString255 text;
  text.LoadResource(static_cast<uint32_t>(suffixId));
  suffix_.Assign(text.CStr());
}

void EditorValueLabel::SetColor(uint8_t r, uint8_t g, uint8_t b) {
  if (colour_[0] == r && colour_[1] == g && colour_[2] == b) return;
  colour_[0] = r;
  colour_[1] = g;
  colour_[2] = b;
  Invalidate();
}

void EditorValueLabel::SetLabelValue(int32_t value) {
  value_ = value;
  Invalidate();
}

void EditorValueLabel::AddValue(int32_t delta, bool suppressRedraw) {
  value_ += delta;
  if (!suppressRedraw) Invalidate();
}

void EditorValueLabel::GetDrawnText(GString& out) const {
  GString31 text;
  text.AssignNumber(value_);
  text.Append(suffix_);
  out.AssignString(text);
}

int32_t EditorValueLabel::AnchorX() const {
  if (alignment_ < 0) return 1;
  if (alignment_ == 0) return Width() / 2;
  return Width() - 1;
}

void EditorValueLabel::Draw() {
  GView::Draw();
  GString31 text;
  GetDrawnText(text);
  DrawText(&text, AnchorX(), 10, alignment_, 1, colour_[0], colour_[1], colour_[2]);
}
