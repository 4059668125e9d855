#include "game/battle/BattleInPlay.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleOrderHost.h"
#include "game/battle/Campaign.h"

namespace {

// The order host of the battle and the operation in play.
class InPlayOrderHost final : public BattleOrderHost {
 public:
  explicit InPlayOrderHost(const BattleInPlay& inPlay) : inPlay_(inPlay) {}

 protected:
  Battle* OrderBattle() const override { return inPlay_.GetBattle(); }
  Campaign* OrderCampaign() const override { return inPlay_.GetCampaign(); }

 private:
  const BattleInPlay& inPlay_;
};

}  // namespace

BattleInPlay::BattleInPlay(MapAppServices& app, const SquadNaming* naming)
    : services_(app, *this, naming), orders_(std::make_unique<InPlayOrderHost>(*this)) {}

BattleInPlay::~BattleInPlay() = default;

void BattleInPlay::SetBattle(Battle* battle) {
  battle_ = battle;
  HandOverBattle();
}

void BattleInPlay::ReadBattle(Battle* battle) {
  reading_ = battle;
  readingBattle_ = battle;
  HandOverBattle();
}

void BattleInPlay::ReadOperation(Campaign* operation) {
  reading_ = operation;
  readingBattle_ = nullptr;
  HandOverBattle();
}

void BattleInPlay::ServeOperation(bool on) {
  serving_ = on;
  HandOverBattle();
}

MapBattleServices* BattleInPlay::GetBattleOrOperation() const {
  if (reading_ != nullptr) return reading_;
  if (serving_ && operation_ != nullptr) return operation_;
  if (battle_ != nullptr) return battle_;
  return operation_;
}

Battle* BattleInPlay::BattleForUnits() const {
  if (reading_ != nullptr) return readingBattle_;
  return serving_ ? nullptr : battle_;
}

const BattleBase* BattleInPlay::BaseForUnits() const {
  if (reading_ != nullptr) return reading_;
  return serving_ ? nullptr : battle_;
}
