#pragma once
#include <cstdint>

#include "framework/ui/GButton.h"

class WRApplication;

// A button of an alert box. A click does not climb the view tree: the button keeps its
// command and restores the input mode saved when the box opened, which deletes the box; the
// command reaches the application's dispatcher from the button's destructor, so the box has
// left the screen before the command runs. A button never clicked sends 84, which does
// nothing.
class AlertButton : public GButton {
 public:
  static constexpr int32_t kNothing = 84;
  // The labels: "NO", "YES", "OK".
  enum Kind { kNo = 0, kYes = 1, kOk = 2 };

  AlertButton() = default;
  ~AlertButton() override;

  void Init(WRApplication* app, int32_t savedInputMode, int32_t kind, GView* parent, int32_t x, int32_t y,
            int32_t width, int32_t height);
  void Draw() override;
  void DoCommand(int32_t command) override;

  int32_t GetSavedInputMode() const { return savedInputMode_; }
  int32_t GetPendingCommand() const { return pendingCommand_; }

 private:
  WRApplication* app_ = nullptr;
  int32_t savedInputMode_ = 0;
  int32_t pendingCommand_ = kNothing;
};
