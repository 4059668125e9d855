// Armour facing and effective armour: which face of the vehicle a point sees, the elevation of
// a point over the tilted hull, the thickness a shot effectively meets after slope, quality,
// skirts and hardness, and the hull-down test.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

constexpr double kDegrees = 57.29577951308232;
constexpr double kRadiansPerDegreeD = 0.017453292519943295;

// 0..360 into 0..180.
float FoldHalfTurn(float a) { return a > 180.0f ? 360.0f - a : a; }

float Wrap360(float a) {
  a = std::fmod(a, 360.0f);
  if (a < 0.0f) a += 360.0f;
  return a;
}

// The horizontal angle of impact on a facing from the folded bearing.
float HorizontalAngle(int32_t facing, float bearing) {
  if (facing == 0) return bearing;
  if (facing == 1) return std::fabs(90.0f - bearing);
  return 180.0f - bearing;
}

// The coverage chance and stand-off of the skirts for a plate (only called for a skirted class).
void SkirtCover(int32_t code, int32_t part, int32_t facing, bool expected, float& cover, float& standOff) {
  cover = 0.0f;
  standOff = 0.0f;
  if (part == 0) {
    if (code == 1 || code == 2) {
      cover = 0.9f;
      standOff = expected ? 1.25f : (Random(2) == 0 ? 0.0f : 2.5f);
    }
  } else if (facing == 1 && part == 1) {
    if (code == 1) cover = 1.0f;
    if (code == 4) cover = 0.3f;
    if (code == 6) cover = 0.9f;
  } else if (facing == 1 && part == 2) {
    if (code == 1 || code == 4 || code == 6) cover = 0.67f;
    if (code == 3) cover = 0.85f;
    if (code == 5) cover = 0.33f;
    if (code == 7) cover = 0.4f;
  }
  // The stand-off of the side skirts is drawn for every side hull plate, covered or not.
  if (facing == 1 && (part == 1 || part == 2)) standOff = expected ? 2.0f : 1.5f + RandomFloatTimes(1.0f);
  cover *= 0.75f;
}

}  // namespace

float SlopeMultiplier(float calibre, float angle, float ratio, bool cosineLaw) {
  const double a = angle;
  const double r = ratio;
  double m = 1.0;
  if (cosineLaw) {
    m = 1.0 / std::cos(a * kRadiansPerDegreeD);
  } else if (calibre <= 0.0f || ratio > 2.5f) {
    m = 1.00033024 - 0.00286826761 * a + 0.00195039487 * a * a - 0.00016748968 * a * a * a +
        6.57019485e-06 * std::pow(a, 4.0) - 1.07523485e-07 * std::pow(a, 5.0) + 6.70290105e-10 * std::pow(a, 6.0);
  } else {
    const double g = -0.099048 * r * r + 0.52762 * r + 1.3657;
    const double k = 0.87 * (-0.2781 * r * r + 1.4781 * r + 1.9521);
    if (a <= 30.0) {
      m = 0.99857 + 0.0048333 * a - 8.5714e-05 * a * a + 6.6667e-06 * a * a * a;
    } else if (a <= 45.0) {
      const double t = (a - 30.0) / 15.0;
      m = 1.25 * (1.0 - t) + g * t;
    } else if (a <= 60.0) {
      const double t = (a - 45.0) / 15.0;
      m = g * (1.0 - t) + k * t;
    } else if (a <= 65.0) {
      m = k + 0.55 * ((a - 60.0) * 0.2);
    } else {
      m = k + 0.55 + 0.95 * ((a - 65.0) * 0.2);
    }
  }
  // A cosine past 90 degrees or a curve below 1 never makes a plate weaker than square.
  if (!(m >= 1.0)) m = 1.0;
  return static_cast<float>(m);
}

