#pragma once
#include <cstdint>

// What every part of the audio layer shares: the one sample format, result codes and the
// status bits of a buffer. Results are 0 for success and negative for a failure, so callers
// can log them as signed numbers.
struct PAudio {
  static constexpr uint32_t kSampleRate = 44100;
  static constexpr uint16_t kBitsPerSample = 16;

  static constexpr int32_t kOk = 0;
  static constexpr int32_t kErrGeneric = -1;
  static constexpr int32_t kErrInvalidParam = -2;
  static constexpr int32_t kErrOutOfMemory = -3;
  static constexpr int32_t kErrNoDevice = -4;
  static constexpr int32_t kErrInvalidCall = -5;
  static constexpr int32_t kErrUnsupported = -6;
  static constexpr int32_t kErrBufferLost = -7;

  // Buffer status bits (PAudioBuffer::GetStatus).
  static constexpr uint32_t kStatusPlaying = 1;
  static constexpr uint32_t kStatusLost = 2;  // never set: our buffers live in memory
  static constexpr uint32_t kStatusLooping = 4;
};

// The primary (output) format asked for with PAudioDevice::SetPrimaryFormat.
struct PAudioFormat {
  uint16_t formatTag = 1;  // uncompressed integer samples
  uint16_t channels = 2;
  uint32_t samplesPerSec = PAudio::kSampleRate;
  uint16_t bitsPerSample = PAudio::kBitsPerSample;
};
