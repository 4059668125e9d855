#include "framework/ui/GViewHost.h"

#include <cstring>

#include "framework/core/Quorl.h"
#include "platform/PFont.h"

uint16_t gBlackPixel = 0;
uint16_t gWhitePixel = 0;

namespace {
GViewHost* gViewHost = nullptr;
}

GViewHost* GViewHost::Current() { return gViewHost; }

void GViewHost::SetCurrent(GViewHost* host) { gViewHost = host; }

int32_t TextWidth(const char* text, int32_t font) {
  if (text == nullptr) return 0;
  return TextWidth(text, std::strlen(text), font);
}

int32_t TextWidth(const char* text, size_t length, int32_t font) {
  if (text == nullptr) return 0;
  GViewHost* host = GViewHost::Current();
  if (host == nullptr) FatalError(__LINE__, "Quorl");
  if (host->Is3D()) return host->MeasureIn3D(text, length, font);
  // The text is measured as the drawing surface would draw it.
  if (host->GetDrawingSurface() == nullptr) FatalError(206, "Quorl");
  return host->SelectFont(font).TextWidth(text, length);
}
