#pragma once

class Battle;
class BattleBase;

// What a program that holds the units' battle services keeps for them: the battle and the
// operation in play, and whether its open editor names squads without their suffix. Only the
// program's own state: every rule stays with the services.
class BattleServicesHost {
 public:
  virtual ~BattleServicesHost() = default;

  // The battle in play, or null.
  virtual Battle* BattleForUnits() const = 0;
  // The operation in play, or null.
  virtual const BattleBase* OperationForUnits() const = 0;
  // The open editor names squads without their suffix.
  virtual bool IsSquadSuffixHidden() const = 0;
};
