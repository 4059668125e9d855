#pragma once
#include <cstdint>

// What the audio device reports of itself. The mixer is in software, so the hardware fields
// describe what it can mix rather than a sound card; tests set their own values through
// PAudioOptions.
struct PAudioCaps {
  static constexpr uint32_t kCertified = 0x1;
  static constexpr uint32_t kEmulatedDriver = 0x2;
  static constexpr uint32_t kPrimary16Bit = 0x4;
  static constexpr uint32_t kPrimaryStereo = 0x8;

  uint32_t flags = kPrimary16Bit | kPrimaryStereo;
  uint32_t totalHwMemBytes = 0;
  uint32_t unlockTransferRateHwBuffers = 0;
  uint32_t playCpuOverheadSwBuffers = 0;
  uint32_t maxHwMixingStaticBuffers = 32;
  uint32_t maxHwMixingAllBuffers = 32;
  uint32_t maxHw3DStaticBuffers = 32;
};
