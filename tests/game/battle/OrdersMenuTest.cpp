// The orders menu: its place inside the view, which orders it lists and under which letters,
// what the hot keys match, and the pictures it draws.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "game/battle/BattleTestRig.h"
#include "game/battle/MovingTestUnits.h"
#include "game/battle/PlainViewHost.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "framework/core/Quorl.h"
#include "game/ui/MapView.h"
#include "game/ui/MenuItem.h"
#include "game/ui/UnitOrdersMenu.h"
#include "game/ui/VehicleQuestionMenu.h"
#include "game/ui/WaypointMenu.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/orders/Waypoint.h"

namespace {

class OrdersMenu : public testing::Test {
 protected:
  OrdersMenu() {
    battle = &rig.Fresh();
    battle->setupPhase = 0;
  }
  Unit* Add(int32_t kind, float x) {
    Unit* unit = BattleTestRig::MakeUnit(kind, 0, x, 100.0f);
    battle->PlaceUnitAt(unit, x, 100.0f);
    return unit;
  }
  static int32_t IndexOf(const Menu& menu, int32_t code) {
    for (int32_t i = 0; i < menu.Count(); ++i) {
      if (menu.CodeAt(i) == code) return i;
    }
    return -1;
  }

  PlainViewHost views;
  BattleTestRig rig;
  Battle* battle = nullptr;
};

}  // namespace

TEST(OrdersMenuPlace, TheMenuStaysInsideTheView) {
  constexpr int32_t W = 800;
  constexpr int32_t H = 510;
  EXPECT_EQ(Menu::PlaceAt(10, 100, 3, W, H).left, 0);
  EXPECT_EQ(Menu::PlaceAt(W - 10, 100, 3, W, H).left, W - 160);
  EXPECT_EQ(Menu::PlaceAt(400, 100, 3, W, H).left, 320);
  const GRect low = Menu::PlaceAt(400, H - 30, 3, W, H);
  EXPECT_EQ(low.top, H - 80);
  EXPECT_EQ(low.bottom - low.top, 80);
  EXPECT_EQ(Menu::PlaceAt(400, -5, 3, W, H).top, 0);
}

TEST(OrdersMenuPlace, HotKeysMatchEitherCase) {
  EXPECT_TRUE(Menu::MatchHotKey('M', 'M'));
  EXPECT_TRUE(Menu::MatchHotKey('M', 'm'));
  EXPECT_FALSE(Menu::MatchHotKey('M', 'n'));
  EXPECT_FALSE(Menu::MatchHotKey(0, 0));
  EXPECT_FALSE(Menu::MatchHotKey('m', 'M'));
}

TEST_F(OrdersMenu, AddingRefusesRepeatedCodesAndLettersAndAHundredAndFirst) {
  UnitOrdersMenu menu;
  EXPECT_TRUE(menu.AddItem(kOrderMove, 5, 'M', false));
  EXPECT_FALSE(menu.AddItem(kOrderFastMove, 4, 'M', false));  // M is taken
  EXPECT_FALSE(menu.AddItem(kOrderMove, 5, 'X', false));  // the move is listed
  EXPECT_TRUE(menu.AddItem(kOrderCancelMoves, 10, 0, false));
  EXPECT_TRUE(menu.AddItem(kOrderSplit, 32, 0, false));  // no letter: only the code counts
  for (int32_t code = 100; menu.Count() < Menu::kMaxItems; ++code) menu.AddItem(code, 0, 0, false);
  EXPECT_FALSE(menu.AddItem(999, 0, 0, false));
  EXPECT_EQ(menu.Count(), Menu::kMaxItems);
  EXPECT_FALSE(menu.HandleKey('m'));  // counted only: no items to press
}

TEST_F(OrdersMenu, AVehicleListsItsFastMoveUnderF) {
  Unit* vehicle = Add(1, 50.0f);
  battle->selectedUnit = vehicle;
  ASSERT_TRUE(vehicle->CanTakeOrder(kOrderFastMove));
  auto owned = std::make_unique<UnitOrdersMenu>();
  UnitOrdersMenu& menu = *owned;
  menu.Open(*battle, vehicle, 400, 100, nullptr);
  const int32_t fast = IndexOf(menu, kOrderFastMove);
  ASSERT_GE(fast, 0);
  EXPECT_EQ(menu.HotKeyAt(fast), 'F');
  EXPECT_EQ(IndexOf(menu, kOrderRun), vehicle->CanTakeOrder(kOrderRun) ? fast - 1 : -1);
  EXPECT_EQ(menu.GetChildCount(), menu.Count());
  EXPECT_EQ(menu.Height(), 20 * menu.Count() + 20);
  EXPECT_EQ(menu.GetStyle(), 0);
  EXPECT_FALSE(MapView::showOrdersMenuTip);
}

