#pragma once
// FNV-1a over a software-drawn picture: the target's pixels row by row (without padding),
// then the device's depth buffer. The same picture hashes the same on every machine and at
// any number of drawing threads.
#include <cstddef>
#include <cstdint>

#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

inline uint64_t PixelHash(const PSurface& target, const PSoft3DDevice& device) {
  uint64_t h = 14695981039346656037ull;
  auto add = [&h](const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  };
  const size_t rowBytes = static_cast<size_t>(target.Width()) * static_cast<size_t>(target.BytesPerPixel());
  for (int32_t y = 0; y < target.Height(); ++y)
    add(target.Pixels() + static_cast<size_t>(y) * static_cast<size_t>(target.Pitch()), rowBytes);
  for (int32_t y = 0; y < device.Height(); ++y)
    add(reinterpret_cast<const uint8_t*>(device.DepthRow(y)), static_cast<size_t>(device.Width()) * 2);
  return h;
}
