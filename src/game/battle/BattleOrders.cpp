// The orders block one machine sends the other in TCP/IP play and e-mail turns: the shared
// seed, the sender's password digest, the end flags, the processor rating, the units with
// their orders and, in an operation, the sender's night-action byte.
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString63.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/UnitList.h"
#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"
#include "game/units/Unit.h"
#include "game/units/orders/Waypoint.h"

namespace {

bool Refuse(GFile& file, const char* what, int32_t value) {
  GErrorLog::LogValue(what, value);
  file.SetError();
  return false;
}

Campaign* RunningCampaign(MapAppServices& app) { return dynamic_cast<Campaign*>(app.GetOperation()); }

// The move modes the unit classes take, and a hide byte only on the last waypoint: a unit
// would otherwise stop at an earlier point and never go on.
bool WaypointsSound(const Unit& unit) {
  if (unit.waypointCount < 0 || unit.waypointCount > Unit::kMaxWaypoints) return false;
  for (int32_t i = 0; i < unit.waypointCount; ++i) {
    const Waypoint& point = unit.WaypointAt(i);
    switch (point.moveMode) {
      case Waypoint::kReverse: case 1: case 2: case 3: case 4: case 5: case 7: case Waypoint::kRotateTo: break;
      default: return false;
    }
    if (point.flags != 0 && i != unit.waypointCount - 1) return false;
  }
  return true;
}

}  // namespace

void Battle::WriteOrders(GFile& file) const {
  MapAppServices& app = App();
  const int32_t side = app.GetCurrentSide() & 1;
  file.WriteU16(sharedSeed);
  GErrorLog::LogValue("Seed written =", sharedSeed);
  // The digest travels once, from the machine that does not draw the seed, while the sides
  // are still deploying.
  if (!app.Exchange().IsSeedDrawing() && setupPhase != 0) {
    file.WriteByte(1);
    GString63 digest;
    digest.Assign(app.Exchange().GetPasswordDigest(side));
    digest.Write(file);
  } else {
    file.WriteByte(0);
  }
  file.WriteByte(static_cast<uint8_t>(endState[0]));
  file.WriteByte(static_cast<uint8_t>(endState[1]));
  file.WriteU32(app.Exchange().GetCPURating());
  units.Write(file);
  GErrorLog::LogValue("*** # units written =", units.Count());
  if (const Campaign* operation = RunningCampaign(app)) file.WriteByte(static_cast<uint8_t>(operation->nightIntent[side]));
}

bool Battle::ReadOrders(GFile& file, bool discardOwnSettings) {
  MapAppServices& app = App();
  // Everything is read and checked before anything is taken over.
  const uint16_t seed = file.ReadU16();
  const int32_t textFlag = file.ReadByte();
  if (file.HasError()) return false;
  if (textFlag > 1) return Refuse(file, "Orders: text flag out of range", textFlag);
  GString63 digest;
  if (textFlag == 1) digest.Read(file);
  const int32_t end0 = file.ReadByte();
  const int32_t end1 = file.ReadByte();
  // The peer's seed and processor rating are taken on trust by design: the rating only
  // decides which of the two machines computes the action, and both play the same seed.
  const uint32_t peerRating = file.ReadU32();
  if (file.HasError()) return false;
  if (end0 > 2 || end1 > 2) return Refuse(file, "Orders: end flag out of range", end0 > 2 ? end0 : end1);
  UnitList incoming;
  if (!incoming.ReadUnits(file, static_cast<int32_t>(kMaxOrdersUnits))) return false;
  for (int32_t i = 0; i < incoming.Count(); ++i) {
    if (!WaypointsSound(*static_cast<Unit*>(incoming.GetItem(i)))) return Refuse(file, "Orders: unsound waypoints, unit", i);
  }
  Campaign* operation = RunningCampaign(app);
  int32_t operationByte = 0;
  if (operation != nullptr) {
    operationByte = file.ReadByte();
    if (file.HasError()) return false;
    if (operationByte > 2) return Refuse(file, "Orders: night-action byte out of range", operationByte);
  }

  // The units join the group and resolve their ids against it; one that names no unit
  // takes the whole block back.
  const int32_t before = units.Count();
  const int32_t count = incoming.Count();
  for (int32_t i = 0; i < count; ++i) {
    auto* unit = static_cast<Unit*>(incoming.GetItem(i));
    unit->exchangeIndex = count - 1 - i;
    units.Append(unit);
  }
  incoming.SetOwnsMembers(false);
  incoming.DeleteAll(false);
  bool resolved = true;
  // Only the units just read: remapping consumes the stored ids, so the units already in the
  // group would lose their references.
  for (int32_t i = before; i < units.Count(); ++i) resolved = UnitAt(i)->RemapReferences(this) && resolved;
  if (!resolved) {
    while (units.Count() > before) units.RemoveAt(units.Count() - 1, true);
    return Refuse(file, "Orders: a unit refers to a unit that does not exist", 0);
  }

  if (!app.Exchange().IsSeedDrawing()) {
    sharedSeed = seed;
    GErrorLog::LogValue("Accepted seed =", seed);
  }
  const int32_t other = 1 - (app.GetCurrentSide() & 1);
  if (textFlag == 1 && !discardOwnSettings) app.Exchange().SetPasswordDigest(other, digest.CStr());
  endState[0] = end0;
  endState[1] = end1;
  if (!discardOwnSettings) {
    const uint32_t local = app.Exchange().GetCPURating();
    // Opposite answers on the two machines: equal ratings go to the seed-drawing one.
    app.Exchange().SetComputeHere(peerRating < local || (peerRating == local && app.Exchange().IsSeedDrawing()));
    if (operation != nullptr) operation->nightIntent[other] = operationByte;
  }
  return true;
}
