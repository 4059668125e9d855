// The map editor screen: its controls and their visibility, the size commands and their
// limits, the elevation keys, the palette, drawing on a recording canvas, painting, landmarks
// and the round trip of a scenario through the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorRig.h"
#include "editor/EditorMapPreview.h"
#include "editor/EditorStatusLine.h"
#include "editor/EditorTerrainPalette.h"
#include "editor/EditorValueLabel.h"
#include "editor/EditorZonePanel.h"
#include "framework/core/GString63.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "game/map/TerrainCodeTable.h"

namespace {

using Colour = EditorMapCanvas::Colour;

class RecordingCanvas : public EditorMapCanvas {
 public:
  struct Op {
    char kind;  // F fill, S sheet, L line, T text
    GRect rect;
    int32_t x;
    int32_t y;
    Colour colour;
    std::string text;
  };
  void Fill(const GRect& rect, Colour colour) override { ops.push_back({'F', rect, 0, 0, colour, {}}); }
  void Sheet(const GRect& source, int32_t x, int32_t y) override { ops.push_back({'S', source, x, y, {}, {}}); }
  void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Colour colour) override {
    ops.push_back({'L', GRect{x1, y1, x2, y2}, 0, 0, colour, {}});
  }
  void Text(const GString& text, int32_t x, int32_t y, int32_t, Colour colour, bool) override {
    ops.push_back({'T', GRect{}, x, y, colour, text.CStr()});
  }
  bool BeginToFront(const GRect&) override {
    ++fronts;
    return true;
  }
  std::vector<Op> Of(char kind) const {
    std::vector<Op> out;
    for (const Op& op : ops)
      if (op.kind == kind) out.push_back(op);
    return out;
  }
  std::vector<Op> ops;
  int32_t fronts = 0;
};

// The editor open on a new battle with its map made w x h tiles, and the map editor screen.
struct MapScreen {
  explicit MapScreen(int32_t w = 60, int32_t h = 40, int32_t screenW = 640, int32_t screenH = 480)
      : rig(screenW, screenH) {
    Map* map = rig.App().GetBattle()->map;
    EXPECT_TRUE(map->NewMap(static_cast<float>(w) * 20.0f, static_cast<float>(h) * 20.0f, nullptr));
    rig.App().DoCommand(106);
    state = rig.State();
    view = state->mapView;
  }
  Map& BattleMap() { return *rig.App().GetBattle()->map; }
  EditorValueLabel* Field(bool width) {
    return dynamic_cast<EditorValueLabel*>(width ? state->mapWidthControl : state->mapHeightControl);
  }
  // A point inside tile (x, y) at the current scroll.
  int32_t PixelX(int32_t x) const { return 16 * (x - view->ScrollColumn()) + 8; }
  int32_t PixelY(int32_t y) const { return view->Height() - 16 * (y - view->ScrollRow()) - 8; }
  void Drag(int32_t x, int32_t y, bool shift = false, bool control = false) {
    view->MouseDown(PixelX(x), PixelY(y), 0, shift ? 1 : 0, control ? 1 : 0);
    view->Track(PixelX(x), PixelY(y), 1, 0);
    view->MouseUp(PixelX(x), PixelY(y), 0);
  }
  EditorRig rig;
  EditorState* state = nullptr;
  EditorMapPreview* view = nullptr;
};

GView* ChildWithCommand(GView* parent, int32_t command) {
  for (int32_t i = 0; i < parent->GetChildCount(); ++i) {
    GView* child = parent->GetChild(i);
    auto* control = dynamic_cast<GControl*>(child);
    if (control != nullptr && control->GetCommand() == command) return child;
    if (GView* inner = ChildWithCommand(child, command)) return inner;
  }
  return nullptr;
}

std::pair<int32_t, int32_t> At(GView* view, GView* screen) {
  return {view->Bounds().left - screen->Bounds().left, view->Bounds().top - screen->Bounds().top};
}

}  // namespace

