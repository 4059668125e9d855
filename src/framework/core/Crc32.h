#pragma once
#include <cstdint>

// One byte step of the published CRC-32 (reflected polynomial 0xEDB88320):
// crc = (crc >> 8) XOR table[(crc XOR byte) AND 255]. The caller chooses the start value and
// whether to invert the result; the e-mail text block starts at 0 and does not invert.
uint32_t Crc32Update(uint32_t crc, uint8_t byte);
