// State packets (slots 93 and 94): what the replay shows of a unit in each slice.
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr float kPacketFiringTimerLimit = 10.0f;
// Just below 10: the largest float under it.
const float kFiringTimerHeld = std::nextafter(kPacketFiringTimerLimit, 0.0f);
bool gFiringTimerLogged = false;

// value x factor cut toward zero to 16 bits; not a number and values out of range give 0.
int16_t Truncated16(float value, float factor) {
  const double p = static_cast<double>(value * factor);
  if (!(p > -32769.0 && p < 32768.0)) return 0;
  return static_cast<int16_t>(static_cast<int32_t>(p));
}

}  // namespace

void Unit::AdvanceFiringTimer(int32_t slice) {
  firingTimer -= static_cast<float>(slice - sliceCounter) * 0.025f;
  if (firingTimer < 0.0f) firingTimer = 0.0f;
  if (firingTimer >= kPacketFiringTimerLimit || std::isnan(firingTimer)) {
    if (!gFiringTimerLogged) {
      GErrorLog::LogValue("Unit.cpp: firing timer held below 10 at slice", slice);
      gFiringTimerLogged = true;
    }
    firingTimer = std::isnan(firingTimer) ? 0.0f : kFiringTimerHeld;
  }
}

UnitStatePacket Unit::MakeStatePacket() {
  UnitStatePacket packet;
  MapBattleServices* battle = UnitBattle();
  packet.slice = static_cast<int16_t>(battle != nullptr ? battle->GetCurrentSlice() : 0);
  packet.lifeCode = alive != 0 ? UnitStatePacket::kAlive : UnitStatePacket::kDead;
  packet.losses = static_cast<uint8_t>(losses & 31);
  packet.unit = this;
  packet.target = target;
  packet.immobilized = immobilized != 0 ? 1 : 0;
  packet.suppression = suppression;
  packet.x = x;
  packet.y = y;
  packet.z = GetBaseHeight();
  packet.level = level;
  packet.status = static_cast<uint8_t>(status & 3);
  packet.facing = facing;
  packet.speed = speed;
  packet.turnRate = turnRate;
  packet.aim = Truncated16(aimTime, 10.0f);
  packet.areaFire = areaFire != 0 ? 1 : 0;
  packet.smokeFire = flagBytes[kSmokeFireFlag] != 0 ? 1 : 0;
  packet.targetAbsent = flagBytes[kTargetAbsentFlag] != 0 ? 1 : 0;
  packet.identificationLevel = static_cast<uint8_t>(identificationLevel & 7);
  packet.hidden = hidden != 0 ? 1 : 0;
  packet.hiddenSecond = hiddenSecond != 0 ? 1 : 0;
  packet.lastSeenX = lastSeenX;
  packet.lastSeenY = lastSeenY;
  packet.targetX = targetX;
  packet.targetY = targetY;
  packet.positionErrorX = positionErrorX;
  packet.positionErrorY = positionErrorY;
  packet.hold = flagBytes[kHoldFlag] != 0 ? 1 : 0;
  packet.reloading = reloadState > 0.0f ? 1 : 0;
  packet.bailedOut = knockedOut != 0 ? 1 : 0;
  packet.gunElevation = Truncated16(gunElevation, 200.0f);
  packet.goalGunElevation = Truncated16(goalGunElevation, 200.0f);
  WriteStateExtras(packet);
  packet.ammo = ammo;
  for (int32_t entry = 2; entry >= 0; --entry) {
    const size_t i = static_cast<size_t>(entry);
    const int32_t code = activityCodes[i];
    packet.codes[i] = static_cast<int8_t>(code);
    if (code == 3 || code == 4) {
      // These draws are part of the game's stream.
      const double duration = (Random(61) + 40) * 0.7 * 10.0;
      packet.variants[i] = 0;
      packet.durations[i] = static_cast<int16_t>(static_cast<int32_t>(duration));
    } else if (code == 8 || code == 9) {
      packet.variants[i] = 0;
      packet.durations[i] = 700;
    } else {
      int32_t variant = entry;  // in: the entry; out: its variant
      int32_t duration = 0;
      int32_t third = 0;
      GetActivityCodes(variant, duration, third);
      packet.variants[i] = static_cast<int8_t>(variant & 0xFF);
      packet.durations[i] = static_cast<int16_t>(duration & 0xFFFF);
    }
  }
  if (gPacketMark.active) {
    // An opening or bail-out packet: its slice and life code as the caller marked them.
    if (gPacketMark.slice != -9999) packet.slice = static_cast<int16_t>(gPacketMark.slice);
    packet.slice = static_cast<int16_t>(packet.slice + gPacketMark.delay);
    packet.lifeCode = gPacketMark.lifeCode;
  }
  if (UnitServices* services = GetUnitServices()) services->RecordStatePacket(packet);
  return packet;
}