TEST(EditorMapScreen, ControlsStandWhereTheScreenPlacesThem) {
  MapScreen s;
  GView* screen = s.state->screenView;
  ASSERT_NE(screen, nullptr);
  EXPECT_FALSE(s.state->mainView->IsVisible());
  const std::vector<std::tuple<int32_t, int32_t, int32_t>> places = {
      {136, 0, 0},     {137, 0, 36},    {141, 4, 74},    {142, 4, 74},    {138, 122, 2},  {139, 122, 36},
      {140, 122, 70},  {146, 84, 107},  {147, 104, 107}, {148, 230, 107}, {149, 250, 107}, {143, 185, 0},
      {152, 215, 35},  {153, 245, 50},  {154, 215, 65},  {155, 185, 50},  {150, 0, 184},  {151, 61, 184}};
  for (auto [command, x, y] : places) {
    GView* control = ChildWithCommand(screen, command);
    ASSERT_NE(control, nullptr) << command;
    EXPECT_EQ(At(control, screen), std::make_pair(x, y)) << command;
  }
  EXPECT_EQ(At(s.state->statusLine, screen), std::make_pair(122, 179));
  EXPECT_EQ(At(s.state->terrainPalette, screen), std::make_pair(0, 209));
  EXPECT_EQ(At(s.view, screen), std::make_pair(280, 0));
  EXPECT_EQ(s.view->Width(), 360);
  EXPECT_EQ(s.view->Height(), 480);
  EXPECT_EQ(s.view->GetWidthInTiles(), 60);
  EXPECT_EQ(s.view->GetHeightInTiles(), 40);
  EXPECT_EQ(s.state->maxMapTiles, 200);
  EXPECT_EQ(s.state->modified, 1);
  // Leaving puts the main view back and forgets every control of the screen.
  s.rig.App().DoCommand(136);
  EXPECT_EQ(s.state->screenView, nullptr);
  EXPECT_EQ(s.state->mapView, nullptr);
  EXPECT_EQ(s.state->terrainPalette, nullptr);
  EXPECT_TRUE(s.state->mainView->IsVisible());
}

TEST(EditorMapScreen, EachToolShowsItsOwnControls) {
  MapScreen s;
  EditorState& st = *s.state;
  auto check = [&](int32_t mode, bool showButton, bool hideButton) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(st.toolMode, mode);
    EXPECT_EQ(st.terrainPalette->IsVisible(), mode == 0);
    EXPECT_EQ(st.paletteButtonPanel->IsVisible(), mode == 0);
    EXPECT_EQ(st.zonePanel->IsVisible(), mode == 2);
    EXPECT_EQ(st.elevationShowButton->IsVisible(), showButton);
    EXPECT_EQ(st.elevationHideButton->IsVisible(), hideButton);
  };
  check(0, false, true);
  s.rig.App().DoCommand(139);
  check(1, false, false);
  s.rig.App().DoCommand(142);
  EXPECT_FALSE(s.view->ShowsElevation());
  s.rig.App().DoCommand(140);
  check(2, true, false);
  s.rig.App().DoCommand(141);
  check(2, false, true);
  s.rig.App().DoCommand(138);
  check(0, false, true);
}

TEST(EditorMapScreen, WidthFieldRoundsTheMetresAndOperationsAllowFewerTiles) {
  {
    EditorRig rig;
    rig.App().GetBattle()->map->size.worldWidth = 1999.6f;
    rig.App().DoCommand(106);
    auto* field = dynamic_cast<EditorValueLabel*>(rig.State()->mapWidthControl);
    GString63 text;
    field->GetDrawnText(text);
    EXPECT_STREQ(text.CStr(), "2000m");
  }
  EditorRig rig;
  rig.App().DoCommand(114);
  ASSERT_NE(rig.App().GetCampaign(), nullptr);
  rig.App().DoCommand(106);
  EXPECT_EQ(rig.State()->maxMapTiles, 150);
}

