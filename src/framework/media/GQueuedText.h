#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GString255.h"

// A screen text given to the renderer during a frame, kept until the frame ends and the text
// queue is drawn: the text and every argument of GGraph3D::WriteString3D.
class GQueuedText : public GObject {
 public:
  GQueuedText(const GString& text, int32_t x, int32_t y, int32_t alignment, int32_t font, uint8_t red,
              uint8_t green, uint8_t blue)
      : text(text), x(x), y(y), alignment(alignment), font(font), red(red), green(green), blue(blue) {}
  ~GQueuedText() override = default;

  GString255 text;
  int32_t x;
  int32_t y;
  int32_t alignment;
  int32_t font;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