TEST_F(OrdersMenu, AMixedGroupOfFastVehiclesAndWalkersOffersTheRunFirst) {
  Unit* vehicle = Add(1, 50.0f);
  Unit* squad = new Walker;  // too slow to run
  squad->Setup(60.0f, 100.0f, 0.0f, 6, 2);
  squad->side = 1;
  battle->PlaceUnitAt(squad, 60.0f, 100.0f);
  vehicle->boxSelection = 2;
  squad->boxSelection = 2;
  battle->multiSelection = 1;
  battle->selectedUnit = squad;
  ASSERT_TRUE(vehicle->CanTakeOrder(kOrderFastMove));
  ASSERT_FALSE(squad->CanTakeOrder(kOrderRun));
  auto owned = std::make_unique<UnitOrdersMenu>();
  UnitOrdersMenu& menu = *owned;
  menu.Open(*battle, squad, 400, 100, nullptr);
  ASSERT_GT(menu.Count(), 0);
  EXPECT_EQ(menu.CodeAt(0), kOrderRun);
  EXPECT_EQ(menu.HotKeyAt(0), 'F');
}

TEST_F(OrdersMenu, ASecondOpeningClosesTheMenuAndAUnitOffTheOrdersOpensNone) {
  Unit* vehicle = Add(1, 50.0f);
  battle->selectedUnit = vehicle;
  if (!vehicle->IsCommandable()) GTEST_SKIP() << "the test vehicle takes no orders";
  Map& map = *battle->map;
  map.camera.openMenu = UnitOrdersMenu::OpenFor(*battle, true);
  ASSERT_NE(map.camera.openMenu, nullptr);
  EXPECT_EQ(UnitOrdersMenu::OpenFor(*battle, true), nullptr);
  EXPECT_EQ(map.camera.openMenu, nullptr);
  // A rotate waypoint selected: no menu.
  vehicle->waypointCount = 1;
  vehicle->WaypointAt(0).moveMode = Waypoint::kRotateTo;
  battle->selectedWaypoint = 0;
  EXPECT_EQ(UnitOrdersMenu::OpenFor(*battle, false), nullptr);
}

TEST_F(OrdersMenu, AChosenOrderClosesTheMenuThenReachesTheUnit) {
  Unit* vehicle = Add(1, 50.0f);
  battle->selectedUnit = vehicle;
  if (!vehicle->IsCommandable()) GTEST_SKIP() << "the test vehicle takes no orders";
  Map& map = *battle->map;
  map.camera.openMenu = UnitOrdersMenu::OpenFor(*battle, true);
  ASSERT_NE(map.camera.openMenu, nullptr);
  battle->DoCommand(kOrderMove);  // as the item's command comes back through the battle
  EXPECT_EQ(map.camera.openMenu, nullptr);
  EXPECT_EQ(battle->App().GetInputMode(), InputModes::kMovePick);
  EXPECT_EQ(map.orders.pendingMoveCode, kOrderMove);
  // With no menu open the code is dropped.
  battle->App().SetInputMode(InputModes::kNoPick);
  battle->DoCommand(kOrderMove);
  EXPECT_EQ(battle->App().GetInputMode(), InputModes::kNoPick);
}

namespace {

// The battlefield view as the menus see it: the commands of their items go to the battle.
class CommandView : public GView {
 public:
  explicit CommandView(Battle& battle) : battle_(battle) { Place(nullptr, 0, 0, 800, 510); }
  void DoCommand(int32_t command) override { battle_.DoCommand(command); }

 private:
  Battle& battle_;
};

// A test vehicle that keeps the answer of its question.
class AskingVehicle : public TestVehicle {
 public:
  void SetQuestionAnswer(bool yes) override { answer = yes ? 1 : 0; }
  int32_t answer = -1;
};

}  // namespace

