// The application opening the battle screen of its battle on a started kernel: the screen's
// services and keys installed, the strip and the battlefield view built, keys and option texts
// reaching the view, frames drawn, and everything taken down again; the screen answering the
// units' orders while it is open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "ShellRig.h"
#include "framework/ui/GView.h"
#include "game/battle/BattleOrderHost.h"
#include "game/battle/screen/BattleProgressBar.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/screen/BattleSecondsDisplay.h"
#include "game/map/Crater.h"
#include "game/map/Map.h"
#include "game/map/MapObjectList.h"
#include "game/ui/MapView.h"
#include "game/ui/WaypointMenu.h"
#include "game/units/TestInfantry.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "platform/PSurface.h"

TEST(ShellBattleScreenTest, TheApplicationOpensDrawsAndClosesTheBattleScreen) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  Battle& battle = *app.GetBattle();
  EXPECT_TRUE(app.OpenBattleScreen());
  ASSERT_NE(battle.Screen().views.root, nullptr);
  EXPECT_EQ(battle.keyHost, static_cast<BattleKeyHost*>(&static_cast<WRBattleScreen&>(app.Screen())));
  EXPECT_EQ(battle.replayScreen, static_cast<ReplayScreen*>(&static_cast<WRBattleScreen&>(app.Screen())));
  // The replay's controls reach the strip.
  battle.replayScreen->ShowSeconds(42);
  ASSERT_NE(battle.Screen().views.secondsDisplay, nullptr);
  EXPECT_EQ(battle.Screen().views.secondsDisplay->GetSeconds(), 42);
  if (battle.Screen().views.goPicture != nullptr) {
    battle.replayScreen->ShowGoButton(false);
    EXPECT_FALSE(battle.Screen().views.goPicture->IsVisible());
    battle.replayScreen->ShowGoButton(true);
  }
  ASSERT_TRUE(app.Screen().HasMapView());
  auto* view = dynamic_cast<MapView*>(battle.map->display.battleView);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->Width(), 640);
  EXPECT_EQ(view->Height(), 390);
  EXPECT_TRUE(app.Screen().IsMapViewVisible());

  // A key of the battle turns the camera; an option key's text shows in the view.
  const float before = battle.map->camera.bearing[0];
  app.HandleKey('.', false, false);
  EXPECT_NE(battle.map->camera.bearing[0], before);
  app.HandleKey('Z', false, false);
  const char* line = view->ModeLine(gKernel->GetFrameTick(), false, false, false);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(std::string(line).rfind("Camera Dip = ", 0), 0u) << line;

  // Frames draw the battlefield with its texts, through the projection the map's camera gives
  // over the view's own rectangle.
  EXPECT_EQ(view->GetFieldOfView(), 0.0f);
  for (int i = 0; i < 3; ++i) rig.kernel->UpdateScreen();
  EXPECT_EQ(view->GetFieldOfView(), battle.map->frame.fieldOfView);
  EXPECT_GT(view->GetFieldOfView(), 0.0f);
  EXPECT_GT(view->GetNearPlane(), 0.0f);
  // The turn's notices reach the strip: the GO panel goes for the action and comes back with
  // the next orders; the bar follows the computing (a new fill shows at once).
  ASSERT_NE(battle.Screen().views.networkPanel, nullptr);
  battle.replayScreen->HideGoStrip();
  EXPECT_FALSE(battle.Screen().views.networkPanel->IsVisible());
  battle.replayScreen->ShowGoStrip();
  EXPECT_TRUE(battle.Screen().views.networkPanel->IsVisible());
  ASSERT_NE(battle.Screen().views.progressBar, nullptr);
  battle.replayScreen->ShowProgress(1200);
  EXPECT_GT(battle.Screen().views.progressBar->GetFill(), 0);

  // Leaving the 3-D view for a briefing hides it; back after the results every crater shows.
  battle.SetViewActive(false);
  EXPECT_FALSE(app.Screen().IsMapViewVisible());
  auto* crater = new Crater(battle.map);
  crater->lasting = 1;
  battle.map->objects.craters->Append(crater);
  battle.map->IndexLastingCrater(*crater);
  battle.currentTurn = battle.lastTurn + 1;
  battle.ReturnToMapAfterEnd();
  EXPECT_TRUE(app.Screen().IsMapViewVisible());
  EXPECT_EQ(crater->revealed, 1);
  rig.kernel->UpdateScreen();

  app.CloseBattleScreen(false);
  EXPECT_EQ(battle.Screen().views.root, nullptr);
  EXPECT_EQ(battle.map->display.battleView, nullptr);
  EXPECT_FALSE(app.Screen().HasMapView());
  EXPECT_EQ(battle.keyHost, nullptr);
  EXPECT_EQ(battle.replayScreen, nullptr);
}

