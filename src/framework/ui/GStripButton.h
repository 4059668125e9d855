#pragma once
#include <cstdint>

#include "framework/ui/GButton.h"

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
  struct Style {
    int32_t frameCount;
    uint8_t hasDisabledFrame;
    uint8_t hasHoverFrame;
  };
  // The frames of a style 0..6; fatal for another style.
  static Style StyleOf(int32_t style);
  // The frame a strip shows: disabled, pressed, hover or normal, as the style allows.
  static int32_t ChooseFrame(bool enabled, bool pressed, bool hover, const Style& style);
  // The bounds of a loaded bitmap; false (and an empty rectangle) without one.
  static bool BitmapBounds(const GGraphic* graphic, GRect& out);
  // Draws frame of a strip bitmap at the view's top-left corner; fatal at line (of
  // "GControl") when the bitmap's height is not a multiple of the frame count.
  static void DrawFrame(GView& view, GGraphic* graphic, int32_t frame, int32_t frameCount, int32_t line);

  GStripButton();
  // Deletes the bitmap.
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
  bool IsHover() const { return hover_ != 0; }
  GGraphic* GetGraphic() const { return graphic_; }

 private:
  GGraphic* graphic_ = nullptr;
  uint8_t hasDisabledFrame_ = 0;
  uint8_t hasHoverFrame_ = 0;
  uint8_t hover_ = 0;
  uint8_t hoverOneShot_ = 0;
  int32_t frameCount_ = 1;
  int32_t style_ = 0;
};
