// The vehicle's construction, class set-up, apparent identity and names.
#include <array>

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"

float Vehicle::gGroundFactor = 1.0f;
float Vehicle::gFullCheck = 1.0f;
float Vehicle::gLookAheadX = 0.0f;
float Vehicle::gLookAheadY = 0.0f;
bool Vehicle::gWayAheadCheck = false;
std::array<uint8_t, 2> Vehicle::gDesignationNumbers{1, 1};

Vehicle::Vehicle() {
  kind = kVehicle;
  drawingOffsets[0] = -6.0f - static_cast<float>(Random(6));
  drawingOffsets[1] = drawingOffsets[0] + static_cast<float>(5 + Random(4));
  if (Random(2) == 0) drawingOffsets[1] = -drawingOffsets[1];
  for (int32_t i = kAnimations - 1; i >= 0; --i) {
    animationPhases[static_cast<size_t>(i)] = Random(10000);
    animationRates[static_cast<size_t>(i)] = RandomFloatTimes(1.3f) + 0.5f;
  }
  GBoundingBox::Set(0.0f, 0.0f, 0.0f, 0.25f, 0.25f, 0.1f);
}

VehicleData Vehicle::TrueClass() const { return gVehicleClasses[classIndex]; }

int32_t Vehicle::GetMoveClass() const { return VehicleMoveClass(TrueClass().KindCode()); }

VehicleData Vehicle::GetClassData(int32_t mode) const {
  if (mode == 0) return TrueClass();
  const int32_t level = mode == 2 ? GetIdentificationLevel(true) : identificationLevel;
  if (level >= 4) return TrueClass();
  if (level == 3) return gVehicleClasses[apparentClass];
  return gVehicleClasses[broadClass];
}

void Vehicle::SetClass(int32_t newClassIndex, int32_t code, int32_t newRating, float px, float py, float newFacing) {
  classIndex = newClassIndex;
  const VehicleData record = TrueClass();
  mainGunClearance = 0;
  turningOnTheMove = 0;
  passengers = {nullptr, nullptr};
  gunCrewStunTimer = 0.0f;
  driverStunTimer = 0.0f;
  sizeFactor = (record.Size() + 0.8f) * (RandomFloat() + 2.0f) * 0.5f;
  turretRate = 0.0f;
  burning = 0;
  emplaced = 0;
  bogged = 0;
  gunDestroyed = 0;
  closeDefenceCounter = 0;
  turretOffset = record.TraverseLimit(0) < 0 ? 180.0f : 0.0f;
  if ((record.Flags() & 0x2000) == 0) {
    static constexpr std::array<int32_t, 6> kGroupCodes{9, 2, 5, 13, 16, 18};
    const int32_t group = KindGroup(code);
    if (group < 0 || group > 5) FatalError(81, "Vehicle");
    code = kGroupCodes[static_cast<size_t>(group)];
  }
  Setup(px, py, newFacing, code, newRating);
  buttoned = IsEmplacement() ? 1 : 0;
  if (IsEmplacement()) immobilized = 1;
  ChooseApparentClass();
  for (int32_t i = kMachineGuns - 1; i >= 0; --i) machineGunRefireTimers[static_cast<size_t>(i)] = RandomFloatTimes(1.0f);
  AdjustBoundingBox();
  if (HasTurret() && record.TurretByte() == 0) FatalError(112, "Vehicle");
}

void Vehicle::AdjustBoundingBox() {
  const int32_t model = TrueClass().ModelIndex();
  if (model == 6 || model == 46) GBoundingBox::Set(0.0f, 0.0f, 0.0f, 0.25f, 0.5f, 0.1f);
}

