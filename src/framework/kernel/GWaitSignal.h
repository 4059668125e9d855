#pragma once

// A signal the event loop polls without waiting: the notification of a streamed sound's play
// cursor reaching one half of its buffer. Polling takes the signal (it resets).
class GWaitSignal {
 public:
  virtual ~GWaitSignal() = default;
  virtual bool Poll() = 0;
};
