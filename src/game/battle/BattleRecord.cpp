// The turn's record as a rule: the action's packets applied to the units and the map, slice by
// slice from the turn's start, and the orders the next orders phase starts from. The replay's
// clock, effects and sounds call these steps; the headless battle calls them with no screen.
#include <algorithm>

#include "game/battle/Battle.h"
#include "game/battle/Packet.h"
#include "game/map/Map.h"
#include "game/map/MapPacket.h"
#include "game/units/Unit.h"

namespace {

// Slices of the record after the last packet before it ends.
constexpr int32_t kEndMargin = 10;
// The action's last slice: units move between packets up to it.
constexpr int32_t kLastActionSlice = 2400;

bool HasTurnStartState(const Map& map) {
  const Map::Objects& o = map.objects;
  return o.buildingsAtTurnStart != nullptr && o.cratersAtTurnStart != nullptr && o.craterMarksAtTurnStart != nullptr &&
         o.smallObjectsAtTurnStart != nullptr;
}

}  // namespace

int32_t Battle::RecordEndSlice() const { return LastPacketSlice(false) + kEndMargin; }

void Battle::StartRecord() {
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->ResetForReplay();
  replay.previous = -1;
  replay.current = 0;
  replay.cursor = 0;
  if (map != nullptr && HasTurnStartState(*map)) {
    // The map goes back to the turn's start; buildings that collapse in the record stand.
    std::vector<MapPacket> collapses;
    for (int32_t i = 0; i < packets.Count(); ++i) {
      const auto* p = static_cast<const Packet*>(packets.GetItem(i));
      if (p->kind != Packet::kBuildingCollapse) continue;
      MapPacket m;
      m.kind = p->kind;
      m.x = p->x;
      m.y = p->y;
      m.z = p->z;
      collapses.push_back(m);
    }
    map->RestoreTurnStartState(collapses);
  }
}

void Battle::PlayRecordThrough(int32_t slice) {
  Replay& r = replay;
  r.current = slice;
  // The list is in slice order: the cursor passes what was played and plays what is due.
  const int32_t count = packets.Count();
  r.cursor = std::min(r.cursor, count);
  while (r.cursor < count && static_cast<Packet*>(packets.GetItem(r.cursor))->timeSlice <= r.previous) ++r.cursor;
  while (r.cursor < count) {
    auto* packet = static_cast<Packet*>(packets.GetItem(r.cursor));
    if (packet->timeSlice > r.current) break;
    PlayPacket(*packet);
    ++r.cursor;
  }
  // Between their packets units move on at their recorded speed; past the action's end they
  // keep the state their last packets gave.
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    if (r.current <= kLastActionSlice) {
      unit->AdvanceBy(r.current, r.current);
    } else {
      unit->RestoreRecordedState();
    }
  }
  r.previous = r.current;
}

void Battle::FinishRecord() {
  // Whatever lies between the last slice played and the end is played: the turn ends on the
  // action's last state, however the record was stepped to it.
  PlayRecordThrough(RecordEndSlice());
  // The units' targets and orders become those the next orders phase starts from.
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->SnapshotOrders();
}
