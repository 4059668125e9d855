#include "game/map/SoundKinds.h"

#include <array>
#include <cstddef>

int32_t SoundKinds::Normalize(int32_t kind) {
  if (kind == 11) return 10;
  if (kind == 13 || kind == 15) return 16;
  return kind;
}

int32_t SoundKinds::ClassOf(int32_t kind) {
  // Kinds 0..25.
  static constexpr std::array<int8_t, 26> kClasses = {-1, 0, 1,  0, 1, 1, 1, 1,  1, 1, 2, -1, 1,
                                                      -1, 1, -1, 2, 1, 1, 1, -1, 1, 1, 2, 2,  1};
  if (kind < 0 || kind > 25) return -1;
  return kClasses[static_cast<size_t>(kind)];
}

int32_t SoundKinds::OneShotWindows(int32_t kind) {
  // Kinds 3..24.
  static constexpr std::array<int8_t, 22> kWindows = {0, 1,  0, 2, 3, 4, 2,  5, 5, 0, 4,
                                                      2, 10, 4, 2, 2, 2, -1, 4, 3, 6, 25};
  if (kind < 3 || kind > 24) return -1;
  return kWindows[static_cast<size_t>(kind - 3)];
}
