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
  // Every free fan starts at 2; the triangles left fill the last fans first, up to 10 each, so the
  // barrel takes what a model has over and the stages before keep their smallest fans (a routine
  // that keeps another's fan sizes has room in its own barrel).
  for (int32_t& s : sizes)
    if (s == 0) s = -2;
  int32_t extra = left - 2 * free;
  for (auto it = sizes.rbegin(); it != sizes.rend(); ++it) {
    if (*it >= 0) continue;
    const int32_t add = extra < 8 ? extra : 8;
    *it = 2 + add;
    extra -= add;
  }
  return {};
}
