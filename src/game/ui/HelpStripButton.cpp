#include "game/ui/HelpStripButton.h"

#include "game/ui/ResourceLabel.h"

void HelpStripButton::IHelpStripButton(GView* parent, int32_t left, int32_t top, int32_t command,
                                       int16_t bitmapNumber, int32_t style, ResourceLabel* label,
                                       int16_t helpStringId) {
  IStripButton(parent, left, top, command, bitmapNumber, style);
  label_ = label;
  helpId_ = helpStringId;
}

void HelpStripButton::MouseMoved(int32_t x, int32_t y) {
  GStripButton::MouseMoved(x, y);
  if (label_ != nullptr) label_->ShowStringId(helpId_);
}

void HelpStripButton::MouseLeft() {
  GStripButton::MouseLeft();
  if (label_ != nullptr) label_->ShowStringId(0);
}
