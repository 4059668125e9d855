#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class EditorState;

// Holds the three tool buttons of the map editor and frames the current tool's button.
class EditorToolPanel : public GView {
 public:
  explicit EditorToolPanel(EditorState& state) : state_(state) {}
  void Draw() override;
  // Places the panel and makes the paint, elevation and zone buttons (commands 138 to 140).
  void Setup(GView* parent);

 private:
  EditorState& state_;
};
