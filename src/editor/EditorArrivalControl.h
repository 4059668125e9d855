#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/GView.h"

class EditorState;
class GPopup;

// The purchase screen's settings of the chosen reinforcement slot: a scheduled reinforcement's
// first possible arrival (a turn, in an operation a battle number, at least 2) and its chance
// per turn in percent (1 to 100), or one of the three reserve types, stored as -1 to -3.
class EditorArrivalControl : public GView {
 public:
  explicit EditorArrivalControl(EditorState& state) : state_(state) {}
  ~EditorArrivalControl() override = default;

  // Placed hidden with the dark red background: the strip of four repeating buttons
  // (commands 168-171) and the type popup (command 172), shown only in an operation.
  void Setup(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height);
  // The slot's turn and percent; the popup at the reserve type of a negative turn, else at
  // "Scheduled Reinforcement"; then the type is applied.
  void Load(int32_t turn, int32_t percent);
  // Arrival +/- 1, never below 2; chance up or down by 1 below 10 (and from 10 down), else 5,
  // within 1 to 100. Then stored.
  void Step(int32_t arrivalChange, int32_t chanceChange);
  // The strip shows only for a scheduled reinforcement; a reserve type t makes the arrival -t,
  // a scheduled one with a negative arrival becomes 4. Then stored.
  void ApplyType();
  // The values into the chosen side's slot, and a redraw.
  void Store();
  // The background; for a scheduled reinforcement the three captions in white.
  void Draw() override;
  // What Draw writes: the first possible arrival, the unit it counts in and the chance;
  // empty for a reserve type.
  std::vector<std::string> Captions() const;

  int32_t arrival = 10;
  int32_t chance = 100;
  GPopup* typePopup = nullptr;
  GView* stepView = nullptr;

 private:
  EditorState& state_;
};
