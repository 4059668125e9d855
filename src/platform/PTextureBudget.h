#pragma once
#include <cstdint>
#include <memory>

#include "platform/PResult.h"
#include "platform/PSurface.h"

// The video memory textures are made from: a fixed number of bytes, normally the video memory
// the display reports. Each texture takes its pixel bytes (width x 2 x height) while it lives
// and gives them back when it is destroyed, even after the budget itself is gone. A texture
// that does not fit in what is left is refused with PResult::kOutOfVideoMemory, as a video
// card refuses one when its memory is full.
class PTextureBudget {
 public:
  explicit PTextureBudget(uint64_t bytes);
  ~PTextureBudget();
  PTextureBudget(const PTextureBudget&) = delete;
  PTextureBudget& operator=(const PTextureBudget&) = delete;

  uint64_t Total() const;
  uint64_t Used() const;
  uint64_t Free() const;
  // A new size for the budget; textures already made keep their bytes even when the total
  // falls below what they use.
  void SetTotal(uint64_t bytes);

  // A new ARGB1555 texture (all texels 0), owned by the caller. Sides from 1 to 4096
  // (kInvalidParams otherwise); fails like the display's surface creation under the call
  // point "CreateSurface".
  PResult CreateTexture(int32_t width, int32_t height, std::unique_ptr<PSurface>& out);

  struct State;

 private:
  std::shared_ptr<State> state_;
};
