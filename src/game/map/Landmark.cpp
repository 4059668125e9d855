#include "game/map/Landmark.h"

#include "framework/core/GFile.h"

Landmark::Landmark(int32_t x, int32_t y, const char* text) : tileX(x), tileY(y) { name.Assign(text); }

void Landmark::Read(GFile& file) {
  tileX = static_cast<int32_t>(file.ReadU32());
  tileY = static_cast<int32_t>(file.ReadU32());
  name.ReadText(file);
}

void Landmark::Write(GFile& file) const {
  file.WriteU32(static_cast<uint32_t>(tileX));
  file.WriteU32(static_cast<uint32_t>(tileY));
  name.WriteText(file);
}
