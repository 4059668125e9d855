#include "framework/media/GBlackKeyGraphic.h"

#include "platform/PSurface.h"

bool GBlackKeyGraphic::Load(int32_t kind, int32_t number, int32_t detail, bool /*quiet*/) {
  // Without its bitmap the graphic has no surface, which is fatal below: the log names the file.
  if (!GGraphic::Load(kind, number, detail, detail != 0)) LogLoadFailure(number);
  // Black is the pixel value 0 in every screen format.
  GetSurface()->SetColorKey(0);
  return true;
}
