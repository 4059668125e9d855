#pragma once
#include <cstdint>
#include <cstring>

// Little-endian fields of records kept as raw bytes (the built-in data tables), read and
// written byte by byte so that no structure layout or host byte order is assumed.
inline uint16_t LoadLE16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int16_t LoadLEI16(const uint8_t* p) { return static_cast<int16_t>(LoadLE16(p)); }
inline int32_t LoadLEI32(const uint8_t* p) { return static_cast<int32_t>(LoadLE32(p)); }
inline float LoadLEFloat(const uint8_t* p) {
  const uint32_t bits = LoadLE32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline void StoreLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void StoreLEFloat(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  StoreLE32(p, bits);
}
