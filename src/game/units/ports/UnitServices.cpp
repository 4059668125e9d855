#include "game/units/ports/UnitServices.h"

#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/UnitContext.h"

UnitServices* GetUnitServices() { return UnitContext::Current().services; }

MapAppServices* UnitApp() {
  UnitServices* services = GetUnitServices();
  return services != nullptr ? services->GetApp() : nullptr;
}

MapBattleServices* UnitBattle() {
  UnitServices* services = GetUnitServices();
  return services != nullptr ? services->GetBattleOrOperation() : nullptr;
}

MapBattleServices* UnitOperation() {
  UnitServices* services = GetUnitServices();
  return services != nullptr ? services->GetOperation() : nullptr;
}

bool IsEditorOpen() {
  const UnitServices* services = GetUnitServices();
  return services != nullptr && services->IsEditorOpen();
}

bool IsSquadSuffixHidden() { return IsEditorOpen() && GetUnitServices()->IsSquadSuffixHidden(); }

int32_t UnitGameDate() {
  if (MapAppServices* app = UnitApp()) return app->GetGameDate();
  return 4406;
}
