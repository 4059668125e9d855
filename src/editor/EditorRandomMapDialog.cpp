// The random map dialog (map type, tree coverage, hilliness) and what its two buttons do: make
// a new map for the battle being edited, or for a quick battle after narrowing its width.
#include <array>

#include "editor/EditorState.h"
#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapNarrowing.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"

namespace {

constexpr const char* kRandomMapDialogSource = "EditorRandomMapDialog";
constexpr int16_t kGeneratePicture = 11101;
constexpr int16_t kRandomMapDialogCancelPicture = 11103;
constexpr int16_t kRandomMapDialogClickSound = 152;

struct Choice {
  int16_t label;
  int32_t y;
  int32_t items;
  int32_t initial;
};

// Map type (Town .. Rural), tree coverage (Open .. Heavy), hilliness (Flat .. Large Hills):
// the label's string, then the items' strings after it.
constexpr std::array<Choice, 3> kChoices = {{{1010, 80, 4, 1}, {1020, 110, 4, 2}, {1030, 140, 5, 2}}};

GPopup* AddChoice(GView* dialog, const Choice& choice) {
  auto* label = new GLabel();
  label->InitWithResource(dialog, 10, choice.y + 1, 120, choice.label);
  label->SetFill(0);
  std::array<GString255, 5> texts;
  std::array<const GString*, 5> items{};
  for (int32_t i = 0; i < choice.items; ++i) {
    texts[static_cast<size_t>(i)].LoadResource(static_cast<int16_t>(choice.label + 1 + i));
    items[static_cast<size_t>(i)] = &texts[static_cast<size_t>(i)];
  }
  auto* popup = new GPopup();
  popup->Init(dialog, 130, choice.y, choice.items, items.data(), choice.initial);
  return popup;
}

}  // namespace

void EditorState::RandomMapDialog() {
  if (rootView == nullptr) FatalError(__LINE__, kRandomMapDialogSource);
  if (screenView != nullptr) screenView->SetVisible(0);
  if (secondDialog != nullptr && mapTypePopup != nullptr) {
    secondDialog->SetVisible(1);
    return;
  }
  secondDialog = new GView();
  secondDialog->Place(rootView, -1, -1, 420, 220);
  auto* generate = new GStripButton();
  generate->IStripButton(secondDialog, 0, 0, 144, kGeneratePicture, 0);
  generate->SetClickSound(kRandomMapDialogClickSound);
  auto* cancel = new GStripButton();
  cancel->IStripButton(secondDialog, 200, 0, 145, kRandomMapDialogCancelPicture, 0);
  cancel->SetClickSound(kRandomMapDialogClickSound);
  mapTypePopup = AddChoice(secondDialog, kChoices[0]);
  treeCoveragePopup = AddChoice(secondDialog, kChoices[1]);
  hillinessPopup = AddChoice(secondDialog, kChoices[2]);
}

void EditorState::DeleteRandomMapDialog() {
  // The popups go with the dialog.
  mapTypePopup = nullptr;
  treeCoveragePopup = nullptr;
  hillinessPopup = nullptr;
  SafeDelete(secondDialog);
}

int32_t EditorState::NarrowQuickBattleWidth(int32_t width, int32_t treeCoverage, int32_t battleType,
                                            int32_t axisForceType, int32_t alliedForceType, int32_t timeOfDay,
                                            int32_t weather) {
  return RandomMapNarrowing::NarrowQuickBattleWidth(width, treeCoverage, battleType, axisForceType, alliedForceType,
                                                    timeOfDay, weather);
}

void EditorState::Generate() {
  // The command comes from the dialog's own button, so the dialog and its popups exist.
  if (app_ == nullptr || secondDialog == nullptr || mapTypePopup == nullptr) FatalError(__LINE__, kRandomMapDialogSource);
  Battle* battle = AppBattle();
  BattleBase* base = battle;
  if (base == nullptr) base = AppOperation();
  if (base == nullptr || base->map == nullptr) {
    GErrorLog::LogError("There is no map to make a random map on");
    AppBeep();
    return;
  }
  RandomMapParams params;
  params.mapType = mapTypePopup->GetCurrentItem();
  params.treeCoverage = treeCoveragePopup->GetCurrentItem();
  params.hilliness = hillinessPopup->GetCurrentItem();
  // The centre moves away from the attacker's edge; a meeting engagement has none.
  if (battle != nullptr && battle->attacker >= 0 && battle->attacker <= 1) {
    params.attackerEdge = battle->FindEdgeOfSide(battle->attacker);
  }
  Map& map = *base->map;
  if (quickBattle != 0) {
    const int32_t width = NarrowQuickBattleWidth(quickMapWidth, params.treeCoverage, base->attacker,
                                                 quickForceType[0], quickForceType[1], base->timeOfDay, base->weather);
    params.widthMetres = static_cast<float>(width);
    params.heightMetres = static_cast<float>(quickMapHeight);
    RandomMapGenerator::Generate(map, params);
    DeleteRandomMapDialog();
    FinishQuickBattle();
    return;
  }
  // The map editor's width and height fields; without them the map keeps its size.
  params.widthMetres = static_cast<float>(mapWidthControl != nullptr ? GetControlValue(mapWidthControl)
                                                                     : map.size.tilesX * 20);
  params.heightMetres = static_cast<float>(mapHeightControl != nullptr ? GetControlValue(mapHeightControl)
                                                                       : map.size.tilesY * 20);
  RandomMapGenerator::Generate(map, params);
  secondDialog->SetVisible(0);
  SafeDelete(screenView);
  mapView = nullptr;
  RebuildMapEditScreenAfterGenerate();
}

void EditorState::CancelRandomMap() {
  if (quickBattle != 0) {
    DeleteRandomMapDialog();
    QuickBattleSetup();
    return;
  }
  if (secondDialog != nullptr) secondDialog->SetVisible(0);
  if (screenView != nullptr) screenView->SetVisible(1);
  else if (mainView != nullptr) mainView->SetVisible(1);
}

void EditorState::RebuildMapEditScreenAfterGenerate() {
  // The screen's controls went with it.
  mapWidthControl = nullptr;
  mapHeightControl = nullptr;
  MapEditScreen();
}
