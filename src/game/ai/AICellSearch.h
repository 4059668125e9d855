#pragma once
#include "game/units/UnitCellSearch.h"

struct AIPlanContext;

// The computer player's answer to a unit's slot 120 while a plan runs: installed for the
// plan's span (the previous one comes back when it ends).
class AICellSearch : public UnitCellSearch {
 public:
  explicit AICellSearch(const AIPlanContext& context);
  ~AICellSearch() override;
  AICellSearch(const AICellSearch&) = delete;
  AICellSearch& operator=(const AICellSearch&) = delete;

  bool FindBestNearbyCell(Unit& unit, bool extend, bool noBaseline) override;

 private:
  const AIPlanContext& context_;
  UnitCellSearch* previous_;
};
