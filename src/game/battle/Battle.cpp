#include "game/battle/Battle.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GMath.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/ports/InanimateServices.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr const char* kSource = "Battle";

bool Refuse(GFile& file, const char* what, int32_t value) {
  GErrorLog::LogValue(what, value);
  file.SetError();
  return false;
}

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// The points a unit's value is worth in the score: an artillery spotter's at most 30, and an
// infantry unit formed from another unit (a split half, a bailed-out crew) three times its own.
float ScoredValue(const Unit& unit, float v) {
  const InfantryServices* infantry = unit.AsInfantry();
  if (infantry == nullptr) return v;
  if (unit.HasMainWeaponOfType5()) return std::min(v, 30.0f);
  if (infantry->GetOriginUnit() != nullptr) return v * 3.0f;
  return v;
}

// The season of a date YYMM: 0 spring (3-5), 1 summer (6-8), 2 autumn (9-11), 3 winter.
int32_t SeasonOf(int32_t date) {
  const int32_t month = date % 100;
  if (month >= 3 && month <= 5) return 0;
  if (month >= 6 && month <= 8) return 1;
  if (month >= 9 && month <= 11) return 2;
  return 3;
}

}  // namespace

Battle::Battle(MapAppServices& app) : BattleBase(app) {
  flags.IObjectGroup();
  shots.IObjectGroup();
  laterShots.IObjectGroup();
  laterUnits.IGroup();
  laterUnits.SetOwnsMembers(false);
  season = SeasonOf(date);
  ComputeVisibility();
}

Battle::~Battle() {
  // The strip, the pictures and the ambient sound; the map takes its view with it.
  CloseScreen(true);
  DeleteScreenParts();
  flags.DeleteAll(true);
  shotsAwaitingPacket.clear();
  shots.DeleteAll(true);
  laterShots.DeleteAll(true);
  // Units made in the last slice that never joined the list (the battle ended first) are ours.
  laterUnits.DeleteAll(true);
  DeleteAIGroups();
}

VictoryFlag* Battle::FlagAt(int32_t index) const { return static_cast<VictoryFlag*>(flags.GetItem(index)); }

void Battle::InitMembers() {
  notOwning = 1;
  BattleBase::InitMembers();
  DeleteAIGroups();
  flags.DeleteAll(true);
  flags.SetOwnsMembers(true);
}

bool Battle::SetUp(GFile* stream) {
  InitMembers();
  notOwning = 0;
  App().Battlefield().ShowCursor(true);
  if (stream != nullptr) {
    // A file in memory has no name to hand on.
    if (stream->Path().find('\\') != std::string::npos) App().SetCurrentFileName(stream->GetBaseName().CStr());
    if (!ReadBase(*stream) || !ReadBattlePart(*stream)) {
      stream->SetError();
      return false;
    }
    // The set-up phase belongs to the first turn; the set-up GO could not go on from another.
    if (setupPhase != 0 && currentTurn != 1) {
      GErrorLog::LogValue("Battle in its set-up phase at turn", currentTurn);
      stream->SetError();
      return false;
    }
    if (setupPhase == 0) {
      for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->StampFootprint();
    }
    return true;
  }
  map = new Map(App());
  if (!map->Read(nullptr)) FatalError(__LINE__, kSource);
  if (App().GetOperation() == nullptr) {
    flags.Append(new VictoryFlag(map->size.worldWidth * 0.5f, map->size.worldHeight * 0.5f, 1));
  }
  return true;
}

void Battle::SetUpForOperation() {
  if (App().GetOperation() == nullptr) FatalError(__LINE__, kSource);
  InitMembers();
  notOwning = 0;
  App().Battlefield().ShowCursor(true);
  map = new Map(App());
  map->SetUpStandIn();
}

