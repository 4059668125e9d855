#include "game/battle/HeadlessHost.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"
#include "game/battle/Campaign.h"
#include "game/units/infantry/CrewFigure.h"
#include "game/units/infantry/Infantry.h"

int32_t HeadlessHost::GetGameDate() const {
  const BattleBase* base = inPlay_.BaseForUnits();
  return base != nullptr ? base->GetDate() : 4406;
}

MapBattleServices* HeadlessHost::GetOperation() { return inPlay_.GetCampaign(); }

GObject* HeadlessHost::NewFigurePrototype(int32_t variant) { return NewCrewFigure(variant); }

void HeadlessHost::PrepareFigureAppearance(GObject* figure) {
  if (auto* unit = UnitOfObject(figure)) unit->PrepareAppearance();
}

void HeadlessHost::ReleaseFigureAppearance(GObject* figure) {
  if (auto* unit = UnitOfObject(figure)) unit->ReleaseAppearance();
}