TEST(ShellBattleScreenTest, TheBattleScreenAnswersTheUnitsOrdersWhileItIsOpen) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  Battle& battle = *app.GetBattle();
  battle.setupPhase = 0;
  EXPECT_EQ(GetUnitOrderHost(), nullptr);
  ASSERT_TRUE(app.OpenBattleScreen());
  auto& screen = static_cast<WRBattleScreen&>(app.Screen());
  UnitOrderHost* host = GetUnitOrderHost();
  ASSERT_EQ(host, static_cast<UnitOrderHost*>(&app.InPlay().Orders()));
  EXPECT_EQ(GetUnitDrawHost(), static_cast<UnitDrawHost*>(&screen));
  ASSERT_EQ(&GetUnitScreen(), static_cast<UnitScreen*>(&screen));

  auto* squad = new TestInfantry;
  squad->x = 100.0f;
  squad->y = 100.0f;
  battle.units.Append(squad);
  battle.SelectUnit(squad);
  battle.SetSelectedWaypoint(2);
  EXPECT_EQ(host->GetSelectedWaypoint(), 2);
  host->ClearSelectedWaypoint();
  EXPECT_EQ(battle.selectedWaypoint, -1);
  EXPECT_FALSE(host->InOperation());

  // The level question of a waypoint on a building opens at the last click as the map's menu.
  battle.map->orders.questionX = 200;
  battle.map->orders.questionY = 100;
  GetUnitScreen().OpenWaypointMenu(*squad);
  auto* menu = dynamic_cast<WaypointMenu*>(battle.map->camera.openMenu);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Count(), 2);
  EXPECT_TRUE(app.Screen().HasMapMenuOpen());
  // Its 'b' answers it and the menu goes.
  EXPECT_TRUE(app.OrdersMenuTakesKey(battle.map->camera.openMenu, 'b'));
  EXPECT_EQ(battle.map->camera.openMenu, nullptr);

  // A crew that bails out joins the battle's units after the slice.
  auto* crew = new TestInfantry;
  host->AddUnit(crew);
  ASSERT_EQ(battle.laterUnits.Count(), 1);
  EXPECT_EQ(battle.laterUnits.GetItem(0), static_cast<GObject*>(static_cast<Unit*>(crew)));
  battle.laterUnits.DeleteAll(false);
  delete crew;

  host->Deselect(*squad);
  EXPECT_EQ(battle.selectedUnit, nullptr);
  app.CloseBattleScreen(false);
  EXPECT_EQ(GetUnitOrderHost(), nullptr);
  EXPECT_EQ(GetUnitDrawHost(), nullptr);
  EXPECT_NE(&GetUnitScreen(), static_cast<UnitScreen*>(&screen));
  EXPECT_NE(GetUnitServices(), nullptr);  // the application's services stay
}

namespace {

// A view whose timed action runs a given step.
class TickingView : public GView {
 public:
  explicit TickingView(std::function<void()> step) : step_(std::move(step)) {}
  void TickAction() override { step_(); }

 private:
  std::function<void()> step_;
};

}  // namespace