bool Battle::ReadBattlePart(GFile& file) {
  setupPhase = file.ReadByte() != 0 ? 1 : 0;
  endState[0] = file.ReadByte();
  endState[1] = file.ReadByte();
  if (file.ReadByte() == 0) return Refuse(file, "Battle: no marker before the settings", 0);
  season = file.ReadByte();
  visibilityFactor = file.ReadFloat();
  timeOfDay = file.ReadByte();
  weather = file.ReadByte();
  autoObjective = file.ReadByte() != 0 ? 1 : 0;
  mayDigIn = file.ReadByte() != 0 ? 1 : 0;
  flagValue = static_cast<int16_t>(file.ReadU16());
  for (int32_t side = 1; side >= 0; --side) {
    bonusPoints[side] = static_cast<int32_t>(file.ReadU32());
    casualtyMultiplier[side] = file.ReadScaled(100.0f);
    exitScoring[side] = file.ReadByte() != 0 ? 1 : 0;
    exitEdge[side] = file.ReadByte();
    forcePoints[side] = static_cast<int16_t>(file.ReadU16());
    quietTurns[side] = static_cast<int16_t>(file.ReadU16());
  }
  edgeOwner[3] = file.ReadByte();
  edgeOwner[2] = file.ReadByte();
  edgeOwner[1] = file.ReadByte();
  edgeOwner[0] = file.ReadByte();
  if (file.HasError()) return false;
  if (setupPhase != 0 && currentTurn != 1) return Refuse(file, "Battle: set-up phase outside turn 1", currentTurn);
  for (int32_t side = 0; side < 2; ++side) {
    if (!InRange(endState[side], 0, 2)) return Refuse(file, "Battle: end state out of range", endState[side]);
    if (!InRange(exitEdge[side], 0, 3)) return Refuse(file, "Battle: exit edge out of range", exitEdge[side]);
  }
  if (!InRange(season, 0, 3)) return Refuse(file, "Battle: season out of range", season);
  if (!InRange(timeOfDay, 0, 2)) return Refuse(file, "Battle: time of day out of range", timeOfDay);
  if (!InRange(weather, 0, 5)) return Refuse(file, "Battle: weather out of range", weather);
  if (!std::isfinite(visibilityFactor)) return Refuse(file, "Battle: visibility factor not finite", 0);
  for (int32_t edge = 0; edge < 4; ++edge) {
    if (!InRange(edgeOwner[edge], 0, 2)) return Refuse(file, "Battle: edge owner out of range", edgeOwner[edge]);
  }

  flags.Read(file);
  flags.SetOwnsMembers(true);
  const uint32_t count = file.ReadU32();
  if (file.HasError()) return false;
  if (count > file.BytesLeft() / VictoryFlag::kStoredSize) {
    return Refuse(file, "Battle: victory flag count out of range", static_cast<int32_t>(count & 0x7FFFFFFF));
  }
  for (uint32_t i = 0; i < count; ++i) {
    auto* flag = new VictoryFlag(0.0f, 0.0f, 0);
    flags.Append(flag);
    flag->Read(file);
    if (file.HasError()) return false;
  }

  if (file.ReadByte() != 0) {
    for (int32_t side = 1; side >= 0; --side) {
      mustPurchase[side] = file.ReadByte() != 0 ? 1 : 0;
      sideValueE[side] = file.ReadByte();
      forceType[side] = file.ReadByte();
      sideByteF[side] = static_cast<uint8_t>(file.ReadByte());
      file.Skip(24);
      if (file.HasError()) return false;
      if (!InRange(forceType[side], 0, 3)) return Refuse(file, "Battle: force type out of range", forceType[side]);
    }
  }
  if (file.ReadByte() != 0) {
    forceEnlargement = static_cast<int16_t>(file.ReadU16());
    enlargementFlags[0] = file.ReadByte() != 0 ? 1 : 0;
    enlargementFlags[1] = file.ReadByte() != 0 ? 1 : 0;
    const int8_t hide = file.ReadByte();
    capturedAfterSurrender[0] = static_cast<int16_t>(file.ReadU16());
    capturedAfterSurrender[1] = static_cast<int16_t>(file.ReadU16());
    file.Skip(115);
    const int32_t n = static_cast<uint8_t>(file.ReadByte());
    if (n > 0) file.Skip(n);
    if (file.HasError()) return false;
    if (App().GetCurrentSide() != 2) App().SetHideOption(hide);
    if (forceEnlargement != 0) {
      // The play balance chosen for the battle, already in its units; the notices still owed.
      playBalance = forceEnlargement;
      playBalanceNotice[0] = enlargementFlags[0];
      playBalanceNotice[1] = enlargementFlags[1];
    }
  } else {
    forceEnlargement = 0;
  }
  if (file.HasError()) return false;
  if (!std::isfinite(casualtyMultiplier[0]) || !std::isfinite(casualtyMultiplier[1])) {
    return Refuse(file, "Battle: casualty multiplier not finite", 0);
  }
  return true;
}

