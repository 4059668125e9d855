#include "FanPadder.h"

std::string PadFans(std::vector<int32_t>& sizes, int32_t triangles) {
  int32_t fixed = 0;
  int32_t free = 0;
  for (int32_t s : sizes) {
    if (s == 0) ++free;
    else fixed += s;
  }
  const int32_t left = triangles - fixed;
  if (left < 2 * free || left > 10 * free || (free == 0 && left != 0))
    return "the fans cannot hold " + std::to_string(triangles) + " triangles (" + std::to_string(free) +
           " free fans for " + std::to_string(left) + ")";
  if (free == 0) return {};
  const int32_t each = left / free;
  int32_t extra = left % free;
  for (int32_t& s : sizes) {
    if (s != 0) continue;
    s = each + (extra > 0 ? 1 : 0);
    if (extra > 0) --extra;
  }
  return {};
}
