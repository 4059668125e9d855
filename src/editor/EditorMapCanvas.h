#pragma once
#include <cstdint>

#include "framework/core/GRect.h"

class GString;

// What the map editor's map view draws with, in the view's own coordinates: filled
// rectangles, parts of the terrain sheet, one-pixel lines and labels. The view draws through
// its own GView operations by default; tests hand it a recording canvas.
class EditorMapCanvas {
 public:
  struct Colour {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Colour&) const = default;
  };

  virtual ~EditorMapCanvas() = default;
  // The view's background.
  virtual void Background() {}
  virtual void Fill(const GRect& rect, Colour colour) = 0;
  // The source rectangle of the terrain sheet drawn with its top-left corner at (x, y).
  virtual void Sheet(const GRect& source, int32_t x, int32_t y) = 0;
  virtual void Line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Colour colour) = 0;
  // A text centred at x on baseline y, with a black shadow when shadowed.
  virtual void Text(const GString& text, int32_t x, int32_t y, int32_t font, Colour colour, bool shadowed) = 0;
  // Drawing between these goes straight to the screen (one painted tile); the rectangle is
  // the part of the view it covers. False from the first: nothing is to be drawn now (the
  // next frame shows the tile).
  virtual bool BeginToFront(const GRect& /*rect*/) { return true; }
  virtual void EndToFront(const GRect& /*rect*/) {}
};
