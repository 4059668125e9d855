#pragma once
#include <cstdint>

#include "framework/ui/GButton.h"
#include "framework/ui/GStripFrames.h"

class GGraphic;

// A push button drawn from the frames of one bitmap stacked vertically (frame 0 at the top).
// The style decides how many frames there are and which of them exist:
//   style  frames  disabled frame  hover frame  use
//   0      2       no              no           0 normal, 1 pressed
//   1      2       no              yes          0 normal, 1 pressed and hover
//   2      3       yes             no           0 normal, 1 pressed, 2 disabled
//   3      3       no              yes          0 normal, 1 pressed, 2 hover
//   4      4       yes             yes          0 normal, 1 pressed, 2 disabled, 3 hover
//   5      1       no              no           0 always
//   6      1       no              no           drawn only while pressed; redraws on release
//                                               go to the parent
class GStripButton : public GButton {
 public:
  GStripButton();
  ~GStripButton() override;

  void SetEnabled(uint8_t enabled) override;
  void Draw() override;
  void MouseUp(int32_t x, int32_t y, uint8_t rightButton) override;
  void MouseMoved(int32_t x, int32_t y) override;
  void MouseLeft() override;
  void SetPressed(uint8_t pressed) override;

  // Loads bitmap number (kind 0) and places the button one frame high.
  void IStripButton(GView* parent, int32_t left, int32_t top, int32_t command, int16_t bitmapNumber, int32_t style);
  // The frame the next drawing shows.
  int32_t CurrentFrame() const;
  int32_t GetStyle() const { return style_; }
  bool IsHover() const { return frames_.IsHover(); }
  GGraphic* GetGraphic() const { return frames_.Graphic(); }

 private:
  GStripFrames frames_;
  int32_t style_ = 0;
};
