#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class TcpGame;

// The bar that shows how much of the computed action has reached the other machine: a view of
// 350 x 110 centred on the screen, framed in blue, with "Data transfer progress" above a bar
// that fills with the game's bytes done over the total.
class TransferProgressView : public GView {
 public:
  static constexpr int32_t kWidth = 350;
  static constexpr int32_t kHeight = 110;

  explicit TransferProgressView(const TcpGame& game) : game_(game) {}
  // Places the view centred in the parent (the screen's root view) with its frame and title.
  void Init(GView* parent);
  void Draw() override;
  // The right edge of the bar's fill for the fraction (at most 1): 21 + (width - 42) x f.
  static int32_t FillRight(int32_t width, float fraction);

 private:
  const TcpGame& game_;
};
