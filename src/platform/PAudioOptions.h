#pragma once
#include <cstdint>

#include "platform/PAudioCaps.h"

// How the audio device is made. The default plays through SDL and falls back to the silent
// null back-end when SDL opens no audio device. The remaining fields let tests stand in for
// devices that fail or report other capabilities.
struct PAudioOptions {
  enum class Backend {
    kAuto,  // SDL audio output, or the null back-end when there is none
    kNull,  // silent; play cursors move only when PAudioDevice::Render is called
  };
  Backend backend = Backend::kAuto;
  PAudioCaps caps;
  int32_t createResult = 0;      // non-zero: device creation fails with this code
  int32_t capsResult = 0;        // non-zero: GetCaps fails with this code
  int32_t primaryFailures = 0;   // how many primary-buffer requests fail before one succeeds
  int32_t rolloffResult = 0;     // non-zero: SetRolloffFactor fails with this code
  int32_t maxBuffers = -1;       // secondary buffers that can be made; -1 no limit
  uint32_t bufferCpuOverhead = 0;  // percent of the processor each buffer reports
};
