// The air-support aircraft: construction, stored form, damage and the simple unit operations;
// the makers of kind 3.
#include "game/units/airplane/Airplane.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GMath.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "framework/media/GBoundingBox.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/records/RefuseRecord.h"
#include "game/units/records/UnitIds.h"
#include "game/units/tables/UnitCodes.h"

uint8_t Airplane::gRedraw = 0;

namespace {

constexpr uint32_t kFighterBomber = 400;
constexpr int32_t kReservedBytes = 8;
constexpr int32_t kShotDown = 1200;
constexpr int32_t kCrippled = 400;

Unit* MakeAirplane(int32_t nationalityGroup, int32_t rating, int32_t flag) {
  (void)flag;
  auto* airplane = new Airplane();
  airplane->Initialize(nationalityGroup, rating);
  return airplane;
}

}  // namespace

Airplane::Airplane() {
  kind = kAirplane;
  GBoundingBox::Set(0.0f, 0.0f, 0.0f, 20.0f, 20.0f, 5.0f);
}

void Airplane::Register() {
  RegisterUnitMaker(kAirplane, MakeAirplane);
  RegisterBlankUnitMaker(kAirplane, []() -> Unit* { return new Airplane(); });
}

void Airplane::Initialize(int32_t nationalityGroup, int32_t newRating) {
  Setup(-500.0f, -500.0f, 0.0f, KindGroupFirstCode(nationalityGroup), newRating);
  ordnance = 2;
  sortieLimit = static_cast<int8_t>(2 + Random(5) + (nationalityGroup == 1 ? 1 : 0));
}

float Airplane::DamageFactor() const {
  return 1.0f + static_cast<float>(14 - 2 * GetRating()) * static_cast<float>(damage - damageAtTurnStart) / 1200.0f;
}

// ---- Stored form ----

void Airplane::Write(GFile& file) const {
  Unit::Write(file);
  file.WriteU32(0);
  file.WriteU32(0);
  file.WriteByte(static_cast<uint8_t>(state));
  file.WriteByte(static_cast<uint8_t>(sortiesFlown));
  file.WriteByte(static_cast<uint8_t>(sortieLimit));
  file.WriteByte(static_cast<uint8_t>(ordnance));
  file.WriteByte(static_cast<uint8_t>(attackKind));
  file.WriteU32(static_cast<uint32_t>(damage));
}

void Airplane::Read(GFile& file) {
  Unit::Read(file);
  if (file.HasError()) return;
  file.Skip(kReservedBytes);
  const int32_t newState = file.ReadByte();
  const int32_t flown = file.ReadByte();
  const int32_t limit = file.ReadByte();
  const int32_t loads = file.ReadByte();
  const int32_t newKind = file.ReadByte();
  const auto newDamage = static_cast<int32_t>(file.ReadU32());
  if (file.HasError()) return;
  if (newState < kWaiting || newState > kGone) return RefuseRecord(file, "Airplane", "state", newState);
  if (newKind < kBombs || newKind > kNotChosen) return RefuseRecord(file, "Airplane", "attack kind", newKind);
  if (limit < 2 || limit > 7) return RefuseRecord(file, "Airplane", "sortie limit", limit);
  if (flown < -1 || flown > limit) return RefuseRecord(file, "Airplane", "sorties flown", flown);
  if (loads < 0 || loads > 2) return RefuseRecord(file, "Airplane", "ordnance", loads);
  if (newDamage < 0) return RefuseRecord(file, "Airplane", "damage", newDamage);
  state = newState;
  sortiesFlown = static_cast<int8_t>(flown);
  sortieLimit = static_cast<int8_t>(limit);
  ordnance = static_cast<int8_t>(loads);
  attackKind = newKind;
  damage = newDamage;
}

// ---- Damage ----

void Airplane::TakeDamage(Unit* firer, int32_t, int32_t, float, float, float) {
  // A hit is worth the firepower the shooter brings to bear at this range.
  const float amount = firer != nullptr ? firer->FirepowerAt(firer->DistanceTo(*this), 0) : 0.0f;
  const bool wasAlive = alive != 0;
  TakeHit(amount);
  if (wasAlive && alive == 0 && firer != nullptr && firer->killRecord.aircraftShotDown < 255) {
    ++firer->killRecord.aircraftShotDown;
  }
}

void Airplane::TakeHit(float amount) {
  const int32_t r = Random(100);
  if (r == 0) {
    amount *= 300.0f;
  } else if (r <= 2) {
    amount *= 60.0f;
  } else if (r <= 6) {
    amount *= 18.0f + RandomFloatTimes(15.0f);
  } else if (r <= 14) {
    amount *= 10.0f;
  } else if (r <= 24) {
    amount *= 4.0f;
  }
  const double total = std::clamp(static_cast<double>(damage) + static_cast<double>(amount), 0.0, 2147483647.0);
  damage = std::isnan(total) ? damage : TruncateToInt32(total);
  if (damage < kShotDown) {
    if (damage >= kCrippled) {
      facing += RandomFloatTimes(90.0f) - 45.0f;
      state = kDamaged;
      gRedraw = 1;
    }
  } else if (alive != 0) {
    gExplosionHeight = -200.0f;
    NewExplosionPacket(0, 104, 6, x, y);
    gExplosionHeight = std::numeric_limits<float>::quiet_NaN();
    Eliminate();
    x = kParkedX;
    state = kGone;
  }
  char line[64];
  std::snprintf(line, sizeof line, ">>> Airplane Damage =  %d", damage);
  GErrorLog::LogError(line);
}

// ---- Simple operations ----

void Airplane::GetDisplayName(GString& text) const { text.AppendResource(kFighterBomber); }

float Airplane::GetPurchaseCost() const { return AdjustCostForRating(IsAxis() ? 300.0f : 225.0f); }

float Airplane::FirepowerAt(float, int32_t mode) {
  if (attackKind != kMachineGuns) FatalError(543, kAirplaneFile);
  return mode != 0 ? ScaleByRating(200.0f, true) : 200.0f;
}

float Airplane::GetBaseHeight() const {
  float h = 200.0f;
  if (state == kAttacking) {
    float t = static_cast<float>(sliceCounter - arrivalSlice) / static_cast<float>(kDiveSlices);
    if (t > 1.0f) t = 1.0f - t;
    if (t > 0.0f) h = 200.0f - 170.0f * t;
  }
  return Unit::GetBaseHeight() + h;
}

void Airplane::MoveAlongWaypoints() {
  const float a = facing * GMath::kRadiansPerDegree;
  x += std::cos(a) * speed;
  y += std::sin(a) * speed;
}

void Airplane::WriteStateExtras(UnitStatePacket& packet) const { packet.airplaneState = static_cast<int8_t>(state); }

void Airplane::ReadStateExtras(const UnitStatePacket& packet) { state = packet.airplaneState; }
