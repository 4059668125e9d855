#pragma once
#include <cstdint>

#include "framework/ui/GStripButton.h"

class ResourceLabel;

// A strip button that puts its help text into a label while the mouse is over it and gives
// the label its default text back when the mouse leaves.
class HelpStripButton : public GStripButton {
 public:
  // The strip button, then the label (not owned) and the help string id.
  void IHelpStripButton(GView* parent, int32_t left, int32_t top, int32_t command, int16_t bitmapNumber,
                        int32_t style, ResourceLabel* label, int16_t helpStringId);
  void MouseMoved(int32_t x, int32_t y) override;
  void MouseLeft() override;

  int16_t GetHelpStringId() const { return helpId_; }

 private:
  int16_t helpId_ = 0;
  ResourceLabel* label_ = nullptr;
};