// The unit balloon closed from inside the views' tick pass, when no view may be deleted, goes
// at the end of that pass.
TEST(ShellBattleScreenTest, TheUnitBalloonClosedDuringTheTickPassGoesAtItsEnd) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  Battle& battle = *app.GetBattle();
  ASSERT_TRUE(app.OpenBattleScreen());
  auto* squad = new TestInfantry;
  battle.units.Append(squad);
  battle.SelectUnit(squad);
  battle.map->ToggleUnitInfoBalloon();
  ASSERT_NE(battle.map->display.unitBalloon, nullptr);
  auto* battleView = dynamic_cast<GView*>(battle.map->display.battleView);
  ASSERT_NE(battleView, nullptr);
  const int32_t withBalloon = battleView->GetChildCount();
  int32_t duringPass = -1;
  auto* ticker = new TickingView([&] {
    if (battle.map->display.unitBalloon == nullptr) return;
    battle.map->ToggleUnitInfoBalloon();
    duringPass = battleView->GetChildCount();
  });
  ticker->Place(nullptr, 0, 0, 1, 1);
  ticker->SetTickInterval(0);
  rig.kernel->TickViews();
  EXPECT_EQ(battle.map->display.unitBalloon, nullptr);
  EXPECT_EQ(duringPass, withBalloon);
  EXPECT_EQ(battleView->GetChildCount(), withBalloon - 1);
  delete ticker;
  app.CloseBattleScreen(false);
}

// A battle whose file places no camera opens with each side looking over its own units, and
// the first frame draws every pixel of the battlefield view: nothing of the loading picture or
// of an earlier screen is left under it, not even at the view's first column.
TEST(ShellBattleScreenTest, TheFirstFrameShowsTheWholeBattlefieldFromEachSidesOwnUnits) {
  ShellRig rig(true, 1024, 768);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  Battle& battle = *app.GetBattle();
  Map& map = *battle.map;
  ASSERT_EQ(map.camera.viewLevel[0], Map::kViewLevelUnset);
  ASSERT_EQ(map.camera.viewLevel[1], Map::kViewLevelUnset);
  auto* squad = new TestInfantry;
  squad->x = 200.0f;
  squad->y = 600.0f;
  squad->side = 0;  // Allied: side index 1
  battle.units.Append(squad);
  ASSERT_EQ(battle.FirstUnitOfSide(1), squad);

  ASSERT_TRUE(app.OpenBattleScreen());
  // The squad's side stands 25 m behind it, looking toward the map's centre (400, 400); the
  // side without units looks in from beyond its corner.
  EXPECT_EQ(map.camera.viewLevel[1], 2);
  EXPECT_NEAR(map.camera.x[1], 200.0f - 25.0f * 0.70710678f, 0.01f);
  EXPECT_NEAR(map.camera.y[1], 600.0f + 25.0f * 0.70710678f, 0.01f);
  EXPECT_NEAR(std::cos(map.camera.bearing[1]), 0.70710678f, 0.0001f);
  EXPECT_NEAR(std::sin(map.camera.bearing[1]), -0.70710678f, 0.0001f);
  EXPECT_EQ(map.camera.viewLevel[0], 2);
  EXPECT_FLOAT_EQ(map.camera.x[0], 825.0f);

  // Both screen buffers painted a colour nothing draws; one frame later none of it is left in
  // the battlefield view, whose sky and ground cover it whole.
  constexpr uint16_t kUnpainted = 0xF81F;
  for (PSurface* surface : {rig.kernel->GetPrimarySurface(), rig.kernel->GetBackBuffer()}) {
    ASSERT_NE(surface, nullptr);
    for (int32_t y = 0; y < surface->Height(); ++y) std::fill_n(surface->Row16(y), surface->Width(), kUnpainted);
  }
  rig.kernel->UpdateScreen();
  auto* view = dynamic_cast<MapView*>(map.display.battleView);
  ASSERT_NE(view, nullptr);
  const PSurface& front = *rig.kernel->GetPrimarySurface();
  ASSERT_EQ(view->Width(), front.Width());
  for (int32_t y = 0; y < view->Height(); ++y) {
    const uint16_t* row = front.Row16(y);
    ASSERT_EQ(std::count(row, row + front.Width(), kUnpainted), 0) << "row " << y;
  }
  // The frame kept the camera it was given: no fallback placed it elsewhere.
  EXPECT_EQ(map.GetViewLevel(), 2);
  app.CloseBattleScreen(false);
}
