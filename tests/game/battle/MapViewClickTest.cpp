// The battlefield view's mouse on a headless battle: what a click selects, the selection
// rectangle, a second click on a selected waypoint, and the releases and drags that must end
// (or keep) a pick.
#include <gtest/gtest.h>

#include <memory>

#include "game/map/NullBattlefieldScreen.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"
#include "game/battle/MovingTestUnits.h"
#include "game/battle/PlainViewHost.h"
#include "game/map/Map.h"
#include "game/ui/MapView.h"
#include "game/ui/UnitOrdersMenu.h"

namespace {

class LockHost : public HeadlessHost {
 public:
  bool IsNetworkOrdersLocked() const override { return locked; }
  TurnExchange& Exchange() override { return link_; }
  BattlefieldScreen& Battlefield() override { return screen_; }
  bool locked = false;
  int32_t expiries = 0;
  int32_t progressRedraws = 0;
  int32_t notices = 0;

 private:
  struct Link : HeadlessExchange {
    explicit Link(LockHost& host) : host(host) {}
    void ExpireRadioLines() override { ++host.expiries; }
    void RedrawTransferProgress() override { ++host.progressRedraws; }
    LockHost& host;
  } link_{*this};
  struct Screen : NullBattlefieldScreen {
    explicit Screen(LockHost& host) : host(host) {}
    void RequestReinforcementsNotice() override { ++host.notices; }
    LockHost& host;
  } screen_{*this};
};

class MapViewClick : public testing::Test {
 protected:
  MapViewClick() {
    auto owned = std::make_unique<LockHost>();
    host = owned.get();
    rig.headless.SetHost(std::move(owned));
    battle = &rig.Fresh();
    battle->setupPhase = 0;
    view.reset(MapView::Create(*battle->map, 800, 510));
    MapView::waypointMemory = -1;
  }
  Unit* Add(float x) {
    Unit* unit = BattleTestRig::MakeUnit(0, 0, x, 100.0f);
    battle->PlaceUnitAt(unit, x, 100.0f);
    return unit;
  }

  PlainViewHost views;
  BattleTestRig rig;
  LockHost* host = nullptr;
  Battle* battle = nullptr;
  std::unique_ptr<MapView> view;
};

}  // namespace

TEST_F(MapViewClick, EmptyGroundWhileOrdersAreLockedOnlyDeselects) {
  Unit* unit = Add(50.0f);
  battle->SelectUnit(unit);
  host->locked = true;
  view->ClickOn(10, 10, nullptr, false, false, false);
  EXPECT_EQ(battle->selectedUnit, nullptr);
  EXPECT_EQ(host->inputMode, InputModes::kNoPick);
  EXPECT_EQ(battle->multiSelection, 0);
}

TEST_F(MapViewClick, ShiftClickOnTheSelectedMemberPassesTheSelectionOn) {
  Unit* a = Add(50.0f);
  Unit* b = Add(60.0f);
  battle->SelectUnit(a);
  view->ClickOn(10, 10, b, false, true, false);
  EXPECT_EQ(battle->multiSelection, 1);
  EXPECT_EQ(a->boxSelection, 2);
  EXPECT_EQ(b->boxSelection, 2);
  EXPECT_EQ(battle->selectedUnit, b);
  view->ClickOn(10, 10, b, false, true, false);
  EXPECT_EQ(b->boxSelection, 0);
  EXPECT_EQ(battle->selectedUnit, a);
  EXPECT_EQ(battle->multiSelection, 1);
  // The last member leaves: the group is gone, the unit stays selected.
  view->ClickOn(10, 10, a, false, true, false);
  EXPECT_EQ(battle->selectedUnit, a);
  EXPECT_EQ(battle->multiSelection, 0);
  // A plain click on the group's unit of a single selection, then Shift on it, deselects.
  view->ClickOn(10, 10, a, false, true, false);
  EXPECT_EQ(battle->selectedUnit, nullptr);
}

TEST_F(MapViewClick, ARectangleAroundOneUnitSelectsItWithoutAGroup) {
  Unit* a = Add(50.0f);
  Unit* b = Add(60.0f);
  view->ClickOn(100, 120, nullptr, false, false, false);
  EXPECT_EQ(host->inputMode, InputModes::kSelectionDrag);
  view->Track(300, 200, 1, 0);
  int32_t rect[4] = {};
  battle->map->GetSelectionRect(rect);
  EXPECT_EQ(rect[0], 100);
  EXPECT_EQ(rect[3], 200);
  a->boxSelection = 1;  // as the unit drawing marks what the rectangle holds
  view->MouseUp(300, 200, 0);
  EXPECT_EQ(battle->selectedUnit, a);
  EXPECT_EQ(battle->multiSelection, 0);
  EXPECT_EQ(host->inputMode, InputModes::kNoPick);

  battle->SelectUnit(nullptr);
  a->boxSelection = 0;
  view->ClickOn(100, 120, nullptr, false, false, false);
  a->boxSelection = 1;
  b->boxSelection = 1;
  view->MouseUp(300, 200, 0);
  EXPECT_EQ(battle->multiSelection, 1);
  EXPECT_EQ(battle->selectedUnit, b);
}

