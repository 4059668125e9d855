// The effect pass of the battlefield frame: the battle draws the replay's shots and bursts.
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"

void Map::DrawEffects() {
  // Effects are never picked: a click goes through them to the unit or ground behind.
  if (gGraph3D == nullptr || gGraph3D->IsPickMode()) return;
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle != nullptr) battle->DrawEffects(*this);
}