int32_t PlateHardness(const ArmourTarget& target, int32_t t, bool expectedValues) {
  int32_t base = 220;
  int32_t spread = 0;
  const int32_t index = target.trueClassIndex;
  if (target.emplacement) {
    base = 220;
  } else if (index < 62 || (index == VehicleData::kComputationClass && target.allied)) {
    if (t < 20) {
      base = 320, spread = 71;
    } else if (t < 30) {
      base = 310, spread = 41;
    } else if (t < 43) {
      base = 280, spread = 41;
    } else if (t < 57) {
      base = 260, spread = 31;
    } else if (t < 70) {
      base = 240, spread = 36;
    } else if (t < 128) {
      base = 240, spread = 21;
    }
    if (target.record.I32(ArmourLayout::kQuality) != 0) {
      base = static_cast<int32_t>(std::lround(static_cast<double>(base) * 0.9));
    }
  } else if (index < 132) {
    if (t <= 30) {
      base = 342, spread = 47;
    } else if (t <= 80) {
      base = 262, spread = 60;
    } else if (t <= 120) {
      base = 255, spread = 48;
    } else {
      base = 241, spread = 45;
    }
  } else if (target.date < 4502) {
    spread = 45;
    if (t <= 15) {
      base = 441, spread = 60;
    } else if (t <= 30) {
      base = 309;
    } else if (t <= 50) {
      base = 279;
    } else if (t <= 80) {
      base = 250;
    } else {
      base = 221;
    }
  } else {
    spread = 45;
    base = t <= 45 ? 235 : (t <= 120 ? 221 : 191);
  }
  if (spread > 0) base += expectedValues ? spread / 2 : Random(spread);
  return base;
}

float EffectiveArmour(const ArmourTarget& target, const ArmourRequest& request, ArmourOutcome* outcome) {
  const VehicleData& r = target.record;
  const int32_t part = request.part;
  const int32_t facing = request.facing;
  if (outcome != nullptr) outcome->faceHardened = false;
  float slopeFactor = 1.0f;
  float armour = 0.0f;
  int32_t thickness = 0;
  bool hardnessFromTable = false;
  int32_t hardness = 0;
  float ratio = 0.0f;

  if (part == 3 || part == 4) {
    thickness = r.I16(ArmourLayout::kTop + 2 * (part - 3));
    armour = static_cast<float>(thickness);
  } else {
    if (part < 0 || part > 4) FatalError(4600, "Vehicle");
    if (part == 0 && r.U8(ArmourLayout::kTurretArmourPresent) == 0) FatalError(4601, "Vehicle");
    if (facing < 0 || facing > 2) FatalError(4602, "Vehicle");
    thickness = ArmourLayout::Thickness(r, part, facing);
    armour = static_cast<float>(thickness);
    if (!(part == 0 && facing == 0)) {
      switch (r.I32(ArmourLayout::kQuality)) {
        case 1: armour *= 0.95f; break;
        case 2: armour *= 0.9f; break;
        case 3: armour *= 0.85f; break;
        default: break;
      }
    }
    ratio = request.calibre > 0.0f ? armour / request.calibre : 0.0f;
    if (r.U8(ArmourLayout::kHardnessGiven) != 0) {
      hardnessFromTable = true;
      const int32_t value = ArmourLayout::Hardness(r, part, facing);
      hardness = value < 0 ? -value : value;
      if (value < 0 && outcome != nullptr) outcome->faceHardened = true;
    }
    const float bearing = part == 0 ? target.turretBearing : target.hullBearing;
    const float h = HorizontalAngle(facing, bearing);
    if (request.useSlope) {
      float s = ArmourLayout::Slope(r, part, facing);
      if (request.useElevation) {
        const float v = part == 2 ? -target.elevation : target.elevation;
        s = std::fabs(s - v);
      }
      if (!request.expectedValues && r.U8(ArmourLayout::kVariableFront) != 0 && facing == 0) {
        const bool varies = target.hasTurret ? (part == 0 && Random(100) < 80) : (part == 1 && Random(100) < 25);
        if (varies) {
          static constexpr float kSlopes[11] = {30, 0, 0, 10, 5, 0, 5, 15, 30, 55, 75};
          s = std::max(s, kSlopes[Random(11)]);
        }
      }
      double compound = std::acos(std::cos(h * kRadiansPerDegreeD) * std::cos(s * kRadiansPerDegreeD)) * kDegrees;
      if (!(compound >= 0.0)) compound = 0.0;
      const bool cosineLaw = request.ammoKind == 3 || target.emplacement;
      slopeFactor = SlopeMultiplier(request.calibre, static_cast<float>(compound), ratio, cosineLaw);
      armour *= slopeFactor;
    }
    const int32_t skirts = target.trueRecord.I32(ArmourLayout::kSkirts);
    if (skirts != 0) {
      float cover = 0.0f;
      float standOff = 0.0f;
      SkirtCover(skirts, part, facing, request.expectedValues, cover, standOff);
      const bool struck = cover > 0.0f && (request.expectedValues ? cover >= 0.45f : RandomFloat() < cover);
      if (struck) {
        if (request.ammoKind == 3) {
          const float y = standOff * (1.0f + 0.01f * h);
          float divisor = 0.08f;
          if (y < 1.0f) {
            divisor = 1.0f - 0.32f * y;
          } else if (y < 2.0f) {
            divisor = 0.98f - 0.3f * y;
          } else if (y < 4.0f) {
            divisor = 0.68f - 0.15f * y;
          }
          armour = armour / divisor + 5.0f;
        } else if (request.ammoKind == 0) {
          armour *= 2.0f;
        } else {
          armour += 3.0f * slopeFactor;
        }
      }
    }
  }

  if (outcome != nullptr) {
    outcome->ratio = ratio;
    outcome->hardness = hardnessFromTable ? hardness : PlateHardness(target, thickness, request.expectedValues);
  }
  if (target.emplacement && request.calibre >= 100.0f) CapArmourForWeaponType(request.fireKind, request.ammoKind, &armour);
  if (outcome != nullptr) outcome->slopeFactor = slopeFactor;
  return armour;
}

