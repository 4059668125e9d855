// The "Battle Parameters" dialog: the battle's date, time, weather, ground, length, type, map
// edges and exits, victory flags, bonus, contours, dig-in, fanaticism and description, and the
// commit that writes them back into the battle and its map. A stored value that no list
// holds opens on the nearest item; OK stores what the dialog shows.
#include <algorithm>
#include <string>
#include <vector>

#include "editor/EditorDialogParts.h"
#include "editor/EditorState.h"
#include "editor/EditorValueLabel.h"
#include "framework/core/GString127.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"

namespace {

using namespace EditorDialogParts;

constexpr const char* kSource = "EditorBattleParameters";

// The dialog's popups in EditorState::parameterPopups.
enum BattlePopup : int32_t {
  kDate,
  kTime,
  kWeather,
  kGround,
  kType,
  kEdgeWest,  // then North, East, South
  kExitAxis = kEdgeWest + 4,
  kExitAllied,
  kFlagCount,
  kObjective,
  kContours,
  kDigIn,
  kFanaticismAxis,
  kFanaticismAllied,
};

}  // namespace

void EditorState::BattleParametersDialog() {
  if (rootView == nullptr || mainView == nullptr || AppBattle() == nullptr)
    FatalError(__LINE__, kSource);
  const Battle& battle = *AppBattle();
  CloseScreen();
  mainView->SetVisible(0);
  GView* dialog = screenView = OpenDialog(rootView, 640, 480);
  Button(dialog, 0, 0, 121, 11101, 0, 152);
  Label(dialog, 220, 0, 200, 660);
  GPopup** popups = parameterPopups.data();

  // Left column.
  Label(dialog, 10, 51, 120, 600);
  popups[kDate] = Popup(dialog, 130, 50, 601, 12, DateChoice(battle.date));
  Label(dialog, 10, 81, 120, 620);
  popups[kTime] = Popup(dialog, 130, 80, 621, 3, battle.timeOfDay);
  Label(dialog, 10, 111, 120, 630);
  popups[kWeather] = Popup(dialog, 130, 110, 631, 6, battle.weather);
  Label(dialog, 10, 141, 120, 670);
  popups[kGround] = Popup(dialog, 130, 140, 671, 9, battle.groundCondition);
  Label(dialog, 10, 171, 120, 640);
  lengthCounter = NumberField(dialog, 130, 173, 50, std::clamp(battle.lastTurn, 1, 120), 641, 190, 171, 123, 150);
  Label(dialog, 10, 201, 120, 490);
  popups[kType] = Popup(dialog, 130, 200, 571, 3, battle.attacker);
  Label(dialog, 10, 231, 160, 472);
  for (int32_t edge = 0; edge < 4; ++edge) {
    const int32_t y = 249 + 18 * edge;
    Label(dialog, 25, y, 105, static_cast<int16_t>(690 + edge));
    popups[kEdgeWest + edge] = Popup(dialog, 130, y, 130, 3, battle.edgeOwner[edge]);
  }
  Label(dialog, 10, 351, 160, 700);
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t y = 369 + 18 * side;
    Label(dialog, 25, y, 105, static_cast<int16_t>(130 + side));
    const int32_t exit = battle.exitScoring[side] == 0 ? 0 : Nearest(battle.exitEdge[side], 4) + 1;
    popups[kExitAxis + side] = Popup(dialog, 130, y, std::vector<int16_t>{689, 690, 691, 692, 693}, exit);
  }

  // Flags: the mode is the last flag's.
  const int32_t flagCount = battle.flags.Count();
  const bool dynamic = flagCount > 0 && battle.FlagAt(flagCount - 1)->dynamic != 0;
  int32_t smallOrDynamic = 0;
  for (int32_t i = 0; i < flagCount; ++i)
    if (battle.FlagAt(i)->dynamic != 0 || battle.FlagAt(i)->type == 0) ++smallOrDynamic;
  Label(dialog, 330, 51, 120, 701);
  flagTypePopup = Popup(dialog, 450, 50, 702, 2, dynamic ? 1 : 0);
  flagTypePopup->SetCommand(122);
  const int32_t panelWidth = dialog->Width() - 330;
  panelA = new GView();
  panelA->SetNoFill(1);
  panelA->Place(dialog, 330, 80, panelWidth, 90);
  Label(panelA, 0, 1, 130, 704);
  smallFlagsCounter = NumberField(panelA, 130, 3, 40, std::clamp(smallOrDynamic, 0, 20), 0, 180, 1, 125, 150);
  Label(panelA, 0, 19, 130, 705);
  largeFlagsCounter =
      NumberField(panelA, 130, 21, 40, std::clamp(flagCount - smallOrDynamic, 0, 20), 0, 180, 19, 127, 150);
  panelB = new GView();
  panelB->SetNoFill(1);
  panelB->Place(dialog, 330, 80, panelWidth, 90);
  Label(panelB, 0, 1, 120, 706);
  popups[kFlagCount] = Popup(panelB, 120, 0, std::vector<std::string>{"2", "3", "4"}, dynamic ? flagCount - 2 : 0);
  Label(panelB, 0, 19, 120, 710);
  popups[kObjective] = Popup(panelB, 120, 18, 711, 2, battle.autoObjective != 0 ? 0 : 1);
  Label(panelB, 0, 37, 130, 707);
  flagValueCounter = NumberField(panelB, 130, 39, 40, std::clamp<int32_t>(battle.flagValue, 100, 2000), 0, 180, 37,
                                 129, 150);
  panelA->SetVisible(dynamic ? 0 : 1);
  panelB->SetVisible(dynamic ? 1 : 0);

  // Right column.
  Label(dialog, 330, 171, 112, 720);
  // Read as the Axis bonus less the Allied one (figured wide: a file may hold any values).
  const auto bonus = static_cast<int32_t>(
      std::clamp<int64_t>(int64_t{battle.bonusPoints[0]} - battle.bonusPoints[1], -9000, 9000));
  axisBonusCounter = NumberField(dialog, 442, 173, 63, bonus, 721, 510, 171, 131, 100);
  Label(dialog, 330, 201, 120, 730);
  popups[kContours] = Popup(dialog, 450, 200, 731, 2, ContoursChoice(battle.map));
  Label(dialog, 330, 231, 120, 740);
  popups[kDigIn] = Popup(dialog, 450, 230, 741, 2, battle.mayDigIn != 0 ? 0 : 1);
  Label(dialog, 330, 290, 160, 750);
  for (int32_t side = 0; side < 2; ++side) {
    Label(dialog, 345, 308 + 18 * side, 52, static_cast<int16_t>(130 + side));
    popups[kFanaticismAxis + side] = Popup(dialog, 400, 308 + 18 * side, 751, 5, battle.fanaticism[side]);
  }

  // The description: what fits the field is shown, and stored.
  Label(dialog, 10, 441, 160, 1532);
  descriptionEntry = new GTextEntry();
  descriptionEntry->Init(dialog, 10, 459, 78, 1, 1, 0);
  descriptionEntry->AppendText(&battle.title);
  staticFlagsAtOpening = IsStaticFlagPanelShown() ? 1 : 0;
}

