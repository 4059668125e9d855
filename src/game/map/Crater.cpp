#include "game/map/Crater.h"

#include "framework/core/GFile.h"
#include "game/map/MapScaled.h"

void Crater::Read(GFile& file) {
  uint8_t flags = static_cast<uint8_t>(file.ReadByte());
  lasting = (flags & kFlagLasting) != 0;
  hidden = (flags & kFlagHidden) != 0;
  revealed = (flags & kFlagRevealed) != 0;
  ownerAxis = (flags & kFlagOwnerAxis) != 0;
  x = file.ReadFloat();
  y = file.ReadFloat();
  radius = file.ReadScaled(100.0f);
  rotation = file.ReadScaled(50.0f);
  depthOffset = file.ReadScaled(200.0f);
  Rebuild();
}

void Crater::Write(GFile& file) const {
  uint8_t flags = static_cast<uint8_t>((lasting ? kFlagLasting : 0) | (hidden ? kFlagHidden : 0) |
                                       (revealed ? kFlagRevealed : 0) | (ownerAxis ? kFlagOwnerAxis : 0));
  file.WriteByte(flags);
  file.WriteFloat(x);
  file.WriteFloat(y);
  WriteMapScaled(file, radius, 100.0f);
  WriteMapScaled(file, rotation, 50.0f);
  WriteMapScaled(file, depthOffset, 200.0f);
}
