#include <cstdint>
#include <cstring>

#include "framework/core/Crc32.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/units/Unit.h"

namespace {

void Add(uint32_t& crc, uint32_t value) {
  for (int32_t shift = 24; shift >= 0; shift -= 8) crc = Crc32Update(crc, static_cast<uint8_t>(value >> shift));
}

void Add(uint32_t& crc, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof(bits));
  Add(crc, bits);
}

// A unit named by its place in the battle's list; -1 for none.
uint32_t IndexOf(const Battle& battle, const Unit* unit) {
  if (unit == nullptr) return 0xFFFFFFFFu;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    if (battle.UnitAt(k) == unit) return static_cast<uint32_t>(k);
  }
  return 0xFFFFFFFEu;
}

}  // namespace

uint32_t AIOperational::OrdersDigest(const Battle& battle) {
  uint32_t crc = 0xFFFFFFFFu;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    const Unit& unit = *battle.UnitAt(k);
    const int32_t count = unit.waypointCount < 0 ? 0 : (unit.waypointCount > Unit::kMaxWaypoints ? Unit::kMaxWaypoints : unit.waypointCount);
    Add(crc, static_cast<uint32_t>(unit.waypointCount));
    for (int32_t w = 0; w < count; ++w) {
      const Waypoint& point = unit.WaypointAt(w);
      Add(crc, point.x);
      Add(crc, point.y);
      Add(crc, static_cast<uint32_t>(point.moveMode));
    }
    Add(crc, IndexOf(battle, unit.target));
    Add(crc, unit.targetX);
    Add(crc, unit.targetY);
    Add(crc, static_cast<uint32_t>(unit.flagBytes[Unit::kHoldFlag]) << 8 | unit.areaFire);
  }
  for (int32_t side = 0; side < 2; ++side) {
    Add(crc, static_cast<uint32_t>(battle.AIGroupCount(side)));
    for (int32_t g = 0; g < battle.AIGroupCount(side); ++g) {
      const AIGroup& group = *battle.AIGroupAt(side, g);
      Add(crc, static_cast<uint32_t>(group.mode));
      Add(crc, static_cast<uint32_t>(group.Count()));
      for (int32_t i = 0; i < group.Count(); ++i) Add(crc, IndexOf(battle, group.UnitAt(i)));
    }
  }
  Add(crc, RandomState());
  return ~crc;
}
