#pragma once

// What the kernel asks of the sound manager: whether sound is on, its periodic update and the
// looping channels' step. This base forwards to the program's sound manager (gSoundManager)
// and does nothing while there is none; tests put in their own.
class GKernelSound {
 public:
  virtual ~GKernelSound() = default;
  virtual bool IsEnabled() const;
  // The full periodic work, at most about three times a second.
  virtual void Update();
  // Moves the looping channels' play cursors; every pass of the event loop.
  virtual void UpdateLoopingChannels();
};
