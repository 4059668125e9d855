// The map editor screen: building it, its tools and their visibility, the map size commands,
// the elevation keys and the landmark dialog.
#include <algorithm>
#include <cmath>

#include "editor/EditorDialogParts.h"
#include "editor/EditorMapPreview.h"
#include "editor/EditorState.h"
#include "editor/EditorStatusLine.h"
#include "editor/EditorTerrainPalette.h"
#include "editor/EditorToolPanel.h"
#include "editor/EditorValueLabel.h"
#include "editor/EditorZonePanel.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/BattleBase.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"

namespace {

constexpr const char* kMapScreenSource = "EditorMapScreen";
constexpr int32_t kSizeStep = 80;
constexpr int32_t kMaxTilesBattle = 200;
constexpr int32_t kMaxTilesOperation = 150;

using EditorDialogParts::Button;

}  // namespace

void EditorState::MapEditScreen() {
  if (rootView == nullptr || mainView == nullptr) FatalError(__LINE__, kMapScreenSource);
  CloseScreen();
  mainView->SetVisible(0);
  screenView = new GView();
  GViewHost* host = GViewHost::Current();
  screenView->SetBackColor(host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(35, 0, 0)) : 0);
  screenView->Place(rootView, 0, 0, rootView->Width(), rootView->Height());
  auto* panel = new GPictureView();
  panel->Init(screenView, 0, 128, 10014);
  auto* hint = new GLabel();
  hint->InitWithResource(screenView, 0, 150, 280, 1640);
  hint->SetFont(1);
  hint->SetAlignment(0);
  hint->SetFill(0);
  Button(screenView, 0, 0, 136, 11101, 0, 152);
  Button(screenView, 0, 36, 137, 10012, 0, 152);
  elevationShowButton = Button(screenView, 4, 74, 141, 10028, 5, 150);
  elevationShowButton->SetVisible(0);
  elevationHideButton = Button(screenView, 4, 74, 142, 10029, 5, 150);
  toolPanel = new EditorToolPanel(*this);
  toolPanel->Setup(screenView);
  auto* widthLabel = new GLabel();
  widthLabel->InitWithResource(screenView, 0, 109, 44, 890);
  widthLabel->SetFill(0);
  const Map* map = CurrentBattle() != nullptr ? CurrentBattle()->map : nullptr;
  const double widthMetres = map != nullptr ? map->size.worldWidth : 0.0;
  const double heightMetres = map != nullptr ? map->size.worldHeight : 0.0;
  auto* widthField = new EditorValueLabel();
  widthField->Setup(screenView, 44, 112, 39, static_cast<int32_t>(widthMetres + 0.5), "m");
  mapWidthControl = widthField;
  Button(screenView, 84, 107, 146, 10024, 5, -1)->SetAutoRepeat(150);
  Button(screenView, 104, 107, 147, 10025, 5, -1)->SetAutoRepeat(150);
  auto* heightLabel = new GLabel();
  // Wide enough for "Height:" in our font, up to the value beside it (33 pixels cut the t).
  heightLabel->InitWithResource(screenView, 143, 109, 46, 891);
  heightLabel->SetFill(0);
  auto* heightField = new EditorValueLabel();
  heightField->Setup(screenView, 190, 112, 39, static_cast<int32_t>(heightMetres + 0.5), "m");
  mapHeightControl = heightField;
  Button(screenView, 230, 107, 148, 10024, 5, -1)->SetAutoRepeat(150);
  Button(screenView, 250, 107, 149, 10025, 5, -1)->SetAutoRepeat(150);
  Button(screenView, 185, 0, 143, 10060, 0, 151);
  static constexpr int32_t kColumn[4] = {1, 2, 1, 0};
  static constexpr int32_t kRow[4] = {0, 1, 2, 1};
  for (int32_t i = 3; i >= 0; --i) {
    Button(screenView, 185 + 30 * kColumn[i], 35 + 15 * kRow[i], 152 + i, static_cast<int16_t>(10020 + i), 5, -1)
        ->SetAutoRepeat(250);
  }
  paletteButtonPanel = new GView();
  paletteButtonPanel->SetNoFill(1);
  paletteButtonPanel->Place(screenView, 0, 184, 122, 25);
  paletteBackButton = Button(paletteButtonPanel, 0, 0, 150, 10026, 2, -1);
  paletteForwardButton = Button(paletteButtonPanel, 61, 0, 151, 10027, 2, -1);
  statusLine = new EditorStatusLine(*this);
  statusLine->Setup(screenView);
  terrainPalette = new EditorTerrainPalette(*this);
  terrainPalette->Setup(screenView);
  zonePanel = new EditorZonePanel(*this);
  zonePanel->Setup(screenView);
  zonePanel->SetVisible(0);
  mapView = new EditorMapPreview(*this);
  mapView->Setup(screenView, CurrentBattle() != nullptr ? CurrentBattle()->map : nullptr);
  maxMapTiles = AppOperation() != nullptr ? kMaxTilesOperation : kMaxTilesBattle;
}

