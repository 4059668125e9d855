#include "game/battle/TurnMerge.h"

#include <typeinfo>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

bool Refuse(const char* what, int32_t value) {
  GErrorLog::LogValue(what, value);
  return false;
}

// The identity keys a unit holds once its references are turned into keys.
std::vector<uint32_t> KeysOf(const Unit& unit) {
  std::vector<uint32_t> keys(unit.referenceKeys.begin(), unit.referenceKeys.end());
  if (const auto* infantry = unit.AsInfantryUnit()) {
    keys.insert(keys.end(), infantry->linkKeys.begin(), infantry->linkKeys.end());
  }
  if (const auto* vehicle = unit.AsVehicleUnit()) {
    keys.insert(keys.end(), vehicle->passengerKeys.begin(), vehicle->passengerKeys.end());
  }
  return keys;
}

// Copies the kind's whole class when both units are of it (each given as its kind, or null).
template <typename Kind>
bool CopyAs(Kind* target, const Kind* source) {
  if (target == nullptr || source == nullptr) return false;
  *target = *source;
  return true;
}

// The received unit's contents over the battle's, keeping what the battle's unit has loaded
// to be drawn (and, when only the opponent is merged, its figures' animation).
void Overwrite(Unit& to, const Unit& from, bool keepAnimation) {
  const auto textures = to.textures;
  const auto variants = to.appearanceVariants;
  to.textures = {};
  auto* infantry = to.AsInfantryUnit();
  decltype(Infantry::figurePosture) posture{};
  decltype(Infantry::figureKey) key{};
  decltype(Infantry::figureNextKeyTime) nextKey{};
  decltype(Infantry::figurePose) pose{};
  if (infantry != nullptr) {
    posture = infantry->figurePosture;
    key = infantry->figureKey;
    nextKey = infantry->figureNextKeyTime;
    pose = infantry->figurePose;
  }
  const bool copied = CopyAs(to.AsInfantryUnit(), from.AsInfantryUnit()) ||
                      CopyAs(to.AsVehicleUnit(), from.AsVehicleUnit()) ||
                      CopyAs(to.AsInanimateUnit(), from.AsInanimateUnit()) ||
                      CopyAs(to.AsAirplaneUnit(), from.AsAirplaneUnit());
  if (!copied) to.Unit::operator=(from);
  to.ReleaseTextures(true);
  to.textures = textures;
  to.appearanceVariants = variants;
  if (infantry != nullptr && keepAnimation) {
    infantry->figurePosture = posture;
    infantry->figureKey = key;
    infantry->figureNextKeyTime = nextKey;
    infantry->figurePose = pose;
  }
}

int32_t ByIdentity(GObject* a, GObject* b, void*) {
  const uint32_t ka = static_cast<Unit*>(a)->PackedIdentity();
  const uint32_t kb = static_cast<Unit*>(b)->PackedIdentity();
  return ka < kb ? -1 : ka > kb ? 1 : 0;
}

// The file lists the units from exchange index count - 1 down to 0; units it did not list
// come last.
int32_t ByFileOrder(GObject* a, GObject* b, void*) {
  const int32_t ea = static_cast<Unit*>(a)->exchangeIndex;
  const int32_t eb = static_cast<Unit*>(b)->exchangeIndex;
  return ea > eb ? -1 : ea < eb ? 1 : 0;
}

}  // namespace

bool TurnMerge::Merge(Battle& battle, GFile& file, bool allSides, bool answer, int32_t ownSide) {
  // The two machines merge different files a different number of times: reading units must
  // leave the game's generator as it was.
  const uint32_t generator = RandomState();
  const bool merged = MergeInto(battle, file, allSides, answer, ownSide);
  SeedRandom(generator);
  return merged;
}

void TurnMerge::WriteTail(const Battle& battle, GFile& file, bool withAction) {
  file.WriteByte(withAction ? 1 : 0);
  if (!withAction) return;
  battle.WritePackets(file);
  for (int16_t quiet : battle.quietTurns) file.WriteU16(static_cast<uint16_t>(quiet));
}

