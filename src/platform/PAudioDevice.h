#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/PAudio.h"
#include "platform/PAudioBuffer.h"
#include "platform/PAudioCaps.h"
#include "platform/PAudioOptions.h"

// The audio output: a software mixer that sums every playing secondary buffer into the
// primary format (44100 Hz, 16 bits, stereo) with saturation. 3-D buffers are made quieter
// with distance, gain (min / max(d, min)) ^ rolloff, and panned toward the listener's side
// they lie on. The mix is played through SDL's audio output, whose callback thread renders
// it; with the null back-end nothing is heard and the cursors move only by Render.
class PAudioDevice {
 public:
  // How far a source fully to one side is turned down on the other side.
  static constexpr float kPanDepth = 0.7f;

  // The device, or null with *result set to the failure.
  static std::unique_ptr<PAudioDevice> Create(const PAudioOptions& options, int32_t* result);
  ~PAudioDevice();
  PAudioDevice(const PAudioDevice&) = delete;
  PAudioDevice& operator=(const PAudioDevice&) = delete;

  bool IsNullBackend() const { return sdlDevice_ == 0; }

  int32_t GetCaps(PAudioCaps& caps) const;
  // Takes the primary buffer; withControls asks for volume and 3-D listener control too.
  int32_t ObtainPrimary(bool withControls);
  bool HasPrimary() const { return hasPrimary_; }
  // Only 44100 Hz, 16-bit stereo integer samples are accepted.
  int32_t SetPrimaryFormat(const PAudioFormat& format);
  int32_t SetRolloffFactor(float rolloff);
  float RolloffFactor() const;

  // A new secondary buffer, or null with *result set.
  std::unique_ptr<PAudioBuffer> CreateBuffer(const PAudioBufferDesc& desc, int32_t* result);

  // Mixes frames stereo frames of every playing buffer into out and moves their cursors.
  void Render(int16_t* out, uint32_t frames);
  // Render into a scratch area, for tests that only move the cursors.
  void Advance(uint32_t frames);

  // The left and right gains of a 3-D source at (x, y, z) in listener space.
  static void Gains3D(float x, float y, float z, float minDistance, float rolloff, float* left, float* right);
  static float DistanceGain(float distance, float minDistance, float rolloff);

 private:
  friend class PAudioBuffer;
  explicit PAudioDevice(const PAudioOptions& options);
  bool OpenSdl();
  static void SdlCallback(void* user, uint8_t* stream, int len);

  PAudioOptions options_;
  mutable std::mutex lock_;
  std::vector<PAudioBuffer*> buffers_;  // guarded by lock_
  std::vector<int32_t> mix_;            // guarded by lock_
  float rolloff_ = 1.0f;                // guarded by lock_
  bool hasPrimary_ = false;
  int32_t primaryFailuresLeft_ = 0;
  int32_t buffersMade_ = 0;
  uint32_t sdlDevice_ = 0;
  std::vector<int16_t> scratch_;
};
