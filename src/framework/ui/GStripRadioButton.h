#pragma once
#include <cstdint>

#include "framework/ui/GRadioButton.h"
#include "framework/ui/GStripFrames.h"

class GGraphic;

// A radio button drawn from the frames of one bitmap, in the frame styles 0..5 of
// GStripButton; the selected button shows its pressed frame.
class GStripRadioButton : public GRadioButton {
 public:
  GStripRadioButton();
  ~GStripRadioButton() override;

  void SetEnabled(uint8_t enabled) override;
  void Draw() override;
  void MouseUp(int32_t x, int32_t y, uint8_t rightButton) override;
  void MouseMoved(int32_t x, int32_t y) override;
  void MouseLeft() override;

  // Loads bitmap number (kind 0), places the button one frame high and joins the group. The
  // second argument is not used. No command is set.
  void IStripRadioButton(CRadioGroup* group, int32_t unused, GView* parent, int32_t left, int32_t top,
                         int16_t bitmapNumber, int32_t style);
  int32_t CurrentFrame() const;
  bool IsHover() const { return frames_.IsHover(); }

 private:
  GStripFrames frames_;
};
