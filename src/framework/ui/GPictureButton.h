#pragma once
#include <cstdint>

#include "framework/ui/GButton.h"

class GGraphic;

// A push button drawn from separate pictures: one for the disabled, the pressed and the
// hover state, each optional. It has no normal picture: in its normal state the parent's
// drawing shows through.
class GPictureButton : public GButton {
 public:
  GPictureButton();
  // Deletes the pictures it has.
  ~GPictureButton() override;

  void SetEnabled(uint8_t enabled) override;
  void Draw() override;
  void MouseUp(int32_t x, int32_t y, uint8_t rightButton) override;
  void MouseMoved(int32_t x, int32_t y) override;
  void MouseLeft() override;
  void SetPressed(uint8_t pressed) override;

  // Pictures of kind 1 for the non-zero numbers; the button takes the size of the last one
  // made (with none, the parent's size).
  void IPictureButton(GView* parent, int32_t left, int32_t top, int32_t command, int16_t disabledNumber,
                      int16_t pressedNumber, int16_t hoverNumber);
  // The picture the next drawing shows, or null.
  GGraphic* CurrentPicture() const;
  bool IsHighlighted() const { return highlight_ != 0; }

 protected:
  GGraphic* disabledPicture_ = nullptr;
  GGraphic* pressedPicture_ = nullptr;
  GGraphic* hoverPicture_ = nullptr;
  uint8_t highlight_ = 0;
  uint8_t highlightOneShot_ = 0;
  // Highlight on hover even without a hover picture (subclasses set it).
  uint8_t highlightAlways_ = 0;
};
