// The infantry part of a unit record (slots 2 and 3), written right after the unit's part:
// flags, the second leader name of a squad, the men per weapon slot, a spotter's aim point,
// a headquarters' leader ratings and the six unit references as packed ids.
#include <cmath>
#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/SurnameList.h"
#include "game/units/records/RefuseRecord.h"
#include "game/units/records/UnitIds.h"

namespace {

constexpr int32_t kSlotMenLimit = 127;

// Refuses the record: one log line naming the check, the file's error flag raised.
int32_t AntitankCode(int32_t weapon) {
  switch (weapon) {
    case 52: return 0;
    case 53: return 1;
    case 54: return 2;
    case 49: return 3;
    default: FatalError(7979, "Infantry");
  }
}

constexpr int32_t kAntitankWeapons[4] = {52, 53, 54, 49};

// Infantry move on foot: move, sneak, run, crawl and turning in place.
bool IsInfantryMoveMode(int32_t mode) {
  return mode == 3 || mode == 4 || mode == 5 || mode == 7 || mode == Waypoint::kRotateTo;
}

}  // namespace

void Infantry::Write(GFile& file) const {
  Unit::Write(file);
  const InfantryData data = Data();
  file.WriteU32(0);
  file.WriteU32(0);
  file.WriteByte(static_cast<uint8_t>((splitFlag != 0 ? 0x10 : 0) | (surrendered != 0 ? 0x20 : 0) | (released != 0 ? 0x40 : 0)));
  file.WriteByte(static_cast<uint8_t>(AntitankCode(antitankWeaponId) | (chargeCount & 7) << 2 | (antitankCount & 3) << 5 |
                                      (slicePassFlag != 0 ? 0x80 : 0)));
  if (data.IsSquad() != 0) file.WriteU16(secondLeaderName);
  const int32_t slots = data.WeaponSlotCount();
  if (slots < 0 || slots > InfantryData::kWeaponSlots) FatalError(8062, "Infantry");
  for (int32_t i = 0; i < slots; ++i) file.WriteByte(menInSlot[static_cast<size_t>(i)]);
  if (IsArtillerySpotter()) {
    file.WriteFloat(aimPoint[0]);
    file.WriteFloat(aimPoint[1]);
  }
  if (GetLeaderLevel()) {
    const int32_t r = leaderRatings;
    file.WriteByte(static_cast<uint8_t>((r & 3) << 6 | ((r >> 2) & 3) << 4 | ((r >> 4) & 3) << 2 | ((r >> 6) & 3)));
  }
  for (const Unit* link : {carrier, boardingTarget, parentUnit, commandingLeader, platoonLeader, linkedHalf}) {
    WriteUnitID(file, link);
  }
}

void Infantry::Read(GFile& file) {
  Unit::Read(file);
  if (file.HasError()) return;
  // The unit's part has checked the class index against the table.
  const InfantryData data = Data();
  file.ReadU32();
  file.ReadU32();
  const auto flags1 = static_cast<uint8_t>(file.ReadByte());
  const auto flags2 = static_cast<uint8_t>(file.ReadByte());
  splitFlag = (flags1 >> 4) & 1;
  surrendered = (flags1 >> 5) & 1;
  released = (flags1 >> 6) & 1;
  antitankWeaponId = kAntitankWeapons[flags2 & 3];
  chargeCount = (flags2 >> 2) & 7;
  antitankCount = (flags2 >> 5) & 3;
  slicePassFlag = (flags2 >> 7) & 1;
  if (data.IsSquad() != 0) {
    secondLeaderName = file.ReadU16();
    const int32_t group = GetKindGroup();
    if (secondLeaderName >= SurnameList::OfGroup(group).Count()) return RefuseRecord(file, "Infantry", "second leader name", secondLeaderName);
  }
  const int32_t slots = data.WeaponSlotCount();
  if (slots < 0 || slots > InfantryData::kWeaponSlots) FatalError(8062, "Infantry");
  int32_t sum = 0;
  for (int32_t i = 0; i < InfantryData::kWeaponSlots; ++i) {
    const int32_t men = i < slots ? static_cast<uint8_t>(file.ReadByte()) : 0;
    if (men > kSlotMenLimit) return RefuseRecord(file, "Infantry", "men in slot", men);
    menInSlot[static_cast<size_t>(i)] = static_cast<uint8_t>(men);
    sum += men;
  }
  if (sum > data.Men()) return RefuseRecord(file, "Infantry", "men in slots", sum);
  if (IsArtillerySpotter()) {
    aimPoint[0] = file.ReadFloat();
    aimPoint[1] = file.ReadFloat();
    if (!std::isfinite(aimPoint[0]) || !std::isfinite(aimPoint[1])) return RefuseRecord(file, "Infantry", "aim point", 0);
  }
  if (GetLeaderLevel()) {
    const auto stored = static_cast<uint8_t>(file.ReadByte());
    const int32_t r1 = stored >> 6;
    const int32_t r2 = (stored >> 4) & 3;
    const int32_t r3 = (stored >> 2) & 3;
    const int32_t r4 = stored & 3;
    if (r1 > 2 || r2 > 2 || r3 > 2 || r4 > 2) return RefuseRecord(file, "Infantry", "leader ratings", stored);
    leaderRatings = static_cast<uint8_t>(r1 | r2 << 2 | r3 << 4 | r4 << 6);
  } else {
    leaderRatings = 0;
  }
  for (int16_t& id : linkIds) id = ReadObjectRef(file);
  carrier = boardingTarget = parentUnit = commandingLeader = platoonLeader = linkedHalf = nullptr;
  if (file.HasError()) return;
  for (int32_t i = 0; i < waypointCount; ++i) {
    const Waypoint& point = waypoints[static_cast<size_t>(i)];
    if (!IsInfantryMoveMode(point.moveMode)) return RefuseRecord(file, "Infantry", "waypoint move mode", point.moveMode);
    if (point.flags != 0 && i != waypointCount - 1) return RefuseRecord(file, "Infantry", "waypoint hide flag", i);
  }
  // The movement state the last slice chose is not kept: the action starts from a new unit's.
  activityState = kStationary;
}
