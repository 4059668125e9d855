#pragma once
#include <cstdint>

#include "framework/core/GObjectGroup.h"

class GControl;

// A group of radio buttons, of which exactly one is selected once a button has been added.
// It does not own its buttons; selecting keeps their values consistent (1 for the selected
// one, 0 for the others).
class CRadioGroup : public GObjectGroup {
 public:
  CRadioGroup() = default;
  ~CRadioGroup() override = default;

  // The group's storage, not owning its members; nothing selected.
  void Init();
  // Appends; the first button added becomes the selected one.
  void AddButton(GControl* button);
  // Nothing when the button is already selected.
  void SetSelected(GControl* button);
  // Fatal for an index outside the members.
  void SelectAt(int32_t index);
  // The selected button's index; the member count when none is selected.
  int32_t GetSelectedIndex();
  GControl* GetSelected() const { return selected_; }

  // Copying a radio group is not supported (fatal).
  GObject* CopyItself() const override;

 private:
  GControl* selected_ = nullptr;
};
