#pragma once
#include "game/units/ports/UnitCellSearch.h"

struct AIPlanContext;

// The computer player's answer to a unit's slots 120 and 122 while a plan runs: installed for the
// plan's span (the previous one comes back when it ends).
class AICellSearch : public UnitCellSearch {
 public:
  explicit AICellSearch(const AIPlanContext& context);
  ~AICellSearch() override;
  AICellSearch(const AICellSearch&) = delete;
  AICellSearch& operator=(const AICellSearch&) = delete;

  bool FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) override;
  bool Defending() const override;

 private:
  const AIPlanContext& context_;
  UnitCellSearch* previous_;
};
