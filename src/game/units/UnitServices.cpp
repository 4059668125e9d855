#include "game/units/UnitServices.h"

#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"

namespace {

UnitServices* gServices = nullptr;

}  // namespace

UnitServices* GetUnitServices() { return gServices; }
void SetUnitServices(UnitServices* services) { gServices = services; }

MapAppServices* UnitApp() { return gServices != nullptr ? gServices->GetApp() : nullptr; }

MapBattleServices* UnitBattle() {
  MapAppServices* app = UnitApp();
  return app != nullptr ? app->GetBattleOrOperation() : nullptr;
}

bool IsEditorOpen() { return gServices != nullptr && gServices->IsEditorOpen(); }

bool IsSquadSuffixHidden() { return IsEditorOpen() && gServices->IsSquadSuffixHidden(); }

int32_t UnitGameDate() {
  if (MapAppServices* app = UnitApp()) return app->GetGameDate();
  return 4406;
}
