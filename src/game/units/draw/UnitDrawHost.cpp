#include "game/map/BattlefieldScreen.h"
#include "game/units/draw/UnitDrawHost.h"

#include "game/map/MapAppServices.h"
#include "game/units/ports/UnitContext.h"
#include "game/units/ports/UnitServices.h"

UnitDrawHost* GetUnitDrawHost() { return UnitContext::Current().draw; }

void UnitDrawHost::PlayOrderSound(int32_t number) {
  if (MapAppServices* app = UnitApp()) app->Battlefield().PlaySound(number);
}
