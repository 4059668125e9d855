#pragma once
#include <cstdint>

class GFile;

// The map's scaled 16-bit fields (its own, and those of its building and crater records): the
// value times scale rounded to the nearest integer, held inside -32768..32767 instead of
// wrapping; not-a-number is stored as 0. Halves round away from zero as GFile::WriteScaled
// rounds them, so that a value read back is written again as the same integer.
int16_t SaturateScaled(float value, float scale);
void WriteMapScaled(GFile& file, float value, float scale);