TEST(EditorMapScreen, SizeCommandsStepWithinTheirLimits) {
  MapScreen s;
  EditorValueLabel* width = s.Field(true);
  EditorValueLabel* height = s.Field(false);
  auto stepWidth = [&](int32_t from, int32_t command) {
    width->SetLabelValue(from);
    s.rig.App().DoCommand(command);
    return width->GetValue();
  };
  EXPECT_EQ(stepWidth(300, 146), 320);
  EXPECT_EQ(stepWidth(1210, 146), 1280);
  EXPECT_EQ(s.view->GetWidthInTiles(), 64);
  EXPECT_EQ(stepWidth(320, 147), 240);
  EXPECT_EQ(stepWidth(300, 147), 300);
  // The area limit: 2,000 m high allows 2,480 m across.
  height->SetLabelValue(2000);
  EXPECT_EQ(stepWidth(2400, 146), 2480);
  EXPECT_EQ(stepWidth(2480, 146), 2480);
}

TEST(EditorMapScreen, OperationLimitsFollowTheAttack) {
  EditorRig rig;
  rig.App().DoCommand(114);
  Campaign* operation = rig.App().GetCampaign();
  ASSERT_NE(operation, nullptr);
  rig.App().DoCommand(106);
  EditorState& st = *rig.State();
  auto* width = dynamic_cast<EditorValueLabel*>(st.mapWidthControl);
  auto* height = dynamic_cast<EditorValueLabel*>(st.mapHeightControl);
  operation->attackerEdge = 0;  // from the West: the attack runs along the width
  width->SetLabelValue(4800);
  for (int i = 0; i < 5; ++i) rig.App().DoCommand(146);
  EXPECT_EQ(width->GetValue(), 4960);
  height->SetLabelValue(2800);
  for (int i = 0; i < 5; ++i) rig.App().DoCommand(148);
  EXPECT_EQ(height->GetValue(), 2960);
  width->SetLabelValue(1200);
  rig.App().DoCommand(147);
  EXPECT_EQ(width->GetValue(), 1200);
  operation->attackerEdge = 1;  // from the North: the width is limited by the tile count
  width->SetLabelValue(2880);
  for (int i = 0; i < 5; ++i) rig.App().DoCommand(146);
  EXPECT_EQ(width->GetValue(), 2960);
}

TEST(EditorMapScreen, ShiftedResizeMovesTheGridsAndPlainResizeUncoversOldCells) {
  MapScreen s;
  EditorMapGrids& g = s.view->Grids();
  g.SetZone(0, 0, 3);
  g.SetCode(61, 0, 5);
  s.Field(true)->SetLabelValue(1280);
  s.state->ResizeMap(false);
  EXPECT_EQ(s.view->GetWidthInTiles(), 64);
  EXPECT_EQ(g.Code(61, 0), 5);
  s.Field(true)->SetLabelValue(1360);
  s.state->ResizeMap(true);
  EXPECT_EQ(s.view->GetWidthInTiles(), 68);
  EXPECT_EQ(g.Zone(4, 0), 3);
  EXPECT_EQ(g.Zone(0, 0), 3);
  EXPECT_EQ(g.Code(65, 0), 5);
}

TEST(EditorMapScreen, ElevationKeysStepTheToolAndAltMovesTheWholeMapInElevationMode) {
  MapScreen s;
  EditorState& st = *s.state;
  for (int i = 0; i < 20; ++i) st.HandleElevationKey('+', false);
  EXPECT_EQ(st.elevationLevel, 18);
  st.elevationLevel = 10;
  st.HandleElevationKey('=', false);
  EXPECT_EQ(st.elevationLevel, 11);
  for (int i = 0; i < 20; ++i) st.HandleElevationKey('-', false);
  EXPECT_EQ(st.elevationLevel, -1);
  st.HandleElevationKey('x', false);
  EXPECT_EQ(st.elevationLevel, -1);
  // Alt in paint mode does nothing.
  EditorMapGrids& g = s.view->Grids();
  g.SetLevel(0, 0, 18);
  st.HandleElevationKey('+', true);
  EXPECT_EQ(g.Level(1, 1), 2);
  EXPECT_EQ(g.Level(200, 200), 6);
  s.rig.App().DoCommand(139);
  st.HandleElevationKey('+', true);
  EXPECT_EQ(g.Level(1, 1), 3);
  EXPECT_EQ(g.Level(200, 200), 7);
  EXPECT_EQ(g.Level(0, 0), 18);
  EXPECT_EQ(st.elevationLevel, -1);
  // The status line names the level in elevation mode.
  st.elevationLevel = 18;
  const auto lines = st.statusLine->Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "Elevation tool is set to: 19");
  EXPECT_EQ(lines[2].y, 28);
  // Nothing while the map is visited in 3-D.
  st.previewRunning = 1;
  st.HandleElevationKey('-', false);
  EXPECT_EQ(st.elevationLevel, 18);
  st.previewRunning = 0;
}

