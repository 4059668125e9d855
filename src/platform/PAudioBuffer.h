#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/PAudio.h"

class PAudioDevice;
class PSignal;

// How a secondary buffer is made.
struct PAudioBufferDesc {
  uint32_t bytes = 0;      // a whole number of frames
  uint16_t channels = 1;   // 1 or 2
  bool is3D = false;       // mono only: positioned relative to the listener
  bool positionNotify = false;
};

// A static secondary buffer of the mixer: fixed-format samples (44100 Hz, 16 bits, mono or
// stereo) that play once or looping from a play cursor. Every operation takes the mixer's
// lock for a moment only: Lock hands out a private copy of the locked bytes and Unlock copies
// it back, so a caller may fill a locked region slowly (for example from a file) while the
// mixer goes on playing. Made by PAudioDevice::CreateBuffer; must not outlive its device.
// The samples take memory from the first Lock or Play on (a program makes many buffers it
// seldom uses); until then they read as silence, as a new buffer's always do.
class PAudioBuffer {
 public:
  static constexpr float kDefaultMinDistance = 1.0f;

  ~PAudioBuffer();
  PAudioBuffer(const PAudioBuffer&) = delete;
  PAudioBuffer& operator=(const PAudioBuffer&) = delete;

  uint32_t Bytes() const { return bytes_; }
  uint16_t Channels() const { return channels_; }
  bool Is3D() const { return is3D_; }
  // Percent of the processor that playing this buffer costs.
  uint32_t CpuOverhead() const { return cpuOverhead_; }
  // Whether the samples have memory yet.
  bool HasMemory() const { return !data_.empty(); }

  // Locks bytes at offset, or the whole buffer with entire. *data receives the locked bytes
  // (as they stand in the buffer) and *lockedBytes their count. One lock at a time.
  int32_t Lock(uint32_t offset, uint32_t bytes, bool entire, uint8_t** data, uint32_t* lockedBytes);
  // Writes the locked bytes back; data must be what Lock gave.
  int32_t Unlock(uint8_t* data, uint32_t bytes);
  int32_t Restore() { return PAudio::kOk; }

  int32_t Play(bool looping);
  int32_t Stop();
  int32_t SetCurrentPosition(uint32_t byteOffset);
  int32_t GetCurrentPosition(uint32_t* byteOffset) const;
  int32_t GetStatus(uint32_t* status) const;

  // 3-D buffers only: the position in listener space (the listener at the origin looking
  // along +z, +x to its right, +y up) and the distance within which it does not get quieter.
  int32_t SetPosition(float x, float y, float z);
  int32_t GetPosition(float* x, float* y, float* z) const;
  int32_t SetMinDistance(float minDistance);
  float MinDistance() const;

  // Signals set when the play cursor reaches each offset: when it passes it while playing,
  // or at once when play starts there. An offset of 0 is reached again each time a looping
  // buffer wraps. Count 0 removes them; after that the mixer touches none of the signals.
  int32_t SetNotificationPositions(size_t count, const uint32_t* offsets, PSignal* const* signals);

 private:
  friend class PAudioDevice;
  PAudioBuffer(PAudioDevice* device, const PAudioBufferDesc& desc, uint32_t cpuOverhead);
  // With the mixer's lock held: adds up to frames frames to acc (interleaved stereo).
  void MixInto(int32_t* acc, uint32_t frames, float rolloff);
  void FireBetween(uint32_t from, uint32_t to);
  void FireAt(uint32_t position);
  // With the mixer's lock held: gives the samples their memory (silence) if they have none.
  void EnsureMemory();

  PAudioDevice* device_;
  uint32_t bytes_;
  uint16_t channels_;
  bool is3D_;
  bool positionNotify_;
  uint32_t cpuOverhead_;
  std::vector<uint8_t> data_;  // empty until first locked or played; changed under the lock

  // Guarded by the device's lock.
  bool playing_ = false;
  bool looping_ = false;
  uint32_t position_ = 0;
  float x_ = 0.0f, y_ = 0.0f, z_ = 0.0f;
  float minDistance_ = kDefaultMinDistance;
  std::vector<uint32_t> notifyOffsets_;
  std::vector<PSignal*> notifySignals_;

  // Only the caller's thread touches these.
  std::vector<uint8_t> staging_;
  bool locked_ = false;
  uint32_t lockOffset_ = 0;
};
