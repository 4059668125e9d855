#pragma once
#include <cstdint>

class Battle;

// What a program that holds the units' battle services keeps for them: the battle in play, the
// computer's bonus of the battle or operation in play, and whether its open editor names squads
// without their suffix. Only the program's own state: every rule stays with the services.
class BattleServicesHost {
 public:
  virtual ~BattleServicesHost() = default;

  // The battle in play, or null.
  virtual Battle* BattleForUnits() const = 0;
  // The computer bonus of the battle, else of the operation in play (0 for none).
  virtual int32_t GetComputerBonus() const = 0;
  // The open editor names squads without their suffix.
  virtual bool IsSquadSuffixHidden() const = 0;
};
