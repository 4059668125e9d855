#include "game/battle/HeadlessHost.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"
#include "game/units/infantry/CrewFigure.h"
#include "game/units/infantry/Infantry.h"

int32_t HeadlessHost::GetGameDate() const { return battle != nullptr ? battle->GetDate() : 4406; }

const BattleBase* HeadlessHost::OperationForUnits() const { return dynamic_cast<const BattleBase*>(operation); }

Battle* HeadlessHost::BattleForUnits() const {
  if (battle == nullptr) return nullptr;
  const std::type_info* type = &typeid(*battle);
  if (battle != castFrom_ || type != castType_) {
    castTo_ = dynamic_cast<Battle*>(battle);
    castFrom_ = battle;
    castType_ = type;
  }
  return castTo_;
}

GObject* HeadlessHost::NewFigurePrototype(int32_t variant) { return NewCrewFigure(variant); }

void HeadlessHost::PrepareFigureAppearance(GObject* figure) {
  if (auto* unit = UnitOfObject(figure)) unit->PrepareAppearance();
}

void HeadlessHost::ReleaseFigureAppearance(GObject* figure) {
  if (auto* unit = UnitOfObject(figure)) unit->ReleaseAppearance();
}
