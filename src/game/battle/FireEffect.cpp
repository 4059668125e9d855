#include "game/battle/FireEffect.h"

#include "game/battle/ImpactEffect.h"
#include "game/battle/Packet.h"
#include "game/map/Heading.h"

FireEffect::FireEffect(const Packet& packet, bool shownToSide) {
  const Packet::Fire& fire = packet.fire;
  code = fire.effectCode;
  start = packet.timeSlice;
  duration = fire.count;
  bytes[0] = fire.firstFlag;
  bytes[1] = fire.noFlight;
  bytes[2] = fire.thirdFlag;
  toX = fire.targetX;
  toY = fire.targetY;
  toZ = fire.targetZ;
  heading = HeadingDegrees(fire.targetX - packet.x, fire.targetY - packet.y);
  target = fire.target;
  speed = fire.speed;
  visible = shownToSide && fire.count > 0 ? 1 : 0;
  moving = fire.noFlight == 0 && fire.speed > 0.0f ? 1 : 0;
  if (code < kFirstUnitCode) {
    fromX = packet.x;
    fromY = packet.y;
    fromZ = packet.z;
  }
}

ReplayEffect* FireEffect::Step(int32_t replaySlice) {
  if (impactLeft || code >= kFirstUnitCode || moving == 0 || End() > replaySlice) return nullptr;
  impactLeft = true;
  auto* impact = new ImpactEffect;
  impact->variant = bytes[2] != 0 ? 2 : (bytes[0] != 0 ? 1 : 0);
  impact->x = toX;
  impact->y = toY;
  impact->z = toZ;
  impact->size = speed;
  impact->firstByte = (code == 0 || code == 1 || code == 2 || code == 5) ? bytes[0] : 0;
  impact->start = End() + ((code >= 8 && code <= 10) ? 80 : 0);
  impact->duration = static_cast<int32_t>((impact->size * 0.015f + 0.225f) * 212.0f);
  return impact;
}
