// The battle and operation parameters dialogs: what they open on (stored values outside the
// lists brought to the nearest item), what OK writes back, the flag panels and the operation
// commit's map-size walk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorRig.h"
#include "editor/EditorMapPreview.h"
#include "framework/core/GString127.h"
#include "framework/ui/GControl.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "platform/PFakeBackEnd.h"

namespace {

// The dialog open in the editor's screen slot; its popups by their place in it.
class Parameters {
 public:
  explicit Parameters(EditorRig& rig) : rig_(rig) {}
  EditorState& State() { return *rig_.State(); }
  void Open() {
    rig_.App().DoCommand(104);
    ASSERT_NE(State().screenView, nullptr);
  }
  void Ok() { rig_.App().DoCommand(121); }
  GPopup* At(int32_t x, int32_t y) { return PopupAt(State().screenView, x, y); }
  // The popup's shown text.
  std::string Shows(int32_t x, int32_t y) {
    GPopup* popup = At(x, y);
    return popup == nullptr ? "(none)" : popup->GetItemText(popup->GetCurrentItem())->CStr();
  }
  void Choose(int32_t x, int32_t y, int32_t item) { At(x, y)->SetCurrentItem(item); }
  void Press(int32_t command, int32_t n = 1) {
    for (int32_t i = 0; i < n; ++i) rig_.App().DoCommand(command);
  }

 private:
  EditorRig& rig_;
};

// Shift pressed and held: the kernel's live key state knows it from here on.
void HoldShift(EditorRig& rig) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = SDLK_LSHIFT;
  e.key.keysym.scancode = SDL_SCANCODE_LSHIFT;
  e.key.keysym.mod = KMOD_LSHIFT;
  rig.shell.fake->ScriptEvent(e);
}

Battle& TheBattle(EditorRig& rig) { return *rig.App().GetBattle(); }

// Flags of the given types (0 small, 1 large) in list order, each marked by its x.
void SetFlags(Battle& battle, const std::vector<int32_t>& types, uint8_t dynamic = 0) {
  battle.flags.DeleteAll(true);
  for (size_t i = 0; i < types.size(); ++i) {
    auto* flag = new VictoryFlag(static_cast<float>(i + 1), 10.0f, types[i]);
    flag->dynamic = dynamic;
    battle.flags.Append(flag);
  }
}

std::vector<std::pair<float, int32_t>> Flags(const Battle& battle) {
  std::vector<std::pair<float, int32_t>> out;
  for (int32_t i = 0; i < battle.flags.Count(); ++i) out.emplace_back(battle.FlagAt(i)->x, battle.FlagAt(i)->type);
  return out;
}

// The battle dialog's places.
constexpr int32_t kX = 130;
constexpr int32_t kDateY = 50;
constexpr int32_t kEdgeY = 249;
constexpr int32_t kExitY = 369;

}  // namespace

TEST(BattleParameters, DatesOpenOnTheirMonthAndStoreTheSeason) {
  EditorRig rig;
  Parameters dialog(rig);
  TheBattle(rig).date = 4411;
  dialog.Open();
  EXPECT_EQ(dialog.Shows(kX, kDateY), "November  1944");
  dialog.Choose(kX, kDateY, 7);
  EXPECT_EQ(dialog.Shows(kX, kDateY), "January  1945");
  dialog.Ok();
  EXPECT_EQ(TheBattle(rig).date, 4501);
  EXPECT_EQ(TheBattle(rig).season, 3);
  EXPECT_TRUE(dialog.State().mainView->IsVisible());
  EXPECT_EQ(dialog.State().screenView, nullptr);
  dialog.Open();
  dialog.Choose(kX, kDateY, 0);
  dialog.Ok();
  EXPECT_EQ(TheBattle(rig).date, 4406);
  EXPECT_EQ(TheBattle(rig).season, 1);
  EXPECT_EQ(dialog.State().modified, 1);
}