TEST(EditorMapScreen, PaletteRowsAndPagesFollowTheScreenHeight) {
  struct Case {
    int32_t height;
    int32_t rows;
    int32_t pages;
  };
  for (const Case& c : {Case{480, 15, 3}, Case{600, 23, 2}, Case{768, 32, 2}}) {
    SCOPED_TRACE(c.height);
    MapScreen s(60, 40, c.height == 480 ? 640 : (c.height == 600 ? 800 : 1024), c.height);
    EXPECT_EQ(s.state->terrainPalette->RowsPerPage(), c.rows);
    EXPECT_EQ(s.state->terrainPalette->PageCount(), c.pages);
    EXPECT_FALSE(s.state->paletteBackButton->IsVisible());
    EXPECT_TRUE(s.state->paletteForwardButton->IsVisible());
  }
}

TEST(EditorMapScreen, PaletteClicksAndPaging) {
  MapScreen s;
  EditorTerrainPalette& palette = *s.state->terrainPalette;
  palette.MouseDown(17 * 3 + 5, 5, 0, 0, 0);
  EXPECT_EQ(s.state->GetPaletteCode(), 3);
  EXPECT_EQ(s.state->statusLine->Lines()[0].text, "woods");
  palette.MouseDown(272, 5, 0, 0, 0);
  EXPECT_EQ(palette.SelectedCode(), 3);
  palette.MouseDown(17 * 11 + 5, 5, 0, 0, 0);  // code 11 is not used
  EXPECT_EQ(palette.SelectedCode(), 3);
  s.rig.App().DoCommand(151);
  EXPECT_EQ(palette.Page(), 1);
  EXPECT_EQ(palette.SelectedCode(), 240);
  EXPECT_TRUE(s.state->paletteBackButton->IsVisible());
  s.rig.App().DoCommand(151);
  EXPECT_EQ(palette.Page(), 2);
  EXPECT_FALSE(s.state->paletteForwardButton->IsVisible());
  s.rig.App().DoCommand(151);
  EXPECT_EQ(palette.Page(), 2);
  s.rig.App().DoCommand(150);
  EXPECT_EQ(palette.Page(), 1);
  EXPECT_EQ(palette.SelectedCode(), 0);
  EXPECT_EQ(s.state->statusLine->Lines()[0].text, "open ground");
}

TEST(EditorMapScreen, LevelLabelsAndZoneColours) {
  EXPECT_EQ(EditorMapPreview::LevelColour(-1), (Colour{30, 135, 255}));
  EXPECT_EQ(EditorMapPreview::LevelColour(0), (Colour{72, 155, 255}));
  EXPECT_EQ(EditorMapPreview::LevelColour(5), (Colour{255, 255, 255}));
  EXPECT_EQ(EditorMapPreview::LevelColour(18), (Colour{100, 0, 0}));
  EXPECT_EQ(EditorMapPreview::LevelColour(25), (Colour{100, 0, 0}));
  EXPECT_EQ(EditorMapPreview::LevelColour(-40), (Colour{30, 135, 255}));
  EXPECT_EQ(EditorMapPreview::ZoneColour(6), (Colour{255, 253, 21}));
  EXPECT_EQ(EditorMapPreview::ZoneColour(99), (Colour{190, 190, 190}));
  EXPECT_EQ(EditorMapPreview::ZoneColour(7), (Colour{190, 190, 190}));

  MapScreen s(3, 1);
  RecordingCanvas canvas;
  s.view->SetCanvas(&canvas);
  EditorMapGrids& g = s.view->Grids();
  g.SetLevel(0, 0, 18);
  g.SetLevel(1, 0, 6);
  g.SetLevel(2, 0, 25);
  s.view->Draw();
  const auto texts = canvas.Of('T');
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "26");  // drawn right to left
  EXPECT_EQ(texts[0].colour, (Colour{100, 0, 0}));
  EXPECT_EQ(texts[1].text, "19");
  EXPECT_EQ(texts[1].x, 7);
  EXPECT_EQ(texts[1].y, 480 - 16 + 12);
  EXPECT_EQ(canvas.Of('S').size(), 3u);
  s.view->SetCanvas(nullptr);
}

