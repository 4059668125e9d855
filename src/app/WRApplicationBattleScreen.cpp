// The application's side of the battle screen: installing the screen's services and keys,
// opening and closing the battle's screen, and making the battlefield view the map asks for.
#include "app/WRApplication.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/ui/MapView.h"
#include "game/units/UnitDrawHost.h"

bool WRApplication::OpenBattleScreen() {
  if (battle_ == nullptr) return false;
  // The screen the battle replaces goes first: the loading picture clears the screen.
  SafeDelete(screenRoot_);
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  SetBattleScreen(&battleScreen_);
  battle_->keyHost = &battleScreen_;
  SetUnitDrawHost(&battleScreen_);
  return battle_->OpenScreen(true, true);
}

void WRApplication::CloseBattleScreen(bool keepMap) {
  if (battle_ != nullptr) {
    battle_->CloseScreen(keepMap);
    if (battle_->keyHost == &battleScreen_) battle_->keyHost = nullptr;
  }
  SetBattleScreen(nullptr);
  if (GetUnitDrawHost() == &battleScreen_) SetUnitDrawHost(nullptr);
}

GObject* WRApplication::NewBattlefieldView(Map& map, int32_t width, int32_t height) {
  return MapView::Create(map, width, height);
}
