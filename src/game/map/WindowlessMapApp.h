#pragma once
// The application's answers for a program with no window, sound, network link or second player
// (the headless battle, the reference map tool and the test rigs that stand for a screen): a
// screen that shows nothing, a turn exchange with no one, no orders menu or battlefield view.
// What concerns the session itself is left to the class that derives from it; a rig that
// watches the screen or the exchange hands out its own.
#include <cstdint>

#include "game/map/MapAppServices.h"
#include "game/map/NullBattlefieldScreen.h"
#include "game/map/WindowlessExchange.h"

class WindowlessMapApp : public MapAppServices {
 public:
  TurnExchange& Exchange() override { return noExchange_; }
  BattlefieldScreen& Battlefield() override { return noScreen_; }
  GObject* OpenUnitOrdersMenu(bool) override { return nullptr; }
  bool OrdersMenuTakesKey(GObject*, int32_t) override { return false; }
  GObject* NewBattlefieldView(Map&, int32_t, int32_t) override { return nullptr; }
  // Option 10 stays as the rig set it.
  void SetHideOption(int8_t) override {}
  bool IsEditorOpen() const override { return false; }

 private:
  WindowlessExchange noExchange_;
  NullBattlefieldScreen noScreen_;
};
