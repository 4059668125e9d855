// The "Operation Parameters" dialog and its commit. A new attack direction or a smaller battle
// window takes every unit off the map; a map too narrow along the attack (below 60 tiles) or
// too wide across it (above 150) is then walked to size through the map editor's own
// commands, run from code. A stored value that no list holds opens on the nearest item.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "editor/EditorDialogParts.h"
#include "editor/EditorMapPreview.h"
#include "editor/EditorState.h"
#include "editor/EditorValueLabel.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"

namespace {

using namespace EditorDialogParts;

constexpr const char* kOperationParametersSource = "EditorOperationParameters";

// The dialog's popups in EditorState::parameterPopups (the type popup has a slot of its own).
enum OperationPopup : int32_t {
  kOperationDate,
  kProgress,
  kRatio,
  kWeatherPattern,
  kOperationGround,
  kAttacker,
  kNight,
  kBattleLength,
  kDirection,
  kOperationContours,
  kSlot,
  kNightCombatAxis,
  kNightCombatAllied,
  kSupplyAxis,
  kSupplyAllied,
  kRepairAxis,
  kRepairAllied,
  kOperationFanaticismAxis,
  kOperationFanaticismAllied,
  kNoMansLand,
};

// The casualty ratios of the ratio popup, "40%" to "600%".
constexpr std::array<float, 14> kRatios = {0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f,
                                           1.25f, 1.5f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f};
// The battle window's lower bound and step, in metres; the map's tiles along and across the
// attack that the commit's walk makes room for.
constexpr int32_t kWindowMin = 1200;
constexpr int32_t kWindowStep = 80;
constexpr int32_t kFewestTilesAlong = 60;
constexpr int32_t kMostTilesAcross = 150;

// The first ratio not below the stored one; the last for anything above.
int32_t RatioChoice(float ratio) {
  for (size_t i = 0; i < kRatios.size(); ++i)
    if (!(kRatios[i] < ratio)) return static_cast<int32_t>(i);
  return static_cast<int32_t>(kRatios.size()) - 1;
}

// The attack runs along the map's width from the West or the East.
bool AlongWidth(int32_t direction) { return direction % 2 == 0; }

Campaign& OperationOf(const EditorState& state) {
  if (state.AppOperation() == nullptr) FatalError(__LINE__, kOperationParametersSource);
  return *state.AppOperation();
}

}  // namespace

void EditorState::ClearUnitPosition(GObject* unit, void*) {
  auto* u = UnitOfObject(unit);
  if (u == nullptr) FatalError(__LINE__, kOperationParametersSource);
  u->x = 0.0f;
  u->y = 0.0f;
}

int32_t EditorState::WindowSizeLimit() const {
  const Campaign& operation = OperationOf(*this);
  int32_t tiles = 0;
  if (operation.map != nullptr) tiles = AlongWidth(operation.attackerEdge) ? operation.map->size.tilesX : operation.map->size.tilesY;
  return 20 * std::min(180, tiles);
}

void EditorState::StepWindowSize(bool grow) {
  if (smallFlagsCounter == nullptr) return;
  const int32_t value = GetControlValue(smallFlagsCounter);
  if (grow) StepCounter(smallFlagsCounter, kWindowStep, value < WindowSizeLimit());
  else StepCounter(smallFlagsCounter, -kWindowStep, value > kWindowMin);
}

void EditorState::ShowOperationTypePanels() {
  if (operationTypePopup == nullptr || panelA == nullptr || panelB == nullptr) return;
  const int32_t type = operationTypePopup->GetCurrentItem();
  panelA->SetVisible(type == 1 ? 1 : 0);
  panelB->SetVisible(type == 2 ? 1 : 0);
}

