#include "app/ScreenColours.h"

#include "framework/ui/GViewHost.h"

uint16_t ScreenColours::Pixel(const uint8_t (&rgb)[3]) {
  GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(rgb[0], rgb[1], rgb[2])) : 0;
}
