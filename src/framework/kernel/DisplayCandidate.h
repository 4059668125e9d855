#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "platform/PGuid.h"

class DisplayDeviceRecord;
class DisplayDriverRecord;
class DisplayModeRecord;

// One (driver, device, mode) the display selection may try. The records belong to the
// driver tree; the candidate only points at them.
class DisplayCandidate : public GObject {
 public:
  DisplayCandidate(DisplayDriverRecord* d, DisplayDeviceRecord* v, DisplayModeRecord* m)
      : driver(d), device(v), mode(m) {}
  ~DisplayCandidate() override = default;

  DisplayDriverRecord* driver;
  DisplayDeviceRecord* device;
  DisplayModeRecord* mode;
};

// The order of trying, as a group comparator: -1 when a comes first, 1 when b does, 0 when
// no rule tells them apart. Hardware devices first, then separate 3-D cards, drivers with
// 3-D, modes wider than 640, more video memory, wider, taller, and last the default refresh
// rate before explicit ones, higher rates before lower.
int32_t CompareCandidates(GObject* a, GObject* b, void* arg);
// Both null: true; one null: false; else whether the 16 bytes are equal.
bool SameGuid(const PGuid* a, const PGuid* b);
