#pragma once
#include <array>
#include <cstdint>

#include "platform/PGuid.h"

// The chosen display, as the display selection stores it and the application keeps it in its
// preferences file: 64 bytes, little-endian, padding zero.
struct DisplayPreset {
  static constexpr int32_t kSize = 64;

  uint8_t use3DPreset = 0;      // a 3-D candidate was accepted: try it first, without test
  uint8_t use2DPreset = 0;      // a 2-D size was accepted: set it without test
  uint8_t driverIsPrimary = 0;  // the 3-D driver is the primary display driver (no GUID)
  PGuid driverGuid{};
  uint8_t deviceIsNullGuid = 0;
  PGuid deviceGuid{};
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t refreshRate = 0;  // 0: the monitor's own
  uint8_t separateCard = 0;
  uint32_t width2D = 0;
  uint32_t height2D = 0;

  // The stored form.
  std::array<uint8_t, kSize> ToBytes() const;
  static DisplayPreset FromBytes(const uint8_t* bytes);
  bool operator==(const DisplayPreset&) const = default;
};
