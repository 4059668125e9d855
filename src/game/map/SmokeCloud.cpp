#include "game/map/SmokeCloud.h"

#include "framework/core/GFile.h"

GObject* SmokeCloud::CopyItself() const { return new SmokeCloud(x, y, startSlice, lifetime, radius); }

void SmokeCloud::Read(GFile& file) {
  x = file.ReadFloat();
  y = file.ReadFloat();
  startSlice = static_cast<int32_t>(file.ReadU32());
  lifetime = static_cast<int32_t>(file.ReadU32());
  radius = file.ReadFloat();
}

void SmokeCloud::Write(GFile& file) const {
  file.WriteFloat(x);
  file.WriteFloat(y);
  file.WriteU32(static_cast<uint32_t>(startSlice));
  file.WriteU32(static_cast<uint32_t>(lifetime));
  file.WriteFloat(radius);
}
