#pragma once
#include <cstddef>
#include <cstdint>

// The bitmap catalogue as the build turns it into a table (make_bitmaps --table): every
// number with a row, in the catalogue's order, with its size, strip style (-1 for none) and
// key flag. Tests link it to check that the numbers a program asks for all have rows.
struct BitmapCatalogueEntry {
  int32_t number;
  int32_t width;
  int32_t height;
  int32_t strip;
  bool key;
};

extern const BitmapCatalogueEntry kBitmapCatalogue[];
extern const size_t kBitmapCatalogueSize;