void EditorState::ForgetParameterControls() {
  parameterPopups.fill(nullptr);
  descriptionEntry = nullptr;
  flagTypePopup = nullptr;
  operationTypePopup = nullptr;
  panelA = nullptr;
  panelB = nullptr;
  lengthCounter = nullptr;
  smallFlagsCounter = nullptr;
  largeFlagsCounter = nullptr;
  axisBonusCounter = nullptr;
  flagValueCounter = nullptr;
}

bool EditorState::IsStaticFlagPanelShown() const { return panelA != nullptr && panelA->IsVisible(); }

void EditorState::SwitchFlagPanels() {
  if (flagTypePopup == nullptr || panelA == nullptr || panelB == nullptr) return;
  const bool dynamicChosen = flagTypePopup->GetCurrentItem() == 1;
  if (dynamicChosen != IsStaticFlagPanelShown()) return;
  panelA->SetVisible(dynamicChosen ? 0 : 1);
  panelB->SetVisible(dynamicChosen ? 1 : 0);
}

namespace {

// Deletes the first n flags of the list that pass the test, in list order.
template <typename Test>
void DeleteFirstFlags(Battle& battle, int32_t n, Test test) {
  for (int32_t i = 0; i < battle.flags.Count() && n > 0;) {
    if (test(*battle.FlagAt(i))) {
      battle.flags.RemoveAt(i, true);
      --n;
    } else {
      ++i;
    }
  }
}

int32_t CountFlags(const Battle& battle, bool (*test)(const VictoryFlag&)) {
  int32_t n = 0;
  for (int32_t i = 0; i < battle.flags.Count(); ++i)
    if (test(*battle.FlagAt(i))) ++n;
  return n;
}

bool SmallOrDynamic(const VictoryFlag& flag) { return flag.dynamic != 0 || flag.type == 0; }
bool LargeStatic(const VictoryFlag& flag) { return !SmallOrDynamic(flag); }
bool Large(const VictoryFlag& flag) { return flag.type != 0; }

void AppendFlags(Battle& battle, int32_t n, int32_t type, uint8_t dynamic) {
  for (int32_t i = 0; i < n; ++i) {
    auto* flag = new VictoryFlag();
    flag->type = type;
    flag->dynamic = dynamic;
    battle.flags.Append(flag);
  }
}

}  // namespace