TEST(BattleParameters, EdgesAndExitsKeepEachSideAnEdge) {
  EditorRig rig;
  Parameters dialog(rig);
  Battle& battle = TheBattle(rig);
  dialog.Open();
  for (int32_t edge = 0; edge < 4; ++edge) dialog.Choose(kX, kEdgeY + 18 * edge, 2);
  // Both sides exit North: only the Allies keep it.
  dialog.Choose(kX, kExitY, 2);
  dialog.Choose(kX, kExitY + 18, 2);
  dialog.Ok();
  EXPECT_EQ(std::vector<int32_t>(battle.edgeOwner, battle.edgeOwner + 4), (std::vector<int32_t>{1, 2, 0, 2}));
  EXPECT_EQ(battle.exitScoring[0], 0);
  EXPECT_EQ(battle.exitScoring[1], 1);
  EXPECT_EQ(battle.exitEdge[1], 1);
  EXPECT_EQ(battle.exitEdge[0], 1);
  // West the only Axis edge and no Allied edge: West becomes Allied and no edge is Axis.
  dialog.Open();
  EXPECT_EQ(dialog.Shows(kX, kExitY), "No Exit");
  EXPECT_EQ(dialog.Shows(kX, kExitY + 18), "North");
  dialog.Choose(kX, kEdgeY, 0);
  for (int32_t edge = 1; edge < 4; ++edge) dialog.Choose(kX, kEdgeY + 18 * edge, 2);
  dialog.Choose(kX, kExitY + 18, 0);
  dialog.Ok();
  EXPECT_EQ(std::vector<int32_t>(battle.edgeOwner, battle.edgeOwner + 4), (std::vector<int32_t>{1, 2, 2, 2}));
  // No exit: the stored edge stays one the game file can hold.
  EXPECT_EQ(battle.exitScoring[1], 0);
  EXPECT_EQ(battle.exitEdge[1], 1);
  // The Axis side then starts at its default edge, East.
  EXPECT_EQ(battle.FindEdgeOfSide(0), 2);
}

TEST(BattleParameters, StaticFlagCountsDeleteFromTheFrontAndAppend) {
  EditorRig rig;
  Parameters dialog(rig);
  Battle& battle = TheBattle(rig);
  SetFlags(battle, {0, 1, 0, 1, 0});
  dialog.Open();
  EditorState& state = dialog.State();
  EXPECT_TRUE(state.IsStaticFlagPanelShown());
  EXPECT_EQ(state.smallFlagsCounter->GetValue(), 3);
  EXPECT_EQ(state.largeFlagsCounter->GetValue(), 2);
  dialog.Press(126, 2);
  dialog.Press(127, 2);
  dialog.Ok();
  const auto flags = Flags(battle);
  ASSERT_EQ(flags.size(), 5u);
  // The first two small flags (x 1 and 3) are gone; the rest keep their order.
  EXPECT_EQ(flags[0], std::make_pair(2.0f, 1));
  EXPECT_EQ(flags[1], std::make_pair(4.0f, 1));
  EXPECT_EQ(flags[2], std::make_pair(5.0f, 0));
  EXPECT_EQ(flags[3].second, 1);
  EXPECT_EQ(flags[4].second, 1);
  for (int32_t i = 0; i < battle.flags.Count(); ++i) EXPECT_EQ(battle.FlagAt(i)->dynamic, 0);
}

