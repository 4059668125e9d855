// The map editor's status line.
#include "editor/EditorStatusLine.h"

#include "editor/EditorState.h"
#include "framework/core/GString255.h"
#include "game/map/TerrainCodeTable.h"

namespace {

std::string Resource(int32_t id) {
  GString255 text;
  text.LoadResource(static_cast<uint32_t>(id));
  return text.CStr();
}

}  // namespace

void EditorStatusLine::Setup(GView* parent) { Place(parent, 122, 179, 158, 30); }

std::vector<EditorStatusLine::Line> EditorStatusLine::Lines() const {
  if (state_.toolMode == 0) {
    const int32_t id = TerrainCodeTable::KindString(state_.GetPaletteCode());
    return {Line{id >= 0 ? Resource(id) : std::string(), 20}};
  }
  if (state_.toolMode == 1) {
    return {Line{Resource(1040) + std::to_string(state_.elevationLevel + 1), 8}, Line{Resource(1041), 18},
            Line{Resource(1042), 28}};
  }
  return {Line{Resource(1044), 20}};
}

void EditorStatusLine::Draw() {
  GView::Draw();
  GString255 text;
  for (const Line& line : Lines()) {
    text.Assign(line.text.c_str());
    DrawText(&text, 2, line.y, -1, 1, 255, 255, 255);
  }
}
