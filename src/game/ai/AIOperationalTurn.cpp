#include <memory>

#include "framework/core/Quorl.h"
#include "game/ai/AICellSearch.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIPlanProfile.h"
#include "game/ai/AIProgressMeter.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"

namespace {

void ReleaseHoldFlags(Battle& battle, int32_t side) {
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    if (unit->flagBytes[Unit::kHoldFlag] != 0 && unit->IsAlive() && unit->GetSideIndex() == side && unit->CanFight()) {
      unit->flagBytes[Unit::kHoldFlag] = 0;
    }
  }
}

}  // namespace

float AIOperational::ReleaseChance(int32_t turn, bool enemyHasBoat) {
  if (enemyHasBoat) return 1.0f;
  float product = 1.0f;
  for (int32_t i = turn; i >= 1; --i) product *= 0.85f - 0.03f * static_cast<float>(i);
  return 1.0f - product;
}

int32_t AIOperational::CountPlannableUnits(const AIGroup& group) {
  int32_t n = 0;
  for (int32_t i = 0; i < group.Count(); ++i) {
    const Unit* unit = group.UnitAt(i);
    if (unit->IsAlive() && unit->CanFight() && !(unit->IsInfantry() && unit->IsPassenger())) ++n;
  }
  return n;
}

void AIOperational::PlanTurn(Battle& battle, int32_t side, ComputerPlayerHost& host) {
  Map* map = battle.map;
  // The battlefield is not drawn, nor its sight pairs cached, while the plan is made.
  if (map != nullptr) {
    map->display.drawState = 0;
    map->SetVisibilityCacheEnabled(false);
  }
  auto meter = std::make_unique<AIProgressMeter>(host);
  meter->Open();
  const int32_t sideToPlay = host.GetSideToPlay();
  host.SetSideToPlay(side);

  AIPlanContext context;
  context.battle = &battle;
  context.side = side;
  context.defender = battle.attacker != side && battle.attacker != 2;
  context.meter = meter.get();
  context.operation = dynamic_cast<const Campaign*>(battle.App().GetOperation());
  // A unit asked for a better place near it searches with this plan's context.
  AICellSearch cellSearch(context);

  SetUpObjectives(context);
  FreeGroupsWithoutGoal(context);
  battle.UpdateFlags(battle.currentTurn > 1);
  GObjectGroup* groups = battle.aiGroups[static_cast<size_t>(side)];
  if (battle.setupPhase != 0) {
    // A side planned twice in the set-up phase would be placed twice.
    if (groups != nullptr) FatalError(6505, "AIOperational");
    BuildGroups(context);
  } else if (groups != nullptr && groups->Count() > 0) {
    {
      AIPlanProfile::Scope timed(AIPlanProfile::kUpkeep);
      UpdateCatchAllGroup(context);
      AssignObjectives(context);
    }
    int32_t n = 0;
    for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) n += CountPlannableUnits(*battle.AIGroupAt(side, g));
    meter->SetSteps(n + 6);
    meter->Advance();
    if (map != nullptr) {
      AIPlanProfile::Scope timed(AIPlanProfile::kCostGrids);
      // Every class is built for this side when first searched. The grids built before are
      // kept to be handed back then, and freed rather than cleared: a large map's five cleared
      // grids are tens of megabytes written for nothing whenever a kept grid comes back.
      map->FreeCostGrids();
    }
    meter->AdvanceSteps(3);
    if (context.defender) {
      const float chance = ReleaseChance(battle.currentTurn, battle.SideHasBoat(1 - side));
      if (RandomFloat() < chance) ReleaseHoldFlags(battle, side);
    }
    {
      AIPlanProfile::Scope timed(AIPlanProfile::kGroups);
      for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) PlanGroup(context, *battle.AIGroupAt(side, g));
    }
    {
      AIPlanProfile::Scope timed(AIPlanProfile::kCrowding);
      RelieveInfantryCrowding(context);
    }
    {
      AIPlanProfile::Scope timed(AIPlanProfile::kAreaFire);
      PlanAreaFire(context);
    }
    meter->Advance();
    if (map != nullptr) map->FreeCostGrids();
    meter->Advance();
  }

  // Searches asked ahead and never asked for are not left running past the plan, and the
  // workers go with their memory (tens of megabytes each on a large map) until the next plan.
  if (map != nullptr) map->routes.ahead.Forget();
  host.SetSideToPlay(sideToPlay);
  battle.UpdateFlags(true);
  if (map != nullptr) {
    map->display.drawState = 2;
    map->SetVisibilityCacheEnabled(true);
  }
  meter.reset();
  host.RedrawScreen();
  host.InvalidateRootView();
  host.RedrawScreen();
}
