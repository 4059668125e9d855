#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/GView.h"

class EditorState;

// The map editor's status line: the name of the code the paint tool paints with, the
// elevation tool's level with its keys, or the zone mode's name.
class EditorStatusLine : public GView {
 public:
  struct Line {
    std::string text;
    int32_t y = 0;
  };

  explicit EditorStatusLine(EditorState& state) : state_(state) {}
  void Draw() override;
  void Setup(GView* parent);
  // The texts the line shows for the editor's current tool, top down.
  std::vector<Line> Lines() const;

 private:
  EditorState& state_;
};
