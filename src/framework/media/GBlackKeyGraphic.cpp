#include "framework/media/GBlackKeyGraphic.h"

#include "framework/kernel/GKernel.h"
#include "platform/PSurface.h"

bool GBlackKeyGraphic::Load(int32_t kind, int32_t number, int32_t detail, bool /*quiet*/) {
  // Without its bitmap the graphic has no surface, which is fatal below: the log names the file.
  if (!GGraphic::Load(kind, number, detail, detail != 0)) LogLoadFailure(number);
  // Black is 0 in every screen format; the kernel's conversion says so once it knows the format.
  const uint32_t black = gKernel != nullptr ? gKernel->RGBToPixel(0, 0, 0) : 0;
  GetSurface()->SetColorKey(black);
  return true;
}
