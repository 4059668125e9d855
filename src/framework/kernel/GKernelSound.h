#pragma once

// What the kernel asks of the sound manager: whether sound is on, its periodic update and the
// looping channels' step. The kernel owns it; deleting it shuts the sound engine down. This
// base is the silent stand-in: sound off, nothing to update.
class GKernelSound {
 public:
  virtual ~GKernelSound() = default;
  virtual bool IsEnabled() const { return false; }
  // The full periodic work, at most about three times a second.
  virtual void Update() {}
  // Moves the looping channels' play cursors; every pass of the event loop.
  virtual void UpdateLoopingChannels() {}
};
