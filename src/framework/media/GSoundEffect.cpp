#include "framework/media/GSoundEffect.h"

#include "framework/media/GSoundChannel.h"
#include "framework/media/GSoundData.h"
#include "framework/media/GSoundManager.h"

GSoundEffect::~GSoundEffect() {
  GSoundEffect::Stop();
  if (gSoundManager != nullptr) gSoundManager->Unregister(this);
}

void GSoundEffect::Init(int16_t number, int32_t priority, int32_t instanceLimit) {
  number_ = number;
  priority_ = priority;
  instanceLimit_ = instanceLimit;
  if (gSoundManager != nullptr) gSoundManager->Register(this);
}

void GSoundEffect::Stop() {
  if (channel_ == nullptr) return;
  GSoundChannel* channel = channel_;
  channel_ = nullptr;
  channel->Stop();  // calls this slot again, which finds nothing to do
  OnChannelStopped();
}

bool GSoundEffect::IsFinished() { return channel_ == nullptr; }

bool GSoundEffect::OnChannelStopped() {
  channel_ = nullptr;
  data_ = nullptr;
  return true;
}

void GSoundEffect::PlayOnChannel(bool looped, bool want3D) {
  if (channel_ != nullptr) return;
  GSoundManager* manager = gSoundManager;
  float distance = GetDistance();
  channel_ = manager ? manager->FindChannel(priority_, instanceLimit_, distance, want3D, streamed_) : nullptr;
  if (channel_ == nullptr) {
    OnChannelStopped();
    return;
  }
  data_ = manager->GetSoundData(number_, looped);
  if (data_ != nullptr && data_->GetByteCount() == 0) {
    // A sound without samples never plays: it leaves the channel free and does not wait for
    // another one.
    data_ = nullptr;
    channel_ = nullptr;
    manager->DequeueSound(this);
    return;
  }
  if (data_ != nullptr && channel_->LoadSound(this)) {
    manager->DequeueSound(this);
    return;
  }
  data_ = nullptr;
  channel_ = nullptr;
  OnChannelStopped();
}
