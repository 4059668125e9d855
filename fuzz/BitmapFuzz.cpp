// Feeds arbitrary bytes to the bitmap decoder: every input is either decoded into a picture
// of sane size or refused, never a crash or a read outside the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/PBitmapFile.h"
#include "platform/PSurface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PBitmapFile::Image image;
  if (!PBitmapFile::Decode(data, size, image)) {
    if (!image.pixels.empty()) std::abort();
    return 0;
  }
  if (image.width < 1 || image.width > PBitmapFile::kMaxSide || image.height < 1 ||
      image.height > PBitmapFile::kMaxSide ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
    std::abort();
  for (uint32_t p : image.pixels)
    if (p > 0xFFFFFF) std::abort();
  // The conversion into a surface smaller than the picture stays inside the surface.
  PSurface surface(image.width / 2 + 1, image.height / 2 + 1, PPixelFormat::kRGB565);
  PBitmapFile::CopyToSurface(image, surface);
  return 0;
}
