#pragma once
// The answers of an order host with no battle in play, for the unit tests that fake the
// battle's side of UnitOrderHost: not quiet, no operation attacker, no set-up flags, no phase
// side, no exits or own edges. A test overrides what its case sets.
#include <cstdint>

#include "game/units/ports/UnitOrderHost.h"

class NoBattleOrderHost : public UnitOrderHost {
 public:
  bool IsQuiet() const override { return false; }
  bool IsOrderNotification() const override { return false; }
  int32_t GetAttackingSide() const override { return -1; }
  int32_t GetAdvanceEdge() const override { return 0; }
  bool GetSetupOrderFlag(int32_t /*code*/) const override { return false; }
  int32_t GetPhaseSide() const override { return 2; }
  bool GroupHasFlaggedEntry(const Unit& /*unit*/) const override { return false; }
  bool IsExitFor(int32_t /*sideIndex*/, float /*px*/, float /*py*/) const override { return false; }
  bool IsOwnEdgeFor(int32_t /*sideIndex*/, float /*px*/, float /*py*/) const override { return false; }
};