namespace {

// One listed true category: the draw's bound and its outcomes, each taken while the draw is
// below its limit (the last without limit). A date-dependent outcome is given as -1.
struct Mistaking {
  int8_t category;
  int8_t bound;
  std::array<std::array<int8_t, 2>, 4> steps;  // {limit, outcome}; limit 0 ends the list
};

constexpr std::array<Mistaking, 22> kMistakings{{
    {0, 13, {{{7, 0}, {8, 1}, {12, 2}, {0, 5}}}},
    {1, 12, {{{1, 0}, {3, 2}, {0, 1}}}},
    {2, 5, {{{1, 1}, {0, 2}}}},
    {3, 7, {{{1, 0}, {6, 3}, {0, 4}}}},
    {4, 6, {{{1, 3}, {0, 4}}}},
    {5, 7, {{{1, 0}, {6, 5}, {0, 7}}}},
    {6, 6, {{{1, 5}, {0, 6}}}},
    {7, 6, {{{1, 5}, {0, 7}}}},
    {8, 9, {{{3, 4}, {4, 5}, {0, 8}}}},
    {11, 8, {{{6, 11}, {7, 13}, {0, -1}}}},
    {12, 8, {{{1, 11}, {5, 12}, {0, 13}}}},
    {13, 8, {{{3, 11}, {0, 13}}}},
    {15, 12, {{{1, 11}, {10, 15}, {11, -1}, {0, 18}}}},
    {16, 11, {{{3, 11}, {4, 13}, {5, 15}, {0, 16}}}},
    {18, 6, {{{1, 15}, {0, 18}}}},
    {23, 12, {{{1, 24}, {2, 31}, {3, 34}, {0, 23}}}},
    {24, 24, {{{3, 25}, {4, 26}, {6, 29}, {0, 24}}}},
    {25, 10, {{{1, 24}, {2, 29}, {0, 25}}}},
    {26, 20, {{{2, 24}, {3, 28}, {4, 27}, {0, 26}}}},
    {27, 12, {{{1, 24}, {4, 26}, {0, 27}}}},
    {28, 20, {{{1, 24}, {3, 26}, {0, 28}}}},
    {29, 20, {{{3, 25}, {5, 24}, {0, 29}}}},
}};
// 34 is listed apart to keep the table's rows one shape.
constexpr Mistaking kMistaking34{34, 6, {{{1, 23}, {0, 34}}}};

const Mistaking* FindMistaking(int32_t category) {
  for (const Mistaking& m : kMistakings) {
    if (m.category == category) return &m;
  }
  return category == 34 ? &kMistaking34 : nullptr;
}

int32_t BattleDate() { return UnitGameDate(); }

}  // namespace

int32_t Vehicle::CategoryDrawBound(int32_t trueCategory) {
  const Mistaking* m = FindMistaking(trueCategory);
  return m != nullptr ? m->bound : 0;
}

int32_t Vehicle::ApparentCategoryFor(int32_t trueCategory, int32_t draw, int32_t date) {
  const Mistaking* m = FindMistaking(trueCategory);
  if (m == nullptr) return trueCategory;
  for (const auto& step : m->steps) {
    if (step[0] == 0 || draw < step[0]) {
      if (step[1] >= 0) return step[1];
      // The late outcomes of categories 11 and 15 by the date.
      if (trueCategory == 11) return date < 4412 ? 13 : 16;
      return date < 4412 ? 15 : 16;
    }
  }
  return trueCategory;
}

int32_t Vehicle::ApparentClassFor(int32_t category, int32_t date) {
  static constexpr std::array<int16_t, 40> kClasses{145, 170, 165, 155, 179, 134, 192, 184, 140, 203,
                                                    201, 10,  10,  30,  23,  21,  21,  0,   24,  29,
                                                    45,  43,  46,  63,  73,  74,  81,  81,  87,  90,
                                                    93,  77,  95,  97,  102, 109, 115, 114, 116, 207};
  if (category < 0 || category > 39) FatalError(415, "Vehicle");
  switch (category) {
    case 12: return date < 4502 ? 10 : 35;
    case 13: return date < 4413 ? 30 : 38;
    case 16: return date < 4412 ? 21 : 34;
    case 27: return date < 4503 ? 81 : 84;
    case 29: return date < 4413 ? 90 : 92;
    default: return kClasses[static_cast<size_t>(category)];
  }
}