TEST(EditorMapScreen, ZoneModeLandmarksAndTheLoadingBox) {
  MapScreen s(2, 1);
  RecordingCanvas canvas;
  s.view->SetCanvas(&canvas);
  s.view->Grids().SetCode(0, 0, 3);
  s.view->Grids().SetZone(0, 0, 4);
  s.view->Grids().SetLevel(0, 0, 6);
  s.view->Grids().SetLevel(1, 0, 6);
  s.state->toolMode = 2;
  s.view->DrawTile(0, 0, false);
  ASSERT_EQ(canvas.ops.size(), 2u);
  EXPECT_EQ(canvas.ops[0].kind, 'F');
  EXPECT_EQ(canvas.ops[0].colour, (Colour{0, 255, 0}));
  EXPECT_EQ(canvas.ops[1].kind, 'S');
  EXPECT_EQ(canvas.ops[1].rect, (GRect{3 * 17 + 3, 3, 3 * 17 + 15, 15}));
  EXPECT_EQ(canvas.ops[1].x, 2);
  EXPECT_EQ(canvas.ops[1].y, 480 - 16 + 2);
  canvas.ops.clear();
  s.state->toolMode = 0;
  GString63 name;
  name.Assign("Hill 112");
  s.BattleMap().SetLandmark(1, 0, name);
  s.view->DrawTile(1, 0, false);
  const auto lines = canvas.Of('L');
  ASSERT_EQ(lines.size(), 4u);
  for (const auto& line : lines) EXPECT_EQ(line.colour, (Colour{255, 255, 100}));
  EXPECT_EQ(lines[3].rect, (GRect{16 + 5, 464 + 15, 16 + 11, 464 + 15}));
  canvas.ops.clear();
  s.state->previewRunning = 1;
  s.view->Draw();
  ASSERT_FALSE(canvas.Of('T').empty());
  EXPECT_EQ(canvas.Of('T').back().text, "Loading Preview...");
  s.state->previewRunning = 0;
  s.view->SetCanvas(nullptr);
}

TEST(EditorMapScreen, PaintingWritesTheToolsValueAndDrawsOnlyChangedTiles) {
  MapScreen s(6, 6);
  RecordingCanvas canvas;
  s.view->SetCanvas(&canvas);
  s.Drag(2, 2);  // code 0 onto code 0
  EXPECT_EQ(canvas.fronts, 0);
  s.state->terrainPalette->MouseDown(17 * 2 + 3, 3, 0, 0, 0);
  s.Drag(2, 2);
  EXPECT_EQ(s.view->Grids().Code(2, 2), 2);
  EXPECT_EQ(canvas.fronts, 1);
  // The Shift brush: 25 tiles, those off the map skipped.
  canvas.fronts = 0;
  s.Drag(0, 0, true);
  EXPECT_EQ(canvas.fronts, 9 - 1);  // (2, 2) holds the code already
  EXPECT_FALSE(s.view->IsBrushEnlarged());
  // Elevation and zone tools.
  s.rig.App().DoCommand(139);
  s.state->elevationLevel = 12;
  s.Drag(5, 5);
  EXPECT_EQ(s.view->Grids().Level(5, 5), 12);
  s.rig.App().DoCommand(140);
  s.state->zonePanel->MouseDown(39 * 6 + 2, 5, 0, 0, 0);
  s.Drag(5, 5);
  EXPECT_EQ(s.view->Grids().Zone(5, 5), 0);
  s.state->zonePanel->MouseDown(39 * 2 + 2, 5, 0, 0, 0);
  s.Drag(5, 5);
  EXPECT_EQ(s.view->Grids().Zone(5, 5), 3);
  s.state->zonePanel->MouseDown(39 * 7 + 2, 5, 0, 0, 0);
  s.state->zonePanel->MouseDown(5, 40, 0, 0, 0);
  EXPECT_EQ(s.state->zonePanel->Selected(), 2);
  // A Control-click off the map leaves the landmark flag clear, so the drag paints.
  s.view->MouseDown(16 * 7 + 3, s.view->Height() - 3, 0, 0, 1);
  EXPECT_FALSE(s.view->IsLandmarkClick());
  EXPECT_EQ(s.state->landmarkDialog, nullptr);
  s.view->SetCanvas(nullptr);
}