TEST_F(MapViewClick, ASecondClickOnTheSelectedWaypointDeselectsIt) {
  Unit* unit = Add(50.0f);
  battle->SelectUnit(unit);
  unit->waypointCount = 2;
  // First click: the pick selects waypoint 1, which was not selected before.
  battle->selectedWaypoint = 1;
  view->MouseUp(10, 10, 0);
  EXPECT_EQ(battle->selectedWaypoint, 1);
  MapView::waypointMemory = 1;
  view->MouseUp(10, 10, 0);
  EXPECT_EQ(battle->selectedWaypoint, -1);
  EXPECT_EQ(MapView::waypointMemory, -1);
}

TEST_F(MapViewClick, PicksEndInADefinedModeEvenWithoutASelection) {
  Unit* unit = Add(50.0f);
  battle->SelectUnit(unit);
  // A right release over empty ground keeps the movement pick.
  host->inputMode = InputModes::kMovePick;
  view->MouseUp(10, 10, 1);
  EXPECT_EQ(host->inputMode, InputModes::kMovePick);
  // A drag whose unit went ends the drag.
  battle->SelectUnit(nullptr);
  host->inputMode = InputModes::kWaypointDrag;
  view->Track(20, 20, 1, 0);
  EXPECT_EQ(host->inputMode, InputModes::kNoPick);
  // The right button with nothing selected does nothing.
  view->RightMouseDown(20, 20);
  EXPECT_EQ(host->inputMode, InputModes::kNoPick);
  EXPECT_EQ(battle->map->camera.openMenu, nullptr);
}

TEST_F(MapViewClick, EdgeScrollingStopsForAlertsAndHiddenViewsAndEndsAPickItOrphans) {
  Map& map = *battle->map;
  const int32_t side = host->GetCurrentSide() & 1;
  const float bearing = map.camera.bearing[side];
  const float y = map.camera.y[side];
  host->inputMode = InputModes::kAlert;  // an alert is up
  EXPECT_FALSE(view->ScrollAtEdge(1, 1, false));
  host->inputMode = InputModes::kNoPick;
  view->SetVisible(0);
  EXPECT_FALSE(view->ScrollAtEdge(1, 1, false));
  EXPECT_EQ(map.camera.bearing[side], bearing);
  EXPECT_EQ(map.camera.y[side], y);
  view->SetVisible(1);
  EXPECT_FALSE(view->ScrollAtEdge(0, 0, false));
  EXPECT_TRUE(view->ScrollAtEdge(-1, 0, false));
  EXPECT_NE(map.camera.bearing[side], bearing);

  // A waypoint drag whose unit went during the scroll ends: mode 0, the tracker released.
  Unit* unit = Add(50.0f);
  battle->SelectUnit(unit);
  host->inputMode = InputModes::kWaypointDrag;
  views.tracker = view.get();
  battle->SelectUnit(nullptr);
  EXPECT_TRUE(view->ScrollAtEdge(0, 1, false));
  EXPECT_EQ(host->inputMode, InputModes::kNoPick);
  EXPECT_EQ(views.tracker, nullptr);
  // The selection rectangle needs no unit: it goes on.
  host->inputMode = InputModes::kSelectionDrag;
  views.tracker = view.get();
  EXPECT_TRUE(view->ScrollAtEdge(0, 1, true));
  EXPECT_EQ(host->inputMode, InputModes::kSelectionDrag);
  EXPECT_EQ(views.tracker, view.get());
}

