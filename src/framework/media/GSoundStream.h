#pragma once
#include "framework/media/GSoundEffect.h"

// A long stereo sound read from its file while it plays, on the one stream channel. The
// caller owns it and deletes it to end the sound.
class GSoundStream : public GSoundEffect {
 public:
  ~GSoundStream() override;

  // Instance limit 999.
  void Init(int16_t number, int32_t priority, bool loop);

  void Play() override;
  // A looping stream that loses its channel waits on the manager's list for it.
  void Stop() override;
  bool IsFinished() override { return !loop_ && channel_ == nullptr; }
  bool OnChannelStopped() override;
  bool IsLooping() const override { return loop_; }
  // Plays again from the file's beginning (the manager's restart list).
  void Restart();

 private:
  bool loop_ = false;
};
