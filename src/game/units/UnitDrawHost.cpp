#include "game/units/UnitDrawHost.h"

#include "game/map/MapAppServices.h"
#include "game/units/UnitServices.h"

namespace {
UnitDrawHost* gDrawHost = nullptr;
}  // namespace

UnitDrawHost* GetUnitDrawHost() { return gDrawHost; }
void SetUnitDrawHost(UnitDrawHost* host) { gDrawHost = host; }

void UnitDrawHost::PlayOrderSound(int32_t number) {
  if (MapAppServices* app = UnitApp()) app->PlaySound(number);
}