void EditorState::OperationParametersDialog() {
  if (rootView == nullptr || mainView == nullptr) FatalError(__LINE__, kOperationParametersSource);
  const Campaign& operation = OperationOf(*this);
  CloseScreen();
  mainView->SetVisible(0);
  GView* dialog = screenView = OpenDialog(rootView, 640, 480);
  Button(dialog, 0, 0, 121, 11101, 0, 152);
  Label(dialog, 220, 0, 200, 661);
  GPopup** popups = parameterPopups.data();

  // Left column, a row every 30 pixels.
  Label(dialog, 10, 51, 120, 600);
  popups[kOperationDate] = Popup(dialog, 130, 50, 601, 12, DateChoice(operation.date));
  Label(dialog, 10, 81, 120, 662);
  operationTypePopup = Popup(dialog, 130, 80, 760, 3, operation.operationType);
  operationTypePopup->SetCommand(133);
  panelA = new GView();
  panelA->SetNoFill(1);
  panelA->Place(dialog, 10, 110, 319, 25);
  Label(panelA, 0, 1, 120, 770);
  popups[kProgress] = Popup(panelA, 120, 0, 771, 6, operation.expectedProgress / 10 - 3);
  panelB = new GView();
  panelB->SetNoFill(1);
  panelB->Place(dialog, 10, 110, 270, 25);
  Label(panelB, 0, 1, 190, 780);
  popups[kRatio] = Popup(panelB, 195, 0, 781, 14, RatioChoice(operation.casualtyRatio));
  ShowOperationTypePanels();
  Label(dialog, 10, 141, 120, 800);
  popups[kWeatherPattern] = Popup(dialog, 130, 140, 801, 3, operation.weatherPattern);
  Label(dialog, 10, 171, 120, 670);
  popups[kOperationGround] = Popup(dialog, 130, 170, 671, 9, operation.groundCondition);
  Label(dialog, 10, 201, 120, 810);
  lengthCounter = NumberField(dialog, 130, 203, 58, std::clamp(operation.lastTurn, 2, 20), 811, 190, 201, 123, 150);
  Label(dialog, 10, 231, 120, 133);
  popups[kAttacker] = Popup(dialog, 130, 230, 130, 2, operation.attacker);
  Label(dialog, 10, 261, 120, 820);
  popups[kNight] = Popup(dialog, 130, 260, 821, 10, operation.nightEvery - 1);
  Label(dialog, 10, 291, 120, 642);
  std::vector<std::string> lengths;
  GString255 turns;
  turns.LoadResource(641);
  for (int32_t n = 10; n <= 30; n += 5) lengths.push_back(std::to_string(n) + turns.CStr());
  popups[kBattleLength] = Popup(dialog, 130, 290, lengths, operation.battleTurns / 5 - 2);
  Label(dialog, 10, 320, 142, 694);
  popups[kDirection] = Popup(dialog, 160, 320, 690, 4, operation.attackerEdge);
  Label(dialog, 10, 351, 120, 840);
  const int32_t limit = std::max(kWindowMin, WindowSizeLimit());
  auto* window = new EditorValueLabel();
  window->Setup(dialog, 140, 353, 40, std::clamp(operation.windowSize * 20, kWindowMin, limit), "m");
  smallFlagsCounter = window;
  Button(dialog, 190, 351, 134, 10024, 5, -1)->SetAutoRepeat(150);
  Button(dialog, 210, 351, 135, 10025, 5, -1)->SetAutoRepeat(150);
  Label(dialog, 10, 381, 120, 730);
  popups[kOperationContours] = Popup(dialog, 130, 380, 731, 2, ContoursChoice(operation.map));
  Label(dialog, 10, 410, 142, 850);
  popups[kSlot] = Popup(dialog, 170, 410, 851, 10, operation.openingSlot);
  Label(dialog, 10, 440, 160, 1532);
  descriptionEntry = new GTextEntry();
  descriptionEntry->Init(dialog, 10, 458, 78, 1, 1, 0);
  descriptionEntry->AppendText(&operation.title);

  // Right column: a heading, then a popup per side.
  struct Setting {
    int16_t heading;
    int16_t first;
    int32_t count;
    int32_t popup;
    int32_t values[2];
  };
  const Setting settings[4] = {
      {870, 135, 2, kNightCombatAxis, {operation.mayStartNight[0] != 0 ? 1 : 0, operation.mayStartNight[1] != 0 ? 1 : 0}},
      {871, 872, 6, kSupplyAxis, {operation.supply[0], operation.supply[1]}},
      {880, 881, 5, kRepairAxis, {operation.recovery[0], operation.recovery[1]}},
      {750, 751, 5, kOperationFanaticismAxis, {operation.fanaticism[0], operation.fanaticism[1]}},
  };
  for (int32_t i = 0; i < 4; ++i) {
    const Setting& s = settings[i];
    const int32_t y = 50 + 90 * i;
    Label(dialog, 330, y, 160, s.heading);
    for (int32_t side = 0; side < 2; ++side) {
      Label(dialog, 345, y + 18 * (side + 1), 52, static_cast<int16_t>(130 + side));
      popups[s.popup + side] = Popup(dialog, 400, y + 18 * (side + 1), s.first, s.count, s.values[side]);
    }
  }
  Label(dialog, 330, 410, 145, 865);
  std::vector<std::string> sizes;
  for (int32_t metres = 0; metres <= 400; metres += 80) sizes.push_back(std::to_string(metres) + "m");
  popups[kNoMansLand] = Popup(dialog, 475, 410, sizes, operation.noMansLand / 80);
}