TEST_F(MapViewClick, TheTickKeepsTheRadioInNetworkPlayAndTellsTheSideToPlayOfArrivals) {
  // Outside TCP/IP play neither the radio nor the progress view is looked after.
  view->TickAction();
  EXPECT_EQ(host->expiries, 0);
  EXPECT_EQ(host->progressRedraws, 0);
  host->connectionType = 2;
  view->TickAction();
  EXPECT_EQ(host->expiries, 0);  // no radio entry line, no radio
  EXPECT_EQ(host->progressRedraws, 1);
  GObject entry;
  battle->map->chatEntry = &entry;
  view->TickAction();
  battle->map->chatEntry = nullptr;
  EXPECT_EQ(host->expiries, 1);
  EXPECT_EQ(host->progressRedraws, 2);

  // Units of the other side arrived: its player hears of it on its own turn, once.
  EXPECT_EQ(host->notices, 0);
  host->currentSide = 0;
  battle->sideOnMap[0] = 0;
  battle->sideOnMap[1] = 1;
  view->TickAction();
  EXPECT_EQ(host->notices, 0);
  host->currentSide = 1;
  view->TickAction();
  view->TickAction();
  EXPECT_EQ(host->notices, 1);
  EXPECT_EQ(battle->sideOnMap[1], 0);

  // The operation's flag counts too and both are cleared; no side to play, no notice.
  Campaign operation(*host);
  operation.replayFlags[1] = 1;
  battle->sideOnMap[1] = 1;
  EXPECT_FALSE(MapView::TakeArrivalNotice(battle, &operation, 2));
  EXPECT_TRUE(MapView::TakeArrivalNotice(battle, &operation, 1));
  EXPECT_EQ(operation.replayFlags[1], 0);
  EXPECT_EQ(battle->sideOnMap[1], 0);
  operation.replayFlags[0] = 1;
  EXPECT_TRUE(MapView::TakeArrivalNotice(nullptr, &operation, 0));
  EXPECT_FALSE(MapView::TakeArrivalNotice(nullptr, &operation, 0));
}

namespace {

// The application as the battlefield view's menus reach it: the orders menu opened and given
// keys as the application does, and the items' commands handed to the battle.
class OrdersHost : public LockHost {
 public:
  GObject* OpenUnitOrdersMenu(bool atWaypoint) override {
    return battle != nullptr ? UnitOrdersMenu::OpenFor(*battle, atWaypoint) : nullptr;
  }
  bool OrdersMenuTakesKey(GObject* menu, int32_t key) override {
    auto* open = dynamic_cast<Menu*>(menu);
    return open != nullptr && open->HandleKey(key);
  }
  Battle* battle = nullptr;
};

class CommandViews : public PlainViewHost {
 public:
  void DoApplicationCommand(int32_t command) override {
    if (battle != nullptr) battle->DoCommand(command);
  }
  Battle* battle = nullptr;
};

}  // namespace

TEST(MapViewScript, ARectangleTheMenuKeyAndAClickGiveTwoSquadsAWaypoint) {
  CommandViews views;
  BattleTestRig rig;
  auto owned = std::make_unique<OrdersHost>();
  OrdersHost* host = owned.get();
  rig.headless.SetHost(std::move(owned));
  Battle* battle = &rig.Fresh();
  battle->setupPhase = 0;
  host->battle = battle;
  views.battle = battle;
  Map& map = *battle->map;
  MapView* view = MapView::Create(map, 800, 510);
  map.display.battleView = view;  // the map owns it
  Unit* a = new Walker;
  Unit* b = new Walker;
  a->Setup(300.0f, 300.0f, 0.0f, 6, 2);
  b->Setup(320.0f, 300.0f, 0.0f, 6, 2);
  a->side = b->side = 1;
  battle->PlaceUnitAt(a, a->x, a->y);
  battle->PlaceUnitAt(b, b->x, b->y);

  // The rectangle over both (the unit drawing marks what it holds).
  view->ClickOn(100, 100, nullptr, false, false, false);
  view->Track(400, 300, 1, 0);
  a->boxSelection = 1;
  b->boxSelection = 1;
  view->MouseUp(400, 300, 0);
  ASSERT_EQ(battle->multiSelection, 1);
  ASSERT_NE(battle->selectedUnit, nullptr);
  // The right button opens the orders menu; 'm' chooses the move.
  view->RightMouseDown(400, 300);
  ASSERT_NE(map.camera.openMenu, nullptr);
  battle->HandleKey('m', false, false);
  EXPECT_EQ(map.camera.openMenu, nullptr);
  EXPECT_EQ(host->inputMode, InputModes::kMovePick);
  // A click on the ground where the pick found it.
  map.orders.pickX = 500.0f;
  map.orders.pickY = 400.0f;
  view->MouseDown(500, 200, 0, 0, 0);
  view->MouseUp(500, 200, 0);
  EXPECT_EQ(a->waypointCount, 1);
  EXPECT_EQ(b->waypointCount, 1);
  EXPECT_EQ(host->inputMode, InputModes::kNoPick);
}
