#pragma once
#include <cstdint>

class GSoundChannel;
class PSignal;

// The signals the event loop polls for streamed sound: at most 10, added and removed in pairs
// of one owner (a stream channel). The first signal of a pair is set when the play cursor
// reaches the start of the buffer, the second when it reaches the middle. Pairs stand in the
// order added; a removed pair is replaced by the last one. The kernel polls it on every
// active pass while sound is on.
class GSoundWaitHandles {
 public:
  static constexpr int32_t kMaxHandles = 10;

  // The program's one registry.
  static GSoundWaitHandles& Global();

  // With a pair of signals adds them for owner; with null removes owner's pair.
  void Set(GSoundChannel* owner, PSignal* const* pair);
  int32_t Count() const { return count_; }
  PSignal* Handle(int32_t i) const { return handles_[i]; }
  GSoundChannel* Owner(int32_t i) const { return owners_[i]; }

  // Takes the first set signal, waiting at most timeoutMs (0: never waits), and hands it to
  // its owner: the second of a pair (the cursor reached the middle) refills the first half,
  // the first of a pair the second half. True when a signal was taken.
  bool Poll(uint32_t timeoutMs = 0);

 private:
  PSignal* handles_[kMaxHandles] = {};
  GSoundChannel* owners_[kMaxHandles] = {};
  int32_t count_ = 0;
};