void EditorState::CommitBattleParameters() {
  // Only the dialog's own OK commits it.
  if (descriptionEntry == nullptr || flagTypePopup == nullptr) return;
  if (AppBattle() == nullptr) FatalError(__LINE__, kSource);
  Battle& battle = *AppBattle();
  const auto choice = [this](int32_t popup) { return parameterPopups[static_cast<size_t>(popup)]->GetCurrentItem(); };

  battle.date = DateOfChoice(choice(kDate));
  battle.season = SeasonOfDate(battle.date);
  battle.timeOfDay = choice(kTime);
  battle.weather = choice(kWeather);
  battle.groundCondition = choice(kGround);
  battle.lastTurn = GetControlValue(lengthCounter);
  battle.attacker = choice(kType);

  // Edges: each side keeps an edge, except that a lone Axis West becomes the Allied edge.
  for (int32_t edge = 0; edge < 4; ++edge) battle.edgeOwner[edge] = choice(kEdgeWest + edge);
  const auto owns = [&battle](int32_t side) { return std::find(battle.edgeOwner, battle.edgeOwner + 4, side) != battle.edgeOwner + 4; };
  if (!owns(0)) battle.edgeOwner[2] = 0;
  if (!owns(1)) battle.edgeOwner[0] = 1;

  for (int32_t side = 0; side < 2; ++side) {
    const int32_t exit = choice(kExitAxis + side);
    battle.exitScoring[side] = exit != 0 ? 1 : 0;
    // "No Exit" keeps the stored edge: the game file holds an edge 0..3 whether or not the
    // side may exit.
    if (exit != 0) battle.exitEdge[side] = exit - 1;
  }
  if (battle.exitScoring[0] != 0 && battle.exitScoring[1] != 0 && battle.exitEdge[0] == battle.exitEdge[1])
    battle.exitScoring[0] = 0;

  // Victory flags: a new mode starts from no flags.
  const bool staticChosen = IsStaticFlagPanelShown();
  if (staticChosen != (staticFlagsAtOpening != 0)) battle.flags.DeleteAll(true);
  if (!staticChosen) {
    const int32_t n = choice(kFlagCount) + 2;
    if (battle.flags.Count() > n) DeleteFirstFlags(battle, battle.flags.Count() - n, Large);
    AppendFlags(battle, n - battle.flags.Count(), 1, 1);
    battle.autoObjective = choice(kObjective) == 0 ? 1 : 0;
    battle.flagValue = static_cast<int16_t>(GetControlValue(flagValueCounter));
    for (int32_t i = 0; i < battle.flags.Count(); ++i) {
      battle.FlagAt(i)->dynamic = 1;
      battle.FlagAt(i)->chosen = battle.autoObjective;
    }
    if (battle.autoObjective == 0 && battle.flags.Count() > 0) battle.FlagAt(0)->chosen = 1;
  } else {
    const int32_t small = GetControlValue(smallFlagsCounter);
    const int32_t smallNow = CountFlags(battle, SmallOrDynamic);
    if (small > smallNow) AppendFlags(battle, small - smallNow, 0, 0);
    else DeleteFirstFlags(battle, smallNow - small, SmallOrDynamic);
    const int32_t large = GetControlValue(largeFlagsCounter);
    const int32_t largeNow = CountFlags(battle, LargeStatic);
    if (large > largeNow) AppendFlags(battle, large - largeNow, 1, 0);
    else DeleteFirstFlags(battle, largeNow - large, LargeStatic);
    for (int32_t i = 0; i < battle.flags.Count(); ++i) battle.FlagAt(i)->dynamic = 0;
  }

  const int32_t bonus = GetControlValue(axisBonusCounter);
  battle.bonusPoints[0] = bonus > 0 ? bonus : 0;
  battle.bonusPoints[1] = bonus > 0 ? 0 : -bonus;

  if (battle.map != nullptr) SetContours(*battle.map, choice(kContours));
  battle.mayDigIn = choice(kDigIn) == 0 ? 1 : 0;
  battle.fanaticism[0] = choice(kFanaticismAxis);
  battle.fanaticism[1] = choice(kFanaticismAllied);
  descriptionEntry->GetText(&battle.title);
}
