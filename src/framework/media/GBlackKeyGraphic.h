#pragma once
#include "framework/media/GGraphic.h"

// A graphic whose 2-D surface has black as its colour key, so black pixels are left out of
// keyed copies; the renderer's fonts are made of it.
class GBlackKeyGraphic : public GGraphic {
 public:
  GBlackKeyGraphic() = default;
  ~GBlackKeyGraphic() override = default;

  // Loads as GGraphic::Load, quiet only with a detail other than 0, then sets the key. A
  // graphic that could not be loaded has no surface to key, which is fatal.
  bool Load(int32_t kind, int32_t number, int32_t detail = 0, bool quiet = false) override;
};
