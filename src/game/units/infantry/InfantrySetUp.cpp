// Infantry construction and class set-up: the figure pose rates, leader ratings, antitank
// weapons, charges and the men behind each weapon slot; the makers of kind 0.
#include "framework/core/Quorl.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/CrewFigure.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/records/UnitIds.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/UnitCodes.h"

namespace {

// The date code (year x 100 + month) of the battle or operation; 0 without one.
int32_t CurrentDateCode() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? battle->GetDate() : 0;
}

Unit* MakeInfantry(int32_t classIndex, int32_t code, int32_t rating) {
  auto* unit = new Infantry();
  unit->Init(classIndex, code, rating, 0.0f, 0.0f, 0.0f);
  return unit;
}

}  // namespace

Infantry* NewCrewFigure(int32_t code) {
  const uint32_t generator = RandomState();
  auto* figure = new Infantry();
  figure->Init(InfantryData::kFigureClass, code, 2, 0.0f, 0.0f, 0.0f);
  SeedRandom(generator);
  return figure;
}

Infantry::Infantry() {
  kind = kInfantry;
  timer = 0.0f;
  casualtyFlag = 0;
  activityState = 0;
  commandingLeader = nullptr;
  slicePassFlag = 0;
  for (int32_t row = kPoseRows - 1; row >= 0; --row) {
    for (int32_t column = kPoseColumns - 1; column >= 0; --column) {
      figurePose[static_cast<size_t>(row)][static_cast<size_t>(column)] = 0.0f;
    }
  }
  for (int32_t i = kPoseColumns - 1; i >= 0; --i) poseRate[static_cast<size_t>(i)] = 0.9f + RandomFloatTimes(0.2f);
  // A unit whose class set-up is skipped still has a weapon it can store.
  antitankWeaponId = 49;
  GBoundingBox::Set(0.0f, 0.0f, -10.0f, 150.0f, 250.0f, 160.0f);
}

InfantryData Infantry::Data() const { return gInfantryClasses[classIndex]; }

void Infantry::Register() {
  RegisterUnitMaker(kInfantry, MakeInfantry);
  RegisterBlankUnitMaker(kInfantry, []() -> Unit* { return new Infantry(); });
}

void Infantry::Init(int32_t typeIndex, int32_t code, int32_t newRating, float px, float py, float newFacing) {
  if (!gInfantryClasses.IsValid(typeIndex)) FatalError(1614, kInfantryFile);
  classIndex = typeIndex;
  parentUnit = boardingTarget = carrier = linkedHalf = commandingLeader = platoonLeader = nullptr;
  surrendered = 0;
  released = 0;
  Setup(px, py, newFacing, code, newRating);
  if (noAppearanceReset != 0) return;

  const InfantryData data = Data();
  const int32_t leaderLevel = data.LeaderLevel();
  if (leaderLevel != 0) {
    const int32_t r1 = RollLeaderRating(newRating, leaderLevel == 1 ? -1 : 1);
    const int32_t r2 = RollLeaderRating(newRating, leaderLevel == 1 ? 1 : -1);
    const int32_t r3 = RollLeaderRating(newRating, 0);
    const int32_t r4 = RollLeaderRating(newRating, 0);
    leaderRatings = static_cast<uint8_t>((r1 & 3) | (r2 & 3) << 2 | (r3 & 3) << 4 | (r4 & 3) << 6);
  }
  RollAntitankWeapons();

  if (!IsSpecialRole()) {
    chargeCount = 0;
  } else if (HasGammonBombs()) {
    chargeCount = Random(100) < 67 ? 1 : 0;
  } else {
    chargeCount = 2;
  }
  if (chargeCount > kMaxCharges) FatalError(1686, kInfantryFile);

  const int32_t slots = data.WeaponSlotCount();
  if (slots < 0 || slots > InfantryData::kWeaponSlots) FatalError(1692, kInfantryFile);
  for (int32_t i = InfantryData::kWeaponSlots - 1; i >= slots; --i) menInSlot[static_cast<size_t>(i)] = 0;
  int32_t sum = 0;
  for (int32_t i = slots - 1; i >= 0; --i) {
    const int16_t men = data.SlotMen(i);
    menInSlot[static_cast<size_t>(i)] = static_cast<uint8_t>(men & 0xFF);
    sum += men;
  }
  if (data.MenCheck() != 0 && sum != data.Men()) FatalError(1702, kInfantryFile);
}

int32_t Infantry::RollLeaderRating(int32_t unitRating, int32_t bias) {
  int32_t n = 3;
  if (bias != 0 && Random(3) == 0) n = 3 + bias;
  int32_t r1 = Random(n);
  if (r1 > 2) r1 = 2;
  if (unitRating > Random(5)) return r1;
  int32_t r2 = Random(n);
  if (r2 > 2) r2 = 2;
  return r1 < r2 ? r1 : r2;
}

bool Infantry::IsSpecialRole() const {
  const InfantryData data = Data();
  if (data.Demolition() != 0) return true;
  return data.IsSquad() != 0 && (nationalityCode == 1 || nationalityCode == 4 || nationalityCode == 15);
}

bool Infantry::HasGammonBombs() const { return Data().Demolition() == 0 && IsSpecialRole(); }

void Infantry::RollAntitankWeapons() {
  antitankCount = 0;
  if (IsSquad()) {
    if (!IsAxis()) {
      if (GetKindGroup() == 1) {
        if (nationalityCode == 1) {
          const int32_t r = Random(100);
          antitankCount = r < 45 ? 3 : r < 80 ? 2 : r < 90 ? 1 : 0;
        } else {
          const int32_t r = Random(100 - 7 * (GetRating() - 2));
          antitankCount = r < 15 ? 2 : r < 52 ? 1 : 0;
        }
      }
    } else {
      const int32_t d = CurrentDateCode();
      const auto t = static_cast<float>(d < 4500 ? d - 4406 : d - 4494);
      const float lo = 0.0091f * t * t + 0.00465f * t + 0.703f;
      const float hi = 0.0004658f * t * t * t - 0.01677f * t * t + 0.2204f * t + 0.9795f;
      float value = lo + (hi - lo) * RandomFloat();
      if (nationalityCode != 10 && Random(3) == 0) value = value * RandomFloatTimes(1.5f);
      auto count = static_cast<int32_t>(value + 0.5f);
      if (count > 2) count = 2;
      if (count < 0) count = 0;
      antitankCount = static_cast<uint8_t>(count);
    }
  }
  antitankWeaponId = GetAntitankWeaponId();
}

int32_t Infantry::GetAntitankWeaponId() const {
  if (!IsAxis()) return 49;
  const int32_t d = CurrentDateCode();
  if (d < 4409) return 52;
  if (d < 4502) return 53;
  return 54;
}

bool Infantry::GetLeaderLevel(int32_t* level) const {
  const int32_t value = Data().LeaderLevel();
  if (level != nullptr) *level = value;
  return value >= 1;
}

bool Infantry::IsTypeClassBelow9() const { return GetSpeedClass() == 1 && Data().ClassCode() < 9; }
bool Infantry::IsTypeClass9OrMore() const { return Data().ClassCode() > 8; }

bool Infantry::IsArtillerySpotter() const {
  const int32_t weapon = Data().MainWeapon();
  return weapon != kNoWeapon && gWeapons.IsValid(weapon) && gWeapons[weapon].Type() == 5;
}
