#pragma once
#include <cstdint>

// What bitmap loading reads and changes of the 3-D renderer: the downsampling level, the
// largest texture side, the texture-memory-exhausted flag, the colour multipliers and the
// texture memory counter. The renderer implements it; the graphics host hands it out while a
// renderer exists.
class GGraphicRenderer {
 public:
  virtual ~GGraphicRenderer() = default;

  // The number of side halvings every texture gets (2 halves both sides once).
  virtual int32_t GetDownsampleLevel() const = 0;
  // The largest texture side the device accepts (at least 256).
  virtual int32_t GetMaxTextureSize() const = 0;
  // Raised when a texture could not be made for lack of memory; the loading pass then loads
  // everything again one level coarser.
  virtual bool TextureMemoryExhausted() const = 0;
  virtual void NoteTextureMemoryExhausted() = 0;
  // The red, green and blue multipliers, into out[0..2].
  virtual void GetColorScale(float* out) const = 0;
  // Adds bytes (negative: subtracts) to the texture memory counter.
  virtual void AddTextureMemory(int32_t bytes) = 0;
};