// ---- The vehicle's side ----

float Vehicle::FoldedBearingTo(float px, float py, bool turret) const {
  const float from = facing + (turret && HasTurret() ? turretOffset : 0.0f);
  return FoldHalfTurn(Wrap360(HeadingDegrees(px - x, py - y) - from));
}

int32_t Vehicle::GetArmorFacingFrom(float px, float py, bool useTurret, bool allowSide, float* outSideShare) const {
  const float b = FoldedBearingTo(px, py, useTurret);
  auto share = [outSideShare](float value) {
    if (outSideShare != nullptr) *outSideShare = value;
  };
  if (!allowSide) {
    share(0.0f);
    return b <= 90.0f ? 0 : 2;
  }
  if (b <= 20.0f) {
    share(0.0f);
    return 0;
  }
  if (b >= 160.0f) {
    share(0.0f);
    return 2;
  }
  if (b >= 70.0f && b <= 110.0f) {
    share(1.0f);
    return 1;
  }
  const float a = b > 90.0f ? 180.0f - b : b;
  const float sideShare = a > 35.0f ? a / 70.0f : (a - 20.0f) / 30.0f;
  const int32_t endOn = b > 90.0f ? 2 : 0;
  if (outSideShare != nullptr) {
    *outSideShare = sideShare;
    return endOn;
  }
  return RandomFloat() < sideShare ? 1 : endOn;
}

float Vehicle::HullHeight() const {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  return map != nullptr ? map->ElevationAt(x, y, mapMemo) : GBoundingBox::z;
}

