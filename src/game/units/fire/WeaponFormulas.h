#pragma once
#include <cstdint>

class Map;
class SmallArmsData;

// The formulas that turn weapon and small-arms records of the built-in tables into the
// numbers the battle uses: armour penetration with the shatter rule and a simple drag model,
// effect values of high-explosive fire, small-arms firepower by range, aiming time, a kill
// chance curve and factors of range, angle and terrain. Weapons are table indices; kinds are
// ammunition kinds 0..3 (0 high explosive, 1 armour-piercing, 2 tungsten, 3 hollow charge).
// Records or arguments out of range are programmer errors and stop the program. Where a
// formula varies, the random numbers come from the program's one generator in a fixed order.

// The flight of one round to a range in metres: the time in seconds (the result), the
// striking velocity in m/s and the number of 10 ms steps. The flight stops when the round
// has no speed left (velocity 0, the time so far). Weapon types 1..3 with a mass and muzzle
// velocity for the kind only.
float StrikingVelocity(int32_t weapon, int32_t kind, float range, float* velocity, int32_t* steps = nullptr);

// Millimetres of armour of the given hardness (81..549) and thickness-to-calibre ratio that
// the round defeats at the range; shattered tells whether an armour-piercing shot broke up.
float WeaponPenetration(bool vary, float range, int32_t weapon, int32_t kind, bool faceHardened, int32_t hardness,
                        float ratio, bool* shattered);
// The close-assault weapons: mode 0 gives 0.1; mode 2 weapon 95, other modes weapon 94,
// armour-piercing with variation; never below 0.1.
float SpecialWeaponPenetration(int32_t mode, float range, bool faceHardened, int32_t hardness, float ratio,
                               bool* shattered);

float WeaponFragmentValue(int32_t weapon, int32_t kind);
// Kinds 0..3 by the kind's mass; kind 4 by the record's charge value.
float WeaponBlastValue(int32_t weapon, int32_t kind);
// The weapon's high-explosive effect as a whole number; flag widens the radius of
// indirect fire's burst (type 5 without it).
int32_t WeaponHEValue(int32_t weapon, bool flag);

float KillChance(float a, float b);
float RangeFalloff(float distance);
// Caps an armour value for weapon types 2, 3 and 8: at 80 in mode 0, at 300 in mode 3.
void CapArmourForWeaponType(int32_t code, int32_t mode, float* value);
// Firepower of a small-arms entry at a range in metres; mode 1 and 2 the anti-armour
// shares.
float SmallArmsFirepowerAt(const SmallArmsData& entry, float range, int32_t mode);
// Seconds to ready a shot of the weapon (its type and kind-0 mass given) for a unit rating.
float AimTime(int32_t weapon, int32_t type, float mass, float rating);
// The factor of an angle in degrees; condition is the battle's ground condition value that
// follows its season (2 sharpens the factor).
float AngleFactor(float degrees, int32_t condition);
float LeaderCommandRange(float rating, float b);
// The cover factor of a fine terrain type (0..44) in a season (3 = winter).
float TerrainFactorForType(int32_t type, int32_t season);
// The cover factor of the terrain at a map point, in the battle's season.
float TerrainFactorAt(const Map& map, float x, float y, int32_t season);
// Availability of a count by date (YYMM): with mode 1 none before 4409; after 4500 a
// non-zero count rises by one (at most 4) when the flag is clear, else falls by one.
int32_t AdjustCountForDate(int32_t count, bool flag, int32_t mode, int32_t date);

// value x (1 + 2.991 x^2 - 1.34 x^3 - 2.649 x) with x = distance / range when distance is
// below range, else 0.
void ScaleByRangeFalloff(float* value, float distance, float range);

// The greatest armour thickness in mm (0 when none) that the weapon's round of the kind
// defeats at the range against a plate of the slope value, found by a step search against a
// temporary vehicle of the armour-test class; variant chooses that vehicle's variant. With
// vary the penetration carries the weapon's random variation, drawn from the generator as the
// caller left it; either way the generator is put back as it was.
float MaxPenetratedArmour(bool variant, float range, float slope, int32_t calibre, int32_t kind, int32_t weapon,
                          bool vary = false);
// A weapon's share of a unit's purchase cost: rateOfFire and ammunition are the caller's two
// positive factors, mixRow the unit's ammunition-mix row, date the game's date (YYMM); flag
// and mode go on to MaxPenetratedArmour and AdjustCountForDate.
float WeaponCostValue(int32_t weapon, float rateOfFire, float ammunition, int32_t mixRow, int32_t date,
                      bool flag = false, int32_t mode = 0);
