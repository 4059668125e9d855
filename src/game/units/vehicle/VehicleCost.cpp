// A vehicle's purchase cost in points: what it carries, its gun and machine guns, its armour
// measured with the effective-armour rule that decides hits, its mobility and features, and
// the crew's rating.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/SmallArmsData.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/tables/VehicleModelData.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

constexpr int32_t kFirstCostedHeavyGun = 29;
constexpr int32_t kFirstGroupOneGun = 25;

// The value a fresh crew's cost rests on, kept per class, nationality code, rating and date
// with the class and weapon records it was worked from (a changed table is worked out anew).
struct FreshKey {
  int32_t classIndex;
  int32_t code;
  int32_t rating;
  int32_t date;
  bool operator<(const FreshKey& o) const {
    return std::tie(classIndex, code, rating, date) < std::tie(o.classIndex, o.code, o.rating, o.date);
  }
};
struct FreshValue {
  std::array<uint8_t, VehicleData::kSize> record{};
  std::array<uint8_t, WeaponData::kSize> weapon{};
  float value = 0.0f;
};
std::map<FreshKey, FreshValue>& FreshMemo() {
  static std::map<FreshKey, FreshValue> memo;
  return memo;
}

}  // namespace

float Vehicle::ArmourCostFactorFor(float a) {
  if (a > 225.0f) FatalError(2298, "Vehicle");
  if (a <= 55.0f) return 0.00262f * a + 1.15f;
  return 2.2501e-07f * a * a * a - 0.00012915f * a * a + 0.029059f * a + 0.041014f;
}

float Vehicle::ArmourSum() {
  const VehicleData record = TrueClass();
  // Turret ahead and a level hull for the measurement.
  const float keptTurret = turretOffset;
  const float keptPitch = hullPitch;
  const float keptRoll = hullRoll;
  turretOffset = 0.0f;
  hullPitch = 0.0f;
  hullRoll = 0.0f;
  // From 1 m straight ahead, abeam or astern.
  auto armour = [&](int32_t part, int32_t side) {
    const double heading = (facing + 90.0 * side) * 0.017453292519943295;
    ArmourRequest request;
    request.x = x + static_cast<float>(std::cos(heading));
    request.y = y + static_cast<float>(std::sin(heading));
    request.part = part;
    request.facing = side;
    request.calibre = 75.0f;
    request.fireKind = 2;
    request.ammoKind = 1;
    request.expectedValues = true;
    return ComputePenetration(request);
  };
  const bool turretArmour = record.U8(ArmourLayout::kTurretArmourPresent) != 0;
  const float turretFront = (record.Flags() & 0x4000) != 0 ? 1.17f : 1.0f;
  float a = 0.0f;
  a += 3.6f * armour(2, 0) + 8.1f * armour(1, 0);
  a += 2.4f * armour(2, 1) + 5.4f * armour(1, 1);
  a += 0.6f * armour(2, 2) + 1.35f * armour(1, 2);
  if (turretArmour) a += 6.3f * armour(0, 0) * turretFront + 4.2f * armour(0, 1) + 1.05f * armour(0, 2);
  a += 0.4f * armour(3, 0) + 0.6f * armour(4, 0);
  turretOffset = keptTurret;
  hullPitch = keptPitch;
  hullRoll = keptRoll;

  const int32_t openTop = GetOpenTopState(0);
  if (openTop == 1) a *= 0.95f;
  if (openTop == 2) a *= 0.9f;
  if ((record.Flags() & 0x2) != 0) a *= 0.97f;
  if ((record.Flags() & 0x1) != 0) a *= 0.97f;
  if (!turretArmour) a /= 0.65f;
  return a / 34.0f;
}

float Vehicle::MachineGunValue() const {
  const VehicleData r = TrueClass();
  struct Gun {
    int32_t index;
    int32_t count;
    int32_t which;  // 0 bow, 1 coaxial, 2 flexible
  };
  const Gun guns[3] = {{r.BowMachineGun(), 1, 0},
                       {r.CoaxialMachineGun(), static_cast<int8_t>(r.CoaxialCount()), 1},
                       {r.ThirdMachineGun(), static_cast<int8_t>(r.ThirdCount()), 2}};
  auto present = [](int32_t index) { return index != kNoSmallArms && gSmallArms.IsValid(index); };
  int32_t groupCounts[2] = {0, 0};
  for (const Gun& g : guns) {
    if (!present(g.index) || g.index >= kFirstCostedHeavyGun) continue;
    groupCounts[g.index >= kFirstGroupOneGun ? 1 : 0] += g.which == 0 ? 1 : g.count;
  }
  const bool remote = r.ThirdIsRemote() != 0;
  const int32_t model = r.ModelIndex();
  const bool exposed = gVehicleModels.IsValid(model) && gVehicleModels[model].Value3() != 0;
  float rifle = 0.0f;
  float heavy = 0.0f;
  for (const Gun& g : guns) {
    if (!present(g.index)) continue;
    const float count = static_cast<float>(g.count);
    if (g.index < kFirstCostedHeavyGun) {
      float f = SmallArmsFirepowerAt(gSmallArms[g.index], 150.0f, 0);
      if (g.which == 0) f *= 0.16f;
      if (g.which == 1) f *= 0.2f * count;
      if (g.which == 2) f *= 0.2f * count * (exposed && !remote ? 0.3f : 1.0f);
      const int32_t group = g.index >= kFirstGroupOneGun ? 1 : 0;
      const int32_t sharing = groupCounts[group];
      if (sharing < 1) FatalError(2154 + 10 * g.which, "Vehicle");
      const int32_t rounds = r.Extra(group) / sharing;
      const float left = 1.0f - 0.005f * static_cast<float>(rounds);
      f *= 1.0f - left * left * left;
      rifle += f;
    } else {
      float f = SmallArmsFirepowerAt(gSmallArms[g.index], 1.0f, 0);
      if (g.which == 0) f *= 0.112f;
      if (g.which == 1) f *= 0.14f * count;
      if (g.which == 2) f *= 0.14f * count * (remote ? 1.0f : 0.25f);
      heavy += f;
    }
  }
  if (heavy != 0.0f) {
    const int32_t m = r.Extra(2);
    if (m < 80) heavy *= 0.0125f * static_cast<float>(m);
  }
  return rifle + heavy;
}

