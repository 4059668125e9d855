#include "platform/PAudioBuffer.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/PAudioDevice.h"
#include "platform/PSignal.h"

namespace {
inline int32_t SampleAt(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}
}  // namespace

PAudioBuffer::PAudioBuffer(PAudioDevice* device, const PAudioBufferDesc& desc, uint32_t cpuOverhead)
    : device_(device),
      bytes_(desc.bytes),
      channels_(desc.channels),
      is3D_(desc.is3D),
      positionNotify_(desc.positionNotify),
      cpuOverhead_(cpuOverhead) {}

PAudioBuffer::~PAudioBuffer() {
  std::lock_guard<std::mutex> lock(device_->lock_);
  auto& list = device_->buffers_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

int32_t PAudioBuffer::Lock(uint32_t offset, uint32_t bytes, bool entire, uint8_t** data, uint32_t* lockedBytes) {
  if (data == nullptr || lockedBytes == nullptr) return PAudio::kErrInvalidParam;
  *data = nullptr;
  *lockedBytes = 0;
  if (locked_) return PAudio::kErrInvalidCall;
  if (entire) {
    offset = 0;
    bytes = bytes_;
  }
  if (bytes == 0 || offset >= bytes_ || bytes > bytes_ - offset) return PAudio::kErrInvalidParam;
  staging_.resize(bytes);
  {
    std::lock_guard<std::mutex> lock(device_->lock_);
    EnsureMemory();
    std::memcpy(staging_.data(), data_.data() + offset, bytes);
  }
  locked_ = true;
  lockOffset_ = offset;
  *data = staging_.data();
  *lockedBytes = bytes;
  return PAudio::kOk;
}

int32_t PAudioBuffer::Unlock(uint8_t* data, uint32_t bytes) {
  if (!locked_ || data != staging_.data() || bytes != staging_.size()) return PAudio::kErrInvalidParam;
  {
    std::lock_guard<std::mutex> lock(device_->lock_);
    std::memcpy(data_.data() + lockOffset_, staging_.data(), bytes);
  }
  locked_ = false;
  std::vector<uint8_t>().swap(staging_);
  return PAudio::kOk;
}

void PAudioBuffer::EnsureMemory() {
  if (data_.size() != bytes_) data_.assign(bytes_, 0);
}

int32_t PAudioBuffer::Play(bool looping) {
  std::lock_guard<std::mutex> lock(device_->lock_);
  EnsureMemory();
  bool starting = !playing_;
  playing_ = true;
  looping_ = looping;
  if (starting) FireAt(position_);
  return PAudio::kOk;
}

int32_t PAudioBuffer::Stop() {
  std::lock_guard<std::mutex> lock(device_->lock_);
  playing_ = false;
  return PAudio::kOk;
}

int32_t PAudioBuffer::SetCurrentPosition(uint32_t byteOffset) {
  if (byteOffset >= bytes_) return PAudio::kErrInvalidParam;
  std::lock_guard<std::mutex> lock(device_->lock_);
  position_ = byteOffset - byteOffset % (channels_ * 2u);
  return PAudio::kOk;
}

int32_t PAudioBuffer::GetCurrentPosition(uint32_t* byteOffset) const {
  if (byteOffset == nullptr) return PAudio::kErrInvalidParam;
  std::lock_guard<std::mutex> lock(device_->lock_);
  *byteOffset = position_;
  return PAudio::kOk;
}

int32_t PAudioBuffer::GetStatus(uint32_t* status) const {
  if (status == nullptr) return PAudio::kErrInvalidParam;
  std::lock_guard<std::mutex> lock(device_->lock_);
  *status = (playing_ ? PAudio::kStatusPlaying : 0u) | (playing_ && looping_ ? PAudio::kStatusLooping : 0u);
  return PAudio::kOk;
}

int32_t PAudioBuffer::SetPosition(float x, float y, float z) {
  if (!is3D_) return PAudio::kErrUnsupported;
  std::lock_guard<std::mutex> lock(device_->lock_);
  x_ = x;
  y_ = y;
  z_ = z;
  return PAudio::kOk;
}

int32_t PAudioBuffer::GetPosition(float* x, float* y, float* z) const {
  if (!is3D_) return PAudio::kErrUnsupported;
  if (x == nullptr || y == nullptr || z == nullptr) return PAudio::kErrInvalidParam;
  std::lock_guard<std::mutex> lock(device_->lock_);
  *x = x_;
  *y = y_;
  *z = z_;
  return PAudio::kOk;
}

int32_t PAudioBuffer::SetMinDistance(float minDistance) {
  if (!is3D_) return PAudio::kErrUnsupported;
  if (!(minDistance > 0.0f)) return PAudio::kErrInvalidParam;
  std::lock_guard<std::mutex> lock(device_->lock_);
  minDistance_ = minDistance;
  return PAudio::kOk;
}

float PAudioBuffer::MinDistance() const {
  std::lock_guard<std::mutex> lock(device_->lock_);
  return minDistance_;
}

int32_t PAudioBuffer::SetNotificationPositions(size_t count, const uint32_t* offsets, PSignal* const* signals) {
  if (!positionNotify_) return PAudio::kErrUnsupported;
  if (count > 0 && (offsets == nullptr || signals == nullptr)) return PAudio::kErrInvalidParam;
  for (size_t i = 0; i < count; ++i) {
    if (offsets[i] >= bytes_ || signals[i] == nullptr) return PAudio::kErrInvalidParam;
  }
  std::lock_guard<std::mutex> lock(device_->lock_);
  notifyOffsets_.assign(offsets, offsets + count);
  notifySignals_.assign(signals, signals + count);
  return PAudio::kOk;
}

void PAudioBuffer::FireAt(uint32_t position) {
  for (size_t i = 0; i < notifyOffsets_.size(); ++i) {
    if (notifyOffsets_[i] == position) notifySignals_[i]->Set();
  }
}

void PAudioBuffer::FireBetween(uint32_t from, uint32_t to) {
  // The cursor moved over (from, to]; the end of the buffer is offset 0 reached again.
  for (size_t i = 0; i < notifyOffsets_.size(); ++i) {
    uint32_t at = notifyOffsets_[i] == 0 ? bytes_ : notifyOffsets_[i];
    if (at > from && at <= to) notifySignals_[i]->Set();
  }
}

void PAudioBuffer::MixInto(int32_t* acc, uint32_t frames, float rolloff) {
  const uint32_t frameBytes = channels_ * 2u;
  float gainLeft = 1.0f, gainRight = 1.0f;
  if (is3D_) PAudioDevice::Gains3D(x_, y_, z_, minDistance_, rolloff, &gainLeft, &gainRight);
  uint32_t done = 0;
  while (done < frames && playing_) {
    uint32_t n = std::min(frames - done, (bytes_ - position_) / frameBytes);
    const uint8_t* src = data_.data() + position_;
    int32_t* out = acc + 2 * static_cast<size_t>(done);
    if (channels_ == 2) {
      for (uint32_t i = 0; i < n; ++i) {
        out[2 * i] += SampleAt(src + 4 * i);
        out[2 * i + 1] += SampleAt(src + 4 * i + 2);
      }
    } else if (is3D_) {
      for (uint32_t i = 0; i < n; ++i) {
        float s = static_cast<float>(SampleAt(src + 2 * i));
        out[2 * i] += static_cast<int32_t>(s * gainLeft);
        out[2 * i + 1] += static_cast<int32_t>(s * gainRight);
      }
    } else {
      for (uint32_t i = 0; i < n; ++i) {
        int32_t s = SampleAt(src + 2 * i);
        out[2 * i] += s;
        out[2 * i + 1] += s;
      }
    }
    uint32_t from = position_;
    position_ += n * frameBytes;
    done += n;
    FireBetween(from, position_);
    if (position_ >= bytes_) {
      position_ = 0;
      if (!looping_) playing_ = false;
    }
  }
}
