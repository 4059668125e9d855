// Where a round falls around its aim point: the spread of ground fire (sideways and in range,
// short or long, with a moving target's lead error) and of fire at or from an airplane. The
// expected-value mode serves the estimates of target choice and draws nothing.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/AirplaneServices.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr std::array<float, 5> kRangingSpread = {6.5f, 4.0f, 2.5f, 1.6f, 1.0f};

// (-ln(1 - u))^(5/3), the spread's tail of a draw u in [0, 1).
float Tail(float u) { return std::pow(-std::log(1.0f - u), 1.6666667f); }

// The draws of one scatter: from the generator, or in the expected-value mode the middle of
// each range and a + sign, leaving the generator untouched.
class ScatterDraws {
 public:
  explicit ScatterDraws(bool expected) : expected_(expected) {}
  float Float(float range) const { return expected_ ? 0.5f * range : RandomFloatTimes(range); }
  float Sign() const { return expected_ || Random(2) != 0 ? 1.0f : -1.0f; }
  bool Chance() const { return !expected_ && Random(2) == 0; }

 private:
  bool expected_;
};

}  // namespace

void Unit::ShotScatter(bool expected, bool noShort, const Unit* aimedAt, float aimX, float aimY, int32_t flightTime,
                       int32_t fireType, bool doubling, int32_t kindUsed, float& dx, float& dy) const {
  const ScatterDraws draw(expected);
  const float n = static_cast<float>(flightTime);
  const float q = 0.025f * n;
  const float d = std::hypot(aimX - x, aimY - y);
  const AirplaneServices* airplane = IsAirplane() ? const_cast<Unit*>(this)->AsAirplane() : nullptr;
  if (IsAirplane() || (aimedAt != nullptr && aimedAt->IsAirplane())) {
    float sigma = 0.03675f;
    float reach = d;
    if (IsAirplane()) {
      reach = 800.0f;
      if (fireType == 1) {
        sigma *= 4.0f;
      } else if (fireType == 2) {
        sigma *= 10.0f;
      } else if (fireType == 3) {
        reach = 100.0f;
      } else {
        FatalError(__LINE__, "Unit.cpp");
      }
      if (airplane != nullptr) reach *= airplane->DamageFactor();
    } else {
      if (fireType != 2 && fireType != 3) FatalError(__LINE__, "Unit.cpp");
      if (q > 0.5f) {
        const float f = AmmoKindFactor(kindUsed);
        const float m = std::min(q, 5.0f);
        sigma /= std::exp(-std::pow((m - 0.5f) / f, 1.2f));
      }
    }
    sigma *= RatingTimeFactor();
    float u = 0.3f;
    if (!expected) u = IsAirplane() ? RandomFloatTimes(0.4f) + 0.1f : RandomFloatTimes(0.6f);
    sigma = sigma * Tail(u) * 5.58659217877095f;
    const float r = std::tan(sigma * GMath::kRadiansPerDegree) * reach;
    const float angle = expected ? 35.0f : RandomFloatTimes(360.0f);
    const bool near = angle <= 180.0f;
    const float k = near || IsAirplane() ? 14.0f : 4.0f;
    const float a = angle * GMath::kRadiansPerDegree;
    const float side = k * r * std::sin(a);
    const float along = r * std::cos(a);
    const float length = std::sqrt(side * side + along * along);
    float b = 0.0f;
    if (length > 0.0f) {
      const float s = std::clamp(side / length, -1.0f, 1.0f);
      b = a <= 1.57079632675f || a >= 4.71238898025f ? std::asin(s) : 3.1415926535f - std::asin(s);
    }
    float spread = length;
    if (!near && length > 0.5f * reach) spread = 0.5f * reach;
    const float theta = HeadingDegrees(aimX - x, aimY - y) * 0.017453292519444445f - 1.57079632675f + b;
    dx = spread * std::cos(theta);
    dy = spread * std::sin(theta);
    return;
  }

  const MapBattleServices* battle = UnitBattle();
  float sigma = 0.021f;
  if (battle != nullptr && battle->GetTimeOfDay() == 2) sigma *= 2.0f;
  if (fireType == 2 || fireType == 3) {
    const float k = (1.0f + std::min(q, 3.0f)) / AmmoKindFactor(kindUsed);
    if (k > 1.0f) sigma *= k;
  } else if (fireType == 6 && q > 1.0f) {
    sigma *= q;
  }
  if (fireType == 4) {
    sigma *= aimedAt != nullptr && aimedAt->IsVehicle() ? 10.0f : 8.0f;
  } else if (fireType == 1) {
    sigma *= 3.0f;
  } else if (fireType == 8) {
    sigma *= 24.0f;
  } else if (doubling) {
    sigma *= 2.0f;
  }
  if (fireType != 6 && (speed != 0.0f || firingBytes[kLaidWhileMoving] != 0)) {
    sigma *= 0.2857143f * 40.0f * std::fabs(speed) + 1.3f;
  }
  if (fireType != 6 && fireType != 8) {
    int32_t level = 0;
    if (aimedAt == nullptr || aimedAt == target) {
      level = RangingLevel(aimedAt, fireType);
    } else {
      level = aimedAt->IsPresent() ? 0 : 2;
    }
    if (level < 0 || level > 4) FatalError(__LINE__, "Unit.cpp");
    const float t = kRangingSpread[static_cast<size_t>(level)];
    sigma *= fireType == 4 ? 0.5f * t + 0.5f : t;
  }
  if (aimedAt != nullptr) {
    const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
    float visible = 1.0f;
    if (map != nullptr) {
      float traced = 0.0f;
      map->TraceLine(false, false, false, x, y, GetBaseHeight(), aimX, aimY, map->ElevationAt(aimX, aimY), visible,
                     traced);
    }
    sigma /= std::max(visible, 0.3f);
  }
  sigma *= RatingTimeFactor();
  const float u1 = expected ? 0.2f : RandomFloatTimes(0.4f);
  const float u2 = expected ? 0.25f : RandomFloatTimes(0.5f);
  if (fireType == 6) {
    const auto axis = [&](float u) {
      float e = u * u * sigma * 1000.0f;
      if (e > 0.5f * d) e = (0.9f + draw.Float(0.2f)) * 0.5f * d;
      return e * draw.Sign();
    };
    dx = axis(u1);
    dy = axis(u2);
  } else {
    const float a = std::min(1.5f, Tail(u1) * sigma * 5.5866f);
    float e = std::max(0.0f, std::tan(sigma * GMath::kRadiansPerDegree) * d * Tail(u2) * 5.5866f);
    if (!expected && !noShort && draw.Chance()) {
      // Short: never nearer than 0.2 to 0.3 of the distance in front of the aim point.
      e = std::max(-6.0f * e, -(0.2f + draw.Float(0.1f)) * d);
    } else {
      const float longest = std::max(0.33f * d, 185.0f) + (expected ? 15.0f : draw.Float(30.0f));
      e = std::min(8.0f * e, longest);
    }
    const float bearing = (HeadingDegrees(aimX - x, aimY - y) + a * draw.Sign()) * GMath::kRadiansPerDegree;
    dx = x + (d + e) * std::cos(bearing) - aimX;
    dy = y + (d + e) * std::sin(bearing) - aimY;
  }
  if (expected) {
    dx = std::fabs(dx);
    dy = std::fabs(dy);
  }
  if (aimedAt != nullptr && aimedAt->speed != 0.0f && fireType != 6) {
    float m = n * std::fabs(aimedAt->speed);
    if (fireType != 3) m *= 2.0f;
    if (fireType == 4) m *= 2.5f;
    m = std::min(m, 0.4f * d);
    if (expected) {
      dx += 0.5f * m;
      dy += 0.5f * m;
    } else {
      dx += RandomFloatTimes(2.0f * m) - m;
      dy += RandomFloatTimes(2.0f * m) - m;
    }
  }
}
