#pragma once
#include "game/map/MapPacket.h"

class Packet;

// The map's view of a recorded sound event (kind 2), for Map::AddSoundEvent: what the replay
// hands the battle screen becomes a positional sound in one call.
MapPacket MapSoundEventOf(const Packet& packet);