void EditorState::CommitOperationParameters() {
  // Only the dialog's own OK commits it.
  if (descriptionEntry == nullptr || operationTypePopup == nullptr) return;
  Campaign& operation = OperationOf(*this);
  const auto choice = [this](int32_t popup) { return parameterPopups[static_cast<size_t>(popup)]->GetCurrentItem(); };

  operation.date = DateOfChoice(choice(kOperationDate));
  operation.operationType = operationTypePopup->GetCurrentItem();
  operation.weatherPattern = choice(kWeatherPattern);
  operation.groundCondition = choice(kOperationGround);
  operation.lastTurn = GetControlValue(lengthCounter);
  operation.attacker = choice(kAttacker);
  if (operation.map != nullptr) SetContours(*operation.map, choice(kOperationContours));
  if (operation.operationType == 1) operation.expectedProgress = (choice(kProgress) + 3) * 10;
  if (operation.operationType == 2) operation.casualtyRatio = kRatios[static_cast<size_t>(choice(kRatio))];
  const int32_t night = choice(kNight);
  operation.nightEvery = night == 0 ? 0 : night + 1;
  operation.openingSlot = std::min(choice(kSlot), operation.nightEvery);
  operation.noMansLand = choice(kNoMansLand) * 80;
  operation.battleTurns = (choice(kBattleLength) + 2) * 5;
  for (int32_t side = 0; side < 2; ++side) {
    operation.mayStartNight[side] = choice(kNightCombatAxis + side) != 0 ? 1 : 0;
    operation.supply[side] = choice(kSupplyAxis + side);
    operation.recovery[side] = choice(kRepairAxis + side);
    operation.fanaticism[side] = choice(kOperationFanaticismAxis + side);
  }
  descriptionEntry->GetText(&operation.title);
  const int32_t oldWindow = operation.windowSize;
  const int32_t oldDirection = operation.attackerEdge;
  operation.windowSize = static_cast<int32_t>(static_cast<float>(GetControlValue(smallFlagsCounter)) * 0.05f);
  operation.attackerEdge = choice(kDirection);
  if (operation.attackerEdge == oldDirection && operation.windowSize >= oldWindow) return;

  // Every unit must be placed again, on a map that suits the attack.
  operation.units.ForEach(ClearUnitPosition, nullptr);
  const bool alongWidth = AlongWidth(operation.attackerEdge);
  const auto tiles = [](const Map* map, bool width) {
    return map == nullptr ? 0 : (width ? map->size.tilesX : map->size.tilesY);
  };
  // Runs the map editor's size command until the preview's size along the dimension meets the
  // bound; the screen then goes back into the map.
  const auto walk = [this](int32_t command, bool width, bool grow, int32_t bound) {
    CloseScreen();
    suppressRedraw = 1;
    sizeWalk_ = 1;
    DoCommand(106);
    const auto size = [this, width] { return width ? mapView->GetWidthInTiles() : mapView->GetHeightInTiles(); };
    while (mapView != nullptr && (grow ? size() < bound : size() > bound)) {
      const int32_t before = size();
      DoCommand(command);
      if (size() == before) {
        GErrorLog::LogValue("Operation map size: the size command did not step", command);
        break;
      }
    }
    suppressRedraw = 0;
    sizeWalk_ = 0;
    DoCommand(136);
  };
  if (tiles(operation.map, alongWidth) < kFewestTilesAlong)
    walk(alongWidth ? 146 : 148, alongWidth, true, kFewestTilesAlong);
  if (tiles(operation.map, !alongWidth) > kMostTilesAcross)
    walk(alongWidth ? 149 : 147, !alongWidth, false, kMostTilesAcross);
  // The battle window's corner and the front line stay on the map and within its depth along
  // the new attack, as the game file requires of them.
  if (operation.map != nullptr) {
    operation.windowX = std::clamp(operation.windowX, 0, operation.map->size.tilesX - 1);
    operation.windowY = std::clamp(operation.windowY, 0, operation.map->size.tilesY - 1);
    operation.frontLine = std::clamp(operation.frontLine, 0, tiles(operation.map, alongWidth));
  }
}