bool TurnMerge::MergeInto(Battle& battle, GFile& file, bool allSides, bool answer, int32_t ownSide) {
  ownSide &= 1;
  Battle received(battle.App());
  for (int32_t i = 0; i < battle.UnitCount(); ++i) battle.UnitAt(i)->exchangeIndex = -1;
  if (!received.ReadOrders(file, answer)) return false;
  const int8_t packetFlag = file.ReadByte();
  if (file.HasError()) return Refuse("Merge: no packet flag", 0);
  if (packetFlag != 0 && !received.ReadPackets(file)) return false;
  int16_t quietTurns[2] = {};
  if (packetFlag != 0) {
    for (int16_t& quiet : quietTurns) quiet = static_cast<int16_t>(file.ReadU16());
    if (file.HasError()) return Refuse("Merge: no quiet-turn counters", 0);
    if (quietTurns[0] < 0 || quietTurns[1] < 0) return Refuse("Merge: quiet-turn counter out of range", -1);
  }

  auto inFilter = [&](const Unit& unit) { return allSides || unit.GetSideIndex() != ownSide; };
  for (int32_t i = 0; i < received.UnitCount(); ++i) {
    if (inFilter(*received.UnitAt(i))) received.UnitAt(i)->ReferencesToIds();
  }
  if (!allSides) {
    for (int32_t i = received.UnitCount() - 1; i >= 0; --i) {
      Unit* unit = received.UnitAt(i);
      if (unit->GetSideIndex() == ownSide) received.units.RemoveObject(unit, true);
    }
  }

  // Everything is checked before the battle changes.
  std::unordered_map<uint32_t, Unit*> current;
  current.reserve(static_cast<size_t>(battle.UnitCount()) * 2);
  for (int32_t i = 0; i < battle.UnitCount(); ++i) current.emplace(battle.UnitAt(i)->PackedIdentity(), battle.UnitAt(i));
  std::unordered_set<uint32_t> known;
  std::vector<Unit*> counterpart(static_cast<size_t>(received.UnitCount()), nullptr);
  for (int32_t i = 0; i < received.UnitCount(); ++i) {
    const Unit& unit = *received.UnitAt(i);
    const uint32_t key = unit.PackedIdentity();
    if (!known.insert(key).second) return Refuse("Merge: two received units of one identity", static_cast<int32_t>(key));
    const auto found = current.find(key);
    if (found == current.end()) continue;
    const Unit& held = *found->second;
    if (&held == &unit || held.kind != unit.kind || typeid(held) != typeid(unit)) {
      return Refuse("Merge: a received unit of another kind, identity", static_cast<int32_t>(key));
    }
    counterpart[static_cast<size_t>(i)] = found->second;
  }
  for (const auto& [key, unit] : current) {
    if (allSides || unit->GetSideIndex() == ownSide) known.insert(key);
  }
  for (int32_t i = 0; i < received.UnitCount(); ++i) {
    for (uint32_t key : KeysOf(*received.UnitAt(i))) {
      if (key != 0 && known.count(key) == 0) return Refuse("Merge: a reference to no unit, identity", static_cast<int32_t>(key));
    }
  }
  // The current units the merge leaves as they are keep their references; the ones it
  // replaces must not be referred to from them by a unit the merge drops (none: every
  // current unit of the filter is overwritten or kept with its own references).

  // Moves and overwrites.
  std::vector<Unit*> fresh;
  for (int32_t i = 0; i < received.UnitCount(); ++i) {
    Unit* unit = received.UnitAt(i);
    Unit* target = counterpart[static_cast<size_t>(i)];
    if (target == nullptr) {
      fresh.push_back(unit);
    } else {
      Overwrite(*target, *unit, !allSides);
    }
  }
  for (Unit* unit : fresh) {
    received.units.RemoveObject(unit, false);
    battle.units.Append(unit);
  }
  // Units of the filter that the file did not hold keep their references as they were.
  std::unordered_set<const Unit*> merged(fresh.begin(), fresh.end());
  for (Unit* target : counterpart) {
    if (target != nullptr) merged.insert(target);
  }
  bool resolved = true;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    Unit* unit = battle.UnitAt(i);
    if (merged.count(unit) != 0) resolved = unit->IdsToReferences(&battle) && resolved;
  }
  if (!resolved) GErrorLog::LogError("Merge: a reference did not resolve");
  for (Unit* unit : fresh) {
    unit->PrepareAppearance();
    ++battle.missingGraphics[unit->GetSideIndex() & 1];
  }

  if (packetFlag != 0) {
    battle.units.Sort(ByFileOrder, nullptr);
    battle.packets.DeleteAll(true);
    for (int32_t i = 0; i < received.packets.Count(); ++i) battle.packets.Append(received.packets.GetItem(i));
    received.packets.DeleteAll(false);
    battle.replay.soundEvents.clear();
    battle.replay.cursor = 0;
    battle.quietTurns[0] = quietTurns[0];
    battle.quietTurns[1] = quietTurns[1];
  } else if (allSides) {
    battle.units.Sort(ByIdentity, nullptr);
    battle.ComputeScoreShares(true, nullptr, nullptr);
    battle.ComputeStrengthRatios();
  }
  // The seed the file's reader accepted (the machine that does not draw it) is the battle's
  // next action's: it was read into the temporary battle.
  if (!battle.App().Exchange().IsSeedDrawing()) {
    battle.sharedSeed = received.sharedSeed;
    battle.App().Exchange().SetSharedSeed(received.sharedSeed);
  }
  if (allSides || ownSide == 1) battle.endState[0] = received.endState[0];
  if (allSides || ownSide == 0) battle.endState[1] = received.endState[1];
  return true;
}