void Battle::Write(GFile& file) const {
  if (setupPhase != 0 && currentTurn != 1) FatalError(__LINE__, kSource);
  BattleBase::Write(file);
  file.WriteByte(setupPhase);
  file.WriteByte(static_cast<uint8_t>(endState[0]));
  file.WriteByte(static_cast<uint8_t>(endState[1]));
  file.WriteByte(1);
  file.WriteByte(static_cast<uint8_t>(season));
  file.WriteFloat(visibilityFactor);
  file.WriteByte(static_cast<uint8_t>(timeOfDay));
  file.WriteByte(static_cast<uint8_t>(weather));
  file.WriteByte(autoObjective);
  file.WriteByte(mayDigIn);
  file.WriteU16(static_cast<uint16_t>(flagValue));
  for (int32_t side = 1; side >= 0; --side) {
    file.WriteU32(static_cast<uint32_t>(bonusPoints[side]));
    file.WriteScaled(casualtyMultiplier[side], 100.0f);
    file.WriteByte(exitScoring[side]);
    file.WriteByte(static_cast<uint8_t>(exitEdge[side]));
    file.WriteU16(static_cast<uint16_t>(forcePoints[side]));
    file.WriteU16(static_cast<uint16_t>(quietTurns[side]));
  }
  file.WriteByte(static_cast<uint8_t>(edgeOwner[3]));
  file.WriteByte(static_cast<uint8_t>(edgeOwner[2]));
  file.WriteByte(static_cast<uint8_t>(edgeOwner[1]));
  file.WriteByte(static_cast<uint8_t>(edgeOwner[0]));
  flags.Write(file);
  if (mustPurchase[0] != 0 || mustPurchase[1] != 0) {
    file.WriteByte(1);
    for (int32_t side = 1; side >= 0; --side) {
      file.WriteByte(mustPurchase[side]);
      file.WriteByte(static_cast<uint8_t>(sideValueE[side]));
      file.WriteByte(static_cast<uint8_t>(forceType[side]));
      file.WriteByte(sideByteF[side]);
      file.WriteZeros(24);
    }
  } else {
    file.WriteByte(0);
  }
  file.WriteByte(1);
  file.WriteU16(static_cast<uint16_t>(forceEnlargement));
  file.WriteByte(enlargementFlags[0]);
  file.WriteByte(enlargementFlags[1]);
  file.WriteByte(IsEditorOpen() ? 2 : static_cast<uint8_t>(App().GetOption(10)));
  file.WriteU16(static_cast<uint16_t>(capturedAfterSurrender[0]));
  file.WriteU16(static_cast<uint16_t>(capturedAfterSurrender[1]));
  file.WriteZeros(115);
  file.WriteByte(0);
}

void Battle::ComputeVisibility() {
  static constexpr double kRange[6] = {6000.0, 4000.0, 2000.0, 750.0, 250.0, 1000.0};
  if (!InRange(weather, 0, 5)) FatalError(__LINE__, kSource);
  double range = kRange[weather];
  switch (timeOfDay) {
    case 0: break;
    case 1: range = GMath::Pow(range, 0.8); break;
    case 2: range = GMath::Pow(range, 0.6); break;
    default: FatalError(__LINE__, kSource);
  }
  visibilityRange = static_cast<float>(range);
  visibilityFactor = static_cast<float>(GMath::Exp(-2.407945609 / range));
}

