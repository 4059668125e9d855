#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class GGraphic;

// One bitmap at its natural size. No background is painted.
class GPictureView : public GView {
 public:
  GPictureView();
  // Deletes the bitmap.
  ~GPictureView() override;

  // Fatal without a bitmap (a view that was never initialised).
  void Draw() override;

  // Loads bitmap number as a picture (kind 0) and places the view at its size.
  void Init(GView* parent, int32_t x, int32_t y, int16_t bitmapNumber);
  // The same with a button bitmap (kind 1).
  void InitKind1(GView* parent, int32_t x, int32_t y, int16_t bitmapNumber);
  GGraphic* GetGraphic() const { return graphic_; }

 private:
  void InitOfKind(int32_t kind, GView* parent, int32_t x, int32_t y, int16_t bitmapNumber);

  GGraphic* graphic_ = nullptr;
};