TEST_F(OrdersMenu, TheQuestionMenusOpenAtTheLastClickAndTheirKeysAnswer) {
  battle->map->display.battleView = new CommandView(*battle);  // the map owns it
  battle->map->orders.questionX = 790;
  battle->map->orders.questionY = 500;
  auto* vehicle = new AskingVehicle;
  vehicle->Setup(50.0f, 100.0f, 0.0f, 6, 2);
  battle->PlaceUnitAt(vehicle, 50.0f, 100.0f);
  Unit* squad = Add(0, 60.0f);
  Map& map = *battle->map;

  // Only for the selected unit, and only of its kind.
  battle->selectedUnit = squad;
  EXPECT_EQ(VehicleQuestionMenu::OpenFor(*battle, *vehicle), nullptr);
  EXPECT_EQ(VehicleQuestionMenu::OpenFor(*battle, *squad), nullptr);
  EXPECT_EQ(map.camera.openMenu, nullptr);

  battle->selectedUnit = vehicle;
  VehicleQuestionMenu* question = VehicleQuestionMenu::OpenFor(*battle, *vehicle);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(map.camera.openMenu, question);
  EXPECT_EQ(question->Count(), 2);
  EXPECT_EQ(question->CodeAt(0), kOrderYes);
  EXPECT_EQ(question->HotKeyAt(0), 'Y');
  EXPECT_EQ(question->HotKeyAt(1), 'N');
  EXPECT_EQ(question->GetStyle(), 2);
  // Kept inside the view at the click.
  EXPECT_EQ(question->Bounds().left, 640);
  EXPECT_EQ(question->Bounds().top, 450);
  EXPECT_FALSE(question->HandleKey('q'));
  EXPECT_EQ(map.camera.openMenu, question);
  // 'y' answers yes and closes the menu; 'Y' the same on a new one; 'n' no.
  EXPECT_TRUE(question->HandleKey('y'));
  EXPECT_EQ(map.camera.openMenu, nullptr);
  EXPECT_EQ(vehicle->answer, 1);
  vehicle->answer = -1;
  EXPECT_TRUE(VehicleQuestionMenu::OpenFor(*battle, *vehicle)->HandleKey('Y'));
  EXPECT_EQ(vehicle->answer, 1);
  EXPECT_TRUE(VehicleQuestionMenu::OpenFor(*battle, *vehicle)->HandleKey('n'));
  EXPECT_EQ(vehicle->answer, 0);

  // The level menu of a squad: Top and Bottom floor; in the set-up phase the facing pick follows.
  battle->selectedUnit = squad;
  battle->setupPhase = 1;
  WaypointMenu* level = WaypointMenu::OpenFor(*battle, *squad);
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->CodeAt(0), kOrderTopFloor);
  EXPECT_EQ(level->HotKeyAt(0), 'T');
  EXPECT_EQ(level->CodeAt(1), kOrderBottomFloor);
  EXPECT_EQ(level->HotKeyAt(1), 'B');
  EXPECT_EQ(level->GetStyle(), 3);
  // A second question replaces the open one.
  level = WaypointMenu::OpenFor(*battle, *squad);
  EXPECT_EQ(map.camera.openMenu, level);
  EXPECT_TRUE(level->HandleKey('b'));
  EXPECT_EQ(map.camera.openMenu, nullptr);
  EXPECT_EQ(battle->App().GetInputMode(), InputModes::kFacingPick);
}

TEST_F(OrdersMenu, TheQuestionMenusAskOneUnitEvenInAGroup) {
  Unit* vehicle = Add(1, 50.0f);
  Unit* squad = Add(0, 60.0f);
  vehicle->boxSelection = 2;
  squad->boxSelection = 2;
  battle->multiSelection = 1;
  battle->selectedUnit = vehicle;
  VehicleQuestionMenu* question = VehicleQuestionMenu::OpenFor(*battle, *vehicle);
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(question->Count(), 2);
  EXPECT_EQ(question->CodeAt(0), kOrderYes);
  // Answered for a unit that is no vehicle (the selection moved on): a beep, nothing else.
  battle->selectedUnit = squad;
  battle->DoCommand(kOrderYes);
  EXPECT_EQ(battle->map->camera.openMenu, nullptr);
}

TEST_F(OrdersMenu, TheMenuDrawsTheBattlesFrameAndWordPictures) {
  Unit* squad = Add(0, 60.0f);
  battle->selectedUnit = squad;
  // Stand-ins for the loaded bitmaps: only their places are compared, never drawn here.
  std::array<char, BattleScreenParts::kPanelPictures + BattleScreenParts::kUnitPictures> marks{};
  for (int32_t i = 0; i < BattleScreenParts::kPanelPictures; ++i)
    battle->Screen().panelPictures[static_cast<size_t>(i)] = reinterpret_cast<GGraphic*>(&marks[static_cast<size_t>(i)]);
  for (int32_t i = 0; i < BattleScreenParts::kUnitPictures; ++i)
    battle->Screen().unitPictures[static_cast<size_t>(i)] =
        reinterpret_cast<GGraphic*>(&marks[static_cast<size_t>(BattleScreenParts::kPanelPictures + i)]);
  WaypointMenu* level = WaypointMenu::OpenFor(*battle, *squad);
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->FramePicture(level->GetStyle()), battle->Screen().panelPictures[3]);
  ASSERT_EQ(level->GetChildCount(), 2);
  const auto* top = dynamic_cast<const MenuItem*>(level->GetChild(0));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(level->WordPicture(top->GetPicture()), battle->Screen().unitPictures[20]);
  // Pictures the battle does not have are none, not a read past its lists.
  EXPECT_EQ(level->FramePicture(-1), nullptr);
  EXPECT_EQ(level->FramePicture(BattleScreenParts::kPanelPictures), nullptr);
  EXPECT_EQ(level->WordPicture(BattleScreenParts::kUnitPictures), nullptr);
  SafeDelete(battle->map->camera.openMenu);
  battle->Screen().panelPictures.fill(nullptr);
  battle->Screen().unitPictures.fill(nullptr);
}