void Battle::ComputePurchaseLimits(int32_t side, int32_t* out, bool flag) const {
  const double p = forcePoints[side & 1];
  out[kPoints] = forcePoints[side & 1];
  const bool defender = attacker != 2 && attacker != side;
  const double m = defender ? 1.5 : 1.0;
  auto trunc = [](double v) { return static_cast<int32_t>(v); };
  switch (forceType[side & 1]) {
    case 0:
      out[kInfantry] = trunc(p * 0.5);
      out[kVehicle] = trunc(p * (side == 0 ? 0.25 : 0.2));
      out[kArmor] = trunc(p * (side == 0 ? 0.2 : 0.3));
      out[kFortification] = trunc(p * 0.2);
      break;
    case 1:
      out[kInfantry] = trunc(p);
      out[kVehicle] = 0;
      out[kArmor] = 0;
      out[kFortification] = trunc(p * 0.25);
      break;
    case 2:
      out[kInfantry] = trunc(p * 0.6);
      out[kVehicle] = trunc(p * (defender ? 0.3 : 0.4));
      out[kArmor] = 0;
      out[kFortification] = trunc(p * 0.15);
      break;
    case 3:
      out[kInfantry] = trunc(p * 0.4);
      out[kVehicle] = trunc(p * 0.2);
      out[kArmor] = trunc(p);
      out[kFortification] = trunc(p * 0.1);
      break;
    default: FatalError(__LINE__, kSource);
  }
  const int32_t points = out[kPoints];
  if (side == 0) {
    out[kInfantry] = std::min(points, trunc(out[kInfantry] + p * 0.12));
    out[kSupport] = trunc(m * 0.4 * out[kInfantry]);
    out[kArtillery] = trunc(p * 0.2);
  } else if (!flag) {
    out[kInfantry] = std::min(points, trunc(out[kInfantry] + p * 0.06));
    out[kSupport] = trunc(m * 0.45 * out[kInfantry]);
    out[kArtillery] = trunc(p * 0.25);
  } else {
    out[kSupport] = trunc(m * 0.5 * out[kInfantry]);
    out[kArtillery] = trunc(p * 0.3);
  }
  if (!defender) out[kFortification] = 0;
  if (attacker == 2) out[kArtillery] = trunc(out[kArtillery] * 0.75);
}

void Battle::ChooseRandomFlag() {
  if (flags.Count() == 0 || FlagAt(0)->dynamic == 0) return;
  for (int32_t i = 0; i < flags.Count(); ++i) FlagAt(i)->chosen = 0;
  FlagAt(Random(flags.Count()))->chosen = 1;
}

void Battle::UpdateFlags(bool onlyIdentified) {
  for (int32_t i = 0; i < flags.Count(); ++i) FlagAt(i)->UpdateHolder(*this, onlyIdentified);
}

void Battle::AddUnitToMap(Unit* unit, float x, float y) {
  // Each unit takes a free spot near the point (a vehicle first in cover), facing the map's
  // centre: the units of one group never share a point.
  if (!unit->IsAirplane()) unit->CheckPlacement(x, y, false, true, true);
  JoinUnitGroup(unit);
}

void Battle::PlaceUnitAt(Unit* unit, float x, float y) {
  if (!unit->IsAirplane()) unit->SetPosition(x, y);
  JoinUnitGroup(unit);
}

void Battle::JoinUnitGroup(Unit* unit) {
  if (!unit->IsAirplane()) {
    const int32_t side = unit->GetSideIndex();
    if (side < 0 || side > 1) FatalError(__LINE__, kSource);
    sideOnMap[side] = 1;
  }
  units.Append(unit);
}

void Battle::PrepareForPlay() {
  if (autoObjective != 0 && setupPhase != 0) ChooseRandomFlag();
  UpdateFlags(true);
  currentSlice = 0;
}

Unit* Battle::FirstUnitOfSide(int32_t sideIndex) const {
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    if (unit->IsAxis() == (sideIndex == 0)) return unit;
  }
  return nullptr;
}

int32_t Battle::GetSideNationality(int32_t sideByte) const {
  const int32_t sideIndex = 1 - (sideByte != 0 ? 1 : 0);
  const Unit* unit = FirstUnitOfSide(sideIndex);
  return unit != nullptr ? unit->GetKindGroup() : sideIndex;
}

bool Battle::IsMinefieldAt(float x, float y, bool antitank) const {
  if (objectsStamp_ != units.Stamp()) {
    objectsStamp_ = units.Stamp();
    objects_.clear();
    for (int32_t i = 0; i < units.Count(); ++i) {
      Unit* unit = UnitAt(i);
      if (const InanimateServices* object = unit->AsInanimate()) objects_.push_back({unit, object});
    }
  }
  for (const PlacedObject& placed : objects_) {
    const InanimateServices* object = placed.object;
    if (!object->IsRevealedThisTurn()) continue;
    const int32_t kind = object->GetKind();
    if (antitank ? (kind != 5 && kind != 6) : kind != 4) continue;
    if (std::fabs(placed.unit->x - x) <= 12.0f && std::fabs(placed.unit->y - y) <= 12.0f) return true;
  }
  return false;
}

