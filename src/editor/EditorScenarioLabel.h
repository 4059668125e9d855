#pragma once
#include <cstdint>

#include "framework/core/GString255.h"
#include "framework/ui/GLabel.h"

class GString31;

// The main screen's "Scenario Name: " line with the scenario's name, and the type line below
// it that it keeps up to date.
class EditorScenarioLabel : public GLabel {
 public:
  EditorScenarioLabel() = default;
  ~EditorScenarioLabel() override = default;

  void SetTypeLabel(GLabel* label) { typeLabel_ = label; }
  GLabel* GetTypeLabel() const { return typeLabel_; }
  // Shows "Scenario Name: " and the name ("Untitled" for none), the type line "Type:
  // Operation" or "Type: Battle"; the application's scenario name (currentName) becomes the
  // name cut to 31 characters.
  void SetScenarioName(const GString* name, bool operation, GString31& currentName);
  const GString255& GetName() const { return name_; }

 private:
  GLabel* typeLabel_ = nullptr;
  GString255 name_;
};