TEST(BattleParameters, FlagModeChangesRemakeTheFlags) {
  EditorRig rig;
  Parameters dialog(rig);
  Battle& battle = TheBattle(rig);
  battle.attacker = 0;
  SetFlags(battle, {0, 1, 1});
  battle.flagValue = 900;
  dialog.Open();
  EditorState& state = dialog.State();
  EXPECT_FALSE(state.panelB->IsVisible());
  dialog.Choose(450, 50, 1);
  dialog.Press(122);
  EXPECT_FALSE(state.IsStaticFlagPanelShown());
  EXPECT_TRUE(state.panelB->IsVisible());
  dialog.Choose(330 + 120, 80, 1);  // "3"
  dialog.Choose(330 + 120, 98, 1);  // "By Attacker"
  dialog.Press(129, 2);
  dialog.Ok();
  ASSERT_EQ(battle.flags.Count(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(battle.FlagAt(i)->type, 1);
    EXPECT_EQ(battle.FlagAt(i)->dynamic, 1);
    EXPECT_EQ(battle.FlagAt(i)->chosen, i == 0 ? 1 : 0);
    EXPECT_NE(battle.FlagAt(i)->x, static_cast<float>(i + 1));  // new flags
  }
  EXPECT_EQ(battle.autoObjective, 0);
  EXPECT_EQ(battle.flagValue, 950);

  // Dynamic to dynamic keeps the flags; "Automatically" marks every one.
  const float firstX = battle.FlagAt(0)->x;
  dialog.Open();
  EXPECT_EQ(dialog.Shows(450, 50), "Dynamic");
  EXPECT_EQ(dialog.Shows(450, 80), "3");
  EXPECT_EQ(dialog.Shows(450, 98), "By Attacker");
  EXPECT_EQ(state.smallFlagsCounter->GetValue(), 3);
  dialog.Choose(450, 98, 0);
  dialog.Ok();
  ASSERT_EQ(battle.flags.Count(), 3);
  EXPECT_EQ(battle.FlagAt(0)->x, firstX);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(battle.FlagAt(i)->chosen, 1);

  // Back to static: as many small flags as there were dynamic ones, no large.
  dialog.Open();
  dialog.Choose(450, 50, 0);
  dialog.Press(122);
  dialog.Ok();
  ASSERT_EQ(battle.flags.Count(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(battle.FlagAt(i)->type, 0);
    EXPECT_EQ(battle.FlagAt(i)->dynamic, 0);
  }
}

TEST(BattleParameters, AMeetingEngagementComparesModesAsTheOtherTypes) {
  EditorRig rig;
  Parameters dialog(rig);
  Battle& battle = TheBattle(rig);
  battle.attacker = 2;
  SetFlags(battle, {1, 1}, 1);
  dialog.Open();
  dialog.Ok();
  // Dynamic to dynamic keeps them.
  ASSERT_EQ(battle.flags.Count(), 2);
  EXPECT_EQ(battle.FlagAt(0)->x, 1.0f);
  // Static to dynamic deletes the static flags first.
  SetFlags(battle, {0, 0, 0});
  dialog.Open();
  dialog.Choose(450, 50, 1);
  dialog.Press(122);
  dialog.Ok();
  ASSERT_EQ(battle.flags.Count(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(battle.FlagAt(i)->type, 1);
    EXPECT_EQ(battle.FlagAt(i)->dynamic, 1);
  }
}

TEST(BattleParameters, BonusContoursAndTheRestOfTheDialog) {
  EditorRig rig;
  Parameters dialog(rig);
  Battle& battle = TheBattle(rig);
  Map& map = *battle.map;
  map.terrain.tileHeight.At(3, 4) = 7.5f;
  dialog.Open();
  dialog.Press(132, 30);  // -300
  dialog.Choose(450, 200, 1);
  dialog.Choose(450, 230, 0);
  dialog.Choose(400, 326, 3);
  dialog.Choose(kX, 80, 2);
  dialog.Choose(kX, 110, 5);
  dialog.Choose(kX, 140, 8);
  dialog.Choose(kX, 200, 1);
  dialog.Press(124, 5);
  dialog.State().descriptionEntry->Clear();
  GString127 text;
  text.Assign("Hold the ridge");
  dialog.State().descriptionEntry->AppendText(&text);
  const int32_t turns = battle.lastTurn;
  dialog.Ok();
  EXPECT_EQ(battle.bonusPoints[0], 0);
  EXPECT_EQ(battle.bonusPoints[1], 300);
  EXPECT_FLOAT_EQ(map.size.heightScale, 1.6666666f);
  EXPECT_FLOAT_EQ(map.terrain.tileHeight.At(3, 4), 15.0f);
  EXPECT_EQ(battle.mayDigIn, 1);
  EXPECT_EQ(battle.fanaticism[1], 3);
  EXPECT_EQ(battle.timeOfDay, 2);
  EXPECT_EQ(battle.weather, 5);
  EXPECT_EQ(battle.groundCondition, 8);
  EXPECT_EQ(battle.attacker, 1);
  EXPECT_EQ(battle.lastTurn, turns - 5);
  EXPECT_STREQ(battle.title.CStr(), "Hold the ridge");
  // The same contour leaves the heights; a bonus of 20 goes to the Axis.
  dialog.Open();
  EXPECT_EQ(dialog.Shows(450, 200), "Steep (5m)");
  EXPECT_EQ(dialog.State().axisBonusCounter->GetValue(), -300);
  dialog.Press(131, 32);
  dialog.Ok();
  EXPECT_FLOAT_EQ(map.terrain.tileHeight.At(3, 4), 15.0f);
  EXPECT_EQ(battle.bonusPoints[0], 20);
  EXPECT_EQ(battle.bonusPoints[1], 0);
}

TEST(BattleParameters, StoredValuesOutsideTheListsOpenClamped) {
  EditorRig rig;
  Parameters dialog(rig);
  Battle& battle = TheBattle(rig);
  battle.date = 4301;
  battle.fanaticism[0] = 7;
  battle.weather = 9;
  battle.edgeOwner[1] = 5;
  battle.exitScoring[0] = 1;
  battle.exitEdge[0] = 8;
  battle.title.Assign(std::string(100, 'd').c_str());
  SetFlags(battle, {1, 1, 1, 1, 1, 1}, 1);
  dialog.Open();
  EXPECT_EQ(dialog.Shows(kX, kDateY), "June  1944");
  EXPECT_EQ(dialog.Shows(400, 308), "All Troops 50%");
  EXPECT_EQ(dialog.Shows(kX, 110), "Snow");
  EXPECT_EQ(dialog.Shows(kX, kEdgeY + 18), "Neutral");
  EXPECT_EQ(dialog.Shows(kX, kExitY), "South");
  EXPECT_EQ(dialog.Shows(450, 80), "4");
  EXPECT_EQ(dialog.State().descriptionEntry->Length(), 78);
  dialog.Ok();
  EXPECT_EQ(battle.date, 4406);
  EXPECT_EQ(battle.fanaticism[0], 4);
  EXPECT_EQ(battle.flags.Count(), 4);
  EXPECT_EQ(battle.title.Length(), 78);
  // A date past the list opens on its last month.
  battle.date = 4612;
  dialog.Open();
  EXPECT_EQ(dialog.Shows(kX, kDateY), "May  1945");
  dialog.Ok();
}

TEST(BattleParameters, AStrayCommitWithoutTheDialogDoesNothing) {
  EditorRig rig;
  const int32_t date = TheBattle(rig).date;
  TheBattle(rig).date = 4411;
  rig.App().DoCommand(121);
  rig.App().DoCommand(122);
  EXPECT_EQ(TheBattle(rig).date, 4411);
  (void)date;
}

// ---- The operation parameters ----

namespace {

Campaign& NewOperation(EditorRig& rig) {
  rig.App().DoCommand(100);
  return *rig.App().GetCampaign();
}

// The operation map remade at a size in metres.
void ResizeOperationMap(Campaign& operation, float width, float height) {
  ASSERT_TRUE(operation.map->NewMap(width, height, nullptr));
}

Unit* AddUnit(Campaign& operation, float x, float y) {
  Unit* unit = CreateUnit(0, 0, 6, 2);
  unit->x = x;
  unit->y = y;
  operation.units.Append(unit);
  return unit;
}

}  // namespace

TEST(OperationParameters, ANewOperationOpensOnItsDefaults) {
  EditorRig rig;
  Parameters dialog(rig);
  NewOperation(rig);
  dialog.Open();
  EditorState& state = dialog.State();
  EXPECT_EQ(dialog.Shows(130, 50), "November  1944");
  EXPECT_EQ(dialog.Shows(130, 80), "Assault");
  EXPECT_EQ(dialog.Shows(130, 110), "70%");
  EXPECT_FALSE(state.panelB->IsVisible());
  EXPECT_EQ(state.parameterPopups[2]->GetItemText(state.parameterPopups[2]->GetCurrentItem())->CStr(),
            std::string("100%"));
  EXPECT_EQ(dialog.Shows(130, 260), "Every 4th Battle");
  EXPECT_EQ(dialog.Shows(130, 290), "15 turns");
  EXPECT_EQ(state.smallFlagsCounter->GetValue(), 1200);
  EXPECT_EQ(dialog.Shows(475, 410), "400m");
  EXPECT_EQ(state.lengthCounter->GetValue(), 10);
  // Destroy shows the ratio panel instead.
  dialog.Choose(130, 80, 2);
  dialog.Press(133);
  EXPECT_FALSE(state.panelA->IsVisible());
  EXPECT_TRUE(state.panelB->IsVisible());
  EXPECT_EQ(dialog.Shows(10 + 195, 110), "100%");
}

TEST(OperationParameters, RatiosNightAndTimeSlots) {
  EditorRig rig;
  Parameters dialog(rig);
  Campaign& operation = NewOperation(rig);
  operation.operationType = 2;
  const float ratios[14] = {0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.25f, 1.5f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f};
  for (float ratio : ratios) {
    operation.casualtyRatio = ratio;
    dialog.Open();
    dialog.Ok();
    EXPECT_EQ(operation.casualtyRatio, ratio);
  }
  operation.casualtyRatio = 1.1f;
  dialog.Open();
  EXPECT_EQ(dialog.Shows(205, 110), "125%");
  dialog.Ok();
  operation.casualtyRatio = 7.0f;
  dialog.Open();
  EXPECT_EQ(dialog.Shows(205, 110), "600%");
  // "No Night" stores 0 and the first time slot.
  dialog.Choose(130, 260, 0);
  dialog.Choose(170, 410, 6);
  dialog.Ok();
  EXPECT_EQ(operation.nightEvery, 0);
  EXPECT_EQ(operation.openingSlot, 0);
  EXPECT_EQ(operation.casualtyRatio, 6.0f);
  dialog.Open();
  dialog.Choose(130, 260, 2);
  dialog.Choose(170, 410, 4);
  dialog.Ok();
  EXPECT_EQ(operation.nightEvery, 3);
  EXPECT_EQ(operation.openingSlot, 3);
}

TEST(OperationParameters, StoredValuesOutsideTheListsOpenClamped) {
  EditorRig rig;
  Parameters dialog(rig);
  Campaign& operation = NewOperation(rig);
  operation.expectedProgress = 95;
  operation.noMansLand = 480;
  operation.battleTurns = 90;
  operation.supply[1] = 12;
  operation.attackerEdge = -3;
  dialog.Open();
  EXPECT_EQ(dialog.Shows(130, 110), "80%");
  EXPECT_EQ(dialog.Shows(475, 410), "400m");
  EXPECT_EQ(dialog.Shows(130, 290), "30 turns");
  EXPECT_EQ(dialog.Shows(400, 140 + 36), "Severe");
  dialog.Ok();
  EXPECT_EQ(operation.expectedProgress, 80);
  EXPECT_EQ(operation.noMansLand, 400);
  EXPECT_EQ(operation.battleTurns, 30);
  EXPECT_EQ(operation.supply[1], 5);
}

TEST(OperationParameters, TheWindowSizeStepsWithinItsLimits) {
  EditorRig rig;
  Parameters dialog(rig);
  Campaign& operation = NewOperation(rig);
  operation.attackerEdge = 1;
  ResizeOperationMap(operation, 2000.0f, 1700.0f);  // 100 x 85 tiles
  dialog.Open();
  GControl* window = dialog.State().smallFlagsCounter;
  // The stored direction (North) counts the height's 85 tiles: 1700 m.
  dialog.Choose(160, 320, 0);
  dialog.Press(134, 20);
  EXPECT_EQ(window->GetValue(), 1760);
  dialog.Press(135, 20);
  EXPECT_EQ(window->GetValue(), 1200);
  dialog.Ok();
  operation.attackerEdge = 0;
  ResizeOperationMap(operation, 4000.0f, 1200.0f);  // 200 tiles wide: capped at 180
  dialog.Open();
  window = dialog.State().smallFlagsCounter;
  dialog.Press(134, 40);
  EXPECT_EQ(window->GetValue(), 3600);
  dialog.Ok();
  EXPECT_EQ(operation.windowSize, 180);
}

TEST(OperationParameters, UnitsStayUnlessTheDirectionOrWindowChanges) {
  EditorRig rig;
  Parameters dialog(rig);
  Campaign& operation = NewOperation(rig);
  Unit* unit = AddUnit(operation, 300.0f, 400.0f);
  dialog.Open();
  dialog.Choose(400, 140 + 18, 4);
  dialog.State().descriptionEntry->Clear();
  dialog.Ok();
  EXPECT_EQ(operation.supply[0], 4);
  EXPECT_EQ(unit->x, 300.0f);
  EXPECT_EQ(unit->y, 400.0f);
  const int32_t direction = operation.attackerEdge;
  dialog.Open();
  dialog.Choose(160, 320, direction == 2 ? 0 : 2);
  dialog.Ok();
  EXPECT_EQ(unit->x, 0.0f);
  EXPECT_EQ(unit->y, 0.0f);
  EXPECT_TRUE(dialog.State().mainView->IsVisible());
  EXPECT_EQ(dialog.State().screenView, nullptr);
  EXPECT_EQ(dialog.State().mapView, nullptr);
}

TEST(OperationParameters, TheMapIsWalkedToSuitTheAttackEvenWithShiftHeld) {
  for (bool shift : {false, true}) {
    EditorRig rig;
    Parameters dialog(rig);
    Campaign& operation = NewOperation(rig);
    operation.attackerEdge = 1;
    ResizeOperationMap(operation, 1040.0f, 3200.0f);  // 52 x 160 tiles
    // A hill at the map's low corner: a walk with Shift would move it.
    operation.map->terrain.tileHeight.At(0, 0) = 40.0f;
    // A window corner and a front line that the smaller map and the new direction leave out.
    operation.windowY = 155;
    operation.frontLine = 100;
    if (shift) HoldShift(rig);
    dialog.Open();
    dialog.Choose(160, 320, 0);
    dialog.Ok();
    EXPECT_EQ(rig.shell.kernel->IsShiftDown(), shift);
    EXPECT_EQ(operation.attackerEdge, 0);
    EXPECT_EQ(operation.map->size.worldWidth, 1200.0f) << shift;
    EXPECT_EQ(operation.map->size.tilesX, 60);
    EXPECT_EQ(operation.map->size.worldHeight, 2960.0f) << shift;
    EXPECT_EQ(operation.map->size.tilesY, 148);
    EXPECT_GT(operation.map->terrain.tileHeight.At(0, 0), 20.0f) << shift;
    EXPECT_EQ(operation.windowY, 147);
    EXPECT_EQ(operation.frontLine, 60);
    EXPECT_EQ(dialog.State().mapView, nullptr);
    EXPECT_TRUE(dialog.State().mainView->IsVisible());
    EXPECT_EQ(dialog.State().suppressRedraw, 0);
  }
}
