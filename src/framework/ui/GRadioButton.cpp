#include "framework/ui/GRadioButton.h"

#include "framework/core/Quorl.h"
#include "framework/ui/CRadioGroup.h"

GRadioButton::GRadioButton() = default;

void GRadioButton::IRadioButton(CRadioGroup* group, int16_t labelStringId, GView* parent, int32_t left,
                                int32_t top, int32_t width, int32_t height) {
  if (group == nullptr) FatalError(__LINE__, "GControl");
  GControl::Place(parent, left, top, width, height);
  SetLabelResource(labelStringId);
  group_ = group;
  group_->AddButton(this);
}

void GRadioButton::Activate() {
  if (group_ != nullptr) group_->SetSelected(this);
  GControl::Activate();
}
