#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/PSurfaceFence.h"

// Pixel formats of the layer's surfaces: the 16-bit screen format, the 16-bit texture format
// with a one-bit alpha, and a 32-bit format for small off-screen targets.
enum class PPixelFormat : uint8_t { kRGB565, kARGB1555, kXRGB8888 };

// A block of pixels in memory: the screen's buffers, off-screen surfaces, textures and
// render targets are all of this kind. Rows are Pitch() bytes apart.
//
// A surface may carry a fence (AttachFence): every access to its pixels, its destruction and
// SwapPixels first wait for the work in flight behind that fence.
class PSurface {
 public:
  PSurface(int32_t width, int32_t height, PPixelFormat format);
  virtual ~PSurface();
  PSurface(const PSurface&) = delete;
  PSurface& operator=(const PSurface&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  PPixelFormat Format() const { return format_; }
  int32_t BytesPerPixel() const { return format_ == PPixelFormat::kXRGB8888 ? 4 : 2; }
  int32_t Pitch() const { return pitch_; }
  size_t SizeInBytes() const { return pixels_.size(); }

  uint8_t* Pixels() {
    Settle();
    return pixels_.data();
  }
  const uint8_t* Pixels() const {
    Settle();
    return pixels_.data();
  }
  uint16_t* Row16(int32_t y) { return reinterpret_cast<uint16_t*>(Pixels() + static_cast<size_t>(y) * pitch_); }
  const uint16_t* Row16(int32_t y) const {
    return reinterpret_cast<const uint16_t*>(Pixels() + static_cast<size_t>(y) * pitch_);
  }
  uint32_t* Row32(int32_t y) { return reinterpret_cast<uint32_t*>(Pixels() + static_cast<size_t>(y) * pitch_); }
  const uint32_t* Row32(int32_t y) const {
    return reinterpret_cast<const uint32_t*>(Pixels() + static_cast<size_t>(y) * pitch_);
  }

  // The pixels without waiting for the fence: only for the owner of the fence, which orders
  // its own work and hands the pointer to it.
  uint8_t* UnfencedPixels() { return pixels_.data(); }
  const uint8_t* UnfencedPixels() const { return pixels_.data(); }

  // Puts the surface behind a fence (null: none). A different fence already there is
  // settled first. The fence is shared: it stays valid for as long as the surface holds it.
  void AttachFence(std::shared_ptr<PSurfaceFence> fence) const;
  const PSurfaceFence* Fence() const { return fence_.get(); }
  // Waits for the work behind the fence, if any.
  void Settle() const {
    if (fence_ != nullptr) fence_->Settle();
  }

  // The source colour key: pixels whose own bits equal it are skipped by keyed copies.
  void SetColorKey(uint32_t key) {
    colorKey_ = key;
    hasColorKey_ = true;
  }
  void ClearColorKey() { hasColorKey_ = false; }
  bool HasColorKey() const { return hasColorKey_; }
  uint32_t ColorKey() const { return colorKey_; }

  // Exchanges the pixels of two surfaces of the same size and format, as a flip chain swaps
  // its buffers: both objects stay where they are. False (and nothing changes) otherwise.
  bool SwapPixels(PSurface& other);

 private:
  int32_t width_;
  int32_t height_;
  PPixelFormat format_;
  int32_t pitch_;
  std::vector<uint8_t> pixels_;
  // Synchronisation, not content: const surfaces (a device's textures) get fences too.
  mutable std::shared_ptr<PSurfaceFence> fence_;
  uint32_t colorKey_ = 0;
  bool hasColorKey_ = false;
};
