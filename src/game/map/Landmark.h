#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GString63.h"

// A named place of the map, set in the editor: a tile and its name.
class Landmark : public GObject {
 public:
  // The smallest stored record: two 32-bit tile numbers and an empty name's length byte.
  static constexpr uint32_t kMinStoredSize = 9;

  Landmark() = default;
  Landmark(int32_t tileX, int32_t tileY, const char* name);

  // The stored form: i32 tile x, i32 tile y, the name (length byte and text).
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

  int32_t tileX = 0;
  int32_t tileY = 0;
  GString63 name;
};
