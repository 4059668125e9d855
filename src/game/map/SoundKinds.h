#pragma once
#include <cstdint>

// The tables of sound kinds. A higher kind is more important; the normalised kind is the
// sound's priority with the sound manager and its class the number of channels it may claim.
class SoundKinds {
 public:
  // 11 becomes 10; 13 and 15 become 16; every other kind stays.
  static int32_t Normalize(int32_t kind);
  // The channel class 0..2 of a normalised kind; -1 for a kind without one (11, 13, 15, 20
  // and anything outside 1..25).
  static int32_t ClassOf(int32_t kind);
  // How many 20-slice windows a one-shot sound of the kind lasts; -1 for a kind without a
  // length (outside 3..24, and 20).
  static int32_t OneShotWindows(int32_t kind);
};

// The two names the sound code and the battle use.
inline int32_t NormalizeSoundKind(int32_t kind) { return SoundKinds::Normalize(kind); }
inline int32_t SoundKindClass(int32_t kind) { return SoundKinds::ClassOf(kind); }
// The minimum distance of a positional sound of any kind, metres.
inline float SoundKindMinDistance(int32_t /*kind*/) { return 200.0f; }
