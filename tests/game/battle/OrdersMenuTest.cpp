// The orders menu: its place inside the view, which orders it lists and under which letters,
// and what the hot keys match.
#include <gtest/gtest.h>

#include <memory>

#include "game/battle/BattleTestRig.h"
#include "game/battle/MovingTestUnits.h"
#include "game/battle/PlainViewHost.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/ui/MapView.h"
#include "game/ui/UnitOrdersMenu.h"
#include "game/units/Waypoint.h"

namespace {

class OrdersMenu : public testing::Test {
 protected:
  OrdersMenu() {
    battle = &rig.Fresh();
    battle->setupPhase = 0;
  }
  Unit* Add(int32_t kind, float x) {
    Unit* unit = BattleTestRig::MakeUnit(kind, 0, x, 100.0f);
    battle->AddUnitToMap(unit, x, 100.0f);
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
  EXPECT_TRUE(menu.AddItem(22, 5, 'M', false));
  EXPECT_FALSE(menu.AddItem(20, 4, 'M', false));  // M is taken
  EXPECT_FALSE(menu.AddItem(22, 5, 'X', false));  // 22 is listed
  EXPECT_TRUE(menu.AddItem(28, 10, 0, false));
  EXPECT_TRUE(menu.AddItem(41, 32, 0, false));  // no letter: only the code counts
  for (int32_t code = 100; menu.Count() < Menu::kMaxItems; ++code) menu.AddItem(code, 0, 0, false);
  EXPECT_FALSE(menu.AddItem(999, 0, 0, false));
  EXPECT_EQ(menu.Count(), Menu::kMaxItems);
  EXPECT_FALSE(menu.HandleKey('m'));  // counted only: no items to press
}

TEST_F(OrdersMenu, AVehicleListsItsFastMoveUnderF) {
  Unit* vehicle = Add(1, 50.0f);
  battle->selectedUnit = vehicle;
  ASSERT_TRUE(vehicle->CanTakeOrder(20));
  auto owned = std::make_unique<UnitOrdersMenu>();
  UnitOrdersMenu& menu = *owned;
  menu.Open(*battle, vehicle, 400, 100, nullptr);
  const int32_t fast = IndexOf(menu, 20);
  ASSERT_GE(fast, 0);
  EXPECT_EQ(menu.HotKeyAt(fast), 'F');
  EXPECT_EQ(IndexOf(menu, 26), vehicle->CanTakeOrder(26) ? fast - 1 : -1);
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
  battle->AddUnitToMap(squad, 60.0f, 100.0f);
  vehicle->boxSelection = 2;
  squad->boxSelection = 2;
  battle->multiSelection = 1;
  battle->selectedUnit = squad;
  ASSERT_TRUE(vehicle->CanTakeOrder(20));
  ASSERT_FALSE(squad->CanTakeOrder(26));
  auto owned = std::make_unique<UnitOrdersMenu>();
  UnitOrdersMenu& menu = *owned;
  menu.Open(*battle, squad, 400, 100, nullptr);
  ASSERT_GT(menu.Count(), 0);
  EXPECT_EQ(menu.CodeAt(0), 26);
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
  battle->DoCommand(22);  // as the item's command comes back through the battle
  EXPECT_EQ(map.camera.openMenu, nullptr);
  EXPECT_EQ(battle->App().GetInputMode(), 2);
  EXPECT_EQ(map.orders.pendingMoveCode, 22);
  // With no menu open the code is dropped.
  battle->App().SetInputMode(0);
  battle->DoCommand(22);
  EXPECT_EQ(battle->App().GetInputMode(), 0);
}
