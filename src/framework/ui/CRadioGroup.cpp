#include "framework/ui/CRadioGroup.h"

#include "framework/core/Quorl.h"
#include "framework/ui/GControl.h"

void CRadioGroup::Init() {
  IGroup();
  SetOwnsMembers(false);
  selected_ = nullptr;
}

void CRadioGroup::AddButton(GControl* button) {
  InsertAt(button, -1);
  if (Count() == 1) SetSelected(button);
}

void CRadioGroup::SetSelected(GControl* button) {
  if (button == selected_) return;
  if (button != nullptr) button->SetValue(1);
  if (selected_ != nullptr) selected_->SetValue(0);
  selected_ = button;
}

void CRadioGroup::SelectAt(int32_t index) { SetSelected(static_cast<GControl*>(GetItem(index))); }

int32_t CRadioGroup::GetSelectedIndex() {
  const int32_t count = Count();
  GObject** members = Lock();
  int32_t index = count;
  for (int32_t i = 0; i < count; ++i) {
    if (members[i] == selected_) {
      index = i;
      break;
    }
  }
  Unlock();
  return index;
}

GObject* CRadioGroup::CopyItself() const { FatalError(0, "CRadioGroup::CopyItself is not supported."); }
