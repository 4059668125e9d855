#include "framework/kernel/DisplayCandidate.h"

#include <cstring>

#include "framework/kernel/DisplayDeviceRecord.h"
#include "framework/kernel/DisplayDriverRecord.h"
#include "framework/kernel/DisplayModeRecord.h"

namespace {
// -1 when only a has the quality, 1 when only b has it, else 0.
int32_t Prefer(bool a, bool b) {
  if (a == b) return 0;
  return a ? -1 : 1;
}
// -1 when a's value is the larger, 1 when b's is, else 0.
template <typename T>
int32_t PreferLarger(T a, T b) {
  if (a == b) return 0;
  return a > b ? -1 : 1;
}
}  // namespace

int32_t CompareCandidates(GObject* a, GObject* b, void* /*arg*/) {
  const auto* x = static_cast<const DisplayCandidate*>(a);
  const auto* y = static_cast<const DisplayCandidate*>(b);
  int32_t r = Prefer(x->device->hardware != 0, y->device->hardware != 0);
  if (r == 0) r = Prefer(x->driver->nonDisplay != 0, y->driver->nonDisplay != 0);
  if (r == 0) r = Prefer(x->driver->has3D != 0, y->driver->has3D != 0);
  if (r == 0) r = Prefer(x->mode->width > 640, y->mode->width > 640);
  if (r == 0) r = PreferLarger(x->driver->videoMemoryKB, y->driver->videoMemoryKB);
  if (r == 0) r = PreferLarger(x->mode->width, y->mode->width);
  if (r == 0) r = PreferLarger(x->mode->height, y->mode->height);
  if (r == 0) {
    const uint32_t ra = x->mode->refreshRate;
    const uint32_t rb = y->mode->refreshRate;
    if ((ra == 0) != (rb == 0)) r = ra == 0 ? -1 : 1;
    else r = PreferLarger(ra, rb);
  }
  return r;
}

bool SameGuid(const PGuid* a, const PGuid* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return std::memcmp(a->bytes, b->bytes, sizeof a->bytes) == 0;
}
