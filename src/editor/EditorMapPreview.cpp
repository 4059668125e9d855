// The map editor's map view: drawing the tiles with their elevation labels, landmark marks
// and grid lines, painting with the three tools, scrolling and the Control-click that names a
// landmark.
#include "editor/EditorMapPreview.h"

#include <algorithm>
#include <array>

#include "editor/EditorState.h"
#include "framework/core/GString15.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraphic.h"
#include "framework/ui/GViewHost.h"
#include "game/map/Map.h"

namespace {

using Colour = EditorMapCanvas::Colour;

constexpr std::array<Colour, 7> kZoneColours = {{{120, 120, 120},
                                                 {255, 0, 0},
                                                 {255, 255, 255},
                                                 {0, 0, 255},
                                                 {0, 255, 0},
                                                 {0, 0, 0},
                                                 {255, 253, 21}}};
constexpr Colour kZoneBeyondTable{190, 190, 190};
constexpr std::array<Colour, 11> kLevelColours = {{{30, 135, 255},
                                                   {115, 175, 255},
                                                   {195, 210, 255},
                                                   {255, 255, 255},
                                                   {255, 245, 200},
                                                   {255, 180, 180},
                                                   {255, 110, 110},
                                                   {255, 40, 40},
                                                   {195, 0, 0},
                                                   {135, 0, 0},
                                                   {65, 0, 0}}};
constexpr Colour kGridLine{125, 110, 50};
constexpr Colour kLandmarkMark{255, 255, 100};
constexpr int32_t kLoadingText = 1045;

uint16_t Pixel(Colour c) {
  GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(c.r, c.g, c.b)) : 0;
}

// Drawing through the view's own operations.
class ViewCanvas : public EditorMapCanvas {
 public:
  ViewCanvas(GView& view, GGraphic*& sheet) : view_(view), sheet_(sheet) {}
  void Background() override { view_.GView::Draw(); }
  void Fill(const GRect& rect, Colour colour) override { view_.FillRect(rect, Pixel(colour)); }
  void Sheet(const GRect& source, int32_t x, int32_t y) override { view_.DrawGraphicPart(sheet_, source, x, y); }
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Colour colour) override {
    view_.DrawLine(x1, y1, x2, y2, Pixel(colour), 1);
  }
  void Text(const GString& text, int32_t x, int32_t y, int32_t font, Colour c, bool shadowed) override {
    if (shadowed) {
      view_.DrawShadowedText(&text, x, y, 0, font, c.r, c.g, c.b, 0, 0, 0, 0);
    } else {
      view_.DrawText(&text, x, y, 0, font, c.r, c.g, c.b);
    }
  }
  // On the 2-D layer the tile is drawn into the back buffer and its rectangle presented at
  // once; with 3-D drawing on, every frame draws the whole screen, so the view is only marked.
  bool BeginToFront(const GRect&) override {
    GViewHost* host = GViewHost::Current();
    if (host != nullptr && !host->Is3D()) return true;
    view_.Invalidate();
    return false;
  }
  void EndToFront(const GRect& rect) override {
    GViewHost* host = GViewHost::Current();
    if (host == nullptr) return;
    GRect global;
    if (view_.LocalToClippedGlobal(rect, global)) host->CopyRectToFront(global);
  }

 private:
  GView& view_;
  GGraphic*& sheet_;
};

