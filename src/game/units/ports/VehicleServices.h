#pragma once
#include <cstdint>

#include "game/units/fire/ArmourFormulas.h"
#include "game/units/tables/VehicleData.h"

class Unit;

// What the shared unit code asks of a vehicle beyond the numbered operations. Reached
// through Unit::AsVehicle; the vehicle class implements it.
class VehicleServices {
 public:
  virtual ~VehicleServices() = default;

  virtual int32_t GetClassIndex() const = 0;
  // The class record as seen: mode 0 the true class, otherwise by identification level.
  virtual VehicleData GetClassData(int32_t mode) const = 0;
  // The class record is a boat (kind code 5) or an emplacement (kind code 6).
  virtual bool IsBoat() const = 0;
  virtual bool IsEmplacement() const = 0;
  // The turret speed code is not 5.
  virtual bool HasTurret() const = 0;
  virtual bool IsButtoned() const = 0;
  // The second ammunition array (five counts) that the common set-up fills too.
  virtual uint16_t* GetSecondAmmo() = 0;
  // The small-arms entry (0..28) whose report the vehicle's gunfire makes.
  virtual int32_t GetSmallArmsEntry() const = 0;
  // Hull down as seen from the other unit (the firing code's hit chance reads it).
  virtual bool IsHullDownFrom(const Unit& /*other*/) const { return false; }
  // Opens or closes the crew hatches.
  virtual void ToggleButtoned() {}
  // A lost vehicle left out of the battle's loss tallies (its battle losses are then 0 too).
  virtual bool IsLeftOutOfTallies() const = 0;
  // The shadow under the hull (scale: the model's, in map units) and the hit report during
  // the replay, which the unit drawing driver draws after the model.
  virtual void DrawShadow(float /*scale*/, bool /*clip*/) {}
  virtual void HitReportText() {}

  // ---- For the infantry class ----
  // The unit in passenger place 0 or 1, or null.
  virtual Unit* GetPassenger(int32_t place) const = 0;
  // The rider leaves its place (nothing when it holds none).
  virtual void RemovePassenger(Unit* unit) = 0;

  // ---- What the battle's reinforcement loading uses ----
  // Whether the unit may board (planning when boardNow is false); the vehicle class answers,
  // a vehicle that carries nobody refuses.
  virtual bool CanCarry(const Unit* /*unit*/, bool /*boardNow*/, bool /*allowHeavy*/) const { return false; }
  // Takes the unit into a free passenger place (callers ask CanCarry first).
  virtual void AddPassenger(Unit* /*unit*/) {}
  // ---- End of the reinforcement loading ----

  // ---- What the weapon-effect estimate asks of the armour ----
  // The facing (0 front, 1 side, 2 rear) presented to the point and, through the out, the
  // side share 0..1 of the oblique bands; the vehicle class answers (the base: front on).
  virtual int32_t GetArmorFacingFrom(float /*px*/, float /*py*/, bool /*useTurret*/, bool /*allowSide*/,
                                     float* outSideShare = nullptr) const {
    if (outSideShare != nullptr) *outSideShare = 0.0f;
    return 0;
  }
  // The effective armour (mm) a shot from the request's point meets (the base: none).
  virtual float ComputePenetration(const ArmourRequest& /*request*/, ArmourOutcome* outcome = nullptr) const {
    if (outcome != nullptr) *outcome = ArmourOutcome{};
    return 0.0f;
  }
  // Degrees: the turret's direction (facing plus turret offset), the facing without a turret.
  virtual float GetTurretAngle() const { return 0.0f; }
  // The generic class 222..225 the other side guesses the vehicle by.
  virtual int32_t GetGenericClass() const { return 225; }
  // Slices of the duel countdown (0 when no duel runs); the fire control answers.
  virtual int32_t GetDuelCountdown() const { return 0; }
  // The vehicle fires its main gun (not its machine guns) at the current target.
  virtual bool GetMainGunFlag() const { return true; }
  virtual void SetMainGunFlag(bool /*on*/) {}
  // ---- End of the weapon-effect estimate ----

  // ---- What target choice and the weapon effect ask of the machine guns ----
  // How many of the coaxial, flexible and bow guns may fire now (0: none); checkTarget adds
  // the gunner's and the hatches' conditions.
  virtual int32_t CanFireCoaxialMG(bool /*checkTarget*/) const { return 0; }
  virtual int32_t CanFireFlexibleMG(bool /*checkTarget*/) const { return 0; }
  virtual int32_t CanFireBowMG() const { return 0; }
  // Puts a machine gun (its small-arms entry; 33 none) in use: the vehicle's weapon queries
  // and firepower answer for it while the machine-gun mode flag is set.
  virtual void SetSmallArmsEntry(int32_t /*entry*/) {}
  // ---- End of the machine guns ----
  // ---- The way test ----
  // Sets whether the way test passes the vehicles that drive under their own orders; the
  // setting before is returned.
  virtual bool SetIgnoreMovers(bool /*ignore*/) { return false; }
  // ---- End of the way test ----
  // ---- The vehicle question ----
  // Stores the player's yes (true) or no to the question menu a vehicle asks.
  virtual void SetQuestionAnswer(bool /*yes*/) {}
  // ---- End of the vehicle question ----
};