float Vehicle::BaseCost(float rateOfFire) {
  const VehicleData r = TrueClass();
  float k = static_cast<float>(r.TransportClass()) +
            static_cast<float>(r.PassengerPlaces()) * (r.RidersProtected() != 0 ? 5.0f : 2.0f) + 5.0f;
  const bool gun = HasMainWeapon();
  if (gun) k += WeaponCostValue(r.MainWeapon(), rateOfFire, static_cast<float>(r.AmmoLoad()), GetAmmoMixRow(),
                                UnitGameDate());
  k += MachineGunValue();
  const uint16_t flags = r.Flags();
  if ((flags & 0x4) != 0) {
    k *= 1.02f;
  } else if ((flags & 0x8) != 0) {
    k *= 1.035f;
  }
  if ((flags & 0x20) != 0) k *= 0.9f;
  if ((flags & 0x800) != 0) k *= 0.9f;
  if ((flags & 0x100) != 0) k *= 1.03f;
  if (gun) {
    if (!HasTurret()) {
      const int32_t t = std::min(std::abs(r.TraverseLimit(0)) + std::abs(r.TraverseLimit(1)), 45);
      k *= 0.9f + 0.000667f * static_cast<float>(t);
    } else {
      k *= 0.96f + 0.02f * static_cast<float>(r.TurretSpeedClass());
    }
  }
  if (!IsEmplacement()) {
    const float a = ArmourSum();
    if (a == 0.0f) {
      k *= (flags & 0x400) != 0 ? 0.85f : 0.7f;
    } else {
      k = k * ArmourCostFactorFor(a) / std::pow(r.Size(), 0.2f);
    }
    const int32_t smoke = r.I32(ArmourLayout::kSmokeEquipment);
    if (smoke == 3) {
      k *= 1.04f;
    } else if (smoke != 0) {
      k *= 1.03f;
    }
    const float weight = static_cast<float>(std::max<int16_t>(r.Weight(), 1));
    k *= (1.0f + 0.008f * (static_cast<float>(r.EnginePower()) / weight - 11.0f)) *
         (0.96f + 0.0025f * static_cast<float>(r.MaxSpeed()));
    const int32_t kindCode = r.KindCode();
    const float pressure = r.BaseGroundPressure();
    if (kindCode == 4 && pressure != 0.0f) k *= 1.0f + 0.01f * (12.0f - pressure);
    if (kindCode == 1) k *= 0.94f;
    if (kindCode == 0) k *= 0.88f;
  } else {
    k *= gun ? 1.9f : 1.4f;
  }
  return 0.82f * k + 15.0f;
}

float Vehicle::PurchaseCost(bool fresh) const {
  if (IsBoat()) return 10.0f;
  auto* self = const_cast<Vehicle*>(this);
  if (!fresh) return AdjustCostForRating(self->BaseCost(GetRateOfFire()));

  const VehicleData record = TrueClass();
  const int32_t weapon = record.MainWeapon();
  const bool weaponKnown = gWeapons.IsValid(weapon);
  const FreshKey key{classIndex, nationalityCode, rating, UnitGameDate()};
  auto& memo = FreshMemo();
  auto found = memo.find(key);
  const bool same = found != memo.end() &&
                    std::memcmp(found->second.record.data(), record.Bytes(), VehicleData::kSize) == 0 &&
                    (!weaponKnown ||
                     std::memcmp(found->second.weapon.data(), gWeapons[weapon].Bytes(), WeaponData::kSize) == 0);
  if (!same) {
    // A price query must not change the battle: the temporary vehicle's draws are undone.
    const uint32_t state = RandomState();
    float value = 0.0f;
    {
      Vehicle probe;
      probe.SetClass(classIndex, nationalityCode, rating, 0.0f, 0.0f, 0.0f);
      value = probe.BaseCost(probe.GetRateOfFire());
    }
    SeedRandom(state);
    FreshValue entry;
    std::memcpy(entry.record.data(), record.Bytes(), VehicleData::kSize);
    if (weaponKnown) std::memcpy(entry.weapon.data(), gWeapons[weapon].Bytes(), WeaponData::kSize);
    entry.value = value;
    found = memo.insert_or_assign(key, entry).first;
  }
  return AdjustCostForRating(found->second.value);
}

float Vehicle::GetPurchaseCost() const { return PurchaseCost(false); }
