#pragma once
#include <cstdint>

#include "game/units/tables/VehicleData.h"

// The armour side of a hit: where the class record keeps what the plate computation reads, the
// factor by which a sloped plate resists more than a square one, and the question and answer
// of the effective-armour computation (Vehicle::ComputePenetration, EffectiveArmour).
//
// Plates are named by facing (0 front, 1 side, 2 rear) and hull part (0 turret or
// superstructure, 1 upper hull, 2 lower hull); parts 3 and 4 are the two top plates.

namespace ArmourLayout {
// The record keeps its nine plates facing by facing: front turret, front upper hull, front
// lower hull, then the side and the rear in the same order. Each plate is an i16 thickness
// (mm) and an i16 slope (degrees from the vertical).
inline constexpr int32_t kTurretArmourPresent = 124;  // u8
inline constexpr int32_t kQuality = 128;              // i32 0..3
inline constexpr int32_t kPlates = 132;
inline constexpr int32_t kTop = 168;             // two i16 thicknesses: parts 3 and 4
inline constexpr int32_t kHardnessGiven = 172;   // u8
inline constexpr int32_t kHardness = 174;        // nine i16 in plate order; negative = face-hardened
inline constexpr int32_t kSkirts = 192;          // i32 0..7
inline constexpr int32_t kVariableFront = 196;   // u8: the front plate's slope varies per shot
inline constexpr int32_t kSmokeEquipment = 216;  // i32; 3 also fires the close-defence weapon

constexpr int32_t PlateIndex(int32_t part, int32_t facing) { return facing * 3 + part; }
constexpr int32_t PlateOffset(int32_t part, int32_t facing) { return VehicleData::ArmourOffset(part, facing); }
static_assert(PlateOffset(2, 0) == 140 && PlateOffset(0, 1) == kPlates + 12);

inline int16_t Thickness(const VehicleData& r, int32_t part, int32_t facing) { return r.I16(PlateOffset(part, facing)); }
inline int16_t Slope(const VehicleData& r, int32_t part, int32_t facing) { return r.I16(PlateOffset(part, facing) + 2); }
inline int16_t Hardness(const VehicleData& r, int32_t part, int32_t facing) {
  return r.I16(kHardness + 2 * PlateIndex(part, facing));
}
}  // namespace ArmourLayout

// The factor (at least 1.0) by which a plate struck at the compound angle (degrees) resists
// more than one struck square: the cosine law, or a fit by the thickness-to-calibre ratio
// (a single curve when the calibre is unknown or the ratio above 2.5).
float SlopeMultiplier(float calibre, float angle, float ratio, bool cosineLaw);

// What is asked: the point the shot comes from, which plate, and how the shot sees it.
struct ArmourRequest {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  bool useElevation = false;
  int32_t part = 1;
  int32_t facing = 0;
  bool useSlope = true;
  float calibre = 0.0f;  // mm; 0 or less when not known
  int32_t fireKind = 0;
  int32_t ammoKind = 1;  // 0 HE, 1 AP, 2 tungsten, 3 hollow charge
  int32_t classMode = 0;
  // Every random choice replaced by its expected value: nothing is drawn.
  bool expectedValues = false;
};

// What comes back beside the armour.
struct ArmourOutcome {
  bool faceHardened = false;
  int32_t hardness = 0;
  float ratio = 0.0f;
  float slopeFactor = 1.0f;
};

// What the plate computation needs of the vehicle, gathered once per question.
struct ArmourTarget {
  VehicleData record{nullptr};      // the class record of the mode asked
  VehicleData trueRecord{nullptr};  // the true class
  int32_t trueClassIndex = 0;
  bool allied = false;
  bool emplacement = false;
  bool hasTurret = false;
  // Folded bearings (0..180) of the point from the hull's facing and from the turret.
  float hullBearing = 0.0f;
  float turretBearing = 0.0f;
  // Elevation of the point as seen from the hull (degrees), read only with useElevation.
  float elevation = 0.0f;
  int32_t date = 4406;  // YYMM
};

// The effective armour (mm) the request meets on the target; the outcome, when given, also
// asks for the plate's hardness (which may draw). A part outside 0..4, part 0 on a class
// without turret armour and a facing outside 0..2 are programmer errors.
float EffectiveArmour(const ArmourTarget& target, const ArmourRequest& request, ArmourOutcome* outcome);
// The hardness number of a plate of thickness t by the target's class rule; spread drawn, or
// its half with expectedValues.
int32_t PlateHardness(const ArmourTarget& target, int32_t thickness, bool expectedValues);
