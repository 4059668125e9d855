// Measuring texts in the kernel's fonts.
#include <cstring>

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "platform/PFont.h"

int32_t TextWidth(const char* text, int32_t font) {
  if (text == nullptr) return 0;
  return TextWidth(text, std::strlen(text), font);
}

int32_t TextWidth(const char* text, size_t length, int32_t font) {
  if (text == nullptr) return 0;
  if (gKernel == nullptr) FatalError(__LINE__, "Quorl");
  if (gKernel->Is3D()) return gKernel->MeasureIn3D(text, length, font);
  // The text is measured as the drawing surface would draw it.
  if (gKernel->GetDrawingSurface() == nullptr) FatalError(206, "Quorl");
  return gKernel->SelectFont(font).TextWidth(text, length);
}