int32_t FloorDiv(int32_t a, int32_t b) {
  const int32_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

EditorMapPreview::EditorMapPreview(EditorState& state)
    : state_(state), ownCanvas_(std::make_unique<ViewCanvas>(*this, sheet_)) {
  canvas_ = ownCanvas_.get();
}

EditorMapPreview::~EditorMapPreview() { delete sheet_; }

Colour EditorMapPreview::ZoneColour(int32_t zone) {
  if (zone < 0 || zone >= static_cast<int32_t>(kZoneColours.size())) return kZoneBeyondTable;
  return kZoneColours[static_cast<size_t>(zone)];
}

Colour EditorMapPreview::LevelColour(int32_t level) {
  // Levels in files may lie outside the tool's range: the label keeps its number, the colour
  // is that of the nearest end of the table.
  const int32_t n = std::clamp(level + 1, 0, 19);
  const size_t i = static_cast<size_t>(n / 2);
  if (n % 2 == 0) return kLevelColours[i];
  const Colour a = kLevelColours[i];
  const Colour b = kLevelColours[i + 1];
  return Colour{static_cast<uint8_t>((a.r + b.r) / 2), static_cast<uint8_t>((a.g + b.g) / 2),
                static_cast<uint8_t>((a.b + b.b) / 2)};
}

void EditorMapPreview::Setup(GView* parent, Map* map) {
  map_ = map;
  if (map_ != nullptr) {
    grids_.FillFrom(*map_, width_, height_);
  } else {
    width_ = Map::kDefaultTiles;
    height_ = Map::kDefaultTiles;
  }
  scrollColumn_ = 0;
  scrollRow_ = 0;
  showElevation_ = 1;
  enlargedBrush_ = 0;
  landmarkClick_ = 0;
  sheet_ = new GGraphic();
  sheet_->Load(0, kSheetPicture);
  Place(parent, kLeft, 0, parent->Width() - kLeft, parent->Height());
  SetTracking();
  Scroll(0, -999);
}

void EditorMapPreview::SetSizeInTiles(int32_t width, int32_t height) {
  width_ = std::clamp(width, 1, EditorMapGrids::kSide);
  height_ = std::clamp(height, 1, EditorMapGrids::kSide);
}

void EditorMapPreview::SetShowElevation(bool show) {
  showElevation_ = show ? 1 : 0;
  Invalidate();
}

int32_t EditorMapPreview::ColumnAt(int32_t x) const { return FloorDiv(x, kTilePixels) + scrollColumn_; }

int32_t EditorMapPreview::RowAt(int32_t y) const { return FloorDiv(Height() - y, kTilePixels) + scrollRow_; }

bool EditorMapPreview::IsOnMap(int32_t column, int32_t row) const {
  return column >= 0 && column < width_ && row >= 0 && row < height_;
}

void EditorMapPreview::Scroll(int32_t dx, int32_t dy) {
  const int32_t lastColumn = std::max(0, width_ - Width() / kTilePixels);
  const int32_t lastRow = std::max(0, height_ - Height() / kTilePixels);
  const int32_t column = std::clamp(scrollColumn_ + dx, 0, lastColumn);
  const int32_t row = std::clamp(scrollRow_ + dy, 0, lastRow);
  if (column == scrollColumn_ && row == scrollRow_) return;
  scrollColumn_ = column;
  scrollRow_ = row;
  Invalidate();
}

void EditorMapPreview::Draw() {
  canvas_->Background();
  const int32_t w = Width();
  const int32_t h = Height();
  for (int32_t x = width_ - 1; x >= 0; --x) {
    const int32_t px = kTilePixels * (x - scrollColumn_);
    if (px >= w || px <= -kTilePixels) continue;
    for (int32_t y = height_ - 1; y >= 0; --y) {
      const int32_t py = h - kTilePixels * (y - scrollRow_ + 1);
      if (py >= h || py <= -kTilePixels) continue;
      DrawTile(x, y, false);
    }
  }
  // Grid lines every five tiles, as far as the map reaches.
  const int32_t up = std::min(kTilePixels * (height_ - scrollRow_), h);
  for (int32_t x = 5; x < width_; x += 5) {
    const int32_t px = kTilePixels * (x - scrollColumn_);
    if (px >= 0 && px < w) canvas_->Line(px, h - 1, px, h - up, kGridLine);
  }
  const int32_t across = std::min(kTilePixels * (width_ - scrollColumn_), w);
  for (int32_t y = 5; y < height_; y += 5) {
    const int32_t off = kTilePixels * (y - scrollRow_);
    if (off >= 0 && off < h) canvas_->Line(0, h - off, across - 1, h - off, kGridLine);
  }
  if (state_.previewRunning != 0) {
    canvas_->Fill(GRect{25, 25, 300, 190}, Colour{190, 0, 0});
    canvas_->Fill(GRect{75, 75, 250, 140}, Colour{0, 0, 0});
    GString255 text;
    text.LoadResource(kLoadingText);
    canvas_->Text(text, 162, 112, 2, Colour{255, 255, 255}, false);
  }
}

void EditorMapPreview::DrawTile(int32_t x, int32_t y, bool toFront) {
  const int32_t code = grids_.Code(x, y);
  const int32_t px = kTilePixels * (x - scrollColumn_);
  const int32_t py = Height() - kTilePixels * (y - scrollRow_ + 1);
  const GRect tile{px, py, px + kTilePixels, py + kTilePixels};
  if (toFront && !canvas_->BeginToFront(tile)) return;
  const int32_t cellX = kSheetCell * (code % 16);
  const int32_t cellY = kSheetCell * (code / 16);
  if (state_.toolMode == 2) {
    canvas_->Fill(tile, ZoneColour(grids_.Zone(x, y)));
    canvas_->Sheet(GRect{cellX + 3, cellY + 3, cellX + 15, cellY + 15}, px + 2, py + 2);
  } else {
    canvas_->Sheet(GRect{cellX + 1, cellY + 1, cellX + 17, cellY + 17}, px, py);
    GString63 landmark;
    if (map_ != nullptr) map_->GetLandmarkNameAt(x, y, landmark);
    if (landmark.Length() > 0) {
      for (int32_t i = 0; i < 4; ++i) canvas_->Line(px + 8 - i, py + 12 + i, px + 8 + i, py + 12 + i, kLandmarkMark);
    }
    if (x > 0 && x % 5 == 0) canvas_->Line(px, py, px, py + kTilePixels - 1, kGridLine);
    if (y % 5 == 4) canvas_->Line(px, py, px + kTilePixels - 1, py, kGridLine);
  }
  const int32_t level = grids_.Level(x, y);
  if ((showElevation_ != 0 || state_.toolMode == 1) && level != EditorMapGrids::kFlatLevel) {
    GString15 label;
    label.AssignNumber(level + 1);
    canvas_->Text(label, px + 7, py + 12, 1, LevelColour(level), true);
  }
  if (toFront) canvas_->EndToFront(tile);
}

void EditorMapPreview::PaintAt(int32_t x, int32_t y) {
  const int32_t column = ColumnAt(x);
  const int32_t row = RowAt(y);
  if (!IsOnMap(column, row)) return;
  if (state_.toolMode == 0) {
    const auto code = static_cast<int16_t>(state_.GetPaletteCode());
    if (grids_.Code(column, row) == code) return;
    grids_.SetCode(column, row, code);
  } else if (state_.toolMode == 1) {
    if (grids_.Level(column, row) == state_.elevationLevel) return;
    grids_.SetLevel(column, row, state_.elevationLevel);
  } else {
    const auto zone = static_cast<uint8_t>(state_.GetZoneValue());
    if (grids_.Zone(column, row) == zone) return;
    grids_.SetZone(column, row, zone);
  }
  DrawTile(column, row, true);
}

void EditorMapPreview::MouseDown(int32_t x, int32_t y, uint8_t, uint8_t shift, uint8_t control) {
  landmarkClick_ = 0;
  if (control != 0) {
    const int32_t column = ColumnAt(x);
    const int32_t row = RowAt(y);
    if (IsOnMap(column, row)) {
      state_.NameLandmark(column, row);
      landmarkClick_ = 1;
    }
    return;
  }
  enlargedBrush_ = shift != 0 ? 1 : 0;
}

void EditorMapPreview::Track(int32_t x, int32_t y, uint8_t inside, uint8_t) {
  if (inside == 0 || landmarkClick_ != 0) return;
  if (enlargedBrush_ == 0) {
    PaintAt(x, y);
    return;
  }
  for (int32_t dx = -32; dx <= 32; dx += kTilePixels)
    for (int32_t dy = -32; dy <= 32; dy += kTilePixels) PaintAt(x + dx, y + dy);
}

void EditorMapPreview::MouseUp(int32_t, int32_t, uint8_t) { enlargedBrush_ = 0; }

bool EditorMapPreview::CommitToMap() {
  if (map_ == nullptr) return false;
  return grids_.CommitTo(*map_, width_, height_);
}
