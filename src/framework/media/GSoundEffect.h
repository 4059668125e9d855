#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

class GSoundChannel;
class GSoundData;

// A request to hear one numbered sound: the abstract base of every sound object. It asks the
// sound manager for a channel, takes its samples from the manager's cache and gives the
// channel back when it ends or when a more important sound takes it.
class GSoundEffect : public GObject {
 public:
  static constexpr int32_t kNoInstanceLimit = 999;

  GSoundEffect() = default;
  // Stops the sound (its channel first), then takes it off every list of the manager.
  ~GSoundEffect() override;

  // Stores the three values and registers the sound with the manager.
  void Init(int16_t number, int32_t priority, int32_t instanceLimit);

  virtual void Play() = 0;
  // Gives up the channel: the channel stops, then OnChannelStopped runs.
  virtual void Stop();
  // True when the sound holds no channel.
  virtual bool IsFinished();
  // The channel has stopped: forget it and the samples. True: the channel may forget the sound.
  virtual bool OnChannelStopped();
  virtual bool IsOneShot() const { return false; }
  virtual bool IsLooping() const { return false; }
  // The distance to the listener, for ranking; 0.0 for sounds without a position.
  virtual float GetDistance() const { return 0.0f; }

  int16_t GetNumber() const { return number_; }
  int32_t GetPriority() const { return priority_; }
  int32_t GetInstanceLimit() const { return instanceLimit_; }
  GSoundData* GetData() const { return data_; }
  GSoundChannel* GetChannel() const { return channel_; }
  bool IsStreamed() const { return streamed_; }
  bool HasChannel() const { return channel_ != nullptr; }

  // The manager is going away with its channels and cache: drop both pointers, stopping nothing.
  void ForgetChannel() {
    channel_ = nullptr;
    data_ = nullptr;
  }

 protected:
  // The common body of the Play operations: find a channel, load the samples, play.
  void PlayOnChannel(bool looped, bool want3D);

  int16_t number_ = 0;
  int32_t priority_ = 0;
  int32_t instanceLimit_ = kNoInstanceLimit;
  GSoundChannel* channel_ = nullptr;
  GSoundData* data_ = nullptr;
  bool streamed_ = false;
};
