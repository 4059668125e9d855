#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class GPopup;

// The modal list a GPopup opens: one row of 15 pixels for each item, the row under the mouse
// highlighted, disabled items grey. A click on a row chooses it and closes the list; a click
// outside closes it without a choice.
class GPopupList : public GView {
 public:
  static constexpr int32_t kRowHeight = 15;

  GPopupList();
  ~GPopupList() override;

  void Draw() override;
  // Chooses the row (a disabled row changes nothing), closes the list and sends the popup's
  // command.
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  // Moves the highlight to the enabled row under the mouse.
  void MouseMoved(int32_t x, int32_t y) override;
  // The list redraws itself on every idle pass.
  void TickAction() override;
  // Closes the list; no command.
  void ClickOutside() override;

  // Places the list on the root view, kept inside the screen vertically, and makes it the
  // top modal view.
  void Open(GPopup* popup, int32_t x, int32_t y, int32_t width, int32_t height, int32_t current);
  // The row at a local y, clamped to the items.
  int32_t ItemAt(int32_t y) const;
  int32_t GetHighlighted() const { return highlighted_; }
  GPopup* GetPopup() const { return popup_; }
  // The popup is going away: the list no longer refers to it.
  void ForgetPopup() { popup_ = nullptr; }

 private:
  int32_t highlighted_ = 0;
  GPopup* popup_ = nullptr;
};
