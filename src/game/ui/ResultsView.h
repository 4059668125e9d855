#pragma once

#include "framework/ui/GView.h"

class BattleResults;

// The results screen of a battle: a 640 x 480 panel with the results picture at the top, the
// two sides' columns, the result line and the buttons, made from the battle's computed
// results. A missing picture or button face leaves its place empty.
class ResultsView : public GView {
 public:
  static constexpr int32_t kClickSound = 152;

  // Makes the view's children and places it centred in the parent (null: the root view).
  void Build(GView* parent, const BattleResults& results);
};
