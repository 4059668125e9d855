#pragma once
#include <cstdint>

// The bits of the flag words of the built-in tables, by meaning.

// WeaponData flag word (offset 92).
namespace WeaponFlag {
// The piece is slow to lay: longer aiming, and its rounds scatter twice as wide.
inline constexpr uint16_t kSlowAiming = 0x1;
// Its high-explosive value counts in the purchase cost only after summer 1944.
inline constexpr uint16_t kDateRule = 0x2;
// A direct-fire launcher heard and seen only close by (a small report and flash), whose
// round makes the light effect.
inline constexpr uint16_t kQuietLauncher = 0x4;
// Hit chances are three quarters of the usual (unsteady launchers and rifle grenades).
inline constexpr uint16_t kPoorHitChance = 0x8;
// The hollow charge is a modern, more lethal design after it gets through.
inline constexpr uint16_t kLethalHollowCharge = 0x20;
// A special weapon for the cost: valued as a gun without its muzzle-velocity factors.
inline constexpr uint16_t kSpecial = 0x40;
inline constexpr uint16_t kAll = kSlowAiming | kDateRule | kQuietLauncher | kPoorHitChance | kLethalHollowCharge | kSpecial;
}  // namespace WeaponFlag

// VehicleData flag word (offset 212).
namespace VehicleFlag {
inline constexpr uint16_t kBurnsEasily = 0x1;
inline constexpr uint16_t kShotTrap = 0x2;
inline constexpr uint16_t kGyroStabiliser = 0x4;
inline constexpr uint16_t kGyroStabiliserFull = 0x8;
// A penetration silences the third machine-gun group.
inline constexpr uint16_t kPenetrationSilencesThirdGun = 0x10;
inline constexpr uint16_t kSlowRateOfFire = 0x20;
// The third (flexible) gun is a forward mount, labelled as such.
inline constexpr uint16_t kForwardThirdGun = 0x80;
// A rear-facing second driver; also lifts the route-point speed cap to 30 mph.
inline constexpr uint16_t kRearDriver = 0x100;
inline constexpr uint16_t kDiesel = 0x200;
// Soft-skinned: blast reaches no crew.
inline constexpr uint16_t kSoftVehicle = 0x400;
// Cost factor 0.9; also slows the aim.
inline constexpr uint16_t kCheaper = 0x800;
inline constexpr uint16_t kSecondBaseTextures = 0x1000;
inline constexpr uint16_t kKeepNationality = 0x2000;
inline constexpr uint16_t kStrengthenedTurretFront = 0x4000;
inline constexpr uint16_t kAll = kBurnsEasily | kShotTrap | kGyroStabiliser | kGyroStabiliserFull |
                                 kPenetrationSilencesThirdGun | kSlowRateOfFire | kForwardThirdGun | kRearDriver |
                                 kDiesel | kSoftVehicle | kCheaper | kSecondBaseTextures | kKeepNationality |
                                 kStrengthenedTurretFront;
}  // namespace VehicleFlag
