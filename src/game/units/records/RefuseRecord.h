#pragma once
// A stored unit's value out of range: the check and value go to the error log under the unit
// kind's name and the file's sticky error is set, so the whole read fails.
#include <cstdint>
#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"

inline void RefuseRecord(GFile& file, const char* kind, const char* check, int32_t value) {
  char line[96];
  std::snprintf(line, sizeof line, "%s: bad %s", kind, check);
  GErrorLog::LogValue(line, value);
  file.SetError();
}
