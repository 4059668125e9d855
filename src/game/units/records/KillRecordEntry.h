#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

class GFile;
class GString;

// One line of a kill record's vehicle list: a vehicle class destroyed (below 0 an
// unidentified vehicle) and how many.
class KillRecordEntry : public GObject {
 public:
  KillRecordEntry() = default;
  explicit KillRecordEntry(int32_t vehicleClass) : vehicleClass(vehicleClass) {}
  ~KillRecordEntry() override = default;

  // i16 class (sign-extended on reading) and u8 count.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

  // The kill list's line: "<count> <vehicle's short name>[s] destroyed", the name
  // "unidentified vehicle" for a class below 0 (or one the tables do not hold).
  void GetLine(GString& text) const;

  int32_t vehicleClass = 0;
  uint8_t count = 1;
};