int32_t Vehicle::BroadClassOf(int32_t c) {
  if ((c >= 0 && c <= 4) || (c >= 11 && c <= 14) || (c >= 24 && c <= 31)) return VehicleData::kBroadTank;
  if ((c >= 5 && c <= 8) || (c >= 15 && c <= 19) || c == 22 || c == 23 || (c >= 32 && c <= 35) || c == 38) {
    return VehicleData::kBroadLightArmour;
  }
  if (c == 9 || c == 10 || c == 20 || c == 21 || c == 36 || c == 37) return VehicleData::kBroadTruck;
  if (c == 39) return VehicleData::kBroadFortification;
  GString63 line;
  line.Assign("Problem vehicle class ");
  line.AppendChar(' ');
  line.AppendNumber(c);
  GKernel::LogError(line.CStr());
  return VehicleData::kBroadTank;
}

void Vehicle::ChooseApparentClass() {
  const int32_t trueCategory = TrueClass().Category();
  const int32_t bound = CategoryDrawBound(trueCategory);
  const int32_t date = BattleDate();
  const int32_t draw = bound > 0 ? Random(bound) : 0;
  apparentCategory = ApparentCategoryFor(trueCategory, draw, date);
  apparentClass = ApparentClassFor(apparentCategory, date);
  broadClass = GetBroadClass(true);
}

int32_t Vehicle::GetCategory() const {
  if (IsCurrentSide() || identificationLevel == 4) return TrueClass().Category();
  return apparentCategory;
}

int32_t Vehicle::GetBroadClass(bool apparent) const { return BroadClassOf(apparent ? apparentCategory : GetCategory()); }

void Vehicle::GetDisplayName(GString& text, bool longForm) const {
  const int32_t level = GetIdentificationLevel(true);
  if (level >= 4) {
    const VehicleData record = TrueClass();
    const std::string_view name = longForm ? record.Name() : record.ShortName();
    for (char c : name) text.AppendChar(c);
    return;
  }
  if (level == 3) {
    int32_t c = GetCategory();
    switch (c) {
      case 14: case 30: c = 4; break;
      case 17: case 32: c = 6; break;
      case 18: case 34: c = 7; break;
      case 19: case 33: c = 8; break;
      case 20: case 36: c = 9; break;
      case 21: case 37: c = 10; break;
      case 23: c = 5; break;
      case 29: c = 13; break;
      case 38: c = 22; break;
      default: break;
    }
    if (c == 39) {
      for (char ch : TrueClass().ShortName()) text.AppendChar(ch);
    } else {
      text.AppendResource(static_cast<uint32_t>(5700 + c));
    }
    return;
  }
  switch (GetBroadClass(false)) {
    case VehicleData::kBroadFortification: text.AppendResource(5803); break;
    case VehicleData::kBroadTruck: text.AppendResource(5800); break;
    case VehicleData::kBroadLightArmour: text.AppendResource(5801); break;
    case VehicleData::kBroadTank: text.AppendResource(5802); break;
    default: FatalError(600, "Vehicle");
  }
}

void Vehicle::AssignDesignation() {
  const size_t sideIndex = IsAxis() ? 0 : 1;
  const int32_t number = gDesignationNumbers[sideIndex];
  ++gDesignationNumbers[sideIndex];
  SetDesignation('V', number);
}

int32_t Vehicle::GetPortraitIndex() const {
  static constexpr std::array<int32_t, 6> kStyles{2, 10, 15, 25, 15, 22};
  const int32_t group = GetKindGroup();
  if (group < 0 || group > 5) FatalError(2068, "Vehicle");
  return kStyles[static_cast<size_t>(group)];
}

namespace {

Unit* MakeVehicle(int32_t classIndex, int32_t code, int32_t flag) {
  (void)flag;
  auto* vehicle = new Vehicle();
  vehicle->SetClass(classIndex, code, 2, 0.0f, 0.0f, 0.0f);
  return vehicle;
}

}  // namespace

void Vehicle::Register() {
  RegisterUnitMaker(Unit::kVehicle, MakeVehicle);
  RegisterBlankUnitMaker(Unit::kVehicle, []() -> Unit* { return new Vehicle(); });
}