float Battle::GroundWeight(float x, int32_t adjust) const {
  uint32_t bits = 0;
  std::memcpy(&bits, &x, sizeof bits);
  const uint32_t slot = (bits ^ (bits >> 11) ^ (bits >> 21) ^ static_cast<uint32_t>(adjust) * 5u) & 15u;
  GroundWeightEntry& entry = groundWeights_[slot];
  if (entry.filled && entry.pressureBits == bits && entry.adjust == adjust && entry.condition == groundCondition) {
    return entry.weight;
  }
  entry = {bits, adjust, groundCondition, WorkOutGroundWeight(x, adjust), true};
  return entry.weight;
}

float Battle::WorkOutGroundWeight(float x, int32_t adjust) const {
  int32_t c = groundCondition;
  switch (groundCondition) {
    case 0: c = 1; break;
    case 6: c = 2; break;
    case 7: c = 3; break;
    case 8:
      c = 4;
      if (adjust < 0) adjust = 0;
      break;
    default: break;
  }
  c += adjust;
  if (c < 0 || (c == 0 && adjust < 0)) return 1.0f;
  if (c > 5) c = 5;
  static constexpr float kM[6] = {0.0f, 1.9f, 0.0f, -2.0f, 1.0f, 15.0f};
  static constexpr float kW[6] = {25.0f, 20.0f, 15.0f, 10.0f, 11.0f, 19.0f};
  const float r = (x + kM[c]) / kW[c];
  float result = static_cast<float>(GMath::Exp(-static_cast<double>(r * r)));
  if (result > 1.0f) result = 1.0f;
  if (result < 0.01f) result = 0.01f;
  return result;
}

int32_t Battle::FindEdgeOfSide(int32_t side) const {
  if (side < 0 || side > 1) FatalError(__LINE__, kSource);
  static constexpr int32_t kOrder[4] = {2, 0, 1, 3};
  for (int32_t edge : kOrder) {
    if (edgeOwner[edge] == side && edgeOwner[(edge + 2) % 4] == 1 - side) return edge;
  }
  for (int32_t edge : kOrder) {
    if (edgeOwner[edge] == side) return edge;
  }
  return side == 1 ? 0 : 2;
}

int32_t Battle::GetEdgeSide(int32_t edge) const {
  if (edge < 0 || edge > 3) FatalError(__LINE__, kSource);
  return edgeOwner[edge];
}

int32_t Battle::EdgeOfBoundaryPoint(float x, float y) const {
  if (x <= 0.0f) return 0;
  if (y <= 0.0f) return 3;
  if (map != nullptr && y >= map->size.worldHeight) return 1;
  return 2;
}

bool Battle::IsExitEdgeForSide(float x, float y, int32_t sideByte) const {
  const int32_t side = sideByte == 1 ? 0 : 1;
  return exitScoring[side] != 0 && EdgeOfBoundaryPoint(x, y) == exitEdge[side];
}

bool Battle::IsOwnEdge(float x, float y, int32_t sideByte) const {
  const int32_t side = sideByte == 1 ? 0 : 1;
  return edgeOwner[EdgeOfBoundaryPoint(x, y)] == side;
}

void Battle::ComputeStrengthRatios() {
  float total[2] = {};
  float present[2] = {};
  for (int32_t i = 0; i < units.Count(); ++i) {
    const Unit* unit = UnitAt(i);
    if (!unit->IsInfantry() && !unit->IsVehicle()) continue;
    // Infantry at its fresh price; a squad without a crew weapon counts three times, a
    // heavy-weapon team half, a spotter no more than 10; a vehicle 0.4 of its price.
    const auto* infantry = unit->AsInfantryUnit();
    float v = infantry != nullptr ? infantry->GetPurchaseCost(true) : unit->GetPurchaseCost();
    if (unit->IsVehicle()) {
      v *= 0.4f;
    } else if (!unit->HasMainWeapon()) {
      v *= 3.0f;
    } else if (infantry != nullptr && infantry->HasHeavyWeapon(true)) {
      v *= 0.5f;
    }
    if (infantry != nullptr && infantry->IsArtillerySpotter()) v = std::min(v, 10.0f);
    if (unit->status != 0) v *= 0.5f;
    const int32_t side = unit->GetSideIndex();
    total[side] += v;
    const int32_t full = unit->GetFullStrength();
    // A unit of no men at full strength has nothing present to measure.
    if ((unit->IsAlive() || unit->status == 2) && !unit->HasSurrendered() && full > 0) {
      present[side] += v * static_cast<float>(unit->GetMenPresent()) / static_cast<float>(full);
    }
  }
  for (int32_t side = 0; side < 2; ++side) {
    if (total[side] <= 1.0f) total[side] = 1.0f;
    strengthRatio[side] = (present[side] + 0.01f) / total[side];
  }
}

