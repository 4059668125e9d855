#pragma once
// The textures the build drew, for the tests that look at them: the catalogue, a picture of
// the build's folder by number, and measures of how a texture repeats (the difference between
// two of its rows or columns, and the largest such difference between neighbours inside it: a
// texture that wraps has no pair across its edge that stands out above the neighbours inside).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "BitmapCatalogue.h"
#include "platform/PBitmapFile.h"

inline const BitmapCatalogue& Catalogue() {
  static BitmapCatalogue catalogue;
  static bool loaded = catalogue.Load(TARVANE_BITMAP_CATALOGUE);
  EXPECT_TRUE(loaded) << catalogue.Error();
  return catalogue;
}

inline PBitmapFile::Image Picture(int32_t number) {
  PBitmapFile::Image image;
  const std::string path = std::string(TARVANE_BITMAP_DIR) + "/" + std::to_string(number) + ".bmp";
  EXPECT_TRUE(PBitmapFile::Load(path, image)) << path;
  return image;
}

// Mean absolute difference per channel between two rows (or, with columns, two columns).
inline double LineDifference(const PBitmapFile::Image& image, int32_t a, int32_t b, bool columns) {
  const int32_t n = columns ? image.height : image.width;
  double sum = 0;
  for (int32_t k = 0; k < n; ++k) {
    const uint32_t p = columns ? image.pixels[static_cast<size_t>(k) * image.width + a]
                               : image.pixels[static_cast<size_t>(a) * image.width + k];
    const uint32_t q = columns ? image.pixels[static_cast<size_t>(k) * image.width + b]
                               : image.pixels[static_cast<size_t>(b) * image.width + k];
    for (int shift : {0, 8, 16}) sum += std::abs(static_cast<int>(p >> shift & 255) - static_cast<int>(q >> shift & 255));
  }
  return sum / (3.0 * n);
}

// Largest difference between interior neighbouring rows (or columns).
inline double InteriorDifference(const PBitmapFile::Image& image, bool columns) {
  const int32_t n = columns ? image.width : image.height;
  double most = 0;
  for (int32_t k = 0; k + 1 < n; ++k) most = std::max(most, LineDifference(image, k, k + 1, columns));
  return most;
}