void Unit::ApplyStatePacket(const UnitStatePacket& packet) {
  if (packet.slice >= 0) {
    if (firingTimer != 0.0f) AdvanceFiringTimer(packet.slice);
    sliceCounter = packet.slice;
  }
  if (packet.lifeCode == UnitStatePacket::kDead) {
    alive = 0;
  } else if (packet.lifeCode == UnitStatePacket::kRevived) {
    alive = 1;
    sliceCounter = packet.slice;
  }
  losses = packet.losses & 31;
  immobilized = packet.immobilized != 0 ? 1 : 0;
  suppression = packet.suppression;
  target = packet.target;
  areaFire = packet.areaFire != 0 ? 1 : 0;
  flagBytes[kSmokeFireFlag] = packet.smokeFire != 0 ? 1 : 0;
  flagBytes[kTargetAbsentFlag] = packet.targetAbsent != 0 ? 1 : 0;
  identificationLevel = packet.identificationLevel & 7;
  if (identificationLevel > 4) identificationLevel = 4;
  aimTime = static_cast<float>(packet.aim) * 0.1f;
  level = packet.level;
  status = packet.status & 3;
  if (status > 2) status = 2;
  firingBytes[kShownReloading] = packet.reloading != 0 ? 1 : 0;
  knockedOut = packet.bailedOut != 0 ? 1 : 0;
  gunElevation = static_cast<float>(packet.gunElevation) * 0.005f;
  goalGunElevation = static_cast<float>(packet.goalGunElevation) * 0.005f;
  x = packet.x;
  y = packet.y;
  facing = packet.facing;
  targetX = packet.targetX;
  targetY = packet.targetY;
  hidden = packet.hidden != 0 ? 1 : 0;
  hiddenSecond = packet.hiddenSecond != 0 ? 1 : 0;
  lastSeenX = packet.lastSeenX;
  lastSeenY = packet.lastSeenY;
  positionErrorX = packet.positionErrorX;
  positionErrorY = packet.positionErrorY;
  flagBytes[kHoldFlag] = packet.hold != 0 ? 1 : 0;
  speed = packet.speed;
  turnRate = packet.turnRate;
  ammo = packet.ammo;
  ReadStateExtras(packet);
  const uint32_t now = TickCount();
  for (int32_t entry = 2; entry >= 0; --entry) {
    const size_t i = static_cast<size_t>(entry);
    const int32_t code = packet.codes[i];
    if (code == activityCodes[i]) continue;
    activityExtras[1][i] = packet.variants[i];
    activityCodes[i] = code;
    const int32_t wait = sliceCounter > 0 ? packet.durations[i] : 1;
    activityExtras[0][i] = static_cast<int32_t>(now + static_cast<uint32_t>(wait));
    if (entry == 0 && (code == 3 || code == 4)) firingTimer = 2.5f;
  }
  recordedDisplay = RecordedDisplay{true, x, y, facing, gunElevation, firingTimer, sliceCounter};
}

void Unit::RestoreRecordedState() {
  if (!recordedDisplay.valid) return;
  x = recordedDisplay.x;
  y = recordedDisplay.y;
  facing = recordedDisplay.facing;
  gunElevation = recordedDisplay.gunElevation;
  firingTimer = recordedDisplay.firingTimer;
  sliceCounter = recordedDisplay.sliceCounter;
}
