#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/PSurface.h"

// Windows bitmap files: the decoder of the program's pictures and a writer, so that tests
// and people can look at surfaces and presented frames. The decoder takes 1, 4 and 8 bits
// per pixel with a palette (8 and 4 bits also run-length coded), 16 and 32 bits plain or with
// bit-field masks, and 24 bits, rows stored from the bottom up or from the top down. Anything
// else, and every malformed file (cut short, a side of 0, negative or above 4096 pixels, a
// palette index past the palette, an unknown compression, bit-field masks that are empty,
// broken or overlapping, coded runs that leave the picture or end early), is refused as a
// missing file is.
class PBitmapFile {
 public:
  static constexpr int32_t kMaxSide = 4096;

  // A decoded picture: 0x00RRGGBB pixels, rows from the top, no padding.
  struct Image {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
  };

  static bool Decode(const uint8_t* data, size_t size, Image& out);
  // Reads and decodes a file by program-form path, through the loader when one is set.
  static bool Load(const std::string& path, Image& out);
  // The same from the disk, whatever the loader.
  static bool LoadFromDisk(const std::string& path, Image& out);
  // Stands in for the disk in Load: a host that runs the program many times in one process
  // (a fuzz target) keeps the pictures it read once. Set before the first picture is read
  // and kept to the end of the process; an empty loader reads from the disk.
  using Loader = std::function<bool(const std::string& path, Image& out)>;
  static void SetLoader(Loader loader);

  // A colour in a 16-bit surface format, each 8-bit channel cut to its field's width (the
  // conversion a GDI copy to a 16-bit surface makes); the alpha bit of ARGB1555 stays 0. For
  // the 32-bit format the colour itself.
  static uint32_t ToPixel(uint32_t rgb, PPixelFormat format);
  // Copies the picture into the surface's top-left corner, converting each pixel as above;
  // what does not fit is left out.
  static void CopyToSurface(const Image& image, PSurface& surface);

  // A 24-bit bitmap file of 0x00RRGGBB pixels (rows from the top, no padding).
  static std::string Encode(const uint32_t* pixels, int32_t width, int32_t height);
  static bool WritePixels(const uint32_t* pixels, int32_t width, int32_t height, const std::string& path);
  // A surface as a 24-bit file; 16-bit pixels are widened as the screen shows them (without
  // the gamma ramp).
  static bool WriteSurface(const PSurface& surface, const std::string& path);
};