void Battle::ComputeScoreShares(bool onlyIdentified, float* share0, float* share1) {
  UpdateFlags(onlyIdentified);
  float score[2] = {};
  float total[2] = {};
  for (int32_t side = 0; side < 2; ++side) {
    if (exitScoring[side] == 0) continue;
    float a = 0.0f;
    float b = 0.0f;
    for (int32_t i = 0; i < units.Count(); ++i) {
      const Unit* unit = UnitAt(i);
      if (unit->GetSideIndex() != side || (onlyIdentified && unit->identificationLevel == 0)) continue;
      bool exited = false;
      const float v = Measures().PointValue(*unit, exited, true);
      if (v == 0.0f) continue;
      a += v;
      if (exited || (endState[1 - side] == 2 && unit->IsAlive() && unit->CanMove())) {
        b += Measures().PointValue(*unit, exited, false);
      }
    }
    total[0] += a;
    total[1] += a;
    score[side] += b;
    score[1 - side] += a - b;
  }
  float captured[2] = {};
  for (int32_t i = 0; i < units.Count(); ++i) {
    const Unit* unit = UnitAt(i);
    if (!unit->HasSurrendered()) continue;
    float v = unit->GetPurchaseCost();
    const int32_t full = unit->GetFullStrength();
    if (v == 0.0f || full <= 0) continue;
    v = ScoredValue(*unit, v);
    v = v * (static_cast<float>(unit->GetMenPresent()) / static_cast<float>(full)) * 2.0f;
    const int32_t other = 1 - unit->GetSideIndex();
    captured[other] = std::trunc(captured[other] + v);
  }
  score[0] += captured[0];
  score[1] += captured[1];
  total[0] += captured[0] + captured[1];
  total[1] += captured[0] + captured[1];
  float casualties[2] = {};
  for (int32_t i = 0; i < units.Count(); ++i) {
    const Unit* unit = UnitAt(i);
    // A loss the viewer cannot see counts when the viewer had the unit fully identified.
    if (onlyIdentified && unit->GetIdentificationLevel(false) == 0 && unit->identificationLevel != 4) continue;
    const float v = Measures().CasualtyValue(*unit);
    if (v != 0.0f) casualties[unit->GetSideIndex()] += ScoredValue(*unit, v);
  }
  casualties[0] = (casualties[0] + static_cast<float>(capturedAfterSurrender[0])) * casualtyMultiplier[1];
  casualties[1] = (casualties[1] + static_cast<float>(capturedAfterSurrender[1])) * casualtyMultiplier[0];
  score[0] += casualties[1];
  score[1] += casualties[0];
  total[0] += casualties[0] + casualties[1];
  total[1] += casualties[0] + casualties[1];
  for (int32_t i = 0; i < flags.Count(); ++i) {
    const VictoryFlag* flag = FlagAt(i);
    const float p0 = flag->GetPoints(*this, true, onlyIdentified);
    const float p1 = flag->GetPoints(*this, false, onlyIdentified);
    total[0] += p0;
    total[1] += p1;
    if (flag->contested == 0) {
      if (flag->holder == 0) score[0] += p0;
      else score[1] += p1;
    }
  }
  for (int32_t side = 0; side < 2; ++side) {
    const auto b = static_cast<float>(bonusPoints[side]);
    if (bonusPoints[side] == 0) continue;
    total[side] += b;
    score[side] += b;
    total[1 - side] += b;
  }
  for (int32_t side = 0; side < 2; ++side) {
    if (total[side] < 1.0f) total[side] = 1.0f;
    scoreShare[side] = score[side] / total[side];
  }
  if (share0 != nullptr) *share0 = scoreShare[0];
  if (share1 != nullptr) *share1 = scoreShare[1];
  ShowScoreShares();
}
