// What an infantry unit adds to its state packets for the replay, the figure shown falling
// when men are hit, and a new team moving off the spot it appeared on.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/units/infantry/Infantry.h"

void Infantry::WriteStateExtras(UnitStatePacket& packet) const {
  packet.extraUnits = {carrier, boardingTarget};
  packet.leader = commandingLeader;
  packet.menPerSlot = menInSlot;
  packet.moveState = static_cast<uint8_t>(activityState & 15);
  packet.fatigueLevel = static_cast<uint8_t>(std::clamp(fatigueLevel, 0, 4));
  packet.specialShots = static_cast<uint8_t>(antitankCount & 7);
  packet.charges = static_cast<uint8_t>(chargeCount & 3);
  packet.surrendered = surrendered != 0 ? 1 : 0;
  packet.released = released != 0 ? 1 : 0;
  packet.routed = routed != 0 ? 1 : 0;
  packet.fallingFigure = packetFallingFigure;
}

void Infantry::ReadStateExtras(const UnitStatePacket& packet) {
  carrier = packet.extraUnits[0];
  boardingTarget = packet.extraUnits[1];
  commandingLeader = packet.leader;
}

UnitStatePacket Infantry::MakeStatePacket() {
  // The figure shown falling is drawn before the packet is filed.
  uint8_t falling = 0;
  if (casualtyFlag != 0) {
    falling = static_cast<uint8_t>(1 + Random(std::max(GetFigureCountAtLevel(GetIdentificationLevel(false)), 1)));
    casualtyFlag = 0;
  }
  packetFallingFigure = falling;
  UnitStatePacket packet = Unit::MakeStatePacket();
  packetFallingFigure = 0;
  return packet;
}

void Infantry::ApplyStatePacket(const UnitStatePacket& packet) {
  // Packets come from saved replays and the other machine: values out of range change nothing.
  if (packet.fallingFigure != 0) FlinchFigure(packet.fallingFigure - 1);
  antitankCount = static_cast<uint8_t>(packet.specialShots & 7);
  chargeCount = static_cast<uint8_t>(packet.charges & 3);
  const int32_t state = packet.moveState;
  if (state == kStationary || (state >= kMove && state <= kCrawl)) activityState = state;
  fatigueLevel = std::min<int32_t>(packet.fatigueLevel, 4);
  surrendered = packet.surrendered != 0 ? 1 : 0;
  released = packet.released != 0 ? 1 : 0;
  routed = packet.routed != 0 ? 1 : 0;
  for (size_t s = 0; s < menInSlot.size(); ++s) menInSlot[s] = packet.menPerSlot[s] <= 127 ? packet.menPerSlot[s] : 0;
  Unit::ApplyStatePacket(packet);
  ShowRecordedPosture();
}

void Infantry::FlinchFigure(int32_t figure) {
  if (GetIdentificationLevel(false) != 4) return;
  if (figure < 0 || figure >= kPoseColumns) return;
  const size_t i = static_cast<size_t>(figure);
  figurePose[19][i] += 40.0f;
  figurePose[2][i] -= 30.0f;
  figurePose[4][i] -= 30.0f;
}

void Infantry::FindNearbySpot() {
  if (GetSpeedClass() < 2) return;
  ReactToFire(false, false, 0.0f, 0.0f);
  for (int32_t tries = 0; tries < 10 && !HasMoveOrder(); ++tries) {
    facing = RandomFloatTimes(360.0f);
    const float distance = 10.0f + RandomFloatTimes(10.0f);
    const float heading = facing * 3.14159265358979f / 180.0f;
    AddWaypoint(x + distance * std::cos(heading), y + distance * std::sin(heading),
                identificationLevel >= 2 ? kOrderFastMove : kOrderSneak, true);
  }
}