TEST(EditorMapScreen, BrushAtTheLeftEdgeStaysSquare) {
  MapScreen s(100, 40);
  RecordingCanvas canvas;
  s.view->SetCanvas(&canvas);
  s.rig.App().DoCommand(153);
  s.view->Scroll(-8, 0);
  ASSERT_EQ(s.view->ScrollColumn(), 4);
  s.state->terrainPalette->MouseDown(17 * 1 + 3, 3, 0, 0, 0);
  const int32_t y = s.view->Height() - 8;  // row 0
  s.view->MouseDown(0, y, 0, 1, 0);
  s.view->Track(0, y, 1, 0);
  for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(s.view->Grids().Code(x, 1), (x >= 2 && x <= 6) ? 1 : 0) << x;
  EXPECT_EQ(s.view->ColumnAt(-1), 3);
  EXPECT_EQ(s.view->RowAt(s.view->Height() + 1), -1);
  s.view->SetCanvas(nullptr);
}

TEST(EditorMapScreen, ScrollingStopsAtTheMapsEdges) {
  MapScreen s(100, 30);
  s.rig.App().DoCommand(152);  // the map is no higher than the view
  EXPECT_EQ(s.view->ScrollRow(), 0);
  for (int i = 0; i < 10; ++i) s.rig.App().DoCommand(153);
  EXPECT_EQ(s.view->ScrollColumn(), 100 - 360 / 16);
  s.rig.App().DoCommand(155);
  EXPECT_EQ(s.view->ScrollColumn(), 100 - 22 - 12);
}

TEST(EditorMapScreen, LandmarkDialogNamesRenamesAndDeletes) {
  MapScreen s;
  Map& map = s.BattleMap();
  s.view->MouseDown(s.PixelX(3), s.PixelY(4), 0, 0, 1);
  EXPECT_TRUE(s.view->IsLandmarkClick());
  ASSERT_NE(s.state->landmarkDialog, nullptr);
  auto* entry = dynamic_cast<GTextEntry*>(s.state->nameEntry);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->Text(), "");
  EXPECT_EQ(s.state->landmarkDialog->GetChildCount(), 3);  // no hint
  // The drag after a landmark click paints nothing.
  s.view->Track(s.PixelX(3), s.PixelY(4), 1, 0);
  for (char c : std::string("Hill 112")) entry->KeyChar(c);
  s.rig.App().DoCommand(156);
  EXPECT_EQ(s.state->landmarkDialog, nullptr);
  GString63 name;
  map.GetLandmarkNameAt(3, 4, name);
  EXPECT_STREQ(name.CStr(), "Hill 112");
  // On a named tile: the name and the hint; Cancel changes nothing.
  s.state->NameLandmark(3, 4);
  entry = dynamic_cast<GTextEntry*>(s.state->nameEntry);
  EXPECT_STREQ(entry->Text(), "Hill 112");
  EXPECT_EQ(s.state->landmarkDialog->GetChildCount(), 5);
  entry->Clear();
  s.rig.App().DoCommand(157);
  map.GetLandmarkNameAt(3, 4, name);
  EXPECT_STREQ(name.CStr(), "Hill 112");
  // An emptied field and OK delete it.
  s.state->NameLandmark(3, 4);
  dynamic_cast<GTextEntry*>(s.state->nameEntry)->Clear();
  s.rig.App().DoCommand(156);
  EXPECT_EQ(map.objects.landmarks.Count(), 0);
}