float Vehicle::GetElevationFromHull(float px, float py, float pz) const {
  const double dx = px - x;
  const double dy = py - y;
  const double dz = pz - HullHeight();
  const double seen = std::atan2(dz, std::sqrt(dx * dx + dy * dy)) * kDegrees;
  // How far the hull rises toward the point, taken between the four faces in straight lines:
  // the pitch raises the front (and lowers the rear), the roll raises the left side (and lowers
  // the right). A point over a raised face looks that much lower from the hull.
  const double b = Wrap360(HeadingDegrees(px - x, py - y) - facing);
  const double p = hullPitch;
  const double r = hullRoll;
  double rise = 0.0;
  if (b <= 90.0) {
    const double t = b / 90.0;
    rise = (1.0 - t) * p + t * r;
  } else if (b <= 180.0) {
    const double t = (180.0 - b) / 90.0;
    rise = (t - 1.0) * p + t * r;
  } else if (b < 270.0) {
    const double t = (b - 180.0) / 90.0;
    rise = (t - 1.0) * p - t * r;
  } else {
    const double t = (360.0 - b) / 90.0;
    rise = (1.0 - t) * p - t * r;
  }
  return static_cast<float>(seen - rise);
}

ArmourTarget Vehicle::MakeArmourTarget(const ArmourRequest& request) const {
  ArmourTarget target;
  target.record = GetClassData(request.classMode);
  target.trueRecord = TrueClass();
  target.trueClassIndex = classIndex;
  target.allied = !IsAxis();
  target.emplacement = IsEmplacement();
  target.hasTurret = HasTurret();
  target.hullBearing = FoldedBearingTo(request.x, request.y, false);
  target.turretBearing = FoldedBearingTo(request.x, request.y, true);
  if (request.useElevation && request.useSlope) target.elevation = GetElevationFromHull(request.x, request.y, request.z);
  target.date = UnitGameDate();
  return target;
}

float Vehicle::ComputePenetration(const ArmourRequest& request, ArmourOutcome* outcome) const {
  return EffectiveArmour(MakeArmourTarget(request), request, outcome);
}

bool Vehicle::IsHullDownFromPoint(float px, float py) const {
  if (emplaced != 0) return true;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) return false;
  const float fromZ = map->ElevationAt(px, py);
  const float toZ = map->ElevationAt(x, y);
  float visibility = 0.0f;
  float distance = 0.0f;
  if (!map->TraceLine(false, true, true, px, py, fromZ, x, y, toZ, visibility, distance)) return false;
  if (visibility == 0.0f) return true;
  // A low wall within reach of the hull, on the line toward the point.
  return map->FirstObstacleAlong(px, py, fromZ, x, y, toZ) == 29;
}

bool Vehicle::IsHullDownFrom(const Unit& other) const {
  MapBattleServices* battle = UnitBattle();
  Map* map = battle != nullptr ? const_cast<Map*>(battle->GetMap()) : nullptr;
  if (map == nullptr) return IsHullDownFromPoint(other.x, other.y);
  bool seen = false;
  float distance = -1.0f;
  bool known = false;
  bool stored = false;
  if (map->CachedVisibility(&other, this, seen, nullptr, &known, &stored)) {
    if (!seen) return false;
    if (known) return stored;
  } else {
    float visibility = 0.0f;
    float length = 0.0f;
    const bool traced = map->TraceLine(false, true, false, other.x, other.y, other.GetBaseHeight(), x, y,
                                       GetBaseHeight(), visibility, length);
    seen = traced && visibility > 0.0f;
    distance = visibility;
  }
  if (!seen) {
    map->StoreVisibility(&other, this, false, distance, false, false, false);
    return false;
  }
  const bool hullDown = IsHullDownFromPoint(other.x, other.y);
  const auto* otherVehicle = dynamic_cast<const Vehicle*>(&other);
  const bool reverse = otherVehicle != nullptr && otherVehicle->IsHullDownFromPoint(x, y);
  map->StoreVisibility(&other, this, true, distance, true, reverse, hullDown);
  return hullDown;
}
