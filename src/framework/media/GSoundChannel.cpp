#include "framework/media/GSoundChannel.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GSoundData.h"
#include "framework/media/GSoundEffect.h"
#include "framework/media/GSoundHost.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundWaitHandles.h"
#include "framework/media/GSoundWave.h"
#include "platform/PAudioBuffer.h"
#include "platform/PResourceObserver.h"
#include "platform/PRiffFile.h"
#include "platform/PSignal.h"

namespace {
constexpr const char* kSource = "GSound";
}

GSoundChannel::GSoundChannel() = default;

GSoundChannel::~GSoundChannel() {
  CloseStream();
  if (sound_ != nullptr) sound_->ForgetChannel();
  sound_ = nullptr;
  buffer_.reset();
}

void GSoundChannel::Reset() {
  sound_ = nullptr;
  CloseStream();
  endOfData_ = false;
  rankDistance_ = kNoRankDistance;
  rankPriority_ = 0;
}

void GSoundChannel::InitPlain(std::unique_ptr<PAudioBuffer> buffer) {
  buffer_ = std::move(buffer);
  is3D_ = false;
  Reset();
}

void GSoundChannel::Init3D(std::unique_ptr<PAudioBuffer> buffer) {
  buffer_ = std::move(buffer);
  is3D_ = true;
  Reset();
}

float GSoundChannel::RankDistance() const { return sound_ ? sound_->GetDistance() : rankDistance_; }
int32_t GSoundChannel::RankPriority() const { return sound_ ? sound_->GetPriority() : rankPriority_; }
int32_t GSoundChannel::RankLimit() const { return sound_ ? sound_->GetInstanceLimit() : rankLimit_; }

uint8_t* GSoundChannel::LockOrDie(uint32_t offset, uint32_t bytes, bool entire, uint32_t* locked, int32_t line) {
  if (!buffer_) FatalError(line, kSource);
  uint8_t* data = nullptr;
  int32_t result = buffer_->Lock(offset, bytes, entire, &data, locked);
  if (result == PAudio::kErrBufferLost) {
    if (buffer_->Restore() != PAudio::kOk) FatalError(line, kSource);
    result = buffer_->Lock(offset, bytes, entire, &data, locked);
  }
  if (result != PAudio::kOk || data == nullptr) FatalError(line, kSource);
  return data;
}

bool GSoundChannel::LoadSound(GSoundEffect* sound) {
  if (sound->IsStreamed()) FatalError(526, kSource);
  const GSoundData* data = sound->GetData();
  if (data == nullptr) FatalError(530, kSource);
  const uint32_t s = data->GetByteCount();
  if (s == 0) return false;  // nothing to play; the channel stays as it is
  uint32_t b = 0;
  uint8_t* p = LockOrDie(0, 0, true, &b, 550);
  if (b < s) {
    GErrorLog::LogValue("Sound too big for buffer #", sound->GetNumber());
    FatalError(557, kSource);
  }
  const bool looping = sound->IsLooping();
  if (!looping) {
    startOffset_ = b - s;
    std::memcpy(p + startOffset_, data->GetSamples(), s);
  } else {
    startOffset_ = s;
    for (uint32_t at = 0; at < b; at += s) std::memcpy(p + at, data->GetSamples(), std::min(s, b - at));
  }
  if (buffer_->Unlock(p, b) != PAudio::kOk) FatalError(582, kSource);
  uint32_t start = looping ? 0 : startOffset_;
  if (start >= b) start = 0;
  if (buffer_->SetCurrentPosition(start) != PAudio::kOk) FatalError(585, kSource);
  if (buffer_->Play(looping) != PAudio::kOk) FatalError(587, kSource);
  sound_ = sound;
  return true;
}

void GSoundChannel::WrapLoopPosition() {
  if (sound_ == nullptr || !sound_->IsLooping() || sound_->IsStreamed()) return;
  if (!buffer_) FatalError(1036, kSource);
  uint32_t status = 0;
  buffer_->GetStatus(&status);
  uint32_t play = 0;
  if (buffer_->GetCurrentPosition(&play) == PAudio::kOk && play > startOffset_) {
    if (buffer_->SetCurrentPosition(play - startOffset_) != PAudio::kOk) FatalError(1051, kSource);
  }
}

void GSoundChannel::Stop() {
  if (sound_ == nullptr) return;
  GSoundEffect* sound = sound_;
  sound_ = nullptr;
  if (!buffer_ || buffer_->Stop() != PAudio::kOk) FatalError(820, kSource);
  if (sound->IsStreamed()) CloseStream();
  sound->Stop();
}

bool GSoundChannel::HasStopped() {
  if (sound_ == nullptr) return false;
  uint32_t status = 0;
  if (!buffer_ || buffer_->GetStatus(&status) != PAudio::kOk) FatalError(876, kSource);
  return (status & (PAudio::kStatusPlaying | PAudio::kStatusLost)) == 0;
}

void GSoundChannel::ReleaseIfDone() {
  if (sound_ != nullptr && sound_->OnChannelStopped()) sound_ = nullptr;
}

void GSoundChannel::Set3DPosition(float x, float y, float z, float minDistance) {
  if (z < 0.0f) z = z * -1.25f;
  if (!buffer_ || buffer_->SetPosition(x, y, z) != PAudio::kOk) FatalError(1016, kSource);
  if (minDistance != 0.0f && buffer_->SetMinDistance(minDistance * 0.125f) != PAudio::kOk) {
    FatalError(1020, kSource);
  }
}

