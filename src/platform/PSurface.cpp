#include "platform/PSurface.h"

#include <algorithm>

PSurface::PSurface(int32_t width, int32_t height, PPixelFormat format)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), format_(format) {
  // Rows are padded to 4 bytes, as the display's surfaces are.
  pitch_ = (width_ * BytesPerPixel() + 3) & ~3;
  // Zeroed memory: a new surface is black (and transparent in the alpha format).
  pixels_.assign(static_cast<size_t>(pitch_) * static_cast<size_t>(height_) + 4, 0);
}

PSurface::~PSurface() { Settle(); }

void PSurface::AttachFence(std::shared_ptr<PSurfaceFence> fence) const {
  if (fence_ == fence) return;
  Settle();
  fence_ = std::move(fence);
}

bool PSurface::SwapPixels(PSurface& other) {
  Settle();
  other.Settle();
  if (other.width_ != width_ || other.height_ != height_ || other.format_ != format_) return false;
  pixels_.swap(other.pixels_);
  return true;
}
