// A weapon's value in a purchase cost and the thickest armour it defeats, measured against a
// plate of the armour-test class with the same effective-armour rule that decides hits.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "framework/core/Quorl.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

// The first non-zero muzzle velocity of the kinds in order, 0 when all are 0.
float FirstVelocity(const WeaponData& w, std::initializer_list<int32_t> kinds) {
  for (int32_t kind : kinds) {
    if (w.Velocity(kind) != 0.0f) return w.Velocity(kind);
  }
  return 0.0f;
}

}  // namespace

float MaxPenetratedArmour(bool variant, float range, float slope, int32_t calibre, int32_t kind, int32_t weapon,
                          bool vary) {
  const VehicleData source = gVehicleClasses[VehicleData::kComputationClass];
  // The test plate is the front upper hull of a private copy of the class record: the tables
  // stay untouched and no vehicle (nor any random draw) is made.
  std::array<uint8_t, VehicleData::kSize> copy{};
  std::memcpy(copy.data(), source.Bytes(), copy.size());
  constexpr int32_t kPart = 1;
  constexpr int32_t kFacing = 0;
  const int32_t plate = ArmourLayout::PlateOffset(kPart, kFacing);
  const auto slopeValue = static_cast<int16_t>(slope);
  std::memcpy(copy.data() + plate + 2, &slopeValue, 2);

  ArmourTarget target;
  target.record = VehicleData(copy.data());
  target.trueRecord = target.record;
  target.trueClassIndex = VehicleData::kComputationClass;
  // The armour-test vehicle is made Axis with the variant, Allied without it.
  target.allied = !variant;
  target.emplacement = source.KindCode() == VehicleData::kKindEmplacement;
  target.hasTurret = source.TurretSpeedClass() != 5;
  target.date = UnitGameDate();

  ArmourRequest request;
  request.x = range;
  request.part = kPart;
  request.facing = kFacing;
  request.calibre = static_cast<float>(calibre);
  request.fireKind = gWeapons[weapon].Type();
  request.ammoKind = kind;
  request.expectedValues = true;

  auto defeats = [&](int32_t thickness) {
    const auto t = static_cast<int16_t>(thickness);
    std::memcpy(copy.data() + plate, &t, 2);
    ArmourOutcome outcome;
    const float armour = EffectiveArmour(target, request, &outcome);
    bool shattered = false;
    const float pen = WeaponPenetration(vary, range, weapon, kind, outcome.faceHardened, outcome.hardness,
                                        outcome.ratio, &shattered);
    return pen >= armour;
  };
  // The penetration's shatter test draws even without variation: a price query must leave the
  // battle's generator as it found it.
  const uint32_t state = RandomState();
  const float best = AITargeting::SearchDefeatedThickness(defeats);
  SeedRandom(state);
  return best;
}

float WeaponCostValue(int32_t weapon, float r, float a, int32_t row, int32_t date, bool flag, int32_t mode) {
  const WeaponData w = gWeapons[weapon];
  const int32_t type = w.Type();
  float v = 0.0f;
  if (type == 6) {
    v = 0.3f;
  } else if (type == 7) {
    v = 0.15f;
  } else if (type == 5) {
    v = a * static_cast<float>(WeaponHEValue(weapon, false)) * 0.000310078f;
    const int16_t first = w.CostClass(0);
    if (first == 0) {
      v *= 0.75f;
    } else if (first != 2) {
      v *= 0.875f;
    }
    const int16_t second = w.CostClass(1);
    if (second == 3) v *= 0.6f;
    if (second == 1) v *= 1.3f;
  } else {
    if (row < 0 || row >= WeaponData::kMixRows) FatalError(__LINE__, "Unit.cpp");
    const float p = std::pow(r, 0.75f);
    const bool special = type == 1 || (w.Flags() & 0x40) != 0;
    const float t = a * 3.34f / p;
    const float q = t < 100.0f ? -6.9951e-5f * t * t + 0.01545f * t + 0.15419f : 1.0f;

    float h = 0.0f;
    if (!((w.Flags() & 0x2) != 0 && date <= 4408)) {
      float he = static_cast<float>(WeaponHEValue(weapon, false));
      if (he < 50.0f) he = he * 0.92f + 4.0f;
      h = he * p * 0.00389105f * q;
      if (type == 4) {
        h *= 0.85f;
      } else if (!special) {
        const float m = FirstVelocity(w, {0, 3, 1});
        if (m != 0.0f) h *= std::pow(m, 0.2f) * 0.265f;
      }
    }

    float armourTerm = 0.15f;
    if (type != 4) {
      const int32_t calibre = static_cast<int32_t>(w.Calibre());
      auto defeated = [&](int32_t kind) { return MaxPenetratedArmour(!flag, 1000.0f, 35.0f, calibre, kind, weapon); };
      const int32_t percent = w.MixPercent(row, 0);
      float d = 0.0f;
      if (percent == 0) {
        d = defeated(0);
      } else if (w.ShotType() == WeaponData::kShotHollowCharge) {
        if (w.Mass(0) == 0.0f || special) {
          d = defeated(3);
        } else {
          const float s = std::min(static_cast<float>(percent) * 0.03f, 1.0f);
          d = s * defeated(3) + (1.0f - s) * defeated(0);
        }
      } else {
        d = defeated(1);
        static constexpr float kMix[5] = {0.0f, 0.03f, 0.07f, 0.19f, 0.3f};
        const int32_t count = AdjustCountForDate(w.MixCount(row), flag, mode, date);
        if (count >= 1 && count <= 4) {
          const float s = kMix[count];
          d = (1.0f - s) * d + s * defeated(2);
        }
      }
      armourTerm = std::pow(d, 1.1f) * 0.00606061f * std::pow(r, 0.25f) * 0.647f;
      if (!special) {
        const float m = FirstVelocity(w, {1, 3, 0, 2});
        if (m != 0.0f) armourTerm *= std::sqrt(m) * 0.036f;
      }
      armourTerm *= std::sqrt(q);
    }
    const float big = std::max(h, armourTerm);
    const float small = std::min(h, armourTerm);
    v = type == 1 ? 0.5f * big + 0.5f * small : 0.7f * big + 0.3f * small;
    const float range = w.MaxRange();
    if (range < 1500.0f) v *= std::sqrt(std::max(range, 0.0f)) * 0.02066f + 0.2f;
  }
  return v * 110.0f;
}
