#include "editor/EditorScenarioLabel.h"

#include "StringIds.h"
#include "framework/core/GString31.h"

namespace {

constexpr uint32_t kScenarioLabelUntitled = 470;

}  // namespace

void EditorScenarioLabel::SetScenarioName(const GString* name, bool operation, GString31& currentName) {
  GString255 text;
  text.LoadResource(kStrScenarioName);
  if (name != nullptr) {
    name_.AssignString(*name);
  } else {
    name_.LoadResource(kScenarioLabelUntitled);
  }
  text.Append(name_);
  SetText(&text);
  if (typeLabel_ != nullptr) typeLabel_->SetTextResource(static_cast<int16_t>(operation ? kStrTypeOperation : kStrTypeBattle));
  currentName.Assign(name_.CStr());
  // The label draws no background of its own: its parent redraws it, so the old name does not
  // stay beneath the new one.
  if (GetParent() != nullptr) GetParent()->Invalidate();
}
