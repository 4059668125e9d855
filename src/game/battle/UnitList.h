#pragma once
#include <cstdint>

#include "framework/core/GObjectGroup.h"

class GFile;

// The owning list of units of a battle, an operation or a reinforcement group. Its stored form
// is the group's: the owns-members byte, a u32 count, then each unit's own stored form, which
// begins with its kind byte.
class UnitList : public GObjectGroup {
 public:
  UnitList() { IObjectGroup(); }
  ~UnitList() override = default;

  // Reads the owns-members byte, the count and that many units, appending them. The count is
  // tested against the bytes left and against limit before anything is made. False, with the
  // file's error flag raised, when the stored list is refused; the units read so far stay in
  // the list for the caller to discard.
  bool ReadUnits(GFile& file, int32_t limit);
};