void GSoundChannel::CloseStream() {
  GSoundWave::CloseWaveFile(waveFile_, waveFormat_);
  if (eventsRegistered_) {
    GSoundWaitHandles::Global().Set(this, nullptr);
    eventsRegistered_ = false;
  }
  if (events_[0] || events_[1]) {
    // The mixer must not set a signal that is about to go.
    if (buffer_) buffer_->SetNotificationPositions(0, nullptr, nullptr);
    events_[0].reset();
    events_[1].reset();
  }
  endOfData_ = false;
  lastHalfPlaying_ = false;
}

uint32_t GSoundChannel::ReadStream(uint8_t* destination, uint32_t bytes) {
  int64_t left = dataEnd_ - waveFile_->Tell();
  if (left <= 0) return 0;
  uint32_t want = left < bytes ? static_cast<uint32_t>(left) : bytes;
  int64_t read = 0;
  GSoundWave::ReadWaveData(*waveFile_, want, destination, &read);
  if (read < 0) FatalError(1181, kSource);
  return static_cast<uint32_t>(read);
}

uint32_t GSoundChannel::FillFromStream(uint8_t* destination, uint32_t bytes) {
  uint32_t filled = ReadStream(destination, bytes);
  if (filled == bytes) return filled;
  if (streamLoops_) {
    // Start the file over as often as the half needs.
    while (filled < bytes) {
      if (waveFile_->Seek(dataStart_) < 0) FatalError(1195, kSource);
      uint32_t n = ReadStream(destination + filled, bytes - filled);
      if (n == 0) FatalError(1198, kSource);
      filled += n;
    }
    return filled;
  }
  endOfData_ = true;
  std::memset(destination + filled, 0, bytes - filled);
  return filled;
}

bool GSoundChannel::StartStream(GSoundEffect* sound, int16_t number) {
  CloseStream();  // a restart on the same channel begins afresh
  uint32_t locked = 0;
  uint8_t* p = LockOrDie(0, 0, true, &locked, 1122);
  if (locked < kStreamBytes) FatalError(1123, kSource);

  const GSoundHost& host = gSoundManager ? gSoundManager->GetHost() : GSoundManager::DefaultHost();
  std::string name;
  GSoundWave::MakeWaveFileName(name, number);
  std::string folder;
  host.GetBaseFolder(folder, false);
  PResourceObserver::Note(PResourceObserver::Kind::kSound, number, (folder + "WAV\\").c_str());
  PRiffChunk riff;
  int32_t result = GSoundWave::OpenWaveFile(folder + name, waveFile_, waveFormat_, riff);
  if (result != GSoundWave::kOk && host.GetBaseFolder(folder, true)) {
    result = GSoundWave::OpenWaveFile(folder + name, waveFile_, waveFormat_, riff);
  }
  int64_t size = result == GSoundWave::kOk ? GSoundWave::FindWaveData(*waveFile_, riff) : -1;
  if (size <= 0) {
    // A missing or unreadable file, or one without samples: the sound does not play.
    GErrorLog::LogValue("Problem loading sound #", number);
    CloseStream();
    if (buffer_->Unlock(p, locked) != PAudio::kOk) FatalError(1139, kSource);
    return false;
  }
  const std::string unusual = GSoundWave::UnusualFormatText(folder + name, *waveFormat_);
  if (!unusual.empty()) GErrorLog::LogError(unusual.c_str());
  dataStart_ = waveFile_->Tell();
  dataEnd_ = dataStart_ + size;
  streamLoops_ = sound->IsLooping();
  endOfData_ = false;
  lastHalfPlaying_ = false;

  if (FillFromStream(p, kStreamHalfBytes) == 0) FatalError(1151, kSource);

  events_[0] = std::make_unique<PSignal>();
  events_[1] = std::make_unique<PSignal>();
  PSignal* handles[2] = {events_[0].get(), events_[1].get()};
  GSoundWaitHandles::Global().Set(this, handles);
  eventsRegistered_ = true;
  const uint32_t offsets[2] = {0, kStreamHalfBytes};
  if (buffer_->SetNotificationPositions(2, offsets, handles) != PAudio::kOk) FatalError(1160, kSource);

  std::memcpy(p + kStreamHalfBytes, p, kStreamHalfBytes);
  if (buffer_->Unlock(p, locked) != PAudio::kOk) FatalError(1165, kSource);
  if (buffer_->SetCurrentPosition(0) != PAudio::kOk) FatalError(1166, kSource);
  // Always looping: the end of a file that does not loop is handled by the refills.
  if (buffer_->Play(true) != PAudio::kOk) FatalError(1168, kSource);
  sound_ = sound;
  return true;
}

void GSoundChannel::FillStreamHalf(bool firstHalf) {
  if (sound_ == nullptr || !waveFile_) return;
  if (lastHalfPlaying_) {
    // The half holding the last samples has played out.
    endOfData_ = false;
    lastHalfPlaying_ = false;
    sound_->Stop();
    return;
  }
  uint32_t locked = 0;
  uint8_t* p = LockOrDie(firstHalf ? 0 : kStreamHalfBytes, kStreamHalfBytes, false, &locked, 1230);
  if (locked != kStreamHalfBytes) FatalError(1233, kSource);
  if (endOfData_) {
    // The half with the last samples has begun; the finished one would follow it: silence.
    std::memset(p, 0, locked);
    lastHalfPlaying_ = true;
  } else if (FillFromStream(p, locked) == 0 && endOfData_) {
    // The file ended exactly where the half now playing ends.
    lastHalfPlaying_ = true;
  }
  if (buffer_->Unlock(p, locked) != PAudio::kOk) FatalError(1252, kSource);
}
