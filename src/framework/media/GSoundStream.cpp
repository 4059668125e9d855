#include "framework/media/GSoundStream.h"

#include "framework/media/GSoundChannel.h"
#include "framework/media/GSoundManager.h"

GSoundStream::~GSoundStream() { GSoundStream::Stop(); }

void GSoundStream::Init(int16_t number, int32_t priority, bool loop) {
  streamed_ = true;
  loop_ = loop;
  GSoundEffect::Init(number, priority, kNoInstanceLimit);
}

void GSoundStream::Play() {
  if (channel_ != nullptr) return;
  GSoundManager* manager = gSoundManager;
  channel_ = manager ? manager->FindChannel(priority_, instanceLimit_, 0.0f, false, true) : nullptr;
  if (channel_ == nullptr) {
    if (loop_ && manager) manager->QueueSound(this);
    return;
  }
  if (!channel_->StartStream(this, number_)) {
    // Logged by the channel; a looping sound waiting for a channel is not tried again.
    channel_ = nullptr;
    manager->DequeueSound(this);
    return;
  }
  manager->DequeueSound(this);
}

void GSoundStream::Stop() {
  if (channel_ == nullptr) return;
  GSoundChannel* channel = channel_;
  channel_ = nullptr;
  channel->Stop();
  if (loop_ && gSoundManager != nullptr) gSoundManager->QueueSound(this);
}

bool GSoundStream::OnChannelStopped() {
  if (!loop_) {
    Stop();
    channel_ = nullptr;
    return true;
  }
  if (gSoundManager != nullptr) gSoundManager->QueueRestart(this);
  return false;
}

void GSoundStream::Restart() {
  if (channel_ == nullptr) {
    Play();
    return;
  }
  if (!channel_->StartStream(this, number_)) {
    loop_ = false;
    Stop();
  }
}
