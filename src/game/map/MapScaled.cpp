#include "game/map/MapScaled.h"

#include <cmath>

#include "framework/core/GFile.h"

int16_t SaturateScaled(float value, float scale) {
  double rounded = GFile::RoundScaled(value, scale);
  if (std::isnan(rounded)) return 0;
  if (rounded >= 32767.0) return 32767;
  if (rounded <= -32768.0) return -32768;
  return static_cast<int16_t>(std::trunc(rounded));
}

void WriteMapScaled(GFile& file, float value, float scale) {
  file.WriteU16(static_cast<uint16_t>(SaturateScaled(value, scale)));
}
