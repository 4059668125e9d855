#pragma once
#include <cstdint>
#include <memory>

#include "editor/EditorMapCanvas.h"
#include "editor/EditorMapGrids.h"
#include "framework/ui/GView.h"

class EditorState;
class GGraphic;
class Map;

// The map editor's map view: the map being edited drawn at 16 pixels a tile from the terrain
// sheet, columns growing to the right and rows upward from the bottom-left corner. It owns
// the editor's copy of the map (the grids); painting, the elevation tool and the zone tool
// write into the grids, a Control-click names a landmark, and the grids go back into the map
// when the screen is left or the map is visited in 3-D.
class EditorMapPreview : public GView {
 public:
  static constexpr int32_t kTilePixels = 16;
  static constexpr int32_t kSheetCell = 17;
  static constexpr int16_t kSheetPicture = 10019;
  static constexpr int32_t kLeft = 280;

  explicit EditorMapPreview(EditorState& state);
  ~EditorMapPreview() override;

  void Draw() override;
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  void Track(int32_t x, int32_t y, uint8_t inside, uint8_t flag) override;
  void MouseUp(int32_t x, int32_t y, uint8_t rightButton) override;

  // Fills the grids from the map, loads the sheet, places the view right of the controls over
  // the parent's full height and starts at the bottom-left corner.
  void Setup(GView* parent, Map* map);
  // Paints the current tool's value into the tile under the view point.
  void PaintAt(int32_t x, int32_t y);
  void DrawTile(int32_t x, int32_t y, bool toFront);
  // Moves the scroll position by whole tiles, kept within the map; redraws when it moved.
  void Scroll(int32_t dx, int32_t dy);
  // The tile under a view point (floor division, so points left of or below the view give
  // negative offsets).
  int32_t ColumnAt(int32_t x) const;
  int32_t RowAt(int32_t y) const;
  bool IsOnMap(int32_t column, int32_t row) const;
  // Rebuilds the map being edited from the grids.
  bool CommitToMap();

  int32_t GetWidthInTiles() const { return width_; }
  int32_t GetHeightInTiles() const { return height_; }
  void SetSizeInTiles(int32_t width, int32_t height);
  EditorMapGrids& Grids() { return grids_; }
  const EditorMapGrids& Grids() const { return grids_; }
  Map* GetMap() const { return map_; }
  // The map the grids go back into: the battle read back for a 3-D visit holds a new one.
  void SetMap(Map* map) { map_ = map; }
  int32_t ScrollColumn() const { return scrollColumn_; }
  int32_t ScrollRow() const { return scrollRow_; }
  bool ShowsElevation() const { return showElevation_ != 0; }
  void SetShowElevation(bool show);
  bool IsBrushEnlarged() const { return enlargedBrush_ != 0; }
  bool IsLandmarkClick() const { return landmarkClick_ != 0; }
  // Drawing goes to the canvas given (a test's recording), or back to the view with null.
  void SetCanvas(EditorMapCanvas* canvas) { canvas_ = canvas != nullptr ? canvas : ownCanvas_.get(); }

  // The colour a zone byte is painted in; bytes above 6 (99 where both sides meet) are grey.
  static EditorMapCanvas::Colour ZoneColour(int32_t zone);
  // The colour of the label of a level: the table is indexed by the clamped label number.
  static EditorMapCanvas::Colour LevelColour(int32_t level);

 private:
  EditorState& state_;
  EditorMapGrids grids_;
  std::unique_ptr<EditorMapCanvas> ownCanvas_;
  EditorMapCanvas* canvas_ = nullptr;
  GGraphic* sheet_ = nullptr;  // owned
  Map* map_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t scrollColumn_ = 0;
  int32_t scrollRow_ = 0;
  uint8_t showElevation_ = 1;
  uint8_t enlargedBrush_ = 0;
  uint8_t landmarkClick_ = 0;
};
