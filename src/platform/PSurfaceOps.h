#pragma once
#include <cstdint>

#include "platform/PRect.h"
#include "platform/PResult.h"
#include "platform/PSurface.h"

// The copy, fill and line operations on surfaces, with the results a display driver gives:
// nothing is clipped by the copies and fills, a rectangle that leaves a surface is refused
// with PResult::kInvalidRect and draws nothing.
class PSurfaceOps {
 public:
  // What a surface's pixels look like: bits per pixel and the channel masks.
  struct FormatInfo {
    int32_t bitCount = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
  };
  // What a lock gives: the first pixel, the distance between rows in bytes, the size.
  struct LockInfo {
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
    FormatInfo format;
  };

  static FormatInfo Format(const PSurface& surface);
  static PResult Lock(PSurface& surface, LockInfo& out);

  // Copies the source rectangle (the whole source when null) to (x, y) of the destination.
  // The surfaces must have the same pixel size. With useSourceKey and a source that has a
  // colour key, source pixels equal to the key (compared on their own 16 or 32 bits) are
  // left out. Source and destination may be the same surface.
  static PResult BltFast(PSurface& destination, int32_t x, int32_t y, const PSurface& source,
                         const PRect* sourceRect, bool useSourceKey);
  // The same copy given as two rectangles (null: the whole surface); they must have the same
  // size, as this layer does not stretch.
  static PResult Blt(PSurface& destination, const PRect* destinationRect, const PSurface& source,
                     const PRect* sourceRect, bool useSourceKey);
  // Fills the rectangle (the whole surface when null) with the colour's low 16 bits (all 32
  // on a 32-bit surface).
  static PResult ColorFill(PSurface& destination, const PRect* rect, uint32_t colour);
  // A solid line of the pixel value from (x1, y1) towards (x2, y2), clipped to the surface;
  // the end point is left out. A width of 1 or less draws one-pixel steps; a wider pen puts a
  // round tip of that diameter on every step.
  static void DrawLine(PSurface& destination, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                       uint32_t pixel, int32_t width);
};
