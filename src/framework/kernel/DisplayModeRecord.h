#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

// A display mode a 3-D device may use, as the display list reported it.
class DisplayModeRecord : public GObject {
 public:
  DisplayModeRecord() = default;
  ~DisplayModeRecord() override = default;

  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t refreshRate = 0;  // 0: the adapter's default rate
};
