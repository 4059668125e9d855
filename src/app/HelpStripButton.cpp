#include "app/HelpStripButton.h"

#include "app/ResourceLabel.h"

void HelpStripButton::MouseMoved(int32_t x, int32_t y) {
  GStripButton::MouseMoved(x, y);
  if (helpLine_ != nullptr) helpLine_->Show(helpId_);
}

void HelpStripButton::MouseLeft() {
  GStripButton::MouseLeft();
  if (helpLine_ != nullptr) helpLine_->Show(0);
}
