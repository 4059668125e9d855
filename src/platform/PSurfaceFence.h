#pragma once

// Work that other threads may still be doing on a surface's pixels (a rasteriser drawing
// into its target or reading its textures). A surface with a fence settles it before any
// access to its pixels from outside that work, so nothing is read or written out of order.
class PSurfaceFence {
 public:
  virtual ~PSurfaceFence() = default;
  // Returns once every piece of work handed out so far is done.
  virtual void Settle() = 0;
};
