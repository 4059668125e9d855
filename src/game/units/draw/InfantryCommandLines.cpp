// The command lines of the map: from a leader to every squad it commands, or from a squad to
// its commanding or platoon leader, drawn over the terrain by the map drawing's canvas.
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/draw/CommandLineCanvas.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"

void Infantry::DrawCommandLines(CommandLineCanvas& canvas) const {
  if (HasSurrendered() || alive == 0) return;
  if (GetLeaderLevel()) {
    const MapBattleServices* battle = UnitBattle();
    const int32_t count = battle != nullptr ? battle->GetUnitCount() : 0;
    for (int32_t i = 0; i < count; ++i) DrawCommandLineTo(canvas, UnitOfView(battle->GetUnit(i)), this);
  } else if (commandingLeader != nullptr && commandingLeader->alive != 0) {
    DrawCommandLineTo(canvas, this, commandingLeader);
  } else if (platoonLeader != nullptr && platoonLeader->alive != 0) {
    DrawCommandLineTo(canvas, this, platoonLeader);
  }
}

void Infantry::DrawCommandLineTo(CommandLineCanvas& canvas, const Unit* unit, const Unit* leader) {
  const auto* u = dynamic_cast<const Infantry*>(unit);
  if (u == nullptr || leader == nullptr || u == leader || u->alive == 0 || u->HasSurrendered()) return;
  int32_t style = 0;
  if (u->commandingLeader == leader) {
    style = CommandLineCanvas::kCommandingStyle;
  } else if (u->platoonLeader == leader) {
    style = CommandLineCanvas::kPlatoonStyle;
  } else {
    return;
  }
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr || !map->IsOnMap(u->x, u->y) || !map->IsOnMap(leader->x, leader->y)) return;
  canvas.SetLineStyle(style);
  canvas.DrawTerrainLine(1, 0, u->x, u->y, u->GetBaseHeight(), leader->x, leader->y, leader->GetBaseHeight());
}
