#pragma once

class PSurface;

// What the renderer needs of a graphic to draw with it: its texture, a 16-bit ARGB1555
// surface, or null when the graphic has none. The graphics store's graphics implement it.
class GGraph3DTexture {
 public:
  virtual ~GGraph3DTexture() = default;
  virtual const PSurface* GetTexture() const = 0;
};