TEST(EditorMapScreen, LongLandmarkNamesAreCutOnlyByOk) {
  MapScreen s;
  Map& map = s.BattleMap();
  const std::string longName(40, 'a');
  GString63 name;
  name.Assign(longName.c_str());
  map.SetLandmark(1, 1, name);
  s.state->NameLandmark(1, 1);
  EXPECT_EQ(std::string(dynamic_cast<GTextEntry*>(s.state->nameEntry)->Text()).size(), 31u);
  s.rig.App().DoCommand(157);
  map.GetLandmarkNameAt(1, 1, name);
  EXPECT_EQ(name.Length(), 40);
  s.state->NameLandmark(1, 1);
  s.rig.App().DoCommand(156);
  map.GetLandmarkNameAt(1, 1, name);
  EXPECT_EQ(name.Length(), 31);
}

TEST(EditorMapScreen, ScenarioPassesThroughTheMapEditorByteForByte) {
  for (int32_t ground : {1, 7}) {
    SCOPED_TRACE(ground);
    EditorRig rig;
    Battle* battle = rig.App().GetBattle();
    battle->groundCondition = ground;
    Map& map = *battle->map;
    ASSERT_TRUE(map.NewMap(400.0f, 300.0f, nullptr));
    const uint8_t codes[4] = {12, 16, 45, 46};
    for (int32_t x = 0; x < 4; ++x) map.terrain.tiles.At(x, 3).code = codes[x];
    map.terrain.tiles.At(9, 9).code = 14;
    map.terrain.tileHeight.At(5, 5) = 7.0f * 3.0f * map.size.heightScale;
    map.terrain.tiles.At(6, 6).zone = 2;
    map.camera.viewLevel[0] = 3;
    map.camera.x[0] = 100.0f;
    GString63 name;
    name.Assign("Crossroads");
    map.SetLandmark(8, 8, name);
    rig.State()->modified = 1;
    rig.Choose("Through");
    rig.App().DoCommand(102);
    const std::string first = rig.shell.folder.ReadFile("Saved Games/Through.wrb");
    ASSERT_FALSE(first.empty());
    rig.Choose("Through.wrb");
    rig.App().DoCommand(101);
    Map& opened = *rig.App().GetBattle()->map;
    if (ground == 7) {
      EXPECT_EQ(opened.terrain.tiles.At(0, 3).code, 27);
      EXPECT_EQ(opened.terrain.tiles.At(1, 3).code, 0);
    }
    rig.App().DoCommand(106);
    EditorMapGrids& g = rig.State()->mapView->Grids();
    EXPECT_EQ(g.Code(0, 3), 1);  // marsh
    EXPECT_EQ(g.Code(1, 3), 6);  // grain
    rig.App().DoCommand(136);
    rig.Choose("Through");
    rig.App().DoCommand(102);
    EXPECT_EQ(rig.shell.folder.ReadFile("Saved Games/Through.wrb"), first);
  }
}

TEST(EditorMapScreen, CharactersTypedIntoTheLandmarkNameStayThere) {
  MapScreen s;
  s.state->elevationLevel = 6;
  s.state->NameLandmark(2, 2);
  s.rig.Type("A+-=");
  for (int i = 0; i < 8; ++i) s.rig.shell.kernel->DoEvent();
  auto* entry = dynamic_cast<GTextEntry*>(s.state->nameEntry);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->Text(), "A+-=");
  EXPECT_EQ(s.state->elevationLevel, 6);
  s.rig.Type("\r");
  for (int i = 0; i < 8; ++i) s.rig.shell.kernel->DoEvent();
  EXPECT_EQ(s.state->landmarkDialog, nullptr);
  GString63 name;
  s.BattleMap().GetLandmarkNameAt(2, 2, name);
  EXPECT_STREQ(name.CStr(), "A+-=");
}
