#include "framework/kernel/DisplayPreset.h"

#include <cstring>

namespace {
void PutU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

std::array<uint8_t, DisplayPreset::kSize> DisplayPreset::ToBytes() const {
  std::array<uint8_t, kSize> b{};
  b[0] = use3DPreset;
  b[1] = use2DPreset;
  b[2] = driverIsPrimary;
  std::memcpy(&b[4], driverGuid.bytes, 16);
  b[20] = deviceIsNullGuid;
  std::memcpy(&b[24], deviceGuid.bytes, 16);
  PutU32(&b[40], width);
  PutU32(&b[44], height);
  PutU32(&b[48], refreshRate);
  b[52] = separateCard;
  PutU32(&b[56], width2D);
  PutU32(&b[60], height2D);
  return b;
}

DisplayPreset DisplayPreset::FromBytes(const uint8_t* b) {
  DisplayPreset p;
  p.use3DPreset = b[0];
  p.use2DPreset = b[1];
  p.driverIsPrimary = b[2];
  std::memcpy(p.driverGuid.bytes, &b[4], 16);
  p.deviceIsNullGuid = b[20];
  std::memcpy(p.deviceGuid.bytes, &b[24], 16);
  p.width = GetU32(&b[40]);
  p.height = GetU32(&b[44]);
  p.refreshRate = GetU32(&b[48]);
  p.separateCard = b[52];
  p.width2D = GetU32(&b[56]);
  p.height2D = GetU32(&b[60]);
  return p;
}
