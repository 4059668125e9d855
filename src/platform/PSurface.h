#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Pixel formats of the layer's surfaces: the 16-bit screen format, the 16-bit texture format
// with a one-bit alpha, and a 32-bit format for small off-screen targets.
enum class PPixelFormat : uint8_t { kRGB565, kARGB1555, kXRGB8888 };

// A block of pixels in memory: the screen's buffers, off-screen surfaces, textures and
// render targets are all of this kind. Rows are Pitch() bytes apart.
class PSurface {
 public:
  PSurface(int32_t width, int32_t height, PPixelFormat format);
  virtual ~PSurface() = default;
  PSurface(const PSurface&) = delete;
  PSurface& operator=(const PSurface&) = delete;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  PPixelFormat Format() const { return format_; }
  int32_t BytesPerPixel() const { return format_ == PPixelFormat::kXRGB8888 ? 4 : 2; }
  int32_t Pitch() const { return pitch_; }
  size_t SizeInBytes() const { return pixels_.size(); }

  uint8_t* Pixels() { return pixels_.data(); }
  const uint8_t* Pixels() const { return pixels_.data(); }
  uint16_t* Row16(int32_t y) { return reinterpret_cast<uint16_t*>(pixels_.data() + static_cast<size_t>(y) * pitch_); }
  const uint16_t* Row16(int32_t y) const {
    return reinterpret_cast<const uint16_t*>(pixels_.data() + static_cast<size_t>(y) * pitch_);
  }
  uint32_t* Row32(int32_t y) { return reinterpret_cast<uint32_t*>(pixels_.data() + static_cast<size_t>(y) * pitch_); }
  const uint32_t* Row32(int32_t y) const {
    return reinterpret_cast<const uint32_t*>(pixels_.data() + static_cast<size_t>(y) * pitch_);
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
  uint32_t colorKey_ = 0;
  bool hasColorKey_ = false;
};
