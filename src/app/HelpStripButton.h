#pragma once
#include <cstdint>

#include "framework/ui/GStripButton.h"

class ResourceLabel;

// A strip button that names what it does in a help line while the mouse is over it.
class HelpStripButton : public GStripButton {
 public:
  HelpStripButton() = default;
  ~HelpStripButton() override = default;

  // The help line must outlive the button (both belong to one screen).
  void SetHelp(int32_t helpId, ResourceLabel* helpLine) {
    helpId_ = helpId;
    helpLine_ = helpLine;
  }
  int32_t GetHelpId() const { return helpId_; }
  void MouseMoved(int32_t x, int32_t y) override;
  void MouseLeft() override;

 private:
  int32_t helpId_ = 0;
  ResourceLabel* helpLine_ = nullptr;
};
