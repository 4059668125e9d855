#include "game/draw/MapSoundEventOf.h"

#include "game/battle/Packet.h"
#include "game/units/Unit.h"

MapPacket MapSoundEventOf(const Packet& packet) {
  MapPacket m;
  m.kind = packet.kind;
  m.x = packet.x;
  m.y = packet.y;
  m.z = packet.z;
  m.sound.source = packet.sound.source;
  m.sound.number = packet.sound.number;
  m.sound.kind = packet.sound.soundKind;
  m.sound.parameter = packet.sound.parameter;
  m.sound.looped = packet.sound.looped;
  for (int side = 0; side < 2; ++side) {
    for (int i = 0; i < 3; ++i) m.sound.position[side][i] = packet.sound.position[side][i];
    m.sound.audible[side] = packet.sound.audible[side];
  }
  return m;
}