void EditorState::CloseMapEditScreen() {
  if (mapView != nullptr && !mapView->CommitToMap()) GErrorLog::LogError("Map editor: the map refused the grids");
  CloseLandmarkDialog();
  DeleteRandomMapDialog();
  mapView = nullptr;
  terrainPalette = nullptr;
  zonePanel = nullptr;
  statusLine = nullptr;
  toolPanel = nullptr;
  paletteButtonPanel = nullptr;
  paletteBackButton = nullptr;
  paletteForwardButton = nullptr;
  elevationShowButton = nullptr;
  elevationHideButton = nullptr;
  mapWidthControl = nullptr;
  mapHeightControl = nullptr;
  CloseScreen();
}

void EditorState::SetToolMode(int32_t mode) {
  toolMode = mode;
  if (mapView == nullptr) return;
  if (toolPanel != nullptr) toolPanel->Invalidate();
  RedrawStatusLine();
  mapView->Invalidate();
  const uint8_t painting = mode == 0 ? 1 : 0;
  if (paletteButtonPanel != nullptr) paletteButtonPanel->SetVisible(painting);
  if (terrainPalette != nullptr) terrainPalette->SetVisible(painting);
  if (zonePanel != nullptr) zonePanel->SetVisible(mode == 2 ? 1 : 0);
  const bool shows = mapView->ShowsElevation();
  if (elevationShowButton != nullptr) elevationShowButton->SetVisible(mode != 1 && !shows ? 1 : 0);
  if (elevationHideButton != nullptr) elevationHideButton->SetVisible(mode != 1 && shows ? 1 : 0);
}

void EditorState::ShowElevation(bool show) {
  if (mapView == nullptr) return;
  if (elevationShowButton != nullptr) elevationShowButton->SetVisible(show ? 0 : 1);
  if (elevationHideButton != nullptr) elevationHideButton->SetVisible(show ? 1 : 0);
  mapView->SetShowElevation(show);
}

void EditorState::StepMapSize(bool width, bool grow) {
  GControl* field = width ? mapWidthControl : mapHeightControl;
  GControl* other = width ? mapHeightControl : mapWidthControl;
  if (field == nullptr) return;
  const int32_t value = GetControlValue(field);
  const Campaign* operation = AppOperation();
  // The attack runs along the width from the West or East, along the height from the North
  // or South.
  const bool alongAttack =
      operation != nullptr && ((operation->attackerEdge % 2 == 0) == width);
  int32_t next = value;
  if (grow) {
    const int64_t candidate = value + kSizeStep;
    bool allowed;
    if (alongAttack) {
      allowed = candidate <= 5000;
    } else if (operation != nullptr) {
      allowed = candidate <= 20LL * maxMapTiles;
    } else {
      const int64_t otherValue = other != nullptr ? GetControlValue(other) : 0;
      allowed = candidate <= 20LL * maxMapTiles && candidate * otherValue <= 5000000LL;
    }
    if (!allowed) return;
    next = value + kSizeStep;
    next -= next % kSizeStep;
  } else {
    if (value <= (alongAttack ? 1200 : 300)) return;
    next = value - kSizeStep;
  }
  StepCounter(field, next - value, true);
  // The operation parameters commit walks the size from code: a held Shift is not the walk's.
  ResizeMap(sizeWalk_ == 0 && gKernel != nullptr && gKernel->IsShiftDown());
}

