#include "platform/PAudioDevice.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

std::unique_ptr<PAudioDevice> PAudioDevice::Create(const PAudioOptions& options, int32_t* result) {
  if (options.createResult != 0) {
    if (result) *result = options.createResult;
    return nullptr;
  }
  std::unique_ptr<PAudioDevice> device(new PAudioDevice(options));
  if (options.backend == PAudioOptions::Backend::kAuto) device->OpenSdl();  // none: stays null
  if (result) *result = PAudio::kOk;
  return device;
}

PAudioDevice::PAudioDevice(const PAudioOptions& options)
    : options_(options), primaryFailuresLeft_(options.primaryFailures) {}

PAudioDevice::~PAudioDevice() {
  if (sdlDevice_ != 0) {
    SDL_CloseAudioDevice(sdlDevice_);  // waits for a running callback
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
}

bool PAudioDevice::OpenSdl() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  SDL_AudioSpec have{};
  want.freq = static_cast<int>(PAudio::kSampleRate);
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = &PAudioDevice::SdlCallback;
  want.userdata = this;
  // No changes allowed: SDL converts our format to the hardware's.
  SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  sdlDevice_ = id;
  SDL_PauseAudioDevice(id, 0);
  return true;
}

void PAudioDevice::SdlCallback(void* user, uint8_t* stream, int len) {
  auto* device = static_cast<PAudioDevice*>(user);
  device->Render(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(len) / 4u);
}

int32_t PAudioDevice::GetCaps(PAudioCaps& caps) const {
  if (options_.capsResult != 0) return options_.capsResult;
  caps = options_.caps;
  return PAudio::kOk;
}

int32_t PAudioDevice::ObtainPrimary(bool /*withControls*/) {
  if (primaryFailuresLeft_ > 0) {
    --primaryFailuresLeft_;
    return PAudio::kErrUnsupported;
  }
  hasPrimary_ = true;
  return PAudio::kOk;
}

int32_t PAudioDevice::SetPrimaryFormat(const PAudioFormat& format) {
  if (!hasPrimary_) return PAudio::kErrInvalidCall;
  if (format.formatTag != 1 || format.channels != 2 || format.samplesPerSec != PAudio::kSampleRate ||
      format.bitsPerSample != PAudio::kBitsPerSample) {
    return PAudio::kErrUnsupported;
  }
  return PAudio::kOk;
}

int32_t PAudioDevice::SetRolloffFactor(float rolloff) {
  if (options_.rolloffResult != 0) return options_.rolloffResult;
  if (!(rolloff >= 0.0f && rolloff <= 10.0f)) return PAudio::kErrInvalidParam;
  std::lock_guard<std::mutex> lock(lock_);
  rolloff_ = rolloff;
  return PAudio::kOk;
}

float PAudioDevice::RolloffFactor() const {
  std::lock_guard<std::mutex> lock(lock_);
  return rolloff_;
}

std::unique_ptr<PAudioBuffer> PAudioDevice::CreateBuffer(const PAudioBufferDesc& desc, int32_t* result) {
  auto fail = [result](int32_t code) {
    if (result) *result = code;
    return std::unique_ptr<PAudioBuffer>();
  };
  if (desc.channels != 1 && desc.channels != 2) return fail(PAudio::kErrInvalidParam);
  if (desc.is3D && desc.channels != 1) return fail(PAudio::kErrInvalidParam);
  if (desc.bytes == 0 || desc.bytes % (desc.channels * 2u) != 0) return fail(PAudio::kErrInvalidParam);
  if (options_.maxBuffers >= 0 && buffersMade_ >= options_.maxBuffers) return fail(PAudio::kErrOutOfMemory);
  std::unique_ptr<PAudioBuffer> buffer(new PAudioBuffer(this, desc, options_.bufferCpuOverhead));
  ++buffersMade_;
  {
    std::lock_guard<std::mutex> lock(lock_);
    buffers_.push_back(buffer.get());
  }
  if (result) *result = PAudio::kOk;
  return buffer;
}

void PAudioDevice::Render(int16_t* out, uint32_t frames) {
  std::lock_guard<std::mutex> lock(lock_);
  mix_.assign(2 * static_cast<size_t>(frames), 0);
  for (PAudioBuffer* buffer : buffers_) {
    if (buffer->playing_) buffer->MixInto(mix_.data(), frames, rolloff_);
  }
  for (size_t i = 0; i < mix_.size(); ++i) {
    out[i] = static_cast<int16_t>(std::clamp(mix_[i], -32768, 32767));
  }
}

void PAudioDevice::Advance(uint32_t frames) {
  scratch_.resize(2 * static_cast<size_t>(frames));
  Render(scratch_.data(), frames);
}

float PAudioDevice::DistanceGain(float distance, float minDistance, float rolloff) {
  if (!(minDistance > 0.0f)) return 1.0f;
  float d = std::max(distance, minDistance);
  return std::pow(minDistance / d, rolloff);
}

void PAudioDevice::Gains3D(float x, float y, float z, float minDistance, float rolloff, float* left, float* right) {
  float distance = std::sqrt(x * x + y * y + z * z);
  float gain = DistanceGain(distance, minDistance, rolloff);
  float pan = distance > 0.0f ? std::clamp(x / distance, -1.0f, 1.0f) : 0.0f;  // -1 left .. +1 right
  *left = gain * (1.0f - kPanDepth * std::max(pan, 0.0f));
  *right = gain * (1.0f + kPanDepth * std::min(pan, 0.0f));
}
