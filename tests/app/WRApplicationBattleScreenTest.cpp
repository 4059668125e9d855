// The application opening the battle screen of its battle on a started kernel: the screen's
// services and keys installed, the strip and the battlefield view built, keys and option texts
// reaching the view, frames drawn, and everything taken down again.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "ShellRig.h"
#include "framework/ui/GView.h"
#include "game/battle/BattleSecondsDisplay.h"
#include "game/map/Crater.h"
#include "game/map/Map.h"
#include "game/map/MapObjectList.h"
#include "game/ui/MapView.h"

TEST(ShellBattleScreenTest, TheApplicationOpensDrawsAndClosesTheBattleScreen) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  Battle& battle = *app.GetBattle();
  EXPECT_TRUE(app.OpenBattleScreen());
  ASSERT_NE(battle.screen.root, nullptr);
  EXPECT_EQ(battle.keyHost, static_cast<BattleKeyHost*>(&static_cast<WRBattleScreen&>(app.Screen())));
  EXPECT_EQ(battle.replayScreen, static_cast<ReplayScreen*>(&static_cast<WRBattleScreen&>(app.Screen())));
  // The replay's controls reach the strip.
  battle.replayScreen->ShowSeconds(42);
  ASSERT_NE(battle.screen.secondsDisplay, nullptr);
  EXPECT_EQ(battle.screen.secondsDisplay->GetSeconds(), 42);
  if (battle.screen.goPicture != nullptr) {
    battle.replayScreen->ShowGoButton(false);
    EXPECT_FALSE(battle.screen.goPicture->IsVisible());
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

  // Frames draw the battlefield with its texts.
  for (int i = 0; i < 3; ++i) rig.kernel->UpdateScreen();

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
  EXPECT_EQ(battle.screen.root, nullptr);
  EXPECT_EQ(battle.map->display.battleView, nullptr);
  EXPECT_FALSE(app.Screen().HasMapView());
  EXPECT_EQ(battle.keyHost, nullptr);
  EXPECT_EQ(battle.replayScreen, nullptr);
}
