#pragma once
#include <cstdint>

// A 16-byte identifier of a display driver or device.
struct PGuid {
  uint8_t bytes[16] = {};
  friend bool operator==(const PGuid&, const PGuid&) = default;
};