void EditorState::ResizeMap(bool shift) {
  if (mapView == nullptr || mapWidthControl == nullptr || mapHeightControl == nullptr) return;
  const int32_t oldWidth = mapView->GetWidthInTiles();
  const int32_t oldHeight = mapView->GetHeightInTiles();
  mapView->SetSizeInTiles(EditorMapGrids::TilesFor(GetControlValue(mapWidthControl)),
                          EditorMapGrids::TilesFor(GetControlValue(mapHeightControl)));
  if (shift) {
    mapView->Grids().ShiftForResize(oldWidth, oldHeight, mapView->GetWidthInTiles(), mapView->GetHeightInTiles());
  }
  if (suppressRedraw != 0) return;
  mapView->Scroll(0, 0);
  mapView->Invalidate();
}

void EditorState::RaiseLowerMap(bool raise) {
  if (toolMode != 1 || mapView == nullptr) return;
  mapView->Grids().RaiseLower(raise);
  mapView->Invalidate();
}

void EditorState::HandleElevationKey(uint8_t key, bool alt) {
  if (mapView == nullptr || previewRunning != 0) return;
  const bool up = key == '+' || key == '=';
  if (!up && key != '-') return;
  if (alt) {
    RaiseLowerMap(up);
    return;
  }
  const int32_t level = up ? std::min<int32_t>(elevationLevel + 1, EditorMapGrids::kHighestToolLevel)
                           : std::max<int32_t>(elevationLevel - 1, EditorMapGrids::kLowestToolLevel);
  elevationLevel = static_cast<int8_t>(level);
  RedrawStatusLine();
}

int32_t EditorState::GetPaletteCode() const { return terrainPalette != nullptr ? terrainPalette->SelectedCode() : 0; }

int32_t EditorState::GetZoneValue() const { return ZoneValueForChoice(zonePanel != nullptr ? zonePanel->Selected() : 6); }

void EditorState::RedrawStatusLine() {
  if (statusLine != nullptr) statusLine->Invalidate();
}

void EditorState::NameLandmark(int32_t column, int32_t row) {
  if (rootView == nullptr) FatalError(__LINE__, kMapScreenSource);
  if (mapView == nullptr || mapView->GetMap() == nullptr) return;
  CloseLandmarkDialog();
  auto* dialog = new GPictureView();
  dialog->Init(rootView, -1, -1, 11270);
  landmarkDialog = dialog;
  auto* ok = Button(dialog, 518, 15, 156, 11251, 6, -1);
  ok->MakeDefault();
  Button(dialog, 518, 53, 157, 11252, 6, -1);
  auto* entry = new GTextEntry();
  entry->Init(dialog, 224, 41, 31, 1, 1, 0);
  nameEntry = entry;
  GString63 name;
  mapView->GetMap()->GetLandmarkNameAt(column, row, name);
  // A longer name is shown cut; the landmark keeps it unless OK is pressed.
  entry->AppendText(&name);
  dialog->BeginModal();
  // The name takes the keys from the first one typed.
  if (GViewHost* host = GViewHost::Current()) host->FocusView(entry);
  landmarkX = column;
  landmarkY = row;
  if (name.Length() == 0) return;
  const int32_t shadowAndText[2][2] = {{225, 69}, {224, 68}};
  for (int32_t i = 0; i < 2; ++i) {
    auto* label = new GLabel();
    label->InitWithResource(dialog, shadowAndText[i][0], shadowAndText[i][1], 250, 1600);
    label->SetFill(0);
    label->SetFont(1);
    if (i == 0) label->SetColor(0, 0, 0);
  }
}

void EditorState::CommitLandmarkName() {
  auto* entry = dynamic_cast<GTextEntry*>(nameEntry);
  if (entry != nullptr && mapView != nullptr && mapView->GetMap() != nullptr) {
    GString63 name;
    entry->GetText(&name);
    mapView->GetMap()->SetLandmark(landmarkX, landmarkY, name);
    if (mapView->IsOnMap(landmarkX, landmarkY)) mapView->Invalidate();
  }
  CloseLandmarkDialog();
}

void EditorState::CloseLandmarkDialog() {
  nameEntry = nullptr;
  SafeDelete(landmarkDialog);
}
