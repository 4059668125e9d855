#include "framework/media/GBlackKeyGraphic.h"

#include "platform/PSurface.h"

bool GBlackKeyGraphic::Load(int32_t kind, int32_t number, int32_t detail, bool /*quiet*/) {
  GGraphic::Load(kind, number, detail, detail != 0);
  // Black is the pixel value 0 in every screen format.
  GetSurface()->SetColorKey(0);
  return true;
}
