#pragma once
#include <cstdint>

#include "framework/ui/GControl.h"

class CRadioGroup;

// A control that is one of a radio group: firing selects it in its group (value 1) and
// deselects the group's other button.
class GRadioButton : public GControl {
 public:
  GRadioButton();
  ~GRadioButton() override = default;

  // Selects this button in its group, then fires as a control does.
  void Activate() override;

  // Places the button, sets its label and joins the group.
  void IRadioButton(CRadioGroup* group, int16_t labelStringId, GView* parent, int32_t left, int32_t top,
                    int32_t width, int32_t height);
  bool IsOn() const { return value_ == 1; }
  CRadioGroup* GetGroup() const { return group_; }

 protected:
  CRadioGroup* group_ = nullptr;
};
