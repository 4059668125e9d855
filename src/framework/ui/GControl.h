#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class GString;
class GString63;

// The clickable view: it tracks the mouse while a button is held, shows itself pressed while
// the mouse is over it, and fires (plays its click sound and sends its command up the view
// tree) when the mouse is released over it, or repeatedly while held when it auto-repeats.
class GControl : public GView {
 public:
  GControl();
  ~GControl() override;

  // Press inside, follow the mouse, fire on release (see the .cpp for the whole cycle).
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  void Track(int32_t x, int32_t y, uint8_t inside, uint8_t flag) override;
  void MouseUp(int32_t x, int32_t y, uint8_t rightButton) override;
  // Fires: the click sound, then the command (when >= 0) up the view tree.
  virtual void Activate();
  // Stores the pressed byte and invalidates the control when it changed.
  virtual void SetPressed(uint8_t pressed);

  // GView::Place, then tracking on and no command.
  void Place(GView* parent, int32_t left, int32_t top, int32_t width, int32_t height);
  // Place, the label from the string table (0: none), the command; no release command.
  void IControl(int16_t labelStringId, GView* parent, int32_t left, int32_t top, int32_t width, int32_t height,
                int32_t command);
  // Null deletes the label; otherwise a copy cut to 63 characters.
  void SetLabel(const GString* text);
  void SetLabelResource(int16_t id);
  const GString63* GetLabel() const { return label_; }
  void SetCommand(int32_t command) { command_ = command; }
  int32_t GetCommand() const { return command_; }
  void SetClickSound(int16_t sound) { clickSound_ = sound; }
  int16_t GetClickSound() const { return static_cast<int16_t>(clickSound_); }
  void SetAutoRepeat(uint16_t ms) {
    autoRepeat_ = 1;
    repeatInterval_ = ms;
  }
  bool IsAutoRepeat() const { return autoRepeat_ != 0; }
  int32_t GetValue() const { return value_; }
  // Invalidates the control when the value changes while it is visible.
  void SetValue(int32_t value);
  bool IsPressed() const { return pressed_ != 0; }
  // Set only while SetValue asks for the redraw.
  bool IsValueRedraw() const { return valueRedraw_ != 0; }

 protected:
  // Presses when the point is inside and the control is not pressed, releases when it is
  // pressed and the point is outside.
  void UpdatePressed(int32_t x, int32_t y);

  int32_t value_ = 0;
  int32_t spare1_ = 0;
  int32_t spare2_ = 1;
  int32_t command_ = -1;
  int32_t clickSound_ = 0;
  GString63* label_ = nullptr;
  uint16_t repeatInterval_ = 0;
  uint32_t lastFire_ = 0;
  uint8_t pressed_ = 0;
  uint8_t valueRedraw_ = 0;
  uint8_t autoRepeat_ = 0;
};
